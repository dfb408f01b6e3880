// Full layout of a one-line equation of about 2,000 elements: characters,
// operators, fractions, scripts and radicals nested three deep.
#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/RenderContext.h"
#include "tests/common/ModelFixtures.h"

#include <benchmark/benchmark.h>

using namespace toliva;

namespace {

int countElements(const EqElement* e) {
    int n = 0;
    for (; e; e = e->next) {
        ++n;
        for (const EqElement* c : e->children) n += countElements(c);
    }
    return n;
}

// x_1^2 + sqrt(a + b/(c^2 + sqrt(d_k))) - ... : one group, three levels deep.
void addGroup(EqBuilder& b, EqElement* chain, int depth) {
    b.text(chain, u"x", EqTypeCharItalic);
    EqElement* sub = b.add(chain, 174, 1);
    b.text(EqBuilder::arg(sub, 0), u"1");
    EqElement* sup = b.add(chain, 173, 1);
    b.text(EqBuilder::arg(sup, 0), u"2");
    b.add(chain, 1042);
    EqElement* root = b.add(chain, 136, 1);
    EqElement* inside = EqBuilder::arg(root, 0);
    b.text(inside, u"a", EqTypeCharItalic);
    b.add(inside, 1042);
    EqElement* frac = b.add(inside, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"b", EqTypeCharItalic);
    if (depth > 1)
        addGroup(b, EqBuilder::arg(frac, 1), depth - 1);
    else
        b.text(EqBuilder::arg(frac, 1), u"cd", EqTypeCharItalic);
    b.add(chain, 1043);
    b.text(chain, u"12", EqTypeCharUpright);
}

void BM_LayoutLine(benchmark::State& state) {
    EqModel eq{test::builtInStyle()};
    EqBuilder b(&eq);
    EqElement* line = b.line();
    while (countElements(line) < state.range(0)) addGroup(b, line, 3);
    const int n = countElements(line);
    const RenderContext context = RenderContext::FromDataFolder();
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);  // loads the fonts
    for (auto _ : state) {
        LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
        benchmark::DoNotOptimize(line->chainWidth);
    }
    state.counters["elements"] = n;
    state.counters["width_px"] = line->chainWidth;
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LayoutLine)->Arg(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
