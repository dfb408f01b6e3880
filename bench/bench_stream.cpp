// Saving and loading equation streams of growing size.
#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/Archive.h"
#include "tests/common/ModelFixtures.h"

#include <benchmark/benchmark.h>

using namespace toliva;

namespace {

// n lines of 20 characters and one fraction each.
void fill(EqModel& eq, int lines) {
    EqBuilder b(&eq);
    for (int l = 0; l < lines; ++l) {
        EqElement* line = b.line();
        b.text(line, u"abcdefghijklmnopqrst", EqTypeCharItalic);
        EqElement* frac = b.add(line, EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"1");
        b.text(EqBuilder::arg(frac, 1), u"2");
    }
}

void BM_SaveEquation(benchmark::State& state) {
    EqModel eq{test::builtInStyle()};
    fill(eq, int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(EquationToBytes(&eq));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LoadEquation(benchmark::State& state) {
    EqModel eq{test::builtInStyle()};
    fill(eq, int(state.range(0)));
    const QByteArray bytes = EquationToBytes(&eq);
    for (auto _ : state) {
        EqModel target{eq.settings};
        benchmark::DoNotOptimize(LoadEquationAtomically(&target, bytes));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

}  // namespace

BENCHMARK(BM_SaveEquation)->Arg(1)->Arg(100)->Arg(10000);
BENCHMARK(BM_LoadEquation)->Arg(1)->Arg(100)->Arg(10000);
