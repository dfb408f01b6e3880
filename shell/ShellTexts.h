// The program's own messages: items of group "gMSG_1" of "LANG_07.xml",
// '|' turned into line breaks, English when the item is missing.
#pragma once

#include <QString>

namespace toliva {

enum ShellMessageItem {
    MsgEditorLibraryMissing = 1,
    MsgCannotOpenFile = 6,   // followed by the path
    MsgCannotSaveFile = 7,   // followed by the path
    MsgAskToSave = 8,        // %1: the document's title
    MsgCannotOpenLink = 9,   // followed by the reason
};

QString ShellMessage(const QString& languageCode, ShellMessageItem item);

}  // namespace toliva
