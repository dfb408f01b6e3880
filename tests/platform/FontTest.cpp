// Fonts and text of the drawing layer. Expected lengths come from the font
// files' own tables: Liberation Serif (the "Times New Roman" stand-in) has
// 2048 units per em, Windows ascent 1825 and descent 443, hhea ascent 1825,
// descent -443 and line gap 87; 'A' advances 1479 units and 'g' 1024.
#include "platform/Folders.h"
#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/FontMap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <vector>

using namespace toliva;
using namespace toliva::gp;

namespace {

constexpr float kTnrEm = 2048;
constexpr float kTnrAscent = 1825;
constexpr float kTnrLineSpacing = 1825 + 443 + 87;
constexpr float kTnrAdvanceA = 1479;
constexpr float kTnrAdvanceG = 1024;

FontFamily mathFamily() {
    PrivateFontCollection collection;
    collection.AddFontFile(programFolder() + "Fonts/N_00/Toliva.ttf");
    collection.AddFontFile(programFolder() + "Fonts/N_00/Tolivai.ttf");
    return collection.GetFamily(0);
}

// Bounds of the pixels that are not white.
QRect inkedPixels(const QImage& image) {
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != 0xFFFFFFFFu) r |= QRect(x, y, 1, 1);
    return r;
}

}  // namespace

TEST(FontFamily, EveryMappedNameIsAvailableAndUnknownNamesFail) {
    for (const FontMapRow& row : InstalledFamilyRows()) {
        const QString name = QString::fromUtf8(row.name);
        const FontFamily family(name);
        EXPECT_TRUE(family.IsAvailable()) << name.toStdString();
        EXPECT_EQ(family.GetLastStatus(), Ok);
        EXPECT_EQ(family.GetFamilyName(), name);
        EXPECT_TRUE(family.IsStyleAvailable(row.style)) << name.toStdString();
    }
    EXPECT_EQ(FontFamily("times new roman").GetFamilyName(), "Times New Roman");
    // No stand-in for a name nobody has, and none for the private math family.
    for (const char* name : {"No Such Family 123", "Toliva", ""}) {
        const FontFamily family(QString::fromUtf8(name));
        EXPECT_FALSE(family.IsAvailable()) << name;
        EXPECT_EQ(family.GetLastStatus(), FontFamilyNotFound) << name;
        EXPECT_EQ(family.GetEmHeight(FontStyleRegular), 0);
    }
    const Font font(FontFamily("No Such Family 123"), 12);
    EXPECT_EQ(font.GetLastStatus(), FontFamilyNotFound);
}

TEST(FontFamily, CellMetricsFollowTheOs2AndHheaTables) {
    const FontFamily tnr("Times New Roman");
    for (int style : {FontStyleRegular, FontStyleBold, FontStyleItalic, FontStyleBoldItalic}) {
        EXPECT_EQ(tnr.GetEmHeight(style), kTnrEm);
        EXPECT_EQ(tnr.GetCellAscent(style), kTnrAscent);
        EXPECT_EQ(tnr.GetCellDescent(style), 443);
        EXPECT_EQ(tnr.GetLineSpacing(style), kTnrLineSpacing);
    }
    // STIX General: 1000 per em, Windows ascent 1055 and descent 455, no gap.
    const FontFamily math = mathFamily();
    EXPECT_EQ(math.GetEmHeight(FontStyleRegular), 1000);
    EXPECT_EQ(math.GetLineSpacing(FontStyleRegular), 1055 + 455);
    EXPECT_NEAR(Font(tnr, 100).GetHeight(), kTnrLineSpacing / kTnrEm * 100, 1e-4);
}

