#include "model/EqDraw.h"

#include "model/EqDrawers.h"
#include "model/EqTypeRoutes.h"
#include "model/RenderContext.h"
#include "model/ShapeObject.h"
#include "platform/gdiplus/Brush.h"

#include <algorithm>
#include <cmath>

namespace toliva {
namespace {

// The phantom pens draw on whole pixels.
float Whole(float v) { return std::isfinite(v) ? std::trunc(v) : v; }

}  // namespace

void DrawShapeObjectElement(EqElement* e, gp::Graphics& g, float x, float y, float, bool script) {
    if (e->shape) e->shape->Draw(&g, x, y, script ? 1 : 0);
}

Drawer DrawerOf(int32_t type) {
    switch (FamilyOfType(type)) {
    case EqFamily::Char:
    case EqFamily::Space: return DrawCharElement;
    case EqFamily::GlyphSymbol: return DrawGlyphSymbolElement;
    case EqFamily::CalcResult: return DrawCalcResult;
    case EqFamily::Fraction: return DrawFraction;
    case EqFamily::BevelledFraction: return DrawBevelledFraction;
    case EqFamily::SlashFraction: return DrawSlashFraction;
    case EqFamily::LongDivision: return DrawLongDivision;
    case EqFamily::SmallFraction: return DrawSmallFraction;
    case EqFamily::Stack: return DrawStack;
    case EqFamily::ArcMark: return DrawArcMark;
    case EqFamily::Radical: return DrawRadical;
    case EqFamily::Superscript: return DrawSuperscript;
    case EqFamily::Subscript: return DrawSubscript;
    case EqFamily::SubSuperscript: return DrawSubSuperscript;
    case EqFamily::BaselineScript: return DrawBaselineScript;
    case EqFamily::OverScript: return DrawOverScript;
    case EqFamily::OverUnderScript: return DrawOverUnderScript;
    case EqFamily::UnderScript: return DrawUnderScript;
    case EqFamily::BarScripts: return DrawBarScripts;
    case EqFamily::SideScripts: return DrawSideScripts;
    case EqFamily::PreSuperscript: return DrawPreSuperscript;
    case EqFamily::PreSubscript: return DrawPreSubscript;
    case EqFamily::PreScripts: return DrawPreScripts;
    case EqFamily::OverAccent: return DrawOverAccent;
    case EqFamily::UnderAccent: return DrawUnderAccent;
    case EqFamily::Enclosure: return DrawEnclosure;
    case EqFamily::Phasor: return DrawPhasor;
    case EqFamily::ArrowSymbol: return DrawArrowSymbol;
    case EqFamily::ExtArrow: return DrawExtArrow;
    case EqFamily::ExtArrowGlyph: return DrawOutlineExtArrow;
    case EqFamily::FrameMark: return DrawFrameMark;
    case EqFamily::SmallGroup: return DrawSmallGroup;
    case EqFamily::Integral:
    case EqFamily::BigOperator:
    case EqFamily::Bracket:
    case EqFamily::Matrix:
    case EqFamily::ChemForm:
    case EqFamily::Operator: return DrawShapeObjectElement;
    }
    return DrawCharElement;
}

void DrawElement(EqElement* e, gp::Graphics& g, float x, float y, const gp::RectF* lineBox, float scale,
                 bool script) {
    // A loop along the chain: a long line must not cost one stack frame per
    // element.
    for (EqElement* cur = e; cur; cur = cur->next) {
        EqModel* eq = cur->owner;
        if (!eq) return;
        if (scale < eq->minScale) scale = eq->minScale;

        cur->rect = {x, y - cur->ascent, cur->width, cur->ascent + cur->descent};
        if (cur->type == EqTypeChainHead) {
            cur->origin = {x, y - cur->chainAscent, cur->chainWidth, cur->chainAscent + cur->chainDescent};
        } else {
            const gp::RectF& line = lineBox ? *lineBox : cur->rect;
            cur->origin = {x, line.y, cur->width, line.height};
        }

        try {
            if (eq->markHighlight && cur->mark) DrawMarkHighlight(cur, g);
            switch (cur->phantomKind()) {
            case PhantomHorizontal:
                if (!eq->outputMode) DrawPhantomSpanMark(x, y, scale, cur, g);
                break;
            case PhantomVertical:
                if (!eq->outputMode) DrawPhantomHeightMark(x, y, scale, cur, g);
                break;
            default: DrawerOf(cur->type)(cur, g, x, y, scale, script); break;
            }
        } catch (...) {
            // Drawing is best effort: an element that cannot be drawn (out of
            // memory) is left out and the chain goes on.
        }

        lineBox = &cur->origin;
        x += cur->width;
    }
}

void DrawElement(const RenderContext& context, EqElement* e, gp::Graphics& g, float x, float y,
                 const gp::RectF* lineBox, float scale, bool script) {
    const RenderScope pass(e ? e->owner : nullptr, context);
    DrawElement(e, g, x, y, lineBox, scale, script);
}

void DrawChain(EqElement* head, gp::Graphics& g, float x, float y, float scale, bool script) {
    if (head) DrawElement(head, g, x, y, nullptr, scale, script);
}

void DrawMarkHighlight(const EqElement* e, gp::Graphics& g) {
    g.FillRectangle(gp::SolidBrush(kMarkHighlightColour), e->rect);
}

void DrawPhantomSpanMark(float x, float y, float scale, const EqElement* e, gp::Graphics& g) {
    const EqModel* eq = e->owner;
    const gp::Pen pen(eq->phantomColour, 1.0f);
    float left = Whole(x);
    float right = Whole(x + e->width);
    if (left < right - 2) {
        left += 1;
        right -= 1;
    }
    const float base = Whole(y);
    const float t = eq->settings.fontSize * 0.15f * scale;
    g.DrawLine(pen, left, base, right, base);
    g.DrawLine(pen, left, Whole(y - t), left, Whole(y + t));
    g.DrawLine(pen, right, Whole(y - t), right, Whole(y + t));
}

void DrawPhantomHeightMark(float x, float y, float scale, const EqElement* e, gp::Graphics& g) {
    const EqModel* eq = e->owner;
    const gp::Pen pen(eq->phantomColour, 1.0f);
    float top = Whole(y - e->ascent);
    float bottom = Whole(y + e->descent);
    if (top < bottom - 2) {
        top += 1;
        bottom -= 1;
    }
    const float at = Whole(x);
    const float t = eq->settings.fontSize * 0.15f * scale;
    g.DrawLine(pen, at, top, at, bottom);
    g.DrawLine(pen, Whole(x - t), top, Whole(x + t), top);
    g.DrawLine(pen, Whole(x - t), bottom, Whole(x + t), bottom);
}

void DrawEmptySlotBox(const EqElement* e, gp::Graphics& g) {
    const gp::RectF& r = e->rect;
    const bool second = e->owner->flag0 != 0;
    const float inset = r.height * (second ? 0.15f : 0.1f);
    const gp::RectF box{r.x, r.y + inset, r.width, r.height - 2 * inset};
    g.FillRectangle(gp::SolidBrush(second ? kEmptySlotColourAlt : kEmptySlotColour), box);
}

void DrawSpaceMarker(const EqElement* e, gp::Graphics& g) {
    const gp::RectF& r = e->rect;
    gp::RectF box{r.x, r.y + 0.1f * r.height, r.width, 0.8f * r.height};
    gp::Pen pen(e->owner->phantomColour, 0.1f);
    pen.SetDashStyle(gp::DashStyleDash);
    if (box.width >= 0) {
        // One divider per height's worth of width; a box without height (or a
        // huge ratio) gets a bounded count.
        constexpr int kMaxDividers = 64;
        const float ratio = box.height > 0 ? box.width / box.height : 1.0f;
        const int n = std::clamp(std::isfinite(ratio) ? int(std::min(ratio, float(kMaxDividers))) : 1, 1,
                                 kMaxDividers);
        for (int k = 1; k <= n; ++k) {
            const float at = box.x + float(k) * box.width / float(n + 1);
            g.DrawLine(pen, at, box.y, at, box.bottom());
        }
    } else {
        box.x += box.width;
        box.width = -box.width;
    }
    const float mid = box.y + box.height / 2;
    g.DrawLine(pen, box.right(), mid, box.x, mid);
    g.DrawRectangle(pen, box);
}

}  // namespace toliva
