// The program's registration with the desktop: the equation document type
// (".afx") as a MIME type and the desktop entry that opens it with this
// program. Both files live under the user's XDG data folder:
//
//   <data>/mime/packages/toliva-equation.xml   the MIME type and its glob
//   <data>/applications/toliva.desktop         the program and what it opens
//
// A file is written only when its content differs from what is there, so a
// start that changes nothing touches nothing. After a change the desktop's
// caches are refreshed by starting update-mime-database and
// update-desktop-database through the shell service, when they are
// installed; nobody waits for them and their absence is no error.
//
// Nothing here is shown: every failure comes back as false with the reason.
#pragma once

#include "sheet/editing/ClipboardFormats.h"

#include <QString>

namespace toliva {

// The MIME type of equation documents (".afx").
inline constexpr const char* kAfxMimeType = kEmbeddedItemMimeType;

// The user's XDG data folder (platform/Folders.h: userDataBase()).
QString XdgDataHome();

// One argument of a desktop entry's Exec key, quoted when it holds a
// reserved character and escaped for the key file ("/opt/my apps/toliva"
// gives "\"/opt/my apps/toliva\""; '%' becomes "%%").
QString DesktopExecArgument(const QString& argument);

// Writes the MIME package and the desktop entry for programPath. False with
// the reason in *error (may be null) when a file cannot be written.
bool RegisterShellFileTypes(const QString& programPath, QString* error);

// Removes both files (missing files are no error). False with the reason when
// one exists but cannot be removed.
bool UnregisterShellFileTypes(QString* error);

// The document-object server's registration: registering writes the desktop
// entry for programPath, otherwise removes it.
bool UpdateServerRegistration(const QString& programPath, bool registering, QString* error);

}  // namespace toliva
