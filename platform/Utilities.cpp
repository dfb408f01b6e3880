#include "platform/Utilities.h"

#include "platform/Folders.h"
#include "platform/SafeFile.h"
#include "platform/TextCodec.h"

#include <QRandomGenerator>

#include <cfloat>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace toliva {

QString GetModuleFolder() { return programFolder(); }

QString GetModuleFolder(QStringList* list) {
    if (list) list->prepend(programPath());
    return programFolder();
}

QString GetAppDirectory() { return programFolder(); }

bool MakeAppDataFolder(const QString& first, const QString& second, bool trailingSlash, QString* firstPath,
                       QString* secondPath) {
    QString firstFolder = userDataBase() + '/' + first;
    bool ok = ensureFolder(firstFolder);
    firstFolder += '/';

    QString secondFolder = firstFolder + second;
    ok = ensureFolder(secondFolder) && ok;
    if (trailingSlash) secondFolder += '/';

    if (firstPath) *firstPath = firstFolder;
    if (secondPath) *secondPath = secondFolder;
    return ok;
}

void SplitAtBar(const QString& text, QString* first, QString* second) {
    const qsizetype bar = text.indexOf('|');
    if (bar > 0) {
        if (first) *first = text.left(bar);
        if (second) *second = text.mid(bar + 1);
    } else if (first) {
        *first = text;
    }
}

QString DecodeTextFile(const QByteArray& bytes) {
    QByteArray data = bytes;
    data.replace("\r\n", "\n");
    // '\n' never occurs inside a double-byte character of code page 936, so the
    // lines can be split before or after decoding alike.
    QString text = DecodeCodePage(data, "CP936");
    if (!text.isEmpty() && !text.endsWith('\n')) text += '\n';
    return text;
}

bool ReadTextFile(const QString& path, QString* out) {
    QString text;
    QByteArray bytes;
    if (ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) text = DecodeTextFile(bytes);
    const bool nonEmpty = !text.isEmpty();
    if (out) *out = std::move(text);
    return nonEmpty;
}

namespace {

bool isBlank(char16_t u) { return u == ' ' || u == '\t' || u == '\n' || u == '\v' || u == '\f' || u == '\r'; }
bool isDigit(char16_t u) { return u >= '0' && u <= '9'; }

}  // namespace

int TextToInt(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i].unicode())) ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const int64_t limit = negative ? -int64_t(INT_MIN) : int64_t(INT_MAX);
    int64_t value = 0;
    for (; i < n && isDigit(text[i].unicode()); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > limit) {
            value = limit;  // saturated; the remaining digits change nothing
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

double TextToDouble(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i].unicode())) ++i;
    std::string number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) number += char(text[i++].unicode());
    int mantissaDigits = 0;
    for (; i < n && isDigit(text[i].unicode()); ++i, ++mantissaDigits) number += char(text[i].unicode());
    if (i < n && text[i] == u'.') {
        number += '.';
        for (++i; i < n && isDigit(text[i].unicode()); ++i, ++mantissaDigits) number += char(text[i].unicode());
    }
    if (mantissaDigits == 0) return 0.0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-')) exponent += char(text[j++].unicode());
        if (j < n && isDigit(text[j].unicode())) {
            for (; j < n && isDigit(text[j].unicode()); ++j) exponent += char(text[j].unicode());
            number += exponent;
        }
    }
    // Only the checked decimal prefix reaches strtod, in the C locale whatever
    // the program's locale is.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    double value = strtod_l(number.c_str(), nullptr, cLocale);
    if (std::isinf(value)) value = value > 0 ? DBL_MAX : -DBL_MAX;
    if (std::isnan(value)) value = 0.0;
    return value;
}

QString RandomFileNameStem(quint64 counter, quint32 random) {
    return QString::asprintf("%04d_%04d", int(counter % 1000), int(random % 1000));
}

QString MakeRandomFileName() {
    const auto counter = quint64(std::chrono::steady_clock::now().time_since_epoch().count());
    return RandomFileNameStem(counter, QRandomGenerator::global()->generate());
}

}  // namespace toliva
