// Message drops on the main window: taken as a copy and refused with message 118 without a
// server table; the registration dialog's progress text and its refusal to close while it runs.
#include "app/main_frame.h"
#include "document/scripted_prompts.h"
#include "mail/view/drop_ol_msg.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(MessageDropViewTest, MessageFilesAreTakenAsACopyAndNeedAServerTable)
{
    ScriptedPrompts prompts;
    CMainFrame frame(&prompts);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/m/a.eml"), QUrl::fromLocalFile("/m/b.msg")});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction); // what a file manager proposes
    static_cast<QObject&>(frame).event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "a move would let the source delete the files";
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

} // namespace
