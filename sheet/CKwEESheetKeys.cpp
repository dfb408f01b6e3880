// The keyboard and the input method.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/ElementWork.h"

#include <QKeyEvent>

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

// ---- keys

void CKwEESheet::keyPressEvent(QKeyEvent* event) {
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (HandleKeyPress(event->key(), event->modifiers(), event->text(), keypad)) event->accept();
    else QWidget::keyPressEvent(event);
}

bool CKwEESheet::HandleKeyPress(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text, bool keypad) {
    if (!m_eq) return false;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool alt = modifiers & Qt::AltModifier;
    // The built-in keys first: user hotkeys never override them.
    if (legacyKeyDown(qtKey, ctrl, shift, alt)) {
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

bool CKwEESheet::legacyKeyDown(int qtKey, bool ctrl, bool shift, bool alt) {
    m_pendingKey.type = 0;
    if (legacyShortcut(qtKey, ctrl, shift, alt)) return true;
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

bool CKwEESheet::legacyShortcut(int qtKey, bool ctrl, bool shift, bool alt) {
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

namespace toliva {

void CKwEESheet::keyReleaseEvent(QKeyEvent* event) { QWidget::keyReleaseEvent(event); }

void CKwEESheet::inputMethodEvent(QInputMethodEvent* event) { QWidget::inputMethodEvent(event); }

QVariant CKwEESheet::inputMethodQuery(Qt::InputMethodQuery query) const { return QWidget::inputMethodQuery(query); }

}  // namespace toliva
