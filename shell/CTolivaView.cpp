#include "shell/CTolivaView.h"

#include "model/EqModel.h"
#include "platform/ClipboardService.h"
#include "platform/ShellService.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/ShellRegistration.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/ClipboardData.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/PictureExport.h"

#include <QMimeData>
#include <QResizeEvent>
#include <QTimer>

namespace toliva {

CTolivaView::CTolivaView(CTolivaApp& app, QWidget* parent) : QWidget(parent), m_app(app) {
    m_sheet = new CKwEESheet(app.context(), app.renderContext(), this, nullptr, this);
    m_sheet->texRead.names = app.m_texCode.get();
    m_sheet->texRead.labels = app.m_texLabels;
    m_sheet->texWrite.names = app.m_texCode.get();
    m_sheet->texWrite.symbols = &app.m_symbolLibrary;
    m_sheet->setRecognition(app.recognition);
    m_sheet->setGeometry(rect());
    setFocusProxy(m_sheet);
}

CTolivaView::~CTolivaView() = default;

CTolivaDoc* CTolivaView::document() const { return m_app.document(); }

void CTolivaView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_sheet->setGeometry(rect());
}

void CTolivaView::SetEquation(EqModel* eq) {
    m_sheet->SetEquation(eq);
    m_sheet->ClearUndoStack();
    m_sheet->ClearRedoStack();
    UpdateToolbarStates();
}

void CTolivaView::FocusSheet() { m_sheet->setFocus(Qt::OtherFocusReason); }

// ---- what the sheet asks

void CTolivaView::SetModifiedFlag() {
    if (CTolivaDoc* doc = document()) doc->SetModifiedFlag(true);
}

bool CTolivaView::IsEmbedded() const {
    const CTolivaDoc* doc = document();
    return doc && doc->IsEmbedded();
}

void CTolivaView::NotifyEmbeddedChanged() {
    CTolivaDoc* doc = document();
    if (doc && doc->IsEmbedded() && doc->onEmbeddedChanged) doc->onEmbeddedChanged();
}

void CTolivaView::SetDragging(bool dragging) {
    if (CTolivaDoc* doc = document()) doc->m_bDragging = dragging;
}

void CTolivaView::UpdateTitle() {
    if (CMainFrame* frame = m_app.frame()) frame->UpdateFrameTitle();
}

void CTolivaView::MinimiseMainWindow() {
    if (QWidget* w = window()) w->showMinimized();
}

void CTolivaView::RestoreMainWindow() {
    if (QWidget* w = window()) {
        w->showNormal();
        w->activateWindow();
    }
}

bool CTolivaView::IsMainWindowIconic() const {
    const QWidget* w = window();
    return !w || w->isMinimized() || !w->isVisible();
}

void CTolivaView::CloseMainWindow() {
    // After the key or menu choice that asked for it has been handled.
    if (QWidget* w = window()) QTimer::singleShot(0, w, [w] { w->close(); });
}

bool CTolivaView::StartProgram(const QString& path, const QStringList& arguments) {
    return shellService().startProgram(path, arguments);
}

int CTolivaView::ViewMode() const { return m_app.settings().viewMode; }

bool CTolivaView::AddEquationToNotes(const EqModel& eq) {
    // The library panel's notes sheet comes with the panel.
    (void)eq;
    return false;
}

bool CTolivaView::SendFrameCommand(int id) {
    CTolivaDoc* doc = document();
    switch (id) {
    case ID_FILE_NEW: m_app.OnFileNew(); return true;
    case ID_FILE_OPEN: m_app.OnFileOpen(); return true;
    case ID_FILE_SAVE:
        if (doc) doc->OnFileSave();
        return true;
    case ID_FILE_SAVE_AS:
        if (doc) doc->OnFileSaveAs();
        return true;
    default: return false;
    }
}

QPoint CTolivaView::MainWindowPosition() const {
    const QWidget* w = window();
    return w ? w->frameGeometry().topLeft() : QPoint();
}

bool CTolivaView::CopyEmbeddedItem() {
    CTolivaDoc* doc = document();
    if (!doc) return false;
    EqModel* eq = doc->GetServedEquation();
    std::unique_ptr<QMimeData> data = EquationMimeData(eq, RecordEquationMetafile(m_app.renderContext(), eq));
    if (!data) return false;
    // The object itself, as the document file holds it.
    data->setData(QString::fromLatin1(kAfxMimeType), WrapInCompoundFile(doc->ArchiveBytes()));
    clipboardService().setMimeData(std::move(data));
    m_sheet->Refresh(0);
    return true;
}

bool CTolivaView::PasteIntoLaTeXPane() { return false; }

}  // namespace toliva
