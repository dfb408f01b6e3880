#include "sheet/editing/ChemMarks.h"

#include "model/EqElement.h"
#include "model/EqTypes.h"
#include "model/ShapeChem.h"

namespace toliva {

ChemMarkChoices ChemMarkChoicesOf(const std::vector<uint8_t>& payload) {
    const ChemMarks decoded = DecodeChemMarks(payload);
    ChemMarkChoices out;
    for (int side = 0; side < 4; ++side) {
        const ChemMarks::Side& s = decoded.sides[side];
        for (int place = 0; place < s.count && place < 3; ++place)
            out.marks[size_t(side)][size_t(place)] = s.kinds[place] == 1 ? ChemMarkDot : ChemMarkCross;
    }
    out.shift = decoded.shift == 1 ? ChemShiftDown : decoded.shift == 2 ? ChemShiftUp : ChemShiftNone;
    return out;
}

std::vector<uint8_t> ChemMarkPayload(const ChemMarkChoices& choices) {
    std::vector<uint8_t> bytes(5, 0);
    for (size_t side = 0; side < 4; ++side) {
        int field = 0;
        for (int choice : choices.marks[side]) {
            if (choice != ChemMarkDot && choice != ChemMarkCross) continue;
            bytes[side] = uint8_t(bytes[side] | ((choice == ChemMarkDot ? 1 : 2) << (2 * field)));
            ++field;
        }
    }
    if (choices.shift == ChemShiftDown || choices.shift == ChemShiftUp) bytes[4] = uint8_t(choices.shift);
    return bytes;
}

bool SetChemMarks(EqElement* element, const ChemMarkChoices& choices) {
    if (!element || element->type != EqTypeChemForm) return false;
    element->payload = ChemMarkPayload(choices);
    return true;
}

}  // namespace toliva
