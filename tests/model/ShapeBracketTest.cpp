// Bracket pairs: delimiter codes, width tables, heights, gaps and drawing.
#include "EqLayoutTestSupport.h"

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/ShapeBracket.h"
#include "model/EqSpacing.h"
#include "platform/gdiplus/Graphics.h"
#include "tests/common/InkCheck.h"
#include "tests/common/ModelFixtures.h"

#include <QImage>

#include <string>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;

CKwEE_O_Bracket* bracketOf(const EqElement* e) { return dynamic_cast<CKwEE_O_Bracket*>(e->shape.get()); }

TEST(DelimiterCodeForm, KindTurnAndHeightByCode) {
    struct Case {
        uint8_t code;
        uint8_t kind;
        float rotation;
        bool stretchy;
        float height;  // fixed codes, in units of the size
        bool keepsPrevious;
    };
    const Case cases[] = {
        {0, DelimiterNone, 0, true, 0, false},
        {1, DelimiterRound, 0, true, 0, false},
        {9, DelimiterDoubleSquare, 0, true, 0, false},
        {10, DelimiterNone, 0, true, 0, false},
        {17, DelimiterRound, 180, true, 0, false},
        {23, DelimiterFloor, 180, true, 0, false},  // the right ceiling
        {24, DelimiterCeiling, 180, true, 0, false},  // the right floor
        {0x30, DelimiterNone, 0, false, 3.5f, false},
        {0x41, DelimiterRound, 0, false, 2.5f, false},
        {0x52, DelimiterRound, 180, false, 2.5f, false},
        {0x63, DelimiterSquare, 0, false, 1.8f, false},
        {0x76, DelimiterCurly, 180, false, 1.8f, false},
        {0x88, DelimiterAngle, 180, false, 1.3f, false},
        {0x99, DelimiterBar, 180, false, 1.3f, false},
        {0x89, DelimiterBar, 0, false, 1.3f, false},
        {0x3A, DelimiterDoubleBar, 180, false, 3.5f, false},
        {0x2B, DelimiterNone, 0, false, 3.5f, false},
        {0xA1, DelimiterRound, 0, false, 0, true},
        {0xFF, DelimiterNone, 0, false, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.code));
        const DelimiterForm f = DelimiterCodeForm(c.code);
        EXPECT_EQ(f.kind, c.kind);
        EXPECT_EQ(f.rotation, c.rotation);
        EXPECT_EQ(f.stretchy, c.stretchy);
        EXPECT_FLOAT_EQ(f.height, c.height);
        EXPECT_EQ(f.keepsPrevious, c.keepsPrevious);
    }
}

TEST(DelimiterWidthFor, TableLookUpsAndTallness) {
    constexpr float size = 10;
    struct Case {
        int kind;
        float height;  // in units of the size
        bool roundStyle;
        bool braceStyle;
        float width;   // in units of the size
        bool tall;
    };
    const Case cases[] = {
        {DelimiterNone, 3, false, false, 0, false},
        {DelimiterRound, 0.9f, false, false, 0.23f + 0.06f, false},
        {DelimiterRound, 1.0f, false, false, 0.23f + 0.06f, false},  // a threshold is inclusive
        {DelimiterRound, 1.8f, true, false, 0.33f + 0.06f, false},
        {DelimiterRound, 2.5f, false, false, 0.3f, true},
        {DelimiterSquare, 3, false, false, 0.38f, true},
        {DelimiterFloor, 1.2f, false, false, 0.22f + 0.06f, false},
        {DelimiterCurly, 6, false, false, 0.6f, true},
        {DelimiterCurly, 6, false, true, 0.7f, true},
        {DelimiterAngle, 12, false, false, 0.8f, true},  // beyond the last threshold
        {DelimiterBar, 12, false, false, 0.2f + 0.06f, false},  // bars are never tall
        {DelimiterDoubleBar, 4, false, false, 0.35f + 0.06f, false},
        {DelimiterDoubleSquare, 2.2f, false, false, 0.31f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " at " + std::to_string(c.height));
        const DelimiterWidth w = DelimiterWidthFor(c.kind, c.height * size, size, c.roundStyle, c.braceStyle);
        EXPECT_NEAR(w.width, c.width * size, 1e-4);
        EXPECT_EQ(w.tall, c.tall);
    }
}

