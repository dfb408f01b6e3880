// The layout dispatcher, chain sums, placing, kerning and line layout.
#include "EqLayoutTestSupport.h"

#include "model/EqElement.h"
#include "model/EqSpacing.h"

#include <QImage>

#include <cmath>
#include <string>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;
using test::FixedBoxMeasurer;

class EqLayoutTest : public FixedBoxLayoutTest {};

TEST_F(EqLayoutTest, HeadCarriesTheSummedLine) {
    b.text(line, u"ab", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"1");
    b.text(EqBuilder::arg(frac, 1), u"2");
    layout();
    float width = 0;
    float ascent = 0;
    float descent = 0;
    for (EqElement* e = line; e; e = e->next) {
        width += e->width;
        ascent = std::max(ascent, e->ascent);
        descent = std::max(descent, e->descent);
    }
    EXPECT_FLOAT_EQ(line->chainWidth, width);
    EXPECT_FLOAT_EQ(line->chainAscent, ascent);
    EXPECT_FLOAT_EQ(line->chainDescent, descent);
    EXPECT_FLOAT_EQ(line->width, 0.0f);  // a head with a successor takes no room
    EXPECT_GT(frac->children[0]->chainWidth, 0.0f);
}

// A phantom keeps the width or the height its kind names; the line sums what
// is left.
TEST_F(EqLayoutTest, PhantomsKeepWidthOrHeightByKind) {
    struct Case {
        int8_t kind;
        bool keepsWidth;
        bool keepsHeight;
    };
    const Case cases[] = {{0, true, true}, {1, true, false}, {2, false, true}, {3, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* l = mb.line();
        EqElement* ph = mb.add(l, EqTypeFraction, 2);
        mb.text(EqBuilder::arg(ph, 0), u"x");
        mb.text(EqBuilder::arg(ph, 1), u"y");
        SetPhantomKind(ph, c.kind, false);
        LayoutElement(context, l, nullptr, 1.0f, 0);
        const float fullWidth = 0.65f * S();
        const float fullAscent = 1.225f * S();
        EXPECT_FLOAT_EQ(ph->width, c.keepsWidth ? fullWidth : 0.01f);
        EXPECT_FLOAT_EQ(ph->ascent, c.keepsHeight ? fullAscent : 0.01f);
        EXPECT_FLOAT_EQ(ph->descent, c.keepsHeight ? fullAscent : 0.01f);
        EXPECT_FLOAT_EQ(l->chainWidth, ph->width);
        EXPECT_FLOAT_EQ(l->chainAscent, std::max(l->ascent, ph->ascent));
        // The phantom's child chains carry the kind too and shrink alike.
        EqElement* num = ph->children[0];
        if (c.kind == 1) {
            EXPECT_FLOAT_EQ(num->chainAscent, 0.01f);
        }
        if (c.kind == 2) {
            EXPECT_FLOAT_EQ(num->chainWidth, 0.01f);
        }
    }
}

TEST_F(EqLayoutTest, ScaleIsRaisedToTheMinimum) {
    b.text(line, u"a", EqTypeCharItalic);
    eq.minScale = 0.5f;
    layout(line, 0.1f);
    EXPECT_FLOAT_EQ(line->next->fontSize, 0.5f * S());
}

// One call lays out a very long line: the walk along a chain is a loop.
TEST_F(EqLayoutTest, LongChainsNeedNoDeepStack) {
    const int n = 100000;
    EqElement* last = line;
    for (int i = 0; i < n; ++i) last = NewChildElement(nullptr, EqTypeCharItalic, 'a' + i % 26, last);
    layout();
    EXPECT_GT(line->chainWidth, 0.0f);
    PlaceChain(line, 0, 0);
    OffsetTree(line, 1, 2);
    EXPECT_FLOAT_EQ(last->rect.y, -last->ascent + 2);
}

TEST_F(EqLayoutTest, PlaceChainAndOffsetTree) {
    b.text(line, u"ab", EqTypeCharItalic);
    EqElement* sqrt = b.add(line, EqTypeSqrt, 1);
    b.text(EqBuilder::arg(sqrt, 0), u"x");
    layout();
    PlaceChain(line, 10, 50);
    EqElement* a = line->next;
    EqElement* bb = a->next;
    EXPECT_EQ(a->rect, (gp::RectF{10, 50 - a->ascent, a->width, a->ascent + a->descent}));
    EXPECT_FLOAT_EQ(bb->rect.x, 10 + a->width);
    EXPECT_FLOAT_EQ(sqrt->rect.x, 10 + a->width + bb->width);

    EqElement* x = sqrt->children[0]->next;
    const gp::RectF before = x->rect;
    const gp::RectF originBefore = x->origin;
    OffsetTree(line, 3, -4);
    EXPECT_FLOAT_EQ(a->rect.x, 13);
    EXPECT_FLOAT_EQ(a->rect.y, 50 - a->ascent - 4);
    EXPECT_FLOAT_EQ(x->rect.x, before.x + 3);
    EXPECT_FLOAT_EQ(x->origin.y, originBefore.y - 4);
}

TEST_F(EqLayoutTest, SkipsOverSpaces) {
    EqElement* a = b.text(line, u"a", EqTypeCharItalic);
    EqElement* sp1 = b.text(line, u" ");
    EqElement* sp2 = b.add(line, 98);
    EqElement* c = b.text(line, u"c", EqTypeCharItalic);
    EXPECT_EQ(SkipSpacesBack(sp2), a);
    EXPECT_EQ(SkipSpacesBack(c), c);
    EXPECT_EQ(SkipSpacesAfter(sp2), c);
    EXPECT_EQ(SkipSpacesAfter(a), a);
    // From the first of two spaces the walk turns back at the second.
    EXPECT_EQ(SkipSpacesAfter(sp1), a);
    EXPECT_EQ(SkipSpacesBack(line), line);

    a->payload = {1};
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    EXPECT_EQ(FindPlainCharBack(frac), c);
    EXPECT_EQ(FindPlainCharBack(sp2), sp1);
    EXPECT_EQ(FindPlainCharBack(a), line);  // 'a' carries an accent
}

// Gaps after a character in em, by the pair of characters.
TEST_F(EqLayoutTest, CharacterGapsByPair) {
    struct Case {
        int32_t t1;
        char16_t c1;
        int32_t t2;
        char16_t c2;
        float gap;
    };
    const float base = spacing(SpacingElementGap);
    const Case cases[] = {
        {2, u'f', 2, u'f', base + 0.12f},          // italic f before f
        {2, u'g', 2, u'g', base},                  //
        {2, u'V', 2, u'a', base - 0.06f},          // V a tightens
        {2, u'V', 2, u'b', base},                  // but not before b
        {2, u'C', 2, u'V', base + 0.03f},          //
        {2, u'x', 2, u'a', base + 0.03f},          //
        {2, u'a', 2, u'r', base + 0.06f},          //
        {2, u'1', 2, u'2', base},                  // digits: no italic pair kerning
        {2, u'x', 1, u'2', base + 0.5f * spacing(SpacingItalicToUprightKern)},
        {2, u'x', 1, u'y', base + spacing(SpacingItalicToUprightKern)},
        {2, u'x', 1, u',', base},                  // italic before punctuation
        {1, u'a', 2, u'b', base + spacing(SpacingUprightToItalicKern)},
        {1, u'2', 2, u'b', base + 0.25f * spacing(SpacingUprightToItalicKern)},
        {1, u'd', 2, u'x', base},
        {1, u'1', 1, u'1', base - 0.05f},          // "11" is set tighter than "12"
        {1, u'1', 1, u'2', base},
        {1, u'1', 1, u'x', base + 0.1f},           // digit next to a letter
        {1, u',', 2, u'x', base + 0.12f},
        {1, u'!', 1, u'!', base},
        {1, u'!', 1, u'a', base + 0.1f},           // room after '!' unless another follows
        {1, u' ', 1, u'a', 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, char(c.c1)) + std::string(1, char(c.c2)));
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* l = mb.line();
        EqElement* first = mb.text(l, std::u16string(1, c.c1), c.t1);
        mb.text(l, std::u16string(1, c.c2), c.t2);
        EXPECT_NEAR(CharGapAfter(first), c.gap, 1e-6);
    }
}

