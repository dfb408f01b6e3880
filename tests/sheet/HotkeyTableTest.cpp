#include "sheet/editing/HotkeyTable.h"

#include "common/TestSupport.h"
#include "platform/DialogService.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <vector>

namespace toliva {
namespace {

using test::ScratchFolder;
using test::readFile;
using test::writeFile;

constexpr int kKeyA = 14, kKeyD = 17, kKeyF = 19, kKeyP = 29;

// Every entry holds a different triple, so any misplaced record shows.
void fillDistinct(HotkeyTable& t) {
    for (int slot = 0; slot < HotkeyTable::kSlots; ++slot)
        for (int key = 0; key < HotkeyTable::kKeys; ++key)
            t.entries[slot][key] = {slot * 1000 + key, -(slot * 100 + key) - 7, uint16_t(0xF000 + slot * 66 + key)};
}

bool sameEntries(const HotkeyTable& a, const HotkeyTable& b) {
    for (int slot = 0; slot < HotkeyTable::kSlots; ++slot)
        for (int key = 0; key < HotkeyTable::kKeys; ++key)
            if (!(a.entries[slot][key] == b.entries[slot][key])) return false;
    return true;
}

struct Record {
    int32_t code, kind;
    uint16_t ch;
};
Record recordAt(const QByteArray& bytes, int offset) {
    const char* p = bytes.constData() + offset;
    return {qFromLittleEndian<int32_t>(p), qFromLittleEndian<int32_t>(p + 4), qFromLittleEndian<uint16_t>(p + 8)};
}

class RecordingTiles : public TileHotkeys {
public:
    bool takeKey(uint16_t id, bool ctrl, bool shift, bool alt) override {
        offered.push_back(id);
        lastMods = {ctrl, shift, alt};
        return take;
    }
    void clearShortcuts() override { ++cleared; }
    bool take = false;
    std::vector<uint16_t> offered;
    std::array<bool, 3> lastMods{};
    int cleared = 0;
};

class HotkeyTableTest : public ::testing::Test {
protected:
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
    ScratchFolder folder;
};

// ---- the file

TEST_F(HotkeyTableTest, DefaultFileIs3960BytesWithRecordsKeyByKeyThenSlot) {
    HotkeyTable t;
    t.SetDefaults();
    const QString path = folder.file("KwSSK.hks");
    ASSERT_TRUE(t.Write(path));
    const QByteArray bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 3960);

