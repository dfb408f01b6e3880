// icons-sheet: every ".apx" picture of the icons folder drawn at 16, 24 and
// 48 pixels into one PNG, the way menus and tool bars draw them (through the
// cached bitmap onto the button-face colour), each with its name. The names,
// in sheet order (column by column, top to bottom), also go to standard output.
#include "Commands.h"

#include "platform/Folders.h"
#include "uikit/CKwEMF.h"

#include <QDir>
#include <QDirIterator>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace toliva::eqtool {
namespace {

constexpr int kSizes[] = {16, 24, 48};
constexpr int kGap = 8;
constexpr int kRowsPerColumn = 12;
constexpr int kLabelWidth = 104;
constexpr QRgb kBackground = 0xFFF0F0F0;
constexpr QRgb kRule = 0xFFD8D8D8;

int cellWidth() {
    int w = kGap;
    for (int s : kSizes) w += s + kGap;
    return w + kLabelWidth;
}

int cellHeight() { return kSizes[std::size(kSizes) - 1] + kGap; }

}  // namespace

int runIconsSheet(const QStringList& args) {
    QString output;
    QString folder = programFolder() + QStringLiteral("icons");
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("-o"))
            output = args[i + 1];
        else if (args[i] == QLatin1String("--icons"))
            folder = args[i + 1];
        else
            return kUsageError;
    }
    if (output.isEmpty() || args.size() % 2 != 0) return kUsageError;

    QStringList names;
    const QDir root(QDir(folder).absolutePath());
    QDirIterator it(root.path(), {QStringLiteral("*.apx")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) names << root.relativeFilePath(it.next());
    names.sort(Qt::CaseInsensitive);
    if (names.isEmpty()) {
        printError(QStringLiteral("eqtool: no pictures under %1").arg(folder));
        return 1;
    }

    const int columns = int((names.size() + kRowsPerColumn - 1) / kRowsPerColumn);
    const int rows = std::min<int>(int(names.size()), kRowsPerColumn);
    QImage sheet(columns * cellWidth(), rows * cellHeight() + kGap, QImage::Format_RGB32);
    sheet.fill(kBackground);
    QPainter painter(&sheet);
    painter.setPen(QColor::fromRgba(kRule));
    for (int c = 1; c < columns; ++c) painter.drawLine(c * cellWidth(), 0, c * cellWidth(), sheet.height());
    // Names need the font engine of a GUI application.
    const bool labels = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (labels) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        painter.setFont(font);
    }

    int failures = 0;
    for (int n = 0; n < names.size(); ++n) {
        const int column = n / kRowsPerColumn;
        const int row = n % kRowsPerColumn;
        CKwEMF picture;
        if (!picture.LoadFile(root.filePath(names[n])) || !picture.IsDrawable()) {
            printError(QStringLiteral("eqtool: %1 does not draw").arg(names[n]));
            ++failures;
        }
        int x = column * cellWidth() + kGap;
        const int bottom = kGap + (row + 1) * cellHeight() - kGap;
        for (int size : kSizes) {
            picture.DrawToDC(&painter, QRect(x, bottom - size, size, size));
            x += size + kGap;
        }
        QString name = names[n];
        name.chop(4);
        if (labels) {
            painter.setPen(Qt::black);
            painter.drawText(QRect(x, bottom - 24, kLabelWidth - kGap, 24), Qt::AlignLeft | Qt::AlignVCenter, name);
        }
        printOut(QStringLiteral("%1,%2 %3\n").arg(column + 1).arg(row + 1).arg(name));
    }
    painter.end();
    if (!writePngFile(output, sheet)) return 1;
    return failures == 0 ? 0 : 1;
}

}  // namespace toliva::eqtool
