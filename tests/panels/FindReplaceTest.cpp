// Find and replace over equations in memory: the tree functions and the
// dialog's steps, through a target that records what the sheet is asked.
#include "TestSupport.h"

#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "panels/CDlgFindReplace.h"
#include "panels/CDlgToolbar.h"
#include "panels/EquationSearch.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "uikit/WindowMessages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <string>

namespace toliva::test {
namespace {

// A line as text: characters as themselves, a structure as [chains|...].
std::string chainText(const EqElement* head) {
    std::string out;
    for (const EqElement* e = head ? head->next : nullptr; e; e = e->next) {
        if (IsCharType(e->type)) {
            out += char(e->ch);
            continue;
        }
        out += "[";
        for (size_t i = 0; i < e->children.size(); ++i) out += (i ? "|" : "") + chainText(e->children[i]);
        out += "]";
    }
    return out;
}

std::string equationText(const EqModel& eq) {
    std::string out;
    for (size_t i = 0; i < eq.lines.size(); ++i) out += (i ? "/" : "") + chainText(eq.lines[i]);
    return out;
}

// Every element of the tree in document order.
void collect(EqElement* e, std::vector<EqElement*>& out) {
    for (; e; e = e->next) {
        out.push_back(e);
        for (EqElement* c : e->children) collect(c, out);
    }
}

class MemoryTarget : public FindReplaceTarget {
public:
    EqModel eq;
    int undoPushes = 0;
    int refreshes = 0;
    int foundLength = -1;
    std::string undoText;  // the equation as the last snapshot saw it

    EqModel* equation() override { return &eq; }
    void moveCaret(EqElement* e) override { SetEquationCaret(&eq, e); }
    void showFoundCaret(EqElement* e) override { SetEquationCaret(&eq, e); }
    void pushUndo() override {
        ++undoPushes;
        undoText = equationText(eq);
    }
    void clearSelection() override {}
    void setFoundPatternLength(int n) override { foundLength = n; }
    void refresh() override { ++refreshes; }

