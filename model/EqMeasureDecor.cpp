// Measurers of wide accents, enclosures, the phasor, arrows, extensible
// arrows and frame marks.
#include "EqMeasure.h"
#include "EqMeasureInternal.h"
#include "ExtArrowForm.h"

namespace toliva {

using namespace measure;

namespace {

// Room a single-chain decoration takes beside its neighbours.
float sideSpace(const EqElement* e, float S) {
    const float g = (SpacingOf(e, SpacingElementGap) + 0.1f) * S;
    float w = 0;
    if (prevNotHead(e)) w += g;
    if (e->next) w += g;
    return w;
}

float accentHeight(const EqElement* e, float S) {
    return (2 * SpacingOf(e, SpacingAccentGap) + SpacingOf(e, SpacingAccentStep) + 0.05f) * S;
}

bool isSmallArrow(const EqElement* x) { return x && IsBoxedArrowType(x->type); }

// How far the strokes of an extensible arrow (553-574) of length `length`
// reach above and below its axis, as the drawer builds them: heads of 0.382
// S whose barbs reach half of that from their shaft, pairs set 0.4 (0.3 for
// the one-barbed pairs) of their head apart from the axis, the double line's
// open head. The texts keep clear of this reach and the box holds it.
float extArrowReach(int32_t type, float S, float length) {
    const int32_t shape = ExtArrowShapeType(type);
    const float head = 0.382f * S;
    const float m = std::min(0.05f * S, 0.15f * length);
    switch (shape) {
    case EqTypeExtArrowEquals: return 0.115f * S + 0.4f * m;
    case EqTypeExtArrowPairFirst:
    case EqTypeExtArrowPairFirst + 1:
    case EqTypeExtArrowPairLast: return 0.9f * 0.75f * head;
    case EqTypeExtArrowHarpoonsFirst:
    case EqTypeExtArrowHarpoonsFirst + 1:
    case EqTypeExtArrowHarpoonsLast: return 0.8f * head;
    case EqTypeExtArrowDoubleLine: {
        const float open = std::min(0.4f * length, 0.6f * m * 1.2f * 7.5f);
        return open + open / 7.5f / 2;
    }
    default: return head / 2;
    }
}

}  // namespace

void MeasureOverAccent(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const ChainBox c = layChild(e, 0, g, s, flag);
    setBox(e, c.width + sideSpace(e, S), c.ascent + accentHeight(e, S), c.descent);
}

void MeasureUnderAccent(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const ChainBox c = layChild(e, 0, g, s, flag);
    setBox(e, c.width + sideSpace(e, S), c.ascent, c.descent + accentHeight(e, S));
}

void MeasureEnclosure(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const ChainBox c = layChild(e, 0, g, s, flag);
    setBox(e, c.width + 0.2f * S + sideSpace(e, S), c.ascent + 0.1f * S, c.descent + 0.1f * S);
}

void MeasurePhasor(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    MeasureUnderAccent(e, g, s, flag);
    e->width += 0.333f * (e->ascent + e->descent) + 0.1f * baseSize(e) * s;
}

void MeasureArrowSymbol(EqElement* e, gp::Graphics*, float s, uint8_t) {
    const float S = baseSize(e) * s;
    float w = S * ArrowWidthFactor(e->type);
    const bool small = isSmallArrow(e);
    if (prevNotHead(e) && !(small && isSmallArrow(e->prev))) w += 0.15f * S;
    if (e->next && !(small && isSmallArrow(e->next))) w += 0.15f * S;
    setBox(e, w, 0.2f * S, 0.25f * S);
}

void MeasureExtArrow(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const float ts = scriptScale(e, s);
    const float h = (2 * SpacingOf(e, SpacingAccentGap) + 0.2f) * S;
    const float k = ExtArrowMinWidthFactor(e->type) * S;
    const ExtArrowTexts texts = ExtArrowTextChains(e);
    // Every chain is laid out, also one the form does not show.
    for (EqElement* c : e->children)
        if (c != texts.over && c != texts.under) layChain(c, g, ts, 1);
    const ChainBox over = layChain(texts.over, g, ts, 1);
    const ChainBox under = layChain(texts.under, g, ts, 1);
    // The arrow's length is the width before the side gaps.
    float length = 0;
    switch (texts.form) {
    case ExtArrowTextForm::Over: length = std::max(0.78f * S + over.width, k); break;
    case ExtArrowTextForm::OverUnder: length = std::max(S + std::max(over.width, under.width), k); break;
    case ExtArrowTextForm::Under: length = std::max(0.78f * S + under.width, k); break;
    }
    // The outline arrows' strokes stay within the gaps that the texts leave.
    const float reach = IsExtArrowGlyphType(e->type) ? 0.0f : extArrowReach(e->type, S, length);
    const float gap = std::max(h, reach);
    const float plain = std::max(0.25f * S, reach);
    switch (texts.form) {
    case ExtArrowTextForm::Over: setBox(e, length, gap + over.height(), plain); break;
    case ExtArrowTextForm::OverUnder: setBox(e, length, gap + over.height(), gap + under.height()); break;
    case ExtArrowTextForm::Under: setBox(e, length, plain, gap + under.height()); break;
    }
    if (prevNotHead(e)) e->width += 0.15f * S;
    if (e->next) e->width += 0.15f * S;
    if (IsExtArrowGlyphType(e->type)) EnsureGlyphPath(e);
}

void MeasureFrameMark(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const ChainBox c = layChild(e, 0, g, s, flag);
    switch (e->type) {
    case EqTypeArcArrowOverRight:
    case EqTypeArcArrowOverLeft: setBox(e, c.width + 1.236f * S, c.ascent + 0.25f * S, c.descent); break;
    case EqTypeArcArrowUnderRight:
    case EqTypeArcArrowUnderLeft: setBox(e, c.width + 1.236f * S, c.ascent, c.descent + 0.25f * S); break;
    case EqTypeSquareArrowRisingRight:
    case EqTypeSquareArrowRisingLeft: setBox(e, c.width + 0.8f * S, c.ascent + 0.1f * S, c.descent); break;
    case EqTypeSquareArrowFallingRight:
    case EqTypeSquareArrowFallingLeft: setBox(e, c.width + 0.8f * S, c.ascent, c.descent + 0.1f * S); break;
    default: {
        const float least = std::max(1.2f * S, c.width);
        const float tall = 2 * std::max(c.ascent, c.descent);
        const float w = (tall > least ? tall : least) + 0.5f * S;
        setBox(e, w, w / 2, w / 2);
        break;
    }
    }
}

}  // namespace toliva
