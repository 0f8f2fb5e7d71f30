// The ways to a server table, headless, with every message and dialog in the order shown: the
// open-server command's steps (unsaved work, the probe of the last host, message 114 and the
// VPN manager, the connect dialog, host and user remembered, never the password), then against
// the private test server the table dialog's create, select, cancel and delete, refused logins
// and creates, and server shortcuts. The probe is limited to a FakePingCommand.
#include "connect/server_connector.h"
#include "document/local_database.h"
#include "document/quirel_doc.h"
#include "document/string_table.h"
#include "editor/text_store.h"
#include "fake_ping_command.h"
#include "scripted_connect_prompts.h"
#include "store/server_store.h"
#include "support/test_account.h"

#include <QSettings>
#include <QThread>
#include <gmock/gmock.h>

using namespace Qt::StringLiterals;
using testing::ElementsAre;

namespace {

QString Vpn114(const QString& host)
{
    return u"Brindle Hub(%1) とのVPN接続が確立していません。Brindle Hub VPN Managerを起動しますか？"
           u"（接続先 %1 を変更する場合は、「いいえ」をクリックしてください）"_s.arg(host);
}

QString Create117(const QString& name)
{
    return u"通常、データベースファイルは１つ作成すれば十分です。\n新規にデータベースファイル(%1)を作成しますか？"_s.arg(name);
}

class ConnectFlowTest : public testing::Test, public TestAccount {
protected:
    ConnectFlowTest()
    {
        QSettings().remove(u"Brindle Hub"_s);
        doc.SetServerShortcutOpener([this](const ServerShortcut& shortcut) { return connector.OpenServerShortcut(shortcut); });
    }
    void TearDown() override { EXPECT_TRUE(prompts.Finished() && dialogs.Finished()) << "script left over"; }

    static void Remember(const QString& host, const QString& user)
    {
        QSettings().setValue(u"Brindle Hub/HostName"_s, host);
        QSettings().setValue(u"Brindle Hub/UserID"_s, user);
    }
    static QStringList Remembered()
    {
        return {QSettings().value(u"Brindle Hub/HostName"_s).toString(), QSettings().value(u"Brindle Hub/UserID"_s).toString()};
    }
    static bool SettingsHold(const QString& text)
    {
        QSettings settings;
        settings.sync();
        return ReadBytes(settings.fileName()).contains(text.toUtf8());
    }

    // An account of this test's own on the shared server.
    void Serve()
    {
        OpenSharedAccount(u"c_"_s);
        host = HostField();
    }
    // Memo tables made as the program makes them, with `rows` memos in the first.
    void MakeTables(const QStringList& tables, int rows = 0)
    {
        CServerStore maker(prompts);
        ASSERT_EQ(maker.Connect(account.user, account.password, account.user, host), 1);
        for (const QString& table : tables)
            ASSERT_EQ(maker.CreateTable(table), 1);
        maker.SetTableName(tables.value(0));
        for (int i = 0; i < rows; ++i) {
            maker.BeginNew();
            ASSERT_TRUE(maker.SaveCurrent(u"memo"_s));
        }
    }
    int Open(const QString& table = {})
    {
        return connector.OpenServerDatabase(account.user, account.password, account.user, host, table);
    }
    QString Title(const QString& table, int count) const
    {
        return u"127.0.0.1:%1:%2 データ数 %3 "_s.arg(account.user, table).arg(count);
    }

