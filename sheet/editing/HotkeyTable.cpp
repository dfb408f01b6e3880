#include "sheet/editing/HotkeyTable.h"

#include "platform/AppContext.h"
#include "platform/DialogService.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <qnamespace.h>

#include <algorithm>
#include <array>

namespace toliva {

namespace {

constexpr std::array<int, HotkeyTable::kKeys> kVirtualKeys = {
    0x25, 0x26, 0x27, 0x28,                                      // arrows
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,  // digits
    0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D,
    0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A,  // letters
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,  // keypad digits
    0x6A, 0x6B, 0x6D, 0x6E, 0x6F,                                // keypad * + - . /
    0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE,  // punctuation
};

constexpr const char* kSlotPrefixes[HotkeyTable::kSlots] = {
    "Ctrl+", "Ctrl+Shift+", "Ctrl+Shift+Alt+", "Ctrl+Alt+", "Alt+", "Alt+Shift+",
};

const QString kHotkeyLanguageFile = QStringLiteral("LANG_05.xml");
const QString kClearLanguageFile = QStringLiteral("LANG_04.xml");
const QString kFolderKey = QStringLiteral("Software\\Toliva\\FDInit");
const QString kFolderValue = QStringLiteral("LID_9");
const QString kFileFilter = QStringLiteral("Toliva Hotkeys (*.hks)|*.hks|");

// The letter's key index.
constexpr int letter(char c) { return 14 + (c - 'A'); }

bool isTileMarker(const SymbolKey& key) { return key.kind == kTileHotkeyMarker && key.code == kTileHotkeyMarker; }

// The file dialog of hotkey files; on OK the chosen folder is kept for next time.
bool pickHotkeyFile(bool save, QString* path) {
    RegKey key;
    OpenRegKey(kFolderKey, key);
    FileDialogRequest request;
    request.save = save;
    request.filter = kFileFilter;
    request.defaultExtension = QStringLiteral("*.hks");
    if (save) request.defaultName = QStringLiteral("Untitled.hks");
    request.overwritePrompt = true;
    ReadRegString(key, kFolderValue, request.initialFolder, QString());

    QString chosen;
    if (!dialogService().pickFile(request, &chosen) || chosen.isEmpty()) return false;
    QString folder = QFileInfo(chosen).absolutePath();
    if (!folder.endsWith(u'/')) folder += u'/';
    if (folder.size() <= kRegStringMaxChars) WriteRegString(key, kFolderValue, folder);
    *path = chosen;
    return true;
}

}  // namespace

HotkeyTable::HotkeyTable() = default;

int HotkeyTable::KeyIndexOfVirtualKey(int vk) {
    for (int i = 0; i < kKeys; ++i)
        if (kVirtualKeys[size_t(i)] == vk) return i;
    return -1;
}

int HotkeyTable::VirtualKeyOfIndex(int index) {
    return index >= 0 && index < kKeys ? kVirtualKeys[size_t(index)] : -1;
}

int HotkeyTable::SlotOf(bool ctrl, bool shift, bool alt) {
    if (ctrl) {
        if (shift && alt) return 2;
        if (shift) return 1;
        if (alt) return 3;
        return 0;
    }
    if (alt) return shift ? 5 : 4;
    return -1;
}

HotkeyTable::Binding HotkeyTable::ModifiersOfSlot(int slot) {
    Binding b;
    switch (slot) {
    case 0: b.ctrl = true; break;
    case 1: b.ctrl = b.shift = true; break;
    case 2: b.ctrl = b.shift = b.alt = true; break;
    case 3: b.ctrl = b.alt = true; break;
    case 4: b.alt = true; break;
    case 5: b.alt = b.shift = true; break;
    default: break;
    }
    return b;
}

void HotkeyTable::SetDefaults() {
    for (auto& slot : entries)
        for (auto& e : slot) e = SymbolKey{};
    entries[0][letter('D')] = {6, 176, 0};   // degree sign, upright
    entries[0][letter('F')] = {3, 128, 0};   // fraction
    entries[0][letter('H')] = {3, 173, 0};   // superscript
    entries[0][letter('J')] = {3, 175, 0};   // sub- and superscript
    entries[0][letter('L')] = {3, 174, 0};   // subscript
    entries[0][letter('R')] = {3, 136, 0};   // square root
    // Ctrl+P: this exact triple is what earlier tables and files hold, and
    // files and look-ups compare it, so it stays as it is. A kind-4 key
    // inserts its code as a character; as code 2 is a control character,
    // insertion takes the carried character (U+03C0, pi) instead whenever a
    // kind-4 code is below 32 and the character is not 0.
    entries[0][letter('P')] = {4, 2, 960};
    entries[1][letter('I')] = {3, 290, 0};   // integral
    entries[1][letter('P')] = {6, 8706, 0};  // partial differential
    entries[1][letter('S')] = {3, 308, 0};   // summation
}

QByteArray HotkeyTable::ToBytes() const {
    QByteArray bytes(kFileBytes, '\0');
    char* p = bytes.data();
    for (int key = 0; key < kKeys; ++key)
        for (int slot = 0; slot < kSlots; ++slot) {
            const SymbolKey& e = entries[slot][key];
            qToLittleEndian<int32_t>(e.code, p);
            qToLittleEndian<int32_t>(e.kind, p + 4);
            qToLittleEndian<uint16_t>(e.ch, p + 8);
            p += kRecordBytes;
        }
    return bytes;
}

int HotkeyTable::FromBytes(const QByteArray& bytes) {
    const int available = int(std::min<qsizetype>(bytes.size() / kRecordBytes, kSlots * kKeys));
    const char* p = bytes.constData();
    for (int index = 0; index < available; ++index, p += kRecordBytes) {
        SymbolKey& e = entries[index % kSlots][index / kSlots];
        e.code = qFromLittleEndian<int32_t>(p);
        e.kind = qFromLittleEndian<int32_t>(p + 4);
        e.ch = qFromLittleEndian<uint16_t>(p + 8);
    }
    return available;
}

bool HotkeyTable::Load(const QString& path) {
    QByteArray bytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) {
        SetDefaults();
        return true;
    }
    if (FromBytes(bytes) == kSlots * kKeys) return true;
    showMessage(QStringLiteral("failed to open file : ") + path);
    return false;
}

