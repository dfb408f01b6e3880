// Per-type measuring with a measurer of fixed boxes: every character box is
// 0.6 em by 1.2 em with ink 0.4 em wide from 0.1 em; "M" has ink 0.8 em wide.
#include "EqLayoutTestSupport.h"

#include "model/CalcFormat.h"
#include "model/EqElement.h"
#include "model/ExtArrowForm.h"
#include "model/GlyphOutline.h"
#include "model/ShapeObject.h"
#include "model/SymbolLibrary.h"
#include "model/EqSpacing.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;

class EqMeasureTest : public FixedBoxLayoutTest {
protected:
    // Width and height of one script character (0.56 of the size, drawn 1.12 wide).
    float scriptCharWidth() const { return 0.4f * S() * spacing(SpacingScriptScale) * spacing(SpacingScriptWiden); }
    float scriptCharHeight() const { return 1.2f * S() * spacing(SpacingScriptScale); }
    float W() const { return test::FixedBoxMeasurer::kMInkWidth * S(); }
};

constexpr float kTol = 1e-4f;

TEST_F(EqMeasureTest, FixedSpacesInEmOfM) {
    const std::pair<int32_t, float> cases[] = {{96, -1.0f / 6}, {97, 1.0f / 18}, {98, 1.0f / 6}, {99, 1 / 4.5f},
                                               {100, 5.0f / 18}, {101, 1.0f / 3}, {102, 1},      {103, 2},
                                               {105, 0.5f}};
    for (auto [type, em] : cases) {
        SCOPED_TRACE(type);
        EqElement* sp = b.add(line, type);
        layout();
        EXPECT_NEAR(sp->width, em * W(), kTol);
        EXPECT_NEAR(sp->ascent, 0.6f * S(), kTol);
    }
}

TEST_F(EqMeasureTest, CustomSpacesByUnit) {
    struct Case {
        uint16_t unit;
        float amount;
        float scale;
        float width;
    };
    const float s = S();
    const Case cases[] = {
        {8, 2, 1, 56.6f},        // 2 cm at the built-in style
        {7, 10, 1, 28.3f},       // mm
        {6, 1, 1, 72},           // inch
        {3, 1, 1, 12},           // pica
        {4, 5, 2, 10},           // points grow with the scale
        {5, 5, 1, 5},            //
        {1, 18, 1, 0.8f * s},    // mu: 1/18 em of M
        {2, 2, 1, s},            // ex: half the size
        {9, 50, 1, 0.5f * s},    // percent of the size
        {0, 2, 1, 1.6f * s},     // em of M
        {12, 1, 1, 0.8f * s},    // unknown units count as em
        {0x38, 2, 1, 56.6f},     // only the low four bits name the unit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        EqElement* sp = b.add(line, EqTypeSpaceCustom, 0, c.unit);
        SetSpaceAmount(sp, c.amount);
        layout(line, c.scale);
        EXPECT_NEAR(sp->width, c.width, kTol);
    }
}

