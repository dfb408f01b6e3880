// The subcommands of eqtool. A subcommand is one function in its own file,
// listed in the table in main.cpp.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QImage;

namespace toliva {
class EqModel;
struct EqNotes;
}  // namespace toliva

namespace toliva::eqtool {

struct Command {
    const char* name;
    const char* usage;  // the arguments, for the usage text
    // Gets the arguments after the command name; returns the exit code
    // (kUsageError makes main print the usage text).
    int (*run)(const QStringList& args);
};

constexpr int kUsageError = 2;
// The text converted, but parts of it were not understood (each printed on
// standard error).
constexpr int kNotUnderstood = 3;

// Arguments reach the commands decoded by DecodeFileName (platform/SafeFile.h),
// so a file name that is not UTF-8 opens the file it names; the commands open
// and write files only through the helpers below and platform/Archive.h.

int runDump(const QStringList& args);
int runRoundtrip(const QStringList& args);
int runEmpty(const QStringList& args);
int runSymlibSheet(const QStringList& args);
int runBuildersSheet(const QStringList& args);
int runLatex(const QStringList& args);
int runIconsSheet(const QStringList& args);
int runMathml(const QStringList& args);
int runRender(const QStringList& args);
int runGallery(const QStringList& args);
int runFromLatex(const QStringList& args);
int runFromMathml(const QStringList& args);
int runSheet(const QStringList& args);

// Helpers shared by the commands.
void printOut(const QString& text);
void printError(const QString& text);
// Reads a whole file of at most kMaxInputFileBytes (platform/SafeFile.h);
// false, with a message saying why, when it cannot be read.
bool readWholeFile(const QString& path, QByteArray* bytes);
// Write a whole file with WriteFileSafely (the old file stays unless the new
// one is written in full); false, with a message saying why, when they cannot.
bool writeWholeFile(const QString& path, const QByteArray& bytes);
bool writePngFile(const QString& path, const QImage& image);
// Writes eq as an equation stream (writeWholeFile); false with a message.
bool writeEquationFile(EqModel* eq, const QString& path);
// Takes "--marks" out of args; true when it was there.
bool takeMarksOption(QStringList& args);
// Shows notes through the message sink (standard error here), each text from
// its language file; a note of a once-per-run kind shows the first time only.
void showNotes(const EqNotes& notes);
// Shows and takes what loading and laying out eq reported, and what loading
// the TeX name table reported.
void showNotes(EqModel* eq);
// Prints each line of a reader's report (LaTeXReadReport, MathMLReadReport)
// on standard error, after "eqtool: " and the source when one is named.
void printReport(const QStringList& lines, const QString& source = QString());
// Reads LaTeX text given on the command line (or read from the file source)
// into eq, showing its notes and printing its report, after source when one is
// named. False when no line converted; *understood is false when parts of the
// text were not understood.
bool readLaTeXArgument(const QString& text, EqModel* eq, bool* understood, const QString& source = QString());

}  // namespace toliva::eqtool
