#include "platform/emf/EmfWriter.h"

#include "platform/emf/EmfBytes.h"
#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfImages.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace toliva::emf {

namespace {

constexpr qreal kMaxCoordinate = 1 << 30;

uint32_t colorRef(QRgb c) { return uint32_t(qRed(c)) | (uint32_t(qGreen(c)) << 8) | (uint32_t(qBlue(c)) << 16); }

int32_t toLong(qreal v) {
    if (!std::isfinite(v)) return 0;
    return int32_t(std::clamp<qreal>(std::round(v), -kMaxCoordinate, kMaxCoordinate));
}

struct RectL {
    int32_t left = 0, top = 0, right = -1, bottom = -1;
};

RectL deviceRect(const QRectF& r) {
    RectL out;
    if (r.isEmpty()) return out;
    out.left = toLong(std::floor(r.left()));
    out.top = toLong(std::floor(r.top()));
    out.right = toLong(std::ceil(r.right()));
    out.bottom = toLong(std::ceil(r.bottom()));
    return out;
}

// Scale factor from logical units to stored units under a transform, a power
// of two that keeps kUnitsPerPixel units per device pixel and keeps the
// largest coordinate in range; 0 when the transform collapses everything.
qreal chooseScale(const QTransform& t, qreal maxAbs) {
    qreal s = std::sqrt(std::abs(t.determinant()));
    if (!(s > 0) || !std::isfinite(s))
        s = std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    if (!(s > 0) || !std::isfinite(s)) return 0;
    qreal c = std::exp2(std::round(std::log2(kUnitsPerPixel / s)));
    if (maxAbs * c > kMaxCoordinate) c = std::exp2(std::floor(std::log2(kMaxCoordinate / maxAbs)));
    return std::isfinite(c) && c > 0 ? c : 0;
}

qreal maxAbsOf(const QRectF& r) {
    return std::max({std::abs(r.left()), std::abs(r.right()), std::abs(r.top()), std::abs(r.bottom())});
}

struct DcState {
    uint32_t pen = kStockObject | BLACK_PEN;
    bool penKnown = false;  // the stock pen matches nothing we draw with
    PenSpec penSpec;
    qreal penScale = 0;
    uint32_t brush = kStockObject | WHITE_BRUSH;
    bool brushKnown = false;
    BrushSpec brushSpec;
    QTransform world;
    uint32_t fillMode = ALTERNATE;
    uint32_t miterLimit = 10;
    std::shared_ptr<const ClipState> clip;
};

class Writer {
public:
    explicit Writer(const DisplayList& list) : m_list(list), m_w(&m_out) {}

    QByteArray run() {
        writeHeaderPlaceholder();
        simple(EMR_SETBKMODE, TRANSPARENT_MODE);
        for (const Item& item : m_list.items) writeItem(item);
        writeEof();
        patchHeader();
        return m_out;
    }

private:
    // --- records -------------------------------------------------------------

    qsizetype begin(uint32_t type) {
        const qsizetype start = m_w.size();
        m_w.u32(type);
        m_w.u32(0);
        return start;
    }
    void end(qsizetype start) {
        m_w.padTo4();
        m_w.patchU32(start + 4, uint32_t(m_w.size() - start));
        ++m_records;
    }
    void simple(uint32_t type) { end(begin(type)); }
    void simple(uint32_t type, uint32_t value) {
        const qsizetype s = begin(type);
        m_w.u32(value);
        end(s);
    }
    void rectl(const RectL& r) {
        m_w.i32(r.left);
        m_w.i32(r.top);
        m_w.i32(r.right);
        m_w.i32(r.bottom);
    }

    void writeHeaderPlaceholder() {
        const qsizetype s = begin(EMR_HEADER);
        m_w.zeros(kEmfHeaderSize - 8);
        end(s);
    }

