// Small free functions that every window uses: the interface font. The
// folder and text-file helpers are in platform/Utilities.h.
#pragma once

#include "platform/Utilities.h"

#include <QString>

namespace toliva {

// The operating system's major version. This system always reports a current
// version (10), so the modern interface font is used.
unsigned GetWindowsMajorVersion();
// The interface font for a major version: "Segoe UI" above 5, else "Tahoma".
QString UIFontNameFor(unsigned majorVersion);
// The interface font of this system.
QString GetUIFontName();

}  // namespace toliva
