#include "Selection.h"

#include "CaretMoves.h"
#include "HitTest.h"

#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"

#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

void walkHitBoxes(EqElement* head, int depth, SheetSelection& selection, int& index) {
    for (EqElement* e = head; e; e = e->next) {
        const gp::RectF& r = e->rect;
        selection.hitBoxes.push_back({e, int(std::lround(r.x)), int(std::lround(r.y)),
                                      int(std::lround(r.x + r.width)), int(std::lround(r.y + r.height)), depth});
        e->workInt = index++;
        for (EqElement* child : e->children) walkHitBoxes(child, depth + 1, selection, index);
    }
}

EqElement* outerElement(EqElement* e) {
    EqElement* result = FindCalcResultAncestor(e);
    return result ? result : e;
}

bool isWordChar(const EqElement* e) {
    return e && IsCharType(e->type) && e->ch != 0 && e->ch != 32;
}

// The element after a caret position: the rest of its chain, then, in a
// top-level line, the next line's head.
EqElement* elementAfter(EqElement* e) {
    if (e->next) return e->next;
    if (!FindChainStart(e)->parent) return NextLineHead(e);
    return nullptr;
}

}  // namespace

void RebuildHitBoxes(EqModel* eq, SheetSelection& selection) {
    if (!eq || !selection.rebuildHitBoxes) return;
    selection.hitBoxes.clear();
    int index = 0;
    for (EqElement* head : eq->lines) walkHitBoxes(head, 0, selection, index);
    selection.rebuildHitBoxes = false;
}

void ClearSelection(EqModel* eq, SheetSelection& selection, bool rebuild) {
    if (rebuild) RebuildHitBoxes(eq, selection);
    if (!selection.exists()) return;
    for (EqElement* e : selection.items) SetElementSelected(e, false);
    selection.items.clear();
    selection.appliedAnchor = selection.appliedEnd = nullptr;
}

void AddToSelection(SheetSelection& selection, EqElement* e) {
    if (!e) return;
    e = outerElement(e);
    if (IsElementSelected(e)) return;  // several elements of one result
    SetElementSelected(e, true);
    selection.items.push_back(e);
}

void SelectRun(SheetSelection& selection, EqElement* first, EqElement* last) {
    for (EqElement* e = first; e; e = e->next) {
        AddToSelection(selection, e);
        if (e == last) break;
    }
}

void SelectRange(EqModel* eq, SheetSelection& selection, EqElement* anchor, EqElement* caret) {
    if (!eq) return;
    ClearSelection(eq, selection, true);
    if (!anchor || !caret) return;
    EqElement* a = outerElement(anchor);
    EqElement* c = outerElement(caret);
    if (a == c) return;
    bool aRaised = false, cRaised = false;
    if (FindLineHead(a) == FindLineHead(c)) {
        if (FindChainStart(a) != FindChainStart(c)) {
            // The nearest ancestors of the two ends that share one chain.
            std::vector<EqElement*> aPath;
            for (EqElement* x = a; x; x = x->parent) aPath.push_back(x);
            EqElement* aCommon = nullptr;
            EqElement* cCommon = nullptr;
            for (EqElement* y = c; y && !aCommon; y = y->parent) {
                EqElement* chain = FindChainStart(y);
                for (EqElement* x : aPath) {
                    if (FindChainStart(x) == chain) {
                        aCommon = x;
                        cCommon = y;
                        break;
                    }
                }
            }
            if (!aCommon) return;
            aRaised = aCommon != a;
            cRaised = cCommon != c;
            a = aCommon;
            c = cCommon;
            if (a == c) {
                // Different argument chains of one structure: the structure.
                AddToSelection(selection, a);
                return;
            }
        }
    } else {
        EqElement* aTop = a;
        while (aTop->parent) aTop = aTop->parent;
        EqElement* cTop = c;
        while (cTop->parent) cTop = cTop->parent;
        aRaised = aTop != a;
        cRaised = cTop != c;
        a = aTop;
        c = cTop;
    }
    bool startRaised = aRaised;
    if (RunningIndex(c) < RunningIndex(a)) {
        std::swap(a, c);
        startRaised = cRaised;
    }
    // The start is a caret position: its own element is not selected, unless
    // the start was raised to a structure that holds the position.
    EqElement* start = startRaised ? a : elementAfter(a);
    const bool acrossLines = FindLineHead(a) != FindLineHead(c);
    for (EqElement* e = start; e;) {
        AddToSelection(selection, e);
        if (e == c) break;
        e = acrossLines ? elementAfter(e) : e->next;
    }
}

EqElement* SelectAll(EqModel* eq, SheetSelection& selection) {
    if (!eq || eq->lines.empty()) return nullptr;
    ClearSelection(eq, selection, true);
    selection.rebuildHitBoxes = true;
    RebuildHitBoxes(eq, selection);
    for (const HitBox& box : selection.hitBoxes) {
        if (box.depth == 0) AddToSelection(selection, box.element);
    }
    if (!selection.items.empty()) {
        SetElementSelected(selection.items.front(), false);
        selection.items.erase(selection.items.begin());
    }
    EqElement* end = FindChainEnd(eq->lines.back());
    SetEquationCaret(eq, end);
    return end;
}

