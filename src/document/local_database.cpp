#include "local_database.h"

#include "document/attach_id.h"

#include <QStandardPaths>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr qint64 kFirstDataBlock = 256; // the index fills the first 256 blocks of the file
constexpr int kMaxBlocks = 0xFFFF;      // a record's block count is 16 bits

// Blocks of a record with `bodyBytes` body bytes: the header block plus at least one body
// block; -1 when the count does not fit an entry.
int TotalBlocks(qint64 bodyBytes)
{
    if (bodyBytes < 0)
        return -1;
    const qint64 total = 1 + std::max<qint64>(1, (bodyBytes + CLocalDatabase::kBlockBytes - 1) / CLocalDatabase::kBlockBytes);
    return total > kMaxBlocks ? -1 : int(total);
}

// Block positions are 32-bit in the file format, so every record must end below 4 GiB.
bool EndsBelowLimit(qint64 firstBlock, int totalBlocks)
{
    return (firstBlock + kFirstDataBlock + totalBlocks) * CLocalDatabase::kBlockBytes < CLocalDatabase::kMaxFileBytes;
}

QByteArray Utf16Le(const QString& text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

// The body text: the UTF-16LE units of the body area up to the first NUL or the area's end.
QString BodyText(QByteArrayView area)
{
    QString text(area.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(area.data(), text.size(), text.data());
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

qint64 BodyArea(uint16_t blocks)
{
    return (qint64(blocks) - 1) * CLocalDatabase::kBlockBytes;
}

// `bytes` is the start of a body area, read up to two bytes past `at` where the area has them;
// a character that ends the area's bytes early lies outside the area and counts as NUL.
bool NulAt(QByteArrayView bytes, qint64 at)
{
    return at + 2 > bytes.size() || (bytes[at] == 0 && bytes[at + 1] == 0);
}

// A header's own flaws: marks alone leave the record readable, any other flaw damages it.
CLocalDatabase::ReadResult Verdict(unsigned flaws)
{
    return (flaws & ~CLocalDatabase::kMarkFlaws) ? CLocalDatabase::kDamaged
        : flaws != 0                              ? CLocalDatabase::kReadWithWrongMarks
                                                  : CLocalDatabase::kRead;
}

} // namespace

qint64 SlotEntry::Offset() const
{
    return (firstBlock + kFirstDataBlock) * CLocalDatabase::kBlockBytes;
}

qint64 SlotEntry::EndOffset() const
{
    return Offset() + blocks * CLocalDatabase::kBlockBytes;
}

void SlotEntry::ToBytes(char* out) const
{
    out[0] = char(state);
    out[1] = 0;
    qToLittleEndian<uint16_t>(blocks, out + 2);
    qToLittleEndian<uint32_t>(firstBlock, out + 4);
}

CLocalDatabase::CLocalDatabase(const QString& path, FileSystem& files)
    : m_path(path),
      m_documentsFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)),
      m_files(files),
      m_journal(files, path)
{
    SeedAttachIdsFromClock();
    ResetMemoHeader(m_currentHeader);
}

CLocalDatabase::~CLocalDatabase()
{
    RollbackTransaction();
    m_journal.Close();
}

int CLocalDatabase::CreateFile()
{
    int error = 0;
    std::unique_ptr<DatabaseFile> file = m_files.Open(m_path, FileSystem::OpenHow::kCreateNew, &error);
    if (!file)
        return error == EEXIST ? kExists : kCannotCreate;
    const QByteArray index(kIndexBytes, '\0');
    const bool written = file->WriteAt(0, index.constData(), index.size()) && file->Sync();
    file.reset();
    // A new file whose folder entry is lost to a power cut is merely gone again.
    if (!written || !m_files.SyncFolder(m_path)) {
        m_files.Remove(m_path);
        return kCannotCreate;
    }
    return kOk;
}

namespace {

CLocalDatabase::OpenFailure FailureOf(int error)
{
    using Failure = CLocalDatabase::OpenFailure;
    return error == ENOENT ? Failure::kMissing : error == EACCES || error == EPERM || error == EROFS ? Failure::kNoPermission : Failure::kIo;
}

} // namespace

