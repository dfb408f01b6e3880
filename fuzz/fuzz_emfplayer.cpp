// Enhanced-metafile bytes: play them into a small image, read the header and
// the comments. Nothing may read outside the bytes, whatever they hold.
#include "platform/emf/EmfInfo.h"
#include "platform/emf/EmfPlayer.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

using namespace toliva::emf;

namespace {

// Text records need the font database, which needs an application.
void ensureApplication() {
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_emfplayer";
        static char* argv[] = {name, nullptr};
        // Warnings about odd pens and missing fonts would only slow the run.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

}  // namespace

// The font libraries keep what they load for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libQt6Core\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    QImage image(48, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    EmfPlayResult played;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        played = EmfPlayer::play(bytes, &painter, QRectF(2, 2, 44, 36));
    }
    const std::optional<EmfHeader> header = readEmfHeader(bytes);
    const QList<QByteArray> comments = emfComments(bytes);
    if (header.has_value() != played.valid) __builtin_trap();
    if (comments != played.comments) __builtin_trap();
    if (header) header->pictureRect();
    return 0;
}
