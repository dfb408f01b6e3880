// The Windows-metafile writer: libUEMF reads every record back, a small
// reader built on libUEMF's record parsers draws the file like the original,
// and coordinates stay within 16 bits.
#include "EmfTestSupport.h"

#include "platform/emf/EmfCheck.h"
#include "platform/emf/EmfDisplayList.h"
#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfImages.h"
#include "platform/emf/WmfWriter.h"

#include <gtest/gtest.h>

#include <QPainterPath>

#include <uwmf.h>

using namespace toliva::emf;
using namespace toliva::emf::test;

namespace {

struct WmfRecord {
    uint16_t function;
    const char* data;
    size_t size;
};

// The records after the headers, as libUEMF sizes them.
std::vector<WmfRecord> wmfRecords(const QByteArray& wmf, U_WMRPLACEABLE* placeable = nullptr,
                                  U_WMRHEADER* header = nullptr) {
    std::vector<WmfRecord> out;
    const char* data = wmf.constData();
    const char* limit = data + wmf.size();
    U_WMRPLACEABLE p;
    U_WMRHEADER h;
    const int at = wmfheader_get(data, limit, placeable ? placeable : &p, header ? header : &h);
    if (at <= 0) return out;
    for (const char* rec = data + at; rec < limit;) {
        const size_t size = U_WMRRECSAFE_get(rec, limit);
        if (!size) break;
        uint16_t function;
        std::memcpy(&function, rec + 4, 2);
        out.push_back({function, rec, size});
        rec += size;
    }
    return out;
}

QPolygonF points16(const char* data, int count) {
    QPolygonF poly;
    for (int i = 0; i < count; ++i) {
        int16_t xy[2];
        std::memcpy(xy, data + 4 * i, 4);
        poly.append(QPointF(xy[0], xy[1]));
    }
    return poly;
}

QColor colour(const U_COLORREF& c) { return QColor(c.Red, c.Green, c.Blue); }

// Draws the record kinds the writer produces.
QImage playWmf(const QByteArray& wmf, QSize size) {
    QImage img = blank(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    struct Obj {
        bool isPen = false;
        QPen pen;
        QBrush brush;
    };
    struct State {
        QPen pen;
        QBrush brush;
        Qt::FillRule fill = Qt::OddEvenFill;
    };
    std::vector<std::optional<Obj>> objects(64);
    State st;
    std::vector<State> saved;
    QPointF org;
    QSizeF ext(1, 1);
    auto place = [&] {
        p.setWorldTransform(QTransform::fromTranslate(-org.x(), -org.y()) *
                            QTransform::fromScale(size.width() / ext.width(), size.height() / ext.height()));
    };
    for (const WmfRecord& r : wmfRecords(wmf)) {
        switch (r.function) {
            case META_SETWINDOWORG: {
                U_POINT16 o;
                U_WMRSETWINDOWORG_get(r.data, &o);
                org = QPointF(o.x, o.y);
                place();
                break;
            }
            case META_SETWINDOWEXT: {
                U_POINT16 e;
                U_WMRSETWINDOWEXT_get(r.data, &e);
                ext = QSizeF(e.x, e.y);
                place();
                break;
            }
            case META_SETPOLYFILLMODE: {
                uint16_t mode;
                U_WMRSETPOLYFILLMODE_get(r.data, &mode);
                st.fill = mode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
                break;
            }
            case META_CREATEPENINDIRECT:
            case META_CREATEBRUSHINDIRECT: {
                Obj o;
                if (r.function == META_CREATEPENINDIRECT) {
                    U_PEN pen;
                    U_WMRCREATEPENINDIRECT_get(r.data, &pen);
                    o.isPen = true;
                    o.pen = (pen.Style & 0xF) == PS_NULL ? QPen(Qt::NoPen)
                                                          : QPen(colour(pen.Color), pen.Widthw[0], Qt::SolidLine,
                                                                 Qt::RoundCap, Qt::RoundJoin);
                } else {
                    const char* b;
                    U_WMRCREATEBRUSHINDIRECT_get(r.data, &b);
                    U_WLOGBRUSH brush;
                    std::memcpy(&brush, b, sizeof brush);
                    o.brush = brush.Style == BS_NULL      ? QBrush(Qt::NoBrush)
                              : brush.Style == BS_HATCHED ? QBrush(colour(brush.Color), qtFromHatch(brush.Hatch))
                                                          : QBrush(colour(brush.Color));
                }
                for (auto& slot : objects) {
                    if (!slot) {
                        slot = o;
                        break;
                    }
                }
                break;
            }
            case META_SELECTOBJECT:
            case META_DELETEOBJECT: {
                uint16_t index;
                if (r.function == META_SELECTOBJECT) {
                    U_WMRSELECTOBJECT_get(r.data, &index);
                    if (index < objects.size() && objects[index])
                        (objects[index]->isPen ? (void)(st.pen = objects[index]->pen)
                                               : (void)(st.brush = objects[index]->brush));
                } else {
                    U_WMRDELETEOBJECT_get(r.data, &index);
                    if (index < objects.size()) objects[index].reset();
                }
                break;
            }
            case META_SAVEDC:
                saved.push_back(st);
                p.save();
                break;
            case META_RESTOREDC:
                st = saved.back();
                saved.pop_back();
                p.restore();
                break;
            case META_INTERSECTCLIPRECT: {
                U_RECT16 c;
                U_WMRINTERSECTCLIPRECT_get(r.data, &c);
                p.setClipRect(QRectF(QPointF(c.left, c.top), QPointF(c.right, c.bottom)), Qt::IntersectClip);
                break;
            }
            case META_POLYGON:
            case META_POLYLINE: {
                uint16_t n;
                const char* pts;
                (r.function == META_POLYGON ? U_WMRPOLYGON_get : U_WMRPOLYLINE_get)(r.data, &n, &pts);
                QPainterPath path;
                path.addPolygon(points16(pts, n));
                if (r.function == META_POLYGON) path.closeSubpath();
                path.setFillRule(st.fill);
                if (r.function == META_POLYGON) p.fillPath(path, st.brush);
                p.strokePath(path, st.pen);
                break;
            }
            case META_POLYPOLYGON: {
                uint16_t n;
                const uint16_t* counts;
                const char* pts;
                U_WMRPOLYPOLYGON_get(r.data, &n, &counts, &pts);
                QPainterPath path;
                for (uint16_t i = 0; i < n; ++i) {
                    uint16_t c;
                    std::memcpy(&c, counts + i, 2);
                    path.addPolygon(points16(pts, c));
                    path.closeSubpath();
                    pts += 4 * c;
                }
                path.setFillRule(st.fill);
                p.fillPath(path, st.brush);
                p.strokePath(path, st.pen);
                break;
            }
            case META_STRETCHDIB: {
                U_POINT16 dst, cdst, src, csrc;
                uint16_t usage;
                uint32_t rop;
                const char* dib;
                U_WMRSTRETCHDIB_get(r.data, &dst, &cdst, &src, &csrc, &usage, &rop, &dib);
                const auto* bmi = reinterpret_cast<const uint8_t*>(dib);
                const size_t left = size_t(r.data + r.size - dib);
                uint16_t bits;
                uint32_t used;
                std::memcpy(&bits, bmi + 14, 2);
                std::memcpy(&used, bmi + 32, 4);
                const size_t table = bits <= 8 ? 4 * (used ? used : 1u << bits) : 0;
                const QImage image = decodeDib(bmi, left, bmi + 40 + table, left - 40 - table, DibAlpha::Ignore);
                p.save();
                if (rop == SRCAND) p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
                if (rop == SRCPAINT) p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
                p.drawImage(QRectF(dst.x, dst.y, cdst.x, cdst.y), image);
                p.restore();
                break;
            }
            default: break;
        }
    }
    return img;
}

const QSize kSize(200, 150);

void shapes(QPainter& p) {
    p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(250, 200, 0));
    p.drawEllipse(QRectF(10, 10, 90, 60));
    QPainterPath curve;
    curve.moveTo(110, 70);
    curve.cubicTo(130, 0, 170, 0, 190, 70);
    curve.closeSubpath();
    p.setPen(QPen(QColor(0, 0, 150), 5, Qt::DashLine, Qt::FlatCap));
    p.setBrush(QColor(150, 200, 255));
    p.drawPath(curve);
    p.save();
    p.translate(60, 110);
    p.rotate(20);
    p.setPen(QPen(QColor(0, 120, 0), 3));  // square caps, bevel joins: an outline
    p.setBrush(QColor(200, 255, 200));
    p.drawRect(QRectF(-40, -20, 80, 40));
    p.restore();
    p.save();
    p.setClipRect(QRectF(120, 90, 60, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 0, 0));
    p.drawEllipse(QRectF(110, 80, 90, 70));
    p.restore();
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QPointF(110, 145), QStringLiteral("wmf"));
}

