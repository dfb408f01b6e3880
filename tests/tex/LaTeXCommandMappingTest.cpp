// Commands, delimiters and characters that have an element form: the tree
// they read into, what the reader reports, the LaTeX written back, and that
// the written text reads as the same tree.
#include "LaTeXReaderTestSupport.h"

#include "TeXTestContext.h"
#include "tex/LaTeX.h"
#include "tex/MathML.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

struct MappingCase {
    const char16_t* latex;
    const char16_t* tree;     // readerTree of the result
    const char16_t* unknown;  // what the reader reports, blank-separated
    const char16_t* written;  // the LaTeX written back (no delimiters)
    // The tree the written text reads as, where it differs from the first.
    const char16_t* again = nullptr;
};

QString text(const char16_t* s) { return QString::fromUtf16(s); }

void checkMapping(const MappingCase& k) {
    SCOPED_TRACE(text(k.latex).toStdString());
    EqModel eq(builtInStyle());
    LaTeXReadResult r;
    ASSERT_TRUE(ReadLaTeXDocument(text(k.latex), &eq, readContext(), &r));
    EXPECT_FALSE(r.error) << r.message.toStdString();
    EXPECT_EQ(readerTree(eq).toStdString(), text(k.tree).toStdString());
    EXPECT_EQ(r.unknown.join(QLatin1Char(' ')).toStdString(), text(k.unknown).toStdString());
    const QString written = EquationToLaTeX(eq, writeContext(LaTeXNoDelimiters)).trimmed();
    EXPECT_EQ(written.toStdString(), text(k.written).toStdString());
    // Read again, the tree is the same.
    EqModel again(builtInStyle());
    ASSERT_TRUE(ReadLaTeXDocument(written, &again, readContext(), nullptr));
    EXPECT_EQ(readerTree(again).toStdString(), k.again ? text(k.again).toStdString() : readerTree(eq).toStdString());
}


// Floors and ceilings after a size word stretch (the model has no fixed
// size for them); bars and parentheses keep their fixed size. A lone sized
// bar gets an empty \right and the \left. that pairs with it.
TEST(LaTeXCommandMappingTest, SizedDelimiters) {
    const MappingCase cases[] = {
        {uR"(\bigl\lfloor x \bigr\rceil)",
         u"line 0\n  type=336 ch=0717\n    arg 0\n      type=2 ch=0078 'x'", u"", uR"(\lfloor x \rceil)"},
        {uR"(\big\lceil x\big\rceil)", u"line 0\n  type=336 ch=0817\n    arg 0\n      type=2 ch=0078 'x'", u"",
         uR"(\lceil x \rceil)"},
        {uR"(\Biggl\lceil x \Biggr\rfloor)",
         u"line 0\n  type=336 ch=0818\n    arg 0\n      type=2 ch=0078 'x'", u"", uR"(\lceil x \rfloor)"},
        {uR"(\bigl| x \bigr|)", u"line 0\n  type=336 ch=8999\n    arg 0\n      type=2 ch=0078 'x'", u"",
         uR"(\bigl| x \bigr|)"},
        {uR"(\bigl|)", u"line 0\n  type=336 ch=8900\n    arg 0", u"", uR"(\left. \bigl|  \right.)"},
        // \big pairs with itself in the size class 0x90 (that of \bigr),
        // which the left side writes as \bigl (0x80): the left bar reads
        // back unturned and looks the same.
        {uR"(\big| x \big|)", u"line 0\n  type=336 ch=9999\n    arg 0\n      type=2 ch=0078 'x'", u"",
         uR"(\bigl| x \bigr|)", u"line 0\n  type=336 ch=8999\n    arg 0\n      type=2 ch=0078 'x'"},
        {uR"(\big|)", u"line 0\n  type=336 ch=9900\n    arg 0", u"", uR"(\left. \bigl|  \right.)",
         u"line 0\n  type=336 ch=8900\n    arg 0"},
    };
    for (const MappingCase& k : cases) checkMapping(k);
}

