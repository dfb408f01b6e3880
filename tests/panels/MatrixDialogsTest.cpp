// The matrix dialog, its template window and the rule-line dialog: typed
// counts, the names of auto-fill and of the twelve templates, the values
// kept in the registry (rows as "COLS", columns as "ROWS"), the rule-line
// record packed and unpacked, clicks on the preview, the shapes the
// rule-line dialog refuses, and how both dialogs look in both languages.
#include "panels/CDlgMatVecTemp.h"
#include "panels/CDlgSetMatVecSL.h"
#include "panels/CDlgSetMatrix.h"
#include "panels/CDlgToolbar.h"
#include "panels/MatrixDialogWork.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "uikit/CKwEMF.h"
#include "uikit/LangTable.h"

#include "tests/panels/PanelTestSupport.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

namespace toliva::test {
namespace {

// Pairs as "text/subscript" joined by spaces.
QString joined(const QStringList& names) {
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < names.size(); i += 2) pairs << names[i] + QLatin1Char('/') + names[i + 1];
    return pairs.join(QLatin1Char(' '));
}

int readDword(const QString& name) {
    RegKey key;
    int value = -999;
    if (OpenRegKey(kMatrixDialogKey, key)) ReadRegDword(key, name, value, -999);
    return value;
}

void writeDword(const QString& name, int value) {
    RegKey key;
    ASSERT_TRUE(OpenRegKey(kMatrixDialogKey, key));
    ASSERT_TRUE(WriteRegDword(key, name, value));
}

void clickAt(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(widget->mapToGlobal(at)), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(widget->mapToGlobal(at)), button,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

class MatrixDialogFixture : public PanelHomeFixture {
protected:
    RecordingMessageSink messages;
    ScopedMessageSink scopedMessages{&messages};
};

// ---- typed counts

TEST(MatrixCountTest, TypedTextIsReadAsANumberTruncatedAndKeptToOneToThirtyTwo) {
    const std::pair<const char*, int> cases[] = {
        {"40", 32}, {"abc", 1}, {"3.9", 3},  {"", 1},        {"0", 1},    {"-5", 1},    {" 7", 7},
        {"32", 32}, {"33", 32}, {"12ab", 12}, {"1e1", 10},   {"0.99", 1}, {"nan", 1},   {"inf", 1},
        {"99999999999999999999999", 32},      {"1e400", 32}, {"+4", 4},   {".5e1", 5},  {"x5", 1},
    };
    for (const auto& [text, count] : cases) EXPECT_EQ(ParseMatrixCount(QString::fromLatin1(text)), count) << text;
}

// ---- names

TEST(MatrixNamesTest, VectorsMatricesAndTheSingleCell) {
    EXPECT_EQ(joined(MatrixNames(QStringLiteral("a"), 2, 3)), QStringLiteral("a/11 a/12 a/13 a/21 a/22 a/23"));
    EXPECT_EQ(joined(MatrixNames(QStringLiteral("b"), 1, 3)), QStringLiteral("b/1 b/2 b/3"));
    EXPECT_EQ(joined(MatrixNames(QStringLiteral("b"), 3, 1)), QStringLiteral("b/1 b/2 b/3"));
    EXPECT_EQ(joined(MatrixNames(QStringLiteral("c"), 1, 1)), QStringLiteral("c/1"));
    EXPECT_EQ(joined(VectorNames(QStringLiteral("λ"), 2)), QStringLiteral("λ/1 λ/2"));
    EXPECT_EQ(ExpandTemplateText(QStringLiteral("?"), QStringLiteral("xy")), QStringLiteral("xy"));
    EXPECT_EQ(ExpandTemplateText(QStringLiteral("?+?"), QStringLiteral("k")), QStringLiteral("k+k"));
    EXPECT_EQ(ExpandTemplateText(QStringLiteral("."), QStringLiteral("k")), QStringLiteral("."));
}

// ---- the matrix dialog

class MatrixDialogTest : public MatrixDialogFixture {
protected:
    // A dialog with a name list whose name question answers name (an empty
    // name cancels).
    std::unique_ptr<CDlgSetMatrix> dialog(int mode, const QString& name = QStringLiteral("a")) {
        auto d = std::make_unique<CDlgSetMatrix>(context);
        d->m_nMode = mode;
        d->m_pNames = &names;
        d->askEntryName = [this, name](QString& out, int& style) {
            ++asked;
            out = name;
            style = 2;
            return !name.isEmpty();
        };
        return d;
    }
    QStringList names;
    int asked = 0;
};

TEST_F(MatrixDialogTest, CreateReadsTheTypedCountsClampedAndTheChoices) {
    struct Case {
        const char *rows, *columns;
        int wantRows, wantColumns;
    };
    const Case cases[] = {{"2", "3", 2, 3}, {"40", "abc", 32, 1}, {"3.9", " 5x", 3, 5}, {"0", "-2", 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        auto d = dialog(0);
        d->runModal = [&](CDlgSetMatrix& m) {
            m.rowsEdit()->setText(QString::fromLatin1(c.rows));
            m.columnsEdit()->setText(QString::fromLatin1(c.columns));
            m.alignButton(CDlgSetMatrix::kAlignAtEquals)->setChecked(true);
            m.lineSpacingList()->setCurrentIndex(4);
            m.scriptSizeBox()->setChecked(true);
            m.partitionBox()->setChecked(true);
            m.createButton()->click();
            return m.result() == QDialog::Accepted ? IDOK : IDCANCEL;
        };
        ASSERT_EQ(d->DoModal(), IDOK);
        EXPECT_EQ(d->m_nRows, c.wantRows);
        EXPECT_EQ(d->m_nCols, c.wantColumns);
        EXPECT_EQ(d->m_nAlign, 3);
        EXPECT_EQ(d->m_nLineSpacing, 4);
        EXPECT_EQ(d->m_nScriptSize, 1);
        EXPECT_EQ(d->m_nPartition, 1);
        EXPECT_TRUE(names.isEmpty());
        EXPECT_EQ(asked, 0);
    }
}

TEST_F(MatrixDialogTest, ArrowsStepFromTheTypedCountAndStayWithinOneToThirtyTwo) {
    auto d = dialog(0);
    d->OnInitDialog();
    d->rowsEdit()->setText(QStringLiteral("31"));
    d->rowsUp()->click();
    EXPECT_EQ(d->rowsEdit()->text(), QStringLiteral("32"));
    d->rowsUp()->click();  // past 32
    EXPECT_EQ(d->rowsEdit()->text(), QStringLiteral("32"));
    EXPECT_EQ(d->m_nRows, 32);
    d->rowsEdit()->setText(QStringLiteral("40"));  // typed above the range
    d->OnDeltaPosRows(1);
    EXPECT_EQ(d->rowsEdit()->text(), QStringLiteral("32"));
    d->columnsEdit()->setText(QStringLiteral("1"));
    d->columnsDown()->click();
    EXPECT_EQ(d->columnsEdit()->text(), QStringLiteral("1"));
    d->columnsUp()->click();
    EXPECT_EQ(d->columnsEdit()->text(), QStringLiteral("2"));
    // The arrow keys in a count step it too.
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(d->columnsEdit(), &up);
    EXPECT_EQ(d->columnsEdit()->text(), QStringLiteral("3"));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(d->columnsEdit(), &down);
    EXPECT_EQ(d->columnsEdit()->text(), QStringLiteral("2"));
}

TEST_F(MatrixDialogTest, ModesHideTheCountsTheyDoNotAskAndTheFlagShowsTheFillButtons) {
    struct Case {
        int mode;
        bool fill;
        bool rows, columns, spacing;
    };
    const Case cases[] = {
        {0, true, true, true, true}, {1, true, false, true, false}, {2, false, true, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        auto d = dialog(c.mode);
        d->m_bShowFillButtons = c.fill;
        d->OnInitDialog();
        EXPECT_EQ(d->rowsEdit()->isVisibleTo(d.get()), c.rows);
        EXPECT_EQ(d->rowsUp()->isVisibleTo(d.get()), c.rows);
        EXPECT_EQ(d->columnsEdit()->isVisibleTo(d.get()), c.columns);
        EXPECT_EQ(d->columnsUp()->isVisibleTo(d.get()), c.columns);
        EXPECT_EQ(d->lineSpacingList()->isVisibleTo(d.get()), c.spacing);
        EXPECT_EQ(d->autoFillButton()->isVisibleTo(d.get()), c.fill);
        EXPECT_EQ(d->templateButton()->isVisibleTo(d.get()), c.fill);
        EXPECT_EQ(d->partitionBox()->isVisibleTo(d.get()), c.fill);
        EXPECT_EQ(d->lineSpacingList()->currentIndex(), 2);
    }
}

TEST_F(MatrixDialogTest, TheAlignmentPresetChoosesItsButtonAndComesBack) {
    // Preset, its button, what is read back (an unknown preset shows and
    // reads as centred; only the low four bits count).
    const struct {
        int preset, button, read;
    } cases[] = {{0, CDlgSetMatrix::kAlignCentre, 0},    {1, CDlgSetMatrix::kAlignLeft, 1},
                 {2, CDlgSetMatrix::kAlignRight, 2},     {3, CDlgSetMatrix::kAlignAtEquals, 3},
                 {4, CDlgSetMatrix::kAlignAtPoint, 4},   {7, CDlgSetMatrix::kAlignCentre, 0},
                 {0x12, CDlgSetMatrix::kAlignRight, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        auto d = dialog(0);
        d->m_nAlign = uint16_t(c.preset);
        d->OnInitDialog();
        EXPECT_TRUE(d->alignButton(c.button)->isChecked());
        d->ReadMatrixChoices();
        EXPECT_EQ(d->m_nAlign, c.read);
    }
}

TEST_F(MatrixDialogTest, AutoFillNamesEveryCellFromTheEntryName) {
    struct Case {
        int mode;
        const char *rows, *columns;
        QString names;
    };
    const Case cases[] = {
        {0, "2", "3", QStringLiteral("a/11 a/12 a/13 a/21 a/22 a/23")},
        {0, "1", "5", QStringLiteral("a/1 a/2 a/3 a/4 a/5")},
        {0, "3", "1", QStringLiteral("a/1 a/2 a/3")},
        {0, "1", "1", QStringLiteral("a/1")},
        {1, "4", "2", QStringLiteral("a/1 a/2")},  // a row: its columns
        {2, "3", "9", QStringLiteral("a/1 a/2 a/3")},  // a column: its rows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names.toStdString());
        names.clear();
        auto d = dialog(c.mode);
        d->runModal = [&](CDlgSetMatrix& m) {
            m.rowsEdit()->setText(QString::fromLatin1(c.rows));
            m.columnsEdit()->setText(QString::fromLatin1(c.columns));
            m.autoFillButton()->click();
            return m.result() == QDialog::Accepted ? IDOK : IDCANCEL;
        };
        ASSERT_EQ(d->DoModal(), IDOK);
        EXPECT_EQ(joined(names), c.names);
        EXPECT_EQ(d->m_strEntryName, QStringLiteral("a"));
        EXPECT_EQ(d->m_nEntryStyle, 2);
    }

    // A cancelled or empty name, or no list: nothing, and the dialog stays.
    names.clear();
    auto cancelled = dialog(0, QString());
    cancelled->OnInitDialog();
    cancelled->autoFillButton()->click();
    EXPECT_EQ(asked, 7);
    EXPECT_TRUE(names.isEmpty());
    EXPECT_EQ(cancelled->result(), 0);
    auto listless = dialog(0);
    listless->m_pNames = nullptr;
    listless->OnInitDialog();
    listless->autoFillButton()->click();
    EXPECT_EQ(asked, 7) << "nothing is asked without a list";
    EXPECT_EQ(listless->result(), 0);
}

// Every template of the window, chosen with its button, with the name "x".
TEST_F(MatrixDialogTest, EachTemplateGivesItsShapeAndNames) {
    const QString m4 = QStringLiteral("x/11 x/12 ./- x/1n x/21 x/22 ./- x/2n ./| ./| ./\\ ./| ");
    const QString m6 = QStringLiteral(
        "x/11 x/12 ./- x/1j ./- x/1n x/21 x/22 ./- x/2j ./- x/2n ./| ./| ./\\ ./| ./\\ ./| "
        "x/i1 x/i2 ./- x/ij ./- x/in ./| ./| ./\\ ./| ./\\ ./| ");
    struct Case {
        int number, rows, columns;
        QString names;
    };
    const Case cases[] = {
        {1, 1, 3, QStringLiteral("x/1 ./- x/n")},
        {2, 1, 4, QStringLiteral("x/1 x/2 ./- x/n")},
        {3, 1, 6, QStringLiteral("x/1 x/2 ./- x/i ./- x/n")},
        {11, 3, 1, QStringLiteral("x/1 ./| x/n")},
        {12, 4, 1, QStringLiteral("x/1 x/2 ./| x/n")},
        {13, 6, 1, QStringLiteral("x/1 x/2 ./| x/i ./| x/n")},
        {21, 3, 3, QStringLiteral("x/1 / / / ./\\ / / / x/n")},
        {22, 4, 4, QStringLiteral("x/1 / / / / x/2 / / / / ./\\ / / / / x/n")},
        {23, 4, 4, m4 + QStringLiteral("x/n1 x/n2 ./- x/nn")},
        {24, 6, 6, m6 + QStringLiteral("x/n1 x/n2 ./- x/nj ./- x/nn")},
        {25, 4, 4, m4 + QStringLiteral("x/m1 x/m2 ./- x/mn")},
        {26, 6, 6, m6 + QStringLiteral("x/m1 x/m2 ./- x/mj ./- x/mn")},
    };
    ASSERT_EQ(MatrixTemplates().size(), std::size(cases));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        const MatrixTemplate* t = FindMatrixTemplate(c.number);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(int(t->entries.size()), c.rows * c.columns);

        names.clear();
        auto d = dialog(0, QStringLiteral("x"));
        d->OnInitDialog();
        d->show();
        d->OnShowTemplates();
        CDlgMatVecTemp* window = d->templateWindow();
        ASSERT_TRUE(window->isVisible());
        CDlgToolbar* bar = window->bar();
        ASSERT_EQ(bar->buttons().size(), 12u);
        const ToolbarButton* button = nullptr;
        for (const auto& b : bar->buttons())
            if (b->command == c.number) button = b.get();
        ASSERT_NE(button, nullptr);
        ASSERT_FALSE(button->rect.isEmpty());
        clickAt(bar, button->rect.center());
        QApplication::processEvents();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(d->m_nRows, c.rows);
        EXPECT_EQ(d->m_nCols, c.columns);
        EXPECT_EQ(joined(names), c.names);
        d->hide();
    }
    EXPECT_EQ(FindMatrixTemplate(4), nullptr);

    // A number of no template, a cancelled name or no list: nothing.
    names.clear();
    auto d = dialog(0, QString());
    d->OnInitDialog();
    d->OnTemplateChosen(23);
    d->OnTemplateChosen(99);
    d->m_pNames = nullptr;
    d->OnTemplateChosen(1);
    EXPECT_TRUE(names.isEmpty());
    EXPECT_EQ(d->result(), 0);
}

TEST_F(MatrixDialogTest, TheTemplateWindowHasAFixedSizeAndStaysOnTheScreen) {
    context.dpiScale = 1.5f;
    auto d = dialog(0);
    CDlgMatVecTemp* window = d->templateWindow();
    EXPECT_EQ(window->size(), QSize(450, 600));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(window->bar()->geometry(), QRect(6, 6, 438, 588));
    window->hide();

    // Placed at the mouse, moved left and up as far as it must.
    const QRect area(0, 0, 1000, 800);
    EXPECT_EQ(PlaceWithin(QPoint(100, 100), QSize(300, 400), area), QPoint(100, 100));
    EXPECT_EQ(PlaceWithin(QPoint(900, 700), QSize(300, 400), area), QPoint(700, 400));
    EXPECT_EQ(PlaceWithin(QPoint(-1800, 50), QSize(300, 400), QRect(-1920, 0, 2920, 800)), QPoint(-1800, 50));

    // The window is a pop-up of the dialog: an activation change the pop-up
    // itself brings does not hide it (any other does); Escape closes it.
    d->OnShowTemplates();
    ASSERT_TRUE(window->isVisible());
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(d.get(), &activation);
    EXPECT_TRUE(window->isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(d->result(), 0) << "closing the templates leaves the dialog open";
}

// "COLS" holds the rows and "ROWS" the columns; what was read goes back on
// Cancel, what was read from the controls on OK; out-of-range values show
// as they are and are clamped when read.
TEST_F(MatrixDialogTest, TheRegistryKeepsRowsAsColsAndColumnsAsRows) {
    {
        CDlgSetMatrix first(context);
        EXPECT_EQ(first.m_nRows, 3);
        EXPECT_EQ(first.m_nCols, 3);
        EXPECT_EQ(first.m_nAlign, 1);
        EXPECT_EQ(first.m_nPartition, 0);
    }
    EXPECT_EQ(readDword(QStringLiteral("COLS")), 3);
    EXPECT_EQ(readDword(QStringLiteral("ROWS")), 3);

    writeDword(QStringLiteral("COLS"), 5);
    writeDword(QStringLiteral("ROWS"), 7);
    writeDword(QStringLiteral("ALIGN"), 4);
    writeDword(QStringLiteral("PARTITION"), 1);
    {
        auto d = dialog(0);
        d->runModal = [](CDlgSetMatrix& m) {
            EXPECT_EQ(m.rowsEdit()->text(), QStringLiteral("5"));
            EXPECT_EQ(m.columnsEdit()->text(), QStringLiteral("7"));
            EXPECT_TRUE(m.alignButton(CDlgSetMatrix::kAlignAtPoint)->isChecked());
            EXPECT_TRUE(m.partitionBox()->isChecked());
            m.rowsEdit()->setText(QStringLiteral("9"));
            m.cancelButton()->click();
            return IDCANCEL;
        };
        EXPECT_EQ(d->DoModal(), IDCANCEL);
    }
    EXPECT_EQ(readDword(QStringLiteral("COLS")), 5) << "Cancel keeps what was read";
    EXPECT_EQ(readDword(QStringLiteral("ROWS")), 7);
    {
        auto d = dialog(0);
        d->runModal = [](CDlgSetMatrix& m) {
            m.rowsEdit()->setText(QStringLiteral("2"));
            m.columnsEdit()->setText(QStringLiteral("40"));
            m.alignButton(CDlgSetMatrix::kAlignRight)->setChecked(true);
            m.partitionBox()->setChecked(false);
            m.createButton()->click();
            return IDOK;
        };
        EXPECT_EQ(d->DoModal(), IDOK);
    }
    EXPECT_EQ(readDword(QStringLiteral("COLS")), 2);
    EXPECT_EQ(readDword(QStringLiteral("ROWS")), 32);
    EXPECT_EQ(readDword(QStringLiteral("ALIGN")), 2);
    EXPECT_EQ(readDword(QStringLiteral("PARTITION")), 0);

    // Out of range: shown as stored, clamped when created.
    writeDword(QStringLiteral("COLS"), 100);
    writeDword(QStringLiteral("ROWS"), 0);
    {
        auto d = dialog(0);
        d->runModal = [](CDlgSetMatrix& m) {
            EXPECT_EQ(m.rowsEdit()->text(), QStringLiteral("100"));
            EXPECT_EQ(m.columnsEdit()->text(), QStringLiteral("0"));
            m.createButton()->click();
            return IDOK;
        };
        EXPECT_EQ(d->DoModal(), IDOK);
        EXPECT_EQ(d->m_nRows, 32);
        EXPECT_EQ(d->m_nCols, 1);
    }
    EXPECT_EQ(readDword(QStringLiteral("COLS")), 32);
    EXPECT_EQ(readDword(QStringLiteral("ROWS")), 1);
    const MatrixDialogValues values = LoadMatrixDialogValues();
    EXPECT_EQ(values.rows, 32);
    EXPECT_EQ(values.columns, 1);
}

TEST_F(MatrixDialogTest, TextsInBothLanguages) {
    struct Case {
        const char* language;
        QString title, create, rows, spacing, fill;
    };
    const Case cases[] = {
        {"en", QStringLiteral("Matrix"), QStringLiteral("Create"), QStringLiteral("Rows"), QStringLiteral("Normal"),
         QStringLiteral("Create and auto-fill")},
        {"cn", QStringLiteral("矩阵"), QStringLiteral("创建"), QStringLiteral("行数"), QStringLiteral("正常"),
         QStringLiteral("创建并自动填充")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        context.languageCode = QString::fromLatin1(c.language);
        auto d = dialog(0);
        d->OnInitDialog();
        EXPECT_EQ(d->windowTitle(), c.title);
        EXPECT_EQ(d->createButton()->text(), c.create);
        EXPECT_EQ(d->autoFillButton()->text(), c.fill);
        EXPECT_EQ(static_cast<QLabel*>(DialogControl(d.get(), CDlgSetMatrix::kRowsLabel))->text(), c.rows);
        ASSERT_EQ(d->lineSpacingList()->count(), 5);
        // Each entry carries 25 spaces that widen the open list.
        EXPECT_EQ(d->lineSpacingList()->itemText(2), c.spacing + QString(25, QLatin1Char(' ')));
        for (int id : {CDlgSetMatrix::kAlignLeft, CDlgSetMatrix::kAlignAtPoint, CDlgSetMatrix::kPartition,
                       CDlgSetMatrix::kScriptSize, CDlgSetMatrix::kAlignGroup, CDlgSetMatrix::kOptionsGroup}) {
            QWidget* w = DialogControl(d.get(), id);
            ASSERT_NE(w, nullptr) << id;
        }
    }
}

// ---- rule lines

// Every code at the first, a middle and the last line of each direction,
// packed into the bit planes and back.
TEST(RuleLineRecordTest, PackAndUnpackEveryCodeAtLinesZeroFiveAndThirtyOne) {
    for (const bool vertical : {true, false}) {
        for (const int line : {0, 5, 31}) {
            for (int code = 0; code <= 8; ++code) {
                SCOPED_TRACE(testing::Message() << (vertical ? "vertical " : "horizontal ") << line << " code " << code);
                std::vector<uint8_t> codes(64, 0);
                const size_t index = size_t(vertical ? line : 32 + line);
                codes[index] = uint8_t(code);
                const RuleLineRecord record = PackRuleLines(codes, 33, 33);
                RuleLineRecord expected{};
                for (int b = 0; b < 4; ++b)
                    if (code >> b & 1) expected[size_t((vertical ? 0 : 4) + 8 * b + line / 8)] |= uint8_t(1u << (line % 8));
                EXPECT_EQ(record, expected);
                EXPECT_EQ(UnpackRuleLines(record, 33, 33), codes);
            }
        }
    }
    // Code 8 (double solid) is bit 3 alone: the planes at 24 and 28.
    std::vector<uint8_t> codes = {8, 0, 0, 8};  // 3 columns, 3 rows
    const RuleLineRecord record = PackRuleLines(codes, 3, 3);
    EXPECT_EQ(record[24], 0x01);
    EXPECT_EQ(record[28], 0x02);
    EXPECT_EQ(std::count(record.begin(), record.end(), 0), 30);
    // Bits beyond the lines of the shape are not lines.
    RuleLineRecord full;
    full.fill(0xFF);
    EXPECT_EQ(UnpackRuleLines(full, 3, 1), (std::vector<uint8_t>{15, 15}));
    // A count that does not match the shape packs nothing.
    EXPECT_EQ(PackRuleLines({1, 2}, 3, 3), RuleLineRecord{});
}

TEST(RuleLineRecordTest, OnlyShapesTheRecordHoldsAreEdited) {
    const struct {
        int columns, rows;
        bool editable;
    } cases[] = {{0, 3, false}, {3, 0, false}, {34, 2, false}, {2, 34, false}, {1, 1, false}, {-1, 5, false},
                 {33, 33, true}, {1, 2, true},  {2, 1, true},   {32, 32, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(CanEditRuleLines(c.columns, c.rows), c.editable) << c.columns << "x" << c.rows;
        if (!c.editable) {
            EXPECT_TRUE(UnpackRuleLines(RuleLineRecord{}, c.columns, c.rows).empty());
        }
    }
}

TEST(RuleLineRecordTest, PreviewCellsStayBetweenOneAndFortyFivePixels) {
    const struct {
        QSize size;
        int columns, rows, cell;
    } cases[] = {{QSize(260, 260), 32, 32, 8}, {QSize(40, 40), 32, 32, 1}, {QSize(1000, 1000), 2, 2, 45},
                 {QSize(260, 260), 33, 1, 7},  {QSize(90, 90), 2, 2, 44}};
    for (const auto& c : cases) {
        const RulePreviewGeometry g = RulePreviewGeometryOf(c.size, c.columns, c.rows);
        EXPECT_EQ(g.cell, c.cell) << c.size.width() << " " << c.columns;
        // The grid is centred and inside the preview.
        EXPECT_GE(g.left, 0);
        EXPECT_LE(g.right, c.size.width());
        EXPECT_LE(g.bottom, c.size.height());
    }
    EXPECT_EQ(RulePreviewGeometryOf(QSize(260, 260), 0, 3).cell, 0) << "no division by zero";
}

// A point of a line's band in the dialog beside the first cell, clear of
// every crossing.
QPoint bandPointInDialog(const CDlgSetMatVecSL& d, int index) {
    const QRect band = d.bandsInDialog()[size_t(index)];
    const RulePreviewGeometry g = RulePreviewGeometryOf(d.previewRect().size(), d.m_nColumns, d.m_nRows);
    const QPoint firstCell = RulePreviewCell(g, 0, 0).center() + d.previewRect().topLeft();
    return band.width() > band.height() ? QPoint(firstCell.x(), band.center().y())
                                        : QPoint(band.center().x(), firstCell.y());
}

class RuleLineDialogTest : public MatrixDialogFixture {
protected:
    std::unique_ptr<CDlgSetMatVecSL> dialog(int columns, int rows) {
        auto d = std::make_unique<CDlgSetMatVecSL>(context);
        d->m_nColumns = columns;
        d->m_nRows = rows;
        return d;
    }
    static QPoint bandPoint(CDlgSetMatVecSL& d, int index) { return d.preview()->mapFrom(&d, bandPointInDialog(d, index)); }
};

TEST_F(RuleLineDialogTest, ARowOfThreeHasTwoVerticalLinesAndAClickSetsTheFirst) {
    auto d = dialog(3, 1);
    d->OnInitDialog();
    ASSERT_EQ(d->codes().size(), 2u);
    ASSERT_EQ(d->bandsInDialog().size(), 2u);
    clickAt(d->preview(), bandPoint(*d, 0));
    EXPECT_EQ(d->codes(), (std::vector<uint8_t>{1, 0}));
    // The right button takes it away; a click on a cell hits nothing.
    clickAt(d->preview(), bandPoint(*d, 0), Qt::RightButton);
    EXPECT_EQ(d->codes(), (std::vector<uint8_t>{0, 0}));
    const QRect cell = RulePreviewCell(RulePreviewGeometryOf(d->previewRect().size(), 3, 1), 0, 0);
    EXPECT_FALSE(d->OnLButtonDown(cell.center() + d->previewRect().topLeft()));
    EXPECT_EQ(d->codes(), (std::vector<uint8_t>{0, 0}));
}

TEST_F(RuleLineDialogTest, AClickWhereTwoGapsCrossSetsBoth) {
    auto d = dialog(3, 3);
    d->OnInitDialog();
    const std::vector<QRect> bands = d->bandsInDialog();
    ASSERT_EQ(bands.size(), 4u);
    const QRect crossing = bands[1].intersected(bands[2]);
    ASSERT_FALSE(crossing.isEmpty());
    EXPECT_TRUE(d->OnLButtonDown(crossing.center()));
    EXPECT_EQ(d->codes(), (std::vector<uint8_t>{0, 1, 1, 0}));
}

TEST_F(RuleLineDialogTest, TheEighthStyleGivesADoubleSolidLineAndOkStoresIt) {
    auto d = dialog(2, 2);
    d->runModal = [](CDlgSetMatVecSL& m) {
        m.styleButton(7)->click();
        clickAt(m.preview(), bandPoint(m, 0));
        m.button(CDlgSetMatVecSL::kOk)->click();
        return m.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    ASSERT_EQ(d->DoModal(), IDOK);
    EXPECT_EQ(d->codes(), (std::vector<uint8_t>{8, 0}));
    RuleLineRecord expected{};
    expected[24] = 1;
    EXPECT_EQ(d->m_record, expected);
    d.reset();
    EXPECT_EQ(LoadRuleLineStyle(), 7);
}

TEST_F(RuleLineDialogTest, CancelKeepsTheRecordButStoresTheStyle) {
    auto d = dialog(2, 3);
    d->m_record[4] = 0x03;  // horizontal lines 0 and 1 dotted
    d->runModal = [](CDlgSetMatVecSL& m) {
        EXPECT_EQ(m.codes(), (std::vector<uint8_t>{0, 1, 1}));
        m.styleButton(3)->click();
        m.button(CDlgSetMatVecSL::kSetAll)->click();
        m.button(CDlgSetMatVecSL::kCancel)->click();
        return IDCANCEL;
    };
    EXPECT_EQ(d->DoModal(), IDCANCEL);
    EXPECT_EQ(d->m_record[4], 0x03);
    d.reset();
    EXPECT_EQ(LoadRuleLineStyle(), 3);
    // The remembered style is the one chosen at the start.
    auto again = dialog(2, 2);
    again->OnInitDialog();
    EXPECT_TRUE(again->styleButton(3)->isChecked());
}

TEST_F(RuleLineDialogTest, ButtonsSetAndClearFamiliesOfLines) {
    auto d = dialog(3, 3);  // vertical 0, 1; horizontal 2, 3
    d->OnInitDialog();
    d->OnSelectStyle(1);
    const struct {
        int button;
        std::vector<uint8_t> codes;
    } steps[] = {
        {CDlgSetMatVecSL::kSetAllHorz, {0, 0, 2, 2}},  {CDlgSetMatVecSL::kSetAllVert, {2, 2, 2, 2}},
        {CDlgSetMatVecSL::kClearAllVert, {0, 0, 2, 2}}, {CDlgSetMatVecSL::kClearAllHorz, {0, 0, 0, 0}},
        {CDlgSetMatVecSL::kSetAll, {2, 2, 2, 2}},       {CDlgSetMatVecSL::kClearAll, {0, 0, 0, 0}},
    };
    for (const auto& step : steps) {
        d->button(step.button)->click();
        EXPECT_EQ(d->codes(), step.codes) << step.button;
    }
}

// A damaged matrix (no cells in a direction, or more lines than the record
// holds) is not edited: the dialog does not run and the record stays.
TEST_F(RuleLineDialogTest, ShapesOutsideOneToThirtyThreeDoNotRun) {
    for (const auto& [columns, rows] : {std::pair{0, 3}, std::pair{34, 2}, std::pair{3, 0}, std::pair{2, 40}}) {
        SCOPED_TRACE(testing::Message() << columns << "x" << rows);
        auto d = dialog(columns, rows);
        d->m_record[0] = 0x5A;
        bool ran = false;
        d->runModal = [&](CDlgSetMatVecSL&) {
            ran = true;
            return IDOK;
        };
        EXPECT_EQ(d->DoModal(), IDCANCEL);
        EXPECT_FALSE(ran);
        EXPECT_EQ(d->m_record[0], 0x5A);
        d->RenderRulePreview();  // nothing to draw, and no division
    }
    auto widest = dialog(33, 1);
    widest->runModal = [](CDlgSetMatVecSL& m) {
        m.button(CDlgSetMatVecSL::kSetAll)->click();
        m.button(CDlgSetMatVecSL::kOk)->click();
        return IDOK;
    };
    EXPECT_EQ(widest->DoModal(), IDOK);
    EXPECT_EQ(widest->codes().size(), 32u);
    RuleLineRecord expected{};
    for (int i = 0; i < 4; ++i) expected[size_t(i)] = 0xFF;  // code 1 in the first plane for all 32 lines
    EXPECT_EQ(widest->m_record, expected);
}

TEST_F(RuleLineDialogTest, ThePreviewDrawsCellsSingleAndDoubleLinesAndItsFrame) {
    auto d = dialog(2, 2);
    d->m_record[0] = 0x01;   // vertical line 0: code 1 + ...
    d->m_record[16] = 0x01;  // ... 4: code 5, double dotted
    d->m_record[20] = 0x01;  // horizontal line 0: code 4, solid
    d->OnInitDialog();
    ASSERT_EQ(d->codes(), (std::vector<uint8_t>{5, 4}));
    const QImage& image = d->previewImage();
    ASSERT_EQ(image.size(), d->previewRect().size());
    const RulePreviewGeometry g = RulePreviewGeometryOf(image.size(), 2, 2);
    const QColor blue(0, 0, 255), cell(220, 220, 230), frame(150, 150, 150);
    EXPECT_EQ(image.pixelColor(0, 0), frame);
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), frame);
    EXPECT_EQ(image.pixelColor(RulePreviewCell(g, 0, 0).center()), cell);
    // The solid horizontal line through its whole length.
    const QLine horizontal = RulePreviewLine(g, 2, 2, 1);
    EXPECT_EQ(image.pixelColor(horizontal.p1().x() + 3, horizontal.p1().y()), blue);
    EXPECT_EQ(image.pixelColor(horizontal.p2().x() - 3, horizontal.p1().y()), blue);
    // The double line: one pixel either side of the centre, none on it.
    const QLine vertical = RulePreviewLine(g, 2, 2, 0);
    const int x = vertical.p1().x(), y = vertical.p1().y();
    EXPECT_EQ(image.pixelColor(x - 1, y), blue);
    EXPECT_EQ(image.pixelColor(x + 1, y), blue);
    EXPECT_EQ(image.pixelColor(x, y), Qt::white);
}

TEST_F(RuleLineDialogTest, PicturesCursorHelpAndTextsInBothLanguages) {
    struct Case {
        const char* language;
        QString title, setAll, help;
    };
    const Case cases[] = {
        {"en", QStringLiteral("Matrix Lines"), QStringLiteral("Set All"), QStringLiteral("Click a line with the right")},
        {"cn", QStringLiteral("矩阵分隔线"), QStringLiteral("全部设置"), QStringLiteral("用鼠标右键单击")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        context.languageCode = QString::fromLatin1(c.language);
        auto d = dialog(3, 3);
        d->OnInitDialog();
        EXPECT_EQ(d->windowTitle(), c.title);
        EXPECT_EQ(d->button(CDlgSetMatVecSL::kSetAll)->text(), c.setAll);
        for (int k = 0; k < CDlgSetMatVecSL::kStyles; ++k) EXPECT_TRUE(d->stylePicture(k)->IsDrawable()) << k;
        EXPECT_EQ(d->preview()->cursor().shape(), Qt::BitmapCursor);
        messages.shown.clear();
        d->button(CDlgSetMatVecSL::kHelp)->click();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].text.contains(QLatin1Char('\n')));
        EXPECT_FALSE(messages.shown[0].text.contains(QLatin1Char('|')));
        EXPECT_TRUE(messages.shown[0].text.contains(c.help));
        EXPECT_EQ(messages.shown[0].flags & MB_ICONINFORMATION, unsigned(MB_ICONINFORMATION));
    }
}

// ---- how they look

void save(QWidget& widget, const QString& name) {
    EXPECT_TRUE(widget.grab().save(QDir(screenshotFolder()).filePath(name + QStringLiteral(".png")))) << name.toStdString();
}

TEST_F(MatrixDialogFixture, LooksInBothLanguages) {
    for (const char* language : {"en", "cn"}) {
        context.languageCode = QString::fromLatin1(language);
        const QString lang = context.languageCode;
        QStringList names;
        {
            CDlgSetMatrix d(context);
            d.m_pNames = &names;
            d.OnInitDialog();
            d.show();
            QApplication::processEvents();
            save(d, QStringLiteral("matrix_dialog_%1").arg(lang));
            d.OnShowTemplates();
            QApplication::processEvents();
            save(*d.templateWindow(), QStringLiteral("matrix_templates_%1").arg(lang));
            d.templateWindow()->hide();
        }
        {
            CDlgSetMatrix d(context);
            d.m_nMode = 2;
            d.m_bShowFillButtons = false;
            d.OnInitDialog();
            d.show();
            QApplication::processEvents();
            save(d, QStringLiteral("matrix_dialog_cases_%1").arg(lang));
        }
        {
            CDlgSetMatVecSL d(context);
            d.m_nColumns = 4;
            d.m_nRows = 3;
            d.OnInitDialog();
            d.show();
            QApplication::processEvents();
            // Lines 0 to 4 (three vertical, two horizontal) in styles 0, 3, 5, 7, 2.
            const int styles[] = {0, 3, 5, 7, 2};
            for (int line = 0; line < 5; ++line) {
                d.OnSelectStyle(styles[line]);
                EXPECT_TRUE(d.OnLButtonDown(bandPointInDialog(d, line)));
            }
            d.OnSelectStyle(7);
            d.update();
            QApplication::processEvents();
            save(d, QStringLiteral("matrix_lines_%1").arg(lang));
        }
    }
}

}  // namespace
}  // namespace toliva::test
