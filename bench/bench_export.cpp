// Picture export: a 50-line equation exported as PNG at 300 dpi (drawn and
// encoded band by band, then written), and for comparison the whole picture
// rendered at once, and that picture encoded.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/RenderContext.h"
#include "sheet/editing/PictureExport.h"
#include "tests/common/ModelFixtures.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

using namespace toliva;

namespace {

constexpr int kLines = 50;
constexpr int kDpi = 300;

const RenderContext& programContext() {
    static const RenderContext context = RenderContext::FromDataFolder();
    return context;
}

struct ExportFixture {
    EqModel eq{test::builtInStyle()};
    ExportFixture() {
        EqBuilder b(&eq);
        for (int k = 0; k < kLines; ++k) test::addSampleLine(b, k);
        // Loads the fonts before timing.
        RenderExportBitmap(programContext(), &eq, 8, true);
    }
};

void BM_ExportPng(benchmark::State& state) {
    ExportFixture f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("equation.png"));
    QSizeF size;
    for (auto _ : state) {
        const BitmapExportResult r = ExportBitmap(programContext(), &f.eq, path, kDpi, nullptr, &size);
        if (r != BitmapExportResult::Done) state.SkipWithError("the export failed");
    }
    state.counters["pixels"] = size.width() * size.height();
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_ExportPng)->Unit(benchmark::kMillisecond);

void BM_RenderWholePicture(benchmark::State& state) {
    ExportFixture f;
    for (auto _ : state) benchmark::DoNotOptimize(RenderExportBitmap(programContext(), &f.eq, kDpi, true));
}
BENCHMARK(BM_RenderWholePicture)->Unit(benchmark::kMillisecond);

void BM_EncodeWholePicturePng(benchmark::State& state) {
    ExportFixture f;
    const QImage image = RenderExportBitmap(programContext(), &f.eq, kDpi, true);
    const int png = FindImageEncoder(QStringLiteral("image/png"));
    QByteArray bytes;
    for (auto _ : state) {
        if (!EncodeImage(image, png, &bytes)) state.SkipWithError("the encoder failed");
    }
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_EncodeWholePicturePng)->Unit(benchmark::kMillisecond);

}  // namespace
