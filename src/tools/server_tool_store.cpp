// quirel-db's server stores (see server_tool_store.h).
#include "server_tool_store.h"

#include "document/log_font_text.h"
#include "store/host_field.h"
#include "store/memo_sql.h"
#include "store/server_store.h"
#include "store/server_text.h"
#include "store/table_name.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mysql.h>
#include <optional>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr QLatin1StringView kScheme("mariadb://");

struct ServerAddress {
    QString user; // also the database
    QString host; // a host field, with its port when one was given
    QString table;
};

// Splits a server address; nullopt after a message. `withTable`: the address must name a table
// (a plain identifier), else it must not name one.
std::optional<ServerAddress> ParseServerAddress(const QString& store, bool withTable)
{
    const QString rest = store.mid(kScheme.size());
    const qsizetype at = rest.indexOf(u'@');
    const qsizetype slash = rest.indexOf(u'/', at + 1);
    ServerAddress address{rest.left(at), rest.mid(at + 1, slash < 0 ? -1 : slash - at - 1),
                          slash < 0 ? QString() : rest.mid(slash + 1)};
    if (at <= 0 || address.host.isEmpty() || (slash >= 0) != withTable) {
        Fail(withTable
                 ? QStringLiteral("'%1' does not name a server table (mariadb://USER@HOST[:PORT]/TABLE)").arg(store)
                 : QStringLiteral("'%1' does not name a server (mariadb://USER@HOST[:PORT])").arg(store));
        return std::nullopt;
    }
    if (withTable && !IsPlainTableName(address.table)) {
        Fail(QStringLiteral("'%1' is not a plain table name (1 to 64 letters, digits, _ or $, not all digits); "
                            "nothing was sent to the server")
                 .arg(address.table));
        return std::nullopt;
    }
    return address;
}

// Writes all of `bytes` to the terminal; a prompt that cannot be shown only goes unseen.
void WriteTerminal(int tty, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(tty, bytes.data(), size_t(bytes.size()));
        if (written <= 0)
            return;
        bytes = bytes.sliced(written);
    }
}

// The terminal and its settings while a password is typed without echo.
int g_promptTerminal = -1;
termios g_shownSettings{};

