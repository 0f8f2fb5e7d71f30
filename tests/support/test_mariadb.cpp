// The private MariaDB server and its admin connection (see test_mariadb.h).
#include "test_mariadb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QThread>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <mysql.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kStartWaitMs = 30000;

QString DataFolder(const QString& folder)
{
    return folder + QStringLiteral("/data");
}

QString TempFolder(const QString& folder)
{
    return folder + QStringLiteral("/tmp");
}

// A port nobody listens on now (the kernel's pick for a throw-away socket).
unsigned FreePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    unsigned port = 0;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        close(fd);
    return port;
}

// The server runs as the user running the tests (root in CI needs it said).
QString CurrentUserName()
{
    const passwd* entry = getpwuid(getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QStringLiteral("root");
}

// The state letter of /proc/PID/stat (R, S, T for stopped, Z for a zombie...), or 0 when gone.
char ProcessState(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() ? line[close + 2] : 0;
}

// Gone, or a zombie nobody reaps: a server started by an earlier process is not our child.
bool ProcessIsGone(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid)
        return true;
    if (kill(pid, 0) != 0 && errno == ESRCH)
        return true;
    const char state = ProcessState(pid);
    return state == 0 || state == 'Z';
}

// Sends `signal` (after SIGCONT, so that a paused server acts on it) and waits until it is gone.
void EndProcess(pid_t pid, int signal)
{
    kill(pid, SIGCONT);
    kill(pid, signal);
    QElapsedTimer waited;
    waited.start();
    while (!ProcessIsGone(pid) && waited.elapsed() < kStartWaitMs)
        QThread::msleep(20);
}

MYSQL* ConnectRoot(const MariaDbAddress& address)
{
    MYSQL* mysql = mysql_init(nullptr);
    unsigned timeout = 5;
    mysql_options(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    mysql_options(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    if (!mysql_real_connect(mysql, address.host.toUtf8().constData(), "root", "", nullptr, address.port, nullptr, 0)) {
        mysql_close(mysql);
        return nullptr;
    }
    return mysql;
}

} // namespace

TestMariaDbServer::TestMariaDbServer(const QString& folder)
    : m_folder(folder)
{
    QDir().mkpath(folder);
}

TestMariaDbServer::~TestMariaDbServer()
{
    if (!m_released) {
        Stop();
        RemoveSocketFolder();
    }
}

bool TestMariaDbServer::Start(QString& error)
{
    Stop();
    QDir(DataFolder(m_folder)).removeRecursively();
    // Servers set up at the same time must not meet in a shared /tmp: their bootstraps' temporary
    // tables clash there ("Unknown table 'mysql.tmp_user_sys'").
    QDir().mkpath(TempFolder(m_folder));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral("mariadb-install-db"),
                  {QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + DataFolder(m_folder),
                   QStringLiteral("--user=") + CurrentUserName(), QStringLiteral("--auth-root-authentication-method=normal"),
                   QStringLiteral("--skip-test-db"), QStringLiteral("--tmpdir=") + TempFolder(m_folder)});
    if (!install.waitForFinished(120000) || install.exitStatus() != QProcess::NormalExit || install.exitCode() != 0) {
        error = QStringLiteral("mariadb-install-db failed: ") + QString::fromLocal8Bit(install.readAll());
        return false;
    }
    // Another process may take the free port between our look and the server's bind.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = FreePort();
        if (Launch(error))
            return true;
    }
    return false;
}

bool TestMariaDbServer::Restart(QString& error)
{
    Stop();
    return Launch(error);
}

bool TestMariaDbServer::Launch(QString& error)
{
    const QString data = DataFolder(m_folder);
    const QStringList arguments{"--no-defaults", // must come first
        "--datadir=" + data, QStringLiteral("--port=%1").arg(m_port), "--bind-address=127.0.0.1",
        "--socket=" + SocketPath(), "--pid-file=" + data + "/mariadbd.pid", "--log-error=" + m_folder + "/error.log",
        "--user=" + CurrentUserName(), "--skip-name-resolve", "--log-output=TABLE", "--general-log=1",
        "--max-allowed-packet=64M", "--innodb-buffer-pool-size=16M", "--tmpdir=" + TempFolder(m_folder)};
    std::vector<QByteArray> bytes{QByteArray("/usr/sbin/mariadbd")};
    for (const QString& argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // fork and exec by hand: the server must outlive the fixture's setup process, in a session
    // of its own so that CTest's clean-up of that process leaves it alone.
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) {
        error = QStringLiteral("fork failed");
        return false;
    }
    m_pid = pid;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kStartWaitMs) {
        if (ProcessIsGone(pid)) {
            m_pid = 0;
            QFile log(m_folder + QStringLiteral("/error.log"));
            log.open(QIODevice::ReadOnly);
            error = QStringLiteral("mariadbd ended early: ") + QString::fromLocal8Bit(log.readAll().right(2000));
            return false;
        }
        if (MYSQL* mysql = ConnectRoot(Address())) {
            mysql_close(mysql);
            return true;
        }
        QThread::msleep(100);
    }
    error = QStringLiteral("mariadbd did not accept connections");
    Kill();
    return false;
}