// Character boxes by the neighbours: alone or not, tight or not.
TEST_F(EqMeasureTest, CharacterWidthsByNeighbours) {
    struct Case {
        const char* name;
        std::vector<std::pair<int32_t, char16_t>> chars;
        int32_t tail;  // structure appended after the characters, or 0
        int at;
        float width;    // em
        float xOffset;  // em
    };
    const float gap = spacing(SpacingElementGap);
    const Case cases[] = {
        {"alone", {{2, u'a'}}, 0, 0, 0.4f, 0},
        {"before a letter", {{2, u'a'}, {2, u'b'}}, 0, 0, 0.32f + gap, 0.04f - gap / 2},
        {"between letters, last", {{2, u'a'}, {2, u'b'}}, 0, 1, 0.24f, 0},
        {"before a prime", {{2, u'x'}, {1, 0x2032}}, 0, 0, 0.4f, 0},
        {"after a letter, before a prime", {{2, u'a'}, {2, u'b'}, {1, 0x2032}}, 0, 1, 0.35f, 0},
        {"before a superscript", {{2, u'x'}}, 173, 0, 0.4f, 0},
        {"slash", {{2, u'a'}, {1, u'/'}, {2, u'b'}}, 0, 1, 0.4f, 0},
        {"before a reversed prime", {{2, u'a'}, {2, u'x'}, {1, 0x2035}}, 0, 1,
         0.32f + gap + spacing(SpacingItalicToUprightKern), 0.04f - (gap + spacing(SpacingItalicToUprightKern)) / 2},
        {"sans-serif", {{16, u'a'}}, 0, 0, 0.6f * 0.55f + gap, 0},
        {"asterisk", {{1, u'*'}}, 0, 0, 0.49f, 0.02f},
        {"low line", {{1, u'_'}}, 0, 0, 0.15f, 0},
        {"comma before a fraction", {{1, u','}}, 128, 0, 0.5f, -0.05f},
        {"letter before a fraction", {{2, u'a'}}, 128, 0, 0.52f, -0.04f},
        {"CJK", {{1, 0x4E2D}}, 0, 0, 0.24f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* l = mb.line();
        std::vector<EqElement*> made;
        for (auto [type, ch] : c.chars) made.push_back(mb.text(l, std::u16string(1, ch), type));
        if (c.tail) mb.add(l, c.tail, c.tail == 128 ? 2 : 1);
        LayoutElement(context, l, nullptr, 1.0f, 0);
        EXPECT_NEAR(made[size_t(c.at)]->width, c.width * S(), kTol);
        EXPECT_NEAR(made[size_t(c.at)]->xOffset, c.xOffset * S(), kTol);
        EXPECT_NEAR(made[size_t(c.at)]->ascent, 0.6f * S(), kTol);
    }
}

TEST_F(EqMeasureTest, CharacterSizeAndMargin) {
    EqElement* a = b.text(line, u"a", EqTypeCharItalic);
    EqElement* cjk = b.text(line, u"\u4E2D");
    eq.fontMetrics[MetricMargin] = 0.1f;
    eq.settings.spacing[SpacingCJKScale] = 1.5f;
    layout(line, 2.0f);
    EXPECT_FLOAT_EQ(a->fontSize, 2 * S());
    EXPECT_FLOAT_EQ(cjk->fontSize, 3 * S());
    EXPECT_NEAR(a->ascent, 0.6f * 2 * S() - 0.1f * 2 * S(), kTol);
    EXPECT_NEAR(cjk->descent, 0.6f * 3 * S() - 0.1f * 2 * S(), kTol);
    EXPECT_EQ(a->ch2, a->ch);
}

TEST_F(EqMeasureTest, FractionBox) {
    EqElement* f = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(f, 0), u"a");
    b.text(EqBuilder::arg(f, 1), u"b");
    layout();
    // Parts 1.2 high, axis 0.05: 1.25, less 0.025 above 1.125.
    EXPECT_NEAR(f->ascent, 1.225f * S(), kTol);
    EXPECT_NEAR(f->descent, 1.225f * S(), kTol);
    EXPECT_NEAR(f->xOffset, 0.05f * S(), kTol);
    EXPECT_NEAR(f->width, (0.4f + spacing(SpacingFractionExtraWidth)) * S(), kTol);

    // Neighbours on both sides add their side space.
    b.text(line, u"c", EqTypeCharItalic);
    EqElement* g = b.add(line, EqTypeFraction, 2);
    b.add(line, 1042);
    layout();
    const float side = spacing(SpacingFractionOverhang) / 2 + spacing(SpacingElementGap);
    EXPECT_NEAR(g->width, (0.4f + spacing(SpacingFractionExtraWidth) + 2 * side) * S(), kTol);
    EXPECT_NEAR(f->width, (0.4f + spacing(SpacingFractionExtraWidth) + side) * S(), kTol);
}

