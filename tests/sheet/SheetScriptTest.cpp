// The script runner: what each command sends to the sheet, errors with
// their line numbers, and short edit scripts end to end through the sheet's
// key handling, symbol keys, commands and undo.
#include "model/EqBuilder.h"
#include "model/EqDump.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "tests/common/ModelFixtures.h"
#include "tests/model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>

namespace toliva {
namespace {

// Records the input events that reach the sheet (and lets them through).
class EventLog : public QObject {
public:
    struct Entry {
        QEvent::Type type;
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        QString text;
        QPoint point;
    };
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
        case QEvent::KeyPress: {
            auto* k = static_cast<QKeyEvent*>(e);
            entries.push_back({e->type(), k->key(), k->modifiers(), k->text(), {}});
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(e);
            entries.push_back({e->type(), 0, m->modifiers(), {}, m->position().toPoint()});
            break;
        }
        default: break;
        }
        return false;
    }
    std::vector<Entry> entries;
};

class SheetScriptTest : public ::testing::Test {
protected:
    SheetScriptTest() : eq(test::builtInStyle()) {
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), nullptr, std::move(owned));
        ShowSheetOffscreen(*sheet, QSize(400, 200), &eq);
        script = std::make_unique<SheetScript>(*sheet, backend);
    }

    SheetScriptResult run(const char* text) { return script->run(QString::fromUtf8(text)); }

    AppContext app;
    EqModel eq;
    HeadlessSheetBackend* backend = nullptr;
    std::unique_ptr<CKwEESheet> sheet;
    std::unique_ptr<SheetScript> script;
};

TEST_F(SheetScriptTest, KeyNamesBecomeKeyPressesWithTheirModifiers) {
    EventLog log;
    sheet->installEventFilter(&log);
    struct Case {
        const char* line;
        int key;
        Qt::KeyboardModifiers modifiers;
    };
    const Case cases[] = {
        {"key Ctrl+Left", Qt::Key_Left, Qt::ControlModifier},
        {"key Shift+Right", Qt::Key_Right, Qt::ShiftModifier},
        {"key Home", Qt::Key_Home, Qt::NoModifier},
        {"key Ctrl+End", Qt::Key_End, Qt::ControlModifier},
        {"key Tab", Qt::Key_Tab, Qt::NoModifier},
        {"key Enter", Qt::Key_Return, Qt::NoModifier},
        {"key Backspace", Qt::Key_Backspace, Qt::NoModifier},
        {"key Delete", Qt::Key_Delete, Qt::NoModifier},
        {"key Esc", Qt::Key_Escape, Qt::NoModifier},
        {"key F3", Qt::Key_F3, Qt::NoModifier},
        {"key Ctrl+A", Qt::Key_A, Qt::ControlModifier},
        {"key Ctrl+Z", Qt::Key_Z, Qt::ControlModifier},
        {"key Ctrl+1", Qt::Key_1, Qt::ControlModifier},
        {"key Ctrl+Shift+Alt+F", Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier},
    };
    for (const Case& c : cases) {
        log.entries.clear();
        QString error;
        ASSERT_TRUE(script->runLine(QString::fromLatin1(c.line), &error)) << c.line << ": " << error.toStdString();
        ASSERT_EQ(log.entries.size(), 1u) << c.line;
        EXPECT_EQ(log.entries[0].key, c.key) << c.line;
        EXPECT_EQ(log.entries[0].modifiers, c.modifiers) << c.line;
    }
    // Typed text: one press per character, carrying the character.
    log.entries.clear();
    ASSERT_TRUE(script->runLine(QStringLiteral("type aB+"), nullptr));
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[0].text, QStringLiteral("a"));
    EXPECT_EQ(log.entries[1].text, QStringLiteral("B"));
    EXPECT_EQ(log.entries[1].modifiers, Qt::ShiftModifier);
    EXPECT_EQ(log.entries[2].text, QStringLiteral("+"));
}

