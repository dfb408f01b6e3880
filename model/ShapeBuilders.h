// Shape builders: arrows, wide accents, braces, parentheses and radical signs
// built from lines, paths and filled outlines, so that they stretch to any
// length with a constant stroke weight.
//
// Every builder draws straight into the graphics in the given ARGB colour,
// with round start and end caps on its pens unless said otherwise, and leaves
// the world transform as it found it.
//
// Conventions:
// - t is the stroke thickness (an arrow's shaft, a brace's band).
// - Arrowhead factors count in t: head length kL, head width addend kW and
//   notch factor kN; the usual set is kL = 8, kW = 0.8, kN = 0.8.
// - Oriented builders take two points; they move the origin to the middle of
//   the points and turn the x axis along from -> to, so that the shape is
//   built along +x centred on 0.
// - The delimiter builders (parenthesis, brace, angle, square bracket) build
//   an opening delimiter about the origin: its spine runs along y over
//   `length`, it reaches `height` across in x, and it opens towards +x. The
//   angle turns it (degrees, clockwise on screen): 90 makes it open downwards
//   (an over-brace), -90 upwards.
#pragma once

#include "platform/gdiplus/GpTypes.h"

namespace toliva {

namespace gp {
class Graphics;
}

struct ArrowheadFactors {
    float kL = 8.0f;
    float kW = 0.8f;
    float kN = 0.8f;
};

// ---- arrows

// A filled arrow along +x centred on 0, length long, its tip at +length / 2.
// Head length min(0.9 length, kL t), head half-width t (kW + 2). Without
// fullShaft only the head is filled.
void BuildArrowhead(gp::Graphics& g, gp::ARGB colour, float length, float t, float kL, float kW, float kN,
                    bool fullShaft);
// A filled one-barbed arrow along +x: the barb on the -y side, the tip on the
// shaft's +y edge. Head length min(0.8 length, kL t).
void BuildHarpoonhead(gp::Graphics& g, gp::ARGB colour, float length, float t, float kL, float kW, float kN);

// The arrow and the harpoon from one point to the other (tip at `to`).
void DrawArrowBetween(gp::Graphics& g, gp::PointF from, gp::PointF to, gp::ARGB colour, float t, float kL, float kW,
                      float kN, bool fullShaft);
void DrawHarpoonBetween(gp::Graphics& g, gp::PointF from, gp::PointF to, gp::ARGB colour, float t, float kL,
                        float kW, float kN);
// Two full arrows from the middle of the points out to each of them.
void DrawDoubleArrowFromMiddle(gp::Graphics& g, gp::PointF from, gp::PointF to, gp::ARGB colour, float t, float kL,
                               float kW, float kN);

// A double arrow: a two-line shaft and an open head stroked at `to`. Head size
// m = min(0.4 length, 1.2 t ratio), pen m / ratio. A ratio that is not above
// 0 draws nothing.
void DrawDoubleLineArrow(gp::Graphics& g, gp::PointF from, gp::PointF to, gp::ARGB colour, float t, float ratio);
// The same with an open head at both ends.
void DrawDoubleLineArrowBoth(gp::Graphics& g, gp::PointF from, gp::PointF to, gp::ARGB colour, float t,
                             float ratio);

// Two horizontal lines from x1 to x2, at y1 and at y2.
void DrawTwoHorizontalLines(gp::Graphics& g, gp::ARGB colour, float x1, float y1, float x2, float y2,
                            float penWidth);

// A filled circular band of thickness t from startAngle over sweepAngle
// (degrees, clockwise on screen), ending in an arrowhead kL t long (along the
// circle) and 2 kW t wide. The band is built on a circle of the shorter
// radius, then stretched to the ellipse of radii rx, ry about centre.
void FillArrowCircle(gp::Graphics& g, float rx, float ry, gp::PointF centre, float startAngle, float sweepAngle,
                     gp::ARGB colour, float t, float kL, float kW);

// The special arrow symbols, drawn about the origin in units of size with
// stroke t; leftward mirrors the shape in x.
void DrawZigzagArrow(gp::Graphics& g, float size, float t, gp::ARGB colour, bool leftward);  // a squiggle arrow
void DrawWaveArrow(gp::Graphics& g, float size, float t, gp::ARGB colour);                   // a wave, two heads
void DrawLoopArrow(gp::Graphics& g, float size, float t, gp::ARGB colour, bool leftward);    // a loop at the tail
void DrawCircleArrow(gp::Graphics& g, float size, float t, gp::ARGB colour, float kL);       // two heads, a ring
void DrawHookArrow(gp::Graphics& g, float size, float t, gp::ARGB colour, bool leftward);    // a hook at the tail

// One arrow symbol of element types 506 to 550 centred on position; any other
// type draws the arrow of 506 (pointing right).
void DrawArrowSymbolShape(gp::Graphics& g, float size, gp::PointF position, int type, gp::ARGB colour);

// A Bezier curve (count = 3 n + 1 points) or a polyline (count >= 2) with an
// arrowhead at its last point. Other counts draw nothing.
void DrawBezierArrow(gp::Graphics& g, const gp::PointF* points, int count, gp::ARGB colour, float t);
void DrawPolylineArrow(gp::Graphics& g, const gp::PointF* points, int count, gp::ARGB colour, float t);

// ---- wide accents

// A filled wide tilde in the box; an empty box draws nothing.
void FillWideTilde(gp::Graphics& g, const gp::RectF& box, gp::ARGB colour);

// One of five filled arrow outlines whose barbs are strokes of width t,
// oriented by the two points (the frame is turned by minus their angle, so
// for points on one horizontal line the -x end lies at `from`) over
// `length`, with head size `head`:
// 0 one head at -x; 1 heads at both ends; 2 one barb (on -y) at -x; 3 kind 2
// mirrored (barb on +y); 4 one barb at each end (on -y at -x, on +y at +x).
void FillArrowMark(gp::Graphics& g, gp::PointF from, gp::PointF to, float length, float t, float head,
                   gp::ARGB colour, int kind);

// ---- radical signs

struct RadicalGeometry {
    float baseline = 0;    // the radical's baseline + rule / 2
    float signWidth = 0;   // from the sign's left to the vinculum's right end
    float bottomReach = 0; // below the baseline
    float topReach = 0;    // above the baseline
    float hookWidth = 0;
    float left = 0;
    float rule = 0;        // stroke width
};

// The radical sign; the alternative form keeps the hook's top on the baseline.
void DrawRadicalSign(gp::Graphics& g, gp::ARGB colour, const RadicalGeometry& r);
void DrawRadicalSignAlt(gp::Graphics& g, gp::ARGB colour, const RadicalGeometry& r);

// ---- delimiters (see the conventions above)

// A filled parenthesis of two Bezier curves with proportion factor k.
void FillParenShape(gp::Graphics& g, float length, float height, float t, gp::ARGB colour, float angle, float k);
// Chooses k from the proportions and calls FillParenShape.
void FillParenthesis(gp::Graphics& g, float length, float height, float t, gp::ARGB colour, float angle);
// The proportion factor FillParenthesis chooses.
float ParenthesisProportion(float length, float height);
// A filled brace: a band about t thick made of eight arcs.
void FillBrace(gp::Graphics& g, float length, float height, float t, gp::ARGB colour, float angle);
// A filled angle outline of six points, arms t thick.
void FillAngleBracket(gp::Graphics& g, float length, float height, float t, gp::ARGB colour, float angle);
// A square bracket stroked as one four-point line with a pen 0.75 t wide.
void DrawSquareBracketLine(gp::Graphics& g, float length, float height, float t, gp::ARGB colour, float angle);

}  // namespace toliva
