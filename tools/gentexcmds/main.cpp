// gentexcmds: builds the TeX prompt bar's candidate file "Dat/KwTCMData.dat"
// from its readable source (data/sources/texcmds.tsv) and the TeX name
// table's source (data/sources/texnames.tsv).
//
//   gentexcmds CANDIDATES.tsv TEXNAMES.tsv OUTPUT.dat
//
// The candidate source's form is described at its top. Every use count
// starts at 0.
//
// The source is refused (exit status 1, nothing written) when a line is
// malformed, a kind is unknown, a caret text holds no caret mark or more
// than one, a matrix template has no rows or columns or more than 15, a text
// is empty or begins with a backslash, or a text repeats an earlier one.
#include "platform/SafeFile.h"
#include "sheet/editing/TeXCandidates.h"

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <iostream>
#include <set>
#include <vector>

namespace {

using toliva::TeXCandidate;

constexpr char16_t kCaretMark = u'\u2038';

struct Reader {
    QString path;
    int errors = 0;
    void fail(int line, const QString& what) {
        std::cerr << path.toStdString() << ":" << line << ": " << what.toStdString() << "\n";
        ++errors;
    }
};

bool readLines(const QString& path, QStringList* lines) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::cerr << path.toStdString() << ": cannot open\n";
        return false;
    }
    const QByteArray bytes = f.readAll();
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes) {
        std::cerr << path.toStdString() << ": not valid UTF-8\n";
        return false;
    }
    *lines = text.split(QLatin1Char('\n'));
    for (QString& l : *lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    return true;
}

bool isComment(const QString& line) {
    return line.isEmpty() || (line.startsWith(QLatin1Char('#')) && !line.contains(QLatin1Char('\t')));
}

int styleNumber(const QString& name) {
    static const char* const kStyles[] = {"matrix",  "pmatrix", "bmatrix", "Bmatrix", "vmatrix",
                                          "Vmatrix", "lbrace",  "rbrace",  "cases"};
    for (int i = 0; i < 9; ++i)
        if (name == QLatin1String(kStyles[i])) return i;
    return -1;
}

// The kind of a kind column; false when it is not one. text may lose its caret mark.
bool parseKind(const QString& column, QString* text, int* kind, QString* why) {
    if (column == u"plain") {
        *kind = toliva::kCandidatePlain;
    } else if (column == u"arg") {
        *kind = toliva::kCandidateArgument;
    } else if (column == u"unit{em}") {
        *kind = 2;
    } else if (column == u"unit{mu}") {
        *kind = 3;
    } else if (column == u"unit mu") {
        *kind = 4;
    } else if (column == u"unit em") {
        *kind = 5;
    } else if (column == u"caret") {
        if (text->count(QChar(kCaretMark)) != 1) {
            *why = QStringLiteral("a caret text holds exactly one caret mark (U+2038)");
            return false;
        }
        const qsizetype at = text->indexOf(QChar(kCaretMark));
        const int back = int(text->size() - at - 1);
        text->remove(at, 1);
        *kind = 1000 + back;
        if (back < 1 || *kind > toliva::kCandidateCaretBackLast) {
            *why = QStringLiteral("the caret mark must stand before the last character, at most 3096 from the end");
            return false;
        }
    } else if (column.startsWith(QLatin1String("matrix "))) {
        static const QRegularExpression form(QStringLiteral("^matrix (\\w+) (\\d+)x(\\d+)$"));
        const QRegularExpressionMatch m = form.match(column);
        const int style = m.hasMatch() ? styleNumber(m.captured(1)) : -1;
        const int rows = m.hasMatch() ? m.captured(2).toInt() : 0;
        const int columns = m.hasMatch() ? m.captured(3).toInt() : 0;
        if (style < 0 || rows < 1 || rows > 15 || columns < 1 || columns > 15) {
            *why = QStringLiteral("expected \"matrix STYLE ROWSxCOLUMNS\" with a known style and 1 to 15 rows and columns");
            return false;
        }
        *kind = toliva::MatrixTemplateCode(style, rows, columns);
    } else {
        *why = QStringLiteral("unknown kind \"%1\"").arg(column);
        return false;
    }
    return true;
}

// The names of the TeX name table made of letters, in file order, each once,
// with the candidate kind their table kind gives.
bool readNames(const QString& path, std::vector<TeXCandidate>* out) {
    QStringList lines;
    if (!readLines(path, &lines)) return false;
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]+$"));
    std::set<QString> seen;
    for (const QString& line : lines) {
        if (isComment(line)) continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 4) continue;  // gentexnames reports malformed lines
        const QString& name = f[0];
        if (!letters.match(name).hasMatch() || !seen.insert(name).second) continue;
        const int tableKind = f[1].toInt(nullptr, 0);
        TeXCandidate c;
        c.text = name;
        // Accents, style commands and extensible arrows take an argument.
        c.kind = (tableKind == 2 || tableKind == 151 || tableKind == 152) ? toliva::kCandidateArgument
                                                                          : toliva::kCandidatePlain;
        out->push_back(c);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: gentexcmds CANDIDATES.tsv TEXNAMES.tsv OUTPUT.dat\n";
        return 2;
    }
    Reader r;
    r.path = toliva::DecodeFileName(argv[1]);
    const QString namesPath = toliva::DecodeFileName(argv[2]);
    const QString outputPath = toliva::DecodeFileName(argv[3]);

    QStringList lines;
    if (!readLines(r.path, &lines)) return 1;
    std::vector<TeXCandidate> names;
    if (!readNames(namesPath, &names)) return 1;

    // Given lines first; "@names" is filled in afterwards, leaving out the
    // texts given on any line.
    std::vector<TeXCandidate> given;
    std::set<QString> texts;
    int namesAt = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString& line = lines[i];
        if (isComment(line)) continue;
        if (line == u"@names") {
            if (namesAt >= 0) r.fail(lineNo, QStringLiteral("\"@names\" stands twice"));
            namesAt = int(given.size());
            continue;
        }
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 2 || f.size() > 3) {
            r.fail(lineNo, QStringLiteral("expected text, kind and a comment separated by tabs"));
            continue;
        }
        TeXCandidate c;
        c.text = f[0];
        QString why;
        if (!parseKind(f[1], &c.text, &c.kind, &why)) {
            r.fail(lineNo, why);
            continue;
        }
        if (c.text.isEmpty() || c.text.startsWith(QLatin1Char('\\'))) {
            r.fail(lineNo, QStringLiteral("texts are written without the backslash and are not empty"));
            continue;
        }
        if (!texts.insert(c.text).second) {
            r.fail(lineNo, QStringLiteral("\"%1\" is already given").arg(c.text));
            continue;
        }
        given.push_back(c);
    }
    if (r.errors) {
        std::cerr << r.path.toStdString() << ": " << r.errors << " error(s); " << outputPath.toStdString()
                  << " not written\n";
        return 1;
    }

    std::vector<TeXCandidate> all(given.begin(), given.begin() + (namesAt < 0 ? int(given.size()) : namesAt));
    if (namesAt >= 0) {
        for (const TeXCandidate& n : names)
            if (!texts.count(n.text)) all.push_back(n);
        all.insert(all.end(), given.begin() + namesAt, given.end());
    }

    const QByteArray bytes = toliva::WriteCandidateFile(all, int(all.size()));
    QString reason;
    if (!toliva::WriteFileSafely(outputPath, bytes, &reason)) {
        std::cerr << outputPath.toStdString() << ": cannot write: " << reason.toStdString() << "\n";
        return 1;
    }
    return 0;
}
