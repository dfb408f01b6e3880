// The property grid driven as a user would: mouse, keys and wheel sent to the
// widget under the offscreen platform, pickers answered by a scripted dialog
// service, and an owner that records every message it gets.
#include "uikit/CDlgAMF.h"

#include "TestSupport.h"
#include "platform/Archive.h"
#include "platform/DialogService.h"
#include "platform/emf/EmfRecorder.h"
#include "uikit/CKwPGL.h"
#include "uikit/KitDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QWheelEvent>

#include <vector>

namespace toliva {
namespace {

using test::ScratchFolder;

// ---- pages

struct FieldRecord {
    int item, kind, type;
    float x, y, x2, y2;
};

// An ".apx" page of 400 x 300 units with these fields. The first field is
// 28 units high, so at text size 25 one unit is one pixel.
QByteArray pageBytes(const std::vector<FieldRecord>& fields) {
    emf::EmfRecorder rec(QSizeF(400, 300));
    {
        QPainter p(&rec);
        p.fillRect(QRectF(0, 0, 400, 300), QColor(250, 250, 245));
    }
    rec.addComment(QByteArray(400, 'p'));
    const QByteArray emf = rec.toEmf();
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(int(fields.size()));
    if (!fields.empty()) {
        for (float v : {0.0f, 0.0f, 400.0f, 300.0f}) ar.writeF32(v);
        for (const FieldRecord& f : fields) {
            ar.writeI32(f.item);
            ar.writeI32(f.kind);
            ar.writeI32(f.type);
            for (float v : {f.x, f.y, f.x2, f.y2}) ar.writeF32(v);
        }
    }
    ar.writeI32(int(emf.size()));
    ar.writeF32(1.0f);
    ar.writeF32(400);
    ar.writeF32(300);
    ar.writeBytes(emf.constData(), emf.size());
    return bytes;
}

// Field indexes of the form page.
enum FormField {
    kName,       // item 1, text
    kCheck,      // item 2, check box
    kOptionA,    // item 3, option 0
    kOptionB,    // item 3, option 1
    kButton,     // item 4, button
    kPath,       // item 5, text
    kBrowse,     // item 5, path buttons
    kDesktop,
    kWorkPath,
    kFont,       // item 6, font
    kColour,     // item 7, colour (COLORREF)
    kNotes,      // item 8, text box taller than 1.8 x the text size
};

const std::vector<FieldRecord> kFormPage = {
    {1, 3, 1, 10, 10, 200, 38},    {2, 3, 21, 10, 50, 30, 70},    {3, 3, 19, 10, 80, 28, 98},
    {3, 3, 19, 40, 80, 58, 98},    {4, 3, 39, 10, 110, 100, 138}, {5, 3, 1, 10, 150, 300, 178},
    {5, 3, 39, 10, 190, 60, 218},  {5, 3, 39, 70, 190, 120, 218}, {5, 3, 39, 130, 190, 180, 218},
    {6, 3, 11, 10, 230, 300, 258}, {7, 3, 4, 310, 10, 390, 38},   {8, 3, 1, 210, 50, 390, 130},
};

// ---- the owner

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

// ---- the fixture

class GridTest : public ::testing::Test {
protected:
    // Every item of the form page exists, empty.
    void SetUp() override { list.GetOrAddItem(0, 7); }
    void TearDown() override {
        delete grid;
        grid = nullptr;
    }

    QString writePage(const QString& name, const std::vector<FieldRecord>& fields) {
        const QString path = folder.file(name);
        EXPECT_TRUE(test::writeFile(path, pageBytes(fields)));
        return path;
    }

