// Small element builders shared by the LaTeX and MathML readers.
//
// The readers build a tree left to right: every new element is linked after
// the element built before it, and every argument of a structure is a new
// child chain of the structure's element. Colours follow the element a new
// one is linked after (its colour2), or the owner of a new chain.
#pragma once

#ifndef TOLIVA_TEX_INTERNAL
#error "tex/src/ is private to tex/: include tex/LaTeX.h, tex/MathML.h or tex/TeXCode.h"
#endif

#include <QStringView>

#include <cstdint>

namespace toliva {

class EqModel;
struct EqElement;

// Where NewChildChain puts the new head among the owner's child chains.
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

// Creates an element of the given type and character and links it as the
// next of element, with element's parent and colours (from its colour2). The
// old successor of element is not relinked: callers build at chain ends.
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

// How many of the first count characters, from the start, are ASCII letters
// or '/'; stops at the first other character.
int CountCommandLetters(int count, const char16_t* characters);
inline int CountCommandLetters(QStringView text) {
    return CountCommandLetters(int(text.size()), reinterpret_cast<const char16_t*>(text.utf16()));
}

}  // namespace toliva
