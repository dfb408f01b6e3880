// Insertion and deletion at the caret: structures with their chains and a
// wrapped selection, deleting before, after and across lines, breaking lines,
// and the builder table against what each structure's measurer reads.
#include "SheetTestSupport.h"

#include "sheet/editing/EditOps.h"
#include "sheet/editing/ElementWork.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqLayout.h"
#include "model/EqLayoutTestSupport.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/EqTreeOps.h"
#include "model/EqTypeRoutes.h"
#include "model/ExtArrowForm.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace toliva::test {
namespace {

class EditOpsTest : public ::testing::Test {
protected:
    // One line per text; returns the heads.
    std::vector<EqElement*> lines(std::initializer_list<std::u16string_view> texts) {
        std::vector<EqElement*> heads;
        for (auto t : texts) {
            heads.push_back(b.line());
            b.text(heads.back(), t, EqTypeCharItalic);
        }
        return heads;
    }
    // The element n places after head.
    static EqElement* at(EqElement* head, int n) {
        for (; n > 0 && head; --n) head = head->next;
        return head;
    }
    void select(std::initializer_list<EqElement*> items) {
        for (EqElement* e : items) {
            sel.items.push_back(e);
            SetElementSelected(e, true);
        }
    }

    EqModel eq{builtInStyle()};
    EqBuilder b{&eq};
    SheetSelection sel;

