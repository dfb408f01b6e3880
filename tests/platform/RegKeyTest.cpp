#include "platform/RegKey.h"

#include "platform/AppContext.h"

#include "tests/common/ScratchRegistryHome.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <sqlite3.h>

#include <cstdlib>

namespace toliva {
namespace {

const QString kRoot = QStringLiteral("Software\\Toliva\\RegKeyTest");

class RegKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        store().deleteKey(kRoot);
        ASSERT_TRUE(OpenRegKey(kRoot, key));
    }
    static RegistryStore& store() { return RegistryStore::instance(); }

    RegKey key;
};

TEST_F(RegKeyTest, StringsRoundTripCutTo260Characters) {
    struct Case {
        QString text;
        qsizetype stored;
    } cases[] = {
        {QString(), 0},
        {QString::fromUtf8("x² ∑ 数学"), 7},
        {QString(127, 'a'), 127},
        {QString(128, 'b'), 128},  // longer than a 256-byte buffer
        {QString(200, 'c'), 200},
        {QString(260, 'd'), 260},
        {QString(300, 'e'), 260},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        ASSERT_TRUE(WriteRegString(key, "Title", c.text));
        auto raw = store().query(kRoot, "Title");
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, REG_SZ);
        EXPECT_EQ(raw->data.size(), (c.stored + 1) * 2);  // counts the terminator

        QString back;
        EXPECT_TRUE(ReadRegString(key, "Title", back, "default"));
        EXPECT_EQ(back, c.text.left(c.stored));
    }
}

TEST_F(RegKeyTest, StringLongerThanAWriteCanStoreReadsAsDefault) {
    ASSERT_TRUE(store().set(kRoot, "Long", REG_SZ, RegistryStore::encodeString(QString(261, 'x'))));
    QString back;
    EXPECT_FALSE(ReadRegString(key, "Long", back, "dflt"));
    EXPECT_EQ(back, "dflt");
}

TEST_F(RegKeyTest, WrongTypeOrSizeCountsAsMissing) {
    struct Case {
        const char* what;
        uint32_t type;
        QByteArray data;
    } cases[] = {
        {"string", REG_SZ, RegistryStore::encodeString("5")},
        {"short dword", REG_DWORD, test::fromHex("01 00")},
        {"long dword", REG_DWORD, test::fromHex("01 00 00 00 00 00 00 00")},
        {"binary", REG_BINARY, test::fromHex("01 00 00 00")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(store().set(kRoot, "V", c.type, c.data));
        int i = 0;
        float f = 0;
        EXPECT_FALSE(ReadRegDword(key, "V", i, 42));
        EXPECT_EQ(i, 42);
        EXPECT_EQ(key.lastType, c.type);
        EXPECT_FALSE(ReadRegFloat(key, "V", f, 2.5f));
        EXPECT_EQ(f, 2.5f);
        EXPECT_TRUE(ReadRegBool(key, "V", true));
        EXPECT_FALSE(ReadRegBool(key, "V", false));
    }

    ASSERT_TRUE(WriteRegDword(key, "N", 7));
    QString s;
    EXPECT_FALSE(ReadRegString(key, "N", s, "dflt"));
    EXPECT_EQ(s, "dflt");
    EXPECT_EQ(key.lastType, REG_DWORD);
}

TEST_F(RegKeyTest, MissingValueGivesDefault) {
    QString s;
    int i = 0;
    float f = 0;
    EXPECT_FALSE(ReadRegString(key, "None", s, "d"));
    EXPECT_EQ(s, "d");
    EXPECT_FALSE(ReadRegDword(key, "None", i, -3));
    EXPECT_EQ(i, -3);
    EXPECT_FALSE(ReadRegFloat(key, "None", f, 0.25f));
    EXPECT_EQ(f, 0.25f);
    EXPECT_TRUE(ReadRegBool(key, "None", true));
    EXPECT_EQ(key.lastType, REG_DWORD);  // the expected type stays
}

TEST_F(RegKeyTest, FloatTravelsAsItsBits) {
    ASSERT_TRUE(WriteRegDword(key, "EEScale", 0x3FC00000));
    float f = 0;
    EXPECT_TRUE(ReadRegFloat(key, "EEScale", f, 4.0f));
    EXPECT_EQ(f, 1.5f);

    ASSERT_TRUE(WriteRegFloat(key, "UIScale", 1.5f));
    auto raw = store().query(kRoot, "UIScale");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, REG_DWORD);
    EXPECT_EQ(raw->data, test::fromHex("00 00 C0 3F"));
    int bits = 0;
    EXPECT_TRUE(ReadRegDword(key, "UIScale", bits, 0));
    EXPECT_EQ(bits, 0x3FC00000);
}

