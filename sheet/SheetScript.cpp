#include "sheet/SheetScript.h"

#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QWheelEvent>

namespace toliva {

void ShowSheetOffscreen(CKwEESheet& sheet, QSize size, EqModel* eq) {
    sheet.setAttribute(Qt::WA_DontShowOnScreen);
    // Off the screen no one can answer a menu: one that opens is closed at
    // once with nothing chosen, unless the caller tracks menus itself.
    if (!sheet.trackMenu) sheet.trackMenu = [](CKwMenu&, QPoint) { return 0u; };
    sheet.resize(size);
    sheet.show();
    sheet.SetEquation(eq);
    sheet.ShowFirstPicture();
}

namespace {

bool parsePoint(const QString& text, QPoint* out) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2) return false;
    bool okX = false, okY = false;
    const int x = parts[0].trimmed().toInt(&okX);
    const int y = parts[1].trimmed().toInt(&okY);
    if (!okX || !okY) return false;
    *out = QPoint(x, y);
    return true;
}

bool parseInt(const QString& text, int* out) {
    bool ok = false;
    const int v = text.toInt(&ok, 0);
    if (ok) *out = v;
    return ok;
}

// One key of a US keyboard: its Qt key, the Qt key and text it has with
// Shift, and whether it is on the keypad.
struct KeyDef {
    int key = Qt::Key_unknown;
    QString text;
    int shiftedKey = 0;  // 0: the same key
    QString shiftedText;
    bool keypad = false;
};

// The printable keys of the main block: unshifted and shifted characters.
constexpr std::pair<char, char> kPrintableKeys[] = {
    {'1', '!'}, {'2', '@'}, {'3', '#'}, {'4', '$'}, {'5', '%'}, {'6', '^'}, {'7', '&'},  {'8', '*'},
    {'9', '('}, {'0', ')'}, {'-', '_'}, {'=', '+'}, {'[', '{'}, {']', '}'}, {'\\', '|'}, {';', ':'},
    {'\'', '"'}, {',', '<'}, {'.', '>'}, {'/', '?'}, {'`', '~'},
};

KeyDef printableKey(char base) {
    for (const auto& [plain, shifted] : kPrintableKeys)
        if (plain == base)
            return {int(plain), QString(QChar(plain)), int(shifted), QString(QChar(shifted)), false};
    return {};
}

