// The equation's fonts: which family draws a character, the kinds a style
// gives, missing math fonts, and the font metrics checked against numbers
// that fontTools reads from the font files.
#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/EqNotes.h"
#include "model/EqSpacing.h"

#include "platform/MessageSink.h"
#include "platform/gdiplus/FontMap.h"
#include "platform/gdiplus/Graphics.h"

#include "TestSupport.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <memory>

using namespace toliva;

namespace {

EqLayoutSettings style(const QString& fontName, const QString& fontName2 = "Times New Roman", int int6 = 0,
                       int int7 = 0) {
    EqLayoutSettings s = test::builtInStyle();
    s.fontName = fontName;
    s.fontName2 = fontName2;
    s.ints[6] = int6;
    s.ints[7] = int7;
    return s;
}

QString familyName(const EqFont* font) { return font ? font->family.GetFamilyName() : QStringLiteral("(none)"); }

// Points the program font folder at an empty folder for one test.
class MissingProgramFonts {
public:
    MissingProgramFonts() { SetPrivateFontFolder(m_empty.path()); }
    ~MissingProgramFonts() { SetPrivateFontFolder(QString()); }

private:
    test::ScratchFolder m_empty;
};

}  // namespace

TEST(ChooseFamily, PicksTheFamilyByMainKindAndCharacter) {
    struct Case {
        const char* fontName;
        int int6;
        char16_t code;
        const char* want;  // family name
    };
    const Case cases[] = {
        {"Toliva", 0, u'x', "Toliva"},
        {"Toliva", 0, u'\u03D0', "Times New Roman"},
        {"Toliva", 0, u'\u2207', "Toliva"},
        {"Toliva", 0, u'|', "Times New Roman"},
        {"Times New Roman", 0, u'x', "Times New Roman"},
        {"Times New Roman", 0, u'\u03B1', "Times New Roman"},
        {"Times New Roman", 1, u'x', "Toliva"},
        // The main part before the bar decides; the math-only symbols stay math.
        {"Times New Roman|Segoe UI", 0, u'x', "Times New Roman"},
        {"Times New Roman|Segoe UI", 0, u'\u2207', "Toliva"},
        {"Segoe UI", 0, u'x', "Segoe UI"},
        {"Segoe UI", 0, u'\u2111', "Toliva"},
        {"Segoe UI", 0, u'\u2118', "Toliva"},
        {"Segoe UI", 0, u'\u2135', "Toliva"},
        {"Segoe UI", 0, u'\u211C', "Toliva"},
        {"Segoe UI", 0, u'\u2A3F', "Toliva"},
        {"Segoe UI", 0, u'\uF0FE', "Toliva"},
        {"Segoe UI", 0, u'\u03D0', "Segoe UI"},
        // A family nobody has falls back to the serif family.
        {"No Such Family 123", 0, u'x', "Times New Roman"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fontName) + " " + std::to_string(int(c.code)));
        EqModel eq(style(QString::fromUtf8(c.fontName), "Times New Roman", c.int6));
        EXPECT_EQ(ChooseFamily(&eq, c.code), c.code);
        EXPECT_EQ(familyName(EquationFonts(&eq).currentFamily), QString::fromUtf8(c.want));
    }
}

