// What a typed character becomes: upright digits, punctuation and CJK by the
// three option bytes, upright places in structures, automatic words longest
// first and by a character's LaTeX name, and the characters of a TeX command
// typed with TeX typing on.
#include "SheetTestSupport.h"

#include "sheet/editing/AutoFormat.h"
#include "sheet/editing/EditOps.h"
#include "sheet/editing/ElementWork.h"
#include "sheet/editing/WordLists.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "platform/AppContext.h"
#include "tex/TeXContext.h"

#include <gtest/gtest.h>

#include <string>

namespace toliva::test {
namespace {

class AutoFormatTest : public ::testing::Test {
protected:
    AutoFormatTest() {
        context.words = &words;
        context.texWrite = &texWrite;
        for (bool& option : words.autoFormat) option = false;
    }

    // Types text at the caret as the sheet does, in the given style.
    void type(std::u16string_view text, int32_t style = EqTypeCharItalic) {
        const TypedCharacterHook hook = MakeTypedCharacterHook(context);
        for (char16_t c : text) InsertKey(&eq, sel, InsertionKey{style, c}, hook);
    }
    void addWord(const char16_t* word, uint8_t style, bool enabled = true) {
        words.words.push_back({QString::fromUtf16(word), enabled, style});
        words.UpdateListNameLengths();
    }
    // The types of a chain's elements after its head, and which carry the
    // automatic mark ('*').
    static std::string styles(const EqElement* head) {
        std::string out;
        for (const EqElement* e = head->next; e; e = e->next) {
            out += (out.empty() ? "" : " ") + std::to_string(e->type);
            if (HasWorkMark(e, kAutoFormatMark)) out += "*";
        }
        return out;
    }
    EqElement* startLine() {
        EqElement* head = b.line();
        SetEquationCaret(&eq, head);
        return head;
    }

