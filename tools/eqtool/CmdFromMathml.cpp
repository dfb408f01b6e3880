// from-mathml: reads a MathML document and writes it as an equation stream.
#include "Commands.h"

#include "model/EqModel.h"
#include "tex/MathML.h"

namespace toliva::eqtool {

// eqtool from-mathml FILE -o FILE
// Exit code 1 when nothing converted, kNotUnderstood when the file was
// written but parts of the MathML were not understood or left out.
int runFromMathml(const QStringList& args) {
    if (args.size() != 3 || args[1] != QLatin1String("-o") || args[2].isEmpty()) return kUsageError;
    QByteArray bytes;
    if (!readWholeFile(args[0], &bytes)) return 1;
    // The built-in style: the output must not depend on the user's defaults.
    EqLayoutSettings style;
    SetDefaultLayoutSettings(style);
    MathMLReader reader;
    const MathMLReadResult result = ReadMathML(reader, bytes.constData(), size_t(bytes.size()), style);
    const QStringList report = MathMLReadReport(result);
    printReport(report, args[0]);
    if (!result.ok) return 1;
    if (!writeEquationFile(result.equation.get(), args[2])) return 1;
    return report.isEmpty() ? 0 : kNotUnderstood;
}

}  // namespace toliva::eqtool
