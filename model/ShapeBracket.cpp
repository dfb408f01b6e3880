#include "model/ShapeBracket.h"

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "model/EqTypes.h"
#include "model/ShapeBuilders.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsGuards.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Pen.h"

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

gp::Pen roundPen(gp::ARGB colour, float width) {
    gp::Pen pen(colour, width);
    pen.SetLineCap(gp::LineCapRound, gp::LineCapRound, gp::DashCapRound);
    pen.SetLineJoin(gp::LineJoinRound);
    return pen;
}

// Height thresholds and widths of one delimiter kind, in units of the size.
struct WidthTable {
    float thresholds[5];
    float widths[5];
};

constexpr WidthTable kRoundTable{{1, 2, 3, 4, 5}, {0.23f, 0.23f, 0.3f, 0.4f, 0.5f}};
constexpr WidthTable kRoundStyleTable{{1.5f, 2, 2.5f, 4, 5}, {0.255f, 0.33f, 0.38f, 0.4f, 0.5f}};
constexpr WidthTable kSquareTable{{1.5f, 2, 2.5f, 4, 5}, {0.22f, 0.26f, 0.31f, 0.38f, 0.43f}};
constexpr WidthTable kCurlyTable{{1.3f, 2.5f, 5, 7, 9}, {0.3f, 0.37f, 0.5f, 0.6f, 0.75f}};
constexpr WidthTable kCurlyStyleTable{{1.5f, 2.5f, 5.5f, 7, 9}, {0.38f, 0.48f, 0.65f, 0.7f, 0.9f}};
constexpr WidthTable kAngleTable{{1, 3, 5, 7, 9}, {0.23f, 0.38f, 0.5f, 0.72f, 0.8f}};
constexpr WidthTable kBarTable{{1, 3, 5, 7, 9}, {0.1f, 0.13f, 0.17f, 0.18f, 0.2f}};
constexpr WidthTable kDoubleBarTable{{1, 3, 5, 7, 9}, {0.33f, 0.33f, 0.35f, 0.35f, 0.35f}};
constexpr WidthTable kDoubleSquareTable{{2, 2.5f, 3, 3.5f, 4}, {0.28f, 0.31f, 0.36f, 0.39f, 0.42f}};

const WidthTable& widthTable(int kind, bool roundStyle, bool braceStyle) {
    switch (kind) {
    case DelimiterRound: return roundStyle ? kRoundStyleTable : kRoundTable;
    case DelimiterCurly: return braceStyle ? kCurlyStyleTable : kCurlyTable;
    case DelimiterAngle: return kAngleTable;
    case DelimiterBar: return kBarTable;
    case DelimiterDoubleBar: return kDoubleBarTable;
    case DelimiterDoubleSquare: return kDoubleSquareTable;
    default: return kSquareTable;
    }
}

// The square bracket's four points with stroke unit p.
struct SquarePoints {
    gp::PointF armTop, spineTop, spineBottom, armBottom;
};

SquarePoints squarePoints(float w, float h, float p) {
    const float spine = -w / 2 + p / 2, arm = w / 2 - 1.2f * p;
    const float top = -h / 2 + 0.75f * p, bottom = h / 2 - 0.75f * p;
    return {{arm, top}, {spine, top}, {spine, bottom}, {arm, bottom}};
}

// The crescent of a tall parenthesis: four arcs in one filled path, the
// outer and inner edges running straight between their end arcs.
void fillCrescent(gp::Graphics& g, float w, float h, float s, gp::ARGB colour) {
    const float d = s / 2;
    const float x = std::min(2.5f * w, 0.2f * h);
    const float y1 = w - 0.2f * d, y2 = w - 0.8f * d;
    if (!(x > 0) || !(y1 > 0) || !(y2 > 0)) return;
    const float a1 = float(2 * std::atan2(y1, x) * kDegreesPerRadian);
    const float a2 = float(2 * std::atan2(y2, x) * kDegreesPerRadian);
    const float r1 = (y1 * y1 + x * x) / (2 * y1);
    const float r2 = (y2 * y2 + x * x) / (2 * y2);
    gp::GraphicsPath path;
    path.AddArc(-w / 2 - d / 2, x - h / 2 - r1, 2 * r1, 2 * r1, a1 - 180, -a1);
    path.AddArc(-w / 2 - d / 2, h / 2 - x - r1, 2 * r1, 2 * r1, 180, -a1);
    path.AddArc(1.15f * d - w / 2, h / 2 - x - r2, 2 * r2, 2 * r2, 180 - a2, a2);
    path.AddArc(1.15f * d - w / 2, x - h / 2 - r2, 2 * r2, 2 * r2, 180, a2);
    path.CloseFigure();
    g.FillPath(colour, path);
}