    // A grid over the pages, shown in an 800 x 500 owner.
    void open(const QStringList& pages) {
        grid = new CDlgAMF(&owner);
        grid->fontSize = 25;
        grid->propertyList = &list;
        grid->pageFiles = pages;
        grid->OnInitDialog();
        owner.resize(800, 500);
        grid->setGeometry(0, 0, 800, 500);
        owner.show();
        grid->show();
        QCoreApplication::processEvents();
        grid->RenderPage();
    }
    void openForm() { open({writePage(QStringLiteral("010Form.apx"), kFormPage)}); }

    void setText(int item, const QString& text) { ParseItemValue(*list.GetOrAddItem(0, item), text); }
    QString text(int item) const { return list.GetItemText(0, item, false); }

    QWidget* keyTarget() const {
        if (grid->SingleLineEdit()->isVisible()) return grid->SingleLineEdit();
        if (grid->MultiLineEdit()->isVisible()) return grid->MultiLineEdit();
        return grid;
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, k, mods, text);
        QApplication::sendEvent(keyTarget(), &press);
        QKeyEvent release(QEvent::KeyRelease, k, mods, text);
        QApplication::sendEvent(keyTarget(), &release);
    }
    void mouse(QEvent::Type type, QPoint at) {
        QMouseEvent e(type, QPointF(at), QPointF(grid->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid, &e);
    }
    void click(QPoint at) {
        mouse(QEvent::MouseButtonPress, at);
        mouse(QEvent::MouseButtonRelease, at);
    }
    void clickField(int index) { click(grid->FieldRect(index).center()); }
    void wheel(int angle) {
        const QPoint at = grid->PageRect().center();
        QWheelEvent e(QPointF(at), QPointF(grid->mapToGlobal(at)), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid, &e);
    }
    std::vector<Message> takePosted() {
        QCoreApplication::sendPostedEvents();
        std::vector<Message> out;
        out.swap(owner.posted);
        return out;
    }

    ScratchFolder folder;
    ScriptedDialogService dialogs;
    ScopedDialogService scoped{&dialogs};
    RecordingOwner owner;
    CKwPGL list;
    CDlgAMF* grid = nullptr;
};

// ---- pages and titles

TEST(GridPageEntries, TitlesComeFromTheEntryOrTheFileName) {
    struct Case {
        const char* entry;
        const char* path;
        const char* title;
    } cases[] = {
        {"/p/$Display$010disp.apx", "/p/010disp.apx", "Display"},
        {"/p/010Display.apx", "/p/010Display.apx", "Display"},
        {"/p/Colours.APX", "/p/Colours.APX", "Colours"},
        {"/p/007.apx", "/p/007.apx", "007"},   // not longer than three: kept
        {"/p/0123.apx", "/p/0123.apx", "3"},
        {"/p/$one dollar.apx", "/p/$one dollar.apx", "$one dollar"},  // one '$': no title
    };
    for (const Case& c : cases) {
        const CDlgAMF::PageEntry e = CDlgAMF::SplitPageEntry(QString::fromUtf8(c.entry));
        EXPECT_EQ(e.path, QString::fromUtf8(c.path)) << c.entry;
        const QString title = e.title.isEmpty() ? CDlgAMF::TitleFromFileName(e.path) : e.title;
        EXPECT_EQ(title, QString::fromUtf8(c.title)) << c.entry;
    }
}

TEST(GridPageEntries, PageListRowsShrinkWithMorePages) {
    const std::pair<int, int> cases[] = {{1, 5}, {6, 5}, {7, 4}, {8, 4}, {9, 3}, {10, 3}, {11, 2}, {16, 2}, {17, 1}};
    for (auto [pages, factor] : cases) EXPECT_EQ(CDlgAMF::PageListRowFactor(pages), factor) << pages;
}

TEST_F(GridTest, LoadsApxPagesAndBundlesAndIgnoresOtherFiles) {
    const QString a = writePage(QStringLiteral("010First.apx"), kFormPage);
    writePage(QStringLiteral("any.apx"), kFormPage);
    // A bundle that claims a billion pages but holds one: one page.
    QByteArray bundle;
    {
        Archive ar(&bundle, Archive::Store);
        ar.writeI32(1000000000);
        ar.writeString(QStringLiteral("Bundled"));
    }
    bundle.append(pageBytes(kFormPage));
    const QString apg = folder.file(QStringLiteral("set.apg"));
    ASSERT_TRUE(test::writeFile(apg, bundle));
    writePage(QStringLiteral("notes.txt"), kFormPage);

    open({a, folder.path() + QStringLiteral("/$Second$") + QStringLiteral("any.apx"), apg,
          folder.file(QStringLiteral("notes.txt"))});
    ASSERT_EQ(grid->PageCount(), 3);
    EXPECT_EQ(grid->Page(0)->title, QStringLiteral("First"));
    EXPECT_EQ(grid->Page(1)->title, QStringLiteral("Second"));
    EXPECT_EQ(grid->Page(2)->title, QStringLiteral("Bundled"));
    EXPECT_EQ(grid->Page(2)->FieldCount(), int(kFormPage.size()));
    EXPECT_TRUE(grid->PageListShown());
}

TEST_F(GridTest, StartPageIsKeptInsideThePages) {
    grid = new CDlgAMF(&owner);
    grid->SetStartPage(7);
    grid->pageFiles = {writePage(QStringLiteral("a.apx"), kFormPage), writePage(QStringLiteral("b.apx"), kFormPage)};
    grid->OnInitDialog();
    EXPECT_EQ(grid->CurrentPage(), 1);
}

// ---- fields

TEST_F(GridTest, SpaceTogglesACheckBoxThatTabOnlySelects) {
    setText(1, QStringLiteral("1"));
    openForm();
    key(Qt::Key_Tab);  // the name field: its edit opens
    EXPECT_EQ(grid->CurrentField(), kName);
    EXPECT_TRUE(grid->SingleLineEdit()->isVisible());
    key(Qt::Key_Tab);  // the check box
    EXPECT_EQ(grid->CurrentField(), kCheck);
    EXPECT_FALSE(grid->SingleLineEdit()->isVisible());
    EXPECT_EQ(text(1), QStringLiteral("1"));
    key(Qt::Key_Space);
    EXPECT_EQ(text(1), QStringLiteral("0"));
    key(Qt::Key_Space);
    EXPECT_EQ(text(1), QStringLiteral("1"));
    clickField(kCheck);
    EXPECT_EQ(text(1), QStringLiteral("0"));
}

TEST_F(GridTest, SpaceInATextFieldIsTyped) {
    setText(0, QStringLiteral("ab"));
    openForm();
    clickField(kName);
    grid->SingleLineEdit()->end(false);
    key(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_EQ(text(0), QStringLiteral("ab "));
}

TEST_F(GridTest, TabGoesThroughVisibleFieldsAndWraps) {
    openForm();
    grid->Page(0)->fields[kCheck].visible = false;
    std::vector<int> visited;
    for (int i = 0; i < int(kFormPage.size()); ++i) {
        key(Qt::Key_Tab);
        visited.push_back(grid->CurrentField());
    }
    const std::vector<int> expected = {kName,    kOptionA, kOptionB, kButton, kPath, kBrowse,
                                       kDesktop, kWorkPath, kFont,   kColour, kNotes, kName};
    EXPECT_EQ(visited, expected);
    // Tab from a field's edit and Shift+Tab behave the same way.
    EXPECT_TRUE(grid->SingleLineEdit()->isVisible());
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->CurrentField(), kOptionA);
    EXPECT_TRUE(dialogs.asked.empty());  // Tab opens no picker
    EXPECT_TRUE(owner.sent.empty());
}

TEST_F(GridTest, TabOverAPageWithoutVisibleFieldsStops) {
    openForm();
    for (PictureField& f : grid->Page(0)->fields) f.visible = false;
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->CurrentField(), -1);
}

TEST_F(GridTest, OptionSendsItsItemNumber) {
    openForm();
    clickField(kOptionB);
    EXPECT_EQ(list.GetItemChoice(0, 2), 1);
    clickField(kOptionA);
    EXPECT_EQ(list.GetItemChoice(0, 2), 0);
    const std::vector<Message> expected = {{WM_PROPERTY_OPTION_CHOSEN, 3, 0}, {WM_PROPERTY_OPTION_CHOSEN, 3, 0}};
    EXPECT_EQ(owner.sent, expected);
}

TEST_F(GridTest, ButtonFiresOnReleaseOverItselfOrOnSpace) {
    openForm();
    const QRect button = grid->FieldRect(kButton);
    mouse(QEvent::MouseButtonPress, button.center());
    EXPECT_TRUE(owner.sent.empty());
    mouse(QEvent::MouseButtonRelease, button.center());
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0], (Message{WM_PROPERTY_ITEM_CLICK, 4, 0}));

    // Released elsewhere: nothing.
    mouse(QEvent::MouseButtonPress, button.center());
    mouse(QEvent::MouseButtonRelease, grid->FieldRect(kColour).center());
    EXPECT_EQ(owner.sent.size(), 1u);

    key(Qt::Key_Space);  // the button is the current field
    ASSERT_EQ(owner.sent.size(), 2u);
    EXPECT_EQ(owner.sent[1], (Message{WM_PROPERTY_ITEM_CLICK, 4, 0}));
}

