// Undo snapshots (whole equation and caret line), their restore with the
// caret, and the undo history's depth, redo and unchanged-step rules.
#include "SheetTestSupport.h"

#include "sheet/editing/Undo.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/EqTreeOps.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

class UndoTest : public ::testing::Test {
protected:
    // Line 0: "ab" and a fraction (c over d); line 1: "x" and a superscript
    // holding a square root of "yz".
    void buildTwoLines() {
        EqElement* l0 = b.line();
        b.text(l0, u"ab", EqTypeCharItalic);
        frac = b.add(l0, EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"c", EqTypeCharItalic);
        d = b.text(EqBuilder::arg(frac, 1), u"d", EqTypeCharItalic);
        EqElement* l1 = b.line();
        b.text(l1, u"x", EqTypeCharItalic);
        EqElement* sup = b.add(l1, EqTypeSuperscript, 1);
        EqElement* root = b.add(EqBuilder::arg(sup, 0), EqTypeSqrt, 1);
        y = b.text(EqBuilder::arg(root, 0), u"y", EqTypeCharItalic);
        b.text(EqBuilder::arg(root, 0), u"z", EqTypeCharItalic);
    }

    // Appends a character to the end of the last line and puts the caret there.
    void typeAtEnd(char16_t c) {
        EqElement* end = FindChainEnd(eq.lines.back());
        SetEquationCaret(&eq, NewChildElement(nullptr, EqTypeCharItalic, c, end));
    }

    QByteArray bytes() { return EquationToBytes(&eq); }

    EqModel eq{builtInStyle()};
    EqBuilder b{&eq};
    UndoHistory history;
    EqElement* frac = nullptr;
    EqElement* d = nullptr;
    EqElement* y = nullptr;
};

TEST_F(UndoTest, WholeSnapshotRestoresContentAndCaretAndClearsTheMark) {
    buildTwoLines();
    SetEquationCaret(&eq, d);
    const QByteArray before = bytes();
    UndoSnapshot s;
    ASSERT_TRUE(TakeSnapshot(s, &eq));
    EXPECT_EQ(s.lineIndex, -1);
    EXPECT_EQ(d->phantom & kCaretMarkBit, 0);  // marked only while written

    DeleteEqElement(DetachRun(eq.lines[0]->next));
    typeAtEnd(u'q');
    ASSERT_TRUE(RestoreSnapshot(s, &eq));
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(equationText(eq), "ab[128:c|d]/x[173:[136:yz]]");
    ASSERT_NE(eq.caret, nullptr);
    EXPECT_EQ(eq.caret->ch, u'd');
    EXPECT_EQ(eq.caret->parent->type, EqTypeFraction);
    EXPECT_EQ(FindCaretMark(eq.lines[0]), nullptr);
    EXPECT_EQ(FindCaretMark(eq.lines[1]), nullptr);
}

TEST_F(UndoTest, LineSnapshotFindsItsLineThroughEveryParentLevel) {
    buildTwoLines();
    SetEquationCaret(&eq, y);  // inside a root inside a superscript of line 1
    UndoSnapshot s;
    ASSERT_TRUE(TakeLineSnapshot(s, &eq));
    EXPECT_EQ(s.lineIndex, 1);
}

TEST_F(UndoTest, LineSnapshotRestoresTheLineInPlaceAndTheCaretInsideIt) {
    buildTwoLines();
    SetEquationCaret(&eq, y);
    EqElement* head = eq.lines[1];
    const QByteArray before = bytes();
    ASSERT_TRUE(history.Push(&eq, true));

    // Change the line: empty the root and type after it.
    DeleteEqElement(DetachRun(y));
    typeAtEnd(u'w');
    EXPECT_EQ(equationText(eq), "ab[128:c|d]/x[173:[136:]]w");

    ASSERT_TRUE(history.Undo(&eq));
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(eq.lines[1], head);  // the head keeps its place
    ASSERT_NE(eq.caret, nullptr);
    EXPECT_EQ(eq.caret->ch, u'y');
    EXPECT_EQ(eq.caret->parent->type, EqTypeSqrt);
    EXPECT_EQ(FindLineHead(eq.caret), head);

    // Redo gives the whole equation back as it was before the undo.
    ASSERT_TRUE(history.Redo(&eq));
    EXPECT_EQ(equationText(eq), "ab[128:c|d]/x[173:[136:]]w");
    EXPECT_EQ(eq.caret->ch, u'w');
}

