// Drawers of wide accents, enclosures and the phasor.
#include "model/EqDrawers.h"

#include "model/EqLayout.h"
#include "model/ShapeBracket.h"
#include "model/ShapeBuilders.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <algorithm>

namespace toliva {

using namespace draw;

namespace {

// Where the content of a single-chain decoration is centred: the layout added
// a side gap towards each neighbour, so at the start or the end of a chain
// the content moves by half a gap.
float ContentCentre(const EqElement* e, float x, float size) {
    const float gap = size * (SpacingOf(e, SpacingElementGap) + 0.1f);
    const float gl = FirstInChain(e) ? gap : 0.0f;
    const float gr = LastInChain(e) ? gap : 0.0f;
    return x + e->width / 2 + (gr - gl) / 2;
}

// The wide accents 210, 217 and 218 draw the bracket object's square, bar
// and double-bar delimiter shapes.

void DrawWideAccent(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script, bool over) {
    const float size = SizeAt(e, scale);
    const float cx = ContentCentre(e, x, size);
    EqElement* base = ChildChain(e, 0);
    DrawChain(base, g, cx - W(base) / 2, y, scale, script);

    const float s28 = SpacingOf(e, SpacingAccentStep);
    const float length = W(base);
    const float height = 0.1f * size + std::min(0.75f * length, s28 * size);
    const float th = std::min(0.06f * size, 0.2f * height);
    const float cy = over ? y - e->ascent + 0.5f * s28 * size + 0.1f * size
                          : y + e->descent - 0.5f * s28 * size - 0.1f * size;
    const float angle = over ? 90.0f : -90.0f;
    const float towardBase = over ? 1.0f : -1.0f;  // along y
    const gp::ARGB colour = GetElementDrawColour(e, 7);
    const int kind = over ? e->type - 208 : e->type - 224;

    gp::SavedState saved(g);
    g.TranslateTransform(cx, cy);
    const gp::PointF left{-length / 2, 0}, right{length / 2, 0};
    switch (kind) {
    case 0: FillParenthesis(g, length, height, th, colour, angle); break;
    case 1: FillWideTilde(g, {-length / 2, -height / 2, length, height}, colour); break;
    case 2: DrawSquareDelimiter(g, 0.9f * height, length, th, colour, angle); break;
    case 3: FillAngleBracket(g, length, height, th, colour, angle); break;
    case 4: FillArrowMark(g, right, left, length, th, 0.8f * height, colour, 0); break;
    case 5: FillArrowMark(g, right, left, length, th, 0.8f * height, colour, 1); break;
    case 6: FillArrowMark(g, left, right, length, th, 0.9f * height, colour, 0); break;
    case 7:
        // A harpoon pointing right, its barb away from the base. The arrow
        // mark puts its head at `from` and turns the frame round for an arrow
        // pointing right, so its -y barb (kind 2) then lies below.
        FillArrowMark(g, right, left, length, th, 0.9f * height, colour, over ? 3 : 2);
        break;
    case 8:
        g.TranslateTransform(0, -towardBase * 0.05f * size);
        FillBrace(g, length, height, th, colour, angle);
        break;
    case 9:
        g.TranslateTransform(0, towardBase * (height - th) / 2);
        DrawBarDelimiter(g, height, length, th, colour, angle);
        break;
    case 10:
        g.TranslateTransform(0, towardBase * 0.02f * size);
        DrawDoubleBarDelimiter(g, 0.8f * height, length, th, colour, angle);
        break;
    case 11:
        g.TranslateTransform(0, towardBase * 0.015f * size);
        DrawSquareBracketLine(g, length, 0.9f * height, th, colour, angle);
        break;
    default: break;
    }
}

}  // namespace

void DrawOverAccent(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    DrawWideAccent(e, g, x, y, scale, script, true);
}

void DrawUnderAccent(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    DrawWideAccent(e, g, x, y, scale, script, false);
}

void DrawEnclosure(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float size = SizeAt(e, scale);
    const float cx = ContentCentre(e, x, size);
    EqElement* chain = ChildChain(e, 0);
    const float penWidth = 0.03f * size;
    const float left = cx - W(chain) / 2 - 0.1f * size + penWidth / 2;
    const float right = cx + W(chain) / 2 + 0.1f * size - penWidth / 2;
    const float top = y - A(chain) + 0.02f * size;
    const float bottom = y + D(chain) - 0.02f * size;
    const float mid = (top + bottom) / 2;
    const gp::RectF box{left, top, right - left, bottom - top};
    const gp::ARGB colour = GetElementDrawColour(e, 7);
    gp::Pen pen = RoundPen(colour, penWidth);
    pen.SetLineJoin(gp::LineJoinRound);
    // The fill of a colour box; a phantom's fill takes the phantom colour.
    const gp::ARGB fill = e->phantomKind() > 0 ? e->owner->phantomColour : GetBoxColour(e);

    auto corner = [&](gp::PointF a, gp::PointF b, gp::PointF c) {
        const gp::PointF points[] = {a, b, c};
        g.DrawLines(pen, points, 3);
    };
    const gp::PointF tl{left, top}, tr{right, top}, bl{left, bottom}, br{right, bottom};
    switch (e->type) {
    case EqTypeStrikeHorizontal: g.DrawLine(pen, left, mid, right, mid); break;
    case EqTypeStrikeDown: g.DrawLine(pen, tl, br); break;
    case EqTypeStrikeUp: g.DrawLine(pen, bl, tr); break;
    case EqTypeStrikeCross:
        g.DrawLine(pen, tl, br);
        g.DrawLine(pen, bl, tr);
        break;
    case EqTypeCornerTopLeft: corner(tr, tl, bl); break;
    case EqTypeCornerBottomLeft: corner(tl, bl, br); break;
    case EqTypeCornerBottomRight: corner(bl, br, tr); break;
    case EqTypeCornerTopRight: corner(br, tr, tl); break;
    case EqTypeBox: g.DrawRectangle(pen, box); break;
    case EqTypeColourBox: g.FillRectangle(gp::SolidBrush(fill), box); break;
    case EqTypeHatchForward:
    case EqTypeHatchBackward: {
        // Hatched over a transparent background, so the content shows.
        const auto hatch =
            e->type == EqTypeHatchForward ? gp::HatchStyleForwardDiagonal : gp::HatchStyleBackwardDiagonal;
        g.FillRectangle(gp::HatchBrush(hatch, fill, 0x00FFFFFF), box);
        g.DrawRectangle(pen, box);
        break;
    }
    case EqTypeStrikeDouble:
        g.DrawLine(pen, left, mid - 0.1f * size, right, mid - 0.1f * size);
        g.DrawLine(pen, left, mid + 0.1f * size, right, mid + 0.1f * size);
        break;
    default: break;
    }
    DrawChain(chain, g, cx - W(chain) / 2, y, scale, script);
}

void DrawPhasor(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float size = SizeAt(e, scale);
    const float gap = size * (SpacingOf(e, SpacingElementGap) + 0.1f);
    const float gl = FirstInChain(e) ? gap : 0.0f;
    const float gr = LastInChain(e) ? gap : 0.0f;
    const float slant = 0.1f * size + 0.333f * (e->ascent + e->descent);
    const float centre = x + slant + (e->width - slant) / 2 + (gr - gl) / 2;
    EqElement* chain = ChildChain(e, 0);
    const float w = W(chain);
    DrawChain(chain, g, centre - w / 2, y, scale, script);

    const float s28 = SpacingOf(e, SpacingAccentStep);
    const float bottom = y + e->descent - 0.5f * s28 * size - 0.1f * size;
    const gp::PointF points[] = {{centre + w / 2, bottom},
                                 {centre - w / 2 - slant, bottom},
                                 {centre - w / 2 - 0.1f * size, y - e->ascent + 0.5f * s28 * size}};
    const float accentHeight = 0.1f * size + std::min(0.75f * w, s28 * size);
    gp::Pen pen = RoundPen(GetElementDrawColour(e, 7), 0.75f * std::min(0.06f * size, 0.2f * accentHeight));
    pen.SetLineJoin(gp::LineJoinRound);
    g.DrawLines(pen, points, 3);
}

}  // namespace toliva
