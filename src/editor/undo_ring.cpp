// CUndoRing: a fixed ring of undo records. The slot after the newest record is always empty
// (once anything was pushed), which is where undo stops after wrapping.
#include "editor/undo_ring.h"

namespace {
const UndoRecord kNoRecord;

int Next(int index) { return (index + 1) % CUndoRing::kSize; }
int Previous(int index) { return (index + CUndoRing::kSize - 1) % CUndoRing::kSize; }
} // namespace

void CUndoRing::Clear()
{
    m_records.fill(UndoRecord{});
    m_newest = -1;
}

void CUndoRing::Push(const UndoRecord& record)
{
    m_newest = Next(m_newest);
    m_records[m_newest] = record;
    m_records[Next(m_newest)] = UndoRecord{};
}

const UndoRecord& CUndoRing::Newest() const
{
    return m_newest < 0 ? kNoRecord : m_records[m_newest];
}

UndoRecord CUndoRing::Pop()
{
    if (!CanUndo())
        return {};
    UndoRecord record = m_records[m_newest];
    m_newest = Previous(m_newest);
    return record;
}
