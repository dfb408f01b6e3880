// The message sink the programs install at start (platform/MessageSink.h):
// every message is a modal QMessageBox.
#pragma once

#include "platform/MessageSink.h"

namespace toliva {

// Shows a QMessageBox with the flags' buttons (OK, OK/Cancel, Yes/No,
// Yes/No/Cancel) and icon (error, question, warning, information), over owner
// (a QWidget*, or null) and with the caption "Toliva" when none is given. The
// text is shown as plain text. Escape or the window's close button answer
// Cancel, or No when there is no Cancel, or OK when OK stands alone.
// Without a QApplication nothing is shown and that same answer comes back.
class QtMessageSink : public MessageSink {
public:
    int show(const QString& text, const QString& caption, unsigned flags, void* owner) override;
};

}  // namespace toliva
