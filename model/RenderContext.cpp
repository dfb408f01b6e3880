#include "RenderContext.h"

#include "EqElement.h"
#include "EqMeasure.h"
#include "EqModel.h"
#include "SymbolLibrary.h"

#include <QtGlobal>

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

const RenderContext* PassContext(const EqModel* eq) {
    if (!eq) return nullptr;
    Q_ASSERT_X(eq->renderContext, "PassContext",
               "layout or drawing outside a pass: pass a RenderContext to the entry point or hold a RenderScope");
    return eq->renderContext;
}

const SymbolLibrary* PassSymbols(const EqElement* e) {
    const RenderContext* context = e ? PassContext(e->owner) : nullptr;
    return context ? context->symbols : nullptr;
}

}  // namespace toliva
