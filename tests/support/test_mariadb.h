// A private MariaDB server for tests, and the admin connection that prepares it.
//
// TestMariaDbServer runs mariadb-install-db into a folder of the build tree and starts
// `mariadbd --no-defaults` on 127.0.0.1 with a free port, its socket in the data folder and the
// general log written to mysql.general_log, so tests compare the statements a client sent.
// Root logs in from 127.0.0.1 without a password; the server listens nowhere else.
//
// One shared server serves a whole test run: the CTest fixture `mariadb` (mariadb_fixture
// start / stop) writes its address to a state file, and SharedMariaDb() reads it. Tests that
// hurt a server (kill, stop, restart) start a TestMariaDbServer of their own instead. Tests run
// in parallel, so each one works in its own account (user and database of the same name).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <csignal>
#include <optional>
#include <sys/types.h>

struct st_mysql;

struct MariaDbAddress {
    QString host = QStringLiteral("127.0.0.1");
    unsigned port = 0;
};

// A user and the database named after it, as the program's users have them.
struct MariaDbAccount {
    QString user;
    QString password;
};

class TestMariaDbServer {
public:
    // `folder` holds the data folder, the error log and the state file; it is made if missing.
    explicit TestMariaDbServer(const QString& folder);
    // Stops the server unless it was released to outlive this object.
    ~TestMariaDbServer();
    TestMariaDbServer(const TestMariaDbServer&) = delete;
    TestMariaDbServer& operator=(const TestMariaDbServer&) = delete;

    // A fresh data folder and a running server on a free port; false with `error` filled.
    bool Start(QString& error);
    // Runs the server again on the same data folder and port (after Kill or Stop).
    bool Restart(QString& error);
    // SIGTERM, then waits until the process is gone.
    void Stop() { End(SIGTERM); }
    // Faults: SIGKILL (waits until gone), SIGSTOP (waits until stopped) and SIGCONT.
    void Kill() { End(SIGKILL); }
    void Pause();
    void Resume() { Signal(SIGCONT); }
    // Leaves the server running when this object dies (the fixture's setup).
    void Release() { m_released = true; }

    MariaDbAddress Address() const { return {QStringLiteral("127.0.0.1"), m_port}; }
    pid_t Pid() const { return m_pid; }

    // The state file that the fixture writes and SharedMariaDb() reads.
    bool WriteState() const;
    static QString StatePath(const QString& folder);
    // Stops the server a state file names (the fixture's cleanup).
    static void StopFromState(const QString& folder);

private:
    bool Launch(QString& error);
    void Signal(int signal);
    void End(int signal);
    // The socket lives in the data folder unless that path is too long for a socket address;
    // then in a private folder under /tmp, kept across restarts and removed with this object.
    QString SocketPath();
    void RemoveSocketFolder();

    QString m_folder;
    unsigned m_port = 0;
    pid_t m_pid = 0;
    bool m_released = false;
    QString m_socketFolder;
};

// The shared server of this run, from the fixture's state file; nothing when it is not running.
std::optional<MariaDbAddress> SharedMariaDb();
// A private server's folder in the build tree, named for the test.
QString PrivateMariaDbFolder(const QString& name);

// Root's connection to a test server, for preparing accounts and reading the general log.
class MariaDbAdmin {
public:
    explicit MariaDbAdmin(const MariaDbAddress& address);
    ~MariaDbAdmin();
    MariaDbAdmin(const MariaDbAdmin&) = delete;
    MariaDbAdmin& operator=(const MariaDbAdmin&) = delete;

    bool IsConnected() const { return m_mysql != nullptr; }
    // Runs a statement; false on an error (the error text goes to the test's output).
    bool Exec(const QByteArray& statement);
    // Every row of a query, each column as bytes (NULL as an empty value).
    QList<QList<QByteArray>> Rows(const QByteArray& statement);
    // A user with all rights on the database of its name, both made afresh.
    MariaDbAccount CreateAccount(const QString& name);
    // The statements (Query commands) that `user` sent, in the order the server logged them.
    QList<QByteArray> StatementsOf(const QString& user);

private:
    bool Query(const QByteArray& statement);

    st_mysql* m_mysql = nullptr;
};
