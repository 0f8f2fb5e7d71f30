// Crash-safe saves of the local database against the disk's floor, in the same folder:
// (a) SaveNewMemo: a new 2 KB memo into a database of 20 000 memos, against Append4KiB: one
//     4 KiB write at the end of a file plus fdatasync; RewriteMemo: a 2 KB memo rewritten in
//     place, against Overwrite4KiB: one 4 KiB write over existing bytes plus fdatasync.
// (b) Rewrite1MB: a 1 MB memo rewritten in place, against Write1MB: 1 MB over existing bytes
//     plus fdatasync.
// Each runs 7 times; the ratios of the medians are printed at the end, beside their goals.
// The folder is made under QUIREL_BENCH_DIR, else the temporary folder: use a real disk.
#include "document/local_database.h"
#include "ratio_reporter.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

constexpr int kMemos = 20000;
constexpr int kRepetitions = 7;
constexpr int kIterations = 30; // per repetition: syncs on a shared disk are slow
const QString k2KBody(1024, u'二');
const QString k1MBody(512 * 1024, u'百');

QTemporaryDir& Folder()
{
    static QTemporaryDir folder(QDir(qEnvironmentVariable("QUIREL_BENCH_DIR", QDir::tempPath())).filePath("quirel-bench-XXXXXX"));
    return folder;
}

MemoHeader Header()
{
    MemoHeader header;
    ResetMemoHeader(header);
    header.title = QStringLiteral("bench");
    return header;
}

// 20 000 memos of 2 KB and, last, one of 1 MB; made once in a single transaction.
CLocalDatabase& Database()
{
    static std::unique_ptr<CLocalDatabase> database = [] {
        auto db = std::make_unique<CLocalDatabase>(Folder().filePath("Memo.qrl"));
        if (db->Open() != CLocalDatabase::kOk || !db->BeginTransaction())
            std::abort();
        MemoHeader header = Header();
        for (int i = 0; i < kMemos; ++i)
            db->SaveRecord(-1, header, k2KBody);
        db->SaveRecord(-1, header, k1MBody);
        if (db->CommitTransaction() != 1)
            std::abort();
        return db;
    }();
    return *database;
}

// Writes `bytes` at the end of a scratch file (or over its start) and syncs, each iteration.
void WriteAndSync(benchmark::State& state, qint64 bytes, bool append)
{
    const QByteArray path = Folder().filePath(QStringLiteral("scratch")).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const QByteArray data(bytes, 'x');
    if (fd < 0 || ::pwrite(fd, data.constData(), size_t(bytes), 0) != bytes || ::fdatasync(fd) != 0)
        std::abort();
    qint64 end = bytes;
    for (auto _ : state) {
        const qint64 at = append ? end : 0;
        if (::pwrite(fd, data.constData(), size_t(bytes), off_t(at)) != bytes || ::fdatasync(fd) != 0)
            state.SkipWithError("write failed");
        end += bytes;
    }
    ::close(fd);
    ::unlink(path.constData());
}

void Append4KiB(benchmark::State& state) { WriteAndSync(state, 4096, true); }
void Overwrite4KiB(benchmark::State& state) { WriteAndSync(state, 4096, false); }
void Write1MB(benchmark::State& state) { WriteAndSync(state, 1024 * 1024, false); }

void SaveNewMemo(benchmark::State& state)
{
    CLocalDatabase& db = Database();
    MemoHeader header = Header();
    for (auto _ : state) {
        if (db.SaveRecord(-1, header, k2KBody) != 1)
            state.SkipWithError("save failed");
    }
}

// Alternates two texts of the same length, so that every save writes in place.
void Rewrite(benchmark::State& state, int position, const QString& body)
{
    CLocalDatabase& db = Database();
    MemoHeader header = Header();
    QString texts[2] = {body, body};
    texts[1][0] = u'x';
    int turn = 0;
    for (auto _ : state) {
        if (db.SaveRecord(position, header, texts[turn ^= 1]) != 1)
            state.SkipWithError("save failed");
    }
}

void RewriteMemo(benchmark::State& state) { Rewrite(state, kMemos / 2, k2KBody); }
void Rewrite1MB(benchmark::State& state) { Rewrite(state, kMemos, k1MBody); }

BENCHMARK(Append4KiB)->Repetitions(kRepetitions)->Iterations(kIterations)->Unit(benchmark::kMicrosecond);
BENCHMARK(SaveNewMemo)->Repetitions(kRepetitions)->Iterations(kIterations)->Unit(benchmark::kMicrosecond);
BENCHMARK(Overwrite4KiB)->Repetitions(kRepetitions)->Iterations(kIterations)->Unit(benchmark::kMicrosecond);
BENCHMARK(RewriteMemo)->Repetitions(kRepetitions)->Iterations(kIterations)->Unit(benchmark::kMicrosecond);
BENCHMARK(Write1MB)->Repetitions(kRepetitions)->Iterations(kIterations)->Unit(benchmark::kMicrosecond);
BENCHMARK(Rewrite1MB)->Repetitions(kRepetitions)->Iterations(kIterations)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Database(); // made before any timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("SaveNewMemo", "Append4KiB", 4);
    reporter.PrintRatio("RewriteMemo", "Overwrite4KiB", 4);
    reporter.PrintRatio("Rewrite1MB", "Write1MB", 2.5);
    benchmark::Shutdown();
    return 0;
}
