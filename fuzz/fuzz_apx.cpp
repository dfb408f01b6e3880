// Picture bytes (".apx"), and the same bytes as a page bundle (".apg"): read,
// draw at a few sizes and through the cached bitmap, store the metafile
// block again and check that it reads back the same.
#include "platform/Archive.h"
#include "platform/gdiplus/Graphics.h"
#include "uikit/CKwEMF.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

using namespace toliva;

namespace {

// Text records need the font database, which needs an application.
void ensureApplication() {
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_apx";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

void exercise(CKwEMF& pic) {
    for (int i = -1; i <= pic.FieldCount(); ++i) pic.OptionIndexOf(i);
    QImage image(40, 24, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        gp::PainterGraphics g(&image);
        pic.Draw(g, gp::RectF{0, 0, 40, 24});
        pic.Draw(g, gp::RectF{3, 2, 7, 19});
    }
    QPainter painter(&image);
    pic.DrawToDC(&painter, QRect(1, 1, 16, 16));
    pic.DrawToDC(&painter, QRect(20, 1, 16, 16));  // cached
    painter.end();
}

QByteArray storeBlock(CKwEMF& pic) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(0);
    pic.SerializeMetafile(ar);
    return bytes;
}

}  // namespace

// The font libraries keep what they load for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libQt6Core\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    CKwEMF pic;
    Archive in(bytes);
    try {
        pic.Load(in);
    } catch (const ArchiveException&) {
    }
    exercise(pic);

    // The metafile block stores as it was read and reads back the same.
    const QByteArray stored = storeBlock(pic);
    CKwEMF again;
    Archive back(stored);
    again.Load(back);
    if (again.metafile != pic.metafile || again.IsDrawable() != pic.IsDrawable() || storeBlock(again) != stored)
        __builtin_trap();

    std::vector<std::unique_ptr<CKwEMF>> pages;
    Archive bundle(bytes);
    ReadPageBundle(bundle, [&](const QString&) {
        pages.push_back(std::make_unique<CKwEMF>());
        return pages.back().get();
    });
    if (!pages.empty()) exercise(*pages.back());
    return 0;
}
