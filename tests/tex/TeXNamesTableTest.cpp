// The shipped TeX name table (Dat/KwTLData.dat, generated from
// data/sources/texnames.tsv): its layout, every name reading back to its own
// key, the keys the writers and the reader rely on, and the characters of the
// symbol names against pandoc's reading of the same LaTeX.
#include "MathMLTables.h"
#include "tex/TeXCode.h"

#include "model/EqTypes.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <map>
#include <set>

namespace toliva::test {
namespace {

// ---- The characters that keys stand for -------------------------------
// The MathML writer's tables say which character each operator, arrow and
// glyph-library symbol draws.

char32_t operatorChar(int type) { return mathml::OperatorChar(type); }

char32_t glyphChar(int index) {
    switch (index) {
    case 31: return 0x1D55C;  // double-struck small k
    case 381: return 0x2329;  // angle brackets of bra-ket notation
    case 382: return 0x232A;
    default: break;
    }
    const mathml::GlyphMeaning m = mathml::GlyphMeaningOf(index, 6);
    return m.kind == mathml::GlyphMeaning::Symbol ? char32_t(m.ch) : 0;
}

// The one character an entry stands for, or 0.
char32_t symbolChar(const TeXNameEntry& e) {
    switch (e.kind) {
    case 3:
        if (IsOperatorType(e.value1)) return operatorChar(e.value1);
        if (e.value1 >= 506 && e.value1 <= 542) return mathml::ArrowSymbolChar(e.value1);
        return 0;
    case 4: return char32_t(e.value2);
    case 6: return char32_t(e.value1);
    case 13: return glyphChar(e.value1);
    default: return 0;
    }
}

// ---- The table --------------------------------------------------------

class ShippedTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RecordingMessageSink sink;
        ScopedMessageSink guard(&sink);
        table = new CTeXCode(programFolder() + QStringLiteral("Dat/KwTLData.dat"));
        table->LoadTeXNameTable();
        messages = int(sink.shown.size() + table->TakeNotes().items.size());
    }
    static void TearDownTestSuite() {
        delete table;
        table = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(table->loaded()) << "Dat/KwTLData.dat is missing beside the test program";
        ASSERT_EQ(messages, 0);
    }

    struct Key {
        int kind = 0, value1 = 0, value2 = 0;
        bool operator==(const Key&) const = default;
    };
    static bool lookup(const QString& name, Key* key) {
        return table->LookupTeXName(name, &key->kind, &key->value1, &key->value2);
    }
    static Key keyOf(const TeXNameEntry& e) { return {e.kind, e.value1, e.value2}; }
    static QString describe(const TeXNameEntry& e) {
        return QStringLiteral("\\%1 (%2, %3, %4)").arg(e.nameText()).arg(e.kind).arg(e.value1).arg(e.value2);
    }
    // Whether the entry is the one a reverse lookup or a hint gives for its key.
    static bool namesItsKey(const TeXNameEntry& e) {
        for (const TeXNameEntry& f : table->entries()) {
            if (keyOf(f) == keyOf(e)) return &f == &e || firstOfKey(e) == &e;
        }
        return false;
    }
    // The first entry that the reverse lookups give for the entry's key.
    static const TeXNameEntry* firstOfKey(const TeXNameEntry& e) {
        for (const TeXNameEntry& f : table->entries()) {
            const bool sameKey =
                (e.kind == 3 && f.kind == 3 && f.value1 == e.value1) ||
                (e.kind == 13 && f.kind == 13 && f.value1 == e.value1) ||
                ((e.kind == 4 || e.kind == 6) && (f.kind == 4 || f.kind == 6) && symbolChar(f) == symbolChar(e));
            if (sameKey) return &f;
        }
        return nullptr;
    }

    static CTeXCode* table;
    static int messages;
};
CTeXCode* ShippedTable::table = nullptr;
int ShippedTable::messages = 0;

TEST_F(ShippedTable, IsTheDefaultTable) {
    CTeXCode run;
    run.LoadTeXNameTable();
    ASSERT_TRUE(run.loaded());
    EXPECT_EQ(run.count(), table->count());
    EXPECT_GT(table->count(), 600);
}