TEST_F(SheetScriptTest, MouseCommandsSendPressesMovesAndReleases) {
    EventLog log;
    sheet->installEventFilter(&log);
    ASSERT_TRUE(run("click 12,34\ndblclick 5,6\ndrag 0,0 40,20").ok);
    std::vector<QEvent::Type> types;
    for (const auto& e : log.entries) types.push_back(e.type);
    const std::vector<QEvent::Type> expected = {
        QEvent::MouseButtonPress, QEvent::MouseButtonRelease,                                // click
        QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,  // dblclick
        QEvent::MouseButtonRelease,
        QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseMove, QEvent::MouseMove,  // drag
        QEvent::MouseMove, QEvent::MouseButtonRelease};
    EXPECT_EQ(types, expected);
    EXPECT_EQ(log.entries[0].point, QPoint(12, 34));
    EXPECT_EQ(log.entries.back().point, QPoint(40, 20));
}

TEST_F(SheetScriptTest, AnUnknownOrMalformedLineIsAnErrorWithItsNumber) {
    struct Case {
        const char* script;
        int line;
    };
    const Case cases[] = {
        {"# comment\n\nfrobnicate", 3},
        {"type x\nkey NoSuchKey", 2},
        {"click 1", 1},
        {"wheel 1 alt", 1},
        {"wheel 99999999", 1},
        {"sym 3 128", 1},
        {"sym 3 128 70000", 1},
        {"cmd", 1},
        {"size 0,10", 1},
        {"undo now", 1},
        {"caret\n  # indented comment\nscroll 1;2", 3},
    };
    for (const Case& c : cases) {
        const SheetScriptResult r = run(c.script);
        EXPECT_FALSE(r.ok) << c.script;
        EXPECT_EQ(r.line, c.line) << c.script;
        EXPECT_FALSE(r.error.isEmpty());
    }
    const SheetScriptResult fine = run("# only comments\n\n   \n# and blanks");
    EXPECT_TRUE(fine.ok);
    EXPECT_EQ(fine.commands, 0);
}

TEST_F(SheetScriptTest, SizeScrollWheelAndCaretReachTheSheet) {
    EqBuilder b(&eq);
    for (int i = 0; i < 40; ++i) b.text(b.line(), u"abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz", EqTypeCharItalic);
    sheet->SetEquation(&eq);
    ASSERT_TRUE(run("size 300,150").ok);
    EXPECT_EQ(sheet->size(), QSize(300, 150));
    ASSERT_TRUE(run("scroll 237,237").ok);
    EXPECT_EQ(sheet->scrollX(), 230);
    EXPECT_EQ(sheet->scrollY(), 230);
    ASSERT_TRUE(run("wheel -1").ok);
    EXPECT_EQ(sheet->scrollY(), 350);
    ASSERT_TRUE(run("wheel 1 shift").ok);
    EXPECT_EQ(sheet->scrollX(), 110);
    const float scale = app.eeScale;
    ASSERT_TRUE(run("wheel 1 ctrl").ok);
    EXPECT_NEAR(app.eeScale, scale + 0.2f, 1e-5);
    ASSERT_TRUE(run("cmd 29").ok);  // the standard zoom
    EXPECT_FLOAT_EQ(app.eeScale, 2.0f);
    // Back to the caret's line, at the top.
    ASSERT_TRUE(run("scroll 0,0").ok);
    sheet->StopCaret();
    sheet->StartCaret();
    const bool drawn = sheet->caretDrawn();
    ASSERT_TRUE(run("caret").ok);
    EXPECT_NE(sheet->caretDrawn(), drawn);
    ASSERT_TRUE(run("caret").ok);
    EXPECT_EQ(sheet->caretDrawn(), drawn);
}

// ---- edit scripts through the sheet's own entry points

TEST_F(SheetScriptTest, TypingInsertsCharactersAndOperators) {
    ASSERT_TRUE(run("type a+b").ok);
    // One undo step per style run: a, the operator, b.
    EXPECT_EQ(sheet->undoHistory().undoCount(), 3);
    const EqElement* head = eq.lines.at(0);
    ASSERT_NE(head->next, nullptr);
    EXPECT_EQ(head->next->ch, u'a');
    ASSERT_NE(head->next->next, nullptr);
    EXPECT_EQ(head->next->next->type, 1042);
    ASSERT_NE(head->next->next->next, nullptr);
    EXPECT_EQ(head->next->next->next->ch, u'b');
    EXPECT_EQ(GetEquationCaret(&eq), head->next->next->next);
    // "=" and "-" become their operators, a space the third-of-an-em space.
    ASSERT_TRUE(run("type = -").ok);
    const EqElement* e = head->next->next->next->next;
    const int32_t expected[] = {1049, EqTypeSpaceThird, 1043};
    for (int32_t type : expected) {
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->type, type);
        EXPECT_EQ(e->ch, 0);
        e = e->next;
    }
}

