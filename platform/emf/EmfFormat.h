// Numbers of the enhanced-metafile and Windows-metafile formats that the
// recorder, the writers and the player use.
#pragma once

#include <cstdint>

namespace toliva::emf {

// Enhanced-metafile record types.
enum EmrType : uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_POLYDRAW = 56,
    EMR_SETARCDIRECTION = 57,
    EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_COMMENT = 70,
    EMR_FILLRGN = 71,
    EMR_PAINTRGN = 74,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_ALPHABLEND = 114,
};

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kEmfVersion = 0x00010000;
constexpr uint32_t kEmfHeaderMinSize = 88;      // without the later extensions
constexpr uint32_t kEmfHeaderSize = 108;        // with both extensions

// Stock objects are selected by index with the high bit set.
constexpr uint32_t kStockObject = 0x80000000;
enum StockObject : uint32_t {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    DC_BRUSH = 18,
    DC_PEN = 19,
};

// Pen styles (LOGPEN and EXTLOGPEN).
constexpr uint32_t PS_SOLID = 0;
constexpr uint32_t PS_DASH = 1;
constexpr uint32_t PS_DOT = 2;
constexpr uint32_t PS_DASHDOT = 3;
constexpr uint32_t PS_DASHDOTDOT = 4;
constexpr uint32_t PS_NULL = 5;
constexpr uint32_t PS_INSIDEFRAME = 6;
constexpr uint32_t PS_USERSTYLE = 7;
constexpr uint32_t PS_ALTERNATE = 8;
constexpr uint32_t PS_STYLE_MASK = 0x0000000F;
constexpr uint32_t PS_ENDCAP_ROUND = 0x00000000;
constexpr uint32_t PS_ENDCAP_SQUARE = 0x00000100;
constexpr uint32_t PS_ENDCAP_FLAT = 0x00000200;
constexpr uint32_t PS_ENDCAP_MASK = 0x00000F00;
constexpr uint32_t PS_JOIN_ROUND = 0x00000000;
constexpr uint32_t PS_JOIN_BEVEL = 0x00001000;
constexpr uint32_t PS_JOIN_MITER = 0x00002000;
constexpr uint32_t PS_JOIN_MASK = 0x0000F000;
constexpr uint32_t PS_COSMETIC = 0x00000000;
constexpr uint32_t PS_GEOMETRIC = 0x00010000;
constexpr uint32_t PS_TYPE_MASK = 0x000F0000;

// Brush styles and hatches.
constexpr uint32_t BS_SOLID = 0;
constexpr uint32_t BS_NULL = 1;
constexpr uint32_t BS_HATCHED = 2;
constexpr uint32_t HS_HORIZONTAL = 0;
constexpr uint32_t HS_VERTICAL = 1;
constexpr uint32_t HS_FDIAGONAL = 2;
constexpr uint32_t HS_BDIAGONAL = 3;
constexpr uint32_t HS_CROSS = 4;
constexpr uint32_t HS_DIAGCROSS = 5;

// Modes.
constexpr uint32_t TRANSPARENT_MODE = 1;
constexpr uint32_t OPAQUE_MODE = 2;
constexpr uint32_t ALTERNATE = 1;
constexpr uint32_t WINDING = 2;
constexpr uint32_t MWT_IDENTITY = 1;
constexpr uint32_t MWT_LEFTMULTIPLY = 2;
constexpr uint32_t MWT_RIGHTMULTIPLY = 3;
constexpr uint32_t MWT_SET = 4;
constexpr uint32_t RGN_AND = 1;
constexpr uint32_t RGN_OR = 2;
constexpr uint32_t RGN_XOR = 3;
constexpr uint32_t RGN_DIFF = 4;
constexpr uint32_t RGN_COPY = 5;
constexpr uint32_t MM_TEXT = 1;
constexpr uint32_t MM_LOMETRIC = 2;
constexpr uint32_t MM_HIMETRIC = 3;
constexpr uint32_t MM_LOENGLISH = 4;
constexpr uint32_t MM_HIENGLISH = 5;
constexpr uint32_t MM_TWIPS = 6;
constexpr uint32_t MM_ISOTROPIC = 7;
constexpr uint32_t MM_ANISOTROPIC = 8;

// Text alignment and text-out options.
constexpr uint32_t TA_UPDATECP = 0x0001;
constexpr uint32_t TA_RIGHT = 0x0002;
constexpr uint32_t TA_CENTER = 0x0006;
constexpr uint32_t TA_HORZ_MASK = 0x0006;
constexpr uint32_t TA_BOTTOM = 0x0008;
constexpr uint32_t TA_BASELINE = 0x0018;
constexpr uint32_t TA_VERT_MASK = 0x0018;
constexpr uint32_t ETO_OPAQUE = 0x0002;
constexpr uint32_t ETO_CLIPPED = 0x0004;
constexpr uint32_t ETO_NO_RECT = 0x0100;
constexpr uint32_t ETO_PDY = 0x2000;

// Raster operations.
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;

constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint8_t AC_SRC_ALPHA = 1;

// Windows-metafile record functions.
enum WmfFunction : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_DELETEOBJECT = 0x01F0,
    META_SETBKCOLOR = 0x0201,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_INTERSECTCLIPRECT = 0x0416,
    META_POLYPOLYGON = 0x0538,
    META_ESCAPE = 0x0626,
    META_STRETCHDIB = 0x0F43,
};

constexpr uint16_t MFCOMMENT = 15;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

}  // namespace toliva::emf
