// What the LaTeX and MathML converters need from the program, passed in by
// the caller on every call: the TeX name table, the symbol library and the
// delimiter options. The converters keep no state of their own between calls.
#pragma once

#include <QStringList>

namespace toliva {

class CTeXCode;
class SymbolLibrary;

// LaTeX delimiters around a written equation.
enum LaTeXDelimiters : int {
    LaTeXDisplayDollars = 0,  // $$ ... $$
    LaTeXInlineDollar = 1,    // $ ... $
    LaTeXDisplayBracket = 2,  // \[ ... \]
    LaTeXInlineParen = 3,     // \( ... \)
    LaTeXNoDelimiters = 4,
};

// The writers' context.
struct TeXWriteContext {
    // Command names of operators, characters and glyph symbols; without a
    // table only the names the writer knows by itself are written.
    CTeXCode* names = nullptr;
    // The characters of glyph symbols that have none of their own in the
    // MathML writer's tables; without a library such symbols fall back to the
    // character recorded in the element's own outline copy.
    const SymbolLibrary* symbols = nullptr;
    // The delimiters of EquationToLaTeX (LaTeXDelimiters) and whether a line
    // feed follows the opening and precedes the closing one.
    int delimiters = LaTeXDisplayDollars;
    bool delimiterLineFeeds = false;
};

// The readers' context.
struct TeXReadContext {
    // Command names the LaTeX reader looks up; without a table only the
    // names the reader knows by itself are read.
    CTeXCode* names = nullptr;
    // The TeX labels that the user gave to stored formulas, in item order: a
    // command that equals a label becomes a reference to that item (type 65,
    // ch = the label's index).
    QStringList labels;
};

}  // namespace toliva
