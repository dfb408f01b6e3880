#include "model/ShapeAccent.h"

#include "model/EqDrawers.h"
#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "model/GlyphOutline.h"
#include "model/ShapeBuilders.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Pen.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace toliva {

namespace {

constexpr int kNoHeightKind = 28;  // takes no room and draws nothing
constexpr int kSlashKind = 27;     // a slash across the symbol

constexpr std::array<float, 28> kWidthFactors = {
    0,    0.2f, 0.4f, 0.6f, 0.8f, 0.7f, 0.7f, 0.7f, 0.7f, 0.8f, 0.7f, 0.65f, 0.4f, 0.3f,
    0.3f, 0.4f, 0.4f, 0.55f, 0.55f, 0.6f, 0.2f, 0.2f, 0.2f, 0.8f, 0.8f, 0.5f, 0.5f, 0.88f};

float metric(const EqElement* e, int i) { return e->owner ? e->owner->fontMetrics[i] : 0.0f; }

int fontStyleOf(int32_t type) {
    switch (type) {
    case EqTypeCharItalic: return gp::FontStyleItalic;
    case EqTypeCharBold: return gp::FontStyleBold;
    case EqTypeCharBoldItalic: return gp::FontStyleBoldItalic;
    default: return gp::FontStyleRegular;
    }
}

// Capital letters: over / under factors.
AccentShift capitalShift(char16_t c) {
    switch (c) {
    case u'A': return {0.11f, 0.07f};
    case u'B':
    case u'C':
    case u'D': return {0.06f, 0.08f};
    case u'J': return {0.12f, 0.12f};
    case u'K': return {0.07f, 0.07f};
    case u'L': return {0.04f, 0.04f};
    case u'M': return {0.08f, 0.07f};
    case u'T':
    case u'U':
    case u'V':
    case u'W':
    case u'Y': return {0.08f, 0.12f};
    case u'Z': return {0.08f, 0.1f};
    default: return {0.08f, 0.08f};  // E-I, N-S, X
    }
}

constexpr AccentShift kSmallShifts[26] = {
    {0, 0.02f},     {-0.03f, 0.03f}, {0, 0.02f},     {0.12f, 0.02f}, {0, 0.02f},     {0.1f, 0.1f},
    {0.03f, 0.05f}, {-0.02f, 0.05f}, {0.04f, 0.04f}, {0.11f, 0.11f}, {0.02f, 0.04f}, {0.08f, 0.04f},
    {0, 0.05f},     {0, 0.04f},      {0, 0.03f},     {0.02f, 0.12f}, {0.02f, 0.02f}, {0.02f, 0.03f},
    {0.02f, 0.03f}, {0.07f, 0.04f},  {0.05f, 0.05f}, {0.05f, 0.05f}, {0.04f, 0.04f}, {0, 0.03f},
    {0.04f, 0.05f}, {0, 0.03f}};

// Greek letters and a few others borrow the factors of a Latin look-alike.
char16_t latinLookAlike(uint16_t c) {
    switch (c) {
    case 0x0394:
    case 0x039B: return u'A';
    case 0x0393: return u'F';
    case 0x0398:
    case 0x03A9: return u'O';
    case 0x039E:
    case 0x03A3: return u'E';
    case 0x03A0: return u'H';
    case 0x03A6:
    case 0x03A8: return u'I';
    case 0x03D2: return u'Y';
    case 0x0127: return u'h';
    case 0x03B1:
    case 0x03B5:
    case 0x03B9:
    case 0x03BA:
    case 0x03C0:
    case 0x03C2:
    case 0x03C3:
    case 0x03C4:
    case 0x03C5:
    case 0x03C9:
    case 0x03F5: return u'a';
    default: return c;
    }
}

bool isCapital(uint16_t c) { return c >= u'A' && c <= u'Z'; }

// ---- mark outlines. Each is built in a box or about a point in drawing
// units and filled in the mark colour.

void fill(gp::Graphics& g, gp::ARGB colour, const gp::GraphicsPath& path) {
    if (path.GetPointCount() > 0) g.FillPath(colour, path);
}

// Maps a point of the frame [-1, 1] x [-1, 1] into the box.
gp::PointF inBox(const gp::RectF& box, float u, float v) {
    return {box.x + (u + 1) * box.width / 2, box.y + (v + 1) * box.height / 2};
}

// A chevron with its point up (or down): the arms run from the point to the
// box's bottom corners; the notch under the point lies 0.4 of the chevron's
// height lower, so the arms keep an even thickness.
void fillChevron(gp::Graphics& g, gp::ARGB colour, const gp::RectF& box, bool pointDown) {
    const float sign = pointDown ? -1.0f : 1.0f;
    const float top = -0.7f * sign;      // the point
    const float foot = 0.7f * sign;      // the feet
    const float notch = top + 0.4f * (foot - top);
    const float inner = 1.0f - 0.4f;     // the inner edge of each foot
    const gp::PointF pts[] = {inBox(box, 0, top),     inBox(box, 1, foot),     inBox(box, inner, foot),
                              inBox(box, 0, notch),   inBox(box, -inner, foot), inBox(box, -1, foot)};
    gp::GraphicsPath path;
    path.AddPolygon(pts, 6);
    fill(g, colour, path);
}

// A wave (a tilde): a Bezier centre line with crests up on the left and
// down on the right, stroked by a band that is thick on the crests and the
// falling middle and thin on the rising ends, as a pen held at a slant
// draws it. factor sets how steeply the line swings between its crests.
void fillWave(gp::Graphics& g, gp::ARGB colour, const gp::RectF& box, float factor) {
    const float stroke = 0.36f * box.height;
    const float end = 0.2f;
    // The crests of the centre line lie near t = 0.21 and 0.79, this far
    // from its middle; the line is scaled so that the band fills the box.
    const float crest = std::max(0.2887f * factor - 0.481f * end, 0.1f);
    const float k = (box.height - stroke) / 2 / crest;
    auto c = [&](float u, float v, float sign) {
        return gp::PointF{box.x + (u + 1) * box.width / 2 + sign * 0.25f * stroke,
                          box.y + box.height / 2 + v * k - sign * 0.5f * stroke};
    };
    gp::GraphicsPath path;
    path.AddBezier(c(-1, end, 1), c(-0.25f, -factor, 1), c(0.25f, factor, 1), c(1, -end, 1));
    path.AddLine(c(1, -end, 1), c(1, -end, -1));
    path.AddBezier(c(1, -end, -1), c(0.25f, factor, -1), c(-0.25f, -factor, -1), c(-1, end, -1));
    path.CloseFigure();
    fill(g, colour, path);
}

// A crescent bowl (a breve): the outer curve runs under the inner one and
// both meet in thin horns at the box's upper corners; turned, it is an arch.
void fillCrescent(gp::Graphics& g, gp::ARGB colour, const gp::RectF& box, bool arch) {
    const float s = arch ? -1.0f : 1.0f;
    auto p = [&](float u, float v) { return inBox(box, u, s * v); };
    gp::GraphicsPath path;
    path.AddBezier(p(-1, -0.7f), p(-0.95f, 0.85f), p(0.95f, 0.85f), p(1, -0.7f));
    path.AddLine(p(1, -0.7f), p(0.9f, -0.7f));
    path.AddBezier(p(0.9f, -0.7f), p(0.8f, 0.25f), p(-0.8f, 0.25f), p(-0.9f, -0.7f));
    path.CloseFigure();
    fill(g, colour, path);
}

// A petal: a drop pointed at `from` and rounded at its far end, length long
// in the direction angleDegrees (clockwise on screen), halfWidth across.
void fillPetal(gp::Graphics& g, gp::ARGB colour, gp::PointF from, float angleDegrees, float length,
               float halfWidth) {
    gp::GraphicsPath path;
    const float w = 1.33f * halfWidth;
    path.AddBezier(0, 0, 0.25f * length, -w, length, -w, length, 0);
    path.AddBezier(length, 0, length, w, 0.25f * length, w, 0, 0);
    path.CloseFigure();
    gp::Matrix m;
    m.Translate(from.x, from.y);
    m.Rotate(angleDegrees);
    path.Transform(m);
    fill(g, colour, path);
}

// The marks take the colour the symbol is drawn in: a text character (type
// 5) is drawn in the text colour of the style, other symbols in the colour of
// their role.
gp::ARGB markColour(const EqElement* e) {
    const EqModel* eq = e->owner;
    if (e->type != EqTypeCharText || !eq) return GetElementDrawColour(e, 5);
    return e->phantomKind() > 0 ? eq->phantomColour : eq->settings.colours[3];
}

}  // namespace

