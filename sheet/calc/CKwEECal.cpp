// The line calculator's numeric evaluator: the token list and its passes.
#include "sheet/calc/CKwEECal.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace toliva {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

bool isNumber(const CKwEV* t) { return t && t->kind == CKwEV::Number; }
bool isOperator(const CKwEV* t) { return t && t->kind == CKwEV::Operator; }
bool isFunction(const CKwEV* t) { return t && t->kind == CKwEV::Function; }
bool isMultiplicative(const CKwEV* t) { return isOperator(t) && t->code >= CalcMultiplySign && t->code <= CalcParallel; }
bool isAdditive(const CKwEV* t) { return isOperator(t) && (t->code == CalcAdd || t->code == CalcSubtract); }
bool isPostfix(const CKwEV* t) { return isFunction(t) && (t->code == CalcFactorial || t->code == CalcPower); }

// The value of a number in radians or as a plain fraction.
double unitFactor(uint8_t unit) {
    switch (unit) {
    case CKwEV::Degree: return std::numbers::pi / 180;
    case CKwEV::ArcMinute: return std::numbers::pi / 10800;
    case CKwEV::ArcSecond: return std::numbers::pi / 648000;
    case CKwEV::Percent: return 0.01;
    case CKwEV::PerMille: return 0.001;
    default: return 1;
    }
}

// 1 x 2 x ... x n for the largest integer n <= x. Above 170 the product no
// longer fits a double, so the loop never runs further than that.
double factorial(double x) {
    if (std::isnan(x)) return x;
    if (x > 170) return kInf;
    double r = 1;
    for (double k = 2; k <= x; k += 1) r *= k;
    return r;
}

}  // namespace

double ApplyCalcFunction(uint8_t code, double p, double x) {
    switch (code) {
    case CalcFactorial: return factorial(x);
    case CalcPowerOfParameter: return std::pow(p, x);
    case CalcPower: return std::pow(x, p);
    case CalcLn: return std::log(x);
    case CalcSinh: return std::sinh(x);
    case CalcCosh: return std::cosh(x);
    case CalcTanh: return std::tanh(x);
    case CalcCoth: return 1 / std::tanh(x);
    case CalcSech: return 1 / std::cosh(x);
    case CalcCsch: return 1 / std::sinh(x);
    case CalcSin: return std::sin(x);
    case CalcCos: return std::cos(x);
    case CalcSec: return 1 / std::cos(x);
    case CalcCsc: return 1 / std::sin(x);
    case CalcTan: return std::tan(x);
    case CalcCot: return 1 / std::tan(x);
    case CalcExp: return std::exp(x);
    case CalcLg: return std::log10(x);
    case CalcLog: return std::log10(x) / std::log10(p > 0 ? p : 10.0);
    case CalcAbs: return std::fabs(x);
    case CalcAsin:
    case CalcArcsin: return std::asin(x);
    case CalcAcos:
    case CalcArccos: return std::acos(x);
    case CalcAtan:
    case CalcArctan: return std::atan(x);
    case CalcAcot:
    case CalcArccot: return std::atan(1 / x);
    case CalcAsec:
    case CalcArcsec: return std::acos(1 / x);
    case CalcAcsc:
    case CalcArccsc: return std::asin(1 / x);
    case CalcPowerOrTen: return std::pow(x, p > 0 ? p : 10.0);
    default: return x;  // Im, Re, lim, max, min, det and unknown codes
    }
}

CKwEECal::~CKwEECal() {
    while (m_first) {
        CKwEV* next = m_first->next;
        delete m_first;
        m_first = next;
    }
}

int CKwEECal::count() const {
    int n = 0;
    for (const CKwEV* t = m_first; t; t = t->next) ++n;
    return n;
}

void CKwEECal::Append(double value, uint8_t kind, uint8_t code, uint8_t unit) {
    auto* t = new CKwEV{kind, code, unit, value, nullptr, m_last};
    if (m_last)
        m_last->next = t;
    else
        m_first = t;
    m_last = t;
}

void CKwEECal::InsertPostfix(double value, uint8_t kind, uint8_t code, uint8_t unit) {
    CKwEV* at = m_last;
    if (!at) return;
    while (isPostfix(at->prev)) at = at->prev;
    auto* t = new CKwEV{kind, code, unit, value, at, at->prev};
    if (at->prev)
        at->prev->next = t;
    else
        m_first = t;
    at->prev = t;
}