TEST_F(EqLayoutTest, GapLooksPastSpacesAndIsZeroAtTheEnd) {
    EqElement* v = b.text(line, u"V", EqTypeCharItalic);
    b.text(line, u" ");
    b.text(line, u"a", EqTypeCharItalic);
    EXPECT_NEAR(CharGapAfter(v), spacing(SpacingElementGap) - 0.06f, 1e-6);
    EXPECT_EQ(CharGapAfter(FindChainEnd(line)), 0.0f);
}

// The kerning reaches the measured widths: the first letter's width changes
// by the kerning times the font size.
TEST_F(EqLayoutTest, KerningReachesTheWidths) {
    struct Case {
        std::u16string kerned;
        std::u16string plain;
        int32_t type;
        float difference;  // em
    };
    const Case cases[] = {
        {u"ff", u"gg", EqTypeCharItalic, 0.12f},
        {u"Va", u"Vb", EqTypeCharItalic, -0.06f},
        {u"11", u"12", EqTypeCharUpright, -0.05f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromStdU16String(c.kerned).toStdString());
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* l1 = mb.line();
        EqElement* l2 = mb.line();
        mb.text(l1, c.kerned, c.type);
        mb.text(l2, c.plain, c.type);
        LayoutElement(context, l1, nullptr, 1.0f, 0);
        LayoutElement(context, l2, nullptr, 1.0f, 0);
        EXPECT_NEAR(l1->next->width - l2->next->width, c.difference * S(), 1e-4);
    }
}

