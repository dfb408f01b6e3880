// Pieces the fuzz targets share.
#pragma once

#include "model/EqLayoutSettings.h"
#include "model/EqMeasure.h"
#include "model/RenderContext.h"
#include "platform/MessageSink.h"
#include "tests/common/ModelFixtures.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdlib>

namespace toliva::fuzz {

using test::builtInStyle;

// Answers every message box with OK, without printing.
using SilentSink = SilentMessageSink;

// Fixed text boxes keep runs fast; drawing still uses the fonts.
class BoxMeasurer final : public TextMeasurer {
public:
    TextMeasure Measure(EqModel*, gp::Graphics*, const EqFont*, const QString&, float em, int) override {
        TextMeasure m;
        m.boxWidth = 0.6f * em;
        m.boxHeight = 1.2f * em;
        m.ink = gp::RectF{0.1f * em, 0.3f * em, 0.4f * em, 0.6f * em};
        return m;
    }
};

// The program's symbol library with fixed text boxes, built on first use.
inline const RenderContext& boxMeasuredContext() {
    static BoxMeasurer measurer;
    static const RenderContext context = [] {
        RenderContext c = RenderContext::FromDataFolder();
        c.measurer = &measurer;
        return c;
    }();
    return context;
}

// Per-user data in a scratch folder (a stream may ask for the defaults file),
// and message boxes silenced.
inline void useScratchHomeAndSilence() {
    static QTemporaryDir home;
    setenv("TOLIVA_HOME", home.path().toLocal8Bit().constData(), 1);
    static SilentSink sink;
    setMessageSink(&sink);
}

// For the targets that lay out and draw equations: a scratch home, silenced
// messages, an offscreen application (released at exit, with the fonts the
// runs loaded) and the box-measured symbol library built once.
inline void startDrawingFuzzer(int* argc, char*** argv) {
    useScratchHomeAndSilence();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    new QGuiApplication(*argc, *argv);
    boxMeasuredContext();
    std::atexit([] { delete qApp; });
}

}  // namespace toliva::fuzz
