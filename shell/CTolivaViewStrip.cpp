// The view's symbol strip: built with the eleven groups, their pictures and
// stored order; its right click opens the symbol menu of the pressed cell.
#include "shell/CTolivaView.h"

#include "panels/CKwTBPanel.h"
#include "panels/SymbolBarTables.h"
#include "shell/CTolivaApp.h"
#include "shell/PanelContextFromSettings.h"
#include "shell/ShellMoreSymbols.h"

#include <QCursor>

namespace toliva {

void CTolivaView::refreshPanelContext() {
    if (!m_panelContext) m_panelContext = std::make_unique<PanelContext>();
    FillPanelContext(*m_panelContext, m_app.context(), m_app.settings(), m_app.m_strProgramFolder);
    // The strip's more-symbols cell and its "replace" entry open the picker.
    if (!m_moreSymbols) m_moreSymbols = std::make_unique<ShellMoreSymbolsPicker>(*this);
    m_panelContext->picker = m_moreSymbols.get();
}

void CTolivaView::BuildSymbolStrip() {
    refreshPanelContext();
    auto* strip = new CKwTBPanel_Scr(*m_panelContext, this);
    strip->setObjectName(QStringLiteral("symbol_strip"));
    strip->Create(QString(), true, QRect(0, 0, 10, 10), this, CKwTBPanel::kControlId);
    const auto& groups = MainStripGroups();
    for (size_t i = 0; i < groups.size(); ++i) {
        const MainStripGroup& g = groups[i];
        strip->AddGroupWithPicture(g.rows, g.cols, g.cellWidth, g.cellHeight, g.id, 0, 0, g.records,
                                   QString::asprintf("\\T%02d.bmp", int(i) + 1));
    }
    strip->LoadGroupPictures(QStringLiteral("TAB_P"));
    strip->LoadStripOrder();
    strip->SetTabWidths(int(m_panelContext->uiScale * 60.0f), 8);
    m_pSymbolStrip = strip;
}

void CTolivaView::OnStripRightClick(CKwTBPanel_Scr* strip) {
    if (!strip || !strip->pressedNode()) return;
    // A group with an order array lets the user replace the cell's symbol.
    const CKwTBG* group = strip->pressedGroup();
    OnSymbolContextMenu(strip->pressedKey(), QCursor::pos(), group && !group->order().empty());
}

}  // namespace toliva
