// Editing scripts (sheet/SheetScript.h, read by "eqtool sheet") run against
// a small headless sheet over a two-line equation: any command, any key
// name, press and release, typed character, input-method text, any point,
// code, symbol key, office job and language, in any order. A script is cut to 48
// lines of at most 200 characters, so that one input stays fast; the lines
// still reach every command with any arguments.
#include "FuzzWidgets.h"

#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/AppContext.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "uikit/CDlgGU.h"
#include "platform/MessageSink.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace toliva;

namespace {

constexpr int kMaxLines = 48;
constexpr int kMaxLineChars = 200;

}  // namespace

// What the font and widget libraries keep for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libQt6Core\nleak:libQt6Widgets\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::startWidgetsApplication();
    QStringList lines = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size))
                            .split(QLatin1Char('\n'));
    if (lines.size() > kMaxLines) lines.resize(kMaxLines);
    for (QString& line : lines) line.truncate(kMaxLineChars);

    static AppContext app;
    app.eeScale = 1.0f;  // small pictures keep each render cheap
    // Each input starts from the same settings (a script may change them).
    app.options = AppContext::kDefaultOptions;
    app.lanSel = 1;

    EqModel eq(fuzz::builtInStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"x+", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharItalic);
    b.text(b.line(), u"y", EqTypeCharItalic);

    auto owned = std::make_unique<HeadlessSheetBackend>();
    HeadlessSheetBackend* backend = owned.get();
    CKwEESheet sheet(app, fuzz::boxMeasuredContext(), nullptr, std::move(owned));
    ShowSheetOffscreen(sheet, QSize(200, 120), &eq);
    // Settings pages (chemical marks) answer Cancel; the editing dialogs
    // answer from a short script, so matrix templates and custom spaces are
    // reached too.
    sheet.runSettingsDialog = [](CDlgGU&) { return int(IDCANCEL); };
    ScriptedEditDialogs dialogs;
    MatrixChoice two;
    two.rows = 2;
    two.columns = 2;
    dialogs.matrixAnswers = {{true, two}, {false, {}}};
    dialogs.stringAnswers = {{true, QStringLiteral("1.5"), false}, {true, QStringLiteral("x"), true}};
    dialogs.settingsAnswers = {1};
    sheet.setEditDialogs(&dialogs);
    SheetScript script(sheet, backend);
    // What commands and office jobs write in the per-user folder goes to a
    // scratch folder of this input alone. The sheet, made and destroyed
    // without one, reads and writes no files of its own.
    QTemporaryDir scratch;
    app.userFolder = app.tempFolder = scratch.path() + QLatin1Char('/');
    for (const QString& l : lines) {
        const QString trimmed = l.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) continue;
        // The size command may not make the sheet large: a script of sizes
        // would only measure the allocator.
        if (trimmed.startsWith(QLatin1String("size"))) continue;
        script.runLine(trimmed, nullptr);
    }
    // Whatever the script did, undoing every step it left and redoing as
    // many gives the equation it left.
    const QByteArray end = EquationToBytes(&eq);
    const int steps = sheet.undoHistory().undoCount();
    for (int i = 0; i < steps; ++i) sheet.Undo();
    for (int i = 0; i < steps; ++i) sheet.Redo();
    if (EquationToBytes(&eq) != end) __builtin_trap();
    app.userFolder.clear();
    app.tempFolder.clear();
    sheet.setEditDialogs(nullptr);
    sheet.SetEquation(nullptr);
    return 0;
}
