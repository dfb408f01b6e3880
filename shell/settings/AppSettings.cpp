#include "shell/settings/AppSettings.h"

#include "platform/LangTable.h"
#include "platform/RegKey.h"

#include <algorithm>
#include <cmath>

namespace toliva {
namespace {

const QString kTbpKey = QStringLiteral("Software\\Toliva\\TBP");
const QString kTbpColourKey = QStringLiteral("Software\\Toliva\\TBP\\Color");

// The language of a store without "LanSel".
constexpr int kDefaultLanguageSelection = 2;
// "TBP" "dw1": panel options 0, 1 and 3.
constexpr int kDefaultPanelOptions = 11;

int readInt(RegKey& key, const QString& name, int def) {
    int value = def;
    ReadRegDword(key, name, value, def);
    return value;
}

uint32_t readColour(RegKey& key, const QString& name, uint32_t def) {
    return uint32_t(readInt(key, name, int(def)));
}

// A float of the store; NaN and infinities (which no clamp catches) give def.
float readFloat(RegKey& key, const QString& name, float def) {
    float value = def;
    ReadRegFloat(key, name, value, def);
    return std::isfinite(value) ? value : def;
}

void writeColour(RegKey& key, const QString& name, uint32_t colour) { WriteRegDword(key, name, int(colour)); }

// The loaders read through a key that is either open on the store or closed;
// a closed key gives every value its default.

void loadUI(RegKey& key, AppContext& app, AppSettings& s) {
    s.uiBack = readColour(key, QStringLiteral("UI_ERBKColor"), 0xF0F0F0);
    const int size = std::max(readInt(key, QStringLiteral("AppUISize"), 1), 1);
    app.uiScale = std::min(float(size), 2.0f);
}

void loadPanelStyle(RegKey& key, AppContext& app, AppSettings& s) {
    const int options = readInt(key, QStringLiteral("dw1"), kDefaultPanelOptions);
    for (size_t bit = 0; bit < s.panelOptions.size(); ++bit) s.panelOptions[bit] = (options >> bit) & 1;
    s.uiSizeStep = readInt(key, QStringLiteral("AppUISS"), 0);
    s.buttonRound = readInt(key, QStringLiteral("ButtonRound"), 100);
    s.buttonAero = readInt(key, QStringLiteral("ButtonAero"), 25);
    s.buttonGrad = readInt(key, QStringLiteral("ButtonGrad"), 75);
    s.tabGrad = readInt(key, QStringLiteral("TabGrad"), 50);
    s.scrTabBack = readColour(key, QStringLiteral("ScrTabBkClr"), 0xF0E6EA);
    s.markerBar = readColour(key, QStringLiteral("MarkerBarColor"), 0xAAE6AA);

    s.buttonRound = std::clamp(s.buttonRound, 1, 100);
    s.buttonRoundStyle = s.buttonRound > 80 ? 2 : s.buttonRound > 30 ? 1 : 0;
    s.cellOrderPattern = QStringLiteral("Dat\\KwTBNSeq%d.dat");
    ApplyUISizeStep(s.uiSizeStep, s.display.dpiScale, app.uiScale, s.iconSizeFolder);
}

// The settings record; the language must be loaded (the last book's default
// name is looked up in it).
void loadSettingsRecord(RegKey& key, AppContext& app, AppSettings& s) {
    app.options = uint32_t(readInt(key, QStringLiteral("dw1"), int(AppContext::kDefaultOptions)));
    s.viewMode = readInt(key, QStringLiteral("ViewMode"), 0);
    s.libraryPanelRatio = readFloat(key, QStringLiteral("VSR_EES_MFCB"), 0.25f);
    s.texPaneRatio = readFloat(key, QStringLiteral("VSR_EES_TeX"), 0.5f);
    s.libraryPanelRatio = std::clamp(s.libraryPanelRatio, 0.1f, 0.8f);
    s.ctsEnhli = readInt(key, QStringLiteral("CTS_enhli"), 2);
    s.uiMetric = int(app.uiScale * 12 + 3);
    s.recentBooks = readInt(key, QStringLiteral("nReccentBooks"), 12);
    s.ctsBack0 = readColour(key, QStringLiteral("CTS_BGColor0"), 0xF4FFFF);
    s.ctsBack1 = readColour(key, QStringLiteral("CTS_BGColor1"), 0xFFFFFF);
    s.ctsBack2 = readColour(key, QStringLiteral("CTS_BGColor2"), 0xFFFFFF);
    s.ctsLabel = readColour(key, QStringLiteral("CTS_LabelColor"), 0xF0E6EA);
    ReadRegString(key, QStringLiteral("CTSLastBookPN"), s.lastBookPath, QStringLiteral("KwBooks\\BP\\B0025.abk"));
    if (!ReadRegString(key, QStringLiteral("CTSLastBookName"), s.lastBookName, QString())) {
        LangTable table(app.languageCode(), QStringLiteral("LANG_01.xml"));
        s.lastBookName = LoadLangString(table, QStringLiteral("gCS_1"), 9);
    }
    s.recentBooks = std::clamp(s.recentBooks, 5, 100);
    s.tilesAero = readInt(key, QStringLiteral("TilesAero"), 2);
    s.tilesGrad = readInt(key, QStringLiteral("TilesGrad"), 0);
    app.texDelimCode = readInt(key, QStringLiteral("TeXDelimCode"), 0);
    s.clipFrames = readInt(key, QStringLiteral("clip_frames"), 24);
    s.captureFormat = readInt(key, QStringLiteral("CaptureFormat"), 1);
    s.resEchoType = readInt(key, QStringLiteral("res_echotype"), 0);
    app.eeScale = readFloat(key, QStringLiteral("EEScale"), 4.0f);
    app.resultBackColour = readColour(key, QStringLiteral("res_clr_bk_RGB"), 0xFFFFFF);
    s.charCodeMode = 2;
    app.eeScale = std::clamp(app.eeScale, 0.2f, 20.0f);
    s.clipFrames = std::clamp(s.clipFrames, 2, 100);
    s.autoCheckUpdate = ReadRegBool(key, QStringLiteral("auto_chk_update"), true);
    s.calledByCapture = ReadRegBool(key, QStringLiteral("caller_is_Pirnel"), false);
}

}  // namespace

std::array<uint32_t, 12> LoadPanelGroupColours() {
    static constexpr std::array<uint32_t, 12> kDefaults{0xFFCF6C, 0xDBBBFF, 0xAEFFD5, 0xCADBFF, 0xAEFFFF, 0xFFD9D9,
                                                        0xC1FFFF, 0xFBF3D2, 0xC2D7ED, 0xDDFFBB, 0xBABADC, 0xF3DBFD};
    std::array<uint32_t, 12> colours = kDefaults;
    RegKey key;
    OpenRegKey(kTbpColourKey, key);
    for (size_t i = 0; i < colours.size(); ++i)
        colours[i] = readColour(key, QStringLiteral("Clr%1").arg(i + 1), kDefaults[i]);
    return colours;
}

void ApplyUISizeStep(int step, float dpiScale, float& uiScale, QString& iconFolder) {
    struct Step {
        float scale;
        const char* folder;
    };
    static constexpr Step kSteps[] = {{1.0f, "100"}, {1.25f, "125"}, {1.5f, "150"}, {1.75f, "175"}, {2.0f, "200"}};
    int index = step - 1;
    if (index < 0 || index > 4) {
        // Automatic: the largest step the screen's scale reaches (NaN reaches none).
        index = dpiScale > 1.99f ? 4 : dpiScale > 1.74f ? 3 : dpiScale > 1.49f ? 2 : dpiScale > 1.24f ? 1 : 0;
    }
    uiScale = kSteps[index].scale;
    iconFolder = QString::fromLatin1(kSteps[index].folder);
}

void LoadUISettings(AppContext& app, AppSettings& s) {
    RegKey key;
    OpenRegKey(kAppSettingsKey, key);
    loadUI(key, app, s);
}

void SaveUISettings(const AppContext& app, const AppSettings& s) {
    RegKey key;
    if (!OpenRegKey(kAppSettingsKey, key)) return;
    writeColour(key, QStringLiteral("UI_ERBKColor"), s.uiBack);
    WriteRegDword(key, QStringLiteral("AppUISize"), int(app.uiScale));
}

void LoadLanguageSetting(AppContext& app) { app.lanSel = ReadLanguageSelection(kDefaultLanguageSelection); }

void SaveLanguageSetting(const AppContext& app) {
    RegKey key;
    if (!OpenRegKey(kLanguageKey, key)) return;
    WriteRegString(key, QStringLiteral("LanSel"), QString::number(app.lanSel));
}

void LoadPanelStyleSettings(AppContext& app, AppSettings& s) {
    RegKey key;
    OpenRegKey(kTbpKey, key);
    loadPanelStyle(key, app, s);
}

void SavePanelStyleSettings(const AppSettings& s) {
    RegKey key;
    if (!OpenRegKey(kTbpKey, key)) return;
    int options = 0;
    for (size_t bit = 0; bit < s.panelOptions.size(); ++bit) options |= int(s.panelOptions[bit]) << bit;
    WriteRegDword(key, QStringLiteral("dw1"), options);
    WriteRegDword(key, QStringLiteral("AppUISS"), s.uiSizeStep);
    WriteRegDword(key, QStringLiteral("ButtonRound"), s.buttonRound);
    WriteRegDword(key, QStringLiteral("ButtonAero"), s.buttonAero);
    WriteRegDword(key, QStringLiteral("ButtonGrad"), s.buttonGrad);
    WriteRegDword(key, QStringLiteral("TabGrad"), s.tabGrad);
    writeColour(key, QStringLiteral("ScrTabBkClr"), s.scrTabBack);
    writeColour(key, QStringLiteral("MarkerBarColor"), s.markerBar);
}

bool LoadAppSettings(AppContext& app, AppSettings& s) {
    s.keepEquationPictures = true;
    LoadUISettings(app, s);
    LoadLanguageSetting(app);
    LoadPanelStyleSettings(app, s);
    RegKey key;
    OpenRegKey(kAppSettingsKey, key);
    loadSettingsRecord(key, app, s);
    s.loaded = true;
    return true;
}

void SaveAppSettings(const AppContext& app, const AppSettings& s) {
    if (!s.loaded) return;
    SaveUISettings(app, s);
    SaveLanguageSetting(app);
    SavePanelStyleSettings(s);
    RegKey key;
    if (!OpenRegKey(kAppSettingsKey, key)) return;
    WriteRegDword(key, QStringLiteral("dw1"), int(app.options));
    WriteRegDword(key, QStringLiteral("ViewMode"), s.viewMode);
    WriteRegFloat(key, QStringLiteral("VSR_EES_MFCB"), s.libraryPanelRatio);
    WriteRegFloat(key, QStringLiteral("VSR_EES_TeX"), s.texPaneRatio);
    WriteRegDword(key, QStringLiteral("CTS_enhli"), s.ctsEnhli);
    WriteRegDword(key, QStringLiteral("nReccentBooks"), s.recentBooks);
    writeColour(key, QStringLiteral("CTS_BGColor0"), s.ctsBack0);
    writeColour(key, QStringLiteral("CTS_BGColor1"), s.ctsBack1);
    writeColour(key, QStringLiteral("CTS_BGColor2"), s.ctsBack2);
    writeColour(key, QStringLiteral("CTS_LabelColor"), s.ctsLabel);
    WriteRegString(key, QStringLiteral("CTSLastBookPN"), s.lastBookPath);
    WriteRegString(key, QStringLiteral("CTSLastBookName"), s.lastBookName);
    WriteRegDword(key, QStringLiteral("TilesAero"), s.tilesAero);
    WriteRegDword(key, QStringLiteral("TilesGrad"), s.tilesGrad);
    WriteRegDword(key, QStringLiteral("TeXDelimCode"), app.texDelimCode);
    WriteRegDword(key, QStringLiteral("clip_frames"), s.clipFrames);
    WriteRegDword(key, QStringLiteral("CaptureFormat"), s.captureFormat);
    WriteRegDword(key, QStringLiteral("res_echotype"), s.resEchoType);
    WriteRegFloat(key, QStringLiteral("EEScale"), app.eeScale);
    writeColour(key, QStringLiteral("res_clr_bk_RGB"), app.resultBackColour);
    WriteRegDword(key, QStringLiteral("CurCharCode"), s.charCodeMode);
    WriteRegBool(key, QStringLiteral("auto_chk_update"), s.autoCheckUpdate);
}

void SetAddinModeSettings(AppContext& app, AppSettings& s) {
    // Every field its default: the loaders over closed keys. What the screen
    // and the frame set is no setting and stays.
    AppSettings defaults;
    defaults.display = s.display;
    defaults.virtualLeft = s.virtualLeft;
    defaults.virtualTop = s.virtualTop;
    defaults.virtualWidth = s.virtualWidth;
    defaults.virtualHeight = s.virtualHeight;
    s = defaults;
    RegKey closed;
    loadUI(closed, app, s);
    app.lanSel = ReadLanguageSelection(kDefaultLanguageSelection);
    loadPanelStyle(closed, app, s);
    loadSettingsRecord(closed, app, s);
    app.options = 0;
    app.texDelimCode = 0;
    s.loaded = false;
}

}  // namespace toliva
