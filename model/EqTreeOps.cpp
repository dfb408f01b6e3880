#include "EqTreeOps.h"

#include "EqModel.h"

namespace toliva {

EqElement* NewChildChain(EqElement* owner, EqModel* eq, int mode) {
    EqModel* model = owner ? owner->owner : eq;
    auto* head = new EqElement(model);
    head->type = EqTypeChainHead;
    head->parent = owner;
    if (owner) {
        head->colour = owner->colour2;
        head->colour2 = owner->colour2;
        if (mode == ChainAppend)
            owner->children.push_back(head);
        else if (mode == ChainPrepend)
            owner->children.insert(owner->children.begin(), head);
    }
    return head;
}

void AttachChildChain(EqElement* owner, EqElement* head, int mode) {
    if (!owner || !head) return;
    SetChainParent(head, owner);
    if (mode == ChainAppend)
        owner->children.push_back(head);
    else if (mode == ChainPrepend)
        owner->children.insert(owner->children.begin(), head);
}

void LinkAfter(EqElement* element, EqElement* e) {
    if (!element || !e) return;
    e->parent = element->parent;
    element->next = e;
    e->prev = element;
}

EqElement* DetachRun(EqElement* first) {
    if (first && first->prev) {
        first->prev->next = nullptr;
        first->prev = nullptr;
    }
    return first;
}

void InsertRunAfter(EqElement* element, EqElement* first) {
    if (!element || !first) return;
    EqElement* last = FindChainEnd(first);
    last->next = element->next;
    if (element->next) element->next->prev = last;
    element->next = first;
    first->prev = element;
    SetChainParent(first, element->parent);
}

EqElement* NewElementAfter(EqElement* element, uint16_t ch, EqModel* eq, int32_t type) {
    EqModel* model = element ? element->owner : eq;
    auto* e = new EqElement(model);
    e->ch = ch;
    if (!element) {
        e->type = EqTypeChainHead;
        return e;
    }
    e->type = type;
    e->colour = element->colour2;
    e->colour2 = element->colour2;
    LinkAfter(element, e);
    return e;
}

EqElement* AppendCharRun(QStringView text, EqElement* element, EqModel* eq) {
    EqElement* last = element;
    for (QChar c : text) last = NewElementAfter(last, c.unicode(), eq, EqTypeCharUpright);
    return last;
}

bool WrapLeadingRun(EqElement* newHead, EqElement* newElement, EqElement* last) {
    if (!newHead || !newElement || !last || !last->prev || last->type == EqTypeChainHead) return false;
    if (newElement == last || newElement == newHead) return false;
    if (newElement->prev || newElement->next) UnlinkElement(newElement);

    EqElement* head = FindChainStart(last);
    EqElement* first = head->next;
    EqElement* rest = last->next;

    // The run goes to the end of the new chain.
    EqElement* tail = FindChainEnd(newHead);
    tail->next = first;
    first->prev = tail;
    last->next = nullptr;
    SetChainParent(first, newElement);

    // The new element takes the run's place.
    head->next = newElement;
    newElement->prev = head;
    newElement->next = rest;
    if (rest) rest->prev = newElement;
    newElement->parent = head->parent;
    return true;
}

}  // namespace toliva
