#include "uikit/Utilities.h"

#include <gtest/gtest.h>

namespace toliva {
namespace {

TEST(UtilitiesTest, InterfaceFontFollowsMajorVersion) {
    EXPECT_EQ(UIFontNameFor(5), "Tahoma");
    EXPECT_EQ(UIFontNameFor(4), "Tahoma");
    EXPECT_EQ(UIFontNameFor(6), "Segoe UI");
    EXPECT_GT(GetWindowsMajorVersion(), 5u);
    EXPECT_EQ(GetUIFontName(), "Segoe UI");
}

}  // namespace
}  // namespace toliva