TEST_F(EqMeasureTest, NestedFractionsScaleByPointEightDownToTheMinimum) {
    EqElement* chain = line;
    std::vector<EqElement*> chars;
    for (int depth = 0; depth < 8; ++depth) {
        EqElement* f = b.add(chain, EqTypeFraction, 2);
        chars.push_back(b.text(EqBuilder::arg(f, 1), u"x"));
        chain = EqBuilder::arg(f, 0);
    }
    layout();
    float expected = 1.0f;
    for (size_t i = 0; i < chars.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(chars[i]->fontSize, std::max(expected, eq.minScale) * S(), kTol);
        expected *= spacing(SpacingNestedFractionScale);
    }
}

TEST_F(EqMeasureTest, SmallFractionPartsAtScriptSize) {
    EqElement* f = b.add(line, EqTypeSmallFraction, 2);
    EqElement* x = b.text(EqBuilder::arg(f, 0), u"x");
    layout();
    EXPECT_NEAR(x->fontSize, spacing(SpacingScriptScale) * S(), kTol);
    EXPECT_NEAR(x->width, scriptCharWidth(), kTol);
    EXPECT_NEAR(f->xOffset, (spacing(SpacingFractionBarGap) + 0.1f) * S() / 2, kTol);
}

TEST_F(EqMeasureTest, StacksNarrowBesideStacks) {
    auto stack = [&](int32_t type) {
        EqElement* s = b.add(line, type, 2);
        b.text(EqBuilder::arg(s, 0), u"a");
        b.text(EqBuilder::arg(s, 1), u"b");
        return s;
    };
    EqElement* s1 = stack(133);
    layout();
    EXPECT_NEAR(s1->width, 0.4f * S(), kTol);
    EXPECT_NEAR(s1->ascent, 1.8f * S(), kTol);
    EXPECT_NEAR(s1->descent, 0.6f * S(), kTol);
    EqElement* s2 = stack(134);
    EqElement* s3 = stack(133);
    layout();
    EXPECT_NEAR(s1->width, (0.4f - 0.048f) * S(), kTol);
    EXPECT_NEAR(s2->width, (0.4f - 2 * 0.048f) * S(), kTol);
    EXPECT_NEAR(s2->ascent, 0.6f * S(), kTol);
    EXPECT_NEAR(s2->descent, 1.8f * S(), kTol);
    EXPECT_NEAR(s3->width, (0.4f - 0.048f) * S(), kTol);
}

TEST_F(EqMeasureTest, FrameMarks) {
    EqElement* circle = b.add(line, 598, 1);
    b.text(EqBuilder::arg(circle, 0), u"a");
    EqElement* over = b.add(line, 590, 1);
    b.text(EqBuilder::arg(over, 0), u"a");
    EqElement* square = b.add(line, 595, 1);
    b.text(EqBuilder::arg(square, 0), u"a");
    layout();
    EXPECT_NEAR(circle->width, 1.7f * S(), kTol);  // a short chain: 1.2 S + 0.5 S
    EXPECT_NEAR(circle->ascent, 0.85f * S(), kTol);
    EXPECT_NEAR(circle->descent, 0.85f * S(), kTol);
    EXPECT_NEAR(over->width, (0.4f + 1.236f) * S(), kTol);
    EXPECT_NEAR(over->ascent, (0.6f + 0.25f) * S(), kTol);
    EXPECT_NEAR(square->descent, (0.6f + 0.1f) * S(), kTol);

    // A tall content sets the circle by its height.
    EqElement* f = b.add(EqBuilder::arg(circle, 0), EqTypeFraction, 2);
    b.text(EqBuilder::arg(f, 0), u"1");
    b.text(EqBuilder::arg(f, 1), u"2");
    layout();
    EXPECT_NEAR(circle->width, 2 * 1.225f * S() + 0.5f * S(), kTol);
}

