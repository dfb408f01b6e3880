// A path of the drawing layer: points, each with a point type byte.
//
// A figure begins at a Start point and continues with Line points or Bezier
// points in threes (two control points, then the end point). CloseSubpath on
// a figure's last point closes it; the next point added begins a new figure.
// Arcs and ellipses are stored as Bezier points, at most a quarter turn per
// segment; their angles turn clockwise on screen, as in Graphics.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QPainterPath>
#include <QString>

#include <cstdint>
#include <vector>

namespace toliva::gp {

class Matrix;
struct Pen;
class FontFamily;    // platform/gdiplus/Font.h
class StringFormat;  // platform/gdiplus/Font.h

enum PathPointType : uint8_t {
    PathPointTypeStart = 0,
    PathPointTypeLine = 1,
    PathPointTypeBezier = 3,
    PathPointTypePathTypeMask = 0x07,
    PathPointTypeDashMode = 0x10,
    PathPointTypePathMarker = 0x20,
    PathPointTypeCloseSubpath = 0x80,
};

class GraphicsPath {
public:
    explicit GraphicsPath(FillMode fillMode = FillModeAlternate);
    // Takes count points with their types as they are; a negative count or a
    // missing array gives an empty path.
    GraphicsPath(const PointF* points, const uint8_t* types, int count, FillMode fillMode = FillModeAlternate);

    FillMode fillMode() const { return m_fillMode; }
    void SetFillMode(FillMode mode) { m_fillMode = mode; }

    int GetPointCount() const { return int(m_points.size()); }
    const std::vector<PointF>& points() const { return m_points; }
    const std::vector<uint8_t>& types() const { return m_types; }

    // Within an open figure, added lines and curves are joined to its last point.
    void AddLine(PointF from, PointF to);
    void AddLine(float x1, float y1, float x2, float y2) { AddLine(PointF{x1, y1}, PointF{x2, y2}); }
    void AddLines(const PointF* points, int count);
    void AddBezier(PointF p1, PointF p2, PointF p3, PointF p4);
    void AddBezier(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
        AddBezier({x1, y1}, {x2, y2}, {x3, y3}, {x4, y4});
    }
    // count = 3 n + 1 points: a start and n segments; other counts add nothing.
    void AddBeziers(const PointF* points, int count);
    // The arc of the ellipse in box from startAngle over sweepAngle (degrees,
    // clockwise on screen, a sweep beyond a full turn taken as one turn).
    // Joined to an open figure by a line, like AddLine. A box without width
    // or height adds nothing.
    void AddArc(const RectF& box, float startAngle, float sweepAngle);
    void AddArc(float x, float y, float w, float h, float startAngle, float sweepAngle) {
        AddArc(RectF{x, y, w, h}, startAngle, sweepAngle);
    }

    // Closed figures of their own: the ellipse (four segments, from its right
    // end clockwise), the rectangle (from its top-left corner clockwise) and
    // the polygon (count >= 2).
    void AddEllipse(const RectF& box);
    void AddEllipse(float x, float y, float w, float h) { AddEllipse(RectF{x, y, w, h}); }
    void AddRectangle(const RectF& rect);
    void AddPolygon(const PointF* points, int count);

    // The outlines of text, as Graphics::DrawString paints them, with em size
    // in world units (platform/gdiplus/GraphicsText.cpp).
    void AddString(const QString& text, const FontFamily& family, int style, float emSize, const RectF& layout,
                   const StringFormat& format);

    void StartFigure() { m_newFigure = true; }
    void CloseFigure();
    // Marks the last point as the end of a section.
    void SetMarker();
    void ClearMarkers();

    // Appends the other path's figures. With connect, its first figure joins
    // this path's open figure instead of starting a new one.
    void AddPath(const GraphicsPath& other, bool connect);

    // Empties the path; the fill mode returns to alternate.
    void Reset();

    void Transform(const Matrix& matrix);
    // Replaces every Bezier segment by lines no farther than flatness from the
    // curve, after transforming the points by matrix when one is given.
    void Flatten(const Matrix* matrix = nullptr, float flatness = 0.25f);

    // The smallest rectangle holding the path's lines and curves (tight: a
    // Bezier's extremes, not its control points); an empty rectangle at 0
    // for an empty path.
    RectF GetBounds() const;
    // The same for the path's points transformed by matrix (when given),
    // widened by half the pen's width (when given).
    Status GetBounds(RectF* bounds, const Matrix* matrix = nullptr, const Pen* pen = nullptr) const;
    // InvalidParameter for an empty path.
    Status GetLastPoint(PointF* point) const;

    QPainterPath toQPainterPath() const;

private:
    void append(PointF p, uint8_t type);

    std::vector<PointF> m_points;
    std::vector<uint8_t> m_types;
    FillMode m_fillMode = FillModeAlternate;
    bool m_newFigure = true;
};

}  // namespace toliva::gp