float AccentMarkWidthFactor(int kind) {
    return kind >= 0 && size_t(kind) < kWidthFactors.size() ? kWidthFactors[size_t(kind)] : 0.0f;
}

bool ItalicAccentShift(uint16_t code, AccentShift* out) {
    AccentShift s;
    const char16_t c = latinLookAlike(code);
    if (isCapital(c)) {
        s = capitalShift(c);
    } else if (c >= u'a' && c <= u'z') {
        s = kSmallShifts[c - u'a'];
    } else {
        switch (code) {
        case 0x0237:
        case 0x03B2:
        case 0x03B3:
        case 0x03B4:
        case 0x03B7:
        case 0x03B8:
        case 0x03BB:
        case 0x03BC:
        case 0x03BD:
        case 0x03C1:
        case 0x03C6:
        case 0x03C7:
        case 0x03D1:
        case 0x03D6:
        case 0x03F0:
        case 0x03F1: s = {0.04f, 0.04f}; break;
        case 0x03B6:
        case 0x03BE:
        case 0x03C8:
        case 0x03D5: s = {0.05f, 0.04f}; break;
        default: return false;
        }
    }
    if (out) *out = s;
    return true;
}

void CKwEE_O_Accent::LayoutAccent(gp::Graphics* graphics, float sz, const QString& text, const GlyphOutline* glyph,
                                  uint8_t flag) {
    EqElement* e = element;
    if (!e || e->payload.empty()) return;
    savedAscent = e->ascent;

    // The symbol's box and the levels of the first marks.
    const float gap = (SpacingOf(e, SpacingAccentGap) + 0.2f) * sz;
    if (glyph) {
        gp::RectF b;
        if (glyph->count > 0 && glyph->points.size() >= size_t(glyph->count) &&
            glyph->types.size() >= size_t(glyph->count))
            b = gp::GraphicsPath(glyph->points.data(), glyph->types.data(), glyph->count).GetBounds();
        const float k = sz / 100 * glyph->scale;
        symbolBox = {b.x * k, b.y * k, b.width * k, b.height * k};
        topOffset = gap - symbolBox.y;
        bottomOffset = symbolBox.height + 2 * gap - topOffset;
    } else {
        const int style = fontStyleOf(e->type);
        const TextMeasure m = MeasureText(e->owner, graphics, e->font, text, sz, style);
        symbolBox = m.ink;
        // Capitals carry their marks at one height: that of "A".
        if (!text.isEmpty() && isCapital(text.at(0).unicode())) {
            const TextMeasure a = MeasureText(e->owner, graphics, e->font, QStringLiteral("A"), sz, style);
            symbolBox.y = a.ink.y;
            symbolBox.height = a.ink.height;
        }
        if (flag) symbolBox.width *= SpacingOf(e, SpacingScriptWiden);
        const float half = m.boxHeight / 2;
        const float shift = metric(e, MetricShift) * sz;
        topOffset = half + gap - symbolBox.y + shift;
        bottomOffset = symbolBox.y + gap + symbolBox.height - half - shift;
        if (e->type == EqTypeCharSans) {
            topOffset -= 0.08f * sz;
            bottomOffset += 0.075f * sz;
        } else if (e->type == EqTypeCharMono) {
            topOffset -= 0.085f * sz;
            bottomOffset += 0.1f * sz;
        }
    }

    unit = SpacingOf(e, SpacingAccentUnit) * sz;
    step = SpacingOf(e, SpacingAccentStep) * sz;

    float aboveHeight = 0;
    float belowHeight = 0;
    bool hasAbove = false;
    bool hasBelow = false;
    markWidth = 0;
    for (const uint8_t b : e->payload) {
        if (b == 0 || b == 128) continue;
        const bool below = b > 128;
        const int kind = below ? b - 128 : b;
        markWidth = std::max(markWidth, AccentMarkWidthFactor(kind) * unit);
        (below ? hasBelow : hasAbove) = true;
        if (kind != kNoHeightKind) (below ? belowHeight : aboveHeight) += step;
    }

    // Stacks over leaning letters move with the letter's slant.
    overShift = underShift = SpacingOf(e, SpacingAccentShift) * sz;
    const int32_t t = e->type;
    if (t == EqTypeCharItalic || t == EqTypeCharBoldItalic) {
        AccentShift s;
        if (ItalicAccentShift(e->ch, &s)) {
            overShift += sz * s.over;
            underShift += sz * s.under;
        }
    } else if (t == EqTypeGlyphSymbol || t == EqTypeGlyphSymbolBold) {
        // Runs of 26 script and calligraphic capitals.
        const int c = e->ch;
        int first = -1;
        if (c >= 32 && c <= 57) first = 32;
        else if (c >= 58 && c <= 83) first = 58;
        else if (c >= 198 && c <= 223) first = 198;
        if (first >= 0) {
            const AccentShift s = capitalShift(char16_t(u'A' + (c - first)));
            overShift += sz * s.over;
            underShift += sz * s.under;
            if (first != 58) overShift += 0.02f * sz;
        }
    }

    if (hasAbove) markWidth += overShift;
    if (hasBelow) markWidth += underShift;

    e->ascent = std::max(e->ascent, topOffset + aboveHeight);
    e->descent = std::max(e->descent, bottomOffset + belowHeight);
    e->width = std::max(e->width, markWidth);
}

