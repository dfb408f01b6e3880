// Theme files (".thm") and the per-user files of the equation settings
// dialog: the same record as the layout defaults file, read and written as a
// whole.
#pragma once

#include <QString>

namespace toliva {

struct EqLayoutSettings;
struct EqNotes;

// The theme the theme menu saves and loads without asking, and the defaults
// of new equations, both in the per-user folder (trailing '/').
QString MyThemePath(const QString& userFolder);
QString UserDefaultsPath(const QString& userFolder);

// Reads a theme into record. The record changes only when the whole file
// reads; a file that cannot be opened or is damaged leaves it as it was and
// adds the damaged-file note with the path to notes. Returns whether it read.
bool ReadThemeFile(const QString& path, EqLayoutSettings& record, EqNotes& notes);
// Writes record to path; false when the file cannot be written.
bool WriteThemeFile(const QString& path, EqLayoutSettings& record);

}  // namespace toliva
