// MathML round trips over generated trees: tree -> MathML -> tree -> MathML
// -> tree. The first reading settles what MathML cannot carry (colours,
// element types with the same MathML); from then on reading and writing are
// a fixed point. Trees of the types MathML carries exactly come back as
// written already at the first reading.
#include "MathMLTables.h"
#include "tex/MathML.h"

#include "model/EqBuilder.h"
#include "model/EqDump.h"
#include "model/EqModel.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace toliva {
namespace {

using Build = std::function<void(EqBuilder&, EqElement* line)>;

struct Sample {
    std::string what;
    Build build;
    // MathML carries the tree exactly: the first reading gives it back.
    bool exact = false;
};

// A short chain: an italic letter, an operator and an upright digit.
void fill(EqBuilder& b, EqElement* chain) {
    b.text(chain, u"x", EqTypeCharItalic);
    b.add(chain, 1042);
    b.text(chain, u"1", EqTypeCharUpright);
}

EqElement* element(EqBuilder& b, EqElement* chain, int type, int children, uint16_t ch = 0) {
    EqElement* e = b.add(chain, type, children, ch);
    for (int i = 0; i < children; ++i) fill(b, EqBuilder::arg(e, i));
    return e;
}

// Between two letters, so that every element has neighbours.
Build between(int type, int children, uint16_t ch = 0, std::vector<uint8_t> payload = {}) {
    return [=](EqBuilder& b, EqElement* line) {
        b.text(line, u"a", EqTypeCharItalic);
        element(b, line, type, children, ch)->payload = payload;
        b.text(line, u"b", EqTypeCharItalic);
    };
}

// The number of child chains an element of the type has when the editor or
// the LaTeX reader makes it (matrices: a 2 x 2 shape).
int naturalChains(int type) {
    static const struct {
        int type;
        int limits;
    } kCounted[] = {{276, 0}, {277, 1}, {278, 2}, {286, 0}, {287, 2}, {301, 1}, {785, 1},
                    {786, 2}, {787, 1}, {788, 2}, {860, 0}, {861, 1}, {862, 2}, {863, 2}};
    if (IsIntegralType(type) || IsBigOperatorType(type)) {
        for (const auto& c : kCounted)
            if (c.type == type) return c.limits + 1;
        mathml::BigOperatorForm form;
        if (!mathml::BigOperatorFormOf(type, &form)) return 1;
        switch (form.layout) {
        case mathml::LimitLayout::Plain:
            return 1;
        case mathml::LimitLayout::Sub:
        case mathml::LimitLayout::Under:
            return 2;
        default:
            return 3;
        }
    }
    if (IsMatrixType(type)) return type == 369 ? 3 : type == 371 ? 4 : 2;
    if ((type >= 564 && type <= 574) || (type >= 628 && type <= 631) || type == 640 || type == 641 || type == 643)
        return 2;
    switch (type) {
    case 128:
    case 129:
    case 130:
    case 132:
    case 133:
    case 134:
    case 137:
    case 175:
    case 177:
    case 179:
    case 180:
    case 181:
    case 182:
    case 191:
        return 2;
    case 131:
    case 178:
    case 608:
        return 3;
    case 64:
    case 135:
    case 136:
    case 173:
    case 174:
    case 176:
    case 189:
    case 190:
    case 1536:
        return 1;
    default:
        break;
    }
    if (IsOverAccentType(type) || IsUnderAccentType(type) || IsEnclosureType(type) || type == EqTypePhasor ||
        IsBracketType(type) || IsExtArrowType(type) || IsFrameMarkType(type))
        return 1;
    return 0;
}

// The slash fractions are written as the numerator, a solidus and the
// denominator in one row, which carries one element on each side.
bool isSlashFraction(int type) { return type == 129 || type == 130 || type == 132; }

// One element of the type with its natural chains filled.
EqElement* natural(EqBuilder& b, EqElement* chain, int type, uint16_t ch = 0) {
    const int chains = naturalChains(type);
    EqElement* e = isSlashFraction(type) ? b.add(chain, type, chains, ch) : element(b, chain, type, chains, ch);
    if (isSlashFraction(type)) {
        b.text(EqBuilder::arg(e, 0), u"x", EqTypeCharItalic);
        b.text(EqBuilder::arg(e, 1), u"2", EqTypeCharUpright);
    }
    if (type == EqTypeMatrix) SetMatrixShape(2, e, 2);
    return e;
}

// Random trees: chains of random elements a few levels deep.
class RandomTrees {
public:
    explicit RandomTrees(uint32_t seed) : m_random(seed) {}

