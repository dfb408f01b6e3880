// The main view in a running program (offscreen): its children's places,
// the panel and mode toggles with their keys, the splitters, the title,
// tool-bar commands and states, the prompt bar's keys, drops with automatic
// scrolling, the office add-in's bare view, and pictures of the whole main
// window.
#include "ShellTestSupport.h"
#include "TestSupport.h"

#include "../sheet/SheetTestSupport.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "panels/CKwTBPanel.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "panels/CDlgToolbar.h"
#include "shell/CTolivaView.h"
#include "shell/ShellMoreSymbols.h"
#include "panels/CDialogMoreSym.h"
#include "sheet/CDialogTeXEdt.h"
#include "sheet/CDlgTeXPromptBar.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/EditDialogs.h"
#include "sheet/editing/VirtualKeys.h"
#include "uikit/CKwMenu.h"

#include <Qsci/qsciscintillabase.h>

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QUrl>
#include <QMimeData>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace toliva::test {
namespace {

constexpr int kSelectAll = 2013;  // the editor's select-all message

// A key pressed and released on a window, through the event filters.
void key(QWidget* w, int qtKey, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, mods, text);
    QApplication::sendEvent(w, &release);
}
// Typed text: the key of a printable ASCII character is its upper case code.
void type(QWidget* w, const QString& text) {
    for (QChar c : text) key(w, c.toUpper().unicode(), {}, QString(c));
}
void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

class ViewTest : public ProgramFixture {
protected:
    void start(QSize size = QSize(1200, 800)) {
        ASSERT_TRUE(startProgram());
        resize(size);
    }
    void resize(QSize size) {
        frame().resize(size);
        QApplication::processEvents();
    }

    QWidget* editor() { return view().latexPane()->editor().control(); }
    std::string text() { return equationText(*sheet().equation()); }
    bool panelShown() const { return context.option(OptLibraryPanel); }

    // The layout the view's state asks for.
    ViewLayout expected() {
        ViewLayoutInput in;
        in.client = view().size();
        in.uiScale = context.uiScale;
        in.panelShown = panelShown();
        in.libraryPanelRatio = settings().libraryPanelRatio;
        in.texPaneRatio = settings().texPaneRatio;
        in.viewMode = settings().viewMode;
        in.barsOnTop = settings().panelOptions[2];
        in.topLine = settings().panelOptions[3];
        return ComputeViewLayout(in);
    }

};

TEST_F(ViewTest, ChildrenTakeTheirPlacesInBothModes) {
    start();
    ASSERT_EQ(view().size(), QSize(1200, 800));
    EXPECT_EQ(view().findChild<CDlgToolbar*>(QStringLiteral("tb_main")), view().mainToolbar());
    EXPECT_EQ(view().findChild<CDlgToolbar*>(QStringLiteral("tb_main_x")), view().latexToolbar());
    EXPECT_EQ(view().findChild<CKwTBPanel_Scr*>(QStringLiteral("symbol_strip")), view().symbolStrip());
    EXPECT_EQ(view().findChild<ViewPlaceholder*>(QStringLiteral("side_panel")), view().sidePanel());
    EXPECT_FALSE(view().promptBar()->isVisible());

    for (bool onTop : {false, true}) {
        SCOPED_TRACE(onTop);
        settings().panelOptions[2] = onTop;
        view().RelayoutChildren();
        const ViewLayout l = expected();
        EXPECT_EQ(sheet().geometry(), l.sheet);
        EXPECT_EQ(view().mainToolbar()->geometry(), l.mainToolbar);
        EXPECT_EQ(view().symbolStrip()->geometry(), l.strip);
        EXPECT_EQ(view().sidePanel()->geometry(), l.sidePanel);
        EXPECT_TRUE(view().mainToolbar()->isVisible());
        EXPECT_TRUE(view().symbolStrip()->isVisible());
        EXPECT_FALSE(view().latexPane()->isVisible());
        EXPECT_FALSE(view().latexToolbar()->isVisible());
        EXPECT_EQ(frame().minimumWidth(), 760);
    }

    // LaTeX mode: a stored ratio beyond 0.8 is laid out and kept as 0.8.
    settings().texPaneRatio = 0.9f;
    ASSERT_TRUE(view().ToggleLaTeXMode());
    const ViewLayout l = expected();
    EXPECT_FLOAT_EQ(settings().texPaneRatio, 0.8f);
    EXPECT_EQ(sheet().geometry(), l.sheet);
    EXPECT_EQ(view().latexToolbar()->geometry(), l.latexToolbar);
    EXPECT_EQ(view().latexPane()->geometry(), l.latexPane);
    EXPECT_TRUE(view().latexPane()->isVisible());
    EXPECT_FALSE(view().symbolStrip()->isVisible());
    EXPECT_FALSE(view().mainToolbar()->isVisible());
}

