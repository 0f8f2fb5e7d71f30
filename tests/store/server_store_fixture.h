// A store connected to the shared test server, in an account (user and database) of the
// test's own, and the general log of what that account sent.
#pragma once

#include "document/scripted_prompts.h"
#include "store/server_store.h"
#include "support/test_mariadb.h"

#include <gtest/gtest.h>
#include <memory>

class ServerStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::optional<MariaDbAddress> address = SharedMariaDb();
        ASSERT_TRUE(address) << "no shared server: run through ctest, or `mariadb_fixture start` first";
        Prepare(*address);
    }

    // The account named after the running test, and the store logged in to it.
    void Prepare(const MariaDbAddress& address)
    {
        m_address = address;
        admin = std::make_unique<MariaDbAdmin>(address);
        ASSERT_TRUE(admin->IsConnected());
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        account = admin->CreateAccount(QStringLiteral("t_%1").arg(QString::fromUtf8(test->name())).toLower().left(60));
        ASSERT_EQ(store.Connect(account.user, account.password, account.user, HostField()), 1) << prompts.shown.join(u'\n').toStdString();
    }

    QString HostField() const { return QStringLiteral("%1:%2").arg(m_address.host).arg(m_address.port); }
    QByteArray Database() const { return account.user.toUtf8(); }

    // The statements the account sent since the last call.
    QList<QByteArray> NewStatements()
    {
        const QList<QByteArray> all = admin->StatementsOf(account.user);
        const QList<QByteArray> fresh = all.mid(m_seen);
        m_seen = all.size();
        return fresh;
    }

    // Runs a statement in the account's database as root (another client of the table).
    void Elsewhere(const QByteArray& statement) { ASSERT_TRUE(admin->Exec("use `" + Database() + "`") && admin->Exec(statement)); }

    ScriptedPrompts prompts;
    CServerStore store{prompts};
    std::unique_ptr<MariaDbAdmin> admin;
    MariaDbAccount account;

private:
    MariaDbAddress m_address;
    qsizetype m_seen = 0;
};

// A new memo's header with the given title and keys.
inline MemoHeader NewHeader(const QString& title = {}, const QString& keys = {})
{
    MemoHeader header;
    ResetMemoHeader(header);
    header.title = title;
    header.theKeys = keys;
    return header;
}
