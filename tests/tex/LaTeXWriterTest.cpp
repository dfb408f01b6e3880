// The LaTeX writer, rule by rule: a table of trees and the text each gives.
#include "LaTeXTestTrees.h"

#include "model/EqDump.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

#include <gtest/gtest.h>

#include <functional>

namespace toliva::test {
namespace {

constexpr uint32_t kRed = 0x0000FF;  // COLORREF
constexpr uint32_t kBlue = 0xFF0000;

struct Case {
    const char* name;
    std::function<void(Tree&)> build;
    const char16_t* expected;
};

void runCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tree t;
        c.build(t);
        EXPECT_EQ(t.latex(), QString::fromUtf16(c.expected)) << t.latex().toStdString();
    }
}

// 2 x 2 cell matrix of type 371 holding a, b, c, d.
EqElement* matrix2x2(Tree& t, uint16_t ch) {
    EqElement* m = t.with(t.line, 371, {u"a", u"b", u"c", u"d"}, ch);
    m->payload = {2, 2};
    return m;
}

void setMask(EqElement* m, int index, uint32_t bits) {
    uint8_t record[32] = {};
    const MatrixShape old = GetMatrixShape(m);
    std::copy(old.rules, old.rules + 32, record);
    for (int i = 0; i < 4; ++i) record[4 * index + i] = uint8_t(bits >> (8 * i));
    SetMatrixRules(m, record);
}

TEST(LaTeXWriterTest, CharactersAndRuns) {
    runCases({
        {"italic run", [](Tree& t) { t.text(t.line, u"xy"); }, u"xy"},
        {"upright function and rest", [](Tree& t) { t.text(t.line, u"sinx", 1); }, uR"(\sin\mathrm{x})"},
        {"upright diag", [](Tree& t) { t.text(t.line, u"diag", 1); }, uR"(\mathrm{diag})"},
        {"longest name wins: arcsin", [](Tree& t) { t.text(t.line, u"arcsin", 1); }, uR"(\arcsin )"},
        {"longest name wins: arccos x", [](Tree& t) { t.text(t.line, u"arccosx", 1); }, uR"(\arccos\mathrm{x})"},
        {"longest name wins: sinh", [](Tree& t) { t.text(t.line, u"sinh", 1); }, uR"(\sinh )"},
        {"earliest position wins", [](Tree& t) { t.text(t.line, u"asinh", 1); }, uR"(\mathrm{asin}\mathrm{h})"},
        {"name after plain part", [](Tree& t) { t.text(t.line, u"xsin", 1); }, uR"(\mathrm{x}\sin )"},
        {"two names", [](Tree& t) { t.text(t.line, u"logexp", 1); }, uR"(\log\exp )"},
        {"upright CJK", [](Tree& t) { t.text(t.line, u"\u4E2D\u6587", 1); }, u"\\text{\u4E2D\u6587}"},
        {"upright plain", [](Tree& t) { t.text(t.line, u"ab", 1); }, uR"(\mathrm{ab})"},
        {"upright digits alone", [](Tree& t) { t.text(t.line, u"12", 1); }, u"12"},
        {"upright letter then digit", [](Tree& t) { t.text(t.line, u"a1", 1); }, uR"(\mathrm{a}1)"},
        {"punctuation splits runs", [](Tree& t) { t.text(t.line, u"a,b", 1); }, uR"(\mathrm{a},\mathrm{b})"},
        {"upright bracket character alone", [](Tree& t) { t.text(t.line, u"(a)", 1); }, uR"((\mathrm{a)})"},
        {"bold", [](Tree& t) { t.text(t.line, u"ab", 3); }, uR"(\mathbf{ab})"},
        {"bold italic", [](Tree& t) { t.text(t.line, u"ab", 4); }, uR"(\boldsymbol{ab})"},
        {"sans-serif", [](Tree& t) { t.text(t.line, u"ab", 16); }, uR"(\mathsf{ab})"},
        {"monospace", [](Tree& t) { t.text(t.line, u"ab", 17); }, uR"(\mathtt{ab})"},
        {"text-colour type alone", [](Tree& t) { t.text(t.line, u"ab", 5); }, u"ab"},
        {"styles do not mix", [](Tree& t) {
             t.text(t.line, u"a", 3);
             t.text(t.line, u"b", 2);
         }, uR"(\mathbf{a}b)"},
        {"upright Greek capital", [](Tree& t) { t.text(t.line, u"\u0393", 1); }, uR"(\Gamma )"},
        {"bold Greek capital", [](Tree& t) { t.text(t.line, u"\u03A9", 3); }, uR"(\mathbf{\Omega })"},
        {"italic Greek capital", [](Tree& t) { t.text(t.line, u"\u0394", 2); }, uR"(\varDelta )"},
        {"Greek capital class differs from upright letters",
         [](Tree& t) { t.text(t.line, u"\u03A0x", 1); }, uR"(\Pi \mathrm{x})"},
        {"escaped characters", [](Tree& t) { t.text(t.line, u"#$%&_{}"); }, uR"(\#\$\%\&\_\{\})"},
        {"plain punctuation", [](Tree& t) { t.text(t.line, u"!*,./:;?@|~"); }, u"!*,./:;?@|~"},
        {"minus character", [](Tree& t) { t.text(t.line, u"-"); }, uR"(\-)"},
        {"blank", [](Tree& t) { t.text(t.line, u" "); }, uR"(\ )"},
        {"degree and primes", [](Tree& t) { t.text(t.line, u"\u00B0\u2032\u2033\u2034"); },
         uR"(\degree \prime '' ''' )"},
        {"backslash keeps its blank", [](Tree& t) { t.text(t.line, u"\\x"); }, uR"(\backslash x)"},
        {"control characters are dropped", [](Tree& t) { t.text(t.line, u"a\u0001b"); }, u"ab"},
        {"apostrophe", [](Tree& t) { t.text(t.line, u"'"); }, u"'"},
    });
}

