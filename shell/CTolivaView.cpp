#include "shell/CTolivaView.h"
#include "shell/ShellEditDialogs.h"
#include "shell/ShellMoreSymbols.h"
#include "shell/SheetFindTarget.h"
#include "panels/CDlgUserSymPanel.h"
#include "panels/UserSymEditModel.h"
#include "panels/CDlgFindReplace.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "panels/CDlgToolbar.h"
#include "panels/CKwTBPanel.h"
#include "platform/ClipboardService.h"
#include "platform/ShellService.h"
#include "platform/gdiplus/GpTypes.h"
#include "shell/CDlgWritingPad.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/document/AfxFile.h"
#include "shell/ShellRegistration.h"
#include "sheet/CDialogTeXEdt.h"
#include "sheet/CDlgTeXPromptBar.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/ClipboardData.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/HotkeyTable.h"
#include "sheet/editing/PictureExport.h"
#include "sheet/editing/VirtualKeys.h"

#include <Qsci/qsciscintillabase.h>

#include <QCursor>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>
#include <QWheelEvent>

#include <limits>

namespace toliva {

namespace {

QColor fromColorRef(uint32_t c) { return QColor::fromRgba(gp::ArgbFromColorref(c)); }

// The LaTeX editor's cut, copy and paste messages.
constexpr unsigned kEditorCut = 2177;

// A grip beside the splitter: 32 dots of 1 x 2 pixels, 4 pixels apart.
constexpr int kGripDots = 32;
constexpr int kGripStep = 4;
constexpr int kGripLength = kGripDots * kGripStep;

}  // namespace

// ---- placeholders

ViewPlaceholder::ViewPlaceholder(const QString& name, QWidget* parent)
    : QWidget(parent), background(fromColorRef(0xF0F0F0)) {
    setObjectName(name);
}

void ViewPlaceholder::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background);
}

// ---- creation

CTolivaView::CTolivaView(CTolivaApp& app, QWidget* parent) : QWidget(parent), m_app(app) {
    m_sheet = new CKwEESheet(app.context(), app.renderContext(), this, nullptr, this);
    m_sheet->texRead.names = app.m_texCode.get();
    m_sheet->texRead.labels = app.m_texLabels;
    m_sheet->texWrite.names = app.m_texCode.get();
    m_sheet->texWrite.symbols = &app.m_symbolLibrary;
    m_sheet->setRecognition(app.recognition);
    m_editDialogs = std::make_unique<ShellEditDialogs>(app, *m_sheet, this);
    m_sheet->setEditDialogs(m_editDialogs.get());
    // An embedded equation object pasted or dropped is read as the document
    // file it carries.
    m_sheet->readEmbeddedItem = [](const QByteArray& bytes) { return EquationFromDocumentFile(bytes); };
    m_sheet->setGeometry(rect());
    // Ctrl+Tab and F7 are the view's before the sheet sees them; drags over
    // the sheet scroll it near its edges.
    m_sheet->installEventFilter(this);
    setFocusProxy(m_sheet);
    // The splitter's size cursor follows the mouse without a button.
    setMouseTracking(true);
    if (!app.m_bAddinMode) CreateCompanionWindows();
}

CTolivaView::~CTolivaView() {
    // The children go in this order while the view can still answer them;
    // the prompt bar last.
    // The pad keeps its place relative to the sheet: it goes before it.
    delete m_pWritingPad;
    m_pWritingPad = nullptr;
    // The find dialog acts on the sheet: it goes before it.
    delete m_pFindDialog;
    m_pFindDialog = nullptr;
    // The user symbol panel inserts into the sheet: it goes before it.
    CloseUserSymbolPanel();
    delete m_pMainToolbar;
    m_pMainToolbar = nullptr;
    delete m_pLaTeXToolbar;
    m_pLaTeXToolbar = nullptr;
    delete m_pSymbolStrip;
    m_pSymbolStrip = nullptr;
    delete m_pLaTeXPane;
    m_pLaTeXPane = nullptr;
    delete m_pSidePanel;
    m_pSidePanel = nullptr;
    CKwEESheet* sheet = m_sheet;
    m_sheet = nullptr;
    delete sheet;
    delete m_pPromptBar;
    m_pPromptBar = nullptr;
    m_promptDriver.reset();
}

CTolivaDoc* CTolivaView::document() const { return m_app.document(); }

