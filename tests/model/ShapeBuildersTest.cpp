#include "model/ShapeBuilders.h"

#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Matrix.h"
#include "tests/common/RecordingChecks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace toliva;
using gp::PointF;
using gp::RecordingGraphics;

namespace {

using test::worldPoints;
using test::expectNear;
using test::expectClean;

constexpr gp::ARGB kInk = 0xFF203040;

using Op = RecordingGraphics::Op;

}  // namespace

TEST(ShapeBuilders, ArrowheadLengthIsTheSmallerOfNineTenthsOfTheLengthAndKLThicknesses) {
    struct Case {
        float length, t;
        bool fullShaft;
        float headLength;
    };
    const Case cases[] = {
        {100, 2, true, 16},   // long: 8 t
        {10, 2, true, 9},     // short: 0.9 of the length
        {17.5f, 2, false, 15.75f},
        {100, 2, false, 16},  // head only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        RecordingGraphics g;
        BuildArrowhead(g, kInk, c.length, c.t, 8, 0.8f, 0.8f, c.fullShaft);
        ASSERT_EQ(g.ops.size(), 1u);
        const Op& op = g.ops[0];
        EXPECT_EQ(op.kind, "fill");
        EXPECT_EQ(op.colour, kInk);
        ASSERT_EQ(op.points.size(), 7u);
        const float half = c.length / 2, L = c.headLength, B = c.t * 2.8f, s = c.t / 2;
        const float o = half - 0.8f * L;
        const float start = c.fullShaft ? -half : o;
        const PointF want[] = {{start, -s}, {o, -s}, {half - L, -B}, {half, 0}, {half - L, B}, {o, s}, {start, s}};
        for (int i = 0; i < 7; ++i) expectNear(op.points[i], want[i]);
    }
}

TEST(ShapeBuilders, HarpoonHasOneBarbOnTheUpperSideAndItsTipOnTheLowerEdge) {
    RecordingGraphics g;
    BuildHarpoonhead(g, kInk, 10, 2, 8, 0.8f, 0.8f);  // head min(8, 16) = 8
    ASSERT_EQ(g.ops.size(), 1u);
    const PointF want[] = {{-5, -1}, {5 - 6.4f, -1}, {-3, -5.6f}, {5, 1}, {-5, 1}};
    ASSERT_EQ(g.ops[0].points.size(), 5u);
    for (int i = 0; i < 5; ++i) expectNear(g.ops[0].points[i], want[i]);
}

TEST(ShapeBuilders, OrientedArrowPointsAtItsTargetAndRestoresTheTransform) {
    RecordingGraphics g;
    g.TranslateTransform(3, 4);
    g.ScaleTransform(2, 2);
    const gp::Matrix before = g.GetTransform();
    DrawArrowBetween(g, {10, 10}, {10, 110}, kInk, 2, 8, 0.8f, 0.8f, true);
    EXPECT_EQ(g.GetTransform(), before);
    ASSERT_EQ(g.ops.size(), 1u);
    const std::vector<PointF> w = worldPoints(g.ops[0]);
    expectNear(w[3], before.map({10, 110}));  // the tip
    expectNear(w[0], before.map({10 + 1, 10}), 1e-2f);  // the shaft's start, -t/2 across
}

