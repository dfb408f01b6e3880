// The glyph canvas of the user symbol editor: draws the preview equation (the
// characters beside the symbol tinted, the symbol with its red dotted guides
// and its ascent and descent tinted) on the background picture "Pics\bgd.bmp"
// and turns the mouse, the wheel and the arrow keys into the editor model's
// drags, zoom and moves.
#pragma once

#include "uikit/KitDialogs.h"

#include <QBrush>
#include <QRect>
#include <QWidget>

#include <functional>

namespace toliva {

struct RenderContext;
class UserSymEditModel;

class CKwGECanvas : public QWidget {
public:
    CKwGECanvas(UserSymEditModel& model, const QString& programFolder, QWidget* parent);
    ~CKwGECanvas() override;

    // What the preview is drawn with (set by the editor).
    std::function<const RenderContext&()> renderContext;

    // Lays the preview out and draws it into the back buffer.
    void RenderCanvas();
    // The arrow keys; true when the key was taken.
    bool HandleKey(int key, bool ctrl);
    // The back buffer as last drawn.
    QImage picture() const;
    QRect clientRect() const { return m_client; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateCursor(QPoint point);
    void changed();

    UserSymEditModel& m_model;
    QBrush m_background;
    QRect m_client{0, 0, 10, 10};
    CachedBitmap m_buffer;
};

}  // namespace toliva
