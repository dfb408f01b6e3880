// The main window laid out again on a resize: the layout arithmetic and the
// children placed (sheet, tool bars, strip, side panel, LaTeX pane), in
// visual and LaTeX mode, the window's size alternating between two sizes.
#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

using namespace toliva;

namespace {

class SilentSink : public MessageSink {
public:
    int show(const QString&, const QString&, unsigned, void*) override { return IDOK; }
};

void relayout(benchmark::State& state, bool latexMode) {
    QTemporaryDir home;
    qputenv("TOLIVA_HOME", home.path().toLocal8Bit());
    SilentSink sink;
    ScopedMessageSink scoped(&sink);
    AppContext context;
    CTolivaApp theApp(context);
    theApp.quitWithFrame = false;
    if (!theApp.InitInstance({})) {
        state.SkipWithError("the program did not start");
        return;
    }
    CTolivaView* view = theApp.view();
    if (latexMode) view->ToggleLaTeXMode();
    QApplication::processEvents();
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        view->resize(wide ? QSize(1400, 900) : QSize(1000, 700));
        view->RelayoutChildren();
    }
    theApp.ExitInstance(0);
}

void BM_RelayoutVisual(benchmark::State& state) { relayout(state, false); }
void BM_RelayoutLaTeX(benchmark::State& state) { relayout(state, true); }

}  // namespace

BENCHMARK(BM_RelayoutVisual)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RelayoutLaTeX)->Unit(benchmark::kMicrosecond);
