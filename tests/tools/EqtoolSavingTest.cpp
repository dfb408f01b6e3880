// eqtool saving its files: a write that fails keeps the old file and says
// why, only regular files are replaced, an empty output name is a usage
// error, pictures and inputs have size limits, and file names that are not
// UTF-8 reach the system unchanged.
#include "EqtoolRun.h"
#include "TestSupport.h"
#include "platform/SafeFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fstream>
#include <iterator>
#include <set>

#include <dirent.h>
#include <sys/stat.h>

namespace toliva {
namespace {

using test::eqtool;
using test::ToolLimits;
using test::ToolRun;

const QByteArray kOld = "the old contents";

QString stream(const char* name) {
    return QFileInfo(QStringLiteral(__FILE__))
        .dir()
        .filePath(QStringLiteral("../data/streams/%1").arg(QLatin1String(name)));
}

// The names in folder as the system spells them.
std::set<QByteArray> namesIn(const QString& folder) {
    std::set<QByteArray> names;
    DIR* dir = ::opendir(EncodeFileName(folder).constData());
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..") names.insert(name);
    }
    ::closedir(dir);
    return names;
}

// The bytes of the file the system names native, read without Qt's name decoding.
QByteArray readNative(const QByteArray& native) {
    std::ifstream in(native.toStdString(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

// The commands that write a file; OUT stands for the output path, MML for a
// MathML input written beside it.
struct OutputCase {
    const char* name;
    QStringList args;
    const char* output;
    qint64 writtenAtLeast;  // the size written when nothing fails
};

const QString kOut = QStringLiteral("OUT");
const QString kMathML = QStringLiteral("MML");

std::vector<OutputCase> outputCases() {
    const QString o = QStringLiteral("-o");
    return {
        {"empty", {QStringLiteral("empty"), o, kOut}, "e.eqs", 400},
        {"from-latex", {QStringLiteral("from-latex"), QStringLiteral("\\frac{a}{b}"), o, kOut}, "l.eqs", 400},
        {"from-mathml", {QStringLiteral("from-mathml"), kMathML, o, kOut}, "m.eqs", 400},
        {"render png", {QStringLiteral("render"), QStringLiteral("--latex"), QStringLiteral("x^2"), o, kOut}, "r.png",
         200},
        {"render svg", {QStringLiteral("render"), QStringLiteral("--latex"), QStringLiteral("x^2"), o, kOut}, "r.svg",
         200},
        // Above the 16 KiB a buffered writer keeps before it writes.
        {"render large png",
         {QStringLiteral("render"), QStringLiteral("--latex"), QStringLiteral("\\sum_{i=1}^{n} x_i^2+\\sqrt{y}"),
          QStringLiteral("--scale"), QStringLiteral("64"), o, kOut},
         "big.png",
         16 * 1024},
        {"builders-sheet", {QStringLiteral("builders-sheet"), o, kOut}, "b.png", 16 * 1024},
    };
}

// The case's arguments with OUT and MML filled in (the MathML input is written).
QStringList argsFor(const OutputCase& c, const test::ScratchFolder& folder, const QString& out) {
    QStringList args;
    for (const QString& a : c.args) {
        if (a == kOut) {
            args << out;
        } else if (a == kMathML) {
            const QString input = folder.file(QStringLiteral("in.mml"));
            test::writeFile(input, "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi>x</mi></math>");
            args << input;
        } else {
            args << a;
        }
    }
    return args;
}

// A write that fails (here at a file-size limit, as on a full disk) keeps the
// old file whole, leaves no temporary file, and the command fails naming the
// file and the system's reason. Small files are covered as well as large ones.
TEST(EqtoolSaving, AFailedWriteKeepsTheOldFileAndSaysWhy) {
    ToolLimits limited;
    limited.fileSizeBytes = 100;
    for (const OutputCase& c : outputCases()) {
        SCOPED_TRACE(c.name);
        test::ScratchFolder folder;
        const QString out = folder.file(QLatin1String(c.output));
        ASSERT_TRUE(test::writeFile(out, kOld));
        const QStringList args = argsFor(c, folder, out);
        const std::set<QByteArray> before = namesIn(folder.path());

        const ToolRun r = eqtool(args, limited);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("cannot write %1: File too large").arg(out))) << r.err.toStdString();
        EXPECT_EQ(test::readFile(out), kOld);
        EXPECT_EQ(namesIn(folder.path()), before);

        // Without the limit the same command writes the file.
        const ToolRun ok = eqtool(args);
        EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
        EXPECT_GE(QFileInfo(out).size(), c.writtenAtLeast);
    }
}

// Only a regular file is replaced: a FIFO stays a FIFO (and, as root, a
// device stays a device). An empty output name is a usage error.
TEST(EqtoolSaving, ReplacesOnlyRegularFilesAndNeedsAName) {
    for (const OutputCase& c : outputCases()) {
        SCOPED_TRACE(c.name);
        test::ScratchFolder folder;
        const QString fifo = folder.file(QLatin1String(c.output));
        ASSERT_EQ(::mkfifo(EncodeFileName(fifo).constData(), 0600), 0);
        const ToolRun r = eqtool(argsFor(c, folder, fifo));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("cannot write %1: not a regular file").arg(fifo)))
            << r.err.toStdString();
        struct stat st;
        ASSERT_EQ(::stat(EncodeFileName(fifo).constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode));

        const ToolRun unnamed = eqtool(argsFor(c, folder, QString()));
        EXPECT_EQ(unnamed.exitCode, 2) << unnamed.err.toStdString();
        EXPECT_TRUE(unnamed.err.contains(QLatin1String("usage:")));
    }
    for (const QStringList& args : {QStringList{QStringLiteral("gallery"), QString()},
                                    QStringList{QStringLiteral("icons-sheet"), QStringLiteral("-o"), QString()},
                                    QStringList{QStringLiteral("symlib-sheet"), QStringLiteral("-o"), QString()}})
        EXPECT_EQ(eqtool(args).exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
}

// A picture over the size limit is refused before anything is allocated or
// written, and the message names the size; a picture the PNG encoder cannot
// take fails without touching the old file either.
TEST(EqtoolSaving, PicturesHaveASizeLimit) {
    struct Case {
        const char* latex;
        const char* output;
        const char* message;
    };
    const Case cases[] = {
        {"\\kern 99999999pt x", "k.png", "the picture would be 100000040 x "},
        {"\\kern 99999999pt x", "k.svg", "more than the limit of 268435456 pixels"},
        {"\\hspace{99999cm}x", "h.png", "the PNG encoder failed on a picture of "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.latex);
        SCOPED_TRACE(c.output);
        test::ScratchFolder folder;
        const QString out = folder.file(QLatin1String(c.output));
        ASSERT_TRUE(test::writeFile(out, kOld));
        const ToolRun r = eqtool({QStringLiteral("render"), QStringLiteral("--latex"), QLatin1String(c.latex),
                                  QStringLiteral("-o"), out});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
        EXPECT_EQ(test::readFile(out), kOld);
        EXPECT_EQ(namesIn(folder.path()).size(), 1u);
    }
}

// Input files larger than the cap are refused before they are read, with
// the sizes in the message.
TEST(EqtoolSaving, InputFilesHaveASizeLimit) {
    test::ScratchFolder folder;
    const QString big = folder.file(QStringLiteral("big.eqs"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(kMaxInputFileBytes + 1));  // sparse: no disk space taken
    }
    const QString message = QStringLiteral("cannot read %1: the file is 67108865 bytes, more than the limit of "
                                           "67108864 bytes")
                                .arg(big);
    const QStringList cases[] = {
        {QStringLiteral("dump"), big},
        {QStringLiteral("roundtrip"), big},
        {QStringLiteral("from-mathml"), big, QStringLiteral("-o"), folder.file(QStringLiteral("m.eqs"))},
        {QStringLiteral("render"), QStringLiteral("--stream"), big, QStringLiteral("-o"),
         folder.file(QStringLiteral("r.png"))},
    };
    for (const QStringList& args : cases) {
        const ToolRun r = eqtool(args);
        EXPECT_EQ(r.exitCode, 1) << args[0].toStdString();
        EXPECT_TRUE(r.err.contains(message)) << r.err.toStdString();
    }
}

// An allocation that fails ends the program with a message and exit code 1,
// not an abort. The sanitizer's allocation limit makes one fail: reading a
// 48 MiB file needs one block above 32 MiB.
TEST(EqtoolSaving, RunningOutOfMemoryIsReported) {
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs the address sanitizer's allocation limit (debug build)";
#endif
    test::ScratchFolder folder;
    const QString big = folder.file(QStringLiteral("big.eqs"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(48) << 20));
    }
    ToolLimits limits;
    limits.environment << QByteArrayLiteral(
        "ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=32");
    const ToolRun r = eqtool({QStringLiteral("dump"), big}, limits);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("eqtool: out of memory"))) << r.err.toStdString();
    // A small stream is read under the same limit.
    EXPECT_EQ(eqtool({QStringLiteral("dump"), stream("fields.eqs")}, limits).exitCode, 0);
}

// A file name holding byte 0xFF is written, read and drawn under exactly
// that name.
TEST(EqtoolSaving, FileNamesThatAreNotUtf8PassUnchanged) {
    test::ScratchFolder folder;
    const QByteArray streamName("a\xff" "b.eqs");
    const QByteArray pictureName("c\xfe.svg");
    const QString eqs = folder.file(DecodeFileName(streamName));
    const QString svg = folder.file(DecodeFileName(pictureName));

    ToolRun r = eqtool({QStringLiteral("empty"), QStringLiteral("-o"), eqs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = eqtool({QStringLiteral("dump"), eqs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = eqtool({QStringLiteral("render"), QStringLiteral("--stream"), eqs, QStringLiteral("-o"), svg});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();

    EXPECT_EQ(namesIn(folder.path()), (std::set<QByteArray>{streamName, pictureName}));
    const QByteArray native = EncodeFileName(folder.path()) + '/';
    EXPECT_EQ(readNative(native + streamName), test::readFile(stream("empty.eqs")));
    EXPECT_TRUE(readNative(native + pictureName).contains("</svg>"));
}

}  // namespace
}  // namespace toliva
