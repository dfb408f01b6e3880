#include "panels/FontCharacters.h"

#include "model/GlyphOutline.h"
#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <QFontDatabase>

#include <algorithm>

namespace toliva {

namespace {

// The family of a program set: its four files, when they load.
gp::FontFamily ProgramSetFamily(const QString& name, const QString& programFolder,
                                gp::PrivateFontCollection& collection) {
    const QString folder = programFolder + QStringLiteral("Fonts/N_") + name.right(2) + QLatin1Char('/');
    static const char* const kFiles[] = {"Tolivai.ttf", "Toliva.ttf", "Tolivab.ttf", "Tolivabi.ttf"};
    for (const char* file : kFiles) collection.AddFontFile(folder + QString::fromLatin1(file));
    if (collection.GetFamilyCount() > 0) return collection.GetFamily(0);
    return gp::FontFamily(QStringLiteral("Toliva"));
}

}  // namespace

QStringList ProgramFontSetNames() {
    return {QStringLiteral("*Toliva + 00"), QStringLiteral("*Toliva + 05"), QStringLiteral("*Toliva + 10"),
            QStringLiteral("*Toliva + 15")};
}

bool IsProgramFontSetName(const QString& name) {
    return name.startsWith(QLatin1Char('*'));
}

QStringList PickerFontNames() {
    QStringList names = ProgramFontSetNames();
    if (!gp::FontEngineAvailable()) return names;
    QStringList installed = QFontDatabase::families();
    installed.removeDuplicates();
    std::sort(installed.begin(), installed.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    for (const QString& family : installed)
        if (!IsProgramFontSetName(family) && !QFontDatabase::isPrivateFamily(family)) names << family;
    return names;
}

gp::FontFamily PickerFontFamily(const QString& name, const QString& programFolder,
                                gp::PrivateFontCollection& collection) {
    if (name.isEmpty() || !gp::FontEngineAvailable()) return {};
    if (IsProgramFontSetName(name)) return ProgramSetFamily(name, programFolder, collection);
    return gp::FontFamily(name);
}

std::vector<uint16_t> ListFontCharacters(const QString& name, int style, const QString& programFolder) {
    std::vector<uint16_t> codes;
    gp::PrivateFontCollection collection;
    // The program sets all list the characters of the regular size folder.
    const QString listed = IsProgramFontSetName(name) ? QStringLiteral("*Toliva + 00") : name;
    const gp::FontFamily family = PickerFontFamily(listed, programFolder, collection);
    if (!family.IsAvailable()) return codes;
    const gp::FontFace* face = family.face(style & 3);
    if (!face) return codes;
    for (char32_t code = 0; code <= 0xFFFE; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF) continue;  // halves of pairs are no characters
        if (face->glyphFor(code) != 0) codes.push_back(uint16_t(code));
    }
    return codes;
}

bool BuildGlyphFromCharacter(GlyphOutline& glyph, const QString& name, int style, uint16_t code,
                             const QString& programFolder) {
    if (code == 0) return false;
    gp::PrivateFontCollection collection;
    const gp::FontFamily family = PickerFontFamily(name, programFolder, collection);
    if (!family.IsAvailable()) return false;
    constexpr float kEmSize = 100.0f;
    const gp::Font font(family, kEmSize, style & 3, gp::UnitPixel);
    if (!font.IsAvailable()) return false;
    gp::StringFormat format;
    format.SetAlignment(gp::StringAlignmentCenter);
    format.SetLineAlignment(gp::StringAlignmentNear);
    const QString text{QChar(char16_t(code))};
    gp::RecordingGraphics scratch;
    gp::RectF box;
    if (scratch.MeasureString(text, font, gp::RectF{}, format, &box) != gp::Ok) return false;
    if (!(box.width > 0) || !(box.height > 0)) return false;
    // The measured box is placed with its centre on the origin. (Measured
    // centred on a point, its own x is already -w / 2: the box is laid out
    // from its size alone, so that no alignment offset counts twice.)
    gp::GraphicsPath path;
    path.AddString(text, family, style & 3, kEmSize, gp::RectF{-box.width / 2, -box.height / 2, box.width, box.height},
                   format);
    SetGlyphFromPath(glyph, path);
    glyph.charCode = int16_t(code);
    glyph.m[0] = box.width;
    glyph.m[1] = box.height / 2;
    glyph.m[2] = box.height / 2;
    return true;
}

int ClampChosenIndex(int index, int count) {
    if (count <= 0) return 0;
    return std::clamp(index, 0, count - 1);
}

int CharacterScroll::rowCount() const {
    return count <= 0 ? 0 : (count + kColumns - 1) / kColumns;
}

int CharacterScroll::maxPosition() const {
    return std::max(0, rowCount() - visibleRows);
}

bool CharacterScroll::scrollTo(int row) {
    const int clamped = std::clamp(row, 0, maxPosition());
    if (clamped == position) return false;
    position = clamped;
    return true;
}

int CharacterScroll::indexOfCell(int cell) const {
    if (cell < 0 || cell >= kColumns * visibleRows) return -1;
    const long long index = (long long)position * kColumns + cell;
    return index < count ? int(index) : -1;
}

int CharacterScroll::cellOfIndex(int index) const {
    if (index < 0 || index >= count) return -1;
    const long long cell = (long long)index - (long long)position * kColumns;
    return cell >= 0 && cell < (long long)kColumns * visibleRows ? int(cell) : -1;
}

int PickerVisibleRows(int logicalDpiY, int cellSize, int workAreaHeight, int chromeHeight) {
    int rows = 12 * std::max(logicalDpiY, 1) / 96;
    if (cellSize > 0 && workAreaHeight > 0) {
        const int fit = (workAreaHeight - chromeHeight - 1) / cellSize;
        rows = std::min(rows, fit);
    }
    return std::max(rows, 1);
}

}  // namespace toliva
