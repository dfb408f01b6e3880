// Environments, two-part forms ("\over", "\genfrac") and array formats in
// the LaTeX reader and writer: the tree read, the text written back, and
// that reading the written text gives the same tree again.
#include "LaTeXReaderTestSupport.h"

#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "platform/MessageSink.h"
#include "platform/gdiplus/Graphics.h"
#include "TeXTestContext.h"
#include "tex/LaTeX.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

struct TreeCase {
    const char* name;
    const char16_t* latex;
    const char16_t* tree;  // readerTree of what is read
};

struct WrittenCase {
    const char* name;
    const char16_t* latex;
    const char16_t* written;  // the tree read, written back without delimiters
};

class LaTeXEnvironmentsTest : public ::testing::Test {
protected:
    const TeXReadContext m_context = readContext();
    RecordingMessageSink m_sink;
    ScopedMessageSink m_guard{&m_sink};

    // Reads latex into eq and tells what the reader reported.
    LaTeXReadResult read(const QString& latex, EqModel* eq) {
        LaTeXReadResult r;
        ReadLaTeXDocument(latex, eq, m_context, &r);
        return r;
    }

    void expectTrees(std::initializer_list<TreeCase> cases) {
        for (const TreeCase& c : cases) {
            EqModel eq(builtInStyle());
            const LaTeXReadResult r = read(QString::fromUtf16(c.latex), &eq);
            EXPECT_FALSE(r.error) << c.name << ": " << r.message.toStdString();
            EXPECT_EQ(r.unknown.join(QLatin1Char(' ')), QString()) << c.name;
            EXPECT_EQ((readerTree(eq) + QLatin1Char('\n')).toStdString(), QString::fromUtf16(c.tree).toStdString())
                << c.name;
        }
        EXPECT_TRUE(m_sink.shown.empty());
    }
};

TEST_F(LaTeXEnvironmentsTest, AlignedRowsKeepTheirPairsAndForm) {
    expectTrees({
        {"two pairs in a row: one cell per pair, each marked where its second part starts",
         uR"(\begin{aligned} a &= 1 & b &= 2 \end{aligned})", u"line 0\n"
         u"  type=371 ch=0003 payload=01 02\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0031 '1'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0032 '2'\n"},
        {"a row with fewer pairs gets empty cells",
         uR"(\begin{aligned} a &= 1 & b &= 2 \\ c &= 3 \end{aligned})", u"line 0\n"
         u"  type=371 ch=0003 payload=02 02\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0031 '1'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0032 '2'\n"
         u"    arg 2\n"
         u"      type=2 ch=0063 'c'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0033 '3'\n"
         u"    arg 3\n"
         u"      type=0 ch=0000 align\n"},
        {"a pair without its second part ends at the point",
         uR"(\begin{aligned} a &= 1 & bb \end{aligned})", u"line 0\n"
         u"  type=371 ch=0003 payload=01 02\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0031 '1'\n"
         u"    arg 1\n"
         u"      type=0 ch=0000 align\n"
         u"      type=2 ch=0062 'b'\n"
         u"      type=2 ch=0062 'b'\n"},
        {"alignat: the column count is no content",
         uR"(\begin{alignat}{2} x &= 1 & y &= 2 \\ z &= 3 \end{alignat})", u"line 0\n"
         u"  type=371 ch=0003 payload=02 02\n"
         u"    arg 0\n"
         u"      type=2 ch=0078 'x'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0031 '1'\n"
         u"    arg 1\n"
         u"      type=2 ch=0079 'y'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0032 '2'\n"
         u"    arg 2\n"
         u"      type=2 ch=007A 'z'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=1 ch=0033 '3'\n"
         u"    arg 3\n"
         u"      type=0 ch=0000 align\n"},
        {"alignedat with one pair: the aligned column", uR"(\begin{alignedat}{1} a &= b \\ c &= d \end{alignedat})",
         u"line 0\n"
         u"  type=370 ch=0003\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=2 ch=0062 'b'\n"
         u"    arg 1\n"
         u"      type=2 ch=0063 'c'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=2 ch=0064 'd'\n"},
        {"xalignat*", uR"(\begin{xalignat*}{2} a &= b & c &= d \end{xalignat*})", u"line 0\n"
         u"  type=371 ch=0003 payload=01 02\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=2 ch=0062 'b'\n"
         u"    arg 1\n"
         u"      type=2 ch=0063 'c'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=2 ch=0064 'd'\n"},
        {"flalign is aligned", uR"(\begin{flalign} a &= b \\ c &= d \end{flalign})", u"line 0\n"
         u"  type=370 ch=0003\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=2 ch=0062 'b'\n"
         u"    arg 1\n"
         u"      type=2 ch=0063 'c'\n"
         u"      type=1049 ch=0000 align\n"
         u"      type=2 ch=0064 'd'\n"},
        {"gather: centred lines", uR"(\begin{gather} a \\ b+c \end{gather})", u"line 0\n"
         u"  type=370 ch=0000\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"
         u"      type=1042 ch=0000\n"
         u"      type=2 ch=0063 'c'\n"},
        {"multline*: centred lines", uR"(\begin{multline*} a \\ b \end{multline*})", u"line 0\n"
         u"  type=370 ch=0000\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"},
    });
}