int CLocalDatabase::Fail(OpenFailure failure, int result)
{
    m_file.reset();
    m_openFailure = failure;
    return result;
}

int CLocalDatabase::Open(OpenMode mode)
{
    RollbackTransaction();
    m_journal.Close();
    m_file.reset();
    m_open = false;
    m_mode = mode;
    m_openFailure = OpenFailure::kNone;
    m_readThroughJournal = false;
    m_failed = false;
    m_dataLocked = false;
    m_size = 0;
    m_index.clear();
    m_leadingInUse = 0;
    m_order.clear();
    m_currentPosition = -1;

    const bool readOnly = mode == OpenMode::kReadOnly;
    if (!m_files.Exists(m_path)) {
        if (readOnly)
            return Fail(OpenFailure::kMissing, kCannotOpen);
        const int created = CreateFile();
        if (created != kOk)
            return Fail(OpenFailure::kNoPermission, created);
    }
    int error = 0;
    m_file = m_files.Open(m_path, readOnly ? FileSystem::OpenHow::kRead : FileSystem::OpenHow::kReadWrite, &error);
    if (!m_file)
        return Fail(FailureOf(error), kCannotOpen);
    // The session lock belongs to this open of the file: any other writer, in this process or
    // another, is refused while this object lives. Readers hold the data lock until they close,
    // so a save never changes what they read; they wait for a save that is writing.
    using Range = DatabaseFile::LockRange;
    using Kind = DatabaseFile::LockKind;
    if ((!readOnly && !m_file->TryLock(Range::kSession, Kind::kExclusive))
        || (readOnly && !WaitForLock(Range::kData, Kind::kShared)))
        return Fail(OpenFailure::kLocked, kCannotOpen);

    // A journal left by a crash: the file is not its committed state until it is rolled back.
    if (m_files.Exists(m_journal.Path())) {
        if (!readOnly && !WaitForLock(Range::kData, Kind::kExclusive))
            return Fail(OpenFailure::kLocked, kCannotOpen);
        bool recovered = true;
        switch (m_journal.Load(*m_file)) {
        case CRollbackJournal::Found::kNone:
            break;
        case CRollbackJournal::Found::kHot:
            if (readOnly)
                m_readThroughJournal = true;
            else
                recovered = m_journal.RollBack(*m_file);
            break;
        case CRollbackJournal::Found::kCommitted:
        case CRollbackJournal::Found::kIncomplete: // nothing of its transaction reached the file
            recovered = readOnly || m_journal.Discard();
            break;
        case CRollbackJournal::Found::kForeign: // some other file under the journal's name
        case CRollbackJournal::Found::kUnreadable:
            recovered = false;
            break;
        }
        if (!readOnly)
            m_file->TryLock(Range::kData, Kind::kUnlocked);
        if (!recovered)
            return Fail(OpenFailure::kJournal, kCannotOpen);
    }

    if (!readOnly && !m_journal.Prepare(&error)) // a folder that takes no new file
        return Fail(FailureOf(error), kCannotOpen);

    m_size = m_readThroughJournal ? m_journal.OriginalSize() : m_file->Size();
    if (m_size < 0)
        return Fail(OpenFailure::kIo, kCannotOpen);
    if (m_size < kIndexBytes)
        return Fail(OpenFailure::kNotDatabase, kIndexTooShort);
    if (!ReadAt(0, kIndexBytes, m_index))
        return Fail(OpenFailure::kIo, kCannotOpen);
    RebuildOrder();
    m_open = true;
    return kOk;
}

void CLocalDatabase::RebuildOrder()
{
    m_order.clear();
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (Entry(slot).state == SlotEntry::kInUse)
            m_order.push_back(slot);
    }
    m_currentPosition = -1;
}

