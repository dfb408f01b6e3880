#include "platform/Utilities.h"

#include "TestSupport.h"
#include "platform/Folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace toliva {
namespace {

using test::ScratchFolder;
using test::fromHex;
using test::writeFile;

TEST(UtilitiesTest, ModuleFolderEndsInSlashAndListGetsProgramPathAtHead) {
    const QString folder = GetModuleFolder();
    EXPECT_TRUE(folder.endsWith('/'));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(GetAppDirectory(), folder);

    QStringList list{QStringLiteral("existing")};
    EXPECT_EQ(GetModuleFolder(&list), folder);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.front(), programPath());
    EXPECT_EQ(QFileInfo(list.front()).absolutePath() + '/', folder);
    EXPECT_EQ(list.back(), QStringLiteral("existing"));

    EXPECT_EQ(GetModuleFolder(nullptr), folder);
}

TEST(UtilitiesTest, MakeAppDataFolderCreatesBothAndIsRepeatable) {
    const QString base = userDataBase();
    QString first, second;
    ASSERT_TRUE(MakeAppDataFolder("Toliva", "Temp", true, &first, &second));
    EXPECT_EQ(first, base + "/Toliva/");
    EXPECT_EQ(second, base + "/Toliva/Temp/");
    EXPECT_TRUE(QFileInfo(first).isDir());
    EXPECT_TRUE(QFileInfo(second).isDir());

    // A second run leaves what is inside alone and gives the same paths.
    ASSERT_TRUE(writeFile(second + "keep.txt", "x"));
    QString first2, second2;
    ASSERT_TRUE(MakeAppDataFolder("Toliva", "Temp", true, &first2, &second2));
    EXPECT_EQ(first2, first);
    EXPECT_EQ(second2, second);
    EXPECT_TRUE(QFileInfo::exists(second + "keep.txt"));

    QString noSlash;
    ASSERT_TRUE(MakeAppDataFolder("Gablen", "Temp", false, nullptr, &noSlash));
    EXPECT_EQ(noSlash, base + "/Gablen/Temp");
}

TEST(UtilitiesTest, MakeAppDataFolderReportsAFolderItCannotMake) {
    // A file where the first folder should be.
    ASSERT_TRUE(writeFile(userDataBase() + "/Blocked", "x"));
    QString first, second;
    EXPECT_FALSE(MakeAppDataFolder("Blocked", "Temp", true, &first, &second));
}

TEST(UtilitiesTest, RandomFileNamesAreTwoGroupsOfFourDigits) {
    EXPECT_EQ(RandomFileNameStem(0, 0), QStringLiteral("0000_0000"));
    EXPECT_EQ(RandomFileNameStem(123456789, 42), QStringLiteral("0789_0042"));
    EXPECT_EQ(RandomFileNameStem(999, 4294967295u), QStringLiteral("0999_0295"));
    const QRegularExpression stem(QStringLiteral("^\\d{4}_\\d{4}$"));
    EXPECT_TRUE(stem.match(MakeRandomFileName()).hasMatch());
}

TEST(UtilitiesTest, SplitAtBar) {
    struct Case {
        const char* text;
        const char* first;
        const char* second;  // "old" when left as it was
    };
    const Case cases[] = {
        {"a|b|c", "a", "b|c"},
        {"abc", "abc", "old"},
        {"|abc", "|abc", "old"},
        {"|a|b", "|a|b", "old"},
        {"abc|", "abc", ""},
        {"", "", "old"},
        {"|", "|", "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QString first = "stale", second = "old";
        SplitAtBar(QString::fromUtf8(c.text), &first, &second);
        EXPECT_EQ(first, QString::fromUtf8(c.first));
        EXPECT_EQ(second, QString::fromUtf8(c.second));
    }
}

TEST(UtilitiesTest, ReadTextFileDecodesLinesOfCodePage936) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const QString repl(QChar(0xFFFD));
    const Case cases[] = {
        // 中文 CRLF 第二行, no final line break
        {"chinese", fromHex("D6D0CEC4 0D0A B5DAB6FED0D0"), QString::fromUtf8("中文\n第二行\n")},
        {"no final break", "one\ntwo", "one\ntwo\n"},
        {"final break", "one\ntwo\n", "one\ntwo\n"},
        {"crlf", "one\r\ntwo\r\n", "one\ntwo\n"},
        {"lone cr stays", "a\rb", "a\rb\n"},
        {"empty lines", "\n\nx", "\n\nx\n"},
        {"only a break", "\n", "\n"},
        {"euro", fromHex("80"), QString(QChar(0x20AC)) + "\n"},
        {"invalid byte", fromHex("61 FF 62"), "a" + repl + "b\n"},
        {"cut lead byte", fromHex("61 D6"), "a" + repl + "\n"},
        {"lead byte before break", fromHex("D6 0A 62"), repl + "\nb\n"},
    };
    ScratchFolder dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file("t.txt");
        ASSERT_TRUE(writeFile(path, c.bytes));
        QString out;
        EXPECT_TRUE(ReadTextFile(path, &out));
        EXPECT_EQ(out, c.text);
    }
}

TEST(UtilitiesTest, ReadTextFileEmptyOrMissing) {
    ScratchFolder dir;
    ASSERT_TRUE(writeFile(dir.file("empty.txt"), QByteArray()));
    for (const QString& path : {dir.file("empty.txt"), dir.file("missing.txt"), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        QString out = "previous";
        EXPECT_FALSE(ReadTextFile(path, &out));
        EXPECT_TRUE(out.isEmpty());
    }
}

}  // namespace
}  // namespace toliva
