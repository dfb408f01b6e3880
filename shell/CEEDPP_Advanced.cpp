#include "shell/CEEDPP_Advanced.h"

#include "shell/CEESettingDlg.h"

namespace toliva {

CEEDPP_Advanced::CEEDPP_Advanced(CEESettingDlg* owner) : QWidget(owner) {}
CEEDPP_Advanced::~CEEDPP_Advanced() = default;
bool CEEDPP_Advanced::OnInitDialog() { return true; }
void CEEDPP_Advanced::SyncOfficeOptions(int) {}
void CEEDPP_Advanced::Apply() {}

}  // namespace toliva
