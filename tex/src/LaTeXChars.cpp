// The LaTeX writer's characters and spaces: one character's text and class,
// runs of neighbouring characters, function names and accents.
#include "LaTeXWriter.h"

#include "tex/LaTeX.h"

#include "tex/TeXCode.h"
#include "model/EqElement.h"
#include "model/EqTypes.h"

#include <cmath>

namespace toliva {
namespace {

QString spaceText(const EqElement* e) {
    switch (e->type) {
    case 96: return QStringLiteral("\\!");
    case 97: return QStringLiteral("\\!\\:");
    case 98: return QStringLiteral("\\,");
    case 99: return QStringLiteral("\\:");
    case 100: return QStringLiteral("\\;");
    case 101:
        // A bare blank would read as nothing: a control space instead.
        if (e->prev && (e->prev->type == 1 || e->prev->type == 101)) return QStringLiteral("\\ ");
        return QStringLiteral("\\,\\,");
    case 102: return QStringLiteral("\\quad ");
    case 103: return QStringLiteral("\\qquad ");
    case 105: return QStringLiteral("\\enspace ");
    default: break;
    }
    // Custom space: amount, unit by the low four bits, command by bits 8-11.
    static const char* const kUnits[] = {"em", "mu", "ex", "pc", "pt", "px", "in", "mm", "cm"};
    float amount = GetSpaceAmount(e);
    if (!std::isfinite(amount)) amount = 0;
    const int unit = e->ch & 0x0F;
    const QString value = QString::asprintf("%g", double(amount)) + QLatin1String(unit <= 8 ? kUnits[unit] : "em");
    switch ((e->ch >> 8) & 0x0F) {
    case 1: return QStringLiteral("\\hspace{") + value + QLatin1Char('}');
    case 2: return QStringLiteral("\\kern ") + value + QLatin1Char(' ');
    case 3: return QStringLiteral("\\hskip ") + value + QLatin1Char(' ');
    case 4: return QStringLiteral("\\mkern ") + value + QLatin1Char(' ');
    case 5: return QStringLiteral("\\mskip ") + value + QLatin1Char(' ');
    default: return QStringLiteral("\\mspace{") + value + QLatin1Char('}');
    }
}

const char* greekCapitalName(char16_t c) {
    switch (c) {
    case 0x0393: return "Gamma";
    case 0x0394: return "Delta";
    case 0x0398: return "Theta";
    case 0x039B: return "Lambda";
    case 0x039E: return "Xi";
    case 0x03A0: return "Pi";
    case 0x03A3: return "Sigma";
    case 0x03A6: return "Phi";
    case 0x03A8: return "Psi";
    case 0x03A9: return "Omega";
    case 0x03D2: return "Upsilon";
    default: return nullptr;
    }
}

bool isRunClass(int c) { return (c >= 1 && c <= 4) || c == 16 || c == 17; }

bool isCJK(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF);
}

bool holdsCJK(QStringView s) {
    for (QChar c : s)
        if (isCJK(c)) return true;
    return false;
}

QString plainPart(QStringView part) {
    const bool cjk = holdsCJK(part);
    return (cjk ? QStringLiteral("\\text{") : QStringLiteral("\\mathrm{")) + part.toString() + QLatin1Char('}');
}

bool onlyDigitsAndPunctuation(QStringView s) {
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (!(u >= '0' && u <= '9') && !IsPunctuationChar(u)) return false;
    }
    return true;
}

const char* const kFunctionNames[] = {
    "ln",     "sinh",   "cosh",   "tanh",   "coth",   "sech",   "csch", "sin",  "cos",  "sec",  "csc",  "tan",
    "cot",    "exp",    "lg",     "log",    "lim",    "max",    "min",  "abs",  "det",  "asin", "acos", "atan",
    "acot",   "asec",   "acsc",   "arcsin", "arccos", "arctan", "arccot", "arcsec", "arccsc", "diag", "sgn",
};

bool upright(const char* name) {
    static const char* const kUpright[] = {"diag", "asin", "acos", "atan", "acot", "asec", "acsc"};
    for (const char* u : kUpright)
        if (qstrcmp(u, name) == 0) return true;
    return false;
}

