#include "shell/CEEDPP_Layout.h"

#include "shell/CEESettingDlg.h"

namespace toliva {

CEEDPP_Layout::CEEDPP_Layout(CEESettingDlg* owner) : QWidget(owner) {}
CEEDPP_Layout::~CEEDPP_Layout() = default;
bool CEEDPP_Layout::OnInitDialog() { return true; }
void CEEDPP_Layout::Exchange(int) {}
void CEEDPP_Layout::ShowSection() {}
void CEEDPP_Layout::FillFontLists() {}
void CEEDPP_Layout::SyncOfficeOptions(int) {}
void CEEDPP_Layout::RefreshSectionControls() {}

}  // namespace toliva
