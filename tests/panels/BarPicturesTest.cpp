// The symbol bars' pictures the build draws into the program's "Pics"
// folder: every strip has the size the picture loader expects (ten tiles a
// row, one tile per node), every node's tile has ink inside the part a cell
// shows and none outside it, and the header and more-symbols pictures exist
// in every size folder.
#include "panels/SymbolBarTables.h"
#include "platform/Utilities.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <cmath>

namespace toliva {
namespace {

QString picsPath(const QString& name) { return QDir(GetModuleFolder()).filePath(QStringLiteral("Pics/") + name); }

QString groupName(int group) { return QStringLiteral("TAB_P%1").arg(group, 2, 10, QLatin1Char('0')); }

bool isInk(QRgb p) { return qRed(p) < 250 || qGreen(p) < 250 || qBlue(p) < 250; }

// Ink pixels of a tile inside and outside its window [left, right) x [top, bottom).
struct TileInk {
    int inside = 0;
    int outside = 0;
};

TileInk inkOf(const QImage& image, QRect tile, int left, int top, int right, int bottom) {
    TileInk ink;
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            if (!isInk(image.pixel(tile.x() + x, tile.y() + y))) continue;
            const bool in = x >= left && x < right && y >= top && y < bottom;
            (in ? ink.inside : ink.outside) += 1;
        }
    }
    return ink;
}

struct StripCase {
    const char* folder;
    const char* extension;
    int scale;
    // The window a cell shows, in the strip's pixels: from (3, 3) to
    // (w - 1, h - 1) at every size the strip serves (the double-size strip
    // is scaled down for 1.25 to 2.0, so its window is that of size 2.0 and
    // of 1.25 together).
    int windowLeft;
    int windowRight;  // distance of the window's right (bottom) edge from the tile's
};

class BarPicturesTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(BarPicturesTest, EveryStripHoldsATileOfInkPerNode) {
    const StripCase c = GetParam();
    const auto& groups = MainStripGroups();
    for (int g = 0; g < kMainStripGroupCount; ++g) {
        SCOPED_TRACE(groupName(g + 1).toStdString());
        const MainStripGroup& group = groups[size_t(g)];
        const size_t nodes = ExpandBarRecords(group.records).size();
        const QString path = picsPath(QStringLiteral("%1/%2.%3").arg(QLatin1String(c.folder), groupName(g + 1),
                                                                     QLatin1String(c.extension)));
        const QImage strip(path);
        ASSERT_FALSE(strip.isNull()) << path.toStdString();
        const int w = int(group.cellWidth) * c.scale;
        const int h = int(group.cellHeight) * c.scale;
        const int rows = int((nodes + 9) / 10);
        ASSERT_EQ(strip.width(), 10 * w);
        ASSERT_EQ(strip.height(), rows * h);
        for (size_t t = 0; t < nodes; ++t) {
            const QRect tile(w * int(t % 10), h * int(t / 10), w, h);
            const TileInk ink = inkOf(strip, tile, c.windowLeft, c.windowLeft, w - c.windowRight, h - c.windowRight);
            EXPECT_GT(ink.inside, 0) << "tile " << t << " is empty";
            EXPECT_EQ(ink.outside, 0) << "tile " << t << " draws outside the part a cell shows";
        }
        // The tiles after the last node stay white.
        for (size_t t = nodes; t < size_t(rows) * 10; ++t) {
            const QRect tile(w * int(t % 10), h * int(t / 10), w, h);
            const TileInk ink = inkOf(strip, tile, 0, 0, w, h);
            EXPECT_EQ(ink.inside, 0) << "unused tile " << t;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, BarPicturesTest,
                         ::testing::Values(StripCase{"100", "bmp", 1, 3, 1}, StripCase{"200", "png", 2, 6, 2}),
                         [](const auto& info) { return std::string(info.param.extension); });

TEST(BarHeaderPicturesTest, EverySizeFolderHoldsTheTabsAndTheMorePicture) {
    const struct {
        const char* folder;
        float scale;
    } sizes[] = {{"100", 1.0f}, {"125", 1.25f}, {"150", 1.5f}, {"175", 1.75f}, {"200", 2.0f}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.folder);
        const QString folder = QLatin1String(size.folder);
        for (int g = 1; g <= kMainStripGroupCount; ++g) {
            const QString path = picsPath(QStringLiteral("%1/T%2.bmp").arg(folder).arg(g, 2, 10, QLatin1Char('0')));
            const QImage header(path);
            ASSERT_FALSE(header.isNull()) << path.toStdString();
            // A tab is 60 x 24 at size 100 (header height 19 s + 17 less the gap).
            EXPECT_LE(header.width(), int(60 * size.scale) - 4);
            EXPECT_LE(header.height(), int(19 * size.scale) + 5 - 2);
            const TileInk ink = inkOf(header, header.rect(), 1, 1, header.width() - 1, header.height() - 1);
            EXPECT_GT(ink.inside, 0) << path.toStdString();
            EXPECT_EQ(ink.outside, 0) << path.toStdString();
        }
        const QString morePath = picsPath(folder + QStringLiteral("/MORE.bmp"));
        const QImage more(morePath);
        ASSERT_FALSE(more.isNull()) << morePath.toStdString();
        const int side = int(36 * size.scale);
        EXPECT_EQ(more.size(), QSize(side, side));
        // Drawn from (2, 2) one pixel into the cell: ink from 2 to side - 3
        // keeps off the grid lines of the smallest cell.
        const TileInk ink = inkOf(more, more.rect(), 2, 2, side - 3, side - 3);
        EXPECT_GT(ink.inside, 0);
        EXPECT_EQ(ink.outside, 0);
    }
}

}  // namespace
// The symbol editor's canvas background: a tile that loads and stays light
// enough that a black symbol drawn over it reads clearly.
TEST(BarPictures, CanvasBackgroundIsALightTile) {
    const QString path = picsPath(QStringLiteral("bgd.bmp"));
    const QImage tile(path);
    ASSERT_FALSE(tile.isNull()) << path.toStdString();
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            EXPECT_GE(qGray(tile.pixel(x, y)), 200) << x << "," << y;
        }
    }
}

}  // namespace toliva
