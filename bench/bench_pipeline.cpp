// The LaTeX pipeline over the real-world formula corpus: time per formula for
// reading alone, reading + layout, and reading + layout + drawing into a
// path recorder (no rasterising).
//
// The corpus is the folder "shared/corpus" beside the repository (its *.tsv
// files, the TeX in each row's last field); without it the benchmarks skip
// with a message.
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "platform/gdiplus/Graphics.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/TestSupport.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace toliva;

namespace {

const std::vector<test::CorpusFormula>& corpus() {
    static const std::vector<test::CorpusFormula> formulas = test::readCorpus();
    return formulas;
}

enum Stage { ReadOnly, ReadLayout, ReadLayoutDraw };

void runStage(benchmark::State& state, Stage stage) {
    const std::vector<test::CorpusFormula>& formulas = corpus();
    if (formulas.empty()) {
        state.SkipWithError(("no formulas in " + test::corpusFolder().toStdString()).c_str());
        return;
    }
    const EqLayoutSettings style = test::builtInStyle();
    CTeXCode names;
    TeXReadContext context;
    context.names = &names;
    const RenderContext render = RenderContext::FromDataFolder();
    {
        // Loads the fonts before timing.
        EqModel eq{style};
        ReadLaTeXDocument(formulas.front().tex, &eq, context);
        gp::RecordingGraphics g;
        DrawEquationPicture(render, g, &eq, 1.0f);
    }
    // One equation for all: reading clears it first. (Making an equation
    // sets up its fonts, which costs more than reading a formula.)
    EqModel eq{style};
    int converted = 0;
    size_t ops = 0;
    for (auto _ : state) {
        converted = 0;
        ops = 0;
        for (const test::CorpusFormula& formula : formulas) {
            if (ReadLaTeXDocument(formula.tex, &eq, context)) ++converted;
            if (stage == ReadLayout) {
                gp::RecordingGraphics g;
                LayoutForOutput(render, &g, &eq, {0, 0}, 1.0f);
                benchmark::DoNotOptimize(eq.widestLine);
            } else if (stage == ReadLayoutDraw) {
                gp::RecordingGraphics g;
                const EqPictureMetrics m = DrawEquationPicture(render, g, &eq, 1.0f);
                benchmark::DoNotOptimize(m.width);
                ops += g.ops.size();
            }
        }
    }
    const double n = double(formulas.size());
    state.counters["formulas"] = n;
    state.counters["converted"] = converted;
    if (stage == ReadLayoutDraw) state.counters["paths_per_formula"] = double(ops) / n;
    state.counters["per_formula"] =
        benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(int64_t(state.iterations() * formulas.size()));
}

void BM_Read(benchmark::State& state) { runStage(state, ReadOnly); }
void BM_ReadLayout(benchmark::State& state) { runStage(state, ReadLayout); }
void BM_ReadLayoutDraw(benchmark::State& state) { runStage(state, ReadLayoutDraw); }

BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLayoutDraw)->Unit(benchmark::kMillisecond);

}  // namespace
