// The LaTeX editor's ".alx" settings files and its settings dialog.
#include "sheet/CDlgTESettings.h"
#include "sheet/editing/LaTeXEditorStyle.h"

#include "platform/AppContext.h"
#include "platform/DialogService.h"
#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "tests/common/TestSupport.h"
#include "uikit/KitDialogs.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace toliva {
namespace {

using Answer = ScriptedDialogService::Answer;
using test::ScratchFolder;

// A record unlike the defaults in every field.
LaTeXEditorStyle sampleStyle() {
    LaTeXEditorStyle s;
    s.backColour = 0x102030;
    s.caretLineColour = 0xA0B0C0;
    s.fontFace = QStringLiteral("Noto Sans Mono 中文");
    s.fontSize = 17;
    s.options = {1, 0, 1, 0, 0x11, 0x22, 0xFE, 0xFF};
    s.tokens = {{0x00, 0x000001, 0xFFFFFF}, {0x0F, 0x123456, 0x654321}, {0x05, 0xABCDEF, 0}};
    return s;
}

QString shippedPath() { return ShippedEditorStylePath(programFolder()); }

// ---- The file ---------------------------------------------------------------

TEST(AlxFile, WritesTheFieldsInOrder) {
    LaTeXEditorStyle s;
    s.backColour = 0x00332211;
    s.caretLineColour = 0x00665544;
    s.fontFace = QStringLiteral("Ab");
    s.fontSize = 13;
    s.options = {1, 1, 0, 1, 9, 8, 7, 6};
    s.tokens = {{0x03, 0x0000FF, 0x00FF00}};
    EXPECT_EQ(StyleBytes(s), test::fromHex("11 22 33 00  44 55 66 00  FF FE FF 02 41 00 62 00  0D 00 00 00"
                                           "01 01 00 01 09 08 07 06  01 00 00 00"
                                           "03 FF 00 00 00 00 FF 00 00"));
}

TEST(AlxFile, RoundTripKeepsEveryField) {
    LaTeXEditorStyle empty = sampleStyle();
    empty.tokens.clear();  // n = 0
    LaTeXEditorStyle many = sampleStyle();
    for (int i = 0; i < 40; ++i) many.tokens.push_back({uint8_t(i), uint32_t(i * 0x10101), uint32_t(~i)});
    LaTeXEditorStyle noFace = sampleStyle();
    noFace.fontFace.clear();
    noFace.fontSize = -5;

    ScratchFolder scratch;
    for (const LaTeXEditorStyle& original : {sampleStyle(), empty, many, noFace}) {
        const QString path = scratch.file("style.alx");
        ASSERT_TRUE(WriteStyleFile(path, original));
        LaTeXEditorStyle back;
        back.tokens = {{1, 2, 3}, {4, 5, 6}};  // dropped by the read
        bool complete = false;
        RecordingMessageSink sink;
        ScopedMessageSink guard(&sink);
        ASSERT_TRUE(ReadStyleFile(path, back, &complete));
        EXPECT_TRUE(complete);
        EXPECT_TRUE(sink.shown.empty());
        EXPECT_EQ(back, original);
        EXPECT_EQ(back.options[4], original.options[4]);
        EXPECT_EQ(back.options[7], original.options[7]);
    }
}

// The string's length takes one byte below 255 units, a 16-bit value below
// 0xFFFE and a 32-bit value from there.
TEST(AlxFile, FontFaceLengthForms) {
    struct Case {
        int units;
        const char* prefix;
    };
    const Case cases[] = {
        {254, "FF FE FF FE"},
        {255, "FF FE FF FF FF 00"},
        {65533, "FF FE FF FF FD FF"},
        {65534, "FF FE FF FF FF FF FE FF 00 00"},
        {70000, "FF FE FF FF FF FF 70 11 01 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        LaTeXEditorStyle s = sampleStyle();
        s.fontFace = QString(c.units, QChar(0x4E2D));
        const QByteArray bytes = StyleBytes(s);
        const QByteArray prefix = test::fromHex(c.prefix);
        EXPECT_EQ(bytes.mid(8, prefix.size()), prefix);
        EXPECT_EQ(bytes.size(), 8 + prefix.size() + 2 * c.units + 4 + 8 + 4 + 3 * kTokenStyleBytes);
        LaTeXEditorStyle back;
        ASSERT_TRUE(ReadStyleBytes(bytes, back));
        EXPECT_EQ(back, s);
    }
}

// A file cut anywhere: one message with the path; the fields read whole
// before the cut stay, the others keep what the record held, and of the
// token styles only whole ones are kept.
TEST(AlxFile, TruncatedFileKeepsWhatWasReadBeforeTheCut) {
    const LaTeXEditorStyle written = sampleStyle();
    const QByteArray bytes = StyleBytes(written);
    const int faceEnd = 8 + 4 + 2 * int(written.fontFace.size());
    const int countEnd = faceEnd + 4 + 8 + 4;
    ScratchFolder scratch;
    const QString path = scratch.file("cut.alx");
    for (int cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        ASSERT_TRUE(test::writeFile(path, bytes.left(cut)));
        LaTeXEditorStyle s;  // the defaults, with one token style
        s.tokens = {{0x02, 0x111111, 0x222222}};
        const LaTeXEditorStyle before = s;
        RecordingMessageSink sink;
        ScopedMessageSink guard(&sink);
        bool complete = true;
        ASSERT_TRUE(ReadStyleFile(path, s, &complete));
        EXPECT_FALSE(complete);
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text, "failed to open file : " + path);

        EXPECT_EQ(s.backColour, cut >= 4 ? written.backColour : before.backColour);
        EXPECT_EQ(s.caretLineColour, cut >= 8 ? written.caretLineColour : before.caretLineColour);
        EXPECT_EQ(s.fontFace, cut >= faceEnd ? written.fontFace : before.fontFace);
        EXPECT_EQ(s.fontSize, cut >= faceEnd + 4 ? written.fontSize : before.fontSize);
        EXPECT_EQ(s.options, cut >= faceEnd + 12 ? written.options : before.options);
        if (cut < countEnd) {
            EXPECT_EQ(s.tokens, before.tokens);
        } else {
            const size_t whole = size_t(cut - countEnd) / kTokenStyleBytes;
            EXPECT_EQ(s.tokens, std::vector<TokenStyle>(written.tokens.begin(), written.tokens.begin() + whole));
        }
    }
}

// Counts and lengths larger than the file are damage, found before anything
// is allocated for them.
TEST(AlxFile, HostileCountsAndLengthsAreBoundByTheFile) {
    const QByteArray head = test::fromHex("11 22 33 00 44 55 66 00");
    const QByteArray rest = test::fromHex("0D 00 00 00 01 01 01 01 00 00 00 00");
    struct Case {
        const char* name;
        QByteArray bytes;
        QString face;
        size_t tokens;
    };
    const Case cases[] = {
        {"32-bit face length near 4 G", head + test::fromHex("FF FE FF FF FF FF FF FF FF FF 41 00"), "Consolas", 7},
        {"16-bit face length past the end", head + test::fromHex("FF FE FF FF 00 F0 41 00"), "Consolas", 7},
        {"count near 2 G with two styles", head + test::fromHex("FF FE FF 01 41 00") + rest +
                                               test::fromHex("FF FF FF 7F") + QByteArray(2 * kTokenStyleBytes + 3, 1),
         "A", 2},
        {"negative count", head + test::fromHex("FF FE FF 01 41 00") + rest + test::fromHex("FE FF FF FF 00"), "A", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LaTeXEditorStyle s;
        s.tokens.resize(7);
        EXPECT_FALSE(ReadStyleBytes(c.bytes, s));
        EXPECT_EQ(s.backColour, 0x332211u);
        EXPECT_EQ(s.fontFace, c.face);
        EXPECT_EQ(s.tokens.size(), c.tokens);
    }
}

TEST(AlxFile, MissingFileChangesNothing) {
    ScratchFolder scratch;
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    LaTeXEditorStyle s = sampleStyle();
    EXPECT_FALSE(ReadStyleFile(scratch.file("none.alx"), s));
    EXPECT_FALSE(ReadStyleFile(scratch.path(), s));  // a folder
    EXPECT_EQ(s, sampleStyle());
    EXPECT_TRUE(sink.shown.empty());
}

TEST(AlxFile, FailedWriteKeepsTheOldFile) {
    ScratchFolder scratch;
    LaTeXEditorStyle other;
    EXPECT_FALSE(WriteStyleFile(scratch.file("no/such/folder.alx"), other));
    EXPECT_FALSE(SaveEditorStyle(other, QString()));  // no folder: nothing lands in the working folder
    EXPECT_FALSE(QFile::exists("KwTESData.alx"));

    // A write that fails leaves what was there, and no scrap beside it.
    ASSERT_TRUE(QDir().mkpath(scratch.file("taken.alx")));
    EXPECT_FALSE(WriteStyleFile(scratch.file("taken.alx"), other));
    EXPECT_TRUE(QFileInfo(scratch.file("taken.alx")).isDir());
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"taken.alx"});
}

