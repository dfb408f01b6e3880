// The more-symbols picker over the operators' group (248 nodes): the grid
// and its paging, the page that holds the symbol being replaced and its
// mark, the mouse and the wheel, the symbol menu, the texts in both
// languages and where the dialog goes on the screen.
#include "panels/CDialogMoreSym.h"
#include "panels/CKwTBG.h"
#include "panels/CKwTBPanel.h"
#include "panels/SymbolBarTables.h"

#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "uikit/CKwMenu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPushButton>
#include <QScrollBar>

#include <memory>
#include <vector>

namespace toliva::test {
namespace {

constexpr int kFirstOperator = 1042;
constexpr int kMark = CKwTBG::kMarkCellBase;

// The operators of the main strip: group 3, 248 nodes in an orderable group.
std::unique_ptr<CKwTBG> operators(const PanelContext& context) {
    const MainStripGroup& g = MainStripGroups()[2];
    auto group = std::make_unique<CKwTBG>(context);
    group->rows = g.rows;
    group->cols = g.cols;
    EXPECT_TRUE(group->BuildGroup(g.cellWidth, g.cellHeight, 0, 0, g.records));
    return group;
}

SymbolKey op(int index) { return SymbolKey{3, kFirstOperator + index, 0}; }

// The centre of a cell of the picker's page, as a screen point.
QPoint cellAt(const CDialogMoreSym& d, int cell) {
    const TBCell& c = d.pickerGroup()->cells()[size_t(cell)];
    return d.panel()->mapToGlobal(QPoint(int(c.x + c.width / 2), int(c.y + c.height / 2)));
}

void click(CDialogMoreSym& d, QPoint down, QPoint up) {
    d.OnLeftButtonDown(down);
    d.OnLeftButtonUp(up);
}

// The dialog shown (its panel laid out), as the modal loop would.
void showUp(CDialogMoreSym& d) {
    d.show();
    QApplication::processEvents();
}

// The sheet as the symbol menu sees it, recording what it is asked to do.
struct FakeSheet : SymbolMenuSheet {
    bool marks = true;
    QString hint = QStringLiteral("\\sum\tSum");
    std::vector<SymbolKey> replaced, hotkeys;
    bool HasMarkedElements() const override { return marks; }
    QString HotkeyText(const SymbolKey&) const override { return QStringLiteral("Hot key: Ctrl+1"); }
    QString TeXHint(const SymbolKey&) const override { return hint; }
    void ReplaceMarked(const SymbolKey& key) override { replaced.push_back(key); }
    void EditHotkey(const SymbolKey& key, const QString&) override { hotkeys.push_back(key); }
};

class MoreSymbolsTest : public ::testing::Test {
protected:
    PanelContext context;
    std::unique_ptr<CKwTBG> group = operators(context);
    std::unique_ptr<CDialogMoreSym> dialog(bool replace, SymbolKey current = {}, bool large = false) {
        auto d = std::make_unique<CDialogMoreSym>(&group->nodes(), context);
        d->m_bReplaceMode = replace;
        d->m_currentKey = current;
        d->m_bLargeCells = large;
        d->pointerPos = [] { return QPoint(300, 200); };
        return d;
    }
};

TEST_F(MoreSymbolsTest, TheGridPagesThroughEveryNodeAndNeverScrollsPastTheLastPage) {
    auto d = dialog(false);
    d->OnInitDialog();
    ASSERT_EQ(group->nodes().size(), 248u);
    EXPECT_EQ(d->columns(), 16);
    EXPECT_EQ(d->visibleRows(), 8);
    EXPECT_EQ(d->cellsPerPage(), 128);
    EXPECT_EQ(d->totalRows(), 16);
    EXPECT_EQ(d->scrollMinimum(), 0);
    EXPECT_EQ(d->scrollMaximum(), 15);
    EXPECT_EQ(d->scrollPage(), 8);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("More symbols / 248"));
    EXPECT_FALSE(d->okButton()->isVisibleTo(d.get()));  // picking: one click closes
    EXPECT_EQ(d->pickerGroup()->cells()[0].node, group->nodes()[0]);  // the same node objects
    // The panel: 16 x 8 cells of 36 and one pixel; the scroll bar beside it.
    EXPECT_EQ(d->panel()->geometry(), QRect(CDialogMoreSym::kPlaceholderX, CDialogMoreSym::kPlaceholderY,
                                            36 * 16 + 1, 36 * 8 + 1));
    EXPECT_EQ(d->scrollBar()->geometry().x(), d->panel()->geometry().right() + 3);

