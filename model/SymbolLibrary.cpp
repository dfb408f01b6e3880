#include "SymbolLibrary.h"

#include "platform/Archive.h"
#include "platform/Folders.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace toliva {

namespace {

// Script offsets of codes 32 to 222 in hundredths of the font size, the
// "script offset" column of data/sources/symlib/glyphs.tsv.
// clang-format off
constexpr uint8_t kScriptOffsets[kLastScriptOffsetCode - kFirstScriptOffsetCode + 1] = {
     8,  3,  5,  3,  5,  8,  5,  8,  8,  8,  8,  5,  5,  8,  5,  5,  // 32-47
     5,  3,  3,  8,  5,  8,  8,  5,  8,  5,  3,  5,  5,  5,  5,  5,  // 48-63
     5,  5,  3,  3,  5,  5,  5,  5,  5,  5,  5,  5,  5,  3,  3,  5,  // 64-79
     5,  5,  3,  5,  3,  3,  3,  3,  3,  3,  3,  3,  3,  3,  3,  3,  // 80-95
     3,  3,  3,  3,  3,  3,  3,  3,  3,  3,  3,  5,  3,  3,  3,  3,  // 96-111
     3,  3,  3,  8,  3,  3,  3,  5,  3,  3,  3,  3,  3,  3,  3,  5,  // 112-127
     3,  3,  3,  3,  3,  3,  3,  3, 15,  8,  3,  3,  3,  3,  3,  3,  // 128-143
     3,  3,  3,  3,  8,  3,  3,  3,  3,  3,  3,  3,  3,  3,  3,  3,  // 144-159
     3,  5,  3,  3,  5,  8,  3,  3,  3,  3,  3,  5,  5,  3,  3,  5,  // 160-175
    15,  3,  3,  3,  3,  3,  5,  3,  3,  3,  3,  3,  5,  3, 12,  8,  // 176-191
     3,  5,  5,  8,  3,  3,  3,  3, 11,  5, 10, 15,  3, 11, 15, 15,  // 192-207
    12,  5, 15, 15,  8, 12,  8,  3,  3, 15,  8,  8,  8, 12, 10,  // 208-222
};
// clang-format on

}  // namespace

GlyphOutline* SymbolLibrary::outline(int index) const {
    if (index < 0 || size_t(index) >= outlines.size()) return nullptr;
    return outlines[size_t(index)].get();
}

GlyphOutline* SymbolLibrary::glyph(int code) const {
    if (code < 1 || size_t(code) > glyphs.size()) return nullptr;
    return glyphs[size_t(code) - 1].get();
}

const OperatorDrawRecord* SymbolLibrary::operatorRecord(int elementType) const {
    const int index = elementType - kFirstOperatorType;
    if (!operators || index < 0 || index >= operatorCount) return nullptr;
    return &operators[size_t(index)];
}

void SymbolLibrary::clear() {
    operators.reset();
    operatorCount = 0;
    ClearGlyphList(outlines);
    ClearGlyphList(glyphs);
}

QString SymbolLibraryFileName() { return dataName(QStringLiteral("Dat\\KwSLData.dat")); }

void ReadOperatorTable(Archive& ar, SymbolLibrary& library) {
    library.operators.reset();
    library.operatorCount = 0;
    int32_t count = 0;
    try {
        count = ar.readI32();
    } catch (const ArchiveException&) {
        return;
    }
    if (count <= 0) return;
    // Only records that the remaining bytes hold in full are kept, so a
    // damaged count never asks for more memory than the data can fill.
    const qint64 present = ar.bytesLeft() / kOperatorRecordStreamSize;
    const int32_t kept = int32_t(std::min<qint64>(count, present));
    if (kept <= 0) return;
    std::unique_ptr<OperatorDrawRecord[]> table(new (std::nothrow) OperatorDrawRecord[size_t(kept)]);
    if (!table) return;
    int32_t read = 0;
    try {
        for (; read < kept; ++read) table[size_t(read)] = ReadOperatorRecord(ar);
    } catch (const ArchiveException&) {
        // Records that were not read keep kind 0 in every primitive.
    }
    library.operators = std::move(table);
    library.operatorCount = kept;
}

void ReadSymbolLibrary(Archive& ar, SymbolLibrary& library) {
    ReadGlyphList(ar, library.outlines, false);
    ReadGlyphList(ar, library.glyphs, true);
    ReadOperatorTable(ar, library);
}

bool LoadSymbolLibraryFile(SymbolLibrary& library, const QString& path) {
    std::unique_ptr<Archive> ar;
    try {
        ar = std::make_unique<Archive>(Archive::openFile(path, Archive::Load));
    } catch (const FileException&) {
        return false;
    }
    ReadSymbolLibrary(*ar, library);
    return true;
}

bool LoadSymbolLibrary(SymbolLibrary& library) {
    return LoadSymbolLibraryFile(library, programFolder() + SymbolLibraryFileName());
}

void WriteSymbolLibrary(Archive& ar, const SymbolLibrary& library) {
    const GlyphList* lists[] = {&library.outlines, &library.glyphs};
    for (const GlyphList* list : lists) {
        ar.writeI32(int32_t(list->size()));
        for (const auto& g : *list) {
            if (g) {
                SerializeGlyph(*g, ar);
            } else {
                GlyphOutline empty;
                SerializeGlyph(empty, ar);
            }
        }
    }
    const int32_t count = library.operators ? std::max(library.operatorCount, 0) : 0;
    ar.writeI32(count);
    for (int32_t i = 0; i < count; ++i) WriteOperatorRecord(ar, library.operators[size_t(i)]);
}

float GlyphScriptOffset(int code) {
    if (code < kFirstScriptOffsetCode || code > kLastScriptOffsetCode) return 0.0f;
    return float(kScriptOffsets[code - kFirstScriptOffsetCode]) / 100.0f;
}

}  // namespace toliva
