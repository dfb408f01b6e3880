#include "uikit/CKwMenu.h"

#include "platform/AppContext.h"
#include "platform/Folders.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "uikit/LangTable.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

namespace toliva {
namespace {

// Text extents of 7 pixels a character and a chosen height.
class StubMenu : public CKwMenu {
public:
    int textHeight = 16;

protected:
    QSize TextExtent(const QString& text) const override { return QSize(7 * int(text.size()), textHeight); }
};

class ScopedUiScale {
public:
    explicit ScopedUiScale(float scale) : m_old(app().uiScale) { app().uiScale = scale; }
    ~ScopedUiScale() { app().uiScale = m_old; }

private:
    float m_old;
};

QRgb buttonFace() { return QApplication::palette().color(QPalette::Button).rgb(); }

// An entry drawn into an image of its own size.
QImage drawEntry(CKwMenu& menu, unsigned id, unsigned state, QSize size) {
    QImage img(size, QImage::Format_ARGB32);
    img.fill(0xFFFFFFFF);
    QPainter p(&img);
    DrawItemStruct dis;
    dis.itemId = id;
    dis.itemState = state;
    dis.rcItem = QRect(QPoint(0, 0), size);
    dis.painter = &p;
    menu.DrawItem(&dis);
    return img;
}

bool darkPixelIn(const QImage& img, int x0, int x1) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x)
            if (qGray(img.pixel(x, y)) < 100) return true;
    return false;
}

TEST(CKwMenuTest, MeasureItemFollowsTextExtentScaleAndShortcut) {
    struct Case {
        float scale;
        int textHeight;
        const char* text;
        int margin, width, height;
    };
    const Case cases[] = {
        // 0.2 x 16 = 3.2 cut to 3, minus 2 above scale 1.0: margin 1.
        {1.5f, 16, "Cut", 1, int(21 * 1.1f + 22 * 1 * 1.5f), 16 + 4 + 2},
        {1.0f, 16, "Cut", 3, int(21 * 1.1f + 22 * 3), 16 + 12 + 2},
        {1.0f, 16, "Cut\tCtrl+X", 3, int(70 * 1.1f + 28 * 3), 16 + 12 + 2},
        {2.0f, 20, "Cut\tCtrl+X", 2, int(70 * 1.1f + 28 * 2 * 2.0f), 20 + 8 + 2},
        {2.0f, 8, "Cut", 0, int(21 * 1.1f), 8 + 2},  // margin never below 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale << " " << c.text);
        ScopedUiScale scale(c.scale);
        StubMenu menu;
        menu.textHeight = c.textHeight;
        ASSERT_TRUE(menu.AppendItem(MF_STRING, 32, QString::fromUtf8(c.text)));
        MeasureItemStruct mis;
        mis.itemId = 32;
        menu.MeasureItem(&mis);
        EXPECT_EQ(menu.Margin(), c.margin);
        EXPECT_EQ(mis.itemWidth, c.width);
        EXPECT_EQ(mis.itemHeight, c.height);
    }
}

TEST(CKwMenuTest, SeparatorsAndEntriesWithoutCaptionMeasureFiveByFive) {
    ScopedUiScale scale(1.0f);
    StubMenu menu;
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    menu.AppendItem(MF_STRING, 40, QString());  // no caption: no record
    EXPECT_EQ(menu.FindRecord(40), nullptr);
    for (unsigned id : {0u, 40u}) {
        MeasureItemStruct mis;
        mis.itemId = id;
        menu.MeasureItem(&mis);
        EXPECT_EQ(mis.itemWidth, 5);
        EXPECT_EQ(mis.itemHeight, 5);
        EXPECT_EQ(menu.Margin(), 3);
    }
}

TEST(CKwMenuTest, MenuLaysOutItsEntriesByMeasureItem) {
    ScopedUiScale scale(1.0f);
    StubMenu menu;
    menu.AppendItem(MF_STRING, 11, QStringLiteral("Undo\tCtrl+Z"));
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    menu.AppendItem(MF_GRAYED, 12, QStringLiteral("Redo"));
    menu.sizeHint();
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(menu.actionGeometry(actions[0]).height(), 16 + 12 + 2);
    EXPECT_EQ(menu.actionGeometry(actions[1]).height(), 5);
    EXPECT_EQ(menu.actionGeometry(actions[0]).width(), int(77 * 1.1f + 28 * 3));
    EXPECT_FALSE(actions[2]->isEnabled());
    EXPECT_EQ(CKwMenu::ActionId(actions[0]), 11u);
    EXPECT_EQ(CKwMenu::ActionId(actions[1]), 0u);
}