class BracketLayoutTest : public FixedBoxLayoutTest {
protected:
    float A() const { return S() * spacing(SpacingElementGap); }
    float V() const { return S() * (spacing(SpacingBracketMargin) + 0.03f); }
    // The half height of content whose characters reach 0.6 S either side.
    float half() const { return 0.6f * S() + V(); }

    EqElement* bracket(EqElement* chain, int type, std::u16string_view content, uint16_t ch = 0) {
        EqElement* e = b.add(chain, type, 1, ch);
        b.text(EqBuilder::arg(e, 0), content, EqTypeCharItalic);
        return e;
    }
};

TEST_F(BracketLayoutTest, PairAroundContent) {
    EqElement* e = bracket(line, 337, u"x");
    layout();
    const CKwEE_O_Bracket* o = bracketOf(e);
    ASSERT_NE(o, nullptr);
    const float w = EqBuilder::arg(e, 0)->chainWidth;
    // The left delimiter is 0.1 S taller than the content; the element grows
    // to half of it, and the right delimiter, sized from there, once more.
    EXPECT_FLOAT_EQ(o->left.height, 2 * half() + 0.1f * S());
    EXPECT_FLOAT_EQ(o->right.height, 2 * half() + 0.2f * S());
    EXPECT_FLOAT_EQ(e->ascent, half() + 0.1f * S());
    EXPECT_FLOAT_EQ(e->descent, e->ascent);
    // Round style is automatic: on below spacing 47 x S.
    EXPECT_TRUE(o->left.roundStyle);
    EXPECT_FLOAT_EQ(o->left.width, (0.255f + 0.06f) * S());
    EXPECT_EQ(o->left.rotation, 0.0f);
    EXPECT_EQ(o->right.rotation, 180.0f);
    EXPECT_FLOAT_EQ(e->width, o->left.width + w + o->right.width + 2 * A());
    EXPECT_FLOAT_EQ(o->left.outerGap, 0.0f);  // alone in a top-level line
    EXPECT_FLOAT_EQ(o->right.outerGap, 0.0f);
}

TEST_F(BracketLayoutTest, EmptyContentTakesTheMinimumHalfHeight) {
    eq.fontMetrics[MetricMargin] = 0.1f;  // characters reach 0.5 S, below the minimum
    EqElement* e = b.add(line, 337, 1);
    layout();
    const float minimum = 0.55f * S() + V();
    EXPECT_FLOAT_EQ(bracketOf(e)->left.height, 2 * minimum + 0.1f * S());
    EXPECT_FLOAT_EQ(e->ascent, minimum + 0.1f * S());
}

TEST_F(BracketLayoutTest, ContentHoldingABracketDoesNotGrowTheDelimiters) {
    EqElement* outer = b.add(line, 338, 1);
    EqElement* inner = bracket(EqBuilder::arg(outer, 0), 337, u"x");
    layout();
    // The inner pair grows, the outer one fits around it.
    EXPECT_FLOAT_EQ(bracketOf(inner)->left.height, 2 * half() + 0.1f * S());
    EXPECT_FLOAT_EQ(bracketOf(outer)->left.height, 2 * (inner->ascent + V()));
}

TEST_F(BracketLayoutTest, OuterGapsByNeighbour) {
    const float full = A() + 0.18f * S();
    const float small = A() + 0.618f * 0.18f * S();

    // After a character and before one: full gaps.
    b.text(line, u"a");
    EqElement* middle = bracket(line, 337, u"x");
    b.text(line, u"b");
    // After an operator and before one: none.
    EqElement* line2 = b.line();
    b.add(line2, 1042);
    EqElement* afterOp = bracket(line2, 337, u"x");
    b.add(line2, 1042);
    // First and last inside another bracket: the small gaps.
    EqElement* outer = b.add(b.line(), 337, 1);
    EqElement* inner = bracket(EqBuilder::arg(outer, 0), 338, u"x");
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);

    EXPECT_FLOAT_EQ(bracketOf(middle)->left.outerGap, full);
    EXPECT_FLOAT_EQ(bracketOf(middle)->right.outerGap, full);
    EXPECT_FLOAT_EQ(bracketOf(afterOp)->left.outerGap, 0.0f);
    EXPECT_FLOAT_EQ(bracketOf(afterOp)->right.outerGap, 0.0f);
    EXPECT_FLOAT_EQ(bracketOf(inner)->left.outerGap, small);
    EXPECT_FLOAT_EQ(bracketOf(inner)->right.outerGap, small);
    // The gaps are part of the width.
    const CKwEE_O_Bracket* o = bracketOf(middle);
    EXPECT_FLOAT_EQ(middle->width, o->left.width + EqBuilder::arg(middle, 0)->chainWidth + o->right.width + 2 * A() +
                                       2 * full);
}