// Delimiters the brackets have no code for stay characters and glyphs: they
// do not grow, but nothing is lost.
TEST(LaTeXCommandMappingTest, DelimitersWithoutACodeStayCharacters) {
    const MappingCase cases[] = {
        {uR"(\left/ x \right\backslash)",
         u"line 0\n  type=336 ch=0000\n    arg 0\n      type=1 ch=002F '/'\n      type=2 ch=0078 'x'\n"
         u"  type=1 ch=005C '\\'",
         u"", uR"(\left. /x \right. \backslash)"},
        {uR"(\big/ x)", u"line 0\n  type=1 ch=002F '/'\n  type=2 ch=0078 'x'", u"", uR"(/x)"},
        {uR"(\left\uparrow x \right\Downarrow)",
         u"line 0\n  type=6 ch=00EA\n  type=2 ch=0078 'x'\n  type=6 ch=00FE", u"", uR"(\uparrow x\Downarrow)"},
    };
    for (const MappingCase& k : cases) checkMapping(k);
}

// Colours, commands that only change the room their argument takes, faces
// of escaped characters and symbols drawn from the font.
TEST(LaTeXCommandMappingTest, ColoursRoomAndSymbols) {
    const MappingCase cases[] = {
        {uR"(\textcolor{red}{x}y)", u"line 0\n  type=2 ch=0078 'x' colour=FFFF0000\n  type=2 ch=0079 'y'", u"",
         uR"({\color{red} x}y)"},
        {uR"(\textcolor[RGB]{0,0,255}{x+1}y)",
         u"line 0\n  type=2 ch=0078 'x' colour=FF0000FF\n  type=1042 ch=0000 colour=FF0000FF\n"
         u"  type=1 ch=0031 '1' colour=FF0000FF\n  type=2 ch=0079 'y'",
         u"", uR"({\color{blue} x+1}y)"},
        {uR"(\colorbox{yellow}{x})", u"line 0\n  type=249 ch=0000 payload=FF FF 00\n    arg 0\n      type=2 ch=0078 'x'",
         u"", uR"(\bbox[yellow]{x})"},
        {uR"(\colorbox[rgb]{1,0.5,0}{x})",
         u"line 0\n  type=249 ch=0000 payload=FF 80 00\n    arg 0\n      type=2 ch=0078 'x'", u"",
         uR"(\bbox[255, 128, 0]{x})"},
        // The model has no smashed or overlapping form: the argument stays
        // and the command is reported.
        {uR"(\smash{x})", u"line 0\n  type=2 ch=0078 'x'", uR"(\smash)", u"x"},
        {uR"(\smash[t]{x}y)", u"line 0\n  type=2 ch=0078 'x'\n  type=2 ch=0079 'y'", uR"(\smash)", u"xy"},
        {uR"(\smash[b]{x})", u"line 0\n  type=2 ch=0078 'x'", uR"(\smash)", u"x"},
        {uR"(\mathrlap{x}\llap{y})", u"line 0\n  type=2 ch=0078 'x'\n  type=2 ch=0079 'y'", uR"(\mathrlap \llap)",
         u"xy"},
        {uR"(\mathbf{\#})", u"line 0\n  type=3 ch=0023 '#'", u"", uR"(\mathbf{\#})"},
        {uR"(\mathbf{a\&b})", u"line 0\n  type=3 ch=0061 'a'\n  type=3 ch=0026 '&'\n  type=3 ch=0062 'b'", u"",
         uR"(\mathbf{a}\mathbf{\&}\mathbf{b})"},
        {uR"(\diagup\diagdown\lnapprox\gnapprox)",
         u"line 0\n  type=1 ch=2571 '╱'\n  type=1 ch=2572 '╲'\n  type=1 ch=2A89 '⪉'\n  type=1 ch=2A8A '⪊'", u"",
         uR"(\diagup \diagdown \lnapprox \gnapprox)"},
        // Other names of symbols the editor has: written by their first name.
        {uR"(x\minuso y)", u"line 0\n  type=2 ch=0078 'x'\n  type=1287 ch=0000\n  type=2 ch=0079 'y'", u"",
         uR"(x\circlehbar y)"},
    };
    for (const MappingCase& k : cases) checkMapping(k);
}

