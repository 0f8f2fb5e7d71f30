// `quirel-db export` and `quirel-db list` of a local database of 20 000 memos against reading
// what each needs of the same file.
// (a) ReadWholeFile: open the file, one read of all its bytes into a buffer, close.
// (b) Export: the built quirel-db run on the file, its JSON lines sent to the null device.
// (c) ReadHeaders: open the file, read its index and then each memo's header block in list
//     order, decoding the fields a list line shows (as the program decodes them), close; in
//     this process, with its buffers warm. ReadHeadersProcess: the same in a child process (this
//     program started with --read-headers), started and awaited as List starts quirel-db, so
//     both pay a process start, the loading of their libraries and fresh buffers.
// (d) List: quirel-db list of the file, its lines sent to the null device.
// All are timed in real time (the tools run in child processes) with the file in the page
// cache, their repetitions interleaved; after the run the ratios of their medians are printed (goals: at most 2 for export,
// at most 1.5 for list, against either baseline).
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
#include <cstring>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMemos = 20000;
// The list figures are a few tens of milliseconds: more repetitions steady their medians.
constexpr int kListRepetitions = 9;

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

// Starts `program` with `arguments`, its output sent to the null device, once per iteration.
void RunProcess(benchmark::State& state, const QString& program, const QStringList& arguments)
{
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(program, arguments);
        if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            state.SkipWithError("the process failed");
    }
}

// Runs the built quirel-db with `command` on the database.
void RunTool(benchmark::State& state, const QString& command)
{
    RunProcess(state, QStringLiteral(QUIREL_DB_PATH), {command, DatabasePath()});
}

void Export(benchmark::State& state)
{
    RunTool(state, QStringLiteral("export"));
    state.SetBytesProcessed(state.iterations() * QFile(DatabasePath()).size());
}
BENCHMARK(Export)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

// The header blocks' offsets, in list order.
std::vector<qint64> HeaderOffsets(const QString& path)
{
    CLocalDatabase database(path);
    if (database.Open(CLocalDatabase::OpenMode::kReadOnly) != CLocalDatabase::kOk)
        std::abort();
    std::vector<qint64> offsets;
    for (int position = 0; position < database.Count(); ++position)
        offsets.push_back(database.Entry(database.SlotAt(position)).Offset());
    return offsets;
}

// Reads the index and the header blocks at `offsets` into the buffers given, decoding each.
bool ReadIndexAndHeaders(const QString& path, const std::vector<qint64>& offsets, QByteArray& index,
                         QByteArray& block, MemoHeader& header)
{
    QFile file(path);
    bool read = file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
        && ::pread(file.handle(), index.data(), index.size(), 0) == index.size();
    for (const qint64 offset : offsets) {
        read = read && ::pread(file.handle(), block.data(), block.size(), offset) == block.size()
            && MemoHeader::FromBytes(block, header, MemoHeader::Fields::kListed);
        benchmark::DoNotOptimize(header);
    }
    return read;
}

void ReadHeaders(benchmark::State& state)
{
    const std::vector<qint64> offsets = HeaderOffsets(DatabasePath());
    QByteArray index(CLocalDatabase::kIndexBytes, Qt::Uninitialized);
    QByteArray block(MemoHeader::kBytes, Qt::Uninitialized);
    MemoHeader header;
    for (auto _ : state) {
        if (!ReadIndexAndHeaders(DatabasePath(), offsets, index, block, header))
            state.SkipWithError("the file cannot be read");
    }
}
BENCHMARK(ReadHeaders)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kListRepetitions)->ReportAggregatesOnly();

// The child of ReadHeadersProcess: the offsets come in a file made before timing, as the index
// is the program's own and not the baseline's to interpret.
int ReadHeadersChild(const char* databasePath, const char* offsetsPath)
{
    QFile offsetsFile(QString::fromLocal8Bit(offsetsPath));
    if (!offsetsFile.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = offsetsFile.readAll();
    std::vector<qint64> offsets(size_t(bytes.size()) / sizeof(qint64));
    std::memcpy(offsets.data(), bytes.constData(), offsets.size() * sizeof(qint64));
    QByteArray index(CLocalDatabase::kIndexBytes, Qt::Uninitialized);
    QByteArray block(MemoHeader::kBytes, Qt::Uninitialized);
    MemoHeader header;
    return ReadIndexAndHeaders(QString::fromLocal8Bit(databasePath), offsets, index, block, header) ? 0 : 1;
}

void ReadHeadersProcess(benchmark::State& state)
{
    const std::vector<qint64> offsets = HeaderOffsets(DatabasePath());
    const QString offsetsPath = DatabasePath() + QStringLiteral(".offsets");
    QFile offsetsFile(offsetsPath);
    if (!offsetsFile.open(QIODevice::WriteOnly)
        || offsetsFile.write(reinterpret_cast<const char*>(offsets.data()), qint64(offsets.size() * sizeof(qint64)))
            != qint64(offsets.size() * sizeof(qint64)))
        return state.SkipWithError("the offsets cannot be written");
    offsetsFile.close();
    RunProcess(state, QCoreApplication::applicationFilePath(),
               {QStringLiteral("--read-headers"), DatabasePath(), offsetsPath});
}
BENCHMARK(ReadHeadersProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kListRepetitions)->ReportAggregatesOnly();

void List(benchmark::State& state)
{
    RunTool(state, QStringLiteral("list"));
}
BENCHMARK(List)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kListRepetitions)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--read-headers") == 0)
        return ReadHeadersChild(argv[2], argv[3]);
    QCoreApplication app(argc, argv);
    InitSettingsIdentity();
    // Repetitions interleaved, so that a figure and its baseline meet the same load on a shared
    // machine; a flag given on the command line comes later and wins.
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = int(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 1;
    DatabasePath(); // made before timing starts
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Export", "ReadWholeFile", 2);
    reporter.PrintRatio("List", "ReadHeaders", 1.5);
    reporter.PrintRatio("List", "ReadHeadersProcess", 1.5);
    benchmark::Shutdown();
    return 0;
}
