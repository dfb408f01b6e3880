#include "platform/SafeFile.h"

#include "common/TestSupport.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <functional>
#include <set>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace toliva;

namespace {

// Runs write in a child process whose files may grow to at most limit bytes
// (SIGXFSZ ignored, so a write beyond it fails with EFBIG, as on a full disk)
// and returns the text it returned, or "no answer" when the child died.
QString runWithFileSizeLimit(qint64 limit, const std::function<QString()>& write) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return QStringLiteral("no pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit r {};
        r.rlim_cur = r.rlim_max = rlim_t(limit);
        ::setrlimit(RLIMIT_FSIZE, &r);
        const QByteArray answer = write().toUtf8();
        const bool sent = ::write(pipeFds[1], answer.constData(), size_t(answer.size())) == answer.size();
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    QByteArray answer;
    char chunk[1024];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) answer.append(chunk, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (pid < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return QStringLiteral("no answer");
    return QString::fromUtf8(answer);
}

std::set<QByteArray> namesIn(const QString& folder) {
    std::set<QByteArray> names;
    DIR* dir = ::opendir(EncodeFileName(folder).constData());
    while (const dirent* e = dir ? ::readdir(dir) : nullptr) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..") names.insert(name);
    }
    if (dir) ::closedir(dir);
    return names;
}

const QByteArray kOld = "the old contents";

// The two ways a file is saved: the helper itself and a storing archive.
QString writeDirectly(const QString& path, const QByteArray& bytes) {
    QString reason;
    return WriteFileSafely(path, bytes, &reason) ? QStringLiteral("written") : reason;
}

QString writeThroughArchive(const QString& path, const QByteArray& bytes) {
    try {
        Archive ar = Archive::openFile(path, Archive::Store);
        ar.writeBytes(bytes.constData(), bytes.size());
        ar.close();
        return QStringLiteral("written");
    } catch (const FileException& e) {
        return QString::fromUtf8(e.what());
    }
}

}  // namespace