TEST(LaTeXWriterTest, SpacesAndAccents) {
    runCases({
        {"fixed spaces", [](Tree& t) {
             for (int type : {96, 97, 98, 99, 100, 102, 103, 105}) t.add(t.line, type);
         }, uR"(\!\!\:\,\:\;\quad \qquad \enspace )"},
        {"1/3 em space", [](Tree& t) { t.add(t.line, 101); }, uR"(\,\,)"},
        {"1/3 em space after upright", [](Tree& t) {
             t.text(t.line, u"x", 1);
             t.add(t.line, 101);
             t.add(t.line, 101);
         }, uR"(\mathrm{x}\ \ )"},
        {"1/3 em space ends a sqrt index", [](Tree& t) {
             EqElement* root = t.add(t.line, 137, 2);
             t.text(Tree::arg(root, 0), u"x");
             t.text(Tree::arg(root, 1), u"n", 1);
             t.add(Tree::arg(root, 1), 101);
         }, uR"(\sqrt[\mathrm{n}\ ]{x})"},
        {"custom space kern", [](Tree& t) { SetSpaceAmount(t.add(t.line, 104, 0, 0x204), 2.5f); }, uR"(\kern 2.5pt )"},
        {"custom space default command", [](Tree& t) { SetSpaceAmount(t.add(t.line, 104, 0, 0x0), 1.0f); },
         uR"(\mspace{1em})"},
        {"custom space hspace", [](Tree& t) { SetSpaceAmount(t.add(t.line, 104, 0, 0x108), 0.5f); },
         uR"(\hspace{0.5cm})"},
        {"custom space mskip", [](Tree& t) { SetSpaceAmount(t.add(t.line, 104, 0, 0x501), 3.0f); },
         uR"(\mskip 3mu )"},
        {"custom space amount bytes are no accents", [](Tree& t) {
             // 2.0000002f has a low byte of 1, the code of a dot accent.
             SetSpaceAmount(t.add(t.line, 104, 0, 0x204), 2.0000002f);
         }, uR"(\kern 2pt )"},
        {"dot", [](Tree& t) { t.text(t.line, u"x")->payload = {1}; }, uR"(\dot{x})"},
        {"accents nest in payload order", [](Tree& t) { t.text(t.line, u"x")->payload = {11, 5}; },
         uR"(\vec{\bar{x}})"},
        {"accent table", [](Tree& t) {
             const uint8_t codes[] = {2, 3, 4, 12, 13, 14, 16, 20, 21, 22, 25, 26, 27, 139};
             for (uint8_t c : codes) t.text(t.line, u"x")->payload = {c};
         }, uR"(\ddot{x}\dddot{x}\ddddot{x}\tilde{x}\hat{x}\check{x}\breve{x}\mathring{x}\grave{x}\acute{x})"
            uR"(\overbridge{x}\overstar{x}\not{x}\ul{x})"},
        {"codes without accent", [](Tree& t) { t.text(t.line, u"x")->payload = {0, 28, 128, 200}; }, u"x"},
        {"blank before the brace goes", [](Tree& t) { t.text(t.line, u"\u0393", 1)->payload = {13}; },
         uR"(\hat{\Gamma})"},
        {"control space keeps its blank", [](Tree& t) { t.text(t.line, u" ")->payload = {1}; }, uR"(\dot{\ })"},
        {"accented character ends the run", [](Tree& t) {
             t.text(t.line, u"x")->payload = {1};
             t.text(t.line, u"y");
         }, uR"(\dot{x}y)"},
        {"accented neighbour ends the run", [](Tree& t) {
             t.text(t.line, u"x");
             t.text(t.line, u"y")->payload = {1};
         }, uR"(x\dot{y})"},
    });
}

