// Templates and matrices at the caret: the compound templates (kind 15), the
// matrix and array templates (kind 5), rows and columns of the matrix around
// the caret, its rule lines, its transposition and filling its cells. Each
// change is one undo step; a dialog that is cancelled leaves none.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "sheet/editing/MatrixOps.h"
#include "sheet/editing/Templates.h"

namespace toliva {

void CKwEESheet::InsertTemplate(int number) {
    if (!m_eq || !IsTemplateNumber(number)) return;
    PushUndo(SelectionScope() == 2);
    toliva::InsertTemplate(m_eq, m_sel, number, [this](const InsertionKey& key) { return insertAtCaret(key); });
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

void CKwEESheet::InsertMatrixTemplate(int number) {
    if (!m_eq || !MatrixTemplatePlanOf(number, nullptr)) return;
    // The snapshot is taken once the dialog (if any) has been answered:
    // Cancel leaves no undo step. The dialog changes nothing on its own.
    const KeyInserter insert = [this, first = true](const InsertionKey& key) mutable {
        if (first) {
            PushUndo(SelectionScope() == 2);
            first = false;
        }
        return insertAtCaret(key);
    };
    if (toliva::InsertMatrixTemplate(m_eq, number, editDialogs(), insert) != TemplateResult::Inserted) return;
    m_pressCaret = nullptr;
    m_host->UpdateAlignButtons();
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

void CKwEESheet::MatrixLinesAtCaret(bool refresh) {
    if (!m_eq) return;
    EqElement* matrix = MatrixAroundCaret(m_eq);
    MatrixLinesRequest request;
    if (!MatrixLinesRequestOf(matrix, &request) || !editDialogs().editMatrixLines(request)) return;
    PushUndo(true);
    SetMatrixRules(matrix, request.rules);
    InvalidateLineCache(m_eq, matrix);
    m_eq->needsLayout = 1;
    if (refresh) Refresh(0);
    DropUnchangedUndo();
}

bool CKwEESheet::TransposeMatrixAtCaret() {
    if (!m_eq) return false;
    EqElement* matrix = MatrixAroundCaret(m_eq);
    if (!CanTransposeMatrix(matrix)) return false;
    PushUndo(true);
    TransposeMatrix(matrix);
    Refresh(0);
    EnsureCaretVisible();
    return true;
}

void CKwEESheet::FillMatrixAtCaret(const QStringList& cells, int characterType) {
    if (!m_eq) return;
    EqElement* matrix = MatrixAroundCaret(m_eq);
    if (!matrix || !inRange(matrix->type, EqTypeMatrixRow, EqTypeMatrix)) return;
    // Nothing to type: no undo step.
    bool anyText = false;
    for (qsizetype i = 0; i < cells.size() && size_t(i / 2) < matrix->children.size(); i += 2)
        anyText = anyText || !cells[i].isEmpty();
    if (!anyText) return;
    ClearSelection(false);
    PushUndo(true);
    FillMatrixCells(m_eq, matrix, cells, characterType, [this](const InsertionKey& key) { return insertAtCaret(key); });
    m_pressCaret = nullptr;
    m_host->UpdateAlignButtons();
    Refresh(0);
    EnsureCaretVisible();
}

bool CKwEESheet::AddMatrixLine(int direction) {
    return changeMatrixLines(direction, true);
}

bool CKwEESheet::RemoveMatrixLine(int direction) {
    return changeMatrixLines(direction, false);
}

bool CKwEESheet::changeMatrixLines(int direction, bool add) {
    if (!m_eq || !GetEquationCaret(m_eq)) return false;
    // A refused change takes no snapshot: a line snapshot would stay as an
    // empty undo step and the redo steps would be lost.
    if (CheckMatrixLine(m_eq, direction, add) != MatrixLineResult::Done) return false;
    PushUndo(true);
    const MatrixLineResult result =
        add ? toliva::AddMatrixLine(m_eq, m_sel, direction) : toliva::RemoveMatrixLine(m_eq, m_sel, direction);
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
    return result == MatrixLineResult::Done;
}

}  // namespace toliva