// The key a script names (without its prefixes); false when there is none.
bool keyByName(const QString& name, KeyDef* out) {
    if (name.size() == 1) {
        const QChar c = name.at(0);
        if (c.isLetter() && c.unicode() < 128) {
            const char lower = char(c.toLower().unicode());
            *out = {Qt::Key_A + (lower - 'a'), QString(QChar(lower)), 0, QString(QChar(lower)).toUpper(), false};
            return true;
        }
        const KeyDef printable = printableKey(char(c.unicode() < 128 ? c.unicode() : 0));
        if (printable.key != Qt::Key_unknown) {
            *out = printable;
            return true;
        }
        return false;
    }
    auto is = [&name](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    // Function keys.
    if (name.size() <= 3 && (name.at(0) == u'F' || name.at(0) == u'f')) {
        bool ok = false;
        const int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 24) {
            *out = {Qt::Key_F1 + n - 1, {}, 0, {}, false};
            return true;
        }
    }
    // The keypad.
    if (name.startsWith(QLatin1String("Num"), Qt::CaseInsensitive) && name.size() > 3) {
        const QString rest = name.mid(3);
        if (rest.size() == 1 && rest.at(0).isDigit()) {
            const int d = rest.at(0).digitValue();
            *out = {Qt::Key_0 + d, rest, 0, rest, true};
            return true;
        }
        struct Pad {
            const char* name;
            int key;
            char text;
        };
        static constexpr Pad kPad[] = {{"Multiply", Qt::Key_Asterisk, '*'}, {"Add", Qt::Key_Plus, '+'},
                                       {"Subtract", Qt::Key_Minus, '-'},    {"Decimal", Qt::Key_Period, '.'},
                                       {"Divide", Qt::Key_Slash, '/'},      {"Enter", Qt::Key_Enter, '\r'}};
        for (const Pad& p : kPad)
            if (rest.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0) {
                *out = {p.key, QString(QChar(p.text)), 0, QString(QChar(p.text)), true};
                return true;
            }
        return false;
    }
    struct Named {
        const char* name;
        int key;
        char printable;  // a printable key of the main block, else 0
        char text;       // the control character the key types, else 0
    };
    static constexpr Named kNamed[] = {
        {"Left", Qt::Key_Left, 0, 0},         {"Right", Qt::Key_Right, 0, 0},
        {"Up", Qt::Key_Up, 0, 0},             {"Down", Qt::Key_Down, 0, 0},
        {"Home", Qt::Key_Home, 0, 0},         {"End", Qt::Key_End, 0, 0},
        {"PageUp", Qt::Key_PageUp, 0, 0},     {"PgUp", Qt::Key_PageUp, 0, 0},
        {"PageDown", Qt::Key_PageDown, 0, 0}, {"PgDown", Qt::Key_PageDown, 0, 0},
        {"Insert", Qt::Key_Insert, 0, 0},     {"Ins", Qt::Key_Insert, 0, 0},
        {"Delete", Qt::Key_Delete, 0, 0x7F},  {"Del", Qt::Key_Delete, 0, 0x7F},
        {"Backspace", Qt::Key_Backspace, 0, '\b'}, {"Tab", Qt::Key_Tab, 0, '\t'},
        {"Enter", Qt::Key_Return, 0, '\r'},   {"Return", Qt::Key_Return, 0, '\r'},
        {"Esc", Qt::Key_Escape, 0, 0x1B},     {"Escape", Qt::Key_Escape, 0, 0x1B},
        {"Space", Qt::Key_Space, 0, ' '},     {"Apps", Qt::Key_Menu, 0, 0},
        {"Menu", Qt::Key_Menu, 0, 0},         {"Alt", Qt::Key_Alt, 0, 0},
        {"Ctrl", Qt::Key_Control, 0, 0},      {"Control", Qt::Key_Control, 0, 0},
        {"Shift", Qt::Key_Shift, 0, 0},       {"Backquote", 0, '`', 0},
        {"Minus", 0, '-', 0},                 {"Equal", 0, '=', 0},
        {"BracketLeft", 0, '[', 0},           {"BracketRight", 0, ']', 0},
        {"Backslash", 0, '\\', 0},            {"Semicolon", 0, ';', 0},
        {"Quote", 0, '\'', 0},                {"Comma", 0, ',', 0},
        {"Period", 0, '.', 0},                {"Slash", 0, '/', 0},
    };
    for (const Named& n : kNamed) {
        if (!is(n.name)) continue;
        if (n.printable) {
            *out = printableKey(n.printable);
        } else {
            const QString text = n.text ? QString(QChar(n.text)) : QString();
            *out = {n.key, text, 0, text, false};
        }
        return true;
    }
    return false;
}

Qt::KeyboardModifier modifierOfKey(int key) {
    switch (key) {
    case Qt::Key_Control: return Qt::ControlModifier;
    case Qt::Key_Shift: return Qt::ShiftModifier;
    case Qt::Key_Alt: return Qt::AltModifier;
    default: return Qt::NoModifier;
    }
}

// "Ctrl+Shift+X": the key and the modifiers of its prefixes.
bool parseKey(const QString& text, KeyDef* key, Qt::KeyboardModifiers* modifiers) {
    QStringList parts = text.split(QLatin1Char('+'));
    // "Ctrl++" names the key "+" ... which is Shift+= on a US keyboard; a
    // trailing empty part is no key.
    if (parts.isEmpty() || parts.last().isEmpty()) return false;
    const QString name = parts.takeLast();
    Qt::KeyboardModifiers mods;
    for (const QString& p : parts) {
        if (p.compare(QLatin1String("Ctrl"), Qt::CaseInsensitive) == 0) mods |= Qt::ControlModifier;
        else if (p.compare(QLatin1String("Shift"), Qt::CaseInsensitive) == 0) mods |= Qt::ShiftModifier;
        else if (p.compare(QLatin1String("Alt"), Qt::CaseInsensitive) == 0) mods |= Qt::AltModifier;
        else return false;
    }
    if (!keyByName(name, key)) return false;
    *modifiers = mods;
    return true;
}

}  // namespace

