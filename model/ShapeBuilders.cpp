#include "model/ShapeBuilders.h"

#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsGuards.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Matrix.h"
#include "platform/gdiplus/Pen.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace toliva {

using gp::ARGB;
using gp::Graphics;
using gp::GraphicsPath;
using gp::PointF;
using gp::RectF;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kDegreesPerRadian = 57.29577951308232f;

gp::Pen roundPen(ARGB colour, float width) {
    gp::Pen pen(colour, width);
    pen.SetStartCap(gp::LineCapRound);
    pen.SetEndCap(gp::LineCapRound);
    pen.SetLineJoin(gp::LineJoinRound);
    return pen;
}

void fillPolygon(Graphics& g, ARGB colour, const PointF* points, int count) {
    g.FillPolygon(gp::SolidBrush(colour), points, count);
}

float distance(PointF a, PointF b) { return std::hypot(b.x - a.x, b.y - a.y); }

PointF midpoint(PointF a, PointF b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// Moves the origin to the middle of the points and turns +x along from -> to.
void orientAlong(Graphics& g, PointF from, PointF to) {
    const PointF m = midpoint(from, to);
    g.TranslateTransform(m.x, m.y);
    g.RotateTransform(float(std::atan2(to.y - from.y, to.x - from.x) * 180.0 / kPi));
}

// The unit vector along d, or the fallback when d has no length.
PointF unitOr(PointF d, PointF fallback) {
    const float len = std::hypot(d.x, d.y);
    if (!(len > 0) || !std::isfinite(len)) return fallback;
    return {d.x / len, d.y / len};
}

}  // namespace

// ---- arrows

void BuildArrowhead(Graphics& g, ARGB colour, float length, float t, float kL, float kW, float kN, bool fullShaft) {
    const float half = length / 2;
    const float L = std::min(0.9f * length, kL * t);
    const float B = t * (kW + 2);
    const float s = t / 2;
    const float o = half - kN * L;
    const float start = fullShaft ? -half : o;
    const PointF pts[] = {{start, -s}, {o, -s}, {half - L, -B}, {half, 0}, {half - L, B}, {o, s}, {start, s}};
    fillPolygon(g, colour, pts, 7);
}

void BuildHarpoonhead(Graphics& g, ARGB colour, float length, float t, float kL, float kW, float kN) {
    const float half = length / 2;
    const float L = std::min(0.8f * length, kL * t);
    const float B = t * (kW + 2);
    const float s = t / 2;
    const PointF pts[] = {{-half, -s}, {half - kN * L, -s}, {half - L, -B}, {half, s}, {-half, s}};
    fillPolygon(g, colour, pts, 5);
}

void DrawArrowBetween(Graphics& g, PointF from, PointF to, ARGB colour, float t, float kL, float kW, float kN,
                      bool fullShaft) {
    gp::TransformScope scope(g);
    orientAlong(g, from, to);
    BuildArrowhead(g, colour, distance(from, to), t, kL, kW, kN, fullShaft);
}

void DrawHarpoonBetween(Graphics& g, PointF from, PointF to, ARGB colour, float t, float kL, float kW, float kN) {
    gp::TransformScope scope(g);
    orientAlong(g, from, to);
    BuildHarpoonhead(g, colour, distance(from, to), t, kL, kW, kN);
}

void DrawDoubleArrowFromMiddle(Graphics& g, PointF from, PointF to, ARGB colour, float t, float kL, float kW,
                               float kN) {
    const PointF m = midpoint(from, to);
    DrawArrowBetween(g, m, from, colour, t, kL, kW, kN, true);
    DrawArrowBetween(g, m, to, colour, t, kL, kW, kN, true);
}

namespace {

void drawDoubleLineArrow(Graphics& g, PointF from, PointF to, ARGB colour, float t, float ratio, bool bothEnds) {
    if (!(ratio > 0)) return;
    const float v = distance(from, to);
    const float m = std::min(0.4f * v, t * 1.2f * ratio);
    const gp::Pen pen = roundPen(colour, m / ratio);
    const float half = v / 2;
    const float left = bothEnds ? -half + 0.4f * m : -half;
    const float right = half - 0.4f * m;

    gp::TransformScope scope(g);
    orientAlong(g, from, to);
    g.DrawLine(pen, left, -0.4f * m, right, -0.4f * m);
    g.DrawLine(pen, left, 0.4f * m, right, 0.4f * m);
    const PointF head[] = {{half - m, -m}, {half, 0}, {half - m, m}};
    g.DrawLines(pen, head, 3);
    if (bothEnds) {
        const PointF tail[] = {{-half + m, -m}, {-half, 0}, {-half + m, m}};
        g.DrawLines(pen, tail, 3);
    }
}

}  // namespace

