// Caret moves over one line holding a fraction, a long division, a root, a
// 2 x 2 matrix, a three-chain integral, a big operator and a bracket, and a
// second line below it. Boxes are placed by hand where Up and Down need them.
#include "SheetFixtures.h"

#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/HitTest.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"

#include <gtest/gtest.h>

#include <string>

namespace toliva {
namespace {

using test::elementAt;
using test::elementPath;

class CaretFixture : public ::testing::Test {
protected:
    CaretFixture() : eq(test::builtInStyle()), b(&eq) {
        // L0: a  x/y  long division  root  [1 2; 3 4]  integral  big operator  (u)  b
        EqElement* l0 = b.line();
        b.text(l0, u"a", EqTypeCharItalic);
        EqElement* frac = b.add(l0, EqTypeFraction, 2);
        b.text(b.arg(frac, 0), u"x", EqTypeCharItalic);
        b.text(b.arg(frac, 1), u"y", EqTypeCharItalic);
        EqElement* division = b.add(l0, EqTypeLongDivision, 3);
        b.text(b.arg(division, 0), u"p");
        b.text(b.arg(division, 1), u"q");
        b.text(b.arg(division, 2), u"r");
        EqElement* root = b.add(l0, EqTypeRoot, 2);
        b.text(b.arg(root, 0), u"s");
        b.text(b.arg(root, 1), u"3");
        EqElement* matrix = b.add(l0, EqTypeMatrix, 4);
        SetMatrixCounts(matrix, 2, 2);
        for (int i = 0; i < 4; ++i) b.text(b.arg(matrix, i), std::u16string(1, char16_t(u'1' + i)));
        EqElement* integral = b.add(l0, EqTypeIntegralFirst + 2, 3);
        b.text(b.arg(integral, 0), u"f");
        b.text(b.arg(integral, 1), u"0");
        b.text(b.arg(integral, 2), u"1");
        EqElement* big = b.add(l0, EqTypeBigOperatorFirst, 3);
        b.text(b.arg(big, 0), u"k");
        b.text(b.arg(big, 1), u"i");
        b.text(b.arg(big, 2), u"n");
        EqElement* bracket = b.add(l0, EqTypeBracketFirst, 1);
        b.text(b.arg(bracket, 0), u"u");
        b.text(l0, u"b", EqTypeCharItalic);
        // L1: c d
        EqElement* l1 = b.line();
        b.text(l1, u"cd", EqTypeCharItalic);

        // Boxes: top-level elements 20 wide in a row, line 1 at y 100.
        test::placeRow(l0, 0, 0, 20, 20);
        test::placeRow(l1, 0, 100, 20, 20);
        // The fraction's numerator over its denominator.
        test::placeRow(b.arg(frac, 0), 20, -10, 10, 8);
        test::placeRow(b.arg(frac, 1), 20, 12, 10, 8);
        // The matrix cells, two by two.
        for (int i = 0; i < 4; ++i)
            test::placeRow(b.arg(matrix, i), 80 + 10 * float(i % 2), i < 2 ? -10.0f : 12.0f, 10, 8);
    }

    std::string press(const std::string& start, const std::string& key) {
        EqElement* caret = elementAt(&eq, start);
        if (!caret) return "bad start " + start;
        EqElement* target = nullptr;
        if (key == "Left") target = CaretLeft(&eq, caret, false);
        else if (key == "Right") target = CaretRight(&eq, caret, false);
        else if (key == "Shift+Left") target = CaretLeft(&eq, caret, true);
        else if (key == "Shift+Right") target = CaretRight(&eq, caret, true);
        else if (key == "Up") target = CaretUp(&eq, caret);
        else if (key == "Down") target = CaretDown(&eq, caret);
        else if (key == "Home") target = CaretHome(caret);
        else if (key == "End") target = CaretEnd(caret);
        else if (key == "Tab") target = CaretTab(caret);
        else return "bad key " + key;
        return elementPath(target);
    }

