// The sheet's selection: the list of selected elements, the hit boxes that
// order two elements, range and word selection, the highlight, restyling and
// recolouring of what is selected, the find marks, and small scanners the line
// evaluation shares.
#pragma once

#include "sheet/editing/ElementWork.h"

#include "platform/gdiplus/GpTypes.h"

#include <QPoint>
#include <QPointF>
#include <QRect>

#include <vector>

namespace toliva {

namespace gp {
class Graphics;
}

class EqModel;
struct RenderContext;

// One element's rounded drawn box in the walk of every line, depth first;
// depth 0 for the elements of top-level lines.
struct HitBox {
    EqElement* element;
    int left, top, right, bottom;
    int depth;
};

struct SheetSelection {
    std::vector<EqElement*> items;  // the selection list, document order
    EqElement* anchor = nullptr;    // mouse / Shift anchor
    EqElement* appliedAnchor = nullptr;
    EqElement* appliedEnd = nullptr;
    std::vector<QRect> highlight;  // built while composing
    std::vector<HitBox> hitBoxes;
    bool rebuildHitBoxes = true;
    int foundPatternLength = 0;

    bool exists() const { return !items.empty(); }
    // After the elements were freed (an undo restore): forgets every pointer
    // without touching an element.
    void forgetElements() {
        items.clear();
        anchor = appliedAnchor = appliedEnd = nullptr;
        highlight.clear();
        hitBoxes.clear();
        rebuildHitBoxes = true;
    }
};

// The selection brush.
constexpr gp::ARGB kSelectionFill = 0x328080FF;

// Rebuilds the hit boxes when asked to (rebuildHitBoxes) and numbers every
// element in walk order (its running index).
void RebuildHitBoxes(EqModel* eq, SheetSelection& selection);
// With rebuild, first rebuilds the hit boxes when needed; empties the list,
// forgets the applied anchor pair and clears the selected bytes.
void ClearSelection(EqModel* eq, SheetSelection& selection, bool rebuild);
// Selects e, or the calculation result that holds it.
void AddToSelection(SheetSelection& selection, EqElement* e);
// Selects first and the elements after it up to and including last.
void SelectRun(SheetSelection& selection, EqElement* first, EqElement* last);
// Selects what lies between two caret positions: ends in different chains of
// one line are raised to the elements that share a chain (different argument
// chains of one structure select the structure); ends in different lines to
// their top-level elements. A caret position's own element is not selected,
// an element an end was raised to is.
void SelectRange(EqModel* eq, SheetSelection& selection, EqElement* anchor, EqElement* caret);
// Selects every line (the first line's head left out); puts the caret at the
// end of the last line and returns it.
EqElement* SelectAll(EqModel* eq, SheetSelection& selection);
// Double click, the caret already placed at the point: inside the caret's line
// the word around the caret (neighbouring characters up to a space), outside
// it the rest of the caret's chain.
void SelectWordAt(EqModel* eq, SheetSelection& selection, QPointF point);
// True when the point lies in a highlight rectangle; unionOut gets the union
// of the rectangles tested.
bool PointInSelection(const SheetSelection& selection, QPoint point, QRect* unionOut);
// 2: no selection, or first and last in the caret's line with the first
// after an element and the last before one, or both in argument chains;
// 1: in the caret's line otherwise; 0: elsewhere.
int SelectionScope(EqModel* eq, const SheetSelection& selection);
// The selection from its first non-head entry on; empty when a head follows.
std::vector<EqElement*> FirstSelectedElements(const SheetSelection& selection);
// Fills each selected element's box of the placed lines and rebuilds the
// highlight rectangles (neighbours with the same top and bottom merged).
void PaintSelection(EqModel* eq, SheetSelection& selection, gp::Graphics& graphics);

// Style 1-5, 16, 17 (the character types), or -1 to toggle upright/italic
// (1<->2, 3<->4). Without a selection only the caret element is restyled, and
// only a character of types 1-4 or a glyph symbol. Child chains are restyled;
// following unselected elements are not. True when something changed.
bool RestyleSelection(EqModel* eq, const SheetSelection& selection, int style, const RenderContext* context);
// Restyles one element and its child chains. A glyph whose code changes gets
// its outline from the context's symbol library.
bool RestyleElement(EqElement* e, int style, const RenderContext* context);
// Colour on every selected element and its child chains.
void SetSelectionColourOn(const SheetSelection& selection, gp::ARGB colour);
// The phantom kind byte on every selected element and its child chains; the
// caret-mark bit of undo snapshots stays as it is.
void SetSelectionFlagsOn(const SheetSelection& selection, uint8_t flags);

// F3: marks every occurrence of the selected run in the equation (the run
// itself too); returns the run's length, 0 when the selection is not one run.
int MarkOccurrences(EqModel* eq, SheetSelection& selection);
// With flag, clears the marks of every line; forgets the pattern length.
void ResetFindMarks(EqModel* eq, SheetSelection& selection, bool flag);

// From e backwards over blank characters and space elements: the first other
// element, or null.
EqElement* SkipBackOverSpaces(EqElement* e);
// e when it is a subscript (174), stored in out too; else null.
EqElement* IsScriptOfType174(EqElement* e, EqElement** out);

}  // namespace toliva
