// Drawers of scripts, pre-scripts, over and under scripts, scripts with a bar
// and stacked side scripts.
#include "model/EqDrawers.h"

#include "model/EqLayout.h"

namespace toliva {

using namespace draw;

namespace {

// Script chains are drawn at the reduced scale, flagged as script content.
void DrawScriptChain(EqElement* e, EqElement* chain, gp::Graphics& g, float x, float y, float scale) {
    DrawChain(chain, g, x, y, ScriptScale(e, scale), true);
}

// Baselines of a chain whose top touches the element's top, or whose bottom
// touches the element's bottom.
float TopAligned(const EqElement* e, const EqElement* chain, float y) { return y - e->ascent + A(chain); }
float BottomAligned(const EqElement* e, const EqElement* chain, float y) { return y + e->descent - D(chain); }

// A chain holding one prime and nothing else.
bool IsLonePrime(const EqElement* head) {
    const EqElement* only = head ? head->next : nullptr;
    return only && !only->next && IsCharType(only->type) && only->ch == 0x2032;
}

// The base and the limits of the over and under forms, centred in the width
// the layout gave the content.
struct OverUnder {
    EqElement* e;
    gp::Graphics& g;
    float centre;
    float y;
    float scale;
    float size;

    void limit(EqElement* chain, float baseline) const {
        DrawScriptChain(e, chain, g, centre - W(chain) / 2, baseline, scale);
    }
};

OverUnder DrawBase(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    OverUnder o{e, g, x + (e->width + e->xOffset) / 2, y, scale, SizeAt(e, scale)};
    EqElement* base = ChildChain(e, 0);
    DrawChain(base, g, o.centre - W(base) / 2, y, scale, script);
    return o;
}

}  // namespace

void DrawSuperscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    EqElement* chain = LastChildChain(e);
    const float size = SizeAt(e, scale);
    DrawScriptChain(e, chain, g, x + e->xOffset + GapBeforeSuperscript(e) * size, TopAligned(e, chain, y), scale);
}

void DrawSubscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    EqElement* chain = LastChildChain(e);
    const float size = SizeAt(e, scale);
    DrawScriptChain(e, chain, g, x + e->xOffset + GapBeforeSubscript(e) * size, BottomAligned(e, chain, y), scale);
}

void DrawSubSuperscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    EqElement* sup = ChildChain(e, 0);
    EqElement* sub = ChildChain(e, 1);
    const float size = SizeAt(e, scale);
    DrawScriptChain(e, sup, g, x + e->xOffset + GapBeforeSuperscript(e) * size, TopAligned(e, sup, y), scale);
    DrawScriptChain(e, sub, g, x + e->xOffset + GapBeforeSubscript(e) * size, BottomAligned(e, sub, y), scale);
}

void DrawBaselineScript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    const float size = SizeAt(e, scale);
    DrawScriptChain(e, LastChildChain(e), g,
                    x + (SpacingOf(e, SpacingSubscriptGap) + SpacingOf(e, SpacingSuperscriptGap)) * 0.25f * size, y,
                    scale);
}

void DrawPreSuperscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    EqElement* chain = LastChildChain(e);
    const float size = SizeAt(e, scale);
    DrawScriptChain(e, chain, g, x + e->xOffset - GapBeforePreSuperscript(e) * size, TopAligned(e, chain, y),
                    scale);
}

void DrawPreSubscript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    EqElement* chain = LastChildChain(e);
    const float size = SizeAt(e, scale);
    DrawScriptChain(e, chain, g, x + e->xOffset - GapBeforePreSubscript(e) * size, BottomAligned(e, chain, y),
                    scale);
}

void DrawPreScripts(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    // Each script is right-aligned with the gap the layout gave it.
    EqElement* sup = ChildChain(e, 0);
    EqElement* sub = ChildChain(e, 1);
    const float size = SizeAt(e, scale);
    const float end = x + e->width + e->xOffset;
    DrawScriptChain(e, sup, g, end - W(sup) - GapBeforePreSuperscript(e) * size, TopAligned(e, sup, y), scale);
    DrawScriptChain(e, sub, g, end - W(sub) - GapBeforePreSubscript(e) * size, BottomAligned(e, sub, y), scale);
}

void DrawOverScript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const OverUnder o = DrawBase(e, g, x, y, scale, script);
    EqElement* over = SecondChain(e);
    float baseline = TopAligned(e, over, y);
    if (e->ch == 1) baseline += 0.1f * o.size;
    o.limit(over, baseline);
}

void DrawUnderScript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const OverUnder o = DrawBase(e, g, x, y, scale, script);
    EqElement* under = SecondChain(e);
    float baseline = BottomAligned(e, under, y);
    if (e->type == EqTypeUnderScriptClose || e->ch == 1) baseline -= 0.1f * o.size;
    o.limit(under, baseline);
}

void DrawOverUnderScript(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const OverUnder o = DrawBase(e, g, x, y, scale, script);
    EqElement* over = ChildChain(e, 1);
    EqElement* under = ChildChain(e, 2);
    const float shift = e->ch == 1 ? 0.1f * o.size : 0.0f;
    o.limit(over, TopAligned(e, over, y) + shift);
    o.limit(under, BottomAligned(e, under, y) - shift);
}

void DrawBarScripts(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool) {
    const float size = SizeAt(e, scale);
    const float rule = RuleAt(e, size);
    const float lead = FirstInChain(e) ? x : x + 0.1f * size;
    g.DrawLine(RoundPen(GetElementDrawColour(e, 7), rule), lead + rule, y - e->ascent + 2 * rule, lead + rule,
               y + e->descent - 2 * rule);
    EqElement* upper = ChildChain(e, 0);
    EqElement* lower = ChildChain(e, 1);
    DrawScriptChain(e, upper, g, lead + 0.2f * size, TopAligned(e, upper, y), scale);
    DrawScriptChain(e, lower, g, lead + 0.2f * size, BottomAligned(e, lower, y), scale);
}

void DrawSideScripts(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    const float size = SizeAt(e, scale);
    const float left = FirstInChain(e) ? x : x + e->xOffset;
    auto draw = [&](EqElement* chain, float baseline) {
        // A lone prime keeps the full size.
        if (IsLonePrime(chain)) DrawChain(chain, g, left + 0.1f * size, baseline, scale, script);
        else DrawScriptChain(e, chain, g, left, baseline, scale);
    };
    EqElement* upper = ChildChain(e, 0);
    EqElement* lower = ChildChain(e, 1);
    draw(upper, TopAligned(e, upper, y));
    draw(lower, BottomAligned(e, lower, y));
}

}  // namespace toliva
