// Style sizes, primes and script signs as the reader builds them: what
// \textstyle, the text style of matrix and cases cells, \tbinom and \dfrac
// become, where a prime before or after scripts goes, and that a minus at
// the start of a script is the minus operator. Then the heights these forms
// give on the laid-out line.
#include "LaTeXReaderTestSupport.h"

#include "TeXTestContext.h"
#include "tex/LaTeX.h"

#include "model/EqLayout.h"
#include "tests/model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

// A chain in short: characters as themselves, other elements as their type
// (with ":ch" in hex when ch is set) and their child chains in parentheses,
// separated by " | ".
QString shape(const EqElement* head) {
    QStringList parts;
    for (const EqElement* e = head ? head->next : nullptr; e; e = e->next) {
        const bool character = (e->type >= 1 && e->type <= 5) || e->type == 16 || e->type == 17;
        QString s = character ? QString(QChar(e->ch)) : QString::number(e->type);
        if (!character && e->ch != 0) s += QLatin1Char(':') + QString::number(e->ch, 16);
        if (!e->children.empty()) {
            QStringList chains;
            for (const EqElement* c : e->children) chains << shape(c);
            s += QLatin1Char('(') + chains.join(QStringLiteral(" | ")) + QLatin1Char(')');
        }
        parts << s;
    }
    return parts.join(QLatin1Char(' '));
}

struct TreeCase {
    const char* latex;
    const char* tree;  // shape() of the first line
    bool readsBack = true;  // written and read again, the tree is the same
};

void expectTrees(const TreeCase* begin, const TreeCase* end) {
    for (const TreeCase* k = begin; k != end; ++k) {
        SCOPED_TRACE(k->latex);
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        ASSERT_TRUE(ReadLaTeXDocument(QString::fromUtf8(k->latex), &eq, readContext(), &r));
        EXPECT_TRUE(r.unknown.isEmpty()) << r.unknown.join(QLatin1Char(' ')).toStdString();
        ASSERT_FALSE(eq.lines.empty());
        EXPECT_EQ(shape(eq.lines.front()).toStdString(), k->tree);

        if (!k->readsBack) continue;
        const QString written = EquationToLaTeX(eq, writeContext(LaTeXNoDelimiters));
        EqModel again(builtInStyle());
        ASSERT_TRUE(ReadLaTeXDocument(written, &again, readContext(), nullptr));
        EXPECT_EQ(readerTree(again).toStdString(), readerTree(eq).toStdString()) << written.toStdString();
    }
}

TEST(LaTeXStyleSizeTest, PrimesBelongToTheSuperscript) {
    const TreeCase cases[] = {
        {"x'^2", "x 173(\u2032 2)"},
        {"x''^{2}", "x 173(\u2033 2)"},
        {"x' ^ 2", "x 173(\u2032 2)"},
        {"x_3'^2", "x 175(\u2032 2 | 3)"},
        {"x_3'", "x 175(\u2032 | 3)"},
        {"x'^2_3", "x 175(\u2032 2 | 3)"},
        // A prime without a superscript stays a character beside its base;
        // a subscript after it sits after it.
        {"f'(x)", "f \u2032 ( x )"},
        {"x'_3", "x \u2032 174(3)"},
    };
    expectTrees(std::begin(cases), std::end(cases));
}

TEST(LaTeXStyleSizeTest, AMinusAtTheStartOfAScriptIsTheMinusOperator) {
    const TreeCase cases[] = {
        {"e^{-x^2}", "e 173(1043 x 173(2))"},
        {"x_{-1}", "x 174(1043 1)"},
    };
    expectTrees(std::begin(cases), std::end(cases));
}

