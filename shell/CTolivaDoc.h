// The equation document: the equation being edited, its ".afx" file, new
// documents (with the office add-in's font size and the capture program's
// hand-off), the presentation cache an embedding container shows, and the
// office add-in's conversion jobs, which run when the document is saved.
#pragma once

#include "shell/CTolivaSrvrItem.h"
#include "shell/document/AfxFile.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace toliva {

class Archive;
class CTolivaApp;
class CTolivaView;
class EqModel;

class CTolivaDoc {
public:
    // Registers the clipboard formats once per process (the MIME names the
    // clipboard code uses are fixed; the registration only records that
    // the document made them known).
    explicit CTolivaDoc(CTolivaApp& app);
    ~CTolivaDoc();
    CTolivaDoc(const CTolivaDoc&) = delete;
    CTolivaDoc& operator=(const CTolivaDoc&) = delete;

    // ---- life of the document

    // A fresh empty equation (with the office document's font size when the
    // option asks for it), the cache freed, the view given the equation, the
    // capture program's hand-off taken; the document is unmodified.
    bool OnNewDocument();
    // Reads the file into a scratch document and takes its content only when
    // the whole file read; on failure the user is told and the open document
    // stays as it was.
    bool OnOpenDocument(const QString& path);
    // Writes the file (a temporary file renamed over the old one); false,
    // with the user told, when it cannot be written.
    bool OnSaveDocument(const QString& path);
    // The save command: runs a pending office job on an embedded document,
    // saves the embedding or the file (asking for a name when it has none),
    // then after a job arms the main window's close timer.
    void OnFileSave();
    // Save as: always asks for a name.
    bool OnFileSaveAs();
    // Asks whether to save a modified document before it is closed or
    // replaced; false when the user cancels (or the save failed).
    bool SaveModified();

    // The archive of the document, in both directions.
    void Serialize(Archive& ar);
    // The stored archive as bytes.
    QByteArray ArchiveBytes();

    // ---- the office add-in

    // After a verb has been recorded in m_nJobCode: a job on an embedded
    // document posts the save command and hides the main window; anything
    // else shows the main window.
    void ShowForVerb();
    // A verb from the container, carried out by the embedded item.
    void DoVerb(int verb);
    // The item the container embeds (made on first use, owned here).
    CTolivaSrvrItem* GetEmbeddedItem();
    const CTolivaSrvrItem* GetEmbeddedItem() const { return m_pEmbeddedItem.get(); }
    // Renders the presentation cache (with the sheet's refresh) and tells
    // the container its picture is out of date.
    void RenderAndUpdateItems();

    // ---- state

    EqModel* GetAltEquation();
    EqModel* GetServedEquation();
    EqModel* equation() const { return m_pEquation.get(); }

    // The modified notification: marks the document modified and, when it
    // is embedded, tells the container its picture is out of date.
    void SetModifiedFlag(bool modified = true);
    bool IsModified() const { return m_bModified; }
    bool IsEmbedded() const { return m_bEmbedded; }
    const QString& GetPathName() const { return m_strPathName; }
    // The title shown in the frame: the file's name, "Untitled" without one,
    // the program's name for an embedded item.
    QString GetTitle() const;

    // Embedding: the container's storage the document is loaded from and
    // saved into. An existing non-empty storage is read; otherwise the
    // document starts new. False (with the reason) when it does not read.
    bool OpenEmbedding(const QString& storagePath, QString* reason);
    bool SaveEmbedding(QString* reason);
    const QString& embeddingPath() const { return m_strEmbeddingPath; }
    // Told after every saved embedding (the container reads it back).
    std::function<void(const QString& storagePath)> onEmbeddingSaved;
    // Told when an embedded document's picture is out of date.
    std::function<void()> onEmbeddedChanged;

    void setView(CTolivaView* view) { m_pView = view; }
    CTolivaView* view() const { return m_pView; }

    // Fields the presentation picture and the frame use.
    bool m_bServeAlternate = false;
    int m_bEmpty = 1;
    float m_fFrameTop = 0, m_fFrameLeft = 0;
    float m_fExtentX = 300.0f, m_fExtentY = 200.0f;
    float m_fPictureWidth = 0, m_fPictureHeight = 0, m_fPictureDescent = 0, m_fPictureBaseline = 0;
    QString m_strTempEmfPath;
    QByteArray m_wmfCache;  // m_nWmfSize is its size
    int m_nJobCode = 0;
    bool m_bClosing = false;
    // An OLE drag from the sheet is under way.
    bool m_bDragging = false;

private:
    // Takes the content read from a file or an embedding.
    void takeContent(AfxContent&& content);
    // The equation goes to the view, when it has a window.
    void handToView();
    // A copy of the served equation filed into the notes (option bit 0x400).
    void fileIntoNotes();

    CTolivaApp& m_app;
    std::unique_ptr<EqModel> m_pEquation;
    std::unique_ptr<EqModel> m_pAltEquation;
    std::unique_ptr<CTolivaSrvrItem> m_pEmbeddedItem;
    CTolivaView* m_pView = nullptr;
    bool m_bModified = false;
    bool m_bEmbedded = false;
    QString m_strPathName;
    QString m_strEmbeddingPath;
};

}  // namespace toliva
