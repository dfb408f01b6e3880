// eqtool at start-up: what opening the registry found is shown once.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

namespace toliva {
namespace {

// Runs "eqtool empty -o FILE" with the per-user data in home; its standard error.
QString runEmptyIn(const QString& home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TOLIVA_HOME"), home);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(EQTOOL_PATH), {QStringLiteral("empty"), QStringLiteral("-o"), home + "/empty.eqs"});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return "failed";
    return QString::fromUtf8(p.readAllStandardError());
}

TEST(EqtoolStartup, DamagedRegistryIsReportedOnceAndPutAside) {
    test::ScratchFolder home;
    ASSERT_TRUE(test::writeFile(home.file("registry.sqlite"), QByteArray(4096, 'x')));

    const QString first = runEmptyIn(home.path());
    EXPECT_EQ(first.count("The settings database was damaged"), 1) << first.toStdString();
    const QStringList kept = QDir(home.path()).entryList({"registry.sqlite.damaged-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(first.contains(kept[0])) << first.toStdString();
    EXPECT_EQ(test::readFile(home.file(kept[0])), QByteArray(4096, 'x'));

    const QString second = runEmptyIn(home.path());
    EXPECT_FALSE(second.contains("settings database")) << second.toStdString();
}

}  // namespace
}  // namespace toliva
