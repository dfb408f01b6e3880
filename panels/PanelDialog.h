// What the dialogs of the panels share: the modal run that fills the
// controls once and then either answers through the tests' hook or runs the
// dialog's own loop.
#pragma once

#include "platform/MessageSink.h"

#include <QDialog>

#include <functional>

namespace toliva {

template <typename Dialog>
int RunPanelDialog(Dialog& dialog, const std::function<int(Dialog&)>& hook) {
    dialog.OnInitDialog();
    if (hook) return hook(dialog);
    return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

}  // namespace toliva
