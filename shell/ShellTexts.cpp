#include "shell/ShellTexts.h"

#include "platform/LangTable.h"

namespace toliva {

QString ShellMessage(const QString& languageCode, ShellMessageItem item) {
    LangTable table(languageCode, QStringLiteral("LANG_07.xml"));
    QString text = LoadLangString(table, QStringLiteral("gMSG_1"), item);
    if (text.isEmpty()) {
        switch (item) {
        case MsgEditorLibraryMissing:
            text = QStringLiteral("The editor component library cannot be loaded, so Toliva will close.");
            break;
        case MsgCannotOpenFile: text = QStringLiteral("failed to open file : "); break;
        case MsgCannotSaveFile: text = QStringLiteral("failed to save file : "); break;
        case MsgAskToSave: text = QStringLiteral("Save changes to %1?"); break;
        case MsgCannotOpenLink: text = QStringLiteral("The link for the office add-in cannot be opened: "); break;
        }
    }
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return text;
}

}  // namespace toliva
