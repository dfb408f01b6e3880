#include "EqElement.h"

#include "EqModel.h"
#include "GlyphOutline.h"
#include "ShapeObject.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <bit>

namespace toliva {
namespace {

// Little-endian byte helpers for the payload.
template <typename Bits>
void appendLittleEndian(std::vector<uint8_t>& out, Bits v) {
    for (size_t i = 0; i < sizeof(Bits); ++i) out.push_back(uint8_t(v >> (8 * i)));
}

template <typename Bits>
Bits readLittleEndian(const std::vector<uint8_t>& in, size_t at) {
    Bits v = 0;
    for (size_t i = 0; i < sizeof(Bits); ++i) v |= Bits(in[at + i]) << (8 * i);
    return v;
}

// Whether deleting e also deletes the elements after it.
bool ownsFollowing(const EqElement* e) { return e->parent || (e->owner && e->owner->ownsChains); }

}  // namespace

EqElement::EqElement(EqModel* owner_) : owner(owner_) {
    if (owner) {
        colour = owner->currentColour;
        colour2 = owner->currentColour;
    }
}

// glyph, shape and lineBitmap are complete here; chains are freed by
// DeleteEqElement, never by the destructor.
EqElement::~EqElement() = default;

EqElement* NewChildElement(EqElement* parent, int32_t type, uint16_t ch, EqElement* predecessor) {
    if (!parent && !predecessor) return nullptr;
    EqModel* owner = parent ? parent->owner : predecessor->owner;
    auto* e = new EqElement(owner);
    e->parent = parent;
    e->ch = ch;
    if (parent) {
        e->colour = parent->colour;
        e->colour2 = parent->colour;
    }
    if (predecessor) {
        e->type = type;
        predecessor->next = e;
        e->prev = predecessor;
    } else {
        e->type = EqTypeChainHead;
        parent->children.push_back(e);
    }
    return e;
}

void DeleteEqElement(EqElement* e) {
    if (!e) return;
    // An explicit work list instead of recursion: chains may be very long and
    // structures deeply nested.
    std::vector<EqElement*> pending{e};
    while (!pending.empty()) {
        EqElement* cur = pending.back();
        pending.pop_back();
        if (cur->next && ownsFollowing(cur)) pending.push_back(cur->next);
        // Pushed in order so that the last child chain is deleted first.
        pending.insert(pending.end(), cur->children.begin(), cur->children.end());
        cur->children.clear();
        cur->next = nullptr;
        delete cur;
    }
}

void DeleteChildChains(EqElement* e) {
    if (!e) return;
    e->lineBitmap.reset();
    std::vector<EqElement*> chains;
    chains.swap(e->children);
    for (auto it = chains.rbegin(); it != chains.rend(); ++it) DeleteEqElement(*it);
}

void UnlinkElement(EqElement* e) {
    if (!e) return;
    if (e->prev) e->prev->next = e->next;
    if (e->next) e->next->prev = e->prev;
    e->prev = nullptr;
    e->next = nullptr;
}

void SetChainParent(EqElement* first, EqElement* parent) {
    for (EqElement* e = first; e; e = e->next) e->parent = parent;
}

void RemoveInnerChainHeads(EqElement* chain) {
    if (!chain) return;
    EqElement* e = chain->next;
    while (e) {
        EqElement* following = e->next;
        if (e->type == EqTypeChainHead) {
            if (e->owner && e->owner->caret == e) e->owner->caret = e->prev;
            UnlinkElement(e);
            DeleteEqElement(e);
        }
        e = following;
    }
}

void SetBoxColour(EqElement* e, uint32_t colorref) {
    if (!e) return;
    e->payload = {uint8_t(colorref), uint8_t(colorref >> 8), uint8_t(colorref >> 16)};
}

gp::ARGB GetBoxColour(const EqElement* e) {
    if (!e || e->payload.size() < 3) return 0xFFD3D3D3;
    return 0xFF000000u | (gp::ARGB(e->payload[0]) << 16) | (gp::ARGB(e->payload[1]) << 8) | e->payload[2];
}

void SetElementColour(EqElement* e, uint32_t colorref, bool withFollowing) {
    for (; e; e = withFollowing ? e->next : nullptr) {
        if (IsColourBoxType(e->type)) {
            SetBoxColour(e, colorref);
            continue;
        }
        e->colour = gp::ArgbFromColorref(colorref);
        for (EqElement* chain : e->children) SetElementColour(chain, colorref, true);
    }
}

gp::ARGB GetElementDrawColour(const EqElement* e, int roleIndex) {
    if (!e) return 0;
    const EqModel* eq = e->owner;
    if (!eq) return e->colour;
    if (e->phantomKind() > 0) return eq->phantomColour;
    if (eq->settings.ints[0] != 0 && roleIndex >= 0 && roleIndex < int(eq->settings.colours.size()))
        return eq->settings.colours[size_t(roleIndex)];
    return e->colour;
}

bool HasMarkedElement(const EqElement* chain) {
    for (const EqElement* e = chain; e; e = e->next) {
        if (e->mark) return true;
        for (const EqElement* child : e->children) {
            if (HasMarkedElement(child)) return true;
        }
    }
    return false;
}

void ClearElementMarks(EqElement* chain, bool alsoSecond) {
    for (EqElement* e = chain; e; e = e->next) {
        e->mark = 0;
        if (alsoSecond) e->mark2 = 0;
        for (EqElement* child : e->children) ClearElementMarks(child, alsoSecond);
    }
}

void SetPhantomKind(EqElement* e, int8_t kind, bool withFollowing) {
    for (; e; e = withFollowing ? e->next : nullptr) {
        e->phantom = kind;
        for (EqElement* child : e->children) SetPhantomKind(child, kind, true);
    }
}

void SetPhantomKindKeepingInner(EqElement* e, int8_t kind) {
    std::vector<EqElement*> stack{e};
    while (!stack.empty()) {
        EqElement* x = stack.back();
        stack.pop_back();
        if (x->phantomKind() != 0 && x != e) continue;
        if (x->phantomKind() == 0) x->phantom = int8_t((x->phantom & ~0x0F) | kind);
        for (EqElement* head : x->children)
            for (EqElement* c = head; c; c = c->next) stack.push_back(c);
    }
}

void SetAlignMark(EqElement* e) {
    if (!e) return;
    for (EqElement* x = FindChainStart(e); x; x = x->next) x->alignMark = 0;
    e->alignMark = 1;
}

float GetSpaceAmount(const EqElement* e) {
    if (!e || e->type != EqTypeSpaceCustom || e->payload.size() < 4) return 0;
    return std::bit_cast<float>(readLittleEndian<uint32_t>(e->payload, 0));
}

void SetSpaceAmount(EqElement* e, float amount) {
    if (!e || e->type != EqTypeSpaceCustom) return;
    e->payload.clear();
    appendLittleEndian(e->payload, std::bit_cast<uint32_t>(amount));
}

bool GetCalcResult(const EqElement* e, CalcResult* out) {
    if (!e || e->type != EqTypeCalcResult || e->payload.size() < 16) return false;
    if (out) {
        out->value = std::bit_cast<double>(readLittleEndian<uint64_t>(e->payload, 0));
        out->second = std::bit_cast<double>(readLittleEndian<uint64_t>(e->payload, 8));
        GetCalcResultOptions(e, &out->format, &out->angle);
    }
    return true;
}

void SetCalcResult(EqElement* e, const CalcResult& r) {
    if (!e || e->type != EqTypeCalcResult) return;
    e->payload.clear();
    appendLittleEndian(e->payload, std::bit_cast<uint64_t>(r.value));
    appendLittleEndian(e->payload, std::bit_cast<uint64_t>(r.second));
    e->payload.push_back(r.format);
    e->payload.push_back(r.angle);
}

void GetCalcResultOptions(const EqElement* e, uint8_t* format, uint8_t* angle) {
    const bool isResult = e && e->type == EqTypeCalcResult;
    if (format) *format = isResult && e->payload.size() > 16 ? e->payload[16] : 0;
    if (angle) *angle = isResult && e->payload.size() > 17 ? e->payload[17] : 0;
}

void SetCalcResultOptions(EqElement* e, uint8_t format, uint8_t angle) {
    if (!e || e->type != EqTypeCalcResult || e->payload.size() < 16) return;
    e->payload.resize(16);
    e->payload.push_back(format);
    e->payload.push_back(angle);
}

void SetMatrixShape(int count1, EqElement* e, int count2) {
    if (!e) return;
    auto& p = e->payload;
    if (e->type == EqTypeMatrix) p.erase(p.begin(), p.begin() + std::min<size_t>(2, p.size()));
    if (count1 > 1 && count2 > 1) {
        p.insert(p.begin(), 2, 0);
        e->type = EqTypeMatrix;
        SetMatrixCounts(e, count2, count1);
        return;
    }
    if (count1 == 1 && count2 == 1) {
        if (e->type != EqTypeCases) e->type = EqTypeMatrixColumn;
        return;
    }
    switch (e->type) {
    case EqTypeMatrixColumn:
    case EqTypeCases:
        if (count1 > 1) e->type = EqTypeMatrixRow;
        break;
    case EqTypeMatrix:
        e->type = count1 == 1 ? EqTypeMatrixColumn : EqTypeMatrixRow;
        break;
    default:
        if (count2 > 1) e->type = EqTypeMatrixColumn;
        break;
    }
}

void SetMatrixRules(EqElement* e, const uint8_t record[32]) {
    if (!e) return;
    const size_t keep = e->type == EqTypeMatrix ? 2 : 0;
    if (e->payload.size() > keep) e->payload.resize(keep);
    if (!record || std::all_of(record, record + 32, [](uint8_t b) { return b == 0; })) return;
    e->payload.insert(e->payload.end(), record, record + 32);
}

void SetMatrixCounts(EqElement* e, int rows, int columns) {
    if (!e || e->type != EqTypeMatrix) return;
    if (e->payload.size() < 2) e->payload.resize(2);
    e->payload[0] = uint8_t(rows);
    e->payload[1] = uint8_t(columns);
}

void SetMatrixRuleBit(uint8_t record[32], int mask, int bit) {
    if (!record || mask < 0 || mask > 7 || bit < 0 || bit >= 32) return;
    record[4 * mask + bit / 8] |= uint8_t(1u << (bit % 8));
}

uint32_t MatrixRuleMask(const MatrixShape& shape, int mask) {
    if (mask < 0 || mask > 7) return 0;
    const uint8_t* b = shape.rules + 4 * mask;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void AddAccentMark(EqElement* e, uint8_t mark) {
    if (e) e->payload.push_back(mark);
}

MatrixShape GetMatrixShape(const EqElement* e) {
    MatrixShape shape;
    if (!e || !IsMatrixType(e->type)) return shape;
    const int cells = int(e->children.size());
    size_t recordAt = 0;
    switch (e->type) {
    case EqTypeMatrixRow:
        shape.count1 = cells;
        shape.count2 = 1;
        break;
    case EqTypeMatrix:
        recordAt = 2;
        if (e->payload.size() >= 2) {
            shape.count2 = e->payload[0];
            shape.count1 = e->payload[1];
        }
        break;
    default:
        shape.count1 = 1;
        shape.count2 = cells;
        break;
    }
    for (size_t i = 0; i < 32 && recordAt + i < e->payload.size(); ++i) shape.rules[i] = e->payload[recordAt + i];
    return shape;
}

bool ElementsEqual(const EqElement* a, const EqElement* b) {
    if (!a || !b) return false;
    if (a->type != b->type || a->ch != b->ch || a->payload != b->payload) return false;
    if (bool(a->glyph) != bool(b->glyph)) return false;
    if (a->glyph && !GlyphsEqual(*a->glyph, *b->glyph)) return false;
    if (a->children.size() != b->children.size()) return false;
    // Every argument takes part, not only the first.
    for (size_t i = 0; i < a->children.size(); ++i) {
        const EqElement* x = a->children[i];
        const EqElement* y = b->children[i];
        for (; x && y; x = x->next, y = y->next) {
            if (!ElementsEqual(x, y)) return false;
        }
        if (x || y) return false;
    }
    return true;
}

void BlitLineBitmap(const EqElement* lineHead, QPainter* painter, gp::PointF pos) {
    if (!lineHead || !lineHead->lineBitmap || !painter) return;
    const float fontSize = lineHead->owner ? lineHead->owner->settings.fontSize : 0;
    const QRectF source(0, 0, fontSize + lineHead->chainWidth,
                        lineHead->chainAscent + lineHead->chainDescent + 2);
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(QPointF(pos.x, pos.y - lineHead->chainAscent), *lineHead->lineBitmap, source);
    painter->restore();
}

bool OffsetToAlignMark(const EqElement* first, float* offset) {
    float sum = 0;
    for (const EqElement* e = first; e; e = e->next) {
        if (e->alignMark) {
            if (e->type == EqTypeChainHead) sum = e->chainWidth;
            else sum += e->xOffset;
            if (offset) *offset = sum;
            return true;
        }
        sum += e->width;
    }
    if (offset) *offset = 0;
    return false;
}

float OffsetToDecimalPoint(const EqElement* first) {
    float sum = 0;
    for (const EqElement* e = first; e; e = e->next) {
        if (IsCharType(e) && e->ch == '.') return sum + e->xOffset;
        sum += e->width;
    }
    return sum;
}

float OffsetToRelation(const EqElement* first) {
    float sum = 0;
    for (const EqElement* e = first; e; e = e->next) {
        if (IsRelationOperator(e)) return sum + e->xOffset;
        sum += e->width;
    }
    return 0;
}

EqElement* FindChainStart(EqElement* e) {
    if (!e) return nullptr;
    while (e->prev) e = e->prev;
    return e;
}

EqElement* FindChainEnd(EqElement* e) {
    if (!e) return nullptr;
    while (e->next) e = e->next;
    return e;
}

EqElement* FindLineHead(EqElement* e) {
    if (!e) return nullptr;
    while (e->parent) e = e->parent;
    return FindChainStart(e);
}

EqElement* FindCalcResultAncestor(EqElement* e) {
    if (!e) return nullptr;
    for (EqElement* p = e->parent; p; p = p->parent) {
        if (p->type == EqTypeCalcResult) return p;
    }
    return nullptr;
}

}  // namespace toliva
