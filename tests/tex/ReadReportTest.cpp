// What the readers tell the user about a text they did not fully understand:
// every unknown name and every problem, each with where it stands.
#include "LaTeXReaderTestSupport.h"

#include "TeXTestContext.h"
#include "tex/LaTeX.h"
#include "tex/MathML.h"

#include <gtest/gtest.h>

#include <cstring>

namespace toliva::test {
namespace {

QString joined(const QStringList& lines) { return lines.join(QLatin1Char('\n')); }

TEST(ReadReportTest, LaTeXReportNamesEachProblemWhereItStands) {
    const struct {
        const char* what;
        const char* latex;
        bool ok;          // a formula came out
        const char* report;  // the lines, joined by newlines
    } cases[] = {
        {"clean", "\\frac{a}{b}+\\sin x", true, ""},
        {"function names are known", "\\det A", true, ""},
        {"unknown command", "a+\\foo b", true, "1:3: unknown command \\foo"},
        {"the same name once, where first met", "\\foo a \\foo", true, "1:1: unknown command \\foo"},
        {"unknown environment", "x \\begin{zork} a \\end{zork}", true, "1:3: unknown environment {zork}"},
        {"command inside text", "\\text{a \\bar b}", true, "1:9: unknown command \\bar"},
        {"line and column of a later line", "a \\\\\n b \\qux", true, "2:4: unknown command \\qux"},
        {"in the order of the text", "\\zap{a} \\begin{zork} \\zip \\end{zork}", true,
         "1:1: unknown command \\zap\n1:9: unknown environment {zork}\n1:22: unknown command \\zip"},
        {"a brace without its partner", "\\frac{", false, "1:6: { without }"},
        {"a closing brace without its partner", "a}b", true, "1:2: \"}\" without its \"{\" is read as a character"},
        {"the failed segment and the one after it", "$\\right)$ and $x$ and $\\end{matrix}$", true,
         "1:2: \\right without \\left\n1:24: \\end{matrix} without \\begin"},
        {"nothing converts", "\\right)", false, "1:1: \\right without \\left"},
        {"nothing to show", "$$", false, "1:1: no formula in the text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = QString::fromUtf8(c.latex);
        EqModel eq(builtInStyle());
        const LaTeXReadResult r = ReadLaTeXInto(text, &eq, readContext());
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.unknown.size(), r.unknownPositions.size());
        EXPECT_EQ(joined(LaTeXReadReport(r, text)).toStdString(), c.report);
    }
}

MathMLReadResult readMathML(const char* text) {
    MathMLReader reader;
    return ReadMathML(reader, text, std::strlen(text), builtInStyle());
}

TEST(ReadReportTest, MathMLReportNamesEachProblemWhereItStands) {
    const struct {
        const char* what;
        const char* mathml;
        bool ok;
        const char* report;
    } cases[] = {
        {"clean", "<math><mrow><mi>x</mi><mo>+</mo><mn>1</mn></mrow></math>", true, ""},
        {"rows and styles are no loss", "<math><mstyle><mpadded><mi>x</mi></mpadded></mstyle></math>", true, ""},
        {"unknown element", "<math><mi>x</mi><ms>abc</ms></math>", true,
         "byte 16: unknown element <ms>, read as its content"},
        {"each unknown name once", "<math><zork><mi>x</mi></zork><zork/></math>", true,
         "byte 6: unknown element <zork>, read as its content"},
        {"numbered row", "<math><mtable><mlabeledtr><mtd><mtext>(1)</mtext></mtd><mtd><mi>x</mi></mtd>"
                         "</mlabeledtr></mtable></math>",
         true, "byte 26: the label of a numbered row <mlabeledtr> was left out"},
        {"not XML", "<math><mi>x</math>", false,
         "The text is not well-formed XML (Start-end tags mismatch at byte 13)."},
        {"no math", "<p>x</p>", false, "The text holds no MathML \"math\" element."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MathMLReadResult r = readMathML(c.mathml);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(joined(MathMLReadReport(r)).toStdString(), c.report);
    }
}

}  // namespace
}  // namespace toliva::test
