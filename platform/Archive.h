// Binary archive: the one serial form of every data file and stream.
//
// Values are little-endian; strings use the archive string form: the marker
// FF FE FF, then the length in UTF-16 code units (one byte below 255, else FF
// and a uint16 below 0xFFFE, else FF FF FF and a uint32), then the code units.
// A string without the marker is 8-bit text with the same length prefix:
// read as UTF-8, or byte by byte as Latin-1 when the bytes are not UTF-8.
//
// A loading archive never allocates for a count it has not checked against
// the bytes that are left.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace toliva {

class ArchiveException : public std::runtime_error {
public:
    enum Cause {
        EndOfFile,     // read past the end of the data
        BadFormat,     // data that cannot be what it claims (bad count, depth)
        WrongMode,     // a write on a loading archive or a read on a storing one
    };
    ArchiveException(Cause cause, const char* what) : std::runtime_error(what), m_cause(cause) {}
    Cause cause() const { return m_cause; }

private:
    Cause m_cause;
};

// what() reads "cannot open PATH: REASON" or "cannot write PATH: REASON".
class FileException : public std::runtime_error {
public:
    enum Cause { CannotOpen, CannotWrite };
    FileException(Cause cause, const QString& path, const QString& reason);
    Cause cause() const { return m_cause; }
    const QString& path() const { return m_path; }
    // What went wrong: the system's reason ("No space left on device"), or a
    // limit reached, with the sizes.
    const QString& reason() const { return m_reason; }

private:
    Cause m_cause;
    QString m_path;
    QString m_reason;
};

class Archive {
public:
    enum Mode { Load, Store };

    // Over a caller's buffer: loading reads it from the start, storing appends.
    Archive(QByteArray* buffer, Mode mode);
    // Over read-only bytes (loading only).
    explicit Archive(const QByteArray& bytes);
    // Over a file: loading reads it whole (at most kMaxInputFileBytes,
    // platform/SafeFile.h), storing writes it on close() with WriteFileSafely:
    // a failed write keeps the old file. Throws FileException; an empty path
    // is refused.
    static Archive openFile(const QString& path, Mode mode);

    Archive(Archive&&) noexcept;
    Archive& operator=(Archive&&) = delete;
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    ~Archive();

    bool isLoading() const { return m_mode == Load; }
    bool isStoring() const { return m_mode == Store; }

    // Bytes still to read (loading) or written so far (storing).
    qint64 bytesLeft() const;
    qint64 position() const { return m_pos; }

    // Fails with EndOfFile unless count items of itemSize bytes each can still be read.
    void requireItems(qint64 count, qint64 itemSize) const;

    void writeU8(uint8_t v);
    void writeI8(int8_t v) { writeU8(static_cast<uint8_t>(v)); }
    void writeU16(uint16_t v);
    void writeI16(int16_t v) { writeU16(static_cast<uint16_t>(v)); }
    void writeU32(uint32_t v);
    void writeI32(int32_t v) { writeU32(static_cast<uint32_t>(v)); }
    void writeF32(float v);
    void writeF64(double v);
    void writeBytes(const void* data, qint64 size);
    void writeString(const QString& s);

    uint8_t readU8();
    int8_t readI8() { return static_cast<int8_t>(readU8()); }
    uint16_t readU16();
    int16_t readI16() { return static_cast<int16_t>(readU16()); }
    uint32_t readU32();
    int32_t readI32() { return static_cast<int32_t>(readU32()); }
    float readF32();
    double readF64();
    void readBytes(void* data, qint64 size);
    QByteArray readByteArray(qint64 size);
    QString readString();

    // Storing over a file: writes the file (WriteFileSafely). Throws
    // FileException, with the reason, when it cannot; the old file then stays
    // as it was. Does nothing in other modes.
    void close();

private:
    Archive(Mode mode);
    const char* take(qint64 size);
    void put(const void* data, qint64 size);

    Mode m_mode;
    QByteArray m_own;             // file contents, or bytes given by value
    QByteArray* m_buf = nullptr;  // the buffer in use
    qint64 m_pos = 0;
    QString m_path;               // storing over a file
    bool m_closed = false;
};

// The text of an 8-bit archive string: UTF-8 when the bytes are valid
// UTF-8, else Latin-1.
QString DecodeEightBitString(QByteArrayView bytes);

}  // namespace toliva
