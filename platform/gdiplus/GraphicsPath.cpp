#include "GraphicsPath.h"

#include "platform/gdiplus/Matrix.h"
#include "platform/gdiplus/Pen.h"

#include <algorithm>
#include <cmath>

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

void GraphicsPath::AddBeziers(const PointF* points, int count) {
    if (!points || count < 4 || (count - 1) % 3 != 0) return;
    append(points[0], PathPointTypeLine);
    for (int i = 1; i < count; ++i) append(points[i], PathPointTypeBezier);
}

namespace {

// The parameter of the ellipse point that a ray at angle (radians) from the
// centre meets, in the same turn as the angle.
double parametricAngle(double angle, double rx, double ry) {
    const double t = std::atan2(rx * std::sin(angle), ry * std::cos(angle));
    return t + 2 * M_PI * std::round((angle - t) / (2 * M_PI));
}

}  // namespace

void GraphicsPath::AddArc(const RectF& box, float startAngle, float sweepAngle) {
    if (!(box.width > 0 && box.height > 0) || !std::isfinite(box.x) || !std::isfinite(box.y) ||
        !std::isfinite(box.width) || !std::isfinite(box.height) || !std::isfinite(startAngle) ||
        !std::isfinite(sweepAngle))
        return;
    const double sweep = std::clamp(double(sweepAngle), -360.0, 360.0);
    const double rx = box.width / 2.0, ry = box.height / 2.0;
    const double cx = box.x + rx, cy = box.y + ry;
    const double a0 = double(startAngle) * M_PI / 180.0;
    const double t0 = parametricAngle(a0, rx, ry);
    const double t1 = parametricAngle(a0 + sweep * M_PI / 180.0, rx, ry);
    // y runs down, so a growing angle turns clockwise on screen.
    auto at = [&](double t) { return PointF{float(cx + rx * std::cos(t)), float(cy + ry * std::sin(t))}; };
    const int segments = std::max(1, int(std::ceil(std::abs(t1 - t0) / (M_PI / 2) - 1e-9)));
    const double step = (t1 - t0) / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    append(at(t0), PathPointTypeLine);
    for (int i = 0; i < segments; ++i) {
        const double u0 = t0 + step * i, u1 = i + 1 == segments ? t1 : u0 + step;
        const PointF p0 = at(u0), p3 = at(u1);
        append({float(p0.x - k * rx * std::sin(u0)), float(p0.y + k * ry * std::cos(u0))}, PathPointTypeBezier);
        append({float(p3.x + k * rx * std::sin(u1)), float(p3.y - k * ry * std::cos(u1))}, PathPointTypeBezier);
        append(p3, PathPointTypeBezier);
    }
}

void GraphicsPath::AddEllipse(const RectF& box) {
    if (!(box.width > 0 && box.height > 0)) return;
    StartFigure();
    AddArc(box, 0, 360);
    CloseFigure();
}

void GraphicsPath::AddRectangle(const RectF& rect) {
    if (rect.width == 0 || rect.height == 0) return;
    const PointF pts[] = {{rect.x, rect.y}, {rect.right(), rect.y}, {rect.right(), rect.bottom()}, {rect.x, rect.bottom()}};
    AddPolygon(pts, 4);
}

void GraphicsPath::AddPolygon(const PointF* points, int count) {
    if (!points || count < 2) return;
    StartFigure();
    AddLines(points, count);
    CloseFigure();
}

void GraphicsPath::SetMarker() {
    if (!m_types.empty()) m_types.back() |= PathPointTypePathMarker;
}

void GraphicsPath::ClearMarkers() {
    for (uint8_t& t : m_types) t &= uint8_t(~PathPointTypePathMarker);
}