    void patchHeader() {
        const QRectF drawn = m_list.drawnBounds();
        const QRectF frame = m_list.frame();
        const qreal mmPerPixel = 2540.0 / m_list.dpi;  // in 0.01 mm
        QByteArray head;
        ByteWriter h(&head);
        h.u32(EMR_HEADER);
        h.u32(kEmfHeaderSize);
        const RectL b = deviceRect(drawn);
        h.i32(b.left);
        h.i32(b.top);
        h.i32(b.right);
        h.i32(b.bottom);
        h.i32(toLong(frame.left() * mmPerPixel));
        h.i32(toLong(frame.top() * mmPerPixel));
        h.i32(toLong(frame.right() * mmPerPixel));
        h.i32(toLong(frame.bottom() * mmPerPixel));
        h.u32(kEmfSignature);
        h.u32(kEmfVersion);
        h.u32(uint32_t(m_out.size()));
        h.u32(m_records);
        h.u16(uint16_t(std::clamp<size_t>(m_used.size(), 1, 0xFFFF)));
        h.u16(0);
        h.u32(0);  // no description
        h.u32(0);
        h.u32(0);  // no palette
        // A reference device of 254 mm that holds dpi * 10 pixels.
        const int devicePixels = m_list.dpi * 10;
        h.i32(devicePixels);
        h.i32(devicePixels);
        h.i32(254);
        h.i32(254);
        h.u32(0);  // no pixel format
        h.u32(0);
        h.u32(0);  // no OpenGL
        h.i32(254000);
        h.i32(254000);
        m_out.replace(0, head.size(), head);
    }

    void writeEof() {
        const qsizetype s = begin(EMR_EOF);
        m_w.u32(0);   // palette entries
        m_w.u32(16);  // offset of the palette
        m_w.u32(20);  // this record's size, repeated
        end(s);
    }

    // --- objects -------------------------------------------------------------

    uint32_t allocHandle() {
        if (m_used.empty()) m_used.push_back(true);  // index 0 is the metafile itself
        for (size_t i = 1; i < m_used.size(); ++i) {
            if (!m_used[i]) {
                m_used[i] = true;
                return uint32_t(i);
            }
        }
        m_used.push_back(true);
        return uint32_t(m_used.size() - 1);
    }

    bool referencedBySaved(uint32_t handle) const {
        for (const DcState& s : m_stack)
            if (s.pen == handle || s.brush == handle) return true;
        return false;
    }

    // Deletes a handle that neither the current state nor a saved one uses.
    void release(uint32_t handle) {
        if (handle & kStockObject) return;
        if (m_dc.pen == handle || m_dc.brush == handle || referencedBySaved(handle)) return;
        const qsizetype s = begin(EMR_DELETEOBJECT);
        m_w.u32(handle);
        end(s);
        if (handle < m_used.size()) m_used[handle] = false;
    }

    void select(uint32_t handle) {
        const qsizetype s = begin(EMR_SELECTOBJECT);
        m_w.u32(handle);
        end(s);
    }

    // Pens wider than a pixel are geometric: their width and dashes are
    // stored in logical units. A wide cosmetic pen becomes a geometric pen of
    // the same device width under the item's transform.
    void usePen(const PenSpec& pen, qreal c, const QTransform& t) {
        const bool geometric = !pen.cosmetic || pen.width > 1;
        const qreal deviceScale = std::sqrt(std::abs(t.determinant()));
        qreal scale = 1;  // pen units -> stored units
        if (geometric) scale = pen.cosmetic ? (deviceScale > 0 ? c / deviceScale : c) : c;
        if (pen.visible && geometric && pen.join == Qt::MiterJoin) {
            // The metafile's limit is miter length over line width; Qt's is
            // counted from the joint, half of that.
            const uint32_t limit = uint32_t(std::clamp<qreal>(std::round(2 * pen.miterLimit), 1, 1000));
            if (limit != m_dc.miterLimit) {
                simple(EMR_SETMITERLIMIT, limit);
                m_dc.miterLimit = limit;
            }
        }
        if (m_dc.penKnown && m_dc.penSpec == pen && (!pen.visible || m_dc.penScale == scale)) return;
        const uint32_t old = m_dc.pen;
        uint32_t handle;
        if (!pen.visible) {
            handle = kStockObject | NULL_PEN;
        } else {
            handle = allocHandle();
            const qsizetype s = begin(EMR_EXTCREATEPEN);
            m_w.u32(handle);
            m_w.u32(0);  // no brush bitmap
            m_w.u32(0);
            m_w.u32(0);
            m_w.u32(0);
            uint32_t style = (pen.dashes.isEmpty() ? PS_SOLID : PS_USERSTYLE) | (geometric ? PS_GEOMETRIC : PS_COSMETIC);
            style |= pen.cap == Qt::RoundCap ? PS_ENDCAP_ROUND
                     : pen.cap == Qt::FlatCap ? PS_ENDCAP_FLAT
                                              : PS_ENDCAP_SQUARE;
            style |= pen.join == Qt::RoundJoin ? PS_JOIN_ROUND
                     : pen.join == Qt::MiterJoin ? PS_JOIN_MITER
                                                 : PS_JOIN_BEVEL;
            const uint32_t width = geometric ? uint32_t(std::max<int32_t>(1, toLong(pen.width * scale))) : 1;
            m_w.u32(style);
            m_w.u32(width);
            m_w.u32(BS_SOLID);
            m_w.u32(colorRef(pen.colour));
            m_w.u32(0);
            m_w.u32(uint32_t(pen.dashes.size()));
            // Dashes are absolute lengths here; Qt counts them in pen widths,
            // so the player divides by the width again.
            for (qreal d : pen.dashes) m_w.u32(uint32_t(std::max<int32_t>(0, toLong(d * scale))));
            end(s);
        }
        select(handle);
        m_dc.pen = handle;
        m_dc.penKnown = true;
        m_dc.penSpec = pen;
        m_dc.penScale = scale;
        release(old);

    }

