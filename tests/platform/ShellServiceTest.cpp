#include "platform/ClipboardService.h"
#include "platform/ShellService.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace toliva;

// Opening a document reports a missing file and a missing folder with the
// codes callers turn into their "not found" message.
TEST(ShellServiceTest, MissingFileAndFolderAreReportedApart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString present = dir.filePath(QStringLiteral("Help.pdf"));
    QFile f(present);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    struct Case {
        QString path;
        int expected;
    } cases[] = {
        {present, 0},
        {dir.filePath(QStringLiteral("Other.pdf")), ShellFileNotFound},
        {dir.filePath(QStringLiteral("Help/Help.pdf")), ShellPathNotFound},
    };
    for (const Case& c : cases) EXPECT_EQ(ShellResultForMissing(c.path), c.expected) << c.path.toStdString();

    RecordingShellService shell;
    ScopedShellService scoped(&shell);
    EXPECT_EQ(shellService().openDocument(cases[2].path), ShellPathNotFound);
    EXPECT_EQ(shellService().openDocument(present), ShellOpened);
    ASSERT_EQ(shell.documents.size(), 2u);
}

// The in-memory clipboard replaces its contents on every write, as the
// system clipboard does.
TEST(ShellServiceTest, MemoryClipboardReplacesContents) {
    MemoryClipboardService clip;
    ScopedClipboardService scoped(&clip);
    clipboardService().setData(QStringLiteral("application/x-test"), "abc");
    clipboardService().setText(QStringLiteral("x"));
    EXPECT_FALSE(clipboardService().hasFormat(QStringLiteral("application/x-test")));
    EXPECT_EQ(clipboardService().text(), QStringLiteral("x"));
    clipboardService().clear();
    EXPECT_TRUE(clipboardService().text().isEmpty());
    EXPECT_EQ(clip.writes, 2);
    EXPECT_EQ(clip.clears, 1);
}