TEST_F(ShippedTable, BucketsHoldTheirNamesInOrder) {
    int next = 0;
    for (int b = 0; b < CTeXCode::kBuckets; ++b) {
        if (table->bucketSize(b) > 0) {
            EXPECT_EQ(table->bucketStart(b), next) << b;
        }
        for (int i = table->bucketStart(b); i < table->bucketStart(b) + table->bucketSize(b); ++i)
            EXPECT_EQ(CTeXCode::BucketOf(table->entries()[size_t(i)].name[0]), b) << describe(table->entries()[size_t(i)]).toStdString();
        next += table->bucketSize(b);
    }
    EXPECT_EQ(next, table->count());
}

TEST_F(ShippedTable, NamesAreShortAndWithoutBackslash) {
    for (const TeXNameEntry& e : table->entries()) {
        const int n = e.nameLength();
        EXPECT_GT(n, 0);
        EXPECT_LE(n, 32);
        for (int k = n; k < 32; ++k) EXPECT_EQ(e.name[k], 0) << describe(e).toStdString();
        const QString name = e.nameText();
        if (name == QStringLiteral("\\")) {
            EXPECT_EQ(keyOf(e), (Key{153, 257, 0}));  // the line break "\\"
        } else {
            EXPECT_FALSE(name.contains(QLatin1Char('\\'))) << describe(e).toStdString();
        }
    }
}

