// The main window's tool bar under the mouse: a click reaches the sheet
// through the view and the bar shows the new state; a right click on a
// button with a hot key offers the hot-key menu; the overflow menu's
// choice is carried out like a click.
#include "ShellTestSupport.h"
#include "panels/CDlgToolbar.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/CommandCodes.h"
#include "shell/CMainFrame.h"
#include "uikit/CKwMenu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

namespace toliva::test {
namespace {

class ViewToolbarTest : public ProgramFixture {
protected:
    void start(int width) {
        ASSERT_TRUE(startProgram());
        if (settings().viewMode == 1) {
            ASSERT_TRUE(view().ToggleLaTeXMode());
        }
        frame().resize(width, 700);
        frame().show();
        QApplication::processEvents();
        view().grab();  // the first paint lays the children out
        QApplication::processEvents();
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        CDlgToolbar& b = *view().mainToolbar();
        QMouseEvent e(type, QPointF(at), QPointF(b.mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&b, &e);
    }
    int positionOf(int command) {
        const auto& buttons = view().mainToolbar()->buttons();
        for (size_t i = 0; i < buttons.size(); ++i)
            if (buttons[i]->command == command && !buttons[i]->isSeparator()) return int(i);
        return -1;
    }
    void click(QPoint at) {
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QApplication::processEvents();
    }
};

TEST_F(ViewToolbarTest, ClicksAndRightClicksReachTheView) {
    start(1400);
    CDlgToolbar& bar = *view().mainToolbar();
    ASSERT_FALSE(bar.overflowActive());
    const int bold = positionOf(CMD_TOGGLE_BOLD);
    ASSERT_GE(bold, 0);
    EXPECT_EQ(bar.buttonState(bold), 1);
    click(bar.buttons()[size_t(bold)]->rect.center());
    EXPECT_EQ(bar.buttonState(bold), 21);
    click(bar.buttons()[size_t(bold)]->rect.center());
    EXPECT_EQ(bar.buttonState(bold), 1);

    // The colour button (6) has a hot key: its right click offers the menu.
    int menus = 0;
    view().trackMenu = [&](CKwMenu&, QPoint) {
        ++menus;
        return 0u;
    };
    const int colour = positionOf(6);
    ASSERT_GE(colour, 0);
    const QPoint at = bar.buttons()[size_t(colour)]->rect.center();
    mouse(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    QApplication::processEvents();
    EXPECT_EQ(menus, 1);
}

TEST_F(ViewToolbarTest, TheOverflowMenusChoiceIsCarriedOut) {
    start(760);
    CDlgToolbar& bar = *view().mainToolbar();
    ASSERT_TRUE(bar.overflowActive());
    const int option = positionOf(CMD_TOGGLE_LAYOUT_OPTION);
    ASSERT_TRUE(bar.buttons()[size_t(option)]->overflow);
    const int before = bar.buttonState(option);
    bar.trackMenu = [](CKwMenu& menu, QPoint) {
        EXPECT_NE(menu.FindRecord(CMD_TOGGLE_LAYOUT_OPTION), nullptr);
        return unsigned(CMD_TOGGLE_LAYOUT_OPTION);
    };
    click(bar.overflowButton().rect.center());
    EXPECT_EQ(bar.buttonState(option), before == 21 ? 1 : 21);
}

}  // namespace
}  // namespace toliva::test
