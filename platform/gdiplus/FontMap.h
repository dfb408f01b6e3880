// The one table of fonts: which Debian font file stands in for each family
// the system names and for each of the program's own font files.
//
// The rows live in data/sources/fonts.tsv; platform/fonts.cmake checks that
// every file is installed, places the program's own font files beside the
// programs and writes the rows FontMap.cpp includes.
#pragma once

#include <QPainterPath>
#include <QString>

#include <span>
#include <vector>

namespace toliva::gp {

// One face of the table.
struct FontMapRow {
    // For the program's own files: the path below the program's folder
    // ("Fonts/N_00/Toliva.ttf"). For installed families: the family name.
    const char* name;
    // The family name the program's own file carries (empty for installed
    // families, where name is the family name).
    const char* family;
    int style;            // FontStyle
    const char* package;  // the Debian package that installs the file
    const char* file;     // the installed file
};

// The program's own font files.
std::span<const FontMapRow> PrivateFontRows();
// The families the system knows by name.
std::span<const FontMapRow> InstalledFamilyRows();

// The row of a program font file, by its path below the program's folder
// (either slash); null when the table has none.
const FontMapRow* FindPrivateFontRow(const QString& relativePath);
// The rows of an installed family name (case ignored); empty when none.
std::vector<const FontMapRow*> FindFamilyRows(const QString& familyName);

// The name under which the generic serif family is found.
QString GenericSerifName();

// A glyph the program draws itself where no free font has one. The outline is
// in em units, y down, its origin on the baseline.
struct AuthoredGlyph {
    char32_t code;
    float advance;  // in em
    QPainterPath (*outline)();
};

// The authored glyph of a family (by family name) for a character; null when
// there is none.
const AuthoredGlyph* FindAuthoredGlyph(const QString& familyName, char32_t code);

}  // namespace toliva::gp
