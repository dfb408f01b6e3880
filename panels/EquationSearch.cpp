#include "panels/EquationSearch.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTreeOps.h"
#include "model/EqTypes.h"

#include <algorithm>

namespace toliva {

namespace {

// The outermost calculation result around e, or e.
EqElement* outOfCalcResults(EqElement* e) {
    for (EqElement* r = FindCalcResultAncestor(e); r; r = FindCalcResultAncestor(e)) e = r;
    return e;
}

EqElement* nextLineHead(EqModel* eq, EqElement* e) {
    EqElement* head = FindLineHead(e);
    auto it = std::find(eq->lines.begin(), eq->lines.end(), head);
    if (it == eq->lines.end() || ++it == eq->lines.end()) return nullptr;
    return *it;
}

// The caret moved up to the outermost enclosing calculation result, told to
// the target when it moves.
EqElement* caretOutOfCalcResults(FindReplaceTarget& target, EqModel* eq) {
    EqElement* caret = eq->caret;
    EqElement* outer = outOfCalcResults(caret);
    eq->caret = outer;
    if (outer != caret) target.moveCaret(outer);
    return outer;
}

}  // namespace

bool IsPlainCharacter(const EqElement* e) { return e && IsCharType(e->type) && e->payload.empty(); }

bool MatchAt(EqElement* e, QStringView pattern) {
    if (pattern.isEmpty() || !IsPlainCharacter(e) || e->mark2) return false;
    EqElement* x = e;
    for (QChar c : pattern) {
        if (!IsPlainCharacter(x) || x->ch != c.unicode()) return false;
        x = x->next;
    }
    x = e;
    for (qsizetype i = 0; i < pattern.size(); ++i, x = x->next) x->mark = 1;
    return true;
}

void FindMatches(EqElement* e, QStringView pattern, std::vector<EqElement*>& results, bool all) {
    // Where the walk goes on when a child chain ends: the later child chains
    // of a structure, then the structure's next sibling.
    std::vector<EqElement*> pending;
    for (;;) {
        if (!e) {
            if (pending.empty()) return;
            e = pending.back();
            pending.pop_back();
            continue;
        }
        if (MatchAt(e, pattern)) results.push_back(e);
        if (!all && !results.empty()) return;
        if (!e->children.empty() && e->type != EqTypeCalcResult) {
            pending.push_back(e->next);
            for (size_t i = e->children.size(); i-- > 1;) pending.push_back(e->children[i]);
            e = e->children.front();
            continue;
        }
        e = e->next;
    }
}

void FindInEquation(EqModel* eq, QStringView pattern, std::vector<EqElement*>& results) {
    if (!eq) return;
    for (EqElement* head : eq->lines) FindMatches(head, pattern, results, true);
}

bool FindNext(FindReplaceTarget& target, QStringView pattern) {
    EqModel* eq = target.equation();
    if (!eq || !eq->caret) return false;
    EqElement* from = caretOutOfCalcResults(target, eq);
    // From the caret; then from each enclosing element, which searches its
    // child chains from their starts and its later siblings; then from the
    // head of each following line.
    for (;;) {
        std::vector<EqElement*> found;
        FindMatches(from, pattern, found, false);
        if (!found.empty()) {
            EqElement* last = found.front();
            while (last->next && last->next->mark) last = last->next;
            // The new highlight is drawn into the line's picture.
            InvalidateLineCache(eq, last);
            eq->caret = last;
            target.showFoundCaret(last);
            return true;
        }
        EqElement* up = from->parent ? from->parent : nextLineHead(eq, from);
        if (!up) return false;
        from = up;
        eq->caret = from;
        target.moveCaret(from);
    }
}

std::vector<EqElement*> MarkedMatchEndingAt(EqElement* e, QStringView pattern) {
    std::vector<EqElement*> run;
    if (pattern.isEmpty()) return run;
    for (EqElement* x = e; x && run.size() < size_t(pattern.size()); x = x->prev) {
        if (!IsPlainCharacter(x) || !x->mark) return {};
        run.push_back(x);
    }
    if (run.size() != size_t(pattern.size())) return {};
    std::reverse(run.begin(), run.end());
    for (size_t i = 0; i < run.size(); ++i)
        if (run[i]->ch != pattern[qsizetype(i)].unicode()) return {};
    return run;
}

bool MarkVisitedAtCaret(EqElement* e, QStringView pattern) {
    const std::vector<EqElement*> run = MarkedMatchEndingAt(e, pattern);
    for (EqElement* x : run) x->mark2 = 1;
    return !run.empty();
}

bool ReplaceAtCaret(FindReplaceTarget& target, EqElement* e, QStringView pattern, QStringView replacement,
                    int style, bool pushUndo) {
    EqModel* eq = target.equation();
    if (!eq || replacement.isEmpty()) return false;
    const std::vector<EqElement*> run = MarkedMatchEndingAt(e, pattern);
    if (run.empty() || !run.front()->prev) return false;

    std::vector<int32_t> types(size_t(replacement.size()));
    for (size_t i = 0; i < types.size(); ++i) {
        if (style >= 1 && style <= 4) types[i] = style;  // types 1-4: upright, italic, bold, bold italic
        else types[i] = run[std::min(i, run.size() - 1)]->type;
    }
    if (pushUndo) target.pushUndo();
    // The selection may hold the elements about to go.
    target.clearSelection();

    EqElement* before = run.front()->prev;
    EqElement* after = run.back()->next;
    DetachRun(run.front());
    if (after) DetachRun(after);
    DeleteEqElement(run.front());
    EqElement* last = before;
    for (size_t i = 0; i < types.size(); ++i) {
        last = NewElementAfter(last, replacement[qsizetype(i)].unicode(), eq, types[i]);
        last->mark2 = 1;
    }
    if (after) InsertRunAfter(last, after);
    SetEquationCaret(eq, last);
    // The edited line is laid out and drawn again.
    InvalidateLineCache(eq, last);
    return true;
}

bool ClearFindFlags(EqModel* eq, bool alsoVisited) {
    if (!eq) return false;
    const bool marked = EquationHasMarks(eq);
    if (marked) InvalidateAllLineCaches(eq);
    ClearEquationMarks(eq, alsoVisited);
    return marked;
}

// ---- the dialog's steps

namespace {

// After the step acted at the caret (acted: it visited or replaced a match
// there): the caret goes on to the next match. With none acted on and none
// found the search is over and every mark goes.
SearchOutcome moveToNextMatch(FindReplaceTarget& target, EqModel* eq, const QString& pattern, bool acted) {
    ClearFindFlags(eq, false);
    target.setFoundPatternLength(0);
    const bool found = FindNext(target, pattern);
    if (acted || found) return SearchOutcome::Done;
    ClearFindFlags(eq, true);
    return SearchOutcome::NothingMore;
}

// Every match of the pattern marked afresh, the old marks gone; with none,
// the old highlight goes from the screen and false is returned.
bool markAllMatches(FindReplaceTarget& target, EqModel* eq, const QString& pattern, std::vector<EqElement*>& found) {
    const bool wasMarked = ClearFindFlags(eq, true);
    target.setFoundPatternLength(0);
    FindInEquation(eq, pattern, found);
    if (!found.empty()) return true;
    if (wasMarked) target.refresh();
    return false;
}

}  // namespace

SearchOutcome FindAllStep(FindReplaceTarget& target, const QString& pattern) {
    if (pattern.isEmpty()) return SearchOutcome::EmptyFind;
    EqModel* eq = target.equation();
    std::vector<EqElement*> found;
    if (!markAllMatches(target, eq, pattern, found)) return SearchOutcome::NothingFound;
    target.setFoundPatternLength(int(pattern.size()));
    InvalidateAllLineCaches(eq);
    target.refresh();
    return SearchOutcome::Done;
}

SearchOutcome FindNextStep(FindReplaceTarget& target, const QString& pattern) {
    if (pattern.isEmpty()) return SearchOutcome::EmptyFind;
    EqModel* eq = target.equation();
    if (!eq) return SearchOutcome::NothingMore;
    EqElement* caret = GetEquationCaret(eq);
    const bool visited = caret && caret->mark && MarkVisitedAtCaret(caret, pattern);
    const SearchOutcome outcome = moveToNextMatch(target, eq, pattern, visited);
    target.refresh();
    return outcome;
}

SearchOutcome ReplaceStep(FindReplaceTarget& target, const QString& pattern, const QString& replacement, int style) {
    if (pattern.isEmpty()) return SearchOutcome::EmptyFind;
    if (replacement.isEmpty()) return SearchOutcome::EmptyReplace;
    EqModel* eq = target.equation();
    if (!eq) return SearchOutcome::NothingMore;
    const bool replaced = ReplaceAtCaret(target, GetEquationCaret(eq), pattern, replacement, style, true);
    const SearchOutcome outcome = moveToNextMatch(target, eq, pattern, replaced);
    // ReplaceAtCaret dropped the edited line's picture; the caret's line may
    // be another one now.
    InvalidateLineCache(eq, nullptr);
    target.refresh();
    return outcome;
}

SearchOutcome ReplaceAllStep(FindReplaceTarget& target, const QString& pattern, const QString& replacement,
                             int style) {
    if (pattern.isEmpty()) return SearchOutcome::EmptyFind;
    if (replacement.isEmpty()) return SearchOutcome::EmptyReplace;
    EqModel* eq = target.equation();
    if (!eq) return SearchOutcome::NothingFound;
    std::vector<EqElement*> found;
    if (!markAllMatches(target, eq, pattern, found)) return SearchOutcome::NothingFound;
    ClearFindFlags(eq, true);
    eq->caret = eq->lines.front();
    target.moveCaret(eq->caret);
    target.pushUndo();
    bool more = true;
    bool lastFound = false;
    while (more) {
        EqElement* caret = caretOutOfCalcResults(target, eq);
        const bool replaced = ReplaceAtCaret(target, caret, pattern, replacement, style, false);
        if (!replaced && lastFound) {
            // A match that could not be replaced is stepped over for good, so
            // that the next search does not find it again.
            for (EqElement* x = caret; x && x->mark; x = x->prev) {
                x->mark = 0;
                x->mark2 = 1;
            }
        }
        lastFound = FindNext(target, pattern);
        more = replaced || lastFound;
    }
    ClearFindFlags(eq, true);
    // Every line may have changed.
    InvalidateAllLineCaches(eq);
    target.refresh();
    return SearchOutcome::Done;
}

}  // namespace toliva