    void chain(EqBuilder& b, EqElement* chain, int depth) {
        const int length = pick(1, 5);
        for (int i = 0; i < length; ++i) one(b, chain, depth);
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_random); }

    void one(EqBuilder& b, EqElement* chain, int depth) {
        static const int kLeafTypes[] = {1, 2, 3, 4, 5, 16, 17, 6, 8, 96, 101, 104, 506, 530, 1042, 1049, 1059, 1123};
        static const int kNodeTypes[] = {64,  128, 129, 130, 131, 132, 133, 135, 136, 137, 173, 174, 175, 176, 177, 178,
                                         179, 180, 181, 182, 189, 190, 191, 208, 219, 224, 235, 240, 249, 256, 274, 276,
                                         277, 282, 286, 290, 301, 306, 308, 769, 779, 786, 788, 848, 336, 337, 355, 369,
                                         370, 371, 372, 553, 557, 564, 574, 624, 628, 634, 643, 590, 598, 608, 1536};
        static const uint16_t kChars[] = {u'x', u'1', u'+', u'(', 0x0127, 0x03A3, 0x03B1, 0x00E9, u'<', u'&', u'/'};
        if (depth >= 3 || pick(0, 2) == 0) {
            const int type = kLeafTypes[pick(0, int(std::size(kLeafTypes)) - 1)];
            uint16_t ch = kChars[pick(0, int(std::size(kChars)) - 1)];
            if (type == 6 || type == 8) ch = uint16_t(pick(0, 480));
            if (type == 104) ch = uint16_t(pick(0, 9));
            EqElement* e = b.add(chain, type, 0, ch);
            if (type == 104) SetSpaceAmount(e, float(pick(-5, 50)) / 4);
            if ((IsCharType(type) || type == 6 || type == 8) && pick(0, 4) == 0)
                e->payload.push_back(uint8_t(pick(1, 255)));
            return;
        }
        const int type = kNodeTypes[pick(0, int(std::size(kNodeTypes)) - 1)];
        uint16_t ch = 0;
        if (type == 336) ch = uint16_t(pick(0, 25) << 8 | pick(0, 25));
        if (IsMatrixType(type)) ch = uint16_t(pick(0, 2));
        int chains = naturalChains(type);
        if (type == 369 || type == 370 || type == 372) chains = pick(1, 4);
        EqElement* e = b.add(chain, type, chains, ch);
        for (int i = 0; i < chains; ++i) {
            if (isSlashFraction(type))
                b.add(EqBuilder::arg(e, i), pick(0, 1) ? EqTypeCharItalic : 1042, 0, u'y');
            else
                this->chain(b, EqBuilder::arg(e, i), depth + 1);
        }
        if (IsMatrixType(type)) {
            if (type == EqTypeMatrix) SetMatrixShape(2, e, 2);
            uint8_t record[32] = {};
            if (pick(0, 1)) record[pick(0, 31)] = uint8_t(pick(0, 255));
            SetMatrixRules(e, record);
        }
    }

    std::mt19937 m_random;
};

