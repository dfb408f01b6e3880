// The sheet's editing entry points: caret placement, selection, styles and
// marks, undo and redo, the command dispatcher, symbol keys and the keys.
// The tree operations themselves live in sheet/editing/.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/ElementWork.h"
#include "uikit/KitDialogs.h"

#include <QKeyEvent>

#include <algorithm>
#include <array>

namespace toliva {

// ---- services

EditDialogService& CKwEESheet::editDialogs() {
    if (m_dialogs) return *m_dialogs;
    if (!m_noDialogs) m_noDialogs = std::make_unique<UnavailableEditDialogs>();
    m_noDialogs->languageCode = m_app.languageCode();
    return *m_noDialogs;
}

void CKwEESheet::NotAvailableYet(Unavailable what) { ShowNotAvailableYet(m_app.languageCode(), what); }

void CKwEESheet::ShowRecognitionSettings() {
    if (!m_host->ShowRecognitionSettings()) NotAvailableYet(Unavailable::Dialog);
}

// ---- caret

void CKwEESheet::SetCaretElement(EqElement* e) {
    if (!m_eq) return;
    StopCaret();
    SetEquationCaret(m_eq, e);
    m_host->UpdateAlignButtons();
    if (m_caretEnabled) EnsureCaretVisible();
    else StartCaret();
    // A typed run ends where the caret is placed.
    m_lastKey = PendingKey{};
    m_pendingKey = PendingKey{};
}

// ---- selection, styles, marks

void CKwEESheet::ClearSelection(bool rebuild) {
    if (m_eq) toliva::ClearSelection(m_eq, m_sel, rebuild);
}

void CKwEESheet::SelectRange(EqElement* anchor, EqElement* caret) {
    if (m_eq) toliva::SelectRange(m_eq, m_sel, anchor, caret);
}

void CKwEESheet::SelectAll() {
    if (!m_eq) return;
    if (m_sel.rebuildHitBoxes) RebuildHitBoxes(m_eq, m_sel);
    EqElement* end = toliva::SelectAll(m_eq, m_sel);
    Refresh(-1);
    if (end) SetCaretElement(end);
}

int CKwEESheet::SelectionScope() const { return m_eq ? toliva::SelectionScope(m_eq, m_sel) : 0; }

void CKwEESheet::SetSelectionStyle(int style) {
    if (!m_eq) return;
    if (!m_sel.exists()) {
        EqElement* caret = GetEquationCaret(m_eq);
        if (!caret) return;
        const int32_t t = caret->type;
        if (!((t >= 1 && t <= 4) || (t >= 6 && t <= 8))) return;
        PushUndo(false);
        RestyleElement(caret, style, &m_render);
    } else {
        PushUndo(SelectionScope() > 0);
        RestyleSelection(m_eq, m_sel, style, &m_render);
    }
    Refresh(0);
    m_host->SetModifiedFlag();
    DropUnchangedUndo();
}

void CKwEESheet::SetSelectionColour(gp::ARGB colour) {
    if (!m_eq) return;
    if (m_sel.exists()) {
        PushUndo(SelectionScope() > 0);
        SetSelectionColourOn(m_sel, colour);
        Refresh(0);
        m_host->SetModifiedFlag();
        DropUnchangedUndo();
    }
    m_eq->currentColour = colour | 0xFF000000u;
}

void CKwEESheet::ChooseSelectionColour() {
    if (!m_eq) return;
    gp::ARGB initial = m_eq->currentColour;
    if (m_sel.exists()) initial = m_sel.items.front()->colour;
    uint32_t colour = gp::ColorrefFromArgb(initial);
    if (RunColorDialog(colour, QString::fromLatin1(kCustomColourKey))) SetSelectionColour(gp::ArgbFromColorref(colour));
}

void CKwEESheet::SetSelectionFlags(uint8_t flags) {
    if (!m_eq) return;
    PushUndo(SelectionScope() > 0);
    SetSelectionFlagsOn(m_sel, flags);
    Refresh(0);
    DropUnchangedUndo();
}

void CKwEESheet::MarkOccurrences() {
    if (!m_eq) return;
    m_sel.foundPatternLength = toliva::MarkOccurrences(m_eq, m_sel);
    // Marks are drawn into the lines' pictures.
    InvalidateAllLineCaches(m_eq);
    Refresh(0);
}

void CKwEESheet::ResetFindMarks(bool flag) {
    if (!m_eq) return;
    if (EquationHasMarks(m_eq)) InvalidateAllLineCaches(m_eq);
    toliva::ResetFindMarks(m_eq, m_sel, flag);
}

// ---- undo

void CKwEESheet::PushUndo(bool lineOnly) {
    if (!m_eq) return;
    // Every change ends a typed run (the typed key sets its own afterwards).
    m_lastKey = PendingKey{};
    m_pendingKey = PendingKey{};
    if (!m_undo.recording) {
        InvalidateLineCache(m_eq, nullptr);
        return;
    }
    m_host->SetModifiedFlag();
    m_undo.Push(m_eq, lineOnly);
}

void CKwEESheet::DropUnchangedUndo() {
    if (m_eq) m_undo.DropUnchanged(m_eq);
}

void CKwEESheet::Undo() { restoreFromHistory(false); }

void CKwEESheet::Redo() { restoreFromHistory(true); }

void CKwEESheet::restoreFromHistory(bool redo) {
    if (!m_eq || (redo ? m_undo.redoCount() : m_undo.undoCount()) == 0) return;
    m_lastKey = PendingKey{};
    StopCaret();
    ClearSelection(false);
    if (redo) m_undo.Redo(m_eq);
    else m_undo.Undo(m_eq);
    // The elements the selection knew are gone.
    m_sel.forgetElements();
    m_pressCaret = nullptr;
    InvalidateAllLineCaches(m_eq);
    Refresh(0);
    EnsureCaretVisible();
}

}  // namespace toliva
