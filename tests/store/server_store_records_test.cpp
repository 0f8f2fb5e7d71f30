// Memos on the server as the document meets them: logging in, values that round-trip, saving
// new and existing memos, rows changed by other clients, odd column contents, and moving
// through a table.
#include "server_store_fixture.h"

#include "store/host_field.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;


TEST_F(ServerStoreTest, ConnectingTellsARefusedLoginAndNamesTheStoreWithoutThePort)
{
    ScriptedPrompts refusedPrompts;
    refusedPrompts.answers = {kAnswerOk};
    CServerStore wrongPassword(refusedPrompts);
    EXPECT_EQ(wrongPassword.Connect(account.user, QStringLiteral("wrong"), account.user, HostField()), 0);
    EXPECT_THAT(refusedPrompts.shown, ElementsAre(ConnectFailedText(1045)));
    EXPECT_FALSE(wrongPassword.IsConnected());
    EXPECT_EQ(wrongPassword.ListTables(), QString()) << "an unconnected store sends nothing";
    EXPECT_EQ(wrongPassword.CountRecords(), -1);

    store.SetTableName(QStringLiteral("memo"));
    EXPECT_EQ(store.GetDisplayName(), QStringLiteral("127.0.0.1:%1:memo").arg(account.user));
    QString tableRoot, shareRoot;
    store.GetAttachmentPaths(tableRoot, shareRoot);
    EXPECT_EQ(tableRoot, QStringLiteral("\\\\127.0.0.1\\%1\\Quirel\\memo").arg(account.user));
    EXPECT_EQ(shareRoot, QStringLiteral("\\\\127.0.0.1"));

    EXPECT_EQ(store.Ping(), 0);
    prompts.answers = {kAnswerOk, kAnswerOk};
    for (int i = 0; i < 4; ++i)
        store.ReportLostConnection();
    EXPECT_THAT(prompts.shown, ElementsAre(kConnectionLost, kConnectionLost)) << "on the 1st and the 4th report";
}

TEST(HostFieldTest, APortGoesOnlyToTheConnection)
{
    const struct {
        const char16_t* field;
        const char16_t* name;
        unsigned port;
    } rows[] = {
        {u"hub", u"hub", 0},
        {u"hub:3307", u"hub", 3307},
        {u"10.0.0.5:3306", u"10.0.0.5", 3306},
        {u"[fd00::5]", u"fd00::5", 0},
        {u"[fd00::5]:3307", u"fd00::5", 3307},
        {u"fd00::5", u"fd00::5", 0},       // a bare IPv6 address has no port
        {u"hub:", u"hub:", 0},             // not a port: the library reports the odd name
        {u"hub:99999", u"hub:99999", 0},
        {u"hub:+1", u"hub:+1", 0},
        {u"[fd00::5]x", u"[fd00::5]x", 0},
        {u"", u"", 0},
    };
    for (const auto& row : rows) {
        const HostField parsed = ParseHostField(QString::fromUtf16(row.field));
        EXPECT_EQ(parsed.name, QString::fromUtf16(row.name)) << QString::fromUtf16(row.field).toStdString();
        EXPECT_EQ(parsed.port, row.port) << QString::fromUtf16(row.field).toStdString();
    }
}

TEST_F(ServerStoreTest, ValuesRoundTripUnchangedUpToTenMegabytesAndCharactersTheTableCannotHoldRefuseTheSave)
{
    ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
    store.SetTableName(QStringLiteral("memo"));
    QString large;
    large.reserve(3'500'000);
    while (large.size() < 3'500'000) // about 10 MB of UTF-8
        large += QStringLiteral("日本語の本文です。'\\%_\n");
    // Quotes, backslashes and wildcards: HostileMailIdsAndValuesAlterNoStatement.
    const QString values[] = {QStringLiteral("1\n2\n\n3"), QStringLiteral("会議の予定　（全角）"), QStringLiteral("ｶﾀｶﾅ～〜"), large};
    for (const QString& value : values) {
        store.BeginNew();
        store.record.title = value.left(MemoHeader::kTitleChars);
        store.record.theKeys = value.left(MemoHeader::kKeysChars);
        ASSERT_TRUE(store.SaveCurrent(value));
        const int id = store.currentId;
        store.BeginNew();
        store.currentId = id;
        EXPECT_EQ(store.LoadCurrent(), value) << value.left(20).toStdString();
        EXPECT_EQ(store.record.title, value.left(MemoHeader::kTitleChars));
        EXPECT_EQ(store.record.theKeys, value.left(MemoHeader::kKeysChars));
    }

    NewStatements();
    const QString refused = QStringLiteral("サーバーのデータベースに保存できない文字が含まれているため、保存できませんでした。\n");
    const struct {
        QString title, body, named;
    } rows[] = {
        {QString(), QStringLiteral("絵文字😀と𠮷野家と😀"), QStringLiteral("😀 (U+1F600)、𠮷 (U+20BB7)")},
        {QStringLiteral("題😀"), QStringLiteral("本文"), QStringLiteral("😀 (U+1F600)")},
        {QString(), QString::fromUtf16(u"a\0b", 3), QStringLiteral("U+0000")},
        {QString(), QString(QChar(0xD800)) + u'x', QStringLiteral("U+D800")},
    };
    for (const auto& row : rows) {
        store.BeginNew();
        store.record.title = row.title;
        EXPECT_FALSE(store.SaveCurrent(row.body));
        EXPECT_EQ(store.LastFailureText(), refused + row.named);
        EXPECT_EQ(store.currentId, -1);
    }
    EXPECT_THAT(NewStatements(), IsEmpty());
}

