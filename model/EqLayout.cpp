#include "EqLayout.h"

#include "EqElement.h"
#include "EqFonts.h"
#include "EqMeasure.h"
#include "EqModel.h"
#include "EqTypes.h"
#include "RenderContext.h"
#include "ShapeObject.h"

#include <algorithm>

namespace toliva {
namespace {

using Measurer = void (*)(EqElement*, gp::Graphics*, float, uint8_t);

// The measurers of codes 64 to 191; codes without one are characters.
Measurer measurerOfTable(int32_t type) {
    switch (type) {
    case 64: return MeasureCalcResult;
    case 128: return MeasureFraction;
    case 129: return MeasureBevelledFraction;
    case 130: return MeasureSlashFraction;
    case 131: return MeasureLongDivision;
    case 132: return MeasureSmallFraction;
    case 133:
    case 134: return MeasureStack;
    case 135: return MeasureArcMark;
    case 136:
    case 137: return MeasureRadical;
    case 173: return MeasureSuperscript;
    case 174: return MeasureSubscript;
    case 175: return MeasureSubSuperscript;
    case 176: return MeasureBaselineScript;
    case 177: return MeasureOverScript;
    case 178: return MeasureOverUnderScript;
    case 179:
    case 180: return MeasureUnderScript;
    case 181: return MeasureBarScripts;
    case 182: return MeasureSideScripts;
    case 189: return MeasurePreSuperscript;
    case 190: return MeasurePreSubscript;
    case 191: return MeasurePreScripts;
    default: return MeasureCharElement;
    }
}

void measureElement(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const int32_t t = e->type;
    if (IsCharType(t)) return MeasureCharElement(e, g, s, flag);
    if (IsOperatorType(t)) return LayoutShapeObject(e, g, s, flag);
    if (IsSpaceType(t)) return MeasureSpace(e, g, s, flag);
    if (IsFrameMarkType(t)) return MeasureFrameMark(e, g, s, flag);
    if (IsBracketType(t)) return LayoutShapeObject(e, g, s, flag);
    if (IsOverAccentType(t)) return MeasureOverAccent(e, g, s, flag);
    if (IsUnderAccentType(t)) return MeasureUnderAccent(e, g, s, flag);
    if (IsEnclosureType(t)) return MeasureEnclosure(e, g, s, flag);
    if (t == EqTypePhasor) return MeasurePhasor(e, g, s, flag);
    if (IsArrowSymbolType(t)) return MeasureArrowSymbol(e, g, s, flag);
    if (IsExtArrowType(t)) return MeasureExtArrow(e, g, s, flag);
    if (IsMatrixType(t)) return LayoutShapeObject(e, g, s, flag);
    if (IsGlyphSymbolType(t)) return MeasureGlyphSymbol(e, g, s, flag);
    if (IsBigOperatorType(t) || IsIntegralType(t) || t == EqTypeChemForm) return LayoutShapeObject(e, g, s, flag);
    if (t == EqTypeSmall) return MeasureSmallGroup(e, g, s, flag);
    if (inRange(t, 64, 191)) return measurerOfTable(t)(e, g, s, flag);
    MeasureCharElement(e, g, s, flag);
}

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

}  // namespace

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
