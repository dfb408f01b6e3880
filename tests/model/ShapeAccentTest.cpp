// Accent marks on characters and glyph symbols, measured with fixed text
// boxes: every character box is 0.6 em by 1.2 em with ink 0.6 em high from
// 0.3 em down, so the first mark's level lies 0.5 em from the baseline.
#include "EqLayoutTestSupport.h"

#include "model/EqDraw.h"
#include "model/GlyphOutline.h"
#include "model/ShapeAccent.h"
#include "model/SymbolLibrary.h"
#include "platform/gdiplus/Graphics.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;

constexpr float kTol = 1e-4f;

class AccentTest : public FixedBoxLayoutTest {
protected:
    EqElement* accented(char16_t c, int32_t type, std::vector<uint8_t> marks) {
        EqElement* e = b.text(line, std::u16string(1, c), type);
        e->payload = std::move(marks);
        return e;
    }
    static CKwEE_O_Accent* accentOf(const EqElement* e) { return dynamic_cast<CKwEE_O_Accent*>(e->shape.get()); }
};

// Height of the stacks: every mark takes one step (0.25 em) except kind 28
// above and below; the slash (27) takes its step too although it is drawn
// across the symbol.
TEST_F(AccentTest, StacksTakeOneStepPerMark) {
    struct Case {
        std::vector<uint8_t> marks;
        float ascent;  // em
        float descent;
    };
    const Case cases[] = {
        {{28}, 0.6f, 0.6f},          // no height: the symbol's own box
        {{156}, 0.6f, 0.6f},         // kind 28 below
        {{0, 128}, 0.6f, 0.6f},      // ignored bytes
        {{27}, 0.75f, 0.6f},         // the slash
        {{1}, 0.75f, 0.6f},
        {{1, 2, 3}, 1.25f, 0.6f},    // three steps over the first level
        {{129, 130}, 0.6f, 1.0f},
        {{5, 28, 133}, 0.75f, 0.75f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.marks));
        DeleteEqElement(line->next);
        line->next = nullptr;
        EqElement* e = accented(u'x', EqTypeCharUpright, c.marks);
        layout();
        ASSERT_NE(accentOf(e), nullptr);
        EXPECT_NEAR(accentOf(e)->HalfHeight(), 0.6f * S(), kTol);
        EXPECT_NEAR(e->ascent, c.ascent * S(), kTol);
        EXPECT_NEAR(e->descent, c.descent * S(), kTol);
    }
}

// The mark width grows by the over shift only with marks above and by the
// under shift only with marks below (italic A: 0.11 over, 0.07 under).
TEST_F(AccentTest, MarkWidthTakesTheShiftOfItsSide) {
    struct Case {
        std::vector<uint8_t> marks;
        float width;  // em; a dot is 0.2 x the unit (0.8 em) wide
    };
    const Case cases[] = {{{1}, 0.16f + 0.11f}, {{129}, 0.16f + 0.07f}, {{1, 129}, 0.16f + 0.18f}, {{4}, 0.64f + 0.11f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.marks));
        EqElement* e = accented(u'A', EqTypeCharItalic, c.marks);
        layout();
        ASSERT_NE(accentOf(e), nullptr);
        EXPECT_NEAR(accentOf(e)->markWidth, c.width * S(), kTol);
        EXPECT_GE(e->width, accentOf(e)->markWidth - kTol);
    }
}

// A measurer whose letters reach up to different heights.
class LetterHeights final : public TextMeasurer {
public:
    TextMeasure Measure(EqModel*, gp::Graphics*, const EqFont*, const QString& text, float em, int) override {
        const char16_t c = text.isEmpty() ? u' ' : char16_t(text.at(0).unicode());
        float top = 0.3f;
        switch (c) {
        case u'A': top = 0.2f; break;
        case u'H': top = 0.25f; break;
        case u'Q': top = 0.18f; break;
        case u'b': top = 0.22f; break;
        default: break;
        }
        TextMeasure r;
        r.boxWidth = 0.6f * em;
        r.boxHeight = 1.2f * em;
        r.ink = {0.1f * em, top * em, 0.4f * em, (0.9f - top) * em};
        return r;
    }
};

TEST_F(AccentTest, CapitalsCarryTheirMarksAtTheHeightOfA) {
    LetterHeights heights;
    context.measurer = &heights;
    EqElement* a = accented(u'A', EqTypeCharUpright, {1});
    EqElement* h = accented(u'H', EqTypeCharUpright, {1});
    EqElement* q = accented(u'Q', EqTypeCharUpright, {1});
    EqElement* small = accented(u'b', EqTypeCharUpright, {1});
    layout();
    // The first level lies 0.2 em above the ink top of "A" (0.6 - 0.2 em up).
    const float expected = (0.6f - 0.2f + 0.2f) * S();
    for (EqElement* e : {a, h, q}) {
        ASSERT_NE(accentOf(e), nullptr);
        EXPECT_NEAR(accentOf(e)->topOffset, expected, kTol);
        EXPECT_NEAR(e->ascent, a->ascent, kTol);
    }
    EXPECT_NEAR(accentOf(small)->topOffset, (0.6f - 0.22f + 0.2f) * S(), kTol);
}

