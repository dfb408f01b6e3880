// The constant entry: a modal dialog for one named number, a user constant
// of the calculation settings (new or edited). Its character bar ("tb_grkb")
// types Greek letters into the name, replacing the selection as an undoable
// edit.
//
// The caller presets the fields, runs the dialog and reads them back after
// OK. OK is refused, the dialog staying open with the offending field
// focused and its text selected, when the value is not a number (the
// "LANG_02.xml" group "gDDX" item 1, the message a number field gives) or
// when the name does not start with a letter (IsConstantNameAccepted;
// "gMSG_1" item 2). Duplicate names are the caller's to check.
//
// Controls: edit 1251 (name), edit 1252 (value), labels 1253 and 1254,
// check box 1255 (enabled), the bar's place 1328, OK 1, Cancel 2; texts from
// "LANG_02.xml" group "gCS_1".
#pragma once

#include "panels/PanelContext.h"
#include "uikit/WindowMessages.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace toliva {

class CDlgToolbar;

class CDlgCreateConst : public QDialog, public MessageTarget {
public:
    enum ControlId {
        kOk = 1, kCancel = 2, kName = 1251, kValue = 1252, kNameLabel = 1253, kValueLabel = 1254, kEnabled = 1255,
        kBarPlace = 1328,
    };

    explicit CDlgCreateConst(const PanelContext& context, QWidget* parent = nullptr);
    ~CDlgCreateConst() override;

    // Set before the dialog runs, read back after OK.
    QString m_strName;
    double m_dValue = 0.0;
    int m_nEnabled = 1;  // 0/1

    // Runs the dialog; IDOK or IDCANCEL. The fields change only on OK.
    int DoModal();
    std::function<int(CDlgCreateConst&)> runModal;

    // Fills the controls from the fields (once).
    void OnInitDialog();
    // OK: the checks above; closes with the fields set when both pass.
    void OnOK();
    // The character bar's clicks: into the name field.
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;

    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* valueEdit() const { return m_value; }
    QCheckBox* enabledCheck() const { return m_enabled; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    CDlgToolbar* characterBar() const { return m_bar; }

protected:
    bool event(QEvent* event) override;

private:
    PanelContext m_context;
    bool m_initialized = false;
    QLineEdit* m_name;
    QLineEdit* m_value;
    QLabel* m_nameLabel;
    QLabel* m_valueLabel;
    QCheckBox* m_enabled;
    QWidget* m_barPlace;
    CDlgToolbar* m_bar;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

}  // namespace toliva
