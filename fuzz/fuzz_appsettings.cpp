// Feeds bytes as the stored values of the program's settings: any type, size
// and contents under any of their names. The load must keep every clamp
// (finite floats included), and what it saves must load back the same.
//
// Input: one byte of screen scale, then records of
// [name index][type][length][length bytes of data].
#include "shell/settings/AppSettings.h"

#include "platform/RegistryStore.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <unistd.h>

namespace {

using namespace toliva;

const QString kRoot = QStringLiteral("Software\\Toliva");

struct Name {
    const char* key;
    const char* name;
};

const Name kNames[] = {
    {"AppSettings", "UI_ERBKColor"},   {"AppSettings", "AppUISize"},       {"Language", "LanSel"},
    {"TBP", "dw1"},                    {"TBP", "AppUISS"},                 {"TBP", "ButtonRound"},
    {"TBP", "ButtonAero"},             {"TBP", "ButtonGrad"},              {"TBP", "TabGrad"},
    {"TBP", "ScrTabBkClr"},            {"TBP", "MarkerBarColor"},          {"AppSettings", "dw1"},
    {"AppSettings", "ViewMode"},       {"AppSettings", "VSR_EES_MFCB"},    {"AppSettings", "VSR_EES_TeX"},
    {"AppSettings", "CTS_enhli"},      {"AppSettings", "nReccentBooks"},   {"AppSettings", "CTS_BGColor0"},
    {"AppSettings", "CTS_BGColor1"},   {"AppSettings", "CTS_BGColor2"},    {"AppSettings", "CTS_LabelColor"},
    {"AppSettings", "CTSLastBookPN"},  {"AppSettings", "CTSLastBookName"}, {"AppSettings", "TilesAero"},
    {"AppSettings", "TilesGrad"},      {"AppSettings", "TeXDelimCode"},    {"AppSettings", "clip_frames"},
    {"AppSettings", "CaptureFormat"},  {"AppSettings", "res_echotype"},    {"AppSettings", "EEScale"},
    {"AppSettings", "res_clr_bk_RGB"}, {"AppSettings", "CurCharCode"},     {"AppSettings", "auto_chk_update"},
    {"AppSettings", "caller_is_Pirnel"}, {"TBP\\Color", "Clr1"},           {"TBP\\Color", "Clr12"},
};

void useScratchHome() {
    static const bool once = [] {
        const QString home = QDir::tempPath() + QStringLiteral("/toliva-fuzz-appsettings-%1").arg(getpid());
        QDir().mkpath(home);
        setenv("TOLIVA_HOME", home.toLocal8Bit().constData(), 1);
        RegistryStore::resetInstance();
        return true;
    }();
    (void)once;
}

void check(bool ok) {
    if (!ok) std::abort();
}

bool same(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void checkClamps(const AppContext& app, const AppSettings& s) {
    check(app.uiScale == 1.0f || app.uiScale == 1.25f || app.uiScale == 1.5f || app.uiScale == 1.75f ||
          app.uiScale == 2.0f);
    check(std::isfinite(app.eeScale) && app.eeScale >= 0.2f && app.eeScale <= 20.0f);
    check(std::isfinite(s.texPaneRatio));
    check(std::isfinite(s.libraryPanelRatio) && s.libraryPanelRatio >= 0.1f && s.libraryPanelRatio <= 0.8f);
    check(s.recentBooks >= 5 && s.recentBooks <= 100);
    check(s.clipFrames >= 2 && s.clipFrames <= 100);
    check(s.buttonRound >= 1 && s.buttonRound <= 100);
    check(s.buttonRoundStyle == (s.buttonRound > 80 ? 2 : s.buttonRound > 30 ? 1 : 0));
    check(s.uiMetric == int(app.uiScale * 12 + 3));
    check(s.charCodeMode == 2);
    check(s.loaded && s.keepEquationPictures);
}

void checkSame(const AppContext& a, const AppSettings& s, const AppContext& b, const AppSettings& t) {
    check(a.options == b.options && a.texDelimCode == b.texDelimCode && same(a.eeScale, b.eeScale));
    check(a.lanSel == b.lanSel && a.uiScale == b.uiScale && a.resultBackColour == b.resultBackColour);
    check(s.viewMode == t.viewMode && same(s.texPaneRatio, t.texPaneRatio) &&
          same(s.libraryPanelRatio, t.libraryPanelRatio));
    check(s.ctsEnhli == t.ctsEnhli && s.recentBooks == t.recentBooks && s.ctsBack0 == t.ctsBack0 &&
          s.ctsBack1 == t.ctsBack1 && s.ctsBack2 == t.ctsBack2 && s.ctsLabel == t.ctsLabel);
    check(s.lastBookPath == t.lastBookPath && s.lastBookName == t.lastBookName);
    check(s.tilesAero == t.tilesAero && s.tilesGrad == t.tilesGrad && s.clipFrames == t.clipFrames &&
          s.captureFormat == t.captureFormat && s.resEchoType == t.resEchoType);
    check(s.autoCheckUpdate == t.autoCheckUpdate && s.calledByCapture == t.calledByCapture);
    check(s.uiBack == t.uiBack && s.uiSizeStep == t.uiSizeStep && s.panelOptions == t.panelOptions);
    check(s.scrTabBack == t.scrTabBack && s.markerBar == t.markerBar && s.buttonRound == t.buttonRound &&
          s.buttonAero == t.buttonAero && s.buttonGrad == t.buttonGrad && s.tabGrad == t.tabGrad);
    check(s.iconSizeFolder == t.iconSizeFolder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    useScratchHome();
    RegistryStore& store = RegistryStore::instance();
    store.deleteKey(kRoot);
    if (size == 0) return 0;
    const float dpiScale = 0.5f + data[0] / 64.0f;
    size_t at = 1;
    while (at + 3 <= size) {
        const Name& n = kNames[data[at] % std::size(kNames)];
        const uint32_t type = data[at + 1] % 5;
        const size_t length = std::min<size_t>(data[at + 2], size - at - 3);
        const QByteArray bytes(reinterpret_cast<const char*>(data + at + 3), qsizetype(length));
        at += 3 + length;
        const QString key = kRoot + QLatin1Char('\\') + QString::fromLatin1(n.key);
        store.createKey(key);
        store.set(key, QString::fromLatin1(n.name), type, bytes);
    }

    AppContext app;
    AppSettings s;
    s.display.dpiScale = dpiScale;
    LoadAppSettings(app, s);
    checkClamps(app, s);
    LoadPanelGroupColours();

    SaveAppSettings(app, s);
    AppContext again;
    AppSettings reloaded;
    reloaded.display.dpiScale = dpiScale;
    LoadAppSettings(again, reloaded);
    checkSame(app, s, again, reloaded);
    return 0;
}
