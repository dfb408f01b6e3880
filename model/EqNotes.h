// What loading calls of the model and the converters report: they show
// nothing themselves, they return notes, and the caller shows each note's
// text (NoteText) the way it shows messages.
#pragma once

#include <QString>

#include <vector>

namespace toliva {

enum class EqNoteKind {
    MissingFonts,     // the equation fonts could not be loaded; the serif family stands in
    NewerVersion,     // a style record was written by a newer version
    DamagedDefaults,  // the per-user defaults file is damaged; argument: its path
    DamagedFile,      // a settings or data file is damaged; argument: its path
    FormulaCut,       // LaTeX text had more tokens than the cap; only its first part was read
};

struct EqNote {
    EqNoteKind kind = EqNoteKind::MissingFonts;
    QString argument;
    friend bool operator==(const EqNote&, const EqNote&) = default;
};

// A list of notes, each kept once: adding a note the list holds already
// changes nothing.
struct EqNotes {
    std::vector<EqNote> items;

    void add(EqNoteKind kind, const QString& argument = {});
    void add(const EqNotes& other);
    bool contains(EqNoteKind kind) const;
    bool empty() const { return items.empty(); }
    // The notes, leaving the list empty.
    EqNotes take();
};

// Where a note's text comes from: an item of a language file ("Languages/"
// beside the program), or a fixed text when langFile is null. The argument
// follows the text.
struct EqNoteText {
    const char* langFile;
    const char* group;
    int item;
    const char* fallback;  // when the language file lacks the item
    bool warning;          // shown with the warning icon
    bool oncePerRun;       // a caller shows it the first time only (EqNoteRun)
};
const EqNoteText& NoteTextSource(EqNoteKind kind);

// The text to show, in the application's language, with '|' turned into line
// breaks and the argument appended.
QString NoteText(const EqNote& note);

// What one run of a program has shown: notes of a once-per-run kind pass the
// first time only, the others every time.
class EqNoteRun {
public:
    // Whether the note is to be shown now; records it.
    bool admit(const EqNote& note);

private:
    std::vector<EqNoteKind> m_shownOnce;
};

}  // namespace toliva
