// Line evaluation: lines read from LaTeX are evaluated after their equals
// signs; results, their formats, variables, constants, cycles of
// definitions, the marks of the equals signs, and the sheet's triggers.
#include "SheetFixtures.h"
#include "SheetTestSupport.h"

#include "common/ModelFixtures.h"
#include "model/EqDump.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/MessageSink.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/LineCalc.h"
#include "sheet/editing/Selection.h"
#include "sheet/editing/WordLists.h"
#include "tests/model/EqLayoutTestSupport.h"
#include "tests/tex/TeXTestContext.h"
#include "tex/LaTeX.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace toliva::test {
namespace {

// The text a result element shows: characters, '-' and '+' for the sign
// elements, '*' for the multiplication sign, '^' before a superscript.
QString shownText(const EqElement* e) {
    QString text;
    for (; e; e = e->next) {
        switch (e->type) {
        case 0: break;
        case 1042: text += u'+'; break;
        case 1043: text += u'-'; break;
        case 1045: text += u'*'; break;
        case 173: text += u'^'; break;
        default: text += QChar(e->ch); break;
        }
        for (const EqElement* child : e->children) text += shownText(child);
    }
    return text;
}

class LineCalcTest : public ::testing::Test {
protected:
    void read(const QString& tex) {
        ReadLaTeXInto(tex, &eq, readContext());
        ASSERT_FALSE(eq.lines.empty()) << tex.toStdString();
    }
    LineCalcContext context() {
        LineCalcContext c;
        c.eq = &eq;
        c.selection = &selection;
        c.constants = &constants;
        return c;
    }
    // Evaluates one line; remembers whether a cycle was met.
    bool calc(size_t line) {
        LineCalcContext c = context();
        const bool placed = CalcLine(c, eq.lines.at(line));
        cycle = c.cycle;
        return placed;
    }
    // The last result element of a top-level line.
    EqElement* result(size_t line) {
        EqElement* found = nullptr;
        for (EqElement* e = eq.lines.at(line); e; e = e->next)
            if (e->type == EqTypeCalcResult) found = e;
        return found;
    }
    double value(size_t line) {
        CalcResult r;
        EqElement* e = result(line);
        if (!e || !GetCalcResult(e, &r)) return std::nan("");
        return r.value;
    }
    std::string dump() const { return DumpEquation(eq).toStdString(); }

