// Feeds bytes to the decoding of file names (command-line arguments): every
// name comes back byte for byte, and valid UTF-8 decodes as Qt decodes it.
#include "platform/SafeFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray native(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString name = toliva::DecodeFileName(native);
    if (toliva::EncodeFileName(name) != native) std::abort();
    if (native.isValidUtf8() && name != QString::fromUtf8(native)) std::abort();
    return 0;
}
