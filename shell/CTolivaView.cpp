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
#include "sheet/CDialogTeXEdt.h"
#include "sheet/CDlgTeXPromptBar.h"

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
    std::unique_ptr<QMimeData> data;
    try {
        data = doc->GetEmbeddedItem()->OnGetClipboardData();
    } catch (const std::exception&) {  // the archive could not be written
        return false;
    }
    clipboardService().setMimeData(std::move(data));
    m_sheet->Refresh(0);
    return true;
}

bool CTolivaView::PasteIntoLaTeXPane() { return false; }

// ---- to be built

ViewPlaceholder::ViewPlaceholder(const QString& name, QWidget* parent) : QWidget(parent) { setObjectName(name); }
void ViewPlaceholder::paintEvent(QPaintEvent*) {}
void CTolivaView::CreateCompanionWindows() {}
void CTolivaView::AttachEquation(EqModel* eq) {
    m_sheet->SetEquation(eq);
    m_sheet->ClearUndoStack();
    m_sheet->ClearRedoStack();
    UpdateToolbarStates();
}
void CTolivaView::RelayoutChildren() {}
bool CTolivaView::ToggleLibraryPanel() { return false; }
bool CTolivaView::ToggleLaTeXMode() { return false; }
void CTolivaView::UpdateWindowTitle() {}
void CTolivaView::UpdateToolbarStates() {}
void CTolivaView::UpdateAlignButtons() {}
bool CTolivaView::PreTranslateKey(int, bool, bool, bool, bool) { return false; }
bool CTolivaView::OnWheel(QPoint, int) { return false; }
void CTolivaView::OnToolbarCommand(int, int, QPoint) {}
intptr_t CTolivaView::OnWindowMessage(int, intptr_t, intptr_t) { return 0; }
void CTolivaView::TakeSymbolKey(const SymbolKey&) {}
int CTolivaView::OnDragOver(QPoint) { return 3; }
void CTolivaView::OnDragLeave() {}
bool CTolivaView::OnDrop(const QMimeData&, QPoint, bool) { return false; }
bool CTolivaView::PromptBarKeyDown(int, bool, bool, bool) { return false; }
void CTolivaView::ShowPromptBar(const QString&, int) {}
bool CTolivaView::IsPromptBarShowingForSheet() const { return false; }
void CTolivaView::paintEvent(QPaintEvent*) {}
void CTolivaView::mousePressEvent(QMouseEvent*) {}
void CTolivaView::mouseMoveEvent(QMouseEvent*) {}
void CTolivaView::mouseReleaseEvent(QMouseEvent*) {}
void CTolivaView::wheelEvent(QWheelEvent*) {}
bool CTolivaView::eventFilter(QObject* watched, QEvent* event) { return QWidget::eventFilter(watched, event); }
ViewLayoutInput CTolivaView::layoutInput() const { return {}; }

}  // namespace toliva
