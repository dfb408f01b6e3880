#include "shell/PanelContextFromSettings.h"

#include "shell/settings/AppSettings.h"

namespace toliva {

void FillPanelContext(PanelContext& panel, AppContext& app, const AppSettings& settings,
                      const QString& programFolder) {
    panel.uiScale = app.uiScale;
    panel.dpiScale = settings.display.dpiScale;
    panel.iconSizeFolder = settings.iconSizeFolder;
    panel.programFolder = programFolder;
    panel.userFolder = app.userFolder;
    panel.languageCode = app.languageCode();
    panel.uiBack = settings.uiBack & 0xFFFFFFu;
    panel.scrTabBack = settings.scrTabBack & 0xFFFFFFu;
    panel.markerBar = settings.markerBar & 0xFFFFFFu;
    panel.buttonAero = settings.buttonAero;
    panel.buttonGrad = settings.buttonGrad;
    panel.tabGrad = settings.tabGrad;
    panel.archedTabs = settings.panelOptions[0];
    panel.groupColours = settings.panelOptions[1];
    panel.drawingLock = &app.drawingLock;
}

}  // namespace toliva
