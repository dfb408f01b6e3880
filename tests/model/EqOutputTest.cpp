// The output passes: the picture's size, margins, baseline and background;
// the style's sizes given back after a pass, even a failed one; the editing
// view's line caches, culling, separators and its fallback for lines too
// large for a bitmap.
#include "EqLayoutTestSupport.h"

#include "model/EqDraw.h"
#include "model/EqOutput.h"
#include "model/EqSpacing.h"
#include "platform/AppContext.h"
#include "platform/gdiplus/Graphics.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <vector>

namespace toliva {
namespace {

using test::FixedBoxMeasurer;

class EqOutputTest : public ::testing::Test {
protected:
    EqOutputTest() : eq(test::builtInStyle()), b(&eq), context(test::contextWith(measurer)) {}

    // n lines of "x+y" with a fraction a/b in every second one.
    void addLines(int n) {
        for (int i = 0; i < n; ++i) {
            EqElement* line = b.line();
            b.text(line, u"x+y", EqTypeCharItalic);
            if (i % 2) {
                EqElement* frac = b.add(line, EqTypeFraction, 2);
                b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharItalic);
                b.text(EqBuilder::arg(frac, 1), u"b", EqTypeCharItalic);
            }
        }
        SetEquationCaret(&eq, nullptr);
    }

    float spacing(SpacingSlot slot) const { return SpacingOf(&eq, slot); }

    EqModel eq;
    EqBuilder b;
    FixedBoxMeasurer measurer;
    RenderContext context;
};

TEST_F(EqOutputTest, PictureHasTheStyleMarginsAroundTheLaidOutLines) {
    context.options = 0;
    addLines(1);
    eq.settings.spacing[SpacingPictureMarginLeft] = 0.11f, eq.settings.spacing[SpacingPictureMarginTop] = 0.22f;
    eq.settings.spacing[SpacingPictureMarginRight] = 0.33f, eq.settings.spacing[SpacingPictureMarginBottom] = 0.44f;
    constexpr float scale = 2.5f;
    const float S = eq.settings.fontSize * scale;

    gp::RecordingGraphics g;
    const EqPictureMetrics m = DrawEquationPicture(context, g, &eq, scale);

    const EqElement* head = eq.lines[0];
    ASSERT_GT(eq.widestLine, 0);
    const float left = head->origin.x, top = head->origin.y;  // where the line was drawn
    EXPECT_NEAR(left, 0.11f * S, 1e-3);
    EXPECT_NEAR(top, 0.22f * S, 1e-3);
    EXPECT_NEAR(m.width - eq.widestLine - left, (0.33f + 0.1f) * S, 1e-3);
    EXPECT_NEAR(m.height - eq.totalHeight - top, (0.44f + 0.1f) * S, 1e-3);
    // One line: the baseline is the line's own, below the top margin.
    EXPECT_NEAR(m.baseline(), top + head->chainAscent, 1e-3);
    EXPECT_NEAR(m.descent, m.height - m.baseline(), 1e-3);
    // The line was laid out at the scaled size.
    EXPECT_NEAR(head->chainAscent + head->chainDescent, eq.totalHeight, 1e-3);
    EXPECT_EQ(eq.outputMode, 1);
    EXPECT_EQ(eq.phantomColour, 0x00FFFFFFu);
}

TEST_F(EqOutputTest, PictureScalesWithTheScale) {
    addLines(2);
    gp::RecordingGraphics g;
    const EqPictureMetrics one = DrawEquationPicture(context, g, &eq, 1.0f);
    const EqPictureMetrics three = DrawEquationPicture(context, g, &eq, 3.0f);
    EXPECT_NEAR(three.width, 3 * one.width, 0.02f * one.width);
    EXPECT_NEAR(three.height, 3 * one.height, 0.02f * one.height);
    EXPECT_NEAR(three.axis, 3 * one.axis, 0.05f * std::abs(one.axis) + 0.1f);
}

TEST_F(EqOutputTest, BaselineOfSeveralLinesIsAtHalfHeightOnlyWhenAsked) {
    addLines(3);
    gp::RecordingGraphics g;
    const float top = eq.settings.fontSize * 4 * spacing(SpacingPictureMarginTop);
    {
        context.options = OptHalfHeightBaseline;
        const EqPictureMetrics m = DrawEquationPicture(context, g, &eq, 4.0f);
        EXPECT_NEAR(m.baseline(), top + eq.totalHeight / 2, 1e-3);
    }
    {
        context.options = 0;
        const EqPictureMetrics m = DrawEquationPicture(context, g, &eq, 4.0f);
        EXPECT_NEAR(m.baseline(), top + eq.placements.back().y, 1e-3);
        EXPECT_GT(m.baseline(), top + eq.totalHeight / 2);  // the last line is the lowest
    }
}

TEST_F(EqOutputTest, HalfHeightOptionLeavesOneLineOnItsBaseline) {
    context.options = OptHalfHeightBaseline;
    addLines(1);
    b.text(eq.lines[0], u"g", EqTypeCharItalic);
    EqElement* frac = b.add(eq.lines[0], EqTypeFraction, 2);  // makes the line unsymmetric
    b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharItalic);
    gp::RecordingGraphics g;
    const EqPictureMetrics m = DrawEquationPicture(context, g, &eq, 2.0f);
    EXPECT_NEAR(m.baseline(), eq.settings.fontSize * 2 * spacing(SpacingPictureMarginTop) + eq.placements[0].y, 1e-3);
}

