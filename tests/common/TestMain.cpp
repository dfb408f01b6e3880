// Test entry: every test program runs headless with its own per-user folder
// and registry, so no test touches the developer's settings.
#include <gtest/gtest.h>

#include "platform/NetworkService.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    toliva::CurlGlobalScope curl;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    setenv("TOLIVA_HOME", home.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
