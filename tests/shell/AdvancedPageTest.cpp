// The Advanced page of the equation settings dialog: the values it shows,
// what Apply stores and keeps in range, and the office options it stores at
// once, for the Layout page's twins to show.
#include "tests/shell/SettingsDialogSupport.h"

#include "shell/CEEDPP_Advanced.h"
#include "shell/settings/EquationSettingsValues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace toliva::test {
namespace {

using Page = CEEDPP_Advanced;

class AdvancedPageTest : public SettingsDialogFixture {
protected:
    CEEDPP_Advanced& page() {
        if (!dialog) {
            StoreSettingsPageIndex(CEESettingDlg::PageAdvanced);
            open();
        }
        return *dialog->advancedPage();
    }
    QString noSpaceAfterInline() const { return readString(kWordCmds, QStringLiteral("NoSpaceAfterInline")); }
};

TEST_F(AdvancedPageTest, ShowsTheSettingsItEdits) {
    settings.clipFrames = 33;
    settings.recentBooks = 17;
    settings.captureFormat = 0;
    StoreExportResolution(300);
    app.options = OptFileIntoNotes | OptHalfHeightBaseline;
    CEEDPP_Advanced& p = page();
    EXPECT_EQ(p.edit(Page::kFrames)->text(), QStringLiteral("33"));
    EXPECT_EQ(p.edit(Page::kRecentBooks)->text(), QStringLiteral("17"));
    EXPECT_EQ(p.edit(Page::kResolution)->text(), QStringLiteral("300"));
    ASSERT_EQ(p.captureFormatBox()->count(), 2);
    EXPECT_EQ(p.captureFormatBox()->currentIndex(), 0);
    EXPECT_EQ(p.captureFormatBox()->itemText(1), QStringLiteral("Metafile") + QString(30, QLatin1Char(' ')));
    EXPECT_FALSE(p.checkBox(Page::kSingleClickTiles)->isChecked());
    EXPECT_TRUE(p.checkBox(Page::kFileIntoNotes)->isChecked());
    EXPECT_TRUE(p.checkBox(Page::kHalfHeightBaseline)->isChecked());
    EXPECT_FALSE(p.checkBox(Page::kDocFontSize)->isChecked());
    EXPECT_EQ(p.windowTitle(), QStringLiteral("Advanced"));
    EXPECT_EQ(p.checkBox(Page::kNoSpaceAfterInline)->text(), QStringLiteral("No space after inline equations"));
}

TEST_F(AdvancedPageTest, MissingNoSpaceSwitchShowsTickedAndOkWritesOne) {
    ASSERT_EQ(noSpaceAfterInline(), QStringLiteral("<none>"));
    CEEDPP_Advanced& p = page();
    EXPECT_TRUE(p.checkBox(Page::kNoSpaceAfterInline)->isChecked());
    dialog->OnOK();
    EXPECT_EQ(noSpaceAfterInline(), QStringLiteral("1"));
}

TEST_F(AdvancedPageTest, OfficeOptionsAreStoredAtOnceAndSurviveCancel) {
    writeString(kWordCmds, QStringLiteral("NoSpaceAfterInline"), QStringLiteral("1"));
    app.options = 0;
    CEEDPP_Advanced& p = page();
    p.checkBox(Page::kNoSpaceAfterInline)->click();
    p.checkBox(Page::kHalfHeightBaseline)->click();
    p.checkBox(Page::kDocFontSize)->click();
    // The tile and notes boxes wait for Apply.
    p.checkBox(Page::kSingleClickTiles)->click();
    dialog->reject();
    dialog.reset();

    EXPECT_EQ(noSpaceAfterInline(), QStringLiteral("0"));
    EXPECT_EQ(app.options, uint32_t(OptHalfHeightBaseline | OptDocFontSizeAfterImport));
    // What the Layout page's twins show when it reloads them.
    const OfficeOptions twins = ReadOfficeOptions(app);
    EXPECT_FALSE(twins.noSpaceAfterInline);
    EXPECT_TRUE(twins.halfHeightBaseline);
    EXPECT_TRUE(twins.docFontSize);
}

TEST_F(AdvancedPageTest, ShowingThePageReloadsOptionsChangedElsewhere) {
    CEEDPP_Advanced& p = page();
    dialog->ShowPage(CEESettingDlg::PageLayout);
    app.options |= OptHalfHeightBaseline;
    writeString(kWordCmds, QStringLiteral("NoSpaceAfterInline"), QStringLiteral("0"));
    dialog->ShowPage(CEESettingDlg::PageAdvanced);
    EXPECT_TRUE(p.checkBox(Page::kHalfHeightBaseline)->isChecked());
    EXPECT_FALSE(p.checkBox(Page::kNoSpaceAfterInline)->isChecked());
}

TEST_F(AdvancedPageTest, ApplyStoresTheValuesKeptInRange) {
    const struct {
        const char* frames;
        const char* books;
        const char* resolution;
        int wantFrames, wantBooks, wantResolution;
    } cases[] = {
        {"500", "3", "0", 100, 5, 1},
        {"1", "500", "-40", 2, 100, 1},
        {"24", "12", "600", 24, 12, 600},
        {"", "x", "", 24, 12, 600},  // no number: the value shown before stays
    };
    settings.clipFrames = 24;
    settings.recentBooks = 12;
    StoreExportResolution(600);
    CEEDPP_Advanced& p = page();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frames);
        p.edit(Page::kFrames)->setText(QString::fromLatin1(c.frames));
        p.edit(Page::kRecentBooks)->setText(QString::fromLatin1(c.books));
        p.edit(Page::kResolution)->setText(QString::fromLatin1(c.resolution));
        dialog->OnApply();
        EXPECT_EQ(settings.clipFrames, c.wantFrames);
        EXPECT_EQ(settings.recentBooks, c.wantBooks);
        EXPECT_EQ(ReadStoredExportResolution(), c.wantResolution);
        EXPECT_EQ(p.edit(Page::kFrames)->text().toInt(), c.wantFrames);
    }
}

TEST_F(AdvancedPageTest, ApplyStoresTheFormatAndBothOptionBits) {
    app.options = OptSingleClickTiles;
    settings.captureFormat = 1;
    CEEDPP_Advanced& p = page();
    p.captureFormatBox()->setCurrentIndex(0);
    p.checkBox(Page::kSingleClickTiles)->setChecked(false);
    p.checkBox(Page::kFileIntoNotes)->setChecked(true);
    EXPECT_EQ(app.options & (OptSingleClickTiles | OptFileIntoNotes), uint32_t(OptSingleClickTiles));
    dialog->OnApply();
    EXPECT_EQ(settings.captureFormat, 0);
    EXPECT_EQ(app.options & (OptSingleClickTiles | OptFileIntoNotes), uint32_t(OptFileIntoNotes));
}

TEST_F(AdvancedPageTest, RecognitionButtonOpensTheRecognitionSettings) {
    CEEDPP_Advanced& p = page();
    qobject_cast<QPushButton*>(DialogControl(&p, Page::kRecognitionSettings))->click();
    EXPECT_EQ(host.calls, std::vector<std::string>{"ShowRecognitionSettings"});
}

}  // namespace
}  // namespace toliva::test
