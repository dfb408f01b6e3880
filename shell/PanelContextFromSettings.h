// What the symbol panels read of the program, taken from its settings: the
// interface scale and colours, the button and tab style, the folders, the
// language and the drawing lock.
#pragma once

#include "panels/PanelContext.h"

namespace toliva {

struct AppContext;
struct AppSettings;

// Fills the context from the settings (everything but the picker, which the
// caller keeps). Called again after the settings change.
void FillPanelContext(PanelContext& panel, AppContext& app, const AppSettings& settings,
                      const QString& programFolder);

}  // namespace toliva
