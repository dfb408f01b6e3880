#include "platform/emf/EmfPlayer.h"

#include "platform/emf/EmfDisplayList.h"
#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfImages.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace toliva::emf {

namespace {

// The clip that stands for "everything" when a region is cut out of it.
constexpr qreal kEverything = 1e7;
// Largest number of characters drawn from one text record.
constexpr uint32_t kMaxTextChars = 65536;
// Widest pen drawn, in logical units (Qt refuses widths past int range).
constexpr qreal kMaxPenWidth = 1 << 24;
// Font size the stand-in font is laid out at before scaling.
constexpr qreal kFontReference = 256;

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

bool finite(qreal v) { return std::isfinite(v) && std::abs(v) < 1e15; }

struct Font {
    int32_t height = 0;
    int32_t escapement = 0;
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    uint8_t pitchAndFamily = 0;
    QString face;
};

// The font's face when it is installed, else a stand-in of its family kind.
// Only installed names reach the font matcher.
QFont standInFont(const Font& f) {
    static const QStringList installed = QFontDatabase::families();
    QFont font;
    switch (f.pitchAndFamily & 0xF0) {
        case 0x10:  // roman
            font.setFamily(QStringLiteral("Serif"));
            font.setStyleHint(QFont::Serif);
            break;
        case 0x30:  // modern: fixed pitch
            font.setFamily(QStringLiteral("Monospace"));
            font.setStyleHint(QFont::Monospace);
            break;
        default:
            font.setFamily(QStringLiteral("Sans Serif"));
            font.setStyleHint(QFont::SansSerif);
            break;
    }
    if (!f.face.isEmpty() && installed.contains(f.face, Qt::CaseInsensitive)) font.setFamily(f.face);
    return font;
}

struct Object {
    enum Kind { Pen, Brush, Font };
    Kind kind = Pen;
    QPen pen;
    QBrush brush;
    emf::Font font;
};

struct Dc {
    QPen pen = QPen(Qt::black, 0);  // the stock black pen is one pixel wide
    QBrush brush = QBrush(Qt::white);
    Font font;
    QTransform world;
    uint32_t mapMode = MM_TEXT;
    QPointF windowOrg, viewportOrg;
    QSizeF windowExt = QSizeF(1, 1), viewportExt = QSizeF(1, 1);
    bool bkOpaque = true;
    QColor bk = Qt::white;
    QColor text = Qt::black;
    uint32_t textAlign = 0;
    Qt::FillRule fill = Qt::OddEvenFill;
    qreal miterLimit = 10;
    bool clockwise = false;
    QPointF cur;  // logical units
    bool hasClip = false;
    QPainterPath clip;  // device pixels
};

class Player {
public:
    Player(QPainter* painter, const EmfHeader& header, const QTransform& deviceToTarget)
        : m_p(painter), m_header(header), m_device(deviceToTarget) {
        m_ppmm = header.pixelsPerMm();
        if (m_ppmm.isNull()) m_ppmm = QPointF(96 / 25.4, 96 / 25.4);
    }

    // Called once the painter's state is saved.
    void start() { m_base = m_p->worldTransform(); }
    void record(uint32_t type, ByteReader& r);
    QList<QByteArray> comments;

private:
    // --- coordinate systems --------------------------------------------------

    QTransform page() const {
        qreal sx = 1, sy = 1;
        const qreal mx = m_ppmm.x(), my = m_ppmm.y();
        switch (m_dc.mapMode) {
            case MM_LOMETRIC: sx = mx * 0.1, sy = -my * 0.1; break;
            case MM_HIMETRIC: sx = mx * 0.01, sy = -my * 0.01; break;
            case MM_LOENGLISH: sx = mx * 0.254, sy = -my * 0.254; break;
            case MM_HIENGLISH: sx = mx * 0.0254, sy = -my * 0.0254; break;
            case MM_TWIPS: sx = mx * 25.4 / 1440, sy = -my * 25.4 / 1440; break;
            case MM_ISOTROPIC:
            case MM_ANISOTROPIC:
                sx = m_dc.viewportExt.width() / m_dc.windowExt.width();
                sy = m_dc.viewportExt.height() / m_dc.windowExt.height();
                if (m_dc.mapMode == MM_ISOTROPIC) {
                    const qreal m = std::min(std::abs(sx), std::abs(sy));
                    sx = std::copysign(m, sx);
                    sy = std::copysign(m, sy);
                }
                break;
            default: break;
        }
        return QTransform(sx, 0, 0, sy, m_dc.viewportOrg.x() - m_dc.windowOrg.x() * sx,
                          m_dc.viewportOrg.y() - m_dc.windowOrg.y() * sy);
    }
    // Logical units -> reference-device pixels.
    QTransform logicalToDevice() const { return m_dc.world * page(); }
    // Logical units -> the painter's device.
    QTransform full() const { return logicalToDevice() * m_device; }

    // --- painter ---------------------------------------------------------------

    // The caller's state plus the clip of the metafile.
    void applyClip() {
        m_p->restore();
        m_p->save();
        if (m_dc.hasClip) {
            m_p->setWorldTransform(m_device * m_base);
            m_p->setClipPath(m_dc.clip, Qt::IntersectClip);
            m_p->setWorldTransform(m_base);
        }
    }

    QPen currentPen() const {
        QPen pen = m_dc.pen;
        if (pen.style() != Qt::NoPen) pen.setMiterLimit(m_dc.miterLimit / 2);
        return pen;
    }

    // GDI lays hatches and patterns out in device pixels.
    QBrush deviceAligned(QBrush brush) const {
        if (brush.style() == Qt::SolidPattern || brush.style() == Qt::NoBrush) return brush;
        bool invertible = false;
        const QTransform inv = full().inverted(&invertible);
        if (invertible) brush.setTransform(inv);
        return brush;
    }

