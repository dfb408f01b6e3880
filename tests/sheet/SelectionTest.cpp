// The selection: ranges from caret moves, across structures and lines, words,
// the highlight, restyling, recolouring, flags and the find marks.
#include "SheetFixtures.h"

#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/Selection.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"
#include "model/SymbolLibrary.h"
#include "platform/gdiplus/Graphics.h"

#include <QImage>

#include <gtest/gtest.h>

namespace toliva {
namespace {

using test::elementAt;
using test::elementPath;

std::string paths(const std::vector<EqElement*>& items) {
    std::string out;
    for (const EqElement* e : items) out += (out.empty() ? "" : " ") + elementPath(e);
    return out;
}

// L0: a x/y [p q r long division] b; L1: c d; L2: e
class SelectionFixture : public ::testing::Test {
protected:
    SelectionFixture() : eq(test::builtInStyle()), b(&eq) {
        EqElement* l0 = b.line();
        b.text(l0, u"a", EqTypeCharItalic);
        EqElement* frac = b.add(l0, EqTypeFraction, 2);
        b.text(b.arg(frac, 0), u"xz", EqTypeCharItalic);
        b.text(b.arg(frac, 1), u"y", EqTypeCharItalic);
        EqElement* division = b.add(l0, EqTypeLongDivision, 3);
        b.text(b.arg(division, 0), u"p");
        b.text(b.arg(division, 1), u"q");
        b.text(b.arg(division, 2), u"r");
        b.text(l0, u"b", EqTypeCharItalic);
        b.text(b.line(), u"cd", EqTypeCharItalic);
        b.text(b.line(), u"e", EqTypeCharItalic);
    }
    std::string range(const char* anchor, const char* caret) {
        SelectRange(&eq, sel, elementAt(&eq, anchor), elementAt(&eq, caret));
        for (EqElement* e : sel.items) EXPECT_TRUE(IsElementSelected(e)) << elementPath(e);
        return paths(sel.items);
    }

