// The LaTeX editing pane: a 100-line LaTeX text in the source window applied
// to the sheet's equation (read, undo snapshot, swap, layout and render of
// the shown headless sheet), and the equation written back into the window.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "sheet/CDialogTeXEdt.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "tests/common/ModelFixtures.h"
#include "tex/TeXCode.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace toliva;

namespace {

const RenderContext& programContext() {
    static const RenderContext context = RenderContext::FromDataFolder();
    return context;
}

CTeXCode& names() {
    static CTeXCode table;
    return table;
}

// 100 lines of ordinary LaTeX: fractions, scripts, roots, Greek letters and
// a small matrix now and then.
QString hundredLines(int variant) {
    QString text = QStringLiteral("$$");
    for (int k = 0; k < 100; ++k) {
        if (k) text += QStringLiteral("\\\\\n");
        if (k % 10 == 9)
            text += QStringLiteral("A_{%1}=\\begin{pmatrix}a&b\\\\c&d\\end{pmatrix}").arg(k);
        else
            text += QStringLiteral("y_{%1}=\\frac{\\alpha x^{2}+\\beta}{\\sqrt{%2+\\gamma}}-\\sum_{i=1}^{n} i")
                        .arg(k)
                        .arg(k + variant);
    }
    return text + QStringLiteral("$$");
}

struct PaneFixture {
    AppContext app;
    EqModel eq{test::builtInStyle()};
    std::unique_ptr<CKwEESheet> sheet;
    std::unique_ptr<CDialogTeXEdt> pane;
    RecordingMessageSink messages;
    ScopedMessageSink guard{&messages};

    PaneFixture() {
        EqBuilder b(&eq);
        b.text(b.line(), u"x", EqTypeCharItalic);
        sheet = std::make_unique<CKwEESheet>(app, programContext(), nullptr, std::make_unique<HeadlessSheetBackend>());
        sheet->texRead.names = &names();
        sheet->texWrite.names = &names();
        ShowSheetOffscreen(*sheet, QSize(1200, 900), &eq);
        pane = std::make_unique<CDialogTeXEdt>(app, LoadSourceEditorLibrary().create);
        pane->setSheet(sheet.get());
        pane->resize(600, 400);
    }
};

// One iteration applies one of two texts that differ in every line, so each
// apply changes the equation and keeps its undo step.
void BM_ApplyHundredLines(benchmark::State& state) {
    PaneFixture f;
    if (!f.pane->editor().isCreated()) {
        state.SkipWithError("the source-editor control library did not load");
        return;
    }
    const QString texts[2] = {hundredLines(0), hundredLines(1)};
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.pane->editor().SetEditorText(texts[n++ % 2]);
        state.ResumeTiming();
        if (!f.pane->ApplyToEquation()) {
            state.SkipWithError("the text did not convert");
            break;
        }
    }
    state.counters["lines"] = double(f.eq.lines.size());
}
BENCHMARK(BM_ApplyHundredLines)->Unit(benchmark::kMillisecond);

// The 100-line equation written as LaTeX into the window.
void BM_LoadHundredLines(benchmark::State& state) {
    PaneFixture f;
    if (!f.pane->editor().isCreated()) {
        state.SkipWithError("the source-editor control library did not load");
        return;
    }
    f.pane->editor().SetEditorText(hundredLines(0));
    f.pane->ApplyToEquation();
    for (auto _ : state) benchmark::DoNotOptimize(f.pane->LoadFromEquation());
}
BENCHMARK(BM_LoadHundredLines)->Unit(benchmark::kMillisecond);

}  // namespace
