// Chemical marks (type 608) around a content chain measured with fixed text
// boxes; u is the mark unit, 0.07 of the font size.
#include "EqLayoutTestSupport.h"

#include "model/ShapeChem.h"
#include "platform/gdiplus/Graphics.h"

#include <vector>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;

constexpr float kTol = 1e-4f;

class ChemTest : public FixedBoxLayoutTest {
protected:
    float u() const { return 0.07f * S(); }
    EqElement* chem(std::vector<uint8_t> payload) {
        EqElement* e = b.add(line, EqTypeChemForm, 1);
        e->payload = std::move(payload);
        b.text(b.arg(e, 0), u"O");
        return e;
    }
};

// Short payloads read their missing bytes as 0; the fields fill from the low
// bits, a field of 1 being a dot and any other value a cross.
TEST(ChemMarksTest, DecodesSidesAndReadsMissingBytesAsZero) {
    struct Case {
        std::vector<uint8_t> payload;
        int counts[4];
        uint8_t firstKinds[4];
        uint8_t shift;
    };
    const Case cases[] = {
        {{}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0},
        {{0x15}, {3, 0, 0, 0}, {1, 0, 0, 0}, 0},
        {{1, 0x0A, 0x3F}, {1, 2, 3, 0}, {1, 2, 3, 0}, 0},
        {{0, 0, 0, 0x02, 2}, {0, 0, 0, 1}, {0, 0, 0, 2}, 2},
        {{0x04, 0, 0, 0, 1, 99}, {1, 0, 0, 0}, {0, 0, 0, 0}, 1},  // a gap in the fields
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.payload));
        const ChemMarks m = DecodeChemMarks(c.payload);
        for (int side = 0; side < 4; ++side) {
            EXPECT_EQ(m.sides[side].count, c.counts[side]) << side;
            EXPECT_EQ(m.sides[side].kinds[0], c.firstKinds[side]) << side;
        }
        EXPECT_EQ(m.shift, c.shift);
    }
}

TEST_F(ChemTest, WidthLeavesRoomOnlyForSidesWithMarks) {
    struct Case {
        std::vector<uint8_t> payload;
        float extra;  // in units beyond the content's width
    };
    const Case cases[] = {{{}, 4}, {{0, 0x15, 0, 0x15, 0}, 4}, {{1}, 8}, {{0, 0, 1}, 8}, {{1, 0, 1, 0, 0}, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.payload));
        DeleteEqElement(line->next);
        line->next = nullptr;
        EqElement* e = chem(c.payload);
        layout();
        EqElement* content = b.arg(e, 0);
        EXPECT_NEAR(e->width, content->chainWidth + c.extra * u(), kTol);
        EXPECT_NEAR(e->ascent, content->chainAscent + 3 * u(), kTol);
        EXPECT_NEAR(e->descent, content->chainDescent + 3 * u(), kTol);
    }
}

TEST_F(ChemTest, NeighbouringMarksAreNarrowerOnTheTouchingSide) {
    EqElement* alone = chem({1, 0, 1, 0, 0});
    layout();
    const float width = alone->width;

    DeleteEqElement(line->next);
    line->next = nullptr;
    EqElement* first = chem({1, 0, 1, 0, 0});
    EqElement* second = chem({1, 0, 1, 0, 0});
    EqElement* third = chem({1, 0, 1, 0, 0});
    layout();
    EXPECT_NEAR(first->width, width - 0.6f * u(), kTol);
    EXPECT_NEAR(second->width, width - 1.2f * u(), kTol);
    EXPECT_NEAR(third->width, width - 0.6f * u(), kTol);
}

// The shift moves content and marks by 4 units; the box grows on that side
// so that the marks stay inside it.
TEST_F(ChemTest, ShiftedMarksStayInsideTheBox) {
    EqElement* down = chem({0, 0, 0, 1, 1});
    EqElement* up = chem({0, 1, 0, 0, 2});
    layout();
    const EqElement* content = b.arg(down, 0);
    EXPECT_NEAR(down->descent, content->chainDescent + 7 * u(), kTol);
    EXPECT_NEAR(down->ascent, content->chainAscent + 3 * u(), kTol);
    EXPECT_NEAR(up->ascent, content->chainAscent + 7 * u(), kTol);

    gp::RecordingGraphics g;
    up->shape->Draw(&g, 0, 100, 0);
    float top = 1e9f;
    for (const auto& op : g.ops)
        if (op.shape == "ellipse")
            for (const gp::PointF& p : op.points) top = std::min(top, op.transform.map(p).y);
    EXPECT_GE(top, 100 - up->ascent - kTol);
}

// Three dots on one side lie at -4, 0 and +4 units along it.
TEST_F(ChemTest, ThreeDotsSpreadAlongTheirSide) {
    EqElement* e = chem({0, 0, 0x15, 0, 0});
    layout();
    gp::RecordingGraphics g;
    e->shape->Draw(&g, 0, 100, 0);
    std::vector<gp::PointF> centres;
    for (const auto& op : g.ops) {
        if (op.shape != "ellipse") continue;
        float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
        for (const gp::PointF& p : op.points) {
            const gp::PointF w = op.transform.map(p);
            x0 = std::min(x0, w.x);
            x1 = std::max(x1, w.x);
            y0 = std::min(y0, w.y);
            y1 = std::max(y1, w.y);
        }
        EXPECT_NEAR(x1 - x0, 2 * u(), 1e-3f);
        centres.push_back({(x0 + x1) / 2, (y0 + y1) / 2});
    }
    ASSERT_EQ(centres.size(), 3u);
    const float contentWidth = b.arg(e, 0)->chainWidth;
    // Without left marks the content starts 2 units in.
    const float rightX = 2 * u() + contentWidth + 3 * u();
    const float offsets[] = {-4, 0, 4};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(centres[i].x, rightX, 1e-3f);
        EXPECT_NEAR(centres[i].y, 100 + offsets[i] * u(), 1e-3f);
    }
}

}  // namespace
}  // namespace toliva
