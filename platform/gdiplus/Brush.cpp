#include "Brush.h"

#include "platform/gdiplus/GraphicsPath.h"

#include <QImage>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace toliva::gp {

namespace {

// 8 x 8 patterns, top row first, bit 7 = leftmost pixel, set = foreground.
constexpr uint8_t kHatch[HatchStyleTotal][8] = {
    {0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // Horizontal
    {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // Vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // ForwardDiagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // BackwardDiagonal
    {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // Cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // DiagonalCross
    {0x80, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00},  // 05Percent
    {0x80, 0x00, 0x08, 0x00, 0x80, 0x00, 0x08, 0x00},  // 10Percent
    {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00},  // 20Percent
    {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22},  // 25Percent
    {0xAA, 0x44, 0xAA, 0x00, 0xAA, 0x44, 0xAA, 0x00},  // 30Percent
    {0xAA, 0x54, 0xAA, 0x11, 0xAA, 0x54, 0xAA, 0x11},  // 40Percent
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},  // 50Percent
    {0x55, 0xAB, 0x55, 0xEE, 0x55, 0xAB, 0x55, 0xEE},  // 60Percent
    {0x55, 0xBB, 0x55, 0xFF, 0x55, 0xBB, 0x55, 0xFF},  // 70Percent
    {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD},  // 75Percent
    {0x77, 0xFF, 0x77, 0xDD, 0x77, 0xFF, 0x77, 0xDD},  // 80Percent
    {0x7F, 0xFF, 0xF7, 0xFF, 0x7F, 0xFF, 0xF7, 0xFF},  // 90Percent
    {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11},  // LightDownwardDiagonal
    {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88},  // LightUpwardDiagonal
    {0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99},  // DarkDownwardDiagonal
    {0x33, 0x66, 0xCC, 0x99, 0x33, 0x66, 0xCC, 0x99},  // DarkUpwardDiagonal
    {0xE0, 0x70, 0x38, 0x1C, 0x0E, 0x07, 0x83, 0xC1},  // WideDownwardDiagonal
    {0x07, 0x0E, 0x1C, 0x38, 0x70, 0xE0, 0xC1, 0x83},  // WideUpwardDiagonal
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},  // LightVertical
    {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // LightHorizontal
    {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA},  // NarrowVertical
    {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00},  // NarrowHorizontal
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},  // DarkVertical
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},  // DarkHorizontal
    {0x00, 0x00, 0x00, 0x00, 0x88, 0x44, 0x22, 0x11},  // DashedDownwardDiagonal
    {0x00, 0x00, 0x00, 0x00, 0x11, 0x22, 0x44, 0x88},  // DashedUpwardDiagonal
    {0xF0, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00},  // DashedHorizontal
    {0x80, 0x80, 0x80, 0x80, 0x08, 0x08, 0x08, 0x08},  // DashedVertical
    {0x80, 0x04, 0x40, 0x02, 0x10, 0x01, 0x20, 0x08},  // SmallConfetti
    {0xB1, 0x30, 0x03, 0x1B, 0xD8, 0xC0, 0x0C, 0x8D},  // LargeConfetti
    {0x81, 0x42, 0x24, 0x18, 0x81, 0x42, 0x24, 0x18},  // ZigZag
    {0x00, 0x60, 0x90, 0x09, 0x06, 0x00, 0x00, 0x00},  // Wave
    {0x01, 0x02, 0x04, 0x08, 0x18, 0x24, 0x42, 0x81},  // DiagonalBrick
    {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08},  // HorizontalBrick
    {0x88, 0x54, 0x22, 0x45, 0x88, 0x14, 0x22, 0x51},  // Weave
    {0xAA, 0x55, 0xAA, 0x55, 0xF0, 0xF0, 0xF0, 0xF0},  // Plaid
    {0x00, 0x20, 0x10, 0x20, 0x00, 0x04, 0x08, 0x04},  // Divot
    {0xAA, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00},  // DottedGrid
    {0x80, 0x00, 0x22, 0x00, 0x08, 0x00, 0x22, 0x00},  // DottedDiamond
    {0x03, 0x84, 0x48, 0x30, 0x0C, 0x02, 0x01, 0x01},  // Shingle
    {0xFF, 0x66, 0xFF, 0x99, 0xFF, 0x66, 0xFF, 0x99},  // Trellis
    {0xEE, 0x91, 0xF1, 0xF1, 0xEE, 0x19, 0x1F, 0x1F},  // Sphere
    {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},  // SmallGrid
    {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33},  // SmallCheckerBoard
    {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F},  // LargeCheckerBoard
    {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41, 0x80},  // OutlinedDiamond
    {0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00},  // SolidDiamond
};

constexpr uint8_t kClear[8] = {};

std::string colourText(ARGB c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%08X", unsigned(c));
    return buf;
}

std::string pointText(PointF p) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "(%g,%g)", p.x, p.y);
    return buf;
}

