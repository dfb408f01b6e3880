#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "tests/common/RecordingChecks.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <functional>
#include <limits>

using namespace toliva::gp;

namespace {

using toliva::test::expectNear;

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kBlue = 0xFF0000FF;

// A white image drawn on through a callback; smoothing stays off so that
// pixels are whole.
QImage paint(int w, int h, const std::function<void(Graphics&)>& draw) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    {
        PainterGraphics g(static_cast<QPaintDevice*>(&img));
        draw(g);
    }
    return img;
}

bool inked(const QImage& img, int x, int y) { return img.pixel(x, y) != kWhite; }

// The point of a cubic segment at t.
PointF bezierPoint(const std::vector<PointF>& p, size_t i, float t) {
    const float u = 1 - t;
    return {u * u * u * p[i].x + 3 * u * u * t * p[i + 1].x + 3 * u * t * t * p[i + 2].x + t * t * t * p[i + 3].x,
            u * u * u * p[i].y + 3 * u * u * t * p[i + 1].y + 3 * u * t * t * p[i + 2].y + t * t * t * p[i + 3].y};
}

}  // namespace

TEST(GraphicsPath, ArcsTurnClockwiseOnScreenFromRayAngles) {
    struct Case {
        RectF box;
        float start, sweep;
        PointF first, last;
    };
    // Ray at 45 degrees from the centre of a 200 x 100 ellipse meets it at
    // r = 1 / sqrt(0.5 / 100^2 + 0.5 / 50^2) = 63.246, i.e. 44.721 along each axis.
    const Case cases[] = {
        {{0, 0, 100, 100}, 0, 90, {100, 50}, {50, 100}},      // right end to bottom: clockwise
        {{0, 0, 100, 100}, 0, -90, {100, 50}, {50, 0}},       // negative sweep: to the top
        {{0, 0, 200, 100}, 45, 45, {144.721f, 94.721f}, {100, 100}},
        {{10, 10, 40, 20}, 180, 540, {10, 20}, {10, 20}},     // more than a turn: one turn
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        GraphicsPath p;
        p.AddArc(c.box, c.start, c.sweep);
        ASSERT_GE(p.GetPointCount(), 4);
        EXPECT_EQ((p.GetPointCount() - 1) % 3, 0);
        expectNear(p.points().front(), c.first);
        PointF last;
        ASSERT_EQ(p.GetLastPoint(&last), Ok);
        expectNear(last, c.last);
    }
    // The middle of a quarter circle lies on the circle, in the bottom-right quadrant.
    GraphicsPath q;
    q.AddArc(0, 0, 100, 100, 0, 90);
    ASSERT_EQ(q.GetPointCount(), 4);
    const float h = 50 * std::sqrt(0.5f);
    expectNear(bezierPoint(q.points(), 0, 0.5f), {50 + h, 50 + h}, 0.05f);

    GraphicsPath none;
    none.AddArc(0, 0, 0, 10, 0, 90);
    EXPECT_EQ(none.GetPointCount(), 0);
    PointF unused;
    EXPECT_EQ(none.GetLastPoint(&unused), InvalidParameter);
}

TEST(GraphicsPath, ArcJoinsAnOpenFigureButStartsAFreshOneWithoutALine) {
    GraphicsPath p;
    p.AddLine(0, 0, 10, 0);
    p.AddArc(20, -10, 20, 20, 180, 90);  // joined by a line from (10, 0) to (20, 0)
    EXPECT_EQ(p.types()[2], PathPointTypeLine);
    p.StartFigure();
    p.AddArc(0, 20, 20, 20, 180, 180);
    EXPECT_EQ(p.types()[6], PathPointTypeStart);

    // Stroked: nothing between the line's end and the fresh arc's start.
    const QImage img = paint(40, 40, [](Graphics& g) {
        GraphicsPath path;
        path.AddLine(2, 2, 4, 2);
        path.StartFigure();
        path.AddArc(10, 10, 20, 20, 90, 180);  // from the bottom (20, 30) through the left
        EXPECT_EQ(g.DrawPath(Pen(kBlue, 1), path), Ok);
    });
    EXPECT_TRUE(inked(img, 3, 2));
    EXPECT_TRUE(inked(img, 10, 20));   // the arc's left end
    EXPECT_FALSE(inked(img, 12, 16));  // on the line (4, 2) to (20, 30), off the arc
    EXPECT_FALSE(inked(img, 29, 20));  // the right half is not drawn
}

