// The server store (see server_store.h): connection, tables, records and navigation by nID.
#include "server_store.h"

#include "document/attach_id.h"
#include "document/log_font_text.h"
#include "document/string_table.h"
#include "document/user_prompts.h"
#include "store/host_field.h"
#include "store/memo_sql.h"
#include "store/server_text.h"
#include "store/table_name.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

namespace {

// The client library's errors for a connection that is gone or stopped answering.
bool IsLostConnection(unsigned error)
{
    return error == CR_SERVER_GONE_ERROR || error == CR_SERVER_LOST || error == CR_SERVER_LOST_EXTENDED;
}

// A column value as the statement pattern reads it: up to its first NUL, NULL as empty.
QString Column(const char* value)
{
    return value ? FromUtf8(value, qsizetype(std::strlen(value))) : QString();
}

// Numbers in results are read as the C library's atoi reads them.
int ToInt(const QByteArray& text)
{
    return std::atoi(text.constData());
}

// "Rows matched: 0" in mysql_info after an UPDATE. The server leaves the text out when it saw
// before reading that no row can match (a key that a MyISAM table does not hold).
bool UpdateMatchedNoRow(MYSQL* mysql)
{
    static constexpr char kMatched[] = "Rows matched: ";
    const char* info = mysql_info(mysql);
    if (!info)
        return mysql_affected_rows(mysql) == 0;
    const char* at = std::strstr(info, kMatched);
    return at && std::atoi(at + sizeof kMatched - 1) == 0;
}

// True when a LogFont text holds every value (AttachCount when it has "//", then fifteen
// numbers, each ended by a comma, and the face name), so reading it leaves no field as it was.
bool SetsWholeFont(const QString& text)
{
    return text.count(u',') >= (text.contains(QStringLiteral("//")) ? 16 : 15);
}

// How long a killed thread may take to leave the server's list.
constexpr int kKillWaitMs = 10000;

// Lost connections counted for message 112, once per process.
int g_lostConnectionReports = 0;

} // namespace

CServerStore::CServerStore(UserPrompts& prompts)
    : m_prompts(prompts)
{
    // Without a seed of its own, every run would hand out the same attachment folder names.
    SeedAttachIdsFromClock();
    ResetMemoHeader(record);
    m_loadDefaults = record;
}

CServerStore::~CServerStore()
{
    CloseConnection();
    m_password.fill(u'\0');
    m_password.clear();
}

// --- connection ---

int CServerStore::Connect(const QString& user, const QString& password, const QString& database,
                          const QString& host)
{
    CloseConnection();
    m_connected = false;
    m_user = user;
    m_password = password;
    m_database = database;
    m_host = host;
    const HostField field = ParseHostField(host);
    m_hostName = field.name;
    m_port = field.port;
    if (!OpenConnection()) {
        const int error = m_mysql ? int(mysql_errno(m_mysql)) : int(CR_OUT_OF_MEMORY);
        CloseConnection();
        m_prompts.Ask(ServerConnectFailedText(error), PromptButtons::kOk);
        return 0;
    }
    currentId = -1;
    recordCount = 0;
    m_connected = true;
    return 1;
}

bool CServerStore::OpenConnection()
{
    m_mysql = mysql_init(nullptr);
    if (!m_mysql)
        return false;
    mysql_options(m_mysql, MYSQL_SET_CHARSET_NAME, "UTF8");
    mysql_options(m_mysql, MYSQL_OPT_CONNECT_TIMEOUT, &m_timeouts.connectSeconds);
    mysql_options(m_mysql, MYSQL_OPT_READ_TIMEOUT, &m_timeouts.readSeconds);
    mysql_options(m_mysql, MYSQL_OPT_WRITE_TIMEOUT, &m_timeouts.writeSeconds);
    QByteArray password = ToUtf8(m_password);
    const bool ok = mysql_real_connect(m_mysql, ToUtf8(m_hostName).constData(), ToUtf8(m_user).constData(),
                                       password.constData(), ToUtf8(m_database).constData(), m_port, nullptr, 0)
                    && mysql_errno(m_mysql) == 0;
    password.fill('\0');
    m_linkUp = ok;
    return ok;
}

