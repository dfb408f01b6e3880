#include "sheet/editing/WordLists.h"

#include "platform/Archive.h"
#include "platform/MessageSink.h"
#include "platform/SafeFile.h"

#include <QByteArray>
#include <QDir>

#include <algorithm>
#include <cstring>

namespace toliva {

namespace {

// The fewest bytes an entry takes: an empty string is one length byte.
constexpr qint64 kMinWordBytes = 1 + 1 + 1;
constexpr qint64 kMinConstantBytes = 1 + 1 + 8;

// Room for the entries a count claims, but never more than the bytes left
// can hold: a huge count in a small file must not allocate.
template <typename T>
void reserveFor(std::vector<T>& list, int32_t count, const Archive& ar, qint64 minBytes) {
    if (count <= 0) return;
    const qint64 fit = ar.bytesLeft() / minBytes;
    list.reserve(list.size() + size_t(std::min<qint64>(count, fit)));
}

}  // namespace

void WordLists::UpdateListNameLengths() {
    longestWord = 0;
    for (const AutoWord& w : words) longestWord = std::max(longestWord, int(w.word.size()));
    longestName = 0;
    for (const UserConstant& c : constants) longestName = std::max(longestName, int(c.name.size()));
}

void SerializeAutoWords(WordLists& lists, Archive& ar) {
    if (ar.isStoring()) {
        for (bool option : lists.autoFormat) ar.writeU8(option ? 1 : 0);
        ar.writeI32(int32_t(lists.words.size()));
        for (const AutoWord& w : lists.words) {
            ar.writeString(w.word);
            ar.writeU8(w.enabled ? 1 : 0);
            ar.writeU8(w.style);
        }
        return;
    }
    for (bool& option : lists.autoFormat) option = ar.readU8() != 0;
    const int32_t count = ar.readI32();
    reserveFor(lists.words, count, ar, kMinWordBytes);
    // A negative count reads no entry; a count past the end stops at the
    // end with the archive's exception.
    for (int32_t i = 0; i < count; ++i) {
        AutoWord w;
        w.word = ar.readString();
        w.enabled = ar.readU8() != 0;
        w.style = ar.readU8();
        lists.words.push_back(std::move(w));
    }
}

void SerializeConstantList(std::vector<UserConstant>& constants, Archive& ar) {
    if (ar.isStoring()) {
        ar.writeI32(int32_t(constants.size()));
        for (const UserConstant& c : constants) {
            ar.writeString(c.name);
            ar.writeU8(c.enabled ? 1 : 0);
            uint64_t bits;
            static_assert(sizeof bits == sizeof c.value);
            std::memcpy(&bits, &c.value, sizeof bits);
            ar.writeU32(uint32_t(bits));
            ar.writeU32(uint32_t(bits >> 32));
        }
        return;
    }
    const int32_t count = ar.readI32();
    reserveFor(constants, count, ar, kMinConstantBytes);
    for (int32_t i = 0; i < count; ++i) {
        UserConstant c;
        c.name = ar.readString();
        c.enabled = ar.readU8() != 0;
        const uint64_t low = ar.readU32();
        const uint64_t high = ar.readU32();
        const uint64_t bits = low | (high << 32);
        std::memcpy(&c.value, &bits, sizeof bits);
        constants.push_back(std::move(c));
    }
}

bool ReadWordListsFile(WordLists& lists, const QString& path, bool* damaged) {
    if (damaged) *damaged = false;
    QByteArray bytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) return false;
    try {
        Archive ar(bytes);
        SerializeAutoWords(lists, ar);
        SerializeConstantList(lists.constants, ar);
        return true;
    } catch (const ArchiveException&) {
        if (damaged) *damaged = true;
        return false;
    }
}

bool LoadWordLists(WordLists& lists, const QString& userFolder, const QString& programFolder) {
    lists.words.clear();
    lists.constants.clear();
    const QString candidates[] = {
        userFolder.isEmpty() ? QString() : QDir(userFolder).filePath(QString::fromLatin1(WordLists::kFileName)),
        programFolder.isEmpty() ? QString()
                                : QDir(programFolder).filePath(QStringLiteral("Dat/") + WordLists::kFileName),
    };
    bool readInFull = false;
    for (const QString& path : candidates) {
        if (path.isEmpty()) continue;
        bool damaged = false;
        readInFull = ReadWordListsFile(lists, path, &damaged);
        if (damaged) showMessage(QStringLiteral("failed to open file : ") + path);
        if (readInFull || damaged) break;
    }
    lists.UpdateListNameLengths();
    return readInFull;
}

bool WriteWordListsFile(const WordLists& lists, const QString& path) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    // Storing reads the lists only.
    SerializeAutoWords(const_cast<WordLists&>(lists), ar);
    SerializeConstantList(const_cast<std::vector<UserConstant>&>(lists.constants), ar);
    return WriteFileSafely(path, bytes, nullptr);
}

bool SaveWordLists(const WordLists& lists, const QString& userFolder) {
    return WriteWordListsFile(lists, QDir(userFolder).filePath(QString::fromLatin1(WordLists::kFileName)));
}

}  // namespace toliva
