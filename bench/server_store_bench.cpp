// The server store's cost against the client library alone, on a private MariaDB server with
// 20 000 memos of about 2 KB of Japanese text and a database of 50 memo tables.
// (a) NextMemo: one step as the document moves (count, neighbour, load), against SelectOne
//     (one `SELECT 1` round trip) and NextMemoDirect (the same three statements, sent and read
//     through the client library without the store).
// (b) Save1MB: updating a memo with a 1 MB body, against Save1MBDirect (the body already in
//     UTF-8, escaped by the client library and sent in the same UPDATE). Both alternate two
//     bodies, so every save writes.
// (c) OpenTable: connect, list the tables and count the chosen one, against OpenTableDirect
//     (the same statements on a new connection, without the store).
// (d) ListPage: a title list page from the middle of the table (five statements), against
//     SelectOne and ListPageDirect (the five statements through the client library); SearchPage: a two-character search, against SearchPageDirect (the same SELECT
//     sent through the client library and its rows fetched).
// After the run it prints each ratio of medians (real and CPU time) beside its goal.
#include "document/memo_header.h"
#include "document/user_prompts.h"
#include "store/memo_sql.h"
#include "store/server_store.h"
#include "support/test_mariadb.h"
#include "printed_prompts.h"
#include "private_server.h"
#include "ratio_reporter.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <mysql.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>

namespace {

constexpr int kMemos = 20000;
constexpr int kTables = 50;
const QString kTable = QStringLiteral("memo");

QString JapaneseText(std::mt19937& random, int characters)
{
    QString text;
    text.reserve(characters);
    for (int i = 0; i < characters; ++i) {
        const unsigned kind = random() % 100;
        text += kind < 55   ? QChar(char16_t(0x3041 + random() % 83))
                : kind < 85 ? QChar(char16_t(0x4E00 + random() % 3000))
                : kind < 95 ? QChar(u'、')
                            : QChar(u'\n');
    }
    return text;
}

// The private server, its two accounts and their tables, made once per run.
struct Setup {
    std::unique_ptr<TestMariaDbServer> server;
    MariaDbAccount memos;  // one table of kMemos memos
    MariaDbAccount tables; // kTables memo tables
    bool ok = false;

