// Page 0 of the equation settings dialog: the equation's fonts, sizes,
// spacing values and layout options in 15 sections. Every section but the
// fonts' is a picture ("GenDef/ES/ES<n>.apx") whose fields the section's
// edit boxes and buttons are laid over, so each number stands where it acts;
// the fonts' section shows a live preview of "Dat/KwFSData.dat".
#pragma once

#include <QWidget>

namespace toliva {

class CEESettingDlg;

class CEEDPP_Layout : public QWidget {
public:
    static constexpr int kSectionCount = 15;
    static constexpr int kFontSection = 1;

    explicit CEEDPP_Layout(CEESettingDlg* owner);
    ~CEEDPP_Layout() override;

    // Called by the settings dialog.
    bool OnInitDialog();
    // 1: the controls into the owner's working record; 0: the record into
    // the controls.
    void Exchange(int store);
    void ShowSection();
    void FillFontLists();
    // The twins of the Advanced page's office options (1 store, 0 load).
    void SyncOfficeOptions(int store);
    void RefreshSectionControls();

    // The section shown (0 .. 14).
    int m_nSection = 0;
};

}  // namespace toliva
