// Checks on what a recording graphics (platform/gdiplus/Graphics.h) recorded.
#pragma once

#include "platform/gdiplus/Graphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace toliva::test {

inline void expectNear(gp::PointF got, gp::PointF want, float tolerance = 1e-3f) {
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
}

// The points of a recorded call in world coordinates.
inline std::vector<gp::PointF> worldPoints(const gp::RecordingGraphics::Op& op) {
    std::vector<gp::PointF> out;
    for (gp::PointF p : op.points) out.push_back(op.transform.map(p));
    return out;
}

// Every recorded coordinate and pen width is finite, and no call failed (a
// NaN or infinite coordinate makes the graphics refuse the call).
inline void expectClean(gp::RecordingGraphics& g) {
    EXPECT_EQ(g.GetLastStatus(), gp::Ok);
    for (const gp::RecordingGraphics::Op& op : g.ops) {
        for (gp::PointF p : op.points) {
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << op.kind << ' ' << op.shape;
        }
        EXPECT_TRUE(std::isfinite(op.pen.width));
    }
}

// The recorded calls as "kind:shape", space separated.
inline std::string recordedShapes(const gp::RecordingGraphics& g) {
    std::string s;
    for (const gp::RecordingGraphics::Op& op : g.ops) s += (s.empty() ? "" : " ") + op.kind + ':' + op.shape;
    return s;
}

}  // namespace toliva::test
