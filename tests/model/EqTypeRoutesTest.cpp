// The type routing table against the routing the three dispatchers had when
// each tested the code ranges in its own order. The reference functions below
// are those tests, kept with their literal ranges, so a change of the table
// or of a predicate that moves any code to another measurer, drawer or shape
// class fails here.
#include "model/EqDrawers.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqTypeRoutes.h"
#include "model/ShapeAccent.h"
#include "model/ShapeBigOperator.h"
#include "model/ShapeBracket.h"
#include "model/ShapeChem.h"
#include "model/ShapeIntegral.h"
#include "model/ShapeMatrix.h"
#include "model/ShapeObject.h"
#include "model/ShapeOperator.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <typeinfo>
#include <vector>

namespace toliva {
namespace {

constexpr bool in(int32_t t, int32_t lo, int32_t hi) { return t >= lo && t <= hi; }
bool oldChar(int32_t t) { return in(t, 1, 5) || t == 16 || t == 17; }
bool oldOperator(int32_t t) { return in(t, 1042, 1289); }
bool oldSpace(int32_t t) { return in(t, 96, 105); }
bool oldFrameMark(int32_t t) { return in(t, 590, 598); }
bool oldBracket(int32_t t) { return in(t, 336, 368); }
bool oldOverAccent(int32_t t) { return in(t, 208, 219); }
bool oldUnderAccent(int32_t t) { return in(t, 224, 235); }
bool oldEnclosure(int32_t t) { return in(t, 240, 252); }
bool oldArrowSymbol(int32_t t) { return in(t, 506, 550); }
bool oldExtArrowText(int32_t t) { return in(t, 553, 574); }
bool oldExtArrowGlyph(int32_t t) { return in(t, 624, 643); }
bool oldMatrix(int32_t t) { return in(t, 369, 372); }
bool oldGlyphSymbol(int32_t t) { return in(t, 6, 8); }
bool oldIntegral(int32_t t) { return in(t, 274, 305) || in(t, 769, 788); }
bool oldBigOperator(int32_t t) { return in(t, 306, 335) || in(t, 800, 805) || in(t, 848, 863); }

// The structures of codes 64 to 191; every other code of that span was a
// character.
struct OldStructure {
    int32_t code;
    Measurer measurer;
    Drawer drawer;
};
constexpr OldStructure kOldStructures[] = {
    {64, MeasureCalcResult, DrawCalcResult},
    {128, MeasureFraction, DrawFraction},
    {129, MeasureBevelledFraction, DrawBevelledFraction},
    {130, MeasureSlashFraction, DrawSlashFraction},
    {131, MeasureLongDivision, DrawLongDivision},
    {132, MeasureSmallFraction, DrawSmallFraction},
    {133, MeasureStack, DrawStack},
    {134, MeasureStack, DrawStack},
    {135, MeasureArcMark, DrawArcMark},
    {136, MeasureRadical, DrawRadical},
    {137, MeasureRadical, DrawRadical},
    {173, MeasureSuperscript, DrawSuperscript},
    {174, MeasureSubscript, DrawSubscript},
    {175, MeasureSubSuperscript, DrawSubSuperscript},
    {176, MeasureBaselineScript, DrawBaselineScript},
    {177, MeasureOverScript, DrawOverScript},
    {178, MeasureOverUnderScript, DrawOverUnderScript},
    {179, MeasureUnderScript, DrawUnderScript},
    {180, MeasureUnderScript, DrawUnderScript},
    {181, MeasureBarScripts, DrawBarScripts},
    {182, MeasureSideScripts, DrawSideScripts},
    {189, MeasurePreSuperscript, DrawPreSuperscript},
    {190, MeasurePreSubscript, DrawPreSubscript},
    {191, MeasurePreScripts, DrawPreScripts},
};

const OldStructure* oldStructure(int32_t type) {
    for (const OldStructure& s : kOldStructures)
        if (s.code == type) return &s;
    return nullptr;
}

Measurer oldMeasurerOfTable(int32_t type) {
    const OldStructure* s = oldStructure(type);
    return s ? s->measurer : MeasureCharElement;
}

Drawer oldStructureDrawer(int32_t type) {
    const OldStructure* s = oldStructure(type);
    return s ? s->drawer : DrawCharElement;
}

// The layout dispatcher's order.
Measurer oldMeasurer(int32_t t) {
    if (oldChar(t)) return MeasureCharElement;
    if (oldOperator(t)) return LayoutShapeObject;
    if (oldSpace(t)) return MeasureSpace;
    if (oldFrameMark(t)) return MeasureFrameMark;
    if (oldBracket(t)) return LayoutShapeObject;
    if (oldOverAccent(t)) return MeasureOverAccent;
    if (oldUnderAccent(t)) return MeasureUnderAccent;
    if (oldEnclosure(t)) return MeasureEnclosure;
    if (t == 256) return MeasurePhasor;
    if (oldArrowSymbol(t)) return MeasureArrowSymbol;
    if (oldExtArrowText(t) || oldExtArrowGlyph(t)) return MeasureExtArrow;
    if (oldMatrix(t)) return LayoutShapeObject;
    if (oldGlyphSymbol(t)) return MeasureGlyphSymbol;
    if (oldBigOperator(t) || oldIntegral(t) || t == 608) return LayoutShapeObject;
    if (t == 1536) return MeasureSmallGroup;
    if (in(t, 64, 191)) return oldMeasurerOfTable(t);
    return MeasureCharElement;
}

// The draw dispatcher's order.
Drawer oldDrawer(int32_t t) {
    if (oldFrameMark(t)) return DrawFrameMark;
    if (oldChar(t)) return DrawCharElement;
    if (oldOperator(t)) return DrawShapeObjectElement;
    if (oldOverAccent(t)) return DrawOverAccent;
    if (oldUnderAccent(t)) return DrawUnderAccent;
    if (oldEnclosure(t)) return DrawEnclosure;
    if (t == 256) return DrawPhasor;
    if (oldArrowSymbol(t)) return DrawArrowSymbol;
    if (oldExtArrowText(t)) return DrawExtArrow;
    if (oldExtArrowGlyph(t)) return DrawOutlineExtArrow;
    if (oldBracket(t) || oldMatrix(t)) return DrawShapeObjectElement;
    if (oldGlyphSymbol(t)) return DrawGlyphSymbolElement;
    if (oldBigOperator(t) || oldIntegral(t) || t == 608) return DrawShapeObjectElement;
    if (t == 1536) return DrawSmallGroup;
    if (in(t, 64, 191)) return oldStructureDrawer(t);
    return DrawCharElement;
}

// The shape-object factory's order; null for types without a shape object.
const std::type_info* oldShapeClass(int32_t t) {
    const bool shaped =
        oldIntegral(t) || oldBigOperator(t) || oldBracket(t) || oldMatrix(t) || oldOperator(t) || t == 608;
    if (!shaped) return nullptr;
    if (oldBracket(t)) return &typeid(CKwEE_O_Bracket);
    if (oldMatrix(t)) return &typeid(CKwEE_O_Matrix);
    if (oldOperator(t)) return &typeid(CKwEE_O_Operator);
    if (oldIntegral(t)) return &typeid(CKwEE_O_integral);
    if (oldBigOperator(t)) return &typeid(CKwEE_O_SPB);
    if (t == 608) return &typeid(CKwEE_O_ChemEForm);
    return &typeid(CKwEE_O);
}

// Every 16-bit code, and a few outside that span.
std::vector<int32_t> codesToCheck() {
    std::vector<int32_t> codes;
    for (int32_t t = 0; t <= 65535; ++t) codes.push_back(t);
    for (int32_t t : {-1, -65536, 65536, 1 << 30, INT32_MIN, INT32_MAX}) codes.push_back(t);
    return codes;
}

TEST(EqTypeRoutes, EveryCodeKeepsItsMeasurerDrawerAndShapeClass) {
    int wrongMeasurer = 0, wrongDrawer = 0, wrongShape = 0;
    for (int32_t t : codesToCheck()) {
        if (MeasurerOf(t) != oldMeasurer(t) && ++wrongMeasurer <= 5) ADD_FAILURE() << "measurer of " << t;
        if (DrawerOf(t) != oldDrawer(t) && ++wrongDrawer <= 5) ADD_FAILURE() << "drawer of " << t;
        const std::unique_ptr<CKwEE_O> shape = NewShapeObject(t);
        const std::type_info* expected = oldShapeClass(t);
        const bool same = shape ? expected && typeid(*shape) == *expected : !expected;
        if (!same && ++wrongShape <= 5) ADD_FAILURE() << "shape class of " << t;
        EXPECT_EQ(IsShapeObjectType(t), expected != nullptr) << t;
    }
    EXPECT_EQ(wrongMeasurer, 0);
    EXPECT_EQ(wrongDrawer, 0);
    EXPECT_EQ(wrongShape, 0);
}

}  // namespace
}  // namespace toliva
