// The symbol-bar model: records expanded into nodes, the cells mapped through
// the order files, the hit test, the more-symbols cell, the picture strips and
// the rendering of a group.
#include "panels/CKwTBG.h"
#include "panels/SymbolBarTables.h"

#include "platform/MessageSink.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

using namespace toliva;
using test::ScratchFolder;

namespace {

constexpr int kOperatorsGroup = 2;  // 0-based: group 3, id 1, 4 x 18 cells, 248 operator types
constexpr int kFirstOperator = 1042;

struct Folders {
    ScratchFolder program, user;
    PanelContext context;
    Folders() {
        context.programFolder = program.path() + '/';
        context.userFolder = user.path() + '/';
    }
};

std::unique_ptr<CKwTBG> makeMainGroup(const PanelContext& context, int index) {
    const MainStripGroup& g = MainStripGroups()[size_t(index)];
    auto group = std::make_unique<CKwTBG>(context);
    group->rows = g.rows;
    group->cols = g.cols;
    EXPECT_TRUE(group->BuildGroup(g.cellWidth * context.uiScale, g.cellHeight * context.uiScale, g.id, 0, g.records));
    group->dpiScaled = 1.0f;
    return group;
}

std::unique_ptr<CKwTBG> makeGroup(const PanelContext& context, int rows, int cols, int id, const BarRecord* table,
                                  float cell = 36) {
    auto group = std::make_unique<CKwTBG>(context);
    group->rows = rows;
    group->cols = cols;
    EXPECT_TRUE(group->BuildGroup(cell, cell, id, 0, table));
    return group;
}

int cellCode(const CKwTBG& group, int cell) {
    const CKwTBN* node = group.cells()[size_t(cell)].node;
    return node ? node->code : -1;
}

void writeOrder(const QString& path, int32_t n, const std::vector<int>& entries, int cutBytes = 0) {
    QByteArray bytes = CKwTBG::OrderBytes(entries);
    bytes.replace(0, 4, QByteArray(reinterpret_cast<const char*>(&n), 4));  // little-endian machine
    bytes.chop(cutBytes);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(test::writeFile(path, bytes));
}

// A picker that answers by script and remembers how it was asked.
struct ScriptedPicker : MoreSymbolsPicker {
    struct Call {
        bool large, replace;
        SymbolKey given;
    };
    bool ok = true;
    SymbolKey answer;
    std::vector<Call> calls;
    bool pick(CKwTBG&, bool large, bool replace, SymbolKey& key) override {
        calls.push_back({large, replace, key});
        if (ok) key = answer;
        return ok;
    }
};

}  // namespace

// ---- Records into nodes ------------------------------------------------

TEST(SymbolBarModel, RecordsExpandWithTheCapAndARunningPictureIndex) {
    const BarRecord capped[] = {{4, 100, 600, 0}, {6, 2000, 0, 0}, {3, 7, 2, 0}, {0, 0, 0, 0}, {4, 9, 0, 0}};
    PanelContext context;
    auto group = makeGroup(context, 2, 3, 0, capped);
    ASSERT_EQ(group->nodes().size(), 503u);  // 500 of 600, one, two; nothing after the end record
    EXPECT_EQ(group->nodes()[499]->code, 599);
    const CKwTBN* single = group->nodes()[500];
    EXPECT_EQ(single->kind, 6);
    EXPECT_EQ(single->code, 2000);
    EXPECT_EQ(single->pictureIndex, 500);
    EXPECT_EQ(group->nodes()[502]->code, 8);
    EXPECT_EQ(group->nodes()[502]->pictureIndex, 502);
    for (const CKwTBN* node : group->nodes()) {
        EXPECT_EQ(node->owner, group.get());
        EXPECT_EQ(node->visible, 1);
    }
    EXPECT_EQ(cellCode(*group, 5), 105);  // id 0: build order

    // A first record with code 0 ends the table at once: empty cells and no
    // more-symbols cell, even in a group that keeps an order.
    Folders f;
    const BarRecord empty[] = {{4, 0, 3, 0}, {4, 5, 0, 0}, {0, 0, 0, 0}};
    auto none = makeGroup(f.context, 2, 2, 9, empty);
    EXPECT_TRUE(none->nodes().empty());
    EXPECT_EQ(none->moreNode(), nullptr);
    for (const TBCell& cell : none->cells()) EXPECT_EQ(cell.node, nullptr);

    auto noRows = std::make_unique<CKwTBG>(context);
    noRows->cols = 3;
    EXPECT_FALSE(noRows->BuildGroup(36, 36, 0, 0, capped));
}

