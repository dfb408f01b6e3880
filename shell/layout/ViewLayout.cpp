#include "shell/layout/ViewLayout.h"

namespace toliva {

ViewLayout ComputeViewLayout(const ViewLayoutInput& in) {
    ViewLayout out;
    out.libraryPanelRatio = in.libraryPanelRatio;
    out.texPaneRatio = in.texPaneRatio;
    out.sheet = QRect(QPoint(0, 0), in.client);
    return out;
}

float DragLibraryPanelRatio(float savedRatio, int, int, int) { return savedRatio; }
float DragTeXPaneRatio(float savedRatio, int, int, int) { return savedRatio; }
int AutoScroll::Step(int, int) { return 0; }
std::map<int, int> MainToolbarStates(int, bool, bool, int) { return {}; }

}  // namespace toliva