void CServerStore::CloseConnection()
{
    if (m_mysql)
        mysql_close(m_mysql);
    m_mysql = nullptr;
    m_linkUp = false;
}

bool CServerStore::Reconnect()
{
    CloseConnection();
    if (OpenConnection())
        return true;
    CloseConnection();
    m_prompts.Ask(MessageText(kMsgServerConnectionLost), PromptButtons::kOk);
    return false;
}

bool CServerStore::EnsureLink()
{
    return m_connected && (m_linkUp || Reconnect());
}

QString CServerStore::GetDisplayName() const
{
    return m_hostName + u':' + m_database + u':' + m_table;
}

void CServerStore::GetAttachmentPaths(QString& tableRoot, QString& shareRoot) const
{
    shareRoot = QStringLiteral("\\\\") + m_hostName;
    tableRoot = shareRoot + u'\\' + m_database + QStringLiteral("\\Quirel\\") + m_table;
}

int CServerStore::Ping()
{
    return m_connected && m_linkUp ? mysql_ping(m_mysql) : 1;
}

void CServerStore::ReportLostConnection()
{
    if (++g_lostConnectionReports % 3 == 1)
        m_prompts.Ask(MessageText(kMsgServerConnectionLost), PromptButtons::kOk);
}

unsigned long CServerStore::ThreadId() const
{
    return m_linkUp ? mysql_thread_id(m_mysql) : 0;
}

// --- statements ---

QByteArray CServerStore::Escape(const QString& value) const
{
    const QByteArray utf8 = ToUtf8(value);
    QByteArray escaped(2 * utf8.size() + 16, Qt::Uninitialized);
    const unsigned long length = mysql_real_escape_string(m_mysql, escaped.data(), utf8.constData(), utf8.size());
    escaped.truncate(qsizetype(length));
    return escaped;
}

CServerStore::Sent CServerStore::SendOnce(const QByteArray& statement, st_mysql_res** result)
{
    if (!m_linkUp)
        return Sent::kLost;
    if (mysql_query(m_mysql, statement.constData()) == 0 && mysql_errno(m_mysql) == 0) {
        if (!result)
            return Sent::kOk;
        *result = mysql_store_result(m_mysql);
        if (*result && mysql_errno(m_mysql) == 0)
            return Sent::kOk;
        if (*result)
            mysql_free_result(*result);
        *result = nullptr;
    }
    if (!IsLostConnection(mysql_errno(m_mysql)))
        return Sent::kFailed;
    m_linkUp = false;
    return Sent::kLost;
}

CServerStore::Sent CServerStore::Send(const QByteArray& statement, st_mysql_res** result)
{
    if (!EnsureLink())
        return Sent::kFailed;
    Sent sent = SendOnce(statement, result);
    if (sent == Sent::kLost && Reconnect())
        sent = SendOnce(statement, result);
    return sent;
}

bool CServerStore::QueryFirst(const QByteArray& statement, std::optional<QByteArray>& value)
{
    st_mysql_res* result = nullptr;
    if (Send(statement, &result) != Sent::kOk)
        return false;
    value.reset();
    if (MYSQL_ROW row = mysql_fetch_row(result))
        value = QByteArray(row[0] ? row[0] : "");
    mysql_free_result(result);
    return true;
}

// --- tables ---

QString CServerStore::ListTables()
{
    st_mysql_res* result = nullptr;
    if (!m_connected || Send(MemoSql::ShowTables(), &result) != Sent::kOk)
        return {};
    QString list;
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const QString name = Column(row[0]);
        int needsMailId = 0;
        if (!IsPlainTableName(name) || CheckTable(name, needsMailId) != 1)
            continue;
        if (needsMailId)
            AddMailIdColumn(name);
        list += u'<' + name + u'>';
    }
    mysql_free_result(result);
    return list;
}

