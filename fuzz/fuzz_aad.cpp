// Bytes as an auto-word file (".aad"): read them over a list that already
// holds words. A file that does not read in full must leave the list as it
// was; one that does must write back and read again to the same bytes, with
// no empty word kept.
#include "shell/settings/AutoWordFiles.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace toliva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WordLists lists;
    lists.autoFormat[1] = false;
    lists.words.push_back(AutoWord{QStringLiteral("sin"), true, 0});
    lists.constants.push_back(UserConstant{QStringLiteral("g"), true, 9.8});
    lists.UpdateListNameLengths();
    const QByteArray before = AutoWordData(lists);

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const AutoWordFileStatus status = ReadAutoWordData(bytes, lists);
    if (lists.constants.size() != 1) __builtin_trap();
    if (status != AutoWordFileStatus::Read) {
        if (AutoWordData(lists) != before || lists.longestWord != 3) __builtin_trap();
        return 0;
    }
    for (const AutoWord& w : lists.words)
        if (w.word.isEmpty() || w.word.size() > lists.longestWord) __builtin_trap();

    const QByteArray first = AutoWordData(lists);
    WordLists back;
    if (ReadAutoWordData(first, back) != AutoWordFileStatus::Read || AutoWordData(back) != first ||
        back.words.size() != lists.words.size())
        __builtin_trap();
    return 0;
}
