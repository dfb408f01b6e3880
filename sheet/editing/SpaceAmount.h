// The amount of a custom space (type 104) as the user types it: a number,
// optionally followed by a unit word. The unit code is kept in the low four
// bits of the element's character; the words are those the LaTeX reader and
// writer use for the same codes, with "%" for the percentage of the font
// size.
#pragma once

#include <QString>

namespace toliva {

// The largest amount, in any unit, that a custom space takes (a larger one
// would make the line wider than any view can scroll through).
constexpr float kMaxSpaceAmount = 1000.0f;

// The unit word of a code: 0 "em", 1 "mu", 2 "ex", 3 "pc", 4 "pt", 5 "px",
// 6 "in", 7 "mm", 8 "cm", 9 "%"; any other code is em.
QString SpaceUnitWord(int unit);

// The text the input shows: the amount as "%g", followed by the unit word
// unless the unit is em.
QString FormatSpaceAmount(float amount, int unit);

// Reads a typed amount: blanks, an optional sign, digits with an optional
// decimal point, blanks, an optional unit word (any case), blanks. Without a
// unit word *unit is left as it is. False, with nothing written, for any
// other text, an unknown unit or an amount beyond kMaxSpaceAmount.
bool ParseSpaceAmount(const QString& text, float* amount, int* unit);

class EditDialogService;

// Asks for the amount with the one-line input, in the language given by its
// code; a text that does not read is said and asked again, the text kept.
// False on Cancel. livePreview: the dialog offers to apply the typed amount
// to the custom space at the caret while it stays open.
bool AskSpaceAmount(EditDialogService& dialogs, const QString& languageCode, float* amount, int* unit,
                    bool livePreview = false);

}  // namespace toliva
