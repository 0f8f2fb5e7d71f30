// The undo ring: newest first, and never past the slot cleared after the newest record.
#include "editor/undo_ring.h"

#include <gtest/gtest.h>

namespace {

UndoRecord Typed(int offset)
{
    UndoRecord record;
    record.kind = UndoRecord::kTyped;
    record.offset1 = offset;
    return record;
}

TEST(UndoRing, UndoStopsAfter2047StepsOnceWrapped)
{
    CUndoRing ring;
    EXPECT_EQ(ring.Pop().kind, UndoRecord::kEmpty);
    const int pushed = CUndoRing::kSize + 10;
    for (int i = 0; i < pushed; ++i)
        ring.Push(Typed(i));
    int expected = pushed - 1;
    while (ring.CanUndo())
        ASSERT_EQ(ring.Pop().offset1, expected--);
    EXPECT_EQ(pushed - 1 - expected, CUndoRing::kSize - 1);

    ring.Push(Typed(-1)); // after running dry, a new record is undone alone
    ring.Pop();
    EXPECT_FALSE(ring.CanUndo());
}

} // namespace