void CTolivaView::CreateCompanionWindows() {
    if (m_pMainToolbar || m_app.m_bAddinMode) return;
    AppContext& context = m_app.context();
    const AppSettings& settings = m_app.settings();
    const QColor back = fromColorRef(settings.uiBack);

    // The strip first: its context is the one the tool bars copy.
    BuildSymbolStrip();
    // The tool bars: one centred row, spacing 1. A right click on a main
    // bar button asks for its hot key; the LaTeX bar drags the pane's
    // splitter.
    m_pMainToolbar = new CDlgToolbar(this, *m_panelContext, this);
    m_pMainToolbar->setObjectName(QStringLiteral("tb_main"));
    m_pMainToolbar->LoadButtons(QStringLiteral("tb_main"));
    m_pMainToolbar->m_bRightClickHotkey = true;
    m_pLaTeXToolbar = new CDlgToolbar(this, *m_panelContext, this);
    m_pLaTeXToolbar->setObjectName(QStringLiteral("tb_main_x"));
    m_pLaTeXToolbar->LoadButtons(QStringLiteral("tb_main_x"));
    m_pLaTeXToolbar->m_bDragHandle = true;
    for (CDlgToolbar* bar : {m_pMainToolbar, m_pLaTeXToolbar}) {
        bar->m_nLayoutMode = 1;
        bar->m_nSpacing = 1;
    }

    // The LaTeX pane beside the sheet.
    m_pLaTeXPane = new CDialogTeXEdt(context, m_app.m_hLaTeXControlLib.create, this);
    m_pLaTeXPane->setSheet(m_sheet);
    m_pLaTeXPane->toggleLaTeXMode = [this] { ToggleLaTeXMode(); };
    if (QsciScintillaBase* editor = m_pLaTeXPane->editor().control()) {
        m_editorWindows = {editor, editor->viewport()};
        for (QWidget* w : m_editorWindows) w->installEventFilter(this);
    }

    // The side panel, shown with "dw1" bit 0.
    m_pSidePanel = new ViewPlaceholder(QStringLiteral("side_panel"), this);
    m_pSidePanel->background = back;
    m_pSidePanel->setVisible(context.option(OptLibraryPanel));

    ApplyPanelColours(false);

    // The prompt bar, hidden, driven for the sheet and the LaTeX editor.
    m_pPromptBar = new CDlgTeXPromptBar(context, m_app.renderContext(), nullptr, this);
    m_pPromptBar->hide();
    m_pPromptBar->SetLabels(m_app.m_texLabels);
    m_pPromptBar->texRead = m_sheet->texRead;
    m_pPromptBar->expandReferences = [this](EqModel* eq) {
        if (m_sheet) m_sheet->ExpandItemReferences(eq);
    };
    m_pPromptBar->dialogs = &m_sheet->editDialogs();
    m_promptDriver = std::make_unique<TeXPromptDriver>(context, m_pPromptBar, m_sheet);
    m_pLaTeXPane->ConnectPromptBar(*m_promptDriver);
    m_pLaTeXPane->InitEditorStyle();

    const bool latex = settings.viewMode == 1;
    m_pMainToolbar->setVisible(!latex);
    m_pSymbolStrip->setVisible(!latex);
    m_pLaTeXToolbar->setVisible(latex);
    m_pLaTeXPane->setVisible(latex);
    if (latex) setFocusProxy(m_pLaTeXPane);
}

void CTolivaView::AttachEquation(EqModel* eq) {
    if (!m_sheet) return;
    m_sheet->SetEquation(eq);
    m_sheet->ClearUndoStack();
    m_sheet->ClearRedoStack();
    UpdateToolbarStates();
    if (m_pLaTeXPane && m_app.settings().viewMode == 1) {
        // An empty equation empties the pane.
        if (!m_pLaTeXPane->LoadFromEquation()) m_pLaTeXPane->editor().SetEditorText(QString());
    }
}

void CTolivaView::FocusSheet() {
    if (m_sheet) m_sheet->setFocus(Qt::OtherFocusReason);
}

// ---- layout

ViewLayoutInput CTolivaView::layoutInput() const {
    const AppSettings& settings = m_app.settings();
    ViewLayoutInput in;
    in.client = size();
    in.uiScale = m_app.context().uiScale;
    in.panelShown = m_app.context().option(OptLibraryPanel);
    in.panelExists = m_pSidePanel != nullptr;
    in.libraryPanelRatio = settings.libraryPanelRatio;
    in.texPaneRatio = settings.texPaneRatio;
    in.viewMode = settings.viewMode;
    in.barsOnTop = settings.panelOptions[2];
    in.topLine = settings.panelOptions[3];
    return in;
}