TEST(GraphicsPath, ShapesAreClosedFiguresAndBoundsAreTight) {
    GraphicsPath p;
    p.AddLine(0, 0, 1, 1);
    p.AddEllipse(10, 20, 30, 40);
    ASSERT_EQ(p.GetPointCount(), 2 + 13);
    EXPECT_EQ(p.types()[2], PathPointTypeStart);
    EXPECT_EQ(p.types().back(), PathPointTypeBezier | PathPointTypeCloseSubpath);
    expectNear(p.points()[2], {40, 40});  // starts at the right end

    GraphicsPath e;
    e.AddEllipse(10, 20, 30, 40);
    const RectF b = e.GetBounds();
    EXPECT_NEAR(b.x, 10, 1e-3);
    EXPECT_NEAR(b.y, 20, 1e-3);
    EXPECT_NEAR(b.width, 30, 1e-3);
    EXPECT_NEAR(b.height, 40, 1e-3);
    RectF widened;
    Matrix twice(2, 0, 0, 2, 0, 0);
    const Pen pen(kRed, 3);
    ASSERT_EQ(e.GetBounds(&widened, &twice, &pen), Ok);
    EXPECT_NEAR(widened.x, 20 - 3, 1e-3);
    EXPECT_NEAR(widened.width, 60 + 6, 1e-3);

    GraphicsPath r;
    r.AddRectangle({1, 2, 3, 4});
    const std::vector<PointF> corners = {{1, 2}, {4, 2}, {4, 6}, {1, 6}};
    EXPECT_EQ(r.points(), corners);
    EXPECT_EQ(r.types(), (std::vector<uint8_t>{0, 1, 1, 1 | PathPointTypeCloseSubpath}));

    // Flattened, the ellipse becomes lines within the flatness of the curve.
    e.SetMarker();
    e.Flatten(nullptr, 0.1f);
    ASSERT_GT(e.GetPointCount(), 13);
    for (size_t i = 0; i < e.points().size(); ++i) {
        EXPECT_NE(e.types()[i] & PathPointTypePathTypeMask, PathPointTypeBezier);
        const float dx = (e.points()[i].x - 25) / 15, dy = (e.points()[i].y - 40) / 20;
        EXPECT_NEAR(dx * dx + dy * dy, 1, 0.01);
    }
    EXPECT_EQ(e.types().back(), PathPointTypeLine | PathPointTypeCloseSubpath | PathPointTypePathMarker);
}

// A curve whose control points lie far out flattens into a bounded number of
// lines: the step count is held in range before it becomes an int.
TEST(Graphics, FarOutCurvesFlattenIntoBoundedLines) {
    const struct {
        const char* name;
        PointF control;
        float flatness;
        int points;  // the start and one per step
    } cases[] = {
        {"far out", {1e30f, -1e30f}, 0.25f, 1001},
        {"farther out", {1e37f, 1e37f}, 0.25f, 1001},
        {"infinite difference", {3.4e38f, 3.4e38f}, 0.25f, 2},
        {"infinite count", {3.4e38f, 0}, 1e-30f, 2},
        {"not a number", {std::numeric_limits<float>::quiet_NaN(), 0}, 0.25f, 2},
        {"near", {2, 0}, 0.25f, 5},
    };
    for (const auto& c : cases) {
        GraphicsPath p;
        p.AddBezier({0, 0}, c.control, {1, 1}, {2, 0});
        p.Flatten(nullptr, c.flatness);
        EXPECT_EQ(p.GetPointCount(), c.points) << c.name;
    }
}

