// eqtool tells what it did not understand: each unknown name and each
// problem on standard error with where it stands, and an exit status of its
// own; a clean run prints nothing on standard error.
#include "EqtoolRun.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace toliva {
namespace {

using test::eqtool;
using test::ToolRun;

enum class Source { Latex, LatexFile, RenderLatex, Mathml, Empty };

struct ReportCase {
    const char* what;
    Source source;
    const char* input;  // LaTeX text, or the MathML file's content
    int exitCode;
    const char* err;  // standard error, exactly
    bool written;     // the output file exists afterwards
};

const ReportCase kCases[] = {
    {"clean run", Source::Latex, "\\frac{a}{b}", 0, "", true},
    {"clean picture", Source::RenderLatex, "\\sqrt{x}", 0, "", true},
    {"clean MathML", Source::Mathml, "<math><mi>x</mi><mo>+</mo><mn>1</mn></math>", 0, "", true},
    {"clean run of another command", Source::Empty, "", 0, "", true},
    {"unknown command", Source::Latex, "a+\\foo b", 3, "eqtool: 1:3: unknown command \\foo\n", true},
    {"unknown command in a file", Source::LatexFile, "% a note\na\\\\\n\\foo b", 3,
     "eqtool: in.tex: 3:1: unknown command \\foo\n", true},
    {"unknown command in a picture", Source::RenderLatex, "x\\foo", 3, "eqtool: 1:2: unknown command \\foo\n", true},
    {"unknown environment", Source::Latex, "\\begin{zork} a \\end{zork}", 3,
     "eqtool: 1:1: unknown environment {zork}\n", true},
    {"error with position, the rest converted", Source::Latex, "$x$ and $\\frac{$", 3, "eqtool: 1:15: { without }\n",
     true},
    {"error with position, nothing converted", Source::Latex, "a\n\\right)", 1, "eqtool: 2:1: \\right without \\left\n",
     false},
    {"unknown MathML element", Source::Mathml, "<math><mi>x</mi><ms>y</ms></math>", 3,
     "eqtool: in.mml: byte 16: unknown element <ms>, read as its content\n", true},
    {"numbered MathML row", Source::Mathml,
     "<math><mtable><mlabeledtr><mtd><mn>1</mn></mtd><mtd><mi>x</mi></mtd></mlabeledtr></mtable></math>", 3,
     "eqtool: in.mml: byte 26: the label of a numbered row <mlabeledtr> was left out\n", true},
    {"MathML that is not XML", Source::Mathml, "<math>", 1,
     "eqtool: in.mml: The text is not well-formed XML (Start-end tags mismatch at byte 5).\n", false},
};

TEST(EqtoolReport, EachProblemIsPrintedWithItsPlaceAndTheExitStatusTellsIt) {
    for (const ReportCase& c : kCases) {
        SCOPED_TRACE(c.what);
        test::ScratchFolder dir;
        const QString input = QString::fromUtf8(c.input);
        QStringList args;
        QString output;
        switch (c.source) {
        case Source::Latex:
            output = dir.file(QStringLiteral("out.eqs"));
            args = {QStringLiteral("from-latex"), input, QStringLiteral("-o"), output};
            break;
        case Source::LatexFile:
            output = dir.file(QStringLiteral("out.eqs"));
            ASSERT_TRUE(test::writeFile(dir.file(QStringLiteral("in.tex")), input.toUtf8()));
            args = {QStringLiteral("from-latex"), QStringLiteral("--file"), dir.file(QStringLiteral("in.tex")),
                    QStringLiteral("-o"), output};
            break;
        case Source::RenderLatex:
            output = dir.file(QStringLiteral("out.png"));
            args = {QStringLiteral("render"), QStringLiteral("--latex"), input, QStringLiteral("-o"), output};
            break;
        case Source::Mathml:
            output = dir.file(QStringLiteral("out.eqs"));
            ASSERT_TRUE(test::writeFile(dir.file(QStringLiteral("in.mml")), input.toUtf8()));
            args = {QStringLiteral("from-mathml"), dir.file(QStringLiteral("in.mml")), QStringLiteral("-o"), output};
            break;
        case Source::Empty:
            output = dir.file(QStringLiteral("out.eqs"));
            args = {QStringLiteral("empty"), QStringLiteral("-o"), output};
            break;
        }
        // No runtime folder named: Qt must not warn about it.
        const ToolRun r = eqtool(args, {0, {QByteArray("XDG_RUNTIME_DIR="), QByteArray("TOLIVA_HOME=") + dir.path().toUtf8()}});
        EXPECT_EQ(r.exitCode, c.exitCode);
        QString err = r.err;
        err.replace(dir.path() + QLatin1Char('/'), QString());
        EXPECT_EQ(err.toStdString(), c.err);
        EXPECT_EQ(QFileInfo::exists(output), c.written);
    }
}

// The text of a UTF-8 file (a byte order mark left out), its lines as the
// equation's lines; a file that cannot be read writes nothing.
TEST(EqtoolReport, LaTeXFromAFile) {
    test::ScratchFolder dir;
    const QString source = dir.file(QStringLiteral("in.tex"));
    const QString output = dir.file(QStringLiteral("out.eqs"));
    ASSERT_TRUE(test::writeFile(source, QByteArray("\xEF\xBB\xBF% the preview\n\\alpha^2 \\\\\n\\frac{1}{2}\n")));
    const test::ToolLimits home{0, {QByteArray("TOLIVA_HOME=") + dir.path().toUtf8()}};
    ToolRun r = eqtool({QStringLiteral("from-latex"), QStringLiteral("--file"), source, QStringLiteral("-o"), output}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    r = eqtool({QStringLiteral("dump"), output}, home);
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QLatin1String("\nline 1\n"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QLatin1String("\nline 2\n")));
    EXPECT_TRUE(r.out.contains(QLatin1String("ch=03B1")));

    const QString missing = dir.file(QStringLiteral("none.tex"));
    const QString other = dir.file(QStringLiteral("other.eqs"));
    r = eqtool({QStringLiteral("from-latex"), QStringLiteral("--file"), missing, QStringLiteral("-o"), other}, home);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("cannot read ") + missing)) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(other));
    // A file and a text at once, or --file without a name: the usage.
    for (const QStringList& args : {QStringList{QStringLiteral("--file"), source, QStringLiteral("x")},
                                    QStringList{QStringLiteral("--file")}}) {
        r = eqtool(QStringList{QStringLiteral("from-latex")} << args << QStringLiteral("-o") << other, home);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(other));
    }
}

TEST(EqtoolReport, UsageNamesTheExitStatuses) {
    const ToolRun r = eqtool({QStringLiteral("help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QLatin1String("3 done, but parts of the LaTeX or MathML"))) << r.out.toStdString();
}

}  // namespace
}  // namespace toliva
