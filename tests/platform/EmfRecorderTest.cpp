// The recorder's file: header and frame, comments where the caller puts
// them, objects that do not pile up, text without fonts.
#include "EmfTestSupport.h"

#include "platform/emf/EmfCheck.h"
#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfInfo.h"

#include <gtest/gtest.h>

#include <QPainterPath>

using namespace toliva::emf;
using namespace toliva::emf::test;

namespace {

std::vector<uint32_t> recordTypes(const QByteArray& emf) {
    std::vector<uint32_t> types;
    EmfRecordWalker walker(emf);
    uint32_t type;
    ByteReader rec(nullptr, 0);
    while (walker.next(&type, &rec)) types.push_back(type);
    return types;
}

size_t indexOf(const std::vector<uint32_t>& types, uint32_t type, size_t from = 0) {
    for (size_t i = from; i < types.size(); ++i)
        if (types[i] == type) return i;
    return types.size();
}

size_t countOf(const std::vector<uint32_t>& types, uint32_t type) {
    return size_t(std::count(types.begin(), types.end(), type));
}

}  // namespace

TEST(EmfRecorder, HeaderDescribesFrameBoundsAndTotals) {
    EmfRecorder rec(QSizeF(240, 180), 96);
    const QByteArray emf = record(
        [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::red);
            p.drawRect(QRectF(10, 20, 50, 30));
        },
        QSizeF(), &rec);
    const std::optional<EmfHeader> h = readEmfHeader(emf);
    ASSERT_TRUE(h.has_value());
    // Frame: the picture's size in 0.01 mm (240 px at 96 dpi = 63.5 mm).
    EXPECT_EQ(h->frame.left, 0);
    EXPECT_EQ(h->frame.top, 0);
    EXPECT_EQ(h->frame.right, 6350);
    EXPECT_EQ(h->frame.bottom, 4763);
    // Bounds: what was drawn, in device pixels.
    EXPECT_EQ(h->bounds.left, 10);
    EXPECT_EQ(h->bounds.top, 20);
    EXPECT_EQ(h->bounds.right, 60);
    EXPECT_EQ(h->bounds.bottom, 50);
    EXPECT_NEAR(h->pixelsPerMm().x(), 96 / 25.4, 1e-9);
    EXPECT_EQ(h->bytes, uint32_t(emf.size()));
    EXPECT_EQ(h->records, uint32_t(recordTypes(emf).size() + 1));  // the walk skips the header
    EXPECT_GE(h->handles, 2);
    const QRectF picture = h->pictureRect();
    EXPECT_EQ(picture.topLeft(), QPointF(0, 0));
    EXPECT_NEAR(picture.width(), 240, 0.02);
    EXPECT_NEAR(picture.height(), 180, 0.02);
}

TEST(EmfRecorder, WithoutSizeTheFrameFollowsTheDrawing) {
    EmfRecorder rec;
    const QByteArray emf = record(
        [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::blue);
            p.drawRect(QRectF(100, 40, 96, 48));
        },
        QSizeF(), &rec);
    const std::optional<EmfHeader> h = readEmfHeader(emf);
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->frame.left, 2646);  // 100 px
    EXPECT_EQ(h->frame.top, 1058);   // 40 px
    EXPECT_EQ(h->frame.right - h->frame.left, 2540);  // one inch wide
    EXPECT_EQ(h->frame.bottom - h->frame.top, 1270);
    // Played into its own size it fills the target.
    const QImage img = playInto(emf, QSize(96, 48));
    EXPECT_EQ(inkedPixels(img), 96 * 48);
}

TEST(EmfRecorder, NothingDrawnGivesAnEmptyButValidFile) {
    EmfRecorder rec(QSizeF(16, 16));
    { QPainter p(&rec); }
    const QByteArray emf = rec.toEmf();
    EXPECT_TRUE(checkEmf(emf).ok);
    const std::optional<EmfHeader> h = readEmfHeader(emf);
    ASSERT_TRUE(h.has_value());
    EXPECT_LT(h->bounds.right, h->bounds.left);  // empty bounds
    EXPECT_EQ(inkedPixels(playInto(emf, QSize(16, 16))), 0);
}

