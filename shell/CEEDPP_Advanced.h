// Page 5 of the equation settings dialog: capture frames, recent books,
// export resolution, capture format, four option bits, the office add-in's
// "NoSpaceAfterInline" switch and the recognition settings button.
#pragma once

#include <QWidget>

namespace toliva {

class CEESettingDlg;

class CEEDPP_Advanced : public QWidget {
public:
    explicit CEEDPP_Advanced(CEESettingDlg* owner);
    ~CEEDPP_Advanced() override;

    bool OnInitDialog();
    // 1 store, 0 load; storing makes the Layout page reload its twins.
    void SyncOfficeOptions(int store);
    void Apply();
};

}  // namespace toliva
