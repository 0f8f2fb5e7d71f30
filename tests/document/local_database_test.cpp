// CLocalDatabase against the byte layout of the file: slot choice, record moves, reuse of freed
// blocks, order after reopening, the exclusive open, damaged files and the size limits.
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "support/temp_files.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>

void PrintTo(const SlotEntry& e, std::ostream* os)
{
    *os << "{" << int(e.state) << ", " << e.blocks << ", " << e.firstBlock << "}";
}

namespace {

constexpr qint64 kMiB = CLocalDatabase::kIndexBytes;
constexpr qint64 kBlock = CLocalDatabase::kBlockBytes;

SlotEntry InUse(uint16_t blocks, uint32_t first) { return {SlotEntry::kInUse, blocks, first}; }
SlotEntry Free(uint16_t blocks, uint32_t first) { return {SlotEntry::kFree, blocks, first}; }

void PatchBytes(const QString& path, qint64 offset, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(offset));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void PatchEntry(const QString& path, int slot, const SlotEntry& entry)
{
    QByteArray bytes(SlotEntry::kBytes, '\0');
    entry.ToBytes(bytes.data());
    PatchBytes(path, slot * SlotEntry::kBytes, bytes);
}

class LocalDatabaseTest : public testing::Test {
protected:
    // A fresh object on the test's file, opened.
    CLocalDatabase& Reopen()
    {
        m_db.reset();
        m_db = std::make_unique<CLocalDatabase>(m_path);
        EXPECT_EQ(m_db->Open(), CLocalDatabase::kOk);
        return *m_db;
    }
    // Saves a new memo; returns its slot.
    int Add(const QString& body, const QString& title = {})
    {
        MemoHeader header;
        ResetMemoHeader(header);
        header.title = title;
        EXPECT_EQ(m_db->SaveRecord(-1, header, body), 1);
        return m_db->SlotAt(m_db->CurrentPosition());
    }
    int Resave(int position, const QString& body)
    {
        MemoHeader header;
        QString old;
        EXPECT_TRUE(m_db->ReadRecord(m_db->SlotAt(position), header, old));
        return m_db->SaveRecord(position, header, body);
    }
    QString Body(int position)
    {
        MemoHeader header;
        QString body;
        EXPECT_TRUE(m_db->ReadRecord(m_db->SlotAt(position), header, body));
        return body;
    }
    void Close() { m_db.reset(); }