TEST_F(EqLayoutTest, ScriptKerningByPredecessor) {
    struct Case {
        int32_t baseType;
        char16_t base;
        int32_t scriptType;
        float kern;
    };
    const Case cases[] = {
        {2, u'V', 173, 0.08f}, {2, u'h', 173, 0.04f}, {2, u'l', 173, 0.02f}, {2, u'x', 173, 0},
        {1, u'A', 173, 0.08f}, {1, u'V', 173, 0},     {2, 0x039B, 173, 0.08f},  // Lambda counts as A
        {2, u'T', 174, 0.12f}, {2, u'F', 174, 0.1f},  {2, u'f', 174, 0.08f},    {2, u'H', 174, 0.05f},
        {1, u'T', 174, 0.1f},  {1, u'r', 174, 0.04f}, {1, u'x', 174, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.base));
        EqModel model(test::builtInStyle());
        EqBuilder mb(&model);
        EqElement* l = mb.line();
        mb.text(l, std::u16string(1, c.base), c.baseType);
        EqElement* s = mb.add(l, c.scriptType, 1);
        EXPECT_FLOAT_EQ(c.scriptType == 173 ? SuperscriptKern(s) : SubscriptKern(s), c.kern);
    }
    // After something that is not a character there is none.
    b.add(line, EqTypeFraction, 2);
    EqElement* sup = b.add(line, 173, 1);
    EXPECT_EQ(SuperscriptKern(sup), 0.0f);
}

