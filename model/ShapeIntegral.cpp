#include "model/ShapeIntegral.h"

#include "model/EqDraw.h"
#include "model/EqDrawers.h"
#include "model/EqElement.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "model/EqTypes.h"
#include "model/GlyphOutline.h"
#include "model/ShapeBuilders.h"
#include "model/RenderContext.h"
#include "model/SymbolLibrary.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Pen.h"

#include <algorithm>

namespace toliva {

namespace {

constexpr int kStyles = 6;
constexpr int kLastSideLimitType = 768;  // above: limits above and below the sign
// The arrowhead of the rings, in units of the stroke: length along the ring
// and half-width.
constexpr float kRingHeadLength = 3.5f;
constexpr float kRingHeadWidth = 1.6f;

// Per style: slant (degrees), outline record, horizontal widening of the
// bounds, limit shift Q, step addend S, upper-limit addend U, lower-limit
// subtrahend L.
struct StyleFactors {
    float slant;
    int outline;
    float widen;
    float limitShift;
    float stepAddend;
    float upperAddend;
    float lowerSubtrahend;
};
constexpr StyleFactors kStyleFactors[kStyles] = {
    {0, 8, 0, 0.139f, 0.16f, 0.05f, 0.15f},          {0, 9, 0, 0.139f, 0.08f, 0.05f, 0.145f},
    {0, 10, 0, 0.139f, 0.12f, 0.05f, 0.15f},         {5.5f, 8, 0.08f, 0.099f, 0.14f, 0, 0.12f},
    {9.999f, 9, 0.3f, 0.059f, 0.05f, 0, 0.09f},      {7.5f, 10, 0.12f, 0.079f, 0.102f, 0, 0.09f},
};

bool isOneOf(int32_t t, std::initializer_list<int32_t> list) {
    return std::find(list.begin(), list.end(), t) != list.end();
}

bool hasSideLimits(int32_t type) { return type <= kLastSideLimitType; }

bool isArrowRingType(int32_t t) { return isOneOf(t, {279, 304, 305, 770, 774}); }
bool isTurnedArrowRingType(int32_t t) { return isOneOf(t, {280, 302, 303, 771, 775}); }
bool isContourType(int32_t t) {
    return isOneOf(t, {281, 283, 285, 291, 292, 295, 296, 299, 300, 772, 776, 778, 780, 782, 784});
}

// The child chains: the integrand is the last; with three or more chains the
// first is the upper and the second the lower limit, with two the first is
// the lower limit.
struct Chains {
    EqElement* integrand = nullptr;
    EqElement* lower = nullptr;
    EqElement* upper = nullptr;
};

Chains chainsOf(const EqElement* e) {
    Chains c;
    const size_t n = e->children.size();
    c.integrand = LastChildChain(e);
    if (n >= 3) {
        c.upper = ChildChain(e, 0);
        c.lower = ChildChain(e, 1);
    } else if (n == 2) {
        c.lower = ChildChain(e, 0);
    }
    return c;
}

float heightOf(const EqElement* head) { return head ? head->chainAscent + head->chainDescent : 0.0f; }

bool prevIsChar(const EqElement* e) {
    const EqElement* p = e->prev ? SkipSpacesBack(e->prev) : nullptr;
    return p && IsCharType(p->type);
}

// The distance from the signs' right end to a side upper limit. The bar of
// type 275 runs over the sign's top to 1.05 of a single sign's width; the
// limit starts clear of it.
float upperLimitLead(const EqElement* e, const StyleFactors& f, float h, float singleSignWidth, float signWidth) {
    float lead = (f.upperAddend + SpacingOf(e, SpacingIntegralUpperShift)) * h;
    if (e->type == EqTypeIntegralBarAbove) {
        const float w = singleSignWidth;
        const float pen = std::max(1.0f, 0.05f * w);
        lead = std::max(lead, 1.05f * w + pen / 2 + 0.08f * w - signWidth);
    }
    return lead;
}

}  // namespace

int IntegralStyle(uint8_t optionByte) { return optionByte > 5 ? 5 : optionByte; }

int IntegralExtraSteps(int32_t t) {
    if (isOneOf(t, {282, 283, 293, 294, 295, 296, 777, 778, 779, 780})) return 1;
    if (isOneOf(t, {284, 285, 297, 298, 299, 300, 781, 782, 783, 784})) return 2;
    if (isOneOf(t, {286, 287, 301, 785, 786})) return 3;
    if (IsDottedIntegralType(t)) return 3;
    return 0;
}

bool IsDottedIntegralType(int32_t t) { return isOneOf(t, {276, 277, 278, 787, 788}); }

int IntegralOutlineIndex(int s) { return kStyleFactors[std::clamp(s, 0, kStyles - 1)].outline; }

void CKwEE_O_integral::BuildSign() {
    const EqElement* e = element;
    const StyleFactors& f = kStyleFactors[style];
    path.Reset();
    const SymbolLibrary* library = PassSymbols(e);
    if (GlyphOutline* outline = library ? library->outline(f.outline) : nullptr)
        GetGlyphPath(*outline, path, SpacingOf(e, SpacingIntegralSignSize) * size, -f.slant);
    gp::RectF b = path.GetBounds();
    if (f.widen > 0) {
        b.x -= f.widen * b.width / 2;
        b.width += f.widen * b.width;
    }
    pathOffsetX = -b.x;
    pathOffsetY = -b.y - b.height / 2;
    signHeight = b.height;
    signWidth = singleSignWidth = b.width;
    step = (SpacingOf(e, SpacingIntegralStep) + f.stepAddend) * signHeight;
    limitShift = f.limitShift * signHeight;
    signWidth += float(IntegralExtraSteps(e->type)) * step;
}

void CKwEE_O_integral::Layout(EqElement* e, gp::Graphics* graphics, float s, uint8_t flag) {
    CKwEE_O::Layout(e, graphics, s, flag);
    if (!e) return;
    const EqModel* eq = e->owner;
    gapUnit = size * (SpacingOf(e, SpacingElementGap) + 0.2f);
    style = IntegralStyle(eq ? eq->settings.options[0] : 0);
    BuildSign();
    const StyleFactors& f = kStyleFactors[style];

    const Chains c = chainsOf(e);
    // The gap between the sign and the integrand.
    const EqElement* first = c.integrand ? c.integrand->next : nullptr;
    float a = first && IsCharType(first->type)
                  ? size * (SpacingOf(e, SpacingIntegralLead) + SpacingOf(e, SpacingElementGap))
                  : size * (0.1f + SpacingOf(e, SpacingIntegralLead) + SpacingOf(e, SpacingElementGap));
    if (prevIsChar(e)) a += (SpacingOf(e, SpacingElementGap) + 0.08f) * size;

    const float limitScale = s * ScriptScaleFactor(eq);
    if (c.upper) LayoutElement(c.upper, graphics, limitScale, flag);
    if (c.lower) LayoutElement(c.lower, graphics, limitScale, flag);
    if (c.integrand) LayoutElement(c.integrand, graphics, s, flag);
    const float iw = draw::W(c.integrand);
    const float ia = draw::A(c.integrand);
    const float id = draw::D(c.integrand);
    const float uw = draw::W(c.upper);
    const float lw = draw::W(c.lower);
    const float h = signHeight;
    const float nextGap = e->next ? 0.4f * gapUnit : 0.0f;

    float width = a + iw + nextGap;
    if (hasSideLimits(e->type)) {
        const float plain = h / 2 + 0.05f * size;
        const float cc = 0.18f * size;
        float ascent = plain;
        float descent = plain;
        if (c.lower)
            descent = h / 2 + cc + SpacingOf(e, SpacingIntegralLowerGap) * size +
                      std::max(0.0f, heightOf(c.lower) - 0.4f * (cc + h));
        if (c.upper)
            ascent = h / 2 + cc + SpacingOf(e, SpacingIntegralUpperGap) * size +
                     std::max(0.0f, heightOf(c.upper) - 0.4f * (cc + h));
        // Room for the strokes over and under the sign.
        if (e->type == EqTypeIntegralBarAbove) ascent += 0.2f * size;
        if (e->type == EqTypeIntegralBarBelow) descent += 0.2f * size;
        e->ascent = std::max(ia, ascent);
        e->descent = std::max(id, descent);
        float reach = 0;
        if (c.upper) reach = std::max(reach, upperLimitLead(e, f, h, singleSignWidth, signWidth) + uw);
        if (c.lower) reach = std::max(reach, (SpacingOf(e, SpacingIntegralLowerShift) - f.lowerSubtrahend) * h + lw);
        width += signWidth + reach;
    } else {
        float ascent = 0.03f * size + h / 2;
        if (c.upper) {
            ascent += heightOf(c.upper) + SpacingOf(e, SpacingIntegralUpperGap) * size;
            // The upper limit's top lies two ascents above the sign's top.
            ascent = std::max(ascent, h / 2 + 2 * draw::A(c.upper));
        }
        const float descent = 0.03f * size + h / 2 + heightOf(c.lower) + SpacingOf(e, SpacingIntegralLowerGap) * size;
        e->ascent = std::max(ia, ascent);
        e->descent = std::max(id, descent);
        // The union of the sign and the limits, each centred; the lower limit
        // moved left and the upper right by the limit shift.
        float left = signWidth / 2;
        float right = signWidth / 2;
        if (c.upper) {
            left = std::max(left, uw / 2 - limitShift);
            right = std::max(right, uw / 2 + limitShift);
        }
        if (c.lower) {
            left = std::max(left, lw / 2 + limitShift);
            right = std::max(right, lw / 2 - limitShift);
        }
        width += left + right;
    }
    if (e->next) width += (SpacingOf(e, SpacingElementGap) + 0.06f) * size;
    e->width = width;
    e->xOffset = 0;
}

void CKwEE_O_integral::Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) {
    EqElement* e = element;
    if (!e || !graphics) return;
    gp::Graphics& g = *graphics;
    const bool script = flag != 0;
    const StyleFactors& f = kStyleFactors[style];
    const Chains c = chainsOf(e);

    float startX = x;
    float usable = e->width;
    if (e->next) usable -= (SpacingOf(e, SpacingElementGap) + 0.06f) * size;
    if (prevIsChar(e)) {
        const float lead = (SpacingOf(e, SpacingElementGap) + 0.08f) * size;
        startX += lead;
        usable -= lead;
    }
    const float iw = draw::W(c.integrand);
    DrawChain(c.integrand, g, startX + usable - iw - (e->next ? 0.4f * gapUnit : 0.0f), y, scale, script);

    const float limitScale = scale * ScriptScaleFactor(e->owner);
    const float h = signHeight;
    const float cc = 0.18f * size;
    float signX = startX;
    if (hasSideLimits(e->type)) {
        if (c.upper) {
            const float t = SpacingOf(e, SpacingIntegralUpperGap) * size + cc + h / 2;
            const float over = SpacingOf(e, SpacingIntegralUpperGap) * size + heightOf(c.upper) - 0.4f * (cc + h);
            const float top = y - t - std::max(over, 0.0f);
            const float lead = upperLimitLead(e, f, h, singleSignWidth, signWidth);
            DrawChain(c.upper, g, startX + signWidth + lead, top + draw::A(c.upper), limitScale, script);
        }
        if (c.lower) {
            const float t = SpacingOf(e, SpacingIntegralLowerGap) * size + cc + h / 2;
            const float under = SpacingOf(e, SpacingIntegralLowerGap) * size + heightOf(c.lower) - 0.4f * (cc + h);
            const float bottom = y + t + std::max(under, 0.0f);
            DrawChain(c.lower, g,
                      startX + signWidth + (SpacingOf(e, SpacingIntegralLowerShift) - f.lowerSubtrahend) * h,
                      bottom - draw::D(c.lower), limitScale, script);
        }
    } else {
        const float uw = draw::W(c.upper);
        const float lw = draw::W(c.lower);
        float left = signWidth / 2;
        if (c.upper) left = std::max(left, uw / 2 - limitShift);
        if (c.lower) left = std::max(left, lw / 2 + limitShift);
        const float C = startX + left;
        signX = C - signWidth / 2;
        if (c.lower) {
            const float centre = C - limitShift + SpacingOf(e, SpacingIntegralLowerShift) * h;
            DrawChain(c.lower, g, centre - lw / 2, y + h / 2 + draw::A(c.lower), limitScale, script);
        }
        if (c.upper) {
            const float centre = C + limitShift + SpacingOf(e, SpacingIntegralUpperShift) * h;
            // Both limits keep their ascent between their baseline and the
            // sign, so the two gaps match.
            DrawChain(c.upper, g, centre - uw / 2, y - h / 2 - draw::A(c.upper), limitScale, script);
        }
    }

    // The signs.
    const gp::ARGB colour = GetElementDrawColour(e, 6);
    const int extra = IntegralExtraSteps(e->type);
    const bool dotted = IsDottedIntegralType(e->type);
    if (path.GetPointCount() > 0) {
        const gp::SolidBrush brush(colour);
        for (int i = 0; i <= extra; ++i) {
            if (dotted && i != 0 && i != extra) continue;
            gp::SavedState saved(g);
            g.TranslateTransform(signX + pathOffsetX + float(i) * step, y + pathOffsetY);
            g.FillPath(brush, path);
        }
    }

    // The decoration of the type.
    const float w = singleSignWidth;
    const float pen = std::max(1.0f, 0.05f * w);
    const int32_t t = e->type;
    if (t == EqTypeIntegralBarBelow) {
        const float ly = y + h / 2 + 0.13f * w;
        g.DrawLine(draw::RoundPen(colour, pen), signX - 0.05f * w, ly, signX + 0.55f * w, ly);
    } else if (t == EqTypeIntegralBarAbove) {
        const float ly = y - h / 2 - 0.13f * w;
        g.DrawLine(draw::RoundPen(colour, pen), signX + 0.45f * w, ly, signX + 1.05f * w, ly);
    } else if (dotted) {
        const float r = 0.0235f * h;
        const float middle = signX + signWidth / 2;
        const gp::SolidBrush brush(colour);
        for (int i = -1; i <= 1; ++i) {
            const float cx = middle + float(i) * 0.55f * step;
            g.FillEllipse(brush, cx - r, y - r, 2 * r, 2 * r);
        }
    } else if (isArrowRingType(t) || isTurnedArrowRingType(t)) {
        const float r = 0.309f * w;
        const gp::PointF centre{signX + signWidth / 2, y};
        // 279 and its kin run anticlockwise from the bottom round to it
        // again; 280 and its kin clockwise from the right end round to it,
        // where the head, pointing down, stays clear of the sign's stem.
        if (isArrowRingType(t))
            FillArrowCircle(g, r, r, centre, 90.0f, -350.0f, colour, pen, kRingHeadLength, kRingHeadWidth);
        else
            FillArrowCircle(g, r, r, centre, 0.0f, 359.0f, colour, pen, kRingHeadLength, kRingHeadWidth);
    } else if (isContourType(t)) {
        g.DrawEllipse(gp::Pen(colour, pen), signX + 0.191f * w, y - 0.309f * w, signWidth - 0.382f * w, 0.618f * w);
    }
}

}  // namespace toliva
