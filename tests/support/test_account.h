// A test's own account on a test server: the user and database named `prefix` plus the running
// test's name, root's connection that made them, and the statements the account sent (from the
// general log), so that tests running in parallel never see each other's tables or statements.
#pragma once

#include "support/test_mariadb.h"

#include <gtest/gtest.h>
#include <memory>

// The messages for a refused login (with the server's error number) and a lost connection.
inline QString ConnectFailedText(int error)
{
    return QStringLiteral("Brindle Hub への接続ができません。VPN 接続が確立されているか、IDやPasswordを確認してください。"
                          "(Error number : %1)").arg(error);
}
inline const QString kConnectionLost =
    QStringLiteral("データベースへの接続が確認できません。VPNで正常に接続されているか、Brindle Hubが動作しているか確認してください。");

struct TestAccount {
    void OpenAccount(const QString& prefix, const MariaDbAddress& address)
    {
        serverAddress = address;
        admin = std::make_unique<MariaDbAdmin>(address);
        ASSERT_TRUE(admin->IsConnected());
        const QString test = QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
        account = admin->CreateAccount((prefix + test).toLower().left(60));
        m_created = m_seen = admin->StatementsOf(account.user).size(); // sent by an earlier run
    }
    void OpenSharedAccount(const QString& prefix)
    {
        const std::optional<MariaDbAddress> address = SharedMariaDb();
        ASSERT_TRUE(address) << "no shared server: run through ctest, or `mariadb_fixture start` first";
        OpenAccount(prefix, *address);
    }

    // "host:port" as the user types it in the connect dialog.
    QString HostField() const { return QStringLiteral("%1:%2").arg(serverAddress.host).arg(serverAddress.port); }
    QByteArray Database() const { return account.user.toUtf8(); }
    // Runs a statement in the account's database as root (another client of the table).
    void Elsewhere(const QByteArray& statement) { ASSERT_TRUE(admin->Exec("use `" + Database() + "`") && admin->Exec(statement)); }

    // Every statement the account sent, and those sent since the last call.
    QList<QByteArray> Statements() { return admin->StatementsOf(account.user).mid(m_created); }
    QList<QByteArray> NewStatements()
    {
        const QList<QByteArray> all = admin->StatementsOf(account.user);
        const QList<QByteArray> fresh = all.mid(m_seen);
        m_seen = all.size();
        return fresh;
    }

    MariaDbAddress serverAddress;
    std::unique_ptr<MariaDbAdmin> admin;
    MariaDbAccount account;

private:
    qsizetype m_created = 0;
    qsizetype m_seen = 0;
};
