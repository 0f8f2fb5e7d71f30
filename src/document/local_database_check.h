// The consistency check of an open local database file, as `quirel-db check` runs it: entry
// states, blocks inside the file, no block named by two entries, the last slot unused, for
// every record its header marks, HeaderSize, a BodyBytes that is even, fits its area and ends
// the text, the terminators of its string fields, and no journal left by an interrupted save.
// It only reads, each record's header and one character at most once, and never the records
// whose entries alone show damage; each problem is one self-contained line of text.
#pragma once

#include "document/local_database.h"

#include <QStringList>
#include <vector>

struct LocalDatabaseCheck {
    QStringList problems;
    int records = 0;     // State 1 entries
    int freeEntries = 0; // State 2 entries
    qint64 namedBlocks = 0; // blocks named by State 1 and 2 entries
};

LocalDatabaseCheck CheckLocalDatabase(CLocalDatabase& database);

// Per slot: its State 1 or 2 entry alone shows damage (fewer than two blocks, blocks past the
// end of the file, or blocks that another entry also names). Found from the index without
// reading any record, so that readers skip them and a hostile index costs no reads.
std::vector<bool> SlotsDamagedInIndex(const CLocalDatabase& database);

// The journal an interrupted save leaves beside a database file: the file name with ".qrl"
// replaced by ".qrj" ("Memo.qrl" -> "Memo.qrj"), or with ".qrj" appended when it holds no
// ".qrl". The name never holds ".qrl", because every such path opens as a database.
QString JournalPathFor(const QString& databasePath);