TEST_F(EqLayoutTest, PreScriptKerningLooksAtTheItalicBase) {
    EqElement* pre = b.add(line, 189, 1);
    b.text(line, u"A", EqTypeCharItalic);
    EXPECT_FLOAT_EQ(PreSuperscriptKern(pre), 0.07f);
    EqModel m2(test::builtInStyle());
    EqBuilder b2(&m2);
    EqElement* l2 = b2.line();
    EqElement* pre2 = b2.add(l2, 190, 1);
    b2.text(l2, u"T", EqTypeCharItalic);
    EXPECT_FLOAT_EQ(PreSubscriptKern(pre2), 0.06f);
    b2.text(l2, u"Q", EqTypeCharItalic);
    EqElement* pre3 = b2.add(l2, 190, 1);
    b2.text(l2, u"R", EqTypeCharItalic);
    EXPECT_FLOAT_EQ(PreSubscriptKern(pre3), 0.0f);
    EqElement* pre4 = b2.add(l2, 190, 1);
    b2.text(l2, u"R", EqTypeCharUpright);
    EXPECT_FLOAT_EQ(PreSubscriptKern(pre4), 0.0f);
}

TEST_F(EqLayoutTest, ScriptGaps) {
    b.text(line, u"x", EqTypeCharItalic);
    EqElement* sup = b.add(line, 173, 1);
    EXPECT_FLOAT_EQ(GapBeforeSuperscript(sup),
                    spacing(SpacingSuperscriptGap) + 0.5f * spacing(SpacingItalicScriptKern));
    EXPECT_FLOAT_EQ(GapBeforeSubscript(sup), spacing(SpacingSubscriptGap) - 0.5f * spacing(SpacingItalicScriptKern));
    EXPECT_FLOAT_EQ(GapAfterScript(nullptr, sup), 0.0f);
    EqElement* plus = b.add(line, 1042);
    EXPECT_FLOAT_EQ(GapAfterScript(plus, sup), spacing(SpacingElementGap) + 0.01f);
    EqElement* sub = b.add(line, 174, 1);
    EXPECT_FLOAT_EQ(GapAfterScript(sub, sup), spacing(SpacingElementGap));
    EqElement* y = b.text(line, u"y", EqTypeCharUpright);
    EXPECT_FLOAT_EQ(GapAfterScript(y, sup), spacing(SpacingElementGap) + 0.15f);

    // At the end of a bracket's content scripts keep clear of the delimiter.
    EqElement* br = b.add(line, 337, 1);
    EqElement* inner = EqBuilder::arg(br, 0);
    b.text(inner, u"a", EqTypeCharItalic);
    EqElement* s173 = b.add(inner, 173, 1);
    EXPECT_FLOAT_EQ(GapAfterScript(nullptr, s173), spacing(SpacingElementGap) + 0.1f);
    EqElement* s176 = b.add(inner, 176, 1);
    EXPECT_FLOAT_EQ(GapAfterScript(nullptr, s176), spacing(SpacingElementGap) + 0.05f);
    EqElement* s174 = b.add(inner, 174, 1);
    EXPECT_FLOAT_EQ(GapAfterScript(nullptr, s174), 0.0f);
}

TEST_F(EqLayoutTest, LatinisedGreekCapitals) {
    EXPECT_EQ(Latinise(0x0393), u'F');
    EXPECT_EQ(Latinise(0x039B), u'A');
    EXPECT_EQ(Latinise(0x03A9), u'O');
    EXPECT_EQ(Latinise(0x03A3), u'E');
    EXPECT_EQ(Latinise(0x03A0), u'M');
    EXPECT_EQ(Latinise(0x03A8), u'B');
    EXPECT_EQ(Latinise(0x2207), u'V');
    EXPECT_EQ(Latinise(u'q'), u'q');
}

TEST_F(EqLayoutTest, LayoutLinesSkipsAndKeepsCaches) {
    EqElement* second = b.line();
    EqElement* third = b.line();
    b.text(line, u"a");
    b.text(second, u"b");
    b.text(third, u"c");

    LayoutLines(context, &eq, nullptr, 2.0f, -1, false);
    EXPECT_FLOAT_EQ(eq.minScale, eq.settings.size2 * 2 / eq.settings.fontSize);
    EXPECT_EQ(line->chainWidth, 0.0f);
    EXPECT_EQ(third->chainWidth, 0.0f);

    LayoutLines(context, &eq, nullptr, 1.0f, 1, false);
    EXPECT_EQ(line->chainWidth, 0.0f);
    EXPECT_GT(second->chainWidth, 0.0f);
    EXPECT_GT(third->chainWidth, 0.0f);

    second->lineBitmap = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32);
    const float kept = second->chainWidth;
    LayoutLines(context, &eq, nullptr, 2.0f, 0, true);
    EXPECT_GT(line->chainWidth, 0.0f);
    EXPECT_FLOAT_EQ(second->chainWidth, kept);
    EXPECT_FLOAT_EQ(third->chainWidth, 2 * kept);
}

