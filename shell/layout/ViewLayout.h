// The arithmetic of the main view's layout: where the sheet, the tool bars,
// the symbol strip, the LaTeX pane, the side panel and the splitter go for a
// client size, the interface scale, the two ratios and the options.
#pragma once

#include "model/SymbolKey.h"

#include <QRect>
#include <QSize>

#include <map>
#include <optional>

namespace toliva {

struct ViewLayoutInput {
    QSize client;                    // W x H
    float uiScale = 1.0f;            // s
    bool panelShown = false;         // "dw1" bit 0
    bool panelExists = true;         // the side panel window exists
    float libraryPanelRatio = 0.25f; // "VSR_EES_MFCB"
    float texPaneRatio = 0.5f;       // "VSR_EES_TeX"
    int viewMode = 0;                // 0 visual, 1 LaTeX
    bool barsOnTop = false;          // "TBP" bit 2
    bool topLine = false;            // "TBP" bit 3: the top moves down a pixel
};

struct ViewLayout {
    int minTrackWidth = 600;         // the frame's minimum tracking width
    float libraryPanelRatio = 0.25f; // written back (the panel width / W)
    float texPaneRatio = 0.5f;       // written back (clamped to 0.2 .. 0.8)
    QRect sheet, mainToolbar, strip; // visual mode (empty in LaTeX mode)
    QRect latexToolbar, latexPane;   // LaTeX mode (empty in visual mode)
    QRect sidePanel, splitter;       // empty while the panel is hidden
};

// Rectangles from their edges as the window system has them (right and
// bottom exclusive): QRect(left, top, right - left, bottom - top). A side the
// rules would make negative (a window smaller than its minimum) is empty.
ViewLayout ComputeViewLayout(const ViewLayoutInput& in);

// The side-panel splitter dragged from startX to x: the new ratio for the
// client width (the panel at least 160 wide and at most W - 600).
float DragLibraryPanelRatio(float savedRatio, int width, int startX, int x);
// The LaTeX splitter dragged from startY to y over the height h.
float DragTeXPaneRatio(float savedRatio, int height, int startY, int y);

// The drop's automatic scrolling: the counter of one direction for a point
// at distance `fromLow` from the top (left) edge and `fromHigh` from the
// bottom (right) edge (0 on the edge's own pixel row; negative outside).
// Within 50 pixels of the bottom (right) edge the counter rises by 1 up to
// 20, within 50 of the top (left) edge it falls by 1 down to -20, elsewhere
// it is 0; from 5 (-5) on the step is the counter.
struct AutoScroll {
    int counter = 0;
    // Returns the pixels to scroll (negative up or left, 0 none).
    int Step(int fromLow, int fromHigh);
};

// A left-button release after a press on a strip cell: the pressed key is
// taken when released over the same cell or, off the cells, over the sheet
// (a symbol dragged into it); over another cell nothing is taken.
std::optional<SymbolKey> StripReleaseKey(const std::optional<SymbolKey>& pressed,
                                         const std::optional<SymbolKey>& released, bool overSheet);

// The first of the four alignment buttons (left, centre, right, at the mark).
constexpr int kAlignButtonFirst = 25;

// The main tool bar's button states (0-based position -> 1 normal, 21
// checked, 0 disabled) for the character-code mode, the equation's first
// option flag, whether the document is embedded and the alignment (0 .. 3).
std::map<int, int> MainToolbarStates(int charCodeMode, bool firstOption, bool embedded, int alignment);

}  // namespace toliva