// Drawn, the pairs of a row stand apart, and the relations of a column
// line up.
TEST_F(LaTeXEnvironmentsTest, AlignedPairsAreDrawnApartAndAligned) {
    EqModel eq(builtInStyle());
    read(QStringLiteral(R"(\begin{aligned} a &= 1 & b &= 2 \\ cc &= 33 & d &= 4 \end{aligned})"), &eq);
    static const RenderContext context = RenderContext::FromDataFolder();
    gp::RecordingGraphics g;
    constexpr float scale = 2.0f;
    DrawEquationPicture(context, g, &eq, scale);
    const float S = eq.settings.fontSize * scale;

    const EqElement* m = eq.lines[0]->next;
    ASSERT_TRUE(m && m->children.size() == 4);
    auto last = [](const EqElement* head) {
        while (head->next) head = head->next;
        return head;
    };
    auto relation = [](const EqElement* head) {
        while (head && head->type != 1049) head = head->next;
        return head;
    };
    for (size_t row : {0u, 2u}) {
        const EqElement* endOfFirst = last(m->children[row]);
        const EqElement* startOfSecond = m->children[row + 1]->next;
        EXPECT_GE(startOfSecond->rect.x - (endOfFirst->rect.x + endOfFirst->rect.width), 0.5f * S) << row;
    }
    for (size_t column : {0u, 1u}) {
        const EqElement* top = relation(m->children[column]);
        const EqElement* bottom = relation(m->children[column + 2]);
        ASSERT_TRUE(top && bottom);
        EXPECT_NEAR(top->rect.x, bottom->rect.x, 0.01f * S) << column;
    }
}

