// The Auto-calculation page of the equation settings dialog: the settings it
// loads and stores, the constant list and its menu (duplicates refused, the
// default list, ".acv" import and export in reverse order, a damaged file
// changing nothing), the colour swatch, and its look in both languages.
#include "tests/shell/SettingsDialogSupport.h"

#include "tests/common/TestSupport.h"

#include "shell/CEEDPP_AutoCal.h"
#include "shell/SettingsListMenu.h"
#include "shell/settings/ConstantFiles.h"

#include "panels/CDlgCreateConst.h"
#include "platform/Archive.h"
#include "uikit/KitDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <cmath>
#include <cstring>

namespace toliva::test {
namespace {

using Page = CEEDPP_AutoCal;
using Menu = SettingsListMenu;

// A name of 300 UTF-16 units: its length takes the long form.
const QString kLongName = QString(300, QChar(0x4E2D));

// The bytes of one record as a constant file holds it; name8 (when set) is
// written as an 8-bit string of those bytes, without the Unicode marker.
void appendRecord(QByteArray& bytes, const QString& name, bool enabled, double value, const QByteArray& name8 = {}) {
    Archive ar(&bytes, Archive::Store);
    if (!name8.isNull()) {
        ar.writeU8(uint8_t(name8.size()));
        ar.writeBytes(name8.constData(), name8.size());
    } else {
        ar.writeString(name);
    }
    ar.writeU8(enabled ? 1 : 0);
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    ar.writeU32(uint32_t(bits));
    ar.writeU32(uint32_t(bits >> 32));
}

QByteArray countBytes(int32_t n) {
    QByteArray bytes;
    Archive(&bytes, Archive::Store).writeI32(n);
    return bytes;
}

// Rows "A" (the long name), "Café" (an 8-bit Latin-1 name), "α" (an 8-bit
// UTF-8 name) from the top: stored bottom row first.
QByteArray fixtureFile() {
    QByteArray bytes = countBytes(3);
    appendRecord(bytes, QString(QChar(0x03B1)), true, -0.5, QByteArray("\xCE\xB1"));
    appendRecord(bytes, QStringLiteral("Caf\u00E9"), false, 1e-300, QByteArray("Caf\xE9"));
    appendRecord(bytes, kLongName, true, 6.02214076e23);
    return bytes;
}

std::vector<QString> names(const Page& p) {
    std::vector<QString> out;
    for (int i = 0; i < p.rowCount(); ++i) out.push_back(p.row(i).name);
    return out;
}

class AutoCalPageTest : public SettingsDialogFixture {
protected:
    Page& page() {
        if (!dialog) {
            StoreSettingsPageIndex(CEESettingDlg::PageAutoCal);
            open();
        }
        return *static_cast<Page*>(dialog->page(CEESettingDlg::PageAutoCal));
    }
    // The constant dialog answers OK with these fields (or Cancel).
    void answerEntry(const QString& name, const QString& value, bool enabled = true, bool ok = true) {
        page().runConstantDialog = [=, this](CDlgCreateConst& d) {
            entryShown.push_back({d.nameEdit()->text(), d.valueEdit()->text(), d.enabledCheck()->isChecked()});
            if (!ok) return int(IDCANCEL);
            d.nameEdit()->setText(name);
            d.valueEdit()->setText(value);
            d.enabledCheck()->setChecked(enabled);
            d.OnOK();
            return d.result() == QDialog::Accepted ? int(IDOK) : int(IDCANCEL);
        };
    }
    void rows(std::initializer_list<UserConstant> list) {
        std::vector<UserConstant> v(list);
        page().FillList(std::vector<UserConstant>(v.rbegin(), v.rend()));
    }
    QString file(const QString& name) const { return home() + name; }
    struct Entry {
        QString name, value;
        bool enabled;
    };
    std::vector<Entry> entryShown;
};

// ---- the file on its own

TEST_F(AutoCalPageTest, FileReadsReverseOrderLegacyTextAndLongNames) {
    std::vector<UserConstant> read;
    ASSERT_EQ(ParseConstantFile(fixtureFile(), read), ConstantFileResult::Read);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].name, QString(QChar(0x03B1)));
    EXPECT_EQ(read[1].name, QStringLiteral("Caf\u00E9"));
    EXPECT_FALSE(read[1].enabled);
    EXPECT_EQ(read[1].value, 1e-300);
    EXPECT_EQ(read[2].name, kLongName);
    EXPECT_EQ(read[2].value, 6.02214076e23);
}