TEST(AlxFile, LoadPrefersTheUsersFileThenTheShippedOne) {
    ScratchFolder user, program;
    ASSERT_TRUE(QDir().mkpath(program.file("Dat")));
    LaTeXEditorStyle shipped;
    shipped.fontFace = "Shipped";
    ASSERT_TRUE(WriteStyleFile(ShippedEditorStylePath(program.path()), shipped));

    // Neither file: the record keeps its in-memory defaults.
    LaTeXEditorStyle s;
    EXPECT_FALSE(LoadEditorStyle(s, user.path(), user.path()));
    EXPECT_EQ(s, LaTeXEditorStyle());
    EXPECT_FALSE(LoadEditorStyle(s, QString(), QString()));

    EXPECT_TRUE(LoadEditorStyle(s, user.path(), program.path()));
    EXPECT_EQ(s.fontFace, "Shipped");

    // The first save creates the user's file, read from then on.
    s.fontFace = "Mine";
    ASSERT_TRUE(SaveEditorStyle(s, user.path()));
    EXPECT_TRUE(QFile::exists(user.file("KwTESData.alx")));
    LaTeXEditorStyle again;
    EXPECT_TRUE(LoadEditorStyle(again, user.path(), program.path()));
    EXPECT_EQ(again.fontFace, "Mine");
}

