// Matrices: the structure a matrix dialog's choice gives, the matrix and
// array templates (with the matrix dialog, the rule-line dialog and named
// cells answered by a script), transposition, and the sheet's matrix
// commands as undo steps.
#include "SheetTestSupport.h"

#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/EditOps.h"
#include "sheet/editing/MatrixOps.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace toliva::test {
namespace {

MatrixChoice choice(int rows, int columns) {
    MatrixChoice c;
    c.rows = rows;
    c.columns = columns;
    c.lineSpacingEntry = 2;  // the dialog's default: normal spacing
    return c;
}

// ---- the structure of a dialog choice

TEST(MatrixRecordTest, TheModeAndTheCountsChooseTheType) {
    struct Case {
        int mode, rows, columns;
        int32_t type;
        int count1, count2;
    };
    const Case cases[] = {
        {0, 2, 3, EqTypeMatrix, 2, 3},        // rows, columns
        {0, 1, 5, EqTypeMatrixRow, 5, 0},     // only columns: a row of them
        {0, 4, 1, EqTypeMatrixColumn, 4, 0},  // only rows: a column
        {0, 1, 1, 0, 0, 0},                   // 1 x 1: nothing
        {1, 3, 4, EqTypeMatrixRow, 4, 0},     // a row takes the columns
        {1, 3, 1, EqTypeMatrixRow, 1, 0},
        {2, 3, 4, EqTypeMatrixColumn, 3, 0},  // a column takes the rows
        {0, 40, 0, EqTypeMatrixColumn, 32, 0},  // counts kept to 1 .. 32
        {0, 99, 99, EqTypeMatrix, 32, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.rows << "x" << c.columns);
        const MatrixRecord r = MatrixRecordOf(c.mode, choice(c.rows, c.columns));
        EXPECT_EQ(r.type, c.type);
        EXPECT_EQ(r.count1, c.count1);
        EXPECT_EQ(r.count2, c.count2);
    }
    EXPECT_EQ(CasesRecordOf(choice(3, 7)).type, EqTypeCases);
    EXPECT_EQ(CasesRecordOf(choice(3, 7)).count1, 3);
}

// Alignment in the low bits, the line spacing code in bits 8-11 (entries
// 0 to 4 give 1, 2, 0, 3, 4) and 0x10 for script size alone: the partition
// choice adds no bit (it runs the rule-line dialog instead).
TEST(MatrixRecordTest, TheFlagsHoldAlignmentLineSpacingAndScriptSize) {
    struct Case {
        int alignment, spacingEntry;
        bool scriptSize, partition;
        uint16_t flags;
    };
    const Case cases[] = {
        {0, 2, false, false, 0x000}, {1, 2, false, false, 0x001}, {4, 2, false, false, 0x004},
        {0, 0, false, false, 0x100}, {0, 1, false, false, 0x200}, {0, 3, false, false, 0x300},
        {0, 4, false, false, 0x400}, {2, 4, true, false, 0x412},  {3, 2, false, true, 0x003},
        {0, 9, false, false, 0x000},  // an unknown entry: normal spacing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.alignment << " " << c.spacingEntry << " " << c.scriptSize);
        MatrixChoice m = choice(2, 2);
        m.alignment = c.alignment;
        m.lineSpacingEntry = c.spacingEntry;
        m.scriptSize = c.scriptSize;
        m.partition = c.partition;
        EXPECT_EQ(MatrixRecordOf(0, m).flags, c.flags);
        EXPECT_EQ(CasesRecordOf(m).flags, c.flags);
    }
}

// ---- templates

class MatrixTemplateTest : public ::testing::Test {
protected:
    MatrixTemplateTest() {
        b.text(b.line(), u"x", EqTypeCharItalic);
        SetEquationCaret(&eq, nullptr);
    }
    TemplateResult insert(int number) {
        return InsertMatrixTemplate(&eq, number, dialogs,
                                    [this](const InsertionKey& key) { return InsertKey(&eq, sel, key); });
    }
    // The element after the "x" of the line.
    EqElement* made() { return eq.lines[0]->next->next; }

