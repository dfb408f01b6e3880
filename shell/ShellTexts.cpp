#include "shell/ShellTexts.h"

#include "platform/LangTable.h"
#include "platform/ShellService.h"

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

QString MakerLink(int kind, int lanSel) {
    const bool chinese = lanSel >= 2;
    if (kind == MakerContact)
        return chinese ? QStringLiteral("mailto:toliva-cn@ravelt.example") : QStringLiteral("mailto:toliva@ravelt.example");
    return chinese ? QStringLiteral("https://www.ravelt.example/cn/toliva") : QStringLiteral("https://www.ravelt.example/toliva");
}

bool OpenMakerLink(int kind, int lanSel) { return shellService().openUrl(MakerLink(kind, lanSel)); }

}  // namespace toliva
