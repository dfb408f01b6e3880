// Bytes as a constant file (".acv"): read them; a file read in full must
// write and read back to the same records, and a damaged one must leave the
// list it was read into as it was.
#include "shell/settings/ConstantFiles.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace toliva;

namespace {

bool same(const UserConstant& a, const UserConstant& b) {
    return a.name == b.name && a.enabled == b.enabled && std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const UserConstant sentinel{QStringLiteral("kept"), false, 1.5};
    std::vector<UserConstant> list{sentinel};
    if (ParseConstantFile(bytes, list) != ConstantFileResult::Read) {
        if (list.size() != 1 || !same(list[0], sentinel)) __builtin_trap();
        return 0;
    }
    const QByteArray written = ConstantFileBytes(list);
    std::vector<UserConstant> back;
    if (ParseConstantFile(written, back) != ConstantFileResult::Read || back.size() != list.size()) __builtin_trap();
    for (size_t i = 0; i < list.size(); ++i)
        if (!same(list[i], back[i])) __builtin_trap();
    if (ConstantFileBytes(back) != written) __builtin_trap();
    return 0;
}
