#include "shell/SheetUserSymSheet.h"

#include "model/EqModel.h"
#include "sheet/CKwEESheet.h"

namespace toliva {

bool SheetUserSymSheet::layoutSettings(EqLayoutSettings& out) const {
    EqModel* eq = m_sheet.equation();
    if (!eq) return false;
    out.CopyFrom(eq->settings);
    return true;
}

PreviewNeighbour SheetUserSymSheet::caretElement() const {
    PreviewNeighbour caret, after;
    UserSymNeighboursOf(m_sheet.equation(), caret, after);
    return caret;
}

PreviewNeighbour SheetUserSymSheet::elementAfterCaret() const {
    PreviewNeighbour caret, after;
    UserSymNeighboursOf(m_sheet.equation(), caret, after);
    return after;
}

const RenderContext* SheetUserSymSheet::renderContext() const { return &m_sheet.renderContext(); }

}  // namespace toliva
