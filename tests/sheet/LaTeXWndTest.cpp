// The LaTeX source window on a real Scintilla control (offscreen): the
// control library loaded by name, candidates replacing the typed command,
// brace matching, the styles as the control reports them back, the keys, the
// context menu and the text files.
#include "platform/DialogService.h"
#include "platform/MessageSink.h"
#include "platform/RegistryStore.h"
#include "platform/SafeFile.h"
#include "sheet/CLaTeXWnd.h"
#include "uikit/CKwMenu.h"
#include "uikit/KitDialogs.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <Qsci/qsciscintillabase.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

#include <memory>

namespace toliva {
namespace {

using Sci = QsciScintillaBase;

TolivaSourceEditorFactory editorFactory() {
    static const SourceEditorLibrary library = LoadSourceEditorLibrary();
    return library.create;
}

// Sends one key press to a widget; the key code follows the text's first
// character unless given.
bool pressKey(QWidget* w, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier, int key = 0) {
    if (!key) key = text.isEmpty() ? 0 : int(text[0].toUpper().unicode());
    if (text == QStringLiteral("\\")) key = Qt::Key_Backslash;
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    return press.isAccepted();
}

void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) pressKey(w, QString(c));
}

class LaTeXWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(editorFactory(), nullptr) << LoadSourceEditorLibrary().error.toStdString();
        parent.resize(500, 300);
        ASSERT_TRUE(wnd.Create(editorFactory(), QRect(0, 0, 500, 300), &parent, 100000));
        parent.show();
    }
    QWidget* control() { return wnd.widget(); }
    QString text() { return wnd.editorText(); }
    long caret() { return wnd.Send(Sci::SCI_GETCURRENTPOS); }
    long length() { return wnd.Send(Sci::SCI_GETLENGTH); }
    // Sets the text and puts the caret at a byte position (-1: the end).
    void setText(const QString& t, long position = -1) {
        wnd.SetEditorText(t);
        wnd.Send(Sci::SCI_GOTOPOS, static_cast<unsigned long>(position < 0 ? length() : position));
    }

    QWidget parent;
    CLaTeXWnd wnd;
};

// ---- the control library

TEST(SourceEditorLibrary, LoadsBesideTheProgramAndItsFactoryMakesAScintillaControl) {
    const SourceEditorLibrary library = LoadSourceEditorLibrary();
    ASSERT_TRUE(library.loaded) << library.error.toStdString();
    ASSERT_NE(library.create, nullptr);
    EXPECT_TRUE(library.path.contains(QStringLiteral("ViVeDoV")));
    std::unique_ptr<QWidget> made(library.create(nullptr));
    EXPECT_NE(qobject_cast<QsciScintillaBase*>(made.get()), nullptr);

    CLaTeXWnd none;
    QWidget parent;
    EXPECT_FALSE(none.Create(nullptr, QRect(0, 0, 10, 10), &parent, 1)) << "no factory, no window";
    EXPECT_FALSE(none.isCreated());
    EXPECT_EQ(none.editorText(), QString());
}

TEST_F(LaTeXWndTest, CreationSetsUtf8AndTheControlsOwnMenuOff) {
    EXPECT_EQ(wnd.Send(Sci::SCI_GETCODEPAGE), 65001);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETFONTQUALITY), 2);
    EXPECT_EQ(control()->property("ctrlId").toInt(), 100000);
    EXPECT_TRUE(control()->isVisible());
}

// ---- candidates

struct CandidateCase {
    const char* name;
    QString typed;      // typed through key presses, caret at the end
    int kind;
    QString pick;
    QString expected;   // the whole text afterwards
    int caretFromEnd;   // characters (all ASCII here) from the end
};

