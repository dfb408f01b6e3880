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
    EqTypeSpaceFirst = 96,  // 96-103 and 105: fixed widths; 104: a width of its own
    EqTypeSpaceNegThin = 96,
    EqTypeSpaceHair = 97,
    EqTypeSpaceThin = 98,
    EqTypeSpaceMedium = 99,
    EqTypeSpaceThick = 100,
    EqTypeSpaceThird = 101,
    EqTypeSpaceQuad = 102,
    EqTypeSpaceQquad = 103,
    EqTypeSpaceCustom = 104,
    EqTypeSpaceHalf = 105,
    EqTypeSpaceLast = 105,
    EqTypeFraction = 128,
    EqTypeBevelledFraction = 129,
    EqTypeSlashFraction = 130,
    EqTypeLongDivision = 131,
    EqTypeSmallFraction = 132,
    EqTypeStackFirst = 133,
    EqTypeStackOver = 133,  // the second chain over the first
    EqTypeStackUnder = 134,  // the second chain under the first
    EqTypeStackLast = 134,
    EqTypeArcMark = 135,
    EqTypeSqrt = 136,
    EqTypeRoot = 137,
    EqTypeSuperscript = 173,
    EqTypeSubscript = 174,
    EqTypeSubSuperscript = 175,
    EqTypeBaselineScript = 176,
    EqTypeOverScript = 177,
    EqTypeOverUnderScript = 178,
    EqTypeUnderScript = 179,
    EqTypeUnderScriptClose = 180,  // an under-script drawn close to its base
    EqTypeBarScripts = 181,
    EqTypeSideScripts = 182,
    EqTypePreSuperscript = 189,
    EqTypePreSubscript = 190,
    EqTypePreScripts = 191,
    EqTypeOverAccentFirst = 208,
    EqTypeOverAccentLast = 219,
    EqTypeUnderAccentFirst = 224,
    EqTypeUnderAccentLast = 235,
    EqTypeEnclosureFirst = 240,
    EqTypeStrikeHorizontal = 240,
    EqTypeStrikeDown = 241,  // top left to bottom right
    EqTypeStrikeUp = 242,    // bottom left to top right
    EqTypeStrikeCross = 243,
    EqTypeCornerTopLeft = 244,
    EqTypeCornerBottomLeft = 245,
    EqTypeCornerBottomRight = 246,
    EqTypeCornerTopRight = 247,
    EqTypeBox = 248,
    EqTypeColourBoxFirst = 249,
    EqTypeColourBox = 249,
    EqTypeHatchForward = 250,
    EqTypeHatchBackward = 251,
    EqTypeColourBoxLast = 251,
    EqTypeStrikeDouble = 252,
    EqTypeEnclosureLast = 252,
    EqTypePhasor = 256,
    EqTypeIntegralFirst = 274,
    EqTypeIntegralBarBelow = 274,  // a bar at the foot of the sign
    EqTypeIntegralBarAbove = 275,  // a bar over the top of the sign
    EqTypeIntegralLast = 305,
    EqTypeBigOperatorFirst = 306,
    EqTypeBigOperatorLast = 335,
    EqTypeBracketFirst = 336,
    EqTypeBracketLast = 368,
    EqTypeMatrixRow = 369,
    EqTypeMatrixColumn = 370,
    EqTypeMatrix = 371,
    EqTypeCases = 372,
    EqTypeArrowSymbolFirst = 506,
    EqTypeBoxedArrowFirst = 546,  // small arrows in a box
    EqTypeArrowSymbolLast = 550,
    EqTypeBoxedArrowLast = 550,
    EqTypeExtArrowAboveFirst = 553,
    EqTypeExtArrowEquals = 553,
    EqTypeExtArrowPlain = 554,
    EqTypeExtArrowPairFirst = 557,  // two arrows, one over the other
    EqTypeExtArrowPairLast = 559,
    EqTypeExtArrowHarpoonsFirst = 560,  // two harpoons, barbs outwards
    EqTypeExtArrowHarpoonsLast = 562,
    EqTypeExtArrowDoubleLine = 563,
    EqTypeExtArrowAboveLast = 563,
    EqTypeExtArrowBelowFirst = 564,  // 564-574: the shapes of 553-563 with a text under too
    EqTypeExtArrowBelowPlain = 564,
    EqTypeExtArrowBelowEquals = 574,
    EqTypeExtArrowBelowLast = 574,
    EqTypeFrameMarkFirst = 590,
    EqTypeArcArrowOverRight = 590,
    EqTypeArcArrowUnderRight = 591,
    EqTypeArcArrowOverLeft = 592,
    EqTypeArcArrowUnderLeft = 593,
    EqTypeSquareArrowRisingRight = 594,
    EqTypeSquareArrowFallingRight = 595,
    EqTypeSquareArrowRisingLeft = 596,
    EqTypeSquareArrowFallingLeft = 597,
    EqTypeFrameCircle = 598,
    EqTypeFrameMarkLast = 598,
    EqTypeChemForm = 608,
    EqTypeExtArrowGlyphFirst = 624,
    EqTypeExtArrowGlyphUnderFirst = 634,  // with one chain, its text goes under
    EqTypeExtArrowGlyphUnderLast = 639,
    EqTypeExtArrowGlyphLast = 643,
    EqTypeIntegral2First = 769,  // the second block of integrals
    EqTypeIntegral2Last = 788,
    EqTypeBigOperator2First = 800,  // the second block of big operators
    EqTypeBigOperator2Last = 805,
    EqTypeBigOperator3First = 848,  // the third block; 860-863 carry their own outline
    EqTypeOwnOutlineBigOperatorFirst = 860,
    EqTypeBigOperator3Last = 863,
    EqTypeOperatorFirst = 1042,
    EqTypeOperatorLast = 1289,
    EqTypeSmall = 1536,
};

