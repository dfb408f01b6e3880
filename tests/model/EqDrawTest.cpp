// The draw dispatcher and the drawers on the recording back end: phantoms in
// editing and output, the editing marks, fraction bars beside neighbours,
// enclosure fills, colours by role, damaged trees and long chains.
#include "EqLayoutTestSupport.h"

#include "model/EqBuilder.h"
#include "model/EqDraw.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/ShapeObject.h"
#include "model/EqSpacing.h"

#include "platform/gdiplus/Graphics.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/RecordingChecks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace toliva;
using gp::PointF;
using gp::RecordingGraphics;
using Op = RecordingGraphics::Op;

namespace {

using test::worldPoints;

constexpr gp::ARGB kPhantom = 0xFFE0E0E0;
constexpr gp::ARGB kInvisible = 0x00FFFFFF;
constexpr float kY = 30;

std::vector<const Op*> opsOfColour(const RecordingGraphics& g, gp::ARGB colour) {
    std::vector<const Op*> out;
    for (const Op& op : g.ops)
        if (op.colour == colour) out.push_back(&op);
    return out;
}

class DrawTest : public ::testing::Test {
protected:
    DrawTest() : eq(test::builtInStyle()), b(&eq) {
        // The state of the editing view.
        eq.outputMode = 0;
        eq.markHighlight = 1;
        eq.phantomColour = kPhantom;
    }

    void layout() { LayoutLines(test::programContext(), &eq, nullptr, 1.0f, 0, false); }
    void draw(gp::Graphics& g, EqElement* line, float x = 10) {
        DrawElement(test::programContext(), line, g, x, kY, nullptr, 1.0f, false);
    }
    void useOutputMode() {
        eq.outputMode = 1;
        eq.markHighlight = 0;
        eq.phantomColour = kInvisible;
    }

    EqModel eq;
    EqBuilder b;
};

// ---- phantoms

TEST_F(DrawTest, PhantomKindsDrawMarksWhileEditingAndNothingVisibleInOutput) {
    struct Case {
        int8_t kind;
        bool output;
        const char* drawn;  // what the phantom itself leaves
        gp::ARGB colour;    // of every op of the phantom
    };
    const Case cases[] = {
        {PhantomNone, false, "fill:text", 0xFF000000},
        {PhantomNone, true, "fill:text", 0xFF000000},
        {PhantomHorizontal, false, "stroke:line stroke:line stroke:line", kPhantom},
        {PhantomHorizontal, true, "", 0},
        {PhantomVertical, false, "stroke:line stroke:line stroke:line", kPhantom},
        {PhantomVertical, true, "", 0},
        {PhantomFull, false, "fill:text", kPhantom},
        {PhantomFull, true, "fill:text", kInvisible},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind) << (c.output ? " output" : " editing"));
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* line = mb.line();
        EqElement* x = mb.text(line, u"x", EqTypeCharItalic);
        EqElement* after = mb.text(line, u"y", EqTypeCharItalic);
        SetPhantomKind(x, c.kind, false);
        LayoutLines(test::programContext(), &model, nullptr, 1.0f, 0, false);
        model.outputMode = c.output;
        model.markHighlight = !c.output;
        model.phantomColour = c.output ? kInvisible : kPhantom;

        RecordingGraphics g;
        DrawElement(test::programContext(), line, g, 10, kY, nullptr, 1.0f, false);
        // The phantom's ops come first; the last op is the neighbour's text.
        ASSERT_FALSE(g.ops.empty());
        EXPECT_EQ(g.ops.back().kind + ':' + g.ops.back().shape, "fill:text");
        EXPECT_EQ(g.ops.back().colour, 0xFF000000u);
        g.ops.pop_back();
        EXPECT_EQ(test::recordedShapes(g), c.drawn);
        for (const Op& op : g.ops) EXPECT_EQ(op.colour, c.colour);
        // The neighbour keeps its place whatever the phantom draws.
        EXPECT_FLOAT_EQ(after->rect.x, 10 + x->width);
    }
}

