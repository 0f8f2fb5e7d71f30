// PrivateServer: the private MariaDB server of a benchmark, with one account and its empty memo
// table (the general log off: it would be most of the work), and the client library's own
// connection and escaping that the direct baselines use.
#pragma once

#include "store/memo_sql.h"
#include "store/server_store.h"
#include "support/test_mariadb.h"

#include <QString>
#include <cstdio>
#include <memory>
#include <mysql.h>

struct PrivateServer {
    std::unique_ptr<TestMariaDbServer> server;
    MariaDbAccount account;
    QString table;
    bool ok = false;

    PrivateServer(const QString& folder, const QString& user, const QString& memoTable) : table(memoTable)
    {
        server = std::make_unique<TestMariaDbServer>(PrivateMariaDbFolder(folder));
        QString error;
        if (!server->Start(error)) {
            std::fprintf(stderr, "no server: %s\n", qPrintable(error));
            return;
        }
        MariaDbAdmin admin(server->Address());
        account = admin.CreateAccount(user);
        admin.Exec("SET GLOBAL general_log = 0");
        ok = admin.Exec("use `" + user.toUtf8() + '`') && admin.Exec(MemoSql::CreateTable(table));
    }
    // "host:port" as the store's Connect takes it.
    QString HostField() const
    {
        const MariaDbAddress address = server->Address();
        return QStringLiteral("%1:%2").arg(address.host).arg(address.port);
    }
    // Connects a store to the account's table.
    bool Connect(CServerStore& store) const
    {
        if (store.Connect(account.user, account.password, account.user, HostField()) != 1)
            return false;
        store.SetTableName(table);
        return true;
    }
    // The client library's own connection to the account; null without a server.
    MYSQL* ConnectDirect() const;
    // Empties the table, so every run inserts into the same state.
    bool Empty() const
    {
        MariaDbAdmin admin(server->Address());
        return admin.Exec("truncate table `" + account.user.toUtf8() + "`." + table.toUtf8());
    }
};

// A connection of the client library alone (UTF8, the account's database); null on failure.
inline MYSQL* ConnectDirect(const MariaDbAddress& address, const MariaDbAccount& account)
{
    MYSQL* mysql = mysql_init(nullptr);
    mysql_options(mysql, MYSQL_SET_CHARSET_NAME, "UTF8");
    const QByteArray user = account.user.toUtf8();
    if (!mysql_real_connect(mysql, address.host.toUtf8().constData(), user.constData(),
                            account.password.toUtf8().constData(), user.constData(), address.port, nullptr, 0)) {
        mysql_close(mysql);
        return nullptr;
    }
    return mysql;
}

inline QByteArray EscapeDirect(MYSQL* mysql, const QByteArray& text)
{
    QByteArray escaped(2 * text.size() + 1, Qt::Uninitialized);
    escaped.truncate(qsizetype(mysql_real_escape_string(mysql, escaped.data(), text.constData(), text.size())));
    return escaped;
}

// One memo row of `table` inserted through the client library alone, the way the store's insert
// goes out: the UTF-8 fields escaped here, the font and AttachID as given. False when refused.
inline bool InsertRowDirect(MYSQL* mysql, const QString& table, const QByteArray& title, const QByteArray& keys,
                            const QByteArray& body, const QByteArray& font, const QByteArray& attachId,
                            const QByteArray& mailId)
{
    const QByteArray insert = MemoSql::InsertRecord(table, EscapeDirect(mysql, title), EscapeDirect(mysql, keys),
                                                    EscapeDirect(mysql, body), font, attachId, EscapeDirect(mysql, mailId));
    return mysql_real_query(mysql, insert.constData(), insert.size()) == 0;
}

inline MYSQL* PrivateServer::ConnectDirect() const
{
    return ok ? ::ConnectDirect(server->Address(), account) : nullptr;
}
