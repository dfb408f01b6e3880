// The general settings dialog: where it opens, which pages it finds, how it
// lays out its parts, and what reaches its owner.
#include "uikit/CDlgGU.h"

#include "TestSupport.h"
#include "platform/AppContext.h"
#include "platform/Archive.h"
#include "platform/emf/EmfRecorder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <vector>

namespace toliva {
namespace {

using test::ScratchFolder;

// ---- placement

TEST(SettingsDialogPlacement, ModesFactorsAndTheWorkArea) {
    const QSize size(900, 640);
    const QRect work(0, 0, 1920, 1040);
    const QRect owner(100, 100, 800, 600);      // centre (500, 400)
    const QRect lowOwner(0, 700, 400, 300);     // centre (200, 850)
    struct Case {
        const char* what;
        int mode, x, y;
        float wf, hf;
        const QRect* owner;
        QRect work;
        QRect expected;
    } cases[] = {
        {"mode 5 centres on the owner", 5, 0, 0, 1, 1, &owner, work, {50, 80, 900, 640}},
        {"mode 5 with an offset", 5, 20, -30, 1, 1, &owner, work, {70, 50, 900, 640}},
        {"mode 4 as mode 5", 4, 0, 0, 1, 1, &owner, work, {50, 80, 900, 640}},
        {"sticking out below and left: pushed in", 5, 0, 0, 1, 1, &lowOwner, work, {0, 400, 900, 640}},
        {"no owner: centred on the work area", 5, 0, 0, 1, 1, nullptr, work, {510, 200, 900, 640}},
        {"mode 0: left and top at x, y", 0, 30, 40, 1, 1, nullptr, work, {30, 40, 900, 640}},
        {"mode 1: right edge at x", 1, 1000, 40, 1, 1, nullptr, work, {100, 40, 900, 640}},
        {"mode 2: right and bottom at x, y", 2, 1000, 700, 1, 1, nullptr, work, {100, 60, 900, 640}},
        {"mode 3: left at x, bottom at y", 3, 30, 700, 1, 1, nullptr, work, {30, 60, 900, 640}},
        {"factors: width x wf, height x wf x hf", 0, 0, 0, 0.5f, 2.0f, nullptr, work, {0, 0, 450, 640}},
        {"interface settings factors", 5, 0, 0, 0.72f, 1.0f, &owner, work, {176, 170, 648, 460}},
        {"past the right edge: moved left", 0, 1500, 0, 1, 1, nullptr, work, {1020, 0, 900, 640}},
        {"work area not at the origin", 0, 0, 0, 1, 1, nullptr, QRect(100, 50, 1000, 700), {100, 50, 900, 640}},
        {"taller than the work area: top kept inside", 0, 0, 0, 1, 1, nullptr, QRect(0, 0, 1000, 500),
         {0, -140, 900, 640}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDlgGU::PlaceWindow(size, c.mode, c.x, c.y, c.wf, c.hf, c.owner, c.work), c.expected) << c.what;
}

// ---- pages

TEST(SettingsDialogPages, ApxFilesSortedWithoutRegardToCase) {
    ScratchFolder folder;
    for (const char* name : {"b.apx", "A.apx", "c.APX", "010Display.apx", "notes.txt", "apx", ".apx.bak"})
        ASSERT_TRUE(test::writeFile(folder.file(QString::fromLatin1(name)), "x"));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.apx")));
    QStringList names;
    for (const QString& path : CDlgGU::CollectPageFiles(folder.path())) names << QFileInfo(path).fileName();
    EXPECT_EQ(names, (QStringList{"010Display.apx", "A.apx", "b.apx", "c.APX"}));
}

TEST(SettingsDialogPages, EmptyOrMissingFoldersGiveNoPages) {
    ScratchFolder folder;
    EXPECT_TRUE(CDlgGU::CollectPageFiles(folder.path()).isEmpty());
    EXPECT_TRUE(CDlgGU::CollectPageFiles(folder.file(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(CDlgGU::CollectPageFiles(QString()).isEmpty());
}

// ---- items

TEST(SettingsDialogItems, SettersMakeMissingGroupsAndItems) {
    CDlgGU dlg;
    dlg.SetItemDouble(2, 3, 0.5);
    dlg.SetItemInt(0, 1, -7);
    dlg.SetItemBool(1, 0, true);
    dlg.SetItemBool(1, 1, false);
    ASSERT_EQ(dlg.propertyList.groups.size(), 3u);
    EXPECT_EQ(dlg.propertyList.groups[2].items.size(), 4u);
    EXPECT_EQ(dlg.propertyList.GetItemText(2, 3, false), QStringLiteral("0.5"));
    EXPECT_DOUBLE_EQ(dlg.propertyList.GetItemDouble(2, 3), 0.5);
    EXPECT_EQ(dlg.propertyList.GetItemText(0, 1, false), QStringLiteral("-7"));
    EXPECT_TRUE(dlg.propertyList.GetItemBool(1, 0));
    EXPECT_EQ(dlg.propertyList.GetItemText(1, 1, false), QStringLiteral("0"));
    EXPECT_EQ(uint32_t(dlg.propertyList.groups[2].items[0].colorValue), 0xFF000000u);
    EXPECT_EQ(dlg.GetOrAddItem(-1, 0), nullptr);
}

// ---- the running dialog

struct Message {
    int message;
    intptr_t wParam, lParam;
    bool operator==(const Message&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Message& m) {
    return os << "{0x" << std::hex << m.message << std::dec << ", " << m.wParam << ", " << m.lParam << "}";
}

class RecordingOwner : public QWidget, public MessageTarget {
public:
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override {
        sent.push_back({message, wParam, lParam});
        return 0;
    }
    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::eventType()) {
            auto* m = static_cast<WindowMessageEvent*>(e);
            posted.push_back({m->message, m->wParam, m->lParam});
            return true;
        }
        return QWidget::event(e);
    }
    std::vector<Message> sent;
    std::vector<Message> posted;
};

// A page of 400 x 300 units: a text field (item 1) and a button (item 2).
QByteArray pageBytes() {
    emf::EmfRecorder rec(QSizeF(400, 300));
    {
        QPainter p(&rec);
        p.fillRect(QRectF(0, 0, 400, 300), QColor(250, 250, 245));
    }
    rec.addComment(QByteArray(400, 'p'));
    const QByteArray emf = rec.toEmf();
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(2);
    for (float v : {0.0f, 0.0f, 400.0f, 300.0f}) ar.writeF32(v);
    const float fields[2][7] = {{1, 3, 1, 10, 10, 200, 38}, {2, 3, 39, 10, 50, 100, 78}};
    for (const auto& f : fields) {
        for (int i = 0; i < 3; ++i) ar.writeI32(int(f[i]));
        for (int i = 3; i < 7; ++i) ar.writeF32(f[i]);
    }
    ar.writeI32(int(emf.size()));
    ar.writeF32(1.0f);
    ar.writeF32(400);
    ar.writeF32(300);
    ar.writeBytes(emf.constData(), emf.size());
    return bytes;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() {
        owner.setGeometry(100, 100, 800, 600);
        const QString pages = root.file(QStringLiteral("Test/") + app().languageCode());
        QDir().mkpath(pages);
        for (const char* name : {"020Second.apx", "010First.apx"})
            test::writeFile(pages + u'/' + QString::fromLatin1(name), pageBytes());
        QDir().mkpath(root.file(QStringLiteral("Empty/") + app().languageCode()));
    }

    // A dialog over the test pages, its work area a fixed screen.
    void open(CDlgGU& dlg, const QString& folder = QStringLiteral("Test")) {
        dlg.pageRoot = root.path();
        dlg.pageFolder = folder;
        dlg.workArea = [] { return QRect(0, 0, 1920, 1040); };
        dlg.OnInitDialog();
        dlg.show();
        QCoreApplication::processEvents();
    }
    void click(QWidget* w, QPoint at) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &e);
        }
    }

    ScratchFolder root;
    RecordingOwner owner;
};

TEST_F(SettingsDialogTest, PagesComeFromTheFolderOfTheLanguage) {
    CDlgGU dlg(&owner);
    open(dlg);
    ASSERT_NE(dlg.Grid(), nullptr);
    ASSERT_EQ(dlg.Grid()->PageCount(), 2);
    EXPECT_EQ(dlg.Grid()->Page(0)->title, QStringLiteral("First"));
    EXPECT_EQ(dlg.Grid()->Page(1)->title, QStringLiteral("Second"));
    EXPECT_EQ(dlg.PageFolderPath(), root.path() + QStringLiteral("/Test/") + app().languageCode());
}

TEST_F(SettingsDialogTest, AnEmptyPageFolderGivesAGridWithoutPages) {
    for (const char* folder : {"Empty", "Missing"}) {
        CDlgGU dlg(&owner);
        open(dlg, QString::fromLatin1(folder));
        EXPECT_EQ(dlg.Grid()->PageCount(), 0) << folder;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(dlg.Grid(), &tab);
        click(dlg.Grid(), QPoint(50, 50));
    }
}

TEST_F(SettingsDialogTest, ForwardsTheGridsMessagesWithItsTag) {
    CDlgGU dlg(&owner);
    dlg.tag = 77;
    open(dlg);
    CDlgAMF* grid = dlg.Grid();
    click(grid, grid->FieldRect(1).center());  // the button, item 2
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0], (Message{WM_PROPERTY_ITEM_CLICK, 2, 77}));

