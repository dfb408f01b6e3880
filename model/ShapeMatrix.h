// Matrices (element types 369 to 372): one child chain per cell, row by row.
// 369 is a row, 370 a column, 371 a general matrix (its counts in the
// payload), 372 the column form of cases and aligned lines, whose baseline is
// that of its first row.
//
// The element's character field carries the cell setting: bits 0-3 the column
// alignment (1 left, 2 right, 3 at the alignment point, 4 at the decimal
// point, anything else centred), bits 4-7 equal to 1 the script size, bits
// 8-11 the row gap class. The payload's 32-byte rule record holds eight masks:
// bit k-1 of M0, M2, M4, M6 concerns the rule between columns k-1 and k, bit
// k-1 of M1, M3, M5, M7 the rule between rows k-1 and k; the four bits of a
// position together give its rule style (see MatrixRuleStyle).
#pragma once

#include "model/ShapeObject.h"
#include "platform/gdiplus/GpTypes.h"

#include <cstdint>
#include <vector>

namespace toliva {

enum MatrixAlignment : uint8_t {
    MatrixAlignLeft = 1,
    MatrixAlignRight = 2,
    MatrixAlignMark = 3,
    MatrixAlignPoint = 4,
};

// The rule style of one boundary: bit k-1 of the first, second, third and
// fourth mask give 1, 2, 4 and 8. Styles 1 to 4 are dotted, dash-dot, dashed
// and solid lines; 5 to 8 the same doubled; 0 and 9 to 15 no line.
int MatrixRuleStyle(uint32_t m0, uint32_t m1, uint32_t m2, uint32_t m3, int k);

// The dash array of a rule style 1 to 8 with dash unit e (empty: solid).
std::vector<float> MatrixRuleDashes(int style, float e);

class CKwEE_O_Matrix final : public CKwEE_O {
public:
    void Layout(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag) override;
    void Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) override;

    int columns = 0;
    int rows = 0;
    uint8_t alignment = 0;
    bool ruled = false;
    uint32_t masks[8] = {};

    // Per cell (row-major), per row and per column measures.
    std::vector<float> cellAscent, cellDescent, cellLeft, cellRight;
    std::vector<float> rowAscent, rowDescent;
    std::vector<float> columnLeft, columnRight;
    float totalHeight = 0;
    float totalWidth = 0;

    float cellScale = 1.0f;
    float cellSize = 0;
    float columnGap = 0;
    float outerMargin = 0;
    float rowGap = 0;
    float leftGap = 0;
    float rightGap = 0;

private:
    void DrawRules(gp::Graphics& g, float x0, float y);
};

}  // namespace toliva
