// The update dialog: says whether a newer build exists, carries the switch
// for the automatic notice ("auto_chk_update") and opens the maker's web
// site. Its texts come from group "gDLG_1" of "LANG_07.xml".
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace toliva {

struct AppContext;
struct AppSettings;

class CDlgCheckUpdate : public QDialog {
public:
    // Control ids.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;
    static constexpr int kAutoCheck = 1434;
    static constexpr int kMessage = 1435;

    // app gives the language (its code for the texts, its number for the web
    // site); settings holds "auto_chk_update", which the check box changes at
    // once.
    CDlgCheckUpdate(const AppContext& app, AppSettings& settings, bool newer, QWidget* parent = nullptr);
    ~CDlgCheckUpdate() override;

    // The language file the texts come from.
    QString languageFile = QStringLiteral("LANG_07.xml");
    // Runs the prepared dialog in place of the modal loop (tests answer it);
    // returns IDOK or IDCANCEL. Empty: the modal loop.
    std::function<int(CDlgCheckUpdate&)> modalRunner;

    // Prepares the dialog, then runs it; IDOK or IDCANCEL.
    int DoModal();
    // The texts and the check box's state. Runs once; DoModal and showing
    // the dialog call it.
    void OnInitDialog();
    // The check box to the state (toDialog false) or the state to the check
    // box.
    void DoDataExchange(bool saveAndValidate);
    // The check box was clicked: its state becomes "auto_chk_update".
    void OnCheckAutoUpdate();
    // Opens the maker's web site, then closes with OK.
    void OnOK();

    bool newer() const { return m_bNewer; }
    int autoCheckState() const { return m_nAutoCheck; }
    QPushButton* button(int id) const;
    QLabel* messageLabel() const;
    QCheckBox* autoCheckBox() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    const AppContext& m_app;
    AppSettings& m_settings;
    bool m_bNewer = false;
    int m_nAutoCheck = 0;
    bool m_initialized = false;
};

}  // namespace toliva
