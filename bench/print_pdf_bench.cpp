// `quirel --print-pdf` against the program's open path on the same text file, for three
// shapes of text of QUIREL_PRINT_BENCH_MB MiB (default 10) of UTF-8:
// (a) Open<shape>: ReadTextFile into a store, laid out as the print command lays it out (the
//     default view font through FontMeasurer, the default printer's page width), offscreen.
// (b) PrintPdf<shape>: the whole print command on that file, which opens it the same way and
//     then writes every page to a PDF.
// Shapes: one line of ASCII words, one line of Japanese, and short lines of 0 to 18 bytes.
// After the run it prints (b)/(a) per shape as ratios of medians, in real time and in the CPU
// time of the whole process.
// (c) The built program run as its own process (see RunPrintProcess), five times each, on every shape at that size
//     and at five times it, and on an empty file: from the medians of its CPU time (user +
//     system) and peak RSS it prints the CPU ratio of the larger text to the smaller (linear:
//     5), and the peak RSS above the empty program's per UTF-16 byte of the text (goal: 4).
#include "ratio_reporter.h"
#include "app/print_pdf_command.h"
#include "japanese_text.h"
#include "document/text_file.h"
#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/font_measurer.h"
#include "editor/view/quirel_view.h"
#include "editor/view/view_font.h"
#include "platform/code_page.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double kGoal = 3.0;
constexpr double kRssGoal = 4.0;
constexpr int kScale = 5; // the larger text of the process figures
constexpr int kProcessRuns = 5;

qsizetype TextBytes()
{
    const int mebibytes = qEnvironmentVariableIntValue("QUIREL_PRINT_BENCH_MB");
    return qsizetype(mebibytes > 0 ? mebibytes : 10) * 1024 * 1024;
}

enum class Shape { kAsciiLine, kJapaneseLine, kShortLines };

QByteArray MakeText(Shape shape, qsizetype size)
{
    std::mt19937 random(20261207); // the raw engine's output is fixed by the standard
    const std::vector<char16_t>& kanji = JapaneseKanji();
    const QStringList words = {"alpha", "beta", "memo", "quirel", "text", "page", "2026"};
    QByteArray bytes;
    bytes.reserve(size + 64);
    QString piece;
    while (bytes.size() < size) {
        piece.clear();
        switch (shape) {
        case Shape::kAsciiLine:
            piece = words[random() % words.size()] + u' ';
            break;
        case Shape::kJapaneseLine:
            for (int n = 0; n < 64; ++n) {
                const unsigned kind = random() % 10;
                piece += QChar(kind < 5 ? char16_t(0x3041 + random() % 83) : kind < 9 ? kanji[random() % kanji.size()] : u'、');
            }
            break;
        case Shape::kShortLines:
            for (unsigned n = random() % 19; n > 0; --n)
                piece += QChar(char16_t(u'a' + random() % 26));
            piece += u'\n';
            break;
        }
        bytes += piece.toUtf8();
    }
    return bytes;
}

const char* ShapeName(Shape shape)
{
    return shape == Shape::kAsciiLine ? "AsciiLine" : shape == Shape::kJapaneseLine ? "JapaneseLine" : "ShortLines";
}

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

QString TextFile(Shape shape, int scale = 1)
{
    const QString name = QStringLiteral("%1x%2.txt").arg(QString::fromLatin1(ShapeName(shape))).arg(scale);
    const QString path = Folder().filePath(name);
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeText(shape, TextBytes() * scale)) < 0)
            qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

// The UTF-16 size of a UTF-8 file: two bytes a character, four beyond the BMP.
qint64 Utf16Bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 units = 0;
    for (QByteArray chunk; !(chunk = file.read(1 << 20)).isEmpty();) {
        for (const char byte : chunk) {
            const auto b = uchar(byte);
            units += (b & 0xC0) != 0x80 ? 1 : 0;
            units += b >= 0xF0 ? 1 : 0;
        }
    }
    return 2 * units;
}

struct ProcessCost {
    double cpuSeconds = 0;
    double peakBytes = 0;
};

// `quirel --print-pdf` of `text` as a grandchild process: this program, run again as a small
// process with --usage-of, starts it and reports its CPU time and peak RSS. A process started
// straight from this one would report this one's peak RSS, which exec keeps.
ProcessCost RunPrintProcess(const QString& text)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--usage-of"), QStringLiteral(QUIREL_PATH), QStringLiteral("--print-pdf"),
                   Folder().filePath(QStringLiteral("process.pdf")), text});
    const bool finished = process.waitForFinished(-1);
    const QList<QByteArray> figures = process.readAllStandardOutput().simplified().split(' ');
    if (!finished || process.exitCode() != 0 || figures.size() != 2)
        qFatal("the program failed on %s", qPrintable(text));
    return {figures[0].toDouble(), figures[1].toDouble() * 1024};
}

