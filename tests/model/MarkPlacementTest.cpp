// Where marks, bars, braces, slashes and dots land, and how far names stand
// from what follows them: formulas read from LaTeX, drawn as a picture, and
// measured on the picture's ink in em of the formula's font size.
#include "EqLayoutTestSupport.h"

#include "model/EqElement.h"
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/EqTypes.h"
#include "model/ShapeOperator.h"
#include "platform/gdiplus/Graphics.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace toliva;

namespace {

constexpr float kScale = 4.0f;
constexpr int kInkAlpha = 96;

// A formula read from LaTeX and drawn as a picture.
struct Drawn {
    std::unique_ptr<EqModel> eq;
    QImage image;
    float em = 0;        // pixels
    std::string problem;

    EqElement* line() const { return eq->lines.empty() ? nullptr : eq->lines.front(); }
};

// Reads latex into eq with the built-in name table.
bool readFormula(const char* latex, EqModel* eq) {
    CTeXCode names;
    TeXReadContext context;
    context.names = &names;
    return ReadLaTeXInto(QString::fromUtf8(latex), eq, context).ok;
}

Drawn draw(const char* latex) {
    Drawn d;
    d.eq = std::make_unique<EqModel>(test::builtInStyle());
    if (!readFormula(latex, d.eq.get())) {
        d.problem = "not read";
        return d;
    }
    gp::RecordingGraphics measuring;
    const EqPictureMetrics m = DrawEquationPicture(test::programContext(), measuring, d.eq.get(), kScale);
    d.image = QImage(int(std::ceil(m.width)), int(std::ceil(m.height)), QImage::Format_ARGB32_Premultiplied);
    d.image.fill(Qt::transparent);
    {
        gp::PainterGraphics g(&d.image);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        DrawEquationPicture(test::programContext(), g, d.eq.get(), kScale);
    }
    d.em = d.eq->settings.fontSize * kScale;
    return d;
}

bool inked(const QImage& image, int x, int y) {
    return qAlpha(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]) >= kInkAlpha;
}

// Inclusive pixel bounds of ink; empty when right < left.
struct Ink {
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    bool empty() const { return right < left; }
    float centreX() const { return (left + right + 1) / 2.0f; }
};

