// Operator drawing records and the drawing of their primitives.
//
// Operator characters (element types 1042 to 1289) are not taken from a font:
// each is drawn from one record of the symbol library's operator table
// (record index = element type - 1042). A record holds the operator's width
// and height factors, a flags byte and up to six stroked primitives given in
// the operator's drawing unit (width factor x spacing 37 x size).
//
// Stream form of one record (little-endian, 159 bytes):
//   float32 width factor, float32 height factor, uint8 flags,
//   then six primitives of 25 bytes each:
//   float32 pen, float32 angle, float32 sx, float32 sy, float32 x, float32 y,
//   uint8 kind.
// Every primitive is stored, also the kind-0 ones behind the last used one.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <cstddef>
#include <cstdint>

namespace toliva {

class Archive;

namespace gp {
class Graphics;
}

// The primitive kinds. In the table, (x, y) is the primitive's anchor relative
// to the operator's centre on its baseline (or on the math axis), and
// w = sx x unit, h = sy x unit; "rotated" means the frame at the anchor is
// turned by the primitive's angle (degrees). Pens are pen x stroke width wide
// with round caps and joins.
enum OperatorPrimitiveKind : uint8_t {
    OpPrimNone = 0,         // no primitive: drawing stops here
    OpPrimLine = 1,         // line from (x, y) to (sx, sy), all in units, no rotation
    OpPrimSCurve = 2,       // S-shaped Bezier across w, h; turned by angle + atan2(h, w) x 45 / pi
    OpPrimCaret = 3,        // rotated open polyline (-w/2, h/2), (0, -h/2), (w/2, h/2), round dots on its points
    OpPrimTriangle = 4,     // as OpPrimCaret, closed into a triangle
    OpPrimBracket = 5,      // rotated open polyline (-w/2, h/2), (-w/2, -h/2), (w/2, -h/2), (w/2, h/2)
    OpPrimRectangle = 6,    // as OpPrimBracket, closed
    OpPrimArc = 7,          // arc of the circle of diameter w; start = angle, sweep = sy degrees (unscaled)
    OpPrimDot = 8,          // filled circle of radius w, not rotated
    OpPrimEllipse = 9,      // outline ellipse of radii w and h, not rotated
    OpPrimCurl = 10,        // rotated curl of three tangent arcs (radii 0.5, 0.1464, 0.25 of w
                            // across and h down), its bounds centred on the anchor
    OpPrimQuarterArc = 11,  // rotated arc of box (-1.5 w, -1.5 h, 2 w, 2 h), start 90, sweep -90
    OpPrimQuarterArc2 = 12, // rotated arc of box (-1.5 w, -0.5 h, 2 w, 2 h), start -90, sweep 90
    OpPrimBow = 13,         // rotated bow open to the right: top line, half circle of diameter h, bottom line
    OpPrimLoop = 14,        // rotated pair of arcs of circles of diameter h at either end of w,
                            // joined along their inner tangent (an open figure eight)
    OpPrimSCurveMirror = 15 // OpPrimSCurve with y negated, turned by angle - atan2(h, w) x 45 / pi
};

struct OperatorPrimitive {
    uint8_t kind = OpPrimNone;
    float pen = 0;    // stroke width factor
    float angle = 0;  // degrees
    float x = 0;      // anchor, in units, from the operator's centre
    float y = 0;
    float sx = 0;     // extents, in units (kind 1: the line's end point)
    float sy = 0;
};

constexpr int kOperatorPrimitiveCount = 6;
constexpr int kOperatorPrimitiveStreamSize = 25;
constexpr int kOperatorRecordStreamSize = 8 + 1 + kOperatorPrimitiveCount * kOperatorPrimitiveStreamSize;  // 159
constexpr int kFirstOperatorType = 1042;
constexpr int kLastOperatorType = 1289;
constexpr int kOperatorTableSize = kLastOperatorType - kFirstOperatorType + 1;  // 248

struct OperatorDrawRecord {
    float widthFactor = 0;   // unit = widthFactor x spacing 37 x size
    float heightFactor = 0;  // ascent/descent = this x those of the reference element
    // Low nibble: spacing class (0 and 2 take extra space next to
    // non-operators). High nibble 1: centred on the math axis.
    uint8_t flags = 0;
    OperatorPrimitive primitives[kOperatorPrimitiveCount];

    int spacingClass() const { return flags & 0x0F; }
    bool onMathAxis() const { return (flags >> 4) == 1; }
};

// Reads one record from size bytes; false (record left untouched) when fewer
// than kOperatorRecordStreamSize bytes are given. Extra bytes are ignored.
bool ParseOperatorRecord(const uint8_t* bytes, size_t size, OperatorDrawRecord* record);
// Writes exactly kOperatorRecordStreamSize bytes to out.
void SerializeOperatorRecord(const OperatorDrawRecord& record, uint8_t* out);
// The same through an archive (reading throws ArchiveException at the end of the data).
OperatorDrawRecord ReadOperatorRecord(Archive& ar);
void WriteOperatorRecord(Archive& ar, const OperatorDrawRecord& record);

// Where and how one operator is drawn: what the operator object computes
// before it draws its primitives.
struct OperatorFrame {
    float centreX = 0;     // x + xOffset + unit / 2
    float baselineY = 0;
    float axisOffset = 0;  // added to every y (see OperatorAxisOffset)
    float unit = 0;        // drawing unit
    float strokeWidth = 0; // spacing 51 x size
    gp::ARGB colour = 0xFF000000;
};

// The axis offset of a record: equation axis offset x size - stroke width / 2
// for a record centred on the math axis, else 0.
float OperatorAxisOffset(const OperatorDrawRecord& record, float equationAxisOffset, float size, float strokeWidth);

// Draws one primitive by its kind; unknown kinds and kind 0 draw nothing.
// The graphics' world transform is the same afterwards.
void DrawOperatorPrimitive(const OperatorPrimitive& primitive, const OperatorFrame& frame, gp::Graphics& graphics);

// Draws the record's primitives in order, stopping at the first of kind 0.
void DrawOperatorRecord(const OperatorDrawRecord& record, const OperatorFrame& frame, gp::Graphics& graphics);

// The negation slash drawn over an operator whose character is U+EEFF
// (the frame's axis offset is not used).
void DrawOperatorNegation(int recordIndex, const OperatorFrame& frame, gp::Graphics& graphics);
// How far that slash reaches above and below the baseline, in drawing units
// (its pen and caps not counted).
float OperatorNegationReach(int recordIndex);

// Record recordIndex of a table of count records; null when the index lies
// outside the table (a short or absent table).
const OperatorDrawRecord* FindOperatorRecord(const OperatorDrawRecord* table, int count, int recordIndex);

// Draws record recordIndex of the table: the frame's axis offset is taken from
// OperatorAxisOffset, then the primitives, then the negation slash when
// negated. An index outside the table draws nothing and answers false.
bool DrawOperatorFromTable(const OperatorDrawRecord* table, int count, int recordIndex, OperatorFrame frame,
                           float equationAxisOffset, float size, bool negated, gp::Graphics& graphics);

}  // namespace toliva
