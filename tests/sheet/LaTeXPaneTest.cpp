// The LaTeX editing pane with a real source window (offscreen) beside a
// headless sheet: text to the equation and back as one undo step, text that
// does not convert, the prompt bar's steps and keys, zoom, the settings
// dialog and the layout.
#include "SheetTestSupport.h"
#include "common/ModelFixtures.h"
#include "common/TestSupport.h"
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "sheet/CDialogTeXEdt.h"
#include "sheet/CDlgTeXPromptBar.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "tests/model/EqLayoutTestSupport.h"
#include "tests/tex/TeXTestContext.h"

#include <gtest/gtest.h>

#include <Qsci/qsciscintillabase.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace toliva {
namespace {

using Sci = QsciScintillaBase;
using test::equationText;

TolivaSourceEditorFactory editorFactory() {
    static const SourceEditorLibrary library = LoadSourceEditorLibrary();
    return library.create;
}

class EmbeddedHost : public SheetHost {
public:
    bool IsEmbedded() const override { return embedded; }
    void CloseMainWindow() override { ++closed; }
    void SetModifiedFlag() override { ++modified; }
    bool embedded = false;
    int closed = 0;
    int modified = 0;
};

// The prompt bar as the view runs it: its mode (0 hidden, 1 for the sheet,
// 2 for the source window) and its text.
struct FakePromptBar {
    int mode = 0;
    QString text;
    std::vector<QString> steps;
    int hides = 0;
    std::vector<int> keys;
    bool takesKeys = true;
};

class LaTeXPaneTest : public ::testing::Test {
protected:
    LaTeXPaneTest() : pane(app, editorFactory()) {
        app.options = AppContext::kDefaultOptions | OptPromptForSource;
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), &host,
                                             std::make_unique<HeadlessSheetBackend>());
        sheet->texRead = test::readContext();
        sheet->texWrite = test::writeContext();
        EqBuilder b(&eq);
        b.text(b.line(), u"xy", EqTypeCharItalic);
        ShowSheetOffscreen(*sheet, QSize(400, 300), &eq);
        pane.setSheet(sheet.get());
        pane.promptStep = [this](const QString& typed, QPoint) {
            bar.steps.push_back(typed);
            bar.text = typed;
            bar.mode = typed.isEmpty() ? 0 : 2;
        };
        pane.promptHide = [this] {
            ++bar.hides;
            bar.mode = 0;
        };
        pane.isPromptShowing = [this] { return bar.mode == 2; };
        pane.promptKey = [this](int vk, bool, bool, bool) {
            bar.keys.push_back(vk);
            return bar.takesKeys;
        };
        pane.toggleLaTeXMode = [this] { ++toggles; };
        // No modal dialog in a test: a test that wants one answers it.
        pane.runSettingsDialog = nullptr;
        pane.resize(400, 200);
        pane.show();
    }
    void SetUp() override { ASSERT_TRUE(pane.editor().isCreated()); }

    QWidget* control() { return pane.editor().widget(); }
    CLaTeXWnd& editor() { return pane.editor(); }
    void setText(const QString& text) {
        editor().SetEditorText(text);
        editor().Send(Sci::SCI_GOTOPOS, static_cast<unsigned long>(editor().Send(Sci::SCI_GETLENGTH)));
    }
    bool key(int qtKey, const QString& text = QString(), Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(control(), &press);
        return press.isAccepted();
    }
    void type(const QString& text) {
        for (QChar c : text) key(c == u'\\' ? int(Qt::Key_Backslash) : int(c.toUpper().unicode()), QString(c));
    }
    // Scintilla reports its update notification when it paints.
    void paint() { control()->grab(); }
    std::string text() const { return equationText(eq); }
    int undoCount() { return sheet->undoHistory().undoCount(); }

    AppContext app;
    EmbeddedHost host;
    EqModel eq{test::builtInStyle()};
    std::unique_ptr<CKwEESheet> sheet;
    CDialogTeXEdt pane;
    FakePromptBar bar;
    int toggles = 0;
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
};

// ---- text to the equation and back

