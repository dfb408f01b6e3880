// The LaTeX reader's driver: math segments of a text, one segment into lines.
#pragma once

#include "TeXInternal.h"

#include "tex/LaTeX.h"

#include <QStringView>

namespace toliva {

// Converts one math segment into new lines at the end of eq. offset is the
// segment's position in the whole text (for the reported position). Returns
// false, adding nothing, when the segment does not convert.
bool ReadLaTeXSegment(EqModel* eq, const TeXReadContext& context, LaTeXReadResult* result, QStringView segment,
                      int offset = 0);

}  // namespace toliva
