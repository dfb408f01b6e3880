// The record tables of the eleven groups of the main symbol strip, and the
// rule by which a record expands into the keys of its nodes.
//
// A record is kind, first code, count (0: one node) and third field; a table
// ends at the first record whose kind or first code is 0. A record never
// yields more than kMaxNodesPerRecord nodes.
#pragma once

#include "model/SymbolKey.h"

#include <array>
#include <cstdint>
#include <vector>

namespace toliva {

struct BarRecord {
    uint16_t kind = 0;
    uint16_t firstCode = 0;
    uint16_t count = 0;
    uint16_t third = 0;
};

inline constexpr int kMaxNodesPerRecord = 500;

// One group of the main strip: its grid, unscaled cell size, order-file id
// (0: fixed order) and records (ended by a zero record).
struct MainStripGroup {
    int rows = 0;
    int cols = 0;
    float cellWidth = 0;
    float cellHeight = 0;
    int id = 0;
    const BarRecord* records = nullptr;
};

inline constexpr int kMainStripGroupCount = 11;

// The eleven groups in strip order (group 1 first).
const std::array<MainStripGroup, kMainStripGroupCount>& MainStripGroups();

// The keys a table expands into, in build order (the node's picture index is
// its position here). A null table gives none.
std::vector<SymbolKey> ExpandBarRecords(const BarRecord* table);

}  // namespace toliva
