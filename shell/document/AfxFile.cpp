#include "shell/document/AfxFile.h"

#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/Archive.h"
#include "platform/SafeFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <mutex>
#include <exception>
#include <new>
#include <utility>

namespace toliva {

namespace {

// The first bytes of every compound file.
constexpr char kCompoundMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr qsizetype kCompoundMagicSize = sizeof(kCompoundMagic) - 1;

void initGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

// Owns one reference to a GLib object.
template <typename T>
class GRef {
public:
    explicit GRef(T* object = nullptr) : m_object(object) {}
    ~GRef() {
        if (m_object) g_object_unref(m_object);
    }
    GRef(const GRef&) = delete;
    GRef& operator=(const GRef&) = delete;
    T* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object;
};

// Clears the equation's being-loaded-from-a-document mark on every way out.
class LoadingMark {
public:
    explicit LoadingMark(EqModel* eq) : m_eq(eq) { m_eq->warnNewerVersion = 1; }
    ~LoadingMark() { m_eq->warnNewerVersion = 0; }
    LoadingMark(const LoadingMark&) = delete;
    LoadingMark& operator=(const LoadingMark&) = delete;

private:
    EqModel* m_eq;
};

bool fail(QString* reason, const QString& text) {
    if (reason) *reason = text;
    return false;
}

bool isCompoundFile(const QByteArray& bytes) {
    return bytes.size() >= kCompoundMagicSize && bytes.startsWith(QByteArrayView(kCompoundMagic, kCompoundMagicSize));
}

}  // namespace

void ReadAfxArchive(Archive& ar, AfxContent& out) {
    auto eq = std::make_unique<EqModel>();
    {
        LoadingMark mark(eq.get());
        LoadEquation(eq.get(), ar);
    }
    QByteArray cache;
    if (ar.readU8() != 0) {
        const int32_t size = ar.readI32();
        if (size < 0 || size > ar.bytesLeft())
            throw ArchiveException(ArchiveException::BadFormat, "metafile size beyond the document");
        if (size > 0) cache = ar.readByteArray(size);
    }
    const float extentX = ar.readF32();
    const float extentY = ar.readF32();

    out.equation = std::move(eq);
    out.metafileCache = std::move(cache);
    out.extentX = extentX;
    out.extentY = extentY;
}

void WriteAfxArchive(Archive& ar, EqModel* eq, float extentX, float extentY) {
    SaveEquation(eq, ar);
    ar.writeU8(0);  // no metafile: the container asks for a fresh picture
    ar.writeF32(extentX);
    ar.writeF32(extentY);
}

QByteArray AfxArchiveBytes(EqModel* eq, float extentX, float extentY) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    WriteAfxArchive(ar, eq, extentX, extentY);
    return bytes;
}

QByteArray WrapInCompoundFile(const QByteArray& archive) {
    initGsf();
    GRef<GsfOutput> sink(gsf_output_memory_new());
    if (!sink) return {};
    bool ok = false;
    {
        GRef<GsfOutfile> ole(gsf_outfile_msole_new(sink.get()));
        if (!ole) return {};
        {
            GRef<GsfOutput> contents(gsf_outfile_new_child(ole.get(), kAfxContentsStream, FALSE));
            if (contents) {
                ok = archive.isEmpty() ||
                     gsf_output_write(contents.get(), size_t(archive.size()),
                                      reinterpret_cast<const guint8*>(archive.constData()));
                ok = gsf_output_close(contents.get()) && ok;
            }
        }
        ok = gsf_output_close(GSF_OUTPUT(ole.get())) && ok;
    }
    if (!gsf_output_is_closed(sink.get())) ok = gsf_output_close(sink.get()) && ok;
    if (!ok) return {};
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    const gsf_off_t size = gsf_output_size(sink.get());
    if (!bytes || size <= 0) return {};
    return QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size));
}

bool ArchiveOfDocumentFile(const QByteArray& fileBytes, QByteArray* archive, QString* reason) {
    if (!isCompoundFile(fileBytes)) {
        *archive = fileBytes;
        return true;
    }
    initGsf();
    GRef<GsfInput> input(
        gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.constData()), fileBytes.size(), FALSE));
    if (!input) return fail(reason, QStringLiteral("the compound file cannot be read"));
    GError* error = nullptr;
    GRef<GsfInfile> ole(gsf_infile_msole_new(input.get(), &error));
    if (!ole) {
        const QString message = error ? QString::fromUtf8(error->message) : QString();
        if (error) g_error_free(error);
        return fail(reason, message.isEmpty() ? QStringLiteral("the compound file is damaged")
                                              : QStringLiteral("the compound file is damaged: %1").arg(message));
    }
    GRef<GsfInput> contents(gsf_infile_child_by_name(ole.get(), kAfxContentsStream));
    if (!contents)
        return fail(reason, QStringLiteral("the compound file holds no \"%1\" stream").arg(kAfxContentsStream));
    // A stream's blocks lie in the file, so no stream is longer than the file.
    const gsf_off_t size = gsf_input_size(contents.get());
    if (size < 0 || size > fileBytes.size())
        return fail(reason, QStringLiteral("the compound file's \"%1\" stream is damaged").arg(kAfxContentsStream));
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(contents.get(), size_t(size), reinterpret_cast<guint8*>(bytes.data())))
        return fail(reason, QStringLiteral("the compound file's \"%1\" stream is damaged").arg(kAfxContentsStream));
    *archive = std::move(bytes);
    return true;
}

std::unique_ptr<EqModel> EquationFromDocumentFile(const QByteArray& fileBytes) {
    QByteArray archive;
    if (!ArchiveOfDocumentFile(fileBytes, &archive, nullptr)) return nullptr;
    AfxContent content;
    try {
        Archive ar(archive);
        ReadAfxArchive(ar, content);
    } catch (const ArchiveException&) {
        return nullptr;
    }
    return std::move(content.equation);
}

bool ReadAfxFile(const QString& path, AfxContent& out, QString* reason) {
    QByteArray fileBytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &fileBytes, reason)) return false;
    QByteArray archive;
    if (!ArchiveOfDocumentFile(fileBytes, &archive, reason)) return false;
    fileBytes = QByteArray();
    AfxContent scratch;
    try {
        Archive ar(archive);
        ReadAfxArchive(ar, scratch);
    } catch (const ArchiveException& e) {
        return fail(reason, QStringLiteral("the document is damaged (%1)").arg(QString::fromUtf8(e.what())));
    } catch (const std::bad_alloc&) {
        return fail(reason, QStringLiteral("not enough memory to read the document"));
    } catch (const std::exception& e) {
        return fail(reason, QStringLiteral("the document cannot be read (%1)").arg(QString::fromUtf8(e.what())));
    }
    out = std::move(scratch);
    return true;
}

bool WriteAfxFile(const QString& path, const QByteArray& archive, QString* reason) {
    const QByteArray bytes = WrapInCompoundFile(archive);
    if (bytes.isEmpty()) return fail(reason, QStringLiteral("the compound file could not be made"));
    return WriteFileSafely(path, bytes, reason);
}

}  // namespace toliva