void DrawDoubleLineArrow(Graphics& g, PointF from, PointF to, ARGB colour, float t, float ratio) {
    drawDoubleLineArrow(g, from, to, colour, t, ratio, false);
}

void DrawDoubleLineArrowBoth(Graphics& g, PointF from, PointF to, ARGB colour, float t, float ratio) {
    drawDoubleLineArrow(g, from, to, colour, t, ratio, true);
}

void DrawTwoHorizontalLines(Graphics& g, ARGB colour, float x1, float y1, float x2, float y2, float penWidth) {
    const gp::Pen pen = roundPen(colour, penWidth);
    g.DrawLine(pen, x1, y1, x2, y1);
    g.DrawLine(pen, x1, y2, x2, y2);
}

void FillArrowCircle(Graphics& g, float rx, float ry, PointF centre, float startAngle, float sweepAngle, ARGB colour,
                     float t, float kL, float kW) {
    const float r = std::min(rx, ry);
    if (!(r > 0) || sweepAngle == 0) return;
    gp::TransformScope scope(g);
    g.TranslateTransform(centre.x, centre.y);
    g.ScaleTransform(rx / r, ry / r);

    // The head spans phi degrees of the circle; the band runs on under its
    // notch, a third of the way into the head.
    const float direction = sweepAngle > 0 ? 1.0f : -1.0f;
    const float span = std::min(std::fabs(sweepAngle), 360.0f);
    const float phi = std::min(kL * t / r * kDegreesPerRadian, span / 2);
    const float tipAngle = startAngle + direction * span;
    const float backAngle = tipAngle - direction * phi;
    const float notchAngle = 0.667f * backAngle + 0.333f * tipAngle;

    const float outer = r + t / 2;
    const float inner = std::max(r - t / 2, 0.0f);
    const float bandSweep = notchAngle - startAngle;
    GraphicsPath band;
    band.AddArc(-outer, -outer, 2 * outer, 2 * outer, startAngle, bandSweep);
    if (inner > 0)
        band.AddArc(-inner, -inner, 2 * inner, 2 * inner, notchAngle, -bandSweep);
    else
        band.AddLine(PointF{0, 0}, PointF{0, 0});
    band.CloseFigure();
    g.FillPath(gp::SolidBrush(colour), band);

    const float B = kW * t;
    auto at = [](float angleDegrees, float radius) {
        const double a = angleDegrees / 180.0 * kPi;
        return PointF{float(radius * std::cos(a)), float(radius * std::sin(a))};
    };
    const PointF head[] = {at(tipAngle, r), at(backAngle, r + B), at(notchAngle, r),
                           at(backAngle, std::max(r - B, 0.0f))};
    fillPolygon(g, colour, head, 4);
}

// ---- the special arrow symbols

namespace {

// Mirrors x when asked; the scope restores the transform.
void mirrorIf(Graphics& g, bool leftward) {
    if (leftward) g.ScaleTransform(-1, 1);
}

const ArrowheadFactors kUsualHead{};

}  // namespace

void DrawZigzagArrow(Graphics& g, float size, float t, ARGB colour, bool leftward) {
    gp::TransformScope scope(g);
    mirrorIf(g, leftward);
    const float S = size;
    // A short straight tail, a zigzag of four teeth, and the arrow.
    std::vector<PointF> pts{{-0.75f * S, 0}, {-0.5f * S, 0}};
    const float tooth = 0.1f * S, amplitude = 0.1f * S;
    for (int i = 0; i < 8; ++i) {
        const float x = -0.5f * S + (i + 0.5f) * tooth;
        pts.push_back({x, (i % 2 == 0) ? -amplitude : amplitude});
    }
    pts.push_back({0.3f * S, 0});
    g.DrawLines(roundPen(colour, t), pts.data(), int(pts.size()));
    DrawArrowBetween(g, {0.3f * S, 0}, {0.75f * S, 0}, colour, t, kUsualHead.kL, kUsualHead.kW, kUsualHead.kN, true);
}

