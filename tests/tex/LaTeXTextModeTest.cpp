// How the LaTeX reader cuts text into tokens: text inside math and math
// inside text, comments, command names, labels and tags, optional and
// missing arguments. Each case is read, written back, and what was not
// understood is checked.
#include "LaTeXReaderTestSupport.h"

#include "TeXTestContext.h"
#include "model/EqElement.h"
#include "tex/LaTeX.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

struct ReadCase {
    const char* latex;
    const char* written;  // the LaTeX written back, without delimiters, line breaks and tabs
    const char* unknown;  // what the result lists as not understood, blank-separated
};

QString writtenBack(const EqModel& eq) {
    QString written = EquationToLaTeX(eq, writeContext(LaTeXNoDelimiters));
    written.remove(QLatin1Char('\n'));
    written.remove(QLatin1Char('\t'));
    return written.trimmed();
}

void expectReads(const ReadCase* begin, const ReadCase* end) {
    for (const ReadCase* k = begin; k != end; ++k) {
        SCOPED_TRACE(k->latex);
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        EXPECT_TRUE(ReadLaTeXDocument(QString::fromUtf8(k->latex), &eq, readContext(), &r));
        EXPECT_FALSE(r.error) << r.message.toStdString() << " at " << r.position;
        EXPECT_EQ(writtenBack(eq).toStdString(), k->written);
        EXPECT_EQ(r.unknown.join(QLatin1Char(' ')).toStdString(), k->unknown);
    }
}

int countType(const EqElement* head, int type) {
    int n = 0;
    for (const EqElement* e = head; e; e = e->next) {
        if (e->type == type) ++n;
        for (const EqElement* c : e->children) n += countType(c, type);
    }
    return n;
}

// Dollars and "\(...\)" inside the argument of a text command are math
// within the text: they neither cut the formula into segments nor lose the
// words around them.
TEST(LaTeXTextModeTest, MathInsideTextStaysInTheFormula) {
    const ReadCase cases[] = {
        {"f(x) = \\begin{cases} 1 & \\text{if $x > 1$} \\\\ 0 & \\text{otherwise} \\end{cases}",
         "f(x)=\\begin{cases}1&\\mathrm{if}\\ x>1\\\\0&\\mathrm{otherwise}\\\\\\end{cases}", ""},
        {"\\text{for $a<b$ and $c$}", "\\mathrm{for}\\ a<b\\,\\,\\mathrm{and}\\ c", ""},
        {"\\mbox{if \\(x^2\\) holds}", "\\mathrm{if}\\ x^2\\,\\,\\mathrm{holds}", ""},
        {"\\textrm{with $\\alpha$}", "\\mathrm{with}\\ \\alpha", ""},
        // Inside outer delimiters: the text's own dollars do not close them.
        {"Let $\\text{if $x$ is odd}$ hold.", "\\mathrm{if}\\ x\\,\\,\\mathrm{is}\\ \\mathrm{odd}", ""},
        {"\\[ y = \\text{for all $n$} \\]", "y=\\mathrm{for}\\ \\mathrm{all}\\ n", ""},
        // The text's style stops at its math: x stays italic inside bold text.
        {"\\textbf{a $x$}", "\\mathbf{a}\\,\\,x", ""},
        // A lone dollar in text is the character.
        {"\\text{5$}", "5\\$", ""},
    };
    expectReads(std::begin(cases), std::end(cases));

    // In the words around formulas a text command is prose: its dollars
    // still delimit formulas.
    EqModel eq(builtInStyle());
    LaTeXReadResult r;
    ASSERT_TRUE(ReadLaTeXDocument(QStringLiteral("\\textbf{Case $n$:} then $n^2$."), &eq, readContext(), &r));
    EXPECT_EQ(r.segments, 2);
    EXPECT_EQ(writtenBack(eq).toStdString(), "n\\\\n^2");
}

// Text style commands inside text are styles, not their names; blanks in
// text are one space each.
TEST(LaTeXTextModeTest, TextStyleCommandsInsideTextAreStyles) {
    const ReadCase cases[] = {
        {"\\text{a \\textbf{b} c}", "\\mathrm{a}\\ \\mathbf{b}\\,\\,\\mathrm{c}", ""},
        {"\\text{\\textit{it} and \\emph{em}}", "it\\,\\,\\mathrm{and}\\ em", ""},
        {"\\text{\\textsf{s}\\texttt{t}}", "\\mathsf{s}\\mathtt{t}", ""},
        {"\\text{well-known}", "\\mathrm{well}\\-\\mathrm{known}", ""},
        {"\\text{if }n", "\\mathrm{if}\\ n", ""},
        // The old switches style the rest of their text; words without
        // effect in math have none in text.
        {"\\text{\\it ab \\bf cd}", "ab\\,\\,\\mathbf{cd}", ""},
        {"\\text{\\tiny (1em)}", "(1\\mathrm{em)}", ""},
        // Other commands in text stay their characters and are reported.
        {"\\text{\\foo x}", "\\backslash \\mathrm{foo}\\ \\mathrm{x}", "\\foo"},
    };
    expectReads(std::begin(cases), std::end(cases));

    EqModel eq(builtInStyle());
    ASSERT_TRUE(ReadLaTeXDocument(QStringLiteral("\\text{if }n"), &eq, readContext(), nullptr));
    EXPECT_EQ(countType(eq.lines[0], 101), 1);
}

