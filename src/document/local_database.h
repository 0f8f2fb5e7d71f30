// CLocalDatabase: one local database file (.qrl), kept open and locked from Open to destruction.
//
// The file is a 1 MiB index of 131 072 eight-byte slot entries followed by 4096-byte blocks;
// block b lies at (b + 256) x 4096. A record is one MemoHeader block plus ceil(BodyBytes / 4096)
// body blocks (at least one), zero-filled; all integers are little-endian.
// Invariants: the index buffer equals the file's index after every write; no two entries name
// the same blocks at any moment, even between the writes of one save; no record ends at or
// beyond 4 GiB; the last slot is never allocated; every read is checked against the entry and
// the file size, so a damaged file reads as a failure, never as garbage.
// Every change is a transaction (one save or delete, or many between BeginTransaction and
// CommitTransaction) made atomic by the rollback journal beside the file (rollback_journal.h):
// after a crash the file holds all of a transaction or none of it. Every block a record
// names is written whole: the rest of a rewritten record, and the blocks of a deleted or moved
// one, are zeros (unless another entry names them too, in a damaged file).
// Locks: a writer holds the session lock while open; readers hold the data lock shared while
// open, and a writer holds it exclusively only while it writes, waiting at most kLockWaitMs.
#pragma once

#include "document/file_system.h"
#include "document/memo_header.h"
#include "document/rollback_journal.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtEndian>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// One 8-byte index entry: State (0 never used, 1 holds a record, 2 free blocks), a reserved
// zero byte, the record's block count (header block included) and its first block.
struct SlotEntry {
    static constexpr int kBytes = 8;
    enum State : uint8_t { kUnused = 0, kInUse = 1, kFree = 2 };

    uint8_t state = kUnused;
    uint16_t blocks = 0;
    uint32_t firstBlock = 0;

    // File offsets of the first block and of the end of the last block.
    qint64 Offset() const;
    qint64 EndOffset() const;

    void ToBytes(char* out) const;
    static SlotEntry FromBytes(const char* in)
    {
        return {uint8_t(in[0]), qFromLittleEndian<uint16_t>(in + 2), qFromLittleEndian<uint32_t>(in + 4)};
    }

    friend bool operator==(const SlotEntry&, const SlotEntry&) = default;
};

class CLocalDatabase {
public:
    static constexpr int kSlotCount = 0x20000;
    static constexpr qint64 kIndexBytes = qint64(kSlotCount) * SlotEntry::kBytes;
    static constexpr qint64 kBlockBytes = 4096;
    static constexpr qint64 kMaxFileBytes = qint64(1) << 32;
    // How long a save waits for readers to finish, and a reader for a save.
    static constexpr int kLockWaitMs = 2000;
    // Open and CreateFile results.
    enum OpenResult { kOk = 0, kExists = -1, kCannotCreate = -2, kCannotOpen = -10, kIndexTooShort = -30 };
    // Why the last Open failed, for the detail of message 104 and the tool's messages.
    enum class OpenFailure { kNone, kMissing, kNoPermission, kLocked, kNotDatabase, kJournal, kIo };
    // A writer holds the file for its session; readers (list, export, check, printing) share it
    // with one writer and with each other, and never change the file.
    enum class OpenMode { kReadWrite, kReadOnly };
    // WriteRecord failures: the slot or the record cannot be written / no place for the record.
    enum WriteResult { kNotWritable = -1, kNoRoom = -2 };

    explicit CLocalDatabase(const QString& path, FileSystem& files = FileSystem::Real());
    ~CLocalDatabase();
    CLocalDatabase(const CLocalDatabase&) = delete;
    CLocalDatabase& operator=(const CLocalDatabase&) = delete;

    // Writes a new file holding the empty index and closes it; kExists when a file is there.
    int CreateFile();
    // Read-write: creates a missing file, opens it for reading and writing under the session
    // lock and rolls back a journal left by a crash. Read-only: opens an existing file without
    // ever writing; a journal left there is read through, so it sees the state before the
    // interrupted save. Both read the index and order the records by slot; position -1.
    int Open(OpenMode mode = OpenMode::kReadWrite);
    bool IsOpen() const { return m_open; }
    bool IsReadOnly() const { return m_mode == OpenMode::kReadOnly; }
    OpenFailure LastOpenFailure() const { return m_openFailure; }

