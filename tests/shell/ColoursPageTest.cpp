// The Colours page of the equation settings dialog: its swatch grid, the
// colours a click changes (the working style record, or the palette of the
// sheet's colour choice) and its two check boxes.
#include "tests/shell/SettingsDialogSupport.h"

#include "shell/CEEDPP_Colors.h"
#include "uikit/KitDialogs.h"

#include <QCheckBox>

namespace toliva::test {
namespace {

const QString kColourKey = QString::fromLatin1(kCustomColourKey);

TEST(ColourLayoutTest, GridOfAFixedClientSize) {
    const ColourPageLayout layout = ComputeColourLayout(0, 0, 700, 500);
    // margin 35, first row at 29, rows 26.06 apart, columns 157.5 apart,
    // swatches 84 x 18.24 from x 375 in the middle column.
    EXPECT_EQ(layout.swatches[0], QRect(217, 19, 84, 18));
    EXPECT_EQ(layout.swatches[1], QRect(217, 58, 84, 18));
    EXPECT_EQ(layout.swatches[12], QRect(217, 371, 84, 18));
    EXPECT_EQ(layout.swatches[13], QRect(217, 410, 84, 18));
    EXPECT_EQ(layout.swatches[14], QRect(375, 410, 84, 18));
    EXPECT_EQ(layout.swatches[15], QRect(532, 410, 84, 18));
    EXPECT_EQ(layout.swatches[21], QRect(532, 462, 84, 18));
    EXPECT_EQ(layout.separators, (std::array<int, 4>{48, 296, 361, 400}));
}

TEST(ColourLayoutTest, TableOfItems) {
    const ColourItems items = DefaultColourItems();
    const int wantSlots[13] = {15, 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 3, 14};
    for (int k = 0; k < 13; ++k) EXPECT_EQ(items[size_t(k)].slot, wantSlots[k]) << k;
    EXPECT_EQ(items[12].row, 13.5f);
    for (int k = 13; k < kColourItemCount; ++k) {
        EXPECT_EQ(items[size_t(k)].column, float((k - 13) % 3 - 1)) << k;
        EXPECT_EQ(items[size_t(k)].row, 15.0f + float((k - 13) / 3)) << k;
    }
}

TEST(ColourLayoutTest, HitsOnlyInsideASwatch) {
    const ColourPageLayout layout = ComputeColourLayout(0, 0, 700, 500);
    EXPECT_EQ(HitColourItem(layout, QPoint(217, 19)), 0);
    EXPECT_EQ(HitColourItem(layout, QPoint(300, 36)), 0);
    EXPECT_EQ(HitColourItem(layout, QPoint(301, 25)), -1);  // right edge
    EXPECT_EQ(HitColourItem(layout, QPoint(250, 37)), -1);  // bottom edge
    EXPECT_EQ(HitColourItem(layout, QPoint(350, 420)), -1);  // between columns
    EXPECT_EQ(HitColourItem(layout, QPoint(100, 25)), -1);  // on the caption
    EXPECT_EQ(HitColourItem(layout, QPoint(540, 470)), 21);
}

class ColoursPageTest : public SettingsDialogFixture {
protected:
    CEEDPP_Colors& page() {
        if (!dialog) {
            StoreSettingsPageIndex(CEESettingDlg::PageColors);
            open();
        }
        return *dialog->colorsPage();
    }
    QPoint centreOf(int row) {
        const ColourItem& item = page().items()[size_t(row)];
        return QPoint(item.left + item.width / 2, item.top + item.height / 2);
    }
};

TEST_F(ColoursPageTest, LaysOutOverThePageAndTakesItsCaptions) {
    CEEDPP_Colors& p = page();
    EXPECT_EQ(p.layout().swatches[5], ComputeColourLayout(0, 0, p.width(), p.height()).swatches[5]);
    EXPECT_EQ(p.items()[0].caption, QStringLiteral("Background"));
    EXPECT_EQ(p.items()[21].caption, QStringLiteral("9"));
    // The boxes stand right of the first two swatches.
    EXPECT_GT(p.checkBox(CEEDPP_Colors::kCheckTransparent)->x(), p.items()[0].left + p.items()[0].width);
    EXPECT_LT(p.checkBox(CEEDPP_Colors::kCheckTransparent)->y(), p.checkBox(CEEDPP_Colors::kCheckRoles)->y());
}

TEST_F(ColoursPageTest, StyleColourBecomesOpaqueArgbOfTheChoice) {
    CEEDPP_Colors& p = page();
    const EqLayoutSettings before = dialog->workingLayout();
    dialogs.answers.push_back(ScriptedDialogService::Answer::withColour(QColor(1, 2, 3)));
    p.OnLButtonDown(centreOf(12));
    EqLayoutSettings expected = before;
    expected.colours[14] = 0xFF010203;
    EXPECT_EQ(dialog->workingLayout(), expected);
    ASSERT_EQ(dialogs.colourRequests.size(), 1u);
    EXPECT_EQ(dialogs.colourRequests[0].initial, QColor(0, 0, 0));
    EXPECT_TRUE(dialogs.colourRequests[0].fullOpen);
    // Not the target's until the dialog applies.
    EXPECT_EQ(eq->settings.colours[14], before.colours[14]);

    // Cancel keeps the colour; row 0 is the background.
    p.OnLButtonDown(centreOf(0));
    EXPECT_EQ(dialog->workingLayout(), expected);
    EXPECT_EQ(dialogs.colourRequests[1].initial, QColor(255, 255, 255));
}

TEST_F(ColoursPageTest, StyleColourDialogKeepsItsCustomColoursInGroupThree) {
    CEEDPP_Colors& p = page();
    std::array<QColor, 16> customs;
    customs.fill(QColor(9, 9, 9));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withColour(QColor(4, 5, 6), customs));
    p.OnLButtonDown(centreOf(3));
    CustomColours group3{};
    LoadCustomColours(kColourKey, group3, 3);
    EXPECT_EQ(group3[15], 0x090909u);
    EXPECT_EQ(dialog->workingLayout().colours[2], 0xFF040506u);
}

TEST_F(ColoursPageTest, PaletteRowChangesOnlyItsEntryOfGroupFourteen) {
    RegKey key;
    ASSERT_TRUE(OpenRegKey(kColourKey, key));
    for (int i = 0; i < 16; ++i) WriteRegDword(key, QStringLiteral("G14C%1").arg(i), 0x100 + i);
    CEEDPP_Colors& p = page();
    const EqLayoutSettings before = dialog->workingLayout();
    std::array<QColor, 16> customs;
    customs.fill(QColor(7, 7, 7));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withColour(QColor(0x11, 0x22, 0x33), customs));
    p.OnLButtonDown(centreOf(17));  // custom colour 4

