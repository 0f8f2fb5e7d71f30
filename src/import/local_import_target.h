// LocalImportTarget: imported notes as new records of a local database file, each in the slot
// FindSlot gives for its body and NUL, written by WriteRecord outside the order list. Records
// go out in batches, each one transaction of the database's journal: a crash keeps every batch
// committed before it and nothing of the one it cut, and the memos that were there before are
// never touched. The order list is rebuilt from the index at the end (and by every open, so
// an import cut short leaves its committed records reachable).
#pragma once

#include "import/import_target.h"

class CLocalDatabase;

class LocalImportTarget : public ImportTarget {
public:
    // A batch ends after this many notes or once the file grew by this many bytes.
    static constexpr int kBatchNotes = 16000;
    static constexpr qint64 kBatchBytes = qint64(128) << 20;
    // The writes the database holds before it writes them out, while the import runs: each
    // time it does, the journal is synced, so a batch is written out in a few large steps.
    static constexpr qint64 kHeldBytes = qint64(24) << 20;

    explicit LocalImportTarget(CLocalDatabase& database, int batchNotes = kBatchNotes);
    ~LocalImportTarget() override;

    void Store(MemoHeader& header, const QString& body) override;
    void Finish() override;

private:
    // Commits the open batch; when that fails, its notes count as not stored.
    void EndBatch();

    CLocalDatabase& m_database;
    int m_batchNotes;
    QStringList m_batch; // titles of the notes written in the open transaction
    qint64 m_batchStartSize = 0;
    qint64 m_heldBefore; // the database's own limit, given back at the end
};
