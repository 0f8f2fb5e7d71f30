// CLocalDatabase against the byte layout of the file: slot choice, record moves, reuse of freed
// blocks and zeroing of unused ones, order after reopening, writers and readers sharing a file,
// journals left by a crash, transactions, damaged files and the size limits.
#include "crash_file_system.h"
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "document/rollback_journal.h"
#include "support/new_header.h"
#include "support/temp_files.h"

#include <QFile>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

void PrintTo(const SlotEntry& e, std::ostream* os)
{
    *os << "{" << int(e.state) << ", " << e.blocks << ", " << e.firstBlock << "}";
}

namespace {

constexpr qint64 kMiB = CLocalDatabase::kIndexBytes;
constexpr qint64 kBlock = CLocalDatabase::kBlockBytes;

SlotEntry InUse(uint16_t blocks, uint32_t first) { return {SlotEntry::kInUse, blocks, first}; }
SlotEntry Free(uint16_t blocks, uint32_t first) { return {SlotEntry::kFree, blocks, first}; }

QByteArray EntryBytes(const SlotEntry& entry)
{
    QByteArray bytes(SlotEntry::kBytes, '\0');
    entry.ToBytes(bytes.data());
    return bytes;
}

class LocalDatabaseTest : public testing::Test {
protected:
    CLocalDatabase& Reopen()
    {
        m_db.reset();
        m_db = std::make_unique<CLocalDatabase>(m_path);
        EXPECT_EQ(m_db->Open(), CLocalDatabase::kOk);
        return *m_db;
    }
    // Saves a new memo, or the memo at `position` with its stored header; returns the result.
    int Save(const QString& body, int position = -1)
    {
        MemoHeader header;
        QString old;
        if (position < 0 || !m_db->ReadRecord(m_db->SlotAt(position), header, old))
            ResetMemoHeader(header);
        return m_db->SaveRecord(position, header, body);
    }
    QString Body(int position)
    {
        MemoHeader header;
        QString body;
        EXPECT_TRUE(m_db->ReadRecord(m_db->SlotAt(position), header, body)) << position;
        return body;
    }

