// The line calculator's token list: its passes, postfix insertion, the
// function table, and a cross-check against an independent evaluator.
#include "sheet/calc/CKwEECal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace toliva;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();

// One token as a test writes it; postfix tokens go through InsertPostfix.
struct Tok {
    uint8_t kind;
    uint8_t code;
    double value = 0;
    uint8_t unit = CKwEV::NoUnit;
    bool postfix = false;
};

Tok num(double v, uint8_t unit = CKwEV::NoUnit) { return {CKwEV::Number, 0, v, unit}; }
Tok op(uint8_t code) { return {CKwEV::Operator, code}; }
Tok fn(uint8_t code, double p = 0) { return {CKwEV::Function, code, p}; }
Tok pow(double p) { return {CKwEV::Function, CalcPower, p, CKwEV::NoUnit, true}; }
Tok fact() { return {CKwEV::Function, CalcFactorial, 0, CKwEV::NoUnit, true}; }

const Tok plus = op(CalcAdd), minus = op(CalcSubtract), times = op(CalcMultiplySign), star = op(CalcMultiply),
          slash = op(CalcDivide), par = op(CalcParallel);

void fill(CKwEECal& cal, const std::vector<Tok>& toks) {
    for (const Tok& t : toks) {
        if (t.postfix)
            cal.InsertPostfix(t.value, t.kind, t.code, t.unit);
        else
            cal.Append(t.value, t.kind, t.code, t.unit);
    }
}

// The value of a token list, or nullopt when it does not evaluate.
std::optional<double> eval(const std::vector<Tok>& toks) {
    CKwEECal cal;
    fill(cal, toks);
    double v = 0;
    if (!cal.Evaluate(&v)) return std::nullopt;
    return v;
}

}  // namespace