// The shipped defaults: complete, one token style per style of the LaTeX
// lexer (0 to 12), and one list caption per style in both languages.
TEST(AlxFile, ShippedDefaultsMatchTheCaptions) {
    LaTeXEditorStyle s;
    bool complete = false;
    ASSERT_TRUE(ReadStyleFile(shippedPath(), s, &complete)) << shippedPath().toStdString();
    EXPECT_TRUE(complete);
    EXPECT_EQ(s.tokens.size(), 13u);
    EXPECT_FALSE(s.fontFace.isEmpty());
    for (const char* code : {"en", "cn"}) {
        SCOPED_TRACE(code);
        LangTable table(QString::fromLatin1(code), QStringLiteral("LANG_08.xml"));
        for (int i = 1; i <= int(s.tokens.size()); ++i)
            EXPECT_FALSE(LoadLangString(table, "gCTR_1", i).isEmpty()) << i;
        EXPECT_TRUE(LoadLangString(table, "gCTR_1", int(s.tokens.size()) + 1).isEmpty());
        for (int i = 1; i <= 24; ++i) EXPECT_FALSE(LoadLangString(table, "gSET_1", i).isEmpty()) << i;
        // The groups that were there before stay.
        EXPECT_FALSE(LoadLangString(table, "gMSG_1", 1).isEmpty());
    }
}

// ---- The dialog -------------------------------------------------------------

class TESettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::instance().deleteKey(QString::fromLatin1(kCustomColourKey));
        RegistryStore::instance().deleteKey(QString::fromLatin1(kLastFolderKey));
        context.userFolder = user.path() + '/';
        ASSERT_TRUE(ReadStyleFile(shippedPath(), shipped));
        style = sampleStyle();
        ASSERT_TRUE(SaveEditorStyle(style, context.userFolder));
    }

    QCheckBox* box(CDlgTESettings& d, int id) { return qobject_cast<QCheckBox*>(DialogControl(&d, id)); }
    QListWidget* list(CDlgTESettings& d) { return qobject_cast<QListWidget*>(DialogControl(&d, CDlgTESettings::kTokenList)); }
    QSpinBox* sizeField(CDlgTESettings& d) { return qobject_cast<QSpinBox*>(DialogControl(&d, CDlgTESettings::kFontSize)); }
    void click(CDlgTESettings& d, int id) {
        if (auto* b = qobject_cast<QAbstractButton*>(DialogControl(&d, id))) b->click();
    }
    void clickArea(CDlgTESettings& d, int id) {
        QWidget* area = DialogControl(&d, id);
        ASSERT_NE(area, nullptr);
        const QPointF at(area->width() / 2.0, area->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, area->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(area, &press);
    }
    LaTeXEditorStyle userFile() {
        LaTeXEditorStyle s;
        EXPECT_TRUE(ReadStyleFile(UserEditorStylePath(context.userFolder), s));
        return s;
    }

    ScratchFolder user;
    AppContext context;
    LaTeXEditorStyle shipped;
    LaTeXEditorStyle style;
    ScriptedDialogService dialogs;
    ScopedDialogService dialogGuard{&dialogs};
    RecordingMessageSink sink;
    ScopedMessageSink sinkGuard{&sink};
};

