#include "shell/settings/AppSettings.h"

#include "platform/RegKey.h"

#include "tests/common/ScratchRegistryHome.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <limits>
#include <vector>

namespace toliva {
namespace {

const QString kSettings = QStringLiteral("Software\\Toliva\\AppSettings");
const QString kLanguage = QStringLiteral("Software\\Toliva\\Language");
const QString kTbp = QStringLiteral("Software\\Toliva\\TBP");
const QString kTbpColour = QStringLiteral("Software\\Toliva\\TBP\\Color");

// One value as the store holds it.
struct Stored {
    QString key;
    QString name;
    uint32_t type;
    QByteArray data;
};

Stored dword(const QString& key, const char* name, uint32_t v) {
    return {key, QString::fromLatin1(name), REG_DWORD, RegistryStore::encodeDword(v)};
}
Stored real(const QString& key, const char* name, float v) {
    return dword(key, name, std::bit_cast<uint32_t>(v));
}
Stored text(const QString& key, const char* name, const char* v) {
    return {key, QString::fromLatin1(name), REG_SZ, RegistryStore::encodeString(QString::fromUtf8(v))};
}

// Every test has its own empty registry.
class AppSettingsTest : public ::testing::Test {
protected:
    static RegistryStore& store() { return RegistryStore::instance(); }

    static void put(const std::vector<Stored>& values) {
        for (const Stored& v : values) {
            ASSERT_TRUE(store().createKey(v.key));
            ASSERT_TRUE(store().set(v.key, v.name, v.type, v.data)) << v.name.toStdString();
        }
    }
    static std::optional<RegValue> get(const QString& key, const char* name) {
        return store().query(key, QString::fromLatin1(name));
    }
    static uint32_t storedDword(const QString& key, const char* name) {
        RegKey k;
        int v = -12345;
        EXPECT_TRUE(OpenRegKey(key, k));
        EXPECT_TRUE(ReadRegDword(k, QString::fromLatin1(name), v, -12345)) << name;
        return uint32_t(v);
    }

    void load(float dpiScale = 1.0f) {
        s.display.dpiScale = dpiScale;
        EXPECT_TRUE(LoadAppSettings(ctx, s));
    }

