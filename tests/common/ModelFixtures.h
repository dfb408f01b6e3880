// Equation fixtures shared by the tests, the benchmarks and the fuzz targets
// (header only, so each of them can use it with the model library alone).
#pragma once

#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"

#include <cstdint>
#include <string>

namespace toliva::test {

// One line of a typical formula, y_k = a x^2 + b/(c + sqrt(d)) - 12.5, about
// 25 elements; the benchmarks build their equations of it.
inline void addSampleLine(EqBuilder& b, int k) {
    EqElement* line = b.line();
    b.text(line, u"y", EqTypeCharItalic);
    EqElement* sub = b.add(line, 174, 1);
    b.text(EqBuilder::arg(sub, 0), k % 2 ? u"k" : u"n", EqTypeCharItalic);
    b.text(line, u"=ax", EqTypeCharItalic);
    EqElement* sup = b.add(line, 173, 1);
    b.text(EqBuilder::arg(sup, 0), u"2");
    b.text(line, u"+");
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"b", EqTypeCharItalic);
    EqElement* den = EqBuilder::arg(frac, 1);
    b.text(den, u"c+", EqTypeCharItalic);
    EqElement* root = b.add(den, 136, 1);
    b.text(EqBuilder::arg(root, 0), u"d", EqTypeCharItalic);
    b.text(line, u"-12.5");
}

// The built-in style, independent of any defaults file.
inline EqLayoutSettings builtInStyle() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

// The built-in style at 40 pixels (minimum 10): enough pixels to see a stray
// stroke in a picture.
inline EqLayoutSettings largeStyle() {
    EqLayoutSettings s = builtInStyle();
    s.fontSize = 40;
    s.size2 = 10;
    return s;
}

// Appends an element after pred in pred's chain.
inline EqElement* append(EqElement* pred, int32_t type, uint16_t ch = 0) {
    return NewChildElement(pred->parent, type, ch, pred);
}

// The elements of child chains 0 to chains - 1 of e (heads left out) whose
// drawn boxes stick out of box by more than tol, as text for the failure
// message; empty when there are none.
inline std::string elementsOutside(const EqElement* e, int chains, const gp::RectF& box, float tol) {
    std::string out;
    for (int i = 0; i < chains && size_t(i) < e->children.size(); ++i) {
        for (const EqElement* c = e->children[size_t(i)]->next; c; c = c->next) {
            const gp::RectF& r = c->rect;
            if (r.x < box.x - tol || r.right() > box.right() + tol || r.y < box.y - tol ||
                r.bottom() > box.bottom() + tol)
                out += " chain " + std::to_string(i) + " type " + std::to_string(c->type);
        }
    }
    return out;
}

}  // namespace toliva::test
