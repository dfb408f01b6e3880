// Caret moves on the element tree. The caret stands after its element; a
// chain head means the start of its chain. Each move returns the new caret
// element, or null when the key does nothing there. Scrolling, the selection
// and the refresh are the sheet's.
#pragma once

#include "model/EqElement.h"

namespace toliva {

class EqModel;

EqElement* CaretLeft(EqModel* eq, EqElement* caret, bool shift);
EqElement* CaretRight(EqModel* eq, EqElement* caret, bool shift);
EqElement* CaretUp(EqModel* eq, EqElement* caret);
EqElement* CaretDown(EqModel* eq, EqElement* caret);
// Home: the head of the caret's chain; from there the head of the chain that
// holds the enclosing structure. End likewise with the chain's last element.
EqElement* CaretHome(EqElement* caret);
EqElement* CaretEnd(EqElement* caret);
// Tab: the head of the next argument chain of the enclosing structure, or
// after the structure from its last chain; else the head of the first chain
// of the structure after the caret.
EqElement* CaretTab(EqElement* caret);
// Ctrl+Home, Ctrl+End: the head of the first line, the end of the last line.
EqElement* DocumentStart(EqModel* eq);
EqElement* DocumentEnd(EqModel* eq);

// The child chain the caret enters a structure by: from the right (Left key,
// caret to that chain's end) or from the left (Right key, caret to its head);
// -1 when the structure has no chain.
int EnteringChain(const EqElement* s, bool fromRight);
// The sibling chain a Left at the head (left) or a Right at the end of chain
// of s moves to; -1 leaves the structure.
int SiblingChain(const EqElement* s, int chain, bool left);
// The chain Up (upper) or Down (lower) enters s by, from the right (the caret
// is s) or from the left (s follows the caret); -1 when there is none.
int UpperChain(const EqElement* s, bool fromRight);
int LowerChain(const EqElement* s, bool fromRight);

}  // namespace toliva