TEST_F(AccentTest, ItalicShiftsFollowTheLettersAndTheirLookAlikes) {
    struct Case {
        uint16_t code;
        float over;
        float under;
    };
    const Case cases[] = {{'A', 0.11f, 0.07f},  {'M', 0.08f, 0.07f},    {'X', 0.08f, 0.08f}, {'b', -0.03f, 0.03f},
                          {'z', 0, 0.03f},      {0x03A3, 0.08f, 0.08f}, {0x0393, 0.08f, 0.08f},
                          {0x03BB, 0.04f, 0.04f}, {0x03C8, 0.05f, 0.04f}, {0x03C9, 0, 0.02f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        AccentShift s;
        ASSERT_TRUE(ItalicAccentShift(c.code, &s));
        EXPECT_FLOAT_EQ(s.over, c.over);
        EXPECT_FLOAT_EQ(s.under, c.under);
    }
    EXPECT_FALSE(ItalicAccentShift('1', nullptr));
    EXPECT_FALSE(ItalicAccentShift(0x2202, nullptr));

    // Upright letters keep the plain shift.
    EqElement* upright = accented(u'A', EqTypeCharUpright, {1});
    EqElement* italic = accented(u'A', EqTypeCharItalic, {1});
    layout();
    EXPECT_NEAR(accentOf(upright)->overShift, 0, kTol);
    EXPECT_NEAR(accentOf(italic)->overShift, 0.11f * S(), kTol);
}

// Glyph symbols in the runs of script capitals shift like capital letters;
// two of the three runs lean further.
TEST_F(AccentTest, GlyphSymbolRunsShiftLikeCapitals) {
    SymbolLibrary library;
    for (int i = 0; i < 224; ++i) {
        auto g = std::make_unique<GlyphOutline>();
        g->count = 4;
        g->points = {{0, -70}, {50, -70}, {50, 0}, {0, 0}};
        g->types = {0, 1, 1, 0x81};
        g->m[0] = 60;
        g->m[1] = 70;
        g->m[2] = 20;
        library.glyphs.push_back(std::move(g));
    }
    context.symbols = &library;

    struct Case {
        uint16_t code;
        float over;
        float under;
    };
    const Case cases[] = {{32, 0.13f, 0.07f}, {58, 0.11f, 0.07f}, {198, 0.13f, 0.07f}, {60, 0.06f, 0.08f}, {84, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EqElement* e = b.add(line, EqTypeGlyphSymbol, 0, c.code);
        e->payload = {1, 129};
        layout();
        ASSERT_NE(accentOf(e), nullptr);
        EXPECT_NEAR(accentOf(e)->overShift, c.over * S(), kTol);
        EXPECT_NEAR(accentOf(e)->underShift, c.under * S(), kTol);
        // The outline's ink (70 up from the origin) places the first level.
        EXPECT_NEAR(accentOf(e)->topOffset, (0.2f + 0.7f) * S(), kTol);
    }
}

TEST_F(AccentTest, AnEmptyPayloadGetsNoAccentObject) {
    EqElement* e = accented(u'x', EqTypeCharItalic, {});
    layout();
    EXPECT_EQ(e->shape, nullptr);
    float half = 0;
    EXPECT_FALSE(AccentHalfHeight(e, &half));

    e->payload = {1};
    layout();
    layout();
    ASSERT_NE(accentOf(e), nullptr);
    EXPECT_EQ(accentOf(e)->element, e);
    EXPECT_TRUE(AccentHalfHeight(e, &half));
    EXPECT_NEAR(half, 0.6f * S(), kTol);
}

// ---- drawing

class AccentDrawTest : public AccentTest {
protected:
    // Lays the element out and draws its marks about (100, 200).
    gp::RecordingGraphics draw(EqElement* e) {
        layout();
        gp::RecordingGraphics g;
        if (e->shape) e->shape->Draw(&g, kCentre, kBaseline, 0);
        return g;
    }
    static std::vector<gp::PointF> worldPoints(const gp::RecordingGraphics::Op& op) {
        std::vector<gp::PointF> pts;
        for (const gp::PointF& p : op.points) pts.push_back(op.transform.map(p));
        return pts;
    }
    static constexpr float kCentre = 100;
    static constexpr float kBaseline = 200;
};

// Arrow marks point the way their kinds say: 5 and 7 to the right, 6 and 8
// to the left, above and below the symbol alike. The head is the end where
// the outline spreads farthest across the arrow's axis.
TEST_F(AccentDrawTest, ArrowMarksPointTheirWay) {
    struct Case {
        uint8_t mark;
        bool right;
    };
    const Case cases[] = {{5, true}, {6, false}, {7, true}, {8, false}, {133, true}, {134, false}, {135, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mark));
        DeleteEqElement(line->next);
        line->next = nullptr;
        EqElement* e = accented(u'x', EqTypeCharUpright, {c.mark});
        const gp::RecordingGraphics g = draw(e);
        ASSERT_EQ(g.ops.size(), 1u);
        float spread[2][2] = {{1e9f, -1e9f}, {1e9f, -1e9f}};  // left and right half: lowest, highest y
        for (const gp::PointF& p : worldPoints(g.ops[0])) {
            float* s = spread[p.x > kCentre ? 1 : 0];
            s[0] = std::min(s[0], p.y);
            s[1] = std::max(s[1], p.y);
        }
        const bool headRight = spread[1][1] - spread[1][0] > spread[0][1] - spread[0][0];
        EXPECT_EQ(headRight, c.right);
        // Above marks lie above the baseline, below marks under it.
        EXPECT_EQ(spread[0][1] < kBaseline, c.mark < 128);
    }
}

TEST_F(AccentDrawTest, KindTwentyEightAndIgnoredBytesDrawNothing) {
    EqElement* e = accented(u'x', EqTypeCharUpright, {0, 28, 128, 156});
    EXPECT_TRUE(draw(e).ops.empty());
}

// The slash runs across the whole element and takes no level: a dot after
// it sits where it would sit alone.
TEST_F(AccentDrawTest, TheSlashCrossesTheSymbolAndTakesNoLevel) {
    EqElement* e = accented(u'x', EqTypeCharUpright, {27, 1});
    const gp::RecordingGraphics g = draw(e);
    ASSERT_EQ(g.ops.size(), 2u);
    EXPECT_EQ(g.ops[0].kind, "stroke");
    const std::vector<gp::PointF> line = worldPoints(g.ops[0]);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_NEAR(line[0].y, kBaseline - e->ascent, kTol);
    EXPECT_NEAR(line[1].y, kBaseline + e->descent, kTol);
    EXPECT_GT(line[0].x, line[1].x);

    EXPECT_EQ(g.ops[1].shape, "ellipse");
    float top = 1e9f;
    float bottom = -1e9f;
    for (const gp::PointF& p : worldPoints(g.ops[1])) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    EXPECT_NEAR((top + bottom) / 2, kBaseline - accentOf(e)->topOffset, 1e-3f);
}

// The grave and acute strokes, above (21, 22) and below (149, 150), run
// through the centre of their mark, their pointed end beside it on the side
// the stroke leans to and nearer the symbol.
TEST_F(AccentDrawTest, StrokesSitOnTheirCentre) {
    struct Case {
        uint8_t mark;
        bool pointRight;
    };
    const Case cases[] = {{21, true}, {22, false}, {149, true}, {150, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mark));
        DeleteEqElement(line->next);
        line->next = nullptr;
        EqElement* e = accented(u'x', EqTypeCharUpright, {c.mark});
        const gp::RecordingGraphics g = draw(e);
        ASSERT_EQ(g.ops.size(), 1u);
        const std::vector<gp::PointF> pts = worldPoints(g.ops[0]);
        ASSERT_GE(pts.size(), 4u);
        const gp::PointF point = pts[0];  // the pointed end
        const gp::PointF far = pts[3];    // the rounded end
        const CKwEE_O_Accent& a = *accentOf(e);
        const bool above = c.mark < 128;
        const float centre = kCentre + e->xOffset + (above ? a.overShift : -a.underShift);
        const float level = above ? kBaseline - a.topOffset : kBaseline + a.bottomOffset;
        EXPECT_NEAR((point.x + far.x) / 2, centre, 1e-3f);
        EXPECT_NEAR((point.y + far.y) / 2, level, 1e-3f);
        EXPECT_EQ(point.x > centre, c.pointRight);
        EXPECT_EQ(point.y > far.y, above);  // the point lies towards the symbol
    }
}

// Marks take the colour their symbol is drawn in, also for text characters
// (type 5), which are drawn in the style's text colour.
TEST_F(AccentDrawTest, MarksTakeTheSymbolsColour) {
    eq.settings.colours[3] = 0xFF2040C0;
    for (const int32_t type : {EqTypeCharText, EqTypeCharItalic}) {
        SCOPED_TRACE(type);
        DeleteEqElement(line->next);
        line->next = nullptr;
        accented(u'x', type, {1, 129});
        layout();
        gp::RecordingGraphics g;
        DrawElement(line, g, 0, kBaseline, nullptr, 1.0f, false);
        gp::ARGB text = 0;
        std::vector<gp::ARGB> marks;
        for (const auto& op : g.ops) {
            if (op.shape == "text") text = op.colour;
            if (op.shape == "ellipse") marks.push_back(op.colour);
        }
        ASSERT_NE(text, 0u);
        ASSERT_EQ(marks.size(), 2u);
        for (const gp::ARGB m : marks) EXPECT_EQ(m, text);
        if (type == EqTypeCharText) {
            EXPECT_EQ(text, eq.settings.colours[3]);
        }
    }
}

}  // namespace
}  // namespace toliva
