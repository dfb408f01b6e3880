// The main view's menus, its interface settings dialog, the symbol groups'
// colours and the help documents, with the program running in this process.
#include "ShellTestSupport.h"

#include "../sheet/SheetTestSupport.h"
#include "model/EqModel.h"
#include "panels/CKwTBPanel.h"
#include "platform/LangTable.h"
#include "platform/gdiplus/GpTypes.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"
#include "shell/ShellMoreSymbols.h"
#include "panels/CDialogMoreSym.h"
#include "shell/ShellTexts.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/CommandCodes.h"
#include "tex/TeXCode.h"
#include "uikit/CDlgGU.h"
#include "uikit/CKwEMF.h"
#include "uikit/CKwMenu.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>

#include <algorithm>
#include <map>
#include <set>

namespace toliva::test {
namespace {

const QString kTbpColour = QStringLiteral("Software\\Toliva\\TBP\\Color");

// A tracked menu as ids in order, "-" for a separator.
struct ShownMenu {
    std::vector<std::string> order;
    std::map<unsigned, QString> captions;  // caption and shortcut as the entry's text
    std::set<unsigned> checked, greyed, withIcon;

    std::string sequence() const {
        std::string out;
        for (const std::string& s : order) out += (out.empty() ? "" : " ") + s;
        return out;
    }
};

ShownMenu readMenu(const CKwMenu& menu) {
    ShownMenu shown;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            shown.order.push_back("-");
            continue;
        }
        const unsigned id = CKwMenu::ActionId(action);
        shown.order.push_back(std::to_string(id));
        if (const CKwMenu::ItemRecord* r = menu.FindRecord(id)) {
            shown.captions[id] = r->caption + r->shortcut;
            if (r->icon) shown.withIcon.insert(id);
        }
        if (action->isChecked()) shown.checked.insert(id);
        if (!action->isEnabled()) shown.greyed.insert(id);
    }
    return shown;
}

QString langText(const QString& code, const char* file, const char* group, int item) {
    LangTable table(code, QString::fromLatin1(file));
    return LoadLangString(table, QString::fromLatin1(group), item);
}

class ViewMenusTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_TRUE(startProgram());
        view().trackMenu = [this](CKwMenu& menu, QPoint) {
            menus.push_back(readMenu(menu));
            return choice;
        };
        view().runSettingsDialog = [this](CDlgGU& dlg) {
            ++settingsRuns;
            return settingsAnswer ? settingsAnswer(dlg) : int(IDCANCEL);
        };
        sheet().runSettingsDialog = [this](CDlgGU& dlg) {
            hotkeyPages.push_back({dlg.pageFolder, dlg.propertyList.GetItemText(0, 4, false)});
            return hotkeyAnswer ? hotkeyAnswer(dlg) : int(IDCANCEL);
        };
    }
    QString code() const { return context.languageCode(); }

    // "a+b+a" with both a marked (the pattern of the last search).
    void markTwoLetters() {
        ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("a+b+a")));
        EqElement* head = sheet().equation()->lines.front();
        ASSERT_EQ(head->next->ch, u'a');
        sheet().SelectRange(head, head->next);
        ASSERT_TRUE(sheet().selection().exists());
        sheet().MarkOccurrences();
        sheet().ClearSelection(false);
        ASSERT_TRUE(EquationHasMarks(sheet().equation()));
    }

    std::vector<ShownMenu> menus;
    unsigned choice = 0;
    int settingsRuns = 0;
    std::function<int(CDlgGU&)> settingsAnswer;
    struct HotkeyPage {
        QString folder, caption;
    };
    std::vector<HotkeyPage> hotkeyPages;
    std::function<int(CDlgGU&)> hotkeyAnswer;
};

// ---- the tool bar's hot-key menu

