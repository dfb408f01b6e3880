#include "panels/SymbolBarTables.h"

#include <algorithm>

namespace toliva {
namespace {

constexpr BarRecord R(uint16_t kind, uint16_t code, uint16_t count = 0) { return {kind, code, count, 0}; }
constexpr BarRecord kEnd{0, 0, 0, 0};

// Greek letters.
constexpr BarRecord kGroup1[] = {
    R(4, 945), R(4, 946), R(4, 967), R(4, 948), R(4, 1013), R(4, 949), R(4, 981), R(4, 966), R(4, 947), R(4, 951),
    R(4, 953), R(4, 954), R(4, 955), R(4, 956), R(4, 957), R(4, 960), R(4, 982), R(4, 952), R(4, 977), R(4, 961),
    R(4, 1009), R(4, 963), R(4, 962), R(4, 964), R(4, 965), R(4, 969), R(4, 958), R(4, 968), R(4, 950), R(4, 916),
    R(4, 934), R(4, 915), R(4, 923), R(4, 928), R(4, 920), R(4, 931), R(4, 937), R(4, 926), R(4, 936), R(4, 978),
    kEnd};

// Basic structures and four commands.
constexpr BarRecord kGroup2[] = {
    R(3, 136),  R(3, 128), R(15, 64), R(3, 133), R(3, 189), R(3, 173), R(3, 177), R(3, 176), R(3, 96),
    R(3, 97),   R(3, 98),  R(3, 99),  R(3, 137), R(3, 129), R(15, 65), R(3, 134), R(3, 191), R(3, 175),
    R(3, 178),  R(3, 181), R(3, 100), R(3, 102), R(3, 103), R(3, 104), R(3, 131), R(3, 130), R(3, 1536),
    R(5, 57),   R(3, 190), R(3, 174), R(3, 179), R(3, 180), R(1, 211), R(1, 209), R(1, 210), R(1, 208),
    kEnd};

// Every operator element type.
constexpr BarRecord kGroup3[] = {R(3, 1042, 248), kEnd};

// Symbols, glyph ranges of the symbol library and the user symbols.
constexpr BarRecord kGroup4[] = {
    R(6, 176),   R(6, 8706), R(6, 433),  R(6, 411),  R(6, 167),  R(6, 8242),  R(6, 8733), R(6, 8734), R(6, 295),
    R(6, 8224),  R(6, 305),  R(6, 8243), R(6, 8711), R(6, 240),  R(6, 8467),  R(6, 8225), R(6, 567),  R(6, 8244),
    R(6, 8501),  R(6, 8465), R(6, 8476), R(6, 8472), R(6, 1008), R(6, 1014),  R(6, 8364), R(6, 163),  R(6, 165),
    R(6, 169),   R(6, 174),  R(6, 182),  R(6, 61694), R(6, 8245), R(6, 37),   R(6, 8240), R(13, 1, 83), R(13, 84, 149),
    R(13, 381, 2), R(13, 435, 42), R(6, 1), kEnd};

// Accents.
constexpr BarRecord kGroup5[] = {
    R(2, 1),   R(2, 2),   R(2, 5),   R(2, 9),   R(2, 23),  R(2, 6),   R(2, 12),  R(2, 13),  R(2, 17),  R(2, 15),
    R(2, 11),  R(2, 21),  R(2, 25),  R(2, 3),   R(2, 4),   R(2, 7),   R(2, 10),  R(2, 24),  R(2, 8),   R(2, 19),
    R(2, 14),  R(2, 18),  R(2, 16),  R(2, 20),  R(2, 22),  R(2, 26),  R(2, 129), R(2, 130), R(2, 133), R(2, 137),
    R(2, 151), R(2, 134), R(2, 140), R(2, 141), R(2, 145), R(2, 143), R(2, 139), R(2, 149), R(2, 153), R(2, 131),
    R(2, 132), R(2, 135), R(2, 138), R(2, 152), R(2, 136), R(2, 147), R(2, 142), R(2, 146), R(2, 144), R(2, 148),
    R(2, 150), R(2, 154), kEnd};

// Accent structures, enclosures and marks.
constexpr BarRecord kGroup6[] = {R(3, 208, 12), R(3, 224, 12), R(3, 240), R(3, 252), R(3, 241, 11),
                                 R(3, 256),     R(3, 590, 9),  R(3, 135), R(3, 608), R(15, 8, 4), kEnd};

// Brackets.
constexpr BarRecord kGroup7[] = {R(3, 337, 17), R(3, 360), R(3, 354), R(3, 361), R(3, 355), R(3, 362),
                                 R(3, 356),     R(3, 363), R(3, 357), R(3, 364), R(3, 358), R(3, 365),
                                 R(3, 359),     R(3, 366, 3), R(15, 32, 5), kEnd};

// Integrals.
constexpr BarRecord kGroup8[] = {
    R(3, 288), R(3, 291), R(3, 302), R(3, 304), R(3, 293), R(3, 295), R(3, 297), R(3, 299), R(3, 286), R(3, 276),
    R(3, 289), R(3, 292), R(3, 303), R(3, 305), R(3, 294), R(3, 296), R(3, 298), R(3, 300), R(3, 301), R(3, 277),
    R(3, 290), R(3, 281), R(3, 279), R(3, 280), R(3, 282), R(3, 283), R(3, 284), R(3, 285), R(3, 287), R(3, 278),
    R(3, 769), R(3, 772), R(3, 770), R(3, 771), R(3, 777), R(3, 778), R(3, 781), R(3, 782), R(3, 785), R(3, 787),
    R(3, 773), R(3, 776), R(3, 774), R(3, 775), R(3, 779), R(3, 780), R(3, 783), R(3, 784), R(3, 786), R(3, 788),
    R(3, 274), R(3, 275), kEnd};

// Big operators.
constexpr BarRecord kGroup9[] = {
    R(3, 306), R(3, 309), R(3, 312), R(3, 315), R(3, 318), R(3, 321), R(3, 324), R(3, 800), R(3, 803), R(3, 327),
    R(3, 330), R(3, 333), R(3, 308), R(3, 311), R(3, 314), R(3, 317), R(3, 320), R(3, 323), R(3, 326), R(3, 802),
    R(3, 805), R(3, 329), R(3, 332), R(3, 335), R(3, 307), R(3, 310), R(3, 313), R(3, 316), R(3, 319), R(3, 322),
    R(3, 325), R(3, 801), R(3, 804), R(3, 328), R(3, 331), R(3, 334), R(3, 848, 12), R(3, 182), R(3, 860, 4), kEnd};

// Matrices and arrays.
constexpr BarRecord kGroup10[] = {
    R(3, 1106), R(5, 105), R(5, 80),  R(5, 79),  R(5, 81),  R(5, 92),  R(5, 91),  R(5, 93),  R(5, 68),  R(5, 67),
    R(5, 69),   R(5, 119), R(5, 116), R(3, 1108), R(5, 108), R(5, 83), R(5, 82),  R(5, 84),  R(5, 95),  R(5, 94),
    R(5, 96),   R(5, 71),  R(5, 70),  R(5, 72),  R(5, 120), R(5, 117), R(3, 1107), R(5, 111), R(5, 86), R(5, 85),
    R(5, 87),   R(5, 98),  R(5, 97),  R(5, 99),  R(5, 74),  R(5, 73),  R(5, 75),  R(5, 121), R(5, 118), R(3, 1109),
    R(5, 102),  R(5, 77),  R(5, 76),  R(5, 78),  R(5, 89),  R(5, 88),  R(5, 90),  R(5, 65),  R(5, 64),  R(5, 66),
    R(5, 123),  R(5, 122), kEnd};

// A glyph range and arrows.
constexpr BarRecord kGroup11[] = {R(13, 233, 122), R(3, 506, 28), R(3, 546, 5), R(3, 544, 2), R(3, 534, 10),
                                  R(3, 553),       R(3, 557),     R(3, 560),    R(3, 642),    R(3, 624, 4),
                                  R(3, 632, 2),    R(3, 574),     R(3, 567),    R(3, 570),    R(3, 643),
                                  R(3, 628, 4),    R(3, 640, 2),  kEnd};

}  // namespace

const std::array<MainStripGroup, kMainStripGroupCount>& MainStripGroups() {
    static const std::array<MainStripGroup, kMainStripGroupCount> groups{{
        {4, 10, 36, 36, 0, kGroup1},
        {3, 12, 48, 48, 0, kGroup2},
        {4, 18, 36, 36, 1, kGroup3},
        {4, 16, 36, 36, 2, kGroup4},
        {4, 13, 36, 36, 0, kGroup5},
        {3, 8, 48, 48, 6, kGroup6},
        {4, 8, 48, 36, 7, kGroup7},
        {3, 7, 48, 48, 4, kGroup8},
        {3, 10, 48, 48, 5, kGroup9},
        {4, 13, 36, 36, 0, kGroup10},
        {4, 16, 36, 36, 3, kGroup11},
    }};
    return groups;
}

std::vector<SymbolKey> ExpandBarRecords(const BarRecord* table) {
    std::vector<SymbolKey> keys;
    if (!table) return keys;
    for (const BarRecord* r = table; r->kind != 0 && r->firstCode != 0; ++r) {
        const int n = r->count > 0 ? std::min<int>(r->count, kMaxNodesPerRecord) : 1;
        for (int i = 0; i < n; ++i) keys.push_back(SymbolKey{r->kind, r->firstCode + i, r->third});
    }
    return keys;
}

}  // namespace toliva