std::vector<Sample> samples() {
    std::vector<Sample> s;
    auto add = [&s](std::string what, Build build, bool exact = false) {
        s.push_back({std::move(what), std::move(build), exact});
    };

    // Every type code, with its chains.
    for (int type = 0; type <= 1600; ++type)
        add("type " + std::to_string(type), [type](EqBuilder& b, EqElement* line) {
            b.text(line, u"a", EqTypeCharItalic);
            natural(b, line, type, 0x41);
            b.text(line, u"b", EqTypeCharItalic);
        });

    // Glyph symbols, plain and bold.
    for (int type : {6, 8})
        for (int index = 0; index <= 520; ++index)
            add("glyph type " + std::to_string(type) + " index " + std::to_string(index),
                between(type, 0, uint16_t(index)));

    // Accent marks above and below letters and glyph symbols.
    for (int code = 1; code <= 255; ++code) {
        add("accent " + std::to_string(code), between(EqTypeCharItalic, 0, u'x', {uint8_t(code)}));
        add("glyph accent " + std::to_string(code), between(6, 0, 2, {uint8_t(code)}));
    }

    // Delimiters on both sides.
    for (int code = 0; code <= 40; ++code) {
        add("left delimiter " + std::to_string(code), between(336, 1, uint16_t(code << 8 | 17)));
        add("right delimiter " + std::to_string(code), between(336, 2, uint16_t(1 << 8 | code)));
    }

    // Characters of every style.
    for (int type : {1, 2, 3, 4, 5, 16, 17})
        for (uint16_t ch : std::initializer_list<uint16_t>{u'x', u'A', u'7', u'+', u'(', u'/', u'\'', 0x0127, 0x01B1,
                                                           0x0394, 0x03A3, 0x03B1, 0x2211, 0x2113, 0x00E9, 0x4E2D})
            add("character type " + std::to_string(type) + " code " + std::to_string(ch), between(type, 0, ch));

    // Custom spaces in every unit.
    for (int unit = 0; unit <= 10; ++unit)
        add("custom space unit " + std::to_string(unit), [unit](EqBuilder& b, EqElement* line) {
            SetSpaceAmount(b.add(line, EqTypeSpaceCustom, 0, uint16_t(unit)), -0.75f);
        });

    // Matrices with rules and alignments.
    for (int columns : {1, 2, 3})
        for (int rows : {1, 2, 4})
            for (int style = 0; style < 4; ++style)
                add("matrix " + std::to_string(rows) + "x" + std::to_string(columns) + " style " +
                        std::to_string(style),
                    [=](EqBuilder& b, EqElement* line) {
                        const int type = columns > 1 && rows > 1 ? 371 : columns > 1 ? 369 : 370;
                        EqElement* m = element(b, line, type, rows * columns, uint16_t(style % 3));
                        if (type == 371) SetMatrixShape(columns, m, rows);
                        uint8_t record[32] = {};
                        record[8 * style] = 0x01;
                        record[8 * style + 4] = 0x01;
                        SetMatrixRules(m, record);
                    });

    // Script runs after a base, prescripts before one.
    for (int s1 : {173, 174, 175, 176, 181, 182})
        for (int s2 : {0, 173, 174, 175})
            add("scripts " + std::to_string(s1) + " " + std::to_string(s2), [=](EqBuilder& b, EqElement* line) {
                b.text(line, u"x", EqTypeCharItalic);
                element(b, line, s1, s1 == 175 || s1 >= 181 ? 2 : 1);
                if (s2) element(b, line, s2, s2 == 175 ? 2 : 1);
            });
    for (int p1 : {189, 190, 191})
        for (int p2 : {0, 189, 190, 191})
            add("prescripts " + std::to_string(p1) + " " + std::to_string(p2), [=](EqBuilder& b, EqElement* line) {
                element(b, line, p1, p1 == 191 ? 2 : 1);
                if (p2) element(b, line, p2, p2 == 191 ? 2 : 1);
                b.text(line, u"X", EqTypeCharItalic);
                element(b, line, 173, 1);
            });

    // The forms MathML carries exactly.
    auto exact = [&add](std::string what, Build build) { add(std::move(what), std::move(build), true); };
    exact("letters, digits and operators", [](EqBuilder& b, EqElement* line) {
        b.text(line, u"x", EqTypeCharItalic);
        b.add(line, 1049);
        b.text(line, u"sin", EqTypeCharUpright);
        b.text(line, u"12", EqTypeCharUpright);
        b.text(line, u"y", EqTypeCharBold);
        b.text(line, u"z", EqTypeCharBoldItalic);
        b.add(line, 1059);
        b.text(line, u"\u03B1", EqTypeCharItalic);
    });
    for (int type : {128, 136, 137, 177, 178})
        exact("structure " + std::to_string(type), between(type, type == 136 ? 1 : type == 178 ? 3 : 2));
    exact("fraction in a fraction", [](EqBuilder& b, EqElement* line) {
        EqElement* f = element(b, line, 128, 2);
        element(b, EqBuilder::arg(f, 1), 128, 2);
    });
    for (int type : {175, 191})
        exact("scripts " + std::to_string(type), [type](EqBuilder& b, EqElement* line) {
            if (type == 191) element(b, line, type, 2);
            b.text(line, u"x", EqTypeCharItalic);
            if (type == 175) element(b, line, type, 2);
        });
    for (int type : {173, 174, 189, 190})
        exact("script " + std::to_string(type), [type](EqBuilder& b, EqElement* line) {
            if (type >= 189) element(b, line, type, 1);
            b.text(line, u"x", EqTypeCharItalic);
            if (type < 189) element(b, line, type, 1);
        });
    for (int type : {306, 307, 308, 288, 289, 290, 848, 773, 274, 769})
        exact("big operator " + std::to_string(type), [type](EqBuilder& b, EqElement* line) {
            const int limits = type == 306 || type == 288                                 ? 0
                               : type == 307 || type == 289 || type == 274 || type == 769 ? 1
                                                                                          : 2;
            element(b, line, type, limits + 1);
            b.text(line, u"y", EqTypeCharItalic);
        });
    for (int type : {208, 209, 211, 216, 217, 219, 224, 225, 232, 233, 235, 240, 241, 242, 246, 247, 248, 256})
        exact("decoration " + std::to_string(type), between(type, 1));
    for (int type :
         {553, 624, 625, 626, 627, 632, 633, 642, 634, 635, 636, 637, 638, 639, 628, 629, 630, 631, 640, 641, 643, 574})
        exact("arrow " + std::to_string(type), between(type, naturalChains(type)));
    exact("def", [](EqBuilder& b, EqElement* line) {
        EqElement* e = b.add(line, 553, 1);
        b.text(EqBuilder::arg(e, 0), u"def", EqTypeCharUpright);
    });
    for (uint16_t ch : std::initializer_list<uint16_t>{0x0111, 0x0212, 0x0313, 0x0414, 0x0515, 0x0616, 0x0718, 0x0817,
                                                       0x0919, 0x0011, 0x0100})
        exact("bracket " + std::to_string(ch), between(336, 1, ch));
    exact("bracket with two chains", between(336, 2, 0x0515));
    for (uint8_t accent :
         std::initializer_list<uint8_t>{1, 2, 3, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 21, 22, 23, 26, 129, 140, 150})
        exact("accent " + std::to_string(accent), between(EqTypeCharItalic, 0, u'x', {accent, 13}));
    for (int index : {2, 19, 58, 84, 110, 121, 383, 409, 441, 451, 149, 190, 235, 255})
        exact("glyph " + std::to_string(index), between(6, 0, uint16_t(index)));
    for (int index : {84, 355, 383}) exact("bold glyph " + std::to_string(index), between(8, 0, uint16_t(index)));
    exact("custom space", [](EqBuilder& b, EqElement* line) {
        SetSpaceAmount(b.add(line, EqTypeSpaceCustom, 0, 4), -2.5f);
        SetSpaceAmount(b.add(line, EqTypeSpaceCustom, 0, 9), 50);
    });
    exact("long division", between(131, 3));
    exact("matrix with rules", [](EqBuilder& b, EqElement* line) {
        EqElement* m = element(b, line, 371, 6, 1);
        SetMatrixShape(3, m, 2);
        uint8_t record[32] = {};
        record[0] = 0x02;   // dashed after the second column
        record[16] = 0x01;  // solid after the first column
        record[20] = 0x01;  // solid after the first row
        SetMatrixRules(m, record);
    });

    exact("fraction without a bar", between(EqTypeMatrixColumn, 2, 0x0100));
    exact("phantoms of every kind", [](EqBuilder& b, EqElement* line) {
        b.text(line, u"a", EqTypeCharItalic);
        for (int8_t kind : {PhantomHorizontal, PhantomVertical, PhantomFull}) {
            SetPhantomKind(b.text(line, u"x", EqTypeCharItalic), kind, false);
            SetPhantomKind(element(b, line, 128, 2), kind, false);
            b.text(line, u"b", EqTypeCharItalic);
        }
    });
    exact("phantom inside a phantom", [](EqBuilder& b, EqElement* line) {
        EqElement* f = element(b, line, 128, 2);
        SetPhantomKind(f, PhantomFull, false);
        EqElement* inner = element(b, EqBuilder::arg(f, 0), 136, 1);
        SetPhantomKind(inner, PhantomHorizontal, false);
        b.text(line, u"b", EqTypeCharItalic);
    });
    exact("function name and its argument", [](EqBuilder& b, EqElement* line) {
        b.text(line, u"sin", EqTypeCharUpright);
        b.add(line, 97);
        b.text(line, u"x", EqTypeCharItalic);
        b.add(line, 1042);
        b.text(line, u"det", EqTypeCharUpright);
        b.add(line, 97);
        b.text(line, u"A", EqTypeCharItalic);
    });

    // Random nestings.
    for (uint32_t seed = 1; seed <= 400; ++seed)
        add("random " + std::to_string(seed), [seed](EqBuilder& b, EqElement* line) {
            RandomTrees trees(seed);
            trees.chain(b, line, 0);
        });
    return s;
}

