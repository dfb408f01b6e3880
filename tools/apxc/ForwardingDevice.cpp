#include "ForwardingDevice.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QBrush ForwardingEngine::mapped(const QBrush& brush) const {
    if (!m_map || brush.style() == Qt::NoBrush) return brush;
    if (const QGradient* g = brush.gradient()) {
        QGradient copy = *g;
        QGradientStops stops = copy.stops();
        for (QGradientStop& stop : stops) stop.second = m_map(stop.second);
        copy.setStops(stops);
        QBrush out(copy);
        out.setTransform(brush.transform());
        return out;
    }
    if (brush.style() == Qt::TexturePattern) {
        QBrush out(mapped(brush.textureImage()));
        out.setTransform(brush.transform());
        return out;
    }
    QBrush out = brush;
    out.setColor(m_map(brush.color()));
    return out;
}

QImage ForwardingEngine::mapped(const QImage& image) const {
    if (!m_map) return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) out.setPixelColor(x, y, m_map(out.pixelColor(x, y)));
    return out;
}

void ForwardingEngine::updateState(const QPaintEngineState& state) {
    const DirtyFlags flags = state.state();
    if (flags & DirtyPen) {
        QPen pen = state.pen();
        if (pen.style() != Qt::NoPen && pen.brush().style() == Qt::NoBrush) pen = QPen(Qt::NoPen);
        if (pen.style() != Qt::NoPen) pen.setBrush(mapped(pen.brush()));
        m_out->setPen(pen);
    }
    if (flags & DirtyBrush) m_out->setBrush(mapped(state.brush()));
    if (flags & DirtyBrushOrigin) m_out->setBrushOrigin(state.brushOrigin());
    if (flags & DirtyBackground) m_out->setBackground(state.backgroundBrush());
    if (flags & DirtyBackgroundMode) m_out->setBackgroundMode(state.backgroundMode());
    if (flags & DirtyTransform) m_out->setTransform(state.transform());
    if (flags & DirtyClipPath) m_out->setClipPath(state.clipPath(), state.clipOperation());
    if (flags & DirtyClipRegion) m_out->setClipRegion(state.clipRegion(), state.clipOperation());
    if (flags & DirtyClipEnabled) m_out->setClipping(state.isClipEnabled());
    if (flags & DirtyHints) {
        m_out->setRenderHints(m_out->renderHints(), false);
        m_out->setRenderHints(state.renderHints(), true);
    }
    if (flags & DirtyCompositionMode) m_out->setCompositionMode(state.compositionMode());
    if (flags & DirtyOpacity) m_out->setOpacity(state.opacity());
}

void ForwardingEngine::drawPath(const QPainterPath& path) { m_out->drawPath(path); }

void ForwardingEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) {
    if (mode == PolylineMode)
        m_out->drawPolyline(points, count);
    else
        m_out->drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
}

void ForwardingEngine::drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& sr) {
    if (m_map)
        m_out->drawImage(r, mapped(pixmap.toImage()), sr);
    else
        m_out->drawPixmap(r, pixmap, sr);
}

void ForwardingEngine::drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                                 Qt::ImageConversionFlags flags) {
    m_out->drawImage(r, mapped(image), sr, flags);
}

void ForwardingEngine::drawTextItem(const QPointF& p, const QTextItem& item) { m_out->drawTextItem(p, item); }

ForwardingDevice::ForwardingDevice(QPainter* out, ColourMap map)
    : m_out(out), m_engine(std::make_unique<ForwardingEngine>(out, std::move(map))) {}

ForwardingDevice::~ForwardingDevice() = default;

int ForwardingDevice::metric(PaintDeviceMetric metric) const {
    const QPaintDevice* d = m_out->device();
    switch (metric) {
    case PdmWidth: return d->width();
    case PdmHeight: return d->height();
    case PdmWidthMM: return d->widthMM();
    case PdmHeightMM: return d->heightMM();
    case PdmNumColors: return d->colorCount();
    case PdmDepth: return d->depth();
    case PdmDpiX: return d->logicalDpiX();
    case PdmDpiY: return d->logicalDpiY();
    case PdmPhysicalDpiX: return d->physicalDpiX();
    case PdmPhysicalDpiY: return d->physicalDpiY();
    case PdmDevicePixelRatio: return int(d->devicePixelRatio());
    case PdmDevicePixelRatioScaled: return int(d->devicePixelRatio() * devicePixelRatioFScale());
    }
    return 0;
}
