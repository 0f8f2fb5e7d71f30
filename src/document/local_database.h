// CLocalDatabase: one local database file (.qrl), kept open and locked from Open to destruction.
//
// The file is a 1 MiB index of 131 072 eight-byte slot entries followed by 4096-byte blocks;
// block b lies at (b + 256) x 4096. A record is one MemoHeader block plus ceil(BodyBytes / 4096)
// body blocks (at least one), zero-filled; all integers are little-endian.
// Invariants: the index buffer equals the file's index after every write; no two entries name
// the same blocks at any moment, even between the writes of one save; no record ends at or
// beyond 4 GiB; the last slot is never allocated; every read is checked against the entry and
// the file size, so a damaged file reads as a failure, never as garbage.
#pragma once

#include "document/memo_header.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QtEndian>
#include <cstdint>
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
    // Open and CreateFile results.
    enum OpenResult { kOk = 0, kExists = -1, kCannotCreate = -2, kCannotOpen = -10, kIndexTooShort = -30 };
    // Why the last Open failed, for the detail of message 104 and the tool's messages.
    enum class OpenFailure { kNone, kMissing, kNoPermission, kLocked, kNotDatabase, kJournal, kIo };
    // A writer holds the file for its session; readers (list, export, check, printing) share it
    // with one writer and with each other, and never change the file.
    enum class OpenMode { kReadWrite, kReadOnly };
    // WriteRecord failures: the slot or the record cannot be written / no place for the record.
    enum WriteResult { kNotWritable = -1, kNoRoom = -2 };

    explicit CLocalDatabase(const QString& path);
    CLocalDatabase(const CLocalDatabase&) = delete;
    CLocalDatabase& operator=(const CLocalDatabase&) = delete;

    // Writes a new file holding the empty index and closes it; kExists when a file is there.
    int CreateFile();
    // Read-write: creates a missing file, then opens it for reading and writing under an
    // exclusive lock. Read-only: opens an existing file without writing to it. Both read the
    // index and order the records by slot; the current position becomes -1.
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
    // Flaws of a record that reads and the check find.
    enum RecordFlaw : unsigned {
        kWrongMark = 1u << 0,
        kWrongHeaderSize = 1u << 1,
        kWrongEndMark = 1u << 2,
        kBodyBytesOutsideArea = 1u << 3, // negative or past the body area
        kBodyBytesOdd = 1u << 4,
        kTextPastBodyBytes = 1u << 5, // the character at BodyBytes, inside the area, is not NUL
    };
    static constexpr unsigned kMarkFlaws = kWrongMark | kWrongHeaderSize | kWrongEndMark;
    // The flaws a header shows by itself in a record of `blocks` blocks (all but kTextPastBodyBytes).
    static unsigned HeaderFlaws(const MemoHeader& header, uint16_t blocks);

    // Reads a State 1 record; outputs untouched when it is damaged.
    ReadResult ReadRecord(int slot, MemoHeader& header, QString& body);
    // The header alone, judged by its own flaws; the body is not read.
    ReadResult ReadHeader(int slot, MemoHeader& header);
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
    qint64 FileSize() const { return m_file.size(); }
    const QString& Path() const { return m_path; }
    const QString& DocumentsFolder() const { return m_documentsFolder; }

private:
    bool IsRecord(const SlotEntry& entry) const;
    // Whatever of a damaged record lies in the file: the header (a new memo's when its block
    // cannot be read) and the body area up to its first NUL.
    void SalvageRecord(const SlotEntry& entry, MemoHeader& header, QString& body);
    bool ReadAt(qint64 offset, qint64 size, QByteArray& out);
    bool WriteRecordAt(uint32_t firstBlock, int totalBlocks, const MemoHeader& header, QByteArrayView body);
    int MoveRecord(int slot, const SlotEntry& old, int totalBlocks, const MemoHeader& header, QByteArrayView body);
    qint64 AppendBlock() const;
    bool Sync();

    QString m_path;
    QString m_documentsFolder;
    QFile m_file;
    bool m_open = false;
    OpenMode m_mode = OpenMode::kReadWrite;
    OpenFailure m_openFailure = OpenFailure::kNone;
    QByteArray m_index; // the file's index while open, else empty
    std::vector<int> m_order; // order position -> slot
    int m_currentPosition = -1;
    MemoHeader m_currentHeader;
};