    // The slot for a record of `bodyBytes` body bytes: an exact free fit, else a free entry at
    // least two blocks larger, else the first never-used slot; -1 when there is no room.
    int FindSlot(qint64 bodyBytes) const;
    bool WriteEntry(int slot, const SlotEntry& entry);
    // Stores header and body in `slot` (in place, or moved to new blocks when grown); returns
    // the slot or a WriteResult. A refused record writes nothing.
    int WriteRecord(int slot, const MemoHeader& header, QByteArrayView body);

    // How a record reads. Its body runs to its first NUL, bounded by the body area, as other
    // programs read it. A wrong Mark, HeaderSize or EndMark leaves the body readable (read with
    // a warning); an entry or a BodyBytes that cannot be right makes the record damaged.
    // kDamaged is 0, so a result tests as "could be read".
    enum ReadResult { kDamaged = 0, kRead = 1, kReadWithWrongMarks = 2 };
    // Flaws that a record's header shows by itself, for reads and the check.
    enum HeaderFlaw : unsigned {
        kWrongMark = 1u << 0,
        kWrongHeaderSize = 1u << 1,
        kWrongEndMark = 1u << 2,
        kBodyBytesOutsideArea = 1u << 3, // negative or past the body area
        kBodyBytesOdd = 1u << 4,
    };
    static constexpr unsigned kMarkFlaws = kWrongMark | kWrongHeaderSize | kWrongEndMark;
    // The HeaderFlaw bits of a header in a record of `blocks` blocks.
    static unsigned HeaderFlaws(const MemoHeader& header, uint16_t blocks);

    // Reads a State 1 record; outputs untouched when it is damaged.
    ReadResult ReadRecord(int slot, MemoHeader& header, QString& body);
    // The header alone, judged by its own flaws; the body is not read. `fields` as in
    // MemoHeader::FromBytes.
    ReadResult ReadHeader(int slot, MemoHeader& header, MemoHeader::Fields fields = MemoHeader::Fields::kAll);
    // The raw header block of a State 1 record whose blocks lie inside the file.
    bool ReadHeaderBlock(int slot, QByteArray& block);
    // False when the character at `bodyBytes` lies inside the record's body area and is not NUL
    // (or cannot be read): text past the body would show to readers that stop at the first NUL.
    bool EndsAtBodyBytes(int slot, int32_t bodyBytes);

    // Saves `body` with `header` at an order position, or as a new memo for -1 (which gets a new
    // AttachID and becomes current). On success `header` holds what was stored; 1 or 0.
    int SaveRecord(int position, MemoHeader& header, const QString& body);
    // Frees the record at a position and drops it from the order; 1 or 0.
    int DeleteRecord(int position);
    // Reads the current record into the current header: 1 when read whole; 0 (header reset,
    // body empty) when there is no current record; -1 when the record is damaged: the header
    // and body then hold what could be read, and the record must not be saved over.
    int LoadCurrent(QString& body);
    // Orders the records by slot again, as Open does, after WriteRecord added some; position -1.
    void RebuildOrder();

    // A transaction: the saves, deletes and writes until CommitTransaction reach the file
    // together or not at all, with a few syncs for any number of records. Begin fails when the
    // file cannot be written or a transaction is open. After a failed write inside it, later
    // calls fail and Commit gives 0; a failed or rolled back transaction restores the file and
    // this object (order, current position and header) as they were at Begin.
    bool BeginTransaction();
    int CommitTransaction(); // 1, or 0 when nothing of the transaction was kept
    void RollbackTransaction();
    bool InTransaction() const { return m_inTransaction; }
    // Writes of a transaction are held in memory up to this many bytes, then journalled and
    // written out before the commit (default 8 MiB).
    void SetTransactionBuffer(qint64 bytes) { m_bufferLimit = bytes; }
    qint64 TransactionBuffer() const { return m_bufferLimit; }
    // A rollback failed (the disk refused it): nothing more is written until the file is opened
    // again, which finishes the rollback; reads still see the state before the failed change.
    bool HasFailed() const { return m_failed; }
    QString JournalPath() const { return m_journal.Path(); }
    FileSystem& Files() const { return m_files; }