void CKwEE_O_Accent::Draw(gp::Graphics* graphics, float x, float y, uint8_t) {
    EqElement* e = element;
    if (!e || !graphics || e->payload.empty()) return;
    gp::Graphics& g = *graphics;
    const float sz = size;
    // The symbol's text box is centred xOffset to the right of x.
    const float centre = x + e->xOffset;
    float above = y - topOffset;
    float below = y + bottomOffset;
    if (e->type == EqTypeCharBold || e->type == EqTypeCharBoldItalic) {
        const float extra = metric(e, MetricExtra) * sz;
        above -= extra;
        below -= extra;
    }
    const gp::ARGB colour = markColour(e);
    for (const uint8_t b : e->payload) {
        if (b == 0 || b == 128) continue;
        if (b == kSlashKind) {
            const float w = e->width;
            g.DrawLine(draw::RoundPen(colour, 0.15f * step), x + w / 2.25f, y - e->ascent, x - w / 2.25f,
                       y + e->descent);
            continue;
        }
        if (b < 128) {
            if (b == kNoHeightKind) continue;
            DrawAccentMarks(b, g, centre + overShift, above, colour);
            above -= step;
        } else {
            if (b - 128 == kNoHeightKind) continue;
            DrawAccentMarks(b, g, centre - underShift, below, colour);
            below += step;
        }
    }
}

