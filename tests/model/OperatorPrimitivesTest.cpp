#include "model/OperatorPrimitives.h"

#include "platform/Archive.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Matrix.h"
#include "tools/gensymlib/SymlibSources.h"
#include "tests/common/RecordingChecks.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace toliva;
using gp::PointF;
using gp::RecordingGraphics;

namespace {

using test::expectNear;
using test::expectClean;

constexpr gp::ARGB kInk = 0xFF112233;
constexpr double kPi = 3.14159265358979323846;

using Op = RecordingGraphics::Op;

void putFloat(std::vector<uint8_t>& b, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(bits >> (8 * i)));
}

// A frame with round numbers: centre (100, 200), unit 10, stroke 2.
OperatorFrame frame(float axisOffset = 0) {
    OperatorFrame f;
    f.centreX = 100;
    f.baselineY = 200;
    f.axisOffset = axisOffset;
    f.unit = 10;
    f.strokeWidth = 2;
    f.colour = kInk;
    return f;
}

OperatorPrimitive prim(uint8_t kind, float x, float y, float sx, float sy, float angle = 0, float pen = 1) {
    OperatorPrimitive p;
    p.kind = kind;
    p.x = x, p.y = y, p.sx = sx, p.sy = sy, p.angle = angle, p.pen = pen;
    return p;
}

float rotationOf(const gp::Matrix& m) { return float(std::atan2(m.m12(), m.m11()) * 180 / kPi); }

}  // namespace