    EqModel eq;
    EqBuilder b;
    SheetSelection sel;
};

TEST_F(SelectionFixture, ShiftArrowsFromALineStart) {
    // The sheet's Shift+Right: the anchor stays at the line start.
    EqElement* anchor = elementAt(&eq, "L1/0");
    EqElement* caret = CaretRight(&eq, anchor, true);
    SelectRange(&eq, sel, anchor, caret);
    EXPECT_EQ(paths(sel.items), "L1/1");
    caret = CaretRight(&eq, caret, true);
    SelectRange(&eq, sel, anchor, caret);
    EXPECT_EQ(paths(sel.items), "L1/1 L1/2");
    // Shift+Home goes back to the anchor: nothing is selected.
    caret = CaretHome(caret);
    SelectRange(&eq, sel, anchor, caret);
    EXPECT_FALSE(sel.exists());
    EXPECT_FALSE(IsElementSelected(elementAt(&eq, "L1/1")));
    EXPECT_FALSE(IsElementSelected(elementAt(&eq, "L1/2")));
    // Shift+Right over a structure takes it whole.
    SelectRange(&eq, sel, elementAt(&eq, "L0/1"), CaretRight(&eq, elementAt(&eq, "L0/1"), true));
    EXPECT_EQ(paths(sel.items), "L0/2");
}

TEST_F(SelectionFixture, RangesAcrossStructuresAndLines) {
    struct Case {
        const char* anchor;
        const char* caret;
        const char* selected;
    };
    const Case cases[] = {
        {"L0/0", "L0/2", "L0/1 L0/2"},
        {"L0/2", "L0/0", "L0/1 L0/2"},  // either order
        {"L0/2/c0/0", "L0/2/c0/2", "L0/2/c0/1 L0/2/c0/2"},
        {"L0/2", "L0/2", ""},
        // From inside the fraction to outside it: the fraction is raised and kept.
        {"L0/2/c0/1", "L0/3", "L0/2 L0/3"},
        {"L0/2/c0/1", "L0/4", "L0/2 L0/3 L0/4"},
        {"L0/4", "L0/2/c0/1", "L0/2 L0/3 L0/4"},
        {"L0/1", "L0/3/c2/1", "L0/2 L0/3"},
        {"L0/0", "L0/2/c1/0", "L0/1 L0/2"},
        // Two argument chains of one structure: the structure.
        {"L0/2/c0/1", "L0/2/c1/1", "L0/2"},
        {"L0/3/c2/1", "L0/3/c0/0", "L0/3"},
        // Across lines: the ends are raised to their top-level elements.
        {"L0/3", "L1/1", "L0/4 L1/0 L1/1"},
        {"L0/2/c1/1", "L2/1", "L0/2 L0/3 L0/4 L1/0 L1/1 L1/2 L2/0 L2/1"},
        {"L2/0", "L1/2", "L2/0"},
        {"L0/4", "L1/0", "L1/0"},
    };
    for (const Case& c : cases) EXPECT_EQ(range(c.anchor, c.caret), c.selected) << c.anchor << " to " << c.caret;
    // Nothing stays selected outside the list.
    SelectRange(&eq, sel, elementAt(&eq, "L0/0"), elementAt(&eq, "L0/1"));
    for (const char* p : {"L0/2", "L0/2/c0/1", "L1/1", "L2/0"}) EXPECT_FALSE(IsElementSelected(elementAt(&eq, p))) << p;
}

TEST_F(SelectionFixture, ElementsInACalculationResultSelectTheResult) {
    EqElement* result = b.add(eq.lines[2], EqTypeCalcResult, 1);
    b.text(b.arg(result, 0), u"12");
    SelectRun(sel, elementAt(&eq, "L2/2/c0/1"), elementAt(&eq, "L2/2/c0/2"));
    EXPECT_EQ(paths(sel.items), "L2/2");
    EXPECT_EQ(range("L2/0", "L2/2/c0/1"), "L2/1 L2/2");
}

TEST_F(SelectionFixture, SelectAllAndScope) {
    EqElement* caret = SelectAll(&eq, sel);
    EXPECT_EQ(elementPath(caret), "L2/1");
    EXPECT_EQ(eq.caret, caret);
    EXPECT_EQ(paths(sel.items), "L0/1 L0/2 L0/3 L0/4 L1/0 L1/1 L1/2 L2/0 L2/1");
    EXPECT_FALSE(IsElementSelected(eq.lines[0]));
    EXPECT_EQ(SelectionScope(&eq, sel), 0);
    // A selected head in the middle: not one run.
    EXPECT_TRUE(FirstSelectedElements(sel).empty());

    ClearSelection(&eq, sel, true);
    EXPECT_EQ(SelectionScope(&eq, sel), 2);
    SetEquationCaret(&eq, elementAt(&eq, "L0/2"));
    range("L0/1", "L0/2");  // inside the line, an element before and after
    EXPECT_EQ(SelectionScope(&eq, sel), 2);
    range("L0/0", "L0/1");  // from the line start: the head is the element before
    EXPECT_EQ(SelectionScope(&eq, sel), 2);
    range("L0/3", "L0/4");  // to the line end
    EXPECT_EQ(SelectionScope(&eq, sel), 1);
    range("L0/2/c0/0", "L0/2/c0/2");  // a whole argument chain
    EXPECT_EQ(SelectionScope(&eq, sel), 2);
    range("L1/0", "L1/1");  // another line
    EXPECT_EQ(SelectionScope(&eq, sel), 0);
    range("L0/3", "L1/1");
    EXPECT_EQ(paths(FirstSelectedElements(sel)), "");
    range("L0/4", "L1/1");  // a leading head is passed over
    EXPECT_EQ(paths(FirstSelectedElements(sel)), "L1/1");
    range("L0/0", "L0/2");
    EXPECT_EQ(paths(FirstSelectedElements(sel)), "L0/1 L0/2");
}

TEST_F(SelectionFixture, ForgetElementsTouchesNoElement) {
    range("L0/0", "L0/2");
    sel.anchor = elementAt(&eq, "L0/1");
    sel.highlight.emplace_back(0, 0, 5, 5);
    sel.rebuildHitBoxes = false;
    sel.forgetElements();
    EXPECT_FALSE(sel.exists());
    EXPECT_EQ(sel.anchor, nullptr);
    EXPECT_TRUE(sel.hitBoxes.empty());
    EXPECT_TRUE(sel.highlight.empty());
    EXPECT_TRUE(sel.rebuildHitBoxes);
}

TEST_F(SelectionFixture, HitBoxesNumberElementsInDocumentOrder) {
    test::placeRow(eq.lines[0], 0, 0, 10.4f, 20);
    RebuildHitBoxes(&eq, sel);
    ASSERT_FALSE(sel.hitBoxes.empty());
    for (size_t i = 0; i < sel.hitBoxes.size(); ++i) {
        EXPECT_EQ(RunningIndex(sel.hitBoxes[i].element), int(i));
    }
    EXPECT_EQ(sel.hitBoxes[1].element, elementAt(&eq, "L0/1"));
    EXPECT_EQ(sel.hitBoxes[1].right, 10);
    EXPECT_EQ(sel.hitBoxes[2].left, 10);
    EXPECT_EQ(sel.hitBoxes[2].right, 21);
    EXPECT_EQ(sel.hitBoxes[2].depth, 0);
    EXPECT_EQ(sel.hitBoxes[3].element, elementAt(&eq, "L0/2/c0/0"));
    EXPECT_EQ(sel.hitBoxes[3].depth, 1);
    // Not rebuilt until asked to.
    const size_t count = sel.hitBoxes.size();
    b.text(eq.lines[2], u"f");
    RebuildHitBoxes(&eq, sel);
    EXPECT_EQ(sel.hitBoxes.size(), count);
    sel.rebuildHitBoxes = true;
    RebuildHitBoxes(&eq, sel);
    EXPECT_EQ(sel.hitBoxes.size(), count + 1);
}

TEST(SelectionWord, DoubleClickSelectsTheWord) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"wxyz", EqTypeCharItalic);
    b.text(line, u" ", EqTypeCharUpright);
    b.text(line, u"uv", EqTypeCharItalic);
    test::placeRow(line, 0, 0, 10, 20);
    eq.placements.push_back({line, 0, 15, 70, 15, 5});
    SheetSelection sel;
    // The caret after the x (the click's own caret), the point in the line.
    SetEquationCaret(&eq, elementAt(&eq, "L0/2"));
    SelectWordAt(&eq, sel, {15, 10});
    EXPECT_EQ(paths(sel.items), "L0/1 L0/2 L0/3 L0/4");
    // A click at the word's left edge puts the caret before it.
    SetEquationCaret(&eq, elementAt(&eq, "L0/5"));
    SelectWordAt(&eq, sel, {51, 10});
    EXPECT_EQ(paths(sel.items), "L0/6 L0/7");
    SetEquationCaret(&eq, elementAt(&eq, "L0/0"));
    SelectWordAt(&eq, sel, {1, 10});
    EXPECT_EQ(paths(sel.items), "L0/1 L0/2 L0/3 L0/4");
    // Outside the line: the caret element and the rest of its chain.
    SetEquationCaret(&eq, elementAt(&eq, "L0/4"));
    SelectWordAt(&eq, sel, {200, 10});
    EXPECT_EQ(paths(sel.items), "L0/4 L0/5 L0/6 L0/7");
    SetEquationCaret(&eq, elementAt(&eq, "L0/0"));
    SelectWordAt(&eq, sel, {200, 10});
    EXPECT_EQ(paths(sel.items), "L0/1 L0/2 L0/3 L0/4 L0/5 L0/6 L0/7");
}

