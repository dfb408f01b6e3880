// The editing sheet as the find-and-replace dialog acts on it: caret moves,
// undo snapshots, the selection, the found-pattern length and refreshes.
#pragma once

#include "panels/EquationSearch.h"

namespace toliva {

class CKwEESheet;

class SheetFindTarget : public FindReplaceTarget {
public:
    explicit SheetFindTarget(CKwEESheet& sheet) : m_sheet(sheet) {}

    EqModel* equation() override;
    void moveCaret(EqElement* e) override;
    void showFoundCaret(EqElement* e) override;
    void pushUndo() override;
    void clearSelection() override;
    void setFoundPatternLength(int n) override;
    void refresh() override;

private:
    CKwEESheet& m_sheet;
};

}  // namespace toliva
