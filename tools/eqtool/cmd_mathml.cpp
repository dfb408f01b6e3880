// mathml: prints an equation stream as a MathML document.
#include "Commands.h"

#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/SymbolLibrary.h"
#include "tex/MathML.h"

namespace toliva::eqtool {

// eqtool mathml [--marks] FILE
int runMathml(const QStringList& arguments) {
    QStringList args = arguments;
    const bool markMode = takeMarksOption(args);
    if (args.size() != 1) return kUsageError;
    QByteArray bytes;
    if (!readWholeFile(args[0], &bytes)) return 1;
    // The built-in style: the output must not depend on the user's defaults.
    EqLayoutSettings style;
    SetDefaultLayoutSettings(style);
    EqModel eq(style);
    const bool read = LoadEquationAtomically(&eq, bytes, markMode);
    showNotes(&eq);
    if (!read) {
        printError(QStringLiteral("eqtool: %1: damaged equation stream").arg(args[0]));
        return 1;
    }
    SymbolLibrary symbols;
    LoadSymbolLibrary(symbols);
    TeXWriteContext context;
    context.symbols = &symbols;
    printOut(EquationToMathML(eq, context));  // ends with a line feed
    return 0;
}

}  // namespace toliva::eqtool