void CTolivaView::setMinimumTrackWidth(int width) {
    if (CMainFrame* frame = m_app.frame(); frame && frame->minimumWidth() != width) frame->SetMinTrackWidth(width);
}

void CTolivaView::RelayoutChildren() {
    if (!m_sheet) return;
    if (!m_pMainToolbar) {
        // Without the companions (the office add-in's run) the sheet is alone.
        m_sheet->setGeometry(rect());
        return;
    }
    // A view not shown has no size of its own yet (its ratios would be
    // clamped to it): it lays out when it is shown.
    if (!isVisible()) return;
    AppSettings& settings = m_app.settings();
    m_layout = ComputeViewLayout(layoutInput());
    settings.libraryPanelRatio = m_layout.libraryPanelRatio;
    if (settings.viewMode == 1) settings.texPaneRatio = m_layout.texPaneRatio;

    m_sheet->setGeometry(m_layout.sheet);
    if (settings.viewMode == 1) {
        m_pLaTeXToolbar->setGeometry(m_layout.latexToolbar);
        m_pLaTeXPane->setGeometry(m_layout.latexPane);
    } else {
        m_pMainToolbar->setGeometry(m_layout.mainToolbar);
        m_pSymbolStrip->setGeometry(m_layout.strip);
    }
    if (!m_layout.sidePanel.isNull()) m_pSidePanel->setGeometry(m_layout.sidePanel);
    setMinimumTrackWidth(m_layout.minTrackWidth);
    update();
}

void CTolivaView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RelayoutChildren();
}

bool CTolivaView::ToggleLibraryPanel() {
    if (!m_pSidePanel) return false;
    AppContext& context = m_app.context();
    const float ratio = m_app.settings().libraryPanelRatio;
    const int clientWidth = width();
    QWidget* frame = window();
    const bool resizeFrame = frame != this && !frame->isMaximized() && !frame->isFullScreen();
    if (context.option(OptLibraryPanel)) {
        context.options &= ~uint32_t(OptLibraryPanel);
        m_pSidePanel->hide();
        setMinimumTrackWidth(600);
        if (resizeFrame) {
            // Narrower by the panel's share, its right edge kept at 100 or
            // more and its width at 600 or more.
            int w = frame->width() - int(ratio * float(clientWidth));
            w = std::max({w, 600, 100 - frame->geometry().x()});
            frame->resize(w, frame->height());
        }
    } else {
        context.options |= OptLibraryPanel;
        setMinimumTrackWidth(760);
        m_pSidePanel->show();
        if (resizeFrame && ratio < 1.0f) {
            const int w = frame->width() + int(ratio / (1.0f - ratio) * float(clientWidth) + 1.0f);
            frame->resize(std::max(w, 600), frame->height());
        }
    }
    UpdateAlignButtons();
    RelayoutChildren();
    return true;
}

bool CTolivaView::ToggleLaTeXMode() {
    if (!m_pLaTeXPane || !m_sheet) return false;
    AppSettings& settings = m_app.settings();
    if (settings.viewMode == 1) {
        settings.viewMode = 0;
        RelayoutChildren();
        m_pLaTeXToolbar->hide();
        m_pLaTeXPane->hide();
        m_pMainToolbar->show();
        m_pSymbolStrip->show();
        m_pSymbolStrip->update();
        setFocusProxy(m_sheet);
        m_sheet->StartCaret();
        m_sheet->setFocus(Qt::OtherFocusReason);
    } else {
        settings.viewMode = 1;
        RelayoutChildren();
        m_pMainToolbar->hide();
        m_pSymbolStrip->hide();
        m_sheet->StopCaret();
        // The pane shows the equation as it is now: text left from before
        // would, once applied, undo what was edited meanwhile.
        if (!m_pLaTeXPane->LoadFromEquation()) m_pLaTeXPane->editor().SetEditorText(QString());
        m_pLaTeXToolbar->show();
        m_pLaTeXPane->show();
        setFocusProxy(m_pLaTeXPane);
        m_pLaTeXPane->setFocus(Qt::OtherFocusReason);
    }
    ShowPromptBar(QString(), 0);
    update();
    return true;
}

