// The symbol bars' pictures the build draws: one group's strip at scale 1
// (the 248 operators of group 3) and the whole set, every strip at both
// scales with the header and more-symbols pictures, written to a temporary
// folder.
#include "BarPictureSet.h"
#include "KeyPictures.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

using namespace toliva;

namespace {

QString barSources() { return QStringLiteral(TOLIVA_SOURCE_DIR "/data/sources/bars"); }

void BM_OperatorStrip(benchmark::State& state) {
    KeyPictures pictures(barSources());
    const MainStripGroup& group = MainStripGroups()[2];
    for (auto _ : state) {
        QStringList errors;
        const QImage strip = DrawGroupStrip(pictures, group, 1.0f, &errors);
        if (strip.isNull()) state.SkipWithError("the strip cannot be drawn");
        benchmark::DoNotOptimize(strip.constBits());
    }
}
BENCHMARK(BM_OperatorStrip)->Unit(benchmark::kMillisecond);

void BM_AllBarPictures(benchmark::State& state) {
    KeyPictures pictures(barSources());
    QTemporaryDir folder;
    for (auto _ : state) {
        QStringList errors;
        BarPictureCount count;
        if (!GenerateBarPictures(pictures, folder.path(), QString(), &count, &errors))
            state.SkipWithError("the pictures cannot be drawn");
        benchmark::DoNotOptimize(count.files);
    }
}
BENCHMARK(BM_AllBarPictures)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