TEST(CKwMenuTest, RecordsSplitCaptionAndShortcutAndToleratesMissingIcons) {
    CKwMenu menu;
    EXPECT_TRUE(menu.AppendItem(MF_STRING, 32, QStringLiteral("Cut\tCtrl+X\tmore"), QStringLiteral("tb\\Cut")));
    EXPECT_TRUE(menu.AppendItem(MF_STRING, 33, QStringLiteral("Copy"), QStringLiteral("menu\\NoSuchIcon")));
    EXPECT_TRUE(menu.AppendItem(MF_STRING, 151, QStringLiteral("Line"), QStringLiteral("MENU\\calline")));
    const auto* cut = menu.FindRecord(32);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->caption, QStringLiteral("Cut"));
    EXPECT_EQ(cut->shortcut, QStringLiteral("\tCtrl+X\tmore"));
    ASSERT_NE(cut->icon, nullptr);
    EXPECT_TRUE(cut->icon->IsDrawable());
    ASSERT_NE(menu.FindRecord(33), nullptr);
    EXPECT_EQ(menu.FindRecord(33)->icon, nullptr);
    // Icon names are found without regard to case.
    ASSERT_NE(menu.FindRecord(151)->icon, nullptr);

    const QImage img = drawEntry(menu, 33, 0, {200, 24});
    EXPECT_EQ(img.pixel(6, 12) & 0xFFFFFF, buttonFace() & 0xFFFFFF);  // no icon: plain background
}

