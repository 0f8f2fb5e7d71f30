// Every statement the server store sends, each once, spelled exactly as other clients of the
// same tables have always seen them (odd double spaces included). Table names must have passed
// IsPlainTableName; text values arrive already escaped on the connection (`escaped...`).
// Each comment names the columns a statement reads or writes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace MemoSql {

// Writes the whole memo table: nID, Title, TheKeys, CreatedAt, TheDateTime, MainData, LogFont,
// AttachID, MailID and the indexes TheDateIndex, CreatedAtIndex, MailIDIndex.
QByteArray CreateTable(const QString& table);
QByteArray DropTable(const QString& table);
// Adds MailID and MailIDIndex to an older memo table (two statements, in this order).
QByteArray AddMailIdColumn(const QString& table);
QByteArray AddMailIdIndex(const QString& table);
// Reads the table names of the database (first column).
QByteArray ShowTables();
// Reads every column of at most one row; only the column names are looked at.
QByteArray FirstRow(const QString& table);
// Reads count(*).
QByteArray Count(const QString& table);
// Reads count(*) of the rows with nID up to `nID`.
QByteArray CountUpTo(const QString& table, int nID);

// Reads nID, Title, TheKeys, CreatedAt, TheDateTime, MainData, Logfont, AttachID of one row.
QByteArray LoadRecord(const QString& table, int nID);
// Writes Title, TheKeys, MainData and Logfont of the row with nID.
QByteArray UpdateRecord(const QString& table, const QByteArray& escapedTitle, const QByteArray& escapedKeys,
                        const QByteArray& escapedBody, const QByteArray& escapedFont, int nID);
// Writes Title, TheKeys, MainData, LogFont, TheDateTime (NOW()), AttachID and MailID of a new row.
QByteArray InsertRecord(const QString& table, const QByteArray& escapedTitle, const QByteArray& escapedKeys,
                        const QByteArray& escapedBody, const QByteArray& escapedFont, const QByteArray& attachId,
                        const QByteArray& escapedMailId);
// Reads count(*) of the rows with MailID.
QByteArray CountMailId(const QString& table, const QByteArray& escapedMailId);
QByteArray DeleteRecord(const QString& table, int nID);

// Reads the nID after (forward) or before fromId.
QByteArray NeighbourId(const QString& table, int fromId, bool forward);
// Reads the smallest (first) or largest nID.
QByteArray EdgeId(const QString& table, bool first);

// The store's own look-ups after a lost INSERT.
// Reads USER of the server thread with this id (no row when the server does not know it).
QByteArray ThreadUser(unsigned long threadId);
QByteArray KillThread(unsigned long threadId);
// Reads nID of a row with this AttachID.
QByteArray FindAttachId(const QString& table, const QByteArray& attachId);

// quirel-db's own reads, of what no operation of the program reads.
// Reads nID, Title, CreatedAt, TheDateTime and the length of MainData in characters, in nID order.
QByteArray ListWithBodyLengths(const QString& table);
// Reads nID and MailID of every row in nID order, or of the row with `nID`.
QByteArray MailIds(const QString& table, std::optional<int> nID = std::nullopt);

// --- list pages ---
// Reads nID, Title, CreatedAt, TheDateTime of up to `rows` rows from topId on, in nID order.
QByteArray ListPage(const QString& table, int topId, int rows);
// Reads nID of the |n| rows after (n > 0) or before (n < 0) fromId, nearest first.
QByteArray PageBoundaryId(const QString& table, int fromId, int n);
// Reads nID, Title, CreatedAt, TheDateTime of the rows where every word occurs in MainData,
// Title or TheKeys (LIKE '%word%'; words escaped, % and _ left as wildcards).
QByteArray SearchPage(const QString& table, const QList<QByteArray>& escapedWords);

} // namespace MemoSql
