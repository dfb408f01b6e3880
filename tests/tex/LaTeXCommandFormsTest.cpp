// Standard commands that have an element form: read into that form, written
// back so that they read as the same tree, and known to the reader.
#include "LaTeXReaderTestSupport.h"

#include "TeXTestContext.h"
#include "tex/LaTeX.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

struct CommandCase {
    const char* latex;
    const char* written;  // the LaTeX written back (no delimiters)
};

TEST(LaTeXCommandFormsTest, CommandsReadIntoTheirFormAndWriteBack) {
    const CommandCase cases[] = {
        {"\\boxed{x}", "\\boxed{x}"},
        {"\\bigstar", "\\bigstar"},
        {"\\multimap", "\\multimap"},
        {"\\ulcorner x\\urcorner", "\\ulcorner x\\urcorner"},
        {"\\llcorner x\\lrcorner", "\\llcorner x\\lrcorner"},
    };
    for (const CommandCase& k : cases) {
        SCOPED_TRACE(k.latex);
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        ASSERT_TRUE(ReadLaTeXDocument(QString::fromUtf8(k.latex), &eq, readContext(), &r));
        EXPECT_TRUE(r.unknown.isEmpty()) << r.unknown.join(QLatin1Char(' ')).toStdString();
        const QString written = EquationToLaTeX(eq, writeContext(LaTeXNoDelimiters)).trimmed();
        EXPECT_EQ(written.toStdString(), k.written);
        // Read again, the tree is the same.
        EqModel again(builtInStyle());
        ASSERT_TRUE(ReadLaTeXDocument(written, &again, readContext(), nullptr));
        EXPECT_EQ(readerTree(again).toStdString(), readerTree(eq).toStdString());
    }
}

}  // namespace
}  // namespace toliva::test
