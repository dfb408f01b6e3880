// Every MathML document the writer makes is well-formed and valid against the
// MathML 3 DTD: checked with xmllint over a generated set of trees (every
// element type with its chains filled, every operator, glyph indices, accent
// codes, delimiter codes, script runs and random nestings).
#include "tex/MathML.h"

#include "TestSupport.h"
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace toliva {
namespace {

const char* const kDtdPath = "/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-MathML3-20101021/mathml3.dtd";

using Build = std::function<void(EqBuilder&, EqElement* line)>;

struct Sample {
    std::string what;
    QString text;
};

class Samples {
public:
    void add(const std::string& what, const Build& build) {
        EqModel eq(test::builtInStyle());
        EqBuilder b(&eq);
        build(b, b.line());
        // One line per document, without declaration, to be batched.
        m_samples.push_back({what, EquationToMathML(eq, TeXWriteContext(), pugi::format_raw | pugi::format_no_declaration)});
    }
    const std::vector<Sample>& all() const { return m_samples; }

private:
    std::vector<Sample> m_samples;
};

// A short chain of content: an italic letter, an operator and an upright digit.
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
Build between(int type, int children, uint16_t ch, std::vector<uint8_t> payload = {}) {
    return [=](EqBuilder& b, EqElement* line) {
        b.text(line, u"a", EqTypeCharUpright);
        element(b, line, type, children, ch)->payload = payload;
        b.text(line, u"b", EqTypeCharUpright);
    };
}

// Random trees: chains of random elements nested a few levels deep.
class RandomTrees {
public:
    explicit RandomTrees(uint32_t seed) : m_random(seed) {}

    void chain(EqBuilder& b, EqElement* chain, int depth) {
        const int length = pick(1, 6);
        for (int i = 0; i < length; ++i) one(b, chain, depth);
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_random); }

    void one(EqBuilder& b, EqElement* chain, int depth) {
        static const int kLeafTypes[] = {1, 2, 3, 4, 5, 16, 17, 6, 8, 96, 101, 104, 506, 530, 1042, 1049, 1060, 1289};
        static const int kNodeTypes[] = {64, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 173, 174, 175, 176,
                                         177, 178, 179, 180, 181, 182, 189, 190, 191, 208, 219, 224, 235, 240, 249,
                                         256, 274, 277, 282, 290, 301, 306, 308, 769, 779, 787, 848, 861, 863, 336,
                                         337, 355, 369, 370, 371, 372, 553, 557, 564, 574, 624, 628, 634, 643, 590,
                                         598, 608, 1536, 999};
        static const uint16_t kChars[] = {u'x', u'1', u'+', 0x0127, 0x03A3, 381, 382, 0x01, 0xD835, 0xDD38, u'<', u'&'};
        if (depth >= 3 || pick(0, 2) == 0) {
            const int type = kLeafTypes[pick(0, int(std::size(kLeafTypes)) - 1)];
            uint16_t ch = kChars[pick(0, int(std::size(kChars)) - 1)];
            if (type == 6 || type == 8) ch = uint16_t(pick(0, 520));
            if (type == 104) ch = uint16_t(pick(0, 15));
            EqElement* e = b.add(chain, type, 0, ch);
            if (type == 104) SetSpaceAmount(e, float(pick(-5, 50)) / 4);
            if (IsCharType(type) || type == 6 || type == 8) {
                const int accents = pick(0, 4) == 0 ? pick(1, 3) : 0;
                for (int i = 0; i < accents; ++i) e->payload.push_back(uint8_t(pick(0, 255)));
            }
            return;
        }
        const int type = kNodeTypes[pick(0, int(std::size(kNodeTypes)) - 1)];
        int children = pick(0, 4);
        uint16_t ch = 0;
        if (type == 336) ch = uint16_t(pick(0, 0xFFFF));
        if (IsMatrixType(type)) {
            children = pick(1, 6);
            ch = uint16_t(pick(0, 4));
        }
        EqElement* e = b.add(chain, type, children, ch);
        for (int i = 0; i < children; ++i) this->chain(b, EqBuilder::arg(e, i), depth + 1);
        if (IsMatrixType(type)) {
            if (type == EqTypeMatrix) SetMatrixShape(pick(1, 4), e, pick(1, 4));
            uint8_t record[32];
            for (uint8_t& byte : record) byte = uint8_t(pick(0, 3) == 0 ? pick(0, 255) : 0);
            SetMatrixRules(e, record);
        }
    }

    std::mt19937 m_random;
};

Samples generateSamples() {
    Samples s;
    // Every type code, with none to five chains.
    for (int type = 0; type <= 1600; ++type)
        for (int children : {0, 1, 2, 3, 5})
            s.add("type " + std::to_string(type) + " with " + std::to_string(children) + " chains",
                  between(type, children, 0x41));
    for (int type : {65535, -1, 0x7FFFFFFF}) s.add("type " + std::to_string(type), between(type, 2, 0x41));

    // Glyph indices, plain, bold and user symbols.
    for (int type : {6, 7, 8})
        for (int index = 0; index <= 520; ++index)
            s.add("glyph type " + std::to_string(type) + " index " + std::to_string(index),
                  between(type, 0, uint16_t(index)));

    // Every accent byte on a letter and on a glyph symbol, and stacks of them.
    for (int code = 0; code <= 255; ++code) {
        s.add("accent " + std::to_string(code), between(EqTypeCharItalic, 0, u'x', {uint8_t(code)}));
        s.add("glyph accent " + std::to_string(code), between(6, 0, 2, {uint8_t(code)}));
    }
    s.add("stacked accents", between(EqTypeCharUpright, 0, u'x', {1, 140, 0, 22, 128, 255, 27}));

    // Delimiter codes on both sides.
    for (int code = 0; code <= 255; ++code) {
        s.add("left delimiter " + std::to_string(code), between(336, 1, uint16_t(code << 8 | 17)));
        s.add("right delimiter " + std::to_string(code), between(336, 2, uint16_t(1 << 8 | code)));
    }

    // Characters XML cannot hold or must escape.
    for (int type : {1, 2, 3, 4, 5, 16, 17}) {
        for (uint16_t ch : {0x00, 0x01, 0x09, 0x0A, 0x0D, 0x1F, 0x22, 0x26, 0x27, 0x3C, 0x3E, 0x7F, 381, 382, 0xD800,
                            0xDBFF, 0xDC00, 0xFFFE, 0xFFFF, 0x0127, 0x03A3}) {
            s.add("character type " + std::to_string(type) + " code " + std::to_string(ch), between(type, 0, ch));
        }
        s.add("surrogate pair type " + std::to_string(type), [type](EqBuilder& b, EqElement* line) {
            b.text(line, u"\U0001D538\U0001D539", type);
            b.add(line, 173, 1);
        });
    }

    // Custom spaces in every unit.
    for (int unit = 0; unit <= 15; ++unit)
        s.add("custom space unit " + std::to_string(unit), [unit](EqBuilder& b, EqElement* line) {
            SetSpaceAmount(b.add(line, EqTypeSpaceCustom, 0, uint16_t(unit)), 0.75f);
        });

    // Matrices with rules in every style and alignments.
    for (int columns : {1, 2, 3, 5})
        for (int rows : {1, 2, 4})
            for (int style = 0; style < 4; ++style)
                s.add("matrix " + std::to_string(rows) + "x" + std::to_string(columns) + " style " +
                          std::to_string(style),
                      [=](EqBuilder& b, EqElement* line) {
                          EqElement* m = element(b, line, EqTypeMatrix, rows * columns, uint16_t(style));
                          SetMatrixShape(columns, m, rows);
                          uint8_t record[32] = {};
                          record[8 * style] = 0xFF;
                          record[8 * style + 4] = 0xFF;
                          SetMatrixRules(m, record);
                      });
    s.add("matrix with fewer cells than its shape", [](EqBuilder& b, EqElement* line) {
        EqElement* m = element(b, line, EqTypeMatrix, 3, 0);
        SetMatrixShape(3, m, 3);
    });
    s.add("cases", [](EqBuilder& b, EqElement* line) {
        EqElement* bracket = b.add(line, 355, 1);
        element(b, EqBuilder::arg(bracket, 0), 370, 3, 1);
    });

    // Script runs and prescripts in the places that matter.
    for (int s1 : {173, 174, 175, 176, 181, 182})
        for (int s2 : {0, 173, 174, 175, 176, 181, 182}) {
            const std::string name = "scripts " + std::to_string(s1) + " " + std::to_string(s2);
            s.add(name, [=](EqBuilder& b, EqElement* line) {
                b.text(line, u"x", EqTypeCharItalic);
                element(b, line, s1, 2);
                if (s2) element(b, line, s2, 1);
            });
            s.add(name + " at chain start", [=](EqBuilder& b, EqElement* line) {
                element(b, line, s1, 1);
                if (s2) element(b, line, s2, 2);
            });
        }
    for (int p : {189, 190, 191}) {
        const std::string name = "prescript " + std::to_string(p);
        s.add(name + " at chain end", [=](EqBuilder& b, EqElement* line) {
            b.text(line, u"ab", EqTypeCharUpright);
            element(b, line, p, 2);
        });
        s.add(name + " before a script", [=](EqBuilder& b, EqElement* line) {
            element(b, line, p, 1);
            element(b, line, 173, 1);
        });
        s.add(name + " with scripted base and a run after", [=](EqBuilder& b, EqElement* line) {
            element(b, line, p, 2);
            b.text(line, u"X", EqTypeCharUpright);
            element(b, line, 174, 1);
            element(b, line, 173, 1);
            b.text(line, u"yz", EqTypeCharUpright);
        });
        s.add(name + " nested", [=](EqBuilder& b, EqElement* line) {
            element(b, line, p, 2);
            element(b, line, 191, 2);
            element(b, line, p, 0);
            b.text(line, u"X", EqTypeCharUpright);
        });
    }

    // Random nestings.
    RandomTrees random(20240611);
    for (int i = 0; i < 400; ++i)
        s.add("random tree " + std::to_string(i),
              [&random](EqBuilder& b, EqElement* line) { random.chain(b, line, 0); });
    return s;
}

// Runs xmllint over one file; returns its messages, empty when it is valid.
QString runXmllint(const QString& xmllint, const QStringList& args, const QString& path, int* exitCode) {
    QProcess p;
    p.start(xmllint, QStringList{QStringLiteral("--noout"), QStringLiteral("--nonet")} + args + QStringList{path});
    if (!p.waitForFinished(-1)) return QStringLiteral("xmllint did not run");
    *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardError());
}

