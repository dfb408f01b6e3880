// A script runner that drives an editing sheet through its own entry points:
// the key, mouse and wheel events it receives from the window system, its
// command dispatcher and its symbol keys. Used by tests and by
// "eqtool sheet" to show what a sequence of edits does.
//
// One command per line; blank lines and lines starting with '#' are skipped:
//   type TEXT            each character of TEXT as a typed key
//   key NAME             one key pressed and released. NAME is a key with
//                        any of the prefixes Ctrl+, Shift+ and Alt+: a letter
//                        A-Z, a digit 0-9, F1-F24, Left, Right, Up, Down,
//                        Home, End, PageUp, PageDown, Insert, Delete,
//                        Backspace, Tab, Enter, Esc, Space, Apps (the
//                        context-menu key), Alt, Ctrl, Shift, Backquote,
//                        Minus, Equal, BracketLeft, BracketRight, Backslash,
//                        Semicolon, Quote, Comma, Period, Slash (or the
//                        character itself: ` - = [ ] \ ; ' , . /), the keypad's
//                        Num0-Num9, NumMultiply, NumAdd, NumSubtract,
//                        NumDecimal, NumDivide and NumEnter. Keys are those of
//                        a US keyboard: Shift+1 is "!".
//   press NAME           only the key's press; Ctrl, Shift and Alt pressed
//                        this way stay held for the keys that follow
//   release NAME         only the key's release (a held modifier is let go)
//   char N               the typed character of code N (0 to 65535) as the
//                        window system hands it to the sheet
//   ime TEXT             the input method commits TEXT
//   preedit [TEXT]       the input method shows TEXT being composed (none:
//                        the composition ends without a commit)
//   click X,Y            left button press and release at the client point
//   dblclick X,Y         a double click there
//   drag X1,Y1 X2,Y2     press at the first point, move to the second, release
//   wheel N [ctrl|shift] N wheel notches, -1000 to 1000 (negative: towards
//                        the user)
//   cmd CODE             a command code for the dispatcher
//   sym KIND CODE CHAR   a symbol key
//   job N                an office add-in job
//   lang N               the language of menu entry 8000 + N
//   undo, redo           the two commands
//   size W,H             resizes the sheet
//   scroll X,Y           moves the scroll bars' thumbs to X and Y
//   caret                one tick of the caret's blink timer
// A line that is none of these stops the script with an error naming its
// line number.
#pragma once

#include <QSize>
#include <QString>
#include <Qt>

namespace toliva {

class CKwEESheet;
class EqModel;
class HeadlessSheetBackend;

// Shows the sheet at the size without putting it on the screen, hands it the
// equation and renders its first picture, as the first paint would: the
// state in which scripts, tests and benchmarks drive it. Its menus close at
// once with nothing chosen unless trackMenu was set before.
void ShowSheetOffscreen(CKwEESheet& sheet, QSize size, EqModel* eq);

struct SheetScriptResult {
    bool ok = true;
    int line = 0;  // 1-based line of the error
    QString error;
    int commands = 0;  // lines carried out
};

class SheetScript {
public:
    // backend: the sheet's headless backend, whose timer the "caret" command
    // ticks (null: the command does nothing).
    SheetScript(CKwEESheet& sheet, HeadlessSheetBackend* backend);

    SheetScriptResult run(const QString& script);
    // One line; false with the reason when it is not understood.
    bool runLine(const QString& line, QString* error);

private:
    CKwEESheet& m_sheet;
    HeadlessSheetBackend* m_backend;
    // Ctrl, Shift and Alt held by "press" until their "release".
    Qt::KeyboardModifiers m_held;
};

}  // namespace toliva
