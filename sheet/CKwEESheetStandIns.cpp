// Stand-ins for sheet entry points that the keys call and that other files
// of the sheet define (the command dispatcher's helpers, the TeX prompt
// hook). Each is a weak definition: where the real one is linked in, it
// replaces the stand-in, so this file can go once every one of them exists.
// Until then a stand-in tells the user that what was asked is not available
// yet (the prompt hook, which runs unasked on every typed key, stays quiet).
#include "sheet/CKwEESheet.h"

namespace toliva {

[[gnu::weak]] void CKwEESheet::ForwardFrameCommand(int id) {
    (void)id;
    NotAvailableYet(Unavailable::Command);
}

[[gnu::weak]] void CKwEESheet::ToggleBold() { NotAvailableYet(Unavailable::Command); }

[[gnu::weak]] void CKwEESheet::ToggleItalic() { NotAvailableYet(Unavailable::Command); }

[[gnu::weak]] void CKwEESheet::OpenHelpDocument(const QString& fileName) {
    (void)fileName;
    NotAvailableYet(Unavailable::Command);
}

[[gnu::weak]] void CKwEESheet::SelectLanguage(int n) {
    (void)n;
    NotAvailableYet(Unavailable::Command);
}

[[gnu::weak]] int CKwEESheet::RunOfficeJob(int job) {
    (void)job;
    NotAvailableYet(Unavailable::Command);
    return 0;
}

[[gnu::weak]] void CKwEESheet::UpdateTeXPrompt() {}

}  // namespace toliva
