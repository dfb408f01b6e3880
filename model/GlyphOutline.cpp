#include "GlyphOutline.h"

#include "platform/Archive.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Matrix.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <new>

namespace toliva {

namespace {

constexpr qint64 kPointBytes = 9;
constexpr qint64 kFixedRecordBytes = 38;

// Points the record really holds: its count, unless its arrays are shorter.
size_t heldPoints(const GlyphOutline& g) {
    if (g.count <= 0) return 0;
    return std::min({size_t(g.count), g.points.size(), g.types.size()});
}

void buildPath(GlyphOutline& g) {
    g.path.reset();
    const size_t n = heldPoints(g);
    if (n == 0) return;
    try {
        g.path = std::make_unique<gp::GraphicsPath>(g.points.data(), g.types.data(), int(n),
                                                    gp::FillModeAlternate);
    } catch (const std::bad_alloc&) {
        g.path.reset();  // drawn as nothing
    }
}

void storeGlyph(const GlyphOutline& g, Archive& ar) {
    const size_t n = heldPoints(g);
    ar.writeI32(int32_t(n));
    for (size_t i = 0; i < n; ++i) {
        ar.writeF32(g.points[i].x);
        ar.writeF32(g.points[i].y);
        ar.writeU8(g.types[i]);
    }
    for (float v : g.m) ar.writeF32(v);
    ar.writeF32(g.scale);
    ar.writeI32(g.strokeOnly);
    ar.writeU32(g.colour);
    ar.writeI16(g.charCode);
}

void loadGlyph(GlyphOutline& g, Archive& ar) {
    ClearGlyph(g);
    const int32_t n = ar.readI32();
    ar.requireItems(n, kPointBytes);  // negative or more than the bytes left: nothing allocated
    std::vector<gp::PointF> points(static_cast<size_t>(n));
    std::vector<uint8_t> types(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        points[i].x = ar.readF32();
        points[i].y = ar.readF32();
        types[i] = ar.readU8();
    }
    float metrics[5];
    for (float& v : metrics) v = ar.readF32();
    const float scale = ar.readF32();
    // A glyph is drawn at the font size (100 units); numbers far outside any
    // drawing, or not numbers at all, mark a damaged record: they would lay
    // an equation out to an infinite size.
    const auto usable = [](float v, float bound) { return std::isfinite(v) && std::fabs(v) <= bound; };
    for (const gp::PointF& p : points)
        if (!usable(p.x, kMaxGlyphUnits) || !usable(p.y, kMaxGlyphUnits))
            throw ArchiveException(ArchiveException::BadFormat, "glyph point out of range");
    for (float v : metrics)
        if (!usable(v, kMaxGlyphUnits)) throw ArchiveException(ArchiveException::BadFormat, "glyph metric out of range");
    if (!usable(scale, kMaxGlyphScale)) throw ArchiveException(ArchiveException::BadFormat, "glyph scale out of range");
    g.count = n;
    g.points = std::move(points);
    g.types = std::move(types);
    buildPath(g);
    std::copy(std::begin(metrics), std::end(metrics), g.m);
    g.scale = scale;
    g.strokeOnly = ar.readI32();
    g.colour = ar.readU32();
    g.charCode = ar.readI16();
}

QByteArray storedBytes(const GlyphOutline& g) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    storeGlyph(g, ar);
    return bytes;
}

double mean(const GlyphOutline& g, float gp::PointF::*coord) {
    const size_t n = heldPoints(g);
    if (n == 0) return 0;
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += g.points[i].*coord;
    return sum / double(n);
}

// Replaces one coordinate of every held point, then rebuilds the path.
template <typename F>
void editPoints(GlyphOutline& g, F&& edit) {
    const size_t n = heldPoints(g);
    if (n == 0) return;
    for (size_t i = 0; i < n; ++i) edit(g.points[i]);
    buildPath(g);
}

}  // namespace

GlyphOutline::GlyphOutline() = default;

GlyphOutline::~GlyphOutline() = default;

void ClearGlyph(GlyphOutline& glyph) {
    glyph.points = {};
    glyph.types = {};
    glyph.path.reset();
}

void SerializeGlyph(GlyphOutline& glyph, Archive& ar) {
    if (ar.isStoring())
        storeGlyph(glyph, ar);
    else
        loadGlyph(glyph, ar);
}

void CopyGlyph(GlyphOutline& destination, const GlyphOutline& source) {
    const QByteArray bytes = storedBytes(source);  // taken first: source may be destination
    Archive ar(bytes);
    loadGlyph(destination, ar);
}

bool GlyphsEqual(const GlyphOutline& a, const GlyphOutline& b) { return storedBytes(a) == storedBytes(b); }