TEST(LaTeXWriterTest, Structures) {
    runCases({
        {"fraction", [](Tree& t) { t.with(t.line, 128, {u"a", u"b"}); }, uR"(\frac{a}{b})"},
        {"bevelled fraction", [](Tree& t) { t.with(t.line, 129, {u"a", u"b"}); }, uR"({{a}\Bigg/{b}})"},
        {"slash fraction", [](Tree& t) { t.with(t.line, 130, {u"a", u"b"}); }, uR"({{a}\Bigg/{b}})"},
        {"long division", [](Tree& t) { t.with(t.line, 131, {u"a", u"b", u""}); }, uR"(\longdiv{a}{b})"},
        {"small fraction", [](Tree& t) { t.with(t.line, 132, {u"a", u"b"}); }, uR"(\tfrac{a}{b})"},
        {"missing argument", [](Tree& t) { t.with(t.line, 128, {u"a"}); }, uR"(\frac{a}{})"},
        {"control space argument keeps its blank", [](Tree& t) { t.with(t.line, 128, {u" ", u"b"}); },
         uR"(\frac{\ }{b})"},
        {"control space script", [](Tree& t) {
             t.text(t.line, u"x");
             t.with(t.line, 173, {u" "});
         }, uR"(x^{\ })"},
        {"square root", [](Tree& t) { t.with(t.line, 136, {u"x"}); }, uR"(\sqrt{x})"},
        {"root with index", [](Tree& t) { t.with(t.line, 137, {u"x", u"3"}); }, uR"(\sqrt[3]{x})"},
        {"superscript", [](Tree& t) {
             t.text(t.line, u"x");
             t.with(t.line, 173, {u"2"});
         }, u"x^2"},
        {"subscript braced", [](Tree& t) {
             t.text(t.line, u"x");
             t.with(t.line, 174, {u"ab"});
         }, u"x_{ab}"},
        {"apostrophe is not bare", [](Tree& t) {
             t.text(t.line, u"x");
             t.with(t.line, 173, {u"'"});
         }, u"x^{'}"},
        {"both scripts", [](Tree& t) {
             t.text(t.line, u"x");
             t.with(t.line, 175, {u"a", u"b"});
         }, u"x_{b}^{a}"},
        {"baseline script", [](Tree& t) {
             t.text(t.line, u"x");
             t.with(t.line, 176, {u"1"});
         }, u"x_1"},
        {"double superscript groups the first", [](Tree& t) {
             t.text(t.line, u"x");
             t.with(t.line, 173, {u"2"});
             t.with(t.line, 173, {u"3"});
         }, u"{x^2}^3"},
        {"longer script runs keep one script per base", [](Tree& t) {
             t.text(t.line, u"x");
             t.with(t.line, 173, {u"2"});
             t.with(t.line, 174, {u"3"});
             t.with(t.line, 173, {u"4"});
         }, u"{{x^2}_3}^4"},
        {"over, plain", [](Tree& t) { t.with(t.line, 177, {u"x", u"a"}); }, uR"(\overset{a}{x})"},
        {"over, operator form", [](Tree& t) { t.with(t.line, 177, {u"x", u"a"}, 1); }, uR"(\mathop {x}^a)"},
        {"over and under, plain", [](Tree& t) { t.with(t.line, 178, {u"x", u"a", u"b"}); },
         uR"(\underset{b}{\overset{a}{x}})"},
        {"over and under, operator form", [](Tree& t) { t.with(t.line, 178, {u"x", u"a", u"b"}, 1); },
         uR"(\mathop {x}_b^a)"},
        {"under, plain", [](Tree& t) { t.with(t.line, 179, {u"x", u"a"}); }, uR"(\underset{a}{x})"},
        {"under, operator form", [](Tree& t) { t.with(t.line, 179, {u"x", u"ab"}, 1); }, uR"(\mathop {x}_{ab})"},
        {"limit under lim", [](Tree& t) {
             EqElement* e = t.add(t.line, 180, 2);
             t.text(Tree::arg(e, 0), u"lim", 1);
             t.text(Tree::arg(e, 1), u"x");
         }, uR"(\lim_x )"},
        {"limit under another name", [](Tree& t) { t.with(t.line, 180, {u"f", u"x"}); },
         uR"(\mathop f \limits_{x})"},
        {"scripts with a bar", [](Tree& t) { t.with(t.line, 181, {u"x"}); }, uR"(\mid_x)"},
        {"pre-superscript", [](Tree& t) { t.with(t.line, 189, {u"a"}); }, uR"(\presuperscript{a})"},
        {"pre-subscript with two chains", [](Tree& t) { t.with(t.line, 190, {u"a", u"b"}); },
         uR"(\presubscript[b]{a})"},
        {"both prescripts", [](Tree& t) { t.with(t.line, 191, {u"a", u"b"}); }, uR"(\prescript{a}{b})"},
        {"extensible arrow", [](Tree& t) { t.with(t.line, 554, {u"a"}); }, uR"(\xrightarrow{a})"},
        {"extensible arrow with text below", [](Tree& t) { t.with(t.line, 628, {u"a", u"b"}); },
         uR"(\xrightarrow[b]{a})"},
        {"long equals", [](Tree& t) { t.with(t.line, 574, {u"a"}); }, uR"(\xlongequal{a})"},
        {"harpoons", [](Tree& t) { t.with(t.line, 560, {u"a"}); }, uR"(\xleftrightharpoons{a})"},
        {"arrow table", [](Tree& t) {
             for (int type : {555, 556, 563, 632, 633, 642}) t.with(t.line, type, {u"a"});
         }, uR"(\xleftarrow{a}\xleftrightarrow{a}\xRightarrow{a}\xLeftarrow{a}\xLeftrightarrow{a}\xsim{a})"},
        {"arrow with its text under the shaft", [](Tree& t) { t.with(t.line, 634, {u"a"}); },
         uR"(\xrightarrow[a]{})"},
        {"small group", [](Tree& t) { t.with(t.line, 1536, {u"a"}); }, uR"(\small{a})"},
        {"calculation result", [](Tree& t) {
             EqElement* e = t.add(t.line, 64, 1);
             t.text(Tree::arg(e, 0), u"3.5", 1);
         }, u"3.5"},
        {"stack keeps its arguments", [](Tree& t) { t.with(t.line, 133, {u"a", u"b"}); }, u"{a}{b}"},
        {"stack 134", [](Tree& t) { t.with(t.line, 134, {u"a", u"b"}); }, u"{a}{b}"},
        {"arc mark keeps its argument", [](Tree& t) { t.with(t.line, 135, {u"a"}); }, u"{a}"},
        {"chemical mark keeps its arguments", [](Tree& t) { t.with(t.line, 608, {u"a", u"", u"", u"", u""}); },
         u"{a}"},
        {"unknown types write nothing", [](Tree& t) {
             t.add(t.line, 65);
             t.with(t.line, 2000, {u"a"});
         }, u""},
    });
}

