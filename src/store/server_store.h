// CServerStore: one memo table on the team's MariaDB server, the document's second MemoStore.
// It holds the connection, the table name, the current memo's nID (`currentId`, -1 = a new memo
// not stored yet), a cached record count and the current memo's fields as a MemoHeader whose
// mark holds the nID once a row is loaded. The body travels as a separate string.
//
// Invariants: every statement of memo_sql.h goes out only while connected; values between
// quotes are escaped on this connection; a table name reaches a statement only after
// IsPlainTableName accepted it; a save never sends text the utf8 columns cannot hold (see
// storable_text.h). The password lives only in this object and is overwritten when it dies;
// it leaves only through GetShareLogin, to mount the share of the attachment folders.
//
// Results follow the store's convention: 1 success, 0 failure; counts and ids -1 on failure,
// navigation -2 when there is no neighbour. UpdateRecord gives -2 when no row matched (another
// client deleted the memo). The last failed save's Japanese explanation is LastFailureText().
//
// A statement that fails because the connection was lost reconnects once with the credentials
// held here and is repeated; an INSERT is repeated only when the old connection's thread is
// gone and no row carries the memo's AttachID (so a memo is never stored twice). When that
// cannot be decided, the record keeps the AttachID and the next save of it settles the matter
// first: a row that landed meanwhile is then updated instead of inserted again.
#pragma once

#include "browser/page_markup.h"
#include "document/memo_header.h"
#include "document/memo_store.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

struct st_mysql;
struct st_mysql_res;
class UserPrompts;

class CServerStore : public MemoStore {
public:
    // Client time-outs in seconds; tests shorten them to provoke a stalled server quickly.
    struct Timeouts {
        unsigned connectSeconds = 10;
        unsigned readSeconds = 30;
        unsigned writeSeconds = 30;
    };

    explicit CServerStore(UserPrompts& prompts);
    ~CServerStore() override;
    CServerStore(const CServerStore&) = delete;
    CServerStore& operator=(const CServerStore&) = delete;

    // Takes effect at the next Connect (and at reconnects).
    void SetTimeouts(const Timeouts& timeouts) { m_timeouts = timeouts; }

    // --- connection ---
    // `host` is a host field: name, name:port, [v6] or [v6]:port (host_field.h). Parameters go
    // to the server as UTF-8. 1 connected; 0 failed, after message 110 with the error number.
    int Connect(const QString& user, const QString& password, const QString& database,
                const QString& host);
    bool IsConnected() const { return m_connected; }
    void SetTableName(const QString& table) { m_table = table; }
    QString GetTableName() const { return m_table; }
    // host:database:table, the host without its port.
    QString GetDisplayName() const;
    // \\host\database\Quirel\table and \\host (host without its port).
    void GetAttachmentPaths(QString& tableRoot, QString& shareRoot) const;
    // The login that opens the host's share: the host without its port, the database (the
    // user name) and the password.
    void GetShareLogin(QString& host, QString& database, QString& password) const
    {
        host = m_hostName;
        database = m_database;
        password = m_password;
    }
    // The client library's mysql_ping: 0 alive, non-zero lost (also when not connected).
    int Ping();
    // Message 112 on the 1st, 4th, 7th ... call in this process.
    void ReportLostConnection();
    // The server's id of the current connection (0 when not connected).
    unsigned long ThreadId() const;

    // --- tables ---
    // Each memo table as "<name>", in the server's order; old tables get MailID on the way.
    // Names that are not plain identifiers are skipped without a statement.
    QString ListTables();
    // 1 memo table (needsMailId set when MailID is missing), 0 not one or failure.
    int CheckTable(const QString& name, int& needsMailId);
    void AddMailIdColumn(const QString& name);
    int CreateTable(const QString& name);
    int DropTable(const QString& name);
    // Rows of the current table, also kept in recordCount; -1 on failure (recordCount kept).
    int CountRecords();
    int CountTableRecords(const QString& name);

    // --- records of the current table ---
    // 1 loaded into `record` and `body`; 0 otherwise (record and body untouched).
    int LoadCurrentRecord(QString& body);
    // Insert when currentId is -1, else update; their result.
    int SaveCurrentRecord(const QString& body);
    // 1 inserted (record.mark, record.attachId and currentId take the new row's values), or 1
    // when a row with the non-empty mailId exists already (nothing inserted); 0 failure.
    int InsertRecord(MemoHeader& record, const QString& body, const QString& mailId);
    // 1 updated; -2 no row has the record's nID; 0 failure.
    int UpdateRecord(const MemoHeader& record, const QString& body);
    // 1 deleted (also when no row matched), 0 failure.
    int DeleteRecord(int nID);
    // 1 a row of `table` has mailId; 0 none or failure.
    int MailIdExists(const QString& table, const QString& mailId);

