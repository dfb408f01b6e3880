#include "platform/emf/WmfWriter.h"

#include "platform/emf/EmfBytes.h"
#include "platform/emf/EmfDisplayList.h"
#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfImages.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace toliva::emf {

namespace {

// Coordinates are kept below this so that widths and rounding stay in range.
constexpr qreal kMaxUnits = 32000;
constexpr int kMaxPolygonPoints = 32000;

uint32_t colorRef(QRgb c) { return uint32_t(qRed(c)) | (uint32_t(qGreen(c)) << 8) | (uint32_t(qBlue(c)) << 16); }

int16_t clamp16(qreal v) {
    if (!std::isfinite(v)) return 0;
    return int16_t(std::clamp<qreal>(std::round(v), -32768, 32767));
}

// True when the transform scales both axes alike (with rotation or a mirror).
bool isSimilarity(const QTransform& t) {
    const qreal eps = 1e-6 * (std::abs(t.m11()) + std::abs(t.m12()) + std::abs(t.m21()) + std::abs(t.m22()));
    return (std::abs(t.m11() - t.m22()) <= eps && std::abs(t.m12() + t.m21()) <= eps) ||
           (std::abs(t.m11() + t.m22()) <= eps && std::abs(t.m12() - t.m21()) <= eps);
}

struct PenKey {
    uint16_t style = PS_NULL;
    int16_t width = 0;
    uint32_t colour = 0;
    bool operator==(const PenKey& o) const { return style == o.style && width == o.width && colour == o.colour; }
};

struct BrushKey {
    uint16_t style = BS_NULL;
    uint32_t colour = 0;
    uint16_t hatch = 0;
    bool operator==(const BrushKey& o) const { return style == o.style && colour == o.colour && hatch == o.hatch; }
};

struct State {
    int pen = -1;  // object index, -1 before the first selection
    PenKey penKey;
    int brush = -1;
    BrushKey brushKey;
    uint16_t fillMode = 0;
    std::shared_ptr<const ClipState> clip;
};

class Writer {
public:
    Writer(const DisplayList& list, const WmfOptions& options) : m_list(list), m_options(options), m_w(&m_body) {}

    bool run(QByteArray* out, QString* error, WmfLayout* layout) {
        plan();
        if (layout) {
            layout->unitsPerInch = m_inch;
            layout->width = m_extent.width();
            layout->height = m_extent.height();
        }
        simple16(META_SETMAPMODE, MM_ANISOTROPIC);
        point(META_SETWINDOWORG, 0, 0);
        point(META_SETWINDOWEXT, int16_t(m_extent.width()), int16_t(m_extent.height()));
        {
            const qsizetype s = begin(META_SETBKMODE);
            m_w.u16(TRANSPARENT_MODE);
            m_w.u16(0);
            end(s);
        }
        for (const Item& item : m_list.items) {
            if (!writeItem(item, error)) return false;
        }
        end(begin(META_EOF));
        *out = assemble();
        return true;
    }

private:
    // Chooses the units: the frame's top-left is the origin, and every drawn
    // point must stay within 16 bits.
    void plan() {
        const QRectF frame = m_list.frame();
        m_origin = frame.isNull() ? QPointF() : frame.topLeft();
        QRectF reach = frame;
        const QRectF drawn = m_list.drawnBounds();
        if (!drawn.isEmpty()) reach = reach.isNull() ? drawn : reach.united(drawn);
        const qreal maxAbs = std::max({std::abs(reach.left() - m_origin.x()), std::abs(reach.right() - m_origin.x()),
                                       std::abs(reach.top() - m_origin.y()), std::abs(reach.bottom() - m_origin.y()),
                                       qreal(1)});
        const int dpi = m_list.dpi;
        qreal inch = std::max(1, m_options.unitsPerInch);
        if (maxAbs * inch / dpi > kMaxUnits) inch = std::floor(kMaxUnits * dpi / maxAbs);
        m_inch = std::max(1, int(inch));
        m_scale = qreal(m_inch) / dpi;
        m_extent = QSize(std::max<int>(1, clamp16(frame.width() * m_scale)),
                         std::max<int>(1, clamp16(frame.height() * m_scale)));
    }

    // Device pixels -> metafile units.
    QTransform toUnits() const {
        return QTransform::fromTranslate(-m_origin.x(), -m_origin.y()) * QTransform::fromScale(m_scale, m_scale);
    }

    // --- records -------------------------------------------------------------