TEST(LaTeXWriterTest, SidesetAndBigOperators) {
    runCases({
        {"sum with three limits", [](Tree& t) { t.with(t.line, 308, {u"a", u"b", u"c"}); }, uR"(\sum_b^a{c})"},
        {"sum with two chains", [](Tree& t) { t.with(t.line, 307, {u"a", u"b"}); }, uR"(\sum_a{b})"},
        {"sum with operand only", [](Tree& t) { t.with(t.line, 306, {u"a"}); }, uR"(\sum{a})"},
        {"big operator without chains writes nothing", [](Tree& t) { t.add(t.line, 306); }, u""},
        {"braced limits", [](Tree& t) {
             EqElement* e = t.with(t.line, 308, {u"10", u"i", u"x"});
             t.add(Tree::arg(e, 1), 1049);
             t.text(Tree::arg(e, 1), u"1", 1);
         }, uR"(\sum_{i=1}^{10}{x})"},
        {"big operator table", [](Tree& t) {
             for (int type : {309, 312, 315, 318, 321, 324, 327, 330, 333, 800, 803, 860}) t.with(t.line, type, {u"a"});
         }, uR"(\prod{a}\coprod{a}\bigcap{a}\bigcup{a}\bigvee{a}\bigwedge{a}\bigotimes{a}\bigodot{a}\bigoplus{a})"
            uR"(\bigsqcup{a}\biguplus{a}\sum{a})"},
        {"side-placed big operators", [](Tree& t) {
             for (int type = 848; type <= 859; ++type) t.with(t.line, type, {u"a"});
         }, uR"(\sum\nolimits{a}\prod\nolimits{a}\coprod\nolimits{a}\bigcap\nolimits{a}\bigcup\nolimits{a})"
            uR"(\bigvee\nolimits{a}\bigwedge\nolimits{a}\bigsqcup\nolimits{a}\biguplus\nolimits{a})"
            uR"(\bigotimes\nolimits{a}\bigodot\nolimits{a}\bigoplus\nolimits{a})"},
        {"integral", [](Tree& t) { t.with(t.line, 290, {u"a", u"b", u"c"}); }, uR"(\int_b^a{c})"},
        {"integral table", [](Tree& t) {
             for (int type : {274, 275, 276, 279, 280, 281, 282, 283, 284, 285, 286, 288}) t.with(t.line, type, {u"c"});
         }, uR"(\lowint{c}\upint{c}\int\dotsi\int{c}\ointctrclockwise{c}\ointclockwise{c}\oint{c}\iint{c})"
            uR"(\oiint{c}\iiint{c}\oiiint{c}\iiiint{c}\int{c})"},
        {"integrals with limits", [](Tree& t) {
             for (int type : {769, 770, 771, 772, 777, 778, 781, 782, 785, 787}) t.with(t.line, type, {u"c"});
         }, uR"(\int\limits{c}\ointctrclockwise\limits{c}\ointclockwise\limits{c}\oint\limits{c}\iint\limits{c})"
            uR"(\oiint\limits{c}\iiint\limits{c}\oiiint\limits{c}\iiiint\limits{c}\int\dotsi\int\limits{c})"},
        {"sideset with both groups", [](Tree& t) {
             t.with(t.line, 182, {u"a", u"b"});
             EqElement* op = t.with(t.line, 308, {u"n", u"i", u""});
             t.with(Tree::arg(op, 2), 182, {u"c", u"d"});
             t.text(Tree::arg(op, 2), u"x");
         }, uR"(\sideset{_{b}^{a}}{_{d}^{c}}\sum_i^n{x})"},
        {"sideset always writes its second group", [](Tree& t) {
             t.with(t.line, 182, {u"a", u"b"});
             t.with(t.line, 308, {u"n", u"i", u"x"});
         }, uR"(\sideset{_{b}^{a}}{}\sum_i^n{x})"},
        {"sideset alone", [](Tree& t) { t.with(t.line, 182, {u"a"}); }, uR"(\sideset{_a}{})"},
        {"operand scripts without a sideset in front", [](Tree& t) {
             EqElement* op = t.with(t.line, 308, {u"n", u"i", u""});
             t.with(Tree::arg(op, 2), 182, {u"c", u"d"});
             t.text(Tree::arg(op, 2), u"x");
         }, uR"(\sideset{}{_{d}^{c}}\sum_i^n{x})"},
    });
}

