// The marks of a chemical-form element (type 608) as the marks page of the
// settings dialog shows them: for each side (left, top, right, bottom) three
// mark places, each none, a dot or a cross, and the shift of the whole form.
//
// The element keeps its marks in its payload, as the drawing reads them
// (model/ShapeChem.h): one byte per side with three 2-bit fields, then the
// shift byte. A side shows as many marks as it has non-zero fields, taken
// from the first field on; so the marks are written packed from the first
// field upwards, and reading gives what the drawing shows.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace toliva {

struct EqElement;

// The choice of one mark place.
enum ChemMarkChoice : int { ChemMarkNone = 0, ChemMarkDot = 1, ChemMarkCross = 2 };
// The choice of the shift: none, down, up (the shift byte's values).
enum ChemShiftChoice : int { ChemShiftNone = 0, ChemShiftDown = 1, ChemShiftUp = 2 };

struct ChemMarkChoices {
    // [side][place], sides in the order left, top, right, bottom.
    std::array<std::array<int, 3>, 4> marks{};
    int shift = ChemShiftNone;

    friend bool operator==(const ChemMarkChoices&, const ChemMarkChoices&) = default;
};

// The items of the marks page (group 0): item side x 3 + place for the marks,
// then the shift, then the read-only text of the element's content.
constexpr int kChemPageShiftItem = 12;
constexpr int kChemPageContentItem = 13;
constexpr int kChemPageItems = 14;
inline constexpr int ChemPageMarkItem(int side, int place) { return side * 3 + place; }

// What a payload shows (missing bytes count as 0).
ChemMarkChoices ChemMarkChoicesOf(const std::vector<uint8_t>& payload);
// The five payload bytes of the choices; choices out of range count as none.
std::vector<uint8_t> ChemMarkPayload(const ChemMarkChoices& choices);
// Writes the choices into a type-608 element; false (nothing changed) for
// any other element.
bool SetChemMarks(EqElement* element, const ChemMarkChoices& choices);

}  // namespace toliva
