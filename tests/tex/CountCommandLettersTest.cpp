// What only the readers build with: the letters of a command name.
#include "LaTeXReaderTestSupport.h"

#include "TreeBuilders.h"

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

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