constexpr bool inRange(int32_t t, int32_t lo, int32_t hi) { return t >= lo && t <= hi; }

// Predicates on a type code.
constexpr bool IsCharType(int32_t t) {
    return inRange(t, EqTypeCharUpright, EqTypeCharText) || t == EqTypeCharSans || t == EqTypeCharMono;
}
constexpr bool IsStyledCharType(int32_t t) {
    return inRange(t, EqTypeCharUpright, EqTypeCharBoldItalic) || t == EqTypeCharSans || t == EqTypeCharMono;
}
constexpr bool IsGlyphSymbolType(int32_t t) { return inRange(t, EqTypeGlyphSymbol, EqTypeGlyphSymbolBold); }
constexpr bool IsSpaceType(int32_t t) { return inRange(t, EqTypeSpaceFirst, EqTypeSpaceLast); }
constexpr bool IsFractionType(int32_t t) { return inRange(t, EqTypeFraction, EqTypeSmallFraction); }
constexpr bool IsStackType(int32_t t) { return inRange(t, EqTypeStackFirst, EqTypeStackLast); }
constexpr bool IsRadicalType(int32_t t) { return t == EqTypeSqrt || t == EqTypeRoot; }
constexpr bool IsScriptType(int32_t t) {
    return inRange(t, EqTypeSuperscript, EqTypeBaselineScript) || t == EqTypeBarScripts || t == EqTypeSideScripts;
}
constexpr bool IsOverUnderType(int32_t t) { return inRange(t, EqTypeOverScript, EqTypeUnderScriptClose); }
constexpr bool IsPreScriptType(int32_t t) { return inRange(t, EqTypePreSuperscript, EqTypePreScripts); }
constexpr bool IsOverAccentType(int32_t t) { return inRange(t, EqTypeOverAccentFirst, EqTypeOverAccentLast); }
constexpr bool IsUnderAccentType(int32_t t) { return inRange(t, EqTypeUnderAccentFirst, EqTypeUnderAccentLast); }
constexpr bool IsEnclosureType(int32_t t) { return inRange(t, EqTypeEnclosureFirst, EqTypeEnclosureLast); }
constexpr bool IsColourBoxType(int32_t t) { return inRange(t, EqTypeColourBoxFirst, EqTypeColourBoxLast); }
constexpr bool IsIntegralType(int32_t t) {
    return inRange(t, EqTypeIntegralFirst, EqTypeIntegralLast) || inRange(t, EqTypeIntegral2First, EqTypeIntegral2Last);
}
constexpr bool IsBigOperatorType(int32_t t) {
    return inRange(t, EqTypeBigOperatorFirst, EqTypeBigOperatorLast) ||
           inRange(t, EqTypeBigOperator2First, EqTypeBigOperator2Last) ||
           inRange(t, EqTypeBigOperator3First, EqTypeBigOperator3Last);
}
constexpr bool IsOwnOutlineBigOperatorType(int32_t t) { return inRange(t, EqTypeOwnOutlineBigOperatorFirst, EqTypeBigOperator3Last); }
constexpr bool IsBracketType(int32_t t) { return inRange(t, EqTypeBracketFirst, EqTypeBracketLast); }
constexpr bool IsMatrixType(int32_t t) { return inRange(t, EqTypeMatrixRow, EqTypeCases); }
constexpr bool IsArrowSymbolType(int32_t t) { return inRange(t, EqTypeArrowSymbolFirst, EqTypeArrowSymbolLast); }
constexpr bool IsBoxedArrowType(int32_t t) { return inRange(t, EqTypeBoxedArrowFirst, EqTypeBoxedArrowLast); }
constexpr bool IsExtArrowType(int32_t t) {
    return inRange(t, EqTypeExtArrowAboveFirst, EqTypeExtArrowBelowLast) ||
           inRange(t, EqTypeExtArrowGlyphFirst, EqTypeExtArrowGlyphLast);
}
constexpr bool IsExtArrowAboveType(int32_t t) { return inRange(t, EqTypeExtArrowAboveFirst, EqTypeExtArrowAboveLast); }
constexpr bool IsExtArrowBelowType(int32_t t) { return inRange(t, EqTypeExtArrowBelowFirst, EqTypeExtArrowBelowLast); }
constexpr bool IsExtArrowGlyphType(int32_t t) { return inRange(t, EqTypeExtArrowGlyphFirst, EqTypeExtArrowGlyphLast); }
// The code above the arrow whose shape an extensible arrow draws: 564-574
// draw the shapes of 553-563, except that 574 is the equals form and 564 the
// plain arrow.
constexpr int32_t ExtArrowShapeType(int32_t t) {
    if (!IsExtArrowBelowType(t)) return t;
    if (t == EqTypeExtArrowBelowEquals) return EqTypeExtArrowEquals;
    if (t == EqTypeExtArrowBelowPlain) return EqTypeExtArrowPlain;
    return t - 10;
}
constexpr bool IsFrameMarkType(int32_t t) { return inRange(t, EqTypeFrameMarkFirst, EqTypeFrameMarkLast); }
constexpr bool IsCompactGroupType(int32_t t) { return IsStackType(t) || t == EqTypeChemForm; }
constexpr bool IsOperatorType(int32_t t) { return inRange(t, EqTypeOperatorFirst, EqTypeOperatorLast); }
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