// The brace of four Bezier segments: the outer edge from the top end to the
// tip and on to the bottom end, the inner edge back.
void fillBezierBrace(gp::Graphics& g, float w, float h, float s, gp::ARGB colour) {
    if (!(w > 0) || !(h > 0)) return;
    const float k = std::min(h * s / (3 * w), 0.65f * s);
    const float j = std::min(0.1f * h, 5 * k);
    const float tip = -w / 2 + k - 0.75f * s;
    const float innerTip = -w / 2 + 2.5f * k - 0.75f * s;
    const float inner = h / 2 - j - 1.5f * k;
    gp::GraphicsPath path;
    path.AddBezier(w / 2 - 2.5f * k, -h / 2, -w + 1.5f * k, j - h / 2, w - 5 * k, -k, tip, -k / 8);
    path.AddBezier(tip, k / 8, w - 5 * k, k, -w + 1.5f * k, h / 2 - j, w / 2 - 2.5f * k, h / 2);
    path.AddBezier(w / 2 - 2.3f * k, h / 2 - k / 4, -w + 3.5f * k, inner, w - 4 * k, k, innerTip, k / 8);
    path.AddBezier(innerTip, -k / 8, w - 4 * k, -k, -w + 3.5f * k, -inner, w / 2 - 2.3f * k, -(h / 2 - k / 4));
    path.CloseFigure();
    g.FillPath(colour, path);
}

void drawFloorOrCeiling(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, bool floor) {
    const float p = 0.8f * s;
    const SquarePoints q = squarePoints(w, h, p);
    if (floor) {
        const gp::PointF pts[] = {{q.spineTop.x, q.spineTop.y - 0.35f * p}, q.spineBottom, q.armBottom};
        g.DrawLines(roundPen(colour, 0.75f * p), pts, 3);
    } else {
        const gp::PointF pts[] = {q.armTop, q.spineTop, {q.spineBottom.x, q.spineBottom.y + 0.35f * p}};
        g.DrawLines(roundPen(colour, 0.75f * p), pts, 3);
    }
}

void drawDoubleSquare(gp::Graphics& g, float w, float h, float s, gp::ARGB colour) {
    const SquarePoints q = squarePoints(w, h, s);
    const float o = 0.15f * s;
    const gp::PointF pts[] = {{q.armTop.x + o, q.armTop.y - o},
                              {q.spineTop.x - o, q.spineTop.y - o},
                              {q.spineBottom.x - o, q.spineBottom.y + o},
                              {q.armBottom.x + o, q.armBottom.y + o}};
    const gp::Pen pen = roundPen(colour, s / 2);
    g.DrawLines(pen, pts, 4);
    const float inner = pts[1].x + 0.35f * w;
    g.DrawLine(pen, inner, pts[1].y, inner, pts[2].y);
}

// The first element of a chain, a leading space skipped.
const EqElement* firstContent(const EqElement* head) {
    const EqElement* first = head ? head->next : nullptr;
    if (first && IsSpaceElement(first)) first = first->next;
    return first;
}

bool holdsBracket(const EqElement* head) {
    for (const EqElement* e = head; e; e = e->next)
        if (IsBracketType(e)) return true;
    return false;
}

}  // namespace

// ---- codes and widths