    click(grid, grid->FieldRect(0).center());  // the text field, item 1
    ASSERT_TRUE(grid->SingleLineEdit()->isVisible());
    grid->SingleLineEdit()->setText(QStringLiteral("typed"));
    QCoreApplication::sendPostedEvents();  // grid -> dialog
    QCoreApplication::sendPostedEvents();  // dialog -> owner
    const std::vector<Message> expected = {{WM_PROPERTY_ITEM_CHANGED, 1, 77}};
    EXPECT_EQ(owner.posted, expected);
    EXPECT_EQ(dlg.propertyList.GetItemText(0, 0, false), QString());  // the item did not exist
}

TEST_F(SettingsDialogTest, ExtraButtonsSendTheDialogAndTheirCode) {
    CDlgGU dlg(&owner);
    dlg.showButton3 = dlg.showButton1389 = dlg.showButton1390 = true;
    open(dlg);
    for (int id : {CDlgGU::kButtonApply, CDlgGU::kButton1389, CDlgGU::kButton1390}) {
        ASSERT_TRUE(dlg.Button(id)->isVisible()) << id;
        dlg.Button(id)->click();
    }
    const intptr_t self = intptr_t(&dlg);
    const std::vector<Message> expected = {{WM_SETTINGS_DIALOG_BUTTON, self, 0},
                                           {WM_SETTINGS_DIALOG_BUTTON, self, 1},
                                           {WM_SETTINGS_DIALOG_BUTTON, self, 2}};
    EXPECT_EQ(owner.sent, expected);
}