TEST_F(DrawTest, PhantomMarksLieOnWholePixelsWithTicksOfFifteenPercentOfTheSize) {
    EqElement* line = b.line();
    EqElement* e = b.text(line, u"x");
    e->width = 20;
    e->ascent = 6.5f;
    e->descent = 4.2f;
    const float t = eq.settings.fontSize * 0.15f;  // scale 1
    const float above = std::trunc(30.7f - t), below = std::trunc(30.7f + t);
    const float leftOfX = std::trunc(10.5f - t), rightOfX = std::trunc(10.5f + t);
    {
        RecordingGraphics g;
        DrawPhantomSpanMark(10.5f, 30.7f, 1.0f, e, g);
        ASSERT_EQ(g.ops.size(), 3u);
        // Narrowed by a pixel at each end: 10 -> 11, 30 -> 29.
        EXPECT_EQ(worldPoints(g.ops[0]), (std::vector<PointF>{{11, 30}, {29, 30}}));
        EXPECT_EQ(worldPoints(g.ops[1]), (std::vector<PointF>{{11, above}, {11, below}}));
        EXPECT_EQ(worldPoints(g.ops[2]), (std::vector<PointF>{{29, above}, {29, below}}));
        EXPECT_FLOAT_EQ(g.ops[0].pen.width, 1.0f);
    }
    {
        RecordingGraphics g;
        DrawPhantomHeightMark(10.5f, 30.7f, 1.0f, e, g);
        ASSERT_EQ(g.ops.size(), 3u);
        // top = trunc(24.2) + 1, bottom = trunc(34.9) - 1
        EXPECT_EQ(worldPoints(g.ops[0]), (std::vector<PointF>{{10, 25}, {10, 33}}));
        EXPECT_EQ(worldPoints(g.ops[1]), (std::vector<PointF>{{leftOfX, 25}, {rightOfX, 25}}));
    }
}

// ---- marks

TEST_F(DrawTest, MarkedElementIsHighlightedUnderItsContentOnlyWhileMarksAreShown) {
    EqElement* line = b.line();
    EqElement* x = b.text(line, u"x", EqTypeCharItalic);
    x->mark = 1;
    layout();
    for (int shown : {1, 0}) {
        SCOPED_TRACE(shown);
        eq.markHighlight = uint8_t(shown);
        RecordingGraphics g;
        draw(g, line);
        if (shown) {
            EXPECT_EQ(test::recordedShapes(g), "fill:rectangle fill:text");
            EXPECT_EQ(g.ops[0].colour, kMarkHighlightColour);
            const std::vector<PointF> box = worldPoints(g.ops[0]);
            EXPECT_EQ(box.front(), (PointF{10, kY - x->ascent}));
        } else {
            EXPECT_EQ(test::recordedShapes(g), "fill:text");
        }
    }
}

TEST_F(DrawTest, MarkedTextElementIsDrawnRedOnceAndItsMarkCleared) {
    EqElement* line = b.line();
    EqElement* t = b.text(line, u"T", EqTypeCharText);
    t->mark = 1;
    layout();
    eq.markHighlight = 0;
    RecordingGraphics first, second;
    draw(first, line);
    EXPECT_EQ(t->mark, 0);
    draw(second, line);
    ASSERT_EQ(first.ops.size(), 1u);
    ASSERT_EQ(second.ops.size(), 1u);
    EXPECT_EQ(first.ops[0].colour, kMarkedTextColour);
    EXPECT_EQ(second.ops[0].colour, eq.settings.colours[3]);
}

