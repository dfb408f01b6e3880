// The equation settings dialog: the page it opens on, restricted mode, OK
// and the defaults file, Apply, the page list, help, and the theme menu with
// its files.
#include "tests/shell/SettingsDialogSupport.h"

#include "model/EqLayoutSettings.h"
#include "model/EqNotes.h"
#include "platform/LangTable.h"
#include "shell/CEEDPP_Advanced.h"
#include "shell/CEEDPP_Colors.h"
#include "shell/CEEDPP_Layout.h"
#include "shell/settings/EquationSettingsValues.h"
#include "shell/settings/EquationThemes.h"
#include "tests/common/TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace toliva::test {
namespace {

const QString kEqSettings = QStringLiteral("Software\\Toliva\\EqSettings");
const QString kFolders = QStringLiteral("Software\\Toliva\\FDInit");

class EquationSettingsTest : public SettingsDialogFixture {
protected:
    QString defaultsFile() const { return app.userFolder + QStringLiteral("KwELayout.dat"); }
    QCheckBox* defaultsBox() const {
        return qobject_cast<QCheckBox*>(dialog->control(CEESettingDlg::kWriteDefaults));
    }
    static QString failedToOpen(const QString& path) { return NoteText({EqNoteKind::DamagedFile, path}); }
    // A record that differs from the built-in style in every kind of field.
    static EqLayoutSettings distinctStyle() {
        EqLayoutSettings s = builtInStyle();
        s.fontName = QStringLiteral("Cambria Math");
        s.fontSize = 17.5f;
        s.spacing[12] = 0.4f;
        s.options[EqLayoutSettings::OptLineAlignment] = 2;
        s.ints[0] = 1;
        s.colours[14] = 0xFF102030;
        return s;
    }
};

TEST_F(EquationSettingsTest, OpensOnTheStoredPageClampedToTheSixPages) {
    const struct {
        int stored;
        int shown;
    } cases[] = {{9, 5}, {-3, 0}, {2, 2}, {5, 5}};
    for (const auto& c : cases) {
        StoreSettingsPageIndex(c.stored);
        CEESettingDlg& dlg = open();
        EXPECT_EQ(dlg.currentPage(), c.shown) << c.stored;
        for (int i = 0; i < CEESettingDlg::kPageCount; ++i)
            EXPECT_EQ(dlg.page(i)->isVisibleTo(&dlg), i == c.shown) << c.stored << " page " << i;
    }
}

TEST_F(EquationSettingsTest, OpensOnTheStoredLayoutSectionAndTakesTheTargetsStyle) {
    eq->settings = distinctStyle();
    StoreLayoutSectionIndex(7);
    CEESettingDlg& dlg = open();
    EXPECT_EQ(dlg.layoutPage()->m_nSection, 7);
    EXPECT_EQ(dlg.workingLayout(), distinctStyle());
    EXPECT_FALSE(dlg.control(CEESettingDlg::kApply)->isHidden());
}

TEST_F(EquationSettingsTest, RestrictedModeOffersTwoPagesAndStoresNothingAboutPages) {
    StoreSettingsPageIndex(4);
    StoreLayoutSectionIndex(9);
    StoreWriteDefaultsOnOK(true);
    CEESettingDlg& dlg = open(true);
    EXPECT_EQ(dlg.currentPage(), 0);
    EXPECT_EQ(dlg.layoutPage()->m_nSection, CEEDPP_Layout::kFontSection);
    EXPECT_TRUE(dlg.control(CEESettingDlg::kApply)->isHidden());

    // The wheel stops at the second page.
    EXPECT_TRUE(dlg.OnMouseWheel(-120));
    EXPECT_EQ(dlg.currentPage(), 1);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(dlg.OnMouseWheel(-120));
    EXPECT_EQ(dlg.currentPage(), 1);
    EXPECT_TRUE(dlg.page(1)->isVisibleTo(&dlg));
    EXPECT_FALSE(dlg.page(5)->isVisibleTo(&dlg));
    // Rows 2 to 5 of the list take no clicks; ShowPage keeps to the two.
    EXPECT_FALSE(dlg.OnPageListClick(dlg.pageListRow(4).center()));
    EXPECT_TRUE(dlg.OnPageListClick(dlg.pageListRow(0).center()));
    dlg.ShowPage(5);
    EXPECT_EQ(dlg.currentPage(), 1);

    eq->settings.fontSize = 30;
    dlg.OnOK();
    EXPECT_EQ(readDword(kEqSettings, QStringLiteral("PageI")), 4);
    EXPECT_EQ(readDword(kEqSettings, QStringLiteral("LayoutI")), 9);
    // OK still applies and writes the defaults file.
    EXPECT_EQ(eq->settings.fontSize, builtInStyle().fontSize);
    EqLayoutSettings written;
    ASSERT_TRUE(ReadLayoutSettingsFile(nullptr, defaultsFile(), written));
    EXPECT_EQ(written.fontSize, builtInStyle().fontSize);
}

TEST_F(EquationSettingsTest, OkWritesTheDefaultsFileOnlyWhenAsked) {
    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked);
        const QByteArray sentinel("not a layout record");
        ASSERT_TRUE(writeFile(defaultsFile(), sentinel));
        eq->settings = distinctStyle();
        CEESettingDlg& dlg = open();
        EXPECT_TRUE(defaultsBox()->isChecked());  // "UFN" starts at 1
        defaultsBox()->setChecked(ticked);
        dlg.ShowPage(CEESettingDlg::PageAdvanced);
        dlg.OnOK();
        EXPECT_EQ(readDword(kEqSettings, QStringLiteral("UFN")), ticked ? 1 : 0);
        EXPECT_EQ(readDword(kEqSettings, QStringLiteral("PageI")), 5);
        if (!ticked) {
            EXPECT_EQ(readFile(defaultsFile()), sentinel);
        } else {
            EqLayoutSettings written;
            ASSERT_TRUE(ReadLayoutSettingsFile(nullptr, defaultsFile(), written));
            EXPECT_EQ(written.fontName, distinctStyle().fontName);
            EXPECT_EQ(written.colours[14], distinctStyle().colours[14]);
        }
        StoreWriteDefaultsOnOK(true);
    }
}

