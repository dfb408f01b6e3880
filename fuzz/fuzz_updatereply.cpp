// The update server's reply: any bytes. Only a reply of twelve characters
// counts as an answer, and only an answer can name a newer build.
#include "shell/update/UpdateCheck.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

using namespace toliva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply(reinterpret_cast<const char*>(data), qsizetype(size));
    const UpdateReplyMeaning meaning = InterpretUpdateReply(reply);
    const bool twelve = QString::fromUtf8(reply).toUcs4().size() == 12;
    if (meaning.answered != twelve) __builtin_trap();
    if (meaning.newer && !meaning.answered) __builtin_trap();
    return 0;
}
