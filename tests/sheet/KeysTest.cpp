// The sheet's keyboard and input method, driven the way the window system
// drives them: Qt key presses and releases, typed characters and input-method
// events (through the script runner), and key messages handed to
// HandleKeyMessage directly where the order of messages matters.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/MessageSink.h"
#include "platform/RegistryStore.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetHost.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/VirtualKeys.h"
#include "tests/common/ModelFixtures.h"
#include "tests/model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <set>

namespace toliva {
namespace {

using Msg = CKwEESheet::KeyMessage;

// What the sheet asks of the program around it, recorded.
class RecordingHost : public SheetHost {
public:
    bool PromptBarKeyDown(int vk, bool, bool, bool) override {
        promptKeys.push_back(vk);
        return promptTakes.count(vk) != 0;
    }
    void ShowPromptBar(const QString& text, int mode) override { promptBar.push_back({text, mode}); }
    void OpenUserSymbolPanel() override { ++symbolPanels; }
    void CloseMainWindow() override { ++closes; }
    bool IsEmbedded() const override { return embedded; }

    std::set<int> promptTakes;
    std::vector<int> promptKeys;
    std::vector<std::pair<QString, int>> promptBar;
    int symbolPanels = 0;
    int closes = 0;
    bool embedded = false;
};

// A chain as text: characters as themselves (UTF-8), other elements as
// "[type]" or "[type:chain|chain]".
std::string chainText(const EqElement* head) {
    std::string out;
    for (const EqElement* e = head ? head->next : nullptr; e; e = e->next) {
        if (IsCharType(e->type)) {
            out += QString(QChar(e->ch)).toStdString();
            continue;
        }
        out += "[" + std::to_string(e->type);
        for (size_t i = 0; i < e->children.size(); ++i) out += (i ? "|" : ":") + chainText(e->children[i]);
        out += "]";
    }
    return out;
}

std::string equationText(const EqModel& eq) {
    std::string out;
    for (size_t i = 0; i < eq.lines.size(); ++i) out += (i ? "/" : "") + chainText(eq.lines[i]);
    return out;
}

class KeysTest : public ::testing::Test {
public:
    KeysTest() : eq(test::builtInStyle()) { makeSheet(); }

    // A new sheet on an empty equation of the built-in style.
    void freshSheet() {
        script.reset();
        sheet.reset();
        EqModel empty(test::builtInStyle());
        eq.swap(empty);
        makeSheet();
    }

    void makeSheet() {
        script.reset();
        sheet.reset();
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), &host, std::move(owned));
        ShowSheetOffscreen(*sheet, QSize(400, 200), &eq);
        script = std::make_unique<SheetScript>(*sheet, backend);
    }

    void run(const std::string& text) {
        const SheetScriptResult r = script->run(QString::fromStdString(text));
        ASSERT_TRUE(r.ok) << "line " << r.line << ": " << r.error.toStdString();
    }

    bool send(Msg::Kind kind, int code, bool ctrl = false, bool shift = false, bool alt = false) {
        Msg m;
        m.kind = kind;
        if (kind == Msg::Char) m.ch = uint16_t(code);
        else m.vk = code;
        m.ctrl = ctrl;
        m.shift = shift;
        m.alt = alt;
        return sheet->HandleKeyMessage(m);
    }

    EqElement* caret() { return GetEquationCaret(&eq); }

    AppContext app;
    RecordingHost host;
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
    EqModel eq;
    HeadlessSheetBackend* backend = nullptr;
    std::unique_ptr<CKwEESheet> sheet;
    std::unique_ptr<SheetScript> script;
};

// ---- typed keys

