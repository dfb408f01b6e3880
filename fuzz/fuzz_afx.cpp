// Equation document files: the bytes as a file (a compound file or the bare
// archive), its archive read into a document, and what was read written and
// read back the same.
#include "model/EqDump.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "FuzzSupport.h"
#include "platform/Archive.h"
#include "shell/document/AfxFile.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

using namespace toliva;
using namespace toliva::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    useScratchHomeAndSilence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray archive;
    QString reason;
    if (!ArchiveOfDocumentFile(bytes, &archive, &reason)) {
        if (reason.isEmpty()) __builtin_trap();
        return 0;
    }
    AfxContent content;
    try {
        Archive ar(archive);
        ReadAfxArchive(ar, content);
    } catch (const ArchiveException&) {
        if (content.equation) __builtin_trap();  // a failed read changes nothing
        return 0;
    }
    if (!content.equation || content.equation->warnNewerVersion != 0) __builtin_trap();
    if (content.metafileCache.size() > archive.size()) __builtin_trap();
    DumpEquation(*content.equation);

    // Written and read back: the same equation and extents, no metafile.
    const QByteArray saved = AfxArchiveBytes(content.equation.get(), content.extentX, content.extentY);
    QByteArray again;
    if (!ArchiveOfDocumentFile(WrapInCompoundFile(saved), &again, &reason) || again != saved) __builtin_trap();
    AfxContent back;
    Archive ar(again);
    ReadAfxArchive(ar, back);
    if (!back.metafileCache.isEmpty()) __builtin_trap();
    if (EquationToBytes(back.equation.get()) != EquationToBytes(content.equation.get())) __builtin_trap();
    return 0;
}