TEST(LaTeXWriterTest, Brackets) {
    runCases({
        {"round", [](Tree& t) { t.with(t.line, 337, {u"x"}); }, uR"(\left( x \right) )"},
        {"square", [](Tree& t) { t.with(t.line, 338, {u"x"}); }, uR"(\left[ x \right] )"},
        {"curly", [](Tree& t) { t.with(t.line, 339, {u"x"}); }, uR"(\left\{ x \right\} )"},
        {"angle", [](Tree& t) { t.with(t.line, 340, {u"x"}); }, uR"(\left< x \right> )"},
        {"bars", [](Tree& t) { t.with(t.line, 341, {u"x"}); }, uR"(\left| x \right|)"},
        {"double bars", [](Tree& t) { t.with(t.line, 342, {u"x"}); }, uR"(\left\| x \right\| )"},
        {"floor", [](Tree& t) { t.with(t.line, 343, {u"x"}); }, uR"(\lfloor x \rfloor )"},
        {"ceiling", [](Tree& t) { t.with(t.line, 344, {u"x"}); }, uR"(\lceil x \rceil )"},
        {"double square keeps a blank", [](Tree& t) {
             t.with(t.line, 345, {u"x"});
             t.text(t.line, u"y");
         }, uR"(\Lbrack x \Rbrack y)"},
        {"left only", [](Tree& t) { t.with(t.line, 353, {u"x"}); }, uR"(\left( x \right. )"},
        {"right only", [](Tree& t) { t.with(t.line, 360, {u"x"}); }, uR"(\left. x \right) )"},
        {"mixed", [](Tree& t) { t.with(t.line, 349, {u"x"}); }, uR"(\left( x \right] )"},
        {"floor with round partner", [](Tree& t) { t.with(t.line, 336, {u"x"}, 0x0711); },
         uR"(\left. \lfloor x \right) )"},
        {"round with ceiling partner", [](Tree& t) { t.with(t.line, 336, {u"x"}, 0x0117); },
         uR"(\left( x \rceil \right. )"},
        {"double square with an empty right side", [](Tree& t) { t.with(t.line, 359, {u"x"}); },
         uR"(\left. \Lbrack x \right. )"},
        {"bar codes follow their side", [](Tree& t) { t.with(t.line, 336, {u"x"}, 0x1505); },
         uR"(\left| x \right|)"},
        {"fixed size", [](Tree& t) { t.with(t.line, 336, {u"x"}, 0x4142); }, uR"(\biggl( x \biggr) )"},
        {"fixed size words", [](Tree& t) { t.with(t.line, 336, {u"x"}, 0x2383); }, uR"(\Biggl[ x \bigr[ )"},
        {"fixed size pieces", [](Tree& t) { t.with(t.line, 336, {u"x"}, 0x656A); }, uR"(\Bigl\{ x \Bigr\| )"},
        {"fixed size without piece", [](Tree& t) { t.with(t.line, 336, {u"x"}, 0x4F4F); }, u"x"},
        {"fixed size with round partner", [](Tree& t) { t.with(t.line, 336, {u"x"}, 0x0141); },
         uR"(\left( x \biggr( \right. )"},
        {"middle bar", [](Tree& t) { t.with(t.line, 367, {u"a", u"b"}); }, uR"(\left[ a \middle| b \right] )"},
        {"middle bar between fixed sides", [](Tree& t) { t.with(t.line, 343, {u"a", u"b"}); },
         uR"(\left. \lfloor a \middle| b \rfloor \right. )"},
        {"cases carry their own brace", [](Tree& t) {
             EqElement* br = t.add(t.line, 355, 1);
             t.with(Tree::arg(br, 0), 370, {u"a", u"b"}, 1);
         }, u"\\begin{cases}\n\ta\\\\\n\tb\\\\\n\\end{cases}"},
        {"a case list with more beside it keeps the brace", [](Tree& t) {
             EqElement* br = t.add(t.line, 355, 1);
             t.with(Tree::arg(br, 0), 370, {u"a", u"b"}, 1);
             t.text(Tree::arg(br, 0), u"x");
         }, u"\\left\\{ \\begin{array}{l}\n\ta\\\\\n\tb\\\\\n\\end{array}x \\right. "},
        {"optional argument holding brackets is braced", [](Tree& t) {
             EqElement* root = t.add(t.line, 137, 2);
             t.text(Tree::arg(root, 0), u"x");
             t.text(Tree::arg(root, 1), u"]", 1);
             EqElement* arrow = t.add(t.line, 634, 2);
             t.text(Tree::arg(arrow, 0), u"[a", 1);
             t.text(Tree::arg(arrow, 1), u"b");
         }, uR"(\sqrt[{]}]{x}\xrightarrow[{[\mathrm{a}}]{b})"},
        {"round bracket around a one-column left matrix", [](Tree& t) {
             EqElement* br = t.add(t.line, 337, 1);
             t.with(Tree::arg(br, 0), 370, {u"a", u"b"}, 1);
         }, u"\\left( \\begin{array}{l}\n\ta\\\\\n\tb\\\\\n\\end{array} \\right) "},
    });
}

