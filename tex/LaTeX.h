// LaTeX: reading LaTeX text into an equation and writing an equation as
// LaTeX. The name table and the options come in a context (tex/TeXContext.h).
//
// Reading: a text is split into math segments at the math delimiters ($...$,
// $$...$$, \(...\), \[...\]; a text without them is one segment). Each segment is cut
// into a tree of tokens, the tree passes pair \left/\right and
// \begin/\end and split environments into rows and cells, and the builder
// turns the tokens into elements. Every segment that converts appends its
// line (or lines, at "\\" outside environments) to the equation.
//
// Reading clears the equation first. Callers that must not lose what the
// equation held read into a scratch equation and take it over only when the
// result says so (ReadLaTeXInto does exactly that).
#pragma once

#include "model/EqNotes.h"
#include "tex/TeXContext.h"

#include <QString>
#include <QList>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace toliva {

class EqModel;
struct EqElement;

// Something read otherwise than written, and where: an offset into the text.
struct LaTeXReadProblem {
    QString message;
    int position = -1;
};

// What happened to one text. ok tells whether the equation received at least
// one line; error and overflow may be set together with ok when only some
// segments failed or were cut.
struct LaTeXReadResult {
    bool ok = false;
    bool error = false;     // a segment could not be converted and added nothing
    bool overflow = false;  // a segment had more tokens than the cap; its rest was dropped
    QString message;        // the first problem, for the caller to show; empty when none
    int position = -1;      // offset into the text of that problem, -1 when none
    int segments = 0;       // math segments found
    int converted = 0;      // segments that added lines
    // What the reader did not know, each once: "\name" of a command kept
    // as its name's letters (or, inside \text, as its characters), "{name}"
    // of an environment read as its content.
    QStringList unknown;
    // Where each entry of unknown was first met (an offset into the text),
    // one per entry; -1 when not known.
    QList<int> unknownPositions;
    // Every problem, in the order met: each segment that failed or was cut
    // at the token cap, and what was read otherwise than written (a "{"
    // without its "}" kept as a character).
    std::vector<LaTeXReadProblem> problems;
    // For the caller to show (NoteText): the formula-cut note when overflow
    // is set, once per text.
    EqNotes notes;
};

// At most this many tokens are made of one segment; the rest is dropped.
constexpr int kLaTeXTokenCap = 4096;
// Groups nested deeper than this make the segment fail, as do structures
// nested twice as deep through arguments without braces ("x^^^...").
constexpr int kLaTeXMaxNesting = 200;
// Matrices with more rows or columns than this make the segment fail.
constexpr int kLaTeXMaxMatrixCount = 255;

// Clears eq and reads text into it. Returns true when the equation received
// at least one line; otherwise eq is left with one empty line. When a segment
// was cut at the token cap, the result's notes hold the formula-cut note once.
bool ReadLaTeXDocument(const QString& text, EqModel* eq, const TeXReadContext& context,
                       LaTeXReadResult* result = nullptr);

// Reads text into a scratch equation with eq's style and, when something
// came out, exchanges it with eq. When nothing converted, or the text holds
// nothing to show, eq is left as it was and the result says why.
LaTeXReadResult ReadLaTeXInto(const QString& text, EqModel* eq, const TeXReadContext& context);

// What the reader did not understand in text, for the user: one line per
// problem and per unknown name, in the order of the text, each beginning
// with where it stands ("line:column: "). Empty when the text read cleanly
// (nothing unknown, no problem, and a formula came out).
QStringList LaTeXReadReport(const LaTeXReadResult& result, QStringView text);

// The equation as LaTeX text: its lines, separated by "\\" on a line of its
// own, between the delimiters the context names. An empty equation gives the
// delimiters alone; a caller that must not copy an empty equation asks
// IsEquationEmpty first.
QString EquationToLaTeX(const EqModel& eq, const TeXWriteContext& context);

// The LaTeX text of one character or space element on its own, as the writer
// makes it before it joins neighbours into runs: a command name with its
// trailing blank ("\alpha "), an escaped character, or the character itself.
QString LaTeXCharacterText(const EqElement* e, const TeXWriteContext& context);

}  // namespace toliva
