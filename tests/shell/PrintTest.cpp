// The page layout of printing: paper sizes and scales, the remembered
// choices, and the lines of an equation laid over pages with their footers,
// printed and in the preview.
#include "shell/print/PrintLayout.h"

#include "ShellTestSupport.h"

#include "model/EqBuilder.h"
#include "model/EqDraw.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "platform/RegKey.h"
#include "platform/gdiplus/Graphics.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/RecordingChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace toliva {
namespace {

constexpr float kA4Width = 826.7717f, kA4Height = 1169.2913f;

TEST(PrintPaper, SizesInHundredthsOfAnInch) {
    struct Case {
        int index, orientation;
        int code;
        float width, height;
    };
    const Case cases[] = {
        {0, PaperPortrait, 1, 850.0f, 1100.0f},         // Letter
        {1, PaperPortrait, 3, 1100.0f, 1700.0f},        // Tabloid
        {2, PaperPortrait, 6, 550.0f, 850.0f},          // Statement
        {3, PaperPortrait, 8, 1169.2913f, 1653.5433f},  // A3
        {4, PaperPortrait, 9, kA4Width, kA4Height},
        {4, PaperLandscape, 9, kA4Height, kA4Width},
        {5, PaperPortrait, 11, 582.6772f, kA4Width},    // A5
        {6, PaperPortrait, 12, 984.2520f, 1393.7008f},  // B4 (JIS)
        {7, PaperPortrait, 13, 716.5354f, 1011.8110f},  // B5 (JIS)
        {8, PaperLandscape, 20, 950.0f, 412.5f},        // Envelope #10
        {9, PaperPortrait, 9, kA4Width, kA4Height},     // outside the table: A4
        {-1, PaperLandscape, 9, kA4Height, kA4Width},
        {0, 7, 1, 1100.0f, 850.0f},                     // any orientation but portrait swaps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "paper " << c.index << " orientation " << c.orientation);
        EXPECT_EQ(PaperAt(c.index).code, c.code);
        const gp::SizeF size = GetPaperSize(c.index, c.orientation);
        EXPECT_NEAR(size.width, c.width, 0.01);
        EXPECT_NEAR(size.height, c.height, 0.01);
    }
}

TEST(PrintPaper, ScaleList) {
    const float factors[] = {1.0f, -1, 0.25f, 0.5f, 1.2f, 1.5f, 2.0f, 3.0f, 4.0f, 5.0f};
    for (int i = 0; i < kScaleCount; ++i) {
        if (i == kScaleFitWidth) continue;
        EXPECT_FLOAT_EQ(PrintScale(i, kA4Width, 500), factors[i]) << i;
    }
    EXPECT_FLOAT_EQ(PrintScale(-1, kA4Width, 500), 1.0f);
    EXPECT_FLOAT_EQ(PrintScale(kScaleCount, kA4Width, 500), 1.0f);
    EXPECT_NEAR(PrintScale(kScaleFitWidth, kA4Width, 500), 1.5335, 1e-4);
    // An empty equation counts as one unit wide.
    EXPECT_NEAR(PrintScale(kScaleFitWidth, kA4Width, 0), kA4Width - 60, 1e-3);
}

TEST(PrintPaper, PreviewFitStaysPositive) {
    const gp::SizeF a4{kA4Width, kA4Height};
    EXPECT_NEAR(PreviewFitFactor({439, 469}, a4), (469 - 50) / kA4Height, 1e-6);
    EXPECT_NEAR(PreviewFitFactor({400, 2000}, a4), (400 - 50) / kA4Width, 1e-6);
    // Areas too small for the border, and a page of no size.
    for (gp::SizeF area : {gp::SizeF{40, 469}, gp::SizeF{439, 50}, gp::SizeF{0, 0}})
        EXPECT_FLOAT_EQ(PreviewFitFactor(area, a4), kMinPreviewFit);
    EXPECT_GT(PreviewFitFactor({439, 469}, {0, 0}), 0.0f);
}

class PrintChoicesTest : public test::ShellFixture {};

TEST_F(PrintChoicesTest, DefaultsAndRoundTrip) {
    EXPECT_EQ(ReadPrintChoices(), PrintChoices{});
    EXPECT_EQ(PrintChoices{}.centered, 1);
    const PrintChoices chosen{2, 1, 4, 1, 9, 0};
    ASSERT_TRUE(StorePrintChoices(chosen));
    EXPECT_EQ(ReadPrintChoices(), chosen);

    RegKey key;
    ASSERT_TRUE(OpenRegKey(QStringLiteral("Software\\Toliva\\Print"), key));
    const std::pair<const char*, int> values[] = {{"sel_printer", 2},      {"sel_color", 1}, {"sel_paper_size", 4},
                                                  {"sel_paper_layout", 1}, {"sel_scale", 9}, {"print_centered", 0}};
    for (const auto& [name, want] : values) {
        int got = -7;
        EXPECT_TRUE(ReadRegDword(key, QString::fromLatin1(name), got, -7)) << name;
        EXPECT_EQ(got, want) << name;
    }
}

// ---- pages

// Keeps where every page starts and ends in the graphics' record, and every
// footer with the transform it was drawn under.
class RecordingSink : public PrintPageSink {
public:
    explicit RecordingSink(gp::RecordingGraphics& g) : m_g(g) {}

