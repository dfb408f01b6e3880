// The character a glyph symbol stands for, as both writers fall back on it.
#pragma once

#include "TeXInternal.h"

#include "tex/TeXContext.h"

namespace toliva {

struct EqElement;

// The character recorded for a glyph symbol (types 6 to 8): in the element's
// own outline copy, else in the context's symbol library for its index; 0
// when neither records one.
char16_t RecordedGlyphChar(const TeXWriteContext& context, const EqElement* e);

}  // namespace toliva
