// Builds element trees in code, for tests and tools:
//
//     EqBuilder b(&eq);
//     EqElement* line = b.line();
//     b.text(line, u"x+1", EqTypeCharItalic);
//     EqElement* frac = b.add(line, EqTypeFraction, 2);
//     b.text(b.arg(frac, 0), u"a");
//
// Every element is appended at the end of the chain it is added to.
#pragma once

#include "EqElement.h"

#include <string_view>

namespace toliva {

class EqModel;

class EqBuilder {
public:
    explicit EqBuilder(EqModel* eq) : m_eq(eq) {}

    // Appends an empty line to the equation and returns its head.
    EqElement* line();
    // Appends an element with nChildren empty child chains to chain (any
    // element of it) and returns it.
    EqElement* add(EqElement* chain, int32_t type, int nChildren = 0, uint16_t ch = 0);
    // Appends one character element per UTF-16 code unit; returns the last.
    EqElement* text(EqElement* chain, std::u16string_view s, int32_t type = EqTypeCharUpright);
    // The head of child chain i of e.
    static EqElement* arg(const EqElement* e, int i) { return e->children.at(size_t(i)); }

private:
    EqModel* m_eq;
};

}  // namespace toliva
