// The MathML reader's tree walk and node helpers.
#pragma once

#include "TeXInternal.h"

#include "tex/MathML.h"

#include <QString>

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace toliva {

// Converts every "math" element under node (node included, then its
// following siblings) into a new line of eq, until the element or text
// budget is reached (then *overflow is set). Returns what was left out, as
// for MathMLReadResult::message.
QString ReadMathMLTree(pugi::xml_node node, EqModel* eq, bool* overflow = nullptr,
                       std::vector<MathMLReadProblem>* problems = nullptr);

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
