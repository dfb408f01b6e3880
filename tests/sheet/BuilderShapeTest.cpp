// The sheet builds every structure with the chains the LaTeX reader gives the
// same type: a structure inserted from a symbol key, written as LaTeX and
// read back keeps its shape. And the kind-3 table: how many chains each
// structure gets, which chain takes a wrapped selection and where the caret
// goes.
#include "SheetTestSupport.h"

#include "sheet/editing/EditOps.h"
#include "sheet/editing/ElementWork.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqTreeOps.h"
#include "platform/MessageSink.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace toliva::test {
namespace {

// The shipped name table beside the test program, read once.
CTeXCode& names() {
    static CTeXCode table;
    return table;
}

// Every structure type of the builder table.
std::vector<int32_t> structureTypes() {
    std::vector<int32_t> types;
    for (int32_t t = 1; t <= 2048; ++t)
        if (ArgumentBuilderOf(t) != BuildCharacter) types.push_back(t);
    return types;
}

// The key a symbol bar gives for a type: brackets of type 336 carry their
// delimiters, matrices two rows and two columns.
InsertionKey keyOf(int32_t type) {
    InsertionKey key{type, 0, 0, 0};
    if (type == 336) key.ch = 0x0111;  // round brackets
    if (IsMatrixType(type)) key.opt1 = key.opt2 = 2;
    return key;
}

// A shape as text: each element as its type with its chains in parentheses,
// characters as themselves. Brackets show their delimiters instead of their
// type: the reader gives every bracket the general type that holds them.
std::string shapeOf(const EqElement* head);
std::string shapeOfElement(const EqElement* e) {
    if (IsCharType(e->type) && e->ch < 128) return std::string(1, char(e->ch));
    std::string out;
    if (IsBracketType(e->type)) {
        const BracketDelimiters d = GetBracketDelimiters(e);
        out = "br" + std::to_string(d.left) + "," + std::to_string(d.right);
    } else {
        out = std::to_string(e->type);
    }
    if (e->children.empty()) return "[" + out + "]";
    out += "(";
    for (size_t i = 0; i < e->children.size(); ++i) out += (i ? "|" : "") + shapeOf(e->children[i]);
    return out + ")";
}
std::string shapeOf(const EqElement* head) {
    std::string out;
    for (const EqElement* e = head ? head->next : nullptr; e; e = e->next) out += shapeOfElement(e);
    return out;
}

// The structure inserted on an empty line, each chain holding one letter
// (a, b, c, ... in chain order) so that the order of the chains shows.
std::string insertedShape(int32_t type, QString* latex) {
    EqModel eq{builtInStyle()};
    SheetSelection none;
    EqElement* e = InsertKey(&eq, none, keyOf(type));
    EqBuilder b(&eq);
    for (size_t i = 0; i < e->children.size(); ++i)
        b.text(e->children[i], std::u16string(1, char16_t(u'a' + i % 26)), EqTypeCharItalic);
    TeXWriteContext write;
    write.names = &names();
    write.delimiters = LaTeXNoDelimiters;
    *latex = EquationToLaTeX(eq, write);
    return shapeOf(eq.lines.at(0));
}

std::string readBackShape(const QString& latex) {
    EqModel eq{builtInStyle()};
    TeXReadContext read;
    read.names = &names();
    const LaTeXReadResult r = ReadLaTeXInto(latex, &eq, read);
    if (!r.ok) return "not read: " + r.message.toStdString();
    std::string out;
    for (size_t i = 0; i < eq.lines.size(); ++i) out += (i ? "/" : "") + shapeOf(eq.lines[i]);
    return out;
}

// Structures whose LaTeX form reads back as another shape for reasons of the
// writer or the reader, not of the builders: what comes back, and why.
struct OtherForm {
    int32_t lo, hi;
    // What is read back: the shape text, or null for "the same chains under
    // another type of the same kind".
    const char* readBack;
    const char* reason;
};
const OtherForm kOtherForms[] = {
    {129, 129, nullptr, "both bevelled fractions are written as one slash form"},
    {131, 131, "131(a|b|)", "the long division is written without its quotient"},
    {133, 134, "ab", "stacks have no LaTeX form: their chains are written as groups"},
    {135, 135, "a", "the arc mark has no LaTeX form"},
    {176, 176, "174(a)", "the baseline script is written as a subscript"},
    {178, 178, "179(177(a|b)|c)", "over and under text is written as an under-set over-set"},
    {181, 181, "[1123]175(a|b)", "scripts with a bar are written as a bar and scripts"},
    {182, 182, "175(a|b)", "side scripts are only read before a big operator"},
    {218, 219, nullptr, "written with the command of another over accent"},
    {224, 225, nullptr, "written with the command of another under accent"},
    {227, 227, nullptr, "written with the command of another under accent"},
    {234, 235, nullptr, "written with the command of another under accent"},
    {240, 241, nullptr, "written with the command of another enclosure"},
    {243, 247, nullptr, "written with the command of another enclosure"},
    {250, 252, nullptr, "written with the command of another enclosure"},
    {372, 372, nullptr, "case lists are written as arrays and read as column arrays"},
    {554, 559, nullptr, "the reader gives extensible arrows their outline types"},
    {561, 569, nullptr, "the reader gives extensible arrows their outline types"},
    {571, 573, nullptr, "the reader gives extensible arrows their outline types"},
    {590, 597, nullptr, "frame marks are written as underlines"},
    {608, 608, "a", "the chemical form has no LaTeX form"},
    // Arrows with their text under only: the reader has no such form and
    // gives an arrow with an empty text over.
    {634, 634, "628(|a)", "no LaTeX form with the text under only"},
    {635, 635, "629(|a)", "no LaTeX form with the text under only"},
    {636, 636, "630(|a)", "no LaTeX form with the text under only"},
    {637, 637, "631(|a)", "no LaTeX form with the text under only"},
    {638, 638, "640(|a)", "no LaTeX form with the text under only"},
    {639, 639, "641(|a)", "no LaTeX form with the text under only"},
    {860, 863, "308(a|b|c)", "a big operator with its own outline is written as a sum"},
};

const OtherForm* otherFormOf(int32_t type) {
    for (const OtherForm& f : kOtherForms)
        if (type >= f.lo && type <= f.hi) return &f;
    return nullptr;
}

// The shape with the outer structure's type left out: its chains.
std::string chainsOf(const std::string& shape) {
    const size_t open = shape.find('(');
    return open == std::string::npos ? shape : shape.substr(open);
}

TEST(BuilderShapeTest, EveryStructureReadsBackFromItsLaTeXWithTheChainsItWasBuiltWith) {
    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    int compared = 0;
    for (int32_t type : structureTypes()) {
        SCOPED_TRACE(type);
        QString latex;
        const std::string built = insertedShape(type, &latex);
        const std::string back = readBackShape(latex);
        SCOPED_TRACE(latex.toStdString());
        if (const OtherForm* other = otherFormOf(type)) {
            if (other->readBack) {
                EXPECT_EQ(back, other->readBack) << other->reason;
            } else {
                EXPECT_NE(back, built) << "reads back as it was built: no longer an other form";
                EXPECT_EQ(chainsOf(back), chainsOf(built)) << other->reason;
            }
            continue;
        }
        ++compared;
        EXPECT_EQ(back, built);
    }
    EXPECT_GT(compared, 180);
}

// The chains of a structure inserted from a kind-3 key: how many, which one
// takes a wrapped selection, and where the caret goes without and with one.
struct Chains {
    int count, selection, caret, caretWithSelection;
};
constexpr Chains kOne{1, 0, 0, 0};
constexpr Chains kTwoFirst{2, 0, 0, 1};
constexpr Chains kTwoSecond{2, 1, 1, 0};
constexpr Chains kThreeFirst{3, 0, 0, 1};
constexpr Chains kThreeLast{3, 2, 2, 0};
constexpr Chains kTwoCells{2, 0, 0, 0};   // a row or column of the key's two cells
constexpr Chains kFourCells{4, 0, 0, 0};  // a 2 x 2 matrix

struct ChainRow {
    int32_t lo, hi;
    Chains chains;
};
const ChainRow kKindThree[] = {
    {128, 130, kTwoFirst},   {131, 131, kThreeFirst}, {132, 134, kTwoFirst},   {135, 136, kOne},
    {137, 137, kTwoFirst},   {173, 174, kOne},        {175, 175, kTwoFirst},   {176, 176, kOne},
    {177, 177, kTwoFirst},   {178, 178, kThreeFirst}, {179, 182, kTwoFirst},   {189, 190, kOne},
    {191, 191, kTwoFirst},   {208, 219, kOne},        {224, 235, kOne},        {240, 252, kOne},
    {256, 256, kOne},
    // Integrals: the integrand takes the selection; the caret goes on to the
    // first limit.
    {274, 275, kThreeLast},  {276, 276, kOne},        {277, 277, kTwoSecond},  {278, 285, kThreeLast},
    {286, 286, kOne},        {287, 287, kThreeLast},  {288, 288, kOne},        {289, 289, kTwoSecond},
    {290, 290, kThreeLast},  {291, 291, kOne},        {292, 292, kTwoSecond},  {293, 293, kOne},
    {294, 294, kTwoSecond},  {295, 295, kOne},        {296, 296, kTwoSecond},  {297, 297, kOne},
    {298, 298, kTwoSecond},  {299, 299, kOne},        {300, 301, kTwoSecond},  {302, 302, kOne},
    {303, 303, kTwoSecond},  {304, 304, kOne},        {305, 305, kTwoSecond},
    // Big operators: no limits, a lower limit, both.
    {306, 306, kOne},        {307, 307, kTwoSecond},  {308, 308, kThreeLast},  {309, 309, kOne},
    {310, 310, kTwoSecond},  {311, 311, kThreeLast},  {312, 312, kOne},        {313, 313, kTwoSecond},
    {314, 314, kThreeLast},  {315, 315, kOne},        {316, 316, kTwoSecond},  {317, 317, kThreeLast},
    {318, 318, kOne},        {319, 319, kTwoSecond},  {320, 320, kThreeLast},  {321, 321, kOne},
    {322, 322, kTwoSecond},  {323, 323, kThreeLast},  {324, 324, kOne},        {325, 325, kTwoSecond},
    {326, 326, kThreeLast},  {327, 327, kOne},        {328, 328, kTwoSecond},  {329, 329, kThreeLast},
    {330, 330, kOne},        {331, 331, kTwoSecond},  {332, 332, kThreeLast},  {333, 333, kOne},
    {334, 334, kTwoSecond},  {335, 335, kThreeLast},
    {336, 366, kOne},        {367, 368, kTwoFirst},   {369, 370, kTwoCells},   {371, 371, kFourCells},
    {372, 372, kTwoCells},   {553, 563, kOne},        {564, 574, kTwoFirst},   {590, 598, kOne},
    {608, 608, kOne},        {624, 627, kOne},        {628, 631, kTwoFirst},   {632, 639, kOne},
    {640, 641, kTwoFirst},   {642, 642, kOne},        {643, 643, kTwoFirst},
    {769, 772, kTwoSecond},  {773, 776, kThreeLast},  {777, 778, kTwoSecond},  {779, 780, kThreeLast},
    {781, 782, kTwoSecond},  {783, 784, kThreeLast},  {785, 785, kTwoSecond},  {786, 786, kThreeLast},
    {787, 787, kTwoSecond},  {788, 788, kThreeLast},
    {800, 800, kOne},        {801, 801, kTwoSecond},  {802, 802, kThreeLast},  {803, 803, kOne},
    {804, 804, kTwoSecond},  {805, 805, kThreeLast},  {848, 863, kThreeLast},  {1536, 1536, kOne},
};

const Chains* kindThreeChains(int32_t type) {
    for (const ChainRow& row : kKindThree)
        if (type >= row.lo && type <= row.hi) return &row.chains;
    return nullptr;
}

TEST(BuilderShapeTest, KindThreeKeysGiveTheirChainsTheSelectionAndTheCaret) {
    for (int32_t type : structureTypes()) {
        SCOPED_TRACE(type);
        const Chains* expected = kindThreeChains(type);
        ASSERT_NE(expected, nullptr) << "a structure type outside the table";

        // Without a selection the caret goes into its chain.
        {
            EqModel eq{builtInStyle()};
            SheetSelection none;
            EqElement* e = InsertKey(&eq, none, keyOf(type));
            ASSERT_EQ(int(e->children.size()), expected->count);
            EXPECT_EQ(eq.caret, e->children[size_t(expected->caret)]);
        }
        // "ab" selected in "xaby" goes into the selection chain, the caret to
        // the end of its chain.
        EqModel eq{builtInStyle()};
        EqBuilder b(&eq);
        EqElement* line = b.line();
        b.text(line, u"xaby", EqTypeCharItalic);
        SheetSelection sel;
        for (EqElement* s : {line->next->next, line->next->next->next}) {
            sel.items.push_back(s);
            SetElementSelected(s, true);
        }
        SetEquationCaret(&eq, line->next->next->next);
        EqElement* e = InsertKey(&eq, sel, keyOf(type));
        ASSERT_EQ(int(e->children.size()), expected->count);
        for (int i = 0; i < expected->count; ++i)
            EXPECT_EQ(chainText(e->children[size_t(i)]), i == expected->selection ? "ab" : "") << "chain " << i;
        // The structure took the selected run's place.
        ASSERT_EQ(line->next->next, e);
        ASSERT_TRUE(e->next && e->next->ch == u'y' && !e->next->next);
        EXPECT_EQ(eq.caret, FindChainEnd(e->children[size_t(expected->caretWithSelection)]));
        EXPECT_FALSE(sel.exists());
    }
}

}  // namespace
}  // namespace toliva::test
