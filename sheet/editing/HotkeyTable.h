// The user's hotkey table: key combinations with Ctrl or Alt bound to symbol
// keys, its built-in defaults, the look-ups the settings pages and captions
// use, and its ".hks" files.
//
// The table holds 6 modifier slots x 66 keys:
//   slot 0 Ctrl, 1 Ctrl+Shift, 2 Ctrl+Shift+Alt, 3 Ctrl+Alt, 4 Alt, 5 Alt+Shift
// (Shift alone or no modifier is never looked up). Key indexes, with their
// Windows virtual-key codes:
//   0-3 Left Up Right Down (0x25-0x28), 4-13 digits 0-9 (0x30-0x39),
//   14-39 letters A-Z (0x41-0x5A), 40-49 keypad 0-9 (0x60-0x69),
//   50-54 keypad * + - . / (0x6A 0x6B 0x6D 0x6E 0x6F),
//   55-65 ; = , - . / ` [ \ ] ' (0xBA-0xC0, 0xDB-0xDE).
//
// ".hks" file: exactly 396 records of 10 bytes (3,960 bytes), no header.
// Records run key by key (0 to 65) and, within a key, slot by slot (0 to 5):
// record index = key * 6 + slot, at byte offset index * 10. Each record,
// little-endian: int32 code, int32 kind, uint16 character (code before kind).
#pragma once

#include "model/SymbolKey.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace toliva {

// The item hot keys of the stored-formula tile sheet, as the table sees them.
class TileHotkeys {
public:
    virtual ~TileHotkeys() = default;
    // Offers a key to the tile sheet; true when one of its items took it.
    virtual bool takeKey(uint16_t itemHotkeyId, bool ctrl, bool shift, bool alt) = 0;
    virtual void clearShortcuts() = 0;
};

class HotkeyTable {
public:
    static constexpr int kSlots = 6, kKeys = 66, kRecordBytes = 10, kFileBytes = 3960;
    static constexpr char kUserFileName[] = "KwSSK.hks";

    HotkeyTable();  // empty table (no file read)

    SymbolKey entries[kSlots][kKeys];

    // Reads a ".hks" file. A file that cannot be opened gives the defaults
    // and true. A short file shows "failed to open file : " + path once,
    // keeps every record read in full and the earlier values of the rest,
    // and returns false. Bytes after the 396th record are ignored.
    bool Load(const QString& path);
    // Writes the table through a temporary file renamed over the target, so
    // a failed write keeps the old file; false on failure, no message.
    bool Write(const QString& path) const;
    // "KwSSK.hks" in the per-user folder.
    void Save(const QString& userFolder) const;
    void LoadUserFile(const QString& userFolder);

    // Empties every entry, then sets the built-in bindings.
    void SetDefaults();
    // Asks yes/no through the message sink; Yes empties every entry. In any
    // case the tile sheet's item hot keys are cleared (when tiles is given).
    void ClearAll(TileHotkeys* tiles);
    // File pickers of the dialog service, starting in (and keeping) the last
    // folder of hotkey files. Export writes the table to the chosen file;
    // import reads it, and replaces the table only when the file holds a
    // whole table (otherwise it shows the reader's message). Each returns
    // true when a file was chosen and written or read in full.
    bool ExportFile();
    bool ImportFile();

    bool HasBinding(const SymbolKey&) const;
    // Empties every entry that holds the key.
    void RemoveBinding(const SymbolKey&);
    // The first key index in the slot whose entry holds the key; -1 when
    // none or when the slot is not 0 to 5.
    int FindKeyInSlot(int slot, const SymbolKey&) const;

    struct Binding {
        int vk = -1;
        bool ctrl = false, shift = false, alt = false;
    };
    // The first entry holding the key (slot 0 to 5, key 0 to 65): its
    // virtual-key code and the slot's modifiers; vk -1 when none.
    Binding GetBinding(const SymbolKey&) const;
    // Stores the key at the key index in the slot chosen by the modifiers
    // (nothing without Ctrl or Alt); other entries holding the key stay. A key
    // index outside 0 to 65 empties the first entry of that slot that holds
    // the key.
    void SetBinding(const SymbolKey&, int keyIndex, bool ctrl, bool shift, bool alt);
    // The combinations bound to the key: for every slot its first key, as
    // "Ctrl+Shift+" + key name, joined by two spaces. Unless bare, prefixed by
    // the caption for bound keys, or replaced by the caption for none.
    QString GetKeysText(const SymbolKey&, bool bare) const;

    // Looks the key up with the modifier states of the key event; true when
    // the key was used. A tile-sheet marker entry offers the key to tiles
    // first; a bound entry runs through execute.
    bool Match(int virtualKey, bool ctrl, bool shift, bool alt, TileHotkeys* tiles,
               const std::function<void(const SymbolKey&)>& execute) const;

    // Key index of a virtual-key code, and back; -1 when the table has none.
    static int KeyIndexOfVirtualKey(int vk);
    static int VirtualKeyOfIndex(int index);
    // The slot of a modifier combination; -1 without Ctrl or Alt.
    static int SlotOf(bool ctrl, bool shift, bool alt);
    // The modifiers of a slot (0 to 5).
    static Binding ModifiersOfSlot(int slot);

    // The file form of the table (kFileBytes bytes), and reading it back: the
    // number of records read in full (kSlots * kKeys for a complete file).
    QByteArray ToBytes() const;
    int FromBytes(const QByteArray& bytes);
};

// Qt key (Qt::Key, with the keypad flag of the event's modifiers) to the
// Windows virtual-key code the table and the sheet's built-in shortcuts use;
// -1 when it has none. Shifted punctuation and digits of a US layout give the
// code of their key ('!' gives '1', '?' gives '/'); the keypad's digits and
// operators their own codes (0x60 to 0x6F); Shift, Ctrl and Alt themselves
// 0x10, 0x11 and 0x12; the context-menu key 0x5D. The codes are named in
// sheet/editing/VirtualKeys.h.
int VirtualKeyFromQt(int qtKey, bool keypad);

}  // namespace toliva
