// The main menu and the context menu with its element submenus.
#include "sheet/CKwEESheet.h"

#include "uikit/CKwMenu.h"

namespace toliva {

unsigned CKwEESheet::ShowMainMenu(QPoint) {
    NotAvailableYet(Unavailable::Command);
    return 0;
}
unsigned CKwEESheet::ShowContextMenu(QPoint screenPoint) {
    CKwMenu menu(this);
    if (trackMenu) return trackMenu(menu, screenPoint);
    return 0;
}
bool CKwEESheet::ApplyElementMenuCode(EqElement*, int) { return false; }
bool CKwEESheet::SwapElementVariant(EqElement*) { return false; }

}  // namespace toliva
