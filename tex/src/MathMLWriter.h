// The MathML writer's chain walk (EquationToMathML in tex/MathML.h writes a
// whole equation).
#pragma once

#include "TeXInternal.h"

#include "tex/TeXContext.h"

#include <pugixml.hpp>

#include <string>

namespace toliva {

struct EqElement;

// Collects the serialised document (UTF-8 bytes).
class xml_string_writer : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override;
    std::string result;
};

// Appends the MathML of e to parent and, with cont, of every element after
// it in its chain. Writing a chain means calling this on its head.
// Glyph symbols without a character of their own in the writer's tables take
// the character recorded in the element's outline copy, else the one the
// context's symbol library records.
void WriteMathMLChain(const TeXWriteContext& context, const EqElement* e, pugi::xml_node parent, bool cont);

}  // namespace toliva
