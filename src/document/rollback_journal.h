// CRollbackJournal: the rollback journal of a local database file, kept beside it while a
// writer has the file open ("Memo.qrl" -> "Memo.qrj"; its name never contains ".qrl", because
// every path that does is opened as a database).
//
// The journal holds the old image of every page (4096 bytes, aligned to the file's start) of the
// database that a transaction overwrites, and the file's size before the transaction, so that
// rolling back restores each page and truncates away whatever was appended.
//
// Format (little-endian): a header { "QuirelJ1", salt u64, original size i64, final size i64,
// final hash u64, range count u32, 0 u32, ranges { offset i64, size i64 }, checksum u64 of all
// before it }, then records { page offset i64, length u32, 0 u32, the old bytes, checksum u64
// over salt, record head and bytes }. The salt is new for every transaction, so a record left
// from an earlier journal never passes. Records are read up to the first that does not pass.
// A transaction written out at once (every save but a long import) names its final state in the
// header: the final size and a hash of the bytes it leaves in the ranges it writes. Finding that
// state whole in the database means the transaction is over, and the journal is not rolled
// back; a longer transaction gives final size -1, and its commit zeroes the header instead.
//
// INVARIANTS
//   (1) No byte of the database below its original size is overwritten until the old image of its
//       page is in the journal, synced, and the journal's folder entry is synced [Protect].
//   (2) No byte is appended to the database until the journal's header (the original size) is
//       synced with its folder entry [Protect], so appends are undone by truncation.
//   (3) A transaction ends when every write of it is synced and either the journal names that
//       final state or its header is then zeroed and synced [Finish], or when a rollback has
//       written back every image, synced, and removed the journal [RollBack].
//   (4) A database beside a complete journal whose final state it does not hold is not the
//       committed state: a writer rolls the journal back before it reads anything; a reader
//       reads through it [Overlay].
//   (5) A journal whose header does not pass is not complete: by (1) and (2) nothing of its
//       transaction reached the database, and it is removed unread [Discard].
//   (6) Each page is journalled once per transaction, with its image from before the
//       transaction; later writes to the page do not change the journal.
// A writer makes its journal file when it opens [Prepare] and keeps it between transactions
// (empty, zeroed, or naming a final state the database holds) until it closes [Close]: a save
// then costs no folder sync after the first, only two file syncs (journal, then database).
//
// STATES
//   CLEAN        no journal file, or one with a zeroed header or whose final state the
//                database holds; the database is committed.
//   OPEN         [Begin] a transaction has begun; nothing written yet.
//   JOURNALLED   [Protect] header and images are synced; the database may now be written.
//   CLEAN        [Finish] the transaction's writes were synced by the caller (and the
//                header zeroed, when it names no final state).
//   CLEAN        [RollBack] images written back, file truncated and synced; journal removed.
//   HOT          a crash left a complete journal; [Load] finds it, [RollBack] ends it.
#pragma once

#include "document/file_system.h"

#include <QByteArray>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

class CRollbackJournal {
public:
    static constexpr qint64 kPageBytes = 4096;
    // What lies beside the database: nothing; a journal to roll back; the journal of a
    // transaction that finished; one torn or zeroed (nothing of it reached the database);
    // another file under its name; a journal that cannot be read.
    enum class Found { kNone, kHot, kCommitted, kIncomplete, kForeign, kUnreadable };

    static QString PathFor(const QString& databasePath);

    CRollbackJournal(FileSystem& files, const QString& databasePath);
    const QString& Path() const { return m_path; }

    // Makes the (empty) journal file for a writer's session: a writer that cannot make it
    // beside the database could not save.
    bool Prepare(int* error = nullptr);
    // OPEN: a transaction over a database of `originalSize` bytes; no journal file yet.
    void Begin(qint64 originalSize);
    bool IsOpen() const { return m_originalSize >= 0; }
    // Journals the pages below the original size that the writes touch and that are not
    // journalled yet, read from `database`; syncs the journal (and its folder entry when it is
    // new). After it succeeds the writes may be made in place. `last`: no writes follow in
    // this transaction.
    bool Protect(DatabaseFile& database, const std::vector<FileWrite>& writes, bool last);
    // Ends a transaction whose writes the caller has synced: zeroes the journal's header and
    // syncs it. False when that failed: the transaction is then not over; roll it back.
    bool Finish();
    // Writes back every old image, truncates to the original size, syncs and removes the
    // journal. Also ends a hot journal found by Load.
    bool RollBack(DatabaseFile& database);

    // The writer closes: its idle journal is removed (a hot one stays for the next open).
    void Close();

    // Reads the journal on disk, if any, and compares `database` with the final state it
    // names; for kHot the images and original size are loaded.
    Found Load(DatabaseFile& database);
    // Removes a journal that needs no rollback.
    bool Discard();

    // Replaces bytes read from the database by the journal's old images.
    void Overlay(qint64 offset, char* data, qint64 size) const;
    qint64 OriginalSize() const { return m_originalSize; }
    int PageCount() const { return int(m_images.size()); }

private:
    void Clear();

    FileSystem& m_files;
    QString m_path;
    std::unique_ptr<DatabaseFile> m_file; // the journal while a transaction writes it
    quint64 m_salt = 0;
    qint64 m_originalSize = -1;
    qint64 m_journalBytes = 0;
    bool m_entryDurable = false; // the journal's folder entry is synced
    bool m_namesFinalState = false;
    bool m_protected = false; // the database may differ from its images: a rollback must write
    std::map<qint64, QByteArray> m_images; // page offset -> image before the transaction
};

// The read-only check of the journal beside a database, for tests: what lies there and whether
// its records are sound. A torn last record is what a crash leaves and is not a problem.
struct JournalCheck {
    CRollbackJournal::Found found = CRollbackJournal::Found::kNone;
    qint64 originalSize = -1;
    int pages = 0;
    QStringList problems;
};

JournalCheck CheckJournal(FileSystem& files, const QString& databasePath);
