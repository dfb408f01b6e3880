#include "shell/CDlgCheckUpdate.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"

namespace toliva {

void CTolivaView::ScheduleUpdateCheck() {
    const UpdateCheckConfig& config = m_app.updateCheck;
    if (!UpdateCheckDue(ReadLastUpdateCheckDay(), DayNumber(config.currentDate()))) return;
    m_updateChecker.start(config, true, this, [this](const UpdateCheckResult& result) { finishUpdateCheck(result); });
}

bool CTolivaView::CheckForUpdate() {
    // A check already running answers as this one would.
    m_updateChecker.start(m_app.updateCheck, false, this,
                          [this](const UpdateCheckResult& result) { finishUpdateCheck(result); });
    return true;
}

void CTolivaView::CancelUpdateCheck() { m_updateChecker.cancel(); }

void CTolivaView::finishUpdateCheck(const UpdateCheckResult& result) {
    // A failed transfer stores nothing, so the next start tries again; a
    // reply of the right size stores the day even when it names no build.
    if (result.transferred && result.meaning.answered) {
        WriteLastUpdateCheckDay(DayNumber(m_app.updateCheck.currentDate()));
        if (result.meaning.newer) m_bUpdateNewer = *result.meaning.newer;
    }
    if (!result.automatic || (m_bUpdateNewer && m_app.settings().autoCheckUpdate)) ShowUpdateDialog();
}

void CTolivaView::ShowUpdateDialog() {
    // No owner: the dialog is application-modal and does not go with a
    // window that closes while it is open.
    CDlgCheckUpdate dialog(m_app.context(), m_app.settings(), m_bUpdateNewer, nullptr);
    dialog.modalRunner = m_app.runUpdateDialog;
    dialog.DoModal();
}

}  // namespace toliva
