// eqtool as a program: its commands over the golden streams.
#include "EqtoolRun.h"
#include "TestSupport.h"
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace toliva {
namespace {

using test::eqtool;
using test::ToolRun;

QDir streams() { return QDir(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../data/streams"))); }

QString stream(const char* name) { return streams().filePath(QLatin1String(name)); }

bool isOldVersion(const QString& name) {
    return name.startsWith(QLatin1String("v1-")) || name.startsWith(QLatin1String("v2-"));
}
bool isMarkMode(const QString& name) { return name.endsWith(QLatin1String("-marks.eqs")); }

TEST(Eqtool, RoundtripOverCurrentGoldens) {
    QStringList plain;
    QStringList marked;
    const QStringList names = streams().entryList({QStringLiteral("*.eqs")}, QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 6);
    for (const QString& name : names) {
        if (isOldVersion(name)) continue;
        (isMarkMode(name) ? marked : plain) << streams().filePath(name);
    }
    ASSERT_FALSE(marked.isEmpty());

    ToolRun r = eqtool(QStringList{QStringLiteral("roundtrip")} << plain);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = eqtool(QStringList{QStringLiteral("roundtrip"), QStringLiteral("--marks")} << marked);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST(Eqtool, DumpMatchesStoredDumps) {
    const QStringList names = streams().entryList({QStringLiteral("*.eqs")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString dumpPath = streams().filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".dump"));
        ASSERT_TRUE(QFileInfo::exists(dumpPath)) << dumpPath.toStdString();
        QStringList args{QStringLiteral("dump")};
        if (isMarkMode(name)) args << QStringLiteral("--marks");
        const ToolRun r = eqtool(args << streams().filePath(name));
        ASSERT_EQ(r.exitCode, 0) << name.toStdString() << r.err.toStdString();
        EXPECT_EQ(r.out, QString::fromUtf8(test::readFile(dumpPath))) << name.toStdString();
    }
}

TEST(Eqtool, DumpShowsTheTree) {
    const ToolRun r = eqtool({QStringLiteral("dump"), stream("v1-basic.eqs")});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(QLatin1String("version 1\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("line 0\n  type=0 ")));
    EXPECT_TRUE(r.out.contains(QLatin1String("\n    arg 1\n      type=0 ")));
    EXPECT_TRUE(r.out.contains(QLatin1String("type=2 ch=0078 'x' colour=FF102030 align\n")));
}

TEST(Eqtool, RoundtripNamesTheFirstChangedFile) {
    // Old versions are saved as the current one, so their bytes change.
    const ToolRun r =
        eqtool({QStringLiteral("roundtrip"), stream("fields.eqs"), stream("v2-basic.eqs"), stream("v1-basic.eqs")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("v2-basic.eqs"))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QLatin1String("fields.eqs")));
    EXPECT_FALSE(r.err.contains(QLatin1String("v1-basic.eqs")));
}

TEST(Eqtool, DamagedAndMissingFilesFail) {
    test::ScratchFolder folder;
    const QString cut = folder.file(QStringLiteral("cut.eqs"));
    ASSERT_TRUE(test::writeFile(cut, test::readFile(stream("fields.eqs")).left(600)));
    for (const QString& command : {QStringLiteral("roundtrip"), QStringLiteral("dump")}) {
        ToolRun r = eqtool({command, cut});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(cut + QStringLiteral(": damaged equation stream"))) << r.err.toStdString();
        r = eqtool({command, folder.file(QStringLiteral("none.eqs"))});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QLatin1String("cannot read"))) << r.err.toStdString();
    }
}

// What the libraries note while eqtool works shows on standard error, once:
// a damaged defaults file that a stream's own-style marker makes it read,
// and LaTeX text cut at the token cap.
TEST(Eqtool, NotesShowOnStandardErrorOnce) {
    test::ScratchFolder folder;
    const QString defaults = UserLayoutSettingsPath();
    ASSERT_TRUE(test::writeFile(defaults, test::fromHex("FF FE FF 05")));
    EqLayoutSettings style = test::builtInStyle();
    style.options[EqLayoutSettings::OptOwnStyle] = 0xFF;
    EqModel eq(style);
    AddEmptyLine(&eq);
    const QString marked = folder.file(QStringLiteral("own-style.eqs"));
    ASSERT_TRUE(test::writeFile(marked, EquationToBytes(&eq)));

    ToolRun r = eqtool({QStringLiteral("dump"), marked});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QStringLiteral("failed to open file : ") + defaults), 1) << r.err.toStdString();
    QFile::remove(defaults);
    r = eqtool({QStringLiteral("dump"), marked});
    EXPECT_FALSE(r.err.contains(QLatin1String("failed to open file"))) << r.err.toStdString();

    const QString x(5000, QLatin1Char('x'));
    r = eqtool({QStringLiteral("from-latex"), QLatin1Char('$') + x + QStringLiteral("$ $") + x + QLatin1Char('$'),
                QStringLiteral("-o"), folder.file(QStringLiteral("long.eqs"))});
    // Written, with the cut told: the rest of each segment was not read.
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(folder.file(QStringLiteral("long.eqs"))));
    EXPECT_EQ(r.err.count(QStringLiteral("The formula is too long and was cut.\nOnly its first part was read.")), 1)
        << r.err.toStdString();
}

TEST(Eqtool, EmptyWritesTheNewEquation) {
    test::ScratchFolder folder;
    const QString out = folder.file(QStringLiteral("e.eqs"));
    const ToolRun r = eqtool({QStringLiteral("empty"), QStringLiteral("-o"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QFileInfo(out).size(), 484);
    EXPECT_EQ(test::readFile(out), test::readFile(stream("empty.eqs")));

    const QString unwritable = folder.file(QStringLiteral("no/dir/e.eqs"));
    EXPECT_EQ(eqtool({QStringLiteral("empty"), QStringLiteral("-o"), unwritable}).exitCode, 1);
}

TEST(Eqtool, BadArgumentsPrintUsage) {
    const QStringList cases[] = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("dump")},
        {QStringLiteral("dump"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("roundtrip")},
        {QStringLiteral("empty")},
        {QStringLiteral("empty"), QStringLiteral("x.eqs")},
    };
    for (const QStringList& args : cases) {
        const ToolRun r = eqtool(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String("usage:"))) << args.join(' ').toStdString();
    }
    // Asked for, the usage goes to standard output and is no error.
    const ToolRun help = eqtool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QLatin1String("eqtool render")));
}

}  // namespace
}  // namespace toliva