TEST_F(EqOutputTest, BackgroundIsTransparentWithStyleInteger5) {
    addLines(1);
    for (int transparent : {0, 1}) {
        eq.settings.ints[5] = transparent;
        QImage image(400, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            gp::PainterGraphics g(&image);
            DrawEquationPicture(context, g, &eq, 1.0f);
        }
        const QRgb corner = image.pixel(0, 0);
        if (transparent) EXPECT_EQ(qAlpha(corner), 0);
        else EXPECT_EQ(corner, QColor::fromRgba(eq.settings.colours[EqLayoutSettings::ColourBackground]).rgba());
    }
}

// A measurer that fails part-way through a layout.
class FailingMeasurer final : public TextMeasurer {
public:
    TextMeasure Measure(EqModel*, gp::Graphics*, const EqFont*, const QString&, float, int) override {
        throw std::runtime_error("measuring failed");
    }
};

TEST_F(EqOutputTest, OutputPassesGiveTheSizesBack) {
    addLines(2);
    const float fontSize = eq.settings.fontSize, size2 = eq.settings.size2;
    gp::RecordingGraphics g;
    DrawEquationPicture(context, g, &eq, 3.0f);
    EXPECT_EQ(eq.settings.fontSize, fontSize);
    EXPECT_EQ(eq.settings.size2, size2);
    DrawEquation(context, {5, 5}, g, &eq, 2.0f, true, true);
    EXPECT_EQ(eq.settings.fontSize, fontSize);
    EXPECT_EQ(eq.settings.size2, size2);
    EXPECT_EQ(eq.markHighlight, 1);

    // A pass that fails between scaling and drawing leaves no scaled size
    // behind to be saved, and no cache drawn at the scaled size.
    for (EqElement* head : eq.lines) head->lineBitmap = std::make_unique<QImage>(4, 4, QImage::Format_ARGB32);
    FailingMeasurer failing;
    context.measurer = &failing;
    EXPECT_THROW(DrawEquationPicture(context, g, &eq, 3.0f), std::runtime_error);
    EXPECT_EQ(eq.settings.fontSize, fontSize);
    EXPECT_EQ(eq.settings.size2, size2);
    for (EqElement* head : eq.lines) EXPECT_FALSE(head->lineBitmap);
    EXPECT_THROW(DrawEquation(context, {0, 0}, g, &eq, 3.0f, false, false), std::runtime_error);
    EXPECT_EQ(eq.settings.fontSize, fontSize);
    EXPECT_EQ(eq.settings.size2, size2);
}