TEST_F(GridTest, PathButtonsSetTheirItemAndSendNothing) {
    setText(4, QStringLiteral("/home/user"));
    openForm();
    EXPECT_EQ(grid->PathButtonKind(kBrowse), 1);
    EXPECT_EQ(grid->PathButtonKind(kDesktop), 2);
    EXPECT_EQ(grid->PathButtonKind(kWorkPath), 3);
    EXPECT_EQ(grid->PathButtonKind(kButton), 0);

    clickField(kDesktop);
    EXPECT_EQ(text(4), QStringLiteral("#Desktop#"));
    EXPECT_TRUE(list.modified);
    clickField(kWorkPath);
    EXPECT_EQ(text(4), QStringLiteral("#WorkPath#"));

    // Browse without a file filter picks a folder, starting at the value.
    setText(4, QStringLiteral("/home/user"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFolder(QStringLiteral("/data/out")));
    clickField(kBrowse);
    ASSERT_EQ(dialogs.folderRequests.size(), 1u);
    EXPECT_EQ(dialogs.folderRequests[0].initialFolder, QStringLiteral("/home/user"));
    EXPECT_EQ(text(4), QStringLiteral("/data/out"));
    EXPECT_TRUE(owner.sent.empty());
}

TEST_F(GridTest, BrowseWithAFileFilterKeepsTheFilter) {
    setText(4, QStringLiteral("#Text files (*.txt)|*.txt|#"));
    openForm();
    const QString chosen = folder.file(QStringLiteral("a.txt"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(chosen));
    dialogs.answers.push_back(ScriptedDialogService::Answer::cancel(ScriptedDialogService::Kind::File));
    clickField(kBrowse);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_FALSE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, QStringLiteral("Text files (*.txt)|*.txt|"));
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, QStringLiteral("txt"));
    EXPECT_EQ(text(4), chosen);
    // The item now holds the path; the next browse still picks a file, in
    // the folder the first one was taken from.
    clickField(kBrowse);
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].filter, QStringLiteral("Text files (*.txt)|*.txt|"));
    EXPECT_EQ(dialogs.fileRequests[1].initialFolder, folder.path() + u'/');
    EXPECT_EQ(text(4), chosen);  // cancelled: unchanged
}