DelimiterForm DelimiterCodeForm(uint8_t code) {
    DelimiterForm f;
    if (code < 33) {
        const int kind = code & 0x0F;
        if (kind >= DelimiterRound && kind <= DelimiterDoubleSquare) f.kind = uint8_t(kind);
        f.rotation = (code & 0x10) ? 180.0f : 0.0f;
        return f;
    }
    f.stretchy = false;
    bool turned = false;
    switch (code & 0xF0) {
    case 0x30: f.height = 3.5f, turned = true; break;
    case 0x40: f.height = 2.5f; break;
    case 0x50: f.height = 2.5f, turned = true; break;
    case 0x60: f.height = 1.8f; break;
    case 0x70: f.height = 1.8f, turned = true; break;
    case 0x80: f.height = 1.3f; break;
    case 0x90: f.height = 1.3f, turned = true; break;
    default:
        if (code < 0xA0) f.height = 3.5f;
        else f.keepsPrevious = true;
        break;
    }
    const int low = code & 0x0F;
    if (low >= 1 && low <= 8) {
        static constexpr uint8_t kinds[] = {DelimiterRound, DelimiterSquare, DelimiterCurly, DelimiterAngle};
        f.kind = kinds[(low - 1) / 2];
        f.rotation = (low % 2 == 0) ? 180.0f : 0.0f;
    } else if (low == 9 || low == 10) {
        f.kind = low == 9 ? DelimiterBar : DelimiterDoubleBar;
        f.rotation = turned ? 180.0f : 0.0f;
    }
    return f;
}

DelimiterWidth DelimiterWidthFor(int kind, float height, float size, bool roundStyle, bool braceStyle) {
    DelimiterWidth r;
    if (kind == DelimiterNone) return r;
    const WidthTable& t = widthTable(kind, roundStyle, braceStyle);
    r.tall = height > 2 * size && kind != DelimiterBar && kind != DelimiterDoubleBar;
    int i = 4;
    for (int k = 0; k < 5; ++k) {
        if (t.thresholds[k] * size >= height) {
            i = k;
            break;
        }
    }
    r.width = size * (r.tall ? t.widths[i] : t.widths[i] + 0.06f);
    return r;
}

// ---- shapes

void DrawSquareDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle) {
    gp::SavedState saved(g);
    g.RotateTransform(angle);
    const float p = 0.8f * s;
    const SquarePoints q = squarePoints(w, h, p);
    const gp::PointF pts[] = {q.armTop, q.spineTop, q.spineBottom, q.armBottom};
    g.DrawLines(roundPen(colour, 0.75f * p), pts, 4);
}

void DrawBarDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle) {
    gp::SavedState saved(g);
    g.RotateTransform(angle);
    const float p = 0.8f * s;
    const float at = -w / 2 + p / 2;
    g.DrawLine(roundPen(colour, 0.75f * p), at, -h / 2 + p / 2, at, h / 2 - p / 2);
}

void DrawDoubleBarDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle) {
    gp::SavedState saved(g);
    g.RotateTransform(angle);
    const gp::Pen pen = roundPen(colour, s / 2);
    for (float at : {0.15f * s - w / 2, w / 2 - 2.5f * s}) g.DrawLine(pen, at, -h / 2 + s / 2, at, h / 2 - s / 2);
}

void DrawRoundDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle, bool roundStyle,
                        float size) {
    if (roundStyle && h > 1.5f * size) {
        FillParenthesis(g, h, w, s, colour, angle);
    } else if (5 * w >= h) {
        FillParenShape(g, h, w, s, colour, angle, 0.275f);
    } else {
        gp::SavedState saved(g);
        g.RotateTransform(angle);
        fillCrescent(g, w, h, s, colour);
    }
}

void DrawCurlyDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle, bool braceStyle) {
    if (!braceStyle) {
        FillBrace(g, h, w, s, colour, angle);
        return;
    }
    gp::SavedState saved(g);
    g.RotateTransform(angle);
    fillBezierBrace(g, w, h, s, colour);
}

void DrawDelimiterShape(gp::Graphics& g, int kind, float w, float h, float s, gp::ARGB colour, float angle,
                        bool roundStyle, bool braceStyle, float size) {
    switch (kind) {
    case DelimiterRound: DrawRoundDelimiter(g, w, h, s, colour, angle, roundStyle, size); break;
    case DelimiterSquare: DrawSquareDelimiter(g, w, h, s, colour, angle); break;
    case DelimiterCurly: DrawCurlyDelimiter(g, w, h, s, colour, angle, braceStyle); break;
    case DelimiterAngle: FillAngleBracket(g, h, w, s, colour, angle); break;
    case DelimiterBar: DrawBarDelimiter(g, w, h, s, colour, angle); break;
    case DelimiterDoubleBar: DrawDoubleBarDelimiter(g, w, h, s, colour, angle); break;
    case DelimiterFloor:
    case DelimiterCeiling: {
        gp::SavedState saved(g);
        g.RotateTransform(angle);
        drawFloorOrCeiling(g, w, h, s, colour, kind == DelimiterFloor);
        break;
    }
    case DelimiterDoubleSquare: {
        gp::SavedState saved(g);
        g.RotateTransform(angle);
        drawDoubleSquare(g, w, h, s, colour);
        break;
    }
    default: break;
    }
}