    TempFolder folder; // stands for the program's folder
    ScriptedPrompts prompts;
    ScriptedConnectPrompts dialogs{prompts};
    RecordingViews views;
    CQuirelDoc doc{prompts, views};
    ServerConnector connector{doc, prompts, dialogs, {folder.Path({}), kProbePingCommand}};
    QString host;
};

TEST_F(ConnectFlowTest, ASilentHostOffersTheVpnManagerAndTheTypedHostAndUserAreKeptEvenWhenRefused)
{
    Remember(u"unit.invalid:3306"_s, u"hanako"_s);
    prompts.answers = {kAnswerNo, kAnswerOk};
    dialogs.logins = {ServerLogin{u"127.0.0.1:1"_s, u"taro"_s, u"secret-word"_s}};
    connector.OnOpenServerDb();
    EXPECT_THAT(prompts.shown, ElementsAre(Vpn114(u"unit.invalid:3306"_s), u"[接続] unit.invalid:3306 hanako"_s, ConnectFailedText(2002)));
    EXPECT_THAT(dialogs.busy, ElementsAre(true, false));
    EXPECT_EQ(Remembered(), QStringList({u"127.0.0.1:1"_s, u"taro"_s}));
    EXPECT_FALSE(SettingsHold(u"secret-word"_s));
    EXPECT_FALSE(doc.IsDatabaseOpen());

    // Yes ends the command after starting the manager, or saying where it was looked for. The
    // probe asks for the host without its port.
    const QString manager = folder.Path(u"bhmanager"_s);
    const FakePingCommand silent(1);
    prompts.shown.clear();
    prompts.answers = {kAnswerYes, kAnswerOk, kAnswerYes};
    connector.OnOpenServerDb();
    EXPECT_EQ(silent.Arguments().last(), u"127.0.0.1"_s);
    WriteScript(manager, "#!/bin/sh\necho \"$#\" > \"$0.started\"\n");
    connector.OnOpenServerDb();
    for (int i = 0; i < 100 && !QFile::exists(manager + u".started"_s); ++i)
        QThread::msleep(50);
    EXPECT_EQ(ReadBytes(manager + u".started"_s), "0\n") << "started without arguments";
    EXPECT_THAT(prompts.shown, ElementsAre(Vpn114(u"127.0.0.1:1"_s),
                                           u"Brindle Hub VPN Managerを起動できませんでした。次の場所を探しました：\n"_s + manager,
                                           Vpn114(u"127.0.0.1:1"_s)));
}

TEST_F(ConnectFlowTest, UnsavedWorkComesFirstAndOnlyASilentOrUntestableHostIsAsked)
{
    doc.TextStore().LoadParagraphs({u"draft"_s});
    doc.SetModifiedFlag();
    prompts.answers = {kAnswerNo, kAnswerNo};
    dialogs.logins = {std::nullopt, std::nullopt, std::nullopt};
    connector.OnOpenServerDb(); // a text: the New command's question; nothing remembered: no probe
    Remember(u"[::1]:3306"_s, u"hanako"_s);
    {
        const FakePingCommand answering(0);
        connector.OnOpenServerDb();
    }
    ServerConnector noIcmp(doc, prompts, dialogs, {folder.Path({}), 0});
    noIcmp.OnOpenServerDb();
    EXPECT_THAT(prompts.shown,
                ElementsAre(u"無題 への変更を保存しますか？"_s, u"[接続]  "_s, u"[接続] [::1]:3306 hanako"_s,
                            u"[エラー] 接続先が応答するか確かめるための ICMP エコーを送れません。"
                            u"ICMP ソケットを使う権限がなく（net.ipv4.ping_group_range）、ping コマンドも使えません。"_s,
                            Vpn114(u"[::1]:3306"_s), u"[接続] [::1]:3306 hanako"_s));
    EXPECT_EQ(Remembered(), QStringList({u"[::1]:3306"_s, u"hanako"_s})) << "cancel writes nothing";

    // A database memo whose save dialog is cancelled ends the command before anything else.
    prompts.shown.clear();
    ASSERT_EQ(CLocalDatabase(folder.Path(u"memo.qrl"_s)).CreateFile(), CLocalDatabase::kOk);
    ASSERT_TRUE(doc.OpenLocalDatabase(folder.Path(u"memo.qrl"_s)));
    doc.SetModifiedFlag();
    prompts.saveDialogs = {{kSaveDialogCancel}};
    connector.OnOpenServerDb();
    EXPECT_EQ(prompts.shown, QStringList({u"[保存ダイアログ]  "_s}));
}

TEST_F(ConnectFlowTest, TheCommandCreatesAndOpensATableInTheDocument)
{
    Serve();
    dialogs.logins = {ServerLogin{host, account.user, account.password}};
    dialogs.tableDialogs = {{kPressCreate, TypeName(u"memo"_s), kPressCreate}}; // the first press opens the box
    prompts.answers = {kAnswerYes};
    connector.OnOpenServerDb();
    EXPECT_THAT(prompts.shown, ElementsAre(u"[接続]  "_s, u"[テーブル選択] <>"_s, Create117(u"memo"_s)));
    ASSERT_EQ(doc.Mode(), DocumentMode::kServer);
    EXPECT_EQ(doc.Title(), Title(u"memo"_s, 0));
    EXPECT_EQ(views.modes.back(), true);
    EXPECT_FALSE(SettingsHold(account.password));

    // Opening again closes the open table first.
    views = RecordingViews();
    EXPECT_EQ(Open(u"memo"_s), 1);
    EXPECT_EQ(views.hints.front(), kHintStoreClosed);

    // A save the table cannot hold is refused in the store's words, and the text stays modified.
    doc.TextStore().LoadParagraphs({u"𠮷野家"_s});
    doc.SetModifiedFlag();
    prompts.answers = {kAnswerOk};
    EXPECT_FALSE(doc.SaveCurrentMemo());
    EXPECT_EQ(prompts.shown.back(), UnstorableCharactersText(u"𠮷 (U+20BB7)"_s));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(ConnectFlowTest, RefusalsCancelAndDeleteLeaveNoConnectionAndAnUntitledText)
{
    Serve();
    MakeTables({u"memo"_s, u"work"_s}, 2);
    ASSERT_EQ(CLocalDatabase(folder.Path(u"local.qrl"_s)).CreateFile(), CLocalDatabase::kOk);
    ASSERT_TRUE(doc.OpenLocalDatabase(folder.Path(u"local.qrl"_s))); // cancel closes it as well
    prompts.answers = {kAnswerOk, kAnswerYes, kAnswerNo, kAnswerYes, kAnswerYes, kAnswerYes, kAnswerOk};
    EXPECT_EQ(connector.OpenServerDatabase(account.user, u"wrong"_s, account.user, host, {}), 0);
    // Cancel; delete (ending at No once); create a name the server refuses.
    dialogs.tableDialogs = {{kPressCancel},
                            {Pick(u"memo"_s), kPressDelete, kPressDelete},
                            {kPressCreate, TypeName(u"select"_s), kPressSelect}};
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(Open(), 0);
        EXPECT_FALSE(doc.IsDatabaseOpen());
        EXPECT_EQ(doc.Title(), u"無題"_s);
    }
    const QString ask115 = u"選択したデータベースファイル(memo)を削除します。削除するとmemoに登録されている2件のデータは復活できなくなります。"
                           u" memo以外のデータベースファイルは削除されません）\n\n削除しますか？"_s;
    const QString ask116 = u"データベースファイル(memo,登録件数2件)の削除を実行します。本当によろしいですか？"_s;
    const QString failed111 = u"テーブルの作成に失敗しました。"_s;
    EXPECT_THAT(prompts.shown,
                ElementsAre(ConnectFailedText(1045), u"[テーブル選択] <memo><work>"_s, u"[テーブル選択] <memo><work>"_s, ask115, ask116,
                            ask115, ask116, u"[テーブル選択] <work>"_s, Create117(u"select"_s), failed111));
}

TEST_F(ConnectFlowTest, AShortcutOpensItsTableWithThePasswordAloneAndRefusesAnUnusableName)
{
    Serve();
    MakeTables({u"memo"_s, u"work"_s});
    const QString path = folder.Path(u"work.nbk"_s);
    for (const QByteArray table : {"my table", ""}) {
        WriteBytes(path, "//--*Nubrick--*//h=" + host.toUtf8() + ";u=" + account.user.toUtf8() + ";f=" + table + ";\r\n");
        prompts.answers = {kAnswerOk};
        EXPECT_FALSE(doc.OpenDocumentFile(path));
    }
    WriteBytes(path, "//--*Nubrick--*//h=" + host.toUtf8() + ";u=" + account.user.toUtf8() + ";f=work;\r\n");
    dialogs.passwords = {std::nullopt, u"wrong"_s, account.password};
    prompts.answers = {kAnswerOk};
    EXPECT_FALSE(doc.OpenDocumentFile(path));
    EXPECT_FALSE(doc.OpenDocumentFile(path));
    EXPECT_TRUE(doc.OpenDocumentFile(path));
    const auto unusable = [](const QString& table) {
        return u"サーバーショートカットのテーブル名(%1)は開けません。テーブル名に使えるのは英数字、_、$ と"
               u"全角の文字で、1～64 文字、数字だけではない名前です。"_s.arg(table);
    };
    EXPECT_THAT(prompts.shown, ElementsAre(unusable(u"my table"_s), unusable({}), u"[パスワード入力]"_s,
                                           u"[パスワード入力]"_s, ConnectFailedText(1045), u"[パスワード入力]"_s));
    EXPECT_EQ(doc.Title(), Title(u"work"_s, 0));
    EXPECT_EQ(views.recentFiles, QStringList({path}));
}

} // namespace
