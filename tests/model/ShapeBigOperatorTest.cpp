// Big operators measured with fixed text boxes and a symbol library whose
// outlines are plain rectangles 100 units high (record i is 30 + 2 i wide),
// so the symbol's box tells which record it came from.
#include "EqLayoutTestSupport.h"

#include "model/EqDraw.h"
#include "model/GlyphOutline.h"
#include "model/ShapeBigOperator.h"
#include "model/SymbolLibrary.h"
#include "model/EqSpacing.h"
#include "platform/gdiplus/Graphics.h"
#include "tests/common/ModelFixtures.h"

#include <string>
#include <vector>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;
using test::rectangleOutline;

constexpr float kTol = 1e-3f;

class BigOperatorTest : public test::RectangleLibraryLayoutTest {
protected:
    BigOperatorTest() : RectangleLibraryLayoutTest(8) {}

    // The outline's scale: the symbol size in percent / 100.
    float factor(int32_t type) const {
        return spacing(HasSideLimits(type) ? SpacingSideLimitOperatorSize : SpacingBigOperatorSize) * S() / 100;
    }

    // A big operator with the body "x" and limits "i=1" (lower) and "nn"
    // (upper) as the chain count asks.
    EqElement* bigOperator(int32_t type, int chains = 3) { return withLimits(type, chains, u"nn", u"i=1", u"x"); }
    static CKwEE_O_SPB* spbOf(const EqElement* e) { return dynamic_cast<CKwEE_O_SPB*>(e->shape.get()); }
};

// Option byte 1 picks the style, limited to 3; sums (306-308, 848) take
// records 0-3, every other outline records 4-7.
TEST_F(BigOperatorTest, OptionByteOnePicksTheOutlineUpToStyleThree) {
    struct Case {
        int32_t type;
        uint8_t option;
        int record;
    };
    const Case cases[] = {{306, 0, 0}, {306, 7, 3}, {308, 2, 2}, {848, 9, 3}, {309, 7, 7},
                          {309, 2, 6}, {312, 1, 5}, {849, 3, 7}, {863, 0, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        clearLine();
        eq.settings.options[1] = c.option;
        EqElement* e = bigOperator(c.type);
        layout();
        EXPECT_EQ(BigOperatorOutlineIndex(c.type, c.option), c.record);
        EXPECT_NEAR(spbOf(e)->box.width, recordWidth(c.record) * factor(c.type), kTol);
        EXPECT_NEAR(spbOf(e)->box.height, 100 * factor(c.type), kTol);
    }
}

// Drawn symbols keep the outline's height and take their own width.
TEST_F(BigOperatorTest, DrawnSymbolsTakeTheirWidthFromTheHeight) {
    struct Case {
        int32_t type;
        float widthPerHeight;
    };
    const Case cases[] = {{315, 0.8f}, {800, 0.8f}, {803, 0.8f}, {321, 0.8f}, {327, 1}, {330, 1}, {859, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        clearLine();
        EqElement* e = bigOperator(c.type);
        layout();
        const float h = 100 * factor(c.type);
        EXPECT_NEAR(spbOf(e)->box.height, h, kTol);
        EXPECT_NEAR(spbOf(e)->box.width, c.widthPerHeight * h, kTol);
    }
}

// Turned groups are drawn rotated by 180 degrees about the symbol's centre;
// 312 draws the outline of 309 upside down.
TEST_F(BigOperatorTest, TurnedTypesDrawUpsideDown) {
    struct Case {
        int32_t type;
        bool turned;
    };
    const Case cases[] = {{309, false}, {312, true}, {850, true}, {315, false}, {318, true}, {803, true},
                          {321, false}, {324, true}, {327, false}, {800, false}};
    gp::PointF centre309;
    std::vector<gp::PointF> outline309;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        clearLine();
        EqElement* e = bigOperator(c.type, 1);
        layout();
        EXPECT_EQ(IsTurnedBigOperator(c.type), c.turned);
        gp::RecordingGraphics g;
        e->shape->Draw(&g, 0, 100, 0);
        ASSERT_FALSE(g.ops.empty());
        const gp::RecordingGraphics::Op& symbol = g.ops.back();
        EXPECT_NE(symbol.shape, "text");
        EXPECT_NEAR(symbol.transform.m11(), c.turned ? -1.0f : 1.0f, kTol);
        EXPECT_NEAR(symbol.transform.m22(), c.turned ? -1.0f : 1.0f, kTol);
        // The box centre lands on the same point either way.
        const CKwEE_O_SPB& spb = *spbOf(e);
        const gp::PointF centre =
            symbol.transform.map({spb.box.x + spb.box.width / 2, spb.box.y + spb.box.height / 2});
        EXPECT_NEAR(centre.y, 100, kTol);
        if (c.type == 309) {
            centre309 = centre;
            outline309 = symbol.points;
        }
        if (c.type == 312) {
            EXPECT_NEAR(centre.x, centre309.x, kTol);
            EXPECT_EQ(symbol.points, outline309);
        }
    }
}

TEST_F(BigOperatorTest, ABodyStartingWithSideScriptsKeepsASmallGap) {
    struct Case {
        bool sideScripts;
        float gap;  // em
    };
    const Case cases[] = {{false, spacing(SpacingBigOperatorGap) + 0.06f + spacing(SpacingElementGap)}, {true, 0.1f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sideScripts);
        clearLine();
        EqElement* e = b.add(line, 306, 1);
        if (c.sideScripts) {
            EqElement* scripts = b.add(b.arg(e, 0), 182, 2);
            b.text(b.arg(scripts, 0), u"a");
            b.text(b.arg(scripts, 1), u"b");
        }
        b.text(b.arg(e, 0), u"x", EqTypeCharItalic);
        layout();
        EXPECT_NEAR(spbOf(e)->gap, c.gap * S(), kTol);
        const float body = b.arg(e, 0)->chainWidth;
        EXPECT_NEAR(e->width, spbOf(e)->box.width + body + c.gap * S() + 0.1f * S(), kTol);
    }
}

TEST_F(BigOperatorTest, AnOwnOutlineIsUsedInsteadOfTheLibrary) {
    for (const int32_t type : {860, 863}) {
        SCOPED_TRACE(type);
        clearLine();
        EqElement* e = bigOperator(type);
        e->glyph = rectangleOutline(80, 50);
        layout();
        EXPECT_NEAR(spbOf(e)->box.width, 80 * factor(type), kTol);
        EXPECT_NEAR(spbOf(e)->box.height, 50 * factor(type), kTol);
    }
    // Without its own outline it takes the library's.
    clearLine();
    EqElement* plain = bigOperator(860);
    layout();
    EXPECT_NEAR(spbOf(plain)->box.width, recordWidth(5) * factor(860), kTol);
}

// Limits and body stay inside the element's box with limits above and
// below and at the side, with neighbours on both sides.
TEST_F(BigOperatorTest, LimitsAndBodyStayInsideTheBox) {
    for (const int32_t type : {306, 312, 315, 321, 327, 848, 851, 857, 863}) {
        for (const int chains : {2, 3}) {
            SCOPED_TRACE(std::to_string(type) + " with " + std::to_string(chains) + " chains");
            clearLine();
            b.text(line, u"y", EqTypeCharItalic);
            EqElement* e = bigOperator(type, chains);
            b.text(line, u"z", EqTypeCharItalic);
            layout();
            gp::RecordingGraphics g;
            DrawElement(line, g, 0, 100, nullptr, 1.0f, false);
            EXPECT_EQ(test::elementsOutside(e, chains, e->rect, kTol), "");
        }
    }
}

}  // namespace
}  // namespace toliva
