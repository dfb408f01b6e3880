// Bytes as "KwEAFEAC.dat" (automatic words and constants): read them, and
// check that the lists read, written and read again give the same bytes.
#include "sheet/editing/WordLists.h"

#include "platform/Archive.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace toliva;

namespace {

QByteArray store(WordLists& lists) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    SerializeAutoWords(lists, ar);
    SerializeConstantList(lists.constants, ar);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WordLists lists;
    try {
        Archive ar(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        SerializeAutoWords(lists, ar);
        SerializeConstantList(lists.constants, ar);
    } catch (const ArchiveException&) {
        // A damaged file keeps what was read; it must store as well.
    }
    lists.UpdateListNameLengths();

    const QByteArray first = store(lists);
    WordLists back;
    Archive again(first);
    SerializeAutoWords(back, again);
    SerializeConstantList(back.constants, again);
    if (again.bytesLeft() != 0 || back.words.size() != lists.words.size() ||
        back.constants.size() != lists.constants.size() || store(back) != first)
        __builtin_trap();
    return 0;
}
