#include "sheet/editing/WordLists.h"

#include "common/TestSupport.h"
#include "platform/Archive.h"
#include "platform/MessageSink.h"
#include "platform/Utilities.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace toliva {
namespace {

using test::fromHex;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectSame(const WordLists& a, const WordLists& b) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a.autoFormat[i], b.autoFormat[i]) << "option " << i;
    ASSERT_EQ(a.words.size(), b.words.size());
    for (size_t i = 0; i < a.words.size(); ++i) {
        EXPECT_EQ(a.words[i].word, b.words[i].word) << i;
        EXPECT_EQ(a.words[i].enabled, b.words[i].enabled) << i;
        EXPECT_EQ(a.words[i].style, b.words[i].style) << i;
    }
    ASSERT_EQ(a.constants.size(), b.constants.size());
    for (size_t i = 0; i < a.constants.size(); ++i) {
        EXPECT_EQ(a.constants[i].name, b.constants[i].name) << i;
        EXPECT_EQ(a.constants[i].enabled, b.constants[i].enabled) << i;
        EXPECT_TRUE(sameBits(a.constants[i].value, b.constants[i].value)) << i;
    }
}

WordLists sample() {
    WordLists l;
    l.autoFormat[0] = true;
    l.autoFormat[1] = false;
    l.autoFormat[2] = true;
    l.words = {{"sin", true, 0}, {"arcsin", false, 1}, {"", true, 3}, {QString(300, u'w'), true, 2},
               {QString::fromUtf16(u"\u03b1\U0001D465"), true, 7}};
    l.constants = {{QString::fromUtf16(u"\u03c0"), true, 2 * std::asin(1.0)},
                   {"neg0", false, -0.0},
                   {"tiny", true, std::numeric_limits<double>::denorm_min()},
                   {"nan", true, std::numeric_limits<double>::quiet_NaN()},
                   {QString(256, u'c'), true, -1e300}};
    return l;
}

class WordListsTest : public ::testing::Test {
protected:
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
    ScratchFolder user;
    ScratchFolder program;

    QString userFile() const { return user.file("KwEAFEAC.dat"); }
    QString programFile() const { return program.file("Dat/KwEAFEAC.dat"); }
    void writeProgramFile(const WordLists& l) {
        ASSERT_TRUE(QDir(program.path()).mkpath("Dat"));
        ASSERT_TRUE(WriteWordListsFile(l, programFile()));
    }
};

TEST_F(WordListsTest, ListsWrittenAndReadBackAreIdentical) {
    const WordLists a = sample();
    ASSERT_TRUE(SaveWordLists(a, user.path()));
    WordLists b;
    b.words = {{"stale", true, 0}};
    EXPECT_TRUE(LoadWordLists(b, user.path(), program.path()));
    expectSame(a, b);
    EXPECT_EQ(b.longestWord, 300);
    EXPECT_EQ(b.longestName, 256);
    EXPECT_TRUE(messages.shown.empty());

    ASSERT_TRUE(WriteWordListsFile(b, user.file("again.dat")));
    EXPECT_EQ(readFile(user.file("again.dat")), readFile(userFile()));
}

TEST_F(WordListsTest, FileLayoutAndDoubleHalves) {
    WordLists l;
    l.autoFormat[1] = false;
    l.words = {{"ln", true, 0}};
    l.constants = {{"g", true, 9.8}, {"one", false, 1.0}};
    ASSERT_TRUE(SaveWordLists(l, user.path()));
    // 9.8 = 0x40239999 9999999A: the low half first.
    EXPECT_EQ(readFile(userFile()), fromHex("01 00 01"
                                            "01000000 FFFEFF02 6C00 6E00 01 00"
                                            "02000000"
                                            "FFFEFF01 6700 01 9A999999 99992340"
                                            "FFFEFF03 6F00 6E00 6500 00 00000000 0000F03F"));
}

TEST_F(WordListsTest, DamagedFileKeepsTheEntriesReadSoFar) {
    const WordLists full = sample();
    ASSERT_TRUE(SaveWordLists(full, user.path()));
    const QByteArray bytes = readFile(userFile());
    // Cut inside the value of the last constant.
    ASSERT_TRUE(writeFile(userFile(), bytes.left(bytes.size() - 3)));
    writeProgramFile(WordLists{});  // must not be used instead

    WordLists l;
    EXPECT_FALSE(LoadWordLists(l, user.path(), program.path()));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "failed to open file : " + userFile());
    ASSERT_EQ(l.words.size(), full.words.size());
    ASSERT_EQ(l.constants.size(), full.constants.size() - 1);
    EXPECT_EQ(l.constants[3].name, "nan");
    EXPECT_EQ(l.longestWord, 300);
    EXPECT_EQ(l.autoFormat[1], false);

    // Cut inside the words: the words before the cut stay, no constants.
    ASSERT_TRUE(writeFile(userFile(), bytes.left(40)));
    EXPECT_FALSE(LoadWordLists(l, user.path(), program.path()));
    EXPECT_EQ(messages.shown.size(), 2u);
    ASSERT_EQ(l.words.size(), 2u);
    EXPECT_EQ(l.words[1].word, "arcsin");
    EXPECT_TRUE(l.constants.empty());
}

