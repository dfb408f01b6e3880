// genwordlists: builds the shipped automatic words and constants
// "Dat/KwEAFEAC.dat" from their readable source (data/sources/wordlists.tsv).
//
//   genwordlists SOURCE.tsv OUTPUT.dat
//
// Source lines, fields separated by tabs (UTF-8):
//   options   <0|1> <0|1> <0|1>     the three automatic-formatting options
//   word      <text> <0|1> <style>  an automatic word, enabled flag, style 0-3
//   constant  <name> <0|1> <value>  a user constant, enabled flag, decimal value
// Lines that begin with '#' and blank lines are skipped. Entries are written
// in source order. The source is refused (exit status 1, nothing written) when
// a line is malformed, a text is empty, a word or name repeats, or the options
// line is missing or given twice.
#include "sheet/editing/WordLists.h"
#include "tools/common/SourceLines.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>

using namespace toliva;

namespace {

bool parseFlag(const QString& text, bool* flag) {
    if (text == QLatin1String("0") || text == QLatin1String("1")) {
        *flag = text == QLatin1String("1");
        return true;
    }
    return false;
}

bool parseDouble(const QString& text, double* value) {
    const std::string s = text.toStdString();
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    *value = std::strtod(s.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(*value);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: genwordlists SOURCE.tsv OUTPUT.dat\n";
        return 2;
    }
    tools::SourceLines source(argv[1]);
    if (!source.isOpen()) {
        std::cerr << source.path() << ": cannot open\n";
        return 1;
    }

    WordLists lists;
    int optionLines = 0;
    QSet<QString> words, names;
    auto fail = [&](const std::string& what) { source.fail(what); };

    QStringList f;
    while (source.next(&f)) {
        const QString& kind = f[0];
        if (kind == QLatin1String("options")) {
            if (f.size() != 4 || !parseFlag(f[1], &lists.autoFormat[0]) || !parseFlag(f[2], &lists.autoFormat[1]) ||
                !parseFlag(f[3], &lists.autoFormat[2])) {
                fail("expected: options, then three flags 0 or 1");
                continue;
            }
            if (++optionLines > 1) fail("the options are given twice");
        } else if (kind == QLatin1String("word")) {
            AutoWord w;
            bool ok = f.size() == 4 && !f[1].isEmpty() && parseFlag(f[2], &w.enabled);
            const int style = ok ? f[3].toInt(&ok) : -1;
            if (!ok || style < 0 || style > 3) {
                fail("expected: word, the text, a flag 0 or 1 and a style 0 to 3");
                continue;
            }
            if (words.contains(f[1])) fail("the word repeats an earlier one");
            words.insert(f[1]);
            w.word = f[1];
            w.style = uint8_t(style);
            lists.words.push_back(w);
        } else if (kind == QLatin1String("constant")) {
            UserConstant c;
            if (f.size() != 4 || f[1].isEmpty() || !parseFlag(f[2], &c.enabled) || !parseDouble(f[3], &c.value)) {
                fail("expected: constant, the name, a flag 0 or 1 and a finite decimal value");
                continue;
            }
            if (names.contains(f[1])) fail("the name repeats an earlier one");
            names.insert(f[1]);
            c.name = f[1];
            lists.constants.push_back(c);
        } else {
            fail("unknown line kind (options, word or constant)");
        }
    }
    if (optionLines == 0) {
        source.failFile("the options line is missing");
    }
    if (source.errors()) return 1;

    if (!WriteWordListsFile(lists, QString::fromLocal8Bit(argv[2]))) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    return 0;
}
