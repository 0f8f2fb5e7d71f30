// The main window in server mode, against the private test server: the command "Brindle Hub DB
// を開く" switches the window into database mode with the table in its caption, a dropped
// server shortcut opens its table after the password, and the view's timer pings the
// connection.
#include "app/main_frame.h"
#include "app/search_dialog_bar.h"
#include "connect/scripted_connect_prompts.h"
#include "document/quirel_doc.h"
#include "editor/view/quirel_view.h"
#include "store/server_store.h"
#include "support/temp_files.h"
#include "support/test_mariadb.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace FrameCommand;

namespace {

class ServerFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::optional<MariaDbAddress> address = SharedMariaDb();
        ASSERT_TRUE(address) << "no shared server: run through ctest, or `mariadb_fixture start` first";
        hostField = u"%1:%2"_s.arg(address->host).arg(address->port);
        admin = std::make_unique<MariaDbAdmin>(*address);
        const QString test = QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
        account = admin->CreateAccount(u"f_"_s + test.toLower().left(40));
        CServerStore maker(prompts);
        ASSERT_EQ(maker.Connect(account.user, account.password, account.user, hostField), 1);
        ASSERT_EQ(maker.CreateTable(u"memo"_s), 1);
        QSettings().remove(u"Brindle Hub"_s);
        frame.SetConnectPrompts(dialogs, {folder.Path({}), kProbePingCommand});
    }

    void TearDown() override
    {
        EXPECT_TRUE(prompts.Finished()) << "scripted answers left over";
        EXPECT_TRUE(dialogs.Finished()) << "scripted dialogs left over";
    }

    QString Caption(int count) const { return u"127.0.0.1:%1:memo データ数 %2 - Quirel"_s.arg(account.user).arg(count); }

    TempFolder folder;
    ScriptedPrompts prompts;
    ScriptedConnectPrompts dialogs{prompts};
    CMainFrame frame{&prompts};
    QString hostField;
    std::unique_ptr<MariaDbAdmin> admin;
    MariaDbAccount account;
};

TEST_F(ServerFrameTest, TheOpenServerCommandSwitchesTheWindowIntoDatabaseMode)
{
    dialogs.logins = {ServerLogin{hostField, account.user, account.password}};
    dialogs.tableDialogs = {{kPressSelect}};
    frame.RunCommand(kOpenServer);
    ASSERT_EQ(frame.Document().Mode(), DocumentMode::kServer);
    EXPECT_EQ(frame.windowTitle(), Caption(0));
    EXPECT_FALSE(frame.SearchBar()->EncodingButton()->isEnabled());
    EXPECT_EQ(frame.SearchBar()->EncodingButton()->text(), u"UTF-8"_s);
    EXPECT_TRUE(frame.SearchBar()->DatabaseSearchEnabled());
    frame.UpdateCommandStates();
    for (int command : {kFirst, kPrevious, kNext, kLast, kCloseDatabase, kProperties, kOpenServer})
        EXPECT_TRUE(frame.Action(command)->isEnabled()) << command;
    // A new memo on a server table begins with 新規作成; nothing is stored to delete yet.
    for (int command : {kNewMemo, kDeleteMemo})
        EXPECT_FALSE(frame.Action(command)->isEnabled()) << command;

    frame.RunCommand(kCloseDatabase);
    EXPECT_EQ(frame.windowTitle(), u"無題 - Quirel"_s);
    EXPECT_TRUE(frame.SearchBar()->EncodingButton()->isEnabled());
}

TEST_F(ServerFrameTest, ADroppedShortcutOpensItsTableAfterThePassword)
{
    const QString path = folder.Path(u"memo.nbk"_s);
    WriteBytes(path, "//--*Nubrick--*//h=" + hostField.toUtf8() + ";u=" + account.user.toUtf8() + ";f=memo;\r\n");
    dialogs.passwords = {account.password};
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject&>(frame).event(&drop);
    QCoreApplication::processEvents();
    EXPECT_THAT(prompts.shown, testing::ElementsAre(u"[パスワード入力]"_s));
    EXPECT_EQ(frame.windowTitle(), Caption(0));
}

TEST_F(ServerFrameTest, TheViewsTimerPingsTheConnectionAndReportsItLost)
{
    ASSERT_EQ(frame.Connector().OpenServerDatabase(account.user, account.password, account.user, hostField, u"memo"_s), 1);
    auto* store = dynamic_cast<CServerStore*>(frame.Document().Store());
    ASSERT_TRUE(store);
    ASSERT_TRUE(admin->Exec("KILL " + QByteArray::number(quint64(store->ThreadId()))));
    prompts.answers = {kAnswerOk};
    frame.View()->SetKeepAliveInterval(200);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !prompts.shown.isEmpty(); }, 5000));
    frame.View()->SetKeepAliveInterval(30 * 60 * 1000);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown.front(),
              u"データベースへの接続が確認できません。VPNで正常に接続されているか、Brindle Hubが動作しているか確認してください。"_s);
}

} // namespace
