#include "model/EqModel.h"
#include "model/EqTypes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace toliva {
namespace {

class EqTypesTest : public ::testing::Test {
protected:
    EqTypesTest() : eq(EqLayoutSettings()) { line = AddEmptyLine(&eq); }

    // A loose element of the equation (deleted with the fixture).
    EqElement* make(int32_t type, uint16_t ch = 0) {
        EqElement* e = NewChildElement(nullptr, type, ch, FindChainEnd(line));
        return e;
    }

    EqModel eq;
    EqElement* line = nullptr;
};

struct TypeCase {
    const char* name;
    std::function<bool(const EqElement*)> predicate;
    std::vector<int32_t> inside;
    std::vector<int32_t> outside;
};

TEST_F(EqTypesTest, TypePredicatesFollowTheirRanges) {
    const std::vector<TypeCase> cases = {
        {"IsCharType", [](auto e) { return IsCharType(e); }, {1, 2, 3, 4, 5, 16, 17}, {0, 6, 15, 18, 64}},
        {"IsStyledCharType", [](auto e) { return IsStyledCharType(e); }, {1, 4, 16, 17}, {0, 5, 6}},
        {"IsGlyphSymbolType", [](auto e) { return IsGlyphSymbolType(e); }, {6, 7, 8}, {5, 9}},
        {"IsOverAccentType", [](auto e) { return IsOverAccentType(e); }, {208, 219}, {207, 220}},
        {"IsUnderAccentType", [](auto e) { return IsUnderAccentType(e); }, {224, 235}, {223, 236}},
        {"IsEnclosureType", [](auto e) { return IsEnclosureType(e); }, {240, 249, 252}, {239, 253}},
        {"IsIntegralType", [](auto e) { return IsIntegralType(e); }, {274, 305, 769, 788}, {273, 306, 768, 789}},
        {"IsBigOperatorType", [](auto e) { return IsBigOperatorType(e); },
         {306, 335, 800, 805, 848, 863}, {305, 336, 799, 806, 847, 864}},
        {"IsBracketType", [](auto e) { return IsBracketType(e); }, {336, 368}, {335, 369}},
        {"IsMatrixType", [](auto e) { return IsMatrixType(e); }, {369, 372}, {368, 373}},
        {"IsArrowSymbolType", [](auto e) { return IsArrowSymbolType(e); }, {506, 550}, {505, 551}},
        {"IsExtArrowType", [](auto e) { return IsExtArrowType(e); }, {553, 564, 574, 624, 643}, {552, 575, 623, 644}},
        {"IsExtArrowAboveType", [](auto e) { return IsExtArrowAboveType(e); }, {553, 563}, {552, 564, 624, 644}},
        {"IsExtArrowBelowType", [](auto e) { return IsExtArrowBelowType(e); }, {564, 574}, {563, 575, 644}},
        {"IsExtArrowGlyphType", [](auto e) { return IsExtArrowGlyphType(e); }, {624, 643}, {623, 644}},
        {"IsFrameMarkType", [](auto e) { return IsFrameMarkType(e); }, {590, 598}, {589, 599}},
        {"IsCompactGroupType", [](auto e) { return IsCompactGroupType(e); }, {133, 134, 608}, {132, 135, 607}},
        {"IsOperatorType", [](auto e) { return IsOperatorType(e); }, {1042, 1289}, {1041, 1290}},
        {"IsRelationOperator", [](auto e) { return IsRelationOperator(e); },
         {1049, 1069, 1079, 1080, 1114, 1117, 1132, 1142, 1145, 1167},
         {1042, 1048, 1070, 1078, 1081, 1113, 1118, 1131, 1143, 1144, 1168}},
    };
    for (const TypeCase& c : cases) {
        for (int32_t t : c.inside) EXPECT_TRUE(c.predicate(make(t))) << c.name << " " << t;
        for (int32_t t : c.outside) EXPECT_FALSE(c.predicate(make(t))) << c.name << " " << t;
        EXPECT_FALSE(c.predicate(nullptr)) << c.name;
    }
}

struct CharCase {
    int32_t type;
    uint16_t ch;
    bool space, digit, numberChar, bracketChar, punctuation, cjk;
};

TEST_F(EqTypesTest, CharacterPredicates) {
    const std::vector<CharCase> cases = {
        // type, ch, space, digit, number, bracket, punct, cjk
        {1, ' ', true, false, false, false, false, false},
        {1, 0x00A0, false, false, false, false, false, false},
        {105, 0, true, false, false, false, false, false},
        {96, 'x', true, false, false, false, false, false},
        {104, 0, true, false, false, false, false, false},
        {2, '0', false, true, true, false, false, false},
        {17, '9', false, true, true, false, false, false},
        {1, '.', false, false, true, false, true, false},
        {1, '(', false, false, false, true, false, false},
        {5, '}', false, false, false, true, false, false},
        {1, '<', false, false, false, false, false, false},
        {1, 0x2030, false, false, false, false, true, false},
        {2, 0x4E2D, false, false, false, false, false, true},
        {1, 0xFF01, false, false, false, false, false, true},
        {1, 0x2E7F, false, false, false, false, false, false},
        // Not character types: the code does not count.
        {6, '5', false, false, false, false, false, false},
        {1049, '(', false, false, false, false, false, false},
        {0, ' ', false, false, false, false, false, false},
    };
    for (const CharCase& c : cases) {
        const EqElement* e = make(c.type, c.ch);
        SCOPED_TRACE(std::to_string(c.type) + " U+" + std::to_string(c.ch));
        EXPECT_EQ(IsSpaceElement(e), c.space);
        EXPECT_EQ(IsDigitElement(e), c.digit);
        EXPECT_EQ(IsNumberCharElement(e), c.numberChar);
        EXPECT_EQ(IsBracketCharElement(e), c.bracketChar);
        EXPECT_EQ(IsPunctuationElement(e), c.punctuation);
        EXPECT_EQ(IsCJKElement(e), c.cjk);
    }
}

TEST(EqTypesCodes, PunctuationCharacters) {
    const std::u16string yes = u"!#$%&*,./:;?@\\^_|~\u2030";
    for (char16_t c : yes) EXPECT_TRUE(IsPunctuationChar(c)) << int(c);
    const std::u16string no = u"\"'()+-<=>[]{}`0aZ \u00B7\u2031";
    for (char16_t c : no) EXPECT_FALSE(IsPunctuationChar(c)) << int(c);
}

TEST_F(EqTypesTest, GlyphSymbolOperatorNeedsTypeSixAndItsGlyphRange) {
    EXPECT_TRUE(IsGlyphSymbolOperator(make(6, 233)));
    EXPECT_TRUE(IsGlyphSymbolOperator(make(6, 354)));
    EXPECT_FALSE(IsGlyphSymbolOperator(make(6, 232)));
    EXPECT_FALSE(IsGlyphSymbolOperator(make(6, 355)));
    EXPECT_FALSE(IsGlyphSymbolOperator(make(8, 300)));
}

TEST_F(EqTypesTest, NumericChain) {
    EqElement* number = NewChildElement(make(1049), 0, 0, nullptr);
    EqElement* last = number;
    for (char16_t c : std::u16string(u"3.14")) last = NewChildElement(last->parent, 1, c, last);
    EXPECT_TRUE(IsNumericChain(number));
    EXPECT_TRUE(IsNumericChain(number->next->next));  // from the point on

    EqElement* withLetter = NewChildElement(make(1049), 0, 0, nullptr);
    NewChildElement(withLetter->parent, 2, 'x', NewChildElement(withLetter->parent, 1, '2', withLetter));
    EXPECT_FALSE(IsNumericChain(withLetter));

    EqElement* withFraction = NewChildElement(make(1049), 0, 0, nullptr);
    EqElement* one = NewChildElement(withFraction->parent, 1, '1', withFraction);
    EqElement* fraction = NewChildElement(withFraction->parent, 128, 0, one);
    NewChildElement(fraction, 0, 0, nullptr);
    NewChildElement(fraction, 0, 0, nullptr);
    EXPECT_FALSE(IsNumericChain(withFraction));

    // A head with nothing after it holds no non-numeric element.
    EXPECT_TRUE(IsNumericChain(NewChildElement(make(1049), 0, 0, nullptr)));
    EXPECT_FALSE(IsNumericChain(nullptr));
}

TEST_F(EqTypesTest, FractionAncestor) {
    struct Case {
        int32_t outer;
        bool expected;
    };
    for (const Case c : {Case{128, true}, Case{129, true}, Case{130, true}, Case{131, false}, Case{132, true},
                         Case{136, false}}) {
        EqElement* outer = make(c.outer);
        EqElement* arg = NewChildElement(outer, 0, 0, nullptr);
        // Two levels down through a bracket.
        EqElement* bracket = NewChildElement(outer, 337, 0, arg);
        EqElement* inner = NewChildElement(bracket, 0, 0, nullptr);
        EqElement* x = NewChildElement(bracket, 2, 'x', inner);
        EXPECT_EQ(HasFractionAncestor(x), c.expected) << c.outer;
        EXPECT_EQ(HasFractionAncestor(arg), c.expected) << c.outer;
        EXPECT_FALSE(HasFractionAncestor(outer)) << "the element itself does not count";
    }
    EXPECT_FALSE(HasFractionAncestor(nullptr));
}

TEST_F(EqTypesTest, BracketDelimiters) {
    struct Case {
        int32_t type;
        uint16_t ch;
        int left, right;
    };
    const std::vector<Case> cases = {
        {336, 0x0311, 3, 17}, {337, 0, 1, 17},   {338, 0, 2, 18},   {367, 0, 2, 18},   {339, 0, 3, 19},
        {340, 0, 4, 20},      {368, 0, 4, 20},   {341, 0, 5, 21},   {342, 0, 6, 22},   {343, 0, 7, 24},
        {344, 0, 8, 23},      {345, 0, 9, 25},   {346, 0, 2, 2},    {347, 0, 18, 18},  {348, 0, 18, 2},
        {349, 0, 1, 18},      {350, 0, 2, 17},   {351, 0, 4, 21},   {352, 0, 5, 20},   {353, 0, 1, 0},
        {354, 0, 2, 0},       {355, 0, 3, 0},    {356, 0, 4, 0},    {357, 0, 5, 0},    {358, 0, 6, 0},
        {359, 0, 9, 0},       {360, 0, 0, 17},   {361, 0, 0, 18},   {362, 0, 0, 19},   {363, 0, 0, 20},
        {364, 0, 0, 21},      {365, 0, 0, 22},   {366, 0, 0, 25},   {1, 0x2122, 0x21, 0x22},
        // Listed types ignore the character.
        {337, 0xFFFF, 1, 17},
    };
    for (const Case& c : cases) {
        const BracketDelimiters d = GetBracketDelimiters(make(c.type, c.ch));
        EXPECT_EQ(d.left, c.left) << c.type;
        EXPECT_EQ(d.right, c.right) << c.type;
    }
    EXPECT_EQ(GetBracketDelimiters(nullptr).left, 0);
}

}  // namespace
}  // namespace toliva