// The longest function name that starts at pos and covers literal characters only.
const char* nameAt(const QString& text, const QList<bool>& literal, qsizetype pos) {
    const char* best = nullptr;
    qsizetype bestLength = 0;
    for (const char* name : kFunctionNames) {
        const qsizetype n = qstrlen(name);
        if (n <= bestLength || pos + n > text.size()) continue;
        bool match = true;
        for (qsizetype i = 0; i < n && match; ++i)
            match = literal[pos + i] && text[pos + i] == QLatin1Char(name[i]);
        if (match) {
            best = name;
            bestLength = n;
        }
    }
    return best;
}

const char* accentCommand(uint8_t code) {
    switch (code) {
    case 1: return "\\dot";
    case 2: return "\\ddot";
    case 3: return "\\dddot";
    case 4: return "\\ddddot";
    case 5: case 6: case 7: case 8: case 9: case 10: return "\\vec";
    case 11: return "\\bar";
    case 12: case 19: return "\\tilde";
    case 13: case 15: case 17: return "\\hat";
    case 14: case 18: return "\\check";
    case 16: return "\\breve";
    case 20: return "\\mathring";
    case 21: return "\\grave";
    case 22: return "\\acute";
    case 25: return "\\overbridge";
    case 26: return "\\overstar";
    case 27: return "\\not";
    case 139: return "\\ul";
    default: return nullptr;
    }
}

// A member of a run stands for itself when its text is its own character.
bool isLiteral(const EqElement* e, const QString& text) {
    return text.size() == 1 && text[0].unicode() == e->ch;
}

}  // namespace

QString WriteLaTeXChar(const TeXWriteContext& ctx, const EqElement* e, int* classCode) {
    const int t = e->type;
    if (IsSpaceType(t)) {
        *classCode = LaTeXClassAlone;
        return spaceText(e);
    }
    *classCode = t;
    const char16_t c = e->ch;
    // Control characters have no LaTeX form (and the reader drops them).
    if (c < 0x20) return {};
    auto alone = [&](const QString& text) {
        *classCode = LaTeXClassAlone;
        return text;
    };
    // Written alone; a face other than the running one goes around it.
    auto aloneInFace = [&](const QString& text) {
        *classCode = LaTeXClassAlone;
        switch (t) {
        case EqTypeCharBold: return QStringLiteral("\\mathbf{") + text + QLatin1Char('}');
        case EqTypeCharBoldItalic: return QStringLiteral("\\boldsymbol{") + text + QLatin1Char('}');
        case EqTypeCharSans: return QStringLiteral("\\mathsf{") + text + QLatin1Char('}');
        case EqTypeCharMono: return QStringLiteral("\\mathtt{") + text + QLatin1Char('}');
        default: return text;
        }
    };
    switch (c) {
    case u' ': return alone(QStringLiteral("\\ "));
    case u'!': case u'*': case u',': case u'.': case u'/': case u':': case u';': case u'?': case u'@':
    case u'|': case u'~':
        return aloneInFace(QString(QChar(c)));
    case u'\\': return alone(QString(QChar(c)));
    case u'#': case u'$': case u'%': case u'&': case u'_': case u'{': case u'}':
        return aloneInFace(QLatin1Char('\\') + QChar(c));
    case u'-': return alone(QStringLiteral("\\-"));
    // A bare '^' would read as a superscript.
    case u'^': return alone(QStringLiteral("\\symbol{\"5E} "));
    case 0x00B0: return alone(QStringLiteral("\\degree "));
    case 0x2032: return alone(QStringLiteral("\\prime "));
    case 0x2033: return alone(QStringLiteral("'' "));
    case 0x2034: return alone(QStringLiteral("''' "));
    default: break;
    }
    if (const char* greek = greekCapitalName(c)) {
        if (t == 1 || t == 3) {
            if (t == 1) *classCode = LaTeXClassGreekUpright;
            return QLatin1Char('\\') + QLatin1String(greek) + QLatin1Char(' ');
        }
        if (t == 2 || t == 4) return QStringLiteral("\\var") + QLatin1String(greek) + QLatin1Char(' ');
    }
    int cls = t;
    QString name;
    if (ctx.names && ctx.names->TeXNameOfChar(c, t, &cls, &name)) {
        if (cls == LaTeXClassNamedSymbol && (t == 1 || t == 2)) cls = LaTeXClassItalic;
        *classCode = cls;
        return name;
    }
    return QString(QChar(c));
}