int CServerStore::CheckTable(const QString& name, int& needsMailId)
{
    if (!m_connected || !IsPlainTableName(name))
        return 0;
    needsMailId = 0;
    st_mysql_res* result = nullptr;
    if (Send(MemoSql::FirstRow(name), &result) != Sent::kOk)
        return 0;
    QString columns = QStringLiteral("//");
    const unsigned count = mysql_num_fields(result);
    const MYSQL_FIELD* fields = mysql_fetch_fields(result);
    for (unsigned i = 0; i < count; ++i)
        columns += FromUtf8(fields[i].name, fields[i].name_length) + QStringLiteral("//");
    mysql_free_result(result);
    for (const char16_t* required :
         {u"//nID//", u"//Title//", u"//TheKeys//", u"//CreatedAt//", u"//MainData//", u"//LogFont//", u"//AttachID//"}) {
        if (!columns.contains(QString::fromUtf16(required)))
            return 0;
    }
    needsMailId = columns.contains(QStringLiteral("//MailID//")) ? 0 : 1;
    return 1;
}

void CServerStore::AddMailIdColumn(const QString& name)
{
    if (!m_connected || !IsPlainTableName(name))
        return;
    Send(MemoSql::AddMailIdColumn(name));
    Send(MemoSql::AddMailIdIndex(name));
}

int CServerStore::CreateTable(const QString& name)
{
    return m_connected && IsPlainTableName(name) && Send(MemoSql::CreateTable(name)) == Sent::kOk ? 1 : 0;
}

int CServerStore::DropTable(const QString& name)
{
    return m_connected && IsPlainTableName(name) && Send(MemoSql::DropTable(name)) == Sent::kOk ? 1 : 0;
}

int CServerStore::CountRecords()
{
    const std::optional<int> count = CountRows(m_table);
    if (count)
        recordCount = *count;
    return count.value_or(-1);
}

// The rows up to the current nID: nIDs order the table, with gaps where rows were deleted.
int CServerStore::Place()
{
    if (currentId == -1)
        return 0;
    std::optional<QByteArray> count;
    if (!m_connected || !IsPlainTableName(m_table) || !QueryFirst(MemoSql::CountUpTo(m_table, currentId), count))
        return -1;
    return ToInt(count.value_or("-1"));
}

int CServerStore::CountTableRecords(const QString& name)
{
    return CountRows(name).value_or(-1);
}

std::optional<int> CServerStore::CountRows(const QString& name)
{
    std::optional<QByteArray> count;
    if (!m_connected || !IsPlainTableName(name) || !QueryFirst(MemoSql::Count(name), count))
        return std::nullopt;
    return ToInt(count.value_or("-1"));
}

// --- records ---

int CServerStore::LoadCurrentRecord(QString& body)
{
    st_mysql_res* result = nullptr;
    if (!m_connected || !IsPlainTableName(m_table) || Send(MemoSql::LoadRecord(m_table, currentId), &result) != Sent::kOk)
        return 0;
    const MYSQL_ROW row = mysql_fetch_row(result);
    if (!row) {
        mysql_free_result(result);
        return 0;
    }
    body = Column(row[5]);
    const QString fontText = Column(row[6]);
    // A complete LogFont text overwrites every field that the clock and the settings give a
    // fresh header, so the header reset at construction serves; reading the settings again
    // would cost more than the statements.
    if (SetsWholeFont(fontText))
        record = m_loadDefaults;
    else
        ResetMemoHeader(record);
    // Longer values can only come from other writers; they are cut to the header's fields.
    record.title = Column(row[1]).left(MemoHeader::kTitleChars);
    record.theKeys = Column(row[2]).left(MemoHeader::kKeysChars);
    record.createdAt = Column(row[3]).left(MemoHeader::kDateChars);
    record.theDateTime = Column(row[4]).left(MemoHeader::kDateChars);
    ReadLogFontText(fontText, record);
    record.attachId = Column(row[7]).left(MemoHeader::kAttachIdChars);
    record.mark = std::atoi(row[0] ? row[0] : "");
    mysql_free_result(result);
    return 1;
}