TEST_F(TESettingsDialog, StartsWithTheRecordShown) {
    CDlgTESettings d(style, context);
    EXPECT_EQ(d.windowTitle(), "LaTeX Editor Settings");
    QListWidget* l = list(d);
    ASSERT_EQ(l->count(), 3);
    EXPECT_EQ(l->item(0)->text(), "Text" + QString(27, ' '));
    EXPECT_EQ(l->item(1)->text(), "Commands" + QString(27, ' '));
    EXPECT_EQ(l->currentRow(), 0);
    EXPECT_EQ(d.currentToken(), 0);
    EXPECT_EQ(d.sampleText(), "Toliva");
    EXPECT_EQ(sizeField(d)->value(), 17);
    EXPECT_TRUE(box(d, CDlgTESettings::kWrap)->isChecked());
    EXPECT_FALSE(box(d, CDlgTESettings::kCaretLine)->isChecked());
    EXPECT_TRUE(box(d, CDlgTESettings::kLineNumbers)->isChecked());
    EXPECT_FALSE(box(d, CDlgTESettings::kSmoothFont)->isChecked());

    // Another entry: its style becomes current with its sample and flags.
    l->setCurrentRow(1);
    EXPECT_EQ(d.currentToken(), 1);
    EXPECT_EQ(d.sampleText(), CDlgTESettings::SampleText(1));
    for (int id : {CDlgTESettings::kOwnBackground, CDlgTESettings::kItalic, CDlgTESettings::kBold,
                   CDlgTESettings::kUnderline})
        EXPECT_TRUE(box(d, id)->isChecked()) << id;
    EXPECT_EQ(CDlgTESettings::SampleText(99), "Toliva");

    // The font list holds the installed families, the record's face chosen
    // when one begins with it.
    auto* faces = qobject_cast<QComboBox*>(DialogControl(&d, CDlgTESettings::kFontFace));
    EXPECT_GT(faces->count(), 0);
    style.fontFace = faces->itemText(faces->count() - 1).left(3);
    CDlgTESettings again(style, context);
    auto* faces2 = qobject_cast<QComboBox*>(DialogControl(&again, CDlgTESettings::kFontFace));
    EXPECT_TRUE(faces2->currentText().startsWith(style.fontFace, Qt::CaseInsensitive));
}

TEST_F(TESettingsDialog, ChineseTexts) {
    context.lanSel = 2;
    CDlgTESettings d(style, context);
    EXPECT_EQ(d.windowTitle(), "LaTeX 编辑器设置");
    EXPECT_EQ(list(d)->item(0)->text(), "正文" + QString(27, ' '));
    EXPECT_EQ(box(d, CDlgTESettings::kBold)->text(), "粗体");
}

TEST_F(TESettingsDialog, LargeSizeIsStoredButPreviewedAtThirty) {
    CDlgTESettings d(style, context);
    sizeField(d)->setValue(48);
    EXPECT_EQ(d.SampleFont().pointSize(), 30);
    sizeField(d)->setValue(12);
    EXPECT_EQ(d.SampleFont().pointSize(), 12);
    sizeField(d)->setValue(48);
    box(d, CDlgTESettings::kCaretLine)->setChecked(true);
    box(d, CDlgTESettings::kWrap)->setChecked(false);
    click(d, CDlgTESettings::kOk);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(style.fontSize, 48);
    const std::array<uint8_t, 8> options{0, 1, 1, 0, 0x11, 0x22, 0xFE, 0xFF};
    EXPECT_EQ(style.options, options);
    EXPECT_EQ(userFile(), style);
}

TEST_F(TESettingsDialog, TokenBoxesSetTheCurrentStylesFlags) {
    CDlgTESettings d(style, context);
    list(d)->setCurrentRow(2);  // flags 0x05
    box(d, CDlgTESettings::kOwnBackground)->setChecked(false);
    box(d, CDlgTESettings::kItalic)->setChecked(true);
    box(d, CDlgTESettings::kUnderline)->setChecked(true);
    EXPECT_EQ(style.tokens[2].flags, 0x0E);
    EXPECT_TRUE(d.SampleFont().italic());
    EXPECT_EQ(d.SampleFont().weight(), QFont::Bold);
    EXPECT_TRUE(d.SampleFont().underline());
    EXPECT_EQ(style.tokens[0].flags, 0x00);
}

