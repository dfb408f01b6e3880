// One node of the equation tree.
//
// Every line and every argument of a structure is a doubly linked chain whose
// first element is a head of type 0. An element owns its payload, its glyph
// copy, its shape object, its child chains, its line bitmap and the rest of its
// chain after it. Elements are created and destroyed only through the
// functions below; destruction walks chains with loops, never recursion.
#pragma once

#include "EqTypes.h"
#include "platform/gdiplus/GpTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

class QImage;
class QPainter;

namespace toliva {

class EqModel;
class CKwEE_O;
struct GlyphOutline;
struct EqFont;

struct EqElement {
    explicit EqElement(EqModel* owner);
    ~EqElement();  // frees only what the element itself holds; see DeleteEqElement
    EqElement(const EqElement&) = delete;
    EqElement& operator=(const EqElement&) = delete;

    uint8_t work0 = 0;
    uint8_t work1 = 0;
    int32_t workInt = 0;
    int32_t type = EqTypeCharUpright;
    uint8_t mark = 0;
    uint8_t mark2 = 0;
    uint8_t alignMark = 0;
    int8_t phantom = 0;  // kind in the low bits (0-3); 0x10 the caret mark of undo snapshots
    std::vector<uint8_t> payload;
    EqModel* owner = nullptr;
    uint16_t ch = 0;
    uint16_t ch2 = 0;
    float fontSize = 0;
    const EqFont* font = nullptr;
    gp::ARGB colour = 0xFF000000;
    gp::ARGB colour2 = 0xFF000000;
    std::unique_ptr<GlyphOutline> glyph;
    std::unique_ptr<CKwEE_O> shape;
    EqElement* parent = nullptr;
    EqElement* prev = nullptr;
    EqElement* next = nullptr;
    std::vector<EqElement*> children;  // child chain heads, owned
    float xOffset = 0;
    float width = 0;
    float ascent = 0;
    float descent = 0;
    gp::RectF rect{0, 0, 1.0f, 1.0f};
    float chainWidth = 0;
    float chainAscent = 0;
    float chainDescent = 0;
    gp::RectF origin{0, 0, 1.0f, 1.0f};
    gp::PointF linePos;
    std::unique_ptr<QImage> lineBitmap;

    int phantomKind() const { return phantom & 0x0F; }
};

// Phantom kinds.
enum PhantomKind : int8_t { PhantomNone = 0, PhantomHorizontal = 1, PhantomVertical = 2, PhantomFull = 3 };
constexpr int8_t kCaretMarkBit = 0x10;

// Creates an element of parent's equation with parent's colour. With a
// predecessor: of the given type, linked right after it (the predecessor's old
// successor is not relinked). Without: a type-0 head appended as parent's last
// child chain. A null parent with a predecessor makes an element of a
// top-level line (the predecessor's equation, its current colour); null for
// both gives null.
EqElement* NewChildElement(EqElement* parent, int32_t type, uint16_t ch, EqElement* predecessor);

// Destroys the element, the rest of its chain after it and everything they own.
void DeleteEqElement(EqElement* e);
// Drops the line bitmap and deletes every child chain, last first.
void DeleteChildChains(EqElement* e);
// Unlinks e from its chain (neighbours joined) without deleting it.
void UnlinkElement(EqElement* e);

void SetChainParent(EqElement* first, EqElement* parent);
// Removes every type-0 element after the first place of the chain.
void RemoveInnerChainHeads(EqElement* chain);

// Colour: colour boxes (249-251) get the colour as payload, other elements as
// opaque ARGB together with their child chains.
void SetElementColour(EqElement* e, uint32_t colorref, bool withFollowing);
void SetBoxColour(EqElement* e, uint32_t colorref);
gp::ARGB GetBoxColour(const EqElement* e);  // 0xFFD3D3D3 with fewer than three bytes
gp::ARGB GetElementDrawColour(const EqElement* e, int roleIndex);

bool HasMarkedElement(const EqElement* chain);
void ClearElementMarks(EqElement* chain, bool alsoSecond);
void SetPhantomKind(EqElement* e, int8_t kind, bool withFollowing);
// Gives e and everything in it the phantom kind, except parts that already
// have a kind of their own (a phantom inside a phantom); the other bits of
// the phantom byte stay.
void SetPhantomKindKeepingInner(EqElement* e, int8_t kind);
void SetAlignMark(EqElement* e);

float GetSpaceAmount(const EqElement* e);
void SetSpaceAmount(EqElement* e, float amount);

struct CalcResult {
    double value = 0;
    double second = 0;
    uint8_t format = 0;
    uint8_t angle = 0;
};
bool GetCalcResult(const EqElement* e, CalcResult* out);
void SetCalcResult(EqElement* e, const CalcResult& r);
void GetCalcResultOptions(const EqElement* e, uint8_t* format, uint8_t* angle);
void SetCalcResultOptions(EqElement* e, uint8_t format, uint8_t angle);

// Matrix shape: count1 cells across (369), count2 down (370, 372), both (371).
struct MatrixShape {
    int count1 = 0;
    int count2 = 0;
    uint8_t rules[32] = {};
};
void SetMatrixShape(int count1, EqElement* e, int count2);
void SetMatrixRules(EqElement* e, const uint8_t record[32]);
MatrixShape GetMatrixShape(const EqElement* e);
// The row and column counts of a general matrix (371): the first two payload
// bytes, ahead of the rule record. Other types count their child chains.
void SetMatrixCounts(EqElement* e, int rows, int columns);
// Sets bit of rule mask (0-7) in a rule record; bits outside 0-31 are ignored.
void SetMatrixRuleBit(uint8_t record[32], int mask, int bit);
// Rule mask (0-7) of a shape's rule record.
uint32_t MatrixRuleMask(const MatrixShape& shape, int mask);

// Accent marks of a character or glyph symbol: one payload byte per mark, in
// the order they apply (see model/ShapeAccent.h for the codes).
void AddAccentMark(EqElement* e, uint8_t mark);

// Structural equality of two elements and everything below them: type,
// character, payload, glyph and every child chain element by element.
bool ElementsEqual(const EqElement* a, const EqElement* b);

// Copies a line head's cached bitmap to (x, y - chainAscent).
void BlitLineBitmap(const EqElement* lineHead, QPainter* painter, gp::PointF pos);

// Layout offsets over a chain from its first element (see the layout code).
bool OffsetToAlignMark(const EqElement* first, float* offset);
float OffsetToDecimalPoint(const EqElement* first);
float OffsetToRelation(const EqElement* first);

// Chain navigation.
EqElement* FindChainStart(EqElement* e);
EqElement* FindChainEnd(EqElement* e);
EqElement* FindLineHead(EqElement* e);
EqElement* FindCalcResultAncestor(EqElement* e);

}  // namespace toliva
