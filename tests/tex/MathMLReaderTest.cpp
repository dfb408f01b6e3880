// The MathML reader: MathML and the tree it gives, what is reported when
// nothing converts, and inputs that must not exhaust the stack.
#include "tex/MathML.h"

#include "model/EqDump.h"
#include "model/EqModel.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <string>
#include <vector>

namespace toliva {
namespace {

// The tree part of the dump: no style lines, no caret, default colours left
// out.
std::string treeText(const EqModel& eq) {
    QStringList out;
    for (QString line : DumpEquation(eq).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1String("version ")) || line.startsWith(QLatin1String("font ")) ||
            line.startsWith(QLatin1String("changed ")) || line.startsWith(QLatin1String("caret ")))
            continue;
        line.remove(QStringLiteral(" colour=FF000000"));
        // The character only where the element is one.
        static const QRegularExpression kCode(QStringLiteral("type=(\\d+) ch=[0-9A-F]{4}( '.+?')"));
        const QRegularExpressionMatch m = kCode.match(line);
        if (m.hasMatch() && !IsCharType(m.captured(1).toInt())) line.remove(m.capturedStart(2), m.capturedLength(2));
        out << line;
    }
    return out.join(QLatin1Char('\n')).toStdString() + "\n";
}

MathMLReadResult readText(const std::string& text) {
    MathMLReader reader;
    return ReadMathML(reader, text.data(), text.size(), test::builtInStyle());
}

// The tree of one "math" element holding body; the message when nothing
// converts.
std::string read(const std::string& body) {
    const MathMLReadResult r = readText("<math xmlns=\"http://www.w3.org/1998/Math/MathML\">" + body + "</math>");
    if (!r.ok) return "not read: " + r.message.toStdString();
    return treeText(*r.equation);
}