TEST(CalcEvaluator, Values) {
    struct Case {
        const char* name;
        std::vector<Tok> toks;
        double value;
    };
    const Case cases[] = {
        {"one number", {num(4.5)}, 4.5},
        {"precedence", {num(1), plus, num(2), times, num(3)}, 7},
        {"division before subtraction", {num(10), minus, num(6), slash, num(4)}, 8.5},
        {"left to right", {num(8), slash, num(4), slash, num(2)}, 1},
        {"leading minus", {minus, num(3), plus, num(4)}, 1},
        {"leading plus", {plus, num(3)}, 3},
        {"minus minus", {num(1), minus, minus, num(2)}, 3},
        {"plus minus", {num(1), plus, minus, num(2)}, -1},
        {"minus plus minus", {num(1), minus, plus, minus, num(2)}, 3},
        {"times minus", {num(2), times, minus, num(3)}, -6},
        {"star plus", {num(2), star, plus, num(3)}, 6},
        {"divide minus minus", {num(6), slash, minus, minus, num(3)}, 2},
        {"negative product after minus", {num(2), minus, num(3), times, minus, num(4)}, 14},
        {"parallel", {num(6), par, num(3)}, 2},
        {"parallel with a negative operand", {num(6), par, minus, num(3)}, -6},
        {"juxtaposition", {num(2), num(kPi)}, 2 * kPi},
        {"juxtaposition after a quotient", {num(1), slash, num(2), num(3)}, 1.5},
        {"juxtaposition with a function", {num(2), fn(CalcSin), num(30, CKwEV::Degree), plus, num(1)}, 2},
        {"factorial", {num(3), fact()}, 6},
        {"factorial of a fraction", {num(3.7), fact()}, 6},
        {"factorial below two", {num(-4), fact()}, 1},
        {"power then factorial", {num(2), pow(3), fact()}, 40320},
        {"power of a power", {num(2), pow(3), pow(2)}, 64},
        {"power inside a function", {fn(CalcSin), num(2), pow(2)}, std::sin(4.0)},
        {"nested functions", {fn(CalcAbs), fn(CalcLn), num(0.5)}, std::log(2.0)},
        {"percent", {num(30, CKwEV::Percent)}, 0.3},
        {"per mille", {num(50, CKwEV::PerMille)}, 0.05},
        {"degrees and arc minutes", {num(1, CKwEV::Degree), num(30, CKwEV::ArcMinute)}, 1.5 * kPi / 180},
        {"degrees, minutes, seconds", {num(1, CKwEV::Degree), num(1, CKwEV::ArcMinute), num(1, CKwEV::ArcSecond)},
         (1 + 1 / 60.0 + 1 / 3600.0) * kPi / 180},
        {"sin of degrees", {fn(CalcSin), num(30, CKwEV::Degree)}, 0.5},
        {"log base 0 is decimal", {fn(CalcLog, 0), num(1000)}, 3},
        {"log base 2", {fn(CalcLog, 2), num(8)}, 3},
        {"divide by zero", {num(1), slash, num(0)}, kInf},
        {"negative divide by zero", {minus, num(1), slash, num(0)}, -kInf},
        {"factorial of a huge number", {num(1e300), fact()}, kInf},
        {"factorial of infinity", {num(kInf), fact()}, kInf},
        {"factorial binds to the last operand", {num(1), slash, num(0), fact()}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto v = eval(c.toks);
        ASSERT_TRUE(v);
        if (std::isinf(c.value))
            EXPECT_EQ(*v, c.value);
        else
            EXPECT_NEAR(*v, c.value, 1e-12 * std::max(1.0, std::fabs(c.value)));
    }
}

TEST(CalcEvaluator, DomainErrorsGiveNotANumber) {
    const std::vector<Tok> cases[] = {
        {num(0), slash, num(0)},
        {fn(CalcLn), num(-1)},
        {fn(CalcAsin), num(2)},
        {num(-1), pow(0.5)},
        {fn(CalcLog, 1), num(1)},
    };
    for (const auto& toks : cases) {
        const auto v = eval(toks);
        ASSERT_TRUE(v);
        EXPECT_TRUE(std::isnan(*v)) << *v;
    }
}

TEST(CalcEvaluator, StructuralErrorsFail) {
    struct Case {
        const char* name;
        std::vector<Tok> toks;
    };
    const Case cases[] = {
        {"empty", {}},
        {"two multiplications", {num(2), times, times, num(3)}},
        {"times after plus", {num(2), plus, times, num(3)}},
        {"leading multiplication", {times, num(3)}},
        {"leading multiplication before a sign", {slash, minus, num(3)}},
        {"trailing multiplication", {num(3), times}},
        {"trailing minus", {num(3), minus}},
        {"only an operator", {plus}},
        {"function without argument", {fn(CalcSin)}},
        {"function before an operator", {fn(CalcSin), plus, num(1)}},
        {"leftover function after a run", {num(2), fn(CalcCos)}},
        {"unknown operator", {num(2), op(9), num(3)}},
        {"unknown token kind", {num(2), {7, 0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(eval(c.toks));
    }
}

TEST(CalcEvaluator, PostfixGoesBeforeItsOperand) {
    CKwEECal cal;
    cal.InsertPostfix(3, CKwEV::Function, CalcPower);  // nothing to apply to
    EXPECT_EQ(cal.count(), 0);
    cal.Append(0, CKwEV::Function, CalcSin);
    cal.Append(2, CKwEV::Number, 0);
    cal.InsertPostfix(3, CKwEV::Function, CalcPower);
    cal.InsertPostfix(0, CKwEV::Function, CalcFactorial);
    std::vector<std::pair<int, int>> order;
    for (const CKwEV* t = cal.first(); t; t = t->next) order.emplace_back(t->kind, t->code);
    const std::vector<std::pair<int, int>> expected = {
        {CKwEV::Function, CalcSin}, {CKwEV::Function, CalcFactorial}, {CKwEV::Function, CalcPower}, {CKwEV::Number, 0}};
    EXPECT_EQ(order, expected);
    // The links agree in both directions.
    int back = 0;
    for (const CKwEV* t = cal.last(); t; t = t->prev) ++back;
    EXPECT_EQ(back, 4);
    EXPECT_EQ(cal.first()->prev, nullptr);
    EXPECT_EQ(cal.last()->next, nullptr);
}

TEST(CalcEvaluator, FunctionTable) {
    struct Case {
        uint8_t code;
        double p, x, value;
    };
    const Case cases[] = {
        {CalcPowerOfParameter, 10, 3, 1000}, {CalcPowerOfParameter, 0, 2, 0}, {CalcPower, 3, 2, 8},
        {6, 0, 7, 7},                        {7, 0, 7, 7},                    {CalcLn, 0, std::exp(2.0), 2},
        {CalcSinh, 0, 1, std::sinh(1.0)},    {CalcCosh, 0, 1, std::cosh(1.0)}, {CalcTanh, 0, 1, std::tanh(1.0)},
        {CalcCoth, 0, 1, 1 / std::tanh(1.0)}, {CalcSech, 0, 1, 1 / std::cosh(1.0)},
        {CalcCsch, 0, 1, 1 / std::sinh(1.0)}, {CalcSin, 0, kPi / 2, 1}, {CalcCos, 0, 0, 1},
        {CalcSec, 0, kPi / 3, 2},            {CalcCsc, 0, kPi / 6, 2},        {CalcTan, 0, kPi / 4, 1},
        {CalcCot, 0, kPi / 4, 1},            {CalcExp, 0, 1, std::numbers::e}, {CalcLg, 0, 100, 2},
        {CalcLog, 3, 81, 4},                 {CalcLog, -2, 100, 2},           {24, 0, 5, 5},
        {25, 0, 5, 5},                       {26, 0, 5, 5},                   {28, 0, 5, 5},
        {CalcAbs, 0, -2.5, 2.5},             {CalcAsin, 0, 0.5, kPi / 6},     {CalcArcsin, 0, 0.5, kPi / 6},
        {CalcAcos, 0, 0.5, kPi / 3},         {CalcArccos, 0, 0.5, kPi / 3},   {CalcAtan, 0, 1, kPi / 4},
        {CalcArctan, 0, 1, kPi / 4},         {CalcAcot, 0, 1, kPi / 4},       {CalcArccot, 0, 0, kPi / 2},
        {CalcAsec, 0, 2, kPi / 3},           {CalcArcsec, 0, 2, kPi / 3},     {CalcAcsc, 0, 2, kPi / 6},
        {CalcArccsc, 0, 2, kPi / 6},         {CalcPowerOrTen, 2, 3, 9},       {CalcPowerOrTen, 0, 2, 1024},
        {CalcFactorial, 0, 170, std::tgamma(171.0)}, {CalcFactorial, 0, 171, kInf}, {99, 0, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.code));
        const double v = ApplyCalcFunction(c.code, c.p, c.x);
        if (std::isinf(c.value))
            EXPECT_EQ(v, c.value);
        else
            EXPECT_NEAR(v, c.value, 1e-12 * std::max(1.0, std::fabs(c.value)));
    }
    EXPECT_TRUE(std::isnan(ApplyCalcFunction(CalcFactorial, 0, std::nan(""))));
    EXPECT_TRUE(std::isnan(ApplyCalcFunction(CalcLn, 0, -1)));
    EXPECT_TRUE(std::isnan(ApplyCalcFunction(CalcAcos, 0, 1.5)));
    EXPECT_EQ(ApplyCalcFunction(CalcFactorial, 0, -kInf), 1);
}

namespace {

// Random arithmetic written as text ("-3 * sin 2 ^ 0.5 + 7 // 4") that the
// cross-check reads twice: into a token list the way the line reader fills
// one, and through a plain recursive-descent evaluator.
class ExprGen {
public:
    explicit ExprGen(uint32_t seed) : m_rng(seed) {}

    std::vector<std::string> expr() {
        m_out.clear();
        if (pick(4) == 0) m_out.push_back(pick(2) ? "-" : "+");
        term();
        for (int n = int(pick(4)); n > 0; --n) {
            m_out.push_back(pick(2) ? "+" : "-");
            if (pick(5) == 0) m_out.push_back("-");
            term();
        }
        return m_out;
    }

private:
    uint32_t pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(m_rng); }

    void term() {
        factor();
        for (int n = int(pick(3)); n > 0; --n) {
            static const char* const ops[] = {"*", "x", "/", "//", ""};
            const std::string o = ops[pick(5)];
            if (!o.empty()) m_out.push_back(o);
            if (!o.empty() && pick(5) == 0) m_out.push_back(pick(2) ? "-" : "+");
            factor();
        }
    }

    void factor() {
        if (pick(4) == 0) {
            static const char* const fns[] = {"sin", "cos", "tan"};
            m_out.push_back(fns[pick(3)]);
        }
        switch (pick(3)) {
        case 0: m_out.push_back(std::to_string(pick(20))); break;
        case 1: m_out.push_back(std::to_string(1 + pick(20)) + "/" + std::to_string(1 + pick(9)) + "q"); break;
        default: m_out.push_back(std::to_string(pick(10)) + "." + std::to_string(pick(100))); break;
        }
        if (pick(4) == 0) {
            static const char* const exps[] = {"2", "3", "0.5", "-1", "-2"};
            m_out.push_back("^");
            m_out.push_back(exps[pick(5)]);
        }
    }

    std::mt19937 m_rng;
    std::vector<std::string> m_out;
};

// A number word: "7", "2.5", or a fraction "3/4q" that stands for a value the
// line reader computes from a fraction structure.
double numberOf(const std::string& w) {
    const auto q = w.find('/');
    if (q != std::string::npos && w.back() == 'q') return std::stod(w.substr(0, q)) / std::stod(w.substr(q + 1));
    return std::stod(w);
}

bool isNumberWord(const std::string& w) { return !w.empty() && (std::isdigit(static_cast<unsigned char>(w[0])) != 0); }

uint8_t functionCode(const std::string& w) {
    if (w == "sin") return CalcSin;
    if (w == "cos") return CalcCos;
    if (w == "tan") return CalcTan;
    return 0;
}

void fillFromWords(CKwEECal& cal, const std::vector<std::string>& words) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "+") cal.Append(0, CKwEV::Operator, CalcAdd);
        else if (w == "-") cal.Append(0, CKwEV::Operator, CalcSubtract);
        else if (w == "*") cal.Append(0, CKwEV::Operator, CalcMultiply);
        else if (w == "x") cal.Append(0, CKwEV::Operator, CalcMultiplySign);
        else if (w == "/") cal.Append(0, CKwEV::Operator, CalcDivide);
        else if (w == "//") cal.Append(0, CKwEV::Operator, CalcParallel);
        else if (w == "^") cal.InsertPostfix(std::stod(words[++i]), CKwEV::Function, CalcPower);
        else if (functionCode(w)) cal.Append(0, CKwEV::Function, functionCode(w));
        else cal.Append(numberOf(w), CKwEV::Number, 0);
    }
}