TEST(OperatorRecord, ParsesTheStreamOrderOfEveryField) {
    std::vector<uint8_t> bytes;
    putFloat(bytes, 1.25f);  // width factor
    putFloat(bytes, 0.5f);   // height factor
    bytes.push_back(0x12);   // on the axis, spacing class 2
    for (int i = 0; i < kOperatorPrimitiveCount; ++i) {
        putFloat(bytes, 1.5f + i);   // pen
        putFloat(bytes, 30.0f + i);  // angle
        putFloat(bytes, 0.1f * i);   // sx
        putFloat(bytes, 0.2f * i);   // sy
        putFloat(bytes, -0.3f * i);  // x
        putFloat(bytes, -0.4f * i);  // y
        bytes.push_back(uint8_t(i < 3 ? 4 + i : 0));
    }
    ASSERT_EQ(bytes.size(), size_t(kOperatorRecordStreamSize));
    ASSERT_EQ(kOperatorRecordStreamSize, 159);

    OperatorDrawRecord r;
    ASSERT_TRUE(ParseOperatorRecord(bytes.data(), bytes.size(), &r));
    EXPECT_EQ(r.widthFactor, 1.25f);
    EXPECT_EQ(r.heightFactor, 0.5f);
    EXPECT_EQ(r.spacingClass(), 2);
    EXPECT_TRUE(r.onMathAxis());
    for (int i = 0; i < kOperatorPrimitiveCount; ++i) {
        const OperatorPrimitive& p = r.primitives[i];
        EXPECT_EQ(p.pen, 1.5f + i);
        EXPECT_EQ(p.angle, 30.0f + i);
        EXPECT_EQ(p.sx, 0.1f * i);
        EXPECT_EQ(p.sy, 0.2f * i);
        EXPECT_EQ(p.x, -0.3f * i);
        EXPECT_EQ(p.y, -0.4f * i);
        EXPECT_EQ(p.kind, i < 3 ? 4 + i : 0);
    }

    uint8_t again[kOperatorRecordStreamSize];
    SerializeOperatorRecord(r, again);
    EXPECT_EQ(std::memcmp(again, bytes.data(), sizeof again), 0);

    // Through an archive: the same record; a short stream throws.
    QByteArray buffer(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    Archive ar(buffer);
    const OperatorDrawRecord viaArchive = ReadOperatorRecord(ar);
    EXPECT_EQ(viaArchive.primitives[2].kind, 6);
    EXPECT_EQ(ar.bytesLeft(), 0);
    Archive shortAr(buffer.left(158));
    EXPECT_THROW(ReadOperatorRecord(shortAr), ArchiveException);
}

TEST(OperatorRecord, RefusesShortBuffersAndFlagsOffTheAxis) {
    std::vector<uint8_t> bytes(kOperatorRecordStreamSize - 1, 0);
    OperatorDrawRecord r;
    r.widthFactor = 7;
    EXPECT_FALSE(ParseOperatorRecord(bytes.data(), bytes.size(), &r));
    EXPECT_EQ(r.widthFactor, 7);  // untouched
    EXPECT_FALSE(ParseOperatorRecord(nullptr, 500, &r));

    for (const auto& [flags, axis, spacing] : {std::tuple{0x00, false, 0}, std::tuple{0x13, true, 3},
                                               std::tuple{0x21, false, 1}, std::tuple{0xF0, false, 0}}) {
        OperatorDrawRecord f;
        f.flags = uint8_t(flags);
        EXPECT_EQ(f.onMathAxis(), axis) << flags;
        EXPECT_EQ(f.spacingClass(), spacing) << flags;
    }
}

TEST(OperatorPrimitives, EveryKindDrawsItsShapeAndRestoresTheTransform) {
    struct Case {
        uint8_t kind;
        const char* shapes;
    };
    const Case cases[] = {
        {0, ""},
        {1, "stroke:line"},
        {2, "stroke:bezier"},
        {3, "stroke:line stroke:line fill:ellipse fill:ellipse fill:ellipse"},
        {4, "stroke:line stroke:line stroke:line fill:ellipse fill:ellipse fill:ellipse"},
        {5, "stroke:lines"},
        {6, "stroke:polygon"},
        {7, "stroke:arc"},
        {8, "fill:ellipse"},
        {9, "stroke:ellipse"},
        {10, "stroke:path"},
        {11, "stroke:arc"},
        {12, "stroke:arc"},
        {13, "stroke:path"},
        {14, "stroke:path"},
        {15, "stroke:bezier"},
        {16, ""},
        {255, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        RecordingGraphics g;
        g.TranslateTransform(5, 5);
        const gp::Matrix before = g.GetTransform();
        DrawOperatorPrimitive(prim(c.kind, 0.1f, -0.2f, 0.8f, 0.4f, 30, 1.5f), frame(-3), g);
        EXPECT_EQ(test::recordedShapes(g), c.shapes);
        EXPECT_EQ(g.GetTransform(), before);
        expectClean(g);
        for (const Op& op : g.ops) {
            EXPECT_EQ(op.colour, kInk);
            if (op.kind == "stroke") {
                EXPECT_FLOAT_EQ(op.pen.width, 3);  // pen 1.5 x stroke 2
                EXPECT_EQ(op.pen.startCap, gp::LineCapRound);
                EXPECT_EQ(op.pen.endCap, gp::LineCapRound);
            }
        }
    }
}

TEST(OperatorPrimitives, LineRunsBetweenItsTwoPointsInUnits) {
    RecordingGraphics g;
    DrawOperatorPrimitive(prim(1, -0.5f, 0.25f, 0.5f, -0.25f, 45), frame(-4), g);
    ASSERT_EQ(g.ops.size(), 1u);
    EXPECT_EQ(g.ops[0].transform, gp::Matrix());  // no rotation, no frame
    expectNear(g.ops[0].points[0], {95, 198.5f});
    expectNear(g.ops[0].points[1], {105, 193.5f});
}

TEST(OperatorPrimitives, RotatedKindsTurnAboutTheirAnchor) {
    // Kind 3 at anchor (0.5, -1) with w = 8, h = 4, turned 90 degrees: the
    // apex (0, -h / 2) lands h / 2 to the right of the anchor.
    RecordingGraphics g;
    DrawOperatorPrimitive(prim(3, 0.5f, -1, 0.8f, 0.4f, 90), frame(-3), g);
    ASSERT_GE(g.ops.size(), 2u);
    const PointF apex = g.ops[0].transform.map(g.ops[0].points[0]);
    expectNear(apex, {105 + 2, 200 - 10 - 3});
    EXPECT_NEAR(rotationOf(g.ops[0].transform), 90, 1e-3);

    // The S curves lean by atan2(h, w) x 45 / pi = half the diagonal's angle, either way.
    const float lean = float(std::atan2(4.0, 8.0) * 45 / kPi);
    for (const auto& [kind, turn] : {std::pair{uint8_t(2), 10 + lean}, std::pair{uint8_t(15), 10 - lean}}) {
        RecordingGraphics s;
        DrawOperatorPrimitive(prim(kind, 0, 0, 0.8f, 0.4f, 10), frame(), s);
        ASSERT_EQ(s.ops.size(), 1u);
        EXPECT_NEAR(rotationOf(s.ops[0].transform), turn, 1e-3) << int(kind);
        expectNear(s.ops[0].points[0], {-4, kind == 2 ? 1.0f : -1.0f});
        expectNear(s.ops[0].points[1], {-1.32f, kind == 2 ? -3.2f : 3.2f});
    }
}

TEST(OperatorPrimitives, ArcAndCircleKindsAreNotScaledByTheirSweep) {
    RecordingGraphics arc;
    DrawOperatorPrimitive(prim(7, 0, 0, 1, 90, -90), frame(), arc);  // diameter 10, from -90 over 90 degrees
    ASSERT_EQ(arc.ops.size(), 1u);
    const std::vector<PointF>& p = arc.ops[0].points;
    expectNear(arc.ops[0].transform.map(p.front()), {100, 195});  // top of the circle
    expectNear(arc.ops[0].transform.map(p.back()), {105, 200});   // its right end

    RecordingGraphics dot;
    DrawOperatorPrimitive(prim(8, 0, 0, 0.2f, 5), frame(), dot);  // radius w = 2
    ASSERT_EQ(dot.ops.size(), 1u);
    float left = 1e9f, right = -1e9f;
    for (PointF q : dot.ops[0].points) left = std::min(left, q.x), right = std::max(right, q.x);
    EXPECT_NEAR(right - left, 4, 1e-3);
}

TEST(OperatorPrimitives, LoopAngleIsClampedWhenTheCirclesOverlap) {
    // acos(h / (w - h)): w = 3 h gives 60 degrees; w = 1.5 h would ask for
    // acos(2), w = h divides by zero, w < h gives a negative quotient past -1.
    for (float w : {3.0f, 1.5f, 1.0f, 0.5f, 0.0f}) {
        SCOPED_TRACE(w);
        RecordingGraphics g;
        DrawOperatorPrimitive(prim(14, 0, 0, w, 1), frame(), g);
        EXPECT_EQ(test::recordedShapes(g), "stroke:path");
        expectClean(g);
    }
}

TEST(OperatorPrimitives, RecordDrawsUpToTheFirstEmptyPrimitive) {
    OperatorDrawRecord r;
    r.primitives[0] = prim(1, -0.5f, 0, 0.5f, 0);
    r.primitives[1] = prim(8, 0, 0, 0.1f, 0);
    r.primitives[3] = prim(6, 0, 0, 1, 1);  // behind a kind 0: not drawn
    RecordingGraphics g;
    DrawOperatorRecord(r, frame(), g);
    EXPECT_EQ(test::recordedShapes(g), "stroke:line fill:ellipse");

    OperatorDrawRecord empty;
    empty.primitives[1] = prim(1, 0, 0, 1, 1);
    RecordingGraphics none;
    DrawOperatorRecord(empty, frame(), none);
    EXPECT_TRUE(none.ops.empty());
}

TEST(OperatorPrimitives, TableIndexOutsideTheTableDrawsNothing) {
    std::vector<OperatorDrawRecord> table(10);
    for (OperatorDrawRecord& r : table) r.primitives[0] = prim(1, -0.5f, 0, 0.5f, 0);
    struct Case {
        const OperatorDrawRecord* table;
        int count, index;
        bool drawn;
    };
    const Case cases[] = {
        {table.data(), 10, 0, true},   {table.data(), 10, 9, true},  {table.data(), 10, 10, false},
        {table.data(), 10, 53, false}, {table.data(), 10, -1, false}, {nullptr, 0, 0, false},
        {table.data(), 0, 0, false},
    };
    for (const Case& c : cases) {
        RecordingGraphics g;
        EXPECT_EQ(DrawOperatorFromTable(c.table, c.count, c.index, frame(), 0.25f, 20, true, g), c.drawn) << c.index;
        EXPECT_EQ(g.ops.empty(), !c.drawn) << c.index;
        EXPECT_EQ(FindOperatorRecord(c.table, c.count, c.index) != nullptr, c.drawn);
    }
}

TEST(OperatorPrimitives, AxisOffsetAndNegationSlash) {
    std::vector<OperatorDrawRecord> table(60);
    for (OperatorDrawRecord& r : table) {
        r.flags = 0x10;  // on the axis
        r.primitives[0] = prim(1, -0.5f, 0, 0.5f, 0);
    }
    table[5].flags = 0x00;
    // Axis offset = 0.25 x 20 - 2 / 2 = 4 on axis records, 0 on the others.
    EXPECT_FLOAT_EQ(OperatorAxisOffset(table[0], 0.25f, 20, 2), 4);
    EXPECT_FLOAT_EQ(OperatorAxisOffset(table[5], 0.25f, 20, 2), 0);

    struct Case {
        int index;
        float lineY;
        PointF slashFrom, slashTo;
    };
    const Case cases[] = {
        {0, 204, {102.5f, 192.8f}, {97.5f, 207.2f}},
        {5, 200, {102.5f, 192.8f}, {97.5f, 207.2f}},
        {53, 204, {105, 197.5f}, {95, 202.5f}},  // the wide slash of its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        RecordingGraphics g;
        ASSERT_TRUE(DrawOperatorFromTable(table.data(), int(table.size()), c.index, frame(99), 0.25f, 20, true, g));
        ASSERT_EQ(g.ops.size(), 2u);
        EXPECT_FLOAT_EQ(g.ops[0].points[0].y, c.lineY);
        // The slash ignores the axis offset and uses pen factor 1.
        expectNear(g.ops[1].points[0], c.slashFrom);
        expectNear(g.ops[1].points[1], c.slashTo);
        EXPECT_FLOAT_EQ(g.ops[1].pen.width, 2);
    }
    RecordingGraphics plain;
    DrawOperatorFromTable(table.data(), int(table.size()), 0, frame(), 0.25f, 20, false, plain);
    EXPECT_EQ(plain.ops.size(), 1u);
}

namespace {

// The operator records as written in the symbol library's sources, found
// above the test program's folder.
std::vector<symlib::OperatorSource> operatorSources() {
    QDir dir(QCoreApplication::applicationDirPath());
    do {
        const QString path = dir.filePath(QStringLiteral("data/sources/symlib/operators.txt"));
        if (QFile::exists(path)) {
            std::vector<symlib::OperatorSource> out;
            QString error;
            EXPECT_TRUE(symlib::readOperatorText(path, &out, &error)) << error.toStdString();
            return out;
        }
    } while (dir.cdUp());
    return {};
}

float distanceToSegment(PointF p, PointF a, PointF b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

}  // namespace

// Line strokes are drawn unturned between their two points, so records whose
// strokes cross in the middle must give points on both sides of it.
TEST(OperatorSources, CrossingStrokesMeetInTheMiddle) {
    const std::vector<symlib::OperatorSource> sources = operatorSources();
    if (sources.empty()) TOLIVA_SKIP_UNLESS_CI() << "the symbol library's sources are not beside this build";
    struct Case {
        int type;
        int lines;  // line strokes, all through the middle of the record
    };
    const Case cases[] = {{1042, 2}, {1110, 3}, {1113, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const auto it = std::find_if(sources.begin(), sources.end(),
                                     [&](const symlib::OperatorSource& s) { return s.type == c.type; });
        ASSERT_NE(it, sources.end());
        int lines = 0;
        for (const OperatorPrimitive& p : it->record.primitives) {
            if (p.kind != OpPrimLine) continue;
            ++lines;
            EXPECT_LT(distanceToSegment({0, 0}, {p.x, p.y}, {p.sx, p.sy}), 0.01f)
                << "(" << p.x << ", " << p.y << ") to (" << p.sx << ", " << p.sy << ")";
        }
        EXPECT_EQ(lines, c.lines);
    }
}