    // Record index = key * 6 + slot, offset = index * 10: code, kind, character.
    struct Case {
        const char* name;
        int key, slot;
        Record expected;
    };
    const Case cases[] = {
        {"Ctrl+D", kKeyD, 0, {176, 6, 0}},          // offset 1020
        {"Ctrl+F", kKeyF, 0, {128, 3, 0}},          // offset 1140
        {"Ctrl+P", kKeyP, 0, {2, 4, 960}},          // offset 1740, kept exactly
        {"Ctrl+Shift+P", kKeyP, 1, {8706, 6, 0}},   // offset 1750
        {"Ctrl+Shift+I", 22, 1, {290, 3, 0}},
        {"Ctrl+Shift+S", 32, 1, {308, 3, 0}},
        {"Ctrl+A (empty)", kKeyA, 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Record r = recordAt(bytes, (c.key * 6 + c.slot) * 10);
        EXPECT_EQ(r.code, c.expected.code);
        EXPECT_EQ(r.kind, c.expected.kind);
        EXPECT_EQ(r.ch, c.expected.ch);
    }
    EXPECT_EQ((kKeyD * 6 + 0) * 10, 1020);
    EXPECT_EQ(recordAt(bytes, 1020).code, 176);
}

TEST_F(HotkeyTableTest, TableWrittenAndReadBackIsIdentical) {
    HotkeyTable a;
    fillDistinct(a);
    const QString path = folder.file("all.hks");
    ASSERT_TRUE(a.Write(path));
    EXPECT_EQ(readFile(path).size(), 3960);

    HotkeyTable b;
    EXPECT_TRUE(b.Load(path));
    EXPECT_TRUE(sameEntries(a, b));
    EXPECT_EQ(b.ToBytes(), readFile(path));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HotkeyTableTest, ShortFileKeepsWhatWasReadInFullAndShowsOneMessage) {
    HotkeyTable full;
    fillDistinct(full);
    // 102 whole records and the first 5 bytes of record 102 (Ctrl+D).
    const QString path = folder.file("short.hks");
    ASSERT_TRUE(writeFile(path, full.ToBytes().left(1025)));

    HotkeyTable t;
    t.SetDefaults();
    const HotkeyTable before = t;
    EXPECT_FALSE(t.Load(path));

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "failed to open file : " + path);
    for (int index = 0; index < 396; ++index) {
        const int slot = index % 6, key = index / 6;
        const SymbolKey& expected = index < 102 ? full.entries[slot][key] : before.entries[slot][key];
        ASSERT_EQ(t.entries[slot][key], expected) << "record " << index;
    }
    // The half-read record keeps its earlier value (the default Ctrl+D).
    EXPECT_EQ(t.entries[0][kKeyD], (SymbolKey{6, 176, 0}));
}

TEST_F(HotkeyTableTest, EmptyFileChangesNothingAndLongFileReadsTheTable) {
    HotkeyTable t;
    t.SetDefaults();
    ASSERT_TRUE(writeFile(folder.file("empty.hks"), {}));
    EXPECT_FALSE(t.Load(folder.file("empty.hks")));
    HotkeyTable defaults;
    defaults.SetDefaults();
    EXPECT_TRUE(sameEntries(t, defaults));
    EXPECT_EQ(messages.shown.size(), 1u);

    HotkeyTable distinct;
    fillDistinct(distinct);
    ASSERT_TRUE(writeFile(folder.file("long.hks"), distinct.ToBytes() + QByteArray(37, 'x')));
    EXPECT_TRUE(t.Load(folder.file("long.hks")));
    EXPECT_TRUE(sameEntries(t, distinct));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(HotkeyTableTest, MissingFileGivesTheDefaultsWithoutAMessage) {
    HotkeyTable t;
    fillDistinct(t);
    EXPECT_TRUE(t.Load(folder.file("nothing-here.hks")));
    HotkeyTable defaults;
    defaults.SetDefaults();
    EXPECT_TRUE(sameEntries(t, defaults));
    EXPECT_TRUE(messages.shown.empty());

    HotkeyTable user;
    user.LoadUserFile(folder.path());
    EXPECT_TRUE(sameEntries(user, defaults));
    user.entries[3][5] = {1, 149, 0};
    user.Save(folder.path());
    HotkeyTable again;
    again.LoadUserFile(folder.path());
    EXPECT_TRUE(sameEntries(again, user));
}

TEST_F(HotkeyTableTest, WritingReplacesTheFileInsteadOfWritingIntoIt) {
    // A second name for the same file keeps the old contents when the table
    // writes a new file and renames it over the target; writing in place
    // would change both names.
    const QString path = folder.file("KwSSK.hks");
    const QByteArray old(3960, '\x11');
    ASSERT_TRUE(writeFile(path, old));
    const QString other = folder.file("second-name.hks");
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);

    HotkeyTable t;
    t.SetDefaults();
    ASSERT_TRUE(t.Write(path));
    EXPECT_EQ(readFile(path), t.ToBytes());
    EXPECT_EQ(readFile(other), old);

    // A target that cannot be created: false, no message.
    EXPECT_FALSE(t.Write(folder.file("no-such-folder/x.hks")));
    EXPECT_TRUE(messages.shown.empty());
}

// ---- look-ups

TEST_F(HotkeyTableTest, SlotsOfModifierCombinations) {
    struct Case {
        bool ctrl, shift, alt;
        int slot;
    };
    const Case cases[] = {
        {true, false, false, 0}, {true, true, false, 1}, {true, true, true, 2}, {true, false, true, 3},
        {false, false, true, 4}, {false, true, true, 5}, {false, true, false, -1}, {false, false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ctrl << c.shift << c.alt);
        EXPECT_EQ(HotkeyTable::SlotOf(c.ctrl, c.shift, c.alt), c.slot);
        if (c.slot < 0) continue;
        const HotkeyTable::Binding m = HotkeyTable::ModifiersOfSlot(c.slot);
        EXPECT_EQ(m.ctrl, c.ctrl);
        EXPECT_EQ(m.shift, c.shift);
        EXPECT_EQ(m.alt, c.alt);
    }
}

TEST_F(HotkeyTableTest, MatchRunsTheBoundKeyOfTheSlot) {
    HotkeyTable t;
    t.SetDefaults();
    const SymbolKey threeMods{1, 33, 0};
    t.SetBinding(threeMods, kKeyA, true, true, true);
    t.SetBinding({1, 149, 0}, kKeyA, false, true, true);  // Alt+Shift+A

    std::vector<SymbolKey> ran;
    auto run = [&](const SymbolKey& k) { ran.push_back(k); };
    struct Case {
        const char* name;
        int vk;
        bool ctrl, shift, alt;
        bool used;
        SymbolKey ran;
    };
    const Case cases[] = {
        {"Ctrl+F", 'F', true, false, false, true, {3, 128, 0}},
        {"Ctrl+D", 'D', true, false, false, true, {6, 176, 0}},
        {"Ctrl+P", 'P', true, false, false, true, {4, 2, 960}},
        {"Ctrl+Shift+P", 'P', true, true, false, true, {6, 8706, 0}},
        {"Ctrl+Shift+Alt+A", 'A', true, true, true, true, threeMods},
        {"Alt+Shift+A", 'A', false, true, true, true, {1, 149, 0}},
        {"Shift+A", 'A', false, true, false, false, {}},
        {"Shift+F", 'F', false, true, false, false, {}},
        {"F alone", 'F', false, false, false, false, {}},
        {"Ctrl+A (empty)", 'A', true, false, false, false, {}},
        {"Ctrl+Enter (no key)", 0x0D, true, false, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ran.clear();
        EXPECT_EQ(t.Match(c.vk, c.ctrl, c.shift, c.alt, nullptr, run), c.used);
        if (c.used) {
            ASSERT_EQ(ran.size(), 1u);
            EXPECT_EQ(ran[0], c.ran);
        } else {
            EXPECT_TRUE(ran.empty());
        }
    }
}

TEST_F(HotkeyTableTest, TileMarkerOffersTheKeyToTheTileSheet) {
    HotkeyTable t;
    t.entries[4][kKeyA] = {0xFEDF, 0xFEDF, 12};  // Alt+A
    RecordingTiles tiles;
    int ran = 0;
    auto run = [&](const SymbolKey&) { ++ran; };

    tiles.take = true;
    EXPECT_TRUE(t.Match('A', false, false, true, &tiles, run));
    ASSERT_EQ(tiles.offered, std::vector<uint16_t>{12});
    EXPECT_EQ(tiles.lastMods, (std::array<bool, 3>{false, false, true}));

    // Declined or without a tile sheet, the key is still taken and runs nothing.
    tiles.take = false;
    EXPECT_TRUE(t.Match('A', false, false, true, &tiles, run));
    EXPECT_TRUE(t.Match('A', false, false, true, nullptr, run));
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(tiles.offered.size(), 2u);
}

TEST_F(HotkeyTableTest, SetBindingAndGetBinding) {
    const SymbolKey k{3, 137, 0};
    struct Case {
        const char* name;
        int keyIndex;
        bool ctrl, shift, alt;
        int slot;  // -1: nothing stored
    };
    const Case cases[] = {
        {"Ctrl+Left", 0, true, false, false, 0},         {"Ctrl+Shift+9", 13, true, true, false, 1},
        {"Ctrl+Shift+Alt+Z", 39, true, true, true, 2},   {"Ctrl+Alt+Num /", 54, true, false, true, 3},
        {"Alt+'", 65, false, false, true, 4},            {"Alt+Shift+Num 0", 40, false, true, true, 5},
        {"Shift+A", kKeyA, false, true, false, -1},      {"A", kKeyA, false, false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HotkeyTable t;
        t.SetBinding(k, c.keyIndex, c.ctrl, c.shift, c.alt);
        const HotkeyTable::Binding b = t.GetBinding(k);
        if (c.slot < 0) {
            EXPECT_FALSE(t.HasBinding(k));
            EXPECT_EQ(b.vk, -1);
            continue;
        }
        EXPECT_EQ(t.entries[c.slot][c.keyIndex], k);
        EXPECT_EQ(t.FindKeyInSlot(c.slot, k), c.keyIndex);
        EXPECT_EQ(b.vk, HotkeyTable::VirtualKeyOfIndex(c.keyIndex));
        EXPECT_EQ(b.ctrl, c.ctrl);
        EXPECT_EQ(b.shift, c.shift);
        EXPECT_EQ(b.alt, c.alt);
    }
}

TEST_F(HotkeyTableTest, SecondBindingKeepsTheFirstAndRemovalEmptiesEveryEntry) {
    HotkeyTable t;
    const SymbolKey k{6, 8734, 0};
    t.SetBinding(k, 20, true, false, false);       // Ctrl+G
    t.SetBinding(k, 15, true, false, false);       // Ctrl+B, same slot
    t.SetBinding(k, 16, false, false, true);       // Alt+C
    EXPECT_EQ(t.entries[0][20], k);
    EXPECT_EQ(t.FindKeyInSlot(0, k), 15);          // first key of the slot
    EXPECT_EQ(t.GetBinding(k).vk, 'B');
    EXPECT_EQ(t.FindKeyInSlot(6, k), -1);
    EXPECT_EQ(t.FindKeyInSlot(-1, k), -1);

    // A key index past the table empties the slot's first entry holding it.
    t.SetBinding(k, 66, true, false, false);
    EXPECT_EQ(t.FindKeyInSlot(0, k), 20);
    EXPECT_EQ(t.entries[4][16], k);
    t.SetBinding(k, -1, true, false, false);
    EXPECT_EQ(t.FindKeyInSlot(0, k), -1);

    t.SetBinding(k, 3, true, true, false);
    t.RemoveBinding(k);
    EXPECT_FALSE(t.HasBinding(k));
    EXPECT_EQ(t.GetBinding(k).vk, -1);
}

TEST_F(HotkeyTableTest, KeysTextListsTheFirstKeyOfEachSlot) {
    HotkeyTable t;
    const SymbolKey k{3, 128, 0};
    t.SetBinding(k, kKeyA, true, false, false);     // Ctrl+A
    t.SetBinding(k, 15, true, false, false);        // Ctrl+B: not listed, A comes first
    t.SetBinding(k, 45, false, true, true);         // Alt+Shift+Num 5
    t.SetBinding(k, 58, true, true, true);          // Ctrl+Shift+Alt+-
    EXPECT_EQ(t.GetKeysText(k, true), "Ctrl+A  Ctrl+Shift+Alt+-  Alt+Shift+Num 5");
    EXPECT_EQ(t.GetKeysText(k, false), "Shortcut key : Ctrl+A  Ctrl+Shift+Alt+-  Alt+Shift+Num 5");

    const SymbolKey unbound{3, 136, 0};
    EXPECT_EQ(t.GetKeysText(unbound, true), "");
    EXPECT_EQ(t.GetKeysText(unbound, false), "No shortcut key");

    // The user-symbol key has its own text, bound or not.
    t.SetBinding({6, 1, 77}, 0, true, false, false);
    EXPECT_EQ(t.GetKeysText({6, 1, 77}, true), "Opens the user symbol panel (F4)");
    EXPECT_EQ(t.GetKeysText({6, 1, 0}, false), "Opens the user symbol panel (F4)");

    // Every key has a name.
    for (int i = 0; i < HotkeyTable::kKeys; ++i) {
        HotkeyTable one;
        one.entries[4][i] = k;
        EXPECT_GT(one.GetKeysText(k, true).size(), 4) << i;
    }
}

TEST_F(HotkeyTableTest, ClearAllAsksAndAlwaysClearsTheTileKeys) {
    RecordingTiles tiles;
    HotkeyTable defaults;
    defaults.SetDefaults();

    HotkeyTable t = defaults;
    messages.answers = {IDNO};
    t.ClearAll(&tiles);
    EXPECT_TRUE(sameEntries(t, defaults));
    EXPECT_EQ(tiles.cleared, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(messages.shown[0].caption, "Clear shortcut keys");
    EXPECT_TRUE(messages.shown[0].text.startsWith("Remove every shortcut key"));

    messages.answers = {IDYES};
    t.ClearAll(&tiles);
    EXPECT_EQ(tiles.cleared, 2);
    EXPECT_TRUE(sameEntries(t, HotkeyTable{}));

    t = defaults;
    messages.answers = {IDYES};
    t.ClearAll(nullptr);
    EXPECT_TRUE(sameEntries(t, HotkeyTable{}));
}

TEST_F(HotkeyTableTest, ExportAndImportKeepTheLastFolder) {
    const QString key = QStringLiteral("Software\\Toliva\\FDInit");
    RegistryStore::instance().deleteKey(key);
    ScriptedDialogService dialogs;
    ScopedDialogService guard(&dialogs);
    using Answer = ScriptedDialogService::Answer;

    HotkeyTable t;
    fillDistinct(t);
    const QString path = folder.file("mine.hks");
    dialogs.answers = {Answer::withFile(path), Answer::withFile(path), Answer::cancel(ScriptedDialogService::Kind::File)};
    EXPECT_TRUE(t.ExportFile());
    EXPECT_EQ(readFile(path), t.ToBytes());

    HotkeyTable back;
    EXPECT_TRUE(back.ImportFile());
    EXPECT_TRUE(sameEntries(back, t));
    EXPECT_FALSE(back.ImportFile());  // cancelled
    EXPECT_TRUE(sameEntries(back, t));

    ASSERT_EQ(dialogs.fileRequests.size(), 3u);
    const FileDialogRequest& save = dialogs.fileRequests[0];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.defaultName, "Untitled.hks");
    EXPECT_EQ(save.filter, "Toliva Hotkeys (*.hks)|*.hks|");
    EXPECT_EQ(save.initialFolder, "");
    const FileDialogRequest& open = dialogs.fileRequests[1];
    EXPECT_FALSE(open.save);
    EXPECT_EQ(open.defaultName, "");
    EXPECT_EQ(open.initialFolder, folder.path() + '/');

    RegKey reg;
    OpenRegKey(key, reg);
    QString stored;
    EXPECT_TRUE(ReadRegString(reg, "LID_9", stored, {}));
    EXPECT_EQ(stored, folder.path() + '/');
}

// ---- keys from Qt

TEST_F(HotkeyTableTest, QtKeysReachEveryTableKey) {
    struct Case {
        int qtKey;
        bool keypad;
        int vk;
    };
    const Case cases[] = {
        {Qt::Key_Left, false, 0x25},   {Qt::Key_Down, false, 0x28},     {Qt::Key_0, false, 0x30},
        {Qt::Key_7, true, 0x67},       {Qt::Key_D, false, 0x44},        {Qt::Key_Asterisk, true, 0x6A},
        {Qt::Key_Plus, true, 0x6B},    {Qt::Key_Minus, true, 0x6D},     {Qt::Key_Period, true, 0x6E},
        {Qt::Key_Slash, true, 0x6F},   {Qt::Key_Semicolon, false, 0xBA}, {Qt::Key_Plus, false, 0xBB},
        {Qt::Key_Minus, false, 0xBD},  {Qt::Key_Question, false, 0xBF}, {Qt::Key_QuoteLeft, false, 0xC0},
        {Qt::Key_BraceLeft, false, 0xDB}, {Qt::Key_Backslash, false, 0xDC}, {Qt::Key_Apostrophe, false, 0xDE},
        {Qt::Key_Exclam, false, 0x31}, {Qt::Key_Return, false, 0x0D},   {Qt::Key_F3, false, 0x72},
        {Qt::Key_Escape, false, 0x1B}, {Qt::Key_Shift, false, 0x10},    {Qt::Key_Control, false, 0x11},
        {Qt::Key_Alt, false, 0x12},    {Qt::Key_Menu, false, 0x5D},     {Qt::Key_F12, false, 0x7B},
        {Qt::Key_0, true, 0x60},       {Qt::Key_Enter, true, 0x0D},     {Qt::Key_Home, true, 0x24},
        {Qt::Key_AsciiTilde, false, 0xC0}, {Qt::Key_Bar, false, 0xDC},  {Qt::Key_Eacute, false, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyFromQt(c.qtKey, c.keypad), c.vk) << std::hex << c.qtKey << " keypad " << c.keypad;

    // Every key of the table can be pressed.
    std::vector<bool> reached(HotkeyTable::kKeys, false);
    for (int qt = 0x20; qt <= 0x7E; ++qt)
        for (bool keypad : {false, true}) {
            const int index = HotkeyTable::KeyIndexOfVirtualKey(VirtualKeyFromQt(qt, keypad));
            if (index >= 0) reached[size_t(index)] = true;
        }
    for (int qt : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) {
        const int index = HotkeyTable::KeyIndexOfVirtualKey(VirtualKeyFromQt(qt, false));
        if (index >= 0) reached[size_t(index)] = true;
    }
    for (int i = 0; i < HotkeyTable::kKeys; ++i) {
        EXPECT_TRUE(reached[size_t(i)]) << "key index " << i;
        EXPECT_EQ(HotkeyTable::KeyIndexOfVirtualKey(HotkeyTable::VirtualKeyOfIndex(i)), i);
    }
    EXPECT_EQ(HotkeyTable::VirtualKeyOfIndex(66), -1);
    EXPECT_EQ(HotkeyTable::KeyIndexOfVirtualKey(0x6C), -1);  // keypad separator: not in the table
}

}  // namespace
}  // namespace toliva
