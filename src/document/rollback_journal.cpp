#include "rollback_journal.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr char kMagic[8] = {'Q', 'u', 'i', 'r', 'e', 'l', 'J', '1'};
constexpr qsizetype kFixedHeaderBytes = 48;
constexpr qsizetype kRangeBytes = 16;
constexpr qsizetype kRecordHeadBytes = 16;
constexpr qsizetype kChecksumBytes = 8;
constexpr quint32 kMaxRanges = 1 << 16;

// Fletcher-style sums over 64-bit words: cheap next to the disk, and a torn, zeroed or stale
// record (another salt) does not pass.
class Checksum {
public:
    explicit Checksum(quint64 salt) : m_a(salt), m_b(~salt) {}
    Checksum& Add(const char* data, qsizetype size)
    {
        qsizetype at = 0;
        for (; at + 8 <= size; at += 8) {
            m_a += qFromLittleEndian<quint64>(data + at);
            m_b += m_a;
        }
        for (; at < size; ++at) {
            m_a += uchar(data[at]);
            m_b += m_a;
        }
        return *this;
    }
    quint64 Value() const { return m_a ^ ((m_b << 32) | (m_b >> 32)); }

private:
    quint64 m_a;
    quint64 m_b;
};

// A mixing hash (the body and finish of 64-bit MurmurHash3): telling the whole final state of a
// transaction from any mix of old and new pages must not rest on sums that can cancel.
class StateHash {
public:
    explicit StateHash(quint64 salt) : m_h(salt) {}
    StateHash& Add(const char* data, qsizetype size)
    {
        qsizetype at = 0;
        for (; at + 8 <= size; at += 8)
            Mix(qFromLittleEndian<quint64>(data + at));
        quint64 tail = 0;
        for (qsizetype shift = 0; at < size; ++at, shift += 8)
            tail |= quint64(uchar(data[at])) << shift;
        Mix(tail ^ quint64(size));
        return *this;
    }
    quint64 Value() const
    {
        quint64 h = m_h;
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ULL;
        return h ^ (h >> 33);
    }

private:
    void Mix(quint64 k)
    {
        k *= 0x87c37b91114253d5ULL;
        k = (k << 31) | (k >> 33);
        k *= 0x4cf5ad432745937fULL;
        m_h ^= k;
        m_h = ((m_h << 27) | (m_h >> 37)) * 5 + 0x52dce729;
    }
    quint64 m_h;
};

struct Range {
    qint64 offset;
    qint64 size;
};

struct ParsedJournal {
    CRollbackJournal::Found found = CRollbackJournal::Found::kNone;
    quint64 salt = 0;
    qint64 originalSize = -1;
    qint64 finalSize = -1; // -1 when the header does not give the final state
    quint64 finalHash = 0;
    std::vector<Range> ranges;
    std::map<qint64, QByteArray> images;
    QStringList problems;
};

// A journal too short for a header, or one whose header does not pass, is ours (incomplete)
// when what is there is a start of our header or zeros; anything else is not a journal.
bool LooksLikeOurs(const QByteArray& bytes)
{
    const qsizetype head = std::min<qsizetype>(bytes.size(), sizeof kMagic);
    if (std::memcmp(bytes.constData(), kMagic, size_t(head)) == 0)
        return true;
    const QByteArrayView start = QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), kFixedHeaderBytes));
    return std::all_of(start.begin(), start.end(), [](char c) { return c == 0; });
}