    EqModel eq{builtInStyle()};
    EqBuilder b{&eq};
    SheetSelection sel;
    ScriptedEditDialogs dialogs;
};

TEST_F(MatrixTemplateTest, FixedTemplatesInsertTheirBracketAndShape) {
    struct Case {
        int number;
        const char* text;
        uint16_t flags;  // of the matrix
    };
    const Case cases[] = {
        {57, "x[370:]", 0},
        {116, "x[355:[370:|]]", 0},
        {117, "x[355:[370:||]]", 0},
        {119, "x[362:[370:|]]", 2},
        {120, "x[362:[370:||]]", 2},
        {121, "x[372:|]", 1},
        {122, "x[355:[371:|||]]", 0},
        {123, "x[362:[371:|||]]", 0},
        {67, "x[370:|]", 0},             // a column, a row and a square of two
        {68, "x[369:|]", 0},
        {69, "x[371:|||]", 0},
        {73, "x[370:|||]", 0},           // ... of four
        {79, "x[337:[370:|]]", 0},       // 67 in round brackets
        {95, "x[338:[369:||]]", 0},      // 71 in square brackets
        {108, "x[341:[371:||||||||]]", 0},  // 72 + 36: 3 x 3 between bars
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        ClearEquation(&eq);
        b.text(b.line(), u"x", EqTypeCharItalic);
        SetEquationCaret(&eq, nullptr);
        ASSERT_EQ(insert(c.number), TemplateResult::Inserted);
        EXPECT_EQ(equationText(eq), c.text);
        EqElement* m = made();
        while (!IsMatrixType(m->type)) m = m->children.at(0)->next;
        EXPECT_EQ(m->ch, c.flags);
        // The caret is in the first cell.
        EXPECT_EQ(eq.caret, m->children[0]);
    }
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(insert(58), TemplateResult::Unknown);
    EXPECT_EQ(insert(124), TemplateResult::Unknown);
}

TEST_F(MatrixTemplateTest, DialogTemplatesBuildWhatTheDialogChose) {
    struct Case {
        int number;
        int mode;
        MatrixChoice answer;
        const char* text;
    };
    MatrixChoice big = choice(2, 3);
    big.alignment = 2;
    big.scriptSize = true;
    big.lineSpacingEntry = 0;
    const Case cases[] = {
        {64, 2, choice(3, 9), "x[370:||]"},          // a column of the rows
        {65, 1, choice(3, 2), "x[369:|]"},           // a row of the columns
        {66, 0, big, "x[371:|||||]"},
        {66, 0, choice(1, 3), "x[369:||]"},
        {88, 2, choice(2, 1), "x[338:[370:|]]"},     // 64 in square brackets
        {118, 2, choice(3, 1), "x[372:||]"},         // a case list
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        ClearEquation(&eq);
        b.text(b.line(), u"x", EqTypeCharItalic);
        SetEquationCaret(&eq, nullptr);
        dialogs.matrixRequests.clear();
        dialogs.matrixAnswers.push_back({true, c.answer});
        ASSERT_EQ(insert(c.number), TemplateResult::Inserted);
        EXPECT_EQ(equationText(eq), c.text);
        ASSERT_EQ(dialogs.matrixRequests.size(), 1u);
        const MatrixRequest& asked = dialogs.matrixRequests[0];
        EXPECT_EQ(asked.mode, c.mode);
        // The case list asks for left alignment and offers no names; the
        // others keep the dialog's alignment and take names.
        EXPECT_EQ(asked.hideFill, c.number == 118);
        EXPECT_EQ(asked.wantNames, c.number != 118);
        EXPECT_EQ(asked.alignment, c.number == 118 ? 1 : -1);
    }
    // The flags of the 2 x 3 matrix: right aligned, script size, spacing 1.
    ClearEquation(&eq);
    b.text(b.line(), u"x", EqTypeCharItalic);
    SetEquationCaret(&eq, nullptr);
    dialogs.matrixAnswers.push_back({true, big});
    insert(66);
    EXPECT_EQ(made()->ch, 0x112);
    EXPECT_EQ(GetMatrixShape(made()).count2, 2);
    EXPECT_EQ(GetMatrixShape(made()).count1, 3);
}

TEST_F(MatrixTemplateTest, CancelOrOneCellInsertsNothingNotEvenTheBracket) {
    const QByteArray before = EquationToBytes(&eq);
    for (int number : {64, 66, 88, 102, 118}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(insert(number), TemplateResult::Cancelled);  // no answer: Cancel
        EXPECT_EQ(EquationToBytes(&eq), before);
    }
    dialogs.matrixAnswers.push_back({true, choice(1, 1)});
    EXPECT_EQ(insert(78), TemplateResult::Cancelled);  // 66 in round brackets, 1 x 1
    EXPECT_EQ(EquationToBytes(&eq), before);
}

TEST_F(MatrixTemplateTest, PartitionRunsTheRuleLineDialogOnTheNewMatrix) {
    MatrixChoice c = choice(2, 3);
    c.partition = true;
    dialogs.matrixAnswers.push_back({true, c});
    ScriptedEditDialogs::LinesAnswer lines;
    lines.ok = true;
    lines.rules[0] = 0x01;  // the first line between columns, dotted
    lines.rules[4] = 0x01;  // the line between the rows
    dialogs.linesAnswers.push_back(lines);
    ASSERT_EQ(insert(66), TemplateResult::Inserted);
    ASSERT_EQ(dialogs.linesRequests.size(), 1u);
    EXPECT_EQ(dialogs.linesRequests[0].rows, 2);
    EXPECT_EQ(dialogs.linesRequests[0].columns, 3);
    const MatrixShape shape = GetMatrixShape(made());
    EXPECT_EQ(MatrixRuleMask(shape, 0), 1u);
    EXPECT_EQ(MatrixRuleMask(shape, 1), 1u);
    EXPECT_EQ(shape.count2, 2);  // the counts stay ahead of the rules
    EXPECT_EQ(shape.count1, 3);

    // Cancelled, the matrix stays without lines.
    ClearEquation(&eq);
    b.text(b.line(), u"x", EqTypeCharItalic);
    SetEquationCaret(&eq, nullptr);
    dialogs.matrixAnswers.push_back({true, c});
    ASSERT_EQ(insert(66), TemplateResult::Inserted);
    EXPECT_EQ(made()->payload.size(), 2u);
}

TEST_F(MatrixTemplateTest, NamesFillTheCellsInOrder) {
    MatrixChoice c = choice(2, 3);
    c.entryStyle = 2;  // bold
    c.names = {"a", "11", ".", "-", "b", "", "", "", ".", "|", "+", ""};
    dialogs.matrixAnswers.push_back({true, c});
    ASSERT_EQ(insert(66), TemplateResult::Inserted);
    EXPECT_EQ(equationText(eq), "x[371:a[174:11]|[1106]|b||[1107]|+]");
    EqElement* m = made();
    EXPECT_EQ(m->children[0]->next->type, EqTypeCharBold);
    EXPECT_EQ(m->children[0]->next->next->children[0]->next->type, EqTypeCharItalic);  // subscripts italic
    EXPECT_EQ(m->children[2]->next->type, EqTypeCharBold);
}

// ---- filling, rule lines and transposition on their own

TEST(FillMatrixCellsTest, EachPairFillsOneCell) {
    struct Case {
        const char* text;
        const char* subscript;
        int style;
        const char* cell;
        int32_t firstType;
    };
    const Case cases[] = {
        {".", "-", 1, "[1106]", 1106},  {".", "|", 1, "[1107]", 1107}, {".", "\\", 1, "[1108]", 1108},
        {".", "/", 1, "[1109]", 1109},  {".", "", 1, ".", 2},          {"xy", "", 1, "xy", EqTypeCharItalic},
        {"x", "", 3, "x", EqTypeCharBoldItalic}, {"x", "", 0, "x", EqTypeCharUpright},
        {"x", "n", 4, "x[174:n]", EqTypeCharUpright}, {"", "n", 1, "q", EqTypeCharItalic},  // empty text: kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << "/" << c.subscript << " " << c.style);
        EqModel eq{builtInStyle()};
        EqBuilder b(&eq);
        EqElement* m = b.add(b.line(), EqTypeMatrixRow, 2);
        b.text(m->children[0], u"q", EqTypeCharItalic);
        SheetSelection sel;
        const int filled = FillMatrixCells(&eq, m, {c.text, c.subscript, "z", ""}, c.style,
                                           [&](const InsertionKey& key) { return InsertKey(&eq, sel, key); });
        const std::string expected = std::string(*c.text ? "q" : "") + c.cell;
        EXPECT_EQ(chainText(m->children[0]), *c.text ? expected : "q");
        EXPECT_EQ(chainText(m->children[1]), "z");
        EXPECT_EQ(filled, *c.text ? 2 : 1);
        if (*c.text) {
            EXPECT_EQ(m->children[0]->next->next->type, c.firstType);
        }
    }
}

TEST(FillMatrixCellsTest, OnlyRowsColumnsAndMatricesAndOnlyAsManyCellsAsThereAre) {
    EqModel eq{builtInStyle()};
    EqBuilder b(&eq);
    EqElement* cases = b.add(b.line(), EqTypeCases, 2);
    SheetSelection sel;
    const KeyInserter insert = [&](const InsertionKey& key) { return InsertKey(&eq, sel, key); };
    EXPECT_EQ(FillMatrixCells(&eq, cases, {"a", ""}, 1, insert), 0);
    EqElement* row = b.add(eq.lines[0], EqTypeMatrixRow, 2);
    EXPECT_EQ(FillMatrixCells(&eq, row, {"a", "", "b", "", "c", "", "d"}, 1, insert), 2);
    EXPECT_EQ(chainText(eq.lines[0]), "[372:|][369:a|b]");
}

TEST(MatrixLinesTest, TheRuleLineDialogRunsOnMatricesWithAGapBetweenCells) {
    EqModel eq{builtInStyle()};
    EqBuilder b(&eq);
    EqElement* line = b.line();
    ScriptedEditDialogs dialogs;
    // 1 x 1, case lists and other structures take no lines.
    EXPECT_FALSE(EditMatrixRules(b.add(line, EqTypeMatrixColumn, 1), dialogs));
    EXPECT_FALSE(EditMatrixRules(b.add(line, EqTypeCases, 3), dialogs));
    EXPECT_FALSE(EditMatrixRules(b.add(line, EqTypeFraction, 2), dialogs));
    EXPECT_TRUE(dialogs.asked.empty());

    EqElement* m = b.add(line, EqTypeMatrix, 6);
    SetMatrixCounts(m, 3, 2);
    uint8_t record[32] = {};
    record[12] = 0x02;  // the second line between rows, bit 1 of its style
    SetMatrixRules(m, record);
    EXPECT_FALSE(EditMatrixRules(m, dialogs));  // no answer: Cancel
    ASSERT_EQ(dialogs.linesRequests.size(), 1u);
    EXPECT_EQ(dialogs.linesRequests[0].rows, 3);
    EXPECT_EQ(dialogs.linesRequests[0].columns, 2);
    EXPECT_EQ(dialogs.linesRequests[0].rules[12], 0x02);
    EXPECT_EQ(MatrixRuleMask(GetMatrixShape(m), 3), 2u);

    ScriptedEditDialogs::LinesAnswer clear;
    clear.ok = true;
    dialogs.linesAnswers.push_back(clear);
    EXPECT_TRUE(EditMatrixRules(m, dialogs));
    EXPECT_EQ(m->payload, (std::vector<uint8_t>{3, 2}));  // all cleared: no record
}

// A matrix of rows x columns cells (371, or 369 and 370 for one row or
// column) holding "a", "b", ... in row order.
EqElement* addMatrix(EqBuilder& b, EqElement* line, int rows, int columns) {
    const int32_t type = rows > 1 && columns > 1 ? EqTypeMatrix : rows > 1 ? EqTypeMatrixColumn : EqTypeMatrixRow;
    EqElement* m = b.add(line, type, rows * columns, 0x13);
    if (type == EqTypeMatrix) SetMatrixCounts(m, rows, columns);
    for (int i = 0; i < rows * columns; ++i) b.text(m->children[size_t(i)], std::u16string(1, char16_t(u'a' + i)));
    return m;
}

TEST(TransposeMatrixTest, RowsBecomeColumns) {
    struct Case {
        int rows, columns;
        const char* after;
        int32_t type;
        int newRows, newColumns;
    };
    const Case cases[] = {
        {1, 2, "[370:a|b]", EqTypeMatrixColumn, 2, 1},
        {2, 1, "[369:a|b]", EqTypeMatrixRow, 1, 2},
        {2, 3, "[371:a|d|b|e|c|f]", EqTypeMatrix, 3, 2},
        {3, 2, "[371:a|c|e|b|d|f]", EqTypeMatrix, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << "x" << c.columns);
        EqModel eq{builtInStyle()};
        EqBuilder b(&eq);
        EqElement* m = addMatrix(b, b.line(), c.rows, c.columns);
        ASSERT_TRUE(TransposeMatrix(m));
        EXPECT_EQ(chainText(eq.lines[0]), c.after);
        EXPECT_EQ(m->type, c.type);
        const MatrixShape shape = GetMatrixShape(m);
        EXPECT_EQ(shape.count2, c.newRows);
        EXPECT_EQ(shape.count1, c.newColumns);
        EXPECT_EQ(m->ch, 0x13);  // the flags stay
        // Twice gives the start again.
        ASSERT_TRUE(TransposeMatrix(m));
        EXPECT_EQ(GetMatrixShape(m).count2, c.rows);
        EXPECT_EQ(GetMatrixShape(m).count1, c.columns);
    }
}

TEST(TransposeMatrixTest, RuleLinesChangeDirectionAndEllipsesTurn) {
    EqModel eq{builtInStyle()};
    EqBuilder b(&eq);
    EqElement* m = b.add(b.line(), EqTypeMatrix, 6);
    SetMatrixCounts(m, 2, 3);
    uint8_t record[32] = {};
    for (int mask = 0; mask < 8; ++mask) record[4 * mask] = uint8_t(mask + 1);  // each mask its own value
    SetMatrixRules(m, record);
    b.add(m->children[0], 1106);
    b.add(m->children[1], 1107);
    b.add(m->children[2], 1106);
    b.add(m->children[2], 1106);  // two elements: left as they are
    b.add(m->children[3], 1108);  // diagonals stay
    b.text(m->children[4], u"a");
    ASSERT_TRUE(TransposeMatrix(m));
    const MatrixShape shape = GetMatrixShape(m);
    const std::array<uint32_t, 8> swapped = {2, 1, 4, 3, 6, 5, 8, 7};
    for (int mask = 0; mask < 8; ++mask) EXPECT_EQ(MatrixRuleMask(shape, mask), swapped[size_t(mask)]) << mask;
    EXPECT_EQ(m->payload.size(), 34u);
    // Cells (0,0) (0,1) (0,2) (1,0) go to places 0, 2, 4, 1.
    EXPECT_EQ(chainText(eq.lines[0]), "[371:[1107]|[1108]|[1106]|a|[1106][1106]|]");

    // A matrix without lines gets no record.
    EqElement* row = addMatrix(b, eq.lines[0], 1, 3);
    ASSERT_TRUE(TransposeMatrix(row));
    EXPECT_TRUE(row->payload.empty());
}

TEST(TransposeMatrixTest, OneCellAndBrokenMatricesAreLeftAlone) {
    EqModel eq{builtInStyle()};
    EqBuilder b(&eq);
    EqElement* line = b.line();
    EqElement* single = addMatrix(b, line, 1, 1);
    EqElement* cases = b.add(line, EqTypeCases, 3);
    EqElement* broken = b.add(line, EqTypeMatrix, 5);
    SetMatrixCounts(broken, 2, 3);  // five cells for six places
    EqElement* noCounts = b.add(line, EqTypeMatrix, 4);
    const QByteArray before = EquationToBytes(&eq);
    for (EqElement* m : {single, cases, broken, noCounts}) {
        EXPECT_FALSE(CanTransposeMatrix(m));
        EXPECT_FALSE(TransposeMatrix(m));
    }
    EXPECT_EQ(EquationToBytes(&eq), before);
}

// ---- through the sheet

class MatrixSheetTest : public ::testing::Test {
protected:
    // The sheet on the equation built so far.
    void show() {
        sheet = std::make_unique<CKwEESheet>(app, programContext(), nullptr, std::make_unique<HeadlessSheetBackend>());
        sheet->setEditDialogs(&dialogs);
        ShowSheetOffscreen(*sheet, QSize(400, 300), &eq);
    }
    QByteArray bytes() { return EquationToBytes(&eq); }
    int undoSteps() { return sheet->undoHistory().undoCount(); }