TEST_F(EqMeasureTest, RadicalBox) {
    EqElement* r = b.add(line, EqTypeSqrt, 1);
    b.text(EqBuilder::arg(r, 0), u"x");
    layout();
    const float rule = spacing(SpacingRuleThickness);
    EXPECT_NEAR(r->ascent, (spacing(SpacingRadicalTopGap) + 0.6f + rule) * S(), kTol);
    EXPECT_NEAR(r->descent, (rule + 0.6f) * S(), kTol);
    EXPECT_NEAR(r->xOffset, 0.0618f * S(), kTol);
    EXPECT_NEAR(r->width,
                (rule + spacing(SpacingRadicalSignWidth) + 2 * spacing(SpacingRadicalHook) + 0.4f + 0.0618f) * S(),
                kTol);

    // Before a character the offset follows the radical's proportions.
    b.text(line, u"y", EqTypeCharItalic);
    layout();
    const float x = 0.1f - 0.1f * r->ascent / (r->ascent + r->descent);
    EXPECT_NEAR(r->xOffset, x * S(), kTol);
    const float sign = rule + spacing(SpacingRadicalSignWidth) + 2 * spacing(SpacingRadicalHook);
    EXPECT_NEAR(r->width, (sign + 0.4f + x + spacing(SpacingElementGap) / 2 + 0.15f) * S(), kTol);
}

TEST_F(EqMeasureTest, SmallGroup) {
    EqElement* g = b.add(line, EqTypeSmall, 1);
    EqElement* x = b.text(EqBuilder::arg(g, 0), u"x");
    layout();
    const float S2 = spacing(SpacingSmallGroupScale) * S();
    EXPECT_NEAR(x->fontSize, S2, kTol);
    EXPECT_NEAR(g->width, 0.4f * S2 + 0.15f * S2, kTol);
    EXPECT_NEAR(g->xOffset, 0.075f * S2, kTol);
}

TEST_F(EqMeasureTest, SuperscriptAndSubscript) {
    b.text(line, u"x", EqTypeCharItalic);
    EqElement* sup = b.add(line, 173, 1);
    EqElement* two = b.text(EqBuilder::arg(sup, 0), u"2");
    layout();
    EXPECT_NEAR(two->fontSize, spacing(SpacingScriptScale) * S(), kTol);
    EXPECT_NEAR(sup->ascent, std::max(0.5f * S(), spacing(SpacingSuperscriptRise) * S() + scriptCharHeight()), kTol);
    EXPECT_NEAR(sup->descent, 0.5f * S(), kTol);
    EXPECT_NEAR(sup->width,
                (spacing(SpacingSuperscriptGap) + 0.5f * spacing(SpacingItalicScriptKern)) * S() + scriptCharWidth(),
                kTol);
    EXPECT_NEAR(sup->xOffset, 0, kTol);

    EqModel m2(test::builtInStyle());
    test::allowMinimumScale(m2);
    EqBuilder b2(&m2);
    EqElement* l2 = b2.line();
    b2.text(l2, u"T", EqTypeCharItalic);
    EqElement* sub = b2.add(l2, 174, 1);
    b2.text(EqBuilder::arg(sub, 0), u"i");
    LayoutElement(context, l2, nullptr, 1.0f, 0);
    const float kern = 0.12f * S();
    EXPECT_NEAR(sub->xOffset, -kern, kTol);
    EXPECT_NEAR(
        sub->width,
        (spacing(SpacingSubscriptGap) - 0.5f * spacing(SpacingItalicScriptKern)) * S() + scriptCharWidth() - kern,
        kTol);
    EXPECT_NEAR(sub->descent, std::max(0.5f * S(), spacing(SpacingSubscriptDrop) * S() + scriptCharHeight()), kTol);
}

TEST_F(EqMeasureTest, OverAndUnderScripts) {
    EqElement* over = b.add(line, 177, 2);
    b.text(EqBuilder::arg(over, 0), u"x", EqTypeCharItalic);
    b.text(EqBuilder::arg(over, 1), u"a");
    layout();
    EXPECT_NEAR(over->ascent, scriptCharHeight() + 0.6f * S(), kTol);
    EXPECT_NEAR(over->descent, 0.6f * S(), kTol);
    EXPECT_NEAR(over->width, 0.4f * S(), kTol);

    EqElement* lim = b.add(line, 180, 2);
    b.text(EqBuilder::arg(lim, 0), u"x", EqTypeCharItalic);
    b.text(EqBuilder::arg(lim, 1), u"a");
    layout();
    EXPECT_EQ(lim->ch, 1);
    EXPECT_NEAR(lim->descent, 0.6f * S() + scriptCharHeight() - 0.1f * S(), kTol);
    // Neighbours on both sides: side room on each, offsets cancel.
    const float g = (spacing(SpacingElementGap) + 0.1f) * S();
    EXPECT_NEAR(over->width, 0.4f * S() + g, kTol);
    EXPECT_NEAR(over->xOffset, -g, kTol);
    EXPECT_NEAR(lim->width, 0.4f * S() + g, kTol);
    EXPECT_NEAR(lim->xOffset, g, kTol);
}

