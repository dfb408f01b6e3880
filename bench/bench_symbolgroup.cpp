// Painting symbol groups: one group rendered from nothing (redraw flag set:
// button gradients, picture tiles and grid into the group's bitmap) and from
// its cache (flag clear: a copy), and the repaint of the main strip on hover,
// every group in view copied from its cache, at interface scales 1 and 2. The
// picture strips are synthetic, of the real sizes.
#include "panels/CKwTBG.h"
#include "panels/SymbolBarTables.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

using namespace toliva;

namespace {

constexpr int kSymbolsGroup = 3;
constexpr int kScreenWidth = 1920;  // group 4: 4 x 16 cells of 36, 311 nodes, id 2

// A strip of tiles with a dark mark each, saved where the group looks for it
// at this scale (size folder for 1, the double-size PNG above 1.1).
void writeStrip(const QString& programFolder, int group, int nodes, float scale) {
    const MainStripGroup& g = MainStripGroups()[size_t(group)];
    const bool doubled = scale > 1.1f;
    const int w = int(g.cellWidth) * (doubled ? 2 : 1), h = int(g.cellHeight) * (doubled ? 2 : 1);
    QImage strip(w * 10, h * ((nodes + 9) / 10), QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    for (int t = 0; t < nodes; ++t) p.drawEllipse(QRectF(w * (t % 10) + w / 4.0, h * (t / 10) + h / 4.0, w / 2.0, h / 2.0));
    p.end();
    const QString name = QString::asprintf("TAB_P%02d", group + 1);
    const QString folder = programFolder + (doubled ? "Pics/200/" : "Pics/100/");
    QDir().mkpath(folder);
    strip.save(folder + name + (doubled ? ".png" : ".bmp"), doubled ? "PNG" : "BMP");
    QImage more(w, h, QImage::Format_RGB32);
    more.fill(Qt::white);
    QDir().mkpath(programFolder + "Pics/" + (doubled ? "200/" : "100/"));
    more.save(programFolder + "Pics/" + (doubled ? "200/" : "100/") + "MORE.bmp", "BMP");
}

struct StripFixture {
    QTemporaryDir program, user;
    PanelContext context;
    std::vector<std::unique_ptr<CKwTBG>> groups;
    QImage window;

    // groupsWanted: one group index, or -1 for all eleven in a row.
    StripFixture(float scale, int groupWanted) {
        context.uiScale = scale;
        context.iconSizeFolder = scale > 1.1f ? "200" : "100";
        context.programFolder = program.path() + '/';
        context.userFolder = user.path() + '/';
        float x = 0;
        for (int i = 0; i < kMainStripGroupCount; ++i) {
            if (groupWanted >= 0 && i != groupWanted) continue;
            const MainStripGroup& g = MainStripGroups()[size_t(i)];
            auto group = std::make_unique<CKwTBG>(context);
            group->rows = g.rows;
            group->cols = g.cols;
            group->BuildGroup(g.cellWidth * scale, g.cellHeight * scale, g.id, 0, g.records);
            group->dpiScaled = 1;
            writeStrip(context.programFolder, i, int(group->nodes().size()), scale);
            group->LoadGroupPicture(QString::asprintf("TAB_P%02d", i + 1));
            group->PlaceGroup(x, 20 * scale);
            x += group->width + 10;
            groups.push_back(std::move(group));
        }
        // The strip is as wide as a full-HD screen; groups beyond it are not
        // drawn, as in the panel.
        window = QImage(std::min(int(x) + 10, kScreenWidth), int(20 * scale + 4 * 48 * scale) + 10,
                        QImage::Format_ARGB32_Premultiplied);
        paint();
    }
    void paint() {
        QPainter painter(&window);
        for (auto& group : groups)
            if (group->x < float(window.width()) && group->x + group->width > 0) group->RenderGroup(painter, 0xF0F0F0);
    }
};

void BM_GroupFromNothing(benchmark::State& state) {
    StripFixture f(float(state.range(0)), kSymbolsGroup);
    for (auto _ : state) {
        f.groups[0]->redraw = 1;
        f.paint();
        benchmark::DoNotOptimize(f.window.constBits());
    }
}
BENCHMARK(BM_GroupFromNothing)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_GroupFromCache(benchmark::State& state) {
    StripFixture f(float(state.range(0)), kSymbolsGroup);
    for (auto _ : state) {
        f.paint();
        benchmark::DoNotOptimize(f.window.constBits());
    }
}
BENCHMARK(BM_GroupFromCache)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The hover repaint of the strip on a full-HD screen: every group in view
// copied from its cache.
void BM_StripRepaintOnHover(benchmark::State& state) {
    StripFixture f(float(state.range(0)), -1);
    for (auto _ : state) {
        f.paint();
        benchmark::DoNotOptimize(f.window.constBits());
    }
}
BENCHMARK(BM_StripRepaintOnHover)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
