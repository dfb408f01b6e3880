// The view's menus, its interface settings dialog, the symbol groups'
// colours and the help documents.
#include "shell/CTolivaView.h"

#include "model/EqModel.h"
#include "panels/CKwTBPanel.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/gdiplus/GpTypes.h"
#include "shell/CTolivaApp.h"
#include "shell/ShellTexts.h"
#include "shell/settings/AppSettings.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/EditDialogs.h"
#include "tex/TeXCode.h"
#include "uikit/CDlgAMF.h"
#include "uikit/CDlgGU.h"
#include "uikit/CKwMenu.h"
#include "uikit/LangTable.h"

#include <algorithm>
#include <iterator>

namespace toliva {

namespace {

// The tool-bar commands whose buttons offer their hot key on a right click.
constexpr int kHotkeyCommands[] = {5, 6, 22, 23, 24, 25, 26, 255, 256};

// The entries of the symbol context menu.
enum SymbolMenuId : unsigned {
    kMenuTeXHint = 2,
    kMenuHotkey = 3,
    kMenuReplaceCell = 4,
    kMenuGroupColour = 5,
    kMenuOwnColours = 6,
    kMenuSettings = 7,
    kMenuReplaceMarked = 8,
};

// The items of the interface settings dialog (group = page): where each
// value lives, how the page shows it and what the reset button puts back.
enum class ItemKind { Colour, Number, Flag, Choice };
struct SettingsItem {
    int group;
    int item;
    ItemKind kind;
    int resetValue;
    uint32_t AppSettings::*colour = nullptr;  // Colour
    int AppSettings::*number = nullptr;       // Number, Choice
    int panelOption = -1;                     // Flag: "TBP" bit
};

constexpr SettingsItem colourItem(int group, int item, int reset, uint32_t AppSettings::*field) {
    return {group, item, ItemKind::Colour, reset, field, nullptr, -1};
}
constexpr SettingsItem numberItem(int group, int item, int reset, int AppSettings::*field,
                                  ItemKind kind = ItemKind::Number) {
    return {group, item, kind, reset, nullptr, field, -1};
}
constexpr SettingsItem flagItem(int group, int item, bool reset, int bit) {
    return {group, item, ItemKind::Flag, reset ? 1 : 0, nullptr, nullptr, bit};
}

// The reset value of "ScrTabBkClr" (0xF0E6E6) is not its default at load
// (0xF0E6EA); both are kept as the program has always had them.
const SettingsItem kSettingsItems[] = {
    // The window.
    colourItem(0, 0, 0xF0F0F0, &AppSettings::uiBack),
    flagItem(0, 1, false, 2),  // tool bar and strip above the sheet
    flagItem(0, 2, true, 3),   // the top border line
    numberItem(0, 3, 0, &AppSettings::uiSizeStep, ItemKind::Choice),
    // The symbol strip.
    colourItem(1, 0, 0xF0E6E6, &AppSettings::scrTabBack),
    colourItem(1, 1, 0xAAE6AA, &AppSettings::markerBar),
    numberItem(1, 2, 50, &AppSettings::tabGrad),
    numberItem(1, 3, 25, &AppSettings::buttonAero),
    numberItem(1, 4, 75, &AppSettings::buttonGrad),
    flagItem(1, 5, true, 1),   // the groups' own colours
    flagItem(1, 6, true, 0),   // arched tabs
    // The formula tiles.
    numberItem(2, 0, 2, &AppSettings::tilesAero),
    numberItem(2, 1, 0, &AppSettings::tilesGrad),
};

int fieldValue(const SettingsItem& it, const AppSettings& s) {
    switch (it.kind) {
    case ItemKind::Colour: return int(s.*it.colour);
    case ItemKind::Flag: return s.panelOptions[size_t(it.panelOption)] ? 1 : 0;
    case ItemKind::Number:
    case ItemKind::Choice: return s.*it.number;
    }
    return 0;
}

void setField(const SettingsItem& it, AppSettings& s, int value) {
    switch (it.kind) {
    case ItemKind::Colour: s.*it.colour = uint32_t(value) & 0xFFFFFFu; break;
    case ItemKind::Flag: s.panelOptions[size_t(it.panelOption)] = value != 0; break;
    case ItemKind::Number:
    case ItemKind::Choice: s.*it.number = value; break;
    }
}

void showOnPage(CDlgGU& dialog, const SettingsItem& it, int value) {
    switch (it.kind) {
    case ItemKind::Colour:
    case ItemKind::Number: dialog.SetItemInt(it.group, it.item, value); break;
    case ItemKind::Flag: dialog.SetItemBool(it.group, it.item, value != 0); break;
    case ItemKind::Choice:
        if (PropertyItem* p = dialog.GetOrAddItem(it.group, it.item)) p->choice = value;
        break;
    }
}

int readFromPage(const CKwPGL& list, const SettingsItem& it) {
    switch (it.kind) {
    case ItemKind::Flag: return list.GetItemBool(it.group, it.item) ? 1 : 0;
    case ItemKind::Choice: return list.GetItemChoice(it.group, it.item);
    case ItemKind::Colour:
    case ItemKind::Number: return list.GetItemInt(it.group, it.item);
    }
    return 0;
}

}  // namespace

QString CTolivaView::texHint(const SymbolKey& key) const {
    return m_app.m_texCode ? m_app.m_texCode->TeXHintText(key.kind, key.code, key.ch) : QString();
}

void CTolivaView::ReplaceMarkedWithSymbol(const SymbolKey& key) {
    if (!m_sheet) return;
    // The symbol is built alone and put in place of every marked run.
    std::function<void(EqModel*)> copy = std::move(m_sheet->copyFreshEquation);
    m_sheet->copyFreshEquation = [this](EqModel* built) { m_sheet->ReplaceAllMarked(built); };
    m_sheet->ExecuteSymbolKey(key, true);
    m_sheet->copyFreshEquation = std::move(copy);
}

// ---- the hot-key menu of a tool-bar button

bool CTolivaView::ShowHotkeyMenu(int command, QPoint screenPoint) {
    if (std::find(std::begin(kHotkeyCommands), std::end(kHotkeyCommands), command) == std::end(kHotkeyCommands))
        return false;
    const SymbolKey key{kSymbolKindCommandAlt, command, 0};
    CKwMenu menu(this);
    menu.AppendItem(MF_STRING, kMenuHotkey, m_sheet->hotkeys().GetKeysText(key, false), QStringLiteral("menu\\HotKey"));
    const unsigned chosen = trackMenu ? trackMenu(menu, screenPoint) : menu.TrackPopupMenu(screenPoint);
    if (chosen == kMenuHotkey) m_sheet->EditHotkey(key, false, texHint(key));
    return true;
}

// ---- the symbol context menu of a strip cell

void CTolivaView::OnSymbolContextMenu(const SymbolKey& key, QPoint screenPoint, bool groupAllowsReplace) {
    const QString code = m_app.context().languageCode();
    AppSettings& s = m_app.settings();
    LangTable popup11(code, QStringLiteral("LANG_11.xml"));
    LangTable popup12(code, QStringLiteral("LANG_12.xml"));
    const QString group = QStringLiteral("gPOP_1");
    const auto separator = [](CKwMenu& m) { m.AppendItem(MF_SEPARATOR, 0, QString()); };

    CKwMenu menu(this);
    if (EquationHasMarks(m_sheet->equation()) && key.kind != 2) {
        menu.AppendItem(MF_STRING, kMenuReplaceMarked, popup11, group, 20, QStringLiteral("menu\\Replace"));
        separator(menu);
    }
    if (key.code < 10000) {
        menu.AppendItem(MF_STRING, kMenuHotkey, m_sheet->hotkeys().GetKeysText(key, false),
                        QStringLiteral("menu\\HotKey"));
        separator(menu);
    }
    const QString hint = texHint(key);
    if (!hint.isEmpty()) {
        menu.AppendItem(MF_OWNERDRAW | MF_GRAYED, kMenuTeXHint, hint);
        separator(menu);
    }
    if (groupAllowsReplace) {
        menu.AppendItem(MF_STRING, kMenuReplaceCell, popup12, group, 1);
        separator(menu);
    }
    menu.AppendItem(s.panelOptions[1] ? MF_CHECKED : MF_STRING, kMenuOwnColours, popup12, group, 3);
    if (s.panelOptions[1]) {
        menu.AppendItem(MF_STRING, kMenuGroupColour, popup12, group, 2, QStringLiteral("menu\\Color"));
        separator(menu);
    }
    menu.AppendItem(MF_STRING, kMenuSettings, popup12, group, 4);

    switch (trackMenu ? trackMenu(menu, screenPoint) : menu.TrackPopupMenu(screenPoint)) {
    case kMenuReplaceMarked: ReplaceMarkedWithSymbol(key); break;
    // The strip is a symbol panel: its user-symbol cell keeps its own key.
    case kMenuHotkey: m_sheet->EditHotkey(key, true, hint); break;
    case kMenuReplaceCell:
        // Another of the group's symbols in the cell right-clicked (the
        // more-symbols picker in replace mode).
        if (CKwTBG* g = m_pSymbolStrip ? m_pSymbolStrip->pressedGroup() : nullptr) {
            if (!m_panelContext || !m_panelContext->picker)
                ShowNotAvailableYet(m_app.context().languageCode(), Unavailable::Dialog);
            else if (g->ReplaceCellSymbol())
                m_pSymbolStrip->Redraw();
        }
        break;
    case kMenuGroupColour:
        if (CKwTBG* g = m_pSymbolStrip ? m_pSymbolStrip->pressedGroup() : nullptr) m_pSymbolStrip->ChooseGroupColour(g);
        break;
    case kMenuOwnColours:
        s.panelOptions[1] = !s.panelOptions[1];
        ApplyPanelColours(true);
        break;
    case kMenuSettings: ShowAppSettingsDialog(); break;
    default: break;
    }
}

// ---- the symbol groups' colours

void CTolivaView::FillStripGroupColours(const AppSettings& settings, std::array<uint32_t, 12>& colours) {
    if (settings.panelOptions[1]) {
        const std::array<uint32_t, 12> own = LoadPanelGroupColours();
        for (size_t i = 0; i < size_t(kStripGroupCount); ++i) colours[i] = gp::ArgbFromColorref(own[i]);
    } else {
        // The groups' colours are ARGB: the background's COLORREF is turned
        // into an opaque colour as the groups' own are.
        for (size_t i = 0; i < size_t(kStripGroupCount); ++i) colours[i] = gp::ArgbFromColorref(settings.uiBack);
    }
}

void CTolivaView::ApplyPanelColours(bool redraw) {
    if (!m_pSymbolStrip) return;
    // The strip reads the option of the groups' own colours from its context.
    refreshPanelContext();
    std::array<uint32_t, 12> colours{};
    FillStripGroupColours(m_app.settings(), colours);
    const int count = std::min(m_pSymbolStrip->groupCount(), int(kStripGroupCount));
    for (int i = 0; i < count; ++i) {
        CKwTBG* group = m_pSymbolStrip->group(i);
        group->fillColour = colours[size_t(i)];
        group->redraw = 1;
    }
    if (redraw && m_pSymbolStrip->isVisible()) m_pSymbolStrip->Redraw();
}

void CTolivaView::MarkSymbolGroupsChanged() {
    if (!m_pSymbolStrip) return;
    m_pSymbolStrip->MarkGroupsChanged();
    if (m_pSymbolStrip->isVisible()) m_pSymbolStrip->Redraw();
}

// ---- the interface settings dialog

bool CTolivaView::ShowAppSettingsDialog() {
    if (m_pSettingsDialog) return true;
    const AppSettings& s = m_app.settings();
    LangTable texts(m_app.context().languageCode(), QStringLiteral("DlgGU.xml"));
    CDlgGU dialog(this);
    dialog.pageFolder = QStringLiteral("AppSet");
    dialog.title = LoadLangString(texts, QStringLiteral("gTT_1"), 1);
    dialog.pageListFraction = 0.26f;
    dialog.widthFactor = 0.72f;
    dialog.gridVerticalFraction = -0.1f;
    dialog.heightFactor = 1.0f;
    // Apply (code 0) and Defaults (code 1).
    dialog.showButton3 = true;
    dialog.showButton1389 = true;
    dialog.modalRunner = runSettingsDialog;
    for (const SettingsItem& it : kSettingsItems) showOnPage(dialog, it, fieldValue(it, s));

    m_pSettingsDialog = &dialog;
    const int result = dialog.DoModal();
    m_pSettingsDialog = nullptr;
    if (result == IDOK) ApplySettingsPanel(dialog);
    return true;
}

void CTolivaView::OnSettingsPanelButton(CDlgGU* dialog, int code) {
    if (!dialog || dialog != m_pSettingsDialog) return;
    if (code == 0) {
        ApplySettingsPanel(*dialog);
    } else if (code == 1) {
        for (const SettingsItem& it : kSettingsItems) showOnPage(*dialog, it, it.resetValue);
        if (CDlgAMF* grid = dialog->Grid()) grid->RenderPage();
    }
}

void CTolivaView::ApplySettingsPanel(CDlgGU& dialog) {
    AppSettings& s = m_app.settings();
    const int sizeStep = s.uiSizeStep;
    for (const SettingsItem& it : kSettingsItems) setField(it, s, readFromPage(dialog.propertyList, it));
    if (s.uiSizeStep != sizeStep) {
        // The interface scale is fixed at start-up.
        LangTable texts(m_app.context().languageCode(), QStringLiteral("LANG_12.xml"));
        LangMessageBox(texts, QStringLiteral("gMSG_1"), 1, MB_OK | MB_ICONINFORMATION);
    }
    ApplyPanelColours(false);
    // The strip and the side panel draw with the new style.
    if (m_pSymbolStrip) {
        m_pSymbolStrip->RefreshStyle();
        if (m_pSymbolStrip->isVisible()) m_pSymbolStrip->Redraw();
    }
    if (m_pSidePanel) m_pSidePanel->update();
    if (s.viewMode != 1) RelayoutChildren();
}

// ---- help

void CTolivaView::OpenHelpDocument(int kind) {
    if (kind == 1) {
        OpenMakerLink(MakerProductPage, m_app.context().lanSel);
        return;
    }
    m_sheet->OpenHelpDocument(kind == 0 ? QStringLiteral("Help.pdf") : QStringLiteral("OCR_Help.pdf"));
}

}  // namespace toliva
