// The symbol panel windows: the plain panel's layout, presses and releases
// and its right-click message; the main strip's tabs (collapsing, darkening),
// its row of groups with the clamps at both ends, the stored order, the tab
// menu, stepping, the groups' own colours, and pixels of the drawn strip.
#include "panels/CKwTBPanel.h"
#include "panels/SymbolBarTables.h"

#include "platform/LangTable.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/gdiplus/GpTypes.h"
#include "tests/panels/PanelTestSupport.h"
#include "tests/common/TestSupport.h"
#include "uikit/CKwMenu.h"
#include "uikit/WindowMessages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

using namespace toliva;

namespace {

constexpr int kGroups = kMainStripGroupCount;

// A fresh registry for every test; the strip draws without pictures.
class PanelFixture : public test::PanelHomeFixture {
public:
    PanelFixture() : PanelHomeFixture(false) {}

protected:
    // The eleven groups of the main strip (no pictures), shown at a width.
    std::unique_ptr<CKwTBPanel_Scr> makeStrip(int width = 1000, bool loadOrder = false) {
        auto strip = std::make_unique<CKwTBPanel_Scr>(context);
        for (int i = 0; i < kGroups; ++i) {
            const MainStripGroup& g = MainStripGroups()[size_t(i)];
            EXPECT_TRUE(strip->AddGroupWithPicture(g.rows, g.cols, g.cellWidth, g.cellHeight, g.id, 0, 0, g.records,
                                                   QStringLiteral("\\T%1.bmp").arg(i + 1, 2, 10, QLatin1Char('0'))));
            built.push_back(strip->group(i));
        }
        if (loadOrder) strip->LoadStripOrder();
        strip->SetTabWidths(int(context.uiScale * 60), 8);
        strip->resize(width, 189);
        strip->show();
        strip->grab();  // the first paint: shown from now on
        return strip;
    }
    static QPoint at(const QWidget& w, QPointF client) { return w.mapToGlobal(client.toPoint()); }
    static QPointF tabCentre(const CKwTBPanel_Scr& s, int i) {
        const StripTab& t = s.tabs()[size_t(i)];
        return {t.x + t.width / 2, t.y + t.height / 2};
    }
    static QPointF cellCentre(const CKwTBG& g, int cell) {
        const TBCell& c = g.cells()[size_t(cell)];
        return {c.x + c.width / 2, c.y + c.height / 2};
    }
    static void writeOrder(const std::vector<int>& values) {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(kStripOrderKey, key));
        for (size_t i = 0; i < values.size(); ++i)
            ASSERT_TRUE(WriteRegDword(key, QString::asprintf("TBS_%02d", int(i)), values[i]));
    }
    static std::vector<int> readOrder() {
        RegKey key;
        std::vector<int> values;
        if (!OpenRegKey(kStripOrderKey, key)) return values;
        for (int i = 0; i < kGroups; ++i) {
            int v = -1;
            ReadRegDword(key, QString::asprintf("TBS_%02d", i), v, -1);
            values.push_back(v);
        }
        return values;
    }

    std::vector<CKwTBG*> built;  // the groups in the order they were built

};

// ---- the plain panel

// A window that records the messages the panel sends it.
struct Owner : QWidget, MessageTarget {
    struct Message {
        int message;
        intptr_t wParam, lParam;
    };
    std::vector<Message> messages;
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override {
        messages.push_back({message, wParam, lParam});
        return 0;
    }
};

// Two keys in a group of four cells: cells 2 and 3 stay empty.
constexpr BarRecord kTwoKeys[] = {{4, 'a', 0, 0}, {4, 'b', 0, 0}, {0, 0, 0, 0}};
constexpr BarRecord kSixKeys[] = {{4, 'p', 6, 0}, {0, 0, 0, 0}};

using PlainPanelTest = PanelFixture;

