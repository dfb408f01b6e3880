// A text measurer with fixed boxes, so layout arithmetic can be checked
// exactly, and a small fixture around an equation with the built-in style.
#pragma once

#include "model/EqBuilder.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"

#include <gtest/gtest.h>

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

inline EqLayoutSettings builtInStyle() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

// Lets layout go down to the style's minimum size, as laying out lines does.
inline void allowMinimumScale(EqModel& eq) { eq.minScale = eq.settings.size2 / eq.settings.fontSize; }

class FixedBoxLayoutTest : public ::testing::Test {
protected:
    FixedBoxLayoutTest() : eq(builtInStyle()), b(&eq), scoped(&measurer) {
        line = b.line();
        allowMinimumScale(eq);
    }

    // The font size at scale 1 (S).
    float S() const { return eq.settings.fontSize; }
    float spacing(int i) const { return eq.settings.spacing[size_t(i)]; }
    void layout(EqElement* head = nullptr, float scale = 1.0f) {
        LayoutElement(head ? head : line, nullptr, scale, 0);
    }

    EqModel eq;
    EqBuilder b;
    FixedBoxMeasurer measurer;
    ScopedTextMeasurer scoped;
    EqElement* line = nullptr;
};

}  // namespace toliva::test
