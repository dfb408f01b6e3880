// Helpers shared by the measurers (EqMeasure*.cpp); not for other callers.
#pragma once

#include "EqElement.h"
#include "EqLayout.h"
#include "EqModel.h"
#include "EqSpacing.h"
#include "EqTypes.h"

#include <algorithm>
#include <cstdint>

namespace toliva::measure {

inline float baseSize(const EqElement* e) { return e->owner ? e->owner->settings.fontSize : 0.0f; }
inline float minScale(const EqElement* e) { return e->owner ? e->owner->minScale : 0.0f; }

// The summed box of a laid-out chain.
struct ChainBox {
    float width = 0;
    float ascent = 0;
    float descent = 0;
    float height() const { return ascent + descent; }
};

// Lays out a chain and returns its summed box; a missing chain is empty.
inline ChainBox layChain(EqElement* head, gp::Graphics* g, float scale, uint8_t flag) {
    if (!head) return {};
    LayoutElement(head, g, scale, flag);
    return {head->chainWidth, head->chainAscent, head->chainDescent};
}

inline ChainBox layChild(EqElement* e, int i, gp::Graphics* g, float scale, uint8_t flag) {
    return layChain(ChildChain(e, i), g, scale, flag);
}

inline ChainBox layLastChild(EqElement* e, gp::Graphics* g, float scale, uint8_t flag) {
    return layChain(LastChildChain(e), g, scale, flag);
}

inline bool isHead(const EqElement* e) { return e && e->type == EqTypeChainHead; }
// A neighbour on the left that is not the chain's head.
inline bool prevNotHead(const EqElement* e) { return e->prev && !isHead(e->prev); }
// No element on the left, or one that is not a head.
inline bool noPrevOrNotHead(const EqElement* e) { return !e->prev || !isHead(e->prev); }
inline bool nextIs(const EqElement* e, bool (*pred)(int32_t)) { return e->next && pred(e->next->type); }
inline bool prevIs(const EqElement* e, bool (*pred)(int32_t)) { return e->prev && pred(e->prev->type); }

// The previous element with spaces skipped back, or null.
inline EqElement* prevSkipped(const EqElement* e) { return e->prev ? SkipSpacesBack(e->prev) : nullptr; }
// The next element with spaces skipped, or null.
inline EqElement* nextSkipped(const EqElement* e) { return e->next ? SkipSpacesAfter(e->next) : nullptr; }

inline void setBox(EqElement* e, float width, float ascent, float descent, float xOffset = 0) {
    e->width = width;
    e->ascent = ascent;
    e->descent = descent;
    e->xOffset = xOffset;
}

// The scale of script content: s x the script factor.
float scriptScale(const EqElement* e, float s);

}  // namespace toliva::measure