TEST_F(EquationSettingsTest, ApplyMovesThePagesIntoTheTargetAndRefreshesTheProgram) {
    CEESettingDlg& dlg = open();
    dlg.workingLayout().colours[7] = 0xFF0A0B0C;
    // The Layout page's base size box is where the size comes from.
    auto* baseSize = qobject_cast<QLineEdit*>(DialogControl(dlg.layoutPage(), 1100));
    ASSERT_NE(baseSize, nullptr);
    baseSize->setText(QStringLiteral("21"));
    dlg.colorsPage()->checkBox(CEEDPP_Colors::kCheckRoles)->setChecked(true);
    dlg.colorsPage()->checkBox(CEEDPP_Colors::kCheckTransparent)->setChecked(false);
    eq->needsLayout = 0;
    host.calls.clear();

    dlg.OnApply();
    // The colours page's boxes reach the record before it is copied.
    EXPECT_EQ(eq->settings, dlg.workingLayout());
    EXPECT_EQ(eq->settings.colours[7], 0xFF0A0B0Cu);
    EXPECT_EQ(eq->settings.fontSize, 21.0f);
    EXPECT_EQ(eq->settings.ints[0], 1);
    EXPECT_EQ(eq->settings.ints[5], 0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"MarkSymbolGroupsChanged", "RedrawLibrarySheets",
                                                    "ApplyPanelColours", "UpdateToolbarStates"}));
    EXPECT_EQ(host.modified, 0);

    host.embedded = true;
    dlg.OnApply();
    EXPECT_EQ(host.modified, 1);
}

TEST_F(EquationSettingsTest, CancelLeavesTheTargetAsItWas) {
    eq->settings = distinctStyle();
    dialog = std::make_unique<CEESettingDlg>(context);
    dialog->m_pTarget = sheet.get();
    dialog->runModal = [](CEESettingDlg& dlg) {
        dlg.workingLayout().fontSize = 40;
        return int(IDCANCEL);
    };
    EXPECT_EQ(dialog->DoModal(), IDCANCEL);
    EXPECT_EQ(eq->settings, distinctStyle());
    EXPECT_FALSE(hasValue(kEqSettings, QStringLiteral("PageI")));
}

TEST_F(EquationSettingsTest, PageListRowsFollowTheFrame) {
    EXPECT_EQ(CEESettingDlg::PageListRowHeight(0, 190), 10);
    // A frame 188 pixels high: the list reaches a pixel beyond it each way.
    dialog = std::make_unique<CEESettingDlg>(context);
    dialog->m_pTarget = sheet.get();
    QWidget* frame = dialog->control(CEESettingDlg::kPageFrame);
    frame->setGeometry(200, 20, 500, 188);
    dialog->OnInitDialog();
    EXPECT_EQ(dialog->pageListRect().height(), 190);
    EXPECT_EQ(dialog->pageListRowHeight(), 10);
    EXPECT_EQ(dialog->pageListRect().right(), 199);
    EXPECT_EQ(dialog->page(0)->geometry(), QRect(199, 20, 500, 188));

    dialog->ShowPage(0);
    // Row 3 from its first pixel; the row's last two pixels belong to none.
    const QRect row3 = dialog->pageListRow(3);
    EXPECT_EQ(row3.top(), 19 + 1 + 30);
    EXPECT_EQ(row3.height(), 8);
    EXPECT_TRUE(dialog->OnPageListClick(row3.topLeft()));
    EXPECT_EQ(dialog->currentPage(), 3);
    EXPECT_FALSE(dialog->OnPageListClick(row3.topLeft()));  // already shown
    EXPECT_FALSE(dialog->OnPageListClick(QPoint(row3.left(), row3.top() + 9)));
    EXPECT_EQ(dialog->currentPage(), 3);
}

