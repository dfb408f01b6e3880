// The MathML writer: trees and the MathML they give.
#include "MathMLWriter.h"
#include "model/GlyphOutline.h"
#include "model/SymbolLibrary.h"
#include "tex/MathML.h"

#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace toliva {
namespace {

const std::string kOpen = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";
const std::string kClose = "</math>";

// The content of the "math" root, without formatting.
std::string body(const EqModel& eq, const TeXWriteContext& context = TeXWriteContext()) {
    const std::string text =
        EquationToMathML(eq, context, pugi::format_raw | pugi::format_no_declaration).toStdString();
    if (text == kOpen.substr(0, kOpen.size() - 1) + "/>") return "";
    if (text.size() < kOpen.size() + kClose.size() || text.compare(0, kOpen.size(), kOpen) != 0 ||
        text.compare(text.size() - kClose.size(), kClose.size(), kClose) != 0)
        return "unexpected root: " + text;
    return text.substr(kOpen.size(), text.size() - kOpen.size() - kClose.size());
}

// Shorthands for building lines.
struct Tree {
    EqBuilder& b;
    EqElement* line;

    EqElement* text(std::u16string_view s, int type = EqTypeCharItalic, EqElement* chain = nullptr) {
        return b.text(chain ? chain : line, s, type);
    }
    EqElement* add(int type, int children = 0, uint16_t ch = 0, EqElement* chain = nullptr) {
        return b.add(chain ? chain : line, type, children, ch);
    }
    // An element whose child chains hold the given italic texts.
    EqElement* with(int type, std::initializer_list<std::u16string_view> args, uint16_t ch = 0,
                    EqElement* chain = nullptr) {
        EqElement* e = add(type, int(args.size()), ch, chain);
        int i = 0;
        for (std::u16string_view a : args) b.text(EqBuilder::arg(e, i++), a, EqTypeCharItalic);
        return e;
    }
};

struct Case {
    const char* name;
    std::function<void(Tree&)> build;
    std::string expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string mi(const std::string& x) { return "<mi>" + x + "</mi>"; }
std::string row(const std::string& x) { return x.empty() ? "<mrow/>" : "<mrow>" + x + "</mrow>"; }

class MathMLWriterCases : public ::testing::TestWithParam<Case> {};

TEST_P(MathMLWriterCases, Writes) {
    const Case& c = GetParam();
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    Tree t{b, b.line()};
    c.build(t);
    EXPECT_EQ(body(eq), c.expected);
}

const Case kCharacters[] = {
    {"ItalicLetter", [](Tree& t) { t.text(u"x"); }, mi("x")},
    {"UprightRunIsOneToken", [](Tree& t) { t.text(u"sin", 1); t.text(u"x"); },
     "<mi mathvariant=\"normal\">sin</mi>" + mi("x")},
    {"DigitsAndLettersSplit", [](Tree& t) { t.text(u"12ab3", 1); },
     "<mn>12</mn><mi mathvariant=\"normal\">ab</mi><mn>3</mn>"},
    {"ItalicLettersStaySeparate", [](Tree& t) { t.text(u"ab"); }, mi("a") + mi("b")},
    {"StyledTypes", [](Tree& t) { t.text(u"a", 3); t.text(u"b", 4); t.text(u"c", 16); t.text(u"7", 3); },
     "<mi mathvariant=\"bold\">a</mi><mi mathvariant=\"bold-italic\">b</mi><mi>c</mi><mn>7</mn>"},
    {"ReplacedLetters", [](Tree& t) { t.text(u"\u0127\u01B1\u0394\u03A3"); },
     mi("ℏ") + mi("℧") + mi("∆") + mi("∑")},
    {"CaronLettersSurvive", [](Tree& t) { t.text(u"\u017D\u017E", 1); }, "<mi mathvariant=\"normal\">Žž</mi>"},
    {"ReservedCharactersAsNumericReferences", [](Tree& t) { t.text(u"<&>\"", 1); },
     "<mi mathvariant=\"normal\">&#60;&#38;&#62;\"</mi>"},
    {"ControlCharacterGivesEmptyToken", [](Tree& t) { t.add(1, 0, 0x01); t.add(2, 0, 0x1F); },
     "<mi mathvariant=\"normal\"/><mi/>"},
    {"SurrogatePairIsOneCharacter", [](Tree& t) { t.text(u"\U0001D538"); }, mi("𝔸")},
    {"LoneSurrogateIsDropped", [](Tree& t) { t.add(2, 0, 0xD835); t.text(u"x"); }, "<mi/>" + mi("x")},
    {"AccentedUprightStartsNewToken",
     [](Tree& t) {
         t.text(u"a", 1);
         t.text(u"b", 1)->payload = {1};
         t.text(u"c", 1);
     },
     "<mi mathvariant=\"normal\">a</mi>"
     "<mover accent=\"true\"><mrow><mi mathvariant=\"normal\">b</mi></mrow><mo>˙</mo></mover>"
     "<mi mathvariant=\"normal\">c</mi>"},
};
INSTANTIATE_TEST_SUITE_P(Characters, MathMLWriterCases, ::testing::ValuesIn(kCharacters),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kAccents[] = {
    {"Over", [](Tree& t) { t.text(u"x")->payload = {5}; },
     "<mover accent=\"true\">" + row(mi("x")) + "<mo>→</mo></mover>"},
    {"UnderUsesAccentunder", [](Tree& t) { t.text(u"x")->payload = {128 + 14}; },
     "<munder accentunder=\"true\">" + row(mi("x")) + "<mo>ˇ</mo></munder>"},
    {"LastByteOutermost", [](Tree& t) { t.text(u"x")->payload = {2, 128 + 12}; },
     "<munder accentunder=\"true\"><mrow><mover accent=\"true\">" + row(mi("x")) +
         "<mo>¨</mo></mover></mrow><mo>~</mo></munder>"},
    {"UnlistedCodeIsBar", [](Tree& t) { t.text(u"x")->payload = {11}; },
     "<mover accent=\"true\">" + row(mi("x")) + "<mo>-</mo></mover>"},
    {"EmptyMarkBytesAreSkipped", [](Tree& t) { t.text(u"x")->payload = {0, 128}; }, mi("x")},
};
INSTANTIATE_TEST_SUITE_P(Accents, MathMLWriterCases, ::testing::ValuesIn(kAccents),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kSpaces[] = {
    {"Fixed", [](Tree& t) { for (int type : {96, 97, 99, 102, 105}) t.add(type); },
     "<mspace width=\"-0.166667em\"/><mspace width=\"0.0555556em\"/><mspace width=\"0.222222em\"/>"
     "<mspace width=\"1em\"/><mspace width=\"0.5em\"/>"},
    {"ThinSpaceAfterFunctionNameIsFunctionApplication",
     [](Tree& t) {
         t.text(u"sin", 1);
         t.add(97);
         t.text(u"x");
         t.add(97);
         t.text(u"2", 1);
         t.add(97);
     },
     "<mi mathvariant=\"normal\">sin</mi><mo>\u2061</mo>" + mi("x") +
         "<mspace width=\"0.0555556em\"/><mn>2</mn><mspace width=\"0.0555556em\"/>"},
    {"CustomPercent", [](Tree& t) { SetSpaceAmount(t.add(104, 0, 9), 50); }, "<mspace width=\"50%\"/>"},
    {"CustomUnits",
     [](Tree& t) {
         SetSpaceAmount(t.add(104, 0, 1), 3);
         SetSpaceAmount(t.add(104, 0, 0x0208), 1.5f);
         SetSpaceAmount(t.add(104, 0, 12), 2);
     },
     "<mspace width=\"3mu\"/><mspace width=\"1.5cm\"/><mspace width=\"2em\"/>"},
};
INSTANTIATE_TEST_SUITE_P(Spaces, MathMLWriterCases, ::testing::ValuesIn(kSpaces),
                         [](const auto& info) { return std::string(info.param.name); });

std::string fenced(const std::string& open, const std::string& close, const std::string& inner) {
    return "<mfenced open=\"" + open + "\" close=\"" + close + "\" separators=\"|\">" + inner + "</mfenced>";
}

const Case kBrackets[] = {
    {"Round", [](Tree& t) { t.with(337, {u"x"}); }, fenced("(", ")", row(mi("x")))},
    {"OpenOnly", [](Tree& t) { t.with(353, {u"x"}); }, fenced("(", "", row(mi("x")))},
    {"FloorAndAngles", [](Tree& t) { t.with(343, {u"x"}); t.with(340, {u"y"}); },
     fenced("⌊", "⌋", row(mi("x"))) + fenced("\u2329", "\u232A", row(mi("y")))},
    {"CodesInCharacter", [](Tree& t) { t.with(336, {u"x"}, 0x0913); }, fenced("⟦", "}", row(mi("x")))},
    {"FixedSizeUsesLowNibble", [](Tree& t) { t.with(336, {u"x"}, 0x4342); t.with(336, {u"y"}, 0x2A8F); },
     fenced("[", ")", row(mi("x"))) + fenced("‖", "", row(mi("y")))},
    {"TwoChainsFirstAndLast", [](Tree& t) { t.with(367, {u"a", u"b", u"c"}); },
     fenced("[", "]", row(mi("a")) + row(mi("c")))},
};
INSTANTIATE_TEST_SUITE_P(Brackets, MathMLWriterCases, ::testing::ValuesIn(kBrackets),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kSymbols[] = {
    {"Operators", [](Tree& t) { for (int type : {1042, 1060, 1049, 1288}) t.add(type); },
     "<mo>+</mo><mo>&#60;</mo><mo>=</mo><mo>≕</mo>"},
    {"OperatorWithoutCharacter", [](Tree& t) { t.add(1289); }, "<mo/>"},
    {"ArrowSymbols", [](Tree& t) { t.add(507); t.add(542); t.add(550); }, "<mo>↗</mo><mo>↪</mo><mo>→</mo>"},
    {"GlyphAlphabets",
     [](Tree& t) {
         t.add(6, 0, 2);
         t.add(8, 0, 2);
         t.add(6, 0, 32);
         t.add(8, 0, 32);
         t.add(6, 0, 223);
         t.add(8, 0, 110);
         t.add(6, 0, 380);
         t.add(6, 0, 142);
     },
     "<mi mathvariant=\"double-struck\">A</mi><mi mathvariant=\"double-struck\">A</mi>"
     "<mi mathvariant=\"script\">A</mi><mi mathvariant=\"bold-script\">A</mi><mi mathvariant=\"script\">Z</mi>"
     "<mi mathvariant=\"bold-fraktur\">a</mi><mi mathvariant=\"bold-script\">Z</mi><mi mathvariant=\"script\">H</mi>"},
    {"GlyphSymbols", [](Tree& t) { t.add(6, 0, 148); t.add(6, 0, 235); t.add(6, 0, 301); t.add(6, 0, 302); },
     "<mo>⓪</mo><mo>→</mo><mo>⇢</mo><mo/>"},
    {"GlyphAlphabetsOfTheHints",
     [](Tree& t) {
         t.add(6, 0, 383);
         t.add(8, 0, 434);
         t.add(6, 0, 441);
         t.add(6, 0, 476);
     },
     "<mi mathvariant=\"sans-serif\">A</mi><mi mathvariant=\"bold-sans-serif\">z</mi>"
     "<mn mathvariant=\"double-struck\">0</mn><mi mathvariant=\"double-struck\">z</mi>"},
    {"UnlistedGlyphsGiveEmptyTokens", [](Tree& t) { for (int i : {1, 28, 31, 140, 500}) t.add(6, 0, uint16_t(i)); },
     "<mo/><mo/><mo/><mo/><mo/>"},
    {"UnlistedGlyphTakesItsOutlineCharacter",
     [](Tree& t) {
         EqElement* g = t.add(6, 0, 320);
         g->glyph = std::make_unique<GlyphOutline>();
         g->glyph->charCode = int16_t(0x2605);
     },
     "<mo>★</mo>"},
    {"AccentedGlyph", [](Tree& t) { t.add(6, 0, 2)->payload = {1}; },
     "<mover accent=\"true\"><mrow><mi mathvariant=\"double-struck\">A</mi></mrow><mo>˙</mo></mover>"},
    {"UserSymbolWritesNothing", [](Tree& t) { t.add(7, 0, 5); }, ""},
};
INSTANTIATE_TEST_SUITE_P(Symbols, MathMLWriterCases, ::testing::ValuesIn(kSymbols),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kStructures[] = {
    {"CalcResultWritesItsChain", [](Tree& t) { t.with(64, {u"x"}); }, mi("x")},
    {"Fraction", [](Tree& t) { t.with(128, {u"a", u"b"}); }, "<mfrac>" + row(mi("a")) + row(mi("b")) + "</mfrac>"},
    {"BevelledFractions", [](Tree& t) { t.with(129, {u"a", u"b"}); t.with(132, {u"c", u"d"}); },
     "<mfrac bevelled=\"true\">" + row(mi("a")) + row(mi("b")) + "</mfrac><mfrac bevelled=\"true\">" + row(mi("c")) +
         row(mi("d")) + "</mfrac>"},
    {"SlashFraction", [](Tree& t) { t.with(130, {u"a", u"b"}); },
     "<mrow>" + mi("a") + "<mo>/</mo>" + mi("b") + "</mrow>"},
    {"LongDivision", [](Tree& t) { t.with(131, {u"a", u"b", u"c"}); },
     "<mlongdiv>" + row(mi("b")) + row(mi("c")) + row(mi("a")) + "</mlongdiv>"},
    {"FractionMissingChainKeepsTwoArguments", [](Tree& t) { t.with(128, {u"a"}); },
     "<mfrac>" + row(mi("a")) + row("") + "</mfrac>"},
    {"Radicals", [](Tree& t) { t.with(136, {u"a"}); t.with(137, {u"b", u"n"}); },
     "<msqrt>" + row(mi("a")) + "</msqrt><mroot>" + row(mi("b")) + row(mi("n")) + "</mroot>"},
    {"OverUnder", [](Tree& t) { t.with(177, {u"a", u"b"}); t.with(179, {u"c", u"d"}); t.with(180, {u"e", u"f"}); },
     "<mover>" + row(mi("a")) + row(mi("b")) + "</mover><munder>" + row(mi("c")) + row(mi("d")) + "</munder><munder>" +
         row(mi("e")) + row(mi("f")) + "</munder>"},
    {"UnderOverThreeChains", [](Tree& t) { t.with(178, {u"a", u"b", u"c"}); },
     "<munderover>" + row(mi("a")) + row(mi("c")) + row(mi("b")) + "</munderover>"},
    {"WideAccents", [](Tree& t) { t.with(216, {u"a"}); t.with(225, {u"b"}); t.with(217, {u"c"}); t.with(233, {u"d"}); },
     "<mover accent=\"true\">" + row(mi("a")) + "<mo>⏞</mo></mover><munder accentunder=\"true\">" + row(mi("b")) +
         "<mo>~</mo></munder><mover accent=\"true\">" + row(mi("c")) + "<mo>-</mo></mover><munder accentunder=\"true\">" +
         row(mi("d")) + "<mo>_</mo></munder>"},
    {"Enclosures", [](Tree& t) { t.with(241, {u"a"}); t.with(256, {u"b"}); t.with(250, {u"c"}); },
     "<menclose notation=\"downdiagonalstrike\">" + row(mi("a")) + "</menclose><menclose notation=\"phasorangle\">" +
         row(mi("b")) + "</menclose><menclose notation=\"box\">" + row(mi("c")) + "</menclose>"},
};
INSTANTIATE_TEST_SUITE_P(Structures, MathMLWriterCases, ::testing::ValuesIn(kStructures),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kBigOperators[] = {
    {"SumPlain", [](Tree& t) { t.with(306, {u"x"}); },
     "<mrow><mo stretchy=\"false\">∑</mo>" + row(mi("x")) + "</mrow>"},
    {"SumUnderOver", [](Tree& t) { t.with(308, {u"n", u"i", u"x"}); },
     "<mrow><munderover><mo stretchy=\"false\">∑</mo>" + row(mi("i")) + row(mi("n")) + "</munderover>" + row(mi("x")) +
         "</mrow>"},
    {"IntegralSubSup", [](Tree& t) { t.with(290, {u"b", u"a", u"f"}); },
     "<mrow><msubsup><mo stretchy=\"false\">∫</mo>" + row(mi("a")) + row(mi("b")) + "</msubsup>" + row(mi("f")) +
         "</mrow>"},
    {"ContourSub", [](Tree& t) { t.with(292, {u"C", u"f"}); },
     "<mrow><msub><mo stretchy=\"false\">∮</mo>" + row(mi("C")) + "</msub>" + row(mi("f")) + "</mrow>"},
    {"MissingLimitKeepsSlots", [](Tree& t) { t.with(308, {u"i", u"x"}); },
     "<mrow><munderover><mo stretchy=\"false\">∑</mo>" + row(mi("i")) + row("") + "</munderover>" + row(mi("x")) +
         "</mrow>"},
    {"DottedIntegralByChains", [](Tree& t) { t.with(277, {u"D", u"f"}); },
     "<mrow><msub><mo stretchy=\"false\">∫⋯∫</mo>" + row(mi("D")) + "</msub>" + row(mi("f")) + "</mrow>"},
    {"QuadrupleIntegralStacked", [](Tree& t) { t.with(785, {u"b", u"a", u"f"}); },
     "<mrow><munderover><mo stretchy=\"false\">⨌</mo>" + row(mi("a")) + row(mi("b")) + "</munderover>" +
         row(mi("f")) + "</mrow>"},
    {"NoChains", [](Tree& t) { t.add(306); }, "<mrow><mo stretchy=\"false\">∑</mo></mrow>"},
};
INSTANTIATE_TEST_SUITE_P(BigOperators, MathMLWriterCases, ::testing::ValuesIn(kBigOperators),
                         [](const auto& info) { return std::string(info.param.name); });

EqElement* cells(Tree& t, int type, std::initializer_list<std::u16string_view> texts, EqElement* chain = nullptr) {
    return t.with(type, texts, 0, chain);
}

std::string td(const std::string& x) { return "<mtd>" + x + "</mtd>"; }

const Case kPhantoms[] = {
    {"EachKindHasItsForm",
     [](Tree& t) {
         SetPhantomKind(t.text(u"a"), PhantomFull, false);
         SetPhantomKind(t.text(u"b"), PhantomFull, false);
         SetPhantomKind(t.text(u"c"), PhantomHorizontal, false);
         SetPhantomKind(t.text(u"d"), PhantomVertical, false);
         t.text(u"e");
     },
     "<mphantom>" + mi("a") + mi("b") + "</mphantom><mpadded height=\"0\" depth=\"0\"><mphantom>" + mi("c") +
         "</mphantom></mpadded><mpadded width=\"0\"><mphantom>" + mi("d") + "</mphantom></mpadded>" + mi("e")},
    {"WholeStructureOnce",
     [](Tree& t) {
         EqElement* f = t.with(128, {u"x", u"y"});
         SetPhantomKind(f, PhantomFull, false);
         SetPhantomKind(t.with(136, {u"z"}, 0, EqBuilder::arg(f, 0)), PhantomVertical, false);
     },
     "<mphantom><mfrac>" + row(mi("x") + "<mpadded width=\"0\"><mphantom><msqrt>" + row(mi("z")) +
         "</msqrt></mphantom></mpadded>") + row(mi("y")) + "</mfrac></mphantom>"},
};
INSTANTIATE_TEST_SUITE_P(Phantoms, MathMLWriterCases, ::testing::ValuesIn(kPhantoms),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kMatrices[] = {
    {"RowWithSolidRuleAfterSecondColumn",
     [](Tree& t) {
         EqElement* m = cells(t, 369, {u"a", u"b", u"c"});
         uint8_t record[32] = {};
         record[16] = 0x02;  // solid column rules: boundary 2
         SetMatrixRules(m, record);
     },
     "<mtable columnlines=\"none solid\"><mtr>" + td(mi("a")) + td(mi("b")) + td(mi("c")) + "</mtr></mtable>"},
    {"TwoByTwoWithDashedRowRuleAndAlignment",
     [](Tree& t) {
         EqElement* m = cells(t, 371, {u"a", u"b", u"c", u"d"});
         m->ch = 2;
         SetMatrixShape(2, m, 2);
         uint8_t record[32] = {};
         record[4] = 0x01;  // dashed row rule: boundary 1
         SetMatrixRules(m, record);
     },
     "<mtable columnalign=\"right\" rowlines=\"dashed\"><mtr>" + td(mi("a")) + td(mi("b")) + "</mtr><mtr>" +
         td(mi("c")) + td(mi("d")) + "</mtr></mtable>"},
    {"CasesKeepNoAlignment",
     [](Tree& t) {
         EqElement* bracket = t.add(355, 1);
         cells(t, 370, {u"a", u"b"}, EqBuilder::arg(bracket, 0))->ch = 1;
     },
     fenced("{", "", row("<mtable><mtr>" + td(mi("a")) + "</mtr><mtr>" + td(mi("b")) + "</mtr></mtable>"))},
    {"LeftAlignedColumn", [](Tree& t) { cells(t, 370, {u"a"})->ch = 1; },
     "<mtable columnalign=\"left\"><mtr>" + td(mi("a")) + "</mtr></mtable>"},
    {"OverlappingPairIsFractionWithoutBar", [](Tree& t) { cells(t, 370, {u"n", u"k"})->ch = 0x0100; },
     "<mfrac linethickness=\"0\">" + row(mi("n")) + row(mi("k")) + "</mfrac>"},
    {"OverlappingRowsOtherwiseStayATable", [](Tree& t) { cells(t, 370, {u"a", u"b", u"c"})->ch = 0x0100; },
     "<mtable><mtr>" + td(mi("a")) + "</mtr><mtr>" + td(mi("b")) + "</mtr><mtr>" + td(mi("c")) + "</mtr></mtable>"},
};
INSTANTIATE_TEST_SUITE_P(Matrices, MathMLWriterCases, ::testing::ValuesIn(kMatrices),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kScripts[] = {
    {"Superscript", [](Tree& t) { t.text(u"x"); t.with(173, {u"n"}); },
     "<msup>" + row(mi("x")) + row(mi("n")) + "</msup>"},
    {"SubscriptThenSuperscriptNest", [](Tree& t) { t.text(u"x"); t.with(174, {u"i"}); t.with(173, {u"n"}); },
     "<msup><msub>" + row(mi("x")) + row(mi("i")) + "</msub>" + row(mi("n")) + "</msup>"},
    {"BothScriptsSubscriptFirst", [](Tree& t) { t.text(u"x"); t.with(175, {u"n", u"i"}); t.text(u"y"); },
     "<msubsup>" + row(mi("x")) + row(mi("i")) + row(mi("n")) + "</msubsup>" + mi("y")},
    {"BaseOfAnUprightRun", [](Tree& t) { t.text(u"ab", 1); t.with(173, {u"2"}); },
     "<mi mathvariant=\"normal\">a</mi><msup><mrow><mi mathvariant=\"normal\">b</mi></mrow>" + row("<mn>2</mn>") +
         "</msup>"},
    {"ScriptAtChainStart", [](Tree& t) { t.with(174, {u"i"}); }, "<msub>" + row("") + row(mi("i")) + "</msub>"},
    {"ScriptOfASurrogatePair", [](Tree& t) { t.text(u"\U0001D538"); t.with(173, {u"n"}); },
     "<msup>" + row(mi("𝔸")) + row(mi("n")) + "</msup>"},
    {"PreSuperscript", [](Tree& t) { t.with(189, {u"a"}); t.text(u"X"); t.text(u"y"); },
     "<mmultiscripts>" + row(mi("X")) + "<mprescripts/><none/>" + row(mi("a")) + "</mmultiscripts>" + mi("y")},
    {"PreSubscriptAndBoth", [](Tree& t) { t.with(190, {u"a"}); t.text(u"X"); t.with(191, {u"p", u"b"}); t.text(u"Y"); },
     "<mmultiscripts>" + row(mi("X")) + "<mprescripts/>" + row(mi("a")) + "<none/></mmultiscripts><mmultiscripts>" +
         row(mi("Y")) + "<mprescripts/>" + row(mi("b")) + row(mi("p")) + "</mmultiscripts>"},
    {"ScriptAfterPrescriptBaseKept",
     [](Tree& t) { t.with(189, {u"a"}); t.text(u"X"); t.with(173, {u"n"}); t.text(u"y"); },
     "<mmultiscripts><mrow><msup>" + row(mi("X")) + row(mi("n")) + "</msup></mrow><mprescripts/><none/>" +
         row(mi("a")) + "</mmultiscripts>" + mi("y")},
    {"PrescriptAtChainEndHasEmptyBase", [](Tree& t) { t.text(u"y"); t.with(189, {u"a"}); },
     mi("y") + "<mmultiscripts>" + row("") + "<mprescripts/><none/>" + row(mi("a")) + "</mmultiscripts>"},
    {"PrescriptsNest", [](Tree& t) { t.with(189, {u"a"}); t.with(190, {u"b"}); t.text(u"X"); t.text(u"y"); },
     "<mmultiscripts><mrow><mmultiscripts>" + row(mi("X")) + "<mprescripts/>" + row(mi("b")) +
         "<none/></mmultiscripts></mrow><mprescripts/><none/>" + row(mi("a")) + "</mmultiscripts>" + mi("y")},
    {"RunAfterPrescriptStartsNewToken", [](Tree& t) { t.with(189, {u"a"}); t.text(u"bc", 1); },
     "<mmultiscripts><mrow><mi mathvariant=\"normal\">b</mi></mrow><mprescripts/><none/>" + row(mi("a")) +
         "</mmultiscripts><mi mathvariant=\"normal\">c</mi>"},
};
INSTANTIATE_TEST_SUITE_P(Scripts, MathMLWriterCases, ::testing::ValuesIn(kScripts),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kArrows[] = {
    {"DefinedAs", [](Tree& t) { t.text(u"def", 1, EqBuilder::arg(t.add(553, 1), 0)); }, "<mo>≝</mo>"},
    {"EqualsWithText", [](Tree& t) { t.with(553, {u"x"}); },
     "<mover accent=\"false\"><mo>=</mo>" + row(mi("x")) + "</mover>"},
    {"OverAndUnder", [](Tree& t) { t.with(554, {u"a"}); t.with(639, {u"b"}); },
     "<mover accent=\"false\"><mo>→</mo>" + row(mi("a")) + "</mover><munder accentunder=\"false\"><mo>⇔</mo>" +
         row(mi("b")) + "</munder>"},
    {"TextAboveAndBelow", [](Tree& t) { t.with(564, {u"a", u"b"}); },
     "<munderover accent=\"false\" accentunder=\"false\"><mo>→</mo>" + row(mi("b")) + row(mi("a")) + "</munderover>"},
    {"OutlineArrowWithOneText", [](Tree& t) { t.with(643, {u"a"}); },
     "<munderover accent=\"false\" accentunder=\"false\"><mo>~</mo>" + row("") + row(mi("a")) + "</munderover>"},
    {"PairedArrows", [](Tree& t) { t.with(557, {u"a"}); t.with(570, {u"b", u"c"}); },
     "<mover accent=\"false\"><mo>⇄</mo>" + row(mi("a")) +
         "</mover><munderover accent=\"false\" accentunder=\"false\"><mo>⇌</mo>" + row(mi("c")) + row(mi("b")) +
         "</munderover>"},
};
INSTANTIATE_TEST_SUITE_P(Arrows, MathMLWriterCases, ::testing::ValuesIn(kArrows),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kGroups[] = {
    {"StacksWriteTheirChains", [](Tree& t) { t.with(133, {u"a", u"b"}); },
     "<mrow>" + row(mi("a")) + row(mi("b")) + "</mrow>"},
    {"FrameMarkArcAndSmallGroup", [](Tree& t) { t.with(590, {u"a"}); t.with(135, {u"b"}); t.with(1536, {u"c"}); },
     "<mrow>" + row(mi("a")) + "</mrow><mrow>" + row(mi("b")) + "</mrow><mrow>" + row(mi("c")) + "</mrow>"},
    {"ChemicalForm", [](Tree& t) { t.with(608, {u"O", u"", u"", u"", u""}); },
     "<mrow>" + row(mi("O")) + row("") + row("") + row("") + row("") + "</mrow>"},
    {"UnknownTypeWritesNothing", [](Tree& t) { t.with(999, {u"a"}); t.text(u"b"); }, mi("b")},
};
INSTANTIATE_TEST_SUITE_P(Groups, MathMLWriterCases, ::testing::ValuesIn(kGroups),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MathMLWriter, EmptyEquationIsAnEmptyRoot) {
    EqModel eq(test::builtInStyle());
    const QString text = EquationToMathML(eq, TeXWriteContext());
    EXPECT_EQ(text.toStdString(), "<?xml version=\"1.0\"?>\n<math xmlns=\"http://www.w3.org/1998/Math/MathML\" />\n");
    AddEmptyLine(&eq);
    EXPECT_EQ(EquationToMathML(eq, TeXWriteContext()), text);
}

TEST(MathMLWriter, LinesShareOneRoot) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    b.text(b.line(), u"a", EqTypeCharItalic);
    b.text(b.line(), u"b", EqTypeCharItalic);
    EXPECT_EQ(body(eq), mi("a") + mi("b"));
    // The default save: declaration, one element per line, tab indentation.
    EXPECT_EQ(EquationToMathML(eq, TeXWriteContext()).toStdString(),
              "<?xml version=\"1.0\"?>\n" + kOpen + "\n\t<mi>a</mi>\n\t<mi>b</mi>\n" + kClose + "\n");
}

TEST(MathMLWriter, WritingOneElementAlone) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    EqElement* x = b.text(line, u"x", EqTypeCharItalic);
    b.text(line, u"y", EqTypeCharItalic);
    pugi::xml_document doc;
    WriteMathMLChain(TeXWriteContext(), x, doc.append_child("mrow"), false);
    xml_string_writer sink;
    doc.save(sink, "", pugi::format_raw | pugi::format_no_declaration);
    EXPECT_EQ(sink.result, "<mrow><mi>x</mi></mrow>");
}

TEST(MathMLWriter, GlyphCharacterFromTheSymbolLibrary) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    b.add(b.line(), EqTypeGlyphSymbol, 0, 320);
    SymbolLibrary library;
    library.glyphs.resize(320);
    library.glyphs[319] = std::make_unique<GlyphOutline>();
    library.glyphs[319]->charCode = int16_t(0x2606);
    TeXWriteContext context;
    context.symbols = &library;
    EXPECT_EQ(body(eq, context), "<mo>☆</mo>");
    EXPECT_EQ(body(eq), "<mo/>");
}

TEST(MathMLWriter, LongScriptAndPrescriptRunsDoNotRecurse) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"x", EqTypeCharItalic);
    for (int i = 0; i < 5000; ++i) b.add(line, 173, 1);
    for (int i = 0; i < 5000; ++i) b.add(line, 189, 1);
    b.text(line, u"y", EqTypeCharItalic);
    const std::string text = body(eq);
    size_t scripts = 0;
    for (size_t at = text.find("<msup>"); at != std::string::npos; at = text.find("<msup>", at + 1)) ++scripts;
    EXPECT_EQ(scripts, 5000u);
    EXPECT_NE(text.find("<mrow><mi>y</mi></mrow><mprescripts/><none/><mrow/></mmultiscripts></mrow>"),
              std::string::npos);
}

}  // namespace
}  // namespace toliva