TEST_F(LaTeXPaneTest, ApplyAndLoadRoundTripAsOneUndoStep) {
    const int undo = undoCount();
    setText(QStringLiteral("$$a=\\frac{b}{c}\\\\\nk^{2}$$"));
    ASSERT_TRUE(pane.ApplyToEquation());
    EXPECT_EQ(text(), "a[1049][128:b|c]/k[173:2]");
    EXPECT_EQ(undoCount(), undo + 1) << "one undo step";
    EXPECT_GT(host.modified, 0);
    EXPECT_TRUE(messages.shown.empty());
    const QByteArray applied = EquationToBytes(&eq);

    // Loaded back and applied again, the equation is the same and the
    // unchanged apply leaves no undo step.
    editor().SetEditorText(QString());
    ASSERT_TRUE(pane.LoadFromEquation());
    const QString loaded = editor().editorText();
    EXPECT_TRUE(loaded.startsWith(QStringLiteral("$$"))) << loaded.toStdString();
    EXPECT_TRUE(loaded.contains(QStringLiteral("\\frac")));
    ASSERT_TRUE(pane.ApplyToEquation());
    EXPECT_EQ(EquationToBytes(&eq), applied);
    EXPECT_EQ(undoCount(), undo + 1);

    // The undo step brings back what the sheet held.
    sheet->Undo();
    EXPECT_EQ(text(), "xy");
}

TEST_F(LaTeXPaneTest, LoadingUsesTheApplicationsDelimiters) {
    app.texDelimCode = LaTeXInlineParen;
    ASSERT_TRUE(pane.LoadFromEquation());
    EXPECT_TRUE(editor().editorText().startsWith(QStringLiteral("\\("))) << editor().editorText().toStdString();
}

TEST_F(LaTeXPaneTest, ATextThatDoesNotConvertLeavesTheEquationAndTellsTheUser) {
    // The reader once emptied the equation first and its verdict was never
    // shown: the user lost the formula without a word.
    const QString deep = QString(300, u'{') + u'x' + QString(300, u'}');
    struct Case {
        const char* name;
        QString text;
        QString where;  // the position the message names
    };
    const Case cases[] = {
        {"nothing to show", QString(), QStringLiteral("1:1")},
        {"empty delimiters", QStringLiteral("$$  $$"), QString()},
        {"nested too deeply", QStringLiteral("\n") + deep, QStringLiteral("2:")},
        {"one segment of two fails", QStringLiteral("$a$ and $") + deep + QStringLiteral("$"), QStringLiteral("1:")},
    };
    const QString said = LangText(QStringLiteral("LANG_08.xml"), QStringLiteral("gMSG_3"), 1);
    ASSERT_FALSE(said.isEmpty());
    const QByteArray before = EquationToBytes(&eq);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        const int undo = undoCount();
        setText(c.text);
        EXPECT_FALSE(pane.ApplyToEquation());
        EXPECT_EQ(EquationToBytes(&eq), before);
        EXPECT_EQ(text(), "xy");
        EXPECT_EQ(undoCount(), undo);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].text.startsWith(said)) << messages.shown[0].text.toStdString();
        EXPECT_GT(messages.shown[0].text.size(), said.size()) << "with what the reader found";
        if (!c.where.isEmpty()) {
            EXPECT_TRUE(messages.shown[0].text.contains(c.where)) << messages.shown[0].text.toStdString();
        }
        EXPECT_NE(messages.shown[0].flags & MB_ICONWARNING, 0u);
    }
}

TEST_F(LaTeXPaneTest, WithoutASheetOrAnEditorNothingHappens) {
    pane.setSheet(nullptr);
    setText(QStringLiteral("x"));
    EXPECT_FALSE(pane.ApplyToEquation());
    EXPECT_FALSE(pane.LoadFromEquation());
    EXPECT_TRUE(messages.shown.empty());

    CDialogTeXEdt bare(app, nullptr);
    bare.setSheet(sheet.get());
    EXPECT_FALSE(bare.editor().isCreated());
    EXPECT_FALSE(bare.ApplyToEquation());
    EXPECT_FALSE(bare.LoadFromEquation());
    bare.InitEditorStyle();
    bare.PromptStep('\\');
    EXPECT_EQ(text(), "xy");
}

