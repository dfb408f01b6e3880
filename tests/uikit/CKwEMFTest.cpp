#include "uikit/CKwEMF.h"

#include "TestSupport.h"
#include "platform/Archive.h"
#include "platform/emf/EmfBytes.h"
#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfInfo.h"
#include "platform/emf/EmfRecorder.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>

#include <cmath>
#include <functional>
#include <limits>

namespace toliva {
namespace {

using test::ScratchFolder;
using test::writeFile;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;

// A metafile of a drawing with a frame of size pixels, padded with a comment
// to exactly padTo bytes when asked.
QByteArray recordEmf(QSizeF size, const std::function<void(QPainter&)>& draw, int padTo = 0) {
    emf::EmfRecorder rec(size);
    {
        QPainter p(&rec);
        draw(p);
    }
    QByteArray bytes = rec.toEmf();
    if (padTo > 0) {
        rec.addComment(QByteArray(int(padTo - bytes.size() - 12), 'p'));
        bytes = rec.toEmf();
    }
    return bytes;
}

// A recorded drawing of a filled frame. Without a size, padded to 300 bytes,
// so that it draws.
QByteArray filledEmf(QSizeF size, QColor colour, int padTo = 300) {
    return recordEmf(
        size, [&](QPainter& p) { p.fillRect(QRectF(QPointF(0, 0), size), colour); }, padTo);
}

// The records of a metafile without the background-mode and world-transform
// records, plus a comment of commentBytes bytes before the end when asked:
// a drawing smaller than the recorder makes.
QByteArray strippedEmf(const QByteArray& emf, int commentBytes) {
    emf::EmfRecordWalker walker(emf);
    const int headerSize = int(emf::ByteReader(reinterpret_cast<const uint8_t*>(emf.constData()), size_t(emf.size())).u32(4));
    QByteArray out = emf.left(headerSize);
    uint32_t type = 0;
    emf::ByteReader record(nullptr, 0);
    int records = 1;
    while (walker.next(&type, &record)) {
        if (type == emf::EMR_SETBKMODE || type == emf::EMR_SETWORLDTRANSFORM) continue;
        if (type == emf::EMR_EOF && commentBytes > 0) {
            emf::ByteWriter w(&out);
            w.u32(emf::EMR_COMMENT);
            w.u32(uint32_t(commentBytes));
            w.u32(uint32_t(commentBytes - 12));
            w.zeros(commentBytes - 12);
            ++records;
        }
        out.append(reinterpret_cast<const char*>(record.at(0)), qsizetype(record.size()));
        ++records;
    }
    emf::ByteWriter w(&out);
    w.patchU32(48, uint32_t(out.size()));
    w.patchU32(52, uint32_t(records));
    return out;
}

struct FieldRecord {
    int item, kind, type;
    float x, y, x2, y2;
};

// An ".apx" file: fields (with page bounds when there are any), then the
// metafile block.
QByteArray apx(const QByteArray& emf, float width, float height, const std::vector<FieldRecord>& fields = {},
               int count = -1) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(count >= 0 ? count : int(fields.size()));
    if (!fields.empty()) {
        for (float v : {1.0f, 2.0f, 300.0f, 200.0f}) ar.writeF32(v);
        for (const FieldRecord& f : fields) {
            ar.writeI32(f.item);
            ar.writeI32(f.kind);
            ar.writeI32(f.type);
            for (float v : {f.x, f.y, f.x2, f.y2}) ar.writeF32(v);
        }
    }
    ar.writeI32(int(emf.size()));
    ar.writeF32(1.0f);
    ar.writeF32(width);
    ar.writeF32(height);
    ar.writeBytes(emf.constData(), emf.size());
    return bytes;
}

void loadBytes(CKwEMF& pic, const QByteArray& bytes) {
    Archive ar(bytes);
    try {
        pic.Load(ar);
    } catch (const ArchiveException&) {
    }
}

QImage drawInto(const CKwEMF& pic, QSize size, const gp::RectF& rect) {
    QImage img(size, QImage::Format_ARGB32);
    img.fill(kWhite);
    gp::PainterGraphics g(&img);
    pic.Draw(g, rect);
    return img;
}

bool allPixels(const QImage& img, QRgb colour) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != colour) return false;
    return true;
}

TEST(CKwEMFTest, CountZeroOrBelowHasNoPageBounds) {
    const QByteArray emf = filledEmf({10, 10}, Qt::black);
    for (int count : {0, -3}) {
        SCOPED_TRACE(count);
        CKwEMF pic;
        loadBytes(pic, apx(emf, 10, 10, {}, count));
        EXPECT_EQ(pic.FieldCount(), 0);
        EXPECT_EQ(pic.pageBounds, gp::RectF());
        // The metafile block followed the count directly.
        EXPECT_EQ(pic.metafile, emf);
        EXPECT_EQ(pic.width, 10);
        EXPECT_TRUE(pic.IsDrawable());
    }
}

