// Editing one hotkey binding through the "hot_key" page of the settings
// dialog, answered by a script in place of the modal loop.
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "tests/common/TestSupport.h"
#include "tests/model/EqLayoutTestSupport.h"
#include "uikit/CDlgAMF.h"
#include "uikit/CDlgGU.h"
#include "uikit/CKwEMF_GPL.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace toliva {
namespace {

constexpr SymbolKey kFraction{3, 128, 0};

// What one run of the page shows and how it is answered.
struct PageRun {
    bool ctrl = false, shift = false, alt = false;
    int position = 0;
    QString caption;
    QString title;
    QString pageFolder;
};

class CountingHost : public SheetHost {
public:
    void OpenUserSymbolPanel() override { ++panelOpened; }
    int panelOpened = 0;
};

class EditHotkeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), &host,
                                             std::make_unique<HeadlessSheetBackend>());
        sheet->hotkeys().SetDefaults();
        sheet->runSettingsDialog = [this](CDlgGU& dlg) {
            PageRun seen;
            seen.ctrl = dlg.propertyList.GetItemBool(0, 0);
            seen.shift = dlg.propertyList.GetItemBool(0, 1);
            seen.alt = dlg.propertyList.GetItemBool(0, 2);
            seen.position = dlg.propertyList.GetItemChoice(0, 3);
            seen.caption = dlg.propertyList.Item(0, 4) ? dlg.propertyList.Item(0, 4)->text : QString();
            seen.title = dlg.title;
            seen.pageFolder = dlg.pageFolder;
            runs.push_back(seen);
            if (answers.empty()) return int(IDCANCEL);
            auto answer = answers.front();
            answers.pop_front();
            return answer(dlg);
        };
    }

    // An answer that sets the page's values and presses OK.
    static std::function<int(CDlgGU&)> choose(bool ctrl, bool shift, bool alt, int vk) {
        return [=](CDlgGU& dlg) {
            dlg.SetItemBool(0, 0, ctrl);
            dlg.SetItemBool(0, 1, shift);
            dlg.SetItemBool(0, 2, alt);
            dlg.GetOrAddItem(0, 3)->choice = CKwEESheet::HotkeyDialogPosition(vk);
            return int(IDOK);
        };
    }

    QString message(int item) const { return LangText(QStringLiteral("LANG_05.xml"), QStringLiteral("gMSG_2"), item); }

    AppContext app;
    CountingHost host;
    std::unique_ptr<CKwEESheet> sheet;
    RecordingMessageSink messages;
    ScopedMessageSink guard{&messages};
    std::deque<std::function<int(CDlgGU&)>> answers;
    std::vector<PageRun> runs;
};

TEST_F(EditHotkeyTest, KeyListFollowsTheKeyboardAndReachesEveryTableKey) {
    const auto& keys = CKwEESheet::HotkeyDialogKeys();
    EXPECT_EQ(keys.front(), 0xC0);  // ` first
    EXPECT_EQ(CKwEESheet::HotkeyDialogPosition('Q'), 17);
    EXPECT_EQ(CKwEESheet::HotkeyDialogPosition(0x6E), 66);
    EXPECT_EQ(CKwEESheet::HotkeyDialogPosition(0x0D), 0);
    std::vector<bool> reached(HotkeyTable::kKeys, false);
    for (int vk : keys) {
        const int index = HotkeyTable::KeyIndexOfVirtualKey(vk);
        ASSERT_GE(index, 0) << vk;
        EXPECT_FALSE(reached[size_t(index)]) << "twice: " << vk;
        reached[size_t(index)] = true;
    }
}

TEST_F(EditHotkeyTest, PageShowsTheCurrentBindingAndOkStoresTheNewOne) {
    answers.push_back(choose(true, false, true, 'Q'));
    sheet->EditHotkey(kFraction, false, QStringLiteral("\\frac"));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].pageFolder, "hot_key");
    EXPECT_EQ(runs[0].title, LangText(QStringLiteral("DlgGU.xml"), QStringLiteral("gTT_1"), 2));
    EXPECT_EQ(runs[0].caption, "\\frac");
    // The default Ctrl+F.
    EXPECT_TRUE(runs[0].ctrl);
    EXPECT_FALSE(runs[0].shift);
    EXPECT_FALSE(runs[0].alt);
    EXPECT_EQ(runs[0].position, CKwEESheet::HotkeyDialogPosition('F'));
    // Ctrl+Alt+Q now holds it too; Ctrl+F keeps it.
    const int q = HotkeyTable::KeyIndexOfVirtualKey('Q');
    EXPECT_EQ(sheet->hotkeys().entries[3][q], kFraction);
    EXPECT_EQ(sheet->hotkeys().FindKeyInSlot(0, kFraction), HotkeyTable::KeyIndexOfVirtualKey('F'));
    EXPECT_TRUE(messages.shown.empty());

    // An unbound key opens on "none" with no modifier.
    runs.clear();
    sheet->EditHotkey(SymbolKey{6, 0x3B1, 0}, false);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].position, 0);
    EXPECT_FALSE(runs[0].ctrl || runs[0].shift || runs[0].alt);
    EXPECT_TRUE(runs[0].caption.isEmpty());
}

