#include "sheet/SheetBackend.h"

#include <QScrollBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace toliva {

SheetBackend::~SheetBackend() = default;

void SheetBackend::attach(QWidget* sheet, std::function<void(int)> onTimer,
                          std::function<void(Qt::Orientation, ScrollAction, int)> onScroll) {
    m_sheet = sheet;
    m_onTimer = std::move(onTimer);
    m_onScroll = std::move(onScroll);
}

void SheetBackend::setScrollRange(Qt::Orientation o, int minimum, int maximum, int page) {
    ScrollBarState& s = o == Qt::Horizontal ? m_h : m_v;
    s.minimum = minimum;
    s.maximum = maximum;
    s.page = page;
}

void SheetBackend::setScrollPosition(Qt::Orientation o, int position) {
    (o == Qt::Horizontal ? m_h : m_v).position = position;
}

// ---- on screen

OnScreenSheetBackend::OnScreenSheetBackend() = default;
OnScreenSheetBackend::~OnScreenSheetBackend() = default;

void OnScreenSheetBackend::attach(QWidget* sheet, std::function<void(int)> onTimer,
                                  std::function<void(Qt::Orientation, ScrollAction, int)> onScroll) {
    SheetBackend::attach(sheet, std::move(onTimer), std::move(onScroll));
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        auto* b = new QScrollBar(o, sheet);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSingleStep(50);
        b->setPageStep(200);
        (o == Qt::Horizontal ? m_hBar : m_vBar) = b;
        // The sheet decides where an action takes the bar; the bar's own
        // step is replaced by the sheet's answer before it is applied.
        QObject::connect(b, &QAbstractSlider::actionTriggered, b, [this, b, o](int action) {
            if (m_syncing || !m_onScroll) return;
            ScrollAction a;
            switch (action) {
            case QAbstractSlider::SliderSingleStepSub: a = ScrollAction::LineBack; break;
            case QAbstractSlider::SliderSingleStepAdd: a = ScrollAction::LineForward; break;
            case QAbstractSlider::SliderPageStepSub: a = ScrollAction::PageBack; break;
            case QAbstractSlider::SliderPageStepAdd: a = ScrollAction::PageForward; break;
            case QAbstractSlider::SliderMove: a = ScrollAction::ThumbTrack; break;
            default: a = ScrollAction::ThumbPosition; break;
            }
            const int thumb = b->sliderPosition();
            m_onScroll(o, a, thumb);
            m_syncing = true;
            b->setSliderPosition(scrollBar(o).position);
            m_syncing = false;
        });
    }
}

QScrollBar* OnScreenSheetBackend::bar(Qt::Orientation o) const { return o == Qt::Horizontal ? m_hBar : m_vBar; }

int OnScreenSheetBackend::barExtent() const {
    return m_sheet ? m_sheet->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_sheet) : 0;
}

void OnScreenSheetBackend::invalidate(const QRect& area) {
    if (!m_sheet) return;
    if (area.isEmpty()) m_sheet->update();
    else m_sheet->update(area);
}

void OnScreenSheetBackend::startTimer(int id, int milliseconds) {
    auto& t = m_timers[id];
    if (!t) {
        t = std::make_unique<QTimer>();
        QObject::connect(t.get(), &QTimer::timeout, [this, id] {
            if (m_onTimer) m_onTimer(id);
        });
    }
    t->start(milliseconds);
}

void OnScreenSheetBackend::killTimer(int id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) it->second->stop();
}

bool OnScreenSheetBackend::timerRunning(int id) const {
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
}

void OnScreenSheetBackend::captureMouse() {
    m_captured = true;
    if (m_sheet && m_sheet->isVisible()) m_sheet->grabMouse();
}

void OnScreenSheetBackend::releaseMouse() {
    if (m_captured && m_sheet && m_sheet->isVisible()) m_sheet->releaseMouse();
    m_captured = false;
}

void OnScreenSheetBackend::setCursor(Qt::CursorShape shape) {
    if (m_sheet) m_sheet->setCursor(shape);
}

void OnScreenSheetBackend::scrollContent(int, int) {
    // The sheet redraws its whole picture after a scroll; moving the pixels
    // first would only show the caret twice.
    invalidate(QRect());
}

void OnScreenSheetBackend::sleep(int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

QRect OnScreenSheetBackend::clientRect(QSize widgetSize) const {
    const int e = barExtent();
    return QRect(0, 0, std::max(0, widgetSize.width() - e), std::max(0, widgetSize.height() - e));
}

void OnScreenSheetBackend::layout(QSize widgetSize) {
    if (!m_hBar) return;
    const QRect c = clientRect(widgetSize);
    const int e = barExtent();
    m_hBar->setGeometry(0, c.height(), c.width(), e);
    m_vBar->setGeometry(c.width(), 0, e, c.height());
}

void OnScreenSheetBackend::setScrollRange(Qt::Orientation o, int minimum, int maximum, int page) {
    SheetBackend::setScrollRange(o, minimum, maximum, page);
    if (QScrollBar* b = bar(o)) {
        m_syncing = true;
        b->setRange(minimum, std::max(minimum, maximum - page));
        b->setPageStep(std::max(1, page));
        m_syncing = false;
    }
}

void OnScreenSheetBackend::setScrollPosition(Qt::Orientation o, int position) {
    SheetBackend::setScrollPosition(o, position);
    if (QScrollBar* b = bar(o)) {
        m_syncing = true;
        b->setValue(position);
        m_syncing = false;
    }
}

// ---- headless

void HeadlessSheetBackend::invalidate(const QRect&) {
    ++invalidations;
    if (m_sheet) m_sheet->update();
}

void HeadlessSheetBackend::startTimer(int id, int milliseconds) { timers[id] = milliseconds; }

void HeadlessSheetBackend::killTimer(int id) { timers.erase(id); }

bool HeadlessSheetBackend::timerRunning(int id) const { return timers.count(id) != 0; }

void HeadlessSheetBackend::scrollContent(int dx, int dy) {
    scrolledX += dx;
    scrolledY += dy;
}

void HeadlessSheetBackend::sleep(int milliseconds) {
    sleptMilliseconds += milliseconds;
    ++sleeps;
    if (onSleep) onSleep(milliseconds);
}

void HeadlessSheetBackend::tick(int id) {
    if (!m_onTimer) return;
    // A copy: a timer callback may start or kill timers.
    const std::map<int, int> running = timers;
    for (const auto& [timerId, interval] : running) {
        (void)interval;
        if (id == 0 || id == timerId) m_onTimer(timerId);
    }
}

void HeadlessSheetBackend::userScroll(Qt::Orientation o, ScrollAction action, int thumb) {
    if (m_onScroll) m_onScroll(o, action, thumb);
}

}  // namespace toliva
