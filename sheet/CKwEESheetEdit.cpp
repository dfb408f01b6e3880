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

namespace {

// COLORREF 0x00BBGGRR and ARGB.
uint32_t toColorRef(gp::ARGB c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
gp::ARGB fromColorRef(uint32_t c) { return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// Characters of kind-6 keys that stay upright whatever the typing style.
bool isUprightSymbol(uint16_t ch) {
    static constexpr std::array<uint16_t, 13> kUpright = {167,  176,  1009, 8224, 8225, 8240, 8242,
                                                          8243, 8244, 8245, 8706, 8733, 8734};
    return std::find(kUpright.begin(), kUpright.end(), ch) != kUpright.end();
}

bool isCharacterType(int32_t t) { return (t >= 1 && t <= 5) || t == 16 || t == 17; }

// The character styles of Ctrl+1 .. Ctrl+6 and the commands 216 .. 221.
constexpr std::array<int, 6> kStyles = {EqTypeCharUpright, EqTypeCharItalic, 3, 4, 16, 17};

}  // namespace

// ---- caret

void CKwEESheet::SetCaretElement(EqElement* e) {
    if (!m_eq) return;
    StopCaret();
    SetEquationCaret(m_eq, e);
    m_host->UpdateAlignButtons();
    if (m_caretEnabled) EnsureCaretVisible();
    else StartCaret();
    m_lastKey = PendingKey{};
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
    uint32_t colour = toColorRef(initial);
    if (RunColorDialog(colour, QString::fromLatin1(kCustomColourKey))) SetSelectionColour(fromColorRef(colour));
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
    if (!m_undo.recording) {
        InvalidateLineCache(m_eq, nullptr);
        return;
    }
    m_host->SetModifiedFlag();
    m_undo.Push(m_eq, lineOnly);
    m_lastKey = PendingKey{};
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

// ---- commands and symbol keys

void CKwEESheet::ExecuteCommand(int code) {
    switch (code) {
    case CMD_UNDO: Undo(); return;
    case CMD_REDO: Redo(); return;
    case CMD_ZOOM_IN: SetEditorScale(m_app.eeScale + 0.5f); return;
    case CMD_ZOOM_OUT: SetEditorScale(m_app.eeScale - 0.5f); return;
    case CMD_ZOOM_STANDARD: SetEditorScale(2.0f); return;
    case CMD_SELECT_ALL: SelectAll(); return;
    case CMD_CLEAR_MARKS: OnEscape(); return;
    case CMD_FIND_SELECTION: MarkOccurrences(); return;
    default: break;
    }
    if (code >= CMD_MARK_STYLE_0 && code <= CMD_MARK_STYLE_3) {
        SetSelectionFlags(uint8_t(code - CMD_MARK_STYLE_0));
    } else if (code >= CMD_CHAR_UPRIGHT && code <= CMD_CHAR_TYPE_17) {
        SetSelectionStyle(kStyles[size_t(code - CMD_CHAR_UPRIGHT)]);
    }
    // Every other code is not carried out here.
}

InsertionKey CKwEESheet::NormalizeKey(InsertionKey key) const {
    EqElement* caret = GetEquationCaret(m_eq);
    // A TeX command being typed keeps its characters.
    if (m_app.option(OptTeXTyping) && caret && caret->type == EqTypeCharText) return key;
    if (key.type >= 1 && key.type <= 4) {
        const int32_t op = key.ch == '+' ? 1042 : key.ch == '-' ? 1043 : key.ch == '=' ? 1049 : 0;
        if (op) {
            key.type = op;
            key.ch = 0;
        }
    }
    return key;
}

EqElement* CKwEESheet::insertAtCaret(const InsertionKey& key) {
    if (!GetEquationCaret(m_eq)) AddEmptyLine(m_eq);
    return InsertKey(m_eq, m_sel, NormalizeKey(key));
}

void CKwEESheet::InsertElementKey(const InsertionKey& key, bool refresh) {
    if (!m_eq) return;
    PushUndo(SelectionScope() == 2);
    insertAtCaret(key);
    if (refresh) Refresh(0);
}

void CKwEESheet::ExecuteSymbolKey(const SymbolKey& key, bool freshEquation) {
    (void)freshEquation;  // copying a symbol alone is the clipboard's
    if (IsCommandKey(key)) {
        ExecuteCommand(key.code);
        return;
    }
    if (!m_eq) return;
    InsertionKey k;
    switch (key.kind) {
    case 2: {
        // An accent on the character or glyph symbol at the caret: its code
        // is the low byte.
        EqElement* caret = GetEquationCaret(m_eq);
        if (!caret || !(IsStyledCharType(caret->type) || IsGlyphSymbolType(caret->type))) return;
        PushUndo(true);
        AddAccentMark(caret, uint8_t(key.code & 0xFF));
        InvalidateLineCache(m_eq, caret);
        m_eq->needsLayout = 1;
        Refresh(0);
        DropUnchangedUndo();
        break;
    }
    case 3:
        if (key.code == 104) return;  // the custom-space dialog is the editing dialogs'
        if (key.code <= EqTypeChainHead) return;  // a chain head is no element to insert
        k.type = key.code;
        k.ch = key.ch;
        InsertElementKey(k, true);
        break;
    case 4:
        k.type = typingType;
        k.ch = uint16_t(key.code & 0xFFFF);
        // A code below 32 is no character to type; a character carried with
        // the key is meant instead (the default Ctrl+P carries pi).
        if (key.code >= 0 && key.code < 32) {
            if (key.ch == 0) return;
            k.ch = key.ch;
        }
        InsertElementKey(k, true);
        break;
    case 6: {
        if (key.code == 1) return;  // the user-symbol panel is the panels'
        k.ch = uint16_t(key.code & 0xFFFF);
        const bool upright = isUprightSymbol(k.ch);
        k.type = upright ? EqTypeCharUpright : typingType;
        PushUndo(SelectionScope() == 2);
        if (EqElement* e = insertAtCaret(k); e && upright) SetWorkMark(e, kSelectedStyleMark, true);
        Refresh(0);
        break;
    }
    default: return;  // the other kinds come with the editing commands
    }
    EnsureCaretVisible();
}

// ---- keys

void CKwEESheet::keyPressEvent(QKeyEvent* event) {
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (HandleKeyMessage(event->key(), event->modifiers(), event->text(), keypad)) event->accept();
    else QWidget::keyPressEvent(event);
}

bool CKwEESheet::HandleKeyMessage(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text, bool keypad) {
    if (!m_eq) return false;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool alt = modifiers & Qt::AltModifier;
    // The built-in keys first: user hotkeys never override them.
    if (OnKeyDown(qtKey, ctrl, shift, alt)) {
        m_lastKey = m_pendingKey;
        return true;
    }
    // Then the user's hotkeys.
    const int vk = VirtualKeyFromQt(qtKey, keypad);
    if (vk >= 0 && m_hotkeys->Match(vk, ctrl, shift, alt, nullptr,
                                    [this](const SymbolKey& key) { ExecuteSymbolKey(key, false); })) {
        m_lastKey = PendingKey{};
        return true;
    }
    // Then a typed character.
    if (ctrl || alt || text.size() != 1) return false;
    const uint16_t ch = text.at(0).unicode();
    if (ClassifyChar(ch) && m_pendingKey.type > 0) {
        InsertTypedKey();
        Refresh(0);
        EnsureCaretVisible();
    }
    m_lastKey = m_pendingKey;
    return true;
}

bool CKwEESheet::OnKeyDown(int qtKey, bool ctrl, bool shift, bool alt) {
    m_pendingKey.type = 0;
    if (OnShortcutKey(qtKey, ctrl, shift, alt)) return true;
    if (alt) return false;
    EqElement* caret = GetEquationCaret(m_eq);
    if (!caret) return false;
    switch (qtKey) {
    case Qt::Key_Left:
        if (ctrl) return false;
        moveCaretByKey(CaretLeft(m_eq, caret, shift), shift);
        return true;
    case Qt::Key_Right:
        if (ctrl) return false;
        moveCaretByKey(CaretRight(m_eq, caret, shift), shift);
        return true;
    case Qt::Key_Up:
        if (ctrl) return false;
        moveCaretByKey(CaretUp(m_eq, caret), shift);
        return true;
    case Qt::Key_Down:
        if (ctrl) return false;
        moveCaretByKey(CaretDown(m_eq, caret), shift);
        return true;
    case Qt::Key_Home:
    case Qt::Key_End: {
        const bool home = qtKey == Qt::Key_Home;
        if (ctrl) {
            ClearSelection(true);
            m_sel.anchor = nullptr;
            moveCaretByKey(home ? DocumentStart(m_eq) : DocumentEnd(m_eq), false);
        } else {
            moveCaretByKey(home ? CaretHome(caret) : CaretEnd(caret), shift);
        }
        return true;
    }
    case Qt::Key_Tab:
        if (ctrl) return false;
        moveCaretByKey(CaretTab(caret), false);
        return true;
    case Qt::Key_Escape: OnEscape(); return true;
    case Qt::Key_F3:
        if (ctrl) return false;
        MarkOccurrences();
        return true;
    case Qt::Key_Backspace: deleteAtCaret(false); return true;
    case Qt::Key_Delete: deleteAtCaret(true); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl) {
            CloseIfEmbedded();
            return true;
        }
        OnEnterKey();
        return true;
    default: return false;
    }
}

bool CKwEESheet::OnShortcutKey(int qtKey, bool ctrl, bool shift, bool alt) {
    if (!ctrl || shift || alt) return false;
    if (qtKey >= Qt::Key_1 && qtKey <= Qt::Key_6) {
        SetSelectionStyle(kStyles[size_t(qtKey - Qt::Key_1)]);
        return true;
    }
    switch (qtKey) {
    case Qt::Key_A: ExecuteCommand(CMD_SELECT_ALL); return true;
    case Qt::Key_Z: ExecuteCommand(CMD_UNDO); return true;
    case Qt::Key_Y: ExecuteCommand(CMD_REDO); return true;
    default: return false;
    }
}

void CKwEESheet::moveCaretByKey(EqElement* target, bool shift) {
    EqElement* caret = GetEquationCaret(m_eq);
    if (shift) {
        if (!m_sel.anchor) m_sel.anchor = caret;
    } else if (m_sel.exists()) {
        ClearSelection(true);
        Refresh(-1);
    }
    if (target) {
        // Up to the first line: the view goes to its top.
        if (FindLineHead(target) == m_eq->lines.front() && scrollY() > 0) ScrollVert(-scrollY(), false);
        SetCaretElement(target);
    }
    if (shift) {
        SelectRange(m_sel.anchor, GetEquationCaret(m_eq));
        refreshPictureCurrent();
    } else {
        m_sel.anchor = nullptr;
    }
}

void CKwEESheet::deleteAtCaret(bool forward) {
    EqElement* caret = GetEquationCaret(m_eq);
    if (m_sel.exists()) PushUndo(SelectionScope() == 2);
    else PushUndo(forward ? caret->next != nullptr : caret->type != EqTypeChainHead);
    if (forward) DeleteForward(m_eq, m_sel);
    else DeleteBackward(m_eq, m_sel);
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

void CKwEESheet::OnEnterKey() {
    PushUndo(false);
    if (m_sel.exists()) DeleteSelection(m_eq, m_sel);
    if (!EnterInStructure(m_eq, m_sel)) BreakLine(m_eq, m_sel);
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

bool CKwEESheet::AddMatrixLine(int direction) {
    return changeMatrixLines(direction, true);
}

bool CKwEESheet::RemoveMatrixLine(int direction) {
    return changeMatrixLines(direction, false);
}

bool CKwEESheet::changeMatrixLines(int direction, bool add) {
    if (!m_eq || !GetEquationCaret(m_eq)) return false;
    PushUndo(true);
    const MatrixLineResult result =
        add ? toliva::AddMatrixLine(m_eq, m_sel, direction) : toliva::RemoveMatrixLine(m_eq, m_sel, direction);
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
    return result == MatrixLineResult::Done;
}

void CKwEESheet::OnEscape() {
    ResetFindMarks(true);
    ClearSelection(true);
    Refresh(-1);
}

bool CKwEESheet::ClassifyChar(uint16_t ch) {
    EqElement* caret = GetEquationCaret(m_eq);
    m_pendingKey = PendingKey{0, 0};
    if (caret && caret->type != EqTypeCharText) {
        int32_t mapped = 0;
        if (m_app.option(OptAutoBrackets)) {
            if (ch == '(' || ch == ')') mapped = 337;
            else if (ch == '[' || ch == ']') mapped = 338;
            else if (ch == '{' || ch == '}') mapped = 339;
        }
        if (!mapped) {
            if (ch == ' ') mapped = EqTypeSpaceThird;
            else if (ch == '+') mapped = 1042;
            else if (ch == '-') mapped = 1043;
            else if (ch == '<') mapped = 1060;
            else if (ch == '>') mapped = 1061;
        }
        if (mapped) {
            m_pendingKey = PendingKey{mapped, 0};
            return true;
        }
    }
    if (ch < 32) return false;
    m_pendingKey = PendingKey{typingType, ch};
    return true;
}

void CKwEESheet::InsertTypedKey() {
    // A run of characters of one style typed in a row is one undo step. A
    // key that replaces a selection starts a step of its own (its snapshot
    // must hold what the selection covered).
    const bool sameRun = m_pendingKey.type == m_lastKey.type && isCharacterType(m_pendingKey.type) &&
                         m_pendingKey.type <= 5 && !m_sel.exists();
    if (sameRun) m_undo.recording = false;
    const PendingKey pending = m_pendingKey;
    PushUndo(SelectionScope() == 2);
    m_undo.recording = true;
    m_lastKey = pending;
    InsertionKey k;
    k.type = pending.type;
    k.ch = pending.ch;
    // A typed "+", "-" or "=" becomes its operator, and so the pending key.
    const InsertionKey normal = NormalizeKey(k);
    m_pendingKey = PendingKey{normal.type, normal.ch};
    insertAtCaret(normal);
}

}  // namespace toliva
