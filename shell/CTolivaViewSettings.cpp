#include "shell/CTolivaView.h"

namespace toliva {

bool CTolivaView::ShowHotkeyMenu(int, QPoint) { return false; }
void CTolivaView::OnSymbolContextMenu(const SymbolKey&, QPoint, bool) {}
void CTolivaView::ApplyPanelColours(bool) {}
bool CTolivaView::ShowAppSettingsDialog() { return false; }
void CTolivaView::OnSettingsPanelButton(CDlgGU*, int) {}
void CTolivaView::ApplySettingsPanel(CDlgGU&) {}
void CTolivaView::OpenHelpDocument(int) {}

}  // namespace toliva
