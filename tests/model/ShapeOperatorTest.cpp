// Operator characters: gaps, heights, the unary minus, the negated equals
// sign, drawing on the axis, the negation slash and a short table.
#include "EqLayoutTestSupport.h"

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqOutput.h"
#include "model/ShapeOperator.h"
#include "model/SymbolLibrary.h"
#include "model/EqSpacing.h"
#include "platform/gdiplus/Graphics.h"
#include "tests/common/InkCheck.h"
#include "tests/common/ModelFixtures.h"

#include <QDir>
#include <QImage>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;

constexpr int kTableSize = 60;
constexpr int kPlus = 1042, kMinus = 1043, kBlank = 1044, kEquals = 1049, kNotEqual = 1055, kTilde = 1095;
constexpr int kBeyondTable = kFirstOperatorType + kTableSize + 10;

OperatorPrimitive strokeLine(float x1, float y1, float x2, float y2) {
    OperatorPrimitive p;
    p.kind = OpPrimLine;
    p.pen = 1;
    p.x = x1, p.y = y1, p.sx = x2, p.sy = y2;
    return p;
}

CKwEE_O_Operator* operatorOf(const EqElement* e) { return dynamic_cast<CKwEE_O_Operator*>(e->shape.get()); }

// A small operator table installed as the layout's library.
class OperatorTest : public FixedBoxLayoutTest {
protected:
    OperatorTest() {
        library.operatorCount = kTableSize;
        library.operators = std::make_unique<OperatorDrawRecord[]>(kTableSize);
        auto set = [&](int type, float wf, float hf, uint8_t flags, std::initializer_list<OperatorPrimitive> prims) {
            OperatorDrawRecord& r = library.operators[size_t(type - kFirstOperatorType)];
            r.widthFactor = wf;
            r.heightFactor = hf;
            r.flags = flags;
            int i = 0;
            for (const OperatorPrimitive& p : prims) r.primitives[i++] = p;
        };
        set(kPlus, 1, 1, 0x10, {strokeLine(-0.5f, 0, 0.5f, 0), strokeLine(0, -0.5f, 0, 0.5f)});
        set(kMinus, 1, 0.8f, 0x10, {strokeLine(-0.5f, 0, 0.5f, 0)});
        set(kBlank, 1.5f, 1, 0x00, {});
        set(kEquals, 1.2f, 1, 0x11, {strokeLine(-0.5f, -0.2f, 0.5f, -0.2f), strokeLine(-0.5f, 0.2f, 0.5f, 0.2f)});
        set(kNotEqual, 1.2f, 1, 0x11, {strokeLine(-0.5f, -0.2f, 0.5f, -0.2f), strokeLine(-0.5f, 0.2f, 0.5f, 0.2f)});
        set(kTilde, 1, 1, 0x00, {strokeLine(-0.5f, 0, 0.5f, 0)});
        context.symbols = &library;
    }

    float unit(float wf) const { return wf * spacing(SpacingOperatorUnit) * S(); }
    float gap(bool besideOperator = false) const {
        return (spacing(SpacingOperatorGap) + spacing(SpacingElementGap) + 0.05f + (besideOperator ? 0.0f : 0.12f)) *
               S();
    }
    std::vector<gp::RecordingGraphics::Op> drawLine(EqElement* head, float y = 100) {
        gp::RecordingGraphics g;
        DrawElement(head, g, 0, y, nullptr, 1.0f, false);
        return g.ops;
    }

    SymbolLibrary library;
};

