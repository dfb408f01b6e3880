#include "CaretMoves.h"

#include "HitTest.h"

#include "model/EqModel.h"

#include <algorithm>

namespace toliva {

namespace {

int chainIndexIn(const EqElement* s, const EqElement* head) {
    const auto it = std::find(s->children.begin(), s->children.end(), head);
    return it == s->children.end() ? -1 : int(it - s->children.begin());
}

// The caret inside a calculation result stands on the result.
EqElement* outerCaret(EqElement* caret) {
    EqElement* result = FindCalcResultAncestor(caret);
    return result ? result : caret;
}

bool isStructure(const EqElement* e) { return e && !e->children.empty() && e->type != EqTypeCalcResult; }

bool isBigOrIntegral(int32_t t) { return IsBigOperatorType(t) || IsIntegralType(t); }

bool isBevelled(int32_t t) { return t == EqTypeBevelledFraction || t == EqTypeSlashFraction; }

// Bevelled fractions and brackets with more than one chain go from chain 0 to 1.
bool pairsFirstTwo(const EqElement* s) {
    return isBevelled(s->type) || (IsBracketType(s->type) && s->children.size() > 1);
}

EqElement* chainAt(const EqElement* s, int i) {
    if (i < 0 || i >= int(s->children.size())) return nullptr;
    return s->children[size_t(i)];
}

}  // namespace

int EnteringChain(const EqElement* s, bool fromRight) {
    if (!s) return -1;
    const int n = int(s->children.size());
    if (n == 0) return -1;
    const int32_t t = s->type;
    if (fromRight) {
        if (n == 1) return 0;
        if (isBigOrIntegral(t) || IsMatrixType(t)) return n - 1;
        if (pairsFirstTwo(s)) return 1;
        return 0;
    }
    if (IsMatrixType(t)) return 0;
    if (n >= 3) return (isBigOrIntegral(t) || t == EqTypeLongDivision) ? 1 : 0;
    if (n == 2) return (t == EqTypeRoot || t == EqTypeSubSuperscript) ? 1 : 0;
    return 0;
}

int SiblingChain(const EqElement* s, int b, bool left) {
    if (!s) return -1;
    const int n = int(s->children.size());
    if (n < 2 || b < 0 || b >= n) return -1;
    const int32_t t = s->type;
    if (t == EqTypeMatrix) {
        const int columns = MatrixColumnCount(s);
        if (left) return (b > 0 && b % columns != 0) ? b - 1 : -1;
        return (b + 1 < n && (b + 1) % columns != 0) ? b + 1 : -1;
    }
    if (t == EqTypeMatrixRow) {
        const int target = left ? b - 1 : b + 1;
        return (target >= 0 && target < n) ? target : -1;
    }
    if (left) {
        if (b == 0) return (t == EqTypeLongDivision || t == EqTypeRoot) ? 1 : -1;
        if (b == 1) return (isBigOrIntegral(t) || pairsFirstTwo(s)) ? 0 : -1;
        if (isBigOrIntegral(t)) return 0;
        return t == EqTypeLongDivision ? 1 : -1;
    }
    if (b == 0) {
        if (isBigOrIntegral(t)) return n < 3 ? 1 : 2;
        return pairsFirstTwo(s) ? 1 : -1;
    }
    if (b == 1) {
        if (isBigOrIntegral(t) && n > 2) return 2;
        return (t == EqTypeLongDivision || t == EqTypeRoot) ? 0 : -1;
    }
    return -1;
}

namespace {

int stackedChain(const EqElement* s, bool fromRight, bool upper) {
    if (!s || s->children.empty()) return -1;
    const int32_t t = s->type;
    int chain = -1;
    if (IsMatrixType(t)) {
        const int rows = MatrixRowCount(s), columns = MatrixColumnCount(s);
        if (rows < 2) return -1;
        if (upper) chain = fromRight ? columns - 1 : 0;
        else chain = fromRight ? int(s->children.size()) - 1 : (rows - 1) * columns;
    } else if (upper) {
        switch (t) {
        case EqTypeFraction:
        case EqTypeBevelledFraction:
        case EqTypeSmallFraction:
        case EqTypeSuperscript:
        case EqTypeBarScripts:
        case EqTypeSideScripts:
        case EqTypeSubSuperscript: chain = 0; break;
        case EqTypeLongDivision: chain = 2; break;
        case EqTypeOverScript:
        case EqTypeOverUnderScript: chain = 1; break;
        default:
            if (t >= EqTypeExtArrowAboveFirst && t <= EqTypeExtArrowBelowLast) chain = 0;
            break;
        }
    } else {
        switch (t) {
        case EqTypeFraction:
        case EqTypeBevelledFraction:
        case EqTypeBarScripts:
        case EqTypeSideScripts:
        case EqTypeSubSuperscript:
        case EqTypeUnderScript:
        case EqTypeUnderScriptClose: chain = 1; break;
        case EqTypeSubscript: chain = 0; break;
        case EqTypeOverUnderScript: chain = 2; break;
        default:
            if (t >= EqTypeExtArrowBelowFirst && t < EqTypeExtArrowBelowLast) chain = 1;
            break;
        }
    }
    return chain < int(s->children.size()) ? chain : -1;
}

EqElement* vertical(EqElement* caret, bool upper) {
    if (!caret) return nullptr;
    caret = outerCaret(caret);
    if (isStructure(caret)) {
        if (EqElement* head = chainAt(caret, stackedChain(caret, true, upper))) return FindChainEnd(head);
    }
    if (isStructure(caret->next)) {
        if (EqElement* head = chainAt(caret->next, stackedChain(caret->next, false, upper))) return head;
    }
    return upper ? ElementAbove(caret) : ElementBelow(caret);
}

}  // namespace

int UpperChain(const EqElement* s, bool fromRight) { return stackedChain(s, fromRight, true); }
int LowerChain(const EqElement* s, bool fromRight) { return stackedChain(s, fromRight, false); }

EqElement* CaretLeft(EqModel*, EqElement* caret, bool shift) {
    if (!caret) return nullptr;
    caret = outerCaret(caret);
    if (!shift && isStructure(caret)) {
        if (EqElement* head = chainAt(caret, EnteringChain(caret, true))) return FindChainEnd(head);
    }
    if (caret->prev) return caret->prev;
    // At a chain head.
    if (EqElement* s = caret->parent) {
        if (!shift) {
            if (EqElement* head = chainAt(s, SiblingChain(s, chainIndexIn(s, caret), true))) return FindChainEnd(head);
        }
        return s->prev;
    }
    EqElement* previous = PreviousLineHead(caret);
    return previous ? FindChainEnd(previous) : nullptr;
}

EqElement* CaretRight(EqModel*, EqElement* caret, bool shift) {
    if (!caret) return nullptr;
    caret = outerCaret(caret);
    EqElement* head = FindChainStart(caret);
    EqElement* s = head->parent;
    if (!shift) {
        if (isStructure(caret->next)) {
            if (EqElement* target = chainAt(caret->next, EnteringChain(caret->next, false))) return target;
        }
        if (!caret->next && s) {
            if (EqElement* target = chainAt(s, SiblingChain(s, chainIndexIn(s, head), false))) return target;
        }
    }
    if (caret->next) return caret->next;
    if (s) return s;
    return NextLineHead(caret);
}

EqElement* CaretUp(EqModel*, EqElement* caret) { return vertical(caret, true); }
EqElement* CaretDown(EqModel*, EqElement* caret) { return vertical(caret, false); }

EqElement* CaretHome(EqElement* caret) {
    if (!caret) return nullptr;
    caret = outerCaret(caret);
    EqElement* head = FindChainStart(caret);
    if (head != caret) return head;
    return head->parent ? FindChainStart(head->parent) : nullptr;
}

EqElement* CaretEnd(EqElement* caret) {
    if (!caret) return nullptr;
    caret = outerCaret(caret);
    EqElement* last = FindChainEnd(caret);
    if (last != caret) return last;
    EqElement* s = FindChainStart(caret)->parent;
    if (!s) return nullptr;
    EqElement* outerLast = FindChainEnd(s);
    return outerLast != caret ? outerLast : nullptr;
}

EqElement* CaretTab(EqElement* caret) {
    if (!caret) return nullptr;
    caret = outerCaret(caret);
    EqElement* head = FindChainStart(caret);
    if (EqElement* s = head->parent; s && s->children.size() > 1) {
        const int i = chainIndexIn(s, head);
        if (EqElement* nextChain = chainAt(s, i + 1)) return nextChain;
        return s;
    }
    if (isStructure(caret->next)) return caret->next->children.front();
    return nullptr;
}

EqElement* DocumentStart(EqModel* eq) { return eq && !eq->lines.empty() ? eq->lines.front() : nullptr; }

EqElement* DocumentEnd(EqModel* eq) { return eq && !eq->lines.empty() ? FindChainEnd(eq->lines.back()) : nullptr; }

}  // namespace toliva
