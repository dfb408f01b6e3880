#include "uikit/LangTable.h"

#include "TestSupport.h"
#include "platform/AppContext.h"
#include "platform/MessageSink.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace toliva {
namespace {

using test::ScratchFolder;
using test::writeFile;

const char kLangFile[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Lang>
  <gMSG_1>
    <S01 en="First line|Second line" cn="第一行|第二行" />
    <S07 en="seven" cn="七" />
    <S123 en="one two three" />
    <S02 en="" />
  </gMSG_1>
  <gDLG_1>
    <S01 en="Dialog title" />
    <S02 en="OK" />
    <S03 en="Caption three" />
    <S04 en="Label text" />
    <S05 en="Group title" />
    <S06 en="Edit text" />
    <S07 en="" />
    <S08 en="After the end" />
  </gDLG_1>
  <gMSG_1>
    <S09 en="second group of the same name" />
  </gMSG_1>
</Lang>
)";

class LangTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(writeFile(path(), kLangFile)); }
    QString path() const { return dir.file("LANG_T.xml"); }

    ScratchFolder dir;
};

TEST_F(LangTableTest, LooksUpItemsByGroupNumberAndLanguage) {
    struct Case {
        const char* code;
        const char* group;
        int item;
        QString text;
    };
    const Case cases[] = {
        {"en", "gMSG_1", 1, "First line|Second line"},
        {"cn", "gMSG_1", 1, QString::fromUtf8("第一行|第二行")},
        {"en", "gMSG_1", 7, "seven"},            // S07
        {"en", "gMSG_1", 123, "one two three"},  // S123
        {"cn", "gMSG_1", 123, ""},               // no attribute for this language
        {"de", "gMSG_1", 7, ""},                 // unknown language code
        {"en", "gMSG_1", 8, ""},                 // no such item
        {"en", "gMSG_1", 9, ""},                 // first group of a name wins
        {"en", "gMSG_1", 0, ""},
        {"en", "gMSG_1", -1, ""},
        {"en", "gNONE_1", 1, ""},
        {"en", "", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.group + " " + std::to_string(c.item));
        LangTable t;
        OpenLangTableFile(t, c.code, path());
        ASSERT_TRUE(t.root);
        EXPECT_EQ(LoadLangString(t, c.group, c.item), c.text);
    }
}

TEST_F(LangTableTest, MissingGroupStaysCurrentUntilNextGroupLookup) {
    LangTable t;
    OpenLangTableFile(t, "en", path());
    EXPECT_EQ(LoadLangString(t, "gMSG_1", 7), "seven");
    EXPECT_EQ(LoadLangItemString(t, 123), "one two three");
    EXPECT_EQ(t.keyBuffer, "S123");

    EXPECT_EQ(LoadLangString(t, "gMISSING", 7), "");
    EXPECT_EQ(LoadLangItemString(t, 7), "");
    EXPECT_EQ(LoadLangItemString(t, 1), "");

    EXPECT_EQ(LoadLangString(t, "gMSG_1", 7), "seven");
}

TEST_F(LangTableTest, UnreadableFilesGiveNoRootAndEmptyTexts) {
    struct Case {
        const char* name;
        QByteArray bytes;  // null: the file does not exist
    };
    const Case cases[] = {
        {"missing", QByteArray()},
        {"empty", QByteArray("")},
        {"not xml", "plain words"},
        // Parsed up to the error, the items would be readable; the table must
        // still count as failed.
        {"truncated", R"(<Lang><gMSG_1><S07 en="seven"/></gMSG_1>)"},
        {"bad attribute", R"(<Lang><gMSG_1><S07 en="seven/></gMSG_1></Lang>)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = dir.file(QString("bad_%1.xml").arg(c.name));
        if (!c.bytes.isNull()) {
            ASSERT_TRUE(writeFile(file, c.bytes));
        }
        LangTable t;
        OpenLangTableFile(t, "en", file);
        EXPECT_FALSE(t.root);
        EXPECT_EQ(LoadLangString(t, "gMSG_1", 7), "");
        EXPECT_EQ(LoadLangItemString(t, 7), "");

        LangTable fromBytes;
        OpenLangTableBuffer(fromBytes, "en", c.bytes);
        EXPECT_FALSE(fromBytes.root);
        EXPECT_EQ(LoadLangString(fromBytes, "gMSG_1", 7), "");
    }
}

TEST_F(LangTableTest, ReopenReplacesAndCloseEmpties) {
    LangTable t;
    OpenLangTableFile(t, "en", path());
    EXPECT_EQ(LoadLangString(t, "gMSG_1", 7), "seven");

    OpenLangTableBuffer(t, "cn", R"(<L><gMSG_1><S07 cn="other"/></gMSG_1></L>)");
    EXPECT_EQ(t.code, "cn");
    EXPECT_EQ(LoadLangItemString(t, 7), "");  // no group chosen in the new file yet
    EXPECT_EQ(LoadLangString(t, "gMSG_1", 7), "other");

    CloseLangTable(t);
    EXPECT_FALSE(t.root);
    EXPECT_TRUE(t.code.isEmpty());
    EXPECT_EQ(LoadLangString(t, "gMSG_1", 7), "");
}

TEST(LangTableShippedTest, OpensFilesBesideTheProgram) {
    LangTable en("en", "LANG_07.xml");
    ASSERT_TRUE(en.root);
    const QString enText = LoadLangString(en, "gMSG_1", 3);
    EXPECT_TRUE(enText.contains('|'));

    LangTable cn;
    OpenLangTable(cn, "cn", "LANG_07.xml");
    const QString cnText = LoadLangString(cn, "gMSG_1", 3);
    EXPECT_FALSE(cnText.isEmpty());
    EXPECT_NE(cnText, enText);

    LangTable missing("en", "NO_SUCH_FILE.xml");
    EXPECT_FALSE(missing.root);

    const int saved = app().lanSel;
    app().lanSel = 2;
    EXPECT_EQ(LangText("LANG_07.xml", "gMSG_1", 3), cnText);
    app().lanSel = 1;
    EXPECT_EQ(LangText("LANG_07.xml", "gMSG_1", 3), enText);
    app().lanSel = saved;
}

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