void CTolivaView::UpdateWindowTitle() {
    const CTolivaDoc* doc = document();
    QString title = doc ? doc->GetTitle() : QString::fromLatin1(CTolivaApp::kAppTitle);
    if (!IsEmbedded()) title = QString::fromLatin1(CTolivaApp::kAppTitle) + QStringLiteral(" - ") + title;
    if (m_sheet) title += QString::asprintf(" - %.0f%%", double(m_app.context().eeScale) * 50.0);
    window()->setWindowTitle(title);
}

// ---- tool-bar states

void CTolivaView::applyButtonStates(const std::map<int, int>& states, int first, int last) {
    if (!m_pMainToolbar) return;
    m_pMainToolbar->m_bChanged = false;
    for (const auto& [position, state] : states)
        if (position >= first && position <= last) m_pMainToolbar->SetButtonState(position, state, false);
    if (m_pMainToolbar->m_bChanged) m_pMainToolbar->update();
}

int CTolivaView::currentAlignment() const {
    EqModel* eq = m_sheet ? m_sheet->equation() : nullptr;
    if (!eq) return -1;
    // The element the alignment commands take as their reference: the one
    // after the caret, at a chain's end the chain's head.
    if (EqElement* caret = GetEquationCaret(eq)) {
        EqElement* reference = caret->next ? caret->next : FindChainStart(caret);
        const EqElement* parent = reference ? reference->parent : nullptr;
        if (parent && IsMatrixType(parent->type)) {
            // A matrix numbers its alignments left 1, centre 0, right 2,
            // at the mark 3.
            switch (parent->ch & 0xF) {
            case 1: return 0;
            case 0: return 1;
            case 2: return 2;
            case 3: return 3;
            default: return -1;
            }
        }
    }
    return eq->settings.options[EqLayoutSettings::OptLineAlignment];
}

void CTolivaView::UpdateToolbarStates() {
    if (!m_sheet || !m_pMainToolbar) return;
    AppSettings& settings = m_app.settings();
    // The typing type is the character mode the exit saves.
    settings.charCodeMode = m_sheet->typingType;
    const EqModel* eq = m_sheet->equation();
    const bool firstOption = eq && eq->settings.ints[0] != 0;
    applyButtonStates(MainToolbarStates(settings.charCodeMode, firstOption, IsEmbedded(), currentAlignment()), 0,
                      std::numeric_limits<int>::max());
}

void CTolivaView::UpdateAlignButtons() {
    if (!m_sheet || !m_pMainToolbar) return;
    applyButtonStates(MainToolbarStates(0, false, false, currentAlignment()), kAlignButtonFirst,
                      kAlignButtonFirst + 3);
}

// ---- keys

bool CTolivaView::PreTranslateKey(int vkCode, bool ctrl, bool shift, bool alt, bool keyDown) {
    (void)shift;
    // The character message never toggles anything: its code 0x76 is the
    // letter v, not F7.
    if (!keyDown) return false;
    if (ctrl && !alt && vkCode == vk::Tab) return ToggleLaTeXMode();
    if (!ctrl && !alt && vkCode == vk::function(7)) return ToggleLibraryPanel();
    // Everything else goes on to the window with the focus.
    return false;
}

bool CTolivaView::preTranslateKeyEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    int key = event->key();
    if (key == Qt::Key_Backtab) key = Qt::Key_Tab;
    const int vkCode = VirtualKeyFromQt(key, mods & Qt::KeypadModifier);
    if (!PreTranslateKey(vkCode, mods & Qt::ControlModifier, mods & Qt::ShiftModifier, mods & Qt::AltModifier, true))
        return false;
    event->accept();
    return true;
}