TEST_F(AutoCalPageTest, DamagedFilesLeaveTheListAsItWas) {
    const QByteArray good = fixtureFile();
    QByteArray negative = countBytes(-1) + good.mid(4);
    QByteArray badMarker = countBytes(1) + QByteArray::fromHex("FFFEFFFFFEFF");
    struct Case {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"count cut short", good.left(3)},
        {"last value cut short", good.left(good.size() - 1)},
        {"long name cut short", good.left(good.size() - 300)},
        {"count beyond the records", countBytes(4) + good.mid(4)},
        {"negative count", negative},
        {"most negative count", countBytes(INT32_MIN)},
        {"repeated string marker", badMarker},
    };
    for (const Case& c : cases) {
        std::vector<UserConstant> list{{QStringLiteral("kept"), true, 1.0}};
        EXPECT_EQ(ParseConstantFile(c.bytes, list), ConstantFileResult::Malformed) << c.what;
        ASSERT_EQ(list.size(), 1u) << c.what;
        EXPECT_EQ(list[0].name, QStringLiteral("kept")) << c.what;
    }

    // Through the page: the rows stay, the damage is reported.
    Page& p = page();
    rows({{QStringLiteral("x"), true, 2.0}, {QStringLiteral("y"), false, 3.0}});
    for (const Case& c : cases) {
        const QString path = file(QStringLiteral("bad.acv"));
        ASSERT_TRUE(writeFile(path, c.bytes));
        messages.shown.clear();
        dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
        p.RunMenuCommand(Menu::kImport);
        EXPECT_EQ(names(p), (std::vector<QString>{QStringLiteral("x"), QStringLiteral("y")})) << c.what;
        EXPECT_FALSE(p.row(1).enabled) << c.what;
        ASSERT_EQ(messages.shown.size(), 1u) << c.what;
        EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("Unexpected file format."))) << c.what;
    }
    // A file that is not there: nothing at all.
    messages.shown.clear();
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(file(QStringLiteral("none.acv"))));
    p.RunMenuCommand(Menu::kImport);
    EXPECT_EQ(p.rowCount(), 2);
    EXPECT_TRUE(messages.shown.empty());
}

// ---- import and export

TEST_F(AutoCalPageTest, ImportShowsTheRowsInTheirOrderAndExportWritesThemBack) {
    Page& p = page();
    const QString in = file(QStringLiteral("in.acv"));
    ASSERT_TRUE(writeFile(in, fixtureFile()));
    rows({{QStringLiteral("old"), true, 1.0}});
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(in));
    p.RunMenuCommand(Menu::kImport);
    EXPECT_EQ(names(p), (std::vector<QString>{kLongName, QStringLiteral("Caf\u00E9"), QString(QChar(0x03B1))}));
    EXPECT_EQ(p.list()->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(p.list()->topLevelItem(0)->text(1), QStringLiteral("602214075999999987023872.00000000000000000000"));
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_FALSE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, QStringLiteral("Toliva Constant Values (*.acv)|*.acv|"));

    // Written back: the same records, every name now in the Unicode form.
    const QString out = file(QStringLiteral("out.acv"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(out));
    p.RunMenuCommand(Menu::kExport);
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    const FileDialogRequest& save = dialogs.fileRequests[1];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.defaultName, QStringLiteral("Untitled.acv"));
    EXPECT_EQ(save.defaultExtension, QStringLiteral("*.acv"));
    QByteArray expected = countBytes(3);
    appendRecord(expected, QString(QChar(0x03B1)), true, -0.5);
    appendRecord(expected, QStringLiteral("Caf\u00E9"), false, 1e-300);
    appendRecord(expected, kLongName, true, 6.02214076e23);
    EXPECT_EQ(readFile(out), expected);
    // Both dialogs keep their folder as LID_6.
    EXPECT_EQ(readString(QString::fromLatin1(kLastFolderKey), QStringLiteral("LID_6")),
              QFileInfo(out).absolutePath() + QLatin1Char('/'));

    // Read again after a clear: the same rows.
    p.RunMenuCommand(Menu::kClear);
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(out));
    p.RunMenuCommand(Menu::kImport);
    EXPECT_EQ(names(p), (std::vector<QString>{kLongName, QStringLiteral("Caf\u00E9"), QString(QChar(0x03B1))}));
    EXPECT_EQ(p.row(2).value, -0.5);
}