TEST_F(LaTeXWndTest, ACandidateReplacesTheTypedCommandAndPlacesTheCaretByItsKind) {
    const CandidateCase cases[] = {
        {"plain command: a space follows", "x+\\al", 0, "alpha", "x+\\alpha ", 0},
        {"kind 1: braces, caret between", "\\fr", 1, "frac", "\\frac{}", 1},
        {"kind 2: {em}", "\\hs", 2, "hspace", "\\hspace{em}", 3},
        {"kind 4: ' mu'", "\\mk", 4, "mkern", "\\mkern mu", 2},
        {"kind 1005: caret 5 back, no space", "\\fr", 1005, "frac{}{}{}", "\\frac{}{}{}", 5},
        {"the bar's frac: caret in the first argument", "\\fr", 1003, "frac{}{}", "\\frac{}{}", 3},
        {"a lone backslash", "a\\", 0, "beta", "a\\beta ", 0},
        {"a 2 x 2 matrix template: caret in the first cell", "\\", 0x1022, "",
         "\\begin{matrix}\n\t&\t\\\\\n\t&\t\\\\\n\\end{matrix}\n", 24},
    };
    for (const CandidateCase& c : cases) {
        SCOPED_TRACE(c.name);
        setText(QString());
        typeText(control(), c.typed);
        ASSERT_EQ(text(), c.typed);
        wnd.InsertCandidate(c.kind, c.pick);
        EXPECT_EQ(text(), c.expected);
        EXPECT_EQ(length() - caret(), c.caretFromEnd);
    }
}

TEST_F(LaTeXWndTest, NoCandidateIsInsertedWhenNoCommandStandsBeforeTheCaret) {
    // After a digit, after a space, and (once a fault: the search went back
    // over anything to the last backslash and deleted the text between) after
    // a word that follows an earlier command.
    const QString texts[] = {"\\alpha 2", "\\alpha ", "\\alpha x", "\\sqrt{x}", "ab"};
    for (const QString& t : texts) {
        SCOPED_TRACE(t.toStdString());
        setText(t);
        EXPECT_FALSE(wnd.FindTypedCommand());
        wnd.InsertCandidate(0, QStringLiteral("beta"));
        EXPECT_EQ(text(), t);
        EXPECT_EQ(caret(), length());
    }
    // The caret inside "\alpha": the text from the backslash to the caret.
    setText(QStringLiteral("x \\alpha y"), 5);
    ASSERT_TRUE(wnd.FindTypedCommand());
    EXPECT_EQ(wnd.typedCommand(), QStringLiteral("\\al"));
    EXPECT_EQ(wnd.typedStart(), 2);
    EXPECT_EQ(wnd.typedEnd(), 5);
    // A letter outside ASCII ends the search.
    setText(QStringLiteral("\\aé"));
    EXPECT_FALSE(wnd.FindTypedCommand());
}

TEST_F(LaTeXWndTest, InsertAtCaretMovesBackByCharactersNotBytes) {
    setText(QStringLiteral("a"));
    wnd.InsertAtCaret(2, QStringLiteral("αβγ"));
    EXPECT_EQ(text(), QStringLiteral("aαβγ"));
    EXPECT_EQ(caret(), 1 + 2) << "after the alpha (two bytes)";
}

// ---- text and buffers

TEST_F(LaTeXWndTest, ALongTextPassesWholeAndTheBuffersGrowInSteps) {
    EXPECT_EQ(wnd.utf8Capacity(), 1024);
    QString longText;
    while (longText.toUtf8().size() < 2100) longText += QStringLiteral("\\frac{a}{b}+中 ");
    wnd.SetEditorText(longText);
    const int bytes = int(longText.toUtf8().size());
    ASSERT_GT(bytes, 2048);
    EXPECT_EQ(wnd.GetEditorText(false), bytes + 1);
    EXPECT_EQ(wnd.utf8Buffer(), longText.toUtf8());
    EXPECT_EQ(wnd.utf8Capacity() % 1024, 0);
    EXPECT_GE(wnd.utf8Capacity(), bytes + 1);
    EXPECT_LT(wnd.utf8Capacity(), bytes + 1 + 1024);
    EXPECT_EQ(wnd.GetEditorText(true), int(longText.size()) + 1);
    EXPECT_EQ(wnd.utf16Buffer(), longText);
    EXPECT_EQ(wnd.utf16Capacity() % 1024, 0);

    wnd.SetEditorText(QString());
    EXPECT_EQ(length(), 0);
    EXPECT_EQ(wnd.GetEditorText(true), 1);
}

// ---- brace matching