TEST(Graphics, TransformsPrependUnlessAskedAndSaveRestoreReturnsToTheSavedState) {
    RecordingGraphics g;
    g.TranslateTransform(10, 0);
    g.ScaleTransform(2, 2);  // acts first
    expectNear(g.GetTransform().map({1, 1}), {12, 2});
    g.ScaleTransform(0.5f, 0.5f);
    g.ScaleTransform(2, 2, MatrixOrderAppend);  // acts last
    expectNear(g.GetTransform().map({1, 1}), {22, 2});

    g.ResetTransform();
    const GraphicsState outer = g.Save();
    g.TranslateTransform(5, 5);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    const GraphicsState inner = g.Save();
    g.RotateTransform(90);
    EXPECT_EQ(g.Restore(outer), Ok);
    EXPECT_TRUE(g.GetTransform().IsIdentity());
    EXPECT_EQ(g.GetSmoothingMode(), SmoothingModeDefault);
    EXPECT_EQ(g.Restore(inner), InvalidParameter);  // forgotten with the outer one
    EXPECT_TRUE(g.GetTransform().IsIdentity());
    EXPECT_EQ(g.GetLastStatus(), InvalidParameter);
    EXPECT_EQ(g.GetLastStatus(), Ok);  // read once

    // Under a prepended rotation a fill lands where the rotation sends it.
    const QImage img = paint(40, 40, [](Graphics& g) {
        g.TranslateTransform(20, 20);
        g.RotateTransform(90);  // +x now points down the screen
        g.FillRectangle(SolidBrush(kRed), 0, -2, 15, 4);
    });
    EXPECT_TRUE(inked(img, 20, 30));
    EXPECT_FALSE(inked(img, 30, 20));
}

TEST(Graphics, PensClampToOnePixelAndCountDashesInPenWidths) {
    struct Case {
        const char* name;
        Pen pen;
        float scale;
        std::vector<int> ink, clear;  // x positions on row 10
    };
    Pen dash(kBlue, 2);
    dash.SetDashStyle(DashStyleDash);  // 6 on, 2 off
    Pen custom(kBlue, 3);
    const float pattern[] = {1, 1};  // 3 on, 3 off
    custom.SetDashPattern(pattern, 2);
    Pen thinDash(kBlue, 0.1f);
    thinDash.SetDashStyle(DashStyleDash);  // one pixel wide: 3 on, 1 off
    const Case cases[] = {
        {"hairline", Pen(kBlue, 0.01f), 1, {1, 20, 38}, {}},
        {"dash", dash, 1, {1, 5, 9, 13}, {6, 7, 14, 15}},
        {"custom", custom, 1, {1, 7, 13}, {4, 10, 16}},
        {"thin dash", thinDash, 1, {0, 2, 4, 6}, {3, 7, 11}},
        {"scaled dash", thinDash, 10, {1, 2, 9}, {3, 7, 11}},  // 1 pixel wide after scaling: 3 on, 1 off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage img = paint(40, 20, [&](Graphics& g) {
            g.ScaleTransform(c.scale, c.scale);
            EXPECT_EQ(g.DrawLine(c.pen, 0, 10.5f / c.scale, 40 / c.scale, 10.5f / c.scale), Ok);
        });
        for (int x : c.ink) EXPECT_TRUE(inked(img, x, 10)) << x;
        for (int x : c.clear) EXPECT_FALSE(inked(img, x, 10)) << x;
        EXPECT_FALSE(inked(img, 20, 5));
    }
    Pen bad(kBlue, 1);
    const float zero[] = {1, 0};
    EXPECT_EQ(bad.SetDashPattern(zero, 2), InvalidParameter);
    EXPECT_EQ(bad.dashStyle, DashStyleSolid);
}

