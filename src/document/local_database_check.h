// The consistency check of an open local database file, as `quirel-db check` runs it: entry
// states, blocks inside the file, no block named by two entries, and for every record its header
// marks, HeaderSize, BodyBytes within the record and the terminators of its string fields.
// It only reads; each problem is one self-contained line of text.
#pragma once

#include "document/local_database.h"

#include <QStringList>

struct LocalDatabaseCheck {
    QStringList problems;
    int records = 0;     // State 1 entries
    int freeEntries = 0; // State 2 entries
    qint64 namedBlocks = 0; // blocks named by State 1 and 2 entries
};

LocalDatabaseCheck CheckLocalDatabase(CLocalDatabase& database);
