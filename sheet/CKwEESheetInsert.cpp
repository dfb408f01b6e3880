// Symbol keys and insertion at the caret: elements, structures, templates,
// matrices, custom spaces, user symbols and chemical marks.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/ElementWork.h"

#include <algorithm>
#include <array>

namespace toliva {

namespace {

// COLORREF 0x00BBGGRR and ARGB.
uint32_t toColorRef(gp::ARGB c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
gp::ARGB fromColorRef(uint32_t c) { return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// Characters of kind-6 keys that stay upright whatever the typing style.
bool isUprightSymbol(uint16_t ch) {
    static constexpr std::array<uint16_t, 13> kUpright = {167,  176,  1009, 8224, 8225, 8240, 8242,
                                                          8243, 8244, 8245, 8706, 8733, 8734};
    return std::find(kUpright.begin(), kUpright.end(), ch) != kUpright.end();
}

bool isCharacterType(int32_t t) { return (t >= 1 && t <= 5) || t == 16 || t == 17; }

// The character styles of Ctrl+1 .. Ctrl+6 and the commands 216 .. 221.
constexpr std::array<int, 6> kStyles = {EqTypeCharUpright, EqTypeCharItalic, 3, 4, 16, 17};

}  // namespace

InsertionKey CKwEESheet::NormalizeKey(InsertionKey key) const {
    EqElement* caret = GetEquationCaret(m_eq);
    // A TeX command being typed keeps its characters.
    if (m_app.option(OptTeXTyping) && caret && caret->type == EqTypeCharText) return key;
    if (key.type >= 1 && key.type <= 4) {
        const int32_t op = key.ch == '+' ? 1042 : key.ch == '-' ? 1043 : key.ch == '=' ? 1049 : 0;
        if (op) {
            key.type = op;
            key.ch = 0;
        }
    }
    return key;
}

EqElement* CKwEESheet::insertAtCaret(const InsertionKey& key) {
    if (!GetEquationCaret(m_eq)) AddEmptyLine(m_eq);
    return InsertKey(m_eq, m_sel, NormalizeKey(key), characterHook());
}

void CKwEESheet::InsertElementKey(const InsertionKey& key, bool refresh) {
    if (!m_eq) return;
    PushUndo(SelectionScope() == 2);
    insertAtCaret(key);
    if (refresh) Refresh(0);
}

void CKwEESheet::ExecuteSymbolKey(const SymbolKey& key, bool freshEquation) {
    (void)freshEquation;  // copying a symbol alone is the clipboard's
    if (IsCommandKey(key)) {
        ExecuteCommand(key.code);
        return;
    }
    if (!m_eq) return;
    InsertionKey k;
    switch (key.kind) {
    case 2: {
        // An accent on the character or glyph symbol at the caret: its code
        // is the low byte.
        EqElement* caret = GetEquationCaret(m_eq);
        if (!caret || !(IsStyledCharType(caret->type) || IsGlyphSymbolType(caret->type))) return;
        PushUndo(true);
        AddAccentMark(caret, uint8_t(key.code & 0xFF));
        InvalidateLineCache(m_eq, caret);
        m_eq->needsLayout = 1;
        Refresh(0);
        DropUnchangedUndo();
        break;
    }
    case 3:
        if (key.code == 104) return;  // the custom-space dialog is the editing dialogs'
        if (key.code <= EqTypeChainHead) return;  // a chain head is no element to insert
        k.type = key.code;
        k.ch = key.ch;
        InsertElementKey(k, true);
        break;
    case 4:
        k.type = typingType;
        k.ch = uint16_t(key.code & 0xFFFF);
        // A code below 32 is no character to type; a character carried with
        // the key is meant instead (the default Ctrl+P carries pi).
        if (key.code >= 0 && key.code < 32) {
            if (key.ch == 0) return;
            k.ch = key.ch;
        }
        InsertElementKey(k, true);
        break;
    case 6: {
        if (key.code == 1) return;  // the user-symbol panel is the panels'
        k.ch = uint16_t(key.code & 0xFFFF);
        const bool upright = isUprightSymbol(k.ch);
        k.type = upright ? EqTypeCharUpright : typingType;
        PushUndo(SelectionScope() == 2);
        if (EqElement* e = insertAtCaret(k); e && upright) SetWorkMark(e, kSelectedStyleMark, true);
        Refresh(0);
        break;
    }
    default: return;  // the other kinds come with the editing commands
    }
    EnsureCaretVisible();
}

}  // namespace toliva