TEST_F(DrawTest, EmptyArgumentsShowBoxesWhileMarksAreShown) {
    EqElement* line = b.line();
    EqElement* frac = b.add(line, 128, 2);
    b.text(EqBuilder::arg(frac, 0), u"a");
    layout();
    EqElement* den = EqBuilder::arg(frac, 1);

    struct Case {
        uint8_t shown, secondStyle;
        gp::ARGB colour;
        float inset;  // of the box height, at top and bottom
    };
    for (const Case& c : {Case{1, 0, kEmptySlotColour, 0.1f}, Case{1, 1, kEmptySlotColourAlt, 0.15f},
                          Case{0, 0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << int(c.shown) << int(c.secondStyle));
        eq.markHighlight = c.shown;
        eq.flag0 = c.secondStyle;
        RecordingGraphics g;
        draw(g, line);
        const auto boxes = opsOfColour(g, c.colour);
        if (!c.shown) {
            EXPECT_TRUE(opsOfColour(g, kEmptySlotColour).empty());
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u);  // the numerator is not empty
        const std::vector<PointF> p = worldPoints(*boxes[0]);
        const gp::RectF& r = den->rect;
        EXPECT_NEAR(p[0].x, r.x, 1e-4);
        EXPECT_NEAR(p[0].y, r.y + c.inset * r.height, 1e-4);
        EXPECT_NEAR(p[2].y, r.bottom() - c.inset * r.height, 1e-4);
    }
}

TEST_F(DrawTest, SpaceMarkerIsADashedBoxWithOneDividerWhenNarrowerThanHigh) {
    EqElement* line = b.line();
    b.add(line, 98);  // a thin space
    layout();
    EqElement* space = line->next;
    ASSERT_LT(space->width, space->ascent + space->descent);
    for (uint8_t on : {uint8_t(1), uint8_t(0)}) {
        SCOPED_TRACE(int(on));
        eq.flag1 = on;
        RecordingGraphics g;
        draw(g, line);
        if (!on) {
            EXPECT_TRUE(g.ops.empty());
            continue;
        }
        EXPECT_EQ(test::recordedShapes(g), "stroke:line stroke:line stroke:rectangle");
        for (const Op& op : g.ops) {
            EXPECT_EQ(op.colour, kPhantom);
            EXPECT_EQ(op.pen.dashStyle, gp::DashStyleDash);
        }
        // The divider halves the box.
        const std::vector<PointF> divider = worldPoints(g.ops[0]);
        EXPECT_NEAR(divider[0].x, space->rect.x + space->rect.width / 2, 1e-4);
    }
}

// ---- fractions

TEST_F(DrawTest, FractionBarIsShortenedOnTheSidesThatHaveANeighbour) {
    struct Case {
        const char16_t* before;
        const char16_t* after;
        bool shortLeft, shortRight;
    };
    const Case cases[] = {
        {u"", u"", false, false},    // alone
        {u"", u"b", false, true},    // first
        {u"a", u"b", true, true},    // middle
        {u"a", u"", true, false},    // last
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shortLeft << c.shortRight);
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* line = mb.line();
        mb.text(line, c.before);
        EqElement* frac = mb.add(line, 128, 2);
        mb.text(EqBuilder::arg(frac, 0), u"1");
        mb.text(EqBuilder::arg(frac, 1), u"2");
        mb.text(line, c.after);
        LayoutLines(test::programContext(), &model, nullptr, 1.0f, 0, false);

        RecordingGraphics g;
        DrawElement(test::programContext(), line, g, 10, kY, nullptr, 1.0f, false);
        const float size = model.settings.fontSize;
        const float rule = model.settings.spacing[SpacingRuleThickness] * size;
        const float side =
            (model.settings.spacing[SpacingFractionOverhang] * 0.5f + model.settings.spacing[SpacingElementGap]) * size;
        const Op* bar = nullptr;
        for (const Op& op : g.ops)
            if (op.kind == "stroke") bar = &op;
        ASSERT_NE(bar, nullptr);
        EXPECT_FLOAT_EQ(bar->pen.width, rule);
        EXPECT_EQ(bar->pen.startCap, gp::LineCapRound);
        const std::vector<PointF> p = worldPoints(*bar);
        const float left = frac->rect.x + (c.shortLeft ? side : 0) + rule / 2;
        const float right = frac->rect.right() - (c.shortRight ? side : 0) - rule / 2;
        EXPECT_NEAR(p[0].x, left, 1e-4);
        EXPECT_NEAR(p[1].x, right, 1e-4);
        EXPECT_FLOAT_EQ(p[0].y, kY);
        // The numerator stands centred on the bar.
        EqElement* num = EqBuilder::arg(frac, 0);
        EXPECT_NEAR(num->rect.x + num->chainWidth / 2, (left + right) / 2, 1e-3);
    }
}

TEST_F(DrawTest, NestedFractionDrawsAtTheReducedScaleNeverBelowTheMinimum) {
    EqElement* line = b.line();
    EqElement* outer = b.add(line, 128, 2);
    EqElement* inner = b.add(EqBuilder::arg(outer, 0), 128, 2);
    b.text(EqBuilder::arg(inner, 0), u"1");
    b.text(EqBuilder::arg(inner, 1), u"2");
    b.text(EqBuilder::arg(outer, 1), u"3");
    layout();
    const float size = eq.settings.fontSize, s51 = eq.settings.spacing[SpacingRuleThickness];
    struct Case {
        float minScale;
        float innerRule;
    };
    for (const Case& c : {Case{0.25f, s51 * size * 0.8f}, Case{0.9f, s51 * size * 0.9f}}) {
        eq.minScale = c.minScale;
        RecordingGraphics g;
        draw(g, line);
        std::vector<float> widths;
        for (const Op& op : g.ops)
            if (op.kind == "stroke") widths.push_back(op.pen.width);
        ASSERT_EQ(widths.size(), 2u);
        EXPECT_FLOAT_EQ(widths[0], s51 * size * std::max(1.0f, c.minScale));  // outer bar
        EXPECT_FLOAT_EQ(widths[1], c.innerRule);
    }
}

