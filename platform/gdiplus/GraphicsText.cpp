// Text of the drawing layer: measuring, drawing and text outlines.
//
// A string is laid out once, the same way for all three: each line is as high
// as the font's line spacing, its baseline lies one cell ascent below the
// line's top, and the measured box is the widest line's advance plus
// kStringSidePaddingEm of the em on either side. Glyphs are drawn as filled,
// unhinted outlines, so text looks the same on every machine and a string's
// outline lies exactly where the string is painted.
#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/FontMap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace toliva::gp {
namespace {

struct PlacedGlyph {
    const FontFace* face = nullptr;
    quint32 glyph = 0;
    const AuthoredGlyph* authored = nullptr;  // drawn instead of the face's glyph
    float x = 0;                               // origin on the baseline
    float y = 0;
};

struct TextLayout {
    RectF box;
    float unitScale = 0;  // world units per design unit of the style's face
    float em = 0;
    std::vector<PlacedGlyph> glyphs;
};

struct LineGlyphs {
    std::vector<PlacedGlyph> glyphs;  // x relative to the line's start
    float width = 0;                  // advance, trailing spaces left out unless measured
};

// Where a length sits along a side of the layout rectangle: aligned inside it,
// or to its start as to a point when the side is 0 long.
float alignedStart(float start, float side, float length, StringAlignment a) {
    const float factor = a == StringAlignmentCenter ? 0.5f : a == StringAlignmentFar ? 1.0f : 0.0f;
    if (side > 0) return start + (side - length) * factor;
    return start - length * factor;
}

bool finiteRect(const RectF& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

// The face of the family that has a glyph for code: the style's own face
// first, then the family's other faces; *glyph 0 when none has one.
const FontFace* faceWithGlyph(const FontFamily& family, const FontFace* primary, char32_t code, quint32* glyph) {
    *glyph = primary->glyphFor(code);
    if (*glyph) return primary;
    for (int style : {FontStyleRegular, FontStyleItalic, FontStyleBold, FontStyleBoldItalic}) {
        const FontFace* other = family.face(style);
        if (!other || other == primary) continue;
        *glyph = other->glyphFor(code);
        if (*glyph) return other;
    }
    return primary;
}

LineGlyphs layoutLine(const QString& line, const FontFamily& family, const FontFace* primary, float em,
                      bool measureTrailingSpaces) {
    LineGlyphs out;
    float x = 0;
    float inkedWidth = 0;
    for (char32_t code : line.toUcs4()) {
        PlacedGlyph g;
        g.face = faceWithGlyph(family, primary, code, &g.glyph);
        g.x = x;
        if (g.glyph == 0) g.authored = FindAuthoredGlyph(family.GetFamilyName(), code);
        x += g.authored ? g.authored->advance * em : g.face->advance(g.glyph) * em / float(g.face->unitsPerEm);
        if (!QChar::isSpace(code)) inkedWidth = x;
        out.glyphs.push_back(g);
    }
    out.width = measureTrailingSpaces ? x : inkedWidth;
    return out;
}

// Lays text out for a family, style and em size in world units. False for an
// unusable font or parameter.
bool layoutText(const QString& text, const FontFamily& family, int style, float em, const RectF& layout,
                const StringFormat& format, TextLayout* out) {
    const FontFace* face = family.face(style);
    if (!face || !std::isfinite(em) || em <= 0 || !finiteRect(layout)) return false;
    out->em = em;
    out->unitScale = em / float(face->unitsPerEm);
    out->glyphs.clear();
    if (text.isEmpty()) {
        out->box = RectF{layout.x, layout.y, 0, 0};
        return true;
    }

    const bool trailing = (format.GetFormatFlags() & StringFormatFlagsMeasureTrailingSpaces) != 0;
    std::vector<LineGlyphs> lines;
    float widest = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        lines.push_back(layoutLine(line, family, face, em, trailing));
        widest = std::max(widest, lines.back().width);
    }

    const float pad = kStringSidePaddingEm * em;
    const float lineHeight = float(face->lineSpacing) * out->unitScale;
    RectF& box = out->box;
    box.width = widest + 2 * pad;
    box.height = lineHeight * float(lines.size());
    box.x = alignedStart(layout.x, layout.width, box.width, format.GetAlignment());
    box.y = alignedStart(layout.y, layout.height, box.height, format.GetLineAlignment());

    const float ascent = float(face->cellAscent) * out->unitScale;
    for (size_t i = 0; i < lines.size(); ++i) {
        const float lineX = alignedStart(box.x + pad, widest, lines[i].width, format.GetAlignment());
        const float baseline = box.y + float(i) * lineHeight + ascent;
        for (PlacedGlyph g : lines[i].glyphs) {
            g.x += lineX;
            g.y = baseline;
            out->glyphs.push_back(g);
        }
    }
    return true;
}

// Appends one glyph outline (y down, origin on the baseline) scaled by scale
// and moved to origin, each contour a closed figure.
void appendOutline(GraphicsPath* path, const QPainterPath& outline, float scale, PointF origin) {
    std::vector<PointF> points;
    std::vector<uint8_t> types;
    size_t figureStart = 0;
    auto map = [&](const QPointF& p) { return PointF{origin.x + float(p.x()) * scale, origin.y + float(p.y()) * scale}; };
    auto closeFigure = [&]() {
        if (points.size() <= figureStart) return;
        // A closing line back to the start is implied by the close mark.
        if (points.size() - figureStart > 2 && types.back() == PathPointTypeLine && points.back() == points[figureStart]) {
            points.pop_back();
            types.pop_back();
        }
        types.back() |= PathPointTypeCloseSubpath;
    };
    for (int i = 0; i < outline.elementCount(); ++i) {
        const QPainterPath::Element e = outline.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            closeFigure();
            figureStart = points.size();
            points.push_back(map(e));
            types.push_back(PathPointTypeStart);
            break;
        case QPainterPath::LineToElement:
            points.push_back(map(e));
            types.push_back(PathPointTypeLine);
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 >= outline.elementCount()) return;
            for (int k = 0; k < 3; ++k) {
                points.push_back(map(outline.elementAt(i + k)));
                types.push_back(PathPointTypeBezier);
            }
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    closeFigure();
    if (points.empty()) return;
    path->AddPath(GraphicsPath(points.data(), types.data(), int(points.size())), false);
}

void appendLayout(GraphicsPath* path, const TextLayout& layout) {
    for (const PlacedGlyph& g : layout.glyphs) {
        if (g.authored)
            appendOutline(path, g.authored->outline(), layout.em, PointF{g.x, g.y});
        else
            appendOutline(path, g.face->outline(g.glyph), layout.em / float(g.face->unitsPerEm), PointF{g.x, g.y});
    }
}

}  // namespace