TEST_F(OperatorTest, GapsByPlaceAndNeighbour) {
    b.text(line, u"a", EqTypeCharItalic);
    EqElement* plus = b.add(line, kPlus);
    EqElement* minus = b.add(line, kMinus);
    b.text(line, u"b", EqTypeCharItalic);
    EqElement* first = b.add(b.line(), kPlus);
    b.text(first, u"c", EqTypeCharItalic);
    EqElement* l3 = b.line();
    b.text(l3, u"c", EqTypeCharItalic);
    EqElement* last = b.add(l3, kEquals);
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);

    EXPECT_FLOAT_EQ(plus->xOffset, gap());
    EXPECT_FLOAT_EQ(plus->width, gap() + unit(1) + gap(true));  // the minus after it is an operator
    EXPECT_FLOAT_EQ(minus->xOffset, gap(true));
    EXPECT_FLOAT_EQ(first->xOffset, 0.0f);  // first in its line
    EXPECT_FLOAT_EQ(first->width, unit(1) + gap());
    // The equals sign's spacing class takes no extra space; last in its line.
    EXPECT_FLOAT_EQ(last->width, gap(true) + unit(1.2f));
}

TEST_F(OperatorTest, HeightFollowsThePlainCharacterBefore) {
    b.text(line, u"a", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"1");
    b.text(EqBuilder::arg(frac, 1), u"2");
    EqElement* minus = b.add(line, kMinus);
    b.text(line, u"b", EqTypeCharItalic);
    layout();
    const EqElement* a = line->next;
    EXPECT_FLOAT_EQ(minus->ascent, 0.8f * a->ascent);
    EXPECT_FLOAT_EQ(minus->descent, 0.8f * a->descent);
    EXPECT_LT(minus->ascent, frac->ascent);
}

