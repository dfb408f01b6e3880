// Auto-word files (".aad") and the built-in word list of the editor page.
//
// An ".aad" file is the first part of the sheet's "KwEAFEAC.dat" (see
// sheet/editing/WordLists.h): archive stream, little-endian, no header:
//   3 bytes   automatic-formatting options (each read as 0/1)
//   int32     word count, then per word: archive string, enabled byte (0/1),
//             style byte (0 regular, 1 italic, 2 bold, 3 bold italic)
// The words are in the order of the sheet's list (the reverse of the page's
// display order). Anything after the last word is ignored, so a sheet data
// file imports as well.
#pragma once

#include "sheet/editing/WordLists.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace toliva {

// The words of the page's "Default list" item, in table order (37 words),
// all enabled and regular.
const std::vector<QString>& DefaultAutoWordTexts();

enum class AutoWordFileStatus {
    Read,        // the lists hold the file's options and words
    CannotOpen,  // the file cannot be read; the lists are unchanged
    Damaged,     // short or a negative count; the lists are unchanged
};

// Reads the bytes of an ".aad" file into a scratch list and, only when all of
// it reads, puts its options (each 0/1) and words in place of those of lists (the
// constants are not touched) and recomputes the longest lengths. Words read
// empty are dropped: a list never stores one.
AutoWordFileStatus ReadAutoWordData(const QByteArray& bytes, WordLists& lists);
AutoWordFileStatus ReadAutoWordFile(const QString& path, WordLists& lists);
// The options and words of lists as an ".aad" file's bytes; written through a
// temporary file, the old file unchanged when writing fails.
QByteArray AutoWordData(const WordLists& lists);
bool WriteAutoWordFile(const QString& path, const WordLists& lists);

}  // namespace toliva
