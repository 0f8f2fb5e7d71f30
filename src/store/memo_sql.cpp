// The server store's statements (see memo_sql.h). Templates with "{*Table*}" are filled in
// UTF-16 and converted once; the others are joined from UTF-8 pieces.
#include "memo_sql.h"

namespace MemoSql {

namespace {

QByteArray FromTemplate(const char16_t* pieces, const QString& table)
{
    return QString::fromUtf16(pieces).replace(QStringLiteral("{*Table*}"), table).toUtf8();
}

QByteArray Number(long long value)
{
    return QByteArray::number(value);
}

} // namespace

QByteArray CreateTable(const QString& table)
{
    return FromTemplate(u"create table {*Table*} ("
                        u"nID int not null primary key auto_increment,"
                        u"Title char(128),"
                        u"TheKeys text,"
                        u"CreatedAt timestamp,"
                        u"TheDateTime datetime,"
                        u"MainData MEDIUMTEXT,"
                        u"LogFont text,"
                        u"AttachID char(24),"
                        u"MailID char(128) default '',"
                        u"INDEX TheDateIndex(TheDateTime),"
                        u"INDEX CreatedAtIndex(CreatedAt),"
                        u"INDEX MailIDIndex(MailID)"
                        u") ENGINE=MyISAM DEFAULT CHARSET=utf8",
                        table);
}

QByteArray DropTable(const QString& table)
{
    return FromTemplate(u"drop table {*Table*}", table);
}

QByteArray AddMailIdColumn(const QString& table)
{
    return FromTemplate(u"alter table {*Table*} ADD COLUMN MailID char(128) default ''", table);
}

QByteArray AddMailIdIndex(const QString& table)
{
    return FromTemplate(u"alter table {*Table*} ADD index MailIDIndex(MailID)", table);
}

QByteArray ShowTables()
{
    return "show tables";
}

QByteArray FirstRow(const QString& table)
{
    return "select * from " + table.toUtf8() + " limit 1";
}

QByteArray Count(const QString& table)
{
    return "select count(*) from " + table.toUtf8();
}

QByteArray CountUpTo(const QString& table, int nID)
{
    return Count(table) + " where nID <= " + Number(nID);
}

QByteArray LoadRecord(const QString& table, int nID)
{
    return "select nID,Title,TheKeys,CreatedAt,TheDateTime,MainData,Logfont,AttachID from " + table.toUtf8()
           + " where nID = " + Number(nID);
}

QByteArray UpdateRecord(const QString& table, const QByteArray& escapedTitle, const QByteArray& escapedKeys,
                        const QByteArray& escapedBody, const QByteArray& escapedFont, int nID)
{
    QByteArray sql;
    sql.reserve(escapedBody.size() + escapedKeys.size() + 256);
    sql += "Update " + table.toUtf8() + " Set Title='";
    sql += escapedTitle + "', TheKeys='" + escapedKeys + "', MainData='";
    sql += escapedBody;
    sql += "', Logfont='" + escapedFont + "' where nID=" + Number(nID);
    return sql;
}

QByteArray InsertRecord(const QString& table, const QByteArray& escapedTitle, const QByteArray& escapedKeys,
                        const QByteArray& escapedBody, const QByteArray& escapedFont, const QByteArray& attachId,
                        const QByteArray& escapedMailId)
{
    QByteArray sql;
    sql.reserve(escapedBody.size() + escapedKeys.size() + 512);
    sql += "Insert into " + table.toUtf8() + " Set Title='";
    sql += escapedTitle + "', TheKeys='" + escapedKeys + "', MainData='";
    sql += escapedBody;
    sql += "', LogFont='" + escapedFont + "', TheDateTime=NOW(), AttachID='" + attachId + "', ";
    sql += "MailID='" + escapedMailId + "'";
    return sql;
}

QByteArray CountMailId(const QString& table, const QByteArray& escapedMailId)
{
    return "select count(*) from " + table.toUtf8() + " where MailID='" + escapedMailId + "'";
}

QByteArray DeleteRecord(const QString& table, int nID)
{
    return "Delete from " + table.toUtf8() + " where nID=" + Number(nID);
}

QByteArray NeighbourId(const QString& table, int fromId, bool forward)
{
    return "select nID from " + table.toUtf8()
           + (forward ? " where nID > " + Number(fromId) + " order by nID limit 1"
                      : " where nID < " + Number(fromId) + " order by nID desc limit 1");
}

QByteArray EdgeId(const QString& table, bool first)
{
    return "select nID from " + table.toUtf8() + (first ? " order by nID  limit 1" : " order by nID desc limit 1");
}

QByteArray ThreadUser(unsigned long threadId)
{
    return "select USER from information_schema.PROCESSLIST where ID=" + Number(threadId);
}

QByteArray KillThread(unsigned long threadId)
{
    return "KILL " + Number(threadId);
}

QByteArray FindAttachId(const QString& table, const QByteArray& attachId)
{
    return "select nID from " + table.toUtf8() + " where AttachID='" + attachId + "' limit 1";
}

QByteArray ListWithBodyLengths(const QString& table)
{
    return "select nID,Title,CreatedAt,TheDateTime,char_length(MainData) from " + table.toUtf8() + " order by nID";
}

QByteArray MailIds(const QString& table, std::optional<int> nID)
{
    return "select nID,MailID from " + table.toUtf8() + (nID ? " where nID = " + Number(*nID) : QByteArray())
           + " order by nID";
}

// --- list pages ---

QByteArray ListPage(const QString& table, int topId, int rows)
{
    return "select nID,Title, CreatedAt, TheDateTime from " + table.toUtf8() + " where nID >= " + Number(topId)
           + " order by nID limit " + Number(rows);
}

QByteArray PageBoundaryId(const QString& table, int fromId, int n)
{
    return "select nID from " + table.toUtf8()
           + (n > 0 ? " where nID > " + Number(fromId) + " order by nID      limit " + Number(n)
                    : " where nID < " + Number(fromId) + " order by nID desc limit " + Number(-qint64(n)));
}

QByteArray SearchPage(const QString& table, const QList<QByteArray>& escapedWords)
{
    QByteArray condition;
    for (const QByteArray& word : escapedWords) {
        if (!condition.isEmpty())
            condition += " and ";
        condition += "(MainData like '%" + word + "%' or Title like '%" + word + "%' or TheKeys like '%" + word + "%')";
    }
    return "select nID,Title, CreatedAt, TheDateTime from " + table.toUtf8() + " where " + condition;
}

} // namespace MemoSql