    EqModel eq;
    EqBuilder b;
};

TEST_F(CaretFixture, PathsNameElements) {
    for (const char* path : {"L0/0", "L0/2/c1/1", "L0/5/c3/0", "L1/2"})
        EXPECT_EQ(elementPath(elementAt(&eq, path)), path);
    EXPECT_EQ(elementAt(&eq, "L0/2/c2/0"), nullptr);
}

struct KeyCase {
    const char* start;
    const char* key;
    const char* expected;  // "none": the key does nothing
};

TEST_F(CaretFixture, KeyTable) {
    const KeyCase cases[] = {
        // Line ends.
        {"L0/0", "Left", "none"},
        {"L1/2", "Right", "none"},
        {"L0/9", "Right", "L1/0"},
        {"L1/0", "Left", "L0/9"},
        // Fraction: enter from either side, leave from the chains.
        {"L0/2", "Left", "L0/2/c0/1"},
        {"L0/1", "Right", "L0/2/c0/0"},
        {"L0/2/c0/1", "Right", "L0/2"},
        {"L0/2/c0/0", "Left", "L0/1"},
        {"L0/2/c1/0", "Left", "L0/1"},
        {"L0/2/c1/1", "Right", "L0/2"},
        // Long division: in by chain 1, then chain 0, then out; left through 2, 1, 0.
        {"L0/2", "Right", "L0/3/c1/0"},
        {"L0/3/c1/1", "Right", "L0/3/c0/0"},
        {"L0/3/c0/1", "Right", "L0/3"},
        {"L0/3", "Left", "L0/3/c0/1"},
        {"L0/3/c0/0", "Left", "L0/3/c1/1"},
        {"L0/3/c2/0", "Left", "L0/3/c1/1"},
        {"L0/3/c2/1", "Right", "L0/3"},
        {"L0/3/c1/0", "Left", "L0/2"},
        // Root with an index: in by the index (chain 1), on to the radicand.
        {"L0/3", "Right", "L0/4/c1/0"},
        {"L0/4/c1/1", "Right", "L0/4/c0/0"},
        {"L0/4/c0/0", "Left", "L0/4/c1/1"},
        {"L0/4/c1/0", "Left", "L0/3"},
        {"L0/4", "Left", "L0/4/c0/1"},
        // 2 x 2 matrix: along a row, never across rows.
        {"L0/4", "Right", "L0/5/c0/0"},
        {"L0/5/c0/1", "Right", "L0/5/c1/0"},
        {"L0/5/c1/0", "Left", "L0/5/c0/1"},
        {"L0/5/c2/0", "Left", "L0/4"},
        {"L0/5/c1/1", "Right", "L0/5"},
        {"L0/5/c2/1", "Right", "L0/5/c3/0"},
        {"L0/5", "Left", "L0/5/c3/1"},
        // Three-chain integral and big operator.
        {"L0/5", "Right", "L0/6/c1/0"},
        {"L0/6/c1/1", "Right", "L0/6/c2/0"},
        {"L0/6/c0/1", "Right", "L0/6/c2/0"},
        {"L0/6/c2/1", "Right", "L0/6"},
        {"L0/6", "Left", "L0/6/c2/1"},
        {"L0/6/c2/0", "Left", "L0/6/c0/1"},
        {"L0/6/c1/0", "Left", "L0/6/c0/1"},
        {"L0/6/c0/0", "Left", "L0/5"},
        {"L0/6", "Right", "L0/7/c1/0"},
        {"L0/7/c1/0", "Left", "L0/7/c0/1"},
        {"L0/7", "Left", "L0/7/c2/1"},
        // Bracket with one chain.
        {"L0/7", "Right", "L0/8/c0/0"},
        {"L0/8", "Left", "L0/8/c0/1"},
        {"L0/8/c0/1", "Right", "L0/8"},
        {"L0/8/c0/0", "Left", "L0/7"},
        // Shift passes structures whole.
        {"L0/1", "Shift+Right", "L0/2"},
        {"L0/2", "Shift+Left", "L0/1"},
        {"L0/2/c0/1", "Shift+Right", "L0/2"},
        {"L0/4/c0/0", "Shift+Left", "L0/3"},
        // Home and End: a second press climbs out of the structure.
        {"L0/2/c0/1", "Home", "L0/2/c0/0"},
        {"L0/2/c0/0", "Home", "L0/0"},
        {"L0/0", "Home", "none"},
        {"L0/2/c0/0", "End", "L0/2/c0/1"},
        {"L0/2/c0/1", "End", "L0/9"},
        {"L0/9", "End", "none"},
        // Tab: through the chains, then after the structure.
        {"L0/2/c0/1", "Tab", "L0/2/c1/0"},
        {"L0/2/c1/1", "Tab", "L0/2"},
        {"L0/1", "Tab", "L0/2/c0/0"},
        {"L0/9", "Tab", "none"},
        {"L0/8/c0/1", "Tab", "none"},
        // Up and Down onto structures: the upper and lower chains.
        {"L0/2", "Up", "L0/2/c0/1"},
        {"L0/2", "Down", "L0/2/c1/1"},
        {"L0/1", "Down", "L0/2/c1/0"},
        {"L0/1", "Up", "L0/2/c0/0"},
        {"L0/3", "Up", "L0/3/c2/1"},
        {"L0/3", "Down", "L1/2"},
        {"L0/4", "Down", "L0/5/c2/0"},
        {"L0/5", "Up", "L0/5/c1/1"},
        {"L0/5", "Down", "L0/5/c3/1"},
        {"L0/4", "Up", "L0/5/c0/0"},
        // Up and Down by the boxes.
        {"L0/2/c0/1", "Down", "L0/2/c1/1"},
        {"L0/2/c0/0", "Down", "L0/2/c1/0"},
        {"L0/2/c1/1", "Up", "L0/2/c0/1"},
        {"L0/2/c0/1", "Up", "none"},
        {"L0/5/c2/1", "Up", "L0/5/c0/1"},
        {"L0/5/c1/1", "Down", "L0/5/c3/1"},
        {"L0/5/c0/1", "Up", "none"},
        {"L0/5/c3/1", "Down", "L1/2"},
        {"L1/1", "Up", "L0/1"},
        {"L1/1", "Down", "none"},
    };
    for (const KeyCase& c : cases) EXPECT_EQ(press(c.start, c.key), c.expected) << c.start << " " << c.key;
}

TEST_F(CaretFixture, DocumentEnds) {
    EXPECT_EQ(elementPath(DocumentStart(&eq)), "L0/0");
    EXPECT_EQ(elementPath(DocumentEnd(&eq)), "L1/2");
    EqModel empty(test::builtInStyle());
    EXPECT_EQ(DocumentStart(&empty), nullptr);
    EXPECT_EQ(DocumentEnd(&empty), nullptr);
}

TEST_F(CaretFixture, CaretInCalculationResultMovesFromTheResult) {
    EqElement* line = eq.lines[1];
    EqElement* result = b.add(line, EqTypeCalcResult, 1);
    b.text(b.arg(result, 0), u"42");
    // The result is passed over whole: Left from inside acts as from the result.
    EXPECT_EQ(elementPath(CaretLeft(&eq, elementAt(&eq, "L1/3/c0/1"), false)), "L1/2");
    EXPECT_EQ(elementPath(CaretRight(&eq, elementAt(&eq, "L1/2"), false)), "L1/3");
}

struct ChainCase {
    int32_t type;
    int chains;
    int fromRight, fromLeft;
};

TEST(CaretChainRules, EnteringChains) {
    const ChainCase cases[] = {
        {EqTypeFraction, 2, 0, 0},         {EqTypeBevelledFraction, 2, 1, 0}, {EqTypeSlashFraction, 2, 1, 0},
        {EqTypeLongDivision, 3, 0, 1},     {EqTypeSqrt, 1, 0, 0},             {EqTypeRoot, 2, 0, 1},
        {EqTypeSubSuperscript, 2, 0, 1},   {EqTypeSuperscript, 1, 0, 0},      {EqTypeMatrix, 4, 3, 0},
        {EqTypeMatrixRow, 3, 2, 0},        {EqTypeIntegralFirst, 1, 0, 0},    {EqTypeIntegralFirst, 3, 2, 1},
        {EqTypeBigOperatorFirst, 2, 1, 0}, {EqTypeBracketFirst, 1, 0, 0},     {EqTypeBracketFirst, 2, 1, 0},
        {EqTypeOverUnderScript, 3, 0, 0},
    };
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    for (const ChainCase& c : cases) {
        EqElement* s = b.add(line, c.type, c.chains);
        EXPECT_EQ(EnteringChain(s, true), c.fromRight) << c.type;
        EXPECT_EQ(EnteringChain(s, false), c.fromLeft) << c.type;
    }
    EXPECT_EQ(EnteringChain(b.add(line, EqTypeFraction, 0), true), -1);
}

TEST(CaretChainRules, SiblingChains) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    EqElement* vector = b.add(line, EqTypeMatrixRow, 3);
    EXPECT_EQ(SiblingChain(vector, 1, true), 0);
    EXPECT_EQ(SiblingChain(vector, 0, true), -1);
    EXPECT_EQ(SiblingChain(vector, 1, false), 2);
    EXPECT_EQ(SiblingChain(vector, 2, false), -1);
    EqElement* matrix = b.add(line, EqTypeMatrix, 6);
    SetMatrixCounts(matrix, 2, 3);
    EXPECT_EQ(SiblingChain(matrix, 2, false), -1);  // end of row 0
    EXPECT_EQ(SiblingChain(matrix, 3, true), -1);   // start of row 1
    EXPECT_EQ(SiblingChain(matrix, 4, true), 3);
    EXPECT_EQ(SiblingChain(matrix, 4, false), 5);
    EqElement* bevelled = b.add(line, EqTypeBevelledFraction, 2);
    EXPECT_EQ(SiblingChain(bevelled, 0, false), 1);
    EXPECT_EQ(SiblingChain(bevelled, 1, true), 0);
    EqElement* integral2 = b.add(line, EqTypeIntegralFirst, 2);
    EXPECT_EQ(SiblingChain(integral2, 0, false), 1);
    EXPECT_EQ(SiblingChain(integral2, 1, false), -1);
    EqElement* fraction = b.add(line, EqTypeFraction, 2);
    EXPECT_EQ(SiblingChain(fraction, 0, false), -1);
    EXPECT_EQ(SiblingChain(fraction, 1, true), -1);
    EqElement* sqrt = b.add(line, EqTypeSqrt, 1);
    EXPECT_EQ(SiblingChain(sqrt, 0, true), -1);
    EXPECT_EQ(SiblingChain(sqrt, 0, false), -1);
}

TEST(CaretChainRules, UpperAndLowerChains) {
    struct Case {
        int32_t type;
        int chains;
        int upper, lower;
    };
    const Case cases[] = {
        {EqTypeFraction, 2, 0, 1},        {EqTypeSmallFraction, 2, 0, -1},   {EqTypeLongDivision, 3, 2, -1},
        {EqTypeSuperscript, 1, 0, -1},    {EqTypeBarScripts, 2, 0, 1},       {EqTypeSubscript, 1, -1, 0},
        {EqTypeSubSuperscript, 2, 0, 1},  {EqTypeOverScript, 2, 1, -1},      {EqTypeOverUnderScript, 3, 1, 2},
        {EqTypeUnderScript, 2, -1, 1},    {EqTypeExtArrowPlain, 1, 0, -1},   {EqTypeExtArrowBelowPlain, 2, 0, 1},
        {EqTypeExtArrowBelowEquals, 2, 0, -1}, {EqTypeRoot, 2, -1, -1},      {EqTypeMatrixRow, 3, -1, -1},
    };
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    for (const Case& c : cases) {
        EqElement* s = b.add(line, c.type, c.chains);
        EXPECT_EQ(UpperChain(s, true), c.upper) << c.type;
        EXPECT_EQ(LowerChain(s, true), c.lower) << c.type;
    }
    // A 3 x 2 matrix: from the right the last cell of row 0 and the last
    // cell; from the left cell 0 and the first cell of the last row.
    EqElement* m = b.add(line, EqTypeMatrix, 6);
    SetMatrixCounts(m, 3, 2);
    EXPECT_EQ(UpperChain(m, true), 1);
    EXPECT_EQ(UpperChain(m, false), 0);
    EXPECT_EQ(LowerChain(m, true), 5);
    EXPECT_EQ(LowerChain(m, false), 4);
}

}  // namespace
}  // namespace toliva