TEST_F(AutoCalPageTest, ExportWritesBottomRowFirstWithoutUnnamedRows) {
    Page& p = page();
    rows({{QStringLiteral("A"), true, 1}, {QString(), true, 9}, {QStringLiteral("B"), false, 2},
          {QStringLiteral("C"), true, 3}});
    const QString out = file(QStringLiteral("abc.acv"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(out));
    p.RunMenuCommand(Menu::kExport);
    QByteArray expected = countBytes(3);
    appendRecord(expected, QStringLiteral("C"), true, 3);
    appendRecord(expected, QStringLiteral("B"), false, 2);
    appendRecord(expected, QStringLiteral("A"), true, 1);
    EXPECT_EQ(readFile(out), expected);

    // Cancelled dialogs touch nothing.
    dialogs.answers.push_back(ScriptedDialogService::Answer::cancel(ScriptedDialogService::Kind::File));
    p.RunMenuCommand(Menu::kImport);
    EXPECT_EQ(p.rowCount(), 4);
}

// ---- the rows

TEST_F(AutoCalPageTest, ValuesShowTwentyDecimalsAndKeepTheDouble) {
    Page& p = page();
    p.AddConstant(QStringLiteral("g"), 9.8, true);
    EXPECT_EQ(p.list()->topLevelItem(0)->text(1), QStringLiteral("9.80000000000000071054"));
    EXPECT_EQ(p.row(0).value, 9.8);
    EXPECT_EQ(Page::ValueText(-1.0 / 3), QStringLiteral("-0.33333333333333331483"));
}

TEST_F(AutoCalPageTest, DefaultListIsGEPiAllChecked) {
    Page& p = page();
    rows({{QStringLiteral("x"), false, 1}});
    p.RunMenuCommand(Menu::kDefaultList);
    ASSERT_EQ(names(p), (std::vector<QString>{QStringLiteral("g"), QStringLiteral("e"), QString(QChar(0x03C0))}));
    EXPECT_EQ(p.row(0).value, 9.8);
    EXPECT_EQ(p.row(1).value, std::exp(1.0));
    EXPECT_EQ(p.row(2).value, 2 * std::asin(1.0));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(p.row(i).enabled) << i;
}

TEST_F(AutoCalPageTest, NewAndEditRefuseANameAnotherRowHas) {
    Page& p = page();
    p.RunMenuCommand(Menu::kDefaultList);  // g, e, pi
    const std::vector<QString> before = names(p);
    const QString refused = QStringLiteral("A constant of this name is already in the list.");
    struct Case {
        QString name;
        bool added;
    } cases[] = {
        {QStringLiteral("g"), false},                 // the first row
        {QString(QChar(0x03C0)), false},              // the last row
        {QStringLiteral("G"), true},                  // case counts
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        answerEntry(c.name, QStringLiteral("2.5"));
        p.RunMenuCommand(Menu::kNew);
        ASSERT_EQ(messages.shown.size(), c.added ? 0u : 1u) << c.name.toStdString();
        if (!c.added) {
            EXPECT_EQ(messages.shown[0].text, refused);
            EXPECT_EQ(names(p), before);
        } else {
            EXPECT_EQ(p.row(0).name, c.name);
            EXPECT_EQ(p.row(0).value, 2.5);
        }
    }
    // A new constant starts from empty fields.
    EXPECT_EQ(entryShown[0].name, QString());

    // Rows: G, g, e, pi. Editing e to g is refused, keeping its own name is not.
    messages.shown.clear();
    answerEntry(QStringLiteral("g"), QStringLiteral("1"));
    p.OnEditRow(2);
    EXPECT_EQ(p.row(2).name, QStringLiteral("e"));
    EXPECT_EQ(messages.shown.size(), 1u);
    answerEntry(QStringLiteral("e"), QStringLiteral("2.75"), false);
    p.OnEditRow(2);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(p.row(2).value, 2.75);
    EXPECT_FALSE(p.row(2).enabled);
    EXPECT_EQ(p.list()->topLevelItem(2)->text(1), Page::ValueText(2.75));
    // The dialog was preset with the row.
    EXPECT_EQ(entryShown.back().name, QStringLiteral("e"));
    EXPECT_TRUE(entryShown.back().enabled);
    // Cancel changes nothing.
    answerEntry(QStringLiteral("z"), QStringLiteral("0"), true, false);
    p.OnEditRow(2);
    EXPECT_EQ(p.row(2).name, QStringLiteral("e"));
}

TEST_F(AutoCalPageTest, MenuDeletesSelectedRowsAndSetsEveryCheck) {
    Page& p = page();
    rows({{QStringLiteral("a"), true, 1}, {QStringLiteral("b"), false, 2}, {QStringLiteral("c"), true, 3},
          {QStringLiteral("d"), false, 4}});
    // Without a selection the menu has no delete item.
    menuAnswer = 0;
    p.ShowListMenu(QPoint(), false);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].entries.size(), 10u);
    p.list()->topLevelItem(0)->setSelected(true);
    p.list()->topLevelItem(2)->setSelected(true);
    menuAnswer = Menu::kDeleteSelected;
    p.ShowListMenu(QPoint(), false);
    EXPECT_EQ(menus[1].entries[1].first, unsigned(Menu::kDeleteSelected));
    EXPECT_EQ(names(p), (std::vector<QString>{QStringLiteral("b"), QStringLiteral("d")}));

    p.RunMenuCommand(Menu::kCheckAll);
    EXPECT_TRUE(p.row(0).enabled && p.row(1).enabled);
    p.RunMenuCommand(Menu::kUncheckAll);
    EXPECT_FALSE(p.row(0).enabled || p.row(1).enabled);
    p.RunMenuCommand(Menu::kClear);
    EXPECT_EQ(p.rowCount(), 0);
}

