#include "shell/layout/ViewLayout.h"

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

// A rectangle from its edges; a side that would come out negative is empty.
QRect edges(int left, int top, int right, int bottom) {
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

constexpr int kSplitter = 6;
constexpr int kMinEditWidth = 600;     // the frame's minimum without the panel
constexpr int kMinWidthWithPanel = 760;
constexpr int kMinPanelWidth = 160;

}  // namespace

ViewLayout ComputeViewLayout(const ViewLayoutInput& in) {
    ViewLayout out;
    out.libraryPanelRatio = in.libraryPanelRatio;
    out.texPaneRatio = in.texPaneRatio;
    const int width = std::max(0, in.client.width());
    const int top = in.topLine ? 1 : 0;
    const int bottom = std::max(top, in.client.height());
    const float s = in.uiScale;

    // The side panel and its splitter at the right.
    int editRight = width;
    if (in.panelShown && in.panelExists) {
        out.minTrackWidth = kMinWidthWithPanel;
        // Rounded, so that laying out again at the same width keeps the
        // width the ratio was made of.
        int panel = int(std::lround(double(in.libraryPanelRatio) * width));
        panel = std::max(panel, kMinPanelWidth);
        // Narrower than 600 the sheet keeps everything and the panel none.
        panel = std::max(0, std::min(panel, width - kMinEditWidth));
        if (width > 0) out.libraryPanelRatio = float(panel) / float(width);
        const int x = width - panel + kSplitter;
        out.sidePanel = edges(std::min(x, width), top, width, bottom);
        out.splitter = edges(std::min(x - kSplitter, width), top, std::min(x, width), bottom);
        editRight = std::min(x - kSplitter, width);
    } else {
        out.minTrackWidth = kMinEditWidth;
    }

    const int T = top, B = bottom;
    if (in.viewMode == 1) {
        const float ratio = std::clamp(in.texPaneRatio, 0.2f, 0.8f);
        out.texPaneRatio = ratio;
        const int m = T + int(std::max(0.0f, ratio * float(B - T) - 20.0f));
        out.sheet = edges(0, T, editRight, m);
        const int o = int(s * 24 + float(m) + 17);
        out.latexToolbar = edges(0, m + 1, editRight, o);
        out.latexPane = edges(0, o, editRight, B);
    } else if (in.barsOnTop) {
        const int d = int(s * 24 + float(T) + 16);
        out.mainToolbar = edges(0, T, editRight, d);
        out.strip = edges(0, d - 1, editRight, int(s * 163 + float(d) + 25));
        out.sheet = edges(0, T + int(s * 187 + 42), editRight, B);
    } else {
        // A window too low for the bars keeps the sheet's top edge.
        const int b = std::max(T, B - int(s * 187 + 42));
        out.sheet = edges(0, T, editRight, b);
        const int d = int(s * 24 + float(b) + 17);
        out.mainToolbar = edges(0, b + 1, editRight, d);
        out.strip = edges(0, d - 1, editRight, int(s * 163 + float(d) + 36));
    }
    return out;
}

float DragLibraryPanelRatio(float savedRatio, int width, int startX, int x) {
    if (width <= 0) return savedRatio;
    float panel = savedRatio * float(width) + float(startX - x);
    panel = std::min(panel, float(width - kMinEditWidth));
    panel = std::max(panel, float(kMinPanelWidth));
    return panel / float(width);
}

float DragTeXPaneRatio(float savedRatio, int height, int startY, int y) {
    if (height <= 0) return savedRatio;
    return float(y + int(savedRatio * float(height) - 20) - startY + 20) / float(height);
}

int AutoScroll::Step(int fromLow, int fromHigh) {
    constexpr int kBand = 50, kLimit = 20, kStart = 5;
    const bool inside = fromLow >= 0 && fromHigh >= 0;
    if (inside && fromHigh < kBand) {
        // Coming from the other edge the count starts again from 0, so that
        // the sheet never scrolls away from the edge the point is at.
        counter = std::min(std::max(counter, 0) + 1, kLimit);
    } else if (inside && fromLow < kBand) {
        counter = std::max(std::min(counter, 0) - 1, -kLimit);
    } else {
        counter = 0;
    }
    return (counter >= kStart || counter <= -kStart) ? counter : 0;
}

std::optional<SymbolKey> StripReleaseKey(const std::optional<SymbolKey>& pressed,
                                         const std::optional<SymbolKey>& released, bool overSheet) {
    if (!pressed) return std::nullopt;
    if (released) return *released == *pressed ? pressed : std::nullopt;
    return overSheet ? pressed : std::nullopt;
}

std::map<int, int> MainToolbarStates(int charCodeMode, bool firstOption, bool embedded, int alignment) {
    constexpr int kChecked = 21, kNormal = 1, kDisabled = 0;
    std::map<int, int> states;
    states[3] = embedded ? kDisabled : kNormal;
    states[17] = (charCodeMode == 3 || charCodeMode == 4) ? kChecked : kNormal;
    states[18] = (charCodeMode == 2 || charCodeMode == 4) ? kChecked : kNormal;
    for (int a = 0; a < 4; ++a) states[kAlignButtonFirst + a] = alignment == a ? kChecked : kNormal;
    states[31] = firstOption ? kChecked : kNormal;
    return states;
}

}  // namespace toliva