int CServerStore::SaveCurrentRecord(const QString& body)
{
    return currentId == -1 ? InsertRecord(record, body, QString()) : UpdateRecord(record, body);
}

bool CServerStore::RefuseUnstorable(const MemoHeader& memo, const QString& body, const QString& mailId)
{
    const QString found = UnstorableCharacters({memo.title, memo.theKeys, memo.font.lfFaceName, mailId, body});
    if (found.isEmpty())
        return false;
    SetFailure(UnstorableCharactersText(found));
    return true;
}

int CServerStore::UpdateRecord(const MemoHeader& memo, const QString& body)
{
    SetFailure({});
    if (!m_connected || !IsPlainTableName(m_table) || RefuseUnstorable(memo, body, QString()) || !EnsureLink())
        return 0;
    const QByteArray statement = MemoSql::UpdateRecord(m_table, Escape(memo.title), Escape(memo.theKeys),
                                                       Escape(body), Escape(LogFontText(memo)), memo.mark);
    if (Send(statement) != Sent::kOk)
        return 0;
    if (UpdateMatchedNoRow(m_mysql)) {
        SetFailure(MemoGoneFromServerText());
        return -2;
    }
    return 1;
}

int CServerStore::InsertRecord(MemoHeader& memo, const QString& body, const QString& mailId)
{
    SetFailure({});
    if (!m_connected || !IsPlainTableName(m_table) || RefuseUnstorable(memo, body, mailId) || !EnsureLink())
        return 0;
    const QString attachId = memo.attachId.size() == MemoHeader::kAttachIdChars ? memo.attachId : NewAttachId();
    const QByteArray escapedAttachId = Escape(attachId);
    if (m_pendingInsert && m_pendingInsert->attachId == attachId) {
        // An earlier save of this memo was cut off: it becomes an update when it landed.
        const int landed = SettlePendingInsert(escapedAttachId);
        if (landed < 0)
            return 0;
        if (landed > 0) {
            AdoptInsertedRow(memo, landed, attachId);
            return UpdateRecord(memo, body);
        }
    }
    const QByteArray escapedMailId = Escape(mailId);
    const QByteArray statement = MemoSql::InsertRecord(m_table, Escape(memo.title), Escape(memo.theKeys),
                                                       Escape(body), Escape(LogFontText(memo)), escapedAttachId,
                                                       escapedMailId);
    if (!mailId.isEmpty() && MailIdExists(m_table, mailId) == 1)
        return 1;
    // Until the server answers, the record keeps the AttachID that can find the row later.
    const QString previousAttachId = memo.attachId;
    memo.attachId = attachId;
    m_pendingInsert = PendingInsert{ThreadId(), attachId};
    Sent sent = SendOnce(statement, nullptr);
    if (sent == Sent::kLost) {
        if (!Reconnect())
            return 0;
        const int landed = SettlePendingInsert(escapedAttachId);
        if (landed != 0) {
            if (landed > 0)
                AdoptInsertedRow(memo, landed, attachId);
            return landed > 0 ? 1 : 0;
        }
        m_pendingInsert->threadId = ThreadId();
        sent = SendOnce(statement, nullptr);
    }
    if (sent == Sent::kLost)
        return 0; // the next save settles it
    m_pendingInsert.reset();
    if (sent != Sent::kOk) {
        memo.attachId = previousAttachId;
        return 0;
    }
    AdoptInsertedRow(memo, int(uint32_t(mysql_insert_id(m_mysql))), attachId);
    return 1;
}

