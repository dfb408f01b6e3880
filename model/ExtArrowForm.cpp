#include "ExtArrowForm.h"

#include "EqElement.h"
#include "EqTypes.h"

namespace toliva {
namespace {

EqElement* chainAt(const EqElement* e, size_t i) { return i < e->children.size() ? e->children[i] : nullptr; }

}  // namespace

ExtArrowTexts ExtArrowTextChains(const EqElement* arrow) {
    ExtArrowTexts t;
    if (!arrow) return t;
    const size_t n = arrow->children.size();
    EqElement* first = chainAt(arrow, 0);
    EqElement* last = n >= 2 ? arrow->children.back() : nullptr;
    const int32_t type = arrow->type;
    if (IsExtArrowBelowType(type)) {
        t.form = ExtArrowTextForm::OverUnder;
        t.over = first;
        t.under = last;
    } else if (IsExtArrowGlyphType(type)) {
        if (n >= 2) {
            t.form = ExtArrowTextForm::OverUnder;
            t.over = first;
            t.under = last;
        } else if (inRange(type, EqTypeExtArrowGlyphUnderFirst, EqTypeExtArrowGlyphUnderLast)) {
            t.form = ExtArrowTextForm::Under;
            t.under = first;
        } else {
            t.form = ExtArrowTextForm::Over;
            t.over = first;
        }
    } else {
        t.form = ExtArrowTextForm::Over;
        t.over = first;
    }
    return t;
}

float ExtArrowMinWidthFactor(int32_t type) { return IsExtArrowGlyphType(type) ? 1.2f : 0.0f; }

}  // namespace toliva
