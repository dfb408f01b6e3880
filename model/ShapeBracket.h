// Bracket pairs (element types 336 to 368): a left and a right delimiter
// around one content chain, or around a first and a last chain split by a
// middle bar. The delimiters stretch with the content; fixed-size codes give
// them one of a few set heights.
//
// Delimiter codes (GetBracketDelimiters, EqTypes.h), one byte each:
//   0         no delimiter
//   1 to 9    a stretchy delimiter of the kind below
//   17 to 25  the same kinds turned by 180 degrees (the closing forms)
//   33 and up a fixed-size delimiter: the low 4 bits give the drawn kind and
//             turn, the high 4 bits the height class (see DelimiterCodeForm)
#pragma once

#include "model/ShapeObject.h"
#include "platform/gdiplus/GpTypes.h"

#include <cstdint>

namespace toliva {

namespace gp {
class Graphics;
}

enum DelimiterKind : uint8_t {
    DelimiterNone = 0,
    DelimiterRound = 1,
    DelimiterSquare = 2,
    DelimiterCurly = 3,
    DelimiterAngle = 4,
    DelimiterBar = 5,
    DelimiterDoubleBar = 6,
    DelimiterFloor = 7,    // spine and bottom arm
    DelimiterCeiling = 8,  // spine and top arm
    DelimiterDoubleSquare = 9,
};

// What one delimiter code stands for.
struct DelimiterForm {
    uint8_t kind = DelimiterNone;
    float rotation = 0;         // degrees: 0 or 180
    bool stretchy = true;       // codes below 33: as tall as the content
    bool keepsPrevious = false; // codes from 160: the height of the delimiter sized before
    float height = 0;           // fixed codes: the height in units of the font size
};
DelimiterForm DelimiterCodeForm(uint8_t code);

// The width of a delimiter of a kind at height h (units of pixels, like
// size). tall is set for delimiters taller than 2 size (never for bars); a
// delimiter that is not tall gets 0.06 size more than its table width.
struct DelimiterWidth {
    float width = 0;
    bool tall = false;
};
DelimiterWidth DelimiterWidthFor(int kind, float height, float size, bool roundStyle, bool braceStyle);

// ---- delimiter shapes
//
// Each is built as an opening delimiter centred on the origin: its spine runs
// along y over h, it reaches w across x and opens towards +x; angle turns it
// (degrees, clockwise on screen; 180 gives the closing form, 90 an over-brace
// opening downwards). s is the stroke width. The world transform is the same
// afterwards. The wide accents of the same look draw through these.

// Square bracket: an open polyline with a pen 0.6 s wide.
void DrawSquareDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle);
// A single bar on the spine side of the box.
void DrawBarDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle);
// Two bars, pen s / 2.
void DrawDoubleBarDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle);

// The parenthesis as brackets draw it: with roundStyle and h above 1.5 size
// the proportioned parenthesis, else the short one while 5 w is not below h,
// else a crescent of four arcs with a straight middle.
void DrawRoundDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle, bool roundStyle,
                        float size);
// The curly brace: with braceStyle a filled band of four Bezier segments,
// else the brace of eight arcs.
void DrawCurlyDelimiter(gp::Graphics& g, float w, float h, float s, gp::ARGB colour, float angle, bool braceStyle);

// Any delimiter kind; DelimiterNone and unknown kinds draw nothing.
void DrawDelimiterShape(gp::Graphics& g, int kind, float w, float h, float s, gp::ARGB colour, float angle,
                        bool roundStyle, bool braceStyle, float size);

// ---- the shape object

class CKwEE_O_Bracket final : public CKwEE_O {
public:
    void Layout(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag) override;
    void Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) override;

    // One side's delimiter as the last layout sized it.
    struct Side {
        uint8_t code = 0;
        uint8_t kind = DelimiterNone;
        float rotation = 0;
        float width = 0;
        float height = 0;    // the height computed for the code
        float outerGap = 0;  // towards the neighbour
        float innerGap = 0;  // towards the content (unusually turned square brackets)
        bool roundStyle = false;
    };

    float strokeWidth = 0;
    Side left;
    Side right;
    bool tall = false;        // as the last delimiter width computation left it
    bool braceStyle = false;  // option byte 2
    bool nested = false;      // a lone brace around a matrix
    gp::ARGB colour = 0xFF000000;
    float gapFactor = 0.18f;

private:
    // Sizes one side: its height (growing the element's ascent and descent to
    // half of it), kind, turn, round style and width.
    void SizeSide(Side& side, bool contentHoldsBracket, const float* previousHeight);
};

}  // namespace toliva
