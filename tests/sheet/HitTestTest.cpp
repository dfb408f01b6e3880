// Hit testing on boxes placed by hand (no fonts).
#include "SheetFixtures.h"

#include "sheet/editing/HitTest.h"
#include "sheet/editing/Selection.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqLayout.h"
#include "model/EqOutput.h"
#include "model/EqSpacing.h"
#include "model/RenderContext.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace toliva {
namespace {

using test::elementAt;
using test::elementPath;
using test::setBox;

// Line 0: a b x/y, a 10-pixel grid; line 1 below: c.
class HitFixture : public ::testing::Test {
protected:
    HitFixture() : eq(test::builtInStyle()), b(&eq) {
        eq.settings.fontSize = 20;
        eq.settings.spacing[SpacingElementGap] = 0.1f;  // reach 2 d up and down
        EqElement* l0 = b.line();
        b.text(l0, u"ab", EqTypeCharItalic);
        EqElement* frac = b.add(l0, EqTypeFraction, 2);
        b.text(b.arg(frac, 0), u"x", EqTypeCharItalic);
        b.text(b.arg(frac, 1), u"y", EqTypeCharItalic);
        setBox(l0, 0, 0, 0, 20);
        setBox(elementAt(&eq, "L0/1"), 0, 0, 10, 20);
        setBox(elementAt(&eq, "L0/2"), 10, 0, 10, 20);
        setBox(frac, 20, -10, 10, 40);
        setBox(b.arg(frac, 0), 20, -10, 0, 18);
        setBox(elementAt(&eq, "L0/3/c0/1"), 20, -10, 10, 18);
        setBox(b.arg(frac, 1), 20, 12, 0, 18);
        setBox(elementAt(&eq, "L0/3/c1/1"), 20, 12, 10, 18);
        EqElement* l1 = b.line();
        b.text(l1, u"c", EqTypeCharItalic);
        test::placeRow(l1, 0, 60, 10, 20);
        eq.placements.push_back({l0, 0, 15, 30, 25, 15});
        eq.placements.push_back({l1, 0, 75, 10, 15, 5});
    }
    std::string at(float x, float y) { return elementPath(ElementAtPoint(eq.lines[0], {x, y})); }
    std::string inLines(float x, float y) { return elementPath(ElementAtPointInLines(&eq, {x, y})); }
    std::string caretAt(float x, float y, float d = 1) { return elementPath(CaretHitElement(eq.lines[0], {x, y}, d)); }

    EqModel eq;
    EqBuilder b;
};

TEST_F(HitFixture, ElementAtPointTakesTheDeepestBox) {
    EXPECT_EQ(at(5, 10), "L0/1");
    EXPECT_EQ(at(10, 10), "L0/2");  // left edges belong to the box, right edges do not
    EXPECT_EQ(at(25, -5), "L0/3/c0/1");
    EXPECT_EQ(at(25, 20), "L0/3/c1/1");
    EXPECT_EQ(at(25, 9), "L0/3");  // between the chains: the fraction itself
    EXPECT_EQ(at(50, 10), "none");
    EXPECT_EQ(at(5, 20), "none");  // bottom edge
}

TEST_F(HitFixture, ElementAtPointInLinesPicksThePlacedLine) {
    EXPECT_EQ(inLines(5, 10), "L0/1");
    EXPECT_EQ(inLines(5, 65), "L1/1");
    EXPECT_EQ(inLines(5, 45), "none");  // between the lines
    eq.placements.clear();
    EXPECT_EQ(inLines(5, 10), "none");  // nothing laid out
}

TEST_F(HitFixture, CaretHitHalves) {
    EXPECT_EQ(caretAt(2, 10), "L0/0");  // left half of the first character: the line start
    EXPECT_EQ(caretAt(-2, 10), "L0/0");  // left of the line inside the head's 3 d
    EXPECT_EQ(caretAt(-4, 10), "none");
    EXPECT_EQ(caretAt(7, 10), "L0/1");
    EXPECT_EQ(caretAt(12, 10), "L0/1");  // left half of b
    EXPECT_EQ(caretAt(17, 10), "L0/2");
    EXPECT_EQ(caretAt(27, -5), "L0/3/c0/1");
    EXPECT_EQ(caretAt(22, -5), "L0/3/c0/0");
    EXPECT_EQ(caretAt(27, 25), "L0/3/c1/1");
    // The hit box reaches font size x spacing factor 1 x d = 2 d above.
    EXPECT_EQ(caretAt(7, -1.5f), "L0/1");
    EXPECT_EQ(caretAt(7, 22, 1), "none");
    EXPECT_EQ(caretAt(7, 22, 2), "L0/1");
}

TEST_F(HitFixture, CaretHitInLinesFallsBackToTheLineEnds) {
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, {7, 10}, 1)), "L0/1");
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, {200, 10}, 1)), "L0/3");
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, {200, 200}, 1)), "L1/1");
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, {-50, 70}, 1)), "L1/0");
}