TEST_F(LaTeXPaneTest, ShiftEnterAppliesAndCtrlEnterAppliesAndClosesAnEmbeddedDocument) {
    setText(QStringLiteral("a+b"));
    EXPECT_TRUE(key(Qt::Key_Return, QStringLiteral("\r"), Qt::ShiftModifier));
    EXPECT_EQ(text(), "a[1042]b");
    EXPECT_EQ(editor().editorText(), QStringLiteral("a+b")) << "no line break typed";
    EXPECT_EQ(host.closed, 0);

    host.embedded = true;
    setText(QStringLiteral("c"));
    EXPECT_TRUE(key(Qt::Key_Return, QStringLiteral("\r"), Qt::ControlModifier));
    EXPECT_EQ(text(), "c");
    EXPECT_EQ(host.closed, 1);

    EXPECT_TRUE(key(Qt::Key_Tab, QString(), Qt::ControlModifier));
    EXPECT_EQ(toggles, 1);
}

// ---- the prompt bar

TEST_F(LaTeXPaneTest, ABackslashShowsTheBarOnlyWithItsOptionOn) {
    type(QStringLiteral("\\"));
    ASSERT_FALSE(bar.steps.empty());
    EXPECT_EQ(bar.steps.front(), QStringLiteral("\\"));
    EXPECT_EQ(bar.mode, 2);
    type(QStringLiteral("fr"));
    EXPECT_EQ(bar.text, QStringLiteral("\\fr"));

    // The bar's frac: the caret inside the first argument, the bar hidden.
    editor().InsertCandidate(1003, QStringLiteral("frac{}{}"));
    EXPECT_EQ(editor().editorText(), QStringLiteral("\\frac{}{}"));
    EXPECT_EQ(editor().Send(Sci::SCI_GETCURRENTPOS), 6);
    EXPECT_EQ(bar.mode, 0);

    // Option off: no bar.
    app.options &= ~uint32_t(OptPromptForSource);
    setText(QString());
    bar = FakePromptBar{};
    type(QStringLiteral("\\al"));
    EXPECT_TRUE(bar.steps.empty());
    EXPECT_EQ(bar.mode, 0);
}

TEST_F(LaTeXPaneTest, ALetterWhileTheBarServesTheSheetHidesIt) {
    bar.mode = 1;
    type(QStringLiteral("a"));
    EXPECT_EQ(bar.mode, 0);
    EXPECT_GT(bar.hides, 0);
    EXPECT_TRUE(bar.steps.empty());
}

TEST_F(LaTeXPaneTest, MovingTheCaretInsideACommandKeepsTheBarOnTheTextBeforeTheCaret) {
    type(QStringLiteral("x\\alpha"));
    ASSERT_EQ(bar.mode, 2);
    // Left arrows go to the prompt bar while it shows; it declines them.
    bar.takesKeys = false;
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    paint();
    EXPECT_EQ(bar.mode, 2);
    EXPECT_EQ(bar.text, QStringLiteral("\\alp"));
    // The caret after the word's end moves onto a space: no command, hidden.
    setText(QStringLiteral("\\alpha x"));
    paint();
    EXPECT_EQ(bar.mode, 0);
}

