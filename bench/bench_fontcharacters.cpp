// The font-character picker's work on a font change: listing every character
// a font covers (codes 0 to 0xFFFE against its character map) and building
// the glyph of one character through the drawing layer's measuring and path.
#include "model/GlyphOutline.h"
#include "panels/FontCharacters.h"
#include "platform/Folders.h"

#include <benchmark/benchmark.h>

using namespace toliva;

namespace {

void BM_ListDejaVuSans(benchmark::State& state) {
    for (auto _ : state) {
        auto codes = ListFontCharacters(QStringLiteral("DejaVu Sans"), 0, programFolder());
        benchmark::DoNotOptimize(codes.data());
    }
}
BENCHMARK(BM_ListDejaVuSans)->Unit(benchmark::kMillisecond);

void BM_ListProgramSet(benchmark::State& state) {
    for (auto _ : state) {
        auto codes = ListFontCharacters(QStringLiteral("*Toliva + 00"), 0, programFolder());
        benchmark::DoNotOptimize(codes.data());
    }
}
BENCHMARK(BM_ListProgramSet)->Unit(benchmark::kMillisecond);

void BM_GlyphOfA(benchmark::State& state) {
    for (auto _ : state) {
        GlyphOutline glyph;
        benchmark::DoNotOptimize(BuildGlyphFromCharacter(glyph, QStringLiteral("DejaVu Sans"), 0, 'A', programFolder()));
    }
}
BENCHMARK(BM_GlyphOfA)->Unit(benchmark::kMicrosecond);

}  // namespace
