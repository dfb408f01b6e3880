// The main window with its symbol strip as a person sees it, in both
// languages at the interface scales 1.0 and 2.0, once with a group chosen
// and once with a tab's menu open over it; saved under screenshots/ for a
// look.
#include "ShellTestSupport.h"
#include "TestSupport.h"

#include "panels/CKwTBPanel.h"
#include "uikit/CKwMenu.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>

namespace toliva::test {
namespace {

class SymbolStripLookTest : public ProgramFixture {};

TEST_F(SymbolStripLookTest, MainWindowWithTheStripInBothLanguagesAndScales) {
    const QString folder = screenshotFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    struct Scale {
        int step;  // "AppUISS"
        float scale;
        QSize window;
    };
    for (const Scale& s : {Scale{1, 1.0f, QSize(1200, 800)}, Scale{5, 2.0f, QSize(1900, 1200)}}) {
        for (const char* lanSel : {"1", "2"}) {
            {
                RegKey tbp;
                ASSERT_TRUE(OpenRegKey(QStringLiteral("Software\\Toliva\\TBP"), tbp));
                ASSERT_TRUE(WriteRegDword(tbp, QStringLiteral("AppUISS"), s.step));
            }
            writeString(kLanguage, QStringLiteral("LanSel"), QString::fromLatin1(lanSel));
            ASSERT_TRUE(startProgram());
            ASSERT_FLOAT_EQ(context.uiScale, s.scale);
            frame().resize(s.window);
            QApplication::processEvents();
            ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("\\sum_{k=1}^{n} \\alpha_k x^k")));
            CKwTBPanel_Scr* strip = view().symbolStrip();
            ASSERT_NE(strip, nullptr);
            ASSERT_TRUE(strip->isVisible());
            const QString name = QStringLiteral("strip_%1_%2").arg(context.languageCode()).arg(int(s.scale * 100));

            // The operators chosen.
            strip->SetCurrentGroup(2);
            QApplication::processEvents();
            QImage picture = frame().grab().toImage();
            ASSERT_EQ(picture.size(), s.window);
            EXPECT_TRUE(picture.save(folder + name + QStringLiteral(".png")));
            // The strip alone, pixel for pixel.
            EXPECT_TRUE(strip->grab().save(folder + name + QStringLiteral("_strip.png")));

            // A right click on the fifth tab: its menu, drawn over the window
            // where it opens.
            const StripTab& tab = strip->tabs()[4];
            const QPoint at = strip->mapTo(&view(), QPoint(int(tab.x + tab.width / 2), int(tab.y + tab.height / 2)));
            const QPoint inFrame = view().mapTo(&frame(), at);
            QImage withMenu;
            strip->trackMenu = [&](CKwMenu& menu, QPoint) {
                menu.adjustSize();
                menu.ensurePolished();
                const QImage menuPicture = menu.grab().toImage();
                withMenu = frame().grab().toImage();
                QPainter painter(&withMenu);
                painter.drawImage(inFrame.x(), inFrame.y() - menuPicture.height(), menuPicture);
                EXPECT_EQ(menu.actions().size(), 4);
                return 0u;
            };
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(view().mapToGlobal(at)), Qt::RightButton,
                              Qt::RightButton, Qt::NoModifier);
            QApplication::sendEvent(&view(), &press);
            EXPECT_EQ(strip->currentGroup(), 4);
            ASSERT_FALSE(withMenu.isNull());
            EXPECT_TRUE(withMenu.save(folder + name + QStringLiteral("_tabmenu.png")));

            // Flat tabs and no button shading ("TBP" bit 0 off, ButtonAero 0).
            settings().panelOptions[0] = false;
            settings().buttonAero = 0;
            view().ApplyPanelColours(true);
            EXPECT_TRUE(strip->grab().save(folder + name + QStringLiteral("_flat_strip.png")));
            stopProgram();
        }
    }
}

}  // namespace
}  // namespace toliva::test
