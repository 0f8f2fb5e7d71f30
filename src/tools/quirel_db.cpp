// quirel-db: the command-line tool for local memo database files, for users who back up,
// inspect or repair their memos outside the editor.
// Only `create` and `add` may make a file; the other commands refuse a missing path. Every
// failure is one line on standard error and a non-zero exit (2 for a usage error, 1 otherwise).
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "document/log_font_text.h"
#include "platform/settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <functional>

namespace {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

const char kUsageText[] = R"(Usage: quirel-db COMMAND PATH [ARGUMENTS]

Commands:
  create PATH                        make a new, empty database file
  list PATH                          one memo a line: position, slot, title, created,
                                     updated, body characters (tab separated)
  show PATH POSITION                 the header fields of one memo, a blank line, its body
  add PATH [--title T] [--keys K]    store standard input (UTF-8) as a new memo
  export PATH                        every memo as one JSON object a line
  check PATH                         look for damage; exit 1 when any is found
  --help                             show this text
)";

void WriteLine(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int Fail(const QString& message, int code = kFailure)
{
    WriteLine(stderr, QStringLiteral("quirel-db: ") + message);
    return code;
}

int UsageError(const QString& message)
{
    return Fail(message + QStringLiteral(" (see quirel-db --help)"), kUsage);
}

QString OpenErrorText(int code)
{
    switch (code) {
    case CLocalDatabase::kExists:
        return QStringLiteral("a file already exists there");
    case CLocalDatabase::kCannotCreate:
        return QStringLiteral("the file cannot be created");
    case CLocalDatabase::kIndexTooShort:
        return QStringLiteral("not a memo database (shorter than its 1 MiB index)");
    default:
        return QStringLiteral("cannot be opened (it may be open in another program)");
    }
}

// Tabs and line breaks would split a list line.
QString OneLine(QString text)
{
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

int DamagedRecord(int position, int slot)
{
    return Fail(QStringLiteral("memo at position %1 (slot %2) is damaged and cannot be read").arg(position).arg(slot));
}

// Calls `visit` for every readable memo in order; damaged ones are reported and make it fail.
int ForEachMemo(CLocalDatabase& database,
                const std::function<void(int position, int slot, const MemoHeader&, const QString&)>& visit)
{
    int status = kSuccess;
    for (int position = 0; position < database.Count(); ++position) {
        const int slot = database.SlotAt(position);
        MemoHeader header;
        QString body;
        if (database.ReadRecord(slot, header, body))
            visit(position, slot, header, body);
        else
            status = DamagedRecord(position, slot);
    }
    return status;
}

int List(CLocalDatabase& database)
{
    return ForEachMemo(database, [](int position, int slot, const MemoHeader& header, const QString& body) {
        const QStringList fields{QString::number(position), QString::number(slot), OneLine(header.title),
                                 OneLine(header.createdAt), OneLine(header.theDateTime), QString::number(body.size())};
        WriteLine(stdout, fields.join(u'\t'));
    });
}

int Export(CLocalDatabase& database)
{
    return ForEachMemo(database, [](int position, int slot, const MemoHeader& header, const QString& body) {
        const QJsonObject memo{
            {"position", position},          {"slot", slot},
            {"title", header.title},         {"keys", header.theKeys},
            {"created", header.createdAt},   {"updated", header.theDateTime},
            {"font", LogFontText(header)},   {"attachId", header.attachId},
            {"attachCount", header.attachCount}, {"body", body},
        };
        const QByteArray line = QJsonDocument(memo).toJson(QJsonDocument::Compact) + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    });
}

int Show(CLocalDatabase& database, int position)
{
    if (position < 0 || position >= database.Count())
        return Fail(QStringLiteral("no memo at position %1 (the file holds %2)").arg(position).arg(database.Count()));
    database.SetCurrentPosition(position);
    QString body;
    if (database.LoadCurrent(body) != 1)
        return DamagedRecord(position, database.SlotAt(position));
    const MemoHeader& header = database.CurrentHeader();
    const QStringList lines{
        QStringLiteral("Position: %1").arg(position),
        QStringLiteral("Slot: %1").arg(database.SlotAt(position)),
        QStringLiteral("Title: ") + header.title,
        QStringLiteral("Keys: ") + header.theKeys,
        QStringLiteral("Created: ") + header.createdAt,
        QStringLiteral("Updated: ") + header.theDateTime,
        QStringLiteral("Font: ") + LogFontText(header),
        QStringLiteral("AttachID: ") + header.attachId,
        QStringLiteral("AttachCount: %1").arg(header.attachCount),
        QString(),
        body,
    };
    WriteLine(stdout, lines.join(u'\n'));
    return kSuccess;
}

// A first save of a new memo with the body read from standard input.
int Add(CLocalDatabase& database, const QString& title, const QString& keys)
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot read standard input"));
    QString body = QString::fromUtf8(input.readAll());
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    MemoHeader header;
    ResetMemoHeader(header);
    header.title = title.left(MemoHeader::kTitleChars);
    header.theKeys = keys.left(MemoHeader::kKeysChars);
    if (!database.SaveRecord(-1, header, body))
        return Fail(QStringLiteral("the memo cannot be stored (the file is full or cannot be written)"));
    WriteLine(stdout, QStringLiteral("added memo at position %1 (slot %2)")
                          .arg(database.CurrentPosition())
                          .arg(database.SlotAt(database.CurrentPosition())));
    return kSuccess;
}

int Check(CLocalDatabase& database)
{
    const LocalDatabaseCheck check = CheckLocalDatabase(database);
    for (const QString& problem : check.problems)
        WriteLine(stdout, problem);
    if (!check.problems.isEmpty())
        return kFailure;
    WriteLine(stdout, QStringLiteral("%1 memos, %2 free entries, %3 blocks in %4 bytes: no problems found")
                          .arg(check.records)
                          .arg(check.freeEntries)
                          .arg(check.namedBlocks)
                          .arg(database.FileSize()));
    return kSuccess;
}

int Run(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption title("title", QString(), "T");
    const QCommandLineOption keys("keys", QString(), "K");
    parser.addOptions({help, title, keys});
    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(kUsageText, stdout);
        return kSuccess;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return UsageError(QStringLiteral("no command given"));
    const QString command = positional[0];
    static const QStringList kCommands{"create", "list", "show", "add", "export", "check"};
    if (!kCommands.contains(command))
        return UsageError(QStringLiteral("unknown command '%1'").arg(command));
    const qsizetype expected = command == "show" ? 3 : 2;
    if (positional.size() != expected)
        return UsageError(QStringLiteral("'%1' takes %2").arg(command, expected == 3 ? "PATH POSITION" : "PATH"));
    if (command != "add" && (parser.isSet(title) || parser.isSet(keys)))
        return UsageError(QStringLiteral("--title and --keys belong to 'add'"));
    bool positionOk = true;
    const int position = expected == 3 ? positional[2].toInt(&positionOk) : 0;
    if (!positionOk)
        return UsageError(QStringLiteral("'%1' is not a position").arg(positional[2]));

    const QString path = positional[1];
    CLocalDatabase database(path);
    if (command == "create") {
        const int created = database.CreateFile();
        return created == CLocalDatabase::kOk ? kSuccess : Fail(path + QStringLiteral(": ") + OpenErrorText(created));
    }
    if (command != "add" && !QFileInfo::exists(path))
        return Fail(path + QStringLiteral(": no such file"));
    const int opened = database.Open();
    if (opened != CLocalDatabase::kOk)
        return Fail(path + QStringLiteral(": ") + OpenErrorText(opened));

    if (command == "list")
        return List(database);
    if (command == "show")
        return Show(database, position);
    if (command == "add")
        return Add(database, parser.value(title), parser.value(keys));
    if (command == "export")
        return Export(database);
    return Check(database);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitSettingsIdentity();
    return Run(app.arguments());
}
