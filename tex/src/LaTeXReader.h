// The LaTeX reader's driver: math segments of a text, one segment into lines.
#pragma once

#ifndef TOLIVA_TEX_INTERNAL
#error "tex/src/ is private to tex/: include tex/LaTeX.h, tex/MathML.h or tex/TeXCode.h"
#endif

#include "tex/LaTeX.h"

#include <QStringView>

namespace toliva {

// Converts one math segment into new lines at the end of eq. offset is the
// segment's position in the whole text (for the reported position). Returns
// false, adding nothing, when the segment does not convert.
bool ReadLaTeXSegment(EqModel* eq, const TeXReadContext& context, LaTeXReadResult* result, QStringView segment,
                      int offset = 0);

}  // namespace toliva
