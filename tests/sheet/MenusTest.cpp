// The main menu and the context menu: the entries each state gives, the
// language list, the submenus of the element at the caret, what a choice
// carries out, and the element codes with their undo steps.
#include "model/CalcFormat.h"
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/ClipboardService.h"
#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "sheet/CKwEESheet.h"
#include "tests/sheet/SheetFixtures.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/ChemMarks.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/EditOps.h"
#include "sheet/editing/MenuModel.h"
#include "tests/common/ModelFixtures.h"
#include "tests/model/EqLayoutTestSupport.h"
#include "tests/sheet/SheetTestSupport.h"
#include "uikit/CDlgGU.h"
#include "uikit/CKwMenu.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

namespace toliva {
namespace {

const QString kLanguageKey = QStringLiteral("Software\\Toliva\\Language");

std::string outline(const MenuEntries& entries) { return MenuOutline(entries).toStdString(); }

bool has(const MenuEntries& entries, int code) { return FindMenuEntry(entries, code) != nullptr; }

bool checked(const MenuEntries& entries, int code) {
    const MenuEntry* e = FindMenuEntry(entries, code);
    return e && e->isChecked();
}

// The fullest state: everything that adds an entry or a check mark.
MenuState fullState() {
    MenuState s;
    s.canUndo = s.canRedo = true;
    s.hasSelection = s.selectionSearchable = s.hasMarks = true;
    s.clipboardKind = 2;
    s.lineAlignment = 1;
    s.typingType = EqTypeCharBoldItalic;
    s.viewMode = 1;
    s.libraryPanel = true;
    s.languages = {{1, QStringLiteral("English")}, {2, QStringLiteral("中文")}};
    s.currentLanguage = 2;
    return s;
}

void writeLanguageValue(const QString& name, const QString& value) {
    RegKey key;
    ASSERT_TRUE(OpenRegKey(kLanguageKey, key));
    ASSERT_TRUE(WriteRegString(key, name, value));
}

// ---- the two menus as data

TEST(MenuModelTest, MainMenuHoldsItsEntriesInOrder) {
    EXPECT_EQ(outline(BuildMainMenu(fullState())),
              "gCS_1.1[19 20 21 176 | 178] "
              "gCS_1.2[11 12 | 149 | 156 157 153 154 | 155 | 151 152 | 32 33 144 145 34 37 | 255 256 | "
              "gSM_Edit.2[22 23* 24 25] | 6 | 4 gSM_Edit.1[3* 2*] gCS_2.23[216 217 218 219] gCS_2.44[220 221]] "
              "gCS_1.3[27 28 29 146 5 226*] 136 18 7 gCS_1.6[8001 8002*] | 35* "
              "gCS_1.8[179 180 183 181 182] 9001");
    // Nothing selected, no history, an empty clipboard, no languages listed.
    EXPECT_EQ(outline(BuildMainMenu(MenuState{})),
              "gCS_1.1[19 20 21 176 | 178] "
              "gCS_1.2[149 | 153 154 | 155 | 151 152 | 255 256 | gSM_Edit.2[22 23* 24 25] 4 gSM_Edit.1[3* 2]] "
              "gCS_1.3[27 28 29 146 5 226] 136 18 7 gCS_1.6~[] | 35 gCS_1.8[179 180 183 181 182] 9001");
}

TEST(MenuModelTest, ContextMenuHoldsItsEntriesInOrder) {
    EXPECT_EQ(outline(BuildContextMenu(fullState(), {})),
              "11 12 | 32 33 144 145 34 37 | 149 | 6 | 4 gSM_Edit.1[3* 2*] gCS_2.23[216 217 218 219] "
              "gCS_2.44[220 221] | 156 157 153 154 | 146 136 | 151 152");
    EXPECT_EQ(outline(BuildContextMenu(MenuState{}, {})), "149 4 gSM_Edit.1[3* 2] | 153 154 | 146 136 | 151 152");
    // The element submenus come first, each with its separator.
    MenuEntries element;
    MenuEntry swap;
    swap.group = QStringLiteral("gCS_2");
    swap.item = 37;
    swap.code = CMD_SWAP_VARIANT;
    element.push_back(swap);
    MenuEntry separator;
    separator.flags = MenuSeparator;
    element.push_back(separator);
    EXPECT_EQ(outline(BuildContextMenu(MenuState{}, element)), "242 | 149 4 gSM_Edit.1[3* 2] | 153 154 | 146 136 | 151 152");
}

// What one change of the state shows in both menus.
struct StateCase {
    const char* name;
    std::function<void(MenuState&)> change;
    std::vector<int> shown;         // in both menus
    std::vector<int> hidden;        // in neither
    std::vector<int> checks;        // checked in the main menu
    std::vector<int> unchecked;     // shown unchecked in the main menu
    std::vector<int> mainOnlyShown = {};
    std::vector<int> mainOnlyHidden = {};
};

TEST(MenuModelTest, EachStateShowsItsEntriesAndMarks) {
    const std::vector<int> selectionCodes = {CMD_CUT, CMD_COPY, CMD_COPY_LATEX, CMD_COPY_MATHML,
                                             CMD_CHAR_UPRIGHT, CMD_CHAR_ITALIC, CMD_CHAR_BOLD, CMD_CHAR_BOLD_ITALIC,
                                             CMD_CHAR_TYPE_16, CMD_CHAR_TYPE_17, CMD_COLOUR};
    const StateCase cases[] = {
        {"nothing", [](MenuState&) {},
         {CMD_SELECT_ALL, CMD_FIND_REPLACE, CMD_CLEAR_MARKS, CMD_CALC_LINE, CMD_CALC_ALL, CMD_FONT_SIZE},
         {CMD_UNDO, CMD_REDO, CMD_PASTE, CMD_PASTE_TEXT, CMD_FIND_SELECTION, CMD_REPLACE_MARKED, CMD_CUT, CMD_COPY,
          CMD_COPY_LATEX, CMD_COPY_MATHML, CMD_COLOUR, CMD_CHAR_UPRIGHT, CMD_CHAR_TYPE_17},
         {CMD_ALIGN_CENTER, CMD_TOGGLE_ITALIC},
         {CMD_ALIGN_LEFT, CMD_ALIGN_RIGHT, CMD_ALIGN_AT_MARK, CMD_TOGGLE_BOLD, CMD_TOGGLE_LAYOUT_OPTION,
          CMD_TOGGLE_LATEX_MODE, CMD_TOGGLE_LIBRARY_PANEL},
         {CMD_FILE_OPEN, CMD_FILE_SAVE_AS, CMD_EXIT}},
        {"undo stack", [](MenuState& s) { s.canUndo = true; }, {CMD_UNDO}, {CMD_REDO}, {}, {}},
        {"redo stack", [](MenuState& s) { s.canRedo = true; }, {CMD_REDO}, {CMD_UNDO}, {}, {}},
        {"selection", [](MenuState& s) { s.hasSelection = true; }, selectionCodes, {CMD_FIND_SELECTION}, {}, {}},
        {"selection drawn by role colours",
         [](MenuState& s) {
             s.hasSelection = true;
             s.roleColours = true;
         },
         {CMD_CUT, CMD_CHAR_TYPE_16}, {CMD_COLOUR}, {CMD_TOGGLE_LAYOUT_OPTION}, {}},
        {"searchable selection", [](MenuState& s) { s.selectionSearchable = true; }, {CMD_FIND_SELECTION}, {}, {}, {}},
        {"marks", [](MenuState& s) { s.hasMarks = true; }, {CMD_REPLACE_MARKED}, {}, {}, {}},
        {"clipboard of the editor's own", [](MenuState& s) { s.clipboardKind = 1; }, {CMD_PASTE}, {CMD_PASTE_TEXT}, {}, {}},
        {"clipboard text", [](MenuState& s) { s.clipboardKind = 2; }, {CMD_PASTE, CMD_PASTE_TEXT}, {}, {}, {}},
        {"clipboard picture", [](MenuState& s) { s.clipboardKind = 6; }, {CMD_PASTE}, {CMD_PASTE_TEXT}, {}, {}},
        {"embedded", [](MenuState& s) { s.embedded = true; }, {}, {}, {}, {},
         {CMD_FILE_NEW, CMD_FILE_SAVE, CMD_PRINT}, {CMD_FILE_OPEN, CMD_FILE_SAVE_AS}},
        {"aligned right", [](MenuState& s) { s.lineAlignment = 2; }, {}, {}, {CMD_ALIGN_RIGHT},
         {CMD_ALIGN_LEFT, CMD_ALIGN_CENTER, CMD_ALIGN_AT_MARK}},
        {"aligned at marks", [](MenuState& s) { s.lineAlignment = 3; }, {}, {}, {CMD_ALIGN_AT_MARK}, {CMD_ALIGN_CENTER}},
        {"typing upright", [](MenuState& s) { s.typingType = 1; }, {}, {}, {}, {CMD_TOGGLE_ITALIC, CMD_TOGGLE_BOLD}},
        {"typing bold", [](MenuState& s) { s.typingType = 3; }, {}, {}, {CMD_TOGGLE_BOLD}, {CMD_TOGGLE_ITALIC}},
        {"typing bold italic", [](MenuState& s) { s.typingType = 4; }, {}, {}, {CMD_TOGGLE_BOLD, CMD_TOGGLE_ITALIC}, {}},
        {"typing sans-serif", [](MenuState& s) { s.typingType = 16; }, {}, {}, {}, {CMD_TOGGLE_BOLD, CMD_TOGGLE_ITALIC}},
        {"colours by role", [](MenuState& s) { s.roleColours = true; }, {}, {}, {CMD_TOGGLE_LAYOUT_OPTION}, {}},
        {"LaTeX mode", [](MenuState& s) { s.viewMode = 1; }, {}, {}, {CMD_TOGGLE_LATEX_MODE}, {}},
        {"library panel", [](MenuState& s) { s.libraryPanel = true; }, {}, {}, {CMD_TOGGLE_LIBRARY_PANEL}, {}},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        MenuState state;
        c.change(state);
        const MenuEntries main = BuildMainMenu(state);
        const MenuEntries context = BuildContextMenu(state, {});
        for (const int code : c.shown) {
            EXPECT_TRUE(has(main, code)) << code;
            EXPECT_TRUE(has(context, code)) << code;
        }
        for (const int code : c.hidden) {
            EXPECT_FALSE(has(main, code)) << code;
            EXPECT_FALSE(has(context, code)) << code;
        }
        for (const int code : c.checks) EXPECT_TRUE(checked(main, code)) << code;
        for (const int code : c.unchecked) {
            EXPECT_TRUE(has(main, code)) << code;
            EXPECT_FALSE(checked(main, code)) << code;
        }
        for (const int code : c.mainOnlyShown) EXPECT_TRUE(has(main, code)) << code;
        for (const int code : c.mainOnlyHidden) EXPECT_FALSE(has(main, code)) << code;
        // The style submenu's marks are the same in both menus.
        EXPECT_EQ(checked(main, CMD_TOGGLE_BOLD), checked(context, CMD_TOGGLE_BOLD));
        EXPECT_EQ(checked(main, CMD_TOGGLE_ITALIC), checked(context, CMD_TOGGLE_ITALIC));
    }
}

TEST(MenuModelTest, SelectionCanBeSearchedForOnlyAsOneRunOfElements) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"abc");
    EqElement* a = line->next;
    EqElement* c = a->next->next;
    EXPECT_TRUE(SelectionIsSearchable({a}));
    EXPECT_TRUE(SelectionIsSearchable({a, a->next, c}));
    EXPECT_FALSE(SelectionIsSearchable({}));
    EXPECT_FALSE(SelectionIsSearchable({a, c}));        // a gap
    EXPECT_FALSE(SelectionIsSearchable({line, a}));     // a line's head
}