// Letters of the mathematical alphanumeric block (above U+FFFF) typed into
// LaTeX become the letters of their face.
TEST(LaTeXCommandMappingTest, MathematicalAlphanumerics) {
    const MappingCase cases[] = {
        {u"\U0001D400", u"line 0\n  type=3 ch=0041 'A'", u"", uR"(\mathbf{A})"},                   // bold A
        {u"\U0001D44E", u"line 0\n  type=2 ch=0061 'a'", u"", u"a"},                                // italic a
        {u"\U0001D505", u"line 0\n  type=6 ch=0055", u"", uR"(\mathfrak{B})"},                      // fraktur B
        {u"\U0001D49C", u"line 0\n  type=6 ch=003A", u"", uR"(\mathcal{A})"},                       // script A
        {u"\U0001D4D1", u"line 0\n  type=8 ch=003B", u"", uR"(\mathcalbf{B})"},                     // bold script B
        {u"\U0001D538", u"line 0\n  type=6 ch=0002", u"", uR"(\mathbb{A})"},                        // double-struck A
        {u"\U0001D55C", u"line 0\n  type=6 ch=01CD", u"", uR"(\mathbb{k})"},                        // double-struck k
        {u"\U0001D7D9", u"line 0\n  type=6 ch=01BA", u"", uR"(\mathbb{1})"},                        // double-struck 1
        {u"\U0001D5A0", u"line 0\n  type=16 ch=0041 'A'", u"", uR"(\mathsf{A})"},                   // sans-serif A
        {u"\U0001D68A", u"line 0\n  type=17 ch=0061 'a'", u"", uR"(\mathtt{a})"},                   // monospace a
        {u"\U0001D6C2", u"line 0\n  type=3 ch=03B1 'α'", u"", uR"(\mathbf{\alpha })"},              // bold alpha
        {u"\U0001D6E4", u"line 0\n  type=2 ch=0393 'Γ'", u"", uR"(\varGamma)"},                     // italic Gamma
        {u"x\U0001D41Fy", u"line 0\n  type=2 ch=0078 'x'\n  type=3 ch=0066 'f'\n  type=2 ch=0079 'y'", u"",
         uR"(x\mathbf{f}y)"},
    };
    for (const MappingCase& k : cases) checkMapping(k);
}

// The MathML reader reads the same code points into the same elements.
TEST(LaTeXCommandMappingTest, MathematicalAlphanumericsAgreeWithMathML) {
    const char16_t* const letters[] = {u"\U0001D400", u"\U0001D505", u"\U0001D49C", u"\U0001D4D1", u"\U0001D538",
                                       u"\U0001D7D9", u"\U0001D5A0", u"\U0001D68A", u"\U0001D6C2", u"\U0001D7CE"};
    for (const char16_t* l : letters) {
        SCOPED_TRACE(text(l).toStdString());
        EqModel eq(builtInStyle());
        ASSERT_TRUE(ReadLaTeXDocument(text(l), &eq, readContext(), nullptr));
        const QByteArray mathml = (QStringLiteral("<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi>") +
                                   text(l) + QStringLiteral("</mi></math>"))
                                      .toUtf8();
        MathMLReader reader;
        const MathMLReadResult r = ReadMathML(reader, mathml.constData(), size_t(mathml.size()), builtInStyle());
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        EXPECT_EQ(readerTree(*r.equation).toStdString(), readerTree(eq).toStdString());
    }
}

}  // namespace
}  // namespace toliva::test
