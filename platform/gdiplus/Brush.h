// Brushes of the drawing layer: solid, hatch, linear gradient and path gradient.
//
// Brush is one value type for every kind; SolidBrush, HatchBrush,
// LinearGradientBrush and PathGradientBrush only construct and adjust it, so a
// brush can be passed and copied as a Brush. Hatch patterns are 8 x 8 device
// pixels, aligned to the device whatever the world transform. Gradient
// coordinates are world coordinates. A path gradient is drawn as a radial
// blend from its centre to the ellipse in the path's bounds.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QBrush>

#include <string>
#include <vector>

class QTransform;

namespace toliva::gp {

class GraphicsPath;

enum BrushType {
    BrushTypeSolidColor = 0,
    BrushTypeHatchFill = 1,
    BrushTypePathGradient = 3,
    BrushTypeLinearGradient = 4,
};

enum HatchStyle {
    HatchStyleHorizontal = 0,
    HatchStyleVertical = 1,
    HatchStyleForwardDiagonal = 2,   // lines running down to the right
    HatchStyleBackwardDiagonal = 3,  // lines running down to the left
    HatchStyleCross = 4,
    HatchStyleDiagonalCross = 5,
    HatchStyle05Percent = 6,
    HatchStyle10Percent = 7,
    HatchStyle20Percent = 8,
    HatchStyle25Percent = 9,
    HatchStyle30Percent = 10,
    HatchStyle40Percent = 11,
    HatchStyle50Percent = 12,
    HatchStyle60Percent = 13,
    HatchStyle70Percent = 14,
    HatchStyle75Percent = 15,
    HatchStyle80Percent = 16,
    HatchStyle90Percent = 17,
    HatchStyleLightDownwardDiagonal = 18,
    HatchStyleLightUpwardDiagonal = 19,
    HatchStyleDarkDownwardDiagonal = 20,
    HatchStyleDarkUpwardDiagonal = 21,
    HatchStyleWideDownwardDiagonal = 22,
    HatchStyleWideUpwardDiagonal = 23,
    HatchStyleLightVertical = 24,
    HatchStyleLightHorizontal = 25,
    HatchStyleNarrowVertical = 26,
    HatchStyleNarrowHorizontal = 27,
    HatchStyleDarkVertical = 28,
    HatchStyleDarkHorizontal = 29,
    HatchStyleDashedDownwardDiagonal = 30,
    HatchStyleDashedUpwardDiagonal = 31,
    HatchStyleDashedHorizontal = 32,
    HatchStyleDashedVertical = 33,
    HatchStyleSmallConfetti = 34,
    HatchStyleLargeConfetti = 35,
    HatchStyleZigZag = 36,
    HatchStyleWave = 37,
    HatchStyleDiagonalBrick = 38,
    HatchStyleHorizontalBrick = 39,
    HatchStyleWeave = 40,
    HatchStylePlaid = 41,
    HatchStyleDivot = 42,
    HatchStyleDottedGrid = 43,
    HatchStyleDottedDiamond = 44,
    HatchStyleShingle = 45,
    HatchStyleTrellis = 46,
    HatchStyleSphere = 47,
    HatchStyleSmallGrid = 48,
    HatchStyleSmallCheckerBoard = 49,
    HatchStyleLargeCheckerBoard = 50,
    HatchStyleOutlinedDiamond = 51,
    HatchStyleSolidDiamond = 52,
    HatchStyleTotal = 53,
    HatchStyleLargeGrid = HatchStyleCross,
    HatchStyleMin = HatchStyleHorizontal,
    HatchStyleMax = HatchStyleTotal - 1,
};

enum LinearGradientMode {
    LinearGradientModeHorizontal = 0,
    LinearGradientModeVertical = 1,
    LinearGradientModeForwardDiagonal = 2,   // top-left to bottom-right
    LinearGradientModeBackwardDiagonal = 3,  // top-right to bottom-left
};

enum WrapMode { WrapModeTile = 0, WrapModeTileFlipX = 1, WrapModeTileFlipY = 2, WrapModeTileFlipXY = 3, WrapModeClamp = 4 };

// Eight rows of the 8 x 8 pattern of a hatch style, top row first; bit 7 of
// a row is its leftmost pixel, a set bit is foreground. Styles outside the
// table give an all-clear pattern.
const uint8_t* HatchPattern(HatchStyle style);

class Brush {
public:
    BrushType GetType() const { return m_type; }
    // The solid colour, the hatch foreground, or the first gradient colour.
    ARGB firstColour() const { return m_colour[0]; }

