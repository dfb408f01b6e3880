#include "EqDump.h"

#include "EqModel.h"
#include "GlyphOutline.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <vector>

namespace toliva {
namespace {

QString num(float f) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, f);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString hex(uint32_t v, int width) { return QStringLiteral("%1").arg(v, width, 16, QLatin1Char('0')).toUpper(); }

QString quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

QString settingsChanges(const EqLayoutSettings& s) {
    EqLayoutSettings d;
    SetDefaultLayoutSettings(d);
    QStringList out;
    for (size_t i = 0; i < s.spacing.size(); ++i)
        if (s.spacing[i] != d.spacing[i]) out << QStringLiteral("spacing[%1]=%2").arg(i).arg(num(s.spacing[i]));
    for (size_t i = 0; i < s.options.size(); ++i)
        if (i != EqLayoutSettings::OptVersion && s.options[i] != d.options[i])
            out << QStringLiteral("options[%1]=%2").arg(i).arg(s.options[i]);
    for (size_t i = 0; i < s.ints.size(); ++i)
        if (s.ints[i] != d.ints[i]) out << QStringLiteral("ints[%1]=%2").arg(i).arg(s.ints[i]);
    for (size_t i = 0; i < s.colours.size(); ++i)
        if (s.colours[i] != d.colours[i]) out << QStringLiteral("colours[%1]=%2").arg(i).arg(hex(s.colours[i], 8));
    return out.join(QLatin1Char(' '));
}

QString glyphText(const GlyphOutline& g) {
    QString t = QStringLiteral("glyph(points=%1").arg(g.count);
    if (!g.points.empty()) {
        QStringList pts;
        for (size_t i = 0; i < g.points.size(); ++i) {
            const int type = i < g.types.size() ? g.types[i] : 0;
            pts << QStringLiteral("%1,%2/%3").arg(num(g.points[i].x), num(g.points[i].y)).arg(type);
        }
        t += QStringLiteral(" [") + pts.join(QLatin1Char(' ')) + QLatin1Char(']');
    }
    t += QStringLiteral(" m=%1,%2,%3,%4,%5").arg(num(g.m[0]), num(g.m[1]), num(g.m[2]), num(g.m[3]), num(g.m[4]));
    t += QStringLiteral(" scale=%1 stroke=%2 colour=%3 char=%4)")
             .arg(num(g.scale))
             .arg(g.strokeOnly)
             .arg(hex(g.colour, 8))
             .arg(g.charCode);
    return t;
}

QString elementText(const EqElement& e) {
    QString t = QStringLiteral("type=%1 ch=%2").arg(e.type).arg(hex(e.ch, 4));
    if (e.ch >= 0x20 && e.ch != 0x7F && !QChar::isSurrogate(e.ch))
        t += QStringLiteral(" '") + QChar(e.ch) + QLatin1Char('\'');
    t += QStringLiteral(" colour=") + hex(e.colour, 8);
    if (e.phantom) t += QStringLiteral(" phantom=") + hex(uint8_t(e.phantom), 2);
    if (e.alignMark) t += QStringLiteral(" align");
    if (e.mark) t += QStringLiteral(" mark");
    if (e.mark2) t += QStringLiteral(" mark2");
    if (!e.payload.empty()) {
        QStringList bytes;
        for (uint8_t b : e.payload) bytes << hex(b, 2);
        t += QStringLiteral(" payload=") + bytes.join(QLatin1Char(' '));
    }
    if (e.glyph) t += QLatin1Char(' ') + glyphText(*e.glyph);
    return t;
}

// Walks the tree in stream order without recursion: an element, its child
// chains in order, then the element after it.
void dumpLine(const EqElement* head, QString& out) {
    struct Item {
        const EqElement* e;  // an element, or the owner of argument arg
        int depth;
        int arg;  // -1 for an element
    };
    std::vector<Item> stack{{head, 1, -1}};
    while (!stack.empty()) {
        const Item it = stack.back();
        stack.pop_back();
        const QString indent(it.depth * 2, QLatin1Char(' '));
        if (it.arg >= 0) {
            out += indent + QStringLiteral("arg %1\n").arg(it.arg);
            stack.push_back({it.e->children[size_t(it.arg)], it.depth + 1, -1});
            continue;
        }
        out += indent + elementText(*it.e) + QLatin1Char('\n');
        if (it.e->next) stack.push_back({it.e->next, it.depth, -1});
        for (size_t i = it.e->children.size(); i-- > 0;) stack.push_back({it.e, it.depth + 1, int(i)});
    }
}

int indexInChain(const EqElement* e) {
    int i = 0;
    for (; e->prev; e = e->prev) ++i;
    return i;
}

QString caretText(const EqModel& eq) {
    QStringList parts;
    for (const EqElement* e = eq.caret; e;) {
        const int elem = indexInChain(e);
        const EqElement* head = e;
        while (head->prev) head = head->prev;
        const EqElement* parent = head->parent;
        const auto& list = parent ? parent->children : eq.lines;
        const auto found = std::find(list.begin(), list.end(), head);
        if (found == list.end()) return QStringLiteral("caret detached");
        parts.prepend(QStringLiteral("elem %1").arg(elem));
        parts.prepend(QString::fromLatin1(parent ? "arg %1" : "line %1").arg(found - list.begin()));
        e = parent;
    }
    return QStringLiteral("caret ") + parts.join(QLatin1Char(' '));
}

}  // namespace

QString DumpEquation(const EqModel& eq) {
    const EqLayoutSettings& s = eq.settings;
    QString out = QStringLiteral("version %1\n").arg(s.options[EqLayoutSettings::OptVersion]);
    out += QStringLiteral("font %1 %2 size %3 min %4\n")
               .arg(quoted(s.fontName), quoted(s.fontName2), num(s.fontSize), num(s.size2));
    const QString changes = settingsChanges(s);
    if (!changes.isEmpty()) out += QStringLiteral("changed ") + changes + QLatin1Char('\n');
    for (size_t i = 0; i < eq.lines.size(); ++i) {
        out += QStringLiteral("line %1\n").arg(i);
        dumpLine(eq.lines[i], out);
    }
    if (eq.caret) out += caretText(eq) + QLatin1Char('\n');
    return out;
}

}  // namespace toliva