// Cancel puts back the record as the dialog found it, whatever the files
// hold: with no user file and no shipped file too.
TEST_F(TESettingsDialog, CancelRestoresTheRecord) {
    ScratchFolder nowhere;
    const QString cases[] = {context.userFolder, QString()};
    for (const QString& folder : cases) {
        context.userFolder = folder;
        style = sampleStyle();
        const LaTeXEditorStyle before = style;
        CDlgTESettings d(style, context);
        d.setProgramFolder(nowhere.path());
        dialogs.answers = {Answer::withColour(QColor(1, 2, 3)), Answer::withColour(QColor(4, 5, 6))};
        clickArea(d, CDlgTESettings::kBackSwatch);
        clickArea(d, CDlgTESettings::kTokenForeSwatch);
        box(d, CDlgTESettings::kBold)->setChecked(true);
        EXPECT_EQ(style.backColour, 0x030201u);
        EXPECT_EQ(style.tokens[0].foreColour, 0x060504u);
        // A damaged import changes part of the record.
        const QString damaged = nowhere.file("damaged.alx");
        ASSERT_TRUE(test::writeFile(damaged, StyleBytes(shipped).left(30)));
        dialogs.answers = {Answer::withFile(damaged)};
        click(d, CDlgTESettings::kImport);
        EXPECT_NE(style, before);
        click(d, CDlgTESettings::kCancel);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(style, before);
    }
    context.userFolder = user.path() + '/';
    EXPECT_EQ(userFile(), sampleStyle());  // Cancel writes nothing
}

TEST_F(TESettingsDialog, ColourSwatchesPickThroughTheColourService) {
    CDlgTESettings d(style, context);
    list(d)->setCurrentRow(0);  // flags 0, no own background
    std::array<QColor, 16> customs;
    customs.fill(QColor(9, 9, 9));
    customs[3] = QColor(0x12, 0x34, 0x56);
    dialogs.answers = {Answer::withColour(QColor(0x11, 0x22, 0x33), customs), Answer::withColour(QColor(0x44, 0x55, 0x66)),
                       Answer::cancel(ScriptedDialogService::Kind::Colour), Answer::withColour(QColor(0x77, 0x88, 0x99))};
    clickArea(d, CDlgTESettings::kBackSwatch);
    clickArea(d, CDlgTESettings::kCaretLineSwatch);
    clickArea(d, CDlgTESettings::kTokenForeSwatch);  // cancelled
    clickArea(d, CDlgTESettings::kTokenBackSwatch);
    clickArea(d, CDlgTESettings::kPreview);  // no dialog
    EXPECT_EQ(dialogs.mismatches, 0);
    ASSERT_EQ(dialogs.colourRequests.size(), 4u);
    EXPECT_EQ(dialogs.colourRequests[0].initial, QColor(0x30, 0x20, 0x10));
    EXPECT_TRUE(dialogs.colourRequests[0].fullOpen);
    EXPECT_EQ(dialogs.colourRequests[1].initial, QColor(0xC0, 0xB0, 0xA0));
    EXPECT_EQ(dialogs.colourRequests[3].initial, QColor(0xFF, 0xFF, 0xFF));
    // The custom colours of the first answer are kept and offered next time.
    EXPECT_EQ(dialogs.colourRequests[1].customColours[3], QColor(0x12, 0x34, 0x56));
    CustomColours kept{};
    ReadCustomColors(QString::fromLatin1(kCustomColourKey), kept);
    EXPECT_EQ(kept[3], 0x563412u);

    EXPECT_EQ(style.backColour, 0x332211u);
    EXPECT_EQ(style.caretLineColour, 0x665544u);
    EXPECT_EQ(style.tokens[0].foreColour, 0x000001u);
    EXPECT_EQ(style.tokens[0].backColour, 0x998877u);
    EXPECT_EQ(style.tokens[0].flags, 0x00);  // the own-background flag stays off
}

