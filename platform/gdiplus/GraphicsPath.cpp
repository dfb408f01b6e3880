#include "GraphicsPath.h"

#include "platform/gdiplus/Matrix.h"

#include <algorithm>

namespace toliva::gp {

GraphicsPath::GraphicsPath(FillMode fillMode) : m_fillMode(fillMode) {}

GraphicsPath::GraphicsPath(const PointF* points, const uint8_t* types, int count, FillMode fillMode)
    : m_fillMode(fillMode) {
    if (!points || !types || count <= 0) return;
    m_points.assign(points, points + count);
    m_types.assign(types, types + count);
    m_newFigure = (m_types.back() & PathPointTypeCloseSubpath) != 0;
}

void GraphicsPath::append(PointF p, uint8_t type) {
    if (m_newFigure) {
        type = PathPointTypeStart;
        m_newFigure = false;
    }
    m_points.push_back(p);
    m_types.push_back(type);
}

void GraphicsPath::AddLine(PointF from, PointF to) {
    append(from, PathPointTypeLine);
    append(to, PathPointTypeLine);
}

void GraphicsPath::AddLines(const PointF* points, int count) {
    if (!points || count <= 0) return;
    for (int i = 0; i < count; ++i) append(points[i], PathPointTypeLine);
}

void GraphicsPath::AddBezier(PointF p1, PointF p2, PointF p3, PointF p4) {
    append(p1, PathPointTypeLine);
    append(p2, PathPointTypeBezier);
    append(p3, PathPointTypeBezier);
    append(p4, PathPointTypeBezier);
}

void GraphicsPath::CloseFigure() {
    if (!m_newFigure && !m_types.empty()) m_types.back() |= PathPointTypeCloseSubpath;
    m_newFigure = true;
}

void GraphicsPath::AddPath(const GraphicsPath& other, bool connect) {
    if (other.m_points.empty()) return;
    const size_t first = m_points.size();
    const bool join = connect && !m_newFigure;
    // Copy first: other may be this path.
    const std::vector<PointF> pts = other.m_points;
    const std::vector<uint8_t> tps = other.m_types;
    m_points.insert(m_points.end(), pts.begin(), pts.end());
    m_types.insert(m_types.end(), tps.begin(), tps.end());
    if (join && (m_types[first] & PathPointTypePathTypeMask) == PathPointTypeStart)
        m_types[first] = uint8_t((m_types[first] & ~PathPointTypePathTypeMask) | PathPointTypeLine);
    m_newFigure = (m_types.back() & PathPointTypeCloseSubpath) != 0;
}

void GraphicsPath::Reset() {
    m_points.clear();
    m_types.clear();
    m_fillMode = FillModeAlternate;
    m_newFigure = true;
}

void GraphicsPath::Transform(const Matrix& matrix) { matrix.TransformPoints(m_points.data(), int(m_points.size())); }

RectF GraphicsPath::GetBounds() const {
    if (m_points.empty()) return {};
    float x0 = m_points[0].x, x1 = x0, y0 = m_points[0].y, y1 = y0;
    for (const PointF& p : m_points) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

QPainterPath GraphicsPath::toQPainterPath() const {
    QPainterPath qp;
    qp.setFillRule(m_fillMode == FillModeAlternate ? Qt::OddEvenFill : Qt::WindingFill);
    const size_t n = m_points.size();
    bool inFigure = false;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t kind = m_types[i] & PathPointTypePathTypeMask;
        size_t last = i;  // the point whose close flag ends this step
        if (!inFigure || kind == PathPointTypeStart) {
            qp.moveTo(m_points[i].x, m_points[i].y);
            inFigure = true;
        } else if (kind == PathPointTypeBezier && i + 2 < n) {
            const PointF &c1 = m_points[i], &c2 = m_points[i + 1], &e = m_points[i + 2];
            qp.cubicTo(c1.x, c1.y, c2.x, c2.y, e.x, e.y);
            last = i + 2;
        } else {
            // Lines, unknown kinds and a Bezier run cut short are joined straight.
            qp.lineTo(m_points[i].x, m_points[i].y);
        }
        // A close flag on a Bezier control point closes the figure too.
        bool close = false;
        for (size_t k = i; k <= last; ++k) close = close || (m_types[k] & PathPointTypeCloseSubpath);
        if (close) {
            qp.closeSubpath();
            inFigure = false;
        }
        i = last;
    }
    return qp;
}

}  // namespace toliva::gp
