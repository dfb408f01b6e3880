#include "shell/SheetFindTarget.h"

#include "model/EqModel.h"
#include "sheet/CKwEESheet.h"

namespace toliva {

EqModel* SheetFindTarget::equation() { return m_sheet.equation(); }

void SheetFindTarget::moveCaret(EqElement* e) {
    if (!m_sheet.equation()) return;
    SetEquationCaret(m_sheet.equation(), e);
    m_sheet.host().UpdateAlignButtons();
}

void SheetFindTarget::showFoundCaret(EqElement* e) {
    // The caret stop, the alignment buttons and the scroll into view.
    m_sheet.SetCaretElement(e);
    m_sheet.selection().anchor = nullptr;
    m_sheet.EnsureCaretVisible();
    m_sheet.UpdateTeXPrompt();
}

void SheetFindTarget::pushUndo() { m_sheet.PushUndo(false); }

void SheetFindTarget::clearSelection() {
    if (m_sheet.selection().exists()) m_sheet.ClearSelection(false);
    // The anchor and the hit boxes name elements that a replacement deletes.
    m_sheet.selection().forgetElements();
}

void SheetFindTarget::setFoundPatternLength(int n) { m_sheet.selection().foundPatternLength = n; }

void SheetFindTarget::refresh() { m_sheet.Refresh(0); }

}  // namespace toliva
