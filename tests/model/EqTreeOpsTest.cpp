// The tree-building primitives (model/EqTreeOps.h) and the payload setters
// the builders use.
#include "tex/LaTeXReaderTestSupport.h"

#include "model/EqElement.h"
#include "model/EqTreeOps.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

class EqTreeOpsTest : public ::testing::Test {
protected:
    EqModel m_eq{builtInStyle()};
    EqElement* m_line = AddEmptyLine(&m_eq);
};

TEST_F(EqTreeOpsTest, NewElementAfterTakesParentAndColourOfItsPredecessor) {
    EqElement* frac = NewElementAfter(m_line, 0, &m_eq, 128);
    frac->colour = frac->colour2 = 0xFFFF0000;
    EqElement* head = NewChildChain(frac, &m_eq, ChainAppend);
    EqElement* a = NewElementAfter(head, 'a', &m_eq, EqTypeCharItalic);
    EXPECT_EQ(a->parent, frac);
    EXPECT_EQ(a->colour, 0xFFFF0000u);
    EXPECT_EQ(head->next, a);
    EXPECT_EQ(a->prev, head);
    EXPECT_EQ(a->ch, 'a');

    // Without an element: a detached head.
    EqElement* loose = NewElementAfter(nullptr, 'x', &m_eq, EqTypeCharItalic);
    EXPECT_EQ(loose->type, EqTypeChainHead);
    EXPECT_FALSE(loose->prev || loose->next || loose->parent);
    DeleteEqElement(loose);
}

TEST_F(EqTreeOpsTest, NewChildChainAppendsPrependsOrDetaches) {
    EqElement* e = NewElementAfter(m_line, 0, &m_eq, 175);
    EqElement* second = NewChildChain(e, &m_eq, ChainAppend);
    EqElement* first = NewChildChain(e, &m_eq, ChainPrepend);
    EqElement* work = NewChildChain(e, &m_eq, ChainDetached);
    ASSERT_EQ(e->children.size(), 2u);
    EXPECT_EQ(e->children[0], first);
    EXPECT_EQ(e->children[1], second);
    EXPECT_EQ(work->parent, e);
    EXPECT_EQ(work->type, EqTypeChainHead);
    DeleteEqElement(work);
}

TEST_F(EqTreeOpsTest, AppendCharRunMakesOneUprightElementPerUnit) {
    EXPECT_EQ(AppendCharRun(u"", m_line, &m_eq), m_line);
    EqElement* last = AppendCharRun(u"si\U0001D538", m_line, &m_eq);
    EXPECT_EQ(readerTree(m_eq), QStringLiteral("line 0\n  type=1 ch=0073 's'\n  type=1 ch=0069 'i'\n"
                                               "  type=1 ch=D835\n  type=1 ch=DD38"));
    EXPECT_EQ(last->ch, 0xDD38);
    EXPECT_FALSE(last->next);
}

TEST_F(EqTreeOpsTest, WrapLeadingRunMovesTheRunIntoTheNewElement) {
    AppendCharRun(u"ab", m_line, &m_eq);
    EqElement* b = m_line->next->next;
    EqElement* after = AppendCharRun(u"c", b, &m_eq);
    EqElement* frac = NewElementAfter(after, 0, &m_eq, 130);  // linked where the reader stands
    EqElement* numerator = NewChildChain(frac, &m_eq, ChainAppend);
    NewChildChain(frac, &m_eq, ChainAppend);
    ASSERT_TRUE(WrapLeadingRun(numerator, frac, b));
    EXPECT_EQ(readerTree(m_eq), QStringLiteral("line 0\n  type=130 ch=0000\n    arg 0\n      type=2 ch=0061 'a'\n"
                                               "      type=2 ch=0062 'b'\n    arg 1\n  type=1 ch=0063 'c'")
                                    .replace(QStringLiteral("type=2"), QStringLiteral("type=1")));
    EXPECT_EQ(m_line->next, frac);
    EXPECT_EQ(frac->prev, m_line);
    EXPECT_EQ(frac->next, after);
    EXPECT_EQ(after->prev, frac);
    EXPECT_FALSE(after->next);
    EXPECT_EQ(numerator->next->parent, frac);
    EXPECT_EQ(b->parent, frac);
    EXPECT_FALSE(b->next);
}

TEST_F(EqTreeOpsTest, WrapLeadingRunRefusesWithoutARun) {
    EqElement* e = NewElementAfter(m_line, 0, &m_eq, 130);
    EqElement* head = NewChildChain(e, &m_eq, ChainAppend);
    EqElement* a = AppendCharRun(u"a", e, &m_eq);
    const QString before = readerTree(m_eq);
    EXPECT_FALSE(WrapLeadingRun(nullptr, e, a));
    EXPECT_FALSE(WrapLeadingRun(head, nullptr, a));
    EXPECT_FALSE(WrapLeadingRun(head, e, m_line));  // a chain head
    EqElement* loose = NewElementAfter(nullptr, 0, &m_eq, 0);
    EXPECT_FALSE(WrapLeadingRun(head, e, loose));  // no prev
    EXPECT_EQ(readerTree(m_eq), before);
    DeleteEqElement(loose);
}

