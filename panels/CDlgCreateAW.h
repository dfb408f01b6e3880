// The word entry: a modal dialog for one word with its font style: an
// automatic word of the editor settings (new or edited) or a styled name for
// the matrix dialog. Its character bar ("tb_grkb", ten by four) types Greek
// letters into the word, replacing the selection as an undoable edit.
//
// The caller presets the fields, runs the dialog and reads them back after
// OK. Mode 0 shows everything; above 0 the enable check box is hidden and
// the enabled field comes back as the caller set it; above 1 the dialog
// also opens at (x, y) on the screen. OK with an empty word is refused with
// "LANG_02.xml" "gMSG_2" item 2 and the word gets the focus again.
//
// Controls: edit 1256 (word), its label 1257, check box 1258 (enabled),
// radio buttons 1259 .. 1262 (regular, italic, bold, bold italic) in group
// box 1264, the bar's place 1328, OK 1, Cancel 2; texts from "LANG_02.xml"
// group "gCS_2".
#pragma once

#include "panels/PanelContext.h"
#include "uikit/WindowMessages.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace toliva {

class CDlgToolbar;

class CDlgCreateAW : public QDialog, public MessageTarget {
public:
    enum ControlId {
        kOk = 1, kCancel = 2, kWord = 1256, kWordLabel = 1257, kEnabled = 1258,
        kRegular = 1259, kItalic = 1260, kBold = 1261, kBoldItalic = 1262, kStyleGroup = 1264, kBarPlace = 1328,
    };

    // context: the language, the program folder the bar's pictures lie in,
    // the interface scale.
    explicit CDlgCreateAW(const PanelContext& context, QWidget* parent = nullptr);
    ~CDlgCreateAW() override;

    // Set before the dialog runs, read back after OK.
    int m_nMode = 0;
    int m_nX = 0, m_nY = 0;   // screen position, mode 2 and above
    uint8_t m_nStyle = 0;     // 0 regular, 1 italic, 2 bold, 3 bold italic
    QString m_strWord;
    int m_nEnabled = 1;       // 0/1

    // Runs the dialog; IDOK or IDCANCEL. The fields change only on OK.
    int DoModal();
    // Runs in place of the modal loop when set (tests and callers' tests
    // answer the dialog).
    std::function<int(CDlgCreateAW&)> runModal;

    // Fills the controls from the fields (once): texts, the style's radio
    // button, the mode; the whole word selected and focused.
    void OnInitDialog();
    // OK: a non-empty word closes the dialog with the fields set; an empty
    // one is refused with the message.
    void OnOK();
    // The character bar's clicks.
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;

    QLineEdit* wordEdit() const { return m_word; }
    QCheckBox* enabledCheck() const { return m_enabled; }
    QRadioButton* styleButton(int style) const { return m_styles[size_t(style & 3)]; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    CDlgToolbar* characterBar() const { return m_bar; }

    void accept() override;

    // The character bar of the entry dialogs: "tb_grkb" in a grid of ten
    // columns and four rows, owned by and posting to owner, shown.
    static CDlgToolbar* CreateCharacterBar(QObject* owner, const PanelContext& context, QWidget* parent);
    // The entry dialogs' bottom row: the enable box at the left, OK and
    // Cancel at the right.
    static QHBoxLayout* EntryButtonRow(QCheckBox* enabled, QPushButton* ok, QPushButton* cancel);

protected:
    bool event(QEvent* event) override;

private:
    PanelContext m_context;
    bool m_initialized = false;
    QLineEdit* m_word;
    QLabel* m_wordLabel;
    QCheckBox* m_enabled;
    QGroupBox* m_styleGroup;
    std::array<QRadioButton*, 4> m_styles{};
    QWidget* m_barPlace;
    CDlgToolbar* m_bar;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

}  // namespace toliva
