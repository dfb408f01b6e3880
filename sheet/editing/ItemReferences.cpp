#include "sheet/editing/ItemReferences.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTreeOps.h"
#include "model/EqTypes.h"
#include "sheet/editing/EditOps.h"

#include <vector>

namespace toliva {

namespace {

// Every reference of the equation, depth first.
std::vector<EqElement*> collectReferences(EqModel* eq) {
    std::vector<EqElement*> found;
    std::vector<EqElement*> chains(eq->lines.rbegin(), eq->lines.rend());
    while (!chains.empty()) {
        EqElement* head = chains.back();
        chains.pop_back();
        for (EqElement* e = head; e; e = e->next) {
            if (e->type == EqTypeLibraryRef) found.push_back(e);
            for (auto it = e->children.rbegin(); it != e->children.rend(); ++it) chains.push_back(*it);
        }
    }
    return found;
}

// Copies of the elements after head, linked as a run that stands nowhere;
// null for an empty chain.
EqElement* copyRun(const EqElement* head, EqModel* eq) {
    EqElement* first = nullptr;
    EqElement* last = nullptr;
    for (const EqElement* e = head->next; e; e = e->next) {
        EqElement* copy = CopyElementTree(e, eq);
        if (last) {
            LinkAfter(last, copy);
        } else {
            first = copy;
        }
        last = copy;
    }
    return first;
}

// The run that takes a reference's place: the formula's one line, or a
// column array of its lines.
EqElement* contentRun(const EqModel* item, EqModel* eq) {
    if (item->lines.size() == 1) return copyRun(item->lines.front(), eq);
    if (item->lines.empty()) return nullptr;
    EqElement* column = NewChildChain(nullptr, eq, ChainDetached);
    column->type = EqTypeMatrixColumn;
    for (const EqElement* line : item->lines) {
        EqElement* cell = NewChildChain(column, eq, ChainAppend);
        if (EqElement* run = copyRun(line, eq)) InsertRunAfter(cell, run);
    }
    return column;
}

}  // namespace

int ExpandLibraryReferences(EqModel* eq, const LibraryItemLookup& lookup) {
    if (!eq || !lookup) return 0;
    int replaced = 0;
    for (EqElement* ref : collectReferences(eq)) {
        const EqModel* item = lookup(int(ref->ch));
        if (!item || !ref->prev) continue;
        EqElement* before = ref->prev;
        EqElement* run = contentRun(item, eq);
        EqElement* last = run ? FindChainEnd(run) : before;
        if (run) InsertRunAfter(ref, run);
        if (eq->caret == ref) SetEquationCaret(eq, last);
        UnlinkElement(ref);
        DeleteEqElement(ref);
        InvalidateLineCache(eq, before);
        ++replaced;
    }
    if (replaced) eq->needsLayout = 1;
    return replaced;
}

}  // namespace toliva