TEST_F(KeysTest, TypedKeysBecomeCharactersOperatorsSpacesAndStructures) {
    struct Case {
        const char* script;
        const char* text;
        uint32_t optionsOff = 0;  // option bits cleared for the case
        uint8_t textMode = 0;
    };
    const Case cases[] = {
        {"type a+b", "a[1042]b"},
        {"type a-b<c>d", "a[1043]b[1060]c[1061]d"},
        {"type a=b", "a[1049]b"},
        {"type x y", "x[101]y"},
        {"key Space", "[101]"},
        // Automatic brackets: an opening and a closing bracket each insert a pair.
        {"type (", "[337:]"},
        {"type ()", "[337:[337:]]"},
        {"type [x]", "[338:x[338:]]"},
        {"type {", "[339:]"},
        {"type (a)", "(a)", OptAutoBrackets},
        // Ctrl+G: the next letter only is Greek; a second Ctrl+G takes it back.
        {"key Ctrl+G\ntype aa", "\u03B1a"},
        {"key Ctrl+G\ntype D", "\u0394"},
        {"key Ctrl+G\ntype V", "\u03C2"},
        {"key Ctrl+G\ntype A", "A"},
        {"key Ctrl+G\nkey Ctrl+G\ntype a", "a"},
        {"key Ctrl+G\ntype +a", "[1042]a"},
        // Text mode: straight quotes open and close in turn, and Ctrl+G waits.
        {"type \"a\"'b'", "\u201Ca\u201D\u2018b\u2019", 0, 1},
        {"key Ctrl+G\ntype a", "a", 0, 1},
        // Keys that type nothing: control characters, Alt with a letter, a
        // key-down nothing takes, Shift with Backspace or Delete.
        {"key Ctrl+K\nkey Ctrl+Shift+Q\nchar 7\ntype a", "a"},
        {"key Alt+X\nkey Alt+Shift+X\nkey F12\nkey Insert", ""},
        {"type ab\nkey Shift+Backspace\nkey Shift+Delete\nkey Shift+Tab", "ab"},
        // Shift makes the US keyboard's upper characters; the keypad types
        // its digits and operators.
        {"key Shift+X\nkey Shift+1\nkey Shift+Backquote", "X!~"},
        {"key Num7\nkey NumAdd\nkey Num1\nkey NumMultiply", "7[1042]1*"},
        // The default hotkeys: a fraction, an upright degree sign.
        {"key Ctrl+F\ntype a\nkey Tab\ntype b\nkey Tab\nkey Ctrl+D", "[128:a|b]\u00B0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        app.options = AppContext::kDefaultOptions & ~c.optionsOff;
        freshSheet();
        eq.flag0 = c.textMode;
        run(c.script);
        EXPECT_EQ(equationText(eq), c.text);
    }
}

TEST_F(KeysTest, ATypedRunOfOneStyleIsOneUndoStep) {
    run("type abc");
    EXPECT_EQ(sheet->undoHistory().undoCount(), 1);
    run("type +de");
    EXPECT_EQ(sheet->undoHistory().undoCount(), 3);  // the operator, then "de"
    run("key Ctrl+3\ntype f");  // Ctrl+3 on the caret's "e" is a change of its own
    EXPECT_EQ(sheet->undoHistory().undoCount(), 5);
    run("undo\nundo");
    EXPECT_EQ(equationText(eq), "abc[1042]de");
    run("undo");
    EXPECT_EQ(equationText(eq), "abc[1042]");
    run("undo\nundo");
    EXPECT_EQ(equationText(eq), "");
    // An input-method commit is typed text: one run.
    run("ime xyz");
    EXPECT_EQ(sheet->undoHistory().undoCount(), 1);
}

// The typed run merges into the undo step of the key before it. Wherever the
// caret is put between two keys, the next key starts a step of its own;
// otherwise a key typed in another line would join a step that holds a
// snapshot of the first line only, and could never be undone.
TEST_F(KeysTest, EveryCaretPlacementEndsATypedRun) {
    struct Case {
        const char* name;
        std::function<void(KeysTest&)> place;  // puts the caret at the end of line 1
    };
    auto endOfSecondLine = [](KeysTest& t) {
        const EqElement* y = FindChainEnd(t.eq.lines[1]);
        return QPoint(int(y->rect.x + y->rect.width * 0.75f), int(y->rect.y + y->rect.height / 2));
    };
    const Case cases[] = {
        {"MoveCaretToPoint", [&](KeysTest& t) { t.sheet->MoveCaretToPoint(endOfSecondLine(t)); }},
        {"SetCaretElement", [](KeysTest& t) { t.sheet->SetCaretElement(FindChainEnd(t.eq.lines[1])); }},
        {"click",
         [&](KeysTest& t) {
             const QPoint p = endOfSecondLine(t);
             t.run("click " + std::to_string(p.x()) + "," + std::to_string(p.y()));
         }},
        {"Ctrl+End", [](KeysTest& t) { t.run("key Ctrl+End"); }},
        {"Down", [](KeysTest& t) { t.run("key Down\nkey End"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freshSheet();
        EqBuilder b(&eq);
        b.text(eq.lines[0], u"x", EqTypeCharItalic);
        b.text(b.line(), u"y", EqTypeCharItalic);
        sheet->SetEquation(&eq);
        sheet->SetCaretElement(eq.lines[0]->next);
        run("type ab");
        c.place(*this);
        ASSERT_EQ(caret(), FindChainEnd(eq.lines[1]));
        run("type c");
        EXPECT_EQ(equationText(eq), "xab/yc");
        EXPECT_EQ(sheet->undoHistory().undoCount(), 2);
        run("undo");
        EXPECT_EQ(equationText(eq), "xab/y");
        run("undo");
        EXPECT_EQ(equationText(eq), "x/y");
    }
}

// ---- the order of key handling

TEST_F(KeysTest, AControlCharacterIsOfferedToTheHotkeysAndAlwaysTaken) {
    run("type a");
    for (int code : {1, 7, 11, 27, 31}) {
        SCOPED_TRACE(code);
        EXPECT_TRUE(send(Msg::Char, code, true));
        EXPECT_TRUE(send(Msg::Char, code));
    }
    EXPECT_EQ(equationText(eq), "a");
    // It ends the typed run.
    run("type b");
    EXPECT_EQ(sheet->undoHistory().undoCount(), 2);
    // A Ctrl key that nothing takes still reaches the sheet as its control
    // character, which is taken: the key goes no further.
    EXPECT_TRUE(sheet->HandleKeyPress(Qt::Key_K, Qt::ControlModifier, QString(), false));
    // A key that makes no character is left to the window.
    EXPECT_FALSE(sheet->HandleKeyPress(Qt::Key_F12, Qt::NoModifier, QString(), false));
    EXPECT_FALSE(sheet->HandleKeyPress(Qt::Key_Shift, Qt::ShiftModifier, QString(), false));
    EXPECT_FALSE(sheet->HandleKeyPress(Qt::Key_X, Qt::AltModifier, QStringLiteral("x"), false));
    EXPECT_EQ(equationText(eq), "ab");
    // Without an equation nothing is taken.
    sheet->SetEquation(nullptr);
    EXPECT_FALSE(send(Msg::Char, 'a'));
    EXPECT_FALSE(sheet->HandleKeyPress(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), false));
    sheet->SetEquation(&eq);
}

// The hotkey slot follows Ctrl, Shift and Alt; Shift alone and no modifier
// are never looked up, and a built-in key is never overridden.
TEST_F(KeysTest, HotkeysAnswerTheirSlotsOnlyAndNeverOverrideBuiltInKeys) {
    HotkeyTable& table = sheet->hotkeys();
    const int x = HotkeyTable::KeyIndexOfVirtualKey(vk::letter('X'));
    for (int slot = 0; slot < HotkeyTable::kSlots; ++slot)
        table.entries[slot][x] = SymbolKey{4, '0' + slot, 0};  // types the slot's digit
    struct Case {
        const char* key;
        const char* typed;
    };
    const Case cases[] = {
        {"X", "x"},   {"Shift+X", "X"},        {"Ctrl+X", ""},  // Ctrl+X is the editor's cut
        {"Ctrl+Shift+X", "1"}, {"Ctrl+Shift+Alt+X", "2"}, {"Ctrl+Alt+X", "3"},
        {"Alt+X", "4"}, {"Alt+Shift+X", "5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        run("key Ctrl+A\nkey Delete");
        run(std::string("key ") + c.key);
        EXPECT_EQ(equationText(eq), c.typed);
    }
}

TEST_F(KeysTest, ThePromptBarSeesEveryKeyDownFirst) {
    host.promptTakes = {vk::letter('A'), vk::Down};
    run("type ab\nkey Down\nchar 99");
    EXPECT_EQ(equationText(eq), "bc");
    // Key-downs only: no typed character and no key-up reaches it.
    const std::vector<int> seen = {vk::letter('A'), vk::letter('B'), vk::Down};
    EXPECT_EQ(host.promptKeys, seen);
}

// Pressing and releasing Alt alone toggles the style of the caret's
// character; another key between, a caret moved meanwhile or the option
// that turns the tap off leave it.
TEST_F(KeysTest, TheAltTapTogglesTheStyleOnlyWhenAltIsPressedAlone) {
    struct Case {
        const char* script;
        int32_t type;
        bool noAltTap = false;
    };
    const Case cases[] = {
        {"key Alt", EqTypeCharUpright},
        {"press Alt\nrelease Alt", EqTypeCharUpright},
        {"press Alt\npress Alt\npress Alt\nrelease Alt", EqTypeCharUpright},  // a held Alt repeats
        {"key Alt\nkey Alt", EqTypeCharItalic},
        {"press Alt\nkey X\nrelease Alt", EqTypeCharItalic},
        {"press Alt\nkey Left\nrelease Alt", EqTypeCharItalic},
        {"press Ctrl\nrelease Ctrl\nkey Shift", EqTypeCharItalic},
        {"key Alt", EqTypeCharItalic, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        app.options = c.noAltTap ? AppContext::kDefaultOptions | OptNoAltTap : AppContext::kDefaultOptions;
        freshSheet();
        run("type ab");
        const QByteArray typed = EquationToBytes(&eq);
        const int undos = sheet->undoHistory().undoCount();
        run(c.script);
        EXPECT_EQ(FindChainEnd(eq.lines[0])->type, c.type);
        if (c.type != EqTypeCharItalic) {
            EXPECT_EQ(sheet->undoHistory().undoCount(), undos + 1);
            run("undo");
            EXPECT_EQ(EquationToBytes(&eq), typed);
        }
    }
}

TEST_F(KeysTest, AltDigitsTakeTheCustomColoursOfGroupFourteen) {
    RegistryStore& store = RegistryStore::instance();
    const QString key = QStringLiteral("Software\\Toliva\\CDInit");
    store.deleteKey(key);
    ASSERT_TRUE(store.createKey(key).ok);
    store.set(key, "G14C2", REG_DWORD, RegistryStore::encodeDword(0x00FF00));  // green
    store.set(key, "G14C1", REG_SZ, RegistryStore::encodeString("255"));      // malformed
    store.set(key, "G1C0", REG_DWORD, RegistryStore::encodeDword(0x123456));  // another group
    eq.settings.colours[EqLayoutSettings::ColourText] = 0xFF102030;
    struct Case {
        const char* key;
        gp::ARGB colour;  // 0: the key colours nothing
    };
    const Case cases[] = {
        {"Alt+1", 0xFFF00000},  // the default red, as the group has no value
        {"Alt+2", 0xFF0000F0},  // the default blue in place of a text value
        {"Alt+3", 0xFF00FF00},  {"Alt+5", 0xFFB22222}, {"Alt+6", 0xFFB300B3},
        {"Alt+7", 0xFF000000},  {"Alt+9", 0xFF000000}, {"Alt+Backquote", 0xFF102030},
        {"Alt+0", 0},           {"Alt+Shift+1", 0},    {"Ctrl+Alt+1", 0},
    };
    run("type ab\nkey Shift+Left");
    const EqElement* b = FindChainEnd(eq.lines[0]);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const gp::ARGB before = b->colour;
        eq.currentColour = 0xFF777777;
        run(std::string("key ") + c.key);
        EXPECT_EQ(b->colour, c.colour ? c.colour : before);
        EXPECT_EQ(eq.currentColour, c.colour ? c.colour : 0xFF777777);
    }
    store.deleteKey(key);
}

// A bare V right after a key-down of the bare Ctrl key pastes in place of
// typing "v". A Ctrl key going down with nothing pending is taken for a
// possible Alt tap first, so only a Ctrl that repeats (held down) or goes
// down while another key is held counts.
TEST_F(KeysTest, AVRightAfterTheBareCtrlKeyPastes) {
    struct Case {
        const char* script;
        const char* text;
    };
    const Case cases[] = {
        {"press Ctrl\npress Ctrl\nrelease Ctrl\ntype v", ""},
        {"press X\npress Ctrl\nrelease Ctrl\nrelease X\ntype v", "x"},
        {"press Ctrl\npress Ctrl\nrelease Ctrl\ntype xv", "xv"},
        {"key Ctrl\ntype v", "v"},
        {"press Ctrl\npress Ctrl\nrelease Ctrl\nkey Shift+V", "V"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        freshSheet();
        run(c.script);
        EXPECT_EQ(equationText(eq), c.text);
    }
}

TEST_F(KeysTest, CtrlDigitsRestyleTheSelection) {
    const int32_t styles[] = {1, 2, 3, 4, 16, 17};
    run("type ab\nkey Shift+Left");
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        run("key Ctrl+" + std::to_string(n));
        EXPECT_EQ(FindChainEnd(eq.lines[0])->type, styles[n - 1]);
        EXPECT_EQ(eq.lines[0]->next->type, EqTypeCharItalic);
    }
}

TEST_F(KeysTest, AltArrowsAddAndCtrlAltArrowsRemoveMatrixRowsAndColumns) {
    run("sym 3 370 0\ntype a\nkey Alt+Down\ntype b\nkey Alt+Right");
    const EqElement* m = eq.lines[0]->next;
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->type, EqTypeMatrix);
    EXPECT_EQ(m->children.size(), 4u);
    const QByteArray grown = EquationToBytes(&eq);
    run("key Ctrl+Alt+Left");
    EXPECT_EQ(m->children.size(), 2u);
    run("undo");
    EXPECT_EQ(EquationToBytes(&eq), grown);
    // Outside a matrix the keys change nothing.
    run("key Ctrl+End\ntype z");
    const QByteArray after = EquationToBytes(&eq);
    run("key Alt+Up\nkey Ctrl+Alt+Right");
    EXPECT_EQ(EquationToBytes(&eq), after);
}

TEST_F(KeysTest, KeysThatAskTheProgramAroundTheSheet) {
    run("type a");
    // The menu key types nothing (the character typed before it stays single).
    std::vector<QPoint> menus;
    sheet->trackMenu = [&](CKwMenu&, QPoint at) {
        menus.push_back(at);
        return 0u;
    };
    run("key Apps");
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0], sheet->GetCaretScreenPoint());
    run("key F4\nkey Ctrl+W");
    EXPECT_EQ(host.symbolPanels, 1);
    EXPECT_EQ(host.closes, 1);
    run("key Ctrl+Enter");  // only an embedded document closes
    EXPECT_EQ(host.closes, 1);
    host.embedded = true;
    run("key Ctrl+Enter");
    EXPECT_EQ(host.closes, 2);
    EXPECT_EQ(equationText(eq), "a");
    // F5 and F6 evaluate only with automatic calculation; otherwise the key
    // is left to the window.
    for (const int key : {Qt::Key_F5, Qt::Key_F6}) {
        app.options = AppContext::kDefaultOptions & ~OptAutoCalc;
        EXPECT_FALSE(sheet->HandleKeyPress(key, Qt::NoModifier, QString(), false));
        app.options = AppContext::kDefaultOptions | OptAutoCalc;
        EXPECT_TRUE(sheet->HandleKeyPress(key, Qt::NoModifier, QString(), false));
    }
}

// "=" with automatic calculation evaluates its line at once, unless the
// calculation waits for Shift+Enter.
TEST_F(KeysTest, AnEqualsSignEvaluatesItsLineWithAutomaticCalculation) {
    struct Case {
        bool autoCalc;
        int calcSwitch;
        bool evaluated;
    };
    for (const Case c : {Case{true, 0, true}, Case{true, 1, false}, Case{false, 0, false}}) {
        SCOPED_TRACE(::testing::Message() << c.autoCalc << " " << c.calcSwitch);
        app.options = c.autoCalc ? AppContext::kDefaultOptions | OptAutoCalc : AppContext::kDefaultOptions & ~OptAutoCalc;
        app.calcSwitch = c.calcSwitch;
        run("type 1+1");
        EXPECT_NE(caret()->type, EqTypeCalcResult);
        run("type =");
        // The result follows the equals sign and takes the caret.
        EXPECT_EQ(caret()->type == EqTypeCalcResult, c.evaluated);
        if (c.evaluated) {
            EXPECT_EQ(caret()->prev->type, 1049);
        }
        run("key Enter");
    }
}

// ---- the input method

TEST_F(KeysTest, AnInputMethodCommitIsTypedAndItsCompositionShownAtTheCaret) {
    run("type a");
    const QImage plain = sheet->grab().toImage();
    run("preedit ni");
    EXPECT_EQ(sheet->preeditText(), QStringLiteral("ni"));
    EXPECT_EQ(equationText(eq), "a");
    // The composition hides the prompt bar.
    ASSERT_FALSE(host.promptBar.empty());
    EXPECT_EQ(host.promptBar.back(), std::make_pair(QString(), 0));
    // Drawn at the caret, and gone with the composition.
    const QImage composing = sheet->grab().toImage();
    EXPECT_NE(composing, plain);
    run("ime \u4F60+b");
    EXPECT_EQ(equationText(eq), "a\u4F60[1042]b");
    EXPECT_TRUE(sheet->preeditText().isEmpty());
    run("preedit hao\npreedit");
    EXPECT_EQ(equationText(eq), "a\u4F60[1042]b");
    EXPECT_TRUE(sheet->preeditText().isEmpty());
    run("undo");
    EXPECT_EQ(equationText(eq), "a\u4F60[1042]");
}

TEST_F(KeysTest, TheInputMethodFindsTheCaretElementsLowerRightCorner) {
    const QWidget& widget = *sheet;
    EXPECT_TRUE(sheet->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(widget.inputMethodQuery(Qt::ImEnabled).toBool());
    run("type ab");
    const EqElement* b = caret();
    const QRect r = widget.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_NEAR(r.left(), b->rect.x + b->rect.width, 1.0);
    EXPECT_NEAR(r.top(), b->rect.y, 1.0);
    EXPECT_NEAR(r.top() + r.height(), b->rect.y + b->rect.height, 1.0);
    // The window goes under the rectangle: at the element's lower right corner.
    run("key Left");
    EXPECT_LT(widget.inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), r.left());
}

}  // namespace
}  // namespace toliva
