// The window services the editing sheet uses: invalidation, its timers,
// mouse capture, the cursor, the two scroll bars, scrolling the window's
// content and the short sleeps of the capture hand-off. The sheet asks for
// them through this object, so the same sheet runs on screen
// (OnScreenSheetBackend: QTimer, QScrollBar) and headless
// (HeadlessSheetBackend: timers ticked by hand, every request recorded).
#pragma once

#include <QRect>
#include <QSize>
#include <Qt>

#include <functional>
#include <map>
#include <memory>

class QScrollBar;
class QTimer;
class QWidget;

namespace toliva {

// Scroll-bar requests as the window system's scroll messages name them.
enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, ThumbTrack, ThumbPosition, End };

class SheetBackend {
public:
    struct ScrollBarState {
        int minimum = 0;
        int maximum = 0;  // the range's maximum (the page included)
        int page = 0;
        int position = 0;
    };

    virtual ~SheetBackend();

    // Called once by the sheet with its widget, a timer callback and a
    // scroll-bar callback (a user action on a bar: orientation, action,
    // thumb position).
    virtual void attach(QWidget* sheet, std::function<void(int)> onTimer,
                        std::function<void(Qt::Orientation, ScrollAction, int)> onScroll);

    virtual void invalidate(const QRect& area) = 0;  // an empty area: the whole window
    virtual void startTimer(int id, int milliseconds) = 0;  // starts again when it runs
    virtual void killTimer(int id) = 0;
    virtual bool timerRunning(int id) const = 0;
    virtual void captureMouse() = 0;
    virtual void releaseMouse() = 0;
    bool mouseCaptured() const { return m_captured; }
    virtual void setCursor(Qt::CursorShape shape) = 0;
    // Moves the window content by (dx, dy) pixels.
    virtual void scrollContent(int dx, int dy) = 0;
    // Blocks the calling thread.
    virtual void sleep(int milliseconds) = 0;

    // The client area within a widget of the given size (the scroll bars
    // take their strips).
    virtual QRect clientRect(QSize widgetSize) const { return QRect(QPoint(0, 0), widgetSize); }
    // The widget changed its size: place the scroll bars.
    virtual void layout(QSize widgetSize) { (void)widgetSize; }

    ScrollBarState scrollBar(Qt::Orientation o) const { return o == Qt::Horizontal ? m_h : m_v; }
    virtual void setScrollRange(Qt::Orientation o, int minimum, int maximum, int page);
    virtual void setScrollPosition(Qt::Orientation o, int position);

protected:
    QWidget* m_sheet = nullptr;
    std::function<void(int)> m_onTimer;
    std::function<void(Qt::Orientation, ScrollAction, int)> m_onScroll;
    ScrollBarState m_h, m_v;
    bool m_captured = false;
};

// The on-screen services: QWidget updates and mouse grabs, one QTimer per
// timer id, two QScrollBar children of the sheet, QThread sleeps.
class OnScreenSheetBackend : public SheetBackend {
public:
    OnScreenSheetBackend();
    ~OnScreenSheetBackend() override;

    void attach(QWidget* sheet, std::function<void(int)> onTimer,
                std::function<void(Qt::Orientation, ScrollAction, int)> onScroll) override;
    void invalidate(const QRect& area) override;
    void startTimer(int id, int milliseconds) override;
    void killTimer(int id) override;
    bool timerRunning(int id) const override;
    void captureMouse() override;
    void releaseMouse() override;
    void setCursor(Qt::CursorShape shape) override;
    void scrollContent(int dx, int dy) override;
    void sleep(int milliseconds) override;
    QRect clientRect(QSize widgetSize) const override;
    void layout(QSize widgetSize) override;
    void setScrollRange(Qt::Orientation o, int minimum, int maximum, int page) override;
    void setScrollPosition(Qt::Orientation o, int position) override;

private:
    QScrollBar* bar(Qt::Orientation o) const;
    int barExtent() const;

    std::map<int, std::unique_ptr<QTimer>> m_timers;
    QScrollBar* m_hBar = nullptr;
    QScrollBar* m_vBar = nullptr;
    bool m_syncing = false;
};

// The headless services: nothing is shown; timers fire only through tick();
// every request is counted for tests.
class HeadlessSheetBackend : public SheetBackend {
public:
    void invalidate(const QRect& area) override;
    void startTimer(int id, int milliseconds) override;
    void killTimer(int id) override;
    bool timerRunning(int id) const override;
    void captureMouse() override { m_captured = true; }
    void releaseMouse() override { m_captured = false; }
    void setCursor(Qt::CursorShape shape) override { cursor = shape; }
    void scrollContent(int dx, int dy) override;
    void sleep(int milliseconds) override;

    // Fires every running timer once (id 0), or the one timer id.
    void tick(int id = 0);
    // A user action on a scroll bar, as the on-screen bars report it.
    void userScroll(Qt::Orientation o, ScrollAction action, int thumb = 0);

    std::map<int, int> timers;  // running timers: id -> interval
    int invalidations = 0;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    int scrolledX = 0, scrolledY = 0;  // the sum of content scrolls
    long long sleptMilliseconds = 0;
    int sleeps = 0;
    // Called on every sleep (tests act there: a capture program finishing).
    std::function<void(int)> onSleep;
};

}  // namespace toliva