    void useBrush(const BrushSpec& brush) {
        if (m_dc.brushKnown && m_dc.brushSpec == brush) return;
        const uint32_t old = m_dc.brush;
        uint32_t handle;
        if (brush.kind == BrushSpec::None) {
            handle = kStockObject | NULL_BRUSH;
        } else {
            handle = allocHandle();
            const qsizetype s = begin(EMR_CREATEBRUSHINDIRECT);
            m_w.u32(handle);
            m_w.u32(brush.kind == BrushSpec::Hatch ? BS_HATCHED : BS_SOLID);
            m_w.u32(colorRef(brush.colour));
            m_w.u32(brush.kind == BrushSpec::Hatch ? brush.hatch : 0);
            end(s);
        }
        select(handle);
        m_dc.brush = handle;
        m_dc.brushKnown = true;
        m_dc.brushSpec = brush;
        release(old);
    }

    void useFillMode(Qt::FillRule rule) {
        const uint32_t mode = rule == Qt::WindingFill ? WINDING : ALTERNATE;
        if (mode == m_dc.fillMode) return;
        simple(EMR_SETPOLYFILLMODE, mode);
        m_dc.fillMode = mode;
    }

    void useWorld(const QTransform& world) {
        if (world == m_dc.world) return;
        const qsizetype s = begin(EMR_SETWORLDTRANSFORM);
        m_w.f32(float(world.m11()));
        m_w.f32(float(world.m12()));
        m_w.f32(float(world.m21()));
        m_w.f32(float(world.m22()));
        m_w.f32(float(world.dx()));
        m_w.f32(float(world.dy()));
        end(s);
        m_dc.world = world;
    }

    // Brings the clip to the item's: a clip lives inside its own saved state,
    // so dropping it is one restore.
    void useClip(const std::shared_ptr<const ClipState>& clip) {
        if (clip == m_dc.clip) return;
        if (m_dc.clip) restore();
        if (!clip) return;
        simple(EMR_SAVEDC);
        m_stack.push_back(m_dc);
        bool first = true;
        for (const ClipStep& step : *clip) {
            const qreal c = chooseScale(step.transform, maxAbsOf(step.path.boundingRect()));
            if (c == 0) continue;
            useWorld(QTransform::fromScale(1 / c, 1 / c) * step.transform);
            simple(EMR_BEGINPATH);
            writeFigures(step.path, c, {});
            simple(EMR_ENDPATH);
            useFillMode(step.path.fillRule());
            simple(EMR_SELECTCLIPPATH, first ? RGN_COPY : RGN_AND);
            first = false;
        }
        m_dc.clip = clip;
    }

