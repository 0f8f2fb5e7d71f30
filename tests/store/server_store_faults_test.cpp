// A server that dies, restarts or stalls under a store, on a private server of the test's own
// with short time-outs: no crash, no lost edit, no memo stored twice, and a message that says
// what happened.
#include "server_store_fixture.h"

#include <QElapsedTimer>
#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;


class ServerStoreFaultTest : public ServerStoreTest {
protected:
    // Short enough to meet a stalled server soon, long enough that a sound server on a loaded
    // machine (connects, KILL, commits) answers within them.
    static constexpr unsigned kTimeoutSeconds = 5;

    void SetUp() override
    {
        const QString name = QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
        server = std::make_unique<TestMariaDbServer>(PrivateMariaDbFolder(name));
        QString error;
        ASSERT_TRUE(server->Start(error)) << error.toStdString();
        store.SetTimeouts({kTimeoutSeconds, kTimeoutSeconds, kTimeoutSeconds});
        OpenAccount(QStringLiteral("t_"), server->Address());
        LogIn();
        ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
        store.SetTableName(QStringLiteral("memo"));
    }

    // Restarts the server and looks at the table afresh: nID and MainData of every row.
    QList<QList<QByteArray>> RowsAfter(bool restart)
    {
        QString error;
        if (restart) {
            EXPECT_TRUE(server->Restart(error)) << error.toStdString();
        }
        admin = std::make_unique<MariaDbAdmin>(server->Address());
        return admin->Rows("select nID, MainData from `" + Database() + "`.memo order by nID");
    }

    std::unique_ptr<TestMariaDbServer> server;
};

TEST_F(ServerStoreFaultTest, AServerKilledAndRestartedBetweenSavesLosesNothing)
{
    store.BeginNew();
    ASSERT_TRUE(store.SaveCurrent(QStringLiteral("一")));
    const int first = store.currentId;

    server->Kill();
    RowsAfter(true);
    EXPECT_TRUE(store.SaveCurrent(QStringLiteral("二"))) << "the update is repeated on a new connection";
    server->Kill();
    RowsAfter(true);
    store.BeginNew();
    EXPECT_TRUE(store.SaveCurrent(QStringLiteral("新"))) << "the insert is repeated once it surely did not land";
    const int second = store.currentId;
    EXPECT_THAT(prompts.shown, IsEmpty()) << "a server that is back needs no word from the user";

    server->Kill();
    prompts.answers = {kAnswerOk};
    EXPECT_FALSE(store.SaveCurrent(QStringLiteral("新2")));
    EXPECT_THAT(prompts.shown, ElementsAre(kConnectionLost));
    EXPECT_EQ(store.currentId, second);
    EXPECT_THAT(RowsAfter(true), ElementsAre(ElementsAre(QByteArray::number(first), "二"),
                                             ElementsAre(QByteArray::number(second), "新")));
    EXPECT_TRUE(store.SaveCurrent(QStringLiteral("新2"))) << "no password asked again";
    EXPECT_THAT(RowsAfter(false), ElementsAre(ElementsAre(QByteArray::number(first), "二"),
                                              ElementsAre(QByteArray::number(second), "新2")));
}

TEST_F(ServerStoreFaultTest, AStalledServerOrALockedTableNeitherHangsNorStoresTwice)
{
    store.BeginNew();
    server->Pause();
    prompts.answers = {kAnswerOk};
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(store.SaveCurrent(QStringLiteral("止まった")));
    // A read and a connect time-out; the store's own 30 s read time-out would overrun this.
    EXPECT_LT(waited.elapsed(), 4 * kTimeoutSeconds * 1000);
    EXPECT_THAT(prompts.shown, ElementsAre(kConnectionLost));
    EXPECT_EQ(store.currentId, -1) << "still a new memo";
    server->Resume();
    EXPECT_TRUE(store.SaveCurrent(QStringLiteral("動いた")));
    EXPECT_THAT(RowsAfter(false), ElementsAre(ElementsAre(QByteArray::number(store.currentId), "動いた")));

    // Another client's lock makes the INSERT wait past the read time-out while the server runs.
    MariaDbAdmin locker(server->Address());
    ASSERT_TRUE(locker.Exec("lock tables `" + Database() + "`.memo write"));
    store.BeginNew();
    EXPECT_FALSE(store.SaveCurrent(QStringLiteral("待った")));
    EXPECT_EQ(store.LastFailureText(),
              QStringLiteral("サーバーとの接続が切れ、保存が済んだか確かめられないため、保存を中止しました。"));
    ASSERT_TRUE(locker.Exec("unlock tables"));
    EXPECT_TRUE(store.SaveCurrent(QStringLiteral("待った")));
    EXPECT_EQ(RowsAfter(false).size(), 2) << "stored once";
    EXPECT_THAT(prompts.shown, ElementsAre(kConnectionLost));
}