TEST(LaTeXWriterTest, Matrices) {
    runCases({
        {"row", [](Tree& t) { t.with(t.line, 369, {u"a", u"b"}); }, u"\\begin{matrix}\n\ta&\tb\\\\\n\\end{matrix}"},
        {"column", [](Tree& t) { t.with(t.line, 370, {u"a", u"b"}); },
         u"\\begin{array}{c}\n\ta\\\\\n\tb\\\\\n\\end{array}"},
        {"one cell is its text", [](Tree& t) { t.with(t.line, 370, {u"a"}); }, u"a"},
        {"cells, centred", [](Tree& t) { matrix2x2(t, 0); },
         u"\\begin{matrix}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{matrix}"},
        {"left alignment, one letter per column", [](Tree& t) { matrix2x2(t, 1); },
         u"\\begin{array}{ll}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{array}"},
        {"right alignment", [](Tree& t) { matrix2x2(t, 2); },
         u"\\begin{array}{rr}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{array}"},
        {"small takes no column format", [](Tree& t) { matrix2x2(t, 0x11); },
         u"\\begin{smallmatrix}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{smallmatrix}"},
        {"solid column rule", [](Tree& t) { setMask(matrix2x2(t, 0), 4, 1); },
         u"\\begin{array}{c|c}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{array}"},
        {"dashed column rule", [](Tree& t) { setMask(matrix2x2(t, 0), 0, 1); },
         u"\\begin{array}{c:c}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{array}"},
        {"rules keep the alignment letter", [](Tree& t) { setMask(matrix2x2(t, 2), 4, 1); },
         u"\\begin{array}{r|r}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{array}"},
        {"mixed styles give no separator", [](Tree& t) {
             EqElement* m = matrix2x2(t, 0);
             setMask(m, 0, 1);
             setMask(m, 4, 1);
         }, u"\\begin{matrix}\n\ta&\tb\\\\\n\tc&\td\\\\\n\\end{matrix}"},
        {"solid row line", [](Tree& t) { setMask(matrix2x2(t, 0), 5, 1); },
         u"\\begin{array}{cc}\n\ta&\tb\\\\\n\t\\hline\n\tc&\td\\\\\n\\end{array}"},
        {"dashed row line", [](Tree& t) { setMask(matrix2x2(t, 0), 1, 2); },
         u"\\begin{array}{cc}\n\ta&\tb\\\\\n\tc&\td\\\\\n\t\\hdashline\n\\end{array}"},
        {"missing cells are empty", [](Tree& t) {
             EqElement* m = t.with(t.line, 371, {u"a", u"b", u"c"});
             m->payload = {2, 2};
         }, u"\\begin{matrix}\n\ta&\tb\\\\\n\tc&\t\\\\\n\\end{matrix}"},
        {"column form 372 gets a column format", [](Tree& t) { t.with(t.line, 372, {u"a", u"b"}); },
         u"\\begin{array}{c}\n\ta\\\\\n\tb\\\\\n\\end{array}"},
        {"aligned rows at the relation", [](Tree& t) {
             EqElement* m = t.add(t.line, 370, 2, 3);
             for (int i = 0; i < 2; ++i) {
                 t.text(Tree::arg(m, i), i ? u"c" : u"a");
                 t.add(Tree::arg(m, i), 1049);
                 t.text(Tree::arg(m, i), i ? u"d" : u"b");
             }
         }, u"\\begin{aligned}\n\ta&=b\\\\\n\tc&=d\\\\\n\\end{aligned}"},
        {"aligned row, first relation only", [](Tree& t) {
             EqElement* m = t.add(t.line, 370, 2, 3);
             t.text(Tree::arg(m, 0), u"a");
             t.add(Tree::arg(m, 0), 1049);
             t.text(Tree::arg(m, 0), u"b");
             t.add(Tree::arg(m, 0), 1060);
             t.text(Tree::arg(m, 0), u"c");
         }, u"\\begin{aligned}\n\ta&=b<c\\\\\n\t\\\\\n\\end{aligned}"},
        {"aligned row at the mark", [](Tree& t) {
             EqElement* m = t.add(t.line, 370, 2, 3);
             t.text(Tree::arg(m, 0), u"a");
             t.add(Tree::arg(m, 0), 1049);
             t.text(Tree::arg(m, 0), u"b")->alignMark = 1;
             t.text(Tree::arg(m, 1), u"c");
         }, u"\\begin{aligned}\n\ta=&b\\\\\n\tc\\\\\n\\end{aligned}"},
        {"aligned row with a marked head", [](Tree& t) {
             EqElement* m = t.add(t.line, 370, 2, 3);
             t.text(Tree::arg(m, 0), u"a");
             Tree::arg(m, 0)->alignMark = 1;
             t.text(Tree::arg(m, 1), u"c");
         }, u"\\begin{aligned}\n\ta&\\\\\n\tc\\\\\n\\end{aligned}"},
        {"aligned marker stays outside colour groups", [](Tree& t) {
             EqElement* m = t.add(t.line, 370, 2, 3);
             EqElement* a = t.text(Tree::arg(m, 0), u"a");
             t.add(Tree::arg(m, 0), 1049);
             t.text(Tree::arg(m, 0), u"b");
             SetElementColour(a, kRed, true);
         }, u"\\begin{aligned}\n\t{\\color{red} a}&{\\color{red} =b}\\\\\n\t\\\\\n\\end{aligned}"},
        {"one aligned cell loses its markers", [](Tree& t) {
             EqElement* m = t.add(t.line, 370, 1, 3);
             t.text(Tree::arg(m, 0), u"a");
             t.add(Tree::arg(m, 0), 1049);
             t.text(Tree::arg(m, 0), u"b");
         }, u"a=b"},
    });
}

TEST(LaTeXWriterTest, ColoursAndPhantoms) {
    runCases({
        {"a red line opens one group", [](Tree& t) {
             EqElement* x = t.text(t.line, u"x");
             t.add(t.line, 1049);
             t.with(t.line, 128, {u"a", u"b"});
             SetElementColour(x, kRed, true);
         }, uR"({\color{red} x=\frac{a}{b}})"},
        {"colour change closes the group", [](Tree& t) {
             SetElementColour(t.text(t.line, u"x"), kRed, false);
             SetElementColour(t.text(t.line, u"y"), kBlue, false);
             t.text(t.line, u"z");
         }, uR"({\color{red} x}{\color{blue} y}z)"},
        {"colour outside the table", [](Tree& t) { SetElementColour(t.text(t.line, u"x"), 0x563412, false); },
         uR"({\color[RGB]{18, 52, 86} x})"},
        {"a space keeps the group", [](Tree& t) {
             EqElement* x = t.text(t.line, u"x");
             t.add(t.line, 98);
             t.text(t.line, u"y");
             SetElementColour(x, kRed, true);
         }, uR"({\color{red} x\,y})"},
        {"a space opens no group", [](Tree& t) {
             SetElementColour(t.text(t.line, u"x"), kRed, false);
             SetElementColour(t.add(t.line, 98), kBlue, false);
             SetElementColour(t.text(t.line, u"y"), kRed, false);
         }, uR"({\color{red} x}\,{\color{red} y})"},
        {"child of a differently coloured parent", [](Tree& t) {
             EqElement* f = t.with(t.line, 128, {u"a", u"b"});
             SetElementColour(Tree::arg(f, 0)->next, kRed, false);
         }, uR"(\frac{{\color{red} a}}{b})"},
        {"phantom run closes after the run", [](Tree& t) {
             EqElement* a = t.text(t.line, u"a");
             t.text(t.line, u"b");
             SetPhantomKind(a, 3, true);
             t.add(t.line, 1042);
         }, uR"(\phantom{ab}+)"},
        {"horizontal and vertical phantoms", [](Tree& t) {
             SetPhantomKind(t.text(t.line, u"x"), 1, false);
             SetPhantomKind(t.text(t.line, u"y", 1), 2, false);
         }, uR"(\hphantom{x}\vphantom{\mathrm{y}})"},
        {"phantom structure", [](Tree& t) {
             SetPhantomKind(t.with(t.line, 128, {u"a", u"b"}), 3, false);
             t.text(t.line, u"c");
         }, uR"(\phantom{\frac{a}{b}}c)"},
        {"phantom neighbours share a group", [](Tree& t) {
             EqElement* a = t.text(t.line, u"a");
             t.add(t.line, 1042);
             t.with(t.line, 128, {u"b", u"c"});
             SetPhantomKind(a, 3, true);
         }, uR"(\phantom{a+\frac{b}{c}})"},
        {"phantom groups split at colour changes", [](Tree& t) {
             EqElement* x = t.text(t.line, u"x");
             EqElement* y = t.add(t.line, 1042);
             SetPhantomKind(x, 3, true);
             SetElementColour(x, kRed, false);
             SetElementColour(y, kBlue, false);
         }, uR"({\color{red} \phantom{x}}{\color{blue} \phantom{+}})"},
        {"phantom around double scripts", [](Tree& t) {
             EqElement* x = t.text(t.line, u"x");
             t.with(t.line, 173, {u"2"});
             t.with(t.line, 173, {u"3"});
             SetPhantomKind(x, 3, true);
         }, uR"(\phantom{{x^2}^3})"},
    });
}

