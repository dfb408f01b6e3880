// The TeX prompt bar's ranking: every candidate of the shipped table scored
// against a typed command and sorted, as on every key typed while the bar
// shows.
#include "platform/Folders.h"
#include "platform/SafeFile.h"
#include "sheet/editing/TeXCandidates.h"

#include <benchmark/benchmark.h>

using namespace toliva;

namespace {

// The shipped candidates (generated at build time) with a few use counts,
// as after some use.
TeXCandidateList shippedList() {
    QByteArray bytes;
    ReadFileCapped(programFolder() + QStringLiteral("Dat/KwTCMData.dat"), kMaxInputFileBytes, &bytes, nullptr);
    CandidateFileContents read = ReadCandidateFile(bytes);
    for (size_t i = 0; i < read.entries.size(); i += 7) read.entries[i].useCount = int32_t(i % 13);
    TeXCandidateList list;
    QStringList labels;
    for (int i = 0; i < 40; ++i) labels << QStringLiteral("label%1").arg(i);
    list.setLabels(labels);
    list.SetCandidatesForTest(std::move(read.entries));
    return list;
}

void BM_RankCandidates(benchmark::State& state, const char* typed) {
    TeXCandidateList list = shippedList();
    if (list.total() < 500) {
        state.SkipWithError("Dat/KwTCMData.dat beside the program is missing or short");
        return;
    }
    const QString text = QString::fromUtf8(typed);
    for (auto _ : state) {
        list.RankCandidates(text);
        benchmark::DoNotOptimize(list.candidateInCell(0));
    }
    state.SetItemsProcessed(state.iterations() * list.total());
    state.counters["candidates"] = list.total();
}

}  // namespace

BENCHMARK_CAPTURE(BM_RankCandidates, backslash, "\\")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RankCandidates, two_letters, "\\al")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RankCandidates, long_prefix, "\\mathbb")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RankCandidates, mixed_case, "\\LeftArrow")->Unit(benchmark::kMicrosecond);
