// The clipboard formats the editor reads and writes, as MIME types of the
// clipboard service, and what the clipboard holds for a paste.
#pragma once

#include <QString>

namespace toliva {

class ClipboardService;

// The equation's archive stream (the registered format
// "KWEE_CLIPBOARD_FORMAT"; other programs of the system read it too).
inline const QString kNativeClipboardFormat = QStringLiteral("application/x-qt-windows-mime;value=\"KWEE_CLIPBOARD_FORMAT\"");
// An int32 byte count, then that many bytes of an archive stream.
inline const QString kLiteClipboardFormat = QStringLiteral("application/x-qt-windows-mime;value=\"RADIRORUVU_CLIP_FORMAT\"");
// MathML text from other programs (read only): the registered formats
// "MathML", "MathML Content" and "MathML Presentation". A reader tries them
// in the order the data object offers them.
inline const QString kMathMLFormats[3] = {
    QStringLiteral("application/mathml+xml"),
    QStringLiteral("application/mathml-content+xml"),
    QStringLiteral("application/mathml-presentation+xml"),
};
// Text; some programs offer it only as "text/plain;charset=utf-8", which the
// clipboard service counts as text too (HoldsText).
inline const QString kTextFormat = QStringLiteral("text/plain");
inline const QString kMetafileFormat = QStringLiteral("image/emf");
// An embedded equation object of the program: its document file (the MIME
// type the desktop knows ".afx" files by).
inline constexpr char kEmbeddedItemMimeType[] = "application/x-toliva-equation";
inline const QString kEmbeddedItemFormat = QString::fromLatin1(kEmbeddedItemMimeType);

// What the clipboard holds for a paste, the first that it holds in this
// order: 1 the native format (or an embedded object of the program), 2 text,
// 3 the lite format, 4 a metafile, 5 MathML, 6 a picture in any image
// format; 0 when it holds none of them.
int ClipboardContentKind(const ClipboardService& clipboard);

}  // namespace toliva