    TempFolder m_folder;
    QString m_path = m_folder.Path("Memo.qrl");
    std::unique_ptr<CLocalDatabase> m_db;
    CrashFileSystem m_memory; // for cuts of file calls
    const QString m_memoryPath = "/m/Memo.qrl";
};

TEST_F(LocalDatabaseTest, ANewFileIsAZeroIndexThenRecordsFillWholeBlocksAfterIt)
{
    EXPECT_EQ(CLocalDatabase(m_path).CreateFile(), CLocalDatabase::kOk);
    EXPECT_EQ(ReadBytes(m_path), QByteArray(kMiB, '\0'));
    EXPECT_EQ(CLocalDatabase(m_path).CreateFile(), CLocalDatabase::kExists);
    EXPECT_EQ(CLocalDatabase(m_folder.Path("no/such/folder.qrl")).Open(), CLocalDatabase::kCannotCreate);

    CLocalDatabase& db = Reopen();
    MemoHeader header = NewHeader();
    ASSERT_EQ(db.SaveRecord(-1, header, QString()), 1);
    EXPECT_EQ(db.CurrentHeader(), header);
    QByteArray file = ReadBytes(m_path);
    EXPECT_EQ(file.first(8), QByteArray("\x01\x00\x02\x00\x00\x00\x00\x00", 8));
    EXPECT_EQ(file.sliced(kMiB), header.ToBytes() + QByteArray(kBlock, '\0'));

    const QString full(2048, QChar(u'あ'));
    Save(full);
    Save(full + "x");
    EXPECT_EQ(db.Entry(1), InUse(2, 2));
    EXPECT_EQ(db.Entry(2), InUse(3, 4));
    EXPECT_EQ(db.FileSize(), kMiB + 7 * kBlock);
    EXPECT_EQ(ReadBytes(m_path).mid(kMiB + 3 * kBlock, 2), QByteArray("\x42\x30", 2)); // UTF-16LE
    EXPECT_EQ(Body(2), full + "x");
}

TEST_F(LocalDatabaseTest, GrownMemosMoveKeepingSlotAndOrderAndFreeTheirOldBlocks)
{
    CLocalDatabase& db = Reopen();
    Save("a");
    Save(QString(2049, 'b'));
    Save("c");
    ASSERT_EQ(db.DeleteRecord(1), 1);
    EXPECT_EQ(db.Entry(1), Free(3, 2));
    db.SetCurrentPosition(0);
    ASSERT_EQ(Save(QString(3000, 'a'), 0), 1); // into the exact free entry of slot 1
    EXPECT_EQ(db.Entry(0), InUse(3, 2));
    EXPECT_EQ(db.Entry(1), Free(2, 0));
    EXPECT_EQ(db.CurrentHeader().bodyBytes, 6000);
    ASSERT_EQ(Save(QString(2049, 'c'), 1), 1); // no free entry fits: to the end of the file
    EXPECT_EQ(db.Entry(2), InUse(3, 7));
    EXPECT_EQ(db.Entry(3), Free(2, 5));
    ASSERT_EQ(Save("short", 1), 1); // in place, keeping all three blocks
    EXPECT_EQ(db.Entry(2), InUse(3, 7));
    EXPECT_EQ(Body(0), QString(3000, 'a'));
    EXPECT_EQ(Body(1), "short");
    EXPECT_TRUE(CheckLocalDatabase(db).problems.isEmpty());

    // Writes that would spill out of a record or the index, or name no memo, are refused.
    EXPECT_EQ(db.WriteRecord(1, MemoHeader{}, QByteArray(4097, 'x')), CLocalDatabase::kNotWritable); // Free(2, 0)
    EXPECT_FALSE(db.WriteEntry(CLocalDatabase::kSlotCount, InUse(2, 0)));
    EXPECT_EQ(db.DeleteRecord(2), 0);
    EXPECT_EQ(Save("x", 2), 0);
}

TEST_F(LocalDatabaseTest, ShrunkMovedAndDeletedRecordsLeaveNoOldTextInTheFile)
{
    CLocalDatabase& db = Reopen();
    Save(QString(10000, 'a')); // 6 blocks at 0
    Save(QString(3000, 'c'));  // 3 blocks at 6
    ASSERT_EQ(Save(QString(2048, 'b'), 0), 1); // exactly one full body block
    EXPECT_EQ(Body(0), QString(2048, 'b'));
    EXPECT_EQ(ReadBytes(m_path).mid(kMiB + 2 * kBlock, 4 * kBlock), QByteArray(4 * kBlock, '\0'));
    EXPECT_EQ(db.Entry(0), InUse(6, 0));

    ASSERT_EQ(Save(QString(3000, 'd'), 1), 1); // same blocks, rewritten whole
    ASSERT_EQ(Save(QString(9000, 'e'), 1), 1); // moves to the end; blocks 6 to 8 are freed
    EXPECT_EQ(ReadBytes(m_path).mid(kMiB + 6 * kBlock, 3 * kBlock), QByteArray(3 * kBlock, '\0'));
    ASSERT_EQ(db.DeleteRecord(0), 1);
    EXPECT_EQ(ReadBytes(m_path).first(kMiB + 9 * kBlock).count('b'), 0);
    EXPECT_EQ(Reopen().Count(), 1);
    EXPECT_EQ(Body(0), QString(9000, 'e'));
}

TEST_F(LocalDatabaseTest, FreedBlocksAreReusedOnExactFitOrWhenTwoBlocksLargerAndANewMemoGoesLastUntilReopened)
{
    CLocalDatabase& db = Reopen();
    Save(QString(3 * 2048, 'x')); // 4 blocks at 0
    Save(QString(4 * 2048, 'y')); // 5 blocks at 4
    Save("z");
    ASSERT_EQ(db.DeleteRecord(0), 1);
    ASSERT_EQ(db.DeleteRecord(0), 1);
    EXPECT_EQ(db.FindSlot(1), 0);          // 2 blocks: the smallest larger entry is 2 larger
    EXPECT_EQ(db.FindSlot(2 * kBlock), 3); // 3 blocks: 4 and 5 are too close, append
    Save(QStringLiteral("D𠮷😀")); // into slot 0, shown last until the file is opened again
    EXPECT_EQ(db.SlotAt(1), 0);
    Reopen();
    EXPECT_EQ(Body(0), QStringLiteral("D𠮷😀")); // surrogate pairs kept as they were
    EXPECT_EQ(Body(1), "z");
}

TEST_F(LocalDatabaseTest, ASecondWriterIsRefusedWhileReadersShareTheFileAndWaitForSaves)
{
    Reopen();
    Save("first");
    {
        CLocalDatabase second(m_path);
        EXPECT_EQ(second.Open(), CLocalDatabase::kCannotOpen);
        EXPECT_EQ(second.LastOpenFailure(), CLocalDatabase::OpenFailure::kLocked);
        CLocalDatabase reader(m_path);
        ASSERT_EQ(reader.Open(CLocalDatabase::OpenMode::kReadOnly), CLocalDatabase::kOk);
        EXPECT_EQ(reader.Count(), 1);
        MemoHeader header = m_db->CurrentHeader();
        EXPECT_EQ(reader.SaveRecord(-1, header, "never"), 0);
        EXPECT_FALSE(reader.BeginTransaction());
    }
    {
        // A save waits while a reader holds the file, then goes on when it closes.
        auto reader = std::make_unique<CLocalDatabase>(m_path);
        ASSERT_EQ(reader->Open(CLocalDatabase::OpenMode::kReadOnly), CLocalDatabase::kOk);
        std::thread closer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            reader.reset();
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Save("after the reader"), 1);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
        closer.join();
    }
    CLocalDatabase reader(m_path);
    ASSERT_EQ(reader.Open(CLocalDatabase::OpenMode::kReadOnly), CLocalDatabase::kOk);
    EXPECT_EQ(reader.Count(), 2);
}

