// The matrix dialog and the rule-line dialog as the program runs them for
// its sheet: the strip's matrix cells through the view (shape, bracket,
// case list, names from auto-fill and from a template), the partition that
// opens the rule-line dialog on the new matrix, and a damaged matrix that
// the rule-line dialog is not given.
#include "ShellTestSupport.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "model/SymbolKey.h"
#include "panels/CDlgMatVecTemp.h"
#include "panels/CDlgSetMatVecSL.h"
#include "panels/CDlgSetMatrix.h"
#include "panels/CDlgCreateAW.h"
#include "sheet/CKwEESheet.h"
#include "shell/ShellEditDialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace toliva::test {
namespace {

constexpr int kMatrixKind = 5;

// The first matrix element (369 to 372) of a chain or below it.
EqElement* findMatrix(EqElement* head) {
    for (EqElement* e = head; e; e = e->next) {
        if (IsMatrixType(e->type)) return e;
        for (EqElement* child : e->children)
            if (EqElement* m = findMatrix(child)) return m;
    }
    return nullptr;
}

// A cell's content: its characters, "_" before a subscript's, "…" "⋮" "⋱"
// for the ellipses.
QString cellText(const EqElement* head) {
    QString text;
    for (const EqElement* e = head ? head->next : nullptr; e; e = e->next) {
        if (e->type == EqTypeSubscript) text += QLatin1Char('_') + cellText(e->children.empty() ? nullptr : e->children[0]);
        else if (e->type == 1106) text += QStringLiteral("…");
        else if (e->type == 1107) text += QStringLiteral("⋮");
        else if (e->type == 1108) text += QStringLiteral("⋱");
        else if (e->ch) text += QChar(e->ch);
    }
    return text;
}

QStringList cellTexts(const EqElement* matrix) {
    QStringList texts;
    for (const EqElement* cell : matrix->children) texts << cellText(cell);
    return texts;
}

class MatrixDialogsShellTest : public ProgramFixture {
protected:
    void start() {
        ASSERT_TRUE(startProgram());
        sheet().setFocus();
    }
    EqElement* matrix() { return findMatrix(sheet().equation()->lines[0]); }
    // The matrix dialog answered with typed counts and Create.
    void answerMatrix(const char* rows, const char* columns, bool partition = false) {
        view().editDialogs()->runMatrix = [=, this](CDlgSetMatrix& d) {
            ++matrixRuns;
            lastMode = d.m_nMode;
            fillShown = d.autoFillButton()->isVisibleTo(&d);
            d.rowsEdit()->setText(QString::fromLatin1(rows));
            d.columnsEdit()->setText(QString::fromLatin1(columns));
            d.partitionBox()->setChecked(partition);
            d.createButton()->click();
            return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
        };
    }
    int matrixRuns = 0;
    int lastMode = -1;
    bool fillShown = false;
};

TEST_F(MatrixDialogsShellTest, StripMatrixCellsAskTheShapeAndInsertIt) {
    start();
    const struct {
        int code;
        const char *rows, *columns;
        int mode;
        int32_t type;
        int count1, count2;
        int32_t bracket;  // the structure the matrix lies in, 0 for none
    } cases[] = {
        {66, "2", "3", 0, EqTypeMatrix, 3, 2, 0},        // columns, rows
        {66, "1", "40", 0, EqTypeMatrixRow, 32, 1, 0},   // a typed 40 is 32
        {65, "9", "4", 1, EqTypeMatrixRow, 4, 1, 0},     // a row: the columns
        {64, "abc", "4", 2, EqTypeMatrixColumn, 1, 1, 0},  // a column of 1 ...
        {64, "3.9", "4", 2, EqTypeMatrixColumn, 1, 3, 0},  // ... and of 3
        {90, "2", "2", 0, EqTypeMatrix, 2, 2, 338},      // in square brackets
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        answerMatrix(c.rows, c.columns);
        const int runs = matrixRuns;
        view().TakeSymbolKey(SymbolKey{kMatrixKind, c.code, 0});
        EXPECT_EQ(matrixRuns, runs + 1);
        EXPECT_EQ(lastMode, c.mode);
        EXPECT_TRUE(fillShown);
        EqElement* m = matrix();
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->type, c.type);
        const MatrixShape shape = GetMatrixShape(m);
        EXPECT_EQ(shape.count1, c.count1);
        EXPECT_EQ(shape.count2, c.count2);
        if (c.bracket) {
            ASSERT_NE(FindChainStart(m)->parent, nullptr);
            EXPECT_EQ(FindChainStart(m)->parent->type, c.bracket);
        }
        // One undo step takes it away.
        sheet().Undo();
        EXPECT_EQ(matrix(), nullptr);
    }

