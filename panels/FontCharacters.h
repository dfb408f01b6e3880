// The font-character picker's work without widgets: which fonts it offers,
// which characters a font covers, how its grid scrolls, and the vector glyph
// made from one character.
//
// Font names: the program's own sets come first as "*Toliva + 00", "+ 05",
// "+ 10" and "+ 15"; a name beginning with '*' stands for the four files
// programFolder + "Fonts/N_" + its last two characters + "/Toliva*.ttf".
// Every other name is an installed family.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace toliva {

struct GlyphOutline;

namespace gp {
class FontFamily;
class PrivateFontCollection;
}  // namespace gp

// The four names of the program's own font sets, in order.
QStringList ProgramFontSetNames();
// The names the picker offers: the program's own sets, then the installed
// families in ascending order.
QStringList PickerFontNames();
bool IsProgramFontSetName(const QString& name);

// The family that draws a font name. For a program set the files are loaded
// into collection (which must outlive the family); when they cannot be
// loaded, the installed family "Toliva" of the font map stands in. Not
// available when the name is unknown.
gp::FontFamily PickerFontFamily(const QString& name, const QString& programFolder,
                                gp::PrivateFontCollection& collection);

// The characters the font covers in the style, codes 0 to 0xFFFE in
// ascending order; empty when the font is not available.
std::vector<uint16_t> ListFontCharacters(const QString& name, int style, const QString& programFolder);

// Makes glyph the outline of the character in the font and style: drawn at
// 100 px, centred horizontally in its measured box, the box centred on the
// origin; width = the measured width, ascent = descent = half the measured
// height; point types 0 start, 1 line, 3 Bezier, 0x80 closing. The other
// values of the record stay. False (glyph unchanged) when the font is not
// available or the code is 0.
bool BuildGlyphFromCharacter(GlyphOutline& glyph, const QString& name, int style, uint16_t code,
                             const QString& programFolder);

// The chosen index kept inside a list of count characters: 0 .. count - 1,
// and 0 for an empty list.
int ClampChosenIndex(int index, int count);

// The grid's rows: 12 characters a row, visibleRows shown at once; position
// is the first row shown.
struct CharacterScroll {
    static constexpr int kColumns = 12;
    int count = 0;        // characters in the list
    int visibleRows = 12;
    int position = 0;

    // ceil(count / 12).
    int rowCount() const;
    // The last position that still fills the page: rowCount - visibleRows, at least 0.
    int maxPosition() const;
    // Moves to (or by) rows, clamped to 0 .. maxPosition(); true when it changed.
    bool scrollTo(int row);
    bool scrollBy(int rows) { return scrollTo(position + rows); }
    // The list index shown in the cell (0-based) of the page; -1 past the end.
    int indexOfCell(int cell) const;
    // The cell (0-based) that shows the list index; -1 when off the page.
    int cellOfIndex(int index) const;
};

// Rows of the grid for the screen: 12 x dpiY / 96, but no more than fit in
// the work area's height beside the dialog's other parts (at least 1). At
// 96 dpi on any usual screen this is 12.
int PickerVisibleRows(int logicalDpiY, int cellSize, int workAreaHeight, int chromeHeight);

}  // namespace toliva
