// Message drops on the main window: taken as a copy and refused with message 118 without a
// server table; the registration dialog's progress text and its refusal to close while it runs;
// a message file dropped on a server table of the private MariaDB server, end to end.
#include "app/main_frame.h"
#include "document/quirel_doc.h"
#include "document/scripted_prompts.h"
#include "mail/view/drop_ol_msg.h"
#include "store/server_store.h"
#include "support/temp_files.h"
#include "support/test_account.h"

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Drops `data` on the frame as a file manager does; the action taken (none when refused).
Qt::DropAction DropAsFileManager(CMainFrame& frame, const QMimeData& data)
{
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction); // what a file manager proposes
    static_cast<QObject&>(frame).event(&drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// Clicks 開始 of the registration dialog as soon as it shows.
void StartRegistrationWhenShown()
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!qobject_cast<CDropOLMsg*>(window) || !window->isVisible())
                continue;
            for (QPushButton* button : window->findChildren<QPushButton*>()) {
                if (button->text() == "開始")
                    button->click();
            }
            timer->deleteLater();
        }
    });
    timer->start(10);
}

TEST(MessageDropViewTest, MessageFilesAreTakenAsACopyAndNeedAServerTable)
{
    ScriptedPrompts prompts;
    CMainFrame frame(&prompts);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/m/a.eml"), QUrl::fromLocalFile("/m/b.msg")});
    EXPECT_EQ(DropAsFileManager(frame, data), Qt::CopyAction) << "a move would let the source delete the files";
    prompts.answers = {kAnswerOk};
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts.shown, QStringList{"データをドロップできるのは Outlook のメッセージのみで、Brindle Hub 上のデータベースファイルが開いている必要があります。"});
}

TEST(MessageDropViewTest, TheDialogShowsEachItemAndRunsToItsEnd)
{
    QStringList seen;
    CDropOLMsg* shown = nullptr;
    CDropOLMsg dialog([&](RegistrationProgress& progress) {
        for (int item = 1; item <= 3; ++item) {
            progress.Progress(item, 3);
            seen << shown->findChildren<QLabel*>().last()->text();
            shown->reject(); // キャンセル once started: ignored
        }
    });
    shown = &dialog;
    dialog.show();
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == "開始")
            button->click();
    }
    EXPECT_EQ(seen, QStringList({"1 / 3", "2 / 3", "3 / 3"}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(MessageDropViewTest, AMessageFileDroppedOnAServerTableBecomesAMemoWithItsFilesInItsFolder)
{
    TestAccount server;
    server.OpenSharedAccount("v_");
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    ScriptedPrompts prompts;
    CMainFrame frame(&prompts);
    auto table = std::make_unique<CServerStore>(prompts);
    const QString user = server.account.user;
    ASSERT_EQ(table->Connect(user, server.account.password, user, server.HostField()), 1);
    ASSERT_EQ(table->CreateTable("memo"), 1);
    table->SetTableName("memo");
    frame.Document().AttachServerStore(std::move(table));
    TempFolder files;
    TempFolder mount;
    QSettings().setValue("Brindle Hub/ShareMounts/" + server.serverAddress.host + '/' + user, mount.Path(""));
    WriteBytes(files.Path("m.eml"), "Message-ID: <drop@example.jp>\r\nSubject: =?UTF-8?B?5Lya6K2w?=\r\nMIME-Version: 1.0\r\n"
                                    "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                                    "Content-Type: text/plain; charset=UTF-8\r\n\r\nbody\r\n--b\r\n"
                                    "Content-Type: text/plain; name=a.txt\r\nContent-Disposition: attachment; "
                                    "filename=a.txt\r\n\r\nfile\r\n--b--\r\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(files.Path("m.eml"))});
    StartRegistrationWhenShown();
    EXPECT_EQ(DropAsFileManager(frame, data), Qt::CopyAction);
    QCoreApplication::processEvents(); // the registration, queued until the drop is over

    const auto rows = server.admin->Rows("select Title, AttachID, MailID, nID from `" + server.Database() + "`.memo");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(QString::fromUtf8(rows[0][0]), "会議");
    EXPECT_EQ(rows[0][2], "<drop@example.jp>");
    EXPECT_EQ(ReadBytes(mount.Path("Quirel/memo/") + rows[0][1] + "/a.txt"), "file");
    EXPECT_EQ(frame.Document().CurrentRecord(), rows[0][3].toInt()) << "the new memo is shown";
    EXPECT_TRUE(QFile::exists(files.Path("m.eml"))) << "the dropped file stays";
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join(u'\n').toStdString();
}

} // namespace
