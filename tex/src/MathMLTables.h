// Character tables of the MathML writer: which character or layout each
// element type, accent code, delimiter code and glyph index is written with.
#pragma once

#include "TeXInternal.h"

#include <cstdint>

namespace toliva::mathml {

// The "mo" character of an operator type 1042-1289; 0 for none.
char16_t OperatorChar(int type);
// The character of an arrow symbol 506-550; 0 outside.
char16_t ArrowSymbolChar(int type);
// The mark character of an accent kind (the payload byte, or byte - 128 for
// marks below).
char16_t AccentChar(int kind);
// The character of a wide over-accent 208-219 or under-accent 224-235.
char16_t WideAccentChar(int type);
// The character of a bracket delimiter code; 0 for none or an unknown code.
char16_t DelimiterChar(int code);
// The "notation" of an enclosure 240-252 or the phasor 256.
const char* EnclosureNotation(int type);

// What a glyph-library symbol stands for.
struct GlyphMeaning {
    enum Kind { Unknown, Letter, Symbol, Empty } kind = Unknown;
    char16_t ch = 0;
    const char* variant = nullptr;  // "mathvariant" of a letter
};
// The meaning of glyph index in a symbol of type 6 or 8 (8 bold).
GlyphMeaning GlyphMeaningOf(int index, int type);

// How a big operator or integral is laid out.
enum class LimitLayout {
    Plain,         // the operator, then the operand
    Sub,           // msub
    SubSup,        // msubsup
    Under,         // munder
    UnderOver,     // munderover
    SideByCount,   // msub or msubsup by the number of limits
    StackByCount,  // munder or munderover by the number of limits
};
struct BigOperatorForm {
    const char16_t* text = nullptr;  // the operator's characters
    LimitLayout layout = LimitLayout::Plain;
};
// False for types that are neither big operators nor integrals.
bool BigOperatorFormOf(int type, BigOperatorForm* form);

// How an extensible arrow is written: with its text over the arrow (mover),
// under it (munder) or both (munderover: first chain over, last under).
struct ExtArrowForm {
    enum Place { None, Over, Under, Both } place = None;
    char16_t ch = 0;
};
ExtArrowForm ExtArrowFormOf(int type);

}  // namespace toliva::mathml