QString TestMariaDbServer::SocketPath()
{
    const QString inData = DataFolder(m_folder) + QStringLiteral("/mariadbd.sock");
    if (inData.toLocal8Bit().size() < 100)
        return inData;
    if (m_socketFolder.isEmpty()) {
        QByteArray folder("/tmp/quirel-mariadb-XXXXXX");
        if (!mkdtemp(folder.data()))
            return inData;
        m_socketFolder = QString::fromLocal8Bit(folder);
    }
    return m_socketFolder + QStringLiteral("/s");
}

void TestMariaDbServer::Signal(int signal)
{
    if (m_pid > 0)
        kill(m_pid, signal);
}

void TestMariaDbServer::Pause()
{
    Signal(SIGSTOP);
    // A stop takes effect when the server's threads next run: a statement sent before then
    // could still be served.
    QElapsedTimer waited;
    waited.start();
    while (m_pid > 0 && ProcessState(m_pid) != 'T' && waited.elapsed() < kStartWaitMs)
        QThread::msleep(5);
}

void TestMariaDbServer::End(int signal)
{
    if (m_pid > 0)
        EndProcess(m_pid, signal);
    m_pid = 0;
}

void TestMariaDbServer::RemoveSocketFolder()
{
    if (!m_socketFolder.isEmpty())
        QDir(m_socketFolder).removeRecursively();
    m_socketFolder.clear();
}

QString TestMariaDbServer::StatePath(const QString& folder)
{
    return folder + QStringLiteral("/state.ini");
}

bool TestMariaDbServer::WriteState() const
{
    QSettings state(StatePath(m_folder), QSettings::IniFormat);
    state.setValue("host", Address().host);
    state.setValue("port", m_port);
    state.setValue("pid", qint64(m_pid));
    state.sync();
    return state.status() == QSettings::NoError;
}

void TestMariaDbServer::StopFromState(const QString& folder)
{
    const QString path = StatePath(folder);
    if (!QFile::exists(path))
        return;
    const auto pid = pid_t(QSettings(path, QSettings::IniFormat).value("pid").toLongLong());
    QFile::remove(path);
    if (pid > 0)
        EndProcess(pid, SIGTERM);
}

std::optional<MariaDbAddress> SharedMariaDb()
{
    const QString path = TestMariaDbServer::StatePath(QStringLiteral(QUIREL_TEST_MARIADB_ROOT "/shared"));
    if (!QFile::exists(path))
        return std::nullopt;
    const QSettings state(path, QSettings::IniFormat);
    return MariaDbAddress{state.value("host").toString(), state.value("port").toUInt()};
}

QString PrivateMariaDbFolder(const QString& name)
{
    return QStringLiteral(QUIREL_TEST_MARIADB_ROOT "/") + name;
}

MariaDbAdmin::MariaDbAdmin(const MariaDbAddress& address)
    : m_mysql(ConnectRoot(address))
{
}

MariaDbAdmin::~MariaDbAdmin()
{
    if (m_mysql)
        mysql_close(m_mysql);
}

bool MariaDbAdmin::Query(const QByteArray& statement)
{
    if (m_mysql && mysql_real_query(m_mysql, statement.constData(), statement.size()) == 0)
        return true;
    std::fprintf(stderr, "admin statement failed: %s\n  %s\n", m_mysql ? mysql_error(m_mysql) : "not connected",
                 statement.left(200).constData());
    return false;
}

bool MariaDbAdmin::Exec(const QByteArray& statement)
{
    if (!Query(statement))
        return false;
    if (MYSQL_RES* result = mysql_store_result(m_mysql))
        mysql_free_result(result);
    return true;
}

QList<QList<QByteArray>> MariaDbAdmin::Rows(const QByteArray& statement)
{
    QList<QList<QByteArray>> rows;
    if (!Query(statement))
        return rows;
    MYSQL_RES* result = mysql_store_result(m_mysql);
    if (!result)
        return rows;
    const unsigned columns = mysql_num_fields(result);
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long* lengths = mysql_fetch_lengths(result);
        QList<QByteArray>& out = rows.emplace_back();
        for (unsigned i = 0; i < columns; ++i)
            out.append(row[i] ? QByteArray(row[i], qsizetype(lengths[i])) : QByteArray());
    }
    mysql_free_result(result);
    return rows;
}

MariaDbAccount MariaDbAdmin::CreateAccount(const QString& name)
{
    const MariaDbAccount account{name, QStringLiteral("pw-") + name};
    const QByteArray user = name.toUtf8();
    const QByteArray password = account.password.toUtf8();
    Exec("DROP DATABASE IF EXISTS `" + user + "`");
    Exec("DROP USER IF EXISTS '" + user + "'@'%'");
    Exec("CREATE DATABASE `" + user + "` DEFAULT CHARSET=utf8");
    Exec("CREATE USER '" + user + "'@'%' IDENTIFIED BY '" + password + "'");
    Exec("GRANT ALL ON `" + user + "`.* TO '" + user + "'@'%'");
    return account;
}

QList<QByteArray> MariaDbAdmin::StatementsOf(const QString& user)
{
    const QByteArray prefix = user.toUtf8() + '[' + user.toUtf8() + ']';
    QList<QByteArray> statements;
    const QByteArray query = "select argument from mysql.general_log where command_type='Query' and left(user_host, "
                             + QByteArray::number(prefix.size()) + ")='" + prefix + "'";
    for (const QList<QByteArray>& row : Rows(query))
        statements.append(row.value(0));
    return statements;
}
