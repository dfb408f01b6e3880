// The floating tool bar: a row, stack or grid of picture buttons described
// by "icons/<name>.xml" beside the program. It shows each button's tip,
// shades the button under the mouse in a short animation, moves the buttons
// that do not fit into an overflow menu and posts every click to its owner
// as WM_TOOLBAR_COMMAND (the owner decides what a command does):
//
//   wParam                     lParam                  when
//   the button's command       the button's command    left button released over the pressed button,
//                                                      or a command chosen in the overflow menu
//   -1                         the button's command    right button on a button (right-click-hotkey
//                                                      bars, Ctrl not held)
//   1000010 / 12 / 11          (y << 16) | x           drag of a drag-handle bar: begin, move, end
//
// A description: every top-level element is one button, in document order;
// attributes "cmd" (0 when missing), "type" (1 when missing; 1 a separator,
// 2 and 5 buttons that also enter the overflow menu, others buttons that are
// separators there), "size" (relative width, 1 when missing), "icon" (picture
// name under "icons/" without extension; "<icon>_gray" is the disabled
// picture); child elements "tit" and "tip" carry one attribute per language
// code.
#pragma once

#include "panels/PanelContext.h"
#include "uikit/CKwEMF.h"

#include <QBasicTimer>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace toliva {

class CKwMenu;

struct ToolbarButton {
    int command = 0;
    int type = 1;
    int state = 1;  // 0 or below disabled, 1 normal, 21 latched
    float size = 1.0f;
    QString title;
    QString tip;
    QRect rect;     // from the layout; empty when the layout gives it no place
    bool overflow = false;
    std::unique_ptr<CKwEMF> picture;
    std::unique_ptr<CKwEMF> greyPicture;
    QString icon;

    bool isSeparator() const { return type == 1; }
    // Whether the overflow menu lists it as an entry (else as a separator).
    bool isMenuEntry() const { return type == 2 || type == 5; }
};

class CDlgToolbar : public QWidget {
public:
    // The drag codes posted in wParam.
    static constexpr int kDragBegin = 1000010;
    static constexpr int kDragEnd = 1000011;
    static constexpr int kDragMove = 1000012;
    static constexpr uint32_t kBackground = 0xF0F0F0;  // COLORREF
    static constexpr uint32_t kAccent = 0xFF1E90FF;    // ARGB, the pressed button
    static constexpr int kHoverStep = 1029;            // per animation step, as one COLORREF number
    static constexpr int kAnimationInterval = 33;      // ms
    static constexpr int kAnimationLastStep = 10;

    // owner receives the posted messages (a MessageTarget); context gives the
    // language, the program folder, the interface scale and the drawing lock.
    CDlgToolbar(QObject* owner, const PanelContext& context, QWidget* parent);
    ~CDlgToolbar() override;

    // Appends the buttons of "icons/<name>.xml" in the context's language;
    // false (and nothing appended) when the file is missing or does not parse.
    bool LoadButtons(const QString& name);
    // Sets the state of the button at a list position (separators count);
    // a change sets the changed flag and, with redraw, repaints the bar.
    void SetButtonState(int position, int state, bool redraw);
    int buttonState(int position) const;

    const std::vector<std::unique_ptr<ToolbarButton>>& buttons() const { return m_buttons; }
    const ToolbarButton& overflowButton() const { return m_overflowButton; }
    bool overflowActive() const { return m_bOverflowActive; }

    // Flags the owner sets after creation; a layout flag takes effect at the
    // next RecalcLayout (done on every resize).
    int m_nLayoutMode = 0;
    int m_nSpacing = 5;
    bool m_bDragHandle = false;
    bool m_bRightClickHotkey = false;
    int m_nGridCols = 0;
    int m_nGridRows = 0;
    bool m_bNoCapture = false;
    // Set when a button state changed; the owner may clear it.
    bool m_bChanged = false;

    // Places the buttons in the client rectangle and repaints.
    void RecalcLayout();
    // The button under a point (the overflow button included); null for
    // none, separators, disabled buttons and buttons in the overflow menu.
    ToolbarButton* HitTest(QPoint point);
    // The list position of a record; -1 for the overflow button or none.
    int positionOf(const ToolbarButton* button) const;

    // One step of the hover animation (timer 1); public for tests, which
    // drive it instead of the clock.
    void OnAnimationTimer();
    bool animationRunning() const { return m_animationTimer.isActive(); }
    int animationStep() const { return m_nAnimationStep; }
    const ToolbarButton* hotButton() const { return m_pHot; }
    const ToolbarButton* pressedButton() const { return m_pPressed; }
    bool dragging() const { return m_bDragging; }
    // The tip shown for the hot button (tabs as five spaces); empty with none.
    QString tipText() const { return m_tipText; }
    // The caption font size the last layout chose.
    int captionSize() const { return m_nCaptionSize; }
    // The bar as last painted (the memory bitmap), for tests.
    QImage renderImage();

    // Builds the overflow menu into menu (its entries in button order).
    void BuildOverflowMenu(CKwMenu& menu) const;
    // Runs the overflow menu at a screen point and waits; returns the chosen
    // command or 0. Tests replace it.
    std::function<unsigned(CKwMenu& menu, QPoint screenPos)> trackMenu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void layoutFlow(const QRect& client);
    void post(intptr_t wParam, intptr_t lParam);
    void capture();
    void releaseCapture();
    void updateCursor();
    void setTip(const QString& tip);
    void openOverflowMenu(QPoint screenPos);
    void renderInto(QImage& image);
    void drawButton(QPainter& painter, ToolbarButton& button);

    QObject* m_owner;
    PanelContext m_context;
    std::mutex m_lock;  // held while painting
    QImage m_canvas;    // the memory bitmap; dropped by a layout
    QRect m_client;
    ToolbarButton m_overflowButton;
    bool m_bOverflowActive = false;
    std::vector<std::unique_ptr<ToolbarButton>> m_buttons;
    bool m_bDragging = false;
    int m_nAnimationStep = 0;
    ToolbarButton* m_pPressed = nullptr;
    ToolbarButton* m_pHot = nullptr;
    QBasicTimer m_animationTimer;
    QString m_tipText;
    int m_nCaptionSize = 0;
    bool m_bCaptured = false;
};

}  // namespace toliva
