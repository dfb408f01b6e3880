#include "sheet/SheetScript.h"

#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QWheelEvent>

namespace toliva {

void ShowSheetOffscreen(CKwEESheet& sheet, QSize size, EqModel* eq) {
    sheet.setAttribute(Qt::WA_DontShowOnScreen);
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

// Names QKeySequence does not spell the same way.
QString canonicalKeyName(QString name) {
    static const std::pair<const char*, const char*> kAliases[] = {
        {"Delete", "Del"}, {"Escape", "Esc"}, {"Enter", "Return"}, {"PageUp", "PgUp"}, {"PageDown", "PgDown"}};
    QStringList parts = name.split(QLatin1Char('+'));
    QString& last = parts.last();
    for (const auto& [from, to] : kAliases)
        if (last.compare(QLatin1String(from), Qt::CaseInsensitive) == 0) last = QLatin1String(to);
    return parts.join(QLatin1Char('+'));
}

// The text a key press carries: the character of a printable key without
// Ctrl or Alt.
QString keyText(int key, Qt::KeyboardModifiers mods) {
    if (mods & (Qt::ControlModifier | Qt::AltModifier)) return {};
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return QStringLiteral("\r");
    if (key == Qt::Key_Tab) return QStringLiteral("\t");
    if (key == Qt::Key_Backspace) return QStringLiteral("\b");
    if (key == Qt::Key_Escape) return QString(QChar(27));
    if (key >= 0x20 && key < 0x7F) {
        QChar c(key);
        return QString((mods & Qt::ShiftModifier) ? c : c.toLower());
    }
    return {};
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
        QKeyEvent e(QEvent::KeyPress, k, mods, text);
        QCoreApplication::sendEvent(&m_sheet, &e);
        QKeyEvent up(QEvent::KeyRelease, k, mods, text);
        QCoreApplication::sendEvent(&m_sheet, &up);
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
    if (verb == u"key") {
        if (args.size() != 1) return fail(QStringLiteral("key needs one key name"));
        const QKeySequence seq = QKeySequence::fromString(canonicalKeyName(args[0]), QKeySequence::PortableText);
        if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown)
            return fail(QStringLiteral("unknown key: %1").arg(args[0]));
        const int k = seq[0].key();
        const Qt::KeyboardModifiers mods = seq[0].keyboardModifiers();
        key(k, mods, keyText(k, mods));
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
