// Undo and redo under random edit runs driven through the sheet's own entry
// points (typed keys and typed characters, input-method commits, symbol keys
// of kinds 2, 3, 4 and 6, Backspace, Delete, Enter and Shift+Enter, arrows,
// Shift selections, mouse clicks and drags, restyles by Ctrl+1 .. Ctrl+6 and
// the Alt tap, the Alt colour keys, matrix rows and columns by Alt and
// Ctrl+Alt arrows, mark styles): each undo gives back the stream from before
// the step that pushed it, down to the stream the run started from; each
// redo the stream from before the next push, up to the stream it ended with.
// And the depth: 150 changes leave 100 undo steps.
#include "model/EqBuilder.h"
#include "model/EqDump.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "tests/common/ModelFixtures.h"
#include "tests/model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace toliva {
namespace {

class UndoRandomTest : public ::testing::Test {
protected:
    void makeSheet(EqModel* eq) {
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), nullptr, std::move(owned));
        ShowSheetOffscreen(*sheet, QSize(500, 300), eq);
        script = std::make_unique<SheetScript>(*sheet, backend);
    }

    void runLine(const QString& line) {
        QString error;
        ASSERT_TRUE(script->runLine(line, &error)) << line.toStdString() << ": " << error.toStdString();
    }

    AppContext app;
    HeadlessSheetBackend* backend = nullptr;
    std::unique_ptr<CKwEESheet> sheet;
    std::unique_ptr<SheetScript> script;
};