TEST_F(EqTreeOpsTest, AttachChildChainMovesAWorkChainUnderItsOwner) {
    EqElement* e = NewElementAfter(m_line, 0, &m_eq, 177);
    EqElement* existing = NewChildChain(e, &m_eq, ChainAppend);
    EqElement* work = NewChildChain(nullptr, &m_eq, ChainDetached);
    EqElement* x = AppendCharRun(u"xy", work, &m_eq);
    AttachChildChain(e, work, ChainPrepend);
    ASSERT_EQ(e->children.size(), 2u);
    EXPECT_EQ(e->children[0], work);
    EXPECT_EQ(e->children[1], existing);
    for (const EqElement* c = work; c; c = c->next) EXPECT_EQ(c->parent, e);
    EXPECT_EQ(x->parent, e);

    EqElement* last = NewChildChain(nullptr, &m_eq, ChainDetached);
    AttachChildChain(e, last, ChainAppend);
    EXPECT_EQ(e->children.back(), last);
    AttachChildChain(nullptr, last, ChainAppend);  // nothing to attach to
    EXPECT_EQ(last->parent, e);
}

TEST_F(EqTreeOpsTest, LinkAfterTakesThePredecessorsParentButNotItsColour) {
    EqElement* frac = NewElementAfter(m_line, 0, &m_eq, 128);
    EqElement* head = NewChildChain(frac, &m_eq, ChainAppend);
    head->colour2 = 0xFF00FF00;
    auto* e = new EqElement(&m_eq);
    e->type = EqTypeCharItalic;
    const uint32_t own = e->colour;
    LinkAfter(head, e);
    EXPECT_EQ(head->next, e);
    EXPECT_EQ(e->prev, head);
    EXPECT_EQ(e->parent, frac);
    EXPECT_EQ(e->colour, own);
}

TEST_F(EqTreeOpsTest, ARunIsCutOffAndInsertedElsewhere) {
    EqElement* c = AppendCharRun(u"abc", m_line, &m_eq);
    EqElement* b = c->prev;
    EqElement* root = NewElementAfter(nullptr, 0, &m_eq, 0);  // a work chain that stands nowhere
    EqElement* frac = NewElementAfter(root, 0, &m_eq, 128);
    EqElement* top = NewChildChain(frac, &m_eq, ChainAppend);
    EqElement* x = AppendCharRun(u"xy", top, &m_eq)->prev;

    // "bc" is cut off the chain it stood in; a head has nothing before it.
    EXPECT_EQ(DetachRun(b), b);
    EXPECT_FALSE(b->prev);
    EXPECT_FALSE(m_line->next->next);
    EXPECT_EQ(DetachRun(m_line), m_line);

    // Inserted after "x": the run takes the chain's parent, "y" follows it.
    InsertRunAfter(x, b);
    QString text;
    for (const EqElement* q = top->next; q; q = q->next) {
        text += QChar(q->ch);
        EXPECT_EQ(q->parent, frac);
        EXPECT_EQ(q->prev->next, q);
    }
    EXPECT_EQ(text, QStringLiteral("xbcy"));
    InsertRunAfter(nullptr, b);  // nothing happens
    EXPECT_EQ(x->next, b);
    DeleteEqElement(root);
}

TEST(EqPayloadSetters, AccentMarksAndMatrixCounts) {
    EqModel eq{builtInStyle()};
    EqElement* line = AddEmptyLine(&eq);
    EqElement* x = NewElementAfter(line, 'x', &eq, EqTypeCharItalic);
    AddAccentMark(x, 5);
    AddAccentMark(x, 128 + 13);
    EXPECT_EQ(x->payload, (std::vector<uint8_t>{5, 141}));
    AddAccentMark(nullptr, 1);

    // The counts go ahead of a rule record that is there already.
    EqElement* m = NewElementAfter(x, 0, &eq, EqTypeMatrix);
    SetMatrixCounts(m, 3, 2);
    EXPECT_EQ(m->payload, (std::vector<uint8_t>{3, 2}));
    uint8_t record[32] = {};
    SetMatrixRuleBit(record, 4, 9);
    SetMatrixRuleBit(record, 1, 0);
    SetMatrixRuleBit(record, 1, 32);  // outside: ignored
    SetMatrixRuleBit(record, 8, 0);   // no such mask: ignored
    SetMatrixRules(m, record);
    SetMatrixCounts(m, 4, 5);
    const MatrixShape shape = GetMatrixShape(m);
    EXPECT_EQ(shape.count2, 4);
    EXPECT_EQ(shape.count1, 5);
    EXPECT_EQ(MatrixRuleMask(shape, 4), 1u << 9);
    EXPECT_EQ(MatrixRuleMask(shape, 1), 1u);
    EXPECT_EQ(MatrixRuleMask(shape, 0), 0u);
    EXPECT_EQ(MatrixRuleMask(shape, 8), 0u);

    // Other matrix types count their chains: no counts in the payload.
    EqElement* column = NewElementAfter(m, 0, &eq, EqTypeMatrixColumn);
    SetMatrixCounts(column, 3, 1);
    EXPECT_TRUE(column->payload.empty());
}

}  // namespace
}  // namespace toliva::test
