#include "shell/settings/EquationThemes.h"

#include "model/EqLayoutSettings.h"
#include "model/EqNotes.h"

namespace toliva {

QString MyThemePath(const QString& userFolder) { return userFolder + QStringLiteral("MyTheme.thm"); }
QString UserDefaultsPath(const QString& userFolder) { return userFolder + QStringLiteral("KwELayout.dat"); }

bool ReadThemeFile(const QString& path, EqLayoutSettings& record, EqNotes& notes) {
    // The reader fills the record only after a complete read; a file it
    // cannot open gives it no note, yet the user asked for that file.
    EqNotes read;
    if (ReadLayoutSettingsFile(nullptr, path, record, &read)) return true;
    if (read.empty()) read.add(EqNoteKind::DamagedFile, path);
    notes.add(read);
    return false;
}

bool WriteThemeFile(const QString& path, EqLayoutSettings& record) {
    return !path.isEmpty() && WriteLayoutSettingsFile(nullptr, path, record);
}

}  // namespace toliva
