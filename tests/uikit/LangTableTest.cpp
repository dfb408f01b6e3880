#include "uikit/LangTable.h"

#include "platform/MessageSink.h"
#include "tests/platform/LangTableFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace toliva {
namespace {

using test::LangTableTest;

TEST_F(LangTableTest, MessageBoxTurnsBarsIntoLineBreaks) {
    LangTable t;
    OpenLangTableFile(t, "en", path());
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    sink.answers = {IDCANCEL};

    EXPECT_EQ(LangMessageBox(t, "gMSG_1", 1, MB_OKCANCEL | MB_ICONWARNING), IDCANCEL);
    EXPECT_EQ(LangMessageBox(t, "gMISSING", 1, MB_OK), IDOK);
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0].text, "First line\nSecond line");
    EXPECT_TRUE(sink.shown[0].caption.isEmpty());
    EXPECT_EQ(sink.shown[0].flags, unsigned(MB_OKCANCEL | MB_ICONWARNING));
    EXPECT_EQ(sink.shown[1].text, "");  // a missing text still shows, empty
}

TEST_F(LangTableTest, YesNoBoxKeepsBarsAndAnswersYesOrNo) {
    LangTable t;
    OpenLangTableFile(t, "en", path());
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);

    struct Case {
        int sinkAnswer;
        int result;
    };
    const Case cases[] = {{IDYES, IDYES}, {IDNO, IDNO}, {IDOK, IDNO}, {IDCANCEL, IDNO}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sinkAnswer);
        sink.shown.clear();
        sink.answers = {c.sinkAnswer};
        EXPECT_EQ(LangYesNoBox(nullptr, t, "gMSG_1", 7, 1), c.result);
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].caption, "seven");
        EXPECT_EQ(sink.shown[0].text, "First line|Second line");
        EXPECT_EQ(sink.shown[0].flags, unsigned(MB_YESNO | MB_ICONINFORMATION));
    }
}

// A dialog with controls found by their "ctrlId" property; the label sits
// inside the group box.
class LangDialogTest : public LangTableTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(qobject_cast<QApplication*>(QCoreApplication::instance()))
            << "tests/common/TestMain.cpp makes the QApplication widgets need";
        LangTableTest::SetUp();
        OpenLangTableFile(table, "en", path());

        dialog = std::make_unique<QWidget>();
        dialog->setWindowTitle("template title");
        button = new QPushButton("template button", dialog.get());
        button->setProperty(kCtrlIdProperty, 1);
        group = new QGroupBox("template group", dialog.get());
        group->setProperty(kCtrlIdProperty, 20);
        label = new QLabel("template label", group);
        label->setProperty(kCtrlIdProperty, 1435);
        edit = new QLineEdit("template edit", dialog.get());
        edit->setProperty(kCtrlIdProperty, 3);
    }

    void expectTemplateTexts() {
        EXPECT_EQ(dialog->windowTitle(), "template title");
        EXPECT_EQ(button->text(), "template button");
        EXPECT_EQ(group->title(), "template group");
        EXPECT_EQ(label->text(), "template label");
        EXPECT_EQ(edit->text(), "template edit");
    }

    LangTable table;
    std::unique_ptr<QWidget> dialog;
    QPushButton* button = nullptr;
    QGroupBox* group = nullptr;
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
};

TEST_F(LangDialogTest, SetsDialogAndControlTexts) {
    static const int kPairs[][2] = {{0, 1}, {1, 2}, {1435, 4}, {20, 5}, {3, 6}, {-1, -1}, {1, 8}};
    SetDialogLangTexts(table, "gDLG_1", dialog.get(), kPairs);
    EXPECT_EQ(dialog->windowTitle(), "Dialog title");
    EXPECT_EQ(button->text(), "OK");  // the pair after the end mark is not used
    EXPECT_EQ(label->text(), "Label text");
    EXPECT_EQ(group->title(), "Group title");
    EXPECT_EQ(edit->text(), "Edit text");
    EXPECT_EQ(DialogControl(dialog.get(), 1435), label);
    EXPECT_EQ(DialogControl(dialog.get(), 999), nullptr);
}

TEST_F(LangDialogTest, PairListFormsAndNegativeIds) {
    SetDialogLangTexts(table, "gDLG_1", dialog.get(), {{0, 3}});
    EXPECT_EQ(dialog->windowTitle(), "Caption three");
    SetDialogLangTexts(table, "gDLG_1", dialog.get(), {{-5, 1}, {-1, -1}, {1, 2}});
    EXPECT_EQ(dialog->windowTitle(), "Dialog title");
    EXPECT_EQ(button->text(), "template button");
}

TEST_F(LangDialogTest, LeavesTemplateTextsWhenNothingApplies) {
    static const int kEndOnly[][2] = {{-1, -1}, {0, 1}};
    static const int kAll[][2] = {{0, 1}, {1, 2}, {1435, 4}, {-1, -1}};
    static const int kEmptyTexts[][2] = {{0, 7}, {1, 99}, {3, -1}, {999, 2}, {-1, -1}};

    SetDialogLangTexts(table, "gDLG_1", dialog.get(), kEndOnly);
    expectTemplateTexts();
    SetDialogLangTexts(table, "gMISSING", dialog.get(), kAll);
    expectTemplateTexts();
    SetDialogLangTexts(table, "gDLG_1", dialog.get(), kEmptyTexts);
    expectTemplateTexts();
    SetDialogLangTexts(table, "gDLG_1", nullptr, kAll);

    LangTable otherLanguage;
    OpenLangTableFile(otherLanguage, "cn", path());
    SetDialogLangTexts(otherLanguage, "gDLG_1", dialog.get(), kAll);
    expectTemplateTexts();

    LangTable broken;
    OpenLangTableBuffer(broken, "en", "<Lang><gDLG_1><S01 en='x'/>");
    SetDialogLangTexts(broken, "gDLG_1", dialog.get(), kAll);
    expectTemplateTexts();
}

}  // namespace
}  // namespace toliva
