// Constant files (".acv"): user constants exchanged between users.
//
// An archive stream without header: int32 count, then per constant its name
// (archive string), enabled byte (0/1) and value (double as two
// little-endian 32-bit halves, low first). The records lie in the reverse of
// the order a list shows them, as in the sheet's own constant list, whose
// body in "KwEAFEAC.dat" has the same form.
#pragma once

#include "sheet/editing/WordLists.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace toliva {

enum class ConstantFileResult {
    Read,            // the records are in the list
    CannotOpen,      // missing, unreadable or too large; nothing read
    Malformed,       // short, or a count below zero; nothing read
};

// Reads the records of a file's bytes into out, replacing it only when every
// record was read; otherwise out stays as it was.
ConstantFileResult ParseConstantFile(const QByteArray& bytes, std::vector<UserConstant>& out);
ConstantFileResult ReadConstantFile(const QString& path, std::vector<UserConstant>& out);

QByteArray ConstantFileBytes(const std::vector<UserConstant>& constants);
// Creates or replaces the file (through a temporary file: a failed write
// keeps the old one). False with the reason when it cannot.
bool WriteConstantFile(const QString& path, const std::vector<UserConstant>& constants, QString* reason);

}  // namespace toliva