TEST_F(BracketLayoutTest, WithoutDelimitersOnlyOneGapAndTheOuterGapsRemain) {
    b.text(line, u"a");
    EqElement* e = bracket(line, 336, u"x", 0x0000);
    layout();
    const float w = EqBuilder::arg(e, 0)->chainWidth;
    EXPECT_FLOAT_EQ(e->width, w + A() + A() + 0.18f * S());
}

TEST_F(BracketLayoutTest, FixedCodeWithoutKindStillSetsItsHeight) {
    EqElement* e = bracket(line, 336, u"x", 0x3030);
    layout();
    const CKwEE_O_Bracket* o = bracketOf(e);
    EXPECT_EQ(o->left.kind, DelimiterNone);
    EXPECT_FLOAT_EQ(o->left.height, 3.5f * S() + 0.1f * S());
    EXPECT_FLOAT_EQ(e->ascent, (3.5f + 0.1f) * S() / 2);
    EXPECT_FLOAT_EQ(o->left.width, 0.0f);
    // Both codes are present, so the content keeps a gap on either side.
    EXPECT_FLOAT_EQ(e->width, EqBuilder::arg(e, 0)->chainWidth + 2 * A());
}

// Codes from 160 keep the height sized before them; the left one, with none
// before it, takes the stretchy height of the content.
TEST_F(BracketLayoutTest, CodesKeepingThePreviousHeightStartFromTheContent) {
    EqElement* keeping = bracket(line, 336, u"x", 0xA1A2);
    EqElement* stretchy = bracket(b.line(), 337, u"x");
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    EXPECT_FLOAT_EQ(bracketOf(keeping)->left.height, bracketOf(stretchy)->left.height);
    EXPECT_FLOAT_EQ(bracketOf(keeping)->right.height, bracketOf(keeping)->left.height + 0.1f * S());
    EXPECT_FLOAT_EQ(keeping->ascent, stretchy->ascent);
    EXPECT_EQ(bracketOf(keeping)->right.rotation, 180.0f);
}

TEST_F(BracketLayoutTest, UnusuallyTurnedSquareBracketsGetInnerGaps) {
    EqElement* e = bracket(line, 347, u"x");  // ] x ]
    EqElement* f = bracket(b.line(), 348, u"x");  // ] x [
    EqElement* g = bracket(b.line(), 338, u"x");  // [ x ]
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    const float gap = 0.09f * S();
    EXPECT_FLOAT_EQ(bracketOf(e)->left.innerGap, gap);
    EXPECT_FLOAT_EQ(bracketOf(e)->right.innerGap, 0.0f);
    EXPECT_FLOAT_EQ(bracketOf(f)->left.innerGap, gap);
    EXPECT_FLOAT_EQ(bracketOf(f)->right.innerGap, gap);
    EXPECT_FLOAT_EQ(bracketOf(g)->left.innerGap + bracketOf(g)->right.innerGap, 0.0f);
    EXPECT_FLOAT_EQ(f->width - g->width, 2 * gap);
}

TEST_F(BracketLayoutTest, TwoChainsAroundAMiddleBar) {
    EqElement* e = b.add(line, 351, 2);
    b.text(EqBuilder::arg(e, 0), u"a", EqTypeCharItalic);
    b.text(EqBuilder::arg(e, 1), u"bc", EqTypeCharItalic);
    layout();
    const CKwEE_O_Bracket* o = bracketOf(e);
    const float w1 = EqBuilder::arg(e, 0)->chainWidth, w2 = EqBuilder::arg(e, 1)->chainWidth;
    EXPECT_FLOAT_EQ(e->width, w1 + w2 + o->left.width + o->right.width + 4 * A() + 0.56f * S());
    EXPECT_FLOAT_EQ(o->left.height, 2 * half() + 0.1f * S());
}