TEST(SelectionPaint, HighlightMergesNeighboursAndFillsBoxes) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"abc");
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(b.arg(frac, 0), u"x");
    b.text(b.arg(frac, 1), u"y");
    test::placeRow(line, 0, 0, 10, 20);
    test::placeRow(b.arg(frac, 1), 30, 12, 10, 8);
    eq.placements.push_back({line, 0, 15, 40, 15, 5});
    SheetSelection sel;
    AddToSelection(sel, elementAt(&eq, "L0/1"));
    AddToSelection(sel, elementAt(&eq, "L0/2"));
    AddToSelection(sel, elementAt(&eq, "L0/4/c1/1"));  // inside an unselected structure
    AddToSelection(sel, eq.lines[0]);                   // heads are not painted

    QImage image(60, 30, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        gp::PainterGraphics g(&image);
        PaintSelection(&eq, sel, g);
    }
    ASSERT_EQ(sel.highlight.size(), 2u);
    EXPECT_EQ(sel.highlight[0], QRect(0, 0, 20, 20));
    EXPECT_EQ(sel.highlight[1], QRect(30, 12, 10, 8));
    EXPECT_NE(image.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_NE(image.pixel(35, 15), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(25, 5), qRgb(255, 255, 255));
    const QColor fill = image.pixelColor(5, 5);
    EXPECT_GT(fill.blue(), fill.green());  // blue-violet tint over white

    QRect tested;
    EXPECT_TRUE(PointInSelection(sel, {35, 15}, &tested));
    EXPECT_EQ(tested, QRect(0, 0, 40, 20));
    EXPECT_FALSE(PointInSelection(sel, {25, 5}, &tested));
    EXPECT_FALSE(PointInSelection(sel, {20, 5}, nullptr));  // right edge is outside
}

