// The Editor page of the equation settings dialog: its option boxes, the
// sorted word list drawn in each word's style, duplicates refused, the list
// menu, and ".aad" files (import replaces the sheet's words only when the
// whole file reads; export writes the sheet's words as last applied).
#include "tests/shell/SettingsDialogSupport.h"
#include "tests/common/TestSupport.h"

#include "shell/CEEDPP_Editor.h"
#include "shell/SettingsListMenu.h"
#include "shell/settings/AutoWordFiles.h"

#include "panels/CDlgCreateAW.h"
#include "platform/Archive.h"
#include "platform/SafeFile.h"
#include "uikit/Utilities.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace toliva::test {
namespace {

AutoWord word(const QString& text, bool enabled = true, uint8_t style = 0) {
    AutoWord w;
    w.word = text;
    w.enabled = enabled;
    w.style = style;
    return w;
}

// An ".aad" file written by hand: options 1, 0, 1 (the third stored as 5);
// three words in the sheet's order: "sin" (UTF-16, enabled byte 7, regular),
// "ln" as 8-bit text (disabled, italic), "Ω" (UTF-16, enabled, bold).
QByteArray fixtureFile() {
    return QByteArray::fromHex("01" "00" "05"        // options, the third non-zero
                               "03000000"            // three words
                               "fffeff03" "7300" "6900" "6e00" "07" "00"  // "sin", enabled byte 7, regular
                               "02" "6c6e" "00" "01"                      // 8-bit "ln", disabled, italic
                               "fffeff01" "a903" "01" "02");              // "Ω", enabled, bold
}

class EditorPageTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        SettingsDialogFixture::SetUp();
        WordLists& lists = sheet->wordLists();
        lists.autoFormat[0] = true;
        lists.autoFormat[1] = false;
        lists.autoFormat[2] = true;
        // The sheet's order is the reverse of the page's.
        lists.words = {word("sin"), word("Sin", false, 2), word("cos", true, 1)};
        lists.UpdateListNameLengths();
    }
    CEEDPP_Editor& page() {
        if (!dialog) {
            StoreSettingsPageIndex(CEESettingDlg::PageEditor);
            open();
            editor = static_cast<CEEDPP_Editor*>(dialog->page(CEESettingDlg::PageEditor));
            editor->runWordDialog = [this](CDlgCreateAW& dlg) {
                presets.push_back(dlg.m_strWord);
                presetEnabled.push_back(dlg.enabledCheck()->isChecked());
                if (typed.isEmpty()) return int(IDCANCEL);
                dlg.wordEdit()->setText(typed);
                dlg.styleButton(typedStyle)->setChecked(true);
                dlg.enabledCheck()->setChecked(typedEnabled);
                dlg.accept();
                return int(IDOK);
            };
        }
        return *editor;
    }
    QStringList rowTexts() {
        QStringList out;
        for (const CEEDPP_Editor::Row& r : page().rows()) out << r.text;
        return out;
    }
    int rowOf(const QString& text) {
        const QStringList texts = rowTexts();
        return int(texts.indexOf(text));
    }
    QString aadPath(const char* name) { return home() + QString::fromLatin1(name); }
    QByteArray fileBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QString& path, const QByteArray& bytes) { ASSERT_TRUE(WriteFileSafely(path, bytes, nullptr)); }
    QStringList sheetWords() {
        QStringList out;
        for (const AutoWord& w : sheet->wordLists().words) out << w.word;
        return out;
    }

    CEEDPP_Editor* editor = nullptr;
    // What the word dialog gets and answers: an empty typed word cancels.
    QStringList presets;
    std::vector<bool> presetEnabled;
    QString typed;
    int typedStyle = 0;
    bool typedEnabled = true;
};

TEST(AutoWordFilesTest, TheBuiltInListHas37WordsInTableOrder) {
    const std::vector<QString>& words = DefaultAutoWordTexts();
    ASSERT_EQ(words.size(), 37u);
    EXPECT_EQ(words.front(), QStringLiteral("Im"));
    EXPECT_EQ(words[9], QStringLiteral("sin"));
    EXPECT_EQ(words[29], QStringLiteral("arcsin"));
    EXPECT_EQ(words.back(), QStringLiteral("sgn"));
}