ParsedJournal Parse(const QByteArray& bytes)
{
    ParsedJournal parsed;
    const char* data = bytes.constData();
    const quint32 rangeCount = bytes.size() >= kFixedHeaderBytes ? qFromLittleEndian<quint32>(data + 40) : 0;
    const qsizetype headerBytes = kFixedHeaderBytes + qsizetype(rangeCount) * kRangeBytes;
    if (bytes.size() < kFixedHeaderBytes || std::memcmp(data, kMagic, sizeof kMagic) != 0 || rangeCount > kMaxRanges
        || bytes.size() < headerBytes + kChecksumBytes
        || qFromLittleEndian<quint64>(data + headerBytes) != Checksum(0).Add(data, headerBytes).Value()
        || qFromLittleEndian<qint64>(data + 16) < 0) {
        parsed.found = LooksLikeOurs(bytes) ? CRollbackJournal::Found::kIncomplete : CRollbackJournal::Found::kForeign;
        return parsed;
    }
    parsed.found = CRollbackJournal::Found::kHot;
    parsed.salt = qFromLittleEndian<quint64>(data + 8);
    parsed.originalSize = qFromLittleEndian<qint64>(data + 16);
    parsed.finalSize = qFromLittleEndian<qint64>(data + 24);
    parsed.finalHash = qFromLittleEndian<quint64>(data + 32);
    for (quint32 i = 0; i < rangeCount; ++i) {
        const Range range{qFromLittleEndian<qint64>(data + kFixedHeaderBytes + i * kRangeBytes),
                          qFromLittleEndian<qint64>(data + kFixedHeaderBytes + i * kRangeBytes + 8)};
        if (range.offset < 0 || range.size <= 0 || range.offset > parsed.finalSize - range.size) {
            parsed.problems << QStringLiteral("journal header: range at %1 lies outside the final %2 bytes")
                                   .arg(range.offset)
                                   .arg(parsed.finalSize);
            parsed.finalSize = -1;
        }
        parsed.ranges.push_back(range);
    }
    qsizetype at = headerBytes + kChecksumBytes;
    while (bytes.size() - at >= kRecordHeadBytes + kChecksumBytes) {
        const qint64 offset = qFromLittleEndian<qint64>(data + at);
        const quint32 length = qFromLittleEndian<quint32>(data + at + 8);
        if (length == 0 || length > CRollbackJournal::kPageBytes
            || bytes.size() - at - kRecordHeadBytes - kChecksumBytes < qsizetype(length))
            break;
        const qsizetype end = at + kRecordHeadBytes + length;
        if (qFromLittleEndian<quint64>(data + end) != Checksum(parsed.salt).Add(data + at, end - at).Value())
            break;
        const QString where = QStringLiteral("journal record at byte %1: ").arg(at);
        if (offset < 0 || offset % CRollbackJournal::kPageBytes != 0 || offset + length > parsed.originalSize)
            parsed.problems << where + QStringLiteral("page at %1 lies outside the original %2 bytes").arg(offset).arg(parsed.originalSize);
        else if (!parsed.images.emplace(offset, QByteArray(data + at + kRecordHeadBytes, length)).second)
            parsed.problems << where + QStringLiteral("page at %1 is journalled twice").arg(offset);
        at = end + kChecksumBytes;
    }
    return parsed;
}

// The written bytes of a transaction, merged into ordered, disjoint ranges.
std::vector<Range> Ranges(const std::vector<FileWrite>& writes)
{
    std::vector<Range> spans;
    for (const FileWrite& write : writes) {
        if (!write.bytes.isEmpty())
            spans.push_back({write.offset, write.bytes.size()});
    }
    std::sort(spans.begin(), spans.end(), [](const Range& a, const Range& b) { return a.offset < b.offset; });
    std::vector<Range> ranges;
    for (const Range& span : spans) {
        if (!ranges.empty() && span.offset <= ranges.back().offset + ranges.back().size)
            ranges.back().size = std::max(ranges.back().size, span.offset + span.size - ranges.back().offset);
        else
            ranges.push_back(span);
    }
    return ranges;
}

// The hash of the bytes the writes leave in `ranges`, later writes over earlier ones.
quint64 FinalHash(quint64 salt, const std::vector<Range>& ranges, const std::vector<FileWrite>& writes)
{
    StateHash hash(salt);
    QByteArray bytes;
    for (const Range& range : ranges) {
        const auto inRange = [&](const FileWrite& write) {
            return write.offset < range.offset + range.size && range.offset < write.offset + write.bytes.size();
        };
        const auto first = std::find_if(writes.begin(), writes.end(), inRange);
        if (first->offset == range.offset && first->bytes.size() == range.size
            && std::find_if(std::next(first), writes.end(), inRange) == writes.end()) {
            hash.Add(first->bytes.constData(), range.size); // one write fills the range
            continue;
        }
        bytes.resize(range.size);
        for (const FileWrite& write : writes) {
            const qint64 from = std::max(range.offset, write.offset);
            const qint64 to = std::min(range.offset + range.size, write.offset + write.bytes.size());
            if (from < to)
                std::memcpy(bytes.data() + (from - range.offset), write.bytes.constData() + (from - write.offset), size_t(to - from));
        }
        hash.Add(bytes.constData(), bytes.size());
    }
    return hash.Value();
}

// Whether the database holds the whole final state the header names: the transaction is done.
bool ReachedFinalState(DatabaseFile& database, const ParsedJournal& parsed)
{
    if (parsed.finalSize < 0 || database.Size() != parsed.finalSize)
        return false;
    StateHash hash(parsed.salt);
    QByteArray bytes;
    for (const Range& range : parsed.ranges) {
        bytes.resize(range.size);
        if (!database.ReadAt(range.offset, bytes.data(), range.size))
            return false;
        hash.Add(bytes.constData(), bytes.size());
    }
    return hash.Value() == parsed.finalHash;
}

} // namespace

