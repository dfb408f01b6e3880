// What the word and constant entry dialogs accept, without a window: the
// rule for a constant's name, the number a value field holds, how a value is
// shown in it, and the character a character-bar button types.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace toliva {

// A constant's name must start with a character above '@' (0x40): Latin and
// Greek letters, '_' and the like pass; digits, spaces and the punctuation
// below '@' (and '@' itself) do not, nor does an empty name.
bool IsConstantNameAccepted(const QString& name);

// The number a value field holds: a decimal number with an optional sign,
// fraction and exponent, with spaces or tabs around it and nothing else
// ("1.5", " -2e3 ", ".5"). Empty text, text after the number ("1.5cm"),
// "inf", "nan", hexadecimal and numbers beyond a double give nothing. The
// point is always '.', whatever the user's locale.
std::optional<double> ParseEntryNumber(const QString& text);

// A value as the field shows it: 15 significant digits, shortest form
// ("0", "3.14159265358979", "1e+20").
QString FormatEntryNumber(double value);

// The text a character-bar button types: its command is a Unicode code
// point. Nothing for a code that is no character (0 or below, a surrogate,
// beyond U+10FFFF), so a right click's -1 types nothing.
QString CharacterOfCommand(intptr_t command);

}  // namespace toliva