    std::vector<EqElement*> elements() {
        std::vector<EqElement*> all;
        for (EqElement* head : eq.lines) collect(head, all);
        return all;
    }
    int marked() {
        int n = 0;
        for (EqElement* e : elements()) n += e->mark ? 1 : 0;
        return n;
    }
    int flagged() {
        int n = 0;
        for (EqElement* e : elements()) n += (e->mark || e->mark2) ? 1 : 0;
        return n;
    }
};

// ---- finding: one table of equations, texts and what gets marked

struct FindCase {
    const char* name;
    std::function<void(EqBuilder&)> build;
    const char16_t* pattern;
    size_t matches;
    int marked;
};

TEST(FindReplaceTest, FindAllMarksWhatSpellsTheTextAmongPlainCharacters) {
    const FindCase cases[] = {
        {"an accent breaks a match",
         [](EqBuilder& b) {
             EqElement* last = b.text(b.line(), u"ab");
             AddAccentMark(last, 1);
         },
         u"ab", 0, 0},
        {"the same characters without the accent", [](EqBuilder& b) { b.text(b.line(), u"ab"); }, u"ab", 1, 2},
        {"X does not match x", [](EqBuilder& b) { b.text(b.line(), u"x", EqTypeCharItalic); }, u"X", 0, 0},
        {"italic and upright x both match",
         [](EqBuilder& b) {
             EqElement* line = b.line();
             b.text(line, u"x", EqTypeCharItalic);
             b.text(line, u"+");
             b.text(line, u"x", EqTypeCharUpright);
         },
         u"x", 2, 2},
        {"a run across styles matches",
         [](EqBuilder& b) {
             EqElement* line = b.line();
             b.text(line, u"a", EqTypeCharBold);
             b.text(line, u"b", EqTypeCharText);
         },
         u"ab", 1, 2},
        {"the numerator is searched",
         [](EqBuilder& b) {
             EqElement* frac = b.add(b.line(), EqTypeFraction, 2);
             b.text(EqBuilder::arg(frac, 0), u"ab");
             b.text(EqBuilder::arg(frac, 1), u"c");
         },
         u"ab", 1, 2},
        {"a calculation result is not",
         [](EqBuilder& b) {
             EqElement* line = b.line();
             b.text(line, u"1=");
             b.text(EqBuilder::arg(b.add(line, EqTypeCalcResult, 1), 0), u"ab");
         },
         u"ab", 0, 0},
        {"aa in aaa marks all three", [](EqBuilder& b) { b.text(b.line(), u"aaa"); }, u"aa", 2, 3},
        {"every line", [](EqBuilder& b) {
             b.text(b.line(), u"ab");
             b.text(b.line(), u"cab");
         },
         u"ab", 2, 4},
        {"a match does not run past its chain",
         [](EqBuilder& b) {
             EqElement* line = b.line();
             b.text(line, u"a");
             b.text(EqBuilder::arg(b.add(line, EqTypeFraction, 2), 0), u"b");
         },
         u"ab", 0, 0},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryTarget t;
        EqBuilder b(&t.eq);
        c.build(b);
        std::vector<EqElement*> found;
        FindInEquation(&t.eq, c.pattern, found);
        EXPECT_EQ(found.size(), c.matches);
        EXPECT_EQ(t.marked(), c.marked);

        ClearFindFlags(&t.eq, true);
        const SearchOutcome outcome = FindAllStep(t, QString::fromStdU16String(c.pattern));
        EXPECT_EQ(outcome, c.matches ? SearchOutcome::Done : SearchOutcome::NothingFound);
        EXPECT_EQ(t.foundLength, c.matches ? int(std::u16string_view(c.pattern).size()) : 0);
        EXPECT_EQ(t.marked(), c.marked);
    }
}

TEST(FindReplaceTest, EmptyTextsAreRefusedBeforeAnythingChanges) {
    MemoryTarget t;
    EqBuilder b(&t.eq);
    b.text(b.line(), u"ab");
    EXPECT_EQ(FindAllStep(t, QString()), SearchOutcome::EmptyFind);
    EXPECT_EQ(FindNextStep(t, QString()), SearchOutcome::EmptyFind);
    EXPECT_EQ(ReplaceStep(t, QString(), QStringLiteral("x"), 0), SearchOutcome::EmptyFind);
    EXPECT_EQ(ReplaceStep(t, QStringLiteral("a"), QString(), 0), SearchOutcome::EmptyReplace);
    EXPECT_EQ(ReplaceAllStep(t, QStringLiteral("a"), QString(), 0), SearchOutcome::EmptyReplace);
    EXPECT_EQ(equationText(t.eq), "ab");
    EXPECT_EQ(t.undoPushes, 0);
}

TEST(FindReplaceTest, AFailedSearchTakesTheOldHighlightOffTheScreen) {
    MemoryTarget t;
    EqBuilder b(&t.eq);
    b.text(b.line(), u"ab");
    ASSERT_EQ(FindAllStep(t, QStringLiteral("ab")), SearchOutcome::Done);
    t.eq.lines.front()->lineBitmap = std::make_unique<QImage>(4, 4, QImage::Format_RGB32);
    const int refreshes = t.refreshes;
    EXPECT_EQ(FindAllStep(t, QStringLiteral("zz")), SearchOutcome::NothingFound);
    EXPECT_EQ(t.marked(), 0);
    EXPECT_EQ(t.foundLength, 0);
    EXPECT_EQ(t.eq.lines.front()->lineBitmap, nullptr);
    EXPECT_EQ(t.refreshes, refreshes + 1);
}

// ---- next

TEST(FindReplaceTest, NextVisitsEveryMatchInDocumentOrderThenSaysNothingMoreAndClearsTheMarks) {
    MemoryTarget t;
    EqBuilder b(&t.eq);
    EqElement* line = b.line();
    EqElement* first = b.text(line, u"a");
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    EqElement* num = b.text(EqBuilder::arg(frac, 0), u"a");
    EqElement* den = b.text(EqBuilder::arg(frac, 1), u"a");
    EqElement* after = b.text(line, u"a");
    EqElement* second = b.text(b.line(), u"xa");
    t.eq.caret = line;

    std::vector<EqElement*> visited;
    for (int i = 0; i < 10; ++i) {
        const SearchOutcome outcome = FindNextStep(t, QStringLiteral("a"));
        if (outcome != SearchOutcome::Done) {
            EXPECT_EQ(outcome, SearchOutcome::NothingMore);
            break;
        }
        if (!t.eq.caret->mark) continue;  // the last match stepped over, nothing after it
        visited.push_back(t.eq.caret);
    }
    EXPECT_EQ(visited, (std::vector<EqElement*>{first, num, den, after, second}));
    EXPECT_EQ(t.flagged(), 0);
}

TEST(FindReplaceTest, NextWithTheCaretAfterTheLastMatchTellsAndRemovesEveryHighlight) {
    MemoryTarget t;
    EqBuilder b(&t.eq);
    EqElement* line = b.line();
    b.text(line, u"ab");
    EqElement* end = b.text(line, u"cd");
    std::vector<EqElement*> found;
    FindInEquation(&t.eq, u"ab", found);
    ASSERT_EQ(t.marked(), 2);
    t.eq.caret = end;
    EXPECT_EQ(FindNextStep(t, QStringLiteral("ab")), SearchOutcome::NothingMore);
    EXPECT_EQ(t.flagged(), 0);
    EXPECT_EQ(t.foundLength, 0);
}

TEST(FindReplaceTest, NextFromInsideACalculationResultStartsAfterIt) {
    MemoryTarget t;
    EqBuilder b(&t.eq);
    EqElement* line = b.line();
    EqElement* result = b.add(line, EqTypeCalcResult, 1);
    EqElement* inside = b.text(EqBuilder::arg(result, 0), u"a");
    EqElement* a = b.text(line, u"a");
    t.eq.caret = inside;
    EXPECT_EQ(FindNextStep(t, QStringLiteral("a")), SearchOutcome::Done);
    EXPECT_EQ(t.eq.caret, a);
}

// ---- replace

TEST(FindReplaceTest, ReplaceTakesTheMatchAtTheCaretAndGoesOnToTheNext) {
    MemoryTarget t;
    EqBuilder b(&t.eq);
    EqElement* line = b.line();
    b.text(line, u"ab+ab");
    t.eq.caret = line;
    // The first press only finds.
    EXPECT_EQ(ReplaceStep(t, QStringLiteral("ab"), QStringLiteral("c"), 0), SearchOutcome::Done);
    EXPECT_EQ(equationText(t.eq), "ab+ab");
    EXPECT_EQ(ReplaceStep(t, QStringLiteral("ab"), QStringLiteral("c"), 0), SearchOutcome::Done);
    EXPECT_EQ(equationText(t.eq), "c+ab");
    EXPECT_EQ(t.undoPushes, 1);
    EXPECT_EQ(ReplaceStep(t, QStringLiteral("ab"), QStringLiteral("c"), 0), SearchOutcome::Done);
    EXPECT_EQ(equationText(t.eq), "c+c");
    EXPECT_EQ(ReplaceStep(t, QStringLiteral("ab"), QStringLiteral("c"), 0), SearchOutcome::NothingMore);
    EXPECT_EQ(t.flagged(), 0);
}

TEST(FindReplaceTest, ReplacedCharactersTakeTheStyleAskedFor) {
    struct Case {
        int style;
        std::vector<int32_t> types;
    };
    const Case cases[] = {
        {0, {EqTypeCharItalic, EqTypeCharBold, EqTypeCharBold}},
        {1, {EqTypeCharUpright, EqTypeCharUpright, EqTypeCharUpright}},
        {4, {EqTypeCharBoldItalic, EqTypeCharBoldItalic, EqTypeCharBoldItalic}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        MemoryTarget t;
        EqBuilder b(&t.eq);
        EqElement* line = b.line();
        b.text(line, u"a", EqTypeCharItalic);
        b.text(line, u"b", EqTypeCharBold);
        b.text(line, u"=");
        EXPECT_EQ(ReplaceAllStep(t, QStringLiteral("ab"), QStringLiteral("xyz"), c.style), SearchOutcome::Done);
        ASSERT_EQ(equationText(t.eq), "xyz=");
        std::vector<int32_t> types;
        for (EqElement* e = line->next; e && e->ch != '='; e = e->next) types.push_back(e->type);
        EXPECT_EQ(types, c.types);
    }
}

TEST(FindReplaceTest, ReplaceAllEndsOneUndoStepAndDropsEveryLinePicture) {
    struct Case {
        const char16_t* before;
        const char* find;
        const char* replacement;
        const char* after;
    };
    const Case cases[] = {
        {u"a+ba", "a", "aa", "aa+baa/[aa|aa]"},  // the inserted characters never match again
        {u"aaa", "aa", "b", "ba/[a|a]"},          // overlapping matches: the first one wins
        {u"xy", "y", "yy", "xyy/[a|a]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.find);
        MemoryTarget t;
        EqBuilder b(&t.eq);
        EqElement* line = b.line();
        b.text(line, c.before);
        EqElement* frac = b.add(b.line(), EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"a");
        b.text(EqBuilder::arg(frac, 1), u"a");
        const std::string original = equationText(t.eq);
        for (EqElement* head : t.eq.lines) head->lineBitmap = std::make_unique<QImage>(4, 4, QImage::Format_RGB32);

        const SearchOutcome outcome =
            ReplaceAllStep(t, QString::fromLatin1(c.find), QString::fromLatin1(c.replacement), 0);
        EXPECT_EQ(outcome, SearchOutcome::Done);
        EXPECT_EQ(equationText(t.eq), c.after);
        EXPECT_EQ(t.undoPushes, 1);
        EXPECT_EQ(t.undoText, original);
        EXPECT_EQ(t.flagged(), 0);
        for (EqElement* head : t.eq.lines) EXPECT_EQ(head->lineBitmap, nullptr);
    }
}

TEST(FindReplaceTest, ReplaceDropsThePictureOfTheEditedLineNotOnlyOfTheCaretsLine) {
    MemoryTarget t;
    EqBuilder b(&t.eq);
    EqElement* first = b.line();
    b.text(first, u"a");
    EqElement* second = b.line();
    b.text(second, u"a");
    t.eq.caret = first;
    ASSERT_EQ(FindNextStep(t, QStringLiteral("a")), SearchOutcome::Done);
    ASSERT_EQ(t.eq.caret, first->next);
    // The lines as drawn with the highlight.
    for (EqElement* head : t.eq.lines) head->lineBitmap = std::make_unique<QImage>(4, 4, QImage::Format_RGB32);

    EXPECT_EQ(ReplaceStep(t, QStringLiteral("a"), QStringLiteral("b"), 0), SearchOutcome::Done);
    EXPECT_EQ(equationText(t.eq), "b/a");
    // The caret went on to the second line; the first one changed.
    EXPECT_EQ(t.eq.caret, second->next);
    EXPECT_EQ(first->lineBitmap, nullptr);
    EXPECT_EQ(second->lineBitmap, nullptr);
}

TEST(FindReplaceTest, ReplaceAtCaretRefusesWhatIsNotAMarkedMatch) {
    MemoryTarget t;
    EqBuilder b(&t.eq);
    EqElement* line = b.line();
    EqElement* last = b.text(line, u"ab");
    EXPECT_FALSE(ReplaceAtCaret(t, last, u"ab", u"c", 0, true));  // not marked
    std::vector<EqElement*> found;
    FindInEquation(&t.eq, u"ab", found);
    EXPECT_FALSE(ReplaceAtCaret(t, last, u"xb", u"c", 0, true));  // marked but spells another text
    EXPECT_FALSE(ReplaceAtCaret(t, last, u"ab", u"", 0, true));
    EXPECT_FALSE(ReplaceAtCaret(t, line, u"ab", u"c", 0, true));
    EXPECT_EQ(t.undoPushes, 0);
    EXPECT_TRUE(ReplaceAtCaret(t, last, u"ab", u"c", 0, true));
    EXPECT_EQ(equationText(t.eq), "c");
    EXPECT_EQ(t.eq.caret, line->next);
    EXPECT_EQ(line->next->mark2, 1);
}

// ---- the dialog

struct FindReplaceDialogPanel : ::testing::Test {
    void SetUp() override {
        context.programFolder = programFolder();
        EqBuilder b(&target.eq);
        b.text(b.line(), u"ab+ab");
        target.eq.caret = target.eq.lines.front();
    }
    MemoryTarget target;
    PanelContext context;
    RecordingMessageSink messages;
    ScopedMessageSink scoped{&messages};
};

TEST_F(FindReplaceDialogPanel, TheFindTextMovesTheFocusAndTheBarTypesIntoTheFocusedField) {
    CDlgFindReplace dialog(target, context, nullptr);
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Find and Replace"));
    EXPECT_EQ(dialog.button(CDlgFindReplace::kReplaceAll)->text(), QStringLiteral("Replace All"));
    EXPECT_EQ(dialog.characterBar()->buttons().size(), 40u);
    EXPECT_TRUE(dialog.styleButton(0)->isChecked());

    dialog.SetFindText(QStringLiteral("ab"));
    EXPECT_EQ(dialog.findEdit()->text(), QStringLiteral("ab"));
    EXPECT_EQ(dialog.focusedField(), dialog.replaceEdit());
    SendWindowMessage(&dialog, WM_TOOLBAR_COMMAND, 0x03B1, 0x03B1);
    EXPECT_EQ(dialog.replaceEdit()->text(), QString(QChar(0x03B1)));

    dialog.SetFindText(QString());
    EXPECT_EQ(dialog.findEdit()->text(), QString());
    EXPECT_EQ(dialog.focusedField(), dialog.findEdit());
    SendWindowMessage(&dialog, WM_TOOLBAR_COMMAND, 0x03B2, 0x03B2);
    EXPECT_EQ(dialog.findEdit()->text(), QString(QChar(0x03B2)));

    // As the bar posts it; a code that is no character types nothing.
    PostWindowMessage(&dialog, WM_TOOLBAR_COMMAND, 0x03B3, 0x03B3);
    PostWindowMessage(&dialog, WM_TOOLBAR_COMMAND, -1, 0x03B3);
    QApplication::processEvents();
    EXPECT_EQ(dialog.findEdit()->text(), QString(QChar(0x03B2)) + QChar(0x03B3));

    // F3 and the close button only hide it.
    dialog.show();
    QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &f3);
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    dialog.button(CDlgFindReplace::kClose)->click();
    EXPECT_FALSE(dialog.isVisible());

    dialog.ApplyLanguage(QStringLiteral("cn"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("查找和替换"));
}

TEST_F(FindReplaceDialogPanel, TheButtonsRunTheStepsAndTellWhatIsMissing) {
    CDlgFindReplace dialog(target, context, nullptr);
    dialog.show();
    dialog.button(CDlgFindReplace::kFindAll)->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown.back().text, QStringLiteral("Please type a text."));

    dialog.SetFindText(QStringLiteral("zz"));
    dialog.button(CDlgFindReplace::kFindAll)->click();
    EXPECT_EQ(messages.shown.back().text, QStringLiteral("The text was not found in the equation."));
    EXPECT_EQ(dialog.focusedField(), dialog.findEdit());

    dialog.SetFindText(QStringLiteral("ab"));
    dialog.button(CDlgFindReplace::kFindAll)->click();
    EXPECT_EQ(target.marked(), 4);
    EXPECT_FALSE(dialog.isVisible());  // find all hides the dialog

    dialog.show();
    dialog.styleButton(3)->click();
    EXPECT_EQ(dialog.style(), 3);
    dialog.replaceEdit()->setText(QStringLiteral("q"));
    const size_t before = messages.shown.size();
    dialog.button(CDlgFindReplace::kReplaceAll)->click();
    EXPECT_EQ(messages.shown.size(), before);
    EXPECT_EQ(equationText(target.eq), "q+q");
    EXPECT_EQ(target.eq.lines.front()->next->type, EqTypeCharBold);

    dialog.button(CDlgFindReplace::kNext)->click();
    EXPECT_EQ(messages.shown.back().text, QStringLiteral("No further match was found."));
}

}  // namespace
}  // namespace toliva::test
