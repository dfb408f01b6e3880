#include "uikit/WindowMessages.h"

#include <QCoreApplication>

namespace toliva {

WindowMessageEvent::WindowMessageEvent(int message_, intptr_t wParam_, intptr_t lParam_)
    : QEvent(eventType()), message(message_), wParam(wParam_), lParam(lParam_) {}

QEvent::Type WindowMessageEvent::eventType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

intptr_t SendWindowMessage(QObject* target, int message, intptr_t wParam, intptr_t lParam) {
    auto* handler = dynamic_cast<MessageTarget*>(target);
    return handler ? handler->OnWindowMessage(message, wParam, lParam) : 0;
}

void PostWindowMessage(QObject* target, int message, intptr_t wParam, intptr_t lParam) {
    if (target) QCoreApplication::postEvent(target, new WindowMessageEvent(message, wParam, lParam));
}

bool DispatchPostedMessage(QEvent* event, MessageTarget* handler) {
    if (!event || event->type() != WindowMessageEvent::eventType()) return false;
    auto* m = static_cast<WindowMessageEvent*>(event);
    if (handler) handler->OnWindowMessage(m->message, m->wParam, m->lParam);
    return true;
}

}  // namespace toliva
