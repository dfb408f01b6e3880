// Feeds bytes to the readers of recognition replies: the web service's JSON
// text, a server's poll and upload answers and the local result file. A
// reader gives a result only from valid UTF-8, and never a short one.
#include "shell/recognition/RecognitionClient.h"

#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace toliva;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);  // decodes when converted
    const bool utf8 = !decoder.hasError();

    if (const std::optional<QString> latex = ParseWebServiceReply(bytes)) {
        if (!utf8 || latex->size() <= 2) std::abort();
        if (latex->contains(QStringLiteral("\", \"conf"))) std::abort();
    }
    if (const std::optional<QString> latex = ParsePollReply(bytes)) {
        if (!utf8 || latex->isEmpty() || !bytes.startsWith("$$")) std::abort();
    }
    if (IsUploadAccepted(bytes) && bytes.toUpper() != "OK") std::abort();
    // A UTF-8 result file keeps its text, each "\r\n" made one "\n"; others
    // are read as the program reads its text files.
    const QString result = DecodeResultFile(bytes);
    const QString crlf = QStringLiteral("\r\n");
    if (utf8 && (result.count(QLatin1Char('\n')) != decoded.count(QLatin1Char('\n')) ||
                 result.size() != decoded.size() - decoded.count(crlf)))
        std::abort();
    return 0;
}
