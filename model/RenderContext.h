// What layout and drawing read beyond the equation itself: the symbol library,
// the text measurer, the application's option word and result colour, and the
// drawing lock. The program builds one and passes it to the layout and drawing
// entry points (EqLayout.h, EqDraw.h, EqOutput.h); for the length of a pass the
// entry point lends it to the equation (RenderScope), and the measurers,
// drawers and shape objects of its elements read it from there.
#pragma once

#include "EqModel.h"

#include "platform/AppContext.h"

#include <QtGlobal>

#include <cstdint>
#include <memory>
#include <mutex>

namespace toliva {

class SymbolLibrary;
class TextMeasurer;  // model/EqMeasure.h

struct RenderContext {
    RenderContext(const SymbolLibrary& symbolLibrary, TextMeasurer& textMeasurer)
        : symbols(&symbolLibrary), measurer(&textMeasurer) {}

    // Glyph symbols, integral and big-operator outlines and the operator table.
    const SymbolLibrary* symbols;
    // Measures text for layout.
    TextMeasurer* measurer;
    // The application's option word (AppOption bits).
    uint32_t options = AppContext::kDefaultOptions;
    // The fill of calculation results (COLORREF) when OptFillResultBox is set.
    uint32_t resultBackColour = 0xFFFFFF;
    // Held around every rendering into a line's cached bitmap; null: none.
    std::recursive_mutex* drawingLock = nullptr;

    bool option(uint32_t bit) const { return (options & bit) != 0; }

    // The symbol library read from the program's data folder
    // ("Dat/KwSLData.dat"; empty when it cannot be read), the font measurer
    // (FontTextMeasurer), the default option word and result colour, and no
    // drawing lock. The library is owned by the context and its copies.
    static RenderContext FromDataFolder();

private:
    std::shared_ptr<const SymbolLibrary> m_ownedSymbols;
};

// Lends a context to an equation for the lifetime of the object; the previous
// one (if any) is given back afterwards. A null equation lends nothing.
class RenderScope {
public:
    RenderScope(EqModel* eq, const RenderContext& context);
    ~RenderScope();
    RenderScope(const RenderScope&) = delete;
    RenderScope& operator=(const RenderScope&) = delete;

private:
    EqModel* m_eq;
    const RenderContext* m_previous;
};

// The context lent to the equation: null for a null equation. Measuring or
// drawing an element of an equation that holds no context is a fault of the
// caller (it must go through an entry point or hold a RenderScope); debug
// builds stop there. (Inline: text measuring asks for it per character.)
inline const RenderContext* PassContext(const EqModel* eq) {
    if (!eq) return nullptr;
    Q_ASSERT_X(eq->renderContext, "PassContext",
               "layout or drawing outside a pass: pass a RenderContext to the entry point or hold a RenderScope");
    return eq->renderContext;
}

// The symbol library of the pass the element's equation is in (null without
// one).
inline const SymbolLibrary* PassSymbols(const EqElement* e) {
    const RenderContext* context = e ? PassContext(e->owner) : nullptr;
    return context ? context->symbols : nullptr;
}

}  // namespace toliva