TEST(LaTeXWriterTest, SymbolsAndDecorations) {
    runCases({
        {"fixed operators", [](Tree& t) {
             for (int type : {1042, 1043, 1049, 1060, 1061, 1104, 1105}) t.add(t.line, type);
         }, u"+-=<>\\text{\u223D}\\text{\u224C}"},
        {"negated operator", [](Tree& t) { t.add(t.line, 1049, 0, 0xEEFF); }, uR"(\not =)"},
        {"arrows follow their drawing", [](Tree& t) {
             for (int type = 506; type <= 514; ++type) t.add(t.line, type);
         }, uR"(\rightarrow \nearrow \uparrow \nwarrow \leftarrow \swarrow \downarrow \searrow \leftrightarrow )"},
        {"arrow table", [](Tree& t) {
             for (int type : {515, 516, 518, 519, 520, 521, 522, 523, 524, 527, 530, 531, 532, 533, 534, 535})
                 t.add(t.line, type);
         }, uR"(\leftrightarrow \updownarrow \Rightarrow \Leftarrow \Downarrow \Uparrow \Leftrightarrow )"
            uR"(\Updownarrow \rightleftarrows \rightleftharpoons \mapsto \leftarrow \Rsh \Lsh \downarrow \uparrow )"},
        {"more arrows", [](Tree& t) {
             for (int type : {536, 537, 538, 539, 540, 541, 542, 543, 544, 550}) t.add(t.line, type);
         }, uR"(\rightsquigarrow \leftsquigarrow \leftrightsquigarrow \looparrowright \looparrowleft )"
            uR"(\leftrightarrow \hookrightarrow \hookleftarrow \leftarrow \rightarrow )"},
        {"double-struck", [](Tree& t) {
             t.add(t.line, 6, 0, 2);
             t.add(t.line, 8, 0, 27);
             t.add(t.line, 6, 0, 441);
             t.add(t.line, 6, 0, 476);
         }, uR"(\mathbb{A} \mathbbbf{Z} \mathbb{0} \mathbb{z} )"},
        {"script, calligraphic, fraktur", [](Tree& t) {
             for (int index : {32, 198, 58, 84, 110}) t.add(t.line, 6, 0, uint16_t(index));
             for (int index : {57, 223, 83, 109, 135}) t.add(t.line, 8, 0, uint16_t(index));
         }, uR"(\mathscr{A} \mathscr{A} \mathcal{A} \mathfrak{A} \mathfrak{a} )"
            uR"(\mathscrbf{Z} \mathscrbf{Z} \mathcalbf{Z} \mathfrakbf{Z} \mathfrakbf{z} )"},
        {"bold calligraphic and sans-serif", [](Tree& t) {
             for (int index : {355, 383, 434}) t.add(t.line, 6, 0, uint16_t(index));
         }, uR"(\mathcalbf{A} \mathsf{A} \mathsf{z} )"},
        {"fixed glyph texts", [](Tree& t) {
             for (int index : {141, 147, 148, 149, 158}) t.add(t.line, 6, 0, uint16_t(index));
         }, uR"(\mathscr{B} \mathscr{F} \symbol{"24EA} \symbol{"2460} \symbol{"2469} )"},
        {"lozenge is no circled number", [](Tree& t) { t.add(t.line, 6, 0, 159); }, uR"(\lozenge )"},
        {"glyph accents", [](Tree& t) { t.add(t.line, 6, 0, 2)->payload = {11}; }, uR"(\bar{\mathbb{A}})"},
        {"wide accents", [](Tree& t) {
             for (int type = 208; type <= 217; ++type) t.with(t.line, type, {u"x"});
         }, uR"(\overgroup{x}\widetilde{x}\overbracket{x}\widehat{x}\overrightarrow{x}\overleftrightarrow{x})"
            uR"(\overleftarrow{x}\overrightharpoon{x}\overbrace{x}\overline{x})"},
        {"under accents", [](Tree& t) {
             for (int type : {224, 226, 228, 229, 230, 231, 232}) t.with(t.line, type, {u"x"});
         }, uR"(\underline{x}\underbracket{x}\underrightarrow{x}\underleftrightarrow{x}\underleftarrow{x})"
            uR"(\underrightharpoon{x}\underbrace{x})"},
        {"enclosures and frames", [](Tree& t) {
             for (int type : {240, 244, 252, 590, 598}) t.with(t.line, type, {u"x"});
         }, uR"(\cancel{x}\underline{x}\cancel{x}\underline{x}\textcircled{x})"},
        {"colour box", [](Tree& t) { SetBoxColour(t.with(t.line, 249, {u"x"}), kRed); }, uR"(\bbox[red]{x})"},
        {"colour box without colour", [](Tree& t) { t.with(t.line, 250, {u"x"}); }, uR"(\bbox[211, 211, 211]{x})"},
        {"phasor", [](Tree& t) { t.with(t.line, 256, {u"x"}); }, uR"(\phase{x})"},
        {"phasor in a subscript", [](Tree& t) {
             t.text(t.line, u"x");
             EqElement* sub = t.add(t.line, 174, 1);
             t.with(Tree::arg(sub, 0), 256, {u"y"});
         }, uR"(x\phase[2]{y})"},
    });
}