// Every entry point lends its context for the pass only: afterwards, and
// after a pass that fails, the equation holds none, and a context lent
// around the call comes back.
TEST_F(EqOutputTest, PassesLendTheirContextOnlyForThePass) {
    addLines(2);
    EqElement* head = eq.lines[0];
    const std::pair<const char*, std::function<void()>> passes[] = {
        {"LayoutLines", [&] { LayoutLines(context, &eq, nullptr, 1.0f, 0, false); }},
        {"LayoutElement", [&] { LayoutElement(context, head, nullptr, 1.0f, 0); }},
        {"LayoutForOutput", [&] { gp::RecordingGraphics g; LayoutForOutput(context, &g, &eq, {0, 0}, 1.0f); }},
        {"DrawElement", [&] { gp::RecordingGraphics g; DrawElement(context, head, g, 0, 50, nullptr, 1.0f, false); }},
        {"DrawEquation", [&] { gp::RecordingGraphics g; DrawEquation(context, {0, 0}, g, &eq, 1.0f, false, false); }},
        {"DrawEquationPicture", [&] { gp::RecordingGraphics g; DrawEquationPicture(context, g, &eq, 1.0f); }},
        {"DrawEquationView", [&] { DrawEquationView(context, {0, 0, 400, 300}, &eq, nullptr, 1.0f, false, nullptr); }},
    };
    FailingMeasurer failing;
    RenderContext failingContext = context;
    failingContext.measurer = &failing;
    for (const auto& [name, pass] : passes) {
        SCOPED_TRACE(name);
        pass();
        EXPECT_EQ(eq.renderContext, nullptr);
        {
            const RenderScope outer(&eq, failingContext);
            pass();
            EXPECT_EQ(eq.renderContext, &failingContext);
        }
        EXPECT_EQ(eq.renderContext, nullptr);
    }
    EXPECT_THROW(LayoutLines(failingContext, &eq, nullptr, 1.0f, 0, false), std::runtime_error);
    EXPECT_EQ(eq.renderContext, nullptr);
}

// A calculation result is filled with the context's result colour when its
// option word asks for it, except in a metafile when it asks for none there.
TEST_F(EqOutputTest, ResultFillFollowsTheContextsOptions) {
    EqElement* line = b.line();
    EqElement* result = b.add(line, EqTypeCalcResult, 1);
    b.text(EqBuilder::arg(result, 0), u"3.5", EqTypeCharUpright);
    context.resultBackColour = 0x123456;
    const gp::ARGB fill = gp::ArgbFromColorref(0x123456);
    struct Case {
        uint32_t options;
        bool metafile;
        bool filled;
    };
    const Case cases[] = {
        {OptFillResultBox, false, true},
        {0, false, false},
        {OptFillResultBox | OptNoResultFillInMetafile, false, true},
        {OptFillResultBox | OptNoResultFillInMetafile, true, false},
        {OptFillResultBox, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.options << (c.metafile ? " metafile" : ""));
        context.options = c.options;
        eq.outlineText = c.metafile ? 1 : 0;
        gp::RecordingGraphics g;
        DrawEquation(context, {0, 0}, g, &eq, 1.0f, false, false);
        const bool found = std::any_of(g.ops.begin(), g.ops.end(),
                                       [&](const auto& op) { return op.kind == "fill" && op.colour == fill; });
        EXPECT_EQ(found, c.filled);
    }
}