    test::ScratchFolder folder;
    test::ScratchRegistryHome home{folder.path()};
    AppContext ctx;
    AppSettings s;
};

TEST_F(AppSettingsTest, EmptyStoreGivesTheDefaults) {
    load();
    EXPECT_TRUE(s.loaded);
    EXPECT_TRUE(s.keepEquationPictures);
    EXPECT_EQ(ctx.options, AppContext::kDefaultOptions);
    EXPECT_EQ(ctx.texDelimCode, 0);
    EXPECT_EQ(ctx.eeScale, 4.0f);
    EXPECT_EQ(ctx.resultBackColour, 0xFFFFFFu);
    EXPECT_EQ(ctx.lanSel, 2);
    EXPECT_EQ(ctx.languageCode(), "cn");
    EXPECT_EQ(ctx.uiScale, 1.0f);
    EXPECT_EQ(s.iconSizeFolder, "100");
    EXPECT_EQ(s.uiMetric, 15);
    EXPECT_EQ(s.uiBack, 0xF0F0F0u);
    EXPECT_EQ(s.texPaneRatio, 0.5f);
    EXPECT_EQ(s.libraryPanelRatio, 0.25f);
    EXPECT_EQ(s.recentBooks, 12);
    EXPECT_EQ(s.ctsBack0, 0xF4FFFFu);
    EXPECT_EQ(s.ctsLabel, 0xF0E6EAu);
    EXPECT_EQ(s.lastBookPath, "KwBooks\\BP\\B0025.abk");
    EXPECT_EQ(s.clipFrames, 24);
    EXPECT_EQ(s.captureFormat, 1);
    EXPECT_TRUE(s.autoCheckUpdate);
    EXPECT_FALSE(s.calledByCapture);
    EXPECT_EQ(s.charCodeMode, 2);
    EXPECT_EQ(s.panelOptions, (std::array<bool, 4>{true, true, false, true}));
    EXPECT_EQ(s.buttonRound, 100);
    EXPECT_EQ(s.buttonRoundStyle, 2);
    EXPECT_EQ(s.markerBar, 0xAAE6AAu);
    EXPECT_EQ(s.cellOrderPattern, "Dat\\KwTBNSeq%d.dat");
}

// Stored values, the screen, and what the load makes of them.
TEST_F(AppSettingsTest, LoadClampsAndDerives) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    using Check = std::function<void(const AppContext&, const AppSettings&)>;
    struct Case {
        const char* what;
        std::vector<Stored> stored;
        float dpiScale;
        Check check;
    } cases[] = {
        {"AppUISS 0 at 144 dpi", {dword(kTbp, "AppUISS", 0)}, 1.5f,
         [](auto& c, auto& s) {
             EXPECT_EQ(c.uiScale, 1.5f);
             EXPECT_EQ(s.iconSizeFolder, "150");
             EXPECT_EQ(s.uiMetric, 21);
         }},
        {"AppUISS 0 at 120 dpi", {}, 1.25f,
         [](auto& c, auto& s) {
             EXPECT_EQ(c.uiScale, 1.25f);
             EXPECT_EQ(s.iconSizeFolder, "125");
         }},
        {"AppUISS 0 at 240 dpi", {}, 2.5f,
         [](auto& c, auto& s) {
             EXPECT_EQ(c.uiScale, 2.0f);
             EXPECT_EQ(s.iconSizeFolder, "200");
         }},
        {"AppUISS 7 as 0", {dword(kTbp, "AppUISS", 7)}, 1.5f,
         [](auto& c, auto& s) {
             EXPECT_EQ(c.uiScale, 1.5f);
             EXPECT_EQ(s.uiSizeStep, 7);
         }},
        {"AppUISS 2 over the screen", {dword(kTbp, "AppUISS", 2), dword(kSettings, "AppUISize", 2)}, 2.0f,
         [](auto& c, auto& s) {
             EXPECT_EQ(c.uiScale, 1.25f);
             EXPECT_EQ(s.iconSizeFolder, "125");
         }},
        {"ButtonRound 0", {dword(kTbp, "ButtonRound", 0)}, 1.0f,
         [](auto&, auto& s) {
             EXPECT_EQ(s.buttonRound, 1);
             EXPECT_EQ(s.buttonRoundStyle, 0);
         }},
        {"ButtonRound 30", {dword(kTbp, "ButtonRound", 30)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.buttonRoundStyle, 0); }},
        {"ButtonRound 31", {dword(kTbp, "ButtonRound", 31)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.buttonRoundStyle, 1); }},
        {"ButtonRound 80", {dword(kTbp, "ButtonRound", 80)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.buttonRoundStyle, 1); }},
        {"ButtonRound 81", {dword(kTbp, "ButtonRound", 81)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.buttonRoundStyle, 2); }},
        {"ButtonRound 500", {dword(kTbp, "ButtonRound", 500)}, 1.0f,
         [](auto&, auto& s) {
             EXPECT_EQ(s.buttonRound, 100);
             EXPECT_EQ(s.buttonRoundStyle, 2);
         }},
        {"ButtonRound negative", {dword(kTbp, "ButtonRound", 0xFFFFFFF0)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.buttonRound, 1); }},
        {"TBP dw1 4", {dword(kTbp, "dw1", 4)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.panelOptions, (std::array<bool, 4>{false, false, true, false})); }},
        {"nReccentBooks 3", {dword(kSettings, "nReccentBooks", 3)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.recentBooks, 5); }},
        {"nReccentBooks 101", {dword(kSettings, "nReccentBooks", 101)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.recentBooks, 100); }},
        {"clip_frames 1", {dword(kSettings, "clip_frames", 1)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.clipFrames, 2); }},
        {"clip_frames 101", {dword(kSettings, "clip_frames", 101)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.clipFrames, 100); }},
        {"EEScale 50", {real(kSettings, "EEScale", 50.0f)}, 1.0f,
         [](auto& c, auto&) { EXPECT_EQ(c.eeScale, 20.0f); }},
        {"EEScale 0.1", {real(kSettings, "EEScale", 0.1f)}, 1.0f,
         [](auto& c, auto&) { EXPECT_EQ(c.eeScale, 0.2f); }},
        {"EEScale NaN", {real(kSettings, "EEScale", nan)}, 1.0f,
         [](auto& c, auto&) { EXPECT_EQ(c.eeScale, 4.0f); }},
        {"EEScale infinite", {real(kSettings, "EEScale", inf)}, 1.0f,
         [](auto& c, auto&) { EXPECT_EQ(c.eeScale, 4.0f); }},
        {"VSR_EES_MFCB 0.9", {real(kSettings, "VSR_EES_MFCB", 0.9f)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.libraryPanelRatio, 0.8f); }},
        {"VSR_EES_MFCB 0.05", {real(kSettings, "VSR_EES_MFCB", 0.05f)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.libraryPanelRatio, 0.1f); }},
        {"VSR_EES_MFCB NaN", {real(kSettings, "VSR_EES_MFCB", nan)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.libraryPanelRatio, 0.25f); }},
        {"VSR_EES_TeX NaN", {real(kSettings, "VSR_EES_TeX", -nan)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.texPaneRatio, 0.5f); }},
        {"VSR_EES_TeX kept for the layout", {real(kSettings, "VSR_EES_TeX", 0.9f)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.texPaneRatio, 0.9f); }},
        {"LanSel 02", {text(kLanguage, "LanSel", "02")}, 1.0f,
         [](auto& c, auto&) {
             EXPECT_EQ(c.lanSel, 2);
             EXPECT_EQ(c.languageCode(), "cn");
         }},
        {"LanSel x", {text(kLanguage, "LanSel", "x")}, 1.0f,
         [](auto& c, auto&) {
             EXPECT_EQ(c.lanSel, 0);
             EXPECT_EQ(c.languageCode(), "en");
         }},
        {"LanSel 1", {text(kLanguage, "LanSel", "1")}, 1.0f,
         [](auto& c, auto&) { EXPECT_EQ(c.languageCode(), "en"); }},
        {"CurCharCode 5", {dword(kSettings, "CurCharCode", 5)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.charCodeMode, 2); }},
        {"caller_is_Pirnel 1", {dword(kSettings, "caller_is_Pirnel", 1)}, 1.0f,
         [](auto&, auto& s) { EXPECT_TRUE(s.calledByCapture); }},
        {"auto_chk_update 0", {dword(kSettings, "auto_chk_update", 0)}, 1.0f,
         [](auto&, auto& s) { EXPECT_FALSE(s.autoCheckUpdate); }},
        {"lower-layer fields",
         {dword(kSettings, "dw1", 0x80), dword(kSettings, "TeXDelimCode", 3),
          dword(kSettings, "res_clr_bk_RGB", 0x123456)},
         1.0f,
         [](auto& c, auto&) {
             EXPECT_EQ(c.options, 0x80u);
             EXPECT_EQ(c.texDelimCode, 3);
             EXPECT_EQ(c.resultBackColour, 0x123456u);
         }},
        // A value of the wrong type counts as missing.
        {"DWORD LanSel", {dword(kLanguage, "LanSel", 1)}, 1.0f,
         [](auto& c, auto&) { EXPECT_EQ(c.lanSel, 2); }},
        {"text ButtonRound", {text(kTbp, "ButtonRound", "50")}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.buttonRound, 100); }},
        {"text EEScale", {text(kSettings, "EEScale", "8")}, 1.0f,
         [](auto& c, auto&) { EXPECT_EQ(c.eeScale, 4.0f); }},
        {"text auto_chk_update", {text(kSettings, "auto_chk_update", "0")}, 1.0f,
         [](auto&, auto& s) { EXPECT_TRUE(s.autoCheckUpdate); }},
        {"DWORD CTSLastBookPN", {dword(kSettings, "CTSLastBookPN", 7)}, 1.0f,
         [](auto&, auto& s) { EXPECT_EQ(s.lastBookPath, "KwBooks\\BP\\B0025.abk"); }},
        {"stored book",
         {text(kSettings, "CTSLastBookPN", "UserBooks\\BP\\B1.abk"), text(kSettings, "CTSLastBookName", "Mine")},
         1.0f,
         [](auto&, auto& s) {
             EXPECT_EQ(s.lastBookPath, "UserBooks\\BP\\B1.abk");
             EXPECT_EQ(s.lastBookName, "Mine");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScratchFolder caseFolder;
        test::ScratchRegistryHome caseHome(caseFolder.path());
        put(c.stored);
        AppContext context;
        AppSettings settings;
        settings.display.dpiScale = c.dpiScale;
        LoadAppSettings(context, settings);
        c.check(context, settings);
    }
}

