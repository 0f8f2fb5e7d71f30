// quirel-db: the command-line tool for memo stores, for users who script, back up, inspect or
// repair their memos outside the editor.
// Each command is a function over ToolStore (tool_store.h), the little a command needs of a store:
// a local database file here, or a server table (server_tool_store.h). Reading commands open a
// file read-only, so they work on a read-only file and beside the editor; writing commands save
// and delete through the editor's own MemoStore path. Only `create`, `add` and `put` write, and
// only `create` and `add` may make a file. Every failure is one line on standard error and a
// non-zero exit (2 for a usage error, 1 otherwise).
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "document/rollback_journal.h"
#include "document/local_memo_store.h"
#include "document/log_font_text.h"
#include "tools/import_command.h"
#include "platform/settings.h"
#include "tools/server_tool_store.h"
#include "tools/tool_store.h"
#include "tools/page_commands.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

const char kUsageText[] = R"(Usage: quirel-db COMMAND STORE [ARGUMENTS]

STORE is a local database file (*.qrl) or a server table,
mariadb://USER@HOST[:PORT]/TABLE (the database is named after USER). The password
is taken from QUIREL_PASSWORD, or else asked on the terminal.

Commands:
  create STORE                       make a new, empty database file or memo table
  tables mariadb://USER@HOST[:PORT]  the memo tables of the server database, one a line
  list STORE                         one memo a line (tab separated): position, slot,
                                     title, created, updated, stored characters; on a
                                     server nID, title, created, updated, characters
  show STORE N                       the fields of memo N (a position, or an nID on a
                                     server), a blank line, its body
  add STORE [--title T] [--keys K]   store standard input (UTF-8) as a new memo
  put STORE N [--title T] [--keys K] replace memo N's body with standard input; title and
                                     keys are kept unless given
  delete STORE N                     delete memo N
  export STORE                       every memo as one JSON object a line
  check STORE                        look for damage in a file; exit 1 when any is found
  page STORE [--top N | --search WORDS] [-o OUT.html]
                                     the list window's page: the title list from N (a
                                     position, or an nID on a server) or the search page
  search STORE WORDS...              the memos holding all words: position or nID, title
  import STORE FILE.ren              import a tagged text export as new memos
  add-mail mariadb://USER@HOST[:PORT]/TABLE FILES...
                                     register .msg and .eml files as memos of the table
  --help                             show this text
)";

class LocalToolStore : public ToolStore {
public:
    explicit LocalToolStore(std::unique_ptr<CLocalDatabase> database)
        : m_store(std::move(database))
    {
    }

    int ListMemos(ListLines& lines) override
    {
        return ForEachMemo(false, [&](int position, int slot, const MemoHeader& header, const QString&) {
            lines << position << slot << header.title << header.createdAt << header.theDateTime << header.bodyBytes / 2;
            lines.EndLine();
        });
    }

    int ExportMemos(const std::function<void(const QList<MemoField>&, const QString&)>& memo) override
    {
        return ForEachMemo(true, [&](int position, int slot, const MemoHeader& header, const QString& body) {
            memo(Fields(position, slot, header), body);
        });
    }

    MemoStore& Store() override { return m_store; }

    int SelectMemo(int position) override
    {
        const int count = Database().Count();
        if (position < 0 || position >= count)
            return Fail(QStringLiteral("no memo at position %1 (the file holds %2)").arg(position).arg(count));
        Database().SetCurrentPosition(position);
        return kSuccess;
    }

    QList<MemoField> CurrentFields() override
    {
        const int position = Database().CurrentPosition();
        return Fields(position, Database().SlotAt(position), Database().CurrentHeader());
    }

    QString CurrentWarning() override
    {
        const int position = Database().CurrentPosition();
        const int slot = Database().SlotAt(position);
        const unsigned flaws = CLocalDatabase::HeaderFlaws(Database().CurrentHeader(), Database().Entry(slot).blocks);
        return flaws & CLocalDatabase::kMarkFlaws ? WrongMarksText(position, slot) : QString();
    }