    // Draws a path in logical units with the current pen and/or brush.
    void draw(const QPainterPath& path, bool fill, bool stroke) {
        if (path.isEmpty()) return;
        m_p->setWorldTransform(full() * m_base);
        if (fill && m_dc.brush.style() != Qt::NoBrush) {
            if (m_dc.bkOpaque && m_dc.brush.style() != Qt::SolidPattern && m_dc.brush.style() != Qt::TexturePattern)
                m_p->fillPath(path, m_dc.bk);
            m_p->fillPath(path, deviceAligned(m_dc.brush));
        }
        if (stroke && m_dc.pen.style() != Qt::NoPen) m_p->strokePath(path, currentPen());
    }

    // A shape from a drawing record: added to the open path, or drawn.
    void shape(const QPainterPath& logical, bool fill, bool stroke) {
        if (m_inPath) {
            m_path.addPath(logicalToDevice().map(logical));
            m_figureOpen = false;
            return;
        }
        QPainterPath p = logical;
        p.setFillRule(m_dc.fill);
        draw(p, fill, stroke);
    }

    // Continues the current figure from the current position.
    void continueFigure(const std::vector<QPointF>& pts, bool bezier) {
        if (pts.empty()) return;
        if (m_inPath) {
            const QTransform t = logicalToDevice();
            const QPointF from = t.map(m_dc.cur);
            if (!m_figureOpen || m_path.currentPosition() != from) m_path.moveTo(from);
            appendPoints(&m_path, t, pts, bezier);
            m_figureOpen = true;
        } else {
            QPainterPath p(m_dc.cur);
            appendPoints(&p, QTransform(), pts, bezier);
            draw(p, false, true);
        }
        if (!bezier)
            m_dc.cur = pts.back();
        else if (pts.size() >= 3)
            m_dc.cur = pts[(pts.size() / 3) * 3 - 1];
    }

    static void appendPoints(QPainterPath* p, const QTransform& t, const std::vector<QPointF>& pts, bool bezier) {
        if (bezier) {
            for (size_t i = 0; i + 2 < pts.size(); i += 3) p->cubicTo(t.map(pts[i]), t.map(pts[i + 1]), t.map(pts[i + 2]));
        } else {
            for (const QPointF& q : pts) p->lineTo(t.map(q));
        }
    }

    // --- reading helpers -------------------------------------------------------

    static bool readPoints(ByteReader& r, size_t at, uint32_t count, bool small, std::vector<QPointF>* out) {
        const size_t each = small ? 4 : 8;
        if (!r.has(at, size_t(count) * each)) return false;
        out->reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            const size_t o = at + i * each;
            if (small)
                out->emplace_back(r.i16(o), r.i16(o + 2));
            else
                out->emplace_back(r.i32(o), r.i32(o + 4));
        }
        return true;
    }

    static QRectF readBox(ByteReader& r, size_t at) {
        const qreal l = r.i32(at), t = r.i32(at + 4), rt = r.i32(at + 8), b = r.i32(at + 12);
        return QRectF(QPointF(l, t), QPointF(rt, b)).normalized();
    }

    static bool readXform(ByteReader& r, size_t at, QTransform* out) {
        qreal v[6];
        for (int i = 0; i < 6; ++i) {
            v[i] = r.f32(at + 4 * size_t(i));
            if (!finite(v[i])) return false;
        }
        if (!r.ok()) return false;
        *out = QTransform(v[0], v[1], v[2], v[3], v[4], v[5]);
        return true;
    }

    // A region's rectangles (device pixels) as a path.
    static bool readRegion(ByteReader& r, size_t at, uint32_t size, QPainterPath* out) {
        if (size < 32 || !r.has(at, size)) return false;
        const uint32_t headerSize = r.u32(at);
        const uint32_t count = r.u32(at + 8);
        if (headerSize < 32 || headerSize > size) return false;
        const uint32_t fits = (size - headerSize) / 16;
        QPainterPath p;
        p.setFillRule(Qt::WindingFill);
        for (uint32_t i = 0; i < std::min(count, fits); ++i) {
            const QRectF box = readBox(r, at + headerSize + 16 * size_t(i));
            if (!box.isEmpty()) p.addRect(box);
        }
        *out = p;
        return true;
    }

    // --- records ---------------------------------------------------------------

    void setWorld(ByteReader& r);
    void modifyWorld(ByteReader& r);
    void saveDc();
    void restoreDc(int32_t which);
    void createPen(ByteReader& r);
    void extCreatePen(ByteReader& r);
    void createBrush(ByteReader& r);
    void createDibBrush(ByteReader& r);
    void createFont(ByteReader& r);
    void selectObject(uint32_t index);
    void deleteObject(uint32_t index);
    bool storeObject(uint32_t index, Object obj);
    void polyRecord(uint32_t type, ByteReader& r);
    void polyPolyRecord(uint32_t type, ByteReader& r);
    void polyDraw(uint32_t type, ByteReader& r);
    void arcRecord(uint32_t type, ByteReader& r);
    void pathEnd(uint32_t type);
    void combineClip(const QPainterPath& devicePath, uint32_t mode);
    void text(ByteReader& r, bool wide);
    void bitmap(uint32_t type, ByteReader& r);
    void drawImage(const QImage& image, QRectF src, const QRectF& dest, uint32_t rop, qreal opacity);

    QPainter* m_p;
    EmfHeader m_header;
    QTransform m_device;
    QTransform m_base;
    QPointF m_ppmm;
    Dc m_dc;
    std::vector<Dc> m_saved;
    int m_unsavedDepth = 0;  // saves beyond kMaxSavedStates
    std::unordered_map<uint32_t, Object> m_objects;
    bool m_inPath = false;
    bool m_figureOpen = false;
    QPainterPath m_path;  // device pixels
};

