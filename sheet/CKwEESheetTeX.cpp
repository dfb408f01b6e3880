// Enter: typed TeX, array cells and line breaks; the TeX prompt hooks and
// what runs on a typed character (TeX typing, automatic formatting).
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "sheet/editing/AutoFormat.h"
#include "sheet/editing/ElementWork.h"
#include "sheet/editing/TypedTeX.h"

namespace toliva {

namespace {

// Typed LaTeX that did not convert: the language text, then what the reader
// did not understand.
QString NotConvertedText(const QString& languageCode, const QStringList& report) {
    LangTable table(languageCode, QStringLiteral("LANG_08.xml"));
    QString text = LoadLangString(table, QStringLiteral("gMSG_2"), 1);
    if (text.isEmpty()) text = QStringLiteral("The typed LaTeX could not be converted and stays as typed.");
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    for (const QString& line : report) text += QLatin1Char('\n') + line;
    return text;
}

}  // namespace

void CKwEESheet::OnEnterKey(bool shift) {
    if (!m_eq) return;
    bool snapshotTaken = false;
    if (m_sel.exists()) {
        PushUndo(false);
        snapshotTaken = true;
        DeleteSelection(m_eq, m_sel);
    }
    if (!GetEquationCaret(m_eq)) SetEquationCaret(m_eq, nullptr);
    EqElement* caret = GetEquationCaret(m_eq);

    if (caret && caret->type == EqTypeCharText) {
        // A TeX command being typed.
        if (!snapshotTaken) PushUndo(false);
        ConvertTypedTeX();
    } else if (shift && caret && caret->type == 1049 && m_app.option(OptAutoCalc) && m_app.calcSwitch == 1) {
        if (!snapshotTaken) PushUndo(false);
        CalcLine(caret, true);
    } else if (caret && caret->parent) {
        // In an argument only a column array (or one the argument becomes)
        // takes Enter; elsewhere it does nothing.
        if (EnterMakesArrayCell(m_eq)) {
            if (!snapshotTaken) PushUndo(true);
            EnterInStructure(m_eq, m_sel);
        }
    } else if (caret) {
        if (!snapshotTaken) PushUndo(false);
        BreakLine(m_eq, m_sel);
    }
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

bool CKwEESheet::ConvertTypedTeX() {
    if (!m_eq) return false;
    const TypedTeXOutcome outcome =
        ConvertTypedTeXAt(m_eq, texRead, [this](EqModel* scratch) { ExpandItemReferences(scratch); });
    if (outcome.result == TypedTeXOutcome::Converted) {
        m_sel.forgetElements();
        m_pressCaret = nullptr;
    } else if (outcome.result == TypedTeXOutcome::NotRead) {
        showMessage(NotConvertedText(m_app.languageCode(), outcome.report), MB_OK | MB_ICONWARNING);
    }
    UpdateTeXPrompt();
    return outcome.result == TypedTeXOutcome::Converted;
}

void CKwEESheet::UpdateTeXPrompt() {
    EqElement* caret = m_eq ? GetEquationCaret(m_eq) : nullptr;
    if (m_app.option(OptTeXTyping) && caret && caret->type == EqTypeCharText) {
        const QString command = TypedCommandText(caret);
        if (command.startsWith(QLatin1Char('\\')) &&
            (m_host->IsPromptBarShowingForSheet() || command == QLatin1String("\\"))) {
            m_host->ShowPromptBar(command, 1);
            // The bar only shows; typing goes on in the sheet.
            setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    m_host->ShowPromptBar(QString(), 0);
}

void CKwEESheet::AcceptTeXCandidate(const QString& text, int kind) {
    if (!m_eq) return;
    const TypedRun command = TypedCommandAt(GetEquationCaret(m_eq));
    if (command.empty()) return;
    PushUndo(SelectionScope() == 2);
    const bool recording = m_undo.recording;
    m_undo.recording = false;

    // The command typed so far gives way to the candidate.
    toliva::ClearSelection(m_eq, m_sel, false);
    SelectRun(m_sel, command.first, command.last);
    DeleteSelection(m_eq, m_sel);

    QString typed = text;
    if (IsMatrixTemplateCode(kind)) MatrixTemplateLaTeX(kind, &typed);
    // The bar's candidates are held without their backslash.
    if (!typed.startsWith(QLatin1Char('\\'))) typed.prepend(QLatin1Char('\\'));
    auto typeText = [this](const QString& s) {
        for (QChar c : s) InsertKey(m_eq, m_sel, InsertionKey{EqTypeCharText, c.unicode()});
    };
    typeText(typed);

    QString suffix;
    int back = 0;
    if (TeXCandidateSuffix(kind, &suffix, &back)) {
        typeText(suffix);
        EqElement* caret = GetEquationCaret(m_eq);
        for (; back > 0 && caret->prev; --back) caret = caret->prev;
        SetEquationCaret(m_eq, caret);
    } else {
        const EqElement* caret = GetEquationCaret(m_eq);
        if (!(caret->next && caret->next->type == EqTypeCharText)) ConvertTypedTeX();
    }

    m_pressCaret = nullptr;
    DropUnchangedUndo();
    m_undo.recording = recording;
    Refresh(0);
    EnsureCaretVisible();
}

TypedCharacterHook CKwEESheet::characterHook() {
    AutoFormatContext context;
    context.options = m_app.options;
    context.words = &m_words;
    context.autoWords = autoWords;
    context.texWrite = &texWrite;
    return MakeTypedCharacterHook(context);
}

}  // namespace toliva
