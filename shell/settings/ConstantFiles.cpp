#include "shell/settings/ConstantFiles.h"

#include "platform/Archive.h"
#include "platform/SafeFile.h"

namespace toliva {

ConstantFileResult ParseConstantFile(const QByteArray& bytes, std::vector<UserConstant>& out) {
    std::vector<UserConstant> read;
    try {
        Archive ar(bytes);
        // The sheet's own file takes a negative count as no records; a file
        // from elsewhere with one is not a constant file.
        if (ar.readI32() < 0) return ConstantFileResult::Malformed;
        Archive again(bytes);
        SerializeConstantList(read, again);
    } catch (const ArchiveException&) {
        return ConstantFileResult::Malformed;
    }
    out = std::move(read);
    return ConstantFileResult::Read;
}

ConstantFileResult ReadConstantFile(const QString& path, std::vector<UserConstant>& out) {
    QByteArray bytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) return ConstantFileResult::CannotOpen;
    return ParseConstantFile(bytes, out);
}

QByteArray ConstantFileBytes(const std::vector<UserConstant>& constants) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    // Storing only reads the list.
    SerializeConstantList(const_cast<std::vector<UserConstant>&>(constants), ar);
    return bytes;
}

bool WriteConstantFile(const QString& path, const std::vector<UserConstant>& constants, QString* reason) {
    return WriteFileSafely(path, ConstantFileBytes(constants), reason);
}

}  // namespace toliva
