#include "SafeFile.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toliva {
namespace {

// Lone surrogates U+DC80..U+DCFF stand for the bytes 0x80..0xFF that are not
// part of valid UTF-8.
constexpr char16_t kByteEscape = 0xDC00;

bool isContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at p (at most n bytes), 0 when none.
int validSequence(const uint8_t* p, qsizetype n, char32_t* code) {
    const uint8_t b = p[0];
    if (b < 0x80) {
        *code = b;
        return 1;
    }
    int length = 0;
    uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;   // no overlong forms
        if (b == 0xED) high = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (n < length || p[1] < low || p[1] > high) return 0;
    char32_t c = b & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(p[i])) return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    *code = c;
    return length;
}

void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

bool fail(QString* reason, const QString& text) {
    if (reason) *reason = text;
    return false;
}

bool failWithError(QString* reason, int error) {
    return fail(reason, QString::fromStdString(std::system_category().message(error)));
}

QString tooLarge(qint64 size, qint64 maxBytes) {
    return size >= 0 ? QStringLiteral("the file is %1 bytes, more than the limit of %2 bytes").arg(size).arg(maxBytes)
                     : QStringLiteral("the file is larger than the limit of %1 bytes").arg(maxBytes);
}

// The file a write to native replaces: native itself, or the file a symbolic
// link names. Refuses anything but a regular file or a missing one.
bool writeTarget(QByteArray* native, mode_t* mode, bool* exists, QString* reason) {
    struct stat st;
    *exists = ::stat(native->constData(), &st) == 0;
    if (!*exists) {
        if (errno != ENOENT) return failWithError(reason, errno);
        // A symbolic link naming nothing is not replaced by a file either.
        if (::lstat(native->constData(), &st) == 0) return fail(reason, QStringLiteral("not a regular file"));
        return true;
    }
    if (!S_ISREG(st.st_mode)) return fail(reason, QStringLiteral("not a regular file"));
    *mode = st.st_mode & 07777;
    struct stat link;
    if (::lstat(native->constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char* resolved = ::realpath(native->constData(), nullptr);
        if (!resolved) return failWithError(reason, errno);
        *native = QByteArray(resolved);
        std::free(resolved);
    }
    return true;
}

// Writes all of bytes to fd; 0 or the error number.
int writeAll(int fd, QByteArrayView bytes) {
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        p += n;
        left -= n;
    }
    return 0;
}

}  // namespace

QString DecodeFileName(QByteArrayView native) {
    QString out;
    out.reserve(native.size());
    const auto* p = reinterpret_cast<const uint8_t*>(native.data());
    const qsizetype n = native.size();
    for (qsizetype i = 0; i < n;) {
        char32_t code = 0;
        const int length = validSequence(p + i, n - i, &code);
        if (length == 0) {
            out.append(QChar(char16_t(kByteEscape | p[i])));
            ++i;
            continue;
        }
        if (code < 0x10000) {
            out.append(QChar(char16_t(code)));
        } else {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        }
        i += length;
    }
    return out;
}

QByteArray EncodeFileName(const QString& path) {
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = path[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(path[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(u, path[i + 1].unicode()));
            ++i;
        } else if (u >= (kByteEscape | 0x80) && u <= (kByteEscape | 0xFF)) {
            out.append(char(u & 0xFF));
        } else if (QChar::isSurrogate(u)) {
            appendUtf8(out, QChar::ReplacementCharacter);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

bool WriteFileSafely(const QString& path, QByteArrayView bytes, QString* reason) {
    if (path.isEmpty()) return fail(reason, QStringLiteral("no file name"));
    QByteArray target = EncodeFileName(path);
    mode_t mode = 0666;
    bool exists = false;
    if (!writeTarget(&target, &mode, &exists, reason)) return false;
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);

    // A short name of our own, so that a long target name cannot make it too long.
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = folder + "/.toliva-save-" + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return failWithError(reason, errno);
    }
    if (fd < 0) return failWithError(reason, EEXIST);
    if (exists) ::fchmod(fd, mode);  // best effort: the file is written either way

    int error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(temp.constData(), target.constData()) != 0) error = errno;
    if (error) {
        ::unlink(temp.constData());
        return failWithError(reason, error);
    }
    // The rename reaches the disk with the folder.
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

bool WritePngFileSafely(const QString& path, const QImage& image, QString* reason) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(image))
        return fail(reason, QStringLiteral("the PNG encoder failed on a picture of %1 x %2 pixels: %3")
                                .arg(image.width())
                                .arg(image.height())
                                .arg(writer.errorString()));
    return WriteFileSafely(path, bytes, reason);
}

bool ReadFileCapped(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* reason) {
    if (path.isEmpty()) return fail(reason, QStringLiteral("no file name"));
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failWithError(reason, errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return failWithError(reason, error);
    }
    if (S_ISREG(st.st_mode) && st.st_size > maxBytes) {
        ::close(fd);
        return fail(reason, tooLarge(st.st_size, maxBytes));
    }
    QByteArray out;
    if (S_ISREG(st.st_mode)) out.reserve(qsizetype(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return failWithError(reason, error);
        }
        if (n == 0) break;
        if (out.size() + n > maxBytes) {
            ::close(fd);
            return fail(reason, tooLarge(-1, maxBytes));
        }
        out.append(chunk, n);
    }
    ::close(fd);
    *bytes = std::move(out);
    return true;
}

}  // namespace toliva
