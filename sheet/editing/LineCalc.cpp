#include "sheet/editing/LineCalc.h"

#include "model/CalcFormat.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "sheet/calc/CKwEECal.h"
#include "sheet/editing/EditOps.h"
#include "sheet/editing/Selection.h"
#include "sheet/editing/WordLists.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

constexpr int32_t kPlus = 1042, kMinus = 1043, kStar = 1044, kTimes = 1045, kDivide = 1048, kEquals = 1049;
constexpr int32_t kParallel1 = 1095, kParallel2 = 1124;
constexpr int32_t kSuperscript = 173, kSubscript = 174, kBothScripts = 175;

bool isChar(const EqElement* e, char16_t c) { return e && IsCharType(e->type) && e->ch == c; }

bool isSpace(const EqElement* e) { return e && (IsSpaceType(e->type) || isChar(e, u' ')); }

bool isComma(const EqElement* e) { return isChar(e, u',') || isChar(e, 0xFF0C); }
bool isSemicolon(const EqElement* e) { return isChar(e, u';') || isChar(e, 0xFF1B); }

// The end of a run of equals signs.
bool isRunStop(const EqElement* e) { return isComma(e) || isSemicolon(e) || isChar(e, 0x00B0); }

bool isDigit(const EqElement* e) { return e && IsCharType(e->type) && e->ch >= u'0' && e->ch <= u'9'; }

bool evaluateChain(LineCalcContext& context, const EqElement* head, double* out) {
    if (!head || !head->next) return false;
    EqElement* first = head->next;
    return EvaluateRange(context, out, first, FindChainEnd(first));
}

// ---- structure values

// "log" spelled by the element and the next two characters.
bool spellsAt(const EqElement* e, QStringView text, const EqElement** after) {
    for (QChar c : text) {
        if (!e || !IsStyledCharType(e->type) || e->ch != c.unicode()) return false;
        e = e->next;
    }
    if (after) *after = e;
    return true;
}

// n (n - 1) ... (n - k + 1) for a whole k; the loop ends once the product
// has overflowed or reached 0, so huge counts end at once.
double fallingProduct(double n, double k) {
    double r = 1;
    for (double i = 0; i < k && std::isfinite(r) && r != 0; ++i) r *= n - i;
    return r;
}

// n over k for a whole k: the shorter of the two equal products, divided as
// it goes so that it overflows only when the result does.
double combinations(double n, double k) {
    if (n == std::floor(n)) k = std::min(k, n - k);
    double r = 1;
    for (double i = 0; i < k && std::isfinite(r) && r != 0; ++i) r = r * (n - i) / (i + 1);
    return r;
}

