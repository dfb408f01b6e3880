#include "EqBuilder.h"

#include "EqModel.h"

namespace toliva {

EqElement* EqBuilder::line() {
    auto* head = new EqElement(m_eq);
    head->type = EqTypeChainHead;
    m_eq->lines.push_back(head);
    return head;
}

EqElement* EqBuilder::add(EqElement* chain, int32_t type, int nChildren, uint16_t ch) {
    EqElement* last = FindChainEnd(chain);
    auto* e = new EqElement(m_eq);
    e->type = type;
    e->ch = ch;
    e->parent = last->parent;
    e->prev = last;
    last->next = e;
    for (int i = 0; i < nChildren; ++i) {
        auto* head = new EqElement(m_eq);
        head->type = EqTypeChainHead;
        head->parent = e;
        e->children.push_back(head);
    }
    return e;
}

EqElement* EqBuilder::text(EqElement* chain, std::u16string_view s, int32_t type) {
    EqElement* last = FindChainEnd(chain);
    for (char16_t c : s) last = add(last, type, 0, c);
    return last;
}

}  // namespace toliva
