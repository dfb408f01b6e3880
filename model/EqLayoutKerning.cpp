// Character kerning, script kerning and script gaps (all in em).
#include "EqElement.h"
#include "EqLayout.h"
#include "EqModel.h"
#include "EqSpacing.h"
#include "EqTypes.h"
#include "platform/gdiplus/Font.h"

#include <QChar>

#include <algorithm>

namespace toliva {
namespace {

bool isItalic(const EqElement* e) { return e && (e->type == EqTypeCharItalic || e->type == EqTypeCharBoldItalic); }

bool holds(const EqElement* e, uint16_t c) { return IsCharType(e) && e->ch == c; }

bool isHead(const EqElement* e) { return e && e->type == EqTypeChainHead; }

bool isLower(uint16_t c) { return c >= 'a' && c <= 'z'; }

bool oneOf(uint16_t c, std::initializer_list<uint16_t> set) {
    for (uint16_t x : set)
        if (x == c) return true;
    return false;
}

// The character element a script follows, or null.
const EqElement* charBefore(const EqElement* script) {
    const EqElement* p = script ? script->prev : nullptr;
    if (!p || isHead(p) || !IsCharType(p)) return nullptr;
    return p;
}

// The element after a pre-script, spaces skipped.
const EqElement* elementAfter(const EqElement* script) {
    return script && script->next ? SkipSpacesAfter(static_cast<const EqElement*>(script->next)) : nullptr;
}

const EqElement* elementBefore(const EqElement* script) {
    return script && script->prev ? SkipSpacesBack(static_cast<const EqElement*>(script->prev)) : nullptr;
}

// Names of functions and operators set in upright letters ("sin", "det").
bool isFunctionName(const char16_t* run, int length) {
    static const char* const kNames[] = {
        "arccos", "arccot", "arccsc", "arcsec", "arcsin", "arctan", "arg", "cos", "cosh", "cot", "coth",
        "csc", "csch", "deg", "det", "dim", "exp", "gcd", "hom", "inf", "ker", "lg", "lcm", "lim", "liminf",
        "limsup", "ln", "log", "max", "min", "mod", "Pr", "sec", "sech", "sgn", "sin", "sinh", "sup", "tan",
        "tanh",
    };
    for (const char* name : kNames) {
        int i = 0;
        while (i < length && name[i] && char16_t(name[i]) == run[i]) ++i;
        if (i == length && !name[i]) return true;
    }
    return false;
}

bool isUprightLetter(const EqElement* e) {
    return e && e->type == EqTypeCharUpright && e->payload.empty() &&
           ((e->ch >= 'a' && e->ch <= 'z') || (e->ch >= 'A' && e->ch <= 'Z'));
}

// Whether the run of plain upright letters that ends at e spells a function
// name.
bool endsFunctionName(const EqElement* e) {
    if (!isUprightLetter(e) || isUprightLetter(e->next)) return false;
    constexpr int kLongest = 6;
    char16_t run[kLongest];
    int length = 0;
    const EqElement* first = e;
    for (const EqElement* p = e; isUprightLetter(p); p = p->prev) {
        if (length == kLongest) return false;
        ++length;
        first = p;
    }
    int i = 0;
    for (const EqElement* p = first; i < length; p = p->next) run[i++] = p->ch;
    return isFunctionName(run, length);
}

// What a function name is set apart from: an argument that begins with a
// letter or a digit, written right after the name.
bool isNameArgument(const EqElement* n) {
    if (!IsCharType(n) || !n->ch || n->ch == 0x20) return false;
    if (IsDigitElement(n)) return true;
    return n->type != EqTypeCharUpright && QChar::isLetter(n->ch);
}

}  // namespace

float FunctionNameGap() {
    // A thin space between the glyphs. The character width rule takes 0.36
    // em off the measured box, which holds the glyph's advance and the side
    // padding on both sides; what it takes beyond the padding is added back.
    constexpr float kThinSpace = 1.0f / 6.0f;
    constexpr float kWidthTrim = 0.36f;
    return kThinSpace + kWidthTrim - 2 * gp::kStringSidePaddingEm;
}

uint16_t Latinise(uint16_t code) {
    switch (code) {
    case 0x0393: return 'F';
    case 0x0394:
    case 0x039B: return 'A';
    case 0x0398:
    case 0x03A9: return 'O';
    case 0x039E:
    case 0x03A3: return 'E';
    case 0x03A0: return 'M';
    case 0x03A6:
    case 0x03A8: return 'B';
    case 0x03D2: return 'Y';
    case 0x2207: return 'V';
    default: return code;
    }
}

float KernItalicToUpright(const EqElement* n) {
    if (IsDigitElement(n)) return 0.5f * SpacingOf(n, SpacingItalicToUprightKern);
    if (IsPunctuationElement(n)) return 0;
    return SpacingOf(n, SpacingItalicToUprightKern);
}

float KernUprightToItalic(const EqElement* c) {
    if (IsPunctuationElement(c)) return 0;
    if (IsDigitElement(c)) return 0.25f * SpacingOf(c, SpacingUprightToItalicKern);
    if (!c) return 0;
    if (c->ch == 0x2202) return 0.05f;
    if (c->ch == 'd' || c->ch == 0x2207 || c->ch == 0x0394) return 0;
    return SpacingOf(c, SpacingUprightToItalicKern);
}

float KernUprightPair(const EqElement* c, const EqElement* n) {
    const bool dc = IsDigitElement(c);
    const bool dn = IsDigitElement(n);
    if (dc != dn) return 0.1f;
    if (dc && dn) return holds(c, '1') && holds(n, '1') ? -0.05f : 0.0f;
    return 0;
}

float KernItalicPair(const EqElement* ce, const EqElement* ne) {
    if (!ce || !ne || !ne->payload.empty()) return 0;
    const uint16_t c = Latinise(ce->ch);
    const uint16_t n = Latinise(ne->ch);
    float d = (c == 'C' && (n == 'V' || n == 'W' || n == 'Y')) ? 0.03f : 0.0f;
    if (isLower(n)) {
        if (oneOf(c, {'U', 'V', 'W', 'Y'}) && !oneOf(n, {'b', 'h', 'k', 'l'})) d -= 0.06f;
        if (n == 'r') d += 0.06f;
        if (c == 'x') d += 0.03f;
        else if (oneOf(c, {0x03B2, 0x03C1, 0x03C9})) d += 0.09f;
    }
    return d;
}

float CharGapAfter(const EqElement* e) {
    if (!e || !e->next) return 0;
    const EqElement* n = e->next;
    if (IsSpaceElement(n) && n->next) n = SkipSpacesAfter(n);
    float g = 0;
    if (e->ch != 0x20 && e->ch != 0) {
        float d = 0;
        if (n->type <= 4) {
            if (isItalic(n) && n->ch == 'f') d = 0.06f;
            if (isItalic(e)) {
                if (!isItalic(n)) d += KernItalicToUpright(n);
                else if (!IsDigitElement(e) && !IsDigitElement(n)) d += KernItalicPair(e, n);
                if (e->ch == 'f') d += 0.06f;
            } else {
                d += isItalic(n) ? KernUprightToItalic(e) : KernUprightPair(e, n);
            }
        }
        g = SpacingOf(e, SpacingElementGap) + d;
    }
    if (e->ch == '!' && !holds(n, '!')) g += 0.1f;
    if (e->ch == ',' || e->ch == ';') g += 0.12f;
    // A function name stays apart from its argument: "sin h" must not read
    // as "sinh".
    if (endsFunctionName(e) && isNameArgument(e->next)) g = std::max(g, FunctionNameGap());
    return g;
}

float SuperscriptKern(const EqElement* script) {
    const EqElement* p = charBefore(script);
    if (!p) return 0;
    const uint16_t c = Latinise(p->ch);
    if (c == 0x03BB || c == 'A') return 0.08f;
    if (!isItalic(p)) return 0;
    if (c >= 'U' && c <= 'Y') return 0.08f;
    if (c == 'b' || c == 'h') return 0.04f;
    if (c == 'l') return 0.02f;
    return 0;
}

float SubscriptKern(const EqElement* script) {
    const EqElement* p = charBefore(script);
    if (!p) return 0;
    const uint16_t c = p->ch;
    if (isItalic(p)) {
        if (oneOf(c, {'C', 'H', 'I', 'J', 'K', 'M', 'N', 'r', 0x03C3, 0x03C4})) return 0.05f;
        if (c == 'F' || c == 'P') return 0.1f;
        if (oneOf(c, {'T', 'V', 'W', 'Y'})) return 0.12f;
        if (c == 'U' || c == 'f') return 0.08f;
        return 0;
    }
    if (c == 'F' || c == 'P') return 0.08f;
    if (oneOf(c, {'T', 'V', 'W', 'Y'})) return 0.1f;
    if (oneOf(c, {'U', 'f', 'r', 0x03C3, 0x03C4})) return 0.04f;
    return 0;
}

float PreSuperscriptKern(const EqElement* script) {
    const EqElement* n = elementAfter(script);
    if (!isItalic(n)) return 0;
    const uint16_t c = n->ch;
    if (c == 'A') return 0.07f;
    if (oneOf(c, {'B', 'D', 'E', 'F', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'P', 'R', 'S', 'X', 'g', 'j', 'p'}))
        return 0.04f;
    if (oneOf(c, {'C', 'G', 'Z', 0x03BB})) return 0.02f;
    return 0;
}

float PreSubscriptKern(const EqElement* script) {
    const EqElement* n = elementAfter(script);
    if (!isItalic(n)) return 0;
    const uint16_t c = n->ch;
    if (oneOf(c, {'J', 'O', 'S', 'X', 'Y'})) return 0.04f;
    if (c == 'T' || c == 'U') return 0.06f;
    if ((c >= 'C' && c <= 'Z' && c != 'R') || c == 0x03C3 || c == 0x03C4) return 0.02f;
    return 0;
}

float GapBeforeSuperscript(const EqElement* script) {
    return SpacingOf(script, SpacingSuperscriptGap) +
           (isItalic(elementBefore(script)) ? 0.5f * SpacingOf(script, SpacingItalicScriptKern) : 0.0f);
}

float GapBeforeSubscript(const EqElement* script) {
    return SpacingOf(script, SpacingSubscriptGap) -
           (isItalic(elementBefore(script)) ? 0.5f * SpacingOf(script, SpacingItalicScriptKern) : 0.0f);
}

float GapBeforePreSuperscript(const EqElement* script) {
    return SpacingOf(script, SpacingSuperscriptGap) +
           (isItalic(elementAfter(script)) ? 0.5f * SpacingOf(script, SpacingItalicScriptKern) : 0.0f);
}

float GapBeforePreSubscript(const EqElement* script) {
    return SpacingOf(script, SpacingSubscriptGap) -
           (isItalic(elementAfter(script)) ? 0.5f * SpacingOf(script, SpacingItalicScriptKern) : 0.0f);
}

float GapAfterScript(const EqElement* next, const EqElement* script) {
    const float base = SpacingOf(script, SpacingElementGap);
    if (next && !isHead(next)) {
        if (IsOperatorType(next->type)) return base + 0.01f;
        if (inRange(next->type, EqTypeSuperscript, EqTypeBaselineScript) || IsPreScriptType(next->type)) return base;
        return base + 0.15f;
    }
    if (script && script->parent && IsBracketType(script->parent->type) && script->type != EqTypeSubscript)
        return base + (script->type == EqTypeBaselineScript ? 0.05f : 0.1f);
    return 0;
}

}  // namespace toliva