// A pre-script takes its height from the element after it, which is
// measured after it: the first layout already sees the final box.
TEST_F(EqMeasureTest, PreScriptSeesTheBoxAfterIt) {
    EqElement* pre = b.add(line, 189, 1);
    b.text(EqBuilder::arg(pre, 0), u"a");
    EqElement* f = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(f, 0), u"1");
    b.text(EqBuilder::arg(f, 1), u"2");
    layout();
    EXPECT_NEAR(pre->ascent, f->ascent - 0.05f * S(), kTol);
    EXPECT_NEAR(pre->descent, f->descent - 0.05f * S(), kTol);
    const float ascent = pre->ascent;
    layout();
    EXPECT_FLOAT_EQ(pre->ascent, ascent);
}

TEST_F(EqMeasureTest, ArrowSymbols) {
    EqElement* a1 = b.add(line, 506);
    layout();
    EXPECT_NEAR(a1->width, S(), kTol);
    EXPECT_NEAR(a1->ascent, 0.2f * S(), kTol);
    EXPECT_NEAR(a1->descent, 0.25f * S(), kTol);
    EqElement* a2 = b.add(line, 546);
    EqElement* a3 = b.add(line, 547);
    b.text(line, u"x");
    layout();
    EXPECT_NEAR(a1->width, 1.15f * S(), kTol);
    EXPECT_NEAR(a2->width, 0.9f * S() + 0.15f * S(), kTol);  // no gap towards 547
    EXPECT_NEAR(a3->width, 0.9f * S() + 0.15f * S(), kTol);
    EXPECT_FLOAT_EQ(ArrowWidthFactor(524), 1.4f);
    EXPECT_FLOAT_EQ(ArrowWidthFactor(541), 1.2f);
    EXPECT_FLOAT_EQ(ArrowWidthFactor(508), 0.5f);
}

TEST_F(EqMeasureTest, ExtensibleArrowFormsByChains) {
    struct Case {
        int32_t type;
        int chains;
        ExtArrowTextForm form;
        int over;   // chain index, -1 none
        int under;  // chain index, -1 none
    };
    const Case cases[] = {
        {553, 1, ExtArrowTextForm::Over, 0, -1},      {553, 0, ExtArrowTextForm::Over, -1, -1},
        {564, 2, ExtArrowTextForm::OverUnder, 0, 1},  {574, 1, ExtArrowTextForm::OverUnder, 0, -1},
        {624, 1, ExtArrowTextForm::Over, 0, -1},      {634, 1, ExtArrowTextForm::Under, -1, 0},
        {639, 1, ExtArrowTextForm::Under, -1, 0},     {640, 1, ExtArrowTextForm::Over, 0, -1},
        {634, 2, ExtArrowTextForm::OverUnder, 0, 1},  {624, 3, ExtArrowTextForm::OverUnder, 0, 2},
        {643, 0, ExtArrowTextForm::Over, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.chains));
        EqElement* a = b.add(line, c.type, c.chains);
        const ExtArrowTexts t = ExtArrowTextChains(a);
        EXPECT_EQ(t.form, c.form);
        EXPECT_EQ(t.over, c.over < 0 ? nullptr : a->children[size_t(c.over)]);
        EXPECT_EQ(t.under, c.under < 0 ? nullptr : a->children[size_t(c.under)]);
    }
}