QString CRollbackJournal::PathFor(const QString& databasePath)
{
    const QFileInfo info(databasePath);
    QString name = info.fileName();
    name.replace(QStringLiteral(".qrl"), QStringLiteral(".qrj"), Qt::CaseInsensitive);
    if (name == info.fileName())
        name += QStringLiteral(".qrj");
    return info.dir().filePath(name);
}

CRollbackJournal::CRollbackJournal(FileSystem& files, const QString& databasePath)
    : m_files(files), m_path(PathFor(databasePath))
{
}

void CRollbackJournal::Clear()
{
    m_namesFinalState = false;
    m_originalSize = -1;
    m_journalBytes = 0;
    m_protected = false;
    m_images.clear();
}

void CRollbackJournal::Begin(qint64 originalSize)
{
    Clear();
    m_originalSize = originalSize;
    m_salt = QRandomGenerator::global()->generate64();
}

bool CRollbackJournal::Prepare(int* error)
{
    m_file = m_files.Open(m_path, FileSystem::OpenHow::kCreateOrTruncate, error);
    m_entryDurable = false;
    return m_file != nullptr;
}

bool CRollbackJournal::Protect(DatabaseFile& database, const std::vector<FileWrite>& writes, bool last)
{
    std::map<qint64, QByteArray> fresh;
    for (const FileWrite& write : writes) {
        const qint64 end = std::min(write.offset + write.bytes.size(), m_originalSize);
        for (qint64 page = write.offset / kPageBytes * kPageBytes; page < end; page += kPageBytes) {
            if (!m_images.count(page))
                fresh.emplace(page, QByteArray());
        }
    }
    if (fresh.empty() && m_journalBytes > 0) // (2) the header is already durable
        return true;

    QByteArray out;
    if (m_journalBytes == 0) {
        // (3) A transaction written out at once names its final state, so that finding it
        // whole ends the transaction without another sync.
        m_namesFinalState = last;
        const std::vector<Range> ranges = last ? Ranges(writes) : std::vector<Range>();
        qint64 finalSize = m_originalSize;
        for (const Range& range : ranges)
            finalSize = std::max(finalSize, range.offset + range.size);
        const qsizetype headerBytes = kFixedHeaderBytes + qsizetype(ranges.size()) * kRangeBytes;
        out.resize(headerBytes + kChecksumBytes);
        char* header = out.data();
        std::memcpy(header, kMagic, sizeof kMagic);
        qToLittleEndian<quint64>(m_salt, header + 8);
        qToLittleEndian<qint64>(m_originalSize, header + 16);
        qToLittleEndian<qint64>(last ? finalSize : -1, header + 24);
        qToLittleEndian<quint64>(last ? FinalHash(m_salt, ranges, writes) : 0, header + 32);
        qToLittleEndian<quint32>(quint32(ranges.size()), header + 40);
        qToLittleEndian<quint32>(0, header + 44);
        for (size_t i = 0; i < ranges.size(); ++i) {
            qToLittleEndian<qint64>(ranges[i].offset, header + kFixedHeaderBytes + i * kRangeBytes);
            qToLittleEndian<qint64>(ranges[i].size, header + kFixedHeaderBytes + i * kRangeBytes + 8);
        }
        qToLittleEndian<quint64>(Checksum(0).Add(header, headerBytes).Value(), header + headerBytes);
    }
    // (6) images from before any write of this transaction, read a run of pages at a time.
    QByteArray run;
    for (auto first = fresh.begin(); first != fresh.end();) {
        auto last = first;
        while (std::next(last) != fresh.end() && std::next(last)->first == last->first + kPageBytes)
            ++last;
        const qint64 runEnd = std::min(last->first + kPageBytes, m_originalSize);
        run.resize(runEnd - first->first);
        if (!database.ReadAt(first->first, run.data(), run.size()))
            return false;
        for (auto page = first; page != std::next(last); ++page)
            page->second = QByteArray(run.constData() + (page->first - first->first), std::min(kPageBytes, runEnd - page->first));
        first = std::next(last);
    }
    for (const auto& [page, image] : fresh) {
        const qsizetype at = out.size();
        out.resize(at + kRecordHeadBytes + image.size() + kChecksumBytes);
        char* record = out.data() + at;
        qToLittleEndian<qint64>(page, record);
        qToLittleEndian<quint32>(quint32(image.size()), record + 8);
        qToLittleEndian<quint32>(0, record + 12);
        std::memcpy(record + kRecordHeadBytes, image.constData(), size_t(image.size()));
        const qsizetype checked = kRecordHeadBytes + image.size();
        qToLittleEndian<quint64>(Checksum(m_salt).Add(record, checked).Value(), record + checked);
    }
    if (!m_file && !Prepare())
        return false;
    // (1) (2) the images and the journal's folder entry are durable before the database changes.
    // Bytes of an earlier journal beyond these records carry another salt and never pass.
    if (!m_file->WriteAt(m_journalBytes, out.constData(), out.size()) || !m_file->Sync()
        || (!m_entryDurable && !m_files.SyncFolder(m_path)))
        return false;
    m_entryDurable = true;
    m_journalBytes += out.size();
    m_images.merge(fresh);
    m_protected = true;
    return true;
}

