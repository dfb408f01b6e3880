// What the user symbol editor reads of the editing sheet: the equation's
// layout settings, the caret's neighbours and the sheet's render context.
#pragma once

#include "panels/UserSymEditModel.h"

namespace toliva {

class CKwEESheet;

class SheetUserSymSheet : public UserSymSheet {
public:
    explicit SheetUserSymSheet(CKwEESheet& sheet) : m_sheet(sheet) {}
    bool layoutSettings(EqLayoutSettings& out) const override;
    PreviewNeighbour caretElement() const override;
    PreviewNeighbour elementAfterCaret() const override;
    const RenderContext* renderContext() const override;

private:
    CKwEESheet& m_sheet;
};

}  // namespace toliva