TEST_F(EqMeasureTest, ExtensibleArrowBoxes) {
    const float h = (2 * spacing(SpacingAccentGap) + 0.2f) * S();
    EqElement* over = b.add(line, 553, 1);
    b.text(EqBuilder::arg(over, 0), u"a");
    layout();
    EXPECT_NEAR(over->ascent, h + scriptCharHeight(), kTol);
    EXPECT_NEAR(over->descent, 0.25f * S(), kTol);
    EXPECT_NEAR(over->width, 0.78f * S() + scriptCharWidth(), kTol);

    EqModel m2(test::builtInStyle());
    test::allowMinimumScale(m2);
    EqBuilder b2(&m2);
    EqElement* l2 = b2.line();
    EqElement* under = b2.add(l2, 634, 1);
    b2.text(EqBuilder::arg(under, 0), u"a");
    LayoutElement(context, l2, nullptr, 1.0f, 0);
    EXPECT_NEAR(under->ascent, 0.25f * S(), kTol);
    EXPECT_NEAR(under->descent, h + scriptCharHeight(), kTol);
    EXPECT_NEAR(under->width, 1.2f * S(), kTol);  // the outline arrows' least width
}

// A damaged stream may leave a structure with fewer chains than its type
// has: a missing chain measures as empty.
TEST_F(EqMeasureTest, MissingChainsMeasureAsEmpty) {
    const int32_t types[] = {64,  128, 129, 130, 131, 132, 133, 135, 136, 137, 173, 174, 175, 176, 177, 178,
                             179, 180, 181, 182, 189, 190, 191, 208, 224, 240, 256, 553, 564, 590, 598, 624, 634, 1536};
    for (int chains = 0; chains <= 2; ++chains) {
        for (int32_t type : types) {
            SCOPED_TRACE(std::to_string(type) + "/" + std::to_string(chains));
            EqModel model(test::builtInStyle());
            EqBuilder mb(&model);
            EqElement* l = mb.line();
            mb.text(l, u"a", EqTypeCharItalic);
            EqElement* e = mb.add(l, type, chains);
            for (EqElement* c : e->children) mb.text(c, u"x");
            mb.text(l, u"b", EqTypeCharItalic);
            LayoutElement(context, l, nullptr, 1.0f, 0);
            EXPECT_TRUE(std::isfinite(e->width));
            EXPECT_TRUE(std::isfinite(e->ascent));
            EXPECT_TRUE(std::isfinite(e->descent));
            EXPECT_TRUE(std::isfinite(l->chainWidth));
        }
    }
    // A fraction without its denominator: the denominator is empty.
    EqElement* f = b.add(line, EqTypeFraction, 1);
    b.text(EqBuilder::arg(f, 0), u"a");
    layout();
    EXPECT_NEAR(f->descent, 0.05f * S(), kTol);
    EXPECT_NEAR(f->ascent, 1.225f * S(), kTol);
}

TEST_F(EqMeasureTest, ArcMarkStaysOpenAfterAnEmptyBox) {
    eq.fontMetrics[MetricMargin] = 1.0f;  // characters get negative extents
    b.text(line, u"a", EqTypeCharItalic);
    EqElement* arc = b.add(line, EqTypeArcMark, 1);
    layout();
    ASSERT_LT(line->next->ascent, 0.0f);
    EXPECT_NEAR(arc->ascent, 0.8f * S(), kTol);
    EXPECT_NEAR(arc->width, 1.76f * S(), kTol);
    const ArcMarkGeometry g = ArcMarkShape(arc, S());
    EXPECT_GT(g.radius, 0.0f);
    EXPECT_LE(g.gapDegrees, 45.0f);

    EqElement* again = b.add(line, EqTypeArcMark, 1);
    layout();
    EXPECT_NEAR(again->width, 1.36f * S(), kTol);
}

