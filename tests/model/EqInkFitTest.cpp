// Drawn ink against the boxes the layout measured, for the shapes whose ink
// once outgrew them: upright double arrows, circle arrows, built heads of the
// outline arrows, arrow pairs under their texts, nested bevelled fractions.
// Also: the font cache survives a process that exits with its application
// still alive.
#include "EqLayoutTestSupport.h"

#include "model/EqBuilder.h"
#include "model/EqDraw.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"

#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/Graphics.h"
#include "tests/common/InkCheck.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

using namespace toliva;

namespace {

constexpr float kFontSize = 40;  // the font size of the large style
constexpr int kImageWidth = 800;
constexpr int kImageHeight = 400;
constexpr float kX = 200, kY = 200;
constexpr int32_t kBevelled = 129;

// Where the element stands in its line; its neighbours are full phantoms,
// which keep their boxes and draw no ink in output mode.
enum class Place { Alone, Middle };

// The bounds of the inked pixels of a picture.
struct Ink {
    int left = kImageWidth, right = -1, top = kImageHeight, bottom = -1;  // inclusive
    bool empty() const { return right < left; }
    float width() const { return empty() ? 0.0f : float(right - left + 1); }
    float height() const { return empty() ? 0.0f : float(bottom - top + 1); }
};

bool inked(const QImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return false;
    return qAlpha(image.pixel(x, y)) >= test::kInkAlpha;
}

Ink inkOf(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (!inked(image, x, y)) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

// One equation line drawn in output mode onto a transparent picture.
class Scene {
public:
    Scene() : m_eq(test::largeStyle()), m_b(&m_eq), m_line(m_b.line()) {}

    EqBuilder& b() { return m_b; }
    EqElement* line() { return m_line; }

    // Adds an invisible character that keeps its box.
    EqElement* neighbour() { return invisible(m_b.text(m_line, u"x", EqTypeCharItalic)); }

    static EqElement* invisible(EqElement* e) {
        SetPhantomKind(e, PhantomFull, false);
        return e;
    }

    const QImage& draw() {
        test::layoutForInkCheck(test::programContext(), m_eq);
        m_image = test::drawLineInk(test::programContext(), m_line, kImageWidth, kImageHeight, kX, kY).image;
        return m_image;
    }

private:
    EqModel m_eq;
    EqBuilder m_b;
    EqElement* m_line;
    QImage m_image;
};

// Ink outside the box (left, right, top, bottom of the drawn box), as text
// for the failure message; empty when all ink lies inside.
std::string outside(const Ink& ink, const gp::RectF& box, bool checkHeight = true) {
    if (ink.empty()) return "no ink";
    std::string out;
    if (ink.left + 1 < box.x - test::kInkTolerance) out += " left by " + std::to_string(box.x - ink.left - 1);
    if (ink.right > box.right() + test::kInkTolerance) out += " right by " + std::to_string(ink.right - box.right());
    if (checkHeight && ink.top + 1 < box.y - test::kInkTolerance)
        out += " top by " + std::to_string(box.y - ink.top - 1);
    if (checkHeight && ink.bottom > box.bottom() + test::kInkTolerance)
        out += " bottom by " + std::to_string(ink.bottom - box.bottom());
    return out;
}

// ---- arrow symbols

// One arrow symbol, alone or between two neighbours; returns its ink and box.
struct Drawn {
    Ink ink;
    gp::RectF box;
};

Drawn drawArrowSymbol(int type, Place place) {
    Scene s;
    if (place == Place::Middle) s.neighbour();
    EqElement* e = s.b().add(s.line(), type);
    if (place == Place::Middle) s.neighbour();
    const QImage& image = s.draw();
    return {inkOf(image), e->rect};
}

// Every arrow symbol keeps its ink within the width of its box, so that a
// picture of it (which is the box plus a small margin) cuts nothing off. The
// height is not checked: the box is lower than most arrows, and the line
// around them is always taller.
TEST(ArrowSymbolInk, StaysWithinTheWidthOfItsBox) {
    for (int type = 506; type <= 550; ++type)
        for (Place place : {Place::Alone, Place::Middle}) {
            SCOPED_TRACE("type " + std::to_string(type) + (place == Place::Alone ? " alone" : " in a line"));
            const Drawn d = drawArrowSymbol(type, place);
            EXPECT_EQ(outside(d.ink, d.box, false), "");
        }
}

// The upright double arrows are half a size wide: their heads must fit that
// width and still be heads (wider than the two shafts).
TEST(ArrowSymbolInk, UprightDoubleArrowsFillTheirNarrowBox) {
    for (int type : {520, 521, 523}) {
        SCOPED_TRACE(type);
        const Drawn d = drawArrowSymbol(type, Place::Alone);
        EXPECT_EQ(outside(d.ink, d.box, false), "");
        EXPECT_GT(d.ink.width(), 0.35f * kFontSize);
        EXPECT_GT(d.ink.height(), 0.9f * kFontSize);
    }
}

// Circle arrows are drawn large enough to read: the ring spans most of the
// box, and the head stands out of the ring across its line, which makes the
// ink longer across the head than along it.
TEST(ArrowSymbolInk, CircleArrowsAreLegible) {
    struct Case {
        int type;
        bool headOnTop;  // 534 and 535 carry the head on top, 544 and 545 at the side
    };
    for (Case c : {Case{534, true}, Case{535, true}, Case{544, false}, Case{545, false}}) {
        SCOPED_TRACE(c.type);
        const Drawn d = drawArrowSymbol(c.type, Place::Alone);
        EXPECT_EQ(outside(d.ink, d.box, false), "");
        const float across = c.headOnTop ? d.ink.width() : d.ink.height();
        const float withHead = c.headOnTop ? d.ink.height() : d.ink.width();
        EXPECT_GT(across, 0.6f * kFontSize) << "the ring is too small";
        EXPECT_GT(withHead - across, 0.06f * kFontSize) << "the head does not stand out of the ring";
    }
}

// ---- extensible arrows

// Whether the inked pixels of row y between the first and the last inked
// pixel of that row form one unbroken run.
std::string rowGaps(const QImage& image, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        if (inked(image, x, y)) {
            if (first < 0) first = x;
            last = x;
        }
    if (first < 0) return "row " + std::to_string(y) + " has no ink";
    for (int x = first; x <= last; ++x)
        if (!inked(image, x, y) && !inked(image, x, y - 1) && !inked(image, x, y + 1))
            return "row " + std::to_string(y) + " breaks at x " + std::to_string(x);
    return {};
}

// An outline arrow without an outline of its own is drawn with built heads;
// its shafts must run into them without a gap.
TEST(OutlineArrowInk, BuiltHeadsJoinTheShaft) {
    for (int type = 624; type <= 641; ++type) {
        SCOPED_TRACE(type);
        Scene s;
        EqElement* e = s.b().add(s.line(), type, 1);
        s.b().text(EqBuilder::arg(e, 0), u"ab", EqTypeCharItalic);
        const QImage& image = s.draw();
        ASSERT_EQ(e->glyph, nullptr);
        const bool doubleShaft = type == 627 || (type >= 631 && type <= 633) || type >= 637;
        if (doubleShaft) {
            const int offset = int(std::lround(0.099f * kFontSize));
            EXPECT_EQ(rowGaps(image, int(kY) - offset), "");
            EXPECT_EQ(rowGaps(image, int(kY) + offset - 1), "");
        } else {
            EXPECT_EQ(rowGaps(image, int(kY)), "");
        }
    }
}

// The arrows under and over texts keep their strokes out of the texts' boxes
// and inside their own; the texts here are invisible, so all ink is arrow.
TEST(ExtArrowInk, ClearsItsTextsAndStaysInItsBox) {
    for (int type = 553; type <= 574; ++type) {
        SCOPED_TRACE(type);
        Scene s;
        const int chains = type >= 564 ? 2 : 1;
        EqElement* e = s.b().add(s.line(), type, chains);
        for (int i = 0; i < chains; ++i) Scene::invisible(s.b().text(EqBuilder::arg(e, i), u"f", EqTypeCharItalic));
        const Ink ink = inkOf(s.draw());
        EXPECT_EQ(outside(ink, e->rect), "");
        // A chain head's line box is the box of its chain.
        const gp::RectF over = EqBuilder::arg(e, 0)->origin;
        EXPECT_GE(ink.top + 1, over.bottom()) << "the arrow reaches into the text over it";
        if (chains == 2) {
            const gp::RectF under = EqBuilder::arg(e, 1)->origin;
            EXPECT_LE(ink.bottom, under.y) << "the arrow reaches into the text under it";
        }
    }
}

// ---- bevelled fractions

// The slash leans with the fraction's full height; a tall part makes it
// reach past its neighbour part, and the box must hold it on both sides.
TEST(BevelledFractionInk, NestedSlashStaysInTheBox) {
    struct Case {
        const char* name;
        std::function<void(EqBuilder&, EqElement*)> fill;  // fills the fraction's two parts
    };
    auto nest = [](EqBuilder& b, EqElement* chain) {
        EqElement* inner = b.add(chain, kBevelled, 2);
        b.text(EqBuilder::arg(inner, 0), u"a", EqTypeCharItalic);
        b.text(EqBuilder::arg(inner, 1), u"b", EqTypeCharItalic);
    };
    const Case cases[] = {
        {"nested numerator",
         [&](EqBuilder& b, EqElement* f) {
             nest(b, EqBuilder::arg(f, 0));
             b.text(EqBuilder::arg(f, 1), u"b", EqTypeCharItalic);
         }},
        {"nested denominator",
         [&](EqBuilder& b, EqElement* f) {
             b.text(EqBuilder::arg(f, 0), u"a", EqTypeCharItalic);
             nest(b, EqBuilder::arg(f, 1));
         }},
        {"doubly nested",
         [&](EqBuilder& b, EqElement* f) {
             EqElement* inner = b.add(EqBuilder::arg(f, 0), kBevelled, 2);
             nest(b, EqBuilder::arg(inner, 0));
             b.text(EqBuilder::arg(inner, 1), u"c", EqTypeCharItalic);
             b.text(EqBuilder::arg(f, 1), u"d", EqTypeCharItalic);
         }},
        {"plain",
         [](EqBuilder& b, EqElement* f) {
             b.text(EqBuilder::arg(f, 0), u"a", EqTypeCharItalic);
             b.text(EqBuilder::arg(f, 1), u"b", EqTypeCharItalic);
         }},
    };
    for (const Case& c : cases)
        for (Place place : {Place::Alone, Place::Middle}) {
            SCOPED_TRACE(std::string(c.name) + (place == Place::Alone ? " alone" : " in a line"));
            Scene s;
            if (place == Place::Middle) s.neighbour();
            EqElement* f = s.b().add(s.line(), kBevelled, 2);
            c.fill(s.b(), f);
            if (place == Place::Middle) s.neighbour();
            const Ink ink = inkOf(s.draw());
            EXPECT_EQ(outside(ink, f->rect), "");
        }
}

// ---- the font cache at exit

// A process may end with its application still alive (leaked, or held in a
// static); the faces it loaded must not be torn down after the font engine.
// The child runs the test program afresh; what the live application holds
// at exit is no leak of ours, so the child does not look for leaks.
TEST(FontCacheAtExitDeathTest, ExitWithTheApplicationAlive) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QByteArray saved = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", saved.isEmpty() ? QByteArray("detect_leaks=0") : saved + ":detect_leaks=0");
    EXPECT_EXIT(
        {
            bool available = false;
            {
                const gp::FontFamily family = gp::FontFamily::GenericSerif();
                available = family.IsAvailable();
            }
            std::exit(available ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
    if (saved.isEmpty())
        qunsetenv("ASAN_OPTIONS");
    else
        qputenv("ASAN_OPTIONS", saved);
}

}  // namespace
