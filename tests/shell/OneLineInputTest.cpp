// The one-line input as the program runs it for its sheet: the font size
// with its check box, and a custom space's amount with the live preview,
// which Cancel takes back and OK leaves as one undo step.
#include "ShellTestSupport.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "panels/CDialogSetString.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/CommandCodes.h"
#include "shell/ShellEditDialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace toliva::test {
namespace {

class OneLineInputTest : public ProgramFixture {
protected:
    EqElement* customSpace() {
        for (EqElement* e = sheet().equation()->lines[0]->next; e; e = e->next)
            if (e->type == EqTypeSpaceCustom) return e;
        return nullptr;
    }
};

TEST_F(OneLineInputTest, FontSizeAsksWithItsCheckBoxAndANonNumberChangesNothing) {
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("x")));
    const float before = sheet().equation()->settings.fontSize;
    QString typed = QStringLiteral("20");
    int runs = 0;
    view().editDialogs()->runString = [&](CDialogSetString& d) {
        ++runs;
        EXPECT_TRUE(d.checkBox()->isVisibleTo(&d));
        EXPECT_FALSE(d.applyButton()->isVisibleTo(&d));
        EXPECT_EQ(d.edit()->text(), QString::asprintf("%g", double(sheet().equation()->settings.fontSize)));
        d.edit()->setText(typed);
        d.okButton()->click();
        return IDOK;
    };
    ASSERT_NE(before, 20.0f);
    EXPECT_EQ(sheet().FontSizeDialog(true), 1);
    EXPECT_EQ(sheet().equation()->settings.fontSize, 20.0f);
    // A size that is no finite number changes nothing, as Cancel does.
    for (const char* text : {"nan", "inf", "-inf", "size"}) {
        typed = QString::fromLatin1(text);
        EXPECT_EQ(sheet().FontSizeDialog(true), 0) << text;
        EXPECT_EQ(sheet().equation()->settings.fontSize, 20.0f) << text;
    }
    EXPECT_EQ(runs, 5);
}

TEST_F(OneLineInputTest, CustomSpacePreviewIsTakenBackOnCancelAndUndoneAsOneStepOnOk) {
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("a\\hspace{2em}b")));
    EqElement* space = customSpace();
    ASSERT_NE(space, nullptr);
    ASSERT_EQ(GetSpaceAmount(space), 2.0f);

    // Apply shows 1.5 at once; Cancel puts 2 back.
    float seen = 0;
    view().editDialogs()->runString = [&](CDialogSetString& d) {
        EXPECT_TRUE(d.applyButton()->isVisibleTo(&d));
        d.edit()->setText(QStringLiteral("1.5"));
        d.applyButton()->click();
        seen = GetSpaceAmount(customSpace());
        d.cancelButton()->click();
        return IDCANCEL;
    };
    EXPECT_TRUE(sheet().ApplyElementMenuCode(space, CMD_CUSTOM_SPACE_AMOUNT));
    EXPECT_EQ(seen, 1.5f);
    EXPECT_EQ(GetSpaceAmount(customSpace()), 2.0f);

    // Apply 1.5, then OK with 3: 3 stays, and one undo brings back 2.
    view().editDialogs()->runString = [&](CDialogSetString& d) {
        d.edit()->setText(QStringLiteral("1.5"));
        d.applyButton()->click();
        d.edit()->setText(QStringLiteral("3"));
        d.okButton()->click();
        return IDOK;
    };
    EXPECT_TRUE(sheet().ApplyElementMenuCode(customSpace(), CMD_CUSTOM_SPACE_AMOUNT));
    EXPECT_EQ(GetSpaceAmount(customSpace()), 3.0f);
    sheet().Undo();
    ASSERT_NE(customSpace(), nullptr);
    EXPECT_EQ(GetSpaceAmount(customSpace()), 2.0f);

    // A non-finite number applied reads as 0.
    view().editDialogs()->runString = [&](CDialogSetString& d) {
        d.edit()->setText(QStringLiteral("nan"));
        d.applyButton()->click();
        seen = GetSpaceAmount(customSpace());
        d.cancelButton()->click();
        return IDCANCEL;
    };
    EXPECT_TRUE(sheet().ApplyElementMenuCode(customSpace(), CMD_CUSTOM_SPACE_AMOUNT));
    EXPECT_EQ(seen, 0.0f);
    EXPECT_EQ(GetSpaceAmount(customSpace()), 2.0f);
}

}  // namespace
}  // namespace toliva::test