TEST_F(SheetScriptTest, TheDefaultHotkeysInsertAFractionAndAnUprightDegreeSign) {
    ASSERT_TRUE(run("key Ctrl+F\ntype a\nkey Tab\ntype b\nkey Tab\nkey Ctrl+D").ok);
    const EqElement* frac = eq.lines.at(0)->next;
    ASSERT_NE(frac, nullptr);
    EXPECT_EQ(frac->type, EqTypeFraction);
    ASSERT_NE(frac->next, nullptr);
    EXPECT_EQ(frac->next->type, EqTypeCharUpright);
    EXPECT_EQ(frac->next->ch, 0xB0);
    // Shift alone with a letter is typed, never looked up.
    ASSERT_TRUE(run("type F").ok);
    ASSERT_NE(frac->next->next, nullptr);
    EXPECT_EQ(frac->next->next->ch, u'F');
}

TEST_F(SheetScriptTest, AFractionBySymbolKeyTakesTheTypedArguments) {
    ASSERT_TRUE(run("sym 3 128 0\ntype a\nkey Tab\ntype b").ok);
    const EqElement* frac = eq.lines.at(0)->next;
    ASSERT_NE(frac, nullptr);
    ASSERT_EQ(frac->type, EqTypeFraction);
    ASSERT_EQ(frac->children.size(), 2u);
    ASSERT_NE(frac->children[0]->next, nullptr);
    EXPECT_EQ(frac->children[0]->next->ch, u'a');
    ASSERT_NE(frac->children[1]->next, nullptr);
    EXPECT_EQ(frac->children[1]->next->ch, u'b');
}

TEST_F(SheetScriptTest, UndoAndRedoGiveBackTheBytes) {
    const QByteArray start = EquationToBytes(&eq);
    ASSERT_TRUE(run("sym 3 128 0\ntype x").ok);
    const QByteArray end = EquationToBytes(&eq);
    ASSERT_NE(start, end);
    ASSERT_TRUE(run("undo\nundo").ok);
    EXPECT_EQ(EquationToBytes(&eq), start);
    ASSERT_TRUE(run("redo\nredo").ok);
    EXPECT_EQ(EquationToBytes(&eq), end);
    ASSERT_TRUE(run("key Ctrl+Z\nkey Ctrl+Z\nkey Ctrl+Y\nkey Ctrl+Y").ok);
    EXPECT_EQ(EquationToBytes(&eq), end);
}

TEST_F(SheetScriptTest, TheDefaultCtrlPInsertsPiNotAControlCharacter) {
    sheet->ExecuteSymbolKey(SymbolKey{4, 2, 960});
    const EqElement* e = eq.lines.at(0)->next;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ch, 960);
    // Without a character nothing is inserted.
    sheet->ExecuteSymbolKey(SymbolKey{4, 2, 0});
    EXPECT_EQ(e->next, nullptr);
    // An upright symbol of kind 6 keeps its type whatever the typing style.
    sheet->ExecuteSymbolKey(SymbolKey{6, 176, 0});
    ASSERT_NE(e->next, nullptr);
    EXPECT_EQ(e->next->type, EqTypeCharUpright);
    EXPECT_EQ(e->next->ch, 176);
    // The same through the default Ctrl+P binding.
    ASSERT_TRUE(run("key Ctrl+P").ok);
    ASSERT_NE(e->next->next, nullptr);
    EXPECT_EQ(e->next->next->ch, 960);
}