void CKwEE_O_Accent::DrawAccentMarks(int mark, gp::Graphics& g, float cx, float level, gp::ARGB colour) const {
    const bool below = mark > 128;
    const int kind = below ? mark - 128 : mark;
    const float A = AccentMarkWidthFactor(kind);
    // The box of kinds 12-20: A x unit wide, 0.8 step high, centred on the level.
    const gp::RectF box{cx - A * unit / 2, level - 0.4f * step, A * unit, 0.8f * step};

    switch (kind) {
    case 1:
    case 2:
    case 3:
    case 4: {
        const float r = std::min(0.8f * unit / 12, step / 3);
        static constexpr float kCentres[4][4] = {{0}, {-2, 2}, {-3, 0, 3}, {-4.5f, -1.5f, 1.5f, 4.5f}};
        const gp::SolidBrush brush(colour);
        for (int i = 0; i < kind; ++i)
            g.FillEllipse(brush, cx + kCentres[kind - 1][i] * r - r, level - r, 2 * r, 2 * r);
        return;
    }
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 23:
    case 24:
    case 25: {
        const float half = 0.45f * A * unit;
        const gp::PointF L{cx - half, level};
        const gp::PointF R{cx + half, level};
        const float length = 2 * half;
        const float t = 0.15f * step;
        const float head = 0.8f * step;
        // The arrow mark puts its head at its first point; turned round (first
        // point on the right) its one-barb kinds 2 and 3 swap sides. Barbs
        // point away from the symbol: up above it, down below it.
        const int barbRight = below ? 2 : 3;  // a one-barb head on the right
        const int barbLeft = below ? 3 : 2;   // a one-barb head on the left
        switch (kind) {
        case 5: FillArrowMark(g, R, L, length, t, head, colour, 0); break;
        case 6: FillArrowMark(g, L, R, length, t, head, colour, 0); break;
        case 7: FillArrowMark(g, R, L, length, t, head, colour, barbRight); break;
        case 8: FillArrowMark(g, L, R, length, t, head, colour, barbLeft); break;
        case 9: FillArrowMark(g, R, L, length, t, head, colour, 1); break;
        case 10: FillArrowMark(g, below ? L : R, below ? R : L, length, t, head, colour, 4); break;
        case 11: g.DrawLine(draw::RoundPen(colour, t), L, R); break;
        case 23:
        case 24: {
            // A second head behind the first one.
            const int k = kind == 23 ? 0 : barbRight;
            const gp::PointF R2{R.x - 0.45f * head, level};
            FillArrowMark(g, R, L, length, t, head, colour, k);
            FillArrowMark(g, R2, L, length - 0.45f * head, t, head, colour, k);
            break;
        }
        case 25: {
            // A bridge: the bar with its ticks turned towards the symbol.
            const float tick = (below ? -0.3f : 0.3f) * step;
            const gp::Pen pen = draw::RoundPen(colour, t);
            g.DrawLine(pen, L, R);
            g.DrawLine(pen, L.x, level, L.x, level + tick);
            g.DrawLine(pen, R.x, level, R.x, level + tick);
            break;
        }
        default: break;
        }
        return;
    }
    case 12:
    case 19: {
        const gp::RectF wave{box.x, box.y + 0.15f * step, box.width, box.height - 0.3f * step};
        fillWave(g, colour, wave, kind == 12 ? 2.75f : 3.2f);
        return;
    }
    case 13:
    case 17: fillChevron(g, colour, box, false); return;
    case 14:
    case 18: fillChevron(g, colour, box, true); return;
    case 15: fillCrescent(g, colour, box, true); return;
    case 16: fillCrescent(g, colour, box, false); return;
    case 20: {
        const float r = std::min(box.width / 2, box.height / 2);
        g.DrawEllipse(gp::Pen(colour, 0.4f * r), cx - r, level - r, 2 * r, 2 * r);
        return;
    }
    case 21:
    case 22: {
        // A grave (21) or acute (22) stroke at 45 degrees, pointed at the end
        // nearer the symbol. Its middle sits on the mark's centre, so the
        // pointed end lies about half a step beside it: right for 21, left for 22
        // (below the symbol: right for 149, left for 150).
        const float length = 1.4f * step;
        const float halfWidth = 0.14f * step;
        const float angle = below ? (kind == 21 ? 135.0f : 45.0f) : (kind == 21 ? -135.0f : -45.0f);
        const float radians = angle * 3.14159265f / 180.0f;
        const gp::PointF from{cx - 0.5f * length * std::cos(radians), level - 0.5f * length * std::sin(radians)};
        fillPetal(g, colour, from, angle, length, halfWidth);
        return;
    }
    case 26: {
        const float length = 0.85f * step / 2;
        for (int i = 0; i < 6; ++i)
            fillPetal(g, colour, {cx, level}, -30.0f + 60.0f * float(i), length, 0.2f * length);
        return;
    }
    default: return;
    }
}

bool AccentHalfHeight(const EqElement* e, float* half) {
    if (!e || e->payload.empty() || !e->shape) return false;
    const auto* accent = dynamic_cast<const CKwEE_O_Accent*>(e->shape.get());
    if (!accent) return false;
    if (half) *half = accent->HalfHeight();
    return true;
}

}  // namespace toliva
