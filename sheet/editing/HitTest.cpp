#include "HitTest.h"

#include "Selection.h"

#include "model/EqModel.h"
#include "model/EqSpacing.h"

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

bool boxHolds(const gp::RectF& r, QPointF p) {
    return p.x() >= r.x && p.x() < r.x + r.width && p.y() >= r.y && p.y() < r.y + r.height;
}

gp::RectF placementBox(const LinePlacement& p) { return {p.x, p.y - p.ascent, p.width, p.ascent + p.descent}; }

int chainIndexIn(const EqElement* structure, const EqElement* head) {
    const auto& c = structure->children;
    const auto it = std::find(c.begin(), c.end(), head);
    return it == c.end() ? -1 : int(it - c.begin());
}

int lineIndexOf(const EqModel* eq, const EqElement* head) {
    const auto it = std::find(eq->lines.begin(), eq->lines.end(), head);
    return it == eq->lines.end() ? -1 : int(it - eq->lines.begin());
}

bool inTypeRange(int32_t t, int lo, int hi) { return t == lo || (t >= lo && t <= hi); }

}  // namespace

int MatrixColumnCount(const EqElement* m) {
    if (!m || !IsMatrixType(m->type)) return 0;
    return std::max(1, GetMatrixShape(m).count1);
}

int MatrixRowCount(const EqElement* m) {
    if (!m || !IsMatrixType(m->type)) return 0;
    return std::max(1, GetMatrixShape(m).count2);
}

EqElement* ElementAtPoint(EqElement* first, QPointF point) {
    for (EqElement* e = first; e; e = e->next) {
        if (!boxHolds(e->rect, point)) continue;
        for (EqElement* head : e->children) {
            if (EqElement* inner = ElementAtPoint(head, point)) return inner;
        }
        return e;
    }
    return nullptr;
}

EqElement* ElementAtPointInLines(EqModel* eq, QPointF point) {
    if (!eq) return nullptr;
    for (const LinePlacement& p : eq->placements) {
        if (p.head && boxHolds(placementBox(p), point)) return ElementAtPoint(p.head, point);
    }
    return nullptr;
}

EqElement* CaretHitElement(EqElement* first, QPointF point, float d) {
    if (!first || !first->owner) return nullptr;
    const EqModel* eq = first->owner;
    const float reach = eq->settings.fontSize * SpacingOf(eq, SpacingElementGap) * d;
    for (EqElement* e = first; e; e = e->next) {
        const gp::RectF& r = e->rect;
        const float left = r.x - (e->type == EqTypeChainHead ? 3 * d : d);
        const float right = r.x + r.width + d;
        const float top = r.y - reach;
        const float bottom = r.y + r.height + reach;
        if (point.x() < left || point.x() >= right || point.y() < top || point.y() >= bottom) continue;
        if (e->type == EqTypeChainHead) return e;
        for (EqElement* head : e->children) {
            if (EqElement* inner = CaretHitElement(head, point, d)) return inner;
        }
        if (point.x() >= r.x + r.width / 2) return e;
        return e->prev ? e->prev : e;
    }
    return nullptr;
}

EqElement* CaretHitInLines(EqModel* eq, QPointF point, float d) {
    if (!eq) return nullptr;
    const LinePlacement* best = nullptr;
    float bestDistance = 0;
    for (const LinePlacement& p : eq->placements) {
        if (!p.head) continue;
        const gp::RectF box = placementBox(p);
        float distance = 0;
        if (point.y() < box.y) distance = float(box.y - point.y());
        else if (point.y() >= box.bottom()) distance = float(point.y() - box.bottom());
        if (!best || distance < bestDistance) {
            best = &p;
            bestDistance = distance;
        }
    }
    if (!best) return nullptr;
    if (EqElement* hit = CaretHitElement(best->head, point, d)) return hit;
    // Off every box of the line: its start when left of its middle, else its end.
    if (point.x() < best->x + best->width / 2) return best->head;
    return FindChainEnd(best->head);
}

