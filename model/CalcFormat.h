// Formatting a computed number into the child chain of a calculation result
// element (type 64).
#pragma once

#include <QString>

#include <cstdint>

namespace toliva {

struct EqElement;

// The text of a value: the number format option (1-13 choose "%.1f" ...
// "%.9f", "%g", "%E", "%f", "%.0f"; 0 takes defaultIndex, option byte 6 of the
// style, as the index itself; clamped) and the angle option (1 degrees,
// 2 degrees, minutes and seconds, 3 percent, 4 per mille, else plain),
// upper-cased. Infinities and not-a-number values give "INF", "-INF" and
// "NAN".
QString FormatCalcResultText(double value, int format, int angle, int defaultIndex);

// Replaces the child chains of a type-64 element by one chain that shows the
// value: a minus sign element (1043) for negative numbers, character
// elements for the digits, and for an exponent a multiplication sign (1045),
// "10" and a superscript (173) holding the exponent; +-infinity as a plus or
// minus sign and U+221E; any other special value as "Syntax Error". A caret
// inside the old chain moves to the result element. Other types are left
// alone.
void FormatCalcResult(EqElement* result, double value, int format, int angle);

}  // namespace toliva
