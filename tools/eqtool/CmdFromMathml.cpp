// from-mathml: reads a MathML document and writes it as an equation stream.
#include "Commands.h"

#include "model/EqModel.h"
#include "tex/MathML.h"

namespace toliva::eqtool {

// eqtool from-mathml FILE -o FILE
int runFromMathml(const QStringList& args) {
    if (args.size() != 3 || args[1] != QLatin1String("-o") || args[2].isEmpty()) return kUsageError;
    QByteArray bytes;
    if (!readWholeFile(args[0], &bytes)) return 1;
    // The built-in style: the output must not depend on the user's defaults.
    EqLayoutSettings style;
    SetDefaultLayoutSettings(style);
    MathMLReader reader;
    const MathMLReadResult result = ReadMathML(reader, bytes.constData(), size_t(bytes.size()), style);
    if (!result.ok) {
        printError(QStringLiteral("eqtool: %1: %2").arg(args[0], result.message));
        return 1;
    }
    if (!result.message.isEmpty()) printError(QStringLiteral("eqtool: %1: %2").arg(args[0], result.message));
    return writeEquationFile(result.equation.get(), args[2]) ? 0 : 1;
}

}  // namespace toliva::eqtool