bool structureValue(LineCalcContext& context, EqElement* e, double* value, EqElement** next) {
    const EqElement* afterLog = nullptr;
    if (spellsAt(e, u"log", &afterLog) && afterLog && afterLog->type == kBothScripts && afterLog->children.size() >= 2) {
        double a = 0, b = 0;
        if (!evaluateChain(context, afterLog->children.front(), &a) ||
            !evaluateChain(context, afterLog->children.back(), &b))
            return false;
        *value = std::log(a) / std::log(b);
        *next = afterLog->next;
        return true;
    }
    if (inRange(e->type, 1, 4) && (e->ch == u'A' || e->ch == u'P' || e->ch == u'C') && e->next &&
        e->next->type == kBothScripts && e->next->children.size() >= 2) {
        double k = 0, n = 0;
        const EqElement* scripts = e->next;
        if (!evaluateChain(context, scripts->children.front(), &k) ||
            !evaluateChain(context, scripts->children.back(), &n))
            return false;
        // Counts that are not finite are refused: the products would not end.
        if (!std::isfinite(k) || !std::isfinite(n) || !(k >= 0 && n > 0 && n >= k)) return false;
        k = std::floor(k);
        *value = e->ch == u'C' ? combinations(n, k) : fallingProduct(n, k);
        *next = scripts->next;
        return true;
    }
    if ((inRange(e->type, 336, 366) || e->type == EqTypeSmall) && !e->children.empty()) {
        double v = 0;
        if (!evaluateChain(context, e->children.front(), &v)) return false;
        if (e->type == 341 || (e->type == 336 && (e->ch == 1301 || e->ch == 9525))) v = std::fabs(v);
        else if (e->type == 343) v = std::floor(v);
        else if (e->type == 344) v = std::ceil(v);
        *value = v;
        *next = e->next;
        return true;
    }
    if (e->type == EqTypeSqrt && !e->children.empty()) {
        double v = 0;
        if (!evaluateChain(context, e->children.front(), &v)) return false;
        *value = std::sqrt(v);
        *next = e->next;
        return true;
    }
    if ((e->type == EqTypeRoot || IsFractionType(e->type)) && e->children.size() >= 2) {
        double a = 0, b = 0;
        if (!evaluateChain(context, e->children.front(), &a) || !evaluateChain(context, e->children.back(), &b))
            return false;
        if (IsFractionType(e->type)) {
            *value = a / b;
        } else if (a < 0 && std::fmod(b, 2.0) != 0 && std::floor(b) == b) {
            *value = -std::pow(-a, 1.0 / b);  // odd roots of negative numbers
        } else {
            *value = std::pow(a, 1.0 / b);
        }
        *next = e->next;
        return true;
    }
    return false;
}

// ---- operators and function names

bool operatorToken(EqElement* e, uint8_t* code, EqElement** next) {
    *next = e->next;
    if (isChar(e, u'/')) {
        if (isChar(e->next, u'/')) {
            *code = CalcParallel;
            *next = e->next->next;
        } else {
            *code = CalcDivide;
        }
        return true;
    }
    if (isChar(e, u'*')) return *code = CalcMultiply, true;
    switch (e->type) {
    case kPlus: *code = CalcAdd; return true;
    case kMinus: *code = CalcSubtract; return true;
    case kStar: *code = CalcMultiply; return true;
    case kTimes: *code = CalcMultiplySign; return true;
    case kDivide: *code = CalcDivide; return true;
    case kParallel1:
    case kParallel2: *code = CalcParallel; return true;
    default: return false;
    }
}

struct FunctionName {
    const char16_t* name;
    uint8_t code;     // 0: recognised but not accepted
    uint8_t inverse;  // the code after a superscript -1
};

// Earlier names win on equal length.
constexpr FunctionName kFunctions[] = {
    {u"ln", CalcLn, CalcExp},         {u"sinh", CalcSinh, CalcSinh},    {u"cosh", CalcCosh, CalcCosh},
    {u"tanh", CalcTanh, CalcTanh},    {u"coth", CalcCoth, CalcCoth},    {u"sech", CalcSech, CalcSech},
    {u"csch", CalcCsch, CalcCsch},    {u"sin", CalcSin, CalcArcsin},    {u"cos", CalcCos, CalcArccos},
    {u"sec", CalcSec, CalcArcsec},    {u"csc", CalcCsc, CalcArccsc},    {u"tan", CalcTan, CalcArctan},
    {u"cot", CalcCot, CalcArccot},    {u"exp", CalcExp, CalcLn},        {u"lg", CalcLg, CalcPowerOfParameter},
    {u"log", CalcLog, CalcPowerOrTen}, {u"abs", CalcAbs, CalcAbs},      {u"asin", CalcAsin, CalcSin},
    {u"acos", CalcAcos, CalcCos},     {u"atan", CalcAtan, CalcTan},     {u"acot", CalcAcot, CalcCot},
    {u"asec", CalcAsec, CalcSec},     {u"acsc", CalcAcsc, CalcCsc},     {u"arcsin", CalcArcsin, CalcSin},
    {u"arccos", CalcArccos, CalcCos}, {u"arctan", CalcArctan, CalcTan}, {u"arccot", CalcArccot, CalcCot},
    {u"arcsec", CalcArcsec, CalcSec}, {u"Im", 0, 0},                    {u"Re", 0, 0},
    {u"lim", 0, 0},                   {u"max", 0, 0},                   {u"min", 0, 0},
    {u"det", 0, 0},
};

