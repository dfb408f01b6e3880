#include "FontMap.h"

#include "platform/gdiplus/Font.h"

#include <QDir>

namespace toliva::gp {
namespace {

// The program's own font files. The math family "Toliva" comes in one folder
// per font size mode (N_00, N_05, N_10, N_15), each with its four styles;
// STIX General stands in for all of them. Every row stays on one line.
// clang-format off
const FontMapRow kPrivateRows[] = {
    {"Fonts/N_00/Tolivai.ttf", "Toliva", FontStyleItalic, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Italic.otf"},
    {"Fonts/N_00/Toliva.ttf", "Toliva", FontStyleRegular, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Regular.otf"},
    {"Fonts/N_00/Tolivab.ttf", "Toliva", FontStyleBold, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Bold.otf"},
    {"Fonts/N_00/Tolivabi.ttf", "Toliva", FontStyleBoldItalic, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-BoldItalic.otf"},
    {"Fonts/N_05/Tolivai.ttf", "Toliva", FontStyleItalic, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Italic.otf"},
    {"Fonts/N_05/Toliva.ttf", "Toliva", FontStyleRegular, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Regular.otf"},
    {"Fonts/N_05/Tolivab.ttf", "Toliva", FontStyleBold, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Bold.otf"},
    {"Fonts/N_05/Tolivabi.ttf", "Toliva", FontStyleBoldItalic, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-BoldItalic.otf"},
    {"Fonts/N_10/Tolivai.ttf", "Toliva", FontStyleItalic, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Italic.otf"},
    {"Fonts/N_10/Toliva.ttf", "Toliva", FontStyleRegular, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Regular.otf"},
    {"Fonts/N_10/Tolivab.ttf", "Toliva", FontStyleBold, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Bold.otf"},
    {"Fonts/N_10/Tolivabi.ttf", "Toliva", FontStyleBoldItalic, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-BoldItalic.otf"},
    {"Fonts/N_15/Tolivai.ttf", "Toliva", FontStyleItalic, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Italic.otf"},
    {"Fonts/N_15/Toliva.ttf", "Toliva", FontStyleRegular, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Regular.otf"},
    {"Fonts/N_15/Tolivab.ttf", "Toliva", FontStyleBold, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-Bold.otf"},
    {"Fonts/N_15/Tolivabi.ttf", "Toliva", FontStyleBoldItalic, "fonts-stix", "/usr/share/fonts/opentype/stix/STIXGeneral-BoldItalic.otf"},
    {"Fonts/cmss.ttf", "CMU Sans Serif", FontStyleRegular, "fonts-cmu", "/usr/share/fonts/truetype/cmu/cmunss.ttf"},
    {"Fonts/cmtt.ttf", "CMU Typewriter Text", FontStyleRegular, "fonts-cmu", "/usr/share/fonts/truetype/cmu/cmuntt.ttf"},
};

// Installed families by the names the system knows. Liberation Serif has the
// metrics of "Times New Roman", so lengths tuned to it hold.
const FontMapRow kInstalledRows[] = {
    {"Times New Roman", "", FontStyleRegular, "fonts-liberation", "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf"},
    {"Times New Roman", "", FontStyleBold, "fonts-liberation", "/usr/share/fonts/truetype/liberation/LiberationSerif-Bold.ttf"},
    {"Times New Roman", "", FontStyleItalic, "fonts-liberation", "/usr/share/fonts/truetype/liberation/LiberationSerif-Italic.ttf"},
    {"Times New Roman", "", FontStyleBoldItalic, "fonts-liberation", "/usr/share/fonts/truetype/liberation/LiberationSerif-BoldItalic.ttf"},
    {"serif", "", FontStyleRegular, "fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"},
    {"serif", "", FontStyleBold, "fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"},
    {"Segoe UI", "", FontStyleRegular, "fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
    {"Segoe UI", "", FontStyleBold, "fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
    {"Tahoma", "", FontStyleRegular, "fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
    {"Tahoma", "", FontStyleBold, "fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
    {"Consolas", "", FontStyleRegular, "fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"},
    {"Consolas", "", FontStyleBold, "fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"},
    {"SimSun", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"宋体", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"NSimSun", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"新宋体", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"SimHei", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"黑体", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"Microsoft YaHei", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"微软雅黑", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"KaiTi", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"楷体", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"FangSong", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
    {"仿宋", "", FontStyleRegular, "fonts-wqy-microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"},
};
// clang-format on

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
