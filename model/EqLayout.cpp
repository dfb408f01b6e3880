#include "EqLayout.h"

#include "EqElement.h"
#include "EqFonts.h"
#include "EqMeasure.h"
#include "EqModel.h"
#include "EqTypeRoutes.h"
#include "EqTypes.h"
#include "RenderContext.h"
#include "ShapeObject.h"

#include <algorithm>

namespace toliva {
namespace {

// Pre-scripts take the box of the element after them, which is measured
// after them; they are measured again once it is.
bool readsFollowingBox(const EqElement* e) { return IsPreScriptType(e->type) && e->next && !IsCharType(e->next); }

void applyPhantom(EqElement* e, float scale) {
    switch (e->phantomKind()) {
    case PhantomHorizontal:
        e->ascent = e->descent = e->chainAscent = e->chainDescent = 0.01f * scale;
        break;
    case PhantomVertical:
        e->width = e->chainWidth = 0.01f * scale;
        break;
    default:
        break;
    }
}

template <typename E>
E skipBack(E e) {
    while (e && IsSpaceElement(e) && e->prev) e = e->prev;
    return e;
}

void measureElement(EqElement* e, gp::Graphics* g, float s, uint8_t flag) { MeasurerOf(e->type)(e, g, s, flag); }

}  // namespace

Measurer MeasurerOf(int32_t type) {
    switch (FamilyOfType(type)) {
    case EqFamily::Char: return MeasureCharElement;
    case EqFamily::GlyphSymbol: return MeasureGlyphSymbol;
    case EqFamily::CalcResult: return MeasureCalcResult;
    case EqFamily::Space: return MeasureSpace;
    case EqFamily::Fraction: return MeasureFraction;
    case EqFamily::BevelledFraction: return MeasureBevelledFraction;
    case EqFamily::SlashFraction: return MeasureSlashFraction;
    case EqFamily::LongDivision: return MeasureLongDivision;
    case EqFamily::SmallFraction: return MeasureSmallFraction;
    case EqFamily::Stack: return MeasureStack;
    case EqFamily::ArcMark: return MeasureArcMark;
    case EqFamily::Radical: return MeasureRadical;
    case EqFamily::Superscript: return MeasureSuperscript;
    case EqFamily::Subscript: return MeasureSubscript;
    case EqFamily::SubSuperscript: return MeasureSubSuperscript;
    case EqFamily::BaselineScript: return MeasureBaselineScript;
    case EqFamily::OverScript: return MeasureOverScript;
    case EqFamily::OverUnderScript: return MeasureOverUnderScript;
    case EqFamily::UnderScript: return MeasureUnderScript;
    case EqFamily::BarScripts: return MeasureBarScripts;
    case EqFamily::SideScripts: return MeasureSideScripts;
    case EqFamily::PreSuperscript: return MeasurePreSuperscript;
    case EqFamily::PreSubscript: return MeasurePreSubscript;
    case EqFamily::PreScripts: return MeasurePreScripts;
    case EqFamily::OverAccent: return MeasureOverAccent;
    case EqFamily::UnderAccent: return MeasureUnderAccent;
    case EqFamily::Enclosure: return MeasureEnclosure;
    case EqFamily::Phasor: return MeasurePhasor;
    case EqFamily::ArrowSymbol: return MeasureArrowSymbol;
    case EqFamily::ExtArrow:
    case EqFamily::ExtArrowGlyph: return MeasureExtArrow;
    case EqFamily::FrameMark: return MeasureFrameMark;
    case EqFamily::SmallGroup: return MeasureSmallGroup;
    case EqFamily::Integral:
    case EqFamily::BigOperator:
    case EqFamily::Bracket:
    case EqFamily::Matrix:
    case EqFamily::ChemForm:
    case EqFamily::Operator: return LayoutShapeObject;
    }
    return MeasureCharElement;
}

int LayoutElement(EqElement* e, gp::Graphics* graphics, float scale, uint8_t flag) {
    if (!e) return 0;
    EqModel* eq = e->owner;
    if (eq && scale < eq->minScale) scale = eq->minScale;

    // Measure along the chain, each element after its predecessor.
    EqElement* last = e;
    bool remeasure = false;
    for (EqElement* x = e; x; x = x->next) {
        if (eq) x->font = EquationFonts(eq).currentFamily;
        measureElement(x, graphics, scale, flag);
        remeasure = remeasure || readsFollowingBox(x);
        last = x;
    }
    if (remeasure) {
        for (EqElement* x = e; x; x = x->next)
            if (readsFollowingBox(x)) measureElement(x, graphics, scale, flag);
    }
    // Heads sum what follows them, phantoms give up their width or height;
    // from the chain's end back, so a head sums the final boxes.
    for (EqElement* x = last; x; x = x->prev) {
        if (x->type == EqTypeChainHead) {
            x->chainWidth = x->chainAscent = x->chainDescent = 0;
            SumChainMetrics(x, &x->chainDescent, &x->chainAscent, &x->chainWidth);
        }
        applyPhantom(x, scale);
        if (x == e) break;
    }
    return e->phantomKind();
}

int LayoutElement(const RenderContext& context, EqElement* e, gp::Graphics* graphics, float scale, uint8_t flag) {
    const RenderScope pass(e ? e->owner : nullptr, context);
    return LayoutElement(e, graphics, scale, flag);
}

void SumChainMetrics(const EqElement* first, float* descent, float* ascent, float* width) {
    for (const EqElement* e = first; e; e = e->next) {
        *width += e->width;
        *ascent = std::max(*ascent, e->ascent);
        *descent = std::max(*descent, e->descent);
    }
}

void PlaceChain(EqElement* first, float x, float y) {
    for (EqElement* e = first; e; e = e->next) {
        e->rect = gp::RectF{x, y - e->ascent, e->width, e->ascent + e->descent};
        x += e->width;
    }
}

void OffsetTree(EqElement* e, float dx, float dy) {
    for (; e; e = e->next) {
        e->rect.x += dx;
        e->rect.y += dy;
        e->origin.x += dx;
        e->origin.y += dy;
        for (EqElement* c : e->children) OffsetTree(c, dx, dy);
    }
}

EqElement* ChildChain(const EqElement* e, int i) {
    if (!e || i < 0 || size_t(i) >= e->children.size()) return nullptr;
    return e->children[size_t(i)];
}

EqElement* LastChildChain(const EqElement* e) {
    if (!e || e->children.empty()) return nullptr;
    return e->children.back();
}

EqElement* SkipSpacesBack(EqElement* e) { return skipBack(e); }
const EqElement* SkipSpacesBack(const EqElement* e) { return skipBack(e); }

EqElement* SkipSpacesAfter(EqElement* e) {
    if (e && IsSpaceElement(e) && e->next) return SkipSpacesBack(e->next);
    return e;
}

const EqElement* SkipSpacesAfter(const EqElement* e) {
    if (e && IsSpaceElement(e) && e->next) return SkipSpacesBack(static_cast<const EqElement*>(e->next));
    return e;
}

EqElement* FindPlainCharBack(EqElement* e) {
    while (e && e->type != EqTypeChainHead && !(IsCharType(e) && e->payload.empty()) && e->prev) e = e->prev;
    return e;
}

void LayoutLines(const RenderContext& context, EqModel* eq, gp::Graphics* graphics, float scale, int skipCount,
                 bool keepCached) {
    if (!eq) return;
    const RenderScope pass(eq, context);
    const EqLayoutSettings& s = eq->settings;
    eq->minScale = s.fontSize > 0 ? s.size2 * scale / s.fontSize : 0.0f;
    if (skipCount < 0) return;
    for (size_t i = size_t(skipCount); i < eq->lines.size(); ++i) {
        EqElement* line = eq->lines[i];
        if (keepCached && line->lineBitmap) continue;
        LayoutElement(line, graphics, scale, 0);
    }
}

}  // namespace toliva