// Two lines aligned at their equals signs (alignment mode 3): the signs meet
// at one x and the widest line is the widest left part plus the widest right.
TEST_F(EqLayoutTest, AlignsTwoLinesAtTheirEqualsSigns) {
    eq.settings.options[EqLayoutSettings::OptLineAlignment] = 3;
    EqElement* second = b.line();
    b.text(line, u"a", EqTypeCharItalic);
    b.add(line, 1049);
    b.text(line, u"b", EqTypeCharItalic);
    b.text(second, u"bc", EqTypeCharItalic);
    b.add(second, 1049);
    b.text(second, u"d", EqTypeCharItalic);
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    PlaceEquationLines(&eq, 0, 0, 1.0f);
    AlignEquationLines(&eq, 0, 0, 0, 0);
    ASSERT_EQ(eq.placements.size(), 2u);

    // 'a' alone before the sign is its ink; "bc" is b with its gap and c.
    const float left1 = 0.4f * S();
    const float left2 = (0.32f + spacing(SpacingElementGap)) * S() + (0.24f + spacing(SpacingElementGap)) * S();
    const float right = std::max(line->chainWidth - OffsetToRelation(line),
                                 second->chainWidth - OffsetToRelation(second));
    EXPECT_NEAR(eq.placements[0].x, left2 - left1, 1e-4);
    EXPECT_NEAR(eq.placements[1].x, 0, 1e-4);
    EXPECT_NEAR(eq.placements[0].x + OffsetToRelation(line), eq.placements[1].x + OffsetToRelation(second), 1e-4);
    const float left = std::max(OffsetToRelation(line), OffsetToRelation(second));
    EXPECT_NEAR(left - OffsetToRelation(second), 0, 1e-4);  // the longer left side is the second
    EXPECT_NEAR(eq.widestLine, left + right, 1e-4);
}

TEST_F(EqLayoutTest, ChildChainAccessGuardsMissingChains) {
    EqElement* frac = b.add(line, EqTypeFraction, 1);
    EXPECT_EQ(ChildChain(frac, 0), frac->children[0]);
    EXPECT_EQ(ChildChain(frac, 1), nullptr);
    EXPECT_EQ(ChildChain(frac, -1), nullptr);
    EXPECT_EQ(LastChildChain(frac), frac->children[0]);
    EXPECT_EQ(LastChildChain(line), nullptr);
}

// The font measurer: real fonts give boxes, the same each time.
TEST(EqLayoutFonts, MeasuresWithTheEquationFonts) {
    ASSERT_TRUE(gp::FontEngineAvailable()) << "tests/common/TestMain.cpp makes the application the font engine needs";
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"x", EqTypeCharItalic);
    b.add(line, 1042);
    b.text(line, u"12");
    b.add(line, 102);
    LayoutLines(test::programContext(), &eq, nullptr, 1.0f, 0, false);
    const float width = line->chainWidth;
    EXPECT_GT(width, 0.0f);
    EXPECT_GT(line->chainAscent, 0.0f);
    for (EqElement* e = line->next; e; e = e->next) EXPECT_TRUE(std::isfinite(e->width));
    EXPECT_GT(FindChainEnd(line)->width, 0.0f);  // the em space
    LayoutLines(test::programContext(), &eq, nullptr, 1.0f, 0, false);
    EXPECT_FLOAT_EQ(line->chainWidth, width);
}

}  // namespace
}  // namespace toliva