void SelectWordAt(EqModel* eq, SheetSelection& selection, QPointF point) {
    if (!eq) return;
    ClearSelection(eq, selection, true);
    EqElement* caret = GetEquationCaret(eq);
    if (!caret) return;
    EqElement* lineHead = FindLineHead(caret);
    bool insideLine = false;
    for (const LinePlacement& p : eq->placements) {
        if (p.head != lineHead) continue;
        insideLine = point.x() >= p.x && point.x() < p.x + p.width && point.y() >= p.y - p.ascent &&
                     point.y() < p.y + p.descent;
    }
    if (!insideLine) {
        EqElement* first = caret->type == EqTypeChainHead ? caret->next : caret;
        if (first) SelectRun(selection, first, FindChainEnd(first));
        return;
    }
    // The word the caret stands in: a click at a word's left edge leaves the
    // caret before its first character.
    EqElement* seed = caret;
    if (!isWordChar(seed) && isWordChar(seed->next)) seed = seed->next;
    if (!isWordChar(seed)) {
        if (seed->type != EqTypeChainHead) SelectRun(selection, seed, seed);
        return;
    }
    EqElement* first = seed;
    while (isWordChar(first->prev)) first = first->prev;
    EqElement* last = seed;
    while (isWordChar(last->next)) last = last->next;
    SelectRun(selection, first, last);
}

bool PointInSelection(const SheetSelection& selection, QPoint point, QRect* unionOut) {
    QRect tested;
    bool inside = false;
    for (const QRect& r : selection.highlight) {
        tested = tested.united(r);
        if (r.contains(point)) {
            inside = true;
            break;
        }
    }
    if (unionOut) *unionOut = tested;
    return inside;
}

int SelectionScope(EqModel* eq, const SheetSelection& selection) {
    if (!selection.exists()) return 2;
    EqElement* line = FindLineHead(GetEquationCaret(eq));
    EqElement* first = selection.items.front();
    EqElement* last = selection.items.back();
    if (!line || FindLineHead(first) != line || FindLineHead(last) != line) return 0;
    if ((first->prev && last->next) || (first->parent && last->parent)) return 2;
    return 1;
}

std::vector<EqElement*> FirstSelectedElements(const SheetSelection& selection) {
    auto it = std::find_if(selection.items.begin(), selection.items.end(),
                           [](const EqElement* e) { return e->type != EqTypeChainHead; });
    std::vector<EqElement*> run(it, selection.items.end());
    for (const EqElement* e : run) {
        if (e->type == EqTypeChainHead) return {};
    }
    return run;
}

namespace {

void addHighlight(std::vector<QRect>& rects, int left, int top, int right, int bottom) {
    for (QRect& r : rects) {
        const int rRight = r.x() + r.width();
        const int rBottom = r.y() + r.height();
        if (r.y() == top && rBottom == bottom && left <= rRight && right >= r.x()) {
            const int l = std::min(left, r.x()), rr = std::max(right, rRight);
            r = QRect(l, top, rr - l, bottom - top);
            return;
        }
    }
    rects.emplace_back(left, top, right - left, bottom - top);
}

void paintChain(EqElement* head, SheetSelection& selection, gp::Graphics& graphics, const gp::SolidBrush& brush) {
    for (EqElement* e = head; e; e = e->next) {
        if (IsElementSelected(e)) {
            if (e->type == EqTypeChainHead) continue;
            const gp::RectF& r = e->rect;
            graphics.FillRectangle(brush, r);
            addHighlight(selection.highlight, int(std::lround(r.x)), int(std::lround(r.y)),
                         int(std::lround(r.x + r.width)), int(std::lround(r.y + r.height)));
        } else {
            for (EqElement* child : e->children) paintChain(child, selection, graphics, brush);
        }
    }
}

bool isToggleStyle(int32_t t) { return t >= EqTypeCharUpright && t <= EqTypeCharBoldItalic; }

int toggledStyle(int32_t t) {
    switch (t) {
    case EqTypeCharUpright: return EqTypeCharItalic;
    case EqTypeCharItalic: return EqTypeCharUpright;
    case EqTypeCharBold: return EqTypeCharBoldItalic;
    case EqTypeCharBoldItalic: return EqTypeCharBold;
    default: return t;
    }
}

bool restyleOne(EqElement* e, int style, const RenderContext* context) {
    bool changed = false;
    const int32_t t = e->type;
    if (IsCharType(t)) {
        const int target = style < 0 ? toggledStyle(t) : style;
        // A character style only: a glyph or structure type would turn the
        // character into something it is not.
        if (style < 0 || IsCharType(target)) {
            if (target != t) {
                e->type = target;
                changed = true;
            }
        }
    } else if (t == EqTypeGlyphSymbol) {
        if ((style == 1 || style == 2) && e->ch >= 355 && e->ch <= 380) {
            e->ch = uint16_t(e->ch - 297);
            e->glyph.reset();
            if (context && e->owner) {
                RenderScope scope(e->owner, *context);
                EnsureGlyphPath(e);
            }
            changed = true;
        } else if (style == 3 || style == 4) {
            e->type = EqTypeGlyphSymbolBold;
            changed = true;
        }
    } else if (t == EqTypeGlyphSymbolBold) {
        if (style == 1 || style == 2) {
            e->type = EqTypeGlyphSymbol;
            changed = true;
        }
    }
    for (EqElement* head : e->children) {
        for (EqElement* c = head->next; c; c = c->next) changed = restyleOne(c, style, context) || changed;
    }
    return changed;
}

void setFlagsDeep(EqElement* e, uint8_t flags) {
    e->phantom = int8_t((uint8_t(e->phantom) & kCaretMarkBit) | (flags & ~kCaretMarkBit));
    for (EqElement* head : e->children) {
        for (EqElement* c = head; c; c = c->next) setFlagsDeep(c, flags);
    }
}

bool matchesAt(const EqElement* e, const std::vector<EqElement*>& pattern) {
    for (const EqElement* p : pattern) {
        if (!e || !ElementsEqual(e, p)) return false;
        e = e->next;
    }
    return true;
}

void markChain(EqElement* head, const std::vector<EqElement*>& pattern) {
    EqElement* e = head;
    while (e) {
        if (e->type != EqTypeChainHead && matchesAt(e, pattern)) {
            for (size_t i = 0; i < pattern.size(); ++i) {
                e->mark = 1;
                e = e->next;
            }
            continue;
        }
        for (EqElement* child : e->children) markChain(child, pattern);
        e = e->next;
    }
}

}  // namespace

