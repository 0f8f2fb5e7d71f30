// The way to a server table against the private test server: the whole open-server command up
// to the open table, the table dialog's create, delete and cancel, a refused login and create,
// server shortcuts with their password, and the keep-alive of the open connection.
#include "connect_fixture.h"

#include "document/text_file.h"
#include "store/server_store.h"
#include "support/test_mariadb.h"

namespace {

QString Refused(int error)
{
    return u"Brindle Hub への接続ができません。VPN 接続が確立されているか、IDやPasswordを確認してください。"
           u"(Error number : %1)"_s.arg(error);
}

class ServerTablesTest : public ConnectTest {
protected:
    void SetUp() override
    {
        const std::optional<MariaDbAddress> address = SharedMariaDb();
        ASSERT_TRUE(address) << "no shared server: run through ctest, or `mariadb_fixture start` first";
        hostField = u"%1:%2"_s.arg(address->host).arg(address->port);
        admin = std::make_unique<MariaDbAdmin>(*address);
        ASSERT_TRUE(admin->IsConnected());
        const QString test = QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
        account = admin->CreateAccount(u"c_"_s + test.toLower().left(40));
    }

    ServerLogin Login(const QString& password = {}) const
    {
        return {hostField, account.user, password.isNull() ? account.password : password};
    }

    // Memo tables made as the program makes them, and `rows` memos in the first.
    void MakeTables(const QStringList& tables, int rows = 0)
    {
        CServerStore maker(prompts);
        ASSERT_EQ(maker.Connect(account.user, account.password, account.user, hostField), 1);
        for (const QString& table : tables)
            ASSERT_EQ(maker.CreateTable(table), 1);
        maker.SetTableName(tables.value(0));
        for (int i = 0; i < rows; ++i) {
            maker.BeginNew();
            ASSERT_TRUE(maker.SaveCurrent(u"memo %1"_s.arg(i)));
        }
    }

    QStringList ServerTables()
    {
        QStringList tables;
        for (const QList<QByteArray>& row : admin->Rows("show tables from `" + account.user.toUtf8() + "`"))
            tables << QString::fromUtf8(row.value(0));
        return tables;
    }

    QString Title(const QString& table, int count) const
    {
        return u"127.0.0.1:%1:%2 データ数 %3 "_s.arg(account.user, table).arg(count);
    }