TEST_F(AppSettingsTest, InterfaceSizeIsClampedToOneAndTwo) {
    for (auto [stored, scale] : {std::pair{0u, 1.0f}, {1u, 1.0f}, {2u, 2.0f}, {3u, 2.0f}, {0xFFFFFFFFu, 1.0f}}) {
        put({dword(kSettings, "AppUISize", stored)});
        LoadUISettings(ctx, s);
        EXPECT_EQ(ctx.uiScale, scale) << stored;
    }
}

// The fixed step replaces the stored size for the run; the exit writes the
// whole part of the scale.
TEST_F(AppSettingsTest, ExitWritesTheWholePartOfTheScale) {
    put({dword(kSettings, "AppUISize", 1), dword(kTbp, "AppUISS", 4), dword(kSettings, "CurCharCode", 5)});
    load();
    EXPECT_EQ(ctx.uiScale, 1.75f);
    EXPECT_EQ(s.iconSizeFolder, "175");
    EXPECT_EQ(s.uiMetric, 24);
    SaveAppSettings(ctx, s);
    EXPECT_EQ(storedDword(kSettings, "AppUISize"), 1u);
    EXPECT_EQ(storedDword(kTbp, "AppUISS"), 4u);
    EXPECT_EQ(storedDword(kSettings, "CurCharCode"), 2u);
}

