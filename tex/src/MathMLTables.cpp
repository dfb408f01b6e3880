#include "MathMLTables.h"

#include <iterator>

namespace toliva::mathml {
namespace {

// Operator types 1042-1289, in type order; 0 where the type has no character.
const char16_t kOperatorChars[] = {
    0x002B, 0x002D, 0x22C5, 0x00D7, 0x00B1, 0x2213, 0x00F7, 0x003D,  // 1042
    0x2243, 0x2245, 0x007E, 0x2248, 0x2250, 0x2261, 0x2259, 0x225C,  // 1050
    0x2260, 0x221D, 0x003C, 0x003E, 0x2A7D, 0x2A7E, 0x226A, 0x226B,  // 1058
    0x227A, 0x227B, 0x22B2, 0x22B3, 0x2295, 0x2297, 0x2299, 0x2300,  // 1066
    0x2282, 0x2229, 0x2283, 0x222A, 0x2284, 0x2286, 0x2287, 0x2200,  // 1074
    0x2208, 0x2209, 0x220B, 0x2203, 0x22D3, 0x22D2, 0x228E, 0x00AC,  // 1082
    0x2235, 0x2234, 0x2227, 0x2228, 0x22A5, 0x20EB, 0x2220, 0x2221,  // 1090
    0x25B1, 0x25A1, 0x25AD, 0x25CB, 0x25B3, 0x25C7, 0x223D, 0x224C,  // 1098
    0x22EF, 0x22EE, 0x22F1, 0x22F0, 0x229B, 0x2296, 0x229A, 0x2298,  // 1106
    0x2264, 0x2265, 0x2AAF, 0x2AB0, 0x2291, 0x2292, 0x2322, 0x2323,  // 1114
    0x22A8, 0x2223, 0x2225, 0x22A2, 0x22A3, 0x224D, 0x228F, 0x2290,  // 1122
    0x2A1D, 0x22C8, 0x2266, 0x2267, 0x2A95, 0x2A96, 0x2272, 0x2273,  // 1130
    0x2A85, 0x2A86, 0x224A, 0x22D6, 0x22D7, 0x22D8, 0x22D9, 0x2276,  // 1138
    0x2277, 0x22DA, 0x22DB, 0x2A8B, 0x2A8C, 0x2251, 0x2256, 0x2257,  // 1146
    0x2253, 0x2252, 0x223D, 0x223C, 0x22CD, 0x2248, 0x227C, 0x227D,  // 1154
    0x22DE, 0x22DF, 0x227E, 0x227F, 0x2AB7, 0x2AB8, 0x2AC5, 0x2AC6,  // 1162
    0x22D0, 0x22D1, 0x22B4, 0x22B5, 0x22A7, 0x22A9, 0x22AA, 0x25E0,  // 1170
    0x25E1, 0x23D0, 0x2016, 0x224F, 0x224E, 0x2204, 0x226E, 0x226F,  // 1178
    0x2270, 0x2271, 0x2280, 0x2281, 0x22EA, 0x22EB, 0x2288, 0x2289,  // 1186
    0x228A, 0x228B, 0x228A, 0x228B, 0x2270, 0x2271, 0x2A87, 0x2A88,  // 1194
    0x22E0, 0x22E1, 0x2224, 0x2226, 0x22AC, 0x2270, 0x2271, 0x2268,  // 1202
    0x2269, 0x2268, 0x2269, 0x22E6, 0x22E7, 0x2289, 0x228A, 0x2247,  // 1210
    0x2241, 0x2249, 0x22E8, 0x22E9, 0x2AB9, 0x2ABA, 0x2AB5, 0x2AB6,  // 1218
    0x2288, 0x2289, 0x2ACB, 0x2ACC, 0x2ACB, 0x2ACC, 0x22EC, 0x22ED,  // 1226
    0x22AD, 0x22AE, 0x22AF, 0x2224, 0x2226, 0x2219, 0x2293, 0x2294,  // 1234
    0x25E6, 0x25EF, 0x22C4, 0x2217, 0x2240, 0x2214, 0x22C9, 0x22CA,  // 1242
    0x22CB, 0x22CC, 0x229D, 0x22BC, 0x22BB, 0x2306, 0x22CF, 0x22CE,  // 1250
    0x229E, 0x229F, 0x22A0, 0x22A1, 0x22C7, 0x2216, 0x2215, 0x20E5,  // 1258
    0x2216, 0x22D4, 0x25BD, 0x25B5, 0x25BF, 0x25C3, 0x25B9, 0x25C5,  // 1266
    0x25BB, 0x2222, 0x2242, 0x22A4, 0x22D5, 0x2236, 0x2236, 0x2026,  // 1274
    0x2218, 0x2216, 0x2262, 0x2254, 0x2A6A, 0x29B5, 0x2255, 0x0000,  // 1282
};
static_assert(std::size(kOperatorChars) == 1289 - 1042 + 1);

// Arrow symbols 506-542; 543-550 are drawn as 506.
const char16_t kArrowChars[] = {
    0x2192, 0x2197, 0x2191, 0x2196, 0x2190, 0x2199, 0x2193, 0x2198, 0x27F7, 0x2922,  // 506
    0x2195, 0x2192, 0x27F9, 0x27F8, 0x21D3, 0x21D1, 0x27FA, 0x21D5, 0x21C4, 0x2942,  // 516
    0x2944, 0x21CC, 0x21CC, 0x21CC, 0x21A6, 0x21A4, 0x21B3, 0x21B2, 0x2941, 0x2940,  // 526
    0x21DD, 0x21DC, 0x21AD, 0x21AC, 0x21AB, 0x2948, 0x21AA,                          // 536
};
static_assert(std::size(kArrowChars) == 542 - 506 + 1);

// Glyph symbols 148-198 written as operators.
const char16_t kGlyphSymbols148[] = {
    0x24EA, 0x2460, 0x2461, 0x2462, 0x2463, 0x2464, 0x2465, 0x2466, 0x2467, 0x2468,  // 148
    0x2469, 0x25CA, 0x2666, 0x2A3F, 0x03F6, 0x2132, 0x2141, 0x03DC, 0x2136, 0x2137,  // 158
    0x2138, 0x226C, 0x22BA, 0x00F0, 0x22C6, 0x2605, 0x2205, 0x2300, 0x222B, 0x00B6,  // 168
    0x266D, 0x266E, 0x266F, 0x25B2, 0x25BC, 0x25B6, 0x25C0, 0x2720, 0x2663, 0x2662,  // 178
    0x2661, 0x2660, 0x221A, 0x20A3, 0x20A4, 0x20AC, 0x00AE, 0x0053, 0x25A0, 0x2201,  // 188
    0x2190,                                                                          // 198
};
static_assert(std::size(kGlyphSymbols148) == 198 - 148 + 1);

// Glyph symbols 233-301: the arrows.
const char16_t kGlyphSymbols233[] = {
    0x2190, 0x2191, 0x2192, 0x2193, 0x2194, 0x2195, 0x2196, 0x2197, 0x2198, 0x2199,  // 233
    0x21A6, 0x21A9, 0x21AA, 0x21BC, 0x21BD, 0x21C0, 0x21C1, 0x21CC, 0x21D0, 0x21D1,  // 243
    0x21D2, 0x21D3, 0x21D4, 0x21D5, 0x27F5, 0x27F6, 0x27F7, 0x27F8, 0x27F9, 0x27FA,  // 253
    0x27FC, 0x2190, 0x2192, 0x219A, 0x219B, 0x219E, 0x21A0, 0x21A2, 0x21A3, 0x21AC,  // 263
    0x21AB, 0x21AD, 0x21AE, 0x21B0, 0x21B1, 0x21B6, 0x21B7, 0x21BA, 0x21BB, 0x21BE,  // 273
    0x21BF, 0x21C2, 0x21C3, 0x21C4, 0x21C6, 0x21C7, 0x21C8, 0x21C9, 0x21CA, 0x21CB,  // 283
    0x21CC, 0x21CD, 0x21CE, 0x21CF, 0x21DA, 0x21DB, 0x21DD, 0x21E0, 0x21E2,          // 293
};
static_assert(std::size(kGlyphSymbols233) == 301 - 233 + 1);

// Styled alphabets of the glyph list: a run of glyph indices, the character
// of its first index, and the variant for plain (type 6) and bold (type 8)
// symbols.
struct AlphabetRun {
    int first;
    int last;
    char16_t firstChar;
    const char* variant;
    const char* boldVariant;
};
const AlphabetRun kAlphabets[] = {
    {2, 27, u'A', "double-struck", "double-struck"},
    {32, 57, u'A', "script", "bold-script"},
    {198, 223, u'A', "script", "bold-script"},
    {58, 83, u'A', "script", "bold-script"},
    {355, 380, u'A', "bold-script", "bold-script"},
    {84, 109, u'A', "fraktur", "bold-fraktur"},
    {110, 135, u'a', "fraktur", "bold-fraktur"},
    // The further alphabets of the glyph list, as the symbol hints name them.
    {383, 408, u'A', "sans-serif", "bold-sans-serif"},
    {409, 434, u'a', "sans-serif", "bold-sans-serif"},
    {441, 450, u'0', "double-struck", "double-struck"},
    {451, 476, u'a', "double-struck", "double-struck"},
};

// Script capitals kept apart from their alphabet: glyphs 141-147.
const char16_t kScriptExtras[] = {u'B', u'H', u'J', u'L', u'R', u'E', u'F'};

// Glyph symbols that only the MathML reader's glyph table names.
struct GlyphChar {
    int index;
    char16_t ch;
};
const GlyphChar kReaderOnlyGlyphs[] = {{231, 0x2713}};

}  // namespace

char16_t OperatorChar(int type) {
    if (type < 1042 || type > 1289) return 0;
    return kOperatorChars[type - 1042];
}

char16_t ArrowSymbolChar(int type) {
    if (type >= 506 && type <= 542) return kArrowChars[type - 506];
    if (type >= 543 && type <= 550) return kArrowChars[0];
    return 0;
}

char16_t AccentChar(int kind) {
    switch (kind) {
    case 1: return 0x02D9;
    case 2: return 0x00A8;
    case 3: return 0x20DB;
    case 5: return 0x2192;
    case 6: return 0x2190;
    case 7: return 0x20D1;
    case 8: return 0x20D0;
    case 9: return 0x20E1;
    case 12: case 19: return u'~';
    case 13: case 17: return u'^';
    case 14: case 18: return 0x02C7;
    case 15: return 0x0311;
    case 16: return 0x02D8;
    case 21: return u'`';
    case 22: return 0x00B4;
    case 23: return 0x21A0;
    case 26: return u'*';
    default: return u'-';
    }
}

char16_t WideAccentChar(int type) {
    switch (type) {
    case 208: return 0x0311;
    case 209: case 225: return u'~';
    case 210: return 0x23B4;
    case 211: case 227: return u'^';
    case 212: case 228: return 0x2192;
    case 213: case 229: return 0x20E1;
    case 214: case 230: return 0x2190;
    case 215: case 231: return 0x20D1;
    case 216: return 0x23DE;
    case 218: case 234: return 0x033F;
    case 219: return 0x23E0;
    case 224: return 0x23DD;
    case 226: return 0x23B5;
    case 232: return 0x23DF;
    case 235: return 0x23E1;
    default: return type >= 224 ? u'_' : u'-';
    }
}

char16_t DelimiterChar(int code) {
    if (code >= 33) {
        // Fixed-size delimiters: the low four bits choose the piece.
        static const char16_t pieces[] = {0, u'(', u')', u'[', u']', u'{', u'}', 0x2329, 0x232A, u'|', 0x2016};
        const int piece = code & 0x0F;
        return piece < int(std::size(pieces)) ? pieces[piece] : 0;
    }
    switch (code) {
    case 1: return u'(';
    case 2: return u'[';
    case 3: return u'{';
    case 4: return 0x2329;
    case 5: return u'|';
    case 6: return 0x2016;
    case 7: return 0x230A;
    case 8: return 0x2308;
    case 9: return 0x27E6;
    case 17: return u')';
    case 18: return u']';
    case 19: return u'}';
    case 20: return 0x232A;
    case 21: return u'|';
    case 22: return 0x2016;
    case 23: return 0x2309;
    case 24: return 0x230B;
    case 25: return 0x27E7;
    default: return 0;
    }
}

const char* EnclosureNotation(int type) {
    switch (type) {
    case 240: return "horizontalstrike";
    case 241: return "downdiagonalstrike";
    case 242: case 243: return "updiagonalstrike";
    case 246: return "madruwb";
    case 247: return "actuarial";
    case 256: return "phasorangle";
    default: return "box";
    }
}

GlyphMeaning GlyphMeaningOf(int index, int type) {
    GlyphMeaning m;
    const bool bold = type == 8;
    for (const AlphabetRun& run : kAlphabets) {
        if (index < run.first || index > run.last) continue;
        m.kind = GlyphMeaning::Letter;
        m.ch = char16_t(run.firstChar + (index - run.first));
        m.variant = bold ? run.boldVariant : run.variant;
        return m;
    }
    if (index >= 141 && index <= 147) {
        m.kind = GlyphMeaning::Letter;
        m.ch = kScriptExtras[index - 141];
        m.variant = "script";
        return m;
    }
    if (index >= 148 && index <= 198) {
        m.kind = GlyphMeaning::Symbol;
        m.ch = kGlyphSymbols148[index - 148];
        return m;
    }
    if (index >= 233 && index <= 301) {
        m.kind = GlyphMeaning::Symbol;
        m.ch = kGlyphSymbols233[index - 233];
        return m;
    }
    if (index == 302) {
        m.kind = GlyphMeaning::Empty;
        return m;
    }
    for (const GlyphChar& g : kReaderOnlyGlyphs) {
        if (g.index != index) continue;
        m.kind = GlyphMeaning::Symbol;
        m.ch = g.ch;
        return m;
    }
    return m;
}

bool BigOperatorFormOf(int type, BigOperatorForm* form) {
    using L = LimitLayout;
    // Sums and their kin: plain, limits under, limits under and over.
    struct Triple {
        int first;
        const char16_t* text;
    };
    static const Triple triples[] = {
        {306, u"\u2211"}, {309, u"\u220F"}, {312, u"\u2210"}, {315, u"\u22C2"}, {318, u"\u22C3"}, {321, u"\u22C1"},
        {324, u"\u22C0"}, {327, u"\u2A02"}, {330, u"\u2A00"}, {333, u"\u2A01"}, {800, u"\u2A06"}, {803, u"\u2A04"},
    };
    for (const Triple& t : triples) {
        if (type < t.first || type > t.first + 2) continue;
        static const L layouts[] = {L::Plain, L::Under, L::UnderOver};
        *form = {t.text, layouts[type - t.first]};
        return true;
    }
    if (type >= 848 && type <= 859) {
        static const char16_t* const side[] = {u"\u2211", u"\u220F", u"\u2210", u"\u22C2", u"\u22C3", u"\u22C1",
                                               u"\u22C0", u"\u2A06", u"\u2A04", u"\u2A02", u"\u2A00", u"\u2A01"};
        *form = {side[type - 848], L::SubSup};
        return true;
    }
    static const char16_t* const sideScripts[] = {u"\u2233", u"\u2232", u"\u222E", u"\u222C",
                                                  u"\u222F", u"\u222D", u"\u2230"};
    static const char16_t* const pairs[] = {u"\u222E", u"\u222C", u"\u222F", u"\u222D", u"\u2230"};
    static const char16_t* const stacked[] = {u"\u222B", u"\u2233", u"\u2232", u"\u222E"};
    const char16_t* const dotted = u"\u222B\u22EF\u222B";
    const char16_t* const quadruple = u"\u2A0C";
    switch (type) {
    case 274: *form = {u"\u2A1C", L::Sub}; return true;
    case 275: *form = {u"\u2A1B", L::Sub}; return true;
    case 276: case 277: case 278: *form = {dotted, L::SideByCount}; return true;
    case 286: case 287: case 301: *form = {quadruple, L::SideByCount}; return true;
    case 288: *form = {u"\u222B", L::Plain}; return true;
    case 289: *form = {u"\u222B", L::Sub}; return true;
    case 290: *form = {u"\u222B", L::SubSup}; return true;
    case 302: *form = {u"\u2232", L::Plain}; return true;
    case 303: *form = {u"\u2232", L::Sub}; return true;
    case 304: *form = {u"\u2233", L::Plain}; return true;
    case 305: *form = {u"\u2233", L::Sub}; return true;
    case 777: *form = {u"\u222C", L::Under}; return true;
    case 778: *form = {u"\u222F", L::Under}; return true;
    case 779: *form = {u"\u222C", L::UnderOver}; return true;
    case 780: *form = {u"\u222F", L::UnderOver}; return true;
    case 781: *form = {u"\u222D", L::Under}; return true;
    case 782: *form = {u"\u2230", L::Under}; return true;
    case 783: *form = {u"\u222D", L::UnderOver}; return true;
    case 784: *form = {u"\u2230", L::UnderOver}; return true;
    case 785: case 786: *form = {quadruple, L::StackByCount}; return true;
    case 787: case 788: *form = {dotted, L::StackByCount}; return true;
    // Operators drawn from their own outline: the character comes from it.
    case 860: case 861: case 862: *form = {nullptr, L::StackByCount}; return true;
    case 863: *form = {nullptr, L::SideByCount}; return true;
    default: break;
    }
    if (type >= 279 && type <= 285) {
        *form = {sideScripts[type - 279], L::SubSup};
        return true;
    }
    if (type >= 291 && type <= 300) {
        *form = {pairs[(type - 291) / 2], (type - 291) % 2 ? L::Sub : L::Plain};
        return true;
    }
    if (type >= 769 && type <= 776) {
        *form = {stacked[(type - 769) % 4], type <= 772 ? L::Under : L::UnderOver};
        return true;
    }
    return false;
}

ExtArrowForm ExtArrowFormOf(int type) {
    using P = ExtArrowForm::Place;
    // The paired arrows are drawn like the arrow symbols 524-529.
    static const char16_t pairs[] = {0x21C4, 0x2942, 0x2944, 0x21CC, 0x21CC, 0x21CC};
    switch (type) {
    case 553: return {P::Over, u'='};
    case 554: case 624: return {P::Over, 0x2192};
    case 555: case 625: return {P::Over, 0x2190};
    case 556: case 626: return {P::Over, 0x2194};
    case 563: case 627: return {P::Over, 0x21D2};
    case 632: return {P::Over, 0x21D0};
    case 633: return {P::Over, 0x21D4};
    case 642: return {P::Over, u'~'};
    case 634: return {P::Under, 0x2192};
    case 635: return {P::Under, 0x2190};
    case 636: return {P::Under, 0x2194};
    case 637: return {P::Under, 0x21D2};
    case 638: return {P::Under, 0x21D0};
    case 639: return {P::Under, 0x21D4};
    case 564: case 628: return {P::Both, 0x2192};
    case 565: case 629: return {P::Both, 0x2190};
    case 566: case 630: return {P::Both, 0x2194};
    case 573: case 631: return {P::Both, 0x21D2};
    case 574: return {P::Both, u'='};
    case 640: return {P::Both, 0x21D0};
    case 641: return {P::Both, 0x21D4};
    case 643: return {P::Both, u'~'};
    default: break;
    }
    if (type >= 557 && type <= 562) return {P::Over, pairs[type - 557]};
    if (type >= 567 && type <= 572) return {P::Both, pairs[type - 567]};
    return {};
}

}  // namespace toliva::mathml
