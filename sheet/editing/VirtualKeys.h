// The Windows virtual-key codes the sheet's key handling and the hotkey
// table speak: ".hks" files store them, and every key that reaches the sheet
// is turned into one of them first (VirtualKeyFromQt).
#pragma once

namespace toliva::vk {

constexpr int None = 0;  // a key the table of codes has no code for
constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Clear = 0x0C;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Menu = 0x12;  // Alt
constexpr int Pause = 0x13;
constexpr int Capital = 0x14;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Prior = 0x21;
constexpr int Next = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Snapshot = 0x2C;
constexpr int Insert = 0x2D;
constexpr int Delete = 0x2E;
constexpr int LWin = 0x5B;
constexpr int Apps = 0x5D;  // the context-menu key
constexpr int Numpad0 = 0x60;
constexpr int Multiply = 0x6A;
constexpr int Add = 0x6B;
constexpr int Subtract = 0x6D;
constexpr int Decimal = 0x6E;
constexpr int Divide = 0x6F;
constexpr int F1 = 0x70;
constexpr int NumLock = 0x90;
constexpr int ScrollLock = 0x91;
// The punctuation keys at their places on a US keyboard.
constexpr int Oem1 = 0xBA;       // ; :
constexpr int OemPlus = 0xBB;    // = +
constexpr int OemComma = 0xBC;   // , <
constexpr int OemMinus = 0xBD;   // - _
constexpr int OemPeriod = 0xBE;  // . >
constexpr int Oem2 = 0xBF;       // / ?
constexpr int Oem3 = 0xC0;       // ` ~ (the backquote key)
constexpr int Oem4 = 0xDB;       // [ {
constexpr int Oem5 = 0xDC;       // \ |
constexpr int Oem6 = 0xDD;       // ] }
constexpr int Oem7 = 0xDE;       // ' "

// Digits and letters are their own ASCII codes.
constexpr int digit(int n) { return 0x30 + n; }
constexpr int letter(char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 0x41 : int(c); }
constexpr int function(int n) { return F1 + n - 1; }  // F1 .. F24

}  // namespace toliva::vk
