// The keyboard and the input method.
//
// Every key reaches the sheet as a message in the window system's terms
// (KeyMessage: a key-down or key-up with its virtual-key code, a typed
// character, an input-method composition) and passes HandleKeyMessage, which
// offers it, in this order, to the TeX prompt bar, the built-in keys and
// shortcuts, the user's hotkey table and the Alt colour keys: a user hotkey
// never overrides a built-in key. A Qt key press becomes a key-down first;
// only when nothing took it are its characters typed, as the window system
// would make them of the key (Ctrl with a letter gives a control character).
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/ElementWork.h"
#include "sheet/editing/VirtualKeys.h"
#include "uikit/KitDialogs.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <array>
#include <cmath>

namespace toliva {

namespace {

// The custom colours of the Alt colour keys.
constexpr int kColourKeyGroup = 14;

// The help document of F1, in the program's help folder.
const QString kHelpDocument = QStringLiteral("Help.pdf");

// Curly quotes that straight quotes become in text mode, opening and closing.
constexpr uint16_t kDoubleQuotes[2] = {0x201C, 0x201D};
constexpr uint16_t kSingleQuotes[2] = {0x2018, 0x2019};

bool isModifierKey(int code) { return code == vk::Shift || code == vk::Control || code == vk::Menu; }

int combinationOf(const CKwEESheet::KeyMessage& m) {
    return m.vk | (m.ctrl ? kCtrlKeyFlag : 0) | (m.shift ? kShiftKeyFlag : 0) | (m.alt ? kAltKeyFlag : 0);
}

// The characters the window system makes of a key that no key handling took.
// Alt with a key makes none (a system key); Ctrl with a letter or with one
// of [ \ ] ^ _ its control character; otherwise the key's text, or the
// control character of Backspace, Tab, Enter and Esc. Ctrl+Alt (a third
// level on some layouts) keeps its text. Delete (0x7F) is never typed.
QString charactersOfKey(int code, bool ctrl, bool shift, bool alt, const QString& text) {
    if (alt && !ctrl) return {};
    if (ctrl && !alt) {
        int c = 0;
        if (code >= 'A' && code <= 'Z') c = code - 0x40;
        else if (code == vk::Oem4) c = 27;
        else if (code == vk::Oem5) c = 28;
        else if (code == vk::Oem6) c = 29;
        else if (shift && code == vk::digit(6)) c = 30;
        else if (shift && code == vk::OemMinus) c = 31;
        else if (code == vk::Return) c = 10;
        return c ? QString(QChar(c)) : QString();
    }
    if (!ctrl) {
        switch (code) {
        case vk::Back: return QString(QChar(8));
        case vk::Tab: return QString(QChar(9));
        case vk::Return: return QString(QChar(13));
        case vk::Escape: return QString(QChar(27));
        default: break;
        }
    }
    QString out;
    for (QChar c : text)
        if (c.unicode() >= 32 && c.unicode() != 0x7F) out += c;
    return out;
}

// The tile sheet's item hot keys behind the sheet's hook.
class TileHook final : public TileHotkeys {
public:
    explicit TileHook(const std::function<bool(int, bool, bool, bool)>& hook) : m_hook(hook) {}
    bool takeKey(uint16_t itemHotkeyId, bool ctrl, bool shift, bool alt) override {
        return m_hook && m_hook(itemHotkeyId, ctrl, shift, alt);
    }
    void clearShortcuts() override {}

private:
    const std::function<bool(int, bool, bool, bool)>& m_hook;
};

}  // namespace

// ---- Qt events to messages

void CKwEESheet::keyPressEvent(QKeyEvent* event) {
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (HandleKeyPress(event->key(), event->modifiers(), event->text(), keypad)) event->accept();
    else QWidget::keyPressEvent(event);
}

void CKwEESheet::keyReleaseEvent(QKeyEvent* event) {
    // A held key repeats its key-down only: the window system sends no
    // key-up between the repeats.
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (HandleKeyRelease(event->key(), event->modifiers(), keypad)) event->accept();
    else QWidget::keyReleaseEvent(event);
}

bool CKwEESheet::HandleKeyPress(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text, bool keypad) {
    if (!m_eq) return false;
    KeyMessage down;
    down.kind = KeyMessage::KeyDown;
    down.vk = std::max(VirtualKeyFromQt(qtKey, keypad), vk::None);
    // A modifier key is held while its own key-down is handled.
    down.ctrl = (modifiers & Qt::ControlModifier) || down.vk == vk::Control;
    down.shift = (modifiers & Qt::ShiftModifier) || down.vk == vk::Shift;
    down.alt = (modifiers & Qt::AltModifier) || down.vk == vk::Menu;
    if (HandleKeyMessage(down)) return true;
    bool used = false;
    for (QChar c : charactersOfKey(down.vk, down.ctrl, down.shift, down.alt, text)) {
        KeyMessage typed = down;
        typed.kind = KeyMessage::Char;
        typed.vk = 0;
        typed.ch = c.unicode();
        used = HandleKeyMessage(typed) || used;
        if (!m_eq) break;
    }
    return used;
}

bool CKwEESheet::HandleKeyRelease(int qtKey, Qt::KeyboardModifiers modifiers, bool keypad) {
    KeyMessage up;
    up.kind = KeyMessage::KeyUp;
    up.vk = std::max(VirtualKeyFromQt(qtKey, keypad), vk::None);
    // The released modifier key is up now.
    up.ctrl = (modifiers & Qt::ControlModifier) && up.vk != vk::Control;
    up.shift = (modifiers & Qt::ShiftModifier) && up.vk != vk::Shift;
    up.alt = (modifiers & Qt::AltModifier) && up.vk != vk::Menu;
    return HandleKeyMessage(up);
}

// ---- the message order

bool CKwEESheet::HandleKeyMessage(const KeyMessage& m) {
    if (!m_eq) return false;
    // The TeX prompt bar sees every key-down first.
    if (m.kind == KeyMessage::KeyDown && m_host->PromptBarKeyDown(m.vk, m.ctrl, m.shift, m.alt)) return true;

    auto matchHotkey = [this](int code, const KeyMessage& msg) {
        TileHook tiles(tileHotkey);
        return m_hotkeys->Match(code, msg.ctrl, msg.shift, msg.alt, &tiles,
                                [this](const SymbolKey& key) { ExecuteSymbolKey(key, false); });
    };

    switch (m.kind) {
    case KeyMessage::Char:
        if (!ClassifyChar(m.ch)) {
            // A control character: offered to the hotkeys with its code as
            // the key code, and taken whatever they do.
            matchHotkey(m.ch, m);
            m_lastKey = PendingKey{};
            return true;
        }
        if (m_pendingKey.type > 0) {
            InsertTypedKey();
            Refresh(0);
            EnsureCaretVisible();
            UpdateTeXPrompt();
        }
        m_lastKey = m_pendingKey;
        return true;

    case KeyMessage::KeyUp: return OnKeyUp(m);

    case KeyMessage::KeyDown:
        if (!OnKeyDown(m)) {
            bool used = matchHotkey(m.vk, m);
            if (!used && m.alt) used = OnAltColourKey(m.ctrl, m.shift, m.vk);
            if (!used) return false;
            m_lastKey = PendingKey{};
            return true;
        }
        if (m_pendingKey.type > 0) {
            InsertTypedKey();
            Refresh(0);
        }
        m_lastKey = m_pendingKey;
        return true;

    case KeyMessage::ImeComposition:
        if (GetEquationCaret(m_eq)) {
            m_host->ShowPromptBar(QString(), 0);
            // The input method places its window at the caret (inputMethodQuery).
            if (hasFocus())
                if (QInputMethod* im = QGuiApplication::inputMethod()) im->update(Qt::ImCursorRectangle);
        }
        return false;

    case KeyMessage::Other: return false;
    }
    return false;
}

// ---- built-in keys

bool CKwEESheet::OnKeyDown(const KeyMessage& m) {
    EqElement* caret = GetEquationCaret(m_eq);
    // A key-down types nothing: the character typed before it is not
    // inserted again when the key is taken early.
    m_pendingKey.type = 0;
    // The Alt tap: a modifier key going down with nothing else pending
    // remembers where the caret is; any other key spoils the tap.
    if (isModifierKey(m.vk)) {
        if (m_altTapState == 0) {
            m_altTapState = 2;
            m_altTapCaret = caret;
            return false;
        }
    } else {
        m_altTapState = 1;
    }
    if (m.vk == vk::Apps) {
        ShowContextMenu(GetCaretScreenPoint());
        return true;
    }
    m_lastKey.ch = uint16_t(m.vk);
    const int combination = combinationOf(m);
    // A bare V right after a key-down of the bare Ctrl key pastes.
    const bool afterBareCtrl = m_prevBareCtrl;
    m_prevBareCtrl = combination == (vk::Control | kCtrlKeyFlag);
    if (combination == vk::letter('V') && afterBareCtrl) {
        ExecuteCommand(CMD_PASTE);
        return true;
    }
    if (OnShortcutKey(combination)) return true;

    constexpr int S = kShiftKeyFlag, C = kCtrlKeyFlag;
    switch (combination) {
    case vk::F1: OpenHelpDocument(kHelpDocument); return true;
    case vk::function(2): ForwardFrameCommand(ID_FILE_SAVE); return true;
    case vk::function(4): m_host->OpenUserSymbolPanel(); return true;
    case vk::function(7): ExecuteCommand(CMD_TOGGLE_LIBRARY_PANEL); return true;
    case vk::function(5):
    case vk::function(6):
        if (!m_app.option(OptAutoCalc)) return false;
        ExecuteCommand(combination == vk::function(5) ? CMD_CALC_LINE : CMD_CALC_ALL);
        return true;
    case C | vk::Tab: ExecuteCommand(CMD_TOGGLE_LATEX_MODE); return true;
    case C | vk::Return: CloseIfEmbedded(); return true;
    case C | vk::function(3): ExecuteCommand(CMD_FIND_REPLACE); return true;
    case vk::Escape: OnEscape(); return true;
    case vk::function(3): MarkOccurrences(); return true;
    default: break;
    }

    // The keys that work at the caret.
    if (!caret) return false;
    const bool shift = m.shift;
    switch (combination) {
    case vk::Back: deleteAtCaret(false); return true;
    case vk::Delete: deleteAtCaret(true); return true;
    case vk::Tab: moveCaretByKey(CaretTab(caret), false); return true;
    case vk::Return:
    case S | vk::Return: OnEnterKey(shift); return true;
    case vk::Home:
    case S | vk::Home: moveCaretByKey(CaretHome(caret), shift); return true;
    case vk::End:
    case S | vk::End: moveCaretByKey(CaretEnd(caret), shift); return true;
    case vk::Left:
    case S | vk::Left: moveCaretByKey(CaretLeft(m_eq, caret, shift), shift); return true;
    case vk::Right:
    case S | vk::Right: moveCaretByKey(CaretRight(m_eq, caret, shift), shift); return true;
    case vk::Up:
    case S | vk::Up: moveCaretByKey(CaretUp(m_eq, caret), shift); return true;
    case vk::Down:
    case S | vk::Down: moveCaretByKey(CaretDown(m_eq, caret), shift); return true;
    case C | vk::Home:
    case C | vk::End:
        ClearSelection(true);
        m_sel.anchor = nullptr;
        moveCaretByKey(m.vk == vk::Home ? DocumentStart(m_eq) : DocumentEnd(m_eq), false);
        return true;
    default: return false;
    }
}

bool CKwEESheet::OnShortcutKey(int combination) {
    constexpr int C = kCtrlKeyFlag, S = kShiftKeyFlag, A = kAltKeyFlag;
    if (combination >= (C | vk::digit(1)) && combination <= (C | vk::digit(6))) {
        SetSelectionStyle(kCharStyleTypes[size_t(combination - (C | vk::digit(1)))]);
        return true;
    }
    // Matrix rows and columns: directions 0 to 3 are Left, Up, Right, Down.
    if (combination >= (A | vk::Left) && combination <= (A | vk::Down)) {
        AddMatrixLine(combination - (A | vk::Left));
        return true;
    }
    if (combination >= (C | A | vk::Left) && combination <= (C | A | vk::Down)) {
        RemoveMatrixLine(combination - (C | A | vk::Left));
        return true;
    }
    switch (combination) {
    case C | vk::letter('A'): SelectAll(); return true;
    case C | vk::letter('B'): ToggleBold(); return true;
    case C | vk::letter('C'): ExecuteCommand(CMD_COPY); return true;
    case C | vk::letter('G'): m_greekOneShot = !m_greekOneShot; return true;
    case C | vk::letter('I'): ToggleItalic(); return true;
    case C | vk::letter('M'): ExecuteCommand(CMD_COPY_MATHML); return true;
    case C | vk::letter('N'): ForwardFrameCommand(ID_FILE_NEW); return true;
    case C | vk::letter('S'): ForwardFrameCommand(ID_FILE_SAVE); return true;
    case C | vk::letter('T'): ExecuteCommand(CMD_COPY_LATEX); return true;
    case C | vk::letter('V'): ExecuteCommand(CMD_PASTE); return true;
    case C | vk::letter('W'): m_host->CloseMainWindow(); return true;
    case C | vk::letter('X'): ExecuteCommand(CMD_CUT); return true;
    case C | vk::letter('Y'): Redo(); return true;
    case C | vk::letter('Z'): Undo(); return true;
    case C | S | vk::letter('C'): ExecuteCommand(CMD_COPY_PICTURE); return true;
    case C | S | vk::letter('V'): ExecuteCommand(CMD_PASTE_TEXT); return true;
    case A | vk::Return: ExecuteCommand(CMD_EQUATION_TO_TEX); return true;
    default: return false;
    }
}

bool CKwEESheet::OnKeyUp(const KeyMessage& m) {
    // Alt pressed and released with no other key between, the caret where it
    // was: the caret's or the selection's characters toggle upright/italic.
    const bool tap = !m_app.option(OptNoAltTap) && m_altTapState == 2 && m.vk == vk::Menu &&
                     m_altTapCaret == GetEquationCaret(m_eq);
    m_altTapState = 0;
    m_altTapCaret = nullptr;
    if (!tap) return false;
    SetSelectionStyle(-1);
    return true;
}

bool CKwEESheet::OnAltColourKey(bool ctrl, bool shift, int key) {
    if (ctrl || shift) return false;
    if (key >= vk::digit(1) && key <= vk::digit(9)) {
        CustomColours colours{};
        LoadCustomColours(QString::fromLatin1(kCustomColourKey), colours, kColourKeyGroup);
        SetSelectionColour(gp::ArgbFromColorref(colours[size_t(key - vk::digit(1))]));
        return true;
    }
    if (key == vk::Oem3) {
        SetSelectionColour(m_eq->settings.colours[EqLayoutSettings::ColourText]);
        return true;
    }
    return false;
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

// ---- typed characters

bool CKwEESheet::ClassifyChar(uint16_t ch) {
    EqElement* caret = GetEquationCaret(m_eq);
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
    m_pendingKey = PendingKey{typingType, ch};
    return ch >= 32;
}

uint16_t CKwEESheet::GreekLetterFor(uint16_t ch) {
    static constexpr std::array<uint16_t, 26> kLower = {
        945, 946, 967, 948, 949, 981, 947, 951, 953, 966, 954, 955, 956,  // a .. m
        957, 959, 960, 952, 961, 963, 964, 965, 982, 969, 958, 968, 950,  // n .. z
    };
    if (ch >= 'a' && ch <= 'z') return kLower[size_t(ch - 'a')];
    switch (ch) {
    case 'D': return 916;
    case 'F': return 934;
    case 'G': return 915;
    case 'J': return 977;
    case 'L': return 923;
    case 'P': return 928;
    case 'Q': return 920;
    case 'S': return 931;
    case 'V': return 962;
    case 'W': return 937;
    case 'X': return 926;
    case 'Y': return 936;
    default: return ch;
    }
}

void CKwEESheet::InsertTypedKey() {
    // A run of characters of one style typed in a row is one undo step. A
    // key that replaces a selection starts a step of its own (its snapshot
    // must hold what the selection covered).
    const PendingKey pending = m_pendingKey;
    const bool sameRun = pending.type == m_lastKey.type && pending.type >= 1 && pending.type <= 5 && !m_sel.exists();
    if (sameRun) m_undo.recording = false;
    PushUndo(SelectionScope() == 2);
    m_undo.recording = true;
    m_lastKey = pending;

    InsertionKey k;
    k.type = pending.type;
    k.ch = pending.ch;
    if (k.type >= 1 && k.type <= 4) {
        // The equation's first flag byte is its text mode: straight quotes
        // become opening and closing quotes in turn.
        const bool textMode = m_eq->flag0 == 1;
        if (textMode && (k.ch == '"' || k.ch == '\'')) {
            const uint16_t* quotes = k.ch == '"' ? kDoubleQuotes : kSingleQuotes;
            k.ch = quotes[m_quoteToggle ? 1 : 0];
            m_quoteToggle = !m_quoteToggle;
        } else if (!textMode && m_greekOneShot) {
            k.ch = GreekLetterFor(k.ch);
        }
    }
    // A typed "+", "-" or "=" becomes its operator, and so the pending key.
    const InsertionKey normal = NormalizeKey(k);
    m_pendingKey = PendingKey{normal.type, normal.ch};
    CalcAfterInsertion(insertAtCaret(normal));
    m_greekOneShot = false;
}

// ---- the input method

void CKwEESheet::inputMethodEvent(QInputMethodEvent* event) {
    KeyMessage composition;
    composition.kind = KeyMessage::ImeComposition;
    HandleKeyMessage(composition);
    if (!event->commitString().isEmpty()) CommitInputText(event->commitString());
    SetPreeditText(event->preeditString());
    event->accept();
}

void CKwEESheet::CommitInputText(const QString& text) {
    for (QChar c : text) {
        KeyMessage typed;
        typed.kind = KeyMessage::Char;
        typed.ch = c.unicode();
        HandleKeyMessage(typed);
    }
}

void CKwEESheet::SetPreeditText(const QString& text) {
    if (text == m_preedit) return;
    m_preedit = text;
    m_backend->invalidate(QRect());
}

QVariant CKwEESheet::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: {
        // The input method's window goes under this rectangle: at the lower
        // right corner of the caret element.
        const EqElement* caret = m_eq ? GetEquationCaret(m_eq) : nullptr;
        if (!caret) return ComputeCaretGeometry().bar;
        auto px = [](double v) { return std::isfinite(v) ? int(std::lround(std::clamp(v, -1.0e7, 1.0e7))) : 0; };
        const int right = px(caret->rect.x + caret->rect.width);
        const int top = px(caret->rect.y);
        const int bottom = px(caret->rect.y + caret->rect.height);
        return QRect(right, top, 1, std::max(1, bottom - top));
    }
    default: return QWidget::inputMethodQuery(query);
    }
}

}  // namespace toliva