void CServerStore::AdoptInsertedRow(MemoHeader& memo, int nID, const QString& attachId)
{
    memo.mark = nID;
    memo.attachId = attachId;
    currentId = nID;
}

int CServerStore::SettlePendingInsert(const QByteArray& escapedAttachId)
{
    std::optional<QByteArray> landed;
    if (!EndOldThread(m_pendingInsert->threadId)
        || !QueryFirst(MemoSql::FindAttachId(m_table, escapedAttachId), landed)) {
        SetFailure(SaveUndecidedAfterLostConnectionText());
        return -1;
    }
    m_pendingInsert.reset();
    return landed ? std::max(ToInt(*landed), 1) : 0;
}

bool CServerStore::EndOldThread(unsigned long threadId)
{
    // After a restart the ids start again: an id now held by this connection or by another
    // user cannot be the old thread, which is therefore gone.
    if (threadId == 0 || threadId == ThreadId())
        return true;
    const QByteArray user = ToUtf8(m_user);
    std::optional<QByteArray> owner;
    if (!QueryFirst(MemoSql::ThreadUser(threadId), owner))
        return false;
    if (!owner || *owner != user)
        return true;
    if (Send(MemoSql::KillThread(threadId)) != Sent::kOk && mysql_errno(m_mysql) != ER_NO_SUCH_THREAD)
        return false;
    QElapsedTimer waited;
    waited.start();
    while (QueryFirst(MemoSql::ThreadUser(threadId), owner)) {
        if (!owner || *owner != user)
            return true;
        if (waited.elapsed() > kKillWaitMs)
            return false;
        QThread::msleep(20);
    }
    return false;
}

int CServerStore::DeleteRecord(int nID)
{
    return m_connected && IsPlainTableName(m_table) && Send(MemoSql::DeleteRecord(m_table, nID)) == Sent::kOk ? 1 : 0;
}

int CServerStore::MailIdExists(const QString& table, const QString& mailId)
{
    std::optional<QByteArray> count;
    if (!m_connected || !IsPlainTableName(table) || !EnsureLink()
        || !QueryFirst(MemoSql::CountMailId(table, Escape(mailId)), count))
        return 0;
    const QByteArray text = count.value_or("-1");
    return text == "0" || text == "-1" ? 0 : 1;
}

// --- navigation ---

int CServerStore::GetNeighbourId(int fromId, int forward)
{
    std::optional<QByteArray> id;
    if (!m_connected || !IsPlainTableName(m_table)
        || !QueryFirst(MemoSql::NeighbourId(m_table, fromId, forward != 0), id))
        return -1;
    return ToInt(id.value_or("-2"));
}

int CServerStore::GetEdgeId(int first)
{
    std::optional<QByteArray> id;
    if (!m_connected || !IsPlainTableName(m_table) || !QueryFirst(MemoSql::EdgeId(m_table, first != 0), id))
        return -1;
    return ToInt(id.value_or("-1"));
}

// --- MemoStore ---

void CServerStore::BeginNew()
{
    currentId = -1;
    ResetMemoHeader(record);
}

void CServerStore::Step(bool next)
{
    if (CountRecords() <= 0)
        return;
    int id = GetNeighbourId(currentId, next ? 1 : 0);
    if (id == -2)
        id = GetEdgeId(next ? 1 : 0); // past the last wraps to the first, and back
    if (id != -1)
        currentId = id;
}

void CServerStore::Jump(bool first)
{
    if (CountRecords() > 0)
        currentId = GetEdgeId(first ? 1 : 0);
}

QString CServerStore::LoadCurrent()
{
    QString body;
    LoadCurrentRecord(body);
    return body;
}

bool CServerStore::SaveCurrent(const QString& body)
{
    return SaveCurrentRecord(body) == 1;
}

bool CServerStore::DeleteCurrent()
{
    if (DeleteRecord(currentId) != 1)
        return false;
    currentId = -1;
    return true;
}