TEST_F(SettingsDialogTest, ButtonTextsComeFromTheLanguageFile) {
    CDlgGU dlg(&owner);
    dlg.title = QStringLiteral("Caption");
    open(dlg);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Caption"));
    const bool chinese = app().languageCode() == QLatin1String("cn");
    EXPECT_EQ(dlg.Button(IDOK)->text(), chinese ? QStringLiteral("确定") : QStringLiteral("OK"));
    EXPECT_EQ(dlg.Button(CDlgGU::kButton1389)->text(),
              chinese ? QStringLiteral("默认值") : QStringLiteral("Defaults"));
    EXPECT_TRUE(dlg.Button(IDOK)->isVisible());
    EXPECT_FALSE(dlg.Button(CDlgGU::kButtonApply)->isVisible());
}

TEST_F(SettingsDialogTest, PlacedOnTheOwnerAndButtonsOnTheBottomRow) {
    CDlgGU dlg(&owner);
    dlg.widthFactor = 0.72f;
    open(dlg);
    const QRect ownerRect(owner.mapToGlobal(QPoint(0, 0)), owner.size());
    EXPECT_EQ(dlg.geometry().center(), ownerRect.center());
    EXPECT_EQ(dlg.size(), QSize(648, 460));
    const QRect ok = dlg.Button(IDOK)->geometry();
    const QRect cancel = dlg.Button(IDCANCEL)->geometry();
    EXPECT_LT(ok.right(), cancel.left());
    EXPECT_LE(cancel.right(), dlg.width());
    EXPECT_GT(ok.top(), dlg.height() - dlg.ButtonRowHeight());
    EXPECT_LE(ok.bottom(), dlg.height());
}

TEST_F(SettingsDialogTest, GridAreaByButtonsAndListBox) {
    {
        CDlgGU dlg(&owner);
        dlg.showOkCancel = false;
        open(dlg);
        EXPECT_EQ(dlg.ButtonRowHeight(), -2);
        EXPECT_EQ(dlg.Grid()->geometry(), QRect(0, 1, dlg.width(), dlg.height() + 1));  // to 2 below the bottom
    }
    {
        CDlgGU dlg(&owner);
        open(dlg);
        const int r = dlg.ButtonRowHeight();
        EXPECT_EQ(r, int(54 * app().uiScale));
        EXPECT_EQ(dlg.Grid()->geometry(), QRect(0, 1, dlg.width(), dlg.height() - r - 1));
        EXPECT_FALSE(dlg.ListBox()->isVisible());
    }
    {
        CDlgGU dlg(&owner);
        dlg.listBoxShown = true;
        dlg.listBoxEntries = {QStringLiteral("/data/a.txt"), QStringLiteral("/data/b.txt")};
        open(dlg);
        const int r = dlg.ButtonRowHeight();
        const int y = r + 1 + int(0.3f * float(dlg.width()));
        EXPECT_EQ(dlg.Grid()->geometry(), QRect(0, 1, dlg.width(), y - 3));
        EXPECT_EQ(dlg.ListBox()->geometry(), QRect(0, y, dlg.width(), dlg.height() - (r + 2) - y));
        ASSERT_EQ(dlg.ListBox()->count(), 2);
        dlg.propertyList.modified = false;
        dlg.ListBox()->setCurrentRow(1);
        EXPECT_EQ(dlg.propertyList.GetItemText(0, 0, false), QStringLiteral("/data/b.txt"));
        EXPECT_TRUE(dlg.propertyList.modified);
    }
}

TEST_F(SettingsDialogTest, EnterAndEscapeInTheGridEndTheDialog) {
    struct Case {
        int key;
        QDialog::DialogCode result;
    } cases[] = {{Qt::Key_Return, QDialog::Accepted}, {Qt::Key_Escape, QDialog::Rejected}};
    for (const Case& c : cases) {
        CDlgGU dlg(&owner);
        open(dlg);
        dlg.setResult(-1);
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
        QApplication::sendEvent(dlg.Grid(), &press);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(dlg.result(), c.result);
        EXPECT_FALSE(dlg.isVisible());
    }
}

}  // namespace
}  // namespace toliva
