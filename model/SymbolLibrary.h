// The symbol library: the shapes the typesetter does not take from fonts.
//
// One library serves the whole run. It holds the outlines of integral signs
// and big operators, the glyph symbols of element types 6 to 8 and 624 to 643
// (addressed by character code - 1), and the operator drawing table (indexed
// by element type - 1042). It is read once from "Dat/KwSLData.dat" beside the
// program and not changed afterwards.
//
// Stream form (little-endian, no magic number, no version):
//   int32 outline count, then that many glyph records;
//   int32 glyph symbol count, then that many glyph records;
//   int32 operator record count k, then k operator records of 159 bytes.
// Glyph records are those of ".gph" files; operator records are described in
// OperatorPrimitives.h.
#pragma once

#include "model/GlyphOutline.h"
#include "model/OperatorPrimitives.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace toliva {

class Archive;

class SymbolLibrary {
public:
    SymbolLibrary() = default;
    SymbolLibrary(const SymbolLibrary&) = delete;
    SymbolLibrary& operator=(const SymbolLibrary&) = delete;

    GlyphList outlines;  // integral signs and big operators
    GlyphList glyphs;    // glyph symbols; character code c is record c - 1
    int32_t operatorCount = 0;
    std::unique_ptr<OperatorDrawRecord[]> operators;  // absent until read

    // Record index (0-based) of the outline list; null when there is none.
    GlyphOutline* outline(int index) const;
    // The glyph symbol of a 1-based character code; null when there is none.
    GlyphOutline* glyph(int code) const;
    // The drawing record of an operator element type; null outside the table.
    const OperatorDrawRecord* operatorRecord(int elementType) const;

    // Frees the table and empties both lists.
    void clear();
};

// The name of the library file below the program's folder.
QString SymbolLibraryFileName();

// Reads the three parts in stream order: the outline list (appended to what
// the list holds), the glyph symbol list (emptied first) and the operator
// table. A stream that ends early or is damaged keeps what was read in full.
void ReadSymbolLibrary(Archive& ar, SymbolLibrary& library);

// Reads the record count and the records of the operator table, replacing
// the table. A count beyond what the remaining bytes can hold is cut down to
// the records present before anything is allocated; a damaged stream keeps
// the records read in full.
void ReadOperatorTable(Archive& ar, SymbolLibrary& library);

// Reads the library file at path; false when it cannot be opened.
bool LoadSymbolLibraryFile(SymbolLibrary& library, const QString& path);
// Reads "Dat/KwSLData.dat" beside the program; false when it cannot be opened.
bool LoadSymbolLibrary(SymbolLibrary& library);

// Writes the library in stream form.
void WriteSymbolLibrary(Archive& ar, const SymbolLibrary& library);

// The horizontal offset of scripts after a glyph symbol, in units of the
// font size: larger for glyphs whose ink leans out to the right (script
// capitals). Codes 32 to 222 have an entry; every other code gives 0.
float GlyphScriptOffset(int code);

// The first and last code of the script offset table.
constexpr int kFirstScriptOffsetCode = 32;
constexpr int kLastScriptOffsetCode = 222;

}  // namespace toliva
