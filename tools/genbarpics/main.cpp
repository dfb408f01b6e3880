// genbarpics: draws the pictures of the main symbol strip.
//
//   genbarpics --sources DIR --output DIR [--preview DIR]
//
// For every group of the main strip, every node's key is carried out by a
// headless editing sheet on an empty equation and drawn through the model
// into its tile of the group's picture strip: tiles of the cell's size, ten a
// row, tile t at column t % 10 and row t / 10, black on white, the drawing
// inside the part of the tile a cell shows (from 3, 3 to w - 1, h - 1).
// Keys that insert nothing (commands, the user-symbol panel, the custom
// space) are drawn from "key_<kind>_<code>.svg" of the sources folder.
//
// Written under the output folder (the program's "Pics" folder):
//   100/TAB_P01.bmp .. TAB_P11.bmp   the strips at scale 1
//   200/TAB_P01.png .. TAB_P11.png   the strips at scale 2 (scaled down by the
//                                    program for the sizes above 1.1)
//   <size>/T01.bmp .. T11.bmp        the header tabs' pictures, and
//   <size>/MORE.bmp                  the more-symbols cell's picture, for each
//                                    size folder 100, 125, 150, 175 and 200.
// With --preview, PNG copies of the strips (the scale 1 ones doubled) go to
// that folder for a person to look at. The run's time is printed.
#include "KeyPictures.h"

#include "panels/SymbolBarTables.h"
#include "platform/SafeFile.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <memory>

using namespace toliva;

namespace {

void fail(const QString& text) { std::fprintf(stderr, "genbarpics: %s\n", text.toUtf8().constData()); }

struct SizeFolder {
    const char* name;
    float scale;
};
constexpr SizeFolder kSizeFolders[] = {{"100", 1.0f}, {"125", 1.25f}, {"150", 1.5f}, {"175", 1.75f}, {"200", 2.0f}};

// The symbol a header tab shows for each group: its most typical one.
constexpr SymbolKey kHeaderKeys[kMainStripGroupCount] = {
    {4, 945, 0},   // Greek letters: alpha
    {3, 136, 0},   // structures: a square root
    {3, 1046, 0},  // operators: plus or minus
    {6, 8734, 0},  // symbols: infinity
    {2, 5, 0},     // accents: an arrow over a place
    {3, 248, 0},   // accents over structures, enclosures: a frame
    {3, 337, 0},   // brackets
    {3, 288, 0},   // integrals
    {3, 306, 0},   // big operators: a sum
    {5, 80, 0},    // matrices
    {3, 506, 0},   // arrows
};

// The header pictures' size at scale 1 (the tabs are 60 wide and 24 high).
constexpr int kHeaderWidth = 40;
constexpr int kHeaderHeight = 20;
// The more-symbols picture is as large as the smallest cell.
constexpr int kMoreSize = 36;

// Characters take this share of the smaller cell side.
constexpr float kFontShare = 0.56f;

bool writeImage(const QString& path, const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Black on white needs no alpha: 24-bit pictures.
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, format)) {
        fail(QStringLiteral("%1: the picture cannot be encoded").arg(path));
        return false;
    }
    QString reason;
    if (!WriteFileSafely(path, bytes, &reason)) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, reason));
        return false;
    }
    return true;
}

// The part of a w x h tile at (x, y) the drawing may use: a cell shows the
// tile from (3, 3) to (w - 1, h - 1) at the size it is used at, so a strip
// drawn at a scale for smaller sizes keeps to that window scaled; a margin
// keeps the ink off its edge.
QRect tileBox(int x, int y, int w, int h, float scale) {
    const int margin = int(std::lround(scale));
    const int left = int(std::lround(3 * scale)) + margin;
    const int right = int(std::lround(scale)) + margin;
    return QRect(x + left, y + left, w - left - right, h - left - right);
}

// One group's strip at a scale; null after a message when a node cannot be drawn.
QImage drawStrip(KeyPictures& pictures, const MainStripGroup& group, float scale) {
    const std::vector<SymbolKey> keys = ExpandBarRecords(group.records);
    const int w = int(group.cellWidth * scale);
    const int h = int(group.cellHeight * scale);
    const int rows = (int(keys.size()) + 9) / 10;
    QImage strip(10 * w, std::max(rows, 1) * h, QImage::Format_RGB32);
    strip.fill(Qt::white);
    const float fontPixels = std::min(group.cellWidth, group.cellHeight) * kFontShare * scale;
    // Every node that cannot be drawn is named before the run fails.
    bool failed = false;
    for (size_t t = 0; t < keys.size(); ++t) {
        const QRect box = tileBox(w * int(t % 10), h * int(t / 10), w, h, scale);
        QString reason;
        if (!pictures.draw(keys[t], fontPixels, &strip, box, &reason)) {
            fail(reason);
            failed = true;
        }
    }
    return failed ? QImage() : strip;
}

struct Args {
    QString sources;
    QString output;
    QString preview;
};

