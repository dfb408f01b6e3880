// latex: prints the LaTeX of an equation stream.
#include "Commands.h"

#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/AppContext.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

namespace toliva::eqtool {

// eqtool latex [--marks] [--delim N] FILE
// N is the delimiter mode (0 "$$", 1 "$", 2 "\[", 3 "\(", 4 none; default 4).
int runLatex(const QStringList& arguments) {
    QStringList args = arguments;
    const bool markMode = takeMarksOption(args);
    int mode = 4;
    const qsizetype at = args.indexOf(QStringLiteral("--delim"));
    if (at >= 0) {
        bool ok = false;
        if (at + 1 < args.size()) mode = args[at + 1].toInt(&ok);
        if (!ok || mode < 0 || mode > 4) return kUsageError;
        args.remove(at, 2);
    }
    if (args.size() != 1) return kUsageError;

    EqLayoutSettings style;
    SetDefaultLayoutSettings(style);
    EqModel eq(style);
    QByteArray bytes;
    if (!readWholeFile(args[0], &bytes)) return 1;
    const bool read = LoadEquationAtomically(&eq, bytes, markMode);
    showNotes(&eq);
    if (!read) {
        printError(QStringLiteral("eqtool: %1: damaged equation stream").arg(args[0]));
        return 1;
    }
    CTeXCode names;
    TeXWriteContext context;
    context.names = &names;
    context.delimiters = mode;
    context.delimiterLineFeeds = app().option(OptKeepDelimiterLineFeeds);
    QString text = EquationToLaTeX(eq, context);
    showNotes(&eq);
    showNotes(names.TakeNotes());
    if (!text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    printOut(text);
    return 0;
}

}  // namespace toliva::eqtool
