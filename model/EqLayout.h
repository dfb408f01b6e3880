// The layout dispatcher: gives every element of a chain its box (width,
// ascent, descent, xOffset) at a scale, sums a chain's metrics on its head,
// places chains, and holds the character kerning, script kerning and script
// gaps that the measurers (EqMeasure.h) and the drawers share.
//
// Kerning and gap values are in em: callers multiply them by the font size
// at the current scale.
#pragma once

#include <cstdint>

namespace toliva {

namespace gp {
class Graphics;
}

class EqModel;
struct EqElement;
struct RenderContext;

// The measurer of a type code's family (EqTypeRoutes.h); computed shapes
// measure through LayoutShapeObject.
using Measurer = void (*)(EqElement*, gp::Graphics*, float, uint8_t);
Measurer MeasurerOf(int32_t type);

// Lays out the element and every element after it in its chain (one call on
// a head lays out the whole chain and leaves the chain's summed width and
// maximal ascent and descent on the head). The scale is first raised to the
// equation's minimum scale. flag is 1 for script content (scripts, limits,
// small-fraction parts), 0 otherwise; measurers pass it on. graphics may be
// null (measuring then uses a scratch surface). Returns the element's
// phantom kind. Measuring reads the context lent to the element's equation
// (RenderContext.h), so this form serves the measurers within a pass.
int LayoutElement(EqElement* e, gp::Graphics* graphics, float scale, uint8_t flag);
// The same as a pass of its own: lends the context to e's equation for the call.
int LayoutElement(const RenderContext& context, EqElement* e, gp::Graphics* graphics, float scale, uint8_t flag);

// From first along next: *width += width; *ascent and *descent become the
// larger of themselves and each element's (starting values are the caller's).
void SumChainMetrics(const EqElement* first, float* descent, float* ascent, float* width);
// rect = (x, y - ascent, width, ascent + descent) for each element along the
// chain, x advancing by each width.
void PlaceChain(EqElement* first, float x, float y);
// Moves rect and origin of the element, every element after it and,
// recursively, of all their child chains.
void OffsetTree(EqElement* e, float dx, float dy);

// The head of child chain i of e, or null when a damaged tree lacks it.
// Measurers and drawers treat a missing chain as empty.
EqElement* ChildChain(const EqElement* e, int i);
// The last child chain, or null when there is none.
EqElement* LastChildChain(const EqElement* e);

// Steps to prev while the element is a space and has a predecessor.
EqElement* SkipSpacesBack(EqElement* e);
const EqElement* SkipSpacesBack(const EqElement* e);
// For a space with a successor: SkipSpacesBack(successor); else the element.
EqElement* SkipSpacesAfter(EqElement* e);
const EqElement* SkipSpacesAfter(const EqElement* e);
// Steps to prev while the element is neither a head nor a character without
// a payload, and has a predecessor.
EqElement* FindPlainCharBack(EqElement* e);

// Lays out every line after the first skipCount ones (a negative count lays
// out none) at the scale, flag 0; with keepCached, lines that still hold a
// cached bitmap are skipped. Sets the equation's minimum scale first.
void LayoutLines(const RenderContext& context, EqModel* eq, gp::Graphics* graphics, float scale, int skipCount,
                 bool keepCached);

// ---- character kerning (em)

// The gap after a character before its successor: spacing 1 plus the pair
// kerning, plus punctuation space after '!', ',' and ';'; at least
// FunctionNameGap after the last letter of an upright function name ("sin",
// "det") followed directly by a letter or digit argument.
float CharGapAfter(const EqElement* e);
// The gap that leaves a thin space between a function name and its argument.
float FunctionNameGap();
// Greek capitals and a few symbols as their Latin look-alikes.
uint16_t Latinise(uint16_t code);
float KernItalicToUpright(const EqElement* next);
float KernUprightToItalic(const EqElement* c);
float KernUprightPair(const EqElement* c, const EqElement* next);
float KernItalicPair(const EqElement* c, const EqElement* next);

// ---- script kerning and gaps (em)

float SuperscriptKern(const EqElement* script);     // 173 after a character
float SubscriptKern(const EqElement* script);       // 174 after a character
float PreSuperscriptKern(const EqElement* script);  // 189 before an italic character
float PreSubscriptKern(const EqElement* script);    // 190 before an italic character
float GapBeforeSuperscript(const EqElement* script);
float GapBeforeSubscript(const EqElement* script);
float GapBeforePreSuperscript(const EqElement* script);
float GapBeforePreSubscript(const EqElement* script);
// The gap after a script before next (null or a head when nothing follows).
float GapAfterScript(const EqElement* next, const EqElement* script);

}  // namespace toliva
