// Imports into a local database file: slots, order and batches; a full file; and a cut at any
// file call, after which reopening finds the earlier memos and exactly the reported ones.
#include "../document/crash_file_system.h"
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "import/local_import_target.h"
#include "import/ren_import.h"
#include "support/new_header.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

namespace {

const QString kPath = QStringLiteral("/import/Memo.qrl");
using Fault = CrashFileSystem::Fault;

// "#s", the title, the body, "#e" for each title.
QByteArray RenFile(const QStringList& titles, const QByteArray& body = "body line")
{
    QByteArray file;
    for (const QString& title : titles)
        file += "#s\n#t" + title.toLatin1() + "\n" + body + "\n#e\n";
    return file;
}

// Title and body length of each memo, in order.
QStringList Memos(CLocalDatabase& db)
{
    QStringList memos;
    for (int position = 0; position < db.Count(); ++position) {
        MemoHeader header;
        QString body;
        const bool read = db.ReadRecord(db.SlotAt(position), header, body) != CLocalDatabase::kDamaged;
        memos << (read ? header.title + u'|' + QString::number(body.size()) : QStringLiteral("(damaged)"));
    }
    return memos;
}

void Add(CLocalDatabase& db, const QString& title, const QString& body)
{
    MemoHeader header = NewHeader(title);
    ASSERT_EQ(db.SaveRecord(-1, header, body), 1);
}

class RenLocalImportTest : public testing::Test {
protected:
    RenImportResult Import(CLocalDatabase& db, const QByteArray& file, int batchNotes = LocalImportTarget::kBatchNotes)
    {
        WriteBytes(m_ren, file);
        LocalImportTarget target(db, batchNotes);
        return ImportRenFile(m_ren, target, CodePage("CP932"));
    }

    TempFolder m_folder;
    QString m_ren = m_folder.Path("notes.ren");
    CrashFileSystem m_files;
};

} // namespace

TEST_F(RenLocalImportTest, NotesFillFreedSlotsThenFollowAndTheOrderGoesBySlot)
{
    CLocalDatabase db(kPath, m_files);
    ASSERT_EQ(db.Open(), CLocalDatabase::kOk);
    Add(db, "A", "first");
    Add(db, "B", "deleted");
    Add(db, "C", "third");
    ASSERT_EQ(db.DeleteRecord(1), 1);
    EXPECT_EQ(Import(db, RenFile({"n1", "n2", "n3"})).stored, 3);
    EXPECT_EQ(Memos(db), QStringList({"A|5", "n1|9", "C|5", "n2|9", "n3|9"}));
    EXPECT_EQ(db.CurrentPosition(), -1);
    EXPECT_TRUE(CheckLocalDatabase(db).problems.isEmpty());

    // Many notes are written in a few transactions.
    QStringList titles;
    for (int i = 0; i < 200; ++i)
        titles << QStringLiteral("bulk %1").arg(i);
    m_files.ClearFault();
    EXPECT_EQ(Import(db, RenFile(titles)).stored, 200);
    EXPECT_LE(m_files.Syncs(), 6);
    EXPECT_EQ(db.Count(), 205);
}

TEST_F(RenLocalImportTest, AFullDatabaseStoresNothingAndNamesEveryNote)
{
    // Every slot but the last (never allocated) holds free blocks too small for a record.
    QByteArray index(CLocalDatabase::kIndexBytes, '\0');
    for (int slot = 0; slot < CLocalDatabase::kSlotCount - 1; ++slot)
        SlotEntry{SlotEntry::kFree, 1, uint32_t(slot)}.ToBytes(index.data() + slot * SlotEntry::kBytes);
    m_files.Put(kPath, index);
    CLocalDatabase db(kPath, m_files);
    ASSERT_EQ(db.Open(), CLocalDatabase::kOk);
    const RenImportResult result = Import(db, RenFile({"one", "two"}));
    EXPECT_EQ(result.stored, 0);
    EXPECT_EQ(result.notStored, QStringList({"one", "two"}));
    EXPECT_EQ(m_files.Bytes(kPath), index);
}

TEST_F(RenLocalImportTest, ACutImportKeepsEarlierMemosAndLeavesExactlyTheReportedOnesReachable)
{
    const QStringList titles{"n1", "n2", "n3", "n4", "n5"};
    constexpr int kBatch = 2; // three transactions
    const QByteArray file = RenFile(titles, QByteArray(3000, 'x'));
    QByteArray base;
    QStringList before;
    {
        CLocalDatabase db(kPath, m_files);
        ASSERT_EQ(db.Open(), CLocalDatabase::kOk);
        Add(db, "old1", QString(5000, u'o'));
        Add(db, "old2", "short");
        base = m_files.Bytes(kPath);
        before = Memos(db);
        m_files.ClearFault();
        ASSERT_EQ(Import(db, file, kBatch).stored, 5);
    }
    const int calls = m_files.Calls();

    int cuts = 0;
    for (int call = 1; call <= calls; ++call) {
        for (int variant = 0; variant < 8; ++variant, ++cuts) {
            const Fault fault = variant == 0 ? Fault::kTransient : variant == 1 ? Fault::kPersistent : Fault::kPowerLoss;
            SCOPED_TRACE(testing::Message() << "call " << call << " of " << calls << ", variant " << variant);
            CrashFileSystem files;
            files.Put(kPath, base);
            QStringList expected = before;
            QStringList unsure; // reported as not stored, yet a cut inside their commit may keep them
            {
                CLocalDatabase db(kPath, files);
                ASSERT_EQ(db.Open(), CLocalDatabase::kOk);
                files.FailAt(call, fault);
                const RenImportResult result = Import(db, file, kBatch);
                EXPECT_EQ(result.stored + result.notStored.size(), titles.size());
                for (const QString& title : titles)
                    (result.notStored.contains(title) ? unsure : expected) << title + QStringLiteral("|3000");
            }
            if (fault == Fault::kPowerLoss)
                files.LosePower(unsigned(variant), variant == 2 ? 0 : variant == 3 ? 100 : 50);
            else
                files.ClearFault();
            CLocalDatabase reopened(kPath, files);
            ASSERT_EQ(reopened.Open(), CLocalDatabase::kOk);
            const LocalDatabaseCheck check = CheckLocalDatabase(reopened);
            EXPECT_TRUE(check.problems.isEmpty()) << check.problems.join(u'\n').toStdString();
            const QStringList memos = Memos(reopened);
            if (fault == Fault::kTransient) { // the failed batch was rolled back
                EXPECT_EQ(memos, expected);
                continue;
            }
            // When the journal cannot be finished or rolled back, the next open decides whether
            // the batch stays; the reopened file never has less than was reported.
            EXPECT_EQ(memos.mid(0, before.size()), before);
            for (const QString& memo : expected)
                EXPECT_TRUE(memos.contains(memo)) << memo.toStdString() << " reported stored is gone";
            for (const QString& memo : memos)
                EXPECT_TRUE(expected.contains(memo) || unsure.contains(memo)) << memo.toStdString();
        }
    }
    EXPECT_GT(cuts, 50);
}
