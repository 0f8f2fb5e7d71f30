// Damaged records as reads and the check see them: every flaw reads as damaged or with a
// warning, never as garbage, a damaged record is salvaged and never saved over, and the check
// reports each flaw once, on its own line.
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "document/local_memo_store.h"
#include "support/new_header.h"
#include "support/temp_files.h"

#include <QFile>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr qint64 kMiB = CLocalDatabase::kIndexBytes;
constexpr qint64 kBlock = CLocalDatabase::kBlockBytes;
constexpr qint64 kHeaderAt = kMiB;           // slot 0's record: blocks 0 and 1
constexpr qint64 kBodyAt = kMiB + kBlock;

QByteArray Utf16(const QString& text)
{
    QByteArray bytes(text.size() * 2, '\0');
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

std::string Lines(const QStringList& lines)
{
    return lines.join('\n').toStdString();
}

void PutInt32(QByteArray& image, qint64 at, int32_t value)
{
    qToLittleEndian<int32_t>(value, image.data() + at);
}

// One record in slot 0, titled "title", with the body "memo text" (18 bytes) in a 2-block record.
QByteArray SoundImage()
{
    QByteArray image(kMiB, '\0');
    SlotEntry{SlotEntry::kInUse, 2, 0}.ToBytes(image.data());
    MemoHeader header = NewHeader("title");
    header.bodyBytes = 18;
    image += header.ToBytes();
    image += Utf16("memo text").leftJustified(kBlock, '\0');
    return image;
}

TEST(LocalDatabaseCheck, EachFlawReadsAsDamagedOrWithAWarningAndIsReportedOnce)
{
    using Mutation = std::function<void(QByteArray&)>;
    constexpr auto kRead = CLocalDatabase::kRead, kWarned = CLocalDatabase::kReadWithWrongMarks,
                   kDamaged = CLocalDatabase::kDamaged;
    const struct {
        const char* flaw;
        Mutation mutate;
        CLocalDatabase::ReadResult read, headerRead; // ReadRecord's and ReadHeader's verdicts
        QString body; // as read, or as salvaged from a damaged record
        QStringList problems;
    } cases[] = {
        {"stale text after the NUL is not damage",
         [](QByteArray& f) { f.replace(kBodyAt + 20, 10, Utf16("stale")); }, kRead, kRead, "memo text", {}},
        {"text past BodyBytes would show to other readers",
         [](QByteArray& f) { PutInt32(f, kHeaderAt + 8, 8); }, kDamaged, kRead, "memo text",
         {"slot 0: the character at BodyBytes 8 is not NUL, so readers show text past the body"}},
        {"BodyBytes 0 with a full body area",
         [](QByteArray& f) { PutInt32(f, kHeaderAt + 8, 0); f.replace(kBodyAt, kBlock, Utf16(QString(2048, 'a'))); },
         kDamaged, kRead, QString(2048, 'a'),
         {"slot 0: the character at BodyBytes 0 is not NUL, so readers show text past the body"}},
        {"odd BodyBytes", [](QByteArray& f) { PutInt32(f, kHeaderAt + 8, 17); }, kDamaged, kDamaged, "memo text",
         {"slot 0: BodyBytes 17 is odd, not a whole number of characters"}},
        {"BodyBytes past the area", [](QByteArray& f) { PutInt32(f, kHeaderAt + 8, 4098); }, kDamaged, kDamaged,
         "memo text", {"slot 0: BodyBytes 4098 does not fit its body area of 4096 bytes"}},
        {"negative BodyBytes", [](QByteArray& f) { PutInt32(f, kHeaderAt + 8, -2); }, kDamaged, kDamaged,
         "memo text", {"slot 0: BodyBytes -2 does not fit its body area of 4096 bytes"}},
        {"wrong Mark", [](QByteArray& f) { PutInt32(f, kHeaderAt, 7); }, kWarned, kWarned,
         "memo text", {"slot 0: header mark is 7, not 43981"}},
        {"wrong HeaderSize", [](QByteArray& f) { PutInt32(f, kHeaderAt + 4, 0); }, kWarned, kWarned,
         "memo text", {"slot 0: HeaderSize is 0, not 4096"}},
        {"wrong EndMark", [](QByteArray& f) { PutInt32(f, kHeaderAt + 4092, 1); }, kWarned, kWarned,
         "memo text", {"slot 0: end mark is 1, not 56506"}},
        {"a record in the last slot",
         [](QByteArray& f) { f.replace(kMiB - 8, 8, f.first(8)); f.replace(0, 8, QByteArray(8, '\0')); },
         kRead, kRead, "memo text", {"slot 131071: the last slot is never allocated, yet its state is 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flaw);
        TempFolder folder;
        const QString path = folder.Path("Memo.qrl");
        QByteArray image = SoundImage();
        c.mutate(image);
        WriteBytes(path, image);
        auto database = std::make_unique<CLocalDatabase>(path);
        ASSERT_EQ(database->Open(), CLocalDatabase::kOk);
        EXPECT_EQ(Lines(CheckLocalDatabase(*database).problems), Lines(c.problems));

        const int slot = database->SlotAt(0);
        MemoHeader header;
        QString body = "untouched";
        EXPECT_EQ(database->ReadRecord(slot, header, body), c.read);
        EXPECT_EQ(database->ReadHeader(slot, header), c.headerRead);
        const bool damaged = c.read == kDamaged;
        EXPECT_EQ(body, damaged ? QString("untouched") : c.body);

        // The editor's store loads what could be read and refuses to save over a damaged record.
        LocalMemoStore store(std::move(database));
        store.Jump(true);
        EXPECT_EQ(store.LoadCurrent(), c.body);
        EXPECT_EQ(store.CurrentHeader().title, "title");
        EXPECT_EQ(store.CurrentIsDamaged(), damaged);
        EXPECT_EQ(store.SaveCurrent("saved"), !damaged);
        if (damaged) {
            EXPECT_EQ(ReadBytes(path), image);
        }
    }
}

TEST(LocalDatabaseCheck, EntriesThatCannotBeRightAreFoundFromTheIndexAlone)
{
    QByteArray image(kMiB, '\0');
    const SlotEntry entries[] = {{SlotEntry::kInUse, 2, 0}, {7, 2, 2},   {SlotEntry::kFree, 1, 2},
                                 {SlotEntry::kFree, 3, 5},  {SlotEntry::kInUse, 2, 5}, {SlotEntry::kInUse, 3, 2}};
    for (int slot = 0; slot < 6; ++slot)
        entries[slot].ToBytes(image.data() + slot * SlotEntry::kBytes);
    MemoHeader sound;
    ResetMemoHeader(sound);
    image += sound.ToBytes().repeated(7);
    std::fill_n(image.data() + kBodyAt, kBlock, '\0');     // slot 0's empty body
    std::fill_n(image.data() + kHeaderAt + 12, 256, 'a');   // Title without NUL
    std::fill_n(image.data() + kHeaderAt + 3012, 50, 'b');  // AttachID without NUL
    PutInt32(image, kHeaderAt + 2 * kBlock + 8, 8193);      // slot 5's BodyBytes, never read

    TempFolder folder;
    WriteBytes(folder.Path("check.qrl"), image);
    WriteBytes(folder.Path("check.qrj"), QByteArray()); // a journal made before a save: no damage
    CLocalDatabase db(folder.Path("check.qrl"));
    ASSERT_EQ(db.Open(CLocalDatabase::OpenMode::kReadOnly), CLocalDatabase::kOk);
    const LocalDatabaseCheck check = CheckLocalDatabase(db);
    EXPECT_EQ(Lines(check.problems),
              Lines({"slot 0: Title has no terminator", "slot 0: AttachID has no terminator",
                     "slot 1: state 7 is not valid", "slot 2: 1 blocks, fewer than a record needs",
                     "slot 3: blocks 5 to 7 lie beyond the end of the file", "slots 2 and 5 share block 2",
                     "slots 3 and 4 share block 5"}));
    EXPECT_EQ(check.records, 3);
    EXPECT_EQ(check.freeEntries, 2);
    const std::vector<bool> damaged = SlotsDamagedInIndex(db);
    EXPECT_EQ(std::vector<bool>(damaged.begin(), damaged.begin() + 7),
              std::vector<bool>({false, false, true, true, true, true, false}));
}

} // namespace
