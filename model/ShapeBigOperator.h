// Big operators with limits (element types 306-335, 800-805, 848-863): a
// large symbol, then a body, with an optional lower and upper limit. Types
// 848-859 and 863 set their limits at the side of the symbol, the others
// above and below it.
//
// Sums and products come from the symbol library's outline list (860-863
// keep their own outline on the element); unions, intersections, vees and
// circled operators are drawn from the outline's box.
//
// Child chains: the body alone; lower limit and body; or upper limit, lower
// limit and body. The body is always the last chain.
#pragma once

#include "model/ShapeObject.h"
#include "platform/gdiplus/GpTypes.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <cstdint>

namespace toliva {

// How the symbol of a big operator type is made.
enum class BigOperatorShape {
    Outline,      // the outline, filled
    Arch,         // two legs joined by a half circle at the top, stroked
    SquareArch,   // left leg, bottom, right leg, stroked
    ArchPlus,     // the arch with a plus inside
    Vee,          // two strokes meeting at the bottom centre
    CircleTimes,  // a circle with a times sign inside
    CircleDot,    // a circle with a filled dot inside
    CirclePlus,   // a circle with a plus inside
};

BigOperatorShape BigOperatorShapeOf(int32_t type);
// Whether the symbol is drawn turned by 180 degrees.
bool IsTurnedBigOperator(int32_t type);
// Whether the limits stand at the side of the symbol.
bool HasSideLimits(int32_t type);
// The outline record of the symbol library for a type and option byte 1.
int BigOperatorOutlineIndex(int32_t type, uint8_t optionByte);

class CKwEE_O_SPB final : public CKwEE_O {
public:
    void Layout(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag) override;
    void Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) override;

    uint8_t sideLimits = 0;
    float gap = 0;         // between the symbol and the body
    float symbolSize = 0;  // size in percent handed to the outline
    gp::GraphicsPath path; // the symbol, in the frame of the outline's bounds
    gp::RectF box;         // the symbol's box in that frame

private:
    void BuildSymbol();
};

}  // namespace toliva