TEST_F(LaTeXPaneTest, KeysGoToTheBarWhileItShows) {
    type(QStringLiteral("\\al"));
    ASSERT_EQ(bar.mode, 2);
    EXPECT_TRUE(key(Qt::Key_2, QStringLiteral("2")));
    EXPECT_EQ(bar.keys, std::vector<int>{0x32});
    EXPECT_EQ(editor().editorText(), QStringLiteral("\\al")) << "the bar used the digit";
    bar.takesKeys = false;
    key(Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(bar.keys.back(), 0x20);
    EXPECT_EQ(editor().editorText(), QStringLiteral("\\al ")) << "declined: typed";

    type(QStringLiteral("\\b"));
    ASSERT_EQ(bar.mode, 2);
    EXPECT_TRUE(key(Qt::Key_Return, QStringLiteral("\r")));
    EXPECT_EQ(bar.mode, 0);
    EXPECT_EQ(editor().editorText(), QStringLiteral("\\al \\b")) << "Enter only hid the bar";
}

TEST_F(LaTeXPaneTest, ZoomingTheEditorHidesTheBar) {
    type(QStringLiteral("\\al"));
    ASSERT_EQ(bar.mode, 2);
    editor().Send(Sci::SCI_ZOOMIN);
    EXPECT_EQ(bar.mode, 0);
}

TEST_F(LaTeXPaneTest, AClickInTheEditorStopsTheSheetsCaretAndHidesTheBar) {
    sheet->StartCaret();
    ASSERT_TRUE(sheet->caretRunning());
    bar.mode = 1;
    QWidget* viewport = editor().control()->viewport();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 10), viewport->mapToGlobal(QPointF(20, 10)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    EXPECT_FALSE(sheet->caretRunning());
    EXPECT_EQ(bar.mode, 0);
}

// ---- settings and layout

TEST_F(LaTeXPaneTest, TheSettingsDialogsOkAppliesTheStyleAgain) {
    EXPECT_FALSE(pane.ShowEditorSettings()) << "no dialog";
    LaTeXEditorStyle loaded;
    loaded.tokens.resize(12);
    loaded.backColour = 0x112233;
    pane.loadStyle = [&](LaTeXEditorStyle& s) { s = loaded; };
    pane.InitEditorStyle();
    EXPECT_EQ(editor().Send(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT), 0x112233);
    EXPECT_EQ(editor().Send(Sci::SCI_GETLEXER), 14);

    bool ok = false;
    pane.runSettingsDialog = [&](LaTeXEditorStyle& s) {
        s.backColour = 0x445566;
        return ok;
    };
    EXPECT_FALSE(pane.ShowEditorSettings());
    EXPECT_EQ(editor().Send(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT), 0x112233) << "Cancel: not applied";
    ok = true;
    EXPECT_TRUE(pane.ShowEditorSettings());
    EXPECT_EQ(editor().Send(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT), 0x445566);

    // The context menu's entry runs it too.
    editor().style.backColour = 0;
    editor().RunMenuCommand(CLaTeXWnd::MenuSettings);
    EXPECT_EQ(editor().Send(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT), 0x445566);
}

TEST_F(LaTeXPaneTest, TheEditorFillsThePaneBelowItsTopLine) {
    pane.resize(300, 120);
    EXPECT_EQ(control()->geometry(), QRect(0, 1, 300, 119));
    EXPECT_EQ(pane.property("ctrlId").toInt(), 150);
    EXPECT_EQ(control()->property("ctrlId").toInt(), 100000);
    const QImage shot = pane.grab().toImage();
    EXPECT_EQ(shot.pixel(150, 0) & 0xFFFFFF, 0xC8C8DCu) << "the top line";
}

// The pane with the real prompt bar and its shipped candidates: typing "\fr"
// offers \frac, and picking it leaves the caret inside the first argument.
TEST_F(LaTeXPaneTest, TypingACommandOffersItAndAPickPutsTheCaretInTheFirstArgument) {
    test::ScratchFolder folder;
    app.userFolder = folder.path() + QLatin1Char('/');
    CDlgTeXPromptBar realBar(app, test::programContext(), nullptr);
    TeXPromptDriver driver(app, &realBar, sheet.get());
    pane.ConnectPromptBar(driver);

    setText(QString());
    type(QStringLiteral("x+\\fr"));
    ASSERT_EQ(driver.mode(), 2);
    ASSERT_TRUE(realBar.isVisible());
    int cell = -1;
    for (int i = 0; i < 10 && cell < 0; ++i) {
        const int index = realBar.list().candidateInCell(i);
        if (index >= 0 && realBar.list().candidates()[size_t(index)].text == QLatin1String("frac{}{}")) cell = i;
    }
    ASSERT_GE(cell, 0) << "\\frac is offered";
    ASSERT_TRUE(driver.PickPromptCandidate(cell + 1));
    EXPECT_EQ(editor().editorText(), QStringLiteral("x+\\frac{}{}"));
    const long caret = long(editor().Send(Sci::SCI_GETCURRENTPOS));
    EXPECT_EQ(caret, long(QStringLiteral("x+\\frac{").size())) << "inside the first braces";
    EXPECT_FALSE(realBar.isVisible());
}

}  // namespace
}  // namespace toliva
