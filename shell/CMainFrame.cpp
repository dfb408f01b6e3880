#include "shell/CMainFrame.h"

#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "shell/OfficeLink.h"
#include "sheet/CKwEESheet.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace toliva {

CMainFrame::CMainFrame(CTolivaApp& app) : QWidget(nullptr), m_app(app) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new CTolivaView(app, this);
    layout->addWidget(m_view);
    resize(1200, 800);
    UpdateFrameTitle();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::UpdateFrameTitle() {
    const CTolivaDoc* doc = m_app.document();
    QString title = doc ? doc->GetTitle() : QString::fromLatin1(CTolivaApp::kAppTitle);
    if (doc && !doc->GetPathName().isEmpty()) title += QStringLiteral(" - ") + QString::fromLatin1(CTolivaApp::kAppTitle);
    title += QStringLiteral(" - %1%").arg(double(m_app.context().eeScale) * 50.0, 0, 'f', 0);
    setWindowTitle(title);
}

void CMainFrame::SetCloseTimer() { m_closeTimer.start(kCloseTimerMs, this); }

void CMainFrame::OnTimer(int id) {
    if (id != kCloseTimer) return;
    m_closeTimer.stop();
    close();
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_closeTimer.timerId()) {
        OnTimer(kCloseTimer);
        return;
    }
    QWidget::timerEvent(event);
}

bool CMainFrame::OnClose() {
    CTolivaDoc* doc = m_app.document();
    if (!doc) return true;
    doc->m_bClosing = true;
    if (doc->IsEmbedded()) {
        // After a job the document has been saved: close at once.
        if (doc->m_nJobCode > 1) return true;
        if (doc->onEmbeddedChanged) doc->onEmbeddedChanged();
    }
    if (!doc->SaveModified()) {
        doc->m_bClosing = false;
        return false;
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!OnClose()) {
        event->ignore();
        return;
    }
    event->accept();
    m_closeTimer.stop();
    if (OfficeLink* link = m_app.officeLink()) link->Notify(QStringLiteral("closed"));
    // The program ends with its one window, shown or hidden.
    if (m_app.quitWithFrame) QCoreApplication::quit();
}

}  // namespace toliva