void PaintSelection(EqModel* eq, SheetSelection& selection, gp::Graphics& graphics) {
    selection.highlight.clear();
    if (!eq) return;
    const gp::SolidBrush brush(kSelectionFill);
    for (const LinePlacement& p : eq->placements) {
        if (p.head) paintChain(p.head, selection, graphics, brush);
    }
}

bool RestyleElement(EqElement* e, int style, const RenderContext* context) {
    if (!e) return false;
    const bool changed = restyleOne(e, style, context);
    if (changed && e->owner) InvalidateLineCache(e->owner, e);
    return changed;
}

bool RestyleSelection(EqModel* eq, const SheetSelection& selection, int style, const RenderContext* context) {
    if (!eq) return false;
    if (!selection.exists()) {
        EqElement* caret = GetEquationCaret(eq);
        if (!caret || !(isToggleStyle(caret->type) || IsGlyphSymbolType(caret->type))) return false;
        return RestyleElement(caret, style, context);
    }
    bool changed = false;
    for (EqElement* e : selection.items) changed = RestyleElement(e, style, context) || changed;
    return changed;
}

void SetSelectionColourOn(const SheetSelection& selection, gp::ARGB colour) {
    for (EqElement* e : selection.items) {
        SetElementColour(e, gp::ColorrefFromArgb(colour), false);
        if (e->owner) InvalidateLineCache(e->owner, e);
    }
}

void SetSelectionFlagsOn(const SheetSelection& selection, uint8_t flags) {
    for (EqElement* e : selection.items) {
        // A line head in a selection across lines stands for the line break;
        // a phantom kind on it would fold the whole line.
        if (e->type == EqTypeChainHead && !e->parent) continue;
        setFlagsDeep(e, flags);
        if (e->owner) InvalidateLineCache(e->owner, e);
    }
}

int MarkOccurrences(EqModel* eq, SheetSelection& selection) {
    if (!eq || !selection.exists()) return 0;
    const std::vector<EqElement*>& pattern = selection.items;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i]->type == EqTypeChainHead) return 0;
        if (i > 0 && pattern[i - 1]->next != pattern[i]) return 0;
    }
    ClearEquationMarks(eq, false);
    selection.foundPatternLength = int(pattern.size());
    for (EqElement* head : eq->lines) markChain(head, pattern);
    InvalidateAllLineCaches(eq);
    return selection.foundPatternLength;
}

void ResetFindMarks(EqModel* eq, SheetSelection& selection, bool flag) {
    if (eq && flag) {
        ClearEquationMarks(eq, false);
        InvalidateAllLineCaches(eq);
    }
    selection.foundPatternLength = 0;
}

EqElement* SkipBackOverSpaces(EqElement* e) {
    for (; e; e = e->prev) {
        if (IsCharType(e->type) && e->ch == 32) continue;
        if (IsSpaceType(e->type)) continue;
        return e;
    }
    return nullptr;
}

EqElement* IsScriptOfType174(EqElement* e, EqElement** out) {
    if (!e || e->type != EqTypeSubscript) return nullptr;
    if (out) *out = e;
    return e;
}

}  // namespace toliva
