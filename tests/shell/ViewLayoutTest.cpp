// The main view's layout arithmetic: the children's rectangles for window
// sizes, scales, modes and options; the splitter drags; the drop's automatic
// scrolling; the strip's press and release; the main tool bar's states.
#include "shell/layout/ViewLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace toliva {
namespace {

// A rectangle from its edges, right and bottom exclusive.
QRect edges(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }
int rightOf(const QRect& r) { return r.x() + r.width(); }
int bottomOf(const QRect& r) { return r.y() + r.height(); }

ViewLayoutInput input(int w, int h, float scale, bool panel, int mode, bool onTop, bool topLine,
                      float panelRatio = 0.25f, float texRatio = 0.5f) {
    ViewLayoutInput in;
    in.client = QSize(w, h);
    in.uiScale = scale;
    in.panelShown = panel;
    in.libraryPanelRatio = panelRatio;
    in.texPaneRatio = texRatio;
    in.viewMode = mode;
    in.barsOnTop = onTop;
    in.topLine = topLine;
    return in;
}

TEST(ViewLayoutTest, RectanglesForSizesScalesModesAndOptions) {
    struct Case {
        const char* name;
        ViewLayoutInput in;
        int minTrack;
        float panelRatio, texRatio;
        QRect sheet, toolbar, strip, latexToolbar, latexPane, panel, splitter;
    };
    const QRect none;
    const Case cases[] = {
        {"1200x800 bars below, panel, top line", input(1200, 800, 1.0f, true, 0, false, true), 760, 0.25f, 0.5f,
         edges(0, 1, 900, 571), edges(0, 572, 900, 612), edges(0, 611, 900, 811), none, none,
         edges(906, 1, 1200, 800), edges(900, 1, 906, 800)},
        {"1200x800 bars below at 1.5", input(1200, 800, 1.5f, true, 0, false, true), 760, 0.25f, 0.5f,
         edges(0, 1, 900, 478), edges(0, 479, 900, 531), edges(0, 530, 900, 811), none, none,
         edges(906, 1, 1200, 800), edges(900, 1, 906, 800)},
        {"960x640 bars on top at 1.5, no panel", input(960, 640, 1.5f, false, 0, true, false), 600, 0.25f, 0.5f,
         edges(0, 322, 960, 640), edges(0, 0, 960, 52), edges(0, 51, 960, 321), none, none, none, none},
        {"960x640 bars on top, panel, top line", input(960, 640, 1.0f, true, 0, true, true), 760, 0.25f, 0.5f,
         edges(0, 230, 720, 640), edges(0, 1, 720, 41), edges(0, 40, 720, 229), none, none,
         edges(726, 1, 960, 640), edges(720, 1, 726, 640)},
        {"1200x800 LaTeX mode, panel", input(1200, 800, 1.0f, true, 1, false, true), 760, 0.25f, 0.5f,
         edges(0, 1, 900, 380), none, none, edges(0, 381, 900, 421), edges(0, 421, 900, 800),
         edges(906, 1, 1200, 800), edges(900, 1, 906, 800)},
        {"LaTeX ratio 0.9 is laid out and kept as 0.8",
         input(1200, 800, 1.5f, false, 1, true, false, 0.25f, 0.9f), 600, 0.25f, 0.8f, edges(0, 0, 1200, 620), none,
         none, edges(0, 621, 1200, 673), edges(0, 673, 1200, 800), none, none},
        {"LaTeX ratio 0.1 becomes 0.2", input(1000, 700, 1.0f, false, 1, false, false, 0.25f, 0.1f), 600, 0.25f,
         0.2f, edges(0, 0, 1000, 120), none, none, edges(0, 121, 1000, 161), edges(0, 161, 1000, 700), none, none},
        // 0.25 of 700 is 175, but the sheet keeps 600: the panel gets 100.
        {"700 wide with 0.25", input(700, 600, 1.0f, true, 0, false, false), 760, 100.0f / 700, 0.5f,
         edges(0, 0, 600, 371), edges(0, 372, 600, 412), edges(0, 411, 600, 611), none, none,
         edges(606, 0, 700, 600), edges(600, 0, 606, 600)},
        {"720 wide with 0.8", input(720, 600, 1.0f, true, 0, false, false, 0.8f), 760, 1.0f / 6, 0.5f,
         edges(0, 0, 600, 371), edges(0, 372, 600, 412), edges(0, 411, 600, 611), none, none,
         edges(606, 0, 720, 600), edges(600, 0, 606, 600)},
        {"narrower than 600: the panel gets nothing", input(500, 300, 1.0f, true, 0, false, false), 760, 0.0f,
         0.5f, edges(0, 0, 500, 71), edges(0, 72, 500, 112), edges(0, 111, 500, 311), none, none,
         edges(500, 0, 500, 300), edges(500, 0, 500, 300)},
        {"lower than the bars: the sheet keeps its top", input(400, 100, 1.0f, false, 0, false, false), 600, 0.25f,
         0.5f, edges(0, 0, 400, 0), edges(0, 1, 400, 41), edges(0, 40, 400, 240), none, none, none, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ViewLayout l = ComputeViewLayout(c.in);
        EXPECT_EQ(l.minTrackWidth, c.minTrack);
        EXPECT_FLOAT_EQ(l.libraryPanelRatio, c.panelRatio);
        EXPECT_FLOAT_EQ(l.texPaneRatio, c.texRatio);
        EXPECT_EQ(l.sheet, c.sheet);
        EXPECT_EQ(l.mainToolbar, c.toolbar);
        EXPECT_EQ(l.strip, c.strip);
        EXPECT_EQ(l.latexToolbar, c.latexToolbar);
        EXPECT_EQ(l.latexPane, c.latexPane);
        EXPECT_EQ(l.sidePanel, c.panel);
        EXPECT_EQ(l.splitter, c.splitter);
    }
}

// Over every combination: nothing overlaps but the strip's designed one
// row over the tool bar, nothing has a negative side, the parts fill the
// width, and laying out again with the ratio written back changes nothing.
TEST(ViewLayoutTest, PartsNeverOverlapAndARelayoutIsStable) {
    const std::vector<QSize> sizes = {{600, 400}, {760, 640}, {960, 640}, {1200, 800}, {1366, 768}, {1920, 1080}};
    const float ratios[] = {0.1f, 0.25f, 0.37f, 0.8f};
    for (QSize size : sizes)
        for (float scale : {1.0f, 1.25f, 1.5f, 2.0f})
            for (float ratio : ratios)
                for (int mode : {0, 1})
                    for (bool panel : {false, true})
                        for (bool onTop : {false, true})
                            for (bool topLine : {false, true}) {
                                SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << " s" << scale
                                                                << " r" << ratio << " mode" << mode << " panel" << panel
                                                                << " top" << onTop << " line" << topLine);
                                ViewLayoutInput in =
                                    input(size.width(), size.height(), scale, panel, mode, onTop, topLine, ratio, ratio);
                                const ViewLayout l = ComputeViewLayout(in);
                                for (const QRect& r : {l.sheet, l.mainToolbar, l.strip, l.latexToolbar, l.latexPane,
                                                       l.sidePanel, l.splitter}) {
                                    EXPECT_GE(r.width(), 0);
                                    EXPECT_GE(r.height(), 0);
                                }
                                const int editRight = rightOf(l.sheet);
                                if (panel && size.width() < 760) {
                                    // Too narrow for the panel beside the sheet's 600.
                                    EXPECT_EQ(editRight, size.width());
                                } else if (panel) {
                                    EXPECT_EQ(l.splitter.x(), editRight);
                                    EXPECT_EQ(l.splitter.width(), 6);
                                    EXPECT_EQ(l.sidePanel.x(), rightOf(l.splitter));
                                    EXPECT_EQ(rightOf(l.sidePanel), size.width());
                                    const int share = size.width() - editRight;
                                    EXPECT_GE(share, 160);
                                    EXPECT_LE(share, size.width() - 600);
                                    EXPECT_EQ(std::lround(l.libraryPanelRatio * size.width()), share);
                                } else {
                                    EXPECT_EQ(editRight, size.width());
                                    EXPECT_TRUE(l.sidePanel.isNull());
                                }
                                const QRect& first = (mode == 1 || !onTop) ? l.sheet : l.mainToolbar;
                                EXPECT_EQ(first.y(), topLine ? 1 : 0);
                                if (mode == 0) {
                                    EXPECT_FALSE(l.sheet.intersects(l.mainToolbar));
                                    EXPECT_FALSE(l.sheet.intersects(l.strip));
                                    EXPECT_EQ(l.strip.y(), bottomOf(l.mainToolbar) - 1);
                                    EXPECT_EQ(rightOf(l.strip), editRight);
                                    if (!onTop) {
                                        EXPECT_EQ(l.mainToolbar.y(), bottomOf(l.sheet) + 1);
                                    }
                                } else {
                                    EXPECT_GE(l.texPaneRatio, 0.2f);
                                    EXPECT_LE(l.texPaneRatio, 0.8f);
                                    EXPECT_EQ(l.latexToolbar.y(), bottomOf(l.sheet) + 1);
                                    EXPECT_EQ(l.latexPane.y(), bottomOf(l.latexToolbar));
                                    EXPECT_EQ(bottomOf(l.latexPane), size.height());
                                }
                                in.libraryPanelRatio = l.libraryPanelRatio;
                                in.texPaneRatio = l.texPaneRatio;
                                const ViewLayout again = ComputeViewLayout(in);
                                EXPECT_EQ(again.sheet, l.sheet);
                                EXPECT_EQ(again.sidePanel, l.sidePanel);
                                EXPECT_EQ(again.latexPane, l.latexPane);
                                EXPECT_FLOAT_EQ(again.libraryPanelRatio, l.libraryPanelRatio);
                            }
}

// Every layout writes the ratio back as panel width / W; read again, it must
// give the same width (251 / 1000 as a float times 1000 is just below 251).
TEST(ViewLayoutTest, ThePanelKeepsItsWidthOverRepeatedLayouts) {
    for (const auto& [width, panel] : {std::pair{1000, 251}, std::pair{1366, 205}, std::pair{1920, 254}}) {
        SCOPED_TRACE(width);
        ViewLayoutInput in = input(width, 800, 1.0f, true, 0, false, false, float(panel) / float(width));
        for (int i = 0; i < 20; ++i) {
            const ViewLayout l = ComputeViewLayout(in);
            ASSERT_EQ(width - rightOf(l.sheet), panel);
            in.libraryPanelRatio = l.libraryPanelRatio;
        }
    }
}

TEST(ViewLayoutTest, SidePanelSplitterDrag) {
    struct Case {
        int width, startX, x;
        float expected;
    };
    const Case cases[] = {
        {1200, 903, 803, 400.0f / 1200},  // 100 to the left: 300 + 100
        {1200, 903, 1003, 200.0f / 1200},
        {1200, 903, 1190, 160.0f / 1200},  // at least 160
        {1200, 903, 0, 600.0f / 1200},     // the sheet keeps 600
        {700, 603, 603, 160.0f / 700},     // 160 wins; the layout narrows it to 100
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_FLOAT_EQ(DragLibraryPanelRatio(0.25f, c.width, c.startX, c.x), c.expected);
    }
}

TEST(ViewLayoutTest, LaTeXSplitterFollowsTheMouseAndStaysWithinItsRange) {
    ViewLayoutInput in = input(1200, 800, 1.0f, false, 1, false, false);
    const int start = bottomOf(ComputeViewLayout(in).sheet);
    for (int dy : {-200, -37, 0, 55, 150}) {
        SCOPED_TRACE(dy);
        ViewLayoutInput moved = in;
        moved.texPaneRatio = DragTeXPaneRatio(in.texPaneRatio, 800, start, start + dy);
        EXPECT_NEAR(bottomOf(ComputeViewLayout(moved).sheet), start + dy, 1);
    }
    // Far down the pane keeps a fifth, far up the sheet does.
    in.texPaneRatio = DragTeXPaneRatio(0.5f, 800, start, 790);
    EXPECT_GT(in.texPaneRatio, 0.8f);
    EXPECT_FLOAT_EQ(ComputeViewLayout(in).texPaneRatio, 0.8f);
    in.texPaneRatio = DragTeXPaneRatio(0.5f, 800, start, 5);
    EXPECT_FLOAT_EQ(ComputeViewLayout(in).texPaneRatio, 0.2f);
}

TEST(ViewLayoutTest, DropScrollCounter) {
    // (distance from the top, distance from the bottom) -> counter, step.
    struct Step {
        int fromLow, fromHigh;
        int counter, scroll;
    };
    const std::vector<Step> steps = {
        {300, 10, 1, 0},  {300, 10, 2, 0},     {300, 0, 3, 0},       {300, 49, 4, 0},   {300, 10, 5, 5},
        {300, 10, 6, 6},  {300, 50, 0, 0},     // the middle stops it
        {0, 300, -1, 0},  {10, 300, -2, 0},    {10, 300, -3, 0},     {10, 300, -4, 0},  {10, 300, -5, -5},
        {10, 300, -6, -6},
        // Straight to the other edge (a low sheet): counting starts afresh.
        {60, 20, 1, 0},   {-1, 20, 0, 0},      // outside the sheet
        {20, -3, 0, 0},
    };
    AutoScroll scroll;
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(scroll.Step(steps[i].fromLow, steps[i].fromHigh), steps[i].scroll);
        EXPECT_EQ(scroll.counter, steps[i].counter);
    }
    // The counter stops at 20 and -20.
    for (int i = 0; i < 40; ++i) scroll.Step(500, 3);
    EXPECT_EQ(scroll.Step(500, 3), 20);
    for (int i = 0; i < 40; ++i) scroll.Step(3, 500);
    EXPECT_EQ(scroll.Step(3, 500), -20);
}