bool CTolivaView::eventFilter(QObject* watched, QEvent* event) {
    const bool fromSheet = m_sheet && watched == m_sheet;
    const bool fromEditor = watched && (watched == m_editorWindows[0] || watched == m_editorWindows[1]);
    if (fromSheet || fromEditor) {
        switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // Ctrl+Tab and F7 are no shortcuts of another window.
            auto* key = static_cast<QKeyEvent*>(event);
            const bool ctrl = key->modifiers() & Qt::ControlModifier;
            if ((ctrl && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) ||
                (!ctrl && key->key() == Qt::Key_F7))
                event->accept();
            break;
        }
        case QEvent::KeyPress:
            if (preTranslateKeyEvent(static_cast<QKeyEvent*>(event))) return true;
            break;
        default:
            if (fromSheet) return sheetDragEvent(event);
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- the wheel

bool CTolivaView::OnWheel(QPoint viewPoint, int delta) {
    if (delta == 0) return false;
    if (m_app.settings().viewMode == 0 && m_pSymbolStrip && m_pSymbolStrip->isVisible() &&
        m_layout.strip.contains(viewPoint)) {
        // The strip turns to its next group for a negative delta (the wheel
        // towards the user), to the previous one for a positive delta.
        if (delta < 0) m_pSymbolStrip->StepForward();
        else m_pSymbolStrip->StepBack();
        return true;
    }
    if (m_pSidePanel && m_pSidePanel->isVisible() && m_layout.sidePanel.contains(viewPoint)) {
        // The side panel scrolls its page; the placeholder has none.
        return true;
    }
    return false;
}

void CTolivaView::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    if (OnWheel(event->position().toPoint(), angle.y() != 0 ? angle.y() : angle.x())) event->accept();
    else event->ignore();
}

// ---- the mouse

void CTolivaView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (m_pSidePanel && m_pSidePanel->isVisible() && m_layout.splitter.contains(point)) {
            m_nDragState = 2;
            m_dragSavedRatio = m_app.settings().libraryPanelRatio;
            m_dragStart = point;
            setCursor(Qt::SizeHorCursor);
        }
        // A press on a strip cell waits for its release (the strip takes
        // presses on its tabs itself).
        if (m_pSymbolStrip && m_pSymbolStrip->isVisible() && m_pSymbolStrip->Press(mapToGlobal(point), true)) {
            m_pressedKey = m_pSymbolStrip->pressedKey();
            m_bStripPressPending = true;
        }
        event->accept();
        return;
    }
    if (event->button() == Qt::RightButton) {
        // The strip's right-button press sends WM_SYMBOL_PANEL_RCLICK for
        // the cell under the mouse, or opens the tab menu.
        if (m_pSymbolStrip && m_pSymbolStrip->isVisible()) m_pSymbolStrip->Press(mapToGlobal(point), false);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CTolivaView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    AppSettings& settings = m_app.settings();
    if (m_bStripPressPending && m_sheet && m_layout.sheet.contains(point)) {
        // A symbol dragged over the sheet: the caret shows where it goes.
        m_sheet->MoveCaretToPoint(point - m_layout.sheet.topLeft());
        setCursor(Qt::DragCopyCursor);
    }
    if (m_nDragState == 2) {
        settings.libraryPanelRatio = DragLibraryPanelRatio(m_dragSavedRatio, width(), m_dragStart.x(), point.x());
        RelayoutChildren();
    } else if (m_nDragState == 1 && settings.viewMode == 1) {
        settings.texPaneRatio =
            DragTeXPaneRatio(m_dragSavedRatio, m_layout.latexPane.bottom() + 1 - m_layout.sheet.top(), m_dragStart.y(),
                             point.y());
        RelayoutChildren();
    } else if (m_nDragState == 0 && !m_bStripPressPending) {
        if (m_pSidePanel && m_pSidePanel->isVisible() && m_layout.splitter.contains(point)) setCursor(Qt::SizeHorCursor);
        else unsetCursor();
    }
    event->accept();
}

void CTolivaView::endSplitterDrag() {
    m_nDragState = 0;
    unsetCursor();
    if (m_pSidePanel) m_pSidePanel->update();
    if (m_pLaTeXPane) m_pLaTeXPane->update();
    if (m_sheet) m_sheet->update();
    update();
}

void CTolivaView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (m_nDragState != 0) {
        endSplitterDrag();
    } else if (m_app.settings().viewMode == 0) {
        // Released over the cell pressed: its key.
        const std::optional<SymbolKey> released =
            m_pSymbolStrip && m_pSymbolStrip->Release(mapToGlobal(point)) ? std::optional<SymbolKey>(m_pressedKey)
                                                                          : std::nullopt;
        const std::optional<SymbolKey> pressed =
            m_bStripPressPending ? std::optional<SymbolKey>(m_pressedKey) : std::nullopt;
        m_bStripPressPending = false;
        unsetCursor();
        if (const std::optional<SymbolKey> key = StripReleaseKey(pressed, released, m_layout.sheet.contains(point)))
            TakeSymbolKey(*key);
    }
    m_bStripPressPending = false;
    event->accept();
}

