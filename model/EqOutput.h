// The equation-level drawing passes: laying an equation out and drawing it
// for output (pictures, export, printing), as a picture with margins and a
// baseline, and in the editing view with one cached bitmap per line.
//
// Every pass reads the context it is given (RenderContext.h): the symbol
// library, the text measurer, the option word and the drawing lock.
//
// The output passes draw at a scale by multiplying the style's font size and
// second size for the duration of the pass; both are given back when the
// pass ends, however it ends, so scaled sizes never reach a saved file.
#pragma once

#include "platform/gdiplus/GpTypes.h"

class QPainter;

namespace toliva {

namespace gp {
class Graphics;
}

class EqModel;
struct EqElement;
struct RenderContext;

// What a picture pass reports, in pixels of the picture.
struct EqPictureMetrics {
    float width = 0;
    float height = 0;
    float descent = 0;  // the part below the baseline
    float axis = 0;     // the math axis as the picture's vertical alignment value
    // Distance from the picture's top to its baseline.
    float baseline() const { return height - descent; }
};

// Switches the equation to output mode (transparent phantoms), measures its
// font metrics, lays every line out at the scale and stacks and aligns the
// lines from origin. Afterwards widestLine and totalHeight hold the size.
void LayoutForOutput(const RenderContext& context, gp::Graphics* graphics, EqModel* eq, gp::PointF origin,
                     float scale);

// Lays the equation out at base size x scale from origin and draws every
// line. highlightMarks shows marked elements highlighted; frame draws a thin
// white rectangle around the laid-out area. Line caches are dropped.
void DrawEquation(const RenderContext& context, gp::PointF origin, gp::Graphics& graphics, EqModel* eq, float scale,
                  bool highlightMarks, bool frame);

// Draws the equation at base size x scale as a picture with the style's
// margins, background (transparent when style integer 5 is set) and
// baseline (half the content height for a multi-line equation when the
// context's option word asks for it), from (0, 0). The metrics can be had before
// drawing by a pass over a graphics that keeps nothing (a RecordingGraphics).
// Marks are not highlighted; line caches are dropped.
EqPictureMetrics DrawEquationPicture(const RenderContext& context, gp::Graphics& graphics, EqModel* eq, float scale);

// Draws the editing view: lines are placed from the view's top-left corner
// and aligned in its width; the target spans (0, 0) to (view width, view
// height) on dc, so a scrolled view has a negative x or y. Each visible line
// is drawn at the scale into its line head's cached bitmap when it has none
// (such lines must be laid out at the same scale, LayoutLines) and the
// bitmap copied to dc; lines wholly
// outside the target are only placed. A line whose bitmap cannot be made is
// drawn on dc directly. With separators, a dotted line is set under each
// drawn line. Returns false when keepVisible's line lies outside the view.
bool DrawEquationView(const RenderContext& context, const gp::RectF& view, EqModel* eq, QPainter* dc, float scale,
                      bool separators, const EqElement* keepVisible);

// The largest side and the most pixels of a line's cached bitmap; a larger
// line is drawn without a cache.
constexpr int kMaxLineBitmapSide = 32767;
constexpr double kMaxLineBitmapPixels = 64.0 * 1024 * 1024;

}  // namespace toliva
