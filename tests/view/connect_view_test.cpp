// The connection's widgets: the table dialog ends with its result on a double click or Enter
// after the first press of 新規作成 opened the name box; the password box stops at 80
// characters; and, against the private test server, the main window's command opens a table in
// database mode and the view's timer pings the connection.
#include "app/main_frame.h"
#include "app/search_dialog_bar.h"
#include "connect/scripted_connect_prompts.h"
#include "connect/view/password_dialog.h"
#include "connect/view/sel_table.h"
#include "document/quirel_doc.h"
#include "editor/view/quirel_view.h"
#include "store/server_store.h"
#include "support/temp_files.h"
#include "support/test_account.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace FrameCommand;

namespace {

TEST(ConnectViewTest, TheTableDialogEndsOnADoubleClickOrCreatesOnceTheNameBoxIsOpen)
{
    ScriptedPrompts prompts;
    TableSelection tables(prompts, u"<work><memo>"_s, nullptr);
    CSelTable chooser(tables);
    chooser.show();
    auto* list = chooser.findChild<QListWidget*>(u"tables"_s);
    EXPECT_EQ(list->item(0)->text(), u"memo"_s);
    const QPoint work = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, work); // a double click's first press
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, work);
    EXPECT_EQ(chooser.result(), TableSelection::kSelect);
    EXPECT_EQ(tables.ChosenTable(), u"work"_s);

    TableSelection empty(prompts, {}, nullptr);
    CSelTable creator(empty);
    creator.show();
    auto* name = creator.findChild<QLineEdit*>(u"newName"_s);
    EXPECT_FALSE(name->isEnabled());
    QTest::mouseClick(creator.findChild<QPushButton*>(u"create"_s), Qt::LeftButton);
    QTest::keyClicks(name, u"notes"_s);
    prompts.answers = {kAnswerYes};
    QTest::keyClick(name, Qt::Key_Return); // 選択 with a name creates
    EXPECT_EQ(creator.result(), TableSelection::kCreate);
    EXPECT_EQ(empty.ChosenTable(), u"notes"_s);

    CBHPass password;
    QTest::keyClicks(password.findChild<QLineEdit*>(u"password"_s), QString(100, u'x'));
    EXPECT_EQ(password.Password(), QString(80, u'x'));
}

TEST(ConnectViewTest, TheOpenServerCommandSwitchesTheWindowAndItsTimerPingsTheConnection)
{
    TestAccount server;
    server.OpenSharedAccount(u"v_"_s);
    ASSERT_FALSE(HasFatalFailure());
    TempFolder folder;
    ScriptedPrompts prompts;
    ScriptedConnectPrompts dialogs(prompts);
    CMainFrame frame(&prompts);
    frame.SetConnectPrompts(dialogs, {folder.Path({}), kProbePingCommand});
    QSettings().remove(u"Brindle Hub"_s);
    dialogs.logins = {ServerLogin{server.HostField(), server.account.user, server.account.password}};
    dialogs.tableDialogs = {{kPressCreate, TypeName(u"memo"_s), kPressCreate}};
    prompts.answers = {kAnswerYes};
    frame.RunCommand(kOpenServer);
    EXPECT_EQ(frame.windowTitle(), u"127.0.0.1:%1:memo データ数 0 - Quirel"_s.arg(server.account.user));
    EXPECT_FALSE(frame.SearchBar()->EncodingButton()->isEnabled());
    EXPECT_TRUE(frame.SearchBar()->DatabaseSearchEnabled());
    frame.UpdateCommandStates();
    for (int command : {kFirst, kNext, kCloseDatabase, kProperties})
        EXPECT_TRUE(frame.Action(command)->isEnabled()) << command;
    EXPECT_FALSE(frame.Action(kNewMemo)->isEnabled()) << "a server table begins a new memo with 新規作成";

    auto* store = dynamic_cast<CServerStore*>(frame.Document().Store());
    ASSERT_TRUE(store);
    ASSERT_TRUE(server.admin->Exec("KILL " + QByteArray::number(quint64(store->ThreadId()))));
    prompts.shown.clear();
    prompts.answers = {kAnswerOk};
    frame.View()->SetKeepAliveInterval(200);
    EXPECT_TRUE(QTest::qWaitFor([&prompts] { return !prompts.shown.isEmpty(); }, 5000));
    frame.View()->SetKeepAliveInterval(30 * 60 * 1000);
    EXPECT_EQ(prompts.shown, QStringList({kConnectionLost}));
    EXPECT_TRUE(prompts.Finished() && dialogs.Finished());
}

} // namespace