    QString AddedLine() override
    {
        const int position = Database().CurrentPosition();
        return QStringLiteral("added memo at position %1 (slot %2)").arg(position).arg(Database().SlotAt(position));
    }

    QString WhyNotStored() override { return QStringLiteral("the file is full or cannot be written"); }

private:
    CLocalDatabase& Database() { return m_store.Database(); }

    static QList<MemoField> Fields(int position, int slot, const MemoHeader& header)
    {
        return {
            {"position", "Position", position},          {"slot", "Slot", slot},
            {"title", "Title", header.title},            {"keys", "Keys", header.theKeys},
            {"created", "Created", header.createdAt},    {"updated", "Updated", header.theDateTime},
            {"font", "Font", LogFontText(header)},       {"attachId", "AttachID", header.attachId},
            {"attachCount", "AttachCount", header.attachCount},
        };
    }

    static QString WrongMarksText(int position, int slot)
    {
        return QStringLiteral("memo at position %1 (slot %2) has a wrong Mark, HeaderSize or EndMark; its body may "
                              "still be intact")
            .arg(position)
            .arg(slot);
    }

    // Records whose entries alone show damage are skipped before any read, so that a hostile
    // index cannot make the walk read one block over and over. Without bodies only the header
    // fields a list shows are decoded.
    int ForEachMemo(bool withBodies,
                    const std::function<void(int position, int slot, const MemoHeader&, const QString&)>& visit)
    {
        const std::vector<bool> damagedInIndex = SlotsDamagedInIndex(Database());
        int status = kSuccess;
        for (int position = 0; position < Database().Count(); ++position) {
            const int slot = Database().SlotAt(position);
            MemoHeader header;
            QString body;
            const CLocalDatabase::ReadResult read = damagedInIndex[size_t(slot)] ? CLocalDatabase::kDamaged
                : withBodies ? Database().ReadRecord(slot, header, body)
                             : Database().ReadHeader(slot, header, MemoHeader::Fields::kListed);
            if (read == CLocalDatabase::kDamaged) {
                status = Fail(QStringLiteral("memo at position %1 (slot %2) is damaged and cannot be read")
                                  .arg(position)
                                  .arg(slot));
                continue;
            }
            if (read == CLocalDatabase::kReadWithWrongMarks)
                status = Fail(WrongMarksText(position, slot));
            visit(position, slot, header, body);
        }
        return status;
    }

    LocalMemoStore m_store;
};

// Why STORE could not be opened or created, as one message.
QString OpenFailureText(const QString& path, int code, CLocalDatabase::OpenFailure failure)
{
    const QString prefix = path + QStringLiteral(": ");
    switch (failure) {
    case CLocalDatabase::OpenFailure::kMissing:
        return prefix + QStringLiteral("no such file");
    case CLocalDatabase::OpenFailure::kNoPermission:
        return prefix + QStringLiteral("cannot be opened: permission denied");
    case CLocalDatabase::OpenFailure::kLocked:
        return prefix + QStringLiteral("cannot be opened: locked by another process");
    case CLocalDatabase::OpenFailure::kNotDatabase:
        return prefix + QStringLiteral("not a memo database (shorter than its 1 MiB index)");
    case CLocalDatabase::OpenFailure::kJournal:
        return prefix
            + QStringLiteral("cannot be opened: an interrupted save left the journal %1, which cannot be rolled back here")
                  .arg(CRollbackJournal::PathFor(path));
    case CLocalDatabase::OpenFailure::kIo:
        return prefix + QStringLiteral("cannot be opened: the file cannot be read");
    case CLocalDatabase::OpenFailure::kNone:
        break;
    }
    switch (code) {
    case CLocalDatabase::kExists:
        return prefix + QStringLiteral("a file already exists there");
    case CLocalDatabase::kCannotCreate:
        return prefix + QStringLiteral("the file cannot be created");
    default:
        return prefix + QStringLiteral("cannot be opened");
    }
}

enum class Access { kRead, kWrite, kWriteOrCreate };

