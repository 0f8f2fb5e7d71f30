// Importing a tagged text export of 10 000 notes (about 20 MB of CP932 text, notes of 700 to
// 1300 characters of Japanese text in lines) against what the same work costs without the import.
// (a) ImportLocal: the file into a new local database (its batches synced as the import syncs
//     them), against WriteGrowth: as many bytes as the database grew by, written to a new file
//     in 1 MiB writes with one final fsync. Both on the temporary folder's disk. Goal: at most 3.
// (b) ImportServer: the file into an empty table of a private MariaDB server, against
//     InsertDirect: the same INSERT statements, the texts already in UTF-8, escaped by the client
//     library and sent through it. Goal: at most 1.3.
// Each runs once per repetition; after the run the ratios of the medians are printed.
#include "document/local_database.h"
#include "document/memo_header.h"
#include "import/local_import_target.h"
#include "import/ren_import.h"
#include "import/server_import_target.h"
#include "platform/settings.h"
#include "printed_prompts.h"
#include "private_server.h"
#include "ratio_reporter.h"
#include "document/rollback_journal.h"
#include "japanese_text.h"
#include "store/server_store.h"
#include "support/test_mariadb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <mysql.h>

#include <memory>
#include <random>
#include <unistd.h>

namespace {

constexpr int kNotes = 10000;
const QString kTable = QStringLiteral("memo");

struct Note {
    QString title, keys, body;
};

struct Data {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quirel-import-bench-XXXXXX")};
    QString ren;
    std::vector<Note> notes;
    qint64 growth = 0; // bytes a new database grows by when the file is imported
};

const Data& Input()
{
    static const Data data = [] {
        Data made;
        // Kanji that CP932 holds: one it cannot hold would be written as "?", and replacing
        // characters makes iconv start over, which made this file take seconds.
        const std::vector<char16_t>& kanji = JapaneseKanji();
        std::mt19937 random(20261207);
        QString text;
        for (int n = 0; n < kNotes; ++n) {
            Note note;
            note.title = QStringLiteral("メモ %1").arg(n);
            note.keys = QStringLiteral("取り込み 試験 ");
            for (int left = 700 + int(random() % 601); left > 0; --left) {
                const unsigned kind = random() % 100;
                note.body += kind < 55 ? QChar(char16_t(0x3041 + random() % 83))
                    : kind < 85        ? QChar(kanji[random() % kanji.size()])
                    : kind < 97        ? QChar(u'、')
                                       : QChar(u'\n');
            }
            while (note.body.startsWith(u'\n'))
                note.body.remove(0, 1);
            text += QStringLiteral("#s\n#t%1\n#k取り込み\n#k試験\n%2\n#e\n").arg(note.title, note.body);
            made.notes.push_back(std::move(note));
        }
        made.ren = made.dir.filePath(QStringLiteral("notes.ren"));
        QFile file(made.ren);
        if (!file.open(QIODevice::WriteOnly) || file.write(CodePage("CP932").Encode(text)) < 0)
            std::abort();
        return made;
    }();
    return data;
}

// A new database file, removed first with its journal.
std::unique_ptr<CLocalDatabase> NewDatabase(const QString& path)
{
    QFile::remove(path);
    QFile::remove(CRollbackJournal::PathFor(path));
    auto database = std::make_unique<CLocalDatabase>(path);
    if (database->Open() != CLocalDatabase::kOk)
        std::abort();
    return database;
}

qint64 Growth()
{
    static const qint64 growth = [] {
        const QString path = Input().dir.filePath(QStringLiteral("growth.qrl"));
        auto database = NewDatabase(path);
        LocalImportTarget target(*database);
        ImportRenFile(Input().ren, target, CodePage("CP932"));
        return database->FileSize() - CLocalDatabase::kIndexBytes;
    }();
    return growth;
}

void ImportLocal(benchmark::State& state)
{
    const QString path = Input().dir.filePath(QStringLiteral("import.qrl"));
    for (auto _ : state) {
        state.PauseTiming();
        auto database = NewDatabase(path);
        state.ResumeTiming();
        LocalImportTarget target(*database);
        if (ImportRenFile(Input().ren, target, CodePage("CP932")).stored != kNotes)
            return state.SkipWithError("not every note was stored");
    }
}
BENCHMARK(ImportLocal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

void WriteGrowth(benchmark::State& state)
{
    const QString path = Input().dir.filePath(QStringLiteral("plain.bin"));
    const QByteArray chunk(1 << 20, 'x');
    for (auto _ : state) {
        // A new file, as the import's database is new: the old one goes outside the timing.
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return state.SkipWithError("cannot write");
        for (qint64 left = Growth(); left > 0; left -= chunk.size())
            file.write(chunk.constData(), std::min<qint64>(left, chunk.size()));
        file.flush();
        fsync(file.handle());
    }
}
BENCHMARK(WriteGrowth)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

PrivateServer& TheServer()
{
    static PrivateServer server(QStringLiteral("import-bench"), QStringLiteral("bench_import"), kTable);
    return server;
}

void ImportServer(benchmark::State& state)
{
    if (!TheServer().ok)
        return state.SkipWithError("no server");
    PrintedPrompts prompts;
    CServerStore store(prompts);
    if (!TheServer().Connect(store))
        return state.SkipWithError("cannot connect");
    for (auto _ : state) {
        state.PauseTiming();
        TheServer().Empty();
        state.ResumeTiming();
        ServerImportTarget target(store);
        if (ImportRenFile(Input().ren, target, CodePage("CP932")).stored != kNotes)
            return state.SkipWithError("not every note was stored");
    }
}
BENCHMARK(ImportServer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

void InsertDirect(benchmark::State& state)
{
    MYSQL* mysql = TheServer().ConnectDirect();
    if (!mysql)
        return state.SkipWithError("no server");
    struct Utf8Note {
        QByteArray title, keys, body;
    };
    std::vector<Utf8Note> notes;
    for (const Note& note : Input().notes)
        notes.push_back({note.title.toUtf8(), note.keys.toUtf8(), note.body.toUtf8()});
    const QByteArray font = "//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1,ＭＳ Ｐ明朝";
    for (auto _ : state) {
        state.PauseTiming();
        TheServer().Empty();
        state.ResumeTiming();
        for (const Utf8Note& note : notes) {
            if (!InsertRowDirect(mysql, kTable, note.title, note.keys, note.body, font, "abcdefghijklmnopqrstuvwx", {}))
                return state.SkipWithError("insert failed");
        }
    }
    mysql_close(mysql);
}
BENCHMARK(InsertDirect)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitSettingsIdentity();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Input(); // made before timing starts
    Growth();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("ImportLocal", "WriteGrowth", 3);
    reporter.PrintRatio("ImportServer", "InsertDirect", 1.3);
    benchmark::Shutdown();
    TheServer().server.reset();
    return 0;
}
