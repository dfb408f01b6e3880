// from-latex: reads LaTeX text into an equation stream.
#include "Commands.h"

#include "model/EqModel.h"
#include "model/EqStream.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

namespace toliva::eqtool {

// eqtool from-latex TEXT -o FILE
// eqtool from-latex --file SOURCE -o FILE   the text of a UTF-8 file
// Exit code 1 when no line converted or the source cannot be read (nothing is
// written), kNotUnderstood when the file was written but parts of the text
// were not understood; every problem and unknown name is printed on standard
// error (after the source's name when the text came from a file).
int runFromLatex(const QStringList& arguments) {
    QStringList args = arguments;
    const qsizetype at = args.indexOf(QStringLiteral("-o"));
    if (at < 0 || at + 1 >= args.size()) return kUsageError;
    const QString output = args[at + 1];
    args.remove(at, 2);
    QString source;
    const qsizetype file = args.indexOf(QStringLiteral("--file"));
    if (file >= 0) {
        if (file + 1 >= args.size()) return kUsageError;
        source = args[file + 1];
        args.remove(file, 2);
        if (!args.isEmpty() || source.isEmpty()) return kUsageError;
    } else if (args.size() != 1) {
        return kUsageError;
    }
    if (output.isEmpty()) return kUsageError;

    QString text;
    if (source.isEmpty()) {
        text = args[0];
    } else {
        QByteArray bytes;
        if (!readWholeFile(source, &bytes)) return 1;
        text = QString::fromUtf8(bytes);
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    }

    // The built-in style: the output must not depend on the user's defaults.
    EqLayoutSettings style;
    SetDefaultLayoutSettings(style);
    EqModel eq(style);
    bool understood = true;
    if (!readLaTeXArgument(text, &eq, &understood, source)) return 1;
    if (!writeEquationFile(&eq, output)) return 1;
    return understood ? 0 : kNotUnderstood;
}

}  // namespace toliva::eqtool
