// Start-up and shut-down of the editor program in its run modes, with a
// temporary registry and per-user folder.
#include "ShellTestSupport.h"

#include "model/EqModel.h"
#include "platform/Archive.h"
#include "platform/LangTable.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "shell/OfficeLink.h"
#include "shell/document/AfxFile.h"
#include "shell/recognition/RecognitionClient.h"
#include "sheet/CKwEESheet.h"

#include <QFileInfo>
#include <QLocalSocket>

namespace toliva::test {
namespace {

class StartupTest : public ProgramFixture {
protected:
    // A program started with the arguments from the given program folder
    // (empty: the real one beside the tests).
    bool start(const QStringList& arguments, const QString& folder = QString(), bool editorLibrary = true) {
        return startProgram(arguments, [&](CTolivaApp& program) {
            // Once loaded, the library is found by its name alone for the
            // rest of the process: a missing one is stood in.
            if (!editorLibrary) program.loadEditorLibrary = [](const QString&) { return SourceEditorLibrary{}; };
        }, folder);
    }
    void exit() { stopProgram(); }

    QString desktopEntry() const { return home() + QStringLiteral("applications/toliva.desktop"); }
    QString mimePackage() const { return home() + QStringLiteral("mime/packages/toliva-equation.xml"); }
};

TEST(CommandLineTest, SwitchesAndFile) {
    struct Case {
        QStringList arguments;
        CommandLineInfo::ShellCommand command;
        bool embedded, automated;
        QString file;
    };
    const Case cases[] = {
        {{}, CommandLineInfo::FileNew, false, false, {}},
        {{"a.afx"}, CommandLineInfo::FileOpen, false, false, "a.afx"},
        {{"/Embedding"}, CommandLineInfo::FileNothing, true, false, {}},
        {{"-embedding"}, CommandLineInfo::FileNothing, true, false, {}},
        {{"/Automation"}, CommandLineInfo::FileNothing, false, true, {}},
        {{"/Unregserver"}, CommandLineInfo::AppUnregister, false, false, {}},
        {{"-UNREGISTER"}, CommandLineInfo::AppUnregister, false, false, {}},
        {{"/Regserver"}, CommandLineInfo::AppRegister, false, false, {}},
        {{"-unknown", "b.afx"}, CommandLineInfo::FileOpen, false, false, "b.afx"},
        {{"/home/u/c.afx"}, CommandLineInfo::FileOpen, false, false, "/home/u/c.afx"},
        {{"/Embedding", "/tmp/x.afx"}, CommandLineInfo::FileNothing, true, false, "/tmp/x.afx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLineInfo info = ParseCommandLine(c.arguments);
        EXPECT_EQ(info.shellCommand, c.command);
        EXPECT_EQ(info.runEmbedded, c.embedded);
        EXPECT_EQ(info.runAutomated, c.automated);
        EXPECT_EQ(info.fileName, c.file);
    }
}

TEST_F(StartupTest, StandAloneOpensAnEmptyEquationReadyToType) {
    writeString(kWordCmds, QStringLiteral("WaitingConvert"), QStringLiteral("left by the add-in"));
    ASSERT_TRUE(start({}));
    CMainFrame* frame = theApp->frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    CKwEESheet* sheet = theApp->view()->sheet();
    EXPECT_EQ(frame->focusWidget(), sheet);
    ASSERT_NE(sheet->equation(), nullptr);
    EXPECT_EQ(sheet->equation(), theApp->document()->equation());
    EXPECT_TRUE(IsEquationEmpty(sheet->equation()));
    EXPECT_FALSE(theApp->m_bAddinMode);
    EXPECT_TRUE(theApp->m_hLaTeXControlLib.loaded);
    EXPECT_TRUE(theApp->settings().loaded);
    // The program's own recognition client serves the sheet.
    EXPECT_NE(dynamic_cast<RecognitionClient*>(theApp->recognition), nullptr);
    EXPECT_EQ(&sheet->recognition(), theApp->recognition);
    EXPECT_TRUE(QFileInfo::exists(context.userFolder + QStringLiteral("UserBooks/BP")));
    EXPECT_TRUE(QFileInfo::exists(desktopEntry()));
    EXPECT_TRUE(QFileInfo::exists(mimePackage()));
    EXPECT_TRUE(messages.shown.empty());

    exit();
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("TolivaOccupy")), "0");
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("DocEnvSize")), "0");
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingConvert")), "left by the add-in");
    EXPECT_TRUE(hasValue(kAppSettings, QStringLiteral("dw1")));  // the settings were saved
}