// Comments are dropped; a command name is its letters, and the longest
// name the table knows wins.
TEST(LaTeXTextModeTest, CommentsAndCommandNames) {
    const ReadCase cases[] = {
        {"a % a note\n+b", "a+b", ""},
        {"50\\%", "50\\%", ""},
        {"\\frac{a}{b % }\n}", "\\frac{a}{b}", ""},
        {"\\text{a % note\n b}", "\\mathrm{a}\\ \\mathrm{b}", ""},
        {"\\lt \\gt", "<>", ""},
        {"\\lgroup x \\rgroup", "\\left( x \\right)", ""},
        {"\\left\\lgroup x \\right\\rgroup", "\\left( x \\right)", ""},
        {"\\alpha/2", "\\alpha /2", ""},
        {"\\big/", "/", ""},
    };
    expectReads(std::begin(cases), std::end(cases));

    // A comment hides the delimiters in it: two formulas, not three.
    EqModel eq(builtInStyle());
    LaTeXReadResult r;
    ASSERT_TRUE(ReadLaTeXDocument(QStringLiteral("$a$ % $b$\n and $c$"), &eq, readContext(), &r));
    EXPECT_EQ(r.segments, 2);
    EXPECT_EQ(eq.lines.size(), 2u);

    // \lt and \gt are the relations themselves.
    ASSERT_TRUE(ReadLaTeXDocument(QStringLiteral("a\\lt b\\gt c"), &eq, readContext(), nullptr));
    EXPECT_EQ(countType(eq.lines[0], 1060), 1);
    EXPECT_EQ(countType(eq.lines[0], 1061), 1);
}

// Labels, tags and equation references never become words; a tag keeps
// its row.
TEST(LaTeXTextModeTest, LabelsTagsAndReferences) {
    const ReadCase cases[] = {
        {"\\begin{align} a &= b \\tag{1} \\\\ c &= d \\end{align}",
         "\\begin{aligned}a&=b\\quad (1)\\\\c&=d\\\\\\end{aligned}", ""},
        {"x = y \\tag*{A}", "x=y\\quad \\mathrm{A}", ""},
        {"a \\label{eq:one} = b", "a=b", "\\label"},
        {"\\eqref{2} x", "(2)x", ""},
        {"x \\nonumber + y \\notag", "x+y", ""},
    };
    expectReads(std::begin(cases), std::end(cases));
}

// An optional argument is taken as such; a missing brace or argument is an
// error at its place, and the formula adds nothing.
TEST(LaTeXTextModeTest, OptionalAndMissingArguments) {
    const ReadCase cases[] = {
        {"\\cfrac[l]{a}{b}", "\\frac{a}{b}", ""},
        {"\\cfrac[r]{1}{2+\\cfrac{1}{x}}", "\\frac{1}{2+\\frac{1}{x}}", ""},
        {"\\cfrac{a}{b}[c]", "\\frac{a}{b}[c]", ""},
    };
    expectReads(std::begin(cases), std::end(cases));

    struct Failing {
        const char* latex;
        const char* message;
        int position;
    };
    const Failing failing[] = {
        {"\\frac{a}{", "{ without }", 8},
        {"a+{b", "{ without }", 2},
        {"\\frac{a}", "\\frac without its argument", 8},
        {"x^", "^ without its argument", 2},
        {"\\sum_", "_ without its argument", 5},
        {"\\sqrt", "\\sqrt without its argument", 5},
        {"\\mathbf", "\\mathbf without its argument", 7},
        {"\\hat{\\frac{1}}", "\\frac without its argument", 13},
        {"\\tag", "\\tag without its argument", 4},
    };
    for (const Failing& k : failing) {
        SCOPED_TRACE(k.latex);
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        EXPECT_FALSE(ReadLaTeXDocument(QString::fromUtf8(k.latex), &eq, readContext(), &r));
        EXPECT_TRUE(r.error);
        EXPECT_EQ(r.message.toStdString(), k.message);
        EXPECT_EQ(r.position, k.position);
        EXPECT_TRUE(IsEquationEmpty(&eq));
    }

    // One failing formula of several: the others convert, the position is
    // that in the whole text.
    EqModel eq(builtInStyle());
    LaTeXReadResult r;
    EXPECT_TRUE(ReadLaTeXDocument(QStringLiteral("$y$ and $x^$"), &eq, readContext(), &r));
    EXPECT_TRUE(r.error);
    EXPECT_EQ(r.converted, 1);
    EXPECT_EQ(r.position, 11);
}

}  // namespace
}  // namespace toliva::test
