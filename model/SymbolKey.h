// The action record of a symbol-bar cell, a hotkey-table entry and a menu
// item: a command code for the dispatcher, or a symbol or template to insert.
#pragma once

#include <cstdint>

namespace toliva {

struct SymbolKey {
    int32_t kind = 0;
    int32_t code = 0;
    uint16_t ch = 0;

    friend bool operator==(const SymbolKey&, const SymbolKey&) = default;
};

// Kinds whose code is a command code.
constexpr int32_t kSymbolKindCommand = 1;
constexpr int32_t kSymbolKindCommandAlt = 0xFFFFF;
// The "more" cell of a symbol-panel group: opens the more-symbols picker.
constexpr SymbolKey kMoreSymbolsKey{10000, 10000, 0};
// A hotkey entry that hands the key to the tile sheet's item hot keys.
constexpr int32_t kTileHotkeyMarker = 0xFEDF;

inline bool IsCommandKey(const SymbolKey& key) {
    return key.kind == kSymbolKindCommand || key.kind == kSymbolKindCommandAlt;
}
// An entry of the hotkey table that holds nothing.
inline bool IsEmptyKey(const SymbolKey& key) { return key.kind <= 0 && key.code <= 0 && key.ch == 0; }

}  // namespace toliva
