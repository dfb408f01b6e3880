// The one-line input: a modal dialog for one line of text (a name, a label,
// a password or a number). The caller fills in the title, the prompt, the
// text and the options, runs it and reads the text and the check box's state
// afterwards. With the apply button asked for and numeric mode 1, the button
// hands the typed number to the caller's apply callback (a live preview)
// while the dialog stays open.
//
// Controls: edit 1200, check box 1201, prompt 1202, OK 1, Cancel 2, apply
// 1299; the buttons' texts from "LANG_02.xml" group "gCS_1".
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace toliva {

class CDialogSetString : public QDialog {
public:
    enum ControlId { kOk = 1, kCancel = 2, kEdit = 1200, kCheck = 1201, kPrompt = 1202, kApply = 1299 };

    explicit CDialogSetString(const QString& languageCode, QWidget* parent = nullptr);
    ~CDialogSetString() override;

    // Set before the dialog runs, read back after it.
    QString m_strText;
    QString m_strTitle;
    QString m_strPrompt;
    bool m_bShowCheck = false;
    bool m_bChecked = false;
    QString m_strCheckCaption;
    int m_nNumericMode = 0;                   // 1: the apply button sends the number
    std::function<void(float)> m_applyValue;  // what receives it; none: the button does nothing
    bool m_bShowApply = false;
    bool m_bPassword = false;

    // Runs the dialog; IDOK or IDCANCEL.
    int DoModal();
    // Runs in place of the modal loop when set (tests answer the dialog).
    std::function<int(CDialogSetString&)> runModal;

    // Fills the controls from the fields (once).
    void OnInitDialog();
    // OK: the check box's state and the text into the fields, then closes.
    void OnOK();
    // The apply button: the text's number to the apply callback; the focus
    // goes back to the edit.
    void OnApplyValue();

    // The number a text starts with (as the C library reads it: "1.5cm"
    // gives 1.5); 0 for a text that starts with no number and for a number
    // that is not finite.
    static float LeadingNumber(const QString& text);

    QLineEdit* edit() const { return m_edit; }
    QCheckBox* checkBox() const { return m_check; }
    QLabel* promptLabel() const { return m_prompt; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* applyButton() const { return m_apply; }

    void accept() override;

private:
    QString m_languageCode;
    bool m_initialized = false;
    QLineEdit* m_edit;
    QCheckBox* m_check;
    QLabel* m_prompt;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_apply;
};

}  // namespace toliva