void transparentImage(QPainter& p) {
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    img.setPixel(1, 1, qRgba(255, 0, 0, 255));
    img.setPixel(2, 2, qRgba(0, 0, 255, 255));
    p.fillRect(QRectF(0, 0, 200, 150), QColor(0, 160, 0));
    p.drawImage(QRectF(20, 20, 160, 110), img);
}

}  // namespace

TEST(EmfWmfWriter, DrawsLikeTheOriginalAndLibUemfAcceptsEveryRecord) {
    const struct {
        const char* name;
        Scene draw;
    } cases[] = {{"shapes", shapes}, {"transparentImage", transparentImage}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EmfRecorder rec{QSizeF(kSize)};
        record(c.draw, QSizeF(), &rec);
        const QByteArray wmf = rec.toWmf();
        const MetafileCheck check = checkWmf(wmf);
        EXPECT_TRUE(check.ok) << check.problem.toStdString();
        const QImage played = playWmf(wmf, kSize);
        const double same = agreement(drawDirect(c.draw, kSize), played);
        if (qEnvironmentVariableIsSet("TOLIVA_EMF_DUMP")) {
            played.save(QStringLiteral("/tmp/wmf_%1.png").arg(c.name));
            printf("%s %.5f\n", c.name, same);
        }
        EXPECT_GE(same, 0.98);
        // Curves are flattened, text is outlines: no records for either.
        for (const WmfRecord& r : wmfRecords(wmf)) {
            EXPECT_NE(r.function, 0x0521);  // text out
            EXPECT_NE(r.function, 0x0A32);  // extended text out
            EXPECT_NE(r.function, 0x02FB);  // font
        }
    }
}

