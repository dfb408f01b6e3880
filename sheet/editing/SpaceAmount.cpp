#include "sheet/editing/SpaceAmount.h"

#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "sheet/editing/EditDialogs.h"

#include <array>
#include <cmath>

namespace toliva {

namespace {

constexpr std::array<const char*, 10> kUnitWords = {"em", "mu", "ex", "pc", "pt", "px", "in", "mm", "cm", "%"};

}  // namespace

QString SpaceUnitWord(int unit) {
    return QString::fromLatin1(unit >= 0 && unit < int(kUnitWords.size()) ? kUnitWords[size_t(unit)] : kUnitWords[0]);
}

QString FormatSpaceAmount(float amount, int unit) {
    QString text = QString::asprintf("%g", double(amount));
    if (unit > 0 && unit < int(kUnitWords.size())) text += SpaceUnitWord(unit);
    return text;
}

bool ParseSpaceAmount(const QString& text, float* amount, int* unit) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace()) ++i;
    };
    skipBlanks();
    QString number;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) number += text[i++];
    bool digits = false, point = false;
    while (i < n) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        number += c;
        ++i;
    }
    if (!digits) return false;
    skipBlanks();
    const qsizetype wordStart = i;
    while (i < n && !text[i].isSpace()) ++i;
    const QString word = text.mid(wordStart, i - wordStart).toLower();
    skipBlanks();
    if (i != n) return false;

    int code = -1;
    if (!word.isEmpty()) {
        for (size_t k = 0; k < kUnitWords.size(); ++k)
            if (word == QLatin1String(kUnitWords[k])) code = int(k);
        if (code < 0) return false;
    }
    bool ok = false;
    const float value = number.toFloat(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > kMaxSpaceAmount) return false;
    *amount = value;
    if (code >= 0) *unit = code;
    return true;
}

bool AskSpaceAmount(EditDialogService& dialogs, const QString& languageCode, float* amount, int* unit,
                    bool livePreview) {
    LangTable texts(languageCode, QStringLiteral("LANG_06.xml"));
    const QString group = QStringLiteral("gHXS");
    StringRequest request;
    request.title = LoadLangString(texts, group, 1);
    request.prompt = LoadLangString(texts, group, 2);
    request.text = FormatSpaceAmount(*amount, *unit);
    request.livePreview = livePreview;
    for (;;) {
        if (!dialogs.askString(request)) return false;
        if (ParseSpaceAmount(request.text, amount, unit)) return true;
        showMessage(LoadLangString(texts, group, 3), MB_OK | MB_ICONWARNING);
    }
}

}  // namespace toliva