TEST_F(ViewMenusTest, HotkeyMenuOnlyForTheCommandsThatTakeOne) {
    for (const int command : {5, 6, 22, 23, 24, 25, 26, 255, 256}) {
        SCOPED_TRACE(command);
        menus.clear();
        ASSERT_TRUE(view().ShowHotkeyMenu(command, QPoint(10, 10)));
        ASSERT_EQ(menus.size(), 1u);
        EXPECT_EQ(menus[0].sequence(), "3");
        const SymbolKey key{0xFFFFF, command, 0};
        EXPECT_EQ(menus[0].captions[3], sheet().hotkeys().GetKeysText(key, false));
        EXPECT_FALSE(menus[0].captions[3].isEmpty());
        EXPECT_TRUE(menus[0].withIcon.count(3));
    }
    for (const int command : {27, 0, 1, 4, 21, 227, 254, 257, -1}) {
        SCOPED_TRACE(command);
        menus.clear();
        EXPECT_FALSE(view().ShowHotkeyMenu(command, QPoint(10, 10)));
        EXPECT_TRUE(menus.empty());
    }
    EXPECT_TRUE(hotkeyPages.empty());
}

TEST_F(ViewMenusTest, ChoosingTheHotkeyEntryBindsTheButtonsCommand) {
    const SymbolKey key{0xFFFFF, CMD_ALIGN_CENTER, 0};
    sheet().hotkeys().RemoveBinding(key);
    const int position = CKwEESheet::HotkeyDialogPosition('Q');
    hotkeyAnswer = [position](CDlgGU& dlg) {
        dlg.SetItemBool(0, 0, true);  // Ctrl
        dlg.SetItemBool(0, 2, true);  // Alt
        dlg.GetOrAddItem(0, 3)->choice = position;
        return int(IDOK);
    };
    choice = 0;  // cancelled: no page
    view().ShowHotkeyMenu(CMD_ALIGN_CENTER, {});
    EXPECT_TRUE(hotkeyPages.empty());
    choice = 3;
    view().ShowHotkeyMenu(CMD_ALIGN_CENTER, {});
    ASSERT_EQ(hotkeyPages.size(), 1u);
    EXPECT_EQ(hotkeyPages[0].folder, QStringLiteral("hot_key"));
    const HotkeyTable::Binding bound = sheet().hotkeys().GetBinding(key);
    EXPECT_EQ(bound.vk, 'Q');
    EXPECT_TRUE(bound.ctrl && bound.alt && !bound.shift);
}

// ---- the symbol context menu

