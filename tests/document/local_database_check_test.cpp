// The consistency check on hand-damaged files: every kind of problem is reported once, on its
// own line, and a sound file gives none.
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 kBlock = CLocalDatabase::kBlockBytes;

// An index with the given entries, followed by `blocks` data blocks each holding a sound header.
QByteArray Image(std::initializer_list<std::pair<int, SlotEntry>> entries, int blocks)
{
    QByteArray image(CLocalDatabase::kIndexBytes, '\0');
    for (const auto& [slot, entry] : entries)
        entry.ToBytes(image.data() + slot * SlotEntry::kBytes);
    MemoHeader header;
    ResetMemoHeader(header);
    for (int block = 0; block < blocks; ++block)
        image += header.ToBytes();
    return image;
}

QStringList Problems(const QByteArray& image)
{
    TempFolder folder;
    const QString path = folder.Path("check.qrl");
    WriteBytes(path, image);
    CLocalDatabase db(path);
    EXPECT_EQ(db.Open(), CLocalDatabase::kOk);
    return CheckLocalDatabase(db).problems;
}

TEST(LocalDatabaseCheck, ReportsEntriesThatCannotHoldARecord)
{
    const QByteArray image = Image({{0, {SlotEntry::kInUse, 2, 0}}, {1, {7, 2, 2}}, {2, {SlotEntry::kFree, 1, 2}},
                                    {3, {SlotEntry::kFree, 3, 5}}, {4, {SlotEntry::kInUse, 2, 5}}},
                                   7);
    EXPECT_EQ(Problems(image), QStringList({"slot 1: state 7 is not valid", "slot 2: 1 blocks, fewer than a record needs",
                                            "slot 3: blocks 5 to 7 lie beyond the end of the file",
                                            "slots 3 and 4 share block 5"}));
}

TEST(LocalDatabaseCheck, ReportsDamagedHeaderFields)
{
    QByteArray image = Image({{0, {SlotEntry::kInUse, 2, 0}}, {5, {SlotEntry::kInUse, 3, 2}}}, 5);
    const qint64 header = CLocalDatabase::kIndexBytes;
    image[header] = 1;                                   // mark
    image[header + 5] = 0;                               // HeaderSize 0
    image.replace(header + 12, 256, QByteArray(256, 'a')); // Title without NUL
    image.replace(header + 3012, 50, QByteArray(50, 'b'));  // AttachID without NUL
    image[header + 2 * kBlock + 9] = 0x20;               // BodyBytes 8192 fits two body blocks
    EXPECT_EQ(Problems(image), QStringList({"slot 0: header mark is 43777, not 43981", "slot 0: HeaderSize is 0, not 4096",
                                            "slot 0: Title has no terminator", "slot 0: AttachID has no terminator"}));
    image[header + 2 * kBlock + 8] = 1; // 8193
    EXPECT_EQ(Problems(image).value(4), "slot 5: BodyBytes 8193 does not fit its body area of 8192 bytes");
}

} // namespace
