#include "shell/CTolivaDoc.h"

#include "model/EqModel.h"
#include "platform/Archive.h"
#include "platform/DialogService.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaSrvrItem.h"
#include "shell/CTolivaView.h"
#include "shell/ShellTexts.h"
#include "shell/presentation/Presentation.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/CommandWork.h"
#include "sheet/editing/Undo.h"

#include <QFileInfo>
#include <QTimer>

namespace toliva {
namespace {

QString withReason(const QString& text, const QString& reason) {
    return reason.isEmpty() ? text : text + QLatin1Char('\n') + reason;
}

}  // namespace

CTolivaDoc::CTolivaDoc(CTolivaApp& app) : m_app(app), m_pEquation(std::make_unique<EqModel>()) {}

CTolivaDoc::~CTolivaDoc() = default;

// ---- equations

EqModel* CTolivaDoc::GetAltEquation() {
    if (!m_pAltEquation) m_pAltEquation = std::make_unique<EqModel>();
    return m_pAltEquation.get();
}

EqModel* CTolivaDoc::GetServedEquation() { return m_bServeAlternate ? GetAltEquation() : m_pEquation.get(); }

QString CTolivaDoc::GetTitle() const {
    // An embedded item goes by the program's name (no container names it
    // here); a document that has no file yet by the framework's name.
    if (m_bEmbedded) return QString::fromLatin1(CTolivaApp::kAppTitle);
    if (m_strPathName.isEmpty()) return QStringLiteral("Untitled");
    return QFileInfo(m_strPathName).fileName();
}

void CTolivaDoc::SetModifiedFlag(bool modified) {
    m_bModified = modified;
    if (modified && m_bEmbedded && onEmbeddedChanged) onEmbeddedChanged();
}

void CTolivaDoc::handToView() {
    if (m_pView) m_pView->SetEquation(m_pEquation.get());
}

// ---- new documents

bool CTolivaDoc::OnNewDocument() {
    m_pEquation = std::make_unique<EqModel>();
    const AppContext& app = m_app.context();
    if (app.option(OptDocFontSizeAfterImport) && !m_app.m_bAddinMode)
        ApplyDocEnvSize(m_pEquation.get(), QStringLiteral("12"));
    m_wmfCache.clear();
    m_strPathName.clear();
    handToView();

    AppSettings& settings = m_app.settings();
    if (m_pView && settings.calledByCapture) {
        // The capture program started this run with an image on the
        // clipboard: it is recognised as a formula; when nothing could be
        // inserted, the recognised text goes into the LaTeX pane instead.
        settings.calledByCapture = false;
        CKwEESheet* sheet = m_pView->sheet();
        sheet->RecognizeClipboardImage();
        if (!sheet->lastRecognitionInserted) {
            if (m_pView->ViewMode() == 0) m_pView->ToggleLaTeXMode();
            m_pView->PasteIntoLaTeXPane();
        }
        RegKey key;
        OpenRegKey(kAppSettingsKey, key);
        WriteRegBool(key, QStringLiteral("caller_is_Pirnel"), false);
    }
    m_bModified = false;
    return true;
}

// ---- the archive

void CTolivaDoc::takeContent(AfxContent&& content) {
    m_pEquation = std::move(content.equation);
    m_wmfCache = std::move(content.metafileCache);
    // A picture that came with the file is shown as it is, hatched only
    // when the equation is empty.
    if (!m_wmfCache.isEmpty()) m_bEmpty = PresentationIsEmpty(m_pEquation.get()) ? 1 : 0;
    m_fExtentX = content.extentX;
    m_fExtentY = content.extentY;
    handToView();
}

void CTolivaDoc::fileIntoNotes() {
    if (!m_pView) return;
    EqModel* served = GetServedEquation();
    EqLayoutSettings kept = served->settings;
    EqModel copy;
    CopyEquationContent(served, &copy);
    m_pView->AddEquationToNotes(copy);
    served->settings = kept;
}

void CTolivaDoc::Serialize(Archive& ar) {
    if (ar.isLoading()) {
        AfxContent content;
        ReadAfxArchive(ar, content);
        takeContent(std::move(content));
        return;
    }
    if (m_app.context().option(OptFileIntoNotes) && !m_app.m_bAddinMode && !m_bServeAlternate) fileIntoNotes();
    WriteAfxArchive(ar, GetServedEquation(), m_fExtentX, m_fExtentY);
}

QByteArray CTolivaDoc::ArchiveBytes() {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    Serialize(ar);
    return bytes;
}

// ---- files

bool CTolivaDoc::OnOpenDocument(const QString& path) {
    AfxContent content;
    QString reason;
    if (!ReadAfxFile(path, content, &reason)) {
        showMessage(withReason(ShellMessage(m_app.context().languageCode(), MsgCannotOpenFile) + path, reason), MB_OK | MB_ICONWARNING);
        return false;
    }
    takeContent(std::move(content));
    m_strPathName = QFileInfo(path).absoluteFilePath();
    m_bModified = false;
    return true;
}

bool CTolivaDoc::OnSaveDocument(const QString& path) {
    QString reason;
    if (!WriteAfxFile(path, ArchiveBytes(), &reason)) {
        showMessage(withReason(ShellMessage(m_app.context().languageCode(), MsgCannotSaveFile) + path, reason), MB_OK | MB_ICONWARNING);
        return false;
    }
    m_strPathName = QFileInfo(path).absoluteFilePath();
    m_bModified = false;
    m_app.recentFiles().Add(m_strPathName);
    if (CMainFrame* frame = m_app.frame()) frame->UpdateFrameTitle();
    return true;
}

bool CTolivaDoc::OnFileSaveAs() {
    FileDialogRequest request;
    request.save = true;
    request.filter = QStringLiteral("Toliva Files (*.afx)|*.afx||");
    request.defaultExtension = QStringLiteral("afx");
    request.defaultName = m_strPathName.isEmpty() ? QString::fromLatin1(CTolivaApp::kAppTitle)
                                                  : QFileInfo(m_strPathName).fileName();
    request.initialFolder = m_strPathName.isEmpty() ? QString() : QFileInfo(m_strPathName).absolutePath();
    request.owner = m_app.frame();
    QString path;
    if (!dialogService().pickFile(request, &path)) return false;
    return OnSaveDocument(path);
}

bool CTolivaDoc::SaveModified() {
    if (!m_bModified) return true;
    if (m_bEmbedded) {
        QString reason;
        return SaveEmbedding(&reason);
    }
    const QString text = ShellMessage(m_app.context().languageCode(), MsgAskToSave).arg(GetTitle());
    switch (messageSink().show(text, {}, MB_YESNOCANCEL | MB_ICONQUESTION, m_app.frame())) {
    case IDCANCEL: return false;
    case IDNO: return true;
    default: return m_strPathName.isEmpty() ? OnFileSaveAs() : OnSaveDocument(m_strPathName);
    }
}

// ---- embedding and the office add-in's jobs

bool CTolivaDoc::OpenEmbedding(const QString& storagePath, QString* reason) {
    const QFileInfo info(storagePath);
    if (info.exists() && info.size() > 0) {
        AfxContent content;
        if (!ReadAfxFile(storagePath, content, reason)) return false;
        takeContent(std::move(content));
    } else if (!OnNewDocument()) {
        return false;
    }
    m_bEmbedded = true;
    m_strEmbeddingPath = storagePath;
    m_bModified = false;
    return true;
}

bool CTolivaDoc::SaveEmbedding(QString* reason) {
    if (!m_bEmbedded || m_strEmbeddingPath.isEmpty()) return false;
    if (!WriteAfxFile(m_strEmbeddingPath, ArchiveBytes(), reason)) return false;
    m_bModified = false;
    if (onEmbeddingSaved) onEmbeddingSaved(m_strEmbeddingPath);
    return true;
}

void CTolivaDoc::OnFileSave() {
    if (m_bEmbedded) {
        if (m_nJobCode > 1) {
            if (m_pView && m_pView->sheet()->RunOfficeJob(m_nJobCode) == 1) SetModifiedFlag(true);
        } else if (!m_bClosing) {
            RenderAndUpdateItems();
        }
    }
    if (!m_bServeAlternate) {
        if (m_bEmbedded) {
            QString reason;
            if (!SaveEmbedding(&reason))
                showMessage(withReason(ShellMessage(m_app.context().languageCode(), MsgCannotSaveFile) + m_strEmbeddingPath, reason),
                            MB_OK | MB_ICONWARNING);
        } else if (m_strPathName.isEmpty()) {
            OnFileSaveAs();
        } else {
            OnSaveDocument(m_strPathName);
        }
    }
    if (m_bEmbedded && m_nJobCode > 1) {
        if ((m_nJobCode >= 10 && m_nJobCode <= 13) || m_nJobCode == 32) m_app.m_bWaitingConvert = 1;
        if (CMainFrame* frame = m_app.frame()) frame->SetCloseTimer();
    }
}

void CTolivaDoc::ShowForVerb() {
    CMainFrame* frame = m_app.frame();
    if (!frame) return;
    if (m_nJobCode > 1 && m_bEmbedded) {
        // The save runs the job once the verb's call has returned.
        QTimer::singleShot(0, frame, [this] { OnFileSave(); });
        frame->hide();
    } else {
        frame->show();
        if (m_pView) m_pView->FocusSheet();
    }
}

void CTolivaDoc::DoVerb(int verb) { GetEmbeddedItem()->OnDoVerb(verb); }

CTolivaSrvrItem* CTolivaDoc::GetEmbeddedItem() {
    if (!m_pEmbeddedItem) m_pEmbeddedItem = std::make_unique<CTolivaSrvrItem>(*this, m_app);
    return m_pEmbeddedItem.get();
}

void CTolivaDoc::RenderAndUpdateItems() {
    if (m_pView) m_pView->RenderMetafileCache(true);
    if (onEmbeddedChanged) onEmbeddedChanged();
}

}  // namespace toliva
