// Which texts an extensible arrow carries and where they go. Measuring and
// drawing both ask this one function, so the box the layout makes and the
// places the drawer puts the texts always agree.
//
//   553-563  one text over the arrow (the first chain);
//   564-574  a text over (the first chain) and one under (the last chain);
//   624-643  outline arrows: two or more chains give the text over and under
//            form (first and last chain); one chain gives a text under the
//            arrow for 634-639 and a text over it for the others.
//
// A chain that a damaged tree lacks is null and counts as an empty text.
#pragma once

#include <cstdint>

namespace toliva {

struct EqElement;

enum class ExtArrowTextForm : uint8_t {
    Over,       // a text over the arrow
    OverUnder,  // a text over and a text under
    Under,      // a text under the arrow (outline arrows only)
};

struct ExtArrowTexts {
    ExtArrowTextForm form = ExtArrowTextForm::Over;
    EqElement* over = nullptr;   // head of the text over the arrow, or null
    EqElement* under = nullptr;  // head of the text under the arrow, or null
};

// The form and text chains of an extensible arrow (types 553-574, 624-643).
ExtArrowTexts ExtArrowTextChains(const EqElement* arrow);

// The least width of the arrow in units of the font size: 1.2 for the
// outline arrows, 0 for the others.
float ExtArrowMinWidthFactor(int32_t type);

}  // namespace toliva