// The ink in the columns [x0, x1) and rows [y0, y1), clipped to the image.
Ink inkIn(const QImage& image, float x0, float x1, float y0 = 0, float y1 = 1e9f) {
    Ink ink;
    const int c0 = std::max(0, int(std::floor(x0))), c1 = std::min(image.width(), int(std::ceil(x1)));
    const int r0 = std::max(0, int(std::floor(y0))), r1 = std::min(image.height(), int(std::ceil(y1)));
    for (int y = r0; y < r1; ++y)
        for (int x = c0; x < c1; ++x) {
            if (!inked(image, x, y)) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

Ink inkOf(const Drawn& d, const EqElement* e) { return inkIn(d.image, e->rect.x, e->rect.right()); }

// The ink inside the boxes of a chain's elements, their antialiased edges
// left out (the boxes of characters are taller than their glyphs).
Ink inkOfChain(const Drawn& d, const EqElement* head) {
    Ink all;
    for (const EqElement* e = head->next; e; e = e->next) {
        const Ink i = inkIn(d.image, e->rect.x, e->rect.right(), e->rect.y + 2, e->rect.bottom() - 2);
        if (i.empty()) continue;
        all.left = std::min(all.left, i.left);
        all.right = std::max(all.right, i.right);
        all.top = std::min(all.top, i.top);
        all.bottom = std::max(all.bottom, i.bottom);
    }
    return all;
}

// The top-level elements of the line in order (the head left out).
std::vector<EqElement*> elements(const Drawn& d) {
    std::vector<EqElement*> out;
    for (EqElement* e = d.line() ? d.line()->next : nullptr; e; e = e->next) out.push_back(e);
    return out;
}

EqElement* firstOfType(EqElement* chainStart, int type) {
    for (EqElement* e = chainStart; e; e = e->next) {
        if (e->type == type) return e;
        for (EqElement* c : e->children)
            if (EqElement* f = firstOfType(c, type)) return f;
    }
    return nullptr;
}

// Horizontal runs of inked columns (each [left, right] inclusive).
std::vector<std::pair<int, int>> columnRuns(const QImage& image, int y0 = 0, int y1 = INT_MAX) {
    std::vector<std::pair<int, int>> runs;
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        bool ink = false;
        for (int y = std::max(0, y0); x < image.width() && y < std::min(image.height(), y1) && !ink; ++y)
            ink = inked(image, x, y);
        if (ink && start < 0) start = x;
        if (!ink && start >= 0) {
            runs.push_back({start, x - 1});
            start = -1;
        }
    }
    return runs;
}

// The longest run of inked pixels in column x between the rows y0 and y1.
int longestRunDown(const QImage& image, int x, int y0, int y1) {
    int best = 0, run = 0;
    for (int y = std::max(0, y0); y <= std::min(image.height() - 1, y1); ++y) {
        run = inked(image, x, y) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

// ---- the bar of an absolute value

struct BarCase {
    const char* latex;
};

class AbsoluteBar : public ::testing::TestWithParam<BarCase> {};

// The plain bar reaches below the baseline as far as a parenthesis does, and
// up as high: "|z|" must not read as "lzl".
TEST_P(AbsoluteBar, ReachesAsFarAsAParenthesis) {
    const Drawn d = draw(GetParam().latex);
    ASSERT_EQ(d.problem, "");
    const EqElement* bar = nullptr;
    const EqElement* paren = nullptr;
    for (EqElement* e : elements(d)) {
        if (IsCharType(e) && e->ch == '|' && !bar) bar = e;
        if (IsCharType(e) && e->ch == '(' && !paren) paren = e;
    }
    ASSERT_TRUE(bar && paren);
    const Ink b = inkOf(d, bar);
    const Ink p = inkOf(d, paren);
    const Ink letter = inkOf(d, bar->next);  // stands on the baseline
    ASSERT_FALSE(b.empty());
    ASSERT_FALSE(letter.empty());
    EXPECT_GT(b.bottom - letter.bottom, 0.15f * d.em) << "the bar stops at the baseline";
    EXPECT_LE(std::abs(b.bottom - p.bottom), 0.09f * d.em);
    EXPECT_LE(std::abs(b.top - p.top), 0.09f * d.em);
}

INSTANTIATE_TEST_SUITE_P(Formulas, AbsoluteBar,
                         ::testing::Values(BarCase{"(|x|)"}, BarCase{"(|x+y|)"}, BarCase{"(\\mathrm{|a|})"}));

// ---- function names and their arguments

struct NameCase {
    const char* latex;
    int last;        // index of the name's last letter among the line's elements
    bool separated;  // a thin space is expected
};

class NameGap : public ::testing::TestWithParam<NameCase> {};

// The white between the last letter of a name and its argument: about a thin
// space (1/6 em) after a function name, the ordinary letter gap elsewhere.
TEST_P(NameGap, SeparatesFunctionNames) {
    const NameCase& c = GetParam();
    const Drawn d = draw(c.latex);
    ASSERT_EQ(d.problem, "");
    const std::vector<EqElement*> all = elements(d);
    ASSERT_GT(int(all.size()), c.last + 1);
    const EqElement* name = all[size_t(c.last)];
    const EqElement* argument = all[size_t(c.last + 1)];
    // The widest run of white columns between the middles of the two.
    int white = 0, run = 0;
    for (int x = int(name->rect.x + name->rect.width / 2); x < int(argument->rect.x + argument->rect.width / 2); ++x) {
        run = inkIn(d.image, float(x), float(x + 1)).empty() ? run + 1 : 0;
        white = std::max(white, run);
    }
    const float gap = white / d.em;
    if (c.separated) {
        EXPECT_GE(gap, 0.12f) << "reads as one word";
        EXPECT_LE(gap, 0.24f);
    } else {
        EXPECT_LT(gap, 0.11f);
    }
}

INSTANTIATE_TEST_SUITE_P(Formulas, NameGap,
                         ::testing::Values(NameCase{"\\sin h", 2, true}, NameCase{"\\det A", 2, true},
                                           NameCase{"\\sin a", 2, true}, NameCase{"\\log x", 2, true},
                                           NameCase{"\\arcsin y", 5, true}, NameCase{"\\sin 2", 2, true},
                                           NameCase{"\\sin\\theta", 2, true}, NameCase{"\\bmod b", 2, true},
                                           NameCase{"\\mathrm{ab}x", 1, false},
                                           NameCase{"\\mathrm{d}x", 0, false}));

// ---- labelled braces

struct BraceTreeCase {
    const char* latex;
    int type;       // of the line's first element
    int innerType;  // of the first element of its first chain, 0 for none
};

class BraceLabel : public ::testing::TestWithParam<BraceTreeCase> {};

// A label on the brace's own side becomes a limit with the brace as its base.
TEST_P(BraceLabel, IsALimitOnTheBracesSide) {
    const BraceTreeCase& c = GetParam();
    EqModel eq(test::builtInStyle());
    ASSERT_TRUE(readFormula(c.latex, &eq));
    const EqElement* first = eq.lines.front()->next;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->type, c.type);
    if (c.innerType) {
        ASSERT_FALSE(first->children.empty());
        ASSERT_NE(first->children[0]->next, nullptr);
        EXPECT_EQ(first->children[0]->next->type, c.innerType);
        EXPECT_EQ(first->children[0]->next->next, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Formulas, BraceLabel,
                         ::testing::Values(BraceTreeCase{"\\overbrace{x+y}^{n}", 177, 216},
                                           BraceTreeCase{"\\underbrace{a+b}_{k}", 179, 232},
                                           BraceTreeCase{"\\overbrace{x+y}^n+1", 177, 216},
                                           // other scripts stay beside the brace
                                           BraceTreeCase{"\\overbrace{x+y}_{n}", 216, 0},
                                           BraceTreeCase{"\\underbrace{a}^{k}", 232, 0},
                                           BraceTreeCase{"\\overbrace{x}^{a}_{b}", 216, 0},
                                           BraceTreeCase{"\\overbrace{x}", 216, 0}));

struct BraceDrawCase {
    const char* latex;
    bool over;
};

class BraceDrawing : public ::testing::TestWithParam<BraceDrawCase> {};

// The label is centred on the brace and clear of it; the brace has a
// visible stroke.
TEST_P(BraceDrawing, CentresTheLabelAndKeepsClear) {
    const BraceDrawCase& c = GetParam();
    const Drawn d = draw(c.latex);
    ASSERT_EQ(d.problem, "");
    const EqElement* brace = firstOfType(d.line(), c.over ? 216 : 232);
    ASSERT_NE(brace, nullptr);
    const EqElement* content = brace->children[0];
    const EqElement* outer = brace->parent;  // the over or under script
    ASSERT_NE(outer, nullptr);
    const EqElement* label = outer->children.back();
    const Ink contentInk = inkOfChain(d, content);
    const Ink labelInk = inkOfChain(d, label);
    ASSERT_FALSE(contentInk.empty());
    ASSERT_FALSE(labelInk.empty());
    // The brace: what lies between the content and the label.
    const Ink braceInk = c.over ? inkIn(d.image, brace->rect.x, brace->rect.right(), labelInk.bottom + 1,
                                        contentInk.top)
                                : inkIn(d.image, brace->rect.x, brace->rect.right(), contentInk.bottom + 1,
                                        labelInk.top);
    ASSERT_FALSE(braceInk.empty());
    EXPECT_LE(std::abs(labelInk.centreX() - braceInk.centreX()), 0.05f * d.em) << "label beside the brace";
    const float labelGap = (c.over ? braceInk.top - labelInk.bottom : labelInk.top - braceInk.bottom) / d.em;
    EXPECT_GT(labelGap, 0.0f) << "label touches the brace";
    // The band a quarter of the way along, across.
    EXPECT_GE(longestRunDown(d.image, (3 * braceInk.left + braceInk.right) / 4, braceInk.top, braceInk.bottom) / d.em,
              0.04f)
        << "hairline brace";
}

INSTANTIATE_TEST_SUITE_P(Formulas, BraceDrawing,
                         ::testing::Values(BraceDrawCase{"\\overbrace{x+y}^{n}", true},
                                           BraceDrawCase{"\\underbrace{a+b}_{k}", false},
                                           BraceDrawCase{"\\overbrace{a+b+c}^{n}", true},
                                           BraceDrawCase{"\\underbrace{x}_{k}", false}));

// ---- negation slashes

class NegationSlash : public ::testing::TestWithParam<const char*> {};

// The slash over a negated relation stays inside the relation's box, so no
// picture cuts it off.
TEST_P(NegationSlash, StaysInsideTheBox) {
    const Drawn d = draw(GetParam());
    ASSERT_EQ(d.problem, "");
    const EqElement* negated = nullptr;
    for (EqElement* e : elements(d))
        if (IsOperatorType(e) && e->ch == kNegatedOperatorChar) negated = e;
    ASSERT_NE(negated, nullptr);
    const Ink all = inkIn(d.image, negated->rect.x, negated->rect.right());
    ASSERT_FALSE(all.empty());
    constexpr float kAntialias = 1.5f;
    EXPECT_GE(all.top + kAntialias, negated->rect.y);
    EXPECT_LE(all.bottom + 1 - kAntialias, negated->rect.bottom());
}

INSTANTIATE_TEST_SUITE_P(Formulas, NegationSlash,
                         ::testing::Values("\\not\\ll", "\\not\\gg", "a\\not\\ll b", "\\not=", "a\\not= b",
                                           "x\\not\\equiv y"));

// ---- ellipses

struct DotsCase {
    const char* latex;
    float spacing;  // em between the centres of neighbouring dots
};

class EllipsisDots : public ::testing::TestWithParam<DotsCase> {};

TEST_P(EllipsisDots, AreSpacedLikeTheTextEllipsis) {
    const DotsCase& c = GetParam();
    const Drawn d = draw(c.latex);
    ASSERT_EQ(d.problem, "");
    const EqElement* dots = elements(d).front();
    const float x0 = dots->rect.x, x1 = dots->rect.right();
    std::vector<float> centres;
    for (const auto& run : columnRuns(d.image))
        if (run.first >= x0 - 1 && run.second <= x1 + 1) centres.push_back((run.first + run.second + 1) / 2.0f);
    ASSERT_EQ(centres.size(), 3u);
    EXPECT_NEAR((centres[1] - centres[0]) / d.em, c.spacing, 0.03f);
    EXPECT_NEAR((centres[2] - centres[1]) / d.em, c.spacing, 0.03f);
}

INSTANTIATE_TEST_SUITE_P(Formulas, EllipsisDots,
                         ::testing::Values(DotsCase{"\\cdots", 0.444f}, DotsCase{"\\cdots+a", 0.444f}));

}  // namespace
