// What the server store sends: each operation's statement as other clients of the tables know
// it (read back from the server's general log), the listing of memo tables with its upgrade,
// and table names, MailIDs and values that must not change any statement.
#include "server_store_fixture.h"

#include "store/table_name.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const QByteArray kFont = QStringLiteral("//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1,ＭＳ Ｐ明朝").toUtf8();
constexpr char kAttachId[] = "abcdefghijklmnopqrstuvwx";

} // namespace

TEST_F(ServerStoreTest, EachOperationSendsItsStatementAsOtherClientsKnowIt)
{
    NewStatements();
    ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
    EXPECT_THAT(NewStatements(),
                ElementsAre("create table memo (nID int not null primary key auto_increment,Title char(128),"
                            "TheKeys text,CreatedAt timestamp,TheDateTime datetime,MainData MEDIUMTEXT,LogFont text,"
                            "AttachID char(24),MailID char(128) default '',INDEX TheDateIndex(TheDateTime),"
                            "INDEX CreatedAtIndex(CreatedAt),INDEX MailIDIndex(MailID)) ENGINE=MyISAM DEFAULT CHARSET=utf8"));

    store.SetTableName(QStringLiteral("memo"));
    MemoHeader first = NewHeader(QStringLiteral("t"), QStringLiteral("k"));
    first.attachId = QString::fromLatin1(kAttachId);
    ASSERT_EQ(store.InsertRecord(first, QStringLiteral("body"), QString()), 1);
    EXPECT_THAT(NewStatements(), ElementsAre("Insert into memo Set Title='t', TheKeys='k', MainData='body', LogFont='" + kFont
                                             + "', TheDateTime=NOW(), AttachID='" + kAttachId + "', MailID=''"));
    EXPECT_EQ(first.mark, 1);
    EXPECT_EQ(store.currentId, 1);

    MemoHeader mail = NewHeader(QStringLiteral("m"));
    ASSERT_EQ(store.InsertRecord(mail, QString(), QStringLiteral("<a@b>")), 1);
    const QList<QByteArray> mailStatements = NewStatements();
    ASSERT_EQ(mailStatements.size(), 2);
    EXPECT_EQ(mailStatements[0], "select count(*) from memo where MailID='<a@b>'");
    EXPECT_EQ(mailStatements[1], "Insert into memo Set Title='m', TheKeys='', MainData='', LogFont='" + kFont
                                     + "', TheDateTime=NOW(), AttachID='" + mail.attachId.toUtf8() + "', MailID='<a@b>'");
    EXPECT_EQ(mail.attachId.size(), 24) << "a fresh AttachID for a record without one";
    MemoHeader again = NewHeader();
    ASSERT_EQ(store.InsertRecord(again, QString(), QStringLiteral("<a@b>")), 1) << "a known mail counts as stored";
    EXPECT_THAT(NewStatements(), ElementsAre("select count(*) from memo where MailID='<a@b>'"));
    EXPECT_EQ(again.mark, MemoHeader::kMark);
    EXPECT_EQ(store.currentId, 2);

    first.title = QStringLiteral("t2");
    ASSERT_EQ(store.UpdateRecord(first, QStringLiteral("b2")), 1);
    EXPECT_THAT(NewStatements(), ElementsAre("Update memo Set Title='t2', TheKeys='k', MainData='b2', Logfont='" + kFont
                                             + "' where nID=1"));

    store.currentId = 1;
    QString body;
    ASSERT_EQ(store.LoadCurrentRecord(body), 1);
    EXPECT_EQ(store.CountRecords(), 2);
    EXPECT_EQ(store.GetNeighbourId(1, 1), 2);
    EXPECT_EQ(store.GetNeighbourId(2, 0), 1);
    EXPECT_EQ(store.GetEdgeId(1), 1);
    EXPECT_EQ(store.GetEdgeId(0), 2);
    EXPECT_EQ(store.DeleteRecord(2), 1);
    EXPECT_EQ(store.CountTableRecords(QStringLiteral("memo")), 1);
    EXPECT_THAT(NewStatements(),
                ElementsAre("select nID,Title,TheKeys,CreatedAt,TheDateTime,MainData,Logfont,AttachID from memo where nID = 1",
                            "select count(*) from memo", "select nID from memo where nID > 1 order by nID limit 1",
                            "select nID from memo where nID < 2 order by nID desc limit 1",
                            "select nID from memo order by nID  limit 1", "select nID from memo order by nID desc limit 1",
                            "Delete from memo where nID=2", "select count(*) from memo"));
    EXPECT_EQ(body, QStringLiteral("b2"));
    EXPECT_EQ(store.record.title, QStringLiteral("t2"));
    EXPECT_EQ(store.record.mark, 1);

    ASSERT_EQ(store.DropTable(QStringLiteral("memo")), 1);
    EXPECT_THAT(NewStatements(), ElementsAre("drop table memo"));
}

