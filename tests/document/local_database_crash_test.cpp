// Crash injection: every changing file call of each kind of change to a local database (new
// memo, grown, shrunk, same size, deleted, a transaction of several records) is cut once as an
// error, as errors from then on, and as power cuts that keep any part of what was not synced;
// in a session's first change (the journal file is made) and a later one (it is reused). The
// file is then opened again, which recovers it, and checked: it is byte for byte the file before
// or after the change, and so is every memo read from it, so none is lost, torn or duplicated.
#include "crash_file_system.h"
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "document/rollback_journal.h"
#include "support/new_header.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

const QString kPath = QStringLiteral("/crash/Memo.qrl");
constexpr int kPowerCutsPerCall = 12; // seeded draws of what survives, besides none and all

using Fault = CrashFileSystem::Fault;
using Memos = std::map<int, QString>; // slot -> title and body

// Saves `body` as a new memo (position -1) or over the memo at `position`.
int Save(CLocalDatabase& db, int position, const QString& body)
{
    MemoHeader header = NewHeader(position < 0 ? QStringLiteral("new") : QStringLiteral("rewritten"));
    header.createdAt = header.theDateTime = QStringLiteral("2026/12/07 10:00:00");
    return db.SaveRecord(position, header, body);
}

Memos ReadMemos(CLocalDatabase& db)
{
    Memos memos;
    for (int position = 0; position < db.Count(); ++position) {
        MemoHeader header;
        QString body;
        const int slot = db.SlotAt(position);
        memos[slot] = db.ReadRecord(slot, header, body) ? header.title + u'|' + body : QStringLiteral("(damaged)");
    }
    return memos;
}

// Slots 0 to 4: a short memo, 5000 characters (4 blocks), exactly 2048 (2 blocks), a deleted
// memo whose 3 blocks are free, and another short memo; positions 0 to 3 after opening.
QByteArray BaseImage()
{
    CrashFileSystem files;
    CLocalDatabase db(kPath, files);
    EXPECT_EQ(db.Open(), CLocalDatabase::kOk);
    for (const QString& body : {QString(100, u'a'), QString(5000, u'b'), QString(2048, u'c'), QString(3000, u'd'),
                                QStringLiteral("last")})
        Save(db, -1, body);
    EXPECT_EQ(db.DeleteRecord(3), 1);
    return files.Bytes(kPath);
}

struct Scenario {
    const char* name;
    std::function<int(CLocalDatabase&)> change;
};

const Scenario kScenarios[] = {
    {"new memo at the end", [](CLocalDatabase& db) { return Save(db, -1, QStringLiteral("brand new")); }},
    {"new memo in freed blocks", [](CLocalDatabase& db) { return Save(db, -1, QString(3000, u'n')); }},
    {"grown into freed blocks", [](CLocalDatabase& db) { return Save(db, 0, QString(3000, u'g')); }},
    {"grown to the end", [](CLocalDatabase& db) { return Save(db, 2, QString(9000, u'G')); }},
    {"shrunk to one full block", [](CLocalDatabase& db) { return Save(db, 1, QString(2048, u's')); }},
    {"same size", [](CLocalDatabase& db) { return Save(db, 1, QString(5000, u'y')); }},
    {"deleted", [](CLocalDatabase& db) { return db.DeleteRecord(1); }},
    {"transaction of records",
     [](CLocalDatabase& db) {
         db.SetTransactionBuffer(3 * CLocalDatabase::kBlockBytes); // written out twice before the commit
         db.BeginTransaction();
         Save(db, -1, QStringLiteral("note one"));
         Save(db, -1, QString(3000, u'2'));
         Save(db, 0, QStringLiteral("first, edited"));
         db.DeleteRecord(3);
         Save(db, -1, QString(4500, u'3'));
         return db.CommitTransaction();
     }},
};

struct Expected {
    QByteArray oldImage, newImage;
    Memos oldMemos, newMemos;
    int calls = 0;
};

// A session's earlier change, whose journal (longer than most) the next change reuses.
void EarlierChange(CLocalDatabase& db, bool warm)
{
    EXPECT_TRUE(!warm || Save(db, 1, QString(5000, u'w')) == 1);
}

