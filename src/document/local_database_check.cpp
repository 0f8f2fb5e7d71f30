#include "local_database_check.h"

#include <QtEndian>
#include <algorithm>
#include <vector>

namespace {

// String fields of the header image: where they lie and how many UTF-16 units they hold.
struct StringField {
    const char* name;
    qsizetype offset;
    qsizetype units;
};
constexpr StringField kStringFields[] = {
    {"Title", 12, 128},     {"TheKeys", 268, 1280},         {"CreatedAt", 2828, 20},
    {"TheDateTime", 2868, 20}, {"font face name", 2940, 32}, {"AttachID", 3012, 25},
};

bool HasTerminator(const QByteArray& block, const StringField& field)
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

void CheckHeader(CLocalDatabase& database, int slot, const SlotEntry& entry, QStringList& problems)
{
    const QString where = QStringLiteral("slot %1: ").arg(slot);
    QByteArray block;
    MemoHeader header;
    if (!database.ReadHeaderBlock(slot, block) || !MemoHeader::FromBytes(block, header)) {
        problems << where + QStringLiteral("the header block cannot be read");
        return;
    }
    if (header.mark != MemoHeader::kMark)
        problems << where + QStringLiteral("header mark is %1, not %2").arg(header.mark).arg(MemoHeader::kMark);
    if (header.endMark != MemoHeader::kEndMark)
        problems << where + QStringLiteral("end mark is %1, not %2").arg(header.endMark).arg(MemoHeader::kEndMark);
    if (header.headerSize != MemoHeader::kBytes)
        problems << where + QStringLiteral("HeaderSize is %1, not %2").arg(header.headerSize).arg(MemoHeader::kBytes);
    const qint64 bodyArea = (entry.blocks - 1) * CLocalDatabase::kBlockBytes;
    if (header.bodyBytes < 0 || header.bodyBytes > bodyArea)
        problems << where + QStringLiteral("BodyBytes %1 does not fit its body area of %2 bytes").arg(header.bodyBytes).arg(bodyArea);
    for (const StringField& field : kStringFields) {
        if (!HasTerminator(block, field))
            problems << where + QStringLiteral("%1 has no terminator").arg(QLatin1StringView(field.name));
    }
}

// Sorted by first block, an extent that starts before the furthest end seen so far shares
// blocks with the extent that reached that end.
void CheckSharedBlocks(std::vector<Extent> extents, QStringList& problems)
{
    std::sort(extents.begin(), extents.end(), [](const Extent& a, const Extent& b) { return a.first < b.first; });
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

LocalDatabaseCheck CheckLocalDatabase(CLocalDatabase& database)
{
    LocalDatabaseCheck result;
    std::vector<Extent> extents;
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
        if (entry.blocks > 0)
            extents.push_back(Extent{slot, entry.firstBlock, qint64(entry.firstBlock) + entry.blocks});
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
        if (entry.state == SlotEntry::kInUse)
            CheckHeader(database, slot, entry, result.problems);
    }
    CheckSharedBlocks(std::move(extents), result.problems);
    return result;
}
