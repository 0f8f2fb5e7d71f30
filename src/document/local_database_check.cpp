#include "local_database_check.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>

namespace {

bool HasTerminator(const QByteArray& block, const MemoHeaderStringField& field)
{
    for (qsizetype unit = 0; unit < field.units; ++unit) {
        if (qFromLittleEndian<char16_t>(block.constData() + field.offset + 2 * unit) == 0)
            return true;
    }
    return false;
}

struct Extent {
    int slot;
    qint64 first;
    qint64 end;
};

// The blocks that State 1 and 2 entries name, sorted by first block, and the slots whose
// entries alone show damage, in one pass over the index.
struct IndexExtents {
    std::vector<Extent> extents;
    std::vector<bool> damaged = std::vector<bool>(CLocalDatabase::kSlotCount, false);
};

IndexExtents ReadExtents(const CLocalDatabase& database)
{
    IndexExtents index;
    for (int slot = 0; slot < CLocalDatabase::kSlotCount; ++slot) {
        const SlotEntry entry = database.Entry(slot);
        if (entry.state != SlotEntry::kInUse && entry.state != SlotEntry::kFree)
            continue;
        if (entry.blocks < 2 || entry.EndOffset() > database.FileSize())
            index.damaged[size_t(slot)] = true;
        if (entry.blocks > 0)
            index.extents.push_back(Extent{slot, entry.firstBlock, qint64(entry.firstBlock) + entry.blocks});
    }
    std::vector<Extent>& extents = index.extents;
    std::sort(extents.begin(), extents.end(), [](const Extent& a, const Extent& b) { return a.first < b.first; });
    // In first-block order an extent shares blocks with an earlier one exactly when it starts
    // before their furthest end, and with a later one exactly when the next one starts before
    // its own end.
    qint64 furthestEnd = 0;
    for (size_t i = 0; i < extents.size(); ++i) {
        const Extent& extent = extents[i];
        if ((i > 0 && extent.first < furthestEnd) || (i + 1 < extents.size() && extents[i + 1].first < extent.end))
            index.damaged[size_t(extent.slot)] = true;
        furthestEnd = std::max(furthestEnd, extent.end);
    }
    return index;
}

void CheckRecord(CLocalDatabase& database, int slot, const SlotEntry& entry, QStringList& problems)
{
    const QString where = QStringLiteral("slot %1: ").arg(slot);
    QByteArray block;
    MemoHeader header;
    if (!database.ReadHeaderBlock(slot, block) || !MemoHeader::FromBytes(block, header)) {
        problems << where + QStringLiteral("the header block cannot be read");
        return;
    }
    const unsigned flaws = CLocalDatabase::HeaderFlaws(header, entry.blocks);
    if (flaws & CLocalDatabase::kWrongMark)
        problems << where + QStringLiteral("header mark is %1, not %2").arg(header.mark).arg(MemoHeader::kMark);
    if (flaws & CLocalDatabase::kWrongEndMark)
        problems << where + QStringLiteral("end mark is %1, not %2").arg(header.endMark).arg(MemoHeader::kEndMark);
    if (flaws & CLocalDatabase::kWrongHeaderSize)
        problems << where + QStringLiteral("HeaderSize is %1, not %2").arg(header.headerSize).arg(MemoHeader::kBytes);
    if (flaws & CLocalDatabase::kBodyBytesOutsideArea) {
        problems << where + QStringLiteral("BodyBytes %1 does not fit its body area of %2 bytes")
                                .arg(header.bodyBytes)
                                .arg((entry.blocks - 1) * CLocalDatabase::kBlockBytes);
    } else if (flaws & CLocalDatabase::kBodyBytesOdd) {
        problems << where + QStringLiteral("BodyBytes %1 is odd, not a whole number of characters").arg(header.bodyBytes);
    } else if (!database.EndsAtBodyBytes(slot, header.bodyBytes)) {
        problems << where + QStringLiteral("the character at BodyBytes %1 is not NUL, so readers show text past the body")
                                .arg(header.bodyBytes);
    }
    for (const MemoHeaderStringField& field : MemoHeaderStringFields()) {
        if (!HasTerminator(block, field))
            problems << where + QStringLiteral("%1 has no terminator").arg(QLatin1StringView(field.name));
    }
}

// An extent that starts before the furthest end seen so far shares blocks with the extent that
// reached that end.
void CheckSharedBlocks(const std::vector<Extent>& extents, QStringList& problems)
{
    const Extent* furthest = nullptr;
    for (const Extent& extent : extents) {
        if (furthest && extent.first < furthest->end) {
            problems << QStringLiteral("slots %1 and %2 share block %3")
                            .arg(std::min(furthest->slot, extent.slot))
                            .arg(std::max(furthest->slot, extent.slot))
                            .arg(extent.first);
        }
        if (!furthest || extent.end > furthest->end)
            furthest = &extent;
    }
}

} // namespace

std::vector<bool> SlotsDamagedInIndex(const CLocalDatabase& database)
{
    return ReadExtents(database).damaged;
}

QString JournalPathFor(const QString& databasePath)
{
    const QFileInfo info(databasePath);
    QString name = info.fileName();
    name.replace(QStringLiteral(".qrl"), QStringLiteral(".qrj"), Qt::CaseInsensitive);
    if (name == info.fileName())
        name += QStringLiteral(".qrj");
    return info.dir().filePath(name);
}

LocalDatabaseCheck CheckLocalDatabase(CLocalDatabase& database)
{
    LocalDatabaseCheck result;
    const IndexExtents index = ReadExtents(database);
    for (int slot = 0; slot < CLocalDatabase::kSlotCount; ++slot) {
        const SlotEntry entry = database.Entry(slot);
        if (entry.state == SlotEntry::kUnused)
            continue;
        const QString where = QStringLiteral("slot %1: ").arg(slot);
        if (entry.state != SlotEntry::kInUse && entry.state != SlotEntry::kFree) {
            result.problems << where + QStringLiteral("state %1 is not valid").arg(entry.state);
            continue;
        }
        (entry.state == SlotEntry::kInUse ? result.records : result.freeEntries) += 1;
        result.namedBlocks += entry.blocks;
        if (slot == CLocalDatabase::kSlotCount - 1)
            result.problems << where + QStringLiteral("the last slot is never allocated, yet its state is %1").arg(entry.state);
        if (entry.blocks < 2) {
            result.problems << where + QStringLiteral("%1 blocks, fewer than a record needs").arg(entry.blocks);
            continue;
        }
        if (entry.EndOffset() > database.FileSize()) {
            result.problems << where + QStringLiteral("blocks %1 to %2 lie beyond the end of the file")
                                           .arg(entry.firstBlock)
                                           .arg(qint64(entry.firstBlock) + entry.blocks - 1);
            continue;
        }
        // Records sharing blocks are reported below, from the index alone.
        if (entry.state == SlotEntry::kInUse && !index.damaged[size_t(slot)])
            CheckRecord(database, slot, entry, result.problems);
    }
    CheckSharedBlocks(index.extents, result.problems);
    const QString journal = JournalPathFor(database.Path());
    if (QFileInfo::exists(journal))
        result.problems << QStringLiteral("journal %1 is still there: a save was interrupted").arg(journal);
    return result;
}