TEST_F(ViewMenusTest, SymbolMenuEntriesAndSeparatorsFollowTheirConditions) {
    CTeXCode& tex = *theApp->m_texCode;
    const SymbolKey withHint{1, 209, 0};      // \hphantom
    const SymbolKey more{10000, 10000, 0};    // the more-symbols cell
    const SymbolKey accent{2, 0x2192, 0};
    ASSERT_FALSE(tex.TeXHintText(withHint.kind, withHint.code, withHint.ch).isEmpty());
    ASSERT_TRUE(tex.TeXHintText(more.kind, more.code, more.ch).isEmpty());
    ASSERT_TRUE(tex.TeXHintText(accent.kind, accent.code, accent.ch).isEmpty());
    struct Case {
        bool marks;
        SymbolKey key;
        bool replace;
        bool ownColours;
        const char* expected;
    };
    const Case cases[] = {
        {true, withHint, true, true, "8 - 3 - 2 - 4 - 6 5 - 7"},
        {false, withHint, false, false, "3 - 2 - 6 7"},
        {true, more, true, true, "8 - 4 - 6 5 - 7"},
        {true, accent, false, false, "3 - 6 7"},  // no replacing with an accent
        {false, more, false, true, "6 5 - 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        if (c.marks) markTwoLetters();
        else ClearEquationMarks(sheet().equation(), true);
        settings().panelOptions[1] = c.ownColours;
        menus.clear();
        view().OnSymbolContextMenu(c.key, QPoint(5, 5), c.replace);
        ASSERT_EQ(menus.size(), 1u);
        const ShownMenu& m = menus[0];
        EXPECT_EQ(m.sequence(), c.expected);
        EXPECT_EQ(m.checked.count(6) == 1, c.ownColours);
        if (m.captions.count(2)) {
            EXPECT_TRUE(m.greyed.count(2));
            EXPECT_EQ(m.captions.at(2), tex.TeXHintText(c.key.kind, c.key.code, c.key.ch));
        }
        if (m.captions.count(3)) {
            EXPECT_EQ(m.captions.at(3), sheet().hotkeys().GetKeysText(c.key, false));
        }
        for (const unsigned id : {8u, 3u, 5u}) {
            if (m.captions.count(id)) {
                EXPECT_TRUE(m.withIcon.count(id)) << id;
            }
        }
    }
}

TEST_F(ViewMenusTest, SymbolMenuTextsInBothLanguages) {
    for (const int lanSel : {1, 2}) {
        SCOPED_TRACE(lanSel);
        context.lanSel = lanSel;
        markTwoLetters();
        settings().panelOptions[1] = true;
        menus.clear();
        view().OnSymbolContextMenu({1, 209, 0}, {}, true);
        ASSERT_EQ(menus.size(), 1u);
        const auto& captions = menus[0].captions;
        const std::pair<unsigned, QString> expected[] = {
            {8, langText(code(), "LANG_11.xml", "gPOP_1", 20)}, {4, langText(code(), "LANG_12.xml", "gPOP_1", 1)},
            {5, langText(code(), "LANG_12.xml", "gPOP_1", 2)},  {6, langText(code(), "LANG_12.xml", "gPOP_1", 3)},
            {7, langText(code(), "LANG_12.xml", "gPOP_1", 4)},
        };
        std::set<QString> distinct;
        for (const auto& [id, text] : expected) {
            EXPECT_FALSE(text.isEmpty()) << id;
            EXPECT_EQ(captions.at(id), text) << id;
            distinct.insert(text);
        }
        EXPECT_EQ(distinct.size(), std::size(expected));
        ClearEquationMarks(sheet().equation(), true);
    }
    EXPECT_NE(langText(QStringLiteral("en"), "LANG_12.xml", "gPOP_1", 1),
              langText(QStringLiteral("cn"), "LANG_12.xml", "gPOP_1", 1));
}

TEST_F(ViewMenusTest, SymbolMenuChoicesDoWhatTheySay) {
    const SymbolKey alpha{6, 0x3B1, 0};
    markTwoLetters();
    const std::string before = equationText(*sheet().equation());

    // The strip's own actions are not there yet: nothing changes.
    for (const unsigned id : {4u, 5u, 0u}) {
        SCOPED_TRACE(id);
        choice = id;
        settings().panelOptions[1] = true;
        view().OnSymbolContextMenu(alpha, {}, true);
        EXPECT_EQ(equationText(*sheet().equation()), before);
        EXPECT_TRUE(settings().panelOptions[1]);
        EXPECT_EQ(settingsRuns, 0);
        EXPECT_TRUE(hotkeyPages.empty());
    }

    choice = 6;  // the groups' own colours, off and on again
    view().OnSymbolContextMenu(alpha, {}, true);
    EXPECT_FALSE(settings().panelOptions[1]);
    if (CKwTBPanel_Scr* strip = view().symbolStrip()) {
        EXPECT_EQ(strip->group(0)->fillColour, gp::ArgbFromColorref(settings().uiBack));
    }
    view().OnSymbolContextMenu(alpha, {}, true);
    EXPECT_TRUE(settings().panelOptions[1]);

    choice = 7;
    view().OnSymbolContextMenu(alpha, {}, true);
    EXPECT_EQ(settingsRuns, 1);

    choice = 3;
    const SymbolKey hinted{1, 209, 0};
    view().OnSymbolContextMenu(hinted, {}, true);
    ASSERT_EQ(hotkeyPages.size(), 1u);
    EXPECT_EQ(hotkeyPages[0].folder, QStringLiteral("hot_key"));
    EXPECT_EQ(hotkeyPages[0].caption, theApp->m_texCode->TeXHintText(1, 209, 0));

    // The symbol takes the place of every marked letter, in one undo step.
    choice = 8;
    const int steps = sheet().undoHistory().undoCount();
    view().OnSymbolContextMenu(alpha, {}, true);
    const std::string after = equationText(*sheet().equation());
    EXPECT_EQ(after.find('a'), std::string::npos) << after;
    EXPECT_NE(after.find("[1042]b[1042]"), std::string::npos) << after;
    EXPECT_EQ(sheet().undoHistory().undoCount(), steps + 1);
    EXPECT_FALSE(sheet().copyFreshEquation);
    sheet().Undo();
    EXPECT_EQ(equationText(*sheet().equation()), before);
}

// ---- the strip's right click

TEST_F(ViewMenusTest, StripRightClickOpensTheSymbolMenuOfTheCell) {
    frame().resize(1200, 800);
    QApplication::processEvents();
    CKwTBPanel_Scr* strip = view().symbolStrip();
    ASSERT_NE(strip, nullptr);
    const auto rightClick = [&](int group, int cell) {
        const TBCell& c = strip->group(group)->cells()[size_t(cell)];
        const QPoint at = strip->mapTo(&view(), QPoint(int(c.x + c.width / 2), int(c.y + c.height / 2)));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(view().mapToGlobal(at)), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&view(), &press);
    };
    settings().panelOptions[1] = true;
    view().ApplyPanelColours(false);

    // Alpha of the fixed Greek group: no replacing, the hot key of its key.
    rightClick(0, 0);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].order.front(), "3");
    EXPECT_EQ(std::count(menus[0].order.begin(), menus[0].order.end(), "4"), 0);
    EXPECT_EQ(strip->pressedKey(), (SymbolKey{4, 0x3B1, 0}));

    // The operators (an orderable group): the cell can take another symbol
    // through the more-symbols picker in replace mode; cancelled, the cell
    // keeps its symbol.
    strip->SetCurrentGroup(2);
    choice = 4;
    messages.shown.clear();
    const std::vector<int> order = strip->group(2)->order();
    std::vector<bool> replaceModes;
    view().moreSymbolsPicker()->runDialog = [&](CDialogMoreSym& d) {
        replaceModes.push_back(d.m_bReplaceMode);
        return int(IDCANCEL);
    };
    rightClick(2, 5);
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(std::count(menus[1].order.begin(), menus[1].order.end(), "4"), 1) << menus[1].sequence();
    EXPECT_EQ(replaceModes, std::vector<bool>{true});
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(strip->group(2)->order(), order);
    // The group's own colour, kept as "Clr3".
    choice = 5;
    strip->chooseColour = [](uint32_t& colour) {
        colour = 0x00FF00;
        return true;
    };
    rightClick(2, 5);
    EXPECT_EQ(strip->group(2)->fillColour, 0xFF00FF00u);
    RegKey key;
    int stored = 0;
    ASSERT_TRUE(OpenRegKey(kTbpColour, key));
    EXPECT_TRUE(ReadRegDword(key, QStringLiteral("Clr3"), stored, 0));
    EXPECT_EQ(stored, 0x00FF00);
    // The colours applied again keep it.
    view().ApplyPanelColours(true);
    EXPECT_EQ(strip->group(2)->fillColour, 0xFF00FF00u);

    // The more-symbols cell has no hot key, and an empty press no menu.
    choice = 0;
    rightClick(2, strip->group(2)->cellCount() - 1);
    ASSERT_EQ(menus.size(), 4u);
    EXPECT_NE(menus[3].order.front(), "3");
}

