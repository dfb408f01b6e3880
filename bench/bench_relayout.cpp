// The main window laid out again on a resize: the layout arithmetic and the
// children placed (sheet, tool bars, strip, side panel, LaTeX pane), in
// visual and LaTeX mode, the window's size alternating between two sizes.
#include "BenchProgram.h"
#include "shell/CTolivaView.h"

#include <benchmark/benchmark.h>

#include <QApplication>

using namespace toliva;

namespace {

void relayout(benchmark::State& state, bool latexMode) {
    bench::BenchProgram program;
    if (!program.started(state)) return;
    CTolivaView* view = program.app->view();
    if (latexMode) view->ToggleLaTeXMode();
    QApplication::processEvents();
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        view->resize(wide ? QSize(1400, 900) : QSize(1000, 700));
        view->RelayoutChildren();
    }
}

void BM_RelayoutVisual(benchmark::State& state) { relayout(state, false); }
void BM_RelayoutLaTeX(benchmark::State& state) { relayout(state, true); }

}  // namespace

BENCHMARK(BM_RelayoutVisual)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RelayoutLaTeX)->Unit(benchmark::kMicrosecond);
