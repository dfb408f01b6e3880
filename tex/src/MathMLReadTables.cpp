#include "MathMLReadTables.h"

#include "model/EqTypes.h"

#include <algorithm>
#include <iterator>

namespace toliva::mathmlread {
namespace {

struct CharCode {
    char16_t ch;
    int code;
};

// Sorted by character.
const CharCode kOperators[] = {
    {0x002B, 1042}, {0x002D, 1043}, {0x003C, 1060}, {0x003D, 1049}, {0x003E, 1061}, {0x007E, 1052},
    {0x00AC, 1089}, {0x00B1, 1046}, {0x00D7, 1045}, {0x00F7, 1048}, {0x2016, 1180}, {0x2026, 1106},
    {0x2061, 97}, {0x2062, 97}, {0x20E5, 1265}, {0x20EB, 1095}, {0x2200, 1081}, {0x2203, 1085},
    {0x2204, 1183}, {0x2208, 1082}, {0x2209, 1083}, {0x220B, 1084}, {0x2212, 1043}, {0x2213, 1047},
    {0x2214, 1247}, {0x2215, 1264}, {0x2216, 1263}, {0x2217, 1245}, {0x2218, 1282}, {0x2219, 1239},
    {0x221D, 1059}, {0x2220, 1096}, {0x2221, 1097}, {0x2222, 1275}, {0x2223, 1123}, {0x2224, 1204},
    {0x2225, 1124}, {0x2226, 1205}, {0x2227, 1092}, {0x2228, 1093}, {0x2229, 1075}, {0x222A, 1077},
    {0x2234, 1091}, {0x2235, 1090}, {0x2236, 1280}, {0x223C, 1157}, {0x223D, 1156}, {0x2240, 1246},
    {0x2241, 1218}, {0x2242, 1276}, {0x2243, 1050}, {0x2245, 1051}, {0x2247, 1217}, {0x2248, 1053},
    {0x2249, 1219}, {0x224A, 1140}, {0x224C, 1105}, {0x224D, 1127}, {0x224E, 1182}, {0x224F, 1181},
    {0x2250, 1054}, {0x2251, 1151}, {0x2252, 1155}, {0x2253, 1154}, {0x2254, 1285}, {0x2255, 1288},
    {0x2256, 1152}, {0x2257, 1153}, {0x2259, 1056}, {0x225C, 1057}, {0x2260, 1058}, {0x2261, 1055},
    {0x2262, 1284}, {0x2264, 1114}, {0x2265, 1115}, {0x2266, 1132}, {0x2267, 1133}, {0x2268, 1209},
    {0x2269, 1210}, {0x226A, 1064}, {0x226B, 1065}, {0x226E, 1184}, {0x226F, 1185}, {0x2270, 1186},
    {0x2271, 1187}, {0x2272, 1136}, {0x2273, 1137}, {0x2276, 1145}, {0x2277, 1146}, {0x227A, 1066},
    {0x227B, 1067}, {0x227C, 1160}, {0x227D, 1161}, {0x227E, 1164}, {0x227F, 1165}, {0x2280, 1188},
    {0x2281, 1189}, {0x2282, 1074}, {0x2283, 1076}, {0x2284, 1078}, {0x2286, 1079}, {0x2287, 1080},
    {0x2288, 1192}, {0x2289, 1193}, {0x228A, 1194}, {0x228B, 1195}, {0x228E, 1088}, {0x228F, 1128},
    {0x2290, 1129}, {0x2291, 1118}, {0x2292, 1119}, {0x2293, 1240}, {0x2294, 1241}, {0x2295, 1070},
    {0x2296, 1111}, {0x2297, 1071}, {0x2298, 1113}, {0x2299, 1072}, {0x229A, 1112}, {0x229B, 1110},
    {0x229D, 1252}, {0x229E, 1258}, {0x229F, 1259}, {0x22A0, 1260}, {0x22A1, 1261}, {0x22A2, 1125},
    {0x22A3, 1126}, {0x22A4, 1277}, {0x22A5, 1094}, {0x22A7, 1174}, {0x22A8, 1122}, {0x22A9, 1175},
    {0x22AA, 1176}, {0x22AC, 1206}, {0x22AD, 1234}, {0x22AE, 1235}, {0x22AF, 1236}, {0x22B2, 1068},
    {0x22B3, 1069}, {0x22B4, 1172}, {0x22B5, 1173}, {0x22BB, 1254}, {0x22BC, 1253}, {0x22C4, 1244},
    {0x22C5, 1044}, {0x22C7, 1262}, {0x22C8, 1131}, {0x22C9, 1248}, {0x22CA, 1249}, {0x22CB, 1250},
    {0x22CC, 1251}, {0x22CD, 1158}, {0x22CE, 1257}, {0x22CF, 1256}, {0x22D0, 1170}, {0x22D1, 1171},
    {0x22D2, 1087}, {0x22D3, 1086}, {0x22D4, 1267}, {0x22D5, 1278}, {0x22D6, 1141}, {0x22D7, 1142},
    {0x22D8, 1143}, {0x22D9, 1144}, {0x22DA, 1147}, {0x22DB, 1148}, {0x22DE, 1162}, {0x22DF, 1163},
    {0x22E0, 1202}, {0x22E1, 1203}, {0x22E6, 1213}, {0x22E7, 1214}, {0x22E8, 1220}, {0x22E9, 1221},
    {0x22EA, 1190}, {0x22EB, 1191}, {0x22EC, 1232}, {0x22ED, 1233}, {0x22EE, 1107}, {0x22EF, 1106},
    {0x22F0, 1109}, {0x22F1, 1108}, {0x2300, 1073}, {0x2306, 1255}, {0x2322, 1120}, {0x2323, 1121},
    {0x23D0, 1179}, {0x25A1, 1099}, {0x25AD, 1100}, {0x25B1, 1098}, {0x25B3, 1102}, {0x25B5, 1269},
    {0x25B9, 1272}, {0x25BB, 1274}, {0x25BD, 1268}, {0x25BF, 1270}, {0x25C3, 1271}, {0x25C5, 1273},
    {0x25C7, 1103}, {0x25CB, 1101}, {0x25E0, 1177}, {0x25E1, 1178}, {0x25E6, 1242}, {0x25EF, 1243},
    {0x29B5, 1287}, {0x2A1D, 1130}, {0x2A6A, 1286}, {0x2A7D, 1062}, {0x2A7E, 1063}, {0x2A85, 1138},
    {0x2A86, 1139}, {0x2A87, 1200}, {0x2A88, 1201}, {0x2A8B, 1149}, {0x2A8C, 1150}, {0x2A95, 1134},
    {0x2A96, 1135}, {0x2AAF, 1116}, {0x2AB0, 1117}, {0x2AB5, 1224}, {0x2AB6, 1225}, {0x2AB7, 1166},
    {0x2AB8, 1167}, {0x2AB9, 1222}, {0x2ABA, 1223}, {0x2AC5, 1168}, {0x2AC6, 1169}, {0x2ACB, 1228},
    {0x2ACC, 1229},
};

// Sorted by character. U+2300 is an operator and never reaches this table.
const CharCode kGlyphs[] = {
    {0x00AE, 194}, {0x00B6, 177}, {0x03DC, 165}, {0x03F6, 162}, {0x20A3, 191}, {0x20A4, 192}, {0x20AC, 193}, {0x2130, 146},
    {0x2131, 147}, {0x2132, 163}, {0x2136, 166}, {0x2137, 167}, {0x2138, 168}, {0x2141, 164}, {0x2190, 233}, {0x2191, 234},
    {0x2192, 235}, {0x2193, 236}, {0x2194, 237}, {0x2195, 238}, {0x2196, 239}, {0x2197, 240}, {0x2198, 241}, {0x2199, 242},
    {0x219A, 266}, {0x219B, 267}, {0x219E, 268}, {0x21A0, 269}, {0x21A2, 270}, {0x21A3, 271}, {0x21A6, 243}, {0x21A9, 244},
    {0x21AA, 245}, {0x21AB, 273}, {0x21AC, 272}, {0x21AD, 274}, {0x21AE, 275}, {0x21B0, 276}, {0x21B1, 277}, {0x21B6, 278},
    {0x21B7, 279}, {0x21BA, 280}, {0x21BB, 281}, {0x21BC, 246}, {0x21BD, 247}, {0x21BE, 282}, {0x21BF, 283}, {0x21C0, 248},
    {0x21C1, 249}, {0x21C2, 284}, {0x21C3, 285}, {0x21C4, 286}, {0x21C6, 287}, {0x21C7, 288}, {0x21C8, 289}, {0x21C9, 290},
    {0x21CA, 291}, {0x21CB, 292}, {0x21CC, 250}, {0x21CD, 294}, {0x21CE, 295}, {0x21CF, 296}, {0x21D0, 251}, {0x21D1, 252},
    {0x21D2, 253}, {0x21D3, 254}, {0x21D4, 255}, {0x21D5, 256}, {0x21DA, 297}, {0x21DB, 298}, {0x21DD, 299}, {0x21E0, 300},
    {0x21E2, 301}, {0x2201, 197}, {0x2205, 174}, {0x221A, 190}, {0x222B, 176}, {0x226C, 169}, {0x22BA, 170}, {0x22C6, 172},
    {0x2460, 149}, {0x2461, 150}, {0x2462, 151}, {0x2463, 152}, {0x2464, 153}, {0x2465, 154}, {0x2466, 155}, {0x2467, 156},
    {0x2468, 157}, {0x2469, 158}, {0x24EA, 148}, {0x25A0, 196}, {0x25B2, 181}, {0x25B6, 183}, {0x25BC, 182}, {0x25C0, 184},
    {0x25CA, 159}, {0x2660, 189}, {0x2661, 188}, {0x2662, 187}, {0x2663, 186}, {0x2666, 160}, {0x266D, 178}, {0x266E, 179},
    {0x266F, 180}, {0x2713, 231}, {0x2720, 185}, {0x27F5, 257}, {0x27F6, 258}, {0x27F7, 259}, {0x27F8, 260}, {0x27F9, 261},
    {0x27FA, 262}, {0x27FC, 263}, {0x2A3F, 161},
};

int lookup(const CharCode* begin, const CharCode* end, char16_t c) {
    const CharCode* it = std::lower_bound(begin, end, c, [](const CharCode& e, char16_t v) { return e.ch < v; });
    return it != end && it->ch == c ? it->code : 0;
}

}  // namespace

int OperatorTypeOf(char16_t c) { return lookup(std::begin(kOperators), std::end(kOperators), c); }

int GlyphIndexOf(char16_t c) { return lookup(std::begin(kGlyphs), std::end(kGlyphs), c); }

char16_t LookAlike(char16_t c) {
    switch (c) {
    case 0x0391: return u'A';
    case 0x0392: return u'B';
    case 0x0395: return u'E';
    case 0x0396: return u'Z';
    case 0x0397: return u'H';
    case 0x0399: return u'I';
    case 0x039A: return u'K';
    case 0x039C: return u'M';
    case 0x039D: return u'N';
    case 0x039F: return u'O';
    case 0x03A1: return u'P';
    case 0x03A4: return u'T';
    case 0x03A7: return u'X';
    case 0x03A5: return 0x03D2;
    case 0x210F: return 0x0127;
    case 0x2127: return 0x01B1;
    case 0x2146: return u'd';
    case 0x2147: return u'e';
    case 0x2148: return u'i';
    case 0x2149: return u'j';
    case 0x2206: return 0x0394;
    case 0x2211: return 0x03A3;
    default: return c;
    }
}

bool BigOperatorOf(std::u16string_view text, int limits, bool stacked, BigOperator* out) {
    if (text.empty()) return false;
    int n = std::clamp(limits, 0, 2);
    int type = 0;
    // Integrals: the type with both limits, else the base type + limits.
    auto integral = [&](int both, int base) { type = n == 2 ? both : base + n; };
    // The dotted and the quadruple integral: none, one and two limits at the
    // side, and above and below.
    auto multiple = [&](int none, int one, int two, int oneStacked, int twoStacked) {
        type = n == 0 ? none : stacked ? (n == 1 ? oneStacked : twoStacked) : (n == 1 ? one : two);
    };
    if (text.substr(0, 3) == std::u16string_view(u"\u222B\u22EF\u222B")) {
        multiple(276, 277, 278, 787, 788);
        out->type = type;
        out->limits = n;
        return true;
    }
    switch (text[0]) {
    case 0x2A0C: multiple(286, 301, 287, 785, 786); break;
    case 0x2211: type = 306 + n; break;
    case 0x220F: type = 309 + n; break;
    case 0x2210: type = 312 + n; break;
    case 0x22C2: type = 315 + n; break;
    case 0x22C3: type = 318 + n; break;
    case 0x22C1: type = 321 + n; break;
    case 0x22C0: type = 324 + n; break;
    case 0x2A02: type = 327 + n; break;
    case 0x2A00: type = 330 + n; break;
    case 0x2A01: type = 333 + n; break;
    case 0x2A06: type = 800 + n; break;
    case 0x2A04: type = 803 + n; break;
    case 0x222B: integral(290, 288); break;
    case 0x222C: integral(282, 293); break;
    case 0x222D: integral(284, 297); break;
    case 0x222E: integral(281, 291); break;
    case 0x222F: integral(283, 295); break;
    case 0x2230: integral(285, 299); break;
    case 0x2232: integral(280, 302); break;
    case 0x2233: integral(279, 304); break;
    case 0x2A1B: type = 275; n = 1; break;
    case 0x2A1C: type = 274; n = 1; break;
    default: return false;
    }
    if (stacked) {
        // Integrals with their limits above and below.
        static const CharCode kStacked[] = {
            {279, 774}, {280, 775}, {281, 776}, {282, 779}, {283, 780}, {284, 783}, {285, 784}, {287, 786}, {289, 769},
            {290, 773}, {292, 772}, {294, 777}, {296, 778}, {298, 781}, {300, 782}, {301, 785}, {303, 771}, {305, 770},
        };
        for (const CharCode& r : kStacked)
            if (r.ch == type) type = r.code;
    } else {
        // Sums and their kin with side limits: always two limit chains.
        static const CharCode kSide[] = {
            {307, 848}, {308, 848}, {310, 849}, {311, 849}, {313, 850}, {314, 850}, {316, 851}, {317, 851},
            {319, 852}, {320, 852}, {322, 853}, {323, 853}, {325, 854}, {326, 854}, {328, 857}, {329, 857},
            {331, 858}, {332, 858}, {334, 859}, {335, 859}, {801, 855}, {802, 855}, {804, 856}, {805, 856},
        };
        for (const CharCode& r : kSide) {
            if (r.ch != type) continue;
            type = r.code;
            n = 2;
            break;
        }
    }
    out->type = type;
    out->limits = n;
    return true;
}

int AccentMarkOf(char16_t c, bool* twice) {
    *twice = false;
    switch (c) {
    case u'*': return 26;
    case u'-': case 0x00AF: return 11;
    case 0x033F: *twice = true; return 11;
    case u'^': return 13;
    case u'`': return 21;
    case u'~': return 12;
    case 0x00A8: return 2;
    case 0x00B4: return 22;
    case 0x02C7: return 14;
    case 0x02D8: case 0x0306: return 16;
    case 0x02D9: return 1;
    case 0x0311: case 0x23DC: return 15;
    case 0x20D0: return 8;
    case 0x20D1: return 7;
    case 0x20DB: return 3;
    case 0x20E1: return 9;
    case 0x2190: return 6;
    case 0x2192: return 5;
    case 0x21A0: return 23;
    default: return 0;
    }
}

int WideAccentOf(char16_t c) {
    switch (c) {
    case u'-': case u'_': case 0x00AF: return 217;
    case u'^': return 211;
    case u'~': return 209;
    case 0x0311: return 208;
    case 0x033F: return 218;
    case 0x20D1: return 215;
    case 0x20E1: return 213;
    case 0x2190: return 214;
    case 0x2192: return 212;
    case 0x23B4: case 0x23B5: return 210;
    case 0x23DC: case 0x23DD: return 208;
    case 0x23DE: case 0x23DF: return 216;
    case 0x23E0: case 0x23E1: return 219;
    default: return 0;
    }
}

int EnclosureTypeOf(QStringView notation) {
    static const struct {
        const char16_t* name;
        int type;
    } kNotations[] = {
        {u"horizontalstrike", 240}, {u"downdiagonalstrike", 241}, {u"updiagonalstrike", 242},
        {u"updiagonalarrow", 242},  {u"circle", 598},             {u"madruwb", 246},
        {u"phasorangle", 256},      {u"actuarial", 247},          {u"top", 217},
        {u"bottom", 233},           {u"radical", 136},
    };
    for (const auto& n : kNotations)
        if (notation == QStringView(n.name)) return n.type;
    return 248;
}

int SpaceUnitOf(QStringView unit) {
    static const char16_t* const kUnits[] = {u"em", u"mu", u"ex", u"pc", u"pt", u"px", u"in", u"mm", u"cm", u"%"};
    for (int i = 0; i < int(std::size(kUnits)); ++i)
        if (unit == QStringView(kUnits[i])) return i;
    return -1;
}

int AlphabetGlyph(Alphabet alphabet, char16_t c) {
    // Symbols of their own in every alphabet.
    switch (c) {
    case 0x03DC: return 165;
    case 0x2107: return 146;
    case 0x2132: return 163;
    case 0x2136: return 166;
    case 0x2137: return 167;
    case 0x2138: return 168;
    case 0x2141: return 164;
    case 0x2201: return 197;
    default: break;
    }
    const bool upper = c >= u'A' && c <= u'Z';
    const bool lower = c >= u'a' && c <= u'z';
    const bool digit = c >= u'0' && c <= u'9';
    switch (alphabet) {
    case Alphabet::Script:
        return upper ? c - 7 : 0;
    case Alphabet::BoldScript:
        return upper ? c + 290 : 0;
    case Alphabet::Fraktur:
        return upper ? c + 19 : lower ? c + 13 : 0;
    case Alphabet::DoubleStruck:
        return upper ? c - 63 : lower ? c + 354 : digit ? c + 393 : 0;
    case Alphabet::SansSerif:
        return upper ? c + 318 : lower ? c + 312 : 0;
    case Alphabet::None:
        break;
    }
    return 0;
}

StyledElement AlphabetElement(int type, Alphabet alphabet, char16_t c) {
    // Letter-like symbols of their own; alphabets without small letters
    // take the script l.
    if (c == u'l' && (alphabet == Alphabet::Script || alphabet == Alphabet::BoldScript))
        return {EqTypeCharUpright, 0x2113};
    if (c == 0x2127 || c == 0x01B1) return {EqTypeCharUpright, 0x01B1};
    if (c == 0x2118 || c == 0x2135) return {EqTypeCharUpright, c};
    if (const int glyph = AlphabetGlyph(alphabet, c)) return {type, char16_t(glyph)};
    return {};
}

namespace {

// The styles of the block, in its order: 52 Latin letters each (capitals,
// then small letters) from U+1D400, 58 Greek ones each from U+1D6A8, ten
// digits each from U+1D7CE. Each becomes what the LaTeX style command of
// its face reads as (\mathbf, \mathcal, \mathfrak, \mathbb, \mathsf,
// \mathtt and their bold forms), so that what is written reads back alike;
// sans-serif bold keeps the bold, which the model has no sans form of.
struct BlockStyle {
    int type;
    Alphabet alphabet;
};
constexpr BlockStyle kLatinStyles[] = {
    {EqTypeCharBold, Alphabet::None},                 // bold
    {EqTypeCharItalic, Alphabet::None},               // italic
    {EqTypeCharBoldItalic, Alphabet::None},           // bold italic
    {EqTypeGlyphSymbol, Alphabet::Script},            // script
    {EqTypeGlyphSymbolBold, Alphabet::Script},        // bold script
    {EqTypeGlyphSymbol, Alphabet::Fraktur},           // fraktur
    {EqTypeGlyphSymbol, Alphabet::DoubleStruck},      // double-struck
    {EqTypeGlyphSymbolBold, Alphabet::Fraktur},       // bold fraktur
    {EqTypeCharSans, Alphabet::None},                 // sans-serif
    {EqTypeCharBold, Alphabet::None},                 // sans-serif bold
    {EqTypeCharSans, Alphabet::None},                 // sans-serif italic
    {EqTypeCharBoldItalic, Alphabet::None},           // sans-serif bold italic
    {EqTypeCharMono, Alphabet::None},                 // monospace
};
constexpr BlockStyle kGreekStyles[] = {
    {EqTypeCharBold, Alphabet::None},        // bold
    {EqTypeCharItalic, Alphabet::None},      // italic
    {EqTypeCharBoldItalic, Alphabet::None},  // bold italic
    {EqTypeCharBold, Alphabet::None},        // sans-serif bold
    {EqTypeCharBoldItalic, Alphabet::None},  // sans-serif bold italic
};
constexpr BlockStyle kDigitStyles[] = {
    {EqTypeCharBold, Alphabet::None},             // bold
    {EqTypeGlyphSymbol, Alphabet::DoubleStruck},  // double-struck
    {EqTypeCharSans, Alphabet::None},             // sans-serif
    {EqTypeCharBold, Alphabet::None},             // sans-serif bold
    {EqTypeCharMono, Alphabet::None},             // monospace
};
// The 58 Greek places of one style.
constexpr char16_t kGreekTail[] = {0x2202, 0x03F5, 0x03D1, 0x03F0, 0x03D5, 0x03F1, 0x03D6};

char16_t greekAt(int i) {
    if (i < 25) return i == 17 ? char16_t(0x03F4) : char16_t(0x0391 + i);
    if (i == 25) return 0x2207;
    if (i < 51) return char16_t(0x03B1 + i - 26);
    return kGreekTail[i - 51];
}

}  // namespace

bool MathAlphanumericOf(char32_t code, StyledCode* out) {
    if (code >= 0x1D400 && code < 0x1D400 + 52 * std::size(kLatinStyles)) {
        const int i = int(code - 0x1D400);
        const BlockStyle& s = kLatinStyles[i / 52];
        const int k = i % 52;
        *out = {s.type, s.alphabet, char16_t(k < 26 ? u'A' + k : u'a' + k - 26)};
        return true;
    }
    if (code == 0x1D6A4 || code == 0x1D6A5) {  // dotless i and j
        *out = {EqTypeCharItalic, Alphabet::None, code == 0x1D6A4 ? char16_t(0x0131) : char16_t(0x0237)};
        return true;
    }
    if (code >= 0x1D6A8 && code < 0x1D6A8 + 58 * std::size(kGreekStyles)) {
        const int i = int(code - 0x1D6A8);
        const BlockStyle& s = kGreekStyles[i / 58];
        *out = {s.type, s.alphabet, greekAt(i % 58)};
        return true;
    }
    if (code >= 0x1D7CE && code < 0x1D7CE + 10 * std::size(kDigitStyles)) {
        const int i = int(code - 0x1D7CE);
        const BlockStyle& s = kDigitStyles[i / 10];
        *out = {s.type, s.alphabet, char16_t(u'0' + i % 10)};
        return true;
    }
    return false;
}

bool MathAlphanumericElement(char32_t code, StyledElement* out) {
    StyledCode styled;
    if (!MathAlphanumericOf(code, &styled)) return false;
    const char16_t c = styled.base;
    if (styled.alphabet == Alphabet::None) {
        *out = {styled.type, c};
        return true;
    }
    *out = AlphabetElement(styled.type, styled.alphabet, c);
    if (out->type) return true;
    // Not in the alphabet (digits of most, small letters of the script
    // ones): the character in a matching style.
    const bool bold = styled.type == EqTypeGlyphSymbolBold;
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    if (letter)
        *out = {bold ? EqTypeCharBoldItalic : EqTypeCharItalic, c};
    else
        *out = {bold ? EqTypeCharBold : EqTypeCharUpright, c};
    return true;
}

}  // namespace toliva::mathmlread
