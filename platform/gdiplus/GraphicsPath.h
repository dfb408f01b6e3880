// A path of the drawing layer: points, each with a point type byte.
//
// A figure begins at a Start point and continues with Line points or Bezier
// points in threes (two control points, then the end point). CloseSubpath on
// a figure's last point closes it; the next point added begins a new figure.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QPainterPath>

#include <cstdint>
#include <vector>

namespace toliva::gp {

class Matrix;

enum PathPointType : uint8_t {
    PathPointTypeStart = 0,
    PathPointTypeLine = 1,
    PathPointTypeBezier = 3,
    PathPointTypePathTypeMask = 0x07,
    PathPointTypeDashMode = 0x10,
    PathPointTypePathMarker = 0x20,
    PathPointTypeCloseSubpath = 0x80,
};

enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };

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

    void StartFigure() { m_newFigure = true; }
    void CloseFigure();

    // Appends the other path's figures. With connect, its first figure joins
    // this path's open figure instead of starting a new one.
    void AddPath(const GraphicsPath& other, bool connect);

    // Empties the path; the fill mode returns to alternate.
    void Reset();

    void Transform(const Matrix& matrix);

    // The smallest rectangle holding every point, Bezier control points
    // included; an empty rectangle at 0 for an empty path.
    RectF GetBounds() const;

    QPainterPath toQPainterPath() const;

private:
    void append(PointF p, uint8_t type);

    std::vector<PointF> m_points;
    std::vector<uint8_t> m_types;
    FillMode m_fillMode = FillModeAlternate;
    bool m_newFigure = true;
};

}  // namespace toliva::gp
