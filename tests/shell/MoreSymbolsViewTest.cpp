// The more-symbols picker as the view opens it: the strip's more-symbols
// cell picks a symbol to insert (Cancel inserts nothing), the symbol menu's
// "replace" entry puts another symbol into a cell and the order file keeps
// it once the strip goes; and how the picker looks in both languages.
#include "ShellTestSupport.h"
#include "TestSupport.h"
#include "../sheet/SheetTestSupport.h"
#include "model/EqModel.h"
#include "panels/CDialogMoreSym.h"
#include "panels/CKwTBG.h"
#include "panels/CKwTBPanel.h"
#include "platform/MessageSink.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"
#include "shell/ShellMoreSymbols.h"
#include "sheet/CKwEESheet.h"
#include "uikit/CKwMenu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPushButton>

#include <vector>

namespace toliva::test {
namespace {

constexpr int kOperators = 2;  // the strip's third group: 248 operators, order file 1
constexpr int kFirstOperator = 1042;

SymbolKey op(int index) { return SymbolKey{3, kFirstOperator + index, 0}; }

// Shows the picker as its modal loop would and clicks the node at a list
// position (scrolled to its page first).
void clickNode(CDialogMoreSym& d, int index) {
    d.show();
    QApplication::processEvents();
    d.ScrollTo(index / d.columns(), false);
    const TBCell& c = d.pickerGroup()->cells()[size_t(index - d.firstRow() * d.columns())];
    const QPoint at = d.panel()->mapToGlobal(QPoint(int(c.x + c.width / 2), int(c.y + c.height / 2)));
    d.OnLeftButtonDown(at);
    d.OnLeftButtonUp(at);
}

int answer(const CDialogMoreSym& d) { return d.result() == QDialog::Accepted ? IDOK : IDCANCEL; }

class MoreSymbolsViewTest : public ProgramFixture {
protected:
    void start() {
        ASSERT_TRUE(startProgram());
        frame().resize(1200, 800);
        QApplication::processEvents();
        strip = view().symbolStrip();
        ASSERT_NE(strip, nullptr);
        ASSERT_NE(view().moreSymbolsPicker(), nullptr);
        EXPECT_EQ(view().panelContext()->picker, view().moreSymbolsPicker());
        strip->SetCurrentGroup(kOperators);
        QApplication::processEvents();
    }
    QPoint cellAt(int group, int cell) {
        const TBCell& c = strip->group(group)->cells()[size_t(cell)];
        return strip->mapTo(&view(), QPoint(int(c.x + c.width / 2), int(c.y + c.height / 2)));
    }
    void press(QPoint at, Qt::MouseButton button) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(at), QPointF(view().mapToGlobal(at)), button, button,
                      Qt::NoModifier);
        QApplication::sendEvent(&view(), &e);
    }
    void release(QPoint at) {
        QMouseEvent e(QEvent::MouseButtonRelease, QPointF(at), QPointF(view().mapToGlobal(at)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&view(), &e);
    }
    void clickMoreCell() {
        const QPoint more = cellAt(kOperators, strip->group(kOperators)->cellCount() - 1);
        press(more, Qt::LeftButton);
        release(more);
    }
    std::string text() { return equationText(*sheet().equation()); }

    CKwTBPanel_Scr* strip = nullptr;
};

TEST_F(MoreSymbolsViewTest, TheMoreCellPicksASymbolAndCancelInsertsNothing) {
    start();
    sheet().setFocus();
    const std::string empty = text();

    // Cancel: the key stays the more-symbols key, which the sheet ignores.
    int runs = 0;
    view().moreSymbolsPicker()->runDialog = [&](CDialogMoreSym& d) {
        ++runs;
        EXPECT_FALSE(d.m_bReplaceMode);
        EXPECT_FALSE(d.m_bLargeCells);
        EXPECT_EQ(d.m_chosenKey, kMoreSymbolsKey);
        EXPECT_NE(d.m_pSheet, nullptr);  // the symbol menu acts on the sheet
        EXPECT_TRUE(d.windowTitle().endsWith(QStringLiteral(" / 248"))) << d.windowTitle().toStdString();
        d.show();
        d.cancelButton()->click();
        return answer(d);
    };
    clickMoreCell();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(text(), empty);
    EXPECT_TRUE(messages.shown.empty());

    // One click on the 201st operator inserts it through the view.
    view().moreSymbolsPicker()->runDialog = [&](CDialogMoreSym& d) {
        clickNode(d, 200);
        return answer(d);
    };
    const int steps = sheet().undoHistory().undoCount();
    clickMoreCell();
    EXPECT_EQ(text(), "[" + std::to_string(kFirstOperator + 200) + "]");
    EXPECT_EQ(sheet().undoHistory().undoCount(), steps + 1);

    // The picker's right click offers the symbol's menu through the view's
    // menu tracking: its hot-key entry.
    std::vector<std::vector<unsigned>> offered;
    view().trackMenu = [&](CKwMenu& menu, QPoint) {
        std::vector<unsigned> ids;
        for (QAction* a : menu.actions()) ids.push_back(CKwMenu::ActionId(a));
        offered.push_back(ids);
        return 0u;
    };
    view().moreSymbolsPicker()->runDialog = [&](CDialogMoreSym& d) {
        d.show();
        QApplication::processEvents();
        const TBCell& c = d.pickerGroup()->cells()[0];
        d.OnRightButtonDown(d.panel()->mapToGlobal(QPoint(int(c.x + 5), int(c.y + 5))));
        return int(IDCANCEL);
    };
    clickMoreCell();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].front(), unsigned(CDialogMoreSym::kMenuHotkey));
}

