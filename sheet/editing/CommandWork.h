// The tree and record work behind the small commands of the dispatcher:
// the typing-style toggles, the base font size, line alignment, the
// settings files (defaults and themes), the office LaTeX text and the find
// text of a selection. No window here: the sheet calls these and refreshes.
#pragma once

#include "model/EqLayoutSettings.h"
#include "tex/TeXContext.h"

#include <QString>

#include <functional>

namespace toliva {

class EqModel;
struct EqElement;
struct EqNotes;
struct SheetSelection;

// ---- typing style

// Bold: 1 -> 3, 2 -> 4, 3 -> 1, 4 -> 2; italic: 1 -> 2, 2 -> 1, 3 -> 4,
// 4 -> 3. Any other type (16, 17) comes back unchanged.
int BoldToggledType(int type);
int ItalicToggledType(int type);

// ---- base font size

constexpr float kMinBaseFontSize = 4.0f;
constexpr float kMaxBaseFontSize = 36.0f;

// The size as the dialog shows it ("%g").
QString FontSizeText(float size);
// The typed text as a size; false for a text that is no finite number
// (blanks around it are allowed).
bool ParseFontSizeText(const QString& text, float* size);
// The base size clamped to 4 .. 36; the second size at most a third of it.
void ApplyBaseFontSize(EqLayoutSettings& s, float size);

// The office document's font size, WordCmds "DocEnvSize" (a string; a DWORD
// stored there reads too), as the equation's base size: a decimal number
// above 2 becomes the base size, at most 36, and the second size keeps its
// ratio to the base (left alone when the old base is 0 or not finite). The
// equation is marked for a new layout. defaultText stands in when the value
// is missing or the key cannot be opened. False, with nothing changed, for 2
// or less or a text that is no number.
bool ApplyDocEnvSize(EqModel* eq, const QString& defaultText);

// ---- line alignment

// Alignments: 0 left, 1 centre, 2 right, 3 at the mark; 26 sets the mark on
// the reference element first and then aligns at the mark.
constexpr int kAlignSetMark = 26;

// A matrix keeps its alignment in the low four bits of its flag word, with
// its own numbering: left 1, centre 0, right 2, at the mark 3.
int MatrixAlignmentBits(int alignment);

struct LineAlignmentChange {
    bool applied = false;         // false: no caret, or an alignment not named above
    EqElement* matrix = nullptr;  // the matrix that took it; null: the equation did
    int value = 0;                // the alignment stored (0 to 3)
};

// Moves a caret inside a calculation result to the result, takes the
// element after the caret (at a chain's end the chain's head) as the
// reference, and stores the alignment in the reference's matrix, or, when
// its parent is no matrix, in option byte 7 of the equation's style.
LineAlignmentChange ApplyLineAlignment(EqModel* eq, int alignment);

// ---- settings files ("KwELayout.dat" and the theme files)

// Reads a record file into s; when the file cannot be read s takes the
// built-in defaults. When s is the style of eq, eq's fonts are set up
// from it afterwards. What the read reports goes to notes. Returns whether
// the file was read.
bool ReadSettingsOrDefaults(EqModel* eq, const QString& path, EqLayoutSettings& s, EqNotes* notes);
// Reads the record of a defaults file (or the built-in defaults when it
// cannot be read), lets change alter it and writes it back. False when it
// could not be written.
bool UpdateSettingsFile(const QString& path, const std::function<void(EqLayoutSettings&)>& change,
                        EqNotes* notes);

// ---- text for the office add-in and the find dialog

// The whole equation as LaTeX for an office document: display or inline
// delimiters, in TeX style ($$, $) or, when delimCode is above 1, in LaTeX
// style (\[, \(); every line feed removed. Empty for an empty equation.
QString OfficeLaTeXText(const EqModel& eq, TeXWriteContext context, bool display, int delimCode);

// The characters of the first run of character elements in the selection.
QString FirstCharacterRun(const SheetSelection& selection);

}  // namespace toliva
