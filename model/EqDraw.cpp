#include "model/EqDraw.h"

#include "model/EqDrawers.h"
#include "model/RenderContext.h"
#include "model/ShapeObject.h"
#include "platform/gdiplus/Brush.h"

#include <algorithm>
#include <cmath>

namespace toliva {
namespace {

using Drawer = void (*)(EqElement*, gp::Graphics&, float, float, float, bool);

// The structures of codes 64 to 191; every other code of the span is drawn
// as a character.
Drawer StructureDrawer(int32_t type) {
    switch (type) {
    case 64: return DrawCalcResult;
    case 128: return DrawFraction;
    case 129: return DrawBevelledFraction;
    case 130: return DrawSlashFraction;
    case 131: return DrawLongDivision;
    case 132: return DrawSmallFraction;
    case 133:
    case 134: return DrawStack;
    case 135: return DrawArcMark;
    case 136:
    case 137: return DrawRadical;
    case 173: return DrawSuperscript;
    case 174: return DrawSubscript;
    case 175: return DrawSubSuperscript;
    case 176: return DrawBaselineScript;
    case 177: return DrawOverScript;
    case 178: return DrawOverUnderScript;
    case 179:
    case 180: return DrawUnderScript;
    case 181: return DrawBarScripts;
    case 182: return DrawSideScripts;
    case 189: return DrawPreSuperscript;
    case 190: return DrawPreSubscript;
    case 191: return DrawPreScripts;
    default: return DrawCharElement;
    }
}

// An element whose shape is computed draws through its shape object; without
// one it draws nothing.
void DrawShapeObject(EqElement* e, gp::Graphics& g, float x, float y, bool script) {
    if (e->shape) e->shape->Draw(&g, x, y, script ? 1 : 0);
}

// Chooses the drawer by type; the first matching test wins.
void DrawContent(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const int32_t t = e->type;
    Drawer drawer = nullptr;
    if (IsFrameMarkType(t)) drawer = DrawFrameMark;
    else if (IsCharType(t)) drawer = DrawCharElement;
    else if (IsOperatorType(t)) return DrawShapeObject(e, g, x, y, script);
    else if (IsOverAccentType(t)) drawer = DrawOverAccent;
    else if (IsUnderAccentType(t)) drawer = DrawUnderAccent;
    else if (IsEnclosureType(t)) drawer = DrawEnclosure;
    else if (t == EqTypePhasor) drawer = DrawPhasor;
    else if (IsArrowSymbolType(t)) drawer = DrawArrowSymbol;
    else if (IsExtArrowAboveType(t) || IsExtArrowBelowType(t)) drawer = DrawExtArrow;
    else if (IsExtArrowGlyphType(t)) drawer = DrawOutlineExtArrow;
    else if (IsBracketType(t) || IsMatrixType(t)) return DrawShapeObject(e, g, x, y, script);
    else if (IsGlyphSymbolType(t)) drawer = DrawGlyphSymbolElement;
    else if (IsBigOperatorType(t) || IsIntegralType(t) || t == EqTypeChemForm)
        return DrawShapeObject(e, g, x, y, script);
    else if (t == EqTypeSmall) drawer = DrawSmallGroup;
    else if (inRange(t, 64, 191)) drawer = StructureDrawer(t);
    else drawer = DrawCharElement;
    drawer(e, g, x, y, scale, script);
}

// The phantom pens draw on whole pixels.
float Whole(float v) { return std::isfinite(v) ? std::trunc(v) : v; }

}  // namespace

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
            default: DrawContent(cur, g, x, y, scale, script); break;
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