// Runs `argv` (null-terminated) with its output discarded; prints its CPU seconds and peak RSS
// in KiB. The exit code is the program's.
int ReportUsageOf(char** argv)
{
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return 1;
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    std::printf("%.6f %ld\n", seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss);
    return WEXITSTATUS(status);
}

// Medians of kProcessRuns runs, after one that warms the page cache.
ProcessCost MedianProcessCost(const QString& text)
{
    RunPrintProcess(text);
    std::vector<double> cpu;
    std::vector<double> peak;
    for (int run = 0; run < kProcessRuns; ++run) {
        const ProcessCost cost = RunPrintProcess(text);
        cpu.push_back(cost.cpuSeconds);
        peak.push_back(cost.peakBytes);
    }
    const auto median = [](std::vector<double>& values) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    };
    return {median(cpu), median(peak)};
}

void PrintProcessFigures()
{
    const QString empty = Folder().filePath(QStringLiteral("empty.txt"));
    QFile(empty).open(QIODevice::WriteOnly);
    const ProcessCost bare = MedianProcessCost(empty);
    std::printf("Process on an empty file: %.3g s CPU, peak RSS %.1f MiB\n", bare.cpuSeconds,
                bare.peakBytes / (1 << 20));
    for (const Shape shape : {Shape::kAsciiLine, Shape::kJapaneseLine, Shape::kShortLines}) {
        const ProcessCost small = MedianProcessCost(TextFile(shape));
        const QString largeText = TextFile(shape, kScale);
        const ProcessCost large = MedianProcessCost(largeText);
        std::printf("Process %s: CPU %.3g s at %lld MiB, %.3g s at %lld MiB: %.3g times (linear: %d); "
                    "peak RSS %.1f MiB, %.3g times the UTF-16 size above the empty program's (goal: at most %g)\n",
                    ShapeName(shape), small.cpuSeconds, qint64(TextBytes() >> 20), large.cpuSeconds,
                    qint64(kScale * TextBytes() >> 20), large.cpuSeconds / small.cpuSeconds, kScale,
                    large.peakBytes / (1 << 20), (large.peakBytes - bare.peakBytes) / double(Utf16Bytes(largeText)),
                    kRssGoal);
    }
}

void Open(benchmark::State& state, Shape shape)
{
    const QString path = TextFile(shape);
    const int dpi = 96;
    for (auto _ : state) {
        CTextStore store;
        if (!ReadTextFile(path, store, CodePage::System()))
            state.SkipWithError("cannot read the text");
        CPageFormat format;
        format.SetFont(DefaultViewFont());
        format.ComputeGeometry(DefaultPrinterPaper(dpi, dpi), dpi, dpi);
        FontMeasurer measurer(FontFromLogFont(format.font));
        store.RelayoutAll({&measurer, format.TextWidth(), ReadLeftKin(), ReadRightKin()}, true);
        benchmark::DoNotOptimize(store.TotalLines());
    }
}

void PrintPdf(benchmark::State& state, Shape shape)
{
    const QString path = TextFile(shape);
    const QString pdf = Folder().filePath(QStringLiteral("out.pdf"));
    for (auto _ : state) {
        if (RunPrintPdfCommand({QStringLiteral("quirel"), QStringLiteral("--print-pdf"), pdf, path}) != 0)
            state.SkipWithError("the PDF was not written");
    }
}

void Register()
{
    for (const Shape shape : {Shape::kAsciiLine, Shape::kJapaneseLine, Shape::kShortLines}) {
        TextFile(shape); // written before either side runs, so both read it from the page cache
        for (const auto& [name, run] : {std::pair{"Open", &Open}, std::pair{"PrintPdf", &PrintPdf}}) {
            benchmark::RegisterBenchmark((std::string(name) + ShapeName(shape)).c_str(), run, shape)
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime() // the PDF writer deflates pages on a second thread
                ->Iterations(1)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--usage-of") == 0)
        return ReportUsageOf(argv + 2);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Register();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* shape : {"AsciiLine", "JapaneseLine", "ShortLines"})
        reporter.PrintRatio((std::string("PrintPdf") + shape).c_str(), (std::string("Open") + shape).c_str(), kGoal);
    PrintProcessFigures();
    benchmark::Shutdown();
    return 0;
}