TEST(SetupEquationFonts, KindsFollowTheFontNamesAndOptions) {
    struct Case {
        const char* fontName;
        const char* fontName2;
        int int6;
        int int7;
        uint8_t main, second, text;
    };
    const Case cases[] = {
        {"Times New Roman", "Times New Roman", 0, 0, FontKindSerif, FontKindMath, FontKindSerif},
        {"Toliva", "Times New Roman", 0, 0, FontKindMath, FontKindMath, FontKindSerif},
        {"Segoe UI", "SimSun", 0, 0, FontKindNamed, FontKindMath, FontKindNamed},
        {"Segoe UI", "SimSun", 1, 1, FontKindMath, FontKindMath, FontKindSerif},
        {"Times New Roman|Consolas", "Times New Roman", 0, 0, FontKindSerif, FontKindNamed, FontKindSerif},
        {"Toliva|Times New Roman", "Times New Roman", 0, 0, FontKindMath, FontKindSerif, FontKindSerif},
        // A bar in front is part of the name; a bar at the end names no second family.
        {"|Toliva", "Times New Roman", 0, 0, FontKindNamed, FontKindMath, FontKindSerif},
        {"Toliva|", "Times New Roman", 0, 0, FontKindMath, FontKindMath, FontKindSerif},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fontName) + " / " + c.fontName2);
        EqModel eq(style(QString::fromUtf8(c.fontName), QString::fromUtf8(c.fontName2), c.int6, c.int7));
        EXPECT_EQ(eq.fontKinds[FontKindMain], c.main);
        EXPECT_EQ(eq.fontKinds[FontKindSecond], c.second);
        EXPECT_EQ(eq.fontKinds[FontKindText], c.text);
        const EqFontState& st = EquationFonts(&eq);
        EXPECT_EQ(familyName(st.mathFamily), "Toliva");
        EXPECT_EQ(familyName(st.serifFamily), "Times New Roman");
        EXPECT_EQ(st.currentFamily, st.serifFamily);
        EXPECT_EQ(st.stringFormat.GetAlignment(), gp::StringAlignmentCenter);
        EXPECT_EQ(st.stringFormat.GetLineAlignment(), gp::StringAlignmentNear);
        EXPECT_TRUE(eq.needsLayout);
    }

    EqModel eq(style("Segoe UI|Consolas", "SimSun"));
    UseSecondFamily(&eq);
    EXPECT_EQ(familyName(EquationFonts(&eq).currentFamily), "Consolas");
    UseTextFamily(&eq);
    EXPECT_EQ(familyName(EquationFonts(&eq).currentFamily), "SimSun");
    UseSansFamily(&eq);
    EXPECT_EQ(familyName(EquationFonts(&eq).currentFamily), "CMU Sans Serif");
    UseMonoFamily(&eq);
    EXPECT_EQ(familyName(EquationFonts(&eq).currentFamily), "CMU Typewriter Text");

    // Named families that cannot be loaded give the serif family.
    EqModel missing(style("Times New Roman|No Such Family 123", "No Such Family 123"));
    UseSecondFamily(&missing);
    EXPECT_EQ(familyName(EquationFonts(&missing).currentFamily), "Times New Roman");
    UseTextFamily(&missing);
    EXPECT_EQ(familyName(EquationFonts(&missing).currentFamily), "Times New Roman");
}

TEST(SetupEquationFonts, FamiliesElementsHoldSurviveANewSetup) {
    EqModel eq(style("Toliva"));
    const EqFont* math = EquationFonts(&eq).mathFamily;
    ASSERT_NE(math, nullptr);
    ReleaseEquationFonts(&eq);
    EXPECT_EQ(EquationFonts(&eq).mathFamily, nullptr);
    SetupEquationFonts(&eq);
    EXPECT_EQ(EquationFonts(&eq).mathFamily, math);
    EqModel other(style("Toliva"));
    EXPECT_EQ(EquationFonts(&other).mathFamily, math);
    EXPECT_EQ(familyName(math), "Toliva");
}

TEST(SetupEquationFonts, MissingMathFontsNoteOnceAndMeasureWithTheSerifFamily) {
    MissingProgramFonts missing;
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);

    // Every equation notes the missing fonts once, however many families
    // fail; a run shows the note the first time only. Nothing is shown here.
    std::vector<std::unique_ptr<EqModel>> equations;
    for (int i = 0; i < 3; ++i) equations.push_back(std::make_unique<EqModel>(style("Toliva")));
    UseSansFamily(equations[0].get());
    UseMonoFamily(equations[1].get());
    EqNoteRun run;
    int admitted = 0;
    for (auto& e : equations) {
        const EqNotes notes = TakeEquationNotes(e.get());
        ASSERT_EQ(notes.items.size(), 1u);
        EXPECT_EQ(notes.items[0].kind, EqNoteKind::MissingFonts);
        EXPECT_FALSE(NoteText(notes.items[0]).isEmpty());
        admitted += run.admit(notes.items[0]);
        EXPECT_TRUE(TakeEquationNotes(e.get()).empty());
    }
    EXPECT_EQ(admitted, 1);
    EXPECT_TRUE(sink.shown.empty());

    EqModel& eq = *equations[2];
    EXPECT_EQ(eq.fontKinds[FontKindMain], FontKindSerif);
    const EqFontState& st = EquationFonts(&eq);
    EXPECT_EQ(st.mathFamily, st.serifFamily);
    EXPECT_EQ(ChooseFamily(&eq, 0x2207), 0x2207);
    EXPECT_EQ(familyName(st.currentFamily), "Times New Roman");

    gp::RecordingGraphics g;
    gp::RectF ink;
    float box = 0;
    ASSERT_EQ(MeasureGlyph('A', &eq, &g, &ink, &box), gp::Ok);
    const float size = eq.settings.fontSize;
    EXPECT_NEAR(box, (1825 + 443 + 87) / 2048.0f * size, 1e-4);
    EXPECT_NEAR(ink.bottom(), 1825 / 2048.0f * size, 1e-4);  // 'A' stands on the baseline
}