bool HotkeyTable::Write(const QString& path) const { return WriteFileSafely(path, ToBytes(), nullptr); }

void HotkeyTable::Save(const QString& userFolder) const {
    Write(QDir(userFolder).filePath(QString::fromLatin1(kUserFileName)));
}

void HotkeyTable::LoadUserFile(const QString& userFolder) {
    Load(QDir(userFolder).filePath(QString::fromLatin1(kUserFileName)));
}

void HotkeyTable::ClearAll(TileHotkeys* tiles) {
    LangTable table(app().languageCode(), kClearLanguageFile);
    const QString caption = LoadLangString(table, QStringLiteral("gMSG_2"), 1);
    const QString text = LoadLangString(table, QStringLiteral("gMSG_2"), 2);
    if (messageSink().show(text, caption, MB_YESNO | MB_ICONQUESTION, nullptr) == IDYES)
        for (auto& slot : entries)
            for (auto& e : slot) e = SymbolKey{};
    if (tiles) tiles->clearShortcuts();
}

bool HotkeyTable::ExportFile() {
    QString path;
    return pickHotkeyFile(true, &path) && Write(path);
}

bool HotkeyTable::ImportFile() {
    QString path;
    if (!pickHotkeyFile(false, &path)) return false;
    // Only a whole table replaces the user's: a short file or one that
    // cannot be read is reported and changes nothing.
    QByteArray bytes;
    HotkeyTable read;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr) || read.FromBytes(bytes) != kSlots * kKeys) {
        showMessage(QStringLiteral("failed to open file : ") + path);
        return false;
    }
    std::copy(&read.entries[0][0], &read.entries[0][0] + kSlots * kKeys, &entries[0][0]);
    return true;
}

bool HotkeyTable::HasBinding(const SymbolKey& key) const {
    for (const auto& slot : entries)
        for (const auto& e : slot)
            if (e == key) return true;
    return false;
}

void HotkeyTable::RemoveBinding(const SymbolKey& key) {
    for (auto& slot : entries)
        for (auto& e : slot)
            if (e == key) e = SymbolKey{};
}

int HotkeyTable::FindKeyInSlot(int slot, const SymbolKey& key) const {
    if (slot < 0 || slot >= kSlots) return -1;
    for (int i = 0; i < kKeys; ++i)
        if (entries[slot][i] == key) return i;
    return -1;
}