TEST_F(ViewTest, F7TogglesThePanelAndTheWindowWidthButTypingVDoesNot) {
    start();
    ASSERT_TRUE(panelShown());
    ASSERT_FLOAT_EQ(settings().libraryPanelRatio, 0.25f);
    key(&sheet(), Qt::Key_F7);
    QApplication::processEvents();
    EXPECT_FALSE(panelShown());
    EXPECT_FALSE(view().sidePanel()->isVisible());
    EXPECT_EQ(frame().width(), 900);  // narrower by 0.25 of 1200
    EXPECT_EQ(frame().minimumWidth(), 600);
    EXPECT_EQ(sheet().width(), 900);

    // The letter v is typed, not taken for F7 (0x76).
    type(&sheet(), QStringLiteral("v"));
    EXPECT_FALSE(panelShown());
    EXPECT_EQ(text(), "v");
    EXPECT_FALSE(view().PreTranslateKey(0x76, false, false, false, false));
    EXPECT_FALSE(panelShown());

    key(&sheet(), Qt::Key_F7);
    QApplication::processEvents();
    EXPECT_TRUE(panelShown());
    EXPECT_TRUE(view().sidePanel()->isVisible());
    EXPECT_EQ(frame().width(), 900 + 301);  // 0.25 / 0.75 of 900, and one
    EXPECT_EQ(frame().minimumWidth(), 760);
    EXPECT_EQ(view().sidePanel()->geometry(), expected().sidePanel);
    EXPECT_NEAR(settings().libraryPanelRatio, 0.25f, 0.001f);
}