TEST_F(TESettingsDialog, RestoreDefaultsReadsTheShippedFile) {
    CDlgTESettings d(style, context);
    list(d)->setCurrentRow(2);
    click(d, CDlgTESettings::kDefaults);
    EXPECT_EQ(style, shipped);
    EXPECT_EQ(list(d)->count(), int(shipped.tokens.size()));
    EXPECT_EQ(d.currentToken(), 0);
    EXPECT_EQ(d.sampleText(), "Toliva");
    // The boxes show the defaults, so OK keeps them.
    EXPECT_EQ(box(d, CDlgTESettings::kWrap)->isChecked(), shipped.wrap());
    EXPECT_EQ(box(d, CDlgTESettings::kSmoothFont)->isChecked(), shipped.smoothFont());
    EXPECT_EQ(sizeField(d)->value(), shipped.fontSize);
    click(d, CDlgTESettings::kOk);
    EXPECT_EQ(style, shipped);
    EXPECT_EQ(userFile(), shipped);

    // Without the shipped file: a message, the record unchanged.
    ScratchFolder nowhere;
    style = sampleStyle();
    CDlgTESettings missing(style, context);
    missing.setProgramFolder(nowhere.path());
    click(missing, CDlgTESettings::kDefaults);
    EXPECT_EQ(style, sampleStyle());
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_TRUE(sink.shown[0].text.startsWith("failed to open file : "));
}

TEST_F(TESettingsDialog, ExportThenImportReproducesTheSettings) {
    ScratchFolder files;
    const QString path = files.file("settings.alx");
    {
        CDlgTESettings d(style, context);
        sizeField(d)->setValue(21);
        box(d, CDlgTESettings::kSmoothFont)->setChecked(true);
        dialogs.answers = {Answer::withFile(path)};
        click(d, CDlgTESettings::kExport);
        click(d, CDlgTESettings::kCancel);
    }
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const FileDialogRequest& save = dialogs.fileRequests[0];
    EXPECT_TRUE(save.save);
    EXPECT_TRUE(save.overwritePrompt);
    EXPECT_EQ(save.filter, "Toliva LaTeX Editor Settings (*.alx)|*.alx|All Files (*.*)|*.*||");
    EXPECT_EQ(save.defaultName, "settings.alx");
    EXPECT_EQ(save.defaultExtension, "*.alx");
    // The file holds what the dialog showed.
    LaTeXEditorStyle exported;
    ASSERT_TRUE(ReadStyleFile(path, exported));
    LaTeXEditorStyle expected = sampleStyle();
    expected.fontSize = 21;
    expected.options[3] = 1;
    EXPECT_EQ(exported, expected);

    // Import into a different record: everything comes back, bytes 4-7 too.
    LaTeXEditorStyle other;
    other.tokens.resize(9);
    CDlgTESettings d(other, context);
    dialogs.answers = {Answer::withFile(path)};
    click(d, CDlgTESettings::kImport);
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    const FileDialogRequest& open = dialogs.fileRequests[1];
    EXPECT_FALSE(open.save);
    EXPECT_EQ(open.filter, "Toliva LaTeX Editor Settings (*.alx)|*.alx|");
    EXPECT_EQ(open.initialFolder, files.path() + '/');  // the export's folder, kept as LID_8
    EXPECT_EQ(list(d)->count(), 3);
    EXPECT_EQ(sizeField(d)->value(), 21);
    click(d, CDlgTESettings::kOk);
    EXPECT_EQ(other, expected);

    RegKey key;
    OpenRegKey(QString::fromLatin1(kLastFolderKey), key);
    QString folder;
    EXPECT_TRUE(ReadRegString(key, "LID_8", folder, {}));
    EXPECT_EQ(folder, files.path() + '/');

    // A file that cannot be read: a message, nothing changed.
    dialogs.answers = {Answer::withFile(files.file("missing.alx"))};
    CDlgTESettings third(other, context);
    click(third, CDlgTESettings::kImport);
    EXPECT_EQ(other, expected);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "failed to open file : " + files.file("missing.alx"));
}

TEST_F(TESettingsDialog, NoTokenStylesLeavesTheTokenControlsIdle) {
    LaTeXEditorStyle bare;
    CDlgTESettings d(bare, context);
    EXPECT_EQ(list(d)->count(), 0);
    EXPECT_EQ(d.currentToken(), -1);
    clickArea(d, CDlgTESettings::kTokenForeSwatch);
    box(d, CDlgTESettings::kBold)->setChecked(true);
    EXPECT_TRUE(dialogs.colourRequests.empty());
    EXPECT_TRUE(bare.tokens.empty());
    d.grab();  // paints without a current style
}

}  // namespace
}  // namespace toliva
