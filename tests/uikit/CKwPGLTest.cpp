#include "uikit/CKwPGL.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

namespace toliva {
namespace {

TEST(CKwPGLNumbers, ReadLikeTheCRuntime) {
    struct Case {
        const char16_t* text;
        int i;
        double d;
    } cases[] = {
        {u"12", 12, 12.0},
        {u" -12abc", -12, -12.0},
        {u"\t\n +0012", 12, 12.0},
        {u"+", 0, 0.0},
        {u"-", 0, 0.0},
        {u"- 5", 0, 0.0},
        {u"", 0, 0.0},
        {u"2147483647", INT_MAX, 2147483647.0},
        {u"2147483648", INT_MAX, 2147483648.0},
        {u"-2147483648", INT_MIN, -2147483648.0},
        {u"-2147483649", INT_MIN, -2147483649.0},
        {u"99999999999999999999999", INT_MAX, 1e23},
        {u"1e400", 1, DBL_MAX},
        {u"-1e400", -1, -DBL_MAX},
        {u"1e-400", 1, 0.0},
        {u"0x10", 0, 0.0},
        {u"3.75", 3, 3.75},
        {u"3.5e", 3, 3.5},
        {u"3.5e+", 3, 3.5},
        {u"2.5E2x", 2, 250.0},
        {u".5", 0, 0.5},
        {u"5.", 5, 5.0},
        {u".", 0, 0.0},
        {u"1,5", 1, 1.0},  // the C locale: no decimal comma
        {u"inf", 0, 0.0},
        {u"nan", 0, 0.0},
        {u"\uFF11\uFF12", 0, 0.0},  // full-width digits are not digits
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(TextToInt(text), c.i);
        EXPECT_EQ(TextToDouble(text), c.d);
    }
}

TEST(CKwPGLNumbers, RealsBecomeIntsClamped) {
    struct Case {
        double v;
        int i;
    } cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {1e10, INT_MAX},
        {-1e10, INT_MIN},
        {2147483647.5, INT_MAX},
        {-2147483648.0, INT_MIN},
        {std::numeric_limits<double>::infinity(), INT_MAX},
        {-std::numeric_limits<double>::infinity(), INT_MIN},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(ClampToInt(c.v), c.i);
    }
}

TEST(CKwPGLParse, EveryFormFromOneText) {
    struct Case {
        const char16_t* text;
        int i;
        double d;
        bool b;
        uint32_t colour;
        bool linked;
        const char16_t* linkedName;
    } cases[] = {
        {u"12", 12, 12.0, true, 12, false, u""},
        {u"0", 0, 0.0, false, 0, false, u""},
        {u"-5", -5, -5.0, false, uint32_t(-5), false, u""},
        {u"#80FF0000", 0, 0.0, false, 0x80FF0000u, false, u""},
        {u"FF00H", 0, 0.0, false, 0x0000FF00u, false, u""},
        {u"ff00h", 0, 0.0, false, 0x0000FF00u, false, u""},
        {u"#123456789", 0, 0.0, false, 0x12345678u, false, u""},  // eight digits at most
        {u"#XYZ", 0, 0.0, false, 0, false, u""},                   // no hex digit: the int stays
        {u"#", 0, 0.0, false, 0, false, u""},                      // one character: no colour
        {u"7H", 7, 7.0, true, 0x7u, false, u""},
        {u"#FF0000#", 0, 0.0, false, 0xFF0000u, true, u"FF0000"},
        {u" #**# ", 0, 0.0, false, 0, true, u"**"},
        {u"##", 0, 0.0, false, 0, false, u""},
        {u"#Desktop#", 0, 0.0, false, 0xDEu, true, u"Desktop"},  // "DESKTOP": hex up to the 'S'
        {u"1e3", 1, 1000.0, true, 1, false, u""},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        PropertyItem item;
        item.linked = true;  // a parse replaces an earlier link
        item.linkedName = "old";
        ParseItemValue(item, text);
        EXPECT_EQ(item.text, text);
        EXPECT_EQ(item.intValue, c.i);
        EXPECT_EQ(item.realValue, c.d);
        EXPECT_EQ(item.boolValue, c.b);
        EXPECT_EQ(uint32_t(item.colorValue), c.colour);
        EXPECT_EQ(item.linked, c.linked);
        EXPECT_EQ(item.linkedName, QString::fromUtf16(c.linkedName));
    }
}

TEST(CKwPGLParse, SplitValueListAtAsciiAndFullWidthSeparators) {
    struct Case {
        const char16_t* text;
        QStringList parts;
    } cases[] = {
        {u" a , b; c \uFF1B,,", {"a", "b", "c"}},
        {u"\tx\t\uFF0Cy", {"x", "y"}},
        {u",,;", {}},
        {u"", {}},
        {u"a b", {"a b"}},
        {u"Arial,12,1,255", {"Arial", "12", "1", "255"}},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(SplitValueList(text), c.parts);
    }
}

class CKwPGLListTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.GetOrAddItem(0, 5);
        list.GetOrAddItem(1, 0);
        list.modified = false;
    }
    CKwPGL list;
};

