// The main of every benchmark program: offscreen Qt (fonts and images need a
// GUI application), then Google Benchmark.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