TEST_F(LocalDatabaseTest, ShortTextAndDamagedFilesReadAsFailure)
{
    WriteBytes(m_path, QByteArray("Memo text, line after line.\n").repeated(40000));
    EXPECT_EQ(Reopen().Count(), 0);
    QString text = "untouched";
    EXPECT_EQ(m_db->LoadCurrent(text), 0);
    EXPECT_TRUE(text.isEmpty());

    m_db.reset();
    QFile::remove(m_path);
    Reopen();
    for (int i = 0; i < 5; ++i)
        Save("memo");
    m_db.reset();
    QByteArray image = ReadBytes(m_path);
    const QByteArray entries = EntryBytes(InUse(2, 1000)) + EntryBytes(InUse(0, 2)) + EntryBytes(InUse(1, 4));
    image.replace(0, entries.size(), entries);
    WriteBytes(m_path, image);

    Reopen();
    MemoHeader header;
    QString body = "untouched";
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_FALSE(m_db->ReadRecord(slot, header, body)) << slot;
        EXPECT_FALSE(m_db->ReadHeader(slot, header)) << slot;
    }
    m_db->SetCurrentPosition(0);
    m_db->SetCurrentHeader(MemoHeader{});
    EXPECT_EQ(m_db->LoadCurrent(body), -1);
    EXPECT_EQ(body, QString());
    EXPECT_EQ(m_db->CurrentHeader().mark, MemoHeader::kMark); // reset to a new memo's header

    EXPECT_EQ(m_db->SaveRecord(0, header, "x"), 0); // never writes through a damaged entry
    EXPECT_EQ(ReadBytes(m_path), image);
}

