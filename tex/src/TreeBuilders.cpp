#include "TreeBuilders.h"

#include "model/EqElement.h"
#include "model/EqModel.h"

#include <algorithm>

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

EqElement* NewElementAfter(EqElement* element, uint16_t ch, EqModel* eq, int32_t type) {
    EqModel* model = element ? element->owner : eq;
    auto* e = new EqElement(model);
    e->ch = ch;
    if (!element) {
        e->type = EqTypeChainHead;
        return e;
    }
    e->type = type;
    e->parent = element->parent;
    e->colour = element->colour2;
    e->colour2 = element->colour2;
    element->next = e;
    e->prev = element;
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

int CountCommandLetters(int count, const char16_t* characters) {
    if (!characters) return 0;
    int n = 0;
    while (n < count) {
        const char16_t c = characters[n];
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'/')) break;
        ++n;
    }
    return n;
}

}  // namespace toliva
