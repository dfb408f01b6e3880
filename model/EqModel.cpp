#include "EqModel.h"
#include "EqSpacing.h"

#include <QImage>

#include <algorithm>
#include <utility>

namespace toliva {
namespace {

// Sets owner on every element of the given lines and their child chains.
void reown(const std::vector<EqElement*>& lines, EqModel* owner) {
    std::vector<EqElement*> chains(lines.begin(), lines.end());
    while (!chains.empty()) {
        EqElement* e = chains.back();
        chains.pop_back();
        for (; e; e = e->next) {
            e->owner = owner;
            chains.insert(chains.end(), e->children.begin(), e->children.end());
        }
    }
}

gp::ARGB defaultColour(const EqModel* eq) { return eq->settings.colours[EqLayoutSettings::ColourText]; }

}  // namespace

EqModel::EqModel() {
    LoadUserLayoutDefaults(this, settings);
    currentColour = defaultColour(this);
}

EqModel::EqModel(const EqLayoutSettings& s) : settings(s) {
    SetupEquationFonts(this);
    currentColour = defaultColour(this);
}

EqModel::~EqModel() {
    ClearEquation(this);
    placements.clear();
}

void EqModel::swap(EqModel& other) {
    using std::swap;
    // Every field; keep this in step with the class.
    swap(flag0, other.flag0);
    swap(flag1, other.flag1);
    swap(ownsChains, other.ownsChains);
    swap(placements, other.placements);
    swap(lines, other.lines);
    swap(caret, other.caret);
    swap(currentColour, other.currentColour);
    swap(widestLine, other.widestLine);
    swap(totalHeight, other.totalHeight);
    swap(caretLineTop, other.caretLineTop);
    swap(caretLineBottom, other.caretLineBottom);
    swap(minScale, other.minScale);
    swap(markHighlight, other.markHighlight);
    swap(outlineText, other.outlineText);
    swap(needsLayout, other.needsLayout);
    swap(viewLineGap, other.viewLineGap);
    swap(fontKinds, other.fontKinds);
    swap(fontMetrics, other.fontMetrics);
    swap(lastStatus, other.lastStatus);
    swap(settings, other.settings);
    swap(warnNewerVersion, other.warnNewerVersion);
    swap(phantomColour, other.phantomColour);
    swap(outputMode, other.outputMode);
    swap(fontsPending, other.fontsPending);
    swap(fonts, other.fonts);
    reown(lines, this);
    reown(other.lines, &other);
}

void DeleteEqModel(EqModel* eq) { delete eq; }

bool IsEquationEmpty(const EqModel* eq) {
    return std::all_of(eq->lines.begin(), eq->lines.end(), [](const EqElement* head) { return !head->next; });
}

EqElement* AddEmptyLine(EqModel* eq) {
    auto* head = new EqElement(eq);
    head->type = EqTypeChainHead;
    eq->lines.push_back(head);
    SetEquationCaret(eq, head);
    return head;
}

void ClearEquation(EqModel* eq) {
    while (!eq->lines.empty()) {
        EqElement* head = eq->lines.back();
        eq->lines.pop_back();
        DeleteEqElement(head);
    }
    // The placements point at the deleted heads.
    eq->placements.clear();
    eq->caret = nullptr;
    eq->currentColour = defaultColour(eq);
}

EqElement* SetEquationCaret(EqModel* eq, EqElement* e) {
    if (!e) {
        if (eq->lines.empty()) AddEmptyLine(eq);
        else eq->caret = FindChainEnd(eq->lines.back());
        return nullptr;
    }
    eq->caret = e;
    if (e->type != EqTypeChainHead) eq->currentColour = e->colour;
    else eq->currentColour = e->next ? e->next->colour : e->colour;
    if (EqElement* result = FindCalcResultAncestor(e)) {
        eq->caret = result;
        return result;
    }
    return nullptr;
}

EqElement* GetEquationCaret(EqModel* eq) {
    if (EqElement* result = FindCalcResultAncestor(eq->caret)) eq->caret = result;
    return eq->caret;
}

bool EquationHasMarks(const EqModel* eq) {
    return std::any_of(eq->lines.begin(), eq->lines.end(), [](const EqElement* head) { return HasMarkedElement(head); });
}

void ClearEquationMarks(EqModel* eq, bool alsoSecond) {
    for (EqElement* head : eq->lines) ClearElementMarks(head, alsoSecond);
}

void InvalidateLineCache(EqModel* eq, EqElement* e) {
    if (!e) e = eq->caret;
    if (EqElement* head = FindLineHead(e)) head->lineBitmap.reset();
}

void InvalidateAllLineCaches(EqModel* eq) {
    for (EqElement* head : eq->lines) head->lineBitmap.reset();
}

void PlaceEquationLines(EqModel* eq, float x, float y, float scale) {
    const float gap = SpacingOf(eq, SpacingLineGap) * eq->settings.fontSize * scale;
    eq->widestLine = 0;
    eq->totalHeight = -gap;
    eq->caretLineTop = 0;
    eq->caretLineBottom = 0;
    const EqElement* caretLine = FindLineHead(GetEquationCaret(eq));
    eq->placements.clear();
    float top = y;
    for (EqElement* head : eq->lines) {
        LinePlacement p;
        p.head = head;
        p.x = x;
        p.y = top + head->chainAscent;
        p.width = head->chainWidth;
        p.ascent = head->chainAscent;
        p.descent = head->chainDescent;
        eq->placements.push_back(p);
        top = p.y + gap + head->chainDescent;
        eq->widestLine = std::max(eq->widestLine, head->chainWidth);
        if (head == caretLine) eq->caretLineTop = eq->totalHeight;
        eq->totalHeight += gap + head->chainAscent + head->chainDescent;
        if (head == caretLine) eq->caretLineBottom = eq->totalHeight;
    }
}

namespace {

// The distance from a line's start to its alignment point.
float lineAlignOffset(const EqElement* head) {
    if (head->alignMark) return head->chainWidth;
    float a = 0;
    float marked = 0;
    if (OffsetToAlignMark(head->next, &marked)) a = head->width + marked;
    else a = OffsetToRelation(head);
    if (a <= 0 && head->next) a = head->width;
    return a;
}

}  // namespace

void AlignEquationLines(EqModel* eq, float x, float y, float width, float height) {
    const float target = std::max(width - 20, eq->widestLine);
    switch (eq->settings.options[EqLayoutSettings::OptLineAlignment]) {
    case 1:
        for (LinePlacement& p : eq->placements) p.x = x + target / 2 - p.width / 2;
        break;
    case 2:
        for (LinePlacement& p : eq->placements) p.x = x + target - p.width;
        break;
    case 3: {
        if (eq->placements.empty()) break;
        float left = 0;
        float right = 0;
        bool first = true;
        for (LinePlacement& p : eq->placements) {
            p.alignOffset = lineAlignOffset(p.head);
            left = first ? p.alignOffset : std::max(left, p.alignOffset);
            right = first ? p.width - p.alignOffset : std::max(right, p.width - p.alignOffset);
            first = false;
        }
        eq->widestLine = left + right;
        for (LinePlacement& p : eq->placements) p.x = x + left - p.alignOffset;
        break;
    }
    default:
        break;
    }
}

}  // namespace toliva