// ---- the language list

class LanguageListTest : public ::testing::Test {
protected:
    void SetUp() override { RegistryStore::instance().deleteKey(kLanguageKey); }
    void TearDown() override { RegistryStore::instance().deleteKey(kLanguageKey); }
};

TEST_F(LanguageListTest, NamesThatAreEmptyAreLeftOut) {
    writeLanguageValue(QStringLiteral("LanNum"), QStringLiteral("3"));
    writeLanguageValue(QStringLiteral("Lan1"), QStringLiteral("English"));
    writeLanguageValue(QStringLiteral("Lan2"), QString());
    writeLanguageValue(QStringLiteral("Lan3"), QStringLiteral("中文"));
    MenuState state;
    state.languages = ReadLanguageList();
    state.currentLanguage = 3;
    const MenuEntries main = BuildMainMenu(state);
    const MenuEntry* list = nullptr;
    for (const MenuEntry& e : main)
        if (e.isPopup() && e.group == QLatin1String("gCS_1") && e.item == 6) list = &e;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(outline(list->children), "8001 8003*");
    EXPECT_EQ(list->children[0].text, "English");
    EXPECT_EQ(list->children[1].text, "中文");
    EXPECT_FALSE(list->isGreyed());
}

TEST_F(LanguageListTest, CountIsReadAsADecimalNumber) {
    writeLanguageValue(QStringLiteral("Lan1"), QStringLiteral("English"));
    writeLanguageValue(QStringLiteral("Lan2"), QStringLiteral("中文"));
    writeLanguageValue(QStringLiteral("Lan3"), QStringLiteral("Deutsch"));
    const struct {
        const char* count;  // null: the value is missing
        std::vector<int> numbers;
    } cases[] = {
        {nullptr, {1, 2}},  // "2" when missing
        {"1", {1}},
        {" 3 ", {1, 2, 3}},
        {"x", {}},
        {"-4", {}},
        {"1000000000", {1, 2, 3}},  // no more than the menu has identifiers for
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count ? c.count : "(missing)");
        if (c.count) writeLanguageValue(QStringLiteral("LanNum"), QString::fromLatin1(c.count));
        std::vector<int> numbers;
        for (const LanguageName& l : ReadLanguageList()) numbers.push_back(l.number);
        EXPECT_EQ(numbers, c.numbers);
    }
}