// One random step of an edit run, as a script line.
QString randomStep(std::mt19937& rng, QSize client) {
    static const char* const kKeys[] = {
        "Left",          "Right",          "Up",           "Down",        "Home",          "End",
        "Tab",           "Backspace",      "Delete",       "Enter",       "Shift+Enter",   "Shift+Left",
        "Shift+Right",   "Shift+Home",     "Shift+End",    "Ctrl+Home",   "Ctrl+End",      "Backspace",
        "Delete",        "Ctrl+1",         "Ctrl+2",       "Ctrl+3",      "Ctrl+4",        "Ctrl+5",
        "Ctrl+6",        "Esc",            "Ctrl+A",       "Alt",         "Ctrl+G",        "Alt+3",
        "Alt+Backquote", "Alt+Left",       "Alt+Up",       "Alt+Right",   "Alt+Down",      "Ctrl+Alt+Left",
        "Ctrl+Alt+Up",   "Ctrl+Alt+Right", "Ctrl+Alt+Down", "Ctrl+K",     "Shift+Backspace"};
    // Fractions, bevelled and small fractions, long division, radicals,
    // scripts, an integral, a big operator, brackets, a 2-chain bracket pair,
    // a vector and a cases array.
    static const int kStructures[] = {128, 129, 132, 131, 136, 137, 173, 174, 175, 181, 290, 308, 337, 338, 367, 369, 370};
    static const char16_t kChars[] = u"abxyz0123=+-.,()";
    static const char16_t kLetters[] = u"abxyz";
    auto pick = [&rng](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    switch (pick(12)) {
    case 0:
    case 1: {
        QString text;
        const int n = 1 + pick(4);
        for (int i = 0; i < n; ++i) text += QChar(kChars[pick(int(std::size(kChars)) - 1)]);
        return QStringLiteral("type ") + text;
    }
    case 2: return QStringLiteral("sym 3 %1 0").arg(kStructures[pick(int(std::size(kStructures)))]);
    case 3:
    case 4:
    case 5: return QStringLiteral("key ") + QLatin1String(kKeys[pick(int(std::size(kKeys)))]);
    case 6:
        return QStringLiteral("click %1,%2").arg(pick(client.width())).arg(pick(client.height()));
    case 7:
        return QStringLiteral("drag %1,%2 %3,%4")
            .arg(pick(client.width()))
            .arg(pick(client.height()))
            .arg(pick(client.width()))
            .arg(pick(client.height()));
    case 8: return QStringLiteral("cmd %1").arg(208 + pick(4));  // mark styles
    case 9: {
        // An input-method commit of letters of one style (one step at most),
        // or a typed character as the window system hands it over.
        if (pick(2)) return QStringLiteral("char %1").arg(pick(3) ? int(kChars[pick(int(std::size(kChars)) - 1)]) : 1 + pick(31));
        QString text;
        const int n = 1 + pick(3);
        for (int i = 0; i < n; ++i) text += QChar(kLetters[pick(int(std::size(kLetters)) - 1)]);
        return QStringLiteral("ime ") + text;
    }
    case 10: return QStringLiteral("sym 4 %1 0").arg(int(kLetters[pick(int(std::size(kLetters)) - 1)]));
    default:
        // An accent on the character at the caret, or an upright symbol.
        if (pick(3) == 0) return QStringLiteral("sym 2 %1 0").arg(1 + pick(8));
        return QStringLiteral("sym 6 %1 0").arg(pick(2) ? 176 : 8706);
    }
}

TEST_F(UndoRandomTest, UndoingEveryStepGivesTheStartAndRedoingEveryStepTheEnd) {
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        EqModel eq(test::builtInStyle());
        EqBuilder b(&eq);
        EqElement* line = b.line();
        b.text(line, u"x+1", EqTypeCharItalic);
        EqElement* frac = b.add(line, EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharItalic);
        b.text(EqBuilder::arg(frac, 1), u"b", EqTypeCharItalic);
        b.text(b.line(), u"y", EqTypeCharItalic);
        makeSheet(&eq);
        const QByteArray start = EquationToBytes(&eq, true);

        std::mt19937 rng(seed);
        QStringList steps;
        // For undo step k: the stream before the step that pushed it (what
        // undoing it gives back) and the stream before the next push (what
        // redoing it gives back); the step's number.
        std::vector<QByteArray> before, after;
        std::vector<int> pushedBy;
        QString pending;
        // Stay below the depth so that the first snapshot is kept.
        for (int i = 0; i < 80 && sheet->undoHistory().undoCount() < UndoHistory::kDepth - 10; ++i) {
            const QByteArray current = EquationToBytes(&eq, true);
            const int count = sheet->undoHistory().undoCount();
            // Typed text one key at a time: each key may push its own step.
            QString step;
            if (!pending.isEmpty()) {
                step = QStringLiteral("type ") + pending.front();
                pending.remove(0, 1);
            } else {
                step = randomStep(rng, sheet->clientRect().size());
                if (step.startsWith(QLatin1String("type ")) && step.size() > 6) {
                    pending = step.mid(6);
                    step.truncate(6);
                }
            }
            steps << step;
            runLine(steps.back());
            if (HasFatalFailure()) return;
            const int pushed = sheet->undoHistory().undoCount() - count;
            ASSERT_GE(pushed, 0);
            ASSERT_LE(pushed, 1) << steps.back().toStdString();
            if (pushed) {
                if (!after.empty()) after.back() = current;
                before.push_back(current);
                after.push_back({});
                pushedBy.push_back(i);
            }
        }
        const QByteArray end = EquationToBytes(&eq, true);
        const int undos = sheet->undoHistory().undoCount();
        ASSERT_EQ(size_t(undos), before.size());
        ASSERT_GT(undos, 0);
        after.back() = end;
        auto trace = [&](int k) {
            return "undo step of script line " + std::to_string(pushedBy[size_t(k)] + 1) + ":\n" +
                   steps.join(QLatin1Char('\n')).toStdString();
        };

        for (int k = undos - 1; k >= 0; --k) {
            runLine(QStringLiteral("undo"));
            ASSERT_EQ(EquationToBytes(&eq, true), before[size_t(k)]) << trace(k) << "\nafter undo:\n"
                                                                     << DumpEquation(eq).toStdString();
        }
        EXPECT_EQ(sheet->undoHistory().undoCount(), 0);
        EXPECT_EQ(EquationToBytes(&eq, true), start);
        // One more undo changes nothing.
        runLine(QStringLiteral("undo"));
        EXPECT_EQ(EquationToBytes(&eq, true), start);

        EXPECT_EQ(sheet->undoHistory().redoCount(), undos);
        for (int k = 0; k < undos; ++k) {
            runLine(QStringLiteral("redo"));
            ASSERT_EQ(EquationToBytes(&eq, true), after[size_t(k)]) << trace(k);
        }
        EXPECT_EQ(EquationToBytes(&eq, true), end);
        EXPECT_EQ(sheet->undoHistory().undoCount(), undos);
        EXPECT_EQ(sheet->undoHistory().redoCount(), 0);
        sheet.reset();
    }
}

