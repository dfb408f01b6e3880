// genalx: builds the shipped appearance of the LaTeX source editor
// "Dat/KwTESData.alx" from its readable source (data/sources/editorstyle.tsv).
//
//   genalx SOURCE.tsv OUTPUT.alx
//
// Source lines, fields separated by tabs (UTF-8; colours #RRGGBB):
//   background  <colour>
//   caretline   <colour>
//   font        <face>
//   size        <points 1-999>
//   options     <wrap> <caret line> <line numbers> <smooth font> <b4> <b5> <b6> <b7>
//   token       <style> <text colour> <background colour|-> <look> [<name>]
// where look is "-" or italic, bold, underline joined by ','. Lines that begin
// with '#' and blank lines are skipped. The source is refused (exit status 1,
// nothing written) when a line is malformed, a line other than token is
// missing or given twice, or the token styles are not numbered 0, 1, 2, ...
#include "sheet/editing/LaTeXEditorStyle.h"
#include "tools/common/SourceLines.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <iostream>
#include <string>

using namespace toliva;

namespace {

// "#RRGGBB" to a COLORREF (0x00BBGGRR).
bool parseColour(const QString& text, uint32_t* colour) {
    if (text.size() != 7 || text[0] != u'#') return false;
    bool ok = false;
    const uint32_t rgb = text.mid(1).toUInt(&ok, 16);
    if (!ok) return false;
    *colour = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return true;
}

bool parseByte(const QString& text, int max, uint8_t* value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 0 || v > max) return false;
    *value = uint8_t(v);
    return true;
}

bool parseLook(const QString& text, uint8_t* flags) {
    *flags = 0;
    if (text == QLatin1String("-")) return true;
    for (const QString& word : text.split(u',')) {
        if (word == QLatin1String("italic")) *flags |= TokenStyle::Italic;
        else if (word == QLatin1String("bold")) *flags |= TokenStyle::Bold;
        else if (word == QLatin1String("underline")) *flags |= TokenStyle::Underline;
        else return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: genalx SOURCE.tsv OUTPUT.alx\n";
        return 2;
    }
    tools::SourceLines source(argv[1]);
    if (!source.isOpen()) {
        std::cerr << source.path() << ": cannot open\n";
        return 1;
    }

    LaTeXEditorStyle style;
    QMap<QString, int> seen;
    auto fail = [&](const std::string& what) { source.fail(what); };

    QStringList f;
    while (source.next(&f)) {
        const QString& kind = f[0];
        if (kind != QLatin1String("token") && ++seen[kind] > 1) fail("the line is given twice");
        if (kind == QLatin1String("background") || kind == QLatin1String("caretline")) {
            uint32_t* colour = kind == QLatin1String("background") ? &style.backColour : &style.caretLineColour;
            if (f.size() != 2 || !parseColour(f[1], colour)) fail("expected: " + kind.toStdString() + ", a colour #RRGGBB");
        } else if (kind == QLatin1String("font")) {
            if (f.size() != 2 || f[1].trimmed().isEmpty()) fail("expected: font, the face");
            else style.fontFace = f[1];
        } else if (kind == QLatin1String("size")) {
            bool ok = f.size() == 2;
            const int size = ok ? f[1].toInt(&ok) : 0;
            if (!ok || size < 1 || size > 999) fail("expected: size, points from 1 to 999");
            else style.fontSize = size;
        } else if (kind == QLatin1String("options")) {
            bool ok = f.size() == 9;
            for (int i = 0; ok && i < 8; ++i) ok = parseByte(f[i + 1], i < 4 ? 1 : 255, &style.options[size_t(i)]);
            if (!ok) fail("expected: options, four flags 0 or 1, then four bytes 0 to 255");
        } else if (kind == QLatin1String("token")) {
            TokenStyle t;
            bool ok = f.size() == 5 || f.size() == 6;
            const int number = ok ? f[1].toInt(&ok) : -1;
            ok = ok && parseColour(f[2], &t.foreColour) && parseLook(f[4], &t.flags);
            if (ok && f[3] != QLatin1String("-")) {
                ok = parseColour(f[3], &t.backColour);
                t.flags |= TokenStyle::OwnBackground;
            } else if (ok) {
                t.backColour = style.backColour;
            }
            if (!ok) {
                fail("expected: token, the style number, a text colour, a background colour or -, the look");
                continue;
            }
            if (number != int(style.tokens.size())) fail("token styles must be numbered 0, 1, 2, ... in order");
            style.tokens.push_back(t);
        } else {
            fail("unknown line kind");
        }
    }
    for (const char* kind : {"background", "caretline", "font", "size", "options"})
        if (!seen.contains(QLatin1String(kind))) source.failFile(std::string("the ") + kind + " line is missing");
    if (style.tokens.empty()) source.failFile("no token styles");
    if (source.errors()) return 1;

    if (!WriteStyleFile(QString::fromLocal8Bit(argv[2]), style)) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    return 0;
}