    Setup()
    {
        server = std::make_unique<TestMariaDbServer>(PrivateMariaDbFolder(QStringLiteral("bench")));
        QString error;
        if (!server->Start(error)) {
            std::fprintf(stderr, "no server: %s\n", qPrintable(error));
            return;
        }
        MariaDbAdmin admin(server->Address());
        memos = admin.CreateAccount(QStringLiteral("bench_memos"));
        tables = admin.CreateAccount(QStringLiteral("bench_tables"));
        admin.Exec("SET GLOBAL general_log = 0"); // the log would be most of the work
        ok = admin.Exec("use bench_memos") && admin.Exec(MemoSql::CreateTable(kTable));
        std::mt19937 random(20240601);
        for (int first = 0; ok && first < kMemos; first += 100) {
            QByteArray insert = "insert into memo (Title, MainData, LogFont, AttachID, TheDateTime) values ";
            for (int i = first; i < first + 100; ++i) {
                insert += (i > first ? ",('" : "('") + QStringLiteral("メモ%1").arg(i).toUtf8() + "','"
                          + JapaneseText(random, 680).toUtf8() + "','//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1,x',"
                          + "'abcdefghijklmnopqrstuvwx',NOW())";
            }
            ok = admin.Exec(insert);
        }
        ok = ok && admin.Exec("use bench_tables");
        for (int i = 0; ok && i < kTables; ++i)
            ok = admin.Exec(MemoSql::CreateTable(QStringLiteral("memo%1").arg(i)));
    }
};

Setup& Server()
{
    static Setup setup;
    return setup;
}

MYSQL* ConnectDirect(const MariaDbAccount& account)
{
    return ConnectDirect(Server().server->Address(), account);
}

// Sends a reading statement and reads every row, as the store does, without converting.
bool ReadDirect(MYSQL* mysql, const QByteArray& statement)
{
    if (mysql_query(mysql, statement.constData()) != 0)
        return false;
    MYSQL_RES* result = mysql_store_result(mysql);
    if (!result)
        return false;
    while (MYSQL_ROW row = mysql_fetch_row(result))
        benchmark::DoNotOptimize(row);
    mysql_free_result(result);
    return true;
}

std::unique_ptr<CServerStore> ConnectStore(PrintedPrompts& prompts, const MariaDbAccount& account)
{
    auto store = std::make_unique<CServerStore>(prompts);
    const MariaDbAddress address = Server().server->Address();
    store->Connect(account.user, account.password, account.user, QStringLiteral("%1:%2").arg(address.host).arg(address.port));
    store->SetTableName(kTable);
    return store;
}

void SelectOne(benchmark::State& state)
{
    MYSQL* mysql = Server().ok ? ConnectDirect(Server().memos) : nullptr;
    if (!mysql)
        return state.SkipWithError("no server");
    for (auto _ : state)
        ReadDirect(mysql, "SELECT 1");
    mysql_close(mysql);
}
BENCHMARK(SelectOne)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

void NextMemo(benchmark::State& state)
{
    PrintedPrompts prompts;
    if (!Server().ok)
        return state.SkipWithError("no server");
    const auto store = ConnectStore(prompts, Server().memos);
    for (auto _ : state) {
        store->Step(true);
        benchmark::DoNotOptimize(store->LoadCurrent());
    }
}
BENCHMARK(NextMemo)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

void NextMemoDirect(benchmark::State& state)
{
    MYSQL* mysql = Server().ok ? ConnectDirect(Server().memos) : nullptr;
    if (!mysql)
        return state.SkipWithError("no server");
    int id = -1;
    for (auto _ : state) {
        ReadDirect(mysql, MemoSql::Count(kTable));
        if (mysql_query(mysql, MemoSql::NeighbourId(kTable, id, true).constData()) != 0)
            return state.SkipWithError("neighbour failed");
        MYSQL_RES* result = mysql_store_result(mysql);
        MYSQL_ROW row = mysql_fetch_row(result);
        id = row ? std::atoi(row[0]) : -1;
        mysql_free_result(result);
        ReadDirect(mysql, MemoSql::LoadRecord(kTable, id));
    }
    mysql_close(mysql);
}
BENCHMARK(NextMemoDirect)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

const QString& MegabyteBody(int which)
{
    static const QString bodies[2] = {
        [] { std::mt19937 random(1); return JapaneseText(random, 1 << 20); }(),
        [] { std::mt19937 random(2); return JapaneseText(random, 1 << 20); }(),
    };
    return bodies[which];
}

void Save1MB(benchmark::State& state)
{
    PrintedPrompts prompts;
    if (!Server().ok)
        return state.SkipWithError("no server");
    const auto store = ConnectStore(prompts, Server().memos);
    store->currentId = 1;
    store->LoadCurrent();
    int which = 0;
    for (auto _ : state) {
        if (store->UpdateRecord(store->record, MegabyteBody(which ^= 1)) != 1)
            return state.SkipWithError("update failed");
    }
}
BENCHMARK(Save1MB)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void Save1MBDirect(benchmark::State& state)
{
    MYSQL* mysql = Server().ok ? ConnectDirect(Server().memos) : nullptr;
    if (!mysql)
        return state.SkipWithError("no server");
    const QByteArray bodies[2] = {MegabyteBody(0).toUtf8(), MegabyteBody(1).toUtf8()};
    int which = 0;
    for (auto _ : state) {
        const QByteArray& body = bodies[which ^= 1];
        QByteArray escaped(2 * body.size() + 16, Qt::Uninitialized);
        escaped.truncate(qsizetype(mysql_real_escape_string(mysql, escaped.data(), body.constData(), body.size())));
        const QByteArray update =
            MemoSql::UpdateRecord(kTable, "メモ0", "", escaped, "//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1,x", 1);
        if (mysql_query(mysql, update.constData()) != 0)
            return state.SkipWithError("update failed");
    }
    mysql_close(mysql);
}
BENCHMARK(Save1MBDirect)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void OpenTable(benchmark::State& state)
{
    PrintedPrompts prompts;
    if (!Server().ok)
        return state.SkipWithError("no server");
    for (auto _ : state) {
        auto store = ConnectStore(prompts, Server().tables);
        benchmark::DoNotOptimize(store->ListTables());
        store->SetTableName(QStringLiteral("memo0"));
        benchmark::DoNotOptimize(store->CountRecords());
    }
}
BENCHMARK(OpenTable)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void OpenTableDirect(benchmark::State& state)
{
    if (!Server().ok)
        return state.SkipWithError("no server");
    for (auto _ : state) {
        MYSQL* mysql = ConnectDirect(Server().tables);
        if (!mysql || mysql_query(mysql, "show tables") != 0)
            return state.SkipWithError("listing failed");
        MYSQL_RES* names = mysql_store_result(mysql);
        while (MYSQL_ROW row = mysql_fetch_row(names)) {
            if (mysql_query(mysql, MemoSql::FirstRow(QString::fromUtf8(row[0])).constData()) != 0)
                return state.SkipWithError("check failed");
            MYSQL_RES* columns = mysql_store_result(mysql);
            benchmark::DoNotOptimize(mysql_fetch_fields(columns));
            mysql_free_result(columns);
        }
        mysql_free_result(names);
        ReadDirect(mysql, MemoSql::Count(QStringLiteral("memo0")));
        mysql_close(mysql);
    }
}
BENCHMARK(OpenTableDirect)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void ListPage(benchmark::State& state)
{
    PrintedPrompts prompts;
    if (!Server().ok)
        return state.SkipWithError("no server");
    const auto store = ConnectStore(prompts, Server().memos);
    ::ListPage page;
    for (auto _ : state) {
        if (store->BuildListPage(kMemos / 2, page) != kListPageRows)
            return state.SkipWithError("page failed");
    }
}
BENCHMARK(ListPage)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The same five statements sent and read through the client library: what the server needs.
void ListPageDirect(benchmark::State& state)
{
    MYSQL* mysql = Server().ok ? ConnectDirect(Server().memos) : nullptr;
    if (!mysql)
        return state.SkipWithError("no server");
    const QByteArray statements[] = {MemoSql::EdgeId(kTable, true), MemoSql::EdgeId(kTable, false),
                                     MemoSql::ListPage(kTable, kMemos / 2, kListPageRows),
                                     MemoSql::PageBoundaryId(kTable, kMemos / 2, -kListPageRows),
                                     MemoSql::PageBoundaryId(kTable, kMemos / 2 + kListPageRows - 1, 1)};
    for (auto _ : state) {
        for (const QByteArray& statement : statements)
            ReadDirect(mysql, statement);
    }
    mysql_close(mysql);
}
BENCHMARK(ListPageDirect)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

const QString kSearchWords = QStringLiteral("かき");

void SearchPage(benchmark::State& state)
{
    PrintedPrompts prompts;
    if (!Server().ok)
        return state.SkipWithError("no server");
    const auto store = ConnectStore(prompts, Server().memos);
    ::ListPage page;
    for (auto _ : state) {
        if (store->BuildSearchPage(kSearchWords, page) <= 0)
            return state.SkipWithError("search failed");
    }
}
BENCHMARK(SearchPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void SearchPageDirect(benchmark::State& state)
{
    MYSQL* mysql = Server().ok ? ConnectDirect(Server().memos) : nullptr;
    if (!mysql)
        return state.SkipWithError("no server");
    const QByteArray statement = MemoSql::SearchPage(kTable, {kSearchWords.toUtf8()});
    for (auto _ : state) {
        if (!ReadDirect(mysql, statement))
            return state.SkipWithError("search failed");
    }
    mysql_close(mysql);
}
BENCHMARK(SearchPageDirect)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("NextMemo", "SelectOne", 4);
    reporter.PrintRatio("NextMemo", "NextMemoDirect", 1.15);
    reporter.PrintRatio("Save1MB", "Save1MBDirect", 1.2);
    reporter.PrintRatio("OpenTable", "OpenTableDirect", 1.5);
    reporter.PrintRatio("ListPage", "SelectOne", 6);
    reporter.PrintRatio("ListPage", "ListPageDirect", 1.2);
    reporter.PrintRatio("SearchPage", "SearchPageDirect", 1.2);
    benchmark::Shutdown();
    Server().server.reset();
    return 0;
}
