#include "Archive.h"

#include "SafeFile.h"

#include <QStringDecoder>

#include <cstring>

namespace toliva {

FileException::FileException(Cause cause, const QString& path, const QString& reason)
    : std::runtime_error(
          (QLatin1String(cause == CannotOpen ? "cannot open " : "cannot write ") + path + QLatin1String(": ") + reason)
              .toStdString()),
      m_cause(cause), m_path(path), m_reason(reason) {}

Archive::Archive(Mode mode) : m_mode(mode) {}

Archive::Archive(QByteArray* buffer, Mode mode) : m_mode(mode), m_buf(buffer) {}

Archive::Archive(const QByteArray& bytes) : m_mode(Load), m_own(bytes) { m_buf = &m_own; }

Archive::Archive(Archive&& o) noexcept
    : m_mode(o.m_mode), m_own(std::move(o.m_own)), m_buf(o.m_buf == &o.m_own ? &m_own : o.m_buf),
      m_pos(o.m_pos), m_path(std::move(o.m_path)), m_closed(o.m_closed) {
    o.m_buf = nullptr;
    o.m_closed = true;
}

Archive::~Archive() = default;

Archive Archive::openFile(const QString& path, Mode mode) {
    Archive ar(mode);
    ar.m_buf = &ar.m_own;
    if (path.isEmpty()) throw FileException(FileException::CannotOpen, path, QStringLiteral("no file name"));
    if (mode == Load) {
        QString reason;
        if (!ReadFileCapped(path, kMaxInputFileBytes, &ar.m_own, &reason))
            throw FileException(FileException::CannotOpen, path, reason);
    } else {
        ar.m_path = path;
    }
    return ar;
}

void Archive::close() {
    if (m_mode != Store || m_path.isEmpty() || m_closed) return;
    m_closed = true;
    QString reason;
    if (!WriteFileSafely(m_path, *m_buf, &reason)) throw FileException(FileException::CannotWrite, m_path, reason);
}

qint64 Archive::bytesLeft() const {
    if (!m_buf) return 0;
    return m_mode == Load ? m_buf->size() - m_pos : m_pos;
}

void Archive::requireItems(qint64 count, qint64 itemSize) const {
    if (m_mode != Load) return;
    if (count < 0) throw ArchiveException(ArchiveException::BadFormat, "negative count in archive");
    if (itemSize > 0 && count > bytesLeft() / itemSize)
        throw ArchiveException(ArchiveException::EndOfFile, "count exceeds the bytes left in archive");
}

const char* Archive::take(qint64 size) {
    if (m_mode != Load) throw ArchiveException(ArchiveException::WrongMode, "read on a storing archive");
    if (size < 0 || size > bytesLeft()) throw ArchiveException(ArchiveException::EndOfFile, "unexpected end of archive");
    const char* p = m_buf->constData() + m_pos;
    m_pos += size;
    return p;
}

void Archive::put(const void* data, qint64 size) {
    if (m_mode != Store) throw ArchiveException(ArchiveException::WrongMode, "write on a loading archive");
    m_buf->append(static_cast<const char*>(data), size);
    m_pos += size;
}

void Archive::writeU8(uint8_t v) { put(&v, 1); }

void Archive::writeU16(uint16_t v) {
    const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    put(b, 2);
}

void Archive::writeU32(uint32_t v) {
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    put(b, 4);
}

void Archive::writeF32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    writeU32(bits);
}

void Archive::writeF64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    writeU32(uint32_t(bits));
    writeU32(uint32_t(bits >> 32));
}

void Archive::writeBytes(const void* data, qint64 size) { put(data, size); }

void Archive::writeString(const QString& s) {
    const qint64 n = s.size();
    writeU8(0xFF);
    writeU16(0xFFFE);
    if (n < 0xFF) {
        writeU8(uint8_t(n));
    } else if (n < 0xFFFE) {
        writeU8(0xFF);
        writeU16(uint16_t(n));
    } else {
        writeU8(0xFF);
        writeU16(0xFFFF);
        writeU32(uint32_t(n));
    }
    for (QChar c : s) writeU16(c.unicode());
}

uint8_t Archive::readU8() { return static_cast<uint8_t>(*take(1)); }

uint16_t Archive::readU16() {
    auto p = reinterpret_cast<const uint8_t*>(take(2));
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t Archive::readU32() {
    auto p = reinterpret_cast<const uint8_t*>(take(4));
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

float Archive::readF32() {
    uint32_t bits = readU32();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

double Archive::readF64() {
    uint64_t lo = readU32();
    uint64_t hi = readU32();
    uint64_t bits = lo | (hi << 32);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

void Archive::readBytes(void* data, qint64 size) {
    const char* p = take(size);
    if (size > 0) std::memcpy(data, p, size_t(size));
}

QByteArray Archive::readByteArray(qint64 size) {
    requireItems(size, 1);
    const char* p = take(size);
    return QByteArray(p, size);
}

QString Archive::readString() {
    bool unicode = false;
    uint32_t n = 0;
    for (;;) {
        uint8_t b = readU8();
        if (b < 0xFF) { n = b; break; }
        uint16_t w = readU16();
        if (w == 0xFFFE) {
            if (unicode) throw ArchiveException(ArchiveException::BadFormat, "repeated string marker");
            unicode = true;
            continue;
        }
        if (w < 0xFFFF) { n = w; break; }
        n = readU32();
        break;
    }
    if (unicode) {
        requireItems(n, 2);
        QString s(qsizetype(n), Qt::Uninitialized);
        for (uint32_t i = 0; i < n; ++i) s[qsizetype(i)] = QChar(readU16());
        return s;
    }
    requireItems(n, 1);
    return DecodeEightBitString(QByteArrayView(take(n), qsizetype(n)));
}

QString DecodeEightBitString(QByteArrayView bytes) {
    // Files written on one system are read on others: the one 8-bit form
    // every system shares is UTF-8; older files that are not UTF-8 keep
    // their bytes, one character each.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) return QString::fromLatin1(bytes);
    return text;
}

}  // namespace toliva