TEST_F(EquationSettingsTest, WheelStepsThroughThePagesWithinTheList) {
    StoreSettingsPageIndex(4);
    CEESettingDlg& dlg = open();
    EXPECT_TRUE(dlg.OnMouseWheel(-120));
    EXPECT_EQ(dlg.currentPage(), 5);
    EXPECT_FALSE(dlg.OnMouseWheel(-120));
    EXPECT_TRUE(dlg.OnMouseWheel(120));
    EXPECT_EQ(dlg.currentPage(), 4);
    EXPECT_FALSE(dlg.OnMouseWheel(0));
}

TEST_F(EquationSettingsTest, PageCaptions) {
    CEESettingDlg& dlg = open();
    EXPECT_EQ(dlg.pageCaption(CEESettingDlg::PageColors), QStringLiteral("Colours"));
    EXPECT_EQ(dlg.pageCaption(CEESettingDlg::PageAdvanced), QStringLiteral("Advanced"));
    EXPECT_EQ(dlg.pageCaption(CEESettingDlg::PageEditor), QStringLiteral("Editor"));
    EXPECT_EQ(dlg.pageCaption(CEESettingDlg::PageSCTeX), QStringLiteral("TeX Shortcuts"));
    EXPECT_EQ(dlg.pageCaption(CEESettingDlg::PageAutoCal), QStringLiteral("Auto-calculation"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Equation Settings"));
}

TEST_F(EquationSettingsTest, HelpOpensTheHelpDocumentOrSaysItIsMissing) {
    CEESettingDlg& dlg = open();
    shell.forcedResult = ShellOpened;
    dlg.OnHelp();
    ASSERT_EQ(shell.documents.size(), 1u);
    EXPECT_TRUE(shell.documents[0].endsWith(QStringLiteral("Help/Help.pdf")));
    EXPECT_TRUE(messages.shown.empty());

    shell.forcedResult = ShellFileNotFound;
    dlg.OnHelp();
    LangTable table(QStringLiteral("en"), QStringLiteral("LANG_01.xml"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, LoadLangString(table, QStringLiteral("gMSG_2"), 1) + shell.documents[1]);
}

TEST_F(EquationSettingsTest, ThemeMenuHasFiveItemsWithIconsInThreeGroups) {
    CEESettingDlg& dlg = open();
    dlg.workingLayout() = distinctStyle();
    menuAnswer = CEESettingDlg::ThemeReset;
    dlg.OnThemeMenu(QPoint(10, 10));
    ASSERT_EQ(menus.size(), 1u);
    std::vector<unsigned> ids;
    for (const auto& entry : menus[0].entries) ids.push_back(entry.first);
    EXPECT_EQ(ids, (std::vector<unsigned>{1, 0, 2, 3, 0, 4, 5}));
    EXPECT_EQ(menus[0].entries[0].second, QStringLiteral("Reset to the Built-in Style"));
    EXPECT_TRUE(menus[0].allIcons);
    // Item 1 took the built-in style.
    EXPECT_EQ(dlg.workingLayout(), builtInStyle());
}

TEST_F(EquationSettingsTest, ThemeSavedAndOpenedAgainComesBackByteForByte) {
    CEESettingDlg& dlg = open();
    dlg.workingLayout() = distinctStyle();
    const QString path = home() + QStringLiteral("themes/Blue.thm");
    QDir().mkpath(home() + QStringLiteral("themes"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    dlg.OnThemeItem(CEESettingDlg::ThemeSaveAs);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const FileDialogRequest& save = dialogs.fileRequests[0];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.filter, QStringLiteral("Toliva Themes (*.thm)|*.thm|All Files (*.*)|*.*||"));
    EXPECT_EQ(save.defaultExtension, QStringLiteral("*.thm"));
    EXPECT_EQ(save.defaultName, QStringLiteral("New Theme.thm"));
    EXPECT_TRUE(readString(kFolders, QStringLiteral("LID_3")).startsWith(home() + QStringLiteral("themes")));
    // Saving applied the pages first.
    EXPECT_EQ(eq->settings.fontName, distinctStyle().fontName);
    const QByteArray saved = readFile(path);
    ASSERT_FALSE(saved.isEmpty());

    dlg.OnThemeItem(CEESettingDlg::ThemeReset);
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    dlg.OnThemeItem(CEESettingDlg::ThemeOpen);
    EXPECT_FALSE(dialogs.fileRequests[1].save);
    EXPECT_TRUE(dialogs.fileRequests[1].defaultName.isEmpty());
    EXPECT_EQ(dlg.workingLayout().fontName, distinctStyle().fontName);
    EXPECT_EQ(dlg.workingLayout().colours, distinctStyle().colours);

    const QString again = home() + QStringLiteral("themes/Again.thm");
    EqLayoutSettings copy = dlg.workingLayout();
    ASSERT_TRUE(WriteThemeFile(again, copy));
    EXPECT_EQ(readFile(again), saved);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EquationSettingsTest, MyThemeIsSavedAndLoadedInTheUserFolder) {
    CEESettingDlg& dlg = open();
    dlg.workingLayout() = distinctStyle();
    dlg.OnThemeItem(CEESettingDlg::ThemeSaveMine);
    ASSERT_TRUE(QFile::exists(app.userFolder + QStringLiteral("MyTheme.thm")));
    dlg.OnThemeItem(CEESettingDlg::ThemeReset);
    dlg.OnThemeItem(CEESettingDlg::ThemeLoadMine);
    EXPECT_EQ(dlg.workingLayout().fontName, distinctStyle().fontName);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(EquationSettingsTest, ThemeThatCannotBeReadLeavesTheWorkingRecordAndSaysWhy) {
    // A record cut short after its font names and sizes: the reader has
    // already taken those when it fails.
    EqLayoutSettings other = distinctStyle();
    const QString whole = home() + QStringLiteral("whole.thm");
    ASSERT_TRUE(WriteThemeFile(whole, other));
    const QString damaged = home() + QStringLiteral("damaged.thm");
    ASSERT_TRUE(writeFile(damaged, readFile(whole).left(60)));

    CEESettingDlg& dlg = open();
    const EqLayoutSettings before = dlg.workingLayout();
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(damaged));
    dlg.OnThemeItem(CEESettingDlg::ThemeOpen);
    EXPECT_EQ(dlg.workingLayout(), before);
    EXPECT_EQ(messageTexts(), (std::vector<QString>{failedToOpen(damaged)}));

    // A missing "MyTheme.thm" says so too.
    messages.shown.clear();
    dlg.OnThemeItem(CEESettingDlg::ThemeLoadMine);
    EXPECT_EQ(dlg.workingLayout(), before);
    EXPECT_EQ(messageTexts(), (std::vector<QString>{failedToOpen(app.userFolder + QStringLiteral("MyTheme.thm"))}));

    // The model's reader itself leaves the record alone.
    EqLayoutSettings record = before;
    EXPECT_FALSE(ReadLayoutSettingsFile(nullptr, damaged, record));
    EXPECT_EQ(record, before);
}

TEST_F(EquationSettingsTest, ThemeThatCannotBeWrittenIsReported) {
    CEESettingDlg& dlg = open();
    const QString path = home() + QStringLiteral("no-such-folder/x.thm");
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    dlg.OnThemeItem(CEESettingDlg::ThemeSaveAs);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.endsWith(path));
}

TEST_F(EquationSettingsTest, CancelledThemeDialogChangesNothing) {
    CEESettingDlg& dlg = open();
    dlg.workingLayout() = distinctStyle();
    dlg.OnThemeItem(CEESettingDlg::ThemeOpen);
    dlg.OnThemeItem(CEESettingDlg::ThemeSaveAs);
    EXPECT_EQ(dlg.workingLayout(), distinctStyle());
    EXPECT_EQ(eq->settings, builtInStyle());
    EXPECT_EQ(dialogs.asked.size(), 2u);
    EXPECT_FALSE(hasValue(kFolders, QStringLiteral("LID_3")));
}


// The three office options stand on the Advanced page and again on the
// Layout page; a click on one shows on its twin when the other page comes up.
TEST_F(EquationSettingsTest, OfficeOptionTwinsFollowEachOther) {
    const struct {
        int advanced;
        int layout;
    } twins[] = {{1417, 1194}, {1419, 1195}, {1422, 1196}};
    CEESettingDlg& dlg = open();
    for (const auto& t : twins) {
        SCOPED_TRACE(t.advanced);
        dlg.ShowPage(CEESettingDlg::PageAdvanced);
        QCheckBox* a = dlg.advancedPage()->checkBox(t.advanced);
        auto* l = qobject_cast<QCheckBox*>(dlg.layoutPage()->control(t.layout));
        ASSERT_NE(a, nullptr);
        ASSERT_NE(l, nullptr);
        const bool before = a->isChecked();
        a->click();
        dlg.ShowPage(CEESettingDlg::PageLayout);
        EXPECT_EQ(l->isChecked(), !before);
        l->click();
        dlg.ShowPage(CEESettingDlg::PageAdvanced);
        EXPECT_EQ(a->isChecked(), before);
    }
}

}  // namespace
}  // namespace toliva::test
