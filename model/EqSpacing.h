// The slots of the style record's spacing factors (EqLayoutSettings::spacing)
// and the one way layout, drawing and output read them. Lengths are in em of
// the equation's base font size unless the name says scale.
#pragma once

#include "EqElement.h"
#include "EqModel.h"

#include <cstddef>

namespace toliva {

enum SpacingSlot : int {
    SpacingLineGap = 0,               // between the lines of an equation
    SpacingElementGap = 1,            // beside characters and structures
    SpacingItalicToUprightKern = 2,   // an upright character after an italic one
    SpacingUprightToItalicKern = 3,   // an italic character after an upright one
    SpacingNestedFractionScale = 4,   // scale of a fraction's parts inside another fraction
    SpacingAxisShift = 5,             // moves the math axis of the text fonts
    SpacingGlyphMargin = 6,           // taken off the text fonts' margin above and below
    SpacingScriptScale = 7,           // scale of scripts and limits
    SpacingSuperscriptRise = 8,
    SpacingSuperscriptGap = 9,        // before a superscript
    SpacingSubscriptGap = 10,         // before a subscript
    SpacingSubscriptDrop = 11,
    SpacingFractionExtraWidth = 12,   // added to the wider part of a fraction
    SpacingFractionBarGap = 13,       // between the bar and the parts
    SpacingFractionOverhang = 14,     // of the bar beyond the parts
    SpacingRadicalHook = 15,
    SpacingRadicalSignWidth = 16,
    SpacingRadicalTopGap = 17,        // above a radicand or a divisor
    SpacingIntegralSignSize = 18,
    SpacingIntegralUpperGap = 19,     // below the upper limit
    SpacingIntegralUpperShift = 20,   // of the upper limit across
    SpacingIntegralLowerShift = 21,   // of the lower limit across
    SpacingIntegralLowerGap = 22,     // above the lower limit
    SpacingBigOperatorSize = 23,
    SpacingBigOperatorLimitGap = 24,
    SpacingMatrixColumnGap = 25,
    SpacingMatrixRowGap = 26,
    SpacingAccentUnit = 27,
    SpacingAccentStep = 28,           // between stacked accent marks
    SpacingAccentShift = 29,
    SpacingAccentGap = 30,            // between an accent and its base
    SpacingMatrixCellScale = 31,
    SpacingPictureMarginLeft = 32,
    SpacingPictureMarginTop = 33,
    SpacingItalicScriptKern = 34,     // scripts beside an italic character
    SpacingRadicalIndexGap = 35,
    SpacingRadicalIndexRise = 36,
    SpacingOperatorUnit = 37,         // the width unit of drawn operators
    SpacingOperatorGap = 38,
    SpacingIntegralStep = 39,         // between the signs of a multiple integral
    SpacingTextExtra = 40,            // the fonts' extra margin (MetricExtra)
    SpacingBracketStroke = 41,
    SpacingBracketMargin = 42,        // above and below the content
    SpacingBigOperatorGap = 43,
    SpacingIntegralLead = 44,         // before the sign
    SpacingPictureMarginRight = 45,
    SpacingPictureMarginBottom = 46,
    SpacingBracketRoundLimit = 47,    // brackets lower than this are drawn round
    SpacingMatrixOuterMargin = 48,
    SpacingMatrixRulePad = 49,
    SpacingMatrixDash = 50,
    SpacingRuleThickness = 51,        // bars and rules
    SpacingCJKScale = 52,             // em size of CJK characters
    SpacingCJKShift = 53,             // of the CJK text box down
    SpacingScriptWiden = 54,          // characters in scripts are this much wider
    SpacingNestedBracketGrow = 55,    // a lone brace around a matrix grows by this
    SpacingSideLimitOperatorSize = 56,
    SpacingSmallGroupScale = 57,
};

// The factor in the equation's style record; 0 without an equation.
inline float SpacingOf(const EqModel* eq, SpacingSlot slot) {
    return eq ? eq->settings.spacing[size_t(slot)] : 0.0f;
}
// The factor of the element's equation; 0 without an element or equation.
inline float SpacingOf(const EqElement* e, SpacingSlot slot) { return e ? SpacingOf(e->owner, slot) : 0.0f; }

}  // namespace toliva