// Ctrl+C during the prompt must not leave the terminal without echo.
void RestoreEchoAndStop(int signalNumber)
{
    tcsetattr(g_promptTerminal, TCSAFLUSH, &g_shownSettings);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// QUIREL_PASSWORD (also when set but empty), else one line typed on the terminal without echo.
// Standard input is not asked: it carries the body of `add` and `put`.
std::optional<QString> ReadPassword(const ServerAddress& address)
{
    if (qEnvironmentVariableIsSet("QUIREL_PASSWORD"))
        return qEnvironmentVariable("QUIREL_PASSWORD");
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    termios shown{};
    if (tty < 0 || tcgetattr(tty, &shown) != 0) {
        if (tty >= 0)
            ::close(tty);
        Fail(QStringLiteral("no password: set QUIREL_PASSWORD or run the command on a terminal"));
        return std::nullopt;
    }
    WriteTerminal(tty, "Password for " + (address.user + u'@' + address.host).toUtf8() + ": ");
    g_promptTerminal = tty;
    g_shownSettings = shown;
    const auto interrupted = std::signal(SIGINT, RestoreEchoAndStop);
    const auto terminated = std::signal(SIGTERM, RestoreEchoAndStop);
    termios hidden = shown;
    hidden.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(tty, TCSAFLUSH, &hidden);
    QByteArray typed;
    char c = 0;
    while (::read(tty, &c, 1) == 1 && c != '\n')
        typed += c;
    tcsetattr(tty, TCSAFLUSH, &shown);
    std::signal(SIGINT, interrupted);
    std::signal(SIGTERM, terminated);
    WriteTerminal(tty, "\n");
    ::close(tty);
    const QString password = QString::fromUtf8(typed);
    typed.fill('\0');
    return password;
}

// A column of a result row; NULL as empty, bytes that are not UTF-8 as empty.
QString Text(MYSQL_ROW row, const unsigned long* lengths, int column)
{
    return row[column] ? FromUtf8(row[column], qsizetype(lengths[column])) : QString();
}

class ServerToolStore : public ToolStore {
public:
    // Logged in to the address's account; null after a message.
    static std::unique_ptr<ServerToolStore> Connect(const ServerAddress& address)
    {
        std::optional<QString> password = ReadPassword(address);
        if (!password)
            return nullptr;
        std::unique_ptr<ServerToolStore> opened(new ServerToolStore(address, *password));
        password->fill(u'\0');
        if (opened->m_store.Connect(address.user, opened->m_password, address.user, address.host) != 1) {
            opened->FailWithReason(QStringLiteral("cannot log in to %1 as %2").arg(address.host, address.user));
            return nullptr;
        }
        opened->m_store.SetTableName(address.table);
        return opened;
    }

    ~ServerToolStore() override
    {
        if (m_reader)
            mysql_close(m_reader);
        m_password.fill(u'\0');
    }

    CServerStore& Server() { return m_store; }

    // The store's last message (empty when it showed none), once.
    QString TakeReason() { return m_prompts.TakeText(); }

    // kFailure after one line: `what`, and the store's message when it showed one.
    int FailWithReason(const QString& what)
    {
        const QString reason = TakeReason();
        return Fail(reason.isEmpty() ? what : what + QStringLiteral(": ") + reason);
    }

    int ListMemos(ListLines& lines) override
    {
        return Read(MemoSql::ListWithBodyLengths(m_address.table), [&](MYSQL_ROW row, const unsigned long* lengths) {
            for (int column = 0; column < 5; ++column)
                lines << Text(row, lengths, column);
            lines.EndLine();
        });
    }

    // The rows as they are when the export starts, each loaded as the program loads it.
    int ExportMemos(const std::function<void(const QList<MemoField>&, const QString&)>& memo) override
    {
        QList<std::pair<int, QString>> mailIds;
        if (Read(MemoSql::MailIds(m_address.table), [&](MYSQL_ROW row, const unsigned long* lengths) {
                mailIds.append({std::atoi(row[0]), Text(row, lengths, 1)});
            }) != kSuccess)
            return kFailure;
        int status = kSuccess;
        for (const auto& [nID, mailId] : mailIds) {
            m_store.currentId = nID;
            QString body;
            if (m_store.LoadCurrentRecord(body) == 1)
                memo(Fields(mailId), body);
            else
                status = FailWithReason(QStringLiteral("memo nID %1 cannot be read (deleted meanwhile?)").arg(nID));
        }
        return status;
    }

    MemoStore& Store() override { return m_store; }

    // Loaded here, so that the current header is the memo's before anything saves over it.
    int SelectMemo(int nID) override
    {
        m_store.currentId = nID;
        QString body;
        if (m_store.LoadCurrentRecord(body) == 1)
            return kSuccess;
        return FailWithReason(QStringLiteral("no memo with nID %1 in table %2").arg(nID).arg(m_address.table));
    }

    QList<MemoField> CurrentFields() override
    {
        std::optional<QString> mailId;
        const int nID = m_store.currentId;
        if (Read(MemoSql::MailIds(m_address.table, nID), [&](MYSQL_ROW row, const unsigned long* lengths) {
                mailId = Text(row, lengths, 1);
            }) != kSuccess)
            return {};
        if (!mailId) {
            Fail(QStringLiteral("memo nID %1 was deleted meanwhile").arg(nID));
            return {};
        }
        return Fields(*mailId);
    }

    QString CurrentWarning() override { return {}; }

    QString AddedLine() override { return QStringLiteral("added memo nID %1").arg(m_store.currentId); }

    QString WhyNotStored() override
    {
        QString reason = TakeReason();
        if (reason.isEmpty())
            reason = m_store.LastFailureText();
        return reason.isEmpty() ? QStringLiteral("the server did not accept the statement") : reason;
    }

private:
    ServerToolStore(const ServerAddress& address, const QString& password)
        : m_address(address)
        , m_password(password)
    {
    }

    QList<MemoField> Fields(const QString& mailId) const
    {
        const MemoHeader& record = m_store.record;
        return {
            {"nID", "nID", record.mark},
            {"title", "Title", record.title},
            {"keys", "Keys", record.theKeys},
            {"created", "Created", record.createdAt},
            {"updated", "Updated", record.theDateTime},
            {"font", "Font", LogFontText(record)},
            {"attachId", "AttachID", record.attachId},
            {"mailId", "MailID", mailId},
        };
    }

    // One of the tool's own reads, each row to `row`; kFailure after a message.
    int Read(const QByteArray& statement, const std::function<void(MYSQL_ROW, const unsigned long*)>& row)
    {
        if (!m_reader && !OpenReader())
            return kFailure;
        MYSQL_RES* result = mysql_query(m_reader, statement.constData()) == 0 ? mysql_store_result(m_reader) : nullptr;
        if (!result)
            return Fail(QStringLiteral("table %1 cannot be read: %2").arg(m_address.table, ReaderError()));
        while (MYSQL_ROW next = mysql_fetch_row(result))
            row(next, mysql_fetch_lengths(result));
        mysql_free_result(result);
        return kSuccess;
    }

    // The second connection, with the store's character set and time-outs.
    bool OpenReader()
    {
        m_reader = mysql_init(nullptr);
        if (!m_reader) {
            Fail(QStringLiteral("out of memory"));
            return false;
        }
        const CServerStore::Timeouts timeouts;
        mysql_options(m_reader, MYSQL_SET_CHARSET_NAME, "UTF8");
        mysql_options(m_reader, MYSQL_OPT_CONNECT_TIMEOUT, &timeouts.connectSeconds);
        mysql_options(m_reader, MYSQL_OPT_READ_TIMEOUT, &timeouts.readSeconds);
        const HostField host = ParseHostField(m_address.host);
        QByteArray password = ToUtf8(m_password);
        const QByteArray user = ToUtf8(m_address.user);
        const bool connected = mysql_real_connect(m_reader, ToUtf8(host.name).constData(), user.constData(),
                                                  password.constData(), user.constData(), host.port, nullptr, 0);
        password.fill('\0');
        if (!connected)
            Fail(QStringLiteral("cannot log in to %1 as %2: %3").arg(m_address.host, m_address.user, ReaderError()));
        return connected;
    }

    QString ReaderError() const { return QString::fromUtf8(mysql_error(m_reader)); }

    ServerAddress m_address;
    QString m_password;
    ToolPrompts m_prompts;
    CServerStore m_store{m_prompts};
    MYSQL* m_reader = nullptr;
};

} // namespace