struct Case {
    const char* name;
    std::string mathml;
    std::string tree;  // the dump of line 0 after its "line 0" header
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class MathMLReaderCases : public ::testing::TestWithParam<Case> {};

TEST_P(MathMLReaderCases, Reads) {
    const Case& c = GetParam();
    EXPECT_EQ(read(c.mathml), "line 0\n  type=0 ch=0000\n" + c.tree) << c.mathml;
}

const Case kTokens[] = {
    {"OneLetterIdentifierIsItalic", "<mi>x</mi>", "  type=2 ch=0078 'x'\n"},
    {"LongerIdentifierIsUpright", "<mi>sin</mi>", "  type=1 ch=0073 's'\n  type=1 ch=0069 'i'\n  type=1 ch=006E 'n'\n"},
    {"NormalVariantIsUpright", "<mi mathvariant=\"normal\">x</mi>", "  type=1 ch=0078 'x'\n"},
    {"StyleVariants",
     "<mi mathvariant=\"bold\">a</mi><mi mathvariant=\"bold-italic\">b</mi><mn mathvariant=\"italic\">1</mn>",
     "  type=3 ch=0061 'a'\n  type=4 ch=0062 'b'\n  type=2 ch=0031 '1'\n"},
    {"NumberIsUpright", "<mn>12</mn>", "  type=1 ch=0031 '1'\n  type=1 ch=0032 '2'\n"},
    {"PrefixedAndCapitalNames", "<mml:MI>x</mml:MI><m:mi>y</m:mi>", "  type=2 ch=0078 'x'\n  type=2 ch=0079 'y'\n"},
    {"LookAlikes", "<mi>\u0391</mi><mi mathvariant=\"normal\">\u2206</mi><mi>\u210F</mi>",
     "  type=2 ch=0041 'A'\n  type=1 ch=0394 '\u0394'\n  type=2 ch=0127 '\u0127'\n"},
    {"Operators", "<mo>+</mo><mo>\u221D</mo><mo>\u2212</mo><mo>\u2061</mo>",
     "  type=1042 ch=0000\n  type=1059 ch=0000\n  type=1043 ch=0000\n  type=97 ch=0000\n"},
    {"OperatorCharactersInsideText", "<mi>n</mi><mtext>-th</mtext>",
     "  type=2 ch=006E 'n'\n  type=1043 ch=0000\n  type=1 ch=0074 't'\n  type=1 ch=0068 'h'\n"},
    {"TextKeepsInnerBlanks", "<mtext> a  b </mtext>",
     "  type=1 ch=0061 'a'\n  type=1 ch=0020 ' '\n  type=1 ch=0062 'b'\n"},
    {"EqualsWithWordOver", "<mo>\u225D</mo>",
     "  type=553 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=0064 'd'\n      type=1 ch=0065 'e'\n"
     "      type=1 ch=0066 'f'\n"},
    {"GlyphSymbol", "<mo>\u2660</mo>", "  type=6 ch=00BD\n"},
    {"GlyphDoesNotRestyleTheRest", "<mi>\u2192x</mi>", "  type=6 ch=00EB\n  type=1 ch=0078 'x'\n"},
    {"ApostropheIsPrime", "<mi>f</mi><mo>'</mo>", "  type=2 ch=0066 'f'\n  type=1 ch=2032 '\u2032'\n"},
    {"EmptyTokenIsTransparent", "<mi></mi><mi><mglyph/></mi><mi>x</mi>", "  type=2 ch=0078 'x'\n"},
    {"UnknownElementsAreTransparent", "<mstyle mathvariant=\"bold\"><mpadded><mi>x</mi></mpadded></mstyle>",
     "  type=2 ch=0078 'x'\n"},
    {"SemanticsReadsItsFirstChildOnly",
     "<semantics><mi>x</mi><annotation-xml encoding=\"MathML-Presentation\"><mi>y</mi></annotation-xml>"
     "<annotation encoding=\"application/x-tex\">z</annotation></semantics>",
     "  type=2 ch=0078 'x'\n"},
};
INSTANTIATE_TEST_SUITE_P(Tokens, MathMLReaderCases, ::testing::ValuesIn(kTokens));

const Case kAlphabets[] = {
    {"DoubleStruckCapital", "<mi mathvariant=\"double-struck\">R</mi>", "  type=6 ch=0013\n"},
    {"DoubleStruckDigit", "<mn mathvariant=\"double-struck\">1</mn>", "  type=6 ch=01BA\n"},
    {"DoubleStruckSmall", "<mi mathvariant=\"double-struck\">xi</mi>", "  type=6 ch=01DA\n  type=6 ch=01CB\n"},
    {"DoubleStruckOther", "<mi mathvariant=\"double-struck\">\u00E9+</mi>",
     "  type=1 ch=00E9 '\u00E9'\n  type=1042 ch=0000\n"},
    {"ScriptL", "<mi mathvariant=\"script\">lA</mi>", "  type=1 ch=2113 '\u2113'\n  type=6 ch=003A\n"},
    {"ScriptSmallLetterStaysALetter", "<mi mathvariant=\"script\">a</mi><mi mathvariant=\"bold-script\">a</mi>",
     "  type=2 ch=0061 'a'\n  type=4 ch=0061 'a'\n"},
    {"FrakturL", "<mi mathvariant=\"fraktur\">l</mi><mi mathvariant=\"bold-fraktur\">A</mi>",
     "  type=6 ch=0079\n  type=8 ch=0054\n"},
    {"BoldScript", "<mi mathvariant=\"bold-script\">A</mi>", "  type=8 ch=0163\n"},
    {"SansSerif", "<mi mathvariant=\"sans-serif\">A</mi><mi mathvariant=\"bold-sans-serif\">b</mi>",
     "  type=6 ch=017F\n  type=8 ch=019A\n"},
    {"LetterLikeSymbolInAnyAlphabet", "<mi mathvariant=\"fraktur\">\u2136</mi>", "  type=6 ch=00A6\n"},
};
INSTANTIATE_TEST_SUITE_P(Alphabets, MathMLReaderCases, ::testing::ValuesIn(kAlphabets));

const Case kStructures[] = {
    {"Fraction", "<mfrac><mi>a</mi><mi>b</mi></mfrac>",
     "  type=128 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"},
    {"BevelledFraction", "<mfrac bevelled=\"true\"><mi>a</mi><mi>b</mi></mfrac>",
     "  type=130 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"},
    {"FractionWithoutBarIsAStack", "<mfrac linethickness=\"0pt\"><mi>a</mi><mi>b</mi></mfrac>",
     "  type=370 ch=0100\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"},
    {"UnitlessZeroThickness", "<mfrac linethickness=\"0\"><mi>a</mi><mi>b</mi></mfrac>",
     "  type=370 ch=0100\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"},
    {"MissingArgumentLeavesAnEmptyChain", "<mfrac><mi>a</mi></mfrac>",
     "  type=128 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n    arg 1\n      type=0 "
     "ch=0000\n"},
    {"SquareRootTakesAllChildren", "<msqrt><mi>a</mi><mo>+</mo><mi>b</mi></msqrt>",
     "  type=136 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n      type=1042 ch=0000\n"
     "      type=2 ch=0062 'b'\n"},
    {"Root", "<mroot><mi>x</mi><mn>3</mn></mroot>",
     "  type=137 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0078 'x'\n"
     "    arg 1\n      type=0 ch=0000\n      type=1 ch=0033 '3'\n"},
    {"Enclosures",
     "<menclose notation=\"circle\"><mi>x</mi></menclose><menclose><mi>y</mi></menclose>"
     "<menclose notation=\"updiagonalstrike\"/><menclose notation=\"radical\"/>",
     "  type=598 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0078 'x'\n"
     "  type=248 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0079 'y'\n"
     "  type=242 ch=0000\n    arg 0\n      type=0 ch=0000\n"
     "  type=136 ch=0000\n    arg 0\n      type=0 ch=0000\n"},
    {"Phantom", "<mphantom><mi>x</mi><msqrt><mi>a</mi></msqrt></mphantom>",
     "  type=2 ch=0078 'x' phantom=03\n  type=136 ch=0000 phantom=03\n    arg 0\n      type=0 ch=0000 phantom=03\n"
     "      type=2 ch=0061 'a' phantom=03\n"},
    {"PhantomKeepingWidthOrHeight",
     "<mpadded height=\"0\" depth=\"0\"><mphantom><mi>x</mi></mphantom></mpadded>"
     "<mpadded width=\"0\"><mphantom><mi>y</mi></mphantom></mpadded><mi>z</mi>",
     "  type=2 ch=0078 'x' phantom=01\n  type=2 ch=0079 'y' phantom=02\n  type=2 ch=007A 'z'\n"},
    {"OtherPaddingIsTransparent", "<mpadded width=\"0\" height=\"0\"><mphantom><mi>x</mi></mphantom></mpadded>",
     "  type=2 ch=0078 'x' phantom=03\n"},
    {"PhantomInPhantomKeepsItsKind",
     "<mphantom><msqrt><mpadded width=\"0\"><mphantom><mi>a</mi></mphantom></mpadded></msqrt></mphantom>",
     "  type=136 ch=0000 phantom=03\n    arg 0\n      type=0 ch=0000 phantom=03\n      type=2 ch=0061 'a' phantom=02\n"},
    {"LongDivision", "<mlongdiv><mn>3</mn><mn>4</mn><mn>12</mn></mlongdiv>",
     "  type=131 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=0031 '1'\n      type=1 ch=0032 '2'\n"
     "    arg 1\n      type=0 ch=0000\n      type=1 ch=0033 '3'\n"
     "    arg 2\n      type=0 ch=0000\n      type=1 ch=0034 '4'\n"},
    {"Solidus", "<mi>a</mi><mo>/</mo><mi>b</mi>",
     "  type=130 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"},
    {"SolidusAtTheStart", "<mo>/</mo><mi>b</mi>", "  type=1 ch=002F '/'\n  type=2 ch=0062 'b'\n"},
};
INSTANTIATE_TEST_SUITE_P(Structures, MathMLReaderCases, ::testing::ValuesIn(kStructures));

const Case kScripts[] = {
    {"Superscript", "<msup><mi>x</mi><mn>2</mn></msup>",
     "  type=2 ch=0078 'x'\n  type=173 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=0032 '2'\n"},
    {"SubAndSuperscript", "<msubsup><mi>x</mi><mi>i</mi><mn>2</mn></msubsup>",
     "  type=2 ch=0078 'x'\n  type=175 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=0032 '2'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0069 'i'\n"},
    {"NestedScripts", "<msup><msub><mi>x</mi><mi>i</mi></msub><mn>2</mn></msup>",
     "  type=2 ch=0078 'x'\n  type=174 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0069 'i'\n"
     "  type=173 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=0032 '2'\n"},
    {"StretchyBaseThatIsNoOperator", "<msub><mo stretchy=\"false\">)</mo><mi>i</mi></msub>",
     "  type=1 ch=0029 ')'\n  type=174 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0069 'i'\n"},
    {"Prescripts", "<mmultiscripts><mi>X</mi><mprescripts/><mi>a</mi><mi>b</mi></mmultiscripts>",
     "  type=191 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n  type=2 ch=0058 'X'\n"},
    {"PrescriptsAndPostscripts",
     "<mmultiscripts><mi>X</mi><mi>c</mi><mi>d</mi><mprescripts/><mi>a</mi><mi>b</mi></mmultiscripts>",
     "  type=191 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n  type=2 ch=0058 'X'\n"
     "  type=175 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0064 'd'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0063 'c'\n"},
    {"PrescriptNone",
     "<mmultiscripts><mi>X</mi><mprescripts/><none/><mi>b</mi></mmultiscripts>"
     "<mmultiscripts><mi>Y</mi><mprescripts/><mi>a</mi><none/></mmultiscripts>",
     "  type=189 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n  type=2 ch=0058 'X'\n"
     "  type=190 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n  type=2 ch=0059 'Y'\n"},
    {"MultiscriptsWithoutPrescripts", "<mmultiscripts><mi>X</mi><mi>a</mi><mi>b</mi></mmultiscripts>",
     "  type=2 ch=0058 'X'\n  type=175 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"},
};
INSTANTIATE_TEST_SUITE_P(Scripts, MathMLReaderCases, ::testing::ValuesIn(kScripts));

const Case kBigOperators[] = {
    {"SumTakesTheNextSiblingAsOperand", "<mo>\u2211</mo><mi>k</mi><mo>=</mo>",
     "  type=306 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=006B 'k'\n  type=1049 ch=0000\n"},
    {"NoOperandFromAnotherArgument", "<mfrac><mo>\u2211</mo><mi>n</mi></mfrac>",
     "  type=128 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=03A3 '\u03A3'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=006E 'n'\n"},
    {"IntegralWithLimits", "<msubsup><mo>\u222B</mo><mn>0</mn><mn>1</mn></msubsup><mi>f</mi>",
     "  type=773 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=0031 '1'\n"
     "    arg 1\n      type=0 ch=0000\n      type=1 ch=0030 '0'\n"
     "    arg 2\n      type=0 ch=0000\n      type=2 ch=0066 'f'\n"},
    {"IntegralWithSideLimits", "<msubsup><mo stretchy=\"false\">\u222B</mo><mn>0</mn><mn>1</mn></msubsup><mi>f</mi>",
     "  type=290 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=0031 '1'\n"
     "    arg 1\n      type=0 ch=0000\n      type=1 ch=0030 '0'\n"
     "    arg 2\n      type=0 ch=0000\n      type=2 ch=0066 'f'\n"},
    {"SumWithLimits", "<munderover><mo>\u2211</mo><mi>i</mi><mi>n</mi></munderover><mi>a</mi>",
     "  type=308 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=006E 'n'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0069 'i'\n"
     "    arg 2\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"},
    {"SumWithSideLimits", "<msub><mo stretchy=\"false\">\u2211</mo><mi>i</mi></msub><mi>a</mi>",
     "  type=848 ch=0000\n    arg 0\n      type=0 ch=0000\n    arg 1\n      type=0 ch=0000\n      type=2 ch=0069 'i'\n"
     "    arg 2\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"},
    {"OperatorWithoutOperand", "<munder><mo>\u22C3</mo><mi>i</mi></munder>",
     "  type=319 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0069 'i'\n    arg 1\n      type=0 "
     "ch=0000\n"},
    {"LowerIntegralAlwaysHasALimit", "<mo>\u2A1C</mo><mi>f</mi>",
     "  type=274 ch=0000\n    arg 0\n      type=0 ch=0000\n    arg 1\n      type=0 ch=0000\n      type=2 ch=0066 "
     "'f'\n"},
    {"LimitWord", "<munder><mi>lim</mi><mrow><mi>x</mi><mo>\u2192</mo><mn>0</mn></mrow></munder>",
     "  type=180 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=006C 'l'\n      type=1 ch=0069 'i'\n"
     "      type=1 ch=006D 'm'\n    arg 1\n      type=0 ch=0000\n      type=2 ch=0078 'x'\n"
     "      type=6 ch=00EB\n      type=1 ch=0030 '0'\n"},
};
INSTANTIATE_TEST_SUITE_P(BigOperators, MathMLReaderCases, ::testing::ValuesIn(kBigOperators));

const Case kOverUnder[] = {
    {"ArrowOverText", "<mover><mo>\u2192</mo><mtext>abc</mtext></mover>",
     "  type=624 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=0061 'a'\n      type=1 ch=0062 'b'\n"
     "      type=1 ch=0063 'c'\n"},
    {"ArrowAsScriptStaysAnOverStructure", "<mover><mi>x</mi><mo>\u2192</mo></mover>",
     "  type=177 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0078 'x'\n"
     "    arg 1\n      type=0 ch=0000\n      type=6 ch=00EB\n"},
    {"LettersWithArrowCodesAreNoArrows", "<mover><mi>\u00E9</mi><mi>a</mi></mover>",
     "  type=177 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=1 ch=00E9 '\u00E9'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"},
    {"ArrowUnderText", "<munder><mo>\u2190</mo><mi>a</mi></munder>",
     "  type=635 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"},
    {"TildeOverText", "<mover><mo>~</mo><mi>a</mi></mover>",
     "  type=642 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"},
    {"OverAndUnderAreBaseOverUnder", "<munderover><mi>x</mi><mi>a</mi><mi>b</mi></munderover>",
     "  type=178 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0078 'x'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n    arg 2\n      type=0 ch=0000\n      type=2 ch=0061 "
     "'a'\n"},
    {"ArrowWithTextOverAndUnder",
     "<munderover accent=\"false\" accentunder=\"false\"><mo>\u2192</mo><mi>a</mi><mi>b</mi></munderover>",
     "  type=628 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"},
    {"AccentMark", "<mover accent=\"true\"><mi>x</mi><mo>^</mo></mover>", "  type=2 ch=0078 'x' payload=0D\n"},
    {"AccentMarksStack",
     "<munder accentunder=\"true\"><mover accent=\"true\"><mi>x</mi><mo>\u02D9</mo></mover><mo>~</mo></munder>",
     "  type=2 ch=0078 'x' payload=01 8C\n"},
    {"DoubledMark", "<mover accent=\"true\"><mi>x</mi><mo>\u033F</mo></mover>", "  type=2 ch=0078 'x' payload=0B 0B\n"},
    {"AccentAttributeOnTheMark", "<mover><mi>v</mi><mo accent=\"true\">\u2192</mo></mover>",
     "  type=2 ch=0076 'v' payload=05\n"},
    {"WideAccent", "<mover accent=\"true\"><mrow><mi>a</mi><mi>b</mi></mrow><mo>^</mo></mover>",
     "  type=211 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n      type=2 ch=0062 'b'\n"},
    {"WideUnderAccent", "<munder accentunder=\"true\"><mrow><mi>a</mi><mi>b</mi></mrow><mo>\u23DF</mo></munder>",
     "  type=232 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n      type=2 ch=0062 'b'\n"},
    {"MarkOnAStructureIsAWideAccent", "<mover accent=\"true\"><msqrt><mi>a</mi></msqrt><mo>^</mo></mover>",
     "  type=211 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=136 ch=0000\n        arg 0\n"
     "          type=0 ch=0000\n          type=2 ch=0061 'a'\n"},
    {"UnknownAccentIsAnOverStructure", "<mover accent=\"true\"><mi>x</mi><mo>\u2660</mo></mover>",
     "  type=177 ch=0000\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0078 'x'\n"
     "    arg 1\n      type=0 ch=0000\n      type=6 ch=00BD\n"},
    {"AccentAlone", "<mi>a</mi><mover accent=\"true\"><mo>^</mo></mover>", "  type=2 ch=0061 'a'\n"},
};
INSTANTIATE_TEST_SUITE_P(OverUnder, MathMLReaderCases, ::testing::ValuesIn(kOverUnder));

const Case kBrackets[] = {
    {"OperatorPair", "<mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mo>)</mo>",
     "  type=336 ch=0111\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n      type=1042 ch=0000\n"
     "      type=2 ch=0062 'b'\n"},
    {"OperatorPairWithDifferentStretchiness", "<mo>(</mo><mi>a</mi><mo stretchy=\"true\">)</mo>",
     "  type=1 ch=0028 '('\n  type=2 ch=0061 'a'\n  type=1 ch=0029 ')'\n"},
    {"EmptyPair", "<mo>[</mo><mo>]</mo>", "  type=336 ch=0212\n    arg 0\n      type=0 ch=0000\n"},
    {"Bars", "<mo>|</mo><mi>x</mi><mo>|</mo>",
     "  type=336 ch=0515\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0078 'x'\n"},
    {"FencedWithSeparators",
     "<mfenced open=\"[\" close=\")\" separators=\", ;\"><mi>a</mi><mi>b</mi><mi>c</mi><mi>d</mi></mfenced>",
     "  type=336 ch=0211\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n      type=1 ch=002C ','\n"
     "      type=2 ch=0062 'b'\n      type=1 ch=003B ';'\n      type=2 ch=0063 'c'\n      type=1 ch=003B ';'\n"
     "      type=2 ch=0064 'd'\n"},
    {"FencedDefaults", "<mfenced><mi>a</mi></mfenced>",
     "  type=336 ch=0111\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"},
    {"FencedWithTwoChains", "<mfenced open=\"\u27E8\" close=\"\u232A\" separators=\"|\"><mi>a</mi><mi>b</mi></mfenced>",
     "  type=336 ch=0414\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n"},
};
INSTANTIATE_TEST_SUITE_P(Brackets, MathMLReaderCases, ::testing::ValuesIn(kBrackets));

std::string cells(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += "    arg " + std::to_string(i) + "\n      type=0 ch=0000\n";
    return s;
}

const Case kSpacesAndTables[] = {
    {"Space", "<mspace width=\"0.5em\"/>", "  type=104 ch=0000 payload=00 00 00 3F\n"},
    {"ZeroSpaceGivesNothing", "<mi>a</mi><mspace width=\"0pt\"/><mspace/>", "  type=2 ch=0061 'a'\n"},
    {"NegativeSpace", "<mspace width=\"-3mu\"/><mspace width=\"2%\"/>",
     "  type=104 ch=0001 payload=00 00 40 C0\n  type=104 ch=0009 payload=00 00 00 40\n"},
    {"TwoRowsOfThree", "<mtable><mtr><mtd/><mtd/><mtd/></mtr><mtr><mtd/><mtd/><mtd><mi>x</mi></mtd></mtr></mtable>",
     "  type=371 ch=0000 payload=02 03\n" + cells(5) + "    arg 5\n      type=0 ch=0000\n      type=2 ch=0078 'x'\n"},
    {"OneRow", "<mtable columnalign=\"left\"><mtr><mtd/><mtd/><mtd/></mtr></mtable>",
     "  type=369 ch=0001\n" + cells(3)},
    {"OneColumn", "<mtable columnalign=\"right\"><mtr><mtd/></mtr><mtr><mtd/></mtr><mtr><mtd/></mtr></mtable>",
     "  type=370 ch=0002\n" + cells(3)},
    {"RaggedRowsArePadded",
     "<mtable><mtr><mtd><mi>a</mi></mtd><mtd><mi>b</mi></mtd></mtr><mtr><mtd><mi>c</mi></mtd></mtr></mtable>",
     "  type=371 ch=0000 payload=02 02\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n    arg 2\n      type=0 ch=0000\n      type=2 ch=0063 "
     "'c'\n"
     "    arg 3\n      type=0 ch=0000\n"},
    {"NumberedRowsAreRowsWithoutTheirLabel",
     "<mtable><mlabeledtr><mtd><mtext>(1)</mtext></mtd><mtd><mi>a</mi></mtd><mtd><mi>b</mi></mtd></mlabeledtr>"
     "<mtr><mtd><mi>c</mi></mtd><mtd/></mtr></mtable>",
     "  type=371 ch=0000 payload=02 02\n    arg 0\n      type=0 ch=0000\n      type=2 ch=0061 'a'\n"
     "    arg 1\n      type=0 ch=0000\n      type=2 ch=0062 'b'\n    arg 2\n      type=0 ch=0000\n      type=2 ch=0063 "
     "'c'\n"
     "    arg 3\n      type=0 ch=0000\n"},
    {"TableWithoutRowsGivesNothing", "<mi>a</mi><mtable><mtd/></mtable>", "  type=2 ch=0061 'a'\n"},
    {"RowsWithoutCells", "<mtable><mtr/><mtr/></mtable>", "  type=370 ch=0000\n" + cells(2)},
    {"RuleLines",
     "<mtable columnlines=\"none solid\" rowlines=\"dashed\"><mtr><mtd/><mtd/><mtd/></mtr><mtr><mtd/><mtd/><mtd/></mtr>"
     "</mtable>",
     "  type=371 ch=0000 payload=02 03 00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 00 00 "
     "00 "
     "00 00 00 00 00\n" +
         cells(6)},
};
INSTANTIATE_TEST_SUITE_P(SpacesAndTables, MathMLReaderCases, ::testing::ValuesIn(kSpacesAndTables));

// --- documents ---------------------------------------------------------------

TEST(MathMLReader, EveryMathElementIsOneLine) {
    const MathMLReadResult r = readText(
        "<html><body><p>x <math><mi>a</mi></math></p><div><div><mml:math><mml:mi>b</mml:mi></mml:math></div></div>"
        "</body></html>");
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_EQ(treeText(*r.equation),
              "line 0\n  type=0 ch=0000\n  type=2 ch=0061 'a'\nline 1\n  type=0 ch=0000\n  type=2 ch=0062 'b'\n");
}

TEST(MathMLReader, ReadsUtf16WithAndWithoutByteOrderMark) {
    for (const QString& text : {QStringLiteral("\uFEFF<math><mi>\u03B1</mi></math>"),
                                QStringLiteral("<math><mi>\u03B1</mi></math>")}) {
        MathMLReader reader;
        const MathMLReadResult r = ReadMathML(reader, text.utf16(), size_t(text.size()) * 2, test::builtInStyle());
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        EXPECT_EQ(treeText(*r.equation), "line 0\n  type=0 ch=0000\n  type=2 ch=03B1 '\u03B1'\n");
    }
}

TEST(MathMLReader, ReportsWhatDoesNotConvert) {
    struct Failure {
        std::string text;
        const char* message;
    };
    const Failure failures[] = {
        {"", "empty"},
        {"<math><mi>x</mi>", "not well-formed"},
        {"just text", "not well-formed"},
        {"<p>x<b>y</b></p>", "no MathML"},
        {"<math><mrow/><mspace width=\"0em\"/></math>", "nothing that converts"},
        {"<math><mtable/></math><math/>", "nothing that converts"},
    };
    for (const Failure& f : failures) {
        const MathMLReadResult r = readText(f.text);
        EXPECT_FALSE(r.ok) << f.text;
        EXPECT_FALSE(r.equation) << f.text;
        EXPECT_TRUE(r.message.contains(QLatin1String(f.message))) << f.text << ": " << r.message.toStdString();
    }
}

TEST(MathMLReader, KeepsTheDocumentUntilFreed) {
    MathMLReader reader;
    const std::string text = "<math><mi>x</mi></math>";
    EXPECT_TRUE(ReadMathML(reader, text.data(), text.size(), test::builtInStyle()).ok);
    ASSERT_NE(reader.document(), nullptr);
    EXPECT_TRUE(reader.document()->child("math"));
    FreeMathMLDocument(reader);
    EXPECT_EQ(reader.document(), nullptr);
}

TEST(MathMLReader, DeepNestingIsCutAndReported) {
    const int depth = 100000;
    std::string text = "<math><mi>a</mi>";
    for (int i = 0; i < depth; ++i) text += "<mrow>";
    text += "<mi>b</mi>";
    for (int i = 0; i < depth; ++i) text += "</mrow>";
    text += "</math>";
    const MathMLReadResult r = readText(text);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(treeText(*r.equation), "line 0\n  type=0 ch=0000\n  type=2 ch=0061 'a'\n");
    EXPECT_TRUE(r.message.contains(QLatin1String("nested"))) << r.message.toStdString();
}

TEST(MathMLReader, NestingWithinTheLimitIsRead) {
    std::string text = "<math>";
    for (int i = 1; i < kMaxMathMLDepth; ++i) text += "<msqrt>";
    text += "<mi>b</mi>";
    for (int i = 1; i < kMaxMathMLDepth; ++i) text += "</msqrt>";
    text += "</math>";
    const MathMLReadResult r = readText(text);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.message.isEmpty()) << r.message.toStdString();
    const EqElement* e = r.equation->lines[0]->next;
    int depth = 0;
    while (e && e->type == 136) {
        e = e->children[0]->next;
        ++depth;
    }
    EXPECT_EQ(depth, kMaxMathMLDepth - 1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ch, u'b');
}

