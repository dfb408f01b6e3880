// The recognition settings: the general settings dialog over the "OCR" page
// set, filled from "Software\Toliva\OCR" and written back on OK. Its two link
// items open the recognition help document (item 5) and the web service's
// page about its programming interface (item 6).
#pragma once

#include "uikit/CDlgGU.h"

#include <functional>

namespace toliva {

class CRecognitionSettingsDlg : public CDlgGU {
public:
    // tempFolder: shown as the local folder while none is set.
    CRecognitionSettingsDlg(QWidget* owner, const QString& languageCode, const QString& tempFolder,
                            const QString& webServicePage);

    // Fills page 0, runs the dialog (through run when given: tests answer
    // it) and stores the values on OK; IDOK or IDCANCEL.
    int Run(const std::function<int(CDlgGU&)>& run = {});
    // The link items; 0.
    int OnPropertyItemClick(int item);

    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;

private:
    QString m_languageCode, m_tempFolder, m_webServicePage;
};

}  // namespace toliva
