// Copy and paste between two running programs on one X server: the test
// program starts a second copy of itself ("--peer ..."), which copies from
// its own sheet, pastes into one, or puts data on the clipboard as another
// program would. Runs under xvfb-run with the xcb platform (tests/CMakeLists.txt).
//
//   tests_x11 --peer copy             copies the sample equation and serves
//                                     the clipboard until its input closes
//   tests_x11 --peer put FORMAT FILE  puts the file's bytes on the clipboard
//                                     in FORMAT and serves it likewise
//   tests_x11 --peer paste            pastes into an empty sheet and prints
//                                     the equation as text, then the hex of
//                                     its stream
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "platform/ClipboardService.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/CommandCodes.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/TestSupport.h"
#include "tests/sheet/SheetTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace toliva {
namespace {

const RenderContext& programContext() {
    static const RenderContext context = RenderContext::FromDataFolder();
    return context;
}

// Two lines: y = a/b (a bold, the fraction blue) and k.
void buildSample(EqModel& eq) {
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"y=", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharBold);
    b.text(EqBuilder::arg(frac, 1), u"b", EqTypeCharItalic);
    frac->colour = 0xFF0000FF;
    b.text(b.line(), u"k", EqTypeCharItalic);
}

// A shown headless sheet over an equation.
struct Sheet {
    AppContext app;
    EqModel eq{test::builtInStyle()};
    std::unique_ptr<CKwEESheet> sheet;
    Sheet() {
        sheet = std::make_unique<CKwEESheet>(app, programContext(), nullptr, std::make_unique<HeadlessSheetBackend>());
        ShowSheetOffscreen(*sheet, QSize(300, 200), &eq);
    }
};

// Serves the clipboard until standard input closes (or a minute passes).
int serveClipboard() {
    std::printf("ready\n");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) QCoreApplication::quit();
    });
    QTimer::singleShot(60000, [] { QCoreApplication::quit(); });
    return QCoreApplication::exec();
}

int runPeer(const QStringList& arguments) {
    const QString mode = arguments.value(0);
    if (mode == QLatin1String("copy")) {
        Sheet s;
        buildSample(s.eq);
        s.sheet->SelectAll();
        s.sheet->ExecuteCommand(CMD_COPY);
        return serveClipboard();
    }
    if (mode == QLatin1String("put")) {
        QFile file(arguments.value(2));
        if (!file.open(QIODevice::ReadOnly)) return 2;
        auto mime = std::make_unique<QMimeData>();
        mime->setData(arguments.value(1), file.readAll());
        clipboardService().setMimeData(std::move(mime));
        return serveClipboard();
    }
    if (mode == QLatin1String("paste")) {
        Sheet s;
        s.sheet->ExecuteCommand(CMD_PASTE);
        std::printf("%s\n%s\n", test::equationText(s.eq).c_str(), EquationToBytes(&s.eq).toHex().constData());
        std::fflush(stdout);
        return 0;
    }
    return 2;
}

// ---- the test side

class ClipboardBetweenPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            TOLIVA_SKIP_UNLESS_CI() << "needs an X server: run under xvfb-run with QT_QPA_PLATFORM=xcb";
        }
    }
    void TearDown() override {
        if (peer.state() != QProcess::NotRunning) {
            peer.closeWriteChannel();
            waitForPeer();
        }
    }

    // Lets this program answer the X server while it waits.
    template <typename Done>
    bool pumpUntil(Done done, int milliseconds = 20000) {
        QDeadlineTimer deadline(milliseconds);
        while (!done()) {
            if (deadline.hasExpired()) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            peer.waitForReadyRead(10);
        }
        return true;
    }
    void startPeer(const QStringList& arguments) {
        peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peer.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--peer")} + arguments);
        ASSERT_TRUE(peer.waitForStarted(10000));
    }
    // Waits for the serving peer's "ready" and for the clipboard to be its.
    void waitUntilServing() {
        ASSERT_TRUE(pumpUntil([&] { return peer.canReadLine() || peer.state() == QProcess::NotRunning; }));
        ASSERT_EQ(peer.readLine().trimmed(), QByteArray("ready"));
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    void waitForPeer() {
        EXPECT_TRUE(pumpUntil([&] { return peer.state() == QProcess::NotRunning; }));
        EXPECT_EQ(peer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(peer.exitCode(), 0);
    }
    // Pastes what the peer serves into a new sheet; its text.
    std::string pasteHere(Sheet& s) {
        s.sheet->ExecuteCommand(CMD_PASTE);
        return test::equationText(s.eq);
    }
    // The peer serves the bytes in a format, as another program would.
    void peerPuts(const QString& format, const QByteArray& bytes) {
        const QString path = scratch.filePath(QStringLiteral("put.bin"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        startPeer({QStringLiteral("put"), format, path});
        waitUntilServing();
        // The new owner is seen here only once the server's notice of the
        // change has arrived: until then the last owner's formats may show.
        ASSERT_TRUE(pumpUntil([&] {
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            return data && (data->data(format) == bytes ||
                            (format.startsWith(QLatin1String("text/plain")) && data->text().toUtf8() == bytes));
        }));
    }

    QProcess peer;
    QTemporaryDir scratch;
};

TEST_F(ClipboardBetweenPrograms, AnEquationCopiedInOneProgramIsPastedInTheOther) {
    startPeer({QStringLiteral("copy")});
    waitUntilServing();
    const QStringList formats = clipboardService().formats();
    EXPECT_TRUE(formats.contains(kNativeClipboardFormat)) << formats.join(' ').toStdString();
    EXPECT_TRUE(formats.contains(kMetafileFormat)) << formats.join(' ').toStdString();
    Sheet here;
    EXPECT_EQ(pasteHere(here), "y=[128:a|b]/k");
    EqModel expected(test::builtInStyle());
    buildSample(expected);
    EXPECT_EQ(EquationToBytes(&here.eq), EquationToBytes(&expected));
    peer.closeWriteChannel();
    waitForPeer();
}

TEST_F(ClipboardBetweenPrograms, AnEquationCopiedHereIsPastedByTheOtherProgram) {
    Sheet here;
    buildSample(here.eq);
    here.sheet->SelectAll();
    here.sheet->ExecuteCommand(CMD_COPY);
    ASSERT_TRUE(QGuiApplication::clipboard()->ownsClipboard());
    startPeer({QStringLiteral("paste")});
    waitForPeer();
    const QList<QByteArray> out = peer.readAllStandardOutput().split('\n');
    ASSERT_GE(out.size(), 2);
    EXPECT_EQ(out[0].toStdString(), "y=[128:a|b]/k");
    EqModel expected(test::builtInStyle());
    buildSample(expected);
    EXPECT_EQ(QByteArray::fromHex(out[1]), EquationToBytes(&expected));
}

TEST_F(ClipboardBetweenPrograms, TextAndMathMLOfOtherProgramsArePasted) {
    struct Case {
        QString format;
        QByteArray bytes;
        const char* text;
    };
    const Case cases[] = {
        {QStringLiteral("text/plain"), "x+1", "x[1042]1"},
        {QStringLiteral("text/plain;charset=utf-8"), "x^2", "x[173:2]"},
        {QStringLiteral("text/plain"), "<math><mi>q</mi><mo>=</mo><mn>2</mn></math>", "q[1049]2"},
        {kMathMLFormats[0], "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi>z</mi></math>", "z"},
        {kMathMLFormats[2], "<math><mfrac><mi>c</mi><mi>d</mi></mfrac></math>", "[128:c|d]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        peerPuts(c.format, c.bytes);
        Sheet here;
        EXPECT_EQ(pasteHere(here), c.text);
        peer.closeWriteChannel();
        waitForPeer();
    }
}

}  // namespace
}  // namespace toliva

int main(int argc, char** argv) {
    // The xcb platform needs a display; without one the tests report that
    // they need it instead of the program stopping.
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc >= 2 && std::strcmp(argv[1], "--peer") == 0) {
        QApplication application(argc, argv);
        QStringList arguments = QCoreApplication::arguments().mid(2);
        return toliva::runPeer(arguments);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home;
    setenv("TOLIVA_HOME", home.path().toLocal8Bit().constData(), 1);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
