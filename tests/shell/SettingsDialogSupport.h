// The equation settings dialog's tests: a sheet showing a one-line equation
// in a recording host, and the dialog opened on it.
#pragma once

#include "tests/shell/ShellTestSupport.h"

#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/RenderContext.h"
#include "shell/CEESettingDlg.h"
#include "shell/settings/AppSettings.h"
#include "shell/settings/EquationSettingsValues.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "tests/common/ModelFixtures.h"
#include "uikit/CKwMenu.h"
#include "uikit/LangTable.h"

#include <memory>
#include <string>
#include <vector>

namespace toliva::test {

// Records what the dialog asks of the program around the sheet.
class SettingsHost : public SheetHost {
public:
    std::vector<std::string> calls;
    bool embedded = false;
    int modified = 0;

    void SetModifiedFlag() override { ++modified; }
    bool IsEmbedded() const override { return embedded; }
    void UpdateToolbarStates() override { calls.push_back("UpdateToolbarStates"); }
    void ApplyPanelColours() override { calls.push_back("ApplyPanelColours"); }
    void RedrawLibrarySheets() override { calls.push_back("RedrawLibrarySheets"); }
    void MarkSymbolGroupsChanged() override { calls.push_back("MarkSymbolGroupsChanged"); }
    bool ShowRecognitionSettings() override {
        calls.push_back("ShowRecognitionSettings");
        return true;
    }
};

class SettingsDialogFixture : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        app.userFolder = home() + QStringLiteral("user/");
        QDir().mkpath(app.userFolder);
        eq = std::make_unique<EqModel>(builtInStyle());
        EqBuilder b(eq.get());
        b.text(b.line(), u"ab", EqTypeCharItalic);
        static const RenderContext render = RenderContext::FromDataFolder();
        sheet = std::make_unique<CKwEESheet>(app, render, &host, std::make_unique<HeadlessSheetBackend>());
        ShowSheetOffscreen(*sheet, QSize(400, 300), eq.get());
    }
    void TearDown() override {
        dialog.reset();
        sheet.reset();
        eq.reset();
        ShellFixture::TearDown();
    }

    // The dialog on the sheet, created and initialised (not run).
    CEESettingDlg& open(bool restricted = false) {
        dialog = std::make_unique<CEESettingDlg>(context);
        dialog->m_bRestricted = restricted;
        dialog->m_pTarget = sheet.get();
        dialog->OnInitDialog();
        return *dialog;
    }

    static void writeDword(const QString& subkey, const QString& name, int value) {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(subkey, key));
        ASSERT_TRUE(WriteRegDword(key, name, value));
    }
    static int readDword(const QString& subkey, const QString& name, int def = -999) {
        RegKey key;
        int value = def;
        if (OpenRegKey(subkey, key)) ReadRegDword(key, name, value, def);
        return value;
    }
    std::vector<QString> messageTexts() const {
        std::vector<QString> out;
        for (const auto& m : messages.shown) out.push_back(m.text);
        return out;
    }

    AppContext app;
    AppSettings settings;
    SettingsHost host;
    std::unique_ptr<EqModel> eq;
    std::unique_ptr<CKwEESheet> sheet;
    // Each menu shown: its entries in order ("-" for a separator), and
    // whether every entry found its icon.
    struct ShownMenu {
        std::vector<std::pair<unsigned, QString>> entries;
        bool allIcons = true;
    };
    std::vector<ShownMenu> menus;
    unsigned menuAnswer = 0;
    EquationSettingsContext context{app, settings, programFolder(), QFont(), [this](CKwMenu& menu, QPoint) {
                                        ShownMenu shown;
                                        for (QAction* a : menu.actions()) {
                                            const unsigned id = CKwMenu::ActionId(a);
                                            shown.entries.emplace_back(id, a->isSeparator() ? QStringLiteral("-")
                                                                                            : a->text());
                                            const CKwMenu::ItemRecord* record = menu.FindRecord(id);
                                            if (!a->isSeparator() && (!record || !record->icon))
                                                shown.allIcons = false;
                                        }
                                        menus.push_back(shown);
                                        return menuAnswer;
                                    }};
    std::unique_ptr<CEESettingDlg> dialog;
};

}  // namespace toliva::test