TEST_F(GridTest, AFilterWithALineFeedOpensASaveDialog) {
    setText(4, QStringLiteral("#Hotkeys (*.hks)|*.hks|\n#"));
    openForm();
    clickField(kBrowse);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, QStringLiteral("Hotkeys (*.hks)|*.hks|"));
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, QStringLiteral("hks"));
}

TEST_F(GridTest, TypingStoresTheTextAndPostsTheChange) {
    setText(0, QStringLiteral("old"));
    openForm();
    clickField(kName);
    QLineEdit* edit = grid->SingleLineEdit();
    ASSERT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("old"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("old"));
    EXPECT_TRUE(takePosted().empty());  // showing the value reports nothing
    // The edit lies over the field's box, inside it.
    EXPECT_TRUE(grid->FieldRect(kName).contains(edit->geometry()));

    key(Qt::Key_N, Qt::NoModifier, QStringLiteral("n"));
    key(Qt::Key_E, Qt::NoModifier, QStringLiteral("e"));
    EXPECT_EQ(text(0), QStringLiteral("ne"));
    const std::vector<Message> expected = {{WM_PROPERTY_ITEM_CHANGED, 1, 0}, {WM_PROPERTY_ITEM_CHANGED, 1, 0}};
    EXPECT_EQ(takePosted(), expected);
    EXPECT_TRUE(owner.sent.empty());

    // A click elsewhere closes the edit.
    click(grid->PageRect().bottomRight() - QPoint(2, 2));
    EXPECT_FALSE(edit->isVisible());
    EXPECT_EQ(grid->CurrentField(), -1);
}

