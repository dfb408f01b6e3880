// What the matrix dialog, its template window and the rule-line dialog
// decide without a window: the typed row and column counts, the names that
// fill new cells, the twelve symbolic templates, the remembered choices
// under "Software\Toliva\Dlgs\MAT_SET", the rule-line record packed and
// unpacked, and the geometry of the rule-line preview with its hit test.
#pragma once

#include <QLine>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace toliva {

// ---- rows and columns

inline constexpr int kMatrixCountMin = 1;
inline constexpr int kMatrixCountMax = 32;

// A typed count: the decimal number the text starts with, truncated, kept to
// 1 .. 32. Text that is no number reads as 0 and so gives 1; "3.9" gives 3,
// "40" gives 32.
int ParseMatrixCount(const QString& text);
// A count kept to 1 .. 32.
int ClampMatrixCount(int count);

// ---- names of the cells (two strings per cell: text, subscript)

// (name, "1") .. (name, "n").
QStringList VectorNames(const QString& name, int count);
// Both counts above 1: (name, "rc") row by row ("11", "12", ...); a single
// row or column: vector names of its length; 1 x 1: one vector name.
QStringList MatrixNames(const QString& name, int rows, int columns);

// One of the symbolic templates of the template window. An entry's text
// holds '?' for the entry name; the text "." with the subscript "-", "|" or
// "\" is an ellipsis; an empty entry leaves the cell empty.
struct MatrixTemplate {
    int number = 0;
    int rows = 0;
    int columns = 0;
    std::vector<std::array<QString, 2>> entries;  // (text, subscript), row by row
};
// The twelve templates, in the window's order (1 to 3, 11 to 13, 21 to 26).
const std::vector<MatrixTemplate>& MatrixTemplates();
// The template of a number; null for a number that names none.
const MatrixTemplate* FindMatrixTemplate(int number);
// text with every '?' replaced by the entry name.
QString ExpandTemplateText(const QString& text, const QString& name);
// The template's names for an entry name.
QStringList TemplateNames(const MatrixTemplate& matrixTemplate, const QString& name);

// ---- the remembered choices

inline const QString kMatrixDialogKey = QStringLiteral("Software\\Toliva\\Dlgs\\MAT_SET");

// The values the matrix dialog keeps. The stored names are crossed: "COLS"
// holds the number of rows and "ROWS" the number of columns, as the values
// already stored are.
struct MatrixDialogValues {
    int partition = 0;  // "PARTITION"
    int alignment = 1;  // "ALIGN"
    int rows = 3;       // "COLS"
    int columns = 3;    // "ROWS"
};
MatrixDialogValues LoadMatrixDialogValues();
void SaveMatrixDialogValues(const MatrixDialogValues& values);
// The rule-line dialog's style "CSLS" (0 when missing, kept to 0 .. 7).
int LoadRuleLineStyle();
void SaveRuleLineStyle(int style);

// ---- rule lines

// The matrix's 32-byte rule-line record: eight little-endian 32-bit planes;
// those at offsets 0, 8, 16, 24 hold bits 0 to 3 of the style code of each
// line between columns (bit k: line k), those at 4, 12, 20, 28 the same of
// each line between rows. Codes: 0 none, 1 dotted, 2 dash-dot, 3 dashed,
// 4 solid, 5 to 8 the same doubled.
using RuleLineRecord = std::array<uint8_t, 32>;

// At most 32 lines of each direction fit the record, so the dialog edits a
// matrix of 1 to 33 columns and 1 to 33 rows with more than one cell. A
// damaged matrix (no cells in a direction, or more lines than the record
// holds) is not edited.
inline constexpr int kRuleLinesMaxCount = 33;
bool CanEditRuleLines(int columns, int rows);

// The codes of the lines, the columns - 1 vertical lines first, then the
// rows - 1 horizontal lines. Empty when CanEditRuleLines is false.
std::vector<uint8_t> UnpackRuleLines(const RuleLineRecord& record, int columns, int rows);
// The record of the codes (in UnpackRuleLines' order; each code's low four
// bits); all zero when CanEditRuleLines is false or the count differs.
RuleLineRecord PackRuleLines(const std::vector<uint8_t>& codes, int columns, int rows);

// The grid of the preview: cell size, the grid's left, top, right and
// bottom, and the inset of the cells.
struct RulePreviewGeometry {
    int cell = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    int inset = 0;
};
RulePreviewGeometry RulePreviewGeometryOf(QSize preview, int columns, int rows);
// The grey square of a cell (column, row).
QRect RulePreviewCell(const RulePreviewGeometry& g, int column, int row);
// The bands a click on a line falls into, in the order of the codes.
std::vector<QRect> RulePreviewBands(const RulePreviewGeometry& g, int columns, int rows);
// Where line index (in the order of the codes) is drawn: a vertical line
// at its band's horizontal centre from the grid's top to its bottom, a
// horizontal one at its band's vertical centre from the grid's left to its
// right (both ends drawn).
QLine RulePreviewLine(const RulePreviewGeometry& g, int columns, int rows, int index);
// The lines a point hits: the first two bands holding it (a point where two
// gaps cross hits a vertical and a horizontal line).
std::vector<int> HitRuleLines(const std::vector<QRect>& bands, QPoint point);

// ---- the template window

// Where a window of size goes with its top-left corner at the point, shifted
// left and up as far as needed to lie within the area.
QPoint PlaceWithin(QPoint topLeft, QSize size, const QRect& area);

}  // namespace toliva