TEST(ShapeBuilders, DoubleLineArrowHeadAndPenFollowTheRatio) {
    struct Case {
        float length, t, ratio, m;
    };
    const Case cases[] = {
        {100, 1, 6.667f, 8.0004f},  // 1.2 t ratio
        {10, 1, 6.667f, 4},         // 0.4 of the length
    };
    for (const Case& c : cases) {
        RecordingGraphics g;
        DrawDoubleLineArrow(g, {0, 0}, {c.length, 0}, kInk, c.t, c.ratio);
        ASSERT_EQ(test::recordedShapes(g), "stroke:line stroke:line stroke:lines");
        EXPECT_NEAR(g.ops[0].pen.width, c.m / c.ratio, 1e-4);
        EXPECT_EQ(g.ops[0].pen.startCap, gp::LineCapRound);
        const float half = c.length / 2;
        expectNear(g.ops[0].points[0], {-half, -0.4f * c.m});
        expectNear(g.ops[0].points[1], {half - 0.4f * c.m, -0.4f * c.m});
        expectNear(g.ops[2].points[0], {half - c.m, -c.m});
        expectNear(g.ops[2].points[1], {half, 0});
    }
    RecordingGraphics both;
    DrawDoubleLineArrowBoth(both, {0, 0}, {100, 0}, kInk, 1, 6.667f);
    EXPECT_EQ(test::recordedShapes(both), "stroke:line stroke:line stroke:lines stroke:lines");
    EXPECT_NEAR(both.ops[0].points[0].x, -50 + 0.4f * 8.0004f, 1e-3);
}

TEST(ShapeBuilders, ArrowMarkHeadIsShortenedToHalfTheLength) {
    struct Case {
        int kind;
        size_t points;
    };
    const Case kinds[] = {{0, 9}, {1, 14}, {2, 6}, {3, 6}, {4, 8}};
    for (const Case& k : kinds) {
        RecordingGraphics g;
        FillArrowMark(g, {0, 0}, {100, 0}, 100, 2, 10, kInk, k.kind);
        ASSERT_EQ(g.ops.size(), 1u) << k.kind;
        EXPECT_EQ(g.ops[0].points.size(), k.points) << k.kind;
    }
    // Long: the head is 0.8 x 10 long; short: half the length (5 of 10).
    for (const auto& [length, barbX] : {std::pair{100.0f, -50.0f + 8}, std::pair{10.0f, -5.0f + 5}}) {
        RecordingGraphics g;
        FillArrowMark(g, {0, 0}, {length, 0}, length, 1, 10, kInk, 0);
        ASSERT_EQ(g.ops.size(), 1u);
        expectNear(g.ops[0].points[0], {-length / 2, 0});
        expectNear(g.ops[0].points[1], {barbX, -5});
        // The kind-0 tip lies at the first point of a horizontal pair.
        expectNear(worldPoints(g.ops[0])[0], {0, 0});
    }
    RecordingGraphics none;
    FillArrowMark(none, {0, 0}, {10, 0}, 10, 1, 4, kInk, 5);
    EXPECT_TRUE(none.ops.empty());
}

TEST(ShapeBuilders, RadicalSignPoints) {
    // X 10, baseline 50, top reach 40, bottom reach 10, hook 8, rule 2: d 2.5,
    // vinculum at 12.5; 4 h < 50 so p = 0.618; h < B so the hook top is 52.
    RadicalGeometry r;
    r.left = 10, r.baseline = 50, r.topReach = 40, r.bottomReach = 10, r.hookWidth = 8, r.rule = 2, r.signWidth = 60;
    RecordingGraphics g;
    DrawRadicalSign(g, kInk, r);
    ASSERT_EQ(test::recordedShapes(g), "stroke:line stroke:line stroke:line stroke:line stroke:line stroke:line stroke:line "
                         "fill:ellipse fill:ellipse fill:ellipse fill:polygon");
    expectNear(g.ops[0].points[0], {70, 12.5f});
    expectNear(g.ops[0].points[1], {10 + 8 - 1.25f, 12.5f});
    expectNear(g.ops[1].points[1], {10 + 0.618f * 8, 57.5f});
    expectNear(g.ops[3].points[1], {12.5f, 52});   // Q4: the hook top
    expectNear(g.ops[2].points[1], {17.5f, 52 - 2 * 2.5f * 1.5f});  // Q3, the slope held at -1.5
    EXPECT_EQ(g.ops[0].pen.width, 2);
    // Q7 lies on the long stroke Q1-Q2.
    const PointF q1 = g.ops[1].points[0], q2 = g.ops[1].points[1], q7 = g.ops[6].points[1];
    EXPECT_NEAR((q2.x - q1.x) * (q7.y - q1.y) - (q2.y - q1.y) * (q7.x - q1.x), 0, 1e-2);

    RecordingGraphics alt;
    DrawRadicalSignAlt(alt, kInk, r);
    expectNear(alt.ops[3].points[1], {12.5f, 50});  // the hook top on the baseline
}

