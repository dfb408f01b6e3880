#include "EqTypes.h"

#include "EqElement.h"

namespace toliva {
namespace {

// A character element holding the given code range.
bool charHolds(const EqElement* e, uint16_t lo, uint16_t hi) {
    return e && IsCharType(e->type) && e->ch >= lo && e->ch <= hi;
}

bool isFractionAncestorType(int32_t t) {
    return t == EqTypeFraction || t == EqTypeBevelledFraction || t == EqTypeSlashFraction || t == EqTypeSmallFraction;
}

}  // namespace

bool IsCharType(const EqElement* e) { return e && IsCharType(e->type); }
bool IsStyledCharType(const EqElement* e) { return e && IsStyledCharType(e->type); }
bool IsGlyphSymbolType(const EqElement* e) { return e && IsGlyphSymbolType(e->type); }
bool IsGlyphSymbolOperator(const EqElement* e) { return e && e->type == EqTypeGlyphSymbol && inRange(e->ch, 233, 354); }
bool IsOverAccentType(const EqElement* e) { return e && IsOverAccentType(e->type); }
bool IsUnderAccentType(const EqElement* e) { return e && IsUnderAccentType(e->type); }
bool IsEnclosureType(const EqElement* e) { return e && IsEnclosureType(e->type); }
bool IsIntegralType(const EqElement* e) { return e && IsIntegralType(e->type); }
bool IsBigOperatorType(const EqElement* e) { return e && IsBigOperatorType(e->type); }
bool IsBracketType(const EqElement* e) { return e && IsBracketType(e->type); }
bool IsMatrixType(const EqElement* e) { return e && IsMatrixType(e->type); }
bool IsArrowSymbolType(const EqElement* e) { return e && IsArrowSymbolType(e->type); }
bool IsExtArrowType(const EqElement* e) { return e && IsExtArrowType(e->type); }
bool IsExtArrowAboveType(const EqElement* e) { return e && IsExtArrowAboveType(e->type); }
bool IsExtArrowBelowType(const EqElement* e) { return e && IsExtArrowBelowType(e->type); }
bool IsExtArrowGlyphType(const EqElement* e) { return e && IsExtArrowGlyphType(e->type); }
bool IsFrameMarkType(const EqElement* e) { return e && IsFrameMarkType(e->type); }
bool IsCompactGroupType(const EqElement* e) { return e && IsCompactGroupType(e->type); }
bool IsOperatorType(const EqElement* e) { return e && IsOperatorType(e->type); }
bool IsRelationOperator(const EqElement* e) { return e && IsRelationOperatorType(e->type); }

bool IsSpaceElement(const EqElement* e) {
    if (!e) return false;
    return IsSpaceType(e->type) || charHolds(e, 0x20, 0x20);
}

bool IsDigitElement(const EqElement* e) { return charHolds(e, '0', '9'); }

bool IsNumberCharElement(const EqElement* e) { return charHolds(e, '0', '9') || charHolds(e, '.', '.'); }

bool IsBracketCharElement(const EqElement* e) {
    if (!IsCharType(e)) return false;
    switch (e->ch) {
    case '(': case ')': case '[': case ']': case '{': case '}':
        return true;
    default:
        return false;
    }
}

bool IsPunctuationChar(uint16_t code) {
    switch (code) {
    case 0x21: case 0x23: case 0x24: case 0x25: case 0x26: case 0x2A: case 0x2C: case 0x2E: case 0x2F:
    case 0x3A: case 0x3B: case 0x3F: case 0x40: case 0x5C: case 0x5E: case 0x5F: case 0x7C: case 0x7E:
    case 0x2030:
        return true;
    default:
        return false;
    }
}

bool IsPunctuationElement(const EqElement* e) { return IsCharType(e) && IsPunctuationChar(e->ch); }

bool IsCJKElement(const EqElement* e) { return charHolds(e, 0x2E80, 0x9FFF) || charHolds(e, 0xFF00, 0xFFEF); }

bool IsNumericChain(const EqElement* e) {
    if (!e) return false;
    for (; e; e = e->next) {
        if (!e->children.empty()) return false;
        if (e->type != EqTypeChainHead && !IsDigitElement(e) && !IsPunctuationElement(e)) return false;
    }
    return true;
}

bool HasFractionAncestor(const EqElement* e) {
    if (!e) return false;
    for (const EqElement* p = e->parent; p; p = p->parent) {
        if (isFractionAncestorType(p->type)) return true;
    }
    return false;
}

BracketDelimiters GetBracketDelimiters(const EqElement* bracket) {
    if (!bracket) return {};
    const int32_t t = bracket->type;
    auto pair = [](int left, int right) { return BracketDelimiters{uint8_t(left), uint8_t(right)}; };
    if (inRange(t, 353, 358)) return pair(t - 352, 0);
    if (inRange(t, 360, 365)) return pair(0, 17 + (t - 360));
    switch (t) {
    case 337: return pair(1, 17);
    case 338: case 367: return pair(2, 18);
    case 339: return pair(3, 19);
    case 340: case 368: return pair(4, 20);
    case 341: return pair(5, 21);
    case 342: return pair(6, 22);
    case 343: return pair(7, 24);
    case 344: return pair(8, 23);
    case 345: return pair(9, 25);
    case 346: return pair(2, 2);
    case 347: return pair(18, 18);
    case 348: return pair(18, 2);
    case 349: return pair(1, 18);
    case 350: return pair(2, 17);
    case 351: return pair(4, 21);
    case 352: return pair(5, 20);
    case 359: return pair(9, 0);
    case 366: return pair(0, 25);
    default: return pair(bracket->ch >> 8, bracket->ch & 0xFF);
    }
}

}  // namespace toliva
