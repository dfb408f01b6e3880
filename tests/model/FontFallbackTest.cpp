// Characters that the family chosen for them lacks are measured and drawn with
// an installed family that has them: Hangul and kana in text, Greek symbols in
// the sans-serif face. Characters the chosen family has keep it.
#include "model/EqBuilder.h"
#include "model/EqDraw.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/RenderContext.h"

#include "platform/gdiplus/Font.h"

#include "tests/common/InkCheck.h"
#include "tests/common/ModelFixtures.h"
#include "tests/model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

using namespace toliva;

namespace {

bool familyDraws(const EqFont* font, char16_t code) {
    if (!font) return false;
    for (int style = gp::FontStyleRegular; style <= gp::FontStyleBoldItalic; ++style) {
        const gp::FontFace* face = font->family.face(style);
        if (face && face->glyphFor(code) != 0) return true;
    }
    return false;
}

QString familyName(const EqFont* font) { return font ? font->family.GetFamilyName() : QStringLiteral("(none)"); }

struct FallbackCase {
    const char* what;
    char16_t code;
    int32_t type;
    const char* family;  // the family that draws it
    bool own = false;    // one of the program's own families, known by the name it carries
};

TEST(FontFallback, ACharacterTheChosenFamilyLacksComesFromOneThatHasIt) {
    const FallbackCase cases[] = {
        // Kept: the chosen family has the character.
        {"italic x", u'x', EqTypeCharItalic, "Toliva", true},
        {"upright alpha", u'\u03B1', EqTypeCharUpright, "Toliva", true},
        {"sans-serif A", u'A', EqTypeCharSans, "CMU Sans Serif", true},
        {"sans-serif alpha", u'\u03B1', EqTypeCharSans, "CMU Sans Serif", true},
        // Replaced.
        {"Hangul syllable", u'\uD55C', EqTypeCharUpright, "Microsoft YaHei"},
        {"Hangul syllable, italic", u'\uAE00', EqTypeCharItalic, "Microsoft YaHei"},
        {"hiragana (CJK text)", u'\u3042', EqTypeCharUpright, "Microsoft YaHei"},
        {"katakana (CJK text)", u'\u30AB', EqTypeCharUpright, "Microsoft YaHei"},
        {"ideograph (CJK text)", u'\u6F22', EqTypeCharUpright, "Microsoft YaHei"},
        {"sans-serif upsilon with hook", u'\u03D2', EqTypeCharSans, "Segoe UI"},
        {"monospace upsilon with hook", u'\u03D2', EqTypeCharMono, "Consolas"},
    };
    for (const FallbackCase& k : cases) {
        SCOPED_TRACE(k.what);
        EqModel eq(test::builtInStyle());
        EqBuilder b(&eq);
        EqElement* line = b.line();
        EqElement* e = b.add(line, k.type, 0, k.code);
        test::layoutForInkCheck(test::programContext(), eq);
        EXPECT_TRUE(familyDraws(e->font, k.code)) << familyName(e->font).toStdString();
        if (k.own)
            EXPECT_EQ(familyName(e->font).toStdString(), k.family);
        else
            EXPECT_EQ(e->font, InternFont(gp::FontFamily(QString::fromLatin1(k.family))))
                << familyName(e->font).toStdString();

        // The character is drawn: ink inside its box.
        const test::InkDrawing d = test::drawLineInk(test::programContext(), line, 200, 120, 20, 70);
        const test::InkCount ink = test::countInk(d.image, e->rect);
        EXPECT_GT(ink.inside, 10);
    }
}

TEST(FontFallback, ACharacterNoFamilyHasKeepsTheChosenFamily) {
    EqModel eq(test::builtInStyle());
    const RenderScope scope(&eq, test::programContext());
    SetupEquationFonts(&eq);
    const EqFont* math = EquationFonts(&eq).mathFamily;
    EXPECT_EQ(FamilyWithCharacter(&eq, math, 0xF8FF), math);
}

}  // namespace