Status GraphicsPath::GetLastPoint(PointF* point) const {
    if (!point || m_points.empty()) return InvalidParameter;
    *point = m_points.back();
    return Ok;
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

namespace {

// Is point i the first control point of a whole Bezier segment, with the
// segment's start point before it?
bool bezierAt(const std::vector<uint8_t>& types, size_t i) {
    return i > 0 && i + 2 < types.size() && (types[i] & PathPointTypePathTypeMask) == PathPointTypeBezier &&
           (types[i - 1] & PathPointTypeCloseSubpath) == 0;
}

// Grows [lo, hi] to hold the cubic through a, b, c, d on one axis.
void cubicExtent(double a, double b, double c, double d, double& lo, double& hi) {
    lo = std::min({lo, a, d});
    hi = std::max({hi, a, d});
    // Roots of the derivative: A t^2 + B t + C.
    const double A = -a + 3 * b - 3 * c + d, B = 2 * (a - 2 * b + c), C = b - a;
    double roots[2];
    int n = 0;
    if (std::abs(A) < 1e-12) {
        if (std::abs(B) > 1e-12) roots[n++] = -C / B;
    } else {
        const double disc = B * B - 4 * A * C;
        if (disc >= 0) {
            const double r = std::sqrt(disc);
            roots[n++] = (-B + r) / (2 * A);
            roots[n++] = (-B - r) / (2 * A);
        }
    }
    for (int i = 0; i < n; ++i) {
        const double t = roots[i];
        if (!(t > 0 && t < 1)) continue;
        const double u = 1 - t;
        const double v = u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

RectF tightBounds(const std::vector<PointF>& pts, const std::vector<uint8_t>& types) {
    if (pts.empty()) return {};
    double x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
    for (size_t i = 0; i < pts.size(); ++i) {
        if (bezierAt(types, i)) {
            const PointF &p0 = pts[i - 1], &p1 = pts[i], &p2 = pts[i + 1], &p3 = pts[i + 2];
            cubicExtent(p0.x, p1.x, p2.x, p3.x, x0, x1);
            cubicExtent(p0.y, p1.y, p2.y, p3.y, y0, y1);
            i += 2;
            continue;
        }
        x0 = std::min(x0, double(pts[i].x));
        x1 = std::max(x1, double(pts[i].x));
        y0 = std::min(y0, double(pts[i].y));
        y1 = std::max(y1, double(pts[i].y));
    }
    return {float(x0), float(y0), float(x1 - x0), float(y1 - y0)};
}

}  // namespace

RectF GraphicsPath::GetBounds() const { return tightBounds(m_points, m_types); }

Status GraphicsPath::GetBounds(RectF* bounds, const Matrix* matrix, const Pen* pen) const {
    if (!bounds) return InvalidParameter;
    std::vector<PointF> pts = m_points;
    if (matrix) matrix->TransformPoints(pts.data(), int(pts.size()));
    RectF r = tightBounds(pts, m_types);
    if (pen && !pts.empty() && std::isfinite(pen->width) && pen->width > 0) {
        const float scale = matrix ? std::sqrt(std::abs(matrix->m11() * matrix->m22() - matrix->m12() * matrix->m21()))
                                   : 1.0f;
        const float half = pen->width * scale / 2;
        r = {r.x - half, r.y - half, r.width + 2 * half, r.height + 2 * half};
    }
    *bounds = r;
    return Ok;
}

void GraphicsPath::Flatten(const Matrix* matrix, float flatness) {
    if (matrix) Transform(*matrix);
    if (!(flatness > 0) || !std::isfinite(flatness)) flatness = 0.25f;
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    pts.reserve(m_points.size());
    types.reserve(m_types.size());
    for (size_t i = 0; i < m_points.size(); ++i) {
        if (!bezierAt(m_types, i)) {
            pts.push_back(m_points[i]);
            types.push_back(m_types[i]);
            continue;
        }
        const PointF &p0 = m_points[i - 1], &p1 = m_points[i], &p2 = m_points[i + 1], &p3 = m_points[i + 2];
        // A cubic's chords of n equal steps stray at most 3/4 L / n^2 from it,
        // L the largest second difference of its control points.
        const double l = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                  std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
        // Held to 1-1000 steps before it becomes an int: far-out points give
        // a huge (or infinite) count.
        const double steps = std::ceil(std::sqrt(0.75 * l / flatness));
        const int n = std::isfinite(steps) ? int(std::clamp(steps, 1.0, 1000.0)) : 1;
        for (int k = 1; k <= n; ++k) {
            const double t = double(k) / n, u = 1 - t;
            pts.push_back({float(u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x),
                           float(u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y)});
            types.push_back(PathPointTypeLine);
        }
        // Close flags and markers of the segment's points go to its last line.
        uint8_t flags = 0;
        for (size_t j = i; j <= i + 2; ++j) flags |= m_types[j] & ~PathPointTypePathTypeMask;
        types.back() |= flags;
        i += 2;
    }
    m_points = std::move(pts);
    m_types = std::move(types);
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