    AppContext app;
    EqModel eq{builtInStyle()};
    EqBuilder b{&eq};
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CKwEESheet> sheet;
};

TEST_F(MatrixSheetTest, AMatrixTemplateIsOneUndoStepAndCancelLeavesNone) {
    b.text(b.line(), u"x", EqTypeCharItalic);
    show();
    SetEquationCaret(&eq, nullptr);
    const QByteArray before = bytes();

    sheet->InsertMatrixTemplate(90);  // 66 in square brackets: Cancel
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(undoSteps(), 0);

    MatrixChoice c = choice(2, 2);
    c.names = {"a", "", "b", "", "c", "", "d", ""};
    dialogs.matrixAnswers.push_back({true, c});
    sheet->InsertMatrixTemplate(90);
    EXPECT_EQ(equationText(eq), "x[338:[371:a|b|c|d]]");
    EXPECT_EQ(undoSteps(), 1);
    sheet->Undo();
    EXPECT_EQ(equationText(eq), "x");
}

TEST_F(MatrixSheetTest, ARowIsRefusedAt32RowsWithoutAnUndoStepAndRedoIsKept) {
    EqElement* column = b.add(b.line(), EqTypeMatrixColumn, kMaxMatrixRows - 1);
    show();
    SetEquationCaret(&eq, column->children[3]);
    EXPECT_TRUE(sheet->AddMatrixLine(3));
    EXPECT_EQ(column->children.size(), size_t(kMaxMatrixRows));
    EXPECT_EQ(undoSteps(), 1);

    // At 32 rows no row is added: nothing changes and no step is taken.
    const QByteArray full = bytes();
    EXPECT_FALSE(sheet->AddMatrixLine(1));
    EXPECT_FALSE(sheet->AddMatrixLine(3));
    EXPECT_EQ(bytes(), full);
    EXPECT_EQ(undoSteps(), 1);

    // A refused change keeps the redo step that a new step would drop.
    sheet->Undo();
    ASSERT_EQ(sheet->undoHistory().redoCount(), 1);
    SetEquationCaret(&eq, eq.lines[0]->next->children[0]);
    EXPECT_FALSE(sheet->RemoveMatrixLine(0));  // its only column
    EXPECT_EQ(sheet->undoHistory().redoCount(), 1);
    EXPECT_EQ(undoSteps(), 0);
}

TEST_F(MatrixSheetTest, TransposeLinesAndFillWorkOnTheMatrixAroundTheCaret) {
    EqElement* line = b.line();
    EqElement* m = addMatrix(b, line, 2, 3);
    EqElement* root = b.add(m->children[4], EqTypeSqrt, 1);
    show();
    // The caret deep in a cell: the matrix around it is meant.
    SetEquationCaret(&eq, root->children[0]);
    EXPECT_TRUE(sheet->TransposeMatrixAtCaret());
    EXPECT_EQ(GetMatrixShape(m).count2, 3);
    EXPECT_EQ(undoSteps(), 1);

    // The rule-line dialog: Cancel leaves no step, OK one.
    sheet->MatrixLinesAtCaret(true);
    EXPECT_EQ(undoSteps(), 1);
    ASSERT_EQ(dialogs.linesRequests.size(), 1u);
    EXPECT_EQ(dialogs.linesRequests[0].rows, 3);
    ScriptedEditDialogs::LinesAnswer lines;
    lines.ok = true;
    lines.rules[4] = 0x03;
    dialogs.linesAnswers.push_back(lines);
    sheet->MatrixLinesAtCaret(true);
    EXPECT_EQ(undoSteps(), 2);
    EXPECT_EQ(MatrixRuleMask(GetMatrixShape(m), 1), 3u);

    // Filling: the empty texts add nothing; without any text no step.
    sheet->FillMatrixAtCaret({"", "x", ""}, 1);
    EXPECT_EQ(undoSteps(), 2);
    sheet->FillMatrixAtCaret({"", "", "k+", "1"}, 1);
    EXPECT_EQ(undoSteps(), 3);
    // Typed as the keyboard types: "+" becomes the plus operator.
    EXPECT_EQ(chainText(m->children[1]), "dk[1042][174:1]");

    // Outside any matrix nothing happens.
    SetEquationCaret(&eq, line);
    EXPECT_FALSE(sheet->TransposeMatrixAtCaret());
    sheet->MatrixLinesAtCaret(true);
    sheet->FillMatrixAtCaret({"z", ""}, 1);
    EXPECT_EQ(undoSteps(), 3);
    EXPECT_EQ(dialogs.linesRequests.size(), 2u);
}

}  // namespace
}  // namespace toliva::test
