// The compound templates of symbol key kind 15: what each inserts, where the
// caret ends, what becomes of a selection, and that the sheet makes one undo
// step of each.
#include "SheetFixtures.h"
#include "SheetTestSupport.h"

#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/ElementWork.h"
#include "sheet/editing/Templates.h"

#include "common/ModelFixtures.h"
#include "model/EqBuilder.h"
#include "model/EqLayoutTestSupport.h"
#include "model/EqModel.h"
#include "model/EqStream.h"

#include <gtest/gtest.h>

#include <string>

namespace toliva::test {
namespace {

class TemplatesTest : public ::testing::Test {
protected:
    // A line "xy" with the caret after the x.
    void start() {
        ClearEquation(&eq);
        EqElement* line = b.line();
        b.text(line, u"xy", EqTypeCharItalic);
        SetEquationCaret(&eq, line->next);
    }
    bool insert(int number) {
        return InsertTemplate(&eq, sel, number, [this](const InsertionKey& key) { return InsertKey(&eq, sel, key); });
    }
    EqElement* line() { return eq.lines.at(0); }

    EqModel eq{builtInStyle()};
    EqBuilder b{&eq};
    SheetSelection sel;
};

TEST_F(TemplatesTest, EachTemplateInsertsItsElementsAndPlacesTheCaret) {
    struct Case {
        int number;
        const char* text;
        const char* caret;  // the element the caret is on, as a path below the line
    };
    // Paths: "2" is the third element of the line, "2/c1/0" the head of its
    // chain 1, "2/c0/1/c0/0" the head of chain 0 of the element after the
    // head of chain 0 of the line's third element.
    const Case cases[] = {
        {8, "x[177:[210:]|]y", "2/c1/0"},   // the accent is the base; the caret goes to the script
        {9, "x[179:[226:]|]y", "2/c1/0"},
        {10, "x[177:[216:]|]y", "2/c1/0"},
        {11, "x[179:[232:]|]y", "2/c1/0"},
        {32, "x[336:|]y", "2/c0/0"},
        {33, "x[336:|]y", "2/c0/0"},
        {34, "x[6]|y", "3"},
        {35, "x|[6]y", "3"},
        {36, "x[6]|[6]y", "3"},              // between the bar and the ket's bracket
        {64, "x[1536:[128:|]]y", "2/c0/1/c0/0"},
        {65, "x[1536:[129:|]]y", "2/c0/1/c0/0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        start();
        ASSERT_TRUE(insert(c.number));
        EXPECT_EQ(equationText(eq), c.text);
        EXPECT_EQ(elementPath(eq.caret), std::string("L0/") + c.caret);
        EXPECT_FALSE(sel.exists());
    }
}

TEST_F(TemplatesTest, BracketsBraketsAndBarsCarryTheirCodes) {
    start();
    insert(32);
    EqElement* round = line()->next->next;
    EXPECT_EQ(GetBracketDelimiters(round).left, 1);
    EXPECT_EQ(GetBracketDelimiters(round).right, 17);
    start();
    insert(33);
    EqElement* curly = line()->next->next;
    EXPECT_EQ(GetBracketDelimiters(curly).left, 3);
    EXPECT_EQ(GetBracketDelimiters(curly).right, 19);

    start();
    insert(36);
    const EqElement* bra = line()->next->next;
    EXPECT_EQ(bra->type, EqTypeGlyphSymbol);
    EXPECT_EQ(bra->ch, 381);
    EXPECT_EQ(bra->next->type, EqTypeCharUpright);
    EXPECT_EQ(bra->next->ch, u'|');
    EXPECT_EQ(bra->next->next->ch, 382);
}

TEST_F(TemplatesTest, ASelectionGoesIntoTheFirstStructure) {
    struct Case {
        int number;
        const char* text;
    };
    const Case cases[] = {
        {8, "x[177:[210:ab]|]y"},          // under the accent, the accent the script's base
        {32, "x[336:ab|]y"},
        {64, "x[1536:ab[128:|]]y"},         // in the group, before the fraction
        {34, "x[6]|y"},                     // no structure: the selection is replaced
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        ClearEquation(&eq);
        EqElement* l = b.line();
        b.text(l, u"xaby", EqTypeCharItalic);
        for (EqElement* e : {l->next->next, l->next->next->next}) {
            sel.items.push_back(e);
            SetElementSelected(e, true);
        }
        SetEquationCaret(&eq, l->next->next->next);
        ASSERT_TRUE(insert(c.number));
        EXPECT_EQ(equationText(eq), c.text);
        EXPECT_FALSE(sel.exists());
    }
}

TEST_F(TemplatesTest, OtherNumbersInsertNothing) {
    start();
    const QByteArray before = EquationToBytes(&eq);
    for (int number : {0, 7, 12, 31, 37, 63, 66, 118}) {
        EXPECT_FALSE(IsTemplateNumber(number)) << number;
        EXPECT_FALSE(insert(number)) << number;
    }
    EXPECT_EQ(EquationToBytes(&eq), before);
}

TEST(TemplatesSheetTest, ATemplateIsOneUndoStep) {
    AppContext app;
    EqModel eq{builtInStyle()};
    EqBuilder b(&eq);
    b.text(b.line(), u"x", EqTypeCharItalic);
    CKwEESheet sheet(app, programContext(), nullptr, std::make_unique<HeadlessSheetBackend>());
    ShowSheetOffscreen(sheet, QSize(300, 200), &eq);
    SetEquationCaret(&eq, nullptr);

    sheet.InsertTemplate(12);  // no template: no step
    EXPECT_EQ(sheet.undoHistory().undoCount(), 0);

    for (int number : {8, 36, 64}) {
        SCOPED_TRACE(number);
        sheet.InsertTemplate(number);
        EXPECT_NE(equationText(eq), "x");
        EXPECT_EQ(sheet.undoHistory().undoCount(), 1);
        sheet.Undo();
        EXPECT_EQ(equationText(eq), "x");
        EXPECT_EQ(sheet.undoHistory().undoCount(), 0);
        SetEquationCaret(&eq, nullptr);
    }
}

}  // namespace
}  // namespace toliva::test
