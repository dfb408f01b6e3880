#include "EqBuilder.h"

#include "EqModel.h"
#include "EqTreeOps.h"

namespace toliva {

EqElement* EqBuilder::line() {
    EqElement* head = NewChildChain(nullptr, m_eq, ChainDetached);
    m_eq->lines.push_back(head);
    return head;
}

EqElement* EqBuilder::add(EqElement* chain, int32_t type, int nChildren, uint16_t ch) {
    // The equation's current colour, not the colour of the element before.
    auto* e = new EqElement(m_eq);
    e->type = type;
    e->ch = ch;
    LinkAfter(FindChainEnd(chain), e);
    for (int i = 0; i < nChildren; ++i) NewChildChain(e, m_eq, ChainAppend);
    return e;
}

EqElement* EqBuilder::text(EqElement* chain, std::u16string_view s, int32_t type) {
    EqElement* last = FindChainEnd(chain);
    for (char16_t c : s) last = add(last, type, 0, c);
    return last;
}

}  // namespace toliva
