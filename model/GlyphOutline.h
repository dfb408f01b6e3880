// Vector glyphs: outlines with metrics, and lists of them in ".gph" files.
//
// Archive form of one record (38 + 9n bytes): int32 n; n times float32 x,
// float32 y, uint8 point type; five float32 metrics; float32 scale; int32
// stroke-only flag; uint32 colour (COLORREF); int16 character code.
// A ".gph" file is an int32 record count followed by the records.
#pragma once

#include "platform/gdiplus/GpTypes.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace toliva {

class Archive;

namespace gp {
class Graphics;
}

struct GlyphOutline {
    GlyphOutline();
    ~GlyphOutline();
    GlyphOutline(const GlyphOutline&) = delete;  // use CopyGlyph
    GlyphOutline& operator=(const GlyphOutline&) = delete;

    int32_t count = 0;
    std::vector<gp::PointF> points;  // in glyph units: 100 is the font size
    std::vector<uint8_t> types;      // path point types, one per point
    std::unique_ptr<gp::GraphicsPath> path;  // built from points and types; none until built
    // In percent of the font size: advance width, ascent, descent, and the
    // horizontal and vertical offsets of the origin when drawn as a symbol.
    float m[5] = {0, 0, 0, 0, 0};
    float scale = 1.0f;
    int32_t strokeOnly = 0;  // non-zero: drawn as an outline, never filled
    uint32_t colour = 0;     // COLORREF
    int16_t charCode = 0;
};

using GlyphList = std::vector<std::unique_ptr<GlyphOutline>>;

// Frees the points, the types and the path; the count and the other fields stay.
void ClearGlyph(GlyphOutline& glyph);

// What a read record may hold: points and metrics within this many glyph
// units either way (100 is the font size), a scale within kMaxGlyphScale
// either way; anything else, or a number that is not finite, is damage.
constexpr float kMaxGlyphUnits = 100000.0f;
constexpr float kMaxGlyphScale = 1000.0f;

// Stores the record, or loads it (clearing it first and building its path).
// Loading throws ArchiveException on a short or damaged stream.
void SerializeGlyph(GlyphOutline& glyph, Archive& ar);

// Makes destination an independent copy of source in every stored field.
void CopyGlyph(GlyphOutline& destination, const GlyphOutline& source);
// True when both records store to the same bytes.
bool GlyphsEqual(const GlyphOutline& a, const GlyphOutline& b);
// True when the record stores as a new record does.
bool GlyphIsEmptyRecord(const GlyphOutline& glyph);

// Takes the path's points and types; metrics and the other fields stay.
void SetGlyphFromPath(GlyphOutline& glyph, const gp::GraphicsPath& path);
// Builds the path when the record has points but no path yet.
void EnsureGlyphOwnPath(GlyphOutline& glyph);

// Replaces target with the glyph's path rotated by angleDegrees and scaled by
// scale x sizePercent / 100.
void GetGlyphPath(GlyphOutline& glyph, gp::GraphicsPath& target, float sizePercent, float angleDegrees);

// Draws the path as stored, in the given colour when useColour is set, else
// in the record's own colour made opaque. A stroke-only record is stroked
// with a pen of 3.125 x scale; any other is filled and, with outline, also
// stroked with a pen of 4 x scale. A record without a path draws nothing.
void DrawGlyph(gp::Graphics& graphics, gp::ARGB colour, bool useColour, bool outline, GlyphOutline& glyph);

// Geometric edits about the mean of the points; each rebuilds the path.
float GlyphMeanX(const GlyphOutline& glyph);
float GlyphMeanY(const GlyphOutline& glyph);
void ShearGlyph(GlyphOutline& glyph, double angleRadians);
void FlipGlyphVertical(GlyphOutline& glyph);
void FlipGlyphHorizontal(GlyphOutline& glyph);

// Deletes every record, last first.
void ClearGlyphList(GlyphList& list);
// Reads a count and that many records, appending each record read in full.
// A damaged or short stream ends the reading quietly; partial, when given,
// is set when it did (fewer records than the count, or a bad count), so a
// caller can keep from overwriting the file with what it got.
void ReadGlyphList(Archive& ar, GlyphList& list, bool clearFirst, bool* partial = nullptr);
// False when the file cannot be opened (the list is then left as it was).
bool ReadGlyphListFile(GlyphList& list, const QString& path, bool clearFirst, bool* partial = nullptr);
// Replaces the file with the list; false when it cannot be written (the old
// file is then left as it was).
bool WriteGlyphListFile(const GlyphList& list, const QString& path);

}  // namespace toliva
