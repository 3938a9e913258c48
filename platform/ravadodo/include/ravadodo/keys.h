// Key codes of the screen library.
//
// Every key the user presses (or a key script names) reaches the program as a
// `KeyCode`: characters as their code-page-437 byte (Enter 13, Esc 27, Tab 9,
// Backspace 8), function and movement keys as the PC scan code shifted left
// by 8 (F1 0x3B00 ... F10 0x4400, Shift+F1 0x5400 ... Shift+F10 0x5D00,
// Up 0x4800, Down 0x5000, ...).  A few codes above the keyboard's range carry
// events of the library itself (a menu pick, a mouse click, the window being
// closed).
#pragma once

#include <string>

using KeyCode = int;

// Characters.
inline constexpr KeyCode kKeyBackspace = 8;
inline constexpr KeyCode kKeyTab = 9;
inline constexpr KeyCode kKeyEnter = 13;
inline constexpr KeyCode kKeyEsc = 27;
inline constexpr KeyCode kKeySpace = 32;

// Function keys.
inline constexpr KeyCode kKeyF1 = 0x3B00;
inline constexpr KeyCode kKeyF2 = 0x3C00;
inline constexpr KeyCode kKeyF3 = 0x3D00;
inline constexpr KeyCode kKeyF4 = 0x3E00;
inline constexpr KeyCode kKeyF5 = 0x3F00;
inline constexpr KeyCode kKeyF6 = 0x4000;
inline constexpr KeyCode kKeyF7 = 0x4100;
inline constexpr KeyCode kKeyF8 = 0x4200;
inline constexpr KeyCode kKeyF9 = 0x4300;
inline constexpr KeyCode kKeyF10 = 0x4400;
inline constexpr KeyCode kKeyShiftF1 = 0x5400;  // Shift+F1 .. Shift+F10 = 0x5400 .. 0x5D00
inline constexpr KeyCode kKeyShiftF2 = 0x5500;
inline constexpr KeyCode kKeyShiftF3 = 0x5600;
inline constexpr KeyCode kKeyShiftF9 = 0x5C00;
inline constexpr KeyCode kKeyShiftF10 = 0x5D00;
inline constexpr KeyCode kKeyCtrlF1 = 0x5E00;   // Ctrl+F1 .. Ctrl+F10 = 0x5E00 .. 0x6700
inline constexpr KeyCode kKeyAltF1 = 0x6800;    // Alt+F1 .. Alt+F10 = 0x6800 .. 0x7100

// Movement and editing keys.
inline constexpr KeyCode kKeyShiftTab = 0x0F00;
inline constexpr KeyCode kKeyHome = 0x4700;
inline constexpr KeyCode kKeyUp = 0x4800;
inline constexpr KeyCode kKeyPgUp = 0x4900;
inline constexpr KeyCode kKeyLeft = 0x4B00;
inline constexpr KeyCode kKeyRight = 0x4D00;
inline constexpr KeyCode kKeyEnd = 0x4F00;
inline constexpr KeyCode kKeyDown = 0x5000;
inline constexpr KeyCode kKeyPgDn = 0x5100;
inline constexpr KeyCode kKeyIns = 0x5200;
inline constexpr KeyCode kKeyDel = 0x5300;
inline constexpr KeyCode kKeyCtrlLeft = 0x7300;
inline constexpr KeyCode kKeyCtrlRight = 0x7400;
inline constexpr KeyCode kKeyCtrlEnd = 0x7500;
inline constexpr KeyCode kKeyCtrlPgDn = 0x7600;
inline constexpr KeyCode kKeyCtrlHome = 0x7700;
inline constexpr KeyCode kKeyCtrlPgUp = 0x8400;

// Alt+letter is the letter's scan code shifted left 8 (Alt+F 0x2100, Alt+X
// 0x2D00); Alt+1 .. Alt+9, Alt+0 are 0x7800 .. 0x8100.  Ctrl+letter is 1..26.

// Events of the library.
// A menu pick is waiting: `MenuGetPick` gives its command id.
inline constexpr KeyCode kKeyMenuPick = 0x9000;
// A mouse click: `KeyLastClick` gives the screen cell.
inline constexpr KeyCode kKeyMouse = 0x9100;
// The window was closed, or the key script has run out.  Every loop of the
// library treats it like Esc and returns; from then on every key read gives
// kKeyClose again, so each waiting loop of the program ends in turn.  The main
// window's event wait (`AppGetKey`) turns it into a pick of command 118 (Exit)
// and `AppConfirmExit` then answers yes without asking, so the main loop
// leaves by its ordinary exit path.
inline constexpr KeyCode kKeyClose = 0x9F00;

// The readable name of a key as key scripts write it ("F10", "Shift+F9",
// "Enter", "Alt+F", "'a'" for a character).
std::string KeyName(KeyCode key);

// The key a key-script token names ("F10", "shift+f9", "Esc", "Down",
// "Alt+X", "Ctrl+Home", "0x4400", "Space"); -1 when the token names no key.
// Letter case is ignored.
KeyCode KeyFromName(const std::string& token);

// The Alt key code of a letter or digit ('F' -> 0x2100), 0 for other bytes.
KeyCode KeyAltOf(char ch);