TEST(EmfWmfWriter, CoordinatesAreRescaledWhenTheyWouldOverflow) {
    struct Case {
        QSizeF size;
        int wantInch;
    };
    // 200 px at 96 dpi is 3000 units at 1440 per inch: kept. 5000 px would
    // be 75000: the writer takes 614 units per inch (5000 px -> 31979).
    for (const Case& c : {Case{QSizeF(200, 100), 1440}, Case{QSizeF(5000, 3000), 614}}) {
        SCOPED_TRACE(c.wantInch);
        EmfRecorder rec(c.size);
        {
            QPainter p(&rec);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawRect(QRectF(c.size.width() / 2, c.size.height() / 2, c.size.width() / 2, c.size.height() / 2));
        }
        WmfLayout layout;
        const QByteArray wmf = WmfWriter::write(rec.displayList(), WmfOptions(), nullptr, &layout);
        ASSERT_TRUE(checkWmf(wmf).ok) << checkWmf(wmf).problem.toStdString();
        U_WMRPLACEABLE placeable;
        const std::vector<WmfRecord> recs = wmfRecords(wmf, &placeable);
        EXPECT_EQ(placeable.Inch, c.wantInch);
        EXPECT_EQ(layout.unitsPerInch, c.wantInch);
        const qreal unitsPerPixel = c.wantInch / 96.0;
        EXPECT_NEAR(placeable.Dst.right, c.size.width() * unitsPerPixel, 1);
        EXPECT_NEAR(placeable.Dst.bottom, c.size.height() * unitsPerPixel, 1);
        int polygons = 0;
        for (const WmfRecord& r : recs) {
            if (r.function != META_POLYGON) continue;
            ++polygons;
            uint16_t n;
            const char* pts;
            U_WMRPOLYGON_get(r.data, &n, &pts);
            const QRectF box = points16(pts, n).boundingRect();
            EXPECT_NEAR(box.left(), c.size.width() / 2 * unitsPerPixel, 1);
            EXPECT_NEAR(box.right(), c.size.width() * unitsPerPixel, 1);
            EXPECT_NEAR(box.bottom(), c.size.height() * unitsPerPixel, 1);
        }
        EXPECT_EQ(polygons, 1);
        // Drawn back, the lower-right quarter is black.
        const QImage img = playWmf(wmf, QSize(200, 100));
        EXPECT_EQ(inkedPixels(img, QRect(102, 52, 96, 46)), 96 * 46);
        EXPECT_EQ(inkedPixels(img, QRect(0, 0, 98, 100)), 0);
    }
}

TEST(EmfWmfWriter, PlaceableHeaderIsOptional) {
    EmfRecorder rec(QSizeF(20, 20));
    {
        QPainter p(&rec);
        p.fillRect(QRectF(2, 2, 10, 10), Qt::black);
    }
    WmfOptions plain;
    plain.placeable = false;
    const QByteArray bare = rec.toWmf(plain);
    const QByteArray placed = rec.toWmf();
    EXPECT_TRUE(bare.startsWith(QByteArray::fromHex("010009000003")));
    EXPECT_TRUE(placed.startsWith(QByteArray::fromHex("D7CDC69A")));
    EXPECT_EQ(placed.size() - bare.size(), 22);
    EXPECT_EQ(placed.mid(22), bare);
    EXPECT_TRUE(checkWmf(bare).ok);
}

TEST(EmfWmfWriter, CommentsBecomeEscapesInOrderAndOversizedOnesFail) {
    EmfRecorder rec(QSizeF(20, 20));
    rec.addComment(QByteArray("MathType\0\0\x05\0", 12));
    {
        QPainter p(&rec);
        p.fillRect(QRectF(2, 2, 10, 10), Qt::black);
    }
    rec.addComment("TL-TEX-1 chunk");
    QString error;
    const QByteArray wmf = rec.toWmf(WmfOptions(), &error);
    ASSERT_TRUE(checkWmf(wmf).ok);
    EXPECT_TRUE(error.isEmpty());
    QList<QByteArray> found;
    for (const WmfRecord& r : wmfRecords(wmf)) {
        if (r.function != META_ESCAPE) continue;
        uint16_t escape, length;
        const char* data;
        U_WMRESCAPE_get(r.data, &escape, &length, &data);
        EXPECT_EQ(escape, MFCOMMENT);
        found.append(QByteArray(data, length));
    }
    EXPECT_EQ(found, QList<QByteArray>({QByteArray("MathType\0\0\x05\0", 12), QByteArray("TL-TEX-1 chunk")}));

    rec.addComment(QByteArray(70000, 'x'));
    EXPECT_TRUE(rec.toWmf(WmfOptions(), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(rec.toEmf().isEmpty());  // an enhanced metafile holds it
}
