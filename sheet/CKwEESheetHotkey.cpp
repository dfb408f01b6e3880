// Editing one hotkey binding on the "hot_key" page of the settings dialog.
#include "sheet/CKwEESheet.h"

#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "uikit/CDlgGU.h"
#include "uikit/LangTable.h"

#include <algorithm>

namespace toliva {

namespace {

// The key list of the page, positions 1 to 66 (0 is "none"): the keyboard
// row by row, each row followed by its part of the numeric pad, then the
// arrows.
constexpr std::array<int, 66> kDialogKeys = {
    0xC0, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0xBD, 0xBB, 0x6F, 0x6A, 0x6D, 0x51,
    0x57, 0x45, 0x52, 0x54, 0x59, 0x55, 0x49, 0x4F, 0x50, 0xDB, 0xDD, 0xDC, 0x67, 0x68, 0x69, 0x6B, 0x41,
    0x53, 0x44, 0x46, 0x47, 0x48, 0x4A, 0x4B, 0x4C, 0xBA, 0xDE, 0x64, 0x65, 0x66, 0x5A, 0x58, 0x43, 0x56,
    0x42, 0x4E, 0x4D, 0xBC, 0xBE, 0xBF, 0x26, 0x61, 0x62, 0x63, 0x25, 0x28, 0x27, 0x60, 0x6E};

// Property items of the page (group 0).
enum HotkeyPageItem : int { kItemCtrl = 0, kItemShift = 1, kItemAlt = 2, kItemKey = 3, kItemCaption = 4 };

bool isArrowKey(int vk) { return vk >= 0x25 && vk <= 0x28; }

}  // namespace

const std::array<int, 66>& CKwEESheet::HotkeyDialogKeys() { return kDialogKeys; }

int CKwEESheet::HotkeyDialogPosition(int vk) {
    const auto it = std::find(kDialogKeys.begin(), kDialogKeys.end(), vk);
    return it == kDialogKeys.end() ? 0 : int(it - kDialogKeys.begin()) + 1;
}

bool CKwEESheet::IsReservedHotkey(int vk, bool ctrl, bool shift, bool alt) {
    if (ctrl && !shift && !alt) {
        if (vk >= '1' && vk <= '6') return true;
        static constexpr char kLetters[] = "ABCGIMNSTVWXYZ";
        return vk >= 'A' && vk <= 'Z' && std::find(std::begin(kLetters), std::end(kLetters) - 1, char(vk)) !=
                                             std::end(kLetters) - 1;
    }
    if (ctrl && shift && !alt) return vk == 'C' || vk == 'V';
    if (alt && !ctrl && !shift) return vk == 0x0D || isArrowKey(vk);
    if (ctrl && alt && !shift) return isArrowKey(vk);
    return false;
}

void CKwEESheet::EditHotkey(const SymbolKey& key, bool fromPanel, const QString& caption) {
    // The user-symbol panel key has its own fixed key (F4).
    if (key.kind == 6 && key.code == 1) {
        if (!fromPanel) m_host->OpenUserSymbolPanel();
        return;
    }

    const HotkeyTable::Binding bound = m_hotkeys->GetBinding(key);
    bool ctrl = bound.ctrl, shift = bound.shift, alt = bound.alt;
    int position = bound.vk < 0 ? 0 : HotkeyDialogPosition(bound.vk);

    LangTable messages(m_app.languageCode(), QStringLiteral("LANG_05.xml"));
    LangTable dialogTexts(m_app.languageCode(), QStringLiteral("DlgGU.xml"));
    const QString title = LoadLangString(dialogTexts, QStringLiteral("gTT_1"), 2);
    for (;;) {
        CDlgGU dlg(this);
        dlg.pageFolder = QStringLiteral("hot_key");
        dlg.title = title;
        dlg.widthFactor = 1.0f;
        dlg.heightFactor = 0.8f;
        dlg.modalRunner = runSettingsDialog;
        dlg.SetItemBool(0, kItemCtrl, ctrl);
        dlg.SetItemBool(0, kItemShift, shift);
        dlg.SetItemBool(0, kItemAlt, alt);
        dlg.GetOrAddItem(0, kItemKey)->choice = position;
        dlg.GetOrAddItem(0, kItemCaption)->text = caption;
        if (dlg.DoModal() != IDOK) return;

        ctrl = dlg.propertyList.GetItemBool(0, kItemCtrl);
        shift = dlg.propertyList.GetItemBool(0, kItemShift);
        alt = dlg.propertyList.GetItemBool(0, kItemAlt);
        position = dlg.propertyList.GetItemChoice(0, kItemKey);
        if (position < 1 || position > int(kDialogKeys.size())) return;
        const int vk = kDialogKeys[size_t(position - 1)];
        if (!ctrl && !alt) {
            LangMessageBox(messages, QStringLiteral("gMSG_2"), 1, MB_OK | MB_ICONWARNING);
            continue;
        }
        if (IsReservedHotkey(vk, ctrl, shift, alt)) {
            LangMessageBox(messages, QStringLiteral("gMSG_2"), 2, MB_OK | MB_ICONWARNING);
            continue;
        }
        m_hotkeys->SetBinding(key, HotkeyTable::KeyIndexOfVirtualKey(vk), ctrl, shift, alt);
        return;
    }
}

}  // namespace toliva