TEST(AutoWordFilesTest, FixtureReadsAndWritesBackInTheCanonicalForm) {
    WordLists lists;
    lists.constants.push_back(UserConstant{QStringLiteral("g"), true, 9.8});
    ASSERT_EQ(ReadAutoWordData(fixtureFile(), lists), AutoWordFileStatus::Read);
    EXPECT_EQ(lists.autoFormat[0], true);
    EXPECT_EQ(lists.autoFormat[1], false);
    EXPECT_EQ(lists.autoFormat[2], true);
    ASSERT_EQ(lists.words.size(), 3u);
    EXPECT_EQ(lists.words[0].word, QStringLiteral("sin"));
    EXPECT_TRUE(lists.words[0].enabled);
    EXPECT_EQ(lists.words[1].word, QStringLiteral("ln"));
    EXPECT_FALSE(lists.words[1].enabled);
    EXPECT_EQ(lists.words[1].style, 1);
    EXPECT_EQ(lists.words[2].word, QString(QChar(0x03A9)));
    EXPECT_EQ(lists.words[2].style, 2);
    EXPECT_EQ(lists.longestWord, 3);
    EXPECT_EQ(lists.constants.size(), 1u) << "an .aad file leaves the constants alone";

    // Written back: options and enabled bytes as 0/1, every string UTF-16.
    EXPECT_EQ(AutoWordData(lists).toHex(),
              QByteArray("010001" "03000000" "fffeff0373006900" "6e00" "0100" "fffeff026c006e00" "0001"
                         "fffeff01a903" "0102"));
    WordLists again;
    ASSERT_EQ(ReadAutoWordData(AutoWordData(lists), again), AutoWordFileStatus::Read);
    EXPECT_EQ(AutoWordData(again), AutoWordData(lists));
}

// Words written by older programs as 8-bit text: UTF-8 when the bytes are
// UTF-8, else one character per byte.
TEST(AutoWordFilesTest, EightBitWordsReadAsUtf8ElseLatin1) {
    WordLists lists;
    const QByteArray bytes = QByteArray::fromHex("010101" "02000000"
                                                 "04" "63c3a974" "0100"  // "cét" in UTF-8
                                                 "03" "63e974" "0103");  // "cét" in Latin-1
    ASSERT_EQ(ReadAutoWordData(bytes, lists), AutoWordFileStatus::Read);
    ASSERT_EQ(lists.words.size(), 2u);
    EXPECT_EQ(lists.words[0].word, QString::fromUtf8("c\xc3\xa9t"));
    EXPECT_EQ(lists.words[1].word, QString::fromUtf8("c\xc3\xa9t"));
    EXPECT_EQ(lists.words[1].style, 3);
}

TEST(AutoWordFilesTest, SheetDataFileImportsAndEmptyWordsAreDropped) {
    WordLists source;
    source.words = {word("tan"), word(QString()), word("cot", false, 3)};
    source.constants.push_back(UserConstant{QStringLiteral("e"), true, 2.718});
    QByteArray bytes;
    {
        Archive ar(&bytes, Archive::Store);
        SerializeAutoWords(source, ar);
        SerializeConstantList(source.constants, ar);
    }
    WordLists lists;
    ASSERT_EQ(ReadAutoWordData(bytes, lists), AutoWordFileStatus::Read);
    ASSERT_EQ(lists.words.size(), 2u);
    EXPECT_EQ(lists.words[0].word, QStringLiteral("tan"));
    EXPECT_EQ(lists.words[1].word, QStringLiteral("cot"));
    EXPECT_TRUE(lists.constants.empty());
}

TEST(AutoWordFilesTest, DamagedFilesLeaveTheListsAsTheyWere) {
    const QByteArray good = fixtureFile();
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"options only", good.left(3)},
        {"cut inside a word", good.left(good.size() - 3)},
        {"cut before the last style", good.left(good.size() - 1)},
        {"negative count", QByteArray::fromHex("010101ffffffff")},
        {"count past the end", QByteArray::fromHex("01010102000000") + good.mid(7, 10)},
        {"string longer than the file", QByteArray::fromHex("01010101000000fffeff10" "7300")},
    };
    for (const auto& c : cases) {
        WordLists lists;
        lists.autoFormat[1] = false;
        lists.words = {word("sin")};
        lists.UpdateListNameLengths();
        EXPECT_EQ(ReadAutoWordData(c.bytes, lists), AutoWordFileStatus::Damaged) << c.what;
        EXPECT_FALSE(lists.autoFormat[1]) << c.what;
        ASSERT_EQ(lists.words.size(), 1u) << c.what;
        EXPECT_EQ(lists.words[0].word, QStringLiteral("sin")) << c.what;
        EXPECT_EQ(lists.longestWord, 3) << c.what;
    }
    WordLists lists;
    EXPECT_EQ(ReadAutoWordFile(QStringLiteral("/nonexistent/words.aad"), lists), AutoWordFileStatus::CannotOpen);
}