int CLocalDatabase::FindSlot(qint64 bodyBytes) const
{
    const int total = TotalBlocks(bodyBytes);
    if (total < 0)
        return -1;
    int bestLarger = -1;
    int bestLargerBlocks = kMaxBlocks + 1;
    int endSlot = -1;
    for (int slot = m_leadingInUse; slot < kSlotCount; ++slot) {
        // Most entries of a long index hold records: their state byte alone rules them out.
        if (uint8_t(m_index[qsizetype(slot) * SlotEntry::kBytes]) == SlotEntry::kInUse) {
            if (slot == m_leadingInUse)
                ++m_leadingInUse;
            continue;
        }
        const SlotEntry entry = Entry(slot);
        if (entry.state == SlotEntry::kUnused) {
            endSlot = slot;
            break;
        }
        if (entry.state != SlotEntry::kFree || entry.blocks < total || !EndsBelowLimit(entry.firstBlock, total))
            continue;
        if (entry.blocks == total)
            return slot;
        if (entry.blocks < bestLargerBlocks) {
            bestLarger = slot;
            bestLargerBlocks = entry.blocks;
        }
    }
    if (bestLarger >= 0 && bestLargerBlocks >= total + 2)
        return bestLarger;
    // The last entry is never allocated, so reaching it means the index is full.
    if (endSlot < 0 || endSlot == kSlotCount - 1 || !EndsBelowLimit(AppendBlock(), total))
        return -1;
    return endSlot;
}

bool CLocalDatabase::WriteEntry(int slot, const SlotEntry& entry)
{
    return Change([&] { return PutEntry(slot, entry); });
}

int CLocalDatabase::WriteRecord(int slot, const MemoHeader& header, QByteArrayView body)
{
    int result = kNotWritable;
    const bool written = Change([&] {
        result = PutRecord(slot, header, body);
        return result >= 0;
    });
    return written ? result : result == kNoRoom ? kNoRoom : kNotWritable;
}

bool CLocalDatabase::PutEntry(int slot, const SlotEntry& entry)
{
    if (slot < 0 || slot >= kSlotCount)
        return false;
    QByteArray bytes(SlotEntry::kBytes, Qt::Uninitialized);
    entry.ToBytes(bytes.data());
    const qint64 offset = qint64(slot) * SlotEntry::kBytes;
    std::memcpy(m_index.data() + offset, bytes.constData(), size_t(bytes.size()));
    if (entry.state != SlotEntry::kInUse)
        m_leadingInUse = std::min(m_leadingInUse, slot);
    return Put(offset, std::move(bytes));
}

// Every refusal comes before the first write, so a refused record changes nothing.
int CLocalDatabase::PutRecord(int slot, const MemoHeader& header, QByteArrayView body)
{
    const int total = TotalBlocks(body.size());
    if (slot < 0 || slot >= kSlotCount || total < 0)
        return kNotWritable;
    const SlotEntry entry = Entry(slot);
    uint32_t place = 0;
    switch (entry.state) {
    case SlotEntry::kUnused: {
        const qint64 end = AppendBlock();
        if (!EndsBelowLimit(end, total))
            return kNoRoom;
        place = uint32_t(end);
        break;
    }
    case SlotEntry::kFree:
        if (entry.blocks < total) // would spill into the blocks that follow
            return kNotWritable;
        if (!EndsBelowLimit(entry.firstBlock, total))
            return kNoRoom;
        place = entry.firstBlock;
        break;
    case SlotEntry::kInUse:
        if (!IsRecord(entry))
            return kNotWritable;
        if (entry.blocks < total)
            return MoveRecord(slot, entry, total, header, body);
        // Rewritten in place over all its blocks: the entry keeps its block count, and the
        // blocks the shorter body no longer needs are zeroed, so the old text cannot come back.
        return PutRecordAt(entry.firstBlock, entry.blocks, header, body) ? slot : kNotWritable;
    default:
        return kNotWritable;
    }
    // The record is written before any entry names its blocks.
    if (!PutRecordAt(place, total, header, body))
        return kNotWritable;
    return PutEntry(slot, SlotEntry{SlotEntry::kInUse, uint16_t(total), place}) ? slot : kNotWritable;
}