void Player::setWorld(ByteReader& r) {
    QTransform x;
    if (readXform(r, 8, &x)) m_dc.world = x;
}

void Player::modifyWorld(ByteReader& r) {
    QTransform x;
    const uint32_t mode = r.u32(32);
    if (!r.ok()) return;
    if (mode == MWT_IDENTITY) {
        m_dc.world = QTransform();
        return;
    }
    if (!readXform(r, 8, &x)) return;
    if (mode == MWT_LEFTMULTIPLY)
        m_dc.world = x * m_dc.world;
    else if (mode == MWT_RIGHTMULTIPLY)
        m_dc.world = m_dc.world * x;
    else if (mode == MWT_SET)
        m_dc.world = x;
}

void Player::saveDc() {
    if (int(m_saved.size()) >= kMaxSavedStates) {
        ++m_unsavedDepth;
        return;
    }
    m_saved.push_back(m_dc);
}

void Player::restoreDc(int32_t which) {
    int depth = int(m_saved.size()) + m_unsavedDepth;
    int64_t target = which < 0 ? int64_t(depth) + which : int64_t(which) - 1;
    if (target < 0 || target >= depth) return;
    // Levels that were never kept are dropped first.
    m_unsavedDepth -= int(std::min<int64_t>(m_unsavedDepth, depth - target));
    if (target >= int64_t(m_saved.size())) return;
    m_dc = m_saved[size_t(target)];
    m_saved.resize(size_t(target));
    applyClip();
}

bool Player::storeObject(uint32_t index, Object obj) {
    if (index == 0 || index >= m_header.handles) return false;
    m_objects[index] = std::move(obj);
    return true;
}

static QPen makePen(uint32_t style, qreal width, bool geometric, uint32_t colour, const std::vector<uint32_t>& entries) {
    const uint32_t kind = style & PS_STYLE_MASK;
    if (kind == PS_NULL) return QPen(Qt::NoPen);
    QPen pen(fromColorRef(colour));
    if (!geometric || width <= 0) {
        pen.setWidthF(0);  // one device pixel whatever the transform
    } else {
        pen.setWidthF(std::min(width, kMaxPenWidth));
    }
    switch (style & PS_ENDCAP_MASK) {
        case PS_ENDCAP_SQUARE: pen.setCapStyle(Qt::SquareCap); break;
        case PS_ENDCAP_FLAT: pen.setCapStyle(Qt::FlatCap); break;
        default: pen.setCapStyle(Qt::RoundCap); break;
    }
    switch (style & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL: pen.setJoinStyle(Qt::BevelJoin); break;
        case PS_JOIN_MITER: pen.setJoinStyle(Qt::MiterJoin); break;
        default: pen.setJoinStyle(Qt::RoundJoin); break;
    }
    const qreal unit = pen.widthF() < 1 ? 1 : pen.widthF();
    switch (kind) {
        case PS_DASH: pen.setStyle(Qt::DashLine); break;
        case PS_DOT: pen.setStyle(Qt::DotLine); break;
        case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
        case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
        case PS_ALTERNATE: pen.setDashPattern({1, 1}); break;
        case PS_USERSTYLE: {
            QList<qreal> pattern;
            qreal sum = 0;
            for (uint32_t e : entries) {
                pattern.append(qreal(e) / unit);
                sum += e;
            }
            if (pattern.size() % 2) pattern += QList<qreal>(pattern);
            if (sum > 0 && !pattern.isEmpty()) pen.setDashPattern(pattern);
            break;
        }
        default: break;
    }
    return pen;
}

void Player::createPen(ByteReader& r) {
    const uint32_t index = r.u32(8), style = r.u32(12), colour = r.u32(24);
    const int32_t width = r.i32(16);
    if (!r.ok()) return;
    Object o;
    o.kind = Object::Pen;
    // Pens of CreatePen draw round; width 0 is one device pixel.
    o.pen = makePen(style & PS_STYLE_MASK, std::abs(qreal(width)), width != 0, colour, {});
    storeObject(index, o);
}

void Player::extCreatePen(ByteReader& r) {
    const uint32_t index = r.u32(8), style = r.u32(28), width = r.u32(32), brushStyle = r.u32(36),
                   colour = r.u32(40), count = r.u32(48);
    if (!r.ok()) return;
    std::vector<uint32_t> entries;
    if ((style & PS_STYLE_MASK) == PS_USERSTYLE) {
        if (!r.has(52, size_t(count) * 4)) return;
        for (uint32_t i = 0; i < count; ++i) entries.push_back(r.u32(52 + 4 * size_t(i)));
    }
    Object o;
    o.kind = Object::Pen;
    if (brushStyle == BS_NULL)
        o.pen = QPen(Qt::NoPen);
    else
        o.pen = makePen(style, qreal(width), (style & PS_TYPE_MASK) == PS_GEOMETRIC, colour, entries);
    storeObject(index, o);
}

void Player::createBrush(ByteReader& r) {
    const uint32_t index = r.u32(8), style = r.u32(12), colour = r.u32(16), hatch = r.u32(20);
    if (!r.ok()) return;
    Object o;
    o.kind = Object::Brush;
    if (style == BS_NULL) {
        o.brush = QBrush(Qt::NoBrush);
    } else if (style == BS_HATCHED && qtFromHatch(hatch) != Qt::NoBrush) {
        o.brush = QBrush(fromColorRef(colour), qtFromHatch(hatch));
    } else {
        o.brush = QBrush(fromColorRef(colour));
    }
    storeObject(index, o);
}

