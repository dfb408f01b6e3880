#include "platform/emf/EmfDisplayList.h"

#include "platform/emf/EmfFormat.h"

#include <QPainterPathStroker>

#include <cmath>

namespace toliva::emf {

bool PenSpec::operator==(const PenSpec& o) const {
    if (visible != o.visible) return false;
    if (!visible) return true;
    return colour == o.colour && width == o.width && cosmetic == o.cosmetic && dashes == o.dashes &&
           cap == o.cap && join == o.join && (join != Qt::MiterJoin || miterLimit == o.miterLimit);
}

PenSpec PenSpec::fromPen(const QPen& pen) {
    PenSpec s;
    if (pen.style() == Qt::NoPen || pen.brush().style() == Qt::NoBrush) return s;
    s.visible = true;
    s.colour = pen.color().rgb();
    s.cosmetic = pen.isCosmetic();
    s.width = pen.widthF();
    if (s.cosmetic && s.width < 1) s.width = 1;
    if (!std::isfinite(s.width) || s.width < 0) s.width = 1;
    s.cap = pen.capStyle();
    s.join = pen.joinStyle() == Qt::SvgMiterJoin ? Qt::MiterJoin : pen.joinStyle();
    s.miterLimit = pen.miterLimit();
    if (pen.style() != Qt::SolidLine) {
        const QList<qreal> pattern = pen.dashPattern();
        qreal sum = 0;
        for (qreal d : pattern) sum += std::max<qreal>(d, 0);
        if (pattern.size() >= 2 && sum > 0) {
            for (qreal d : pattern) s.dashes.append(std::max<qreal>(d, 0) * s.dashUnit());
            if (s.dashes.size() % 2) s.dashes += QList<qreal>(s.dashes);
        }
    }
    return s;
}

QPen PenSpec::toPen() const {
    if (!visible) return QPen(Qt::NoPen);
    QPen pen{QColor(colour)};
    pen.setWidthF(width);
    pen.setCosmetic(cosmetic);
    pen.setCapStyle(cap);
    pen.setJoinStyle(join);
    pen.setMiterLimit(miterLimit);
    if (!dashes.isEmpty()) {
        QList<qreal> pattern;
        for (qreal d : dashes) pattern.append(d / dashUnit());
        pen.setDashPattern(pattern);
    }
    return pen;
}

int hatchFromQt(Qt::BrushStyle style) {
    switch (style) {
        case Qt::HorPattern: return HS_HORIZONTAL;
        case Qt::VerPattern: return HS_VERTICAL;
        case Qt::CrossPattern: return HS_CROSS;
        case Qt::BDiagPattern: return HS_BDIAGONAL;
        case Qt::FDiagPattern: return HS_FDIAGONAL;
        case Qt::DiagCrossPattern: return HS_DIAGCROSS;
        default: return -1;
    }
}

Qt::BrushStyle qtFromHatch(uint32_t hatch) {
    switch (hatch) {
        case HS_HORIZONTAL: return Qt::HorPattern;
        case HS_VERTICAL: return Qt::VerPattern;
        case HS_CROSS: return Qt::CrossPattern;
        case HS_BDIAGONAL: return Qt::BDiagPattern;
        case HS_FDIAGONAL: return Qt::FDiagPattern;
        case HS_DIAGCROSS: return Qt::DiagCrossPattern;
        default: return Qt::NoBrush;
    }
}

bool BrushSpec::fromBrush(const QBrush& brush, BrushSpec* out) {
    *out = BrushSpec();
    if (brush.style() == Qt::NoBrush) return true;
    out->colour = brush.color().rgb();
    if (brush.style() == Qt::SolidPattern) {
        out->kind = Solid;
        return true;
    }
    const int hatch = hatchFromQt(brush.style());
    if (hatch < 0) return false;
    out->kind = Hatch;
    out->hatch = uint32_t(hatch);
    return true;
}

QBrush BrushSpec::toBrush() const {
    switch (kind) {
        case Solid: return QBrush(QColor(colour));
        case Hatch: return QBrush(QColor(colour), qtFromHatch(hatch));
        default: return QBrush(Qt::NoBrush);
    }
}

QPainterPath Item::geometry() const {
    QPainterPath p;
    switch (kind) {
        case Path: return path;
        case Rect: p.addRect(rect); break;
        case Ellipse: p.addEllipse(rect); break;
        case Polygon:
            p.addPolygon(polygon);
            p.closeSubpath();
            p.setFillRule(fillRule);
            break;
        case Polyline: p.addPolygon(polygon); break;
        case Image: p.addRect(rect); break;
        case Comment: break;
    }
    return p;
}

QRectF computeDeviceBounds(const Item& item) {
    if (item.kind == Item::Comment) return {};
    const QPainterPath g = item.geometry();
    QRectF r;
    const bool fills = item.kind == Item::Image || item.brush.kind != BrushSpec::None;
    if (fills && item.kind != Item::Polyline) r = item.transform.map(g).boundingRect();
    if (item.pen.visible && item.kind != Item::Image) {
        const QPen pen = item.pen.toPen();
        QRectF s;
        if (pen.isCosmetic()) {
            QPainterPathStroker stroker(pen);
            s = stroker.createStroke(item.transform.map(g)).boundingRect();
        } else {
            QPainterPathStroker stroker(pen);
            s = item.transform.map(stroker.createStroke(g)).boundingRect();
        }
        // Thin lines and points still touch a pixel.
        s = s.adjusted(-0.5, -0.5, 0.5, 0.5);
        r = r.isNull() ? s : r.united(s);
    }
    if (item.clip) {
        for (const ClipStep& step : *item.clip) r &= step.transform.map(step.path).boundingRect();
    }
    return r;
}

QRectF DisplayList::drawnBounds() const {
    QRectF r;
    for (const Item& item : items) {
        if (item.deviceBounds.isEmpty()) continue;
        r = r.isNull() ? item.deviceBounds : r.united(item.deviceBounds);
    }
    return r;
}

QRectF DisplayList::frame() const {
    if (!size.isEmpty()) return QRectF(QPointF(0, 0), size);
    return drawnBounds();
}

}  // namespace toliva::emf