// Opens STORE for a command; null after a message when it cannot be opened.
std::unique_ptr<ToolStore> OpenStore(const QString& store, Access access, CLocalDatabase*& file)
{
    if (IsServerStore(store))
        return OpenServerStore(store);
    if (access == Access::kWrite && !QFileInfo::exists(store)) {
        Fail(OpenFailureText(store, CLocalDatabase::kCannotOpen, CLocalDatabase::OpenFailure::kMissing));
        return nullptr;
    }
    auto database = std::make_unique<CLocalDatabase>(store);
    const int opened = database->Open(access == Access::kRead ? CLocalDatabase::OpenMode::kReadOnly
                                                              : CLocalDatabase::OpenMode::kReadWrite);
    if (opened != CLocalDatabase::kOk) {
        Fail(OpenFailureText(store, opened, database->LastOpenFailure()));
        return nullptr;
    }
    file = database.get();
    return std::make_unique<LocalToolStore>(std::move(database));
}

// The first byte of the first sequence that is not UTF-8, or -1. Fed one byte at a time, the
// decoder reports an error at the byte that breaks a sequence; the sequence began after the last
// byte that completed a character.
qsizetype InvalidUtf8Offset(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString whole = decoder.decode(bytes);
    if (!decoder.hasError())
        return -1;
    QStringDecoder stepper(QStringDecoder::Utf8);
    qsizetype sequenceStart = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const QString decoded = stepper(bytes.sliced(at, 1));
        if (stepper.hasError())
            break;
        if (!decoded.isEmpty())
            sequenceStart = at + 1;
    }
    return sequenceStart; // also an unfinished sequence at the end
}

// Standard input as a memo body (UTF-8; CR LF read as LF). Nothing with a NUL or a byte that is
// not UTF-8 is taken: the NUL would end the text for every reader of the file.
std::optional<QString> ReadBody()
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        Fail(QStringLiteral("cannot read standard input"));
        return std::nullopt;
    }
    const QByteArray bytes = input.readAll();
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0) {
        Fail(QStringLiteral("standard input holds a NUL character at byte %1; nothing was stored").arg(nul));
        return std::nullopt;
    }
    if (const qsizetype bad = InvalidUtf8Offset(bytes); bad >= 0) {
        Fail(QStringLiteral("standard input is not UTF-8 at byte %1; nothing was stored").arg(bad));
        return std::nullopt;
    }
    QString body = QString::fromUtf8(bytes);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return body;
}

// --title and --keys as given; a text longer than its header field is refused, never cut.
struct HeaderTexts {
    std::optional<QString> title;
    std::optional<QString> keys;

    bool Fit() const
    {
        QString refusal;
        if (title && title->size() > MemoHeader::kTitleChars)
            refusal = QStringLiteral("the title has %1 characters; at most %2 fit")
                          .arg(title->size())
                          .arg(MemoHeader::kTitleChars);
        else if (keys && keys->size() > MemoHeader::kKeysChars)
            refusal = QStringLiteral("the keys have %1 characters; at most %2 fit")
                          .arg(keys->size())
                          .arg(MemoHeader::kKeysChars);
        if (!refusal.isEmpty())
            Fail(refusal + QStringLiteral("; nothing was stored"));
        return refusal.isEmpty();
    }
    void ApplyTo(MemoStore& store) const
    {
        MemoHeader header = store.CurrentHeader();
        header.title = title.value_or(header.title);
        header.theKeys = keys.value_or(header.theKeys);
        store.SetCurrentHeader(header);
    }
};

int List(ToolStore& store)
{
    ListLines lines(stdout);
    return store.ListMemos(lines);
}