// A grown record moves to a place chosen through another slot N, which then keeps the old blocks
// as a free entry, zeroed. The writes are ordered so that no two entries ever name the same
// blocks; the transaction makes them one change.
int CLocalDatabase::MoveRecord(int slot, const SlotEntry& old, int totalBlocks, const MemoHeader& header,
                               QByteArrayView body)
{
    const int keeper = FindSlot(body.size());
    if (keeper < 0)
        return kNoRoom;
    const SlotEntry target = Entry(keeper);
    const uint32_t place = target.state == SlotEntry::kFree ? target.firstBlock : uint32_t(AppendBlock());
    SlotEntry freed = old;
    freed.state = SlotEntry::kFree;
    if (!PutRecordAt(place, totalBlocks, header, body)
        || !PutEntry(slot, SlotEntry{SlotEntry::kInUse, uint16_t(totalBlocks), place}) || !PutEntry(keeper, freed)
        || !ScrubFreed(keeper, freed))
        return kNotWritable;
    return slot;
}

// Zeros the blocks of a freed entry, so that deleted text does not stay in the file; blocks
// that lie outside the file or that another entry also names (a damaged file) are left alone.
bool CLocalDatabase::ScrubFreed(int slot, const SlotEntry& freed)
{
    if (freed.blocks == 0 || freed.EndOffset() > m_size)
        return true;
    for (int other = 0; other < kSlotCount; ++other) {
        const SlotEntry entry = Entry(other);
        if (other != slot && entry.state != SlotEntry::kUnused && entry.firstBlock < freed.firstBlock + freed.blocks
            && freed.firstBlock < entry.firstBlock + entry.blocks)
            return true;
    }
    return Put(freed.Offset(), QByteArray(freed.blocks * kBlockBytes, '\0'));
}

unsigned CLocalDatabase::HeaderFlaws(const MemoHeader& header, uint16_t blocks)
{
    unsigned flaws = 0;
    if (header.mark != MemoHeader::kMark)
        flaws |= kWrongMark;
    if (header.headerSize != MemoHeader::kBytes)
        flaws |= kWrongHeaderSize;
    if (header.endMark != MemoHeader::kEndMark)
        flaws |= kWrongEndMark;
    if (header.bodyBytes < 0 || header.bodyBytes > BodyArea(blocks))
        flaws |= kBodyBytesOutsideArea;
    if (header.bodyBytes % 2 != 0)
        flaws |= kBodyBytesOdd;
    return flaws;
}

CLocalDatabase::ReadResult CLocalDatabase::ReadRecord(int slot, MemoHeader& header, QString& body)
{
    // The header and the first body block in one read; the rest of a longer body, up to the
    // character after it, in a second. The stale rest of a shrunken record's area is not read.
    const SlotEntry entry = Entry(slot);
    QByteArray record;
    MemoHeader read;
    if (!IsRecord(entry) || !ReadAt(entry.Offset(), 2 * kBlockBytes, record) || !MemoHeader::FromBytes(record, read))
        return kDamaged;
    const unsigned flaws = HeaderFlaws(read, entry.blocks);
    const qint64 end = MemoHeader::kBytes + std::min<qint64>(read.bodyBytes + 2, BodyArea(entry.blocks));
    QByteArray rest;
    if (Verdict(flaws) == kDamaged
        || (end > record.size() && !ReadAt(entry.Offset() + record.size(), end - record.size(), rest)))
        return kDamaged;
    record += rest;
    const QByteArrayView area = QByteArrayView(record).sliced(MemoHeader::kBytes);
    if (!NulAt(area, read.bodyBytes))
        return kDamaged;
    header = read;
    body = BodyText(area.first(read.bodyBytes));
    return Verdict(flaws);
}

CLocalDatabase::ReadResult CLocalDatabase::ReadHeader(int slot, MemoHeader& header, MemoHeader::Fields fields)
{
    // A list reads one header per memo: the block lives on the stack, not on the heap.
    char block[MemoHeader::kBytes];
    const SlotEntry entry = Entry(slot);
    MemoHeader read;
    if (!IsRecord(entry) || !ReadInto(entry.Offset(), MemoHeader::kBytes, block)
        || !MemoHeader::FromBytes(QByteArrayView(block, MemoHeader::kBytes), read, fields))
        return kDamaged;
    const ReadResult result = Verdict(HeaderFlaws(read, entry.blocks));
    if (result != kDamaged)
        header = std::move(read);
    return result;
}