TEST(EmfRecorder, CommentsComeBackInOrderWhereTheyWerePlaced) {
    // Tagged comments as the embedding presentation writes them, one of an
    // odd length so that it needs padding.
    const QByteArray baseline = QByteArray("MathType") + QByteArray::fromHex("0000" "2A00");
    const QByteArray latex = QByteArray("TL-TEX-1") + QByteArray::fromHex("02000000" "02000000") +
                             QByteArray::fromHex("78003200");
    const QByteArray odd("xyz", 3);
    EmfRecorder rec(QSizeF(64, 64));
    rec.addComment(baseline);  // before any painter exists
    {
        QPainter p(&rec);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(4, 4, 20, 20));
        rec.addComment(latex);  // while painting
        p.drawEllipse(QRectF(30, 30, 20, 20));
    }
    rec.addComment(odd);  // after painting
    const QByteArray emf = rec.toEmf();
    ASSERT_TRUE(checkEmf(emf).ok) << checkEmf(emf).problem.toStdString();

    EXPECT_EQ(emfComments(emf), QList<QByteArray>({baseline, latex, odd}));
    const std::vector<uint32_t> types = recordTypes(emf);
    const size_t first = indexOf(types, EMR_COMMENT);
    const size_t second = indexOf(types, EMR_COMMENT, first + 1);
    const size_t third = indexOf(types, EMR_COMMENT, second + 1);
    ASSERT_LT(third, types.size());
    EXPECT_LT(first, indexOf(types, EMR_RECTANGLE));
    EXPECT_LT(indexOf(types, EMR_RECTANGLE), second);
    EXPECT_LT(second, indexOf(types, EMR_ELLIPSE));
    EXPECT_LT(indexOf(types, EMR_ELLIPSE), third);
    EXPECT_EQ(types.back(), EMR_EOF);

    EmfPlayResult played;
    playInto(emf, QSize(64, 64), QRectF(), &played);
    EXPECT_EQ(played.comments, QList<QByteArray>({baseline, latex, odd}));
}

TEST(EmfRecorder, ObjectsAreFreedAndTheirHandlesReused) {
    EmfRecorder rec(QSizeF(100, 100));
    const QByteArray emf = record(
        [](QPainter& p) {
            for (int i = 0; i < 200; ++i) {
                p.setPen(QPen(QColor(i, 0, 0), 1 + i % 5));
                p.setBrush(QColor(0, i, 0));
                p.drawRect(QRectF(i % 90, i % 90, 10, 10));
                if (i % 7 == 0) {
                    p.save();
                    p.setClipRect(QRectF(0, 0, 50, 50));
                    p.drawEllipse(QRectF(i % 50, 0, 30, 30));
                    p.restore();
                }
            }
        },
        QSizeF(), &rec);
    const std::optional<EmfHeader> h = readEmfHeader(emf);
    ASSERT_TRUE(h.has_value());
    EXPECT_LE(h->handles, 8);
    const std::vector<uint32_t> types = recordTypes(emf);
    EXPECT_EQ(countOf(types, EMR_SAVEDC), countOf(types, EMR_RESTOREDC));
    EXPECT_GT(countOf(types, EMR_DELETEOBJECT), 300u);
    EXPECT_TRUE(checkEmf(emf).ok);
}

