// The equation settings and print dialogs as a person sees them, in both
// languages, saved under screenshots/ for a look; and a size typed on the
// Layout page that shows in the sheet after OK.
#include "tests/shell/SettingsDialogSupport.h"
#include "tests/common/TestSupport.h"

#include "platform/PrintService.h"
#include "shell/CDialogPrint.h"
#include "shell/CEEDPP_Layout.h"
#include "sheet/editing/CommandCodes.h"
#include "uikit/Utilities.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>

namespace toliva::test {
namespace {

void save(QWidget& widget, const QString& name) {
    widget.grab().save(QDir(screenshotFolder()).filePath(name + QStringLiteral(".png")));
}

class SettingsLookTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        SettingsDialogFixture::SetUp();
        settings.uiMetric = 15;
        context.uiFont = CreateMenuFont();
    }
};

TEST_F(SettingsLookTest, EveryPageInBothLanguages) {
    for (const int lanSel : {1, 2}) {
        app.lanSel = lanSel;
        const QString lang = app.languageCode();
        CEESettingDlg& dlg = open();
        dlg.show();
        for (int page = 0; page < CEESettingDlg::kPageCount; ++page) {
            dlg.ShowPage(page);
            EXPECT_TRUE(dlg.page(page)->isVisible());
            EXPECT_FALSE(dlg.page(page)->windowTitle().isEmpty()) << page;
            save(dlg, QStringLiteral("eqsettings_%1_page%2").arg(lang).arg(page));
        }
        // Every section of the Layout page.
        dlg.ShowPage(CEESettingDlg::PageLayout);
        CEEDPP_Layout* layout = dlg.layoutPage();
        for (int section = 0; section < CEEDPP_Layout::kSectionCount; ++section) {
            auto* list = qobject_cast<QListWidget*>(layout->control(1267));
            ASSERT_NE(list, nullptr);
            list->setCurrentRow(section);
            EXPECT_EQ(layout->m_nSection, section);
            save(dlg, QStringLiteral("eqsettings_%1_layout%2").arg(lang).arg(section, 2, 10, QLatin1Char('0')));
        }
        dlg.hide();
    }
}

TEST_F(SettingsLookTest, PrintDialogInBothLanguages) {
    RecordingPrintService printers;
    printers.names = {QStringLiteral("Office laser")};
    ScopedPrintService scoped(&printers);
    static const RenderContext render = RenderContext::FromDataFolder();
    for (const int lanSel : {1, 2}) {
        app.lanSel = lanSel;
        PrintDialogContext printContext{app, render, GetUIFontName(), 15, QStringLiteral("Orbits.afx")};
        CDialogPrint dlg(printContext);
        dlg.m_pTarget = sheet.get();
        dlg.OnInitDialog();
        dlg.show();
        save(dlg, QStringLiteral("print_%1").arg(app.languageCode()));
        dlg.hide();
    }
}

// A base size typed on the Layout page reaches the sheet when OK is pressed,
// through the sheet's own settings command: the sheet's picture changes and
// the equation grows.
TEST_F(SettingsLookTest, LayoutChangeShowsInTheSheetAfterOK) {
    // Runs the dialog on the sheet, types the size and presses OK.
    class TypingDialogs : public UnavailableEditDialogs {
    public:
        explicit TypingDialogs(EquationSettingsContext& context) : context(context) {}
        int equationSettings(EqModel*, bool officeMode) override {
            CEESettingDlg dlg(context);
            dlg.m_bRestricted = officeMode;
            dlg.m_pTarget = sheet;
            dlg.runModal = [](CEESettingDlg& d) {
                d.ShowPage(CEESettingDlg::PageLayout);
                auto* base = qobject_cast<QLineEdit*>(d.layoutPage()->control(1100));
                if (!base) return IDCANCEL;
                base->setText(QStringLiteral("24"));
                d.OnOK();
                return IDOK;
            };
            return dlg.DoModal() == IDOK ? 1 : 0;
        }
        EquationSettingsContext& context;
        CKwEESheet* sheet = nullptr;
    } dialogs(context);
    dialogs.sheet = sheet.get();
    sheet->setEditDialogs(&dialogs);

    sheet->Refresh(0);
    const QImage before = sheet->grab().toImage();
    before.save(QDir(screenshotFolder()).filePath(QStringLiteral("sheet_before_settings.png")));
    const float heightBefore = eq->totalHeight;

    sheet->ExecuteCommand(CMD_EQ_SETTINGS);
    EXPECT_EQ(eq->settings.fontSize, 24.0f);
    const QImage after = sheet->grab().toImage();
    after.save(QDir(screenshotFolder()).filePath(QStringLiteral("sheet_after_settings.png")));
    EXPECT_NE(before, after);
    EXPECT_GT(eq->totalHeight, heightBefore * 1.5f);
    sheet->setEditDialogs(nullptr);
}

}  // namespace
}  // namespace toliva::test
