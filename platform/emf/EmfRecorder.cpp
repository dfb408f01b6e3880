#include "platform/emf/EmfRecorder.h"

#include "platform/emf/EmfWriter.h"

#include <QBitmap>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>

#include <climits>
#include <cmath>

namespace toliva::emf {

namespace {

// Without a size the device still needs one: Qt clips the drawing it turns
// into bitmaps to the device rectangle.
constexpr int kUnsizedExtent = 32767;
// Largest side of a bitmap the recorder makes itself for a brush that the
// metafile cannot hold; larger areas get fewer pixels.
constexpr int kMaxFallbackSide = 8192;

bool finiteTransform(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy()) && t.isAffine();
}

}  // namespace

class EmfPaintEngine final : public QPaintEngine {
public:
    explicit EmfPaintEngine(EmfRecorder* device, DisplayList* list)
        : QPaintEngine(PrimitiveTransform | PixmapTransform | PatternBrush | PainterPaths | Antialiasing |
                       AlphaBlend | PaintOutsidePaintEvent),
          m_device(device),
          m_list(list) {}

    bool begin(QPaintDevice*) override {
        m_pen = QPen();
        m_brush = QBrush();
        m_transform = QTransform();
        m_clip.reset();
        m_clipEnabled = false;
        m_brushOrigin = QPointF();
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags flags = state.state();
        if (flags & DirtyPen) m_pen = state.pen();
        if (flags & DirtyBrush) m_brush = state.brush();
        if (flags & DirtyBrushOrigin) m_brushOrigin = state.brushOrigin();
        if (flags & DirtyTransform) m_transform = state.transform();
        if (flags & DirtyClipPath) applyClip(state.clipOperation(), state.clipPath());
        if (flags & DirtyClipRegion) {
            QPainterPath p;
            p.addRegion(state.clipRegion());
            applyClip(state.clipOperation(), p);
        }
        if (flags & DirtyClipEnabled) m_clipEnabled = state.isClipEnabled();
    }

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;

    void drawPath(const QPainterPath& path) override {
        if (path.isEmpty()) return;
        Item item;
        item.kind = Item::Path;
        item.path = path;
        addShape(std::move(item));
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (count < 1) return;
        Item item;
        item.polygon = QPolygonF(QList<QPointF>(points, points + count));
        if (mode == PolylineMode) {
            item.kind = Item::Polyline;
        } else {
            item.kind = Item::Polygon;
            item.fillRule = mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill;
        }
        addShape(std::move(item));
    }

    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            Item item;
            item.kind = Item::Rect;
            item.rect = rects[i].normalized();
            addShape(std::move(item));
        }
    }
    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRectF r(rects[i]);
            drawRects(&r, 1);
        }
    }

    void drawEllipse(const QRectF& r) override {
        Item item;
        item.kind = Item::Ellipse;
        item.rect = r.normalized();
        addShape(std::move(item));
    }
    void drawEllipse(const QRect& r) override { drawEllipse(QRectF(r)); }

    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
        if (pm.isNull()) return;
        if (pm.depth() == 1) {
            // A bitmap draws its set bits in the pen's colour.
            QImage mono = pm.toImage().convertToFormat(QImage::Format_Mono);
            mono.setColorCount(2);
            mono.setColor(0, qRgba(0, 0, 0, 0));
            mono.setColor(1, QColor(m_pen.color().rgb()).rgba());
            drawImage(r, mono.convertToFormat(QImage::Format_ARGB32_Premultiplied), sr,
                      Qt::AutoColor);
            return;
        }
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override {
        if (image.isNull() || r.isEmpty() || sr.isEmpty()) return;
        // Whole source pixels only; the target shrinks or grows with them.
        const QRect src = sr.toAlignedRect() & image.rect();
        if (src.isEmpty()) return;
        const qreal sx = r.width() / sr.width();
        const qreal sy = r.height() / sr.height();
        const QRectF target(r.x() + (src.x() - sr.x()) * sx, r.y() + (src.y() - sr.y()) * sy,
                            src.width() * sx, src.height() * sy);
        Item item;
        item.kind = Item::Image;
        item.rect = target;
        item.image = image.copy(src);
        if (item.image.hasAlphaChannel())
            item.image = item.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        else
            item.image = item.image.convertToFormat(QImage::Format_RGB32);
        add(std::move(item));
    }

