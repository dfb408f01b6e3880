// The compound templates of the symbol bars (symbol key kind 15): a few
// structures and symbols inserted one after the other at the caret. No undo
// here: the sheet takes one snapshot around the whole template.
#pragma once

#include "sheet/editing/EditOps.h"
#include "sheet/editing/Selection.h"

namespace toliva {

class EqModel;

// True for a number that names a template:
//   8 to 11  a wide accent that becomes the base of an over or under script
//            (8: 210 over, 9: 226 under, 10: 216 over, 11: 232 under);
//   32, 33   a round (32) or curly (33) bracket pair with a middle delimiter;
//   34 to 36 the bra, the ket and the bracket of a bra and a ket;
//   64, 65   a fraction (64) or a bevelled fraction (65) in a small group.
bool IsTemplateNumber(int number);

// Inserts template number at the caret through insert (a selection goes
// into the first structure inserted). False, with nothing inserted, for a
// number that names no template.
bool InsertTemplate(EqModel* eq, SheetSelection& selection, int number, const KeyInserter& insert);

}  // namespace toliva
