// The tool bars and the one-line input as a person sees them, in both
// languages, saved under screenshots/ for a look: the main window's bars
// (a button hovered to its last shade, one latched, a narrow window with
// the overflow button), the LaTeX bar, every other description as its owner
// lays it out, and the one-line input with its apply button.
#include "ShellTestSupport.h"
#include "panels/CDialogSetString.h"
#include "panels/CDlgToolbar.h"
#include "platform/Folders.h"
#include "sheet/CKwEESheet.h"
#include "shell/CMainFrame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>

namespace toliva::test {
namespace {

QString screenshotFolder() {
    const QString folder = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../screenshots"));
    QDir().mkpath(folder);
    return folder;
}

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
        if (settings().viewMode == 1) ASSERT_TRUE(view().ToggleLaTeXMode());
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

TEST_F(ToolbarLookTest, OneLineInputInBothLanguages) {
    for (const char* language : {"en", "cn"}) {
        CDialogSetString dialog(QString::fromLatin1(language));
        const bool en = language[0] == 'e';
        dialog.m_strTitle = en ? QStringLiteral("Custom Space") : QStringLiteral("自定义空格");
        dialog.m_strPrompt = en ? QStringLiteral("Amount and unit (em, mu, ex, pc, pt, px, in, mm, cm):")
                                : QStringLiteral("数值和单位（em、mu、ex、pc、pt、px、in、mm、cm）：");
        dialog.m_strText = QStringLiteral("0.5em");
        dialog.m_bShowApply = true;
        dialog.m_bShowCheck = true;
        dialog.m_strCheckCaption = en ? QStringLiteral("Save as default") : QStringLiteral("保存为默认值");
        dialog.OnInitDialog();
        dialog.show();
        QApplication::processEvents();
        save(dialog, QStringLiteral("one_line_input_%1").arg(QString::fromLatin1(language)));
        dialog.hide();
    }
}

}  // namespace
}  // namespace toliva::test
