// The find-and-replace dialog: modeless, owned by the editing sheet's window,
// created once and shown again on later find commands; closing and F3 only
// hide it. It finds a text among the character elements of the equation and
// replaces it (panels/EquationSearch.h), acting on the sheet through the
// FindReplaceTarget the shell hands it. A small bar of Greek letters ("tb_grkb",
// a CDlgToolbar) types into whichever of the two text fields has the focus.
//
// Controls: find field 1280, replace field 1284, style radio buttons 1259
// (upright), 1260 (italic), 1261 (bold), 1262 (bold italic), 1263 (keep the
// replaced characters' styles), buttons 1282 (find all), 1285 (replace),
// 1286 (next), 1287 (replace all), 2 (close), labels 1279 and 1283, group box
// 1264, and 1328, the place of the character bar. Texts: "LANG_09.xml",
// group "gCS_1"; messages group "gMSG_1".
#pragma once

#include "panels/PanelContext.h"
#include "uikit/WindowMessages.h"

#include <QDialog>
#include <QString>

#include <array>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace toliva {

class CDlgToolbar;
class FindReplaceTarget;

class CDlgFindReplace : public QDialog, public MessageTarget {
public:
    enum ControlId {
        kClose = 2,
        kStyleUpright = 1259,
        kStyleItalic = 1260,
        kStyleBold = 1261,
        kStyleBoldItalic = 1262,
        kStyleKeep = 1263,
        kStyleGroup = 1264,
        kFindLabel = 1279,
        kFindEdit = 1280,
        kFindAll = 1282,
        kReplaceLabel = 1283,
        kReplaceEdit = 1284,
        kReplace = 1285,
        kNext = 1286,
        kReplaceAll = 1287,
        kBarPlace = 1328,
    };

    // target: the sheet the dialog acts on (not owned; outlives the dialog).
    // context: the character bar's context and the texts' language.
    CDlgFindReplace(FindReplaceTarget& target, const PanelContext& context, QWidget* owner);
    ~CDlgFindReplace() override;

    // Replaces the find field's text; the focus goes to the replace field
    // when the text is not empty, else to the find field.
    void SetFindText(const QString& text);
    // The texts in a language ("en", "cn").
    void ApplyLanguage(const QString& languageCode);

    // 0 keeps the replaced characters' styles; 1-4 upright, italic, bold,
    // bold italic.
    int style() const { return m_nStyle; }
    void SetStyle(int style);

    void OnFindAll();
    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();

    // The character bar's clicks (WM_TOOLBAR_COMMAND): the command is a
    // character code typed over the selection of the focused field.
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;
    // The field that has the focus (null when neither has).
    QLineEdit* focusedField() const;

    QLineEdit* findEdit() const { return m_find; }
    QLineEdit* replaceEdit() const { return m_replace; }
    CDlgToolbar* characterBar() const { return m_bar; }
    QPushButton* button(int id) const;
    QRadioButton* styleButton(int style) const { return m_styles[size_t(style)]; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows a message of group "gMSG_1"; the focus then goes to field.
    void tell(int item, QLineEdit* field);

    FindReplaceTarget& m_target;
    QString m_languageCode;
    int m_nStyle = 0;
    CDlgToolbar* m_bar;
    QLineEdit* m_find;
    QLineEdit* m_replace;
    QLabel* m_findLabel;
    QLabel* m_replaceLabel;
    QGroupBox* m_styleGroup;
    QWidget* m_barPlace;
    std::array<QRadioButton*, 5> m_styles{};  // by style 0-4
    QPushButton* m_findAll;
    QPushButton* m_next;
    QPushButton* m_replaceButton;
    QPushButton* m_replaceAll;
    QPushButton* m_close;
};

}  // namespace toliva
