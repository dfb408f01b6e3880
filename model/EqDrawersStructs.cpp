// Drawers of fractions, long division, stacks, the arc mark, radicals and the
// small group.
#include "model/EqDrawers.h"

#include "model/EqLayout.h"
#include "model/ShapeBuilders.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <algorithm>
#include <cmath>

namespace toliva {

using namespace draw;

namespace {

// The scale of a fraction's parts: reduced inside another fraction, never
// below the minimum.
float FractionScale(const EqElement* e, float scale) {
    if (HasFractionAncestor(e)) scale *= SpacingOf(e, SpacingNestedFractionScale);
    return AtLeastMin(e, scale);
}

// The span a radical or small group fills: its box less the side space that
// the layout gave it towards its neighbours.
struct Span {
    float x = 0;
    float width = 0;
    float end() const { return x + width; }
};

Span SideSpan(const EqElement* e, float x, float size) {
    Span span{x, e->width};
    const float gap = SpacingOf(e, SpacingElementGap) * size / 2;
    if (e->next && IsCharType(e->next->type)) span.width -= gap + 0.15f * size;
    if (!FirstInChain(e)) {
        span.x += gap;
        span.width -= gap;
        const EqElement* before = SkipSpacesBack(e->prev);
        if (before && IsCharType(before->type)) {
            span.x += 0.05f * size;
            span.width -= 0.05f * size;
        }
    }
    return span;
}

// Bar, numerator and denominator of the two fraction forms with a bar.
void DrawBarFraction(EqElement* e, gp::Graphics& g, float x, float y, float partScale, bool partScript,
                     float size) {
    const float rule = RuleAt(e, size);
    const float side = (SpacingOf(e, SpacingFractionOverhang) * 0.5f + SpacingOf(e, SpacingElementGap)) * size;
    float left = x;
    float right = x + e->width;
    if (!FirstInChain(e)) left += side;
    if (!LastInChain(e)) right -= side;
    g.DrawLine(RoundPen(GetElementDrawColour(e, 7), rule), left + rule / 2, y, right - rule / 2, y);

    const float centre = (left + right) / 2;
    EqElement* num = ChildChain(e, 0);
    EqElement* den = ChildChain(e, 1);
    DrawChain(num, g, centre - W(num) / 2, y - e->ascent + A(num), partScale, partScript);
    DrawChain(den, g, centre - W(den) / 2, y + e->descent - D(den), partScale, partScript);
}

}  // namespace

void DrawFraction(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float s = FractionScale(e, scale);
    DrawBarFraction(e, g, x, y, s, script, SizeAt(e, s));
}

void DrawSmallFraction(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    DrawBarFraction(e, g, x, y, ScriptScale(e, scale), true, SizeAt(e, scale));
}

void DrawBevelledFraction(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float s = FractionScale(e, scale);
    const float size = SizeAt(e, s);
    const float rule = RuleAt(e, size);
    // The layout moves the parts right (xOffset) when the slash would
    // otherwise reach out of the box on the left.
    const float start = x + e->xOffset + (FirstInChain(e) ? 0.0f : size * (SpacingOf(e, SpacingElementGap) + 0.1f));
    EqElement* num = ChildChain(e, 0);
    EqElement* den = ChildChain(e, 1);
    DrawChain(num, g, start, y + size / 4 - D(num), s, script);
    DrawChain(den, g, start + W(num) + size / 4, y - size / 4 + A(den), s, script);

    const float xc = start + W(num) + size / 8;
    const float A_ = e->ascent, D_ = e->descent;
    g.DrawLine(RoundPen(GetElementDrawColour(e, 7), rule), xc + 0.618f * A_ - 2 * rule, y - A_ + 0.1f * size + rule,
               xc - 0.618f * D_ + 2 * rule, y + D_ - 0.1f * size - rule);
}

void DrawSlashFraction(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float s = FractionScale(e, scale);
    const float size = SizeAt(e, s);
    const float rule = RuleAt(e, size);
    const float lead = FirstInChain(e) ? 0.0f : size * SpacingOf(e, SpacingElementGap);
    const float height = e->ascent + e->descent;
    EqElement* num = ChildChain(e, 0);
    EqElement* den = ChildChain(e, 1);
    const float numX = x + lead + 0.05f * size;
    const float numEnd = numX + W(num);
    DrawChain(num, g, numX, y, s, script);
    const float slashX = numEnd + 0.05f * size;
    g.DrawLine(RoundPen(GetElementDrawColour(e, 7), rule), slashX, y + e->descent - size / 4,
               slashX + 0.35f * height - 0.1f * size, y - e->ascent + size / 4);
    DrawChain(den, g, numEnd + 0.35f * height, y, s, script);
}

void DrawLongDivision(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float size = SizeAt(e, scale);
    EqElement* dividend = ChildChain(e, 0);
    EqElement* divisor = ChildChain(e, 1);
    EqElement* quotient = ChildChain(e, 2);

    // Without a left neighbour there is no side space on the left: the
    // drawing starts 0.1 size further left, the vinculum's end stays.
    const float start = FirstInChain(e) ? x - 0.1f * size : x;
    const float end = LastInChain(e) ? x + e->width : x + e->width - 0.1f * size;

    gp::Pen pen = RoundPen(GetElementDrawColour(e, 7), 0.05f * size);
    pen.SetLineJoin(gp::LineJoinRound);
    const float top = y - A(divisor) + 0.075f * size - SpacingOf(e, SpacingRadicalTopGap) * size;
    const float bottom = top + A(divisor) + D(divisor);
    const float hookX = start + W(divisor) + 0.4f * size;
    const float bulgeX = start + W(divisor) + 0.7f * size;
    const float h = bottom - top;
    gp::GraphicsPath path;
    path.AddLine(end, top, hookX, top);
    path.AddBezier(hookX, top, bulgeX, top + h / 4, bulgeX, top + 3 * h / 4, hookX, bottom);
    g.DrawPath(pen, path);

    const float widest = std::max(W(dividend), W(quotient));
    const float rightEdge = start + size + W(divisor) + widest;
    DrawChain(divisor, g, start + 0.1f * size, y, scale, script);
    DrawChain(dividend, g, rightEdge - W(dividend), y - A(divisor) + A(dividend), scale, script);
    DrawChain(quotient, g, rightEdge - W(quotient), y - e->ascent + A(quotient), scale, script);
}

void DrawStack(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float size = SizeAt(e, scale);
    float centre = x + e->width / 2;
    if (e->prev && IsCompactGroupType(e->prev->type)) centre -= 0.048f * size;
    if (e->next && IsCompactGroupType(e->next->type)) centre += 0.048f * size;
    EqElement* first = ChildChain(e, 0);
    EqElement* second = ChildChain(e, 1);
    EqElement* top = e->type == EqTypeStackFirst ? second : first;
    EqElement* bottom = e->type == EqTypeStackFirst ? first : second;
    DrawChain(top, g, centre - W(top) / 2, y - e->ascent + A(top), scale, script);
    DrawChain(bottom, g, centre - W(bottom) / 2, y + e->descent - D(bottom), scale, script);
}

void DrawArcMark(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float size = SizeAt(e, scale);
    const float v = x + e->width - size / 2;
    EqElement* chain = ChildChain(e, 0);
    DrawChain(chain, g, v - W(chain) / 2, y, scale, script);

    // Two arcs of the circle whose right end is v, leaving a gap for the
    // content. A box without height has no circle to draw.
    const ArcMarkGeometry arc = ArcMarkShape(e, size);
    const float r = arc.radius;
    const float gap = arc.gapDegrees;
    const float sweep = 45 - gap;
    if (!(r > 0) || !(sweep > 0)) return;
    const gp::RectF circle{v - 2 * r, y - r, 2 * r, 2 * r};
    const gp::Pen pen = RoundPen(GetElementDrawColour(e, 7), RuleAt(e, size));
    g.DrawArc(pen, circle, -45, sweep);
    g.DrawArc(pen, circle, gap, sweep);
}

void DrawRadical(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const EqModel* eq = e->owner;
    const float size = SizeAt(e, scale);
    const float rule = RuleAt(e, size);
    const Span span = SideSpan(e, x, size);
    EqElement* radicand = ChildChain(e, 0);

    const float hook = 2 * SpacingOf(e, SpacingRadicalHook) * size;
    const float signWidth = e->xOffset + W(radicand) + hook + SpacingOf(e, SpacingRadicalSignWidth) * size;
    const float right = span.end();
    RadicalGeometry sign;
    sign.baseline = y + rule / 2;
    sign.signWidth = signWidth;
    sign.bottomReach = D(radicand) - 2 * rule;
    sign.topReach = SpacingOf(e, SpacingRadicalTopGap) * size + A(radicand) - rule;
    sign.hookWidth = hook;
    sign.left = right - signWidth - rule;
    sign.rule = rule;
    const gp::ARGB colour = GetElementDrawColour(e, 7);
    if (eq->settings.options[8]) DrawRadicalSign(g, colour, sign);
    else DrawRadicalSignAlt(g, colour, sign);

    DrawChain(radicand, g, right - W(radicand) - 2 * rule, y, scale, script);

    EqElement* index = e->type == EqTypeRoot ? SecondChain(e) : nullptr;
    if (index) {
        float indexY = y - e->ascent + A(index);
        if (IsNumericChain(index)) indexY += 0.08f * size;
        const float indexX = right - signWidth + hook - W(index) -
                             (SpacingOf(e, SpacingRadicalIndexGap) + SpacingOf(e, SpacingElementGap)) * size;
        DrawChain(index, g, indexX, indexY, ScriptScale(e, scale), true);
    }
}

void DrawSmallGroup(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float s = AtLeastMin(e, SpacingOf(e, SpacingSmallGroupScale) * scale);
    const Span span = SideSpan(e, x, SizeAt(e, s));
    EqElement* chain = ChildChain(e, 0);
    DrawChain(chain, g, span.end() - W(chain), y, s, script);
}

}  // namespace toliva
