// The connection's dialogs as widgets: the table dialog shows its selection and ends with its
// result on a click, a double click or Escape; the password box stops at 80 characters; the
// connect dialog starts in the password box and hands on the boxes as typed.
#include "connect/table_selection.h"
#include "connect/view/connect_dialog.h"
#include "connect/view/password_dialog.h"
#include "connect/view/sel_table.h"
#include "document/scripted_prompts.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

template <typename T>
T* Child(const QObject& dialog, const char* name)
{
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

TEST(SelTableTest, ShowsTheSortedTablesAndEndsWithTheEntryDoubleClicked)
{
    ScriptedPrompts prompts;
    TableSelection selection(prompts, u"<work><memo>"_s, nullptr);
    CSelTable dialog(selection);
    dialog.show();
    auto* list = Child<QListWidget>(dialog, "tables");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), u"memo"_s);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_FALSE(Child<QLineEdit>(dialog, "newName")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(dialog, "select")->isDefault());

    const QPoint work = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, work); // a double click's first press
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, work);
    EXPECT_EQ(dialog.result(), TableSelection::kSelect);
    EXPECT_EQ(selection.ChosenTable(), u"work"_s);
}

TEST(SelTableTest, CreateOpensTheNameBoxThenAsksAndEscapeCancels)
{
    ScriptedPrompts prompts;
    TableSelection selection(prompts, {}, nullptr);
    CSelTable dialog(selection);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    auto* name = Child<QLineEdit>(dialog, "newName");
    QTest::mouseClick(Child<QPushButton>(dialog, "create"), Qt::LeftButton);
    EXPECT_TRUE(name->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), name);
    QTest::keyClicks(name, u"notes"_s);
    prompts.answers = {kAnswerNo, kAnswerYes};
    QTest::mouseClick(Child<QPushButton>(dialog, "create"), Qt::LeftButton); // No: still open
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(name, Qt::Key_Return); // Enter presses 選択, which creates with a name
    EXPECT_EQ(dialog.result(), TableSelection::kCreate);
    EXPECT_EQ(selection.ChosenTable(), u"notes"_s);
    EXPECT_EQ(prompts.shown.size(), 2);

    TableSelection other(prompts, u"<memo>"_s, nullptr);
    CSelTable cancelled(other);
    cancelled.show();
    QTest::keyClick(&cancelled, Qt::Key_Escape);
    EXPECT_EQ(cancelled.result(), TableSelection::kCancel);
    EXPECT_EQ(other.Result(), TableSelection::kCancel);
}

TEST(ConnectDialogsTest, ThePasswordBoxTakes80CharactersAndTheConnectDialogStartsThere)
{
    CBHPass password;
    QTest::keyClicks(Child<QLineEdit>(password, "password"), QString(100, u'x'));
    EXPECT_EQ(password.Password(), QString(80, u'x'));

    CConnectBH connect(u"unit.example:3307"_s, u"hanako"_s);
    connect.show();
    QApplication::setActiveWindow(&connect);
    EXPECT_EQ(QApplication::focusWidget(), Child<QLineEdit>(connect, "password"));
    QTest::keyClicks(Child<QLineEdit>(connect, "password"), u" pass word "_s);
    const ServerLogin login = connect.Login();
    EXPECT_EQ(login.host, u"unit.example:3307"_s);
    EXPECT_EQ(login.user, u"hanako"_s);
    EXPECT_EQ(login.password, u" pass word "_s) << "taken as typed";
}

} // namespace
