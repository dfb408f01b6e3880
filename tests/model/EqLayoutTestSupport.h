// A text measurer with fixed boxes, so layout arithmetic can be checked
// exactly, the layout contexts the tests pass, and a small fixture around an
// equation with the built-in style.
#pragma once

#include "model/EqBuilder.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"
#include "model/SymbolLibrary.h"
#include "model/EqSpacing.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace toliva::test {

// Every character measures as a box 0.6 em wide and 1.2 em high with ink
// 0.4 em wide starting 0.1 em in; "M" has a box 1 em wide and ink 0.8 em wide.
// Sizes are in em of the size asked for.
class FixedBoxMeasurer final : public TextMeasurer {
public:
    static constexpr float kBoxWidth = 0.6f;
    static constexpr float kBoxHeight = 1.2f;
    static constexpr float kInkLeft = 0.1f;
    static constexpr float kInkWidth = 0.4f;
    static constexpr float kMInkWidth = 0.8f;

    TextMeasure Measure(EqModel*, gp::Graphics*, const EqFont*, const QString& text, float em, int) override {
        ++calls;
        const bool m = text == QStringLiteral("M");
        TextMeasure r;
        r.boxWidth = (m ? 1.0f : kBoxWidth) * em;
        r.boxHeight = kBoxHeight * em;
        r.ink = gp::RectF{kInkLeft * em, 0.3f * em, (m ? kMInkWidth : kInkWidth) * em, 0.6f * em};
        return r;
    }
    int calls = 0;
};

// The program's symbol library and the font measurer, read once per test
// program.
inline const RenderContext& programContext() {
    static const RenderContext context = RenderContext::FromDataFolder();
    return context;
}

// The program's symbol library with the given measurer.
inline RenderContext contextWith(TextMeasurer& measurer) {
    RenderContext context = programContext();
    context.measurer = &measurer;
    return context;
}

// Lets layout go down to the style's minimum size, as laying out lines does.
inline void allowMinimumScale(EqModel& eq) { eq.minScale = eq.settings.size2 / eq.settings.fontSize; }

class FixedBoxLayoutTest : public ::testing::Test {
protected:
    FixedBoxLayoutTest() : eq(builtInStyle()), b(&eq), context(contextWith(measurer)), pass(&eq, context) {
        line = b.line();
        allowMinimumScale(eq);
    }

    // The font size at scale 1 (S).
    float S() const { return eq.settings.fontSize; }
    float spacing(SpacingSlot slot) const { return SpacingOf(&eq, slot); }
    void layout(EqElement* head = nullptr, float scale = 1.0f) {
        LayoutElement(head ? head : line, nullptr, scale, 0);
    }

    EqModel eq;
    EqBuilder b;
    FixedBoxMeasurer measurer;
    RenderContext context;
    RenderScope pass;  // lends the context to eq for the whole test
    EqElement* line = nullptr;
};

// A closed rectangle w wide and h high, centred on y = 0.
inline std::unique_ptr<GlyphOutline> rectangleOutline(float w, float h) {
    auto g = std::make_unique<GlyphOutline>();
    g->count = 4;
    g->points = {{0, -h / 2}, {w, -h / 2}, {w, h / 2}, {0, h / 2}};
    g->types = {0, 1, 1, 0x81};
    return g;
}

// Fixed text boxes and a symbol library whose outlines are rectangles 100
// units high, record i 30 + 2 i wide, so a sign's box tells its record.
class RectangleLibraryLayoutTest : public FixedBoxLayoutTest {
protected:
    explicit RectangleLibraryLayoutTest(int records) {
        for (int i = 0; i < records; ++i) library.outlines.push_back(rectangleOutline(recordWidth(i), 100));
        context.symbols = &library;
    }

    static float recordWidth(int i) { return 30.0f + 2.0f * float(i); }

    // An element of type with the given number of chains: the last chain
    // holds body, the one before it lower, the first (of three) upper.
    EqElement* withLimits(int32_t type, int chains, std::u16string_view upper, std::u16string_view lower,
                          std::u16string_view body) {
        EqElement* e = b.add(line, type, chains);
        if (chains >= 3) b.text(b.arg(e, 0), upper, EqTypeCharItalic);
        if (chains >= 2) b.text(b.arg(e, chains - 2), lower, EqTypeCharItalic);
        b.text(b.arg(e, chains - 1), body, EqTypeCharItalic);
        return e;
    }
    void clearLine() {
        DeleteEqElement(line->next);
        line->next = nullptr;
    }

    SymbolLibrary library;
};

}  // namespace toliva::test
