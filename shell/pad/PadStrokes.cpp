#include "shell/pad/PadStrokes.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace toliva {

bool HitsSegment(QPointF p, QPointF a, QPointF b) {
    // The distance to the nearest point of the segment: the foot of the
    // perpendicular when it falls between the ends, else the nearer end.
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0;
    if (lengthSquared > 0) t = std::clamp(((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / lengthSquared, 0.0, 1.0);
    const double nx = a.x() + t * dx - p.x(), ny = a.y() + t * dy - p.y();
    return std::hypot(nx, ny) <= kEraseDistance;
}

void PadStrokes::SetMode(int mode) {
    if (mode == PAD_MODE_ERASER) m_remembered = m_mode;
    m_mode = mode;
}

bool PadStrokes::AddPoint(QPoint point) {
    if (!m_points.empty() && m_points.back() == point) return false;
    m_points.push_back(point);
    return true;
}

bool PadStrokes::FinishStroke() {
    const bool added = m_points.size() >= 2;
    if (added) {
        PadStroke s;
        s.count = int(m_points.size());
        s.x.reserve(m_points.size());
        s.y.reserve(m_points.size());
        int minX = m_points[0].x(), maxX = minX, minY = m_points[0].y(), maxY = minY;
        for (const QPoint& p : m_points) {
            s.x.push_back(p.x());
            s.y.push_back(p.y());
            minX = std::min(minX, p.x());
            maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y());
            maxY = std::max(maxY, p.y());
        }
        s.left = minX - PadStroke::kBoundsMargin;
        s.top = minY - PadStroke::kBoundsMargin;
        s.right = maxX + PadStroke::kBoundsMargin;
        s.bottom = maxY + PadStroke::kBoundsMargin;
        s.width = PadPenWidth(m_mode);
        m_strokes.push_back(std::move(s));
    }
    m_points.clear();
    return added;
}

PadStrokes::EraseResult PadStrokes::EraseAt(QPoint point) {
    EraseResult result;
    // Newest first, by index, so that the strokes keep their order whether
    // or not one goes.
    for (size_t i = m_strokes.size(); i-- > 0;) {
        const PadStroke& s = m_strokes[i];
        if (point.x() < s.left || point.x() > s.right || point.y() < s.top || point.y() > s.bottom) continue;
        bool hit = false;
        for (int k = 0; k + 1 < s.count && !hit; ++k)
            hit = HitsSegment(point, QPointF(s.x[size_t(k)], s.y[size_t(k)]),
                              QPointF(s.x[size_t(k) + 1], s.y[size_t(k) + 1]));
        if (!hit) continue;
        m_strokes.erase(m_strokes.begin() + std::ptrdiff_t(i));
        result.erased = true;
        if (m_strokes.empty()) {
            m_mode = m_remembered;
            result.modeChanged = true;
        }
        break;
    }
    return result;
}

void PadStrokes::ClearStrokes() {
    m_strokes.clear();
    m_mode = m_remembered;
}

QRect PadStrokes::Bounds() const {
    if (m_strokes.empty()) return {};
    int left = m_strokes[0].left, top = m_strokes[0].top, right = m_strokes[0].right, bottom = m_strokes[0].bottom;
    for (const PadStroke& s : m_strokes) {
        left = std::min(left, s.left);
        top = std::min(top, s.top);
        right = std::max(right, s.right);
        bottom = std::max(bottom, s.bottom);
    }
    return QRect(left, top, right - left, bottom - top);
}

QImage PadStrokes::RenderStrokesImage() const {
    const QRect bounds = Bounds();
    if (bounds.isEmpty()) return {};
    QImage image(bounds.size(), QImage::Format_ARGB32);
    constexpr int kDotsPerMetre72 = 2835;  // 72 dpi
    image.setDotsPerMeterX(kDotsPerMetre72);
    image.setDotsPerMeterY(kDotsPerMetre72);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const PadStroke& s : m_strokes) {
        QPainterPath path(QPointF(s.x[0] - bounds.left(), s.y[0] - bounds.top()));
        for (int k = 1; k < s.count; ++k)
            path.lineTo(s.x[size_t(k)] - bounds.left(), s.y[size_t(k)] - bounds.top());
        painter.setPen(QPen(QColor::fromRgba(kPadPenColour), s.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter.drawPath(path);
    }
    return image;
}

}  // namespace toliva