TEST(ShapeBuilders, ParenthesisProportion) {
    struct Case {
        float length, height, k;
    };
    const Case cases[] = {
        {10, 10, 0.3f},    // as wide as tall
        {10, 20, 0.3f},
        {50, 10, 0.25f},   // five widths tall
        {30, 10, 0.4f - 0.125f * 0.25f * 2},
        {10, 0, 0.25f},    // no width
        {0, 0, 0.3f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ParenthesisProportion(c.length, c.height), c.k, 1e-6) << c.length << ' ' << c.height;
}

TEST(ShapeBuilders, WideTildeIsOneFilledPathOfTwoMirroredSegments) {
    RecordingGraphics g;
    FillWideTilde(g, {10, 20, 100, 20}, kInk);
    ASSERT_EQ(g.ops.size(), 1u);
    const std::vector<PointF> w = worldPoints(g.ops[0]);
    ASSERT_GE(w.size(), 8u);
    expectNear(w.front(), {10, 35});  // (-1, 1) in the unit box: half the width, a quarter of the height
    EXPECT_EQ(g.GetTransform(), gp::Matrix());
}

// Every builder, with ordinary and with degenerate measures: the world
// transform comes back unchanged and nothing is NaN or infinite.
TEST(ShapeBuilders, EveryBuilderRestoresTheTransformAndStaysFinite) {
    RadicalGeometry normal;
    normal.left = 0, normal.baseline = 0, normal.topReach = 30, normal.bottomReach = 5, normal.hookWidth = 6,
    normal.rule = 1.5f, normal.signWidth = 40;
    // The long stroke's run is zero: the hook's top and the vinculum's left
    // end share x (hook width = 1.5 x 1.25 x rule).
    RadicalGeometry sharedX = normal;
    sharedX.rule = 4, sharedX.hookWidth = 7.5f;
    // Q1, Q2 and Q3 on one horizontal line: the line through Q6 never meets
    // the long stroke (rule 4: d = 5).
    RadicalGeometry parallel;
    parallel.left = 0, parallel.baseline = 0, parallel.rule = 4, parallel.hookWidth = 17.5f,
    parallel.topReach = 2.5f, parallel.bottomReach = 7.5f, parallel.signWidth = 30;
    const PointF arch[] = {{0, 0}, {10, -20}, {30, -20}, {40, 0}};
    const PointF flatStart[] = {{0, 0}, {10, 0}, {20, -10}, {30, -10}};   // P0.y = P1.y
    const PointF noWidth[] = {{0, 0}, {5, -10}, {5, -10}, {0, 5}};        // P0.x = P3.x
    const PointF still[] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
    const PointF poly[] = {{0, 0}, {0, -10}, {20, -10}, {20, 0}};
    const PointF polySame[] = {{5, 5}, {5, 5}};

    const std::vector<std::pair<const char*, std::function<void(gp::Graphics&)>>> builders = {
        {"arrowhead", [](gp::Graphics& g) { BuildArrowhead(g, kInk, 40, 2, 8, 0.8f, 0.8f, true); }},
        {"harpoonhead", [](gp::Graphics& g) { BuildHarpoonhead(g, kInk, 40, 2, 8, 0.8f, 0.8f); }},
        {"arrow", [](gp::Graphics& g) { DrawArrowBetween(g, {0, 0}, {30, 40}, kInk, 2, 8, 0.8f, 0.8f, true); }},
        {"arrow of no length",
         [](gp::Graphics& g) { DrawArrowBetween(g, {5, 5}, {5, 5}, kInk, 2, 8, 0.8f, 0.8f, true); }},
        {"harpoon", [](gp::Graphics& g) { DrawHarpoonBetween(g, {0, 0}, {-30, 0}, kInk, 2, 8, 0.8f, 0.8f); }},
        {"double from middle",
         [](gp::Graphics& g) { DrawDoubleArrowFromMiddle(g, {0, 0}, {0, 50}, kInk, 2, 7, 0.9f, 0.8f); }},
        {"double line", [](gp::Graphics& g) { DrawDoubleLineArrow(g, {0, 0}, {50, 0}, kInk, 2, 6.667f); }},
        {"double line ratio 0", [](gp::Graphics& g) { DrawDoubleLineArrow(g, {0, 0}, {50, 0}, kInk, 2, 0); }},
        {"double line both", [](gp::Graphics& g) { DrawDoubleLineArrowBoth(g, {0, 0}, {0, 50}, kInk, 2, 6.667f); }},
        {"two lines", [](gp::Graphics& g) { DrawTwoHorizontalLines(g, kInk, 0, 0, 50, 5, 1); }},
        {"arrow circle", [](gp::Graphics& g) { FillArrowCircle(g, 20, 10, {5, 5}, -80, 359, kInk, 2, 2.5f, 2); }},
        {"arrow circle back", [](gp::Graphics& g) { FillArrowCircle(g, 10, 10, {5, 5}, 90, -350, kInk, 2, 2.5f, 2); }},
        {"arrow circle of no radius",
         [](gp::Graphics& g) { FillArrowCircle(g, 0, 10, {5, 5}, 90, -350, kInk, 2, 2.5f, 2); }},
        {"zigzag", [](gp::Graphics& g) { DrawZigzagArrow(g, 20, 1, kInk, true); }},
        {"wave", [](gp::Graphics& g) { DrawWaveArrow(g, 20, 1, kInk); }},
        {"loop", [](gp::Graphics& g) { DrawLoopArrow(g, 20, 1, kInk, true); }},
        {"circle", [](gp::Graphics& g) { DrawCircleArrow(g, 20, 1, kInk, 7); }},
        {"hook", [](gp::Graphics& g) { DrawHookArrow(g, 20, 1, kInk, true); }},
        {"bezier arrow", [&](gp::Graphics& g) { DrawBezierArrow(g, arch, 4, kInk, 1); }},
        {"bezier arrow, flat start", [&](gp::Graphics& g) { DrawBezierArrow(g, flatStart, 4, kInk, 1); }},
        {"bezier arrow, no width", [&](gp::Graphics& g) { DrawBezierArrow(g, noWidth, 4, kInk, 1); }},
        {"bezier arrow, one point", [&](gp::Graphics& g) { DrawBezierArrow(g, still, 4, kInk, 1); }},
        {"polyline arrow", [&](gp::Graphics& g) { DrawPolylineArrow(g, poly, 4, kInk, 1); }},
        {"polyline arrow, one point", [&](gp::Graphics& g) { DrawPolylineArrow(g, polySame, 2, kInk, 1); }},
        {"wide tilde", [](gp::Graphics& g) { FillWideTilde(g, {0, 0, 50, 10}, kInk); }},
        {"wide tilde of no width", [](gp::Graphics& g) { FillWideTilde(g, {0, 0, 0, 10}, kInk); }},
        {"arrow mark", [](gp::Graphics& g) { FillArrowMark(g, {50, 0}, {0, 0}, 50, 1, 6, kInk, 1); }},
        {"radical", [&](gp::Graphics& g) { DrawRadicalSign(g, kInk, normal); }},
        {"radical alt", [&](gp::Graphics& g) { DrawRadicalSignAlt(g, kInk, normal); }},
        {"radical, stroke without run", [&](gp::Graphics& g) { DrawRadicalSign(g, kInk, sharedX); }},
        {"radical, parallel lines", [&](gp::Graphics& g) { DrawRadicalSignAlt(g, kInk, parallel); }},
        {"paren shape", [](gp::Graphics& g) { FillParenShape(g, 40, 8, 2, kInk, 0, 0.275f); }},
        {"paren shape of no width", [](gp::Graphics& g) { FillParenShape(g, 40, 0, 2, kInk, 0, 0.275f); }},
        {"parenthesis", [](gp::Graphics& g) { FillParenthesis(g, 40, 20, 2, kInk, 90); }},
        {"parenthesis of no width", [](gp::Graphics& g) { FillParenthesis(g, 40, 0, 2, kInk, 90); }},
        {"parenthesis of nothing", [](gp::Graphics& g) { FillParenthesis(g, 0, 0, 2, kInk, 0); }},
        {"brace", [](gp::Graphics& g) { FillBrace(g, 80, 12, 2, kInk, -90); }},
        {"short brace", [](gp::Graphics& g) { FillBrace(g, 10, 12, 2, kInk, 0); }},
        {"brace of no width", [](gp::Graphics& g) { FillBrace(g, 10, 0, 2, kInk, 0); }},
        {"angle", [](gp::Graphics& g) { FillAngleBracket(g, 40, 10, 2, kInk, 90); }},
        {"square bracket", [](gp::Graphics& g) { DrawSquareBracketLine(g, 40, 10, 2, kInk, -90); }},
    };
    for (const auto& [name, build] : builders) {
        SCOPED_TRACE(name);
        RecordingGraphics g;
        g.TranslateTransform(7, -3);
        g.RotateTransform(10);
        const gp::Matrix before = g.GetTransform();
        build(g);
        EXPECT_EQ(g.GetTransform(), before);
        expectClean(g);
    }
}

TEST(ShapeBuilders, DegenerateMeasuresStillDraw) {
    // A parenthesis of width 0 is a thin filled sliver, not nothing.
    RecordingGraphics paren;
    FillParenthesis(paren, 40, 0, 2, kInk, 0);
    EXPECT_EQ(test::recordedShapes(paren), "fill:path");
    // A radical whose lines are parallel still fills its down-stroke.
    RadicalGeometry parallel;
    parallel.rule = 4, parallel.hookWidth = 17.5f, parallel.topReach = 2.5f, parallel.bottomReach = 7.5f,
    parallel.signWidth = 30;
    RecordingGraphics radical;
    DrawRadicalSignAlt(radical, kInk, parallel);
    EXPECT_EQ(radical.ops.size(), 11u);
    // A Bezier arrow whose curve has no width leans its head all the way:
    // straight up from the end here.
    const PointF noWidth[] = {{0, 0}, {5, -10}, {5, -10}, {0, 5}};
    RecordingGraphics bezier;
    DrawBezierArrow(bezier, noWidth, 4, kInk, 1);
    ASSERT_EQ(test::recordedShapes(bezier), "stroke:beziers fill:polygon");
    const std::vector<PointF> head = worldPoints(bezier.ops[1]);
    EXPECT_NEAR(head[3].x, 0, 1e-3);  // the tip, straight below the end
    EXPECT_NEAR(head[3].y, 3, 1e-3);
}

TEST(ShapeBuilders, ArrowSymbolsOfEveryType) {
    for (int type = 506; type <= 550; ++type) {
        SCOPED_TRACE(type);
        RecordingGraphics g;
        DrawArrowSymbolShape(g, 20, {100, 50}, type, kInk);
        EXPECT_FALSE(g.ops.empty());
        EXPECT_EQ(g.GetTransform(), gp::Matrix());
        expectClean(g);
    }
    // A code without its own shape draws the arrow of 506.
    RecordingGraphics plain, unknown;
    DrawArrowSymbolShape(plain, 20, {100, 50}, 506, kInk);
    DrawArrowSymbolShape(unknown, 20, {100, 50}, 9999, kInk);
    ASSERT_EQ(plain.ops.size(), 1u);
    ASSERT_EQ(unknown.ops.size(), 1u);
    EXPECT_EQ(worldPoints(plain.ops[0]), worldPoints(unknown.ops[0]));
    expectNear(worldPoints(plain.ops[0])[3], {110, 50});  // the tip at +0.5 size
}
