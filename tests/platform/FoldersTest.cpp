#include "platform/AppContext.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

using namespace toliva;

TEST(Folders, ProgramFolderHoldsTheRunningExecutable) {
    const QString folder = programFolder();
    ASSERT_TRUE(folder.endsWith('/'));
    EXPECT_TRUE(QFileInfo(programPath()).isFile());
    EXPECT_EQ(QFileInfo(programPath()).absolutePath() + '/', folder);
}

TEST(Folders, TolivaHomeMovesUserDataAndRegistry) {
    const QByteArray home = qgetenv("TOLIVA_HOME");
    ASSERT_FALSE(home.isEmpty());
    EXPECT_EQ(userDataBase(), QDir::cleanPath(QString::fromLocal8Bit(home)));
    EXPECT_EQ(configFolder(), QDir::cleanPath(QString::fromLocal8Bit(home)));
}

TEST(Folders, DataNamesUseForwardSlashes) {
    EXPECT_EQ(dataName(QStringLiteral("Dat\\KwSLData.dat")), QStringLiteral("Dat/KwSLData.dat"));
    EXPECT_EQ(dataName(QStringLiteral("UserBooks\\BP\\")), QStringLiteral("UserBooks/BP/"));
}

TEST(AppContext, CreatesTheUserFoldersTwiceWithoutHarm) {
    AppContext ctx;
    ctx.createUserFolders();
    const QString first = ctx.userFolder;
    ctx.createUserFolders();
    EXPECT_EQ(ctx.userFolder, first);
    EXPECT_TRUE(first.endsWith(QStringLiteral("/Toliva/")));
    for (const char* sub : {"Temp", "UserBooks", "UserBooks/BP"})
        EXPECT_TRUE(QFileInfo(first + sub).isDir()) << sub;
    EXPECT_EQ(ctx.tempFolder, first + QStringLiteral("Temp/"));
}

TEST(AppContext, LanguageCodeFollowsTheSelection) {
    AppContext ctx;
    ctx.lanSel = 2;
    EXPECT_EQ(ctx.languageCode(), QStringLiteral("cn"));
    ctx.lanSel = 1;
    EXPECT_EQ(ctx.languageCode(), QStringLiteral("en"));
    // The default option word 0x7F9F5.
    EXPECT_TRUE(ctx.option(OptHalfHeightBaseline));
    EXPECT_TRUE(ctx.option(OptDottedSeparators));
    EXPECT_FALSE(ctx.option(OptShowSpaceMarks));
    EXPECT_FALSE(ctx.option(OptKeepDelimiterLineFeeds));
}

TEST(MessageSink, RecorderKeepsTextsAndAnswersByScript) {
    RecordingMessageSink rec;
    rec.answers = {IDNO};
    {
        ScopedMessageSink guard(&rec);
        EXPECT_EQ(showMessage(QStringLiteral("first"), MB_YESNO), IDNO);
        EXPECT_EQ(showMessage(QStringLiteral("second")), IDOK);
    }
    ASSERT_EQ(rec.shown.size(), 2u);
    EXPECT_EQ(rec.shown[0].text, QStringLiteral("first"));
    EXPECT_EQ(rec.shown[0].flags, unsigned(MB_YESNO));
    // Outside the guard the standard-error sink answers with the first button.
    EXPECT_EQ(showMessage(QStringLiteral("to stderr"), MB_YESNO), IDYES);
}
