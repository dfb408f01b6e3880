// from-mathml: reads a MathML document and writes it as an equation stream.
#include "Commands.h"

#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/Archive.h"
#include "tex/MathML.h"

namespace toliva::eqtool {

// eqtool from-mathml FILE -o FILE
int runFromMathml(const QStringList& args) {
    if (args.size() != 3 || args[1] != QLatin1String("-o")) return kUsageError;
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
    try {
        Archive ar = Archive::openFile(args[2], Archive::Store);
        SaveEquation(result.equation.get(), ar);
        ar.close();
    } catch (const FileException&) {
        printError(QStringLiteral("eqtool: cannot write %1").arg(args[2]));
        return 1;
    } catch (const ArchiveException&) {
        printError(QStringLiteral("eqtool: %1: the equation cannot be stored").arg(args[0]));
        return 1;
    }
    return 0;
}

}  // namespace toliva::eqtool
