#include "shell/CEESettingDlg.h"

#include "shell/CEEDPP_Advanced.h"
#include "shell/CEEDPP_Colors.h"
#include "shell/CEEDPP_Layout.h"
#include "sheet/editing/EditDialogs.h"
#include "platform/AppContext.h"

namespace toliva {

CEESettingDlg::CEESettingDlg(EquationSettingsContext& context, QWidget* parent) : QDialog(parent), m_context(context) {}
CEESettingDlg::~CEESettingDlg() = default;

void CEESettingDlg::OnCreate() {}
bool CEESettingDlg::OnInitDialog() { return true; }
int CEESettingDlg::DoModal() {
    ShowNotAvailableYet(m_context.app.languageCode(), Unavailable::EquationSettings);
    return 2;
}
void CEESettingDlg::ShowPage(int index) { m_nPage = index; }
void CEESettingDlg::ApplyPages() {}
void CEESettingDlg::ReloadPages() {}
bool CEESettingDlg::RunThemeFileDialog(bool, QString&) { return false; }
void CEESettingDlg::OnOK() {}
void CEESettingDlg::OnApply() {}
void CEESettingDlg::OnHelp() {}
void CEESettingDlg::OnThemeMenu(QPoint) {}
void CEESettingDlg::OnThemeItem(int) {}
bool CEESettingDlg::OnPageListClick(QPoint) { return false; }
bool CEESettingDlg::OnMouseWheel(int) { return false; }
void CEESettingDlg::OnExitSizeMove() {}
QRect CEESettingDlg::pageListRect() const { return {}; }
int CEESettingDlg::pageListRowHeight() const { return 0; }

}  // namespace toliva