bool CLocalDatabase::ReadHeaderBlock(int slot, QByteArray& block)
{
    const SlotEntry entry = Entry(slot);
    return IsRecord(entry) && ReadAt(entry.Offset(), MemoHeader::kBytes, block);
}

bool CLocalDatabase::EndsAtBodyBytes(int slot, int32_t bodyBytes)
{
    const SlotEntry entry = Entry(slot);
    if (!IsRecord(entry))
        return false;
    if (bodyBytes < 0 || bodyBytes + 2 > BodyArea(entry.blocks))
        return true;
    QByteArray character;
    return ReadAt(entry.Offset() + MemoHeader::kBytes + bodyBytes, 2, character) && NulAt(character, 0);
}

void CLocalDatabase::SalvageRecord(const SlotEntry& entry, MemoHeader& header, QString& body)
{
    body.clear();
    const qint64 inFile = std::min(entry.EndOffset(), FileSize()) - entry.Offset();
    QByteArray bytes;
    if (!m_open || entry.state != SlotEntry::kInUse || inFile < MemoHeader::kBytes
        || !ReadAt(entry.Offset(), inFile, bytes) || !MemoHeader::FromBytes(bytes, header)) {
        ResetMemoHeader(header);
        return;
    }
    body = BodyText(QByteArrayView(bytes).sliced(MemoHeader::kBytes));
}

int CLocalDatabase::SaveRecord(int position, MemoHeader& header, const QString& body)
{
    const bool isNew = position == -1;
    const QByteArray bodyBytes = Utf16Le(body);
    MemoHeader stored = header;
    stored.headerSize = MemoHeader::kBytes;
    stored.bodyBytes = int32_t(bodyBytes.size()); // oversized bodies are refused by PutRecord

    int slot = SlotAt(position);
    if (isNew) {
        slot = FindSlot(bodyBytes.size());
        if (slot < 0)
            return 0;
        stored.attachId = NewAttachId();
    } else if (Entry(slot).state != SlotEntry::kInUse) {
        return 0;
    }
    const bool saved = Change([&] {
        if (PutRecord(slot, stored, bodyBytes) < 0)
            return false;
        if (isNew) {
            m_order.push_back(slot);
            m_currentPosition = Count() - 1;
        }
        if (isNew || position == m_currentPosition)
            m_currentHeader = stored;
        return true;
    });
    if (!saved)
        return 0;
    header = stored;
    return 1;
}

int CLocalDatabase::DeleteRecord(int position)
{
    const int slot = SlotAt(position);
    SlotEntry entry = Entry(slot);
    if (entry.state != SlotEntry::kInUse)
        return 0;
    entry.state = SlotEntry::kFree;
    return Change([&] {
        if (!PutEntry(slot, entry) || !ScrubFreed(slot, entry))
            return false;
        m_order.erase(m_order.begin() + position);
        m_currentPosition = -1;
        return true;
    }) ? 1 : 0;
}

int CLocalDatabase::LoadCurrent(QString& body)
{
    const int slot = SlotAt(m_currentPosition);
    if (slot < 0) {
        ResetMemoHeader(m_currentHeader);
        body.clear();
        return 0;
    }
    if (ReadRecord(slot, m_currentHeader, body) != kDamaged)
        return 1;
    SalvageRecord(Entry(slot), m_currentHeader, body);
    return -1;
}

int CLocalDatabase::SlotAt(int position) const
{
    return position >= 0 && position < Count() ? m_order[size_t(position)] : -1;
}

// A State 1 entry whose blocks (header and at least one body block) lie inside the file.
bool CLocalDatabase::IsRecord(const SlotEntry& entry) const
{
    return m_open && entry.state == SlotEntry::kInUse && entry.blocks >= 2 && entry.EndOffset() <= FileSize();
}

bool CLocalDatabase::ReadAt(qint64 offset, qint64 size, QByteArray& out)
{
    if (size < 0)
        return false;
    QByteArray bytes(size, Qt::Uninitialized);
    if (!ReadInto(offset, size, bytes.data()))
        return false;
    out = bytes;
    return true;
}

