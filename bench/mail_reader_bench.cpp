// Reading a 20 MB Outlook message with ten 2 MB attachments (properties decoded, attachments
// written into a folder) against copying the same file with cp, in alternating pairs in one run.
// It reports both medians and their ratio (goal: at most 1.5).
#include "mail/outlook_reader.h"
#include "mail/msg_builder.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

constexpr int kAttachments = 10;
constexpr int kAttachmentBytes = 2 * 1024 * 1024;
constexpr int kPairs = 15;

QString MakeMessage(const QTemporaryDir& dir)
{
    QList<MsgNode> root = {Utf16Property(0x0037, QStringLiteral("大きな添付ファイル")),
                           Utf16Property(0x1000, QStringLiteral("本文の行です。\r\n").repeated(2000)),
                           Utf16Property(0x1035, QStringLiteral("<bench@example.jp>"))};
    for (int i = 0; i < kAttachments; ++i) {
        QByteArray data(kAttachmentBytes, '\0');
        for (qsizetype at = 0; at < data.size(); ++at)
            data[at] = char((at * 131 + i) & 0xFF);
        root << FileAttachment(i, data, {Utf16Property(0x3707, QStringLiteral("資料%1.bin").arg(i))});
    }
    const QString path = dir.filePath(QStringLiteral("large.msg"));
    return WriteMsg(path, root) ? path : QString();
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Step>
double Seconds(Step step)
{
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ReadLargeMessageAgainstCp(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString message = MakeMessage(dir);
    if (message.isEmpty()) {
        state.SkipWithError("the message could not be written");
        return;
    }
    const QString folder = dir.filePath(QStringLiteral("attachments"));
    const QString copy = dir.filePath(QStringLiteral("copy.msg"));
    const CodePage ansi("CP932");
    std::vector<double> reads, copies;
    for (auto _ : state) {
        for (int pair = -1; pair < kPairs; ++pair) { // pair -1 warms both
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
            QFile::remove(copy);
            OutlookMessage read;
            const double readTime = Seconds([&] { ReadOutlookMessage(message, folder, read, ansi); });
            const double copyTime = Seconds([&] { QProcess::execute(QStringLiteral("cp"), {message, copy}); });
            if (read.attachmentNames.size() != kAttachments || QFileInfo(copy).size() != QFileInfo(message).size()) {
                state.SkipWithError("the read or the copy is incomplete");
                return;
            }
            if (pair >= 0) {
                reads.push_back(readTime);
                copies.push_back(copyTime);
            }
        }
    }
    state.counters["read_ms"] = Median(reads) * 1e3;
    state.counters["cp_ms"] = Median(copies) * 1e3;
    state.counters["ratio"] = Median(reads) / Median(copies);
    std::printf("read / cp, ratio of medians: %.2f (goal: at most 1.5)\n", Median(reads) / Median(copies));
}
BENCHMARK(ReadLargeMessageAgainstCp)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
