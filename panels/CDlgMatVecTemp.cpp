#include "panels/CDlgMatVecTemp.h"

#include "panels/CDlgSetMatrix.h"
#include "panels/CDlgToolbar.h"

#include <QResizeEvent>

namespace toliva {

CDlgMatVecTemp::CDlgMatVecTemp(CDlgSetMatrix* owner, const PanelContext& context)
    : QWidget(owner, Qt::Popup), m_pOwner(owner) {
    setObjectName(QStringLiteral("CDlgMatVecTemp"));
    // A fixed size: the twelve pictures keep their proportions.
    setFixedSize(int(kWidth * context.dpiScale), int(kHeight * context.dpiScale));
    m_pBar = new CDlgToolbar(this, context, this);
    m_pBar->m_nGridCols = 3;
    m_pBar->m_nGridRows = 4;
    m_pBar->m_nSpacing = 0;
    m_pBar->LoadButtons(QStringLiteral("tb_mx_temp"));
    m_pBar->setGeometry(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin));
    m_pBar->show();
}

CDlgMatVecTemp::~CDlgMatVecTemp() = default;

void CDlgMatVecTemp::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_pBar) m_pBar->setGeometry(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin));
}

bool CDlgMatVecTemp::event(QEvent* event) { return DispatchPostedMessage(event, this) || QWidget::event(event); }

intptr_t CDlgMatVecTemp::OnWindowMessage(int message, intptr_t wParam, intptr_t) {
    if (message == WM_TOOLBAR_COMMAND && wParam > 0) OnInsertTemplate(int(wParam));
    return 0;
}

void CDlgMatVecTemp::OnInsertTemplate(int number) {
    hide();
    if (m_pOwner) m_pOwner->OnTemplateChosen(number);
}

}  // namespace toliva
