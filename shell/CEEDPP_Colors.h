// Page 1 of the equation settings dialog: 22 colour swatches drawn by the
// page, thirteen colours of the working style record and the first nine
// custom colours of the editing sheet's colour choice, and two check boxes.
#pragma once

#include <QWidget>

namespace toliva {

class CEESettingDlg;

class CEEDPP_Colors : public QWidget {
public:
    explicit CEEDPP_Colors(CEESettingDlg* owner);
    ~CEEDPP_Colors() override;

    bool OnInitDialog();

    // Bound to check box 1214 (integer 5 of the record) and 1212 (integer 0);
    // the dialog fills and reads them.
    int m_nCheck1214 = 0;
    int m_nCheck1212 = 0;
    // The check values into the boxes, and back.
    void PushChecks();
    void ReadChecks();
};

}  // namespace toliva
