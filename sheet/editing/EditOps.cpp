#include "EditOps.h"

#include "sheet/editing/ElementWork.h"

#include "model/EqModel.h"
#include "model/EqTreeOps.h"
#include "model/GlyphOutline.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>
#include <vector>

namespace toliva {
namespace {

// The builder of every structure type; a type in no row is inserted as a
// character (characters, symbols, operators, spaces, arrows). Each structure
// gets the chains the LaTeX reader gives the same type, in the reader's
// order: a root holds its radicand before its index, a double script its
// upper script before its lower one, an over or under script its base first,
// and integrals and big operators their limits (upper, then lower) before
// the integrand or body, as many limits as the type shows.
struct BuilderRow {
    int32_t lo;
    int32_t hi;
    ArgumentBuilder builder;
};

constexpr BuilderRow kBuilderRows[] = {
    {128, 130, BuildTwoFirst},      // fraction, bevelled, slash: numerator first
    {131, 131, BuildThreeFirst},    // long division: dividend, divisor, quotient
    {132, 134, BuildTwoFirst},      // small fraction, stacks
    {135, 136, BuildOneArgument},   // arc mark, square root
    {137, 137, BuildTwoFirst},      // root: radicand, then index
    {173, 174, BuildOneArgument},   // superscript, subscript
    {175, 175, BuildTwoFirst},      // superscript, then subscript
    {176, 176, BuildOneArgument},   // baseline script
    {177, 177, BuildTwoFirst},      // over script: base, script
    {178, 178, BuildThreeFirst},    // over and under: base, over, under
    {179, 182, BuildTwoFirst},      // under scripts: base, script; bar and side scripts: upper, lower
    {189, 190, BuildOneArgument},   // pre-scripts
    {191, 191, BuildTwoFirst},
    {208, 219, BuildOneArgument},   // over accents
    {224, 235, BuildOneArgument},   // under accents
    {240, 252, BuildOneArgument},   // enclosures
    {256, 256, BuildOneArgument},   // phasor
    // Integrals: the limits the type shows, then the integrand.
    {274, 275, BuildThreeLast},     // with a bar: upper, lower, integrand
    {276, 276, BuildOneArgument},   // no limits: the integrand alone
    {277, 277, BuildTwoSecond},     // a lower limit, the integrand
    {278, 285, BuildThreeLast},     // both limits
    {286, 286, BuildOneArgument},
    {287, 287, BuildThreeLast},
    {288, 288, BuildOneArgument},
    {289, 289, BuildTwoSecond},
    {290, 290, BuildThreeLast},
    {291, 291, BuildOneArgument},
    {292, 292, BuildTwoSecond},
    {293, 293, BuildOneArgument},
    {294, 294, BuildTwoSecond},
    {295, 295, BuildOneArgument},
    {296, 296, BuildTwoSecond},
    {297, 297, BuildOneArgument},
    {298, 298, BuildTwoSecond},
    {299, 299, BuildOneArgument},
    {300, 301, BuildTwoSecond},
    {302, 302, BuildOneArgument},
    {303, 303, BuildTwoSecond},
    {304, 304, BuildOneArgument},
    {305, 305, BuildTwoSecond},
    // Big operators come in threes: no limits, a lower limit, both limits.
    {306, 306, BuildOneArgument},
    {307, 307, BuildTwoSecond},
    {308, 308, BuildThreeLast},
    {309, 309, BuildOneArgument},
    {310, 310, BuildTwoSecond},
    {311, 311, BuildThreeLast},
    {312, 312, BuildOneArgument},
    {313, 313, BuildTwoSecond},
    {314, 314, BuildThreeLast},
    {315, 315, BuildOneArgument},
    {316, 316, BuildTwoSecond},
    {317, 317, BuildThreeLast},
    {318, 318, BuildOneArgument},
    {319, 319, BuildTwoSecond},
    {320, 320, BuildThreeLast},
    {321, 321, BuildOneArgument},
    {322, 322, BuildTwoSecond},
    {323, 323, BuildThreeLast},
    {324, 324, BuildOneArgument},
    {325, 325, BuildTwoSecond},
    {326, 326, BuildThreeLast},
    {327, 327, BuildOneArgument},
    {328, 328, BuildTwoSecond},
    {329, 329, BuildThreeLast},
    {330, 330, BuildOneArgument},
    {331, 331, BuildTwoSecond},
    {332, 332, BuildThreeLast},
    {333, 333, BuildOneArgument},
    {334, 334, BuildTwoSecond},
    {335, 335, BuildThreeLast},
    {336, 366, BuildBracketPair},
    {367, 368, BuildTwoFirst},      // brackets with a middle delimiter
    {369, 370, BuildNArguments},    // row, column
    {371, 371, BuildMatrixCells},
    {372, 372, BuildNArguments},    // cases
    {553, 563, BuildOneArgument},   // extensible arrows: text over
    {564, 574, BuildTwoFirst},      // text over and under
    {590, 598, BuildOneArgument},   // frame marks
    {608, 608, BuildOneArgument},   // chemical form: its content (the marks are payload)
    {624, 627, BuildOneArgument},   // outline arrows: text over
    {628, 631, BuildTwoFirst},      // text over and under
    {632, 639, BuildOneArgument},   // 634-639: text under
    {640, 641, BuildTwoFirst},
    {642, 642, BuildOneArgument},
    {643, 643, BuildTwoFirst},
    // Integrals with their limits above and below.
    {769, 772, BuildTwoSecond},
    {773, 776, BuildThreeLast},
    {777, 778, BuildTwoSecond},
    {779, 780, BuildThreeLast},
    {781, 782, BuildTwoSecond},
    {783, 784, BuildThreeLast},
    {785, 785, BuildTwoSecond},
    {786, 786, BuildThreeLast},
    {787, 787, BuildTwoSecond},
    {788, 788, BuildThreeLast},
    {800, 800, BuildOneArgument},   // big operators again in threes
    {801, 801, BuildTwoSecond},
    {802, 802, BuildThreeLast},
    {803, 803, BuildOneArgument},
    {804, 804, BuildTwoSecond},
    {805, 805, BuildThreeLast},
    {848, 863, BuildThreeLast},     // limits at the side; own outlines
    {1536, 1536, BuildOneArgument}, // small group
};

constexpr bool RowsAscend() {
    for (size_t i = 1; i < std::size(kBuilderRows); ++i)
        if (kBuilderRows[i - 1].hi >= kBuilderRows[i].lo || kBuilderRows[i].lo > kBuilderRows[i].hi) return false;
    return true;
}
static_assert(RowsAscend(), "builder rows must ascend without overlapping");

bool IsTopLevel(const EqElement* e) { return e && !e->parent; }

int LineIndexOf(const EqModel* eq, const EqElement* head) {
    const auto it = std::find(eq->lines.begin(), eq->lines.end(), head);
    return it == eq->lines.end() ? -1 : int(it - eq->lines.begin());
}

// Removes the line at index (its head and whatever still follows it).
void RemoveLine(EqModel* eq, int index) {
    EqElement* head = eq->lines[size_t(index)];
    eq->lines.erase(eq->lines.begin() + index);
    std::erase_if(eq->placements, [head](const LinePlacement& p) { return p.head == head; });
    if (eq->caret && FindLineHead(eq->caret) == head) eq->caret = nullptr;
    DeleteEqElement(head);
    eq->needsLayout = 1;
}

// Inserts a new empty line head at index and returns it.
EqElement* InsertLine(EqModel* eq, int index) {
    EqElement* head = NewChildChain(nullptr, eq, ChainDetached);
    eq->lines.insert(eq->lines.begin() + index, head);
    eq->needsLayout = 1;
    return head;
}

// Appends the elements of the top-level line at index after element and
// removes that line. Returns the last element moved (element when none).
EqElement* JoinLineAfter(EqModel* eq, int index, EqElement* element) {
    EqElement* head = eq->lines[size_t(index)];
    EqElement* last = element;
    if (EqElement* run = DetachRun(head->next)) {
        last = FindChainEnd(run);
        InsertRunAfter(element, run);
    }
    RemoveLine(eq, index);
    return last;
}

void DeleteElement(EqModel* eq, EqElement* e) {
    if (eq->caret == e) eq->caret = nullptr;
    UnlinkElement(e);
    DeleteEqElement(e);
}

// The selected elements that are not inside another selected element, and
// no chain heads, in the selection's order.
std::vector<EqElement*> OuterSelectedElements(const SheetSelection& sel) {
    const std::unordered_set<const EqElement*> all(sel.items.begin(), sel.items.end());
    std::vector<EqElement*> out;
    for (EqElement* e : sel.items) {
        if (!e || e->type == EqTypeChainHead) continue;
        bool inner = false;
        for (const EqElement* p = e->parent; p && !inner; p = p->parent) inner = all.count(p) != 0;
        if (!inner) out.push_back(e);
    }
    return out;
}

void ForgetSelection(SheetSelection& sel) {
    for (EqElement* e : sel.items)
        if (e) SetElementSelected(e, false);
    sel.forgetElements();
}

// Copies of the selected elements, one detached chain per chain they stand
// in, in order.
std::vector<EqElement*> CopySelection(EqModel* eq, const std::vector<EqElement*>& outer) {
    std::vector<EqElement*> chains;
    const EqElement* currentStart = nullptr;
    EqElement* last = nullptr;
    for (const EqElement* e : outer) {
        const EqElement* start = FindChainStart(const_cast<EqElement*>(e));
        if (chains.empty() || start != currentStart) {
            chains.push_back(NewChildChain(nullptr, eq, ChainDetached));
            last = chains.back();
            currentStart = start;
        }
        EqElement* copy = CopyElementTree(e, eq);
        LinkAfter(last, copy);
        last = copy;
    }
    return chains;
}

void CopyFields(const EqElement* from, EqElement* to) {
    to->type = from->type;
    to->ch = from->ch;
    to->ch2 = from->ch2;
    to->colour = from->colour;
    to->colour2 = from->colour2;
    to->phantom = from->phantom;
    to->mark = from->mark;
    to->mark2 = from->mark2;
    to->alignMark = from->alignMark;
    to->fontSize = from->fontSize;
    to->work1 = from->work1;
    to->payload = from->payload;
    if (from->glyph) {
        to->glyph = std::make_unique<GlyphOutline>();
        CopyGlyph(*to->glyph, *from->glyph);
    }
}

EqElement* CopyChain(const EqElement* head, EqModel* eq) {
    EqElement* copy = CopyElementTree(head, eq);
    EqElement* last = copy;
    for (const EqElement* e = head->next; e; e = e->next) {
        EqElement* c = CopyElementTree(e, eq);
        LinkAfter(last, c);
        last = c;
    }
    return copy;
}

// A caret that stands in a calculation result selects the result.
bool SelectCalcResult(EqModel* eq, SheetSelection& sel) {
    EqElement* result = FindCalcResultAncestor(eq->caret);
    if (!result) return false;
    ForgetSelection(sel);
    sel.items.push_back(result);
    SetElementSelected(result, true);
    SetEquationCaret(eq, result);
    return true;
}

bool IsColumnArray(const EqElement* e) {
    return e && (e->type == EqTypeMatrixColumn || e->type == EqTypeCases);
}

int ChildIndexOf(const EqElement* structure, const EqElement* head) {
    const auto it = std::find(structure->children.begin(), structure->children.end(), head);
    return it == structure->children.end() ? -1 : int(it - structure->children.begin());
}

// Removes child chain index of structure with whatever it still holds.
void RemoveChildChain(EqModel* eq, EqElement* structure, int index) {
    EqElement* head = structure->children[size_t(index)];
    structure->children.erase(structure->children.begin() + index);
    if (eq->caret && FindChainStart(eq->caret) == head) eq->caret = nullptr;
    DeleteEqElement(head);
}

// A new empty child chain of structure at index.
EqElement* InsertChildChain(EqModel* eq, EqElement* structure, int index) {
    EqElement* head = NewChildChain(structure, eq, ChainAppend);
    structure->children.pop_back();
    structure->children.insert(structure->children.begin() + index, head);
    return head;
}

// Moves the elements after from's head to the end of the chain of to.
// Returns the element they now follow.
EqElement* AppendChainContent(EqElement* fromHead, EqElement* to) {
    EqElement* end = FindChainEnd(to);
    if (EqElement* run = DetachRun(fromHead->next)) InsertRunAfter(end, run);
    return end;
}

// A column array left with one cell gives its elements to the chain it
// stands in and goes. A caret on the cell's head goes before the array.
void DissolveSingleCell(EqModel* eq, EqElement* array) {
    if (!IsColumnArray(array) || array->children.size() != 1) return;
    EqElement* cell = array->children.front();
    EqElement* before = array->prev;
    const bool caretOnHead = eq->caret == cell;
    if (EqElement* run = DetachRun(cell->next)) InsertRunAfter(array, run);
    if (caretOnHead) eq->caret = nullptr;
    UnlinkElement(array);
    DeleteEqElement(array);
    if (caretOnHead) SetEquationCaret(eq, before);
}

// Delete at the end of a cell of a column array that is not the last one.
bool DeleteInStructure(EqModel* eq) {
    EqElement* caret = eq->caret;
    if (!caret || caret->next) return false;
    EqElement* head = FindChainStart(caret);
    EqElement* array = head->parent;
    if (!IsColumnArray(array)) return false;
    const int index = ChildIndexOf(array, head);
    if (index < 0 || index + 1 >= int(array->children.size())) return false;
    AppendChainContent(array->children[size_t(index + 1)], caret);
    RemoveChildChain(eq, array, index + 1);
    InvalidateLineCache(eq, array);
    eq->needsLayout = 1;
    SetEquationCaret(eq, caret);
    DissolveSingleCell(eq, array);
    return true;
}

// Backspace at the head of a cell of a column array that is not the first.
bool BackspaceInStructure(EqModel* eq) {
    EqElement* head = eq->caret;
    if (!head || head->type != EqTypeChainHead) return false;
    EqElement* array = head->parent;
    if (!IsColumnArray(array)) return false;
    const int index = ChildIndexOf(array, head);
    if (index <= 0) return false;
    EqElement* target = AppendChainContent(head, array->children[size_t(index - 1)]);
    RemoveChildChain(eq, array, index);
    InvalidateLineCache(eq, array);
    eq->needsLayout = 1;
    SetEquationCaret(eq, target);
    DissolveSingleCell(eq, array);
    return true;
}

// Structures whose arguments never become a column array on Enter.
bool KeepsItsArguments(int32_t type) {
    return IsMatrixType(type) || inRange(type, 274, 305) || inRange(type, 769, 788) || inRange(type, 128, 132);
}

// The caret's chain content becomes the one cell of a new column array that
// stands alone in that chain; the caret keeps its element (a caret on the
// chain head goes to the cell head). Returns the array.
EqElement* WrapChainInArray(EqModel* eq, EqElement* chainHead) {
    EqElement* structure = chainHead->parent;
    EqElement* array = NewChildChain(nullptr, eq, ChainDetached);
    array->type = EqTypeMatrixColumn;
    if (structure && (structure->type == 136 || structure->type == 137)) array->ch = 1;
    EqElement* cell = NewChildChain(array, eq, ChainAppend);
    if (EqElement* run = DetachRun(chainHead->next)) InsertRunAfter(cell, run);
    InsertRunAfter(chainHead, array);
    if (eq->caret == chainHead) SetEquationCaret(eq, cell);
    return array;
}

// The cell of the nearest matrix around the caret (the last cell when the
// caret is the matrix); a caret in another structure's argument that can
// hold an array is first wrapped into a column array when wrap is set. Null
// when the caret is in no such place.
EqElement* MatrixAtCaret(EqModel* eq, int* cellIndex, bool wrap) {
    EqElement* caret = eq->caret;
    if (!caret) return nullptr;
    if (IsMatrixType(caret->type) && !caret->children.empty()) {
        *cellIndex = int(caret->children.size()) - 1;
        return caret;
    }
    for (EqElement* head = FindChainStart(caret); head && head->parent; head = FindChainStart(head->parent)) {
        if (IsMatrixType(head->parent->type)) {
            *cellIndex = ChildIndexOf(head->parent, head);
            return *cellIndex < 0 ? nullptr : head->parent;
        }
    }
    EqElement* head = FindChainStart(caret);
    if (!wrap || !head->parent || KeepsItsArguments(head->parent->type)) return nullptr;
    *cellIndex = 0;
    return WrapChainInArray(eq, head);
}
}  // namespace

ArgumentBuilder ArgumentBuilderOf(int32_t type) {
    for (const BuilderRow& row : kBuilderRows) {
        if (type < row.lo) break;
        if (type <= row.hi) return row.builder;
    }
    return BuildCharacter;
}

BuilderChains ChainsOfBuilder(ArgumentBuilder builder, const InsertionKey& key) {
    switch (builder) {
    case BuildCharacter: return {};
    case BuildOneArgument:
    case BuildBracketPair: return {1, 0, 0, 0};
    case BuildTwoFirst: return {2, 0, 0, 1};
    case BuildTwoSecond: return {2, 1, 1, 0};
    case BuildThreeLast: return {3, 2, 2, 0};
    case BuildThreeFirst: return {3, 0, 0, 1};
    case BuildThreeMiddle: return {3, 1, 1, 2};
    case BuildNArguments: return {std::max<int>(1, key.opt1), 0, 0, 0};
    case BuildMatrixCells: return {std::max<int>(1, key.opt1) * std::max<int>(1, key.opt2), 0, 0, 0};
    }
    return {};
}

EqElement* CopyElementTree(const EqElement* e, EqModel* eq) {
    if (!e) return nullptr;
    EqElement* copy = NewChildChain(nullptr, eq, ChainDetached);
    CopyFields(e, copy);
    for (const EqElement* child : e->children) AttachChildChain(copy, CopyChain(child, eq), ChainAppend);
    return copy;
}

EqElement* InsertKey(EqModel* eq, SheetSelection& sel, const InsertionKey& key,
                     const TypedCharacterHook& characterHook) {
    if (!eq) return nullptr;
    const ArgumentBuilder builder = ArgumentBuilderOf(key.type);
    const BuilderChains shape = ChainsOfBuilder(builder, key);

    std::vector<EqElement*> wrapped;
    if (sel.exists()) {
        if (builder != BuildCharacter) wrapped = CopySelection(eq, OuterSelectedElements(sel));
        DeleteSelection(eq, sel);
    }
    if (!GetEquationCaret(eq)) AddEmptyLine(eq);
    EqElement* caret = GetEquationCaret(eq);

    EqElement* e = NewChildChain(nullptr, eq, ChainDetached);
    e->type = key.type;
    e->ch = key.ch;
    InsertRunAfter(caret, e);
    InvalidateLineCache(eq, e);
    eq->needsLayout = 1;

    EqElement* caretTarget = e;
    if (builder != BuildCharacter) {
        for (int i = 0; i < shape.chains; ++i) NewChildChain(e, eq, ChainAppend);
        if (builder == BuildMatrixCells) SetMatrixCounts(e, std::max<int>(1, key.opt1), std::max<int>(1, key.opt2));
        bool pasted = false;
        if (wrapped.size() == 1) {
            EqElement* into = e->children[size_t(shape.selectionChain)];
            if (EqElement* run = DetachRun(wrapped.front()->next)) InsertRunAfter(FindChainEnd(into), run);
            pasted = true;
        } else if (wrapped.size() > 1 && builder == BuildBracketPair) {
            // One cell of a column array per line.
            EqElement* column = NewChildChain(nullptr, eq, ChainDetached);
            column->type = EqTypeMatrixColumn;
            if (inRange(key.type, 353, 359)) column->ch = 1;
            if (inRange(key.type, 360, 366)) column->ch = 2;
            InsertRunAfter(e->children[0], column);
            for (EqElement* line : wrapped) {
                EqElement* cell = NewChildChain(column, eq, ChainAppend);
                if (EqElement* run = DetachRun(line->next)) InsertRunAfter(cell, run);
            }
            pasted = true;
            caretTarget = column;
        }
        if (caretTarget == e) {
            const int chain = pasted ? shape.caretChainWithSelection : shape.caretChain;
            caretTarget = FindChainEnd(e->children[size_t(chain)]);
        }
    } else if (IsCharType(key.type) && characterHook) {
        characterHook(eq, e);
    }
    for (EqElement* head : wrapped) DeleteEqElement(head);
    sel.forgetElements();
    SetEquationCaret(eq, caretTarget);
    return e;
}

bool DeleteSelection(EqModel* eq, SheetSelection& sel) {
    if (!eq || !sel.exists()) return false;
    const std::vector<EqElement*> outer = OuterSelectedElements(sel);
    ForgetSelection(sel);
    if (outer.empty()) return false;

    const std::unordered_set<const EqElement*> doomed(outer.begin(), outer.end());
    EqElement* caretTarget = outer.front()->prev;
    while (caretTarget && doomed.count(caretTarget)) caretTarget = caretTarget->prev;

    // The top-level lines the selection reaches.
    int firstLine = -1, lastLine = -1;
    for (EqElement* e : outer) {
        if (!IsTopLevel(e)) continue;
        const int index = LineIndexOf(eq, FindChainStart(e));
        if (index < 0) continue;
        firstLine = firstLine < 0 ? index : std::min(firstLine, index);
        lastLine = std::max(lastLine, index);
    }

    eq->caret = nullptr;
    for (EqElement* e : outer) DeleteElement(eq, e);

    if (caretTarget && IsTopLevel(caretTarget) && lastLine > firstLine) {
        // The lines after the first are joined to it at the caret.
        const int at = LineIndexOf(eq, FindChainStart(caretTarget));
        EqElement* joinAt = caretTarget;
        for (int n = lastLine - firstLine; n > 0 && at + 1 < int(eq->lines.size()); --n)
            joinAt = JoinLineAfter(eq, at + 1, joinAt);
    }
    InvalidateLineCache(eq, caretTarget);
    eq->needsLayout = 1;
    SetEquationCaret(eq, caretTarget);
    return true;
}

bool DeleteBackward(EqModel* eq, SheetSelection& sel) {
    if (!eq) return false;
    if (sel.exists()) return DeleteSelection(eq, sel);
    if (!eq->caret) return false;
    if (eq->caret->type == EqTypeChainHead && BackspaceInStructure(eq)) return true;
    if (SelectCalcResult(eq, sel)) return true;
    EqElement* caret = eq->caret;
    if (caret->type != EqTypeChainHead) {
        EqElement* before = caret->prev;
        DeleteElement(eq, caret);
        InvalidateLineCache(eq, before);
        eq->needsLayout = 1;
        SetEquationCaret(eq, before);
        return true;
    }
    if (caret->parent) {
        // The head of an argument: the structure becomes the selection, so
        // that a second Backspace deletes it.
        EqElement* structure = caret->parent;
        sel.items.push_back(structure);
        SetElementSelected(structure, true);
        sel.rebuildHitBoxes = true;
        return true;
    }
    const int index = LineIndexOf(eq, caret);
    if (index <= 0) return false;
    EqElement* end = FindChainEnd(eq->lines[size_t(index - 1)]);
    JoinLineAfter(eq, index, end);
    InvalidateLineCache(eq, end);
    SetEquationCaret(eq, end);
    return true;
}

bool DeleteForward(EqModel* eq, SheetSelection& sel) {
    if (!eq) return false;
    if (sel.exists()) return DeleteSelection(eq, sel);
    if (!eq->caret) return false;
    if (DeleteInStructure(eq)) return true;
    if (SelectCalcResult(eq, sel)) return true;
    EqElement* caret = eq->caret;
    if (caret->next) {
        DeleteElement(eq, caret->next);
        InvalidateLineCache(eq, caret);
        eq->needsLayout = 1;
        return true;
    }
    if (!IsTopLevel(caret)) return false;
    const int index = LineIndexOf(eq, FindChainStart(caret));
    if (index < 0 || index + 1 >= int(eq->lines.size())) return false;
    JoinLineAfter(eq, index + 1, caret);
    InvalidateLineCache(eq, caret);
    SetEquationCaret(eq, caret);
    return true;
}

bool BreakLine(EqModel* eq, SheetSelection& sel) {
    if (!eq) return false;
    if (sel.exists()) DeleteSelection(eq, sel);
    EqElement* caret = GetEquationCaret(eq);
    if (!caret || !IsTopLevel(caret)) return false;
    const int index = LineIndexOf(eq, FindChainStart(caret));
    if (index < 0) return false;
    if (caret->type == EqTypeChainHead) {
        InsertLine(eq, index);
        return true;
    }
    EqElement* head = InsertLine(eq, index + 1);
    if (EqElement* run = DetachRun(caret->next)) InsertRunAfter(head, run);
    InvalidateLineCache(eq, caret);
    SetEquationCaret(eq, head);
    return true;
}

bool EnterMakesArrayCell(EqModel* eq) {
    EqElement* caret = eq ? GetEquationCaret(eq) : nullptr;
    if (!caret || IsTopLevel(caret)) return false;
    const EqElement* structure = FindChainStart(caret)->parent;
    if (!IsColumnArray(structure)) return structure && !KeepsItsArguments(structure->type);
    return structure->children.size() < kMaxArrayCellsForEnter;
}

bool EnterInStructure(EqModel* eq, SheetSelection& sel) {
    if (!eq) return false;
    if (sel.exists()) DeleteSelection(eq, sel);
    if (!EnterMakesArrayCell(eq)) return false;
    EqElement* caret = GetEquationCaret(eq);
    EqElement* head = FindChainStart(caret);
    EqElement* structure = head->parent;
    if (!IsColumnArray(structure)) {
        WrapChainInArray(eq, head);
        return EnterInStructure(eq, sel);
    }
    const int index = ChildIndexOf(structure, head);
    if (index < 0) return false;
    EqElement* cell;
    if (caret == head) {
        cell = InsertChildChain(eq, structure, index);
    } else {
        cell = InsertChildChain(eq, structure, index + 1);
        if (EqElement* run = DetachRun(caret->next)) InsertRunAfter(cell, run);
    }
    InvalidateLineCache(eq, structure);
    eq->needsLayout = 1;
    SetEquationCaret(eq, cell);
    return true;
}

MatrixLineResult CheckMatrixLine(EqModel* eq, int direction, bool add) {
    if (!eq || direction < 0 || direction > 3 || !eq->caret) return MatrixLineResult::NoMatrix;
    int cell = 0;
    const EqElement* m = MatrixAtCaret(eq, &cell, false);
    if (!m) {
        // Adding first wraps an argument that can hold an array into a
        // column array of one cell, which always takes a line.
        const EqElement* head = FindChainStart(eq->caret);
        const bool wraps = add && head->parent && !KeepsItsArguments(head->parent->type);
        return wraps ? MatrixLineResult::Done : MatrixLineResult::NoMatrix;
    }
    const MatrixShape shape = GetMatrixShape(m);
    const int columns = std::max(1, shape.count1), rows = std::max(1, shape.count2);
    const bool rowWise = direction == 1 || direction == 3;
    if (int(m->children.size()) != rows * columns) return MatrixLineResult::Refused;
    const bool refused = add ? (rowWise ? rows >= kMaxMatrixRows : columns > kMaxMatrixColumns)
                             : (rowWise ? rows : columns) <= 1;
    return refused ? MatrixLineResult::Refused : MatrixLineResult::Done;
}

MatrixLineResult AddMatrixLine(EqModel* eq, SheetSelection& sel, int direction) {
    if (!eq) return MatrixLineResult::NoMatrix;
    if (sel.exists()) ForgetSelection(sel);
    if (const MatrixLineResult check = CheckMatrixLine(eq, direction, true); check != MatrixLineResult::Done)
        return check;
    int cell = 0;
    EqElement* m = MatrixAtCaret(eq, &cell, true);
    if (!m) return MatrixLineResult::NoMatrix;
    const MatrixShape shape = GetMatrixShape(m);
    const int columns = std::max(1, shape.count1), rows = std::max(1, shape.count2);
    const bool rowWise = direction == 1 || direction == 3;
    const int row = cell / columns, column = cell % columns;
    EqElement* target = nullptr;
    if (rowWise) {
        const int newRow = direction == 1 ? row : row + 1;
        for (int c = 0; c < columns; ++c) {
            EqElement* head = InsertChildChain(eq, m, newRow * columns + c);
            if (c == column) target = head;
        }
        SetMatrixShape(columns, m, rows + 1);
    } else {
        const int newColumn = direction == 0 ? column : column + 1;
        // Last row first, so that the earlier indices stay valid.
        for (int r = rows - 1; r >= 0; --r) {
            EqElement* head = InsertChildChain(eq, m, r * columns + newColumn);
            if (r == row) target = head;
        }
        SetMatrixShape(columns + 1, m, rows);
    }
    InvalidateLineCache(eq, m);
    eq->needsLayout = 1;
    SetEquationCaret(eq, target);
    return MatrixLineResult::Done;
}

MatrixLineResult RemoveMatrixLine(EqModel* eq, SheetSelection& sel, int direction) {
    if (!eq) return MatrixLineResult::NoMatrix;
    if (sel.exists()) ForgetSelection(sel);
    if (const MatrixLineResult check = CheckMatrixLine(eq, direction, false); check != MatrixLineResult::Done)
        return check;
    int cell = 0;
    EqElement* m = MatrixAtCaret(eq, &cell, false);
    if (!m) return MatrixLineResult::NoMatrix;
    const MatrixShape shape = GetMatrixShape(m);
    const int columns = std::max(1, shape.count1), rows = std::max(1, shape.count2);
    const bool rowWise = direction == 1 || direction == 3;
    const int row = cell / columns, column = cell % columns;
    eq->caret = nullptr;
    if (rowWise) {
        for (int c = columns - 1; c >= 0; --c) RemoveChildChain(eq, m, row * columns + c);
        SetMatrixShape(columns, m, rows - 1);
    } else {
        for (int r = rows - 1; r >= 0; --r) RemoveChildChain(eq, m, r * columns + column);
        SetMatrixShape(columns - 1, m, rows);
    }
    // The caret goes to the neighbour that took the removed line's place
    // (the one before it when the last line went).
    const int newColumns = rowWise ? columns : columns - 1;
    const int newRows = rowWise ? rows - 1 : rows;
    const int r = rowWise ? std::min(row, newRows - 1) : row;
    const int c = rowWise ? column : std::min(column, newColumns - 1);
    InvalidateLineCache(eq, m);
    eq->needsLayout = 1;
    SetEquationCaret(eq, m->children[size_t(r * newColumns + c)]);
    return MatrixLineResult::Done;
}

}  // namespace toliva
