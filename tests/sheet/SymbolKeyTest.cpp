// Symbol keys carried out by the sheet: every kind, the fresh equation a
// symbol is copied from, the big operators with a chosen outline, custom
// spaces, user symbols, the chemical-marks page and library-item references.
// Dialogs are answered by script, settings pages through runSettingsDialog.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/SymbolLibrary.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/ShellService.h"
#include "platform/Utilities.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/ChemMarks.h"
#include "sheet/editing/ElementWork.h"
#include "sheet/editing/ItemReferences.h"
#include "sheet/editing/SpaceAmount.h"
#include "tests/common/ModelFixtures.h"
#include "tests/model/EqLayoutTestSupport.h"
#include "tests/sheet/SheetTestSupport.h"
#include "uikit/CDlgGU.h"
#include "uikit/CKwEMF.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <set>

namespace toliva {
namespace {

// What the sheet asks of the program around it, recorded.
class RecordingHost : public SheetHost {
public:
    void OpenUserSymbolPanel() override { ++panelOpened; }
    const EqModel* LibraryItemEquation(int index) const override {
        const auto it = items.find(index);
        return it == items.end() ? nullptr : it->second;
    }

    int panelOpened = 0;
    std::map<int, const EqModel*> items;
};

class SymbolKeyTest : public ::testing::Test {
protected:
    SymbolKeyTest() : eq(test::builtInStyle()), b(&eq) {}

    void SetUp() override {
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), &host,
                                             std::make_unique<HeadlessSheetBackend>());
        sheet->setEditDialogs(&dialogs);
        sheet->runSettingsDialog = [this](CDlgGU& dlg) {
            ++pageRuns;
            if (pageAnswers.empty()) return int(IDCANCEL);
            auto answer = pageAnswers.front();
            pageAnswers.pop_front();
            return answer(dlg);
        };
    }

    // Shows the sheet on eq (an equation without lines gets an empty one)
    // with the caret at the end of the last line.
    void show() {
        if (eq.lines.empty()) b.line();
        ShowSheetOffscreen(*sheet, QSize(400, 300), &eq);
        SetEquationCaret(&eq, FindChainEnd(eq.lines.back()));
    }
    std::string text() const { return test::equationText(eq); }
    EqElement* first() const { return eq.lines.front()->next; }
    int undoSteps() { return sheet->undoHistory().undoCount(); }

    AppContext app;
    EqModel eq;
    EqBuilder b;
    RecordingHost host;
    ScriptedEditDialogs dialogs;
    RecordingMessageSink messages;
    ScopedMessageSink sinkGuard{&messages};
    std::unique_ptr<CKwEESheet> sheet;
    std::deque<std::function<int(CDlgGU&)>> pageAnswers;
    int pageRuns = 0;
};

// ---- every kind

struct KindCase {
    const char* name;
    SymbolKey key;
    int typing;             // the typing type before the key
    std::string expected;   // line 0 afterwards
    int32_t firstType;      // type of the first element (-1: none expected)
    uint16_t firstCh;
    int undoSteps;
};

