#include "shell/CDialogPrint.h"

#include "sheet/editing/EditDialogs.h"
#include "platform/AppContext.h"

namespace toliva {

CDialogPrint::CDialogPrint(PrintDialogContext& context, QWidget* parent) : QDialog(parent), m_context(context) {}
CDialogPrint::~CDialogPrint() = default;

int CDialogPrint::DoModal() {
    ShowNotAvailableYet(m_context.app.languageCode(), Unavailable::PrintDialog);
    return 2;
}

}  // namespace toliva