void CTolivaView::TakeSymbolKey(const SymbolKey& key) {
    if (!m_sheet) return;
    SymbolKey taken = key;
    if (key == kMoreSymbolsKey) {
        // The more-symbols cell: the picker over the pressed group. Cancel
        // leaves the key as it is, which the sheet ignores.
        if (!m_panelContext || !m_panelContext->picker) {
            ShowNotAvailableYet(m_app.context().languageCode(), Unavailable::Dialog);
            return;
        }
        if (CKwTBG* group = m_pSymbolStrip ? m_pSymbolStrip->pressedGroup() : nullptr) group->PickFromMore(taken);
    }
    m_sheet->ExecuteSymbolKey(taken);
}

// ---- tool-bar commands and messages

void CTolivaView::OnToolbarCommand(int command, int buttonCommand, QPoint viewPoint) {
    AppSettings& settings = m_app.settings();
    switch (command) {
    case kPaneCut:
    case kPaneCopy:
    case kPanePaste:
        if (m_pLaTeXPane) m_pLaTeXPane->editor().Send(kEditorCut + unsigned(command - kPaneCut));
        return;
    case kSplitStart:
        if (m_pLaTeXPane && settings.viewMode == 1) {
            m_nDragState = 1;
            m_dragSavedRatio = settings.texPaneRatio;
            m_dragStart = viewPoint;
        }
        return;
    case kSplitMove:
        if (m_nDragState == 1 && settings.viewMode == 1) {
            settings.texPaneRatio = DragTeXPaneRatio(m_dragSavedRatio, m_layout.latexPane.bottom() + 1 - m_layout.sheet.top(),
                                                     m_dragStart.y(), viewPoint.y());
            RelayoutChildren();
        }
        return;
    case kSplitEnd:
        if (m_nDragState != 0) endSplitterDrag();
        return;
    case -1:
        // A right click asks for the hot-key menu of the button's command.
        ShowHotkeyMenu(buttonCommand, mapToGlobal(viewPoint));
        return;
    default: break;
    }
    if (m_sheet) m_sheet->ExecuteCommand(command);
}

bool CTolivaView::event(QEvent* event) {
    if (DispatchPostedMessage(event, this)) return true;
    return QWidget::event(event);
}

intptr_t CTolivaView::OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_TOOLBAR_COMMAND: {
        // The splitter codes follow the cursor; a right click (-1) carries
        // the button's command in lParam.
        const QPoint cursor = mapFromGlobal(QCursor::pos());
        OnToolbarCommand(int(wParam), wParam == -1 ? int(lParam) : 0, cursor);
        return 0;
    }
    case WM_SYMBOL_PANEL_RCLICK:
        // Only the main strip asks (the panel in both parameters).
        if (m_pSymbolStrip && wParam == reinterpret_cast<intptr_t>(m_pSymbolStrip)) OnStripRightClick(m_pSymbolStrip);
        return 0;
    case WM_SETTINGS_DIALOG_BUTTON:
        OnSettingsPanelButton(reinterpret_cast<CDlgGU*>(wParam), int(lParam));
        return 0;
    default: return 0;
    }
}

// ---- painting

void CTolivaView::paintEvent(QPaintEvent* event) {
    if (!m_bLaidOut) {
        // The first paint lays the children out and paints again.
        m_bLaidOut = true;
        RelayoutChildren();
        update();
        return;
    }
    const AppSettings& settings = m_app.settings();
    QPainter painter(this);
    painter.fillRect(event->rect(), fromColorRef(settings.uiBack));
    if (!m_pMainToolbar) return;
    const QColor line = fromColorRef(kLineColour);
    painter.setPen(QPen(line, 1));
    const QRect sheet = m_layout.sheet;
    const int sheetBottom = sheet.y() + sheet.height();
    if (settings.panelOptions[3]) painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(sheet.left(), sheetBottom, sheet.x() + sheet.width() - 1, sheetBottom);
    if (!m_pSidePanel || !m_pSidePanel->isVisible() || m_layout.splitter.isEmpty()) return;

    const QRect splitter = m_layout.splitter;
    const int x = splitter.x();
    painter.drawLine(x, splitter.top(), x, splitter.y() + splitter.height() - 1);
    const float s = m_app.context().uiScale;
    const int bottom = splitter.y() + splitter.height();
    // One grip beside the bars or the LaTeX pane, one beside the sheet.
    int first;
    if (settings.viewMode == 1) first = (sheetBottom + bottom) / 2 - kGripLength / 2;
    else if (settings.panelOptions[2]) first = splitter.top() + 120;
    else first = bottom - (int(s * 144) + int(s * 70)) / 2 - kGripLength / 2;
    const int second = sheet.y() + sheet.height() / 2 - kGripLength / 2;
    const int dotX = x + kSplitterWidth / 2;
    for (int start : {first, second})
        for (int i = 0; i < kGripDots; ++i) painter.fillRect(dotX, start + i * kGripStep, 1, 2, line);
}

