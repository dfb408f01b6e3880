// The LaTeX pipeline over the real-world formula corpus: time per formula for
// reading alone, reading + layout, and reading + layout + drawing into a
// path recorder (no rasterising).
//
// The corpus is the folder "shared/corpus" beside the repository (its *.tsv
// files, the TeX in each row's last field); without it the benchmarks skip
// with a message.
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "platform/gdiplus/Graphics.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdlib>
#include <vector>

using namespace toliva;

namespace {

QString corpusFolder() {
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../shared/corpus"));
}

std::vector<QString> loadCorpus() {
    std::vector<QString> formulas;
    const QDir dir(corpusFolder());
    for (const QString& name : dir.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const QString& row : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const qsizetype tab = row.lastIndexOf(QLatin1Char('\t'));
            if (tab >= 0) formulas.push_back(row.mid(tab + 1));
        }
    }
    return formulas;
}

const std::vector<QString>& corpus() {
    static const std::vector<QString> formulas = loadCorpus();
    return formulas;
}

EqLayoutSettings defaults() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

enum Stage { ReadOnly, ReadLayout, ReadLayoutDraw };

void runStage(benchmark::State& state, Stage stage) {
    const std::vector<QString>& formulas = corpus();
    if (formulas.empty()) {
        state.SkipWithError(("no formulas in " + corpusFolder().toStdString()).c_str());
        return;
    }
    const EqLayoutSettings style = defaults();
    CTeXCode names;
    TeXReadContext context;
    context.names = &names;
    const RenderContext render = RenderContext::FromDataFolder();
    {
        // Loads the fonts before timing.
        EqModel eq{style};
        ReadLaTeXDocument(formulas.front(), &eq, context);
        gp::RecordingGraphics g;
        DrawEquationPicture(render, g, &eq, 1.0f);
    }
    // One equation for all: reading clears it first. (Making an equation
    // sets up its fonts, which costs more than reading a formula.)
    EqModel eq{style};
    int converted = 0;
    size_t ops = 0;
    for (auto _ : state) {
        converted = 0;
        ops = 0;
        for (const QString& tex : formulas) {
            if (ReadLaTeXDocument(tex, &eq, context)) ++converted;
            if (stage == ReadLayout) {
                gp::RecordingGraphics g;
                LayoutForOutput(render, &g, &eq, {0, 0}, 1.0f);
                benchmark::DoNotOptimize(eq.widestLine);
            } else if (stage == ReadLayoutDraw) {
                gp::RecordingGraphics g;
                const EqPictureMetrics m = DrawEquationPicture(render, g, &eq, 1.0f);
                benchmark::DoNotOptimize(m.width);
                ops += g.ops.size();
            }
        }
    }
    const double n = double(formulas.size());
    state.counters["formulas"] = n;
    state.counters["converted"] = converted;
    if (stage == ReadLayoutDraw) state.counters["paths_per_formula"] = double(ops) / n;
    state.counters["per_formula"] =
        benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(int64_t(state.iterations() * formulas.size()));
}

void BM_Read(benchmark::State& state) { runStage(state, ReadOnly); }
void BM_ReadLayout(benchmark::State& state) { runStage(state, ReadLayout); }
void BM_ReadLayoutDraw(benchmark::State& state) { runStage(state, ReadLayoutDraw); }

BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLayoutDraw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