    qsizetype begin(uint16_t function) {
        const qsizetype s = m_w.size();
        m_w.u32(0);
        m_w.u16(function);
        return s;
    }
    void end(qsizetype start) {
        if (m_w.size() % 2) m_w.u8(0);
        const uint32_t words = uint32_t((m_w.size() - start) / 2);
        m_w.patchU32(start, words);
        m_maxRecord = std::max(m_maxRecord, words);
    }
    void simple16(uint16_t function, uint16_t value) {
        const qsizetype s = begin(function);
        m_w.u16(value);
        end(s);
    }
    // Records that take (y, x) in that order.
    void point(uint16_t function, int16_t x, int16_t y) {
        const qsizetype s = begin(function);
        m_w.i16(y);
        m_w.i16(x);
        end(s);
    }

    QByteArray assemble() const {
        QByteArray out;
        ByteWriter w(&out);
        if (m_options.placeable) {
            w.u32(kPlaceableKey);
            w.u16(0);
            w.i16(0);
            w.i16(0);
            w.i16(int16_t(m_extent.width()));
            w.i16(int16_t(m_extent.height()));
            w.u16(uint16_t(m_inch));
            w.u32(0);
            uint16_t sum = 0;
            for (int i = 0; i < 20; i += 2) sum ^= uint16_t(uint8_t(out[i]) | (uint8_t(out[i + 1]) << 8));
            w.u16(sum);
        }
        w.u16(1);  // in memory
        w.u16(9);  // header words
        w.u16(0x0300);
        w.u32(uint32_t(9 + m_body.size() / 2));
        w.u16(uint16_t(std::max<size_t>(m_used.size(), 1)));
        w.u32(m_maxRecord);
        w.u16(0);
        out.append(m_body);
        return out;
    }

    // --- objects -------------------------------------------------------------

    int allocObject() {
        for (size_t i = 0; i < m_used.size(); ++i) {
            if (!m_used[i]) {
                m_used[i] = true;
                return int(i);
            }
        }
        m_used.push_back(true);
        return int(m_used.size() - 1);
    }

    void release(int index) {
        if (index < 0 || m_dc.pen == index || m_dc.brush == index) return;
        for (const State& s : m_stack)
            if (s.pen == index || s.brush == index) return;
        simple16(META_DELETEOBJECT, uint16_t(index));
        m_used[size_t(index)] = false;
    }

    void usePen(const PenKey& key) {
        if (m_dc.pen >= 0 && m_dc.penKey == key) return;
        const int old = m_dc.pen;
        const int index = allocObject();
        const qsizetype s = begin(META_CREATEPENINDIRECT);
        m_w.u16(key.style);
        m_w.i16(key.width);
        m_w.i16(0);
        m_w.u32(key.colour);
        end(s);
        simple16(META_SELECTOBJECT, uint16_t(index));
        m_dc.pen = index;
        m_dc.penKey = key;
        release(old);
    }

    void useBrush(const BrushKey& key) {
        if (m_dc.brush >= 0 && m_dc.brushKey == key) return;
        const int old = m_dc.brush;
        const int index = allocObject();
        const qsizetype s = begin(META_CREATEBRUSHINDIRECT);
        m_w.u16(key.style);
        m_w.u32(key.colour);
        m_w.u16(key.hatch);
        end(s);
        simple16(META_SELECTOBJECT, uint16_t(index));
        m_dc.brush = index;
        m_dc.brushKey = key;
        release(old);
    }

    void useNullPen() { usePen(PenKey{}); }
    void useNullBrush() { useBrush(BrushKey{}); }
    void useSolidBrush(QRgb colour) { useBrush(BrushKey{uint16_t(BS_SOLID), colorRef(colour), 0}); }

    void useFillMode(Qt::FillRule rule) {
        const uint16_t mode = rule == Qt::WindingFill ? WINDING : ALTERNATE;
        if (mode == m_dc.fillMode) return;
        const qsizetype s = begin(META_SETPOLYFILLMODE);
        m_w.u16(mode);
        m_w.u16(0);
        end(s);
        m_dc.fillMode = mode;
    }

