// The per-type drawers chosen by DrawElement (EqDraw.h) and the small helpers
// they share. Every drawer takes the element, the graphics, the position (x
// at the element's left edge, y on its baseline), the effective scale and the
// script flag. Drawers read child chains through ChildChain/LastChildChain
// and treat a missing chain as an empty one: it measures 0 and draws nothing.
#pragma once

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsGuards.h"
#include "platform/gdiplus/Pen.h"

#include <QString>

namespace toliva {

// ---- shared quantities

namespace draw {

// Base font size of the equation x scale.
inline float SizeAt(const EqElement* e, float scale) { return e->owner->settings.fontSize * scale; }
// The thickness of bars and rules at a size.
inline float RuleAt(const EqElement* e, float size) { return SpacingOf(e, SpacingRuleThickness) * size; }
// The reduced scale of scripts, limits and small parts (the same factor the
// layout uses).
inline float ScriptScale(const EqElement* e, float scale) { return scale * ScriptScaleFactor(e->owner); }
// Raised to the equation's minimum scale.
inline float AtLeastMin(const EqElement* e, float scale) {
    return scale < e->owner->minScale ? e->owner->minScale : scale;
}

inline bool FirstInChain(const EqElement* e) { return !e->prev || e->prev->type == EqTypeChainHead; }
inline bool LastInChain(const EqElement* e) { return !e->next; }

// The summed metrics of a child chain; 0 for a missing chain.
// The second chain of a structure whose layout takes its last chain (a
// root's index, the limit of 177 and 179), or null with fewer than two.
inline EqElement* SecondChain(const EqElement* e) { return e->children.size() >= 2 ? LastChildChain(e) : nullptr; }

inline float W(const EqElement* head) { return head ? head->chainWidth : 0.0f; }
inline float A(const EqElement* head) { return head ? head->chainAscent : 0.0f; }
inline float D(const EqElement* head) { return head ? head->chainDescent : 0.0f; }

// A pen with round start and end caps.
inline gp::Pen RoundPen(gp::ARGB colour, float width) {
    gp::Pen pen(colour, width);
    pen.SetLineCap(gp::LineCapRound, gp::LineCapRound, gp::DashCapRound);
    return pen;
}

}  // namespace draw

// ---- the dispatch (EqDraw.cpp)
using Drawer = void (*)(EqElement*, gp::Graphics&, float, float, float, bool);
// The drawer of a type code's family (EqTypeRoutes.h).
Drawer DrawerOf(int32_t type);
// Draws through the element's shape object; without one nothing is drawn.
void DrawShapeObjectElement(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);

// ---- characters, glyph symbols, results (EqDrawersText.cpp)

void DrawCharElement(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
// One string in the element's font family and the style, at em size f in the
// text box, centred across by the equation's string format; as a filled path
// while the equation draws outlines instead of text.
void DrawElementText(EqElement* e, gp::Graphics& g, const QString& text, int style, float f, const gp::RectF& box,
                     gp::ARGB colour);
void DrawGlyphSymbolElement(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawCalcResult(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);

// ---- fractions, stacks, radicals (EqDrawersStructs.cpp)

void DrawFraction(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawBevelledFraction(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawSlashFraction(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawLongDivision(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawSmallFraction(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawStack(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawArcMark(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawRadical(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawSmallGroup(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);

// ---- scripts (EqDrawersScripts.cpp)

void DrawSuperscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawSubscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawSubSuperscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawBaselineScript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawOverScript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawOverUnderScript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawUnderScript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawBarScripts(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawSideScripts(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawPreSuperscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawPreSubscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawPreScripts(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);

// ---- wide accents, enclosures, phasor (EqDrawersDecor.cpp)

void DrawOverAccent(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawUnderAccent(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawEnclosure(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawPhasor(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);

// ---- arrows and frame marks (EqDrawersArrows.cpp)

void DrawArrowSymbol(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
// 553-563 (one text over the arrow) and 564-574 (texts over and under).
void DrawExtArrow(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
// 624-643: the element's own outline is the arrowhead.
void DrawOutlineExtArrow(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);
void DrawFrameMark(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script);

}  // namespace toliva