// ---- element submenus as data

TEST(MenuModelTest, BracketSubmenuChecksTheBracketsKind) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* bracket = b.add(b.line(), 337, 1);
    for (int type = kBracketMenuFirstType; type <= kBracketMenuLastType; ++type) {
        SCOPED_TRACE(type);
        bracket->type = type;
        const MenuEntry menu = BuildBracketSubmenu(bracket);
        EXPECT_EQ(menu.group, "gCS_2");
        EXPECT_EQ(menu.item, 41);
        const std::string kinds[] = {"769* 770 771 772", "769 770* 771 772", "769 770 771* 772", "769 770 771 772*"};
        EXPECT_EQ(outline(menu.children), type <= 340 ? kinds[type - 337] : "769 770 771 772");
        for (const MenuEntry& e : menu.children) EXPECT_EQ(e.group, "gSM_Bra");
    }
}

TEST(MenuModelTest, NumberFormatSubmenuChecksTheResultsFormatAndUnit) {
    const MenuEntry plain = BuildNumberFormatSubmenu(0, 0);
    EXPECT_EQ(plain.file, kNumberFormatCaptionFile);
    EXPECT_EQ(plain.group, "gFL_x");
    EXPECT_EQ(plain.item, 1);
    EXPECT_EQ(outline(plain.children),
              "512* | 513 514 515 516 517 518 519 520 521 | 522 523 524 525 | 526* 527 528 529 530");
    EXPECT_EQ(FindMenuEntry(plain.children, 513)->text, "X.X");
    EXPECT_EQ(FindMenuEntry(plain.children, 516)->text, "X.XXXX");
    EXPECT_EQ(FindMenuEntry(plain.children, 521)->text, "X.XXXXXXXXX");
    EXPECT_EQ(FindMenuEntry(plain.children, 522)->group, "gFL_4");
    EXPECT_EQ(FindMenuEntry(plain.children, 530)->item, 5);
    for (int format = 0; format <= 14; ++format) {
        for (int angle = 0; angle <= 5; ++angle) {
            SCOPED_TRACE(testing::Message() << format << " " << angle);
            const MenuEntry menu = BuildNumberFormatSubmenu(format, angle);
            std::vector<int> marks;
            for (const int code : MenuCodes(menu.children))
                if (checked(menu.children, code)) marks.push_back(code);
            std::vector<int> expected;
            if (format <= 13) expected.push_back(512 + format);
            if (angle <= 4) expected.push_back(526 + angle);
            EXPECT_EQ(marks, expected);
        }
    }
}

TEST(MenuModelTest, DirectionSubmenuOffersTheMovesThereAre) {
    using Moves = std::array<bool, 4>;
    const Moves all{true, true, true, true}, none{};
    const struct {
        Moves add, remove;
        std::string expected;
    } cases[] = {
        {all, all, "416 417 418 419 | 420 421 422 423"},
        {all, none, "416 417 418 419"},
        {none, {true, false, true, false}, "420 422"},
        {{false, true, false, true}, {true, false, false, false}, "417 419 | 420"},
        {none, none, ""},
    };
    for (const auto& c : cases) {
        const MenuEntry menu = BuildDirectionSubmenu(c.add, c.remove);
        EXPECT_EQ(outline(menu.children), c.expected);
        EXPECT_EQ(menu.file, kElementCaptionFile);
        EXPECT_EQ(menu.group, "gCS_3");
        EXPECT_EQ(menu.item, 1);
        for (const MenuEntry& e : menu.children)
            if (!e.isSeparator()) {
                EXPECT_EQ(e.item, e.code < 420 ? e.code - 416 + 2 : e.code - 420 + 6);
            }
    }
}

TEST(MenuModelTest, MatrixCodesSetTheirFieldOfTheFlagWord) {
    const struct {
        int code;
        uint16_t before, after;
    } cases[] = {
        {161, 0x0F3F, 0x0F31}, {162, 0x0F3F, 0x0F30}, {163, 0x0000, 0x0002}, {164, 0x0001, 0x0003},
        {165, 0x0102, 0x0104}, {167, 0x0F11, 0x0011}, {168, 0x0000, 0x0100}, {169, 0x0311, 0x0211},
        {170, 0x0000, 0x0300}, {171, 0x0102, 0x0402}, {172, 0x0302, 0x0312}, {172, 0x03F2, 0x0312},
        {173, 0x0312, 0x0302}, {166, 0x0312, 0x0312}, {174, 0x0312, 0x0312}, {11, 0x0312, 0x0312},
    };
    for (const auto& c : cases) EXPECT_EQ(MatrixFlagsAfterCode(c.before, c.code), c.after) << c.code;
}

// The variant pairs as given for the swap command, both ways.
const std::pair<int, int> kSwaps[31] = {
    {128, 130}, {308, 848}, {311, 849}, {314, 850}, {317, 851}, {320, 852}, {323, 853}, {805, 856},
    {802, 855}, {332, 858}, {335, 859}, {329, 857}, {326, 854}, {773, 290}, {784, 285}, {783, 284},
    {786, 287}, {774, 279}, {775, 280}, {776, 281}, {779, 282}, {780, 283}, {769, 289}, {772, 292},
    {777, 294}, {778, 296}, {781, 298}, {782, 300}, {785, 301}, {771, 303}, {770, 305},
};

TEST(MenuModelTest, EveryVariantPairSwapsBothWays) {
    std::set<int> types;
    for (const auto& [a, b] : kSwaps) {
        EXPECT_EQ(VariantPartner(a), b) << a;
        EXPECT_EQ(VariantPartner(b), a) << b;
        types.insert(a);
        types.insert(b);
    }
    EXPECT_EQ(types.size(), 62u);  // no type in two pairs
    for (const int other : {0, 1, 129, 131, 337, 369, 806, 860, 1042}) EXPECT_EQ(VariantPartner(other), 0) << other;
}

// ---- every caption and icon the menus name

void collectEntries(const MenuEntries& entries, std::vector<const MenuEntry*>& out) {
    for (const MenuEntry& e : entries) {
        if (e.isSeparator()) continue;
        out.push_back(&e);
        collectEntries(e.children, out);
    }
}

