#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "platform/AppContext.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QImage>

#include <string>
#include <vector>

namespace toliva {
namespace {

// Appends elements of the given widths; '=' becomes an equals operator.
EqElement* appendSized(EqElement* pred, const std::u16string& text, float width) {
    for (char16_t c : text) {
        pred = c == u'=' ? test::append(pred, 1049) : test::append(pred, EqTypeCharItalic, c);
        pred->width = width;
    }
    return pred;
}

// Sums the line's widths onto its head as layout would.
void measureLine(EqElement* head, float ascent, float descent) {
    head->chainWidth = 0;
    for (EqElement* e = head; e; e = e->next) head->chainWidth += e->width;
    head->chainAscent = ascent;
    head->chainDescent = descent;
}

// x of the first relation of a placed line.
float relationX(const LinePlacement& p) {
    float x = p.x;
    for (const EqElement* e = p.head; e && !IsRelationOperator(e); e = e->next) x += e->width;
    return x;
}

class EqModelTest : public ::testing::Test {
protected:
    EqModelTest() : eq(test::builtInStyle()) {}

    EqModel eq;
};

TEST(EqModelConstruction, FreshEquationHasNoLineUntilTheCaretIsSet) {
    EqModel eq;
    EXPECT_TRUE(eq.lines.empty());
    EXPECT_TRUE(IsEquationEmpty(&eq));
    EXPECT_EQ(eq.settings, test::builtInStyle());  // no defaults file in a fresh home
    EXPECT_EQ(eq.currentColour, eq.settings.colours[EqLayoutSettings::ColourText]);
    EXPECT_EQ(eq.ownsChains, 1);
    EXPECT_EQ(eq.needsLayout, 1);
    EXPECT_NE(EquationFonts(&eq).serifFamily, nullptr);  // fonts set up
    EXPECT_EQ(eq.phantomColour, 0xFFD3D3D3u);

    EXPECT_EQ(SetEquationCaret(&eq, nullptr), nullptr);
    ASSERT_EQ(eq.lines.size(), 1u);
    EXPECT_EQ(eq.caret, eq.lines[0]);
    EXPECT_EQ(eq.lines[0]->type, EqTypeChainHead);
    EXPECT_TRUE(IsEquationEmpty(&eq));
}

TEST(EqModelConstruction, GivenSettingsAreKept) {
    EqLayoutSettings s = test::builtInStyle();
    s.colours[EqLayoutSettings::ColourText] = 0xFF0000FF;
    s.fontSize = 20;
    EqModel eq(s);
    EXPECT_EQ(eq.settings, s);
    EXPECT_EQ(eq.currentColour, 0xFF0000FFu);
    EXPECT_NE(EquationFonts(&eq).serifFamily, nullptr);  // fonts set up
    EXPECT_EQ(AddEmptyLine(&eq)->colour, 0xFF0000FFu);
}

TEST_F(EqModelTest, LinesCaretAndClearing) {
    EqElement* first = AddEmptyLine(&eq);
    EqElement* a = test::append(first, EqTypeCharItalic, 'a');
    a->colour = 0xFF00FF00;
    EXPECT_FALSE(IsEquationEmpty(&eq));
    EqElement* second = AddEmptyLine(&eq);
    EXPECT_EQ(eq.caret, second);
    EqElement* b = test::append(second, EqTypeCharItalic, 'b');
    b->colour = 0xFF0000FF;

    SetEquationCaret(&eq, nullptr);  // the end of the last line
    EXPECT_EQ(eq.caret, b);
    EXPECT_EQ(eq.lines.size(), 2u);

    SetEquationCaret(&eq, a);
    EXPECT_EQ(eq.currentColour, 0xFF00FF00u);
    SetEquationCaret(&eq, second);  // on a head: the colour of what follows
    EXPECT_EQ(eq.currentColour, 0xFF0000FFu);
    EqElement* third = AddEmptyLine(&eq);
    third->colour = 0xFF123456;
    SetEquationCaret(&eq, third);
    EXPECT_EQ(eq.currentColour, 0xFF123456u);

    eq.placements.push_back({first});
    ClearEquation(&eq);
    EXPECT_TRUE(eq.lines.empty());
    EXPECT_TRUE(eq.placements.empty());
    EXPECT_EQ(eq.caret, nullptr);
    EXPECT_EQ(eq.currentColour, eq.settings.colours[EqLayoutSettings::ColourText]);
}

TEST_F(EqModelTest, CaretInsideACalculationResultMovesToIt) {
    EqElement* line = AddEmptyLine(&eq);
    EqElement* x = test::append(line, EqTypeCharItalic, 'x');
    EqElement* result = test::append(x, EqTypeCalcResult);
    EqElement* inner = NewChildElement(result, 0, 0, nullptr);
    EqElement* root = test::append(inner, 136);
    EqElement* deep = test::append(NewChildElement(root, 0, 0, nullptr), EqTypeCharUpright, '2');

    EXPECT_EQ(SetEquationCaret(&eq, deep), result);
    EXPECT_EQ(eq.caret, result);
    EXPECT_EQ(SetEquationCaret(&eq, x), nullptr);
    EXPECT_EQ(eq.caret, x);

    eq.caret = deep;
    EXPECT_EQ(GetEquationCaret(&eq), result);
    EXPECT_EQ(eq.caret, result);
}

TEST_F(EqModelTest, MarksAndLineCaches) {
    EqElement* first = AddEmptyLine(&eq);
    EqElement* frac = test::append(first, EqTypeFraction);
    EqElement* deep = test::append(NewChildElement(frac, 0, 0, nullptr), EqTypeCharItalic, 'n');
    EqElement* second = AddEmptyLine(&eq);

    EXPECT_FALSE(EquationHasMarks(&eq));
    deep->mark = 1;
    deep->mark2 = 1;
    EXPECT_TRUE(EquationHasMarks(&eq));
    ClearEquationMarks(&eq, false);
    EXPECT_FALSE(EquationHasMarks(&eq));
    EXPECT_EQ(deep->mark2, 1);
    ClearEquationMarks(&eq, true);
    EXPECT_EQ(deep->mark2, 0);

    for (EqElement* head : eq.lines) head->lineBitmap = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32);
    InvalidateLineCache(&eq, deep);
    EXPECT_FALSE(first->lineBitmap);
    EXPECT_TRUE(second->lineBitmap);
    first->lineBitmap = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32);
    InvalidateLineCache(&eq, nullptr);  // the caret's line
    EXPECT_TRUE(first->lineBitmap);
    EXPECT_FALSE(second->lineBitmap);
    InvalidateAllLineCaches(&eq);
    EXPECT_FALSE(first->lineBitmap);

