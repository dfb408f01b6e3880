// What only the readers need beside the tree-building primitives of
// model/EqTreeOps.h.
#pragma once

#include "TeXInternal.h"

#include <QStringView>

namespace toliva {

// How many of the first count characters, from the start, are ASCII letters
// or '/'; stops at the first other character.
int CountCommandLetters(int count, const char16_t* characters);
inline int CountCommandLetters(QStringView text) {
    return CountCommandLetters(int(text.size()), reinterpret_cast<const char16_t*>(text.utf16()));
}

}  // namespace toliva