TEST_F(LocalDatabaseTest, FullIndexRefusesNewAndMovedRecordsWithoutWriting)
{
    QByteArray image = EntryBytes(InUse(2, 0)).repeated(CLocalDatabase::kSlotCount - 1) + QByteArray(8, '\0');
    MemoHeader header = NewHeader();
    image += header.ToBytes() + QByteArray(kBlock, '\0');
    WriteBytes(m_path, image);

    CLocalDatabase& db = Reopen();
    ASSERT_EQ(db.Count(), CLocalDatabase::kSlotCount - 1);
    EXPECT_EQ(db.SlotAt(db.Count() - 1), CLocalDatabase::kSlotCount - 2); // slots past 65 535 kept
    EXPECT_EQ(db.SaveRecord(-1, header, "new"), 0);
    EXPECT_EQ(db.SaveRecord(70000, header, QString(2049, 'x')), 0);
    EXPECT_EQ(ReadBytes(m_path), image);
    EXPECT_EQ(db.SaveRecord(70000, header, "fits in place"), 1);
}

TEST_F(LocalDatabaseTest, RecordsNeverEndAtOrBeyondFourGibibytes)
{
    Reopen();
    Save("grows later");
    ASSERT_TRUE(QFile::resize(m_path, CLocalDatabase::kMaxFileBytes - 2 * kBlock)); // sparse
    CLocalDatabase& db = Reopen();
    EXPECT_EQ(Save(QString()), 0);
    EXPECT_EQ(Save(QString(2049, 'x'), 0), 0);
    EXPECT_EQ(db.Entry(1), SlotEntry{});
    EXPECT_EQ(db.FileSize(), CLocalDatabase::kMaxFileBytes - 2 * kBlock);
    EXPECT_EQ(Body(0), "grows later");

    ASSERT_TRUE(QFile::resize(m_path, CLocalDatabase::kMaxFileBytes - 3 * kBlock));
    EXPECT_EQ(Reopen().FileSize(), CLocalDatabase::kMaxFileBytes - 3 * kBlock);
    EXPECT_EQ(Save("ends one block below the limit"), 1);
    EXPECT_EQ(m_db->Entry(1).EndOffset(), CLocalDatabase::kMaxFileBytes - kBlock);
}

