#include "shell/CTolivaView.h"

namespace toliva {

bool CTolivaView::ShowWritingPad() { return false; }

}  // namespace toliva