void Player::createDibBrush(ByteReader& r) {
    const uint32_t index = r.u32(8), offBmi = r.u32(16), cbBmi = r.u32(20), offBits = r.u32(24),
                   cbBits = r.u32(28);
    if (!r.ok()) return;
    Object o;
    o.kind = Object::Brush;
    QImage img;
    if (r.has(offBmi, cbBmi) && r.has(offBits, cbBits))
        img = decodeDib(r.at(offBmi), cbBmi, r.at(offBits), cbBits, DibAlpha::Ignore);
    o.brush = img.isNull() ? QBrush(Qt::gray) : QBrush(img);
    storeObject(index, o);
}

void Player::createFont(ByteReader& r) {
    const uint32_t index = r.u32(8);
    if (!r.has(12, 92)) return;
    Object o;
    o.kind = Object::Font;
    o.font.height = r.i32(12);
    o.font.escapement = r.i32(20);
    o.font.weight = r.i32(28);
    o.font.italic = r.u8(32) != 0;
    o.font.underline = r.u8(33) != 0;
    o.font.strikeout = r.u8(34) != 0;
    o.font.pitchAndFamily = r.u8(39);
    for (size_t i = 0; i < 32; ++i) {
        const char16_t ch = r.u16(40 + 2 * i);
        if (!ch) break;
        o.font.face.append(QChar(ch));
    }
    storeObject(index, o);
}

void Player::selectObject(uint32_t index) {
    if (index & kStockObject) {
        switch (index & ~kStockObject) {
            case WHITE_BRUSH: m_dc.brush = QBrush(Qt::white); break;
            case LTGRAY_BRUSH: m_dc.brush = QBrush(QColor(0xC0, 0xC0, 0xC0)); break;
            case GRAY_BRUSH: m_dc.brush = QBrush(QColor(0x80, 0x80, 0x80)); break;
            case DKGRAY_BRUSH: m_dc.brush = QBrush(QColor(0x40, 0x40, 0x40)); break;
            case BLACK_BRUSH: m_dc.brush = QBrush(Qt::black); break;
            case NULL_BRUSH: m_dc.brush = QBrush(Qt::NoBrush); break;
            case WHITE_PEN: m_dc.pen = QPen(Qt::white, 0); break;
            case BLACK_PEN: m_dc.pen = QPen(Qt::black, 0); break;
            case NULL_PEN: m_dc.pen = QPen(Qt::NoPen); break;
            case DC_BRUSH: m_dc.brush = QBrush(Qt::white); break;
            case DC_PEN: m_dc.pen = QPen(Qt::black, 0); break;
            default:
                if ((index & ~kStockObject) >= 10 && (index & ~kStockObject) <= 17) m_dc.font = Font();
                break;
        }
        return;
    }
    const auto it = m_objects.find(index);
    if (it == m_objects.end()) return;
    switch (it->second.kind) {
        case Object::Pen: m_dc.pen = it->second.pen; break;
        case Object::Brush: m_dc.brush = it->second.brush; break;
        case Object::Font: m_dc.font = it->second.font; break;
    }
}

void Player::deleteObject(uint32_t index) { m_objects.erase(index); }