    void restore() {
        const qsizetype s = begin(EMR_RESTOREDC);
        m_w.i32(-1);
        end(s);
        const DcState dropped = m_dc;
        m_dc = m_stack.back();
        m_stack.pop_back();
        release(dropped.pen);
        release(dropped.brush);
    }

    // --- geometry ------------------------------------------------------------

    struct Pt {
        int32_t x, y;
    };

    static bool fits16(const std::vector<Pt>& pts) {
        for (const Pt& p : pts)
            if (p.x < -32768 || p.x > 32767 || p.y < -32768 || p.y > 32767) return false;
        return true;
    }

    // A record of points, 16-bit when they fit: rclBounds, count, points.
    void pointRecord(uint32_t type16, uint32_t type32, const std::vector<Pt>& pts, const RectL& bounds) {
        const bool small = fits16(pts);
        const qsizetype s = begin(small ? type16 : type32);
        rectl(bounds);
        m_w.u32(uint32_t(pts.size()));
        for (const Pt& p : pts) {
            if (small) {
                m_w.i16(int16_t(p.x));
                m_w.i16(int16_t(p.y));
            } else {
                m_w.i32(p.x);
                m_w.i32(p.y);
            }
        }
        end(s);
    }

    static Pt toPt(const QPointF& p, qreal c) { return {toLong(p.x() * c), toLong(p.y() * c)}; }

    // The figures of a path as move, line, Bézier and close records.
    void writeFigures(const QPainterPath& path, qreal c, const RectL& bounds) {
        std::vector<Pt> run;
        bool runIsCurve = false;
        auto flush = [&] {
            if (run.empty()) return;
            if (runIsCurve)
                pointRecord(EMR_POLYBEZIERTO16, EMR_POLYBEZIERTO, run, bounds);
            else
                pointRecord(EMR_POLYLINETO16, EMR_POLYLINETO, run, bounds);
            run.clear();
        };
        QPointF start, last;
        bool open = false;
        auto closeFigure = [&] {
            flush();
            if (open && last == start) simple(EMR_CLOSEFIGURE);
            open = false;
        };
        const int n = path.elementCount();
        for (int i = 0; i < n; ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            if (e.isMoveTo()) {
                closeFigure();
                const Pt p = toPt(e, c);
                const qsizetype s = begin(EMR_MOVETOEX);
                m_w.i32(p.x);
                m_w.i32(p.y);
                end(s);
                start = last = e;
                open = true;
            } else if (e.isLineTo()) {
                if (runIsCurve) flush();
                runIsCurve = false;
                run.push_back(toPt(e, c));
                last = e;
            } else if (e.isCurveTo() && i + 2 < n) {
                if (!runIsCurve) flush();
                runIsCurve = true;
                run.push_back(toPt(e, c));
                run.push_back(toPt(path.elementAt(i + 1), c));
                run.push_back(toPt(path.elementAt(i + 2), c));
                last = path.elementAt(i + 2);
                i += 2;
            }
        }
        closeFigure();
    }

    RectL scaledBox(const QRectF& r, qreal c) {
        RectL b;
        b.left = toLong(r.left() * c);
        b.top = toLong(r.top() * c);
        b.right = toLong(r.right() * c);
        b.bottom = toLong(r.bottom() * c);
        return b;
    }

    // --- items ---------------------------------------------------------------

