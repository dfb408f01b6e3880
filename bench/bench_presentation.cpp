// The picture an embedding container shows for a 20-line equation: the
// cache rendered at scale 33.6 through the metafile recorder and converted to
// a Windows metafile, then the container's metafile with the baseline and
// LaTeX comments and the cache played in, through the embedded item as the
// container asks for it (the sheet lays its equation out again after the
// rendering, as in the program). The parts are measured on their own too.
#include "../tests/common/ModelFixtures.h"
#include "model/EqModel.h"
#include "BenchProgram.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaSrvrItem.h"
#include "shell/presentation/Presentation.h"

#include <benchmark/benchmark.h>

using namespace toliva;

namespace {

constexpr int kLines = 20;

// The program with a 20-line equation in its document.
class Program : public bench::BenchProgram {
public:
    Program() {
        if (!app) return;
        EqModel eq(app->document()->equation()->settings);
        EqBuilder b(&eq);
        for (int k = 0; k < kLines; ++k) test::addSampleLine(b, k);
        app->document()->equation()->swap(eq);
    }
    CTolivaDoc& doc() { return *app->document(); }
};

void BM_PresentationPicture(benchmark::State& state) {
    Program program;
    if (!program.started(state)) return;
    QByteArray picture;
    QSize size;
    for (auto _ : state) {
        program.doc().m_wmfCache.clear();
        program.doc().GetEmbeddedItem()->OnDraw(&picture, size);
        benchmark::DoNotOptimize(picture.data());
    }
    state.counters["cache_kB"] = double(program.doc().m_wmfCache.size()) / 1024;
    state.counters["picture_kB"] = double(picture.size()) / 1024;
}

void BM_PresentationCacheOnly(benchmark::State& state) {
    Program program;
    if (!program.started(state)) return;
    PresentationCache cache;
    for (auto _ : state) {
        RenderPresentationCache(program.app->renderContext(), program.doc().equation(), 0, QString(), &cache);
        benchmark::DoNotOptimize(cache.wmf.data());
    }
}

void BM_PresentationFromCache(benchmark::State& state) {
    Program program;
    if (!program.started(state)) return;
    QByteArray picture;
    QSize size;
    program.doc().GetEmbeddedItem()->OnDraw(&picture, size);
    for (auto _ : state) {
        program.doc().GetEmbeddedItem()->OnDraw(&picture, size);
        benchmark::DoNotOptimize(picture.data());
    }
}

}  // namespace

BENCHMARK(BM_PresentationPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PresentationCacheOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PresentationFromCache)->Unit(benchmark::kMillisecond);
