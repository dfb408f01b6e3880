#include "shell/CDlgWritingPad.h"
#include "shell/CRecognitionSettingsDlg.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"
#include "shell/recognition/RecognitionClient.h"

namespace toliva {

bool CTolivaView::ShowWritingPad() {
    if (!m_sheet) return false;
    // Created once, kept until the view goes.
    if (!m_pWritingPad) {
        m_pWritingPad = new CDlgWritingPad(*m_sheet, this);
        // The pad's settings button opens the recognition settings.
        m_pWritingPad->showRecognitionSettings = [this] { ShowRecognitionSettings(m_pWritingPad); };
    }
    m_pWritingPad->show();
    m_pWritingPad->raise();
    m_pWritingPad->activateWindow();
    return true;
}

bool CTolivaView::ShowRecognitionSettings(QWidget* owner) {
    CRecognitionSettingsDlg dialog(owner ? owner : this, m_app.context().languageCode(), m_app.m_strTempFolder,
                                   RecognitionEndpoints{}.webServicePage);
    dialog.Run(runSettingsDialog);
    return true;
}

}  // namespace toliva
