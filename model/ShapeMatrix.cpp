#include "model/ShapeMatrix.h"

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "model/EqTypes.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Pen.h"

#include <algorithm>

namespace toliva {

namespace {

uint32_t readMask(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The left part of a cell: how far its alignment point lies from its start.
float cellLeftPart(const EqElement* head, uint8_t alignment) {
    const float width = head ? head->chainWidth : 0.0f;
    switch (alignment) {
    case MatrixAlignMark: {
        float offset = 0;
        if (OffsetToAlignMark(head, &offset)) return offset;
        return OffsetToRelation(head);
    }
    case MatrixAlignPoint: return head ? OffsetToDecimalPoint(head) : 0.0f;
    default: return width;
    }
}

float rowGapFor(int gapClass, float unit, float cellSize) {
    switch (gapClass) {
    case 1: return -0.15f * cellSize;
    case 2: return 0;
    case 3: return 2 * unit * cellSize;
    case 4: return 4 * unit * cellSize;
    default: return unit * cellSize;
    }
}

}  // namespace

int MatrixRuleStyle(uint32_t m0, uint32_t m1, uint32_t m2, uint32_t m3, int k) {
    if (k < 1 || k > 32) return 0;
    const uint32_t bit = 1u << (k - 1);
    return ((m0 & bit) ? 1 : 0) + ((m1 & bit) ? 2 : 0) + ((m2 & bit) ? 4 : 0) + ((m3 & bit) ? 8 : 0);
}

std::vector<float> MatrixRuleDashes(int style, float e) {
    switch ((style - 1) % 4 + 1) {
    case 1: return {e, e};
    case 2: return {e, e, 3 * e, e};
    case 3: return {3 * e, e};
    default: return {};
    }
}

void CKwEE_O_Matrix::Layout(EqElement* e, gp::Graphics* graphics, float s, uint8_t flag) {
    CKwEE_O::Layout(e, graphics, s, flag);
    if (!e || !e->owner) return;
    const EqModel* eq = e->owner;
    const EqLayoutSettings& st = eq->settings;

    cellScale = s * SpacingOf(e, SpacingMatrixCellScale);
    if (((e->ch >> 4) & 0x0F) == 1) cellScale *= ScriptScaleFactor(eq);
    cellScale = std::max(cellScale, eq->minScale);

    alignment = uint8_t(e->ch & 0x0F);
    const MatrixShape shape = GetMatrixShape(e);
    // Counts that promise more cells than the element holds, or none, are
    // cut down to the chains that exist.
    const int chains = int(e->children.size());
    columns = std::clamp(shape.count1, chains > 0 ? 1 : 0, chains);
    rows = columns > 0 ? std::clamp(shape.count2, 1, chains / columns) : 0;
    ruled = false;
    for (int i = 0; i < 8; ++i) {
        masks[i] = readMask(shape.rules + 4 * i);
        ruled = ruled || masks[i] != 0;
    }

    const size_t cells = size_t(rows) * size_t(columns);
    cellAscent.assign(cells, 0);
    cellDescent.assign(cells, 0);
    cellLeft.assign(cells, 0);
    cellRight.assign(cells, 0);
    rowAscent.assign(size_t(rows), 0);
    rowDescent.assign(size_t(rows), 0);
    columnLeft.assign(size_t(columns), 0);
    columnRight.assign(size_t(columns), 0);

    for (size_t i = 0; i < cells; ++i) {
        EqElement* head = ChildChain(e, int(i));
        if (!head) continue;
        LayoutElement(head, graphics, cellScale, flag);
        cellAscent[i] = head->chainAscent;
        cellDescent[i] = head->chainDescent;
        cellLeft[i] = cellLeftPart(head, alignment);
        cellRight[i] = head->chainWidth - cellLeft[i];
        const size_t r = i / size_t(columns), c = i % size_t(columns);
        rowAscent[r] = std::max(rowAscent[r], cellAscent[i]);
        rowDescent[r] = std::max(rowDescent[r], cellDescent[i]);
        columnLeft[c] = std::max(columnLeft[c], cellLeft[i]);
        columnRight[c] = std::max(columnRight[c], cellRight[i]);
    }
    totalHeight = 0;
    for (int r = 0; r < rows; ++r) totalHeight += rowAscent[size_t(r)] + rowDescent[size_t(r)];
    totalWidth = 0;
    for (int c = 0; c < columns; ++c) totalWidth += columnLeft[size_t(c)] + columnRight[size_t(c)];

    cellSize = cellScale * st.fontSize;
    columnGap = SpacingOf(e, SpacingMatrixColumnGap) * cellSize;
    outerMargin = SpacingOf(e, SpacingMatrixOuterMargin) * cellSize;
    rowGap = rowGapFor((e->ch >> 8) & 0x0F, SpacingOf(e, SpacingMatrixRowGap), cellSize);

    const float height = float(std::max(rows - 1, 0)) * rowGap + totalHeight;
    e->ascent = e->descent = height / 2;
    e->width = float(std::max(columns - 1, 0)) * columnGap + totalWidth + 2 * outerMargin;

    const EqElement* prev = e->prev;
    leftGap = 0;
    if (prev && prev->type != EqTypeChainHead && !(e->type == EqTypeCases && IsOperatorType(prev)))
        leftGap = (SpacingOf(e, SpacingElementGap) + 0.12f) * cellSize;
    rightGap = e->next ? (SpacingOf(e, SpacingElementGap) + 0.08f) * cellSize : 0.0f;
    e->width += leftGap + rightGap;

    if (e->type == EqTypeCases) {
        e->ascent = rows > 0 ? rowAscent[0] : 0.0f;
        e->descent = height - e->ascent;
        e->width -= 2 * outerMargin;
    }
}

void CKwEE_O_Matrix::Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) {
    EqElement* e = element;
    if (!e || !graphics || !e->owner) return;
    gp::Graphics& g = *graphics;
    const size_t cells = size_t(rows) * size_t(columns);
    if (cellAscent.size() < cells || rowAscent.size() < size_t(rows) || columnLeft.size() < size_t(columns)) return;

    // The cases form has no outer margins: its cells start right after the
    // left gap, whatever their alignment.
    float x0 = x + leftGap;
    if (e->type == EqTypeCases) x0 -= outerMargin;

    float rowTop = y - e->ascent;
    for (int r = 0; r < rows; ++r) {
        const float baseline = rowTop + rowAscent[size_t(r)];
        float columnStart = x0 + outerMargin;
        for (int c = 0; c < columns; ++c) {
            const size_t i = size_t(r) * size_t(columns) + size_t(c);
            const float colLeft = columnLeft[size_t(c)];
            const float colWidth = colLeft + columnRight[size_t(c)];
            EqElement* head = ChildChain(e, int(i));
            const float cellWidth = head ? head->chainWidth : 0.0f;
            float at = columnStart;
            switch (alignment) {
            case MatrixAlignLeft: break;
            case MatrixAlignRight: at = columnStart + colLeft - cellWidth; break;
            case MatrixAlignMark:
            case MatrixAlignPoint: at = columnStart + colLeft - cellLeft[i]; break;
            default: at = columnStart + (colWidth - cellWidth) / 2; break;
            }
            DrawChain(head, g, at, baseline, cellScale, flag != 0);
            columnStart += colWidth + columnGap;
        }
        rowTop = baseline + rowDescent[size_t(r)] + rowGap;
    }

    if (ruled) DrawRules(g, x0, y);
}

void CKwEE_O_Matrix::DrawRules(gp::Graphics& g, float x0, float y) {
    EqElement* e = element;
    const float p = SpacingOf(e, SpacingMatrixRulePad) * cellSize;
    const float dash = SpacingOf(e, SpacingMatrixDash) * cellSize * (e->owner->outlineText ? 0.2f : 1.0f);
    const gp::ARGB colour = GetElementDrawColour(e, 8);

    auto penFor = [&](int style) {
        gp::Pen pen(colour, p);
        const std::vector<float> dashes = MatrixRuleDashes(style, dash);
        if (!dashes.empty()) pen.SetDashPattern(dashes.data(), int(dashes.size()));
        return pen;
    };
    // One rule, doubled for styles 5 to 8 (offset across the line by +-2 p).
    auto rule = [&](int style, gp::PointF a, gp::PointF b, gp::PointF across) {
        if (style < 1 || style > 8) return;
        const gp::Pen pen = penFor(style);
        if (style <= 4) {
            g.DrawLine(pen, a, b);
            return;
        }
        for (float side : {-2.0f, 2.0f}) {
            const gp::PointF d{across.x * side * p, across.y * side * p};
            g.DrawLine(pen, {a.x + d.x, a.y + d.y}, {b.x + d.x, b.y + d.y});
        }
    };

    // Vertical rules in the middle of each column gap.
    const float top = y - e->ascent + 0.15f * cellSize;
    const float bottom = y + e->descent - 0.15f * cellSize;
    float at = x0 + outerMargin;
    for (int k = 1; k < columns; ++k) {
        at += columnLeft[size_t(k - 1)] + columnRight[size_t(k - 1)];
        const float rx = at + columnGap / 2;
        rule(MatrixRuleStyle(masks[0], masks[2], masks[4], masks[6], k), {rx, top}, {rx, bottom}, {1, 0});
        at += columnGap;
    }

    // Horizontal rules in the middle of each row gap, across the cells and
    // half an outer margin beyond them on either side.
    const float bodyWidth = float(std::max(columns - 1, 0)) * columnGap + totalWidth;
    const float left = x0 - 0.033f * cellSize + outerMargin / 2;
    const float right = left + bodyWidth + outerMargin;
    float rowBottom = y - e->ascent;
    for (int k = 1; k < rows; ++k) {
        rowBottom += rowAscent[size_t(k - 1)] + rowDescent[size_t(k - 1)];
        const float ry = rowBottom + rowGap / 2;
        rule(MatrixRuleStyle(masks[1], masks[3], masks[5], masks[7], k), {left, ry}, {right, ry}, {0, 1});
        rowBottom += rowGap;
    }
}

}  // namespace toliva