    EqModel eq{builtInStyle()};
    EqBuilder b{&eq};
    SheetSelection sel;
    WordLists words;
    TeXWriteContext texWrite;
    AutoFormatContext context;
};

TEST_F(AutoFormatTest, OptionBytesAndTheNablaMakeCharactersUprightWithTheMark) {
    struct Case {
        const char16_t* text;
        int option;  // the option byte switched on, -1 none
        const char* styles;
    };
    const Case cases[] = {
        {u"x7", -1, "2 2"},
        {u"x7", 0, "2 1*"},
        {u"a,b;", 1, "2 1* 2 1*"},
        {u"(x]", 1, "1* 2 1*"},
        {u"!@~|", 1, "1* 1* 1* 1*"},
        {u"a,(", 0, "2 2 2"},
        {u"\u4E2D\uFF0Cx", 2, "1* 1* 2"},
        {u"\u4E2D", -1, "2"},
        {u"\u2207f", -1, "1* 2"},
        {u"7,\u4E2D", -1, "2 2 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(QString::fromUtf16(c.text).toStdString()) + " option " + std::to_string(c.option));
        for (int i = 0; i < 3; ++i) words.autoFormat[i] = i == c.option;
        EqElement* head = startLine();
        type(c.text);
        EXPECT_EQ(styles(head), c.styles);
    }
}

TEST_F(AutoFormatTest, StructuresWhoseContentIsUprightAndTheTwoExtraRules) {
    struct Case {
        int32_t parent;
        int chains;
        int chain;  // the chain typed into
        uint32_t options;
        int32_t expected;
    };
    const Case cases[] = {
        {EqTypeStackOver, 2, 1, 0, EqTypeCharUpright},
        {EqTypeStackUnder, 2, 0, 0, EqTypeCharUpright},
        {EqTypeChemForm, 5, 0, 0, EqTypeCharUpright},
        {EqTypeArcMark, 1, 0, 0, EqTypeCharUpright},
        {EqTypeFraction, 2, 0, OptExtraUpright1 | OptExtraUpright2, EqTypeCharItalic},
        {EqTypeSubscript, 1, 0, 0, EqTypeCharItalic},
        {EqTypeSubscript, 1, 0, OptExtraUpright1, EqTypeCharUpright},
        {EqTypeSuperscript, 1, 0, OptExtraUpright1, EqTypeCharItalic},
        {EqTypeSubSuperscript, 2, 1, OptExtraUpright2, EqTypeCharUpright},
        {EqTypeSubSuperscript, 2, 0, OptExtraUpright2, EqTypeCharItalic},
        {EqTypeSubSuperscript, 2, 1, OptExtraUpright1, EqTypeCharItalic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.parent) + " chain " + std::to_string(c.chain));
        context.options = c.options;
        EqElement* s = b.add(b.line(), c.parent, c.chains);
        EqElement* chain = EqBuilder::arg(s, c.chain);
        SetEquationCaret(&eq, chain);
        type(u"x");
        ASSERT_NE(chain->next, nullptr);
        EXPECT_EQ(chain->next->type, c.expected);
        EXPECT_EQ(HasWorkMark(chain->next, kAutoFormatMark), c.expected == EqTypeCharUpright);
    }
}

TEST_F(AutoFormatTest, AutomaticWordsMatchLongestFirstOverPlainCharactersOnly) {
    addWord(u"in", 2);   // bold
    addWord(u"sin", 0);  // upright
    addWord(u"cos", 3, false);

    EqElement* line = startLine();
    type(u"xsin");
    EXPECT_EQ(styles(line), "2 1* 1* 1*");

    // A disabled word does nothing; the shorter word still applies.
    line = startLine();
    type(u"cos");
    EXPECT_EQ(styles(line), "2 2 2");
    line = startLine();
    type(u"pin");
    EXPECT_EQ(styles(line), "2 3* 3*");

    // A character with an accent and a structure break a word: only what
    // follows them can match.
    line = startLine();
    type(u"s");
    AddAccentMark(line->next, 1);
    type(u"in");
    EXPECT_EQ(styles(line), "2 3* 3*");
    line = startLine();
    type(u"s");
    InsertKey(&eq, sel, InsertionKey{EqTypeSuperscript, 0});
    SetEquationCaret(&eq, FindChainEnd(line));
    type(u"in");
    EXPECT_EQ(styles(line), "2 173 3* 3*");

    // Switched off, no word applies.
    context.autoWords = false;
    line = startLine();
    type(u"sin");
    EXPECT_EQ(styles(line), "2 2 2");
}

TEST_F(AutoFormatTest, CharactersBeyondAsciiMatchAWordByTheirLaTeXName) {
    addWord(u"\\varGamma", 0);
    addWord(u"\\degree", 2);
    EqElement* line = startLine();
    type(u"\u0393\u00B0\u0394");
    EXPECT_EQ(styles(line), "1* 3* 2");
    // Only above 128: "\#" does not restyle "#".
    addWord(u"\\#", 0);
    line = startLine();
    type(u"#");
    EXPECT_EQ(styles(line), "2");
}

// A style byte beyond bold italic (a damaged word file) would turn the
// characters into structure types without their argument chains.
TEST_F(AutoFormatTest, AWordWithADamagedStyleByteIsNotApplied) {
    addWord(u"sin", 127);
    addWord(u"\\varGamma", 200);
    EqElement* line = startLine();
    type(u"sin\u0393");
    EXPECT_EQ(styles(line), "2 2 2 2");
}

TEST_F(AutoFormatTest, TeXTypingKeepsACommandAsTextCharactersWithoutFormatting) {
    for (bool& option : words.autoFormat) option = true;
    addWord(u"frac", 0);
    struct Case {
        const char16_t* text;
        uint32_t options;
        const char* styles;
    };
    const Case cases[] = {
        {u"a\\fr2", OptTeXTyping, "2 5 5 5 5"},
        {u"x^2", OptTeXTyping, "2 5 5"},
        {u"x_n", OptTeXTyping, "2 5 5"},
        {u"a2", OptTeXTyping, "2 1*"},
        {u"\\frac", 0, "1* 1* 1* 1* 1*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        context.options = c.options;
        EqElement* line = startLine();
        type(c.text);
        EXPECT_EQ(styles(line), c.styles);
    }
}

}  // namespace
}  // namespace toliva::test