    // A clip becomes the rectangles around its steps, inside a saved state.
    void useClip(const std::shared_ptr<const ClipState>& clip) {
        if (clip == m_dc.clip) return;
        if (m_dc.clip) {
            const qsizetype s = begin(META_RESTOREDC);
            m_w.i16(-1);
            end(s);
            const State dropped = m_dc;
            m_dc = m_stack.back();
            m_stack.pop_back();
            release(dropped.pen);
            release(dropped.brush);
        }
        if (!clip) return;
        end(begin(META_SAVEDC));
        m_stack.push_back(m_dc);
        for (const ClipStep& step : *clip) {
            const QRectF r = (step.transform * toUnits()).map(step.path).boundingRect();
            const qsizetype s = begin(META_INTERSECTCLIPRECT);
            m_w.i16(clamp16(r.bottom()));
            m_w.i16(clamp16(r.right()));
            m_w.i16(clamp16(r.top()));
            m_w.i16(clamp16(r.left()));
            end(s);
        }
        m_dc.clip = clip;
    }

    // --- geometry ------------------------------------------------------------

    static QPolygonF limited(const QPolygonF& poly) {
        if (poly.size() <= kMaxPolygonPoints) return poly;
        QPolygonF out;
        const qsizetype step = (poly.size() + kMaxPolygonPoints - 1) / kMaxPolygonPoints;
        for (qsizetype i = 0; i < poly.size(); i += step) out.append(poly[i]);
        return out;
    }

    void polyRecord(uint16_t function, const QPolygonF& poly) {
        const QPolygonF p = limited(poly);
        const qsizetype s = begin(function);
        m_w.i16(int16_t(p.size()));
        for (const QPointF& q : p) {
            m_w.i16(clamp16(q.x()));
            m_w.i16(clamp16(q.y()));
        }
        end(s);
    }

    // Filled polygons (in units) with the selected brush.
    void fillPolygons(const QList<QPolygonF>& polys) {
        QList<QPolygonF> kept;
        for (const QPolygonF& p : polys)
            if (p.size() >= 3) kept.append(limited(p));
        if (kept.isEmpty()) return;
        if (kept.size() == 1) {
            polyRecord(META_POLYGON, kept.front());
            return;
        }
        for (qsizetype first = 0; first < kept.size(); first += 0xFFFF) {
            const qsizetype n = std::min<qsizetype>(0xFFFF, kept.size() - first);
            const qsizetype s = begin(META_POLYPOLYGON);
            m_w.u16(uint16_t(n));
            for (qsizetype i = first; i < first + n; ++i) m_w.u16(uint16_t(kept[i].size()));
            for (qsizetype i = first; i < first + n; ++i) {
                for (const QPointF& q : kept[i]) {
                    m_w.i16(clamp16(q.x()));
                    m_w.i16(clamp16(q.y()));
                }
            }
            end(s);
        }
    }

    void fill(const Item& item, const QPainterPath& logical, const QTransform& toDevUnits) {
        useNullPen();
        const BrushSpec& b = item.brush;
        useBrush(BrushKey{uint16_t(b.kind == BrushSpec::Hatch ? BS_HATCHED : BS_SOLID), colorRef(b.colour),
                          uint16_t(b.kind == BrushSpec::Hatch ? b.hatch : 0)});
        useFillMode(logical.fillRule());
        fillPolygons(logical.toSubpathPolygons(toDevUnits));
    }

    void stroke(const Item& item, const QPainterPath& logical, const QTransform& toDevUnits) {
        const PenSpec& pen = item.pen;
        const bool plain = pen.dashes.isEmpty() && pen.cap == Qt::RoundCap && pen.join == Qt::RoundJoin &&
                           (pen.cosmetic || isSimilarity(item.transform));
        if (plain) {
            const qreal scale = std::sqrt(std::abs(item.transform.determinant()));
            const qreal widthPx = pen.cosmetic ? pen.width : pen.width * scale;
            const int16_t width = pen.cosmetic && pen.width <= 1 ? 0 : std::max<int16_t>(1, clamp16(widthPx * m_scale));
            usePen(PenKey{uint16_t(PS_SOLID), width, colorRef(pen.colour)});
            useNullBrush();
            for (const QPolygonF& poly : logical.toSubpathPolygons(toDevUnits)) {
                if (poly.size() < 2) continue;
                if (poly.size() > 3 && poly.isClosed())
                    polyRecord(META_POLYGON, poly.mid(0, poly.size() - 1));
                else
                    polyRecord(META_POLYLINE, poly);
            }
            return;
        }
        // The stroke's outline, filled with the pen's colour.
        QPainterPathStroker stroker(pen.toPen());
        QPainterPath outline;
        if (pen.cosmetic) {
            stroker.setWidth(pen.width);
            outline = toUnits().map(stroker.createStroke(item.transform.map(logical)));
        } else {
            outline = toDevUnits.map(stroker.createStroke(logical));
        }
        outline.setFillRule(Qt::WindingFill);
        useNullPen();
        useSolidBrush(pen.colour);
        useFillMode(Qt::WindingFill);
        fillPolygons(outline.toSubpathPolygons());
    }

