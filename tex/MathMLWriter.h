// The MathML writer: an equation as a MathML presentation document.
//
// Every line is written into one "math" root, one after the other. The text
// is built here; putting it on the clipboard is the copy command's business.
// Characters that need escaping are written as numeric character references
// (&#60;), never as named entities.
#pragma once

#include <QString>

#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <string>

namespace toliva {

class EqModel;
struct EqElement;

// Collects the serialised document (UTF-8 bytes).
class xml_string_writer : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override;
    std::string result;
};

// Appends the MathML of e to parent and, with cont, of every element after
// it in its chain. Writing a chain means calling this on its head.
void WriteMathMLChain(const EqElement* e, pugi::xml_node parent, bool cont);

// The whole equation as a MathML document: an XML declaration and a "math"
// root in the MathML namespace. saveFlags are pugixml format flags; the
// default is the library's own (declaration, tab indentation).
QString EquationToMathML(const EqModel* eq, unsigned int saveFlags = pugi::format_default);

// Where a glyph symbol has no character of its own in the writer's tables,
// this gives the character the symbol library records for a 1-based glyph
// index (0 when it has none). Unset, such symbols fall back to the character
// recorded in the element's own outline copy, else an empty token.
using GlyphCharProvider = std::function<uint16_t(int glyphIndex)>;
void SetMathMLGlyphCharProvider(GlyphCharProvider provider);

}  // namespace toliva
