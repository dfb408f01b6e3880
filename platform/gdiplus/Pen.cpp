#include "Pen.h"

#include <cmath>

namespace toliva::gp {

void Pen::SetDashStyle(DashStyle style) {
    dashStyle = style;
    if (style != DashStyleCustom) dashPattern.clear();
}

Status Pen::SetDashPattern(const float* pattern, int count) {
    if (!pattern || count <= 0) return InvalidParameter;
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(pattern[i]) || pattern[i] <= 0) return InvalidParameter;
    dashPattern.assign(pattern, pattern + count);
    dashStyle = DashStyleCustom;
    return Ok;
}

std::vector<float> Pen::effectiveDashes() const {
    switch (dashStyle) {
    case DashStyleSolid:
        return {};
    case DashStyleDash:
        return {3, 1};
    case DashStyleDot:
        return {1, 1};
    case DashStyleDashDot:
        return {3, 1, 1, 1};
    case DashStyleDashDotDot:
        return {3, 1, 1, 1, 1, 1};
    case DashStyleCustom:
        return dashPattern;
    }
    return {};
}

}  // namespace toliva::gp
