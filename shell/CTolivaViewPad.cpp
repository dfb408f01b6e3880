#include "shell/CDlgWritingPad.h"
#include "shell/CTolivaView.h"

namespace toliva {

bool CTolivaView::ShowWritingPad() {
    if (!m_sheet) return false;
    // Created once, kept until the view goes.
    if (!m_pWritingPad) m_pWritingPad = new CDlgWritingPad(*m_sheet, this);
    m_pWritingPad->show();
    m_pWritingPad->raise();
    m_pWritingPad->activateWindow();
    return true;
}

}  // namespace toliva
