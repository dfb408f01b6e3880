// Whole-file reading and writing for every file the programs save or read
// whole.
//
// Writing never loses work: WriteFileSafely writes the new contents to a
// temporary file in the target's folder, checks every write, forces the data
// to the disk and only then renames the temporary file over the target. A
// full disk, a file-size limit or an input/output error leaves the old file
// as it was and reports what happened, with the system's reason ("No space
// left on device"). Only a regular file is replaced: an existing target that
// is a device, a FIFO, a folder or a socket is refused ("not a regular file").
// A symbolic link is followed: the file it names is replaced, the link stays.
// The new file keeps the old one's permissions.
//
// Reading is capped: ReadFileCapped refuses a file larger than the cap it is
// given before it allocates, so hostile input cannot make a reader take
// memory without bound.
//
// File names: the system's names are bytes, usually but not always UTF-8.
// DecodeFileName keeps every byte that is not part of valid UTF-8 as a lone
// surrogate U+DC80..U+DCFF and EncodeFileName gives the byte back, so any name
// the system hands over opens the same file again. For valid UTF-8 both agree
// with QFile::decodeName and QFile::encodeName. The functions here open files
// through EncodeFileName.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QImage;

namespace toliva {

// The largest equation stream, data file or text file read whole: 64 MiB.
// The largest real ones (symbol library, pictures, formula lists) stay far
// below 1 MiB; the cap only keeps hostile input from taking memory.
constexpr qint64 kMaxInputFileBytes = qint64(64) << 20;

// The name as the system spells it, and back (see above).
QString DecodeFileName(QByteArrayView native);
QByteArray EncodeFileName(const QString& path);

// Replaces (or creates) the file at path with bytes, as described above.
// Returns false with the reason in *reason (may be null) when the file could
// not be written; the old file is then unchanged. An empty path is refused.
bool WriteFileSafely(const QString& path, QByteArrayView bytes, QString* reason);

// Encodes image as PNG in memory and writes it with WriteFileSafely; false
// with the reason when the encoder fails or the file cannot be written.
bool WritePngFileSafely(const QString& path, const QImage& image, QString* reason);

// Reads the whole file at path into *bytes. Returns false with the reason in
// *reason (may be null) when it cannot be opened or read, or holds more than
// maxBytes (the reason then names both sizes).
bool ReadFileCapped(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* reason);

}  // namespace toliva
