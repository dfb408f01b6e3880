// TeX typed into the sheet and Enter: a typed command becomes its structure
// only when it reads cleanly (else it stays, and the user is told), array
// cells and line breaks, Shift+Enter after "=", the prompt bar hooks and the
// candidates chosen in the bar.
#include "SheetFixtures.h"
#include "SheetTestSupport.h"

#include "sheet/editing/ElementWork.h"
#include "sheet/editing/TypedTeX.h"
#include "sheet/editing/WordLists.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/EditDialogs.h"
#include "tests/model/EqLayoutTestSupport.h"
#include "tests/tex/TeXTestContext.h"
#include "tex/TeXContext.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace toliva::test {
namespace {

// The view as far as typed TeX and Enter use it.
class RecordingHost : public SheetHost {
public:
    void ShowPromptBar(const QString& text, int mode) override {
        shown.emplace_back(text, mode);
        showing = mode != 0 && !text.isEmpty();
    }
    bool IsPromptBarShowingForSheet() const override { return showing; }
    std::vector<std::pair<QString, int>> shown;
    bool showing = false;
};

// Every element of the equation, heads included, depth first.
template <typename F>
void forEachElement(EqElement* e, F f) {
    for (; e; e = e->next) {
        f(e);
        for (EqElement* child : e->children) forEachElement(child, f);
    }
}

int countTyped(EqModel& eq) {
    int n = 0;
    for (EqElement* line : eq.lines) forEachElement(line, [&](EqElement* e) { n += e->type == EqTypeCharText; });
    return n;
}

class TypedTeXTest : public ::testing::Test {
protected:
    TypedTeXTest() { app.options = AppContext::kDefaultOptions | OptTeXTyping; }

    // A sheet on the equation; the caret stays where the test put it.
    void makeSheet() {
        EqElement* caret = eq.caret;
        sheet = std::make_unique<CKwEESheet>(app, programContext(), &host, std::make_unique<HeadlessSheetBackend>());
        sheet->texRead = readContext();
        sheet->texWrite = writeContext();
        ShowSheetOffscreen(*sheet, QSize(400, 300), &eq);
        if (caret) sheet->SetCaretElement(caret);
    }
    // A line of italic characters with the caret after the first n of them.
    EqElement* lineWithCaret(std::u16string_view text, int n) {
        EqElement* head = b.line();
        b.text(head, text, EqTypeCharItalic);
        EqElement* caret = head;
        for (int i = 0; i < n; ++i) caret = caret->next;
        SetEquationCaret(&eq, caret);
        return head;
    }
    // Typed at the caret in the current typing style, one key at a time.
    void type(std::u16string_view text) {
        for (char16_t c : text) sheet->ExecuteSymbolKey(SymbolKey{4, c, 0});
    }
    std::string caretPath() const { return elementPath(eq.caret); }
    QString notConverted() const {
        return LangText(QStringLiteral("LANG_08.xml"), QStringLiteral("gMSG_2"), 1);
    }