    // Cancel, or a 1 x 1 matrix, inserts nothing.
    view().editDialogs()->runMatrix = [](CDlgSetMatrix& d) {
        d.cancelButton()->click();
        return IDCANCEL;
    };
    view().TakeSymbolKey(SymbolKey{kMatrixKind, 66, 0});
    EXPECT_EQ(matrix(), nullptr);
    answerMatrix("1", "1");
    view().TakeSymbolKey(SymbolKey{kMatrixKind, 66, 0});
    EXPECT_EQ(matrix(), nullptr);
}

TEST_F(MatrixDialogsShellTest, TheCaseListHidesTheFillButtonsAndStartsLeftAligned) {
    start();
    bool leftChecked = false;
    view().editDialogs()->runMatrix = [&](CDlgSetMatrix& d) {
        fillShown = d.autoFillButton()->isVisibleTo(&d) || d.partitionBox()->isVisibleTo(&d);
        leftChecked = d.alignButton(CDlgSetMatrix::kAlignLeft)->isChecked();
        EXPECT_FALSE(d.columnsEdit()->isVisibleTo(&d));
        EXPECT_EQ(d.m_pNames, nullptr);
        d.rowsEdit()->setText(QStringLiteral("4"));
        d.createButton()->click();
        return IDOK;
    };
    view().TakeSymbolKey(SymbolKey{kMatrixKind, 118, 0});
    EXPECT_FALSE(fillShown);
    EXPECT_TRUE(leftChecked);
    EqElement* m = matrix();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->type, EqTypeCases);
    EXPECT_EQ(m->children.size(), 4u);
}