TEST_F(StartupTest, OnlyAnExactOneIsAddinMode) {
    struct Case {
        const char* stored;
        bool addin;
        const char* after;
    };
    const Case cases[] = {{"1", true, "0"}, {"1 ", false, "1 "}, {"true", false, "true"}, {"0", false, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        writeString(kWordCmds, QStringLiteral("DoNoWinVerb"), QString::fromLatin1(c.stored));
        CTolivaApp probe(context);
        probe.ReadAddinMode();
        EXPECT_EQ(probe.m_bAddinMode, c.addin);
        EXPECT_EQ(readString(kWordCmds, QStringLiteral("DoNoWinVerb")), c.after);
    }
}

TEST_F(StartupTest, AddinModeReadsAndSavesNoSettingsAndNeedsNoEditorLibrary) {
    writeString(kWordCmds, QStringLiteral("DoNoWinVerb"), QStringLiteral("1"));
    writeString(kLanguage, QStringLiteral("LanSel"), QStringLiteral("1"));
    const QString folder = programFolderWith({QStringLiteral("Dat/KwSLData.dat")});
    ASSERT_TRUE(start({}, folder, false));
    EXPECT_TRUE(theApp->m_bAddinMode);
    EXPECT_FALSE(theApp->m_hLaTeXControlLib.loaded);
    EXPECT_FALSE(theApp->settings().loaded);
    EXPECT_EQ(context.options, 0u);
    EXPECT_EQ(context.languageCode(), "en");
    EXPECT_FLOAT_EQ(context.eeScale, 4.0f);  // the dialogs see the defaults, not zeros
    EXPECT_TRUE(messages.shown.empty());
    exit();
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("DoNoWinVerb")), "0");
    EXPECT_FALSE(hasValue(kAppSettings, QStringLiteral("dw1")));
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("TolivaOccupy")), "0");

    // The value was consumed: the next run is an ordinary one.
    ASSERT_TRUE(start({}));
    EXPECT_FALSE(theApp->m_bAddinMode);
    exit();
}

TEST_F(StartupTest, MissingEditorLibraryStopsWithTheStoredLanguagesMessage) {
    const QString folder = programFolderWith({QStringLiteral("Dat/KwSLData.dat")});
    struct Case {
        const char* lanSel;  // nullptr: missing
        const char* code;
    };
    for (const Case c : {Case{"1", "en"}, Case{"2", "cn"}, Case{nullptr, "cn"}}) {
        SCOPED_TRACE(c.code);
        RegistryStore::instance().deleteKey(kLanguage);
        if (c.lanSel) writeString(kLanguage, QStringLiteral("LanSel"), QString::fromLatin1(c.lanSel));
        messages.shown.clear();
        EXPECT_FALSE(start({}, folder, false));
        ASSERT_EQ(messages.shown.size(), 1u);
        LangTable table(QString::fromLatin1(c.code), QStringLiteral("LANG_07.xml"));
        QString expected = LoadLangString(table, QStringLiteral("gMSG_1"), 1);
        ASSERT_FALSE(expected.isEmpty());
        expected.replace(QLatin1Char('|'), QLatin1Char('\n'));
        EXPECT_EQ(messages.shown[0].text, expected);
        EXPECT_EQ(theApp->frame(), nullptr);
        exit();
    }
}

TEST_F(StartupTest, MissingSymbolLibraryStopsWithoutAMessage) {
    const QString folder = programFolderWith({QStringLiteral("libViVeDoV.so")});
    EXPECT_FALSE(start({}, folder));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(theApp->frame(), nullptr);
    exit();
}

TEST_F(StartupTest, EmbeddedStartShowsNoWindowAndListens) {
    ASSERT_TRUE(start({QStringLiteral("-Embedding")}));
    EXPECT_EQ(theApp->m_bRunEmbedded, 1);
    EXPECT_EQ(theApp->frame(), nullptr);
    ASSERT_NE(theApp->officeLink(), nullptr);
    QLocalSocket socket;
    socket.connectToServer(theApp->officeLink()->name());
    EXPECT_TRUE(socket.waitForConnected(2000));
    exit();
}

TEST_F(StartupTest, UnregisterRemovesTheRegistrationAndEndsTheRun) {
    ASSERT_TRUE(start({}));
    exit();
    ASSERT_TRUE(QFileInfo::exists(desktopEntry()));
    EXPECT_FALSE(start({QStringLiteral("/Unregserver")}));
    EXPECT_FALSE(QFileInfo::exists(desktopEntry()));
    EXPECT_FALSE(QFileInfo::exists(mimePackage()));
    exit();
}

TEST_F(StartupTest, WaitingConvertIsWrittenOnlyWhenFlagged) {
    ASSERT_TRUE(start({}));
    theApp->m_bWaitingConvert = 1;
    exit();
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingConvert")), "1");
}

TEST_F(StartupTest, FileOnTheCommandLine) {
    // A document made by a first run.
    const QString path = home() + QStringLiteral("one.afx");
    {
        EqModel eq;
        QString reason;
        ASSERT_TRUE(WriteAfxFile(path, AfxArchiveBytes(&eq, 300, 200), &reason)) << reason.toStdString();
    }
    ASSERT_TRUE(start({path}));
    EXPECT_EQ(theApp->document()->GetPathName(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(theApp->recentFiles().files().value(0), QFileInfo(path).absoluteFilePath());
    exit();

    // A file that does not read ends the run after the message.
    const QString damaged = home() + QStringLiteral("damaged.afx");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an equation");
    file.close();
    messages.shown.clear();
    EXPECT_FALSE(start({damaged}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(damaged));
    exit();
}

}  // namespace
}  // namespace toliva::test