// ---- enclosures

TEST_F(DrawTest, ColourBoxesFillWithTheirColourAndHatchOverATransparentBackground) {
    struct Case {
        int type;
        const char* drawn;
        const char* fill;  // the fill's brush
    };
    const Case cases[] = {
        {249, "fill:rectangle fill:text", "solid #FF102030"},
        {250, "fill:rectangle stroke:rectangle fill:text", "hatch 2 #FF102030 #00FFFFFF"},
        {251, "fill:rectangle stroke:rectangle fill:text", "hatch 3 #FF102030 #00FFFFFF"},
        {248, "stroke:rectangle fill:text", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* line = mb.line();
        EqElement* box = mb.add(line, c.type, 1);
        mb.text(EqBuilder::arg(box, 0), u"x", EqTypeCharItalic);
        SetBoxColour(box, 0x302010);  // COLORREF
        LayoutLines(test::programContext(), &model, nullptr, 1.0f, 0, false);
        RecordingGraphics g;
        DrawElement(test::programContext(), line, g, 10, kY, nullptr, 1.0f, false);
        EXPECT_EQ(test::recordedShapes(g), c.drawn);
        if (*c.fill) {
            EXPECT_EQ(g.ops[0].brush, c.fill);
        }
        // The frame stays inside the element's box.
        for (const Op& op : g.ops) {
            if (op.shape != "rectangle") continue;
            for (PointF p : worldPoints(op)) {
                EXPECT_GE(p.x, box->rect.x);
                EXPECT_LE(p.x, box->rect.right());
            }
        }
    }
}

// ---- colours

TEST_F(DrawTest, ColoursComeFromTheTableByRoleWhenTheStyleAsksForIt) {
    EqElement* line = b.line();
    b.text(line, u"x", EqTypeCharItalic);     // role 1
    b.text(line, u"2");                       // role 4
    b.text(line, u",");                       // role 7
    b.text(line, u"B", EqTypeCharBold);       // role 2
    b.text(line, u"s");                       // role 0
    EqElement* frac = b.add(line, 128, 2);    // bar: role 7
    b.text(EqBuilder::arg(frac, 0), u"a");
    b.text(EqBuilder::arg(frac, 1), u"b");
    b.add(line, 506);                          // arrow: role 9
    b.text(line, u"T", EqTypeCharText);       // colour 3 in both modes
    SetElementColour(line->next, 0x0000C0, true);  // red-ish element colour everywhere
    layout();
    const auto& colours = eq.settings.colours;
    const gp::ARGB own = 0xFFC00000;

    for (int byRole : {1, 0}) {
        SCOPED_TRACE(byRole);
        eq.settings.ints[0] = byRole;
        RecordingGraphics g;
        draw(g, line);
        std::vector<gp::ARGB> got;
        for (const Op& op : g.ops) got.push_back(op.colour);
        // x 2 , B s | a, bar, b | arrow | T
        const std::vector<gp::ARGB> want =
            byRole ? std::vector<gp::ARGB>{colours[1], colours[4], colours[7], colours[2], colours[0], colours[7],
                                           colours[0], colours[0], colours[9], colours[3]}
                   : std::vector<gp::ARGB>{own, own, own, own, own, own, own, own, own, colours[3]};
        ASSERT_EQ(got.size(), want.size()) << test::recordedShapes(g);
        // The fraction draws its bar first, then its parts.
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], want[i]) << "op " << i;
    }
}

// ---- damaged trees and routing