TEST_F(MatrixDialogsShellTest, AutoFillAndTemplatesNameTheCells) {
    start();
    // Auto-fill of a 2 x 3 matrix named "a" in the word dialog's short form
    // (italic preset), typed bold.
    view().editDialogs()->runEntryName = [](CDlgCreateAW& d) {
        EXPECT_EQ(d.m_nMode, 1);
        EXPECT_FALSE(d.enabledCheck()->isVisibleTo(&d));
        EXPECT_TRUE(d.styleButton(1)->isChecked());
        d.wordEdit()->setText(QStringLiteral("a"));
        d.styleButton(2)->click();
        d.okButton()->click();
        return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    view().editDialogs()->runMatrix = [](CDlgSetMatrix& d) {
        d.rowsEdit()->setText(QStringLiteral("2"));
        d.columnsEdit()->setText(QStringLiteral("3"));
        d.autoFillButton()->click();
        return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    view().TakeSymbolKey(SymbolKey{kMatrixKind, 66, 0});
    EqElement* m = matrix();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(cellTexts(m), (QStringList{QStringLiteral("a_11"), QStringLiteral("a_12"), QStringLiteral("a_13"),
                                         QStringLiteral("a_21"), QStringLiteral("a_22"), QStringLiteral("a_23")}));
    EXPECT_EQ(m->children[0]->next->type, EqTypeCharBold);

    // Template 11 with "x": a column of x1, a vertical ellipsis and xn.
    sheet().Undo();
    ASSERT_EQ(matrix(), nullptr);
    view().editDialogs()->runEntryName = [](CDlgCreateAW& d) {
        d.wordEdit()->setText(QStringLiteral("x"));
        d.okButton()->click();
        return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    view().editDialogs()->runMatrix = [](CDlgSetMatrix& d) {
        d.show();
        d.OnShowTemplates();
        d.templateWindow()->OnInsertTemplate(11);
        d.hide();
        return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    view().TakeSymbolKey(SymbolKey{kMatrixKind, 64, 0});
    m = matrix();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->type, EqTypeMatrixColumn);
    EXPECT_EQ(cellTexts(m), (QStringList{QStringLiteral("x_1"), QStringLiteral("⋮"), QStringLiteral("x_n")}));
    EXPECT_EQ(m->children[0]->next->type, EqTypeCharItalic);

    // A cancelled name leaves the matrix dialog open: its Cancel then
    // inserts nothing.
    sheet().Undo();
    view().editDialogs()->runEntryName = [](CDlgCreateAW& d) {
        d.wordEdit()->setText(QStringLiteral("y"));
        d.cancelButton()->click();
        return IDCANCEL;
    };
    view().editDialogs()->runMatrix = [](CDlgSetMatrix& d) {
        d.autoFillButton()->click();
        EXPECT_NE(d.result(), QDialog::Accepted);
        d.cancelButton()->click();
        return IDCANCEL;
    };
    view().TakeSymbolKey(SymbolKey{kMatrixKind, 66, 0});
    EXPECT_EQ(matrix(), nullptr);
}

TEST_F(MatrixDialogsShellTest, PartitionOpensTheRuleLineDialogOnTheNewMatrix) {
    start();
    answerMatrix("3", "3", true);
    int lineRuns = 0;
    view().editDialogs()->runMatrixLines = [&](CDlgSetMatVecSL& d) {
        ++lineRuns;
        EXPECT_EQ(d.m_nColumns, 3);
        EXPECT_EQ(d.m_nRows, 3);
        d.styleButton(7)->click();
        d.button(CDlgSetMatVecSL::kSetAllVert)->click();
        d.button(CDlgSetMatVecSL::kOk)->click();
        return IDOK;
    };
    view().TakeSymbolKey(SymbolKey{kMatrixKind, 66, 0});
    EXPECT_EQ(lineRuns, 1);
    EqElement* m = matrix();
    ASSERT_NE(m, nullptr);
    const MatrixShape shape = GetMatrixShape(m);
    // Code 8 on both vertical lines: bits 0 and 1 of the plane at 24.
    EXPECT_EQ(shape.rules[24], 0x03);
    EXPECT_EQ(std::count(std::begin(shape.rules), std::end(shape.rules), 0), 31);

    // The matrix's lines again from the sheet: Cancel keeps them.
    view().editDialogs()->runMatrixLines = [&](CDlgSetMatVecSL& d) {
        ++lineRuns;
        EXPECT_EQ(d.codes(), (std::vector<uint8_t>{8, 8, 0, 0}));
        d.button(CDlgSetMatVecSL::kClearAll)->click();
        d.button(CDlgSetMatVecSL::kCancel)->click();
        return IDCANCEL;
    };
    sheet().MatrixLinesAtCaret(true);
    EXPECT_EQ(lineRuns, 2);
    EXPECT_EQ(GetMatrixShape(m).rules[24], 0x03);
}

// A matrix whose stored shape says no columns, or more than 33, is not
// given to the rule-line dialog, and nothing changes.
TEST_F(MatrixDialogsShellTest, ADamagedMatrixIsNotGivenToTheRuleLineDialog) {
    start();
    answerMatrix("2", "3");
    view().TakeSymbolKey(SymbolKey{kMatrixKind, 66, 0});
    EqElement* m = matrix();
    ASSERT_NE(m, nullptr);
    ASSERT_GE(m->payload.size(), 2u);
    int lineRuns = 0;
    view().editDialogs()->runMatrixLines = [&](CDlgSetMatVecSL& d) {
        ++lineRuns;
        d.button(CDlgSetMatVecSL::kSetAll)->click();
        d.button(CDlgSetMatVecSL::kOk)->click();
        return IDOK;
    };
    const std::vector<uint8_t> intact = m->payload;
    for (const auto& [rows, columns] : {std::pair{5, 0}, std::pair{2, 40}, std::pair{34, 1}}) {
        SCOPED_TRACE(testing::Message() << rows << "x" << columns);
        m->payload[0] = uint8_t(rows);
        m->payload[1] = uint8_t(columns);
        const std::vector<uint8_t> damaged = m->payload;
        sheet().MatrixLinesAtCaret(true);
        EXPECT_EQ(lineRuns, 0);
        EXPECT_EQ(m->payload, damaged);
    }
    // The same matrix intact opens it.
    m->payload = intact;
    sheet().MatrixLinesAtCaret(true);
    EXPECT_EQ(lineRuns, 1);
}

}  // namespace
}  // namespace toliva::test
