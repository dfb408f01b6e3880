#include "GlyphChars.h"

#include "model/EqElement.h"
#include "model/GlyphOutline.h"
#include "model/SymbolLibrary.h"

namespace toliva {

char16_t RecordedGlyphChar(const TeXWriteContext& context, const EqElement* e) {
    if (!e) return 0;
    if (e->glyph && e->glyph->charCode) return char16_t(e->glyph->charCode);
    if (context.symbols) {
        if (const GlyphOutline* g = context.symbols->glyph(e->ch)) return char16_t(g->charCode);
    }
    return 0;
}

}  // namespace toliva