TEST(Graphics, StartAndEndCapsAreDrawnEachOnItsOwnEnd) {
    Pen pen(kBlue, 6);
    pen.SetStartCap(LineCapFlat);
    pen.SetEndCap(LineCapRound);
    const QImage img = paint(40, 20, [&](Graphics& g) { g.DrawLine(pen, 10, 10, 30, 10); });
    EXPECT_TRUE(inked(img, 11, 10));
    EXPECT_FALSE(inked(img, 8, 10));   // flat start
    EXPECT_TRUE(inked(img, 31, 10));   // round end reaches 3 beyond
    EXPECT_FALSE(inked(img, 34, 10));
    EXPECT_FALSE(inked(img, 32, 7));   // rounded, not square
}

TEST(Graphics, HatchPatternsStayOnDevicePixels) {
    for (HatchStyle style : {HatchStyleForwardDiagonal, HatchStyleBackwardDiagonal, HatchStyleLargeCheckerBoard,
                             HatchStyleSolidDiamond}) {
        SCOPED_TRACE(int(style));
        const QImage img = paint(24, 24, [&](Graphics& g) {
            g.TranslateTransform(3, 1);  // the pattern does not move with the world
            EXPECT_EQ(g.FillRectangle(HatchBrush(style, kRed, kBlue), 0, 0, 16, 16), Ok);
        });
        const uint8_t* rows = HatchPattern(style);
        for (int y = 1; y < 17; ++y)
            for (int x = 3; x < 19; ++x) {
                const bool fore = (rows[y % 8] >> (7 - x % 8)) & 1;
                ASSERT_EQ(img.pixel(x, y), fore ? kRed : kBlue) << x << ',' << y;
            }
        EXPECT_EQ(img.pixel(2, 5), kWhite);
    }
    // Forward diagonals run down to the right.
    const uint8_t* fwd = HatchPattern(HatchStyleForwardDiagonal);
    EXPECT_EQ(fwd[0], 0x80);
    EXPECT_EQ(fwd[1], 0x40);
}

TEST(Graphics, GradientsBlendAcrossTheirRectangle) {
    const QImage img = paint(100, 20, [](Graphics& g) {
        g.FillRectangle(LinearGradientBrush(RectF{0, 0, 100, 10}, kRed, kBlue, LinearGradientModeHorizontal), 0, 0,
                        100, 10);
        LinearGradientBrush tri(RectF{0, 10, 100, 10}, kRed, kBlue, 0.0f);
        EXPECT_EQ(tri.SetBlendTriangularShape(0.5f), Ok);
        g.FillRectangle(tri, 0, 10, 100, 10);
    });
    EXPECT_GT(qRed(img.pixel(2, 5)), 240);
    EXPECT_GT(qBlue(img.pixel(97, 5)), 240);
    EXPECT_NEAR(qRed(img.pixel(50, 5)), 128, 8);
    EXPECT_GT(qBlue(img.pixel(50, 15)), 240);  // the blend peaks at the focus
    EXPECT_GT(qRed(img.pixel(97, 15)), 240);

    // A path gradient goes from its centre colour to the surround at the edge.
    const QImage radial = paint(40, 40, [](Graphics& g) {
        GraphicsPath circle;
        circle.AddEllipse(0, 0, 40, 40);
        PathGradientBrush b(circle);
        b.SetCenterColor(kRed);
        int n = 1;
        b.SetSurroundColors(&kBlue, &n);
        g.FillPath(b, circle);
    });
    EXPECT_GT(qRed(radial.pixel(20, 20)), 230);
    EXPECT_GT(qBlue(radial.pixel(20, 1)), 200);
}

