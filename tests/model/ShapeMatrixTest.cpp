// Matrices: cell measures, alignments, row gaps, the cases form, damaged
// counts, rule lines, and a ruled matrix in brackets drawn as a picture.
#include "EqLayoutTestSupport.h"

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqOutput.h"
#include "model/ShapeMatrix.h"
#include "model/EqSpacing.h"
#include "platform/gdiplus/Graphics.h"
#include "tests/common/InkCheck.h"
#include "tests/common/ModelFixtures.h"

#include <QDir>
#include <QImage>

#include <cstring>
#include <string>

namespace toliva {
namespace {

using test::FixedBoxLayoutTest;

CKwEE_O_Matrix* matrixOf(const EqElement* e) { return dynamic_cast<CKwEE_O_Matrix*>(e->shape.get()); }

// A 32-byte rule record from eight masks.
void setRules(EqElement* e, const uint32_t (&masks)[8]) {
    uint8_t record[32];
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 4; ++k) record[4 * i + k] = uint8_t(masks[i] >> (8 * k));
    SetMatrixRules(e, record);
}

class MatrixLayoutTest : public FixedBoxLayoutTest {
protected:
    // A matrix of the type with one chain per cell text.
    EqElement* matrix(EqElement* chain, int type, std::initializer_list<std::u16string_view> cells, uint16_t ch = 0) {
        EqElement* e = b.add(chain, type, int(cells.size()), ch);
        int i = 0;
        for (std::u16string_view text : cells) b.text(EqBuilder::arg(e, i++), text, EqTypeCharItalic);
        return e;
    }
    float cellWidth(const EqElement* e, int i) const { return EqBuilder::arg(e, i)->chainWidth; }
    float outer() const { return spacing(SpacingMatrixOuterMargin) * S(); }
};

TEST_F(MatrixLayoutTest, OneCellIsItsCellPlusMarginsAndGaps) {
    EqElement* alone = matrix(line, EqTypeMatrixColumn, {u"x"});
    EqElement* line2 = b.line();
    b.text(line2, u"a");
    EqElement* between = matrix(line2, EqTypeMatrixColumn, {u"x"});
    b.text(line2, u"b");
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    EXPECT_FLOAT_EQ(alone->width, cellWidth(alone, 0) + 2 * outer());
    EXPECT_FLOAT_EQ(between->width, cellWidth(between, 0) + 2 * outer() + (spacing(SpacingElementGap) + 0.12f) * S() +
                                        (spacing(SpacingElementGap) + 0.08f) * S());
    // Centred on the baseline.
    EXPECT_FLOAT_EQ(alone->ascent, alone->descent);
    EXPECT_FLOAT_EQ(alone->ascent, EqBuilder::arg(alone, 0)->chainAscent);
}

TEST_F(MatrixLayoutTest, AlignmentPointOfEachCell) {
    // Alignment 3: at the marked element, else at the first relation, else
    // at the start, so a cell with neither hangs right of the column's point.
    EqElement* e = b.add(line, EqTypeMatrixColumn, 3, MatrixAlignMark);
    b.text(EqBuilder::arg(e, 0), u"ab", EqTypeCharItalic);
    b.text(EqBuilder::arg(e, 1), u"a", EqTypeCharItalic);
    EqElement* eqSign = b.add(EqBuilder::arg(e, 1), 1049);
    b.text(EqBuilder::arg(e, 1), u"b", EqTypeCharItalic);
    EqElement* marked = b.text(EqBuilder::arg(e, 2), u"cd", EqTypeCharItalic);
    SetAlignMark(marked);
    layout();
    const CKwEE_O_Matrix* o = matrixOf(e);
    ASSERT_NE(o, nullptr);
    EXPECT_FLOAT_EQ(o->cellLeft[0], 0.0f);
    EXPECT_FLOAT_EQ(o->cellRight[0], cellWidth(e, 0));
    EXPECT_FLOAT_EQ(o->cellLeft[1], eqSign->prev->width + eqSign->xOffset);
    EXPECT_FLOAT_EQ(o->cellLeft[2], marked->prev->width + marked->xOffset);
    EXPECT_FLOAT_EQ(o->columnLeft[0], std::max(o->cellLeft[1], o->cellLeft[2]));
    EXPECT_FLOAT_EQ(o->totalWidth, o->columnLeft[0] + o->columnRight[0]);
}

TEST_F(MatrixLayoutTest, DecimalPointAlignment) {
    EqElement* e = b.add(line, EqTypeMatrixColumn, 2, MatrixAlignPoint);
    b.text(EqBuilder::arg(e, 0), u"1.5");
    EqElement* point = b.text(EqBuilder::arg(e, 1), u"12.");
    b.text(EqBuilder::arg(e, 1), u"25");
    b.text(b.add(line, EqTypeMatrixColumn, 1, MatrixAlignPoint)->children[0], u"12");
    layout();
    const CKwEE_O_Matrix* o = matrixOf(e);
    EXPECT_FLOAT_EQ(o->cellLeft[1], point->prev->width + point->prev->prev->width + point->xOffset);
    const EqElement* noPoint = e->next;
    EXPECT_FLOAT_EQ(matrixOf(noPoint)->cellLeft[0], cellWidth(noPoint, 0));
}

TEST_F(MatrixLayoutTest, RowGapByClass) {
    const float u = spacing(SpacingMatrixRowGap) * S();
    const struct {
        uint16_t gapClass;
        float gap;
    } cases[] = {{0, u}, {1, -0.15f * S()}, {2, 0}, {3, 2 * u}, {4, 4 * u}, {9, u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gapClass);
        EqElement* e = matrix(b.line(), EqTypeMatrixColumn, {u"x", u"y"}, uint16_t(c.gapClass << 8));
        LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
        const CKwEE_O_Matrix* o = matrixOf(e);
        EXPECT_FLOAT_EQ(o->rowGap, c.gap);
        EXPECT_FLOAT_EQ(e->ascent + e->descent, o->totalHeight + c.gap);
    }
}

TEST_F(MatrixLayoutTest, ScriptSizeCells) {
    EqElement* small = matrix(line, EqTypeMatrixColumn, {u"x"}, 0x10);
    layout();
    EXPECT_FLOAT_EQ(matrixOf(small)->cellScale, spacing(SpacingMatrixCellScale) * spacing(SpacingScriptScale));
    EXPECT_FLOAT_EQ(matrixOf(small)->cellSize, spacing(SpacingMatrixCellScale) * spacing(SpacingScriptScale) * S());
}

TEST_F(MatrixLayoutTest, CasesFormSharesItsFirstRowsBaseline) {
    b.add(line, 1049);
    EqElement* e = matrix(line, EqTypeCases, {u"x", u"y", u"z"}, MatrixAlignLeft);
    layout();
    const CKwEE_O_Matrix* o = matrixOf(e);
    EXPECT_FLOAT_EQ(e->ascent, EqBuilder::arg(e, 0)->chainAscent);
    EXPECT_FLOAT_EQ(e->ascent + e->descent, o->totalHeight + 2 * o->rowGap);
    // No outer margins, and no left gap after an operator.
    EXPECT_FLOAT_EQ(o->leftGap, 0.0f);
    EXPECT_FLOAT_EQ(e->width, o->totalWidth);
}

TEST_F(MatrixLayoutTest, CountsBeyondTheChainsAreCutDown) {
    // Counts of 3 x 3 over four chains: three columns of one row.
    EqElement* e = matrix(line, EqTypeMatrix, {u"a", u"b", u"c", u"d"});
    e->payload = {3, 3};
    // Counts of 0 over two chains: one cell.
    EqElement* zero = matrix(b.line(), EqTypeMatrix, {u"a", u"b"});
    zero->payload = {0, 0};
    // No chains at all.
    EqElement* empty = b.add(b.line(), EqTypeMatrix, 0);
    empty->payload = {2, 2};
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    EXPECT_EQ(matrixOf(e)->columns, 3);
    EXPECT_EQ(matrixOf(e)->rows, 1);
    EXPECT_EQ(matrixOf(zero)->columns, 1);
    EXPECT_EQ(matrixOf(zero)->rows, 1);
    EXPECT_EQ(matrixOf(empty)->columns, 0);
    EXPECT_EQ(matrixOf(empty)->rows, 0);
    EXPECT_FLOAT_EQ(empty->width, 2 * outer());
    gp::RecordingGraphics g;
    DrawElement(line, g, 0, 50, nullptr, 1.0f, false);
    for (size_t i = 1; i < eq.lines.size(); ++i) DrawElement(eq.lines[i], g, 0, 50, nullptr, 1.0f, false);
}

TEST_F(MatrixLayoutTest, TwoLayoutsLeaveOneFreshObject) {
    EqElement* e = matrix(line, EqTypeMatrixRow, {u"x", u"y"});
    layout();
    const float width = e->width;
    layout();
    ASSERT_NE(matrixOf(e), nullptr);
    EXPECT_EQ(matrixOf(e)->element, e);
    EXPECT_EQ(matrixOf(e)->columns, 2);
    EXPECT_FLOAT_EQ(e->width, width);
}

// ---- rules

TEST(MatrixRules, StyleFromFourMasksAndItsDashes) {
    EXPECT_EQ(MatrixRuleStyle(0b01, 0, 0, 0, 1), 1);
    EXPECT_EQ(MatrixRuleStyle(0b01, 0, 0, 0, 2), 0);
    EXPECT_EQ(MatrixRuleStyle(0b10, 0b10, 0b10, 0, 2), 7);
    EXPECT_EQ(MatrixRuleStyle(0, 0, 0, 0b100, 3), 8);
    EXPECT_EQ(MatrixRuleStyle(~0u, ~0u, ~0u, ~0u, 33), 0);
    const float e = 2;
    EXPECT_EQ(MatrixRuleDashes(1, e), (std::vector<float>{2, 2}));
    EXPECT_EQ(MatrixRuleDashes(2, e), (std::vector<float>{2, 2, 6, 2}));
    EXPECT_EQ(MatrixRuleDashes(3, e), (std::vector<float>{6, 2}));
    EXPECT_TRUE(MatrixRuleDashes(4, e).empty());
    EXPECT_EQ(MatrixRuleDashes(7, e), (std::vector<float>{6, 2}));
}

class MatrixRuleDrawTest : public MatrixLayoutTest {
protected:
    // Strokes drawn by the matrix of four cells with the masks.
    std::vector<gp::RecordingGraphics::Op> rulesOf(const uint32_t (&masks)[8]) {
        EqElement* l = b.line();
        EqElement* e = matrix(l, EqTypeMatrix, {u"a", u"b", u"c", u"d"});
        SetMatrixShape(2, e, 2);
        setRules(e, masks);
        LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
        m = matrixOf(e);
        gp::RecordingGraphics g;
        DrawElement(l, g, 0, 100, nullptr, 1.0f, false);
        std::vector<gp::RecordingGraphics::Op> strokes;
        for (const auto& op : g.ops)
            if (op.kind == "stroke") strokes.push_back(op);
        return strokes;
    }
    const CKwEE_O_Matrix* m = nullptr;
};

TEST_F(MatrixRuleDrawTest, MaskBitsBeyondTheBoundariesDrawNothingExtra) {
    const auto one = rulesOf({0, 0, 0, 0, 1, 1, 0, 0});
    const auto all = rulesOf({0, 0, 0, 0, ~0u, ~0u, 0, 0});
    ASSERT_EQ(one.size(), 2u);  // one vertical and one horizontal solid rule
    EXPECT_EQ(all.size(), one.size());
    EXPECT_TRUE(one[0].pen.dashPattern.empty());
    EXPECT_FLOAT_EQ(one[0].pen.width, spacing(SpacingMatrixRulePad) * S());
}

TEST_F(MatrixRuleDrawTest, RulesLieInTheMiddleOfTheGaps) {
    const auto rules = rulesOf({0, 0, 0, 0, 1, 1, 0, 0});
    ASSERT_EQ(rules.size(), 2u);
    const float x0 = 0 + m->leftGap;
    const float vx = x0 + m->outerMargin + m->columnLeft[0] + m->columnRight[0] + m->columnGap / 2;
    EXPECT_FLOAT_EQ(rules[0].points[0].x, vx);
    EXPECT_FLOAT_EQ(rules[0].points[1].x, vx);
    const float hy = 100 - m->element->ascent + m->rowAscent[0] + m->rowDescent[0] + m->rowGap / 2;
    EXPECT_FLOAT_EQ(rules[1].points[0].y, hy);
    // Across the cells and half a margin beyond, a little to the left.
    const float left = x0 - 0.033f * m->cellSize + m->outerMargin / 2;
    EXPECT_FLOAT_EQ(rules[1].points[0].x, left);
    EXPECT_FLOAT_EQ(rules[1].points[1].x, left + m->totalWidth + m->columnGap + m->outerMargin);
}

TEST_F(MatrixRuleDrawTest, DoubledStylesDrawTwoLinesFourPensApart) {
    // Style 5 (1 + 4) vertically, style 3 (1 + 2) horizontally.
    const auto rules = rulesOf({1, 1, 0, 1, 1, 0, 0, 0});
    ASSERT_EQ(rules.size(), 3u);
    const float p = spacing(SpacingMatrixRulePad) * S(), e = spacing(SpacingMatrixDash) * S();
    EXPECT_NEAR(rules[1].points[0].x - rules[0].points[0].x, 4 * p, 1e-4);
    EXPECT_EQ(rules[0].pen.dashPattern, (std::vector<float>{e, e}));
    EXPECT_EQ(rules[2].pen.dashPattern, (std::vector<float>{3 * e, e}));
}

// ---- ink

// Drawn between two invisible neighbours, every form and alignment keeps its
// cells and rules inside the drawn box.
struct InkCase {
    int type;
    uint16_t ch;
    bool ruled;
};

std::string inkOutsideBox(const InkCase& c) {
    EqModel eq(test::largeStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    SetPhantomKind(b.text(line, u"a"), PhantomFull, false);
    const int cells = c.type == EqTypeMatrix ? 4 : 3;
    EqElement* e = b.add(line, c.type, cells, c.ch);
    const char16_t* texts[] = {u"x", u"abc=d", u"y1", u"z"};
    for (int i = 0; i < cells; ++i) b.text(EqBuilder::arg(e, i), texts[i], EqTypeCharItalic);
    if (c.type == EqTypeMatrix) SetMatrixShape(2, e, 2);
    if (c.ruled) setRules(e, {0, 0, 0, 0, ~0u, ~0u, 0, ~0u});
    SetPhantomKind(b.text(line, u"b"), PhantomFull, false);
    test::layoutForInkCheck(test::programContext(), eq);
    const test::InkDrawing d = test::drawLineInk(test::programContext(), line, 800, 600, 200, 300);
    const test::InkCount r = test::countInk(d.image, e->rect);
    if (r.inside == 0) return "no ink";
    return test::inkComplaint(r, e->rect);
}

class MatrixInk : public ::testing::TestWithParam<InkCase> {};

TEST_P(MatrixInk, StaysInsideTheDrawnBox) { EXPECT_EQ(inkOutsideBox(GetParam()), ""); }

INSTANTIATE_TEST_SUITE_P(
    Forms, MatrixInk,
    testing::Values(InkCase{EqTypeMatrixRow, 0, false}, InkCase{EqTypeMatrixColumn, MatrixAlignRight, false},
                    InkCase{EqTypeMatrix, 0, true}, InkCase{EqTypeMatrix, MatrixAlignMark | 0x100, true},
                    InkCase{EqTypeCases, 0, false}, InkCase{EqTypeCases, MatrixAlignLeft, false},
                    InkCase{EqTypeCases, MatrixAlignRight, false}, InkCase{EqTypeCases, MatrixAlignMark, false}),
    [](const testing::TestParamInfo<InkCase>& info) {
        return "type" + std::to_string(info.param.type) + "_" + std::to_string(info.param.ch) +
               (info.param.ruled ? "_ruled" : "");
    });

// ---- a picture

// A ruled 3 x 3 matrix in square brackets, drawn at scale 4: its ink stays
// inside the picture, and with TOLIVA_SHAPE_PNG_DIR set the picture is kept
// there for a look.
TEST(MatrixPicture, RuledMatrixInBrackets) {
    EqModel eq(test::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"A", EqTypeCharItalic);
    b.add(line, 1049);
    EqElement* br = b.add(line, 338, 1);
    EqElement* m = b.add(EqBuilder::arg(br, 0), EqTypeMatrix, 9);
    const char16_t* cells[] = {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i"};
    for (int i = 0; i < 9; ++i) b.text(EqBuilder::arg(m, i), cells[i], EqTypeCharItalic);
    b.add(EqBuilder::arg(m, 4), 1042);
    b.text(EqBuilder::arg(m, 4), u"1");
    SetMatrixShape(3, m, 3);
    // Solid rules between the columns and the first rows, a doubled dotted
    // one between the last rows.
    setRules(m, {0, 0b10, 0, 0, 0b11, 0b11, 0, 0});

    EqPictureMetrics pm;
    const QImage image = test::drawPicture(test::programContext(), eq, 4.0f, QStringLiteral("matrix_ruled.png"), &pm);
    ASSERT_GT(pm.width, 100.0f);

    // The cells and the rules lie inside the bracket's box.
    const gp::RectF box = br->rect;
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128 && x > box.x + 1 && x < box.right() - 1) ++dark;
    EXPECT_GT(dark, 500);
    const CKwEE_O_Matrix* o = matrixOf(m);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->rows, 3);
    EXPECT_EQ(o->columns, 3);
    EXPECT_TRUE(o->ruled);
}

}  // namespace
}  // namespace toliva
