// The font-character picker as the program runs it for its sheet: the big
// operators 860 to 863 take the chosen character's outline on OK, Cancel
// inserts nothing, and OK without a choice keeps the picker open and gives
// the sheet nothing.
#include "ShellTestSupport.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/SymbolKey.h"
#include "panels/CDlgSelSym.h"
#include "sheet/CKwEESheet.h"
#include "shell/CTolivaView.h"
#include "shell/ShellEditDialogs.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>

#include <algorithm>

namespace toliva::test {
namespace {

constexpr int kElementKind = 3;

EqElement* findType(EqElement* head, int32_t type) {
    for (EqElement* e = head; e; e = e->next) {
        if (e->type == type) return e;
        for (EqElement* child : e->children)
            if (EqElement* found = findType(child, type)) return found;
    }
    return nullptr;
}

class SelectSymbolShellTest : public ProgramFixture {
protected:
    void start() {
        ASSERT_TRUE(startProgram());
        sheet().setFocus();
    }
    EqElement* find(int32_t type) { return findType(sheet().equation()->lines[0], type); }
    // Chooses the character in DejaVu Sans and presses OK.
    void answerWith(char16_t code) {
        view().editDialogs()->runSelectSymbol = [=, this](CDlgSelSym& d) {
            ++runs;
            d.fontCombo()->setCurrentIndex(d.fontCombo()->findText(QStringLiteral("DejaVu Sans")));
            d.ApplyFontChoice();
            const auto it = std::find(d.m_chars.begin(), d.m_chars.end(), uint16_t(code));
            EXPECT_NE(it, d.m_chars.end());
            const int index = int(it - d.m_chars.begin());
            d.ScrollCharactersTo(index / 12);
            d.SelectCharacterCell(index - d.m_scroll.position * 12 + 1);
            d.OnOK();
            return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
        };
    }
    int runs = 0;
};

TEST_F(SelectSymbolShellTest, TheBigOperatorsTakeTheChosenCharacter) {
    start();
    const std::pair<int32_t, char16_t> cases[] = {{860, u'A'}, {861, u'Σ'}, {862, u'x'}, {863, u'∮'}};
    for (const auto& [type, code] : cases) {
        SCOPED_TRACE(type);
        answerWith(code);
        const int before = runs;
        view().TakeSymbolKey(SymbolKey{kElementKind, type, 0});
        EXPECT_EQ(runs, before + 1);
        EqElement* e = find(type);
        ASSERT_NE(e, nullptr);
        ASSERT_NE(e->glyph, nullptr);
        EXPECT_EQ(e->glyph->charCode, int16_t(code));
        EXPECT_GT(e->glyph->count, 0);
        EXPECT_EQ(e->glyph->m[1], e->glyph->m[2]);
        if (type == 861) {
            QApplication::processEvents();
            EXPECT_TRUE(view().grab().save(QDir(screenshotFolder()).filePath(QStringLiteral("selsym_sheet_operator.png"))));
        }
        sheet().Undo();
        EXPECT_EQ(find(type), nullptr);
    }
}

TEST_F(SelectSymbolShellTest, CancelAndAnEmptyChoiceInsertNothing) {
    start();
    view().editDialogs()->runSelectSymbol = [](CDlgSelSym&) { return IDCANCEL; };
    view().TakeSymbolKey(SymbolKey{kElementKind, 860, 0});
    EXPECT_EQ(find(860), nullptr);

    // OK without characters stays open (the message is shown); the user then cancels.
    int refusals = 0;
    view().editDialogs()->runSelectSymbol = [&](CDlgSelSym& d) {
        d.m_chars.clear();
        d.m_scroll.count = 0;
        d.OnOK();
        if (d.result() != QDialog::Accepted) ++refusals;
        return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    view().TakeSymbolKey(SymbolKey{kElementKind, 861, 0});
    EXPECT_EQ(refusals, 1);
    EXPECT_EQ(find(861), nullptr);
}

}  // namespace
}  // namespace toliva::test
