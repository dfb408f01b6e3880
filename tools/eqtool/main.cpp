// eqtool: a command-line harness over the equation libraries.
#include "Commands.h"

#include "model/EqFonts.h"
#include "model/EqNotes.h"
#include "model/EqStream.h"
#include "platform/AppContext.h"
#include "platform/Archive.h"
#include "platform/MessageSink.h"
#include "platform/SafeFile.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QApplication>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <iterator>
#include <memory>
#include <new>

namespace toliva::eqtool {
namespace {

const Command kCommands[] = {
    {"dump", "[--marks] FILE", runDump},
    {"roundtrip", "[--marks] FILE...", runRoundtrip},
    {"empty", "-o FILE", runEmpty},
    {"symlib-sheet", "-o FILE [--part outlines|glyphs|operators] [--scores FILE]", runSymlibSheet},
    {"latex", "[--marks] [--delim N] FILE", runLatex},
    {"mathml", "[--marks] FILE", runMathml},
    {"render", "[--marks] --stream FILE|--latex TEXT -o OUT.png|OUT.svg [--scale N]", runRender},
    {"gallery", "DIR", runGallery},
    {"from-latex", "TEXT|--file FILE -o FILE", runFromLatex},
    {"from-mathml", "FILE -o FILE", runFromMathml},
    {"builders-sheet", "-o FILE", runBuildersSheet},
    {"icons-sheet", "-o FILE.png [--icons DIR]", runIconsSheet},
    {"sheet", "--script FILE [--size W,H] [--latex TEXT | --in FILE] -o OUT.png [--dump]", runSheet},
};

QString usageText() {
    QString text = QStringLiteral("usage:\n");
    for (const Command& c : kCommands)
        text += QStringLiteral("  eqtool %1 %2\n").arg(QLatin1String(c.name), QLatin1String(c.usage));
    text += QStringLiteral("--marks reads and writes streams in mark mode (undo snapshots).\n");
    text += QStringLiteral(
        "exit status: 0 done; 1 failed; 2 wrong arguments; 3 done, but parts of the LaTeX or MathML\n"
        "(from-latex, render --latex, from-mathml) were not understood: each is printed on standard\n"
        "error with where it stands (line:column of the LaTeX text, byte of the MathML).");
    return text;
}

int usage() {
    printError(usageText());
    return kUsageError;
}

}  // namespace

void printOut(const QString& text) {
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
}

void printError(const QString& text) { std::fprintf(stderr, "%s\n", text.toUtf8().constData()); }

bool readWholeFile(const QString& path, QByteArray* bytes) {
    QString reason;
    if (ReadFileCapped(path, kMaxInputFileBytes, bytes, &reason)) return true;
    printError(QStringLiteral("eqtool: cannot read %1: %2").arg(path, reason));
    return false;
}

bool writeWholeFile(const QString& path, const QByteArray& bytes) {
    QString reason;
    if (WriteFileSafely(path, bytes, &reason)) return true;
    printError(QStringLiteral("eqtool: cannot write %1: %2").arg(path, reason));
    return false;
}

bool writePngFile(const QString& path, const QImage& image) {
    QString reason;
    if (WritePngFileSafely(path, image, &reason)) return true;
    printError(QStringLiteral("eqtool: cannot write %1: %2").arg(path, reason));
    return false;
}

bool writeEquationFile(EqModel* eq, const QString& path) {
    QByteArray bytes;
    try {
        bytes = EquationToBytes(eq);
    } catch (const ArchiveException& e) {
        printError(QStringLiteral("eqtool: the equation cannot be stored: %1").arg(QString::fromUtf8(e.what())));
        return false;
    }
    return writeWholeFile(path, bytes);
}

bool takeMarksOption(QStringList& args) { return args.removeAll(QStringLiteral("--marks")) > 0; }

void showNotes(const EqNotes& notes) {
    static EqNoteRun run;
    for (const EqNote& note : notes.items) {
        if (!run.admit(note)) continue;
        const unsigned flags = NoteTextSource(note.kind).warning ? MB_OK | MB_ICONWARNING : MB_OK;
        messageSink().show(NoteText(note), QString(), flags, nullptr);
    }
}

void showNotes(EqModel* eq) {
    showNotes(TakeEquationNotes(eq));
}

void printReport(const QStringList& lines, const QString& source) {
    const QString prefix = source.isEmpty() ? QStringLiteral("eqtool: ") : QStringLiteral("eqtool: %1: ").arg(source);
    for (const QString& line : lines) printError(prefix + line);
}

bool readLaTeXArgument(const QString& text, EqModel* eq, bool* understood, const QString& source) {
    CTeXCode names;
    TeXReadContext context;
    context.names = &names;
    const LaTeXReadResult r = ReadLaTeXInto(text, eq, context);
    showNotes(r.notes);
    showNotes(names.TakeNotes());
    showNotes(eq);
    const QStringList report = LaTeXReadReport(r, text);
    printReport(report, source);
    if (understood) *understood = report.isEmpty();
    return r.ok;
}

int runMain(int argc, char** argv) {
    // The sheet commands draw text, and the sheet command runs an editing
    // widget, which needs a widget application; without a display it runs on
    // the offscreen platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a runtime folder Qt warns on every run and falls back to a
    // shared one; a private folder for this run keeps standard error for
    // real problems. It goes when the run ends.
    std::unique_ptr<QTemporaryDir> runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtime = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/eqtool-runtime-XXXXXX"));
        if (runtime->isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    }
    QApplication application(argc, argv);
    // Options and language come from the registry; what opening it found
    // (a damaged database put aside) is shown once.
    app().loadOptions();
    for (const StartupNote& note : app().takeStartupNotes())
        messageSink().show(StartupNoteText(note), QString(), MB_OK | MB_ICONWARNING, nullptr);
    // Not QCoreApplication::arguments(): its decoding alters names that are not UTF-8.
    QStringList args;
    for (int i = 1; i < argc; ++i) args << DecodeFileName(argv[i]);
    if (args.isEmpty()) return usage();
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("help")) {
        printOut(usageText() + QLatin1Char('\n'));
        return 0;
    }
    for (const Command& c : kCommands) {
        if (name != QLatin1String(c.name)) continue;
        const int code = c.run(args);
        return code == kUsageError ? usage() : code;
    }
    return usage();
}

}  // namespace toliva::eqtool

int main(int argc, char** argv) {
    try {
        return toliva::eqtool::runMain(argc, argv);
    } catch (const std::bad_alloc&) {
        toliva::eqtool::printError(QStringLiteral("eqtool: out of memory"));
        return 1;
    }
}
