// The Qt widget dialogs behind the dialog service (platform/DialogService.h).
// The programs install one at start; every picker answers Cancel when the
// program has no QApplication.
#pragma once

#include "platform/DialogService.h"

#include <QString>
#include <QStringList>

namespace toliva {

// The Qt dialogs, shown modally over the owner.
class QtDialogService : public DialogService {
public:
    bool pickFile(const FileDialogRequest& request, QString* path) override;
    bool pickColour(const ColourDialogRequest& request, ColourDialogResult* out) override;
    bool pickFont(const FontDialogRequest& request, FontDialogResult* out) override;
    bool pickFolder(const FolderDialogRequest& request, QString* folder) override;
};

// Qt's name filters for a Windows filter ("Toliva Hotkeys (*.hks)|*.hks|" gives
// "Toliva Hotkeys (*.hks)"). Empty for an empty filter.
QStringList QtNameFilters(const QString& windowsFilter);
// The default extension without "*." or ".".
QString BareExtension(const QString& extension);

}  // namespace toliva