// Kind 2 puts an accent (the code's low byte) on the character or glyph
// symbol at the caret, as one undo step; elsewhere it does nothing.
TEST_F(SheetScriptTest, AKindTwoKeyAccentsTheCharacterAtTheCaret) {
    ASSERT_TRUE(run("type x").ok);
    EqElement* x = eq.lines.at(0)->next;
    ASSERT_NE(x, nullptr);
    const QByteArray plain = EquationToBytes(&eq);
    sheet->ExecuteSymbolKey(SymbolKey{2, 0x1203, 0});
    ASSERT_EQ(x->payload.size(), 1u);
    EXPECT_EQ(x->payload[0], 0x03);
    EXPECT_EQ(x->next, nullptr);  // nothing inserted
    sheet->ExecuteSymbolKey(SymbolKey{2, 0x05, 0});
    EXPECT_EQ(x->payload, (std::vector<uint8_t>{0x03, 0x05}));
    ASSERT_TRUE(run("undo\nundo").ok);
    EXPECT_EQ(EquationToBytes(&eq), plain);

    // A glyph symbol takes it; a structure, an operator or a line head does not.
    struct Case {
        int32_t type;
        bool accented;
    };
    for (const Case c : {Case{EqTypeGlyphSymbol, true}, Case{EqTypeGlyphSymbolBold, true}, Case{EqTypeCharSans, true},
                         Case{EqTypeCharText, false}, Case{EqTypeFraction, false}, Case{1042, false}}) {
        SCOPED_TRACE(c.type);
        EqElement* e = NewChildElement(nullptr, c.type, 'a', FindChainEnd(eq.lines.at(0)));
        SetEquationCaret(&eq, e);
        sheet->ExecuteSymbolKey(SymbolKey{2, 0x03, 0});
        EXPECT_EQ(e->payload.size(), c.accented ? 1u : 0u);
    }
    SetEquationCaret(&eq, eq.lines.at(0));
    const QByteArray before = EquationToBytes(&eq);
    sheet->ExecuteSymbolKey(SymbolKey{2, 0x03, 0});
    EXPECT_EQ(EquationToBytes(&eq), before);
}

// Enter in a radical makes its content a column array of two cells;
// Backspace at the second cell's head takes it back to the same bytes, and
// undo gives back each state.
TEST_F(SheetScriptTest, EnterInARadicalThenBackspaceLeavesTheBytesUnchanged) {
    ASSERT_TRUE(run("sym 3 136 0\ntype ab\nkey Left").ok);
    const QByteArray before = EquationToBytes(&eq);
    ASSERT_TRUE(run("key Enter").ok);
    const EqElement* root = eq.lines.at(0)->next;
    ASSERT_NE(root, nullptr);
    ASSERT_NE(root->children.at(0)->next, nullptr);
    const EqElement* array = root->children[0]->next;
    EXPECT_EQ(array->type, EqTypeMatrixColumn);
    EXPECT_EQ(array->children.size(), 2u);
    const QByteArray split = EquationToBytes(&eq);
    ASSERT_TRUE(run("key Backspace").ok);
    EXPECT_EQ(EquationToBytes(&eq), before);
    ASSERT_TRUE(run("undo").ok);
    EXPECT_EQ(EquationToBytes(&eq), split);
    ASSERT_TRUE(run("undo").ok);
    EXPECT_EQ(EquationToBytes(&eq), before);
}

// A matrix row or column from the sheet is one undo step; a refusal leaves
// none.
TEST_F(SheetScriptTest, MatrixLinesFromTheSheetAreOneUndoStepEach) {
    ASSERT_TRUE(run("sym 3 370 0\ntype a").ok);
    const QByteArray start = EquationToBytes(&eq);
    EXPECT_FALSE(sheet->RemoveMatrixLine(1));
    EXPECT_EQ(EquationToBytes(&eq), start);
    ASSERT_TRUE(sheet->AddMatrixLine(3));
    ASSERT_TRUE(run("type b").ok);
    const EqElement* m = eq.lines.at(0)->next;
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->children.size(), 2u);
    ASSERT_TRUE(sheet->AddMatrixLine(2));
    EXPECT_EQ(m->type, EqTypeMatrix);
    EXPECT_EQ(m->children.size(), 4u);
    const QByteArray grown = EquationToBytes(&eq);
    ASSERT_TRUE(sheet->RemoveMatrixLine(0));
    EXPECT_EQ(m->children.size(), 2u);
    ASSERT_TRUE(run("undo").ok);
    EXPECT_EQ(EquationToBytes(&eq), grown);
    ASSERT_TRUE(run("undo\nundo\nundo").ok);
    EXPECT_EQ(EquationToBytes(&eq), start);
}

TEST_F(SheetScriptTest, SelectAllAndRestyleThroughTheKeys) {
    ASSERT_TRUE(run("type ab\nkey Ctrl+A\nkey Ctrl+3").ok);
    const EqElement* a = eq.lines.at(0)->next;
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->next, nullptr);
    EXPECT_EQ(a->type, 3);
    EXPECT_EQ(a->next->type, 3);
    EXPECT_TRUE(sheet->selection().exists());
    ASSERT_TRUE(run("key Esc").ok);
    EXPECT_FALSE(sheet->selection().exists());
}