TEST_F(UndoTest, LineSnapshotOfAnEquationReadFromAnOlderVersionReadsBack) {
    // Chains are written in the current element layout whatever version the
    // equation came from; the restore must read them in that layout too.
    buildTwoLines();
    eq.settings.options[EqLayoutSettings::OptVersion] = 2;
    SetEquationCaret(&eq, d);
    UndoSnapshot s;
    ASSERT_TRUE(TakeLineSnapshot(s, &eq));
    typeAtEnd(u'q');
    SetEquationCaret(&eq, FindChainEnd(eq.lines[0]));
    DeleteEqElement(DetachRun(eq.lines[0]->next));
    SetEquationCaret(&eq, eq.lines[0]);
    ASSERT_TRUE(RestoreLineSnapshot(s, &eq));
    EXPECT_EQ(equationText(eq), "ab[128:c|d]/x[173:[136:yz]]q");
    EXPECT_EQ(eq.caret->ch, u'd');
    EXPECT_EQ(eq.settings.options[EqLayoutSettings::OptVersion], 2);
}

TEST_F(UndoTest, DamagedSnapshotsLeaveTheEquationAsItIs) {
    buildTwoLines();
    SetEquationCaret(&eq, y);
    UndoSnapshot whole, line;
    ASSERT_TRUE(TakeSnapshot(whole, &eq));
    ASSERT_TRUE(TakeLineSnapshot(line, &eq));
    typeAtEnd(u'q');
    EqElement* caret = eq.caret;
    const QByteArray now = bytes();
    for (UndoSnapshot* s : {&whole, &line}) {
        s->data.chop(5);
        EXPECT_FALSE(s == &whole ? RestoreSnapshot(*s, &eq) : RestoreLineSnapshot(*s, &eq));
        EXPECT_EQ(bytes(), now);
        EXPECT_EQ(eq.caret, caret);
    }
    // A line index that no longer exists restores nothing either.
    UndoSnapshot far;
    ASSERT_TRUE(TakeLineSnapshot(far, &eq));
    far.lineIndex = 7;
    EXPECT_FALSE(RestoreLineSnapshot(far, &eq));
    EXPECT_EQ(bytes(), now);
}

TEST_F(UndoTest, TheHundredAndFirstSnapshotPushesOutTheOldest) {
    b.line();
    SetEquationCaret(&eq, nullptr);
    std::vector<std::string> states{equationText(eq)};
    for (int i = 0; i < 150; ++i) {
        ASSERT_TRUE(history.Push(&eq, i % 2 == 0));
        typeAtEnd(char16_t(u'a' + i % 26));
        states.push_back(equationText(eq));
        EXPECT_EQ(history.undoCount(), std::min(i + 1, UndoHistory::kDepth));
    }
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(history.Undo(&eq)) << i;
        EXPECT_EQ(equationText(eq), states[size_t(149 - i)]) << i;
    }
    EXPECT_FALSE(history.Undo(&eq));
    EXPECT_EQ(equationText(eq), states[50]);
    EXPECT_EQ(history.redoCount(), 100);
}