TEST(SelectionFind, F3MarksBothOccurrences) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"ab", EqTypeCharItalic);
    b.text(line, u"+");
    b.text(line, u"ab", EqTypeCharItalic);
    b.text(line, u"a", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(b.arg(frac, 0), u"ab", EqTypeCharItalic);
    b.text(b.arg(frac, 1), u"Ab", EqTypeCharItalic);
    SheetSelection sel;
    SelectRun(sel, elementAt(&eq, "L0/1"), elementAt(&eq, "L0/2"));
    EXPECT_EQ(MarkOccurrences(&eq, sel), 2);
    EXPECT_EQ(sel.foundPatternLength, 2);
    std::string marked;
    for (const char* p : {"L0/1", "L0/2", "L0/3", "L0/4", "L0/5", "L0/6", "L0/7/c0/1", "L0/7/c0/2", "L0/7/c1/1"})
        if (elementAt(&eq, p)->mark) marked += std::string(marked.empty() ? "" : " ") + p;
    EXPECT_EQ(marked, "L0/1 L0/2 L0/4 L0/5 L0/7/c0/1 L0/7/c0/2");
    ResetFindMarks(&eq, sel, true);
    EXPECT_EQ(sel.foundPatternLength, 0);
    EXPECT_FALSE(EquationHasMarks(&eq));
    // Not one run: nothing is marked.
    ClearSelection(&eq, sel, false);
    AddToSelection(sel, elementAt(&eq, "L0/1"));
    AddToSelection(sel, elementAt(&eq, "L0/4"));
    EXPECT_EQ(MarkOccurrences(&eq, sel), 0);
    EXPECT_FALSE(EquationHasMarks(&eq));
}

class RestyleFixture : public ::testing::Test {
protected:
    RestyleFixture() : eq(test::builtInStyle()), b(&eq) {
        line = b.line();
        b.text(line, u"abc", EqTypeCharItalic);
        frac = b.add(line, EqTypeFraction, 2);
        b.text(b.arg(frac, 0), u"x", EqTypeCharItalic);
        b.text(b.arg(frac, 1), u"y", EqTypeCharUpright);
        b.text(line, u"d", EqTypeCharItalic);
    }
    std::string types() {
        std::string out;
        for (const char* p : {"L0/1", "L0/2", "L0/3", "L0/4/c0/1", "L0/4/c1/1", "L0/5"})
            out += std::to_string(elementAt(&eq, p)->type);
        return out;
    }
    EqModel eq;
    EqBuilder b;
    EqElement* line;
    EqElement* frac;
    SheetSelection sel;
};

TEST_F(RestyleFixture, RestyleLeavesUnselectedSiblingsAlone) {
    AddToSelection(sel, elementAt(&eq, "L0/2"));
    EXPECT_TRUE(RestyleSelection(&eq, sel, EqTypeCharBold, nullptr));
    EXPECT_EQ(types(), "232212");
    ClearSelection(&eq, sel, false);
    AddToSelection(sel, frac);  // the structure's chains change, the d after it does not
    EXPECT_TRUE(RestyleSelection(&eq, sel, EqTypeCharSans, nullptr));
    EXPECT_EQ(types(), "23216162");
    EXPECT_FALSE(RestyleSelection(&eq, sel, EqTypeCharSans, nullptr));  // nothing left to change
    // A style that is no character type changes nothing.
    EXPECT_FALSE(RestyleSelection(&eq, sel, EqTypeGlyphSymbol, nullptr));
}

TEST_F(RestyleFixture, StyleToggleWithoutSelection) {
    struct Case {
        int32_t type;
        int32_t toggled;
    };
    const Case cases[] = {{1, 2}, {2, 1}, {3, 4}, {4, 3}, {5, 5}, {16, 16}, {17, 17}};
    EqElement* c = elementAt(&eq, "L0/3");
    for (const Case& k : cases) {
        c->type = k.type;
        SetEquationCaret(&eq, c);
        EXPECT_EQ(RestyleSelection(&eq, sel, -1, nullptr), k.type != k.toggled) << k.type;
        EXPECT_EQ(c->type, k.toggled) << k.type;
    }
    // Without a selection only characters of types 1-4 are restyled.
    c->type = EqTypeCharText;
    EXPECT_FALSE(RestyleSelection(&eq, sel, EqTypeCharBold, nullptr));
    EXPECT_EQ(c->type, EqTypeCharText);
    SetEquationCaret(&eq, frac);
    EXPECT_FALSE(RestyleSelection(&eq, sel, EqTypeCharBold, nullptr));
    EXPECT_EQ(types().substr(3, 2), "21");
    // With a selection the toggle works through structures.
    AddToSelection(sel, frac);
    EXPECT_TRUE(RestyleSelection(&eq, sel, -1, nullptr));
    EXPECT_EQ(elementAt(&eq, "L0/4/c0/1")->type, EqTypeCharUpright);
    EXPECT_EQ(elementAt(&eq, "L0/4/c1/1")->type, EqTypeCharItalic);
}