EqElement* FindTypedElementForMenu(EqModel* eq, const SheetSelection& selection, QPointF cursor, int lo, int hi,
                                   bool ancestors) {
    if (!eq) return nullptr;
    if (!selection.exists()) {
        EqElement* e = ElementAtPointInLines(eq, cursor);
        if (!e) return nullptr;
        if (inTypeRange(e->type, lo, hi)) return e;
        if (!ancestors) return nullptr;
        for (EqElement* p = e->parent; p; p = p->parent) {
            if (inTypeRange(p->type, lo, hi)) return p;
        }
        return nullptr;
    }
    EqElement* first = selection.items.front();
    if (inTypeRange(first->type, lo, hi)) return first;
    for (EqElement* e = first->next; e && IsElementSelected(e); e = e->next) {
        if (inTypeRange(e->type, lo, hi)) return e;
    }
    return nullptr;
}

EqElement* SelectedMatrix(const SheetSelection& selection) {
    if (selection.items.size() != 1) return nullptr;
    EqElement* e = selection.items.front();
    if (IsMatrixType(e->type)) return e;
    if (e->children.size() == 1) {
        EqElement* first = e->children.front()->next;
        if (first && IsMatrixType(first->type)) return first;
    }
    return nullptr;
}

EqElement* LineAfter(EqElement* lineHead) {
    if (!lineHead || !lineHead->owner) return nullptr;
    const EqModel* eq = lineHead->owner;
    const int i = lineIndexOf(eq, lineHead);
    if (i < 0 || i + 1 >= int(eq->lines.size())) return nullptr;
    return eq->lines[size_t(i) + 1];
}

EqElement* NextLineHead(EqElement* e) { return LineAfter(FindLineHead(e)); }

EqElement* PreviousLineHead(EqElement* e) {
    EqElement* head = FindLineHead(e);
    if (!head || !head->owner) return nullptr;
    const int i = lineIndexOf(head->owner, head);
    if (i <= 0) return nullptr;
    return head->owner->lines[size_t(i) - 1];
}

EqElement* VerticalNeighbourChain(EqElement* e, int direction) {
    if (!e) return nullptr;
    EqElement* head = FindChainStart(e);
    EqElement* s = head->parent;
    if (!s) return nullptr;
    const int index = chainIndexIn(s, head);
    if (index < 0) return nullptr;
    const int count = int(s->children.size());
    if (IsMatrixType(s->type)) {
        const int target = index + (direction < 0 ? -1 : 1) * MatrixColumnCount(s);
        if (target < 0 || target >= count) return nullptr;
        return s->children[size_t(target)];
    }
    if (count < 2) return nullptr;
    const double centre = double(e->rect.y) + double(e->rect.height) / 2;
    EqElement* best = nullptr;
    double bestDistance = 0;
    for (int i = 0; i < count; ++i) {
        if (i == index) continue;
        EqElement* other = s->children[size_t(i)];
        const double c = double(other->origin.y) + double(other->origin.height) / 2;
        const double distance = direction < 0 ? centre - c : c - centre;
        if (distance < 1e-8) continue;
        if (!best || distance < bestDistance) {
            best = other;
            bestDistance = distance;
        }
    }
    return best;
}

EqElement* NearestByX(const EqElement* e, EqElement* head) {
    if (!e || !head) return nullptr;
    const float x = e->rect.x + e->rect.width;
    EqElement* best = nullptr;
    float bestDistance = 0;
    for (EqElement* c = head; c; c = c->next) {
        const float distance = std::min(std::fabs(c->rect.x - x), std::fabs(c->rect.x + c->rect.width - x));
        if (!best || distance < bestDistance) {
            best = c;
            bestDistance = distance;
        }
    }
    return best;
}

namespace {

EqElement* elementInDirection(EqElement* e, int direction) {
    if (!e) return nullptr;
    for (EqElement* x = e; x; x = FindChainStart(x)->parent) {
        if (EqElement* chain = VerticalNeighbourChain(x, direction)) return NearestByX(e, chain);
    }
    EqElement* line = direction < 0 ? PreviousLineHead(e) : NextLineHead(e);
    return line ? NearestByX(e, line) : nullptr;
}

}  // namespace

EqElement* ElementAbove(EqElement* e) { return elementInDirection(e, -1); }
EqElement* ElementBelow(EqElement* e) { return elementInDirection(e, 1); }

}  // namespace toliva
