// Measurers of scripts, pre-scripts and over and under scripts.
#include "EqMeasure.h"
#include "EqMeasureInternal.h"
#include "SymbolLibrary.h"

namespace toliva {

using namespace measure;

namespace {

bool isBracket(const EqElement* x) { return x && IsBracketType(x->type); }
bool isChar(const EqElement* x) { return x && IsCharType(x); }
bool nextIsBracket(const EqElement* e) { return isBracket(e->next); }
bool prevIsBracket(const EqElement* e) { return isBracket(e->prev); }

// The vertical extent that a script takes from its base, and the base's
// horizontal offset.
struct BaseExtent {
    float ascent = 0;
    float descent = 0;
    float xOffset = 0;
};

enum class BracketRule { UpDown, BothUp, UpDownBelow };

// The base rule of the superscript: base is the element the script stands
// beside. After a bracket the ascent grows by 0.05 S and the descent grows
// (BothUp) or shrinks (UpDown) by it; the glyph offset applies after type 6
// and, when glyph8 is set, after type 8.
BaseExtent superscriptBase(const EqElement* base, float S, BracketRule rule, bool glyph8) {
    BaseExtent b;
    if (!base) return b;
    if (IsCharType(base)) {
        b.ascent = b.descent = S / 2;
        if (base->ch == '|') b.xOffset = 0.1f * S;
        return b;
    }
    if (IsBracketType(base->type)) {
        b.ascent = base->ascent + 0.05f * S;
        b.descent = rule == BracketRule::BothUp ? base->descent + 0.05f * S : base->descent - 0.05f * S;
    } else {
        b.ascent = base->ascent - 0.05f * S;
        b.descent = base->descent - 0.05f * S;
    }
    if (base->type == EqTypeGlyphSymbol || (glyph8 && base->type == EqTypeGlyphSymbolBold))
        b.xOffset = S * GlyphScriptOffset(base->ch);
    return b;
}

// The base rule of the pre-subscripts, which look at the element after them.
BaseExtent preScriptBase(const EqElement* base, float S, bool bracketDescentUp, bool bracketAscentUp,
                         bool glyphOffset) {
    BaseExtent b;
    if (!base) return b;
    if (IsCharType(base)) {
        b.ascent = b.descent = S / 2;
        if (base->ch == '|') b.xOffset = 0.1f * S;
        return b;
    }
    if (IsBracketType(base->type)) {
        b.ascent = base->ascent + (bracketAscentUp ? 0.05f : -0.05f) * S;
        b.descent = base->descent + (bracketDescentUp ? 0.05f : -0.05f) * S;
    } else {
        b.ascent = base->ascent - 0.05f * S;
        b.descent = base->descent - 0.05f * S;
    }
    if (glyphOffset && base->type == EqTypeGlyphSymbol) b.xOffset = S * GlyphScriptOffset(base->ch);
    return b;
}

// Side room of the over and under forms: g on each side that has a
// neighbour; the offset moves by g for a left one and back for a right one.
void overUnderSides(EqElement* e, float S, bool left) {
    const float g = (SpacingOf(e, SpacingElementGap) + 0.1f) * S;
    e->xOffset = 0;
    if (left) {
        e->xOffset = g;
        e->width += g;
    }
    if (e->next) {
        e->xOffset -= g;
        e->width += g;
    }
}

bool isBlank(const EqElement* x) {
    return x && ((IsCharType(x) && x->ch == 0x20) || IsSpaceType(x->type));
}

}  // namespace

void MeasureSuperscript(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const ChainBox c = layLastChild(e, g, scriptScale(e, s), 1);
    const BaseExtent b = superscriptBase(e->prev, S, BracketRule::UpDown, true);
    setBox(e, 0, std::max(b.ascent, S * SpacingOf(e, SpacingSuperscriptRise) + c.height()), b.descent, b.xOffset);
    e->width = (GapAfterScript(e->next, e) + GapBeforeSuperscript(e)) * S + e->xOffset + c.width;
    const float k = SuperscriptKern(e) * S;
    e->width -= k;
    e->xOffset -= k;
    if (nextIsBracket(e)) e->width -= 0.1f * S;
}

void MeasureSubscript(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const ChainBox c = layLastChild(e, g, scriptScale(e, s), 1);
    const EqElement* p = e->prev;
    float ascent = 0;
    float descent = 0;
    float x = 0;
    if (isChar(p)) {
        ascent = descent = S / 2;
        if (p->ch == '|') x = 0.1f * S;
        else if (p->ch >= 0x2032 && p->ch <= 0x2035) x = -0.1f * S;
    } else if (p) {
        if (p->type == EqTypeSuperscript) x = -0.1f * S;
        ascent = p->ascent - 0.05f * S;
        descent = isBracket(p) ? p->descent + 0.05f * S : p->descent - 0.05f * S;
    }
    descent = std::max(descent, S * SpacingOf(e, SpacingSubscriptDrop) + c.height());
    setBox(e, (GapAfterScript(e->next, e) + GapBeforeSubscript(e)) * S + x + c.width, ascent, descent, x);
    const float k = SubscriptKern(e) * S;
    e->width -= k;
    e->xOffset -= k;
    if (nextIsBracket(e)) e->width -= 0.1f * S;
}

void MeasureSubSuperscript(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const float ts = scriptScale(e, s);
    const ChainBox sup = layChild(e, 0, g, ts, 1);
    const ChainBox sub = layChild(e, 1, g, ts, 1);
    const BaseExtent b = superscriptBase(e->prev, S, BracketRule::BothUp, false);
    const float w = std::max(GapBeforeSuperscript(e) * S + sup.width, GapBeforeSubscript(e) * S + sub.width) +
                    b.xOffset + GapAfterScript(e->next, e) * S - (nextIsBracket(e) ? 0.1f * S : 0.0f);
    setBox(e, w, std::max(b.ascent, S * SpacingOf(e, SpacingSuperscriptRise) + sup.height()),
           std::max(b.descent, S * SpacingOf(e, SpacingSubscriptDrop) + sub.height()), b.xOffset);
}

void MeasureBaselineScript(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const ChainBox c = layLastChild(e, g, scriptScale(e, s), 1);
    const float scriptGap = (SpacingOf(e, SpacingSuperscriptGap) + SpacingOf(e, SpacingSubscriptGap)) / 2;
    float w = (GapAfterScript(e->next, e) + scriptGap) * S + c.width;
    if (nextIsBracket(e)) w -= 0.1f * S;
    setBox(e, w, c.ascent, c.descent);
}

void MeasureOverScript(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const ChainBox base = layChild(e, 0, g, s, flag);
    const ChainBox limit = e->children.size() >= 2 ? layLastChild(e, g, scriptScale(e, s), 1) : ChainBox{};
    setBox(e, std::max(base.width, limit.width), limit.height() + base.ascent, base.descent);
    overUnderSides(e, S, prevNotHead(e));
    if (e->ch == 1) e->ascent -= 0.1f * S;
}

void MeasureUnderScript(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    if (e->type == EqTypeUnderScriptClose) e->ch = 1;
    const float S = baseSize(e) * s;
    const ChainBox base = layChild(e, 0, g, s, flag);
    const ChainBox limit = e->children.size() >= 2 ? layLastChild(e, g, scriptScale(e, s), 1) : ChainBox{};
    setBox(e, std::max(base.width, limit.width), base.ascent, base.descent + limit.height());
    overUnderSides(e, S, prevNotHead(e));
    if (e->ch == 1) e->descent -= 0.1f * S;
}

void MeasureOverUnderScript(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    const float S = baseSize(e) * s;
    const float ts = scriptScale(e, s);
    const ChainBox base = layChild(e, 0, g, s, flag);
    const ChainBox over = layChild(e, 1, g, ts, 1);
    const ChainBox under = layChild(e, 2, g, ts, 1);
    setBox(e, std::max({base.width, over.width, under.width}), base.ascent + over.height(),
           base.descent + under.height());
    overUnderSides(e, S, noPrevOrNotHead(e));
    if (e->ch == 1) {
        e->ascent -= 0.1f * S;
        e->descent -= 0.1f * S;
    }
}

void MeasureBarScripts(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const float ts = scriptScale(e, s);
    const ChainBox c1 = layChild(e, 0, g, ts, 1);
    const ChainBox c2 = layChild(e, 1, g, ts, 1);
    const EqElement* p = prevSkipped(e);
    const float P = p ? p->ascent + p->descent : 0.0f;
    const float B = 0.2f * S + SpacingOf(e, SpacingSuperscriptRise) * S + c1.height() + c2.height() +
                    SpacingOf(e, SpacingSubscriptDrop) * S;
    const float H = std::max({1.5f * S, B, P});
    setBox(e, 0.2f * S + std::max(c1.width, c2.width), H / 2, H / 2);
    overUnderSides(e, S, noPrevOrNotHead(e));
}

void MeasureSideScripts(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const float ts = scriptScale(e, s);
    const ChainBox upper = layChild(e, 0, g, ts, 1);
    const ChainBox lower = layChild(e, 1, g, ts, 1);
    const float m = (SpacingOf(e, SpacingBigOperatorSize) / 2 + 0.2f) * S;
    const float gap = (SpacingOf(e, SpacingElementGap) + 0.1f) * S;
    float w = std::max(upper.width, lower.width);
    if (e->next && !IsBigOperatorType(e->next->type)) w += gap;
    if (!isHead(e->prev)) w += gap;
    setBox(e, w, std::max(m, SpacingOf(e, SpacingSuperscriptRise) * S + upper.height()),
           std::max(m, SpacingOf(e, SpacingSubscriptDrop) * S + lower.height()), gap);
}

void MeasurePreSuperscript(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const ChainBox c = layLastChild(e, g, scriptScale(e, s), 1);
    const BaseExtent b = superscriptBase(e->next, S, BracketRule::UpDown, true);
    const float x = (GapBeforePreSuperscript(e) + GapAfterScript(e->prev, e)) * S + b.xOffset;
    const float k = PreSuperscriptKern(e) * S;
    float w = x + c.width - k;
    if (prevIsBracket(e)) w -= 0.1f * S;
    setBox(e, w, std::max(b.ascent, S * SpacingOf(e, SpacingSuperscriptRise) + c.height()), b.descent, x + k);
}

void MeasurePreSubscript(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const ChainBox c = layLastChild(e, g, scriptScale(e, s), 1);
    const BaseExtent b = preScriptBase(e->next, S, true, false, false);
    const float x = (GapAfterScript(e->prev, e) + GapBeforePreSubscript(e)) * S + b.xOffset;
    const float k = PreSubscriptKern(e) * S;
    float w = x + c.width + k;
    if (prevIsBracket(e)) w -= 0.1f * S;
    setBox(e, w, b.ascent, std::max(b.descent, SpacingOf(e, SpacingSubscriptDrop) * S + c.height()), x - k);
}

void MeasurePreScripts(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    const float S = baseSize(e) * s;
    const float ts = scriptScale(e, s);
    const ChainBox sup = layChild(e, 0, g, ts, 1);
    const ChainBox sub = layChild(e, 1, g, ts, 1);
    const EqElement* base = e->next;
    if (isBlank(base) && base->next) base = SkipSpacesBack(static_cast<const EqElement*>(base->next));
    const BaseExtent b = preScriptBase(base, S, true, true, true);
    float w = std::max(GapBeforePreSuperscript(e) * S + sup.width, GapBeforePreSubscript(e) * S + sub.width) +
              b.xOffset + GapAfterScript(e->next, e) * S;
    if (prevIsBracket(e)) w -= 0.1f * S;
    setBox(e, w, std::max(b.ascent, SpacingOf(e, SpacingSuperscriptRise) * S + sup.height()),
           std::max(b.descent, SpacingOf(e, SpacingSubscriptDrop) * S + sub.height()), b.xOffset);
}

}  // namespace toliva
