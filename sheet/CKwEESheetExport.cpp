// Export of the equation to picture files, and the picture copy.
#include "sheet/CKwEESheet.h"

namespace toliva {

void CKwEESheet::ExportDialog() { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::ExportBitmapFile(const QString&) { NotAvailableYet(Unavailable::Command); }
void CKwEESheet::CopyPicture() { NotAvailableYet(Unavailable::Command); }

}  // namespace toliva
