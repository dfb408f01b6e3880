// Element type codes and the predicates over them. Every range test of the
// system lives here.
#pragma once

#include <cstdint>

namespace toliva {

struct EqElement;

enum EqType : int32_t {
    EqTypeChainHead = 0,
    EqTypeCharUpright = 1,
    EqTypeCharItalic = 2,
    EqTypeCharBold = 3,
    EqTypeCharBoldItalic = 4,
    EqTypeCharText = 5,
    EqTypeGlyphSymbol = 6,
    EqTypeUserSymbol = 7,
    EqTypeGlyphSymbolBold = 8,
    EqTypeCharSans = 16,
    EqTypeCharMono = 17,
    EqTypeCalcResult = 64,
    EqTypeLibraryRef = 65,
    EqTypeSpaceFirst = 96,
    EqTypeSpaceCustom = 104,
    EqTypeSpaceLast = 105,
    EqTypeFraction = 128,
    EqTypeLongDivision = 131,
    EqTypeSmallFraction = 132,
    EqTypeStackFirst = 133,
    EqTypeStackLast = 134,
    EqTypeArcMark = 135,
    EqTypeSqrt = 136,
    EqTypeRoot = 137,
    EqTypePhasor = 256,
    EqTypeMatrixRow = 369,
    EqTypeMatrixColumn = 370,
    EqTypeMatrix = 371,
    EqTypeCases = 372,
    EqTypeChemForm = 608,
    EqTypeOperatorFirst = 1042,
    EqTypeOperatorLast = 1289,
    EqTypeSmall = 1536,
};

constexpr bool inRange(int32_t t, int32_t lo, int32_t hi) { return t >= lo && t <= hi; }

// Predicates on a type code.
constexpr bool IsCharType(int32_t t) { return inRange(t, 1, 5) || t == 16 || t == 17; }
constexpr bool IsStyledCharType(int32_t t) { return inRange(t, 1, 4) || t == 16 || t == 17; }
constexpr bool IsGlyphSymbolType(int32_t t) { return inRange(t, 6, 8); }
constexpr bool IsSpaceType(int32_t t) { return inRange(t, 96, 105); }
constexpr bool IsFractionType(int32_t t) { return inRange(t, 128, 132); }
constexpr bool IsStackType(int32_t t) { return t == 133 || t == 134; }
constexpr bool IsRadicalType(int32_t t) { return t == 136 || t == 137; }
constexpr bool IsScriptType(int32_t t) { return inRange(t, 173, 176) || t == 181 || t == 182; }
constexpr bool IsOverUnderType(int32_t t) { return inRange(t, 177, 180); }
constexpr bool IsPreScriptType(int32_t t) { return inRange(t, 189, 191); }
constexpr bool IsOverAccentType(int32_t t) { return inRange(t, 208, 219); }
constexpr bool IsUnderAccentType(int32_t t) { return inRange(t, 224, 235); }
constexpr bool IsEnclosureType(int32_t t) { return inRange(t, 240, 252); }
constexpr bool IsColourBoxType(int32_t t) { return inRange(t, 249, 251); }
constexpr bool IsIntegralType(int32_t t) { return inRange(t, 274, 305) || inRange(t, 769, 788); }
constexpr bool IsBigOperatorType(int32_t t) { return inRange(t, 306, 335) || inRange(t, 800, 805) || inRange(t, 848, 863); }
constexpr bool IsOwnOutlineBigOperatorType(int32_t t) { return inRange(t, 860, 863); }
constexpr bool IsBracketType(int32_t t) { return inRange(t, 336, 368); }
constexpr bool IsMatrixType(int32_t t) { return inRange(t, 369, 372); }
constexpr bool IsArrowSymbolType(int32_t t) { return inRange(t, 506, 550); }
constexpr bool IsExtArrowType(int32_t t) { return inRange(t, 553, 574) || inRange(t, 624, 643); }
constexpr bool IsExtArrowAboveType(int32_t t) { return inRange(t, 553, 563); }
constexpr bool IsExtArrowBelowType(int32_t t) { return inRange(t, 564, 574); }
constexpr bool IsExtArrowGlyphType(int32_t t) { return inRange(t, 624, 643); }
constexpr bool IsFrameMarkType(int32_t t) { return inRange(t, 590, 598); }
constexpr bool IsCompactGroupType(int32_t t) { return t == 133 || t == 134 || t == 608; }
constexpr bool IsOperatorType(int32_t t) { return inRange(t, 1042, 1289); }
constexpr bool IsRelationOperatorType(int32_t t) {
    return inRange(t, 1049, 1069) || inRange(t, 1079, 1080) || inRange(t, 1114, 1117) || inRange(t, 1132, 1142) ||
           inRange(t, 1145, 1167);
}
// Types whose stream record carries a glyph outline.
constexpr bool CarriesGlyphOutline(int32_t t) { return IsGlyphSymbolType(t) || IsOwnOutlineBigOperatorType(t); }

// Predicates on an element (false for nullptr).
bool IsCharType(const EqElement* e);
bool IsStyledCharType(const EqElement* e);
bool IsGlyphSymbolType(const EqElement* e);
bool IsGlyphSymbolOperator(const EqElement* e);  // type 6 holding glyph 233-354
bool IsOverAccentType(const EqElement* e);
bool IsUnderAccentType(const EqElement* e);
bool IsEnclosureType(const EqElement* e);
bool IsIntegralType(const EqElement* e);
bool IsBigOperatorType(const EqElement* e);
bool IsBracketType(const EqElement* e);
bool IsMatrixType(const EqElement* e);
bool IsArrowSymbolType(const EqElement* e);
bool IsExtArrowType(const EqElement* e);
bool IsExtArrowAboveType(const EqElement* e);
bool IsExtArrowBelowType(const EqElement* e);
bool IsExtArrowGlyphType(const EqElement* e);
bool IsFrameMarkType(const EqElement* e);
bool IsCompactGroupType(const EqElement* e);
bool IsOperatorType(const EqElement* e);
bool IsRelationOperator(const EqElement* e);
bool IsSpaceElement(const EqElement* e);        // a character holding U+0020, or types 96-105
bool IsDigitElement(const EqElement* e);        // a character holding '0'-'9'
bool IsNumberCharElement(const EqElement* e);   // a character holding '0'-'9' or '.'
bool IsBracketCharElement(const EqElement* e);  // a character holding ( ) [ ] { }
bool IsPunctuationChar(uint16_t code);
bool IsPunctuationElement(const EqElement* e);
bool IsCJKElement(const EqElement* e);
// Every element from e to the chain's end is a head, a digit or a punctuation
// character, and none has child chains.
bool IsNumericChain(const EqElement* e);
// Some element on the parent links above e has type 128, 129, 130 or 132.
bool HasFractionAncestor(const EqElement* e);

// The left and right delimiter codes of a bracket element.
struct BracketDelimiters {
    uint8_t left = 0;
    uint8_t right = 0;
};
BracketDelimiters GetBracketDelimiters(const EqElement* bracket);

}  // namespace toliva
