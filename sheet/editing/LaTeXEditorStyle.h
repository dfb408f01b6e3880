// The appearance of the LaTeX source editor: colours, font, options and one
// token style per style number of the LaTeX lexer. Stored in ".alx" files.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace toliva {

struct TokenStyle {
    enum Flag : uint8_t { OwnBackground = 0x01, Italic = 0x02, Bold = 0x04, Underline = 0x08 };
    uint8_t flags = 0;
    uint32_t foreColour = 0;  // COLORREF
    uint32_t backColour = 0;  // COLORREF, used only with OwnBackground

    bool operator==(const TokenStyle&) const = default;
};

struct LaTeXEditorStyle {
    uint32_t backColour = 0xFFFFFF;       // COLORREF
    uint32_t caretLineColour = 0xE6FFFF;  // COLORREF
    QString fontFace = QStringLiteral("Consolas");
    int32_t fontSize = 13;
    // 0 word wrap, 1 caret line, 2 line numbers, 3 smooth font; 4 to 7 kept
    // as read.
    std::array<uint8_t, 8> options{};
    std::vector<TokenStyle> tokens;

    bool wrap() const { return options[0] != 0; }
    bool caretLine() const { return options[1] != 0; }
    bool lineNumbers() const { return options[2] != 0; }
    bool smoothFont() const { return options[3] != 0; }

    bool operator==(const LaTeXEditorStyle&) const = default;
};

// ".alx" file: backColour, caretLineColour (int32 COLORREF each), fontFace
// (archive string), fontSize (int32), the eight option bytes, the token style
// count n (int32) and n token styles of 9 bytes (flags, foreColour,
// backColour). Little-endian, no header.
inline constexpr int kTokenStyleBytes = 9;
// The user's settings in the per-user folder, and the shipped defaults below
// the program folder.
inline constexpr char kEditorStyleFileName[] = "KwTESData.alx";
inline constexpr char kShippedEditorStyleName[] = "Dat\\KwTESData.alx";

// Empty when the folder is unknown (empty).
QString UserEditorStylePath(const QString& userFolder);
QString ShippedEditorStylePath(const QString& programFolder);

// The record as ".alx" bytes.
QByteArray StyleBytes(const LaTeXEditorStyle& style);
// Reads ".alx" bytes into style, field by field: the old token styles are
// dropped when the count is reached and the new ones appended. Returns false
// for a short or damaged file; what was read before the damage stays (token
// styles only whole). A count is never trusted beyond the bytes there are.
bool ReadStyleBytes(const QByteArray& bytes, LaTeXEditorStyle& style);

// Reads one ".alx" file. False, with the record unchanged, when the file
// cannot be opened (or is larger than any data file may be). A damaged file
// shows "failed to open file : " and the path through the message sink, keeps
// what was read before the damage and still returns true; *complete (may be
// null) tells whether the whole record was read.
bool ReadStyleFile(const QString& path, LaTeXEditorStyle& style, bool* complete = nullptr);
// Writes one ".alx" file whole or not at all (an old file then stays); false
// when it cannot be written.
bool WriteStyleFile(const QString& path, const LaTeXEditorStyle& style);

// Reads the user's file; when it cannot be opened, the shipped defaults.
// False when neither could be opened (the record is then unchanged).
bool LoadEditorStyle(LaTeXEditorStyle& style, const QString& userFolder, const QString& programFolder);
// Writes the user's file; false when it cannot be written.
bool SaveEditorStyle(const LaTeXEditorStyle& style, const QString& userFolder);

}  // namespace toliva