TEST(MenuModelTest, EveryCaptionAndIconExists) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* matrix = b.add(b.line(), EqTypeMatrix, 4);
    SetMatrixCounts(matrix, 2, 2);
    EqElement* bracket = b.add(b.line(), 337, 1);
    std::vector<MenuEntries> menus = {BuildMainMenu(fullState()), BuildContextMenu(fullState(), {})};
    MenuEntries element;
    element.push_back(BuildDirectionSubmenu({true, true, true, true}, {true, true, true, true}));
    element.push_back(BuildBracketSubmenu(bracket));
    element.push_back(BuildMatrixSubmenu(matrix));
    matrix->ch = 0x10;  // the other script-size entry
    element.push_back(BuildMatrixSubmenu(matrix));
    element.push_back(BuildNumberFormatSubmenu(0, 0));
    ElementMenuTargets targets;
    targets.swap = targets.chemForm = targets.customSpace = matrix;
    for (const MenuEntry& e : BuildStructureSubmenus(targets)) element.push_back(e);
    menus.push_back(element);

    std::vector<const MenuEntry*> entries;
    for (const MenuEntries& m : menus) collectEntries(m, entries);
    std::set<int> codes;
    for (const MenuEntry* e : entries) codes.insert(e->code);
    for (const int code : {CMD_MATRIX_FRAME_ON, CMD_MATRIX_FRAME_OFF, CMD_SWAP_VARIANT, CMD_CHEM_MARKS,
                           CMD_CUSTOM_SPACE_AMOUNT, CMD_EXIT})
        EXPECT_TRUE(codes.count(code)) << code;

    for (const char* language : {"en", "cn"}) {
        SCOPED_TRACE(language);
        for (const MenuEntry* e : entries) {
            if (e->file.isEmpty()) {
                EXPECT_FALSE(e->text.isEmpty()) << e->code;
                continue;
            }
            LangTable table(QString::fromLatin1(language), e->file);
            const QString text = LoadLangString(table, e->group, e->item);
            EXPECT_FALSE(text.isEmpty()) << e->file.toStdString() << " " << e->group.toStdString() << " " << e->item;
            // A tab only ever parts the caption from its keys.
            EXPECT_LE(text.count(QLatin1Char('\t')), 1) << text.toStdString();
            EXPECT_FALSE(text.startsWith(QLatin1Char('\t'))) << text.toStdString();
        }
    }
    std::set<QString> icons = {QStringLiteral("menu\\check")};
    for (const MenuEntry* e : entries)
        if (!e->icon.isEmpty()) icons.insert(e->icon);
    EXPECT_GE(icons.size(), 20u);
    for (const QString& icon : icons) {
        const QString path = programFolder() + QStringLiteral("icons/") + dataName(icon) + QStringLiteral(".apx");
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    }
}

// ---- the sheet's menus

// Records what the sheet asks of the program around it.
class MenuHost : public SheetHost {
public:
    bool embedded = false;
    int viewMode = 0;
    int closes = 0;
    std::vector<std::string> calls;

    bool IsEmbedded() const override { return embedded; }
    int ViewMode() const override { return viewMode; }
    void CloseMainWindow() override { ++closes; }
    void ApplyLanguage() override { calls.push_back("ApplyLanguage"); }
    void UpdateTitle() override { calls.push_back("UpdateTitle"); }
    void OpenUserSymbolPanel() override { calls.push_back("OpenUserSymbolPanel"); }
};

// What a menu offered, as the sheet built it.
struct ShownMenu {
    std::vector<std::pair<unsigned, QString>> items;  // id and caption, depth first
    std::set<unsigned> checkedIds, greyedIds, withIcon;
    std::vector<QString> popups;

    QString captionOf(unsigned id) const {
        for (const auto& [i, text] : items)
            if (i == id) return text;
        return {};
    }
    bool offers(unsigned id) const { return !captionOf(id).isNull(); }
};

void readMenu(const CKwMenu& menu, ShownMenu& out) {
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) continue;
        if (auto* sub = qobject_cast<CKwMenu*>(action->menu())) {
            out.popups.push_back(action->text());
            readMenu(*sub, out);
            continue;
        }
        const unsigned id = CKwMenu::ActionId(action);
        out.items.push_back({id, action->text()});
        if (action->isChecked()) out.checkedIds.insert(id);
        if (!action->isEnabled()) out.greyedIds.insert(id);
        if (const CKwMenu::ItemRecord* r = menu.FindRecord(id); r && r->icon) out.withIcon.insert(id);
    }
}

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::instance().deleteKey(kLanguageKey);
        build();
    }
    void TearDown() override { RegistryStore::instance().deleteKey(kLanguageKey); }

    // Line 0 "ab", line 1 a 2 x 2 matrix of w, x, y, z (centred: flag word
    // 0); the caret at the end of line 0.
    void build() {
        sheet.reset();
        eq = std::make_unique<EqModel>(test::builtInStyle());
        matrix = test::buildTextAndMatrix(eq.get(), &line0);
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), &host, std::move(owned));
        sheet->setEditDialogs(&dialogs);
        sheet->runSettingsDialog = [this](CDlgGU& dlg) {
            if (!pageAnswer) return int(IDCANCEL);
            return pageAnswer(dlg);
        };
        // The menu is read and then answered by `choice`.
        sheet->trackMenu = [this](CKwMenu& menu, QPoint at) {
            ++tracked;
            trackedAt = at;
            shown = ShownMenu{};
            readMenu(menu, shown);
            return choice;
        };
        ShowSheetOffscreen(*sheet, QSize(400, 300), eq.get());
        sheet->SetCaretElement(line0->next->next);
    }

    void caretInMatrix() { sheet->SetCaretElement(matrix->children[0]->next); }
    // Runs a sheet script; an undo replaces every element, so the fixture's
    // element pointers are taken again afterwards.
    void run(const QString& script) {
        SheetScript s(*sheet, backend);
        EXPECT_TRUE(s.run(script).ok) << script.toStdString();
        refetch();
    }
    void refetch() {
        line0 = eq->lines[0];
        matrix = eq->lines[1]->next;
    }
    // A new line with the expression and its equals sign typed: the result
    // placed after it.
    EqElement* typeResult(const QString& expression) {
        sheet->SetCaretElement(AddEmptyLine(eq.get()));
        run(QStringLiteral("type ") + expression + QStringLiteral("="));
        EqElement* result = FindChainEnd(eq->lines.back());
        EXPECT_EQ(result->type, EqTypeCalcResult) << test::equationText(*eq);
        return result->type == EqTypeCalcResult ? result : nullptr;
    }
    QByteArray bytes() const { return EquationToBytes(eq.get(), true); }
    int undoSteps() { return sheet->undoHistory().undoCount(); }
    int redoSteps() { return sheet->undoHistory().redoCount(); }

    AppContext app;
    MenuHost host;
    ScriptedEditDialogs dialogs;
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
    MemoryClipboardService clipboard;
    ScopedClipboardService clipboardGuard{&clipboard};
    std::unique_ptr<EqModel> eq;
    std::unique_ptr<CKwEESheet> sheet;
    HeadlessSheetBackend* backend = nullptr;
    EqElement* line0 = nullptr;
    EqElement* matrix = nullptr;
    std::function<int(CDlgGU&)> pageAnswer;
    unsigned choice = 0;
    int tracked = 0;
    QPoint trackedAt;
    ShownMenu shown;
};

