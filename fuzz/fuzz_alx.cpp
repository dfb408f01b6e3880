// Bytes as an ".alx" LaTeX editor settings file: read them (through the file
// reader too), check that no more token styles are made than the bytes can
// hold, and that a record written and read back gives the same record and
// bytes.
#include "sheet/editing/LaTeXEditorStyle.h"

#include "platform/MessageSink.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace toliva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RecordingMessageSink sink;
    static QTemporaryDir folder;
    ScopedMessageSink guard(&sink);
    sink.shown.clear();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    LaTeXEditorStyle style;
    style.fontFace.clear();
    style.tokens.resize(3);
    const bool complete = ReadStyleBytes(bytes, style);
    if (style.tokens.size() > 3 && style.tokens.size() > size / kTokenStyleBytes) __builtin_trap();
    if (size_t(style.fontFace.size()) > size) __builtin_trap();

    // The file reader: one message exactly when the record is damaged.
    const QString path = folder.filePath(QStringLiteral("in.alx"));
    {
        QFile out(path);  // a plain write: no need to sync scratch input to the disk
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) __builtin_trap();
    }
    LaTeXEditorStyle fromFile;
    fromFile.fontFace.clear();
    fromFile.tokens.resize(3);
    bool fileComplete = false;
    if (!ReadStyleFile(path, fromFile, &fileComplete) || fileComplete != complete ||
        sink.shown.size() != (complete ? 0u : 1u) || !(fromFile == style))
        __builtin_trap();

    const QByteArray written = StyleBytes(style);
    LaTeXEditorStyle back;
    if (!ReadStyleBytes(written, back) || !(back == style) || StyleBytes(back) != written) __builtin_trap();
    return 0;
}