TEST_F(MoreSymbolsViewTest, ReplaceChangesTheCellAndTheOrderFileKeepsIt) {
    start();
    CKwTBG* group = strip->group(kOperators);
    const QString orderFile = group->UserOrderPath();
    ASSERT_FALSE(orderFile.isEmpty());
    const SymbolKey before = group->cells()[5].node->key();
    view().trackMenu = [](CKwMenu&, QPoint) { return 4u; };  // "Replace the symbol of this cell..."
    view().moreSymbolsPicker()->runDialog = [&](CDialogMoreSym& d) {
        EXPECT_TRUE(d.m_bReplaceMode);
        EXPECT_EQ(d.m_currentKey, before);
        EXPECT_EQ(d.m_pSheet, nullptr);
        EXPECT_EQ(d.pickerGroup()->mark, CKwTBG::kMarkCellBase + d.currentIndex());
        clickNode(d, 201);
        EXPECT_EQ(d.result(), 0);  // a click marks; OK confirms
        d.okButton()->click();
        return answer(d);
    };
    press(cellAt(kOperators, 5), Qt::RightButton);
    EXPECT_EQ(group->order()[5], 201);
    EXPECT_EQ(group->cells()[5].node->key(), op(201));
    EXPECT_TRUE(messages.shown.empty());

    // The strip goes with the program; the order file has the new symbol.
    stopProgram();
    std::vector<int> order(size_t(4 * 18 - 1), -1);
    ASSERT_TRUE(CKwTBG::ReadOrderBytes(readFile(orderFile), order));
    EXPECT_EQ(order[5], 201);
    EXPECT_EQ(order[4], 4);
}

TEST_F(MoreSymbolsViewTest, ThePickerInBothLanguages) {
    for (const char* lanSel : {"1", "2"}) {
        writeString(kLanguage, QStringLiteral("LanSel"), QString::fromLatin1(lanSel));
        start();
        const QString lang = context.languageCode();
        const auto save = [&](CDialogMoreSym& d, const QString& name) {
            d.show();
            QApplication::processEvents();
            EXPECT_TRUE(d.grab().save(QDir(screenshotFolder()).filePath(name + QStringLiteral("_%1.png").arg(lang))));
        };
        view().moreSymbolsPicker()->runDialog = [&](CDialogMoreSym& d) {
            d.ScrollTo(2, false);
            save(d, QStringLiteral("more_symbols"));
            return int(IDCANCEL);
        };
        clickMoreCell();
        view().trackMenu = [](CKwMenu&, QPoint) { return 4u; };
        view().moreSymbolsPicker()->runDialog = [&](CDialogMoreSym& d) {
            save(d, QStringLiteral("more_symbols_replace"));
            return int(IDCANCEL);
        };
        press(cellAt(kOperators, 5), Qt::RightButton);
        stopProgram();
    }
}

}  // namespace
}  // namespace toliva::test
