// TeX typed into the sheet: with TeX typing on, a command is typed as a run
// of type-5 characters (sheet/editing/AutoFormat.h) and Enter turns the run
// into the structure it describes. Also the texts the prompt bar's
// candidates insert, and where Enter makes a new array cell.
#pragma once

#include "model/EqElement.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace toliva {

class EqModel;
struct TeXReadContext;

// A run of neighbouring type-5 characters in one chain, first to last.
struct TypedRun {
    EqElement* first = nullptr;
    EqElement* last = nullptr;
    bool empty() const { return !first; }
};

// The whole run of type-5 characters that holds e; empty when e is no type-5
// character.
TypedRun TypedRunAround(EqElement* e);
// The run's characters as text.
QString TypedRunText(const TypedRun& run);

// The typed command that ends at caret: the type-5 characters from the
// nearest backslash going back from caret (caret included) up to caret. Its
// first element is that backslash; empty when the caret is no type-5
// character or no backslash comes before it within the run.
TypedRun TypedCommandAt(EqElement* caret);
// The text the prompt bar is shown for a caret: the type-5 characters up to
// caret, back to and including the nearest backslash (all of them when there
// is none). Empty when the caret is no type-5 character.
QString TypedCommandText(EqElement* caret);

// What converting the typed run at the caret came to.
struct TypedTeXOutcome {
    enum Result {
        NoRun,       // the caret is no type-5 character, or the text is empty
        Converted,   // the run was replaced by what the text describes
        NotRead,     // the run stays as typed; report says why
    };
    Result result = NoRun;
    QString text;        // the LaTeX text that was read
    QStringList report;  // for NotRead: what the reader did not understand
};

// Reads the run of type-5 characters around the caret as LaTeX (one leading
// "$" dropped) into a scratch equation with eq's style. Only when the text
// reads cleanly (a formula came out, nothing unknown, no problem) is the run
// replaced: expand (may be empty) runs on the scratch equation first, its
// elements that have the reader's default colour take the colour the run was
// typed in (eq's current colour), and its lines go in place of the run (in a
// structure's argument one after another; at the top level the first one in
// place and each further one as a new line, the rest of the line after the
// run following the last). The caret goes after the last element placed.
// Otherwise nothing changes.
TypedTeXOutcome ConvertTypedTeXAt(EqModel* eq, const TeXReadContext& context,
                                  const std::function<void(EqModel*)>& expand = nullptr);

// The suffix a prompt-bar candidate of kind 1 to 5 types after its command
// ("{}", "{em}", "{mu}", " mu", " em") and how many places the caret then
// goes back into it. False for other kinds.
bool TeXCandidateSuffix(int kind, QString* suffix, int* caretBack);

// A matrix template: bit 0x1000 with the columns in bits 0-3, the rows in
// bits 4-7 (both at least 1) and the style in bits 8-11; nothing above bit
// 12. Style 1 round, 2 square, 3 curly, 4 bars, 5 double bars, 6 an open
// curly brace on the left, 7 one on the right, 8 cases, else no brackets.
// The one test of a template code for the prompt bar, its previews and
// whatever inserts a template.
constexpr int kMatrixTemplateBit = 0x1000;
constexpr bool IsMatrixTemplateCode(int kind) {
    return (kind & ~0x1FFF) == 0 && (kind & kMatrixTemplateBit) != 0 && (kind & 0x0F) >= 1 &&
           ((kind >> 4) & 0x0F) >= 1;
}
constexpr int MatrixTemplateCode(int style, int rows, int columns) {
    return kMatrixTemplateBit | ((style & 0x0F) << 8) | ((rows & 0x0F) << 4) | (columns & 0x0F);
}

// The LaTeX of a matrix template, without the backslash of its first command
// (it follows the backslash already typed): the opening of the style, one
// line per row (a tab, then "&" and a tab per further column, then "\\"),
// the closing. Returns how many characters from the end the caret goes back
// to stand after the first tab, in the first cell.
int MatrixTemplateLaTeX(int kind, QString* text);


}  // namespace toliva