// Textbook precedence: sums of products; a sign after an operator belongs to
// the operand after it; a function takes one power.
class RefEval {
public:
    explicit RefEval(const std::vector<std::string>& w) : m_w(w) {}

    double run() {
        double sign = 1;
        if (at("-") || at("+")) sign = m_w[m_i++] == "-" ? -1 : 1;
        double v = sign * term();
        while (m_i < m_w.size()) {
            double s = m_w[m_i++] == "-" ? -1 : 1;
            while (at("-") || at("+")) s *= m_w[m_i++] == "-" ? -1 : 1;
            v += s * term();
        }
        return v;
    }

private:
    bool at(const char* s) const { return m_i < m_w.size() && m_w[m_i] == s; }

    double term() {
        double v = factor();
        for (;;) {
            std::string o;
            if (at("*") || at("x") || at("/") || at("//")) o = m_w[m_i++];
            else if (m_i < m_w.size() && (isNumberWord(m_w[m_i]) || functionCode(m_w[m_i]))) o = "*";
            else return v;
            double s = 1;
            while (at("-") || at("+")) s *= m_w[m_i++] == "-" ? -1 : 1;
            const double b = s * factor();
            if (o == "/") v = v / b;
            else if (o == "//") v = v * b / (v + b);
            else v = v * b;
        }
    }