// Each name reads back to its own key. A name may repeat an earlier one only
// to name a second key of the same symbol; that entry must then be the one
// the reverse lookup or the hint gives for its key, or it would serve nothing.
TEST_F(ShippedTable, EveryNameReadsBackToItsKey) {
    QStringList wrong;
    for (const TeXNameEntry& e : table->entries()) {
        Key found;
        if (!lookup(e.nameText(), &found)) {
            wrong << describe(e) + QStringLiteral(": not found");
            continue;
        }
        if (found == keyOf(e)) continue;
        const TeXNameEntry* shadow = nullptr;
        for (const TeXNameEntry& f : table->entries())
            if (f.nameText() == e.nameText()) { shadow = &f; break; }
        const bool sameSymbol = shadow && symbolChar(*shadow) != 0 && symbolChar(*shadow) == symbolChar(e);
        if (!sameSymbol) wrong << describe(e) + QStringLiteral(": shadowed by another symbol");
        else if (!namesItsKey(e)) wrong << describe(e) + QStringLiteral(": shadowed and never named");
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

bool isKnownElementType(int t) {
    return IsSpaceType(t) || IsFractionType(t) || IsRadicalType(t) || IsOverUnderType(t) || IsPreScriptType(t) ||
           IsOverAccentType(t) || IsUnderAccentType(t) || IsEnclosureType(t) || t == EqTypePhasor ||
           IsIntegralType(t) || IsBigOperatorType(t) || IsArrowSymbolType(t) || IsFrameMarkType(t) ||
           IsOperatorType(t) || t == EqTypeSmall;
}

TEST_F(ShippedTable, KeysAreWellFormed) {
    static const std::set<int> kReaderWords = {257,  258,  259,  260,  261,  512,  768,  1024, 1280, 1281, 1296, 1312,
                                               1317, 1328, 1344, 1349, 1360, 1376, 1392, 1408, 1424, 1425, 1426};
    QStringList wrong;
    for (const TeXNameEntry& e : table->entries()) {
        bool ok = true;
        switch (e.kind) {
        case 2: ok = e.value1 > 0 && e.value1 < 256 && e.value2 == 0; break;
        case 3: ok = isKnownElementType(e.value1) && e.value2 == 0; break;
        case 4: ok = (e.value1 == 0 || e.value1 == 1) && e.value2 > 0x20 && e.value2 <= 0xFFFF; break;
        case 6: ok = e.value1 >= 0x20 && e.value1 <= 0xFFFF && e.value2 == 0; break;
        case 13: ok = e.value1 >= 1 && e.value1 <= 476 && e.value2 == 0; break;
        case 149: ok = std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 32, 48, 65, 66, 67, 68, 80}.count(e.value1) > 0; break;
        case 150: ok = e.value1 >= 1 && e.value1 <= 4; break;
        case 151: ok = (e.value1 >= 1 && e.value1 <= 24) || e.value1 == 224; break;
        case 152: ok = e.value1 >= 1 && e.value1 <= 9; break;
        case 153: ok = (e.value1 >= 0 && e.value1 <= 5) || kReaderWords.count(e.value1) > 0; break;
        case 154: ok = true; break;
        default: ok = false; break;
        }
        if (!ok) wrong << describe(e);
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

// Names the writers put into LaTeX by their text, and what the reader must
// make of them.
TEST_F(ShippedTable, TheWritersCommandsHaveTheirKeys) {
    struct Case {
        const char* name;
        int kind, value1, value2;
    };
    const Case cases[] = {
        // structures
        {"frac", 3, 128, 0}, {"tfrac", 3, 132, 0}, {"longdiv", 3, 131, 0}, {"sqrt", 3, 136, 0},
        {"overset", 3, 177, 0}, {"underset", 3, 179, 0}, {"presuperscript", 3, 189, 0}, {"presubscript", 3, 190, 0},
        {"prescript", 3, 191, 0}, {"small", 3, 1536, 0}, {"mid", 3, 1123, 0}, {"dotsi", 3, 1106, 0},
        {"sideset", 149, 80, 0}, {"mathop", 151, 224, 0}, {"lim", 149, 5, 0}, {"max", 149, 6, 0}, {"min", 149, 7, 0},
        // decorations
        {"overgroup", 3, 208, 0}, {"widetilde", 3, 209, 0}, {"overbracket", 3, 210, 0}, {"widehat", 3, 211, 0},
        {"overrightarrow", 3, 212, 0}, {"overleftrightarrow", 3, 213, 0}, {"overleftarrow", 3, 214, 0},
        {"overrightharpoon", 3, 215, 0}, {"overbrace", 3, 216, 0}, {"overline", 3, 217, 0},
        {"underbracket", 3, 226, 0}, {"underrightarrow", 3, 228, 0}, {"underleftrightarrow", 3, 229, 0},
        {"underleftarrow", 3, 230, 0}, {"underrightharpoon", 3, 231, 0}, {"underbrace", 3, 232, 0},
        {"underline", 3, 233, 0}, {"cancel", 3, 242, 0}, {"bbox", 3, 249, 0}, {"phase", 3, 256, 0},
        {"textcircled", 3, 598, 0},
        // big operators and integrals
        {"sum", 3, 306, 0}, {"prod", 3, 309, 0}, {"coprod", 3, 312, 0}, {"bigcap", 3, 315, 0}, {"bigcup", 3, 318, 0},
        {"bigvee", 3, 321, 0}, {"bigwedge", 3, 324, 0}, {"bigotimes", 3, 327, 0}, {"bigodot", 3, 330, 0},
        {"bigoplus", 3, 333, 0}, {"bigsqcup", 3, 800, 0}, {"biguplus", 3, 803, 0}, {"int", 3, 288, 0},
        {"oint", 3, 291, 0}, {"iint", 3, 293, 0}, {"oiint", 3, 295, 0}, {"iiint", 3, 297, 0}, {"oiiint", 3, 299, 0},
        {"iiiint", 3, 286, 0}, {"ointclockwise", 3, 302, 0}, {"ointctrclockwise", 3, 304, 0}, {"lowint", 3, 274, 0},
        {"upint", 3, 275, 0},
        // extensible arrows
        {"xrightarrow", 152, 1, 0}, {"xleftarrow", 152, 2, 0}, {"xleftrightarrow", 152, 3, 0},
        {"xlongequal", 152, 4, 0}, {"xRightarrow", 152, 5, 0}, {"xleftrightharpoons", 152, 6, 0},
        {"xLeftarrow", 152, 7, 0}, {"xLeftrightarrow", 152, 8, 0}, {"xsim", 152, 9, 0},
        // spaces
        {"!", 3, 96, 0}, {",", 3, 98, 0}, {":", 3, 99, 0}, {";", 3, 100, 0}, {"quad", 3, 102, 0},
        {"qquad", 3, 103, 0}, {"enspace", 3, 105, 0}, {" ", 3, 101, 0}, {"mspace", 149, 68, 0},
        {"hspace", 149, 68, 1}, {"kern", 149, 68, 2}, {"hskip", 149, 68, 3}, {"mkern", 149, 68, 4},
        {"mskip", 149, 68, 5},
        // phantoms, styles and the symbol by code
        {"hphantom", 149, 65, 0}, {"vphantom", 149, 66, 0}, {"phantom", 149, 67, 0}, {"text", 151, 10, 0},
        {"mathrm", 151, 2, 0}, {"mathbf", 151, 3, 0}, {"boldsymbol", 151, 4, 0}, {"mathcal", 151, 5, 0},
        {"mathbb", 151, 6, 0}, {"mathfrak", 151, 7, 0}, {"mathscr", 151, 8, 0}, {"mathcalbf", 151, 14, 0},
        {"mathsf", 151, 16, 0}, {"mathtt", 151, 17, 0}, {"mathbbbf", 151, 22, 0}, {"mathfrakbf", 151, 23, 0},
        {"mathscrbf", 151, 24, 0}, {"symbol", 154, 0, 0},
        // accents
        {"dot", 2, 1, 0}, {"ddot", 2, 2, 0}, {"dddot", 2, 3, 0}, {"ddddot", 2, 4, 0}, {"vec", 2, 5, 0},
        {"bar", 2, 11, 0}, {"tilde", 2, 12, 0}, {"hat", 2, 13, 0}, {"check", 2, 14, 0}, {"breve", 2, 16, 0},
        {"mathring", 2, 20, 0}, {"grave", 2, 21, 0}, {"acute", 2, 22, 0}, {"overbridge", 2, 25, 0},
        {"overstar", 2, 26, 0}, {"ul", 2, 139, 0},
        // reader words
        {"limits", 153, 1, 0}, {"not", 153, 2, 0}, {"nolimits", 153, 3, 0}, {"color", 153, 4, 0},
        {"middle", 153, 5, 0}, {"left", 153, 1024, 0}, {"right", 153, 1280, 0}, {"lfloor", 153, 1281, 7},
        {"lceil", 153, 1281, 8}, {"Lbrack", 153, 1281, 9}, {"rceil", 153, 1296, 23}, {"rfloor", 153, 1296, 24},
        {"Rbrack", 153, 1296, 25}, {"Biggl", 153, 1312, 0}, {"Biggr", 153, 1328, 0}, {"biggl", 153, 1344, 0},
        {"biggr", 153, 1360, 0}, {"Bigl", 153, 1376, 0}, {"Bigr", 153, 1392, 0}, {"bigl", 153, 1408, 0},
        {"bigr", 153, 1424, 0}, {"Bigg", 153, 1317, 0}, {"begin", 153, 512, 0}, {"end", 153, 768, 0},
        {"\\", 153, 257, 0}, {"hline", 153, 258, 0}, {"hdashline", 153, 260, 0},
        // characters
        {"degree", 6, 0xB0, 0}, {"prime", 6, 0x2032, 0}, {"backslash", 6, 0x5C, 0}, {"-", 6, 0x2D, 0},
        {"{", 6, 0x7B, 0}, {"}", 6, 0x7D, 0}, {"#", 6, 0x23, 0}, {"$", 6, 0x24, 0}, {"%", 6, 0x25, 0},
        {"&", 6, 0x26, 0}, {"_", 6, 0x5F, 0},
        {"Gamma", 4, 1, 0x393}, {"Delta", 4, 1, 0x394}, {"Theta", 4, 1, 0x398}, {"Lambda", 4, 1, 0x39B},
        {"Xi", 4, 1, 0x39E}, {"Pi", 4, 1, 0x3A0}, {"Sigma", 4, 1, 0x3A3}, {"Phi", 4, 1, 0x3A6},
        {"Psi", 4, 1, 0x3A8}, {"Omega", 4, 1, 0x3A9}, {"Upsilon", 4, 1, 0x3D2}, {"varGamma", 4, 0, 0x393},
        {"varDelta", 4, 0, 0x394}, {"varTheta", 4, 0, 0x398}, {"varLambda", 4, 0, 0x39B}, {"varXi", 4, 0, 0x39E},
        {"varPi", 4, 0, 0x3A0}, {"varSigma", 4, 0, 0x3A3}, {"varPhi", 4, 0, 0x3A6}, {"varPsi", 4, 0, 0x3A8},
        {"varOmega", 4, 0, 0x3A9}, {"varUpsilon", 4, 0, 0x3D2},
        // arrows, by the direction they are drawn in
        {"rightarrow", 13, 235, 0}, {"nearrow", 13, 240, 0}, {"uparrow", 13, 234, 0}, {"nwarrow", 13, 239, 0},
        {"leftarrow", 13, 233, 0}, {"swarrow", 13, 242, 0}, {"downarrow", 13, 236, 0}, {"searrow", 13, 241, 0},
        {"leftrightarrow", 13, 237, 0}, {"updownarrow", 13, 238, 0}, {"Rightarrow", 13, 253, 0},
        {"Leftarrow", 13, 251, 0}, {"Downarrow", 13, 254, 0}, {"Uparrow", 13, 252, 0},
        {"Leftrightarrow", 13, 255, 0}, {"Updownarrow", 13, 256, 0}, {"rightleftarrows", 13, 286, 0},
        {"rightleftharpoons", 13, 250, 0}, {"mapsto", 13, 243, 0}, {"Rsh", 13, 277, 0}, {"Lsh", 13, 276, 0},
        {"rightsquigarrow", 13, 299, 0}, {"leftsquigarrow", 3, 537, 0}, {"leftrightsquigarrow", 13, 274, 0},
        {"looparrowright", 13, 272, 0}, {"looparrowleft", 13, 273, 0}, {"hookrightarrow", 13, 245, 0},
        {"hookleftarrow", 13, 244, 0}, {"longrightarrow", 13, 258, 0}, {"Longleftrightarrow", 13, 262, 0},
        {"langle", 13, 381, 0}, {"rangle", 13, 382, 0},
    };
    for (const Case& c : cases) {
        Key key;
        EXPECT_TRUE(lookup(QString::fromUtf8(c.name), &key)) << c.name;
        EXPECT_EQ(key, (Key{c.kind, c.value1, c.value2})) << c.name;
    }
}

// Function names stay out of the table: the reader turns an unknown command
// into its letters, upright, which is what the writer's \sin stands for.
TEST_F(ShippedTable, FunctionNamesAreNotInTheTable) {
    for (const char* name : {"ln", "sinh", "cosh", "tanh", "coth", "sech", "csch", "sin", "cos", "sec", "csc", "tan",
                             "cot", "exp", "lg", "log", "abs", "det", "asin", "acos", "atan", "acot", "asec", "acsc",
                             "arcsin", "arccos", "arctan", "arccot", "arcsec", "arccsc", "diag", "sgn"}) {
        Key key;
        EXPECT_FALSE(lookup(QString::fromUtf8(name), &key)) << name;
    }
}

// Every operator the writer takes from the table has a name, and that name
// reads back to an operator drawn with the same character.
TEST_F(ShippedTable, EveryOperatorHasAName) {
    static const std::set<int> kWrittenAsText = {1042, 1043, 1049, 1060, 1061, 1104, 1105};
    static const std::set<int> kNoLaTeXName = {1095, 1265};  // combining overlays with no command of their own
    QStringList wrong;
    for (int type = 1042; type <= 1289; ++type) {
        const char32_t c = operatorChar(type);
        QString text;
        const bool named = table->TeXNameOfOperator(type, &text);
        if (c == 0 || kWrittenAsText.count(type) || kNoLaTeXName.count(type)) {
            if (c == 0 || kNoLaTeXName.count(type)) {
                EXPECT_FALSE(named) << type;
            }
            continue;
        }
        Key key;
        if (!named) {
            wrong << QStringLiteral("%1: no name").arg(type);
        } else if (!lookup(text.mid(1).chopped(1), &key) || key.kind != 3 || !IsOperatorType(key.value1) ||
                   operatorChar(key.value1) != c) {
            wrong << QStringLiteral("%1: %2 reads as (%3, %4)").arg(type).arg(text).arg(key.kind).arg(key.value1);
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ShippedTable, WordsThatChangeNothingAreSkipped) {
    for (const char* name : {"displaystyle", "textstyle", "scriptstyle", "scriptscriptstyle", "nonumber", "notag"}) {
        Key key;
        EXPECT_TRUE(lookup(QString::fromUtf8(name), &key)) << name;
        EXPECT_EQ(key, (Key{153, 0, 0})) << name;
    }
    // Synonyms of the fraction.
    Key key;
    EXPECT_TRUE(lookup(QStringLiteral("dfrac"), &key));
    EXPECT_EQ(key, (Key{149, 48, 0}));
}

// ---- Against pandoc ---------------------------------------------------

// Names pandoc (the version of Debian 12) does not know, standard or not.
const std::set<QString> kUnknownToPandoc = {
    // extensions: other packages and web math
    "Alpha", "Beta", "Chi", "Epsilon", "Eta", "Iota", "Kappa", "Mu", "Nu", "Omicron", "Rho", "Tau", "Zeta",
    "omicron", "lambdabar", "degree", "permil", "copyright", "minuso",
    "-",        // the writer's form of the hyphen
    "middle/",  // pandoc takes \middle only between \left and \right
    // standard LaTeX, amsmath and amssymb names that pandoc lacks
    "P", "S", "smallint", "surd", "circledS", "doublecup", "doublecap", "llless", "gggtr", "lvertneqq",
    "gvertneqq", "nleqq", "ngeqq", "nsubseteqq", "nsupseteqq", "nshortmid", "nshortparallel", "thicksim",
    "diagup", "diagdown",
    "thickapprox", "varsupsetneq", "varsubsetneqq", "varsupsetneqq", "mathellipsis", "varGamma", "varDelta",
    "varTheta", "varLambda", "varXi", "varPi", "varSigma", "varUpsilon", "varPhi", "varPsi", "varOmega",
};

// Names whose character differs from pandoc's on purpose: the editor draws the
// symbol the LaTeX command stands for, and pandoc picks a neighbour.
const std::map<QString, const char*> kDifferentInPandoc = {
    {"leqslant", "pandoc gives the plain less-or-equal sign"},
    {"geqslant", "pandoc gives the plain greater-or-equal sign"},
    {"preceq", "pandoc gives the curly form"},
    {"succeq", "pandoc gives the curly form"},
    {"square", "pandoc gives the small square"},
    {"Join", "pandoc gives the bowtie"},
    {"models", "pandoc gives the true sign U+22A8"},
    {"shortmid", "drawn as the short vertical line"},
    {"shortparallel", "drawn as the double vertical line"},
    {"bullet", "pandoc gives the text bullet U+2022"},
    {"ast", "pandoc gives the asterisk"},
    {"barwedge", "pandoc gives U+2305"},
    {"setminus", "pandoc gives the backslash"},
    {"backslash", "pandoc gives the set minus"},
    {"triangleleft", "pandoc gives the normal subgroup sign"},
    {"triangleright", "pandoc gives the normal subgroup sign"},
    {"amalg", "pandoc gives the coproduct sign"},
    {"blacklozenge", "drawn as the black diamond suit"},
    {"blacktriangle", "pandoc gives the small triangles"},
    {"blacktriangledown", "pandoc gives the small triangles"},
    {"blacktriangleleft", "pandoc gives the small triangles"},
    {"blacktriangleright", "pandoc gives the small triangles"},
    {"blacksquare", "pandoc gives the medium square"},
    {"longleftarrow", "pandoc gives the short arrows"},
    {"longrightarrow", "pandoc gives the short arrows"},
    {"longleftrightarrow", "pandoc gives the short arrows"},
    {"Longleftarrow", "pandoc gives the short arrows"},
    {"Longrightarrow", "pandoc gives the short arrows"},
    {"Longleftrightarrow", "pandoc gives the short arrows"},
    {"iff", "pandoc gives the short arrows"},
    {"longmapsto", "pandoc gives the short arrows"},
};

// One form for characters that stand for the same symbol.
char32_t sameSymbol(char32_t c) {
    switch (c) {
    case 0x007E: return 0x223C;  // the tilde operator is drawn as the tilde sign
    case 0x2329: return 0x27E8;  // angle brackets
    case 0x232A: return 0x27E9;
    case 0x0127: return 0x210F;  // h-bar
    case 0x01B1: return 0x2127;  // mho
    case 0x03D2: return 0x03A5;  // upsilon
    default: break;
    }
    if (c >= 0x1D6E2 && c <= 0x1D6FA) return 0x0391 + (c - 0x1D6E2);  // mathematical italic Greek
    if (c >= 0x1D6FC && c <= 0x1D714) return 0x03B1 + (c - 0x1D6FC);
    switch (c) {
    case 0x1D716: return 0x03F5;
    case 0x1D717: return 0x03D1;
    case 0x1D718: return 0x03F0;
    case 0x1D719: return 0x03D5;
    case 0x1D71A: return 0x03F1;
    case 0x1D71B: return 0x03D6;
    default: return c;
    }
}

QString hex(uint c) { return QStringLiteral("U+") + QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')); }

QString unescapeXml(QString s) {
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9A-Fa-f]+);"));
    QRegularExpressionMatch m;
    while ((m = numeric.match(s)).hasMatch()) {
        const uint code = m.captured(2).toUInt(nullptr, m.captured(1).isEmpty() ? 10 : 16);
        s.replace(m.capturedStart(), m.capturedLength(), QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1));
    }
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

TEST_F(ShippedTable, SymbolNamesAgreeWithPandoc) {
    const QString pandoc = QStandardPaths::findExecutable(QStringLiteral("pandoc"));
    if (pandoc.isEmpty()) TOLIVA_SKIP_UNLESS_CI() << "pandoc is not on PATH";

    std::vector<const TeXNameEntry*> checked;
    QString input;
    for (const TeXNameEntry& e : table->entries()) {
        if (e.kind != 3 && e.kind != 4 && e.kind != 6 && e.kind != 13) continue;
        if (symbolChar(e) == 0 || kDifferentInPandoc.count(e.nameText())) continue;
        checked.push_back(&e);
        input += QStringLiteral("$\\") + e.nameText() + QStringLiteral("$\n\n");
    }
    ASSERT_GT(checked.size(), 400u);

    QProcess p;
    p.start(pandoc, {QStringLiteral("-f"), QStringLiteral("latex"), QStringLiteral("-t"), QStringLiteral("html"),
                     QStringLiteral("--mathml")});
    ASSERT_TRUE(p.waitForStarted());
    p.write(input.toUtf8());
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());

    static const QRegularExpression paragraph(QStringLiteral("<p>(.*?)</p>"),
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression math(QStringLiteral("<semantics>(.*?)<annotation"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QStringList paragraphs;
    for (auto it = paragraph.globalMatch(html); it.hasNext();) paragraphs << it.next().captured(1);
    ASSERT_EQ(size_t(paragraphs.size()), checked.size()) << "pandoc's output does not have one paragraph per name";

    QStringList wrong;
    for (size_t i = 0; i < checked.size(); ++i) {
        const TeXNameEntry& e = *checked[i];
        const QRegularExpressionMatch m = math.match(paragraphs[qsizetype(i)]);
        if (!m.hasMatch()) {
            if (!kUnknownToPandoc.count(e.nameText())) wrong << describe(e) + QStringLiteral(": unknown to pandoc");
            continue;
        }
        const QList<uint> got = unescapeXml(m.captured(1).remove(tag)).trimmed().toUcs4();
        if (got.size() != 1 || sameSymbol(got[0]) != sameSymbol(symbolChar(e))) {
            QString codes;
            for (uint c : got) codes += QLatin1Char(' ') + hex(c);
            wrong << describe(e) + QStringLiteral(": ") + hex(symbolChar(e)) + QStringLiteral(", pandoc gives") + codes;
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace toliva::test
