// Integrals (element types 274-305 and 769-788): one or more integral signs
// taken from the symbol library's outline list, an optional contour ring,
// arrow ring, dots or stroke, then the integrand, with an optional lower and
// upper limit. Types up to 768 set their limits at the side of the sign like
// scripts; 769 to 788 above and below it.
//
// Child chains: the integrand alone; lower limit and integrand; or upper
// limit, lower limit and integrand. The integrand is always the last chain.
#pragma once

#include "model/ShapeObject.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <cstdint>

namespace toliva {

// The sign style of option byte 0: values above 5 count as 5.
int IntegralStyle(uint8_t optionByte);
// The signs an integral type draws beyond the first (0 to 3).
int IntegralExtraSteps(int32_t type);
// Types drawn as one sign, three dots and a second sign.
bool IsDottedIntegralType(int32_t type);
// The record of the outline list that draws the sign of a style.
int IntegralOutlineIndex(int style);

class CKwEE_O_integral final : public CKwEE_O {
public:
    void Layout(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag) override;
    void Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) override;

    float gapUnit = 0;          // size x (spacing 1 + 0.2)
    float signWidth = 0;        // all signs of a multiple integral
    float singleSignWidth = 0;
    float step = 0;             // from one sign to the next
    float signHeight = 0;
    float pathOffsetX = 0;      // where the path's origin lies from the sign's left edge
    float pathOffsetY = 0;      // and from the baseline (the sign is centred on it)
    int style = 0;
    gp::GraphicsPath path;      // the sign at its size and slant
    float limitShift = 0;       // limits above and below: their offset from the sign's centre

private:
    void BuildSign();
};

}  // namespace toliva
