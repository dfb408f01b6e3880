// Drawing of a laid-out equation, element by element.
//
// DrawElement is the single entry: it draws one element at a position by its
// type and walks on along the element's chain, so that one call on a chain
// head draws the whole line or argument. Structure drawers (EqDrawers*.cpp)
// draw their own strokes and call DrawElement again for each child chain;
// computed shapes are drawn by their shape object. Beside the content the
// dispatcher draws the editing marks: mark highlighting, phantom marks,
// empty-argument boxes and space markers.
//
// Positions are world units of the graphics: x is the left edge of the
// element's advance box, y its baseline. Drawing measures nothing: it reads
// the boxes the layout left on the elements (EqLayout.h). Drawing never
// throws; failures of the graphics are kept as its last status.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <cstdint>

namespace toliva {

namespace gp {
class Graphics;
}

struct EqElement;
struct RenderContext;

// Colours of the editing marks.
constexpr gp::ARGB kMarkHighlightColour = 0x3264FA0E;
constexpr gp::ARGB kEmptySlotColour = 0x7864C8FF;
constexpr gp::ARGB kEmptySlotColourAlt = 0x780A0A0A;  // the equation's second marker style
// A marked type-5 element is drawn once in this colour, and its mark cleared.
constexpr gp::ARGB kMarkedTextColour = 0xFFFF0000;

// Draws e and every element after it in its chain. lineBox is the box of the
// enclosing chain (only its top and height are read); it may be null for a
// chain head, which uses its own chain box. scale is the size factor of this
// nesting level (raised to the equation's minimum scale); script is set for
// content in a reduced script position. On every element drawn, rect becomes
// its drawn box and origin its line box. A null element draws nothing.
// Drawing reads the context lent to the element's equation (RenderContext.h),
// so this form serves the drawers within a pass.
void DrawElement(EqElement* e, gp::Graphics& g, float x, float y, const gp::RectF* lineBox, float scale,
                 bool script);
// The same as a pass of its own: lends the context to e's equation for the call.
void DrawElement(const RenderContext& context, EqElement* e, gp::Graphics& g, float x, float y,
                 const gp::RectF* lineBox, float scale, bool script);

// Draws a child chain from its head; a missing chain (null) draws nothing.
void DrawChain(EqElement* head, gp::Graphics& g, float x, float y, float scale, bool script);

// ---- editing marks

// Fills the element's drawn box with the highlight colour.
void DrawMarkHighlight(const EqElement* e, gp::Graphics& g);
// The mark of a phantom that keeps only its width (kind 1): a baseline with
// a tick at each end, on whole pixels, in the phantom colour.
void DrawPhantomSpanMark(float x, float y, float scale, const EqElement* e, gp::Graphics& g);
// The mark of a phantom that keeps only its height (kind 2): a vertical line
// with a tick at each end.
void DrawPhantomHeightMark(float x, float y, float scale, const EqElement* e, gp::Graphics& g);
// A translucent box over an empty argument while editing.
void DrawEmptySlotBox(const EqElement* e, gp::Graphics& g);
// A dashed box with a middle line and dividers over a visible space.
void DrawSpaceMarker(const EqElement* e, gp::Graphics& g);

}  // namespace toliva
