#include "model/OperatorPrimitives.h"

#include "platform/Archive.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsGuards.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Pen.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace toliva {

namespace {

float readFloat(const uint8_t* p) {
    const uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void writeFloat(uint8_t* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(bits >> (8 * i));
}

}  // namespace

bool ParseOperatorRecord(const uint8_t* bytes, size_t size, OperatorDrawRecord* record) {
    if (!bytes || !record || size < size_t(kOperatorRecordStreamSize)) return false;
    OperatorDrawRecord r;
    r.widthFactor = readFloat(bytes);
    r.heightFactor = readFloat(bytes + 4);
    r.flags = bytes[8];
    const uint8_t* p = bytes + 9;
    for (OperatorPrimitive& prim : r.primitives) {
        prim.pen = readFloat(p);
        prim.angle = readFloat(p + 4);
        prim.sx = readFloat(p + 8);
        prim.sy = readFloat(p + 12);
        prim.x = readFloat(p + 16);
        prim.y = readFloat(p + 20);
        prim.kind = p[24];
        p += kOperatorPrimitiveStreamSize;
    }
    *record = r;
    return true;
}

void SerializeOperatorRecord(const OperatorDrawRecord& record, uint8_t* out) {
    writeFloat(out, record.widthFactor);
    writeFloat(out + 4, record.heightFactor);
    out[8] = record.flags;
    uint8_t* p = out + 9;
    for (const OperatorPrimitive& prim : record.primitives) {
        writeFloat(p, prim.pen);
        writeFloat(p + 4, prim.angle);
        writeFloat(p + 8, prim.sx);
        writeFloat(p + 12, prim.sy);
        writeFloat(p + 16, prim.x);
        writeFloat(p + 20, prim.y);
        p[24] = prim.kind;
        p += kOperatorPrimitiveStreamSize;
    }
}

OperatorDrawRecord ReadOperatorRecord(Archive& ar) {
    uint8_t bytes[kOperatorRecordStreamSize];
    ar.readBytes(bytes, kOperatorRecordStreamSize);
    OperatorDrawRecord r;
    ParseOperatorRecord(bytes, sizeof bytes, &r);
    return r;
}

void WriteOperatorRecord(Archive& ar, const OperatorDrawRecord& record) {
    uint8_t bytes[kOperatorRecordStreamSize];
    SerializeOperatorRecord(record, bytes);
    ar.writeBytes(bytes, kOperatorRecordStreamSize);
}

const OperatorDrawRecord* FindOperatorRecord(const OperatorDrawRecord* table, int count, int recordIndex) {
    if (!table || recordIndex < 0 || recordIndex >= count) return nullptr;
    return &table[recordIndex];
}

float OperatorAxisOffset(const OperatorDrawRecord& record, float equationAxisOffset, float size, float strokeWidth) {
    return record.onMathAxis() ? equationAxisOffset * size - strokeWidth / 2 : 0.0f;
}

namespace {

constexpr double kPi = 3.14159265358979323846;

using gp::PointF;

gp::Pen primitivePen(const OperatorPrimitive& p, const OperatorFrame& f) {
    gp::Pen pen(f.colour, p.pen * f.strokeWidth);
    pen.SetStartCap(gp::LineCapRound);
    pen.SetEndCap(gp::LineCapRound);
    pen.SetLineJoin(gp::LineJoinRound);
    return pen;
}

void dots(gp::Graphics& g, const gp::Pen& pen, const PointF* points, int count) {
    const gp::SolidBrush brush(pen.colour);
    const float d = pen.width;
    for (int i = 0; i < count; ++i) g.FillEllipse(brush, points[i].x - d / 2, points[i].y - d / 2, d, d);
}

// The curl: three tangent arcs of circles of radius 0.5, 0.1464 and 0.25 in
// units of (w, h), the second circle's centre 0.4571 = (0.5 + 0.1464) x
// 0.7072 down and left of the first's; the whole curl centred on the anchor.
gp::GraphicsPath curlPath(float w, float h) {
    const float ra = 0.5f, rb = 0.1464f, rc = 0.25f, diag = 0.7072f;
    const PointF a{0, 0};
    const PointF b{-(ra + rb) * diag, (ra + rb) * diag};
    const PointF c{b.x + (rb + rc) * diag, b.y + (rb + rc) * diag};
    auto box = [](PointF centre, float r) { return gp::RectF{centre.x - r, centre.y - r, 2 * r, 2 * r}; };
    gp::GraphicsPath path;
    path.AddArc(box(a, ra), 90, 45);
    path.AddArc(box(b, rb), -45, -270);
    path.AddArc(box(c, rc), 225, 45);
    const gp::RectF bounds = path.GetBounds();
    const float cx = bounds.x + bounds.width / 2, cy = bounds.y + bounds.height / 2;
    path.Transform(gp::Matrix(w, 0, 0, h, -cx * w, -cy * h));
    return path;
}

// The turning angle of the loop pair: the angle of the common inner tangent
// of two circles of diameter h whose centres lie w - h apart, at least 15
// degrees. Circles that touch or overlap take the smallest angle.
float loopAngle(float w, float h) {
    const float gap = w - h;
    float cosine = gap > 0 ? h / gap : 1.0f;
    if (!std::isfinite(cosine)) cosine = 1.0f;
    cosine = std::clamp(cosine, -1.0f, 1.0f);
    return std::max(float(std::acos(cosine) * 180.0 / kPi), 15.0f);
}

}  // namespace

void DrawOperatorPrimitive(const OperatorPrimitive& p, const OperatorFrame& f, gp::Graphics& g) {
    const float u = f.unit;
    const float w = p.sx * u, h = p.sy * u;
    const float ax = f.centreX + p.x * u, ay = f.baselineY + p.y * u + f.axisOffset;
    const gp::Pen pen = primitivePen(p, f);

    if (p.kind == OpPrimLine) {
        const float oy = f.baselineY + f.axisOffset;
        g.DrawLine(pen, f.centreX + p.x * u, oy + p.y * u, f.centreX + p.sx * u, oy + p.sy * u);
        return;
    }
    if (p.kind == OpPrimNone || p.kind > OpPrimSCurveMirror) return;

    gp::TransformScope scope(g);
    g.TranslateTransform(ax, ay);
    const float slant = float(std::atan2(h, w) * 45.0 / kPi);
    switch (p.kind) {
    case OpPrimSCurve:
        g.RotateTransform(p.angle + slant);
        g.DrawBezier(pen, -w / 2, h / 4, -0.33f * w / 2, -0.8f * h, 0.33f * w / 2, 0.8f * h, w / 2, -h / 4);
        break;
    case OpPrimSCurveMirror:
        g.RotateTransform(p.angle - slant);
        g.DrawBezier(pen, -w / 2, -h / 4, -0.33f * w / 2, 0.8f * h, 0.33f * w / 2, -0.8f * h, w / 2, h / 4);
        break;
    case OpPrimCaret:
    case OpPrimTriangle: {
        g.RotateTransform(p.angle);
        const PointF pts[] = {{-w / 2, h / 2}, {0, -h / 2}, {w / 2, h / 2}};
        g.DrawLine(pen, pts[1], pts[0]);
        g.DrawLine(pen, pts[1], pts[2]);
        if (p.kind == OpPrimTriangle) g.DrawLine(pen, pts[0], pts[2]);
        dots(g, pen, pts, 3);
        break;
    }
    case OpPrimBracket:
    case OpPrimRectangle: {
        g.RotateTransform(p.angle);
        const PointF pts[] = {{-w / 2, h / 2}, {-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}};
        if (p.kind == OpPrimBracket)
            g.DrawLines(pen, pts, 4);
        else
            g.DrawPolygon(pen, pts, 4);
        break;
    }
    case OpPrimArc: g.DrawArc(pen, -w / 2, -w / 2, w, w, p.angle, p.sy); break;
    case OpPrimDot: g.FillEllipse(gp::SolidBrush(f.colour), -w, -w, 2 * w, 2 * w); break;
    case OpPrimEllipse: g.DrawEllipse(pen, -w, -h, 2 * w, 2 * h); break;
    case OpPrimCurl:
        g.RotateTransform(p.angle);
        g.DrawPath(pen, curlPath(w, h));
        break;
    case OpPrimQuarterArc:
        g.RotateTransform(p.angle);
        g.DrawArc(pen, -1.5f * w, -1.5f * h, 2 * w, 2 * h, 90, -90);
        break;
    case OpPrimQuarterArc2:
        g.RotateTransform(p.angle);
        g.DrawArc(pen, -1.5f * w, -0.5f * h, 2 * w, 2 * h, -90, 90);
        break;
    case OpPrimBow: {
        g.RotateTransform(p.angle);
        gp::GraphicsPath path;
        path.AddLine(w / 2, -h / 2, h / 2 - w / 2, -h / 2);
        path.AddArc(-w / 2, -h / 2, h, h, -90, -180);
        path.AddLine(h / 2 - w / 2, h / 2, w / 2, h / 2);
        g.DrawPath(pen, path);
        break;
    }
    case OpPrimLoop: {
        g.RotateTransform(p.angle);
        const float A = loopAngle(w, h);
        gp::GraphicsPath path;
        path.AddArc(-w / 2, -h / 2, h, h, -90, A - 270);
        path.AddArc(w / 2 - h, -h / 2, h, h, A + 180, 270 - A);
        g.DrawPath(pen, path);
        break;
    }
    default: break;
    }
}

void DrawOperatorRecord(const OperatorDrawRecord& record, const OperatorFrame& frame, gp::Graphics& g) {
    for (const OperatorPrimitive& p : record.primitives) {
        if (p.kind == OpPrimNone) break;
        DrawOperatorPrimitive(p, frame, g);
    }
}

namespace {

// The slash over a negated operator: across the narrow record 53, steep
// over all others.
constexpr int kFlatNegationRecord = 53;
constexpr float kFlatSlash[] = {0.5f, -0.25f, -0.5f, 0.25f};
constexpr float kSteepSlash[] = {0.25f, -0.72f, -0.25f, 0.72f};

}  // namespace

float OperatorNegationReach(int recordIndex) {
    return recordIndex == kFlatNegationRecord ? kFlatSlash[3] : kSteepSlash[3];
}

void DrawOperatorNegation(int recordIndex, const OperatorFrame& frame, gp::Graphics& g) {
    OperatorFrame f = frame;
    f.axisOffset = 0;
    OperatorPrimitive slash;
    slash.kind = OpPrimLine;
    slash.pen = 1;
    slash.angle = 0;
    const float* ends = recordIndex == kFlatNegationRecord ? kFlatSlash : kSteepSlash;
    slash.x = ends[0], slash.y = ends[1], slash.sx = ends[2], slash.sy = ends[3];
    DrawOperatorPrimitive(slash, f, g);
}

bool DrawOperatorFromTable(const OperatorDrawRecord* table, int count, int recordIndex, OperatorFrame frame,
                           float equationAxisOffset, float size, bool negated, gp::Graphics& g) {
    const OperatorDrawRecord* record = FindOperatorRecord(table, count, recordIndex);
    if (!record) return false;
    frame.axisOffset = OperatorAxisOffset(*record, equationAxisOffset, size, frame.strokeWidth);
    DrawOperatorRecord(*record, frame, g);
    if (negated) DrawOperatorNegation(recordIndex, frame, g);
    return true;
}

}  // namespace toliva
