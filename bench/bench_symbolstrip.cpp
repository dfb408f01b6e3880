// The main strip's window: its back buffer rendered on hover (tabs with
// their arched paths and pictures, every group in view copied from its
// cache, the marker bar and the edge fades) and a step to the next group
// (layout and rendering), at interface scales 1 and 2, with the program's
// own pictures when they lie beside the benchmark (else the cells are empty).
#include "panels/CKwTBPanel.h"
#include "panels/SymbolBarTables.h"
#include "platform/Folders.h"
#include "platform/RegistryStore.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <memory>

using namespace toliva;

namespace {

struct Strip {
    QTemporaryDir user;
    PanelContext context;
    std::unique_ptr<CKwTBPanel_Scr> strip;

    explicit Strip(float scale) {
        // The strip keeps its order in a registry of its own.
        qputenv("TOLIVA_HOME", user.path().toLocal8Bit());
        RegistryStore::resetInstance();
        context.uiScale = scale;
        context.iconSizeFolder = scale > 1.1f ? QStringLiteral("200") : QStringLiteral("100");
        context.programFolder = programFolder();
        context.userFolder = user.path() + QLatin1Char('/');
        strip = std::make_unique<CKwTBPanel_Scr>(context);
        for (int i = 0; i < kMainStripGroupCount; ++i) {
            const MainStripGroup& g = MainStripGroups()[size_t(i)];
            strip->AddGroupWithPicture(g.rows, g.cols, g.cellWidth, g.cellHeight, g.id, 0, 0, g.records,
                                       QString::asprintf("\\T%02d.bmp", i + 1));
        }
        strip->LoadGroupPictures(QStringLiteral("TAB_P"));
        strip->SetTabWidths(int(scale * 60), 8);
        // The strip of a full-HD main window with the side panel shown.
        strip->resize(int(1420 * scale / 2 + 710), int(163 * scale + 26));
        strip->show();
        strip->grab();  // shown; every group's cache filled
    }
    ~Strip() {
        strip.reset();
        RegistryStore::resetInstance();
    }
};

void BM_StripRenderOnHover(benchmark::State& state) {
    Strip s(float(state.range(0)));
    s.strip->SetCurrentGroup(3);
    for (auto _ : state) {
        s.strip->RenderBuffer();
        benchmark::DoNotOptimize(s.strip->backBuffer().constBits());
    }
}
BENCHMARK(BM_StripRenderOnHover)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_StripStepToNextGroup(benchmark::State& state) {
    Strip s(float(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        // Forward through the groups and back again.
        if ((step++ / 10) % 2 == 0) s.strip->StepForward();
        else s.strip->StepBack();
        benchmark::DoNotOptimize(s.strip->backBuffer().constBits());
    }
}
BENCHMARK(BM_StripStepToNextGroup)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