    int Count() const { return int(m_order.size()); }
    int CurrentPosition() const { return m_currentPosition; }
    void SetCurrentPosition(int position) { m_currentPosition = position; }
    const MemoHeader& CurrentHeader() const { return m_currentHeader; }
    void SetCurrentHeader(const MemoHeader& header) { m_currentHeader = header; }
    // The slot at an order position, or -1 outside the order list.
    int SlotAt(int position) const;
    // The index entry of a slot (an unused entry outside the index).
    SlotEntry Entry(int slot) const
    {
        const qsizetype at = qsizetype(slot) * SlotEntry::kBytes;
        return slot >= 0 && at < m_index.size() ? SlotEntry::FromBytes(m_index.constData() + at) : SlotEntry{};
    }
    // The file's size, with the writes of an open transaction.
    qint64 FileSize() const { return m_size; }
    const QString& Path() const { return m_path; }
    const QString& DocumentsFolder() const { return m_documentsFolder; }

private:
    // What a failed transaction gives back.
    struct Snapshot {
        QByteArray index;
        std::vector<int> order;
        int currentPosition = -1;
        MemoHeader currentHeader;
        qint64 size = 0;
    };

    int Fail(OpenFailure failure, int result);
    bool IsRecord(const SlotEntry& entry) const;
    // Whatever of a damaged record lies in the file: the header (a new memo's when its block
    // cannot be read) and the body area up to its first NUL.
    void SalvageRecord(const SlotEntry& entry, MemoHeader& header, QString& body);
    bool ReadAt(qint64 offset, qint64 size, QByteArray& out);
    // Reads into `data`, which holds `size` bytes; ReadAt without a buffer of its own.
    bool ReadInto(qint64 offset, qint64 size, char* data);
    bool CanWrite() const { return m_open && m_mode == OpenMode::kReadWrite && !m_failed; }
    bool Change(const std::function<bool()>& change);
    bool Put(qint64 offset, QByteArray bytes);
    bool Flush(bool last = false);
    bool WritePending();
    bool WriteRun(const std::vector<const FileWrite*>& writes, QByteArray& buffer);
    void Abort();
    bool WaitForLock(DatabaseFile::LockRange range, DatabaseFile::LockKind kind);
    void ReleaseDataLock();
    bool PutEntry(int slot, const SlotEntry& entry);
    int PutRecord(int slot, const MemoHeader& header, QByteArrayView body);
    bool PutRecordAt(uint32_t firstBlock, int blocks, const MemoHeader& header, QByteArrayView body);
    int MoveRecord(int slot, const SlotEntry& old, int totalBlocks, const MemoHeader& header, QByteArrayView body);
    bool ScrubFreed(int slot, const SlotEntry& freed);
    qint64 AppendBlock() const;

    QString m_path;
    QString m_documentsFolder;
    FileSystem& m_files;
    std::unique_ptr<DatabaseFile> m_file;
    CRollbackJournal m_journal;
    qint64 m_size = 0;
    bool m_readThroughJournal = false; // a reader that met a journal, or a failed rollback
    bool m_failed = false;
    bool m_dataLocked = false; // exclusively, while a transaction writes
    bool m_inTransaction = false;
    bool m_transactionFailed = false;
    bool m_wrote = false; // the file was written in this transaction
    std::vector<FileWrite> m_pending; // held writes of the open transaction
    qint64 m_pendingBytes = 0;
    qint64 m_bufferLimit = qint64(8) << 20;
    Snapshot m_before;
    bool m_open = false;
    OpenMode m_mode = OpenMode::kReadWrite;
    OpenFailure m_openFailure = OpenFailure::kNone;
    QByteArray m_index; // the file's index while open, else empty
    // The slots below this hold records (State 1): FindSlot starts after them, so filling a
    // long index, as an import does, does not read it from the start for every record.
    mutable int m_leadingInUse = 0;
    std::vector<int> m_order; // order position -> slot
    int m_currentPosition = -1;
    MemoHeader m_currentHeader;
};
