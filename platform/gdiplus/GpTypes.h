// Plain geometry values of the drawing layer.
#pragma once

#include <cstdint>

namespace toliva::gp {

// Result of a drawing call. No call of the drawing layer throws.
enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
};

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

enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };

// Colours are ARGB (0xAARRGGBB) in memory.
using ARGB = uint32_t;

// COLORREF (0x00BBGGRR) to opaque ARGB, and back (alpha dropped).
constexpr ARGB ArgbFromColorref(uint32_t c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr uint32_t ColorrefFromArgb(ARGB a) { return ((a >> 16) & 0xFFu) | (a & 0xFF00u) | ((a & 0xFFu) << 16); }

}  // namespace toliva::gp