TEST_F(SheetScriptTest, F3MarksEveryOccurrenceAndEscClearsThem) {
    ASSERT_TRUE(run("type ab+ab\nkey Home\nkey Shift+Right\nkey Shift+Right\nkey F3").ok);
    std::vector<int> marked;
    int i = 0;
    for (const EqElement* e = eq.lines.at(0)->next; e; e = e->next, ++i)
        if (e->mark) marked.push_back(i);
    EXPECT_EQ(marked, (std::vector<int>{0, 1, 3, 4}));
    EXPECT_EQ(sheet->selection().foundPatternLength, 2);
    ASSERT_TRUE(run("key Esc").ok);
    EXPECT_FALSE(EquationHasMarks(&eq));
    EXPECT_FALSE(sheet->selection().exists());
    EXPECT_EQ(sheet->selection().foundPatternLength, 0);
}

TEST_F(SheetScriptTest, StyleCommandsColourAndUnknownCodes) {
    ASSERT_TRUE(run("type xy\nkey Shift+Left").ok);
    const EqElement* x = eq.lines.at(0)->next;
    ASSERT_NE(x, nullptr);
    const EqElement* y = x->next;
    ASSERT_NE(y, nullptr);
    const QByteArray before = EquationToBytes(&eq, true);
    // Codes no case names change nothing.
    for (int code : {8, 100, 300, 9001}) sheet->ExecuteCommand(code);
    EXPECT_EQ(EquationToBytes(&eq, true), before);
    const int undos = sheet->undoHistory().undoCount();
    // 220: the selected character becomes type 16; the other one stays.
    ASSERT_TRUE(run("cmd 220").ok);
    EXPECT_EQ(y->type, 16);
    EXPECT_EQ(x->type, EqTypeCharItalic);
    EXPECT_EQ(sheet->undoHistory().undoCount(), undos + 1);
    // The colour of the selection, and the colour typed from now on.
    sheet->SetSelectionColour(0xFF0000C0);
    EXPECT_EQ(y->colour, 0xFF0000C0u);
    EXPECT_EQ(x->colour, 0xFF000000u);
    EXPECT_EQ(eq.currentColour, 0xFF0000C0u);
    ASSERT_TRUE(run("undo\nundo").ok);
    EXPECT_EQ(EquationToBytes(&eq, true), before);
    // A restyle of the caret's character that changes nothing leaves no
    // step behind (its snapshot is a whole one).
    const int left = sheet->undoHistory().undoCount();
    ASSERT_TRUE(run("key End\nkey Ctrl+2").ok);
    EXPECT_EQ(sheet->undoHistory().undoCount(), left);
    ASSERT_TRUE(run("key Ctrl+1").ok);
    EXPECT_EQ(sheet->undoHistory().undoCount(), left + 1);
    // (Undo made the elements anew.)
    EXPECT_EQ(FindChainEnd(eq.lines.at(0))->type, EqTypeCharUpright);
}

}  // namespace
}  // namespace toliva

namespace toliva {
namespace {

// Records key presses, key releases and input-method events (and lets them
// through).
class KeyLog : public QObject {
public:
    struct Entry {
        QEvent::Type type = QEvent::None;
        int key = 0;
        Qt::KeyboardModifiers modifiers = {};
        QString text = {};     // the key's text, or the input method's commit
        QString preedit = {};  // the input method's composition
        bool operator==(const Entry&) const = default;
    };
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
            auto* k = static_cast<QKeyEvent*>(e);
            entries.push_back({e->type(), k->key(), k->modifiers(), k->text(), {}});
        } else if (e->type() == QEvent::InputMethod) {
            auto* im = static_cast<QInputMethodEvent*>(e);
            entries.push_back({e->type(), 0, {}, im->commitString(), im->preeditString()});
        }
        return false;
    }
    std::vector<Entry> entries;
};

