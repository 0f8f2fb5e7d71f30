// The consistency check on a hand-damaged file: each problem is reported once, on its own line.
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

TEST(LocalDatabaseCheck, ReportsEveryKindOfDamage)
{
    QByteArray image(CLocalDatabase::kIndexBytes, '\0');
    const SlotEntry entries[] = {{SlotEntry::kInUse, 2, 0}, {7, 2, 2},   {SlotEntry::kFree, 1, 2},
                                 {SlotEntry::kFree, 3, 5},  {SlotEntry::kInUse, 2, 5}, {SlotEntry::kInUse, 3, 2}};
    for (int slot = 0; slot < 6; ++slot)
        entries[slot].ToBytes(image.data() + slot * SlotEntry::kBytes);
    MemoHeader sound;
    ResetMemoHeader(sound);
    image += sound.ToBytes().repeated(7);
    char* header = image.data() + CLocalDatabase::kIndexBytes;
    header[0] = 1;                                  // mark
    header[5] = 0;                                  // HeaderSize 0
    std::fill_n(header + 12, 256, 'a');             // Title without NUL
    std::fill_n(header + 3012, 50, 'b');            // AttachID without NUL
    header[2 * CLocalDatabase::kBlockBytes + 8] = 1; // slot 5: BodyBytes 8193
    header[2 * CLocalDatabase::kBlockBytes + 9] = 0x20;

    TempFolder folder;
    WriteBytes(folder.Path("check.qrl"), image);
    CLocalDatabase db(folder.Path("check.qrl"));
    ASSERT_EQ(db.Open(), CLocalDatabase::kOk);
    const LocalDatabaseCheck check = CheckLocalDatabase(db);
    EXPECT_EQ(check.problems,
              QStringList({"slot 0: header mark is 43777, not 43981", "slot 0: HeaderSize is 0, not 4096",
                           "slot 0: Title has no terminator", "slot 0: AttachID has no terminator",
                           "slot 1: state 7 is not valid", "slot 2: 1 blocks, fewer than a record needs",
                           "slot 3: blocks 5 to 7 lie beyond the end of the file",
                           "slot 5: BodyBytes 8193 does not fit its body area of 8192 bytes",
                           "slots 2 and 5 share block 2", "slots 3 and 4 share block 5"}));
    EXPECT_EQ(check.records, 3);
    EXPECT_EQ(check.freeEntries, 2);
}