// ---- the symbol groups' colours

TEST_F(ViewMenusTest, GroupColoursComeFromTheirOwnValuesOrTheBackground) {
    RegKey key;
    ASSERT_TRUE(OpenRegKey(kTbpColour, key));
    ASSERT_TRUE(WriteRegDword(key, QStringLiteral("Clr1"), 0x0000FF));     // red
    ASSERT_TRUE(WriteRegDword(key, QStringLiteral("Clr11"), 0x00FF0000));  // blue
    ASSERT_TRUE(WriteRegDword(key, QStringLiteral("Clr12"), 0x0000FF00));
    AppSettings s;
    s.uiBack = 0x00D0E0F0;
    constexpr uint32_t kUntouched = 0x12345678;

    s.panelOptions[1] = true;
    std::array<uint32_t, 12> colours;
    colours.fill(kUntouched);
    CTolivaView::FillStripGroupColours(s, colours);
    EXPECT_EQ(colours[0], 0xFFFF0000u);
    EXPECT_EQ(colours[1], 0xFFFFBBDBu);  // "Clr2" missing: its default 0xDBBBFF
    EXPECT_EQ(colours[10], 0xFF0000FFu);
    EXPECT_EQ(colours[11], kUntouched);  // the strip has eleven groups

    s.panelOptions[1] = false;
    colours.fill(kUntouched);
    CTolivaView::FillStripGroupColours(s, colours);
    for (size_t i = 0; i < 11; ++i) EXPECT_EQ(colours[i], 0xFFF0E0D0u) << i;
    EXPECT_EQ(colours[11], kUntouched);
}