void Player::polyRecord(uint32_t type, ByteReader& r) {
    const bool small = type == EMR_POLYGON16 || type == EMR_POLYLINE16 || type == EMR_POLYBEZIER16 ||
                       type == EMR_POLYLINETO16 || type == EMR_POLYBEZIERTO16;
    const uint32_t count = r.u32(24);
    std::vector<QPointF> pts;
    if (!r.ok() || !readPoints(r, 28, count, small, &pts) || pts.empty()) return;
    switch (type) {
        case EMR_POLYGON:
        case EMR_POLYGON16: {
            QPainterPath p;
            p.addPolygon(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
            p.closeSubpath();
            shape(p, true, true);
            break;
        }
        case EMR_POLYLINE:
        case EMR_POLYLINE16: {
            QPainterPath p;
            p.addPolygon(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
            shape(p, false, true);
            break;
        }
        case EMR_POLYBEZIER:
        case EMR_POLYBEZIER16: {
            QPainterPath p(pts[0]);
            for (size_t i = 1; i + 2 < pts.size(); i += 3) p.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            shape(p, false, true);
            break;
        }
        case EMR_POLYLINETO:
        case EMR_POLYLINETO16: continueFigure(pts, false); break;
        case EMR_POLYBEZIERTO:
        case EMR_POLYBEZIERTO16: continueFigure(pts, true); break;
        default: break;
    }
}

void Player::polyPolyRecord(uint32_t type, ByteReader& r) {
    const bool small = type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYLINE16;
    const bool closed = type == EMR_POLYPOLYGON16 || type == EMR_POLYPOLYGON;
    const uint32_t polys = r.u32(24), total = r.u32(28);
    if (!r.ok() || !r.has(32, size_t(polys) * 4)) return;
    std::vector<QPointF> pts;
    if (!readPoints(r, 32 + size_t(polys) * 4, total, small, &pts)) return;
    QPainterPath p;
    size_t at = 0;
    for (uint32_t i = 0; i < polys; ++i) {
        const uint32_t n = r.u32(32 + 4 * size_t(i));
        if (n > pts.size() - at) break;
        if (n == 0) continue;
        p.moveTo(pts[at]);
        for (uint32_t k = 1; k < n; ++k) p.lineTo(pts[at + k]);
        if (closed) p.closeSubpath();
        at += n;
    }
    shape(p, closed, true);
}

void Player::polyDraw(uint32_t type, ByteReader& r) {
    const bool small = type == EMR_POLYDRAW16;
    const uint32_t count = r.u32(24);
    std::vector<QPointF> pts;
    if (!r.ok() || !readPoints(r, 28, count, small, &pts)) return;
    const size_t typesAt = 28 + size_t(count) * (small ? 4 : 8);
    if (!r.has(typesAt, count)) return;
    const QTransform t = m_inPath ? logicalToDevice() : QTransform();
    QPainterPath local;
    QPainterPath* p = m_inPath ? &m_path : &local;
    if (!m_inPath || !m_figureOpen) p->moveTo(t.map(m_dc.cur));
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t kind = r.u8(typesAt + i);
        switch (kind & ~1u) {
            case 6: p->moveTo(t.map(pts[i])); break;
            case 2: p->lineTo(t.map(pts[i])); break;
            case 4:
                if (i + 2 < count) {
                    p->cubicTo(t.map(pts[i]), t.map(pts[i + 1]), t.map(pts[i + 2]));
                    i += 2;
                }
                break;
            default: break;
        }
        m_dc.cur = pts[std::min<size_t>(i, pts.size() - 1)];
        if (kind & 1) p->closeSubpath();
    }
    if (m_inPath)
        m_figureOpen = true;
    else
        draw(local, false, true);
}

void Player::arcRecord(uint32_t type, ByteReader& r) {
    const QRectF box = readBox(r, 8);
    const QPointF start(r.i32(24), r.i32(28)), end(r.i32(32), r.i32(36));
    if (!r.ok() || box.isEmpty()) return;
    const QPointF c = box.center();
    const qreal rx = box.width() / 2, ry = box.height() / 2;
    auto angle = [&](const QPointF& p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / M_PI;
    };
    const qreal a0 = angle(start), a1 = angle(end);
    qreal sweep = m_dc.clockwise ? -std::fmod(a0 - a1 + 720, 360) : std::fmod(a1 - a0 + 720, 360);
    if (sweep == 0) sweep = m_dc.clockwise ? -360 : 360;
    QPainterPath p;
    p.arcMoveTo(box, a0);
    const QPointF arcStart = p.currentPosition();
    if (type == EMR_ARCTO) {
        QPainterPath q(m_dc.cur);
        q.lineTo(arcStart);
        q.arcTo(box, a0, sweep);
        m_dc.cur = q.currentPosition();
        if (m_inPath) {
            const QTransform t = logicalToDevice();
            if (!m_figureOpen) m_path.moveTo(t.map(q.elementAt(0)));
            m_path.connectPath(t.map(q));
            m_figureOpen = true;
        } else {
            draw(q, false, true);
        }
        return;
    }
    if (type == EMR_PIE) {
        p = QPainterPath(c);
        p.arcTo(box, a0, sweep);
        p.closeSubpath();
    } else {
        p.arcTo(box, a0, sweep);
        if (type == EMR_CHORD) p.closeSubpath();
    }
    shape(p, type != EMR_ARC, true);
}

void Player::pathEnd(uint32_t type) {
    QPainterPath devicePath = m_path;
    m_path = QPainterPath();
    m_inPath = false;
    m_figureOpen = false;
    bool invertible = false;
    const QTransform toLogical = logicalToDevice().inverted(&invertible);
    if (!invertible) return;
    QPainterPath p = toLogical.map(devicePath);
    p.setFillRule(m_dc.fill);
    draw(p, type != EMR_STROKEPATH, type != EMR_FILLPATH);
}

void Player::combineClip(const QPainterPath& devicePath, uint32_t mode) {
    QPainterPath everything;
    everything.addRect(QRectF(-kEverything, -kEverything, 2 * kEverything, 2 * kEverything));
    const QPainterPath cur = m_dc.hasClip ? m_dc.clip : everything;
    QPainterPath next;
    switch (mode) {
        case RGN_AND: next = cur.intersected(devicePath); break;
        case RGN_OR: next = cur.united(devicePath); break;
        case RGN_XOR: next = cur.subtracted(devicePath).united(devicePath.subtracted(cur)); break;
        case RGN_DIFF: next = cur.subtracted(devicePath); break;
        case RGN_COPY: next = devicePath; break;
        default: return;
    }
    m_dc.clip = next;
    m_dc.hasClip = true;
    applyClip();
}

void Player::text(ByteReader& r, bool wide) {
    const int32_t refX = r.i32(36), refY = r.i32(40);
    const uint32_t nChars = r.u32(44), offString = r.u32(48), options = r.u32(52);
    if (!r.ok() || nChars > kMaxTextChars) return;
    const size_t rectAt = 56;
    const size_t offDxAt = options & ETO_NO_RECT ? 56 : 72;
    const uint32_t offDx = r.u32(offDxAt);
    if (!r.ok()) return;
    const size_t charSize = wide ? 2 : 1;
    if (!r.has(offString, size_t(nChars) * charSize)) return;
    QString str;
    for (uint32_t i = 0; i < nChars; ++i)
        str.append(wide ? QChar(char16_t(r.u16(offString + 2 * size_t(i)))) : QChar(r.u8(offString + i)));
    std::vector<qreal> dx;
    const size_t dxEach = options & ETO_PDY ? 8 : 4;
    if (offDx && r.has(offDx, size_t(nChars) * dxEach))
        for (uint32_t i = 0; i < nChars; ++i) dx.push_back(r.i32(offDx + dxEach * i));

    const QRectF box = options & ETO_NO_RECT ? QRectF() : readBox(r, rectAt);
    if ((options & ETO_OPAQUE) && !box.isEmpty()) {
        m_p->setWorldTransform(full() * m_base);
        m_p->fillRect(box, m_dc.bk);
    }
    if (str.isEmpty()) return;

    const Font& f = m_dc.font;
    QFont font = standInFont(f);
    font.setPixelSize(int(kFontReference));
    // Two weights only: each distinct font is loaded and kept by Qt.
    font.setWeight(f.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeout);
    const QFontMetricsF fm(font);
    qreal em = f.height < 0 ? -qreal(f.height) : f.height > 0 ? f.height * kFontReference / fm.height() : 12;
    if (!(em > 0)) return;
    const qreal k = em / kFontReference;  // glyph units -> logical units

    QPointF ref(refX, refY);
    if (m_dc.textAlign & TA_UPDATECP) ref = m_dc.cur;
    qreal advance = 0;
    if (!dx.empty())
        for (qreal d : dx) advance += d / k;
    else
        advance = fm.horizontalAdvance(str);

    qreal x = 0, y = 0;
    if ((m_dc.textAlign & TA_HORZ_MASK) == TA_CENTER)
        x = -advance / 2;
    else if ((m_dc.textAlign & TA_HORZ_MASK) == TA_RIGHT)
        x = -advance;
    if ((m_dc.textAlign & TA_VERT_MASK) == TA_BASELINE)
        y = 0;
    else if ((m_dc.textAlign & TA_VERT_MASK) == TA_BOTTOM)
        y = -fm.descent();
    else
        y = fm.ascent();

    // Glyphs stand upright on the output even when the mapping flips y.
    QTransform glyph;
    glyph.translate(ref.x(), ref.y());
    const bool flipped = full().determinant() < 0;
    if (flipped) glyph.scale(1, -1);
    glyph.rotate(-f.escapement / 10.0);
    glyph.scale(k, k);

    m_p->save();
    m_p->setWorldTransform(full() * m_base);
    if ((options & ETO_CLIPPED) && !box.isEmpty()) m_p->setClipRect(box, Qt::IntersectClip);
    // Glyphs are filled as outlines: the painter's glyph cache does not cope
    // with every transform a file can set up.
    QPainterPath glyphs;
    if (dx.empty()) {
        glyphs.addText(QPointF(x, y), font, str);
    } else {
        qreal at = x;
        for (qsizetype i = 0; i < str.size(); ++i) {
            qsizetype len = 1;
            if (str[i].isHighSurrogate() && i + 1 < str.size() && str[i + 1].isLowSurrogate()) len = 2;
            glyphs.addText(QPointF(at, y), font, str.mid(i, len));
            for (qsizetype j = 0; j < len; ++j) at += dx[size_t(i + j)] / k;
            i += len - 1;
        }
    }
    m_p->setWorldTransform(glyph * full() * m_base);
    m_p->fillPath(glyphs, m_dc.text);
    m_p->restore();
    if (m_dc.textAlign & TA_UPDATECP) m_dc.cur = ref + QPointF(advance * k, 0);
}

void Player::drawImage(const QImage& image, QRectF src, const QRectF& dest, uint32_t rop, qreal opacity) {
    if (image.isNull() || dest.width() == 0 || dest.height() == 0) return;
    src = src.normalized() & QRectF(image.rect());
    if (src.isEmpty()) return;
    // Maps the unit square onto the destination, mirrored when it has a
    // negative width or height.
    const QTransform unit(dest.width(), 0, 0, dest.height(), dest.x(), dest.y());
    m_p->save();
    m_p->setWorldTransform(unit * full() * m_base);
    m_p->setOpacity(opacity);
    if (m_p->paintEngine() && m_p->paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        if (rop == SRCAND)
            m_p->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        else if (rop == SRCPAINT)
            m_p->setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        else if (rop == SRCINVERT)
            m_p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    }
    m_p->drawImage(QRectF(0, 0, 1, 1), image, src);
    m_p->restore();
}

void Player::bitmap(uint32_t type, ByteReader& r) {
    size_t offBmiAt, srcAt, srcSizeAt = 0;
    QRectF dest;
    uint32_t rop = SRCCOPY;
    qreal opacity = 1;
    DibAlpha alpha = DibAlpha::Ignore;
    bool bottomUpSource = false;
    switch (type) {
        case EMR_STRETCHDIBITS:
            dest = QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76));
            srcAt = 32;
            srcSizeAt = 40;
            offBmiAt = 48;
            rop = r.u32(68);
            bottomUpSource = true;
            break;
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
            dest = QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
            rop = r.u32(40);
            srcAt = 44;
            offBmiAt = 84;
            if (type == EMR_STRETCHBLT) srcSizeAt = 100;
            break;
        case EMR_ALPHABLEND:
            dest = QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
            opacity = r.u8(42) / 255.0;
            alpha = r.u8(43) & AC_SRC_ALPHA ? DibAlpha::Premultiplied : DibAlpha::Ignore;
            srcAt = 44;
            offBmiAt = 84;
            srcSizeAt = 100;
            break;
        default: return;
    }
    const uint32_t offBmi = r.u32(offBmiAt), cbBmi = r.u32(offBmiAt + 4), offBits = r.u32(offBmiAt + 8),
                   cbBits = r.u32(offBmiAt + 12);
    if (!r.ok()) return;
    if ((type == EMR_BITBLT || type == EMR_STRETCHBLT) && cbBmi == 0) {
        // A blit without a source paints with the brush or a fixed colour.
        QPainterPath p;
        p.addRect(dest.normalized());
        if (rop == PATCOPY) {
            draw(p, true, false);
        } else if (rop == BLACKNESS || rop == WHITENESS) {
            m_p->setWorldTransform(full() * m_base);
            m_p->fillPath(p, rop == BLACKNESS ? Qt::black : Qt::white);
        }
        return;
    }
    if (!r.has(offBmi, cbBmi) || !r.has(offBits, cbBits)) return;
    const QImage img = decodeDib(r.at(offBmi), cbBmi, r.at(offBits), cbBits, alpha);
    if (img.isNull()) return;
    QRectF src(r.i32(srcAt), r.i32(srcAt + 4), dest.width(), dest.height());
    if (srcSizeAt) src.setSize(QSizeF(r.i32(srcSizeAt), r.i32(srcSizeAt + 4)));
    if (!r.ok()) return;
    if (bottomUpSource && r.i32(offBmi + 8) > 0)
        src.moveTop(img.height() - src.top() - src.height());
    drawImage(img, src, dest, rop, opacity);
}

