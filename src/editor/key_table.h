// The key assignment table: for each of 174 editor functions two consecutive rows (a named row
// and an unnamed row with further keys) holding its keys in the diamond cursor layout and in
// the Windows standard layout. 45 functions are carried out; the keys of the others are still
// recognised (and make two-stroke prefixes) but run nothing.
//
// A key code is a virtual-key code OR 0x8000 (Shift) OR 0x4000 (Alt) OR 0x2000 (Ctrl).
#pragma once

#include <QString>
#include <span>

namespace KeyCode {
inline constexpr int kShift = 0x8000;
inline constexpr int kAlt = 0x4000;
inline constexpr int kCtrl = 0x2000;
} // namespace KeyCode

enum KeyboardLayout { kLayoutWindows = 0, kLayoutDiamond = 1 };

struct KeyRow {
    int category;
    const char16_t* name; // empty in the second row of a function
    int diamondKey1;
    int diamondKey2;
    int windowsKey1;
    int windowsKey2;
    int command;
};

// All 348 rows in table order.
std::span<const KeyRow> KeyAssignmentTable();

// Translates key codes through the table, keeping the pending first key of a two-stroke
// sequence.
class KeyLookup {
public:
    // The command of the key (> 0), or 0 when the key runs nothing or begins a sequence.
    // `layout` 0 is the Windows standard layout, anything else the diamond cursor layout.
    int Lookup(int keyCode, int layout);
    int PendingPrefix() const { return m_pendingPrefix; }
    void Clear() { m_pendingPrefix = 0; }

private:
    int m_pendingPrefix = 0;
};
