#include "uikit/Utilities.h"

namespace toliva {

unsigned GetWindowsMajorVersion() { return 10; }

QString UIFontNameFor(unsigned majorVersion) {
    return majorVersion > 5 ? QStringLiteral("Segoe UI") : QStringLiteral("Tahoma");
}

QString GetUIFontName() { return UIFontNameFor(GetWindowsMajorVersion()); }

}  // namespace toliva
