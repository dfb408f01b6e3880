// The sheet's line evaluation: the commands that evaluate the caret's line or
// every line, and the evaluation after a typed "=". The work on the element
// tree is in sheet/editing/LineCalc.
#include "sheet/CKwEESheet.h"

#include "model/EqModel.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "sheet/editing/LineCalc.h"

namespace toliva {

namespace {

// A definition that reaches itself through its own value.
void reportCycle(const QString& languageCode) {
    LangTable table(languageCode, QStringLiteral("LANG_03.xml"));
    showMessage(LoadLangString(table, QStringLiteral("gMSG_2"), 4), MB_OK | MB_ICONWARNING);
}

}  // namespace

LineCalcContext CKwEESheet::lineCalcContext() {
    LineCalcContext context;
    context.eq = m_eq;
    context.selection = &m_sel;
    context.constants = &m_words.constants;
    context.cache = m_calculatingAll ? &m_variableCache : nullptr;
    return context;
}

void CKwEESheet::CalcAfterInsertion(const EqElement* inserted) {
    if (inserted && inserted->type == 1049 && m_app.option(OptAutoCalc) && m_app.calcSwitch == 0)
        CalcLine(GetEquationCaret(m_eq), true);
}

bool CKwEESheet::CalcLine(EqElement* element, bool output) {
    if (!m_eq || !element) return false;
    if (output) m_backend->setCursor(Qt::WaitCursor);
    LineCalcContext context = lineCalcContext();
    const bool placed = toliva::CalcLine(context, element);
    if (context.cycle && output) reportCycle(m_app.languageCode());
    if (m_calculatingAll && context.cycle) m_cycleMet = true;
    if (output) {
        m_host->UpdateAlignButtons();
        m_eq->needsLayout = 1;
        if (placed) m_host->SetModifiedFlag();
        Refresh(0);
        m_backend->setCursor(Qt::ArrowCursor);
    }
    return placed;
}

void CKwEESheet::CalcAll() {
    if (!m_eq) return;
    m_backend->setCursor(Qt::WaitCursor);
    m_variableCache.entries.clear();
    m_calculatingAll = true;
    m_cycleMet = false;
    // The list of lines does not change while results are placed.
    const std::vector<EqElement*> lines = m_eq->lines;
    for (EqElement* line : lines) CalcLine(line, false);
    InvalidateAllLineCaches(m_eq);
    m_eq->needsLayout = 1;
    m_host->UpdateAlignButtons();
    Refresh(0);
    m_host->SetModifiedFlag();
    m_calculatingAll = false;
    m_variableCache.entries.clear();
    m_backend->setCursor(Qt::ArrowCursor);
    if (m_cycleMet) reportCycle(m_app.languageCode());
    m_cycleMet = false;
}

bool CKwEESheet::EvaluateAndInsert(EqElement* equals, int format, int angle) {
    if (!m_eq || !equals) return false;
    LineCalcContext context = lineCalcContext();
    const bool done = toliva::EvaluateAndInsert(context, equals, format, angle);
    if (context.cycle) reportCycle(m_app.languageCode());
    if (done) {
        InvalidateLineCache(m_eq, equals);
        m_eq->needsLayout = 1;
        m_host->SetModifiedFlag();
        Refresh(0);
    }
    return done;
}

}  // namespace toliva
