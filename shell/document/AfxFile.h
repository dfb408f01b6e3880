// The equation document file ".afx".
//
// The document's archive: the equation stream, a metafile flag byte (0: none;
// otherwise an int32 size and that many bytes of Windows-metafile bits), then
// the item's extents as two floats. On disk the archive is the stream
// "Contents" of a compound file (written through libgsf); a file that is the
// bare archive reads too.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace toliva {

class Archive;
class EqModel;

// The compound file's stream that holds the document's archive.
inline constexpr const char* kAfxContentsStream = "Contents";

// What a document file holds.
struct AfxContent {
    std::unique_ptr<EqModel> equation;  // never null after a successful read
    QByteArray metafileCache;           // Windows-metafile bits; empty: none
    float extentX = 300.0f;             // HIMETRIC
    float extentY = 200.0f;
};

// Reads the document's archive: a fresh equation (its warnNewerVersion set
// around the read; what the read reports stays in its notes), the metafile
// flag, size and bytes, the extents. A short or malformed archive throws
// ArchiveException: a negative metafile size, or one beyond what the archive
// still holds, is BadFormat, and nothing is allocated for it. out is changed
// only when the whole archive was read.
void ReadAfxArchive(Archive& ar, AfxContent& out);
// Writes the document's archive of eq: the stream, the flag 0, the extents.
void WriteAfxArchive(Archive& ar, EqModel* eq, float extentX, float extentY);
// The same archive as bytes.
QByteArray AfxArchiveBytes(EqModel* eq, float extentX, float extentY);

// The archive bytes wrapped in a compound file (stream "Contents"); empty
// when libgsf could not make it.
QByteArray WrapInCompoundFile(const QByteArray& archive);
// The archive bytes of a document file: the "Contents" stream of a compound
// file (the file begins with the compound file's signature), else the bytes
// themselves. False (with a reason, *archive unchanged) for a damaged
// compound file or one without a readable "Contents" stream.
bool ArchiveOfDocumentFile(const QByteArray& fileBytes, QByteArray* archive, QString* reason);

// The equation of a document file's bytes (an embedded object on the
// clipboard or in a drop); null when they do not read whole.
std::unique_ptr<EqModel> EquationFromDocumentFile(const QByteArray& fileBytes);

// A whole document file (at most kMaxInputFileBytes, platform/SafeFile.h)
// read into out; out is changed only on success. On failure the reason (the
// file cannot be opened or is too large, or it is malformed) for the user;
// nothing is thrown.
bool ReadAfxFile(const QString& path, AfxContent& out, QString* reason);
// Writes the document file (compound form) through a temporary file renamed
// over the old one; false with the reason when it cannot be written.
bool WriteAfxFile(const QString& path, const QByteArray& archive, QString* reason);

}  // namespace toliva
