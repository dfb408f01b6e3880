// Plain geometry values of the drawing layer.
#pragma once

#include <cstdint>

namespace toliva::gp {

struct PointF {
    float x = 0;
    float y = 0;
    friend bool operator==(const PointF&, const PointF&) = default;
};

struct SizeF {
    float width = 0;
    float height = 0;
};

struct RectF {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    float right() const { return x + width; }
    float bottom() const { return y + height; }
    friend bool operator==(const RectF&, const RectF&) = default;
};

// Colours are ARGB (0xAARRGGBB) in memory.
using ARGB = uint32_t;

// COLORREF (0x00BBGGRR) to opaque ARGB, and back (alpha dropped).
constexpr ARGB ArgbFromColorref(uint32_t c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr uint32_t ColorrefFromArgb(ARGB a) { return ((a >> 16) & 0xFFu) | (a & 0xFF00u) | ((a & 0xFFu) << 16); }

}  // namespace toliva::gp