void DrawWaveArrow(Graphics& g, float size, float t, ARGB colour) {
    const float S = size;
    const float a = 0.12f * S;  // amplitude
    const float x0 = -0.45f * S, step = 0.15f * S;
    GraphicsPath wave;
    // Six half waves of a sine-like curve.
    for (int i = 0; i < 6; ++i) {
        const float xa = x0 + i * step, xb = xa + step;
        const float dy = (i % 2 == 0) ? -a : a;
        wave.AddBezier(PointF{xa, 0}, PointF{xa + step / 3, dy}, PointF{xb - step / 3, dy}, PointF{xb, 0});
    }
    g.DrawPath(roundPen(colour, t), wave);
    DrawArrowBetween(g, {x0, 0}, {-0.75f * S, 0}, colour, t, kUsualHead.kL, kUsualHead.kW, kUsualHead.kN, true);
    DrawArrowBetween(g, {-x0, 0}, {0.75f * S, 0}, colour, t, kUsualHead.kL, kUsualHead.kW, kUsualHead.kN, true);
}

void DrawLoopArrow(Graphics& g, float size, float t, ARGB colour, bool leftward) {
    gp::TransformScope scope(g);
    mirrorIf(g, leftward);
    const float S = size;
    const float r = 0.15f * S;
    const float cx = -0.2f * S, base = 0.1f * S;
    // The tail curls up and back over a loop that sits on the shaft.
    GraphicsPath loop;
    loop.AddArc(cx - r, base - 2 * r, 2 * r, 2 * r, 0, -270);
    g.DrawPath(roundPen(colour, t), loop);
    DrawArrowBetween(g, {cx, base}, {0.5f * S, base}, colour, t, kUsualHead.kL, kUsualHead.kW, kUsualHead.kN, true);
}

void DrawCircleArrow(Graphics& g, float size, float t, ARGB colour, float kL) {
    const float S = size;
    const float r = 0.12f * S;
    g.DrawEllipse(roundPen(colour, t), -r, -r, 2 * r, 2 * r);
    DrawDoubleArrowFromMiddle(g, {-0.6f * S, 0}, {0.6f * S, 0}, colour, t, kL, kUsualHead.kW, kUsualHead.kN);
}

void DrawHookArrow(Graphics& g, float size, float t, ARGB colour, bool leftward) {
    gp::TransformScope scope(g);
    mirrorIf(g, leftward);
    const float S = size;
    const float r = 0.1f * S;
    const float x = -0.4f * S, base = 0.05f * S;
    // A half circle from the shaft's tail, round to the left and up.
    GraphicsPath hook;
    hook.AddArc(x - r, base - 2 * r, 2 * r, 2 * r, 90, 180);
    g.DrawPath(roundPen(colour, t), hook);
    DrawArrowBetween(g, {x, base}, {0.5f * S, base}, colour, t, kUsualHead.kL, kUsualHead.kW, kUsualHead.kN, true);
}

namespace {

// The upright double arrows (520, 521, 523) stand in a box half a size wide,
// the level ones in a whole size. They keep the pen of the level ones (1.2 t
// with t = 0.05 size) but take a smaller head: 1.2 t x 3.2 = 0.192 size to
// each side, plus half the pen, stays inside the quarter size on each side
// of the centre.
constexpr float kLevelDoubleLineRatio = 6.667f;
constexpr float kUprightDoubleLineRatio = 3.2f;

// A circle arrow (534, 535; turned a quarter for 544, 545): a ring of 0.34
// size radius from the start angle round the sweep, ending in the ring's own
// small head, and over it a short straight head of 0.17 size along the chord
// to the same tip, which reads at any size. The ring is 0.73 size across
// and the head stands 0.125 size out of it, so the symbol fits its box of
// 0.8 size (1 size when the head is at the side).
void drawCircleArrow(Graphics& g, float S, float t, ARGB colour, bool clockwise) {
    const float r = 0.34f * S;
    const float start = clockwise ? -80.0f : -100.0f;
    const float sweep = clockwise ? 359.0f : -359.0f;
    FillArrowCircle(g, r, r, {0, 0}, start, sweep, colour, t, 2.5f, 2.0f);

    const float chord = 0.17f * S;
    const double tip = (start + sweep) / 180.0 * kPi;
    const double back = tip - (clockwise ? 1 : -1) * 2 * std::asin(chord / (2 * r));
    const PointF from{float(r * std::cos(back)), float(r * std::sin(back))};
    const PointF to{float(r * std::cos(tip)), float(r * std::sin(tip))};
    DrawArrowBetween(g, from, to, colour, t, 6, 0.5f, 0.8f, false);
}

}  // namespace

