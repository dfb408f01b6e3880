#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/ShapeObject.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstring>
#include <string>
#include <vector>

namespace toliva {
namespace {

// Appends one character element per code.
EqElement* appendText(EqElement* pred, const std::u16string& text, int32_t type = EqTypeCharItalic) {
    for (char16_t c : text) pred = test::append(pred, type, c);
    return pred;
}

// A structure with one child chain per text, appended after pred.
EqElement* appendStructure(EqElement* pred, int32_t type, const std::vector<std::u16string>& args) {
    EqElement* s = test::append(pred, type);
    for (const auto& text : args) appendText(NewChildElement(s, 0, 0, nullptr), text);
    return s;
}

// Counts live shape objects so a test can see that a whole tree was freed.
struct CountingShape : CKwEE_O {
    static inline int live = 0;
    CountingShape() { ++live; }
    ~CountingShape() override { --live; }
};

class EqElementTest : public ::testing::Test {
protected:
    EqElementTest() : eq(test::builtInStyle()) { line = AddEmptyLine(&eq); }

    EqModel eq;
    EqElement* line = nullptr;
};

TEST_F(EqElementTest, NewElementTakesTheEquationsColour) {
    EqElement plain(&eq);
    EXPECT_EQ(plain.type, EqTypeCharUpright);
    EXPECT_EQ(plain.ch, 0);
    EXPECT_EQ(plain.colour, 0xFF000000u);
    EXPECT_EQ(plain.colour2, 0xFF000000u);
    EXPECT_EQ(plain.rect, (gp::RectF{0, 0, 1, 1}));
    EXPECT_EQ(plain.origin, (gp::RectF{0, 0, 1, 1}));
    EXPECT_EQ(plain.owner, &eq);

    eq.currentColour = 0xFF112233;
    EqElement red(&eq);
    EXPECT_EQ(red.colour, 0xFF112233u);
    EXPECT_EQ(red.colour2, 0xFF112233u);
}

TEST_F(EqElementTest, NewChildElementLinksOrAppendsAChain) {
    EqElement* frac = test::append(line, EqTypeFraction);
    frac->colour = 0xFF00FF00;
    EqElement* num = NewChildElement(frac, 99, 'q', nullptr);
    EqElement* den = NewChildElement(frac, 99, 'r', nullptr);
    ASSERT_EQ(frac->children, (std::vector<EqElement*>{num, den}));
    EXPECT_EQ(num->type, EqTypeChainHead);  // a new chain always starts with a head
    EXPECT_EQ(num->parent, frac);
    EXPECT_EQ(num->colour, 0xFF00FF00u);
    EXPECT_EQ(num->ch, 'q');

    EqElement* a = test::append(num, EqTypeCharItalic, 'a');
    EqElement* b = test::append(num, EqTypeCharItalic, 'b');  // the old successor is not relinked
    EXPECT_EQ(num->next, b);
    EXPECT_EQ(b->prev, num);
    EXPECT_EQ(b->next, nullptr);
    EXPECT_EQ(b->parent, frac);
    EXPECT_EQ(b->type, EqTypeCharItalic);
    DeleteEqElement(a);

    EXPECT_EQ(frac->parent, nullptr);
    EXPECT_EQ(frac->owner, &eq);
    EXPECT_EQ(NewChildElement(nullptr, 1, 0, nullptr), nullptr);
}

TEST_F(EqElementTest, DeletingFreesTheRestOfTheChainAndAllChildren) {
    EqElement* first = test::append(line, EqTypeCharItalic, 'a');
    EqElement* frac = appendStructure(first, EqTypeFraction, {u"xy", u"z"});
    frac->shape = std::make_unique<CountingShape>();
    frac->children[1]->next->shape = std::make_unique<CountingShape>();
    EqElement* last = test::append(frac, EqTypeGlyphSymbol, 3);
    last->glyph = std::make_unique<GlyphOutline>();
    last->shape = std::make_unique<CountingShape>();
    last->payload = {1, 2, 3};
    line->lineBitmap = std::make_unique<QImage>(4, 4, QImage::Format_ARGB32);
    ASSERT_EQ(CountingShape::live, 3);

    // Deleting a middle element alone: unlink it first.
    EqElement* middle = frac;
    UnlinkElement(middle);
    EXPECT_EQ(first->next, last);
    EXPECT_EQ(last->prev, first);
    DeleteEqElement(middle);
    EXPECT_EQ(CountingShape::live, 1);

    // A top-level element takes the rest of its line with it.
    first->prev->next = nullptr;
    DeleteEqElement(first);
    EXPECT_EQ(CountingShape::live, 0);
    EXPECT_EQ(line->next, nullptr);
}

TEST_F(EqElementTest, DeletingAVeryLongChainDoesNotRecurse) {
    EqElement* holder = test::append(line, 136);
    EqElement* e = NewChildElement(holder, 0, 0, nullptr);
    for (int i = 0; i < 1000000; ++i) e = test::append(e, EqTypeCharUpright, '1');
    holder->shape = std::make_unique<CountingShape>();
    e->shape = std::make_unique<CountingShape>();
    UnlinkElement(holder);
    DeleteEqElement(holder);
    EXPECT_EQ(CountingShape::live, 0);
}

TEST_F(EqElementTest, DeletingDeeplyNestedStructuresDoesNotRecurse) {
    EqElement* outer = test::append(line, 136);
    EqElement* e = outer;
    for (int i = 0; i < 10000; ++i) {
        EqElement* head = NewChildElement(e, 0, 0, nullptr);
        e = test::append(head, i % 2 ? 136 : 337);
        if (i % 1000 == 0) e->shape = std::make_unique<CountingShape>();
    }
    e->shape = std::make_unique<CountingShape>();
    EXPECT_EQ(CountingShape::live, 11);
    line->next = nullptr;
    DeleteEqElement(outer);
    EXPECT_EQ(CountingShape::live, 0);
}

TEST_F(EqElementTest, DeleteChildChainsKeepsTheElement) {
    EqElement* frac = appendStructure(line, EqTypeFraction, {u"ab", u"c"});
    frac->children[0]->next->shape = std::make_unique<CountingShape>();
    frac->lineBitmap = std::make_unique<QImage>(2, 2, QImage::Format_ARGB32);
    DeleteChildChains(frac);
    EXPECT_TRUE(frac->children.empty());
    EXPECT_FALSE(frac->lineBitmap);
    EXPECT_EQ(CountingShape::live, 0);
    EXPECT_EQ(line->next, frac);
}

TEST_F(EqElementTest, SetChainParentAndRemoveInnerChainHeads) {
    EqElement* a = test::append(line, EqTypeCharItalic, 'a');
    EqElement* inner1 = test::append(a, EqTypeChainHead);
    EqElement* b = test::append(inner1, EqTypeCharItalic, 'b');
    EqElement* inner2 = test::append(b, EqTypeChainHead);
    eq.caret = inner2;

    EqElement* holder = test::append(inner2, 136);
    EqElement other(&eq);
    SetChainParent(b, &other);
    EXPECT_EQ(a->parent, nullptr);
    EXPECT_EQ(b->parent, &other);
    EXPECT_EQ(holder->parent, &other);
    SetChainParent(b, nullptr);

    RemoveInnerChainHeads(line);
    EXPECT_EQ(line->next, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->prev, a);
    EXPECT_EQ(b->next, holder);
    EXPECT_EQ(holder->prev, b);
    EXPECT_EQ(eq.caret, b);  // the caret stood on a removed head
    EXPECT_EQ(line->type, EqTypeChainHead);
}

TEST_F(EqElementTest, SetElementColourRecolours) {
    EqElement* a = test::append(line, EqTypeCharItalic, 'a');
    EqElement* box = appendStructure(a, 249, {u"b"});
    box->colour = 0xFF010203;
    EqElement* frac = appendStructure(box, EqTypeFraction, {u"cd", u"e"});
    EqElement* after = test::append(frac, EqTypeCharItalic, 'f');

    SetElementColour(a, 0x00332211, true);
    EXPECT_EQ(a->colour, 0xFF112233u);
    EXPECT_EQ(box->payload, (std::vector<uint8_t>{0x11, 0x22, 0x33}));
    EXPECT_EQ(GetBoxColour(box), 0xFF112233u);
    EXPECT_EQ(box->colour, 0xFF010203u);              // the box itself keeps its colour
    EXPECT_EQ(box->children[0]->next->colour, 0xFF000000u);  // and so do its contents
    EXPECT_EQ(frac->colour, 0xFF112233u);
    EXPECT_EQ(frac->children[0]->next->next->colour, 0xFF112233u);
    EXPECT_EQ(frac->children[1]->next->colour, 0xFF112233u);
    EXPECT_EQ(after->colour, 0xFF112233u);

    SetElementColour(a, 0x000000FF, false);
    EXPECT_EQ(a->colour, 0xFFFF0000u);
    EXPECT_EQ(after->colour, 0xFF112233u);

    box->payload = {1, 2};
    EXPECT_EQ(GetBoxColour(box), 0xFFD3D3D3u);
}

TEST_F(EqElementTest, DrawColourPrefersPhantomThenRoleThenOwn) {
    EqElement* a = test::append(line, EqTypeCharItalic, 'a');
    a->colour = 0xFF123456;
    eq.settings.colours[7] = 0xFF777777;
    eq.phantomColour = 0xFFAAAAAA;
    EXPECT_EQ(GetElementDrawColour(a, 7), 0xFF123456u);
    eq.settings.ints[0] = 1;
    EXPECT_EQ(GetElementDrawColour(a, 7), 0xFF777777u);
    SetPhantomKind(a, PhantomVertical, false);
    EXPECT_EQ(GetElementDrawColour(a, 7), 0xFFAAAAAAu);
}

TEST_F(EqElementTest, MarksAndPhantomsReachChildChains) {
    EqElement* a = test::append(line, EqTypeCharItalic, 'a');
    EqElement* frac = appendStructure(a, EqTypeFraction, {u"b", u"cd"});
    EqElement* deep = frac->children[1]->next->next;
    EqElement* after = test::append(frac, EqTypeCharItalic, 'e');

    EXPECT_FALSE(HasMarkedElement(line));
    deep->mark = 1;
    deep->mark2 = 1;
    EXPECT_TRUE(HasMarkedElement(line));
    EXPECT_FALSE(HasMarkedElement(after));
    ClearElementMarks(line, false);
    EXPECT_FALSE(HasMarkedElement(line));
    EXPECT_EQ(deep->mark2, 1);
    ClearElementMarks(line, true);
    EXPECT_EQ(deep->mark2, 0);

    SetPhantomKind(frac, PhantomFull, false);
    EXPECT_EQ(frac->phantom, PhantomFull);
    EXPECT_EQ(deep->phantom, PhantomFull);
    EXPECT_EQ(frac->children[0]->phantom, PhantomFull);
    EXPECT_EQ(after->phantom, PhantomNone);
    EXPECT_EQ(a->phantom, PhantomNone);
    SetPhantomKind(a, PhantomHorizontal, true);
    EXPECT_EQ(after->phantom, PhantomHorizontal);
    EXPECT_EQ(deep->phantom, PhantomHorizontal);
}

TEST_F(EqElementTest, AlignMarkIsUniqueInItsChain) {
    EqElement* a = test::append(line, EqTypeCharItalic, 'a');
    EqElement* b = test::append(a, EqTypeCharItalic, 'b');
    EqElement* c = test::append(b, EqTypeCharItalic, 'c');
    SetAlignMark(a);
    SetAlignMark(c);
    SetAlignMark(b);
    EXPECT_EQ(a->alignMark + b->alignMark + c->alignMark + line->alignMark, 1);
    EXPECT_EQ(b->alignMark, 1);
}

TEST_F(EqElementTest, AlignmentOffsets) {
    // head(2) a(10) b(10) =(12, point 6) c(10) .(4, point 1) d(10)
    line->width = 2;
    line->chainWidth = 58;
    EqElement* a = test::append(line, EqTypeCharItalic, 'a');
    EqElement* b = test::append(a, EqTypeCharItalic, 'b');
    EqElement* eqSign = test::append(b, 1049);
    EqElement* c = test::append(eqSign, EqTypeCharItalic, 'c');
    EqElement* point = test::append(c, EqTypeCharUpright, '.');
    EqElement* d = test::append(point, EqTypeCharItalic, 'd');
    for (EqElement* e : {a, b, c, d}) e->width = 10;
    eqSign->width = 12;
    eqSign->xOffset = 6;
    point->width = 4;
    point->xOffset = 1;
    a->xOffset = 100;  // only the marked element's own offset counts

    float offset = -1;
    EXPECT_FALSE(OffsetToAlignMark(line, &offset));
    EXPECT_EQ(offset, 0);
    c->alignMark = 1;
    c->xOffset = 3;
    EXPECT_TRUE(OffsetToAlignMark(line, &offset));
    EXPECT_EQ(offset, 2 + 10 + 10 + 12 + 3);
    SetAlignMark(line);
    EXPECT_TRUE(OffsetToAlignMark(line, &offset));
    EXPECT_EQ(offset, 58);

    EXPECT_EQ(OffsetToRelation(line), 2 + 10 + 10 + 6);
    EXPECT_EQ(OffsetToRelation(c), 0);  // no relation after c
    EXPECT_EQ(OffsetToDecimalPoint(line), 2 + 10 + 10 + 12 + 10 + 1);
    EXPECT_EQ(OffsetToDecimalPoint(d), 10);  // no point: the whole width
}

TEST_F(EqElementTest, CustomSpaceAmount) {
    EqElement* space = test::append(line, EqTypeSpaceCustom);
    EXPECT_EQ(GetSpaceAmount(space), 0);
    SetSpaceAmount(space, 1.0f);
    EXPECT_EQ(space->payload, (std::vector<uint8_t>{0x00, 0x00, 0x80, 0x3F}));
    SetSpaceAmount(space, -2.5f);
    EXPECT_EQ(GetSpaceAmount(space), -2.5f);
    space->payload.resize(3);
    EXPECT_EQ(GetSpaceAmount(space), 0);

    EqElement* other = test::append(space, 105);
    SetSpaceAmount(other, 3.0f);
    EXPECT_TRUE(other->payload.empty());
    other->payload = {0x00, 0x00, 0x80, 0x3F};
    EXPECT_EQ(GetSpaceAmount(other), 0);
}

TEST_F(EqElementTest, CalculationResultPayload) {
    EqElement* result = test::append(line, EqTypeCalcResult);
    CalcResult r;
    EXPECT_FALSE(GetCalcResult(result, &r));

    SetCalcResult(result, {1.0, -0.5, 7, 2});
    ASSERT_EQ(result->payload.size(), 18u);
    EXPECT_EQ(std::vector<uint8_t>(result->payload.begin(), result->payload.begin() + 8),
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    ASSERT_TRUE(GetCalcResult(result, &r));
    EXPECT_EQ(r.value, 1.0);
    EXPECT_EQ(r.second, -0.5);
    EXPECT_EQ(r.format, 7);
    EXPECT_EQ(r.angle, 2);

    SetCalcResultOptions(result, 3, 1);
    uint8_t format = 0, angle = 0;
    GetCalcResultOptions(result, &format, &angle);
    EXPECT_EQ(format, 3);
    EXPECT_EQ(angle, 1);
    EXPECT_EQ(result->payload.size(), 18u);

    // Missing option bytes read as 0.
    result->payload.resize(17);
    ASSERT_TRUE(GetCalcResult(result, &r));
    EXPECT_EQ(r.format, 3);
    EXPECT_EQ(r.angle, 0);
    result->payload.resize(16);
    ASSERT_TRUE(GetCalcResult(result, &r));
    EXPECT_EQ(r.format, 0);
    EXPECT_EQ(r.angle, 0);
    SetCalcResultOptions(result, 4, 2);
    EXPECT_EQ(result->payload.size(), 18u);
    EXPECT_EQ(result->payload[16], 4);

    result->payload.resize(15);
    SetCalcResultOptions(result, 1, 1);
    EXPECT_EQ(result->payload.size(), 15u);
    EXPECT_FALSE(GetCalcResult(result, &r));

    EqElement* other = test::append(result, EqTypeCharItalic, 'x');
    SetCalcResult(other, {1.0, 2.0, 0, 0});
    EXPECT_TRUE(other->payload.empty());
    other->payload.assign(18, 1);
    EXPECT_FALSE(GetCalcResult(other, &r));
    SetCalcResultOptions(other, 5, 5);
    EXPECT_EQ(other->payload, std::vector<uint8_t>(18, 1));
}

TEST_F(EqElementTest, SetMatrixShapeChoosesTheType) {
    struct Case {
        int32_t from;
        std::vector<uint8_t> payload;
        int count1, count2;
        int32_t type;
        std::vector<uint8_t> expected;
    };
    const std::vector<Case> cases = {
        {370, {}, 3, 1, 369, {}},
        {369, {}, 1, 4, 370, {}},
        {369, {}, 3, 1, 369, {}},
        {369, {9}, 2, 3, 371, {3, 2, 9}},
        {371, {5, 5, 9}, 2, 3, 371, {3, 2, 9}},
        {371, {5, 5, 9}, 1, 4, 370, {9}},
        {371, {5, 5}, 4, 1, 369, {}},
        {371, {5}, 4, 1, 369, {}},
        {372, {}, 1, 1, 372, {}},
        {372, {}, 1, 5, 372, {}},
        {372, {}, 5, 1, 369, {}},
        {369, {}, 1, 1, 370, {}},
        {371, {2, 2}, 1, 1, 370, {}},
        {1, {}, 3, 1, 1, {}},  // only a column count turns a plain element into a matrix
        {1, {}, 1, 3, 370, {}},
    };
    for (const Case& c : cases) {
        EqElement e(&eq);
        e.type = c.from;
        e.payload = c.payload;
        SetMatrixShape(c.count1, &e, c.count2);
        EXPECT_EQ(e.type, c.type) << c.from << " " << c.count1 << "x" << c.count2;
        EXPECT_EQ(e.payload, c.expected) << c.from << " " << c.count1 << "x" << c.count2;
    }
}

TEST_F(EqElementTest, MatrixShapeAndRules) {
    uint8_t record[32];
    for (int i = 0; i < 32; ++i) record[i] = uint8_t(i + 1);
    const uint8_t zero[32] = {};

    EqElement* m = appendStructure(line, 371, {u"a", u"b", u"c", u"d", u"e", u"f"});
    SetMatrixShape(3, m, 2);
    SetMatrixRules(m, record);
    MatrixShape s = GetMatrixShape(m);
    EXPECT_EQ(s.count1, 3);
    EXPECT_EQ(s.count2, 2);
    EXPECT_EQ(std::memcmp(s.rules, record, 32), 0);
    EXPECT_EQ(m->payload.size(), 34u);

    // A new record replaces the old one; reshaping keeps it.
    record[0] = 99;
    SetMatrixRules(m, record);
    SetMatrixShape(2, m, 3);
    s = GetMatrixShape(m);
    EXPECT_EQ(s.count1, 2);
    EXPECT_EQ(s.count2, 3);
    EXPECT_EQ(s.rules[0], 99);
    EXPECT_EQ(m->payload.size(), 34u);

    SetMatrixRules(m, zero);
    EXPECT_EQ(m->payload, (std::vector<uint8_t>{3, 2}));
    s = GetMatrixShape(m);
    EXPECT_EQ(std::memcmp(s.rules, zero, 32), 0);

    // A damaged short payload gives no cells rather than a read past its end.
    m->payload = {4};
    s = GetMatrixShape(m);
    EXPECT_EQ(s.count1, 0);
    EXPECT_EQ(s.count2, 0);

    // Vectors count their child chains; a short record is zero-filled.
    EqElement* column = appendStructure(m, 370, {u"a", u"b", u"c"});
    column->payload = {7, 8};
    s = GetMatrixShape(column);
    EXPECT_EQ(s.count1, 1);
    EXPECT_EQ(s.count2, 3);
    EXPECT_EQ(s.rules[0], 7);
    EXPECT_EQ(s.rules[1], 8);
    EXPECT_EQ(s.rules[2], 0);
    column->type = 369;
    EXPECT_EQ(GetMatrixShape(column).count1, 3);
    EXPECT_EQ(GetMatrixShape(column).count2, 1);
    column->type = 372;
    EXPECT_EQ(GetMatrixShape(column).count2, 3);
}

TEST_F(EqElementTest, ElementsEqualComparesEveryArgument) {
    EqElement* f1 = appendStructure(line, EqTypeFraction, {u"a", u"b"});
    EqElement* f2 = appendStructure(f1, EqTypeFraction, {u"a", u"b"});
    EqElement* otherDenominator = appendStructure(f2, EqTypeFraction, {u"a", u"c"});
    EqElement* longerNumerator = appendStructure(otherDenominator, EqTypeFraction, {u"ax", u"b"});
    EqElement* shorterDenominator = appendStructure(longerNumerator, EqTypeFraction, {u"a", u""});
    EqElement* oneArgument = appendStructure(shorterDenominator, EqTypeFraction, {u"a"});
    EqElement* otherType = appendStructure(oneArgument, 129, {u"a", u"b"});

    EXPECT_TRUE(ElementsEqual(f1, f2));
    EXPECT_TRUE(ElementsEqual(line, line));
    EXPECT_FALSE(ElementsEqual(f1, otherDenominator));
    EXPECT_FALSE(ElementsEqual(f1, longerNumerator));
    EXPECT_FALSE(ElementsEqual(longerNumerator, f1));
    EXPECT_FALSE(ElementsEqual(f1, shorterDenominator));
    EXPECT_FALSE(ElementsEqual(f1, oneArgument));
    EXPECT_FALSE(ElementsEqual(f1, otherType));
    EXPECT_FALSE(ElementsEqual(f1, nullptr));

    // Differences deep inside an argument count too.
    EqElement* n1 = appendStructure(f1->children[1]->next, 136, {u"x"});
    EqElement* n2 = appendStructure(f2->children[1]->next, 136, {u"y"});
    EXPECT_FALSE(ElementsEqual(f1, f2));
    n2->children[0]->next->ch = 'x';
    EXPECT_TRUE(ElementsEqual(f1, f2));

    // Payload and glyph.
    n1->payload = {1};
    EXPECT_FALSE(ElementsEqual(f1, f2));
    n2->payload = {1};
    EXPECT_TRUE(ElementsEqual(f1, f2));
    n1->glyph = std::make_unique<GlyphOutline>();
    EXPECT_FALSE(ElementsEqual(f1, f2));
    n2->glyph = std::make_unique<GlyphOutline>();
    EXPECT_TRUE(ElementsEqual(f1, f2));
    n2->glyph->colour = 0xFF;
    EXPECT_FALSE(ElementsEqual(f1, f2));

    // Fields that are not content do not count.
    n2->glyph->colour = 0;
    n2->colour = 0xFFFF0000;
    n2->mark = 1;
    n2->width = 40;
    EXPECT_TRUE(ElementsEqual(f1, f2));
}

TEST_F(EqElementTest, BlitCopiesTheLineBitmapUnblended) {
    // fontSize 12 + chainWidth 20 = 32 wide; 10 + 5 + 2 = 17 high.
    line->chainWidth = 20;
    line->chainAscent = 10;
    line->chainDescent = 5;
    line->lineBitmap = std::make_unique<QImage>(60, 40, QImage::Format_ARGB32);
    line->lineBitmap->fill(QColor(255, 0, 0, 128));

    QImage target(100, 100, QImage::Format_ARGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        BlitLineBitmap(line, &painter, {10, 30});
    }
    EXPECT_EQ(target.pixelColor(10, 20), QColor(255, 0, 0, 128));  // copied, not blended
    EXPECT_EQ(target.pixelColor(41, 36), QColor(255, 0, 0, 128));
    EXPECT_EQ(target.pixelColor(42, 25), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(20, 37), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(9, 25), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(20, 19), QColor(Qt::white));

    line->lineBitmap.reset();
    QImage untouched = target;
    {
        QPainter painter(&target);
        BlitLineBitmap(line, &painter, {0, 0});
    }
    EXPECT_EQ(target, untouched);
}

TEST_F(EqElementTest, ChainNavigation) {
    EqElement* a = test::append(line, EqTypeCharItalic, 'a');
    EqElement* result = appendStructure(a, EqTypeCalcResult, {u"12"});
    EqElement* root = appendStructure(result->children[0]->next->next, 136, {u"xy"});
    EqElement* y = root->children[0]->next->next;

    EXPECT_EQ(FindChainStart(y), root->children[0]);
    EXPECT_EQ(FindChainEnd(root->children[0]), y);
    EXPECT_EQ(FindChainEnd(line), result);
    EXPECT_EQ(FindLineHead(y), line);
    EXPECT_EQ(FindLineHead(line), line);
    EXPECT_EQ(FindCalcResultAncestor(y), result);
    EXPECT_EQ(FindCalcResultAncestor(result), nullptr);
    EXPECT_EQ(FindCalcResultAncestor(a), nullptr);
    EXPECT_EQ(FindChainStart(nullptr), nullptr);
    EXPECT_EQ(FindLineHead(nullptr), nullptr);
}

}  // namespace
}  // namespace toliva