    EqModel eq{builtInStyle()};
    SheetSelection selection;
    std::vector<UserConstant> constants;
    bool cycle = false;
    RecordingMessageSink messages;
    ScopedMessageSink guard{&messages};
};

TEST_F(LineCalcTest, ExpressionsEvaluateToTheirValues) {
    struct Case {
        const char* tex;
        double value;
    };
    const Case cases[] = {
        {"2+3=", 5},
        {"\\sqrt[3]{27}=", 3},
        {"\\sqrt[3]{-8}=", -2},  // odd roots of negative numbers
        {"\\sqrt{16}-1=", 3},
        {"\\frac{1}{4}=", 0.25},
        {"\\log_2 8=", 3},
        {"30\\%=", 0.3},
        {"5!=", 120},
        {"2^3!=", 40320},
        {"C_5^2=", 10},
        {"A_5^2=", 20},
        {"\\sin^{-1}0.5=", std::asin(0.5)},
        {"\\left|-3\\right|+1=", 4},
        {"\\lfloor 2.5\\rfloor+\\lceil 2.5\\rceil=", 5},
        {"2\\times -3=", -6},
        {"6//3=", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tex);
        read(QString::fromUtf8(c.tex));
        EXPECT_TRUE(calc(0)) << dump();
        EXPECT_NEAR(value(0), c.value, 1e-9) << dump();
    }
}

// Combinations and arrangements of huge counts end at once; counts that are
// not finite are refused.
TEST_F(LineCalcTest, HugeCountsEndAtOnceAndInfiniteOnesAreRefused) {
    read(QStringLiteral("C_{10^{300}}^{10^{300}}="));
    ASSERT_TRUE(calc(0)) << dump();
    EXPECT_EQ(value(0), 1);
    read(QStringLiteral("C_{10^{300}}^{2}="));
    ASSERT_TRUE(calc(0)) << dump();
    EXPECT_TRUE(std::isinf(value(0)));
    read(QStringLiteral("A_{10^{300}}^{10^{299}}="));
    ASSERT_TRUE(calc(0)) << dump();
    EXPECT_TRUE(std::isinf(value(0)));
    read(QStringLiteral("C_{1/0}^{2}="));
    EXPECT_FALSE(calc(0)) << dump();
}

TEST_F(LineCalcTest, LinesThatDoNotEvaluateStayUnchanged) {
    for (const char* tex : {"=", "2\\times\\times 3=", "q+1=", "\\max 3="}) {
        SCOPED_TRACE(tex);
        read(QString::fromUtf8(tex));
        const QByteArray before = EquationToBytes(&eq);
        EXPECT_FALSE(calc(0));
        EXPECT_EQ(EquationToBytes(&eq), before);
        EXPECT_FALSE(selection.exists());
    }
}

TEST_F(LineCalcTest, OnlyTheExpressionAfterTheLastSeparatorCounts) {
    read("a, 1+1=");
    ASSERT_TRUE(calc(0)) << dump();
    EXPECT_EQ(value(0), 2);
}

TEST_F(LineCalcTest, AOneThirdShowsInEachNumberFormat) {
    const char* shown[] = {"0.3", "0.33", "0.333", "0.3333", "0.33333", "0.333333", "0.3333333",
                           "0.33333333", "0.333333333", "0.333333", "3.333333*10^-1", "0.333333", "0"};
    for (int format = 1; format <= 13; ++format) {
        SCOPED_TRACE(format);
        read("\\frac{1}{3}=");
        LineCalcContext c = context();
        EqElement* equals = FindChainEnd(eq.lines[0]);
        ASSERT_EQ(equals->type, 1049);
        ASSERT_TRUE(EvaluateAndInsert(c, equals, format, 0));
        EXPECT_EQ(shownText(result(0)->children.front()), QString::fromUtf8(shown[format - 1]));
    }
}

TEST_F(LineCalcTest, EvaluatingAgainReplacesTheResultAndKeepsItsFormat) {
    read("1+2=");
    ASSERT_TRUE(calc(0));
    SetCalcResultOptions(result(0), 2, 0);
    EqElement* plus = eq.lines[0]->next->next;
    ASSERT_EQ(plus->type, 1042);
    plus->type = 1043;  // 1 - 2
    ASSERT_TRUE(calc(0));
    int results = 0;
    for (EqElement* e = eq.lines[0]; e; e = e->next) results += e->type == EqTypeCalcResult;
    EXPECT_EQ(results, 1);
    EXPECT_EQ(value(0), -1);
    EXPECT_EQ(shownText(result(0)->children.front()), "-1.00");
}

TEST_F(LineCalcTest, VariablesTakeTheValueOfAnEarlierDefinition) {
    read("x=2 \\\\ x^2+1= \\\\ 3x=");
    EXPECT_TRUE(calc(1)) << dump();
    EXPECT_EQ(value(1), 5);
    EXPECT_TRUE(calc(2));
    EXPECT_EQ(value(2), 6);
}

TEST_F(LineCalcTest, ASelfReferencingDefinitionDefinesNothing) {
    read("x=x+1 \\\\ x=");
    const QByteArray before = EquationToBytes(&eq);
    EXPECT_FALSE(calc(1));
    EXPECT_FALSE(cycle);
    EXPECT_EQ(EquationToBytes(&eq), before);
}

TEST_F(LineCalcTest, ConstantsAreMatchedByTheirLongestEnabledName) {
    constants = {{"p", true, 5}, {"pi", true, M_PI}, {"pix", false, 100}};
    read("2pix=");
    // "pix" is disabled: "pi" then the variable x, which has no definition.
    EXPECT_FALSE(calc(0));
    read("2pi=");
    ASSERT_TRUE(calc(0));
    EXPECT_NEAR(value(0), 2 * M_PI, 1e-12);
}

TEST_F(LineCalcTest, EqualsSignsAreUnmarkedAfterTheLineIsEvaluated) {
    read("1+1=2=");
    calc(0);
    for (EqElement* e = eq.lines[0]; e; e = e->next) EXPECT_EQ(e->mark, 0) << e->type;
    EXPECT_FALSE(EquationHasMarks(&eq));
}

// A definition reached again through its own value fails cleanly instead of
// recursing without end.
TEST_F(LineCalcTest, ACycleOfDefinitionsFailsAndLeavesTheEquation) {
    for (const char* tex : {"x=\\sqrt{x} \\\\ x=", "x=\\left(x+1\\right) \\\\ 2x="}) {
        SCOPED_TRACE(tex);
        read(QString::fromUtf8(tex));
        const QByteArray before = EquationToBytes(&eq);
        EXPECT_FALSE(calc(1));
        EXPECT_TRUE(cycle);
        EXPECT_EQ(EquationToBytes(&eq), before);
    }
}

// ---- through the sheet

class LineCalcSheetTest : public LineCalcTest {
protected:
    void show() {
        sheet = std::make_unique<CKwEESheet>(app, programContext(), &host, std::make_unique<HeadlessSheetBackend>());
        sheet->texRead = readContext();
        ShowSheetOffscreen(*sheet, QSize(400, 300), &eq);
    }
    void type(std::u16string_view text) {
        for (char16_t c : text) sheet->ExecuteSymbolKey(SymbolKey{4, c, 0});
    }

    AppContext app;
    SheetHost host;
    std::unique_ptr<CKwEESheet> sheet;
};

TEST_F(LineCalcSheetTest, ATypedEqualsSignEvaluatesWithAutomaticCalculationAndTheSwitchOff) {
    struct Case {
        bool autoCalc;
        int calcSwitch;
        bool evaluated;
    };
    for (const Case c : {Case{true, 0, true}, Case{true, 1, false}, Case{false, 0, false}}) {
        SCOPED_TRACE(::testing::Message() << c.autoCalc << " " << c.calcSwitch);
        ClearEquation(&eq);
        show();
        app.options = c.autoCalc ? AppContext::kDefaultOptions | OptAutoCalc : AppContext::kDefaultOptions & ~OptAutoCalc;
        app.calcSwitch = c.calcSwitch;
        type(u"2+3=");
        EXPECT_EQ(value(0) == 5, c.evaluated) << dump();
        EXPECT_FALSE(EquationHasMarks(&eq));
    }
}

TEST_F(LineCalcSheetTest, TheCommandsEvaluateAsOneUndoStepAndReportACycle) {
    read("x=\\sqrt{x} \\\\ 1+1= \\\\ x=");
    show();
    const QByteArray before = EquationToBytes(&eq);
    sheet->ExecuteCommand(CMD_CALC_ALL);
    EXPECT_EQ(value(1), 2);
    EXPECT_EQ(result(2), nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(messages.shown[0].text.isEmpty());
    sheet->Undo();
    EXPECT_EQ(EquationToBytes(&eq), before);
    sheet->SetCaretElement(FindChainEnd(eq.lines[1]));
    sheet->ExecuteCommand(CMD_CALC_LINE);
    EXPECT_EQ(value(1), 2);
}

}  // namespace
}  // namespace toliva::test
