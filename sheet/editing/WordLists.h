// The automatic words and the user constants of the editing sheet, and their
// file "KwEAFEAC.dat".
//
// File (archive stream, no header):
//   3 bytes   automatic-formatting options (each read as 0/1)
//   int32     word count, then per word: archive string, enabled byte (0/1),
//             style byte (the character type given to the word, less 1)
//   int32     constant count, then per constant: archive string, enabled
//             byte (0/1), double as two little-endian 32-bit halves, low first
// The user's copy lives in the per-user folder; a default one ships as
// "Dat/KwEAFEAC.dat" beside the program. Both lists are kept in the reverse
// of the order the settings pages show, and written in list order.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace toliva {

class Archive;

struct AutoWord {
    QString word;
    bool enabled = true;
    uint8_t style = 0;  // 0 upright, 1 italic, 2 bold, 3 bold italic
};

struct UserConstant {
    QString name;
    bool enabled = true;
    double value = 0;
};

struct WordLists {
    static constexpr char kFileName[] = "KwEAFEAC.dat";

    bool autoFormat[3] = {true, true, true};
    std::vector<AutoWord> words;
    std::vector<UserConstant> constants;
    int longestWord = 0, longestName = 0;  // in UTF-16 units
    void UpdateListNameLengths();
};

// Loads (appending the entries read to the list) or stores, by the archive's
// mode. Throws ArchiveException on a short file; entries read in full before
// the end stay in the list.
void SerializeAutoWords(WordLists&, Archive&);
void SerializeConstantList(std::vector<UserConstant>&, Archive&);

// Empties the lists, then reads the user's file, else "Dat/KwEAFEAC.dat" in
// the program folder. True when a file was read in full. Neither file there:
// empty lists, false, no message. A damaged file: "failed to open file : " +
// path through the message sink, the entries read so far kept, false.
// The longest lengths are recomputed in every case.
bool LoadWordLists(WordLists&, const QString& userFolder, const QString& programFolder);
// Reads one file the same way; false (no message) when it cannot be opened.
bool ReadWordListsFile(WordLists&, const QString& path, bool* damaged);
// Writes the user's file through a temporary file renamed over it; false
// (no message) when it cannot be written, the old file then unchanged.
bool SaveWordLists(const WordLists&, const QString& userFolder);
bool WriteWordListsFile(const WordLists&, const QString& path);

}  // namespace toliva
