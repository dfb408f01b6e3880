// Printing a long equation: 200 lines of a typical formula laid over A4
// pages at scale 1 (eight pages), every page with its footer, into a
// recording graphics and page sink; and the preview's first page.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "platform/gdiplus/Graphics.h"
#include "shell/print/PrintLayout.h"
#include "tests/common/ModelFixtures.h"

#include <benchmark/benchmark.h>

using namespace toliva;

namespace {

constexpr int kLines = 200;

// Counts the pages it is given.
class CountingSink : public PrintPageSink {
public:
    void startPage() override { ++pages; }
    void endPage() override {}
    int pages = 0;
};

struct LongEquation {
    LongEquation() {
        EqBuilder b(&eq);
        for (int k = 0; k < kLines; ++k) test::addSampleLine(b, k);
        gp::RecordingGraphics measuring;
        LayoutForOutput(render, &measuring, &eq, {0, 0}, 1.0f);
        setup.page = GetPaperSize(4, PaperPortrait);
        setup.footerFont = QStringLiteral("Segoe UI");
    }
    RenderContext render = RenderContext::FromDataFolder();
    EqModel eq{test::builtInStyle()};
    PageSetup setup;
};

void BM_PrintPages(benchmark::State& state) {
    LongEquation long_;
    int pages = 0;
    size_t ops = 0;
    for (auto _ : state) {
        gp::RecordingGraphics g;
        CountingSink sink;
        pages = DrawPage(long_.render, g, &long_.eq, long_.setup, &sink);
        ops = g.ops.size();
        benchmark::DoNotOptimize(ops);
    }
    state.counters["pages"] = pages;
    state.counters["ops"] = double(ops);
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_PrintPages)->Unit(benchmark::kMillisecond);

void BM_PreviewPage(benchmark::State& state) {
    LongEquation long_;
    for (auto _ : state) {
        gp::RecordingGraphics g;
        g.ScaleTransform(0.36f, 0.36f);
        benchmark::DoNotOptimize(DrawPage(long_.render, g, &long_.eq, long_.setup, nullptr));
    }
}
BENCHMARK(BM_PreviewPage)->Unit(benchmark::kMillisecond);

}  // namespace