TEST_F(EqMeasureTest, SharedFactorsAreSafe) {
    struct Case {
        float spacing7;
        float factor;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {{0.56f, 0.56f}, {0.7f, 0.7f}, {0, 0.56f}, {-1, 0.56f}, {nan, 0.56f},
                          {inf, 0.56f},   {0.001f, 0.05f}, {100, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spacing7);
        eq.settings.spacing[SpacingScriptScale] = c.spacing7;
        EXPECT_FLOAT_EQ(ScriptScaleFactor(&eq), c.factor);
        EXPECT_TRUE(std::isfinite(LonePrimeFontSize(&eq, 10)));
    }
    eq.settings.spacing[SpacingScriptScale] = 0.5f;
    EXPECT_FLOAT_EQ(LonePrimeFontSize(&eq, 10), 16);

    EqElement* arc = b.add(line, EqTypeArcMark, 1);
    arc->ascent = arc->descent = 0;
    ArcMarkGeometry g = ArcMarkShape(arc, S());
    EXPECT_EQ(g.radius, 0.0f);
    EXPECT_EQ(g.gapDegrees, 45.0f);
    arc->ascent = arc->descent = 10;
    g = ArcMarkShape(arc, S());
    EXPECT_NEAR(g.radius, 14.14f, 1e-3);
    EXPECT_NEAR(g.gapDegrees, 100 * S() / (14.14f * std::numbers::pi_v<float>), 1e-3);
}

TEST_F(EqMeasureTest, GlyphSymbolsFromTheLibrary) {
    SymbolLibrary lib;
    for (int i = 0; i < 240; ++i) {
        auto g = std::make_unique<GlyphOutline>();
        g->m[0] = 100;
        g->m[1] = 70;
        g->m[2] = 20;
        g->charCode = int16_t(i + 1);
        lib.glyphs.push_back(std::move(g));
    }
    context.symbols = &lib;
    struct Case {
        int32_t type;
        uint16_t ch;
        float extra;  // em
    };
    const Case cases[] = {{6, 5, 0}, {6, 233, 0.35f}, {8, 5, 0.05f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type * 1000 + c.ch);
        EqElement* g = b.add(line, c.type, 0, c.ch);
        layout();
        ASSERT_TRUE(g->glyph);
        EXPECT_NE(g->glyph.get(), lib.glyph(c.ch));  // the element's own copy
        EXPECT_NEAR(g->width, (1.0f - 0.36f + spacing(SpacingElementGap) + c.extra) * S(), kTol);
        EXPECT_NEAR(g->ascent, 0.7f * S(), kTol);
        EXPECT_NEAR(g->descent, 0.2f * S(), kTol);
        EqElement* tail = g->prev;
        DeleteEqElement(g);
        tail->next = nullptr;
    }
    // No such glyph: measured as a character.
    EqElement* missing = b.add(line, 6, 0, 500);
    layout();
    EXPECT_FALSE(missing->glyph);
    EXPECT_NEAR(missing->width, 0.4f * S(), kTol);
    // Type 7 keeps the outline it was given and takes none from the library.
    EqElement* user = b.add(line, 7, 0, 5);
    EXPECT_FALSE(EnsureGlyphPath(user));
}

TEST_F(EqMeasureTest, ShapeObjectsAreReplacedAtEveryLayout) {
    EqElement* br = b.add(line, 337, 1);
    b.text(EqBuilder::arg(br, 0), u"x");
    layout();
    ASSERT_TRUE(br->shape);
    EXPECT_EQ(br->shape->element, br);
    EXPECT_FLOAT_EQ(br->shape->size, S());
    const float w1 = br->width;
    EXPECT_GT(w1, 0.0f);
    br->width = 5;
    layout(line, 2.0f);
    ASSERT_TRUE(br->shape);
    EXPECT_FLOAT_EQ(br->shape->scale, 2.0f);
    EXPECT_NEAR(br->width, 2 * w1, 1e-3);

    EXPECT_FALSE(NewShapeObject(EqTypeFraction));
    EXPECT_TRUE(NewShapeObject(1042));
    EXPECT_TRUE(NewShapeObject(EqTypeChemForm));

    // A character without accent bytes holds no shape object.
    EqElement* a = b.text(line, u"a");
    a->shape = std::make_unique<CKwEE_O>();
    layout();
    EXPECT_FALSE(a->shape);
}

TEST_F(EqMeasureTest, CalculationResultShowsItsValue) {
    b.text(line, u"a", EqTypeCharItalic);
    EqElement* r = b.add(line, EqTypeCalcResult);
    SetCalcResult(r, CalcResult{1.5e-20, 0, 11, 0});
    layout();
    ASSERT_EQ(r->children.size(), 1u);
    std::u16string text;
    EqElement* e = r->children[0]->next;
    for (; e && e->type == EqTypeCharUpright; e = e->next) text += char16_t(e->ch);
    EXPECT_EQ(text, u"1.500000");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, 1045);
    e = e->next;
    EXPECT_EQ(e->ch, u'1');
    EXPECT_EQ(e->next->ch, u'0');
    EqElement* sup = e->next->next;
    ASSERT_EQ(sup->type, 173);
    EqElement* exp = sup->children.at(0)->next;
    EXPECT_EQ(exp->type, 1043);
    EXPECT_EQ(exp->next->ch, u'2');
    EXPECT_EQ(exp->next->next->ch, u'0');
    EXPECT_EQ(exp->next->next->next, nullptr);

    EqElement* head = r->children[0];
    EXPECT_NEAR(r->width, head->chainWidth + 0.1f * S(), kTol);  // after a character
    EXPECT_NEAR(r->xOffset, 0.1f * S(), kTol);
}

