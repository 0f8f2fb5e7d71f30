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
constexpr qsizetype kHeaderBytes = 32;
constexpr qsizetype kRecordHeadBytes = 16;
constexpr qsizetype kChecksumBytes = 8;

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

struct ParsedJournal {
    CRollbackJournal::Found found = CRollbackJournal::Found::kNone;
    qint64 originalSize = -1;
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
    const QByteArrayView start = QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), kHeaderBytes));
    return std::all_of(start.begin(), start.end(), [](char c) { return c == 0; });
}

ParsedJournal Parse(const QByteArray& bytes)
{
    ParsedJournal parsed;
    const char* data = bytes.constData();
    if (bytes.size() < kHeaderBytes || std::memcmp(data, kMagic, sizeof kMagic) != 0
        || qFromLittleEndian<quint64>(data + 24) != Checksum(0).Add(data, 24).Value()
        || qFromLittleEndian<qint64>(data + 16) < 0) {
        parsed.found = LooksLikeOurs(bytes) ? CRollbackJournal::Found::kIncomplete : CRollbackJournal::Found::kForeign;
        return parsed;
    }
    parsed.found = CRollbackJournal::Found::kHot;
    const quint64 salt = qFromLittleEndian<quint64>(data + 8);
    parsed.originalSize = qFromLittleEndian<qint64>(data + 16);
    qsizetype at = kHeaderBytes;
    while (bytes.size() - at >= kRecordHeadBytes + kChecksumBytes) {
        const qint64 offset = qFromLittleEndian<qint64>(data + at);
        const quint32 length = qFromLittleEndian<quint32>(data + at + 8);
        if (length == 0 || length > CRollbackJournal::kPageBytes
            || bytes.size() - at - kRecordHeadBytes - kChecksumBytes < qsizetype(length))
            break;
        const qsizetype end = at + kRecordHeadBytes + length;
        if (qFromLittleEndian<quint64>(data + end) != Checksum(salt).Add(data + at, end - at).Value())
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

bool CRollbackJournal::Protect(DatabaseFile& database, const std::vector<std::pair<qint64, qint64>>& spans)
{
    std::map<qint64, QByteArray> fresh;
    for (const auto& [offset, size] : spans) {
        const qint64 end = std::min(offset + size, m_originalSize);
        for (qint64 page = offset / kPageBytes * kPageBytes; page < end; page += kPageBytes) {
            if (!m_images.count(page))
                fresh.emplace(page, QByteArray());
        }
    }
    if (fresh.empty() && m_journalBytes > 0) // (2) the header is already durable
        return true;

    QByteArray out;
    if (m_journalBytes == 0) {
        out.resize(kHeaderBytes);
        std::memcpy(out.data(), kMagic, sizeof kMagic);
        qToLittleEndian<quint64>(m_salt, out.data() + 8);
        qToLittleEndian<qint64>(m_originalSize, out.data() + 16);
        qToLittleEndian<quint64>(Checksum(0).Add(out.constData(), 24).Value(), out.data() + 24);
    }
    for (auto& [page, image] : fresh) { // (6) images from before any write of this transaction
        image.resize(std::min(kPageBytes, m_originalSize - page));
        if (!database.ReadAt(page, image.data(), image.size()))
            return false;
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

    if (!m_file) {
        m_file = m_files.Open(m_path, FileSystem::OpenHow::kCreateOrTruncate);
        m_entryDurable = false;
        if (!m_file)
            return false;
    }
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
    if (m_journalBytes > 0) {
        // (3) Until the zeroed header is durable, a power cut would leave a journal that undoes
        // a transaction already reported as stored.
        const QByteArray zeros(kHeaderBytes, '\0');
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

CRollbackJournal::Found CRollbackJournal::Load()
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
    if (parsed.found == Found::kHot) {
        m_protected = true;
        m_originalSize = parsed.originalSize;
        m_images = std::move(parsed.images);
    }
    return parsed.found;
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
    check.originalSize = parsed.originalSize;
    check.pages = int(parsed.images.size());
    check.problems = parsed.problems;
    if (parsed.found == CRollbackJournal::Found::kForeign)
        check.problems << QStringLiteral("%1 is not a journal of this database").arg(path);
    return check;
}