TEST_F(GridTest, TallTextBoxesUseTheMultiLineEdit) {
    setText(7, QStringLiteral("line 1\nline 2"));
    openForm();
    clickField(kNotes);
    EXPECT_FALSE(grid->SingleLineEdit()->isVisible());
    ASSERT_TRUE(grid->MultiLineEdit()->isVisible());
    EXPECT_EQ(grid->MultiLineEdit()->toPlainText(), QStringLiteral("line 1\nline 2"));
}

TEST_F(GridTest, AFreeEditItemOpensNoEdit) {
    setText(0, QStringLiteral("#**#"));
    openForm();
    clickField(kName);
    EXPECT_EQ(grid->CurrentField(), kName);
    EXPECT_FALSE(grid->SingleLineEdit()->isVisible());
    EXPECT_FALSE(grid->MultiLineEdit()->isVisible());
}

TEST_F(GridTest, ColourFieldStoresTheChosenColorref) {
    setText(6, QString::number(0x0000FF));
    openForm();
    dialogs.answers.push_back(ScriptedDialogService::Answer::withColour(QColor(0x10, 0x20, 0x30)));
    clickField(kColour);
    ASSERT_EQ(dialogs.colourRequests.size(), 1u);
    EXPECT_EQ(dialogs.colourRequests[0].initial, QColor(255, 0, 0));
    EXPECT_EQ(list.GetItemInt(0, 6), 0x302010);
    clickField(kColour);  // cancelled
    EXPECT_EQ(list.GetItemInt(0, 6), 0x302010);
}

TEST_F(GridTest, FontWeightsFromSemiBoldUpAreBold) {
    struct Case {
        int weight;
        int boldFlag;
    } cases[] = {{QFont::Normal, 0}, {QFont::Medium, 0}, {QFont::DemiBold, 1}, {QFont::Bold, 1}, {QFont::Black, 1}};
    openForm();
    for (const Case& c : cases) {
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPointSize(14);
        font.setWeight(QFont::Weight(c.weight));
        font.setItalic(true);
        dialogs.answers.push_back(ScriptedDialogService::Answer::withFont(font, QColor(0, 0, 255)));
        clickField(kName);  // away from the font field, so that each click activates it anew
        click(grid->FieldRect(kFont).topLeft() + QPoint(4, 4));
        QString face;
        int size = 0, style = 0, colour = 0;
        EXPECT_TRUE(list.GetItemFont(0, 5, face, size, style, colour)) << c.weight;
        EXPECT_EQ(face, QStringLiteral("DejaVu Serif"));
        EXPECT_EQ(size, 14);
        EXPECT_EQ(style, c.boldFlag | kFontItalic) << c.weight;
        EXPECT_EQ(colour, 0xFF0000);
    }
    // What was stored opens the dialog again as it was: bold as Black.
    clickField(kName);
    click(grid->FieldRect(kFont).topLeft() + QPoint(4, 4));
    const FontDialogRequest& last = dialogs.fontRequests.back();
    EXPECT_EQ(last.font.weight(), QFont::Black);
    EXPECT_TRUE(last.font.italic());
    EXPECT_EQ(last.font.pointSize(), 14);
    EXPECT_EQ(last.colour, QColor(0, 0, 255));
}