TEST_F(PlainPanelTest, GroupsAreCentredAsOneRow) {
    CKwTBPanel panel(context);
    ASSERT_TRUE(panel.AddGroup(2, 3, 36, 36, 0, 0, 0, kSixKeys, false));  // 108 wide
    ASSERT_TRUE(panel.AddGroup(1, 2, 48, 48, 0, 0, 0, kTwoKeys, false));  // 96 wide
    EXPECT_FALSE(panel.AddGroup(1, 0, 48, 48, 0, 0, 0, kTwoKeys, false));  // no columns: no group
    ASSERT_EQ(panel.groupCount(), 2);

    struct Case {
        QRect rect;
        float first, second;
    };
    const Case cases[] = {
        {QRect(0, 0, 400, 100), 94, 210},    // (400 - 212) / 2
        {QRect(5, 7, 401, 100), 99, 215},    // 94.5 + 5, truncated
        {QRect(0, 0, 100, 100), -56, 60},    // wider than the window: still centred
    };
    for (const Case& c : cases) {
        panel.Layout(c.rect);
        EXPECT_FLOAT_EQ(panel.totalWidth(), 212);
        EXPECT_FLOAT_EQ(panel.group(0)->x, c.first) << c.rect.x();
        EXPECT_FLOAT_EQ(panel.group(1)->x, c.second);
        EXPECT_FLOAT_EQ(panel.group(0)->y, float(c.rect.y()));
        EXPECT_FLOAT_EQ(panel.group(1)->y, float(c.rect.y()));
    }
    // With DPI scaling the cells take the interface scale.
    context.uiScale = 1.5f;
    ASSERT_TRUE(panel.AddGroup(1, 2, 48, 48, 0, 0, 0, kTwoKeys, true));
    EXPECT_FLOAT_EQ(panel.group(2)->cellWidth, 72);
    EXPECT_FLOAT_EQ(panel.group(2)->dpiScaled, 1.0f);
    EXPECT_FLOAT_EQ(panel.group(0)->dpiScaled, 0.0f);

    // A group over another group's nodes (the picker's), always scaled.
    ASSERT_TRUE(panel.AddGroupFromNodes(2, 2, 36, 36, &panel.group(0)->nodes()));
    const CKwTBG& shared = *panel.group(3);
    EXPECT_EQ(shared.sharesNodes, 1);
    EXPECT_FLOAT_EQ(shared.cellWidth, 54);
    EXPECT_EQ(shared.cells()[0].node, panel.group(0)->nodes()[0]);
    EXPECT_FALSE(panel.AddGroupFromNodes(2, 2, 36, 36, nullptr));
    EXPECT_EQ(panel.groupCount(), 4);
}

TEST_F(PlainPanelTest, PressAndReleaseOnTheSameCellOnlyAndTheRightClickMessage) {
    Owner owner;
    owner.resize(400, 100);
    CKwTBPanel panel(context);
    ASSERT_TRUE(panel.Create(QString(), true, QRect(0, 0, 10, 10), &owner, CKwTBPanel::kControlId));
    ASSERT_TRUE(panel.AddGroup(1, 4, 36, 36, 0, 0, 0, kTwoKeys, false));
    owner.show();
    panel.setGeometry(0, 0, 400, 100);
    QApplication::processEvents();
    const CKwTBG& g = *panel.group(0);
    const QPoint a = at(panel, cellCentre(g, 0)), b = at(panel, cellCentre(g, 1)), empty = at(panel, cellCentre(g, 3));

    // Pressed on a, released on b of the same group: nothing to run.
    ASSERT_TRUE(panel.Press(a, true));
    EXPECT_EQ(panel.pressedKey(), (SymbolKey{4, 'a', 0}));
    EXPECT_EQ(panel.pressedGroup(), &g);
    EXPECT_FALSE(panel.Release(b));
    // The release forgot the press.
    EXPECT_FALSE(panel.Release(a));
    ASSERT_TRUE(panel.Press(a, true));
    EXPECT_TRUE(panel.Release(a));
    // Nothing pressed: an empty cell, outside the cells, outside the window.
    EXPECT_FALSE(panel.Press(empty, true));
    EXPECT_EQ(panel.pressedKey(), SymbolKey{});
    EXPECT_FALSE(panel.Press(at(panel, QPointF(5, 50)), true));
    EXPECT_FALSE(panel.Press(at(panel, QPointF(450, 20)), true));
    EXPECT_TRUE(owner.messages.empty());

    // A right click on an empty cell sends nothing; on a key, the panel in
    // both parameters, and the press reports no key to run.
    EXPECT_FALSE(panel.Press(empty, false));
    EXPECT_TRUE(owner.messages.empty());
    EXPECT_FALSE(panel.Press(b, false));
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].message, WM_SYMBOL_PANEL_RCLICK);
    EXPECT_EQ(owner.messages[0].wParam, reinterpret_cast<intptr_t>(&panel));
    EXPECT_EQ(owner.messages[0].lParam, reinterpret_cast<intptr_t>(&panel));
    EXPECT_EQ(panel.pressedKey(), (SymbolKey{4, 'b', 0}));
    EXPECT_EQ(panel.pressedNode(), g.cells()[1].node);
}

