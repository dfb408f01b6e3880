#include "shell/ShellEditDialogs.h"

#include "panels/CDialogSetString.h"
#include "platform/MessageSink.h"
#include "shell/CDialogPrint.h"
#include "shell/CEEDPP_SCTeX.h"
#include "shell/CEESettingDlg.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
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

}  // namespace toliva