TEST(AutoWordFilesTest, RowFontFollowsTheStyle) {
    const struct {
        int style;
        bool black, italic;
    } cases[] = {{0, false, false}, {1, false, true}, {2, true, false}, {3, true, true}, {9, false, false}};
    for (const auto& c : cases) {
        const QFont f = AutoWordRowFont(c.style, 10);
        EXPECT_EQ(f.family(), QStringLiteral("Segoe UI"));
        EXPECT_EQ(f.pointSize(), 9);
        EXPECT_EQ(f.weight(), c.black ? QFont::Black : QFont::Normal) << c.style;
        EXPECT_EQ(f.italic(), c.italic) << c.style;
    }
    const QFont old = AutoWordRowFont(0, 5);
    EXPECT_EQ(old.family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(old.pointSize(), 8);
}

TEST_F(EditorPageTest, LoadsBoxesAndSortedRowsFromTheSheet) {
    app.options = (app.options | OptDottedSeparators | OptExtraUpright2) & ~(OptShowSpaceMarks | OptAutoBrackets);
    CEEDPP_Editor& p = page();
    EXPECT_EQ(p.windowTitle(), QStringLiteral("Editor"));
    EXPECT_EQ(dialog->pageCaption(CEESettingDlg::PageEditor), QStringLiteral("Editor"));
    EXPECT_TRUE(p.checkBox(CEEDPP_Editor::kDigitsUpright)->isChecked());
    EXPECT_FALSE(p.checkBox(CEEDPP_Editor::kPunctuationUpright)->isChecked());
    EXPECT_TRUE(p.checkBox(CEEDPP_Editor::kCjkUpright)->isChecked());
    EXPECT_TRUE(p.checkBox(CEEDPP_Editor::kDottedSeparators)->isChecked());
    EXPECT_FALSE(p.checkBox(CEEDPP_Editor::kSpaceMarks)->isChecked());
    EXPECT_FALSE(p.checkBox(CEEDPP_Editor::kAutoBrackets)->isChecked());
    EXPECT_EQ(p.checkBox(CEEDPP_Editor::kUprightInSubscripts)->isChecked(), app.option(OptExtraUpright1));
    EXPECT_TRUE(p.checkBox(CEEDPP_Editor::kUprightInScripts)->isChecked());

    // Sorted by text, three spaces after each loaded word.
    EXPECT_EQ(rowTexts(), (QStringList{"cos   ", "Sin   ", "sin   "}));
    const std::vector<CEEDPP_Editor::Row> rows = p.rows();
    EXPECT_FALSE(rows[1].checked);
    EXPECT_EQ(rows[1].record.word, QStringLiteral("Sin"));
    EXPECT_EQ(p.list()->item(1)->font().weight(), QFont::Black);
    EXPECT_TRUE(p.list()->item(0)->font().italic());
    EXPECT_EQ(p.list()->item(2)->font().weight(), QFont::Normal);
    EXPECT_FALSE(p.list()->item(2)->font().italic());
}

TEST_F(EditorPageTest, ApplyStoresEveryBoxAndTheRowsInTheSheetsOrder) {
    const struct {
        int box;
        uint32_t bit;  // 0: a sheet option
        int option;
    } boxes[] = {
        {CEEDPP_Editor::kDottedSeparators, OptDottedSeparators, -1},
        {CEEDPP_Editor::kSpaceMarks, OptShowSpaceMarks, -1},
        {CEEDPP_Editor::kAutoBrackets, OptAutoBrackets, -1},
        {CEEDPP_Editor::kUprightInSubscripts, OptExtraUpright1, -1},
        {CEEDPP_Editor::kUprightInScripts, OptExtraUpright2, -1},
        {CEEDPP_Editor::kDigitsUpright, 0, 0},
        {CEEDPP_Editor::kPunctuationUpright, 0, 1},
        {CEEDPP_Editor::kCjkUpright, 0, 2},
    };
    CEEDPP_Editor& p = page();
    const uint32_t otherBits = app.options & ~uint32_t(OptDottedSeparators | OptShowSpaceMarks | OptAutoBrackets |
                                                        OptExtraUpright1 | OptExtraUpright2);
    for (const bool on : {true, false}) {
        for (const auto& b : boxes) p.checkBox(b.box)->setChecked(on);
        dialog->ApplyPages();
        for (const auto& b : boxes) {
            if (b.bit) EXPECT_EQ(app.option(b.bit), on) << b.box;
            else EXPECT_EQ(sheet->wordLists().autoFormat[b.option], on) << b.box;
        }
        EXPECT_EQ(app.options & ~uint32_t(OptDottedSeparators | OptShowSpaceMarks | OptAutoBrackets |
                                          OptExtraUpright1 | OptExtraUpright2),
                  otherBits);
        // Loading shows what was stored.
        for (const auto& b : boxes) p.checkBox(b.box)->setChecked(!on);
        dialog->ReloadPages();
        for (const auto& b : boxes) EXPECT_EQ(p.checkBox(b.box)->isChecked(), on) << b.box;
    }

    // A reload (a theme) keeps the rows as they stand on the page.
    p.RunMenuCommand(SettingsListMenu::kDefaultList);
    dialog->ReloadPages();
    EXPECT_EQ(p.rows().size(), 37u);
    p.list()->clear();
    p.FillList();

    // Rows top to bottom go to the front of the sheet's list; the check is
    // the enabled flag.
    p.list()->item(rowOf("Sin   "))->setCheckState(Qt::Checked);
    p.list()->item(rowOf("cos   "))->setCheckState(Qt::Unchecked);
    dialog->ApplyPages();
    const std::vector<AutoWord>& words = sheet->wordLists().words;
    EXPECT_EQ(sheetWords(), (QStringList{"sin", "Sin", "cos"}));
    EXPECT_TRUE(words[1].enabled);
    EXPECT_EQ(words[1].style, 2);
    EXPECT_FALSE(words[2].enabled);
    EXPECT_EQ(words[2].style, 1);
    EXPECT_EQ(sheet->wordLists().longestWord, 3);
}

TEST_F(EditorPageTest, NewAndEditRefuseAWordAnotherRowHas) {
    CEEDPP_Editor& p = page();
    const QString duplicate = QStringLiteral("This word is already in the list.");
    const struct {
        const char* what;
        const char* editRow;  // the row's text; null: a new word
        const char* typed;
        bool accepted;
    } cases[] = {
        {"new word equal to a loaded row shown with spaces", nullptr, "sin", false},
        {"new word equal to the first row", nullptr, "cos", false},
        {"case counts", nullptr, "SIN", true},
        {"the row's own word", "sin   ", "sin", true},
        {"another row's word", "sin", "Sin", false},
        {"a word of no row", "cos   ", "cosh", true},
    };
    for (const auto& c : cases) {
        messages.shown.clear();
        const QStringList before = rowTexts();
        typed = QString::fromUtf8(c.typed);
        typedStyle = 2;
        if (!c.editRow) {
            p.RunMenuCommand(SettingsListMenu::kNew);
        } else {
            ASSERT_GE(rowOf(c.editRow), 0) << c.what;
            p.EditRow(rowOf(c.editRow));
        }
        if (c.accepted) {
            EXPECT_TRUE(messages.shown.empty()) << c.what;
            ASSERT_GE(rowOf(typed), 0) << c.what;
            EXPECT_EQ(p.rows()[size_t(rowOf(typed))].record.style, 2) << c.what;
        } else {
            ASSERT_EQ(messages.shown.size(), 1u) << c.what;
            EXPECT_EQ(messages.shown[0].text, duplicate) << c.what;
            EXPECT_EQ(rowTexts(), before) << c.what;
        }
    }
    EXPECT_EQ(rowTexts(), (QStringList{"cosh", "SIN", "sin", "Sin   "}));
}

TEST_F(EditorPageTest, NewWordIsEnabledEditTakesTheDialogsFlag) {
    CEEDPP_Editor& p = page();
    typed = QStringLiteral("tanh");
    typedEnabled = false;
    p.RunMenuCommand(SettingsListMenu::kNew);
    EXPECT_EQ(presets.back(), QString());
    const int row = rowOf("tanh");
    ASSERT_GE(row, 0);
    EXPECT_TRUE(p.rows()[size_t(row)].checked);
    EXPECT_TRUE(p.rows()[size_t(row)].record.enabled);

    // Edit opens on the row as shown: its word and its check mark.
    p.list()->item(row)->setCheckState(Qt::Unchecked);
    typed = QStringLiteral("tan");
    typedEnabled = true;
    typedStyle = 3;
    p.EditRow(row);
    EXPECT_EQ(presets.back(), QStringLiteral("tanh"));
    EXPECT_FALSE(presetEnabled.back());
    const CEEDPP_Editor::Row edited = p.rows()[size_t(rowOf("tan"))];
    EXPECT_TRUE(edited.checked);
    EXPECT_EQ(edited.record.style, 3);
    EXPECT_EQ(p.list()->item(rowOf("tan"))->font().weight(), QFont::Black);

    // Cancel changes nothing.
    typed.clear();
    p.EditRow(rowOf("tan"));
    EXPECT_GE(rowOf("tan"), 0);
}

TEST_F(EditorPageTest, DefaultListAppliedShowsAgainAllCheckedAndRegular) {
    page().RunMenuCommand(SettingsListMenu::kDefaultList);
    EXPECT_EQ(page().rows().size(), 37u);
    dialog->ApplyPages();
    EXPECT_EQ(sheet->wordLists().words.size(), 37u);
    dialog.reset();
    CEEDPP_Editor& again = page();
    const std::vector<CEEDPP_Editor::Row> rows = again.rows();
    ASSERT_EQ(rows.size(), 37u);
    QStringList words;
    for (const CEEDPP_Editor::Row& r : rows) {
        EXPECT_TRUE(r.checked) << r.text.toStdString();
        EXPECT_EQ(r.record.style, 0) << r.text.toStdString();
        EXPECT_TRUE(r.text.endsWith(QStringLiteral("   ")));
        words << r.record.word;
    }
    QStringList expected;
    for (const QString& w : DefaultAutoWordTexts()) expected << w;
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    EXPECT_EQ(words, expected);
}

TEST_F(EditorPageTest, MenuItemsActOnTheRows) {
    CEEDPP_Editor& p = page();
    p.RunMenuCommand(SettingsListMenu::kUncheckAll);
    for (const auto& r : p.rows()) EXPECT_FALSE(r.checked);
    p.RunMenuCommand(SettingsListMenu::kCheckAll);
    for (const auto& r : p.rows()) EXPECT_TRUE(r.checked);
    p.list()->item(0)->setSelected(true);
    p.list()->item(2)->setSelected(true);
    p.RunMenuCommand(SettingsListMenu::kDeleteSelected);
    EXPECT_EQ(rowTexts(), (QStringList{"Sin   "}));
    p.RunMenuCommand(SettingsListMenu::kClear);
    EXPECT_TRUE(p.rows().empty());
    // Nothing reaches the sheet before the dialog applies.
    EXPECT_EQ(sheetWords(), (QStringList{"sin", "Sin", "cos"}));
}

TEST_F(EditorPageTest, ButtonAndRightButtonOverTheListOpenTheMenuWithoutPictures) {
    CEEDPP_Editor& p = page();
    dialog->show();
    menuAnswer = SettingsListMenu::kDefaultList;
    qobject_cast<QPushButton*>(DialogControl(&p, CEEDPP_Editor::kMenuButton))->click();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].entries.size(), 10u);
    EXPECT_FALSE(menus[0].allIcons);
    EXPECT_EQ(p.rows().size(), 37u);

    // A right press on a box is taken and opens nothing; over the list it
    // opens the menu (with "Delete Selected" while a row is selected).
    menuAnswer = 0;
    QCheckBox* box = p.checkBox(CEEDPP_Editor::kSpaceMarks);
    const bool checked = box->isChecked();
    const auto rightPress = [](QWidget* w) {
        const QPointF at(w->width() / 2, w->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(w, &press);
    };
    rightPress(box);
    EXPECT_EQ(menus.size(), 1u);
    EXPECT_EQ(box->isChecked(), checked);
    p.list()->item(0)->setSelected(true);
    rightPress(p.list()->viewport());
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[1].entries.size(), 11u);
    dialog->hide();
}

