// CUndoRing: the view's undo history, a ring of 2048 records. Pushing clears the slot after
// the newest record, so undo stops after at most 2047 steps and never replays an overwritten
// record. Positions are paragraph ordinal and offset, which survive rewrapping.
#pragma once

#include <QString>
#include <array>

struct UndoRecord {
    enum Kind { kEmpty = 0, kDeleted = 1, kTyped = 2, kPasted = 3 };

    int paragraph1 = -1;
    int offset1 = -1;
    int paragraph2 = -1;
    int offset2 = -1;
    int kind = kEmpty;
    QString text; // kDeleted: the deleted text, line feeds included
    int count = 0; // kTyped: number of characters typed
};

class CUndoRing {
public:
    static constexpr int kSize = 2048;

    void Clear();
    void Push(const UndoRecord& record);
    // The newest record; kind kEmpty when there is nothing to undo.
    const UndoRecord& Newest() const;
    // Removes the newest record (the index steps back; the record's slot is kept until
    // overwritten, as the ring stops at the cleared slot after the newest).
    UndoRecord Pop();
    bool CanUndo() const { return Newest().kind != UndoRecord::kEmpty; }

private:
    std::array<UndoRecord, kSize> m_records;
    int m_newest = -1;
};
