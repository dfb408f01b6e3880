// Per-type measuring: each measurer gives one element its width, ascent,
// descent and xOffset at a scale, after laying out its child chains through
// LayoutElement (EqLayout.h). The layout dispatcher picks the measurer by
// type code; the functions are public for the shape objects and for tests.
//
// Text is measured through the TextMeasurer of the pass's RenderContext. The
// font measurer measures with the equation's fonts; tests pass one with fixed
// boxes to check the layout arithmetic exactly.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QString>

#include <cstdint>

namespace toliva {

namespace gp {
class Graphics;
}

class EqModel;
struct EqElement;
struct EqFont;

// ---- text measuring seam

// One measured string: its layout box (as the equation's string format lays
// it out) and the bounds of its outline, both in a frame whose origin is the
// box's top-left corner.
struct TextMeasure {
    float boxWidth = 0;
    float boxHeight = 0;
    gp::RectF ink;
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // Measures text in the family (null: the equation's serif family) at em
    // size emSize pixels and style (gp::FontStyle). graphics may be null.
    virtual TextMeasure Measure(EqModel* eq, gp::Graphics* graphics, const EqFont* family, const QString& text,
                                float emSize, int style) = 0;
};

// The font measurer (measures remembered per family, text, size and style).
TextMeasurer& FontTextMeasurer();

// Measures with the measurer of the pass eq is in (RenderContext.h); an
// empty measure without an equation.
TextMeasure MeasureText(EqModel* eq, gp::Graphics* graphics, const EqFont* family, const QString& text, float emSize,
                        int style);

// ---- glyph symbols

// Gives an element of type 6, 8 or 624-643 without an outline a copy of the
// glyph symbol ch (1-based) of the pass's library. Returns whether the element
// has one.
bool EnsureGlyphPath(EqElement* e);

// ---- factors shared by measuring and drawing

// The script scale factor (spacing 7), made safe to scale and divide by: a
// value that is not a positive number gives the built-in 0.56, and the
// factor is kept between 0.05 and 4.
float ScriptScaleFactor(const EqModel* eq);

// The arc mark (135): the circle through which its two arcs run, and the
// gap angle (degrees) left open on its right side for the content. The
// radius is (ascent + descent) x 0.707 and the gap 100 size / (R pi); a
// radius that is not positive gives a gap of 45 degrees, so that nothing is
// drawn, and the gap never exceeds 45 degrees.
struct ArcMarkGeometry {
    float radius = 0;
    float gapDegrees = 45;
};
ArcMarkGeometry ArcMarkShape(const EqElement* e, float size);

// The font size of a prime that stands alone in a script: size x 0.8 /
// the script scale factor (ScriptScaleFactor), so it is drawn at 0.8 of the
// size the script stands beside.
float LonePrimeFontSize(const EqModel* eq, float fontSize);

// ---- measurers (s is the scale, already raised to the minimum scale)

void MeasureCharElement(EqElement* e, gp::Graphics* g, float s, uint8_t flag);
void MeasureSpace(EqElement* e, gp::Graphics* g, float s, uint8_t flag);
void MeasureGlyphSymbol(EqElement* e, gp::Graphics* g, float s, uint8_t flag);
void MeasureCalcResult(EqElement* e, gp::Graphics* g, float s, uint8_t flag);
void MeasureFraction(EqElement* e, gp::Graphics* g, float s, uint8_t flag);           // 128
void MeasureSmallFraction(EqElement* e, gp::Graphics* g, float s, uint8_t flag);      // 132
void MeasureBevelledFraction(EqElement* e, gp::Graphics* g, float s, uint8_t flag);   // 129
void MeasureSlashFraction(EqElement* e, gp::Graphics* g, float s, uint8_t flag);      // 130
void MeasureLongDivision(EqElement* e, gp::Graphics* g, float s, uint8_t flag);       // 131
void MeasureStack(EqElement* e, gp::Graphics* g, float s, uint8_t flag);              // 133, 134
void MeasureArcMark(EqElement* e, gp::Graphics* g, float s, uint8_t flag);            // 135
void MeasureRadical(EqElement* e, gp::Graphics* g, float s, uint8_t flag);            // 136, 137
void MeasureSuperscript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);        // 173
void MeasureSubscript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);          // 174
void MeasureSubSuperscript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);     // 175
void MeasureBaselineScript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);     // 176
void MeasureOverScript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);         // 177
void MeasureOverUnderScript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);    // 178
void MeasureUnderScript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);        // 179, 180
void MeasureBarScripts(EqElement* e, gp::Graphics* g, float s, uint8_t flag);         // 181
void MeasureSideScripts(EqElement* e, gp::Graphics* g, float s, uint8_t flag);        // 182
void MeasurePreSuperscript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);     // 189
void MeasurePreSubscript(EqElement* e, gp::Graphics* g, float s, uint8_t flag);       // 190
void MeasurePreScripts(EqElement* e, gp::Graphics* g, float s, uint8_t flag);         // 191
void MeasureOverAccent(EqElement* e, gp::Graphics* g, float s, uint8_t flag);         // 208-219
void MeasureUnderAccent(EqElement* e, gp::Graphics* g, float s, uint8_t flag);        // 224-235
void MeasureEnclosure(EqElement* e, gp::Graphics* g, float s, uint8_t flag);          // 240-252
void MeasurePhasor(EqElement* e, gp::Graphics* g, float s, uint8_t flag);             // 256
void MeasureArrowSymbol(EqElement* e, gp::Graphics* g, float s, uint8_t flag);        // 506-550
void MeasureExtArrow(EqElement* e, gp::Graphics* g, float s, uint8_t flag);           // 553-574, 624-643
void MeasureFrameMark(EqElement* e, gp::Graphics* g, float s, uint8_t flag);          // 590-598
void MeasureSmallGroup(EqElement* e, gp::Graphics* g, float s, uint8_t flag);         // 1536

// The arrow's width in units of the font size (types 506-550).
float ArrowWidthFactor(int32_t type);

}  // namespace toliva