// A picture's pixel size: rounded up, at least one pixel, and refused (with
// the size in the message) when not finite or over the limit, before any
// conversion to an integer.
TEST(Bitmap, PicturePixelSizeKeepsToTheLimit) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double width, height;
        QSize size;  // empty when refused
        const char* reason;
    };
    const Case cases[] = {
        {10.2, 3, QSize(11, 3), ""},
        {0.2, -5, QSize(1, 1), ""},
        {16384, 16384, QSize(16384, 16384), ""},
        {16385, 16384, QSize(), "the picture would be 16385 x 16384 pixels, more than the limit of 268435456 pixels"},
        {1e30, 10, QSize(), "the picture would be 1e+30 x 10 pixels, more than the limit of 268435456 pixels"},
        {100000039.5, 77, QSize(), "the picture would be 100000040 x 77 pixels, more than the limit of 268435456 pixels"},
        {inf, 10, QSize(), "the picture's size is not finite (inf x 10)"},
        {10, nan, QSize(), "the picture's size is not finite (10 x nan)"},
    };
    for (const Case& c : cases) {
        QSize size;
        QString reason;
        EXPECT_EQ(PicturePixelSize(c.width, c.height, &size, &reason), !c.size.isEmpty()) << c.width;
        EXPECT_EQ(size, c.size) << c.width;
        EXPECT_EQ(reason, QLatin1String(c.reason)) << c.width;
    }
    EXPECT_EQ(Bitmap(16385, 16384).GetLastStatus(), OutOfMemory);
}

TEST(Graphics, ImagesCopyAsBlocksInSourceModeAndClearFillsEverything) {
    Bitmap patch(4, 4);  // transparent
    patch.SetPixel(0, 0, kBlue);
    ARGB got = 0;
    EXPECT_EQ(patch.GetPixel(0, 0, &got), Ok);
    EXPECT_EQ(got, kBlue);
    EXPECT_EQ(patch.GetPixel(4, 0, &got), InvalidParameter);
    EXPECT_EQ(Bitmap(0, 3).GetLastStatus(), InvalidParameter);

    Bitmap target(20, 10);
    {
        PainterGraphics g(target);
        EXPECT_EQ(g.Clear(kRed), Ok);
        g.TranslateTransform(2, 2);
        EXPECT_EQ(g.DrawImage(patch, 0, 0), Ok);  // blended: red shows through
        g.SetCompositingMode(CompositingModeSourceCopy);
        EXPECT_EQ(g.DrawImage(patch, 10, 0), Ok);  // copied: transparent pixels replace red
        EXPECT_EQ(g.DrawImage(Bitmap(0, 0), 0, 0), InvalidParameter);
    }
    auto pixel = [&](int x, int y) {
        ARGB c = 0;
        target.GetPixel(x, y, &c);
        return c;
    };
    EXPECT_EQ(pixel(2, 2), kBlue);
    EXPECT_EQ(pixel(3, 3), kRed);
    EXPECT_EQ(pixel(12, 2), kBlue);
    EXPECT_EQ(pixel(13, 3) >> 24, 0u);
    EXPECT_EQ(pixel(0, 0), kRed);
}

TEST(Graphics, BadInputIsRefusedWithAStatusAndNothingDrawn) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    RecordingGraphics g;
    const PointF one[] = {{0, 0}};
    const PointF five[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}};
    const std::vector<std::pair<const char*, std::function<Status()>>> calls = {
        {"nan line", [&] { return g.DrawLine(Pen(), 0, 0, nan, 1); }},
        {"one point", [&] { return g.DrawLines(Pen(), one, 1); }},
        {"beziers of 5", [&] { return g.DrawBeziers(Pen(), five, 5); }},
        {"nan arc", [&] { return g.DrawArc(Pen(), 0, 0, 10, 10, nan, 90); }},
        {"nan transform", [&] { return g.TranslateTransform(nan, 0); }},
        {"negative pen", [&] { return g.DrawEllipse(Pen(kRed, -2), 0, 0, 5, 5); }},
        {"bad smoothing", [&] { return g.SetSmoothingMode(SmoothingModeInvalid); }},
    };
    for (const auto& [name, call] : calls) EXPECT_EQ(call(), InvalidParameter) << name;
    EXPECT_TRUE(g.log.empty());
    EXPECT_TRUE(g.GetTransform().IsIdentity());
    // Empty shapes draw nothing and succeed.
    EXPECT_EQ(g.DrawRectangle(Pen(), 0, 0, -5, 5), Ok);
    EXPECT_EQ(g.FillPath(kRed, GraphicsPath()), Ok);
    EXPECT_TRUE(g.log.empty());
}

