#include "uikit/CKwEMF_GPL.h"

#include "TestSupport.h"
#include "platform/Archive.h"
#include "platform/HostAddress.h"
#include "platform/emf/EmfRecorder.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "uikit/CKwPGL.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace toliva {
namespace {

using test::ScratchFolder;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kPaper = 0xFFF0F0F0;  // the synthetic page's own colour
constexpr QRgb kBlue = 0xFF3232C8;
constexpr int kPointSize = 25;

struct FieldRecord {
    int item, kind, type;
    float x, y, x2, y2;
};

// A page picture: a frame of width x height filled with kPaper, padded so
// that it is large enough to draw.
QByteArray paperEmf(float width, float height) {
    emf::EmfRecorder rec(QSizeF(width, height));
    {
        QPainter p(&rec);
        p.fillRect(QRectF(0, 0, width, height), QColor::fromRgba(kPaper));
    }
    rec.addComment(QByteArray(400, 'p'));
    return rec.toEmf();
}

// An ".apx" file of a page with these bounds and fields.
QByteArray pageFile(const gp::RectF& bounds, const std::vector<FieldRecord>& fields) {
    // The picture has the bounds' size; bounds without a usable size get a
    // picture of the usual one.
    const float w = bounds.width > 0 ? bounds.width : 400, h = bounds.height > 0 ? bounds.height : 300;
    const QByteArray emf = paperEmf(w, h);
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(int(fields.size()));
    if (!fields.empty()) {
        for (float v : {bounds.x, bounds.y, bounds.width, bounds.height}) ar.writeF32(v);
        for (const FieldRecord& f : fields) {
            ar.writeI32(f.item);
            ar.writeI32(f.kind);
            ar.writeI32(f.type);
            for (float v : {f.x, f.y, f.x2, f.y2}) ar.writeF32(v);
        }
    }
    ar.writeI32(int(emf.size()));
    ar.writeF32(1.0f);
    ar.writeF32(w);
    ar.writeF32(h);
    ar.writeBytes(emf.constData(), emf.size());
    return bytes;
}

// Writes the page to a file and reads it back the way the grid does.
void loadPage(CKwEMF_GPL& page, const gp::RectF& bounds, const std::vector<FieldRecord>& fields) {
    ScratchFolder folder;
    const QString path = folder.file(QStringLiteral("010Page.apx"));
    ASSERT_TRUE(test::writeFile(path, pageFile(bounds, fields)));
    ASSERT_TRUE(page.LoadFile(path));
    ASSERT_EQ(page.FieldCount(), int(fields.size()));
}

// Bounds 400 x 300 and a reference text field 28 high: at point size 25 one
// page unit is one pixel, and drawn into a 400 x 300 image the page covers it.
const gp::RectF kBounds{0, 0, 400, 300};
const FieldRecord kReference{1, 3, 1, 10, 10, 390, 38};

QImage render(CKwEMF_GPL& page, const CKwPGL* list, int selected = -1, QSize size = QSize(400, 300)) {
    QImage img(size, QImage::Format_ARGB32);
    img.fill(kWhite);
    gp::PainterGraphics g(&img);
    page.DrawPage(g, gp::RectF{0, 0, float(size.width()), float(size.height())}, list, 0, selected);
    return img;
}

void setText(CKwPGL& list, int item, const QString& text) { ParseItemValue(*list.GetOrAddItem(0, item), text); }

int countPixels(const QImage& img, const QRect& area, const std::function<bool(QRgb)>& test) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(img.pixel(x, y))) ++n;
    return n;
}

bool near(QRgb a, QRgb b, int tolerance = 2) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

bool isInk(QRgb c) { return qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128; }