TEST_F(EditorPageTest, ImportReplacesTheSheetsWordsAtOnceAndKeepsTheBoxes) {
    CEEDPP_Editor& p = page();
    const QString path = aadPath("words.aad");
    writeFile(path, fixtureFile());
    p.checkBox(CEEDPP_Editor::kPunctuationUpright)->setChecked(true);
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    p.RunMenuCommand(SettingsListMenu::kImport);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(sheetWords(), (QStringList{"sin", "ln", QString(QChar(0x03A9))}));
    EXPECT_FALSE(sheet->wordLists().autoFormat[1]);  // the file's option
    EXPECT_EQ(rowTexts(), (QStringList{"ln   ", "sin   ", QString(QChar(0x03A9)) + "   "}));
    EXPECT_FALSE(p.rows()[0].checked);
    // The boxes keep what they showed; applying writes them over the file's.
    EXPECT_TRUE(p.checkBox(CEEDPP_Editor::kPunctuationUpright)->isChecked());
    // Cancelling the dialog keeps the imported words.
    dialog->reject();
    EXPECT_EQ(sheet->wordLists().words.size(), 3u);
}

TEST_F(EditorPageTest, BadOrMissingFileChangesNothing) {
    CEEDPP_Editor& p = page();
    const QString bad = aadPath("bad.aad");
    writeFile(bad, fixtureFile().left(20));
    const QStringList rowsBefore = rowTexts();
    // The fixture's first option is set: a partly read file would show.
    for (bool& option : sheet->wordLists().autoFormat) option = false;
    for (const QString& path : {bad, aadPath("missing.aad")}) {
        messages.shown.clear();
        dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
        p.RunMenuCommand(SettingsListMenu::kImport);
        EXPECT_EQ(sheetWords(), (QStringList{"sin", "Sin", "cos"}));
        for (bool option : sheet->wordLists().autoFormat) EXPECT_FALSE(option);
        EXPECT_EQ(rowTexts(), rowsBefore);
        if (path == bad) {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("This auto-word file cannot be read")));
            EXPECT_TRUE(messages.shown[0].text.endsWith(bad));
        } else {
            EXPECT_TRUE(messages.shown.empty());
        }
    }
    // Cancel in the file dialog does nothing either.
    dialogs.answers.push_back(ScriptedDialogService::Answer::cancel(ScriptedDialogService::Kind::File));
    p.RunMenuCommand(SettingsListMenu::kImport);
    EXPECT_EQ(rowTexts(), rowsBefore);
}