void DrawArrowSymbolShape(Graphics& g, float size, PointF position, int type, ARGB colour) {
    const float S = size;
    const float t = std::min(0.15f * S, 0.05f * S);
    const gp::Pen pen = roundPen(colour, t);
    auto P = [S](float x, float y) { return PointF{x * S, y * S}; };
    auto arrow = [&](PointF a, PointF b) { DrawArrowBetween(g, a, b, colour, t, 8, 0.8f, 0.8f, true); };
    auto harpoon = [&](PointF a, PointF b) { DrawHarpoonBetween(g, a, b, colour, t, 8, 0.8f, 0.8f); };
    auto doubleArrow = [&](PointF a, PointF b) { DrawDoubleArrowFromMiddle(g, a, b, colour, t, 7, 0.9f, 0.8f); };
    auto doubleLine = [&](PointF a, PointF b) { DrawDoubleLineArrow(g, a, b, colour, t, kLevelDoubleLineRatio); };
    auto uprightDoubleLine = [&](PointF a, PointF b) {
        DrawDoubleLineArrow(g, a, b, colour, t, kUprightDoubleLineRatio);
    };

    gp::TransformScope scope(g);
    g.TranslateTransform(position.x, position.y);
    switch (type) {
    case 507: arrow(P(-0.4f, 0.4f), P(0.4f, -0.4f)); break;
    case 508: arrow(P(0, 0.5f), P(0, -0.5f)); break;
    case 509: arrow(P(0.4f, 0.4f), P(-0.5f, -0.4f)); break;
    case 510: arrow(P(0.5f, 0), P(-0.5f, 0)); break;
    case 511: arrow(P(0.4f, -0.4f), P(-0.5f, 0.4f)); break;
    case 512: arrow(P(0, -0.5f), P(0, 0.5f)); break;
    case 513: arrow(P(-0.4f, -0.4f), P(0.4f, 0.4f)); break;
    case 514: doubleArrow(P(-0.5f, 0), P(0.5f, 0)); break;
    case 515: doubleArrow(P(-0.4f, 0.4f), P(0.4f, -0.4f)); break;
    case 516: doubleArrow(P(0, -0.5f), P(0, 0.5f)); break;
    case 517: doubleArrow(P(-0.4f, -0.4f), P(0.4f, 0.4f)); break;
    case 518: doubleLine(P(-0.5f, 0), P(0.5f, 0)); break;
    case 519: doubleLine(P(0.5f, 0), P(-0.5f, 0)); break;
    case 520: uprightDoubleLine(P(0, -0.5f), P(0, 0.5f)); break;
    case 521: uprightDoubleLine(P(0, 0.5f), P(0, -0.5f)); break;
    case 522: DrawDoubleLineArrowBoth(g, P(-0.5f, 0), P(0.5f, 0), colour, t, kLevelDoubleLineRatio); break;
    case 523: DrawDoubleLineArrowBoth(g, P(0, -0.5f), P(0, 0.5f), colour, t, kUprightDoubleLineRatio); break;
    case 524:  // right over left
        arrow(P(-0.6f, -0.12f), P(0.6f, -0.12f));
        arrow(P(0.6f, 0.12f), P(-0.6f, 0.12f));
        break;
    case 525:  // right over a short left
        arrow(P(-0.6f, -0.12f), P(0.6f, -0.12f));
        arrow(P(0.3f, 0.12f), P(-0.3f, 0.12f));
        break;
    case 526:  // a short right over left
        arrow(P(-0.3f, -0.12f), P(0.3f, -0.12f));
        arrow(P(0.6f, 0.12f), P(-0.6f, 0.12f));
        break;
    case 527:
        harpoon(P(-0.6f, -0.08f), P(0.6f, -0.08f));
        harpoon(P(0.6f, 0.08f), P(-0.6f, 0.08f));
        break;
    case 528:
        harpoon(P(-0.6f, -0.08f), P(0.6f, -0.08f));
        harpoon(P(0.3f, 0.08f), P(-0.3f, 0.08f));
        break;
    case 529:
        harpoon(P(-0.3f, -0.08f), P(0.3f, -0.08f));
        harpoon(P(0.6f, 0.08f), P(-0.6f, 0.08f));
        break;
    case 530:  // a bar at the tail
        g.DrawLine(pen, P(-0.5f, -0.2f), P(-0.5f, 0.2f));
        arrow(P(-0.5f, 0), P(0.5f, 0));
        break;
    case 531:
        g.DrawLine(pen, P(0.5f, -0.2f), P(0.5f, 0.2f));
        arrow(P(0.5f, 0), P(-0.5f, 0));
        break;
    case 532:  // down, then right
        g.DrawLine(pen, P(-0.45f, -0.4f), P(-0.45f, 0.1f));
        arrow(P(-0.45f, 0.1f), P(0.55f, 0.1f));
        break;
    case 533:  // down, then left
        g.DrawLine(pen, P(0.45f, -0.4f), P(0.45f, 0.1f));
        arrow(P(0.45f, 0.1f), P(-0.55f, 0.1f));
        break;
    case 534:
    case 535:
    case 544:
    case 545:
        if (type >= 544) g.RotateTransform(90);
        drawCircleArrow(g, S, t, colour, type == 534 || type == 544);
        break;
    case 536: DrawZigzagArrow(g, S, t, colour, false); break;
    case 537: DrawZigzagArrow(g, S, t, colour, true); break;
    case 538: DrawWaveArrow(g, S, t, colour); break;
    case 539: DrawLoopArrow(g, S, t, colour, false); break;
    case 540: DrawLoopArrow(g, S, t, colour, true); break;
    case 541: DrawCircleArrow(g, S, t, colour, 7); break;
    case 542: DrawHookArrow(g, S, t, colour, false); break;
    case 543: DrawHookArrow(g, S, t, colour, true); break;
    case 546:
    case 547:
    case 548:
    case 549:
    case 550: {
        g.DrawRectangle(pen, -0.38f * S, -0.38f * S, 0.76f * S, 0.76f * S);
        switch (type) {
        case 546: arrow(P(-0.25f, 0), P(0.25f, 0)); break;
        case 547: arrow(P(0.25f, 0), P(-0.25f, 0)); break;
        case 548: arrow(P(0, 0.25f), P(0, -0.25f)); break;
        case 549: arrow(P(0, -0.25f), P(0, 0.25f)); break;
        default: DrawDoubleArrowFromMiddle(g, P(-0.27f, 0), P(0.27f, 0), colour, t, 5, 0.5f, 0.8f); break;
        }
        break;
    }
    default: arrow(P(-0.5f, 0), P(0.5f, 0)); break;  // 506 and any code without a shape of its own
    }
}