TEST_F(GridTest, FontFieldDefaultsAndColourSwatch) {
    openForm();
    click(grid->FieldRect(kFont).topLeft() + QPoint(4, 4));
    ASSERT_EQ(dialogs.fontRequests.size(), 1u);
    EXPECT_EQ(dialogs.fontRequests[0].font.pointSize(), 12);
    EXPECT_EQ(dialogs.fontRequests[0].font.weight(), QFont::Black);

    const QRect swatch = grid->Page(0)->fields[kFont].hitArea;
    ASSERT_FALSE(swatch.isEmpty());
    dialogs.answers.push_back(ScriptedDialogService::Answer::withColour(QColor(0, 128, 0)));
    clickField(kName);
    click(swatch.center() + grid->PageRect().topLeft());
    EXPECT_EQ(dialogs.colourRequests.size(), 1u);
    EXPECT_EQ(dialogs.fontRequests.size(), 1u);
    QString face;
    int size = 0, style = 0, colour = 0;
    list.GetItemFont(0, 5, face, size, style, colour);
    EXPECT_EQ(colour, 0x008000);
    EXPECT_EQ(style, kFontBold);
}

// ---- pages

TEST_F(GridTest, WheelStopsAtTheEndsAndKeysWrap) {
    const QString page = writePage(QStringLiteral("p.apx"), kFormPage);
    open({page, page, page});
    for (int i = 0; i < 4; ++i) wheel(-120);
    EXPECT_EQ(grid->CurrentPage(), 2);
    for (int i = 0; i < 4; ++i) wheel(120);
    EXPECT_EQ(grid->CurrentPage(), 0);
    key(Qt::Key_Up);
    EXPECT_EQ(grid->CurrentPage(), 2);
    key(Qt::Key_Down);
    EXPECT_EQ(grid->CurrentPage(), 0);
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(grid->CurrentPage(), 1);
    // A click in the page list picks the page of that row.
    const int row = 25 * CDlgAMF::PageListRowFactor(3);
    click(QPoint(10, 2 * row + row / 2));
    EXPECT_EQ(grid->CurrentPage(), 2);
}

TEST_F(GridTest, WheelDoesNothingWithOnePage) {
    openForm();
    EXPECT_FALSE(grid->PageListShown());
    EXPECT_TRUE(grid->PageListRect().isEmpty());
    wheel(-120);
    EXPECT_EQ(grid->CurrentPage(), 0);
}

TEST_F(GridTest, ChangingPagesClosesTheEdit) {
    const QString page = writePage(QStringLiteral("p.apx"), kFormPage);
    open({page, page});
    clickField(kName);
    ASSERT_TRUE(grid->SingleLineEdit()->isVisible());
    key(Qt::Key_Down);
    EXPECT_EQ(grid->CurrentPage(), 1);
    EXPECT_FALSE(grid->SingleLineEdit()->isVisible());
    EXPECT_EQ(grid->CurrentField(), -1);
}

