// The tool bars and the one-line input as a person sees them, in both
// languages, saved under screenshots/ for a look: the main window's bars
// (a button hovered to its last shade, one latched, a narrow window with
// the overflow button), the LaTeX bar, every other description as its owner
// lays it out, and the one-line input as the sheet asks for a custom space's
// amount (with the apply button) and the font size (with the check box).
#include "ShellTestSupport.h"
#include "panels/CDialogSetString.h"
#include "panels/CDlgToolbar.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "sheet/editing/CommandCodes.h"
#include "shell/ShellEditDialogs.h"
#include "platform/Folders.h"
#include "sheet/CKwEESheet.h"
#include "shell/CMainFrame.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>

namespace toliva::test {
namespace {

void save(QWidget& widget, const QString& name) {
    EXPECT_TRUE(widget.grab().save(QDir(screenshotFolder()).filePath(name + QStringLiteral(".png")))) << name.toStdString();
}

void hover(CDlgToolbar& bar, int position) {
    const QPoint at = bar.buttons()[size_t(position)]->rect.center();
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(bar.mapToGlobal(at)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &e);
    for (int tick = 0; tick < 11; ++tick) bar.OnAnimationTimer();
}

class ToolbarLookTest : public ProgramFixture {};

TEST_F(ToolbarLookTest, MainWindowBarsInBothLanguages) {
    for (const char* lanSel : {"1", "2"}) {
        writeString(kLanguage, QStringLiteral("LanSel"), QString::fromLatin1(lanSel));
        ASSERT_TRUE(startProgram());
        const QString lang = context.languageCode();
        // The run before ended in LaTeX mode, which the program keeps.
        if (settings().viewMode == 1) {
            ASSERT_TRUE(view().ToggleLaTeXMode());
        }
        frame().resize(1400, 700);
        frame().show();
        QApplication::processEvents();
        CDlgToolbar* bar = view().mainToolbar();
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(bar->buttons().size(), 32u);
        hover(*bar, 7);
        save(frame(), QStringLiteral("toolbar_main_%1").arg(lang));
        EXPECT_FALSE(bar->overflowActive());
        save(*bar, QStringLiteral("toolbar_main_bar_%1").arg(lang));
        // Narrow: the later buttons move behind the overflow button.
        frame().resize(700, 600);
        QApplication::processEvents();
        EXPECT_TRUE(bar->overflowActive());
        save(*bar, QStringLiteral("toolbar_main_narrow_%1").arg(lang));
        // The LaTeX mode's bar.
        ASSERT_TRUE(view().ToggleLaTeXMode());
        QApplication::processEvents();
        ASSERT_TRUE(view().latexToolbar()->isVisible());
        save(*view().latexToolbar(), QStringLiteral("toolbar_latex_bar_%1").arg(lang));
        save(frame(), QStringLiteral("toolbar_latex_%1").arg(lang));
        stopProgram();
    }
}

TEST_F(ToolbarLookTest, OtherBarsAsTheirOwnersLayThemOut) {
    struct Look {
        const char* name;
        QSize size;
        int mode, spacing, cols, rows;
    };
    const Look looks[] = {
        {"tb_sym_edt", QSize(520, 40), 1, 1, 0, 0}, {"tb_mx_temp", QSize(150, 200), 0, 0, 3, 4},
        {"tb_grkb", QSize(300, 120), 0, 5, 10, 4},  {"tb_book_list", QSize(260, 36), 0, 5, 0, 0},
        {"tb_rsb", QSize(300, 36), 0, 5, 0, 0},     {"tb_wp", QSize(700, 44), 1, 1, 0, 0},
    };
    for (const char* language : {"en", "cn"}) {
        PanelContext c;
        c.programFolder = programFolder();
        c.languageCode = QString::fromLatin1(language);
        for (const Look& look : looks) {
            SCOPED_TRACE(look.name);
            QObject owner;
            CDlgToolbar bar(&owner, c, nullptr);
            bar.m_nLayoutMode = look.mode;
            bar.m_nSpacing = look.spacing;
            bar.m_nGridCols = look.cols;
            bar.m_nGridRows = look.rows;
            ASSERT_TRUE(bar.LoadButtons(QString::fromLatin1(look.name)));
            bar.resize(look.size);
            bar.RecalcLayout();
            for (const auto& b : bar.buttons()) EXPECT_FALSE(b->overflow);
            if (bar.buttons().size() > 4) bar.SetButtonState(4, 21, false);  // latched, as the pin is
            bar.SetButtonState(1, 0, false);                                 // disabled: grey
            hover(bar, 2);
            save(bar, QStringLiteral("toolbar_%1_%2").arg(QString::fromLatin1(look.name), c.languageCode));
        }
    }
}

TEST_F(ToolbarLookTest, OneLineInputAsTheSheetAsksInBothLanguages) {
    for (const char* lanSel : {"1", "2"}) {
        writeString(kLanguage, QStringLiteral("LanSel"), QString::fromLatin1(lanSel));
        ASSERT_TRUE(startProgram());
        const QString lang = context.languageCode();
        ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("a\\hspace{2em}b")));
        EqElement* space = nullptr;
        for (EqElement* e = sheet().equation()->lines[0]->next; e; e = e->next)
            if (e->type == EqTypeSpaceCustom) space = e;
        ASSERT_NE(space, nullptr);
        // The custom space's amount with its live preview, and the font size
        // with its check box.
        int shots = 0;
        view().editDialogs()->runString = [&](CDialogSetString& d) {
            d.show();
            QApplication::processEvents();
            save(d, QStringLiteral("one_line_input_%1_%2").arg(shots++ ? QStringLiteral("fontsize") : QStringLiteral("space"), lang));
            d.hide();
            return IDCANCEL;
        };
        EXPECT_TRUE(sheet().ApplyElementMenuCode(space, CMD_CUSTOM_SPACE_AMOUNT));
        EXPECT_EQ(sheet().FontSizeDialog(true), 0);
        EXPECT_EQ(shots, 2);
        stopProgram();
    }
}

}  // namespace
}  // namespace toliva::test