void Player::record(uint32_t type, ByteReader& r) {
    switch (type) {
        case EMR_COMMENT: {
            const uint32_t n = r.u32(8);
            if (r.ok() && r.has(12, n)) comments.append(QByteArray(reinterpret_cast<const char*>(r.at(12)), qsizetype(n)));
            break;
        }
        case EMR_SETWORLDTRANSFORM: setWorld(r); break;
        case EMR_MODIFYWORLDTRANSFORM: modifyWorld(r); break;
        case EMR_SETMAPMODE: {
            const uint32_t mode = r.u32(8);
            if (r.ok() && mode >= MM_TEXT && mode <= MM_ANISOTROPIC) m_dc.mapMode = mode;
            break;
        }
        case EMR_SETWINDOWEXTEX:
        case EMR_SETVIEWPORTEXTEX: {
            const int32_t cx = r.i32(8), cy = r.i32(12);
            if (!r.ok() || cx == 0 || cy == 0) break;
            (type == EMR_SETWINDOWEXTEX ? m_dc.windowExt : m_dc.viewportExt) = QSizeF(cx, cy);
            break;
        }
        case EMR_SETWINDOWORGEX:
        case EMR_SETVIEWPORTORGEX: {
            const QPointF p(r.i32(8), r.i32(12));
            if (r.ok()) (type == EMR_SETWINDOWORGEX ? m_dc.windowOrg : m_dc.viewportOrg) = p;
            break;
        }
        case EMR_SCALEVIEWPORTEXTEX:
        case EMR_SCALEWINDOWEXTEX: {
            const int32_t xn = r.i32(8), xd = r.i32(12), yn = r.i32(16), yd = r.i32(20);
            if (!r.ok() || xd == 0 || yd == 0 || xn == 0 || yn == 0) break;
            QSizeF& ext = type == EMR_SCALEWINDOWEXTEX ? m_dc.windowExt : m_dc.viewportExt;
            const QSizeF next(ext.width() * xn / xd, ext.height() * yn / yd);
            if (next.width() != 0 && next.height() != 0 && finite(next.width()) && finite(next.height())) ext = next;
            break;
        }
        case EMR_SAVEDC: saveDc(); break;
        case EMR_RESTOREDC: {
            const int32_t which = r.i32(8);
            if (r.ok()) restoreDc(which);
            break;
        }
        case EMR_SETBKMODE: {
            const uint32_t v = r.u32(8);
            if (r.ok()) m_dc.bkOpaque = v == OPAQUE_MODE;
            break;
        }
        case EMR_SETBKCOLOR:
        case EMR_SETTEXTCOLOR: {
            const uint32_t v = r.u32(8);
            if (r.ok()) (type == EMR_SETBKCOLOR ? m_dc.bk : m_dc.text) = fromColorRef(v);
            break;
        }
        case EMR_SETTEXTALIGN: {
            const uint32_t v = r.u32(8);
            if (r.ok()) m_dc.textAlign = v;
            break;
        }
        case EMR_SETPOLYFILLMODE: {
            const uint32_t v = r.u32(8);
            if (r.ok()) m_dc.fill = v == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
            break;
        }
        case EMR_SETMITERLIMIT: {
            const uint32_t v = r.u32(8);
            if (!r.ok()) break;
            // The field is an integer; some writers store a float's bits.
            qreal limit = v;
            if (v >= 0x3F000000u) {
                float f;
                std::memcpy(&f, &v, 4);
                limit = f;
            }
            if (limit >= 1 && limit <= 1000) m_dc.miterLimit = limit;
            break;
        }
        case EMR_SETARCDIRECTION: {
            const uint32_t v = r.u32(8);
            if (r.ok()) m_dc.clockwise = v == 2;
            break;
        }
        case EMR_MOVETOEX: {
            const QPointF p(r.i32(8), r.i32(12));
            if (!r.ok()) break;
            m_dc.cur = p;
            if (m_inPath) {
                m_path.moveTo(logicalToDevice().map(p));
                m_figureOpen = true;
            }
            break;
        }
        case EMR_LINETO: {
            const QPointF p(r.i32(8), r.i32(12));
            if (r.ok()) continueFigure({p}, false);
            break;
        }
        case EMR_SELECTOBJECT: {
            const uint32_t v = r.u32(8);
            if (r.ok()) selectObject(v);
            break;
        }
        case EMR_DELETEOBJECT: {
            const uint32_t v = r.u32(8);
            if (r.ok()) deleteObject(v);
            break;
        }
        case EMR_CREATEPEN: createPen(r); break;
        case EMR_EXTCREATEPEN: extCreatePen(r); break;
        case EMR_CREATEBRUSHINDIRECT: createBrush(r); break;
        case EMR_CREATEDIBPATTERNBRUSHPT: createDibBrush(r); break;
        case EMR_EXTCREATEFONTINDIRECTW: createFont(r); break;
        case EMR_RECTANGLE:
        case EMR_ELLIPSE:
        case EMR_ROUNDRECT: {
            const QRectF box = readBox(r, 8);
            if (!r.ok()) break;
            QSizeF corner;
            if (type == EMR_ROUNDRECT) {
                corner = QSizeF(r.i32(24), r.i32(28));
                if (!r.ok()) break;
            }
            QPainterPath p;
            if (type == EMR_RECTANGLE)
                p.addRect(box);
            else if (type == EMR_ELLIPSE)
                p.addEllipse(box);
            else
                p.addRoundedRect(box, std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
            shape(p, true, true);
            break;
        }
        case EMR_ARC:
        case EMR_ARCTO:
        case EMR_CHORD:
        case EMR_PIE: arcRecord(type, r); break;
        case EMR_POLYGON:
        case EMR_POLYGON16:
        case EMR_POLYLINE:
        case EMR_POLYLINE16:
        case EMR_POLYBEZIER:
        case EMR_POLYBEZIER16:
        case EMR_POLYLINETO:
        case EMR_POLYLINETO16:
        case EMR_POLYBEZIERTO:
        case EMR_POLYBEZIERTO16: polyRecord(type, r); break;
        case EMR_POLYPOLYGON:
        case EMR_POLYPOLYGON16:
        case EMR_POLYPOLYLINE:
        case EMR_POLYPOLYLINE16: polyPolyRecord(type, r); break;
        case EMR_POLYDRAW:
        case EMR_POLYDRAW16: polyDraw(type, r); break;
        case EMR_BEGINPATH:
            m_inPath = true;
            m_figureOpen = false;
            m_path = QPainterPath();
            break;
        case EMR_ENDPATH: m_inPath = false; break;
        case EMR_ABORTPATH:
            m_inPath = false;
            m_path = QPainterPath();
            break;
        case EMR_CLOSEFIGURE:
            if (m_inPath) {
                m_path.closeSubpath();
                m_figureOpen = false;
            }
            break;
        case EMR_FILLPATH:
        case EMR_STROKEPATH:
        case EMR_STROKEANDFILLPATH: pathEnd(type); break;
        case EMR_SELECTCLIPPATH: {
            const uint32_t mode = r.u32(8);
            if (!r.ok()) break;
            QPainterPath p = m_path;
            p.setFillRule(m_dc.fill);
            m_path = QPainterPath();
            m_inPath = false;
            combineClip(p, mode);
            break;
        }
        case EMR_INTERSECTCLIPRECT:
        case EMR_EXCLUDECLIPRECT: {
            const QRectF box = readBox(r, 8);
            if (!r.ok()) break;
            QPainterPath p;
            p.addRect(box);
            combineClip(logicalToDevice().map(p), type == EMR_INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF);
            break;
        }
        case EMR_OFFSETCLIPRGN: {
            const QPointF d(r.i32(8), r.i32(12));
            if (!r.ok() || !m_dc.hasClip) break;
            const QTransform t = logicalToDevice();
            m_dc.clip.translate(t.map(d) - t.map(QPointF(0, 0)));
            applyClip();
            break;
        }
        case EMR_EXTSELECTCLIPRGN: {
            const uint32_t size = r.u32(8), mode = r.u32(12);
            if (!r.ok()) break;
            if (size == 0) {
                if (mode == RGN_COPY) {
                    m_dc.hasClip = false;
                    m_dc.clip = QPainterPath();
                    applyClip();
                }
                break;
            }
            QPainterPath region;
            if (readRegion(r, 16, size, &region)) combineClip(region, mode);
            break;
        }
        case EMR_FILLRGN:
        case EMR_PAINTRGN: {
            const uint32_t size = r.u32(24);
            if (!r.ok()) break;
            QBrush brush = m_dc.brush;
            size_t at = 28;
            if (type == EMR_FILLRGN) {
                const auto it = m_objects.find(r.u32(28));
                if (it == m_objects.end() || it->second.kind != Object::Brush) break;
                brush = it->second.brush;
                at = 32;
            }
            QPainterPath region;
            if (!readRegion(r, at, size, &region)) break;
            m_p->setWorldTransform(m_device * m_base);
            m_p->fillPath(region, brush);
            break;
        }
        case EMR_EXTTEXTOUTW:
        case EMR_EXTTEXTOUTA: text(r, type == EMR_EXTTEXTOUTW); break;
        case EMR_STRETCHDIBITS:
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
        case EMR_ALPHABLEND: bitmap(type, r); break;
        default: break;  // unknown or not drawn
    }
}

}  // namespace