TEST_F(ViewTest, CtrlTabSwitchesModesAndTheFocusFromEitherSide) {
    start();
    frame().activateWindow();
    QApplication::processEvents();
    sheet().setFocus();
    type(&sheet(), QStringLiteral("x+1"));
    const std::string typed = text();

    key(&sheet(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(settings().viewMode, 1);
    EXPECT_EQ(frame().focusWidget(), editor());
    // The pane shows the equation as it is now.
    EXPECT_EQ(view().latexPane()->editor().editorText().remove(QLatin1Char(' ')).contains(QStringLiteral("x+1")), true);
    EXPECT_EQ(text(), typed);  // the Tab went nowhere else

    key(editor(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(settings().viewMode, 0);
    EXPECT_EQ(frame().focusWidget(), &sheet());
    EXPECT_TRUE(sheet().caretRunning());
    EXPECT_EQ(text(), typed);

    // F7 reaches the view from the LaTeX editor as well.
    ASSERT_TRUE(view().ToggleLaTeXMode());
    key(editor(), Qt::Key_F7);
    EXPECT_FALSE(panelShown());
}

TEST_F(ViewTest, SplittersDragTheirRatios) {
    start();
    // The side panel's splitter, with the mouse.
    const QRect splitter = view().layout().splitter;
    ASSERT_EQ(splitter, QRect(900, 1, 6, 799));
    const QPoint grab = splitter.center();
    mouse(&view(), QEvent::MouseButtonPress, grab, Qt::LeftButton);
    EXPECT_EQ(view().cursor().shape(), Qt::SizeHorCursor);
    mouse(&view(), QEvent::MouseMove, grab - QPoint(100, 0), Qt::LeftButton);
    EXPECT_FLOAT_EQ(settings().libraryPanelRatio, 400.0f / 1200);
    EXPECT_EQ(view().sidePanel()->x(), 806);
    EXPECT_EQ(sheet().width(), 800);
    mouse(&view(), QEvent::MouseButtonRelease, grab - QPoint(100, 0), Qt::NoButton);
    mouse(&view(), QEvent::MouseMove, QPoint(400, 300), Qt::NoButton);
    EXPECT_FLOAT_EQ(settings().libraryPanelRatio, 400.0f / 1200);

    // The LaTeX splitter, through the LaTeX tool bar's drag codes.
    ASSERT_TRUE(view().ToggleLaTeXMode());
    const int bottom = sheet().geometry().bottom();
    view().OnToolbarCommand(CTolivaView::kSplitStart, 0, QPoint(300, bottom));
    view().OnToolbarCommand(CTolivaView::kSplitMove, 0, QPoint(300, bottom - 100));
    EXPECT_NEAR(sheet().geometry().bottom(), bottom - 100, 1);
    EXPECT_EQ(view().latexPane()->geometry(), expected().latexPane);
    view().OnToolbarCommand(CTolivaView::kSplitMove, 0, QPoint(300, 795));
    EXPECT_FLOAT_EQ(settings().texPaneRatio, 0.8f);
    view().OnToolbarCommand(CTolivaView::kSplitEnd, 0, QPoint(300, 795));
    view().OnToolbarCommand(CTolivaView::kSplitMove, 0, QPoint(300, 100));
    EXPECT_FLOAT_EQ(settings().texPaneRatio, 0.8f);  // the drag has ended
}

TEST_F(ViewTest, TitleShowsTheDocumentAndTheZoom) {
    start();
    view().UpdateWindowTitle();
    EXPECT_EQ(frame().windowTitle(), QStringLiteral("Toliva - Untitled - 200%"));
    // Zooming in from the tool bar retitles the window.
    view().OnToolbarCommand(CMD_ZOOM_IN, 0, QPoint());
    ASSERT_NE(context.eeScale, 4.0f);
    EXPECT_EQ(frame().windowTitle(), QString::asprintf("Toliva - Untitled - %.0f%%", double(context.eeScale) * 50));

    // An embedded document has no program name before its title, and its
    // tool bar cannot save it to a file.
    QString reason;
    ASSERT_TRUE(theApp->document()->OpenEmbedding(home() + QStringLiteral("item.afx"), &reason));
    view().UpdateWindowTitle();
    EXPECT_EQ(frame().windowTitle(), QString::asprintf("Toliva - %.0f%%", double(context.eeScale) * 50));
    view().UpdateToolbarStates();
    EXPECT_EQ(view().mainToolbar()->buttonState(3), 0);
}

TEST_F(ViewTest, ToolbarCommandsReachTheSheetThePaneAndTheMenu) {
    start();
    int menus = 0;
    view().trackMenu = [&](CKwMenu&, QPoint) {
        ++menus;
        return 0u;
    };
    // A right click on the zoom button (27) offers no menu and zooms nothing.
    const float scale = context.eeScale;
    SendWindowMessage(&view(), WM_TOOLBAR_COMMAND, -1, CMD_ZOOM_IN);
    view().OnToolbarCommand(-1, CMD_ZOOM_IN, QPoint(10, 10));
    EXPECT_EQ(menus, 0);
    EXPECT_EQ(context.eeScale, scale);

    // Other codes go to the sheet; the states follow.
    struct States {
        CDlgToolbar* bar;
        int at(int position) const { return bar->buttonState(position); }
    } states{view().mainToolbar()};
    const int before = sheet().equation()->settings.ints[0];
    SendWindowMessage(&view(), WM_TOOLBAR_COMMAND, CMD_TOGGLE_LAYOUT_OPTION, 0);
    EXPECT_NE(sheet().equation()->settings.ints[0], before);
    EXPECT_EQ(states.at(31), sheet().equation()->settings.ints[0] ? 21 : 1);
    type(&sheet(), QStringLiteral("ab"));
    for (int code : {CMD_ALIGN_LEFT, CMD_ALIGN_RIGHT, CMD_ALIGN_CENTER}) {
        SCOPED_TRACE(code);
        view().OnToolbarCommand(code, 0, QPoint());
        for (int i = 0; i < 4; ++i) EXPECT_EQ(states.at(25 + i), i == code - CMD_ALIGN_LEFT ? 21 : 1);
    }
    // Inside a matrix the buttons show the matrix's alignment.
    ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("\\begin{matrix}p&q\\end{matrix}")));
    EqElement* matrix = nullptr;
    for (EqElement* e = sheet().equation()->lines[0]->next; e; e = e->next)
        if (IsMatrixType(e->type)) matrix = e;
    ASSERT_NE(matrix, nullptr);
    ASSERT_FALSE(matrix->children.empty());
    sheet().SetCaretElement(matrix->children[0]);
    view().OnToolbarCommand(CMD_ALIGN_RIGHT, 0, QPoint());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(states.at(25 + i), i == 2 ? 21 : 1);
    EXPECT_EQ(sheet().equation()->settings.options[EqLayoutSettings::OptLineAlignment], 1);  // the lines stay centred
    sheet().SetCaretElement(sheet().equation()->lines[0]);
    view().UpdateAlignButtons();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(states.at(25 + i), i == 1 ? 21 : 1);

    view().OnToolbarCommand(CMD_TOGGLE_BOLD, 0, QPoint());
    EXPECT_EQ(states.at(17), 21);
    EXPECT_EQ(settings().charCodeMode, sheet().typingType);

    // Cut, copy and paste in the LaTeX pane's editor; the pane's text to the
    // equation and back.
    ASSERT_TRUE(view().ToggleLaTeXMode());
    CLaTeXWnd& latex = view().latexPane()->editor();
    latex.SetEditorText(QStringLiteral("y^2"));
    latex.Send(kSelectAll);
    view().OnToolbarCommand(CTolivaView::kPaneCopy, 0, QPoint());
    view().OnToolbarCommand(CTolivaView::kPaneCut, 0, QPoint());
    EXPECT_EQ(latex.editorText(), QString());
    view().OnToolbarCommand(CTolivaView::kPanePaste, 0, QPoint());
    EXPECT_EQ(latex.editorText(), QStringLiteral("y^2"));
    view().OnToolbarCommand(CMD_TEX_TO_EQUATION, 0, QPoint());
    EXPECT_EQ(text(), "y[" + std::to_string(EqTypeSuperscript) + ":2]");
    latex.SetEditorText(QString());
    view().OnToolbarCommand(CMD_EQUATION_TO_TEX, 0, QPoint());
    EXPECT_TRUE(latex.editorText().contains(QStringLiteral("y^")));

    // The capture hand-off's text goes into the pane at its caret.
    latex.SetEditorText(QString());
    auto mime = std::make_unique<QMimeData>();
    mime->setText(QStringLiteral("a+b"));
    clipboard.setMimeData(std::move(mime));
    EXPECT_TRUE(view().PasteIntoLaTeXPane());
    EXPECT_EQ(latex.editorText(), QStringLiteral("a+b"));
}

TEST_F(ViewTest, PromptBarKeysThroughTheView) {
    context.options |= OptPromptForSheet | OptTeXTyping;
    start();
    sheet().setFocus();
    // Escape hides the bar; the typed command stays.
    type(&sheet(), QStringLiteral("\\"));
    ASSERT_TRUE(view().IsPromptBarShowingForSheet());
    EXPECT_TRUE(view().promptBar()->isVisible());
    key(&sheet(), Qt::Key_Escape);
    EXPECT_FALSE(view().promptBar()->isVisible());
    EXPECT_EQ(text(), "\\");

    // A digit picks that candidate in place of the typed command.
    key(&sheet(), Qt::Key_Backspace);
    type(&sheet(), QStringLiteral("\\alph"));
    ASSERT_TRUE(view().IsPromptBarShowingForSheet());
    QString first;
    ASSERT_NE(view().promptBar()->list().PickCandidate(1, &first), -1);
    type(&sheet(), QStringLiteral("1"));
    EXPECT_EQ(text().find("alph"), std::string::npos) << text();
    EXPECT_EQ(text().find('1'), std::string::npos) << text();

    // Without the option the bar stays hidden.
    context.options &= ~uint32_t(OptPromptForSheet);
    view().ShowPromptBar(QStringLiteral("\\a"), 1);
    EXPECT_FALSE(view().IsPromptBarShowingForSheet());
}

TEST_F(ViewTest, DragsScrollTheSheetNearItsEdgesAndDropIntoIt) {
    start();
    sheet().setFocus();
    for (int i = 0; i < 30; ++i) {
        type(&sheet(), QStringLiteral("x"));
        key(&sheet(), Qt::Key_Return);
    }
    key(&sheet(), Qt::Key_Home, Qt::ControlModifier);
    ASSERT_GT(sheet().vScrollMax(), 0);
    ASSERT_EQ(sheet().scrollY(), 0);

    const QRect area = sheet().geometry();
    const QPoint nearBottom(area.center().x(), area.bottom() - 10);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(view().OnDragOver(nearBottom), 3);
    EXPECT_EQ(sheet().scrollY(), 0);  // four steps: not yet
    view().OnDragOver(nearBottom);
    EXPECT_EQ(sheet().scrollY(), 5);
    view().OnDragOver(nearBottom);
    EXPECT_EQ(sheet().scrollY(), 11);
    // Leaving starts the count again.
    view().OnDragLeave();
    for (int i = 0; i < 4; ++i) view().OnDragOver(nearBottom);
    EXPECT_EQ(sheet().scrollY(), 11);

    QMimeData data;
    data.setData(kMathMLFormats[0], QByteArrayLiteral("<math><mi>q</mi></math>"));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(home() + QStringLiteral("a.afx"))});

    // The drag as the window system brings it: over the sheet, data it
    // takes scrolls it from the fifth step on; files (the frame's) do not.
    const QPoint inSheet(area.width() / 2, area.height() - 10);
    for (const QMimeData* dragged : {static_cast<const QMimeData*>(&files), static_cast<const QMimeData*>(&data)}) {
        const int start = sheet().scrollY();
        QDragEnterEvent enter(inSheet, Qt::CopyAction | Qt::MoveAction, dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&sheet(), &enter);
        for (int i = 0; i < 5; ++i) {
            QDragMoveEvent move(inSheet, Qt::CopyAction | Qt::MoveAction, dragged, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&sheet(), &move);
        }
        EXPECT_EQ(sheet().scrollY(), dragged == &data ? start + 5 : start);
        QDragLeaveEvent leave;
        QApplication::sendEvent(&sheet(), &leave);
    }

    // A drop inside the sheet inserts; on the side panel nothing yet.
    const std::string before = text();
    EXPECT_FALSE(view().OnDrop(data, view().sidePanel()->geometry().center(), false));
    EXPECT_EQ(text(), before);
    EXPECT_TRUE(view().OnDrop(data, area.topLeft() + QPoint(5, 5), false));
    EXPECT_EQ(text(), "q" + before);
}

