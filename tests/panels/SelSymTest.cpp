// The font-character picker: the fonts it offers, a font's characters, the
// glyph of one character, the grid's rows and scrolling, OK and Cancel with
// the registry and the caller's pending slot, and how it looks.
#include "panels/CDlgSelSym.h"
#include "panels/FontCharacters.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"

#include "tests/panels/PanelTestSupport.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <memory>

namespace toliva::test {
namespace {

const QString kKey = QStringLiteral("Software\\Toliva\\Dlgs\\UserSym");
const QString kDejaVu = QStringLiteral("DejaVu Sans");

// ---- fonts and characters

TEST(SelSymFontsTest, TheProgramSetsComeFirstThenTheInstalledFamilies) {
    const QStringList names = PickerFontNames();
    ASSERT_GT(names.size(), 4);
    EXPECT_EQ(names.mid(0, 4), ProgramFontSetNames());
    EXPECT_EQ(names[0], QStringLiteral("*Toliva + 00"));
    EXPECT_EQ(names[3], QStringLiteral("*Toliva + 15"));
    EXPECT_TRUE(names.contains(kDejaVu));
}

TEST(SelSymFontsTest, DejaVuSansListsItsCharactersInAscendingOrder) {
    const std::vector<uint16_t> codes = ListFontCharacters(kDejaVu, 0, programFolder());
    ASSERT_FALSE(codes.empty());
    EXPECT_TRUE(std::binary_search(codes.begin(), codes.end(), uint16_t('A')));
    EXPECT_TRUE(std::binary_search(codes.begin(), codes.end(), uint16_t(0x03B1)));  // alpha
    EXPECT_TRUE(std::adjacent_find(codes.begin(), codes.end(), std::greater_equal<uint16_t>()) == codes.end());
    // A font covers a few thousand characters, not every code.
    EXPECT_LT(codes.size(), size_t(0xFFFF));
}

TEST(SelSymFontsTest, TheProgramSetsListFromTheirOwnFilesAndAnUnknownFontListsNothing) {
    for (const QString& name : ProgramFontSetNames()) {
        const std::vector<uint16_t> codes = ListFontCharacters(name, 1, programFolder());
        EXPECT_TRUE(std::binary_search(codes.begin(), codes.end(), uint16_t(0x222B))) << name.toStdString();  // integral
    }
    EXPECT_TRUE(ListFontCharacters(QStringLiteral("No Such Family 123"), 0, programFolder()).empty());
    EXPECT_TRUE(ListFontCharacters(QString(), 0, programFolder()).empty());
}

TEST(SelSymFontsTest, AProgramSetWithoutItsFilesFallsBackQuietly) {
    // A program folder without "Fonts": the name's own family stands in when
    // there is one; either way nothing crashes and a listed character builds.
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const QString folder = empty.path() + QLatin1Char('/');
    const std::vector<uint16_t> codes = ListFontCharacters(QStringLiteral("*Toliva + 05"), 0, folder);
    GlyphOutline glyph;
    if (!codes.empty())
        EXPECT_TRUE(BuildGlyphFromCharacter(glyph, QStringLiteral("*Toliva + 05"), 0, codes.back(), folder));
    else
        EXPECT_FALSE(BuildGlyphFromCharacter(glyph, QStringLiteral("*Toliva + 05"), 0, 'A', folder));
}

// ---- the glyph of a character

TEST(SelSymGlyphTest, TheGlyphOfACharacterIsCentredWithEqualAscentAndDescent) {
    struct Case {
        const char* font;
        int style;
        uint16_t code;
    };
    const Case cases[] = {{"DejaVu Sans", 0, 'A'}, {"DejaVu Sans", 3, 'g'}, {"*Toliva + 00", 0, 0x222B},
                          {"*Toliva + 10", 2, 0x2211}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.font) + " " + std::to_string(c.code));
        GlyphOutline glyph;
        glyph.colour = 0x123456;
        glyph.m[3] = 7;
        ASSERT_TRUE(BuildGlyphFromCharacter(glyph, QString::fromUtf8(c.font), c.style, c.code, programFolder()));
        EXPECT_EQ(glyph.charCode, int16_t(c.code));
        ASSERT_GT(glyph.count, 2);
        EXPECT_EQ(size_t(glyph.count), glyph.points.size());
        EXPECT_EQ(glyph.points.size(), glyph.types.size());
        ASSERT_TRUE(glyph.path);
        // The drawing layer's point types only: 0 start, 1 line, 3 Bezier, with the closing bit.
        EXPECT_EQ(glyph.types.front(), 0);
        for (uint8_t t : glyph.types) EXPECT_TRUE((t & 0x7F) == 0 || (t & 0x7F) == 1 || (t & 0x7F) == 3) << int(t);
        EXPECT_TRUE(std::any_of(glyph.types.begin(), glyph.types.end(), [](uint8_t t) { return t & 0x80; }));
        EXPECT_GT(glyph.m[0], 0);
        EXPECT_GT(glyph.m[1], 0);
        EXPECT_FLOAT_EQ(glyph.m[1], glyph.m[2]);
        // The measured box is centred on the origin: the ink lies within it, about the middle.
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (const auto& p : glyph.points) {
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
        if (c.code == 'A') {
            // A symmetric letter: its ink is centred too.
            EXPECT_NEAR((minX + maxX) / 2, 0.0f, 3.0f);
            EXPECT_GE(minX, -glyph.m[0] / 2);
            EXPECT_LE(maxX, glyph.m[0] / 2);
        }
        // Slanted outlines may overhang their box a little, never by half of it.
        EXPECT_GE(minX, -glyph.m[0]);
        EXPECT_LE(maxX, glyph.m[0]);
        EXPECT_GE(minY, -glyph.m[1] - 0.5f);
        EXPECT_LE(maxY, glyph.m[2] + 0.5f);
        // The other values of the record stay.
        EXPECT_EQ(glyph.colour, 0x123456u);
        EXPECT_EQ(glyph.m[3], 7.0f);
        EXPECT_EQ(glyph.scale, 1.0f);
    }
}

TEST(SelSymGlyphTest, NoGlyphForCodeZeroOrAnUnknownFont) {
    GlyphOutline glyph;
    EXPECT_FALSE(BuildGlyphFromCharacter(glyph, kDejaVu, 0, 0, programFolder()));
    EXPECT_FALSE(BuildGlyphFromCharacter(glyph, QStringLiteral("No Such Family 123"), 0, 'A', programFolder()));
    EXPECT_TRUE(GlyphIsEmptyRecord(glyph));
}

// ---- rows and scrolling

TEST(SelSymScrollTest, RowsPositionsAndCells) {
    CharacterScroll s;
    s.visibleRows = 12;
    s.count = 0;
    EXPECT_EQ(s.rowCount(), 0);
    EXPECT_EQ(s.maxPosition(), 0);
    EXPECT_FALSE(s.scrollBy(8));
    EXPECT_EQ(s.indexOfCell(0), -1);

    // Fewer than a page: one page, empty cells after the last character.
    s.count = 100;
    EXPECT_EQ(s.rowCount(), 9);
    EXPECT_EQ(s.maxPosition(), 0);
    EXPECT_EQ(s.indexOfCell(99), 99);
    EXPECT_EQ(s.indexOfCell(100), -1);
    EXPECT_EQ(s.indexOfCell(144), -1);

    // A large font: the last row is reachable.
    s.count = 3000;  // 250 rows
    EXPECT_EQ(s.rowCount(), 250);
    EXPECT_EQ(s.maxPosition(), 238);
    EXPECT_TRUE(s.scrollTo(1000));
    EXPECT_EQ(s.position, 238);
    EXPECT_EQ(s.indexOfCell(11 * 12 + 11), 2999);
    EXPECT_FALSE(s.scrollBy(8));
    EXPECT_TRUE(s.scrollBy(-8));
    EXPECT_EQ(s.position, 230);
    EXPECT_TRUE(s.scrollTo(-5));
    EXPECT_EQ(s.position, 0);
    // An index off the page has no cell.
    EXPECT_EQ(s.cellOfIndex(144), -1);
    EXPECT_EQ(s.cellOfIndex(143), 143);
    s.scrollTo(1);
    EXPECT_EQ(s.cellOfIndex(11), -1);
    EXPECT_EQ(s.cellOfIndex(12), 0);
    EXPECT_EQ(s.cellOfIndex(3000), -1);
}

TEST(SelSymScrollTest, TheChosenIndexStaysInsideTheList) {
    const int cases[][3] = {{5, 10, 5}, {10, 10, 9}, {11, 10, 9}, {-3, 10, 0}, {0, 0, 0}, {7, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    for (const auto& c : cases) EXPECT_EQ(ClampChosenIndex(c[0], c[1]), c[2]) << c[0] << " of " << c[1];
}

TEST(SelSymScrollTest, RowsGrowWithResolutionButStayInTheWorkArea) {
    // dpi, cell, work area height, rows
    const int cases[][4] = {{96, 36, 1040, 12}, {96, 36, 0, 12},  {144, 54, 2000, 18},
                            {192, 72, 1400, 18}, {192, 72, 2100, 24}, {96, 36, 100, 1}};
    for (const auto& c : cases) EXPECT_EQ(PickerVisibleRows(c[0], c[1], c[2], 80), c[3]) << c[0] << " dpi, " << c[2];
}

// ---- the dialog

class SelSymDialogTest : public PanelHomeFixture {
protected:
    void store(const QString& font, int style, int pos, int chosen) {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(kKey, key));
        WriteRegString(key, QStringLiteral("Font"), font);
        WriteRegDword(key, QStringLiteral("FontStyle"), style);
        WriteRegDword(key, QStringLiteral("Pos"), pos);
        WriteRegDword(key, QStringLiteral("Char"), chosen);
    }
    int stored(const QString& name) {
        RegKey key;
        int value = -999;
        if (OpenRegKey(kKey, key)) ReadRegDword(key, name, value, -999);
        return value;
    }
    QString storedFont() {
        RegKey key;
        QString value = QStringLiteral("<none>");
        if (OpenRegKey(kKey, key)) ReadRegString(key, QStringLiteral("Font"), value, QStringLiteral("<none>"));
        return value;
    }

    RecordingMessageSink messages;
    ScopedMessageSink scopedMessages{&messages};
};

TEST_F(SelSymDialogTest, OkGivesTheGlyphFillsThePendingSlotAndKeepsTheChoice) {
    store(QStringLiteral("DejaVu Sans"), 0, 0, 0);
    GlyphOutline pending;
    CDlgSelSym d(context);
    d.m_pPendingGlyph = &pending;
    d.runModal = [&](CDlgSelSym& dialog) {
        EXPECT_EQ(dialog.fontCombo()->currentText(), kDejaVu);
        const auto it = std::find(dialog.m_chars.begin(), dialog.m_chars.end(), uint16_t('A'));
        EXPECT_NE(it, dialog.m_chars.end());
        const int index = int(it - dialog.m_chars.begin());
        dialog.ScrollCharactersTo(index / 12);
        dialog.SelectCharacterCell(index - dialog.m_scroll.position * 12 + 1);
        EXPECT_EQ(dialog.codeEdit()->text(), QStringLiteral("65"));
        dialog.OnOK();
        return dialog.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    ASSERT_EQ(d.DoModal(), IDOK);
    EXPECT_EQ(d.m_nCode, 'A');
    EXPECT_EQ(d.m_glyph.charCode, 'A');
    EXPECT_TRUE(GlyphsEqual(pending, d.m_glyph));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(storedFont(), kDejaVu);
    EXPECT_EQ(stored(QStringLiteral("FontStyle")), 0);
    EXPECT_EQ(stored(QStringLiteral("Char")), d.m_nChosen);
    EXPECT_EQ(stored(QStringLiteral("Pos")), d.m_scroll.position);
}

TEST_F(SelSymDialogTest, CancelWritesNothingAndLeavesTheSlotAlone) {
    GlyphOutline pending;
    CDlgSelSym d(context);
    d.m_pPendingGlyph = &pending;
    d.runModal = [&](CDlgSelSym& dialog) {
        dialog.ScrollCharacters(8);
        dialog.SelectCharacterCell(3);
        return IDCANCEL;
    };
    EXPECT_EQ(d.DoModal(), IDCANCEL);
    EXPECT_TRUE(GlyphIsEmptyRecord(pending));
    EXPECT_EQ(storedFont(), QStringLiteral("<none>"));
    EXPECT_EQ(stored(QStringLiteral("Char")), -999);
    EXPECT_EQ(stored(QStringLiteral("Pos")), -999);
}

TEST_F(SelSymDialogTest, OkWithAnEmptyListStaysOpenWithTheMessageAndFillsNoSlot) {
    GlyphOutline pending;
    CDlgSelSym d(context);
    d.m_pPendingGlyph = &pending;
    d.OnInitDialog();
    d.m_chars.clear();
    d.m_scroll.count = 0;
    d.OnOK();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.m_nCode, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Please choose a character first."));
    EXPECT_TRUE(GlyphIsEmptyRecord(pending));
    EXPECT_EQ(storedFont(), QStringLiteral("<none>"));
}

TEST_F(SelSymDialogTest, AStoredChoicePastTheEndIsKeptInsideTheList) {
    // A stored index one past the list (or far past it) picks the last character, never past it.
    store(QStringLiteral("DejaVu Sans"), 0, 100000, 1 << 30);
    GlyphOutline pending;
    CDlgSelSym d(context);
    d.m_pPendingGlyph = &pending;
    d.OnInitDialog();
    const int n = int(d.m_chars.size());
    ASSERT_GT(n, 0);
    EXPECT_EQ(d.m_nChosen, n - 1);
    EXPECT_EQ(d.m_scroll.position, d.m_scroll.maxPosition());
    EXPECT_EQ(d.codeEdit()->text(), QString::number(d.m_chars.back()));
    d.OnOK();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(pending.charCode, int16_t(d.m_chars.back()));
}

TEST_F(SelSymDialogTest, AStoredNameSelectsTheFirstFontItBegins) {
    store(QStringLiteral("*Toliva"), 1, 0, 0);
    CDlgSelSym d(context);
    d.OnInitDialog();
    EXPECT_EQ(d.fontCombo()->currentText(), QStringLiteral("*Toliva + 00"));
    EXPECT_EQ(d.styleCombo()->currentIndex(), 1);
    EXPECT_FALSE(d.m_chars.empty());

    store(QStringLiteral("No Such Family 123"), 9, 0, 0);
    CDlgSelSym other(context);
    other.OnInitDialog();
    EXPECT_EQ(other.fontCombo()->currentIndex(), 0);
    EXPECT_EQ(other.m_strFontName, QStringLiteral("*Toliva + 00"));
    EXPECT_EQ(other.m_nStyle, 0);
}

TEST_F(SelSymDialogTest, ClickingACellChoosesItsCharacterAndTheWheelScrollsEightRows) {
    store(kDejaVu, 0, 0, 0);
    CDlgSelSym d(context);
    d.OnInitDialog();
    d.show();
    QApplication::processEvents();
    QWidget* grid = d.grid();
    const int cell = d.m_nCellSize;
    const QPoint at(2 * cell + cell / 2, 1 * cell + cell / 2);  // row 1, column 2: cell 15 (1-based)
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(grid->mapToGlobal(at)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(grid->mapToGlobal(at)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &release);
    EXPECT_EQ(d.m_nChosen, 14);
    EXPECT_EQ(d.m_nCode, d.m_chars[14]);

    QWheelEvent wheel(QPointF(at), QPointF(grid->mapToGlobal(at)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid, &wheel);
    EXPECT_EQ(d.m_scroll.position, 8);
    EXPECT_EQ(d.scrollBar()->value(), 8);
    // The bar: a line is one row, a page 8 rows, whatever the rows shown.
    d.scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(d.m_scroll.position, 9);
    d.scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d.m_scroll.position, 17);
    d.scrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    d.scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(d.m_scroll.position, 8);
    // The chosen character is now off the page: the index stays.
    EXPECT_EQ(d.m_scroll.cellOfIndex(d.m_nChosen), -1);
    EXPECT_EQ(d.m_nChosen, 14);
}

TEST_F(SelSymDialogTest, LooksInBothLanguages) {
    for (const char* language : {"en", "cn"}) {
        context.languageCode = QString::fromLatin1(language);
        store(kDejaVu, 0, 2, 30);
        CDlgSelSym d(context);
        d.OnInitDialog();
        d.show();
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(
            QDir(screenshotFolder()).filePath(QStringLiteral("selsym_%1.png").arg(context.languageCode))));
    }
}

}  // namespace
}  // namespace toliva::test