TEST_F(BracketLayoutTest, LoneBraceAroundAMatrixIsNested) {
    EqElement* e = b.add(line, 353 + 2, 1);  // a lone left brace
    EqElement* m = b.add(EqBuilder::arg(e, 0), EqTypeMatrixColumn, 2);
    b.text(EqBuilder::arg(m, 0), u"x");
    b.text(EqBuilder::arg(m, 1), u"y");
    EqElement* plain = b.add(b.line(), 355, 1);
    b.text(EqBuilder::arg(plain, 0), u"x");
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    const CKwEE_O_Bracket* o = bracketOf(e);
    EXPECT_TRUE(o->nested);
    EXPECT_FALSE(bracketOf(plain)->nested);
    const float k = spacing(SpacingNestedBracketGrow);
    EXPECT_FLOAT_EQ(o->strokeWidth, spacing(SpacingBracketStroke) * S() * k * k);
    const float ma = m->ascent, mw = m->width;
    // Half height, grown by (k - 1) 2 S on each side before the brace is sized.
    const float grown = ma + V() + (k - 1) * 2 * S();
    EXPECT_FLOAT_EQ(o->left.height, 2 * grown + 0.1f * S());
    const DelimiterWidth dw = DelimiterWidthFor(DelimiterCurly, o->left.height, S(), false, false);
    EXPECT_FLOAT_EQ(o->left.width, dw.width + (k - 1) * S());
    // Both widths grow, also the missing right one, and the width once more.
    EXPECT_FLOAT_EQ(o->right.width, (k - 1) * S());
    EXPECT_FLOAT_EQ(e->width, o->left.width + mw + o->right.width + A() + (k - 1) * S());
}

TEST_F(BracketLayoutTest, TwoLayoutsLeaveOneFreshObject) {
    EqElement* e = bracket(line, 337, u"x");
    layout();
    const float ascent = e->ascent, width = e->width;
    layout();
    const CKwEE_O_Bracket* o = bracketOf(e);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->element, e);
    EXPECT_FLOAT_EQ(e->ascent, ascent);
    EXPECT_FLOAT_EQ(e->width, width);
}

// ---- drawing

constexpr int kImageWidth = 900;
constexpr int kImageHeight = 700;
constexpr float kX = 200, kY = 350;
struct DrawCase {
    int type;
    uint16_t ch;
    bool tall;  // a fraction inside, else one letter
};