TEST_F(LaTeXWndTest, BraceMatchingHighlightsPairsAndShowsAMissingPartner) {
    // The styles tell the two highlights apart on screen.
    wnd.Send(Sci::SCI_STYLESETBACK, Sci::STYLE_BRACELIGHT, 0x00FF00);
    wnd.Send(Sci::SCI_STYLESETBACK, Sci::STYLE_BRACEBAD, 0xFF00FF);
    wnd.Send(Sci::SCI_SETINDENTATIONGUIDES, 1);
    auto shows = [this](QRgb colour) {
        const QImage image = control()->grab().toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
        return false;
    };
    // A ")" without partner, caret right after it.
    setText(QStringLiteral("  x)"));
    wnd.Send(Sci::SCI_SETHIGHLIGHTGUIDE, 3);
    wnd.UpdateBraceMatch();
    EXPECT_TRUE(shows(qRgb(0xFF, 0x00, 0xFF))) << "the bad-brace style";
    EXPECT_FALSE(shows(qRgb(0x00, 0xFF, 0x00)));
    EXPECT_EQ(wnd.Send(Sci::SCI_GETHIGHLIGHTGUIDE), 0);

    // A pair: the guide at the smaller column.
    setText(QStringLiteral("  (x)"), 2);
    wnd.UpdateBraceMatch();
    EXPECT_TRUE(shows(qRgb(0x00, 0xFF, 0x00)));
    EXPECT_FALSE(shows(qRgb(0xFF, 0x00, 0xFF)));
    EXPECT_EQ(wnd.Send(Sci::SCI_GETHIGHLIGHTGUIDE), 2);

    // No brace at or before the caret: both cleared.
    setText(QStringLiteral("  (x) y"));
    wnd.UpdateBraceMatch();
    EXPECT_FALSE(shows(qRgb(0x00, 0xFF, 0x00)));
    EXPECT_FALSE(shows(qRgb(0xFF, 0x00, 0xFF)));
    EXPECT_EQ(wnd.Send(Sci::SCI_GETHIGHLIGHTGUIDE), 0);
}

// ---- styles

LaTeXEditorStyle sampleStyle() {
    LaTeXEditorStyle s;
    s.backColour = 0xF0F8FF;
    s.caretLineColour = 0x123456;
    s.fontFace = QStringLiteral("DejaVu Sans Mono");
    s.fontSize = 15;
    s.options = {1, 1, 1, 0, 7, 7, 7, 7};
    for (int i = 0; i < 12; ++i) {
        TokenStyle t;
        t.flags = uint8_t(i % 16);
        t.foreColour = 0x010203u * uint32_t(i + 1);
        t.backColour = 0x00A0B0u + uint32_t(i);
        s.tokens.push_back(t);
    }
    return s;
}

TEST_F(LaTeXWndTest, TheStyleIsAppliedAsTheControlReportsItBack) {
    int saved = 0;
    wnd.saveStyle = [&](const LaTeXEditorStyle&) { return ++saved > 0; };
    wnd.style = sampleStyle();
    wnd.ApplyEditorStyle(false);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETLEXER), 14);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETFONTQUALITY), 0) << "smooth font off";
    EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETFORE, Sci::STYLE_DEFAULT), 0x505050);
    EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT), 0xF0F8FF);
    EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETSIZE, Sci::STYLE_DEFAULT), 15);
    char face[64] = {};
    wnd.SendPtr(Sci::SCI_STYLEGETFONT, Sci::STYLE_DEFAULT, face);
    EXPECT_STREQ(face, "DejaVu Sans Mono");
    EXPECT_EQ(wnd.Send(Sci::SCI_GETWRAPMODE), 1);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETCARETLINEVISIBLE), 1);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETCARETLINEBACK), 0x123456);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETMARGINTYPEN, 0), 1);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETMARGINWIDTHN, 0), 32);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETMARGINWIDTHN, 1), 8);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const TokenStyle& t = wnd.style.tokens[size_t(i)];
        EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETFORE, i), long(t.foreColour));
        EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETBACK, i), long((t.flags & 1) ? t.backColour : 0xF0F8FF));
        EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETITALIC, i), (t.flags & 2) ? 1 : 0);
        EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETBOLD, i), (t.flags & 4) ? 1 : 0);
        EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETUNDERLINE, i), (t.flags & 8) ? 1 : 0);
        // Every token style takes the default's font and size.
        EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETSIZE, i), 15);
    }
    EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETBACK, Sci::STYLE_BRACELIGHT), 0x00FF00);
    EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETFORE, Sci::STYLE_BRACELIGHT), 0x0000FF);
    EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETBOLD, Sci::STYLE_BRACELIGHT), 1);

    // Options off, smooth font on, and saved.
    wnd.style.options = {0, 0, 0, 1, 0, 0, 0, 0};
    wnd.ApplyEditorStyle(true);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETFONTQUALITY), 2);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETWRAPMODE), 0);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETCARETLINEVISIBLE), 0);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETMARGINWIDTHN, 0), 0);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETMARGINWIDTHN, 1), 12);

    // The lexer colours LaTeX: a command is not in the default style.
    setText(QStringLiteral("x \\alpha"));
    wnd.Send(Sci::SCI_COLOURISE, 0, -1);
    EXPECT_NE(wnd.Send(Sci::SCI_GETSTYLEAT, 4), 0);
}

