// What happens to a character right after it is typed: with TeX typing on it
// may become part of a TeX command being typed (type 5); otherwise the
// automatic formatting gives it, or the word it ends, an upright or other
// style and marks what it changed (kAutoFormatMark, sheet/editing/ElementWork.h).
//
// Automatic formatting of a new character element e:
//   1. e becomes upright (type 1) and marked when it is a digit (first
//      option byte), a punctuation or bracket character (second), a CJK
//      character (third), the nabla; when its parent is a stack (133, 134),
//      an arc mark (135) or a chemical form (608); with OptExtraUpright1 when
//      its parent is a subscript (174); with OptExtraUpright2 when it lies in
//      the last chain of a sub-and-superscript (175).
//   2. With automatic words on: for n from the longest word's length down to
//      1, the n characters ending with e (plain characters without accents)
//      are compared with every enabled word; the first word equal to them
//      gives all n the type of its style (style + 1) and the mark.
//   3. When no word matched and e's code is above 128: its LaTeX text, blanks
//      removed, is compared with the enabled words the same way and a match
//      restyles e alone.
#pragma once

#include "sheet/editing/EditOps.h"

#include <cstdint>

namespace toliva {

struct EqElement;
struct TeXWriteContext;
struct WordLists;

// What the formatting reads, passed in by the caller. The pointers are not
// owned and must outlive every hook made of the context.
struct AutoFormatContext {
    uint32_t options = 0;                      // the application's option word
    const WordLists* words = nullptr;          // option bytes and automatic words
    bool autoWords = true;                     // automatic words on
    const TeXWriteContext* texWrite = nullptr; // names for the LaTeX text of a character
};

// Step 1 alone: whether the character element is to be upright.
bool IsAutoUprightCharacter(const AutoFormatContext& context, const EqElement* e);

// Steps 2 and 3: restyles the word e ends (or e by its LaTeX text); true when
// a word matched.
bool ApplyAutoWord(const AutoFormatContext& context, EqElement* e);

// All of it for a typed character element: with TeX typing on (OptTeXTyping)
// e becomes type 5 when the element before it is of type 5 or e holds "\",
// "_" or "^"; otherwise steps 1 to 3. Elements that are no character are left
// alone.
void FormatTypedCharacter(const AutoFormatContext& context, EqElement* e);

// A hook for InsertKey that runs FormatTypedCharacter on the new element.
TypedCharacterHook MakeTypedCharacterHook(const AutoFormatContext& context);

}  // namespace toliva