SheetScript::SheetScript(CKwEESheet& sheet, HeadlessSheetBackend* backend) : m_sheet(sheet), m_backend(backend) {}

SheetScriptResult SheetScript::run(const QString& script) {
    SheetScriptResult result;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString error;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (!runLine(line, &error)) {
            result.ok = false;
            result.line = i + 1;
            result.error = error;
            return result;
        }
        ++result.commands;
    }
    return result;
}

bool SheetScript::runLine(const QString& line, QString* error) {
    const int space = line.indexOf(QLatin1Char(' '));
    const QString verb = space < 0 ? line : line.left(space);
    const QString rest = space < 0 ? QString() : line.mid(space + 1);
    const QStringList args = rest.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    auto mouse = [this](QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(p), QPointF(m_sheet.mapToGlobal(p)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&m_sheet, &e);
    };
    auto key = [this](int k, Qt::KeyboardModifiers mods, const QString& text) {
        QKeyEvent e(QEvent::KeyPress, k, mods | m_held, text);
        QCoreApplication::sendEvent(&m_sheet, &e);
        QKeyEvent up(QEvent::KeyRelease, k, mods | m_held, text);
        QCoreApplication::sendEvent(&m_sheet, &up);
    };
    // One press or release of a named key, as a US keyboard makes it.
    auto namedKey = [this](QEvent::Type type, const KeyDef& def, Qt::KeyboardModifiers mods) {
        const Qt::KeyboardModifier own = modifierOfKey(def.key);
        mods |= m_held;
        // A modifier key is down in its own press and up in its release.
        if (type == QEvent::KeyPress) mods |= own;
        else mods &= ~Qt::KeyboardModifiers(own);
        const bool shifted = mods & Qt::ShiftModifier;
        const int k = shifted && def.shiftedKey ? def.shiftedKey : def.key;
        // Text without Ctrl and Alt only: the sheet makes the control
        // characters of Ctrl keys itself.
        QString text;
        if (!(mods & (Qt::ControlModifier | Qt::AltModifier))) text = shifted ? def.shiftedText : def.text;
        if (def.keypad) mods |= Qt::KeypadModifier;
        // A key event of a modifier key carries the state from before it
        // (QKeyEvent::modifiers() turns that into the state after it).
        QKeyEvent e(type, k, mods ^ own, text);
        QCoreApplication::sendEvent(&m_sheet, &e);
    };

    if (verb == u"type") {
        if (rest.isEmpty()) return fail(QStringLiteral("type needs a text"));
        for (QChar c : rest) {
            const ushort u = c.unicode();
            const int k = u >= 0x20 && u < 0x7F ? c.toUpper().unicode() : int(Qt::Key_unknown);
            key(k, c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c));
        }
        return true;
    }
    if (verb == u"key" || verb == u"press" || verb == u"release") {
        KeyDef def;
        Qt::KeyboardModifiers mods;
        if (args.size() != 1) return fail(QStringLiteral("%1 needs one key name").arg(verb));
        if (!parseKey(args[0], &def, &mods)) return fail(QStringLiteral("unknown key: %1").arg(args[0]));
        const Qt::KeyboardModifier own = modifierOfKey(def.key);
        if (verb != u"release") namedKey(QEvent::KeyPress, def, mods);
        if (verb == u"press") m_held |= own;
        if (verb != u"press") {
            if (verb == u"release") m_held &= ~Qt::KeyboardModifiers(own);
            namedKey(QEvent::KeyRelease, def, mods);
        }
        return true;
    }
    if (verb == u"char") {
        int code = 0;
        if (args.size() != 1 || !parseInt(args[0], &code) || code < 0 || code > 0xFFFF)
            return fail(QStringLiteral("char needs a code from 0 to 65535"));
        CKwEESheet::KeyMessage m;
        m.kind = CKwEESheet::KeyMessage::Char;
        m.ch = uint16_t(code);
        m.ctrl = m_held & Qt::ControlModifier;
        m.shift = m_held & Qt::ShiftModifier;
        m.alt = m_held & Qt::AltModifier;
        m_sheet.HandleKeyMessage(m);
        return true;
    }
    if (verb == u"ime" || verb == u"preedit") {
        if (verb == u"ime" && rest.isEmpty()) return fail(QStringLiteral("ime needs a text"));
        QInputMethodEvent e(verb == u"preedit" ? rest : QString(), {});
        if (verb == u"ime") e.setCommitString(rest);
        QCoreApplication::sendEvent(&m_sheet, &e);
        return true;
    }
    if (verb == u"job" || verb == u"lang") {
        int n = 0;
        if (args.size() != 1 || !parseInt(args[0], &n)) return fail(QStringLiteral("%1 needs a number").arg(verb));
        if (verb == u"job") m_sheet.RunOfficeJob(n);
        else m_sheet.SelectLanguage(n);
        return true;
    }
    if (verb == u"click" || verb == u"dblclick") {
        QPoint p;
        if (args.size() != 1 || !parsePoint(args[0], &p)) return fail(QStringLiteral("%1 needs X,Y").arg(verb));
        mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        if (verb == u"dblclick") {
            mouse(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
            mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        }
        return true;
    }
    if (verb == u"drag") {
        QPoint a, b;
        if (args.size() != 2 || !parsePoint(args[0], &a) || !parsePoint(args[1], &b))
            return fail(QStringLiteral("drag needs X1,Y1 X2,Y2"));
        mouse(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
        constexpr int kSteps = 4;
        for (int i = 1; i <= kSteps; ++i)
            mouse(QEvent::MouseMove, a + (b - a) * i / kSteps, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
        return true;
    }
    if (verb == u"wheel") {
        int notches = 0;
        if (args.isEmpty() || args.size() > 2 || !parseInt(args[0], &notches) || notches < -1000 || notches > 1000)
            return fail(QStringLiteral("wheel needs N (-1000 to 1000) [ctrl|shift]"));
        Qt::KeyboardModifiers mods = Qt::NoModifier;
        if (args.size() == 2) {
            if (args[1] == u"ctrl") mods = Qt::ControlModifier;
            else if (args[1] == u"shift") mods = Qt::ShiftModifier;
            else return fail(QStringLiteral("wheel takes ctrl or shift, not %1").arg(args[1]));
        }
        const QPointF at(m_sheet.width() / 2.0, m_sheet.height() / 2.0);
        QWheelEvent e(at, m_sheet.mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&m_sheet, &e);
        return true;
    }
    if (verb == u"cmd") {
        int code = 0;
        if (args.size() != 1 || !parseInt(args[0], &code)) return fail(QStringLiteral("cmd needs a code"));
        m_sheet.ExecuteCommand(code);
        return true;
    }
    if (verb == u"sym") {
        int kind = 0, code = 0, ch = 0;
        if (args.size() != 3 || !parseInt(args[0], &kind) || !parseInt(args[1], &code) || !parseInt(args[2], &ch) ||
            ch < 0 || ch > 0xFFFF)
            return fail(QStringLiteral("sym needs KIND CODE CHAR"));
        m_sheet.ExecuteSymbolKey(SymbolKey{kind, code, uint16_t(ch)});
        return true;
    }
    if (verb == u"undo" && args.isEmpty()) {
        m_sheet.Undo();
        return true;
    }
    if (verb == u"redo" && args.isEmpty()) {
        m_sheet.Redo();
        return true;
    }
    if (verb == u"size") {
        QPoint p;
        if (args.size() != 1 || !parsePoint(args[0], &p) || p.x() < 1 || p.y() < 1 || p.x() > 8192 || p.y() > 8192)
            return fail(QStringLiteral("size needs W,H (1 to 8192)"));
        m_sheet.resize(p.x(), p.y());
        return true;
    }
    if (verb == u"scroll") {
        QPoint p;
        if (args.size() != 1 || !parsePoint(args[0], &p)) return fail(QStringLiteral("scroll needs X,Y"));
        m_sheet.OnHScroll(ScrollAction::ThumbPosition, p.x());
        m_sheet.OnVScroll(ScrollAction::ThumbPosition, p.y());
        return true;
    }
    if (verb == u"caret" && args.isEmpty()) {
        if (m_backend) m_backend->tick(CKwEESheet::kCaretTimer);
        return true;
    }
    return fail(QStringLiteral("unknown command: %1").arg(line));
}

}  // namespace toliva