void DrawBezierArrow(Graphics& g, const PointF* points, int count, ARGB colour, float t) {
    if (!points || count < 4 || (count - 1) % 3 != 0) return;
    g.DrawBeziers(roundPen(colour, t), points, count);
    const PointF p0 = points[count - 4], p1 = points[count - 3], p2 = points[count - 2], p3 = points[count - 1];

    // How far the head's direction leans from the last control point towards
    // the end: a curve much wider than it is tall leans little. A curve
    // without rise takes no lean (the limit of the formula); one without run
    // would take an infinite lean and takes a very large one, which points
    // the head straight up or down.
    const float rise = p0.y - p1.y;
    float h = 0;
    if (rise != 0) {
        const float ratio = std::fabs((p0.x - p3.x) / rise);
        h = ratio > 0 ? 0.35f / std::sqrt(ratio) : 1e6f;
    }
    const PointF back{p2.x, (1 - h) * p2.y + h * p3.y};
    const PointF u = unitOr({p3.x - back.x, p3.y - back.y}, unitOr({p3.x - p0.x, p3.y - p0.y}, {1, 0}));
    const PointF tip{p3.x + 2 * t * u.x, p3.y + 2 * t * u.y};
    DrawArrowBetween(g, p3, tip, colour, t, 8, 0.8f, 0.8f, false);
}

