#include "shell/settings/AutoWordFiles.h"

#include "platform/Archive.h"
#include "platform/SafeFile.h"

#include <QtEndian>

#include <utility>

namespace toliva {

const std::vector<QString>& DefaultAutoWordTexts() {
    static const std::vector<QString> words = [] {
        static const char* const table[] = {
            "Im",     "Re",     "ln",     "sinh",   "cosh",   "tanh",   "coth",   "sech",   "csch", "sin",
            "cos",    "sec",    "csc",    "tan",    "cot",    "exp",    "lg",     "log",    "lim",  "max",
            "min",    "abs",    "det",    "asin",   "acos",   "atan",   "acot",   "asec",   "acsc", "arcsin",
            "arccos", "arctan", "arccot", "arcsec", "arccsc", "diag",   "sgn",
        };
        std::vector<QString> out;
        for (const char* w : table) out.push_back(QString::fromLatin1(w));
        return out;
    }();
    return words;
}

AutoWordFileStatus ReadAutoWordData(const QByteArray& bytes, WordLists& lists) {
    // The count follows the three option bytes: a negative one is a damaged
    // file, not an empty list.
    constexpr qsizetype kCountAt = 3;
    if (bytes.size() >= kCountAt + 4 && qFromLittleEndian<qint32>(bytes.constData() + kCountAt) < 0)
        return AutoWordFileStatus::Damaged;
    WordLists scratch;
    try {
        Archive ar(bytes);
        SerializeAutoWords(scratch, ar);
    } catch (const ArchiveException&) {
        return AutoWordFileStatus::Damaged;
    }
    // A stored list holds no empty word; one in a file could never be typed.
    std::erase_if(scratch.words, [](const AutoWord& w) { return w.word.isEmpty(); });
    for (int i = 0; i < 3; ++i) lists.autoFormat[i] = scratch.autoFormat[i];
    lists.words = std::move(scratch.words);
    lists.UpdateListNameLengths();
    return AutoWordFileStatus::Read;
}

AutoWordFileStatus ReadAutoWordFile(const QString& path, WordLists& lists) {
    QByteArray bytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) return AutoWordFileStatus::CannotOpen;
    return ReadAutoWordData(bytes, lists);
}

QByteArray AutoWordData(const WordLists& lists) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    // Storing reads the lists only.
    SerializeAutoWords(const_cast<WordLists&>(lists), ar);
    return bytes;
}

bool WriteAutoWordFile(const QString& path, const WordLists& lists) {
    return WriteFileSafely(path, AutoWordData(lists), nullptr);
}

}  // namespace toliva