// A JSON string as UTF-8, escaping what JSON requires. Written here rather than through
// QJsonDocument, which escapes byte by byte into a growing buffer: export spent five times as
// long in it as in reading the file. The text is scanned as UTF-16 units, and each run between
// escapes is encoded straight into `out`.
void AppendJsonString(QByteArray& out, QStringView text, QStringEncoder& utf8)
{
    out += '"';
    qsizetype copied = 0;
    const auto appendRun = [&](qsizetype end) {
        const qsizetype at = out.size();
        out.resize(at + 3 * (end - copied)); // at most three bytes a unit
        out.truncate(utf8.appendToBuffer(out.data() + at, text.sliced(copied, end - copied)) - out.constData());
    };
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c >= 0x20 && c != u'"' && c != u'\\')
            continue;
        appendRun(at);
        copied = at + 1;
        switch (c) {
        case u'"':
        case u'\\':
            out += '\\';
            out += char(c);
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\t':
            out += "\\t";
            break;
        case u'\r':
            out += "\\r";
            break;
        default:
            out += "\\u00";
            out += QByteArray::number(c, 16).rightJustified(2, '0');
        }
    }
    appendRun(text.size());
    out += '"';
}

int Export(ToolStore& store)
{
    QByteArray line;
    // Stateless: a lone surrogate at the end of a run becomes U+FFFD there, instead of being held
    // back and written after the next escape or into the next field.
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    return store.ExportMemos([&](const QList<MemoField>& fields, const QString& body) {
        line.truncate(0); // keeps its capacity for the next memo
        line += '{';
        for (const MemoField& field : fields) {
            line += '"';
            line += field.key;
            line += "\":";
            if (field.value.isString())
                AppendJsonString(line, field.value.toString(), utf8);
            else
                line += QByteArray::number(field.value.toInteger());
            line += ',';
        }
        line += "\"body\":";
        AppendJsonString(line, body, utf8);
        line += "}\n";
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    });
}

int DamagedMemo(int number)
{
    return Fail(QStringLiteral("memo %1 is damaged and cannot be read whole").arg(number));
}

int Show(ToolStore& store, int number)
{
    if (store.SelectMemo(number) != kSuccess)
        return kFailure;
    const QString body = store.Store().LoadCurrent();
    if (store.Store().CurrentIsDamaged())
        return DamagedMemo(number);
    const QList<MemoField> fields = store.CurrentFields();
    if (fields.isEmpty())
        return kFailure;
    QStringList lines;
    for (const MemoField& field : fields)
        lines << QLatin1StringView(field.label) + QStringLiteral(": ") + field.value.toVariant().toString();
    lines << QString() << body;
    WriteLine(stdout, lines.join(u'\n'));
    const QString warning = store.CurrentWarning();
    return warning.isEmpty() ? kSuccess : Fail(warning);
}

// The first save of a new memo, as the editor makes it.
int Add(ToolStore& store, const QString& body, const HeaderTexts& texts)
{
    MemoStore& memos = store.Store();
    memos.BeginNew();
    texts.ApplyTo(memos);
    if (!memos.SaveCurrent(body))
        return Fail(QStringLiteral("the memo cannot be stored (%1)").arg(store.WhyNotStored()));
    WriteLine(stdout, store.AddedLine());
    return kSuccess;
}

// The editor's Save over memo `number`: loaded first, so that a damaged record is refused.
int Put(ToolStore& store, int number, const QString& body, const HeaderTexts& texts)
{
    if (store.SelectMemo(number) != kSuccess)
        return kFailure;
    MemoStore& memos = store.Store();
    memos.LoadCurrent();
    if (memos.CurrentIsDamaged())
        return Fail(
            QStringLiteral("memo %1 is damaged; it is not overwritten (store the text with 'add')").arg(number));
    texts.ApplyTo(memos);
    if (!memos.SaveCurrent(body))
        return Fail(QStringLiteral("memo %1 cannot be stored (%2)").arg(number).arg(store.WhyNotStored()));
    return kSuccess;
}

