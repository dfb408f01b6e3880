// A paint device that passes every drawing call on to a painter that is open
// on another device (the metafile recorder).
//
// It claims every paint-engine feature, so Qt never turns a drawing into a
// bitmap on its way here: SVG text reaches the recorder as text (which it
// stores as glyph outlines), not as an image. A pen without a brush, which
// SVG text without a stroke carries, is passed on as no pen. With a colour
// map every colour of pens, brushes (gradient stops included) and images is
// passed through it on the way.
#pragma once

#include <QColor>

#include <functional>

#include <QPaintDevice>
#include <QPaintEngine>

#include <memory>

class QPainter;

using ColourMap = std::function<QColor(const QColor&)>;

class ForwardingEngine final : public QPaintEngine {
public:
    ForwardingEngine(QPainter* out, ColourMap map) : QPaintEngine(AllFeatures), m_out(out), m_map(std::move(map)) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override;
    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& sr) override;
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags flags) override;
    void drawTextItem(const QPointF& p, const QTextItem& item) override;

private:
    QBrush mapped(const QBrush& brush) const;
    QImage mapped(const QImage& image) const;

    QPainter* m_out;
    ColourMap m_map;
};

class ForwardingDevice final : public QPaintDevice {
public:
    // out must be active on its device for as long as this device is painted on.
    explicit ForwardingDevice(QPainter* out, ColourMap map = {});
    ~ForwardingDevice() override;

    QPaintEngine* paintEngine() const override { return m_engine.get(); }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QPainter* m_out;
    std::unique_ptr<ForwardingEngine> m_engine;
};
