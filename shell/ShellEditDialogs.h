// The editing dialogs the program hands its sheet: the one-line input, the
// equation settings and the print dialog run here; the others still say
// they are not available yet.
#pragma once

#include "sheet/editing/EditDialogs.h"

#include <functional>

class QWidget;

namespace toliva {

class CDialogPrint;
class CDialogSetString;
class CEESettingDlg;
class CKwEESheet;
class CTolivaApp;

class ShellEditDialogs : public UnavailableEditDialogs {
public:
    ShellEditDialogs(CTolivaApp& app, CKwEESheet& sheet, QWidget* owner);

    // Runs the settings dialog on the sheet (restricted in office mode);
    // 1 on OK.
    int equationSettings(EqModel* eq, bool officeMode) override;
    void print(EqModel* eq) override;
    // The one-line input; its live preview sets the amount of the custom
    // space at the sheet's caret.
    bool askString(StringRequest& request) override;

    // Run the dialogs in place of their modal loops (tests answer them).
    std::function<int(CEESettingDlg&)> runSettings;
    std::function<int(CDialogPrint&)> runPrint;
    std::function<int(CDialogSetString&)> runString;

private:
    CTolivaApp& m_app;
    CKwEESheet& m_sheet;
    QWidget* m_owner;
};

}  // namespace toliva