TEST_F(GridTest, HugeFieldBoxesFromAFileStayUsable) {
    // A page file can hold any rectangle: a button larger than any screen.
    const std::vector<FieldRecord> page = {{1, 3, 1, 10, 10, 200, 38}, {2, 3, 39, -3e38f, -3e38f, 3e38f, 3e38f}};
    open({writePage(QStringLiteral("huge.apx"), page)});
    const QRect box = grid->FieldRect(1);
    EXPECT_TRUE(box.contains(grid->rect()));
    mouse(QEvent::MouseButtonPress, QPoint(5, 5));
    mouse(QEvent::MouseButtonRelease, QPoint(5, 5));
    const std::vector<Message> expected = {{WM_PROPERTY_ITEM_CLICK, 2, 0}};
    EXPECT_EQ(owner.sent, expected);
}

TEST_F(GridTest, ZeroPagesAreSafe) {
    open({});
    EXPECT_EQ(grid->PageCount(), 0);
    EXPECT_EQ(grid->CurrentPage(), 0);
    for (int k : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Space}) key(k);
    key(Qt::Key_Tab, Qt::ControlModifier);
    wheel(-120);
    wheel(120);
    click(QPoint(100, 100));
    grid->SetCurrentPage(0);
    grid->ActivateField(0, CDlgAMF::Activation::Click);
    PostWindowMessage(grid, WM_PROPERTY_GRID_POSTED, 1, 0);
    PostWindowMessage(grid, WM_PROPERTY_GRID_POSTED, 3, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(grid->CurrentPage(), 0);
    EXPECT_EQ(grid->CurrentField(), -1);
    EXPECT_TRUE(owner.sent.empty());
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(GridTest, EnterAndEscapeReachTheOwnerAsCommands) {
    openForm();
    key(Qt::Key_Return);
    clickField(kName);  // also from inside the edit
    key(Qt::Key_Escape);
    const std::vector<Message> expected = {{WM_COMMAND, IDOK, 0}, {WM_COMMAND, IDCANCEL, 0}};
    EXPECT_EQ(takePosted(), expected);
}

// ---- posted choices

TEST_F(GridTest, PostedChoiceShowsTheColoursAFillStyleUses) {
    // Three colour fields, then the fill style.
    const std::vector<FieldRecord> fill = {
        {1, 3, 14, 10, 10, 60, 38}, {2, 3, 14, 70, 10, 120, 38}, {3, 3, 14, 130, 10, 180, 38},
        {4, 3, 26, 190, 10, 300, 38}, {5, 3, 39, 10, 50, 60, 78}};
    open({writePage(QStringLiteral("fill.apx"), fill)});
    clickField(3);
    ASSERT_EQ(grid->CurrentField(), 3);
    struct Case {
        int choice;
        bool visible[3];
    } cases[] = {{0, {false, false, false}}, {1, {true, false, false}}, {2, {true, true, false}},
                 {54, {true, true, false}},  {55, {true, true, true}}};
    for (const Case& c : cases) {
        grid->pendingChoice = c.choice;
        PostWindowMessage(grid, WM_PROPERTY_GRID_POSTED, 1, 0);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(list.GetItemChoice(0, 3), c.choice);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(grid->Page(0)->fields[size_t(k)].visible, c.visible[k]) << c.choice;
    }

    grid->pendingColour = 0x80FF0010;
    PostWindowMessage(grid, WM_PROPERTY_GRID_POSTED, 3, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(text(3), QStringLiteral("#80FF0010"));
}

TEST_F(GridTest, PostedChoiceNearTheFirstFieldStaysInsideThePage) {
    open({writePage(QStringLiteral("010Form.apx"), kFormPage)});
    clickField(kCheck);  // field 1: only one field lies before it
    grid->pendingChoice = 60;
    PostWindowMessage(grid, WM_PROPERTY_GRID_POSTED, 1, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(list.GetItemChoice(0, 1), 60);
    EXPECT_TRUE(grid->Page(0)->fields[kName].visible);
}

}  // namespace
}  // namespace toliva