TEST(CalcFormat, TextByFormatAndAngle) {
    struct Case {
        double value;
        int format;
        int angle;
        QString text;
    };
    const double pi = std::numbers::pi;
    const Case cases[] = {
        {0.5, 0, 0, "0.5"},                            // option 0: the style's index 9, "%g"
        {2.4, 20, 0, "2"},                             // clamped to "%.0f"
        {3.14159, 2, 0, "3.14"},                       //
        {1.5e-20, 11, 0, "1.500000E-20"},              //
        {-2.5, 0, 0, "-2.5"},                          //
        {pi / 6, 0, 1, QString::fromUtf8("30°")},      // degrees
        {1.5 * pi / 180, 0, 2, QString::fromUtf8("1°30′0″")},
        {0.25, 0, 3, "25%"},
        {0.0025, 0, 4, QString::fromUtf8("2.5‰")},
        {std::numeric_limits<double>::infinity(), 0, 0, "INF"},
        {-std::numeric_limits<double>::infinity(), 0, 0, "-INF"},
        {std::nan(""), 0, 0, "NAN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(FormatCalcResultText(c.value, c.format, c.angle, 9), c.text);
    }
}

TEST(CalcFormat, SpecialValuesAndSigns) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    EqElement* r = b.add(line, EqTypeCalcResult);
    auto content = [&] {
        std::vector<std::pair<int32_t, char16_t>> v;
        for (EqElement* e = r->children.at(0)->next; e; e = e->next) v.emplace_back(e->type, char16_t(e->ch));
        return v;
    };
    using V = std::vector<std::pair<int32_t, char16_t>>;
    FormatCalcResult(r, 1.0 / 0.0, 0, 0);
    EXPECT_EQ(content(), (V{{1042, 0}, {1, 0x221E}}));
    FormatCalcResult(r, -1.0 / 0.0, 0, 0);
    EXPECT_EQ(content(), (V{{1043, 0}, {1, 0x221E}}));
    FormatCalcResult(r, -2.5, 0, 0);
    EXPECT_EQ(content(), (V{{1043, 0}, {1, u'2'}, {1, u'.'}, {1, u'5'}}));
    FormatCalcResult(r, std::nan(""), 0, 0);
    EXPECT_EQ(content().size(), 12u);  // "Syntax Error"
    EXPECT_EQ(r->children.size(), 1u);

    // The caret inside the old chain moves to the result.
    eq.caret = FindChainEnd(r->children[0]);
    FormatCalcResult(r, 3, 0, 0);
    EXPECT_EQ(eq.caret, r);

    // Other types are left alone.
    EqElement* f = b.add(line, EqTypeFraction, 2);
    FormatCalcResult(f, 3, 0, 0);
    EXPECT_EQ(f->children.size(), 2u);
}

}  // namespace
}  // namespace toliva
