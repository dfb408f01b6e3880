// Character tables of the MathML reader: which element a character of a
// token, an accent, a bracket or a big operator becomes.
#pragma once

#include "TeXInternal.h"

#include <QStringView>

#include <cstdint>
#include <string_view>

namespace toliva::mathmlread {

// The operator type (1042-1289, or a thin space 97) of a character; 0 when
// the character is no operator.
int OperatorTypeOf(char16_t c);
// The glyph index of the symbol library for a symbol character; 0 for none.
int GlyphIndexOf(char16_t c);
// Characters that are read as another one: Greek capitals that look like
// Latin ones, the letter-like symbols of the writer, and so on.
char16_t LookAlike(char16_t c);

// A big operator or integral: its element type and how many limit chains
// it takes.
struct BigOperator {
    int type = 0;
    int limits = 0;
};
// The big operator written as text (its first character, or the dotted
// "∫⋯∫") with the given number of limits (0-2). stacked: the limits stand
// above and below (else at the side). False when text is no big operator.
bool BigOperatorOf(std::u16string_view text, int limits, bool stacked, BigOperator* out);

// The accent mark (payload code) of an accent character on a single symbol;
// 0 for none. twice is set for marks written as a doubled one.
int AccentMarkOf(char16_t c, bool* twice);
// The wide over-accent type (208-219) of an accent character; 0 for none.
// Under-accents are the over type + 16.
int WideAccentOf(char16_t c);

// The element type of a "menclose" notation.
int EnclosureTypeOf(QStringView notation);
// The unit code of a space width unit; -1 for an unknown unit (read as em).
int SpaceUnitOf(QStringView unit);

// Styled alphabets ("mathvariant") and the glyph symbols their letters
// become.
enum class Alphabet { None, Script, Fraktur, DoubleStruck, BoldScript, SansSerif };
// The glyph index of character c in the alphabet; 0 when the alphabet has no
// glyph for it.
int AlphabetGlyph(Alphabet alphabet, char16_t c);

// An element type and character.
struct StyledElement {
    int type = 0;
    char16_t ch = 0;
};
// The element a character becomes in a styled alphabet: type is the
// alphabet's glyph type (6 or 8 for plain or bold). Type 0 when the
// alphabet has no glyph for the character.
StyledElement AlphabetElement(int type, Alphabet alphabet, char16_t c);

// A letter or digit of the mathematical alphanumeric block (U+1D400 to
// U+1D7FF) as a plain character in a style: the element type (a character
// type, or the glyph type of an alphabet) and the alphabet. Both readers
// read these code points through this one table.
struct StyledCode {
    int type = 0;
    Alphabet alphabet = Alphabet::None;
    char16_t base = 0;
};
// False for code points that are no letter or digit of the block.
bool MathAlphanumericOf(char32_t code, StyledCode* out);
// The element of such a code point: AlphabetElement for an alphabet (a
// character of a matching style where it has no glyph), else the base
// character in the style's character type.
bool MathAlphanumericElement(char32_t code, StyledElement* out);

}  // namespace toliva::mathmlread
