// Bytes as a symbol group's cell order file ("Dat/KwTBNSeq%d.dat"): read them
// into order arrays of several sizes, check that what is read stores and
// reads back the same, then let the operators group map its cells through
// them as its per-user copy: every cell must show a node of the group and the
// more-symbols cell must come last.
#include "panels/CKwTBG.h"
#include "panels/SymbolBarTables.h"

#include "FuzzSupport.h"
#include "platform/SafeFile.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

using namespace toliva;

namespace {

void roundTrip(const QByteArray& bytes, size_t entries) {
    std::vector<int> order(entries, -1);
    CKwTBG::ReadOrderBytes(bytes, order);  // a short file keeps what it gave
    std::vector<int> back(entries, -2);
    if (!CKwTBG::ReadOrderBytes(CKwTBG::OrderBytes(order), back) || back != order) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::useScratchHomeAndSilence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (size_t entries : {size_t(0), size_t(1), size_t(71)}) roundTrip(bytes, entries);

    static QTemporaryDir folder;
    static PanelContext context = [] {
        PanelContext c;
        c.userFolder = folder.path() + "/user/";
        c.programFolder = folder.path() + "/program/";
        return c;
    }();
    const MainStripGroup& g = MainStripGroups()[2];  // 4 x 18 cells over 248 operators, id 1
    QDir().mkpath(context.userFolder + "Dat");
    if (!WriteFileSafely(context.userFolder + "Dat/KwTBNSeq1.dat", bytes, nullptr)) return 0;
    auto group = std::make_unique<CKwTBG>(context);
    group->rows = g.rows;
    group->cols = g.cols;
    if (!group->BuildGroup(g.cellWidth, g.cellHeight, g.id, 0, g.records)) __builtin_trap();
    const auto& cells = group->cells();
    const auto& nodes = group->nodes();
    for (size_t i = 0; i + 1 < cells.size(); ++i)
        if (std::find(nodes.begin(), nodes.end(), cells[i].node) == nodes.end()) __builtin_trap();
    if (cells.back().node != group->moreNode() || !group->moreNode()) __builtin_trap();
    // Every cell answers a key of its node.
    group->PlaceGroup(0, 0);
    for (int i = 0; i < group->cellCount(); ++i) {
        SymbolKey key;
        const int row = i / g.cols, col = i % g.cols;
        if (group->HitTestGroup(QPoint(col * 36 + 1, row * 36 + 1), &key) != i || key != cells[size_t(i)].node->key())
            __builtin_trap();
    }
    return 0;
}