TEST_F(DrawTest, StructuresMissingChainsDrawWhatTheyHave) {
    struct Case {
        int type;
        int chains;
    };
    const Case cases[] = {{128, 1}, {128, 0}, {129, 1}, {130, 1}, {132, 1}, {131, 2}, {131, 1}, {133, 1},
                          {137, 1}, {175, 1}, {178, 2}, {178, 1}, {181, 1}, {182, 1}, {191, 1}, {177, 1},
                          {564, 1}, {240, 0}, {208, 0}, {590, 0}, {64, 0}, {1536, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " with " << c.chains);
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* line = mb.line();
        EqElement* e = mb.add(line, c.type, c.chains);
        for (int i = 0; i < c.chains; ++i) mb.text(EqBuilder::arg(e, i), u"a");
        EqElement* after = mb.text(line, u"z");
        LayoutLines(test::programContext(), &model, nullptr, 1.0f, 0, false);
        for (EqElement* head : e->children) head->rect = {-1, -1, -1, -1};

        RecordingGraphics g;
        DrawElement(test::programContext(), line, g, 10, kY, nullptr, 1.0f, false);
        EXPECT_EQ(g.GetLastStatus(), gp::Ok);
        // Every chain present was drawn once, and the line went on.
        for (EqElement* head : e->children) EXPECT_NE(head->rect.x, -1);
        EXPECT_FLOAT_EQ(after->rect.x, 10 + e->width);
        EXPECT_TRUE(g.GetTransform().IsIdentity());
    }
}

TEST_F(DrawTest, DegenerateBoxesAndSettingsDrawOnlyFiniteShapes) {
    // An arc mark without height, a lone prime in a script while the script
    // factor is 0, a circle frame narrower than its inset and a space marker
    // without height.
    EqElement* line = b.line();
    EqElement* arc = b.add(line, 135, 1);
    b.text(EqBuilder::arg(arc, 0), u"A");
    EqElement* sup = b.add(line, 173, 1);
    b.text(EqBuilder::arg(sup, 0), u"\u2032");
    EqElement* circle = b.add(line, 598, 1);
    EqElement* space = b.add(line, 98);
    eq.settings.spacing[SpacingScriptScale] = 0;
    layout();
    arc->ascent = arc->descent = 0;
    circle->width = 0.5f;
    space->ascent = space->descent = 0;
    eq.flag1 = 1;

    RecordingGraphics g;
    draw(g, line);
    EXPECT_EQ(g.GetLastStatus(), gp::Ok);
    int texts = 0;
    for (const Op& op : g.ops) {
        EXPECT_NE(op.shape, "arc");
        EXPECT_NE(op.shape, "ellipse");
        if (op.shape == "text") ++texts;
        for (PointF p : worldPoints(op)) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << op.shape;
    }
    EXPECT_EQ(texts, 2);  // A and the prime
}

TEST_F(DrawTest, ComputedShapesWithoutTheirObjectDrawNothingAndUnlistedCodesDrawAsCharacters) {
    EqElement* line = b.line();
    EqElement* bracket = b.add(line, 336, 1);
    b.text(EqBuilder::arg(bracket, 0), u"a");
    EqElement* op = b.add(line, 1042);
    EqElement* odd = b.add(line, 150, 0, u'q');  // not a structure
    EqElement* tail = b.text(line, u"z");
    layout();
    bracket->shape.reset();
    op->shape.reset();
    RecordingGraphics g;
    draw(g, line);
    EXPECT_EQ(test::recordedShapes(g), "fill:text fill:text");  // q and z
    EXPECT_FLOAT_EQ(odd->rect.x, 10 + bracket->width + op->width);
    EXPECT_FLOAT_EQ(tail->rect.x, odd->rect.x + odd->width);
}

TEST_F(DrawTest, LongLineIsDrawnWithoutRecursionAndEveryElementGetsItsBoxes) {
    // Far more elements than a recursion along the chain could take.
    constexpr int kCount = 300000;
    EqElement* line = b.line();
    line->chainAscent = 5;
    line->chainDescent = 2;
    EqElement* last = line;
    for (int i = 0; i < kCount; ++i) {
        last = NewChildElement(nullptr, 98, 0, last);
        last->width = 0.5f;
        last->ascent = 4;
        last->descent = 1;
    }
    eq.flag1 = 0;  // spaces draw nothing
    RecordingGraphics g;
    draw(g, line, 0);
    EXPECT_TRUE(g.ops.empty());
    EXPECT_FLOAT_EQ(last->rect.x, 0.5f * (kCount - 1));
    EXPECT_FLOAT_EQ(last->rect.y, kY - 4);
    // Every element shares the line's top and height.
    EXPECT_EQ(last->origin, (gp::RectF{last->rect.x, kY - 5, 0.5f, 7}));
}

}  // namespace