    // Scrolling: line, half pages, the thumb; never past row 8.
    struct Step {
        CDialogMoreSym::ScrollCode code;
        int thumb, first, firstCode;
    };
    const Step steps[] = {
        {CDialogMoreSym::kLineDown, 0, 1, 16},     {CDialogMoreSym::kPageDown, 0, 5, 80},
        {CDialogMoreSym::kPageDown, 0, 8, 128},    {CDialogMoreSym::kLineDown, 0, 8, 128},
        {CDialogMoreSym::kThumbTrack, 15, 8, 128}, {CDialogMoreSym::kPageUp, 0, 4, 64},
        {CDialogMoreSym::kLineUp, 0, 3, 48},       {CDialogMoreSym::kThumbTrack, -3, 0, 0},
    };
    for (const Step& s : steps) {
        d->OnVScroll(s.code, s.thumb);
        EXPECT_EQ(d->firstRow(), s.first) << int(s.code);
        EXPECT_EQ(d->scrollBar()->value(), s.first);
        EXPECT_EQ(d->pickerGroup()->cells()[0].node->code, kFirstOperator + s.firstCode);
    }
    // The last page shows the last 120 nodes and leaves the other cells empty.
    d->ScrollTo(100, false);
    EXPECT_EQ(d->firstRow(), 8);
    EXPECT_EQ(d->pickerGroup()->cells()[119].node->code, 1289);
    EXPECT_EQ(d->pickerGroup()->cells()[120].node, nullptr);
    // The wheel: towards the user at the last page changes nothing; away,
    // half a page back.
    d->pickerGroup()->redraw = 0;
    d->OnWheel(1);
    EXPECT_EQ(d->firstRow(), 8);
    EXPECT_EQ(d->pickerGroup()->redraw, 0);
    d->OnWheel(-1);
    EXPECT_EQ(d->firstRow(), 4);

