// The equation document: new documents, opening and saving files, the
// question before unsaved changes are dropped, the capture hand-off and the
// office add-in's jobs carried out through the link.
#include "ShellTestSupport.h"

#include "../sheet/SheetTestSupport.h"
#include "platform/SafeFile.h"
#include "model/EqModel.h"
#include "platform/Archive.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "shell/CTolivaSrvrItem.h"
#include "shell/OfficeLink.h"
#include "shell/ShellRegistration.h"
#include "shell/document/AfxFile.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/Recognition.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QEventLoop>
#include <QTimer>

namespace toliva::test {
namespace {

class DocumentTest : public ProgramFixture {
protected:
    void start(const QStringList& arguments = {}) { ASSERT_TRUE(startProgram(arguments)); }
    std::string text() { return equationText(*doc().equation()); }

    // A document file holding the equation of a LaTeX text.
    QString documentWith(const QString& name, const QString& latex) {
        CTolivaApp maker(context);
        maker.quitWithFrame = false;
        EXPECT_TRUE(maker.InitInstance({}));
        EXPECT_TRUE(maker.view()->sheet()->InsertLaTeXText(latex));
        const QString path = home() + name;
        EXPECT_TRUE(maker.document()->OnSaveDocument(path));
        madeText = equationText(*maker.document()->equation());
        maker.ExitInstance(0);
        return path;
    }

    std::string madeText;  // the equation documentWith saved
};

TEST_F(DocumentTest, NewDocumentTakesTheOfficeDocumentsFontSize) {
    const float plain = EqModel().settings.fontSize;
    struct Case {
        bool option;
        const char* stored;  // nullptr: missing
        float expected;      // 0: the plain size
    };
    const Case cases[] = {
        {true, "18", 18.0f}, {true, nullptr, 12.0f}, {true, "0", 0}, {true, "2", 0}, {true, "50", 36.0f}, {false, "18", 0},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "missing");
        RegistryStore::instance().deleteKey(kWordCmds);
        if (c.stored) writeString(kWordCmds, QStringLiteral("DocEnvSize"), QString::fromLatin1(c.stored));
        context.options = c.option ? (context.options | OptDocFontSizeAfterImport)
                                   : (context.options & ~uint32_t(OptDocFontSizeAfterImport));
        ASSERT_TRUE(doc().OnNewDocument());
        EXPECT_FLOAT_EQ(doc().equation()->settings.fontSize, c.expected ? c.expected : plain);
        EXPECT_EQ(sheet().equation(), doc().equation());
        EXPECT_FALSE(doc().IsModified());
    }
}

TEST_F(DocumentTest, SavedDocumentOpensAgain) {
    const QString path = documentWith(QStringLiteral("sum.afx"), QStringLiteral("a+b"));
    start({path});
    ASSERT_NE(madeText.find('b'), std::string::npos);
    EXPECT_EQ(text(), madeText);
    EXPECT_EQ(doc().GetPathName(), QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(theApp->frame()->windowTitle().startsWith(QStringLiteral("Toliva - sum.afx - ")));
}

TEST_F(DocumentTest, AFileThatDoesNotReadLeavesTheDocumentAsItWas) {
    const QString good = documentWith(QStringLiteral("good.afx"), QStringLiteral("x^2"));
    start({good});
    const std::string before = text();
    const EqModel* equation = doc().equation();

    QByteArray bytes;
    ASSERT_TRUE(ReadFileCapped(good, kMaxInputFileBytes, &bytes, nullptr));
    const QString cut = home() + QStringLiteral("cut.afx");
    QFile file(cut);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray archive;
    ASSERT_TRUE(ArchiveOfDocumentFile(bytes, &archive, nullptr));
    file.write(archive.left(archive.size() / 2));
    file.close();

    EXPECT_FALSE(theApp->OpenDocumentFile(cut));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(cut));
    EXPECT_EQ(doc().equation(), equation);
    EXPECT_EQ(text(), before);
    EXPECT_EQ(sheet().equation(), equation);
    EXPECT_EQ(doc().GetPathName(), QFileInfo(good).absoluteFilePath());
}

TEST_F(DocumentTest, SaveThatFailsKeepsTheChangesAndSaysWhy) {
    start();
    ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("y")));
    EXPECT_TRUE(doc().IsModified());
    const QString folder = home() + QStringLiteral("a-folder");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(doc().OnSaveDocument(folder));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(folder));
    EXPECT_TRUE(doc().IsModified());
    EXPECT_TRUE(doc().GetPathName().isEmpty());
}