TEST(CKwEMFTest, FieldsGetHighlightAndVisibilityAndOptionPositions) {
    CKwEMF pic;
    loadBytes(pic, apx(filledEmf({10, 10}, Qt::black), 10, 10,
                       {{5, 3, 19, 1, 2, 3, 4}, {7, 3, 1, 0, 0, 1, 1}, {5, 3, 19, 5, 6, 7, 8}}));
    ASSERT_EQ(pic.FieldCount(), 3);
    EXPECT_EQ(pic.pageBounds, (gp::RectF{1, 2, 300, 200}));
    const PictureField& f = pic.fields[2];
    EXPECT_EQ(f.item, 5);
    EXPECT_EQ(f.kind, 3);
    EXPECT_EQ(f.type, 19);
    EXPECT_EQ(f.x, 5);
    EXPECT_EQ(f.y2, 8);
    for (const PictureField& field : pic.fields) {
        EXPECT_EQ(field.highlight, 0x33FF8000u);
        EXPECT_TRUE(field.visible);
        EXPECT_TRUE(field.text.isEmpty());
    }
    EXPECT_EQ(pic.OptionIndexOf(0), 0);
    EXPECT_EQ(pic.OptionIndexOf(1), 0);
    EXPECT_EQ(pic.OptionIndexOf(2), 1);
    EXPECT_EQ(pic.OptionIndexOf(3), -1);
    EXPECT_EQ(pic.OptionIndexOf(-1), -1);

    // Loading again replaces the fields.
    loadBytes(pic, apx(filledEmf({10, 10}, Qt::black), 10, 10));
    EXPECT_EQ(pic.FieldCount(), 0);
}

TEST(CKwEMFTest, MetafileOf256BytesOrLessLoadsButDrawsNothing) {
    // The same small drawing: alone (200 bytes), then grown by comments.
    const QByteArray drawing = filledEmf({10, 10}, Qt::black, 0);
    struct Case {
        int bytes;
        bool draws;
    };
    for (const Case& c : {Case{200, false}, Case{256, false}, Case{260, true}}) {
        SCOPED_TRACE(c.bytes);
        const QByteArray emf = strippedEmf(drawing, c.bytes - 200);
        ASSERT_TRUE(emf::readEmfHeader(emf).has_value());
        ASSERT_EQ(emf.size(), c.bytes);
        ScratchFolder dir;
        ASSERT_TRUE(writeFile(dir.file("p.apx"), apx(emf, 10, 10)));
        CKwEMF pic;
        EXPECT_TRUE(pic.LoadFile(dir.file("p.apx")));
        EXPECT_EQ(pic.byteCount, c.bytes);
        EXPECT_EQ(pic.IsDrawable(), c.draws);
        const QImage img = drawInto(pic, {10, 10}, {0, 0, 10, 10});
        EXPECT_EQ(img.pixel(5, 5), c.draws ? kBlack : kWhite);
    }
}

TEST(CKwEMFTest, ShortFileKeepsWhatWasRead) {
    const QByteArray emf = filledEmf({10, 10}, Qt::black, 400);
    const QByteArray whole = apx(emf, 10, 10, {{1, 3, 1, 0, 0, 1, 1}, {2, 3, 1, 0, 0, 1, 1}});
    const int fieldsStart = 4 + 16;
    const int blockStart = fieldsStart + 2 * CKwEMF::kFieldRecordBytes;
    struct Case {
        int cut;
        int fields;
        int metafileBytes;
    };
    const Case cases[] = {
        {2, 0, 0},                               // inside the count
        {fieldsStart + 10, 0, 0},                // inside the first record
        {fieldsStart + 40, 1, 0},                // inside the second record
        {blockStart + 8, 2, 0},                  // inside the block's header
        {blockStart + 16 + 150, 2, 150},         // inside the metafile bytes
        {int(whole.size()), 2, int(emf.size())}, // whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cut);
        ScratchFolder dir;
        ASSERT_TRUE(writeFile(dir.file("p.apx"), whole.left(c.cut)));
        CKwEMF pic;
        EXPECT_TRUE(pic.LoadFile(dir.file("p.apx")));
        EXPECT_EQ(pic.FieldCount(), c.fields);
        EXPECT_EQ(pic.metafile.size(), c.metafileBytes);
        EXPECT_EQ(pic.byteCount, c.metafileBytes);
    }
}

