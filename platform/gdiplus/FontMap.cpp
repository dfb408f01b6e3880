#include "FontMap.h"

#include "platform/gdiplus/Font.h"

#include <QDir>

namespace toliva::gp {
namespace {

// The program's own font files (kPrivateRows) and the installed families by
// the names the system knows (kInstalledRows), generated from
// data/sources/fonts.tsv by platform/fonts.cmake.
#include "FontMapRows.inc"

// U+F0FE of the math family. Symbol-encoded fonts put their characters at
// U+F020-U+F0FF; their 0xFE is the bottom piece of a right brace (as
// U+23AD). No free math font has a glyph at this code, so it is drawn here:
// a stem from the top of the font's cell down to the baseline that turns to
// the left into a tapered tail below it. Em units, y down.
QPainterPath rightBraceBottom() {
    QPainterPath p;
    p.moveTo(0.22, -0.92);
    p.lineTo(0.30, -0.92);
    p.lineTo(0.30, -0.02);
    p.cubicTo(0.30, 0.10, 0.20, 0.19, 0.06, 0.21);
    p.lineTo(0.06, 0.17);
    p.cubicTo(0.15, 0.15, 0.22, 0.08, 0.22, -0.02);
    p.closeSubpath();
    return p;
}

const AuthoredGlyph kAuthoredGlyphs[] = {
    {0xF0FE, 0.494f, &rightBraceBottom},
};
const char* const kAuthoredFamily = "Toliva";

}  // namespace

std::span<const FontMapRow> PrivateFontRows() { return kPrivateRows; }
std::span<const FontMapRow> InstalledFamilyRows() { return kInstalledRows; }

const FontMapRow* FindPrivateFontRow(const QString& relativePath) {
    const QString wanted = QDir::cleanPath(QString(relativePath).replace(QLatin1Char('\\'), QLatin1Char('/')));
    for (const FontMapRow& row : kPrivateRows)
        if (wanted.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0) return &row;
    return nullptr;
}

std::vector<const FontMapRow*> FindFamilyRows(const QString& familyName) {
    std::vector<const FontMapRow*> rows;
    for (const FontMapRow& row : kInstalledRows)
        if (familyName.compare(QString::fromUtf8(row.name), Qt::CaseInsensitive) == 0) rows.push_back(&row);
    return rows;
}

QString GenericSerifName() { return QStringLiteral("serif"); }

const AuthoredGlyph* FindAuthoredGlyph(const QString& familyName, char32_t code) {
    if (familyName != QLatin1String(kAuthoredFamily)) return nullptr;
    for (const AuthoredGlyph& g : kAuthoredGlyphs)
        if (g.code == code) return &g;
    return nullptr;
}

}  // namespace toliva::gp