    // --- navigation by nID ---
    // The nID after (forward 1) or before (0) fromId; -2 none that way; -1 failure.
    int GetNeighbourId(int fromId, int forward);
    // The smallest (first 1) or largest (0) nID; -1 empty table or failure.
    int GetEdgeId(int first);

    // --- list pages (server_pages.cpp) ---
    // Pages list memos as links "nID=-N" and pages as "?TopNum=-N", in nID order, 30 a page.
    // The title list from topId (-1: the first memo): the rows (0 to 30) and the page with its
    // link line before and after; -1 not connected or failure (`page` untouched).
    int BuildListPage(int topId, ListPage& page);
    // Every memo holding all words of `text` (split as search_words.h says) in MainData, Title
    // or TheKeys, in the server's order, without link line: the hits or -1 (`page` untouched).
    // `hits`, when given, receives each hit's nID and title as the page lists them.
    struct SearchHit {
        int id;
        QString title;
    };
    int BuildSearchPage(const QString& text, ListPage& page, QList<SearchHit>* hits = nullptr);
    // The link line of a page showing first..last in a table holding minId..maxId.
    QString BuildPageLinks(int first, int last, int minId, int maxId);
    // The nID n rows after (n > 0) or -n rows before fromId, the farthest there is when fewer;
    // -1 none or failure.
    int GetPageBoundaryId(int n, int fromId);

    // --- the document's view (MemoStore) ---
    QString DisplayName() const override { return GetDisplayName(); }
    int Count() override { return CountRecords(); }
    int CurrentRecord() const override { return currentId; }
    int Place() override;
    const MemoHeader& CurrentHeader() const override { return record; }
    void SetCurrentHeader(const MemoHeader& header) override { record = header; }
    void BeginNew() override;
    void Step(bool next) override;
    void Jump(bool first) override;
    QString LoadCurrent() override;
    bool SaveCurrent(const QString& body) override;
    bool DeleteCurrent() override;
    QString LastFailureText() const override { return m_failureText; }

    // The fields the document reads and sets directly.
    MemoHeader record;
    int recordCount = 0;
    int currentId = -1;

private:
    // Outcome of sending one statement.
    enum class Sent { kOk, kFailed, kLost };

    bool OpenConnection();
    void CloseConnection();
    // Reconnects with the held credentials; message 112 when that fails.
    bool Reconnect();
    // True when the connection is up, reconnecting first when it was lost before.
    bool EnsureLink();
    // Escaped on this connection (needs a live link).
    QByteArray Escape(const QString& value) const;
    // One try; reading statements pass `result` and get the stored result set (caller frees).
    Sent SendOnce(const QByteArray& statement, st_mysql_res** result);
    // A statement that may be repeated as it is: after a lost connection, one reconnect and
    // one more try.
    Sent Send(const QByteArray& statement, st_mysql_res** result = nullptr);
    // The first column of the first row; `value` empty when no row came back. False on failure.
    bool QueryFirst(const QByteArray& statement, std::optional<QByteArray>& value);
    // Rows of a table; nullopt on failure, -1 when no row came back.
    std::optional<int> CountRows(const QString& name);
    // After a lost INSERT: true when the old thread is gone (killed, or unknown to the server).
    bool EndOldThread(unsigned long threadId);
    // Whether the pending INSERT landed, once its thread is gone: its nID, 0 not landed, -1
    // undecided (the failure text set). Needs a live link.
    int SettlePendingInsert(const QByteArray& escapedAttachId);
    void AdoptInsertedRow(MemoHeader& memo, int nID, const QString& attachId);
    // True (and the failure text set) when a value holds characters the columns cannot keep.
    bool RefuseUnstorable(const MemoHeader& memo, const QString& body, const QString& mailId);
    void SetFailure(const QString& text) { m_failureText = text; }

    UserPrompts& m_prompts;
    Timeouts m_timeouts;
    bool m_connected = false; // a Connect succeeded; stays set while reconnecting
    bool m_linkUp = false;     // the connection handle is connected now
    st_mysql* m_mysql = nullptr;
    QString m_user;
    QString m_password;
    QString m_database;
    QString m_host;      // as typed, with a port when one was given
    QString m_hostName;  // without port and brackets
    unsigned m_port = 0; // 0: the client library's default
    QString m_table;
    QString m_failureText;
    MemoHeader m_loadDefaults; // a fresh header, for loads whose LogFont text sets the whole font
    // An INSERT whose answer was lost: the server thread that sent it and the memo's AttachID.
    struct PendingInsert {
        unsigned long threadId;
        QString attachId;
    };
    std::optional<PendingInsert> m_pendingInsert;
};
