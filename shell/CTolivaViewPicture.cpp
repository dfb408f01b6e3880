#include "shell/CTolivaView.h"

namespace toliva {

void CTolivaView::RenderMetafileCache(bool) {}

}  // namespace toliva
