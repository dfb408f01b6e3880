// The main window: it holds the view, closes itself shortly after an office
// job (timer 1) and asks about unsaved changes before it closes.
#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace toliva {

class CTolivaApp;
class CTolivaView;

class CMainFrame : public QWidget {
public:
    // The close timer after an office job and its period.
    static constexpr int kCloseTimer = 1;
    static constexpr int kCloseTimerMs = 100;

    explicit CMainFrame(CTolivaApp& app);
    ~CMainFrame() override;

    CTolivaView* view() const { return m_view; }
    // The title: the document's name and the editor's zoom.
    void UpdateFrameTitle();
    // Timer 1 (kCloseTimerMs) closes the window when it fires.
    void SetCloseTimer();
    bool closeTimerArmed() const { return m_closeTimer.isActive(); }
    void OnTimer(int id);
    // Whether the window may close now (the document asked about its
    // changes); the close paths of an embedded document.
    bool OnClose();

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CTolivaApp& m_app;
    CTolivaView* m_view = nullptr;
    QBasicTimer m_closeTimer;
};

}  // namespace toliva