// Draws the bracket between two invisible neighbours; its ink must stay in
// its drawn box, the transform must come back unchanged.
std::string drawBetweenNeighbours(const DrawCase& c) {
    EqModel eq(test::largeStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    SetPhantomKind(b.text(line, u"a"), PhantomFull, false);
    EqElement* e = b.add(line, c.type, 1, c.ch);
    if (c.tall) {
        EqElement* frac = b.add(EqBuilder::arg(e, 0), EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"x", EqTypeCharItalic);
        b.text(EqBuilder::arg(frac, 1), u"y", EqTypeCharItalic);
    } else {
        b.text(EqBuilder::arg(e, 0), u"x", EqTypeCharItalic);
    }
    SetPhantomKind(b.text(line, u"b"), PhantomFull, false);
    test::layoutForInkCheck(test::programContext(), eq);
    const test::InkDrawing d = test::drawLineInk(test::programContext(), line, kImageWidth, kImageHeight, kX, kY);
    if (!d.transformKept) return "the world transform was left changed";
    const test::InkCount r = test::countInk(d.image, e->rect);
    if (r.inside == 0) return "no ink";
    return test::inkComplaint(r, e->rect);
}

class BracketInk : public ::testing::TestWithParam<DrawCase> {};

TEST_P(BracketInk, StaysInsideTheDrawnBox) { EXPECT_EQ(drawBetweenNeighbours(GetParam()), ""); }

std::string drawCaseName(const testing::TestParamInfo<DrawCase>& info) {
    return "type" + std::to_string(info.param.type) + "_" + std::to_string(info.param.ch) +
           (info.param.tall ? "_tall" : "");
}

std::vector<DrawCase> everyBracketType() {
    std::vector<DrawCase> cases;
    for (int type = 337; type <= 368; ++type) {
        cases.push_back({type, 0, false});
        cases.push_back({type, 0, true});
    }
    // Fixed sizes of every kind, and a brace tall enough for the crescent
    // parenthesis and the Bezier brace's proportions.
    for (uint16_t ch : {0x3132, 0x4344, 0x5556, 0x6778, 0x8990, 0x3A3A, 0x9A9A, 0x0911, 0x0717, 0x0818}) {
        cases.push_back({336, ch, false});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Brackets, BracketInk, testing::ValuesIn(everyBracketType()), drawCaseName);

// Fixed bars and double bars of every size class, turned or not: the left
// strokes keep as far from the content as the right ones do.
TEST_F(BracketLayoutTest, FixedBarsKeepTheirGapOnBothSides) {
    for (int sizeClass = 0x20; sizeClass <= 0x90; sizeClass += 0x10) {
        for (int low : {9, 10}) {
            const uint8_t code = uint8_t(sizeClass | low);
            SCOPED_TRACE(std::to_string(code));
            EqElement* l = b.line();
            EqElement* e = bracket(l, 336, u"x", uint16_t(code << 8 | code));
            layout(l);
            const CKwEE_O_Bracket* o = bracketOf(e);
            gp::RecordingGraphics g;
            DrawElement(l, g, 0, 100, nullptr, 1.0f, false);
            const float contentLeft = o->left.width - 0.015f * S() + A();  // bars are never tall
            const float contentRight = contentLeft + EqBuilder::arg(e, 0)->chainWidth;
            float leftInk = -1e9f, rightInk = 1e9f;
            int strokes = 0;
            for (const auto& op : g.ops) {
                if (op.kind != "stroke") continue;
                ++strokes;
                std::vector<gp::PointF> pts = op.points;
                op.transform.TransformPoints(pts.data(), int(pts.size()));
                for (const gp::PointF& p : pts) {
                    if (p.x < contentLeft) leftInk = std::max(leftInk, p.x);
                    else if (p.x > contentRight) rightInk = std::min(rightInk, p.x);
                    else ADD_FAILURE() << "a stroke at x = " << p.x << " inside the content";
                }
            }
            ASSERT_EQ(strokes, low == 9 ? 2 : 4);
            // The narrower drawn boxes leave the content 0.015 S nearer the
            // left box and the right box 0.015 S further off.
            EXPECT_NEAR(contentLeft - leftInk, rightInk - contentRight, 0.03f * S() + 1e-3f);
            EXPECT_GT(contentLeft - leftInk, A());
        }
    }
}

// The ink width across a brace's upper arm, averaged over the rows between a
// fifth and two fifths of its height (the arm runs about upright there).
float braceArmInk(bool braceStyle, float w, float h, float s) {
    QImage image(int(4 * w), int(h + 20), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        gp::PainterGraphics g(&image);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.TranslateTransform(2 * w, 10 + h / 2);
        DrawCurlyDelimiter(g, w, h, s, 0xFF000000, 0, braceStyle);
    }
    float ink = 0;
    int rows = 0;
    for (int y = int(10 + h / 5); y < int(10 + 2 * h / 5); ++y, ++rows) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) ink += qAlpha(row[x]) / 255.0f;
    }
    return rows ? ink / float(rows) : 0.0f;
}

// Both brace styles draw strokes of about the same weight (the Bezier brace
// tapers towards its ends and tip, its arms come to about 0.8 of the plain one).
TEST(BracketDraw, BezierBraceIsAsHeavyAsThePlainBrace) {
    constexpr float s = 2.88f;
    const std::pair<float, float> boxes[] = {{15.3f, 41.3f}, {18.9f, 41.3f}, {23.4f, 147.8f}, {32.4f, 362.2f}};
    for (const auto& [w, h] : boxes) {
        SCOPED_TRACE(h);
        const float plain = braceArmInk(false, w, h, s);
        const float bezier = braceArmInk(true, w, h, s);
        ASSERT_GT(plain, 0.5f * s);
        EXPECT_GT(bezier, 0.65f * plain);
        EXPECT_LT(bezier, 1.25f * plain);
    }
}

// A bracket element without a shape object, or a shape never laid out,
// draws nothing and does not fail.
TEST(BracketDraw, WithoutLayoutDrawsNothing) {
    CKwEE_O_Bracket o;
    gp::RecordingGraphics g;
    o.Draw(&g, 0, 0, 0);
    EXPECT_TRUE(g.ops.empty());
}

}  // namespace
}  // namespace toliva