    eq.caret = nullptr;
    InvalidateLineCache(&eq, nullptr);  // no caret: nothing to drop
}

TEST_F(EqModelTest, PlacingStacksLinesWithTheLineGap) {
    // Gap = spacing 0 (0.5) x font size (12) x scale (2) = 12.
    const float metrics[3][3] = {{30, 10, 4}, {50, 8, 2}, {20, 6, 6}};
    for (const auto& m : metrics) {
        EqElement* head = AddEmptyLine(&eq);
        head->chainWidth = m[0];
        head->chainAscent = m[1];
        head->chainDescent = m[2];
    }
    SetEquationCaret(&eq, eq.lines[1]);
    PlaceEquationLines(&eq, 5, 100, 2);

    ASSERT_EQ(eq.placements.size(), 3u);
    const float baselines[3] = {110, 110 + 4 + 12 + 8, 134 + 2 + 12 + 6};
    for (int i = 0; i < 3; ++i) {
        const LinePlacement& p = eq.placements[size_t(i)];
        EXPECT_EQ(p.head, eq.lines[size_t(i)]);
        EXPECT_EQ(p.x, 5);
        EXPECT_EQ(p.y, baselines[i]) << i;
        EXPECT_EQ(p.width, metrics[i][0]);
        EXPECT_EQ(p.ascent, metrics[i][1]);
        EXPECT_EQ(p.descent, metrics[i][2]);
    }
    EXPECT_EQ(eq.widestLine, 50);
    EXPECT_EQ(eq.totalHeight, 14 + 12 + 10 + 12 + 12);
    EXPECT_EQ(eq.caretLineTop, -12 + 12 + 14);
    EXPECT_EQ(eq.caretLineBottom, -12 + 12 + 14 + 12 + 10);

    // Placing again replaces the placements.
    PlaceEquationLines(&eq, 0, 0, 1);
    EXPECT_EQ(eq.placements.size(), 3u);
}

class EqModelAlignTest : public EqModelTest {
protected:
    // "x=yy" and "ab=cde": both equals signs are 12 wide, letters 10.
    void build() {
        eq.settings.options[EqLayoutSettings::OptLineAlignment] = 3;
        first = AddEmptyLine(&eq);
        appendSized(first, u"x=yy", 10)->prev->prev->width = 12;
        measureLine(first, 10, 3);
        second = AddEmptyLine(&eq);
        appendSized(second, u"ab=cde", 10)->prev->prev->prev->width = 12;
        measureLine(second, 10, 3);
    }

    void place(float areaX, float areaWidth) {
        PlaceEquationLines(&eq, areaX, 0, 1);
        AlignEquationLines(&eq, areaX, 0, areaWidth, 100);
    }

    EqElement* first = nullptr;
    EqElement* second = nullptr;
};

TEST_F(EqModelAlignTest, AlignAtRelationPutsTheSignsUnderEachOther) {
    build();
    place(5, 200);
    EXPECT_EQ(relationX(eq.placements[0]), relationX(eq.placements[1]));
    EXPECT_EQ(eq.placements[0].x, 5 + 10);
    EXPECT_EQ(eq.placements[1].x, 5);
    // Widest left part (20) plus widest right part (12 + 30).
    EXPECT_EQ(eq.widestLine, 20 + 42);
}

