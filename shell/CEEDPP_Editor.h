// Page 2 of the equation settings dialog: how typing is formatted. Three
// option bytes of the editing sheet's automatic formatting (digits,
// punctuation and brackets, CJK characters set upright), five bits of the
// option word, and the automatic words: words the sheet sets in their own
// font style as soon as they are typed. The word list is sorted by its text,
// each row drawn in the font of its word's style; its menu (button 1430 or a
// right click over the list) adds, deletes, clears, resets to the 37
// built-in words, checks and unchecks rows and exchanges ".aad" files.
//
// The options and rows stay on the page until the dialog applies it. Import
// is the exception: it replaces the sheet's options and words at once (only
// when the whole file reads), and export writes the sheet's options and
// words as last applied or imported, not the page's unapplied rows.
#pragma once

#include "sheet/editing/WordLists.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QListWidget;
class QListWidgetItem;

namespace toliva {

class CDlgCreateAW;
class CEESettingDlg;
class CKwEESheet;
class SettingsListMenu;

// The font a row of the word list is drawn in: 9 points (8 before Windows 6)
// in the interface face, black weight for the bold styles (2, 3), italic for
// 1 and 3; a style byte above 3 is drawn regular.
QFont AutoWordRowFont(int style, unsigned windowsMajorVersion);

class CEEDPP_Editor : public QWidget {
public:
    static constexpr int kCtrlId = 138;
    // Controls.
    static constexpr int kList = 1213;
    static constexpr int kDigitsUpright = 1214;       // sheet option 1
    static constexpr int kPunctuationUpright = 1215;  // sheet option 2
    static constexpr int kCjkUpright = 1217;          // sheet option 3
    static constexpr int kDottedSeparators = 1212;    // 0x100
    static constexpr int kSpaceMarks = 1216;          // 0x200
    static constexpr int kAutoBrackets = 1219;        // 0x1000
    static constexpr int kUprightInSubscripts = 1220; // 0x80000
    static constexpr int kUprightInScripts = 1221;    // 0x400000
    static constexpr int kUprightGroup = 1232;
    static constexpr int kMenuButton = 1430;

    explicit CEEDPP_Editor(CEESettingDlg* owner);
    ~CEEDPP_Editor() override;

    bool OnInitDialog();
    // false: the check boxes from the sheet's options and the option word;
    // true: back into them, and the rows become the sheet's word list. Does
    // nothing without an editing sheet.
    void TransferSettings(bool apply);
    // The dialog's apply and reload (a theme loaded or reset): a reload sets
    // the boxes again and keeps the rows, which no theme holds.
    void Store() { TransferSettings(true); }
    void Load() { TransferSettings(false); }
    // The rows from the sheet's list: each word followed by three spaces.
    void FillList();
    // Whether a row other than skipRow (-1: none) holds exactly this word.
    bool HasDuplicateWord(const QString& word, int skipRow) const;
    // The list menu at a screen point; with onlyOverList it opens only when
    // the point lies over the list.
    void ShowListMenu(bool onlyOverList, QPoint screenPoint);
    void RunMenuCommand(int item);
    // Runs the word dialog on a row (a double click).
    void EditRow(int row);
    // The ".aad" file dialog (last folder 6); on OK path holds the file.
    bool AskAutoWordFilePath(bool save, QString& path);

    // Runs in place of the word dialog's own loop (tests answer it).
    std::function<int(CDlgCreateAW&)> runWordDialog;

    // What tests read: the rows in display order.
    struct Row {
        QString text;
        AutoWord record;  // enabled: the record's flag
        bool checked = false;
    };
    std::vector<Row> rows() const;
    QListWidget* list() const { return m_list; }
    QCheckBox* checkBox(int id) const;

private:
    CKwEESheet* sheet() const;
    // Adds a row (sorted into place) owning a copy of the record.
    QListWidgetItem* AddRow(const QString& text, const AutoWord& record);
    // The word dialog on the fields; true on OK with a non-empty word.
    bool RunWordDialog(AutoWord& record, int mode);
    void ImportFile();
    void ExportFile();
    void showDuplicate();

    CEESettingDlg* m_owner;
    QListWidget* m_list = nullptr;
    SettingsListMenu* m_menu = nullptr;
};

}  // namespace toliva
