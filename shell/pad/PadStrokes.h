// The handwriting pad's strokes, without a window: the stroke being drawn,
// the finished strokes (oldest first), the pen mode and the mode to return
// to after the eraser, erasing by hit test, and the picture of the strokes
// that recognition reads.
//
// Points are relative to the pad's drawing area.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRgb>

#include <vector>

namespace toliva {

enum PadMode : int {
    PAD_MODE_THIN = 1,    // 2-pixel pen
    PAD_MODE_MEDIUM = 2,  // 5 pixels, the start mode
    PAD_MODE_THICK = 3,   // 8 pixels
    PAD_MODE_ERASER = 4,
};

struct PadStroke {
    // How far the bounds reach beyond the points on every side.
    static constexpr int kBoundsMargin = 6;

    std::vector<int> x, y;
    int count = 0;  // at least 2
    // The points' bounding box grown by kBoundsMargin; right and bottom lie
    // past the box (width = right - left).
    int left = 0, top = 0, right = 0, bottom = 0;
    int width = 0;  // pen width: mode x 3 - 1
};

// The pen width of a drawing mode.
constexpr int PadPenWidth(int mode) { return mode * 3 - 1; }
// The pen colour, RGB(0, 127, 204).
inline constexpr QRgb kPadPenColour = 0xFF007FCC;
// How near the eraser must come to a stroke's line.
inline constexpr double kEraseDistance = 4.0;

// Whether point p lies within kEraseDistance of the segment a-b.
bool HitsSegment(QPointF p, QPointF a, QPointF b);

class PadStrokes {
public:
    // What a press of the eraser did.
    struct EraseResult {
        bool erased = false;      // a stroke was deleted
        bool modeChanged = false; // the list became empty: the mode returned
    };

    const std::vector<PadStroke>& strokes() const { return m_strokes; }
    const std::vector<QPoint>& currentPoints() const { return m_points; }
    int mode() const { return m_mode; }
    int rememberedMode() const { return m_remembered; }

    // The eraser remembers the mode it replaces.
    void SetMode(int mode);
    // Appends the point to the stroke being drawn: the first one always,
    // later ones when they differ from the last. True when appended.
    bool AddPoint(QPoint point);
    // Ends the stroke being drawn: with at least 2 points it becomes a
    // stroke of the current pen. The point list is emptied either way; true
    // when a stroke was added.
    bool FinishStroke();
    // Deletes the newest stroke whose line passes within kEraseDistance of
    // the point (at most one); when none is left the remembered mode
    // returns.
    EraseResult EraseAt(QPoint point);
    // Deletes every stroke and returns to the remembered mode.
    void ClearStrokes();

    // The union of the strokes' bounds; empty without strokes.
    QRect Bounds() const;
    // The strokes drawn on opaque white into a 32-bit image of exactly the
    // union of their bounds, at 72 dpi; null without strokes.
    QImage RenderStrokesImage() const;

private:
    std::vector<PadStroke> m_strokes;
    std::vector<QPoint> m_points;
    int m_mode = PAD_MODE_MEDIUM;
    int m_remembered = PAD_MODE_MEDIUM;
};

}  // namespace toliva
