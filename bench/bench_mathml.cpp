// The MathML reader on large generated documents: time per document and the
// bytes read per second, for inputs within the budgets and for inputs that
// stop at the element or text budget (10 MB of each shape).
#include "model/EqLayoutSettings.h"
#include "tex/MathML.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace toliva;

namespace {

enum Shape { Tokens, Fractions, Text, PaddedTables };

// body repeated to size bytes inside one "math" element.
std::string document(Shape shape, size_t size) {
    std::string open = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mrow>";
    std::string close = "</mrow></math>";
    std::string body;
    switch (shape) {
    case Tokens: body = "<mi>x</mi><mo>+</mo>"; break;
    case Fractions: body = "<mfrac><mi>a</mi><msqrt><mn>2</mn></msqrt></mfrac>"; break;
    case Text:
        open += "<mtext>";
        close.insert(0, "</mtext>");
        body = "ab ";
        break;
    case PaddedTables:
        body = "<mtable><mtr>";
        for (int i = 0; i < kMaxMathMLTableSize; ++i) body += "<mtd/>";
        body += "</mtr>";
        for (int i = 1; i < kMaxMathMLTableSize; ++i) body += "<mtr/>";
        body += "</mtable>";
        break;
    }
    std::string text = open;
    while (text.size() + body.size() + close.size() <= size) text += body;
    return text + close;
}

void BM_ReadMathML(benchmark::State& state) {
    const std::string text = document(Shape(state.range(0)), size_t(state.range(1)));
    EqLayoutSettings style;
    SetDefaultLayoutSettings(style);
    bool overflow = false;
    for (auto _ : state) {
        MathMLReader reader;
        const MathMLReadResult r = ReadMathML(reader, text.data(), text.size(), style);
        benchmark::DoNotOptimize(r.equation.get());
        overflow = r.overflow;
    }
    state.counters["overflow"] = overflow ? 1 : 0;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

}  // namespace

BENCHMARK(BM_ReadMathML)
    ->ArgsProduct({{Tokens, Fractions, Text, PaddedTables}, {100 << 10, 10 << 20}})
    ->Unit(benchmark::kMillisecond);