TEST_F(UndoTest, ACommandThatChangedNothingLeavesNoStep) {
    buildTwoLines();
    SetEquationCaret(&eq, d);
    ASSERT_TRUE(history.Push(&eq, false));
    history.DropUnchanged(&eq);
    EXPECT_EQ(history.undoCount(), 0);

    // A change keeps the step.
    ASSERT_TRUE(history.Push(&eq, false));
    typeAtEnd(u'q');
    history.DropUnchanged(&eq);
    EXPECT_EQ(history.undoCount(), 1);

    // Line snapshots are kept either way.
    ASSERT_TRUE(history.Push(&eq, true));
    history.DropUnchanged(&eq);
    EXPECT_EQ(history.undoCount(), 2);

    // With recording off nothing is pushed and nothing dropped.
    history.recording = false;
    EXPECT_FALSE(history.Push(&eq, false));
    history.DropUnchanged(&eq);
    EXPECT_EQ(history.undoCount(), 2);
}

TEST_F(UndoTest, UndoAndRedoOnEmptyStacksChangeNothing) {
    buildTwoLines();
    SetEquationCaret(&eq, d);
    const QByteArray before = bytes();
    EXPECT_FALSE(history.Undo(&eq));
    EXPECT_FALSE(history.Redo(&eq));
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(eq.caret, d);
    EXPECT_EQ(history.redoCount(), 0);
    EXPECT_EQ(history.undoCount(), 0);
}

TEST_F(UndoTest, ANewChangeEmptiesTheRedoStack) {
    b.line();
    SetEquationCaret(&eq, nullptr);
    history.Push(&eq, false);
    typeAtEnd(u'a');
    history.Undo(&eq);
    EXPECT_EQ(history.redoCount(), 1);
    history.Push(&eq, false);
    EXPECT_EQ(history.redoCount(), 0);
}

TEST_F(UndoTest, CaretInsideACalculationResultRestoresOnTheResult) {
    EqElement* line = b.line();
    b.text(line, u"1+1=", EqTypeCharUpright);
    EqElement* result = b.add(line, EqTypeCalcResult, 1);
    SetCalcResult(result, {2, 0, 0, 0});
    EqElement* digit = b.text(EqBuilder::arg(result, 0), u"2", EqTypeCharUpright);
    b.text(line, u"k", EqTypeCharItalic);
    eq.caret = digit;  // as a stray caret would stand
    UndoSnapshot s;
    ASSERT_TRUE(TakeSnapshot(s, &eq));
    ASSERT_TRUE(RestoreSnapshot(s, &eq));
    ASSERT_NE(eq.caret, nullptr);
    EXPECT_EQ(eq.caret->type, EqTypeCalcResult);
}

TEST_F(UndoTest, WithoutACaretTheRestoredCaretGoesToTheEndOfTheLastLine) {
    buildTwoLines();
    eq.caret = nullptr;
    UndoSnapshot line;
    EXPECT_FALSE(TakeLineSnapshot(line, &eq));
    UndoSnapshot s;
    ASSERT_TRUE(TakeSnapshot(s, &eq));
    ASSERT_TRUE(RestoreSnapshot(s, &eq));
    EXPECT_EQ(eq.caret, FindChainEnd(eq.lines.back()));
}

TEST_F(UndoTest, CopyEquationContentCopiesLinesAndCaret) {
    buildTwoLines();
    SetEquationCaret(&eq, d);
    EqModel target{builtInStyle()};
    AddEmptyLine(&target);
    CopyEquationContent(&eq, &target);
    EXPECT_EQ(equationText(target), equationText(eq));
    ASSERT_NE(target.caret, nullptr);
    EXPECT_EQ(target.caret->ch, u'd');
    EXPECT_EQ(target.caret->owner, &target);
}

TEST_F(UndoTest, FindCaretMarkSearchesChildChainsAndClearsTheMark) {
    buildTwoLines();
    y->phantom = int8_t(y->phantom | kCaretMarkBit);
    EXPECT_EQ(FindCaretMark(eq.lines[0]), nullptr);
    EXPECT_EQ(FindCaretMark(eq.lines[1]), y);
    EXPECT_EQ(y->phantom & kCaretMarkBit, 0);
}

}  // namespace
}  // namespace toliva::test