::testing::AssertionResult pixelIs(const QImage& img, int x, int y, QRgb expected, int tolerance = 2) {
    const QRgb got = img.pixel(x, y);
    if (near(got, expected, tolerance)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", expected "
                                         << expected;
}

// ---- layout

TEST(PagePainterLayout, FieldsAreMappedByTheReferenceScaleAndCentred) {
    // Bounds start at (5, 10); the reference is 14 units high, so at point
    // size 25 the scale is 1.12 x 25 / 14 = 2. The page (800 x 600) is
    // centred in 1000 x 800 at (100, 100).
    CKwEMF_GPL page(kPointSize);
    loadPage(page, {5, 10, 400, 300},
             {{1, 3, 1, 15, 30, 55, 44},      // text, the reference
              {1, 3, 39, 60, 31, 70, 43},     // its button: lined up with the box
              {1, 3, 39, 75, 31, 85, 43},     // the next button of the run too
              {2, 3, 39, 90, 31, 100, 43},    // another item's button: left as it is
              {3, 7, 4, 15, 100, 25, 110}});  // kind 7: laid out as well
    QImage img(1000, 800, QImage::Format_ARGB32);
    img.fill(kWhite);
    gp::PainterGraphics g(&img);
    EXPECT_EQ(page.DrawAndLayout(g, {0, 0, 1000, 800}), 5);

    EXPECT_EQ(page.PageRect(), (gp::RectF{100, 100, 800, 600}));
    const gp::RectF expected[] = {{120, 140, 80, 28},
                                  {210, 140, 20, 28},
                                  {240, 140, 20, 28},
                                  {270, 142, 20, 24},
                                  {120, 280, 20, 20}};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(page.fields[size_t(i)].laidOut, expected[i]) << "field " << i;
    // The page picture lies under the layout.
    EXPECT_TRUE(pixelIs(img, 500, 400, kPaper));
    EXPECT_TRUE(pixelIs(img, 50, 400, kWhite));
}

TEST(PagePainterLayout, OptionAndFontReferencesCountAShareOfTheirHeight) {
    for (int type : {9, 11}) {
        CKwEMF_GPL page(kPointSize);
        loadPage(page, kBounds, {{1, 3, type, 0, 0, 40, 10}});
        gp::RecordingGraphics g;
        ASSERT_EQ(page.DrawAndLayout(g, {0, 0, 4000, 4000}), 1) << type;
        const float e = 1.12f * kPointSize / 2.85f;
        EXPECT_NEAR(page.fields[0].laidOut.height, 10 * e, 1e-3) << type;
        EXPECT_NEAR(page.PageRect().width, 400 * e, 1e-2) << type;
    }
}

TEST(PagePainterLayout, PointSizeToFitMakesThePageAsLargeAsFits) {
    // A 400 x 300 page with a 28-unit reference line; the narrower side of
    // the rectangle decides, and the page then fills that side.
    for (int type : {1, 9}) {
        CKwEMF_GPL page(kPointSize);
        loadPage(page, kBounds, {{1, 3, type, 10, 10, 390, 38}});
        const gp::RectF rect{0, 0, 200, 400};
        const float line = type == 9 ? 28 * 0.285f : 28;
        EXPECT_NEAR(page.PointSizeToFit(rect), 0.5f * line / 1.12f, 1e-4) << type;
        page.SetPointSize(page.PointSizeToFit(rect));
        gp::RecordingGraphics g;
        ASSERT_EQ(page.DrawAndLayout(g, rect), 1) << type;
        EXPECT_NEAR(page.PageRect().width, 200, 1e-3) << type;
        EXPECT_NEAR(page.PageRect().y, 125, 1e-3) << type;
    }
    // Nothing to scale by.
    CKwEMF_GPL flat(kPointSize);
    loadPage(flat, kBounds, {{1, 3, 1, 10, 10, 390, 10}});
    EXPECT_EQ(flat.PointSizeToFit({0, 0, 200, 400}), 0);
    EXPECT_EQ(flat.PointSizeToFit({0, 0, 0, 400}), 0);
}

TEST(PagePainterLayout, ButtonsOffTheRowKeepTheirPlace) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {{1, 3, 10, 10, 10, 100, 38}, {1, 3, 39, 110, 40, 130, 60}});
    gp::RecordingGraphics g;
    ASSERT_EQ(page.DrawAndLayout(g, {0, 0, 400, 300}), 2);
    EXPECT_EQ(page.fields[1].laidOut, (gp::RectF{110, 40, 20, 20}));
}