TEST_F(CKwPGLListTest, FontValues) {
    struct Case {
        const char16_t* text;
        const char* face;
        int size;
        int style;
        int colour;
        bool all;
    } cases[] = {
        {u"Arial,300,1,255", "Arial", 100, kFontBold, 255, true},
        {u"Times,2", "Times", 5, kFontBold, 0, false},
        {u"Consolas\uFF1B14\uFF0C6 , 3", "Consolas", 14, kFontItalic | kFontUnderline, 3, true},
        {u"", "Default", 12, kFontBold, 0, false},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        list.SetItemText(0, 2, text);
        QString face = "Default";
        int size = 12, style = kFontBold, colour = 0;
        EXPECT_EQ(list.GetItemFont(0, 2, face, size, style, colour), c.all);
        EXPECT_EQ(face, c.face);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(style, c.style);
        EXPECT_EQ(colour, c.colour);
    }
}

TEST_F(CKwPGLListTest, FontRoundTripsAndKeepsPercentSignsInTheFace) {
    list.SetItemValue(0, 1, "Odd %2 Face", 18, kFontBold | kFontStrikeOut, 0x123456);
    EXPECT_EQ(list.GetItemText(0, 1, false), "Odd %2 Face,18,9,1193046");
    QString face;
    int size = 0, style = 0, colour = 0;
    EXPECT_TRUE(list.GetItemFont(0, 1, face, size, style, colour));
    EXPECT_EQ(face, "Odd %2 Face");
    EXPECT_EQ(size, 18);
    EXPECT_EQ(style, kFontBold | kFontStrikeOut);
    EXPECT_EQ(colour, 0x123456);
}

TEST_F(CKwPGLListTest, MissingGroupsAndItemsGiveDefaultsAndIgnoreSetters) {
    const std::pair<int, int> missing[] = {{-1, 0}, {2, 0}, {0, 6}, {1, 1}, {0, -1}, {INT_MAX, INT_MAX}};
    for (auto [g, i] : missing) {
        SCOPED_TRACE(testing::Message() << g << "," << i);
        list.SetItemText(g, i, "5");
        list.SetItemChoice(g, i, 3);
        list.SetItemValue(g, i, "Arial", 12, 0, 0);
        EXPECT_FALSE(list.modified);
        EXPECT_EQ(list.GetItemText(g, i, true), QString());
        EXPECT_EQ(list.GetItemInt(g, i), 0);
        EXPECT_EQ(list.GetItemDouble(g, i), 0.0);
        EXPECT_FALSE(list.GetItemBool(g, i));
        EXPECT_EQ(list.GetItemColor(g, i), 0);
        EXPECT_EQ(list.GetItemChoice(g, i), 0);
        EXPECT_FALSE(list.IsFreeEditItem(g, i));
    }
    EXPECT_EQ(list.groups.size(), 2u);
    EXPECT_EQ(list.groups[0].items.size(), 6u);
}

TEST_F(CKwPGLListTest, SettersMarkModified) {
    list.SetItemChoice(0, 3, 2);
    EXPECT_TRUE(list.modified);
    EXPECT_EQ(list.GetItemChoice(0, 3), 2);
    list.modified = false;
    list.SetItemText(1, 0, "#**#");
    EXPECT_TRUE(list.modified);
    EXPECT_TRUE(list.IsFreeEditItem(1, 0));
    EXPECT_EQ(list.GetItemText(1, 0, true), "#**#");
}

TEST_F(CKwPGLListTest, GetOrAddItemGrowsAndKeepsAddresses) {
    PropertyItem* first = list.Item(0, 0);
    ASSERT_NE(first, nullptr);
    PropertyItem* far = list.GetOrAddItem(4, 9);
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(list.Item(0, 0), first);
    EXPECT_EQ(list.groups.size(), 5u);
    EXPECT_EQ(list.groups[4].items.size(), 10u);
    EXPECT_EQ(uint32_t(far->colorValue), 0xFF000000u);
    EXPECT_EQ(list.GetOrAddItem(4, 9), far);
    EXPECT_EQ(list.GetOrAddItem(-1, 0), nullptr);
}

class ValueSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        PropertyValueSource::Entry m{"Matrix", 2, 3, {1, 2, 3, 4, 5, 6}, 0.0, "matrix text"};
        source.setEntry(m);
        source.setEntry({"vec", 3, 1, {10, 20, 30}, 0.0, ""});
        source.setEntry({"k", 0, 0, {}, 4.5, "kay"});
        source.setEntry({"short", 2, 2, {1, 2, 3}, 0.0, ""});  // fewer values than rows x columns
        source.setEntry({"i", 0, 0, {}, 2.0, ""});
        source.setEntry({"j", 0, 0, {}, 3.0, ""});
        source.setEntry({"big", 0, 0, {}, 1e300, ""});
        source.setEntry({"neg", 0, 0, {}, -1e300, ""});
        source.setEntry({"nan", 0, 0, {}, std::numeric_limits<double>::quiet_NaN(), ""});
        PropertyValueSource::Entry clr;
        clr.name = "clr";
        clr.setColour(0x80FF0000u);
        source.setEntry(clr);
    }
    PropertyValueSource source;
};

TEST_F(ValueSourceTest, References) {
    struct Case {
        const char* ref;
        bool found;
        double value;
    } cases[] = {
        {"matrix[2][3]", true, 6},
        {"MATRIX(2){3}", true, 6},
        {" matrix [ 2 ] [ 3 ] ", true, 6},
        {"matrix[3]", false, 0},
        {"matrix[2][4]", false, 0},
        {"matrix[0]", false, 0},
        {"matrix[2]", true, 4},
        {"matrix", true, 1},
        {"matrix[][2]", true, 2},
        {"matrix[1][2][3]", true, 3},  // a later group replaces the column
        {"matrix[[2]]", true, 4},      // inner brackets are dropped
        {"matrix[2", true, 4},         // an unclosed group ends with the text
        {"matrix[#i#][#j#]", true, 6},
        {"matrix[ #I# ][#j#]", true, 6},
        {"matrix[#nope#]", false, 0},
        {"matrix[#big#]", false, 0},
        {"matrix[#neg#]", false, 0},
        {"matrix[-2147483648]", false, 0},
        {"short[2][1]", true, 3},
        {"short[2][2]", false, 0},
        {"vec[3]", true, 30},
        {"vec[4]", false, 0},
        {"k", true, 4.5},
        {"k[9][9]", true, 4.5},  // a scalar has no indexes
        {"none", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ref);
        double v = -1;
        EXPECT_EQ(source.lookupValue(c.ref, v), c.found);
        if (c.found) {
            EXPECT_EQ(v, c.value);
        }
    }
    QString text;
    EXPECT_TRUE(source.lookupText("Matrix[1][1]", text));
    EXPECT_EQ(text, "matrix text");
    EXPECT_FALSE(source.lookupText("none", text));
}

TEST_F(ValueSourceTest, LinkedItemsReadThroughTheSource) {
    CKwPGL list;
    struct Case {
        const char* text;
        int i;
        double d;
        bool b;
        uint32_t colour;
        const char* resolvedText;
    } cases[] = {
        {"#matrix[2][3]#", 6, 6.0, true, 0, "matrix text"},
        {"#k#", 4, 4.5, true, 0, "kay"},
        {"#big#", INT_MAX, 1e300, true, 0, ""},
        {"#neg#", INT_MIN, -1e300, false, 0, ""},
        {"#nan#", 0, std::nan(""), false, 0, ""},
        {"#clr#", 0, 0.0, true, 0x80FF0000u, ""},  // a tiny positive real
        // an unresolved link keeps the item's own forms
        {"#none#", 0, 0.0, false, 0, "#none#"},
    };
    list.source = &source;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ParseItemValue(*list.GetOrAddItem(0, 0), c.text);
        EXPECT_EQ(list.GetItemInt(0, 0), c.i);
        if (std::isnan(c.d)) {
            EXPECT_TRUE(std::isnan(list.GetItemDouble(0, 0)));
        } else if (c.colour == 0) {
            EXPECT_EQ(list.GetItemDouble(0, 0), c.d);
        }
        EXPECT_EQ(list.GetItemBool(0, 0), c.b);
        if (c.colour) {
            EXPECT_EQ(uint32_t(list.GetItemColor(0, 0)), c.colour);
        }
        EXPECT_EQ(list.GetItemText(0, 0, true), c.resolvedText);
        EXPECT_EQ(list.GetItemText(0, 0, false), c.text);
    }

    // Without a source the parsed forms are used.
    list.source = nullptr;
    ParseItemValue(*list.GetOrAddItem(0, 0), "#k#");
    EXPECT_EQ(list.GetItemText(0, 0, true), "#k#");
    EXPECT_EQ(list.GetItemDouble(0, 0), 0.0);
}

}  // namespace
}  // namespace toliva
