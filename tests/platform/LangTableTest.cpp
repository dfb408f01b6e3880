#include "platform/LangTable.h"

#include "platform/AppContext.h"
#include "tests/platform/LangTableFixture.h"

#include <gtest/gtest.h>

namespace toliva {
namespace {

using test::LangTableTest;
using test::writeFile;

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

}  // namespace
}  // namespace toliva