TEST(CKwEMFTest, CountsBeyondTheDataAreShortFiles) {
    // A field count and a byte count far beyond the data: the fields and
    // bytes that are there are kept, nothing more is reserved or read.
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(100000000);
    for (int i = 0; i < 4 + 7; ++i) ar.writeI32(1);
    CKwEMF pic;
    loadBytes(pic, bytes);
    EXPECT_EQ(pic.FieldCount(), 1);

    const QByteArray emf = filledEmf({10, 10}, Qt::black, 400);
    QByteArray block = apx(emf, 10, 10);
    block.replace(4, 4, QByteArray("\xff\xff\xff\x7f", 4));  // B = 2^31 - 1
    loadBytes(pic, block);
    EXPECT_EQ(pic.metafile, emf);
    EXPECT_TRUE(pic.IsDrawable());

    EXPECT_FALSE(pic.LoadFile(QStringLiteral("/nonexistent/p.apx")));
}

TEST(CKwEMFTest, WidePictureIsScaledAndCentredLeavingTopRowsUntouched) {
    CKwEMF pic;
    loadBytes(pic, apx(filledEmf({200, 100}, Qt::black), 200, 100));
    const QImage img = drawInto(pic, {100, 100}, {0, 0, 100, 100});
    for (int y : {0, 10, 24, 76, 99}) EXPECT_EQ(img.pixel(50, y), kWhite) << y;
    for (int y : {26, 50, 73}) EXPECT_EQ(img.pixel(50, y), kBlack) << y;
    EXPECT_EQ(img.pixel(0, 50), kBlack);
    EXPECT_EQ(img.pixel(99, 50), kBlack);
}

TEST(CKwEMFTest, UnusableSizesDrawNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float width, height;
        gp::RectF rect;
    };
    const Case cases[] = {
        {0, 10, {0, 0, 10, 10}},   {10, nan, {0, 0, 10, 10}}, {-10, 10, {0, 0, 10, 10}},
        {10, 10, {0, 0, 0, 10}},   {10, 10, {0, 0, 10, nan}}, {10, 10, {0, 0, inf, 10}},
        {10, 10, {nan, 0, 10, 10}}, {inf, 10, {0, 0, 10, 10}},
    };
    const QByteArray emf = filledEmf({10, 10}, Qt::black);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " " << c.height << " " << c.rect.width << " " << c.rect.height);
        CKwEMF pic;
        loadBytes(pic, apx(emf, c.width, c.height));
        EXPECT_TRUE(allPixels(drawInto(pic, {10, 10}, c.rect), kWhite));
        if (c.rect != gp::RectF{0, 0, 10, 10}) continue;
        // The cached bitmap of a picture without a usable size stays white.
        QImage target(10, 10, QImage::Format_ARGB32);
        target.fill(kWhite);
        QPainter p(&target);
        pic.DrawToDC(&p, QRect(0, 0, 10, 10));
        p.end();
        EXPECT_TRUE(allPixels(target, kWhite));
    }
}

TEST(CKwEMFTest, RenderCacheFollowsSizeAndReload) {
    ScratchFolder dir;
    ASSERT_TRUE(writeFile(dir.file("black.apx"), apx(filledEmf({10, 10}, Qt::black), 10, 10)));
    ASSERT_TRUE(writeFile(dir.file("red.apx"), apx(filledEmf({10, 10}, Qt::red), 10, 10)));
    CKwEMF pic;
    ASSERT_TRUE(pic.LoadFile(dir.file("black.apx")));
    EXPECT_TRUE(pic.CachedBitmap().isNull());

    QImage target(40, 40, QImage::Format_ARGB32);
    target.fill(kWhite);
    QPainter p(&target);
    pic.DrawToDC(&p, QRect(0, 0, 20, 20));
    const qint64 first = pic.CachedBitmap().cacheKey();
    EXPECT_EQ(pic.CachedBitmap().size(), QSize(20, 20));
    pic.DrawToDC(&p, QRect(10, 10, 20, 20));  // same size elsewhere: a hit
    EXPECT_EQ(pic.CachedBitmap().cacheKey(), first);
    pic.DrawToDC(&p, QRect(0, 0, 30, 30));  // new size: rendered again
    EXPECT_NE(pic.CachedBitmap().cacheKey(), first);
    EXPECT_EQ(pic.CachedBitmap().size(), QSize(30, 30));

    // A reload at the same size shows the new picture, not the cached one.
    ASSERT_TRUE(pic.LoadFile(dir.file("red.apx")));
    EXPECT_TRUE(pic.CachedBitmap().isNull());
    target.fill(kWhite);
    pic.DrawToDC(&p, QRect(0, 0, 30, 30));
    p.end();
    EXPECT_EQ(target.pixel(15, 15), kRed);
}