namespace {

// Unlinks a token from the list and deletes it.
void removeToken(CKwEV*& first, CKwEV*& last, CKwEV* t) {
    if (t->prev)
        t->prev->next = t->next;
    else
        first = t->next;
    if (t->next)
        t->next->prev = t->prev;
    else
        last = t->prev;
    delete t;
}

}  // namespace

bool CKwEECal::Evaluate(double* out) {
    if (!m_first) return false;
    auto remove = [this](CKwEV* t) { removeToken(m_first, m_last, t); };

    // Units: a run of numbers with units (30° 15′) becomes one number, each
    // converted by its own unit and then added.
    for (CKwEV* t = m_first; t; t = t->next) {
        if (!isNumber(t) || t->unit == CKwEV::NoUnit) continue;
        t->value *= unitFactor(t->unit);
        t->unit = CKwEV::NoUnit;
        while (isNumber(t->next) && t->next->unit != CKwEV::NoUnit) {
            t->value += t->next->value * unitFactor(t->next->unit);
            remove(t->next);
        }
    }

    // Functions: a run of functions applies to the number after it, the
    // innermost (last) first; the run becomes one number.
    for (CKwEV* t = m_first; t; t = t->next) {
        if (!isFunction(t)) continue;
        CKwEV* end = t;
        while (isFunction(end->next)) end = end->next;
        CKwEV* arg = end->next;
        if (!isNumber(arg)) return false;
        double x = arg->value;
        CKwEV* after = arg->next;
        remove(arg);
        for (CKwEV* f = end;; f = f->prev) {
            x = ApplyCalcFunction(f->code, f->value, x);
            if (f == t) break;
        }
        while (t->next != after) remove(t->next);
        t->kind = CKwEV::Number;
        t->code = 0;
        t->unit = CKwEV::NoUnit;
        t->value = x;
    }

    // Anything that is neither a number nor a known operator is malformed.
    for (CKwEV* t = m_first; t; t = t->next) {
        if (isNumber(t)) continue;
        if (!isOperator(t) || t->code < CalcAdd || t->code > CalcParallel) return false;
    }

    // Signs between operators. A minus after a multiplicative operator
    // negates the operand that follows it, so a // -b stays a x (-b) / (a - b).
    for (CKwEV* t = m_first; t; t = t->next) {
        if (!isOperator(t) || !isOperator(t->next)) continue;
        if (isMultiplicative(t) && !isNumber(t->prev)) return false;
        bool negate = false;
        while (isOperator(t->next)) {
            CKwEV* n = t->next;
            if (isMultiplicative(n)) return false;
            if (n->code == CalcSubtract) {
                if (isMultiplicative(t))
                    negate = !negate;
                else
                    t->code = t->code == CalcAdd ? CalcSubtract : CalcAdd;
            }
            remove(n);
        }
        if (negate && isNumber(t->next)) t->next->value = -t->next->value;
    }

    // Products: a number combines with every multiplicative operator and
    // number after it, and with numbers written directly after it.
    for (CKwEV* t = m_first; t; t = t->next) {
        if (isMultiplicative(t)) return false;  // no number before it
        if (!isNumber(t)) continue;
        for (;;) {
            CKwEV* n = t->next;
            if (isNumber(n)) {
                t->value *= n->value;
                remove(n);
            } else if (isMultiplicative(n)) {
                CKwEV* b = n->next;
                if (!isNumber(b)) return false;
                const double a = t->value, v = b->value;
                switch (n->code) {
                case CalcDivide: t->value = a / v; break;
                case CalcParallel: t->value = a * v / (a + v); break;
                default: t->value = a * v; break;
                }
                remove(b);
                remove(n);
            } else {
                break;
            }
        }
    }

    // Sum: every number, subtracted after a minus. An additive operator
    // with no number after it has nothing to act on.
    double sum = 0;
    for (CKwEV* t = m_first; t; t = t->next) {
        if (isAdditive(t)) {
            if (!isNumber(t->next)) return false;
            continue;
        }
        sum += (t->prev && t->prev->code == CalcSubtract && isOperator(t->prev)) ? -t->value : t->value;
    }
    if (out) *out = sum;
    return true;
}

}  // namespace toliva
