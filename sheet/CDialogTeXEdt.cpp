// The LaTeX editing pane.
#include "sheet/CDialogTeXEdt.h"

#include "platform/Folders.h"
#include "sheet/CDlgTESettings.h"
#include "sheet/CDlgTeXPromptBar.h"
#include "sheet/editing/LaTeXEditorStyle.h"

#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/EqNotes.h"
#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "sheet/CKwEESheet.h"
#include "tex/LaTeX.h"

#include <Qsci/qsciscintillabase.h>

#include <QPainter>
#include <QResizeEvent>

namespace toliva {

namespace {

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

}  // namespace

CDialogTeXEdt::CDialogTeXEdt(AppContext& app, TolivaSourceEditorFactory factory, QWidget* parent)
    : QWidget(parent), m_app(app), m_editor(this) {
    setProperty("ctrlId", kPaneId);
    if (m_editor.Create(factory, QRect(0, 0, 10, 10), this, kEditorId)) {
        QsciScintillaBase* sci = m_editor.control();
        connect(sci, &QsciScintillaBase::SCN_CHARADDED, this, &CDialogTeXEdt::OnCharAdded);
        connect(sci, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { OnUpdateUI(); });
        connect(sci, &QsciScintillaBase::SCN_ZOOM, this, &CDialogTeXEdt::OnZoom);
    }
    setFocusProxy(m_editor.widget());
    // The style files of the user's folder and the program's, and the
    // settings dialog, unless the caller puts others in their place.
    loadStyle = [this](LaTeXEditorStyle& style) { LoadEditorStyle(style, m_app.userFolder, programFolder()); };
    m_editor.saveStyle = [this](const LaTeXEditorStyle& style) { return SaveEditorStyle(style, m_app.userFolder); };
    runSettingsDialog = [this](LaTeXEditorStyle& style) {
        CDlgTESettings dialog(style, m_app, this);
        return dialog.exec() == QDialog::Accepted;
    };
}

CDialogTeXEdt::~CDialogTeXEdt() {
    // The notifications stop before the editor goes.
    if (QWidget* w = m_editor.widget()) w->disconnect(this);
}

void CDialogTeXEdt::ConnectPromptBar(TeXPromptDriver& driver) {
    promptStep = [&driver](const QString& typed, QPoint) { driver.ShowPromptBar(typed, typed.isEmpty() ? 0 : 2); };
    promptHide = [&driver] { driver.ShowPromptBar(QString(), 0); };
    promptKey = [&driver](int vk, bool ctrl, bool shift, bool alt) { return driver.PromptBarKeyDown(vk, ctrl, shift, alt); };
    isPromptShowing = [&driver] { return driver.mode() == 2; };
    driver.sourceCaretPoint = [this](bool refresh) {
        if (refresh) m_editor.UpdateCaretPoint();
        return m_editor.caretPoint();
    };
    driver.insertIntoSource = [this](int kind, const QString& text) { m_editor.InsertCandidate(kind, text); };
    driver.focusSource = [this] {
        if (QWidget* w = m_editor.widget()) w->setFocus();
    };
}

void CDialogTeXEdt::InitEditorStyle() {
    if (!m_editor.isCreated()) return;
    if (loadStyle) loadStyle(m_editor.style);
    m_editor.ApplyEditorStyle(false);
}

// ---- moving text

bool CDialogTeXEdt::ApplyToEquation() {
    if (!m_sheet || !m_sheet->equation() || !m_editor.isCreated()) return false;
    EqModel* eq = m_sheet->equation();
    const QString text = m_editor.editorText();
    // Read into a scratch equation first: what the sheet holds stays until
    // the whole text has converted.
    EqModel scratch(eq->settings);
    const LaTeXReadResult read = ReadLaTeXInto(text, &scratch, m_sheet->texRead);
    if (!read.ok || read.error) {
        QString message = SourceWindowMessage(
            m_app.languageCode(), 1, QStringLiteral("The LaTeX text could not be converted; the equation was left as it was."));
        QStringList report = LaTeXReadReport(read, text);
        // The reader's report leaves out the verdict when it was a partial one.
        if (report.isEmpty() && !read.message.isEmpty()) report << read.message;
        for (const QString& line : report) message += QLatin1Char('\n') + line;
        showMessage(message, MB_OK | MB_ICONWARNING);
        return false;
    }
    m_sheet->PushUndo(false);
    m_sheet->ClearSelection(false);
    // Notes the sheet has not shown yet stay with its equation.
    const EqNotes pending = TakeEquationNotes(eq);
    eq->swap(scratch);
    EquationFonts(eq).notes.add(pending);
    m_sheet->selection().forgetElements();
    InvalidateAllLineCaches(eq);
    eq->needsLayout = 1;
    m_sheet->ExpandItemReferences(eq);
    m_sheet->CommitExternalEdit();
    for (const EqNote& note : read.notes.items)
        showMessage(NoteText(note), NoteTextSource(note.kind).warning ? MB_OK | MB_ICONWARNING : MB_OK);
    return true;
}

bool CDialogTeXEdt::LoadFromEquation() {
    if (!m_sheet || !m_sheet->equation() || !m_editor.isCreated()) return false;
    TeXWriteContext context = m_sheet->texWrite;
    context.delimiters = m_app.texDelimCode;
    const QString text = EquationToLaTeX(*m_sheet->equation(), context);
    if (text.isEmpty()) return false;
    m_editor.SetEditorText(text);
    return true;
}

bool CDialogTeXEdt::ShowEditorSettings() {
    if (!runSettingsDialog || !runSettingsDialog(m_editor.style)) return false;
    m_editor.ApplyEditorStyle(false);
    return true;
}

void CDialogTeXEdt::ActivateFromEditor() {
    if (m_sheet) m_sheet->StopCaret();
    hidePrompt();
}

// ---- the prompt bar

void CDialogTeXEdt::hidePrompt() {
    if (promptHide) promptHide();
}

void CDialogTeXEdt::OnCharAdded(int ch) { PromptStep(ch); }

void CDialogTeXEdt::OnUpdateUI() {
    m_editor.UpdateBraceMatch();
    PromptStep(0);
}

void CDialogTeXEdt::OnZoom() { hidePrompt(); }

void CDialogTeXEdt::PromptStep(int ch) {
    const bool served = m_app.option(OptPromptForSource);
    if (ch == '\\') {
        // The bar shows for the source window only with its option on.
        if (!served) return;
        m_editor.UpdateCaretPoint();
        m_typed = QStringLiteral("\\");
        if (promptStep) promptStep(m_typed, m_editor.caretPoint());
        return;
    }
    if (!served || !promptShowing()) {
        hidePrompt();
        return;
    }
    m_editor.UpdateCaretPoint();
    m_typed = m_editor.FindTypedCommand() ? m_editor.typedCommand() : QString();
    if (promptStep) promptStep(m_typed, m_editor.caretPoint());
    if (QWidget* w = m_editor.widget()) w->setFocus();
}

// ---- layout and painting

void CDialogTeXEdt::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (QWidget* w = m_editor.widget()) w->setGeometry(0, 1, width(), std::max(0, height() - 1));
    update();
}

void CDialogTeXEdt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(fromColorRef(kTopLineColour));
    painter.drawLine(0, 0, width() - 1, 0);
}

}  // namespace toliva