TEST(CKwEMFTest, DrawToDCKeepsTheBackgroundUnderWhite) {
    CKwEMF pic;
    loadBytes(pic, apx(recordEmf(
                           {10, 10}, [](QPainter& p) { p.fillRect(QRectF(3, 3, 4, 4), Qt::black); }, 300),
                       10, 10));
    const QRgb background = qRgb(200, 100, 50);
    QImage target(20, 20, QImage::Format_ARGB32);
    target.fill(background);
    QPainter p(&target);
    pic.DrawToDC(&p, QRect(0, 0, 20, 20));
    p.end();
    EXPECT_EQ(target.pixel(1, 1), background);
    EXPECT_EQ(target.pixel(18, 18), background);
    EXPECT_EQ(target.pixel(10, 10), kBlack);
}

TEST(CKwEMFTest, MetafileBlockStoresAsItWasRead) {
    const QByteArray whole = apx(filledEmf({12, 8}, Qt::black, 300), 12, 8);
    CKwEMF pic;
    loadBytes(pic, whole);
    QByteArray stored;
    Archive out(&stored, Archive::Store);
    out.writeI32(0);
    pic.SerializeMetafile(out);
    EXPECT_EQ(stored, whole);

    Archive storing(&stored, Archive::Store);
    try {
        pic.Load(storing);
        ADD_FAILURE() << "loading from a storing archive";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.cause(), ArchiveException::WrongMode);
    }
}

TEST(CKwEMFTest, PageBundleLoadsEveryPageAndStopsAtDamage) {
    const QByteArray page = apx(filledEmf({10, 10}, Qt::black, 300), 10, 10, {{1, 3, 1, 0, 0, 5, 5}});
    QByteArray bundle;
    Archive ar(&bundle, Archive::Store);
    ar.writeI32(3);
    for (const char* title : {"Display", "Keys", "Files"}) {
        ar.writeString(QString::fromLatin1(title));
        ar.writeBytes(page.constData(), page.size());
    }
    struct Case {
        QByteArray bytes;
        QStringList titles;
        int lastFields;
    };
    QByteArray manyPages = bundle;
    manyPages.replace(0, 4, QByteArray("\x00\x00\x00\x70", 4));
    const Case cases[] = {
        {bundle, {"Display", "Keys", "Files"}, 1},
        {bundle.left(bundle.size() - 100), {"Display", "Keys", "Files"}, 1},  // last page short
        {manyPages, {"Display", "Keys", "Files"}, 1},                          // count beyond the data
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        ASSERT_TRUE(writeFile(dir.file("pages.apg"), c.bytes));
        std::vector<std::unique_ptr<CKwEMF>> pages;
        QStringList titles;
        EXPECT_TRUE(LoadPageBundle(dir.file("pages.apg"), [&](const QString& title) {
            titles << title;
            pages.push_back(std::make_unique<CKwEMF>());
            return pages.back().get();
        }));
        EXPECT_EQ(titles, c.titles);
        ASSERT_FALSE(pages.empty());
        EXPECT_EQ(pages.back()->FieldCount(), c.lastFields);
        EXPECT_TRUE(pages.front()->IsDrawable());
    }
    EXPECT_FALSE(LoadPageBundle(QStringLiteral("/nonexistent/pages.apg"), [](const QString&) { return nullptr; }));
}

TEST(CKwEMFTest, FileNamesAreFoundWithoutRegardToCase) {
    ScratchFolder dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("icons/Menu"));
    ASSERT_TRUE(writeFile(dir.file("icons/Menu/Edit.apx"), apx(filledEmf({10, 10}, Qt::black, 300), 10, 10)));
    CKwEMF pic;
    EXPECT_TRUE(pic.LoadFile(dir.file("icons/menu/edit.apx")));
    EXPECT_TRUE(pic.IsDrawable());
    EXPECT_EQ(ResolvePathIgnoringCase(dir.file("ICONS/menu/EDIT.apx")), dir.file("icons/Menu/Edit.apx"));
    EXPECT_EQ(ResolvePathIgnoringCase(dir.file("icons/menu/none.apx")), dir.file("icons/menu/none.apx"));
}

TEST(CKwEMFTest, RoundRectPathRunsClockwiseFromTheTopLeftArc) {
    gp::GraphicsPath path;
    CKwEMF::AddRoundRectPath(path, QRect(10, 20, 100, 50), 5);
    const gp::RectF bounds = path.GetBounds();
    EXPECT_NEAR(bounds.x, 10, 1e-4);
    EXPECT_NEAR(bounds.y, 20, 1e-4);
    EXPECT_NEAR(bounds.width, 100, 1e-4);
    EXPECT_NEAR(bounds.height, 50, 1e-4);
    ASSERT_GT(path.GetPointCount(), 4);
    EXPECT_NEAR(path.points().front().x, 10, 1e-4);  // 180 degrees of the top-left arc
    EXPECT_NEAR(path.points().front().y, 25, 1e-4);
    EXPECT_TRUE(path.types().back() & gp::PathPointTypeCloseSubpath);
}

}  // namespace
}  // namespace toliva
