// Matrices as the editing sheet makes and changes them: the structure a
// matrix dialog's choice gives, the matrix and array templates of the symbol
// bars, filling cells with named entries, rule lines and transposition. No
// undo here: the sheet takes its snapshot around each of these.
#pragma once

#include "sheet/editing/EditDialogs.h"
#include "sheet/editing/EditOps.h"

#include <QStringList>

#include <cstdint>

namespace toliva {

class EqModel;
struct EqElement;

// The matrix the caret stands at: the caret element when it is a matrix
// (369 to 372), else the nearest matrix whose cell holds the caret's chain.
// A caret in a calculation result counts as standing at the result. Null
// when there is none.
EqElement* MatrixAroundCaret(EqModel* eq);

// ---- structures from the matrix dialog

// The code of an entry of the dialog's line spacing list (entry 2, the
// dialog's default, is normal spacing); an unknown entry gives normal.
int LineSpacingCode(int entry);

// A matrix structure: its type, its flag word (the element's character:
// alignment in bits 0-3, 0x10 script size, the line spacing code in bits
// 8-11) and its counts (369: columns; 370, 372: rows; 371: rows, columns).
struct MatrixRecord {
    int32_t type = 0;  // 0: nothing to insert
    uint16_t flags = 0;
    uint8_t count1 = 0;
    uint8_t count2 = 0;
};
// Counts are kept to 1 .. kMaxMatrixDialogCount.
constexpr int kMaxMatrixDialogCount = 32;

// What a choice of the matrix dialog gives in a mode: mode 0 a matrix (371)
// when both counts exceed 1, a row (369) or column (370) when only one does,
// nothing for 1 x 1; mode 1 a row of the columns; mode 2 a column of the
// rows.
MatrixRecord MatrixRecordOf(int mode, const MatrixChoice& choice);
// The same as a case list (372) of the chosen rows.
MatrixRecord CasesRecordOf(const MatrixChoice& choice);
// The insertion key of a record.
InsertionKey KeyOfRecord(const MatrixRecord& record);

// ---- templates (symbol key kind 5)

// What a matrix template number inserts: a bracket first (its type, or 0),
// then either a fixed record or the record the matrix dialog gives for a
// request.
struct MatrixTemplatePlan {
    int32_t bracket = 0;
    bool asksDialog = false;
    MatrixRequest request;
    bool cases = false;  // the dialog's rows become a case list
    MatrixRecord record;
};
// False for a number that names no template.
bool MatrixTemplatePlanOf(int number, MatrixTemplatePlan* plan);

enum class TemplateResult { Inserted, Cancelled, Unknown };
// Inserts matrix template number at the caret through insert (a selection
// goes into the first structure inserted). The matrix dialog is asked before
// anything is inserted: Cancel, or a 1 x 1 matrix, inserts nothing. With
// partition chosen the rule-line dialog runs on the new matrix; with names
// the cells are filled.
TemplateResult InsertMatrixTemplate(EqModel* eq, int number, EditDialogService& dialogs, const KeyInserter& insert);

// ---- cells, rules, transposition

// The typing type of a name dialog's entry style: 1 italic, 2 bold, 3 bold
// italic, anything else upright.
int32_t EntryStyleType(int entryStyle);

// Fills the cells of a matrix (369 to 371) from names, two strings per cell
// (text, subscript), in cell order. A cell whose text is empty is left as it
// is. Else the caret goes to the end of the cell and the text "." with the
// subscript "-", "|", "\" or "/" inserts the ellipsis operator 1106, 1107,
// 1108 or 1109; any other text is typed in the entry style's type and a
// subscript that is not empty follows as a subscript (174) typed italic.
// Returns the number of cells filled.
int FillMatrixCells(EqModel* eq, EqElement* matrix, const QStringList& names, int entryStyle,
                    const KeyInserter& insert);

// The rule-line request of a matrix: false for a matrix that takes no rule
// lines (not 369 to 371, or rows + columns not above 2).
bool MatrixLinesRequestOf(const EqElement* matrix, MatrixLinesRequest* request);
// Runs the rule-line dialog on the matrix and stores its record on OK.
// False when the matrix takes no lines or the dialog was cancelled.
bool EditMatrixRules(EqElement* matrix, EditDialogService& dialogs);

// True for a matrix TransposeMatrix changes: 369 to 371 with rows + columns
// above 2 whose cells fill rows x columns.
bool CanTransposeMatrix(const EqElement* matrix);
// Rows become columns: cell (r, c) moves to place c x rows + r, a matrix
// swaps its counts, a row becomes a column and a column a row, the rule
// lines between columns and those between rows change places, and a cell
// holding only an ellipsis operator 1106 (across) or 1107 (down) gets the
// other one. False, with nothing changed, when CanTransposeMatrix is false.
bool TransposeMatrix(EqElement* matrix);

}  // namespace toliva
