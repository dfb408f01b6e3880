// The document's embedded item: what an embedding container asks of the
// equation object. It stores and loads through the document, draws the
// container's picture (shell/presentation/Presentation.h) from the
// document's cache, reports the object's size, carries out verbs (a verb
// above 1 is an office job) and puts the object on the clipboard.
#pragma once

#include <QByteArray>
#include <QSize>

#include <memory>

class QMimeData;

namespace toliva {

class Archive;
class CTolivaApp;
class CTolivaDoc;

class CTolivaSrvrItem {
public:
    // The aspect of the object's content (the others are the framework's).
    static constexpr int kContentAspect = 1;

    // Made by the document as its embedded item (CTolivaDoc::GetEmbeddedItem).
    CTolivaSrvrItem(CTolivaDoc& doc, CTolivaApp& app);
    CTolivaSrvrItem(const CTolivaSrvrItem&) = delete;
    CTolivaSrvrItem& operator=(const CTolivaSrvrItem&) = delete;

    CTolivaDoc& GetDocument() const { return m_doc; }
    bool IsEmbeddedItem() const;

    // The embedded item's archive is the document's; any other item stores
    // nothing.
    void Serialize(Archive& ar);
    // The container's picture (a placeable Windows metafile) into *dc, and
    // the extent it was drawn at into size. The cache is rendered first when
    // the document has none (cached bits that are no Windows metafile count
    // as none). False without a device context (dc null).
    bool OnDraw(QByteArray* dc, QSize& size);
    // The content aspect's size in 0.01 mm when there is a served equation
    // (size unchanged otherwise); true. False for other aspects.
    bool OnGetExtent(int aspect, QSize& size);
    // A verb from the container: a verb above 1 is performed as verb 1 and
    // recorded as the document's job code; then CTolivaDoc::ShowForVerb.
    void OnDoVerb(int verb);
    // The verb the framework's handling last performed.
    int lastPerformedVerb() const { return m_nPerformedVerb; }

    // The object on the clipboard: the native data, then the picture and the
    // object itself (its compound file). An ArchiveException passes on.
    std::unique_ptr<QMimeData> OnGetClipboardData();
    // The document's archive (the ".afx" layout) under the native format;
    // returns the archive.
    QByteArray AddNativeData(QMimeData& data);

private:
    CTolivaDoc& m_doc;
    CTolivaApp& m_app;
    int m_nPerformedVerb = 0;
};

}  // namespace toliva
