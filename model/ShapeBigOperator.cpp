#include "model/ShapeBigOperator.h"

#include "model/EqDraw.h"
#include "model/EqDrawers.h"
#include "model/EqElement.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "model/EqTypes.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"
#include "model/SymbolLibrary.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Pen.h"

#include <algorithm>

namespace toliva {

namespace {

bool in(int32_t t, int32_t lo, int32_t hi) { return t >= lo && t <= hi; }

struct Chains {
    EqElement* body = nullptr;
    EqElement* lower = nullptr;
    EqElement* upper = nullptr;
    bool all = false;  // upper limit, lower limit and body
};

Chains chainsOf(const EqElement* e) {
    Chains c;
    const size_t n = e->children.size();
    c.body = LastChildChain(e);
    if (n >= 3) {
        c.upper = ChildChain(e, 0);
        c.lower = ChildChain(e, 1);
        c.all = true;
    } else if (n == 2) {
        c.lower = ChildChain(e, 0);
    }
    return c;
}

float heightOf(const EqElement* head) { return head ? head->chainAscent + head->chainDescent : 0.0f; }

gp::Pen strokePen(gp::ARGB colour, float width) {
    gp::Pen pen = draw::RoundPen(colour, width);
    pen.SetLineJoin(gp::LineJoinRound);
    return pen;
}

bool isCircleShape(BigOperatorShape s) {
    return s == BigOperatorShape::CircleTimes || s == BigOperatorShape::CircleDot ||
           s == BigOperatorShape::CirclePlus;
}

}  // namespace

BigOperatorShape BigOperatorShapeOf(int32_t t) {
    if (in(t, 315, 320) || in(t, 851, 852)) return BigOperatorShape::Arch;
    if (in(t, 800, 802) || t == 855) return BigOperatorShape::SquareArch;
    if (in(t, 803, 805) || t == 856) return BigOperatorShape::ArchPlus;
    if (in(t, 321, 326) || in(t, 853, 854)) return BigOperatorShape::Vee;
    if (in(t, 327, 329) || t == 857) return BigOperatorShape::CircleTimes;
    if (in(t, 330, 332) || t == 858) return BigOperatorShape::CircleDot;
    if (in(t, 333, 335) || t == 859) return BigOperatorShape::CirclePlus;
    return BigOperatorShape::Outline;
}

bool IsTurnedBigOperator(int32_t t) {
    return in(t, 312, 314) || t == 850 || in(t, 318, 320) || t == 852 || in(t, 803, 805) || t == 856 ||
           in(t, 324, 326) || t == 854;
}

bool HasSideLimits(int32_t t) { return in(t, 848, 859) || t == 863; }

int BigOperatorOutlineIndex(int32_t t, uint8_t optionByte) {
    const int s = optionByte > 3 ? 3 : optionByte;
    return in(t, 306, 308) || t == 848 ? s : s + 4;
}

void CKwEE_O_SPB::BuildSymbol() {
    EqElement* e = element;
    path.Reset();
    box = {};
    GlyphOutline* outline = e->glyph.get();
    if (!outline) {
        const uint8_t option = e->owner ? e->owner->settings.options[1] : 0;
        const SymbolLibrary* library = PassSymbols(e);
        outline = library ? library->outline(BigOperatorOutlineIndex(e->type, option)) : nullptr;
    }
    if (outline) GetGlyphPath(*outline, path, symbolSize, 0);
    box = path.GetBounds();

    const BigOperatorShape shape = BigOperatorShapeOf(e->type);
    if (shape == BigOperatorShape::Outline) return;
    // The drawn groups take the outline's height and build their own shape.
    const float h = box.height;
    const float side = isCircleShape(shape) ? h : 0.8f * h;
    box = {box.x + (box.width - side) / 2, box.y, side, h};
    path.Reset();
    if (!(h > 0)) return;
    const float p = 0.08f * h;
    const float X = box.x;
    const float Y = box.y;
    const float w = 0.8f * h;
    switch (shape) {
    case BigOperatorShape::Arch:
    case BigOperatorShape::ArchPlus:
        path.AddLine(X + p / 2, Y + h - p / 2, X + p / 2, Y + h - 1.5f * p);
        path.AddArc(X + p / 2, Y + p / 2, w - p, w - p, 180, 180);
        path.AddLine(X + w - p / 2, Y + h - 1.5f * p, X + w - p / 2, Y + h - p / 2);
        break;
    case BigOperatorShape::SquareArch:
        path.AddLine(X + p / 2, Y + p / 2, X + p / 2, Y + h - p / 2);
        path.AddLine(X + w - p / 2, Y + h - p / 2, X + w - p / 2, Y + p / 2);
        break;
    case BigOperatorShape::Vee:
        path.AddLine(X + p / 2, Y + p / 2, X + 0.4f * h, Y + h - p / 2);
        path.AddLine(X + 0.4f * h, Y + h - p / 2, X + w - p / 2, Y + p / 2);
        break;
    default:  // the circles
        path.AddEllipse(X + p / 2, Y + p / 2, h - p, h - p);
        break;
    }
}

void CKwEE_O_SPB::Layout(EqElement* e, gp::Graphics* graphics, float s, uint8_t flag) {
    CKwEE_O::Layout(e, graphics, s, flag);
    if (!e) return;
    sideLimits = HasSideLimits(e->type) ? 1 : 0;
    symbolSize =
        (sideLimits ? SpacingOf(e, SpacingSideLimitOperatorSize) : SpacingOf(e, SpacingBigOperatorSize)) * size;
    const Chains c = chainsOf(e);
    gap = size * (SpacingOf(e, SpacingBigOperatorGap) + 0.06f + SpacingOf(e, SpacingElementGap));
    if (c.body && c.body->next && c.body->next->type == EqTypeSideScripts) gap = 0.1f * size;
    BuildSymbol();

    const float own = box.height / 2 + 0.2f * size;
    const float limitScale = s * ScriptScaleFactor(e->owner);
    if (c.upper) LayoutElement(c.upper, graphics, limitScale, flag);
    if (c.lower) LayoutElement(c.lower, graphics, limitScale, flag);
    if (c.body) LayoutElement(c.body, graphics, s, flag);
    const float bw = draw::W(c.body);
    const float uw = draw::W(c.upper);
    const float lw = draw::W(c.lower);
    const float K = (SpacingOf(e, SpacingBigOperatorLimitGap) - 0.15f) * size;

    float ascent = std::max(own, draw::A(c.body));
    float descent = std::max(own, draw::D(c.body));
    float width = 0;
    if (sideLimits && c.all) {
        const float F = 0.25f * size + K;
        ascent = std::max(ascent, heightOf(c.upper) + F);
        descent = std::max(descent, heightOf(c.lower) + F);
        width = bw + box.width + std::max(uw, lw) + 1.6f * gap;
    } else {
        if (c.lower) descent = std::max(descent, own + K + heightOf(c.lower));
        if (c.upper) ascent = std::max(ascent, own + K + heightOf(c.upper));
        width = std::max({box.width, uw, lw}) + bw + gap;
    }

    width += 0.1f * size;
    if (e->prev) {
        const EqElement* p = SkipSpacesBack(e->prev);
        if (IsCharType(p->type)) width += size * (SpacingOf(e, SpacingElementGap) + 0.16f);
        else if (p->type != EqTypeChainHead && p->type != EqTypeSideScripts) width += 0.1f * size;
    }
    if (e->next) width += size * (SpacingOf(e, SpacingElementGap) + 0.16f);
    e->width = width;
    e->ascent = ascent;
    e->descent = descent;
    e->xOffset = 0;
}

void CKwEE_O_SPB::Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) {
    EqElement* e = element;
    if (!e || !graphics) return;
    gp::Graphics& g = *graphics;
    const bool script = flag != 0;
    const Chains c = chainsOf(e);

    float x0 = x;
    float W = e->width;
    if (e->prev) {
        const EqElement* p = SkipSpacesBack(e->prev);
        float lead = 0;
        if (IsCharType(p->type)) lead = size * (SpacingOf(e, SpacingElementGap) + 0.16f);
        else if (p->type != EqTypeChainHead) lead = 0.1f * size;
        x0 += lead;
        W -= lead;
    }
    if (e->next) W -= size * (SpacingOf(e, SpacingElementGap) + 0.16f);

    const float bw = draw::W(c.body);
    DrawChain(c.body, g, x0 + W - bw, y, scale, script);

    const float limitScale = scale * ScriptScaleFactor(e->owner);
    const float K = (SpacingOf(e, SpacingBigOperatorLimitGap) - 0.15f) * size;
    const float uw = draw::W(c.upper);
    const float lw = draw::W(c.lower);
    float column = 0;
    if (sideLimits && c.all) {
        const float m = W - bw - std::max(uw, lw) - 1.25f * gap;
        const float V = box.height / 2 + 0.1f * size;
        const float F = K + 0.25f * size;
        const float upperY = std::min(y - F - draw::D(c.upper), y - V + draw::A(c.upper));
        const float lowerY = std::max(y + F + draw::A(c.lower), y + V - draw::D(c.lower));
        DrawChain(c.upper, g, x0 + m, upperY, limitScale, script);
        DrawChain(c.lower, g, x0 + m, lowerY, limitScale, script);
        column = m - 0.35f * gap;
    } else {
        column = W - bw - gap;
        const float N = box.height / 2 + 0.2f * size + K;
        if (c.lower) DrawChain(c.lower, g, x0 + (column - lw) / 2, y + N + draw::A(c.lower), limitScale, script);
        if (c.upper) DrawChain(c.upper, g, x0 + (column - uw) / 2, y - N - draw::D(c.upper), limitScale, script);
    }

    // The symbol, its box centred on (x0 + column / 2, y).
    if (path.GetPointCount() == 0) return;
    const gp::ARGB colour = GetElementDrawColour(e, 6);
    gp::SavedState saved(g);
    g.TranslateTransform(x0 + column / 2, y);
    if (IsTurnedBigOperator(e->type)) g.RotateTransform(180);
    g.TranslateTransform(-(box.x + box.width / 2), -(box.y + box.height / 2));

    const BigOperatorShape shape = BigOperatorShapeOf(e->type);
    if (shape == BigOperatorShape::Outline) {
        g.FillPath(colour, path);
        return;
    }
    const float h = box.height;
    const float p = 0.08f * h;
    g.DrawPath(strokePen(colour, p), path);
    const gp::PointF mid{box.x + box.width / 2, box.y + h / 2};
    const gp::Pen inner = strokePen(colour, 0.064f * h);
    auto plus = [&](float factor) {
        const float r = factor * box.width;
        g.DrawLine(inner, mid.x - r, mid.y, mid.x + r, mid.y);
        g.DrawLine(inner, mid.x, mid.y - r, mid.x, mid.y + r);
    };
    switch (shape) {
    case BigOperatorShape::Vee: {
        // Cover the joint at the bottom with a dot of the stroke's width.
        const gp::PointF joint{box.x + 0.4f * h, box.y + h - p / 2};
        g.FillEllipse(gp::SolidBrush(colour), joint.x - p / 2, joint.y - p / 2, p, p);
        break;
    }
    case BigOperatorShape::ArchPlus: plus(0.3f); break;
    case BigOperatorShape::CirclePlus: plus(0.475f); break;
    case BigOperatorShape::CircleTimes: {
        const float r = 0.31f * box.width;
        g.DrawLine(inner, mid.x - r, mid.y - r, mid.x + r, mid.y + r);
        g.DrawLine(inner, mid.x - r, mid.y + r, mid.x + r, mid.y - r);
        break;
    }
    case BigOperatorShape::CircleDot: {
        const float r = 0.08f * h;
        g.FillEllipse(gp::SolidBrush(colour), mid.x - r, mid.y - r, 2 * r, 2 * r);
        break;
    }
    default: break;
    }
}

}  // namespace toliva