TEST_F(ServerStoreTest, SavingANewMemoTwiceInsertsThenUpdatesAndAMemoDeletedElsewhereIsReported)
{
    ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
    store.SetTableName(QStringLiteral("memo"));
    store.BeginNew();
    store.record.title = QStringLiteral("予定");
    NewStatements();
    ASSERT_TRUE(store.SaveCurrent(QStringLiteral("一回目")));
    const int id = store.currentId;
    ASSERT_TRUE(store.SaveCurrent(QStringLiteral("二回目")));
    EXPECT_EQ(store.currentId, id);
    const QList<QByteArray> sent = NewStatements();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent[0].startsWith("Insert into memo"));
    EXPECT_TRUE(sent[1].startsWith("Update memo"));
    EXPECT_EQ(store.CountRecords(), 1);
    EXPECT_EQ(store.LoadCurrent(), QStringLiteral("二回目"));

    Elsewhere("delete from memo");
    EXPECT_FALSE(store.SaveCurrent(QStringLiteral("三回目")));
    EXPECT_EQ(store.LastFailureText(), QStringLiteral("このデータはサーバー上で削除されているため、保存できませんでした。"));
    EXPECT_EQ(store.UpdateRecord(store.record, QStringLiteral("三回目")), -2);
    EXPECT_EQ(store.CountRecords(), 0) << "nothing was stored in its place";
    EXPECT_EQ(store.DeleteRecord(id), 1) << "deleting a row that is gone matches nothing and succeeds";
}

TEST_F(ServerStoreTest, NullAndUndecodableColumnsReadAsEmpty)
{
    ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
    Elsewhere("insert into memo (nID) values (5)");
    Elsewhere("insert into memo (nID, Title, MainData) values (6, 'x', 'ends with NUL\\0')");
    Elsewhere("create table bin (nID int primary key, Title char(128), TheKeys text, CreatedAt timestamp null,"
              " TheDateTime datetime, MainData blob, LogFont text, AttachID char(24))");
    Elsewhere("insert into bin (nID, Title, MainData) values (1, 'readable', x'C328e38182')");

    store.SetTableName(QStringLiteral("memo"));
    store.currentId = 5;
    store.record.title = QStringLiteral("before");
    EXPECT_EQ(store.LoadCurrent(), QString());
    EXPECT_EQ(store.record.title, QString());
    EXPECT_EQ(store.record.createdAt, QString());
    EXPECT_EQ(store.record.attachId, QString());
    EXPECT_EQ(store.record.mark, 5);
    EXPECT_EQ(store.record.font, FallbackMemoFont()) << "no LogFont text: the new memo font";
    store.currentId = 6;
    EXPECT_EQ(store.LoadCurrent(), QStringLiteral("ends with NUL"));

    EXPECT_TRUE(store.ListTables().contains(QStringLiteral("<bin>"))) << "the column names make a memo table";
    store.SetTableName(QStringLiteral("bin"));
    store.currentId = 1;
    EXPECT_EQ(store.LoadCurrent(), QString()) << "invalid UTF-8 reads as an empty value";
    EXPECT_EQ(store.record.title, QStringLiteral("readable"));
}

TEST_F(ServerStoreTest, MovesWrapAroundAndSurviveRowsDeletedElsewhere)
{
    ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
    store.SetTableName(QStringLiteral("memo"));
    store.BeginNew();
    for (bool direction : {true, false}) {
        store.Step(direction);
        store.Jump(direction);
        EXPECT_EQ(store.GetEdgeId(direction), -1);
    }
    EXPECT_EQ(store.currentId, -1) << "an empty table leaves the new memo";
    EXPECT_EQ(store.Place(), 0);
    EXPECT_EQ(store.GetNeighbourId(-1, 1), -2);

    Elsewhere("insert into memo (nID, MainData) values (3, 'c'), (7, 'g'), (9, 'i')");
    std::vector<int> visited;
    for (int i = 0; i < 4; ++i) {
        store.Step(true);
        visited.push_back(store.currentId);
    }
    store.Step(false);
    visited.push_back(store.currentId);
    store.Jump(false);
    visited.push_back(store.currentId);
    EXPECT_THAT(visited, ElementsAre(3, 7, 9, 3, 9, 9));
    EXPECT_EQ(store.recordCount, 3);

    store.currentId = 7;
    Elsewhere("delete from memo where nID=7");
    QString body = QStringLiteral("kept");
    EXPECT_EQ(store.LoadCurrentRecord(body), 0);
    EXPECT_EQ(body, QStringLiteral("kept"));
    store.Step(false);
    EXPECT_EQ(store.currentId, 3);
    store.currentId = 7;
    store.Step(true);
    EXPECT_EQ(store.currentId, 9);
    EXPECT_EQ(store.LoadCurrent(), QStringLiteral("i"));
    EXPECT_EQ(store.Place(), 2) << "the place counts rows, not nIDs";

    Elsewhere("drop table memo");
    EXPECT_EQ(store.CountRecords(), -1);
    EXPECT_EQ(store.recordCount, 2) << "a failed count keeps the last one";
    EXPECT_EQ(store.Place(), -1);
    store.Step(true);
    EXPECT_EQ(store.currentId, 9);
}
