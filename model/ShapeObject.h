// Base of the shape objects attached to elements whose shape is computed
// (accents over characters, brackets, integrals, big operators, matrices,
// operator characters, chemical marks).
//
// Layout creates the object, attaches it to the element and lets it measure
// the element; drawing asks the same object to draw the decoration. An object
// holds only geometry derived from its element and the equation's style: it
// owns no elements and is rebuilt at every layout.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace toliva {

namespace gp {
class Graphics;
}

struct EqElement;
struct GlyphOutline;

class CKwEE_O {
public:
    CKwEE_O() = default;
    virtual ~CKwEE_O() = default;
    CKwEE_O(const CKwEE_O&) = delete;
    CKwEE_O& operator=(const CKwEE_O&) = delete;

    // Stores the element and the scale and computes size; overrides call this
    // first, then lay out the child chains (passing flag on) and write the
    // element's width, ascent, descent and, where it applies, xOffset.
    virtual void Layout(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag);
    // Draws the decoration with x at the element's left edge and y on its
    // baseline, and the child chains whose place depends on it. The base
    // draws nothing.
    virtual void Draw(gp::Graphics* graphics, float x, float y, uint8_t flag);

    EqElement* element = nullptr;  // none until the first layout
    float scale = 1.0f;            // scale of the last layout
    float size = 1.0f;             // scale x the equation's base font size
};

// Whether elements of the type are measured by a shape object (integrals,
// big operators, brackets, matrices, operators, chemical marks).
bool IsShapeObjectType(int32_t type);

// A new shape object for an element type; null for types that have none.
std::unique_ptr<CKwEE_O> NewShapeObject(int32_t type);

// Replaces the element's shape object by a new one for its type and calls
// its Layout. The element's box is cleared first, so an object that does not
// measure leaves an empty box.
void LayoutShapeObject(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag);

// Accent marks of a character or glyph symbol (a payload with at least one
// byte): replaces the element's shape object by a new accent object, calls
// its base Layout and then its accent measuring, which widens and heightens
// the element for the marks. size is the element's font size in drawing
// units, text the element's drawn text, glyph its outline (glyph symbols) or
// null. Without an accent class the shape object is only removed.
void LayoutAccentObject(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag, float size,
                        const QString& text, const GlyphOutline* glyph);

}  // namespace toliva