TEST_F(HitFixture, LinesAfterAndBefore) {
    EXPECT_EQ(LineAfter(eq.lines[0]), eq.lines[1]);
    EXPECT_EQ(LineAfter(eq.lines[1]), nullptr);
    EXPECT_EQ(NextLineHead(elementAt(&eq, "L0/3/c1/1")), eq.lines[1]);
    EXPECT_EQ(PreviousLineHead(elementAt(&eq, "L1/1")), eq.lines[0]);
    EXPECT_EQ(PreviousLineHead(elementAt(&eq, "L0/3/c0/0")), nullptr);
}

TEST_F(HitFixture, VerticalNeighbours) {
    EqElement* x = elementAt(&eq, "L0/3/c0/1");
    EqElement* y = elementAt(&eq, "L0/3/c1/1");
    EXPECT_EQ(VerticalNeighbourChain(x, 1), elementAt(&eq, "L0/3/c1/0"));
    EXPECT_EQ(VerticalNeighbourChain(x, -1), nullptr);
    EXPECT_EQ(VerticalNeighbourChain(y, -1), elementAt(&eq, "L0/3/c0/0"));
    EXPECT_EQ(VerticalNeighbourChain(elementAt(&eq, "L0/1"), -1), nullptr);  // top level
    // Down from the numerator: the denominator element nearest by x.
    EXPECT_EQ(ElementBelow(x), y);
    EXPECT_EQ(ElementAbove(y), x);
    // Chains whose centres differ by less than 1e-8 are not above or below.
    EqElement* denominator = elementAt(&eq, "L0/3/c1/0");
    denominator->origin = elementAt(&eq, "L0/3/c0/0")->origin;
    EXPECT_EQ(VerticalNeighbourChain(x, 1), nullptr);
    // Out of the fraction to the next line.
    EXPECT_EQ(elementPath(ElementBelow(x)), "L1/1");
}

TEST_F(HitFixture, NearestByXFirstWinsATie) {
    EqElement* l1 = eq.lines[1];
    EqElement* probe = elementAt(&eq, "L0/1");  // right edge 10
    // c spans 0..10: its right edge is exact.
    EXPECT_EQ(elementPath(NearestByX(probe, l1)), "L1/1");
    // The head (edge 0) and c moved to 20..30 are both 10 away: the head wins.
    setBox(elementAt(&eq, "L1/1"), 20, 60, 10, 20);
    EXPECT_EQ(elementPath(NearestByX(probe, l1)), "L1/0");
}

TEST(HitMatrix, UpFromTheBottomRowAndOutOfTheTopRow) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* above = b.line();
    b.text(above, u"zz");
    test::placeRow(above, 0, -60, 10, 20);
    EqElement* line = b.line();
    EqElement* m = b.add(line, EqTypeMatrix, 4);
    SetMatrixCounts(m, 2, 2);
    test::placeRow(line, 0, 0, 20, 40);
    for (int i = 0; i < 4; ++i) {
        b.text(b.arg(m, i), u"m");
        test::placeRow(b.arg(m, i), 10 * float(i % 2), i < 2 ? 0.0f : 20.0f, 10, 20);
    }
    EXPECT_EQ(elementPath(ElementAbove(elementAt(&eq, "L1/1/c3/1"))), "L1/1/c1/1");
    EXPECT_EQ(elementPath(ElementAbove(elementAt(&eq, "L1/1/c2/1"))), "L1/1/c0/1");
    EXPECT_EQ(elementPath(ElementBelow(elementAt(&eq, "L1/1/c0/1"))), "L1/1/c2/1");
    // Up from the top row leaves the matrix for the line above.
    EXPECT_EQ(elementPath(ElementAbove(elementAt(&eq, "L1/1/c1/1"))), "L0/2");
    EXPECT_EQ(ElementBelow(elementAt(&eq, "L1/1/c3/1")), nullptr);
}

