// The one routing of element type codes: which family each code belongs to.
// The layout dispatcher (EqLayout.cpp) maps a family to its measurer, the
// draw dispatcher (EqDraw.cpp) to its drawer and the shape-object factory
// (ShapeObject.cpp) to its shape class; none of them tests code ranges of
// its own.
#pragma once

#include "EqTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace toliva {

enum class EqFamily : uint8_t {
    Char,  // characters, and every code that has no row of its own
    GlyphSymbol,
    CalcResult,
    Space,
    Fraction,
    BevelledFraction,
    SlashFraction,
    LongDivision,
    SmallFraction,
    Stack,
    ArcMark,
    Radical,
    Superscript,
    Subscript,
    SubSuperscript,
    BaselineScript,
    OverScript,
    OverUnderScript,
    UnderScript,
    BarScripts,
    SideScripts,
    PreSuperscript,
    PreSubscript,
    PreScripts,
    OverAccent,
    UnderAccent,
    Enclosure,
    Phasor,
    Integral,
    BigOperator,
    Bracket,
    Matrix,
    ArrowSymbol,
    ExtArrow,       // text over or under a drawn arrow
    ExtArrowGlyph,  // the arrow is the element's own outline
    FrameMark,
    ChemForm,
    Operator,
    SmallGroup,
};

// One row: the codes lo to hi (inclusive) belong to the family.
struct EqTypeRoute {
    int32_t lo;
    int32_t hi;
    EqFamily family;
};

// The rows in ascending code order. Rows do not overlap, so the first row
// that holds a code is its only one; a code in no row is a character.
inline constexpr EqTypeRoute kEqTypeRoutes[] = {
    {EqTypeCharUpright, EqTypeCharText, EqFamily::Char},
    {EqTypeGlyphSymbol, EqTypeGlyphSymbolBold, EqFamily::GlyphSymbol},
    {EqTypeCharSans, EqTypeCharMono, EqFamily::Char},
    {EqTypeCalcResult, EqTypeCalcResult, EqFamily::CalcResult},
    {EqTypeSpaceFirst, EqTypeSpaceLast, EqFamily::Space},
    {EqTypeFraction, EqTypeFraction, EqFamily::Fraction},
    {EqTypeBevelledFraction, EqTypeBevelledFraction, EqFamily::BevelledFraction},
    {EqTypeSlashFraction, EqTypeSlashFraction, EqFamily::SlashFraction},
    {EqTypeLongDivision, EqTypeLongDivision, EqFamily::LongDivision},
    {EqTypeSmallFraction, EqTypeSmallFraction, EqFamily::SmallFraction},
    {EqTypeStackFirst, EqTypeStackLast, EqFamily::Stack},
    {EqTypeArcMark, EqTypeArcMark, EqFamily::ArcMark},
    {EqTypeSqrt, EqTypeRoot, EqFamily::Radical},
    {EqTypeSuperscript, EqTypeSuperscript, EqFamily::Superscript},
    {EqTypeSubscript, EqTypeSubscript, EqFamily::Subscript},
    {EqTypeSubSuperscript, EqTypeSubSuperscript, EqFamily::SubSuperscript},
    {EqTypeBaselineScript, EqTypeBaselineScript, EqFamily::BaselineScript},
    {EqTypeOverScript, EqTypeOverScript, EqFamily::OverScript},
    {EqTypeOverUnderScript, EqTypeOverUnderScript, EqFamily::OverUnderScript},
    {EqTypeUnderScript, EqTypeUnderScriptClose, EqFamily::UnderScript},
    {EqTypeBarScripts, EqTypeBarScripts, EqFamily::BarScripts},
    {EqTypeSideScripts, EqTypeSideScripts, EqFamily::SideScripts},
    {EqTypePreSuperscript, EqTypePreSuperscript, EqFamily::PreSuperscript},
    {EqTypePreSubscript, EqTypePreSubscript, EqFamily::PreSubscript},
    {EqTypePreScripts, EqTypePreScripts, EqFamily::PreScripts},
    {EqTypeOverAccentFirst, EqTypeOverAccentLast, EqFamily::OverAccent},
    {EqTypeUnderAccentFirst, EqTypeUnderAccentLast, EqFamily::UnderAccent},
    {EqTypeEnclosureFirst, EqTypeEnclosureLast, EqFamily::Enclosure},
    {EqTypePhasor, EqTypePhasor, EqFamily::Phasor},
    {EqTypeIntegralFirst, EqTypeIntegralLast, EqFamily::Integral},
    {EqTypeBigOperatorFirst, EqTypeBigOperatorLast, EqFamily::BigOperator},
    {EqTypeBracketFirst, EqTypeBracketLast, EqFamily::Bracket},
    {EqTypeMatrixRow, EqTypeCases, EqFamily::Matrix},
    {EqTypeArrowSymbolFirst, EqTypeArrowSymbolLast, EqFamily::ArrowSymbol},
    {EqTypeExtArrowAboveFirst, EqTypeExtArrowBelowLast, EqFamily::ExtArrow},
    {EqTypeFrameMarkFirst, EqTypeFrameMarkLast, EqFamily::FrameMark},
    {EqTypeChemForm, EqTypeChemForm, EqFamily::ChemForm},
    {EqTypeExtArrowGlyphFirst, EqTypeExtArrowGlyphLast, EqFamily::ExtArrowGlyph},
    {EqTypeIntegral2First, EqTypeIntegral2Last, EqFamily::Integral},
    {EqTypeBigOperator2First, EqTypeBigOperator2Last, EqFamily::BigOperator},
    {EqTypeBigOperator3First, EqTypeBigOperator3Last, EqFamily::BigOperator},
    {EqTypeOperatorFirst, EqTypeOperatorLast, EqFamily::Operator},
    {EqTypeSmall, EqTypeSmall, EqFamily::SmallGroup},
};