// A superscript whose chain is exactly a minus sign and the digit 1.
bool isInverseMark(const EqElement* e) {
    if (!e || e->type != kSuperscript || e->children.empty()) return false;
    const EqElement* a = e->children.front()->next;
    if (!a || !(a->type == kMinus || isChar(a, u'-'))) return false;
    const EqElement* b = a->next;
    return isChar(b, u'1') && !b->next;
}

// The longest function name the characters from e spell; false when none
// or one that is not accepted.
bool functionToken(LineCalcContext& context, EqElement* e, CKwEECal& list, EqElement** next) {
    const FunctionName* best = nullptr;
    const EqElement* bestAfter = nullptr;
    int bestLength = 0;
    for (const FunctionName& f : kFunctions) {
        const QStringView name(f.name);
        const EqElement* after = nullptr;
        if (name.size() > bestLength && spellsAt(e, name, &after)) {
            best = &f;
            bestAfter = after;
            bestLength = int(name.size());
        }
    }
    if (!best || best->code == 0) return false;
    uint8_t code = best->code;
    double parameter = 0;
    EqElement* after = const_cast<EqElement*>(bestAfter);
    if (code == CalcLog && after && after->type == kSubscript && !after->children.empty()) {
        double base = 0;
        if (evaluateChain(context, after->children.front(), &base)) {
            parameter = base;
            after = after->next;
        } else if (context.cycle) {
            return false;
        }
    }
    if (isInverseMark(after)) {
        code = best->inverse;
        if (code == CalcPowerOfParameter) parameter = 10;  // lg: 10 to the power x
        after = after->next;
    }
    list.Append(parameter, CKwEV::Function, code);
    *next = after;
    return true;
}

// A run of digits and '.', starting with either, with an optional unit.
bool numberToken(EqElement* e, CKwEECal& list, EqElement** next) {
    if (e->type == EqTypeCalcResult) {
        CalcResult r;
        if (!GetCalcResult(e, &r)) return false;
        list.Append(r.value, CKwEV::Number, 0);
        *next = e->next;
        return true;
    }
    QString text;
    EqElement* p = e;
    for (; p && (isDigit(p) || isChar(p, u'.')); p = p->next) text.append(QChar(p->ch));
    if (text.isEmpty()) return false;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok) return false;
    uint8_t unit = CKwEV::NoUnit;
    if (p && IsCharType(p->type)) {
        switch (p->ch) {
        case u'%': unit = CKwEV::Percent; break;
        case 0x00B0: unit = CKwEV::Degree; break;
        case 0x2030: unit = CKwEV::PerMille; break;
        case 0x2032: unit = CKwEV::ArcMinute; break;
        case 0x2033: unit = CKwEV::ArcSecond; break;
        default: break;
        }
        if (unit != CKwEV::NoUnit) p = p->next;
    }
    list.Append(value, CKwEV::Number, 0, unit);
    *next = p;
    return true;
}

bool postfixToken(LineCalcContext& context, EqElement* e, CKwEECal& list, EqElement** next) {
    if (e->type == kSuperscript && !e->children.empty()) {
        double exponent = 0;
        if (!evaluateChain(context, e->children.front(), &exponent)) return false;
        list.InsertPostfix(exponent, CKwEV::Function, CalcPower);
        *next = e->next;
        return true;
    }
    if (isChar(e, u'!')) {
        list.InsertPostfix(0, CKwEV::Function, CalcFactorial);
        *next = e->next;
        return true;
    }
    return false;
}

// ---- variables