bool CLocalDatabase::ReadInto(qint64 offset, qint64 size, char* data)
{
    // Writes still held by a transaction go out first, so reads see them.
    if (!m_file || offset < 0 || size < 0 || offset > m_size - size || !Flush())
        return false;
    if (!m_file->ReadAt(offset, data, size))
        return false;
    if (m_readThroughJournal)
        m_journal.Overlay(offset, data, size);
    return true;
}

// Header, body and zeros up to the end of `blocks` blocks, in one write.
bool CLocalDatabase::PutRecordAt(uint32_t firstBlock, int blocks, const MemoHeader& header, QByteArrayView body)
{
    QByteArray record(blocks * kBlockBytes, Qt::Uninitialized);
    const QByteArray headerBytes = header.ToBytes();
    const qsizetype headerSize = std::min<qsizetype>(headerBytes.size(), MemoHeader::kBytes);
    std::memcpy(record.data(), headerBytes.constData(), size_t(headerSize));
    std::memset(record.data() + headerSize, 0, size_t(MemoHeader::kBytes - headerSize));
    std::memcpy(record.data() + MemoHeader::kBytes, body.data(), size_t(body.size()));
    const qsizetype used = MemoHeader::kBytes + body.size();
    std::memset(record.data() + used, 0, size_t(record.size() - used));
    const SlotEntry place{SlotEntry::kInUse, uint16_t(blocks), firstBlock};
    return Put(place.Offset(), std::move(record));
}

// The first block after the end of the file, where a new record is appended.
qint64 CLocalDatabase::AppendBlock() const
{
    const qint64 dataBytes = std::max<qint64>(0, FileSize() - kIndexBytes);
    return (dataBytes + kBlockBytes - 1) / kBlockBytes;
}

bool CLocalDatabase::BeginTransaction()
{
    if (!CanWrite() || m_inTransaction)
        return false;
    m_before = Snapshot{m_index, m_order, m_currentPosition, m_currentHeader, m_size};
    m_journal.Begin(m_size);
    m_inTransaction = true;
    m_transactionFailed = false;
    m_wrote = false;
    return true;
}

int CLocalDatabase::CommitTransaction()
{
    if (!m_inTransaction)
        return 0;
    // (3) of the journal: the journal goes only after every write is synced.
    const bool committed = !m_transactionFailed && Flush(true) && (!m_wrote || m_file->Sync()) && m_journal.Finish();
    if (!committed && !m_transactionFailed)
        Abort();
    ReleaseDataLock();
    m_inTransaction = false;
    m_transactionFailed = false;
    return committed ? 1 : 0;
}

void CLocalDatabase::RollbackTransaction()
{
    if (m_inTransaction && !m_transactionFailed)
        Abort();
    m_inTransaction = false;
    m_transactionFailed = false;
}

// Undoes the open transaction in the file and in memory. When the file cannot be restored, the
// journal stays for the next open, and reads go through its images meanwhile.
void CLocalDatabase::Abort()
{
    m_pending.clear();
    m_pendingBytes = 0;
    if (!m_journal.RollBack(*m_file)) {
        m_failed = true;
        m_readThroughJournal = true;
    }
    m_index = m_before.index;
    m_leadingInUse = 0;
    m_order = m_before.order;
    m_currentPosition = m_before.currentPosition;
    m_currentHeader = m_before.currentHeader;
    m_size = m_before.size;
    ReleaseDataLock();
    m_transactionFailed = true;
}

// Runs one change inside the open transaction, or as a transaction of its own.
bool CLocalDatabase::Change(const std::function<bool()>& change)
{
    if (!CanWrite() || m_transactionFailed)
        return false;
    const bool own = !m_inTransaction;
    if (own)
        BeginTransaction();
    const bool changed = change();
    if (m_transactionFailed) { // a write failed: the whole transaction is undone
        if (own)
            RollbackTransaction();
        return false;
    }
    if (!own)
        return changed;
    if (!changed) {
        RollbackTransaction();
        return false;
    }
    return CommitTransaction() == 1;
}