bool CRollbackJournal::Finish()
{
    if (m_journalBytes > 0 && !m_namesFinalState) {
        // (3) Until the zeroed header is durable, a power cut would leave a journal that undoes
        // a transaction already reported as stored.
        const QByteArray zeros(kFixedHeaderBytes, '\0');
        if (!m_file->WriteAt(0, zeros.constData(), zeros.size()) || !m_file->Sync())
            return false;
    }
    Clear();
    return true;
}

bool CRollbackJournal::RollBack(DatabaseFile& database)
{
    if (m_protected) {
        for (const auto& [page, image] : m_images) {
            if (!database.WriteAt(page, image.constData(), image.size()))
                return false;
        }
        const qint64 size = database.Size();
        if (size < 0 || (size != m_originalSize && !database.Truncate(m_originalSize)) || !database.Sync())
            return false;
    }
    m_file.reset();
    // (3) the journal goes last; if it stays, a later rollback writes the same images again.
    if (m_files.Exists(m_path) && (!m_files.Remove(m_path) || !m_files.SyncFolder(m_path)))
        return false;
    Clear();
    return true;
}

void CRollbackJournal::Close()
{
    // Its header is zeroed: should the removal be lost, the next open drops it unread.
    if (m_file && !m_protected) {
        m_file.reset();
        m_files.Remove(m_path);
    }
    m_file.reset();
    Clear();
}

CRollbackJournal::Found CRollbackJournal::Load(DatabaseFile& database)
{
    Clear();
    int error = 0;
    const std::unique_ptr<DatabaseFile> file = m_files.Open(m_path, FileSystem::OpenHow::kRead, &error);
    if (!file)
        return error == ENOENT ? Found::kNone : Found::kUnreadable;
    const qint64 size = file->Size();
    QByteArray bytes(std::max<qint64>(size, 0), Qt::Uninitialized);
    if (size < 0 || !file->ReadAt(0, bytes.data(), bytes.size()))
        return Found::kUnreadable;
    ParsedJournal parsed = Parse(bytes);
    if (parsed.found != Found::kHot)
        return parsed.found;
    if (ReachedFinalState(database, parsed))
        return Found::kCommitted;
    m_protected = true;
    m_originalSize = parsed.originalSize;
    m_images = std::move(parsed.images);
    return Found::kHot;
}

bool CRollbackJournal::Discard()
{
    Clear();
    m_file.reset();
    return m_files.Remove(m_path) && m_files.SyncFolder(m_path);
}

void CRollbackJournal::Overlay(qint64 offset, char* data, qint64 size) const
{
    for (auto it = m_images.lower_bound(offset / kPageBytes * kPageBytes); it != m_images.end() && it->first < offset + size; ++it) {
        const qint64 from = std::max(offset, it->first);
        const qint64 to = std::min(offset + size, it->first + it->second.size());
        if (from < to)
            std::memcpy(data + (from - offset), it->second.constData() + (from - it->first), size_t(to - from));
    }
}

JournalCheck CheckJournal(FileSystem& files, const QString& databasePath)
{
    JournalCheck check;
    int error = 0;
    const QString path = CRollbackJournal::PathFor(databasePath);
    const std::unique_ptr<DatabaseFile> file = files.Open(path, FileSystem::OpenHow::kRead, &error);
    if (!file) {
        check.found = error == ENOENT ? CRollbackJournal::Found::kNone : CRollbackJournal::Found::kUnreadable;
        return check;
    }
    QByteArray bytes(std::max<qint64>(file->Size(), 0), Qt::Uninitialized);
    if (!file->ReadAt(0, bytes.data(), bytes.size())) {
        check.found = CRollbackJournal::Found::kUnreadable;
        return check;
    }
    ParsedJournal parsed = Parse(bytes);
    check.found = parsed.found;
    const std::unique_ptr<DatabaseFile> database = files.Open(databasePath, FileSystem::OpenHow::kRead);
    if (parsed.found == CRollbackJournal::Found::kHot && database && ReachedFinalState(*database, parsed))
        check.found = CRollbackJournal::Found::kCommitted;
    check.originalSize = parsed.originalSize;
    check.pages = int(parsed.images.size());
    check.problems = parsed.problems;
    if (parsed.found == CRollbackJournal::Found::kForeign)
        check.problems << QStringLiteral("%1 is not a journal of this database").arg(path);
    return check;
}
