// MathML: reading MathML presentation markup (from the clipboard or a dropped
// data object) as a new equation, and writing an equation as a MathML
// document. The writer's symbol library comes in a context (tex/TeXContext.h).
//
// Every "math" element of a read document, at any depth, becomes one line.
// Elements the reader does not know are transparent (their children are read
// in their place) and content it cannot map falls back to plain characters.
// The reader builds a new equation and never touches the caller's: a caller
// that replaces or extends an equation swaps the result in when it is ok.
#pragma once

#include "model/EqModel.h"
#include "tex/TeXContext.h"

#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <cstddef>
#include <memory>
#include <vector>

namespace toliva {

// Reader state: the parsed document of the last read, kept until the next
// read or FreeMathMLDocument.
class MathMLReader {
public:
    MathMLReader();
    ~MathMLReader();
    MathMLReader(const MathMLReader&) = delete;
    MathMLReader& operator=(const MathMLReader&) = delete;

    // The document of the last read; null when there is none.
    pugi::xml_document* document() const { return m_document.get(); }
    // Deletes the previous document and starts an empty one.
    pugi::xml_document& newDocument();
    void freeDocument() { m_document.reset(); }

private:
    std::unique_ptr<pugi::xml_document> m_document;
};

// Something read otherwise than written, and where: an offset into the
// text as parsed (UTF-8 bytes for UTF-8 text), -1 when not known.
struct MathMLReadProblem {
    QString message;
    qlonglong position = -1;
};

struct MathMLReadResult {
    // Null when nothing converted.
    std::unique_ptr<EqModel> equation;
    // True when an equation was built (it may still have lost parts: see
    // message).
    bool ok = false;
    // True when a limit below was reached: with ok, reading stopped at the
    // element or text budget and what was read before it is kept (as the
    // LaTeX reader keeps the tokens within its cap); without ok, the text
    // was larger than the input limit and was not read. The message names
    // the limit and its size.
    bool overflow = false;
    // Why nothing converted, or which parts were left out; empty when the
    // whole text converted.
    QString message;
    // What was read otherwise than written, in the order met: elements the
    // reader does not know, read as their content (each name once), and the
    // labels of numbered rows, which are left out.
    std::vector<MathMLReadProblem> problems;
};

// What the reader did not understand, for the user: the message, then one
// line per problem in the order of the text, each beginning with where it
// stands ("byte N: "). Empty when the text read cleanly.
QStringList MathMLReadReport(const MathMLReadResult& result);

// Nesting deeper than this is left out (and reported).
constexpr int kMaxMathMLDepth = 200;
// Tables are cut to this many rows and columns (and the cut reported).
constexpr int kMaxMathMLTableSize = 255;
// A text longer than this many bytes is not read at all (overflow).
constexpr size_t kMaxMathMLInputSize = size_t(16) << 20;
// Reading stops once the equation holds this many elements, counting every
// character, structure and chain (the empty cells a table is padded with
// too); the structures being read are completed. A table that does not fit
// is left out whole.
constexpr int kMaxMathMLElements = 1 << 18;
// Reading stops once this many characters of token text (mi, mn, mo, mtext,
// ...) were read, counted as written, white space included; the token that
// reaches the budget keeps its first characters.
constexpr int kMaxMathMLText = 1 << 20;

// Parses the buffer (UTF-8 or UTF-16; the parser detects which) and converts
// it. Nothing is built when the buffer is larger than kMaxMathMLInputSize,
// does not parse, holds no "math" element, or converts to an empty equation. The first form builds the
// equation with the per-user default style, the second with the given one.
MathMLReadResult ReadMathML(MathMLReader& reader, const void* data, size_t size);
MathMLReadResult ReadMathML(MathMLReader& reader, const void* data, size_t size, const EqLayoutSettings& style);
// Deletes the parsed document, if any.
void FreeMathMLDocument(MathMLReader& reader);

// The whole equation as a MathML document: an XML declaration and a "math"
// root in the MathML namespace. saveFlags are pugixml format flags; the
// default is the library's own (declaration, tab indentation). Every line is
// written into the one root, one after the other; characters that need
// escaping are written as numeric character references (&#60;), never as
// named entities.
QString EquationToMathML(const EqModel& eq, const TeXWriteContext& context,
                         unsigned int saveFlags = pugi::format_default);

}  // namespace toliva
