// Start-up of the editor: from the application object's InitInstance
// (folders, registry, settings, the editor library, the symbol library, the
// document template, a new equation) to the first painted sheet, in a
// widget application that is already running. The first run is the cold
// one (fonts and data files read for the first time in the process).
#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"
#include "sheet/CKwEESheet.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

using namespace toliva;

namespace {

class SilentSink : public MessageSink {
public:
    int show(const QString&, const QString&, unsigned, void*) override { return IDOK; }
};

void startAndPaint(benchmark::State& state) {
    QTemporaryDir home;
    qputenv("TOLIVA_HOME", home.path().toLocal8Bit());
    SilentSink sink;
    ScopedMessageSink scoped(&sink);
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
