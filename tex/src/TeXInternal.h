// The headers under tex/src/ are the library's internals (tokens, passes,
// tables, builders, the writers' chain walks). Each includes this one, so
// that they compile only in toliva_tex itself and in the targets that link
// toliva_tex_internal (the tests of tex/). Everybody else uses tex/LaTeX.h,
// tex/MathML.h, tex/TeXContext.h and tex/TeXCode.h.
#pragma once

#ifndef TOLIVA_TEX_INTERNAL
#error "tex/src/ is private to tex/: include tex/LaTeX.h, tex/MathML.h or tex/TeXCode.h"
#endif