TEST(MeasureGlyph, InkAndBoxOfTheChosenFamily) {
    EqLayoutSettings s = style("Toliva");
    s.fontSize = 100;
    EqModel eq(s);
    gp::RectF ink;
    float box = 0;
    // The math family: STIX General, 1000 units per em, cell 1055 + 455.
    ASSERT_EQ(MeasureGlyph('A', &eq, nullptr, &ink, &box), gp::Ok);
    EXPECT_NEAR(box, 151.0f, 1e-3);
    EXPECT_NEAR(ink.bottom(), 105.5f, 1e-3);
    EXPECT_LT(ink.x, 0);  // the box is centred on x = 0
    EXPECT_GT(ink.right(), 0);
    EXPECT_NEAR(ink.x + ink.width / 2, 0, 5);

    // A blank has no ink but a box.
    ASSERT_EQ(MeasureGlyph(' ', &eq, nullptr, &ink, &box), gp::Ok);
    EXPECT_EQ(ink.width, 0);
    EXPECT_NEAR(box, 151.0f, 1e-3);
}

namespace {

// Computes the five font metrics from a font file with fontTools, the way
// the equation derives them: cell and line spacing from OS/2 and hhea, ink
// from the glyph outlines.
const char* kMetricsScript = R"PY(
import sys
from fontTools.ttLib import TTFont
from fontTools.pens.boundsPen import BoundsPen
path, size, s5, s6, s40 = sys.argv[1], *map(float, sys.argv[2:6])
font = TTFont(path, fontNumber=0)
os2, hhea = font['OS/2'], font['hhea']
scale = size / font['head'].unitsPerEm
cell = os2.usWinAscent + os2.usWinDescent
box = (cell + max(0, hhea.lineGap - (cell - (hhea.ascent - hhea.descent)))) * scale
baseline = os2.usWinAscent * scale
glyphs = font.getGlyphSet()
cmap = font.getBestCmap()
def bounds(ch):
    pen = BoundsPen(glyphs)
    glyphs[cmap[ord(ch)]].draw(pen)
    xmin, ymin, xmax, ymax = pen.bounds
    return baseline - ymax * scale, baseline - ymin * scale
topA, bottomA = bounds('A')
bottomG = bounds('g')[1]
f = (bottomA - box / 2) / size
h = s5 - 0.035
print(0.26145 - f + h, h, min(topA, box - bottomG) / size - 0.125 - s6, s40, f - h)
)PY";

QString pythonWithFontTools() {
    for (const QString& python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(python, {"-c", "import fontTools"});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return python;
    }
    return {};
}

}  // namespace

TEST(MeasureFontMetrics, AgreeWithTheFontFilesReadByFontTools) {
    const QString python = pythonWithFontTools();
    if (python.isEmpty()) TOLIVA_SKIP_UNLESS_CI() << "python3 with fontTools (python3-fonttools) is not installed";

    struct Case {
        const char* fontName;
        QString file;
    };
    const std::vector<const gp::FontMapRow*> serif = gp::FindFamilyRows("Times New Roman");
    ASSERT_FALSE(serif.empty());
    const Case cases[] = {
        {"Times New Roman", QString::fromUtf8(serif.front()->file)},
        {"Toliva", MathFontFiles(2)[1]},  // the regular face of the default size mode
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fontName);
        EqLayoutSettings s = style(QString::fromUtf8(c.fontName));
        s.fontSize = 37.5f;
        s.spacing[SpacingAxisShift] = 0.02f;
        s.spacing[SpacingGlyphMargin] = 0.01f;
        s.spacing[SpacingTextExtra] = 0.3f;
        EqModel eq(s);
        gp::RecordingGraphics g;
        MeasureFontMetrics(&g, &eq);

        QProcess p;
        p.start(python, {"-c", kMetricsScript, c.file, "37.5", "0.02", "0.01", "0.3"});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QStringList values = QString::fromUtf8(p.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
        ASSERT_EQ(values.size(), 5);
        for (int i = 0; i < 5; ++i) EXPECT_NEAR(eq.fontMetrics[i], values[i].toDouble(), 1e-5) << "metric " << i;
    }
}