TEST(ViewLayoutTest, StripReleaseTakesThePressedKeyOverItsCellOrTheSheet) {
    const SymbolKey a{4, 'a', 0}, b{4, 'b', 0};
    struct Case {
        std::optional<SymbolKey> pressed, released;
        bool overSheet;
        std::optional<SymbolKey> taken;
    };
    const Case cases[] = {
        {a, a, false, a},                      // a click on a cell
        {a, b, false, std::nullopt},           // released over another cell
        {a, std::nullopt, true, a},            // dragged into the sheet
        {a, std::nullopt, false, std::nullopt},  // dropped beside everything
        {std::nullopt, a, false, std::nullopt},  // no press on a cell
        {std::nullopt, std::nullopt, true, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(StripReleaseKey(c.pressed, c.released, c.overSheet), c.taken);
}

TEST(ViewLayoutTest, MainToolbarStates) {
    struct Case {
        int mode;
        bool firstOption, embedded;
        int alignment;
        std::map<int, int> expected;
    };
    const Case cases[] = {
        {1, false, false, 0, {{3, 1}, {17, 1}, {18, 1}, {25, 21}, {26, 1}, {27, 1}, {28, 1}, {31, 1}}},
        {2, false, false, 1, {{3, 1}, {17, 1}, {18, 21}, {25, 1}, {26, 21}, {27, 1}, {28, 1}, {31, 1}}},
        {3, true, false, 2, {{3, 1}, {17, 21}, {18, 1}, {25, 1}, {26, 1}, {27, 21}, {28, 1}, {31, 21}}},
        {4, false, true, 3, {{3, 0}, {17, 21}, {18, 21}, {25, 1}, {26, 1}, {27, 1}, {28, 21}, {31, 1}}},
        {16, false, false, -1, {{3, 1}, {17, 1}, {18, 1}, {25, 1}, {26, 1}, {27, 1}, {28, 1}, {31, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(MainToolbarStates(c.mode, c.firstOption, c.embedded, c.alignment), c.expected);
    }
}

}  // namespace
}  // namespace toliva
