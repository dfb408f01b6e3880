// Numbered messages between the kit's windows and their owners: the message
// codes, the interface a window implements to receive them, and sending
// (a direct call) or posting (a queued event) one.
#pragma once

#include <QEvent>

#include <cstdint>

class QObject;

namespace toliva {

// ---- numbered messages between the kit's dialogs and their owners
inline constexpr int WM_COMMAND = 0x0111;
inline constexpr int WM_PROPERTY_ITEM_CLICK = 0x1F59;
inline constexpr int WM_PROPERTY_OPTION_CHOSEN = 0x1F5A;
inline constexpr int WM_SETTINGS_DIALOG_BUTTON = 0x1F5B;
// From a floating tool bar: wParam the command code of the pressed button, -1
// for a right click (no command), 1000010/1000012/1000011 for begin, move and
// end of a drag of the bar's divider; lParam the button's value or the drag's
// mouse data.
inline constexpr int WM_TOOLBAR_COMMAND = 0x1F5D;
inline constexpr int WM_PROPERTY_GRID_POSTED = 0x1F5E;
inline constexpr int WM_PROPERTY_ITEM_CHANGED = 0x1F5F;
// A symbol panel's right-button press (sent); wParam and lParam the panel.
inline constexpr int WM_SYMBOL_PANEL_RCLICK = 2026;

// What a window implements to receive messages. Sent messages arrive here at
// once; posted ones arrive as WindowMessageEvent through the window's event(),
// which hands them on with DispatchPostedMessage.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) = 0;
};

// A posted message.
class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(int message, intptr_t wParam, intptr_t lParam);
    // The event type, registered once.
    static QEvent::Type eventType();

    int message;
    intptr_t wParam;
    intptr_t lParam;
};

// Calls the target's OnWindowMessage at once; 0 when the target is null or no
// MessageTarget.
intptr_t SendWindowMessage(QObject* target, int message, intptr_t wParam, intptr_t lParam);
// Queues a WindowMessageEvent to the target; nothing for a null target.
void PostWindowMessage(QObject* target, int message, intptr_t wParam, intptr_t lParam);
// For a window's event(): when event is a posted message, hands it to handler
// and returns true.
bool DispatchPostedMessage(QEvent* event, MessageTarget* handler);

}  // namespace toliva
