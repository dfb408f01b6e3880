// A person's first session with the editor, played on an X server: the
// program is started by tools/run-editor.sh, a formula is typed into it with
// xdotool (real key events through the XTEST extension), saved with Ctrl+S,
// the window closed with Ctrl+W, and the file opened again. Screenshots of
// the window in both languages are left in the build folder for a person to
// look at. Runs under xvfb-run with the xcb platform (tests/CMakeLists.txt).
#include "model/EqModel.h"
#include "platform/Archive.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "shell/document/AfxFile.h"
#include "tests/common/TestSupport.h"
#include "tests/sheet/SheetTestSupport.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>

namespace toliva {
namespace {

// Runs xdotool; false when it failed. Its standard output goes to *out.
bool xdotool(const QStringList& arguments, QString* out = nullptr) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), arguments);
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return false;
    if (out) *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return true;
}

class EditorSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            TOLIVA_SKIP_UNLESS_CI() << "needs an X server: run under xvfb-run with QT_QPA_PLATFORM=xcb";
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            TOLIVA_SKIP_UNLESS_CI() << "xdotool is not on PATH (tools/install-deps.sh installs it)";
        ASSERT_TRUE(home.isValid());
    }
    void TearDown() override {
        if (editor.state() != QProcess::NotRunning) {
            editor.kill();
            editor.waitForFinished(5000);
        }
    }

    // Starts the editor through the README's first command on this build.
    void startEditor(const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TOLIVA_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        test::KeepUpdateCheckLocal(env);
        editor.setProcessEnvironment(env);
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        editor.start(QStringLiteral("bash"),
                     QStringList{QStringLiteral(TOLIVA_SOURCE_DIR "/tools/run-editor.sh"), QStringLiteral("--preset"),
                                 QStringLiteral("debug")} +
                         arguments);
        ASSERT_TRUE(editor.waitForStarted(10000));
    }
    // The editor's window, focused for the keys that follow.
    QString waitForWindow() {
        const QDeadlineTimer deadline(240000);  // the script checks the packages and the build first
        while (!deadline.hasExpired() && editor.state() != QProcess::NotRunning) {
            QString found;
            xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                     QStringLiteral("Toliva")},
                    &found);
            const QString id = found.section(QLatin1Char('\n'), 0, 0);
            if (!id.isEmpty()) {
                xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
                QThread::msleep(500);
                return id;
            }
            QThread::msleep(200);
        }
        return {};
    }
    void keys(const QStringList& arguments) {
        EXPECT_TRUE(xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80")} +
                            arguments));
        QThread::msleep(300);
    }
    bool editorEnded() {
        return editor.waitForFinished(30000) && editor.exitStatus() == QProcess::NormalExit && editor.exitCode() == 0;
    }
    // The window's picture, saved beside the tests; false when it is blank.
    bool screenshot(const QString& id, const QString& name) {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return false;
        // Window 0 is the whole screen.
        const QImage shot = screen->grabWindow(WId(id.toULongLong())).toImage();
        const QString folder = QStringLiteral(TOLIVA_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        shot.save(folder + QLatin1Char('/') + name);
        int dark = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) dark += qGray(shot.pixel(x, y)) < 96;
        return dark > 20;
    }
    void setLanguage(const char* lanSel) {
        qputenv("TOLIVA_HOME", home.path().toLocal8Bit());
        RegistryStore::resetInstance();
        RegKey key;
        ASSERT_TRUE(OpenRegKey(QStringLiteral("Software\\Toliva\\Language"), key));
        ASSERT_TRUE(WriteRegString(key, QStringLiteral("LanSel"), QString::fromLatin1(lanSel)));
        RegistryStore::resetInstance();
    }

    QTemporaryDir home;
    QProcess editor;
};

TEST_F(EditorSession, TypeSaveQuitAndOpenAgain) {
    // The document to edit: an empty equation.
    const QString path = home.path() + QStringLiteral("/first.afx");
    {
        EqModel eq;
        QString reason;
        ASSERT_TRUE(WriteAfxFile(path, AfxArchiveBytes(&eq, 300, 200), &reason)) << reason.toStdString();
    }
    setLanguage("1");
    startEditor({path});
    const QString id = waitForWindow();
    ASSERT_FALSE(id.isEmpty()) << "the editor's window did not appear";
    screenshot(id, QStringLiteral("editor-empty-en.png"));

    // y = a + 2, typed as a person types it.
    EXPECT_TRUE(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("80"),
                         QStringLiteral("y=a+2")}));
    QThread::msleep(500);
    EXPECT_TRUE(screenshot(id, QStringLiteral("editor-typed-en.png")));
    // The smallest size the window keeps.
    EXPECT_TRUE(xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), id, QStringLiteral("960"),
                         QStringLiteral("640")}));
    QThread::msleep(500);
    EXPECT_TRUE(screenshot(id, QStringLiteral("editor-typed-960x640-en.png")));
    keys({QStringLiteral("ctrl+s")});
    keys({QStringLiteral("ctrl+w")});
    ASSERT_TRUE(editorEnded()) << "the editor did not end after Ctrl+W";

    AfxContent saved;
    QString reason;
    ASSERT_TRUE(ReadAfxFile(path, saved, &reason)) << reason.toStdString();
    const std::string text = test::equationText(*saved.equation);
    for (char c : {'y', 'a', '2'}) EXPECT_NE(text.find(c), std::string::npos) << text;

    // Opened again, in Chinese: the formula is there.
    setLanguage("2");
    startEditor({path});
    const QString again = waitForWindow();
    ASSERT_FALSE(again.isEmpty());
    EXPECT_TRUE(screenshot(again, QStringLiteral("editor-reopened-cn.png")));
    EXPECT_TRUE(xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), again, QStringLiteral("960"),
                         QStringLiteral("640")}));
    QThread::msleep(500);
    EXPECT_TRUE(screenshot(again, QStringLiteral("editor-reopened-960x640-cn.png")));

    // A change and Ctrl+W: the program asks about the change (in Chinese);
    // Escape answers Cancel and the window stays.
    EXPECT_TRUE(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("+1")}));
    keys({QStringLiteral("ctrl+w")});
    QThread::msleep(700);
    EXPECT_TRUE(screenshot(QStringLiteral("0"), QStringLiteral("editor-ask-to-save-cn.png")));
    keys({QStringLiteral("Escape")});
    EXPECT_FALSE(editor.waitForFinished(1500)) << "Cancel closed the editor";
    editor.kill();
    editor.waitForFinished(5000);
}

}  // namespace
}  // namespace toliva

int main(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home;
    setenv("TOLIVA_HOME", home.path().toLocal8Bit().constData(), 1);
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
