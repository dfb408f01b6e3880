// The command vocabulary of the editing sheet: every code that menus, the
// built-in shortcut keys, the hotkey table, the tool bars and the symbol
// panels hand to the sheet's command dispatcher, the menu identifiers that
// the main menu handles itself, the element codes of the context menu, the
// modifier flags of the built-in shortcut key codes and the framework's
// standard command ids. A code the dispatcher does not know is ignored.
#pragma once

namespace toliva {

// ---- commands handled by the dispatcher
constexpr int CMD_MAIN_MENU = 1;
constexpr int CMD_TOGGLE_BOLD = 2;
constexpr int CMD_TOGGLE_ITALIC = 3;
constexpr int CMD_FONT_SIZE = 4;
constexpr int CMD_TOGGLE_LAYOUT_OPTION = 5;
constexpr int CMD_COLOUR = 6;
constexpr int CMD_APP_SETTINGS = 7;
constexpr int CMD_UNDO = 11;
constexpr int CMD_REDO = 12;
constexpr int CMD_EQ_SETTINGS = 18;
constexpr int CMD_FILE_NEW = 19;
constexpr int CMD_FILE_OPEN = 20;
constexpr int CMD_FILE_SAVE = 21;
constexpr int CMD_ALIGN_LEFT = 22;
constexpr int CMD_ALIGN_CENTER = 23;
constexpr int CMD_ALIGN_RIGHT = 24;
constexpr int CMD_ALIGN_AT_MARK = 25;
constexpr int CMD_ALIGN_AUTO_MARK = 26;
constexpr int CMD_ZOOM_IN = 27;
constexpr int CMD_ZOOM_OUT = 28;
constexpr int CMD_ZOOM_STANDARD = 29;
constexpr int CMD_CUT = 32;
constexpr int CMD_COPY = 33;
constexpr int CMD_PASTE = 34;
constexpr int CMD_TOGGLE_LIBRARY_PANEL = 35;
constexpr int CMD_PASTE_TEXT = 37;
constexpr int CMD_EXPORT = 136;
constexpr int CMD_COPY_LATEX = 144;
constexpr int CMD_COPY_MATHML = 145;
constexpr int CMD_COPY_PICTURE = 146;
constexpr int CMD_SELECT_ALL = 149;
constexpr int CMD_CALC_LINE = 151;
constexpr int CMD_CALC_ALL = 152;
constexpr int CMD_FIND_REPLACE = 153;
constexpr int CMD_CLEAR_MARKS = 154;
constexpr int CMD_USER_SYMBOLS = 155;
constexpr int CMD_FIND_SELECTION = 156;
constexpr int CMD_REPLACE_MARKED = 157;
constexpr int CMD_FILE_SAVE_AS = 176;
constexpr int CMD_PRINT = 178;
constexpr int CMD_APP_ABOUT = 179;
constexpr int CMD_HELP = 180;
constexpr int CMD_ONLINE = 181;
constexpr int CMD_CHECK_UPDATE = 182;
constexpr int CMD_OCR_HELP = 183;
// Mark-style bits 0..3 of the selected elements and their children.
constexpr int CMD_MARK_STYLE_0 = 208;
constexpr int CMD_MARK_STYLE_1 = 209;
constexpr int CMD_MARK_STYLE_2 = 210;
constexpr int CMD_MARK_STYLE_3 = 211;
// Selected characters to character type 1, 2, 3, 4, 16, 17.
constexpr int CMD_CHAR_UPRIGHT = 216;
constexpr int CMD_CHAR_ITALIC = 217;
constexpr int CMD_CHAR_BOLD = 218;
constexpr int CMD_CHAR_BOLD_ITALIC = 219;
constexpr int CMD_CHAR_TYPE_16 = 220;
constexpr int CMD_CHAR_TYPE_17 = 221;
// The character types of the commands 216 .. 221 and of Ctrl+1 .. Ctrl+6.
inline constexpr int kCharStyleTypes[6] = {1, 2, 3, 4, 16, 17};
constexpr int CMD_TEX_TO_EQUATION = 224;
constexpr int CMD_EQUATION_TO_TEX = 225;
constexpr int CMD_TOGGLE_LATEX_MODE = 226;
constexpr int CMD_WRITING_PAD = 255;
constexpr int CMD_CAPTURE_OCR = 256;

// ---- menu identifiers the main menu handles itself
constexpr int CMD_EXIT = 9001;           // closes the main window (Ctrl+W does the same)
constexpr int CMD_LANGUAGE_BASE = 8000;  // 8000 + n: user-interface language n

// ---- element codes of the context menu: applied to the element the submenu
// was built for; they reach the dispatcher only when the element-level
// handler declines them.
constexpr int CMD_MATRIX_ALIGN_FIRST = 161;  // 161..165 matrix alignment
constexpr int CMD_MATRIX_ALIGN_LAST = 165;
constexpr int CMD_MATRIX_LINES_DIALOG = 166;
constexpr int CMD_MATRIX_LINE_FIRST = 167;   // 167..171 line styles, 172/173 frame on/off
constexpr int CMD_MATRIX_LINE_LAST = 173;
constexpr int CMD_MATRIX_FRAME_ON = 172;
constexpr int CMD_MATRIX_FRAME_OFF = 173;
constexpr int CMD_MATRIX_TRANSPOSE = 174;
constexpr int CMD_CUSTOM_SPACE_AMOUNT = 240;
constexpr int CMD_CHEM_MARKS = 241;
constexpr int CMD_SWAP_VARIANT = 242;
constexpr int CMD_MOVE_FIRST_KIND = 416;   // 416..419: left, up, right, down
constexpr int CMD_MOVE_SECOND_KIND = 420;  // 420..423: left, up, right, down
constexpr int CMD_MOVE_LAST = 423;
constexpr int CMD_NUMBER_FORMAT_FIRST = 512;  // 512..530 number format of a calculation result
constexpr int CMD_NUMBER_ANGLE_FIRST = 526;   // 526..530 its angle unit; 512..525 its format
constexpr int CMD_NUMBER_FORMAT_LAST = 530;
constexpr int CMD_BRACKET_KIND_FIRST = 769;   // 769..772: bracket type = code - 432
constexpr int CMD_BRACKET_KIND_LAST = 772;
constexpr int kBracketKindTypeOffset = 432;

// Whether code is one of the context menu's element codes.
constexpr bool IsContextElementCode(int code) {
    return (code >= CMD_MATRIX_ALIGN_FIRST && code <= CMD_MATRIX_TRANSPOSE) ||
           (code >= CMD_CUSTOM_SPACE_AMOUNT && code <= CMD_SWAP_VARIANT) ||
           (code >= CMD_MOVE_FIRST_KIND && code <= CMD_MOVE_LAST) ||
           (code >= CMD_NUMBER_FORMAT_FIRST && code <= CMD_NUMBER_FORMAT_LAST) ||
           (code >= CMD_BRACKET_KIND_FIRST && code <= CMD_BRACKET_KIND_LAST);
}

// ---- built-in shortcut key codes: the virtual-key code plus these flags
constexpr int kCtrlKeyFlag = 0x10000;
constexpr int kShiftKeyFlag = 0x100000;
constexpr int kAltKeyFlag = 0x1000000;

// ---- the framework's standard commands (file and about), forwarded to the
// main frame for CMD_FILE_NEW, _OPEN, _SAVE, _SAVE_AS and CMD_APP_ABOUT
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_APP_ABOUT = 57664;

// The framework command a forwarded code stands for; 0 for other codes.
constexpr int FrameworkCommandOf(int code) {
    switch (code) {
    case CMD_FILE_NEW: return ID_FILE_NEW;
    case CMD_FILE_OPEN: return ID_FILE_OPEN;
    case CMD_FILE_SAVE: return ID_FILE_SAVE;
    case CMD_FILE_SAVE_AS: return ID_FILE_SAVE_AS;
    case CMD_APP_ABOUT: return ID_APP_ABOUT;
    default: return 0;
    }
}

}  // namespace toliva
