#include "sheet/editing/LaTeXEditorStyle.h"

#include "platform/Archive.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/SafeFile.h"

#include <QDir>

#include <algorithm>

namespace toliva {

// An unknown folder gives no path: nothing is read from or written to
// wherever the program happens to run.
QString UserEditorStylePath(const QString& userFolder) {
    if (userFolder.isEmpty()) return {};
    return QDir(userFolder).filePath(QString::fromLatin1(kEditorStyleFileName));
}

QString ShippedEditorStylePath(const QString& programFolder) {
    if (programFolder.isEmpty()) return {};
    return QDir(programFolder).filePath(dataName(QString::fromLatin1(kShippedEditorStyleName)));
}

QByteArray StyleBytes(const LaTeXEditorStyle& style) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeU32(style.backColour);
    ar.writeU32(style.caretLineColour);
    ar.writeString(style.fontFace);
    ar.writeI32(style.fontSize);
    ar.writeBytes(style.options.data(), qint64(style.options.size()));
    ar.writeI32(int32_t(style.tokens.size()));
    for (const TokenStyle& t : style.tokens) {
        ar.writeU8(t.flags);
        ar.writeU32(t.foreColour);
        ar.writeU32(t.backColour);
    }
    return bytes;
}

bool ReadStyleBytes(const QByteArray& bytes, LaTeXEditorStyle& style) {
    Archive ar(bytes);
    try {
        style.backColour = ar.readU32();
        style.caretLineColour = ar.readU32();
        // The string's length is checked against the bytes left before
        // anything is allocated for it.
        style.fontFace = ar.readString();
        style.fontSize = ar.readI32();
        std::array<uint8_t, 8> options;
        ar.readBytes(options.data(), qint64(options.size()));
        style.options = options;
        const int32_t n = ar.readI32();
        style.tokens.clear();
        if (n < 0) return false;
        // Only as many token styles as the file can hold are made.
        const qint64 whole = std::min<qint64>(n, ar.bytesLeft() / kTokenStyleBytes);
        style.tokens.reserve(size_t(whole));
        for (qint64 i = 0; i < whole; ++i) {
            TokenStyle t;
            t.flags = ar.readU8();
            t.foreColour = ar.readU32();
            t.backColour = ar.readU32();
            style.tokens.push_back(t);
        }
        return whole == n;
    } catch (const ArchiveException&) {
        return false;
    }
}

bool ReadStyleFile(const QString& path, LaTeXEditorStyle& style, bool* complete) {
    QByteArray bytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) return false;
    const bool whole = ReadStyleBytes(bytes, style);
    if (!whole) showMessage(QStringLiteral("failed to open file : ") + path);
    if (complete) *complete = whole;
    return true;
}

bool WriteStyleFile(const QString& path, const LaTeXEditorStyle& style) {
    return WriteFileSafely(path, StyleBytes(style), nullptr);
}

bool LoadEditorStyle(LaTeXEditorStyle& style, const QString& userFolder, const QString& programFolder) {
    return ReadStyleFile(UserEditorStylePath(userFolder), style) ||
           ReadStyleFile(ShippedEditorStylePath(programFolder), style);
}

bool SaveEditorStyle(const LaTeXEditorStyle& style, const QString& userFolder) {
    return WriteStyleFile(UserEditorStylePath(userFolder), style);
}

}  // namespace toliva
