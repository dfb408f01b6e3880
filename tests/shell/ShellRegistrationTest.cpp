#include "shell/ShellRegistration.h"

#include "platform/ShellService.h"
#include "tests/common/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>

namespace toliva {
namespace {

const QDateTime kOldTime = QDateTime::fromSecsSinceEpoch(1000000000);

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

// A fresh data folder, a PATH that holds stand-ins for the two cache
// updaters, and a shell service that records what is started.
class ShellRegistrationTest : public ::testing::Test {
protected:
    ShellRegistrationTest()
        : m_home("TOLIVA_HOME", scratch.file("home")), m_path("PATH", scratch.file("bin")), m_shell(&shell) {
        QDir().mkpath(scratch.file("bin"));
        for (const char* tool : {"update-mime-database", "update-desktop-database"}) {
            const QString path = scratch.file(QStringLiteral("bin/") + tool);
            test::writeFile(path, "#!/bin/sh\n");
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    QString home() const { return scratch.file("home"); }
    QString mimePackage() const { return home() + "/mime/packages/toliva-equation.xml"; }
    QString desktopEntry() const { return home() + "/applications/toliva.desktop"; }

    // The updaters started since the last call, as "program folder".
    QStringList takeStarted() {
        QStringList started;
        for (const auto& [program, arguments] : shell.programs)
            started << QFileInfo(program).fileName() + ' ' + arguments.join(' ');
        shell.programs.clear();
        return started;
    }

    static void age(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(kOldTime, QFileDevice::FileModificationTime));
    }
    static QDateTime modified(const QString& path) { return QFileInfo(path).lastModified(); }

    test::ScratchFolder scratch;
    RecordingShellService shell;

private:
    ScopedEnv m_home;
    ScopedEnv m_path;
    ScopedShellService m_shell;
};

const QByteArray kMimePackage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-toliva-equation\">\n"
    "    <comment>Equation.Toliva</comment>\n"
    "    <glob pattern=\"*.afx\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n";

QByteArray desktopEntryFor(const QByteArray& exec) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Toliva\n"
           "Exec=" +
           exec +
           "\n"
           "MimeType=application/x-toliva-equation;\n"
           "Categories=Office;Education;Math;\n";
}

TEST_F(ShellRegistrationTest, RegisteringWritesBothFilesOnceAndRefreshesOnlyWhatChanged) {
    EXPECT_EQ(XdgDataHome(), home());
    QString error;
    ASSERT_TRUE(RegisterShellFileTypes("/usr/bin/toliva", &error)) << error.toStdString();
    EXPECT_EQ(test::readFile(mimePackage()), kMimePackage);
    EXPECT_EQ(test::readFile(desktopEntry()), desktopEntryFor("/usr/bin/toliva %f"));
    EXPECT_EQ(takeStarted(), QStringList({"update-mime-database " + home() + "/mime",
                                           "update-desktop-database " + home() + "/applications"}));

    // A second start with the same program writes nothing and starts nothing.
    age(mimePackage());
    age(desktopEntry());
    ASSERT_TRUE(RegisterShellFileTypes("/usr/bin/toliva", &error));
    EXPECT_EQ(modified(mimePackage()), kOldTime);
    EXPECT_EQ(modified(desktopEntry()), kOldTime);
    EXPECT_TRUE(takeStarted().isEmpty());

    // A program that moved rewrites the desktop entry alone.
    ASSERT_TRUE(RegisterShellFileTypes("/opt/toliva/toliva", &error));
    EXPECT_EQ(modified(mimePackage()), kOldTime);
    EXPECT_EQ(test::readFile(desktopEntry()), desktopEntryFor("/opt/toliva/toliva %f"));
    EXPECT_EQ(takeStarted(), QStringList({"update-desktop-database " + home() + "/applications"}));
}

TEST_F(ShellRegistrationTest, UnregisteringRemovesBothFilesAndMissingFilesAreNoError) {
    ASSERT_TRUE(RegisterShellFileTypes("/usr/bin/toliva", nullptr));
    takeStarted();
    QString error;
    ASSERT_TRUE(UnregisterShellFileTypes(&error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(mimePackage()));
    EXPECT_FALSE(QFileInfo::exists(desktopEntry()));
    EXPECT_EQ(takeStarted(), QStringList({"update-mime-database " + home() + "/mime",
                                           "update-desktop-database " + home() + "/applications"}));

    EXPECT_TRUE(UnregisterShellFileTypes(&error));
    EXPECT_TRUE(takeStarted().isEmpty());
}

TEST_F(ShellRegistrationTest, ServerRegistrationWritesAndRemovesTheDesktopEntryOnly) {
    QString error;
    ASSERT_TRUE(UpdateServerRegistration("/usr/bin/toliva", true, &error)) << error.toStdString();
    EXPECT_EQ(test::readFile(desktopEntry()), desktopEntryFor("/usr/bin/toliva %f"));
    EXPECT_FALSE(QFileInfo::exists(mimePackage()));
    EXPECT_EQ(takeStarted(), QStringList({"update-desktop-database " + home() + "/applications"}));

    // The start-up's own order: the file types first, then the server.
    ASSERT_TRUE(RegisterShellFileTypes("/usr/bin/toliva", &error));
    age(desktopEntry());
    ASSERT_TRUE(UpdateServerRegistration("/usr/bin/toliva", true, &error));
    EXPECT_EQ(modified(desktopEntry()), kOldTime);
    takeStarted();

    ASSERT_TRUE(UpdateServerRegistration("/usr/bin/toliva", false, &error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(desktopEntry()));
    EXPECT_EQ(test::readFile(mimePackage()), kMimePackage);
    EXPECT_EQ(takeStarted(), QStringList({"update-desktop-database " + home() + "/applications"}));
    EXPECT_TRUE(UpdateServerRegistration("/usr/bin/toliva", false, &error));
}

TEST_F(ShellRegistrationTest, MissingUpdatersAreNoError) {
    ScopedEnv emptyPath("PATH", scratch.file("nothing-here"));
    QString error;
    EXPECT_TRUE(RegisterShellFileTypes("/usr/bin/toliva", &error)) << error.toStdString();
    EXPECT_TRUE(UnregisterShellFileTypes(&error)) << error.toStdString();
    EXPECT_TRUE(takeStarted().isEmpty());
}

TEST_F(ShellRegistrationTest, FailuresComeBackWithTheirReason) {
    // The data folder is a regular file: nothing below it can be created.
    {
        ScopedEnv blocked("TOLIVA_HOME", scratch.file("plain-file"));
        ASSERT_TRUE(test::writeFile(scratch.file("plain-file"), "x"));
        QString error;
        EXPECT_FALSE(RegisterShellFileTypes("/usr/bin/toliva", &error));
        EXPECT_TRUE(error.startsWith(scratch.file("plain-file/mime/packages"))) << error.toStdString();
        EXPECT_TRUE(error.contains("cannot be created")) << error.toStdString();
        error.clear();
        EXPECT_FALSE(UpdateServerRegistration("/usr/bin/toliva", true, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    // Something that is not a file stands where the desktop entry goes.
    ASSERT_TRUE(QDir().mkpath(desktopEntry() + "/inside"));
    QString error;
    EXPECT_FALSE(RegisterShellFileTypes("/usr/bin/toliva", &error));
    EXPECT_EQ(error, desktopEntry() + ": not a regular file");
    EXPECT_EQ(test::readFile(mimePackage()), kMimePackage);  // what could be written was
    error.clear();
    EXPECT_FALSE(UnregisterShellFileTypes(&error));
    EXPECT_TRUE(error.startsWith(desktopEntry() + ": ")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(mimePackage()));  // the other file still went

    // A program path the desktop entry cannot hold.
    QDir(desktopEntry()).removeRecursively();
    error.clear();
    EXPECT_FALSE(RegisterShellFileTypes("", &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(UpdateServerRegistration(QString(QChar(0xDC80)) + "toliva", true, &error));
    EXPECT_TRUE(error.contains("UTF-8")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(desktopEntry()));
}

TEST_F(ShellRegistrationTest, ExecQuotesPathsThatNeedIt) {
    QString error;
    ASSERT_TRUE(RegisterShellFileTypes("/opt/My Apps/toliva", &error)) << error.toStdString();
    EXPECT_EQ(test::readFile(desktopEntry()), desktopEntryFor("\"/opt/My Apps/toliva\" %f"));

    // Quoting escapes " ` $ \ with a backslash, a literal % is doubled, and
    // the key file escapes every backslash once more.
    struct Case {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/usr/bin/toliva", "/usr/bin/toliva"},
        {"/opt/x/toliva-1.0_b+c", "/opt/x/toliva-1.0_b+c"},
        {"/opt/Équations/toliva", "/opt/Équations/toliva"},
        {"/opt/tab\there", "\"/opt/tab\\there\""},
        {"/opt/it's", "\"/opt/it's\""},
        {"/opt/\"q\"", "\"/opt/\\\\\"q\\\\\"\""},
        {"/opt/a\\b", "\"/opt/a\\\\\\\\b\""},
        {"/opt/$HOME", "\"/opt/\\\\$HOME\""},
        {"/opt/`x`", "\"/opt/\\\\`x\\\\`\""},
        {"/opt/100%", "/opt/100%%"},
        {"/opt/100 %", "\"/opt/100 %%\""},
        {"/opt/a;b", "\"/opt/a;b\""},
        {"/opt/(x)", "\"/opt/(x)\""},
        {"/opt/~me", "\"/opt/~me\""},
        {"/opt/line\nbreak", "\"/opt/line\\nbreak\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(DesktopExecArgument(QString::fromUtf8(c.path)), QString::fromUtf8(c.exec));
    }
}

}  // namespace
}  // namespace toliva
