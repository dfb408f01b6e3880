// Page 5 of the equation settings dialog: the notes kept, recent books,
// export resolution, capture format, four option bits, the office add-in's
// "NoSpaceAfterInline" switch and the recognition settings button.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace toliva {

class CEESettingDlg;

class CEEDPP_Advanced : public QWidget {
public:
    static constexpr int kCtrlId = 131;
    // Edits, combo box, check boxes and the button.
    static constexpr int kFrames = 1316;
    static constexpr int kRecentBooks = 1326;
    static constexpr int kResolution = 1337;
    static constexpr int kCaptureFormat = 1287;
    static constexpr int kNoSpaceAfterInline = 1417;
    static constexpr int kHalfHeightBaseline = 1419;
    static constexpr int kSingleClickTiles = 1420;
    static constexpr int kFileIntoNotes = 1421;
    static constexpr int kDocFontSize = 1422;
    static constexpr int kRecognitionSettings = 1440;
    // What Apply keeps the values to: the ranges the settings load clamps
    // to, and a resolution of at least one dot per inch.
    static constexpr int kMinFrames = 2, kMaxFrames = 100;
    static constexpr int kMinRecentBooks = 5, kMaxRecentBooks = 100;
    static constexpr int kMinResolution = 1;

    explicit CEEDPP_Advanced(CEESettingDlg* owner);
    ~CEEDPP_Advanced() override;

    bool OnInitDialog();
    // 1 store, 0 load; storing makes the Layout page reload its twins.
    void SyncOfficeOptions(int store);
    void Apply();
    // Check boxes 1417, 1419 and 1422: stored at once.
    void OnOfficeOption();
    void OnRecognitionSettings();

    int m_nFrames = 0;
    int m_nRecentBooks = 20;
    int m_nResolution = 0;

    QCheckBox* checkBox(int id) const;
    QLineEdit* edit(int id) const;
    QComboBox* captureFormatBox() const;

private:
    CEESettingDlg* m_owner;
};

}  // namespace toliva
