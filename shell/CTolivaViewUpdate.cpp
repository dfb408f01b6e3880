#include "shell/CTolivaView.h"

namespace toliva {

bool CTolivaView::CheckForUpdate() { return false; }
void CTolivaView::ScheduleUpdateCheck() {}

}  // namespace toliva