TEST_F(EqOutputTest, DrawEquationDrawsFromTheOriginAndFramesOnRequest) {
    addLines(2);
    eq.settings.options[EqLayoutSettings::OptLineAlignment] = 0;  // left
    gp::RecordingGraphics plain;
    DrawEquation(context, {30, 40}, plain, &eq, 2.0f, false, false);
    EXPECT_NEAR(eq.lines[0]->origin.x, 30, 1e-3);
    EXPECT_NEAR(eq.lines[0]->origin.y, 40, 1e-3);
    EXPECT_EQ(eq.markHighlight, 0);

    gp::RecordingGraphics framed;
    DrawEquation(context, {30, 40}, framed, &eq, 2.0f, false, true);
    ASSERT_FALSE(framed.ops.empty());
    const auto& frame = framed.ops.front();
    EXPECT_EQ(frame.kind, "stroke");
    EXPECT_EQ(frame.colour, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(frame.pen.width, 0.25f);
    EXPECT_EQ(framed.ops.size(), plain.ops.size() + 1);
}

// ---- the editing view

class EqViewTest : public EqOutputTest {
protected:
    static constexpr float kScale = 4.0f;

    EqViewTest() : dc(600, 2000, QImage::Format_ARGB32_Premultiplied) { dc.fill(Qt::white); }

    void layout() { LayoutLines(context, &eq, nullptr, kScale, 0, true); }
    bool draw(gp::RectF view, const EqElement* keep = nullptr, bool separators = false) {
        QPainter painter(&dc);
        return DrawEquationView(context, view, &eq, &painter, kScale, separators, keep);
    }
    std::vector<qint64> cacheKeys() const {
        std::vector<qint64> keys;
        for (const EqElement* head : eq.lines) keys.push_back(head->lineBitmap ? head->lineBitmap->cacheKey() : 0);
        return keys;
    }
    // Whether any pixel of the band of rows differs from white.
    bool inked(int top, int bottom) const {
        for (int y = std::max(0, top); y < std::min(bottom, dc.height()); ++y)
            for (int x = 0; x < dc.width(); ++x)
                if (dc.pixel(x, y) != qRgb(255, 255, 255)) return true;
        return false;
    }

    QImage dc;
};

TEST_F(EqViewTest, OnlyTheInvalidatedLineIsDrawnAgain) {
    addLines(5);
    layout();
    ASSERT_TRUE(draw({0, 0, 600, 2000}));
    const std::vector<qint64> before = cacheKeys();
    for (qint64 key : before) EXPECT_NE(key, 0);

    InvalidateLineCache(&eq, eq.lines[2]->next);
    layout();
    ASSERT_TRUE(draw({0, 0, 600, 2000}));
    const std::vector<qint64> after = cacheKeys();
    for (size_t i = 0; i < after.size(); ++i) {
        if (i == 2) EXPECT_NE(after[i], before[i]);
        else EXPECT_EQ(after[i], before[i]) << "line " << i;
    }
    // Every line was copied to the view, and its boxes moved with it.
    for (const LinePlacement& p : eq.placements) {
        EXPECT_TRUE(p.visible);
        EXPECT_TRUE(inked(int(p.y - p.ascent), int(p.y + p.descent)));
        EXPECT_NEAR(p.head->next->rect.x, p.x, 1e-3);
        EXPECT_NEAR(p.head->origin.y, p.y - p.ascent, 1e-3);
    }
    EXPECT_EQ(eq.flag1, 0);
    EXPECT_EQ(eq.outputMode, 0);
    EXPECT_EQ(eq.phantomColour, eq.settings.colours[EqLayoutSettings::ColourPhantom]);
}

TEST_F(EqViewTest, LinesOutsideTheViewAreOnlyPlaced) {
    addLines(6);
    layout();
    const float lineBottom = eq.lines[0]->chainAscent + eq.lines[0]->chainDescent;
    // Scrolled down past the first line; the view is as high as one line.
    const gp::RectF view{0, -lineBottom - eq.settings.spacing[SpacingLineGap] * eq.settings.fontSize * kScale - 1, 600,
                         lineBottom};
    EXPECT_FALSE(draw(view, eq.lines[0]->next));
    EXPECT_FALSE(draw(view, eq.lines[5]->next));
    EXPECT_TRUE(draw(view, eq.lines[1]->next));

    int shown = 0;
    for (const LinePlacement& p : eq.placements) {
        const bool outside = p.y + p.descent < 0 || p.y - p.ascent > view.height;
        EXPECT_EQ(p.visible, !outside);
        EXPECT_EQ(bool(p.head->lineBitmap), !outside) << "culled lines get no bitmap";
        // Placed all the same, for caret and hit testing.
        EXPECT_NEAR(p.head->next->rect.x, p.x, 1e-3);
        EXPECT_NEAR(p.head->next->rect.y, p.y - p.head->next->ascent, 1e-3);
        shown += p.visible;
    }
    EXPECT_GE(shown, 1);
    EXPECT_LE(shown, 2);
    float drawnBottom = 0;
    for (const LinePlacement& p : eq.placements)
        if (p.visible) drawnBottom = std::max(drawnBottom, p.y + p.descent + 2);
    EXPECT_FALSE(inked(int(std::ceil(drawnBottom)) + 1, dc.height()));
}

TEST_F(EqViewTest, ACachedLineKeepsItsInnerBoxesWhenScrolledOutAndBack) {
    addLines(2);
    layout();
    const EqElement* first = eq.lines[1]->next;
    const EqElement* numerator = EqBuilder::arg(FindChainEnd(eq.lines[1]), 0)->next;
    ASSERT_TRUE(draw({0, 0, 600, 2000}));
    const gp::RectF drawnFirst = first->rect, drawnNumerator = numerator->rect;
    ASSERT_TRUE(eq.lines[1]->lineBitmap);

    ASSERT_TRUE(draw({0, -5000, 600, 2000}));  // both lines outside
    EXPECT_NEAR(first->rect.y, drawnFirst.y - 5000, 1e-2);
    EXPECT_NEAR(numerator->rect.y, drawnNumerator.y - 5000, 1e-2);
    ASSERT_TRUE(draw({0, 0, 600, 2000}));  // back, from the cache
    for (const auto& [e, drawn] : {std::pair{first, drawnFirst}, std::pair{numerator, drawnNumerator}}) {
        EXPECT_NEAR(e->rect.x, drawn.x, 1e-2);
        EXPECT_NEAR(e->rect.y, drawn.y, 1e-2);
    }
}

TEST_F(EqViewTest, LinesAreDrawnAtTheViewScale) {
    // The ticks of a width-only phantom's mark reach 0.15 em of the drawing
    // size above and below the baseline.
    EqElement* line = b.line();
    EqElement* phantom = b.text(line, u"x", EqTypeCharItalic);
    SetPhantomKind(phantom, PhantomHorizontal, false);
    b.text(line, u"b", EqTypeCharItalic);
    layout();
    ASSERT_TRUE(draw({0, 0, 600, 2000}));
    const QImage& bitmap = *line->lineBitmap;
    const LinePlacement& p = eq.placements[0];
    const int column = int(phantom->rect.x - p.x) + 1;
    int rows = 0;
    const QRgb background = bitmap.pixel(bitmap.width() - 1, 0);
    for (int y = 0; y < bitmap.height(); ++y) rows += bitmap.pixel(column, y) != background ? 1 : 0;
    const float tick = eq.settings.fontSize * 0.15f * kScale;
    EXPECT_GE(rows, int(2 * tick) - 2);
    EXPECT_LE(rows, int(2 * tick) + 3);
}

TEST_F(EqViewTest, ALineTooLargeForABitmapIsDrawnDirectly) {
    addLines(1);
    layout();
    EqElement* head = eq.lines[0];
    head->chainWidth = kMaxLineBitmapSide + 100.0f;  // as wide as a very long line
    EXPECT_TRUE(draw({0, 0, 600, 2000}));
    EXPECT_FALSE(head->lineBitmap);
    EXPECT_TRUE(eq.placements[0].visible);
    EXPECT_TRUE(inked(0, int(head->chainAscent + head->chainDescent)));
    EXPECT_NEAR(head->next->rect.x, eq.placements[0].x, 1e-3);
}

TEST_F(EqViewTest, SeparatorsAreDottedRulesBetweenLines) {
    addLines(2);
    layout();
    ASSERT_TRUE(draw({0, 0, 300, 2000}, nullptr, true));
    const QRgb dot = QColor::fromRgba(gp::ArgbFromColorref(0xF0DCDC)).rgba();
    const float gap = eq.viewLineGap;
    ASSERT_GT(gap, 4);
    for (const LinePlacement& p : eq.placements) {
        const int y = int(std::floor(p.y + p.descent + gap / 2));
        EXPECT_EQ(dc.pixel(0, y), dot);
        EXPECT_EQ(dc.pixel(1, y), qRgb(255, 255, 255));
        const int end = 300 + int(8 * kScale);  // the view's width + 8 x scale
        EXPECT_EQ(dc.pixel(end - 2, y), dot);
        EXPECT_EQ(dc.pixel(end, y), qRgb(255, 255, 255));
    }
}

}  // namespace
}  // namespace toliva
