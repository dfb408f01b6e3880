// The start of the targets that drive widgets: a scratch home, silenced
// messages and one offscreen widgets application for the whole run.
#pragma once

#include "FuzzSupport.h"

#include <QApplication>

namespace toliva::fuzz {

inline QApplication* startWidgetsApplication() {
    static QApplication* app = [] {
        useScratchHomeAndSilence();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return app;
}

}  // namespace toliva::fuzz
