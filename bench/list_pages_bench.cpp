// The local list pages against the disk and memory floors, on databases made once per run:
// (a) Search: the search page for one word over 20 000 memos of mixed Japanese and ASCII text
//     (about 100 MB in the file), against MemmemFile: reading the same file into memory and
//     running memmem for the word's UTF-16 bytes over it. Goal: search throughput at least 0.5
//     of the baseline's (time ratio at most 2). Before timing, the hits are checked against a
//     brute-force search over the bodies as generated: misses and false hits are printed.
// (b) TitleListDeep: the title list page at position 50 000 of 100 000 memos, against
//     TitleListSmall: the same page of a 100-memo database. Goal: at most 2.
// The folder is made under QUIREL_BENCH_DIR, else the temporary folder.
#include "browser/local_pages.h"
#include "document/local_database.h"
#include "ratio_reporter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>

namespace {

constexpr int kSearchMemos = 20000;
constexpr int kBodyChars = 2500;
const QString kWord = QStringLiteral("needle");

QTemporaryDir& Folder()
{
    static QTemporaryDir folder(QDir(qEnvironmentVariable("QUIREL_BENCH_DIR", QDir::tempPath())).filePath("quirel-bench-XXXXXX"));
    return folder;
}

// Hiragana, kanji and ASCII words; a few memos in a hundred hold the word in upper or mixed case.
QString Body(std::mt19937& random)
{
    static const QString words[] = {QStringLiteral("memo "), QStringLiteral("Quirel "), QStringLiteral("needl "),
                                    QStringLiteral("NEEDLE "), QStringLiteral("neeDle ")};
    QString text;
    text.reserve(kBodyChars + 8);
    while (text.size() < kBodyChars) {
        const unsigned kind = random() % 1000;
        if (kind < 8)
            text += kind == 0 && random() % 64 == 0 ? words[3 + random() % 2] : words[random() % 3];
        else if (kind < 600)
            text += QChar(char16_t(0x3041 + random() % 83));
        else if (kind < 900)
            text += QChar(char16_t(0x4E00 + random() % 3000));
        else
            text += QChar(char16_t(u'a' + random() % 26));
    }
    return text;
}

struct Database {
    std::unique_ptr<CLocalDatabase> file;
    QStringList bodies; // kept for the reference search
};

std::unique_ptr<CLocalDatabase> Make(const QString& name, int memos, const std::function<QString(int)>& body)
{
    auto db = std::make_unique<CLocalDatabase>(Folder().filePath(name));
    if (db->Open() != CLocalDatabase::kOk || !db->BeginTransaction())
        std::abort();
    MemoHeader header;
    ResetMemoHeader(header);
    for (int i = 0; i < memos; ++i) {
        header.title = QStringLiteral("memo %1").arg(i);
        if (db->SaveRecord(-1, header, body(i)) != 1)
            std::abort();
    }
    if (db->CommitTransaction() != 1)
        std::abort();
    return db;
}

Database& SearchDatabase()
{
    static Database database = [] {
        Database made;
        std::mt19937 random(20261207);
        for (int i = 0; i < kSearchMemos; ++i)
            made.bodies.append(Body(random));
        made.file = Make(QStringLiteral("search.qrl"), kSearchMemos, [&](int i) { return made.bodies[i]; });
        return made;
    }();
    return database;
}

CLocalDatabase& TitleDatabase(int memos)
{
    static std::map<int, std::unique_ptr<CLocalDatabase>> made;
    auto& db = made[memos];
    if (!db)
        db = Make(QStringLiteral("titles%1.qrl").arg(memos), memos, [](int) { return QStringLiteral("x"); });
    return *db;
}

// Positions whose body, ASCII-lowercased, holds the word: the reference the page must match.
std::set<int> ReferenceHits(const QStringList& bodies)
{
    std::set<int> hits;
    const std::u16string word = kWord.toStdU16String();
    for (int i = 0; i < bodies.size(); ++i) {
        std::u16string body = (bodies[i] + u' ').toStdU16String();
        for (char16_t& c : body)
            c = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        if (std::search(body.begin(), body.end(), word.begin(), word.end()) != body.end())
            hits.insert(i);
    }
    return hits;
}

void CheckSearch()
{
    Database& db = SearchDatabase();
    std::set<int> found;
    FindLocalMemos(*db.file, kWord, [&](int position, int, const MemoHeader&, const QString&) { found.insert(position); });
    const std::set<int> expected = ReferenceHits(db.bodies);
    int misses = 0;
    for (int i : expected)
        misses += found.count(i) ? 0 : 1;
    int falseHits = 0;
    for (int i : found)
        falseHits += expected.count(i) ? 0 : 1;
    std::printf("search check: %zu hits, %d misses, %d false hits; file %.0f MB\n", expected.size(), misses, falseHits,
                double(db.file->FileSize()) / 1e6);
}

void Search(benchmark::State& state)
{
    CLocalDatabase& db = *SearchDatabase().file;
    for (auto _ : state)
        benchmark::DoNotOptimize(LocalSearchPage(db, kWord).rows);
}
BENCHMARK(Search)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void MemmemFile(benchmark::State& state)
{
    const QString path = SearchDatabase().file->Path();
    const QByteArray needle(reinterpret_cast<const char*>(kWord.utf16()), kWord.size() * 2);
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return state.SkipWithError("cannot read");
        const QByteArray bytes = file.readAll();
        int hits = 0;
        for (const char* at = bytes.constData(); (at = static_cast<const char*>(
                                                     memmem(at, size_t(bytes.constEnd() - at), needle.constData(), size_t(needle.size()))));
             ++at)
            ++hits;
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(MemmemFile)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void TitleList(benchmark::State& state, int memos)
{
    CLocalDatabase& db = TitleDatabase(memos);
    const int top = memos / 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(LocalTitleListPage(db, top).rows);
}
void TitleListSmall(benchmark::State& state) { TitleList(state, 100); }
void TitleListDeep(benchmark::State& state) { TitleList(state, 100000); }
BENCHMARK(TitleListSmall)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(TitleListDeep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CheckSearch();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Search", "MemmemFile", 2);
    reporter.PrintRatio("TitleListDeep", "TitleListSmall", 2);
    benchmark::Shutdown();
    return 0;
}
