// Where the program's data and the user's data live.
//
// Shipped data lies beside the executable ("Dat/", "Languages/", ...).
// Per-user data lies under the XDG data folder, the registry database under
// the XDG config folder; TOLIVA_HOME moves both to one folder (tests use it).
#pragma once

#include <QString>

namespace toliva {

// The folder of the running executable, with a trailing '/'.
QString programFolder();
// The full path of the running executable.
QString programPath();

// The base folder of per-user application data ($TOLIVA_HOME, else
// $XDG_DATA_HOME, else ~/.local/share), without a trailing '/'.
QString userDataBase();
// The folder that holds the registry database ($TOLIVA_HOME, else
// $XDG_CONFIG_HOME/toliva, else ~/.config/toliva), without a trailing '/'.
QString configFolder();

// Turns a relative data name written with backslashes ("Dat\KwSLData.dat")
// into the form used on this system ("Dat/KwSLData.dat").
QString dataName(const QString& name);

// Creates a folder and its parents; an existing folder is no error.
bool ensureFolder(const QString& path);

}  // namespace toliva
