// Start-up of the editor: from the application object's InitInstance
// (folders, registry, settings, the editor library, the symbol library, the
// document template, a new equation) to the first painted sheet, in a
// widget application that is already running. The first run is the cold
// one (fonts and data files read for the first time in the process).
#include "BenchProgram.h"
#include "platform/AppContext.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"
#include "sheet/CKwEESheet.h"

#include <benchmark/benchmark.h>

#include <QApplication>

using namespace toliva;

namespace {

void startAndPaint(benchmark::State& state) {
    bench::BenchHome home;
    for (auto _ : state) {
        AppContext context;
        CTolivaApp theApp(context);
        theApp.quitWithFrame = false;
        if (!theApp.InitInstance({})) {
            state.SkipWithError("the program did not start");
            break;
        }
        CKwEESheet* sheet = theApp.view()->sheet();
        while (!sheet->hasBeenShown()) QApplication::processEvents();
        state.PauseTiming();
        theApp.ExitInstance(0);
        state.ResumeTiming();
    }
}

void BM_StartupCold(benchmark::State& state) { startAndPaint(state); }
void BM_StartupWarm(benchmark::State& state) { startAndPaint(state); }

}  // namespace

BENCHMARK(BM_StartupCold)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupWarm)->Iterations(20)->Unit(benchmark::kMillisecond);