TEST_F(AutoCalPageTest, RightButtonOpensTheMenuOnlyOverTheList) {
    Page& p = page();
    dialog->show();
    const auto rightPress = [](QWidget* w) {
        const QPoint local(w->width() / 2, w->height() / 2);
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(local), QPointF(w->mapToGlobal(local)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    rightPress(p.checkBox(Page::kEnabled));
    rightPress(p.comboBox(Page::kTrigger));
    EXPECT_TRUE(menus.empty());
    rightPress(p.list()->viewport());
    EXPECT_EQ(menus.size(), 1u);
}

// ---- settings

TEST_F(AutoCalPageTest, LoadsAndStoresTheBitsTheEchoTypeAndOptionByteSix) {
    app.options = (app.options & ~uint32_t(OptAutoCalc | OptFillResultBox | OptNoResultFillInMetafile)) | OptAutoCalc |
                  OptNoResultFillInMetafile;
    settings.resEchoType = 7;  // any non-zero value shows the second choice
    eq->settings.options[6] = 11;
    Page& p = page();
    EXPECT_TRUE(p.checkBox(Page::kEnabled)->isChecked());
    EXPECT_FALSE(p.checkBox(Page::kResultBack)->isChecked());
    EXPECT_TRUE(p.checkBox(Page::kBackOnlyEditing)->isChecked());
    EXPECT_TRUE(p.checkBox(Page::kBackOnlyEditing)->isHidden());
    EXPECT_EQ(p.comboBox(Page::kTrigger)->currentIndex(), 1);
    ASSERT_EQ(p.comboBox(Page::kNumberFormat)->count(), 13);
    EXPECT_EQ(p.comboBox(Page::kNumberFormat)->itemText(0), QStringLiteral("X.X"));
    EXPECT_EQ(p.comboBox(Page::kNumberFormat)->itemText(8), QStringLiteral("X.XXXXXXXXX"));
    EXPECT_EQ(p.comboBox(Page::kNumberFormat)->itemText(9), QStringLiteral("General (%g)"));
    EXPECT_EQ(p.comboBox(Page::kNumberFormat)->currentIndex(), 11);
    EXPECT_EQ(p.windowTitle(), QStringLiteral("Auto-calculation"));
    EXPECT_EQ(dialog->pageCaption(CEESettingDlg::PageAutoCal), QStringLiteral("Auto-calculation"));

    // Changes wait for Apply.
    p.checkBox(Page::kEnabled)->click();
    p.checkBox(Page::kResultBack)->click();
    EXPECT_FALSE(p.checkBox(Page::kBackOnlyEditing)->isHidden());
    p.checkBox(Page::kBackOnlyEditing)->click();
    p.comboBox(Page::kTrigger)->setCurrentIndex(0);
    p.comboBox(Page::kNumberFormat)->setCurrentIndex(3);
    EXPECT_EQ(app.options & OptAutoCalc, uint32_t(OptAutoCalc));
    EXPECT_EQ(eq->settings.options[6], 11);
    dialog->OnApply();
    EXPECT_EQ(app.options & (OptAutoCalc | OptFillResultBox | OptNoResultFillInMetafile), uint32_t(OptFillResultBox));
    EXPECT_EQ(settings.resEchoType, 0);
    EXPECT_EQ(eq->settings.options[6], 3);
    EXPECT_EQ(dialog->workingLayout().options[6], 3);

    // A theme reset reloads the number format from the working record.
    dialog->OnThemeItem(CEESettingDlg::ThemeReset);
    EXPECT_EQ(p.comboBox(Page::kNumberFormat)->currentIndex(), dialog->workingLayout().options[6]);
}

TEST_F(AutoCalPageTest, ApplyGivesTheSheetTheNamedRowsInReverse) {
    sheet->wordLists().constants = {{QStringLiteral("old2"), true, 2}, {QStringLiteral("old1"), false, 1}};
    Page& p = page();
    EXPECT_EQ(names(p), (std::vector<QString>{QStringLiteral("old1"), QStringLiteral("old2")}));
    EXPECT_FALSE(p.row(0).enabled);
    rows({{QStringLiteral("A"), true, 1}, {QString(), true, 5}, {QStringLiteral("Bbbb"), false, 2}});
    dialog->OnApply();
    const std::vector<UserConstant>& stored = sheet->wordLists().constants;
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].name, QStringLiteral("Bbbb"));
    EXPECT_FALSE(stored[0].enabled);
    EXPECT_EQ(stored[1].name, QStringLiteral("A"));
    EXPECT_EQ(stored[1].value, 1);
    EXPECT_EQ(sheet->wordLists().longestName, 4);
}

