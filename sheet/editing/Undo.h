// Undo and redo: byte snapshots of the equation (or of the top-level line
// that holds the caret) in the archive stream's mark mode, with the caret
// element marked inside them so that a restore puts the caret back.
//
// A restore replaces elements: every element pointer taken before it (the
// selection, its anchors, hit boxes, a remembered element) may point at freed
// memory afterwards. The caller forgets all of them after every restore
// (SheetSelection::forgetElements) and lays the equation out again.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <deque>

namespace toliva {

class EqModel;
struct EqElement;

struct UndoSnapshot {
    QByteArray data;
    int32_t lineIndex = -1;  // -1: the whole equation; else the 0-based top-level line
};

// The whole equation. The caret is first moved up to an enclosing calculation
// result. False without an equation.
bool TakeSnapshot(UndoSnapshot&, EqModel*);
// The top-level line that holds the caret (found through every parent level).
// False without an equation, a caret element or when the line is not found.
bool TakeLineSnapshot(UndoSnapshot&, EqModel*);

// Reads the whole equation back. A damaged snapshot leaves the equation as it
// was and returns false. The caret goes to the marked element (the end of the
// last line when there is none). Forget every element pointer afterwards.
bool RestoreSnapshot(const UndoSnapshot&, EqModel*);
// Reads the line back into the line at the snapshot's index: the chain is read
// into a scratch head first; only a whole read replaces the line's elements
// (which are freed) and the line's head keeps its place. False, with nothing
// changed, for a missing line or a damaged snapshot. Forget every element
// pointer afterwards.
bool RestoreLineSnapshot(const UndoSnapshot&, EqModel*);

// Depth first from e (its chain after it and the child chains): the first
// element that carries the caret mark, with the mark cleared; null if none.
EqElement* FindCaretMark(EqElement* e);
// Replaces target's content by a copy of source's (caret included).
void CopyEquationContent(EqModel* source, EqModel* target);

class UndoHistory {
public:
    static constexpr int kDepth = 100;
    // Off while an operation built from other operations runs, so that it
    // leaves one step.
    bool recording = true;

    // Before a change: empties the redo stack and keeps a snapshot (line-only:
    // the caret's line) of the equation; the oldest beyond kDepth goes. With
    // recording off only the caret line's cache is dropped. True when a
    // snapshot was kept. The caller notifies the document and resets its
    // pending key.
    bool Push(EqModel*, bool lineOnly);
    // After a change that may have done nothing: a whole snapshot equal to
    // the equation as it is now is dropped. Line snapshots are kept.
    void DropUnchanged(EqModel*);
    // False when the stack is empty (nothing is touched). Otherwise the
    // equation now goes to the other stack and the newest snapshot is
    // restored and removed. The caller clears its selection before and after
    // (the elements are replaced) and refreshes.
    bool Undo(EqModel*);
    bool Redo(EqModel*);
    void ClearUndoStack();
    void ClearRedoStack();
    int undoCount() const { return int(m_undo.size()); }
    int redoCount() const { return int(m_redo.size()); }
    // The newest snapshot of each stack (null when empty), for inspection.
    const UndoSnapshot* newestUndo() const { return m_undo.empty() ? nullptr : &m_undo.back(); }
    const UndoSnapshot* newestRedo() const { return m_redo.empty() ? nullptr : &m_redo.back(); }

private:
    std::deque<UndoSnapshot> m_undo;  // oldest first
    std::deque<UndoSnapshot> m_redo;
};

}  // namespace toliva
