// Measurers of fractions, stacks, arc marks, radicals and small groups.
#include "EqMeasure.h"
#include "EqMeasureInternal.h"

#include <cmath>

namespace toliva {

using namespace measure;

namespace {

// The scale of a fraction's parts: 0.8 (spacing 4) of the scale inside
// another fraction, never below the minimum scale.
float fractionPartScale(const EqElement* e, float s) {
    const float scale = HasFractionAncestor(e) ? s * SpacingOf(e, SpacingNestedFractionScale) : s;
    return std::max(scale, minScale(e));
}

// Box of a fraction bar with its parts (128, and 132 with S for S').
void fractionBox(EqElement* e, const ChainBox& num, const ChainBox& den, float S2) {
    const float a = (SpacingOf(e, SpacingFractionBarGap) + 0.1f) * S2 / 2;
    float ascent = a + num.height();
    float descent = a + den.height();
    if (ascent > 1.125f * S2) ascent -= 0.025f * S2;
    if (descent > 1.125f * S2) descent -= 0.025f * S2;
    float p = SpacingOf(e, SpacingFractionExtraWidth);
    const float side = SpacingOf(e, SpacingFractionOverhang) / 2 + SpacingOf(e, SpacingElementGap);
    if (noPrevOrNotHead(e)) p += side;
    if (e->next) p += side;
    setBox(e, std::max(num.width, den.width) + S2 * p, ascent, descent, a);
}

bool isCompactGroup(int32_t t) { return IsCompactGroupType(t); }

// Room beside a radical or small group (sizes in S' of the group).
float radicalSideSpace(const EqElement* e, float S2) {
    float w = 0;
    if (prevNotHead(e)) {
        w += SpacingOf(e, SpacingElementGap) * S2 / 2;
        if (IsCharType(prevSkipped(e))) w += 0.05f * S2;
    }
    if (nextIs(e, IsCharType)) w += SpacingOf(e, SpacingElementGap) * S2 / 2 + 0.15f * S2;
    return w;
}

}  // namespace

void MeasureFraction(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float ps = fractionPartScale(e, s);
    const ChainBox num = layChild(e, 0, g, ps, flag);
    const ChainBox den = layChild(e, 1, g, ps, flag);
    fractionBox(e, num, den, baseSize(e) * ps);
}

void MeasureSmallFraction(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float ps = scriptScale(e, s);
    const ChainBox num = layChild(e, 0, g, ps, 1);
    const ChainBox den = layChild(e, 1, g, ps, 1);
    fractionBox(e, num, den, baseSize(e) * s);
}

void MeasureBevelledFraction(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float ps = fractionPartScale(e, s);
    const float S2 = baseSize(e) * ps;
    const ChainBox num = layChild(e, 0, g, ps, flag);
    const ChainBox den = layChild(e, 1, g, ps, flag);
    const float ascent = num.height() - 0.25f * S2;
    const float descent = den.height() - 0.25f * S2;
    // The slash crosses the baseline S'/8 after the numerator and leans 0.618
    // of the height to each side of it, its ends pulled in by two rules and
    // rounded by half a rule. A part much taller than the other one makes it
    // reach past the other part's side: the box takes it in, on the left by
    // moving the parts right (xOffset).
    const float rule = SpacingOf(e, SpacingRuleThickness) * S2;
    const float crossing = num.width + S2 / 8;
    const float slashRight = crossing + 0.618f * ascent - 1.5f * rule;
    const float slashLeft = crossing - 0.618f * descent + 1.5f * rule;
    const float shift = std::max(0.0f, -slashLeft);
    float w = shift + std::max(0.25f * S2 + num.width + den.width, slashRight);
    const float side = (SpacingOf(e, SpacingElementGap) + 0.1f) * S2;
    if (prevNotHead(e)) w += side;
    if (e->next) w += side;
    setBox(e, w, ascent, descent, shift);
}

void MeasureSlashFraction(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float ps = fractionPartScale(e, s);
    const float S2 = baseSize(e) * ps;
    const ChainBox num = layChild(e, 0, g, ps, flag);
    const ChainBox den = layChild(e, 1, g, ps, flag);
    const float ascent = std::max(num.ascent, den.ascent) + ps;
    const float descent = std::max(num.descent, den.descent) + ps;
    float w = 0.35f * (ascent + descent) + num.width + den.width + 0.1f * S2;
    if (noPrevOrNotHead(e)) w += SpacingOf(e, SpacingElementGap) * S2;
    if (e->next) w += SpacingOf(e, SpacingElementGap) * S2;
    setBox(e, w, ascent, descent);
}

void MeasureLongDivision(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const ChainBox c1 = layChild(e, 0, g, s, flag);
    const ChainBox c2 = layChild(e, 1, g, s, flag);
    const ChainBox c3 = layChild(e, 2, g, s, flag);
    float w = S + std::max(c1.width, c3.width) + c2.width;
    if (noPrevOrNotHead(e)) w += 0.1f * S;
    if (e->next) w += 0.1f * S;
    setBox(e, w, c2.ascent + c3.ascent + c3.descent + SpacingOf(e, SpacingRadicalTopGap) * S,
           0.05f * S + std::max(c2.descent, c1.ascent + c1.descent - c2.ascent));
}

void MeasureStack(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const ChainBox c1 = layChild(e, 0, g, s, flag);
    const ChainBox c2 = layChild(e, 1, g, s, flag);
    float w = c1.width;
    if (prevIs(e, isCompactGroup)) w -= 0.048f * S;
    if (nextIs(e, isCompactGroup)) w -= 0.048f * S;
    if (e->type == EqTypeStackOver)
        setBox(e, w, c2.height() + c1.ascent, c1.descent);
    else
        setBox(e, w, c1.ascent, c2.height() + c1.descent);
}

void MeasureArcMark(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    layChild(e, 0, g, s, flag);
    const EqElement* p = prevSkipped(e);
    // A previous box with a negative extent would close the arcs' circle.
    const float a = p ? std::max(p->ascent, 0.0f) : 0.5f * S;
    const float d = p ? std::max(p->descent, 0.0f) : 0.5f * S;
    float w = 1.36f * S;
    if (!(p && p->type == EqTypeArcMark)) w += 0.4f * S;
    setBox(e, w, a + 0.8f * S, d + 0.8f * S);
}

void MeasureRadical(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const float r = SpacingOf(e, SpacingRuleThickness) * S;
    const ChainBox c = layChild(e, 0, g, s, flag);
    float ascent = SpacingOf(e, SpacingRadicalTopGap) * S + c.ascent + r;
    const float descent = r + c.descent;
    float w = r + SpacingOf(e, SpacingRadicalSignWidth) * S + 2 * SpacingOf(e, SpacingRadicalHook) * S + c.width;
    if (e->type == EqTypeRoot && e->children.size() >= 2) {
        const ChainBox index = layLastChild(e, g, scriptScale(e, s), 1);
        const float wider =
            index.width - (2 * SpacingOf(e, SpacingRadicalHook) * S -
                           (SpacingOf(e, SpacingRadicalIndexGap) + SpacingOf(e, SpacingElementGap)) * S);
        if (wider > 0) w += wider;
        const float taller = index.height() + 0.12f * S - (ascent - SpacingOf(e, SpacingRadicalIndexRise) * S);
        if (taller > 0) ascent += taller;
    }
    float x;
    const EqElement* n = e->next;
    if (n && n->type == EqTypeFraction) {
        x = 0.05f * S;
    } else if (n && IsRadicalType(n->type)) {
        x = 0;
    } else if (n && (IsCharType(n) || IsOperatorType(n->type))) {
        const float h = ascent + descent;
        x = S * (0.1f - (h != 0 ? 0.1f * ascent / h : 0.0f));
    } else {
        x = 0.0618f * S;
    }
    w += x + radicalSideSpace(e, S);
    setBox(e, w, ascent, descent, x);
}

void MeasureSmallGroup(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float s2 = std::max(s * SpacingOf(e, SpacingSmallGroupScale), minScale(e));
    const float S2 = baseSize(e) * s2;
    const ChainBox c = layChild(e, 0, g, s2, flag);
    setBox(e, c.width + 0.15f * S2 + radicalSideSpace(e, S2), c.ascent, c.descent, 0.075f * S2);
}

}  // namespace toliva
