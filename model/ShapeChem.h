// Chemical marks (element type 608): one content chain, usually an element
// symbol, with groups of up to three dots or crosses on its four sides, as
// electron-dot notation draws them.
//
// Payload: bytes 0 to 3 are the sides left, top, right, bottom; each holds
// three 2-bit mark fields (bits 0-1, 2-3, 4-5). A side shows as many marks
// as it has non-zero fields, taken from the first fields on: a field of 1 is
// a dot, any other value a cross. Byte 4 shifts the content and the marks:
// 1 down, 2 up by 4 units. Bytes the payload lacks count as 0.
#pragma once

#include "model/ShapeObject.h"

#include <cstdint>
#include <vector>

namespace toliva {

enum ChemSide { ChemLeft = 0, ChemTop = 1, ChemRight = 2, ChemBottom = 3 };

struct ChemMarks {
    struct Side {
        int count = 0;            // 0 to 3
        uint8_t kinds[3] = {};    // the mark fields drawn, 1 a dot, else a cross
    };
    Side sides[4];
    uint8_t shift = 0;  // 1 down, 2 up, else none
};

// Decodes a chemical-mark payload; a payload shorter than five bytes reads
// its missing bytes as 0.
ChemMarks DecodeChemMarks(const std::vector<uint8_t>& payload);

class CKwEE_O_ChemEForm final : public CKwEE_O {
public:
    void Layout(EqElement* element, gp::Graphics* graphics, float scale, uint8_t flag) override;
    void Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) override;

    float unit = 0;             // 0.07 x size
    uint8_t afterCompact = 0;   // the previous sibling is a stack or a chemical mark
    uint8_t beforeCompact = 0;  // the next sibling is one
    ChemMarks marks;
};

}  // namespace toliva
