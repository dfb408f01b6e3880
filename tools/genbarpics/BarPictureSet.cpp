#include "BarPictureSet.h"

#include "KeyPictures.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace toliva {
namespace {

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

bool writeImage(const QString& path, const QImage& image, const char* format, QStringList* errors) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Black on white needs no alpha: 24-bit pictures.
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, format)) {
        errors->append(QStringLiteral("%1: the picture cannot be encoded").arg(path));
        return false;
    }
    QString reason;
    if (!WriteFileSafely(path, bytes, &reason)) {
        errors->append(QStringLiteral("cannot write %1: %2").arg(path, reason));
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

}  // namespace

QImage DrawGroupStrip(KeyPictures& pictures, const MainStripGroup& group, float scale, QStringList* errors) {
    const std::vector<SymbolKey> keys = ExpandBarRecords(group.records);
    const int w = int(group.cellWidth * scale);
    const int h = int(group.cellHeight * scale);
    const int rows = (int(keys.size()) + 9) / 10;
    QImage strip(10 * w, std::max(rows, 1) * h, QImage::Format_RGB32);
    strip.fill(Qt::white);
    const float fontPixels = std::min(group.cellWidth, group.cellHeight) * kFontShare * scale;
    // Every node that cannot be drawn is named.
    bool failed = false;
    for (size_t t = 0; t < keys.size(); ++t) {
        const QRect box = tileBox(w * int(t % 10), h * int(t / 10), w, h, scale);
        QString reason;
        if (!pictures.draw(keys[t], fontPixels, &strip, box, &reason)) {
            errors->append(reason);
            failed = true;
        }
    }
    return failed ? QImage() : strip;
}

bool GenerateBarPictures(KeyPictures& pictures, const QString& output, const QString& preview,
                         BarPictureCount* count, QStringList* errors) {
    const QDir out(output);
    for (const SizeFolder& size : kSizeFolders) {
        if (!out.mkpath(QLatin1String(size.name))) {
            errors->append(QStringLiteral("cannot make %1/%2").arg(output, QLatin1String(size.name)));
            return false;
        }
    }
    if (!preview.isEmpty() && !QDir().mkpath(preview)) {
        errors->append(QStringLiteral("cannot make %1").arg(preview));
        return false;
    }
    int files = 0;
    bool failed = false;
    const auto& groups = MainStripGroups();
    for (int g = 0; g < kMainStripGroupCount; ++g) {
        const QString name = QStringLiteral("TAB_P%1").arg(g + 1, 2, 10, QLatin1Char('0'));
        for (const float scale : {1.0f, 2.0f}) {
            const QImage strip = DrawGroupStrip(pictures, groups[size_t(g)], scale, errors);
            if (strip.isNull()) {
                failed = true;
                continue;
            }
            const bool png = scale > 1.0f;
            const QString path = out.filePath(png ? QStringLiteral("200/%1.png").arg(name)
                                                  : QStringLiteral("100/%1.bmp").arg(name));
            if (!writeImage(path, strip, png ? "PNG" : "BMP", errors)) return false;
            ++files;
            if (!preview.isEmpty()) {
                const QImage look = png ? strip : strip.scaled(strip.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
                if (!writeImage(QStringLiteral("%1/%2_%3.png").arg(preview, name, png ? "200" : "100"), look, "PNG", errors))
                    return false;
            }
        }
    }
    if (failed) return false;

    for (const SizeFolder& size : kSizeFolders) {
        const float s = size.scale;
        for (int g = 0; g < kMainStripGroupCount; ++g) {
            QImage header(int(kHeaderWidth * s), int(kHeaderHeight * s), QImage::Format_RGB32);
            header.fill(Qt::white);
            QString reason;
            const QRect box(1, 1, header.width() - 2, header.height() - 2);
            if (!pictures.draw(kHeaderKeys[g], 16.0f * s, &header, box, &reason)) {
                errors->append(reason);
                return false;
            }
            const QString path = out.filePath(
                QStringLiteral("%1/T%2.bmp").arg(QLatin1String(size.name)).arg(g + 1, 2, 10, QLatin1Char('0')));
            if (!writeImage(path, header, "BMP", errors)) return false;
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
            errors->append(reason);
            return false;
        }
        if (!writeImage(out.filePath(QStringLiteral("%1/MORE.bmp").arg(QLatin1String(size.name))), more, "BMP", errors)) return false;
        ++files;
        if (!preview.isEmpty()) {
            writeImage(QStringLiteral("%1/MORE_%2.png").arg(preview, QLatin1String(size.name)), more, "PNG", errors);
            QImage heads(int(kHeaderWidth * s) * kMainStripGroupCount, int(kHeaderHeight * s), QImage::Format_RGB32);
            QPainter p(&heads);
            for (int g = 0; g < kMainStripGroupCount; ++g)
                p.drawImage(g * int(kHeaderWidth * s), 0,
                            QImage(out.filePath(QStringLiteral("%1/T%2.bmp")
                                                    .arg(QLatin1String(size.name))
                                                    .arg(g + 1, 2, 10, QLatin1Char('0')))));
            p.end();
            writeImage(QStringLiteral("%1/T_%2.png").arg(preview, QLatin1String(size.name)), heads, "PNG", errors);
        }
    }
    // The symbol editor's canvas is tiled with a faint grid: lines every
    // eight pixels in a light blue-grey on white.
    QImage grid(16, 16, QImage::Format_RGB32);
    grid.fill(Qt::white);
    for (int i = 0; i < 16; ++i) {
        for (int line : {0, 8}) {
            grid.setPixel(i, line, qRgb(226, 230, 240));
            grid.setPixel(line, i, qRgb(226, 230, 240));
        }
    }
    if (!writeImage(out.filePath(QStringLiteral("bgd.bmp")), grid, "BMP", errors)) return false;
    ++files;
    if (count) count->files = files;
    return true;
}

}  // namespace toliva
