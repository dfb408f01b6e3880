// What the symbol editor reads of the sheet: the caret's neighbours, the
// layout settings and the render context, and the preview built from them.
#include "shell/SheetUserSymSheet.h"
#include "ShellTestSupport.h"
#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "sheet/CKwEESheet.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace toliva {
namespace {

class SheetUserSymSheetTest : public test::ShellFixture {
protected:
    void SetUp() override {
        test::ShellFixture::SetUp();
        eq = std::make_unique<EqModel>(test::builtInStyle());
        EqBuilder b(eq.get());
        b.text(b.line(), u"bc", EqTypeCharBold);
        sheet = std::make_unique<CKwEESheet>(app, render);
        sheet->SetEquation(eq.get());
    }
    void TearDown() override {
        sheet.reset();
        eq.reset();
        test::ShellFixture::TearDown();
    }
    AppContext app;
    RenderContext render = RenderContext::FromDataFolder();
    std::unique_ptr<EqModel> eq;
    std::unique_ptr<CKwEESheet> sheet;
};

TEST_F(SheetUserSymSheetTest, ThePreviewStandsBetweenTheCaretsNeighbours) {
    EqElement* b = eq->lines[0]->next;
    ASSERT_TRUE(b && b->ch == 'b' && b->next && b->next->ch == 'c');
    SetEquationCaret(eq.get(), b);
    SheetUserSymSheet adapter(*sheet);
    EqLayoutSettings settings;
    ASSERT_TRUE(adapter.layoutSettings(settings));
    EXPECT_EQ(settings.fontSize, eq->settings.fontSize);
    EXPECT_EQ(adapter.renderContext(), &sheet->renderContext());

    GlyphOutline glyph;
    glyph.points = {{-30, -40}, {30, -40}, {30, 40}, {-30, 40}};
    glyph.types = {0, 1, 1, 0x81};
    glyph.count = 4;
    glyph.m[0] = 60;
    glyph.m[1] = glyph.m[2] = 40;
    UserSymEditModel model;
    model.SetWorkingGlyph(glyph);
    model.BuildPreview(&adapter);
    const EqElement* first = model.preview()->lines[0]->next;
    ASSERT_TRUE(first && first->next && first->next->next);
    EXPECT_EQ(first->type, EqTypeCharBold);
    EXPECT_EQ(first->ch, 'b');
    EXPECT_EQ(first->next->next->ch, 'c');
    EXPECT_EQ(model.preview()->settings.fontSize, 100.0f);
    EXPECT_FLOAT_EQ(model.preview()->settings.size2, eq->settings.size2 * 100.0f / eq->settings.fontSize);
    EXPECT_TRUE(model.Layout(QRect(0, 0, 400, 200), UserSymEditModel::ContextOf(&adapter)));

    // On the line's head (no character) the preview reads A and x.
    SetEquationCaret(eq.get(), eq->lines[0]);
    model.BuildPreview(&adapter);
    EXPECT_EQ(model.preview()->lines[0]->next->ch, 'A');
}

}  // namespace
}  // namespace toliva