TEST(LaTeXStyleSizeTest, TextStyleMakesFractionsAndBinomialsSmall) {
    const TreeCase cases[] = {
        // The style switches last to the end of their group.
        {"\\textstyle\\frac{a}{b}", "132(a | b)"},
        {"\\scriptstyle\\frac{a}{b}", "132(a | b)"},
        {"{\\textstyle\\frac{a}{b}}\\frac{c}{d}", "132(a | b) 128(c | d)"},
        {"\\textstyle\\dfrac{a}{b}", "128(a | b)"},
        {"\\textstyle\\cfrac{a}{b}", "128(a | b)"},
        {"\\textstyle{\\displaystyle\\frac{a}{b}}", "128(a | b)"},
        // Fraction parts and scripts start again in display style.
        {"\\textstyle\\frac{\\frac{a}{b}}{c}", "132(128(a | b) | c)"},
        {"\\textstyle x^{\\frac{a}{b}}", "x 173(128(a | b))"},
        // Matrix, array and cases cells are in text style; aligned blocks
        // are not.
        {"\\begin{pmatrix}\\frac{a}{b}&1\\\\2&3\\end{pmatrix}", "337(371(132(a | b) | 1 | 2 | 3))", false},
        {"\\begin{pmatrix}\\dfrac{a}{b}&1\\\\2&3\\end{pmatrix}", "337(371(128(a | b) | 1 | 2 | 3))", false},
        {"\\begin{pmatrix}\\left(\\frac{a}{b}\\right)&1\\end{pmatrix}", "337(369(336:111(132(a | b)) | 1))", false},
        {"\\begin{array}{cc}\\frac{a}{b}&1\\\\2&3\\end{array}", "371(132(a | b) | 1 | 2 | 3)"},
        {"\\begin{array}{cc}\\dfrac{a}{b}&\\sqrt{\\frac{c}{d}}\\\\2&3\\end{array}",
         "371(128(a | b) | 136(132(c | d)) | 2 | 3)"},
        {"\\begin{cases}\\frac{a}{b}&x\\\\0&y\\end{cases}", "355(371:1(132(a | b) | x | 0 | y))"},
        {"\\begin{aligned}a&=\\frac{b}{c}\\\\d&=e\\end{aligned}", "370:3(a 1049 128(b | c) | d 1049 e)"},
        {"\\tbinom{n}{k}", "337(370:10(n | k))", false},
        {"\\binom{n}{k}", "337(370(n | k))", false},
        {"\\textstyle\\binom{n}{k}", "337(370:10(n | k))", false},
    };
    expectTrees(std::begin(cases), std::end(cases));
}

// Line heights with the program's fonts.
float lineHeight(const char* latex) {
    EqModel eq(builtInStyle());
    EXPECT_TRUE(ReadLaTeXDocument(QString::fromUtf8(latex), &eq, readContext(), nullptr)) << latex;
    if (eq.lines.empty()) return 0;
    LayoutLines(programContext(), &eq, nullptr, 1.0f, 0, false);
    return eq.lines.front()->chainAscent + eq.lines.front()->chainDescent;
}

TEST(LaTeXStyleSizeTest, FractionsInTextStyleAreLower) {
    struct HeightCase {
        const char* small;
        const char* full;
    };
    const HeightCase cases[] = {
        {"\\begin{cases}\\frac{1}{2}&x<0\\\\\\frac{3}{4}&x\\ge0\\end{cases}",
         "\\begin{cases}\\dfrac{1}{2}&x<0\\\\\\dfrac{3}{4}&x\\ge0\\end{cases}"},
        {"\\begin{pmatrix}\\frac{a}{b}&1\\\\1&\\frac{c}{d}\\end{pmatrix}",
         "\\begin{pmatrix}\\dfrac{a}{b}&1\\\\1&\\dfrac{c}{d}\\end{pmatrix}"},
        {"\\textstyle\\frac{a}{b}", "\\frac{a}{b}"},
        {"\\tbinom{n}{k}", "\\binom{n}{k}"},
    };
    for (const HeightCase& k : cases) {
        SCOPED_TRACE(k.small);
        const float small = lineHeight(k.small);
        const float full = lineHeight(k.full);
        EXPECT_GT(small, 0.0f);
        EXPECT_LT(small, 0.85f * full);
    }
}

}  // namespace
}  // namespace toliva::test
