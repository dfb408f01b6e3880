// The clipboard formats the editor reads and writes, as MIME types of the
// clipboard service, and what the clipboard holds for a paste.
#pragma once

#include <QString>

namespace toliva {

class ClipboardService;

// The equation's archive stream.
inline const QString kNativeClipboardFormat = QStringLiteral("application/x-qt-windows-mime;value=\"KWEE_CLIPBOARD_FORMAT\"");
// An int32 byte count, then that many bytes of an archive stream.
inline const QString kLiteClipboardFormat = QStringLiteral("application/x-qt-windows-mime;value=\"RADIRORUVU_CLIP_FORMAT\"");
// MathML text from other programs (read only), in the order they are tried.
inline const QString kMathMLFormats[3] = {
    QStringLiteral("application/mathml+xml"),
    QStringLiteral("application/mathml-content+xml"),
    QStringLiteral("application/mathml-presentation+xml"),
};
inline const QString kTextFormat = QStringLiteral("text/plain");
inline const QString kMetafileFormat = QStringLiteral("image/emf");

// 1 the native format, 2 text, 3 the lite format, 4 a metafile, 5 MathML,
// 6 a bitmap; 0 when the clipboard holds none of them.
int ClipboardContentKind(const ClipboardService& clipboard);

}  // namespace toliva
