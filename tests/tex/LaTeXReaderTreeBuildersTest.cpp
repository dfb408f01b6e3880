// The element builders the LaTeX and MathML readers share.
#include "LaTeXReaderTestSupport.h"

#include "model/EqElement.h"
#include "TreeBuilders.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

class TreeBuildersTest : public ::testing::Test {
protected:
    EqModel m_eq{readerStyle()};
    EqElement* m_line = AddEmptyLine(&m_eq);
};

TEST_F(TreeBuildersTest, NewElementAfterTakesParentAndColourOfItsPredecessor) {
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

TEST_F(TreeBuildersTest, NewChildChainAppendsPrependsOrDetaches) {
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

TEST_F(TreeBuildersTest, AppendCharRunMakesOneUprightElementPerUnit) {
    EXPECT_EQ(AppendCharRun(u"", m_line, &m_eq), m_line);
    EqElement* last = AppendCharRun(u"si\U0001D538", m_line, &m_eq);
    EXPECT_EQ(readerTree(m_eq), QStringLiteral("line 0\n  type=1 ch=0073 's'\n  type=1 ch=0069 'i'\n"
                                               "  type=1 ch=D835\n  type=1 ch=DD38"));
    EXPECT_EQ(last->ch, 0xDD38);
    EXPECT_FALSE(last->next);
}

TEST_F(TreeBuildersTest, WrapLeadingRunMovesTheRunIntoTheNewElement) {
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

TEST_F(TreeBuildersTest, WrapLeadingRunRefusesWithoutARun) {
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

TEST(CountCommandLettersTest, CountsLettersAndSlashes) {
    struct Case {
        const char16_t* text;
        int count;
        int expected;
    };
    const Case cases[] = {
        {u"frac{a}", 7, 4}, {u"big/x", 5, 5}, {u"alpha", 3, 3}, {u"{x}", 3, 0},
        {u"a1", 2, 1},      {u"\u00E9t\u00E9", 3, 0}, {u"ab", 0, 0}, {u"ab", -1, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CountCommandLetters(c.count, c.text), c.expected) << c.count;
    EXPECT_EQ(CountCommandLetters(3, nullptr), 0);
}

}  // namespace
}  // namespace toliva::test
