#include "model/ShapeOperator.h"

#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "model/EqTypes.h"
#include "model/RenderContext.h"
#include "model/SymbolLibrary.h"
#include "platform/gdiplus/Graphics.h"

#include <algorithm>

namespace toliva {

namespace {

constexpr int32_t kNegatedEqualsType = 1284;
constexpr int32_t kNotEqualType = 1055;
constexpr int32_t kMinusType = 1043;
constexpr float kUnaryMinusFactor = 0.62f;

}  // namespace

bool StartsUnaryContext(const EqElement* p) {
    if (!p) return false;
    return p->type == EqTypeChainHead || IsPunctuationElement(p) || IsSpaceElement(p) || IsGlyphSymbolOperator(p) ||
           IsArrowSymbolType(p) || IsExtArrowType(p);
}

CKwEE_O_Operator::CKwEE_O_Operator() = default;

CKwEE_O_Operator::CKwEE_O_Operator(const OperatorDrawRecord* t, int count)
    : table(t), tableCount(t ? count : 0), m_ownTable(true) {}

const OperatorDrawRecord* CKwEE_O_Operator::record() const {
    return FindOperatorRecord(table, tableCount, recordIndex);
}

void CKwEE_O_Operator::Layout(EqElement* e, gp::Graphics* graphics, float s, uint8_t flag) {
    CKwEE_O::Layout(e, graphics, s, flag);
    if (!e || !e->owner) return;
    if (!m_ownTable) {
        const SymbolLibrary* library = PassSymbols(e);
        table = library ? library->operators.get() : nullptr;
        tableCount = table ? library->operatorCount : 0;
    }
    const EqLayoutSettings& st = e->owner->settings;

    if (e->type == kNegatedEqualsType) {
        e->type = kNotEqualType;
        e->ch = kNegatedOperatorChar;
    }
    recordIndex = e->type - kFirstOperatorType;
    strokeWidth = SpacingOf(e, SpacingRuleThickness) * size;

    // An operator missing from the table takes no width of its own and the
    // height of its reference; it draws nothing.
    const OperatorDrawRecord* r = record();
    const float widthFactor = r ? r->widthFactor : 0.0f;
    const float heightFactor = r ? r->heightFactor : 1.0f;
    const int spacingClass = r ? r->spacingClass() : 0;

    const EqElement* ref = e->prev ? FindPlainCharBack(e->prev) : nullptr;
    e->ascent = ref ? heightFactor * ref->ascent : 0.0f;
    e->descent = ref ? heightFactor * ref->descent : 0.0f;

    unit = widthFactor * SpacingOf(e, SpacingOperatorUnit) * size;
    if (e->type == kMinusType && e->prev && e->next && st.options[9] != 0 && StartsUnaryContext(e->prev))
        unit *= kUnaryMinusFactor;

    // The negation slash is measured in units of the operator's width and
    // stands about the baseline: a wide relation or a short neighbour must
    // not leave its ends outside the box (and outside the picture).
    if (e->ch == kNegatedOperatorChar && r) {
        const float reach = OperatorNegationReach(recordIndex) * unit + strokeWidth / 2;
        e->ascent = std::max(e->ascent, reach);
        e->descent = std::max(e->descent, reach);
    }

    const bool wideClass = spacingClass == 0 || spacingClass == 2;
    auto gapBeside = [&](const EqElement* neighbour) {
        float gap = SpacingOf(e, SpacingOperatorGap) + SpacingOf(e, SpacingElementGap) + 0.05f;
        if (!IsOperatorType(neighbour) && wideClass) gap += 0.12f;
        return gap * size;
    };
    const float leftGap = (!e->prev || e->prev->type == EqTypeChainHead) ? 0.0f : gapBeside(e->prev);
    const float rightGap = e->next ? gapBeside(e->next) : 0.0f;
    e->xOffset = leftGap;
    e->width = leftGap + unit + rightGap;

    colour = GetElementDrawColour(e, 7);
}

void CKwEE_O_Operator::Draw(gp::Graphics* graphics, float x, float y, uint8_t) {
    EqElement* e = element;
    if (!e || !graphics || !e->owner) return;
    centreX = x + e->xOffset + unit / 2;
    baselineY = y;
    const OperatorDrawRecord* r = record();
    if (!r) return;

    OperatorFrame frame;
    frame.centreX = centreX;
    frame.baselineY = baselineY;
    frame.unit = unit;
    frame.strokeWidth = strokeWidth;
    frame.colour = colour;
    const bool negated = e->ch == kNegatedOperatorChar;
    const float equationAxis = e->owner->fontMetrics[MetricAxisOffset];
    // A narrowed unit (the unary minus) makes the operator narrower, not lower:
    // the record's heights keep the full unit, so the bar stays where the
    // binary minus has it.
    const float fullUnit = r->widthFactor * SpacingOf(e, SpacingOperatorUnit) * size;
    if (unit > 0 && fullUnit > 0 && unit != fullUnit) {
        OperatorDrawRecord narrowed = *r;
        const float keep = fullUnit / unit;
        for (OperatorPrimitive& p : narrowed.primitives) {
            p.y *= keep;
            if (p.kind == OpPrimLine) p.sy *= keep;
        }
        frame.axisOffset = OperatorAxisOffset(narrowed, equationAxis, size, strokeWidth);
        DrawOperatorRecord(narrowed, frame, *graphics);
        if (negated) DrawOperatorNegation(recordIndex, frame, *graphics);
    } else {
        DrawOperatorFromTable(table, tableCount, recordIndex, frame, equationAxis, size, negated, *graphics);
    }
    axisOffset = negated ? 0.0f : OperatorAxisOffset(*r, equationAxis, size, strokeWidth);
}

}  // namespace toliva