TEST_F(SheetScriptTest, EveryKeyNameIsAPressAndAReleaseAsAUsKeyboardMakesThem) {
    KeyLog log;
    sheet->installEventFilter(&log);
    using E = KeyLog::Entry;
    constexpr auto press = QEvent::KeyPress;
    constexpr auto release = QEvent::KeyRelease;
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    struct Case {
        const char* line;
        std::vector<E> events;
    };
    const Case cases[] = {
        {"key q", {{press, Qt::Key_Q, none, "q"}, {release, Qt::Key_Q, none, "q"}}},
        {"key Shift+Q", {{press, Qt::Key_Q, Qt::ShiftModifier, "Q"}, {release, Qt::Key_Q, Qt::ShiftModifier, "Q"}}},
        {"key Shift+1", {{press, Qt::Key_Exclam, Qt::ShiftModifier, "!"}, {release, Qt::Key_Exclam, Qt::ShiftModifier, "!"}}},
        {"key Backquote", {{press, Qt::Key_QuoteLeft, none, "`"}, {release, Qt::Key_QuoteLeft, none, "`"}}},
        {"key Shift+/", {{press, Qt::Key_Question, Qt::ShiftModifier, "?"}, {release, Qt::Key_Question, Qt::ShiftModifier, "?"}}},
        {"key Ctrl+5", {{press, Qt::Key_5, Qt::ControlModifier, ""}, {release, Qt::Key_5, Qt::ControlModifier, ""}}},
        {"key Alt+Backquote", {{press, Qt::Key_QuoteLeft, Qt::AltModifier, ""}, {release, Qt::Key_QuoteLeft, Qt::AltModifier, ""}}},
        {"key F12", {{press, Qt::Key_F12, none, ""}, {release, Qt::Key_F12, none, ""}}},
        {"key Apps", {{press, Qt::Key_Menu, none, ""}, {release, Qt::Key_Menu, none, ""}}},
        {"key Num7", {{press, Qt::Key_7, Qt::KeypadModifier, "7"}, {release, Qt::Key_7, Qt::KeypadModifier, "7"}}},
        {"key NumDivide", {{press, Qt::Key_Slash, Qt::KeypadModifier, "/"}, {release, Qt::Key_Slash, Qt::KeypadModifier, "/"}}},
        {"key NumEnter", {{press, Qt::Key_Enter, Qt::KeypadModifier, "\r"}, {release, Qt::Key_Enter, Qt::KeypadModifier, "\r"}}},
        // A modifier key is down in its own press and up in its release.
        {"key Alt", {{press, Qt::Key_Alt, Qt::AltModifier, ""}, {release, Qt::Key_Alt, none, ""}}},
        {"key Ctrl+Shift", {{press, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier, ""},
                            {release, Qt::Key_Shift, Qt::ControlModifier, ""}}},
        // Pressed modifiers stay held for the keys after them.
        {"press Ctrl\nkey Shift+A\nrelease Ctrl\nkey a",
         {{press, Qt::Key_Control, Qt::ControlModifier, ""},
          {press, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, ""},
          {release, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, ""},
          {release, Qt::Key_Control, none, ""},
          {press, Qt::Key_A, none, "a"},
          {release, Qt::Key_A, none, "a"}}},
        {"ime \u4F60\u597D", {{QEvent::InputMethod, 0, none, "\u4F60\u597D", ""}}},
        {"preedit ni hao\npreedit",
         {{QEvent::InputMethod, 0, none, "", "ni hao"}, {QEvent::InputMethod, 0, none, "", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        log.entries.clear();
        ASSERT_TRUE(run(c.line).ok);
        EXPECT_EQ(log.entries, c.events);
    }
    // A typed character without a key reaches the sheet as one.
    log.entries.clear();
    EqModel empty(test::builtInStyle());
    eq.swap(empty);
    sheet->SetEquation(&eq);
    ASSERT_TRUE(run("char 966\nchar 9").ok);
    EXPECT_TRUE(log.entries.empty());
    ASSERT_NE(eq.lines.at(0)->next, nullptr);
    EXPECT_EQ(eq.lines.at(0)->next->ch, 966);
    EXPECT_EQ(eq.lines.at(0)->next->next, nullptr);
}

TEST_F(SheetScriptTest, MalformedKeyInputAndJobLinesAreErrors) {
    for (const char* line : {"key", "key Ctrl+", "key Hyper+A", "key A B", "key Num", "key F25", "key \u00E9",
                             "press", "release Nothing", "char", "char 70000", "char -1", "char x", "ime",
                             "job", "job x", "lang", "lang 1 2"}) {
        SCOPED_TRACE(line);
        const SheetScriptResult r = run(line);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.line, 1);
    }
}

}  // namespace
}  // namespace toliva
