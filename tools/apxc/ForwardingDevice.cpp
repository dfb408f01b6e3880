#include "ForwardingDevice.h"

#include <QPainter>
#include <QPainterPath>

void ForwardingEngine::updateState(const QPaintEngineState& state) {
    const DirtyFlags flags = state.state();
    if (flags & DirtyPen) {
        QPen pen = state.pen();
        if (pen.style() != Qt::NoPen && pen.brush().style() == Qt::NoBrush) pen = QPen(Qt::NoPen);
        m_out->setPen(pen);
    }
    if (flags & DirtyBrush) m_out->setBrush(state.brush());
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
    m_out->drawPixmap(r, pixmap, sr);
}

void ForwardingEngine::drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                                 Qt::ImageConversionFlags flags) {
    m_out->drawImage(r, image, sr, flags);
}

void ForwardingEngine::drawTextItem(const QPointF& p, const QTextItem& item) { m_out->drawTextItem(p, item); }

ForwardingDevice::ForwardingDevice(QPainter* out) : m_out(out), m_engine(std::make_unique<ForwardingEngine>(out)) {}

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
