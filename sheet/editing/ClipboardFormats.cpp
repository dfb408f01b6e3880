#include "sheet/editing/ClipboardFormats.h"

#include "platform/ClipboardService.h"

namespace toliva {

int ClipboardContentKind(const ClipboardService& clipboard) {
    if (!clipboard.mimeData()) return 0;
    // An embedded object of the program holds an equation as the native
    // format does.
    if (clipboard.hasFormat(kNativeClipboardFormat) || clipboard.hasFormat(kEmbeddedItemFormat)) return 1;
    if (clipboard.hasText()) return 2;
    if (clipboard.hasFormat(kLiteClipboardFormat)) return 3;
    if (clipboard.hasFormat(kMetafileFormat)) return 4;
    for (const QString& format : kMathMLFormats)
        if (clipboard.hasFormat(format)) return 5;
    if (clipboard.hasImage()) return 6;
    return 0;
}

}  // namespace toliva