// A write that fails part way (here at a file-size limit, as on a full disk)
// keeps the old file whole, leaves no temporary file behind and reports the
// system's reason; for a file far below and far above a write buffer's size.
TEST(SafeFile, AFailedWriteKeepsTheOldFileAndSaysWhy) {
    struct Case {
        const char* name;
        QString (*write)(const QString&, const QByteArray&);
        qint64 size;
        qint64 limit;
        const char* reason;
    };
    const Case cases[] = {
        {"small, direct", writeDirectly, 100, 20, "File too large"},
        {"large, direct", writeDirectly, 1 << 20, 64 << 10, "File too large"},
        {"small, archive", writeThroughArchive, 100, 20, "cannot write %1: File too large"},
        {"large, archive", writeThroughArchive, 1 << 20, 64 << 10, "cannot write %1: File too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchFolder dir;
        const QString path = dir.file(QStringLiteral("a.bin"));
        ASSERT_TRUE(test::writeFile(path, kOld));
        const QByteArray bytes(c.size, 'x');
        const QString answer = runWithFileSizeLimit(c.limit, [&] { return c.write(path, bytes); });
        EXPECT_EQ(answer, QString::fromLatin1(c.reason).arg(path));
        EXPECT_EQ(test::readFile(path), kOld);
        EXPECT_EQ(namesIn(dir.path()), std::set<QByteArray>{"a.bin"});
        // Without the limit the same write goes through.
        EXPECT_EQ(c.write(path, bytes), QStringLiteral("written"));
        EXPECT_EQ(test::readFile(path), bytes);
    }
}

// A replaced file keeps its permissions; a symbolic link stays a link and the
// file it names is replaced.
TEST(SafeFile, ReplacesTheFileALinkNamesAndKeepsItsPermissions) {
    test::ScratchFolder dir;
    const QString file = dir.file(QStringLiteral("file"));
    const QString link = dir.file(QStringLiteral("link"));
    ASSERT_TRUE(test::writeFile(file, kOld));
    ASSERT_EQ(::chmod(EncodeFileName(file).constData(), 0600), 0);
    ASSERT_EQ(::symlink("file", EncodeFileName(link).constData()), 0);

    QString reason;
    ASSERT_TRUE(WriteFileSafely(link, "new", &reason)) << reason.toStdString();
    EXPECT_EQ(test::readFile(file), QByteArray("new"));
    struct stat st;
    ASSERT_EQ(::lstat(EncodeFileName(link).constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(EncodeFileName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(namesIn(dir.path()), (std::set<QByteArray>{"file", "link"}));
}

// Only a regular file (or none) is replaced; whatever else is there stays.
TEST(SafeFile, RefusesTargetsThatAreNotRegularFiles) {
    test::ScratchFolder dir;
    const QByteArray fifo = EncodeFileName(dir.file(QStringLiteral("fifo")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    ASSERT_EQ(::symlink("nothing", EncodeFileName(dir.file(QStringLiteral("dangling"))).constData()), 0);
    struct Case {
        QString path;
        const char* reason;
    };
    const Case cases[] = {
        {dir.file(QStringLiteral("fifo")), "not a regular file"},
        {dir.file(QStringLiteral("folder")), "not a regular file"},
        {dir.file(QStringLiteral("dangling")), "not a regular file"},
        {QString(), "no file name"},
        {dir.file(QStringLiteral("no/such/folder/x")), "No such file or directory"},
    };
    for (const Case& c : cases) {
        QString reason;
        EXPECT_FALSE(WriteFileSafely(c.path, "new", &reason)) << c.path.toStdString();
        EXPECT_EQ(reason, QLatin1String(c.reason)) << c.path.toStdString();
    }
    struct stat st;
    ASSERT_EQ(::stat(fifo.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(namesIn(dir.path()), (std::set<QByteArray>{"dangling", "fifo", "folder"}));
    EXPECT_THROW(Archive::openFile(QString(), Archive::Store), FileException);
    EXPECT_THROW(Archive::openFile(QString(), Archive::Load), FileException);
}

// A file above the cap is refused with both sizes named, before it is read;
// one at the cap is read whole.
TEST(SafeFile, ReadingIsCapped) {
    test::ScratchFolder dir;
    const QString path = dir.file(QStringLiteral("a.bin"));
    ASSERT_TRUE(test::writeFile(path, QByteArray(1000, 'x')));
    struct Case {
        qint64 cap;
        bool read;
        const char* reason;
    };
    const Case cases[] = {
        {1000, true, ""},
        {999, false, "the file is 1000 bytes, more than the limit of 999 bytes"},
    };
    for (const Case& c : cases) {
        QByteArray bytes;
        QString reason;
        EXPECT_EQ(ReadFileCapped(path, c.cap, &bytes, &reason), c.read) << c.cap;
        EXPECT_EQ(reason, QLatin1String(c.reason));
        EXPECT_EQ(bytes.size(), c.read ? 1000 : 0);
    }
    QByteArray bytes;
    QString reason;
    EXPECT_FALSE(ReadFileCapped(dir.file(QStringLiteral("missing")), 10, &bytes, &reason));
    EXPECT_EQ(reason, QStringLiteral("No such file or directory"));

    // The archive's load keeps to the input cap and says so.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(kMaxInputFileBytes + 1));  // sparse
    }
    try {
        Archive::openFile(path, Archive::Load);
        FAIL() << "no exception";
    } catch (const FileException& e) {
        EXPECT_EQ(e.cause(), FileException::CannotOpen);
        EXPECT_EQ(e.reason(), QStringLiteral("the file is 67108865 bytes, more than the limit of 67108864 bytes"));
    }
}

// Every name the system can hand over comes back byte for byte; valid UTF-8
// decodes as Qt decodes it.
TEST(SafeFile, FileNamesRoundTripByteForByte) {
    struct Case {
        QByteArray native;
        bool utf8;
    };
    const Case cases[] = {
        {"plain.eqs", true},
        {"\xc3\xa9t\xc3\xa9.eqs", true},        // é
        {"\xf0\x9d\x91\xa5.eqs", true},         // U+1D465, a surrogate pair in UTF-16
        {"\xf0\x90\x82\x80", true},             // U+10080: low surrogate U+DC80 inside a pair
        {"a\xff" "b.eqs", false},               // a byte that is never UTF-8
        {"\xc0\xaf", false},                    // an overlong '/'
        {"\xed\xa0\x80", false},                // an encoded surrogate
        {"\xe2\x82", false},                    // a cut sequence
        {"\xf4\x90\x80\x80", false},            // above U+10FFFF
        {"\xf0\x90\x82\x80\x80\xff", false},    // a pair followed by stray bytes
    };
    for (const Case& c : cases) {
        const QString name = DecodeFileName(c.native);
        EXPECT_EQ(EncodeFileName(name), c.native) << c.native.toHex().constData();
        if (c.utf8) {
            EXPECT_EQ(name, QFile::decodeName(c.native)) << c.native.toHex().constData();
        }
    }
}
