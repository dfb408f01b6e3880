// Integrals measured with fixed text boxes and a symbol library whose
// outlines are plain rectangles 100 units high (record i is 30 + 2 i wide),
// so a sign is 2.2 em high (spacing 18) and its width tells its record.
#include "EqLayoutTestSupport.h"

#include "model/EqDraw.h"
#include "model/GlyphOutline.h"
#include "model/ShapeAccent.h"
#include "model/ShapeBigOperator.h"
#include "model/ShapeChem.h"
#include "model/ShapeIntegral.h"
#include "model/SymbolLibrary.h"
#include "model/EqSpacing.h"
#include "platform/gdiplus/Graphics.h"
#include "tests/common/ModelFixtures.h"

#include <string>
#include <typeinfo>
#include <vector>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;
using test::rectangleOutline;
using test::FixedBoxMeasurer;

constexpr float kTol = 1e-3f;

class IntegralTest : public test::RectangleLibraryLayoutTest {
protected:
    IntegralTest() : RectangleLibraryLayoutTest(11) {}

    // An integral with the integrand "x" and limits "a" (lower) and "bb"
    // (upper) as the chain count asks.
    EqElement* integral(int32_t type, int chains = 1) { return withLimits(type, chains, u"bb", u"a", u"x"); }
    static CKwEE_O_integral* integralOf(const EqElement* e) { return dynamic_cast<CKwEE_O_integral*>(e->shape.get()); }
};

TEST_F(IntegralTest, OptionBytesAboveFiveTakeStyleFive) {
    EXPECT_EQ(IntegralStyle(0), 0);
    EXPECT_EQ(IntegralStyle(5), 5);
    EXPECT_EQ(IntegralStyle(9), 5);
    EXPECT_EQ(IntegralStyle(255), 5);

    auto signWidth = [&](uint8_t option) {
        clearLine();
        eq.settings.options[0] = option;
        EqElement* e = integral(288);
        layout();
        EXPECT_EQ(integralOf(e)->style, IntegralStyle(option));
        return integralOf(e)->singleSignWidth;
    };
    const float five = signWidth(5);
    EXPECT_NEAR(signWidth(9), five, kTol);
    EXPECT_GT(std::fabs(signWidth(2) - five), 0.01f);  // the same outline, upright
}

// A multiple integral with the integrand only is exactly its extra steps
// wider than a single integral of the same placement.
TEST_F(IntegralTest, MultipleSignsAddTheirSteps) {
    struct Case {
        int32_t type;
        int32_t single;
        int extra;
    };
    const Case cases[] = {{282, 288, 1}, {293, 288, 1}, {284, 288, 2}, {297, 288, 2}, {286, 288, 3},
                          {301, 288, 3}, {276, 288, 3}, {777, 769, 1}, {781, 769, 2}, {785, 769, 3}, {787, 769, 3}};
    // Default style 1: step = (spacing 39 + 0.08) x the sign's height.
    const float step = (spacing(SpacingIntegralStep) + 0.08f) * 2.2f * S();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        clearLine();
        EqElement* single = integral(c.single);
        layout();
        const float base = single->width;
        clearLine();
        EqElement* multiple = integral(c.type);
        layout();
        EXPECT_EQ(IntegralExtraSteps(c.type), c.extra);
        EXPECT_NEAR(integralOf(multiple)->step, step, kTol);
        EXPECT_NEAR(multiple->width - base, float(c.extra) * step, kTol);
    }
}

TEST_F(IntegralTest, AMissingOutlineStillTakesTheIntegrandsSize) {
    SymbolLibrary empty;
    context.symbols = &empty;
    EqElement* e = integral(288);
    layout();
    const EqElement* integrand = b.arg(e, 0);
    EXPECT_EQ(integralOf(e)->signHeight, 0);
    EXPECT_NEAR(e->ascent, integrand->chainAscent, kTol);
    EXPECT_NEAR(e->descent, integrand->chainDescent, kTol);
    // The gap before an integrand that starts with a character.
    EXPECT_NEAR(e->width, integrand->chainWidth + (spacing(SpacingIntegralLead) + spacing(SpacingElementGap)) * S(),
                kTol);

    gp::RecordingGraphics g;
    e->shape->Draw(&g, 0, 100, 0);
    for (const auto& op : g.ops) EXPECT_EQ(op.shape, "text");
}

// Type 276: a sign, three dots, and a second sign three steps further.
TEST_F(IntegralTest, DottedIntegralDrawsTwoSignsAndThreeDots) {
    EqElement* e = integral(276);
    layout();
    gp::RecordingGraphics g;
    e->shape->Draw(&g, 0, 100, 0);
    std::vector<float> signs;
    std::vector<float> dots;
    for (const auto& op : g.ops) {
        if (op.shape == "path") signs.push_back(op.transform.dx());
        if (op.shape == "ellipse") dots.push_back(op.transform.map(op.points[0]).x);
    }
    ASSERT_EQ(signs.size(), 2u);
    EXPECT_NEAR(signs[1] - signs[0], 3 * integralOf(e)->step, kTol);
    ASSERT_EQ(dots.size(), 3u);
    for (float x : dots) {
        EXPECT_GT(x, signs[0] + integralOf(e)->singleSignWidth * 0.5f);
        EXPECT_LT(x, signs[1] + integralOf(e)->singleSignWidth * 0.5f);
    }
}

