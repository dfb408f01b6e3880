// The editor program in a benchmark's process: a scratch per-user folder and
// registry, message boxes answered silently, the program started once.
#pragma once

#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "shell/CTolivaApp.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <memory>

namespace toliva::bench {

// The scratch home and the silent message sink, for the object's lifetime.
class BenchHome {
public:
    BenchHome() : m_scoped(&m_sink) { qputenv("TOLIVA_HOME", m_home.path().toLocal8Bit()); }

private:
    QTemporaryDir m_home;
    SilentMessageSink m_sink;
    ScopedMessageSink m_scoped;
};

// The program, started in the home; app is null when it did not start.
class BenchProgram {
public:
    BenchProgram() : app(std::make_unique<CTolivaApp>(context)) {
        app->quitWithFrame = false;
        if (!app->InitInstance({})) app.reset();
    }
    ~BenchProgram() {
        if (app) app->ExitInstance(0);
    }
    // False (and the benchmark skipped) when the program did not start.
    bool started(benchmark::State& state) {
        if (!app) state.SkipWithError("the program did not start");
        return app != nullptr;
    }

    BenchHome home;
    AppContext context;
    std::unique_ptr<CTolivaApp> app;
};

}  // namespace toliva::bench