// A variable name: a character that is not a digit, a space, ',' or ';' (nor
// their full-width forms); a glyph symbol below 233; an accent or similar
// structure with arguments.
bool isVariableName(const EqElement* e) {
    if (!e) return false;
    if (IsCharType(e->type))
        return !isDigit(e) && !isSpace(e) && !isComma(e) && !isSemicolon(e);
    if (e->type == 6 || e->type == 8) return e->ch < 233;
    return !e->children.empty() && !IsScriptType(e->type) && e->type != EqTypeCalcResult;
}

bool sameName(const EqElement* a, const EqElement* b) {
    if (!a || !b || a->type != b->type || a->ch != b->ch) return false;
    return a->children.empty() || ElementsEqual(a, b);
}

const EqElement* subscriptOf(const EqElement* name) {
    return name->next && name->next->type == kSubscript ? name->next : nullptr;
}

// The same name (with an equal subscript, or none) at candidate, then
// optional spaces and an equals sign: that equals sign, else null.
EqElement* definitionEquals(const EqElement* candidate, const EqElement* name) {
    if (!sameName(candidate, name)) return nullptr;
    const EqElement* sub = subscriptOf(name);
    const EqElement* p = candidate->next;
    if (sub) {
        if (!p || p->type != kSubscript || !ElementsEqual(p, sub)) return nullptr;
        p = p->next;
    } else if (p && p->type == kSubscript) {
        return nullptr;
    }
    while (isSpace(p)) p = p->next;
    return p && p->type == kEquals ? const_cast<EqElement*>(p) : nullptr;
}

// The last equals sign of the run that starts at equals.
EqElement* lastEqualsOfRun(EqElement* equals) {
    EqElement* last = equals;
    for (EqElement* p = equals; p && !isRunStop(p); p = p->next)
        if (p->type == kEquals) last = p;
    return last;
}

// The right side of a definition mentions the name at its own level.
bool mentionsName(EqElement* lastEquals, const EqElement* name) {
    for (EqElement* p = lastEquals->next; p && p->type != 0 && !IsCalcSeparator(p); p = p->next)
        if (sameName(p, name)) return true;
    return false;
}

// The element before e in the backward search: the previous element, else
// the parent, else the last element of the previous line.
EqElement* stepBack(EqModel* eq, EqElement* e) {
    if (e->prev) return e->prev;
    if (e->parent) return e->parent;
    if (!eq) return nullptr;
    auto it = std::find(eq->lines.begin(), eq->lines.end(), e);
    if (it == eq->lines.end() || it == eq->lines.begin()) return nullptr;
    return FindChainEnd(*(it - 1));
}

bool definitionValue(LineCalcContext& context, EqElement* candidate, EqElement* lastEquals, double* out) {
    if (context.cache) {
        for (const VariableCache::Entry& entry : context.cache->entries) {
            if (entry.definition == candidate) {
                *out = entry.value;
                return true;
            }
        }
    }
    if (std::find(context.evaluating.begin(), context.evaluating.end(), candidate) != context.evaluating.end()) {
        context.cycle = true;
        return false;
    }
    context.evaluating.push_back(candidate);
    const bool ok = EvaluateRightOf(context, lastEquals, out);
    context.evaluating.pop_back();
    if (ok && context.cache) context.cache->entries.push_back({candidate, *out});
    return ok;
}

// The value of the variable named at e, from the nearest definition before
// it.
bool variableValue(LineCalcContext& context, EqElement* name, double* out) {
    for (EqElement* p = stepBack(context.eq, name); p; p = stepBack(context.eq, p)) {
        // Definitions begin after a head, ',' or ';' (also full-width) or an
        // arrow of a top-level line.
        if (p->parent || !(p->type == 0 || isComma(p) || isSemicolon(p) || inRange(p->type, 506, 543)))
            continue;
        EqElement* candidate = p->next;
        while (isSpace(candidate)) candidate = candidate->next;
        if (!candidate || candidate == name) continue;
        EqElement* equals = definitionEquals(candidate, name);
        if (!equals) continue;
        EqElement* last = lastEqualsOfRun(equals);
        if (mentionsName(last, name)) continue;  // x = x + 1 defines nothing
        if (definitionValue(context, candidate, last, out)) return true;
        if (context.cycle) return false;
    }
    return false;
}

