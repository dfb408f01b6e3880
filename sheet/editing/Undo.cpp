#include "Undo.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/EqTreeOps.h"
#include "model/GlyphOutline.h"
#include "model/ShapeObject.h"
#include "platform/Archive.h"

#include <algorithm>
#include <vector>

namespace toliva {
namespace {

constexpr qsizetype kSnapshotBuffer = 4096;

// Sets the caret mark on the caret element for the length of one write.
class CaretMarkScope {
public:
    explicit CaretMarkScope(EqElement* caret) : m_caret(caret) {
        if (m_caret) m_caret->phantom = int8_t(m_caret->phantom | kCaretMarkBit);
    }
    ~CaretMarkScope() {
        if (m_caret) m_caret->phantom = int8_t(m_caret->phantom & ~kCaretMarkBit);
    }
    CaretMarkScope(const CaretMarkScope&) = delete;
    CaretMarkScope& operator=(const CaretMarkScope&) = delete;

private:
    EqElement* m_caret;
};

// Clears every caret mark left below e (a stream may carry stray ones).
void ClearCaretMarks(EqElement* e) {
    std::vector<EqElement*> pending{e};
    while (!pending.empty()) {
        EqElement* cur = pending.back();
        pending.pop_back();
        for (; cur; cur = cur->next) {
            cur->phantom = int8_t(cur->phantom & ~kCaretMarkBit);
            pending.insert(pending.end(), cur->children.begin(), cur->children.end());
        }
    }
}

int LineIndexOf(const EqModel* eq, const EqElement* head) {
    const auto it = std::find(eq->lines.begin(), eq->lines.end(), head);
    return it == eq->lines.end() ? -1 : int(it - eq->lines.begin());
}

// Moves what the detached head source holds (its fields, child chains and
// the chain after it) into the line head target, whose own content is freed.
void MoveHeadContent(EqElement* source, EqElement* target) {
    DeleteChildChains(target);
    if (target->next) DeleteEqElement(DetachRun(target->next));
    target->shape.reset();
    target->type = source->type;
    target->ch = source->ch;
    target->ch2 = source->ch2;
    target->colour = source->colour;
    target->colour2 = source->colour2;
    target->phantom = source->phantom;
    target->mark = source->mark;
    target->mark2 = source->mark2;
    target->alignMark = source->alignMark;
    target->payload = std::move(source->payload);
    target->glyph = std::move(source->glyph);
    target->children = std::move(source->children);
    source->children.clear();
    for (EqElement* child : target->children) child->parent = target;
    if (EqElement* run = DetachRun(source->next)) InsertRunAfter(target, run);
}

}  // namespace

bool TakeSnapshot(UndoSnapshot& snapshot, EqModel* eq) {
    if (!eq) return false;
    snapshot.lineIndex = -1;
    QByteArray bytes;
    bytes.reserve(kSnapshotBuffer);
    try {
        CaretMarkScope mark(GetEquationCaret(eq));
        Archive ar(&bytes, Archive::Store);
        SaveEquation(eq, ar, true);
    } catch (const ArchiveException&) {
        return false;
    }
    snapshot.data = std::move(bytes);
    return true;
}

bool TakeLineSnapshot(UndoSnapshot& snapshot, EqModel* eq) {
    if (!eq) return false;
    EqElement* caret = GetEquationCaret(eq);
    if (!caret) return false;
    EqElement* head = FindLineHead(caret);
    const int index = LineIndexOf(eq, head);
    if (index < 0) return false;
    QByteArray bytes;
    bytes.reserve(kSnapshotBuffer);
    try {
        CaretMarkScope mark(caret);
        Archive ar(&bytes, Archive::Store);
        SaveChain(head, ar, true);
    } catch (const ArchiveException&) {
        return false;
    }
    snapshot.lineIndex = index;
    snapshot.data = std::move(bytes);
    return true;
}

bool RestoreSnapshot(const UndoSnapshot& snapshot, EqModel* eq) {
    if (!eq || !LoadEquationAtomically(eq, snapshot.data, true)) return false;
    EqElement* caret = nullptr;
    for (EqElement* head : eq->lines) {
        if ((caret = FindCaretMark(head))) break;
    }
    for (EqElement* head : eq->lines) ClearCaretMarks(head);
    SetEquationCaret(eq, caret);
    eq->needsLayout = 1;
    return true;
}

bool RestoreLineSnapshot(const UndoSnapshot& snapshot, EqModel* eq) {
    if (!eq || snapshot.lineIndex < 0 || size_t(snapshot.lineIndex) >= eq->lines.size()) return false;
    // The chain was written in the current element layout, whatever version
    // the equation was read from.
    uint8_t& version = eq->settings.options[EqLayoutSettings::OptVersion];
    const uint8_t oldVersion = version;
    version = EqLayoutSettings::kVersion;
    EqElement* scratch = NewChildChain(nullptr, eq, ChainDetached);
    try {
        Archive ar(snapshot.data);
        LoadChain(scratch, ar, true);
    } catch (const ArchiveException&) {
        version = oldVersion;
        DeleteEqElement(scratch);
        return false;
    }
    version = oldVersion;

    EqElement* head = eq->lines[size_t(snapshot.lineIndex)];
    // The caret may stand in the elements about to be freed.
    eq->caret = nullptr;
    MoveHeadContent(scratch, head);
    DeleteEqElement(scratch);
    EqElement* caret = FindCaretMark(head);
    ClearCaretMarks(head);
    SetEquationCaret(eq, caret);
    InvalidateLineCache(eq, head);
    eq->needsLayout = 1;
    return true;
}

EqElement* FindCaretMark(EqElement* e) {
    std::vector<EqElement*> pending;
    if (e) pending.push_back(e);
    while (!pending.empty()) {
        EqElement* cur = pending.back();
        pending.pop_back();
        if (cur->phantom & kCaretMarkBit) {
            cur->phantom = int8_t(cur->phantom & ~kCaretMarkBit);
            return cur;
        }
        // Child chains in order, then the next element: pushed in reverse.
        if (cur->next) pending.push_back(cur->next);
        for (auto it = cur->children.rbegin(); it != cur->children.rend(); ++it) pending.push_back(*it);
    }
    return nullptr;
}

void CopyEquationContent(EqModel* source, EqModel* target) {
    UndoSnapshot snapshot;
    if (TakeSnapshot(snapshot, source)) RestoreSnapshot(snapshot, target);
}

bool UndoHistory::Push(EqModel* eq, bool lineOnly) {
    if (!eq) return false;
    if (!recording) {
        InvalidateLineCache(eq, GetEquationCaret(eq));
        return false;
    }
    ClearRedoStack();
    UndoSnapshot snapshot;
    const bool taken = lineOnly ? TakeLineSnapshot(snapshot, eq) : TakeSnapshot(snapshot, eq);
    if (!taken) return false;
    m_undo.push_back(std::move(snapshot));
    if (lineOnly)
        InvalidateLineCache(eq, GetEquationCaret(eq));
    else
        InvalidateAllLineCaches(eq);
    while (int(m_undo.size()) > kDepth) m_undo.pop_front();
    return true;
}

void UndoHistory::DropUnchanged(EqModel* eq) {
    if (!eq || !recording || m_undo.empty() || m_undo.back().lineIndex >= 0) return;
    UndoSnapshot now;
    if (TakeSnapshot(now, eq) && now.data == m_undo.back().data) m_undo.pop_back();
}

bool UndoHistory::Undo(EqModel* eq) {
    if (!eq || m_undo.empty()) return false;
    UndoSnapshot current;
    if (TakeSnapshot(current, eq)) m_redo.push_back(std::move(current));
    const UndoSnapshot& newest = m_undo.back();
    if (newest.lineIndex >= 0)
        RestoreLineSnapshot(newest, eq);
    else
        RestoreSnapshot(newest, eq);
    m_undo.pop_back();
    return true;
}

bool UndoHistory::Redo(EqModel* eq) {
    if (!eq || m_redo.empty()) return false;
    UndoSnapshot current;
    if (TakeSnapshot(current, eq)) m_undo.push_back(std::move(current));
    RestoreSnapshot(m_redo.back(), eq);
    m_redo.pop_back();
    return true;
}

void UndoHistory::ClearUndoStack() {
    while (!m_undo.empty()) m_undo.pop_back();
}

void UndoHistory::ClearRedoStack() {
    while (!m_redo.empty()) m_redo.pop_back();
}

}  // namespace toliva