TEST_F(ServerStoreTest, ListingUpgradesOldMemoTablesAndLeavesOthersOut)
{
    ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
    const QByteArray memoColumns = "nID int not null primary key auto_increment, Title char(128), TheKeys text, "
                                   "CreatedAt timestamp, MainData MEDIUMTEXT, AttachID char(24)";
    Elsewhere("create table old (" + memoColumns + ", TheDateTime datetime, LogFont text) ENGINE=MyISAM");
    Elsewhere("create table nodate (" + memoColumns + ", LogFont text, MailID char(128)) ENGINE=MyISAM");
    Elsewhere("create table lower (" + memoColumns + ", TheDateTime datetime, logfont text, MailID char(128))");
    Elsewhere("create table other (id int)");
    Elsewhere("create table `odd name` (" + memoColumns + ", LogFont text, MailID char(128))");
    NewStatements();

    QString expected;
    for (const QList<QByteArray>& row : admin->Rows("show tables from `" + Database() + "`")) {
        if (row[0] == "memo" || row[0] == "nodate" || row[0] == "old")
            expected += u'<' + QString::fromUtf8(row[0]) + u'>';
    }
    EXPECT_EQ(store.ListTables(), expected);
    const QList<QByteArray> sent = NewStatements();
    EXPECT_EQ(sent.first(), "show tables");
    EXPECT_TRUE(sent.contains("alter table old ADD COLUMN MailID char(128) default ''"));
    EXPECT_TRUE(sent.contains("alter table old ADD index MailIDIndex(MailID)"));
    for (const QByteArray& statement : sent)
        EXPECT_FALSE(statement.contains("odd")) << "no statement for a name that is not a plain identifier";
    EXPECT_EQ(admin->Rows("show index from `" + Database() + "`.old where Key_name='MailIDIndex'").size(), 1);

    EXPECT_EQ(store.ListTables(), expected) << "an upgraded table is listed the same";
    EXPECT_FALSE(NewStatements().contains("alter table old ADD COLUMN MailID char(128) default ''")) << "upgraded once";
    EXPECT_EQ(store.CountTableRecords(QStringLiteral("memo")), 0);
}