// Sizes that leave no scale: nothing is drawn and nothing laid out.
TEST(PagePainterLayout, UnusableSizesDrawNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        int pointSize;
        gp::RectF bounds;
        gp::RectF rect;
    } cases[] = {
        {"point size 0", 0, kBounds, {0, 0, 400, 300}},
        {"negative point size", -3, kBounds, {0, 0, 400, 300}},
        {"rectangle without width", kPointSize, kBounds, {0, 0, 0, 300}},
        {"rectangle of NaN height", kPointSize, kBounds, {0, 0, 400, nan}},
        {"page without height", kPointSize, {0, 0, 400, 0}, {0, 0, 400, 300}},
        {"page of NaN width", kPointSize, {0, 0, nan, 300}, {0, 0, 400, 300}},
    };
    for (const Case& c : cases) {
        CKwEMF_GPL page(c.pointSize);
        loadPage(page, c.bounds, {kReference, {2, 3, 4, 10, 50, 40, 78}});
        CKwPGL list;
        setText(list, 1, QStringLiteral("255"));
        QImage img(400, 300, QImage::Format_ARGB32);
        img.fill(kWhite);
        gp::PainterGraphics g(&img);
        EXPECT_EQ(page.DrawAndLayout(g, c.rect), 0) << c.name;
        EXPECT_FALSE(page.IsLaidOut()) << c.name;
        EXPECT_EQ(page.fields[1].laidOut, gp::RectF()) << c.name;
        page.DrawPage(g, c.rect, &list, 0, -1);
        EXPECT_EQ(countPixels(img, img.rect(), [](QRgb p) { return p != kWhite; }), 0) << c.name;
    }
}

TEST(PagePainterLayout, ReferenceWithoutHeightDrawsThePlainPicture) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {{1, 3, 1, 10, 20, 390, 20}, {2, 3, 4, 10, 50, 40, 78}});
    CKwPGL list;
    setText(list, 1, QStringLiteral("255"));
    const QImage img = render(page, &list);
    EXPECT_FALSE(page.IsLaidOut());
    EXPECT_EQ(page.fields[1].laidOut, gp::RectF());
    EXPECT_TRUE(pixelIs(img, 200, 150, kPaper));
    EXPECT_TRUE(pixelIs(img, 25, 64, kPaper));  // the colour field is not painted
}

TEST(PagePainterLayout, PageWithoutFieldsIsAPlainPicture) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {});
    const QImage img = render(page, nullptr, -1, QSize(800, 300));
    // Fitted, not scaled by a reference: 400 x 300 centred in 800 x 300.
    EXPECT_TRUE(pixelIs(img, 400, 150, kPaper));
    EXPECT_TRUE(pixelIs(img, 150, 150, kWhite));
    EXPECT_FALSE(page.IsLaidOut());
}

// ---- field painting

TEST(PagePainterFields, CheckBoxShowsATickOrNone) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {kReference, {2, 3, 21, 10, 50, 40, 80}, {3, 3, 21, 60, 50, 90, 80}});
    CKwPGL list;
    setText(list, 1, QStringLiteral("1"));
    setText(list, 2, QStringLiteral("0"));
    const QImage img = render(page, &list);
    const QRect checked(14, 54, 22, 22), unchecked(64, 54, 22, 22);
    auto blue = [](QRgb p) { return near(p, kBlue, 8); };
    auto white = [](QRgb p) { return near(p, kWhite, 8); };
    EXPECT_GT(countPixels(img, checked, blue), 150);
    EXPECT_GT(countPixels(img, checked, white), 20);      // the tick
    EXPECT_TRUE(pixelIs(img, 10 + 12, 50 + 21, kWhite, 8));  // on the tick's lower corner
    EXPECT_EQ(countPixels(img, unchecked, blue), 0);
    EXPECT_EQ(countPixels(img, unchecked, white), unchecked.width() * unchecked.height());
}

TEST(PagePainterFields, ColourBoxesShowTheirValues) {
    struct Case {
        int type;
        const char* value;
        QRgb expected;
    } cases[] = {
        {4, "255", 0xFFFF0000},         // COLORREF red: red and blue swap places
        {4, "16711680", 0xFF0000FF},    // COLORREF blue
        {4, "1193046", 0xFF563412},     // 0x123456
        {14, "#FF00FF00", 0xFF00FF00},  // ARGB opaque green
        {14, "#80FF0000", 0xFFFF7F7F},  // ARGB half red over white
        {14, "#00000000", kWhite},      // fully transparent: the white box
    };
    for (const Case& c : cases) {
        CKwEMF_GPL page(kPointSize);
        loadPage(page, kBounds, {kReference, {2, 3, c.type, 10, 50, 110, 80}});
        CKwPGL list;
        setText(list, 1, QString::fromLatin1(c.value));
        const QImage img = render(page, &list);
        EXPECT_TRUE(pixelIs(img, 95, 65, c.expected)) << c.type << " " << c.value;
    }
}