TEST_F(AppSettingsTest, SaveWritesEveryValueWithItsType) {
    put({dword(kSettings, "caller_is_Pirnel", 1)});
    load();
    ctx.lanSel = 1;
    ctx.eeScale = 2.5f;
    ctx.options = 0x1234;
    s.lastBookName = QStringLiteral("Books");
    s.panelOptions = {false, true, true, false};
    s.calledByCapture = false;  // the document took the hand-off
    SaveAppSettings(ctx, s);

    struct Expected {
        const QString& key;
        const char* name;
        uint32_t type;
    } expected[] = {
        {kSettings, "UI_ERBKColor", REG_DWORD},   {kSettings, "AppUISize", REG_DWORD},
        {kLanguage, "LanSel", REG_SZ},            {kTbp, "dw1", REG_DWORD},
        {kTbp, "AppUISS", REG_DWORD},             {kTbp, "ButtonRound", REG_DWORD},
        {kTbp, "ButtonAero", REG_DWORD},          {kTbp, "ButtonGrad", REG_DWORD},
        {kTbp, "TabGrad", REG_DWORD},             {kTbp, "ScrTabBkClr", REG_DWORD},
        {kTbp, "MarkerBarColor", REG_DWORD},      {kSettings, "dw1", REG_DWORD},
        {kSettings, "ViewMode", REG_DWORD},       {kSettings, "VSR_EES_MFCB", REG_DWORD},
        {kSettings, "VSR_EES_TeX", REG_DWORD},    {kSettings, "CTS_enhli", REG_DWORD},
        {kSettings, "nReccentBooks", REG_DWORD},  {kSettings, "CTS_BGColor0", REG_DWORD},
        {kSettings, "CTS_BGColor1", REG_DWORD},   {kSettings, "CTS_BGColor2", REG_DWORD},
        {kSettings, "CTS_LabelColor", REG_DWORD}, {kSettings, "CTSLastBookPN", REG_SZ},
        {kSettings, "CTSLastBookName", REG_SZ},   {kSettings, "TilesAero", REG_DWORD},
        {kSettings, "TilesGrad", REG_DWORD},      {kSettings, "TeXDelimCode", REG_DWORD},
        {kSettings, "clip_frames", REG_DWORD},    {kSettings, "CaptureFormat", REG_DWORD},
        {kSettings, "res_echotype", REG_DWORD},   {kSettings, "EEScale", REG_DWORD},
        {kSettings, "res_clr_bk_RGB", REG_DWORD}, {kSettings, "CurCharCode", REG_DWORD},
        {kSettings, "auto_chk_update", REG_DWORD},
    };
    for (const Expected& e : expected) {
        const auto v = get(e.key, e.name);
        ASSERT_TRUE(v) << e.name;
        EXPECT_EQ(v->type, e.type) << e.name;
        if (e.type == REG_DWORD) {
            EXPECT_EQ(v->data.size(), 4) << e.name;
        }
    }
    EXPECT_EQ(store().valueNames(kTbp).size(), 8);
    EXPECT_EQ(RegistryStore::decodeString(get(kLanguage, "LanSel")->data), "1");
    EXPECT_EQ(storedDword(kSettings, "EEScale"), std::bit_cast<uint32_t>(2.5f));
    EXPECT_EQ(storedDword(kSettings, "dw1"), 0x1234u);
    EXPECT_EQ(storedDword(kTbp, "dw1"), 6u);
    EXPECT_EQ(storedDword(kSettings, "auto_chk_update"), 1u);
    // Read at load, never written by the save.
    EXPECT_EQ(storedDword(kSettings, "caller_is_Pirnel"), 1u);

    AppContext again;
    AppSettings reloaded;
    LoadAppSettings(again, reloaded);
    EXPECT_EQ(again.lanSel, 1);
    EXPECT_EQ(again.eeScale, 2.5f);
    EXPECT_EQ(again.options, 0x1234u);
    EXPECT_EQ(reloaded.lastBookName, "Books");
    EXPECT_EQ(reloaded.panelOptions, s.panelOptions);
    EXPECT_TRUE(reloaded.calledByCapture);
}