TEST_F(LaTeXWndTest, AStyleWithoutTokenStylesChangesNothing) {
    int saved = 0;
    wnd.saveStyle = [&](const LaTeXEditorStyle&) { return ++saved > 0; };
    const long lexer = wnd.Send(Sci::SCI_GETLEXER);
    const long back = wnd.Send(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT);
    wnd.style.backColour = 0x0000FF;
    wnd.ApplyEditorStyle(true);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETLEXER), lexer);
    EXPECT_EQ(wnd.Send(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT), back);
    EXPECT_EQ(saved, 0);
}

// ---- keys

TEST_F(LaTeXWndTest, CtrlKeysOfTheTableWorkAndOtherCtrlKeysDoNothing) {
    setText(QStringLiteral("abc"));
    EXPECT_TRUE(pressKey(control(), QString(QChar(2)), Qt::ControlModifier, Qt::Key_B));
    EXPECT_EQ(text(), QStringLiteral("abc")) << "Ctrl+B does nothing";
    pressKey(control(), QString(QChar(12)), Qt::ControlModifier, Qt::Key_L);
    EXPECT_EQ(text(), QStringLiteral("abc")) << "nor the control's own Ctrl+L (line cut)";

    pressKey(control(), QString(QChar(1)), Qt::ControlModifier, Qt::Key_A);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETSELECTIONSTART), 0);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETSELECTIONEND), 3);
    typeText(control(), QStringLiteral("z"));
    EXPECT_EQ(text(), QStringLiteral("z"));
    pressKey(control(), QString(QChar(26)), Qt::ControlModifier, Qt::Key_Z);
    EXPECT_EQ(text(), QStringLiteral("abc"));
    pressKey(control(), QString(QChar(25)), Qt::ControlModifier, Qt::Key_Y);
    EXPECT_EQ(text(), QStringLiteral("z"));
}

TEST_F(LaTeXWndTest, KeysThatTypeTextPassWhateverModifiersTheyComeWith) {
    // AltGr arrives as Ctrl+Alt on many layouts: "\", "{" and "}" must still
    // be typed (they once were swallowed with every Ctrl and Alt key).
    setText(QString());
    const Qt::KeyboardModifiers altGr = Qt::ControlModifier | Qt::AltModifier;
    pressKey(control(), QStringLiteral("\\"), altGr, Qt::Key_Backslash);
    pressKey(control(), QStringLiteral("{"), altGr, Qt::Key_7);
    pressKey(control(), QStringLiteral("x"), Qt::NoModifier);
    pressKey(control(), QStringLiteral("}"), altGr, Qt::Key_0);
    pressKey(control(), QStringLiteral("€"), Qt::AltModifier, Qt::Key_E);
    EXPECT_EQ(text(), QStringLiteral("\\{x}€"));
}

// ---- the context menu