void DrawPolylineArrow(Graphics& g, const PointF* points, int count, ARGB colour, float t) {
    if (!points || count < 2) return;
    g.DrawLines(roundPen(colour, t), points, count);
    const PointF p3 = points[count - 1], p2 = points[count - 2];
    const PointF back{p2.x, 0.75f * p2.y + 0.25f * p3.y};
    const PointF u = unitOr({p3.x - back.x, p3.y - back.y}, unitOr({p3.x - p2.x, p3.y - p2.y}, {1, 0}));
    const PointF tip{p3.x + 1.5f * t * u.x, p3.y + 1.4f * t * u.y};
    DrawArrowBetween(g, p3, tip, colour, t, 9, 0.8f, 0.8f, false);
}

// ---- wide accents

void FillWideTilde(Graphics& g, const RectF& box, ARGB colour) {
    if (!(box.width > 0) || !(box.height > 0)) return;
    const float r = box.height / box.width;
    const float k = 3.5f - r / 2;
    const float m = std::min(0.2f * r, 0.1f);
    gp::TransformScope scope(g);
    g.TranslateTransform(box.x + box.width / 2, box.y + box.height / 2);
    g.ScaleTransform(box.width / 2, box.height / 4);
    GraphicsPath path;
    path.AddBezier(-1, 1, -0.25f, k - 8, 0.25f, k, 1 - m, -1);
    path.AddBezier(1, -1, 0.25f, 8 - k, -0.25f, -k, m - 1, 1);
    path.CloseFigure();
    g.FillPath(gp::SolidBrush(colour), path);
}

void FillArrowMark(Graphics& g, PointF from, PointF to, float length, float t, float head, ARGB colour, int kind) {
    const float half = length / 2;
    const float H = head / 2;  // the barbs reach half the head size from the axis
    const float h = std::min(0.8f * head, half);
    const float s = t / 2;
    // Upper left head: tip, barb's outer and inner end, inner corner.
    const PointF tipL{-half, 0}, barbL{-half + h, -H}, barbInL{-half + h + t, -H}, cornerL{-half + 3 * t, -s};
    auto mirrorY = [](PointF p) { return PointF{p.x, -p.y}; };
    auto mirrorX = [](PointF p) { return PointF{-p.x, p.y}; };

    std::vector<PointF> pts;
    switch (kind) {
    case 0:
        pts = {tipL,       barbL,           barbInL,          cornerL,       {half, -s},
               {half, s}, mirrorY(cornerL), mirrorY(barbInL), mirrorY(barbL)};
        break;
    case 1:
        pts = {tipL,
               barbL,
               barbInL,
               cornerL,
               mirrorX(cornerL),
               mirrorX(barbInL),
               mirrorX(barbL),
               mirrorX(tipL),
               mirrorX(mirrorY(barbL)),
               mirrorX(mirrorY(barbInL)),
               mirrorX(mirrorY(cornerL)),
               mirrorY(cornerL),
               mirrorY(barbInL),
               mirrorY(barbL)};
        break;
    case 2:
    case 3:
        pts = {{-half, s}, barbL, barbInL, cornerL, {half, -s}, {half, s}};
        if (kind == 3)
            for (PointF& p : pts) p = mirrorY(p);
        break;
    case 4:
        pts = {{-half, s}, barbL, barbInL, cornerL, {half, -s}, mirrorX(mirrorY(barbL)), mirrorX(mirrorY(barbInL)),
               mirrorX(mirrorY(cornerL))};
        break;
    default: return;
    }
    gp::TransformScope scope(g);
    const PointF m = midpoint(from, to);
    g.TranslateTransform(m.x, m.y);
    g.RotateTransform(-float(std::atan2(to.y - from.y, to.x - from.x)) * kDegreesPerRadian);
    fillPolygon(g, colour, pts.data(), int(pts.size()));
}

// ---- radical signs

