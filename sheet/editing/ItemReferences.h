// Library-item references (type 65): an element that stands for a stored
// formula, the index of whose TeX label it holds in its character. Expanding
// replaces each reference by a copy of the formula's content.
#pragma once

#include <functional>

namespace toliva {

class EqModel;

// The stored formula of a label index; null when there is none.
using LibraryItemLookup = std::function<const EqModel*(int index)>;

// Replaces every reference in every chain of eq (top-level lines and
// arguments alike) by a copy of the content of the formula the lookup gives:
// the elements of a one-line formula in its place, a formula of several lines
// as a column array (370) with one cell per line, an empty one by nothing. A
// reference the lookup does not know stays. The copies are not searched for
// references again. A caret on a replaced reference goes to the last copied
// element (the element before the reference when nothing was copied).
// Returns the number of references replaced.
int ExpandLibraryReferences(EqModel* eq, const LibraryItemLookup& lookup);

}  // namespace toliva
