// quirel-db page and search (see page_commands.h), on a local database or a server table, through
// the same page writers as the list window. A record that cannot be read cuts the page
// as the program does: the page is still written, the record is named on standard error and
// the exit is 1. Words are prepared as the 検索 button prepares them; an empty result is an
// error, so that a search never lists every memo by accident.
#include "tools/page_commands.h"

#include "browser/local_pages.h"
#include "browser/page_file.h"
#include "browser/search_words.h"
#include "document/local_database.h"
#include "document/memo_header.h"
#include "store/server_store.h"
#include "tools/server_tool_store.h"
#include "tools/tool_store.h"

#include <QCommandLineParser>
#include <cstdio>
#include <optional>

namespace {

void Print(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// The local database opened for reading; null after a message.
std::unique_ptr<CLocalDatabase> OpenLocal(const QString& store)
{
    auto database = std::make_unique<CLocalDatabase>(store);
    if (database->Open(CLocalDatabase::OpenMode::kReadOnly) != CLocalDatabase::kOk) {
        Fail(QStringLiteral("cannot open %1").arg(store));
        return nullptr;
    }
    return database;
}

// The server table's store, opened through the tool's server store; null after a message.
struct ServerTable {
    std::unique_ptr<ToolStore> tool;
    CServerStore* store = nullptr;
};

std::optional<ServerTable> OpenServer(const QString& address)
{
    ServerTable table{OpenServerStore(address)};
    if (!table.tool)
        return std::nullopt;
    table.store = dynamic_cast<CServerStore*>(&table.tool->Store());
    if (!table.store) {
        Fail(QStringLiteral("%1 is not a server table").arg(address));
        return std::nullopt;
    }
    return table;
}

int ReadFailure(int afterRows)
{
    return Fail(QStringLiteral("a memo could not be read; the list stops after %1 memos").arg(afterRows));
}

int ServerFailure(const QString& address)
{
    return Fail(QStringLiteral("the page cannot be built from %1").arg(address));
}

// The page the list window would show; nothing after a message.
std::optional<ListPage> BuildPage(const QString& store, std::optional<int> top, const std::optional<QString>& words)
{
    ListPage page;
    if (IsServerStore(store)) {
        const std::optional<ServerTable> table = OpenServer(store);
        if (!table)
            return std::nullopt;
        // Without --top the first page, as the link line's own first page.
        const int built = words ? table->store->BuildSearchPage(*words, page)
                                : table->store->BuildListPage(top.value_or(-1), page);
        if (built < 0) {
            ServerFailure(store);
            return std::nullopt;
        }
        return page;
    }
    const std::unique_ptr<CLocalDatabase> database = OpenLocal(store);
    if (!database)
        return std::nullopt;
    return words ? LocalSearchPage(*database, *words) : LocalTitleListPage(*database, top.value_or(0));
}

int Page(const QString& store, std::optional<int> top, const std::optional<QString>& words, const QString& out)
{
    const std::optional<ListPage> page = BuildPage(store, top, words);
    if (!page)
        return kFailure;
    QString error;
    if (out.isEmpty())
        Print(page->html.toUtf8());
    else if (!WritePageFile(out, page->html, &error))
        return Fail(QStringLiteral("cannot write %1: %2").arg(out, error));
    return page->cut ? ReadFailure(page->rows) : kSuccess;
}

void PrintHit(int number, const QString& title)
{
    WriteLine(stdout, QString::number(number) + u'\t' + OneLine(title));
}

int Search(const QString& store, const QString& words)
{
    if (IsServerStore(store)) {
        const std::optional<ServerTable> table = OpenServer(store);
        if (!table)
            return kFailure;
        ListPage page;
        QList<CServerStore::SearchHit> hits;
        if (table->store->BuildSearchPage(words, page, &hits) < 0)
            return ServerFailure(store);
        for (const CServerStore::SearchHit& hit : hits)
            PrintHit(hit.id, hit.title);
        return kSuccess;
    }
    const std::unique_ptr<CLocalDatabase> database = OpenLocal(store);
    if (!database)
        return kFailure;
    int hits = 0;
    const bool whole = FindLocalMemos(*database, words, [&](int position, int, const MemoHeader& header, const QString&) {
        PrintHit(position, header.title);
        ++hits;
    });
    return whole ? kSuccess : ReadFailure(hits);
}

// The words as 検索 takes them; nothing after a message when none are left.
std::optional<QString> PreparedWords(const QString& typed)
{
    const QString words = PrepareSearchText(typed);
    if (words.isEmpty()) {
        Fail(QStringLiteral("no search words"));
        return std::nullopt;
    }
    return words;
}

} // namespace

bool IsPageCommand(const QStringList& arguments)
{
    const QString command = arguments.value(1);
    return command == QStringLiteral("page") || command == QStringLiteral("search");
}

int RunPageCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption top("top", QString(), "N");
    const QCommandLineOption search("search", QString(), "WORDS");
    const QCommandLineOption out("o", QString(), "OUT.html");
    const bool isPage = arguments.value(1) == QStringLiteral("page");
    if (isPage)
        parser.addOptions({top, search, out});
    parser.setOptionsAfterPositionalArgumentsMode(isPage ? QCommandLineParser::ParseAsOptions
                                                         : QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    const QStringList positional = parser.positionalArguments();
    if (!isPage) {
        if (positional.size() < 3)
            return UsageError(QStringLiteral("'search' takes STORE WORDS..."));
        const std::optional<QString> words = PreparedWords(positional.mid(2).join(u' '));
        return words ? Search(positional[1], *words) : kFailure;
    }
    if (positional.size() != 2)
        return UsageError(QStringLiteral("'page' takes STORE [--top N | --search WORDS] [-o OUT.html]"));
    if (parser.isSet(top) && parser.isSet(search))
        return UsageError(QStringLiteral("--top and --search exclude each other"));
    std::optional<int> first;
    if (parser.isSet(top)) {
        bool ok = false;
        first = parser.value(top).toInt(&ok);
        if (!ok)
            return UsageError(QStringLiteral("'%1' is not a memo number").arg(parser.value(top)));
    }
    std::optional<QString> words;
    if (parser.isSet(search) && !(words = PreparedWords(parser.value(search))))
        return kFailure;
    return Page(positional[1], first, words, parser.value(out));
}