TEST_F(LaTeXEnvironmentsTest, TwoPartFormsReadAsFractionsAndStacks) {
    expectTrees({
        {"\\choose: a stack in round brackets", uR"({n \choose k})", u"line 0\n"
         u"  type=337 ch=0000\n"
         u"    arg 0\n"
         u"      type=370 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=006E 'n'\n"
         u"        arg 1\n"
         u"          type=2 ch=006B 'k'\n"},
        {"\\over: a fraction of everything before and after", uR"({1\over n^2})", u"line 0\n"
         u"  type=128 ch=0000\n"
         u"    arg 0\n"
         u"      type=1 ch=0031 '1'\n"
         u"    arg 1\n"
         u"      type=2 ch=006E 'n'\n"
         u"      type=173 ch=0000\n"
         u"        arg 0\n"
         u"          type=1 ch=0032 '2'\n"},
        {"\\atop: a stack", uR"(a \atop b)", u"line 0\n"
         u"  type=370 ch=0000\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"},
        {"\\brace and \\brack", uR"({n \brace k}{n\brack k})", u"line 0\n"
         u"  type=339 ch=0000\n"
         u"    arg 0\n"
         u"      type=370 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=006E 'n'\n"
         u"        arg 1\n"
         u"          type=2 ch=006B 'k'\n"
         u"  type=338 ch=0000\n"
         u"    arg 0\n"
         u"      type=370 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=006E 'n'\n"
         u"        arg 1\n"
         u"          type=2 ch=006B 'k'\n"},
        {"\\above with a rule: a fraction", uR"(a \above 2pt b)", u"line 0\n"
         u"  type=128 ch=0000\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"},
        {"\\above without a rule: a stack", uR"(a \above{0pt} b)", u"line 0\n"
         u"  type=370 ch=0000\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"},
        {"\\overwithdelims", uR"(a \overwithdelims [ ] b)", u"line 0\n"
         u"  type=338 ch=0000\n"
         u"    arg 0\n"
         u"      type=128 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0062 'b'\n"},
        {"\\atopwithdelims with delimiter names", uR"(a \atopwithdelims \lbrace \rbrace b)", u"line 0\n"
         u"  type=339 ch=0000\n"
         u"    arg 0\n"
         u"      type=370 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0062 'b'\n"},
        {"\\genfrac without a rule", uR"(\genfrac{(}{)}{0pt}{}{a}{b})", u"line 0\n"
         u"  type=337 ch=0000\n"
         u"    arg 0\n"
         u"      type=370 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0062 'b'\n"},
        {"\\genfrac in text size", uR"(\genfrac{}{}{}{1}{a}{b})", u"line 0\n"
         u"  type=132 ch=0000\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"},
        {"\\genfrac with one delimiter and bare parts", uR"(\genfrac{[}{}{1pt}{}ab)", u"line 0\n"
         u"  type=354 ch=0000\n"
         u"    arg 0\n"
         u"      type=128 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0062 'b'\n"},
        {"inside a cell", uR"(\begin{matrix} a \over b & c \end{matrix})", u"line 0\n"
         u"  type=369 ch=0000\n"
         u"    arg 0\n"
         u"      type=128 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0062 'b'\n"
         u"    arg 1\n"
         u"      type=2 ch=0063 'c'\n"},
        {"a line break ends the parts", uR"(a \over b \\ c)", u"line 0\n"
         u"  type=128 ch=0000\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"
         u"line 1\n"
         u"  type=2 ch=0063 'c'\n"},
        {"\\substack: stacked lines under a sum", uR"(\sum_{\substack{i<n\\j<m}} x)", u"line 0\n"
         u"  type=307 ch=0000\n"
         u"    arg 0\n"
         u"      type=370 ch=0000\n"
         u"        arg 0\n"
         u"          type=2 ch=0069 'i'\n"
         u"          type=1060 ch=0000\n"
         u"          type=2 ch=006E 'n'\n"
         u"        arg 1\n"
         u"          type=2 ch=006A 'j'\n"
         u"          type=1060 ch=0000\n"
         u"          type=2 ch=006D 'm'\n"
         u"    arg 1\n"
         u"      type=2 ch=0078 'x'\n"},
    });
}

TEST_F(LaTeXEnvironmentsTest, ColumnFormatsAreNoContent) {
    expectTrees({
        {"@{} and !{} insert nothing", uR"(\begin{array}{@{}c@{\;}c!{:}c@{}} a & b & c \end{array})", u"line 0\n"
         u"  type=369 ch=0000\n"
         u"    arg 0\n"
         u"      type=2 ch=0061 'a'\n"
         u"    arg 1\n"
         u"      type=2 ch=0062 'b'\n"
         u"    arg 2\n"
         u"      type=2 ch=0063 'c'\n"},
        {"an inner rule and outer rules: bars around the matrix",
         uR"(\begin{array}{|c|c|} a & b \\ c & d \end{array})", u"line 0\n"
         u"  type=341 ch=0000\n"
         u"    arg 0\n"
         u"      type=371 ch=0000 payload=02 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0062 'b'\n"
         u"        arg 2\n"
         u"          type=2 ch=0063 'c'\n"
         u"        arg 3\n"
         u"          type=2 ch=0064 'd'\n"},
        {"a rule on the left only", uR"(\begin{array}{|l} a \\ b \end{array})", u"line 0\n"
         u"  type=357 ch=0000\n"
         u"    arg 0\n"
         u"      type=370 ch=0001\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0062 'b'\n"},
    });
}

TEST_F(LaTeXEnvironmentsTest, BracketEnvironmentsKeepTheirBrackets) {
    expectTrees({
        {"rcases: the brace on the right", uR"(\begin{rcases} a & x>0 \\ b & x<0 \end{rcases})", u"line 0\n"
         u"  type=362 ch=0000\n"
         u"    arg 0\n"
         u"      type=371 ch=0001 payload=02 02\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0078 'x'\n"
         u"          type=1061 ch=0000\n"
         u"          type=1 ch=0030 '0'\n"
         u"        arg 2\n"
         u"          type=2 ch=0062 'b'\n"
         u"        arg 3\n"
         u"          type=2 ch=0078 'x'\n"
         u"          type=1060 ch=0000\n"
         u"          type=1 ch=0030 '0'\n"},
        {"pmatrix* with an alignment", uR"(\begin{pmatrix*}[r] -1 & 2 \\ 3 & -4 \end{pmatrix*})", u"line 0\n"
         u"  type=337 ch=0000\n"
         u"    arg 0\n"
         u"      type=371 ch=0002 payload=02 02\n"
         u"        arg 0\n"
         u"          type=1043 ch=0000\n"
         u"          type=1 ch=0031 '1'\n"
         u"        arg 1\n"
         u"          type=1 ch=0032 '2'\n"
         u"        arg 2\n"
         u"          type=1 ch=0033 '3'\n"
         u"        arg 3\n"
         u"          type=1043 ch=0000\n"
         u"          type=1 ch=0034 '4'\n"},
        {"bmatrix* with one column", uR"(\begin{bmatrix*}[l] a \\ bb \end{bmatrix*})", u"line 0\n"
         u"  type=338 ch=0000\n"
         u"    arg 0\n"
         u"      type=370 ch=0001\n"
         u"        arg 0\n"
         u"          type=2 ch=0061 'a'\n"
         u"        arg 1\n"
         u"          type=2 ch=0062 'b'\n"
         u"          type=2 ch=0062 'b'\n"},
    });
}