TEST_F(AppSettingsTest, SaveWritesNothingUnlessLoaded) {
    SaveAppSettings(ctx, s);
    EXPECT_FALSE(store().keyExists(QStringLiteral("Software\\Toliva")));
}

// The add-in's run: the defaults (not zeros), the stored language, and no
// write, not even a key.
TEST_F(AppSettingsTest, AddinModeTakesDefaultsAndTheStoredLanguage) {
    put({text(kLanguage, "LanSel", "1")});
    for (bool languageStored : {true, false}) {
        SCOPED_TRACE(languageStored);
        if (!languageStored) {
            ASSERT_TRUE(store().deleteKey(QStringLiteral("Software\\Toliva")));
        }
        AppContext context;
        context.uiScale = 0;
        context.eeScale = 0;
        context.resultBackColour = 0;
        AppSettings settings;
        settings.display.dpiScale = 1.5f;
        settings.virtualWidth = 1920;
        settings.recentBooks = 0;
        settings.buttonRound = 0;
        settings.iconSizeFolder.clear();
        settings.lastBookPath.clear();
        settings.charCodeMode = 0;

        SetAddinModeSettings(context, settings);
        EXPECT_FALSE(settings.loaded);
        EXPECT_EQ(context.lanSel, languageStored ? 1 : 2);
        EXPECT_EQ(context.options, 0u);
        EXPECT_EQ(context.texDelimCode, 0);
        EXPECT_EQ(context.eeScale, 4.0f);
        EXPECT_EQ(context.resultBackColour, 0xFFFFFFu);
        EXPECT_EQ(context.uiScale, 1.5f);
        EXPECT_EQ(settings.iconSizeFolder, "150");
        EXPECT_EQ(settings.uiMetric, 21);
        EXPECT_EQ(settings.recentBooks, 12);
        EXPECT_EQ(settings.buttonRound, 100);
        EXPECT_EQ(settings.buttonRoundStyle, 2);
        EXPECT_EQ(settings.lastBookPath, "KwBooks\\BP\\B0025.abk");
        EXPECT_EQ(settings.charCodeMode, 2);
        EXPECT_EQ(settings.display.dpiScale, 1.5f);
        EXPECT_EQ(settings.virtualWidth, 1920);

        SaveAppSettings(context, settings);
        if (languageStored) {
            EXPECT_EQ(store().subkeys(QStringLiteral("Software\\Toliva")), QStringList{"Language"});
            EXPECT_EQ(store().valueNames(kLanguage), QStringList{"LanSel"});
        } else {
            EXPECT_FALSE(store().keyExists(QStringLiteral("Software\\Toliva")));
        }
    }
}

TEST_F(AppSettingsTest, PanelGroupColours) {
    const std::array<uint32_t, 12> defaults{0xFFCF6C, 0xDBBBFF, 0xAEFFD5, 0xCADBFF, 0xAEFFFF, 0xFFD9D9,
                                            0xC1FFFF, 0xFBF3D2, 0xC2D7ED, 0xDDFFBB, 0xBABADC, 0xF3DBFD};
    EXPECT_EQ(LoadPanelGroupColours(), defaults);

    put({dword(kTbpColour, "Clr3", 0x123456), text(kTbpColour, "Clr5", "255"), dword(kTbpColour, "Clr12", 0)});
    std::array<uint32_t, 12> expected = defaults;
    expected[2] = 0x123456;
    expected[11] = 0;
    EXPECT_EQ(LoadPanelGroupColours(), expected);
}

}  // namespace
}  // namespace toliva
