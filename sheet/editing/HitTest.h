// Element look-ups on the laid-out equation: which element lies under a point,
// which element of a type range the context menus act on, the neighbouring
// lines, and the element above or below a caret position.
//
// Every element carries the boxes drawing left on it: `rect` (its drawn box)
// and, for a chain head, `origin` (the box of its whole chain). The lines
// placed by the last layout are the equation's `placements`.
#pragma once

#include "model/EqElement.h"

#include <QPointF>

namespace toliva {

class EqModel;
struct SheetSelection;

// The first element of the chain from first whose box holds the point; when
// it has child chains, the deepest element found in them (in chain order),
// else the element itself. Null when no box holds the point.
EqElement* ElementAtPoint(EqElement* first, QPointF point);
// The line placed by the last layout whose box holds the point, then
// ElementAtPoint on its elements.
EqElement* ElementAtPointInLines(EqModel* eq, QPointF point);
// The element a click at the point puts the caret after: each element's box
// is widened by the display scale d at both sides (3 d at the left of a chain
// head) and reaches up and down by base font size x spacing factor 1 x d. A
// head is returned as it is; a structure is searched in its chains first;
// otherwise the right half of a box gives the element, the left half the
// element before it.
EqElement* CaretHitElement(EqElement* first, QPointF point, float displayScale);
// The caret element for a click anywhere on the sheet: the placed line whose
// vertical span holds the point (else the nearest one), CaretHitElement on it,
// and when that finds nothing the line's head (left of the line) or its last
// element. Null without placed lines.
EqElement* CaretHitInLines(EqModel* eq, QPointF point, float displayScale);

// The element a context-menu command acts on, of a type equal to lo or in
// lo..hi. Without a selection: the element under the cursor, or with
// ancestors its nearest enclosing element in the range. With one: the first
// selected element, else the first following selected element in the range.
EqElement* FindTypedElementForMenu(EqModel* eq, const SheetSelection& selection, QPointF cursor, int lo, int hi,
                                   bool ancestors);
// The one selected matrix, or the matrix that is the first element of the
// only child chain of the one selected element; null otherwise.
EqElement* SelectedMatrix(const SheetSelection& selection);

// The head of the line after lineHead in its equation; null after the last.
EqElement* LineAfter(EqElement* lineHead);
// The head of the top-level line after (before) the one holding e.
EqElement* NextLineHead(EqElement* e);
EqElement* PreviousLineHead(EqElement* e);

// The chain one step up (direction -1) or down (+1) from e inside the
// structure that holds e's chain: a matrix's cell one row up or down; for
// another structure with several chains, the other chain whose vertical centre
// lies nearest in that direction. Null otherwise.
EqElement* VerticalNeighbourChain(EqElement* e, int direction);
// The element of the chain from head whose left or right edge lies nearest to
// e's right edge (the first one on a tie).
EqElement* NearestByX(const EqElement* e, EqElement* head);
// The caret position above (below) e: the first vertical neighbour chain from
// e up through its parents, else the previous (next) line; null when none.
EqElement* ElementAbove(EqElement* e);
EqElement* ElementBelow(EqElement* e);

// Cells across a matrix element (369-372) and cells down.
int MatrixColumnCount(const EqElement* matrix);
int MatrixRowCount(const EqElement* matrix);

}  // namespace toliva