// Typed characters of one style form one undo step only while nothing comes
// between them: a click elsewhere or a selection that the key replaces starts
// a step of its own (a merged step would hold a snapshot of the wrong line).
TEST_F(UndoRandomTest, ATypedRunEndsAtAClickOrASelection) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    b.text(b.line(), u"x", EqTypeCharItalic);
    EqElement* y = b.text(b.line(), u"y", EqTypeCharItalic);
    makeSheet(&eq);
    sheet->SetCaretElement(eq.lines[0]->next);
    runLine(QStringLiteral("type a"));
    runLine(QStringLiteral("type b"));
    EXPECT_EQ(sheet->undoHistory().undoCount(), 1);
    const QByteArray typed = EquationToBytes(&eq, true);
    // A click at the right of "y" puts the caret on the second line.
    const QPoint atY(int(y->rect.x + y->rect.width * 0.75f), int(y->rect.y + y->rect.height / 2));
    runLine(QStringLiteral("click %1,%2").arg(atY.x()).arg(atY.y()));
    ASSERT_EQ(FindLineHead(GetEquationCaret(&eq)), eq.lines[1]);
    runLine(QStringLiteral("type c"));
    EXPECT_EQ(sheet->undoHistory().undoCount(), 2);
    const QByteArray clicked = EquationToBytes(&eq, true);
    runLine(QStringLiteral("key Shift+Left"));
    runLine(QStringLiteral("type d"));
    EXPECT_EQ(sheet->undoHistory().undoCount(), 3);
    runLine(QStringLiteral("undo"));
    EXPECT_EQ(EquationToBytes(&eq, true), clicked);
    runLine(QStringLiteral("undo"));
    EXPECT_EQ(EquationToBytes(&eq, true), typed);
}

TEST_F(UndoRandomTest, HalfwayUndoThenANewEditDropsTheRedoSteps) {
    EqModel eq(test::builtInStyle());
    makeSheet(&eq);
    runLine(QStringLiteral("sym 3 128 0"));
    runLine(QStringLiteral("type a"));
    runLine(QStringLiteral("key Tab"));
    runLine(QStringLiteral("type b"));
    const QByteArray two = EquationToBytes(&eq, true);
    runLine(QStringLiteral("key Ctrl+End"));
    runLine(QStringLiteral("sym 3 136 0"));
    runLine(QStringLiteral("undo"));
    EXPECT_EQ(EquationToBytes(&eq, true), two);
    ASSERT_EQ(sheet->undoHistory().redoCount(), 1);
    runLine(QStringLiteral("type c"));
    EXPECT_EQ(sheet->undoHistory().redoCount(), 0);
    runLine(QStringLiteral("redo"));  // nothing to redo
    EXPECT_NE(EquationToBytes(&eq, true), two);
}

TEST_F(UndoRandomTest, HundredAndFiftyChangesLeaveAHundredUndoSteps) {
    EqModel eq(test::builtInStyle());
    makeSheet(&eq);
    std::vector<QByteArray> states{EquationToBytes(&eq, true)};
    for (int i = 0; i < 150; ++i) {
        // A structure, then out of it to the end: one change each.
        runLine(QStringLiteral("sym 3 %1 0").arg(i % 2 ? 128 : 136));
        runLine(QStringLiteral("key Ctrl+End"));
        states.push_back(EquationToBytes(&eq, true));
    }
    ASSERT_EQ(sheet->undoHistory().undoCount(), 100);
    for (int i = 0; i < 100; ++i) runLine(QStringLiteral("undo"));
    EXPECT_EQ(sheet->undoHistory().undoCount(), 0);
    EXPECT_EQ(EquationToBytes(&eq, true), states[50]);
    runLine(QStringLiteral("undo"));
    EXPECT_EQ(EquationToBytes(&eq, true), states[50]);
    EXPECT_EQ(sheet->undoHistory().redoCount(), 100);
}

}  // namespace
}  // namespace toliva
