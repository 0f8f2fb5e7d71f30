// `quirel-db export` and `quirel-db list` of a local database of 20 000 memos against reading
// what each needs of the same file.
// (a) ReadWholeFile: open the file, one read of all its bytes into a buffer, close.
// (b) Export: the built quirel-db run on the file, its JSON lines sent to the null device.
// (c) ReadHeaders: open the file, read its index and then each memo's header block in list
//     order, decoding the fields a list line shows (as the program decodes them), close.
// (d) List: quirel-db list of the file, its lines sent to the null device.
// All are timed in real time (the tool runs in a child process) with the file in the page
// cache; after the run the ratios of their medians are printed (goals: at most 2 for export,
// at most 1.5 for list).
#include "ratio_reporter.h"

#include "document/local_database.h"
#include "platform/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMemos = 20000;

// Memos of 200 to 2000 characters of kana, kanji and ASCII in lines, saved as the editor saves.
const QString& DatabasePath()
{
    static const QTemporaryDir dir((QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
                                   + QStringLiteral("/quirel-bench-XXXXXX"));
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("Memo.qrl"));
        CLocalDatabase database(file);
        if (database.Open() != CLocalDatabase::kOk)
            std::abort();
        std::mt19937 random(20261207); // the raw engine's output is fixed by the standard
        for (int memo = 0; memo < kMemos; ++memo) {
            QString body;
            for (int n = 200 + int(random() % 1801); n > 0; --n) {
                const unsigned kind = random() % 100;
                body += kind < 50 ? QChar(char16_t(0x3041 + random() % 83))
                    : kind < 75   ? QChar(char16_t(0x4E00 + random() % 3000))
                    : kind < 97   ? QChar(char16_t('a' + random() % 26))
                                  : QChar(u'\n');
            }
            MemoHeader header;
            ResetMemoHeader(header);
            header.title = body.left(40);
            if (database.SaveRecord(-1, header, body) != 1)
                std::abort();
        }
        return file;
    }();
    return path;
}

void ReadWholeFile(benchmark::State& state)
{
    const QString& path = DatabasePath();
    QByteArray buffer(QFile(path).size(), Qt::Uninitialized);
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
            || file.read(buffer.data(), buffer.size()) != buffer.size())
            state.SkipWithError("the file cannot be read");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * buffer.size());
}
BENCHMARK(ReadWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

// Runs the built quirel-db with `command` on the database, its output sent to the null device.
void RunTool(benchmark::State& state, const QString& command)
{
    const QString& path = DatabasePath();
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral(QUIREL_DB_PATH), {command, path});
        if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            state.SkipWithError("the tool failed");
    }
}

void Export(benchmark::State& state)
{
    RunTool(state, QStringLiteral("export"));
    state.SetBytesProcessed(state.iterations() * QFile(DatabasePath()).size());
}
BENCHMARK(Export)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

void ReadHeaders(benchmark::State& state)
{
    std::vector<qint64> offsets; // of the header blocks, in list order
    {
        CLocalDatabase database(DatabasePath());
        if (database.Open(CLocalDatabase::OpenMode::kReadOnly) != CLocalDatabase::kOk)
            std::abort();
        for (int position = 0; position < database.Count(); ++position)
            offsets.push_back(database.Entry(database.SlotAt(position)).Offset());
    }
    QByteArray index(CLocalDatabase::kIndexBytes, Qt::Uninitialized);
    QByteArray block(MemoHeader::kBytes, Qt::Uninitialized);
    MemoHeader header;
    for (auto _ : state) {
        QFile file(DatabasePath());
        bool read = file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
            && ::pread(file.handle(), index.data(), index.size(), 0) == index.size();
        for (const qint64 offset : offsets) {
            read = read && ::pread(file.handle(), block.data(), block.size(), offset) == block.size()
                && MemoHeader::FromBytes(block, header, MemoHeader::Fields::kListed);
            benchmark::DoNotOptimize(header);
        }
        if (!read)
            state.SkipWithError("the file cannot be read");
    }
}
BENCHMARK(ReadHeaders)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

void List(benchmark::State& state)
{
    RunTool(state, QStringLiteral("list"));
}
BENCHMARK(List)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitSettingsIdentity();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    DatabasePath(); // made before timing starts
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Export", "ReadWholeFile", 2);
    reporter.PrintRatio("List", "ReadHeaders", 1.5);
    benchmark::Shutdown();
    return 0;
}
