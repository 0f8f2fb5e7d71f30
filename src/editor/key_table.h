// The key assignment table: for each of 174 editor functions two consecutive rows (a named row
// and an unnamed row with further keys) holding its keys in the diamond cursor layout and in
// the Windows standard layout. 45 functions are carried out; the keys of the others are still
// recognised (and make two-stroke prefixes) but run nothing.
//
// Invariants: every row holds at most one key or two-stroke sequence per layout (key 2 is 0 for
// a single key, both are 0 for none); both rows of a function carry the same command and
// category; no command is used by two functions. Key codes are those of virtual_keys.h.
#pragma once

#include "editor/virtual_keys.h"

#include <span>

enum KeyboardLayout { kLayoutWindows = 0, kLayoutDiamond = 1 };

struct KeyRow {
    int category;         // group on the key list page, 0 to 10
    const char16_t* name; // empty (never null) in the second row of a function
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
    // The command of the key's row (> 0; the commands of functions that are not carried out
    // do nothing when run), or 0 when no row has the key or the key begins a sequence.
    // `layout` 0 is the Windows standard layout, anything else the diamond cursor layout. Any
    // key clears a pending prefix; a key code without a virtual key never matches a row.
    int Lookup(int keyCode, int layout);
    int PendingPrefix() const { return m_pendingPrefix; }
    void Clear() { m_pendingPrefix = 0; }

private:
    int m_pendingPrefix = 0;
};
