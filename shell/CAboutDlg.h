// The About box: the program's picture, version, copyright and a line on
// what it is, with links to the maker's contact address and web site. Its
// texts come from group "gCS_1" of "LANG_07.xml".
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace toliva {

struct AppContext;
class CKwEMF;

class CAboutDlg : public QDialog {
public:
    // Control ids.
    static constexpr int kOk = 1;
    static constexpr int kPicture = 1234;
    static constexpr int kVersionText = 1239;
    static constexpr int kDescription = 1240;
    static constexpr int kCopyright = 1243;
    static constexpr int kContactLink = 1248;
    static constexpr int kWebSiteLink = 1249;
    // The program's picture, beside the program.
    static constexpr const char* kPictureFile = "icons/Toliva.apx";

    // app gives the language (its code for the texts, its number for the
    // links).
    explicit CAboutDlg(const AppContext& app, QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // The language file the texts come from.
    QString languageFile = QStringLiteral("LANG_07.xml");
    // Runs the prepared dialog in place of the modal loop (tests answer it);
    // returns IDOK or IDCANCEL. Empty: the modal loop.
    std::function<int(CAboutDlg&)> modalRunner;

    // Prepares the dialog, then runs it; IDOK or IDCANCEL.
    int DoModal();
    // Sets the texts from the language file (an empty text leaves a control
    // as it was). Runs once; DoModal and showing the dialog call it.
    void OnInitDialog();
    void OnContactLink();
    void OnOpenWebSite();

    QPushButton* button(int id) const;
    QLabel* label(int id) const;
    // The program's picture has been read.
    bool hasPicture() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class Picture;

    const AppContext& m_app;
    bool m_initialized = false;
};

}  // namespace toliva