QString mathml(const EqModel& eq) { return EquationToMathML(eq, TeXWriteContext(), pugi::format_raw | pugi::format_no_declaration); }

// Reads MathML back; null when it converts to nothing.
std::unique_ptr<EqModel> readBack(const QString& text, QString* message) {
    const QByteArray bytes = text.toUtf8();
    MathMLReader reader;
    MathMLReadResult r = ReadMathML(reader, bytes.constData(), size_t(bytes.size()), test::builtInStyle());
    *message = r.message;
    return std::move(r.equation);
}

// The dump without the caret, which the reader leaves at the last line.
QString tree(const EqModel& eq) {
    QString text = DumpEquation(eq);
    const qsizetype caret = text.indexOf(QLatin1String("\ncaret "));
    if (caret >= 0) text.truncate(caret + 1);
    return text;
}

TEST(MathMLRoundTrip, ReadingWhatTheWriterWroteIsAFixedPoint) {
    int read = 0;
    int exactCount = 0;
    for (const Sample& sample : samples()) {
        EqModel eq(test::builtInStyle());
        EqBuilder b(&eq);
        sample.build(b, b.line());
        const QString m1 = mathml(eq);
        QString message;
        const std::unique_ptr<EqModel> t2 = readBack(m1, &message);
        if (!t2) {
            // Only a line that the writer leaves empty converts to nothing.
            EXPECT_EQ(m1, QStringLiteral("<math xmlns=\"http://www.w3.org/1998/Math/MathML\" />")) << sample.what;
            continue;
        }
        ++read;
        EXPECT_TRUE(message.isEmpty()) << sample.what << ": " << message.toStdString();
        const QString m2 = mathml(*t2);
        if (sample.exact) {
            ++exactCount;
            EXPECT_EQ(m2.toStdString(), m1.toStdString()) << sample.what;
            EXPECT_EQ(tree(*t2).toStdString(), tree(eq).toStdString()) << sample.what;
        }
        const std::unique_ptr<EqModel> t3 = readBack(m2, &message);
        ASSERT_TRUE(t3) << sample.what << ": " << m2.toStdString();
        EXPECT_EQ(tree(*t3).toStdString(), tree(*t2).toStdString()) << sample.what << "\n" << m1.toStdString();
        EXPECT_EQ(mathml(*t3).toStdString(), m2.toStdString()) << sample.what;
    }
    EXPECT_GT(read, 3500);
    EXPECT_GT(exactCount, 100);
}

// Trees the editor does not make (elements with too few or too many chains)
// still read back, and reading and writing settle after a few rounds.
TEST(MathMLRoundTrip, OddChainCountsSettle) {
    for (int type = 0; type <= 1600; ++type) {
        for (int chains : {0, 2, 3}) {
            EqModel eq(test::builtInStyle());
            EqBuilder b(&eq);
            between(type, chains, 0x41)(b, b.line());
            QString text = mathml(eq);
            QString message;
            bool settled = false;
            for (int round = 0; round < 4 && !settled; ++round) {
                const std::unique_ptr<EqModel> back = readBack(text, &message);
                ASSERT_TRUE(back) << type << " with " << chains << " chains: " << text.toStdString();
                const QString again = mathml(*back);
                settled = again == text;
                text = again;
            }
            EXPECT_TRUE(settled) << type << " with " << chains << " chains: " << text.toStdString();
        }
    }
}

}  // namespace
}  // namespace toliva
