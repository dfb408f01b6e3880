// Undo snapshots (whole equation and caret line), their restore with the
// caret, and the undo history's depth, redo and unchanged-step rules.
#include "SheetTestSupport.h"

#include "sheet/editing/EditOps.h"
#include "sheet/editing/ElementWork.h"
#include "sheet/editing/Undo.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/EqTreeOps.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

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

// Random edit runs through the editing operations, each change between an
// undo push and the unchanged-step check as the sheet does it. Undoing every
// step walks back through the state before each kept step, down to the start
// (or to the oldest step the depth kept); redoing every step walks forward to
// the end.
class RandomEdits {
public:
    explicit RandomEdits(uint32_t seed) : m_rng(seed) {
        EqBuilder b(&eq);
        b.text(b.line(), u"ab", EqTypeCharItalic);
        b.text(b.line(), u"c", EqTypeCharItalic);
        SetEquationCaret(&eq, nullptr);
    }

    void run(int operations) {
        start = EquationToBytes(&eq);
        for (int i = 0; i < operations && !::testing::Test::HasFatalFailure(); ++i) step();
        end = EquationToBytes(&eq);
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    std::vector<EqElement*> allElements() {
        std::vector<EqElement*> out;
        std::vector<EqElement*> pending(eq.lines.rbegin(), eq.lines.rend());
        while (!pending.empty()) {
            EqElement* e = pending.back();
            pending.pop_back();
            out.push_back(e);
            if (e->next) pending.push_back(e->next);
            for (auto it = e->children.rbegin(); it != e->children.rend(); ++it) pending.push_back(*it);
        }
        return out;
    }

    void forgetSelection() {
        for (EqElement* e : sel.items) SetElementSelected(e, false);
        sel.forgetElements();
    }

    // One change: the snapshot first (line-only where the change stays in
    // the caret's line), then the change, then the unchanged check.
    template <typename Change>
    void change(bool lineOnly, Change&& f) {
        const QByteArray before = EquationToBytes(&eq);
        if (history.Push(&eq, lineOnly)) {
            states.push_back(before);
            if (int(states.size()) > UndoHistory::kDepth) {
                states.erase(states.begin());
                ++trimmed;
            }
        }
        f();
        ++changes;
        const int count = history.undoCount();
        history.DropUnchanged(&eq);
        if (history.undoCount() < count) states.pop_back();
        ASSERT_TRUE(eq.caret);
        ASSERT_NE(std::find(eq.lines.begin(), eq.lines.end(), FindLineHead(eq.caret)), eq.lines.end());
    }

    void step() {
        static const InsertionKey kKeys[] = {
            {128, 0},       {131, 0}, {137, 0},  {173, 0},  {175, 0},  {178, 0},
            {274, 0},       {308, 0}, {337, 0},  {355, 0},  {367, 0},  {370, 0, 2},
            {371, 0, 2, 2}, {564, 0}, {608, 0},  {1536, 0}, {1042, 0}, {101, 0},
            {210, 0},       {243, 0}, {629, 0},  {6, 19},   {EqTypeCharUpright, u'7'},
        };
        EqElement* caret = GetEquationCaret(&eq);
        const bool inLine = !sel.exists();
        switch (pick(10)) {
        case 0:
        case 1: {
            const InsertionKey key{EqTypeCharItalic, char16_t(u'a' + pick(26))};
            change(inLine, [&] { InsertKey(&eq, sel, key); });
            break;
        }
        case 2: {
            const InsertionKey key = kKeys[pick(int(std::size(kKeys)))];
            change(inLine, [&] { InsertKey(&eq, sel, key); });
            break;
        }
        case 3:
            change(inLine && caret->type != EqTypeChainHead, [&] { DeleteBackward(&eq, sel); });
            break;
        case 4:
            change(inLine && caret->next, [&] { DeleteForward(&eq, sel); });
            break;
        case 5:
            change(false, [&] { BreakLine(&eq, sel); });
            break;
        case 6:
        case 7: {
            // Caret moves are no change.
            const std::vector<EqElement*> all = allElements();
            forgetSelection();
            SetEquationCaret(&eq, all[size_t(pick(int(all.size())))]);
            break;
        }
        case 8: {
            // A run of up to three elements of one chain becomes the selection.
            const std::vector<EqElement*> all = allElements();
            EqElement* first = all[size_t(pick(int(all.size())))];
            if (first->type == EqTypeChainHead) first = first->next;
            if (!first) break;
            forgetSelection();
            EqElement* last = first;
            for (int n = pick(3); n > 0 && last->next; --n) last = last->next;
            for (EqElement* e = first;; e = e->next) {
                sel.items.push_back(e);
                SetElementSelected(e, true);
                if (e == last) break;
            }
            SetEquationCaret(&eq, last);
            break;
        }
        case 9: {
            // From the middle of one top-level line into the next, deleted or
            // wrapped into a bracket.
            if (eq.lines.size() < 2) break;
            const size_t line = size_t(pick(int(eq.lines.size()) - 1));
            forgetSelection();
            std::vector<EqElement*> run;
            for (EqElement* e = eq.lines[line]->next; e; e = e->next) run.push_back(e);
            run.erase(run.begin(), run.begin() + pick(int(run.size()) + 1));
            std::vector<EqElement*> second;
            for (EqElement* e = eq.lines[line + 1]->next; e; e = e->next) second.push_back(e);
            second.resize(size_t(pick(int(second.size()) + 1)));
            run.insert(run.end(), second.begin(), second.end());
            if (run.empty()) break;
            for (EqElement* e : run) {
                sel.items.push_back(e);
                SetElementSelected(e, true);
            }
            SetEquationCaret(&eq, run.back());
            if (pick(2))
                change(false, [&] { DeleteSelection(&eq, sel); });
            else
                change(false, [&] { InsertKey(&eq, sel, {355, 0}); });
            break;
        }
        }
    }

    EqModel eq{builtInStyle()};
    SheetSelection sel;
    UndoHistory history;
    std::vector<QByteArray> states;  // the state before each kept step
    int trimmed = 0;
    int changes = 0;
    QByteArray start, end;

private:
    std::mt19937 m_rng;
};

TEST(RandomEditUndo, UndoingEverythingGivesTheStartAndRedoingEverythingTheEnd) {
    int reachedStart = 0;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        RandomEdits r(seed);
        r.run(200);
        if (::testing::Test::HasFatalFailure()) return;
        ASSERT_EQ(r.history.undoCount(), int(r.states.size()));

        std::vector<QByteArray> undone;
        while (!r.states.empty()) {
            undone.push_back(EquationToBytes(&r.eq));
            r.sel.forgetElements();  // the restore replaces every element
            ASSERT_TRUE(r.history.Undo(&r.eq));
            ASSERT_EQ(EquationToBytes(&r.eq), r.states.back()) << r.states.size() << " steps left";
            ASSERT_TRUE(r.eq.caret);
            r.states.pop_back();
        }
        EXPECT_FALSE(r.history.Undo(&r.eq));
        if (r.trimmed == 0) {
            EXPECT_EQ(EquationToBytes(&r.eq), r.start);
            ++reachedStart;
        }

        while (!undone.empty()) {
            ASSERT_TRUE(r.history.Redo(&r.eq));
            ASSERT_EQ(EquationToBytes(&r.eq), undone.back());
            undone.pop_back();
        }
        EXPECT_FALSE(r.history.Redo(&r.eq));
        EXPECT_EQ(EquationToBytes(&r.eq), r.end);
    }
    // Some runs stayed within the depth and went all the way back.
    EXPECT_GT(reachedStart, 0);
}

}  // namespace
}  // namespace toliva::test
