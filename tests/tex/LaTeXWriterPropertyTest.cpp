// The LaTeX writer over random trees of every element type: the text always
// nests its braces, \left/\right and environments, leaks no alignment marker
// or control character, and writing leaves the tree as it was.
#include "LaTeXTestTrees.h"

#include "model/EqDump.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace toliva::test {
namespace {

std::vector<int> allTypes() {
    std::vector<int> types;
    auto range = [&](int lo, int hi) {
        for (int t = lo; t <= hi; ++t) types.push_back(t);
    };
    // Characters often, so that runs form.
    for (int i = 0; i < 40; ++i) {
        range(1, 5);
        types.push_back(16);
        types.push_back(17);
    }
    range(6, 8);
    types.push_back(64);
    range(96, 105);
    range(128, 137);
    range(173, 182);
    range(189, 191);
    range(208, 219);
    range(224, 235);
    range(240, 252);
    types.push_back(256);
    range(274, 305);
    range(306, 335);
    for (int i = 0; i < 3; ++i) range(336, 372);
    range(506, 550);
    range(553, 574);
    range(590, 598);
    types.push_back(608);
    range(624, 643);
    range(769, 788);
    range(800, 805);
    range(848, 863);
    range(1042, 1289);
    types.push_back(1536);
    for (int t : {0, 65, 500, 2000, -5}) types.push_back(t);
    return types;
}

const std::u16string kChars =
    u"abcdefghilmnorstxyz ABCXYZ0123456789.,;:!?()[]{}<>=+-*/\\|~#$%&_^'@"
    u"\u0393\u0394\u03A9\u03B1\u03B2\u03C0\u00B0\u2030\u2032\u2033\u2034\u2207\u221E\u4E2D\u6587\uFF08\u0001";

class RandomTrees {
public:
    RandomTrees(Tree& t, unsigned seed) : m_t(t), m_rng(seed) {}

