// Opening and saving an equation document of 1,000 lines: the file read
// whole, the compound file opened, the archive read into a new equation; and
// the other way round, written through a temporary file.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "platform/Archive.h"
#include "shell/document/AfxFile.h"
#include "tests/common/ModelFixtures.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

using namespace toliva;

namespace {

constexpr int kLines = 1000;

// A scratch per-user folder (a new equation reads the defaults file there),
// set before the first equation is made.
const QTemporaryDir& scratchHome() {
    static QTemporaryDir home;
    static const bool set = setenv("TOLIVA_HOME", home.path().toLocal8Bit().constData(), 1) == 0;
    (void)set;
    return home;
}

std::unique_ptr<EqModel> documentEquation() {
    auto eq = std::make_unique<EqModel>(test::builtInStyle());
    EqBuilder b(eq.get());
    for (int k = 0; k < kLines; ++k) test::addSampleLine(b, k);
    return eq;
}

QByteArray archiveOf(EqModel* eq) { return AfxArchiveBytes(eq, 300, 200); }

void BM_OpenAfx(benchmark::State& state) {
    const QString path = scratchHome().filePath(QStringLiteral("open.afx"));
    {
        auto eq = documentEquation();
        if (!WriteAfxFile(path, archiveOf(eq.get()), nullptr)) {
            state.SkipWithError("cannot write the document");
            return;
        }
    }
    for (auto _ : state) {
        AfxContent content;
        if (!ReadAfxFile(path, content, nullptr)) {
            state.SkipWithError("cannot read the document");
            return;
        }
        benchmark::DoNotOptimize(content.equation.get());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_SaveAfx(benchmark::State& state) {
    const QString path = scratchHome().filePath(QStringLiteral("save.afx"));
    auto eq = documentEquation();
    for (auto _ : state) {
        if (!WriteAfxFile(path, archiveOf(eq.get()), nullptr)) {
            state.SkipWithError("cannot write the document");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

}  // namespace

BENCHMARK(BM_OpenAfx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAfx)->Unit(benchmark::kMillisecond);