TEST(PagePainterFields, HiddenArgbFieldAndOtherKindsAreNotPainted) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {kReference, {2, 3, 14, 10, 50, 110, 80}, {2, 7, 4, 10, 100, 110, 130}});
    page.fields[1].visible = false;
    CKwPGL list;
    setText(list, 1, QStringLiteral("255"));
    const QImage img = render(page, &list);
    EXPECT_TRUE(pixelIs(img, 95, 65, kPaper));
    EXPECT_TRUE(pixelIs(img, 95, 115, kPaper));
}

TEST(PagePainterFields, OptionMarksFollowTheChoice) {
    // Three round options of item 2 and two square ones of item 3; the
    // choices pick the second round and the first square one.
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds,
             {kReference,
              {2, 3, 19, 10, 50, 40, 80},
              {2, 3, 19, 60, 50, 90, 80},
              {2, 3, 19, 110, 50, 140, 80},
              {3, 3, 9, 10, 100, 60, 150},
              {3, 3, 9, 80, 100, 130, 150}});
    CKwPGL list;
    list.GetOrAddItem(0, 2);
    list.SetItemChoice(0, 1, 1);
    list.SetItemChoice(0, 2, 0);
    const QImage img = render(page, &list);
    EXPECT_TRUE(pixelIs(img, 25, 65, kWhite));
    EXPECT_TRUE(pixelIs(img, 75, 65, kBlue));
    EXPECT_TRUE(pixelIs(img, 125, 65, kWhite));
    // The dot is 0.22 x the point size across.
    EXPECT_TRUE(pixelIs(img, 75 + 4, 65, kWhite, 40));
    // The chosen square is framed in blue over its tinted picture.
    EXPECT_TRUE(pixelIs(img, 11, 125, kBlue, 40));
    EXPECT_FALSE(near(img.pixel(35, 125), kPaper));
    EXPECT_TRUE(pixelIs(img, 105, 125, kPaper));
}

TEST(PagePainterFields, FillStyleTakesTheColoursOfTheThreeFieldsBefore) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds,
             {kReference,
              {2, 7, 14, 10, 50, 40, 80},
              {3, 7, 14, 60, 50, 90, 80},
              {4, 7, 14, 110, 50, 140, 80},
              {5, 3, 26, 10, 100, 110, 150}});
    CKwPGL list;
    setText(list, 1, QStringLiteral("#FF00C000"));
    setText(list, 2, QStringLiteral("#FFFFFF00"));
    setText(list, 3, QStringLiteral("#FF0000FF"));
    setText(list, 4, QString());
    list.SetItemChoice(0, 4, 1);
    QImage img = render(page, &list);
    EXPECT_TRUE(pixelIs(img, 60, 125, 0xFF00C000));
    list.SetItemChoice(0, 4, 2);  // hatch 0: horizontal lines of c0 on c1
    img = render(page, &list);
    EXPECT_GT(countPixels(img, QRect(20, 110, 80, 30), [](QRgb p) { return near(p, 0xFF00C000); }), 0);
    EXPECT_GT(countPixels(img, QRect(20, 110, 80, 30), [](QRgb p) { return near(p, 0xFFFFFF00); }), 0);
}

TEST(PagePainterFields, FillStyleNearThePageStartHasNoFieldsBefore) {
    // The reference itself is a fill-style field: its colours come from no
    // field and paint nothing visible.
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {{1, 3, 26, 10, 10, 110, 38}, {2, 3, 26, 10, 50, 110, 80}});
    CKwPGL list;
    list.GetOrAddItem(0, 1);
    list.SetItemChoice(0, 0, 1);
    list.SetItemChoice(0, 1, 1);
    const QImage img = render(page, &list);
    EXPECT_TRUE(pixelIs(img, 60, 24, kPaper));
}

