// Redrawing the editing view after one edit in a 50-line equation: the
// edited line is laid out and drawn into its bitmap again, every other line
// is copied from its cache.
#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "tests/common/ModelFixtures.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <algorithm>

using namespace toliva;

namespace {

constexpr float kScale = 4.0f;  // the editor's default zoom
constexpr int kLines = 50;

struct ViewFixture {
    RenderContext context = RenderContext::FromDataFolder();
    EqModel eq{test::builtInStyle()};
    QImage dc;
    gp::RectF view;

    // window: 0 for a view that shows every line, else a window of that
    // height scrolled to the middle of the equation.
    explicit ViewFixture(int window) {
        EqBuilder b(&eq);
        for (int k = 0; k < kLines; ++k) test::addSampleLine(b, k);
        SetEquationCaret(&eq, nullptr);
        MeasureFontMetrics(nullptr, &eq);
        LayoutLines(context, &eq, nullptr, kScale, 0, false);
        float height = 0, width = 0;
        for (const EqElement* head : eq.lines) {
            height += head->chainAscent + head->chainDescent + eq.settings.spacing[0] * eq.settings.fontSize * kScale;
            width = std::max(width, head->chainWidth);
        }
        view = window ? gp::RectF{0, -height / 2 + window / 2.0f, 1200, float(window)}
                      : gp::RectF{0, 0, width + 40, height + 40};
        dc = QImage(int(view.width), int(view.height), QImage::Format_ARGB32_Premultiplied);
        dc.fill(Qt::white);
        redraw();
    }
    void redraw() {
        QPainter painter(&dc);
        DrawEquationView(context, view, &eq, &painter, kScale, true, nullptr);
    }
};

// One keystroke: a character of the middle line changes; its cache is
// dropped, the line laid out again and the view redrawn.
void BM_ViewAfterEdit(benchmark::State& state) {
    ViewFixture f(int(state.range(0)));
    EqElement* edited = f.eq.lines[kLines / 2]->next;
    for (auto _ : state) {
        edited->ch = edited->ch == u'y' ? u'z' : u'y';
        InvalidateLineCache(&f.eq, edited);
        LayoutLines(f.context, &f.eq, nullptr, kScale, 0, true);
        f.redraw();
        benchmark::DoNotOptimize(f.dc.constBits());
    }
    int shown = 0;
    for (const LinePlacement& p : f.eq.placements) shown += p.visible ? 1 : 0;
    state.counters["lines_shown"] = shown;
}
BENCHMARK(BM_ViewAfterEdit)->Arg(0)->Arg(900)->Unit(benchmark::kMillisecond);

// The view redrawn with every line cached (scrolling, caret blinking).
void BM_ViewAllCached(benchmark::State& state) {
    ViewFixture f(int(state.range(0)));
    for (auto _ : state) {
        f.redraw();
        benchmark::DoNotOptimize(f.dc.constBits());
    }
}
BENCHMARK(BM_ViewAllCached)->Arg(0)->Arg(900)->Unit(benchmark::kMillisecond);

}  // namespace