TEST_F(DocumentTest, UnsavedChangesAreAskedAbout) {
    struct Case {
        int answer;
        bool dialogAccepts;
        bool proceeds;
        bool saved;
    };
    const Case cases[] = {
        {IDNO, false, true, false},
        {IDCANCEL, false, false, false},
        {IDYES, true, true, true},
        {IDYES, false, false, false},  // the save dialog was cancelled
    };
    start();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(doc().OnNewDocument());
        ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("z")));
        const QString path = home() + QStringLiteral("asked%1.afx").arg(n++);
        messages.shown.clear();
        messages.answers = {c.answer};
        dialogs.answers.clear();
        dialogs.answers.push_back(c.dialogAccepts ? ScriptedDialogService::Answer::withFile(path)
                                                  : ScriptedDialogService::Answer::cancel(ScriptedDialogService::Kind::File));
        EXPECT_EQ(doc().SaveModified(), c.proceeds);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].flags & 0xF, unsigned(MB_YESNOCANCEL));
        EXPECT_EQ(QFileInfo::exists(path), c.saved);
        EXPECT_EQ(doc().IsModified(), !c.saved);
    }
    // A document without changes is not asked about.
    ASSERT_TRUE(doc().OnNewDocument());
    messages.shown.clear();
    EXPECT_TRUE(doc().SaveModified());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DocumentTest, AnEmbeddedObjectOfTheProgramPastesAsItsEquation) {
    start();
    ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("k^2")));
    const std::string copied = text();
    std::unique_ptr<QMimeData> data = doc().GetEmbeddedItem()->OnGetClipboardData();
    ASSERT_TRUE(data && data->hasFormat(kEmbeddedItemFormat));
    // Only the object itself, as another program would hand it on.
    const QByteArray object = data->data(kEmbeddedItemFormat);
    ASSERT_TRUE(doc().OnNewDocument());
    auto only = std::make_unique<QMimeData>();
    only->setData(kEmbeddedItemFormat, object);
    clipboard.setMimeData(std::move(only));
    sheet().Paste();
    EXPECT_EQ(text(), copied);
    // An object that does not read inserts nothing.
    ASSERT_TRUE(doc().OnNewDocument());
    auto damaged = std::make_unique<QMimeData>();
    damaged->setData(kEmbeddedItemFormat, object.left(object.size() / 2));
    clipboard.setMimeData(std::move(damaged));
    sheet().Paste();
    EXPECT_EQ(text(), "");
}

class ScriptedRecognition : public RecognitionService {
public:
    bool SaveRecognitionImage(const QImage& image, const QString& path) override { return image.save(path, "PNG"); }
    QString RecognizeFormula(const QString&) override {
        ++calls;
        return answer;
    }
    QString answer;
    int calls = 0;
};

TEST_F(DocumentTest, CaptureHandOffRecognisesTheClipboardImage) {
    writeString(kAppSettings, QStringLiteral("caller_is_Pirnel"), QString());
    RegKey key;
    ASSERT_TRUE(OpenRegKey(kAppSettings, key));
    ASSERT_TRUE(WriteRegBool(key, QStringLiteral("caller_is_Pirnel"), true));
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    clipboard.setImage(image);
    ScriptedRecognition recognition;
    recognition.answer = QStringLiteral("k+1");
    // The capture program started this run: the first document takes it.
    ASSERT_TRUE(startProgram({}, [&](CTolivaApp& program) { program.recognition = &recognition; }));
    EXPECT_EQ(recognition.calls, 1);
    EXPECT_NE(text().find('k'), std::string::npos);
    EXPECT_FALSE(theApp->settings().calledByCapture);
    EXPECT_FALSE(ReadRegBool(key, QStringLiteral("caller_is_Pirnel"), true));
    // Taken once.
    ASSERT_TRUE(doc().OnNewDocument());
    EXPECT_EQ(recognition.calls, 1);
}