TEST(CKwMenuTest, PopupsGetIdsThatNeverMeetCommandIds) {
    CKwMenu menu;
    CKwMenu* a = menu.AppendPopup(MF_STRING, QStringLiteral("Edit"), QStringLiteral("menu\\Help"));
    CKwMenu* b = menu.AppendPopup(MF_GRAYED, QStringLiteral("View"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    const unsigned ida = CKwMenu::ActionId(a->menuAction());
    const unsigned idb = CKwMenu::ActionId(b->menuAction());
    EXPECT_GE(ida, CKwMenu::kFirstPopupId);
    EXPECT_GE(idb, CKwMenu::kFirstPopupId);
    EXPECT_NE(ida, idb);
    EXPECT_NE(menu.FindRecord(ida), nullptr);
    EXPECT_FALSE(b->menuAction()->isEnabled());
    EXPECT_FALSE(menu.AppendItem(MF_STRING, CKwMenu::kFirstPopupId + 5, QStringLiteral("x")));
    EXPECT_FALSE(menu.AppendItem(MF_POPUP, 7, QStringLiteral("x")));
}

TEST(CKwMenuTest, CaptionsComeFromLanguageTables) {
    LangTable table;
    OpenLangTableBuffer(table, QStringLiteral("en"),
                        QByteArray("<r><gCS_2><S01 en=\"Undo\" cn=\"U\"/><S10 en=\"Cut\"/></gCS_2></r>"));
    CKwMenu menu;
    menu.AppendItem(MF_STRING, 11, table, QStringLiteral("gCS_2"), 1, QStringLiteral("tb\\Undo"));
    menu.AppendItem(MF_STRING, 32, table, QStringLiteral("gCS_2"), 10);
    ASSERT_NE(menu.FindRecord(11), nullptr);
    EXPECT_EQ(menu.FindRecord(11)->caption, QStringLiteral("Undo"));
    EXPECT_EQ(menu.FindRecord(32)->caption, QStringLiteral("Cut"));
}

TEST(CKwMenuTest, DrawItemBackgroundsAndSeparator) {
    ScopedUiScale scale(1.0f);
    StubMenu menu;
    menu.AppendItem(MF_STRING, 32, QStringLiteral("Cut"));
    struct Case {
        unsigned state;
        QRgb background;
    };
    const Case cases[] = {
        {0, buttonFace()},
        {ODS_SELECTED, qRgb(0x96, 0xC8, 0xFA)},
        {ODS_SELECTED | ODS_GRAYED, qRgb(0xC0, 0xC0, 0xC0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        const QImage img = drawEntry(menu, 32, c.state, {200, 24});
        EXPECT_EQ(img.pixel(195, 2) & 0xFFFFFF, c.background & 0xFFFFFF);
        EXPECT_EQ(img.pixel(2, 22) & 0xFFFFFF, c.background & 0xFFFFFF);
    }

    const QImage sep = drawEntry(menu, 0, 0, {100, 7});
    for (int x : {0, 50, 99}) EXPECT_EQ(sep.pixel(x, 3), qRgb(0xC8, 0xC8, 0xDC)) << x;
    for (int y : {0, 2, 4, 6}) EXPECT_EQ(sep.pixel(50, y), 0xFFFFFFFFu) << y;
}

TEST(CKwMenuTest, CaptionAtTheLeftAndShortcutAtTheRight) {
    ScopedUiScale scale(1.0f);
    StubMenu menu;
    menu.AppendItem(MF_STRING, 32, QStringLiteral("Cut\tCtrl+X"));
    MeasureItemStruct mis;
    mis.itemId = 32;
    menu.MeasureItem(&mis);
    const QImage img = drawEntry(menu, 32, 0, {300, 24});
    const int textLeft = 24 + 4 * menu.Margin();
    const int keysRight = 300 - 16;
    EXPECT_TRUE(darkPixelIn(img, textLeft, textLeft + 30));
    EXPECT_TRUE(darkPixelIn(img, keysRight - 30, keysRight));
    EXPECT_FALSE(darkPixelIn(img, textLeft + 60, keysRight - 60));
    EXPECT_FALSE(darkPixelIn(img, keysRight + 1, 300));
}

TEST(CKwMenuTest, CheckedEntryShowsTheCheckPictureInsteadOfItsIcon) {
    ScopedUiScale scale(1.0f);
    StubMenu menu;
    menu.AppendItem(MF_CHECKED, 5, QStringLiteral("Colours"), QStringLiteral("menu\\Add"));
    MeasureItemStruct mis;
    mis.itemId = 5;
    menu.MeasureItem(&mis);
    const QSize size(200, 24);
    const QImage checked = drawEntry(menu, 5, ODS_CHECKED, size);
    const QImage plain = drawEntry(menu, 5, 0, size);

    // What the check picture alone draws in the icon square.
    CKwEMF check;
    ASSERT_TRUE(check.LoadFile(programFolder() + "icons/menu/check.apx"));
    QImage expected(size, QImage::Format_ARGB32);
    expected.fill(buttonFace());
    {
        gp::PainterGraphics g(&expected);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        check.Draw(g, gp::RectF{float(2 * menu.Margin()), 2, 20, 20});
    }
    const QRect square(2 * menu.Margin(), 2, 20, 20);
    int differences = 0;
    bool differsFromPlain = false;
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x) {
            if (checked.pixel(x, y) != expected.pixel(x, y)) ++differences;
            if (checked.pixel(x, y) != plain.pixel(x, y)) differsFromPlain = true;
        }
    EXPECT_EQ(differences, 0);
    EXPECT_TRUE(differsFromPlain);
}

// Sends keys to the menu once its event loop runs (it shows before that).
void pressWhenShown(QMenu* menu, QList<int> keys) {
    QTimer::singleShot(0, menu, [menu, keys] {
        for (int key : keys) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(menu, &press);
        }
    });
}

TEST(CKwMenuTest, TrackingReturnsTheChosenIdOrZero) {
    CKwMenu menu;
    menu.AppendItem(MF_STRING, 19, QStringLiteral("New"), QStringLiteral("tb\\New"));
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    menu.AppendItem(MF_STRING, 20, QStringLiteral("Open"), QStringLiteral("tb\\Open"));
    CKwMenu* sub = menu.AppendPopup(MF_STRING, QStringLiteral("More"));
    sub->AppendItem(MF_STRING, 8001, QStringLiteral("English"));

    pressWhenShown(&menu, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(menu.TrackPopupMenu(QPoint(10, 10)), 20u);

    pressWhenShown(&menu, {Qt::Key_Escape});
    EXPECT_EQ(menu.TrackPopupMenu(QPoint(10, 10)), 0u);
}

}  // namespace
}  // namespace toliva