class MathMLValidity : public ::testing::Test {
protected:
    void SetUp() override {
        m_xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
        if (m_xmllint.isEmpty()) TOLIVA_SKIP_UNLESS_CI() << "xmllint is not installed (Debian package libxml2-utils)";
        if (!QFileInfo::exists(QLatin1String(kDtdPath)))
            TOLIVA_SKIP_UNLESS_CI() << "the MathML 3 DTD is not installed (Debian package w3c-sgml-lib)";
    }

    QString m_xmllint;
    test::ScratchFolder m_folder;
};

// The documents as the writer saves them by default: declaration and indentation.
TEST_F(MathMLValidity, DefaultSaveIsValid) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"sin", EqTypeCharUpright);
    element(b, line, 308, 3);
    EqElement* matrix = element(b, line, 371, 4);
    matrix->ch = 1;
    SetMatrixShape(2, matrix, 2);
    b.text(b.line(), u"<&>", EqTypeCharItalic);
    const QString path = m_folder.file(QStringLiteral("default.xml"));
    ASSERT_TRUE(test::writeFile(path, EquationToMathML(eq, TeXWriteContext()).toUtf8()));
    int exitCode = -1;
    const QString messages =
        runXmllint(m_xmllint, {QStringLiteral("--dtdvalid"), QLatin1String(kDtdPath)}, path, &exitCode);
    EXPECT_EQ(exitCode, 0) << messages.toStdString();
}