TEST_F(PlainPanelTest, NothingRendersWhileSuspendedOrBeforeTheFirstPaint) {
    CKwTBPanel panel(context);
    ASSERT_TRUE(panel.AddGroup(1, 4, 36, 36, 0, 0, 0, kTwoKeys, false));
    panel.resize(300, 60);
    panel.Redraw();
    EXPECT_EQ(panel.renderCount(), 0);
    panel.show();
    panel.grab();
    EXPECT_TRUE(panel.shown());
    const int first = panel.renderCount();
    EXPECT_EQ(first, 1);
    panel.suspended = true;
    panel.Redraw();
    EXPECT_EQ(panel.renderCount(), first);
    panel.suspended = false;
    panel.Redraw();
    EXPECT_EQ(panel.renderCount(), first + 1);
}

// ---- the strip's tabs

using StripTest = PanelFixture;

TEST_F(StripTest, ElevenTabsCollapseAlternatelyBesideTheCurrentOne) {
    // F full, C the current tab, L collapsed left of it, R right of it.
    struct Case {
        int width, current;
        const char* tabs;
    };
    const Case cases[] = {
        {700, 5, "FFFFFCFFFFF"},   // 682 >= 11 x 60: nothing collapses
        {600, 5, "LFFFFCFFFFR"},   // 582: two collapse, one on each side
        {300, 5, "LLLLFCFRRRR"},   // 282: eight, alternately from both ends
        {300, 0, "CFFRRRRRRRR"},   // nothing left of the current tab: all right
        {300, 10, "LLLLLLLLFFC"},
        {100, 10, "LLLLLLLLLLC"},  // never fewer than one full tab
        {100, 4, "LLLLCRRRRRR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " " << c.current);
        auto strip = makeStrip(c.width);
        strip->SetCurrentGroup(c.current);
        ASSERT_EQ(strip->currentGroup(), c.current);
        std::string shape;
        int collapsed = 0;
        for (int i = 0; i < kGroups; ++i) {
            const StripTab& t = strip->tabs()[size_t(i)];
            shape += i == c.current ? (t.collapsed ? '?' : 'C') : "FLR"[t.collapsed];
            collapsed += t.collapsed ? 1 : 0;
        }
        EXPECT_EQ(shape, c.tabs);
        // The tabs fill the width: from gap - 1 to width - gap, each one
        // reaching the next.
        const auto& tabs = strip->tabs();
        EXPECT_FLOAT_EQ(tabs[0].x, 9);
        for (int i = 0; i + 1 < kGroups; ++i) {
            EXPECT_FLOAT_EQ(tabs[size_t(i)].x + tabs[size_t(i)].width, tabs[size_t(i) + 1].x);
            if (tabs[size_t(i)].collapsed) {
                EXPECT_FLOAT_EQ(tabs[size_t(i)].width, 8) << i;
            } else {
                // A full tab takes an equal share of what the collapsed
                // ones leave (the places are whole pixels).
                const float a = float(c.width) - 18;
                EXPECT_NEAR(tabs[size_t(i)].width, (a - 8.0f * float(collapsed)) / float(kGroups - collapsed), 1.0f)
                    << i;
            }
        }
        EXPECT_FLOAT_EQ(tabs.back().x + tabs.back().width, float(c.width - 10));
        for (const StripTab& t : tabs) {
            EXPECT_FLOAT_EQ(t.y, 2);
            EXPECT_FLOAT_EQ(t.height, strip->headerHeight() - 12);
        }
    }
}

TEST_F(StripTest, TabsDarkenOutwardsAndCollapsedOnesMore) {
    context.tabGrad = 50;  // d = 0.5: 0, 1, 2, 4, 6 for one to five places away
    {
        auto strip = makeStrip(700);
        strip->SetCurrentGroup(5);
        std::vector<int> steps;
        for (const StripTab& t : strip->tabs()) steps.push_back(t.darkening);
        EXPECT_EQ(steps, (std::vector<int>{6, 4, 2, 1, 0, 0, 0, 1, 2, 4, 6}));
    }
    {
        // Four collapsed on each side get 2, 4, 8 and 14 more from the
        // innermost out (growing by 4d, 8d, 12d).
        auto strip = makeStrip(300);
        strip->SetCurrentGroup(5);
        std::vector<int> steps;
        for (const StripTab& t : strip->tabs()) steps.push_back(t.darkening);
        EXPECT_EQ(steps, (std::vector<int>{20, 12, 6, 3, 0, 0, 0, 3, 6, 12, 20}));
    }
    context.tabGrad = 0;
    {
        auto strip = makeStrip(300);
        strip->SetCurrentGroup(5);
        for (const StripTab& t : strip->tabs()) EXPECT_EQ(t.darkening, 0);
    }
    // Each channel stops at 0 rather than wrapping round.
    EXPECT_EQ(CKwTBPanel_Scr::DarkenedColour(0xF0E6EA, 20), 0xDCD2D6u);
    EXPECT_EQ(CKwTBPanel_Scr::DarkenedColour(0x0A1428, 30), 0x00000Au);
    EXPECT_EQ(CKwTBPanel_Scr::DarkenedColour(0x000000, 255), 0x000000u);
}

TEST_F(StripTest, DarkTabsStayBlackWhenDrawnFlat) {
    context.archedTabs = false;
    context.tabGrad = 400;  // d = 4: far tabs darken by more than the colour has
    context.scrTabBack = 0x102030;
    auto strip = makeStrip(700);
    strip->SetCurrentGroup(5);
    const StripTab& far = strip->tabs()[0];
    ASSERT_GT(far.darkening, 0x30);
    const QImage& buffer = strip->backBuffer();
    const QRgb pixel = buffer.pixel(int(far.x + far.width / 2), int(far.y + far.height / 2));
    EXPECT_EQ(qRed(pixel), 0);
    EXPECT_EQ(qGreen(pixel), 0);
    EXPECT_EQ(qBlue(pixel), 0);
    // The marker bar over the current group.
    const QRectF marker = strip->markerBar();
    EXPECT_EQ(buffer.pixel(int(marker.x() + marker.width() / 2), int(marker.y() + 1)),
              gp::ArgbFromColorref(context.markerBar) | 0xFF000000u);
}

// ---- the row of groups

TEST_F(StripTest, TheRowStartsAndEndsWithoutEmptySpaceAndCentresTheCurrentGroup) {
    auto strip = makeStrip(1000);
    const float headerBottom = float(int(strip->headerHeight()));
    float total = 0;
    for (int i = 0; i < kGroups; ++i) total += strip->group(i)->width + 10;
    total -= 10;

    // The first group: its centre would leave space at the left.
    EXPECT_FLOAT_EQ(strip->group(0)->x, 9);
    // The second: c is held at left + half + 40 = 328, its centre.
    strip->SetCurrentGroup(1);
    EXPECT_FLOAT_EQ(strip->group(1)->x + strip->group(1)->width / 2, 328);
    // A middle one: centred at 1000 x 5.5 / 11 + 9 = 509.
    strip->SetCurrentGroup(5);
    EXPECT_FLOAT_EQ(strip->group(5)->x + strip->group(5)->width / 2, 509);
    // The last: the row ends one gap before the right edge.
    strip->SetCurrentGroup(10);
    EXPECT_FLOAT_EQ(strip->group(10)->x + strip->group(10)->width, 990);
    EXPECT_FLOAT_EQ(strip->group(0)->x, 990 - total);
    // Neighbours one gap apart, all on one line under the header.
    for (int i = 0; i < kGroups; ++i) {
        EXPECT_FLOAT_EQ(strip->group(i)->y, headerBottom);
        if (i > 0) {
            EXPECT_FLOAT_EQ(strip->group(i)->x, strip->group(i - 1)->x + strip->group(i - 1)->width + 10);
        }
    }
    // The marker bar sits 6 pixels above the current group, one wider.
    const QRectF marker = strip->markerBar();
    EXPECT_FLOAT_EQ(marker.x(), strip->group(10)->x);
    EXPECT_FLOAT_EQ(marker.y(), headerBottom - 6);
    EXPECT_FLOAT_EQ(marker.width(), strip->group(10)->width + 1);
    EXPECT_FLOAT_EQ(marker.height(), 3);
}

TEST_F(StripTest, StepsStopAtBothEndsWithoutRedrawing) {
    auto strip = makeStrip();
    const int renders = strip->renderCount();
    strip->StepBack();  // already the first
    EXPECT_EQ(strip->currentGroup(), 0);
    EXPECT_EQ(strip->renderCount(), renders);
    strip->StepForward();
    EXPECT_EQ(strip->currentGroup(), 1);
    EXPECT_EQ(strip->renderCount(), renders + 1);
    strip->SetCurrentGroup(99);
    EXPECT_EQ(strip->currentGroup(), 10);
    const int atEnd = strip->renderCount();
    strip->StepForward();
    EXPECT_EQ(strip->currentGroup(), 10);
    EXPECT_EQ(strip->renderCount(), atEnd);
    strip->StepBack();
    EXPECT_EQ(strip->currentGroup(), 9);
    EXPECT_EQ(strip->renderCount(), atEnd + 1);
}

// ---- the stored order

TEST_F(StripTest, StoredOrderIsReadClampedAndDuplicatesKeepTheBuiltOrder) {
    std::vector<int> identity;
    for (int i = 0; i < kGroups; ++i) identity.push_back(i);
    std::vector<int> rotated = {10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

    struct Case {
        const char* name;
        std::vector<int> stored;  // empty: nothing stored
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"missing", {}, identity},
        {"duplicates", {3, 3, 0, 1, 2, 4, 5, 6, 7, 8, 9}, identity},
        {"40 reads as 10", {40, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, rotated},
        {"negative reads as 0", {-5, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"reversed", {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryStore::resetInstance();
        QTemporaryDir home;
        qputenv("TOLIVA_HOME", home.path().toLocal8Bit());
        if (!c.stored.empty()) writeOrder(c.stored);
        built.clear();
        {
            auto strip = makeStrip(1000, true);
            for (int i = 0; i < kGroups; ++i) {
                EXPECT_EQ(strip->group(i), built[size_t(c.expected[size_t(i)])]) << i;
                EXPECT_EQ(strip->tabs()[size_t(i)].builtPosition, c.expected[size_t(i)]) << i;
            }
        }
        // Destroyed: the order as it stands is written back.
        EXPECT_EQ(readOrder(), c.expected);
        RegistryStore::resetInstance();
    }
}

TEST_F(StripTest, StoredOrderRoundTripsThroughDestruction) {
    const std::vector<int> order = {2, 0, 1, 5, 4, 3, 10, 9, 8, 7, 6};
    writeOrder(order);
    std::vector<const MainStripGroup*> expected;
    { auto strip = makeStrip(1000, true); }
    EXPECT_EQ(readOrder(), order);
    built.clear();
    auto strip = makeStrip(1000, true);
    // The group at position 0 is the one built third (3 x ... of group 3).
    EXPECT_EQ(strip->group(0)->id, MainStripGroups()[2].id);
    EXPECT_EQ(strip->group(0)->cols, MainStripGroups()[2].cols);
}

// ---- the tab menu

struct MenuScript {
    std::vector<std::vector<unsigned>> offered;  // the ids of every menu shown
    std::vector<QString> texts;                  // the texts of the last one
    unsigned choice = 0;
    unsigned operator()(CKwMenu& menu, QPoint) {
        std::vector<unsigned> ids;
        texts.clear();
        for (QAction* a : menu.actions()) {
            ids.push_back(CKwMenu::ActionId(a));
            if (const CKwMenu::ItemRecord* r = menu.FindRecord(CKwMenu::ActionId(a))) texts.push_back(r->caption);
        }
        offered.push_back(ids);
        return choice;
    }
};

TEST_F(StripTest, RightClickOnATabSelectsItAndOffersOnlyTheMovesItCanMake) {
    for (const char* lang : {"en", "cn"}) {
        context.languageCode = QString::fromLatin1(lang);
        auto strip = makeStrip();
        auto script = std::make_shared<MenuScript>();
        strip->trackMenu = [script](CKwMenu& m, QPoint p) { return (*script)(m, p); };

        // The first tab: only to the right and to the end.
        EXPECT_FALSE(strip->Press(at(*strip, tabCentre(*strip, 0)), false));
        ASSERT_EQ(script->offered.size(), 1u);
        EXPECT_EQ(script->offered[0], (std::vector<unsigned>{3, 4}));
        LangTable texts(context.languageCode, QStringLiteral("LANG_12.xml"));
        EXPECT_EQ(script->texts, (std::vector<QString>{LoadLangString(texts, QStringLiteral("gPOP_2"), 3),
                                                         LoadLangString(texts, QStringLiteral("gPOP_2"), 4)}));
        for (const QString& t : script->texts) EXPECT_FALSE(t.isEmpty());
        // A middle tab: all four, and it becomes the current one.
        EXPECT_FALSE(strip->Press(at(*strip, tabCentre(*strip, 4)), false));
        EXPECT_EQ(strip->currentGroup(), 4);
        EXPECT_EQ(script->offered[1], (std::vector<unsigned>{1, 2, 3, 4}));
        // The last: only to the left and to the front.
        EXPECT_FALSE(strip->Press(at(*strip, tabCentre(*strip, 10)), false));
        EXPECT_EQ(script->offered[2], (std::vector<unsigned>{1, 2}));
        // A left click selects without a menu and runs nothing.
        EXPECT_FALSE(strip->Press(at(*strip, tabCentre(*strip, 7)), true));
        EXPECT_EQ(strip->currentGroup(), 7);
        EXPECT_EQ(script->offered.size(), 3u);
    }
}

TEST_F(StripTest, TabMenuMovesTheTabAndItsGroupTogether) {
    struct Case {
        unsigned choice;
        int from;
        std::vector<int> order;  // built positions afterwards
        int current;
    };
    const Case cases[] = {
        {1, 4, {0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10}, 3},   // one to the left
        {2, 4, {4, 0, 1, 2, 3, 5, 6, 7, 8, 9, 10}, 0},   // to the front
        {3, 4, {0, 1, 2, 3, 5, 4, 6, 7, 8, 9, 10}, 5},   // one to the right
        {4, 4, {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 4}, 10},  // to the end
        {0, 4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 4},   // nothing chosen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        built.clear();
        {
            auto strip = makeStrip();
            auto script = std::make_shared<MenuScript>();
            script->choice = c.choice;
            strip->trackMenu = [script](CKwMenu& m, QPoint p) { return (*script)(m, p); };
            strip->Press(at(*strip, tabCentre(*strip, c.from)), false);
            EXPECT_EQ(strip->currentGroup(), c.current);
            for (int i = 0; i < kGroups; ++i) {
                EXPECT_EQ(strip->tabs()[size_t(i)].builtPosition, c.order[size_t(i)]) << i;
                EXPECT_EQ(strip->group(i), built[size_t(c.order[size_t(i)])]) << i;
            }
        }
        EXPECT_EQ(readOrder(), c.order);
    }
}

// ---- cells of the strip

TEST_F(StripTest, CellsOfTheStripPressAndReleaseAndTheMoreCellGivesItsKey) {
    auto strip = makeStrip(1000);
    strip->SetCurrentGroup(2);  // the operators, with the more cell last
    const CKwTBG& g = *strip->group(2);
    ASSERT_TRUE(strip->Press(at(*strip, cellCentre(g, 0)), true));
    EXPECT_EQ(strip->pressedKey(), (SymbolKey{3, 1042, 0}));
    EXPECT_FALSE(strip->Release(at(*strip, cellCentre(g, 1))));
    ASSERT_TRUE(strip->Press(at(*strip, cellCentre(g, g.cellCount() - 1)), true));
    EXPECT_EQ(strip->pressedKey(), kMoreSymbolsKey);
    EXPECT_TRUE(strip->Release(at(*strip, cellCentre(g, g.cellCount() - 1))));
    // A left press on a tab runs nothing and only turns the strip.
    EXPECT_FALSE(strip->Press(at(*strip, tabCentre(*strip, 6)), true));
    EXPECT_EQ(strip->currentGroup(), 6);
}

// ---- the groups' own colours

TEST_F(StripTest, GroupColourIsChosenOnlyWithOwnColoursAndKept) {
    auto strip = makeStrip();
    int asked = 0;
    uint32_t answer = 0x0000FF;  // red
    bool ok = true;
    strip->chooseColour = [&](uint32_t& colour) {
        ++asked;
        colour = answer;
        return ok;
    };
    CKwTBG* second = strip->group(1);
    const int renders = strip->renderCount();
    ASSERT_TRUE(strip->ChooseGroupColour(second));
    EXPECT_EQ(second->fillColour, 0xFFFF0000u);
    EXPECT_EQ(strip->renderCount(), renders + 1);
    RegKey key;
    ASSERT_TRUE(OpenRegKey(kGroupColourKey, key));
    int stored = 0;
    EXPECT_TRUE(ReadRegDword(key, QStringLiteral("Clr2"), stored, 0));
    EXPECT_EQ(stored, 0x0000FF);

    // Cancelled: nothing changes.
    ok = false;
    answer = 0x00FF00;
    EXPECT_FALSE(strip->ChooseGroupColour(second));
    EXPECT_EQ(second->fillColour, 0xFFFF0000u);
    // Without the groups' own colours no dialog opens.
    context.groupColours = false;
    ok = true;
    EXPECT_FALSE(strip->ChooseGroupColour(second));
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(strip->ChooseGroupColour(nullptr));
}

}  // namespace
