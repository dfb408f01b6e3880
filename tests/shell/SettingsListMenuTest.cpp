// The list menu that the settings pages with a list share: its items in
// both page forms, and the right-button presses the page takes from its
// controls.
#include "tests/shell/SettingsDialogSupport.h"

#include "shell/SettingsListMenu.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace toliva::test {
namespace {

using Menu = SettingsListMenu;

struct ShownItem {
    unsigned id;
    QString text;
    bool icon;
};

class SettingsListMenuTest : public SettingsDialogFixture {
protected:
    std::vector<ShownItem> shown;
    unsigned answer = 0;
    EquationSettingsContext menuContext{app, settings, programFolder(), QFont(), [this](CKwMenu& menu, QPoint) {
                                            shown.clear();
                                            for (QAction* a : menu.actions()) {
                                                const unsigned id = CKwMenu::ActionId(a);
                                                const CKwMenu::ItemRecord* r = menu.FindRecord(id);
                                                shown.push_back({id, a->isSeparator() ? QStringLiteral("-")
                                                                                      : a->text(),
                                                                 r && r->icon});
                                            }
                                            return answer;
                                        }};
    std::vector<unsigned> ids() const {
        std::vector<unsigned> out;
        for (const ShownItem& s : shown) out.push_back(s.id);
        return out;
    }
};

TEST_F(SettingsListMenuTest, EightItemsDeleteOnlyWithASelection) {
    QWidget page;
    Menu menu(menuContext, &page, true);
    answer = Menu::kExport;
    EXPECT_EQ(menu.Track(QPoint(1, 1), false), unsigned(Menu::kExport));
    EXPECT_EQ(ids(), (std::vector<unsigned>{1, 3, 0, 4, 0, 5, 6, 0, 7, 8}));
    menu.Track(QPoint(1, 1), true);
    EXPECT_EQ(ids(), (std::vector<unsigned>{1, 2, 3, 0, 4, 0, 5, 6, 0, 7, 8}));
    const QStringList english = {"New...", "Delete Selected", "Clear List", "-", "Default List", "-", "Check All",
                                 "Uncheck All", "-", "Import...", "Export..."};
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].text, english[qsizetype(i)]) << i;
        EXPECT_EQ(shown[i].icon, shown[i].id == 7 || shown[i].id == 8) << i;
    }

    // A choice outside the eight items counts as none.
    answer = 99;
    EXPECT_EQ(menu.Track(QPoint(1, 1), true), 0u);
}

TEST_F(SettingsListMenuTest, EditorFormHasNoPicturesAndChineseTexts) {
    app.lanSel = 2;
    QWidget page;
    Menu menu(menuContext, &page, false);
    menu.Track(QPoint(1, 1), true);
    ASSERT_EQ(shown.size(), 11u);
    for (const ShownItem& s : shown) EXPECT_FALSE(s.icon) << s.id;
    EXPECT_EQ(shown[0].text, QStringLiteral("新建..."));
    EXPECT_EQ(shown[10].text, QStringLiteral("导出..."));
}

TEST_F(SettingsListMenuTest, PageTakesRightButtonAndOpensOnlyOverTheList) {
    QWidget page;
    page.resize(300, 300);
    auto* box = new QVBoxLayout(&page);
    auto* list = new QListWidget(&page);
    auto* edit = new QLineEdit(&page);
    box->addWidget(list);
    box->addWidget(edit);
    page.show();
    Menu menu(menuContext, &page, true);
    std::vector<QPoint> opened;
    menu.TakeRightButton(list, [&](QPoint at) { opened.push_back(at); });
    // A control made afterwards gives up its presses too.
    auto* later = new QLineEdit(&page);
    box->addWidget(later);
    QCoreApplication::processEvents();

    const auto press = [](QWidget* w, Qt::MouseButton button, QPoint local = QPoint(-1, -1)) {
        if (local.x() < 0) local = QPoint(w->width() / 2, w->height() / 2);
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(local), QPointF(w->mapToGlobal(local)), button, button,
                      Qt::NoModifier);
        const bool delivered = QCoreApplication::sendEvent(w, &e);
        return std::make_pair(delivered && e.isAccepted(), w->mapToGlobal(local));
    };
    const auto [onList, listPoint] = press(list->viewport(), Qt::RightButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], listPoint);
    press(edit, Qt::RightButton);
    press(later, Qt::RightButton);
    press(&page, Qt::RightButton, QPoint(2, 2));  // the margin beside the list
    EXPECT_EQ(opened.size(), 1u);
    // The left button goes on as usual.
    press(list->viewport(), Qt::LeftButton);
    EXPECT_EQ(opened.size(), 1u);
}

}  // namespace
}  // namespace toliva::test