TEST(SymbolBarModel, TheElevenGroupsHoldTheirNodes) {
    Folders f;
    const int expected[kMainStripGroupCount] = {40, 36, 248, 311, 52, 53, 37, 52, 53, 52, 187};
    size_t total = 0;
    int cells = 0;
    for (int i = 0; i < kMainStripGroupCount; ++i) {
        auto group = makeMainGroup(f.context, i);
        EXPECT_EQ(int(group->nodes().size()), expected[i]) << "group " << i + 1;
        EXPECT_EQ(group->moreNode() != nullptr, MainStripGroups()[size_t(i)].id > 0) << "group " << i + 1;
        total += group->nodes().size();
        cells += group->cellCount();
    }
    EXPECT_EQ(total, 1121u);
    EXPECT_EQ(cells, 487);
}

TEST(SymbolBarModel, WithoutAnOrderFileTheOperatorsShowInBuildOrderThenTheMoreCell) {
    Folders f;
    auto group = makeMainGroup(f.context, kOperatorsGroup);
    ASSERT_EQ(group->cellCount(), 72);
    for (int i = 0; i < 71; ++i) EXPECT_EQ(cellCode(*group, i), kFirstOperator + i);
    EXPECT_EQ(cellCode(*group, 70), 1112);
    const CKwTBN* more = group->cells()[71].node;
    ASSERT_EQ(more, group->moreNode());
    EXPECT_EQ(more->key(), kMoreSymbolsKey);
    EXPECT_EQ(more->pictureIndex, 10000);
    EXPECT_EQ(group->order().size(), 71u);
}

// ---- Order files ---------------------------------------------------------

