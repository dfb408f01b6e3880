// The settings dialog's sample equation: bytes as the program's
// "Dat/KwFSData.dat", read by the Layout page's loader. A file that does not
// read gives no preview; one that reads is drawn in a working style as the
// page draws it, at the preview's own base size, to a size the page can use
// (finite, not negative).
#include "FuzzSupport.h"
#include "model/EqModel.h"
#include "platform/gdiplus/Graphics.h"
#include "shell/settings/LayoutPageRules.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace toliva;
using namespace toliva::fuzz;

namespace {

QString programFolder() {
    static QTemporaryDir folder;
    static const bool made = QDir().mkpath(folder.path() + QStringLiteral("/Dat"));
    (void)made;
    return folder.path() + QLatin1Char('/');
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startDrawingFuzzer(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = programFolder();
    {
        QFile file(PreviewEquationPath(folder));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    std::unique_ptr<EqModel> preview = LoadPreviewEquation(folder);
    if (!preview) return 0;

    EqLayoutSettings working = builtInStyle();
    working.fontName = QStringLiteral("Toliva|Times New Roman");
    QImage bitmap(200, 120, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::white);
    gp::PainterGraphics graphics(&bitmap);
    const PreviewExtent extent = DrawPreviewEquation(boxMeasuredContext(), graphics, *preview, working, 96);
    for (float v : {extent.width, extent.height})
        if (!std::isfinite(v) || v < 0) __builtin_trap();
    if (preview->settings.fontSize != 24.0f) __builtin_trap();
    return 0;
}