int Delete(ToolStore& store, int number)
{
    if (store.SelectMemo(number) != kSuccess)
        return kFailure;
    return store.Store().DeleteCurrent() ? kSuccess : Fail(QStringLiteral("memo %1 cannot be deleted").arg(number));
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

// The commands, the number of arguments after the command and their names for messages.
struct CommandShape {
    const char* name;
    const char* arguments;
    int operands; // after the command
    bool takesNumber;
    bool takesHeaderTexts;
};
constexpr CommandShape kCommands[] = {
    {"create", "STORE", 1, false, false},    {"list", "STORE", 1, false, false},
    {"show", "STORE N", 2, true, false},     {"add", "STORE", 1, false, true},
    {"put", "STORE N", 2, true, true},       {"delete", "STORE N", 2, true, false},
    {"export", "STORE", 1, false, false},    {"check", "STORE", 1, false, false},
    {"import", "STORE FILE.ren", 2, false, false},
    {"tables", "mariadb://USER@HOST[:PORT]", 1, false, false},
};

int Run(const QStringList& arguments)
{
    if (IsPageCommand(arguments))
        return RunPageCommand(arguments);
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
    const auto shape = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandShape& c) { return command == QLatin1StringView(c.name); });
    if (shape == std::end(kCommands))
        return UsageError(QStringLiteral("unknown command '%1'").arg(command));
    if (positional.size() != 1 + shape->operands)
        return UsageError(QStringLiteral("'%1' takes %2").arg(command, QLatin1StringView(shape->arguments)));
    if (!shape->takesHeaderTexts && (parser.isSet(title) || parser.isSet(keys)))
        return UsageError(QStringLiteral("--title and --keys belong to 'add' and 'put'"));
    bool numberOk = true;
    const int number = shape->takesNumber ? positional[2].toInt(&numberOk) : 0;
    if (!numberOk)
        return UsageError(QStringLiteral("'%1' is not a memo number").arg(positional[2]));

    const QString path = positional[1];
    if (command == "tables")
        return IsServerStore(path) ? ListServerTables(path) : UsageError(QStringLiteral("'tables' takes a server"));
    if (command == "check" && IsServerStore(path))
        return UsageError(QStringLiteral("'check' takes a local database file"));
    if (command == "create" && IsServerStore(path))
        return CreateServerTable(path);
    if (command == "create") {
        const int created = CLocalDatabase(path).CreateFile();
        return created == CLocalDatabase::kOk ? kSuccess : Fail(OpenFailureText(path, created, {}));
    }

    // The body and the header texts are taken whole before the store is opened: a refused
    // input stores nothing and never holds the file.
    HeaderTexts texts;
    std::optional<QString> body;
    if (shape->takesHeaderTexts) {
        if (parser.isSet(title))
            texts.title = parser.value(title);
        if (parser.isSet(keys))
            texts.keys = parser.value(keys);
        if (!texts.Fit() || !(body = ReadBody()))
            return kFailure;
    }

    const bool writes = command == "add" || command == "put" || command == "delete" || command == "import";
    CLocalDatabase* file = nullptr;
    const std::unique_ptr<ToolStore> store =
        OpenStore(path, !writes ? Access::kRead : command == "add" ? Access::kWriteOrCreate : Access::kWrite, file);
    if (!store)
        return kFailure;
    if (command == "list")
        return List(*store);
    if (command == "show")
        return Show(*store, number);
    if (command == "export")
        return Export(*store);
    if (command == "add")
        return Add(*store, *body, texts);
    if (command == "put")
        return Put(*store, number, *body, texts);
    if (command == "delete")
        return Delete(*store, number);
    if (command == "import")
        return Import(store->Store(), positional[2]);
    return Check(*file);
}

// add-mail is a program of its own, run here in this one's place with the same arguments, so
// that the mail readers' libraries (GMime, libgsf, QtGui) load for it alone: loading them would
// double the start-up of every other command. `arguments` start with "add-mail".
int RunAddMail(char** arguments)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/quirel-db-add-mail");
    ::execv(QFile::encodeName(program).constData(), arguments);
    return Fail(QStringLiteral("add-mail cannot be started: %1: %2").arg(program, qt_error_string(errno)));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "add-mail") == 0)
        return RunAddMail(argv + 1);
    InitSettingsIdentity();
    return Run(app.arguments());
}
