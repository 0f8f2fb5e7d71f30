// quirel-db page and search (see page_commands.h). A record that cannot be read cuts the page
// as the program does: the page is still written, the record is named on standard error and
// the exit is 1. Words are prepared as the 検索 button prepares them; an empty result is an
// error, so that a search never lists every memo by accident.
#include "tools/page_commands.h"

#include "browser/local_pages.h"
#include "browser/page_file.h"
#include "browser/search_words.h"
#include "document/local_database.h"
#include "document/memo_header.h"

#include <QCommandLineParser>
#include <cstdio>
#include <optional>

namespace {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

int Fail(const QString& message, int code = kFailure)
{
    const QByteArray line = "quirel-db: " + message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    return code;
}

int UsageError(const QString& message)
{
    return Fail(message + QStringLiteral(" (see quirel-db --help)"), kUsage);
}

void Print(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// The store opened for reading; null after a message.
std::unique_ptr<CLocalDatabase> OpenForReading(const QString& store)
{
    if (store.startsWith(QStringLiteral("mariadb://"))) {
        Fail(QStringLiteral("page and search do not take server stores yet: ") + store);
        return nullptr;
    }
    auto database = std::make_unique<CLocalDatabase>(store);
    if (database->Open(CLocalDatabase::OpenMode::kReadOnly) != CLocalDatabase::kOk) {
        Fail(QStringLiteral("cannot open %1").arg(store));
        return nullptr;
    }
    return database;
}

int ReadFailure(int afterRows)
{
    return Fail(QStringLiteral("a memo could not be read; the list stops after %1 memos").arg(afterRows));
}

int Page(const QString& store, std::optional<int> top, std::optional<QString> words, const QString& out)
{
    const std::unique_ptr<CLocalDatabase> database = OpenForReading(store);
    if (!database)
        return kFailure;
    const ListPage page = words ? LocalSearchPage(*database, *words) : LocalTitleListPage(*database, top.value_or(0));
    QString error;
    if (out.isEmpty())
        Print(page.html.toUtf8());
    else if (!WritePageFile(out, page.html, &error))
        return Fail(QStringLiteral("cannot write %1: %2").arg(out, error));
    return page.cut ? ReadFailure(page.rows) : kSuccess;
}

int Search(const QString& store, const QString& words)
{
    const std::unique_ptr<CLocalDatabase> database = OpenForReading(store);
    if (!database)
        return kFailure;
    int hits = 0;
    const bool whole = FindLocalMemos(*database, words, [&](int position, int, const MemoHeader& header, const QString&) {
        const QString title = QString(header.title).replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
        Print((QString::number(position) + u'\t' + title + u'\n').toUtf8());
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
