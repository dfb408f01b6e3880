// Find and replace on the element tree of an equation. A match is a run of
// sibling plain characters (character types with no payload: no accents)
// whose characters spell the search text, compared code unit by code unit
// and case-sensitive; the character types are ignored, so an italic and an
// upright x both match x. Found elements carry the mark flag (drawn
// highlighted); the second mark flag is the visited flag, set on a match
// already stepped over and on replaced characters so that a search never
// matches inside its own replacement. Calculation results are never searched
// inside.
//
// The tree functions need only the model. The steps of the find-and-replace
// dialog (find all, next, replace, replace all) act on the editing sheet
// through FindReplaceTarget, which the shell implements over the sheet and
// tests implement over an equation in memory.
#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace toliva {

class EqModel;
struct EqElement;

// What a search asks of the editing sheet that shows the equation.
class FindReplaceTarget {
public:
    virtual ~FindReplaceTarget() = default;
    // The equation searched; null when there is none.
    virtual EqModel* equation() = 0;
    // The caret moves while a search climbs the tree (the view's alignment
    // buttons follow).
    virtual void moveCaret(EqElement* e) = 0;
    // The caret goes to the end of a found match: the sheet's caret stop,
    // scrolled into view, the TeX prompt updated.
    virtual void showFoundCaret(EqElement* e) = 0;
    // One undo snapshot of the whole equation.
    virtual void pushUndo() = 0;
    // Clears the sheet's selection when there is one.
    virtual void clearSelection() = 0;
    // The sheet's found-pattern length (0: nothing highlighted).
    virtual void setFoundPatternLength(int n) = 0;
    // Lays out the lines whose pictures were dropped, repaints and notifies
    // an embedded document.
    virtual void refresh() = 0;
};

// ---- the tree functions

// A character element (types 1-5, 16, 17) with no payload.
bool IsPlainCharacter(const EqElement* e);
// True when e is a plain character with its visited flag clear and e and the
// plain characters after it spell pattern; then e and its pattern.size() - 1
// followers get the mark flag.
bool MatchAt(EqElement* e, QStringView pattern);
// Tests e, then (all set or nothing found yet) the child chains of e unless
// e is a calculation result, then e's later siblings; appends each match's
// first element to results. With all clear the walk ends at the first match
// in document order; it never climbs above e's chain.
void FindMatches(EqElement* e, QStringView pattern, std::vector<EqElement*>& results, bool all);
// FindMatches with all set over every line, in line order.
void FindInEquation(EqModel* eq, QStringView pattern, std::vector<EqElement*>& results);
// The next match after the caret: from the caret, then from each enclosing
// element up to the line, then from the head of each following line. On a
// match the caret goes to the last element of its marked run and the result
// is true; otherwise the caret stays where the search ended.
bool FindNext(FindReplaceTarget& target, QStringView pattern);
// The pattern.size() marked plain characters ending at e that spell pattern;
// empty when they do not.
std::vector<EqElement*> MarkedMatchEndingAt(EqElement* e, QStringView pattern);
// When e ends a marked match, flags its characters visited; true then.
bool MarkVisitedAtCaret(EqElement* e, QStringView pattern);
// Replaces the marked match ending at e by the characters of replacement.
// style 0 keeps the types of the replaced characters (the last one's for
// characters beyond the match), 1-4 gives every new character type 1-4.
// The new characters are flagged visited, the caret ends on the last of
// them, the picture of the edited line is dropped and the sheet's selection
// is cleared. False, with nothing changed, when e does not end a match or the
// replacement is empty.
bool ReplaceAtCaret(FindReplaceTarget& target, EqElement* e, QStringView pattern, QStringView replacement,
                    int style, bool pushUndo);
// Clears the mark flags (and with alsoVisited the visited flags) on every
// line; the pictures of the lines are dropped when any was marked. True
// when any was.
bool ClearFindFlags(EqModel* eq, bool alsoVisited);

// ---- the dialog's steps

enum class SearchOutcome {
    Done,
    EmptyFind,     // the find text is empty
    EmptyReplace,  // the replacement text is empty
    NothingMore,   // next or replace found nothing more (message item 2)
    NothingFound,  // find all or replace all found nothing (message item 3)
};

// Marks every match; the found-pattern length becomes the pattern's length.
SearchOutcome FindAllStep(FindReplaceTarget& target, const QString& pattern);
// Steps over the current match to the next one.
SearchOutcome FindNextStep(FindReplaceTarget& target, const QString& pattern);
// Replaces the match at the caret (one undo step) and goes to the next one.
SearchOutcome ReplaceStep(FindReplaceTarget& target, const QString& pattern, const QString& replacement, int style);
// Replaces every match, as one undo step.
SearchOutcome ReplaceAllStep(FindReplaceTarget& target, const QString& pattern, const QString& replacement,
                             int style);

}  // namespace toliva
