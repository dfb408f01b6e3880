// Operator characters (element types 1042 to 1289): plus, minus, times,
// relations and the like, drawn from the symbol library's operator table
// (record = type - 1042) rather than from a font. The record gives the
// operator's width and height factors, its spacing class, whether it sits on
// the math axis, and up to six stroked primitives (OperatorPrimitives.h).
//
// The character U+EEFF on an operator element draws it with a negation
// slash; an element of type 1284 is turned into 1055 with that character
// when it is laid out.
#pragma once

#include "model/OperatorPrimitives.h"
#include "model/ShapeObject.h"
#include "platform/gdiplus/GpTypes.h"

#include <cstdint>

namespace toliva {

constexpr uint16_t kNegatedOperatorChar = 0xEEFF;

class CKwEE_O_Operator final : public CKwEE_O {
public:
    // Takes the operator table of the pass's symbol library when laid out.
    CKwEE_O_Operator();
    // Takes the given table of count records (tests, previews).
    CKwEE_O_Operator(const OperatorDrawRecord* table, int count);

    void Layout(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag) override;
    void Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) override;

    // The element's record; null when the table is absent or too short for it.
    const OperatorDrawRecord* record() const;

    int recordIndex = 0;
    float strokeWidth = 0;  // spacing 51 x size
    float unit = 0;         // the drawing unit
    gp::ARGB colour = 0xFF000000;
    // Where the last drawing put the operator.
    float centreX = 0;
    float baselineY = 0;
    float axisOffset = 0;

    const OperatorDrawRecord* table = nullptr;
    int tableCount = 0;

private:
    bool m_ownTable = false;  // given a table, rather than the library's
};

// Whether a minus after this element is a unary minus (narrowed when the
// style asks for tighter operator spacing): a chain head, punctuation, a
// space, an operator glyph symbol, an arrow symbol or an extensible arrow.
bool StartsUnaryContext(const EqElement* previous);

}  // namespace toliva
