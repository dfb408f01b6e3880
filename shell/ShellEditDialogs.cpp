#include "shell/ShellEditDialogs.h"

#include "panels/CDialogSetString.h"
#include "panels/CDlgCreateAW.h"
#include "panels/CDlgSelSym.h"
#include "panels/CDlgSetMatVecSL.h"
#include "panels/CDlgSetMatrix.h"
#include "platform/MessageSink.h"
#include "shell/CDialogPrint.h"
#include "shell/CEEDPP_SCTeX.h"
#include "shell/CEESettingDlg.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "shell/PanelContextFromSettings.h"
#include "sheet/CKwEESheet.h"
#include "uikit/Utilities.h"

namespace toliva {

ShellEditDialogs::ShellEditDialogs(CTolivaApp& app, CKwEESheet& sheet, QWidget* owner)
    : UnavailableEditDialogs(app.context().languageCode()), m_app(app), m_sheet(sheet), m_owner(owner) {}

int ShellEditDialogs::equationSettings(EqModel* eq, bool officeMode) {
    if (!eq) return 0;
    EquationSettingsContext context{m_app.context(), m_app.settings(), m_app.m_strProgramFolder, m_app.m_fontUI, {}};
    // The shortcut page lists the view's symbol strip and opens its LaTeX pane.
    std::unique_ptr<ShortcutSources> shortcuts;
    if (auto* view = dynamic_cast<CTolivaView*>(m_owner)) shortcuts = MakeViewShortcutSources(*view);
    context.shortcuts = shortcuts.get();
    CEESettingDlg dialog(context, m_owner);
    dialog.m_bRestricted = officeMode;
    dialog.m_pTarget = &m_sheet;
    if (runSettings) dialog.runModal = runSettings;
    return dialog.DoModal() == 1 ? 1 : 0;
}

void ShellEditDialogs::print(EqModel* eq) {
    if (!eq) return;
    PrintDialogContext context{m_app.context(), m_app.renderContext(), GetUIFontName(), m_app.settings().uiMetric,
                               m_app.document() ? m_app.document()->GetTitle() : QString()};
    CDialogPrint dialog(context, m_owner);
    dialog.m_pTarget = &m_sheet;
    if (runPrint) dialog.runModal = runPrint;
    dialog.DoModal();
}

bool ShellEditDialogs::askString(StringRequest& request) {
    CDialogSetString dialog(m_app.context().languageCode(), m_owner);
    dialog.m_strTitle = request.title;
    dialog.m_strPrompt = request.prompt;
    dialog.m_strText = request.text;
    dialog.m_bShowCheck = request.showCheck;
    dialog.m_bChecked = request.checked;
    dialog.m_strCheckCaption = request.checkCaption;
    dialog.m_bPassword = request.password;
    if (request.livePreview) {
        dialog.m_bShowApply = true;
        dialog.m_nNumericMode = 1;
        dialog.m_applyValue = [this](float amount) { m_sheet.SetCustomSpaceWidth(amount); };
    }
    if (runString) dialog.runModal = runString;
    if (dialog.DoModal() != IDOK) return false;
    request.text = dialog.m_strText;
    request.checked = dialog.m_bChecked;
    return true;
}

bool ShellEditDialogs::selectSymbol(int, GlyphOutline* out) {
    CDlgSelSym dialog(panelContext(), m_owner);
    // The picker fills the slot only when OK closes it with a valid choice.
    dialog.m_pPendingGlyph = out;
    if (runSelectSymbol) dialog.runModal = runSelectSymbol;
    return dialog.DoModal() == IDOK;
}

PanelContext ShellEditDialogs::panelContext() const {
    PanelContext context;
    FillPanelContext(context, m_app.context(), m_app.settings(), m_app.m_strProgramFolder);
    return context;
}

bool ShellEditDialogs::askEntryName(QString& name, int& style) {
    // The word dialog without its enable box, italic preset; its style
    // becomes the style the names are typed in.
    CDlgCreateAW dialog(panelContext(), m_owner);
    dialog.m_nMode = 1;
    dialog.m_nStyle = 1;
    if (runEntryName) dialog.runModal = runEntryName;
    if (dialog.DoModal() != IDOK) return false;
    name = dialog.m_strWord;
    style = dialog.m_nStyle;
    return !name.isEmpty();
}

bool ShellEditDialogs::chooseMatrix(const MatrixRequest& request, MatrixChoice* out) {
    CDlgSetMatrix dialog(panelContext(), m_owner);
    dialog.m_nMode = request.mode;
    if (request.alignment >= 0) dialog.m_nAlign = uint16_t(request.alignment);
    dialog.m_bShowFillButtons = !request.hideFill;
    QStringList names;
    if (request.wantNames) dialog.m_pNames = &names;
    dialog.askEntryName = [this](QString& name, int& style) { return askEntryName(name, style); };
    if (runMatrix) dialog.runModal = runMatrix;
    if (dialog.DoModal() != IDOK) return false;
    if (!out) return true;
    *out = MatrixChoice{};
    out->rows = dialog.m_nRows;
    out->columns = dialog.m_nCols;
    out->alignment = dialog.m_nAlign;
    out->lineSpacingEntry = dialog.m_nLineSpacing;
    out->scriptSize = dialog.m_nScriptSize != 0;
    out->partition = dialog.m_nPartition != 0 && !request.hideFill;
    out->names = names;
    out->entryStyle = dialog.m_nEntryStyle;
    return true;
}

bool ShellEditDialogs::editMatrixLines(MatrixLinesRequest& request) {
    if (!CanEditRuleLines(request.columns, request.rows)) return false;
    CDlgSetMatVecSL dialog(panelContext(), m_owner);
    dialog.m_nColumns = request.columns;
    dialog.m_nRows = request.rows;
    std::copy(std::begin(request.rules), std::end(request.rules), dialog.m_record.begin());
    if (runMatrixLines) dialog.runModal = runMatrixLines;
    if (dialog.DoModal() != IDOK) return false;
    std::copy(dialog.m_record.begin(), dialog.m_record.end(), std::begin(request.rules));
    return true;
}

}  // namespace toliva