HotkeyTable::Binding HotkeyTable::GetBinding(const SymbolKey& key) const {
    for (int slot = 0; slot < kSlots; ++slot) {
        const int index = FindKeyInSlot(slot, key);
        if (index < 0) continue;
        Binding b = ModifiersOfSlot(slot);
        b.vk = VirtualKeyOfIndex(index);
        return b;
    }
    return {};
}

void HotkeyTable::SetBinding(const SymbolKey& key, int keyIndex, bool ctrl, bool shift, bool alt) {
    const int slot = SlotOf(ctrl, shift, alt);
    if (slot < 0) return;
    if (keyIndex >= 0 && keyIndex < kKeys) {
        entries[slot][keyIndex] = key;
        return;
    }
    const int bound = FindKeyInSlot(slot, key);
    if (bound >= 0) entries[slot][bound] = SymbolKey{};
}

QString HotkeyTable::GetKeysText(const SymbolKey& key, bool bare) const {
    LangTable table(app().languageCode(), kHotkeyLanguageFile);
    // The user-symbol key opens its panel; it has no combination of its own.
    if (key.kind == 6 && key.code == 1) return LoadLangString(table, QStringLiteral("gCS_1"), 3);

    QString text;
    for (int slot = 0; slot < kSlots; ++slot) {
        const int index = FindKeyInSlot(slot, key);
        if (index < 0) continue;
        if (!text.isEmpty()) text += QStringLiteral("  ");
        text += QString::fromLatin1(kSlotPrefixes[slot]) + LoadLangString(table, QStringLiteral("gKP_1"), index + 1);
    }
    if (bare) return text;
    if (text.isEmpty()) return LoadLangString(table, QStringLiteral("gCS_1"), 1);
    return LoadLangString(table, QStringLiteral("gCS_1"), 2) + QStringLiteral(" : ") + text;
}

bool HotkeyTable::Match(int virtualKey, bool ctrl, bool shift, bool alt, TileHotkeys* tiles,
                        const std::function<void(const SymbolKey&)>& execute) const {
    const int slot = SlotOf(ctrl, shift, alt);
    if (slot < 0) return false;
    const int index = KeyIndexOfVirtualKey(virtualKey);
    if (index < 0) return false;
    const SymbolKey& e = entries[slot][index];
    if (isTileMarker(e)) {
        if (tiles && tiles->takeKey(e.ch, ctrl, shift, alt)) return true;
        // The marker inserts nothing, but the key stays taken: a combination
        // reserved for the tile sheet never reaches other key handling.
        return true;
    }
    if (IsEmptyKey(e)) return false;
    if (execute) execute(e);
    return true;
}

int VirtualKeyFromQt(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x60 + (qtKey - Qt::Key_0);
        switch (qtKey) {
        case Qt::Key_Asterisk: return 0x6A;
        case Qt::Key_Plus: return 0x6B;
        case Qt::Key_Minus: return 0x6D;
        case Qt::Key_Period:
        case Qt::Key_Comma: return 0x6E;  // the decimal key in locales with a decimal comma
        case Qt::Key_Slash: return 0x6F;
        case Qt::Key_Enter: return 0x0D;
        default: break;  // keypad arrows, Home, End ... as on the main block
        }
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x30 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 0x41 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Clear: return 0x0C;  // keypad 5 without Num Lock
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    // The modifier keys themselves, and the system keys beside them.
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Meta: return 0x5B;
    case Qt::Key_Menu: return 0x5D;  // the context-menu key
    // Shifted digits of a US layout.
    case Qt::Key_ParenRight: return 0x30;
    case Qt::Key_Exclam: return 0x31;
    case Qt::Key_At: return 0x32;
    case Qt::Key_NumberSign: return 0x33;
    case Qt::Key_Dollar: return 0x34;
    case Qt::Key_Percent: return 0x35;
    case Qt::Key_AsciiCircum: return 0x36;
    case Qt::Key_Ampersand: return 0x37;
    case Qt::Key_Asterisk: return 0x38;
    case Qt::Key_ParenLeft: return 0x39;
    // Punctuation keys, plain and shifted.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 0xBC;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 0xBF;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 0xDE;
    default: return -1;
    }
}

}  // namespace toliva