TEST_F(MathMLValidity, EveryDocumentIsValidMathML3) {
    const Samples samples = generateSamples();
    ASSERT_GT(samples.all().size(), 10000u);

    // All documents in one file under a wrapper element declared beside the
    // MathML 3 DTD, so that the DTD is read once.
    QByteArray batch = "<?xml version=\"1.0\"?>\n<!DOCTYPE batch SYSTEM \"file://" + QByteArray(kDtdPath) +
                       "\" [\n<!ELEMENT batch (math)*>\n]>\n<batch>\n";
    int line = 6;
    std::vector<int> firstLines;  // the line on which each document starts
    for (const Sample& sample : samples.all()) {
        const QByteArray text = sample.text.toUtf8();
        firstLines.push_back(line);
        batch += text + '\n';
        line += int(text.count('\n')) + 1;
    }
    batch += "</batch>\n";
    const QString path = m_folder.file(QStringLiteral("batch.xml"));
    ASSERT_TRUE(test::writeFile(path, batch));

    int exitCode = -1;
    const QString messages = runXmllint(m_xmllint, {QStringLiteral("--valid")}, path, &exitCode);
    EXPECT_EQ(exitCode, 0);
    // "FILE:LINE: message"; the context lines that follow are left out.
    int reported = 0;
    for (const QString& message : messages.split(u'\n', Qt::SkipEmptyParts)) {
        if (!message.startsWith(path + u':') || reported >= 20) continue;
        const int at = message.section(u':', 1, 1).toInt();
        const auto next = std::upper_bound(firstLines.begin(), firstLines.end(), at);
        if (next == firstLines.begin()) {
            ADD_FAILURE() << message.toStdString();
        } else {
            const Sample& sample = samples.all()[size_t(next - firstLines.begin() - 1)];
            ADD_FAILURE() << sample.what << ": " << message.toStdString() << "\n" << sample.text.toStdString();
        }
        ++reported;
    }
}

}  // namespace
}  // namespace toliva
