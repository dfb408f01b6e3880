// Drawers of arrow symbols, extensible arrows and frame marks.
#include "model/EqDrawers.h"

#include "model/ExtArrowForm.h"
#include "model/GlyphOutline.h"
#include "model/ShapeBuilders.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <algorithm>

namespace toliva {

using namespace draw;

namespace {

// The texts of an extensible arrow: over it top-aligned, under it
// bottom-aligned, both centred on cx at the script scale.
void DrawArrowTexts(EqElement* e, gp::Graphics& g, float cx, float y, float scale) {
    const ExtArrowTexts texts = ExtArrowTextChains(e);
    const float ts = ScriptScale(e, scale);
    DrawChain(texts.over, g, cx - W(texts.over) / 2, y - e->ascent + A(texts.over), ts, true);
    DrawChain(texts.under, g, cx - W(texts.under) / 2, y + e->descent - D(texts.under), ts, true);
}

// Two opposite arrows one above the other, the upper one pointing left and
// the lower one right (harpoons with their barbs outwards); shorter says
// which of them spans 0.4 size less (0 none, 1 the upper, 2 the lower).
void DrawArrowPair(gp::Graphics& g, float length, float t, float head, float offset, float size, gp::ARGB colour,
                   bool harpoons, int shorter) {
    const float upper = shorter == 1 ? length - 0.4f * size : length;
    const float lower = shorter == 2 ? length - 0.4f * size : length;
    const int kind = harpoons ? 2 : 0;
    FillArrowMark(g, {-upper / 2, -offset}, {upper / 2, -offset}, upper, t, head, colour, kind);
    FillArrowMark(g, {lower / 2, offset}, {-lower / 2, offset}, lower, t, head, colour, kind);
}

// ---- outline arrows

bool HasRightHead(int32_t t) {
    switch (t) {
    case 624: case 626: case 627: case 628: case 630: case 631: case 633:
    case 634: case 636: case 637: case 639: case 641: return true;
    default: return false;
    }
}

bool HasLeftHead(int32_t t) {
    switch (t) {
    case 625: case 626: case 629: case 630: case 632: case 633: case 635:
    case 636: case 638: case 639: case 640: case 641: return true;
    default: return false;
    }
}

bool HasDoubleShaft(int32_t t) { return t == 627 || inRange(t, 631, 633) || inRange(t, 637, 641); }
bool HasWaveShaft(int32_t t) { return t == 642 || t == 643; }

// One head from the element's outline, its ink centred on the axis: at the
// span's right end, or turned round at its left end.
void DrawOutlineHead(gp::Graphics& g, GlyphOutline& glyph, gp::ARGB colour, float end, float axis, float size,
                     bool atRight) {
    EnsureGlyphOwnPath(glyph);
    if (!glyph.path) return;
    const float k = glyph.scale * size / 100;
    const gp::RectF ink = glyph.path->GetBounds();
    const float inkMiddle = ink.y + ink.height / 2;
    const float inset = (0.35f * glyph.m[0] - glyph.m[3]) * size / 100;
    gp::SavedState saved(g);
    if (atRight) {
        g.TranslateTransform(end - inset, axis - k * inkMiddle);
    } else {
        g.TranslateTransform(end + inset, axis + k * inkMiddle);
        g.RotateTransform(180);
    }
    g.ScaleTransform(k, k);
    DrawGlyph(g, colour, true, false, glyph);
}

// A head built from the shape builders, for an element whose outline is
// missing: the arrow still shows its direction. It is the usual arrowhead
// over the last half size of the span, its stroke that of the shaft (thicker
// over a double shaft, so that the head covers both lines).
struct BuiltHead {
    float t = 0;       // stroke thickness
    float span = 0;    // the length the head is built over
    float notch = 0;   // from the end to where the shaft meets the head
};

BuiltHead BuiltHeadFor(float size, bool doubleShaft) {
    BuiltHead head;
    head.t = doubleShaft ? 0.07f * size : 0.044f * size;
    head.span = 0.5f * size;
    head.notch = 0.8f * std::min(0.9f * head.span, 8 * head.t);
    return head;
}

void DrawBuiltHead(gp::Graphics& g, gp::ARGB colour, float end, float axis, const BuiltHead& head, bool atRight) {
    const float back = atRight ? end - head.span : end + head.span;
    DrawArrowBetween(g, {back, axis}, {end, axis}, colour, head.t, 8, 0.8f, 0.8f, false);
}

}  // namespace

void DrawArrowSymbol(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    const float size = SizeAt(e, scale);
    const bool boxed = IsBoxedArrowType(e->type);
    const float left = !FirstInChain(e) && !(boxed && IsBoxedArrowType(e->prev->type)) ? 0.15f * size : 0.0f;
    const float right = e->next && !(boxed && IsBoxedArrowType(e->next->type)) ? 0.15f * size : 0.0f;
    const float cx = x + e->width / 2 + (left - right) / 2;
    DrawArrowSymbolShape(g, size, {cx, y}, e->type, GetElementDrawColour(e, 9));
}

void DrawExtArrow(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    const float size = SizeAt(e, scale);
    const float gl = FirstInChain(e) ? 0.15f * size : 0.0f;
    const float gr = LastInChain(e) ? 0.15f * size : 0.0f;
    const float cx = x + e->width / 2 + (gr - gl) / 2;
    const float length = e->width + gl + gr - 0.3f * size;
    const float m = std::min(0.05f * size, 0.15f * length);
    const float head = 0.382f * size;
    const gp::ARGB colour = GetElementDrawColour(e, 9);

    // The second range draws the shapes of the first (code + 10), except
    // that 574 is the equals form and 564 the plain arrow.
    const int32_t shape = ExtArrowShapeType(e->type);

    if (length > 0) {
        gp::SavedState saved(g);
        g.TranslateTransform(cx, y);
        const gp::PointF left{-length / 2, 0}, right{length / 2, 0};
        switch (shape) {
        case EqTypeExtArrowEquals:
            DrawTwoHorizontalLines(g, colour, -length / 2 + 0.1f * size, -0.115f * size, length / 2 - 0.1f * size,
                                   0.115f * size, 0.8f * m);
            break;
        case 555: FillArrowMark(g, left, right, length, m, head, colour, 0); break;
        case 556: FillArrowMark(g, right, left, length, m, head, colour, 1); break;
        case EqTypeExtArrowPairFirst:
        case EqTypeExtArrowPairFirst + 1:
        case EqTypeExtArrowPairLast: {
            const float reduced = 0.75f * head;
            DrawArrowPair(g, length, m, reduced, 0.4f * reduced, size, colour, false, shape - EqTypeExtArrowPairFirst);
            break;
        }
        case EqTypeExtArrowHarpoonsFirst:
        case EqTypeExtArrowHarpoonsFirst + 1:
        case EqTypeExtArrowHarpoonsLast:
            DrawArrowPair(g, length, m, head, 0.3f * head, size, colour, true, shape - EqTypeExtArrowHarpoonsFirst);
            break;
        case EqTypeExtArrowDoubleLine: DrawDoubleLineArrow(g, left, right, colour, 0.6f * m, 7.5f); break;
        default: FillArrowMark(g, right, left, length, m, head, colour, 0); break;
        }
    }
    DrawArrowTexts(e, g, cx, y, scale);
}

void DrawOutlineExtArrow(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    const float size = SizeAt(e, scale);
    const float gl = FirstInChain(e) ? 0.0f : 0.15f * size;
    const float gr = e->next ? 0.15f * size : 0.0f;
    const float span = e->width - gl - gr;
    const float xc = x + gl + span / 2;
    const gp::ARGB colour = GetElementDrawColour(e, 9);
    DrawArrowTexts(e, g, xc, y, scale);

    // The arrow runs on the baseline, between its texts.
    const float axis = y;
    const int32_t t = e->type;
    const bool rightHead = HasRightHead(t), leftHead = HasLeftHead(t);
    const float leftEnd = xc - span / 2, rightEnd = xc + span / 2;
    // A shaft end under a head stops where the head begins: half a size from
    // the end for an outline head, at the notch for a built one.
    float headSetBack = 0.5f * size;
    if (e->glyph) {
        if (rightHead) DrawOutlineHead(g, *e->glyph, colour, rightEnd, axis, size, true);
        if (leftHead) DrawOutlineHead(g, *e->glyph, colour, leftEnd, axis, size, false);
    } else {
        const BuiltHead head = BuiltHeadFor(size, HasDoubleShaft(t));
        if (rightHead) DrawBuiltHead(g, colour, rightEnd, axis, head, true);
        if (leftHead) DrawBuiltHead(g, colour, leftEnd, axis, head, false);
        headSetBack = head.notch;
    }

    const float from = -span / 2 + (leftHead ? headSetBack : 0.05f * size);
    const float to = span / 2 - (rightHead ? headSetBack : 0.05f * size);
    if (!(to > from)) return;
    gp::SavedState saved(g);
    g.TranslateTransform(xc, axis);
    if (HasWaveShaft(t)) {
        FillWideTilde(g, {from, -0.15f * size, to - from, 0.3f * size}, colour);
        return;
    }
    const gp::Pen pen = RoundPen(colour, 0.044f * size);
    if (HasDoubleShaft(t)) {
        g.DrawLine(pen, from, -0.099f * size, to, -0.099f * size);
        g.DrawLine(pen, from, 0.099f * size, to, 0.099f * size);
    } else {
        g.DrawLine(pen, from, 0, to, 0);
    }
}

void DrawFrameMark(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float size = SizeAt(e, scale);
    const float cx = x + e->width / 2;
    EqElement* chain = ChildChain(e, 0);
    DrawChain(chain, g, cx - W(chain) / 2, y, scale, script);

    const gp::ARGB colour = GetElementDrawColour(e, 7);
    if (e->type == EqTypeFrameCircle) {
        const float r = e->width / 2 - 0.08f * size;
        if (r > 0) g.DrawEllipse(RoundPen(colour, RuleAt(e, size) * 1.6f), {cx - r, y - r, 2 * r, 2 * r});
        return;
    }

    const float W_ = e->width;
    const float left = x + 0.2f * size, right = x + W_ - 0.2f * size;
    const float top = y - e->ascent, bottom = y + e->descent;
    gp::PointF p[4];
    switch (e->type) {
    case EqTypeArcArrowOverRight:
    case EqTypeArcArrowUnderRight:
    case EqTypeArcArrowOverLeft:
    case EqTypeArcArrowUnderLeft: {
        const bool over = e->type == EqTypeArcArrowOverRight || e->type == EqTypeArcArrowOverLeft;
        const bool rightward = e->type == EqTypeArcArrowOverRight || e->type == EqTypeArcArrowUnderRight;
        const float endY = over ? y - 0.382f * size : y + 0.382f * size;
        const float midY = over ? top : bottom;
        const float xs[4] = {left, x + 0.3f * W_, x + 0.7f * W_, right};
        for (int i = 0; i < 4; ++i) p[i] = {rightward ? xs[i] : xs[3 - i], (i == 0 || i == 3) ? endY : midY};
        DrawBezierArrow(g, p, 4, colour, 0.05f * size);
        break;
    }
    default: {
        // 594-597: square arrows that rise (or fall), cross and come back.
        const bool rising = e->type == EqTypeSquareArrowRisingRight || e->type == EqTypeSquareArrowRisingLeft;
        const bool rightward = e->type == EqTypeSquareArrowRisingRight || e->type == EqTypeSquareArrowFallingRight;
        const float endY = rising ? bottom - 0.1f * size : top + 0.1f * size;
        const float midY = rising ? top + 0.1f * size : bottom - 0.1f * size;
        const float from = rightward ? left : right, to = rightward ? right : left;
        p[0] = {from, endY};
        p[1] = {from, midY};
        p[2] = {to, midY};
        p[3] = {to, endY};
        DrawPolylineArrow(g, p, 4, colour, 0.05f * size);
        break;
    }
    }
}

}  // namespace toliva
