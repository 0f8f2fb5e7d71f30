// The way to a server table, headless: the open-server command's steps in order (unsaved
// work, the probe of the last host, message 114 and the VPN manager, the connect dialog, host
// and user remembered at OK, never the password) and server shortcuts refused before their
// password. The flows that reach a server's tables are in server_tables_test.cpp.
#include "connect_fixture.h"

#include "document/server_shortcut.h"

#include <QFile>
#include <QThread>

namespace {

const QString kRefused =
    u"Brindle Hub への接続ができません。VPN 接続が確立されているか、IDやPasswordを確認してください。(Error number : 2002)"_s;

QString Vpn114(const QString& host)
{
    return u"Brindle Hub(%1) とのVPN接続が確立していません。Brindle Hub VPN Managerを起動しますか？"
           u"（接続先 %1 を変更する場合は、「いいえ」をクリックしてください）"_s.arg(host);
}

// Waits up to five seconds for a file that a detached program writes.
QByteArray AwaitFile(const QString& path)
{
    for (int i = 0; i < 100 && !QFile::exists(path); ++i)
        QThread::msleep(50);
    return QFile::exists(path) ? ReadBytes(path) : QByteArray();
}

TEST_F(ConnectTest, TheCommandProbesTheLastHostOffersTheVpnManagerAndRemembersWhatWasTyped)
{
    // A silent host, No: the dialog opens on what was remembered; a refused connection still
    // leaves host and user remembered, never the password.
    Remember(u"unit.invalid:3306"_s, u"hanako"_s);
    prompts.answers = {kAnswerNo, kAnswerOk};
    dialogs.logins = {ServerLogin{u"127.0.0.1:1"_s, u"taro"_s, u"secret-word"_s}};
    connector.OnOpenServerDb();
    EXPECT_THAT(prompts.shown, ElementsAre(Vpn114(u"unit.invalid:3306"_s), u"[接続] unit.invalid:3306 hanako"_s, kRefused));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kYesNo);
    EXPECT_THAT(dialogs.busy, ElementsAre(true, false));
    EXPECT_FALSE(doc.IsDatabaseOpen());
    EXPECT_EQ(Remembered(), QStringList({u"127.0.0.1:1"_s, u"taro"_s}));
    EXPECT_FALSE(SettingsFileHolds("secret-word"));

    // Yes starts the manager beside the program and ends the command; when it is missing the
    // user learns where it was looked for. The probe goes to the host without its port.
    const FakePingCommand silent(1);
    prompts.shown.clear();
    prompts.answers = {kAnswerYes, kAnswerOk};
    connector.OnOpenServerDb();
    EXPECT_EQ(silent.Arguments().last(), u"127.0.0.1"_s);
    EXPECT_THAT(prompts.shown, ElementsAre(Vpn114(u"127.0.0.1:1"_s),
                                           u"Brindle Hub VPN Managerを起動できませんでした。次の場所を探しました：\n"_s +
                                               folder.Path(u"bhmanager"_s)));