TEST(MathMLReader, ManySiblings) {
    const int count = 100000;
    std::string text = "<math><mrow>";
    for (int i = 0; i < count; ++i) text += "<mi>x</mi><mo>+</mo>";
    text += "</mrow></math>";
    const MathMLReadResult r = readText(text);
    ASSERT_TRUE(r.ok);
    int n = 0;
    for (const EqElement* e = r.equation->lines[0]->next; e; e = e->next) ++n;
    EXPECT_EQ(n, 2 * count);
}

TEST(MathMLReader, LargeTablesAreCutAndReported) {
    std::string text = "<math><mtable><mtr>";
    for (int i = 0; i < 300; ++i) text += "<mtd/>";
    text += "</mtr>";
    for (int i = 0; i < 300; ++i) text += "<mtr><mtd><mn>1</mn></mtd></mtr>";
    text += "</mtable></math>";
    const MathMLReadResult r = readText(text);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.message.contains(QLatin1String("cut"))) << r.message.toStdString();
    const EqElement* m = r.equation->lines[0]->next;
    ASSERT_EQ(m->type, 371);
    const MatrixShape shape = GetMatrixShape(m);
    EXPECT_EQ(shape.count2, kMaxMathMLTableSize);
    EXPECT_EQ(shape.count1, kMaxMathMLTableSize);
    EXPECT_EQ(m->children.size(), size_t(kMaxMathMLTableSize) * kMaxMathMLTableSize);
}