TEST_F(EditorPageTest, ExportWritesTheSheetsListAsLastAppliedAndReadsBack) {
    CEEDPP_Editor& p = page();
    const QByteArray applied = AutoWordData(sheet->wordLists());
    // Unapplied edits on the page stay out of the file.
    p.RunMenuCommand(SettingsListMenu::kClear);
    p.checkBox(CEEDPP_Editor::kDigitsUpright)->setChecked(false);
    const QString path = aadPath("out.aad");
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    p.RunMenuCommand(SettingsListMenu::kExport);
    EXPECT_EQ(fileBytes(path), applied);

    // After apply the file holds the page's state; importing it brings it back.
    p.RunMenuCommand(SettingsListMenu::kDefaultList);
    dialog->ApplyPages();
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    p.RunMenuCommand(SettingsListMenu::kExport);
    const WordLists written = sheet->wordLists();
    EXPECT_EQ(fileBytes(path), AutoWordData(written));
    EXPECT_FALSE(written.autoFormat[0]);
    sheet->wordLists().words.clear();
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    p.RunMenuCommand(SettingsListMenu::kImport);
    EXPECT_EQ(AutoWordData(sheet->wordLists()), AutoWordData(written));
    EXPECT_EQ(p.rows().size(), 37u);
}

// The page as a person sees it, each word in its style, in both languages.
TEST_F(EditorPageTest, LooksInBothLanguages) {
    settings.uiMetric = 15;
    context.uiFont = CreateMenuFont();
    sheet->wordLists().words = {word("sin"), word("Im", true, 1), word("sgn", false, 2), word("det", true, 3),
                                word(QString(QChar(0x03C9)), true, 1)};
    for (const int lanSel : {1, 2}) {
        app.lanSel = lanSel;
        dialog.reset();
        CEEDPP_Editor& p = page();
        dialog->show();
        p.list()->item(1)->setSelected(true);
        EXPECT_TRUE(p.isVisible());
        const QString name = QStringLiteral("editor_words_%1.png").arg(app.languageCode());
        dialog->grab().save(QDir(screenshotFolder()).filePath(name));
        dialog->hide();
    }
}

}  // namespace
}  // namespace toliva::test