TEST_F(EqModelAlignTest, AlignMarksTakePrecedenceOverRelations) {
    build();
    // Align the first line at its 'y's, the second at its relation.
    EqElement* y2 = first->next->next->next->next;
    y2->xOffset = 1;
    SetAlignMark(y2);
    first->width = 2;
    measureLine(first, 10, 3);
    place(0, 200);
    EXPECT_EQ(eq.placements[0].alignOffset, 2 + 10 + 12 + 10 + 1);
    EXPECT_EQ(eq.placements[1].alignOffset, 20);
    EXPECT_EQ(eq.placements[0].x, 0);
    EXPECT_EQ(eq.placements[1].x, 35 - 20);

    // A mark on the head aligns at the line's end.
    SetAlignMark(first);
    place(0, 200);
    EXPECT_EQ(eq.placements[0].alignOffset, first->chainWidth);
}

TEST_F(EqModelAlignTest, LinesWithoutAlignmentPointUseTheHeadWidth) {
    build();
    EqElement* plain = AddEmptyLine(&eq);
    plain->width = 3;
    appendSized(plain, u"q", 10);
    measureLine(plain, 5, 5);
    EqElement* empty = AddEmptyLine(&eq);
    place(0, 200);
    EXPECT_EQ(eq.placements[2].alignOffset, 3);
    EXPECT_EQ(eq.placements[2].x, 20 - 3);
    EXPECT_EQ(eq.placements[3].alignOffset, 0);
    EXPECT_EQ(eq.placements[3].x, 20);
    EXPECT_EQ(empty->next, nullptr);
}

TEST_F(EqModelAlignTest, CentreAndRightUseTheWiderOfAreaAndWidestLine) {
    build();  // widths 42 and 62
    struct Case {
        int mode;
        float areaWidth;
        float x0, x1;
    };
    const std::vector<Case> cases = {
        {1, 30, 10 + 31 - 21, 10 + 31 - 31},    // narrow area: centred on the widest line
        {1, 120, 10 + 50 - 21, 10 + 50 - 31},   // W = 120 - 20
        {2, 30, 10 + 62 - 42, 10},
        {2, 120, 10 + 100 - 42, 10 + 100 - 62},
        {0, 120, 10, 10},
        {9, 120, 10, 10},
    };
    for (const Case& c : cases) {
        eq.settings.options[EqLayoutSettings::OptLineAlignment] = uint8_t(c.mode);
        place(10, c.areaWidth);
        EXPECT_EQ(eq.placements[0].x, c.x0) << c.mode << " " << c.areaWidth;
        EXPECT_EQ(eq.placements[1].x, c.x1) << c.mode << " " << c.areaWidth;
    }
}

TEST(EqModelSwap, ExchangesContentAndReownsEveryElement) {
    EqLayoutSettings redSettings = test::builtInStyle();
    redSettings.colours[EqLayoutSettings::ColourText] = 0xFFFF0000;
    EqModel a(test::builtInStyle());
    EqModel b(redSettings);

    EqElement* aLine = AddEmptyLine(&a);
    EqElement* frac = test::append(aLine, EqTypeFraction);
    EqElement* deep = test::append(NewChildElement(frac, 0, 0, nullptr), EqTypeCharItalic, 'x');
    NewChildElement(frac, 0, 0, nullptr);
    a.outputMode = 1;
    EqElement* bLine = AddEmptyLine(&b);
    EqElement* bElement = test::append(bLine, EqTypeCharItalic, 'y');
    AddEmptyLine(&b);

    a.swap(b);

    ASSERT_EQ(a.lines.size(), 2u);
    ASSERT_EQ(b.lines.size(), 1u);
    EXPECT_EQ(a.lines[0], bLine);
    EXPECT_EQ(b.lines[0], aLine);
    EXPECT_EQ(a.caret, a.lines[1]);
    EXPECT_EQ(b.caret, aLine);
    EXPECT_EQ(a.currentColour, 0xFFFF0000u);
    EXPECT_EQ(a.settings, redSettings);
    EXPECT_EQ(b.settings, test::builtInStyle());
    EXPECT_EQ(b.outputMode, 1);
    EXPECT_EQ(a.outputMode, 0);
    for (EqElement* e : {bLine, bElement, a.lines[1]}) EXPECT_EQ(e->owner, &a);
    for (EqElement* e : {aLine, frac, frac->children[0], frac->children[1], deep}) EXPECT_EQ(e->owner, &b);
}

TEST(EqModelLifetime, DeleteEqModelFreesEverything) {
    auto* eq = new EqModel(test::builtInStyle());
    EqElement* line = AddEmptyLine(eq);
    EqElement* e = line;
    for (int i = 0; i < 1000; ++i) e = test::append(NewChildElement(test::append(e, 136), 0, 0, nullptr), EqTypeCharUpright, '1');
    line->lineBitmap = std::make_unique<QImage>(2, 2, QImage::Format_ARGB32);
    DeleteEqModel(eq);  // leaks would show under the leak checker
}

}  // namespace
}  // namespace toliva