TEST_F(EditHotkeyTest, RefusedCombinationsShowTheirMessageAndOpenThePageAgain) {
    struct Case {
        const char* name;
        bool ctrl, shift, alt;
        int vk;
        int messageItem;
    };
    const Case cases[] = {
        {"Shift+Q", false, true, false, 'Q', 1},  {"Q alone", false, false, false, 'Q', 1},
        {"Ctrl+C", true, false, false, 'C', 2},   {"Ctrl+3", true, false, false, '3', 2},
        {"Ctrl+Shift+V", true, true, false, 'V', 2}, {"Alt+Up", false, false, true, 0x26, 2},
        {"Ctrl+Alt+Left", true, false, true, 0x25, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sheet->hotkeys().SetDefaults();
        const auto before = sheet->hotkeys().ToBytes();
        runs.clear();
        messages.shown.clear();
        answers = {choose(c.ctrl, c.shift, c.alt, c.vk)};  // then Cancel
        sheet->EditHotkey(kFraction, false);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, message(c.messageItem));
        ASSERT_EQ(runs.size(), 2u);
        // The page opens again with what was chosen.
        EXPECT_EQ(runs[1].position, CKwEESheet::HotkeyDialogPosition(c.vk));
        EXPECT_EQ(runs[1].ctrl, c.ctrl);
        EXPECT_EQ(runs[1].shift, c.shift);
        EXPECT_EQ(runs[1].alt, c.alt);
        EXPECT_EQ(sheet->hotkeys().ToBytes(), before);
    }
    // A refusal, then an accepted choice.
    runs.clear();
    messages.shown.clear();
    answers = {choose(true, false, false, 'C'), choose(true, true, false, 'K')};
    sheet->EditHotkey(kFraction, false);
    EXPECT_EQ(runs.size(), 2u);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(sheet->hotkeys().entries[1][HotkeyTable::KeyIndexOfVirtualKey('K')], kFraction);
}

TEST_F(EditHotkeyTest, CancelAndNoKeyChangeNothing) {
    const auto before = sheet->hotkeys().ToBytes();
    sheet->EditHotkey(kFraction, false);  // cancelled
    answers = {[](CDlgGU& dlg) {
        dlg.SetItemBool(0, 2, true);
        dlg.GetOrAddItem(0, 3)->choice = 0;
        return int(IDOK);
    }};
    sheet->EditHotkey(kFraction, false);
    EXPECT_EQ(runs.size(), 2u);
    EXPECT_EQ(sheet->hotkeys().ToBytes(), before);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EditHotkeyTest, UserSymbolPanelKeyIsNotEdited) {
    const auto before = sheet->hotkeys().ToBytes();
    for (uint16_t ch : {uint16_t(0), uint16_t(0x41)}) {
        answers = {choose(true, false, false, 'Q')};
        sheet->EditHotkey(SymbolKey{6, 1, ch}, false);
        sheet->EditHotkey(SymbolKey{6, 1, ch}, true);
    }
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(host.panelOpened, 2);  // only when not called from a panel
    EXPECT_EQ(sheet->hotkeys().ToBytes(), before);
}

// The page itself: check boxes for the modifiers, one option per key after
// "none", the caption; clicking its fields answers the dialog.
TEST_F(EditHotkeyTest, PageFieldsAnswerTheDialog) {
    int keyFields = 0;
    answers.push_back([&](CDlgGU& dlg) {
        CDlgAMF* grid = dlg.Grid();
        EXPECT_EQ(grid->PageCount(), 1);
        CKwEMF_GPL* page = grid ? grid->Page(0) : nullptr;
        if (!page) return int(IDCANCEL);
        int ctrlField = -1, altField = -1, keyField = -1;
        for (int i = 0; i < page->FieldCount(); ++i) {
            const PictureField& f = page->fields[size_t(i)];
            if (f.item == 1) ctrlField = i;
            if (f.item == 3) altField = i;
            if (f.item <= 3) {
                EXPECT_EQ(f.type, kFieldCheckBox);
            }
            if (f.item == 5) {
                EXPECT_EQ(f.type, kFieldReadOnlyText);
            }
            if (f.item == 4) {
                EXPECT_EQ(f.type, kFieldRoundOption);
                if (page->OptionIndexOf(i) == CKwEESheet::HotkeyDialogPosition('K')) keyField = i;
                ++keyFields;
            }
        }
        EXPECT_GE(ctrlField, 0);
        EXPECT_GE(altField, 0);
        EXPECT_GE(keyField, 0);
        grid->ActivateField(altField, CDlgAMF::Activation::Space);   // Ctrl was on: now Ctrl+Alt
        grid->ActivateField(keyField, CDlgAMF::Activation::Space);
        return int(IDOK);
    });
    sheet->EditHotkey(kFraction, false);
    EXPECT_EQ(keyFields, 67);
    EXPECT_EQ(sheet->hotkeys().entries[3][HotkeyTable::KeyIndexOfVirtualKey('K')], kFraction);
}

}  // namespace
}  // namespace toliva