// ---- drops

bool CTolivaView::sheetDragEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
        m_scrollX.counter = m_scrollY.counter = 0;
        return false;
    case QEvent::DragLeave:
        OnDragLeave();
        return false;
    case QEvent::Drop:
        m_scrollX.counter = m_scrollY.counter = 0;
        return false;
    case QEvent::DragMove: {
        // The sheet decides first whether it takes the data; then the view
        // scrolls it near its edges.
        auto* move = static_cast<QDragMoveEvent*>(event);
        static_cast<QObject*>(m_sheet)->event(event);
        if (move->isAccepted()) OnDragOver(m_sheet->mapTo(this, move->position().toPoint()));
        return true;
    }
    default: return false;
    }
}

int CTolivaView::OnDragOver(QPoint viewPoint) {
    constexpr int kCopyOrMove = 3;
    if (!m_sheet) return kCopyOrMove;
    const QRect area = m_sheet->geometry();
    const QPoint at = viewPoint - area.topLeft();
    if (const int dy = m_scrollY.Step(at.y(), area.height() - 1 - at.y())) m_sheet->ScrollVert(dy, true);
    if (const int dx = m_scrollX.Step(at.x(), area.width() - 1 - at.x())) m_sheet->ScrollHorz(dx, true);
    m_sheet->StopCaret();
    m_sheet->MoveCaretToPoint(at);
    m_sheet->StartCaret();
    return kCopyOrMove;
}

void CTolivaView::OnDragLeave() { m_scrollX.counter = m_scrollY.counter = 0; }

bool CTolivaView::OnDrop(const QMimeData& data, QPoint viewPoint, bool ctrlHeld) {
    m_scrollX.counter = m_scrollY.counter = 0;
    if (!m_sheet) return false;
    if (m_sheet->geometry().contains(viewPoint)) {
        m_sheet->MoveCaretToPoint(viewPoint - m_sheet->geometry().topLeft());
        return m_sheet->DropDataObject(data, ctrlHeld);
    }
    if (m_pSidePanel && m_pSidePanel->isVisible() && m_pSidePanel->geometry().contains(viewPoint)) {
        // The panel's current sheet takes dropped equations once the panel
        // is there; the placeholder takes nothing.
        return false;
    }
    return false;
}

// ---- the prompt bar

bool CTolivaView::PromptBarKeyDown(int vkCode, bool ctrl, bool shift, bool alt) {
    return m_promptDriver && m_promptDriver->PromptBarKeyDown(vkCode, ctrl, shift, alt);
}

void CTolivaView::ShowPromptBar(const QString& text, int mode) {
    if (!m_promptDriver) return;
    m_promptDriver->ShowPromptBar(text, mode);
    // A text without candidates shows no bar.
    if (m_pPromptBar->isVisible() && m_pPromptBar->list().shownCount() == 0) m_promptDriver->ShowPromptBar(QString(), 0);
}

bool CTolivaView::IsPromptBarShowingForSheet() const {
    return m_promptDriver && m_promptDriver->IsPromptBarShowingForSheet();
}

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

void CTolivaView::UpdateTitle() { UpdateWindowTitle(); }

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

bool CTolivaView::MoveLaTeXText(bool toEquation) {
    if (!m_pLaTeXPane) return false;
    if (toEquation) m_pLaTeXPane->ApplyToEquation();
    else m_pLaTeXPane->LoadFromEquation();
    return true;
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
    case ID_APP_ABOUT: m_app.OnAppAbout(); return true;
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

bool CTolivaView::PasteIntoLaTeXPane() {
    if (!m_pLaTeXPane || !m_pLaTeXPane->editor().isCreated()) return false;
    const QMimeData* data = clipboardService().mimeData();
    if (!data || !data->hasText()) return false;
    m_pLaTeXPane->editor().InsertAtCaret(0, data->text());
    return true;
}

}  // namespace toliva
