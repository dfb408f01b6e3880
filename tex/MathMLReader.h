// The MathML reader: MathML presentation markup (from the clipboard or a
// dropped data object) as a new equation.
//
// Every "math" element of the document, at any depth, becomes one line.
// Elements the reader does not know are transparent (their children are read
// in their place) and content it cannot map falls back to plain characters.
// The reader builds a new equation and never touches the caller's: a caller
// that replaces or extends an equation swaps the result in when it is ok.
#pragma once

#include "model/EqModel.h"

#include <QString>

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

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

struct MathMLReadResult {
    // Null when nothing converted.
    std::unique_ptr<EqModel> equation;
    // True when an equation was built (it may still have lost parts: see
    // message).
    bool ok = false;
    // Why nothing converted, or which parts were left out; empty when the
    // whole text converted.
    QString message;
};

// Nesting deeper than this is left out (and reported).
constexpr int kMaxMathMLDepth = 200;
// Tables are cut to this many rows and columns (and the cut reported).
constexpr int kMaxMathMLTableSize = 255;

// Parses the buffer (UTF-8 or UTF-16; the parser detects which) and converts
// it. Nothing is built when the buffer does not parse, holds no "math"
// element, or converts to an empty equation. The first form builds the
// equation with the per-user default style, the second with the given one.
MathMLReadResult ReadMathML(MathMLReader& reader, const void* data, size_t size);
MathMLReadResult ReadMathML(MathMLReader& reader, const void* data, size_t size, const EqLayoutSettings& style);
// Deletes the parsed document, if any.
void FreeMathMLDocument(MathMLReader& reader);

// Converts every "math" element under node (node included, then its
// following siblings) into a new line of eq. Returns what was left out, as
// for MathMLReadResult::message.
QString ReadMathMLTree(pugi::xml_node node, EqModel* eq);

// Reads node after the element after (a chain head at the start of a chain)
// and, with cont, the siblings that follow it. Returns the last element
// built (after itself when nothing was).
EqElement* ReadMathMLElement(pugi::xml_node node, EqElement* after, EqModel* eq, bool cont);

// The element name without "mml:" and "m:", without spaces, in lower case.
QString MathMLNodeName(pugi::xml_node node);
// The attribute's value; else, with inherit, the value of the same attribute
// on the first child element that has it; else the default.
QString MathMLAttribute(pugi::xml_node node, const char* name, const QString& fallback = QString(),
                        bool inherit = false);
// 1 for "true", 2 for "false", 0 for a missing or any other value.
int MathMLBoolAttribute(pugi::xml_node node, const char* name);
// The number of child elements.
int MathMLChildCount(pugi::xml_node node);
// The text of a token: its direct text children, look-alike characters
// replaced, surrounding white space removed and inner runs of white space
// collapsed to one blank.
std::u16string MathMLTokenText(pugi::xml_node node);

// The delimiter code of a bracket character on the opening or closing side
// (0 for a character that is no delimiter).
uint8_t DelimiterCode(char16_t c, bool closing);

}  // namespace toliva