// The change without faults: its result, the file after it and how many calls it makes, up to
// and with the closing of the database.
Expected RunClean(const Scenario& scenario, const QByteArray& base, bool warm)
{
    Expected expected;
    CrashFileSystem files;
    files.Put(kPath, base);
    {
        CLocalDatabase db(kPath, files);
        EXPECT_EQ(db.Open(), CLocalDatabase::kOk);
        EarlierChange(db, warm);
        expected.oldImage = files.Bytes(kPath);
        expected.oldMemos = ReadMemos(db);
        std::srand(42); // the same AttachID in every run
        files.ClearFault();
        EXPECT_EQ(scenario.change(db), 1);
        expected.newImage = files.Bytes(kPath);
        expected.newMemos = ReadMemos(db);
        EXPECT_NE(CheckJournal(files, kPath).found, CRollbackJournal::Found::kHot); // kept until closed
        EXPECT_TRUE(CheckLocalDatabase(db).problems.isEmpty());
    }
    expected.calls = files.Calls();
    EXPECT_EQ(CheckJournal(files, kPath).found, CRollbackJournal::Found::kNone);
    return expected;
}

void Cut(const Scenario& scenario, const QByteArray& base, bool warm, const Expected& expected, Fault fault, int call,
         unsigned seed, int keepPercent)
{
    CrashFileSystem files;
    files.Put(kPath, base);
    int result = 0;
    {
        CLocalDatabase db(kPath, files);
        ASSERT_EQ(db.Open(), CLocalDatabase::kOk);
        EarlierChange(db, warm);
        std::srand(42);
        files.FailAt(call, fault);
        result = scenario.change(db);
        if (fault != Fault::kPowerLoss) { // the open object agrees with what it reported
            EXPECT_EQ(ReadMemos(db), result == 1 ? expected.newMemos : expected.oldMemos);
            // A rollback that failed leaves its journal for the next open to finish.
            const QStringList problems = CheckLocalDatabase(db).problems;
            const QStringList hot{"journal " + db.JournalPath() + " is still there: a save was interrupted"};
            EXPECT_TRUE(problems.isEmpty() || (db.HasFailed() && problems == hot)) << problems.join(u'\n').toStdString();
        }
    }
    if (fault == Fault::kPowerLoss)
        files.LosePower(seed, keepPercent);
    else
        files.ClearFault();
    EXPECT_TRUE(CheckJournal(files, kPath).problems.isEmpty());

    CLocalDatabase reopened(kPath, files);
    ASSERT_EQ(reopened.Open(), CLocalDatabase::kOk);
    EXPECT_EQ(files.Bytes(reopened.JournalPath()), QByteArray()); // recovered: only its own, empty journal
    const LocalDatabaseCheck check = CheckLocalDatabase(reopened);
    EXPECT_TRUE(check.problems.isEmpty()) << check.problems.join(u'\n').toStdString();
    const Memos memos = ReadMemos(reopened);
    EXPECT_TRUE(memos == expected.oldMemos || memos == expected.newMemos);
    const QByteArray image = files.Bytes(kPath);
    EXPECT_TRUE(image == expected.oldImage || image == expected.newImage);
    if (result == 1) {
        EXPECT_EQ(image, expected.newImage) << "reported as saved";
    }
}

TEST(LocalDatabaseCrashTest, EveryCutCallLeavesEachMemoWhollyOldOrWhollyNew)
{
    const QByteArray base = BaseImage();
    int cuts = 0;
    for (const Scenario& scenario : kScenarios) {
        for (const bool warm : {false, true}) {
            const Expected expected = RunClean(scenario, base, warm);
            ASSERT_NE(expected.oldImage, expected.newImage) << scenario.name;
            const char* session = warm ? " (later change)" : " (first change)";
            for (int call = 1; call <= expected.calls; ++call) {
                for (const Fault fault : {Fault::kTransient, Fault::kPersistent}) {
                    SCOPED_TRACE(testing::Message() << scenario.name << session << ": call " << call << " of "
                                                    << expected.calls
                                                    << (fault == Fault::kTransient ? " fails once" : " fails from then on"));
                    Cut(scenario, base, warm, expected, fault, call, 0, 0);
                    ++cuts;
                }
                for (unsigned seed = 0; seed < kPowerCutsPerCall + 2; ++seed) {
                    const int keepPercent = seed == 0 ? 0 : seed == 1 ? 100 : 50;
                    SCOPED_TRACE(testing::Message() << scenario.name << session << ": power cut at call " << call
                                                    << " of " << expected.calls << ", seed " << seed << ", "
                                                    << keepPercent << "% of unsynced changes kept");
                    Cut(scenario, base, warm, expected, Fault::kPowerLoss, call, seed, keepPercent);
                    ++cuts;
                }
                if (HasFailure())
                    return;
            }
        }
    }
    EXPECT_GE(cuts, 2000);
    std::printf("%d cuts\n", cuts);
}

} // namespace