TEST(PagePainterFields, TextBoxesWrapOnlyWhenTallerThanTheRule) {
    EXPECT_TRUE(CKwEMF_GPL::IsMultiLineBox(45.5f, 25));
    EXPECT_FALSE(CKwEMF_GPL::IsMultiLineBox(45, 25));
    EXPECT_FALSE(CKwEMF_GPL::IsMultiLineBox(28, 25));

    const QString text = QStringLiteral("alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi");
    CKwEMF_GPL page(kPointSize);
    // A wide box of 44 pixels holds two lines of text but stays a one-line
    // box; a narrow box of 90 pixels wraps.
    loadPage(page, kBounds, {kReference, {2, 3, 1, 10, 50, 390, 94}, {3, 3, 1, 10, 110, 150, 200}});
    CKwPGL list;
    setText(list, 1, text);
    setText(list, 2, text);
    const QImage img = render(page, &list);
    const float line = page.TextFont().GetHeight();
    ASSERT_GT(line, 10);
    const int firstLineEnd = 50 + 3 + int(std::ceil(line)) + 1;
    EXPECT_GT(countPixels(img, QRect(14, 53, 370, firstLineEnd - 53), isInk), 50);
    EXPECT_EQ(countPixels(img, QRect(14, firstLineEnd, 370, 92 - firstLineEnd), isInk), 0);
    const int secondLine = 110 + 3 + int(std::ceil(line)) + 1;
    EXPECT_GT(countPixels(img, QRect(14, secondLine, 120, 198 - secondLine), isInk), 50);
    // The scroll bar's room at the right stays clear.
    EXPECT_EQ(countPixels(img, QRect(134, 112, 14, 86), isInk), 0);
}

TEST(PagePainterFields, FontFieldShowsFaceAndSizeWithItsColourSwatch) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {kReference, {2, 3, 11, 10, 50, 300, 80}});
    CKwPGL list;
    list.GetOrAddItem(0, 1);
    list.SetItemValue(0, 1, QStringLiteral("Consolas"), 14, kFontBold, 0x0000FF);
    const QImage img = render(page, &list);
    const QRect swatch = page.fields[1].hitArea;
    ASSERT_FALSE(swatch.isEmpty());
    EXPECT_TRUE(QRect(10, 50, 290, 30).contains(swatch));
    EXPECT_TRUE(pixelIs(img, swatch.center().x(), swatch.center().y(), 0xFFFF0000));
    EXPECT_GT(countPixels(img, QRect(14, 54, swatch.left() - 18, 22), isInk), 30);
}

TEST(PagePainterFields, CaretMarksTheSelectedField) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {kReference, {2, 3, 4, 10, 50, 110, 80}});
    CKwPGL list;
    setText(list, 1, QStringLiteral("16777215"));
    EXPECT_TRUE(pixelIs(render(page, &list, 1), 12, 65, kBlue, 40));
    EXPECT_TRUE(pixelIs(render(page, &list, -1), 12, 65, kWhite));
}

TEST(PagePainterFields, PreviewLineFillsTheLastFieldBox) {
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {kReference, {2, 7, 5, 10, 200, 390, 260}});
    QImage img(400, 300, QImage::Format_ARGB32);
    img.fill(kWhite);
    gp::PainterGraphics g(&img);
    page.DrawPage(g, {0, 0, 400, 300}, nullptr, 0, -1);
    page.DrawPreviewLine(g, QString());
    EXPECT_TRUE(pixelIs(img, 20, 210, kPaper));
    page.DrawPreviewLine(g, QStringLiteral("(1.1)"));
    EXPECT_TRUE(pixelIs(img, 20, 210, kWhite));
    // The text stands on the box's middle line, centred across.
    EXPECT_GT(countPixels(img, QRect(150, 205, 100, 25), isInk), 30);
    EXPECT_EQ(countPixels(img, QRect(11, 238, 378, 21), isInk), 0);
    EXPECT_EQ(countPixels(img, QRect(11, 201, 100, 58), isInk), 0);
}

// ---- the address placeholder

TEST(PagePainterAddress, PlaceholderIsExpandedOncePerLoad) {
    int calls = 0;
    ScopedHostIPv4Resolver resolver([&] {
        ++calls;
        return QStringLiteral("192.0.2.7");
    });
    EXPECT_EQ(CKwEMF_GPL::ExpandIPv4Placeholder(QStringLiteral("@ipv4x")), QStringLiteral("@ipv4x"));
    EXPECT_EQ(calls, 0);

    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {kReference, {2, 3, 2, 10, 50, 300, 78}});
    CKwPGL list;
    setText(list, 1, QStringLiteral("@IPv4"));
    const QImage img = render(page, &list);
    render(page, &list);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(page.fields[1].text, QStringLiteral("192.0.2.7"));
    EXPECT_TRUE(pixelIs(img, 290, 64, 0xFFBBBBBB));  // read-only fill
    EXPECT_GT(countPixels(img, QRect(14, 53, 200, 24), isInk), 30);
}

