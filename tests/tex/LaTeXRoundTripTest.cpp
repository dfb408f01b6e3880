// The LaTeX reader reads back what the writer writes: over generated trees of
// every element type, tree -> LaTeX -> tree -> LaTeX gives the same text.
#include "LaTeXTestTrees.h"

#include "model/EqDump.h"
#include "platform/MessageSink.h"
#include "tex/LaTeX.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace toliva::test {
namespace {

bool hasNegatedForm(int type) {
    static const int kNegated[] = {1051, 1052, 1053, 1060, 1061, 1062, 1063, 1066, 1067, 1068, 1069, 1074,
                                   1079, 1080, 1082, 1085, 1114, 1115, 1116, 1117, 1123, 1124, 1125, 1132,
                                   1133, 1168, 1169, 1172, 1173, 1174, 1175, 1176, 1179, 1180};
    for (int t : kNegated)
        if (t == type) return true;
    return false;
}

// Trees as the editor and the readers make them: every type with the child
// chains it takes and values it can hold. Left out are forms the writer
// itself does not keep apart (see KnownWriterLosses below): alignment marks
// outside aligned blocks, sans-serif glyph letters, the groups without a LaTeX form (133,
// 134, 135, 608) and 181.
class CanonicalTrees {
public:
    CanonicalTrees(Tree& t, unsigned seed) : m_t(t), m_rng(seed) {}