    struct Page {
        size_t firstOp = 0, endOp = 0;
    };
    struct Footer {
        QString text;
        gp::PointF at;
        gp::Matrix transform;
        size_t op = 0;
    };

    void startPage() override { pages.push_back({m_g.ops.size(), m_g.ops.size()}); }
    void endPage() override { pages.back().endOp = m_g.ops.size(); }
    void drawFooter(gp::Graphics& g, const PageFooter& footer) override {
        footers.push_back({footer.text, footer.at, g.GetTransform(), m_g.ops.size()});
        PrintPageSink::drawFooter(g, footer);
    }

    std::vector<Page> pages;
    std::vector<Footer> footers;

private:
    gp::RecordingGraphics& m_g;
};

class PrintPages : public ::testing::Test {
protected:
    // lines lines of "x" each, laid out for output at scale 1 from (0, 0).
    void build(int lines) {
        for (int i = 0; i < lines; ++i) b.text(b.line(), u"x", EqTypeCharItalic);
        layout();
    }
    void layout() {
        gp::RecordingGraphics measuring;
        LayoutForOutput(render, &measuring, &eq, {0, 0}, 1.0f);
    }
    float lineStep() const {
        const LinePlacement& p = eq.placements.front();
        return p.ascent + p.descent + eq.settings.spacing[0] * eq.settings.fontSize;
    }
    PageSetup a4(int scale = 0) const {
        PageSetup setup;
        setup.page = GetPaperSize(4, PaperPortrait);
        setup.scaleIndex = scale;
        setup.footerFont = QStringLiteral("Segoe UI");
        setup.footerSize = 15;
        return setup;
    }
    // The ops of the lines (footers left out) between two record positions,
    // each as the lowest and highest y it reaches in device units.
    std::vector<std::pair<float, float>> lineSpans(const gp::RecordingGraphics& g, size_t from, size_t to,
                                                   const RecordingSink& sink) const {
        std::vector<std::pair<float, float>> spans;
        for (size_t i = from; i < to; ++i) {
            const bool footer = std::any_of(sink.footers.begin(), sink.footers.end(),
                                            [&](const RecordingSink::Footer& f) { return f.op == i; });
            if (footer) continue;
            float top = 1e9f, bottom = -1e9f;
            for (gp::PointF p : test::worldPoints(g.ops[i])) {
                top = std::min(top, p.y);
                bottom = std::max(bottom, p.y);
            }
            spans.emplace_back(top, bottom);
        }
        return spans;
    }

    RenderContext render = RenderContext::FromDataFolder();
    EqModel eq{test::builtInStyle()};
    EqBuilder b{&eq};
};

TEST_F(PrintPages, FitToWidthScalesBetweenTheMargins) {
    build(1);
    ASSERT_GT(eq.widestLine, 0);
    eq.widestLine = 500;  // as if the line were 500 units wide
    gp::RecordingGraphics g;
    RecordingSink sink(g);
    EXPECT_EQ(DrawPage(render, g, &eq, a4(kScaleFitWidth), &sink), 1);
    ASSERT_FALSE(sink.footers.empty());
    ASSERT_GT(sink.footers.front().op, 0u);
    const gp::Matrix& lineTransform = g.ops.front().transform;
    EXPECT_NEAR(lineTransform.m11(), (kA4Width - 60) / 500, 1e-4);  // about 1.53
    EXPECT_NEAR(lineTransform.m22(), (kA4Width - 60) / 500, 1e-4);
    EXPECT_NEAR(lineTransform.dx(), 30, 1e-3);  // left-aligned: at the margin
    EXPECT_NEAR(lineTransform.dy(), 30, 1e-3);
    EXPECT_TRUE(g.GetTransform().IsIdentity());
}

TEST_F(PrintPages, LineAlignmentPlacesTheLeftEdge) {
    build(1);
    eq.widestLine = 200;
    const std::pair<int, float> cases[] = {{0, 30}, {1, (kA4Width - 200) / 2}, {2, kA4Width - 30 - 200}, {3, 30}};
    for (const auto& [alignment, x0] : cases) {
        eq.settings.options[EqLayoutSettings::OptLineAlignment] = uint8_t(alignment);
        gp::RecordingGraphics g;
        RecordingSink sink(g);
        DrawPage(render, g, &eq, a4(), &sink);
        ASSERT_FALSE(g.ops.empty());
        EXPECT_NEAR(g.ops.front().transform.dx(), x0, 1e-3) << "alignment " << alignment;
    }
}

// An equation a page and a half long prints on two pages, footers 1 and 2,
// each page's lines between its margins; the preview shows the lines of the
// first page and footer 1.
TEST_F(PrintPages, LinesFlowOverPagesWithFooters) {
    build(1);
    const float available = kA4Height - 60;
    const int lines = int(std::lround(1.5f * available / lineStep()));
    for (int i = 1; i < lines; ++i) b.text(b.line(), u"x", EqTypeCharItalic);
    layout();

    gp::RecordingGraphics g;
    RecordingSink sink(g);
    ASSERT_EQ(DrawPage(render, g, &eq, a4(), &sink), 2);
    ASSERT_EQ(sink.pages.size(), 2u);
    ASSERT_EQ(sink.footers.size(), 2u);
    int printed = 0;
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(testing::Message() << "page " << page + 1);
        const RecordingSink::Footer& footer = sink.footers[size_t(page)];
        EXPECT_EQ(footer.text, QStringLiteral("Page %1").arg(page + 1));
        EXPECT_TRUE(footer.transform.IsIdentity());
        test::expectNear(footer.at, {kA4Width - 30, kA4Height - 30});
        // The footer is the page's: drawn before the page ends.
        EXPECT_GE(footer.op, sink.pages[size_t(page)].firstOp);
        EXPECT_LT(footer.op, sink.pages[size_t(page)].endOp);
        const auto spans = lineSpans(g, sink.pages[size_t(page)].firstOp, sink.pages[size_t(page)].endOp, sink);
        ASSERT_FALSE(spans.empty());
        for (const auto& [top, bottom] : spans) {
            EXPECT_GE(top, 30 - 0.01f);
            EXPECT_LE(bottom, kA4Height - 30 + 0.01f);
        }
        printed += int(spans.size());
    }
    // One op per line: every line printed once.
    EXPECT_EQ(printed, lines);
    const size_t firstPageLines = lineSpans(g, sink.pages[0].firstOp, sink.pages[0].endOp, sink).size();
    EXPECT_GT(firstPageLines, size_t(lines) / 2);

