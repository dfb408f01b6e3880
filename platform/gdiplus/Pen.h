// A pen of the drawing layer: colour, width in world units, dashes, caps and joins.
//
// Dash lengths count in pen widths: a dash style Dash of a pen 2 wide draws
// dashes of 6 and gaps of 2 world units. A pen thinner than one device pixel
// draws one device pixel wide, and its dashes then count in device pixels.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <vector>

namespace toliva::gp {

enum DashStyle {
    DashStyleSolid = 0,
    DashStyleDash = 1,        // 3 on, 1 off
    DashStyleDot = 2,         // 1 on, 1 off
    DashStyleDashDot = 3,     // 3 1 1 1
    DashStyleDashDotDot = 4,  // 3 1 1 1 1 1
    DashStyleCustom = 5,      // the pen's dashPattern
};

enum LineCap {
    LineCapFlat = 0,
    LineCapSquare = 1,    // half a pen width beyond the end
    LineCapRound = 2,     // a half disc on the end
    LineCapTriangle = 3,  // a point half a pen width beyond the end
};

enum DashCap { DashCapFlat = 0, DashCapRound = 2, DashCapTriangle = 3 };

enum LineJoin {
    LineJoinMiter = 0,         // beveled where the miter would pass the miter limit
    LineJoinBevel = 1,
    LineJoinRound = 2,
    LineJoinMiterClipped = 3,  // cut off at the miter limit
};

struct Pen {
    ARGB colour = 0xFF000000;
    float width = 1.0f;
    DashStyle dashStyle = DashStyleSolid;
    std::vector<float> dashPattern;  // on, off, on, ... in pen widths; used with DashStyleCustom
    float dashOffset = 0;            // in pen widths
    LineCap startCap = LineCapFlat;
    LineCap endCap = LineCapFlat;
    DashCap dashCap = DashCapFlat;   // the caps of the dashes inside a dashed line
    LineJoin lineJoin = LineJoinMiter;
    float miterLimit = 10.0f;        // in pen widths

    Pen() = default;
    Pen(ARGB c, float w = 1.0f) : colour(c), width(w) {}

    void SetColor(ARGB c) { colour = c; }
    void SetWidth(float w) { width = w; }
    // A style other than custom drops any custom pattern.
    void SetDashStyle(DashStyle style);
    // count values, each above 0; sets DashStyleCustom. InvalidParameter (pen
    // unchanged) for no values or a value that is not above 0.
    Status SetDashPattern(const float* pattern, int count);
    void SetDashOffset(float offset) { dashOffset = offset; }
    void SetStartCap(LineCap cap) { startCap = cap; }
    void SetEndCap(LineCap cap) { endCap = cap; }
    void SetDashCap(DashCap cap) { dashCap = cap; }
    void SetLineCap(LineCap start, LineCap end, DashCap dash) {
        startCap = start;
        endCap = end;
        dashCap = dash;
    }
    void SetLineJoin(LineJoin join) { lineJoin = join; }
    void SetMiterLimit(float limit) { miterLimit = limit; }

    // The on/off lengths in pen widths that the dash style stands for; empty for solid.
    std::vector<float> effectiveDashes() const;
};

}  // namespace toliva::gp