TEST_F(SymbolKeyTest, EachKindInsertsItsElementOrNothing) {
    const KindCase cases[] = {
        {"structure", {3, 128, 0}, 2, "[128:|]", 128, 0, 1},
        {"space", {3, 101, 0}, 2, "[101]", 101, 0, 1},
        {"operator", {3, 1042, 0}, 2, "[1042]", 1042, 0, 1},
        {"chain head is no element", {3, 0, 0}, 2, "", -1, 0, 0},
        {"character in the typing type", {4, 'x', 0}, 3, "x", 3, 'x', 1},
        {"control code takes the carried character", {4, 16, 960}, 2, "[2]", 2, 960, 1},
        {"control code without a character", {4, 16, 0}, 2, "", -1, 0, 0},
        {"symbol in the typing type", {6, 0x3B1, 0}, 2, "[2]", 2, 0x3B1, 1},
        {"degree sign upright", {6, 176, 0}, 2, "[1]", 1, 176, 1},
        {"per mille upright", {6, 8240, 0}, 4, "[1]", 1, 8240, 1},
        {"glyph symbol", {13, 5, 0}, 2, "[6]", 6, 5, 1},
        {"glyph symbol in bold typing", {13, 0x10005, 0}, 4, "[8]", 8, 5, 1},
        {"glyph number 0", {13, 0, 0}, 2, "", -1, 0, 0},
        {"glyph number beyond the library", {13, 0xFFFF, 0}, 2, "", -1, 0, 0},
        {"user symbol missing", {14, 9, 0}, 2, "", -1, 0, 0},
        {"more symbols", {10000, 10000, 0}, 2, "", -1, 0, 0},
        {"unknown kind", {7, 128, 0}, 2, "", -1, 0, 0},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ClearEquation(&eq);
        show();
        sheet->typingType = c.typing;
        sheet->ExecuteSymbolKey(c.key);
        EXPECT_EQ(text(), c.expected);
        if (c.firstType >= 0) {
            ASSERT_NE(first(), nullptr);
            EXPECT_EQ(first()->type, c.firstType);
            if (c.firstCh) {
                EXPECT_EQ(first()->ch, c.firstCh);
            }
        }
        EXPECT_EQ(undoSteps(), c.undoSteps);
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(SymbolKeyTest, UprightSymbolsCarryTheSelectedStyleMarkAndOthersDoNot) {
    show();
    sheet->typingType = 2;
    sheet->ExecuteSymbolKey({6, 176, 0});
    sheet->ExecuteSymbolKey({6, 0x3B1, 0});
    ASSERT_EQ(text(), "[1][2]");
    EXPECT_TRUE(HasWorkMark(first(), kSelectedStyleMark));
    EXPECT_FALSE(HasWorkMark(first()->next, kSelectedStyleMark));
    EXPECT_EQ(sheet->equation()->caret, first()->next);
}

TEST_F(SymbolKeyTest, UserSymbolPanelKeyOpensThePanelAndInsertsNothing) {
    show();
    sheet->ExecuteSymbolKey({6, 1, 0});
    EXPECT_EQ(host.panelOpened, 1);
    EXPECT_EQ(text(), "");
    EXPECT_EQ(undoSteps(), 0);
}

TEST_F(SymbolKeyTest, CommandKindsGoToTheDispatcherOnly) {
    // Select all (149) by either command kind: the key inserts nothing.
    for (int32_t kind : {1, 0xFFFFF}) {
        SCOPED_TRACE(kind);
        SetUp();
        ClearEquation(&eq);
        b.text(b.line(), u"ab", EqTypeCharItalic);
        show();
        sheet->ExecuteSymbolKey({kind, 149, 0});
        EXPECT_EQ(text(), "ab");
        EXPECT_EQ(sheet->selection().items.size(), 2u);
        EXPECT_EQ(undoSteps(), 0);
    }
}

TEST_F(SymbolKeyTest, AccentKindMarksTheCharacterAtTheCaret) {
    b.text(b.line(), u"a", EqTypeCharItalic);
    show();
    SetEquationCaret(&eq, first());
    sheet->ExecuteSymbolKey({2, 0x105, 0});
    EXPECT_EQ(text(), "a");
    EXPECT_EQ(first()->payload, std::vector<uint8_t>{0x05});
    EXPECT_EQ(undoSteps(), 1);
}

TEST_F(SymbolKeyTest, AnInsertedStructureIsOneUndoStep) {
    b.text(b.line(), u"ab", EqTypeCharItalic);
    show();
    sheet->ExecuteSymbolKey({3, 128, 0});
    sheet->ExecuteSymbolKey({6, 176, 0});
    EXPECT_EQ(text(), "ab[128:[1]|]");
    sheet->Undo();
    EXPECT_EQ(text(), "ab[128:|]");
    sheet->Undo();
    EXPECT_EQ(text(), "ab");
}

// ---- kinds built by the template and matrix code

TEST_F(SymbolKeyTest, MatrixTemplateKeyAsksTheMatrixDialogAndCancelLeavesNoStep) {
    show();
    sheet->ExecuteSymbolKey({5, 118, 0});
    ASSERT_FALSE(dialogs.asked.empty());
    EXPECT_EQ(dialogs.asked.front(), "matrix");
    EXPECT_EQ(text(), "");
    EXPECT_EQ(undoSteps(), 0);
}

TEST_F(SymbolKeyTest, TemplateKeyBuildsItsTemplate) {
    show();
    sheet->ExecuteSymbolKey({15, 64, 0});
    EXPECT_EQ(text(), "[1536:[128:|]]");
}

// ---- the fresh equation of a copied symbol

TEST_F(SymbolKeyTest, FreshEquationHoldsTheSymbolAloneAndTheSheetKeepsItsOwn) {
    b.text(b.line(), u"ab", EqTypeCharItalic);
    show();
    SetEquationCaret(&eq, first());
    const EqElement* caretBefore = eq.caret;
    sheet->typingType = 2;
    std::vector<std::string> copied;
    std::vector<int> copiedTypes;
    sheet->copyFreshEquation = [&](EqModel* built) {
        ASSERT_NE(built, &eq);
        copied.push_back(test::equationText(*built));
        copiedTypes.push_back(built->lines.front()->next ? built->lines.front()->next->type : -1);
    };
    sheet->ExecuteSymbolKey({6, 0x3B1, 0}, true);
    sheet->ExecuteSymbolKey({3, 128, 0}, true);

    ASSERT_EQ(copied.size(), 2u);
    EXPECT_EQ(copied[0], "[2]");
    EXPECT_EQ(copied[1], "[128:|]");
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(eq.caret, caretBefore);
    EXPECT_EQ(sheet->equation(), &eq);
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_TRUE(sheet->undoHistory().recording);
    for (EqElement* e = eq.lines.front(); e; e = e->next) EXPECT_EQ(e->owner, &eq);
}

TEST_F(SymbolKeyTest, FreshEquationHandsNothingOnWhenTheInsertionWasCancelled) {
    show();
    int copies = 0;
    sheet->copyFreshEquation = [&](EqModel*) { ++copies; };
    sheet->ExecuteSymbolKey({3, 860, 0}, true);  // the symbol selection answers Cancel
    EXPECT_EQ(copies, 0);
    EXPECT_EQ(text(), "");
    EXPECT_TRUE(sheet->undoHistory().recording);
}

// ---- big operators with their own outline

TEST_F(SymbolKeyTest, OwnOutlineOperatorCancelInsertsNothingAndOkAttachesTheChosenGlyph) {
    b.text(b.line(), u"a", EqTypeCharItalic);
    show();
    sheet->ExecuteSymbolKey({3, 861, 0});
    EXPECT_EQ(dialogs.symbolTypes, std::vector<int>{861});
    EXPECT_EQ(text(), "a");
    EXPECT_EQ(undoSteps(), 0);

    const GlyphOutline* sample = test::programContext().symbols->glyph(3);
    ASSERT_NE(sample, nullptr);
    dialogs.symbolGlyph = sample;
    dialogs.symbolAnswers = {true};
    sheet->ExecuteSymbolKey({3, 861, 0});
    ASSERT_NE(first()->next, nullptr);
    const EqElement* op = first()->next;
    EXPECT_EQ(op->type, 861);
    ASSERT_TRUE(op->glyph);
    EXPECT_NE(op->glyph.get(), sample);
    EXPECT_TRUE(GlyphsEqual(*op->glyph, *sample));
    EXPECT_EQ(undoSteps(), 1);

    // OK without an outline keeps the library's (no empty outline attached).
    dialogs.symbolGlyph = nullptr;
    dialogs.symbolAnswers = {true};
    sheet->ExecuteSymbolKey({3, 862, 0});
    const EqElement* plain = eq.caret;
    while (plain && plain->type != 862) plain = plain->parent;
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->glyph);
}

// ---- user symbols

TEST_F(SymbolKeyTest, UserSymbolTakesACopyOfItsGlyphAndTheKeysCharacter) {
    const GlyphOutline* sample = test::programContext().symbols->glyph(7);
    ASSERT_NE(sample, nullptr);
    GlyphOutline own;
    CopyGlyph(own, *sample);
    const std::vector<GlyphOutline*> symbols = {nullptr, &own};
    sheet->userSymbols = &symbols;
    show();

    sheet->ExecuteSymbolKey({14, 1, 'u'});  // an empty place
    EXPECT_EQ(text(), "");
    EXPECT_EQ(undoSteps(), 0);

    sheet->ExecuteSymbolKey({14, 2, 'u'});
    ASSERT_NE(first(), nullptr);
    EXPECT_EQ(first()->type, EqTypeUserSymbol);
    EXPECT_EQ(first()->ch, 'u');
    ASSERT_TRUE(first()->glyph);
    EXPECT_NE(first()->glyph.get(), &own);
    EXPECT_TRUE(GlyphsEqual(*first()->glyph, own));
    EXPECT_EQ(undoSteps(), 1);
    sheet->Undo();
    EXPECT_EQ(text(), "");
}

TEST_F(SymbolKeyTest, UserSymbolReplacesTheSelection) {
    b.text(b.line(), u"abc", EqTypeCharItalic);
    show();
    sheet->SelectRange(first(), first()->next->next);  // "bc"
    ASSERT_TRUE(sheet->selection().exists());
    sheet->ExecuteSymbolKey({13, 5, 0});
    EXPECT_EQ(text(), "a[6]");
}

// ---- automatic calculation after "="

TEST_F(SymbolKeyTest, EqualsAsksForTheCalculationOnlyWithTheOptionOnAndTheSwitchOff) {
    struct Case {
        const char* name;
        SymbolKey key;
        bool option;
        int calcSwitch;
        int evaluations;
    };
    const Case cases[] = {
        {"operator key", {3, 1049, 0}, true, 0, 1},
        {"typed equals sign", {4, '=', 0}, true, 0, 1},
        {"option off", {3, 1049, 0}, false, 0, 0},
        {"switch on", {3, 1049, 0}, true, 1, 0},
        {"other operator", {3, 1042, 0}, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ClearEquation(&eq);
        show();
        sheet->ExecuteSymbolKey({4, '2', 0});
        app.options = c.option ? (app.options | OptAutoCalc) : (app.options & ~uint32_t(OptAutoCalc));
        app.calcSwitch = c.calcSwitch;
        sheet->ExecuteSymbolKey(c.key);
        int results = 0;
        for (EqElement* e = eq.lines.front(); e; e = e->next) results += e->type == EqTypeCalcResult;
        EXPECT_EQ(results, c.evaluations);
        EXPECT_TRUE(messages.shown.empty());
    }
}

// ---- custom spaces

TEST_F(SymbolKeyTest, CustomSpaceAsksItsAmountAndStoresAmountAndUnit) {
    show();
    dialogs.stringAnswers.push_back({true, QStringLiteral("2 mu")});
    sheet->ExecuteSymbolKey({3, 104, 0});
    ASSERT_EQ(dialogs.stringRequests.size(), 1u);
    const StringRequest& asked = dialogs.stringRequests[0];
    EXPECT_EQ(asked.text, "0.5");
    EXPECT_EQ(asked.title, LangText(QStringLiteral("LANG_06.xml"), QStringLiteral("gHXS"), 1));
    EXPECT_EQ(asked.prompt, LangText(QStringLiteral("LANG_06.xml"), QStringLiteral("gHXS"), 2));
    EXPECT_FALSE(asked.title.isEmpty());
    EXPECT_FALSE(asked.prompt.isEmpty());
    ASSERT_EQ(text(), "[104]");
    EXPECT_EQ(first()->ch & 0x0F, 1);
    EXPECT_FLOAT_EQ(GetSpaceAmount(first()), 2.0f);
    EXPECT_EQ(undoSteps(), 1);
}

TEST_F(SymbolKeyTest, CustomSpaceCancelInsertsNothingAndAWrongAmountIsAskedAgain) {
    show();
    sheet->ExecuteSymbolKey({3, 104, 0});  // Cancel
    EXPECT_EQ(text(), "");
    EXPECT_EQ(undoSteps(), 0);

    dialogs.stringRequests.clear();
    dialogs.stringAnswers.push_back({true, QStringLiteral("wide")});
    dialogs.stringAnswers.push_back({true, QStringLiteral("1.5")});
    sheet->ExecuteSymbolKey({3, 104, 0});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, LangText(QStringLiteral("LANG_06.xml"), QStringLiteral("gHXS"), 3));
    ASSERT_EQ(dialogs.stringRequests.size(), 2u);
    EXPECT_EQ(dialogs.stringRequests[1].text, "wide");  // the typed text is kept
    ASSERT_EQ(text(), "[104]");
    EXPECT_EQ(first()->ch & 0x0F, 0);
    EXPECT_FLOAT_EQ(GetSpaceAmount(first()), 1.5f);
}

TEST_F(SymbolKeyTest, CustomSpaceWidthChangesOnlyACustomSpaceAtTheCaret) {
    show();
    dialogs.stringAnswers.push_back({true, QStringLiteral("1cm")});
    sheet->ExecuteSymbolKey({3, 104, 0});
    ASSERT_EQ(first()->type, EqTypeSpaceCustom);
    sheet->SetCustomSpaceWidth(3.25f);
    EXPECT_FLOAT_EQ(GetSpaceAmount(first()), 3.25f);
    EXPECT_EQ(first()->ch & 0x0F, 8);  // the unit stays
    sheet->SetCustomSpaceWidth(std::nanf(""));
    EXPECT_FLOAT_EQ(GetSpaceAmount(first()), 3.25f);
    sheet->SetCustomSpaceWidth(1e9f);
    EXPECT_FLOAT_EQ(GetSpaceAmount(first()), kMaxSpaceAmount);

    sheet->ExecuteSymbolKey({4, 'x', 0});
    sheet->SetCustomSpaceWidth(7.0f);
    EXPECT_FLOAT_EQ(GetSpaceAmount(first()), kMaxSpaceAmount);
    EXPECT_TRUE(first()->next->payload.empty());
}

TEST(SpaceAmountTest, TypedAmountsAndUnits) {
    struct Case {
        const char* text;
        bool ok;
        float amount;
        int unit;  // 77: left as it was
    };
    const Case cases[] = {
        {"0.5", true, 0.5f, 77},       {" 2 mu ", true, 2, 1},     {"-1.25pt", true, -1.25f, 4},
        {"+3EX", true, 3, 2},          {".5in", true, 0.5f, 6},    {"50%", true, 50, 9},
        {"12 px", true, 12, 5},        {"1 pc", true, 1, 3},       {"7mm", true, 7, 7},
        {"1em", true, 1, 0},           {"1000cm", true, 1000, 8},  {"1000.5", false, 0, 77},
        {"", false, 0, 77},            {"em", false, 0, 77},       {"2 furlongs", false, 0, 77},
        {"1.2.3", false, 0, 77},       {"2 mu x", false, 0, 77},   {"-", false, 0, 77},
        {"1e3", false, 0, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        float amount = -99;
        int unit = 77;
        EXPECT_EQ(ParseSpaceAmount(QString::fromUtf8(c.text), &amount, &unit), c.ok);
        if (c.ok) {
            EXPECT_FLOAT_EQ(amount, c.amount);
        } else {
            EXPECT_EQ(amount, -99);
        }
        EXPECT_EQ(unit, c.unit);
    }
    EXPECT_EQ(FormatSpaceAmount(0.5f, 0), "0.5");
    EXPECT_EQ(FormatSpaceAmount(2, 1), "2mu");
    EXPECT_EQ(FormatSpaceAmount(50, 9), "50%");
    // What is shown reads back the same.
    for (int unit = 0; unit <= 9; ++unit) {
        float amount = 0;
        int read = -1;
        ASSERT_TRUE(ParseSpaceAmount(FormatSpaceAmount(1.75f, unit), &amount, &read));
        EXPECT_FLOAT_EQ(amount, 1.75f);
        EXPECT_EQ(read, unit == 0 ? -1 : unit);
    }
}

// ---- chemical marks

TEST(ChemMarksTest, PayloadAndChoicesAgreeWithWhatIsDrawn) {
    struct Case {
        const char* name;
        std::vector<uint8_t> payload;
        ChemMarkChoices choices;
        std::vector<uint8_t> written;
    };
    ChemMarkChoices none;
    ChemMarkChoices threeDotsLeft;
    threeDotsLeft.marks[0] = {ChemMarkDot, ChemMarkDot, ChemMarkDot};
    ChemMarkChoices mixed;
    mixed.marks[1] = {ChemMarkDot, ChemMarkCross, ChemMarkNone};
    mixed.marks[3] = {ChemMarkCross, ChemMarkNone, ChemMarkNone};
    mixed.shift = ChemShiftUp;
    ChemMarkChoices oneCross;
    oneCross.marks[2] = {ChemMarkCross, ChemMarkNone, ChemMarkNone};
    const Case cases[] = {
        {"empty payload", {}, none, {0, 0, 0, 0, 0}},
        {"three dots", {0x15, 0, 0, 0, 0}, threeDotsLeft, {0x15, 0, 0, 0, 0}},
        {"short payload", {0x15}, threeDotsLeft, {0x15, 0, 0, 0, 0}},
        {"mixed and shifted", {0, 0x09, 0, 0x02, 2}, mixed, {0, 0x09, 0, 0x02, 2}},
        {"field value 3 is a cross", {0, 0x0D, 0, 0x03, 2}, mixed, {0, 0x09, 0, 0x02, 2}},
        // One mark in the second field is drawn from the first field: a cross.
        {"gap before the mark", {0, 0, 0x04, 0, 0}, oneCross, {0, 0, 0x02, 0, 0}},
        {"unknown shift", {0, 0, 0, 0, 7}, none, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChemMarkChoicesOf(c.payload), c.choices);
        EXPECT_EQ(ChemMarkPayload(c.choices), c.written);
    }
    // Chosen places with gaps are packed from the first field.
    ChemMarkChoices gaps;
    gaps.marks[0] = {ChemMarkNone, ChemMarkCross, ChemMarkDot};
    gaps.marks[1] = {ChemMarkNone, 9, ChemMarkDot};  // out of range: none
    EXPECT_EQ(ChemMarkPayload(gaps), (std::vector<uint8_t>{0x06, 0x01, 0, 0, 0}));
}

TEST_F(SymbolKeyTest, ChemicalMarksPageIsAnsweredAppliedLiveAndTakenBackOnCancel) {
    show();
    std::vector<std::vector<uint8_t>> seenWhileOpen;
    CDlgGU* seenDialog = nullptr;
    auto chooseAndApply = [&](int result) {
        return [&, result](CDlgGU& dlg) {
            seenDialog = &dlg;
            EXPECT_EQ(dlg.pageFolder, "efe");
            EXPECT_EQ(dlg.title, LangText(QStringLiteral("DlgGU.xml"), QStringLiteral("gTT_1"), 5));
            EXPECT_FALSE(dlg.title.isEmpty());
            EXPECT_FLOAT_EQ(dlg.widthFactor, 0.7f);
            EXPECT_FLOAT_EQ(dlg.heightFactor, 1.2f);
            EXPECT_TRUE(dlg.showButton3);
            EXPECT_FALSE(dlg.Grid()->pageFiles.isEmpty());
            for (int item = 0; item <= kChemPageShiftItem; ++item)
                EXPECT_EQ(dlg.propertyList.GetItemChoice(0, item), 0) << item;
            dlg.GetOrAddItem(0, ChemPageMarkItem(0, 0))->choice = ChemMarkDot;
            dlg.GetOrAddItem(0, ChemPageMarkItem(0, 1))->choice = ChemMarkCross;
            dlg.GetOrAddItem(0, ChemPageMarkItem(1, 2))->choice = ChemMarkDot;
            dlg.GetOrAddItem(0, kChemPageShiftItem)->choice = ChemShiftUp;
            // Apply: the dialog's button message reaches the sheet.
            dlg.Button(CDlgGU::kButtonApply)->click();
            seenWhileOpen.push_back(first()->payload);
            return result;
        };
    };
    const std::vector<uint8_t> chosen = {0x09, 0x01, 0, 0, 2};

    pageAnswers.push_back(chooseAndApply(IDCANCEL));
    sheet->ExecuteSymbolKey({3, 608, 0});
    ASSERT_EQ(pageRuns, 1);
    ASSERT_EQ(text(), "[608:]");
    ASSERT_EQ(seenWhileOpen.size(), 1u);
    EXPECT_EQ(seenWhileOpen[0], chosen);
    EXPECT_TRUE(first()->payload.empty());  // Cancel took the applied marks back
    EXPECT_EQ(undoSteps(), 1);              // the inserted form is one step

    // A character typed into the form's content opens its marks again; OK keeps them.
    pageAnswers.push_back(chooseAndApply(IDOK));
    sheet->ExecuteSymbolKey({3, 1042, 0});
    ASSERT_EQ(pageRuns, 2);
    EXPECT_EQ(first()->payload, chosen);

    // The page shows what the element holds, and its content.
    sheet->ExecuteSymbolKey({4, 'N', 0});
    pageAnswers.push_back([&](CDlgGU& dlg) {
        EXPECT_EQ(dlg.propertyList.GetItemChoice(0, ChemPageMarkItem(0, 0)), ChemMarkDot);
        EXPECT_EQ(dlg.propertyList.GetItemChoice(0, ChemPageMarkItem(0, 1)), ChemMarkCross);
        EXPECT_EQ(dlg.propertyList.GetItemChoice(0, ChemPageMarkItem(1, 0)), ChemMarkDot);
        EXPECT_EQ(dlg.propertyList.GetItemChoice(0, ChemPageMarkItem(1, 2)), ChemMarkNone);
        EXPECT_EQ(dlg.propertyList.GetItemChoice(0, kChemPageShiftItem), ChemShiftUp);
        EXPECT_EQ(dlg.propertyList.Item(0, kChemPageContentItem)->text, "N");
        return int(IDOK);
    });
    sheet->EditChemMarks(first());
    EXPECT_EQ(pageRuns, 3);
    EXPECT_EQ(first()->payload, chosen);

    // Only a chemical form has marks to edit.
    sheet->EditChemMarks(first()->children[0]->next);
    EXPECT_EQ(pageRuns, 3);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SymbolKeyTest, ChemicalMarksPagesHoldAFieldForEveryItem) {
    for (const char* language : {"en", "cn"}) {
        SCOPED_TRACE(language);
        const QStringList files =
            CDlgGU::CollectPageFiles(GetModuleFolder() + QStringLiteral("GenDef/efe/") + QLatin1String(language));
        ASSERT_EQ(files.size(), 1);
        CKwEMF page;
        ASSERT_TRUE(page.LoadFile(files.front()));
        ASSERT_FALSE(page.fields.empty());
        // The content text comes first: it sets the page's text size.
        EXPECT_EQ(page.fields.front().item, kChemPageContentItem + 1);
        EXPECT_EQ(page.fields.front().type, 2);
        std::map<int, int> options;
        for (const PictureField& f : page.fields) {
            EXPECT_EQ(f.kind, 3);
            if (f.item != kChemPageContentItem + 1) {
                EXPECT_EQ(f.type, 19) << f.item;
                ++options[f.item];
            }
        }
        ASSERT_EQ(int(options.size()), kChemPageShiftItem + 1);
        for (const auto& [item, count] : options) {
            EXPECT_GE(item, 1);
            EXPECT_LE(item, kChemPageShiftItem + 1);
            EXPECT_EQ(count, 3) << item;
        }
    }
}

TEST_F(SymbolKeyTest, ButtonOfAnotherSettingsDialogOpensItsHelpDocument) {
    show();
    RecordingShellService shell;
    ScopedShellService shellGuard(&shell);
    shell.forcedResult = ShellFileNotFound;
    CDlgGU other(sheet.get());
    SendWindowMessage(sheet.get(), WM_SETTINGS_DIALOG_BUTTON, intptr_t(&other), 0);
    ASSERT_EQ(shell.documents.size(), 1u);
    EXPECT_TRUE(shell.documents[0].endsWith(QStringLiteral("Help/Help.pdf"))) << shell.documents[0].toStdString();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              LangText(QStringLiteral("LANG_01.xml"), QStringLiteral("gMSG_2"), 1) + shell.documents[0]);

    shell.forcedResult = ShellOpened;
    SendWindowMessage(sheet.get(), WM_SETTINGS_DIALOG_BUTTON, intptr_t(&other), 1);
    ASSERT_EQ(shell.documents.size(), 2u);
    EXPECT_TRUE(shell.documents[1].endsWith(QStringLiteral("Help/OCR_Help.pdf")));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(text(), "");
}

// ---- library-item references

TEST_F(SymbolKeyTest, ItemReferencesAreReplacedByCopiesOfTheirFormulas) {
    EqModel oneLine(test::builtInStyle());
    EqBuilder ob(&oneLine);
    EqElement* itemLine = ob.line();
    ob.text(itemLine, u"xy", EqTypeCharItalic);
    EqElement* sub = ob.add(itemLine, 174, 1);
    ob.text(EqBuilder::arg(sub, 0), u"2", EqTypeCharUpright);
    EqModel twoLines(test::builtInStyle());
    EqBuilder tb(&twoLines);
    tb.text(tb.line(), u"a", EqTypeCharItalic);
    tb.text(tb.line(), u"b", EqTypeCharItalic);
    EqModel empty(test::builtInStyle());
    empty.lines.clear();
    host.items = {{2, &oneLine}, {3, &twoLines}, {4, &empty}};

    EqElement* line = b.line();
    b.text(line, u"p", EqTypeCharItalic);
    b.add(line, EqTypeLibraryRef, 0, 2);
    b.text(line, u"q", EqTypeCharItalic);
    EqElement* frac = b.add(line, 128, 2);
    b.add(EqBuilder::arg(frac, 0), EqTypeLibraryRef, 0, 3);
    b.add(EqBuilder::arg(frac, 1), EqTypeLibraryRef, 0, 7);  // unknown: stays
    b.add(line, EqTypeLibraryRef, 0, 4);
    EqElement* second = b.line();
    EqElement* last = b.add(second, EqTypeLibraryRef, 0, 2);
    show();
    SetEquationCaret(&eq, last);

    sheet->ExpandItemReferences(&eq);
    EXPECT_EQ(text(), "pxy[174:2]q[128:[370:a|b]|[65]]/xy[174:2]");
    // The caret on a replaced reference goes to the last copied element.
    EXPECT_EQ(eq.caret, FindChainEnd(eq.lines[1]));
    EXPECT_EQ(eq.caret->type, 174);
    // The copies belong to the equation and are its own.
    const EqElement* x = eq.lines[0]->next->next;
    EXPECT_EQ(x->owner, &eq);
    EXPECT_EQ(x->parent, nullptr);
    EXPECT_NE(x, itemLine->next);
    const EqElement* column = frac->children[0]->next;
    EXPECT_EQ(column->parent, frac);
    EXPECT_EQ(column->children[1]->next->parent, column);
    EXPECT_EQ(test::equationText(oneLine), "xy[174:2]");

    // Without a formula the references stay.
    host.items.clear();
    EqModel scratch(test::builtInStyle());
    EqBuilder sb(&scratch);
    sb.add(sb.line(), EqTypeLibraryRef, 0, 2);
    sheet->ExpandItemReferences(&scratch);
    EXPECT_EQ(test::equationText(scratch), "[65]");
}

}  // namespace
}  // namespace toliva
