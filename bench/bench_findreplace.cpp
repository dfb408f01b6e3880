// Find and replace over a long equation: marking every match of a two-letter
// text, and replacing every one (each replacement followed by the search for
// the next) in 1000 lines of 40 characters with fractions between.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "panels/EquationSearch.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace toliva;

namespace {

class BenchTarget : public FindReplaceTarget {
public:
    EqModel eq;
    EqModel* equation() override { return &eq; }
    void moveCaret(EqElement* e) override { SetEquationCaret(&eq, e); }
    void showFoundCaret(EqElement* e) override { SetEquationCaret(&eq, e); }
    void pushUndo() override {}
    void clearSelection() override {}
    void setFoundPatternLength(int) override {}
    void refresh() override {}
};

std::unique_ptr<BenchTarget> makeTarget(int lines) {
    auto t = std::make_unique<BenchTarget>();
    EqBuilder b(&t->eq);
    for (int i = 0; i < lines; ++i) {
        EqElement* line = b.line();
        b.text(line, u"ab+cd-xy=ab", EqTypeCharItalic);
        EqElement* frac = b.add(line, EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"1+ab");
        b.text(EqBuilder::arg(frac, 1), u"2ab");
        b.text(line, u"+pqrstuvwxyzab+ab", EqTypeCharItalic);
    }
    t->eq.caret = t->eq.lines.front();
    return t;
}

void BM_FindAll(benchmark::State& state) {
    auto t = makeTarget(int(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindAllStep(*t, QStringLiteral("ab")));
    }
}
BENCHMARK(BM_FindAll)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ReplaceAll(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto t = makeTarget(int(state.range(0)));
        state.ResumeTiming();
        benchmark::DoNotOptimize(ReplaceAllStep(*t, QStringLiteral("ab"), QStringLiteral("abc"), 0));
        state.PauseTiming();
        t.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReplaceAll)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
