// Page 4 of the equation settings dialog: the calculator of formula lines.
// Whether it runs, what triggers a result, the number format of results, a
// background colour for them, and the user constants it knows: a checked
// list of names and values with the shared list menu (new, delete, clear,
// default list, check all, uncheck all, import and export of ".acv" files).
// Everything waits for the dialog to apply it, but the colour, which is
// written when chosen.
#pragma once

#include "sheet/editing/WordLists.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace toliva {

class CDlgCreateConst;
class CEESettingDlg;
class SettingsListMenu;

class CEEDPP_AutoCal : public QWidget {
public:
    static constexpr int kCtrlId = 137;
    // Controls.
    static constexpr int kEnabled = 1209;           // calculator on (option bit 0x2000)
    static constexpr int kResultBack = 1399;        // results on a background colour (0x4000)
    static constexpr int kBackOnlyEditing = 1400;   // ... only while editing (0x8000)
    static constexpr int kSwatch = 1401;            // the background colour
    static constexpr int kList = 1215;
    static constexpr int kNumberFormat = 1222;      // option byte 6 of the style
    static constexpr int kTrigger = 1223;           // the result echo type
    static constexpr int kListMenu = 1430;
    static constexpr int kNumberFormatLabel = 1233, kTriggerLabel = 1230, kListGroup = 1229;
    // The custom colours of the colour dialog.
    static constexpr int kColourGroup = 8;
    static constexpr int kNumberFormatCount = 13;

    explicit CEEDPP_AutoCal(CEESettingDlg* owner);
    ~CEEDPP_AutoCal() override;

    bool OnInitDialog();
    // apply: the page's values into the settings and the sheet's constant
    // list; else the settings into the page. Nothing without a sheet.
    void TransferSettings(bool apply);
    // The dialog's hooks.
    void Store() { TransferSettings(true); }
    void Load() { TransferSettings(false); }

    // The rows from top to bottom, each put at the front of list (so list
    // ends bottom row first); rows without a name are left out.
    void CollectList(std::vector<UserConstant>& list) const;
    // Empties the rows, then puts each record of list at the top.
    void FillList(const std::vector<UserConstant>& list);
    // The first row named name exactly, or -1.
    int FindRow(const QString& name) const;
    void AddConstant(const QString& name, double value, bool enabled);
    // The value's text in a row: "%.20f".
    static QString ValueText(double value);

    // The list menu at a screen point; overListOnly: only when the point lies
    // over the list (a right-button press).
    void ShowListMenu(QPoint screenPoint, bool overListOnly);
    // Item 1 to 8 of the list menu.
    void RunMenuCommand(int item);
    // A double click on row i: edits its constant.
    void OnEditRow(int row);
    // The left button at a page point: the swatch opens the colour dialog.
    void OnLButtonDown(QPoint point);
    void OnResultBackClicked();

    // The ".acv" file dialog (LID_6). True on OK with path set.
    static bool AskConstantFilePath(const QString& defaultName, QWidget* owner, QString& path, bool save,
                                    const QString& defaultExtension);

    // Runs the constant entry dialog; empty: its own DoModal. Tests answer it.
    std::function<int(CDlgCreateConst&)> runConstantDialog;

    QCheckBox* checkBox(int id) const;
    QComboBox* comboBox(int id) const;
    QTreeWidget* list() const { return m_list; }
    // The swatch in page coordinates.
    QRect swatchRect() const;
    int rowCount() const;
    // Row i's record as shown: name, value, check.
    UserConstant row(int i) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void setRow(QTreeWidgetItem* item, const UserConstant& c);
    // The constant dialog with the fields preset; true on OK.
    bool runEntryDialog(UserConstant& c);
    void refuseDuplicate();
    void deleteSelected();
    void defaultList();
    void setAllChecks(bool checked);
    void importFile();
    void exportFile();

    CEESettingDlg* m_owner;
    QTreeWidget* m_list = nullptr;
    SettingsListMenu* m_menu = nullptr;
};

}  // namespace toliva