ARGB mix(ARGB a, ARGB b, float t) {
    ARGB out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float ca = float((a >> shift) & 0xFF), cb = float((b >> shift) & 0xFF);
        const long v = std::lround(ca + (cb - ca) * t);
        out |= ARGB(std::clamp(v, 0L, 255L)) << shift;
    }
    return out;
}

bool finite(PointF p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

const uint8_t* HatchPattern(HatchStyle style) {
    if (style < HatchStyleMin || style > HatchStyleMax) return kClear;
    return kHatch[style];
}

// ---- kinds

SolidBrush::SolidBrush(ARGB colour) {
    m_type = BrushTypeSolidColor;
    m_colour[0] = colour;
}

HatchBrush::HatchBrush(HatchStyle style, ARGB foreground, ARGB background) {
    m_type = BrushTypeHatchFill;
    m_hatch = style;
    m_colour[0] = foreground;
    m_colour[1] = background;
}

LinearGradientBrush::LinearGradientBrush(PointF p1, PointF p2, ARGB colour1, ARGB colour2) {
    m_type = BrushTypeLinearGradient;
    m_start = p1;
    m_end = p2;
    m_colour[0] = colour1;
    m_colour[1] = colour2;
    const float x0 = std::min(p1.x, p2.x), y0 = std::min(p1.y, p2.y);
    m_rect = {x0, y0, std::max(p1.x, p2.x) - x0, std::max(p1.y, p2.y) - y0};
}

LinearGradientBrush::LinearGradientBrush(const RectF& rect, ARGB colour1, ARGB colour2, LinearGradientMode mode)
    : LinearGradientBrush(rect, colour1, colour2,
                          mode == LinearGradientModeVertical           ? 90.0f
                          : mode == LinearGradientModeForwardDiagonal  ? 45.0f
                          : mode == LinearGradientModeBackwardDiagonal ? 135.0f
                                                                       : 0.0f,
                          mode == LinearGradientModeForwardDiagonal || mode == LinearGradientModeBackwardDiagonal) {}

LinearGradientBrush::LinearGradientBrush(const RectF& rect, ARGB colour1, ARGB colour2, float angle,
                                         bool isAngleScalable) {
    m_type = BrushTypeLinearGradient;
    m_colour[0] = colour1;
    m_colour[1] = colour2;
    m_rect = rect;
    m_unitFrame = isAngleScalable;
    const double a = double(angle) * M_PI / 180.0;
    const double dx = std::cos(a), dy = std::sin(a);
    const RectF r = isAngleScalable ? RectF{0, 0, 1, 1} : rect;
    const PointF corners[4] = {{r.x, r.y}, {r.right(), r.y}, {r.right(), r.bottom()}, {r.x, r.bottom()}};
    // From the corner the gradient line meets first to the projection of the last.
    double lo = 0, hi = 0;
    int first = 0;
    for (int i = 0; i < 4; ++i) {
        const double p = corners[i].x * dx + corners[i].y * dy;
        if (i == 0 || p < lo) lo = p, first = i;
        if (i == 0 || p > hi) hi = p;
    }
    m_start = corners[first];
    m_end = {float(m_start.x + dx * (hi - lo)), float(m_start.y + dy * (hi - lo))};
}

Status LinearGradientBrush::SetBlend(const float* factors, const float* positions, int count) {
    if (!factors || !positions || count < 2 || positions[0] != 0 || positions[count - 1] != 1)
        return InvalidParameter;
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(factors[i]) || !std::isfinite(positions[i])) return InvalidParameter;
        if (i > 0 && positions[i] < positions[i - 1]) return InvalidParameter;
    }
    m_blendFactors.assign(factors, factors + count);
    m_blendPositions.assign(positions, positions + count);
    return Ok;
}

