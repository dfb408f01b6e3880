#include "CalcFormat.h"

#include "EqElement.h"
#include "EqModel.h"
#include "EqTypes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace toliva {
namespace {

constexpr const char* kFormats[13] = {"%.1f", "%.2f", "%.3f", "%.4f", "%.5f", "%.6f", "%.7f",
                                      "%.8f", "%.9f", "%g",   "%E",   "%f",   "%.0f"};
constexpr uint16_t kMinus = 1043;
constexpr uint16_t kPlus = 1042;
constexpr int32_t kTimes = 1045;
constexpr int32_t kSuperscript = 173;
constexpr char16_t kInfinity = 0x221E;

QString formatNumber(const char* format, double v) {
    if (std::isnan(v)) return QStringLiteral("nan");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    char buf[512];
    std::snprintf(buf, sizeof buf, format, v);
    return QString::fromLatin1(buf);
}

bool isInside(const EqElement* e, const EqElement* ancestor) {
    for (const EqElement* p = e ? e->parent : nullptr; p; p = p->parent)
        if (p == ancestor) return true;
    return false;
}

EqElement* appendText(EqElement* parent, EqElement* pred, const QString& text) {
    for (QChar c : text) pred = NewChildElement(parent, EqTypeCharUpright, c.unicode(), pred);
    return pred;
}

// The sign and digits of a plain number.
EqElement* appendNumber(EqElement* parent, EqElement* pred, const QString& text) {
    if (text.startsWith(QLatin1Char('-'))) {
        pred = NewChildElement(parent, kMinus, 0, pred);
        return appendText(parent, pred, text.mid(1));
    }
    return appendText(parent, pred, text);
}

}  // namespace

QString FormatCalcResultText(double value, int format, int angle, int defaultIndex) {
    const int index = std::clamp(format == 0 ? defaultIndex : format - 1, 0, 12);
    const char* f = kFormats[index];
    const double pi = std::numbers::pi;
    QString text;
    switch (angle) {
    case 1:
        text = formatNumber(f, value * 180 / pi) + QChar(0x00B0);
        break;
    case 2: {
        // Whole seconds first, so 1.5 degrees shows 1°30′0″ and not 1°29′60″.
        const double s = std::round(value * 648000 / pi);
        if (!std::isfinite(s)) {
            text = formatNumber(f, s);
            break;
        }
        const double m = std::trunc(s / 60);
        const double d = std::trunc(s / 3600);
        text = formatNumber("%.0f", d) + QChar(0x00B0) + formatNumber("%.0f", m - 60 * d) + QChar(0x2032) +
               formatNumber("%.0f", s - 60 * m) + QChar(0x2033);
        break;
    }
    case 3:
        text = formatNumber(f, value * 100) + QLatin1Char('%');
        break;
    case 4:
        text = formatNumber(f, value * 1000) + QChar(0x2030);
        break;
    default:
        text = formatNumber(f, value);
        break;
    }
    return text.toUpper();
}

void FormatCalcResult(EqElement* result, double value, int format, int angle) {
    if (!result || result->type != EqTypeCalcResult) return;
    EqModel* eq = result->owner;
    if (eq && isInside(eq->caret, result)) eq->caret = result;
    const int defaultIndex = eq ? eq->settings.options[6] : 9;
    const QString text = FormatCalcResultText(value, format, angle, defaultIndex);

    DeleteChildChains(result);
    EqElement* head = NewChildElement(result, EqTypeChainHead, 0, nullptr);
    EqElement* pred = head;
    if (text.contains(QLatin1String("-INF"))) {
        pred = NewChildElement(result, kMinus, 0, pred);
        NewChildElement(result, EqTypeCharUpright, kInfinity, pred);
        return;
    }
    if (text.contains(QLatin1String("INF"))) {
        pred = NewChildElement(result, kPlus, 0, pred);
        NewChildElement(result, EqTypeCharUpright, kInfinity, pred);
        return;
    }
    if (text.contains(QLatin1String("NAN"))) {
        appendText(result, pred, QStringLiteral("Syntax Error"));
        return;
    }
    const int ePos = text.indexOf(QLatin1Char('E'), 1);
    if (ePos < 0) {
        appendNumber(result, pred, text);
        return;
    }
    pred = appendNumber(result, pred, text.left(ePos));
    // The exponent: an optional sign and its digits.
    const QString rest = text.mid(ePos + 1);
    int i = 0;
    bool negative = false;
    if (i < rest.size() && (rest[i] == QLatin1Char('-') || rest[i] == QLatin1Char('+'))) negative = rest[i++] == QLatin1Char('-');
    long long exponent = 0;
    for (; i < rest.size() && rest[i].isDigit() && exponent < 100000; ++i) exponent = exponent * 10 + rest[i].digitValue();
    if (exponent == 0) return;
    pred = NewChildElement(result, kTimes, 0, pred);
    pred = appendText(result, pred, QStringLiteral("10"));
    EqElement* sup = NewChildElement(result, kSuperscript, 0, pred);
    EqElement* supHead = NewChildElement(sup, EqTypeChainHead, 0, nullptr);
    EqElement* p = supHead;
    if (negative) p = NewChildElement(sup, kMinus, 0, p);
    appendText(sup, p, QString::number(exponent));
}

}  // namespace toliva
