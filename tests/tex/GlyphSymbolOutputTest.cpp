// Every glyph symbol of the shipped symbol library is written as MathML and
// as LaTeX with something in it: no empty token element, no empty LaTeX and
// no \symbol without a code.
#include "TeXTestContext.h"

#include "model/EqBuilder.h"
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "tex/LaTeX.h"
#include "tex/MathML.h"
#include "tests/common/ModelFixtures.h"

#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace toliva::test {
namespace {

TEST(GlyphSymbolOutput, EverySymbolOfTheLibraryWritesSomething) {
    const SymbolLibrary& symbols = shippedSymbols();
    ASSERT_FALSE(symbols.glyphs.empty()) << "Dat/KwSLData.dat is missing beside the test program";
    TeXWriteContext context = writeContext(LaTeXNoDelimiters);
    context.symbols = &symbols;

    static const QRegularExpression emptyToken(
        QStringLiteral("<(mo|mi|mn|mtext)(\\s[^>]*)?/>|<(mo|mi|mn|mtext)(\\s[^>]*)?>\\s*</\\3>"));
    static const QRegularExpression emptySymbol(QStringLiteral("\\\\symbol\\{\\s*\"?\\s*\\}"));
    QStringList wrong;
    for (int code = 1; code <= int(symbols.glyphs.size()); ++code) {
        // A record without a shape and without a character stands for an
        // empty place (of the arrow run), not for a symbol.
        const GlyphOutline* g = symbols.glyph(code);
        if (!g || (g->count == 0 && g->charCode == 0)) continue;
        for (int type : {EqTypeGlyphSymbol, EqTypeUserSymbol, EqTypeGlyphSymbolBold}) {
            EqModel eq(builtInStyle());
            EqBuilder b(&eq);
            b.add(b.line(), type, 0, uint16_t(code));
            const QString mathml = EquationToMathML(eq, context);
            const QString latex = EquationToLaTeX(eq, context);
            if (emptyToken.match(mathml).hasMatch())
                wrong << QStringLiteral("%1 type %2 MathML: %3").arg(code).arg(type).arg(mathml.simplified());
            if (latex.trimmed().isEmpty() || emptySymbol.match(latex).hasMatch())
                wrong << QStringLiteral("%1 type %2 LaTeX: \"%3\"").arg(code).arg(type).arg(latex);
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " faults:\n" << wrong.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace toliva::test
