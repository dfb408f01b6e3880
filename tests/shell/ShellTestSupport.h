// What the shell's tests share: a fresh per-user folder and registry for
// every test, recorded messages, scripted pickers, an in-memory clipboard and
// a shell service that starts nothing.
#pragma once

#include "platform/ClipboardService.h"
#include "platform/DialogService.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/NetworkService.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/ShellService.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "sheet/CKwEESheet.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

namespace toliva::test {

inline const QString kWordCmds = QStringLiteral("Software\\Toliva\\WordCmds");
inline const QString kAppSettings = QStringLiteral("Software\\Toliva\\AppSettings");
inline const QString kLanguage = QStringLiteral("Software\\Toliva\\Language");

// Lets the event loop run for a while (posted calls, timers).
inline void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The value as a string; "<none>" when it is missing or not a string.
inline QString readString(const QString& subkey, const QString& name) {
    RegKey key;
    QString value;
    if (!OpenRegKey(subkey, key) || !ReadRegString(key, name, value, QStringLiteral("<none>")))
        return QStringLiteral("<none>");
    return value;
}
inline void writeString(const QString& subkey, const QString& name, const QString& value) {
    RegKey key;
    ASSERT_TRUE(OpenRegKey(subkey, key));
    ASSERT_TRUE(WriteRegString(key, name, value));
}
inline bool hasValue(const QString& subkey, const QString& name) {
    RegKey key;
    int v = 0;
    QString s;
    if (!OpenRegKey(subkey, key)) return false;
    return ReadRegDword(key, name, v, 0) || ReadRegString(key, name, s, QString());
}

// Refuses every transfer: the program checks for updates when it starts, and
// no test may reach outside the machine. Tests that talk to a loopback server
// install a service of their own.
class OfflineNetworkService : public NetworkService {
public:
    HttpReply perform(const HttpRequest&) override {
        HttpReply reply;
        reply.error = QStringLiteral("offline");
        return reply;
    }
};

class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        m_oldHome = qgetenv("TOLIVA_HOME");
        qputenv("TOLIVA_HOME", m_home.path().toLocal8Bit());
        RegistryStore::resetInstance();
    }
    void TearDown() override {
        RegistryStore::resetInstance();
        qputenv("TOLIVA_HOME", m_oldHome);
    }

    QString home() const { return m_home.path() + QLatin1Char('/'); }

    // A program folder holding only the named files of the real one
    // (relative paths such as "Dat/KwSLData.dat", "libViVeDoV.so").
    QString programFolderWith(const QStringList& files) {
        const QString folder = home() + QStringLiteral("program/");
        for (const QString& file : files) {
            QDir().mkpath(QFileInfo(folder + file).absolutePath());
            QFile::copy(programFolder() + file, folder + file);
        }
        QDir().mkpath(folder);
        return folder;
    }

    RecordingMessageSink messages;
    ScopedMessageSink scopedMessages{&messages};
    ScriptedDialogService dialogs;
    ScopedDialogService scopedDialogs{&dialogs};
    MemoryClipboardService clipboard;
    ScopedClipboardService scopedClipboard{&clipboard};
    RecordingShellService shell;
    ScopedShellService scopedShell{&shell};
    OfflineNetworkService offline;
    ScopedNetworkService scopedNetwork{&offline};

private:
    QTemporaryDir m_home;
    QByteArray m_oldHome;
};

// The program running in the test's process: its start-up with the hooks a
// test sets first, and its shut-down after the test.
class ProgramFixture : public ShellFixture {
protected:
    bool startProgram(const QStringList& arguments = {}, const std::function<void(CTolivaApp&)>& configure = {},
                      const QString& programFolder = QString()) {
        theApp = std::make_unique<CTolivaApp>(context, programFolder);
        theApp->quitWithFrame = false;
        if (configure) configure(*theApp);
        return theApp->InitInstance(arguments);
    }
    void stopProgram() {
        if (theApp) theApp->ExitInstance(0);
        theApp.reset();
    }
    void TearDown() override {
        stopProgram();
        ShellFixture::TearDown();
    }
    CTolivaDoc& doc() { return *theApp->document(); }
    CTolivaView& view() { return *theApp->view(); }
    CKwEESheet& sheet() { return *theApp->view()->sheet(); }
    CMainFrame& frame() { return *theApp->frame(); }
    AppSettings& settings() { return theApp->settings(); }

    AppContext context;
    std::unique_ptr<CTolivaApp> theApp;
};

}  // namespace toliva::test