TEST(HitMenu, TypedElementForMenu) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    EqElement* a = b.text(line, u"a");
    EqElement* bracket = b.add(line, EqTypeBracketFirst + 3, 1);
    EqElement* inner = b.text(b.arg(bracket, 0), u"u");
    test::placeRow(line, 0, 0, 10, 20);
    setBox(b.arg(bracket, 0), 10, 0, 0, 20);
    setBox(inner, 12, 2, 6, 16);
    eq.placements.push_back({line, 0, 15, 20, 15, 5});

    SheetSelection none;
    // Under the cursor: the character itself is not a bracket; its parent is.
    EXPECT_EQ(FindTypedElementForMenu(&eq, none, {15, 10}, EqTypeBracketFirst, EqTypeBracketLast, false), nullptr);
    EXPECT_EQ(FindTypedElementForMenu(&eq, none, {15, 10}, EqTypeBracketFirst, EqTypeBracketLast, true), bracket);
    EXPECT_EQ(FindTypedElementForMenu(&eq, none, {15, 10}, EqTypeCharUpright, 0, false), inner);  // equal to lo
    // A selection starting outside the range continuing into a selected bracket.
    SheetSelection sel;
    AddToSelection(sel, a);
    AddToSelection(sel, bracket);
    EXPECT_EQ(FindTypedElementForMenu(&eq, sel, {}, EqTypeBracketFirst, EqTypeBracketLast, false), bracket);
    SetElementSelected(bracket, false);  // the run stops at an unselected element
    EXPECT_EQ(FindTypedElementForMenu(&eq, sel, {}, EqTypeBracketFirst, EqTypeBracketLast, false), nullptr);
}

TEST(HitMenu, SelectedMatrix) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    EqElement* m = b.add(line, EqTypeMatrixRow, 2);
    EqElement* bracket = b.add(line, EqTypeBracketFirst, 1);
    EqElement* inside = b.add(b.arg(bracket, 0), EqTypeMatrixColumn, 2);
    SheetSelection sel;
    AddToSelection(sel, m);
    EXPECT_EQ(SelectedMatrix(sel), m);
    ClearSelection(&eq, sel, false);
    AddToSelection(sel, bracket);
    EXPECT_EQ(SelectedMatrix(sel), inside);
    AddToSelection(sel, m);
    EXPECT_EQ(SelectedMatrix(sel), nullptr);  // two selected
}

}  // namespace
}  // namespace toliva

namespace toliva {
namespace {

using test::elementAt;
using test::elementPath;

// The boxes drawing leaves on a laid-out equation carry the hit tests and the
// vertical moves.
TEST(HitDrawn, ClicksAndMovesOnADrawnEquation) {
    static const RenderContext context = RenderContext::FromDataFolder();
    EqModel eq(test::largeStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"ab", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(b.arg(frac, 0), u"xyz", EqTypeCharItalic);
    b.text(b.arg(frac, 1), u"uvw", EqTypeCharItalic);
    b.text(b.line(), u"cd", EqTypeCharItalic);
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    QImage image(400, 300, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        ASSERT_TRUE(DrawEquationView(context, {0, 0, 400, 300}, &eq, &painter, 1.0f, false, nullptr));
    }
    ASSERT_EQ(eq.placements.size(), 2u);
    auto centreOf = [](const EqElement* e, float fx) {
        return QPointF(e->rect.x + e->rect.width * fx, e->rect.y + e->rect.height / 2);
    };
    EqElement* a = elementAt(&eq, "L0/1");
    ASSERT_GT(a->rect.width, 0);
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, centreOf(a, 0.25f), 1)), "L0/0");
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, centreOf(a, 0.75f), 1)), "L0/1");
    EXPECT_EQ(elementPath(ElementAtPointInLines(&eq, centreOf(a, 0.5f))), "L0/1");
    EqElement* y = elementAt(&eq, "L0/3/c0/2");
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, centreOf(y, 0.75f), 1)), "L0/3/c0/2");
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, centreOf(elementAt(&eq, "L0/3/c1/3"), 0.75f), 1)), "L0/3/c1/3");
    EXPECT_EQ(elementPath(CaretHitInLines(&eq, centreOf(elementAt(&eq, "L1/2"), 0.75f), 1)), "L1/2");
    // Down from the numerator's y lands under it; down again to line 1.
    EXPECT_EQ(elementPath(ElementBelow(y)), "L0/3/c1/2");
    EXPECT_EQ(FindLineHead(ElementBelow(elementAt(&eq, "L0/3/c1/2"))), eq.lines[1]);
    EXPECT_EQ(elementPath(ElementAbove(elementAt(&eq, "L0/3/c1/2"))), "L0/3/c0/2");
}

}  // namespace
}  // namespace toliva