Status Graphics::MeasureString(const QString& text, const Font& font, const RectF& layout, const StringFormat& format,
                               RectF* box) {
    if (!box || !font.IsAvailable()) return report(InvalidParameter);
    try {
        TextLayout laid;
        if (!layoutText(text, font.family(), font.GetStyle(), font.GetSize(), layout, format, &laid))
            return report(InvalidParameter);
        *box = laid.box;
        return report(Ok);
    } catch (const std::bad_alloc&) {
        return report(OutOfMemory);
    }
}

Status Graphics::DrawString(const QString& text, const Font& font, const RectF& layout, const StringFormat& format,
                            ARGB colour) {
    if (!font.IsAvailable()) return report(InvalidParameter);
    try {
        TextLayout laid;
        if (!layoutText(text, font.family(), font.GetStyle(), font.GetSize(), layout, format, &laid))
            return report(InvalidParameter);
        // Glyph contours may overlap; they fill as one shape.
        GraphicsPath path(FillModeWinding);
        appendLayout(&path, laid);
        return fill(SolidBrush(colour), path, "text");
    } catch (const std::bad_alloc&) {
        return report(OutOfMemory);
    }
}

void GraphicsPath::AddString(const QString& text, const FontFamily& family, int style, float emSize,
                             const RectF& layout, const StringFormat& format) {
    TextLayout laid;
    if (!layoutText(text, family, style, emSize, layout, format, &laid)) return;
    appendLayout(this, laid);
}

}  // namespace toliva::gp
