// The appearance of the LaTeX source editor: colours, font, options and one
// token style per style number of the LaTeX lexer. Stored in ".alx" files.
#pragma once

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
};

}  // namespace toliva