    void fill(EqElement* chain, int depth) {
        const int length = pick(depth == 0 ? 8 : 5);
        for (int i = 0; i < length; ++i) addOne(chain, depth);
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(int percent) { return pick(100) < percent; }

    uint16_t randomCh(int type) {
        if (IsCharType(type))
            return chance(95) ? uint16_t(kChars[size_t(pick(int(kChars.size())))]) : uint16_t(pick(0x10000));
        if (IsGlyphSymbolType(type)) return uint16_t(pick(600));
        if (IsBracketType(type)) {
            const int interesting[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 17, 18, 19, 20, 21, 22, 23, 24, 25, 30,
                                       33, 0x31, 0x4A, 0x5F, 0x65, 0x7B, 0x8A, 0x9C, 0xF1};
            const int n = int(std::size(interesting));
            return uint16_t(interesting[pick(n)] << 8 | interesting[pick(n)]);
        }
        if (IsMatrixType(type))
            return uint16_t(pick(6) | (chance(30) ? 0x10 : 0) | (chance(10) ? pick(0x10000) & 0xFF00 : 0));
        if (type == 104) return uint16_t(pick(12) | pick(8) << 8);
        const uint16_t common[] = {0, 0, 0, 1, 2, 0xEEFF};
        return chance(90) ? common[pick(6)] : uint16_t(pick(0x10000));
    }

    int childCount(int type) {
        if (IsCharType(type) || IsSpaceType(type) || IsGlyphSymbolType(type) || IsOperatorType(type) ||
            IsArrowSymbolType(type))
            return chance(5) ? 1 : 0;
        if (IsMatrixType(type)) return pick(7);
        if (IsBracketType(type)) return 1 + (chance(20) ? 1 : 0);
        return pick(5);
    }

    void addOne(EqElement* chain, int depth) {
        static const std::vector<int> types = allTypes();
        const int type = types[size_t(pick(int(types.size())))];
        const int n = depth >= 4 ? 0 : childCount(type);
        EqElement* e = m_t.add(chain, type, n, randomCh(type));
        for (int i = 0; i < n; ++i) fill(Tree::arg(e, i), depth + 1);
        if (IsCharType(type) || IsGlyphSymbolType(type)) {
            for (int a = pick(3); a > 0; --a)
                e->payload.push_back(uint8_t(chance(80) ? 1 + pick(30) : 128 + pick(40)));
        } else if (type == 104) {
            SetSpaceAmount(e, chance(90) ? float(pick(100)) / 8.0f : std::numeric_limits<float>::quiet_NaN());
        } else if (IsColourBoxType(type) && chance(70)) {
            e->payload = {uint8_t(pick(256)), uint8_t(pick(256)), uint8_t(pick(256))};
        } else if (IsMatrixType(type)) {
            if (type == 371) e->payload = {uint8_t(pick(4)), uint8_t(pick(4))};
            if (chance(50)) {
                uint8_t record[32] = {};
                for (uint8_t& b : record) b = chance(25) ? uint8_t(pick(256)) : 0;
                SetMatrixRules(e, record);
            }
        }
        if (chance(12)) {
            if (chance(50))
                SetPhantomKind(e, int8_t(1 + pick(3)), false);
            else
                e->phantom = int8_t(1 + pick(3));
        }
        if (chance(25)) {
            const uint32_t colours[] = {0x0000FF, 0xFF0000, 0x563412, 0x00FF00};
            SetElementColour(e, colours[pick(4)], chance(30));
        }
        if (chance(10)) e->alignMark = 1;
    }

    Tree& m_t;
    std::mt19937 m_rng;
};

// Command names and the text's groups, checked as a TeX reader would see them.
struct Nesting {
    bool ok = true;
    QString why;
};

Nesting checkNesting(const QString& s) {
    Nesting r;
    int braces = 0;
    int delimiters = 0;
    QStringList environments;
    auto fail = [&](const QString& why) {
        if (r.ok) r.why = why;
        r.ok = false;
    };
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
            fail(QStringLiteral("control character"));
        if (c == QLatin1Char('{')) ++braces;
        if (c == QLatin1Char('}') && --braces < 0) fail(QStringLiteral("closing brace without an opening one"));
        if (c != QLatin1Char('\\') || i + 1 >= s.size()) continue;
        qsizetype j = i + 1;
        while (j < s.size() && s[j].isLetter() && s[j].unicode() < 0x80) ++j;
        if (j == i + 1) {
            ++i;  // an escaped character
            continue;
        }
        const QString name = s.mid(i + 1, j - i - 1);
        if (name == QLatin1String("left")) ++delimiters;
        if (name == QLatin1String("right") && --delimiters < 0) fail(QStringLiteral("\\right without \\left"));
        if (name == QLatin1String("middle") && delimiters <= 0) fail(QStringLiteral("\\middle outside \\left/\\right"));
        if (name == QLatin1String("begin") || name == QLatin1String("end")) {
            const qsizetype close = s.indexOf(QLatin1Char('}'), j);
            const QString env = s.mid(j, close - j + 1);
            if (name == QLatin1String("begin"))
                environments.push_back(env);
            else if (environments.isEmpty() || environments.takeLast() != env)
                fail(QStringLiteral("\\end without its \\begin"));
        }
        i = j - 1;
    }
    if (braces != 0) fail(QStringLiteral("unclosed brace"));
    if (delimiters != 0) fail(QStringLiteral("\\left without \\right"));
    if (!environments.isEmpty()) fail(QStringLiteral("unclosed environment"));
    return r;
}

TEST(LaTeXWriterPropertyTest, NestingCheckerCatchesFaults) {
    EXPECT_TRUE(checkNesting(QStringLiteral("\\left( \\{x\\} \\middle| y\\right) \\\\{a}")).ok);
    EXPECT_FALSE(checkNesting(QStringLiteral("\\left( x")).ok);
    EXPECT_FALSE(checkNesting(QStringLiteral("x \\right)")).ok);
    EXPECT_FALSE(checkNesting(QStringLiteral("{x")).ok);
    EXPECT_FALSE(checkNesting(QStringLiteral("}{")).ok);
    EXPECT_FALSE(checkNesting(QStringLiteral("\\middle| x")).ok);
    EXPECT_FALSE(checkNesting(QStringLiteral("\\begin{array}x\\end{matrix}")).ok);
    EXPECT_TRUE(checkNesting(QStringLiteral("\\leftarrow \\rightarrow ")).ok);
    EXPECT_FALSE(checkNesting(QStringLiteral("\\leftarrow \\right. ")).ok);
}

TEST(LaTeXWriterPropertyTest, RandomTreesNest) {
    int failures = 0;
    for (unsigned seed = 1; seed <= 3000 && failures < 5; ++seed) {
        Tree t;
        RandomTrees(t, seed).fill(t.line, 0);
        const QString before = DumpEquation(t.eq);
        const QString text = t.latex();
        const Nesting n = checkNesting(text);
        bool ok = n.ok;
        EXPECT_TRUE(n.ok) << "seed " << seed << ": " << n.why.toStdString() << "\n" << text.toStdString();
        ok = ok && !text.contains(kLaTeXAlignMarker) && !text.contains(kLaTeXRelationMarker);
        EXPECT_FALSE(text.contains(kLaTeXAlignMarker) || text.contains(kLaTeXRelationMarker)) << "seed " << seed;
        EXPECT_EQ(DumpEquation(t.eq), before) << "seed " << seed;
        EXPECT_EQ(t.latex(), text) << "seed " << seed;
        if (!ok) ++failures;
    }
}

}  // namespace
}  // namespace toliva::test
