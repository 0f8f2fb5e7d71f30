#include "local_database.h"

#include "document/attach_id.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

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

// Seeded from the clock at full resolution: two databases opened within one second (a script
// adding memos one by one) must not hand out the same attachment folder names.
void SeedRandomFromTime()
{
    const auto ticks = uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
    std::srand(unsigned(ticks ^ (ticks >> 32)));
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

CLocalDatabase::CLocalDatabase(const QString& path)
    : m_path(path),
      m_documentsFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
{
    SeedRandomFromTime();
    ResetMemoHeader(m_currentHeader);
}

int CLocalDatabase::CreateFile()
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return file.exists() ? kExists : kCannotCreate;
    const bool written = file.write(QByteArray(kIndexBytes, '\0')) == kIndexBytes && file.flush()
        && fdatasync(file.handle()) == 0;
    file.close();
    if (!written) {
        file.remove();
        return kCannotCreate;
    }
    return kOk;
}

int CLocalDatabase::Open(OpenMode mode)
{
    m_file.close();
    m_open = false;
    m_mode = mode;
    m_openFailure = OpenFailure::kNone;
    m_index.clear();
    m_order.clear();
    m_currentPosition = -1;

    const bool readOnly = mode == OpenMode::kReadOnly;
    if (!QFileInfo::exists(m_path)) {
        if (readOnly) {
            m_openFailure = OpenFailure::kMissing;
            return kCannotOpen;
        }
        const int created = CreateFile();
        if (created != kOk) {
            m_openFailure = OpenFailure::kNoPermission;
            return created;
        }
    }
    m_file.setFileName(m_path);
    const QIODevice::OpenMode fileMode = readOnly ? QIODevice::ReadOnly : QIODevice::ReadWrite;
    if (!m_file.open(fileMode | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
        const QFileInfo info(m_path);
        m_openFailure = !info.exists()                                   ? OpenFailure::kMissing
            : !info.isReadable() || (!readOnly && !info.isWritable()) ? OpenFailure::kNoPermission
                                                                       : OpenFailure::kIo;
        return kCannotOpen;
    }
    // The lock belongs to this open file description: any other writer, in this process or
    // another, is refused while this object lives.
    if (flock(m_file.handle(), (readOnly ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        m_file.close();
        m_openFailure = OpenFailure::kLocked;
        return kCannotOpen;
    }
    if (m_file.size() < kIndexBytes) {
        m_file.close();
        m_openFailure = OpenFailure::kNotDatabase;
        return kIndexTooShort;
    }
    if (!ReadAt(0, kIndexBytes, m_index)) {
        m_file.close();
        m_openFailure = OpenFailure::kIo;
        return kCannotOpen;
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (Entry(slot).state == SlotEntry::kInUse)
            m_order.push_back(slot);
    }
    m_open = true;
    return kOk;
}

int CLocalDatabase::FindSlot(qint64 bodyBytes) const
{
    const int total = TotalBlocks(bodyBytes);
    if (total < 0)
        return -1;
    int bestLarger = -1;
    int bestLargerBlocks = kMaxBlocks + 1;
    int endSlot = -1;
    for (int slot = 0; slot < kSlotCount; ++slot) {
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
    if (!m_open || slot < 0 || slot >= kSlotCount)
        return false;
    char bytes[SlotEntry::kBytes];
    entry.ToBytes(bytes);
    const qint64 offset = qint64(slot) * SlotEntry::kBytes;
    if (!m_file.seek(offset) || m_file.write(bytes, sizeof bytes) != qint64(sizeof bytes))
        return false;
    std::memcpy(m_index.data() + offset, bytes, sizeof bytes);
    return true;
}

int CLocalDatabase::WriteRecord(int slot, const MemoHeader& header, QByteArrayView body)
{
    const int total = TotalBlocks(body.size());
    if (!m_open || slot < 0 || slot >= kSlotCount || total < 0)
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
        // Rewritten in place; the entry keeps its block count, so a shrunken record keeps its blocks.
        return WriteRecordAt(entry.firstBlock, total, header, body) ? slot : kNotWritable;
    default:
        return kNotWritable;
    }
    // The record is on disk before any entry names its blocks.
    if (!WriteRecordAt(place, total, header, body) || !Sync())
        return kNotWritable;
    return WriteEntry(slot, SlotEntry{SlotEntry::kInUse, uint16_t(total), place}) ? slot : kNotWritable;
}

// A grown record moves to a place chosen through another slot N, which then keeps the old blocks
// as a free entry. The steps are ordered so that no two entries ever name the same blocks: a
// crash between them can only leave a few blocks unnamed.
int CLocalDatabase::MoveRecord(int slot, const SlotEntry& old, int totalBlocks, const MemoHeader& header,
                               QByteArrayView body)
{
    const int keeper = FindSlot(body.size());
    if (keeper < 0)
        return kNoRoom;
    const SlotEntry target = Entry(keeper);
    const bool reusesFreeBlocks = target.state == SlotEntry::kFree;
    const uint32_t place = reusesFreeBlocks ? target.firstBlock : uint32_t(AppendBlock());

    if (!WriteRecordAt(place, totalBlocks, header, body) || !Sync())
        return kNotWritable;
    if (reusesFreeBlocks && (!WriteEntry(keeper, SlotEntry{}) || !Sync()))
        return kNotWritable;
    if (!WriteEntry(slot, SlotEntry{SlotEntry::kInUse, uint16_t(totalBlocks), place}) || !Sync())
        return kNotWritable;
    SlotEntry freed = old;
    freed.state = SlotEntry::kFree;
    // The record is stored now; should this write fail, the old blocks merely stay unused.
    WriteEntry(keeper, freed);
    return slot;
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
    if (Verdict(flaws) == kDamaged || (end > record.size() && !ReadAt(entry.Offset() + record.size(), end - record.size(), rest)))
        return kDamaged;
    record += rest;
    const QByteArrayView area = QByteArrayView(record).sliced(MemoHeader::kBytes);
    if (!NulAt(area, read.bodyBytes))
        return kDamaged;
    header = read;
    body = BodyText(area.first(read.bodyBytes));
    return Verdict(flaws);
}

CLocalDatabase::ReadResult CLocalDatabase::ReadHeader(int slot, MemoHeader& header)
{
    QByteArray block;
    MemoHeader read;
    if (!ReadHeaderBlock(slot, block) || !MemoHeader::FromBytes(block, read))
        return kDamaged;
    const ReadResult result = Verdict(HeaderFlaws(read, Entry(slot).blocks));
    if (result != kDamaged)
        header = read;
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
    if (!m_open || entry.state != SlotEntry::kInUse || inFile < MemoHeader::kBytes || !ReadAt(entry.Offset(), inFile, bytes)
        || !MemoHeader::FromBytes(bytes, header)) {
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
    stored.bodyBytes = int32_t(bodyBytes.size()); // oversized bodies are refused by WriteRecord

    int slot = SlotAt(position);
    if (isNew) {
        slot = FindSlot(bodyBytes.size());
        if (slot < 0)
            return 0;
        stored.attachId = NewAttachId();
    } else if (Entry(slot).state != SlotEntry::kInUse) {
        return 0;
    }
    if (WriteRecord(slot, stored, bodyBytes) < 0)
        return 0;

    if (isNew) {
        m_order.push_back(slot);
        m_currentPosition = Count() - 1;
    }
    header = stored;
    if (isNew || position == m_currentPosition)
        m_currentHeader = stored;
    return Sync() ? 1 : 0;
}

int CLocalDatabase::DeleteRecord(int position)
{
    const int slot = SlotAt(position);
    SlotEntry entry = Entry(slot);
    if (entry.state != SlotEntry::kInUse)
        return 0;
    entry.state = SlotEntry::kFree;
    if (!WriteEntry(slot, entry))
        return 0;
    m_order.erase(m_order.begin() + position);
    m_currentPosition = -1;
    return Sync() ? 1 : 0;
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
    if (!m_file.seek(offset))
        return false;
    QByteArray bytes = m_file.read(size);
    if (bytes.size() != size)
        return false;
    out = bytes;
    return true;
}

// Header, body and zeros up to the last block, in one write.
bool CLocalDatabase::WriteRecordAt(uint32_t firstBlock, int totalBlocks, const MemoHeader& header,
                                   QByteArrayView body)
{
    QByteArray record(totalBlocks * kBlockBytes, '\0');
    const QByteArray headerBytes = header.ToBytes();
    std::memcpy(record.data(), headerBytes.constData(), size_t(std::min<qsizetype>(headerBytes.size(), MemoHeader::kBytes)));
    std::memcpy(record.data() + MemoHeader::kBytes, body.data(), size_t(body.size()));
    const SlotEntry place{SlotEntry::kInUse, uint16_t(totalBlocks), firstBlock};
    return m_file.seek(place.Offset()) && m_file.write(record) == record.size();
}

// The first block after the end of the file, where a new record is appended.
qint64 CLocalDatabase::AppendBlock() const
{
    const qint64 dataBytes = std::max<qint64>(0, FileSize() - kIndexBytes);
    return (dataBytes + kBlockBytes - 1) / kBlockBytes;
}

bool CLocalDatabase::Sync()
{
    return m_file.flush() && fdatasync(m_file.handle()) == 0;
}