namespace {

// Where the line through a and b meets the line through c along direction d;
// when they are parallel, the foot of c on the first line.
PointF intersect(PointF a, PointF b, PointF c, PointF d) {
    const PointF e{b.x - a.x, b.y - a.y};
    const double cross = double(e.x) * d.y - double(e.y) * d.x;
    const double ee = double(e.x) * e.x + double(e.y) * e.y;
    const double dd = double(d.x) * d.x + double(d.y) * d.y;
    if (std::fabs(cross) > 1e-9 * std::sqrt(ee * dd)) {
        const double s = ((double(c.x) - a.x) * d.y - (double(c.y) - a.y) * d.x) / cross;
        return {float(a.x + s * e.x), float(a.y + s * e.y)};
    }
    if (!(ee > 0)) return a;
    const double s = ((double(c.x) - a.x) * e.x + (double(c.y) - a.y) * e.y) / ee;
    return {float(a.x + s * e.x), float(a.y + s * e.y)};
}

void drawRadical(Graphics& g, ARGB colour, const RadicalGeometry& r, bool hookOnBaseline) {
    const float X = r.left, b = r.baseline, T = r.topReach, B = r.bottomReach, h = r.hookWidth;
    const float d = 1.25f * r.rule;
    const float yv = b - T + d;
    const float p = (4 * h < T + B) ? 0.618f : (2 * h < T + B) ? 0.5f : 0.382f;

    PointF q[8];
    q[0] = {X + r.signWidth, yv};
    q[1] = {X + h - d / 2, yv};
    q[2] = {X + p * h, b + B - d};
    const float hookTop = (!hookOnBaseline && h < B) ? b + B - h : b;
    q[4] = q[5] = {X + d, hookTop};
    // The slope of the long stroke, no steeper than -1.5; a vertical stroke
    // (no run) takes the limit.
    const float run = q[4].x - q[1].x;
    float k = -1.5f;
    if (run != 0) {
        const float slope = (q[4].y - yv) / run;
        if (std::isfinite(slope)) k = std::max(slope, -1.5f);
    }
    q[3] = {X + 3 * d, q[4].y + 2 * d * k};
    q[6] = {X + 3.8f * d, q[3].y + 0.8f * d * k};
    q[7] = intersect(q[1], q[2], q[6], {q[2].x - q[3].x, q[2].y - q[3].y});

    const gp::Pen pen = roundPen(colour, r.rule);
    for (int i = 0; i < 7; ++i) g.DrawLine(pen, q[i], q[i + 1]);
    const gp::SolidBrush brush(colour);
    for (int i : {1, 2, 6}) g.FillEllipse(brush, q[i].x - r.rule / 2, q[i].y - r.rule / 2, r.rule, r.rule);
    const PointF stroke[] = {q[6], q[7], q[2], q[3]};
    g.FillPolygon(brush, stroke, 4);
}

}  // namespace

void DrawRadicalSign(Graphics& g, ARGB colour, const RadicalGeometry& r) { drawRadical(g, colour, r, false); }

void DrawRadicalSignAlt(Graphics& g, ARGB colour, const RadicalGeometry& r) { drawRadical(g, colour, r, true); }

// ---- delimiters

namespace {

// (h - w) / w for a delimiter taller than wide and shorter than five widths;
// 0 where the caller does not use it (and for a width of 0).
float slenderness(float h, float w) { return (w > 0) ? (h - w) / w : 0.0f; }

}  // namespace

void FillParenShape(Graphics& g, float length, float height, float t, ARGB colour, float angle, float k) {
    const float h = length, w = height;
    const float tt = 0.8f * t;
    float bulge = 0;
    if (w >= h)
        bulge = 0;
    else if (h >= 5 * w)
        bulge = 0.7f;
    else
        bulge = 0.7f * 0.25f * slenderness(h, w);
    const float b = tt * bulge;
    const float c = std::max(h / 2 - 5 * k * w, k * h);

    const float endX = 0.3f * w + b - tt / 2;
    const float ctrlX = tt / 2 + b - w;
    // The inner curve: 0.8 tt inside at the ends, 1.3 tt in the middle (a
    // cubic's middle lies a quarter on its ends and three quarters on its
    // control points).
    const float innerEndX = endX + 0.8f * tt;
    const float innerCtrlX = ctrlX + (1.3f - 0.25f * 0.8f) / 0.75f * tt;

    gp::TransformScope scope(g);
    g.RotateTransform(angle);
    GraphicsPath path;
    path.AddBezier(endX, h / 2, ctrlX, c, ctrlX, -c, endX, -h / 2);
    path.AddBezier(innerEndX, -h / 2, innerCtrlX, -c, innerCtrlX, c, innerEndX, h / 2);
    path.CloseFigure();
    g.FillPath(gp::SolidBrush(colour), path);
}