EmfPlayResult EmfPlayer::play(const QByteArray& emf, QPainter* painter, const QRectF& target) {
    EmfPlayResult result;
    EmfRecordWalker walker(emf);
    if (!walker.valid()) return result;
    result.valid = true;
    result.header = walker.header();
    const QRectF picture = result.header.pictureRect();
    const bool drawable = painter && painter->isActive() && !picture.isEmpty() && target.width() > 0 &&
                          target.height() > 0 && finite(target.width()) && finite(target.height());

    // Reference-device pixels -> target: the picture's frame onto the target.
    QTransform device;
    if (drawable) {
        device = QTransform::fromTranslate(-picture.x(), -picture.y()) *
                 QTransform::fromScale(target.width() / picture.width(), target.height() / picture.height()) *
                 QTransform::fromTranslate(target.x(), target.y());
        painter->save();
    }
    Player player(drawable ? painter : nullptr, result.header, device);
    if (drawable) player.start();

    uint32_t type;
    ByteReader rec(nullptr, 0);
    while (walker.next(&type, &rec)) {
        ++result.records;
        if (drawable) {
            player.record(type, rec);
        } else if (type == EMR_COMMENT) {
            const uint32_t n = rec.u32(8);
            if (rec.ok() && rec.has(12, n))
                player.comments.append(QByteArray(reinterpret_cast<const char*>(rec.at(12)), qsizetype(n)));
        }
    }
    if (drawable) painter->restore();
    result.comments = player.comments;
    result.reachedEof = walker.reachedEof();
    return result;
}

}  // namespace toliva::emf