// ---- the interface settings dialog

struct PageItem {
    int group, item;
    enum Kind { Colour, Number, Flag, Choice } kind;
    int reset;
};
// The dialog's items and their reset values. The tab background resets to
// 0xF0E6E6, which is not its default at load (0xF0E6EA).
const PageItem kPageItems[] = {
    {0, 0, PageItem::Colour, 0xF0F0F0}, {0, 1, PageItem::Flag, 0},     {0, 2, PageItem::Flag, 1},
    {0, 3, PageItem::Choice, 0},        {1, 0, PageItem::Colour, 0xF0E6E6}, {1, 1, PageItem::Colour, 0xAAE6AA},
    {1, 2, PageItem::Number, 50},       {1, 3, PageItem::Number, 25},   {1, 4, PageItem::Number, 75},
    {1, 5, PageItem::Flag, 1},          {1, 6, PageItem::Flag, 1},      {2, 0, PageItem::Number, 2},
    {2, 1, PageItem::Number, 0},
};

int pageValue(const CKwPGL& list, const PageItem& p) {
    switch (p.kind) {
    case PageItem::Flag: return list.GetItemBool(p.group, p.item) ? 1 : 0;
    case PageItem::Choice: return list.GetItemChoice(p.group, p.item);
    default: return list.GetItemInt(p.group, p.item);
    }
}

// The fields in the dialog's item order.
std::vector<int> fieldValues(const AppSettings& s) {
    return {int(s.uiBack),     s.panelOptions[2], s.panelOptions[3], s.uiSizeStep, int(s.scrTabBack),
            int(s.markerBar),  s.tabGrad,         s.buttonAero,      s.buttonGrad, s.panelOptions[1],
            s.panelOptions[0], s.tilesAero,       s.tilesGrad};
}

std::vector<int> pageValues(const CKwPGL& list) {
    std::vector<int> values;
    for (const PageItem& p : kPageItems) values.push_back(pageValue(list, p));
    return values;
}

std::vector<int> resetValues() {
    std::vector<int> values;
    for (const PageItem& p : kPageItems) values.push_back(p.reset);
    return values;
}

class SettingsDialogTest : public ViewMenusTest {
protected:
    void SetUp() override {
        ViewMenusTest::SetUp();
        AppSettings& s = settings();
        s.uiBack = 0x123456;
        s.panelOptions = {false, false, true, false};
        s.uiSizeStep = 3;
        s.scrTabBack = 0x010203;
        s.markerBar = 0x040506;
        s.tabGrad = 10;
        s.buttonAero = 20;
        s.buttonGrad = 30;
        s.tilesAero = 1;
        s.tilesGrad = 5;
        start = fieldValues(s);
    }
    size_t sizeMessages() const {
        const QString text = langText(code(), "LANG_12.xml", "gMSG_1", 1);
        return size_t(std::count_if(messages.shown.begin(), messages.shown.end(), [&](const auto& m) {
            return m.text == text && (m.flags & MB_ICONINFORMATION);
        }));
    }
    std::vector<int> start;
};

TEST_F(SettingsDialogTest, TheDialogShowsTheFieldsOnTheAppSetPages) {
    settingsAnswer = [this](CDlgGU& dlg) {
        EXPECT_EQ(view().settingsDialog(), &dlg);
        EXPECT_EQ(dlg.pageFolder, QStringLiteral("AppSet"));
        EXPECT_EQ(dlg.title, langText(code(), "DlgGU.xml", "gTT_1", 1));
        EXPECT_FALSE(dlg.title.isEmpty());
        EXPECT_FLOAT_EQ(dlg.pageListFraction, 0.26f);
        EXPECT_FLOAT_EQ(dlg.widthFactor, 0.72f);
        EXPECT_FLOAT_EQ(dlg.gridVerticalFraction, -0.1f);
        EXPECT_FLOAT_EQ(dlg.heightFactor, 1.0f);
        EXPECT_TRUE(dlg.showButton3 && dlg.showButton1389);
        EXPECT_EQ(dlg.Grid()->pageFiles.size(), 3);
        EXPECT_EQ(pageValues(dlg.propertyList), start);
        return int(IDCANCEL);
    };
    EXPECT_TRUE(view().ShowAppSettingsDialog());
    EXPECT_EQ(settingsRuns, 1);
    EXPECT_EQ(view().settingsDialog(), nullptr);
    EXPECT_EQ(fieldValues(settings()), start);
}

