// Tree-building primitives: the steps by which elements are made and linked
// into chains. The readers (LaTeX, MathML), the code builder (EqBuilder) and
// the editing commands build with these instead of setting links by hand.
//
// A tree is built left to right: every new element is linked after the
// element built before it, and every argument of a structure is a child
// chain of the structure's element. Colours follow the element a new one is
// linked after (its colour2), or the owner of a new chain.
//
// Payload bytes are laid out by the setters of model/EqElement.h only:
// AddAccentMark, SetMatrixCounts, SetMatrixRules, SetMatrixRuleBit,
// SetBoxColour, SetSpaceAmount, SetCalcResult.
#pragma once

#include "model/EqElement.h"

#include <QStringView>

#include <cstdint>

namespace toliva {

class EqModel;

// Where NewChildChain and AttachChildChain put a head among the owner's
// child chains.
enum ChildChainMode : int {
    ChainDetached = 0,  // not linked anywhere (a work chain the caller owns)
    ChainAppend = 1,    // after the owner's last child chain
    ChainPrepend = 2,   // before the owner's first child chain
};

// Creates a chain head (type 0) whose parent is owner and whose colours come
// from the owner; with mode ChainAppend or ChainPrepend it becomes one of the
// owner's child chains. Without an owner the head is detached and takes the
// equation's current colour. Returns the head.
EqElement* NewChildChain(EqElement* owner, EqModel* eq, int mode);

// Makes a chain (head and the elements after it) one of owner's child
// chains, at the end or the front by mode, its elements' parent becoming
// owner. ChainDetached only sets the parents.
void AttachChildChain(EqElement* owner, EqElement* head, int mode);

// Links e, which stands nowhere, as the next of element, with element's
// parent. The old successor of element is not relinked: callers build at
// chain ends.
void LinkAfter(EqElement* element, EqElement* e);

// Cuts first's chain before first: first and the elements after it become a
// run that stands nowhere (parents unchanged). Returns first.
EqElement* DetachRun(EqElement* first);

// Links a run that stands nowhere (first up to the end of its links) after
// element, with element's parent; element's old successor follows the run.
void InsertRunAfter(EqElement* element, EqElement* first);

// Creates an element of the given type and character and links it as the
// next of element (LinkAfter), with element's colours (from its colour2).
// Without an element the new element is a detached type-0 head. Returns it.
EqElement* NewElementAfter(EqElement* element, uint16_t ch, EqModel* eq, int32_t type);

// Appends one upright character (type 1) per UTF-16 unit of text after
// element; returns the last one (element itself for an empty text).
EqElement* AppendCharRun(QStringView text, EqElement* element, EqModel* eq);

// For infix constructions: moves the elements from the first element of
// last's chain up to last into the chain of newHead (appended at its end,
// their parent becoming newElement), and puts newElement at the front of the
// emptied chain, right after its head, with that chain's parent. newElement
// is unlinked from wherever it stood first. The caller makes newHead one of
// newElement's child chains. False, with nothing changed, when newHead or
// newElement is missing, when last has no prev or is itself a chain head.
bool WrapLeadingRun(EqElement* newHead, EqElement* newElement, EqElement* last);

}  // namespace toliva