TEST(EmfRecorder, PathsAreStoredAsGdiPathRecords) {
    const QByteArray emf = record(
        [](QPainter& p) {
            QPainterPath path;
            path.moveTo(10, 10);
            path.lineTo(50, 10);
            path.cubicTo(60, 20, 60, 40, 50, 50);
            path.closeSubpath();
            p.setPen(QPen(Qt::black, 2));
            p.setBrush(Qt::yellow);
            p.rotate(10);
            p.drawPath(path);
        },
        QSizeF(64, 64));
    const std::vector<uint32_t> types = recordTypes(emf);
    const size_t begin = indexOf(types, EMR_BEGINPATH);
    ASSERT_LT(begin, types.size());
    const std::vector<uint32_t> expected = {EMR_BEGINPATH, EMR_MOVETOEX, EMR_POLYLINETO16, EMR_POLYBEZIERTO16,
                                            EMR_POLYLINETO16, EMR_CLOSEFIGURE, EMR_ENDPATH, EMR_STROKEANDFILLPATH};
    EXPECT_EQ(std::vector<uint32_t>(types.begin() + long(begin), types.begin() + long(begin + expected.size())),
              expected);
    EXPECT_LT(indexOf(types, EMR_SETWORLDTRANSFORM), begin);
    EXPECT_LT(indexOf(types, EMR_EXTCREATEPEN), begin);
    EXPECT_LT(indexOf(types, EMR_CREATEBRUSHINDIRECT), begin);
}

TEST(EmfRecorder, TextIsStoredAsOutlinesWithoutFonts) {
    const QByteArray emf = record(
        [](QPainter& p) {
            QFont f(QStringLiteral("DejaVu Serif"));
            f.setPixelSize(30);
            p.setFont(f);
            p.drawText(QPointF(4, 40), QStringLiteral("Ag"));
        },
        QSizeF(80, 50));
    const std::vector<uint32_t> types = recordTypes(emf);
    EXPECT_EQ(countOf(types, EMR_EXTTEXTOUTW) + countOf(types, EMR_EXTCREATEFONTINDIRECTW), 0u);
    EXPECT_GT(countOf(types, EMR_FILLPATH), 0u);
    EXPECT_GT(inkedPixels(playInto(emf, QSize(80, 50))), 100);
}

TEST(EmfRecorder, WhatAMetafileCannotHoldBecomesABitmap) {
    struct Case {
        const char* name;
        Scene draw;
        uint32_t record;
    };
    const Case cases[] = {
        {"transparent colour",
         [](QPainter& p) { p.fillRect(QRectF(2, 2, 20, 20), QColor(255, 0, 0, 128)); }, EMR_ALPHABLEND},
        {"dense pattern",
         [](QPainter& p) { p.fillRect(QRectF(2, 2, 20, 20), QBrush(Qt::black, Qt::Dense3Pattern)); },
         EMR_ALPHABLEND},
        {"opaque image", [](QPainter& p) {
             QImage img(4, 4, QImage::Format_RGB32);
             img.fill(Qt::green);
             p.drawImage(QRectF(2, 2, 20, 20), img);
         }, EMR_STRETCHDIBITS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray emf = record(c.draw, QSizeF(24, 24));
        EXPECT_EQ(countOf(recordTypes(emf), c.record), 1u);
        EXPECT_TRUE(checkEmf(emf).ok) << checkEmf(emf).problem.toStdString();
        EXPECT_GE(agreement(drawDirect(c.draw, QSize(24, 24)), playInto(emf, QSize(24, 24))), 0.98);
    }
}

TEST(EmfRecorder, WhollyTransparentDrawingAddsNothing) {
    const Scene scene = [](QPainter& p) {
        p.fillRect(QRectF(0, 0, 400, 300), QColor(255, 255, 255, 0));  // a clear background
        p.setPen(QPen(QColor(0, 0, 0, 0), 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(10, 10, 50, 50));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(20, 20, 10, 10));
    };
    EmfRecorder rec;
    const QByteArray emf = record(scene, QSizeF(), &rec);
    const std::vector<uint32_t> types = recordTypes(emf);
    EXPECT_EQ(countOf(types, EMR_ALPHABLEND) + countOf(types, EMR_STRETCHDIBITS), 0u);
    ASSERT_EQ(rec.displayList().items.size(), 1u);
    // The frame follows the square alone, unless the size is given after.
    std::optional<EmfHeader> h = readEmfHeader(emf);
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->frame.right - h->frame.left, 265);  // 10 px
    rec.setSize(QSizeF(400, 300));
    h = readEmfHeader(rec.toEmf());
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->frame.left, 0);
    EXPECT_EQ(h->frame.right, 10583);  // 400 px
}