bool GlyphIsEmptyRecord(const GlyphOutline& glyph) { return GlyphsEqual(glyph, GlyphOutline()); }

void SetGlyphFromPath(GlyphOutline& glyph, const gp::GraphicsPath& path) {
    ClearGlyph(glyph);
    glyph.points = path.points();
    glyph.types = path.types();
    glyph.count = int32_t(glyph.points.size());
    buildPath(glyph);
}

void EnsureGlyphOwnPath(GlyphOutline& glyph) {
    if (!glyph.path) buildPath(glyph);
}

void GetGlyphPath(GlyphOutline& glyph, gp::GraphicsPath& target, float sizePercent, float angleDegrees) {
    EnsureGlyphOwnPath(glyph);
    target.Reset();
    if (glyph.path) target.AddPath(*glyph.path, false);
    gp::Matrix m;
    if (angleDegrees != 0) m.Rotate(angleDegrees);
    const float factor = glyph.scale * sizePercent / 100.0f;
    if (factor != 1.0f) m.Scale(factor, factor);
    target.Transform(m);
}

void DrawGlyph(gp::Graphics& graphics, gp::ARGB colour, bool useColour, bool outline, GlyphOutline& glyph) {
    EnsureGlyphOwnPath(glyph);
    if (!glyph.path) return;
    const gp::ARGB c = useColour ? colour : gp::ArgbFromColorref(glyph.colour);
    if (glyph.strokeOnly != 0) {
        graphics.DrawPath(gp::Pen{c, 3.125f * glyph.scale}, *glyph.path);
        return;
    }
    graphics.FillPath(c, *glyph.path);
    if (outline) graphics.DrawPath(gp::Pen{c, 4.0f * glyph.scale}, *glyph.path);
}

float GlyphMeanX(const GlyphOutline& glyph) { return float(mean(glyph, &gp::PointF::x)); }

float GlyphMeanY(const GlyphOutline& glyph) { return float(mean(glyph, &gp::PointF::y)); }

void ShearGlyph(GlyphOutline& glyph, double angleRadians) {
    const double my = mean(glyph, &gp::PointF::y);
    const double t = std::tan(angleRadians);
    editPoints(glyph, [&](gp::PointF& p) { p.x = float(p.x + t * (p.y - my)); });
}

void FlipGlyphVertical(GlyphOutline& glyph) {
    const double my = mean(glyph, &gp::PointF::y);
    editPoints(glyph, [&](gp::PointF& p) { p.y = float(2 * my - p.y); });
}

void FlipGlyphHorizontal(GlyphOutline& glyph) {
    const double mx = mean(glyph, &gp::PointF::x);
    editPoints(glyph, [&](gp::PointF& p) { p.x = float(2 * mx - p.x); });
}

void ClearGlyphList(GlyphList& list) {
    while (!list.empty()) list.pop_back();
}

void ReadGlyphList(Archive& ar, GlyphList& list, bool clearFirst, bool* partial) {
    if (clearFirst) ClearGlyphList(list);
    if (partial) *partial = true;
    try {
        const int32_t n = ar.readI32();
        if (n < 0) return;
        if (n == 0) {
            if (partial) *partial = false;
            return;
        }
        // Every record takes at least the fixed bytes, so the bytes left bound
        // how many can follow, whatever the count claims.
        const qint64 possible = std::min<qint64>(n, ar.bytesLeft() / kFixedRecordBytes);
        list.reserve(list.size() + size_t(possible));
        for (int32_t i = 0; i < n; ++i) {
            auto glyph = std::make_unique<GlyphOutline>();
            loadGlyph(*glyph, ar);
            list.push_back(std::move(glyph));
        }
        if (partial) *partial = false;
    } catch (const ArchiveException&) {
        // The records read in full stay; the damaged one is dropped.
    } catch (const FileException&) {
    }
}

bool ReadGlyphListFile(GlyphList& list, const QString& path, bool clearFirst, bool* partial) {
    std::unique_ptr<Archive> ar;
    try {
        ar = std::make_unique<Archive>(Archive::openFile(path, Archive::Load));
    } catch (const FileException&) {
        return false;
    }
    ReadGlyphList(*ar, list, clearFirst, partial);
    return true;
}

bool WriteGlyphListFile(const GlyphList& list, const QString& path) {
    try {
        Archive ar = Archive::openFile(path, Archive::Store);
        ar.writeI32(int32_t(list.size()));
        const GlyphOutline empty;
        for (const auto& glyph : list) storeGlyph(glyph ? *glyph : empty, ar);
        ar.close();
        return true;
    } catch (const FileException&) {
        return false;
    } catch (const ArchiveException&) {
        return false;
    }
}

}  // namespace toliva
