#include "shell/CEEDPP_Colors.h"

#include "shell/CEESettingDlg.h"

namespace toliva {

CEEDPP_Colors::CEEDPP_Colors(CEESettingDlg* owner) : QWidget(owner) {}
CEEDPP_Colors::~CEEDPP_Colors() = default;
bool CEEDPP_Colors::OnInitDialog() { return true; }
void CEEDPP_Colors::PushChecks() {}
void CEEDPP_Colors::ReadChecks() {}

}  // namespace toliva
