// Helpers of the LaTeX reader tests.
#pragma once

#include "model/EqDump.h"
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"
#include "tests/common/ModelFixtures.h"

#include <QRegularExpression>
#include <QStringList>

namespace toliva::test {

// The lines of an equation in the form of DumpEquation, shortened: no style
// header, no caret, no plain chain heads at the start of lines and
// arguments, no opaque black, and the character shown only for character
// types.
inline QString readerTree(const EqModel& eq) {
    const QStringList lines = DumpEquation(eq).split(QLatin1Char('\n'));
    static const QRegularExpression element(QStringLiteral("^( *)type=(-?\\d+) (ch=[0-9A-F]{4})( '.+?')?(.*)$"));
    QStringList out;
    bool started = false;
    bool chainStart = false;
    for (QString line : lines) {
        if (line.startsWith(QLatin1String("line "))) started = true;
        if (!started || line.startsWith(QLatin1String("caret")) || line.isEmpty()) continue;
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("line ")) || trimmed.startsWith(QLatin1String("arg "))) {
            out << line;
            chainStart = true;
            continue;
        }
        line.remove(QStringLiteral(" colour=FF000000"));
        const QRegularExpressionMatch m = element.match(line);
        if (m.hasMatch()) {
            const int type = m.captured(2).toInt();
            if (chainStart && type == 0 && m.captured(3) == QLatin1String("ch=0000") && m.captured(5).isEmpty()) {
                chainStart = false;
                continue;
            }
            const bool character = (type >= 1 && type <= 5) || type == 16 || type == 17;
            line = m.captured(1) + QStringLiteral("type=") + m.captured(2) + QLatin1Char(' ') + m.captured(3) +
                   (character ? m.captured(4) : QString()) + m.captured(5);
        }
        chainStart = false;
        out << line;
    }
    return out.join(QLatin1Char('\n'));
}

}  // namespace toliva::test