TEST_F(RegKeyTest, DwordsAndBools) {
    int i = 0;
    ASSERT_TRUE(WriteRegDword(key, "Neg", -1));
    EXPECT_TRUE(ReadRegDword(key, "Neg", i, 0));
    EXPECT_EQ(i, -1);
    EXPECT_EQ(store().query(kRoot, "Neg")->data, test::fromHex("FF FF FF FF"));

    ASSERT_TRUE(WriteRegBool(key, "On", true));
    EXPECT_EQ(store().query(kRoot, "On")->data, RegistryStore::encodeDword(1));
    EXPECT_TRUE(ReadRegBool(key, "On", false));
    ASSERT_TRUE(WriteRegBool(key, "On", false));
    EXPECT_FALSE(ReadRegBool(key, "On", true));
    ASSERT_TRUE(WriteRegDword(key, "On", 7));
    EXPECT_TRUE(ReadRegBool(key, "On", false));
}

TEST_F(RegKeyTest, MissingPathIsCreatedWithParentsAndUsableAtOnce) {
    const QString deep = kRoot + "\\Dlgs\\MemoEdit\\Extra";
    ASSERT_FALSE(store().keyExists(kRoot + "\\Dlgs"));
    RegKey k;
    ASSERT_TRUE(OpenRegKey(deep, k));
    EXPECT_TRUE(k.opened);
    EXPECT_TRUE(store().keyExists(kRoot + "\\Dlgs"));
    EXPECT_TRUE(store().keyExists(kRoot + "\\Dlgs\\MemoEdit"));
    EXPECT_TRUE(WriteRegString(k, "DFTitle", "Memo"));

    // Other spelling of the key and the value name.
    RegKey other;
    ASSERT_TRUE(OpenRegKey(deep.toUpper(), other));
    QString s;
    EXPECT_TRUE(ReadRegString(other, "dftitle", s, QString()));
    EXPECT_EQ(s, "Memo");
    EXPECT_EQ(store().subkeys(kRoot), QStringList{"Dlgs"});
}

TEST_F(RegKeyTest, ClosedKeyReadsDefaultsAndRefusesWrites) {
    ASSERT_TRUE(WriteRegDword(key, "N", 5));
    CloseRegKey(key);
    EXPECT_FALSE(key.opened);
    int i = 0;
    EXPECT_FALSE(ReadRegDword(key, "N", i, 9));
    EXPECT_EQ(i, 9);
    EXPECT_FALSE(WriteRegDword(key, "N", 6));

    RegKey never;
    EXPECT_FALSE(WriteRegString(never, "S", "x"));
    EXPECT_FALSE(ReadRegBool(never, "N", false));
}

TEST_F(RegKeyTest, KeyThatCannotBeOpenedReadsDefaultsAndRefusesWrites) {
    CloseRegKey(key);
    test::ScratchFolder folder;
    ASSERT_TRUE(test::writeFile(folder.file("file"), "x"));
    const QByteArray oldHome = qgetenv("TOLIVA_HOME");
    // A registry folder below a plain file can never be created.
    setenv("TOLIVA_HOME", folder.file("file/home").toLocal8Bit().constData(), 1);
    RegistryStore::resetInstance();

    RegKey k;
    EXPECT_FALSE(OpenRegKey(kRoot, k));
    EXPECT_FALSE(k.opened);
    QString s;
    int i = 0;
    float f = 0;
    EXPECT_FALSE(ReadRegString(k, "S", s, "d"));
    EXPECT_EQ(s, "d");
    EXPECT_FALSE(ReadRegDword(k, "I", i, 3));
    EXPECT_EQ(i, 3);
    EXPECT_FALSE(ReadRegFloat(k, "F", f, 1.0f));
    EXPECT_EQ(f, 1.0f);
    EXPECT_TRUE(ReadRegBool(k, "B", true));
    EXPECT_FALSE(WriteRegString(k, "S", "x"));
    EXPECT_FALSE(WriteRegDword(k, "I", 1));
    EXPECT_FALSE(WriteRegBool(k, "B", true));
    EXPECT_FALSE(WriteRegFloat(k, "F", 1.0f));

    setenv("TOLIVA_HOME", oldHome.constData(), 1);
    RegistryStore::resetInstance();
}