    TempFolder m_folder;
    QString m_path = m_folder.Path("Memo.qrl");
    std::unique_ptr<CLocalDatabase> m_db;
};

TEST_F(LocalDatabaseTest, CreatesAZeroIndexOnceAndNeverOverwrites)
{
    CLocalDatabase db(m_path);
    EXPECT_EQ(db.CreateFile(), CLocalDatabase::kOk);
    EXPECT_EQ(ReadBytes(m_path), QByteArray(kMiB, '\0'));
    EXPECT_EQ(db.CreateFile(), CLocalDatabase::kExists);
    EXPECT_EQ(CLocalDatabase(m_folder.Path("no/such/folder.qrl")).CreateFile(), CLocalDatabase::kCannotCreate);
    EXPECT_EQ(CLocalDatabase(m_folder.Path("no/such/folder.qrl")).Open(), CLocalDatabase::kCannotCreate);
}

TEST_F(LocalDatabaseTest, FirstEmptyMemoIsHeaderBlockPlusOneZeroBlock)
{
    CLocalDatabase& db = Reopen(); // creates the missing file
    EXPECT_EQ(db.CurrentPosition(), -1);
    MemoHeader header;
    ResetMemoHeader(header);
    header.title = "t";
    ASSERT_EQ(db.SaveRecord(-1, header, QString()), 1);
    EXPECT_EQ(header.attachId.size(), MemoHeader::kAttachIdChars);
    EXPECT_EQ(db.CurrentHeader(), header);
    EXPECT_EQ(db.CurrentPosition(), 0);
    Close();

    const QByteArray file = ReadBytes(m_path);
    ASSERT_EQ(file.size(), kMiB + 2 * kBlock);
    EXPECT_EQ(file.first(8), QByteArray("\x01\x00\x02\x00\x00\x00\x00\x00", 8));
    EXPECT_EQ(file.mid(kMiB, kBlock), header.ToBytes());
    EXPECT_EQ(file.mid(kMiB + kBlock), QByteArray(kBlock, '\0'));
}

TEST_F(LocalDatabaseTest, BodyFillsExactBlocksAndReadsBack)
{
    CLocalDatabase& db = Reopen();
    const QString full(2048, QChar(u'あ'));
    Add(full);
    Add(full + "x");
    EXPECT_EQ(db.Entry(0), InUse(2, 0));
    EXPECT_EQ(db.Entry(1), InUse(3, 2));
    EXPECT_EQ(db.FileSize(), kMiB + 5 * kBlock);
    EXPECT_EQ(Body(0), full);
    EXPECT_EQ(Body(1), full + "x");
    EXPECT_EQ(ReadBytes(m_path).mid(kMiB + kBlock, 2), QByteArray("\x42\x30", 2)); // UTF-16LE
}

TEST_F(LocalDatabaseTest, GrownMemoMovesKeepingSlotAndOrderAndFreesOldBlocks)
{
    CLocalDatabase& db = Reopen();
    Add("a", "A");
    Add("b", "B");
    db.SetCurrentPosition(0);
    ASSERT_EQ(Resave(0, QString(2049, 'a')), 1);
    EXPECT_EQ(db.Entry(0), InUse(3, 4));
    EXPECT_EQ(db.Entry(2), Free(2, 0));
    EXPECT_EQ(db.Count(), 2);
    EXPECT_EQ(db.SlotAt(0), 0);
    EXPECT_EQ(Body(0), QString(2049, 'a'));
    EXPECT_EQ(db.CurrentHeader().bodyBytes, 4098);

    // Shrinking rewrites in place and keeps all three blocks.
    ASSERT_EQ(Resave(0, "short"), 1);
    EXPECT_EQ(db.Entry(0), InUse(3, 4));
    EXPECT_EQ(Body(0), "short");
    EXPECT_TRUE(CheckLocalDatabase(db).problems.isEmpty());
}

TEST_F(LocalDatabaseTest, GrownMemoTakesAnExactFreeEntryWhichThenHoldsItsOldBlocks)
{
    CLocalDatabase& db = Reopen();
    Add("a");
    Add(QString(2049, 'b'));
    Add("c");
    ASSERT_EQ(db.DeleteRecord(1), 1);
    EXPECT_EQ(db.Entry(1), Free(3, 2));
    ASSERT_EQ(Resave(0, QString(3000, 'a')), 1);
    EXPECT_EQ(db.Entry(0), InUse(3, 2));
    EXPECT_EQ(db.Entry(1), Free(2, 0));
    EXPECT_EQ(db.FileSize(), kMiB + 7 * kBlock);
    EXPECT_TRUE(CheckLocalDatabase(db).problems.isEmpty());
}

TEST_F(LocalDatabaseTest, FreedBlocksAreReusedOnExactFitOrWhenTwoBlocksLarger)
{
    CLocalDatabase& db = Reopen();
    Add(QString(3 * 2048, 'x')); // 4 blocks at 0
    Add(QString(4 * 2048, 'y')); // 5 blocks at 4
    Add("z");                    // 2 blocks at 9
    ASSERT_EQ(db.DeleteRecord(0), 1);
    ASSERT_EQ(db.DeleteRecord(0), 1);
    EXPECT_EQ(db.CurrentPosition(), -1);
    EXPECT_EQ(db.FindSlot(1), 0);         // 2 blocks: the smallest larger entry (4) is 2 larger
    EXPECT_EQ(db.FindSlot(2 * kBlock), 3); // 3 blocks: 4 and 5 are too close, append
    EXPECT_EQ(db.FindSlot(4 * kBlock), 1); // exact fit
    EXPECT_EQ(db.FindSlot(5 * kBlock), 3);

    Add(QString(4 * 2048, 'n'));
    EXPECT_EQ(db.Entry(1), InUse(5, 4));
    Add(QString());
    EXPECT_EQ(db.Entry(0), InUse(2, 0));
    EXPECT_EQ(db.FileSize(), kMiB + 11 * kBlock);
}

TEST_F(LocalDatabaseTest, NewMemoGoesLastUntilReopenOrdersBySlot)
{
    CLocalDatabase& db = Reopen();
    Add("A");
    Add("B");
    Add("C");
    ASSERT_EQ(db.DeleteRecord(0), 1);
    EXPECT_EQ(Add("D"), 0); // reuses slot 0
    EXPECT_EQ(Body(2), "D");
    EXPECT_EQ(Body(0), "B");

    Reopen();
    ASSERT_EQ(m_db->Count(), 3);
    EXPECT_EQ(Body(0), "D");
    EXPECT_EQ(Body(2), "C");
}

TEST_F(LocalDatabaseTest, SecondOpenOfTheSameFileIsRefused)
{
    CLocalDatabase& first = Reopen();
    CLocalDatabase second(m_path);
    EXPECT_EQ(second.Open(), CLocalDatabase::kCannotOpen);
    EXPECT_FALSE(second.IsOpen());
    Add("still usable");
    EXPECT_EQ(first.Count(), 1);
    Close();
    EXPECT_EQ(second.Open(), CLocalDatabase::kOk);
}

TEST_F(LocalDatabaseTest, ShortFileIsRefusedAndTextOfOneMebibyteHasNoRecords)
{
    WriteBytes(m_path, QByteArray(kMiB - 1, 'x'));
    EXPECT_EQ(CLocalDatabase(m_path).Open(), CLocalDatabase::kIndexTooShort);

    WriteBytes(m_path, QByteArray("Memo text, line after line.\n").repeated(40000));
    CLocalDatabase& db = Reopen();
    EXPECT_EQ(db.Count(), 0);
    QString body = "untouched";
    EXPECT_EQ(db.LoadCurrent(body), 0);
    EXPECT_TRUE(body.isEmpty());
}

TEST_F(LocalDatabaseTest, DamagedRecordsReadAsFailure)
{
    Reopen();
    for (int i = 0; i < 5; ++i)
        Add("memo");
    Close();
    PatchEntry(m_path, 0, InUse(2, 1000)); // past the end
    PatchEntry(m_path, 1, InUse(0, 2));
    PatchEntry(m_path, 2, InUse(1, 4));
    PatchBytes(m_path, kMiB + 6 * kBlock + 8, QByteArray("\x01\x10\x00\x00", 4)); // BodyBytes 4097
    PatchBytes(m_path, kMiB + 8 * kBlock + 12, QByteArray(256, 'A'));             // no Title NUL

    Reopen();
    MemoHeader header;
    QString body;
    for (int position = 0; position < 4; ++position) {
        EXPECT_FALSE(m_db->ReadRecord(m_db->SlotAt(position), header, body)) << position;
        EXPECT_FALSE(m_db->ReadHeader(m_db->SlotAt(position), header)) << position;
    }
    m_db->SetCurrentPosition(3);
    m_db->SetCurrentHeader(MemoHeader{});
    EXPECT_EQ(m_db->LoadCurrent(body), 0);
    EXPECT_EQ(m_db->CurrentHeader().mark, MemoHeader::kMark); // reset to a new memo's header
    ASSERT_TRUE(m_db->ReadHeader(4, header)); // a title without its NUL ends with its field
    EXPECT_EQ(header.title, QString(128, QChar(0x4141)));
    EXPECT_TRUE(header.theKeys.isEmpty());

    const QByteArray before = ReadBytes(m_path);
    EXPECT_EQ(m_db->SaveRecord(0, header, "x"), 0); // never writes through a damaged entry
    EXPECT_EQ(ReadBytes(m_path), before);
}

TEST_F(LocalDatabaseTest, FullIndexRefusesNewAndMovedRecordsWithoutWriting)
{
    QByteArray image(kMiB + 2 * kBlock, '\0');
    for (int slot = 0; slot < CLocalDatabase::kSlotCount - 1; ++slot)
        InUse(2, 0).ToBytes(image.data() + slot * SlotEntry::kBytes);
    MemoHeader header;
    ResetMemoHeader(header);
    image.replace(kMiB, kBlock, header.ToBytes());
    WriteBytes(m_path, image);

    CLocalDatabase& db = Reopen();
    ASSERT_EQ(db.Count(), CLocalDatabase::kSlotCount - 1);
    EXPECT_EQ(db.SlotAt(db.Count() - 1), CLocalDatabase::kSlotCount - 2); // slots past 65 535 kept
    EXPECT_EQ(db.FindSlot(0), -1);
    EXPECT_EQ(db.SaveRecord(-1, header, "new"), 0);
    EXPECT_EQ(db.SaveRecord(70000, header, QString(2049, 'x')), 0);
    EXPECT_EQ(db.Count(), CLocalDatabase::kSlotCount - 1);
    EXPECT_EQ(ReadBytes(m_path), image);
    EXPECT_EQ(db.SaveRecord(70000, header, "fits in place"), 1);
}

TEST_F(LocalDatabaseTest, RecordsNeverEndAtOrBeyondFourGibibytes)
{
    CLocalDatabase& db = Reopen();
    Add("grows later");
    ASSERT_TRUE(QFile::resize(m_path, CLocalDatabase::kMaxFileBytes - 2 * kBlock)); // sparse
    MemoHeader header;
    ResetMemoHeader(header);
    EXPECT_EQ(db.SaveRecord(-1, header, QString()), 0);
    EXPECT_EQ(Resave(0, QString(2049, 'x')), 0);
    EXPECT_EQ(db.Count(), 1);
    EXPECT_EQ(db.Entry(0), InUse(2, 0));
    EXPECT_EQ(db.Entry(1), SlotEntry{});
    EXPECT_EQ(db.FileSize(), CLocalDatabase::kMaxFileBytes - 2 * kBlock);
    EXPECT_EQ(Body(0), "grows later");

    ASSERT_TRUE(QFile::resize(m_path, CLocalDatabase::kMaxFileBytes - 3 * kBlock));
    Add("ends one block below the limit");
    EXPECT_EQ(db.Entry(1).EndOffset(), CLocalDatabase::kMaxFileBytes - kBlock);
}

TEST_F(LocalDatabaseTest, RefusesWritesThatWouldSpillOrLeaveTheIndex)
{
    CLocalDatabase& db = Reopen();
    Add("a");
    Add("b");
    ASSERT_EQ(db.DeleteRecord(0), 1);
    EXPECT_EQ(db.DeleteRecord(0), 1);
    EXPECT_EQ(db.DeleteRecord(0), 0);
    EXPECT_EQ(db.WriteRecord(0, MemoHeader{}, QByteArray(4097, 'x')), CLocalDatabase::kNotWritable);
    EXPECT_FALSE(db.WriteEntry(CLocalDatabase::kSlotCount, InUse(2, 0)));
    MemoHeader header = db.CurrentHeader();
    EXPECT_EQ(db.SaveRecord(0, header, "x"), 0);
}

} // namespace
