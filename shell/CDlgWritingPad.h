// The handwriting pad: a resizable modeless window in which the user writes a
// formula with the mouse or a pen. A bar at the top picks the pen width or
// the eraser, clears the pad, recognises the strokes (their picture goes to
// the recognition client and the LaTeX it returns is inserted at the sheet's
// caret) and opens the recognition settings and help. Its place and size
// are kept under "Software\Toliva\Dlgs\WritingPad", relative to the sheet.
#pragma once

#include "shell/pad/PadStrokes.h"
#include "uikit/CKwEMF.h"
#include "uikit/WindowMessages.h"

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace toliva {

struct AppContext;
class CDlgToolbar;
class CKwEESheet;

class CDlgWritingPad : public QDialog, public MessageTarget {
public:
    static constexpr int IDD = 189;
    static inline const QString kPlacementKey = QStringLiteral("Software\\Toliva\\Dlgs\\WritingPad");
    static constexpr int kMinWidth = 700, kMinHeight = 300;
    static constexpr QRgb kTopLineColour = 0xFFC8C8DC;  // RGB(200, 200, 220)

    // The bar's commands.
    enum Command : int {
        CmdRecognitionSettings = 1001,
        CmdThin = 2001,
        CmdMedium = 2002,
        CmdThick = 2003,
        CmdEraser = 2004,
        CmdClear = 2005,
        CmdRecognize = 5001,
        CmdRecognizeAndClose = 5002,
        CmdClearAndClose = 5003,
        CmdHelp = 6001,
    };
    // The bar's positions of the mode buttons, modes 1 to 4.
    static constexpr int kModeButtons[4] = {2, 3, 4, 6};

    // The pad of the sheet, created as a window of parent (hidden).
    CDlgWritingPad(CKwEESheet& sheet, QWidget* parent);
    ~CDlgWritingPad() override;

    const PadStrokes& strokes() const { return m_strokes; }
    int mode() const { return m_strokes.mode(); }
    CDlgToolbar* toolbar() const { return m_toolbar; }
    // In client coordinates: the area below the bar, and that shrunk by 2.
    QRect drawingArea() const { return m_drawArea; }
    QRect innerArea() const { return m_innerArea; }

    // Opens the recognition settings; empty: the settings are not
    // available yet (said through the message sink).
    std::function<void()> showRecognitionSettings;

    void SetMode(int mode);
    // Deletes every stroke and returns to the pen used before the eraser;
    // with refresh the bar's checks and the pad are redrawn.
    void ClearStrokes(bool refresh);
    // Latches the button of the current mode.
    void UpdateToolbarChecks(bool redraw);
    // Deletes the newest stroke under a point of the drawing area.
    void EraseAt(QPoint areaPoint);
    // The strokes' picture saved for recognition at path; false without
    // strokes or when the client refused it.
    bool RenderStrokesImage(const QString& path);
    // Recognises the strokes and inserts the result at the sheet's caret,
    // then clears the pad; false (the strokes stay) when there was nothing
    // to recognise, recognition failed or its text could not be read.
    bool RecognizeAndInsert();
    // WM_TOOLBAR_COMMAND's command code; unknown codes are ignored.
    intptr_t OnToolbarCommand(int code);

    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Appends a client point to the stroke being drawn and repaints its new
    // segment.
    void AddPoint(QPoint clientPoint);
    void FinishStroke();
    // Draws the finished strokes into the cached picture of the drawing area.
    void DrawPad();
    void updateCursor(QPoint clientPoint);

    QPointer<CKwEESheet> m_sheet;
    PadStrokes m_strokes;
    CDlgToolbar* m_toolbar = nullptr;
    QRect m_drawArea, m_innerArea;
    bool m_drawing = false;
    QPoint m_lastPoint;
    QImage m_cache;  // null when it has to be drawn again
};

}  // namespace toliva