    void stretchDib(const QRect& dest, const QByteArray& bmi, const QByteArray& bits, int w, int h, uint32_t rop) {
        const qsizetype s = begin(META_STRETCHDIB);
        m_w.u32(rop);
        m_w.u16(DIB_RGB_COLORS);
        m_w.i16(int16_t(h));
        m_w.i16(int16_t(w));
        m_w.i16(0);
        m_w.i16(0);
        m_w.i16(int16_t(dest.height()));
        m_w.i16(int16_t(dest.width()));
        m_w.i16(int16_t(dest.y()));
        m_w.i16(int16_t(dest.x()));
        m_w.bytes(bmi);
        m_w.bytes(bits);
        end(s);
    }

    void image(const Item& item) {
        const QRectF r = (item.transform * toUnits()).mapRect(item.rect);
        const QRect dest(QPoint(clamp16(r.left()), clamp16(r.top())), QPoint(clamp16(r.right()), clamp16(r.bottom())));
        QImage img = item.image;
        if (img.width() > 32767 || img.height() > 32767)
            img = img.scaled(std::min(img.width(), 32767), std::min(img.height(), 32767));
        const QRect destSize(dest.topLeft(), QSize(dest.right() - dest.left(), dest.bottom() - dest.top()));
        const int dpi = m_list.dpi;
        if (!imageHasTransparency(img)) {
            stretchDib(destSize, dibHeader(img.width(), img.height(), 24, dpi), dibBits24(img), img.width(),
                       img.height(), SRCCOPY);
            return;
        }
        // Transparent pixels keep what is below: a mask cleared where the
        // picture is opaque (AND), then the picture on black (OR).
        const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
        QImage mask(argb.size(), QImage::Format_RGB32);
        QImage colour(argb.size(), QImage::Format_RGB32);
        for (int y = 0; y < argb.height(); ++y) {
            const QRgb* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            QRgb* m = reinterpret_cast<QRgb*>(mask.scanLine(y));
            QRgb* c = reinterpret_cast<QRgb*>(colour.scanLine(y));
            for (int x = 0; x < argb.width(); ++x) {
                const bool opaque = qAlpha(src[x]) >= 128;
                m[x] = opaque ? 0xFF000000 : 0xFFFFFFFF;
                c[x] = opaque ? (src[x] | 0xFF000000) : 0xFF000000;
            }
        }
        stretchDib(destSize, dibHeaderMono(img.width(), img.height(), dpi), dibBitsMono(mask), img.width(),
                   img.height(), SRCAND);
        stretchDib(destSize, dibHeader(img.width(), img.height(), 24, dpi), dibBits24(colour), img.width(),
                   img.height(), SRCPAINT);
    }

    bool writeItem(const Item& item, QString* error) {
        if (item.kind == Item::Comment) {
            if (item.data.size() > 0xFFFF - 16) {
                if (error)
                    *error = QStringLiteral("A comment of %1 bytes does not fit a Windows metafile record.")
                                 .arg(item.data.size());
                return false;
            }
            const qsizetype s = begin(META_ESCAPE);
            m_w.u16(MFCOMMENT);
            m_w.u16(uint16_t(item.data.size()));
            m_w.bytes(item.data);
            end(s);
            return true;
        }
        useClip(item.clip);
        if (item.kind == Item::Image) {
            image(item);
            return true;
        }
        const QPainterPath logical = item.geometry();
        const QTransform toDevUnits = item.transform * toUnits();
        if (item.kind != Item::Polyline && item.brush.kind != BrushSpec::None) fill(item, logical, toDevUnits);
        if (item.pen.visible) stroke(item, logical, toDevUnits);
        return true;
    }

    const DisplayList& m_list;
    WmfOptions m_options;
    QByteArray m_body;
    ByteWriter m_w;
    uint32_t m_maxRecord = 0;
    std::vector<bool> m_used;
    State m_dc;
    std::vector<State> m_stack;
    QPointF m_origin;
    qreal m_scale = 1;
    int m_inch = 1440;
    QSize m_extent;
};

}  // namespace

QByteArray WmfWriter::write(const DisplayList& list, const WmfOptions& options, QString* error, WmfLayout* layout) {
    QByteArray out;
    Writer writer(list, options);
    if (!writer.run(&out, error, layout)) return {};
    return out;
}

}  // namespace toliva::emf
