#include "model/EqNotes.h"

#include "platform/LangTable.h"

#include <algorithm>

namespace toliva {

void EqNotes::add(EqNoteKind kind, const QString& argument) {
    EqNote note{kind, argument};
    if (std::find(items.begin(), items.end(), note) == items.end()) items.push_back(std::move(note));
}

void EqNotes::add(const EqNotes& other) {
    for (const EqNote& n : other.items) add(n.kind, n.argument);
}

bool EqNotes::contains(EqNoteKind kind) const {
    return std::any_of(items.begin(), items.end(), [kind](const EqNote& n) { return n.kind == kind; });
}

EqNotes EqNotes::take() {
    EqNotes taken;
    taken.items.swap(items);
    return taken;
}

const EqNoteText& NoteTextSource(EqNoteKind kind) {
    static const EqNoteText kMissingFonts{"LANG_07.xml", "gMSG_1", 2,
                                          "The equation fonts could not be loaded.|Times New Roman is used instead.",
                                          true, true};
    static const EqNoteText kNewerVersion{"LANG_07.xml", "gMSG_1", 3,
                                          "This equation was made by a newer version.", true, false};
    static const EqNoteText kDamagedDefaults{nullptr, nullptr, 0, "failed to open file : ", false, true};
    static const EqNoteText kDamagedFile{nullptr, nullptr, 0, "failed to open file : ", false, false};
    static const EqNoteText kFormulaCut{"LANG_08.xml", "gMSG_1", 1,
                                        "The formula is too long: only its first part was read.", true, false};
    switch (kind) {
    case EqNoteKind::MissingFonts:
        return kMissingFonts;
    case EqNoteKind::NewerVersion:
        return kNewerVersion;
    case EqNoteKind::DamagedDefaults:
        return kDamagedDefaults;
    case EqNoteKind::DamagedFile:
        return kDamagedFile;
    case EqNoteKind::FormulaCut:
        return kFormulaCut;
    }
    return kDamagedFile;
}

QString NoteText(const EqNote& note) {
    const EqNoteText& source = NoteTextSource(note.kind);
    QString text;
    if (source.langFile)
        text = LangText(QLatin1String(source.langFile), QLatin1String(source.group), source.item);
    if (text.isEmpty()) text = QString::fromUtf8(source.fallback);
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return text + note.argument;
}

bool EqNoteRun::admit(const EqNote& note) {
    if (!NoteTextSource(note.kind).oncePerRun) return true;
    if (std::find(m_shownOnce.begin(), m_shownOnce.end(), note.kind) != m_shownOnce.end()) return false;
    m_shownOnce.push_back(note.kind);
    return true;
}

}  // namespace toliva