// Two rewrites in one transaction, cut after the first is written in place: a half-saved file.
TEST_F(LocalDatabaseTest, AJournalLeftByACrashIsReadThroughByReadersAndRolledBackByTheNextWriter)
{
    EXPECT_EQ(CRollbackJournal::PathFor(m_path), m_folder.Path("Memo.qrj"));
    EXPECT_EQ(CRollbackJournal::PathFor("/m/old.QRL.bak"), "/m/old.qrj.bak");
    EXPECT_EQ(CRollbackJournal::PathFor("/m/memos"), "/m/memos.qrj");

    CrashFileSystem& files = m_memory;
    const QString& path = m_memoryPath;
    {
        CLocalDatabase db(path, files);
        ASSERT_EQ(db.Open(), CLocalDatabase::kOk);
        MemoHeader header = NewHeader();
        db.SaveRecord(-1, header, "old text");
        db.SaveRecord(-1, header, "old too");
        ASSERT_TRUE(db.BeginTransaction());
        db.SaveRecord(0, header, "new text");
        db.SaveRecord(1, header, "new too");
        files.FailAt(4, CrashFileSystem::Fault::kPersistent); // journal, its sync, memo 0, then memo 1 fails
        EXPECT_EQ(db.CommitTransaction(), 0);
        EXPECT_TRUE(db.HasFailed());
        EXPECT_EQ(db.SaveRecord(-1, header, "refused"), 0);
        db.SetCurrentPosition(0);
        QString body;
        EXPECT_EQ(db.LoadCurrent(body), 1);
        EXPECT_EQ(body, "old text");
    }
    const JournalCheck check = CheckJournal(files, path);
    EXPECT_EQ(check.found, CRollbackJournal::Found::kHot);
    EXPECT_EQ(check.originalSize, kMiB + 4 * kBlock);
    EXPECT_EQ(check.pages, 4); // both records, rewritten whole

    const QString journalPath = m_folder.Path("Memo.qrj");
    WriteBytes(m_path, files.Bytes(path));
    WriteBytes(journalPath, files.Bytes(CRollbackJournal::PathFor(path)));
    const QByteArray halfSaved = ReadBytes(m_path);
    EXPECT_TRUE(halfSaved.contains(QByteArray("n\0e\0w\0 \0t\0e\0x\0t\0", 16)));
    {
        CLocalDatabase reader(m_path);
        ASSERT_EQ(reader.Open(CLocalDatabase::OpenMode::kReadOnly), CLocalDatabase::kOk);
        MemoHeader header;
        QString body;
        ASSERT_TRUE(reader.ReadRecord(0, header, body));
        EXPECT_EQ(body, "old text");
        EXPECT_EQ(CheckLocalDatabase(reader).problems,
                  QStringList{"journal " + journalPath + " is still there: a save was interrupted"});
    }
    EXPECT_EQ(ReadBytes(m_path), halfSaved);
    Reopen();
    EXPECT_EQ(ReadBytes(journalPath), QByteArray()); // the writer's own, empty until it saves
    EXPECT_EQ(Body(0), "old text");
    m_db.reset();
    EXPECT_FALSE(QFile::exists(journalPath));

    // A journal torn before its header was whole is dropped; a file that is no journal is kept.
    WriteBytes(journalPath, "Quire");
    Reopen();
    EXPECT_EQ(ReadBytes(journalPath), QByteArray());
    m_db.reset();
    WriteBytes(journalPath, QByteArray(100, 'x'));
    CLocalDatabase refused(m_path);
    EXPECT_EQ(refused.Open(), CLocalDatabase::kCannotOpen);
    EXPECT_EQ(refused.LastOpenFailure(), CLocalDatabase::OpenFailure::kJournal);
    EXPECT_EQ(ReadBytes(journalPath), QByteArray(100, 'x'));
}

TEST_F(LocalDatabaseTest, ATransactionStoresManyRecordsWithAFewSyncsOrNoneOfThem)
{
    CrashFileSystem& files = m_memory;
    const QString& path = m_memoryPath;
    CLocalDatabase db(path, files);
    files.FailAt(5, CrashFileSystem::Fault::kTransient); // the new file is made; its journal cannot be
    EXPECT_EQ(db.Open(), CLocalDatabase::kCannotOpen);
    ASSERT_EQ(db.Open(), CLocalDatabase::kOk);
    MemoHeader header = NewHeader();
    db.SaveRecord(-1, header, "kept");
    const QByteArray before = files.Bytes(path);

    ASSERT_TRUE(db.BeginTransaction());
    EXPECT_FALSE(db.BeginTransaction());
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(db.SaveRecord(-1, header, QString::number(i)), 1);
    db.RollbackTransaction();
    EXPECT_EQ(files.Bytes(path), before);
    EXPECT_EQ(db.Count(), 1);
    EXPECT_EQ(db.CurrentPosition(), 0);

    files.ClearFault();
    ASSERT_TRUE(db.BeginTransaction());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(db.SaveRecord(-1, header, QString::number(i)), 1);
    MemoHeader read;
    QString body;
    ASSERT_TRUE(db.ReadRecord(db.SlotAt(501), read, body)); // held writes are read back
    EXPECT_EQ(body, "500");
    ASSERT_EQ(db.DeleteRecord(0), 1);
    EXPECT_EQ(db.CommitTransaction(), 1);
    EXPECT_LT(files.Syncs(), 8);

    CLocalDatabase reopened(path, files);
    ASSERT_EQ(reopened.Open(), CLocalDatabase::kOk);
    EXPECT_EQ(reopened.Count(), 1000);
    EXPECT_TRUE(CheckLocalDatabase(reopened).problems.isEmpty());
}

} // namespace