TEST(LaTeXWriterTest, OperatorWithoutNameWritesNothing) {
    int unnamed = 0;
    for (int type = 1044; type <= 1289 && !unnamed; ++type) {
        QString name;
        if (type != 1049 && type != 1060 && type != 1061 && type != 1104 && type != 1105 &&
            !shippedNames().TeXNameOfOperator(type, &name))
            unnamed = type;
    }
    if (!unnamed) GTEST_SKIP() << "every operator has a name";
    Tree t;
    t.add(t.line, unnamed, 0, 0xEEFF);  // no "\not " without a name to negate
    t.text(t.line, u"x");
    EXPECT_EQ(t.latex(), u"x");
}

TEST(LaTeXWriterTest, WritingLeavesTheModelAlone) {
    Tree t;
    t.text(t.line, u"x");
    EqElement* sub = t.add(t.line, 174, 1);
    t.with(Tree::arg(sub, 0), 256, {u"y"});
    const QString before = DumpEquation(t.eq);
    const QString first = t.latex();
    EXPECT_EQ(sub->ch, 0);
    EXPECT_EQ(t.latex(), first);
    EXPECT_EQ(DumpEquation(t.eq), before);
}

TEST(LaTeXWriterTest, OneElementWithoutContinuing) {
    Tree t;
    EqElement* x = t.text(t.line, u"x");
    t.text(t.line, u"y");
    SetElementColour(x, kRed, true);
    SetPhantomKind(x, 3, true);
    QString out;
    WriteLaTeX(writeContext(), x, &out, false, false);
    EXPECT_EQ(out, uR"({\color{red} \phantom{xy}})");
}

TEST(LaTeXWriterTest, ColourTexts) {
    EXPECT_EQ(LaTeXColourText(0xFF008000, 0), uR"({\color{green} )");
    EXPECT_EQ(LaTeXColourText(0xFF008000, 1), u"[green]");
    EXPECT_EQ(LaTeXColourText(0xFF010203, 0), uR"({\color[RGB]{1, 2, 3} )");
    EXPECT_EQ(LaTeXColourText(0xFF010203, 1), u"[1, 2, 3]");
    EXPECT_EQ(LaTeXColourText(0x80FF0000, 1), u"[255, 0, 0]");
}

TEST(LaTeXWriterTest, FunctionNamesSkipCommandNames) {
    // "\sigma n" holds the letters s, i, g, m, a, n; only literal letters count.
    const QString text = QStringLiteral("\\sigma sin");
    QList<bool> literal(text.size(), false);
    for (qsizetype i = 7; i < text.size(); ++i) literal[i] = true;
    EXPECT_EQ(LaTeXFunctionNames(text, literal), QStringLiteral("\\mathrm{\\sigma }\\sin "));
    EXPECT_EQ(LaTeXFunctionNames(QStringLiteral("12.5")), QStringLiteral("12.5"));
}

TEST(LaTeXWriterTest, WholeEquation) {
    struct Delimiters {
        int mode;
        bool lineFeeds;
        const char16_t* expected;
    };
    {
        // An empty equation gives the delimiters alone; a copy command asks
        // IsEquationEmpty before it writes.
        Tree t;
        EXPECT_TRUE(IsEquationEmpty(&t.eq));
        EXPECT_EQ(EquationToLaTeX(t.eq, writeContext(0)), u"$$$$");
        TeXWriteContext feeds = writeContext(1);
        feeds.delimiterLineFeeds = true;
        EXPECT_EQ(EquationToLaTeX(t.eq, feeds), u"$\n\n$\n");
    }
    const Delimiters cases[] = {
        {0, false, u"$$a\n\\\\\nb$$"},         {1, false, u"$a\n\\\\\nb$"},
        {2, false, u"\\[a\n\\\\\nb\\]"},       {3, false, u"\\(a\n\\\\\nb\\)"},
        {4, false, u"a\n\\\\\nb"},             {7, false, u"$$a\n\\\\\nb$$"},
        {0, true, u"$$\na\n\\\\\nb\n$$\n"},     {1, true, u"$\na\n\\\\\nb\n$\n"},
        {2, true, u"\\[\na\n\\\\\nb\n\\]\n"},   {3, true, u"\\(\na\n\\\\\nb\n\\)\n"},
        {4, true, u"a\n\\\\\nb"},              {7, true, u"$$\na\n\\\\\nb\n$$\n"},
    };
    for (const Delimiters& c : cases) {
        Tree t;
        t.text(t.line, u"a");
        t.text(t.b.line(), u"b");
        TeXWriteContext context = writeContext(c.mode);
        context.delimiterLineFeeds = c.lineFeeds;
        EXPECT_EQ(EquationToLaTeX(t.eq, context), QString::fromUtf16(c.expected)) << c.mode << " " << c.lineFeeds;
    }
}

}  // namespace
}  // namespace toliva::test