    // The brush as Qt paints it under a world transform (which hatch
    // patterns undo, to stay on device pixels).
    QBrush toQBrush(const QTransform& world) const;
    // One readable word group, such as "solid #FF000000" or "hatch 2 #FF000000 #FFFFFFFF".
    std::string describe() const;

protected:
    Brush() = default;

    BrushType m_type = BrushTypeSolidColor;
    ARGB m_colour[2] = {0xFF000000, 0xFF000000};  // solid: [0]; hatch: fore, back; gradients: start/centre, end/surround
    HatchStyle m_hatch = HatchStyleHorizontal;
    // Linear gradient: the line from m_start to m_end. With m_unitFrame the
    // points lie in the unit square that is stretched onto m_rect.
    PointF m_start, m_end;
    bool m_unitFrame = false;
    RectF m_rect;  // linear gradient: its rectangle; path gradient: the path's bounds
    std::vector<float> m_blendPositions, m_blendFactors;  // empty: straight blend
    WrapMode m_wrap = WrapModeTile;
    PointF m_centre;  // path gradient
};

class SolidBrush : public Brush {
public:
    explicit SolidBrush(ARGB colour);
    ARGB GetColor() const { return m_colour[0]; }
    void SetColor(ARGB colour) { m_colour[0] = colour; }
};

class HatchBrush : public Brush {
public:
    HatchBrush(HatchStyle style, ARGB foreground, ARGB background = 0xFF000000);
    HatchStyle GetHatchStyle() const { return m_hatch; }
    ARGB GetForegroundColor() const { return m_colour[0]; }
    ARGB GetBackgroundColor() const { return m_colour[1]; }
};

class LinearGradientBrush : public Brush {
public:
    // From colour1 at p1 to colour2 at p2; lines of one colour stand
    // perpendicular to p1-p2.
    LinearGradientBrush(PointF p1, PointF p2, ARGB colour1, ARGB colour2);
    LinearGradientBrush(const RectF& rect, ARGB colour1, ARGB colour2, LinearGradientMode mode);
    // The gradient runs at angle degrees (clockwise on screen from +x) across
    // the rectangle, from the first corner it meets to the last. Scalable: the
    // angle is taken in the unit square, which is then stretched onto the rectangle.
    LinearGradientBrush(const RectF& rect, ARGB colour1, ARGB colour2, float angle, bool isAngleScalable = false);

    // factors[i] is the share of colour2 at positions[i]; positions run from 0
    // to 1, first 0 and last 1. InvalidParameter (brush unchanged) otherwise.
    Status SetBlend(const float* factors, const float* positions, int count);
    // colour2 at focus (share scale) falling linearly to colour1 at both ends.
    Status SetBlendTriangularShape(float focus, float scale = 1.0f);
    // The same with a bell-shaped fall.
    Status SetBlendBellShape(float focus, float scale = 1.0f);
    void SetWrapMode(WrapMode mode) { m_wrap = mode; }
    void GetLinearColors(ARGB* colours) const;
};

class PathGradientBrush : public Brush {
public:
    // The centre is the mean of the path's points; centre colour white and
    // surround colour white until set.
    explicit PathGradientBrush(const GraphicsPath& path);
    PathGradientBrush(const PointF* points, int count);

    void SetCenterColor(ARGB colour) { m_colour[0] = colour; }
    // Only the first colour is used for the whole boundary; *count is set to 1.
    Status SetSurroundColors(const ARGB* colours, int* count);
    void SetCenterPoint(PointF centre) { m_centre = centre; }
    PointF GetCenterPoint() const { return m_centre; }
    // The focus area is not drawn; accepted for compatibility.
    Status SetFocusScales(float, float) { return Ok; }

private:
    void setBoundary(const PointF* points, int count);
};

}  // namespace toliva::gp
