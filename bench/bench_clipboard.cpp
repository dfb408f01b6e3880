// Copy and paste of a 1,000-line equation in the native format: the
// selection copied into the clipboard equation and written as the native
// block, and the block read back and inserted at a caret. The sheet's own
// Copy (with the metafile picture) and Paste (with its undo step and the
// layout of the new lines) are measured beside them.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "platform/ClipboardService.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/ClipboardData.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/Selection.h"
#include "tests/common/ModelFixtures.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMimeData>

#include <cstdlib>
#include <memory>

using namespace toliva;

namespace {

constexpr int kLines = 1000;

const RenderContext& programContext() {
    static const RenderContext context = RenderContext::FromDataFolder();
    return context;
}

void fill(EqModel& eq) {
    EqBuilder b(&eq);
    for (int k = 0; k < kLines; ++k) test::addSampleLine(b, k);
}

// The whole equation selected and copied into a clipboard equation, then
// written as the block of one clipboard write.
void BM_CopyNative(benchmark::State& state) {
    EqModel eq(test::builtInStyle());
    fill(eq);
    SheetSelection selection;
    SelectAll(&eq, selection);
    qint64 bytes = 0;
    for (auto _ : state) {
        EqModel copy(eq.settings);
        CopySelectionToEquation(selection, &copy, eq.settings);
        std::unique_ptr<QMimeData> data = EquationMimeData(&copy, {});
        bytes = data->data(kNativeClipboardFormat).size();
        benchmark::DoNotOptimize(data);
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_CopyNative)->Unit(benchmark::kMillisecond);

// The block read back and its 1,000 lines inserted at the caret of a
// one-line equation (moved in, as a paste does).
void BM_PasteNative(benchmark::State& state) {
    EqModel source(test::builtInStyle());
    fill(source);
    QMimeData data;
    data.setData(kNativeClipboardFormat, EquationMimeData(&source, {})->data(kNativeClipboardFormat));
    const EqLayoutSettings style = test::builtInStyle();
    ClipboardReadContext context;
    context.style = &style;
    for (auto _ : state) {
        EqModel target(style);
        EqBuilder b(&target);
        SetEquationCaret(&target, b.text(b.line(), u"ab", EqTypeCharItalic)->prev);
        std::unique_ptr<EqModel> pasted = EquationFromClipboardData(data, context);
        MoveEquationLines(&target, *pasted);
        benchmark::DoNotOptimize(target.lines.size());
    }
}
BENCHMARK(BM_PasteNative)->Unit(benchmark::kMillisecond);

// Both, as a copy in one program and a paste in another do it.
void BM_CopyPasteNative(benchmark::State& state) {
    EqModel eq(test::builtInStyle());
    fill(eq);
    SheetSelection selection;
    SelectAll(&eq, selection);
    ClipboardReadContext context;
    context.style = &eq.settings;
    for (auto _ : state) {
        EqModel copy(eq.settings);
        CopySelectionToEquation(selection, &copy, eq.settings);
        std::unique_ptr<QMimeData> data = EquationMimeData(&copy, {});
        EqModel target(eq.settings);
        AddEmptyLine(&target);
        std::unique_ptr<EqModel> pasted = EquationFromClipboardData(*data, context);
        MoveEquationLines(&target, *pasted);
        benchmark::DoNotOptimize(target.lines.size());
    }
}
BENCHMARK(BM_CopyPasteNative)->Unit(benchmark::kMillisecond);

// A shown headless sheet over the 1,000 lines, everything selected, with a
// clipboard in memory.
struct SheetFixture {
    AppContext app;
    EqModel eq{test::builtInStyle()};
    MemoryClipboardService clipboard;
    ScopedClipboardService guard{&clipboard};
    std::unique_ptr<CKwEESheet> sheet;
    SheetFixture() {
        fill(eq);
        sheet = std::make_unique<CKwEESheet>(app, programContext(), nullptr, std::make_unique<HeadlessSheetBackend>());
        ShowSheetOffscreen(*sheet, QSize(1200, 900), &eq);
        sheet->SelectAll();
    }
};

// The sheet's Copy: the native block and the metafile picture of the
// 1,000 lines in one write.
void BM_SheetCopy(benchmark::State& state) {
    SheetFixture f;
    for (auto _ : state) {
        f.sheet->ExecuteCommand(CMD_COPY);
        benchmark::DoNotOptimize(f.clipboard.writes);
    }
    state.counters["emf_bytes"] = double(f.clipboard.data(kMetafileFormat).size());
}
BENCHMARK(BM_SheetCopy)->Unit(benchmark::kMillisecond);

// The sheet's Paste of the 1,000 lines over its own selection, with the
// undo step, the layout and the rendering it takes.
void BM_SheetPaste(benchmark::State& state) {
    SheetFixture f;
    f.sheet->ExecuteCommand(CMD_COPY);
    for (auto _ : state) {
        state.PauseTiming();
        f.sheet->SelectAll();
        state.ResumeTiming();
        f.sheet->ExecuteCommand(CMD_PASTE);
        benchmark::DoNotOptimize(f.eq.lines.size());
    }
}
BENCHMARK(BM_SheetPaste)->Unit(benchmark::kMillisecond);

}  // namespace
