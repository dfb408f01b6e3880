// sheet: runs an editing script (sheet/SheetScript.h) against an offscreen
// editing sheet and writes what the sheet shows, caret and selection
// included, as a PNG; with --dump prints the equation's tree afterwards.
#include "Commands.h"

#include "model/EqDump.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"
#include "uikit/CDlgGU.h"
#include "platform/MessageSink.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>

namespace toliva::eqtool {
namespace {

struct SheetArgs {
    QString script;
    QSize size{640, 360};
    QString latex;
    bool hasLatex = false;
    QString input;
    QString output;
    bool dump = false;
};

bool parseSize(const QString& text, QSize* out) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2) return false;
    bool okW = false, okH = false;
    const int w = parts[0].toInt(&okW);
    const int h = parts[1].toInt(&okH);
    if (!okW || !okH || w < 16 || h < 16 || w > 8192 || h > 8192) return false;
    *out = QSize(w, h);
    return true;
}

bool parseArgs(const QStringList& args, SheetArgs* out) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--dump") {
            out->dump = true;
            continue;
        }
        if (i + 1 >= args.size()) return false;
        const QString value = args[++i];
        if (a == u"--script") {
            out->script = value;
        } else if (a == u"--size") {
            if (!parseSize(value, &out->size)) {
                printError(QStringLiteral("eqtool: the size must be W,H, each 16 to 8192"));
                return false;
            }
        } else if (a == u"--latex") {
            out->latex = value;
            out->hasLatex = true;
        } else if (a == u"--in") {
            out->input = value;
        } else if (a == u"-o") {
            out->output = value;
        } else {
            return false;
        }
    }
    if (out->hasLatex && !out->input.isEmpty()) return false;
    return !out->script.isEmpty() && !out->output.isEmpty();
}

EqLayoutSettings builtInStyle() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

}  // namespace

int runSheet(const QStringList& arguments) {
    SheetArgs args;
    if (!parseArgs(arguments, &args)) return kUsageError;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        printError(QStringLiteral("eqtool: sheet needs a widget application"));
        return 1;
    }
    QByteArray script;
    if (!readWholeFile(args.script, &script)) return 1;

    EqModel eq(builtInStyle());
    if (args.hasLatex) {
        if (!readLaTeXArgument(args.latex, &eq, nullptr)) return 1;
    } else if (!args.input.isEmpty()) {
        QByteArray bytes;
        if (!readWholeFile(args.input, &bytes)) return 1;
        if (!LoadEquationAtomically(&eq, bytes)) {
            printError(QStringLiteral("eqtool: %1: damaged equation stream").arg(args.input));
            return 1;
        }
    }
    showNotes(&eq);

    const RenderContext render = RenderContext::FromDataFolder();
    auto backend = std::make_unique<HeadlessSheetBackend>();
    HeadlessSheetBackend* timers = backend.get();
    CKwEESheet sheet(app(), render, nullptr, std::move(backend));
    // Typed TeX reads and writes command names through the name table; the
    // settings pages a script opens (chemical marks) answer Cancel, and the
    // editing dialogs say they are not available.
    CTeXCode names;
    sheet.texRead.names = &names;
    sheet.texWrite.names = &names;
    sheet.texWrite.symbols = render.symbols;
    sheet.runSettingsDialog = [](CDlgGU&) { return int(IDCANCEL); };
    ShowSheetOffscreen(sheet, args.size, &eq);
    sheet.StopCaret();
    sheet.StartCaret();

    SheetScript runner(sheet, timers);
    const SheetScriptResult result = runner.run(QString::fromUtf8(script));
    showNotes(&eq);
    if (!result.ok) {
        printError(QStringLiteral("eqtool: %1:%2: %3").arg(args.script).arg(result.line).arg(result.error));
        return 1;
    }
    const QImage shot = sheet.grab().toImage();
    if (!writePngFile(args.output, shot)) return 1;
    if (args.dump) printOut(DumpEquation(eq));
    return 0;
}

}  // namespace toliva::eqtool