TEST(PrivateFontCollection, ProgramFilesTakeTheirMappedFamilyName) {
    PrivateFontCollection collection;
    const QString folder = programFolder() + "Fonts/N_10/";
    EXPECT_EQ(collection.AddFontFile(folder + "Missing.ttf"), FileNotFound);
    EXPECT_EQ(collection.GetFamilyCount(), 0);
    EXPECT_FALSE(collection.GetFamily(0).IsAvailable());
    for (const char* name : {"Tolivai.ttf", "Toliva.ttf", "Tolivab.ttf", "Tolivabi.ttf"})
        EXPECT_EQ(collection.AddFontFile(folder + name), Ok) << name;
    ASSERT_EQ(collection.GetFamilyCount(), 1);
    const FontFamily family = collection.GetFamily(0);
    EXPECT_EQ(family.GetFamilyName(), "Toliva");
    for (int style : {FontStyleRegular, FontStyleBold, FontStyleItalic, FontStyleBoldItalic})
        EXPECT_TRUE(family.IsStyleAvailable(style)) << style;

    // A file from elsewhere keeps its own family name, as a second family.
    const std::vector<const FontMapRow*> rows = FindFamilyRows("Times New Roman");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(collection.AddFontFile(QString::fromUtf8(rows.front()->file)), Ok);
    ASSERT_EQ(collection.GetFamilyCount(), 2);
    EXPECT_EQ(collection.GetFamily(1).GetFamilyName(), "Liberation Serif");
}

TEST(MeasureString, BoxIsLineSpacingHighAndPaddedAdvanceWide) {
    RecordingGraphics g;
    const Font font(FontFamily("Times New Roman"), 100);
    ASSERT_TRUE(font.IsAvailable());
    const float width = (kTnrAdvanceA + kTnrAdvanceG) / kTnrEm * 100 + 2 * 100 / 6.0f;
    const float height = kTnrLineSpacing / kTnrEm * 100;

    struct Case {
        StringAlignment align;
        StringAlignment lineAlign;
        RectF layout;
        float wantX;
        float wantY;
    };
    const Case cases[] = {
        // A layout rectangle without size aligns to its corner as to a point.
        {StringAlignmentNear, StringAlignmentNear, {10, 20, 0, 0}, 10, 20},
        {StringAlignmentCenter, StringAlignmentNear, {10, 20, 0, 0}, 10 - width / 2, 20},
        {StringAlignmentFar, StringAlignmentFar, {10, 20, 0, 0}, 10 - width, 20 - height},
        // Inside a rectangle of size.
        {StringAlignmentCenter, StringAlignmentCenter, {10, 20, 400, 300}, 10 + (400 - width) / 2,
         20 + (300 - height) / 2},
        {StringAlignmentFar, StringAlignmentNear, {10, 20, 400, 300}, 10 + 400 - width, 20},
    };
    for (const Case& c : cases) {
        StringFormat format;
        format.SetAlignment(c.align);
        format.SetLineAlignment(c.lineAlign);
        RectF box;
        ASSERT_EQ(g.MeasureString("Ag", font, c.layout, format, &box), Ok);
        EXPECT_NEAR(box.x, c.wantX, 1e-3);
        EXPECT_NEAR(box.y, c.wantY, 1e-3);
        EXPECT_NEAR(box.width, width, 1e-3);
        EXPECT_NEAR(box.height, height, 1e-3);
    }

    // A new format centres across and sits at the top.
    StringFormat format;
    EXPECT_EQ(format.GetAlignment(), StringAlignmentCenter);
    EXPECT_EQ(format.GetLineAlignment(), StringAlignmentNear);

    // Trailing spaces count only when asked for; every line adds a line spacing.
    RectF plain;
    RectF spaced;
    RectF trailing;
    RectF twoLines;
    g.MeasureString("A", font, {}, format, &plain);
    g.MeasureString("A  ", font, {}, format, &spaced);
    g.MeasureString("A  ", font, {}, StringFormat(StringFormatFlagsMeasureTrailingSpaces), &trailing);
    g.MeasureString("A\nA", font, {}, format, &twoLines);
    EXPECT_FLOAT_EQ(spaced.width, plain.width);
    EXPECT_GT(trailing.width, plain.width + 10);
    EXPECT_FLOAT_EQ(twoLines.width, plain.width);
    EXPECT_NEAR(twoLines.height, 2 * height, 1e-3);

    RectF empty{1, 2, 3, 4};
    EXPECT_EQ(g.MeasureString("", font, {5, 6, 0, 0}, format, &empty), Ok);
    EXPECT_EQ(empty, (RectF{5, 6, 0, 0}));
}