TEST_F(RestyleFixture, GlyphSymbolsChangeCodeOrWeight) {
    const RenderContext context = RenderContext::FromDataFolder();
    ASSERT_NE(context.symbols->glyph(63), nullptr) << "symbol library not found beside the program";
    EqElement* g = b.add(line, EqTypeGlyphSymbol, 0, 360);
    SetEquationCaret(&eq, g);
    EXPECT_TRUE(RestyleSelection(&eq, sel, EqTypeCharUpright, &context));
    EXPECT_EQ(g->ch, 63);
    ASSERT_TRUE(g->glyph);
    EXPECT_EQ(g->glyph->charCode, context.symbols->glyph(63)->charCode);
    EXPECT_EQ(g->glyph->points.size(), context.symbols->glyph(63)->points.size());
    EXPECT_EQ(eq.renderContext, nullptr);  // the context was only lent
    EXPECT_TRUE(RestyleSelection(&eq, sel, EqTypeCharBold, &context));
    EXPECT_EQ(g->type, EqTypeGlyphSymbolBold);
    EXPECT_FALSE(RestyleSelection(&eq, sel, -1, &context));
    EXPECT_TRUE(RestyleSelection(&eq, sel, EqTypeCharItalic, &context));
    EXPECT_EQ(g->type, EqTypeGlyphSymbol);
    EXPECT_EQ(g->ch, 63);
}

TEST_F(RestyleFixture, ColourAndFlagsReachChildChainsOnly) {
    AddToSelection(sel, frac);
    elementAt(&eq, "L0/4/c0/1")->phantom = kCaretMarkBit;
    SetSelectionFlagsOn(sel, PhantomFull);
    EXPECT_EQ(frac->phantom, PhantomFull);
    EXPECT_EQ(elementAt(&eq, "L0/4/c1/1")->phantom, PhantomFull);
    EXPECT_EQ(elementAt(&eq, "L0/4/c0/1")->phantom, PhantomFull | kCaretMarkBit);  // the caret mark stays
    EXPECT_EQ(elementAt(&eq, "L0/5")->phantom, 0);
    SetSelectionFlagsOn(sel, 0);
    EXPECT_EQ(elementAt(&eq, "L0/4/c0/1")->phantom, kCaretMarkBit);

    // Across lines: the line head (the line break) keeps its kind.
    EqElement* second = b.line();
    EqElement* z = b.text(second, u"z");
    ClearSelection(&eq, sel, false);
    SelectRange(&eq, sel, elementAt(&eq, "L0/5"), z);
    ASSERT_EQ(paths(sel.items), "L1/0 L1/1");
    SetSelectionFlagsOn(sel, PhantomHorizontal);
    EXPECT_EQ(second->phantom, 0);
    EXPECT_EQ(z->phantom, PhantomHorizontal);
    ClearSelection(&eq, sel, false);
    AddToSelection(sel, frac);

    SetSelectionColourOn(sel, 0xFFFF0000);
    EXPECT_EQ(frac->colour, 0xFFFF0000u);
    EXPECT_EQ(elementAt(&eq, "L0/4/c1/1")->colour, 0xFFFF0000u);
    EXPECT_EQ(elementAt(&eq, "L0/5")->colour, 0xFF000000u);
}

TEST(SelectionScanners, SkipBackOverSpacesAndSubscripts) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    EqElement* x = b.text(line, u"x");
    b.text(line, u" ");
    b.add(line, EqTypeSpaceThin);
    EqElement* blank = b.text(line, u" ", EqTypeCharItalic);
    EXPECT_EQ(SkipBackOverSpaces(blank), x);
    EXPECT_EQ(SkipBackOverSpaces(x), x);
    EqElement* onlySpaces = b.line();
    EqElement* s = b.add(onlySpaces, EqTypeSpaceQuad);
    EXPECT_EQ(SkipBackOverSpaces(s), onlySpaces);  // the head is another element
    EXPECT_EQ(SkipBackOverSpaces(nullptr), nullptr);

    EqElement* sub = b.add(line, EqTypeSubscript, 1);
    EqElement* out = nullptr;
    EXPECT_EQ(IsScriptOfType174(x, &out), nullptr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(IsScriptOfType174(sub, &out), sub);
    EXPECT_EQ(out, sub);
    EXPECT_EQ(IsScriptOfType174(b.add(line, EqTypeSuperscript, 1), nullptr), nullptr);
}

}  // namespace
}  // namespace toliva
