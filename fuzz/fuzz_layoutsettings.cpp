// Bytes as a layout settings file ("KwELayout.dat" and the files the style
// dialogs read): read as a named file and as the per-user defaults, with the
// damaged-file notes collected, then written and read back. (The same record
// inside equation streams is fuzz_eqstream's.)
#include "FuzzSupport.h"

#include "model/EqLayoutSettings.h"
#include "model/EqNotes.h"

#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace toliva;

namespace {

bool writeBytes(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    return f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::useScratchHomeAndSilence();
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("style.dat"));
    if (!writeBytes(path, data, size) || !writeBytes(UserLayoutSettingsPath(), data, size)) std::abort();

    EqNotes notes;
    EqLayoutSettings named = fuzz::builtInStyle();
    const bool read = ReadLayoutSettingsFile(nullptr, path, named, &notes);
    // A file that opened either reads or is reported damaged.
    if (read == notes.contains(EqNoteKind::DamagedFile)) std::abort();

    EqNotes defaultsNotes;
    EqLayoutSettings defaults;
    LoadUserLayoutDefaults(nullptr, defaults, &defaultsNotes);
    for (const EqNote& note : defaultsNotes.items) NoteText(note);

    if (read) {
        const QString again = folder.filePath(QStringLiteral("again.dat"));
        if (!WriteLayoutSettingsFile(nullptr, again, named)) std::abort();
        EqLayoutSettings back = fuzz::builtInStyle();
        if (!ReadLayoutSettingsFile(nullptr, again, back, &notes)) std::abort();
    }
    return 0;
}