    ASSERT_EQ(dialogs.colourRequests.size(), 1u);
    EXPECT_EQ(dialogs.colourRequests[0].initial, QColor(0x04, 0x01, 0x00));
    CustomColours group14{};
    LoadCustomColours(kColourKey, group14, 14);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(group14[size_t(i)], i == 4 ? 0x332211u : uint32_t(0x100 + i)) << i;
    EXPECT_EQ(dialog->workingLayout(), before);
}

TEST_F(ColoursPageTest, ClickOutsideTheSwatchesChangesNothing) {
    CEEDPP_Colors& p = page();
    const EqLayoutSettings before = dialog->workingLayout();
    const ColourItem& row14 = p.items()[14];
    for (const QPoint point : {QPoint(row14.left - 3, row14.top + 2), QPoint(row14.left - 40, p.items()[4].top + 2),
                               QPoint(p.width() - 2, 2)}) {
        dialogs.answers.push_back(ScriptedDialogService::Answer::withColour(QColor(1, 2, 3)));
        p.OnLButtonDown(point);
        dialogs.answers.clear();
    }
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(dialog->workingLayout(), before);
    EXPECT_FALSE(hasValue(kColourKey, QStringLiteral("G14C0")));
}

TEST_F(ColoursPageTest, CheckBoxesShowAndSetTheTwoIntegers) {
    eq->settings.ints[5] = 1;
    eq->settings.ints[0] = 0;
    CEEDPP_Colors& p = page();
    EXPECT_TRUE(p.checkBox(CEEDPP_Colors::kCheckTransparent)->isChecked());
    EXPECT_FALSE(p.checkBox(CEEDPP_Colors::kCheckRoles)->isChecked());
    EXPECT_EQ(p.checkBox(CEEDPP_Colors::kCheckRoles)->text(),
              QStringLiteral("Draw characters in these colours by role"));

    p.checkBox(CEEDPP_Colors::kCheckTransparent)->setChecked(false);
    p.checkBox(CEEDPP_Colors::kCheckRoles)->setChecked(true);
    dialog->ApplyPages();
    EXPECT_EQ(eq->settings.ints[5], 0);
    EXPECT_EQ(eq->settings.ints[0], 1);

    // A theme reset puts the built-in values back into the boxes.
    dialog->OnThemeItem(CEESettingDlg::ThemeReset);
    EXPECT_EQ(p.checkBox(CEEDPP_Colors::kCheckTransparent)->isChecked(), builtInStyle().ints[5] != 0);
    EXPECT_EQ(p.checkBox(CEEDPP_Colors::kCheckRoles)->isChecked(), builtInStyle().ints[0] != 0);
}

}  // namespace
}  // namespace toliva::test