TEST_F(OperatorTest, UnaryMinusNarrowsAfterAnOpeningPlace) {
    struct Case {
        const char* what;
        int previousType;  // 0: the chain head
        char16_t previousChar;
        uint8_t option9;
        bool withNext;
        float factor;
    };
    const Case cases[] = {
        {"first in the line", 0, 0, 1, true, 0.62f},
        {"after a comma", EqTypeCharUpright, u',', 1, true, 0.62f},
        {"after a space", 98, 0, 1, true, 0.62f},
        {"after an arrow", 506, 0, 1, true, 0.62f},
        {"after an equals sign", kEquals, 0, 1, true, 1.0f},
        {"after a letter", EqTypeCharItalic, u'a', 1, true, 1.0f},
        {"option off", 0, 0, 0, true, 1.0f},
        {"nothing after it", 0, 0, 1, false, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        eq.settings.options[9] = c.option9;
        EqElement* l = b.line();
        if (c.previousType != 0) b.add(l, c.previousType, 0, c.previousChar);
        EqElement* minus = b.add(l, kMinus);
        if (c.withNext) b.text(l, u"x", EqTypeCharItalic);
        LayoutElement(l, nullptr, 1.0f, 0);
        EXPECT_FLOAT_EQ(operatorOf(minus)->unit, c.factor * unit(1));
    }
}

// The library's records sit a little off y = 0 (they are moved onto the text
// font's axis); the narrowed unary minus must keep its bar at the height of
// the binary one.
TEST_F(OperatorTest, UnaryMinusKeepsItsBarOnTheAxis) {
    library.operators[size_t(kMinus - kFirstOperatorType)].primitives[0] = strokeLine(-0.5f, 0.08f, 0.5f, 0.08f);
    eq.settings.options[9] = 1;
    EqElement* unary = b.add(line, kMinus);
    b.text(line, u"a", EqTypeCharItalic);
    b.add(line, kMinus);  // binary, after a letter
    b.text(line, u"b", EqTypeCharItalic);
    layout();
    ASSERT_FLOAT_EQ(operatorOf(unary)->unit, 0.62f * unit(1));
    std::vector<gp::RecordingGraphics::Op> strokes;
    for (const auto& op : drawLine(line))
        if (op.kind == "stroke") strokes.push_back(op);
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_FLOAT_EQ(strokes[0].points[0].y, strokes[1].points[0].y);
    EXPECT_FLOAT_EQ(strokes[0].points[1].y, strokes[1].points[1].y);
    // Narrower, about the same centre.
    const float cx = unary->xOffset + operatorOf(unary)->unit / 2;
    EXPECT_FLOAT_EQ(strokes[0].points[0].x, cx - 0.5f * 0.62f * unit(1));
    EXPECT_FLOAT_EQ(strokes[1].points[1].x - strokes[1].points[0].x, unit(1));
}

TEST_F(OperatorTest, NegatedEqualsBecomesNotEqualWithTheSlashCharacter) {
    b.text(line, u"a", EqTypeCharItalic);
    EqElement* e = b.add(line, 1284);
    b.text(line, u"b", EqTypeCharItalic);
    layout();
    EXPECT_EQ(e->type, kNotEqual);
    EXPECT_EQ(e->ch, kNegatedOperatorChar);
    EXPECT_EQ(operatorOf(e)->recordIndex, kNotEqual - kFirstOperatorType);
    layout();  // stays as it is
    EXPECT_EQ(e->type, kNotEqual);
}

TEST_F(OperatorTest, DrawsOnTheAxisOrOnTheBaseline) {
    eq.fontMetrics[MetricAxisOffset] = -0.25f;
    EqElement* plus = b.add(line, kPlus);
    EqElement* tilde = b.add(line, kTilde);
    layout();
    const auto ops = drawLine(line);
    ASSERT_EQ(ops.size(), 3u);
    const float stroke = spacing(SpacingRuleThickness) * S();
    const float axis = 100 - 0.25f * S() - stroke / 2;
    const float cx = plus->xOffset + unit(1) / 2;
    EXPECT_FLOAT_EQ(ops[0].points[0].y, axis);
    EXPECT_FLOAT_EQ(ops[0].points[0].x, cx - unit(1) / 2);
    EXPECT_FLOAT_EQ(ops[1].points[0].y, axis - unit(1) / 2);
    EXPECT_FLOAT_EQ(ops[0].pen.width, stroke);
    EXPECT_EQ(ops[0].pen.startCap, gp::LineCapRound);
    EXPECT_FLOAT_EQ(ops[2].points[0].y, 100.0f);  // not on the axis
    EXPECT_FLOAT_EQ(ops[2].points[0].x, plus->width + tilde->xOffset);
}

TEST_F(OperatorTest, NegationSlashCrossesFromTheBaseline) {
    eq.fontMetrics[MetricAxisOffset] = -0.25f;
    b.text(line, u"a", EqTypeCharItalic);
    EqElement* ne = b.add(line, kNotEqual, 0, kNegatedOperatorChar);
    EqElement* tilde = b.add(line, kTilde, 0, kNegatedOperatorChar);
    layout();
    const auto ops = drawLine(line);
    // Two bars and a slash, then a line and its own slash; the texts of the
    // letter are fills.
    std::vector<gp::RecordingGraphics::Op> strokes;
    for (const auto& op : ops)
        if (op.kind == "stroke") strokes.push_back(op);
    ASSERT_EQ(strokes.size(), 5u);
    const float u = unit(1.2f);
    const float cx = ne->prev->width + ne->xOffset + u / 2;
    EXPECT_FLOAT_EQ(strokes[2].points[0].x, cx + 0.25f * u);
    EXPECT_FLOAT_EQ(strokes[2].points[0].y, 100 - 0.72f * u);
    EXPECT_FLOAT_EQ(strokes[2].points[1].y, 100 + 0.72f * u);
    // The tilde's record has its own, flatter slash.
    const float tu = unit(1);
    const float tcx = ne->prev->width + ne->width + tilde->xOffset + tu / 2;
    EXPECT_FLOAT_EQ(strokes[4].points[0].x, tcx + 0.5f * tu);
    EXPECT_FLOAT_EQ(strokes[4].points[0].y, 100 - 0.25f * tu);
}

TEST_F(OperatorTest, EmptyRecordAndShortTableTakeRoomButDrawNothing) {
    b.text(line, u"a", EqTypeCharItalic);
    EqElement* blank = b.add(line, kBlank);
    EqElement* beyond = b.add(line, kBeyondTable);
    b.text(line, u"b", EqTypeCharItalic);
    layout();
    EXPECT_FLOAT_EQ(blank->width, gap() + unit(1.5f) + gap(true));
    EXPECT_EQ(operatorOf(beyond)->record(), nullptr);
    EXPECT_FLOAT_EQ(beyond->width, gap(true) + gap());
    const auto ops = drawLine(line);
    for (const auto& op : ops) EXPECT_NE(op.kind, "stroke");
}

TEST_F(OperatorTest, ColourByRole) {
    eq.settings.ints[0] = 1;
    EqElement* plus = b.add(line, kPlus);
    layout();
    EXPECT_EQ(operatorOf(plus)->colour, eq.settings.colours[7]);
    eq.settings.ints[0] = 0;
    plus->colour = 0xFF123456;
    layout();
    EXPECT_EQ(operatorOf(plus)->colour, 0xFF123456u);
}

TEST_F(OperatorTest, TwoLayoutsLeaveOneFreshObject) {
    EqElement* plus = b.add(line, kPlus);
    layout();
    const float width = plus->width;
    layout();
    ASSERT_NE(operatorOf(plus), nullptr);
    EXPECT_EQ(operatorOf(plus)->element, plus);
    EXPECT_FLOAT_EQ(plus->width, width);
}

// ---- a picture with the shipped table

// Operators and brackets drawn at scale 4: something is drawn for each, and
// with TOLIVA_SHAPE_PNG_DIR set the picture is kept there for a look.
TEST(OperatorPicture, OperatorsAndBrackets) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    struct Piece {
        int type;
        const char16_t* text;
    };
    auto build = [&](std::initializer_list<Piece> pieces) {
        EqElement* l = b.line();
        for (const Piece& p : pieces) {
            if (p.text && p.type == 0) {
                b.text(l, p.text, EqTypeCharItalic);
            } else if (p.text) {
                EqElement* br = b.add(l, p.type, 1);
                b.text(EqBuilder::arg(br, 0), p.text, EqTypeCharItalic);
            } else {
                b.add(l, p.type);
            }
        }
    };
    build({{1043, nullptr}, {0, u"x"}, {1049, nullptr}, {337, u"a"}, {1042, nullptr}, {338, u"b"},
           {1045, nullptr}, {339, u"c"}, {1284, nullptr}, {340, u"d"}});
    build({{0, u"a"}, {1046, nullptr}, {0, u"b"}, {1048, nullptr}, {0, u"c"}, {1060, nullptr}, {0, u"d"},
           {1061, nullptr}, {0, u"e"}, {1052, nullptr}, {341, u"f"}, {342, u"g"}, {343, u"h"}, {344, u"i"},
           {345, u"j"}});
    EqElement* l = b.line();
    b.text(l, u"y", EqTypeCharItalic);
    b.add(l, 1049);
    EqElement* br = b.add(l, 337, 1);
    EqElement* frac = b.add(EqBuilder::arg(br, 0), EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharItalic);
    b.add(EqBuilder::arg(frac, 0), 1043);
    b.text(EqBuilder::arg(frac, 0), u"b", EqTypeCharItalic);
    b.text(EqBuilder::arg(frac, 1), u"2", EqTypeCharUpright);
    EqElement* brace = b.add(l, 339, 1);
    EqElement* frac2 = b.add(EqBuilder::arg(brace, 0), EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac2, 0), u"x", EqTypeCharItalic);
    EqElement* inner = b.add(EqBuilder::arg(frac2, 1), 340, 1);
    b.text(EqBuilder::arg(inner, 0), u"y", EqTypeCharItalic);

    const QImage image = test::drawPicture(test::programContext(), eq, 4.0f, QStringLiteral("operators_brackets.png"));

    // Each operator of the first line leaves ink inside its box.
    for (EqElement* e = eq.lines[0]->next; e; e = e->next) {
        if (!IsOperatorType(e)) continue;
        SCOPED_TRACE(e->type);
        int dark = 0;
        const gp::RectF r = e->rect;
        for (int y = int(r.y); y < int(r.bottom()); ++y)
            for (int x = int(r.x); x < int(r.right()); ++x)
                if (qGray(image.pixel(x, y)) < 128) ++dark;
        EXPECT_GT(dark, 10);
    }
}

}  // namespace
}  // namespace toliva