TEST(RecordingGraphics, LogsPensBrushesStateAndKeepsEachShape) {
    RecordingGraphics g;
    Pen pen(0xFF102030, 0.5f);
    pen.SetLineCap(LineCapRound, LineCapRound, DashCapFlat);
    pen.SetLineJoin(LineJoinRound);
    const GraphicsState s = g.Save();
    g.TranslateTransform(3, 4);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.DrawLine(pen, 0, 0, 10, 0);
    pen.SetDashStyle(DashStyleDot);
    g.DrawArc(pen, 0, 0, 10, 10, 0, 180);
    g.FillRectangle(HatchBrush(HatchStyleForwardDiagonal, 0xFF000000, 0xFFFFFFFF), 0, 0, 2, 2);
    g.FillEllipse(SolidBrush(0xFFABCDEF), 0, 0, 2, 2);
    g.Restore(s);
    const std::vector<std::string> want = {
        "save 1",
        "transform 1 0 0 1 3 4",
        "smoothing 4",
        "stroke #FF102030 w=0.5 caps=2,2 join=2 line n=2",
        "stroke #FF102030 w=0.5 dash=2 caps=2,2 join=2 arc n=7",
        "fill hatch 2 #FF000000 #FFFFFFFF rectangle n=4",
        "fill #FFABCDEF ellipse n=13",
        "restore 1",
        "transform 1 0 0 1 0 0",
    };
    EXPECT_EQ(g.log, want);
    ASSERT_EQ(g.ops.size(), 4u);
    EXPECT_EQ(g.ops[0].points, (std::vector<PointF>{{0, 0}, {10, 0}}));
    EXPECT_EQ(g.ops[0].transform, Matrix(1, 0, 0, 1, 3, 4));
    EXPECT_EQ(g.ops[0].pen.startCap, LineCapRound);
    EXPECT_EQ(g.ops[3].colour, 0xFFABCDEFu);
}

// The log's lines are written when it is read: a read between calls, more
// calls after it and a cleared log must all give the lines the calls made.
TEST(RecordingGraphics, LogReadBetweenCallsKeepsEveryLine) {
    RecordingGraphics g;
    EXPECT_TRUE(g.log.empty());
    g.Clear(0xFF00FF00);
    ASSERT_EQ(g.log.size(), 1u);
    EXPECT_EQ(g.log[0], "clear #FF00FF00");

    const Bitmap bitmap(4, 3);
    g.DrawImage(bitmap, RectF{1, 2.5f, 8, 6});
    g.ScaleTransform(2, 0.5f);
    g.FillPath(0xFF010203, [] {
        GraphicsPath p;
        p.AddLine(0, 0, 1, 1);
        return p;
    }());
    const std::vector<std::string> want = {
        "clear #FF00FF00",
        "image 4x3 src 0 0 4 3 dest 1 2.5 8 6",
        "transform 2 0 0 0.5 0 0",
        "fill #FF010203 path n=2",
    };
    EXPECT_EQ(g.log, want);
    EXPECT_EQ(g.log.back(), want.back());
    EXPECT_EQ(std::vector<std::string>(g.log.begin(), g.log.end()), want);

    g.log.clear();
    EXPECT_TRUE(g.log.empty());
    g.Save();
    EXPECT_EQ(g.log, (std::vector<std::string>{"save 1"}));
    EXPECT_EQ(g.ops.size(), 2u);  // the image and the fill stay
}
