// from-latex: reads LaTeX text into an equation stream.
#include "Commands.h"

#include "model/EqModel.h"
#include "model/EqStream.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

namespace toliva::eqtool {

// eqtool from-latex TEXT -o FILE
// Exit code 1 when no line converted (nothing is written), kNotUnderstood
// when the file was written but parts of the text were not understood;
// every problem and unknown name is printed on standard error.
int runFromLatex(const QStringList& arguments) {
    QStringList args = arguments;
    const qsizetype at = args.indexOf(QStringLiteral("-o"));
    if (at < 0 || at + 1 >= args.size()) return kUsageError;
    const QString output = args[at + 1];
    args.remove(at, 2);
    if (args.size() != 1 || output.isEmpty()) return kUsageError;

    // The built-in style: the output must not depend on the user's defaults.
    EqLayoutSettings style;
    SetDefaultLayoutSettings(style);
    EqModel eq(style);
    bool understood = true;
    if (!readLaTeXArgument(args[0], &eq, &understood)) return 1;
    if (!writeEquationFile(&eq, output)) return 1;
    return understood ? 0 : kNotUnderstood;
}

}  // namespace toliva::eqtool
