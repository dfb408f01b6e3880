// Accent marks over and under characters and glyph symbols.
//
// The marks live in the element's payload, one byte per mark: 1 to 127 a
// mark above the symbol (the byte is the mark kind), 129 to 255 a mark below
// (kind = byte - 128); 0 and 128 are ignored. Above marks stack upwards in
// payload order, below marks downwards, each taking one step of height.
//
// The character measurer attaches the accent object, calls its base Layout
// and then LayoutAccent, which widens and heightens the element for the
// marks; the character drawer draws the symbol and then calls Draw with the
// element's centre.
#pragma once

#include "model/ShapeObject.h"
#include "platform/gdiplus/GpTypes.h"

#include <QString>

#include <cstdint>

namespace toliva {

struct EqElement;
struct GlyphOutline;

namespace gp {
class Graphics;
}

// The width of mark kind k in units of the accent unit (0 from kind 28 up).
float AccentMarkWidthFactor(int kind);

// Horizontal shifts of the above and below stacks, in units of the font
// size, for letters whose ink leans (italic letters and Greek).
struct AccentShift {
    float over = 0;
    float under = 0;
};
// False for characters without an entry (they keep the plain shift).
bool ItalicAccentShift(uint16_t code, AccentShift* out);

class CKwEE_O_Accent final : public CKwEE_O {
public:
    // Measures the marks; called right after the base Layout. size is the
    // element's font size in drawing units, text its drawn text, glyph its
    // outline (glyph symbols) or null, flag the layout pass's script flag.
    void LayoutAccent(gp::Graphics* graphics, float size, const QString& text, const GlyphOutline* glyph,
                      uint8_t flag);
    // Draws every mark; x is the element's centre, y its baseline.
    void Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) override;
    // Draws one mark (a payload byte) centred on (cx, level).
    void DrawAccentMarks(int mark, gp::Graphics& g, float cx, float level, gp::ARGB colour) const;

    // Half the height of the symbol's own box: the element's ascent before
    // the marks. The character drawer places the text box with it, so the
    // symbol stays where it was without marks.
    float HalfHeight() const { return savedAscent; }

    float markWidth = 0;     // the width the widest mark needs
    float topOffset = 0;     // baseline up to the level of the first above mark
    float savedAscent = 0;   // the element's ascent before the marks
    float bottomOffset = 0;  // baseline down to the level of the first below mark
    float unit = 0;          // spacing 27 x size
    float step = 0;          // spacing 28 x size: the height each mark takes
    float overShift = 0;
    float underShift = 0;
    gp::RectF symbolBox;     // bounds of the symbol
};

// The half height of the element's accent object; false when the element
// has no marks or no accent object.
bool AccentHalfHeight(const EqElement* e, float* half);

}  // namespace toliva