bool variableToken(LineCalcContext& context, EqElement* e, CKwEECal& list, EqElement** next) {
    if (!isVariableName(e)) return false;
    double value = 0;
    if (!variableValue(context, e, &value)) return false;
    list.Append(value, CKwEV::Number, 0);
    const EqElement* sub = subscriptOf(e);
    *next = sub ? sub->next : e->next;
    return true;
}

// ---- constants

bool constantToken(const LineCalcContext& context, EqElement* e, CKwEECal& list, EqElement** next) {
    if (!context.constants) return false;
    const UserConstant* best = nullptr;
    const EqElement* bestAfter = nullptr;
    for (const UserConstant& c : *context.constants) {
        if (!c.enabled || c.name.isEmpty() || (best && c.name.size() <= best->name.size())) continue;
        const EqElement* p = e;
        bool spelled = true;
        for (QChar ch : c.name) {
            if (!p || !IsCharType(p->type) || p->ch != ch.unicode()) {
                spelled = false;
                break;
            }
            p = p->next;
        }
        if (spelled) {
            best = &c;
            bestAfter = p;
        }
    }
    if (!best) return false;
    list.Append(best->value, CKwEV::Number, 0);
    *next = const_cast<EqElement*>(bestAfter);
    return true;
}

enum class Source { None, Structure, Operator, Function, Number, Constant, Postfix, Variable };

}  // namespace

bool IsCalcSeparator(const EqElement* e) { return e && (e->type == kEquals || isComma(e) || isSemicolon(e)); }

bool EvaluateRange(LineCalcContext& context, double* out, EqElement* first, EqElement* last) {
    if (!first || !last) return false;
    EqElement* e = first->type == 0 ? first->next : first;
    EqElement* const end = last->next;
    CKwEECal list;
    Source previous = Source::None;
    while (e && e != end) {
        if (e->type == 0 || IsCalcSeparator(e)) break;
        if (isSpace(e)) {
            e = e->next;
            continue;
        }
        EqElement* next = nullptr;
        double value = 0;
        uint8_t code = 0;
        if (structureValue(context, e, &value, &next)) {
            list.Append(value, CKwEV::Number, 0);
            previous = Source::Structure;
        } else if (context.cycle) {
            return false;
        } else if (operatorToken(e, &code, &next)) {
            list.Append(0, CKwEV::Operator, code);
            previous = Source::Operator;
        } else if (functionToken(context, e, list, &next)) {
            previous = Source::Function;
        } else if (context.cycle) {
            return false;
        } else if (previous != Source::Structure && previous != Source::Constant && previous != Source::Variable &&
                   numberToken(e, list, &next)) {
            previous = Source::Number;
        } else if (postfixToken(context, e, list, &next)) {
            previous = Source::Postfix;
        } else if (context.cycle) {
            return false;
        } else if (variableToken(context, e, list, &next)) {
            previous = Source::Variable;
        } else if (context.cycle) {
            return false;
        } else if (constantToken(context, e, list, &next)) {
            previous = Source::Constant;
        } else {
            return false;
        }
        // Stop at the end of the range even when a reader consumed past it.
        bool pastEnd = false;
        for (EqElement* p = e; p && p != next; p = p->next)
            if (p == last) pastEnd = true;
        if (pastEnd) break;
        e = next;
    }
    return list.Evaluate(out);
}

bool EvaluateLeftOf(LineCalcContext& context, EqElement* equals, double* out) {
    EqElement* last = equals ? equals->prev : nullptr;
    if (!last || last->type == 0 || IsCalcSeparator(last)) return false;
    EqElement* first = last;
    while (first->prev && first->prev->type != 0 && !IsCalcSeparator(first->prev)) first = first->prev;
    return EvaluateRange(context, out, first, last);
}