TEST_F(MenusTest, MenusShowTheirCaptionsInTheSheetsLanguage) {
    writeLanguageValue(QStringLiteral("LanNum"), QStringLiteral("2"));
    writeLanguageValue(QStringLiteral("Lan1"), QStringLiteral("English"));
    writeLanguageValue(QStringLiteral("Lan2"), QStringLiteral("中文"));
    run(QStringLiteral("type c\nundo"));  // a redo step
    for (const int lanSel : {1, 2}) {
        SCOPED_TRACE(lanSel);
        app.lanSel = lanSel;
        const QString code = app.languageCode();
        const auto text = [&](const char* file, const char* group, int item) {
            LangTable table(code, QString::fromLatin1(file));
            return LoadLangString(table, QString::fromLatin1(group), item);
        };
        EXPECT_EQ(sheet->ShowMainMenu(QPoint(30, 40)), 0u);
        EXPECT_EQ(trackedAt, QPoint(30, 40));
        ASSERT_GE(shown.popups.size(), 3u);
        EXPECT_EQ(shown.popups[0], text("LANG_03.xml", "gCS_1", 1));
        // The caption alone: the keys after the tab are drawn by the menu.
        EXPECT_EQ(shown.captionOf(CMD_REDO), text("LANG_03.xml", "gCS_2", 2).section(QLatin1Char('\t'), 0, 0));
        EXPECT_FALSE(shown.offers(CMD_UNDO));
        EXPECT_TRUE(shown.withIcon.count(CMD_REDO));
        EXPECT_EQ(shown.captionOf(CMD_LANGUAGE_BASE + 2), "中文");
        EXPECT_TRUE(shown.checkedIds.count(CMD_LANGUAGE_BASE + lanSel));
        EXPECT_TRUE(shown.checkedIds.count(CMD_ALIGN_CENTER));
        EXPECT_TRUE(shown.checkedIds.count(CMD_TOGGLE_ITALIC));

        caretInMatrix();
        EXPECT_EQ(sheet->ShowContextMenu(QPoint(5, 6)), 0u);
        ASSERT_GE(shown.popups.size(), 2u);
        EXPECT_EQ(shown.popups[0], text("LANG_06.xml", "gCS_3", 1));
        EXPECT_EQ(shown.popups[1], text("LANG_03.xml", "gCS_2", 29));
        EXPECT_EQ(shown.captionOf(CMD_MATRIX_ALIGN_FIRST), text("LANG_06.xml", "gSM_Arrange", 1));
        EXPECT_EQ(shown.captionOf(CMD_MATRIX_LINE_FIRST), text("LANG_03.xml", "gLSL_1", 1));
        sheet->SetCaretElement(line0->next->next);
    }
}

