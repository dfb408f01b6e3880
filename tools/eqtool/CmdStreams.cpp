// dump, roundtrip and empty: the equation stream commands.
#include "Commands.h"

#include "model/EqDump.h"
#include "model/EqModel.h"
#include "model/EqStream.h"

namespace toliva::eqtool {
namespace {

// The equations here start from the built-in style, so that the tool's output
// does not depend on the user's defaults file.
EqLayoutSettings builtInStyle() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

bool loadFile(const QString& path, bool markMode, EqModel* eq, QByteArray* bytes) {
    if (!readWholeFile(path, bytes)) return false;
    const bool read = LoadEquationAtomically(eq, *bytes, markMode);
    showNotes(eq);
    if (!read) {
        printError(QStringLiteral("eqtool: %1: damaged equation stream").arg(path));
        return false;
    }
    return true;
}

qsizetype firstDifference(const QByteArray& a, const QByteArray& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i]) return i;
    return n;
}

}  // namespace

int runDump(const QStringList& arguments) {
    QStringList args = arguments;
    const bool markMode = takeMarksOption(args);
    if (args.size() != 1) return kUsageError;
    EqModel eq(builtInStyle());
    QByteArray bytes;
    if (!loadFile(args[0], markMode, &eq, &bytes)) return 1;
    printOut(DumpEquation(eq));
    return 0;
}

int runRoundtrip(const QStringList& arguments) {
    QStringList args = arguments;
    const bool markMode = takeMarksOption(args);
    if (args.isEmpty()) return kUsageError;
    for (const QString& path : args) {
        EqModel eq(builtInStyle());
        QByteArray bytes;
        if (!loadFile(path, markMode, &eq, &bytes)) return 1;
        const QByteArray saved = EquationToBytes(&eq, markMode);
        if (saved != bytes) {
            printError(
                QStringLiteral("eqtool: %1: bytes change on save (%2 bytes read, %3 written, first difference at %4)")
                    .arg(path)
                    .arg(bytes.size())
                    .arg(saved.size())
                    .arg(firstDifference(bytes, saved)));
            return 1;
        }
    }
    return 0;
}

int runEmpty(const QStringList& args) {
    if (args.size() != 2 || args[0] != QLatin1String("-o") || args[1].isEmpty()) return kUsageError;
    EqModel eq(builtInStyle());
    AddEmptyLine(&eq);
    return writeEquationFile(&eq, args[1]) ? 0 : 1;
}

}  // namespace toliva::eqtool
