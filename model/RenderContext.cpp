#include "RenderContext.h"

#include "EqMeasure.h"
#include "SymbolLibrary.h"

namespace toliva {

RenderContext RenderContext::FromDataFolder() {
    auto library = std::make_shared<SymbolLibrary>();
    LoadSymbolLibrary(*library);
    RenderContext context(*library, FontTextMeasurer());
    context.m_ownedSymbols = std::move(library);
    return context;
}

RenderScope::RenderScope(EqModel* eq, const RenderContext& context)
    : m_eq(eq), m_previous(eq ? eq->renderContext : nullptr) {
    if (eq) eq->renderContext = &context;
}

RenderScope::~RenderScope() {
    if (m_eq) m_eq->renderContext = m_previous;
}

}  // namespace toliva
