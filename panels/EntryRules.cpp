#include "panels/EntryRules.h"

#include <QRegularExpression>

#include <cmath>

namespace toliva {

bool IsConstantNameAccepted(const QString& name) { return !name.isEmpty() && name.at(0).unicode() > 0x40; }

std::optional<double> ParseEntryNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)[ \\t]*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) return std::nullopt;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);  // QString::toDouble reads the C locale
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString FormatEntryNumber(double value) { return QString::number(value, 'g', 15); }

QString CharacterOfCommand(intptr_t command) {
    if (command <= 0 || command > 0x10FFFF || (command >= 0xD800 && command <= 0xDFFF)) return {};
    const char32_t c = char32_t(command);
    return QString::fromUcs4(&c, 1);
}

}  // namespace toliva
