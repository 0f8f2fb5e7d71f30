// ImportTarget: where imported notes are stored, the one thing in which importing into a local
// database differs from importing into a server table. Stored() counts the notes that are
// stored for good or in the batch being written; a note that is refused, or whose batch is
// undone later, moves to NotStored() under its title, so the two always add up to the notes
// handed over.
#pragma once

#include "document/memo_header.h"

#include <QString>
#include <QStringList>
#include <memory>

class MemoStore;

class ImportTarget {
public:
    virtual ~ImportTarget() = default;

    // Stores one finished note (`header` may take values the store gives it).
    virtual void Store(MemoHeader& header, const QString& body) = 0;
    // Ends the import: what is still in a batch is written out and the store settles.
    virtual void Finish() = 0;

    int Stored() const { return m_stored; }
    const QStringList& NotStored() const { return m_notStored; }

protected:
    int m_stored = 0;
    QStringList m_notStored;
};

// The target of an open store: its local database file or its server table; null for a store
// that takes no imports.
std::unique_ptr<ImportTarget> MakeImportTarget(MemoStore& store);