    // The preview under a translated and scaled transform.
    gp::RecordingGraphics preview;
    preview.TranslateTransform(12, 7);
    preview.ScaleTransform(0.4f, 0.4f);
    const gp::Matrix previewTransform = preview.GetTransform();
    EXPECT_EQ(DrawPage(render, preview, &eq, a4(), nullptr), 1);
    EXPECT_EQ(preview.GetTransform(), previewTransform);
    ASSERT_FALSE(preview.ops.empty());
    const gp::RecordingGraphics::Op& footerOp = preview.ops.back();
    EXPECT_EQ(footerOp.shape, "text");
    // The footer is drawn under the preview's transform: inside the previewed
    // page, ending at its right margin, below its bottom margin.
    EXPECT_EQ(footerOp.transform, previewTransform);
    float right = -1e9f, top = 1e9f;
    for (gp::PointF p : test::worldPoints(footerOp)) {
        right = std::max(right, p.x);
        top = std::min(top, p.y);
    }
    EXPECT_LE(right, 12 + 0.4f * (kA4Width - 30) + 0.5f);
    EXPECT_GT(right, 12 + 0.4f * (kA4Width - 30) - 10);
    EXPECT_GE(top, 7 + 0.4f * (kA4Height - 30) - 0.5f);
    EXPECT_LT(top, 7 + 0.4f * kA4Height);
    const size_t previewLines = preview.ops.size() - 1;
    EXPECT_LE(previewLines, firstPageLines);
    EXPECT_GE(previewLines + 1, firstPageLines);
    for (size_t i = 0; i + 1 < preview.ops.size(); ++i)
        for (gp::PointF p : test::worldPoints(preview.ops[i])) EXPECT_LE(p.y, 7 + 0.4f * (kA4Height - 30) + 0.01f);
}

// A line taller than a page still prints, on a page of its own.
TEST_F(PrintPages, TallLineGetsAPageOfItsOwn) {
    build(3);
    eq.placements[1].ascent = 5000;
    gp::RecordingGraphics g;
    RecordingSink sink(g);
    EXPECT_EQ(DrawPage(render, g, &eq, a4(), &sink), 3);
    ASSERT_EQ(sink.footers.size(), 3u);
    EXPECT_EQ(sink.footers[2].text, QStringLiteral("Page 3"));
    EXPECT_EQ(lineSpans(g, 0, g.ops.size(), sink).size(), 3u);
}

// Marked elements print as they are, not highlighted.
TEST_F(PrintPages, MarksAreNotHighlighted) {
    build(1);
    eq.lines[0]->next->mark = 1;
    eq.markHighlight = 1;
    gp::RecordingGraphics g;
    RecordingSink sink(g);
    DrawPage(render, g, &eq, a4(), &sink);
    for (const gp::RecordingGraphics::Op& op : g.ops) EXPECT_NE(op.colour, kMarkHighlightColour);
    EXPECT_EQ(eq.markHighlight, 1);
}

}  // namespace
}  // namespace toliva
