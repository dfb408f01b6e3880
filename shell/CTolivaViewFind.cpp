#include "panels/CDlgFindReplace.h"
#include "panels/CDlgUserSymPanel.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"
#include "shell/SheetFindTarget.h"
#include "sheet/CKwEESheet.h"

#include <QLineEdit>

namespace toliva {

bool CTolivaView::ShowFindDialog(const QString& findText) {
    if (!m_sheet) return false;
    // Created once with the sheet's window as owner, kept until the view goes.
    if (!m_pFindDialog) {
        if (!m_findTarget) m_findTarget = std::make_unique<SheetFindTarget>(*m_sheet);
        PanelContext context = m_panelContext ? *m_panelContext : PanelContext{};
        context.languageCode = m_app.context().languageCode();
        if (context.programFolder.isEmpty()) context.programFolder = m_app.m_strProgramFolder;
        m_pFindDialog = new CDlgFindReplace(*m_findTarget, context, m_sheet);
    }
    // Without a selected text the box keeps the last search.
    if (!findText.isEmpty()) m_pFindDialog->SetFindText(findText);
    else m_pFindDialog->findEdit()->setFocus();
    m_pFindDialog->show();
    m_pFindDialog->raise();
    m_pFindDialog->activateWindow();
    return true;
}

void CTolivaView::ApplyLanguage() {
    if (m_pFindDialog) m_pFindDialog->ApplyLanguage(m_app.context().languageCode());
    if (m_pUserSymPanel) m_pUserSymPanel->ApplyLanguage(m_app.context().languageCode());
}

}  // namespace toliva