    double factor() {
        const uint8_t f = functionCode(m_w[m_i]);
        if (f) ++m_i;
        double v = numberOf(m_w[m_i++]);
        while (at("^")) {
            v = std::pow(v, std::stod(m_w[m_i + 1]));
            m_i += 2;
        }
        if (f == CalcSin) return std::sin(v);
        if (f == CalcCos) return std::cos(v);
        if (f == CalcTan) return std::tan(v);
        return v;
    }

    const std::vector<std::string>& m_w;
    size_t m_i = 0;
};

}  // namespace

TEST(CalcEvaluator, AgreesWithTextbookPrecedence) {
    ExprGen gen(20261211);
    int compared = 0;
    for (int n = 0; n < 4000; ++n) {
        const std::vector<std::string> words = gen.expr();
        CKwEECal cal;
        fillFromWords(cal, words);
        double got = 0;
        std::string text;
        for (const std::string& w : words) text += w + " ";
        SCOPED_TRACE(text);
        ASSERT_TRUE(cal.Evaluate(&got));
        const double want = RefEval(words).run();
        if (!std::isfinite(got) || !std::isfinite(want) || std::fabs(want) > 1e12) continue;
        ++compared;
        EXPECT_LE(std::fabs(got - want), 1e-12 * std::max(std::fabs(got), std::fabs(want)));
    }
    EXPECT_GT(compared, 3000);
}
