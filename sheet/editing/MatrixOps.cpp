#include "MatrixOps.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/ShapeObject.h"

#include <algorithm>
#include <array>
#include <vector>

namespace toliva {
namespace {

constexpr int32_t kEllipsisAcross = 1106;
constexpr int32_t kEllipsisDown = 1107;
constexpr int32_t kEllipsisFalling = 1108;
constexpr int32_t kEllipsisRising = 1109;

int clampCount(int n) { return std::clamp(n, 1, kMaxMatrixDialogCount); }

uint16_t flagsOf(const MatrixChoice& choice) {
    const int alignment = std::clamp(choice.alignment, 0, 4);
    return uint16_t(alignment | LineSpacingCode(choice.lineSpacingEntry) << 8 | (choice.scriptSize ? 0x10 : 0));
}

MatrixRecord fixedRecord(int32_t type, uint16_t flags, int count1, int count2 = 0) {
    return {type, flags, uint8_t(count1), uint8_t(count2)};
}

// The ellipsis operator of a name pair (text ".", subscript "-", "|", "\" or
// "/"), 0 for any other pair.
int32_t ellipsisOf(const QString& text, const QString& subscript) {
    if (text != QLatin1String(".")) return 0;
    if (subscript == QLatin1String("-")) return kEllipsisAcross;
    if (subscript == QLatin1String("|")) return kEllipsisDown;
    if (subscript == QLatin1String("\\")) return kEllipsisFalling;
    if (subscript == QLatin1String("/")) return kEllipsisRising;
    return 0;
}

// The matrix's line is laid out and drawn again.
void markChanged(EqElement* matrix) {
    if (!matrix->owner) return;
    InvalidateLineCache(matrix->owner, matrix);
    matrix->owner->needsLayout = 1;
}

void typeText(const QString& text, int32_t type, const KeyInserter& insert) {
    for (const QChar c : text) insert(InsertionKey{type, c.unicode()});
}

}  // namespace

EqElement* MatrixAroundCaret(EqModel* eq) {
    EqElement* caret = eq ? GetEquationCaret(eq) : nullptr;
    if (!caret) return nullptr;
    if (IsMatrixType(caret->type)) return caret;
    for (EqElement* head = FindChainStart(caret); head && head->parent; head = FindChainStart(head->parent))
        if (IsMatrixType(head->parent->type)) return head->parent;
    return nullptr;
}

int LineSpacingCode(int entry) {
    static constexpr std::array<int, 5> kCodes = {1, 2, 0, 3, 4};
    return entry >= 0 && entry < int(kCodes.size()) ? kCodes[size_t(entry)] : 0;
}

MatrixRecord MatrixRecordOf(int mode, const MatrixChoice& choice) {
    const int rows = clampCount(choice.rows), columns = clampCount(choice.columns);
    const uint16_t flags = flagsOf(choice);
    switch (mode) {
    case 1: return fixedRecord(EqTypeMatrixRow, flags, columns);
    case 2: return fixedRecord(EqTypeMatrixColumn, flags, rows);
    default:
        if (rows > 1 && columns > 1) return fixedRecord(EqTypeMatrix, flags, rows, columns);
        if (columns > 1) return fixedRecord(EqTypeMatrixRow, flags, columns);
        if (rows > 1) return fixedRecord(EqTypeMatrixColumn, flags, rows);
        return {};
    }
}

MatrixRecord CasesRecordOf(const MatrixChoice& choice) {
    return fixedRecord(EqTypeCases, flagsOf(choice), clampCount(choice.rows));
}

InsertionKey KeyOfRecord(const MatrixRecord& record) {
    return InsertionKey{record.type, record.flags, record.count1, record.count2};
}

bool MatrixTemplatePlanOf(int number, MatrixTemplatePlan* plan) {
    MatrixTemplatePlan p;
    // Rows of the symbol bar: each shape once plain and once in round,
    // square and bar brackets, twelve numbers apart.
    if (number >= 76 && number <= 111) {
        static constexpr int32_t kBrackets[] = {337, 338, 341};
        const int group = (number - 76) / 12;
        p.bracket = kBrackets[group];
        number -= 12 * (group + 1);
    }
    switch (number) {
    case 57: p.record = fixedRecord(EqTypeMatrixColumn, 0, 1); break;
    case 116:
    case 117:
        p.bracket = 355;
        p.record = fixedRecord(EqTypeMatrixColumn, 0, number - 114);
        break;
    case 118:
        p.asksDialog = true;
        p.cases = true;
        p.request.mode = 2;
        p.request.alignment = 1;
        p.request.hideFill = true;
        break;
    case 119:
    case 120:
        p.bracket = 362;
        p.record = fixedRecord(EqTypeMatrixColumn, 2, number - 117);
        break;
    case 121: p.record = fixedRecord(EqTypeCases, 1, 2); break;
    case 122:
    case 123:
        p.bracket = number == 122 ? 355 : 362;
        p.record = fixedRecord(EqTypeMatrix, 0, 2, 2);
        break;
    default: {
        if (number < 64 || number > 75) return false;
        // Threes of a column, a row and a square matrix: asked in the
        // matrix dialog (64 to 66), then of two, three and four.
        const int kind = (number - 64) % 3;
        const int size = 1 + (number - 64) / 3;
        if (size == 1) {
            p.asksDialog = true;
            p.request.mode = kind == 0 ? 2 : kind == 1 ? 1 : 0;
            p.request.alignment = -1;
            p.request.wantNames = true;
        } else if (kind == 0) {
            p.record = fixedRecord(EqTypeMatrixColumn, 0, size);
        } else if (kind == 1) {
            p.record = fixedRecord(EqTypeMatrixRow, 0, size);
        } else {
            p.record = fixedRecord(EqTypeMatrix, 0, size, size);
        }
        break;
    }
    }
    if (plan) *plan = p;
    return true;
}

TemplateResult InsertMatrixTemplate(EqModel* eq, int number, EditDialogService& dialogs, const KeyInserter& insert) {
    MatrixTemplatePlan plan;
    if (!eq || !insert || !MatrixTemplatePlanOf(number, &plan)) return TemplateResult::Unknown;
    MatrixChoice choice;
    if (plan.asksDialog) {
        if (!dialogs.chooseMatrix(plan.request, &choice)) return TemplateResult::Cancelled;
        plan.record = plan.cases ? CasesRecordOf(choice) : MatrixRecordOf(plan.request.mode, choice);
        if (plan.record.type == 0) return TemplateResult::Cancelled;
    }
    if (plan.bracket) insert(InsertionKey{plan.bracket, 0});
    EqElement* matrix = insert(KeyOfRecord(plan.record));
    if (matrix && plan.asksDialog) {
        if (choice.partition) EditMatrixRules(matrix, dialogs);
        if (plan.request.wantNames && !choice.names.isEmpty())
            FillMatrixCells(eq, matrix, choice.names, choice.entryStyle, insert);
    }
    return TemplateResult::Inserted;
}

int32_t EntryStyleType(int entryStyle) {
    switch (entryStyle) {
    case 1: return EqTypeCharItalic;
    case 2: return EqTypeCharBold;
    case 3: return EqTypeCharBoldItalic;
    default: return EqTypeCharUpright;
    }
}

int FillMatrixCells(EqModel* eq, EqElement* matrix, const QStringList& names, int entryStyle,
                    const KeyInserter& insert) {
    if (!eq || !matrix || !insert || !inRange(matrix->type, EqTypeMatrixRow, EqTypeMatrix)) return 0;
    const int32_t type = EntryStyleType(entryStyle);
    // The cells are taken first: typing never adds or removes cells.
    const std::vector<EqElement*> cells = matrix->children;
    int filled = 0;
    for (size_t i = 0; i < cells.size() && 2 * i < size_t(names.size()); ++i) {
        const QString& text = names[qsizetype(2 * i)];
        const QString subscript = 2 * i + 1 < size_t(names.size()) ? names[qsizetype(2 * i + 1)] : QString();
        if (text.isEmpty()) continue;
        EqElement* cell = cells[i];
        cell->shape.reset();
        SetEquationCaret(eq, FindChainEnd(cell));
        if (const int32_t ellipsis = ellipsisOf(text, subscript)) {
            insert(InsertionKey{ellipsis, 0});
        } else {
            typeText(text, type, insert);
            if (!subscript.isEmpty()) {
                insert(InsertionKey{EqTypeSubscript, 0});
                typeText(subscript, EqTypeCharItalic, insert);
            }
        }
        ++filled;
    }
    return filled;
}

bool MatrixLinesRequestOf(const EqElement* matrix, MatrixLinesRequest* request) {
    if (!matrix || !inRange(matrix->type, EqTypeMatrixRow, EqTypeMatrix)) return false;
    const MatrixShape shape = GetMatrixShape(matrix);
    if (shape.count1 + shape.count2 <= 2) return false;
    if (request) {
        request->rows = shape.count2;
        request->columns = shape.count1;
        std::copy(std::begin(shape.rules), std::end(shape.rules), request->rules);
    }
    return true;
}

bool EditMatrixRules(EqElement* matrix, EditDialogService& dialogs) {
    MatrixLinesRequest request;
    if (!MatrixLinesRequestOf(matrix, &request) || !dialogs.editMatrixLines(request)) return false;
    SetMatrixRules(matrix, request.rules);
    markChanged(matrix);
    return true;
}

bool CanTransposeMatrix(const EqElement* matrix) {
    if (!matrix || !inRange(matrix->type, EqTypeMatrixRow, EqTypeMatrix)) return false;
    const MatrixShape shape = GetMatrixShape(matrix);
    return shape.count1 + shape.count2 > 2 && size_t(shape.count1) * size_t(shape.count2) == matrix->children.size();
}

bool TransposeMatrix(EqElement* matrix) {
    if (!CanTransposeMatrix(matrix)) return false;
    const MatrixShape shape = GetMatrixShape(matrix);
    const int columns = shape.count1, rows = shape.count2;

    std::vector<EqElement*> cells(matrix->children.size());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) cells[size_t(c * rows + r)] = matrix->children[size_t(r * columns + c)];
    matrix->children = std::move(cells);

    if (matrix->type == EqTypeMatrix)
        std::swap(matrix->payload[0], matrix->payload[1]);
    else
        matrix->type = matrix->type == EqTypeMatrixRow ? EqTypeMatrixColumn : EqTypeMatrixRow;

    // The masks of the lines between columns and of the lines between rows
    // come in pairs; they change places.
    uint8_t record[32] = {};
    for (int mask = 0; mask < 8; ++mask)
        std::copy_n(shape.rules + 4 * (mask ^ 1), 4, record + 4 * mask);
    if (std::any_of(std::begin(record), std::end(record), [](uint8_t b) { return b != 0; }))
        SetMatrixRules(matrix, record);

    for (EqElement* cell : matrix->children) {
        EqElement* only = cell->next;
        if (!only || only->next) continue;
        if (only->type == kEllipsisAcross)
            only->type = kEllipsisDown;
        else if (only->type == kEllipsisDown)
            only->type = kEllipsisAcross;
    }
    markChanged(matrix);
    return true;
}

}  // namespace toliva
