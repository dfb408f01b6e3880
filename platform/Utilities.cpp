#include "platform/Utilities.h"

#include "platform/Folders.h"
#include "platform/SafeFile.h"
#include "platform/TextCodec.h"

#include <QRandomGenerator>

#include <chrono>

namespace toliva {

QString GetModuleFolder() { return programFolder(); }

QString GetModuleFolder(QStringList* list) {
    if (list) list->prepend(programPath());
    return programFolder();
}

QString GetAppDirectory() { return programFolder(); }

bool MakeAppDataFolder(const QString& first, const QString& second, bool trailingSlash, QString* firstPath,
                       QString* secondPath) {
    QString firstFolder = userDataBase() + '/' + first;
    bool ok = ensureFolder(firstFolder);
    firstFolder += '/';

    QString secondFolder = firstFolder + second;
    ok = ensureFolder(secondFolder) && ok;
    if (trailingSlash) secondFolder += '/';

    if (firstPath) *firstPath = firstFolder;
    if (secondPath) *secondPath = secondFolder;
    return ok;
}

void SplitAtBar(const QString& text, QString* first, QString* second) {
    const qsizetype bar = text.indexOf('|');
    if (bar > 0) {
        if (first) *first = text.left(bar);
        if (second) *second = text.mid(bar + 1);
    } else if (first) {
        *first = text;
    }
}

QString DecodeTextFile(const QByteArray& bytes) {
    QByteArray data = bytes;
    data.replace("\r\n", "\n");
    // '\n' never occurs inside a double-byte character of code page 936, so the
    // lines can be split before or after decoding alike.
    QString text = DecodeCodePage(data, "CP936");
    if (!text.isEmpty() && !text.endsWith('\n')) text += '\n';
    return text;
}

bool ReadTextFile(const QString& path, QString* out) {
    QString text;
    QByteArray bytes;
    if (ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) text = DecodeTextFile(bytes);
    const bool nonEmpty = !text.isEmpty();
    if (out) *out = std::move(text);
    return nonEmpty;
}

QString RandomFileNameStem(quint64 counter, quint32 random) {
    return QString::asprintf("%04d_%04d", int(counter % 1000), int(random % 1000));
}

QString MakeRandomFileName() {
    const auto counter = quint64(std::chrono::steady_clock::now().time_since_epoch().count());
    return RandomFileNameStem(counter, QRandomGenerator::global()->generate());
}

}  // namespace toliva