// Every element of the equation, chain heads and lines included.
size_t elementCount(const EqModel& eq) {
    size_t n = 0;
    std::vector<const EqElement*> heads(eq.lines.begin(), eq.lines.end());
    while (!heads.empty()) {
        const EqElement* head = heads.back();
        heads.pop_back();
        for (const EqElement* e = head; e; e = e->next) {
            ++n;
            heads.insert(heads.end(), e->children.begin(), e->children.end());
        }
    }
    return n;
}

// Large inputs stop at the element or text budget and keep what was read
// before it, as the LaTeX reader keeps the tokens within its cap; a text
// larger than the input limit is not read at all. Each case is a body
// repeated to about the given size inside one "math" element.
TEST(MathMLReader, LargeInputsStopAtTheirBudgets) {
    const QString elementLimit = QStringLiteral("The element limit (%1 elements) was reached; the rest was left out.")
                                     .arg(kMaxMathMLElements);
    const QString textLimit =
        QStringLiteral("The text limit (%1 characters) was reached; the rest was left out.").arg(kMaxMathMLText);
    struct Budget {
        const char* name;
        std::string open, body, close;
        size_t size;
        bool ok;
        QString message;
    };
    const std::string mostlyBlank = "a" + std::string(999, ' ');
    const std::string paddedTable = "<mtable><mtr>" + [] {
        std::string cells;
        for (int i = 0; i < kMaxMathMLTableSize; ++i) cells += "<mtd/>";
        return cells;
    }() + "</mtr>" + [] {
        std::string rows;
        for (int i = 1; i < kMaxMathMLTableSize; ++i) rows += "<mtr/>";
        return rows;
    }() + "</mtable>";
    const Budget cases[] = {
        {"TenMegabytesOfTokens", "", "<mi>x</mi><mo>+</mo>", "", size_t(10) << 20, true, elementLimit},
        {"ManyMathElements", "</math>", "<math><mi>x</mi></math>", "<math>", size_t(4) << 20, true, elementLimit},
        {"EmptyScripts", "", "<msubsup/>", "", size_t(4) << 20, true, elementLimit},
        {"TablesOfPaddedCells", "", paddedTable, "", size_t(1) << 20, true, elementLimit},
        {"DeepStructures", "", "<msqrt><mfrac><mi>a</mi><mrow><mi>b</mi></mrow></mfrac></msqrt>", "",
         size_t(4) << 20, true, elementLimit},
        {"TextOfBlanks", "<mtext>", mostlyBlank, "</mtext>", size_t(kMaxMathMLText) + 4096, true, textLimit},
        {"LongText", "<mtext>", "ab ", "</mtext>", size_t(kMaxMathMLText) * 2, true, elementLimit + u' ' + textLimit},
        {"TooLarge", "", "<mi>x</mi>", "", kMaxMathMLInputSize + 1, false,
         QStringLiteral("The text is larger than the input limit (%1 bytes) and was not read.")
             .arg(qulonglong(kMaxMathMLInputSize))},
        {"WithinTheBudgets", "", "<mi>x</mi>", "", 100000, true, QString()},
    };
    for (const Budget& c : cases) {
        std::string text = "<math>" + c.open;
        const size_t end = c.size - c.close.size() - 7;
        while (text.size() + c.body.size() <= end) text += c.body;
        text += c.close + "</math>";
        text.resize(std::max(text.size(), c.size), ' ');
        const MathMLReadResult r = readText(text);
        EXPECT_EQ(r.ok, c.ok) << c.name;
        EXPECT_EQ(r.overflow, !c.message.isEmpty()) << c.name;
        EXPECT_EQ(r.message.toStdString(), c.message.toStdString()) << c.name;
        if (!r.ok) {
            EXPECT_EQ(r.equation, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(r.equation, nullptr) << c.name;
        EXPECT_LE(elementCount(*r.equation), size_t(kMaxMathMLElements)) << c.name;
        // What was read before the budget is kept.
        EXPECT_GT(elementCount(*r.equation), size_t(1000)) << c.name;
    }
}

}  // namespace
}  // namespace toliva