TEST(SymbolBarModel, OrderFilesAreReadWithBoundsAndAShortFileIsReported) {
    struct Case {
        const char* what;
        bool user;  // in the per-user folder, else the program's
        int32_t n;
        std::vector<int> entries;
        int cutBytes;
        std::vector<std::pair<int, int>> cells;  // cell -> operator offset shown
        bool message;
    };
    std::vector<int> hundred;
    for (int i = 0; i < 100; ++i) hundred.push_back(100 + i);
    std::vector<int> fill71(71, 3);
    std::vector<int> noNode = fill71;
    noNode[0] = 9999;
    noNode[1] = -5;
    noNode[2] = 2;
    const Case cases[] = {
        {"short", true, 71, {5, 6, 7, 8}, 2, {{0, 5}, {1, 6}, {2, 7}, {3, 3}, {70, 70}}, true},
        {"empty", true, 0, {}, 4, {{0, 0}, {70, 70}}, true},
        {"N beyond the cells", true, 100, hundred, 0, {{0, 100}, {70, 170}}, false},
        {"N beyond the cells, cells-1 entries", false, 100, fill71, 0, {{0, 3}, {70, 3}}, false},
        {"entries with no node", true, 71, noNode, 0, {{0, 0}, {1, 0}, {2, 2}, {3, 3}}, false},
        {"negative N", true, -3, {5}, 0, {{0, 0}, {1, 1}}, false},
        {"program copy", false, 1, {10}, 0, {{0, 10}, {1, 1}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Folders f;
        RecordingMessageSink sink;
        ScopedMessageSink scope(&sink);
        auto probe = std::make_unique<CKwTBG>(f.context);
        probe->id = 1;
        const QString path = c.user ? probe->UserOrderPath() : probe->ProgramOrderPath();
        writeOrder(path, c.n, c.entries, c.cutBytes);
        const QByteArray before = test::readFile(path);
        {
            auto group = makeMainGroup(f.context, kOperatorsGroup);
            for (auto [cell, offset] : c.cells) EXPECT_EQ(cellCode(*group, cell), kFirstOperator + offset) << cell;
            EXPECT_EQ(cellCode(*group, 71), CKwTBG::kMoreCode);
        }
        ASSERT_EQ(sink.shown.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(sink.shown[0].text, "failed to open file : " + path);
        }
        if (!c.user) {
            EXPECT_EQ(test::readFile(path), before);  // the program's copy is never written
        }
    }
}

TEST(SymbolBarModel, TheUserCopyComesFirstAndTheOrderSurvivesTheGroup) {
    Folders f;
    ScriptedPicker picker;
    f.context.picker = &picker;
    CKwTBG paths(f.context);
    paths.id = 1;
    writeOrder(paths.ProgramOrderPath(), 1, {10});
    writeOrder(paths.UserOrderPath(), 1, {20});
    const QByteArray programBytes = test::readFile(paths.ProgramOrderPath());
    {
        auto group = makeMainGroup(f.context, kOperatorsGroup);
        EXPECT_EQ(cellCode(*group, 0), kFirstOperator + 20);
        group->PlaceGroup(0, 0);
        SymbolKey key;
        ASSERT_EQ(group->HitTestGroup(QPoint(36 * 5 + 3, 3), &key), 5);
        picker.answer = SymbolKey{3, kFirstOperator + 200, 0};
        EXPECT_TRUE(group->ReplaceCellSymbol());
        EXPECT_EQ(cellCode(*group, 5), kFirstOperator + 200);
        ASSERT_EQ(picker.calls.size(), 1u);
        EXPECT_TRUE(picker.calls[0].replace);
        EXPECT_EQ(picker.calls[0].given, (SymbolKey{3, kFirstOperator + 5, 0}));
    }
    const QByteArray saved = test::readFile(paths.UserOrderPath());
    EXPECT_EQ(saved.size(), 4 + 71 * 4);
    EXPECT_EQ(test::readFile(paths.ProgramOrderPath()), programBytes);
    auto again = makeMainGroup(f.context, kOperatorsGroup);
    EXPECT_EQ(cellCode(*again, 0), kFirstOperator + 20);
    EXPECT_EQ(cellCode(*again, 5), kFirstOperator + 200);
    EXPECT_EQ(cellCode(*again, 6), kFirstOperator + 6);
    paths.id = 0;

    // A group of fixed order reads and writes no file.
    { auto fixed = makeMainGroup(f.context, 0); }
    EXPECT_FALSE(QFileInfo::exists(f.context.userFolder + "Dat/KwTBNSeq0.dat"));
}

TEST(SymbolBarModel, AnOrderThatCannotBeWrittenIsSkippedQuietly) {
    Folders f;
    RecordingMessageSink sink;
    ScopedMessageSink scope(&sink);
    const QString blocker = f.user.file("blocker");
    ASSERT_TRUE(test::writeFile(blocker, "x"));
    f.context.userFolder = blocker + '/';
    { auto group = makeMainGroup(f.context, kOperatorsGroup); }
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(test::readFile(blocker), QByteArray("x"));
}

// ---- Hit test, more cell, replacing ---------------------------------------

TEST(SymbolBarModel, HitTestTruncatesAndTakesLeftAndTopEdges) {
    PanelContext context;
    auto group = makeMainGroup(context, 0);  // 4 x 10 cells of 36, id 0
    group->PlaceGroup(10.7f, 20.2f);          // group rectangle 10..370 x 20..164
    struct Probe {
        int x, y, cell;
    };
    const Probe probes[] = {
        {10, 20, 0}, {45, 55, 0}, {46, 20, 1}, {9, 20, -1}, {10, 19, -1}, {369, 163, 39}, {370, 100, -1}, {50, 164, -1},
        {10, 56, 10},
    };
    for (const Probe& p : probes) {
        SymbolKey key{7, 7, 7};
        const int hit = group->HitTestGroup(QPoint(p.x, p.y), &key);
        EXPECT_EQ(hit, p.cell) << p.x << "," << p.y;
        EXPECT_EQ(group->hitCell, p.cell);
        if (p.cell >= 0) {
            EXPECT_EQ(key, group->cells()[size_t(p.cell)].node->key());
            EXPECT_EQ(group->pressedNode, group->cells()[size_t(p.cell)].node);
        } else {
            EXPECT_EQ(key, (SymbolKey{7, 7, 7}));  // outside: the key is left alone
            EXPECT_EQ(group->pressedNode, nullptr);
        }
    }
}

TEST(SymbolBarModel, EmptyAndMoreCellsAnswerTheirKeys) {
    Folders f;
    const BarRecord three[] = {{4, 65, 3, 0}, {0, 0, 0, 0}};
    auto group = makeGroup(f.context, 2, 2, 0, three);
    group->PlaceGroup(0, 0);
    SymbolKey key{4, 65, 0};
    EXPECT_EQ(group->HitTestGroup(QPoint(40, 40), &key), -1);
    EXPECT_EQ(key, (SymbolKey{0, 0, 0}));
    EXPECT_EQ(group->hitCell, 3);
    EXPECT_EQ(group->pressedNode, nullptr);

    auto ordered = makeMainGroup(f.context, kOperatorsGroup);
    ordered->PlaceGroup(0, 0);
    EXPECT_EQ(ordered->HitTestGroup(QPoint(17 * 36 + 1, 3 * 36 + 1), &key), 71);
    EXPECT_EQ(key, kMoreSymbolsKey);
    // The more cell's symbol cannot be replaced, whatever the picker says.
    ScriptedPicker picker;
    f.context.picker = &picker;
    picker.answer = SymbolKey{3, kFirstOperator + 100, 0};
    EXPECT_FALSE(ordered->ReplaceCellSymbol());
    EXPECT_TRUE(picker.calls.empty());
    EXPECT_EQ(cellCode(*ordered, 71), CKwTBG::kMoreCode);
}

TEST(SymbolBarModel, ReplacingACellFollowsThePickersAnswer) {
    Folders f;
    ScriptedPicker picker;
    f.context.picker = &picker;
    auto group = makeMainGroup(f.context, kOperatorsGroup);
    group->PlaceGroup(0, 0);
    EXPECT_FALSE(group->ReplaceCellSymbol());  // no hit yet

    SymbolKey key;
    ASSERT_EQ(group->HitTestGroup(QPoint(1, 1), &key), 0);
    picker.ok = false;
    EXPECT_FALSE(group->ReplaceCellSymbol());
    EXPECT_EQ(cellCode(*group, 0), kFirstOperator);

    picker.ok = true;
    picker.answer = SymbolKey{6, 12345, 0};  // not a node of the group: the cell stays
    group->redraw = 0;
    EXPECT_TRUE(group->ReplaceCellSymbol());
    EXPECT_EQ(cellCode(*group, 0), kFirstOperator);
    EXPECT_EQ(group->redraw, 1);

    picker.answer = SymbolKey{3, 1289, 0};
    EXPECT_TRUE(group->ReplaceCellSymbol());
    EXPECT_EQ(cellCode(*group, 0), 1289);
    EXPECT_EQ(group->order()[0], 247);

    // A group of fixed order has no order to change.
    auto fixed = makeMainGroup(f.context, 0);
    fixed->PlaceGroup(0, 0);
    ASSERT_EQ(fixed->HitTestGroup(QPoint(1, 1), &key), 0);
    EXPECT_FALSE(fixed->ReplaceCellSymbol());
}

TEST(SymbolBarModel, PickFromMoreChoosesTheCellSizeAndKeepsTheKeyOnCancel) {
    struct Case {
        float scale;
        float cell;
        float dpiScaled;
        bool large;
    };
    const Case cases[] = {
        {1.0f, 36, 1, false}, {1.0f, 48, 1, true}, {1.5f, 54, 1, false}, {1.5f, 72, 1, true}, {1.5f, 54, 0, true},
    };
    const BarRecord table[] = {{6, 8706, 5, 0}, {0, 0, 0, 0}};
    for (const Case& c : cases) {
        Folders f;
        ScriptedPicker picker;
        f.context.picker = &picker;
        f.context.uiScale = c.scale;
        auto group = makeGroup(f.context, 2, 2, 8, table, c.cell);
        group->dpiScaled = c.dpiScaled;
        picker.answer = SymbolKey{6, 8708, 0};
        SymbolKey key = kMoreSymbolsKey;
        group->PickFromMore(key);
        ASSERT_EQ(picker.calls.size(), 1u);
        EXPECT_EQ(picker.calls[0].large, c.large) << c.scale << " " << c.cell << " " << c.dpiScaled;
        EXPECT_FALSE(picker.calls[0].replace);
        EXPECT_EQ(key, (SymbolKey{6, 8708, 0}));
        picker.ok = false;
        key = kMoreSymbolsKey;
        group->PickFromMore(key);
        EXPECT_EQ(key, kMoreSymbolsKey);
    }
    // A group of fixed order opens no picker.
    Folders f;
    ScriptedPicker picker;
    f.context.picker = &picker;
    auto fixed = makeGroup(f.context, 2, 2, 0, table);
    SymbolKey key = kMoreSymbolsKey;
    fixed->PickFromMore(key);
    EXPECT_TRUE(picker.calls.empty());
    EXPECT_EQ(key, kMoreSymbolsKey);
}

// ---- Pictures ------------------------------------------------------------

namespace {

// A strip of 10 x rows tiles of the cell size, white, with a square of colour
// in the middle of each tile.
QImage syntheticStrip(int cell, int rows, QRgb colour) {
    QImage strip(cell * 10, cell * rows, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    for (int t = 0; t < 10 * rows; ++t)
        p.fillRect(QRect(cell * (t % 10) + cell / 2 - 4, cell * (t / 10) + cell / 2 - 4, 8, 8), QColor(colour));
    return strip;
}

void savePicture(const QString& path, const QImage& image, const char* format) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(image.save(path, format)) << path.toStdString();
}

}  // namespace

TEST(SymbolBarModel, PictureStripsAreCachedPerUserAndSize) {
    Folders f;
    savePicture(f.program.file("Pics/100/TAB_P04.bmp"), syntheticStrip(36, 4, 0xFF0000FF), "BMP");
    savePicture(f.program.file("Pics/200/TAB_P04.png"), syntheticStrip(72, 4, 0xFFFF0000), "PNG");
    savePicture(f.program.file("Pics/100/MORE.bmp"), syntheticStrip(3, 1, 0xFF000000), "BMP");

    // Scale 1: the size folder's picture is copied into the cache.
    {
        auto group = makeMainGroup(f.context, 3);
        EXPECT_TRUE(group->LoadGroupPicture("TAB_P04"));
        const QString cache = f.context.userFolder + "TAB_P04100.bmp";
        ASSERT_TRUE(QFileInfo::exists(cache));
        EXPECT_EQ(group->pictureStrip().size(), QSize(360, 144));
        EXPECT_EQ(group->pictureStrip().pixel(18, 18), 0xFF0000FFu);
        EXPECT_EQ(group->morePicture().size(), QSize(30, 3));
    }
    // An existing cache is used as it is and never overwritten.
    {
        const QString cache = f.context.userFolder + "TAB_P04100.bmp";
        savePicture(cache, syntheticStrip(36, 4, 0xFF00FF00), "BMP");
        const QByteArray before = test::readFile(cache);
        auto group = makeMainGroup(f.context, 3);
        EXPECT_TRUE(group->LoadGroupPicture("TAB_P04"));
        EXPECT_EQ(group->pictureStrip().pixel(18, 18), 0xFF00FF00u);
        EXPECT_EQ(test::readFile(cache), before);
    }
    // Scale 1.5: the double-size picture, scaled by 0.75 onto white, cached as BMP.
    {
        Folders g;
        g.context.programFolder = f.context.programFolder;
        g.context.uiScale = 1.5f;
        g.context.iconSizeFolder = "150";
        auto group = makeMainGroup(g.context, 3);
        EXPECT_TRUE(group->LoadGroupPicture("TAB_P04"));
        const QString cache = g.context.userFolder + "TAB_P04150.bmp";
        ASSERT_TRUE(QFileInfo::exists(cache));
        const QImage cached(cache, "BMP");
        EXPECT_EQ(cached.size(), QSize(540, 216));
        EXPECT_EQ(group->pictureStrip().size(), QSize(540, 216));
        EXPECT_EQ(QColor(cached.pixel(27, 27)).red(), 255);   // the square, red
        EXPECT_EQ(QColor(cached.pixel(27, 27)).blue(), 0);
        EXPECT_EQ(cached.pixel(5, 5), 0xFFFFFFFFu);            // tile background stays white
        EXPECT_TRUE(group->morePicture().isNull());            // no "Pics/150/MORE.bmp"
    }
    // A damaged cache at scale 1 is left alone; the size folder's picture shows.
    {
        Folders g;
        g.context.programFolder = f.context.programFolder;
        const QString cache = g.context.userFolder + "TAB_P04100.bmp";
        ASSERT_TRUE(test::writeFile(cache, "BM damaged"));
        auto group = makeMainGroup(g.context, 3);
        EXPECT_TRUE(group->LoadGroupPicture("TAB_P04"));
        EXPECT_EQ(group->pictureStrip().pixel(18, 18), 0xFF0000FFu);
        EXPECT_EQ(test::readFile(cache), QByteArray("BM damaged"));
    }
    // Pictures in neither place: no strip, no cache file.
    {
        Folders g;
        auto group = makeMainGroup(g.context, 3);
        EXPECT_FALSE(group->LoadGroupPicture("TAB_P04"));
        EXPECT_FALSE(QFileInfo::exists(g.context.userFolder + "TAB_P04100.bmp"));
    }
    // A per-user folder that takes no file still shows the pictures.
    for (float scale : {1.0f, 1.5f}) {
        Folders g;
        g.context.programFolder = f.context.programFolder;
        g.context.uiScale = scale;
        g.context.iconSizeFolder = scale > 1 ? "150" : "100";
        const QString blocker = g.user.file("blocker");
        ASSERT_TRUE(test::writeFile(blocker, "x"));
        g.context.userFolder = blocker + '/';
        auto group = makeMainGroup(g.context, 3);
        EXPECT_TRUE(group->LoadGroupPicture("TAB_P04")) << scale;
    }
}

namespace {

// Renders the group placed at (5, 5) into a fresh image and returns it.
QImage renderAt5(CKwTBG& group, uint32_t background) {
    QImage window(group.cols * 36 + 20, group.rows * 36 + 20, QImage::Format_RGB32);
    window.fill(Qt::black);
    group.PlaceGroup(5, 5);
    QPainter painter(&window);
    group.RenderGroup(painter, background);
    return window;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

}  // namespace

TEST(SymbolBarModel, RenderingDrawsButtonsPicturesAndTheGrid) {
    Folders f;
    savePicture(f.program.file("Pics/100/TAB_P01.bmp"), syntheticStrip(36, 4, 0xFF000000), "BMP");
    auto group = makeMainGroup(f.context, 0);  // 4 x 10, id 0
    ASSERT_TRUE(group->LoadGroupPicture("TAB_P01"));
    group->mark = CKwTBG::kMarkCellBase + 5;
    const uint32_t background = 0x00E0E0E0;  // COLORREF
    const QImage window = renderAt5(*group, background);
    EXPECT_EQ(group->redraw, 0);
    ASSERT_EQ(group->cachedBitmap().size(), QSize(361, 145));

    const QRgb line = 0xFFB4B4C8;
    EXPECT_EQ(window.pixel(5, 5 + 10), line);              // left edge
    EXPECT_EQ(window.pixel(5 + 36, 5 + 10), line);         // between cells 0 and 1
    EXPECT_EQ(window.pixel(5 + 10, 5 + 36), line);         // between rows
    EXPECT_EQ(window.pixel(5 + 360, 5 + 144 - 1), line);   // right edge
    EXPECT_EQ(window.pixel(5 + 100, 5 + 144), line);       // bottom edge
    EXPECT_EQ(window.pixel(4, 4), qRgb(0, 0, 0));          // copied at the origin only

    // Inside cell 1: white tile pixels let the button show through; the
    // picture's black square stays black.
    const int cx = 5 + 36, cy = 5;
    const QRgb beside = window.pixel(cx + 1, cy + 10);
    EXPECT_EQ(window.pixel(cx + 8, cy + 10), beside);
    EXPECT_EQ(window.pixel(cx + 18, cy + 18), qRgb(0, 0, 0));
    // The button darkens towards the bottom of the cell.
    EXPECT_LT(qRed(window.pixel(cx + 1, cy + 33)), qRed(window.pixel(cx + 1, cy + 3)));

    // The marked cell is green, the others grey.
    const QRgb marked = window.pixel(5 + 5 * 36 + 1, 5 + 30);
    EXPECT_GT(qGreen(marked), qRed(marked) + 15);
    const QRgb plain = window.pixel(5 + 4 * 36 + 1, 5 + 30);
    EXPECT_LE(std::abs(qGreen(plain) - qRed(plain)), 2);

    // Redraw flag clear: the cached bitmap is copied as it stands.
    group->fillColour = 0xFFFF0000;
    EXPECT_EQ(renderAt5(*group, background), window);
    group->redraw = 1;
    EXPECT_NE(renderAt5(*group, background), window);
}

// A symbol whose code point lies above 10000 shows its own tile; only the
// more-symbols cell shows the more picture.
TEST(SymbolBarModel, HighCodePointsDrawTheirTiles) {
    Folders f;
    savePicture(f.program.file("Pics/100/TAB_P09.bmp"), syntheticStrip(36, 1, 0xFF000000), "BMP");
    QImage more(36, 36, QImage::Format_RGB32);
    more.fill(QColor(0, 0, 255));
    savePicture(f.program.file("Pics/100/MORE.bmp"), more, "BMP");
    const BarRecord table[] = {{6, 61694, 0, 0}, {0, 0, 0, 0}};
    auto group = makeGroup(f.context, 1, 2, 9, table);
    ASSERT_TRUE(group->LoadGroupPicture("TAB_P09"));
    const QImage window = renderAt5(*group, 0xFFFFFF);
    EXPECT_EQ(window.pixel(5 + 18, 5 + 18), qRgb(0, 0, 0));         // the symbol's tile
    EXPECT_EQ(qRed(window.pixel(5 + 36 + 18, 5 + 18)), 0);          // the more picture, blue
}

TEST(SymbolBarModel, ButtonStyleExtremesDrawWithinBounds) {
    Folders f;
    savePicture(f.program.file("Pics/100/TAB_P01.bmp"), syntheticStrip(36, 4, 0xFF000000), "BMP");
    const uint32_t background = 0x00204060;  // COLORREF: red 0x60, green 0x40, blue 0x20
    const QRgb backgroundRgb = qRgb(0x60, 0x40, 0x20);

    // Flat buttons: no fill, the background shows around the pictures.
    f.context.buttonAero = 0;
    auto flat = makeMainGroup(f.context, 0);
    ASSERT_TRUE(flat->LoadGroupPicture("TAB_P01"));
    QImage window = renderAt5(*flat, background);
    EXPECT_EQ(window.pixel(5 + 1, 5 + 10), backgroundRgb);
    EXPECT_EQ(window.pixel(5 + 8, 5 + 10), backgroundRgb);
    EXPECT_EQ(window.pixel(5 + 18, 5 + 18), qRgb(0, 0, 0));

    // A strong setting: the top colour's alpha would be -31; it is clamped
    // to 0, so the top of a cell is nearly the background, not black.
    for (int aero : {107, 108, 200, 400}) {
        f.context.buttonAero = aero;
        auto strong = makeMainGroup(f.context, 0);
        ASSERT_TRUE(strong->LoadGroupPicture("TAB_P01"));
        window = renderAt5(*strong, background);
        EXPECT_TRUE(near(window.pixel(5 + 1, 5 + 1), backgroundRgb, 24)) << aero << " " << std::hex
                                                                         << window.pixel(5 + 1, 5 + 1);
    }
}

TEST(SymbolBarModel, ButtonAlphasStayWithinAByte) {
    struct Case {
        int aero, top, bottom;
    };
    const Case cases[] = {{1, 35, 36}, {25, 27, 60}, {107, 0, 142}, {108, 0, 143}, {221, 0, 0}, {400, 0, 179}};
    for (const Case& c : cases) {
        const CKwTBG::ButtonColours colours = CKwTBG::ButtonColoursFor(0xFF80A0C8, c.aero);
        ASSERT_TRUE(colours.top.isValid() && colours.bottom.isValid()) << c.aero;
        EXPECT_EQ(colours.top.alpha(), c.top) << c.aero;
        EXPECT_EQ(colours.bottom.alpha(), c.bottom) << c.aero;
        EXPECT_EQ(colours.top.rgb(), 0xFF80A0C8u);
        EXPECT_EQ(colours.bottom.rgb(), qRgb(0x60, 0x78, 0x96));
    }
}

TEST(SymbolBarModel, PressHighlightFollowsTheButtonStyle) {
    PanelContext context;
    auto group = makeMainGroup(context, 0);
    group->PlaceGroup(0, 0);
    for (int aero : {0, 25}) {
        context.buttonAero = aero;
        QImage window(400, 200, QImage::Format_RGB32);
        window.fill(Qt::white);
        {
            QPainter painter(&window);
            group->DrawPressHighlight(11, painter);
            group->DrawPressHighlight(99, painter);  // no such cell: nothing
        }
        if (aero == 0) {
            EXPECT_EQ(window.pixel(36 + 1, 36 + 1), qRgb(255, 255, 255));
            EXPECT_EQ(window.pixel(36 + 2, 36 + 2), qRgb(220, 200, 100));
        } else {
            EXPECT_NE(window.pixel(36, 36), qRgb(255, 255, 255));
        }
        EXPECT_EQ(window.pixel(2, 2), qRgb(255, 255, 255));
    }
}

TEST(SymbolBarModel, ShowFromAndFindNodeByKeyPageThroughAnotherGroupsNodes) {
    PanelContext context;
    auto owner = makeMainGroup(context, 2);
    CKwTBG picker(context);
    ASSERT_FALSE(picker.BuildGroupFromNodes(0, 4, 36, 36, &owner->nodes()));
    ASSERT_FALSE(picker.BuildGroupFromNodes(2, 4, 36, 36, nullptr));
    ASSERT_TRUE(picker.BuildGroupFromNodes(2, 4, 36, 36, &owner->nodes()));
    EXPECT_EQ(picker.sharesNodes, 1);
    EXPECT_EQ(picker.id, 0);
    EXPECT_EQ(picker.moreNode(), nullptr);
    EXPECT_EQ(picker.cells()[0].node, owner->nodes()[0]);
    picker.ShowFrom(244);
    EXPECT_EQ(cellCode(picker, 0), kFirstOperator + 244);
    EXPECT_EQ(cellCode(picker, 3), 1289);
    EXPECT_EQ(picker.cells()[4].node, nullptr);
    EXPECT_EQ(picker.FindNodeByKey(SymbolKey{3, 1100, 0}), 58);
    EXPECT_EQ(picker.FindNodeByKey(SymbolKey{3, 1100, 1}), -1);
    CKwTBG empty(context);
    EXPECT_EQ(empty.FindNodeByKey(SymbolKey{3, 1100, 0}), -1);
}

// The operators group as a person sees it, at scales 1 and 2, with the
// default button style, flat buttons and a strong one, saved under
// screenshots/ for a look (the picture strip is synthetic: a ring per tile).
TEST(SymbolBarModel, GroupPicturesForALook) {
    const QString folder = test::screenshotFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    for (float scale : {1.0f, 2.0f}) {
        for (int aero : {0, 25, 200}) {
            Folders f;
            f.context.uiScale = scale;
            f.context.iconSizeFolder = scale > 1 ? "200" : "100";
            f.context.buttonAero = aero;
            const int tile = scale > 1 ? 72 : 36;
            QImage strip(tile * 10, tile * 25, QImage::Format_RGB32);
            strip.fill(Qt::white);
            {
                QPainter p(&strip);
                p.setRenderHint(QPainter::Antialiasing);
                p.setPen(QPen(Qt::black, tile / 18.0));
                for (int t = 0; t < 250; ++t)
                    p.drawEllipse(QRectF(tile * (t % 10) + tile / 4.0, tile * (t / 10) + tile / 4.0, tile / 2.0, tile / 2.0));
            }
            savePicture(f.program.file(scale > 1 ? "Pics/200/TAB_P03.png" : "Pics/100/TAB_P03.bmp"), strip,
                        scale > 1 ? "PNG" : "BMP");
            QImage more(tile, tile, QImage::Format_RGB32);
            more.fill(Qt::white);
            {
                QPainter p(&more);
                p.fillRect(QRect(tile / 3, tile / 2 - 2, tile / 3, 4), Qt::black);
            }
            savePicture(f.program.file(QStringLiteral("Pics/%1/MORE.bmp").arg(f.context.iconSizeFolder)), more, "BMP");
            auto group = makeMainGroup(f.context, kOperatorsGroup);
            ASSERT_TRUE(group->LoadGroupPicture("TAB_P03"));
            group->fillColour = 0xFFCADBFF;
            group->mark = CKwTBG::kMarkCellBase + 3;
            QImage window(int(group->cols * 36 * scale) + 20, int(group->rows * 36 * scale) + 20,
                          QImage::Format_RGB32);
            window.fill(QColor(0xF0, 0xF0, 0xF0));
            group->PlaceGroup(10, 10);
            {
                QPainter painter(&window);
                group->RenderGroup(painter, 0xF0F0F0);
                SymbolKey key;
                group->HitTestGroup(QPoint(int(10 + 36 * scale * 5.5), int(10 + 36 * scale * 1.5)), &key);
                group->DrawPressHighlight(group->hitCell, painter);
            }
            const QString name = QStringLiteral("symbolgroup-scale%1-aero%2.png").arg(int(scale)).arg(aero);
            EXPECT_TRUE(window.save(QDir(folder).filePath(name)));
        }
    }
}