    void fill(EqElement* chain, int depth) {
        const int length = 1 + pick(depth == 0 ? 7 : 4);
        for (int i = 0; i < length; ++i) addOne(chain, depth);
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(int percent) { return pick(100) < percent; }
    template <typename T, size_t N>
    T any(const T (&values)[N]) {
        return values[pick(int(N))];
    }

    static std::vector<int> types() {
        std::vector<int> v;
        auto range = [&](int lo, int hi) {
            for (int t = lo; t <= hi; ++t) v.push_back(t);
        };
        for (int i = 0; i < 30; ++i) {
            range(1, 5);
            v.push_back(16);
            v.push_back(17);
        }
        for (int i = 0; i < 3; ++i) range(6, 8);
        v.push_back(64);
        v.push_back(65);
        range(96, 105);
        range(128, 132);
        range(136, 137);
        range(173, 180);
        range(189, 191);
        range(208, 219);
        range(224, 235);
        range(240, 252);
        v.push_back(256);
        range(274, 305);
        range(306, 335);
        range(336, 372);
        range(336, 372);
        // A left brace alone holds case lists (below).
        std::erase(v, 355);
        range(506, 550);
        std::erase_if(v, [](int t) { return t == 510 || t == 531 || t == 544; });
        range(553, 574);
        range(590, 598);
        range(624, 643);
        range(769, 788);
        range(800, 805);
        range(848, 863);
        for (int i = 0; i < 2; ++i) range(1042, 1289);
        v.push_back(1536);
        v.push_back(500);
        v.push_back(-1);  // a \sideset before a big operator
        return v;
    }

    uint16_t character() {
        static const char16_t kChars[] =
            u"abcdefghilmnorstxyzABCXYZ0123456789.,;:!?(){}[]*/|~#$%&_@\"`\\"
            u"\u0393\u0394\u03A9\u03D2\u03B1\u03B2\u03C0\u00B0\u2030\u2032\u2033\u2034\u2207\u221E\u2202"
            u"\u00B6\u00A7\u4E2D\u6587\uFF08\u2200\u00E9\u0127";
        return uint16_t(kChars[size_t(pick(int(std::size(kChars)) - 1))]);
    }

    int bracketCode(bool left) {
        static const int kLeft[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x21, 0x43, 0x65, 0x87, 0x99, 0xAA};
        static const int kRight[] = {0, 17, 18, 19, 20, 21, 22, 23, 24, 25, 0x32, 0x54, 0x76, 0x98, 0xA9, 0x9A};
        return left ? any(kLeft) : any(kRight);
    }

    EqElement* add(EqElement* chain, int type, int children, int ch = 0) {
        return m_t.add(chain, type, children, uint16_t(ch));
    }

    void fillChildren(EqElement* e, int depth) {
        for (EqElement* c : e->children) fill(c, depth + 1);
    }

    void addMatrix(EqElement* chain, int type, int depth) {
        int k = pick(3);
        if (type == 370) k = pick(4);
        const int ch = k | (k != 3 && chance(20) ? 0x10 : 0);
        const int rows = type == 369 ? 1 : 2 + pick(3);
        const int columns = type == 370 || type == 372 ? 1 : 2 + pick(3);
        EqElement* m = add(chain, type, rows * columns, ch);
        if (type == 371) m->payload = {uint8_t(rows), uint8_t(columns)};
        const bool aligned = (type == 370 || type == 372) && k == 3 && !(ch & 0x10);
        for (EqElement* cell : m->children) {
            if (aligned) {
                m_t.text(cell, u"a");
                add(cell, 1049, 0);
                m_t.text(cell, u"b");
            } else if (!chance(15)) {
                fill(cell, depth + 1);
            }
        }
        if (chance(40) && !aligned) {
            uint8_t record[32] = {};
            for (int bit = 0; bit + 1 < columns; ++bit)
                if (chance(40)) record[(chance(50) ? 0 : 16) + bit / 8] |= uint8_t(1 << bit % 8);
            for (int bit = 0; bit < rows; ++bit)
                if (chance(30)) record[(chance(50) ? 4 : 20) + bit / 8] |= uint8_t(1 << bit % 8);
            SetMatrixRules(m, record);
        }
    }

    // Integrals and big operators: the operand and up to two limits.
    void addLimits(EqElement* chain, int type, int depth) {
        // Operators placed with \limits or \nolimits carry limits.
        int children = pick(4);
        if ((type >= 848 && type <= 859)) children = 3;
        if ((type >= 769 && type <= 788) || type == 274 || type == 275) children = 2 + pick(2);
        fillChildren(add(chain, type, children), depth);
    }

    void addSideset(EqElement* chain, int depth) {
        static const int kBases[] = {306, 309, 312, 315, 318, 321, 324, 327, 330, 333, 800, 803};
        fillChildren(add(chain, 182, 2), depth);
        EqElement* op = add(chain, any(kBases) + 2, 3);
        fill(Tree::arg(op, 0), depth + 1);
        fill(Tree::arg(op, 1), depth + 1);
        fillChildren(add(Tree::arg(op, 2), 182, 2), depth + 1);
        fill(Tree::arg(op, 2), depth + 1);
    }

    void addOne(EqElement* chain, int depth) {
        static const std::vector<int> kTypes = types();
        int type = kTypes[size_t(pick(int(kTypes.size())))];
        const int deep = depth >= 3;
        // Structures stay shallow.
        if (deep && !(IsCharType(type) || IsSpaceType(type) || IsOperatorType(type) || IsGlyphSymbolType(type)))
            type = 2;
        EqElement* last = FindChainEnd(chain);
        EqElement* e = nullptr;
        if (type == -1) {
            addSideset(chain, depth);
            return;
        }
        if (IsCharType(type)) {
            const uint16_t ch = character();
            // Digits, brackets and punctuation are upright where the style is italic.
            static const QStringView kUpright(u"!&()*,./:;?[\\]{|}~\u2032\u2033\u2034");
            if ((type == 2 || type == 5) && (QChar(ch).isDigit() || kUpright.contains(QChar(ch)))) type = 1;
            e = add(chain, type, 0, ch);
            for (int a = chance(20) ? 1 + pick(2) : 0; a > 0; --a)
                e->payload.push_back(uint8_t(any({1, 2, 3, 4, 5, 11, 12, 13, 14, 16, 20, 21, 22, 25, 26, 27, 139})));
        } else if (IsGlyphSymbolType(type)) {
            int glyph = 1 + pick(480);
            if ((glyph >= 383 && glyph <= 434) || glyph == 264 || glyph == 265) glyph = 2;
            e = add(chain, type, 0, glyph);
            if (chance(15)) e->payload.push_back(uint8_t(any({1, 5, 13})));
        } else if (IsSpaceType(type)) {
            e = add(chain, type, 0, type == 104 ? pick(9) | (pick(6) << 8) : 0);
            if (type == 104) SetSpaceAmount(e, float(pick(64) - 16) / 8.0f);
        } else if (IsOperatorType(type)) {
            // The slash of "\not" only where no negated operator exists.
            e = add(chain, type, 0, chance(10) && !hasNegatedForm(type) ? 0xEEFF : 0);
        } else if (IsBracketType(type)) {
            const int ch = type == 336 ? bracketCode(true) << 8 | bracketCode(false) : 0;
            e = add(chain, type, chance(15) ? 2 : 1, ch);
            fillChildren(e, depth);
            decorate(e);
            return;
        } else if (IsMatrixType(type)) {
            if (type == 370 && chance(30)) {
                // A case list: a one-column left matrix in a left brace,
                // sometimes with more beside it.
                if (last->type == EqTypeChainHead) m_t.text(chain, u"x");
                EqElement* brace = add(chain, 355, 1);
                EqElement* m = add(Tree::arg(brace, 0), 370, 2 + pick(2), 1);
                fillChildren(m, depth + 1);
                if (chance(30)) m_t.text(Tree::arg(brace, 0), u"y");
                return;
            }
            addMatrix(chain, type, depth);
            return;
        } else if (IsIntegralType(type) || IsBigOperatorType(type)) {
            addLimits(chain, type, depth);
            return;
        } else if (type == 180 && chance(50)) {
            // \lim, \max or \min with its limit below.
            e = add(chain, type, 2);
            m_t.text(Tree::arg(e, 0), any({u"lim", u"max", u"min"}), EqTypeCharUpright);
            fill(Tree::arg(e, 1), depth + 1);
            decorate(e);
            return;
        } else {
            e = addStructure(chain, type);
            fillChildren(e, depth);
            if (type != 64 && !e->children.empty()) decorate(e);
            return;
        }
        if (IsCharType(e->type) && e->ch >= 0x20) decorate(e);
    }

    static bool holdsColourBox(const EqElement* e) {
        if (IsColourBoxType(e->type)) return true;
        for (const EqElement* head : e->children)
            for (const EqElement* c = head; c; c = c->next)
                if (holdsColourBox(c)) return true;
        return false;
    }

    // A phantom kind or a colour for the element and everything in it. (The
    // writer has no form for a colour box inside a coloured structure.)
    void decorate(EqElement* e) {
        if (chance(8)) SetPhantomKind(e, int8_t(1 + pick(3)), false);
        if (chance(12) && !holdsColourBox(e)) SetElementColour(e, any({0x0000FFu, 0x0000FFu, 0x563412u}), false);
    }

    EqElement* addStructure(EqElement* chain, int type) {
        switch (type) {
        case 64:
        case 136:
        case 173:
        case 174:
        case 176:
        case 189:
        case 190:
        case 256:
            return add(chain, type, 1);
        case 128: case 129: case 130: case 132: case 137: case 175: case 191: case 1536:
            return add(chain, type, 2);
        case 131:
            return add(chain, type, 3);
        case 177:
        case 179:
            return add(chain, type, 2, pick(2));
        case 178:
            return add(chain, type, 3, pick(2));
        case 180:
            return add(chain, type, 2);
        default:
            if ((type >= 208 && type <= 252) || (type >= 590 && type <= 598)) return add(chain, type, 1);
            if (IsExtArrowType(type)) return add(chain, type, 1 + pick(2));
            return add(chain, type, 0);
        }
    }

    Tree& m_t;
    std::mt19937 m_rng;
};

// A left-only bracket whose chain starts with a right-only one is read as
// one bracket (the reader joins half brackets); give the inner one a left side.
void avoidHalfBracketPairs(EqElement* head) {
    for (EqElement* e = head; e; e = e->next) {
        for (EqElement* c : e->children) avoidHalfBracketPairs(c);
        if (!IsBracketType(e->type) || e->children.size() != 1 || GetBracketDelimiters(e).right != 0) continue;
        EqElement* inner = e->children[0]->next;
        if (!inner || !IsBracketType(inner->type) || inner->children.size() != 1) continue;
        const BracketDelimiters d = GetBracketDelimiters(inner);
        if (d.left != 0) continue;
        inner->type = 336;
        inner->ch = uint16_t(1 << 8 | d.right);
    }
}

// Values the writer does not keep apart (see above): characters that read
// back as operators or blanks, any delimiter codes, alignment marks anywhere,
// slashes on operators that have a negated form, and the structures without
// a LaTeX form. Their text settles after one reading.
void roughen(EqElement* head, std::mt19937& rng) {
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    static const char16_t kOdd[] = u" '^+-<=>[]\u0001\u223D\u224C\uFFFF\u00A0";
    for (EqElement* e = head->next; e; e = e->next) {
        for (EqElement* c : e->children) roughen(c, rng);
        if (pick(100) < 10) e->alignMark = 1;
        if (IsCharType(e->type) && pick(100) < 20) e->ch = uint16_t(kOdd[pick(int(std::size(kOdd)) - 1)]);
        if (IsCharType(e->type) && pick(100) < 5) e->ch = uint16_t(pick(0x10000));
        if (IsOperatorType(e->type) && pick(100) < 20) e->ch = 0xEEFF;
        if (e->type == 336 && pick(100) < 30) e->ch = uint16_t(pick(0x10000));
        if (IsBracketType(e->type) && pick(100) < 5) e->type = 355;
        if (e->children.size() >= 2 && pick(100) < 5) e->type = std::array{133, 134, 135, 181, 608}[size_t(pick(5))];
        if (IsGlyphSymbolType(e->type) && pick(100) < 30) e->ch = uint16_t(pick(600));
    }
}

QString readBack(const QString& latex, QString* dump = nullptr) {
    Tree t;
    LaTeXReadResult r;
    ReadLaTeXDocument(latex, &t.eq, readContext(), &r);
    EXPECT_TRUE(r.ok && !r.error && !r.overflow) << r.message.toStdString() << " at " << r.position << " in\n"
                                               << latex.toStdString();
    if (dump) *dump = DumpEquation(t.eq);
    return EquationToLaTeX(t.eq, writeContext(LaTeXNoDelimiters));
}

TEST(LaTeXRoundTripTest, GeneratedTreesReadBackToTheSameText) {
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    int failures = 0;
    for (unsigned seed = 1; seed <= 3000 && failures < 5; ++seed) {
        Tree t;
        CanonicalTrees(t, seed).fill(t.line, 0);
        avoidHalfBracketPairs(t.line);
        const QString first = t.latex();
        QString dump;
        const QString second = readBack(first, &dump);
        if (second != first) {
            ++failures;
            ADD_FAILURE() << "seed " << seed << "\nwritten: " << first.toStdString()
                          << "\nread back: " << second.toStdString() << "\ntree:\n"
                          << DumpEquation(t.eq).toStdString() << "read:\n" << dump.toStdString();
        }
    }
    EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
}  // namespace toliva::test

namespace toliva::test {
namespace {

TEST(LaTeXRoundTripTest, RoughTreesSettle) {
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    int failures = 0;
    int unchanged = 0;
    int once = 0;
    const unsigned count = 1500;
    for (unsigned seed = 1; seed <= count && failures < 5; ++seed) {
        Tree t;
        CanonicalTrees(t, seed).fill(t.line, 0);
        std::mt19937 rng(seed);
        roughen(t.line, rng);
        // Each reading gives the writer a tree it writes the same or shorter;
        // by the third reading the text stands.
        QStringList texts{t.latex()};
        for (int i = 0; i < 3; ++i) texts << readBack(texts.back());
        if (texts[1] == texts[0]) ++unchanged;
        if (texts[2] == texts[1]) ++once;
        if (texts[3] != texts[2]) {
            ++failures;
            ADD_FAILURE() << "seed " << seed << "\n" << texts.join(QStringLiteral("\n")).toStdString();
        }
    }
    std::printf("rough trees: %u; read back unchanged: %d; settled after one reading: %d\n", count, unchanged,
                once);
}

}  // namespace
}  // namespace toliva::test