TEST_F(AutoCalPageTest, CancelKeepsTheSheetsConstants) {
    sheet->wordLists().constants = {{QStringLiteral("k"), true, 2}};
    Page& p = page();
    p.RunMenuCommand(Menu::kClear);
    dialog->reject();
    ASSERT_EQ(sheet->wordLists().constants.size(), 1u);
}

// ---- the swatch

TEST_F(AutoCalPageTest, SwatchOpensTheColourDialogOnlyWhenChecked) {
    app.options &= ~uint32_t(OptFillResultBox);
    app.resultBackColour = 0x00CCBBAA;
    Page& p = page();
    dialog->show();
    const QPoint centre = p.swatchRect().center();
    p.OnLButtonDown(centre);
    EXPECT_TRUE(dialogs.colourRequests.empty());
    EXPECT_EQ(p.grab().toImage().pixelColor(centre), QColor(Qt::white));

    p.checkBox(Page::kResultBack)->click();
    std::array<QColor, 16> customs;
    customs.fill(QColor(1, 2, 3));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withColour(QColor(0x10, 0x20, 0x30), customs));
    // A click outside the swatch is not its.
    p.OnLButtonDown(p.swatchRect().bottomRight() + QPoint(3, 3));
    EXPECT_TRUE(dialogs.colourRequests.empty());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(centre), QPointF(p.mapToGlobal(centre)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&p, &press);
    ASSERT_EQ(dialogs.colourRequests.size(), 1u);
    EXPECT_EQ(dialogs.colourRequests[0].initial, QColor(0xAA, 0xBB, 0xCC));
    EXPECT_TRUE(dialogs.colourRequests[0].fullOpen);
    // Written at once, before any Apply; the custom colours kept in group 8.
    EXPECT_EQ(app.resultBackColour, 0x00302010u);
    CustomColours group8{};
    LoadCustomColours(QString::fromLatin1(kCustomColourKey), group8, 8);
    EXPECT_EQ(group8[0], 0x030201u);
    EXPECT_EQ(p.grab().toImage().pixelColor(centre), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(p.grab().toImage().pixelColor(p.swatchRect().topLeft()), QColor(200, 200, 220));
}

// ---- the look

TEST_F(AutoCalPageTest, LooksInBothLanguages) {
    for (int lan : {1, 2}) {
        app.lanSel = lan;
        app.options |= OptFillResultBox | OptAutoCalc;
        app.resultBackColour = 0x00A0E0FF;
        dialog.reset();
        Page& p = page();
        p.RunMenuCommand(Menu::kDefaultList);
        p.AddConstant(kLongName.left(12), 1.5, false);
        p.list()->topLevelItem(1)->setSelected(true);
        dialog->show();
        QCoreApplication::processEvents();
        const QString lang = app.languageCode();
        dialog->grab().save(QDir(screenshotFolder()).filePath(QStringLiteral("autocal_%1.png").arg(lang)));
        // Every text came from the language files.
        EXPECT_FALSE(p.checkBox(Page::kEnabled)->text().isEmpty());
        EXPECT_EQ(p.list()->headerItem()->text(1), lan == 1 ? QStringLiteral("Value") : QStringLiteral("数值"));
        EXPECT_EQ(p.comboBox(Page::kTrigger)->count(), 2);
        if (lan == 2) {
            EXPECT_EQ(p.windowTitle(), QStringLiteral("自动计算"));
        }
    }
}

}  // namespace
}  // namespace toliva::test