// ---- the office add-in's jobs, through the link's commands

class OfficeJobTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        start({QStringLiteral("-Embedding")});
        storage = home() + QStringLiteral("item.afx");
    }
    QString run(const QString& line) { return theApp->officeLink()->Execute(line); }
    // Lets the posted save and the close timer run.
    bool waitForClose() {
        wait(50);  // the save posted by the verb
        QElapsedTimer clock;
        clock.start();
        while (theApp->frame()->isVisible() || theApp->frame()->closeTimerArmed()) {
            if (clock.elapsed() > 5000) return false;
            wait(20);
        }
        return true;
    }
    QString storage;
};

TEST_F(OfficeJobTest, VerbsZeroAndOneShowTheWindowAndRunNoJob) {
    ASSERT_EQ(run(QStringLiteral("open ") + storage), "ok");
    EXPECT_TRUE(doc().IsEmbedded());
    for (const char* verb : {"verb 0", "verb 1"}) {
        theApp->frame()->hide();
        EXPECT_EQ(run(QString::fromLatin1(verb)), "ok");
        wait(50);
        EXPECT_TRUE(theApp->frame()->isVisible());
        EXPECT_FALSE(theApp->frame()->closeTimerArmed());
        EXPECT_FALSE(QFileInfo::exists(storage));
    }
    EXPECT_EQ(run(QStringLiteral("state")), "state visible=1 modified=0 job=1 embedded=1");
    EXPECT_EQ(run(QStringLiteral("nonsense")), "error unknown command: nonsense");
    EXPECT_TRUE(run(QStringLiteral("verb x")).startsWith(QStringLiteral("error")));
}

TEST_F(OfficeJobTest, JobsSaveTheItemCloseAndReportConversions) {
    struct Case {
        int job;
        bool waitingConvert;
    };
    for (const Case c : {Case{3, false}, Case{14, false}, Case{10, true}, Case{32, true}}) {
        SCOPED_TRACE(c.job);
        stopProgram();
        RegistryStore::instance().deleteKey(kWordCmds);
        QFile::remove(storage);
        start({QStringLiteral("-Embedding")});
        QStringList saved;
        ASSERT_EQ(run(QStringLiteral("open ") + storage), "ok");
        doc().onEmbeddingSaved = [&](const QString& path) { saved << path; };
        ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("q")));
        const int option = doc().equation()->settings.ints[0];
        EXPECT_EQ(run(QStringLiteral("verb %1").arg(c.job)), "ok");
        EXPECT_FALSE(theApp->frame()->isVisible());
        ASSERT_TRUE(waitForClose());
        EXPECT_EQ(saved, QStringList{storage});
        EXPECT_EQ(theApp->m_bWaitingConvert, c.waitingConvert ? 1 : 0);

        AfxContent content;
        QString reason;
        ASSERT_TRUE(ReadAfxFile(storage, content, &reason)) << reason.toStdString();
        EXPECT_NE(equationText(*content.equation).find('q'), std::string::npos);
        EXPECT_EQ(content.equation->settings.ints[0], c.job == 3 ? (option ? 0 : 1) : option);
        if (c.job == 32) {
            EXPECT_TRUE(clipboard.mimeData()->hasFormat(QString::fromLatin1(kAfxMimeType)));
        }
        if (c.job == 10) {
            EXPECT_TRUE(clipboard.text().contains(QLatin1Char('q')));
        }

        stopProgram();
        EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingConvert")), c.waitingConvert ? "1" : "<none>");
    }
}

TEST_F(OfficeJobTest, AnEmbeddingThatDoesNotReadIsRefused) {
    QFile file(storage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("junk that is not an archive");
    file.close();
    EXPECT_TRUE(run(QStringLiteral("open ") + storage).startsWith(QStringLiteral("error ")));
}

}  // namespace
}  // namespace toliva::test