    QString hostField;
    std::unique_ptr<MariaDbAdmin> admin;
    MariaDbAccount account;
};

TEST_F(ServerTablesTest, TheCommandConnectsCreatesAndOpensATableThenSwitchesToAnother)
{
    // First use: no tables yet; the first press of 新規作成 opens the name box.
    dialogs.logins = {Login()};
    dialogs.tableDialogs = {{kPressCreate, TypeName(u"memo"_s), kPressCreate}};
    prompts.answers = {kAnswerYes};
    connector.OnOpenServerDb();
    EXPECT_THAT(prompts.shown, ElementsAre(u"[接続]  "_s, u"[テーブル選択] <>"_s,
                                           u"通常、データベースファイルは１つ作成すれば十分です。\n"
                                           u"新規にデータベースファイル(memo)を作成しますか？"_s));
    EXPECT_THAT(dialogs.busy, ElementsAre(true, false));
    ASSERT_EQ(doc.Mode(), DocumentMode::kServer);
    EXPECT_EQ(doc.Title(), Title(u"memo"_s, 0));
    EXPECT_EQ(views.modes.back(), true);
    EXPECT_EQ(doc.TextStore().Encoding(), kEncodingUtf8);
    EXPECT_EQ(doc.CurrentRecord(), -1);
    EXPECT_EQ(Remembered(), QStringList({hostField, account.user}));
    EXPECT_FALSE(SettingsFileHolds(account.password.toUtf8()));

    // Again, with the host answering: the open table is closed first; a double click on a
    // table, listed with the others in order, opens it.
    MakeTables({u"work"_s, u"Archive"_s}, 2);
    ASSERT_TRUE(admin->Exec("create table `" + account.user.toUtf8() + "`.other (id int)"));
    const FakePingCommand answering(0);
    prompts.shown.clear();
    views = RecordingViews();
    dialogs.logins = {Login()};
    dialogs.tableDialogs = {{[](TableSelection& s) { s.ActivateEntry(int(s.Tables().indexOf(u"work"_s))); }}};
    connector.OnOpenServerDb();
    EXPECT_THAT(prompts.shown, ElementsAre(u"[接続] %1 %2"_s.arg(hostField, account.user), u"[テーブル選択] <Archive><memo><work>"_s));
    EXPECT_EQ(views.hints.front(), kHintStoreClosed);
    EXPECT_EQ(doc.Title(), Title(u"work"_s, 2));
}

TEST_F(ServerTablesTest, CancelAndDeleteEndTheConnectionAndLeaveAnUntitledText)
{
    MakeTables({u"memo"_s, u"work"_s}, 2);
    // Even a local database open before is closed.
    ASSERT_EQ(CLocalDatabase(folder.Path(u"local.qrl"_s)).CreateFile(), CLocalDatabase::kOk);
    ASSERT_TRUE(doc.OpenLocalDatabase(folder.Path(u"local.qrl"_s)));
    dialogs.tableDialogs = {{kPressCancel}, {Pick(u"memo"_s), kPressDelete, kPressDelete}};
    EXPECT_EQ(connector.OpenServerDatabase(account.user, account.password, account.user, hostField, {}), 0);
    EXPECT_FALSE(doc.IsDatabaseOpen());
    EXPECT_EQ(doc.Title(), u"無題"_s);

    // Deleting: No at the second question keeps the dialog; two Yes drop the table.
    prompts.answers = {kAnswerYes, kAnswerNo, kAnswerYes, kAnswerYes};
    EXPECT_EQ(connector.OpenServerDatabase(account.user, account.password, account.user, hostField, {}), 0);
    const QString ask115 = u"選択したデータベースファイル(memo)を削除します。削除するとmemoに登録されている2件のデータは復活できなくなります。"
                           u" memo以外のデータベースファイルは削除されません）\n\n削除しますか？"_s;
    const QString ask116 = u"データベースファイル(memo,登録件数2件)の削除を実行します。本当によろしいですか？"_s;
    EXPECT_THAT(prompts.shown, ElementsAre(u"[テーブル選択] <memo><work>"_s, u"[テーブル選択] <memo><work>"_s, ask115,
                                           ask116, ask115, ask116));
    EXPECT_EQ(ServerTables(), QStringList({u"work"_s}));
    EXPECT_FALSE(doc.IsDatabaseOpen());
    EXPECT_EQ(doc.Title(), u"無題"_s);
}

TEST_F(ServerTablesTest, ARefusedLoginOrCreateShowsItsMessageAndLeavesNoConnection)
{
    dialogs.logins = {Login(u"wrong"_s)};
    prompts.answers = {kAnswerOk};
    connector.OnOpenServerDb();

    // A name the server refuses, and one that is not a plain name: nothing is sent for it.
    for (const QString& name : {u"select"_s, u"my table"_s}) {
        dialogs.tableDialogs.push_back({kPressCreate, TypeName(name), kPressSelect});
        prompts.answers.insert(prompts.answers.end(), {kAnswerYes, kAnswerOk});
        EXPECT_EQ(connector.OpenServerDatabase(account.user, account.password, account.user, hostField, {}), 0);
        EXPECT_FALSE(doc.IsDatabaseOpen());
    }
    const auto create117 = [](const QString& name) {
        return u"通常、データベースファイルは１つ作成すれば十分です。\n新規にデータベースファイル(%1)を作成しますか？"_s.arg(name);
    };
    const QString failed111 = u"テーブルの作成に失敗しました。"_s;
    EXPECT_THAT(prompts.shown,
                ElementsAre(u"[接続]  "_s, Refused(1045), u"[テーブル選択] <>"_s, create117(u"select"_s), failed111,
                            u"[テーブル選択] <>"_s, create117(u"my table"_s), failed111));
    for (const QByteArray& statement : admin->StatementsOf(account.user))
        EXPECT_FALSE(statement.contains("my table")) << statement.constData();
    EXPECT_TRUE(ServerTables().isEmpty());
}

TEST_F(ServerTablesTest, AShortcutOpensItsTableWithThePasswordAlone)
{
    MakeTables({u"memo"_s, u"work"_s}, 1);
    const QString path = folder.Path(u"work.nbk"_s);
    WriteBytes(path, "//--*Nubrick--*//h=" + hostField.toUtf8() + ";u=" + account.user.toUtf8() + ";f=work;\r\n");
    dialogs.passwords = {u"wrong"_s, account.password};
    prompts.answers = {kAnswerOk};
    EXPECT_FALSE(doc.OpenDocumentFile(path));
    EXPECT_TRUE(doc.OpenDocumentFile(path));
    EXPECT_THAT(prompts.shown, ElementsAre(u"[パスワード入力]"_s, Refused(1045), u"[パスワード入力]"_s));
    EXPECT_EQ(doc.Title(), Title(u"work"_s, 0));
    EXPECT_EQ(views.recentFiles, QStringList({path}));
    EXPECT_FALSE(SettingsFileHolds(account.password.toUtf8()));
}

TEST_F(ServerTablesTest, TheKeepAliveReportsALostConnectionOnTheFirstAndEveryThirdFailedPing)
{
    MakeTables({u"memo"_s});
    ASSERT_EQ(connector.OpenServerDatabase(account.user, account.password, account.user, hostField, u"memo"_s), 1);
    connector.KeepAlive(); // alive: nothing to say
    auto* store = dynamic_cast<CServerStore*>(doc.Store());
    ASSERT_TRUE(store);
    ASSERT_TRUE(admin->Exec("KILL " + QByteArray::number(quint64(store->ThreadId()))));
    prompts.answers = {kAnswerOk, kAnswerOk};
    for (int tick = 0; tick < 4; ++tick)
        connector.KeepAlive();
    const QString lost = u"データベースへの接続が確認できません。VPNで正常に接続されているか、Brindle Hubが動作しているか確認してください。"_s;
    EXPECT_THAT(prompts.shown, ElementsAre(lost, lost));
}

} // namespace