// ---- layout

void CKwEE_O_Bracket::SizeSide(Side& side, bool contentHoldsBracket, const float* previousHeight) {
    EqElement* e = element;
    const EqLayoutSettings& st = e->owner->settings;
    const DelimiterForm form = DelimiterCodeForm(side.code);
    float h = 0;
    if (form.stretchy) h = e->ascent + e->descent;
    else if (form.keepsPrevious) h = previousHeight ? *previousHeight : e->ascent + e->descent;
    else h = form.height * size;
    if (!contentHoldsBracket) h += 0.1f * size;
    e->descent = std::max(e->ascent, h / 2);
    e->ascent = e->descent;

    side.height = h;
    side.kind = form.kind;
    side.rotation = form.rotation;
    // A fixed bar or double bar is the same either way up, but its strokes
    // keep to one side of their box: the left one is drawn upright and the
    // right one turned, so both keep their gap to the content.
    if (!form.stretchy && (form.kind == DelimiterBar || form.kind == DelimiterDoubleBar))
        side.rotation = &side == &right ? 180.0f : 0.0f;
    const uint8_t roundOption = st.options[3];
    side.roundStyle = roundOption > 1 ? SpacingOf(e, SpacingBracketRoundLimit) * size >= h : roundOption != 0;
    if (side.kind != DelimiterNone) {
        const DelimiterWidth dw = DelimiterWidthFor(side.kind, h, size, side.roundStyle, braceStyle);
        side.width = dw.width;
        tall = dw.tall;
    } else {
        side.width = 0;
    }
}

void CKwEE_O_Bracket::Layout(EqElement* e, gp::Graphics* graphics, float s, uint8_t flag) {
    CKwEE_O::Layout(e, graphics, s, flag);
    if (!e || !e->owner) return;
    const EqLayoutSettings& st = e->owner->settings;

    EqElement* first = ChildChain(e, 0);
    EqElement* last = e->children.size() >= 2 ? LastChildChain(e) : nullptr;
    const BracketDelimiters codes = GetBracketDelimiters(e);
    left = Side{};
    right = Side{};
    left.code = codes.left;
    right.code = codes.right;
    tall = false;

    const bool loneBrace = (codes.left == 3 && codes.right == 0) || (codes.left == 0 && codes.right == 19);
    const EqElement* lead = firstContent(first);
    nested = SpacingOf(e, SpacingNestedBracketGrow) > 1 && loneBrace && lead && IsMatrixType(lead);
    const float grow = SpacingOf(e, SpacingNestedBracketGrow) - 1;

    strokeWidth = SpacingOf(e, SpacingBracketStroke) * size *
                  (nested ? SpacingOf(e, SpacingNestedBracketGrow) * SpacingOf(e, SpacingNestedBracketGrow) : 1.0f);
    colour = GetElementDrawColour(e, 8);
    const float A = size * SpacingOf(e, SpacingElementGap);
    const float V = size * (SpacingOf(e, SpacingBracketMargin) + 0.03f);

    if (first) LayoutElement(first, graphics, s, flag);
    const float w1 = first ? first->chainWidth : 0, a1 = first ? first->chainAscent : 0,
                d1 = first ? first->chainDescent : 0;

    float contentWidth = 0;
    if (!last) {
        const float half = std::max({a1, d1, 0.55f * size}) + V;
        e->ascent = e->descent = half;
        contentWidth = w1;
    } else {
        LayoutElement(last, graphics, s, flag);
        const float half = std::max({a1, d1, last->chainAscent, last->chainDescent, 0.55f * size + V}) + V;
        e->ascent = e->descent = half;
        contentWidth = w1 + last->chainWidth;
    }

    // Sizing the delimiters.
    if (nested) {
        e->ascent += grow * 2 * size;
        e->descent += grow * 2 * size;
    }
    braceStyle = st.options[2] != 0;
    const bool withBracket = holdsBracket(first) || holdsBracket(last);
    SizeSide(left, withBracket, nullptr);
    SizeSide(right, withBracket, &left.height);
    if (nested) {
        left.width += grow * size;
        right.width += grow * size;
    }

    if (!last) {
        e->width = left.width + contentWidth + right.width + A;
        if (left.code != 0 && right.code != 0) e->width += A;
    } else {
        e->width = contentWidth + left.width + right.width + 4 * A + 0.56f * size;
    }

    // Inner gaps beside square brackets turned the unusual way.
    auto isSquare = [](uint8_t kind) { return kind == DelimiterSquare || kind == DelimiterDoubleSquare; };
    const float innerGap = 0.5f * gapFactor * size;
    if (isSquare(left.kind) && left.rotation > 0) left.innerGap = innerGap;
    if (isSquare(right.kind) && right.rotation == 0) right.innerGap = innerGap;

    // Outer gaps towards the neighbours.
    const bool inBracket = e->parent && IsBracketType(e->parent);
    const EqElement* prev = e->prev;
    if (prev && prev->type != EqTypeChainHead && !IsOperatorType(prev))
        left.outerGap = A + gapFactor * size;
    else if (prev && prev->type == EqTypeChainHead && inBracket)
        left.outerGap = A + 0.618f * gapFactor * size;
    const EqElement* next = e->next;
    if (next && !IsOperatorType(next))
        right.outerGap = A + gapFactor * size;
    else if (!next && inBracket)
        right.outerGap = A + 0.618f * gapFactor * size;

    e->width += left.outerGap + right.outerGap + left.innerGap + right.innerGap;
    if (nested) e->width += grow * size;
}