    AppContext app;
    RecordingHost host;
    EqModel eq{builtInStyle()};
    EqBuilder b{&eq};
    std::unique_ptr<CKwEESheet> sheet;
    RecordingMessageSink messages;
    ScopedMessageSink guard{&messages};
};

TEST_F(TypedTeXTest, EnterTurnsTheTypedCommandIntoItsStructureAndTypingGoesOnAfterIt) {
    struct Case {
        const char16_t* line;
        int caret;
        const char16_t* typed;
        const char* text;
        const char* caretPath;
    };
    const Case cases[] = {
        {u"x", 1, u"\\frac{a}{b}", "x[128:a|b]", "L0/2"},
        {u"", 0, u"\\sqrt{2}", "[136:2]", "L0/1"},
        {u"ab", 1, u"\\frac12", "a[128:1|2]b", "L0/2"},
        // Lines of the text: in place and after; the rest of the line follows the last.
        {u"xy", 1, u"\\sqrt{a}\\\\\\sqrt{b}", "x[136:a]/[136:b]y", "L1/1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        ClearEquation(&eq);
        lineWithCaret(c.line, c.caret);
        makeSheet();
        type(c.typed);
        EXPECT_EQ(countTyped(eq), int(std::u16string_view(c.typed).size()));
        const int steps = sheet->undoHistory().undoCount();
        sheet->OnEnterKey(false);
        EXPECT_EQ(equationText(eq), c.text);
        EXPECT_EQ(caretPath(), c.caretPath);
        EXPECT_EQ(countTyped(eq), 0);
        EXPECT_TRUE(messages.shown.empty());
        // One step, and undo gives the typed command back.
        EXPECT_EQ(sheet->undoHistory().undoCount(), steps + 1);
        sheet->Undo();
        EXPECT_EQ(countTyped(eq), int(std::u16string_view(c.typed).size()));
    }
}

TEST_F(TypedTeXTest, InAnArgumentTheLinesOfTheTextFollowEachOther) {
    EqElement* frac = b.add(b.line(), EqTypeFraction, 2);
    SetEquationCaret(&eq, EqBuilder::arg(frac, 0));
    makeSheet();
    type(u"\\sqrt{a}\\\\\\sqrt{b}");
    sheet->OnEnterKey(false);
    EXPECT_EQ(equationText(eq), "[128:[136:a][136:b]|]");
    EXPECT_EQ(caretPath(), "L0/1/c0/2");
}

// Reading the text into the equation itself would empty it when the reader
// fails: the typed run and everything else must stay.
TEST_F(TypedTeXTest, TextThatDoesNotReadCleanlyStaysAsTypedAndTheUserIsTold) {
    struct Case {
        const char16_t* typed;
        const char* reported;  // a part of the reader's report
    };
    const Case cases[] = {
        {u"\\nosuchcommand", "nosuchcommand"},
        {u"\\frac{a", ""},
        {u"\\left(x", ""},
        {u"\\begin{nosuchenv}x\\end{nosuchenv}", "nosuchenv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        ClearEquation(&eq);
        lineWithCaret(u"ab", 1);
        b.text(b.line(), u"cd", EqTypeCharItalic);
        makeSheet();
        type(c.typed);
        const QByteArray before = EquationToBytes(&eq);
        EqElement* caret = eq.caret;
        const int steps = sheet->undoHistory().undoCount();
        messages.shown.clear();
        sheet->OnEnterKey(false);
        EXPECT_EQ(EquationToBytes(&eq), before);
        EXPECT_EQ(eq.caret, caret);
        EXPECT_EQ(sheet->undoHistory().undoCount(), steps);
        ASSERT_EQ(messages.shown.size(), 1u);
        const QString shown = messages.shown[0].text;
        EXPECT_TRUE(shown.startsWith(notConverted())) << shown.toStdString();
        EXPECT_FALSE(notConverted().isEmpty());
        EXPECT_TRUE(shown.contains(QString::fromLatin1(c.reported))) << shown.toStdString();
        EXPECT_GT(shown.count(QLatin1Char('\n')), 0) << "the reader's report follows the text";
    }
}

TEST_F(TypedTeXTest, TheResultTakesTheTypingColourButKeepsColoursOfItsOwn) {
    lineWithCaret(u"x", 1);
    makeSheet();
    eq.currentColour = 0xFFFF0000;
    type(u"\\frac{a}{\\textcolor{blue}{b}}");
    sheet->OnEnterKey(false);
    ASSERT_EQ(equationText(eq), "x[128:a|b]");
    EqElement* frac = eq.lines[0]->next->next;
    EXPECT_EQ(frac->colour, 0xFFFF0000u);
    EXPECT_EQ(EqBuilder::arg(frac, 0)->next->colour, 0xFFFF0000u);
    EXPECT_EQ(EqBuilder::arg(frac, 1)->next->colour, 0xFF0000FFu);
}

TEST_F(TypedTeXTest, EnterThenBackspaceGivesTheSameEquation) {
    struct Case {
        const char16_t* line;
        int caret;
    };
    const Case cases[] = {{u"abc", 1}, {u"abc", 0}, {u"abc", 3}, {u"x", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.line).toStdString() + " at " + std::to_string(c.caret));
        ClearEquation(&eq);
        b.text(b.line(), u"top", EqTypeCharItalic);
        lineWithCaret(c.line, c.caret);
        EqElement* frac = b.add(eq.lines.back(), EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"1");
        makeSheet();
        const QByteArray before = EquationToBytes(&eq);
        sheet->OnEnterKey(false);
        EXPECT_EQ(eq.lines.size(), 3u);
        sheet->HandleKeyPress(Qt::Key_Backspace, Qt::NoModifier, QString(), false);
        EXPECT_EQ(EquationToBytes(&eq), before);
        EXPECT_EQ(eq.lines.size(), 2u);
    }
}

TEST_F(TypedTeXTest, EnterReplacesTheSelectionAndSplitsTheLineInOneStep) {
    EqElement* head = lineWithCaret(u"abcd", 1);
    makeSheet();
    sheet->SelectRange(head->next, head->next->next->next);  // "bc"
    ASSERT_TRUE(sheet->selection().exists());
    sheet->OnEnterKey(false);
    EXPECT_EQ(equationText(eq), "a/d");
    EXPECT_EQ(caretPath(), "L1/0");
    EXPECT_EQ(sheet->undoHistory().undoCount(), 1);
    sheet->Undo();
    EXPECT_EQ(equationText(eq), "abcd");
}

TEST_F(TypedTeXTest, EnterInAStructureMakesArrayCellsUpToThirtyAndNothingElsewhere) {
    struct Case {
        int32_t structure;
        int chains;
        const char* after;
        int steps;  // undo steps Enter leaves
    };
    const Case cases[] = {
        {EqTypeMatrixColumn, 2, "[370:a||]", 1},
        {EqTypeMatrixColumn, 29, nullptr, 1},
        {EqTypeMatrixColumn, 30, nullptr, 0},
        {EqTypeCases, 3, "[372:a|||]", 1},
        {EqTypeSqrt, 1, "[136:[370:a|]]", 1},
        {EqTypeRoot, 2, "[137:[370:a|]|]", 1},
        {EqTypeFraction, 2, "[128:a|]", 0},
        {274, 3, "[274:a||]", 0},
        {EqTypeMatrix, 4, "[371:a|||]", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.structure * 1000 + c.chains);
        ClearEquation(&eq);
        EqElement* s = b.add(b.line(), c.structure, c.chains);
        b.text(EqBuilder::arg(s, 0), u"a", EqTypeCharItalic);
        SetEquationCaret(&eq, EqBuilder::arg(s, 0)->next);
        makeSheet();
        sheet->OnEnterKey(false);
        if (c.after) {
            EXPECT_EQ(equationText(eq), c.after);
        }
        if (c.structure == EqTypeMatrixColumn) {
            EXPECT_EQ(eq.lines[0]->next->children.size(), size_t(c.chains + c.steps));
        }
        EXPECT_EQ(sheet->undoHistory().undoCount(), c.steps);
        EXPECT_EQ(eq.lines.size(), 1u);
        if (c.steps) {
            EXPECT_EQ(eq.caret->type, EqTypeChainHead);
            EXPECT_EQ(eq.caret->next, nullptr);
        }
        // A radical's new array is aligned.
        if (IsRadicalType(c.structure)) {
            EXPECT_EQ(eq.lines[0]->next->children[0]->next->ch, 1);
        }
    }
}

TEST_F(TypedTeXTest, ShiftEnterAfterEqualsEvaluatesOnlyWithTheSwitchAndTheOption) {
    struct Case {
        bool shift;
        int calcSwitch;
        bool autoCalc;
        bool evaluated;
        size_t lines;
    };
    const Case cases[] = {
        {true, 1, true, true, 1},
        {false, 1, true, false, 2},
        {true, 0, true, false, 2},
        {true, 1, false, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shift) + std::to_string(c.calcSwitch) + std::to_string(c.autoCalc));
        ClearEquation(&eq);
        EqElement* head = lineWithCaret(u"2", 1);
        SetEquationCaret(&eq, b.add(head, 1049));
        app.calcSwitch = c.calcSwitch;
        app.options = c.autoCalc ? (app.options | OptAutoCalc) : (app.options & ~uint32_t(OptAutoCalc));
        messages.shown.clear();
        makeSheet();
        sheet->OnEnterKey(c.shift);
        // "2 =" gets the result 2 after its equals sign.
        const EqElement* last = FindChainEnd(eq.lines.front());
        EXPECT_EQ(last->type == EqTypeCalcResult, c.evaluated);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(eq.lines.size(), c.lines);
    }
}

TEST_F(TypedTeXTest, ThePromptBarFollowsTheCommandBeingTyped) {
    struct Case {
        const char16_t* typed;
        bool showing;
        bool texTyping;
        const char* text;  // what the bar is given last; empty: hidden
        int mode;
    };
    const Case cases[] = {
        {u"\\", false, true, "\\", 1},
        {u"\\f", false, true, "", 0},
        {u"\\f", true, true, "\\f", 1},
        {u"\\a{\\b", true, true, "\\b", 1},
        {u"x", true, true, "", 0},
        {u"\\", false, false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        ClearEquation(&eq);
        lineWithCaret(u"y", 1);
        app.options = c.texTyping ? (app.options | OptTeXTyping) : (app.options & ~uint32_t(OptTeXTyping));
        makeSheet();
        type(c.typed);
        host.showing = c.showing;
        host.shown.clear();
        sheet->UpdateTeXPrompt();
        ASSERT_EQ(host.shown.size(), 1u);
        EXPECT_EQ(host.shown[0].first.toStdString(), c.text);
        EXPECT_EQ(host.shown[0].second, c.mode);
    }
}

TEST_F(TypedTeXTest, ACandidateReplacesTheTypedCommandAndTypesItsSuffix) {
    struct Case {
        const char* candidate;
        int kind;
        const char* text;   // the line afterwards
        char16_t caretOn;   // the caret's character
    };
    const Case cases[] = {
        {"frac", 1, "y\\frac{}", u'{'},
        {"hspace", 2, "y\\hspace{em}", u'{'},
        {"mkern", 3, "y\\mkern{mu}", u'{'},
        {"kern", 4, "y\\kern mu", u' '},
        {"hskip", 5, "y\\hskip em", u' '},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.candidate);
        ClearEquation(&eq);
        lineWithCaret(u"y", 1);
        makeSheet();
        type(u"\\fr");
        const int steps = sheet->undoHistory().undoCount();
        sheet->AcceptTeXCandidate(QString::fromLatin1(c.candidate), c.kind);
        EXPECT_EQ(equationText(eq), c.text);
        EXPECT_EQ(eq.caret->ch, c.caretOn);
        EXPECT_EQ(countTyped(eq), int(strlen(c.text)) - 1);
        EXPECT_EQ(sheet->undoHistory().undoCount(), steps + 1);
        sheet->Undo();
        EXPECT_EQ(equationText(eq), "y\\fr");
    }
}

TEST_F(TypedTeXTest, OtherCandidatesConvertAtOnceUnlessTypedTextFollows) {
    lineWithCaret(u"y", 1);
    makeSheet();
    type(u"\\sq");
    sheet->AcceptTeXCandidate(QStringLiteral("sqrt{2}"), 0);
    EXPECT_EQ(equationText(eq), "y[136:2]");
    EXPECT_EQ(caretPath(), "L0/2");
    EXPECT_TRUE(messages.shown.empty());

    // A matrix template: two rows of three cells in round brackets.
    type(u"\\pm");
    sheet->AcceptTeXCandidate(QStringLiteral("pmatrix"), 0x1123);
    EXPECT_EQ(countTyped(eq), 0);
    EXPECT_TRUE(messages.shown.empty());
    const std::string text = equationText(eq);
    EXPECT_NE(text.find("[371:|||||]"), std::string::npos) << text;

    // Typed text after the caret: the command is replaced but not converted.
    ClearEquation(&eq);
    lineWithCaret(u"y", 1);
    makeSheet();
    type(u"\\frxy");
    sheet->SetCaretElement(eq.caret->prev->prev);
    sheet->AcceptTeXCandidate(QStringLiteral("\\frac"), 0);
    EXPECT_EQ(equationText(eq), "y\\fracxy");
    EXPECT_EQ(eq.caret->ch, u'c');

    // Without a typed command nothing happens.
    ClearEquation(&eq);
    lineWithCaret(u"y", 1);
    makeSheet();
    sheet->AcceptTeXCandidate(QStringLiteral("frac"), 1);
    EXPECT_EQ(equationText(eq), "y");
    EXPECT_EQ(sheet->undoHistory().undoCount(), 0);
}

TEST_F(TypedTeXTest, TheSheetFormatsTypedCharactersWithItsOwnWordsAndOptions) {
    lineWithCaret(u"", 0);
    makeSheet();
    sheet->wordLists().autoFormat[0] = true;
    sheet->wordLists().words.push_back({QStringLiteral("sin"), true, 0});
    sheet->UpdateListNameLengths();
    type(u"2sin\\x");
    std::string marks;
    for (EqElement* e = eq.lines[0]->next; e; e = e->next)
        marks += std::to_string(e->type) + (HasWorkMark(e, kAutoFormatMark) ? "* " : " ");
    EXPECT_EQ(marks, "1* 1* 1* 1* 5 5 ");
}

// ---- without a sheet

TEST(TypedTeXRunTest, TheWholeRunAroundTheCaretIsReadWithoutALeadingDollar) {
    EqModel eq{builtInStyle()};
    EqBuilder b(&eq);
    EqElement* head = b.line();
    b.text(head, u"a", EqTypeCharItalic);
    b.text(head, u"$\\sqrt{x}", EqTypeCharText);
    b.text(head, u"b", EqTypeCharItalic);
    SetEquationCaret(&eq, elementAt(&eq, "L0/4"));  // on "q", inside the run
    const TypedTeXOutcome outcome = ConvertTypedTeXAt(&eq, readContext());
    EXPECT_EQ(outcome.result, TypedTeXOutcome::Converted);
    EXPECT_EQ(outcome.text.toStdString(), "\\sqrt{x}");
    EXPECT_EQ(equationText(eq), "a[136:x]b");
    EXPECT_EQ(elementPath(eq.caret), "L0/2");

    // Nothing typed at the caret: nothing to do.
    EXPECT_EQ(ConvertTypedTeXAt(&eq, readContext()).result, TypedTeXOutcome::NoRun);
    // Nothing but the dollar.
    b.text(head, u"$", EqTypeCharText);
    SetEquationCaret(&eq, FindChainEnd(head));
    EXPECT_EQ(ConvertTypedTeXAt(&eq, readContext()).result, TypedTeXOutcome::NoRun);
}

TEST(TypedTeXRunTest, MatrixTemplatesPutTheCaretInTheFirstCell) {
    struct Case {
        int kind;
        const char* text;
    };
    const Case cases[] = {
        {0x1123, "begin{pmatrix}\n\t&\t&\t\\\\\n\t&\t&\t\\\\\n\\end{pmatrix}\n"},
        {0x1212, "begin{bmatrix}\n\t&\t\\\\\n\\end{bmatrix}\n"},
        {0x1621, "left\\{\\begin{array}{l}\n\t\\\\\n\t\\\\\n\\end{array}\\right.\n"},
        {0x1711, "left.\\begin{array}{r}\n\t\\\\\n\\end{array}\\right\\}\n"},
        {0x1811, "begin{cases}\n\t\\\\\n\\end{cases}\n"},
        {0x1022, "begin{matrix}\n\t&\t\\\\\n\t&\t\\\\\n\\end{matrix}\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        QString text;
        const int back = MatrixTemplateLaTeX(c.kind, &text);
        EXPECT_EQ(text.toStdString(), c.text);
        EXPECT_EQ(text.size() - back, text.indexOf(QLatin1Char('\t')) + 1);
    }
    // One test of a template code: the bit, at least one row and column,
    // nothing above.
    EXPECT_TRUE(IsMatrixTemplateCode(0x1011));
    EXPECT_TRUE(IsMatrixTemplateCode(0x1833));
    EXPECT_FALSE(IsMatrixTemplateCode(0x1010));
    EXPECT_FALSE(IsMatrixTemplateCode(0x1001));
    EXPECT_FALSE(IsMatrixTemplateCode(0x0111));
    EXPECT_FALSE(IsMatrixTemplateCode(0x3011));
}

}  // namespace
}  // namespace toliva::test