float ParenthesisProportion(float length, float height) {
    const float h = length, w = height;
    if (w >= h) return 0.3f;
    if (h >= 5 * w) return 0.25f;
    return 0.4f - 0.125f * 0.25f * slenderness(h, w);
}

void FillParenthesis(Graphics& g, float length, float height, float t, ARGB colour, float angle) {
    FillParenShape(g, length, height, t, colour, angle, ParenthesisProportion(length, height));
}

void FillBrace(Graphics& g, float length, float height, float t, ARGB colour, float angle) {
    const float h = length, w = height;
    if (!(h > 0) || !(w > 0)) return;
    // The outer arcs have radius R: an arc of 70 degrees that ends on the
    // spine reaches (1 - cos 70) R = 0.658 R to the side, so the tip and the
    // ends lie w / 2 either side of the spine's left edge, which runs along
    // x = 0. A short brace takes R from its length: two arcs in each half and
    // half a radius of straight spine. The band is t thick, at most 0.7 R so
    // that the inner arcs keep a radius.
    const float reach = 1.0f - std::cos(70.0f / kDegreesPerRadian);
    const float R = std::min(w / (2 * reach), h / 4.5f);
    const float T = std::min(t, 0.7f * R);
    const float ri = R - T;
    const float L = 0, Rt = T;  // the spine's edges

    auto box = [](float cx, float cy, float radius) { return RectF{cx - radius, cy - radius, 2 * radius, 2 * radius}; };
    GraphicsPath path;
    // Outer edge, top to bottom.
    const float topCy = -h / 2 + R, bottomCy = h / 2 - R;
    path.AddArc(box(L + R, topCy, R), -110, -70);   // top terminal
    path.AddArc(box(L - R, -R, R), 0, 70);          // into the tip
    path.AddArc(box(L - R, R, R), -70, 70);         // out of the tip
    path.AddArc(box(L + R, bottomCy, R), -180, -70);  // bottom terminal
    // Inner edge, bottom to top.
    path.AddArc(box(L + R, bottomCy, ri), 115, 65);
    path.AddArc(box(Rt - ri, ri, ri), 0, -70);
    path.AddArc(box(Rt - ri, -ri, ri), 70, -70);
    path.AddArc(box(L + R, topCy, ri), 180, 65);
    path.CloseFigure();

    gp::TransformScope scope(g);
    g.RotateTransform(angle);
    g.FillPath(gp::SolidBrush(colour), path);
}

void FillAngleBracket(Graphics& g, float length, float height, float t, ARGB colour, float angle) {
    const float w = length, q = height, p = t;
    const float armX = q / 2 - p, armY = w / 2 - p / 4;
    const PointF pts[] = {{-q / 2, 0},
                          {armX, -armY},
                          {armX + 0.6f * p, -(armY - 0.1f * p)},
                          {p - q / 2, 0},
                          {armX + 0.6f * p, armY - 0.1f * p},
                          {armX, armY}};
    gp::TransformScope scope(g);
    g.RotateTransform(angle);
    fillPolygon(g, colour, pts, 6);
}

void DrawSquareBracketLine(Graphics& g, float length, float height, float t, ARGB colour, float angle) {
    const float h = length, w = height;
    const float pw = 0.75f * t;
    const float in = pw / 2;
    const PointF pts[] = {{w / 2 - in, -h / 2 + in}, {-w / 2 + in, -h / 2 + in}, {-w / 2 + in, h / 2 - in},
                          {w / 2 - in, h / 2 - in}};
    gp::TransformScope scope(g);
    g.RotateTransform(angle);
    g.DrawLines(roundPen(colour, pw), pts, 4);
}

}  // namespace toliva