TEST(MeasureString, UnusableFontsAndSizesAreRefused) {
    RecordingGraphics g;
    RectF box{1, 2, 3, 4};
    for (const Font& font : {Font(FontFamily("Times New Roman"), 0), Font(FontFamily("Times New Roman"), NAN),
                             Font(FontFamily("No Such Family 123"), 12)}) {
        EXPECT_FALSE(font.IsAvailable());
        EXPECT_EQ(g.MeasureString("A", font, {}, StringFormat(), &box), InvalidParameter);
        EXPECT_EQ(g.DrawString("A", font, {}, StringFormat(), 0xFF000000), InvalidParameter);
    }
    EXPECT_EQ(box, (RectF{1, 2, 3, 4}));
    EXPECT_TRUE(g.log.empty());
}

TEST(AddString, OutlinesSitOnTheBaselineOfTheMeasuredBox) {
    const FontFamily tnr("Times New Roman");
    StringFormat format;
    format.SetAlignment(StringAlignmentNear);
    GraphicsPath path;
    path.AddString("A", tnr, FontStyleRegular, 100, {10, 20, 0, 0}, format);
    ASSERT_GT(path.GetPointCount(), 0);
    const RectF bounds = path.GetBounds();
    // 'A' stands on the baseline, one cell ascent below the box top.
    EXPECT_NEAR(bounds.bottom(), 20 + kTnrAscent / kTnrEm * 100, 1e-3);
    // Its ink begins after the side padding and the glyph's own left bearing.
    EXPECT_GT(bounds.x, 10 + 100 / 6.0f);
    EXPECT_LT(bounds.x, 10 + 100 / 6.0f + 2);
    // Every figure is closed.
    EXPECT_TRUE(path.types().back() & PathPointTypeCloseSubpath);
}

TEST(DrawString, PaintsExactlyTheOutlinesThatAddStringMakes) {
    const Font font(FontFamily("Times New Roman"), 40, FontStyleItalic);
    const RectF layout{3, 4, 0, 0};
    StringFormat format;
    format.SetAlignment(StringAlignmentNear);

    RecordingGraphics g;
    ASSERT_EQ(g.DrawString("fig", font, layout, format, 0xFF102030), Ok);
    ASSERT_EQ(g.ops.size(), 1u);
    GraphicsPath path;
    path.AddString("fig", font.family(), FontStyleItalic, 40, layout, format);
    EXPECT_EQ(g.ops[0].kind, "fill");
    EXPECT_EQ(g.ops[0].colour, 0xFF102030u);
    EXPECT_EQ(g.ops[0].points, path.points());
    EXPECT_EQ(g.ops[0].types, path.types());

    // Blanks only: nothing to fill, and no failure.
    g.ops.clear();
    EXPECT_EQ(g.DrawString("  ", font, layout, format, 0xFF000000), Ok);
    EXPECT_TRUE(g.ops.empty());
}

TEST(DrawString, InkedPixelsMatchTheOutlineBounds) {
    struct Case {
        const char* label;
        FontFamily family;
        int style;
        QString text;
    };
    const Case cases[] = {
        {"serif", FontFamily("Times New Roman"), FontStyleRegular, "Qg"},
        {"serif italic", FontFamily("Times New Roman"), FontStyleItalic, "fj"},
        {"math", mathFamily(), FontStyleRegular, QString(QChar(0x2207)) + QChar(0x2118)},
        {"math italic", mathFamily(), FontStyleItalic, "xy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QImage image(300, 200, QImage::Format_ARGB32);
        image.fill(0xFFFFFFFFu);
        const RectF layout{150, 30, 0, 0};
        StringFormat format;
        {
            PainterGraphics g(&image);
            g.SetSmoothingMode(SmoothingModeAntiAlias);
            ASSERT_EQ(g.DrawString(c.text, Font(c.family, 70.5f, c.style), layout, format, 0xFF000000), Ok);
        }
        GraphicsPath path;
        path.AddString(c.text, c.family, c.style, 70.5f, layout, format);
        const RectF b = path.GetBounds();
        const QRect ink = inkedPixels(image);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.left(), b.x, 1.0);
        EXPECT_NEAR(ink.top(), b.y, 1.0);
        EXPECT_NEAR(ink.right() + 1, b.right(), 1.0);
        EXPECT_NEAR(ink.bottom() + 1, b.bottom(), 1.0);
    }
}