private:
    void applyClip(Qt::ClipOperation op, const QPainterPath& path) {
        if (op == Qt::NoClip) {
            m_clip.reset();
            return;
        }
        auto next = std::make_shared<ClipState>();
        if (op == Qt::IntersectClip && m_clip) *next = *m_clip;
        next->push_back(ClipStep{m_transform, path});
        m_clip = std::move(next);
    }

    // The alpha of a plain colour (solid or hatched); -1 for anything else.
    static int plainAlpha(const QBrush& brush) {
        if (brush.style() == Qt::NoBrush) return -1;
        if (brush.style() != Qt::SolidPattern && hatchFromQt(brush.style()) < 0) return -1;
        return brush.color().alpha();
    }

    // A shape drawn with the current pen and brush. A pen or brush of a
    // wholly transparent colour adds nothing; a partly transparent one makes
    // the shape a bitmap.
    void addShape(Item item) {
        const bool penShows = m_pen.style() != Qt::NoPen && plainAlpha(m_pen.brush()) != 0;
        const int brushAlpha = item.kind == Item::Polyline ? -1 : plainAlpha(m_brush);
        if (!penShows && brushAlpha == 0) return;
        if ((penShows && plainAlpha(m_pen.brush()) > 0 && plainAlpha(m_pen.brush()) < 255) ||
            (brushAlpha > 0 && brushAlpha < 255)) {
            addAsBitmap(item.geometry());
            return;
        }
        item.pen = penShows ? PenSpec::fromPen(m_pen) : PenSpec();
        if (brushAlpha == 0) {
            item.brush = BrushSpec();
        } else if (item.kind != Item::Polyline && !BrushSpec::fromBrush(m_brush, &item.brush)) {
            addAsBitmap(item.geometry());
            return;
        }
        if (!item.pen.visible && item.brush.kind == BrushSpec::None) return;
        add(std::move(item));
    }

    void add(Item item) {
        item.transform = m_transform;
        if (!finiteTransform(item.transform)) return;
        if (m_clipEnabled && m_clip) {
            for (const ClipStep& step : *m_clip)
                if (step.path.isEmpty()) return;  // clipped away entirely
            item.clip = m_clip;
        }
        item.deviceBounds = computeDeviceBounds(item);
        m_list->items.push_back(std::move(item));
    }

    // Draws a shape whose brush the metafile cannot hold into a bitmap.
    void addAsBitmap(const QPainterPath& shape) {
        Item probe;
        probe.kind = Item::Path;
        probe.path = shape;
        probe.transform = m_transform;
        probe.pen = PenSpec::fromPen(m_pen);
        probe.brush.kind = BrushSpec::Solid;
        QRectF bounds = computeDeviceBounds(probe);
        bounds &= QRectF(0, 0, m_device->width(), m_device->height());
        const QRect area = bounds.toAlignedRect();
        if (area.isEmpty()) return;
        // A very large area is drawn at a lower resolution and stretched.
        const qreal f = std::min<qreal>(1, qreal(kMaxFallbackSide) / std::max(area.width(), area.height()));
        const QSize pixels(std::max(1, int(std::ceil(area.width() * f))), std::max(1, int(std::ceil(area.height() * f))));

        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) return;
        image.fill(0);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(f, f);
            p.translate(-area.topLeft());
            p.setTransform(m_transform, true);
            p.setPen(m_pen);
            p.setBrush(m_brush);
            p.setBrushOrigin(m_brushOrigin);
            p.drawPath(shape);
        }
        const QTransform saved = m_transform;
        m_transform = QTransform();
        Item item;
        item.kind = Item::Image;
        item.rect = QRectF(area);
        item.image = image;
        add(std::move(item));
        m_transform = saved;
    }

    EmfRecorder* m_device;
    DisplayList* m_list;
    QPen m_pen;
    QBrush m_brush;
    QPointF m_brushOrigin;
    QTransform m_transform;
    std::shared_ptr<const ClipState> m_clip;
    bool m_clipEnabled = false;
};

EmfRecorder::EmfRecorder(const QSizeF& sizePx, int dpi) {
    setSize(sizePx);
    m_list.dpi = dpi > 0 ? dpi : 96;
}

void EmfRecorder::setSize(const QSizeF& sizePx) {
    m_list.size = sizePx.isValid() && !sizePx.isEmpty() ? sizePx : QSizeF();
}

EmfRecorder::~EmfRecorder() = default;

QPaintEngine* EmfRecorder::paintEngine() const {
    if (!m_engine) {
        auto* self = const_cast<EmfRecorder*>(this);
        m_engine = std::make_unique<EmfPaintEngine>(self, &self->m_list);
    }
    return m_engine.get();
}

void EmfRecorder::addComment(const QByteArray& data) {
    Item item;
    item.kind = Item::Comment;
    item.data = data;
    m_list.items.push_back(std::move(item));
}

void EmfRecorder::clear() { m_list.items.clear(); }

QByteArray EmfRecorder::toEmf() const { return EmfWriter::write(m_list); }

QByteArray EmfRecorder::toWmf(const WmfOptions& options, QString* error) const {
    return WmfWriter::write(m_list, options, error);
}

int EmfRecorder::metric(PaintDeviceMetric metric) const {
    const bool sized = !m_list.size.isEmpty();
    const int w = sized ? int(std::ceil(m_list.size.width())) : kUnsizedExtent;
    const int h = sized ? int(std::ceil(m_list.size.height())) : kUnsizedExtent;
    switch (metric) {
        case PdmWidth: return w;
        case PdmHeight: return h;
        case PdmWidthMM: return int(std::lround(w * 25.4 / m_list.dpi));
        case PdmHeightMM: return int(std::lround(h * 25.4 / m_list.dpi));
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return m_list.dpi;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
    }
    return 0;
}

}  // namespace toliva::emf