TEST_F(MenusTest, ChoosingNothingDoesNothing) {
    run(QStringLiteral("type c\nundo"));
    caretInMatrix();
    const QByteArray before = bytes();
    const int undo = undoSteps(), redo = redoSteps();
    const float scale = app.eeScale;
    choice = 0;
    EXPECT_EQ(sheet->ShowMainMenu(QPoint()), 0u);
    EXPECT_EQ(sheet->ShowContextMenu(QPoint()), 0u);
    EXPECT_EQ(tracked, 2);
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(undoSteps(), undo);
    EXPECT_EQ(redoSteps(), redo);
    EXPECT_EQ(app.eeScale, scale);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(host.closes, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MenusTest, MainMenuChoiceClosesSelectsALanguageOrRunsTheCommand) {
    choice = CMD_EXIT;
    EXPECT_EQ(sheet->ShowMainMenu(QPoint()), unsigned(CMD_EXIT));
    EXPECT_EQ(host.closes, 1);

    choice = CMD_LANGUAGE_BASE + 2;
    sheet->ShowMainMenu(QPoint());
    EXPECT_EQ(app.lanSel, 2);
    EXPECT_EQ(host.calls, std::vector<std::string>{"ApplyLanguage"});
    choice = CMD_LANGUAGE_BASE + 3;
    sheet->ShowMainMenu(QPoint());
    EXPECT_EQ(app.lanSel, 1);

    app.eeScale = 4.0f;
    choice = CMD_ZOOM_IN;
    sheet->ShowMainMenu(QPoint());
    EXPECT_FLOAT_EQ(app.eeScale, 4.5f);
    choice = CMD_USER_SYMBOLS;
    sheet->ShowMainMenu(QPoint());
    EXPECT_EQ(host.calls.back(), "OpenUserSymbolPanel");
    EXPECT_EQ(host.closes, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MenusTest, TheSheetsStateReachesTheMenus) {
    // Embedded, in LaTeX mode, the library panel shown, a selection that can
    // be searched for, text on the clipboard, colour-by-role drawing.
    host.embedded = true;
    host.viewMode = 1;
    app.options |= OptLibraryPanel;
    eq->settings.ints[0] = 1;
    eq->settings.options[EqLayoutSettings::OptLineAlignment] = 2;
    clipboard.setText(QStringLiteral("x"));
    sheet->typingType = EqTypeCharBold;
    sheet->SelectRange(line0, line0->next->next);
    sheet->ShowMainMenu(QPoint());
    EXPECT_FALSE(shown.offers(CMD_FILE_OPEN));
    EXPECT_FALSE(shown.offers(CMD_FILE_SAVE_AS));
    EXPECT_TRUE(shown.offers(CMD_FIND_SELECTION));
    EXPECT_FALSE(shown.offers(CMD_REPLACE_MARKED));
    EXPECT_TRUE(shown.offers(CMD_PASTE_TEXT));
    EXPECT_TRUE(shown.offers(CMD_CUT));
    EXPECT_FALSE(shown.offers(CMD_COLOUR));
    const std::set<unsigned> marks = {CMD_ALIGN_RIGHT, CMD_TOGGLE_BOLD, CMD_TOGGLE_LAYOUT_OPTION,
                                      CMD_TOGGLE_LATEX_MODE, CMD_TOGGLE_LIBRARY_PANEL};
    EXPECT_EQ(shown.checkedIds, marks);

    // F3 marks the occurrences: replacing them is offered.
    sheet->ExecuteCommand(CMD_FIND_SELECTION);
    sheet->ShowContextMenu(QPoint());
    EXPECT_TRUE(shown.offers(CMD_REPLACE_MARKED));
    EXPECT_TRUE(shown.offers(CMD_PASTE));

    // A selection across two lines is no run to search for; the clipboard's
    // own equation can be pasted, not typed.
    clipboard.clear();
    clipboard.setData(kNativeClipboardFormat, QByteArray("x"));
    sheet->SelectRange(line0, matrix);
    sheet->ShowContextMenu(QPoint());
    EXPECT_FALSE(shown.offers(CMD_FIND_SELECTION));
    EXPECT_EQ(shown.offers(CMD_PASTE), ClipboardContentKind(clipboard) != 0);
    EXPECT_FALSE(shown.offers(CMD_PASTE_TEXT));
}

// ---- the context menu's element submenus

TEST_F(MenusTest, ElementSubmenusFollowTheCaret) {
    // At the end of a plain line: none.
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(shown.popups.size(), 1u);  // the typing style alone
    EXPECT_FALSE(shown.offers(CMD_MOVE_FIRST_KIND));

    // In a 2 x 2 matrix: every row and column move, the matrix submenu.
    caretInMatrix();
    const ElementMenuTargets inMatrix = FindElementMenuTargets(eq.get());
    EXPECT_EQ(inMatrix.matrix, matrix);
    EXPECT_EQ(inMatrix.direction, matrix);
    EXPECT_EQ(outline(BuildElementSubmenus(inMatrix)),
              "gCS_3.1[416 417 418 419 | 420 421 422 423] | "
              "gCS_2.29[161 162 163 164 165 | 167 168 169 170 171 | 172 | 166 174] |");

    // A row of two cells loses no row; one cell can be wrapped into an array
    // but loses nothing.
    EqBuilder b(eq.get());
    EqElement* row = b.add(b.line(), EqTypeMatrixRow, 2);
    b.text(row->children[0], u"p");
    sheet->SetCaretElement(row->children[0]->next);
    EXPECT_EQ(outline(BuildElementSubmenus(FindElementMenuTargets(eq.get()))),
              "gCS_3.1[416 417 418 419 | 420 422] | gCS_2.29[161 162 163 164 165 | 167 168 169 170 171 | 172 | 166 174] |");
    EqElement* root = b.add(b.line(), EqTypeSqrt, 1);
    b.text(root->children[0], u"q");
    sheet->SetCaretElement(root->children[0]->next);
    const ElementMenuTargets inRoot = FindElementMenuTargets(eq.get());
    EXPECT_EQ(inRoot.direction, root);
    EXPECT_EQ(outline(BuildElementSubmenus(inRoot)), "gCS_3.1[416 417 418 419] |");

    // A fraction in square brackets: the bracket kinds and the variant swap
    // (a fraction's argument holds no array).
    EqElement* bracket = b.add(b.line(), 338, 1);
    EqElement* fraction = b.add(bracket->children[0], EqTypeFraction, 2);
    b.text(fraction->children[0], u"1");
    sheet->SetCaretElement(fraction->children[0]->next);
    const ElementMenuTargets inFraction = FindElementMenuTargets(eq.get());
    EXPECT_EQ(inFraction.bracket, bracket);
    EXPECT_EQ(inFraction.swap, fraction);
    EXPECT_EQ(outline(BuildElementSubmenus(inFraction)), "gCS_2.41[769 770* 771 772] | 242 |");

    // A custom space before the caret or after it; a chemical formula.
    EqElement* spaceLine = b.line();
    EqElement* space = b.add(spaceLine, EqTypeSpaceCustom);
    sheet->SetCaretElement(spaceLine);
    EXPECT_EQ(FindElementMenuTargets(eq.get()).customSpace, space);
    sheet->SetCaretElement(space);
    EXPECT_EQ(outline(BuildElementSubmenus(FindElementMenuTargets(eq.get()))), "240 |");
    EqElement* chem = b.add(b.line(), EqTypeChemForm, 5);
    b.text(chem->children[0], u"Na");
    sheet->SetCaretElement(chem->children[0]->next);
    EXPECT_EQ(FindElementMenuTargets(eq.get()).chemForm, chem);
    sheet->SetCaretElement(chem);
    EXPECT_EQ(outline(BuildElementSubmenus(FindElementMenuTargets(eq.get()))), "241 |");

    // The shown menu: the element submenus before the rest.
    caretInMatrix();
    sheet->ShowContextMenu(QPoint());
    ASSERT_GE(shown.items.size(), 3u);
    EXPECT_EQ(shown.items[0].first, unsigned(CMD_MOVE_FIRST_KIND));
    EXPECT_TRUE(shown.offers(CMD_MATRIX_TRANSPOSE));
    EXPECT_TRUE(shown.greyedIds.empty());
}

TEST_F(MenusTest, MatrixEntriesAMatrixCannotTakeAreGreyed) {
    // A 1 x 1 matrix takes no rule lines and does not transpose.
    EqBuilder b(eq.get());
    EqElement* single = b.add(b.line(), EqTypeMatrixColumn, 1);
    b.text(single->children[0], u"s");
    sheet->SetCaretElement(single->children[0]->next);
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(shown.greyedIds, (std::set<unsigned>{CMD_MATRIX_LINES_DIALOG, CMD_MATRIX_TRANSPOSE}));
    // Chosen all the same, they change nothing and leave no step.
    const QByteArray before = bytes();
    for (const unsigned code : {CMD_MATRIX_LINES_DIALOG, CMD_MATRIX_TRANSPOSE}) {
        choice = code;
        sheet->ShowContextMenu(QPoint());
    }
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(MenusTest, AlignmentCodeInsideAMatrixGoesToTheMatrixAndOutsideToTheDispatcher) {
    matrix->ch = 0x0101;  // left aligned, tight rows
    caretInMatrix();
    choice = CMD_MATRIX_ALIGN_FIRST + 1;  // 162
    EXPECT_EQ(sheet->ShowContextMenu(QPoint()), 162u);
    EXPECT_EQ(matrix->ch, 0x0100);
    EXPECT_EQ(undoSteps(), 1);
    run(QStringLiteral("undo"));
    matrix = eq->lines[1]->next;
    EXPECT_EQ(matrix->ch, 0x0101);

    // Outside any matrix the dispatcher is handed the code and ignores it.
    sheet->SetCaretElement(line0->next->next);
    const QByteArray before = bytes();
    const int undo = undoSteps(), redo = redoSteps();
    EXPECT_EQ(sheet->ShowContextMenu(QPoint()), 162u);
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(undoSteps(), undo);
    EXPECT_EQ(redoSteps(), redo);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(sheet->ApplyElementMenuCode(line0->next, 162));
    EXPECT_FALSE(sheet->ApplyElementMenuCode(nullptr, 162));
}

// ---- the element codes

TEST_F(MenusTest, MatrixCodesSetTheirBitsAsOneUndoStepEach) {
    const struct {
        int code;
        uint16_t before, after;
    } cases[] = {
        {161, 0x0000, 0x0001}, {162, 0x0001, 0x0000}, {163, 0x0000, 0x0002}, {164, 0x0000, 0x0003},
        {165, 0x0000, 0x0004}, {167, 0x0300, 0x0000}, {168, 0x0000, 0x0100}, {169, 0x0000, 0x0200},
        {170, 0x0000, 0x0300}, {171, 0x0000, 0x0400}, {172, 0x0000, 0x0010}, {173, 0x0010, 0x0000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        build();
        matrix->ch = c.before;
        caretInMatrix();
        const QByteArray before = bytes();
        EXPECT_TRUE(sheet->ApplyElementMenuCode(matrix, c.code));
        EXPECT_EQ(matrix->ch, c.after);
        EXPECT_EQ(undoSteps(), 1);
        EXPECT_NE(bytes(), before);
        // The same again changes nothing and leaves no further step.
        EXPECT_TRUE(sheet->ApplyElementMenuCode(matrix, c.code));
        EXPECT_EQ(undoSteps(), 1);
        run(QStringLiteral("undo"));
        EXPECT_EQ(bytes(), before);
    }
}

TEST_F(MenusTest, MatrixLinesDialogAndTransposeAreUndoable) {
    caretInMatrix();
    // Cancel: no step.
    EXPECT_TRUE(sheet->ApplyElementMenuCode(matrix, CMD_MATRIX_LINES_DIALOG));
    ASSERT_EQ(dialogs.linesRequests.size(), 1u);
    EXPECT_EQ(dialogs.linesRequests[0].rows, 2);
    EXPECT_EQ(dialogs.linesRequests[0].columns, 2);
    EXPECT_EQ(undoSteps(), 0);
    // OK with a rule between the columns.
    ScriptedEditDialogs::LinesAnswer answer;
    answer.ok = true;
    SetMatrixRuleBit(answer.rules.data(), 0, 0);
    dialogs.linesAnswers.push_back(answer);
    const QByteArray before = bytes();
    EXPECT_TRUE(sheet->ApplyElementMenuCode(matrix, CMD_MATRIX_LINES_DIALOG));
    EXPECT_EQ(MatrixRuleMask(GetMatrixShape(matrix), 0), 1u);
    EXPECT_EQ(undoSteps(), 1);
    run(QStringLiteral("undo"));
    EXPECT_EQ(bytes(), before);

    matrix = eq->lines[1]->next;
    caretInMatrix();
    EXPECT_TRUE(sheet->ApplyElementMenuCode(matrix, CMD_MATRIX_TRANSPOSE));
    EXPECT_EQ(test::chainText(matrix->children[1]), "y");
    EXPECT_EQ(test::chainText(matrix->children[2]), "x");
    EXPECT_EQ(undoSteps(), 1);
    run(QStringLiteral("undo"));
    EXPECT_EQ(bytes(), before);
}

TEST_F(MenusTest, NumberFormatCodesSetTheResultsOptionsAndShowItAgain) {
    const struct {
        int code;
        int format, angle;
        std::string shown;  // the result's chain for 2/3
    } cases[] = {
        {513, 1, 0, "0.7"}, {515, 3, 0, "0.667"}, {521, 9, 0, "0.666666667"}, {524, 12, 0, "0.666667"},
        {525, 13, 0, "1"},  {529, 0, 3, ""},      {530, 0, 4, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        build();
        EqElement* result = typeResult(QStringLiteral("2/3"));
        ASSERT_NE(result, nullptr);
        CalcResult r;
        ASSERT_TRUE(GetCalcResult(result, &r));
        const std::string plain = test::chainText(result->children[0]);
        const QByteArray before = bytes();
        const int steps = undoSteps();
        EXPECT_TRUE(sheet->ApplyElementMenuCode(result, c.code));
        uint8_t format = 0, angle = 0;
        GetCalcResultOptions(result, &format, &angle);
        EXPECT_EQ(format, c.format);
        EXPECT_EQ(angle, c.angle);
        CalcResult after;
        ASSERT_TRUE(GetCalcResult(result, &after));
        EXPECT_EQ(after.value, r.value);
        const std::string chain = test::chainText(result->children[0]);
        if (!c.shown.empty()) {
            EXPECT_EQ(chain, c.shown);
        } else {
            EXPECT_NE(chain, plain);  // a percent or per-mille sign
        }
        EXPECT_EQ(undoSteps(), steps + 1);
        EXPECT_TRUE(sheet->ApplyElementMenuCode(result, c.code));
        EXPECT_EQ(undoSteps(), steps + 1);
        run(QStringLiteral("undo"));
        EXPECT_EQ(bytes(), before);
    }
    // Every code, one after the other: the format codes leave the unit and
    // the unit codes the format.
    build();
    EqElement* result = typeResult(QStringLiteral("2/3"));
    ASSERT_NE(result, nullptr);
    int format = 0, angle = 0;
    for (int code = CMD_NUMBER_FORMAT_LAST; code >= CMD_NUMBER_FORMAT_FIRST; --code) {
        SCOPED_TRACE(code);
        if (code >= CMD_NUMBER_ANGLE_FIRST) angle = code - CMD_NUMBER_ANGLE_FIRST;
        else format = code - CMD_NUMBER_FORMAT_FIRST;
        EXPECT_TRUE(sheet->ApplyElementMenuCode(result, code));
        uint8_t f = 0, a = 0;
        GetCalcResultOptions(result, &f, &a);
        EXPECT_EQ(f, format);
        EXPECT_EQ(a, angle);
    }
    // Only a result takes them.
    EXPECT_FALSE(sheet->ApplyElementMenuCode(line0->next, 515));
}

TEST_F(MenusTest, ResultsNumberFormatIsChosenFromTheContextMenu) {
    EqElement* result = typeResult(QStringLiteral("2/3"));
    ASSERT_NE(result, nullptr);
    sheet->SetCaretElement(result->children[0]->next);  // inside the result
    choice = 514;
    sheet->ShowContextMenu(QPoint());
    EXPECT_TRUE(shown.checkedIds.count(512));
    EXPECT_TRUE(shown.checkedIds.count(526));
    EXPECT_EQ(test::chainText(result->children[0]), "0.67");
    sheet->ShowContextMenu(QPoint());
    EXPECT_TRUE(shown.checkedIds.count(514));
    EXPECT_FALSE(shown.checkedIds.count(512));
    EXPECT_EQ(shown.captionOf(514), "X.XX");
}

TEST_F(MenusTest, BracketKindCodesChangeTheBracketsType) {
    EqBuilder b(eq.get());
    EqElement* bracket = b.add(b.line(), 337, 1);
    b.text(bracket->children[0], u"t");
    sheet->SetCaretElement(bracket->children[0]->next);
    for (const int code : {770, 771, 772, 769}) {
        SCOPED_TRACE(code);
        choice = unsigned(code);
        sheet->ShowContextMenu(QPoint());
        EXPECT_EQ(eq->lines.back()->next->type, code - 432);
    }
    EXPECT_EQ(undoSteps(), 4);
    choice = 769;
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(undoSteps(), 4);  // already round
    run(QStringLiteral("undo"));
    EXPECT_EQ(eq->lines.back()->next->type, 340);
    // A bracket of another kind, or no bracket, does not take them.
    EXPECT_FALSE(sheet->ApplyElementMenuCode(matrix, 770));
    EqElement* wide = b.add(b.line(), 349, 1);
    EXPECT_FALSE(sheet->ApplyElementMenuCode(wide, 770));
    EXPECT_EQ(wide->type, 349);
}

TEST_F(MenusTest, CustomSpaceWidthIsAskedAndApplied) {
    EqBuilder b(eq.get());
    EqElement* spaceLine = b.line();
    EqElement* space = b.add(spaceLine, EqTypeSpaceCustom);
    SetSpaceAmount(space, 0.5f);
    b.text(spaceLine, u"k");
    sheet->SetCaretElement(spaceLine);  // before the space
    // Cancel: only the caret moved behind the space.
    choice = CMD_CUSTOM_SPACE_AMOUNT;
    sheet->ShowContextMenu(QPoint());
    ASSERT_EQ(dialogs.stringRequests.size(), 1u);
    EXPECT_EQ(dialogs.stringRequests[0].text, "0.5");
    EXPECT_EQ(dialogs.stringRequests[0].title, LangText(QStringLiteral("LANG_06.xml"), QStringLiteral("gHXS"), 1));
    EXPECT_EQ(eq->caret, space);
    EXPECT_EQ(undoSteps(), 0);
    // A width that does not read is asked for again; then 2 mu.
    dialogs.stringAnswers.push_back({true, QStringLiteral("wide")});
    dialogs.stringAnswers.push_back({true, QStringLiteral("2 mu")});
    EXPECT_TRUE(sheet->ApplyElementMenuCode(space, CMD_CUSTOM_SPACE_AMOUNT));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_FLOAT_EQ(GetSpaceAmount(space), 2.0f);
    EXPECT_EQ(space->ch & 0x0F, 1);
    EXPECT_EQ(undoSteps(), 1);
    // The same width again: no step.
    dialogs.stringAnswers.push_back({true, QStringLiteral("2mu")});
    EXPECT_TRUE(sheet->ApplyElementMenuCode(space, CMD_CUSTOM_SPACE_AMOUNT));
    EXPECT_EQ(undoSteps(), 1);
    run(QStringLiteral("undo"));
    space = eq->lines.back()->next;
    EXPECT_FLOAT_EQ(GetSpaceAmount(space), 0.5f);
    EXPECT_FALSE(sheet->ApplyElementMenuCode(line0->next, CMD_CUSTOM_SPACE_AMOUNT));
}

TEST_F(MenusTest, ChemicalMarksAreOneUndoStepAndCancelLeavesNone) {
    EqBuilder b(eq.get());
    EqElement* chem = b.add(b.line(), EqTypeChemForm, 5);
    b.text(chem->children[0], u"Na");
    sheet->SetCaretElement(chem->children[0]->next);
    pageAnswer = [](CDlgGU& dlg) {
        dlg.GetOrAddItem(0, ChemPageMarkItem(2, 0))->choice = ChemMarkDot;
        return int(IDCANCEL);
    };
    choice = CMD_CHEM_MARKS;
    sheet->ShowContextMenu(QPoint());
    EXPECT_TRUE(chem->payload.empty() || ChemMarkChoicesOf(chem->payload) == ChemMarkChoices{});
    EXPECT_EQ(undoSteps(), 0);

    pageAnswer = [](CDlgGU& dlg) {
        dlg.GetOrAddItem(0, ChemPageMarkItem(2, 0))->choice = ChemMarkDot;
        return int(IDOK);
    };
    const QByteArray before = bytes();
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(ChemMarkChoicesOf(chem->payload).marks[2][0], ChemMarkDot);
    EXPECT_EQ(undoSteps(), 1);
    run(QStringLiteral("undo"));
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(sheet->ApplyElementMenuCode(matrix, CMD_CHEM_MARKS));
}

TEST_F(MenusTest, EveryVariantSwapsBothWaysAndIsLaidOut) {
    EqBuilder b(eq.get());
    for (const auto& [first, second] : kSwaps) {
        for (const auto& [from, to] : {std::pair{first, second}, std::pair{second, first}}) {
            SCOPED_TRACE(testing::Message() << from << " -> " << to);
            sheet->SetCaretElement(b.line());
            InsertionKey key;
            key.type = from;
            sheet->InsertElementKey(key, true);
            EqElement* e = eq->lines.back()->next;
            ASSERT_NE(e, nullptr);
            ASSERT_EQ(e->type, from);
            sheet->ClearUndoStack();  // the history is only so deep
            const QByteArray before = bytes();
            EXPECT_TRUE(sheet->ApplyElementMenuCode(e, CMD_SWAP_VARIANT));
            EXPECT_EQ(e->type, to);
            EXPECT_EQ(undoSteps(), 1);
            EXPECT_TRUE(sheet->SwapElementVariant(e));
            EXPECT_EQ(e->type, from);
            EXPECT_EQ(bytes(), before);
        }
    }
    EXPECT_FALSE(sheet->SwapElementVariant(line0->next));
    EXPECT_FALSE(sheet->SwapElementVariant(nullptr));
    EXPECT_FALSE(sheet->ApplyElementMenuCode(line0->next, CMD_SWAP_VARIANT));
}

TEST_F(MenusTest, RowAndColumnCodesGoThroughTheSheetsMatrixLines) {
    caretInMatrix();
    choice = CMD_MOVE_FIRST_KIND + 3;  // a row below
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(matrix->children.size(), 6u);
    EXPECT_EQ(undoSteps(), 1);
    choice = CMD_MOVE_SECOND_KIND + 0;  // the column goes
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(matrix->children.size(), 3u);
    EXPECT_EQ(undoSteps(), 2);
}

// Undo and Redo chosen from the context menu while the caret stands in an
// element with submenus: the element handler declines them before any
// snapshot, so the step is undone or redone instead of a blank step being
// pushed and the redo steps lost.
TEST_F(MenusTest, UndoAndRedoFromTheContextMenuInsideAnElement) {
    caretInMatrix();
    run(QStringLiteral("type 1"));
    sheet->SetCaretElement(eq->caret);  // the next character is a step of its own
    run(QStringLiteral("type 2"));
    ASSERT_EQ(undoSteps(), 2);
    const QByteArray typed = bytes();
    run(QStringLiteral("undo"));
    const QByteArray once = bytes();
    caretInMatrix();
    ASSERT_EQ(redoSteps(), 1);
    ASSERT_EQ(undoSteps(), 1);

    EXPECT_FALSE(sheet->ApplyElementMenuCode(eq->lines[1]->next, CMD_UNDO));
    EXPECT_FALSE(sheet->ApplyElementMenuCode(eq->lines[1]->next, CMD_REDO));
    EXPECT_EQ(undoSteps(), 1);
    EXPECT_EQ(redoSteps(), 1);

    matrix = eq->lines[1]->next;
    caretInMatrix();
    choice = CMD_UNDO;
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_EQ(redoSteps(), 2);
    matrix = eq->lines[1]->next;
    caretInMatrix();
    choice = CMD_REDO;
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(bytes(), once);
    sheet->ShowContextMenu(QPoint());
    EXPECT_EQ(bytes(), typed);
    EXPECT_EQ(redoSteps(), 0);
    EXPECT_EQ(undoSteps(), 2);
}

}  // namespace
}  // namespace toliva