QString LaTeXCharacterText(const EqElement* e, const TeXWriteContext& context) {
    int classCode = 0;
    return WriteLaTeXChar(context, e, &classCode);
}

const EqElement* WriteLaTeXCharRun(const TeXWriteContext& ctx, const EqElement* first, QString* out) {
    int c = 0;
    QString text = WriteLaTeXChar(ctx, first, &c);
    const EqElement* last = first;
    if (!isRunClass(c)) {
        if (text == QLatin1String("\\")) text = QStringLiteral("\\backslash ");
    } else if (c == LaTeXClassUpright && (IsNumberCharElement(first) || IsBracketCharElement(first) ||
                                          IsPunctuationElement(first))) {
        // written alone
    } else {
        QList<bool> literal(text.size(), isLiteral(first, text));
        if (first->payload.empty()) {
            for (const EqElement* q = first->next; q; q = q->next) {
                if (q->alignMark || q->phantomKind() != first->phantomKind() || q->colour != first->colour) break;
                if (!(IsCharType(q->type) || IsSpaceType(q->type)) || !q->payload.empty()) break;
                if (IsNumberCharElement(q) || IsPunctuationElement(q)) break;
                int qc = 0;
                const QString qt = WriteLaTeXChar(ctx, q, &qc);
                if (qc != c) break;
                text += qt;
                literal += QList<bool>(qt.size(), isLiteral(q, qt));
                last = q;
            }
        }
        switch (c) {
        case LaTeXClassBold: text = QStringLiteral("\\mathbf{") + text + QLatin1Char('}'); break;
        case LaTeXClassBoldItalic: text = QStringLiteral("\\boldsymbol{") + text + QLatin1Char('}'); break;
        case LaTeXClassSans: text = QStringLiteral("\\mathsf{") + text + QLatin1Char('}'); break;
        case LaTeXClassMono: text = QStringLiteral("\\mathtt{") + text + QLatin1Char('}'); break;
        case LaTeXClassUpright:
            text = LaTeXFunctionNames(text, literal);
            text.replace(QStringLiteral(" \\"), QStringLiteral("\\"));
            break;
        default: break;
        }
    }
    // Only characters carry accents; a custom space's payload is its amount.
    *out = IsCharType(first->type) ? ApplyLaTeXAccents(first, text) : text;
    return last;
}

QString LaTeXFunctionNames(const QString& text, const QList<bool>& literalIn) {
    const QList<bool> literal = literalIn.size() == text.size() ? literalIn : QList<bool>(text.size(), true);
    QString out;
    qsizetype from = 0;
    while (from < text.size()) {
        const QStringView rest = QStringView(text).mid(from);
        if (onlyDigitsAndPunctuation(rest)) {
            out += rest;
            break;
        }
        const char* name = nullptr;
        qsizetype pos = from;
        for (; pos < text.size() && !name; ++pos) name = nameAt(text, literal, pos);
        if (!name) {
            QString plain = rest.toString();
            ChopTrailingBlank(&plain);
            out += plainPart(plain);
            break;
        }
        --pos;
        if (pos > from) out += plainPart(QStringView(text).mid(from, pos - from));
        if (upright(name))
            out += QStringLiteral("\\mathrm{") + QLatin1String(name) + QLatin1Char('}');
        else
            out += QLatin1Char('\\') + QLatin1String(name) + QLatin1Char(' ');
        from = pos + qstrlen(name);
    }
    return out;
}

QString ApplyLaTeXAccents(const EqElement* e, const QString& text) {
    if (e->payload.empty()) return text;
    QString out = text;
    for (uint8_t code : e->payload) {
        if (const char* command = accentCommand(code))
            out = QLatin1String(command) + QLatin1Char('{') + out + QLatin1Char('}');
    }
    // " }" becomes "}", except for a control space "\ ".
    QString cleaned;
    cleaned.reserve(out.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
        const bool blankBeforeBrace = out[i] == QLatin1Char(' ') && i + 1 < out.size() &&
                                      out[i + 1] == QLatin1Char('}') && !(i > 0 && out[i - 1] == QLatin1Char('\\'));
        if (!blankBeforeBrace) cleaned += out[i];
    }
    return cleaned;
}

}  // namespace toliva