bool EvaluateRightOf(LineCalcContext& context, EqElement* equals, double* out) {
    EqElement* first = equals ? equals->next : nullptr;
    if (!first || first->type == 0 || IsCalcSeparator(first)) return false;
    EqElement* last = first;
    while (last->next && last->next->type != 0 && !IsCalcSeparator(last->next)) last = last->next;
    return EvaluateRange(context, out, first, last);
}

EqElement* InsertResult(LineCalcContext& context, double value, int format, int angle) {
    EqElement* caret = context.eq ? context.eq->caret : nullptr;
    if (!caret) return nullptr;
    EqElement* after = caret->next;
    EqElement* result = NewChildElement(caret->parent, EqTypeCalcResult, 0, caret);
    if (!result) return nullptr;
    result->next = after;
    if (after) after->prev = result;
    SetEquationCaret(context.eq, result);
    CalcResult r;
    r.value = value;
    r.format = uint8_t(format);
    r.angle = uint8_t(angle);
    SetCalcResult(result, r);
    FormatCalcResult(result, value, format, angle);
    return result;
}

bool EvaluateAndInsert(LineCalcContext& context, EqElement* equals, int format, int angle) {
    double value = 0;
    if (!EvaluateLeftOf(context, equals, &value)) return false;
    if (context.selection && context.selection->exists()) DeleteSelection(context.eq, *context.selection);
    SetEquationCaret(context.eq, equals);
    return InsertResult(context, value, format, angle) != nullptr;
}

bool PlaceResultAfter(LineCalcContext& context, EqElement* equals) {
    EqElement* last = nullptr;
    EqElement* stop = nullptr;
    for (EqElement* p = equals; p; p = p->next) {
        if (isRunStop(p)) {
            stop = p;
            break;
        }
        if (p->type == kEquals) {
            p->mark = 1;
            last = p;
        }
    }
    if (!last) return false;
    if (context.selection) ClearSelection(context.eq, *context.selection, false);
    uint8_t format = 0, angle = 0;
    if (last->next && last->next != stop && context.selection) {
        if (last->next->type == EqTypeCalcResult) {
            GetCalcResultOptions(last->next, &format, &angle);
            AddToSelection(*context.selection, last->next);
        } else {
            EqElement* end = last->next;
            while (end->next && end->next != stop) end = end->next;
            SelectRun(*context.selection, last->next, end);
        }
    }
    SetEquationCaret(context.eq, last);
    if (EvaluateAndInsert(context, last, format, angle)) return true;
    // Nothing is replaced: what stood after the equals sign is not left
    // selected for the next key to overwrite.
    if (context.selection) ClearSelection(context.eq, *context.selection, false);
    return false;
}

namespace {

bool calcChain(LineCalcContext& context, EqElement* head) {
    bool placed = false;
    for (EqElement* e = head; e; e = e->next) {
        if (e->type == EqTypeCalcResult) continue;
        for (size_t i = 0; i < e->children.size(); ++i) placed |= calcChain(context, e->children[i]);
    }
    std::vector<EqElement*> equalsSigns;
    for (EqElement* e = head; e; e = e->next) {
        if (e->type == kEquals) {
            e->mark = 0;
            equalsSigns.push_back(e);
        }
    }
    for (EqElement* e : equalsSigns) {
        if (e->mark == 0) placed |= PlaceResultAfter(context, e);
        if (context.cycle) break;
    }
    // The marks only keep an equals sign of a run from being evaluated
    // twice; left set they would show as find marks.
    for (EqElement* e : equalsSigns) e->mark = 0;
    return placed;
}

}  // namespace

bool CalcLine(LineCalcContext& context, EqElement* element) {
    EqElement* head = FindLineHead(element);
    if (!head) return false;
    const bool placed = calcChain(context, head);
    if (context.eq) InvalidateLineCache(context.eq, head);
    return placed;
}

}  // namespace toliva
