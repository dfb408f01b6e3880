// The editing sheet: a typed character in the middle of a 50-line equation
// from the key event to the repainted back buffer, a caret move by key, and a
// whole-equation undo snapshot of a 1,000-line equation taken and restored.
#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/Undo.h"
#include "tests/common/ModelFixtures.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

using namespace toliva;

namespace {

const RenderContext& programContext() {
    static const RenderContext context = RenderContext::FromDataFolder();
    return context;
}

// A shown headless sheet of 1200 x 900 over 50 lines, the caret in the
// middle of line 25.
struct SheetFixture {
    AppContext app;
    EqModel eq{test::builtInStyle()};
    HeadlessSheetBackend* backend = nullptr;
    std::unique_ptr<CKwEESheet> sheet;

    SheetFixture() {
        EqBuilder b(&eq);
        for (int k = 0; k < 50; ++k) test::addSampleLine(b, k);
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, programContext(), nullptr, std::move(owned));
        ShowSheetOffscreen(*sheet, QSize(1200, 900), &eq);
        EqElement* caret = eq.lines[25];
        for (int i = 0; i < 4; ++i) caret = caret->next;  // after "y_k="
        sheet->SetCaretElement(caret);
    }
    void key(int k, const QString& text = {}) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, text);
        QApplication::sendEvent(sheet.get(), &e);
    }
};

// One iteration types a character and deletes it again: two keystrokes,
// each laid out, rendered into the back buffer and invalidated.
void BM_SheetKeystroke(benchmark::State& state) {
    SheetFixture f;
    for (auto _ : state) {
        f.key(Qt::Key_Q, QStringLiteral("q"));
        f.key(Qt::Key_Backspace);
        benchmark::DoNotOptimize(f.sheet->shownPicture());
    }
    state.counters["per_key"] =
        benchmark::Counter(double(state.iterations()) * 2, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SheetKeystroke)->Unit(benchmark::kMillisecond);

// One iteration moves the caret right and back left: two moves.
void BM_SheetCaretMove(benchmark::State& state) {
    SheetFixture f;
    for (auto _ : state) {
        f.key(Qt::Key_Right);
        f.key(Qt::Key_Left);
    }
    state.counters["per_move"] =
        benchmark::Counter(double(state.iterations()) * 2, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SheetCaretMove)->Unit(benchmark::kMicrosecond);

// A 200-character formula typed key by key at the caret of a 50-line
// equation: each key from its event to the repainted back buffer. The
// counters give the median and the worst key over every run.
const QString& typedFormula() {
    static const QString formula = [] {
        // Letters, digits, operators, spaces and automatic brackets.
        const QString piece = QStringLiteral("x(a+b)-3y=z2 ");
        QString f;
        while (f.size() < 200) f += piece;
        return f.left(200);
    }();
    return formula;
}

void BM_SheetTypeFormula(benchmark::State& state) {
    std::vector<double> perKey;
    for (auto _ : state) {
        state.PauseTiming();
        SheetFixture f;
        state.ResumeTiming();
        double total = 0;
        for (const QChar c : typedFormula()) {
            const auto start = std::chrono::steady_clock::now();
            f.key(c.isLetter() ? Qt::Key_A + (c.toLower().unicode() - 'a') : int(c.unicode()), QString(c));
            benchmark::DoNotOptimize(f.sheet->shownPicture());
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            perKey.push_back(ms);
            total += ms;
        }
        state.SetIterationTime(total / 1000.0);
    }
    std::sort(perKey.begin(), perKey.end());
    state.counters["median_key_ms"] = perKey.empty() ? 0 : perKey[perKey.size() / 2];
    state.counters["worst_key_ms"] = perKey.empty() ? 0 : perKey.back();
    state.counters["keys"] = double(perKey.size());
}
BENCHMARK(BM_SheetTypeFormula)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// A whole snapshot of 1,000 lines taken and restored.
void BM_SnapshotRestore(benchmark::State& state) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    for (int k = 0; k < 1000; ++k) test::addSampleLine(b, k);
    SetEquationCaret(&eq, eq.lines[500]->next);
    for (auto _ : state) {
        UndoSnapshot snapshot;
        TakeSnapshot(snapshot, &eq);
        RestoreSnapshot(snapshot, &eq);
        benchmark::DoNotOptimize(eq.lines.size());
    }
    state.counters["bytes"] = double(EquationToBytes(&eq, true).size());
}
BENCHMARK(BM_SnapshotRestore)->Unit(benchmark::kMillisecond);

}  // namespace