// Limits, integrand and sign stay inside the element's box in both limit
// placements, and the integrand follows the limits.
TEST_F(IntegralTest, LimitsAndIntegrandStayInsideTheBox) {
    for (const int32_t type : {274, 275, 283, 288, 769, 777, 787}) {
        for (const int chains : {2, 3}) {
            SCOPED_TRACE(std::to_string(type) + " with " + std::to_string(chains) + " chains");
            clearLine();
            b.text(line, u"y", EqTypeCharItalic);
            EqElement* e = integral(type, chains);
            b.text(line, u"z", EqTypeCharItalic);
            layout();
            gp::RecordingGraphics g;
            DrawElement(line, g, 0, 100, nullptr, 1.0f, false);
            const gp::RectF box = e->rect;
            const EqElement* integrand = b.arg(e, chains - 1);
            EXPECT_EQ(test::elementsOutside(e, chains, box, kTol), "");
            float limitsRight = box.x;
            for (int i = 0; i < chains - 1; ++i)
                for (const EqElement* c = b.arg(e, i)->next; c; c = c->next)
                    limitsRight = std::max(limitsRight, c->rect.right());
            EXPECT_GE(integrand->next->rect.x, limitsRight - kTol);
        }
    }
}

// Limits above and below keep their ascent between their baseline and the
// sign on both sides. The upper limit here descends further than it rises,
// so measuring the upper gap by its descent would bring it close to the sign.
TEST_F(IntegralTest, LimitsAboveAndBelowKeepTheirAscentFromTheSign) {
    for (const int32_t type : {769, 777, 787}) {
        SCOPED_TRACE(type);
        clearLine();
        EqElement* e = integral(type, 3);
        EqElement* upper = b.arg(e, 0);
        EqElement* inner = b.add(upper, 769, 2);  // deeper below its baseline than above
        b.text(b.arg(inner, 0), u"c", EqTypeCharItalic);
        b.text(b.arg(inner, 1), u"y", EqTypeCharItalic);
        layout();
        gp::RecordingGraphics g;
        const float y = 100;
        DrawElement(line, g, 0, y, nullptr, 1.0f, false);
        ASSERT_GT(upper->chainDescent, upper->chainAscent + 0.1f * S());
        const float h = integralOf(e)->signHeight;
        const EqElement* lower = b.arg(e, 1);
        const float upperBaseline = upper->next->rect.y + upper->next->ascent;
        const float lowerBaseline = lower->next->rect.y + lower->next->ascent;
        EXPECT_NEAR(y - h / 2 - upperBaseline, upper->chainAscent, kTol);
        EXPECT_NEAR(lowerBaseline - (y + h / 2), lower->chainAscent, kTol);
        // The upper limit stays inside the element.
        EXPECT_GE(upperBaseline - upper->chainAscent, e->rect.y - kTol);
    }
}

// The bar over the sign of type 275 ends before the upper limit starts, in
// every style.
TEST_F(IntegralTest, TheBarOverTheSignClearsTheUpperLimit) {
    for (uint8_t style = 0; style <= 5; ++style) {
        SCOPED_TRACE(int(style));
        clearLine();
        eq.settings.options[0] = style;
        EqElement* e = integral(275, 3);
        layout();
        gp::RecordingGraphics g;
        DrawElement(line, g, 0, 100, nullptr, 1.0f, false);
        float barRight = -1e9f;
        for (const auto& op : g.ops) {
            if (op.shape != "line") continue;
            const float half = op.pen.width / 2;
            for (const gp::PointF& p : op.points) barRight = std::max(barRight, op.transform.map(p).x + half);
        }
        ASSERT_GT(barRight, -1e9f);
        const EqElement* upper = b.arg(e, 0)->next;
        EXPECT_LT(barRight, upper->rect.x + FixedBoxMeasurer::kInkLeft * upper->fontSize);
        EXPECT_LE(upper->rect.right(), e->rect.right() + kTol);
    }
}

// Every layout replaces the shape object: one object of the right class
// stays attached, pointing at its element.
TEST_F(IntegralTest, OneObjectStaysAttachedAfterTwoLayouts) {
    EqElement* in = integral(274, 3);
    EqElement* big = b.add(line, 306, 1);
    b.text(b.arg(big, 0), u"x");
    EqElement* chem = b.add(line, EqTypeChemForm, 1);
    b.text(b.arg(chem, 0), u"O");
    EqElement* accented = b.text(line, u"v", EqTypeCharItalic);
    accented->payload = {5};
    const std::pair<EqElement*, const std::type_info*> cases[] = {{in, &typeid(CKwEE_O_integral)},
                                                                  {big, &typeid(CKwEE_O_SPB)},
                                                                  {chem, &typeid(CKwEE_O_ChemEForm)},
                                                                  {accented, &typeid(CKwEE_O_Accent)}};
    layout();
    std::vector<float> widths;
    for (auto [e, type] : cases) widths.push_back(e->width);
    layout();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto [e, type] = cases[i];
        SCOPED_TRACE(e->type);
        ASSERT_NE(e->shape, nullptr);
        const CKwEE_O& object = *e->shape;
        EXPECT_EQ(typeid(object), *type);
        EXPECT_EQ(e->shape->element, e);
        EXPECT_NEAR(e->width, widths[i], kTol);
    }
}

}  // namespace
}  // namespace toliva