    void ForgetSelectionForTest() {
        for (EqElement* e : sel.items) SetElementSelected(e, false);
        sel.forgetElements();
    }
};

// The selection fills the numerator; the caret goes on to the denominator.
TEST_F(EditOpsTest, AFractionWrapsTheSelectedRunAndTheCaretGoesOnToTheDenominator) {
    auto l = lines({u"xaby"});
    select({at(l[0], 2), at(l[0], 3)});
    SetEquationCaret(&eq, at(l[0], 3));
    EqElement* f = InsertKey(&eq, sel, {EqTypeFraction, 0});
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(equationText(eq), "x[128:ab|]y");
    EXPECT_FALSE(sel.exists());
    EXPECT_EQ(eq.caret, f->children[1]);
    EXPECT_FALSE(IsElementSelected(FindChainEnd(f->children[0])));

    // A one-argument structure keeps the caret after the wrapped run.
    select({f});
    EqElement* root = InsertKey(&eq, sel, {EqTypeSqrt, 0});
    EXPECT_EQ(equationText(eq), "x[136:[128:ab|]]y");
    EXPECT_EQ(eq.caret, FindChainEnd(root->children[0]));
    EXPECT_EQ(eq.caret->type, EqTypeFraction);
}

TEST_F(EditOpsTest, StructuresWithoutASelectionPutTheCaretInTheirFirstTypedChain) {
    struct Case {
        int32_t type;
        uint8_t opt1, opt2;
        const char* text;
        int caretChain;  // -1: after the element
    };
    const Case cases[] = {
        {EqTypeFraction, 0, 0, "a[128:|]", 0},
        {EqTypeRoot, 0, 0, "a[137:|]", 0},                // the radicand
        {EqTypeSuperscript, 0, 0, "a[173:]", 0},
        {EqTypeOverScript, 0, 0, "a[177:|]", 0},           // the base
        {274, 0, 0, "a[274:||]", 2},                       // the integrand
        {308, 0, 0, "a[308:||]", 2},                       // the body after both limits
        {306, 0, 0, "a[306:]", 0},                         // a big operator without limits
        {EqTypeMatrixColumn, 3, 0, "a[370:||]", 0},
        {EqTypeMatrix, 2, 3, "a[371:|||||]", 0},
        {337, 0, 0, "a[337:]", 0},
        {1042, 0, 0, "a[1042]", -1},
        {EqTypeCharItalic, u'z', 0, "az", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EqModel e{builtInStyle()};
        EqBuilder eb(&e);
        eb.text(eb.line(), u"a", EqTypeCharItalic);
        SetEquationCaret(&e, nullptr);
        SheetSelection none;
        InsertionKey key{c.type, 0, c.opt1, c.opt2};
        if (IsCharType(c.type)) {
            key.ch = c.opt1;
            key.opt1 = 0;
        }
        EqElement* made = InsertKey(&e, none, key);
        EXPECT_EQ(equationText(e), c.text);
        EXPECT_EQ(e.caret, c.caretChain < 0 ? made : made->children[size_t(c.caretChain)]);
        if (c.type == EqTypeMatrix) {
            EXPECT_EQ(GetMatrixShape(made).count2 * GetMatrixShape(made).count1, 6);
        }
    }
}

TEST_F(EditOpsTest, SelectionGoesToTheBuildersChainAndTheCaretToTheOther) {
    // Integral: the selection becomes the integrand, the caret goes to the
    // first limit.
    auto l = lines({u"fx"});
    select({at(l[0], 1), at(l[0], 2)});
    EqElement* e = InsertKey(&eq, sel, {274, 0});
    EXPECT_EQ(equationText(eq), "[274:||fx]");
    EXPECT_EQ(eq.caret, e->children[0]);
}

TEST_F(EditOpsTest, ABracketAroundSeveralSelectedLinesMakesAColumnOfThem) {
    auto l = lines({u"ab", u"cd"});
    select({at(l[0], 1), at(l[0], 2), at(l[1], 1), at(l[1], 2)});
    EqElement* e = InsertKey(&eq, sel, {355, 0});
    EXPECT_EQ(equationText(eq), "[355:[370:ab|cd]]");
    EXPECT_EQ(e->children[0]->next->ch, 1);  // left aligned for 353-359
    EXPECT_EQ(eq.caret, e->children[0]->next);
}

TEST_F(EditOpsTest, TypingACharacterReplacesTheSelectionAndRunsTheCharacterHook) {
    auto l = lines({u"abc"});
    select({at(l[0], 2)});
    int hooked = 0;
    EqElement* made = InsertKey(&eq, sel, {EqTypeCharItalic, u'z'}, [&](EqModel* m, EqElement* e) {
        EXPECT_EQ(m, &eq);
        EXPECT_EQ(e->ch, u'z');
        ++hooked;
    });
    EXPECT_EQ(equationText(eq), "azc");
    EXPECT_EQ(eq.caret, made);
    EXPECT_EQ(hooked, 1);
}

TEST_F(EditOpsTest, EnterSplitsTheLineAndBackspaceAtTheSecondLinesHeadJoinsIt) {
    auto l = lines({u"abcd"});
    SetEquationCaret(&eq, at(l[0], 2));
    ASSERT_TRUE(BreakLine(&eq, sel));
    EXPECT_EQ(equationText(eq), "ab/cd");
    EXPECT_EQ(eq.caret, eq.lines[1]);
    ASSERT_TRUE(DeleteBackward(&eq, sel));
    EXPECT_EQ(equationText(eq), "abcd");
    EXPECT_EQ(eq.caret, at(eq.lines[0], 2));
}

TEST_F(EditOpsTest, EnterAtALineHeadPutsAnEmptyLineBeforeIt) {
    auto l = lines({u"ab"});
    SetEquationCaret(&eq, l[0]);
    ASSERT_TRUE(BreakLine(&eq, sel));
    EXPECT_EQ(equationText(eq), "/ab");
    EXPECT_EQ(eq.caret, l[0]);
}

TEST_F(EditOpsTest, EnterInsideAnArgumentDoesNothingHere) {
    auto l = lines({u"a"});
    EqElement* f = b.add(l[0], EqTypeFraction, 2);
    SetEquationCaret(&eq, f->children[0]);
    EXPECT_FALSE(BreakLine(&eq, sel));
    EXPECT_EQ(equationText(eq), "a[128:|]");
}

TEST_F(EditOpsTest, DeleteAtTheEndOfTheLastLineDoesNothing) {
    auto l = lines({u"ab", u"cd"});
    SetEquationCaret(&eq, nullptr);
    const QByteArray before = EquationToBytes(&eq);
    EXPECT_FALSE(DeleteForward(&eq, sel));
    EXPECT_EQ(EquationToBytes(&eq), before);
    // Backspace at the head of the first line neither.
    SetEquationCaret(&eq, l[0]);
    EXPECT_FALSE(DeleteBackward(&eq, sel));
    EXPECT_EQ(EquationToBytes(&eq), before);
}

TEST_F(EditOpsTest, DeleteRemovesTheNextElementOrJoinsTheNextLine) {
    auto l = lines({u"ab", u"cd"});
    SetEquationCaret(&eq, at(l[0], 1));
    ASSERT_TRUE(DeleteForward(&eq, sel));
    EXPECT_EQ(equationText(eq), "a/cd");
    ASSERT_TRUE(DeleteForward(&eq, sel));
    EXPECT_EQ(equationText(eq), "acd");
    EXPECT_EQ(eq.caret->ch, u'a');
}

TEST_F(EditOpsTest, BackspaceAtAnArgumentHeadSelectsTheStructureAndASecondDeletesIt) {
    auto l = lines({u"a"});
    EqElement* f = b.add(l[0], EqTypeFraction, 2);
    b.text(f->children[1], u"2", EqTypeCharUpright);
    SetEquationCaret(&eq, f->children[1]);
    ASSERT_TRUE(DeleteBackward(&eq, sel));
    EXPECT_EQ(equationText(eq), "a[128:|2]");
    ASSERT_EQ(sel.items.size(), 1u);
    EXPECT_EQ(sel.items[0], f);
    EXPECT_TRUE(IsElementSelected(f));
    ASSERT_TRUE(DeleteBackward(&eq, sel));
    EXPECT_EQ(equationText(eq), "a");
    EXPECT_EQ(eq.caret, at(eq.lines[0], 1));
    EXPECT_FALSE(sel.exists());
}

TEST_F(EditOpsTest, ACaretInACalculationResultSelectsTheResult) {
    auto l = lines({u"x"});
    EqElement* r = b.add(l[0], EqTypeCalcResult, 1);
    b.text(r->children[0], u"3", EqTypeCharUpright);
    eq.caret = r->children[0]->next;
    ASSERT_TRUE(DeleteBackward(&eq, sel));
    ASSERT_EQ(sel.items.size(), 1u);
    EXPECT_EQ(sel.items[0], r);
    EXPECT_EQ(equationText(eq), "x[64:3]");
}

TEST_F(EditOpsTest, DeletingASelectionAcrossLinesJoinsItsEnds) {
    auto l = lines({u"ab", u"cd", u"ef", u"gh"});
    // b, the whole second line (its head too), e.
    select({at(l[0], 2), l[1], at(l[1], 1), at(l[1], 2), l[2], at(l[2], 1)});
    ASSERT_TRUE(DeleteSelection(&eq, sel));
    EXPECT_EQ(equationText(eq), "af/gh");
    EXPECT_EQ(eq.caret, at(eq.lines[0], 1));
    EXPECT_FALSE(sel.exists());
}

TEST_F(EditOpsTest, DeletingEverythingLeavesOneEmptyLine) {
    auto l = lines({u"ab", u"c"});
    select({l[0], at(l[0], 1), at(l[0], 2), l[1], at(l[1], 1)});
    ASSERT_TRUE(DeleteSelection(&eq, sel));
    EXPECT_EQ(eq.lines.size(), 1u);
    EXPECT_EQ(equationText(eq), "");
    EXPECT_EQ(eq.caret, eq.lines[0]);
}

TEST_F(EditOpsTest, ASelectionInsideAnArgumentGoesWithTheCaretBeforeIt) {
    auto l = lines({u"a"});
    EqElement* f = b.add(l[0], EqTypeFraction, 2);
    b.text(f->children[0], u"xyz", EqTypeCharItalic);
    select({at(f->children[0], 2), at(f->children[0], 3)});
    ASSERT_TRUE(DeleteSelection(&eq, sel));
    EXPECT_EQ(equationText(eq), "a[128:x|]");
    EXPECT_EQ(eq.caret, at(f->children[0], 1));
}

// Every structure type gets exactly the chains its measurer reads: with a
// character in each chain, layout measures every chain the builder made.
// Codes that route to a structure family all have a builder; codes that
// route to characters, symbols, spaces, operators and arrows have none.
// Delete at a cell's end and Backspace at a cell's head join neighbouring
// cells of a column array; an array left with one cell is dissolved.
TEST_F(EditOpsTest, DeleteAndBackspaceJoinTheCellsOfAColumnArray) {
    for (const int32_t type : {EqTypeMatrixColumn, EqTypeCases}) {
        SCOPED_TRACE(type);
        ClearEquation(&eq);
        auto l = lines({u"x"});
        EqElement* m = b.add(l[0], type, 3);
        b.text(m->children[0], u"a", EqTypeCharItalic);
        b.text(m->children[1], u"b", EqTypeCharItalic);
        b.text(m->children[2], u"c", EqTypeCharItalic);
        const std::string tag = "[" + std::to_string(type) + ":";

        // Backspace at the head of the first cell selects the array instead.
        SetEquationCaret(&eq, m->children[0]);
        ASSERT_TRUE(DeleteBackward(&eq, sel));
        EXPECT_TRUE(sel.exists());
        ForgetSelectionForTest();

        // Delete at the end of the last cell does nothing.
        SetEquationCaret(&eq, m->children[2]->next);
        EXPECT_FALSE(DeleteForward(&eq, sel));

        SetEquationCaret(&eq, m->children[1]);
        ASSERT_TRUE(DeleteBackward(&eq, sel));
        EXPECT_EQ(equationText(eq), "x" + tag + "ab|c]");
        EXPECT_EQ(eq.caret, m->children[0]->next);

        // The last join dissolves the array; the caret keeps its element.
        SetEquationCaret(&eq, FindChainEnd(m->children[0]));
        ASSERT_TRUE(DeleteForward(&eq, sel));
        EXPECT_EQ(equationText(eq), "xabc");
        ASSERT_NE(eq.caret, nullptr);
        EXPECT_EQ(eq.caret->ch, u'b');
        EXPECT_EQ(eq.caret->parent, nullptr);
    }
}

TEST_F(EditOpsTest, JoiningEmptyCellsLeavesTheCaretBeforeTheDissolvedArray) {
    auto l = lines({u"x"});
    EqElement* m = b.add(l[0], EqTypeMatrixColumn, 2);
    SetEquationCaret(&eq, m->children[1]);
    ASSERT_TRUE(DeleteBackward(&eq, sel));
    EXPECT_EQ(equationText(eq), "x");
    EXPECT_EQ(eq.caret, at(eq.lines[0], 1));
}

// Enter in a column array makes a new cell before (at the head) or after the
// caret's cell, the elements after the caret going with it.
TEST_F(EditOpsTest, EnterInAColumnArrayMakesANewCell) {
    auto l = lines({u"x"});
    EqElement* m = b.add(l[0], EqTypeMatrixColumn, 2);
    b.text(m->children[0], u"ab", EqTypeCharItalic);
    b.text(m->children[1], u"c", EqTypeCharItalic);
    SetEquationCaret(&eq, m->children[0]->next);
    ASSERT_TRUE(EnterInStructure(&eq, sel));
    EXPECT_EQ(equationText(eq), "x[370:a|b|c]");
    EXPECT_EQ(eq.caret, m->children[1]);
    ASSERT_TRUE(EnterInStructure(&eq, sel));
    EXPECT_EQ(equationText(eq), "x[370:a||b|c]");
    EXPECT_EQ(eq.caret, m->children[1]);
    // Then Backspace takes the new cell back.
    ASSERT_TRUE(DeleteBackward(&eq, sel));
    EXPECT_EQ(equationText(eq), "x[370:a|b|c]");

    // No cell is added at 30 cells; then Enter does nothing there.
    while (m->children.size() < kMaxArrayCellsForEnter) NewChildChain(m, &eq, ChainAppend);
    SetEquationCaret(&eq, m->children[0]);
    const QByteArray full = EquationToBytes(&eq);
    EXPECT_FALSE(EnterInStructure(&eq, sel));
    EXPECT_EQ(EquationToBytes(&eq), full);
}

// Enter in another structure's argument wraps the argument into a column
// array first; matrices, integrals and fractions keep their arguments.
TEST_F(EditOpsTest, EnterInAnArgumentWrapsItIntoAColumnArray) {
    struct Case {
        int32_t type;
        int chains;
        int chain;
        const char* after;  // empty: refused
        uint16_t alignment;
    };
    const Case cases[] = {
        {EqTypeSqrt, 1, 0, "[136:[370:a|b]]", 1},
        {137, 2, 0, "[137:[370:a|b]|]", 1},
        {EqTypeSuperscript, 1, 0, "[173:[370:a|b]]", 0},
        {338, 1, 0, "[338:[370:a|b]]", 0},
        {EqTypeFraction, 2, 0, "", 0},
        {131, 3, 1, "", 0},
        {274, 3, 2, "", 0},
        {780, 3, 2, "", 0},
        {EqTypeMatrix, 4, 0, "", 0},
        {EqTypeMatrixRow, 2, 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ClearEquation(&eq);
        auto l = lines({u""});
        EqElement* s = b.add(l[0], c.type, c.chains);
        if (c.type == EqTypeMatrix) SetMatrixCounts(s, 2, 2);
        b.text(s->children[size_t(c.chain)], u"ab", EqTypeCharItalic);
        SetEquationCaret(&eq, s->children[size_t(c.chain)]->next);
        const QByteArray before = EquationToBytes(&eq);
        if (!*c.after) {
            EXPECT_FALSE(EnterInStructure(&eq, sel));
            EXPECT_EQ(EquationToBytes(&eq), before);
            continue;
        }
        ASSERT_TRUE(EnterInStructure(&eq, sel));
        EXPECT_EQ(equationText(eq), c.after);
        EqElement* array = s->children[size_t(c.chain)]->next;
        ASSERT_NE(array, nullptr);
        EXPECT_EQ(array->ch, c.alignment);
        EXPECT_EQ(array->next, nullptr);
        EXPECT_EQ(eq.caret, array->children[1]);
        // Backspace joins the cells and takes the array away again.
        ASSERT_TRUE(DeleteBackward(&eq, sel));
        EXPECT_EQ(EquationToBytes(&eq), before);
    }
}

// Rows and columns of a 2 x 2 matrix, the caret in cell (1, 0).
TEST_F(EditOpsTest, MatrixRowsAndColumnsAreAddedAndRemovedAtTheCaret) {
    struct Case {
        bool add;
        int direction;
        const char* after;
        int rows, columns;
        int caretCell;
    };
    const Case cases[] = {
        {true, 1, "[371:a|b|||c|d]", 3, 2, 2},
        {true, 3, "[371:a|b|c|d||]", 3, 2, 4},
        {true, 0, "[371:|a|b||c|d]", 2, 3, 3},
        {true, 2, "[371:a||b|c||d]", 2, 3, 4},
        {false, 1, "[369:a|b]", 1, 2, 0},
        {false, 3, "[369:a|b]", 1, 2, 0},
        {false, 0, "[370:b|d]", 2, 1, 1},
        {false, 2, "[370:b|d]", 2, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.add << " " << c.direction);
        ClearEquation(&eq);
        auto l = lines({u""});
        EqElement* m = b.add(l[0], EqTypeMatrix, 4);
        SetMatrixCounts(m, 2, 2);
        const char16_t* cells[] = {u"a", u"b", u"c", u"d"};
        for (int i = 0; i < 4; ++i) b.text(m->children[size_t(i)], cells[i], EqTypeCharItalic);
        SetEquationCaret(&eq, m->children[2]->next);
        const MatrixLineResult r = c.add ? AddMatrixLine(&eq, sel, c.direction) : RemoveMatrixLine(&eq, sel, c.direction);
        ASSERT_EQ(r, MatrixLineResult::Done);
        EXPECT_EQ(equationText(eq), c.after);
        const MatrixShape shape = GetMatrixShape(m);
        EXPECT_EQ(shape.count2, c.rows);
        EXPECT_EQ(shape.count1, c.columns);
        EXPECT_EQ(FindChainStart(eq.caret), m->children[size_t(c.caretCell)]);
    }
}

TEST_F(EditOpsTest, MatrixLinesAreRefusedAtTheirLimitsAndInBrokenMatrices) {
    auto l = lines({u""});
    // A column of 32 rows takes no more rows, but a column.
    EqElement* m = b.add(l[0], EqTypeMatrixColumn, kMaxMatrixRows);
    SetEquationCaret(&eq, m->children[5]);
    const QByteArray before = EquationToBytes(&eq);
    EXPECT_EQ(AddMatrixLine(&eq, sel, 3), MatrixLineResult::Refused);
    EXPECT_EQ(AddMatrixLine(&eq, sel, 1), MatrixLineResult::Refused);
    EXPECT_EQ(EquationToBytes(&eq), before);
    // One column: it cannot be removed.
    EXPECT_EQ(RemoveMatrixLine(&eq, sel, 0), MatrixLineResult::Refused);
    ASSERT_EQ(AddMatrixLine(&eq, sel, 2), MatrixLineResult::Done);
    EXPECT_EQ(m->type, EqTypeMatrix);
    EXPECT_EQ(GetMatrixShape(m).count1, 2);
    EXPECT_EQ(GetMatrixShape(m).count2, 32);
    EXPECT_EQ(eq.caret, m->children[11]);

    // A row of 33 columns takes no more columns; one of 32 still does.
    ClearEquation(&eq);
    l = lines({u""});
    m = b.add(l[0], EqTypeMatrixRow, kMaxMatrixColumns);
    SetEquationCaret(&eq, m->children[0]);
    ASSERT_EQ(AddMatrixLine(&eq, sel, 2), MatrixLineResult::Done);
    EXPECT_EQ(AddMatrixLine(&eq, sel, 0), MatrixLineResult::Refused);
    EXPECT_EQ(m->children.size(), 33u);
    // One row: it cannot be removed.
    EXPECT_EQ(RemoveMatrixLine(&eq, sel, 1), MatrixLineResult::Refused);

    // Cells that do not fill rows x columns: nothing is removed.
    ClearEquation(&eq);
    l = lines({u""});
    m = b.add(l[0], EqTypeMatrix, 5);
    SetMatrixCounts(m, 2, 2);
    SetEquationCaret(&eq, m->children[0]);
    EXPECT_EQ(RemoveMatrixLine(&eq, sel, 3), MatrixLineResult::Refused);
    EXPECT_EQ(RemoveMatrixLine(&eq, sel, 0), MatrixLineResult::Refused);
    EXPECT_EQ(m->children.size(), 5u);

    // Outside any matrix: removal finds none; adding wraps the argument of a
    // structure into a column array, but not a top-level line.
    ClearEquation(&eq);
    l = lines({u"a"});
    SetEquationCaret(&eq, at(l[0], 1));
    EXPECT_EQ(AddMatrixLine(&eq, sel, 3), MatrixLineResult::NoMatrix);
    EqElement* root = b.add(l[0], EqTypeSqrt, 1);
    b.text(root->children[0], u"x", EqTypeCharItalic);
    SetEquationCaret(&eq, root->children[0]->next);
    EXPECT_EQ(RemoveMatrixLine(&eq, sel, 1), MatrixLineResult::NoMatrix);
    ASSERT_EQ(AddMatrixLine(&eq, sel, 3), MatrixLineResult::Done);
    EXPECT_EQ(equationText(eq), "a[136:[370:x|]]");
}

TEST(ArgumentBuilderTable, EveryStructureGetsTheChainsItsMeasurerReads) {
    FixedBoxMeasurer measurer;
    const RenderContext context = contextWith(measurer);
    int structures = 0;
    for (int32_t type = 0; type <= 2048; ++type) {
        SCOPED_TRACE(type);
        const EqFamily family = FamilyOfType(type);
        const bool leaf = family == EqFamily::Char || family == EqFamily::GlyphSymbol ||
                          family == EqFamily::CalcResult || family == EqFamily::Space ||
                          family == EqFamily::ArrowSymbol || family == EqFamily::Operator;
        const ArgumentBuilder builder = ArgumentBuilderOf(type);
        ASSERT_EQ(builder == BuildCharacter, leaf || type == 0);
        if (builder == BuildCharacter) continue;
        ++structures;

        EqModel eq{builtInStyle()};
        allowMinimumScale(eq);
        EqBuilder b(&eq);
        EqElement* line = b.line();
        b.text(line, u"x", EqTypeCharItalic);  // a base for scripts
        SetEquationCaret(&eq, nullptr);
        SheetSelection none;
        const InsertionKey key{type, type >= 336 && type <= 368 ? uint16_t(0x0101) : uint16_t(0), 2, 2};
        EqElement* e = InsertKey(&eq, none, key);
        const BuilderChains chains = ChainsOfBuilder(builder, key);
        ASSERT_EQ(int(e->children.size()), chains.chains);
        ASSERT_GE(chains.caretChain, 0);
        ASSERT_LT(chains.caretChain, chains.chains);
        ASSERT_LT(chains.caretChainWithSelection, chains.chains);
        ASSERT_LT(chains.selectionChain, chains.chains);
        EXPECT_EQ(eq.caret, e->children[size_t(chains.caretChain)]);
        b.text(line, u"y", EqTypeCharItalic);  // a base for pre-scripts
        for (EqElement* head : e->children) b.text(head, u"m", EqTypeCharItalic);
        LayoutElement(context, line, nullptr, 1.0f, 0);
        for (size_t i = 0; i < e->children.size(); ++i)
            EXPECT_GT(e->children[i]->chainWidth, 0.0f) << "chain " << i << " is not measured";

        // Extensible arrows measure whatever chains they hold; the texts
        // they show are the chains their form takes.
        if (family == EqFamily::ExtArrow || family == EqFamily::ExtArrowGlyph) {
            const ExtArrowTexts texts = ExtArrowTextChains(e);
            for (EqElement* head : e->children) EXPECT_TRUE(head == texts.over || head == texts.under);
            continue;
        }
        // And no fewer: given one chain more, the measurer leaves one out.
        // Matrices read every cell; brackets read a second chain when there
        // is one, their one-chain form being a kind of its own.
        if (family == EqFamily::Matrix || family == EqFamily::Bracket) continue;
        // Integrals and big operators with fewer than three chains take a
        // chain more as a further limit: their type names how many limits
        // they show (BuilderShapeTest reads them back from LaTeX).
        if ((family == EqFamily::Integral || family == EqFamily::BigOperator) && chains.chains < 3) continue;
        EqElement* wider = b.add(line, type, chains.chains + 1, key.ch);
        for (EqElement* head : wider->children) b.text(head, u"m", EqTypeCharItalic);
        b.text(line, u"y", EqTypeCharItalic);
        LayoutElement(context, line, nullptr, 1.0f, 0);
        EXPECT_TRUE(std::any_of(wider->children.begin(), wider->children.end(),
                                [](const EqElement* head) { return head->chainWidth == 0.0f; }))
            << "a chain more is measured too";
    }
    EXPECT_GT(structures, 250);
}

}  // namespace
}  // namespace toliva::test