TEST(DrawString, TheMathFamilyDrawsItsAuthoredGlyph) {
    const FontFamily math = mathFamily();
    const QString text(QChar(0xF0FE));
    StringFormat format;
    format.SetAlignment(StringAlignmentNear);
    RecordingGraphics g;
    RectF box;
    ASSERT_EQ(g.MeasureString(text, Font(math, 100), {}, format, &box), Ok);
    const AuthoredGlyph* glyph = FindAuthoredGlyph("Toliva", 0xF0FE);
    ASSERT_NE(glyph, nullptr);
    EXPECT_NEAR(box.width, glyph->advance * 100 + 2 * 100 / 6.0f, 1e-3);

    GraphicsPath path;
    path.AddString(text, math, FontStyleRegular, 100, {}, format);
    const RectF b = path.GetBounds();
    const QRectF want = glyph->outline().boundingRect();
    const float baseline = 1055 / 1000.0f * 100;
    EXPECT_NEAR(b.x, 100 / 6.0f + want.x() * 100, 1e-3);
    EXPECT_NEAR(b.y, baseline + want.y() * 100, 1e-3);
    EXPECT_NEAR(b.width, want.width() * 100, 1e-3);
    EXPECT_NEAR(b.height, want.height() * 100, 1e-3);

    // Other families have no such glyph of their own.
    EXPECT_EQ(FindAuthoredGlyph("Times New Roman", 0xF0FE), nullptr);
    EXPECT_EQ(FindAuthoredGlyph("Toliva", 'A'), nullptr);
}

TEST(GlyphCache, KeepsEachGlyphOnceAndStaysWithinItsLimit) {
    const FontFamily tnr("Times New Roman");
    const FontFace* face = tnr.face(FontStyleRegular);
    ASSERT_NE(face, nullptr);
    const quint32 a = face->glyphFor(U'A');
    ASSERT_NE(a, 0u);

    // A glyph fetched again comes from the cache, unchanged.
    const QPainterPath first = face->outline(a);
    EXPECT_FLOAT_EQ(face->advance(a), kTnrAdvanceA);
    const size_t count = GlyphCacheCount();
    EXPECT_GE(count, 1u);
    EXPECT_EQ(face->outline(a), first);
    EXPECT_FLOAT_EQ(face->advance(a), kTnrAdvanceA);
    EXPECT_EQ(GlyphCacheCount(), count);
    EXPECT_FALSE(first.isEmpty());

    // The cached outline serves every size: twice the size, twice the path.
    StringFormat format;
    format.SetAlignment(StringAlignmentNear);
    GraphicsPath small, large;
    small.AddString("Ag", tnr, FontStyleRegular, 40, {}, format);
    large.AddString("Ag", tnr, FontStyleRegular, 80, {}, format);
    ASSERT_EQ(small.GetPointCount(), large.GetPointCount());
    for (int i = 0; i < small.GetPointCount(); ++i) {
        EXPECT_NEAR(large.points()[size_t(i)].x, 2 * small.points()[size_t(i)].x, 1e-3);
        EXPECT_NEAR(large.points()[size_t(i)].y, 2 * small.points()[size_t(i)].y, 1e-3);
    }

    // Under a small limit the least recently used glyphs go, and a glyph
    // that went is fetched again the same.
    const size_t limit = GlyphCacheLimit();
    SetGlyphCacheLimit(8);
    EXPECT_LE(GlyphCacheCount(), 8u);
    std::vector<QPainterPath> outlines;
    for (quint32 glyph = 1; glyph <= 40; ++glyph) {
        outlines.push_back(face->outline(glyph));
        EXPECT_LE(GlyphCacheCount(), 8u);
    }
    EXPECT_EQ(GlyphCacheCount(), 8u);
    for (quint32 glyph = 1; glyph <= 40; ++glyph) EXPECT_EQ(face->outline(glyph), outlines[glyph - 1]) << glyph;

    // With no room at all nothing is kept, and drawing still works.
    SetGlyphCacheLimit(0);
    EXPECT_EQ(GlyphCacheCount(), 0u);
    EXPECT_EQ(face->outline(a), first);
    GraphicsPath uncached;
    uncached.AddString("Ag", tnr, FontStyleRegular, 40, {}, format);
    EXPECT_EQ(uncached.points(), small.points());
    EXPECT_EQ(GlyphCacheCount(), 0u);
    SetGlyphCacheLimit(limit);
}
