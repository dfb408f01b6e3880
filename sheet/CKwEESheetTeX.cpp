// Enter: typed TeX, array cells and line breaks; the TeX prompt hooks.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/ElementWork.h"

namespace toliva {

void CKwEESheet::OnEnterKey(bool shift) {
    (void)shift;
    PushUndo(false);
    if (m_sel.exists()) DeleteSelection(m_eq, m_sel);
    if (!EnterInStructure(m_eq, m_sel)) BreakLine(m_eq, m_sel);
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

}  // namespace toliva

namespace toliva {

TypedCharacterHook CKwEESheet::characterHook() { return nullptr; }

}  // namespace toliva
