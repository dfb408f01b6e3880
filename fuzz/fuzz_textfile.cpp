// Feeds bytes to the decoding of whole text files (code page 936 lines).
#include "platform/Utilities.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = toliva::DecodeTextFile(bytes);
    // Every line ends in a line feed, and only nothing decodes to nothing.
    if (text.isEmpty() != bytes.isEmpty()) std::abort();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) std::abort();
    return 0;
}
