// The find-and-replace dialog in the program: opened by the find command with
// the selected characters, acting on the sheet, one undo step for replace
// all, the language choice, and pictures of it in both languages.
#include "ShellTestSupport.h"
#include "TestSupport.h"
#include "../sheet/SheetTestSupport.h"

#include "model/EqBuilder.h"
#include "panels/CDlgFindReplace.h"
#include "panels/CDlgToolbar.h"
#include "sheet/editing/CommandCodes.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

namespace toliva::test {
namespace {

class FindReplaceDialogTest : public ProgramFixture {
protected:
    void start(const char* lanSel = "1") {
        writeString(kLanguage, QStringLiteral("LanSel"), QString::fromLatin1(lanSel));
        ASSERT_TRUE(startProgram());
        frame().resize(1000, 700);
        QApplication::processEvents();
        EqModel* eq = sheet().equation();
        ClearEquation(eq);
        EqBuilder b(eq);
        EqElement* line = b.line();
        b.text(line, u"ab", EqTypeCharItalic);
        b.text(line, u"+");
        b.text(line, u"ab", EqTypeCharItalic);
        sheet().SetCaretElement(line);
        sheet().Refresh(0);
    }
    std::string text() { return equationText(*sheet().equation()); }
};

TEST_F(FindReplaceDialogTest, TheFindCommandOpensTheDialogWithTheSelectedText) {
    start();
    EXPECT_EQ(view().findDialog(), nullptr);
    EqElement* head = sheet().equation()->lines.front();
    sheet().SelectRange(head, head->next->next);
    sheet().ExecuteCommand(CMD_FIND_REPLACE);
    QApplication::processEvents();
    CDlgFindReplace* dialog = view().findDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->parentWidget(), &sheet());
    EXPECT_EQ(dialog->findEdit()->text(), QStringLiteral("ab"));
    EXPECT_EQ(dialog->focusedField(), dialog->replaceEdit());

    // Shown again, not made again; without a selection the box keeps its text.
    dialog->hide();
    sheet().ClearSelection(false);
    sheet().ExecuteCommand(CMD_FIND_REPLACE);
    EXPECT_EQ(view().findDialog(), dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->findEdit()->text(), QStringLiteral("ab"));
    EXPECT_EQ(dialog->focusedField(), dialog->findEdit());
}

TEST_F(FindReplaceDialogTest, ReplaceAllIsOneUndoStepOnTheSheet) {
    start();
    ASSERT_TRUE(view().ShowFindDialog(QStringLiteral("ab")));
    CDlgFindReplace* dialog = view().findDialog();
    dialog->replaceEdit()->setText(QStringLiteral("xyz"));
    dialog->button(CDlgFindReplace::kReplaceAll)->click();
    EXPECT_EQ(text(), "xyz+xyz");
    EXPECT_EQ(messages.shown.size(), 0u);
    EXPECT_EQ(sheet().selection().foundPatternLength, 0);
    sheet().Undo();
    EXPECT_EQ(text(), "ab+ab");

    // Next and replace step through the sheet's caret.
    dialog->button(CDlgFindReplace::kNext)->click();
    EXPECT_EQ(sheet().equation()->caret, sheet().equation()->lines.front()->next->next);
    dialog->replaceEdit()->setText(QStringLiteral("c"));
    dialog->button(CDlgFindReplace::kReplace)->click();
    EXPECT_EQ(text(), "c+ab");
    sheet().Undo();
    EXPECT_EQ(text(), "ab+ab");
}

TEST_F(FindReplaceDialogTest, ALanguageChoiceReloadsTheTexts) {
    start();
    ASSERT_TRUE(view().ShowFindDialog(QString()));
    CDlgFindReplace* dialog = view().findDialog();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Find and Replace"));
    sheet().ExecuteCommand(CMD_LANGUAGE_BASE + 2);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("查找和替换"));
    sheet().ExecuteCommand(CMD_LANGUAGE_BASE + 1);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Find and Replace"));
}

TEST_F(FindReplaceDialogTest, ScreenshotsOfTheDialog) {
    const QString folder = screenshotFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* lanSel : {"1", "2"}) {
        start(lanSel);
        ASSERT_TRUE(view().ShowFindDialog(QStringLiteral("ab")));
        CDlgFindReplace* dialog = view().findDialog();
        dialog->replaceEdit()->setText(QStringLiteral("xyz"));
        dialog->adjustSize();
        QApplication::processEvents();
        const QImage picture = dialog->grab().toImage();
        const QString name = QStringLiteral("find_replace_%1.png").arg(context.languageCode());
        EXPECT_TRUE(picture.save(folder + name)) << name.toStdString();
        // The character bar shows its pictures: not one colour.
        const QImage bar = dialog->characterBar()->grab().toImage();
        bool varied = false;
        for (int y = 0; y < bar.height() && !varied; ++y)
            for (int x = 0; x < bar.width() && !varied; ++x) varied = bar.pixel(x, y) != bar.pixel(0, 0);
        EXPECT_TRUE(varied);
        // Find all hides the dialog and the sheet shows the marks.
        dialog->button(CDlgFindReplace::kFindAll)->click();
        EXPECT_FALSE(dialog->isVisible());
        QApplication::processEvents();
        const QString marks = QStringLiteral("find_replace_marks_%1.png").arg(context.languageCode());
        EXPECT_TRUE(sheet().grab().toImage().save(folder + marks)) << marks.toStdString();
        stopProgram();
    }
}

}  // namespace
}  // namespace toliva::test
