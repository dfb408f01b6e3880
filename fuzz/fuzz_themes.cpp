// Bytes as a theme file (".thm") read the way the equation settings dialog's
// theme menu reads one into its working record: a read that fails must leave
// the record as it was and say why; one that succeeds must write and read
// back to the same record.
#include "FuzzSupport.h"

#include "model/EqNotes.h"
#include "shell/settings/EquationThemes.h"

#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace toliva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::useScratchHomeAndSilence();
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("input.thm"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    EqLayoutSettings working = fuzz::builtInStyle();
    working.colours[3] = 0xFF123456;
    const EqLayoutSettings before = working;
    EqNotes notes;
    const bool read = ReadThemeFile(path, working, notes);
    if (!read) {
        if (!(working == before) || !notes.contains(EqNoteKind::DamagedFile)) std::abort();
        for (const EqNote& note : notes.items) NoteText(note);
        return 0;
    }

    const QString again = folder.filePath(QStringLiteral("again.thm"));
    if (!WriteThemeFile(again, working)) std::abort();
    EqLayoutSettings back = before;
    EqNotes backNotes;
    if (!ReadThemeFile(again, back, backNotes)) std::abort();
    return 0;
}