TEST_F(LaTeXWndTest, TheContextMenuShowsItsEntriesAndTogglesTheOptions) {
    int saved = 0;
    wnd.saveStyle = [&](const LaTeXEditorStyle&) { return ++saved > 0; };
    wnd.style = sampleStyle();
    wnd.style.options[0] = 0;
    wnd.ApplyEditorStyle(false);
    std::vector<unsigned> ids;
    QString applyCaption;
    QString applyShortcut;
    bool wrapChecked = true;
    bool numbersChecked = false;
    unsigned answer = CLaTeXWnd::MenuWrap;
    wnd.trackMenu = [&](CKwMenu& menu, QPoint) {
        ids.clear();
        for (QAction* a : menu.actions())
            if (const unsigned id = CKwMenu::ActionId(a)) {
                ids.push_back(id);
                if (id == CLaTeXWnd::MenuWrap) wrapChecked = a->isChecked();
                if (id == CLaTeXWnd::MenuLineNumbers) numbersChecked = a->isChecked();
            }
        if (const CKwMenu::ItemRecord* r = menu.FindRecord(CLaTeXWnd::MenuApply)) {
            applyCaption = r->caption;
            applyShortcut = r->shortcut;
        }
        return answer;
    };
    wnd.OnContextMenu(QPoint(10, 10));
    EXPECT_EQ(ids, (std::vector<unsigned>{1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 7, 8}));
    EXPECT_EQ(applyCaption, QStringLiteral("Apply to the equation"));
    EXPECT_TRUE(applyShortcut.contains(QStringLiteral("Shift+Enter")));
    EXPECT_FALSE(wrapChecked);
    EXPECT_TRUE(numbersChecked);
    EXPECT_EQ(wnd.style.options[0], 1);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETWRAPMODE), 1);
    EXPECT_EQ(saved, 1);

    answer = CLaTeXWnd::MenuLineNumbers;
    wnd.OnContextMenu(QPoint(10, 10));
    EXPECT_TRUE(wrapChecked);
    EXPECT_EQ(wnd.Send(Sci::SCI_GETMARGINWIDTHN, 0), 0);
    EXPECT_EQ(saved, 2);

    // The control's own right click opens the window's menu.
    answer = 0;
    ids.clear();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), control()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(wnd.control()->viewport(), &event);
    EXPECT_EQ(ids.size(), 12u);
}

// ---- text files

class LaTeXWndFileTest : public LaTeXWndTest {
protected:
    LaTeXWndFileTest() { RegistryStore::instance().deleteKey(QString::fromLatin1(kLastFolderKey)); }
    test::ScratchFolder folder;
    ScriptedDialogService dialogs;
    ScopedDialogService dialogGuard{&dialogs};
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
};

TEST_F(LaTeXWndFileTest, SavedTextIsTheUtf8AsItStandsAndOpensAgainUnchanged) {
    const QString path = folder.file(QStringLiteral("eq.txt"));
    const QString t = QStringLiteral("% 注释\n\\frac{a}{b}");
    setText(t);
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    wnd.SaveTextFile();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].defaultName, QStringLiteral("Untitled.txt"));
    EXPECT_EQ(dialogs.fileRequests[0].filter, QStringLiteral("Text Files (*.txt)|*.txt|"));
    QByteArray bytes;
    ASSERT_TRUE(ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr));
    EXPECT_EQ(bytes, t.toUtf8()) << "no byte-order mark, no terminator";

    // Opened again, the Chinese comment is read as it was written (the
    // reader once took every file as code page 936).
    setText(QStringLiteral("other"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    wnd.OpenTextFile();
    EXPECT_EQ(text(), t);
    EXPECT_EQ(dialogs.fileRequests[1].initialFolder, folder.path() + '/') << "the last folder";
    EXPECT_FALSE(dialogs.fileRequests[1].save);
}

TEST_F(LaTeXWndFileTest, OpenKeepsTheTextForAnEmptyOrMissingFileAndReadsOlderFiles) {
    const QString empty = folder.file(QStringLiteral("empty.txt"));
    ASSERT_TRUE(WriteFileSafely(empty, QByteArray(), nullptr));
    setText(QStringLiteral("keep"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(empty));
    wnd.OpenTextFile();
    EXPECT_EQ(text(), QStringLiteral("keep"));
    EXPECT_TRUE(messages.shown.empty());

    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(folder.file(QStringLiteral("none.txt"))));
    wnd.OpenTextFile();
    EXPECT_EQ(text(), QStringLiteral("keep"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("failed to open file : ")));

    // A file in code page 936 with Windows line ends.
    const QString old = folder.file(QStringLiteral("old.txt"));
    ASSERT_TRUE(WriteFileSafely(old, QByteArray("a\r\n\xd6\xd0", 5), nullptr));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(old));
    wnd.OpenTextFile();
    EXPECT_EQ(text(), QStringLiteral("a\n中\n"));

    // Nothing to save: no dialog.
    setText(QString());
    wnd.SaveTextFile();
    EXPECT_EQ(dialogs.fileRequests.size(), 3u);
}

TEST_F(LaTeXWndFileTest, ASaveThatFailsTellsTheUser) {
    setText(QStringLiteral("x"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(folder.file(QStringLiteral("no/such/dir.txt"))));
    wnd.SaveTextFile();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("could not be written")));
}

}  // namespace
}  // namespace toliva
