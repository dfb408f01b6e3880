// The line calculator's numeric evaluator: a flat list of tokens (numbers
// with their units, operators, functions) reduced to one number by a fixed
// sequence of passes. No widgets, no element tree: the line evaluation
// (sheet/editing/LineCalc.h) reads a line into a token list.
#pragma once

#include <cstdint>

namespace toliva {

// One token.
struct CKwEV {
    enum Kind : uint8_t { Number = 0, Operator = 1, Function = 2 };
    enum Unit : uint8_t { NoUnit = 0, Degree = 1, ArcMinute = 2, ArcSecond = 3, Percent = 4, PerMille = 5 };

    uint8_t kind = Number;
    uint8_t code = 0;  // operator or function code
    uint8_t unit = NoUnit;
    double value = 0;  // a number; a function's parameter (exponent, base)
    CKwEV* next = nullptr;
    CKwEV* prev = nullptr;
};

// Operator codes.
enum CalcOperator : uint8_t {
    CalcAdd = 1,
    CalcSubtract = 2,
    CalcMultiplySign = 3,  // the multiplication sign
    CalcMultiply = 4,      // '*'
    CalcDivide = 5,
    CalcParallel = 6,      // a x b / (a + b)
};

// Function codes (the function applies to the number that follows it).
enum CalcFunction : uint8_t {
    CalcFactorial = 3,
    CalcPowerOfParameter = 4,  // p to the power x (inverse of "lg")
    CalcPower = 5,             // x to the power p (a superscript)
    CalcLn = 8,
    CalcSinh = 9, CalcCosh = 10, CalcTanh = 11,
    CalcCoth = 12, CalcSech = 13, CalcCsch = 14,
    CalcSin = 15, CalcCos = 16, CalcSec = 17, CalcCsc = 18, CalcTan = 19, CalcCot = 20,
    CalcExp = 21,
    CalcLg = 22,
    CalcLog = 23,  // base p when p > 0, else 10
    CalcAbs = 27,
    CalcAsin = 29, CalcAcos = 30, CalcAtan = 31, CalcAcot = 32, CalcAsec = 33, CalcAcsc = 34,
    CalcArcsin = 35, CalcArccos = 36, CalcArctan = 37, CalcArccot = 38, CalcArcsec = 39, CalcArccsc = 40,
    CalcPowerOrTen = 41,  // x to the power p when p > 0, else x to the power 10 (inverse of "log")
};

// The token list: built empty, filled, evaluated once, destroyed.
class CKwEECal {
public:
    CKwEECal() = default;
    ~CKwEECal();
    CKwEECal(const CKwEECal&) = delete;
    CKwEECal& operator=(const CKwEECal&) = delete;

    // Adds a token at the end.
    void Append(double value, uint8_t kind, uint8_t code, uint8_t unit = CKwEV::NoUnit);
    // A postfix function (power from a superscript, factorial): inserted
    // before the run of power and factorial tokens that directly precede the
    // last token, that is before the operand they apply to; nothing in an
    // empty list.
    void InsertPostfix(double value, uint8_t kind, uint8_t code, uint8_t unit = CKwEV::NoUnit);
    // Reduces the list to one number; false on an empty list or a
    // structural error. Division by zero and domain errors give infinities
    // or not-a-number values, not failures.
    bool Evaluate(double* out);

    const CKwEV* first() const { return m_first; }
    const CKwEV* last() const { return m_last; }
    int count() const;

private:
    CKwEV* m_first = nullptr;
    CKwEV* m_last = nullptr;
};

// One function applied to x with parameter p (the function table).
double ApplyCalcFunction(uint8_t code, double p, double x);

}  // namespace toliva
