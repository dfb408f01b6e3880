// The command dispatcher: every command code to its action, and the small
// operations beside it (forwarded frame commands, typing style, line
// alignment, font size, equation settings, print, help documents, language,
// and the jobs of the office add-in).
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/EqNotes.h"
#include "model/EqStream.h"
#include "platform/Archive.h"
#include "platform/ClipboardService.h"
#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/SafeFile.h"
#include "platform/ShellService.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/CommandWork.h"
#include "tex/MathML.h"
#include "uikit/KitDialogs.h"

#include <QCursor>

namespace toliva {

namespace {


// The defaults file and the two theme files of the per-user folder.
const QString kDefaultsFile = QStringLiteral("KwELayout.dat");
const QString kMyThemeFile = QStringLiteral("MyTheme.thm");
const QString kActiveThemeFile = QStringLiteral("ActiveTheme.thm");

// The custom colours of the colour command.
constexpr int kColourCommandGroup = 14;

// The language menu's identifiers: 8000 + n for language n.
constexpr int kLastLanguageId = 8999;

// Messages of the command file ("LANG_03.xml", group "gMSG_2").
enum CommandMessage : int {
    MsgNotWhileEmbedded = 1,  // open and save as while embedded in a container
    MsgCannotWrite = 2,       // followed by the path
    MsgCannotStart = 3,       // followed by the program
};


// A message of the command file in the language given, with '|' as a line
// break, followed by what it is about.
QString commandMessage(const QString& languageCode, CommandMessage item, const QString& about = {}) {
    LangTable table(languageCode, QStringLiteral("LANG_03.xml"));
    QString text = LoadLangString(table, QStringLiteral("gMSG_2"), int(item));
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return text + about;
}

void showNotes(const EqNotes& notes) {
    for (const EqNote& note : notes.items) {
        const unsigned flags = NoteTextSource(note.kind).warning ? MB_OK | MB_ICONWARNING : MB_OK;
        showMessage(NoteText(note), flags);
    }
}

}  // namespace

// ---- the dispatcher

void CKwEESheet::ExecuteCommand(int code) {
    // What the view, the frame or a side window does: without it the user
    // is told that it is not available yet.
    const auto byHost = [this](bool done) {
        if (!done) NotAvailableYet(Unavailable::Command);
    };
    switch (code) {
    case CMD_TOGGLE_BOLD: ToggleBold(); return;
    case CMD_TOGGLE_ITALIC: ToggleItalic(); return;
    case CMD_FONT_SIZE: FontSizeDialog(true); return;
    case CMD_TOGGLE_LAYOUT_OPTION: ToggleRoleColours(); return;
    case CMD_COLOUR: {
        if (!m_eq) return;
        uint32_t colour = gp::ColorrefFromArgb(m_sel.exists() ? m_sel.items.front()->colour : m_eq->currentColour);
        if (PickColourWithCustomColours(colour, kColourCommandGroup, QString::fromLatin1(kCustomColourKey), true))
            SetSelectionColour(gp::ArgbFromColorref(colour));
        return;
    }
    case CMD_APP_SETTINGS: byHost(m_host->ShowAppSettingsDialog()); return;
    case CMD_UNDO: Undo(); return;
    case CMD_REDO: Redo(); return;
    case CMD_EQ_SETTINGS: ShowEquationSettings(false); return;
    case CMD_FILE_NEW:
    case CMD_FILE_OPEN:
    case CMD_FILE_SAVE:
    case CMD_FILE_SAVE_AS:
    case CMD_APP_ABOUT: ForwardFrameCommand(FrameworkCommandOf(code)); return;
    case CMD_ALIGN_LEFT:
    case CMD_ALIGN_CENTER:
    case CMD_ALIGN_RIGHT:
    case CMD_ALIGN_AT_MARK: SetLineAlignment(code - CMD_ALIGN_LEFT); return;
    case CMD_ALIGN_AUTO_MARK: SetLineAlignment(kAlignSetMark); return;
    case CMD_ZOOM_IN: SetEditorScale(m_app.eeScale + 0.5f); return;
    case CMD_ZOOM_OUT: SetEditorScale(m_app.eeScale - 0.5f); return;
    case CMD_ZOOM_STANDARD: SetEditorScale(2.0f); return;
    case CMD_TOGGLE_LIBRARY_PANEL: byHost(m_host->ToggleLibraryPanel()); return;
    case CMD_SELECT_ALL: SelectAll(); return;
    case CMD_CALC_LINE:
        if (EqElement* caret = m_eq ? GetEquationCaret(m_eq) : nullptr) {
            PushUndo(false);
            CalcLine(FindLineHead(caret), true);
            DropUnchangedUndo();
        }
        return;
    case CMD_CALC_ALL:
        if (m_eq) {
            PushUndo(false);
            CalcAll();
            DropUnchangedUndo();
        }
        return;
    case CMD_FIND_REPLACE: byHost(m_host->ShowFindDialog(FirstCharacterRun(m_sel))); return;
    case CMD_CLEAR_MARKS: OnEscape(); return;
    case CMD_USER_SYMBOLS: m_host->OpenUserSymbolPanel(); return;
    case CMD_FIND_SELECTION: MarkOccurrences(); return;
    case CMD_PRINT: ShowPrintDialog(); return;
    case CMD_HELP: OpenHelpDocument(QStringLiteral("Help.pdf")); return;
    case CMD_ONLINE: byHost(m_host->OpenProductWebPage()); return;
    case CMD_CHECK_UPDATE: byHost(m_host->CheckForUpdate()); return;
    case CMD_OCR_HELP: OpenHelpDocument(QStringLiteral("OCR_Help.pdf")); return;
    case CMD_TEX_TO_EQUATION:
    case CMD_EQUATION_TO_TEX:
        // Only the view's LaTeX pane takes these; without a view they do
        // nothing.
        if (m_host->HasView()) byHost(m_host->MoveLaTeXText(code == CMD_TEX_TO_EQUATION));
        return;
    case CMD_TOGGLE_LATEX_MODE: byHost(m_host->ToggleLaTeXMode()); return;
    case CMD_WRITING_PAD: byHost(m_host->ShowWritingPad()); return;
    case CMD_CAPTURE_OCR: RunCapture(); return;
    case CMD_MAIN_MENU: ShowMainMenu(QCursor::pos()); return;
    case CMD_CUT: Cut(); return;
    case CMD_COPY: Copy(); return;
    case CMD_PASTE: Paste(); return;
    case CMD_PASTE_TEXT: PasteText(); return;
    case CMD_EXPORT: ExportDialog(); return;
    case CMD_COPY_LATEX: CopyAsText(false); return;
    case CMD_COPY_MATHML: CopyAsText(true); return;
    case CMD_COPY_PICTURE: CopyPicture(); return;
    case CMD_REPLACE_MARKED: ReplaceMarked(); return;
    default: break;
    }
    if (code >= CMD_MARK_STYLE_0 && code <= CMD_MARK_STYLE_3) {
        SetSelectionFlags(uint8_t(code - CMD_MARK_STYLE_0));
    } else if (code >= CMD_CHAR_UPRIGHT && code <= CMD_CHAR_TYPE_17) {
        SetSelectionStyle(kCharStyleTypes[code - CMD_CHAR_UPRIGHT]);
    } else if (code >= CMD_MOVE_FIRST_KIND && code < CMD_MOVE_SECOND_KIND) {
        AddMatrixLine(code - CMD_MOVE_FIRST_KIND);
    } else if (code >= CMD_MOVE_SECOND_KIND && code <= CMD_MOVE_LAST) {
        RemoveMatrixLine(code - CMD_MOVE_SECOND_KIND);
    } else if (code > CMD_LANGUAGE_BASE && code <= kLastLanguageId) {
        SelectLanguage(code - CMD_LANGUAGE_BASE);
    }
    // Any other code does nothing.
}

// ---- framework commands

void CKwEESheet::ForwardFrameCommand(int id) {
    if (m_host->IsEmbedded()) {
        if (id == ID_FILE_NEW) {
            // A new document opens in a new instance of the program, placed
            // where this window is.
            const QPoint at = m_host->MainWindowPosition();
            RegKey key;
            OpenRegKey(kAppSettingsKey, key);
            WriteRegDword(key, QStringLiteral("MF_X"), at.x());
            WriteRegDword(key, QStringLiteral("MF_Y"), at.y());
            const QString program = programFolder() + QStringLiteral("Toliva");
            if (!shellService().startProgram(program, {}))
                showMessage(commandMessage(m_app.languageCode(), MsgCannotStart, program), MB_OK | MB_ICONWARNING);
            return;
        }
        if (id == ID_FILE_OPEN || id == ID_FILE_SAVE_AS) {
            showMessage(commandMessage(m_app.languageCode(), MsgNotWhileEmbedded), MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    ClearSelection(true);
    Refresh(-1);
    if (m_host->IsEmbedded()) m_host->NotifyEmbeddedChanged();
    if (!m_host->SendFrameCommand(id)) NotAvailableYet(Unavailable::Command);
}

// ---- typing style

// Types without a bold or italic partner (16, 17) stay as they are.
void CKwEESheet::ToggleBold() {
    if (const int type = BoldToggledType(typingType); type != typingType) SetTypingType(type);
}

void CKwEESheet::ToggleItalic() {
    if (const int type = ItalicToggledType(typingType); type != typingType) SetTypingType(type);
}

void CKwEESheet::SetTypingType(int type) {
    typingType = type;
    m_host->UpdateToolbarStates();
}

// ---- the equation's style

void CKwEESheet::ToggleRoleColours() {
    if (!m_eq) return;
    PushUndo(false);
    const int32_t on = m_eq->settings.ints[0] ? 0 : 1;
    m_eq->settings.ints[0] = on;
    // The choice becomes the default of new equations.
    EqNotes notes;
    if (!m_app.userFolder.isEmpty())
        UpdateSettingsFile(m_app.userFolder + kDefaultsFile, [on](EqLayoutSettings& s) { s.ints[0] = on; }, &notes);
    InvalidateAllLineCaches(m_eq);
    Refresh(0);
    DropUnchangedUndo();
    showNotes(notes);
    m_host->UpdateToolbarStates();
}

void CKwEESheet::SetLineAlignment(int alignment) {
    if (!m_eq || !GetEquationCaret(m_eq)) return;
    PushUndo(false);
    const LineAlignmentChange change = ApplyLineAlignment(m_eq, alignment);
    if (!change.applied) {
        DropUnchangedUndo();
        return;
    }
    EqNotes notes;
    if (change.matrix) {
        InvalidateLineCache(m_eq, change.matrix);
    } else {
        InvalidateAllLineCaches(m_eq);
        if (!m_app.userFolder.isEmpty()) {
            const uint8_t value = uint8_t(change.value);
            UpdateSettingsFile(
                m_app.userFolder + kDefaultsFile,
                [value](EqLayoutSettings& s) { s.options[EqLayoutSettings::OptLineAlignment] = value; }, &notes);
        }
    }
    Refresh(0);
    DropUnchangedUndo();
    showNotes(notes);
    EnsureCaretVisible();
    m_host->UpdateAlignButtons();
}

int CKwEESheet::FontSizeDialog(bool refresh) {
    if (!m_eq) return 0;
    LangTable table(m_app.languageCode(), QStringLiteral("LANG_04.xml"));
    const QString group = QStringLiteral("gDLG_1");
    StringRequest request;
    request.title = LoadLangString(table, group, 1);
    request.prompt = LoadLangString(table, group, 2);
    request.checkCaption = LoadLangString(table, group, 3);
    request.showCheck = true;
    request.text = FontSizeText(m_eq->settings.fontSize);
    RegKey key;
    const bool keyOpened = OpenRegKey(kAppSettingsKey, key);
    const QString checkValue = QStringLiteral("fs_check_check");
    int checked = 0;
    if (keyOpened) ReadRegDword(key, checkValue, checked, 0);
    request.checked = checked != 0;
    if (!editDialogs().askString(request)) return 0;
    // A text that is no number changes nothing, as Cancel does.
    float size = 0;
    if (!ParseFontSizeText(request.text, &size)) return 0;

    if (refresh) PushUndo(false);
    ApplyBaseFontSize(m_eq->settings, size);
    m_eq->needsLayout = 1;
    InvalidateAllLineCaches(m_eq);
    if (request.checked && !m_app.userFolder.isEmpty()) {
        const QString path = m_app.userFolder + kDefaultsFile;
        if (!WriteLayoutSettingsFile(nullptr, path, m_eq->settings))
            showMessage(commandMessage(m_app.languageCode(), MsgCannotWrite, path), MB_OK | MB_ICONWARNING);
    }
    if (refresh) {
        Refresh(0);
        DropUnchangedUndo();
    }
    if (keyOpened) WriteRegDword(key, checkValue, request.checked ? 1 : 0);
    return 1;
}

int CKwEESheet::ShowEquationSettings(bool officeMode) {
    if (!m_eq) return 0;
    if (officeMode) return editDialogs().equationSettings(m_eq, true);
    PushUndo(false);
    const bool recording = m_undo.recording;
    m_undo.recording = false;
    const int result = editDialogs().equationSettings(m_eq, false);
    if (result == 1) {
        InvalidateAllLineCaches(m_eq);
        m_eq->needsLayout = 1;
        Refresh(0);
        // The caret takes its place and size in the new layout now, not at
        // its next blink.
        if (m_caretRunning) {
            StopCaret();
            StartCaret();
        }
        m_host->ApplyPanelColours();
        m_host->UpdateToolbarStates();
    }
    // Recording back on first: an unchanged snapshot is only dropped while
    // recording.
    m_undo.recording = recording;
    DropUnchangedUndo();
    m_host->RedrawLibrarySheets();
    return result;
}

void CKwEESheet::ShowPrintDialog() {
    if (!m_eq) return;
    const bool caretOn = m_caretRunning;
    if (caretOn) StopCaret();
    editDialogs().print(m_eq);
    InvalidateAllLineCaches(m_eq);
    Refresh(0);
    if (caretOn) StartCaret();
}

// ---- help, language

void CKwEESheet::OpenHelpDocument(const QString& fileName) {
    const QString path = programFolder() + QStringLiteral("Help/") + fileName;
    const int result = shellService().openDocument(path);
    if (result == ShellFileNotFound || result == ShellPathNotFound) {
        LangTable table(m_app.languageCode(), QStringLiteral("LANG_01.xml"));
        showMessage(LoadLangString(table, QStringLiteral("gMSG_2"), 1) + path, MB_OK | MB_ICONWARNING);
    }
}

void CKwEESheet::SelectLanguage(int n) {
    m_app.lanSel = n == 2 ? 2 : 1;
    m_host->ApplyLanguage();
}

// ---- the office add-in

int CKwEESheet::RunOfficeJob(int job) {
    if (!m_eq) return 0;
    const QString folder = m_app.userFolder;
    const auto layoutChanged = [this] {
        m_eq->needsLayout = 1;
        InvalidateAllLineCaches(m_eq);
        Refresh(0);
    };
    const auto cannotWrite = [this](const QString& path, const QString& reason = {}) {
        QString about = path;
        if (!reason.isEmpty()) about += QStringLiteral("\n") + reason;
        showMessage(commandMessage(m_app.languageCode(), MsgCannotWrite, about), MB_OK | MB_ICONWARNING);
    };
    // Jobs 4 and 5: the style chosen becomes the active theme, which the
    // add-in then hands to the other equations ("2"); "1": nothing to hand on.
    const auto finishThemeJob = [&](bool ok) {
        bool written = false;
        if (ok) {
            const QString path = folder + kActiveThemeFile;
            written = !folder.isEmpty() && WriteLayoutSettingsFile(nullptr, path, m_eq->settings);
            if (!written) cannotWrite(path);
        }
        RegKey key;
        OpenRegKey(kWordCmdsKey, key);
        WriteRegString(key, QStringLiteral("WaitingDoVerb"), written ? QStringLiteral("2") : QStringLiteral("1"));
    };
    const auto readTheme = [&](const QString& name) {
        EqNotes notes;
        ReadSettingsOrDefaults(m_eq, folder.isEmpty() ? QString() : folder + name, m_eq->settings, &notes);
        layoutChanged();
        showNotes(notes);
    };

    switch (job) {
    case 2: return 1;
    case 3:
        m_eq->settings.ints[0] = m_eq->settings.ints[0] ? 0 : 1;
        layoutChanged();
        return 1;
    case 4: {
        const int ok = FontSizeDialog(false);
        finishThemeJob(ok == 1);
        return ok == 1 ? 1 : 0;
    }
    case 5: {
        const int ok = ShowEquationSettings(true);
        if (ok == 1) layoutChanged();
        finishThemeJob(ok == 1);
        return ok == 1 ? 1 : 0;
    }
    case 6: {
        const QString path = folder + kMyThemeFile;
        if (folder.isEmpty() || !WriteLayoutSettingsFile(nullptr, path, m_eq->settings)) cannotWrite(path);
        return 0;
    }
    case 7: readTheme(kMyThemeFile); return 1;
    case 8:
        SetDefaultLayoutSettings(m_eq->settings);
        SetupEquationFonts(m_eq);
        layoutChanged();
        return 1;
    case 9: readTheme(kActiveThemeFile); return 1;
    case 10:
    case 12: {
        RegKey settings;
        OpenRegKey(kAppSettingsKey, settings);
        ReadRegDword(settings, QStringLiteral("TeXDelimCode"), m_app.texDelimCode, 0);
        RegKey word;
        OpenRegKey(kWordCmdsKey, word);
        QString display;
        ReadRegString(word, QStringLiteral("isDisplay"), display, QStringLiteral("0"));
        CopyLaTeXForOffice(display == QLatin1String("1"), job == 12);
        return 1;
    }
    case 11: ImportLaTeXFile(); return 1;
    case 13:
        PasteClipboardMathML();
        clipboardService().clear();
        return 1;
    case 32:
        if (!m_host->CopyEmbeddedItem()) NotAvailableYet(Unavailable::Command);
        return 0;
    case 255: {
        RegKey word;
        OpenRegKey(kWordCmdsKey, word);
        QString path;
        ReadRegString(word, QStringLiteral("pCCI"), path, QString());
        if (path.isEmpty()) return 0;
        QByteArray bytes;
        try {
            bytes = EquationToBytes(m_eq);
        } catch (const ArchiveException&) {
            cannotWrite(path);
            return 0;
        }
        QString reason;
        if (!WriteFileSafely(path, bytes, &reason)) cannotWrite(path, reason);
        return 0;
    }
    default: return 0;
    }
}

void CKwEESheet::CopyLaTeXForOffice(bool display, bool asMathML) {
    if (!m_eq) return;
    if (asMathML) {
        clipboardService().setText(EquationToMathML(*m_eq, texWrite));
        return;
    }
    // An empty equation leaves the clipboard as it was.
    const QString text = OfficeLaTeXText(*m_eq, texWrite, display, m_app.texDelimCode);
    if (!text.isEmpty()) clipboardService().setText(text);
}

}  // namespace toliva