    const QString manager = folder.Path(u"bhmanager"_s);
    WriteBytes(manager, "#!/bin/sh\necho \"$#\" > \"$0.started\"\n");
    QFile::setPermissions(manager, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    prompts.shown.clear();
    prompts.answers = {kAnswerYes};
    connector.OnOpenServerDb();
    EXPECT_EQ(AwaitFile(manager + u".started"_s), "0\n"); // started without arguments
    EXPECT_THAT(prompts.shown, ElementsAre(Vpn114(u"127.0.0.1:1"_s)));
}

TEST_F(ConnectTest, TheDialogComesWithoutAQuestionWhenNoHostIsRememberedOrTheHostAnswers)
{
    dialogs.logins = {std::nullopt, std::nullopt};
    connector.OnOpenServerDb(); // first use: no probe at all
    EXPECT_FALSE(QSettings().contains(u"Brindle Hub/HostName"_s)); // cancel writes nothing

    Remember(u"[::1]:3306"_s, u"hanako"_s);
    const FakePingCommand answering(0);
    connector.OnOpenServerDb();
    EXPECT_EQ(answering.Arguments().last(), u"::1"_s);
    EXPECT_THAT(prompts.shown, ElementsAre(u"[接続]  "_s, u"[接続] [::1]:3306 hanako"_s));
    EXPECT_TRUE(dialogs.busy.empty());
}

TEST_F(ConnectTest, WithoutAWayToSendAnEchoTheUserIsToldAndTheHostCountsAsSilent)
{
    ServerConnector noIcmp(doc, prompts, dialogs, {folder.Path({}), 0});
    Remember(u"127.0.0.1"_s, u"hanako"_s);
    prompts.answers = {kAnswerNo};
    dialogs.logins = {std::nullopt};
    noIcmp.OnOpenServerDb();
    EXPECT_THAT(prompts.shown,
                ElementsAre(u"[エラー] 接続先が応答するか確かめるための ICMP エコーを送れません。"
                            u"ICMP ソケットを使う権限がなく（net.ipv4.ping_group_range）、ping コマンドも使えません。"_s,
                            Vpn114(u"127.0.0.1"_s), u"[接続] 127.0.0.1 hanako"_s));
}

TEST_F(ConnectTest, UnsavedWorkIsSettledBeforeTheProbe)
{
    // A text: the New command's question, and the command goes on whatever the answer.
    doc.TextStore().LoadParagraphs({u"draft"_s});
    doc.SetModifiedFlag();
    prompts.answers = {kAnswerNo};
    dialogs.logins = {std::nullopt};
    connector.OnOpenServerDb();
    EXPECT_THAT(prompts.shown, ElementsAre(u"無題 への変更を保存しますか？"_s, u"[接続]  "_s));

    // A database memo: cancelling the save dialog ends the command before anything else.
    prompts.shown.clear();
    ASSERT_EQ(CLocalDatabase(folder.Path(u"memo.qrl"_s)).CreateFile(), CLocalDatabase::kOk);
    ASSERT_TRUE(doc.OpenLocalDatabase(folder.Path(u"memo.qrl"_s)));
    doc.SetModifiedFlag();
    Remember(u"unit.invalid"_s, {});
    prompts.saveDialogs = {{kSaveDialogCancel}};
    connector.OnOpenServerDb();
    EXPECT_THAT(prompts.shown, ElementsAre(u"[保存ダイアログ]  "_s));
    EXPECT_EQ(doc.Mode(), DocumentMode::kLocalDatabase);
}

TEST_F(ConnectTest, AShortcutToATableNoServerCouldNameIsRefusedBeforeThePassword)
{
    for (const QString& table : {u"my table"_s, u""_s, u"12"_s}) {
        const QString path = folder.Path(u"work.nbk"_s);
        WriteBytes(path, "//--*Nubrick--*//h=127.0.0.1;u=hanako;f=" + table.toUtf8() + ";\r\n");
        prompts.answers = {kAnswerOk};
        EXPECT_FALSE(doc.OnOpenDocument(path));
    }
    // A good name asks the password; cancelling it opens nothing.
    WriteBytes(folder.Path(u"work.nbk"_s), "//--*Nubrick--*//h=127.0.0.1;u=hanako;f=work;\r\n");
    dialogs.passwords = {std::nullopt};
    EXPECT_FALSE(doc.OnOpenDocument(folder.Path(u"work.nbk"_s)));

    const auto refused = [](const QString& table) {
        return u"サーバーショートカットのテーブル名(%1)は開けません。テーブル名に使えるのは英数字、_、$ と"
               u"全角の文字で、1～64 文字、数字だけではない名前です。"_s.arg(table);
    };
    EXPECT_THAT(prompts.shown, ElementsAre(refused(u"my table"_s), refused({}), refused(u"12"_s), u"[パスワード入力]"_s));
    EXPECT_TRUE(views.recentFiles.isEmpty());
    EXPECT_FALSE(doc.IsDatabaseOpen());
}

} // namespace