    // The scroll bar's own actions and a real wheel turn go the same ways.
    d->ScrollTo(0, false);
    d->scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->firstRow(), 4);
    EXPECT_EQ(d->scrollBar()->value(), 4);
    d->scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(d->firstRow(), 3);
    QWheelEvent towardsUser(QPointF(20, 20), QPointF(d->mapToGlobal(QPoint(20, 20))), QPoint(), QPoint(0, -120),
                            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(d.get(), &towardsUser);
    EXPECT_EQ(d->firstRow(), 7);

    // Large cells: 12 x 6 of 48, 21 rows.
    auto large = dialog(false, {}, true);
    large->OnInitDialog();
    EXPECT_EQ(large->columns(), 12);
    EXPECT_EQ(large->visibleRows(), 6);
    EXPECT_EQ(large->totalRows(), 21);
    EXPECT_EQ(large->panel()->width(), 48 * 12 + 1);
    large->ScrollTo(40, false);
    EXPECT_EQ(large->firstRow(), 15);
}

TEST_F(MoreSymbolsTest, ReplaceModeOpensOnThePageOfTheCurrentSymbolAndMarksIt) {
    struct Case {
        int index;
        bool large;
        int first, mark;
    };
    const Case cases[] = {
        {0, false, 0, kMark},
        {127, false, 0, kMark + 127},
        {128, false, 1, kMark + 112},  // the first cell past a page: on the next one, marked
        {144, false, 2, kMark + 112},
        {200, false, 5, kMark + 120},
        {247, false, 8, kMark + 119},
        {72, true, 1, kMark + 60},
        {247, true, 15, kMark + 67},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        auto d = dialog(true, op(c.index), c.large);
        d->OnInitDialog();
        EXPECT_EQ(d->currentIndex(), c.index);
        EXPECT_EQ(d->firstRow(), c.first);
        EXPECT_EQ(d->scrollBar()->value(), c.first);
        EXPECT_EQ(d->pickerGroup()->mark, c.mark);
        const int cell = c.mark - kMark;
        EXPECT_EQ(d->pickerGroup()->cells()[size_t(cell)].node->key(), op(c.index));
        EXPECT_TRUE(d->okButton()->isVisibleTo(d.get()));
    }
    // Scrolled off its page the symbol is not marked; back on it, it is.
    auto d = dialog(true, op(200));
    d->OnInitDialog();
    d->ScrollTo(0, false);
    EXPECT_EQ(d->pickerGroup()->mark, -1);
    d->ScrollTo(4, true);
    EXPECT_EQ(d->pickerGroup()->mark, -1);  // rows 4 to 11: up to node 191
    d->ScrollTo(2, true);
    EXPECT_EQ(d->pickerGroup()->mark, kMark + 200 - 96);
    // An empty node list: no rows, nothing to show or scroll, and a click
    // picks nothing.
    const std::vector<CKwTBN*> none;
    CDialogMoreSym empty(&none, context);
    empty.pointerPos = [] { return QPoint(0, 0); };
    empty.OnInitDialog();
    EXPECT_EQ(empty.totalRows(), 0);
    empty.OnWheel(1);
    empty.ScrollTo(3, false);
    EXPECT_EQ(empty.firstRow(), 0);
    empty.OnLeftButtonDown(empty.mapToGlobal(QPoint(30, 30)));
    empty.OnLeftButtonUp(empty.mapToGlobal(QPoint(30, 30)));
    EXPECT_EQ(empty.result(), 0);
    // A key that is none of the group's: the first page, nothing marked.
    auto unknown = dialog(true, SymbolKey{6, 1, 0});
    unknown->OnInitDialog();
    EXPECT_EQ(unknown->firstRow(), 0);
    EXPECT_EQ(unknown->pickerGroup()->mark, -1);
}

TEST_F(MoreSymbolsTest, OneClickPicksCancelKeepsTheKeys) {
    // Picking: a press and release on one cell chooses it and closes.
    auto d = dialog(false);
    d->m_chosenKey = kMoreSymbolsKey;
    d->runModal = [](CDialogMoreSym& dlg) {
        showUp(dlg);
        dlg.ScrollTo(5, false);
        // Pressed on one cell, released on another: nothing.
        click(dlg, cellAt(dlg, 3), cellAt(dlg, 4));
        EXPECT_EQ(dlg.result(), 0);
        // Released outside every cell: nothing.
        click(dlg, cellAt(dlg, 3), dlg.okButton()->mapToGlobal(QPoint(2, 2)));
        EXPECT_EQ(dlg.result(), 0);
        // The dialog's own mouse events over the panel.
        const QPoint local = dlg.mapFromGlobal(cellAt(dlg, 3));
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(local), QPointF(cellAt(dlg, 3)), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(local), QPointF(cellAt(dlg, 3)), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &up);
        return dlg.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    EXPECT_EQ(d->DoModal(), IDOK);
    EXPECT_EQ(d->m_chosenKey, op(83));

    // Cancel: both keys as the caller gave them.
    auto cancelled = dialog(false, op(7));
    cancelled->m_chosenKey = kMoreSymbolsKey;
    cancelled->runModal = [](CDialogMoreSym& dlg) {
        showUp(dlg);
        dlg.cancelButton()->click();
        return dlg.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    EXPECT_EQ(cancelled->DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled->m_chosenKey, kMoreSymbolsKey);
    EXPECT_EQ(cancelled->m_currentKey, op(7));

    // Replace mode: a click marks another symbol and stays open; OK confirms.
    auto replace = dialog(true, op(200));
    replace->runModal = [](CDialogMoreSym& dlg) {
        showUp(dlg);
        click(dlg, cellAt(dlg, 2), cellAt(dlg, 2));
        EXPECT_EQ(dlg.result(), 0);
        EXPECT_FALSE(dlg.panel()->suspended);
        EXPECT_EQ(dlg.currentIndex(), 82);
        EXPECT_EQ(dlg.pickerGroup()->mark, kMark + 2);
        // Scrolled away and back, the new choice stays marked.
        dlg.ScrollTo(8, false);
        EXPECT_EQ(dlg.pickerGroup()->mark, -1);
        dlg.ScrollTo(5, false);
        EXPECT_EQ(dlg.pickerGroup()->mark, kMark + 2);
        dlg.okButton()->click();
        return dlg.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    EXPECT_EQ(replace->DoModal(), IDOK);
    EXPECT_EQ(replace->m_currentKey, op(82));
}

struct MenuScript {
    std::vector<std::vector<unsigned>> offered;
    unsigned choice = 0;
    unsigned operator()(CKwMenu& menu, QPoint) {
        std::vector<unsigned> ids;
        for (QAction* a : menu.actions()) ids.push_back(CKwMenu::ActionId(a));
        offered.push_back(ids);
        return choice;
    }
};

TEST_F(MoreSymbolsTest, TheSymbolMenuOffersWhatTheSheetAllows) {
    FakeSheet sheet;
    auto script = std::make_shared<MenuScript>();
    auto d = dialog(false);
    d->m_pSheet = &sheet;
    d->trackMenu = [script](CKwMenu& m, QPoint p) { return (*script)(m, p); };
    d->OnInitDialog();
    showUp(*d);

    // Marks in the sheet: replace them, the hot key, the TeX hint.
    script->choice = CDialogMoreSym::kMenuReplaceMarked;
    d->OnRightButtonDown(cellAt(*d, 10));
    ASSERT_EQ(script->offered.size(), 1u);
    EXPECT_EQ(script->offered[0], (std::vector<unsigned>{8, 0, 3, 0, 2}));
    EXPECT_EQ(sheet.replaced, (std::vector<SymbolKey>{op(10)}));
    EXPECT_EQ(d->result(), 0);  // the menu does not close the picker

    // No marks and no hint: the hot key alone, which opens its dialog.
    sheet.marks = false;
    sheet.hint.clear();
    script->choice = CDialogMoreSym::kMenuHotkey;
    d->OnRightButtonDown(cellAt(*d, 11));
    EXPECT_EQ(script->offered[1], (std::vector<unsigned>{3}));
    EXPECT_EQ(sheet.hotkeys, (std::vector<SymbolKey>{op(11)}));

    // An empty cell of the last page: no menu.
    d->ScrollTo(8, false);
    d->OnRightButtonDown(cellAt(*d, 125));
    EXPECT_EQ(script->offered.size(), 2u);

    // Without a sheet, and in replace mode, a right click shows nothing.
    auto noSheet = dialog(false);
    noSheet->trackMenu = d->trackMenu;
    noSheet->OnInitDialog();
    showUp(*noSheet);
    noSheet->OnRightButtonDown(cellAt(*noSheet, 1));
    auto replace = dialog(true, op(3));
    replace->m_pSheet = &sheet;
    replace->trackMenu = d->trackMenu;
    replace->OnInitDialog();
    showUp(*replace);
    replace->OnRightButtonDown(cellAt(*replace, 1));
    EXPECT_EQ(script->offered.size(), 2u);
}

TEST_F(MoreSymbolsTest, TextsInBothLanguages) {
    for (const char* lang : {"en", "cn"}) {
        context.languageCode = QString::fromLatin1(lang);
        auto d = dialog(true, op(1));
        d->OnInitDialog();
        LangTable texts(context.languageCode, QStringLiteral("LANG_12.xml"));
        const auto item = [&](int i) { return LoadLangString(texts, QStringLiteral("gCS_1"), i); };
        for (int i = 1; i <= 3; ++i) EXPECT_FALSE(item(i).isEmpty()) << lang << i;
        EXPECT_EQ(d->windowTitle(), item(1) + QStringLiteral(" / 248"));
        EXPECT_EQ(d->okButton()->text(), item(2));
        EXPECT_EQ(d->cancelButton()->text(), item(3));
    }
}

TEST(MoreSymbolsPlacement, CentredOnThePointerAndKeptOnTheScreen) {
    const QSize size(600, 360);
    const QRect screen(0, 0, 1920, 1040);  // the work area, above a task bar
    struct Case {
        QPoint pointer;
        QRect main;
        QPoint at;
    };
    const Case cases[] = {
        {{960, 300}, {100, 50, 1600, 900}, {660, 300}},     // centred on the pointer
        {{150, 300}, {100, 50, 1600, 900}, {105, 300}},     // 5 inside the main window's left
        {{1650, 300}, {100, 50, 1600, 900}, {1095, 300}},   // not past its right less 5
        {{1900, 300}, {1000, 50, 1000, 900}, {1315, 300}},  // nor past the screen's right less 5
        {{960, 800}, {100, 50, 1600, 900}, {660, 585}},     // above the main window's bottom less 5
        {{960, 900}, {0, 0, 1920, 1200}, {660, 680}},       // and above the work area's bottom
        {{960, -50}, {0, -200, 1920, 900}, {660, 0}},       // a pointer above the screen: its top
        {{300, 300}, {-300, 0, 500, 900}, {5, 300}},        // a window off the left: the screen's edge wins
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDialogMoreSym::Placement(size, c.pointer, c.main, screen), c.at) << c.pointer.x() << "," << c.pointer.y();
}

}  // namespace
}  // namespace toliva::test
