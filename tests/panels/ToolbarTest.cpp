// The floating tool bar: its description, its layouts and overflow, what a
// mouse does on it, the hover animation, the overflow menu and its look.
#include "panels/CDlgToolbar.h"
#include "platform/Folders.h"
#include "uikit/CKwMenu.h"
#include "uikit/WindowMessages.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <vector>

namespace toliva::test {
namespace {

struct Posted {
    intptr_t wParam, lParam;
    bool operator==(const Posted& o) const { return wParam == o.wParam && lParam == o.lParam; }
};

// The bar's owner: keeps what was posted to it.
class Owner : public QObject, public MessageTarget {
public:
    std::vector<Posted> posted;
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override {
        if (message == WM_TOOLBAR_COMMAND) posted.push_back({wParam, lParam});
        return 0;
    }
    bool event(QEvent* e) override { return DispatchPostedMessage(e, this) || QObject::event(e); }
    std::vector<Posted> take() {
        QApplication::processEvents();
        std::vector<Posted> out;
        out.swap(posted);
        return out;
    }
};

const char kHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

// n plain buttons, commands 1 .. n.
QByteArray plainButtons(int n, const char* extra = "") {
    QByteArray xml(kHead);
    for (int i = 1; i <= n; ++i)
        xml += QByteArray("<b cmd=\"") + QByteArray::number(i) + "\" type=\"2\" " + extra + "/>\n";
    return xml;
}

class ToolbarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("icons")));
        context.programFolder = folder.path() + QLatin1Char('/');
    }
    void describe(const QByteArray& xml, const QString& name = QStringLiteral("tb_test")) {
        QFile f(context.programFolder + QStringLiteral("icons/") + name + QStringLiteral(".xml"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(xml);
    }
    // A bar of the given size holding the description.
    std::unique_ptr<CDlgToolbar> bar(const QByteArray& xml, QSize size, int mode = 1, int spacing = 1) {
        describe(xml);
        auto b = std::make_unique<CDlgToolbar>(&owner, context, nullptr);
        b->m_nLayoutMode = mode;
        b->m_nSpacing = spacing;
        EXPECT_TRUE(b->LoadButtons(QStringLiteral("tb_test")));
        b->resize(size);
        b->RecalcLayout();
        return b;
    }
    void mouse(CDlgToolbar& b, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent e(type, QPointF(at), QPointF(b.mapToGlobal(at)), button, buttons, modifiers);
        QApplication::sendEvent(&b, &e);
    }
    void click(CDlgToolbar& b, QPoint down, QPoint up) {
        mouse(b, QEvent::MouseButtonPress, down, Qt::LeftButton, Qt::LeftButton);
        mouse(b, QEvent::MouseButtonRelease, up, Qt::LeftButton, Qt::NoButton);
    }
    void hover(CDlgToolbar& b, QPoint at) { mouse(b, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
    static QPoint centre(const ToolbarButton& b) { return b.rect.center(); }

    QTemporaryDir folder;
    PanelContext context;
    Owner owner;
};

TEST_F(ToolbarTest, DescriptionDefaultsLanguagesAndAMissingFile) {
    describe(QByteArray(kHead) +
             "<sep/>\n"
             "<button cmd=\"7\" type=\"5\" size=\"1.5\" icon=\"tb\\Nothing\">\n"
             "  <tit en=\"Title\" cn=\"标题\"/><tip en=\"Tip&#9;more\" cn=\"提示\"/>\n"
             "</button>\n"
             "<b cmd=\"x\" size=\"nan\"><tit cn=\"only cn\"/></b>\n");
    for (const char* language : {"en", "cn"}) {
        SCOPED_TRACE(language);
        context.languageCode = QString::fromLatin1(language);
        CDlgToolbar b(&owner, context, nullptr);
        ASSERT_TRUE(b.LoadButtons(QStringLiteral("tb_test")));
        ASSERT_EQ(b.buttons().size(), 3u);
        const ToolbarButton& sep = *b.buttons()[0];
        EXPECT_EQ(sep.command, 0);
        EXPECT_EQ(sep.type, 1);
        EXPECT_EQ(sep.size, 1.0f);
        EXPECT_EQ(sep.state, 1);
        EXPECT_TRUE(sep.title.isEmpty());
        EXPECT_TRUE(sep.icon.isEmpty());
        const ToolbarButton& full = *b.buttons()[1];
        EXPECT_EQ(full.command, 7);
        EXPECT_EQ(full.type, 5);
        EXPECT_EQ(full.size, 1.5f);
        EXPECT_EQ(full.icon, QStringLiteral("tb\\Nothing"));
        EXPECT_EQ(full.picture, nullptr);  // no such picture: drawn without one
        const bool en = context.languageCode == QLatin1String("en");
        EXPECT_EQ(full.title, en ? QStringLiteral("Title") : QStringLiteral("标题"));
        EXPECT_EQ(full.tip, en ? QStringLiteral("Tip\tmore") : QStringLiteral("提示"));
        // A command that is no number reads 0; a size no layout can use is 1.
        EXPECT_EQ(b.buttons()[2]->command, 0);
        EXPECT_EQ(b.buttons()[2]->size, 1.0f);
        EXPECT_EQ(b.buttons()[2]->title, en ? QString() : QStringLiteral("only cn"));
    }

    // No file: an empty bar that paints its background only.
    CDlgToolbar empty(&owner, context, nullptr);
    EXPECT_FALSE(empty.LoadButtons(QStringLiteral("no_such_bar")));
    EXPECT_TRUE(empty.buttons().empty());
    empty.resize(120, 30);
    const QImage image = empty.renderImage();
    EXPECT_EQ(image.pixel(60, 15), qRgb(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(empty.HitTest(QPoint(60, 15)), nullptr);
}

TEST_F(ToolbarTest, FlowRowOverflowsFromTheFifthButtonOn) {
    // Height 40 at scale 1: inset 4, buttons 32 square, spacing 1, the
    // first at x = 2, each next 33 further; the row is then centred.
    struct Case {
        int width, buttons, firstOverflow;  // -1: none
    };
    const Case cases[] = {
        {100, 8, 4},    // the first four stay even when they do not fit
        {200, 8, 4},    // the fifth's right edge + 40 passes 192
        {400, 12, 10},  // 2 + 33 x 10 + 32 + 40 > 392
        {1000, 8, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        auto b = bar(plainButtons(c.buttons), QSize(c.width, 40));
        int first = -1;
        for (size_t i = 0; i < b->buttons().size(); ++i) {
            const ToolbarButton& button = *b->buttons()[i];
            if (button.overflow && first < 0) first = int(i);
            if (first >= 0) {
                EXPECT_TRUE(button.overflow) << i;  // every later one too
            }
        }
        EXPECT_EQ(first, c.firstOverflow);
        EXPECT_EQ(b->overflowActive(), c.firstOverflow >= 0);
        for (int i = 0; i < std::min(4, c.buttons); ++i) {
            const QRect r = b->buttons()[size_t(i)]->rect;
            EXPECT_EQ(r.size(), QSize(32, 32));
            EXPECT_EQ(r.top(), 4);
            if (i) {
                EXPECT_EQ(r.left() - b->buttons()[size_t(i - 1)]->rect.left(), 33);
            }
        }
        if (b->overflowActive()) {
            EXPECT_EQ(b->overflowButton().rect, QRect(c.width - 4 - 32, 4, 32, 32));
            // Buttons in the overflow menu are not hit where they would lie.
            EXPECT_EQ(b->HitTest(b->overflowButton().rect.center()), &b->overflowButton());
        }
    }
    // Centred: 8 buttons end at 2 + 7 x 33 + 32 = 265; half of the 735 left.
    auto wide = bar(plainButtons(8), QSize(1000, 40));
    EXPECT_EQ(wide->buttons()[0]->rect.left(), 2 + 367);
    // Mode 0 does not centre.
    auto plain = bar(plainButtons(8), QSize(1000, 40), 0);
    EXPECT_EQ(plain->buttons()[0]->rect.left(), 2);
    // The caption size follows the height.
    EXPECT_EQ(wide->captionSize(), int((40 - 8) / 2.6 + 1));
}

TEST_F(ToolbarTest, GridRowStackAndSplitLayouts) {
    {
        // 3 x 4 cells of 100 x 80: widths 33.3 truncated at each edge.
        describe(plainButtons(12));
        CDlgToolbar b(&owner, context, nullptr);
        b.m_nGridCols = 3;
        b.m_nGridRows = 4;
        b.m_nSpacing = 0;
        ASSERT_TRUE(b.LoadButtons(QStringLiteral("tb_test")));
        b.resize(100, 80);
        b.RecalcLayout();
        EXPECT_EQ(b.buttons()[0]->rect, QRect(0, 0, 33, 20));
        EXPECT_EQ(b.buttons()[1]->rect, QRect(33, 0, 33, 20));
        EXPECT_EQ(b.buttons()[2]->rect, QRect(66, 0, 34, 20));
        EXPECT_EQ(b.buttons()[11]->rect, QRect(66, 60, 34, 20));
        EXPECT_FALSE(b.overflowActive());
    }
    {
        // One row by size: 1, 2, 1 over 100.
        describe(QByteArray(kHead) + "<b cmd=\"1\" type=\"2\"/><b cmd=\"2\" type=\"2\" size=\"2\"/><b cmd=\"3\" type=\"2\"/>");
        CDlgToolbar b(&owner, context, nullptr);
        b.m_nGridCols = 1;
        ASSERT_TRUE(b.LoadButtons(QStringLiteral("tb_test")));
        b.resize(100, 30);
        b.RecalcLayout();
        EXPECT_EQ(b.buttons()[0]->rect, QRect(0, 0, 25, 30));
        EXPECT_EQ(b.buttons()[1]->rect, QRect(25, 0, 50, 30));
        EXPECT_EQ(b.buttons()[2]->rect, QRect(75, 0, 25, 30));
    }
    {
        // Split at the first separator: two from the left, two from the right.
        auto b = bar(QByteArray(kHead) + "<b cmd=\"1\" type=\"2\"/><b cmd=\"2\" type=\"2\"/><s/>"
                                         "<b cmd=\"3\" type=\"2\"/><b cmd=\"4\" type=\"2\"/>",
                     QSize(300, 40), 3);
        EXPECT_EQ(b->buttons()[0]->rect.left(), 2);
        EXPECT_EQ(b->buttons()[4]->rect.right(), 300 - 2 - 1);
        EXPECT_EQ(b->buttons()[3]->rect.right() + 1 + 1, b->buttons()[4]->rect.left());
        EXPECT_TRUE(b->buttons()[2]->rect.isEmpty());
    }
    {
        // The first button takes the bar: 2 x s in on the left, s on the
        // right, 1 at the top and 2 at the bottom.
        auto b = bar(plainButtons(2), QSize(200, 30), 4, 3);
        EXPECT_EQ(b->buttons()[0]->rect, QRect(QPoint(6, 1), QPoint(200 - 3 - 1, 30 - 2 - 1)));
        EXPECT_TRUE(b->buttons()[1]->rect.isEmpty());
    }
}

TEST_F(ToolbarTest, ClicksPostOnlyFromThePressedEnabledButton) {
    auto b = bar(QByteArray(kHead) + "<b type=\"2\"/><s size=\"1\"/><b cmd=\"5\" type=\"2\"/><b cmd=\"6\" type=\"2\"/>"
                                     "<b cmd=\"9\" type=\"3\"/>",
                 QSize(1000, 40));
    const auto& buttons = b->buttons();
    // A button without "cmd" posts 0.
    click(*b, centre(*buttons[0]), centre(*buttons[0]));
    EXPECT_EQ(owner.take(), (std::vector<Posted>{{0, 0}}));
    // The same button pressed and released posts its command.
    click(*b, centre(*buttons[2]), centre(*buttons[2]));
    EXPECT_EQ(owner.take(), (std::vector<Posted>{{5, 5}}));
    // Released over another button, or off the bar: nothing.
    click(*b, centre(*buttons[2]), centre(*buttons[3]));
    click(*b, centre(*buttons[2]), QPoint(-5, 5));
    EXPECT_TRUE(owner.take().empty());
    EXPECT_EQ(b->pressedButton(), nullptr);
    // A separator is never hit, even inside its rectangle.
    ASSERT_FALSE(buttons[1]->rect.isEmpty());
    EXPECT_EQ(b->HitTest(centre(*buttons[1])), nullptr);
    click(*b, centre(*buttons[1]), centre(*buttons[1]));
    EXPECT_TRUE(owner.take().empty());
    // A disabled button is never hit and never posts; enabled again, it does.
    b->m_bChanged = false;
    b->SetButtonState(3, 0, false);
    EXPECT_TRUE(b->m_bChanged);
    click(*b, centre(*buttons[3]), centre(*buttons[3]));
    EXPECT_TRUE(owner.take().empty());
    b->SetButtonState(3, 21, false);
    click(*b, centre(*buttons[3]), centre(*buttons[3]));
    EXPECT_EQ(owner.take(), (std::vector<Posted>{{6, 6}}));
    // Type 3 is a button too.
    click(*b, centre(*buttons[4]), centre(*buttons[4]));
    EXPECT_EQ(owner.take(), (std::vector<Posted>{{9, 9}}));
    // A state for a position the bar does not have changes nothing.
    b->m_bChanged = false;
    b->SetButtonState(99, 0, true);
    b->SetButtonState(-1, 0, true);
    EXPECT_FALSE(b->m_bChanged);
}

TEST_F(ToolbarTest, RightClicksAndDragCodes) {
    auto b = bar(plainButtons(3), QSize(600, 40));
    const QPoint on = centre(*b->buttons()[1]);
    const auto right = [&](Qt::KeyboardModifiers modifiers) {
        mouse(*b, QEvent::MouseButtonPress, on, Qt::RightButton, Qt::RightButton, modifiers);
        mouse(*b, QEvent::MouseButtonRelease, on, Qt::RightButton, Qt::NoButton, modifiers);
        return owner.take();
    };
    // Without the flag a right click posts nothing.
    EXPECT_TRUE(right(Qt::NoModifier).empty());
    b->m_bRightClickHotkey = true;
    EXPECT_EQ(right(Qt::NoModifier), (std::vector<Posted>{{-1, 2}}));
    EXPECT_TRUE(right(Qt::ControlModifier).empty());
    b->SetButtonState(1, 0, false);
    EXPECT_TRUE(right(Qt::NoModifier).empty());

    // A drag handle: pressing outside the buttons begins a drag, moving
    // outside them moves it, releasing ends it; the point rides in lParam.
    const QPoint gap(3, 20);  // left of the first button
    ASSERT_EQ(b->HitTest(gap), nullptr);
    click(*b, gap, gap);
    EXPECT_TRUE(owner.take().empty());  // no handle: nothing
    b->m_bDragHandle = true;
    mouse(*b, QEvent::MouseButtonPress, gap, Qt::LeftButton, Qt::LeftButton);
    mouse(*b, QEvent::MouseMove, QPoint(3, 25), Qt::NoButton, Qt::LeftButton);
    mouse(*b, QEvent::MouseMove, on, Qt::NoButton, Qt::LeftButton);  // over a disabled button: none hit
    mouse(*b, QEvent::MouseMove, centre(*b->buttons()[0]), Qt::NoButton, Qt::LeftButton);  // over a button: no move
    mouse(*b, QEvent::MouseButtonRelease, QPoint(4, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(owner.take(), (std::vector<Posted>{{CDlgToolbar::kDragBegin, (20 << 16) | 3},
                                                 {CDlgToolbar::kDragMove, (25 << 16) | 3},
                                                 {CDlgToolbar::kDragMove, (on.y() << 16) | on.x()},
                                                 {CDlgToolbar::kDragEnd, (30 << 16) | 4}}));
    EXPECT_FALSE(b->dragging());
    // Pressing a button on a drag-handle bar is a click, not a drag.
    click(*b, centre(*b->buttons()[2]), centre(*b->buttons()[2]));
    EXPECT_EQ(owner.take(), (std::vector<Posted>{{3, 3}}));
}

TEST_F(ToolbarTest, HoverAnimatesElevenFramesAndKeepsItsShade) {
    auto b = bar(QByteArray(kHead) + "<b cmd=\"1\" type=\"2\"><tip en=\"Cut&#9;Ctrl+X\"/></b><b cmd=\"2\" type=\"2\"/>",
                 QSize(400, 40));
    const ToolbarButton& first = *b->buttons()[0];
    hover(*b, centre(first));
    EXPECT_EQ(b->hotButton(), &first);
    EXPECT_TRUE(b->animationRunning());
    EXPECT_EQ(b->animationStep(), 0);
    EXPECT_EQ(b->tipText(), QStringLiteral("Cut     Ctrl+X"));  // the tab as five spaces
    // The clock is driven here: ten ticks run, the eleventh ends it.
    for (int tick = 1; tick <= 10; ++tick) {
        b->OnAnimationTimer();
        EXPECT_EQ(b->animationStep(), tick);
        EXPECT_TRUE(b->animationRunning()) << tick;
    }
    b->OnAnimationTimer();
    EXPECT_FALSE(b->animationRunning());
    // The shade stays at its last step while the pointer stays: the
    // background less 10 x 1029 as one COLORREF number (red 5 and green 4
    // less a step).
    EXPECT_EQ(b->animationStep(), 10);
    const QRect r = first.rect;
    EXPECT_EQ(b->renderImage().pixel(r.left() + 1, r.top() + 1), qRgb(0xF0 - 50, 0xF0 - 40, 0xF0));
    // Moving within the button starts nothing again.
    hover(*b, centre(first) + QPoint(1, 1));
    EXPECT_FALSE(b->animationRunning());
    // The next button starts over; leaving the bar ends it all.
    hover(*b, centre(*b->buttons()[1]));
    EXPECT_EQ(b->animationStep(), 0);
    EXPECT_TRUE(b->tipText().isEmpty());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b.get(), &leave);
    EXPECT_EQ(b->hotButton(), nullptr);
    EXPECT_FALSE(b->animationRunning());
    EXPECT_EQ(b->renderImage().pixel(r.left() + 1, r.top() + 1), qRgb(0xF0, 0xF0, 0xF0));
    // Pressed: the accent colour.
    mouse(*b, QEvent::MouseButtonPress, centre(first), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(b->renderImage().pixel(r.left() + 1, r.top() + 1), QColor::fromRgba(CDlgToolbar::kAccent).rgb());
    mouse(*b, QEvent::MouseButtonRelease, centre(first), Qt::LeftButton, Qt::NoButton);
    // Latched, in the usual modes: a highlight.
    b->SetButtonState(1, 21, true);
    const QRect r2 = b->buttons()[1]->rect;
    EXPECT_NE(b->renderImage().pixel(r2.left() + 1, r2.top() + 1), qRgb(0xF0, 0xF0, 0xF0));
}

TEST_F(ToolbarTest, OverflowMenuListsTheHiddenButtonsWithoutTheHotkeyHint) {
    // Four buttons that stay, then: an entry with the hint, a non-menu
    // button (a separator there), two separators in a row, a disabled entry,
    // an entry, and a trailing non-menu button.
    const QByteArray xml = QByteArray(kHead) +
                           "<b cmd=\"1\" type=\"2\"/><b cmd=\"2\" type=\"2\"/><b cmd=\"3\" type=\"2\"/><b cmd=\"4\" type=\"2\"/>"
                           "<b cmd=\"3\" type=\"3\"/>"  // a non-menu button first: no separator before the first entry
                           "<b cmd=\"6\" type=\"2\" icon=\"menu\\Color\"><tit en=\"Colour&#9;Right click to set hotkey.\" "
                           "cn=\"颜色&#9;右键点击可设置快捷键\"/></b>"
                           "<b cmd=\"7\" type=\"3\"/><s/>"
                           "<b cmd=\"8\" type=\"5\" icon=\"tb\\Save\"><tit en=\"Save\" cn=\"保存\"/></b>"
                           "<b cmd=\"9\" type=\"2\"><tit en=\"Zoom\" cn=\"缩放\"/></b>"
                           "<b cmd=\"10\" type=\"3\"/>";
    for (const char* language : {"en", "cn"}) {
        SCOPED_TRACE(language);
        context.languageCode = QString::fromLatin1(language);
        auto b = bar(xml, QSize(120, 40));
        ASSERT_TRUE(b->overflowActive());
        b->SetButtonState(8, 0, false);  // "Save" disabled
        std::vector<QString> entries;
        std::vector<bool> enabled;
        unsigned answer = 9;
        b->trackMenu = [&](CKwMenu& menu, QPoint) {
            for (QAction* a : menu.actions()) {
                if (a->isSeparator()) {
                    entries.push_back(QStringLiteral("-"));
                    continue;
                }
                const CKwMenu::ItemRecord* record = menu.FindRecord(CKwMenu::ActionId(a));
                entries.push_back(record ? record->caption + record->shortcut : a->text());
                enabled.push_back(a->isEnabled());
            }
            return answer;
        };
        const QPoint more = b->overflowButton().rect.center();
        click(*b, more, more);
        const bool en = context.languageCode == QLatin1String("en");
        EXPECT_EQ(entries, (std::vector<QString>{en ? QStringLiteral("Colour") : QStringLiteral("颜色"), QStringLiteral("-"),
                                                 en ? QStringLiteral("Save") : QStringLiteral("保存"),
                                                 en ? QStringLiteral("Zoom") : QStringLiteral("缩放")}));
        EXPECT_EQ(enabled, (std::vector<bool>{true, false, true}));
        EXPECT_EQ(owner.take(), (std::vector<Posted>{{9, 9}}));
        // Nothing chosen, or a disabled entry: nothing posted.
        for (unsigned none : {0u, 8u}) {
            answer = none;
            click(*b, more, more);
            EXPECT_TRUE(owner.take().empty()) << none;
        }
    }
}

TEST_F(ToolbarTest, DrawsTheProgramsButtonPictures) {
    // The real main bar beside the test program, with its pictures: a
    // disabled button shows its grey picture, which differs from the normal one.
    context.programFolder = programFolder();
    CDlgToolbar b(&owner, context, nullptr);
    ASSERT_TRUE(b.LoadButtons(QStringLiteral("tb_main")));
    b.m_nLayoutMode = 1;
    b.m_nSpacing = 1;
    b.resize(1400, 40);
    b.RecalcLayout();
    const ToolbarButton& open = *b.buttons()[3];
    ASSERT_NE(open.picture, nullptr);
    ASSERT_NE(open.greyPicture, nullptr);
    const auto colours = [&](const QImage& image) {
        int coloured = 0;
        for (int y = open.rect.top(); y <= open.rect.bottom(); ++y)
            for (int x = open.rect.left(); x <= open.rect.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (std::abs(c.red() - c.blue()) > 24 || std::abs(c.green() - c.blue()) > 24) ++coloured;
            }
        return coloured;
    };
    EXPECT_GT(colours(b.renderImage()), 20);
    b.SetButtonState(3, 0, true);
    EXPECT_EQ(colours(b.renderImage()), 0);  // grey all over
}

}  // namespace
}  // namespace toliva::test