TEST_F(ViewTest, StripKeysGoToTheSheet) {
    start();
    sheet().setFocus();
    view().TakeSymbolKey(SymbolKey{4, 'k', 0});
    EXPECT_EQ(text(), "k");
    // The more-symbols key inserts nothing by itself; with no strip group
    // pressed there is nothing to pick from, and no message.
    messages.shown.clear();
    view().TakeSymbolKey(kMoreSymbolsKey);
    EXPECT_EQ(text(), "k");
    EXPECT_TRUE(messages.shown.empty());
    view().TakeSymbolKey(SymbolKey{kSymbolKindCommand, CMD_SELECT_ALL, 0});
    EXPECT_TRUE(sheet().selection().exists());
}

// The strip through the view's own mouse and wheel: a press and release on
// one cell inserts, over two cells nothing, dragged onto the sheet it
// inserts there; the wheel turns the groups; the more-symbols cell opens
// its picker, and a cancelled picker inserts nothing.
TEST_F(ViewTest, StripCellsWheelAndDragsThroughTheViewsMouse) {
    start();
    CKwTBPanel_Scr* strip = view().symbolStrip();
    ASSERT_NE(strip, nullptr);
    const auto cellAt = [&](int group, int cell) {
        const TBCell& c = strip->group(group)->cells()[size_t(cell)];
        return strip->mapTo(&view(), QPoint(int(c.x + c.width / 2), int(c.y + c.height / 2)));
    };
    const auto wheel = [&](QPoint at, int delta) {
        QWheelEvent event(QPointF(at), QPointF(view().mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view(), &event);
    };

    // Towards the user: the next group; away: back; over the sheet nothing.
    const QPoint overStrip = view().layout().strip.center();
    wheel(overStrip, -120);
    EXPECT_EQ(strip->currentGroup(), 1);
    wheel(overStrip, 120);
    wheel(overStrip, 120);
    EXPECT_EQ(strip->currentGroup(), 0);
    wheel(view().layout().sheet.center(), -120);
    EXPECT_EQ(strip->currentGroup(), 0);

    // Pressed on alpha, released on beta: nothing.
    mouse(&view(), QEvent::MouseButtonPress, cellAt(0, 0), Qt::LeftButton);
    mouse(&view(), QEvent::MouseButtonRelease, cellAt(0, 1), Qt::NoButton);
    EXPECT_TRUE(IsEquationEmpty(sheet().equation()));
    // Released where it was pressed: alpha.
    mouse(&view(), QEvent::MouseButtonPress, cellAt(0, 0), Qt::LeftButton);
    mouse(&view(), QEvent::MouseButtonRelease, cellAt(0, 0), Qt::NoButton);
    ASSERT_EQ(sheet().equation()->lines.front()->next->ch, 0x3B1);
    // Dragged onto the sheet: beta goes where it is released.
    const QPoint onSheet = view().layout().sheet.center();
    mouse(&view(), QEvent::MouseButtonPress, cellAt(0, 1), Qt::LeftButton);
    mouse(&view(), QEvent::MouseMove, onSheet, Qt::LeftButton);
    mouse(&view(), QEvent::MouseButtonRelease, onSheet, Qt::NoButton);
    const EqElement* first = sheet().equation()->lines.front()->next;
    ASSERT_TRUE(first && first->next);
    EXPECT_EQ(first->next->ch, 0x3B2);

    // The operators' more-symbols cell: the picker, cancelled; nothing
    // inserted and no message.
    strip->SetCurrentGroup(2);
    const std::string before = text();
    messages.shown.clear();
    int pickers = 0;
    view().moreSymbolsPicker()->runDialog = [&](CDialogMoreSym&) {
        ++pickers;
        return int(IDCANCEL);
    };
    const int more = strip->group(2)->cellCount() - 1;
    mouse(&view(), QEvent::MouseButtonPress, cellAt(2, more), Qt::LeftButton);
    EXPECT_EQ(strip->pressedKey(), kMoreSymbolsKey);
    mouse(&view(), QEvent::MouseButtonRelease, cellAt(2, more), Qt::NoButton);
    EXPECT_EQ(pickers, 1);
    EXPECT_EQ(text(), before);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ViewTest, TheOfficeAddinsViewIsTheSheetAlone) {
    writeString(kWordCmds, QStringLiteral("DoNoWinVerb"), QStringLiteral("1"));
    start(QSize(900, 700));
    ASSERT_TRUE(theApp->m_bAddinMode);
    EXPECT_EQ(view().mainToolbar(), nullptr);
    EXPECT_EQ(view().latexPane(), nullptr);
    EXPECT_EQ(view().promptBar(), nullptr);
    EXPECT_EQ(view().sidePanel(), nullptr);
    EXPECT_EQ(sheet().geometry(), view().rect());
    EXPECT_FALSE(view().ToggleLaTeXMode());
    EXPECT_FALSE(view().ToggleLibraryPanel());
    EXPECT_FALSE(view().PasteIntoLaTeXPane());
    view().OnToolbarCommand(CTolivaView::kPaneCopy, 0, QPoint());
    view().OnToolbarCommand(CTolivaView::kSplitStart, 0, QPoint());
    view().ShowPromptBar(QStringLiteral("\\a"), 1);
    EXPECT_FALSE(view().IsPromptBarShowingForSheet());
    EXPECT_FALSE(view().OnWheel(QPoint(10, 10), -120));
}

// Pictures of the main window at two sizes, in both modes and both
// languages, into build/debug/screenshots/ to be looked at.
TEST_F(ViewTest, ScreenshotsOfTheMainWindow) {
    const QString folder = screenshotFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* lanSel : {"1", "2"}) {
        writeString(kLanguage, QStringLiteral("LanSel"), QString::fromLatin1(lanSel));
        start();
        ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("x=\\frac{-b\\pm\\sqrt{b^2-4ac}}{2a}")));
        for (QSize size : {QSize(1200, 800), QSize(960, 640)}) {
            resize(size);
            for (int mode : {0, 1}) {
                if (settings().viewMode != mode) {
                    ASSERT_TRUE(view().ToggleLaTeXMode());
                }
                QApplication::processEvents();
                const QImage picture = frame().grab().toImage();
                ASSERT_EQ(picture.size(), size);
                const QString name = QStringLiteral("main_%1_%2x%3_%4.png")
                                         .arg(context.languageCode())
                                         .arg(size.width())
                                         .arg(size.height())
                                         .arg(mode ? QStringLiteral("latex") : QStringLiteral("visual"));
                EXPECT_TRUE(picture.save(folder + name)) << name.toStdString();
                // Everything lies within the window.
                const ViewLayout l = view().layout();
                for (const QRect& r : {l.sheet, l.latexPane, l.sidePanel})
                    EXPECT_TRUE(r.isNull() || QRect(QPoint(), size).contains(r)) << name.toStdString();
            }
        }
        if (settings().viewMode == 1) view().ToggleLaTeXMode();
        theApp->ExitInstance(0);
        theApp.reset();
    }
}

}  // namespace
}  // namespace toliva::test
