// Line evaluation: reads the elements before an equals sign into the
// calculator's token list (sheet/calc/CKwEECal.h) and places a calculation
// result element (type 64) after the equals sign. Structures are evaluated
// through their chains, named functions and user constants are recognised,
// and single-letter variables take the value of an earlier definition
// "x = ..." in the equation. No widgets: the sheet passes its equation,
// selection, constants and variable cache in a context.
#pragma once

#include <vector>

namespace toliva {

class EqModel;
struct EqElement;
struct SheetSelection;
struct UserConstant;

// The values of definitions computed while every line is evaluated.
struct VariableCache {
    struct Entry {
        const EqElement* definition;
        double value;
    };
    std::vector<Entry> entries;
};

struct LineCalcContext {
    EqModel* eq = nullptr;
    SheetSelection* selection = nullptr;
    const std::vector<UserConstant>* constants = nullptr;  // may be null
    VariableCache* cache = nullptr;  // only while every line is evaluated
    // The definitions whose values are being computed: a definition met
    // again through its own value is a cycle.
    std::vector<const EqElement*> evaluating;
    // Set when an evaluation failed on a cycle of definitions.
    bool cycle = false;
};

// ',', ';', their full-width forms and the equals sign element (1049).
bool IsCalcSeparator(const EqElement* e);

// Reads first .. last into tokens and evaluates them; false when the range
// does not evaluate.
bool EvaluateRange(LineCalcContext& context, double* out, EqElement* first, EqElement* last);
// The expression directly before or after an equals sign, up to the nearest
// head, equals sign or separator.
bool EvaluateLeftOf(LineCalcContext& context, EqElement* equals, double* out);
bool EvaluateRightOf(LineCalcContext& context, EqElement* equals, double* out);

// Inserts a result element at the caret with the value and its number
// format and angle options, and makes it the caret element.
EqElement* InsertResult(LineCalcContext& context, double value, int format, int angle);
// Evaluates left of the equals sign; on success the selection (an old
// result) is deleted and a new result follows the equals sign. Nothing
// changes on failure.
bool EvaluateAndInsert(LineCalcContext& context, EqElement* equals, int format, int angle);
// From the equals sign, the run of equals signs up to a stop (',', ';',
// their full-width forms, '°'): the value goes after the last one, replacing
// an old result (whose options it keeps) or whatever stood there.
bool PlaceResultAfter(LineCalcContext& context, EqElement* equals);
// Evaluates every equals sign of the top-level line that holds the element,
// inside its structures too. The marks of the equals signs are clear
// afterwards. Returns whether a result was placed.
bool CalcLine(LineCalcContext& context, EqElement* element);

}  // namespace toliva
