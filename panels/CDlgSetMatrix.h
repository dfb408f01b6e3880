// The matrix dialog: asks the shape of a matrix, a row or column vector or
// a case list before the sheet inserts it: rows and columns (typed, each
// kept to 1 .. 32), the alignment of the cells, the line spacing, script
// size and whether the rule-line dialog follows. "Create and auto-fill"
// names every cell from one entry name (a11, a12, ...); "Create From
// Template" opens the template window of symbolic vectors and matrices. The
// dialog only collects the choices; the caller builds the element.
//
// The partition, the alignment and the counts are kept under
// "Software\Toliva\Dlgs\MAT_SET" (read when the dialog is made, written when
// it goes, whatever the answer); the row count is stored as "COLS" and the
// column count as "ROWS".
//
// Controls: Create 1, Cancel 2, "Create and auto-fill" 1074, "Create From
// Template" 1075, rows edit 1089 with its arrows 1091, columns edit 1090
// with its arrows 1092, alignment radio buttons 1093 (left), 1094 (centre),
// 1095 (right), 1096 (at "="), 1097 (at "."), labels 1237 (rows), 1238
// (columns), 1239 (the sign between them), 1364 (line spacing), group boxes
// 1235 and 1240, the line spacing list 1286, check boxes 1319 (partition)
// and 1325 (script size). Texts from "LANG_06.xml" group "gCS_1", the line
// spacing entries from group "gLSL_1".
#pragma once

#include "panels/PanelContext.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace toliva {

class CDlgMatVecTemp;

class CDlgSetMatrix : public QDialog {
public:
    enum ControlId {
        kCreate = 1,
        kCancel = 2,
        kAutoFill = 1074,
        kFromTemplate = 1075,
        kRowsEdit = 1089,
        kColumnsEdit = 1090,
        kRowsSpin = 1091,
        kColumnsSpin = 1092,
        kAlignLeft = 1093,
        kAlignCentre = 1094,
        kAlignRight = 1095,
        kAlignAtEquals = 1096,
        kAlignAtPoint = 1097,
        kAlignGroup = 1235,
        kRowsLabel = 1237,
        kColumnsLabel = 1238,
        kTimesLabel = 1239,
        kOptionsGroup = 1240,
        kLineSpacingList = 1286,
        kPartition = 1319,
        kScriptSize = 1325,
        kLineSpacingLabel = 1364,
    };

    // Reads the remembered choices; makes the template window (hidden).
    explicit CDlgSetMatrix(const PanelContext& context, QWidget* parent = nullptr);
    // Writes the remembered choices.
    ~CDlgSetMatrix() override;

    // The caller's list that receives the entries' (text, subscript) pairs;
    // none: the fill buttons fill nothing.
    QStringList* m_pNames = nullptr;
    int m_nEntryStyle = 1;           // the style the names are typed in, from the name dialog
    QString m_strEntryName;
    bool m_bShowFillButtons = true;  // the fill buttons and the partition box are offered
    int m_nMode = 0;                 // 0 matrix, 1 row vector (columns only), 2 column vector (rows only)
    uint16_t m_nAlign = 1;           // 0 centre, 1 left, 2 right, 3 at "=", 4 at "."
    int m_nRows = 3;
    int m_nCols = 3;
    int m_nPartition = 0;
    int m_nLineSpacing = 2;          // the list's entry, 0 to 4; 2 is normal
    int m_nScriptSize = 0;

    // Asks the entry name and its style (the word dialog in its short form,
    // italic preset); false when the user cancelled. None: nothing is asked
    // and the fill buttons fill nothing.
    std::function<bool(QString& name, int& style)> askEntryName;

    // Runs the dialog; IDOK or IDCANCEL.
    int DoModal();
    // Runs in place of the modal loop when set (tests answer the dialog).
    std::function<int(CDlgSetMatrix&)> runModal;

    // Fills the controls from the fields (once).
    void OnInitDialog();
    // "Create": the choices into the fields, then closes with OK.
    void OnOK();
    // One step of the arrows beside the rows (or columns) edit: the typed
    // count plus the step, kept to 1 .. 32, back into the edit.
    void OnDeltaPosRows(int step);
    void OnDeltaPosColumns(int step);
    // The controls into the fields; counts parsed and clamped.
    void ReadMatrixChoices();
    // "Create and auto-fill": asks the entry name and fills every cell.
    void OnAutoFill();
    // "Create From Template": the template window at the mouse.
    void OnShowTemplates();
    // A template number from the template window: asks the entry name and
    // takes the template's shape and names. Numbers of no template, or no
    // name list, do nothing.
    void OnTemplateChosen(int number);

    CDlgMatVecTemp* templateWindow() const { return m_pTemplates; }
    QLineEdit* rowsEdit() const { return m_rowsEdit; }
    QLineEdit* columnsEdit() const { return m_columnsEdit; }
    QToolButton* rowsUp() const { return m_rowsUp; }
    QToolButton* rowsDown() const { return m_rowsDown; }
    QToolButton* columnsUp() const { return m_columnsUp; }
    QToolButton* columnsDown() const { return m_columnsDown; }
    QRadioButton* alignButton(int ctrlId) const;
    QComboBox* lineSpacingList() const { return m_lineSpacing; }
    QCheckBox* partitionBox() const { return m_partition; }
    QCheckBox* scriptSizeBox() const { return m_scriptSize; }
    QPushButton* createButton() const { return m_create; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* autoFillButton() const { return m_autoFill; }
    QPushButton* templateButton() const { return m_fromTemplate; }

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool askBaseName();
    void step(QLineEdit* edit, int& count, int delta);

    PanelContext m_context;
    bool m_initialized = false;
    CDlgMatVecTemp* m_pTemplates = nullptr;
    QLineEdit* m_rowsEdit;
    QLineEdit* m_columnsEdit;
    QWidget* m_rowsSpin;
    QWidget* m_columnsSpin;
    QToolButton* m_rowsUp;
    QToolButton* m_rowsDown;
    QToolButton* m_columnsUp;
    QToolButton* m_columnsDown;
    QLabel* m_rowsLabel;
    QLabel* m_columnsLabel;
    QLabel* m_times;
    QLabel* m_lineSpacingLabel;
    QComboBox* m_lineSpacing;
    QRadioButton* m_align[5];  // 1093 to 1097
    QCheckBox* m_partition;
    QCheckBox* m_scriptSize;
    QPushButton* m_create;
    QPushButton* m_cancel;
    QPushButton* m_autoFill;
    QPushButton* m_fromTemplate;
};

}  // namespace toliva