constexpr bool RoutesAscendAndDisjoint() {
    for (size_t i = 0; i < std::size(kEqTypeRoutes); ++i) {
        if (kEqTypeRoutes[i].lo > kEqTypeRoutes[i].hi) return false;
        if (i > 0 && kEqTypeRoutes[i - 1].hi >= kEqTypeRoutes[i].lo) return false;
    }
    return true;
}
static_assert(RoutesAscendAndDisjoint(), "type routes must ascend without overlapping");

// The routes spread out over every routed code, so that a look-up on the
// layout and drawing paths is one index.
inline constexpr int32_t kLastRoutedType = kEqTypeRoutes[std::size(kEqTypeRoutes) - 1].hi;

constexpr std::array<EqFamily, size_t(kLastRoutedType) + 1> SpreadTypeRoutes() {
    std::array<EqFamily, size_t(kLastRoutedType) + 1> families{};
    for (EqFamily& f : families) f = EqFamily::Char;
    for (const auto& route : kEqTypeRoutes)
        for (int32_t t = route.lo; t <= route.hi; ++t) families[size_t(t)] = route.family;
    return families;
}
inline constexpr std::array<EqFamily, size_t(kLastRoutedType) + 1> kFamilyOfType = SpreadTypeRoutes();

// The family of a type code; codes without a row are characters.
constexpr EqFamily FamilyOfType(int32_t type) {
    return type >= 0 && type <= kLastRoutedType ? kFamilyOfType[size_t(type)] : EqFamily::Char;
}

// Families whose elements are measured and drawn by a shape object.
constexpr bool IsShapeObjectFamily(EqFamily f) {
    switch (f) {
    case EqFamily::Integral:
    case EqFamily::BigOperator:
    case EqFamily::Bracket:
    case EqFamily::Matrix:
    case EqFamily::ChemForm:
    case EqFamily::Operator: return true;
    default: return false;
    }
}

}  // namespace toliva