    void writeItem(const Item& item) {
        if (item.kind == Item::Comment) {
            const qsizetype s = begin(EMR_COMMENT);
            m_w.u32(uint32_t(item.data.size()));
            m_w.bytes(item.data);
            end(s);
            return;
        }
        const QRectF logical = item.kind == Item::Polygon || item.kind == Item::Polyline
                                   ? item.polygon.boundingRect()
                               : item.kind == Item::Path ? item.path.boundingRect()
                                                         : item.rect;
        const qreal c = chooseScale(item.transform, maxAbsOf(logical));
        if (c == 0) return;
        useClip(item.clip);
        useWorld(QTransform::fromScale(1 / c, 1 / c) * item.transform);
        const RectL bounds = deviceRect(item.deviceBounds);
        const bool fill = item.brush.kind != BrushSpec::None;
        const bool stroke = item.pen.visible;

        switch (item.kind) {
            case Item::Path: {
                if (fill) {
                    useBrush(item.brush);
                    useFillMode(item.path.fillRule());
                }
                if (stroke) usePen(item.pen, c, item.transform);
                simple(EMR_BEGINPATH);
                writeFigures(item.path, c, bounds);
                simple(EMR_ENDPATH);
                const uint32_t op = fill && stroke ? EMR_STROKEANDFILLPATH : fill ? EMR_FILLPATH : EMR_STROKEPATH;
                const qsizetype s = begin(op);
                rectl(bounds);
                end(s);
                break;
            }
            case Item::Rect:
            case Item::Ellipse: {
                useBrush(item.brush);
                usePen(item.pen, c, item.transform);
                const qsizetype s = begin(item.kind == Item::Rect ? EMR_RECTANGLE : EMR_ELLIPSE);
                rectl(scaledBox(item.rect, c));
                end(s);
                break;
            }
            case Item::Polygon:
            case Item::Polyline: {
                std::vector<Pt> pts;
                pts.reserve(size_t(item.polygon.size()));
                for (const QPointF& p : item.polygon) pts.push_back(toPt(p, c));
                usePen(item.pen, c, item.transform);
                if (item.kind == Item::Polygon) {
                    useBrush(item.brush);
                    useFillMode(item.fillRule);
                    pointRecord(EMR_POLYGON16, EMR_POLYGON, pts, bounds);
                } else {
                    pointRecord(EMR_POLYLINE16, EMR_POLYLINE, pts, bounds);
                }
                break;
            }
            case Item::Image: writeImage(item, c, bounds); break;
            case Item::Comment: break;
        }
    }

    void writeImage(const Item& item, qreal c, const RectL& bounds) {
        const RectL dest = scaledBox(item.rect, c);
        const QImage& img = item.image;
        const bool alpha = imageHasTransparency(img);
        const QByteArray bmi = dibHeader(img.width(), img.height(), alpha ? 32 : 24, m_list.dpi);
        const QByteArray bits = alpha ? dibBits32Premultiplied(img) : dibBits24(img);
        if (!alpha) {
            const qsizetype s = begin(EMR_STRETCHDIBITS);
            rectl(bounds);
            m_w.i32(dest.left);
            m_w.i32(dest.top);
            m_w.i32(0);
            m_w.i32(0);
            m_w.i32(img.width());
            m_w.i32(img.height());
            m_w.u32(80);
            m_w.u32(uint32_t(bmi.size()));
            m_w.u32(80 + uint32_t(bmi.size()));
            m_w.u32(uint32_t(bits.size()));
            m_w.u32(DIB_RGB_COLORS);
            m_w.u32(SRCCOPY);
            m_w.i32(dest.right - dest.left);
            m_w.i32(dest.bottom - dest.top);
            m_w.bytes(bmi);
            m_w.bytes(bits);
            end(s);
            return;
        }
        const qsizetype s = begin(EMR_ALPHABLEND);
        rectl(bounds);
        m_w.i32(dest.left);
        m_w.i32(dest.top);
        m_w.i32(dest.right - dest.left);
        m_w.i32(dest.bottom - dest.top);
        m_w.u8(0);    // source over
        m_w.u8(0);
        m_w.u8(255);  // no constant alpha
        m_w.u8(AC_SRC_ALPHA);
        m_w.i32(0);
        m_w.i32(0);
        for (float v : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) m_w.f32(v);
        m_w.u32(0);
        m_w.u32(DIB_RGB_COLORS);
        m_w.u32(108);
        m_w.u32(uint32_t(bmi.size()));
        m_w.u32(108 + uint32_t(bmi.size()));
        m_w.u32(uint32_t(bits.size()));
        m_w.i32(img.width());
        m_w.i32(img.height());
        m_w.bytes(bmi);
        m_w.bytes(bits);
        end(s);
    }

    const DisplayList& m_list;
    QByteArray m_out;
    ByteWriter m_w;
    uint32_t m_records = 0;
    std::vector<bool> m_used;
    DcState m_dc;
    std::vector<DcState> m_stack;
};

}  // namespace

QByteArray EmfWriter::write(const DisplayList& list) { return Writer(list).run(); }

}  // namespace toliva::emf