// A write the database refuses (another connection holds the write lock past
// the busy timeout) returns false and leaves the database's reason in the key.
TEST_F(RegKeyTest, RefusedWriteLeavesItsReasonInTheKey) {
    store().setBusyTimeout(50);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(store().path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(WriteRegDword(key, "N", 1));
    EXPECT_TRUE(key.lastError.contains("locked")) << key.lastError.toStdString();
    EXPECT_FALSE(WriteRegString(key, "S", "x"));
    EXPECT_TRUE(key.lastError.contains("locked")) << key.lastError.toStdString();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    store().setBusyTimeout(RegistryStore::kDefaultBusyTimeoutMs);

    EXPECT_TRUE(WriteRegDword(key, "N", 1));
    EXPECT_TRUE(key.lastError.isEmpty());
}

// Start-up over a damaged registry: the options keep their defaults, one note
// names the file that was put aside, settings are saved in the fresh database,
// and neither a second load nor the next run reports anything.
TEST(AppContextRegistry, DamagedRegistryGivesOneStartupNote) {
    test::ScratchFolder folder;
    test::ScratchRegistryHome home(folder.path());
    ASSERT_TRUE(test::writeFile(folder.file("registry.sqlite"), QByteArray(4096, 'x')));

    AppContext ctx;
    ctx.loadOptions();
    EXPECT_EQ(ctx.options, AppContext::kDefaultOptions);
    std::vector<StartupNote> notes = ctx.takeStartupNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].kind, StartupNote::RegistryDamaged);
    EXPECT_EQ(notes[0].argument, RegistryStore::instance().openResult().movedTo);
    EXPECT_EQ(test::readFile(notes[0].argument), QByteArray(4096, 'x'));
    const QString text = StartupNoteText(notes[0]);
    EXPECT_TRUE(text.startsWith("The settings database was damaged")) << text.toStdString();
    EXPECT_TRUE(text.endsWith(":\n" + notes[0].argument)) << text.toStdString();

    RegKey settings;
    ASSERT_TRUE(OpenRegKey("Software\\Toliva\\AppSettings", settings));
    ASSERT_TRUE(WriteRegDword(settings, "TeXDelimCode", 2));
    ctx.loadOptions();
    EXPECT_EQ(ctx.texDelimCode, 2);
    EXPECT_TRUE(ctx.takeStartupNotes().empty());

    RegistryStore::resetInstance();
    AppContext nextRun;
    nextRun.loadOptions();
    EXPECT_EQ(nextRun.texDelimCode, 2);
    EXPECT_TRUE(nextRun.takeStartupNotes().empty());
}

TEST(AppContextRegistry, RegistryThatCannotBeOpenedGivesOneStartupNote) {
    test::ScratchFolder folder;
    ASSERT_TRUE(test::writeFile(folder.file("file"), "x"));
    test::ScratchRegistryHome home(folder.file("file/home"));  // below a plain file: never created

    AppContext ctx;
    ctx.loadOptions();
    std::vector<StartupNote> notes = ctx.takeStartupNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].kind, StartupNote::RegistryUnusable);
    EXPECT_FALSE(notes[0].argument.isEmpty());
    EXPECT_TRUE(StartupNoteText(notes[0]).endsWith(notes[0].argument));
    ctx.loadOptions();
    EXPECT_TRUE(ctx.takeStartupNotes().empty());
}

// "LanSel" is a text parsed as _wtoi does; a value of another type or a
// missing one keeps the selection the context holds, and reading creates no
// key.
TEST(AppContextRegistry, LanguageSelectionIsReadAsText) {
    test::ScratchFolder folder;
    test::ScratchRegistryHome home(folder.path());
    const QString language = QStringLiteral("Software\\Toliva\\Language");

    AppContext ctx;
    ctx.lanSel = 7;
    ctx.loadOptions();
    EXPECT_EQ(ctx.lanSel, 7);
    EXPECT_FALSE(RegistryStore::instance().keyExists(language));

    RegKey key;
    ASSERT_TRUE(OpenRegKey(language, key));
    ASSERT_TRUE(WriteRegDword(key, "LanSel", 2));
    ctx.loadOptions();
    EXPECT_EQ(ctx.lanSel, 7);

    struct Case {
        const char* text;
        int lanSel;
    } cases[] = {{"2", 2}, {"02", 2}, {" 2x", 2}, {"1", 1}, {"x", 0}, {"", 0}, {"-3", -3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(WriteRegString(key, "LanSel", c.text));
        ctx.loadOptions();
        EXPECT_EQ(ctx.lanSel, c.lanSel);
        EXPECT_EQ(ParseLanguageSelection(c.text), c.lanSel);
        EXPECT_EQ(ReadLanguageSelection(9), c.lanSel);
    }
}

}  // namespace
}  // namespace toliva
