// The program's own messages: items of group "gMSG_1" of "LANG_07.xml",
// '|' turned into line breaks, English when the item is missing. And the
// maker's addresses the program opens.
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

// The maker's addresses, one of two by the language number (below 2 the
// English one, else the Chinese one).
enum MakerLinkKind {
    MakerProductPage = 0,  // the product's web page (help menu, About box)
    MakerContact = 1,      // the contact e-mail address (About box)
};
QString MakerLink(int kind, int lanSel);
// Opens the address through the shell service; false when it could not be
// handed on.
bool OpenMakerLink(int kind, int lanSel);

}  // namespace toliva