TEST_F(LaTeXEnvironmentsTest, WritesTheForms) {
    const WrittenCase cases[] = {
        {"aligned pairs: each pair as two cells, a lone point as an empty pair",
         uR"(\begin{aligned} a &= 1 & b &= 2 \\ c &= 3 \end{aligned})",
         u"\\begin{aligned}\n\ta&=1&\tb&=2\\\\\n\tc&=3&\t&\\\\\n\\end{aligned}"},
        {"outer rules as bars", uR"(\begin{array}{|c|c|} a & b \end{array})",
         u"\\left| \\begin{array}{c|c}\n\ta&\tb\\\\\n\\end{array} \\right|"},
        {"binomial", uR"(\binom{n}{k})", u"\\left( \\begin{array}{c}\n\tn\\\\\n\tk\\\\\n\\end{array} \\right) "},
        {"rcases", uR"(\begin{rcases} a & b \\ c & d \end{rcases})",
         u"\\left. \\begin{array}{ll}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{array} \\right\\} "},
    };
    for (const WrittenCase& c : cases) {
        EqModel eq(builtInStyle());
        read(QString::fromUtf16(c.latex), &eq);
        EXPECT_EQ(EquationToLaTeX(eq, writeContext(LaTeXNoDelimiters)).toStdString(),
                  QString::fromUtf16(c.written).toStdString())
            << c.name;
    }
}

// What the writer writes reads back as the tree it was written from.
TEST_F(LaTeXEnvironmentsTest, WrittenFormsReadBackToTheSameTree) {
    const char16_t* const cases[] = {
        uR"(\binom{n}{k})",
        uR"(\begin{pmatrix} a & b \\ c & d \end{pmatrix})",
        uR"(\begin{bmatrix} a & b \end{bmatrix})",
        uR"(\begin{pmatrix} a \\ b \end{pmatrix})",
        uR"(\begin{Bmatrix} a & b \\ c & d \end{Bmatrix})",
        uR"(\begin{vmatrix} a & b \\ c & d \end{vmatrix})",
        uR"(\begin{Vmatrix} a & b \\ c & d \end{Vmatrix})",
        uR"(\begin{aligned} a &= 1 & b &= 2 \\ c &= 3 \end{aligned})",
        uR"(\begin{aligned} a &= 1 & bb \end{aligned})",
        uR"(\begin{rcases} a & x>0 \\ b & x<0 \end{rcases})",
        uR"(\begin{pmatrix*}[r] -1 & 2 \\ 3 & -4 \end{pmatrix*})",
        uR"(\begin{array}{|c|c|} a & b \\ c & d \end{array})",
        uR"(\begin{array}{|l} a \\ b \end{array})",
        uR"({n \choose k} + {a \atop b} + \genfrac{[}{]}{0pt}{}{a}{b})",
        uR"(\sum_{\substack{i<n\\j<m}} x)",
    };
    for (const char16_t* latex : cases) {
        const QString text = QString::fromUtf16(latex);
        EqModel first(builtInStyle());
        read(text, &first);
        const QString written = EquationToLaTeX(first, writeContext(LaTeXNoDelimiters));
        EqModel second(builtInStyle());
        const LaTeXReadResult r = read(written, &second);
        EXPECT_FALSE(r.error) << text.toStdString();
        EXPECT_EQ(readerTree(second).toStdString(), readerTree(first).toStdString())
            << text.toStdString() << "\nwritten: " << written.toStdString();
    }
}

}  // namespace
}  // namespace toliva::test
