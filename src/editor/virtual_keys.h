// Virtual keys and key codes: the Windows virtual-key numbers the key table is written in, the
// translation of Qt key events into key codes, and the key names of the key list page.
//
// A key code is a virtual key (0x01..0xFE) OR 0x8000 (Shift) OR 0x4000 (Alt) OR 0x2000 (Ctrl);
// a virtual key of 0 means no key.
#pragma once

#include <QString>
#include <Qt>

namespace KeyCode {
inline constexpr int kShift = 0x8000;
inline constexpr int kAlt = 0x4000;
inline constexpr int kCtrl = 0x2000;
inline constexpr int kVirtualKeyMask = 0xFF;

constexpr int VirtualKey(int keyCode) { return keyCode & kVirtualKeyMask; }
constexpr int Shift(int code) { return code | kShift; }
constexpr int Ctrl(int code) { return code | kCtrl; }
} // namespace KeyCode

// The Windows virtual-key numbers in use. Letters and digits are their upper-case ASCII codes.
namespace Vk {
inline constexpr int kBack = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kMenu = 0x12; // Alt
inline constexpr int kEscape = 0x1B;
inline constexpr int kPrior = 0x21; // Page Up
inline constexpr int kNext = 0x22;  // Page Down
inline constexpr int kEnd = 0x23;
inline constexpr int kHome = 0x24;
inline constexpr int kLeft = 0x25;
inline constexpr int kUp = 0x26;
inline constexpr int kRight = 0x27;
inline constexpr int kDown = 0x28;
inline constexpr int kInsert = 0x2D;
inline constexpr int kDelete = 0x2E;
inline constexpr int kF1 = 0x70;
inline constexpr int kF24 = 0x87;
// The "\ _ ろ" key of a Japanese keyboard, the one left of the right Shift.
inline constexpr int kOem102 = 0xE2;

constexpr int F(int n) { return kF1 + n - 1; }
} // namespace Vk

// The key code of a Qt key event from its key(), modifiers() and nativeVirtualKey() (an X11
// keysym on xcb, 0 elsewhere). Shift, Control and Alt alone give their own virtual keys (0x10,
// 0x11, 0x12) so that the caller can pass them by; a key without a virtual key gives 0.
int KeyCodeFromQt(int qtKey, Qt::KeyboardModifiers mods, quint32 nativeVirtualKey);

// The name of a virtual key as the key list page shows it ("←", "Page Up", "F12", "A"); empty
// for a key that has no name.
QString KeyName(int virtualKey);

// "Shift+", "Ctrl+", "Alt+" (those whose flags are set, in this order) and the key's name;
// empty when the key has no name.
QString KeyText(int keyCode);
