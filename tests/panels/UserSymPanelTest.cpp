// The user symbol panel: the per-user glyph file survives a damaged read,
// loading, extracting, the context menu's items and moves, the grid's rows and
// the window's size at high resolution, and pictures in both languages.
#include "panels/CDlgUserSymPanel.h"
#include "platform/Archive.h"
#include "platform/MessageSink.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

namespace toliva::test {
namespace {

std::unique_ptr<GlyphOutline> triangle(float size, int16_t code) {
    auto g = std::make_unique<GlyphOutline>();
    gp::GraphicsPath path;
    path.AddLine(gp::PointF{0, 0}, gp::PointF{size, 0});
    path.AddLine(gp::PointF{size, 0}, gp::PointF{size / 2, -size});
    path.CloseFigure();
    SetGlyphFromPath(*g, path);
    g->m[0] = size;
    g->m[1] = size;
    g->m[2] = 0;
    g->charCode = code;
    return g;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray listBytes(int records) {
    GlyphList list;
    for (int i = 0; i < records; ++i) list.push_back(triangle(40.0f + float(i), int16_t('a' + i)));
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(int32_t(list.size()));
    for (auto& g : list) SerializeGlyph(*g, ar);
    return bytes;
}

struct FakeSheet : UserSymbolSheet {
    std::vector<int> inserted;
    std::vector<const GlyphOutline*> inEquation;
    void InsertUserSymbol(int index) override { inserted.push_back(index); }
    std::vector<std::unique_ptr<GlyphOutline>> CollectUserSymbols() override {
        std::vector<std::unique_ptr<GlyphOutline>> out;
        for (const GlyphOutline* g : inEquation) {
            out.push_back(std::make_unique<GlyphOutline>());
            CopyGlyph(*out.back(), *g);
        }
        return out;
    }
};

class UserSymPanelTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeSheet sheet;
    QString userFile() const { return QDir(dir.path()).filePath(QStringLiteral("KwGLData.gph")); }
    std::unique_ptr<CDlgUserSymPanel> makePanel(const QString& language = QStringLiteral("en")) {
        auto panel = std::make_unique<CDlgUserSymPanel>(&sheet, dir.path(), QString(), language, 1.0f);
        panel->logPixelsY = 96;
        panel->workArea = QRect(0, 0, 1920, 1040);
        panel->OnInitDialog();
        return panel;
    }
};

TEST(UserSymbolRecordTest, OneRecordStoresToTheseBytes) {
    GlyphOutline g;
    g.points = {gp::PointF{1.0f, -2.0f}};
    g.types = {0};
    g.count = 1;
    g.m[0] = 50;
    g.scale = 1;
    g.strokeOnly = 1;
    g.colour = 0x00FF0080u;
    g.charCode = 0x41;
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    SerializeGlyph(g, ar);
    const QByteArray golden = QByteArray::fromHex(
        "01000000"                  // one point
        "0000803f" "000000c0" "00"  // x 1, y -2, type 0
        "00004842" "00000000" "00000000" "00000000" "00000000"  // width 50, ascent, descent, offsets
        "0000803f"                  // scale 1
        "01000000"                  // outline only
        "8000ff00"                  // colour
        "4100");                    // 'A'
    EXPECT_EQ(bytes.toHex(), golden.toHex());
}

TEST(UserSymbolRecordTest, AnImpossiblePointCountIsDamageAndMarksTheReadPartial) {
    const QByteArray good = listBytes(2);
    struct Case {
        const char* name;
        int32_t pointCount;
    };
    for (const Case& c : {Case{"negative", -1}, Case{"beyond the bytes left", 0x7FFFFFFF}, Case{"9n one past", 0}}) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = good;
        // The second record's point count.
        const int second = 4 + (38 + 9 * 4);
        int32_t n = c.pointCount;
        if (std::string(c.name) == "9n one past") n = int32_t((bytes.size() - second - 4) / 9 + 1);
        std::memcpy(bytes.data() + second, &n, 4);
        Archive in(bytes);
        GlyphList list;
        bool partial = false;
        ReadGlyphList(in, list, true, &partial);
        EXPECT_TRUE(partial);
        EXPECT_EQ(list.size(), 1u);
    }
    Archive in(good);
    GlyphList list;
    bool partial = true;
    ReadGlyphList(in, list, true, &partial);
    EXPECT_FALSE(partial);
    EXPECT_EQ(list.size(), 2u);
}

TEST_F(UserSymPanelTest, ATruncatedFileKeepsItsPrefixAndIsNotOverwrittenOnClose) {
    const QByteArray whole = listBytes(3);
    const QByteArray cut = whole.left(whole.size() - 10);
    writeBytes(userFile(), cut);
    {
        auto panel = makePanel();
        EXPECT_EQ(panel->symbols().size(), 2u);
        EXPECT_TRUE(panel->loadedInPart());
    }
    EXPECT_EQ(fileBytes(userFile()), cut);
    // Once the user changes the list, it is what is saved, and the old file is kept beside it.
    {
        auto panel = makePanel();
        panel->RunMenuCommand(CDlgUserSymPanel::kMenuDelete, 0);
        EXPECT_EQ(panel->symbols().size(), 1u);
    }
    EXPECT_EQ(fileBytes(userFile() + QStringLiteral(".bak")), cut);
    auto panel = makePanel();
    EXPECT_EQ(panel->symbols().size(), 1u);
    EXPECT_FALSE(panel->loadedInPart());
}

TEST_F(UserSymPanelTest, AFileThatReadsWholeIsWrittenBackAndNoFileIsMadeForNothing) {
    { auto panel = makePanel(); }
    EXPECT_FALSE(QFile::exists(userFile()));
    {
        auto panel = makePanel();
        auto g = triangle(30, 'q');
        panel->AddGlyph(*g);
    }
    auto panel = makePanel();
    ASSERT_EQ(panel->symbols().size(), 1u);
    EXPECT_EQ(panel->symbols()[0]->charCode, 'q');
}

TEST_F(UserSymPanelTest, LoadingTwiceDoublesTheListAndExtractWithAllPresentAddsNone) {
    const QString other = QDir(dir.path()).filePath(QStringLiteral("mine.gph"));
    writeBytes(other, listBytes(3));
    auto panel = makePanel();
    panel->chooseFile = [&](bool save, const QString&) { return save ? QString() : other; };
    panel->OnLoad();
    panel->OnLoad();
    EXPECT_EQ(panel->symbols().size(), 6u);
    EXPECT_EQ(panel->symbolPointers().size(), 6u);
    EXPECT_TRUE(panel->windowTitle().endsWith(QStringLiteral(" / 6")));

    sheet.inEquation = {panel->symbols()[0].get(), panel->symbols()[2].get()};
    QString report;
    panel->showInfo = [&](const QString& text) { report = text; };
    panel->OnExtract();
    EXPECT_EQ(panel->symbols().size(), 6u);
    EXPECT_EQ(report, QStringLiteral("2 user symbols were found in the equation; 0 were added."));

    auto fresh = triangle(77, 'z');
    sheet.inEquation = {fresh.get(), fresh.get()};
    panel->OnExtract();
    EXPECT_EQ(panel->symbols().size(), 7u);
    EXPECT_EQ(report, QStringLiteral("2 user symbols were found in the equation; 1 were added."));
}

TEST_F(UserSymPanelTest, TheMenuShowsWhatFitsTheClickedCell) {
    using P = CDlgUserSymPanel;
    auto panel = makePanel();
    for (int i = 0; i < 3; ++i) panel->AddGlyph(*triangle(20.0f + float(i), int16_t('a' + i)));
    const std::vector<int> all = {P::kMenuAdd, P::kMenuEdit, P::kMenuDelete, P::kMenuCopyFormat, P::kMenuCut,
                                  P::kMenuCopy};
    struct Case {
        int index;
        std::vector<int> items;
    };
    const Case cases[] = {
        {-1, {P::kMenuAdd}},
        {3, {P::kMenuAdd}},  // the empty cell after the last symbol
        {0, {P::kMenuAdd, P::kMenuEdit, P::kMenuDown, P::kMenuEnd, P::kMenuDelete, P::kMenuCopyFormat, P::kMenuCut,
             P::kMenuCopy}},
        {1, {P::kMenuAdd, P::kMenuEdit, P::kMenuUp, P::kMenuFront, P::kMenuDown, P::kMenuEnd, P::kMenuDelete,
             P::kMenuCopyFormat, P::kMenuCut, P::kMenuCopy}},
        {2, {P::kMenuAdd, P::kMenuEdit, P::kMenuUp, P::kMenuFront, P::kMenuDelete, P::kMenuCopyFormat, P::kMenuCut,
             P::kMenuCopy}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(panel->MenuItems(c.index), c.items);
    }
    // Copy and copy format make paste and paste format appear.
    panel->RunMenuCommand(P::kMenuCopy, 1);
    panel->RunMenuCommand(P::kMenuCopyFormat, 1);
    EXPECT_EQ(panel->MenuItems(-1), (std::vector<int>{P::kMenuAdd, P::kMenuPaste}));
    const std::vector<int> withPaste = panel->MenuItems(0);
    EXPECT_NE(std::find(withPaste.begin(), withPaste.end(), P::kMenuPasteFormat), withPaste.end());
    // Paste with no symbol appends; before symbol 0 puts it first; move up of 1 puts it at 0.
    panel->RunMenuCommand(P::kMenuPaste, -1);
    EXPECT_EQ(panel->symbols().back()->charCode, 'b');
    panel->RunMenuCommand(P::kMenuPaste, 0);
    EXPECT_EQ(panel->symbols().front()->charCode, 'b');
    panel->RunMenuCommand(P::kMenuUp, 2);
    EXPECT_EQ(panel->symbols()[1]->charCode, 'b');
    EXPECT_EQ(panel->symbols()[2]->charCode, 'a');
    // Moves with an invalid index do nothing.
    panel->RunMenuCommand(P::kMenuDown, 99);
    EXPECT_EQ(panel->symbols().size(), 5u);
    // The menu's choice runs through the hook.
    panel->trackMenu = [](const std::vector<int>& items, QPoint) { return items.back() == P::kMenuCopy ? P::kMenuEnd : 0; };
    panel->ShowSymbolMenu(0, QPoint());
    EXPECT_EQ(panel->symbols().back()->charCode, 'b');
}

TEST_F(UserSymPanelTest, RowsColumnsClicksAndTheWindowAtHighResolution) {
    EXPECT_EQ(CDlgUserSymPanel::RowCount(18, 18), 2);
    EXPECT_EQ(CDlgUserSymPanel::RowCount(17, 18), 1);
    EXPECT_EQ(CDlgUserSymPanel::ColumnsForDpi(96), 18);
    EXPECT_EQ(CDlgUserSymPanel::ColumnsForDpi(192), 36);

    auto panel = makePanel();
    for (int i = 0; i < 18; ++i) panel->AddGlyph(*triangle(20, int16_t('a' + i)));
    EXPECT_EQ(panel->columns(), 18);
    EXPECT_EQ(panel->rowCount(), 2);
    EXPECT_EQ(panel->cellSize(), 36);
    EXPECT_EQ(panel->gridRect().size(), QSize(18 * 36 + 1, 8 * 36 + 1));
    // Fewer than eight rows: nothing to scroll.
    panel->ScrollPanel(3, false);
    EXPECT_EQ(panel->scrollPosition(), 0);

    const QPoint cell = panel->gridRect().topLeft() + QPoint(36 * 5 + 10, 10);
    panel->ClickCell(cell);
    panel->ClickCell(panel->gridRect().topLeft() + QPoint(10, 36 + 10));  // index 18: empty
    EXPECT_EQ(sheet.inserted, std::vector<int>{5});

    // Twice the resolution and twice the scale would need a window four times as large.
    CDlgUserSymPanel big(&sheet, QString(), QString(), QStringLiteral("en"), 2.0f);
    big.logPixelsY = 192;
    big.workArea = QRect(0, 0, 1920, 1040);
    big.OnInitDialog();
    EXPECT_LE(big.width(), 1920);
    EXPECT_LE(big.height(), 1040);
    EXPECT_GE(big.columns(), 18);
}

TEST_F(UserSymPanelTest, PicturesInBothLanguages) {
    for (const char* language : {"en", "cn"}) {
        auto panel = makePanel(QString::fromLatin1(language));
        for (int i = 0; i < 30; ++i) panel->AddGlyph(*triangle(30.0f + float(i % 7) * 8, int16_t('a' + i)));
        const auto* button = panel->findChild<QPushButton*>();
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(panel->windowTitle().startsWith(QStringLiteral(" /")));
        const QImage image = panel->grab().toImage();
        EXPECT_TRUE(image.save(screenshotFolder() + QStringLiteral("UserSymPanel_%1.png").arg(language)));
        panel->RunMenuCommand(CDlgUserSymPanel::kMenuDelete, 99);  // nothing; keeps the file untouched
    }
}

}  // namespace
}  // namespace toliva::test