Status LinearGradientBrush::SetBlendTriangularShape(float focus, float scale) {
    if (!(focus >= 0 && focus <= 1 && scale >= 0 && scale <= 1)) return InvalidParameter;
    if (focus == 0) {
        const float f[] = {scale, 0}, p[] = {0, 1};
        return SetBlend(f, p, 2);
    }
    if (focus == 1) {
        const float f[] = {0, scale}, p[] = {0, 1};
        return SetBlend(f, p, 2);
    }
    const float f[] = {0, scale, 0}, p[] = {0, focus, 1};
    return SetBlend(f, p, 3);
}

Status LinearGradientBrush::SetBlendBellShape(float focus, float scale) {
    if (!(focus >= 0 && focus <= 1 && scale >= 0 && scale <= 1)) return InvalidParameter;
    // A smooth rise to the focus and a smooth fall after it, sampled finely.
    constexpr int kSteps = 16;
    std::vector<float> f, p;
    auto bell = [](double t) { return float((1 - std::cos(M_PI * t)) / 2); };
    if (focus > 0)
        for (int i = 0; i < kSteps; ++i) {
            const double t = double(i) / kSteps;
            p.push_back(float(focus * t));
            f.push_back(scale * bell(t));
        }
    p.push_back(focus);
    f.push_back(scale);
    if (focus < 1)
        for (int i = 1; i <= kSteps; ++i) {
            const double t = double(i) / kSteps;
            p.push_back(float(focus + (1 - focus) * t));
            f.push_back(scale * bell(1 - t));
        }
    p.front() = 0;
    p.back() = 1;
    return SetBlend(f.data(), p.data(), int(f.size()));
}

void LinearGradientBrush::GetLinearColors(ARGB* colours) const {
    if (!colours) return;
    colours[0] = m_colour[0];
    colours[1] = m_colour[1];
}

PathGradientBrush::PathGradientBrush(const GraphicsPath& path) {
    setBoundary(path.points().data(), path.GetPointCount());
    m_rect = path.GetBounds();
}

PathGradientBrush::PathGradientBrush(const PointF* points, int count) {
    setBoundary(points, count);
    if (!points || count <= 0) return;
    float x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
    for (int i = 1; i < count; ++i) {
        x0 = std::min(x0, points[i].x), x1 = std::max(x1, points[i].x);
        y0 = std::min(y0, points[i].y), y1 = std::max(y1, points[i].y);
    }
    m_rect = {x0, y0, x1 - x0, y1 - y0};
}

void PathGradientBrush::setBoundary(const PointF* points, int count) {
    m_type = BrushTypePathGradient;
    m_colour[0] = m_colour[1] = 0xFFFFFFFF;
    if (!points || count <= 0) return;
    double sx = 0, sy = 0;
    for (int i = 0; i < count; ++i) sx += points[i].x, sy += points[i].y;
    m_centre = {float(sx / count), float(sy / count)};
}

Status PathGradientBrush::SetSurroundColors(const ARGB* colours, int* count) {
    if (!colours || !count || *count < 1) return InvalidParameter;
    m_colour[1] = colours[0];
    *count = 1;
    return Ok;
}

// ---- painting