bool IsServerStore(const QString& store)
{
    return store.startsWith(kScheme);
}

std::unique_ptr<ToolStore> OpenServerStore(const QString& store)
{
    const std::optional<ServerAddress> address = ParseServerAddress(store, true);
    std::unique_ptr<ServerToolStore> opened = address ? ServerToolStore::Connect(*address) : nullptr;
    if (opened && opened->Server().CountRecords() < 0) {
        opened->FailWithReason(QStringLiteral("table %1 cannot be read (is it missing?)").arg(address->table));
        return nullptr;
    }
    return opened;
}

int ListServerTables(const QString& server)
{
    const std::optional<ServerAddress> address = ParseServerAddress(server, false);
    const std::unique_ptr<ServerToolStore> opened = address ? ServerToolStore::Connect(*address) : nullptr;
    if (!opened)
        return kFailure;
    // Plain identifiers hold no angle brackets, so the "<name>" list splits safely.
    const QString tables = opened->Server().ListTables();
    for (const QString& name : tables.split(u'>', Qt::SkipEmptyParts))
        WriteLine(stdout, name.mid(1));
    // An empty list is also what a failed listing gives; only a message tells them apart.
    const QString reason = opened->TakeReason();
    return reason.isEmpty() ? kSuccess : Fail(reason);
}

int CreateServerTable(const QString& store)
{
    const std::optional<ServerAddress> address = ParseServerAddress(store, true);
    const std::unique_ptr<ServerToolStore> opened = address ? ServerToolStore::Connect(*address) : nullptr;
    if (!opened)
        return kFailure;
    if (opened->Server().CreateTable(address->table) == 1)
        return kSuccess;
    return opened->FailWithReason(
        QStringLiteral("table %1 cannot be created (does it exist already?)").arg(address->table));
}
