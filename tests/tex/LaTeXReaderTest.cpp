// The LaTeX reader, case by case: text in, the tree it builds out (in the
// shortened form of readerTree), and the names it did not know.
#include "LaTeXReaderTestSupport.h"

#include "platform/MessageSink.h"
#include "TeXTestContext.h"
#include "tex/LaTeX.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

struct ReaderCase {
    const char16_t* name;
    const char16_t* latex;
    const char16_t* unknown;  // LaTeXReadResult::unknown, joined by blanks
    const char16_t* tree;
};

class LaTeXReaderTest : public ::testing::Test {
protected:
    const TeXReadContext m_context = readContext({QStringLiteral("other"), QStringLiteral("pyth")});
    RecordingMessageSink m_sink;
    ScopedMessageSink m_guard{&m_sink};
};

TEST_F(LaTeXReaderTest, BuildsTheTree) {
    const ReaderCase cases[] = {
        {uR"(segments between dollars; words outside are dropped)", uR"(x $a$ y $$b$$)", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"line 1\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(a text without delimiters is one segment)", uR"(a+b)", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"  type=1042 ch=0000\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(an unclosed \( leaves the whole text one segment)", uR"(\(a)", uR"(\()",
             u"line 0\n"
             u"  type=1 ch=0028 '('\n"
             u"  type=2 ch=0061 'a'\n"},
        {uR"(escaped dollars open no segment)", uR"(\$5+\$6)", uR"()",
             u"line 0\n"
             u"  type=1 ch=0024 '$'\n"
             u"  type=1 ch=0035 '5'\n"
             u"  type=1042 ch=0000\n"
             u"  type=1 ch=0024 '$'\n"
             u"  type=1 ch=0036 '6'\n"},
        {uR"(\\[ is a line break with spacing, not a display)", uR"(a\\[2pt]b)", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"line 1\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(display and inline brackets)", uR"(see \[x\] and \(y\))", uR"()",
             u"line 0\n"
             u"  type=2 ch=0078 'x'\n"
             u"line 1\n"
             u"  type=2 ch=0079 'y'\n"},
        {uR"(unknown command: the letters of its name)", uR"(\foo)", uR"(\foo)",
             u"line 0\n"
             u"  type=1 ch=0066 'f'\n"
             u"  type=1 ch=006F 'o'\n"
             u"  type=1 ch=006F 'o'\n"},
        {uR"(operator characters)", uR"(a<b>c=d+e-f)", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"  type=1060 ch=0000\n"
             u"  type=2 ch=0062 'b'\n"
             u"  type=1061 ch=0000\n"
             u"  type=2 ch=0063 'c'\n"
             u"  type=1049 ch=0000\n"
             u"  type=2 ch=0064 'd'\n"
             u"  type=1042 ch=0000\n"
             u"  type=2 ch=0065 'e'\n"
             u"  type=1043 ch=0000\n"
             u"  type=2 ch=0066 'f'\n"},
        {uR"(control characters are dropped)", u"a\tb", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(escaped brace inside a group)", uR"({\left\{ x \right.})", uR"()",
             u"line 0\n"
             u"  type=336 ch=0300\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(\left\langle takes the angle)", uR"(\left\langle x \right\rangle)", uR"()",
             u"line 0\n"
             u"  type=336 ch=0414\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(\langle alone is a glyph)", uR"(\langle\psi|)", uR"()",
             u"line 0\n"
             u"  type=6 ch=017D\n"
             u"  type=2 ch=03C8 'ψ'\n"
             u"  type=1 ch=007C '|'\n"},
        {uR"(\left\lfloor takes the floor)", uR"(\left\lfloor x \right\rfloor)", uR"()",
             u"line 0\n"
             u"  type=336 ch=0718\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(\left\lvert takes the bar)", uR"(\left\lvert x \right\rvert)", uR"()",
             u"line 0\n"
             u"  type=336 ch=0515\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(\left. gives code 0)", uR"(\left. x \right|)", uR"()",
             u"line 0\n"
             u"  type=336 ch=0015\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(\left\{ gives code 3)", uR"(\left\{ x \right.)", uR"()",
             u"line 0\n"
             u"  type=336 ch=0300\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(\middle| splits the bracket)", uR"(\left( a \middle| b \right))", uR"()",
             u"line 0\n"
             u"  type=336 ch=0111\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(fixed sizes)", uR"(\bigl( x \bigr))", uR"()",
             u"line 0\n"
             u"  type=336 ch=8192\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(fixed size pairing with itself)", uR"(\Bigg| x \Bigg|)", uR"()",
             u"line 0\n"
             u"  type=336 ch=2929\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(fixed size with angle names)", uR"(\biggl\langle x \biggr\rangle)", uR"()",
             u"line 0\n"
             u"  type=336 ch=4758\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(a lone floor holds the rest)", uR"(\lfloor x)", uR"()",
             u"line 0\n"
             u"  type=336 ch=0700\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(\left. before a floor takes it)", uR"(\left. \lfloor x \right))", uR"()",
             u"line 0\n"
             u"  type=336 ch=0711\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(half brackets merge)", uR"(\lfloor \left. x \right) y)", uR"()",
             u"line 0\n"
             u"  type=336 ch=0711\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"  type=2 ch=0079 'y'\n"},
        {uR"(a delimiter word before another character has no delimiter)", uR"(\left/ x \right/ y)", uR"()",
             u"line 0\n"
             u"  type=336 ch=0000\n"
             u"    arg 0\n"
             u"      type=1 ch=002F '/'\n"
             u"      type=2 ch=0078 'x'\n"
             u"  type=1 ch=002F '/'\n"
             u"  type=2 ch=0079 'y'\n"},
        {uR"(a delimiter word before a glyph is dropped)", uR"(\left\uparrow x \right\downarrow)", uR"()",
             u"line 0\n"
             u"  type=6 ch=00EA\n"
             u"  type=2 ch=0078 'x'\n"
             u"  type=6 ch=00EC\n"},
        {uR"(slash after a name)", uR"(\alpha/\beta\big/x)", uR"()",
             u"line 0\n"
             u"  type=2 ch=03B1 'α'\n"
             u"  type=1 ch=002F '/'\n"
             u"  type=2 ch=03B2 'β'\n"
             u"  type=1 ch=002F '/'\n"
             u"  type=2 ch=0078 'x'\n"},
        {uR"(optional arguments of \phase, \small and \color)",
         uR"(\phase[2]{y}\small[a]{b}{\color[RGB]{18, 52, 86} x})", uR"()",
             u"line 0\n"
             u"  type=174 ch=0000\n"
             u"    arg 0\n"
             u"      type=256 ch=0000\n"
             u"        arg 0\n"
             u"          type=2 ch=0079 'y'\n"
             u"  type=1536 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=2 ch=0078 'x' colour=FF123456\n"},
        {uR"(double-struck, fraktur, calligraphic, script)",
         uR"(\mathbb{R}\mathbb{z}\mathbb{1}\mathfrak{gG}\mathcal{L}\mathscr{F})", uR"()",
             u"line 0\n"
             u"  type=6 ch=0013\n"
             u"  type=6 ch=01DC\n"
             u"  type=6 ch=01BA\n"
             u"  type=6 ch=0074\n"
             u"  type=6 ch=005A\n"
             u"  type=6 ch=0045\n"
             u"  type=6 ch=0025\n"},
        {uR"(bold styled alphabets)", uR"(\mathbbbf{Z}\mathfrakbf{g}\mathcalbf{A}\mathscrbf{B})", uR"()",
             u"line 0\n"
             u"  type=8 ch=001B\n"
             u"  type=8 ch=0074\n"
             u"  type=8 ch=003A\n"
             u"  type=8 ch=0021\n"},
        {uR"(upright, bold, bold italic, sans, mono)",
         uR"(\mathrm{d}x\mathbf{x1}\boldsymbol{\alpha}\mathsf{a}\mathtt{b})", uR"()",
             u"line 0\n"
             u"  type=1 ch=0064 'd'\n"
             u"  type=2 ch=0078 'x'\n"
             u"  type=3 ch=0078 'x'\n"
             u"  type=3 ch=0031 '1'\n"
             u"  type=4 ch=03B1 'α'\n"
             u"  type=16 ch=0061 'a'\n"
             u"  type=17 ch=0062 'b'\n"},
        {uR"(text: plain characters, blanks as spaces)", uR"(\textsc{ab}\text{a-b c})", uR"()",
             u"line 0\n"
             u"  type=1 ch=0041 'A'\n"
             u"  type=1 ch=0042 'B'\n"
             u"  type=1 ch=0061 'a'\n"
             u"  type=1 ch=002D '-'\n"
             u"  type=1 ch=0062 'b'\n"
             u"  type=101 ch=0000\n"
             u"  type=1 ch=0063 'c'\n"},
        {uR"(Greek capitals)", uR"(\mathrm{\Gamma}\mathbf{\Gamma}\Gamma\varGamma\mathsf{\Gamma})", uR"()",
             u"line 0\n"
             u"  type=1 ch=0393 'Γ'\n"
             u"  type=3 ch=0393 'Γ'\n"
             u"  type=1 ch=0393 'Γ'\n"
             u"  type=2 ch=0393 'Γ'\n"
             u"  type=16 ch=0393 'Γ'\n"},
        {uR"(styles inside bold italic)", uR"(\boldsymbol{\mathbf{x}\mathcal{A}})", uR"()",
             u"line 0\n"
             u"  type=4 ch=0078 'x'\n"
             u"  type=8 ch=003A\n"},
        {uR"(an old style switch takes the rest of its group)", uR"({\rm d}x)", uR"()",
             u"line 0\n"
             u"  type=1 ch=0064 'd'\n"
             u"  type=2 ch=0078 'x'\n"},
        {uR"(symbol characters)", uR"(\infty\mathbf{\infty}\hbar)", uR"()",
             u"line 0\n"
             u"  type=1 ch=221E '∞'\n"
             u"  type=3 ch=221E '∞'\n"
             u"  type=2 ch=0127 'ħ'\n"},
        {uR"(digits and punctuation stay upright)", uR"(2x!()", uR"()",
             u"line 0\n"
             u"  type=1 ch=0032 '2'\n"
             u"  type=2 ch=0078 'x'\n"
             u"  type=1 ch=0021 '!'\n"
             u"  type=1 ch=0028 '('\n"},
        {uR"(primes collapse)", uR"(x''f''')", uR"()",
             u"line 0\n"
             u"  type=2 ch=0078 'x'\n"
             u"  type=1 ch=2033 '″'\n"
             u"  type=2 ch=0066 'f'\n"
             u"  type=1 ch=2034 '‴'\n"},
        {uR"(binomial)", uR"(\binom{n}{k})", uR"()",
             u"line 0\n"
             u"  type=337 ch=0000\n"
             u"    arg 0\n"
             u"      type=370 ch=0000\n"
             u"        arg 0\n"
             u"          type=2 ch=006E 'n'\n"
             u"        arg 1\n"
             u"          type=2 ch=006B 'k'\n"},
        {uR"(mod forms)", uR"(a\bmod b\pmod{n}\pod{m})", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"  type=1 ch=006D 'm'\n"
             u"  type=1 ch=006F 'o'\n"
             u"  type=1 ch=0064 'd'\n"
             u"  type=2 ch=0062 'b'\n"
             u"  type=337 ch=0000\n"
             u"    arg 0\n"
             u"      type=1 ch=006D 'm'\n"
             u"      type=1 ch=006F 'o'\n"
             u"      type=1 ch=0064 'd'\n"
             u"      type=100 ch=0000\n"
             u"      type=2 ch=006E 'n'\n"
             u"  type=337 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=006D 'm'\n"},
        {uR"(three dots)", uR"(\dotsc)", uR"()",
             u"line 0\n"
             u"  type=1 ch=002E '.'\n"
             u"  type=1 ch=002E '.'\n"
             u"  type=1 ch=002E '.'\n"},
        {uR"(display and slanted fractions)", uR"(\dfrac{a}{b}\nicefrac{1}{2})", uR"()",
             u"line 0\n"
             u"  type=128 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"  type=130 ch=0000\n"
             u"    arg 0\n"
             u"      type=1 ch=0031 '1'\n"
             u"    arg 1\n"
             u"      type=1 ch=0032 '2'\n"},
        {uR"(phantoms keep inner kinds)", uR"(\phantom{x}\hphantom{y}\vphantom{z}\phantom{a\hphantom{b}})", uR"()",
             u"line 0\n"
             u"  type=2 ch=0078 'x' phantom=03\n"
             u"  type=2 ch=0079 'y' phantom=01\n"
             u"  type=2 ch=007A 'z' phantom=02\n"
             u"  type=2 ch=0061 'a' phantom=03\n"
             u"  type=2 ch=0062 'b' phantom=01\n"},
        {uR"(custom spaces)",
         uR"(\hspace{1em}\mspace{-3mu}\hskip 2pt \mskip 1.5mu \kern 0.5ex \mkern -3mu \kern3zz)", uR"()",
             u"line 0\n"
             u"  type=104 ch=0100 payload=00 00 80 3F\n"
             u"  type=104 ch=0001 payload=00 00 40 C0\n"
             u"  type=104 ch=0304 payload=00 00 00 40\n"
             u"  type=104 ch=0501 payload=00 00 C0 3F\n"
             u"  type=104 ch=0202 payload=00 00 00 3F\n"
             u"  type=104 ch=0401 payload=00 00 40 C0\n"
             u"  type=104 ch=02FF payload=00 00 40 40\n"
             u"  type=2 ch=007A 'z'\n"
             u"  type=2 ch=007A 'z'\n"},
        {uR"(side scripts)", uR"(\sideset{_a^b}{_c^d}\sum x)", uR"()",
             u"line 0\n"
             u"  type=182 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=306 ch=0000\n"
             u"    arg 0\n"
             u"      type=182 ch=0000\n"
             u"        arg 0\n"
             u"          type=2 ch=0064 'd'\n"
             u"        arg 1\n"
             u"          type=2 ch=0063 'c'\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(side scripts: a lone prime)", uR"(\sideset{}{'}\sum x)", uR"()",
             u"line 0\n"
             u"  type=306 ch=0000\n"
             u"    arg 0\n"
             u"      type=182 ch=0000\n"
             u"        arg 0\n"
             u"          type=1 ch=2032 '′'\n"
             u"        arg 1\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(function names with limits)", uR"(\lim_{x\to 0} f\max x\sup_n a)", uR"()",
             u"line 0\n"
             u"  type=180 ch=0000\n"
             u"    arg 0\n"
             u"      type=1 ch=006C 'l'\n"
             u"      type=1 ch=0069 'i'\n"
             u"      type=1 ch=006D 'm'\n"
             u"    arg 1\n"
             u"      type=2 ch=0078 'x'\n"
             u"      type=6 ch=00EB\n"
             u"      type=1 ch=0030 '0'\n"
             u"  type=2 ch=0066 'f'\n"
             u"  type=1 ch=006D 'm'\n"
             u"  type=1 ch=0061 'a'\n"
             u"  type=1 ch=0078 'x'\n"
             u"  type=2 ch=0078 'x'\n"
             u"  type=180 ch=0000\n"
             u"    arg 0\n"
             u"      type=1 ch=0073 's'\n"
             u"      type=1 ch=0075 'u'\n"
             u"      type=1 ch=0070 'p'\n"
             u"    arg 1\n"
             u"      type=2 ch=006E 'n'\n"
             u"  type=2 ch=0061 'a'\n"},
        {uR"(limit words)", uR"(\varliminf_{n} x)", uR"()",
             u"line 0\n"
             u"  type=233 ch=0000\n"
             u"    arg 0\n"
             u"      type=1 ch=006C 'l'\n"
             u"      type=1 ch=0069 'i'\n"
             u"      type=1 ch=006D 'm'\n"
             u"  type=174 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=006E 'n'\n"
             u"  type=2 ch=0078 'x'\n"},
        {uR"(operator name)", uR"(\operatorname{sgn} x)", uR"()",
             u"line 0\n"
             u"  type=179 ch=0001\n"
             u"    arg 0\n"
             u"      type=1 ch=0073 's'\n"
             u"      type=1 ch=0067 'g'\n"
             u"      type=1 ch=006E 'n'\n"
             u"    arg 1\n"
             u"  type=2 ch=0078 'x'\n"},
        {uR"(\mathop with scripts)", uR"(\mathop{x}^{a}\mathop{x}_a^b\mathop x\limits_a\mathop{y})", uR"()",
             u"line 0\n"
             u"  type=177 ch=0001\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=178 ch=0001\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 2\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=180 ch=0001\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=179 ch=0001\n"
             u"    arg 0\n"
             u"      type=2 ch=0079 'y'\n"
             u"    arg 1\n"},
        {uR"(\operatorname* puts limits below)", uR"(\operatorname*{asin}_y x)", uR"()",
             u"line 0\n"
             u"  type=180 ch=0001\n"
             u"    arg 0\n"
             u"      type=1 ch=0061 'a'\n"
             u"      type=1 ch=0073 's'\n"
             u"      type=1 ch=0069 'i'\n"
             u"      type=1 ch=006E 'n'\n"
             u"    arg 1\n"
             u"      type=2 ch=0079 'y'\n"
             u"  type=2 ch=0078 'x'\n"},
        {uR"(extensible arrows)", uR"(\xrightarrow{a}\xleftarrow[b]{a}\xlongequal{}\xsim[u]{o})", uR"()",
             u"line 0\n"
             u"  type=624 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=629 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"  type=553 ch=0000\n"
             u"    arg 0\n"
             u"  type=643 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=006F 'o'\n"
             u"    arg 1\n"
             u"      type=2 ch=0075 'u'\n"},
        {uR"(symbol by code)",
         uR"(\symbol{"2460}\symbol{"24EA}\symbol{65}\symbol{5}\symbol{`a}\symbol{'101}\symbol{"D800})", uR"()",
             u"line 0\n"
             u"  type=6 ch=0095\n"
             u"  type=6 ch=0094\n"
             u"  type=1 ch=0041 'A'\n"
             u"  type=1 ch=0061 'a'\n"
             u"  type=1 ch=0041 'A'\n"},
        {uR"(symbol above U+FFFF: a surrogate pair)", uR"(\symbol{"1D538})", uR"()",
             u"line 0\n"
             u"  type=1 ch=D835\n"
             u"  type=1 ch=DD38\n"},
        {uR"(accents)", uR"(\hat{x}\vec{ab}\hat{\vec{y}}\ul{z})", uR"()",
             u"line 0\n"
             u"  type=2 ch=0078 'x' payload=0D\n"
             u"  type=2 ch=0061 'a' payload=05\n"
             u"  type=2 ch=0062 'b'\n"
             u"  type=2 ch=0079 'y' payload=05 0D\n"
             u"  type=2 ch=007A 'z' payload=8B\n"},
        {uR"(negation)", uR"(\not= \not< \not x \not{\in}\not\leq)", uR"()",
             u"line 0\n"
             u"  type=1049 ch=EEFF\n"
             u"  type=1184 ch=0000\n"
             u"  type=2 ch=0078 'x' payload=1B\n"
             u"  type=1083 ch=0000\n"
             u"  type=1198 ch=0000\n"},
        {uR"(colour of a group ends with it)", uR"({\color{red} x} y)", uR"()",
             u"line 0\n"
             u"  type=2 ch=0078 'x' colour=FFFF0000\n"
             u"  type=2 ch=0079 'y'\n"},
        {uR"(colour by fractions)", uR"(\color[rgb]{1,0,0.5} z)", uR"()",
             u"line 0\n"
             u"  type=2 ch=007A 'z' colour=FFFF0080\n"},
        {uR"(unreadable colour)", uR"(\color{nosuch} q)", uR"()",
             u"line 0\n"
             u"  type=2 ch=0071 'q'\n"},
        {uR"(colour boxes)", uR"(\bbox[red]{x}\bbox{y}\bbox[1,2,3]{z})", uR"()",
             u"line 0\n"
             u"  type=249 ch=0000 payload=FF 00 00\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"  type=249 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0079 'y'\n"
             u"  type=249 ch=0000 payload=01 02 03\n"
             u"    arg 0\n"
             u"      type=2 ch=007A 'z'\n"},
        {uR"(fractions)", uR"(\frac{a}{b}\tfrac12)", uR"()",
             u"line 0\n"
             u"  type=128 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"  type=132 ch=0000\n"
             u"    arg 0\n"
             u"      type=1 ch=0031 '1'\n"
             u"    arg 1\n"
             u"      type=1 ch=0032 '2'\n"},
        {uR"(roots)", uR"(\sqrt{x}\sqrt[3]{x})", uR"()",
             u"line 0\n"
             u"  type=136 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"  type=137 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"    arg 1\n"
             u"      type=1 ch=0033 '3'\n"},
        {uR"(long division)", uR"(\longdiv{a}{b})", uR"()",
             u"line 0\n"
             u"  type=131 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 2\n"},
        {uR"(over and under)", uR"(\overset{a}{b}\underset{c}{d}\stackrel{e}{f})", uR"()",
             u"line 0\n"
             u"  type=177 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=179 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0064 'd'\n"
             u"    arg 1\n"
             u"      type=2 ch=0063 'c'\n"
             u"  type=177 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0066 'f'\n"
             u"    arg 1\n"
             u"      type=2 ch=0065 'e'\n"},
        {uR"(prescripts)", uR"(\prescript{a}{b}{c}\presuperscript{a}\presubscript{b})", uR"()",
             u"line 0\n"
             u"  type=191 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"  type=2 ch=0063 'c'\n"
             u"  type=189 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=190 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(decorations)", uR"(\textcircled{c}\boxed{d}\overline{x}\underbrace{y}\cancel{z})", uR"()",
             u"line 0\n"
             u"  type=598 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0063 'c'\n"
             u"  type=248 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0064 'd'\n"
             u"  type=217 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"  type=232 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0079 'y'\n"
             u"  type=242 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=007A 'z'\n"},
        {uR"(spaces and arrow symbols)", uR"(\quad\,\!\leftrightarrow\neswarrow)", uR"()",
             u"line 0\n"
             u"  type=102 ch=0000\n"
             u"  type=98 ch=0000\n"
             u"  type=96 ch=0000\n"
             u"  type=6 ch=00ED\n"
             u"  type=515 ch=0000\n"},
        {uR"(phasors)", uR"(\phase{x}\phase[1]{y}\phase[0]{z})", uR"()",
             u"line 0\n"
             u"  type=256 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0078 'x'\n"
             u"  type=174 ch=0000\n"
             u"    arg 0\n"
             u"      type=256 ch=0000\n"
             u"        arg 0\n"
             u"          type=2 ch=0079 'y'\n"
             u"  type=256 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=007A 'z'\n"},
        {uR"(small)", uR"(\small{a}\small[b]{c})", uR"()",
             u"line 0\n"
             u"  type=1536 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=1536 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0063 'c'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(slanted fraction of the writer)", uR"({{a}\Bigg/{b}})", uR"()",
             u"line 0\n"
             u"  type=130 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(sum with \limits)", uR"(\sum\limits_a^b x)", uR"()",
             u"line 0\n"
             u"  type=308 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 2\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(sum with \nolimits)", uR"(\sum\nolimits_a^b x)", uR"()",
             u"line 0\n"
             u"  type=848 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 2\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(side sum with one limit)", uR"(\sum\nolimits_a x)", uR"()",
             u"line 0\n"
             u"  type=848 ch=0000\n"
             u"    arg 0\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 2\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(a lone upper limit stays above (sum))", uR"(\sum^{n} x)", uR"()",
             u"line 0\n"
             u"  type=308 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=006E 'n'\n"
             u"    arg 1\n"
             u"    arg 2\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(a lone upper limit stays above (integral))", uR"(\int^{b} f)", uR"()",
             u"line 0\n"
             u"  type=290 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"    arg 2\n"
             u"      type=2 ch=0066 'f'\n"},
        {uR"(integral with \limits)", uR"(\int\limits_a^b f)", uR"()",
             u"line 0\n"
             u"  type=773 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 2\n"
             u"      type=2 ch=0066 'f'\n"},
        {uR"(integral with one limit)", uR"(\int_a f)", uR"()",
             u"line 0\n"
             u"  type=289 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0066 'f'\n"},
        {uR"(quadruple integral)", uR"(\iiiint f)", uR"()",
             u"line 0\n"
             u"  type=286 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0066 'f'\n"},
        {uR"(integral dots integral)", uR"(\int\dotsi\int f)", uR"()",
             u"line 0\n"
             u"  type=276 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0066 'f'\n"},
        {uR"(lower integral gets an empty limit)", uR"(\lowint f)", uR"()",
             u"line 0\n"
             u"  type=274 ch=0000\n"
             u"    arg 0\n"
             u"    arg 1\n"
             u"      type=2 ch=0066 'f'\n"},
        {uR"(upper integral with both scripts)", uR"(\upint_a^b f)", uR"()",
             u"line 0\n"
             u"  type=275 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 2\n"
             u"      type=2 ch=0066 'f'\n"},
        {uR"(n-ary square union at the side)", uR"(\bigsqcup\nolimits_a^b x)", uR"()",
             u"line 0\n"
             u"  type=855 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 2\n"
             u"      type=2 ch=0078 'x'\n"},
        {uR"(the operand stops before an operator)", uR"(\int f(x) dx = 1)", uR"()",
             u"line 0\n"
             u"  type=288 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0066 'f'\n"
             u"      type=1 ch=0028 '('\n"
             u"      type=2 ch=0078 'x'\n"
             u"      type=1 ch=0029 ')'\n"
             u"      type=2 ch=0064 'd'\n"
             u"      type=2 ch=0078 'x'\n"
             u"  type=1049 ch=0000\n"
             u"  type=1 ch=0031 '1'\n"},
        {uR"(a group after the limits is the operand)", uR"(\sum_i {a} b)", uR"()",
             u"line 0\n"
             u"  type=307 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0069 'i'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(scripts)", uR"(x_a^b x^a^b x_{})", uR"()",
             u"line 0\n"
             u"  type=2 ch=0078 'x'\n"
             u"  type=175 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=2 ch=0078 'x'\n"
             u"  type=173 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=173 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0062 'b'\n"
             u"  type=2 ch=0078 'x'\n"
             u"  type=174 ch=0000\n"
             u"    arg 0\n"},
        {uR"(groups add no structure)", uR"({a}{b})", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(a square group that no command takes)", uR"(\color[rgb] x)", uR"()",
             u"line 0\n"
             u"  type=338 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0072 'r'\n"
             u"      type=2 ch=0067 'g'\n"
             u"      type=2 ch=0062 'b'\n"
             u"  type=2 ch=0078 'x'\n"},
        {uR"(line break at the top level)", uR"(a \\ b)", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"line 1\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(line break inside a structure)", uR"(\frac{a \\ b}{c})", uR"()",
             u"line 0\n"
             u"  type=128 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0063 'c'\n"},
        {uR"(library references)", uR"(\pyth+\unknownlabel)", uR"(\unknownlabel)",
             u"line 0\n"
             u"  type=65 ch=0001\n"
             u"  type=1042 ch=0000\n"
             u"  type=1 ch=0075 'u'\n"
             u"  type=1 ch=006E 'n'\n"
             u"  type=1 ch=006B 'k'\n"
             u"  type=1 ch=006E 'n'\n"
             u"  type=1 ch=006F 'o'\n"
             u"  type=1 ch=0077 'w'\n"
             u"  type=1 ch=006E 'n'\n"
             u"  type=1 ch=006C 'l'\n"
             u"  type=1 ch=0061 'a'\n"
             u"  type=1 ch=0062 'b'\n"
             u"  type=1 ch=0065 'e'\n"
             u"  type=1 ch=006C 'l'\n"},
        {uR"(pmatrix: round bracket around four cells)", uR"(\begin{pmatrix} a & b \\ c & d \end{pmatrix})", uR"()",
             u"line 0\n"
             u"  type=337 ch=0000\n"
             u"    arg 0\n"
             u"      type=371 ch=0000 payload=02 02\n"
             u"        arg 0\n"
             u"          type=2 ch=0061 'a'\n"
             u"        arg 1\n"
             u"          type=2 ch=0062 'b'\n"
             u"        arg 2\n"
             u"          type=2 ch=0063 'c'\n"
             u"        arg 3\n"
             u"          type=2 ch=0064 'd'\n"},
        {uR"(bmatrix: one row)", uR"(\begin{bmatrix} a & b \end{bmatrix})", uR"()",
             u"line 0\n"
             u"  type=338 ch=0000\n"
             u"    arg 0\n"
             u"      type=369 ch=0000\n"
             u"        arg 0\n"
             u"          type=2 ch=0061 'a'\n"
             u"        arg 1\n"
             u"          type=2 ch=0062 'b'\n"},
        {uR"(vmatrix: one column)", uR"(\begin{vmatrix} a \\ b \end{vmatrix})", uR"()",
             u"line 0\n"
             u"  type=341 ch=0000\n"
             u"    arg 0\n"
             u"      type=370 ch=0000\n"
             u"        arg 0\n"
             u"          type=2 ch=0061 'a'\n"
             u"        arg 1\n"
             u"          type=2 ch=0062 'b'\n"},
        {uR"(one cell in a bracket; a ragged matrix)",
         uR"(\begin{Vmatrix} a \end{Vmatrix}\begin{Bmatrix} a & b \\ c \end{Bmatrix})", uR"()",
             u"line 0\n"
             u"  type=342 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"  type=339 ch=0000\n"
             u"    arg 0\n"
             u"      type=371 ch=0000 payload=02 02\n"
             u"        arg 0\n"
             u"          type=2 ch=0061 'a'\n"
             u"        arg 1\n"
             u"          type=2 ch=0062 'b'\n"
             u"        arg 2\n"
             u"          type=2 ch=0063 'c'\n"
             u"        arg 3\n"},
        {uR"(one cell adds no empty element)", uR"(\begin{matrix} a \end{matrix})", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"},
        {uR"(cases)", uR"(\begin{cases} a & x>0 \\ b & x<0 \end{cases})", uR"()",
             u"line 0\n"
             u"  type=355 ch=0000\n"
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
        {uR"(dcases)", uR"(\begin{dcases} a \\ b \end{dcases})", uR"()",
             u"line 0\n"
             u"  type=355 ch=0000\n"
             u"    arg 0\n"
             u"      type=370 ch=0001\n"
             u"        arg 0\n"
             u"          type=2 ch=0061 'a'\n"
             u"        arg 1\n"
             u"          type=2 ch=0062 'b'\n"},
        {uR"(smallmatrix)", uR"(\begin{smallmatrix} a & b \\ c & d \end{smallmatrix})", uR"()",
             u"line 0\n"
             u"  type=371 ch=0010 payload=02 02\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 2\n"
             u"      type=2 ch=0063 'c'\n"
             u"    arg 3\n"
             u"      type=2 ch=0064 'd'\n"},
        {uR"(subarray)", uR"(\begin{subarray}{l} a \\ b \end{subarray})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0011\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(array with rules)",
         uR"(\begin{array}{c|c:c} a & b & c \\ \hline d & e & f \\ \hdashline \end{array})", uR"()",
             u"line 0\n"
             u"  type=371 ch=0000 payload=02 03 02 00 00 00 02 00 00 00 00 00 00 00 00 00 00 00 "
             u"01 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 2\n"
             u"      type=2 ch=0063 'c'\n"
             u"    arg 3\n"
             u"      type=2 ch=0064 'd'\n"
             u"    arg 4\n"
             u"      type=2 ch=0065 'e'\n"
             u"    arg 5\n"
             u"      type=2 ch=0066 'f'\n"},
        {uR"(array aligned right)", uR"(\begin{array}{r} a \\ b \end{array})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0002\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(gathered)", uR"(\begin{gathered} a \\ b \end{gathered})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(eqnarray)", uR"(\begin{eqnarray} a &=& b \\ c &=& d \end{eqnarray})", uR"()",
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
        {uR"(align*)", uR"(\begin{align*} a &= b \\ c &= \end{align*})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0003\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"      type=1049 ch=0000 align\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0063 'c'\n"
             u"      type=1049 ch=0000 align\n"},
        {uR"(aligned: an empty second cell marks the row)", uR"(\begin{aligned} ab & \\ c &= d \end{aligned})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0003\n"
             u"    arg 0\n"
             u"      type=0 ch=0000 align\n"
             u"      type=2 ch=0061 'a'\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=2 ch=0063 'c'\n"
             u"      type=1049 ch=0000 align\n"
             u"      type=2 ch=0064 'd'\n"},
        {uR"(equation)", uR"(\begin{equation} a \\ b \end{equation})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0003\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(split drops &)", uR"(\begin{split} a &= b \\ &= c \end{split})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0003\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"      type=1049 ch=0000\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 1\n"
             u"      type=1049 ch=0000\n"
             u"      type=2 ch=0063 'c'\n"},
        {uR"(eqnarray* with one cell)", uR"(\begin{eqnarray*} a &= b \end{eqnarray*})", uR"()",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"  type=1049 ch=0000\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(an empty row inside, none at the end)", uR"(\begin{matrix} a \\ \\ b \\ \end{matrix})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"    arg 2\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(unknown environment: its content as lines)", uR"(\begin{subequations} a \\ b \end{subequations})",
             uR"({subequations})",
             u"line 0\n"
             u"  type=2 ch=0061 'a'\n"
             u"line 1\n"
             u"  type=2 ch=0062 'b'\n"},
        {uR"(row spacing is dropped)", uR"(\begin{matrix} a \\[2pt] b \end{matrix})", uR"()",
             u"line 0\n"
             u"  type=370 ch=0000\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"},
        {uR"(vertical rule)", uR"(\begin{matrix} a & \vline b \\ c & d \end{matrix})", uR"()",
             u"line 0\n"
             u"  type=371 ch=0000 payload=02 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
             u"01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
             u"    arg 0\n"
             u"      type=2 ch=0061 'a'\n"
             u"    arg 1\n"
             u"      type=2 ch=0062 'b'\n"
             u"    arg 2\n"
             u"      type=2 ch=0063 'c'\n"
             u"    arg 3\n"
             u"      type=2 ch=0064 'd'\n"},
        {uR"(empty environment)", uR"(\begin{matrix}\end{matrix})", uR"()",
             u"line 0\n"},
        {uR"(environment inside \left( \right): the round bracket type)",
             uR"(\left( \begin{matrix} a \\ b \end{matrix} \right))", uR"()",
             u"line 0\n"
             u"  type=337 ch=0000\n"
             u"    arg 0\n"
             u"      type=370 ch=0000\n"
             u"        arg 0\n"
             u"          type=2 ch=0061 'a'\n"
             u"        arg 1\n"
             u"          type=2 ch=0062 'b'\n"},
    };
    for (const ReaderCase& c : cases) {
        const QString latex = QString::fromUtf16(c.latex);
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        EXPECT_TRUE(ReadLaTeXDocument(latex, &eq, m_context, &r)) << QString::fromUtf16(c.name).toStdString();
        EXPECT_FALSE(r.error) << QString::fromUtf16(c.name).toStdString() << ": " << r.message.toStdString();
        EXPECT_EQ(readerTree(eq) + QLatin1Char('\n'), QString::fromUtf16(c.tree))
            << QString::fromUtf16(c.name).toStdString();
        EXPECT_EQ(r.unknown.join(QLatin1Char(' ')), QString::fromUtf16(c.unknown))
            << QString::fromUtf16(c.name).toStdString();
    }
    EXPECT_TRUE(m_sink.shown.empty());
}

// Text that does not convert is reported with its reason and position; the
// segments that convert still give their lines.
TEST_F(LaTeXReaderTest, ReportsWhatDoesNotConvert) {
    struct Failure {
        const char16_t* latex;
        const char16_t* message;
        int position;
        int lines;  // lines read from the other segments
    };
    const Failure cases[] = {
        {uR"(\left( x)", u"\\left without \\right", 0, 0},
        {uR"(x \right))", u"\\right without \\left", 2, 0},
        {uR"(\begin{matrix} x)", u"\\begin{matrix} without \\end", 0, 0},
        {uR"(x \end{matrix})", u"\\end{matrix} without \\begin", 2, 0},
        {uR"(\begin{matrix} x \end{pmatrix})", u"\\end{pmatrix} does not close \\begin{matrix}", 17, 0},
        {uR"($\left( x$ and $y$)", u"\\left without \\right", 1, 1},
        {uR"($$$$)", u"no formula in the text", 0, 0},
    };
    for (const Failure& f : cases) {
        const QString latex = QString::fromUtf16(f.latex);
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        const bool ok = ReadLaTeXDocument(latex, &eq, m_context, &r);
        EXPECT_EQ(ok, f.lines > 0) << latex.toStdString();
        EXPECT_EQ(r.message, QString::fromUtf16(f.message)) << latex.toStdString();
        EXPECT_EQ(r.position, f.position) << latex.toStdString();
        // A text without any line leaves one empty line.
        ASSERT_EQ(eq.lines.size(), size_t(std::max(f.lines, 1))) << latex.toStdString();
        if (f.lines == 0) {
            EXPECT_TRUE(IsEquationEmpty(&eq));
        }
    }
}

TEST_F(LaTeXReaderTest, MatricesAreCappedAt255RowsOrColumns) {
    QString rows = QStringLiteral("\\begin{matrix}");
    for (int i = 0; i < 255; ++i) rows += QStringLiteral("a\\\\");
    EqModel eq(builtInStyle());
    LaTeXReadResult r;
    EXPECT_TRUE(ReadLaTeXDocument(rows + QStringLiteral("\\end{matrix}"), &eq, m_context, &r));
    ASSERT_EQ(eq.lines[0]->next->type, EqTypeMatrixColumn);
    EXPECT_EQ(eq.lines[0]->next->children.size(), 255u);

    EXPECT_FALSE(ReadLaTeXDocument(rows + QStringLiteral("a\\end{matrix}"), &eq, m_context, &r));
    EXPECT_EQ(r.message, QStringLiteral("more than 255 rows or columns"));

    QString columns = QStringLiteral("\\begin{matrix}a");
    for (int i = 0; i < 255; ++i) columns += QStringLiteral("&a");
    EXPECT_FALSE(ReadLaTeXDocument(columns + QStringLiteral("\\end{matrix}"), &eq, m_context, &r));
    EXPECT_TRUE(r.error);
}

TEST_F(LaTeXReaderTest, LongTextIsCutAtTheTokenCapWithOneNote) {
    EqModel eq(builtInStyle());
    LaTeXReadResult r;
    // Two segments over the cap: the result holds the note once, for the
    // caller to show; the reader shows nothing.
    const QString x(5000, QLatin1Char('x'));
    EXPECT_TRUE(ReadLaTeXDocument(QLatin1Char('$') + x + QStringLiteral("$ $") + x + QLatin1Char('$'), &eq, m_context, &r));
    EXPECT_TRUE(r.overflow);
    EXPECT_FALSE(r.error);
    ASSERT_EQ(r.notes.items.size(), 1u);
    EXPECT_EQ(r.notes.items[0].kind, EqNoteKind::FormulaCut);
    EXPECT_FALSE(NoteText(r.notes.items[0]).isEmpty());
    EXPECT_TRUE(m_sink.shown.empty());
    // A text within the cap has no note.
    EXPECT_TRUE(ReadLaTeXDocument(QStringLiteral("$x$"), &eq, m_context, &r));
    EXPECT_TRUE(r.notes.empty());
    EXPECT_TRUE(ReadLaTeXDocument(QLatin1Char('$') + x + QStringLiteral("$ $") + x + QLatin1Char('$'), &eq, m_context, &r));
    ASSERT_EQ(eq.lines.size(), 2u);
    int count = 0;
    for (const EqElement* e = eq.lines[0]->next; e; e = e->next) ++count;
    EXPECT_EQ(count, kLaTeXTokenCap);
    EXPECT_EQ(r.position, 1 + kLaTeXTokenCap);
}

// A structure whose closing word lies past the token cap fails with the
// cap named; one whose closing word is missing before the cut keeps its own
// message.
TEST_F(LaTeXReaderTest, AStructureCutAtTheTokenCapNamesTheCap) {
    const QString cutAtTheCap = QStringLiteral("the token limit (%1 tokens) was reached before ").arg(kLaTeXTokenCap);
    struct Cut {
        const char16_t* before;  // followed by more tokens than the cap and then by after
        const char16_t* after;
        QString message;
        bool atTheCut;  // the position is where the cap cut the text, else 0
    };
    const Cut cases[] = {
        {uR"(\begin{matrix} a & )", uR"( \end{matrix})", cutAtTheCap + QString::fromUtf16(uR"(\end{matrix})"), true},
        {uR"(\begin{array}{cc} a & )", uR"( \end{array})", cutAtTheCap + QString::fromUtf16(uR"(\end{array})"), true},
        {uR"(x^{\begin{pmatrix} a)", uR"(\end{pmatrix}})", cutAtTheCap + QString::fromUtf16(uR"(\end{pmatrix})"), true},
        {uR"(\lfloor \begin{cases} a)", uR"(\end{cases} \rfloor)", cutAtTheCap + QString::fromUtf16(uR"(\end{cases})"), true},
        {uR"(\left( a)", uR"(\right))", cutAtTheCap + QString::fromUtf16(uR"(\right)"), true},
        {uR"({\left( a} b)", uR"()", QStringLiteral("\\left without \\right"), false},
        {uR"({\begin{matrix} a} b)", uR"(\end{matrix})", QStringLiteral("\\begin{matrix} without \\end"), false},
    };
    const QString filler(2 * kLaTeXTokenCap, QLatin1Char('x'));
    for (const Cut& c : cases) {
        const QString latex = QString::fromUtf16(c.before) + filler + QString::fromUtf16(c.after);
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        EXPECT_FALSE(ReadLaTeXDocument(latex, &eq, m_context, &r)) << latex.left(30).toStdString();
        EXPECT_TRUE(r.error) << latex.left(30).toStdString();
        EXPECT_EQ(r.message.toStdString(), c.message.toStdString());
        if (c.atTheCut) {
            EXPECT_GT(r.position, int(QStringView(c.before).size())) << latex.left(30).toStdString();
            EXPECT_LT(r.position, kLaTeXTokenCap + int(QStringView(c.before).size()))
                << latex.left(30).toStdString();
        } else {
            EXPECT_EQ(r.position, 1) << latex.left(30).toStdString();
        }
    }
}

TEST_F(LaTeXReaderTest, DeepNestingFailsWithoutExhaustingTheStack) {
    const int depths[] = {kLaTeXMaxNesting, kLaTeXMaxNesting + 1, 4096, 100000};
    for (int depth : depths) {
        const QString text = QString(depth, QLatin1Char('{')) + QLatin1Char('x') + QString(depth, QLatin1Char('}'));
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        const bool ok = ReadLaTeXDocument(text, &eq, m_context, &r);
        EXPECT_EQ(ok, depth <= kLaTeXMaxNesting) << depth;
        if (!ok) {
            EXPECT_EQ(r.message, QStringLiteral("nested too deeply")) << depth;
        }
    }
    // Commands that take the next token nest without groups.
    for (const char* command : {"\\frac", "\\hat", "^", "\\not", "\\sum", "\\mathbf", "\\phantom", "\\sqrt"}) {
        QString text;
        for (int i = 0; i < 3000; ++i) text += QString::fromLatin1(command) + QLatin1Char(' ');
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        EXPECT_FALSE(ReadLaTeXDocument(text + QLatin1Char('x'), &eq, m_context, &r)) << command;
        EXPECT_EQ(r.message, QStringLiteral("nested too deeply")) << command;
        EXPECT_TRUE(IsEquationEmpty(&eq)) << command;
    }
    // Long sequences are fine: tokens are made and freed without recursion.
    QString flat;
    for (int i = 0; i < 3000; ++i) flat += QStringLiteral("\\alpha ");
    EqModel eq(builtInStyle());
    EXPECT_TRUE(ReadLaTeXDocument(flat, &eq, m_context, nullptr));
}

TEST_F(LaTeXReaderTest, ReadIntoKeepsTheEquationWhenNothingConverts) {
    EqModel eq(builtInStyle());
    ASSERT_TRUE(ReadLaTeXDocument(QStringLiteral("a+b"), &eq, m_context, nullptr));
    const QString before = readerTree(eq);
    for (const char* text : {"\\left( x", "", "$$$$", "\\displaystyle"}) {
        const LaTeXReadResult r = ReadLaTeXInto(QString::fromLatin1(text), &eq, m_context);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_FALSE(r.message.isEmpty()) << text;
        EXPECT_EQ(readerTree(eq), before) << text;
    }
    const LaTeXReadResult r = ReadLaTeXInto(QStringLiteral("\\frac{1}{2}"), &eq, m_context);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(eq.lines[0]->next->type, 128);
}

TEST_F(LaTeXReaderTest, WithoutLabelsAMacroIsItsName) {
    EqModel eq(builtInStyle());
    ReadLaTeXDocument(QStringLiteral("\\pyth"), &eq, readContext(), nullptr);
    EXPECT_EQ(readerTree(eq), QStringLiteral("line 0\n  type=1 ch=0070 'p'\n  type=1 ch=0079 'y'\n"
                                             "  type=1 ch=0074 't'\n  type=1 ch=0068 'h'"));
}

}  // namespace
}  // namespace toliva::test