TEST_F(WordListsTest, CountsBeyondTheBytesLeftAllocateNothing) {
    struct Case {
        const char* name;
        const char* hex;
        size_t words, constants;
        bool complete;
    };
    const Case cases[] = {
        {"huge word count", "01 01 01 FFFFFF7F FFFEFF01 6100 01 00", 1, 0, false},
        {"huge constant count", "01 01 01 00000000 FFFFFF7F", 0, 0, false},
        {"negative counts read nothing", "01 01 01 00000080 FFFFFFFF", 0, 0, true},
        {"huge string length", "01 01 01 01000000 FFFEFFFFFFFFFFFFFF7F", 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(userFile(), fromHex(c.hex)));
        WordLists l;
        EXPECT_EQ(LoadWordLists(l, user.path(), program.path()), c.complete);
        EXPECT_EQ(l.words.size(), c.words);
        EXPECT_EQ(l.constants.size(), c.constants);
        EXPECT_LE(l.words.capacity(), 8u);
        EXPECT_LE(l.constants.capacity(), 8u);
    }
}

TEST_F(WordListsTest, UserFileFirstThenTheProgramsCopyThenNothing) {
    WordLists shipped;
    shipped.words = {{"shipped", true, 0}};
    WordLists mine;
    mine.words = {{"mine", true, 2}};

    WordLists l;
    EXPECT_FALSE(LoadWordLists(l, user.path(), program.path()));
    EXPECT_TRUE(l.words.empty());
    EXPECT_TRUE(l.constants.empty());
    EXPECT_EQ(l.longestWord, 0);

    writeProgramFile(shipped);
    EXPECT_TRUE(LoadWordLists(l, user.path(), program.path()));
    ASSERT_EQ(l.words.size(), 1u);
    EXPECT_EQ(l.words[0].word, "shipped");

    ASSERT_TRUE(SaveWordLists(mine, user.path()));
    EXPECT_TRUE(LoadWordLists(l, user.path(), program.path()));
    ASSERT_EQ(l.words.size(), 1u);
    EXPECT_EQ(l.words[0].word, "mine");
    EXPECT_EQ(l.words[0].style, 2);
    EXPECT_TRUE(messages.shown.empty());

    // Writing goes through a new file renamed over the old one: no temporary
    // file stays behind, and a second name of the old file keeps its bytes.
    EXPECT_EQ(QDir(user.path()).entryList(QDir::Files), QStringList{"KwEAFEAC.dat"});
    const QByteArray old = readFile(userFile());
    ASSERT_EQ(::link(QFile::encodeName(userFile()).constData(), QFile::encodeName(user.file("other")).constData()), 0);
    ASSERT_TRUE(SaveWordLists(shipped, user.path()));
    EXPECT_EQ(readFile(user.file("other")), old);
    EXPECT_NE(readFile(userFile()), old);
    EXPECT_FALSE(SaveWordLists(mine, user.file("missing-folder")));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WordListsTest, ShippedDefaultFileHoldsFunctionNamesAndConstants) {
    WordLists l;
    ASSERT_TRUE(LoadWordLists(l, user.path(), GetModuleFolder())) << "Dat/KwEAFEAC.dat beside the tests";
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(l.autoFormat[0] && l.autoFormat[1] && l.autoFormat[2]);
    for (const char* name : {"sin", "cos", "tan", "log", "ln", "lim", "exp", "max", "min", "det"}) {
        const auto it = std::find_if(l.words.begin(), l.words.end(), [&](const AutoWord& w) { return w.word == name; });
        ASSERT_NE(it, l.words.end()) << name;
        EXPECT_TRUE(it->enabled) << name;
        EXPECT_EQ(it->style, 0) << name << " is upright";
    }
    // Kept in the reverse of the display order g, e, pi.
    ASSERT_EQ(l.constants.size(), 3u);
    EXPECT_EQ(l.constants[0].name, QString(QChar(0x03C0)));
    EXPECT_EQ(l.constants[0].value, 2 * std::asin(1.0));
    EXPECT_EQ(l.constants[1].name, "e");
    EXPECT_EQ(l.constants[1].value, std::exp(1.0));
    EXPECT_EQ(l.constants[2].name, "g");
    EXPECT_EQ(l.constants[2].value, 9.8);
    for (const UserConstant& c : l.constants) EXPECT_TRUE(c.enabled);
    EXPECT_EQ(l.longestWord, 6);  // arcsin
}

}  // namespace
}  // namespace toliva