TEST_F(SettingsDialogTest, OkAppliesAndCancelKeeps) {
    const auto edit = [](CDlgGU& dlg) {
        dlg.SetItemInt(0, 0, 0xABCDEF);
        dlg.SetItemBool(0, 1, false);
        dlg.SetItemBool(1, 6, true);
        dlg.SetItemInt(1, 3, 60);
        dlg.SetItemInt(2, 1, 7);
    };
    settingsAnswer = [&](CDlgGU& dlg) {
        edit(dlg);
        return int(IDCANCEL);
    };
    view().ShowAppSettingsDialog();
    EXPECT_EQ(fieldValues(settings()), start);

    settingsAnswer = [&](CDlgGU& dlg) {
        edit(dlg);
        return int(IDOK);
    };
    view().ShowAppSettingsDialog();
    std::vector<int> expected = start;
    expected[0] = 0xABCDEF;
    expected[1] = 0;
    expected[10] = 1;
    expected[7] = 60;
    expected[12] = 7;
    EXPECT_EQ(fieldValues(settings()), expected);
    EXPECT_EQ(sizeMessages(), 0u);  // the interface size did not change
}

// The strip draws with what the dialog applied: its background, the flat
// tabs, their darkening and the buttons' shading.
TEST_F(SettingsDialogTest, TheStripTakesTheAppliedStyle) {
    settingsAnswer = [](CDlgGU& dlg) {
        dlg.SetItemInt(0, 0, 0x102030);
        dlg.SetItemInt(1, 2, 10);
        dlg.SetItemInt(1, 3, 0);
        dlg.SetItemBool(1, 6, false);
        return int(IDOK);
    };
    view().ShowAppSettingsDialog();
    const PanelContext* panel = view().panelContext();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->uiBack, 0x102030u);
    EXPECT_EQ(panel->tabGrad, 10);
    EXPECT_EQ(panel->buttonAero, 0);
    EXPECT_FALSE(panel->archedTabs);
    EXPECT_EQ(view().symbolStrip()->background, 0x102030u);
}

TEST_F(SettingsDialogTest, DefaultsButtonPutsTheTableValuesOnThePagesOnly) {
    settingsAnswer = [this](CDlgGU& dlg) {
        view().OnSettingsPanelButton(&dlg, 1);
        EXPECT_EQ(pageValues(dlg.propertyList), resetValues());
        EXPECT_EQ(fieldValues(settings()), start);
        return int(IDCANCEL);
    };
    view().ShowAppSettingsDialog();
    EXPECT_EQ(fieldValues(settings()), start);

    settingsAnswer = [this](CDlgGU& dlg) {
        view().OnSettingsPanelButton(&dlg, 1);
        return int(IDOK);
    };
    view().ShowAppSettingsDialog();
    EXPECT_EQ(fieldValues(settings()), resetValues());
    EXPECT_EQ(settings().scrTabBack, 0xF0E6E6u);
    EXPECT_EQ(sizeMessages(), 1u);  // 3 -> 0
}

TEST_F(SettingsDialogTest, ApplyButtonAppliesAtOnceAndTellsOfTheSizeOnce) {
    const float scale = context.uiScale;
    settingsAnswer = [this](CDlgGU& dlg) {
        dlg.GetOrAddItem(0, 3)->choice = 5;
        dlg.SetItemInt(1, 2, 99);
        view().OnSettingsPanelButton(&dlg, 0);
        EXPECT_EQ(settings().uiSizeStep, 5);
        EXPECT_EQ(settings().tabGrad, 99);
        EXPECT_EQ(sizeMessages(), 1u);
        return int(IDOK);
    };
    view().ShowAppSettingsDialog();
    EXPECT_EQ(settings().uiSizeStep, 5);
    EXPECT_EQ(sizeMessages(), 1u);
    // Only a step: the scale of this run stays.
    EXPECT_EQ(context.uiScale, scale);
}