bool parseArgs(const QStringList& args, Args* out) {
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--sources") out->sources = args[i + 1];
        else if (args[i] == u"--output") out->output = args[i + 1];
        else if (args[i] == u"--preview") out->preview = args[i + 1];
        else return false;
    }
    return args.size() % 2 == 0 && !out->sources.isEmpty() && !out->output.isEmpty();
}

int run(const QStringList& arguments) {
    Args args;
    if (!parseArgs(arguments, &args)) {
        fail(QStringLiteral("usage: genbarpics --sources DIR --output DIR [--preview DIR]"));
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    const QDir out(args.output);
    for (const SizeFolder& size : kSizeFolders) {
        if (!out.mkpath(QLatin1String(size.name))) {
            fail(QStringLiteral("cannot make %1/%2").arg(args.output, QLatin1String(size.name)));
            return 1;
        }
    }
    if (!args.preview.isEmpty() && !QDir().mkpath(args.preview)) {
        fail(QStringLiteral("cannot make %1").arg(args.preview));
        return 1;
    }

    KeyPictures pictures(args.sources);
    int files = 0;
    bool failed = false;
    const auto& groups = MainStripGroups();
    for (int g = 0; g < kMainStripGroupCount; ++g) {
        const QString name = QStringLiteral("TAB_P%1").arg(g + 1, 2, 10, QLatin1Char('0'));
        for (const float scale : {1.0f, 2.0f}) {
            const QImage strip = drawStrip(pictures, groups[size_t(g)], scale);
            if (strip.isNull()) {
                failed = true;
                continue;
            }
            const bool png = scale > 1.0f;
            const QString path = out.filePath(png ? QStringLiteral("200/%1.png").arg(name)
                                                  : QStringLiteral("100/%1.bmp").arg(name));
            if (!writeImage(path, strip, png ? "PNG" : "BMP")) return 1;
            ++files;
            if (!args.preview.isEmpty()) {
                const QImage look = png ? strip : strip.scaled(strip.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
                if (!writeImage(QStringLiteral("%1/%2_%3.png").arg(args.preview, name, png ? "200" : "100"), look, "PNG"))
                    return 1;
            }
        }
    }
    if (failed) return 1;

    for (const SizeFolder& size : kSizeFolders) {
        const float s = size.scale;
        for (int g = 0; g < kMainStripGroupCount; ++g) {
            QImage header(int(kHeaderWidth * s), int(kHeaderHeight * s), QImage::Format_RGB32);
            header.fill(Qt::white);
            QString reason;
            const QRect box(1, 1, header.width() - 2, header.height() - 2);
            if (!pictures.draw(kHeaderKeys[g], 16.0f * s, &header, box, &reason)) {
                fail(reason);
                return 1;
            }
            const QString path = out.filePath(
                QStringLiteral("%1/T%2.bmp").arg(QLatin1String(size.name)).arg(g + 1, 2, 10, QLatin1Char('0')));
            if (!writeImage(path, header, "BMP")) return 1;
            ++files;
        }
        // The more-symbols picture is drawn from (2, 2) into the cell one
        // pixel further on: its ink keeps off the cell's grid lines.
        const int side = int(kMoreSize * s);
        QImage more(side, side, QImage::Format_RGB32);
        more.fill(Qt::white);
        QString reason;
        const int margin = 4 + int(std::lround(s));
        if (!pictures.draw(kMoreSymbolsKey, 0, &more, QRect(margin, margin, side - 2 * margin, side - 2 * margin), &reason)) {
            fail(reason);
            return 1;
        }
        if (!writeImage(out.filePath(QStringLiteral("%1/MORE.bmp").arg(QLatin1String(size.name))), more, "BMP")) return 1;
        ++files;
        if (!args.preview.isEmpty()) {
            writeImage(QStringLiteral("%1/MORE_%2.png").arg(args.preview, QLatin1String(size.name)), more, "PNG");
            QImage heads(int(kHeaderWidth * s) * kMainStripGroupCount, int(kHeaderHeight * s), QImage::Format_RGB32);
            QPainter p(&heads);
            for (int g = 0; g < kMainStripGroupCount; ++g)
                p.drawImage(g * int(kHeaderWidth * s), 0,
                            QImage(out.filePath(QStringLiteral("%1/T%2.bmp")
                                                    .arg(QLatin1String(size.name))
                                                    .arg(g + 1, 2, 10, QLatin1Char('0')))));
            p.end();
            writeImage(QStringLiteral("%1/T_%2.png").arg(args.preview, QLatin1String(size.name)), heads, "PNG");
        }
    }
    std::printf("genbarpics: %d pictures (%d nodes drawn through the model, %d from sources) in %lld ms\n", files,
                pictures.drawnFromModel, pictures.drawnFromSvg, static_cast<long long>(timer.elapsed()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The sheet is a widget: without a display it runs on the offscreen platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QTemporaryDir> runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtime = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/genbarpics-runtime-XXXXXX"));
        if (runtime->isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    }
    QApplication application(argc, argv);
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return run(args);
}
