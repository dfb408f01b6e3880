// The editing dialogs the program hands its sheet: the one-line input, the
// matrix dialog, the matrix rule lines, the font-character picker, the
// equation settings and the print dialog run here; the others still say they
// are not available yet.
#pragma once

#include "panels/PanelContext.h"
#include "sheet/editing/EditDialogs.h"

#include <functional>

class QWidget;

namespace toliva {

class CDialogPrint;
class CDialogSetString;
class CDlgCreateAW;
class CDlgSetMatVecSL;
class CDlgSetMatrix;
class CDlgSelSym;
class CEESettingDlg;
class CKwEESheet;
class CTolivaApp;

class ShellEditDialogs : public UnavailableEditDialogs {
public:
    ShellEditDialogs(CTolivaApp& app, CKwEESheet& sheet, QWidget* owner);

    // Runs the settings dialog on the sheet (restricted in office mode);
    // 1 on OK.
    int equationSettings(EqModel* eq, bool officeMode) override;
    void print(EqModel* eq) override;
    // The one-line input; its live preview sets the amount of the custom
    // space at the sheet's caret.
    bool askString(StringRequest& request) override;
    // The matrix dialog; its fill buttons ask the entry name in the word
    // dialog.
    bool chooseMatrix(const MatrixRequest& request, MatrixChoice* out) override;
    // The rule-line dialog; a damaged matrix (no cells in a direction, or
    // more than 33) is not edited.
    bool editMatrixLines(MatrixLinesRequest& request) override;
    // The font-character picker for the big operators 860 to 863: on OK out
    // holds the chosen character's glyph.
    bool selectSymbol(int type, GlyphOutline* out) override;

    // Run the dialogs in place of their modal loops (tests answer them).
    std::function<int(CEESettingDlg&)> runSettings;
    std::function<int(CDialogPrint&)> runPrint;
    std::function<int(CDialogSetString&)> runString;
    std::function<int(CDlgSetMatrix&)> runMatrix;
    std::function<int(CDlgSetMatVecSL&)> runMatrixLines;
    std::function<int(CDlgSelSym&)> runSelectSymbol;
    // The word dialog that asks the entry name of the matrix dialog's fill
    // buttons (its short form, italic preset).
    std::function<int(CDlgCreateAW&)> runEntryName;

private:
    PanelContext panelContext() const;
    bool askEntryName(QString& name, int& style);

    CTolivaApp& m_app;
    CKwEESheet& m_sheet;
    QWidget* m_owner;
};

}  // namespace toliva