QBrush Brush::toQBrush(const QTransform& world) const {
    switch (m_type) {
    case BrushTypeSolidColor:
        break;
    case BrushTypeHatchFill: {
        QImage tile(8, 8, QImage::Format_ARGB32);
        const uint8_t* rows = HatchPattern(m_hatch);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                tile.setPixel(x, y, (rows[y] >> (7 - x)) & 1 ? m_colour[0] : m_colour[1]);
        QBrush brush(tile);
        // Undo the world transform so that the pattern lies on device pixels.
        bool invertible = false;
        const QTransform inverse = world.inverted(&invertible);
        if (invertible) brush.setTransform(inverse);
        return brush;
    }
    case BrushTypeLinearGradient: {
        if (!finite(m_start) || !finite(m_end) || m_start == m_end) break;
        if (m_unitFrame && !(m_rect.width > 0 && m_rect.height > 0)) break;
        QLinearGradient g(m_start.x, m_start.y, m_end.x, m_end.y);
        if (m_blendFactors.empty()) {
            g.setColorAt(0, QColor::fromRgba(m_colour[0]));
            g.setColorAt(1, QColor::fromRgba(m_colour[1]));
        } else {
            QGradientStops stops;
            for (size_t i = 0; i < m_blendFactors.size(); ++i) {
                // Qt keeps stops strictly ordered; nudge equal positions apart.
                qreal pos = m_blendPositions[i];
                if (!stops.isEmpty() && pos <= stops.back().first) pos = std::min(1.0, stops.back().first + 1e-6);
                stops.push_back({pos, QColor::fromRgba(mix(m_colour[0], m_colour[1], m_blendFactors[i]))});
            }
            g.setStops(stops);
        }
        g.setSpread(m_wrap == WrapModeClamp  ? QGradient::PadSpread
                    : m_wrap == WrapModeTile ? QGradient::RepeatSpread
                                             : QGradient::ReflectSpread);
        QBrush brush(g);
        if (m_unitFrame) brush.setTransform(QTransform(m_rect.width, 0, 0, m_rect.height, m_rect.x, m_rect.y));
        return brush;
    }
    case BrushTypePathGradient: {
        if (!(m_rect.width > 0 && m_rect.height > 0) || !finite(m_centre)) return QBrush(QColor::fromRgba(m_colour[1]));
        const float rx = m_rect.width / 2, ry = m_rect.height / 2;
        const float cx = m_rect.x + rx, cy = m_rect.y + ry;
        // A unit circle stretched onto the ellipse in the bounds; the focal
        // point is the centre point, kept inside the circle.
        QPointF focal((m_centre.x - cx) / rx, (m_centre.y - cy) / ry);
        const qreal len = std::hypot(focal.x(), focal.y());
        if (len > 0.999) focal *= 0.999 / len;
        QRadialGradient g(QPointF(0, 0), 1, focal);
        g.setColorAt(0, QColor::fromRgba(m_colour[0]));
        g.setColorAt(1, QColor::fromRgba(m_colour[1]));
        QBrush brush(g);
        brush.setTransform(QTransform(rx, 0, 0, ry, cx, cy));
        return brush;
    }
    }
    return QBrush(QColor::fromRgba(m_colour[0]));
}

std::string Brush::describe() const {
    switch (m_type) {
    case BrushTypeSolidColor:
        break;
    case BrushTypeHatchFill:
        return "hatch " + std::to_string(int(m_hatch)) + ' ' + colourText(m_colour[0]) + ' ' + colourText(m_colour[1]);
    case BrushTypeLinearGradient: {
        std::string s = "linear " + pointText(m_start) + '-' + pointText(m_end);
        if (m_unitFrame) {
            char buf[96];
            std::snprintf(buf, sizeof buf, " in %g %g %g %g", m_rect.x, m_rect.y, m_rect.width, m_rect.height);
            s += buf;
        }
        s += ' ' + colourText(m_colour[0]) + ' ' + colourText(m_colour[1]);
        if (!m_blendFactors.empty()) s += " blend=" + std::to_string(m_blendFactors.size());
        return s;
    }
    case BrushTypePathGradient:
        return "pathgradient " + pointText(m_centre) + ' ' + colourText(m_colour[0]) + ' ' + colourText(m_colour[1]);
    }
    return "solid " + colourText(m_colour[0]);
}

}  // namespace toliva::gp
