// The TeX name table: LaTeX command names (without the backslash) bound to
// symbol keys {kind, value1, value2}, read lazily from "Dat/KwTLData.dat".
// The program makes one table and hands it to the converters in their
// context (tex/TeXContext.h).
//
// File format (little-endian): int32 entry count N; for each of the 53
// first-letter buckets (0-25 'A'-'Z', 26-51 'a'-'z', 52 everything else)
// int32 size and int32 index of its first entry; then N entries of 76 bytes:
// int32 kind, value1, value2 and 32 UTF-16 units of the name, zero-padded.
//
// Key kinds with a meaning here: 3 element type (operators 1042-1289) in
// value1; 4 character in value2; 6 character in value1; 13 glyph index in
// value1. Other kinds are found by name only.
#pragma once

#include "model/EqNotes.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace toliva {

struct TeXNameEntry {
    int32_t kind = 0;
    int32_t value1 = 0;
    int32_t value2 = 0;
    char16_t name[32] = {};  // NUL-terminated within the 32 unless 32 long

    // Never reads past the 32 units.
    int nameLength() const;
    QString nameText() const;
};

struct TeXReverseEntry {
    uint8_t flag = 0;  // 1 for an entry of kind 6
    int32_t key = 0;
    const TeXNameEntry* entry = nullptr;
};

class CTeXCode {
public:
    static constexpr int kBuckets = 53;
    static constexpr int kNameUnits = 32;
    static constexpr int kEntryBytes = 76;
    static constexpr int kHeaderBytes = 4 + kBuckets * 8;

    CTeXCode() = default;
    // Reads from the given file instead of "Dat/KwTLData.dat" beside the program.
    explicit CTeXCode(const QString& path) : m_path(path) {}
    virtual ~CTeXCode() = default;
    CTeXCode(const CTeXCode&) = delete;
    CTeXCode& operator=(const CTeXCode&) = delete;

    // Reads the file once. A file that cannot be opened leaves the table
    // unloaded without a note (the next lookup tries again); a short or
    // damaged file keeps the entries read so far and leaves the damaged-file
    // note with the path (TakeNotes), once.
    void LoadTeXNameTable();
    // The same from bytes already in memory; the path only goes into the note.
    void LoadTeXNameTableFromBytes(const QByteArray& bytes, const QString& pathForMessage);

    // Finds the first entry of exactly this name in its first-letter bucket.
    // False when the length is 0 or less (the table is not touched), when the
    // table cannot be loaded, or when no entry matches (kind and values are
    // then 0).
    bool LookupTeXName(int length, const char16_t* chars, int* kind, int* value1, int* value2);
    bool LookupTeXName(const QString& name, int* kind, int* value1, int* value2) {
        return LookupTeXName(int(name.size()), reinterpret_cast<const char16_t*>(name.utf16()), kind, value1, value2);
    }

    // Each gives "\name " and true for the first entry of the key; the text is
    // left alone otherwise. TeXNameOfChar sets the class code to 8 for a name
    // of kind 6 unless the element type is 3 or 4.
    bool TeXNameOfOperator(int operatorType, QString* text);
    bool TeXNameOfChar(uint16_t code, int elementType, int* classCode, QString* text);
    bool TeXNameOfGlyph(int glyphIndex, QString* text);

    // The "TeX : ..." hint of a symbol key, or an empty text.
    QString TeXHintText(int kind, int code, int ch);

    // What loading the table reported since the caller last took the notes;
    // the table loads on the first lookup, so callers take them after a
    // conversion and show them.
    EqNotes TakeNotes() { return m_notes.take(); }

    bool loaded() const { return m_loaded; }
    int count() const { return int(m_entries.size()); }
    const std::vector<TeXNameEntry>& entries() const { return m_entries; }
    int bucketSize(int bucket) const { return m_bucketSize[bucket]; }
    int bucketStart(int bucket) const { return m_bucketStart[bucket]; }

    static int BucketOf(char16_t first);

private:
    void ReadTable(const QByteArray& bytes, const QString& pathForMessage);
    bool EnsureReverseTables();
    void BuildTeXReverseTables();
    QString filePath() const;

    QString m_path;
    bool m_loaded = false;
    std::vector<TeXNameEntry> m_entries;
    std::array<int32_t, kBuckets> m_bucketSize{};
    std::array<int32_t, kBuckets> m_bucketStart{};
    std::vector<TeXReverseEntry> m_operatorNames;
    std::vector<TeXReverseEntry> m_charNames;
    std::vector<TeXReverseEntry> m_glyphNames;
    bool m_reverseBuilt = false;
    EqNotes m_notes;
};

// The file form of a table of these entries: each first-letter bucket holds
// its entries in the given order; a bucket without entries records the index
// where it would start. The one writer of "Dat/KwTLData.dat" (gentexnames).
QByteArray WriteTeXNameTable(const std::vector<TeXNameEntry>& entries);

}  // namespace toliva