bool CLocalDatabase::Put(qint64 offset, QByteArray bytes)
{
    if (m_transactionFailed)
        return false;
    m_size = std::max(m_size, offset + bytes.size());
    m_pendingBytes += bytes.size();
    m_pending.push_back(FileWrite{offset, std::move(bytes)});
    if (m_pendingBytes > m_bufferLimit && !Flush()) {
        Abort();
        return false;
    }
    return true;
}

// Journals the pages the held writes overwrite, then writes them in place. (1) (2) of the journal.
bool CLocalDatabase::Flush(bool last)
{
    if (m_pending.empty())
        return true;
    if (!m_dataLocked && !WaitForLock(DatabaseFile::LockRange::kData, DatabaseFile::LockKind::kExclusive))
        return false;
    m_dataLocked = true;
    if (!m_journal.Protect(*m_file, m_pending, last))
        return false;
    m_wrote = true;
    if (!WritePending())
        return false;
    m_pending.clear();
    m_pendingBytes = 0;
    return true;
}

// The held writes go out in the order they were made, except the index entries: they go out
// last, as runs of adjacent entries in one write each, and so still after the records they
// name. In a flush of many writes (a transaction adding many records, as an import does),
// records that follow one another in the file also go out together, up to 1 MiB at once. Such
// a transaction would otherwise make a system call for every record and every eight bytes of
// the index.
bool CLocalDatabase::WritePending()
{
    constexpr size_t kManyWrites = 64;
    constexpr qint64 kRunBytes = qint64(1) << 20;
    const bool many = m_pending.size() >= kManyWrites;
    std::vector<const FileWrite*> entries;
    std::vector<const FileWrite*> run;
    qint64 runEnd = 0;
    QByteArray buffer;
    for (const FileWrite& write : m_pending) {
        if (write.offset + write.bytes.size() <= kIndexBytes) {
            entries.push_back(&write);
            continue;
        }
        if (!run.empty() && (!many || write.offset != runEnd || runEnd - run.front()->offset >= kRunBytes)) {
            if (!WriteRun(run, buffer))
                return false;
            run.clear();
        }
        run.push_back(&write);
        runEnd = write.offset + write.bytes.size();
    }
    if (!run.empty() && !WriteRun(run, buffer))
        return false;
    // A later write of the same entry stays after the earlier one.
    std::stable_sort(entries.begin(), entries.end(), [](const FileWrite* a, const FileWrite* b) { return a->offset < b->offset; });
    for (auto first = entries.begin(); first != entries.end();) {
        qint64 end = (*first)->offset;
        auto last = first;
        for (; last != entries.end() && (*last)->offset <= end; ++last)
            end = std::max(end, (*last)->offset + (*last)->bytes.size());
        if (!WriteRun({first, last}, buffer))
            return false;
        first = last;
    }
    return true;
}

// One write of what `writes` leave in the range they cover without gaps, later over earlier.
bool CLocalDatabase::WriteRun(const std::vector<const FileWrite*>& writes, QByteArray& buffer)
{
    const FileWrite& first = *writes.front();
    if (writes.size() == 1)
        return m_file->WriteAt(first.offset, first.bytes.constData(), first.bytes.size());
    qint64 start = first.offset;
    qint64 end = start;
    for (const FileWrite* write : writes) {
        start = std::min(start, write->offset);
        end = std::max(end, write->offset + write->bytes.size());
    }
    buffer.resize(end - start);
    for (const FileWrite* write : writes)
        std::memcpy(buffer.data() + (write->offset - start), write->bytes.constData(), size_t(write->bytes.size()));
    return m_file->WriteAt(start, buffer.constData(), buffer.size());
}

bool CLocalDatabase::WaitForLock(DatabaseFile::LockRange range, DatabaseFile::LockKind kind)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
    while (!m_file->TryLock(range, kind)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void CLocalDatabase::ReleaseDataLock()
{
    if (m_dataLocked)
        m_file->TryLock(DatabaseFile::LockRange::kData, DatabaseFile::LockKind::kUnlocked);
    m_dataLocked = false;
}