TEST(PagePainterAddress, FailedLookupShowsNothing) {
    int calls = 0;
    ScopedHostIPv4Resolver resolver([&] {
        ++calls;
        return QString();
    });
    CKwEMF_GPL page(kPointSize);
    loadPage(page, kBounds, {kReference, {2, 3, 2, 10, 50, 300, 78}});
    CKwPGL list;
    setText(list, 1, QStringLiteral("@IPv4"));
    const QImage img = render(page, &list);
    render(page, &list);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(page.fields[1].text.isEmpty());
    EXPECT_EQ(countPixels(img, QRect(14, 53, 280, 22), isInk), 0);
}

TEST(PagePainterAddress, SystemLookup) {
    EXPECT_EQ(ResolveIPv4(QByteArrayLiteral("localhost")), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(ResolveIPv4(QByteArray()).isEmpty());
    EXPECT_TRUE(ResolveIPv4(QByteArray("a\0b", 3)).isEmpty());
}

// ---- fill styles

class FillStyleTest : public ::testing::Test {
protected:
    static constexpr gp::ARGB kC0 = 0xFFC00000;
    static constexpr gp::ARGB kC1 = 0xFF0000C0;
    static constexpr gp::ARGB kC2 = 0xFF00C000;

    QImage fill(int style) {
        QImage img(64, 64, QImage::Format_ARGB32);
        img.fill(kWhite);
        gp::PainterGraphics g(&img);
        gp::GraphicsPath path;
        path.AddRectangle({8, 8, 48, 48});
        CKwEMF_GPL::FillPathWithStyle(kC0, kC1, kC2, g, path, style);
        return img;
    }
};

TEST_F(FillStyleTest, CodesWithoutAFillDrawNothing) {
    for (int style : {0, -1, 60, 1000}) {
        const QImage img = fill(style);
        EXPECT_EQ(countPixels(img, img.rect(), [](QRgb p) { return p != kWhite; }), 0) << style;
    }
}

TEST_F(FillStyleTest, SolidAndHatch) {
    const QImage solid = fill(1);
    EXPECT_EQ(countPixels(solid, QRect(8, 8, 48, 48), [](QRgb p) { return p == kC0; }), 48 * 48);
    EXPECT_TRUE(pixelIs(solid, 4, 4, kWhite));

    // Style 2 is the horizontal hatch: one row of c0 in every eight, on c1.
    const QImage hatch = fill(2);
    for (int y = 8; y < 56; ++y) {
        const QRgb expected = y % 8 == 0 ? kC0 : kC1;
        EXPECT_EQ(countPixels(hatch, QRect(8, y, 48, 1), [&](QRgb p) { return p == expected; }), 48) << y;
    }
    // The last hatch (code 54) is the solid diamond.
    const QImage diamond = fill(54);
    EXPECT_GT(countPixels(diamond, QRect(8, 8, 48, 48), [](QRgb p) { return p == kC0; }), 0);
    EXPECT_GT(countPixels(diamond, QRect(8, 8, 48, 48), [](QRgb p) { return p == kC1; }), 0);
}

TEST_F(FillStyleTest, GradientsRunBetweenTheirColours) {
    // Horizontal: c0 at the left, c1 at 0.618 of the width, c2 at the right.
    const QImage across = fill(55);
    EXPECT_TRUE(pixelIs(across, 8, 30, kC0, 12));
    EXPECT_TRUE(pixelIs(across, 8 + int(48 * 0.618), 30, kC1, 12));
    EXPECT_TRUE(pixelIs(across, 55, 30, kC2, 12));
    // Vertical: the same from the top down.
    const QImage down = fill(56);
    EXPECT_TRUE(pixelIs(down, 30, 8, kC0, 12));
    EXPECT_TRUE(pixelIs(down, 30, 55, kC2, 12));
    // Radial and path gradients: c1 in the middle, c0 towards the edge.
    for (int style : {58, 59}) {
        const QImage img = fill(style);
        EXPECT_TRUE(pixelIs(img, 32, 32, kC1, 12)) << style;
        EXPECT_TRUE(pixelIs(img, 4, 4, kWhite)) << style;
        EXPECT_GT(qRed(img.pixel(9, 9)), qRed(img.pixel(32, 32))) << style;
    }
}

}  // namespace
}  // namespace toliva
