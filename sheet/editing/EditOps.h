// The core of insertion and deletion at the caret: a new element or
// structure with its empty argument chains (wrapping the selection), deleting
// before and after the caret and the selection, and breaking and joining
// top-level lines. No dialogs and no undo: the sheet pushes its undo snapshot
// before each of these and drops an unchanged one after.
#pragma once

#include "model/EqElement.h"

#include "sheet/editing/Selection.h"

#include <cstdint>
#include <functional>

namespace toliva {

class EqModel;

// What a key inserts: an element type, its character and two option bytes
// (the row and column counts of matrix types).
struct InsertionKey {
    int32_t type = 1;
    uint16_t ch = 0;
    uint8_t opt1 = 0, opt2 = 0;
};

// How a new element of a type gets its child chains.
enum ArgumentBuilder : int {
    BuildCharacter = 0,  // no chains; the caret goes after the element
    BuildOneArgument,
    BuildTwoFirst,       // two chains, the first one typed first
    BuildTwoSecond,
    BuildThreeLast,
    BuildThreeFirst,
    BuildThreeMiddle,
    BuildNArguments,     // as many chains as the key's first option byte
    BuildMatrixCells,    // rows x columns from the key's option bytes
    BuildBracketPair,    // one chain; a selection of several lines becomes a column array
};

// The builder of an element type.
ArgumentBuilder ArgumentBuilderOf(int32_t type);

// The chains a builder makes for a key: their count, the chain that takes a
// wrapped selection and the chain the caret goes into without and with one.
struct BuilderChains {
    int chains = 0;
    int selectionChain = -1;
    int caretChain = -1;
    int caretChainWithSelection = -1;
};
BuilderChains ChainsOfBuilder(ArgumentBuilder builder, const InsertionKey& key);

// Runs after a character element is inserted: the place where automatic
// formatting and TeX typing change the new character (its type and marks).
using TypedCharacterHook = std::function<void(EqModel*, EqElement*)>;

// Inserts the key after the caret (an equation without caret gets an empty
// line first). A selection is deleted first; a structure receives it in the
// chain its builder names when it lay in one chain. Returns the new element;
// the caret is placed and the selection forgotten.
EqElement* InsertKey(EqModel*, SheetSelection&, const InsertionKey&,
                     const TypedCharacterHook& characterHook = nullptr);

// Inserts one key at the equation's caret and returns the new element: the
// way operations built of several insertions (templates, matrix fills) type.
// The sheet hands its typing path (key normalisation, automatic formatting);
// without a sheet InsertKey with the selection does.
using KeyInserter = std::function<EqElement*(const InsertionKey&)>;

// Deletes the selected elements; across top-level lines the lines are joined
// at the caret, which goes to the element before the selection. False without
// a selection.
bool DeleteSelection(EqModel*, SheetSelection&);
// Backspace: the selection, or the element before the caret; at the head of an
// argument chain the enclosing structure becomes the selection; at the head of
// a top-level line the line joins the previous one. A caret in a calculation
// result selects the result. False when nothing happened.
bool DeleteBackward(EqModel*, SheetSelection&);
// Delete: the selection, or the element after the caret; at the end of a
// top-level line the next line joins it. False when nothing happened.
// In a column array (370, 372), Delete at the end of a cell that is not the
// last joins the next cell to it and Backspace at the head of a cell that is
// not the first joins it to the previous one; an array left with one cell
// gives its elements to the chain it stands in.
bool DeleteForward(EqModel*, SheetSelection&);
// Enter in a top-level line: at its head an empty line goes before it,
// elsewhere the line is split and the caret goes to the new line's head.
// False inside an argument chain.
bool BreakLine(EqModel*, SheetSelection&);

// Enter inside a structure: in a column array (370, 372) with fewer than
// kMaxArrayCellsForEnter cells a new cell goes before the caret's cell when
// the caret is at its head, else after it, taking the elements after the
// caret; the caret goes to the new cell's head. In the argument of another
// structure (not a matrix, an integral or a fraction) the argument's content
// first becomes the one cell of a column array (aligned for radicals).
// False when the caret is in a top-level line or nothing happened.
bool EnterInStructure(EqModel*, SheetSelection&);
// Whether EnterInStructure would make a new cell at the caret (asked before
// the undo snapshot, so that an Enter that does nothing leaves no step).
bool EnterMakesArrayCell(EqModel*);
constexpr size_t kMaxArrayCellsForEnter = 30;

// Rows and columns of the matrix around the caret; direction 0 left, 1 up,
// 2 right, 3 down. A caret in an argument that can hold an array is first
// wrapped into a column array.
enum class MatrixLineResult { Done, Refused, NoMatrix };
constexpr int kMaxMatrixRows = 32;     // no row is added at this count
constexpr int kMaxMatrixColumns = 32;  // no column is added above this count
// Whether AddMatrixLine (add) or RemoveMatrixLine would change the matrix
// around the caret; changes nothing.
MatrixLineResult CheckMatrixLine(EqModel*, int direction, bool add);
// Adds an empty row above (1) or below (3) the caret's row, or an empty
// column left (0) or right (2) of its column; the caret goes to the new cell
// in its column or row.
MatrixLineResult AddMatrixLine(EqModel*, SheetSelection&, int direction);
// Removes the caret's row (1, 3) or column (0, 2) with its cells; refused
// when the cells do not fill rows x columns or only one row or column is
// left. The caret goes to the cell that took the removed one's place.
MatrixLineResult RemoveMatrixLine(EqModel*, SheetSelection&, int direction);

// A copy of e alone (not the elements after it) with its child chains,
// standing nowhere.
EqElement* CopyElementTree(const EqElement* e, EqModel* eq);

}  // namespace toliva