TEST_F(ServerStoreTest, TableNamesThatAreNotPlainIdentifiersSendNothing)
{
    // Any unit outside letters, digits, _, $ and non-ASCII refuses the name; a sample of each kind.
    const QString refused[] = {
        QStringLiteral("memo; drop table memo"), QStringLiteral("memo`"), QStringLiteral("memo--"), QStringLiteral("m'emo"),
        QStringLiteral("m\"emo"), QStringLiteral("memo\\"), QStringLiteral("memo\n"), QStringLiteral("db.memo"),
        QStringLiteral("memo/*x*/"), QStringLiteral("memo#"), QString(), QStringLiteral("123"), QString(65, u'a'),
        QStringLiteral("memo😀"), QString::fromUtf16(u"memo\0x", 6),
    };
    NewStatements();
    for (const QString& name : refused) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(IsPlainTableName(name));
        int needsMailId = 0;
        EXPECT_EQ(store.CreateTable(name), 0);
        EXPECT_EQ(store.DropTable(name), 0);
        EXPECT_EQ(store.CheckTable(name, needsMailId), 0);
        EXPECT_EQ(store.CountTableRecords(name), -1);
        EXPECT_EQ(store.MailIdExists(name, QStringLiteral("x")), 0);
        store.AddMailIdColumn(name);
        store.SetTableName(name);
        store.BeginNew();
        EXPECT_FALSE(store.SaveCurrent(QStringLiteral("x")));
        EXPECT_EQ(store.CountRecords(), -1);
        EXPECT_EQ(store.GetEdgeId(1), -1);
        EXPECT_EQ(store.GetNeighbourId(0, 1), -1);
        EXPECT_EQ(store.DeleteRecord(1), 0);
    }
    EXPECT_THAT(NewStatements(), IsEmpty());

    for (const QString& name : {QStringLiteral("_"), QStringLiteral("$x"), QStringLiteral("メモ"), QStringLiteral("1a"),
                                QString(64, u'a'), QStringLiteral("ｍｅｍｏ　２")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(store.CreateTable(name), 1);
        EXPECT_EQ(store.CountTableRecords(name), 0);
        EXPECT_EQ(store.DropTable(name), 1);
    }
    EXPECT_EQ(store.CreateTable(QStringLiteral("select")), 0) << "a reserved word is refused by the server";
}

TEST_F(ServerStoreTest, HostileMailIdsAndValuesAlterNoStatement)
{
    const QString values[] = {
        QStringLiteral("'"), QStringLiteral("\\"), QStringLiteral("\\'"), QStringLiteral("' or '1'='1"),
        QStringLiteral("'; drop table memo; --"), QStringLiteral("\""), QStringLiteral("`"), QStringLiteral("%"),
        QStringLiteral("_"), QStringLiteral("\n"), QStringLiteral("a\r\nb"), QStringLiteral("\t"), QStringLiteral("\x1a"),
        QStringLiteral("\\0"), QStringLiteral("--"), QStringLiteral("/*"), QStringLiteral("#"), QStringLiteral("');"),
        QStringLiteral("¥'"), QStringLiteral("＼'"), QStringLiteral("ソ\\"), QStringLiteral("'\\"), QStringLiteral("%_'%"),
    };
    ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
    store.SetTableName(QStringLiteral("memo"));
    NewStatements();
    QList<int> ids;
    for (const QString& value : values) {
        MemoHeader header = NewHeader(value, value);
        header.font.lfFaceName = value;
        ASSERT_EQ(store.InsertRecord(header, value, value), 1) << value.toStdString();
        ids.append(header.mark);
    }
    const QList<QByteArray> sent = NewStatements();
    ASSERT_EQ(sent.size(), 2 * std::ssize(values)) << "one look-up and one insert each";
    for (qsizetype i = 0; i < sent.size(); i += 2) {
        EXPECT_TRUE(sent[i].startsWith("select count(*) from memo where MailID='")) << sent[i].toStdString();
        EXPECT_TRUE(sent[i + 1].startsWith("Insert into memo Set Title='")) << sent[i + 1].toStdString();
    }
    EXPECT_EQ(store.CountRecords(), int(std::size(values)));
    EXPECT_EQ(store.ListTables(), QStringLiteral("<memo>"));
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString& value = values[i];
        SCOPED_TRACE(value.toStdString());
        store.currentId = ids[i];
        QString body;
        ASSERT_EQ(store.LoadCurrentRecord(body), 1);
        EXPECT_EQ(body, value);
        EXPECT_EQ(store.record.title, value);
        EXPECT_EQ(store.record.theKeys, value);
        EXPECT_EQ(store.record.font.lfFaceName, value);
        EXPECT_EQ(store.MailIdExists(QStringLiteral("memo"), value), 1);
        EXPECT_EQ(store.UpdateRecord(store.record, value + value), 1);
        EXPECT_EQ(store.LoadCurrent(), value + value);
    }
    EXPECT_EQ(store.MailIdExists(QStringLiteral("memo"), QStringLiteral("' or ''='")), 0);
}