// ---- drawing

void CKwEE_O_Bracket::Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) {
    EqElement* e = element;
    if (!e || !graphics || !e->owner) return;
    gp::Graphics& g = *graphics;
    const float A = size * SpacingOf(e, SpacingElementGap);
    const float grow = SpacingOf(e, SpacingNestedBracketGrow) - 1;
    const bool script = flag != 0;

    const float start = x + left.outerGap;
    const float innerWidth = e->width - left.outerGap - right.outerGap;
    const float trim = tall ? 0.0f : 0.015f * size;
    const float lw = left.code != 0 ? std::max(left.width - trim, 0.0f) : 0.0f;
    const float rw = right.code != 0 ? std::max(right.width - trim, 0.0f) : 0.0f;

    const float boxTop = y - left.height / 2 + 0.15f * size;
    const float boxHeight = left.height - 0.3f * size;

    EqElement* first = ChildChain(e, 0);
    EqElement* last = e->children.size() >= 2 ? LastChildChain(e) : nullptr;
    if (!last) {
        float at = start;
        if (left.code != 0) {
            at = start + lw + A + left.innerGap;
            if (right.code == 0 && nested) at += grow * size;
        } else if (right.code != 0) {
            at = start + left.innerGap;
        }
        DrawChain(first, g, at, y, scale, script);
    } else {
        DrawChain(first, g, start + lw + A + left.innerGap, y, scale, script);
        const float lastEnd = start + innerWidth - rw - right.innerGap - A;
        DrawChain(last, g, lastEnd - last->chainWidth, y, scale, script);
        const float barX = start + lw + 2 * A + first->chainWidth + 0.28f * size + left.innerGap;
        g.DrawLine(roundPen(colour, 0.618f * strokeWidth), barX, boxTop + strokeWidth / 2, barX,
                   boxTop + boxHeight - strokeWidth / 2);
    }

    if (!(boxHeight > 0)) return;
    auto drawSide = [&](const Side& side, float boxLeft, float w, bool isLeft) {
        if (side.kind == DelimiterNone || !(w > 0)) return;
        float cx = boxLeft + w / 2;
        // Parentheses, square brackets, braces and angles turned the unusual
        // way stand a little further out.
        if (side.kind <= DelimiterAngle) {
            if (isLeft && side.rotation > 0) cx -= 0.1f * size;
            if (!isLeft && side.rotation == 0) cx += 0.1f * size;
        }
        gp::SavedState saved(g);
        g.TranslateTransform(cx, boxTop + boxHeight / 2);
        DrawDelimiterShape(g, side.kind, w, boxHeight, strokeWidth, colour, side.rotation, side.roundStyle,
                           braceStyle, size);
    };
    drawSide(left, start, lw, true);
    drawSide(right, start + innerWidth - rw, rw, false);
}

}  // namespace toliva
