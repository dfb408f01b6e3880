// The program-wide settings: the values of the groups "AppSettings",
// "Language" and "TBP" under HKCU "Software\Toliva" with their defaults,
// clamps and the fields derived from them.
//
// The fields the libraries below the shell read (the option word "dw1", the
// delimiter mode, the editor scale, the language, the interface scale, the
// result background) live in the AppContext; everything else lives here.
// Loading fills both; saving writes both back.
#pragma once

#include "platform/AppContext.h"

#include <QString>

#include <array>
#include <cstdint>

namespace toliva {

// What the screen says, measured once at start-up (InitDisplayMetrics).
struct DisplayMetrics {
    float dpiScale = 1.0f;          // logical pixels per inch / 96
    float mmPerPixelRatio = 0.0f;   // (millimetres per pixel) / 0.35260416666666666
    int scaledPx25 = 0;             // (int)(dpiScale * 25)
};

struct AppSettings {
    // ---- settings record ("AppSettings"); dw1, TeXDelimCode, EEScale and
    // res_clr_bk_RGB are AppContext::options, texDelimCode, eeScale and
    // resultBackColour.
    bool keepEquationPictures = false;   // not stored; true after every load
    int viewMode = 0;                    // "ViewMode": 0 visual, 1 LaTeX pane
    float texPaneRatio = 0.5f;           // "VSR_EES_TeX"
    float libraryPanelRatio = 0.25f;     // "VSR_EES_MFCB", 0.1 .. 0.8 at load
    int ctsEnhli = 2;                    // "CTS_enhli"
    int uiMetric = 0;                    // not stored: (int)(uiScale * 12 + 3)
    int recentBooks = 12;                // "nReccentBooks", 5 .. 100
    uint32_t ctsBack0 = 0xF4FFFF;        // "CTS_BGColor0" (COLORREF)
    uint32_t ctsBack1 = 0xFFFFFF;        // "CTS_BGColor1"
    uint32_t ctsBack2 = 0xFFFFFF;        // "CTS_BGColor2"
    uint32_t ctsLabel = 0xF0E6EA;        // "CTS_LabelColor"
    QString lastBookPath = QStringLiteral("KwBooks\\BP\\B0025.abk");  // "CTSLastBookPN"
    QString lastBookName;                // "CTSLastBookName"; default: LANG_01 gCS_1 item 9
    int tilesAero = 2;                   // "TilesAero"
    int tilesGrad = 0;                   // "TilesGrad"
    int clipFrames = 24;                 // "clip_frames", 2 .. 100
    int captureFormat = 1;               // "CaptureFormat"
    int resEchoType = 0;                 // "res_echotype"
    int virtualLeft = 0, virtualTop = 0;  // not stored; set by the main frame
    bool autoCheckUpdate = true;         // "auto_chk_update"
    bool calledByCapture = false;        // "caller_is_Pirnel": read, never saved here
    int charCodeMode = 2;                // "CurCharCode": 2 at every load, written at save

    // ---- interface record ("AppSettings", "Language"); AppUISize and LanSel
    // are AppContext::uiScale and lanSel (languageCode() derives the code).
    uint32_t uiBack = 0xF0F0F0;          // "UI_ERBKColor"
    DisplayMetrics display;
    int virtualWidth = 0, virtualHeight = 0;  // not stored; set by the main frame

    // ---- panel-style record ("TBP")
    int uiSizeStep = 0;                  // "AppUISS": 0 automatic, 1 .. 5 fixed
    std::array<bool, 4> panelOptions{true, true, false, true};  // "TBP" "dw1" bits 0 .. 3 (default 11)
    uint32_t scrTabBack = 0xF0E6EA;      // "ScrTabBkClr"
    uint32_t markerBar = 0xAAE6AA;       // "MarkerBarColor"
    int buttonRound = 100;               // "ButtonRound", 1 .. 100
    int buttonAero = 25;                 // "ButtonAero"
    int buttonGrad = 75;                 // "ButtonGrad"
    int tabGrad = 50;                    // "TabGrad"
    int buttonRoundStyle = 2;            // not stored: 2 above 80, 1 for 31 .. 80, 0 for 1 .. 30
    QString cellOrderPattern = QStringLiteral("Dat\\KwTBNSeq%d.dat");  // not stored
    QString iconSizeFolder = QStringLiteral("100");                    // not stored

    // The loaders ran in this process; SaveAppSettings writes nothing before.
    bool loaded = false;
};

// The "TBP\Color" group: "Clr1" .. "Clr12" with their defaults (read only).
std::array<uint32_t, 12> LoadPanelGroupColours();

// "LanSel" is read with ParseLanguageSelection and ReadLanguageSelection
// (platform/AppContext.h), which the libraries' own option loader shares.

// The interface scale and icon folder of "AppUISS" (1 .. 5 fixed steps; any
// other value follows the screen's dpi scale).
void ApplyUISizeStep(int step, float dpiScale, float& uiScale, QString& iconFolder);

// The per-group halves. Each opens its key; a key that cannot be opened
// gives every value its default (and writes nothing). A float that is no
// finite number counts as missing.
void LoadUISettings(AppContext& app, AppSettings& s);
void SaveUISettings(const AppContext& app, const AppSettings& s);
void LoadLanguageSetting(AppContext& app);
void SaveLanguageSetting(const AppContext& app);
void LoadPanelStyleSettings(AppContext& app, AppSettings& s);
void SavePanelStyleSettings(const AppSettings& s);

// Reads every group in the order of start-up (s.display must hold the
// screen's metrics); sets s.loaded. Returns true.
bool LoadAppSettings(AppContext& app, AppSettings& s);
// Writes every group; nothing unless s.loaded.
void SaveAppSettings(const AppContext& app, const AppSettings& s);

// A run started by the office add-in reads no settings: every field takes its
// default (derived fields included; the display metrics and the virtual
// screen stay as measured), the language comes from "LanSel" read without
// writing anything (its default when it is missing), the option word and the
// delimiter mode stay 0. Nothing is written; s.loaded stays false.
void SetAddinModeSettings(AppContext& app, AppSettings& s);

}  // namespace toliva