TEST_F(SettingsDialogTest, ButtonsOfAnotherDialogAreIgnored) {
    CDlgGU other;
    for (const PageItem& p : kPageItems) other.SetItemInt(p.group, p.item, 0);
    other.GetOrAddItem(0, 3)->choice = 4;
    view().OnSettingsPanelButton(&other, 0);
    view().OnSettingsPanelButton(&other, 1);
    view().OnSettingsPanelButton(nullptr, 0);
    EXPECT_EQ(fieldValues(settings()), start);
    EXPECT_EQ(pageValue(other.propertyList, kPageItems[2]), 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsDialogTest, EveryPageOfTheSetShowsItsGroupsItemsInBothLanguages) {
    // Field types of the page pictures: colour box, text, check box, option.
    const std::map<PageItem::Kind, int> types = {
        {PageItem::Colour, 4}, {PageItem::Number, 1}, {PageItem::Flag, 21}, {PageItem::Choice, 19}};
    for (const char* language : {"en", "cn"}) {
        SCOPED_TRACE(language);
        const QStringList pages =
            CDlgGU::CollectPageFiles(programFolder() + QStringLiteral("GenDef/AppSet/") + QLatin1String(language));
        ASSERT_EQ(pages.size(), 3);
        for (int group = 0; group < 3; ++group) {
            SCOPED_TRACE(group);
            CKwEMF page;
            ASSERT_TRUE(page.LoadFile(pages[group]));
            EXPECT_TRUE(page.IsDrawable());
            std::map<int, std::vector<int>> fieldTypes;  // item index -> types of its fields
            for (const PictureField& f : page.fields) {
                EXPECT_EQ(f.kind, 3);
                fieldTypes[f.item - 1].push_back(f.type);
            }
            std::map<int, std::vector<int>> expected;
            for (const PageItem& p : kPageItems)
                if (p.group == group)
                    expected[p.item] = std::vector<int>(p.kind == PageItem::Choice ? 6 : 1, types.at(p.kind));
            EXPECT_EQ(fieldTypes, expected);
        }
    }
}

// ---- help

TEST_F(ViewMenusTest, HelpDocumentsAndTheProductPage) {
    const QString notFound = langText(code(), "LANG_01.xml", "gMSG_2", 1);
    ASSERT_FALSE(notFound.isEmpty());
    struct Case {
        int kind;
        const char* file;
    };
    for (const Case c : {Case{0, "Help/Help.pdf"}, Case{2, "Help/OCR_Help.pdf"}, Case{-1, "Help/OCR_Help.pdf"}}) {
        SCOPED_TRACE(c.kind);
        // Missing: the message names the path.
        shell.forcedResult = ShellFileNotFound;
        messages.shown.clear();
        view().OpenHelpDocument(c.kind);
        ASSERT_FALSE(shell.documents.empty());
        const QString path = shell.documents.back();
        EXPECT_TRUE(path.endsWith(QLatin1String(c.file))) << path.toStdString();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, notFound + path);
        // Found: opened, nothing said.
        shell.forcedResult = ShellOpened;
        messages.shown.clear();
        view().OpenHelpDocument(c.kind);
        EXPECT_EQ(shell.documents.back(), path);
        EXPECT_TRUE(messages.shown.empty());
    }
    EXPECT_TRUE(shell.urls.empty());

    const size_t documents = shell.documents.size();
    const std::pair<int, const char*> pages[] = {{1, "https://www.ravelt.example/toliva"},
                                                 {2, "https://www.ravelt.example/cn/toliva"},
                                                 {0, "https://www.ravelt.example/toliva"}};
    for (const auto& [lanSel, url] : pages) {
        context.lanSel = lanSel;
        view().OpenHelpDocument(1);
        EXPECT_EQ(shell.urls.back(), QLatin1String(url));
        EXPECT_EQ(MakerLink(MakerProductPage, lanSel), QLatin1String(url));
    }
    // The help menu's web page goes the same way.
    sheet().ExecuteCommand(CMD_ONLINE);
    EXPECT_EQ(shell.urls.size(), 4u);
    EXPECT_EQ(shell.documents.size(), documents);
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace toliva::test
